// Shortcuts on the stand-in platforms (desktop Windows and the host). The
// terminal's shell call writes a text file `NN#"target"`; neither stand-in has
// such a call, so we write the same bytes ourselves through the file seam, and
// programs, tools and tests see what a terminal would hold. A terminal build
// uses its shell's own call instead of this file.
#include "shortcut.h"

#include <cstring>

#include "file_io.h"
#include "text_codec.h"

namespace {

size_t TextLength(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace

bool CreateShortcut(const char16_t* shortcutPath, const char16_t* target) {
  if (shortcutPath == nullptr || target == nullptr) return false;
  const size_t targetLength = TextLength(target);
  if (targetLength == 0 || targetLength > 259) return false;

  // "NN#" + quote + target in the ANSI code page + quote. A character may take
  // two bytes in the code page, hence the room.
  char text[16 + 2 * 259 + 2];
  size_t used = 0;
  const unsigned quoted = unsigned(targetLength + 2);  // 3 to 261: one to three digits
  if (quoted >= 100) text[used++] = char('0' + quoted / 100);
  if (quoted >= 10) text[used++] = char('0' + quoted / 10 % 10);
  text[used++] = char('0' + quoted % 10);
  text[used++] = '#';
  text[used++] = '"';
  const size_t narrow = WideToAnsi(target, targetLength, text + used, sizeof text - used - 1);
  if (narrow == 0) return false;
  used += narrow;
  text[used++] = '"';
  return FileReplaceThroughTemp(shortcutPath, text, used);
}
