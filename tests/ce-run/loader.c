/* Runs a terminal image (a Windows CE ARM PE program) under qemu-arm as a
 * static Linux program of its own: maps the image, applies its base
 * relocations, binds its coredll imports to the stand-ins below and enters
 * it as the terminal's loader does, with WinMain's four arguments.
 *   loader IMAGE ROOT
 * ROOT is the host folder that the terminal's "\" stands for. Debug output
 * goes to stdout; the exit code is the program's. An import without a
 * stand-in is bound to a trap that names it and ends the run with 3 when
 * called; a loader fault ends it with 4.
 *
 * Freestanding (no C library on this target) and ARM code for ARMv4T, so
 * that it runs on every CPU the terminals have. Every function returns with
 * "bx lr", so Thumb-2 callers (ARMv7 images) come back in Thumb state. */

typedef unsigned char u8;
typedef unsigned short u16;
typedef unsigned int u32;
typedef int i32;
typedef unsigned long long u64;
typedef unsigned int size_t;
typedef u16 wchar;

/* ---- Linux system calls (ARM EABI) ---- */

enum {
  SYS_exit = 1,
  SYS_read = 3,
  SYS_write = 4,
  SYS_open = 5,
  SYS_close = 6,
  SYS_unlink = 10,
  SYS_chmod = 15,
  SYS_rename = 38,
  SYS_mkdir = 39,
  SYS_munmap = 91,
  SYS_mmap2 = 192,
  SYS_stat64 = 195,
  SYS_fstat64 = 197,
  SYS_exit_group = 248
};
enum { O_RDONLY = 0, O_WRONLY = 1, O_RDWR = 2, O_CREAT = 0100, O_EXCL = 0200, O_TRUNC = 01000 };

static long sys6(long n, long a, long b, long c, long d, long e, long f) {
  register long r0 __asm__("r0") = a;
  register long r1 __asm__("r1") = b;
  register long r2 __asm__("r2") = c;
  register long r3 __asm__("r3") = d;
  register long r4 __asm__("r4") = e;
  register long r5 __asm__("r5") = f;
  register long r7 __asm__("r7") = n;
  __asm__ volatile("svc 0"
                   : "+r"(r0)
                   : "r"(r1), "r"(r2), "r"(r3), "r"(r4), "r"(r5), "r"(r7)
                   : "memory");
  return r0;
}
#define sys3(n, a, b, c) sys6((n), (long)(a), (long)(b), (long)(c), 0, 0, 0)

static void Exit(int code) {
  for (;;) sys3(SYS_exit_group, code, 0, 0);
}

/* ---- What the compiler expects of a C library, and coredll's C part ---- */

void* memcpy(void* d, const void* s, size_t n) {
  u8* dp = d;
  const u8* sp = s;
  while (n--) *dp++ = *sp++;
  return d;
}
void* memmove(void* d, const void* s, size_t n) {
  u8* dp = d;
  const u8* sp = s;
  if (dp < sp) return memcpy(d, s, n);
  while (n--) dp[n] = sp[n];
  return d;
}
void* memset(void* d, int c, size_t n) {
  u8* dp = d;
  while (n--) *dp++ = (u8)c;
  return d;
}
int memcmp(const void* a, const void* b, size_t n) {
  const u8 *x = a, *y = b;
  for (; n; --n, ++x, ++y)
    if (*x != *y) return *x < *y ? -1 : 1;
  return 0;
}
void* memchr(const void* s, int c, size_t n) {
  const u8* p = s;
  for (; n; --n, ++p)
    if (*p == (u8)c) return (void*)p;
  return 0;
}
void __aeabi_memcpy(void* d, const void* s, size_t n) { memcpy(d, s, n); }
void __aeabi_memcpy4(void* d, const void* s, size_t n) { memcpy(d, s, n); }
void __aeabi_memcpy8(void* d, const void* s, size_t n) { memcpy(d, s, n); }
void __aeabi_memmove(void* d, const void* s, size_t n) { memmove(d, s, n); }
void __aeabi_memset(void* d, size_t n, int c) { memset(d, c, n); }
void __aeabi_memclr(void* d, size_t n) { memset(d, 0, n); }
void __aeabi_memclr4(void* d, size_t n) { memset(d, 0, n); }
void __aeabi_memclr8(void* d, size_t n) { memset(d, 0, n); }

size_t strlen(const char* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}
int strcmp(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return (u8)*a - (u8)*b;
}
static size_t wcslen_(const wchar* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}
static wchar* wcscpy_(wchar* d, const wchar* s) {
  wchar* r = d;
  while ((*d++ = *s++) != 0) {
  }
  return r;
}
static wchar* wcscat_(wchar* d, const wchar* s) {
  wcscpy_(d + wcslen_(d), s);
  return d;
}

