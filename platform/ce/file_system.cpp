// The terminal's file system: one tree from "\", no drives and no current
// folder, so a product path is a system path as it stands and only
// absolute paths mean anything.
#include "file_system.h"

#include <windows.h>

#include "file_io.h"

bool MapProductPath(const char16_t* path, wchar_t* out, size_t cap, size_t extra) {
  if (!path || path[0] != u'\\') return false;
  size_t n = 0;
  for (; path[n]; ++n) {
    if (n + 1 + extra >= cap) return false;
    out[n] = wchar_t(path[n]);
  }
  out[n] = 0;
  return true;
}

// Files in ROM, or modules executed in place from it, cannot be rewritten.
uint32_t ProductAttributes(unsigned long attributes) {
  uint32_t result = 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) result |= kFileAttrDirectory;
  if (attributes & (FILE_ATTRIBUTE_INROM | FILE_ATTRIBUTE_ROMMODULE)) result |= kFileAttrInRom;
  return result;
}

// A tool's path on the terminal is already the terminal's: absolute, from
// "\", in the ANSI code page of the command line.
bool NativeToProductPath(const char* nativePath, char16_t* out, size_t capacity) {
  if (!nativePath || nativePath[0] != '\\' || !out) return false;
  const int n = MultiByteToWideChar(CP_ACP, 0, nativePath, -1, reinterpret_cast<WCHAR*>(out),
                                    int(capacity));
  return n > 0;
}
