// The file seam on Win32, the terminal's and the desktop's alike; how a
// product path becomes a system path is file_system's. Wide paths go straight
// to the W calls (MinGW has no wide ifstream).
#include "file_io.h"

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "file_system.h"

namespace {

constexpr size_t kMaxPathUnits = 1024;

// Two system paths at once: 4 KB, more than a thread's stack may grow by in
// one step on the terminal, so they live on the heap.
struct PathPair {
  WCHAR first[kMaxPathUnits];
  WCHAR second[kMaxPathUnits];
};

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

// A file that is not there yet, or one that may be rewritten. The read-only
// mark is looked at here on both systems: on the terminal it does not stop
// a rename, so a site's read-only file would otherwise be moved aside and
// replaced.
bool CanReplace(const WCHAR* native) {
  const DWORD old = GetFileAttributesW(native);
  if (old == INVALID_FILE_ATTRIBUTES) return true;
  if (old & FILE_ATTRIBUTE_READONLY) return false;
  return !(ProductAttributes(old) & (kFileAttrInRom | kFileAttrDirectory));
}

}  // namespace

bool FileReadAll(const char16_t* path, unsigned char** data, size_t* size, uint32_t* attributes) {
  *data = nullptr;
  *size = 0;
  *attributes = 0;
  WCHAR native[kMaxPathUnits];
  if (!MapProductPath(path, native, kMaxPathUnits)) return false;
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
  *attributes = ProductAttributes(info.dwFileAttributes);
  return true;
}

void FileFreeData(unsigned char* data) { free(data); }

bool FileReplaceThroughTemp(const char16_t* path, const void* data, size_t size) {
  std::unique_ptr<PathPair> paths(new (std::nothrow) PathPair);
  if (!paths) return false;
  WCHAR* native = paths->first;
  WCHAR* temp = paths->second;
  if (!MapProductPath(path, native, kMaxPathUnits, 4)) return false;
  lstrcpyW(temp, native);
  lstrcatW(temp, L".tmp");
  if (!CanReplace(native)) return false;
  HANDLE file =
      CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, data, size);
  ok = CloseHandle(file) && ok;
  if (ok) ok = ReplaceFileWhole(temp, native);
  if (!ok) DeleteFileW(temp);
  return ok;
}

bool FileMoveOver(const char16_t* from, const char16_t* to) {
  std::unique_ptr<PathPair> paths(new (std::nothrow) PathPair);
  if (!paths) return false;
  WCHAR* src = paths->first;
  WCHAR* dst = paths->second;
  if (!MapProductPath(from, src, kMaxPathUnits) || !MapProductPath(to, dst, kMaxPathUnits)) {
    return false;
  }
  return CanReplace(dst) && ReplaceFileWhole(src, dst);
}

bool FileMakeWritable(const char16_t* path) {
  WCHAR native[kMaxPathUnits];
  if (!MapProductPath(path, native, kMaxPathUnits)) return false;
  const DWORD attributes = GetFileAttributesW(native);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         SetFileAttributesW(native, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)) != 0;
}

bool FileCopy(const char16_t* from, const char16_t* to, bool failIfExists) {
  std::unique_ptr<PathPair> paths(new (std::nothrow) PathPair);
  if (!paths) return false;
  WCHAR* src = paths->first;
  WCHAR* dst = paths->second;
  if (!MapProductPath(from, src, kMaxPathUnits) || !MapProductPath(to, dst, kMaxPathUnits)) return false;
  return CopyFileW(src, dst, failIfExists ? TRUE : FALSE) != 0;
}

bool FileDelete(const char16_t* path) {
  WCHAR native[kMaxPathUnits];
  if (!MapProductPath(path, native, kMaxPathUnits)) return false;
  return DeleteFileW(native) != 0;
}

bool FileAppend(const char16_t* path, const void* data, size_t size, size_t* sizeBefore) {
  WCHAR native[kMaxPathUnits];
  if (!MapProductPath(path, native, kMaxPathUnits)) return false;
  HANDLE file = CreateFileW(native, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const DWORD end = SetFilePointer(file, 0, nullptr, FILE_END);
  if (sizeBefore) *sizeBefore = end == INVALID_SET_FILE_POINTER ? 0 : end;
  DWORD written = 0;
  const bool whole = end != INVALID_SET_FILE_POINTER &&
                     WriteFile(file, data, DWORD(size), &written, nullptr) && written == size;
  CloseHandle(file);
  return whole;
}

bool FileMakeFolder(const char16_t* path) {
  WCHAR native[kMaxPathUnits];
  if (!MapProductPath(path, native, kMaxPathUnits)) return false;
  if (CreateDirectoryW(native, nullptr)) return true;
  const DWORD attributes = GetFileAttributesW(native);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileGetAttributes(const char16_t* path, uint32_t* attributes) {
  *attributes = 0;
  WCHAR native[kMaxPathUnits];
  if (!MapProductPath(path, native, kMaxPathUnits)) return false;
  DWORD value = GetFileAttributesW(native);
  if (value == INVALID_FILE_ATTRIBUTES) return false;
  *attributes = ProductAttributes(value);
  return true;
}