/* ARMv4 has no divide instruction: shift and subtract. */
static u32 UDivMod(u32 n, u32 d, u32* rem) {
  u32 q = 0, r = 0;
  int i;
  if (d == 0) {
    *rem = 0;
    return 0;
  }
  for (i = 31; i >= 0; --i) {
    r = (r << 1) | ((n >> i) & 1);
    if (r >= d) r -= d, q |= 1u << i;
  }
  *rem = r;
  return q;
}
u64 __aeabi_uidivmod(u32 n, u32 d) {
  u32 r, q = UDivMod(n, d, &r);
  return (u64)r << 32 | q;
}
u32 __aeabi_uidiv(u32 n, u32 d) {
  u32 r;
  return UDivMod(n, d, &r);
}
static u64 SDivMod(i32 n, i32 d) {
  u32 r, q = UDivMod(n < 0 ? 0u - (u32)n : (u32)n, d < 0 ? 0u - (u32)d : (u32)d, &r);
  if ((n < 0) != (d < 0)) q = 0u - q;
  if (n < 0) r = 0u - r;
  return (u64)r << 32 | q;
}
u64 __aeabi_idivmod(i32 n, i32 d) { return SDivMod(n, d); }
i32 __aeabi_idiv(i32 n, i32 d) { return (i32)(u32)SDivMod(n, d); }

/* coredll's division helpers: divisor in r0, dividend in r1; quotient back
 * in r0, remainder in r1 (a 64-bit return value in AAPCS terms). */
static u64 rt_udiv(u32 divisor, u32 dividend) { return __aeabi_uidivmod(dividend, divisor); }
static u64 rt_sdiv(i32 divisor, i32 dividend) { return SDivMod(dividend, divisor); }

static long strtol_base(const char* s, char** end, int base, int* negative) {
  const char* p = s;
  u32 v = 0;
  int any = 0;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  *negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if ((base == 0 || base == 16) && p[0] == '0' && (p[1] | 32) == 'x') p += 2, base = 16;
  if (base == 0) base = *p == '0' ? 8 : 10;
  for (;; ++p) {
    int digit = *p >= '0' && *p <= '9'                 ? *p - '0'
                : (*p | 32) >= 'a' && (*p | 32) <= 'z' ? (*p | 32) - 'a' + 10
                                                       : 99;
    if (digit >= base) break;
    v = v * (u32)base + (u32)digit;
    any = 1;
  }
  if (end) *end = (char*)(any ? p : s);
  return (long)v;
}
/* The cases pass small decimal numbers; overflow is not modelled. */
static long strtol_(const char* s, char** end, int base) {
  int negative;
  long v = strtol_base(s, end, base, &negative);
  return negative ? -v : v;
}
static unsigned long strtoul_(const char* s, char** end, int base) {
  int negative;
  unsigned long v = (unsigned long)strtol_base(s, end, base, &negative);
  return negative ? 0ul - v : v;
}

/* ---- Output ---- */

static void Write(int fd, const char* s, size_t n) {
  while (n > 0) {
    long w = sys3(SYS_write, fd, s, n);
    if (w <= 0) return;
    s += w, n -= (size_t)w;
  }
}
static void Say(const char* s) { Write(2, s, strlen(s)); }
static void Fail(const char* what, const char* detail) {
  Say("ce-run loader: ");
  Say(what);
  Say(detail);
  Say("\n");
  Exit(4);
}

/* Debug output: a wide line as UTF-8 on stdout. */
static void OutputDebugStringW_(const wchar* text) {
  char buffer[1024];
  size_t n = 0;
  for (; *text; ++text) {
    u32 c = *text;
    if (n + 4 > sizeof buffer) Write(1, buffer, n), n = 0;
    if (c < 0x80) {
      buffer[n++] = (char)c;
    } else if (c < 0x800) {
      buffer[n++] = (char)(0xC0 | c >> 6);
      buffer[n++] = (char)(0x80 | (c & 63));
    } else {
      buffer[n++] = (char)(0xE0 | c >> 12);
      buffer[n++] = (char)(0x80 | ((c >> 6) & 63));
      buffer[n++] = (char)(0x80 | (c & 63));
    }
  }
  Write(1, buffer, n);
}

/* ---- Memory ---- */

static void* MapPages(size_t bytes) {
  long p = sys6(SYS_mmap2, 0, (long)bytes, 7 /* rwx */, 0x22 /* private, anonymous */, -1, 0);
  return p < 0 && p > -4096 ? 0 : (void*)p;
}

/* Blocks of 2^k bytes (k = 4..26) with free lists; the header keeps k. */
enum { kMinClass = 4, kMaxClass = 26, kChunk = 1 << 20 };
static void* g_free[kMaxClass + 1];
static u8* g_arena;
static size_t g_arenaLeft;

