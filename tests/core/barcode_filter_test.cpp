// The barcode filter chain, case by case: suffix extraction per reader, each
// step and the order of the steps, FNC1 handling, the limits of the two
// buffers, and proof that a barcode is filtered without any allocation.
#include "barcode_filter.h"
#include "block_queue.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "profiles.h"
#include "settings.h"
#include "test_support.h"

// Natively every allocation (operator new included) goes through malloc, so
// counting malloc proves the filter allocates nothing. The hook forwards to
// the C library's own allocator; sanitizer runtimes own malloc themselves and
// other C libraries cannot be hooked this way, so there the test is skipped.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define SARNU_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SARNU_SANITIZED 1
#endif

#if defined(__GLIBC__) && !defined(SARNU_SANITIZED)
#define SARNU_COUNTS_ALLOCATIONS 1
#include <atomic>

namespace {
std::atomic<long> g_allocations{0};
}

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);

void* malloc(size_t size) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(block, size);
}
}
#endif

namespace {

// What a row switches on; -1 and null mean the step is off.
struct FilterConfig {
  int stripFirst = -1;
  int stripLast = -1;
  int rangeStart = -1;
  int rangeEnd = -1;
  const char16_t* leading = nullptr;
  const char16_t* trailing = nullptr;
  int validateMode = -1;
  int caseMode = -1;
  const char16_t* preamble = nullptr;
  const char16_t* postamble = nullptr;

