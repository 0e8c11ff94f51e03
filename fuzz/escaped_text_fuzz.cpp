// Fuzzes the escaped barcode form's codec through both of its outlets, the
// bounded buffers simterm uses and sarnuconf's strings: neither may touch a
// byte outside its buffers, they must agree on which texts are well formed
// and on the bytes those stand for, and what either writes must read back as
// the bytes it came from.
//
// Input: one byte of room for the bounded decoder and writer (0 to 255), then
// the text; the same bytes, zeros included, are also what the writers escape.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../settings/escaped_bytes.h"
#include "../tools/sarnuconf/escaped_text.h"

namespace {

// Heap blocks of the exact size, so that AddressSanitizer sees a step past
// either end.
struct Block {
  explicit Block(size_t n) : bytes(static_cast<char*>(std::malloc(n))), size(n) {}
  ~Block() { std::free(bytes); }
  char* bytes;
  size_t size;
};

bool Same(const char* bytes, uint32_t length, const std::string& expected) {
  return length == expected.size() && std::memcmp(bytes, expected.data(), length) == 0;
}

// The bounded reader against the string one on one zero-terminated text.
void CompareReaders(const char* text, size_t length, uint32_t room) {
  std::string bytes, error;
  const bool accepted = Unescape(text, &bytes, &error);
  if (accepted == !error.empty() || bytes.size() > length) abort();

  // A text never stands for more bytes than it has characters.
  Block ample(length);
  uint32_t decoded = 0;
  const int read = DecodeEscaped(text, ample.bytes, uint32_t(length), &decoded);
  if ((read == 1) != accepted || (accepted && !Same(ample.bytes, decoded, bytes))) abort();

  Block tight(room);
  uint32_t fitted = 0;
  const int fits = DecodeEscaped(text, tight.bytes, room, &fitted);
  if ((fits == 1) != (accepted && bytes.size() <= room)) abort();
  if (fits == 1 && !Same(tight.bytes, fitted, bytes)) abort();
}

// Both writers on raw bytes: the same form, read back whole by both readers;
// a writer short of room stops at a whole escape and still terminates.
void CompareWriters(const char* raw, size_t length, uint32_t room) {
  const std::string escaped = Escaped(raw, length);
  const std::string bytes(raw, length);
  std::string back, error;
  if (!Unescape(escaped.c_str(), &back, &error) || back != bytes) abort();

  Block whole(escaped.size() + 1);
  EncodeEscaped(raw, uint32_t(length), whole.bytes, whole.size);
  if (escaped != whole.bytes) abort();
  Block decoded(length);
  uint32_t n = 0;
  if (!DecodeEscaped(whole.bytes, decoded.bytes, uint32_t(length), &n) ||
      !Same(decoded.bytes, n, bytes))
    abort();

  Block part(room);
  EncodeEscaped(raw, uint32_t(length), part.bytes, part.size);
  if (room == 0) return;
  const size_t used = std::strlen(part.bytes);  // a missing terminator shows here
  if (used >= room || escaped.compare(0, used, part.bytes) != 0) abort();
  if (!Unescape(part.bytes, &back, &error) || bytes.compare(0, back.size(), back) != 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint32_t room = data[0];
  const char* raw = reinterpret_cast<const char*>(data + 1);
  const size_t rawLength = size - 1;

  // The readers take a terminated text: the input up to its first zero.
  const size_t textLength = strnlen(raw, rawLength);
  Block text(textLength + 1);
  std::memcpy(text.bytes, raw, textLength);
  text.bytes[textLength] = 0;
  CompareReaders(text.bytes, textLength, room);
  CompareWriters(raw, rawLength, room);
  return 0;
}
