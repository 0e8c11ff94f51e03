// The desktop stand-in's file system: terminal paths ("\Temp\SARNU.INI")
// live on drive C:, the simulated terminal's disk; "\\?\" paths are native
// and used as they are.
#include "file_system.h"

#include <windows.h>

#include "file_io.h"

namespace {

constexpr size_t kMaxPathUnits = 1024;

bool IsNativePrefix(const WCHAR* p) {
  return p[0] == L'\\' && p[1] == L'\\' && p[2] == L'?' && p[3] == L'\\';
}

}  // namespace

bool MapProductPath(const char16_t* path, wchar_t* out, size_t cap, size_t extra) {
  if (!path || !path[0]) return false;
  const WCHAR* in = reinterpret_cast<const WCHAR*>(path);
  size_t n = 0;
  if (in[0] == L'\\' && in[1] != L'\\') {
    out[n++] = L'C';
    out[n++] = L':';
  }
  for (size_t i = 0; in[i]; ++i) {
    if (n + 1 + extra >= cap) return false;
    out[n++] = in[i];
  }
  out[n] = 0;
  return true;
}

bool ReplaceFileWhole(const wchar_t* from, const wchar_t* to) {
  return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

uint32_t ProductAttributes(unsigned long attributes) {
  uint32_t result = 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) result |= kFileAttrDirectory;
  // The terminal's ROM and ROM-module bits have no desktop meaning (the same
  // values mean other things there); read-only stands in for them.
  if (attributes & FILE_ATTRIBUTE_READONLY) result |= kFileAttrInRom;
  return result;
}

bool NativeToProductPath(const char* nativePath, char16_t* out, size_t capacity) {
  if (!nativePath || !nativePath[0] || !out || capacity < 5) return false;
  WCHAR wide[kMaxPathUnits];
  if (MultiByteToWideChar(CP_UTF8, 0, nativePath, -1, wide, kMaxPathUnits) <= 0) return false;
  WCHAR* dst = reinterpret_cast<WCHAR*>(out);
  if (IsNativePrefix(wide)) {
    if (static_cast<size_t>(lstrlenW(wide)) >= capacity) return false;
    lstrcpyW(dst, wide);
    return true;
  }
  // GetFullPathNameW settles "..", "." and forward slashes, which a "\\?\"
  // path no longer gets from the system.
  WCHAR full[kMaxPathUnits];
  DWORD n = GetFullPathNameW(wide, kMaxPathUnits, full, nullptr);
  if (n == 0 || n >= kMaxPathUnits) return false;
  const WCHAR* rest = full;
  const WCHAR* prefix = L"\\\\?\\";
  if (full[0] == L'\\' && full[1] == L'\\') {  // a share: \\server\x -> \\?\UNC\server\x
    prefix = L"\\\\?\\UNC\\";
    rest = full + 2;
  }
  if (static_cast<size_t>(lstrlenW(prefix) + lstrlenW(rest)) >= capacity) return false;
  lstrcpyW(dst, prefix);
  lstrcatW(dst, rest);
  return true;
}
