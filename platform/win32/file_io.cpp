// The file seam on Win32. Terminal paths ("\Temp\SARNU.INI") are put on drive
// C:, the simulated terminal's disk; "\\?\" paths are native and used as they
// are. Wide paths go straight to the W calls (MinGW has no wide ifstream).
#include "file_io.h"

#include <windows.h>

#include <cstdlib>

namespace {

constexpr size_t kMaxPathUnits = 1024;

const WCHAR* W(const char16_t* text) { return reinterpret_cast<const WCHAR*>(text); }

bool IsNativePrefix(const WCHAR* p) {
  return p[0] == L'\\' && p[1] == L'\\' && p[2] == L'?' && p[3] == L'\\';
}

// Product path to Win32 path; `extra` units are kept free for a suffix.
bool MapPath(const char16_t* path, WCHAR* out, size_t cap, size_t extra = 0) {
  if (!path || !path[0]) return false;
  const WCHAR* in = W(path);
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

uint32_t FromWin32(DWORD attributes) {
  uint32_t result = 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) result |= kFileAttrDirectory;
  // The terminal's ROM and ROM-module bits have no desktop meaning (the same
  // values mean other things there); read-only stands in for them.
  if (attributes & FILE_ATTRIBUTE_READONLY) result |= kFileAttrInRom;
  return result;
}

bool WriteAll(HANDLE file, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    size -= written;
  }
  return true;
}

}  // namespace

bool FileReadAll(const char16_t* path, unsigned char** data, size_t* size, uint32_t* attributes) {
  *data = nullptr;
  *size = 0;
  *attributes = 0;
  WCHAR native[kMaxPathUnits];
  if (!MapPath(path, native, kMaxPathUnits)) return false;
  HANDLE file = CreateFileW(native, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info) || info.nFileSizeHigh != 0 ||
      info.nFileSizeLow > 0x7FFFFFFF) {
    CloseHandle(file);
    return false;
  }
  size_t capacity = info.nFileSizeLow;
  unsigned char* buffer = static_cast<unsigned char*>(malloc(capacity + 1));
  if (!buffer) {
    CloseHandle(file);
    return false;
  }
  size_t got = 0;
  while (got < capacity) {
    DWORD n = 0;
    if (!ReadFile(file, buffer + got, static_cast<DWORD>(capacity - got), &n, nullptr)) {
      free(buffer);
      CloseHandle(file);
      return false;
    }
    if (n == 0) break;  // the file shrank while we read it
    got += n;
  }
  CloseHandle(file);
  buffer[got] = 0;
  *data = buffer;
  *size = got;
  *attributes = FromWin32(info.dwFileAttributes);
  return true;
}

void FileFreeData(unsigned char* data) { free(data); }

bool FileReplaceThroughTemp(const char16_t* path, const void* data, size_t size) {
  WCHAR native[kMaxPathUnits];
  WCHAR temp[kMaxPathUnits];
  if (!MapPath(path, native, kMaxPathUnits, 4)) return false;
  lstrcpyW(temp, native);
  lstrcatW(temp, L".tmp");
  DWORD old = GetFileAttributesW(native);
  if (old != INVALID_FILE_ATTRIBUTES &&
      (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return false;
  }
  HANDLE file =
      CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, data, size);
  ok = CloseHandle(file) && ok;
  // Copied over rather than moved: the terminal's file system cannot move
  // onto an existing file, and we keep to what it can do.
  if (ok) ok = CopyFileW(temp, native, FALSE) != 0;
  DeleteFileW(temp);
  return ok;
}

bool FileCopy(const char16_t* from, const char16_t* to, bool failIfExists) {
  WCHAR src[kMaxPathUnits];
  WCHAR dst[kMaxPathUnits];
  if (!MapPath(from, src, kMaxPathUnits) || !MapPath(to, dst, kMaxPathUnits)) return false;
  return CopyFileW(src, dst, failIfExists ? TRUE : FALSE) != 0;
}

bool FileDelete(const char16_t* path) {
  WCHAR native[kMaxPathUnits];
  if (!MapPath(path, native, kMaxPathUnits)) return false;
  return DeleteFileW(native) != 0;
}

bool FileGetAttributes(const char16_t* path, uint32_t* attributes) {
  *attributes = 0;
  WCHAR native[kMaxPathUnits];
  if (!MapPath(path, native, kMaxPathUnits)) return false;
  DWORD value = GetFileAttributesW(native);
  if (value == INVALID_FILE_ATTRIBUTES) return false;
  *attributes = FromWin32(value);
  return true;
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
