// The imager's hand-over on the main window's thread: a barcode whose text
// and type both wait is passed on with its type as a signed byte, and queues
// that are empty or out of step are emptied rather than paired wrongly.
#include "reader_input.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "block_queue.h"
#include "bulk_run.h"
#include "scan_device.h"
#include "settings.h"

namespace {

class ImagerHandOver : public ::testing::Test {
 protected:
  void SetUp() override {
    g_settings = &settings_;
    device_ = new ScanDevice(nullptr);
    g_scanDevice = device_;
    Empty();
  }
  void TearDown() override {
    Empty();
    g_scanDevice = nullptr;
    delete device_;
    g_settings = nullptr;
  }
  static void Empty() {
    for (BlockQueue* q : {&ImagerDataQueue, &ImagerTypeQueue, &OutputQueue}) q->Clear();
    ClearBulkRun();
  }
  static void QueueImager(const char* text, const char* type) {
    if (text) ImagerDataQueue.Push(text, std::strlen(text) + 1);
    if (type) ImagerTypeQueue.Push(type, std::strlen(type) + 1);
  }
  static std::string PopOutput() {
    char* item = OutputQueue.PopFront();
    if (!item) return "<none>";
    std::string text(item);
    OutputQueue.Release(item);
    return text;
  }

  Settings settings_{kScannerImager, u"", u""};
  ScanDevice* device_ = nullptr;
};

TEST_F(ImagerHandOver, PassesTextAndTypeOnTogether) {
  QueueImager("4006381333931", "A");
  EXPECT_EQ(DispatchImagerBarcode(), 1);
  EXPECT_EQ(PopOutput(), "4006381333931");
  EXPECT_TRUE(ImagerDataQueue.IsEmpty() && ImagerTypeQueue.IsEmpty());
}

TEST_F(ImagerHandOver, EmptyOrOutOfStepQueuesAreEmptied) {
  EXPECT_EQ(DispatchImagerBarcode(), 0);
  QueueImager("TEXT ONLY", nullptr);
  EXPECT_EQ(DispatchImagerBarcode(), 0);
  EXPECT_TRUE(ImagerDataQueue.IsEmpty()) << "the stray text was kept";
  // A type left over would pair with the next barcode's text.
  QueueImager(nullptr, "B");
  EXPECT_EQ(DispatchImagerBarcode(), 0);
  EXPECT_TRUE(ImagerTypeQueue.IsEmpty()) << "the stray type was kept";
  EXPECT_EQ(PopOutput(), "<none>");
}

// The identifier arrives as a signed byte: a bulk run of the same type takes
// a second barcode of that identifier and refuses another identifier.
TEST_F(ImagerHandOver, BulkRunComparesTheIdentifiersByte) {
  device_->BulkActive = 1;
  QueueImager("AAAA", "\xE9");
  QueueImager("BBBB", "\xE9");
  QueueImager("CCCC", "j");
  EXPECT_EQ(DispatchImagerBarcode(), 1);
  EXPECT_EQ(DispatchImagerBarcode(), 1);
  EXPECT_EQ(DispatchImagerBarcode(), 1);
  EXPECT_EQ(BulkCount.load(), 2u);
  EXPECT_EQ(BulkFirstType, int32_t(static_cast<signed char>('\xE9')));
  EXPECT_EQ(PopOutput(), "AAAA");
  EXPECT_EQ(PopOutput(), "BBBB");
  EXPECT_EQ(PopOutput(), "<none>");
}

}  // namespace
