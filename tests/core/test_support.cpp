// Files for tests: temporary folders, raw bytes in and out through the
// product's file seam, and the terminal's folders reset between tests. The
// folder handling is per platform; everything else goes through the seam.
#include "test_support.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "file_io.h"
#include "wide_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

std::u16string U16(const char* utf8) {
  std::vector<char16_t> buffer(strlen(utf8) + 1);
  size_t n = Utf8ToWide(utf8, buffer.data(), buffer.size());
  return std::u16string(buffer.data(), n);
}

bool WriteBytes(const std::u16string& path, const std::string& bytes) {
  return FileReplaceThroughTemp(path.c_str(), bytes.data(), bytes.size());
}

std::string ReadBytes(const std::u16string& path) {
  unsigned char* data;
  size_t size;
  uint32_t attributes;
  if (!FileReadAll(path.c_str(), &data, &size, &attributes)) return "";
  std::string bytes(reinterpret_cast<char*>(data), size);
  FileFreeData(data);
  return bytes;
}

bool FileExists(const std::u16string& path) {
  uint32_t attributes;
  return FileGetAttributes(path.c_str(), &attributes);
}

#ifdef _WIN32

static std::wstring ToW(const std::u16string& text) {
  return std::wstring(text.begin(), text.end());
}

static std::wstring Utf8ToW(const std::string& utf8) {
  std::vector<wchar_t> buffer(utf8.size() + 1);
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, buffer.data(),
                              static_cast<int>(buffer.size()));
  return n > 0 ? std::wstring(buffer.data()) : std::wstring();
}

// Product path to Win32 path, as the seam maps it.
static std::wstring Native(const std::u16string& path) {
  if (path.size() >= 1 && path[0] == u'\\' && (path.size() < 2 || path[1] != u'\\')) {
    return L"C:" + ToW(path);
  }
  return ToW(path);
}

static void RemoveTreeW(const std::wstring& dir, bool removeSelf) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = dir + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTreeW(child, true);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  if (removeSelf) RemoveDirectoryW(dir.c_str());
}

void RemoveNativeTree(const std::string& nativePath) { RemoveTreeW(Utf8ToW(nativePath), true); }

bool SetReadOnly(const std::u16string& path, bool readOnly) {
  return SetFileAttributesW(Native(path).c_str(),
                            readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != 0;
}

TempFolder::TempFolder() {
  static unsigned counter = 0;
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring dir;
  for (;;) {
    dir = std::wstring(base) + L"sarnu-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
    if (CreateDirectoryW(dir.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  char utf8[1024];
  WideCharToMultiByte(CP_UTF8, 0, dir.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
  native_ = utf8;
  char16_t product[1024];
  if (NativeToProductPath(utf8, product, 1024)) path_ = product;
}

std::u16string TempFolder::File(const char* name) const { return path_ + u"\\" + U16(name); }

// The prefix's C:\Windows is Wine's own: only the folders and files that the
// product uses there are cleared.
void ResetTerminalFolders(bool withTemp) {
  CreateDirectoryW(L"C:\\Temp", nullptr);
  RemoveTreeW(L"C:\\Temp", !withTemp);
  CreateDirectoryW(L"C:\\Windows\\Startup", nullptr);
  RemoveTreeW(L"C:\\Windows\\Startup", false);
  RemoveTreeW(L"C:\\FlashDisk", true);
  RemoveTreeW(L"C:\\Documents and Settings\\System Settings", true);
  for (const wchar_t* name : {L"C:\\Windows\\SARNU.INI", L"C:\\Windows\\SARNU.INI.tmp"}) {
    SetFileAttributesW(name, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(name);
  }
}

#else  // POSIX

static std::string Utf8(const std::u16string& text) {
  std::vector<char> buffer(text.size() * 4 + 1);
  size_t n = WideToUtf8(text.data(), text.size(), buffer.data(), buffer.size());
  return std::string(buffer.data(), n);
}

static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}

void RemoveNativeTree(const std::string& nativePath) {
  nftw(nativePath.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

static std::string TerminalRoot() {
  const char* root = getenv("SARNU_ROOT");
  return root && root[0] ? root : ".";
}

// Product path to native path, as the seam maps it (letter case as given).
static std::string Native(const std::u16string& path) {
  if (path.compare(0, 4, u"\\\\?\\") == 0) return Utf8(path.substr(4));
  if (!path.empty() && path[0] == u'\\' && (path.size() < 2 || path[1] != u'\\')) {
    std::string native = TerminalRoot() + Utf8(path);
    for (size_t i = TerminalRoot().size(); i < native.size(); ++i) {
      if (native[i] == '\\') native[i] = '/';
    }
    return native;
  }
  return Utf8(path);
}

bool SetReadOnly(const std::u16string& path, bool readOnly) {
  std::string native = Native(path);
  struct stat st;
  if (stat(native.c_str(), &st) != 0) return false;
  mode_t mode = readOnly ? (st.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (st.st_mode | S_IWUSR);
  return chmod(native.c_str(), mode & 07777) == 0;
}

TempFolder::TempFolder() {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/sarnu-test-XXXXXX";
  if (mkdtemp(&pattern[0])) native_ = pattern;
  char16_t product[4096];
  if (!native_.empty() && NativeToProductPath(native_.c_str(), product, 4096)) path_ = product;
}

std::u16string TempFolder::File(const char* name) const { return path_ + u"/" + U16(name); }

// Only the terminal's own folders are cleared, so a SARNU_ROOT pointing at a
// folder that holds other things loses nothing else.
void ResetTerminalFolders(bool withTemp) {
  if (!getenv("SARNU_ROOT") || !getenv("SARNU_ROOT")[0]) {
    std::string fresh =
        (getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + std::string("/sarnu-root-XXXXXX");
    if (mkdtemp(&fresh[0])) setenv("SARNU_ROOT", fresh.c_str(), 1);
  }
  std::string root = TerminalRoot();
  for (const char* name : {"Temp", "Windows", "windows", "FlashDisk", "Documents and Settings"}) {
    RemoveNativeTree(root + "/" + name);
  }
  if (withTemp) mkdir((root + "/Temp").c_str(), 0777);
  mkdir((root + "/Windows").c_str(), 0777);
  mkdir((root + "/Windows/Startup").c_str(), 0777);
}

#endif

TempFolder::~TempFolder() {
  if (!native_.empty()) RemoveNativeTree(native_);
}
