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

// The object store swaps a file's content in one step (both files must be
// on it). Other file systems (a flash disk, a card) cannot move onto an
// existing file: there the old file steps aside first and comes back if the
// new one cannot take its name. A reset between the two moves, or a way
// back that fails, leaves the old file whole under "<name>.old", which the
// settings' start-up takes back (Settings::RecoverInterruptedCommit).
bool ReplaceFileWhole(const wchar_t* from, const wchar_t* to) {
  if (GetFileAttributesW(to) == INVALID_FILE_ATTRIBUTES) return MoveFileW(from, to) != 0;
  if (DeleteAndRenameFile(to, from)) return true;
  wchar_t aside[MAX_PATH + 4];
  if (wcslen(to) >= MAX_PATH) return false;
  wcscpy(aside, to);
  wcscat(aside, L".old");
  if (GetFileAttributesW(aside) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(aside)) return false;
  if (!MoveFileW(to, aside)) return false;
  if (!MoveFileW(from, to)) {
    MoveFileW(aside, to);  // when this fails too, "<name>.old" is taken back at start-up
    return false;
  }
  DeleteFileW(aside);  // a leftover is removed at the next start
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
