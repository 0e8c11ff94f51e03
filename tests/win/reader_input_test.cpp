// Admission of the imager's barcodes as its decode thread makes them: the
// text reaches the output queue with its type, the identifier compared as a
// signed byte by a bulk run.
#include "bulk_collection.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "block_queue.h"
#include "bulk_run.h"
#include "reader_state.h"
#include "settings.h"

namespace {

class ImagerAdmission : public ::testing::Test {
 protected:
  void SetUp() override {
    g_settings = &settings_;
    device_ = new ReaderState();
    g_reader = device_;
    Empty();
  }
  void TearDown() override {
    Empty();
    g_reader = nullptr;
    delete device_;
    g_settings = nullptr;
  }
  static void Empty() {
    OutputQueue.Clear();
    ClearBulkRun();
  }
  // As the decode thread hands a read over.
  static void Accept(const char* text, char identifier) {
    char buffer[64];
    std::strcpy(buffer, text);
    Barcode barcode = MakeBarcode(kScannerImager, buffer, std::strlen(buffer),
                                  int32_t(static_cast<signed char>(identifier)), 0);
    AcceptBarcode(barcode);
  }
  static std::string PopOutput() {
    Barcode barcode;
    char* item = PopBarcode(OutputQueue, &barcode);
    if (!item) return "<none>";
    std::string text(barcode.text);
    OutputQueue.Release(item);
    return text;
  }

  Settings settings_{kScannerImager, u"", u""};
  ReaderState* device_ = nullptr;
};

TEST_F(ImagerAdmission, PassesTextAndTypeOnTogether) {
  Accept("4006381333931", 'A');
  EXPECT_EQ(PopOutput(), "4006381333931");
}

// The identifier arrives as a signed byte: a bulk run of the same type takes
// a second barcode of that identifier and refuses another identifier.
TEST_F(ImagerAdmission, BulkRunComparesTheIdentifiersByte) {
  device_->BulkActive = 1;
  Accept("AAAA", '\xE9');
  Accept("BBBB", '\xE9');
  Accept("CCCC", 'j');
  EXPECT_EQ(BulkCount.load(), 2u);
  EXPECT_EQ(BulkFirstType, int32_t(static_cast<signed char>('\xE9')));
  EXPECT_EQ(PopOutput(), "AAAA");
  EXPECT_EQ(PopOutput(), "BBBB");
  EXPECT_EQ(PopOutput(), "<none>");
}

}  // namespace