  // Chained setters, so a table row reads as the steps it switches on.
  // clang-format off
  FilterConfig First(int n) const { auto c = *this; c.stripFirst = n; return c; }
  FilterConfig Last(int n) const { auto c = *this; c.stripLast = n; return c; }
  FilterConfig Range(int a, int b) const { auto c = *this; c.rangeStart = a; c.rangeEnd = b; return c; }
  FilterConfig Leading(const char16_t* t) const { auto c = *this; c.leading = t; return c; }
  FilterConfig Trailing(const char16_t* t) const { auto c = *this; c.trailing = t; return c; }
  FilterConfig Validate(int m) const { auto c = *this; c.validateMode = m; return c; }
  FilterConfig Case(int m) const { auto c = *this; c.caseMode = m; return c; }
  FilterConfig Pre(const char16_t* t) const { auto c = *this; c.preamble = t; return c; }
  FilterConfig Post(const char16_t* t) const { auto c = *this; c.postamble = t; return c; }
  // clang-format on
};

const FilterConfig kOff;

void Configure(Settings& s, const FilterConfig& c) {
  if (c.stripFirst >= 0) {
    s.SetStripFirstEnable(1);
    s.SetStripFirst(c.stripFirst);
  }
  if (c.stripLast >= 0) {
    s.SetStripLastEnable(1);
    s.SetStripLast(c.stripLast);
  }
  if (c.rangeStart >= 0) {
    s.SetSendRangeEnable(1);
    s.SetSendRangeStart(c.rangeStart);
    s.SetSendRangeEnd(c.rangeEnd);
  }
  if (c.leading) {
    s.SetStripLeadingEnable(1);
    s.SetStripLeading(c.leading);
  }
  if (c.trailing) {
    s.SetStripTrailingEnable(1);
    s.SetStripTrailing(c.trailing);
  }
  if (c.validateMode >= 0) {
    s.SetValidateContentEnable(1);
    s.SetValidateContentMode(c.validateMode);
  }
  if (c.caseMode >= 0) {
    s.SetModifyCaseEnable(1);
    s.SetModifyCaseMode(c.caseMode);
  }
  if (c.preamble) {
    s.SetPreambleEnable(1);
    s.SetPreamble(c.preamble);
  }
  if (c.postamble) {
    s.SetPostambleEnable(1);
    s.SetPostamble(c.postamble);
  }
}

struct Filtered {
  int result;
  std::string suffix;
  std::string output;
};

// The reader's edge and the output thread's filter for one read.
Filtered RunChain(const Settings& s, unsigned char suffixChar, const std::string& raw) {
  static char output[kFilterBufferSize];
  static char text[kFilterBufferSize];
  std::memset(output, 0, sizeof output);
  std::memset(text, 0, sizeof text);
  std::memcpy(text, raw.data(), raw.size());
  Barcode barcode = MakeBarcode(s.GetScannerType(), text, raw.size(), 0, suffixChar);
  const int result = ApplyFilter(s, &barcode, output);
  return {result, barcode.suffix, output};
}

struct FilterRow {
  const char* name;
  int32_t scanner;
  unsigned char suffixChar;
  const char* raw;
  FilterConfig config;
  const char* suffix;
  const char* output;  // "" means nothing is sent (result 0)
};

const FilterRow kFilterRows[] = {
    // The reader's suffix.
    {"laser code 0", kScannerLaser, 0, "12345\r", kOff, "\r", "12345"},
    {"laser code 3", kScannerLaser, 3, "12345\t", kOff, "\t", "12345"},
    {"laser code 2 takes two", kScannerLaser, 2, "12345\r\n", kOff, "\r\n", "12345"},
    {"laser code 4 appends none", kScannerLaser, 4, "12345", kOff, "", "12345"},
    {"laser suffix is not a CR test", kScannerLaser, 0, "12345X", kOff, "X", "12345"},
    {"laser text shorter than suffix", kScannerLaser, 2, "7", kOff, "7", ""},
    {"laser empty text", kScannerLaser, 0, "", kOff, "", ""},
    {"laser text equal to suffix", kScannerLaser, 2, "\r\n", kOff, "\r\n", ""},
    {"imager suffix TAB", kScannerImager, 9, "12345", kOff, "\t", "12345"},
    {"imager without suffix", kScannerImager, 0, "12345", kOff, "", "12345"},
    {"imager keeps trailing CR", kScannerImager, 13, "12345\r", kOff, "\r", "12345\r"},
    {"no reader", kScannerNone, 0, "12\r", kOff, "", "12\r"},

    // Strip first and last: a text shorter than N is left alone.
    {"first 3", kScannerImager, 0, "ABCDEFGH", kOff.First(3), "", "DEFGH"},
    {"first 10 > length", kScannerImager, 0, "ABCDEFGH", kOff.First(10), "", "ABCDEFGH"},
    {"first 8 = length", kScannerImager, 0, "ABCDEFGH", kOff.First(8), "", ""},
    {"last 3", kScannerImager, 0, "ABCDEFGH", kOff.Last(3), "", "ABCDE"},
    {"last 9 > length", kScannerImager, 0, "ABCDEFGH", kOff.Last(9), "", "ABCDEFGH"},
    {"last 8 = length", kScannerImager, 0, "ABCDEFGH", kOff.Last(8), "", ""},

    // Send range.
    {"range 3-5", kScannerImager, 0, "ABCDEFGH", kOff.Range(3, 5), "", "CDE"},
    {"range 5-5", kScannerImager, 0, "ABCDEFGH", kOff.Range(5, 5), "", "ABCDE"},
    {"range 0-3", kScannerImager, 0, "ABCDEFGH", kOff.Range(0, 3), "", "ABC"},
    {"range end 1", kScannerImager, 0, "ABCDEFGH", kOff.Range(0, 1), "", "ABCDEFGH"},
    {"range 3-0", kScannerImager, 0, "ABCDEFGH", kOff.Range(3, 0), "", "CDEFGH"},
    {"range start 8 of 8", kScannerImager, 0, "ABCDEFGH", kOff.Range(8, 0), "", "ABCDEFGH"},
    {"range start 7", kScannerImager, 0, "ABCDEFGH", kOff.Range(7, 0), "", "GH"},
    {"range start after end", kScannerImager, 0, "ABCDEFGH", kOff.Range(6, 3), "", "ABC"},

    // Strip sets.
    {"leading zeros", kScannerImager, 0, "000120", kOff.Leading(u"0"), "", "120"},
    {"leading all", kScannerImager, 0, "000", kOff.Leading(u"0"), "", ""},
    {"leading empty set", kScannerImager, 0, "000", kOff.Leading(u""), "", "000"},
    {"trailing blanks and stops", kScannerImager, 0, "ABC . .", kOff.Trailing(u" ."), "", "ABC"},
    {"trailing all", kScannerImager, 0, " . ", kOff.Trailing(u" ."), "", ""},

    // Validate content and case; bytes above 127 are not letters or digits.
    {"numerical only", kScannerImager, 0, "AB-12", kOff.Validate(1), "", "12"},
    {"alphanumerical only", kScannerImager, 0, "A-1 b", kOff.Validate(0), "", "A1b"},
    {"alphanumerical drops accents", kScannerImager, 0, "\xC9t\xE9\x31", kOff.Validate(0), "",
     "t1"},
    {"numerical drops superscript", kScannerImager, 0, "\xB2\x33", kOff.Validate(1), "", "3"},
    {"validate mode 2 keeps all", kScannerImager, 0, "A-1", kOff.Validate(2), "", "A-1"},
    {"validate to empty", kScannerImager, 0, "---", kOff.Validate(0), "", ""},
    {"upper case", kScannerImager, 0, "abC1", kOff.Case(1), "", "ABC1"},
    {"lower case", kScannerImager, 0, "abC1", kOff.Case(0), "", "abc1"},
    {"case leaves accents", kScannerImager, 0, "\xE9\xC9z", kOff.Case(1), "", "\xE9\xC9Z"},
    {"case mode 2 keeps all", kScannerImager, 0, "aB", kOff.Case(2), "", "aB"},

    // Preamble and postamble frame the text only.
    {"framed", kScannerImager, 0, "X", kOff.Pre(u"<").Post(u">"), "", "<X>"},
    {"frame not filtered", kScannerImager, 0, "ab", kOff.Case(1).Pre(u"pre-").Post(u"-0"), "",
     "pre-AB-0"},
    {"frame escapes decoded", kScannerImager, 0, "X", kOff.Pre(u"AB\\tC"), "", "AB\tCX"},
    {"empty result sends no frame", kScannerImager, 9, "000",
     kOff.Leading(u"0").Pre(u"<").Post(u">"), "\t", ""},

    // The order of the steps.
    {"suffix before strip last", kScannerLaser, 0, "ABC\r", kOff.Last(1), "\r", "AB"},
    {"first, last, then range", kScannerImager, 0, "ABCDEFGH", kOff.First(2).Last(1).Range(2, 3),
     "", "DE"},
    {"strip first before leading", kScannerImager, 0, "A00012", kOff.First(1).Leading(u"0"), "",
     "12"},
    {"range before leading", kScannerImager, 0, "A00B", kOff.Range(2, 0).Leading(u"0"), "", "B"},
    {"trailing before validate", kScannerImager, 0, "A1B", kOff.Trailing(u"1").Validate(1), "",
     "1"},
    {"validate before case", kScannerImager, 0, "a-b", kOff.Validate(0).Case(1), "", "AB"},
};

class FilterRows : public testing::TestWithParam<FilterRow> {};

TEST_P(FilterRows, GivesSuffixAndOutput) {
  const FilterRow& row = GetParam();
  Settings s(row.scanner, u"", u"");
  Configure(s, row.config);
  const Filtered got = RunChain(s, row.suffixChar, row.raw);
  EXPECT_EQ(got.suffix, row.suffix);
  EXPECT_EQ(got.output, row.output);
  EXPECT_EQ(got.result, row.output[0] != 0 ? 1 : 0);
}

std::string RowName(const testing::TestParamInfo<FilterRow>& info) {
  std::string name;
  for (const char* p = info.param.name; *p; ++p) {
    name += (std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Chain, FilterRows, testing::ValuesIn(kFilterRows), RowName);

// FNC1 on receipt: the leading one of the laser, then the replacement.
struct Fnc1Row {
  int32_t typeCode;
  bool enable;
  const char16_t* replacement;
  const char* raw;
  const char* received;  // the text after both steps, up to its terminator
};

const Fnc1Row kFnc1Rows[] = {
    {512, true, u"#",
     "01234\x1d"
     "56",
     "01234#56"},
    {512, true, u"#",
     "\x1d"
     "01\x1d"
     "2",
     "01#2"},  // leading one removed, not replaced
    {512, false, u"#",
     "\x1d"
     "01\x1d"
     "2",
     "01\x1d"
     "2"},  // removed whatever the switch says
    {106, true, u"#",
     "\x1d"
     "01\x1d"
     "2",
     "#01#2"},  // only laser 512 loses the lead
    {73, true, u"|",
     "01\x1d"
     "2",
     "01|2"},
    {511, true, u"#",
     "01234\x1d"
     "56",
     "01234\x1d"
     "56"},
    {512, true, u"",
     "01234\x1d"
     "56",
     "01234"},  // an empty replacement ends the text
    {512, true, u"#", "", ""},
};

constexpr unsigned char kNoLaserSuffix = 4;

TEST(Fnc1, LeadingRemovalThenReplacement) {
  for (const Fnc1Row& row : kFnc1Rows) {
    SCOPED_TRACE(row.raw);
    Settings s(kScannerLaser, u"", u"");
    s.SetReplaceFNC1Enable(row.enable ? 1 : 0);
    s.SetReplaceFNC1(row.replacement);
    char text[32] = {};
    std::strcpy(text, row.raw);
    Barcode barcode =
        MakeBarcode(kScannerLaser, text, std::strlen(text), row.typeCode, kNoLaserSuffix);
    ReplaceFnc1(s, &barcode);
    EXPECT_STREQ(text, row.received);
  }
}

// An empty replacement ends the text at its first GS, but the characters the
// laser appended must still arrive as the suffix, not the last data bytes.
TEST(Fnc1, EmptyReplacementKeepsTheLaserSuffix) {
  struct Row {
    unsigned char suffixCode;
    const char* raw;
    const char* suffix;
    const char* output;
  } rows[] = {
      {0, "01\x1d" "23\r", "\r", "01"},
      {2, "01\x1d" "23\r\n", "\r\n", "01"},
      {4, "01\x1d" "23", "", "01"},
      {0, "\x1d\x1d" "9\r", "\r", ""},  // nothing left before the GS: nothing sent
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.raw);
    Settings s(kScannerLaser, u"", u"");
    s.SetReplaceFNC1Enable(1);
    s.SetReplaceFNC1(u"");
    char text[32] = {};
    std::strcpy(text, row.raw);
    Barcode barcode =
        MakeBarcode(kScannerLaser, text, std::strlen(text), kLaserTypeFnc1, row.suffixCode);
    ReplaceFnc1(s, &barcode);
    static char output[kFilterBufferSize];
    std::memset(output, 0, sizeof output);
    const int send = ApplyFilter(s, &barcode, output);
    EXPECT_EQ(send, row.output[0] ? 1 : 0);
    if (send) {
      EXPECT_STREQ(barcode.suffix, row.suffix);
      EXPECT_STREQ(output, row.output);
    }
  }
}

TEST(Fnc1, LeadingRemovalKeepsTextTerminatedWithoutTrailingZero) {
  // The reader's buffer need not hold a terminator after the barcode.
  char text[4] = {char(kFnc1), 'A', 'B', 'C'};
  EXPECT_EQ(RemoveLeadingFnc1(text, 4, kLaserTypeFnc1), 3u);
  EXPECT_EQ(std::string(text, 4), std::string("ABC\0", 4));
  EXPECT_EQ(RemoveLeadingFnc1(text, 0, kLaserTypeFnc1), 0u);
}

TEST(LaserSuffix, AppendedTextAndLengthAgree) {
  const char* const expected[] = {"\r", "\n", "\r\n", "\t", "", ""};
  for (unsigned code = 0; code < 6; ++code) {
    EXPECT_STREQ(LaserAppendedSuffix(code), expected[code]) << code;
    EXPECT_EQ(LaserSuffixLength(code), std::strlen(expected[code])) << code;
  }
  EXPECT_STREQ(LaserAppendedSuffix(255), "");
}

// Buffers with guard bytes either side, to catch any write outside them.
enum : size_t { kGuard = 64 };
enum : unsigned char { kGuardByte = 0xA5 };

struct Guarded {
  unsigned char bytes[kGuard + kFilterBufferSize + kGuard];
  Guarded() {
    std::memset(bytes, kGuardByte, sizeof bytes);
    std::memset(Data(), 0, kFilterBufferSize);
  }
  char* Data() { return reinterpret_cast<char*>(bytes + kGuard); }
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i) {
      if (bytes[i] != kGuardByte || bytes[kGuard + kFilterBufferSize + i] != kGuardByte) {
        return false;
      }
    }
    return true;
  }
};

