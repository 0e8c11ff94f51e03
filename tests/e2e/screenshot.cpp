// Screenshots of the Wine desktop, taken from inside Wine with GDI and written
// as PNG files (stored, uncompressed deflate blocks: no image library needed,
// and any viewer opens them).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& body) {
  PutBigEndian(out, static_cast<uint32_t>(body.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutBigEndian(out, Crc32(&out[start], out.size() - start));
}

// A zlib stream of stored blocks (at most 65535 bytes each) with its Adler-32.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out = {0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    const bool last = pos + n == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(uint8_t(n));
    out.push_back(uint8_t(n >> 8));
    out.push_back(uint8_t(~n));
    out.push_back(uint8_t(~n >> 8));
    out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

// RGB rows of a top-down 32-bit BGRX bitmap, each behind its filter byte 0.
std::vector<uint8_t> EncodePng(const uint8_t* bgrx, int width, int height) {
  std::vector<uint8_t> raw;
  raw.reserve(size_t(height) * (size_t(width) * 3 + 1));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    const uint8_t* row = bgrx + size_t(y) * width * 4;
    for (int x = 0; x < width; ++x) {
      raw.push_back(row[x * 4 + 2]);
      raw.push_back(row[x * 4 + 1]);
      raw.push_back(row[x * 4 + 0]);
    }
  }
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", {});
  return png;
}

std::wstring ArtifactsFolder() {
  wchar_t value[MAX_PATH] = L"";
  const DWORD n = GetEnvironmentVariableW(L"SARNU_ARTIFACTS", value, MAX_PATH);
  std::wstring folder;
  if (n > 0 && n < MAX_PATH) {
    folder = value;
    // ctest hands over the Linux path; Wine shows the Linux root as Z:.
    if (folder[0] == L'/') folder = L"Z:" + folder;
    for (wchar_t& c : folder) {
      if (c == L'/') c = L'\\';
    }
  } else {
    folder = BinFolder() + L"..\\artifacts";
  }
  if (folder.back() != L'\\') folder += L'\\';
  return folder;
}

}  // namespace

namespace {

BOOL CALLBACK NoteUnpainted(HWND child, LPARAM unpainted) {
  if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(unpainted) = true;
  }
  return TRUE;
}

// More than one colour among a grid of points inside the rectangle.
bool ShowsAPicture(const RECT& r) {
  HDC screen = GetDC(nullptr);
  COLORREF first = CLR_INVALID;
  bool mixed = false;
  for (int i = 1; i < 16 && !mixed; ++i) {
    for (int j = 1; j < 16 && !mixed; ++j) {
      const COLORREF c = GetPixel(screen, r.left + (r.right - r.left) * i / 16,
                                  r.top + (r.bottom - r.top) * j / 16);
      if (first == CLR_INVALID) first = c;
      mixed = c != first;
    }
  }
  ReleaseDC(nullptr, screen);
  return mixed;
}

}  // namespace

bool WaitUntilPainted(HWND window, DWORD timeoutMs) {
  // Pixels alone can deceive: a window half shown over the desktop has two
  // colours too. So its own and its children's paint requests must be done.
  return PollUntil(
      [&] {
        RECT r = {};
        if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return false;
        bool unpainted = GetUpdateRect(window, nullptr, FALSE) != FALSE;
        EnumChildWindows(window, NoteUnpainted, reinterpret_cast<LPARAM>(&unpainted));
        return !unpainted && ShowsAPicture(r);
      },
      timeoutMs);
}

std::wstring SaveScreenshot(const wchar_t* name) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  if (width <= 0 || height <= 0) return L"";

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool captured = false;
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    captured = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, old);
  }
  std::vector<uint8_t> png;
  if (captured) png = EncodePng(static_cast<const uint8_t*>(bits), width, height);
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!captured) return L"";

  const std::wstring folder = ArtifactsFolder();
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + name + L".png";
  if (!WriteWholeFile(path, std::string(png.begin(), png.end()))) return L"";
  return path;
}