static void* malloc_(size_t bytes) {
  u32 k = kMinClass;
  u32* block;
  while (k <= kMaxClass && ((size_t)1 << k) < bytes + 8) ++k;
  if (k > kMaxClass) return 0;
  if (g_free[k]) {
    block = g_free[k];
    g_free[k] = *(void**)block;
  } else if (((size_t)1 << k) >= kChunk) {
    block = MapPages((size_t)1 << k);
  } else {
    if (g_arenaLeft < ((size_t)1 << k)) {
      g_arena = MapPages(kChunk);
      g_arenaLeft = g_arena ? kChunk : 0;
    }
    if (!g_arenaLeft) return 0;
    block = (u32*)g_arena;
    g_arena += (size_t)1 << k;
    g_arenaLeft -= (size_t)1 << k;
  }
  if (!block) return 0;
  block[0] = k;
  return block + 2; /* 8-aligned */
}
static void free_(void* p) {
  u32* block;
  if (!p) return;
  block = (u32*)p - 2;
  *(void**)block = g_free[block[0]];
  g_free[block[0]] = block;
}
static void* realloc_(void* p, size_t bytes) {
  size_t old;
  void* q;
  if (!p) return malloc_(bytes);
  old = ((size_t)1 << ((u32*)p)[-2]) - 8;
  if (bytes <= old) return p;
  q = malloc_(bytes);
  if (q) memcpy(q, p, old), free_(p);
  return q;
}

/* Whole pages, as VirtualAlloc gives them; released whole. */
enum { kMaxRegions = 256 };
static struct {
  void* at;
  size_t bytes;
} g_regions[kMaxRegions];

static void* VirtualAlloc_(void* at, size_t bytes, u32 type, u32 protect) {
  int i;
  void* p;
  (void)type, (void)protect;
  if (at) return 0; /* reserving at an address is not modelled */
  bytes = (bytes + 4095) & ~4095u;
  for (i = 0; i < kMaxRegions && g_regions[i].at; ++i) {
  }
  if (i == kMaxRegions || !(p = MapPages(bytes))) return 0;
  g_regions[i].at = p;
  g_regions[i].bytes = bytes;
  return p;
}
static int VirtualFree_(void* at, size_t bytes, u32 type) {
  int i;
  (void)bytes, (void)type;
  for (i = 0; i < kMaxRegions; ++i) {
    if (g_regions[i].at == at && at) {
      sys3(SYS_munmap, at, g_regions[i].bytes, 0);
      g_regions[i].at = 0;
      return 1;
    }
  }
  return 0;
}
static void GetSystemInfo_(u8* info) {
  memset(info, 0, 36);
  *(u32*)(info + 4) = 4096;   /* dwPageSize */
  *(u32*)(info + 20) = 1;     /* dwNumberOfProcessors */
  *(u32*)(info + 28) = 65536; /* dwAllocationGranularity */
}

/* ---- Files: the terminal's "\" is the folder given on the command line ---- */

static char g_root[1024];
static u32 g_lastError;
enum { kErrorFileNotFound = 2, kErrorAccessDenied = 5, kErrorAlreadyExists = 183 };
enum { kAttrReadOnly = 0x1, kAttrDirectory = 0x10, kAttrNormal = 0x80 };
#define INVALID_HANDLE ((void*)-1)
#define INVALID_ATTRIBUTES 0xFFFFFFFFu

/* "\a\b" -> ROOT/a/b as UTF-8. False for a path that is not absolute. */
static int HostPath(const wchar* path, char* out, size_t cap) {
  size_t n = strlen(g_root);
  if (!path || path[0] != '\\' || n + 1 >= cap) return 0;
  memcpy(out, g_root, n);
  for (; *path; ++path) {
    u32 c = *path == '\\' ? '/' : *path;
    if (n + 4 >= cap) return 0;
    if (c < 0x80) {
      out[n++] = (char)c;
    } else if (c < 0x800) {
      out[n++] = (char)(0xC0 | c >> 6);
      out[n++] = (char)(0x80 | (c & 63));
    } else {
      out[n++] = (char)(0xE0 | c >> 12);
      out[n++] = (char)(0x80 | ((c >> 6) & 63));
      out[n++] = (char)(0x80 | (c & 63));
    }
  }
  out[n] = 0;
  return 1;
}

/* struct stat64 on ARM EABI: st_mode at 16, st_size at 48. */
static u32 AttributesOfStat(const u8* st) {
  u32 mode = *(const u32*)(st + 16);
  u32 a = (mode & 0170000) == 0040000 ? kAttrDirectory : 0;
  if (!(mode & 0200)) a |= kAttrReadOnly;
  return a ? a : kAttrNormal;
}
static u32 Attributes(const char* host) {
  u64 st[16];
  return sys3(SYS_stat64, host, st, 0) < 0 ? INVALID_ATTRIBUTES : AttributesOfStat((u8*)st);
}

static int Refuse(u32 error) {
  g_lastError = error;
  return 0;
}