// An imager text of `length` bytes, framed by a one-byte preamble and
// postamble: it fits exactly when length + 2 is 8191.
int FilterFramed(size_t length, Guarded* raw, Guarded* output) {
  Settings s(kScannerImager, u"", u"");
  s.SetPreambleEnable(1);
  s.SetPreamble(u"<");
  s.SetPostambleEnable(1);
  s.SetPostamble(u">");
  std::memset(raw->Data(), 'A', length);
  Barcode barcode = MakeBarcode(kScannerImager, raw->Data(), length, 0, 0);
  return ApplyFilter(s, &barcode, output->Data());
}

TEST(FilterLimits, ResultFillingTheBufferIsSent) {
  static Guarded raw, output;
  const size_t length = kFilterBufferSize - 3;
  EXPECT_EQ(FilterFramed(length, &raw, &output), 1);
  const std::string got = output.Data();
  ASSERT_EQ(got.size(), kFilterBufferSize - 1);
  EXPECT_EQ(got.front(), '<');
  EXPECT_EQ(got.back(), '>');
  EXPECT_TRUE(raw.GuardsIntact());
  EXPECT_TRUE(output.GuardsIntact());
}

TEST(FilterLimits, OverlongResultIsDroppedWhole) {
  static Guarded raw, output;
  // One byte too many, and the longest imager text with its frame.
  for (size_t length : {size_t(kFilterBufferSize - 2), size_t(kFilterBufferSize - 1)}) {
    SCOPED_TRACE(length);
    EXPECT_EQ(FilterFramed(length, &raw, &output), 0);
    EXPECT_EQ(output.Data()[0], 0);
    EXPECT_TRUE(raw.GuardsIntact());
    EXPECT_TRUE(output.GuardsIntact());
  }
}

