// The terminal's self-check: recomputes every case of "\selfcheck\vectors.txt"
// with the portable core as this build compiled it, prints each case whose
// result differs from the host's and a closing count through the debug
// output. Exit code 0 when every case agreed, 1 otherwise, 2 without a file.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "file_io.h"
#include "key_input.h"
#include "key_table.h"
#include "vector_cases.h"

namespace {

// Debug output is wide and takes one line at a time.
void Say(const char* text, size_t length) {
  WCHAR line[512];
  size_t n = 0;
  for (size_t i = 0; i < length && n + 2 < 512; ++i) line[n++] = WCHAR((unsigned char)text[i]);
  line[n++] = L'\n';
  line[n] = 0;
  OutputDebugStringW(line);
}

void SayText(const char* text) { Say(text, strlen(text)); }

// Appends a decimal number to `text` at `n`.
size_t PutNumber(char* text, size_t n, size_t value) {
  char digits[24];
  size_t k = 0;
  do {
    digits[k++] = char('0' + value % 10);
    value /= 10;
  } while (value);
  while (k) text[n++] = digits[--k];
  return n;
}

size_t PutText(char* text, size_t n, const char* s, size_t cap) {
  while (*s && n + 1 < cap) text[n++] = *s++;
  return n;
}

// The first differences in full (cut to a line); the count says the rest.
void Difference(void* context, size_t line, const char* text, size_t length, const char* expected,
                const char* got) {
  size_t* shown = static_cast<size_t*>(context);
  if (++*shown > 20) return;
  char out[480];
  size_t n = PutText(out, 0, "differs at line ", sizeof out);
  n = PutNumber(out, n, line);
  n = PutText(out, n, ": ", sizeof out);
  for (size_t i = 0; i < length && n + 1 < 200; ++i) out[n++] = text[i] == '\t' ? ' ' : text[i];
  Say(out, n);
  n = PutText(out, 0, "  host: ", sizeof out);
  n = PutText(out, n, expected, sizeof out);
  Say(out, n);
  n = PutText(out, 0, "  here: ", sizeof out);
  n = PutText(out, n, got, sizeof out);
  Say(out, n);
}

// Keys and characters without a key, mixed as in a barcode with a Tab
// preamble and accented letters; the loader checks the order they reach the
// focus in.
void TypeMixedText() {
  for (const char* p = "\tA\xC9" "1\xE9\xE9\r"; *p; ++p) {
    KeyEvent events[kMaxKeyEventsPerCharacter];
    const size_t n = KeyEventsForCharacter(static_cast<unsigned char>(*p), events);
    for (size_t i = 0; i < n; ++i) SendKeyEvent(events[i]);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  unsigned char* data = nullptr;
  size_t size = 0;
  uint32_t attributes = 0;
  if (!FileReadAll(u"\\selfcheck\\vectors.txt", &data, &size, &attributes)) {
    SayText("no vector file \\selfcheck\\vectors.txt");
    return 2;
  }
  size_t shown = 0;
  VectorReport report = {0, 0, 0, Difference, &shown};
  CheckVectors(reinterpret_cast<const char*>(data), size, &report);
  FileFreeData(data);
  EndCases();
  TypeMixedText();
  char out[160];
  size_t n = PutNumber(out, 0, report.agreed);
  n = PutText(out, n, " cases agreed, ", sizeof out);
  n = PutNumber(out, n, report.differed);
  n = PutText(out, n, " differed, ", sizeof out);
  n = PutNumber(out, n, report.malformed);
  n = PutText(out, n, " malformed", sizeof out);
  Say(out, n);
  return report.differed == 0 && report.malformed == 0 && report.agreed > 0 ? 0 : 1;
}