static void* CreateFileW_(const wchar* path, u32 access, u32 share, void* security, u32 disposition,
                          u32 flags, void* from) {
  static const int kOpen[] = {0, O_CREAT | O_EXCL, O_CREAT | O_TRUNC, 0, O_CREAT, O_TRUNC};
  char host[1200];
  long fd;
  int mode = (access & 0x40000000u) ? ((access & 0x80000000u) ? O_RDWR : O_WRONLY) : O_RDONLY;
  (void)share, (void)security, (void)flags, (void)from;
  if (!HostPath(path, host, sizeof host) || disposition < 1 || disposition > 5) {
    Refuse(kErrorFileNotFound);
    return INVALID_HANDLE;
  }
  fd = sys3(SYS_open, host, mode | kOpen[disposition], 0644);
  if (fd < 0) {
    Refuse(fd == -17 ? kErrorAlreadyExists : fd == -13 ? kErrorAccessDenied : kErrorFileNotFound);
    return INVALID_HANDLE;
  }
  return (void*)(fd + 0x100);
}
static long Fd(void* handle) { return (long)handle - 0x100; }

static int ReadFile_(void* h, void* buffer, u32 bytes, u32* got, void* overlapped) {
  long n = sys3(SYS_read, Fd(h), buffer, bytes);
  (void)overlapped;
  if (got) *got = n > 0 ? (u32)n : 0;
  return n >= 0 ? 1 : Refuse(kErrorAccessDenied);
}
static int WriteFile_(void* h, const void* buffer, u32 bytes, u32* put, void* overlapped) {
  long n = sys3(SYS_write, Fd(h), buffer, bytes);
  (void)overlapped;
  if (put) *put = n > 0 ? (u32)n : 0;
  return n >= 0 ? 1 : Refuse(kErrorAccessDenied);
}
static int CloseHandle_(void* h) { return sys3(SYS_close, Fd(h), 0, 0) == 0; }

/* BY_HANDLE_FILE_INFORMATION: attributes at 0, size high/low at 32/36,
 * links at 40; 52 bytes as the headers declare it. */
static int GetFileInformationByHandle_(void* h, u8* info) {
  u64 st[16];
  if (sys3(SYS_fstat64, Fd(h), st, 0) < 0) return Refuse(kErrorAccessDenied);
  memset(info, 0, 52);
  *(u32*)info = AttributesOfStat((u8*)st);
  *(u32*)(info + 32) =
      (u32)(((u8*)st)[52] | ((u8*)st)[53] << 8 | ((u8*)st)[54] << 16 | (u32)((u8*)st)[55] << 24);
  *(u32*)(info + 36) = *(u32*)((u8*)st + 48);
  *(u32*)(info + 40) = 1;
  return 1;
}

static u32 GetFileAttributesW_(const wchar* path) {
  char host[1200];
  u32 a;
  if (!HostPath(path, host, sizeof host)) return INVALID_ATTRIBUTES;
  a = Attributes(host);
  if (a == INVALID_ATTRIBUTES) g_lastError = kErrorFileNotFound;
  return a;
}
static int SetFileAttributesW_(const wchar* path, u32 attributes) {
  char host[1200];
  u32 old;
  if (!HostPath(path, host, sizeof host) || (old = Attributes(host)) == INVALID_ATTRIBUTES) {
    return Refuse(kErrorFileNotFound);
  }
  if (old & kAttrDirectory) return 1;
  return sys3(SYS_chmod, host, (attributes & kAttrReadOnly) ? 0444 : 0644, 0) == 0;
}
static int DeleteFileW_(const wchar* path) {
  char host[1200];
  if (!HostPath(path, host, sizeof host)) return Refuse(kErrorFileNotFound);
  return sys3(SYS_unlink, host, 0, 0) == 0 ? 1 : Refuse(kErrorFileNotFound);
}
static int CreateDirectoryW_(const wchar* path, void* security) {
  char host[1200];
  long r;
  (void)security;
  if (!HostPath(path, host, sizeof host)) return Refuse(kErrorFileNotFound);
  r = sys3(SYS_mkdir, host, 0755, 0);
  return r == 0 ? 1 : Refuse(r == -17 ? kErrorAlreadyExists : kErrorFileNotFound);
}
/* The terminal's move never replaces a file. */
static int MoveFileW_(const wchar* from, const wchar* to) {
  char a[1200], b[1200];
  if (!HostPath(from, a, sizeof a) || !HostPath(to, b, sizeof b)) return Refuse(kErrorFileNotFound);
  if (Attributes(b) != INVALID_ATTRIBUTES) return Refuse(kErrorAlreadyExists);
  return sys3(SYS_rename, a, b, 0) == 0 ? 1 : Refuse(kErrorFileNotFound);
}
/* The content of `source` becomes `destination`'s, and `source` is gone. */
static int DeleteAndRenameFile_(const wchar* destination, const wchar* source) {
  char a[1200], b[1200];
  if (!HostPath(source, a, sizeof a) || !HostPath(destination, b, sizeof b)) {
    return Refuse(kErrorFileNotFound);
  }
  if (Attributes(b) == INVALID_ATTRIBUTES) return Refuse(kErrorFileNotFound);
  return sys3(SYS_rename, a, b, 0) == 0 ? 1 : Refuse(kErrorAccessDenied);
}
static int CopyFileW_(const wchar* from, const wchar* to, int failIfExists) {
  char a[1200], b[1200], buffer[4096];
  long in, out, n;
  int ok = 1;
  if (!HostPath(from, a, sizeof a) || !HostPath(to, b, sizeof b)) return Refuse(kErrorFileNotFound);
  if ((in = sys3(SYS_open, a, O_RDONLY, 0)) < 0) return Refuse(kErrorFileNotFound);
  out = sys3(SYS_open, b, O_WRONLY | O_CREAT | (failIfExists ? O_EXCL : O_TRUNC), 0644);
  if (out < 0) {
    sys3(SYS_close, in, 0, 0);
    return Refuse(out == -17 ? kErrorAlreadyExists : kErrorAccessDenied);
  }
  while ((n = sys3(SYS_read, in, buffer, sizeof buffer)) > 0) {
    if (sys3(SYS_write, out, buffer, n) != n) ok = 0;
  }
  sys3(SYS_close, in, 0, 0);
  sys3(SYS_close, out, 0, 0);
  return ok && n == 0;
}