TEST(FilterLimits, LaserTextShorterThanSuffixStaysInside) {
  Settings s(kScannerLaser, u"", u"");
  s.SetPreambleEnable(1);
  s.SetPreamble(u"<");
  static Guarded raw, output;
  std::strcpy(raw.Data(), "7");

  Barcode barcode = MakeBarcode(kScannerLaser, raw.Data(), 1, 0, 2);
  EXPECT_EQ(ApplyFilter(s, &barcode, output.Data()), 0);

  EXPECT_STREQ(barcode.suffix, "7");
  EXPECT_EQ(output.Data()[0], 0);  // not even the preamble
  EXPECT_TRUE(raw.GuardsIntact());
  EXPECT_TRUE(output.GuardsIntact());
}

TEST(FilterAllocation, WholeChainAllocatesNothing) {
#ifndef SARNU_COUNTS_ALLOCATIONS
  GTEST_SKIP() << "no allocation hook on this platform";
#else
  Settings s(kScannerLaser, u"", u"");
  Configure(s, kOff.First(1)
                   .Last(1)
                   .Range(2, 9)
                   .Leading(u"0")
                   .Trailing(u" ")
                   .Validate(0)
                   .Case(1)
                   .Pre(u"<\\t")
                   .Post(u">"));
  s.SetReplaceFNC1Enable(1);
  s.SetReplaceFNC1(u"#");
  static char text[64], output[kFilterBufferSize];
  std::strcpy(text,
              "\x1d"
              "X0012\x1d"
              "ab-cd 9\r");
  const long before = g_allocations.load();
  Barcode barcode = MakeBarcode(kScannerLaser, text, std::strlen(text), kLaserTypeFnc1, 0);
  ReplaceFnc1(s, &barcode);
  const int result = ApplyFilter(s, &barcode, output);
  const long after = g_allocations.load();
  EXPECT_EQ(after, before);
  EXPECT_EQ(result, 1);
  EXPECT_STREQ(output, "<\t12ABC>");

  // The hook must be live, or the check above proves nothing.
  void* volatile block = std::malloc(32);
  std::free(block);
  EXPECT_GT(g_allocations.load(), after);
#endif
}

