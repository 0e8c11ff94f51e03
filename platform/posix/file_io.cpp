// The file seam on the host. Terminal paths ("\Temp\SARNU.INI") live under
// the folder SARNU_ROOT names and are looked up without regard to letter case,
// as on the terminal; "\\?\" paths are native paths of this machine.
#include "file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kMaxNative = 4096;

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD. False when it does not fit.
bool ToUtf8(const char16_t* src, char* dst, size_t cap) {
  size_t n = 0;
  for (size_t i = 0; src[i]; ++i) {
    uint32_t cp = src[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (src[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    char b[4];
    size_t k;
    if (cp < 0x80) {
      b[0] = static_cast<char>(cp), k = 1;
    } else if (cp < 0x800) {
      b[0] = static_cast<char>(0xC0 | (cp >> 6)), b[1] = static_cast<char>(0x80 | (cp & 0x3F));
      k = 2;
    } else if (cp < 0x10000) {
      b[0] = static_cast<char>(0xE0 | (cp >> 12));
      b[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      b[2] = static_cast<char>(0x80 | (cp & 0x3F)), k = 3;
    } else {
      b[0] = static_cast<char>(0xF0 | (cp >> 18));
      b[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      b[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      b[3] = static_cast<char>(0x80 | (cp & 0x3F)), k = 4;
    }
    if (n + k >= cap) return false;
    memcpy(dst + n, b, k);
    n += k;
  }
  dst[n] = 0;
  return true;
}

// UTF-8 to UTF-16 for NativeToProductPath; malformed bytes become U+FFFD.
bool ToUtf16(const char* src, char16_t* dst, size_t cap) {
  size_t n = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(src);
  while (*p) {
    uint32_t cp = 0xFFFD;
    size_t used = 1;
    int extra = (*p < 0x80)           ? 0
                : (*p & 0xE0) == 0xC0 ? 1
                : (*p & 0xF0) == 0xE0 ? 2
                : (*p & 0xF8) == 0xF0 ? 3
                                      : -1;
    if (extra == 0) {
      cp = *p;
    } else if (extra > 0) {
      uint32_t v = *p & (0x3F >> extra);
      int i = 1;
      for (; i <= extra && (p[i] & 0xC0) == 0x80; ++i) v = (v << 6) | (p[i] & 0x3F);
      if (i > extra) {
        cp = v, used = static_cast<size_t>(extra) + 1;
      }
    }
    if (cp >= 0x10000) {
      if (n + 2 >= cap) return false;
      cp -= 0x10000;
      dst[n++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      dst[n++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      if (n + 1 >= cap) return false;
      dst[n++] = static_cast<char16_t>(cp);
    }
    p += used;
  }
  dst[n] = 0;
  return true;
}

bool SameNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a + 32) : *a;
    char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b + 32) : *b;
    if (x != y) return false;
    if (!x) return true;
  }
}

// Replaces each component of `path` after its first `fixed` bytes by an
// existing entry that differs only in letter case, so "\windows\x" finds
// "Windows/x" as the terminal's file system would. Components that do not
// exist stay as written (the file is about to be created).
void ResolveCase(char* path, size_t fixed) {
  size_t pos = fixed;
  while (path[pos]) {
    while (path[pos] == '/') ++pos;
    if (!path[pos]) break;
    size_t end = pos;
    while (path[end] && path[end] != '/') ++end;
    char saved = path[end];
    path[end] = 0;
    struct stat st;
    if (lstat(path, &st) != 0) {
      char keep = path[pos];
      path[pos] = 0;
      DIR* dir = opendir(pos > 0 ? path : ".");
      path[pos] = keep;
      if (dir) {
        for (dirent* entry = readdir(dir); entry; entry = readdir(dir)) {
          if (strlen(entry->d_name) == end - pos && SameNoCase(entry->d_name, path + pos)) {
            memcpy(path + pos, entry->d_name, end - pos);
            break;
          }
        }
        closedir(dir);
      }
    }
    path[end] = saved;
    pos = end;
  }
}

// Product path to native path. False for an empty path or one that is too long.
bool MapPath(const char16_t* path, char* out, size_t cap) {
  if (!path || !path[0]) return false;
  if (path[0] == u'\\' && path[1] == u'\\' && path[2] == u'?' && path[3] == u'\\') {
    return ToUtf8(path + 4, out, cap);
  }
  if (path[0] != u'\\' || path[1] == u'\\') return ToUtf8(path, out, cap);
  const char* root = getenv("SARNU_ROOT");
  if (!root || !root[0]) root = ".";
  size_t rootLen = strlen(root);
  while (rootLen > 1 && root[rootLen - 1] == '/') --rootLen;
  if (rootLen >= cap) return false;
  memcpy(out, root, rootLen);
  if (!ToUtf8(path, out + rootLen, cap - rootLen)) return false;
  for (char* p = out + rootLen; *p; ++p) {
    if (*p == '\\') *p = '/';
  }
  ResolveCase(out, rootLen);
  return true;
}

uint32_t AttributesOf(const struct stat& st) {
  uint32_t attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= kFileAttrDirectory;
  // We run as root, for whom access() says yes to everything: the owner's
  // write bit is what marks a file as not to be rewritten.
  if (!(st.st_mode & S_IWUSR)) attributes |= kFileAttrInRom;
  return attributes;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Win32 refuses to overwrite or delete a read-only file; the stand-in does
// the same so both builds behave alike.
bool IsReadOnlyFile(const char* native) {
  struct stat st;
  return stat(native, &st) == 0 && !S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR);
}

}  // namespace

bool FileReadAll(const char16_t* path, unsigned char** data, size_t* size, uint32_t* attributes) {
  *data = nullptr;
  *size = 0;
  *attributes = 0;
  char native[kMaxNative];
  if (!MapPath(path, native, sizeof native)) return false;
  int fd = open(native, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return false;
  }
  size_t capacity = static_cast<size_t>(st.st_size);
  unsigned char* buffer = static_cast<unsigned char*>(malloc(capacity + 1));
  if (!buffer) {
    close(fd);
    return false;
  }
  size_t got = 0;
  while (got < capacity) {
    ssize_t n = read(fd, buffer + got, capacity - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      free(buffer);
      close(fd);
      return false;
    }
    if (n == 0) break;  // the file shrank while we read it
    got += static_cast<size_t>(n);
  }
  close(fd);
  buffer[got] = 0;
  *data = buffer;
  *size = got;
  *attributes = AttributesOf(st);
  return true;
}

void FileFreeData(unsigned char* data) { free(data); }

bool FileReplaceThroughTemp(const char16_t* path, const void* data, size_t size) {
  char native[kMaxNative];
  char temp[kMaxNative + 4];
  if (!MapPath(path, native, sizeof native)) return false;
  if (IsReadOnlyFile(native)) return false;
  size_t len = strlen(native);
  memcpy(temp, native, len);
  memcpy(temp + len, ".tmp", 5);

  struct stat old;
  bool replacing = stat(native, &old) == 0;
  if (replacing && S_ISDIR(old.st_mode)) return false;
  int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data, size);
  // The new file keeps the permissions of the one it replaces.
  if (ok && replacing) ok = fchmod(fd, old.st_mode & 07777) == 0;
  ok = (close(fd) == 0) && ok;
  // Renaming is the copy-over-and-delete in one step that cannot leave the
  // file half-written.
  if (ok) ok = rename(temp, native) == 0;
  if (!ok) unlink(temp);
  return ok;
}

bool FileMoveOver(const char16_t* from, const char16_t* to) {
  char src[kMaxNative];
  char dst[kMaxNative];
  if (!MapPath(from, src, sizeof src) || !MapPath(to, dst, sizeof dst)) return false;
  if (IsReadOnlyFile(dst)) return false;
  return rename(src, dst) == 0;
}

bool FileMakeWritable(const char16_t* path) {
  char native[kMaxNative];
  struct stat st;
  if (!MapPath(path, native, sizeof native) || stat(native, &st) != 0) return false;
  return chmod(native, st.st_mode | S_IWUSR) == 0;
}

bool FileCopy(const char16_t* from, const char16_t* to, bool failIfExists) {
  char src[kMaxNative];
  char dst[kMaxNative];
  if (!MapPath(from, src, sizeof src) || !MapPath(to, dst, sizeof dst)) return false;
  int in = open(src, O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  if (fstat(in, &st) != 0 || S_ISDIR(st.st_mode) || IsReadOnlyFile(dst)) {
    close(in);
    return false;
  }
  // Copying a file onto itself would truncate it before reading.
  struct stat target;
  if (stat(dst, &target) == 0 && target.st_dev == st.st_dev && target.st_ino == st.st_ino) {
    close(in);
    return false;
  }
  int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
  int out = open(dst, flags, st.st_mode & 0777);
  if (out < 0) {
    close(in);
    return false;
  }
  bool ok = true;
  char buffer[8192];
  for (;;) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (!WriteAll(out, buffer, static_cast<size_t>(n))) {
      ok = false;
      break;
    }
  }
  // Like the Win32 copy, the copy carries the source's attributes (read-only
  // included).
  if (ok) ok = fchmod(out, st.st_mode & 07777) == 0;
  ok = (close(out) == 0) && ok;
  close(in);
  return ok;
}

bool FileDelete(const char16_t* path) {
  char native[kMaxNative];
  if (!MapPath(path, native, sizeof native)) return false;
  if (IsReadOnlyFile(native)) return false;
  return unlink(native) == 0;
}

bool FileAppend(const char16_t* path, const void* data, size_t size, size_t* sizeBefore) {
  char native[kMaxNative];
  if (!MapPath(path, native, sizeof native)) return false;
  const int fd = open(native, O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return false;
  struct stat st;
  if (sizeBefore) *sizeBefore = fstat(fd, &st) == 0 ? size_t(st.st_size) : 0;
  const ssize_t written = write(fd, data, size);
  close(fd);
  return written >= 0 && size_t(written) == size;
}

bool FileMakeFolder(const char16_t* path) {
  char native[kMaxNative];
  if (!MapPath(path, native, sizeof native)) return false;
  struct stat st;
  return mkdir(native, 0777) == 0 || (stat(native, &st) == 0 && S_ISDIR(st.st_mode));
}

bool FileGetAttributes(const char16_t* path, uint32_t* attributes) {
  *attributes = 0;
  char native[kMaxNative];
  if (!MapPath(path, native, sizeof native)) return false;
  struct stat st;
  if (stat(native, &st) != 0) return false;
  *attributes = AttributesOf(st);
  return true;
}

bool NativeToProductPath(const char* nativePath, char16_t* out, size_t capacity) {
  if (!nativePath || !nativePath[0] || !out || capacity < 5) return false;
  char absolute[kMaxNative];
  if (nativePath[0] == '/') {
    if (strlen(nativePath) >= sizeof absolute) return false;
    strcpy(absolute, nativePath);
  } else {
    if (!getcwd(absolute, sizeof absolute)) return false;
    size_t len = strlen(absolute);
    if (len + 1 + strlen(nativePath) >= sizeof absolute) return false;
    if (len == 0 || absolute[len - 1] != '/') absolute[len++] = '/';
    strcpy(absolute + len, nativePath);
  }
  out[0] = u'\\', out[1] = u'\\', out[2] = u'?', out[3] = u'\\';
  return ToUtf16(absolute, out + 4, capacity - 4);
}