/* ---- Text: the terminals' ANSI code page, Windows-1252 ---- */

static const u16 kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

static u32 GetACP_(void) { return 1252; }

/* A length of -1 counts the terminator in; a capacity of 0 asks for the
 * length. Too small a capacity fails (0), as on the terminal. */
static int MultiByteToWideChar_(u32 page, u32 flags, const u8* src, int length, wchar* dst,
                                int capacity) {
  int i;
  (void)page, (void)flags;
  if (length < 0) length = (int)strlen((const char*)src) + 1;
  if (capacity == 0) return length;
  if (capacity < length) return Refuse(122);
  for (i = 0; i < length; ++i)
    dst[i] = src[i] >= 0x80 && src[i] <= 0x9F ? kHigh1252[src[i] - 0x80] : src[i];
  return length;
}
static int WideCharToMultiByte_(u32 page, u32 flags, const wchar* src, int length, u8* dst,
                                int capacity, const char* fallback, int* usedDefault) {
  int i, k;
  (void)page, (void)flags;
  if (length < 0) length = (int)wcslen_(src) + 1;
  if (usedDefault) *usedDefault = 0;
  if (capacity != 0 && capacity < length) return Refuse(122);
  for (i = 0; i < length; ++i) {
    u32 c = src[i];
    u8 b = '?';
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      b = (u8)c;
    } else {
      for (k = 0; k < 32 && kHigh1252[k] != c; ++k) {
      }
      if (k < 32)
        b = (u8)(0x80 + k);
      else if (usedDefault)
        *usedDefault = 1;
      if (k == 32 && fallback) b = (u8)*fallback;
    }
    if (capacity) dst[i] = b;
  }
  return length;
}

/* ---- Threads: one thread, so locks have nothing to wait for ---- */

static void CriticalSection_(void* section) { (void)section; }
static i32 InterlockedCompareExchange_(volatile i32* p, i32 exchange, i32 comparand) {
  i32 old = *p;
  if (old == comparand) *p = exchange;
  return old;
}
static i32 InterlockedExchange_(volatile i32* p, i32 value) {
  i32 old = *p;
  *p = value;
  return old;
}
static i32 InterlockedExchangeAdd_(volatile i32* p, i32 add) {
  i32 old = *p;
  *p = old + add;
  return old;
}
static i32 InterlockedIncrement_(volatile i32* p) { return ++*p; }
static i32 InterlockedDecrement_(volatile i32* p) { return --*p; }
static u32 GetLastError_(void) { return g_lastError; }
static void SetLastError_(u32 error) { g_lastError = error; }
static void InputThreadStep(void);
static void Sleep_(u32 ms) {
  (void)ms;
  InputThreadStep();
}
static int CheckKeyOrder(int code);
static int TerminateProcess_(void* process, u32 code) {
  (void)process;
  Exit(CheckKeyOrder((int)code));
  return 1;
}

/* ---- Key input ----
 * keybd_event's keys wait in a queue, as they do for the terminal's input
 * thread; each Sleep or GetAsyncKeyState lets the oldest one reach the
 * focus and the key state, so the queue moves only while the program
 * waits. PostKeybdMessage reaches the focus at once. Every key must reach
 * the focus in the order it was sent (the marker key aside). A key is its
 * code, 0x10000 for a character, 0x80000000 for up. */
enum { kMaxKeys = 4096, kMarkerKey = 0xE8, kKeyCharacter = 0x10000, kKeyUp = 0x80000000u };
static u32 g_sent[kMaxKeys], g_queued[kMaxKeys];
static u32 g_sentCount, g_reachedCount, g_queuedFrom, g_queuedTo, g_overtaken;
static u8 g_keyDown[256];