// What the output path does to each barcode in steady state: queue it with
// its type, take it, choose its record among ten profiles that do not
// hold, filter it in place, give it back. Neither the heap nor the queue's
// page blocks may grow, however many barcodes pass.
TEST(FilterAllocation, QueueAndFilterAllocateNothingInSteadyState) {
#ifndef SARNU_COUNTS_ALLOCATIONS
  GTEST_SKIP() << "no allocation hook on this platform";
#else
  TempFolder folder;
  std::string ini;
  for (int i = 0; i < 10; ++i) {
    ini += "[Profile.P" + std::to_string(i) + "]\r\nPrograms=app.exe\r\nPreamble=P\r\n";
  }
  ASSERT_TRUE(WriteBytes(folder.File("SARNU.INI"), ini));
  Settings s(kScannerLaser, u"", u"");
  Configure(s, kOff.Leading(u"0").Case(1).Pre(u"[").Post(u"]"));
  Profiles profiles(s);
  ASSERT_TRUE(profiles.Load(folder.File("SARNU.INI").c_str()));
  ASSERT_EQ(profiles.Count(), 10u);
  BlockQueue queue;
  ASSERT_EQ(queue.Construct(1), 1);
  static char text[32], output[kFilterBufferSize];
  const char read[] = "0004006381333931\r";
  Barcode barcode = {};

  auto passOne = [&] {
    std::memcpy(text, read, sizeof read);
    const Barcode made = MakeBarcode(kScannerLaser, text, sizeof read - 1, 0, 0);
    ASSERT_EQ(PushBarcode(queue, made), 1);
    char* item = PopBarcode(queue, &barcode);
    ASSERT_NE(item, nullptr);
    std::memset(output, 0, sizeof output);
    const Settings& record = profiles.For(u"\\Windows\\wms.exe", 0);
    ASSERT_EQ(&record, &s);
    ASSERT_EQ(ApplyFilter(record, &barcode, output), 1);
    ASSERT_EQ(queue.Release(item), 1);
  };
  passOne();  // the first pass may set things up
  const long before = g_allocations.load();
  const size_t blocks = queue.BlockCount();
  for (int i = 0; i < 1000; ++i) passOne();
  EXPECT_EQ(g_allocations.load(), before);
  EXPECT_EQ(queue.BlockCount(), blocks);
  EXPECT_STREQ(output, "[4006381333931]");
  EXPECT_STREQ(barcode.suffix, "\r");
  queue.Destroy();
#endif
}

}  // namespace
