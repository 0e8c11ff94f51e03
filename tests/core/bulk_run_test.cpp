// The bulk run's rules and its lock: duplicates, type and length refused,
// the first barcode fixing both, the conditional clear, and a reader thread
// admitting while another thread clears (also run under ThreadSanitizer).
#include "bulk_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "block_queue.h"
#include "settings.h"

namespace {

class BulkRunTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearBulkRun(); }
  void TearDown() override { ClearBulkRun(); }

  static BulkAdmission Admit(const std::string& text, int32_t type, bool sameType = true,
                             bool sameLength = true) {
    return BulkAdmit(text.c_str(), uint32_t(text.size()), type, sameType, sameLength);
  }
};

TEST_F(BulkRunTest, RulesOfOneRun) {
  struct Row {
    const char* text;
    int32_t type;
    BulkAdmission expected;
    uint32_t countAfter;
  };
  const Row rows[] = {
      {"12345678", 3, kBulkAccepted, 1},   // fixes type 3 and length 8
      {"12345678", 3, kBulkDuplicate, 1},  // read already
      {"1234567890123", 3, kBulkOtherLength, 1},
      {"87654321", 5, kBulkOtherType, 1},
      {"87654321", 3, kBulkAccepted, 2},
      {"1234567", 3, kBulkOtherLength, 2},  // a prefix is no duplicate, but too short
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Admit(row.text, row.type), row.expected) << row.text << " type " << row.type;
    EXPECT_EQ(BulkCount.load(), row.countAfter) << row.text;
  }
  EXPECT_EQ(BulkFirstType, 3);
  EXPECT_EQ(BulkFirstLength, 8u);
}

TEST_F(BulkRunTest, WithoutTypeAndLengthRulesOnlyDuplicatesAreRefused) {
  EXPECT_EQ(Admit("A1", 1, false, false), kBulkAccepted);
  EXPECT_EQ(Admit("B22", 2, false, false), kBulkAccepted);
  EXPECT_EQ(Admit("C333", 3, false, false), kBulkAccepted);
  EXPECT_EQ(Admit("B22", 7, false, false), kBulkDuplicate);
  EXPECT_EQ(BulkCount.load(), 3u);
}

TEST_F(BulkRunTest, ARefusedFirstBarcodeNeverHappensAndANewRunTakesNewRules) {
  uint32_t count = 99;
  EXPECT_EQ(BulkAdmit("ABC", 3, 10, true, true, &count), kBulkAccepted);
  EXPECT_EQ(count, 1u);
  ClearBulkRun();
  EXPECT_EQ(BulkCount.load(), 0u);
  EXPECT_TRUE(ComparisonQueue.IsEmpty());
  // After the clear the old barcode is new again and fixes the new run.
  EXPECT_EQ(Admit("ABCDEF", 20), kBulkAccepted);
  EXPECT_EQ(Admit("ABC", 10), kBulkOtherType);
  EXPECT_EQ(BulkFirstType, 20);
}

TEST_F(BulkRunTest, ClearUpToDecidesOnTheCount) {
  Admit("11", 1);
  Admit("22", 1);
  EXPECT_FALSE(ClearBulkRunUpTo(1));
  EXPECT_EQ(BulkCount.load(), 2u);
  EXPECT_EQ(Admit("11", 1), kBulkDuplicate);
  EXPECT_TRUE(ClearBulkRunUpTo(2));
  EXPECT_EQ(BulkCount.load(), 0u);
  EXPECT_EQ(Admit("11", 1), kBulkAccepted);
}

TEST_F(BulkRunTest, LimitCountsOnlyWhenEnabled) {
  Settings settings(kScannerLaser, u"", u"");
  settings.SetBulkLimit(3);
  settings.SetBulkLimitEnable(0);
  EXPECT_FALSE(BulkLimitReached(settings, 5));
  settings.SetBulkLimitEnable(1);
  EXPECT_FALSE(BulkLimitReached(settings, 2));
  EXPECT_TRUE(BulkLimitReached(settings, 3));
  EXPECT_TRUE(BulkLimitReached(settings, 4));
}

// Two readers admitting at once never pass the limit together: the run
// takes exactly `limit` barcodes, the rest are refused for it.
TEST_F(BulkRunTest, ReadsArrivingTogetherStopAtTheLimit) {
  std::atomic<uint32_t> accepted{0};
  auto reader = [&](int first) {
    for (int i = first; i < first + 400; ++i) {
      const std::string text = std::to_string(100000 + i);
      accepted += BulkAdmit(text.c_str(), uint32_t(text.size()), 1, true, true, nullptr, 50) ==
                  kBulkAccepted;
    }
  };
  std::thread one(reader, 0), two(reader, 1000);
  one.join();
  two.join();
  EXPECT_EQ(accepted.load(), 50u);
  EXPECT_EQ(BulkCount.load(), 50u);
}

// A reader thread admits distinct barcodes while another thread clears the
// run now and then. Whatever the interleaving, the count always equals the
// barcodes the queue holds: a clear never lands between the duplicate check
// and the count.
TEST_F(BulkRunTest, CountAndListStayTogetherUnderConcurrentClears) {
  std::atomic<bool> done{false};
  std::thread reader([&] {
    for (int i = 0; i < 5000; ++i) {
      const std::string text = std::to_string(100000 + i);
      BulkAdmit(text.c_str(), uint32_t(text.size()), 1, true, true);
    }
    done = true;
  });
  int clears = 0;
  while (!done) {
    ClearBulkRunUpTo(uint32_t(clears % 7));
    ++clears;
    std::this_thread::yield();
  }
  reader.join();
  uint32_t stored = 0;
  while (char* item = ComparisonQueue.PopFront()) {
    ++stored;
    ComparisonQueue.Release(item);
  }
  EXPECT_EQ(stored, BulkCount.load());
}

}  // namespace