static void Sent(u32 key) {
  if (g_sentCount == kMaxKeys) Fail("too many keys", "");
  if ((key & 0xFFFF) != kMarkerKey) g_sent[g_sentCount++] = key;
}
static void Reached(u32 key) {
  if ((key & 0xFFFF) != kMarkerKey && g_sent[g_reachedCount++] != key) g_overtaken = 1;
}
static void InputThreadStep(void) {
  u32 key;
  if (g_queuedFrom == g_queuedTo) return;
  key = g_queued[g_queuedFrom++];
  g_keyDown[key & 255] = !(key & kKeyUp);
  Reached(key);
}
static void keybd_event_(u8 vk, u8 scan, u32 flags, u32 extra) {
  (void)scan, (void)extra;
  Sent(g_queued[g_queuedTo++] = vk | (flags & 2 ? kKeyUp : 0));
}
static i32 PostKeybdMessage_(void* window, u32 vk, u32 state, u32 count, u32* shifts, u32* characters) {
  const u32 key = (count ? kKeyCharacter | characters[0] : vk) | (state & 0x80 ? 0 : kKeyUp);
  (void)window, (void)shifts;
  Sent(key);
  Reached(key);
  return 1;
}
static u16 GetAsyncKeyState_(i32 vk) {
  InputThreadStep();
  return g_keyDown[vk & 255] ? 0x8000 : 0;
}

/* Exit code 5 when a key overtook another; a line with the count otherwise. */
static int CheckKeyOrder(int code) {
  u32 k = 0, n = 11, count = g_sentCount;
  char line[64], digits[12];
  while (g_queuedFrom != g_queuedTo) InputThreadStep();
  if (!count) return code;
  if (g_overtaken) {
    Say("key route: a key overtook another\n");
    return 5;
  }
  memcpy(line, "key route: ", 11);
  do digits[k++] = (char)('0' + count % 10); while (count /= 10);
  while (k) line[n++] = digits[--k];
  memcpy(line + n, " keys in the order sent\n", 24);
  Write(1, line, n + 24);
  return code;
}

/* ---- What the terminal has and a check does not: answered as absent ---- */

static void* LoadLibraryW_(const wchar* name) {
  (void)name;
  g_lastError = 126; /* module not found */
  return 0;
}
static void* GetProcAddressW_(void* module, const wchar* name) {
  (void)module, (void)name;
  return 0;
}
static int FreeLibrary_(void* module) { return module != 0; }
static long RegNotFound_(void) { return kErrorFileNotFound; }
static long RegClose_(void* key) {
  (void)key;
  return 0;
}

/* ---- Binding ---- */

typedef void (*Function)(void);
static const struct StandIn {
  const char* name;
  Function function;
} kStandIns[] = {
#define S(name, function) \
  { name, (Function)(function) }
    S("malloc", malloc_),
    S("free", free_),
    S("realloc", realloc_),
    S("memcpy", memcpy),
    S("memmove", memmove),
    S("memset", memset),
    S("memcmp", memcmp),
    S("memchr", memchr),
    S("strlen", strlen),
    S("strcmp", strcmp),
    S("strtol", strtol_),
    S("strtoul", strtoul_),
    S("wcslen", wcslen_),
    S("wcscpy", wcscpy_),
    S("wcscat", wcscat_),
    S("__rt_udiv", rt_udiv),
    S("__rt_sdiv", rt_sdiv),
    S("VirtualAlloc", VirtualAlloc_),
    S("VirtualFree", VirtualFree_),
    S("GetSystemInfo", GetSystemInfo_),
    S("CreateFileW", CreateFileW_),
    S("ReadFile", ReadFile_),
    S("WriteFile", WriteFile_),
    S("CloseHandle", CloseHandle_),
    S("GetFileInformationByHandle", GetFileInformationByHandle_),
    S("GetFileAttributesW", GetFileAttributesW_),
    S("SetFileAttributesW", SetFileAttributesW_),
    S("DeleteFileW", DeleteFileW_),
    S("CreateDirectoryW", CreateDirectoryW_),
    S("MoveFileW", MoveFileW_),
    S("DeleteAndRenameFile", DeleteAndRenameFile_),
    S("CopyFileW", CopyFileW_),
    S("GetACP", GetACP_),
    S("MultiByteToWideChar", MultiByteToWideChar_),
    S("WideCharToMultiByte", WideCharToMultiByte_),
    S("InitializeCriticalSection", CriticalSection_),
    S("DeleteCriticalSection", CriticalSection_),
    S("EnterCriticalSection", CriticalSection_),
    S("LeaveCriticalSection", CriticalSection_),
    S("InterlockedCompareExchange", InterlockedCompareExchange_),
    S("InterlockedExchange", InterlockedExchange_),
    S("InterlockedExchangeAdd", InterlockedExchangeAdd_),
    S("InterlockedIncrement", InterlockedIncrement_),
    S("InterlockedDecrement", InterlockedDecrement_),
    S("GetLastError", GetLastError_),
    S("SetLastError", SetLastError_),
    S("Sleep", Sleep_),
    S("TerminateProcess", TerminateProcess_),
    S("OutputDebugStringW", OutputDebugStringW_),
    S("keybd_event", keybd_event_),
    S("PostKeybdMessage", PostKeybdMessage_),
    S("GetAsyncKeyState", GetAsyncKeyState_),
    S("LoadLibraryW", LoadLibraryW_),
    S("GetProcAddressW", GetProcAddressW_),
    S("FreeLibrary", FreeLibrary_),
    S("RegOpenKeyExW", RegNotFound_),
    S("RegQueryValueExW", RegNotFound_),
    S("RegSetValueExW", RegNotFound_),
    S("RegFlushKey", RegClose_),
    S("RegCloseKey", RegClose_),
#undef S
};

/* Imports without a stand-in: each slot gets a trap of its own that names
 * the import when the program calls it. */
enum { kMaxTraps = 64 };
static const char* g_trapNames[kMaxTraps];
static int g_traps;
static int Trap(int index) {
  Say("ce-run loader: the program called ");
  Say(g_trapNames[index]);
  Say(", which has no stand-in\n");
  Exit(3);
  return 0;
}
#define TRAP(n) \
  static int Trap##n(void) { return Trap(n); }
#define TRAPS8(t) \
  TRAP(t##0) TRAP(t##1) TRAP(t##2) TRAP(t##3) TRAP(t##4) TRAP(t##5) TRAP(t##6) TRAP(t##7)
TRAPS8(0)
TRAPS8(1)
TRAPS8(2) TRAPS8(3) TRAPS8(4) TRAPS8(5) TRAPS8(6) TRAPS8(7)
#define TRAPREF(n) (Function) Trap##n,
#define TRAPREFS8(t) \
  TRAPREF(t##0)      \
  TRAPREF(t##1) TRAPREF(t##2) TRAPREF(t##3) TRAPREF(t##4) TRAPREF(t##5) TRAPREF(t##6) TRAPREF(t##7)
    static const Function kTraps[kMaxTraps] = {TRAPREFS8(0) TRAPREFS8(1) TRAPREFS8(2) TRAPREFS8(3)
                                                   TRAPREFS8(4) TRAPREFS8(5) TRAPREFS8(6)
                                                       TRAPREFS8(7)};

static Function Bind(const char* name) {
  size_t i;
  for (i = 0; i < sizeof kStandIns / sizeof kStandIns[0]; ++i) {
    if (strcmp(kStandIns[i].name, name) == 0) return kStandIns[i].function;
  }
  if (g_traps == kMaxTraps) Fail("too many imports without a stand-in at ", name);
  g_trapNames[g_traps] = name;
  return kTraps[g_traps++];
}

/* ---- The image ---- */

static u32 Get32(const u8* p) { return p[0] | p[1] << 8 | p[2] << 16 | (u32)p[3] << 24; }
static u16 Get16(const u8* p) { return (u16)(p[0] | p[1] << 8); }
static void Put16(u8* p, u32 v) { p[0] = (u8)v, p[1] = (u8)(v >> 8); }

/* The 16-bit immediate of a Thumb-2 MOVW/MOVT (two halfwords at p). */
static u32 ThumbImm16(const u8* p) {
  u32 a = Get16(p), b = Get16(p + 2);
  return (a & 15) << 12 | ((a >> 10) & 1) << 11 | ((b >> 12) & 7) << 8 | (b & 255);
}
static void SetThumbImm16(u8* p, u32 v) {
  u32 a = Get16(p), b = Get16(p + 2);
  a = (a & ~0x040Fu) | (v >> 12) | ((v >> 11) & 1) << 10;
  b = (b & ~0x70FFu) | ((v >> 8) & 7) << 12 | (v & 255);
  Put16(p, a), Put16(p + 2, b);
}
/* The same for ARM-mode MOVW/MOVT. */
static u32 ArmImm16(const u8* p) {
  u32 i = Get32(p);
  return ((i >> 16) & 15) << 12 | (i & 0xFFF);
}
static void SetArmImm16(u8* p, u32 v) {
  u32 i = (Get32(p) & ~0x000F0FFFu) | (v >> 12) << 16 | (v & 0xFFF);
  Put16(p, i), Put16(p + 2, i >> 16);
}

static void Relocate(u8* base, u32 rva, u32 size, u32 delta) {
  const u8* p = base + rva;
  const u8* end = p + size;
  while (p + 8 <= end) {
    u32 page = Get32(p), bytes = Get32(p + 4), i;
    if (bytes < 8) Fail("a broken relocation block", "");
    for (i = 8; i + 2 <= bytes; i += 2) {
      u32 entry = Get16(p + i), type = entry >> 12;
      u8* at = base + page + (entry & 0xFFF);
      u32 v;
      switch (type) {
        case 0:
          break; /* padding */
        case 3:  /* HIGHLOW */
          v = Get32(at) + delta;
          Put16(at, v), Put16(at + 2, v >> 16);
          break;
        case 5: /* ARM MOVW/MOVT pair */
          v = (ArmImm16(at) | ArmImm16(at + 4) << 16) + delta;
          SetArmImm16(at, v & 0xFFFF), SetArmImm16(at + 4, v >> 16);
          break;
        case 7: /* Thumb-2 MOVW/MOVT pair */
          v = (ThumbImm16(at) | ThumbImm16(at + 4) << 16) + delta;
          SetThumbImm16(at, v & 0xFFFF), SetThumbImm16(at + 4, v >> 16);
          break;
        default:
          Fail("a relocation of a type not handled", "");
      }
    }
    p += bytes;
  }
}

static void BindImports(u8* base, u32 rva) {
  const u8* d;
  for (d = base + rva; Get32(d + 12) != 0; d += 20) {
    const char* dll = (const char*)base + Get32(d + 12);
    u32 lookup = Get32(d) ? Get32(d) : Get32(d + 16);
    u32* slot = (u32*)(base + Get32(d + 16));
    const u8* entry;
    if (strcmp(dll, "coredll.dll") != 0 && strcmp(dll, "COREDLL.dll") != 0) {
      Fail("an import from a DLL other than coredll: ", dll);
    }
    for (entry = base + lookup; Get32(entry) != 0; entry += 4, ++slot) {
      if (Get32(entry) & 0x80000000u) Fail("an import by ordinal from ", dll);
      *slot = (u32)Bind((const char*)base + Get32(entry) + 2);
    }
  }
}

typedef int (*WinMainEntry)(void* instance, void* previous, wchar* commandLine, int show);

static int Run(const char* imagePath) {
  enum { kMaxImage = 32 << 20 };
  u8* file = MapPages(kMaxImage);
  u8 *image, *nt, *opt, *section;
  long fd, n, size = 0;
  u32 machine, sections, entry, preferred, imageSize, i;
  static wchar commandLine[1] = {0};
  if (!file) Fail("no memory for ", imagePath);
  if ((fd = sys3(SYS_open, imagePath, O_RDONLY, 0)) < 0) Fail("cannot open ", imagePath);
  while ((n = sys3(SYS_read, fd, file + size, kMaxImage - size)) > 0) size += n;
  sys3(SYS_close, fd, 0, 0);
  if (size < 0x40 || file[0] != 'M' || file[1] != 'Z') Fail("not a PE image: ", imagePath);
  nt = file + Get32(file + 0x3C);
  if (Get32(nt) != 0x4550) Fail("not a PE image: ", imagePath);
  machine = Get16(nt + 4);
  sections = Get16(nt + 6);
  opt = nt + 24;
  if (Get16(opt) != 0x10B) Fail("not a 32-bit image: ", imagePath);
  if (machine != 0x1C0 && machine != 0x1C2 && machine != 0x1C4)
    Fail("not an ARM image: ", imagePath);
  entry = Get32(opt + 16);
  preferred = Get32(opt + 28);
  imageSize = Get32(opt + 56);

  image = MapPages(imageSize);
  if (!image) Fail("no memory for the image ", imagePath);
  memcpy(image, file, Get32(opt + 60));
  section = opt + Get16(nt + 20);
  for (i = 0; i < sections; ++i, section += 40) {
    u32 virtualSize = Get32(section + 8), rva = Get32(section + 12);
    u32 raw = Get32(section + 16), from = Get32(section + 20);
    if (virtualSize && raw > virtualSize) raw = virtualSize;
    if (rva + raw > imageSize || from + raw > (u32)size)
      Fail("a section out of bounds in ", imagePath);
    memcpy(image + rva, file + from, raw);
  }
  /* Mapped where the system put it, which is hardly ever the preferred
   * base: the relocations are applied for real. */
  if (Get32(opt + 92) > 5 && Get32(opt + 136 + 4)) {
    Relocate(image, Get32(opt + 136), Get32(opt + 136 + 4), (u32)image - preferred);
  } else if ((u32)image != preferred) {
    Fail("no relocations and not at the preferred base: ", imagePath);
  }
  if (Get32(opt + 92) > 1 && Get32(opt + 104 + 4)) BindImports(image, Get32(opt + 104));
  sys3(SYS_munmap, file, kMaxImage, 0);

  /* ARM-mode entry for 0x1C0/0x1C2 (ARMV4I), Thumb (low bit set) for 0x1C4;
   * lld sets that bit in the header already, other linkers may not. */
  entry = machine == 0x1C4 ? entry | 1 : entry;
  return ((WinMainEntry)(image + entry))(image, 0, commandLine, 1);
}

void Start(long* stack) {
  long argc = stack[0];
  char** argv = (char**)(stack + 1);
  size_t n;
  if (argc != 3) {
    Say("usage: loader IMAGE ROOT\n");
    Exit(2);
  }
  n = strlen(argv[2]);
  if (n + 1 > sizeof g_root) Fail("root too long: ", argv[2]);
  memcpy(g_root, argv[2], n + 1);
  while (n > 1 && g_root[n - 1] == '/') g_root[--n] = 0;
  Exit(CheckKeyOrder(Run(argv[1])));
}

__attribute__((naked)) void _start(void) {
  __asm__ volatile(
      "mov r0, sp\n"
      "bic sp, sp, #7\n"
      "bl Start\n");
}
