// The counter window's geometry: digit layout and region data of the
// transparent counter, the countdown's pace and colour, and where both looks
// are placed.
#include "counter_geometry.h"

#include <gtest/gtest.h>

#include <string>

#include "settings.h"

namespace {

bool Same(const CounterRect& a, const CounterRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Every unit cell that some rectangle covers, as a 24 x 11 picture of the
// transparent grid at scale 1.
std::string Picture(const CounterRegion& region) {
  std::string rows;
  for (int y = 0; y < kDigitHeight; ++y) {
    for (int x = 0; x < kTransparentGridWidth; ++x) {
      bool on = false;
      for (uint32_t i = 0; i < region.count; ++i) {
        const CounterRect& r = region.rects[i];
        on = on || (x >= r.left && x < r.right && y >= r.top && y < r.bottom);
      }
      rows += on ? '#' : '.';
    }
    rows += '\n';
  }
  return rows;
}

TEST(CounterGeometry, SevenAtScaleTenSitsInTheMiddle) {
  CounterRegion region;
  ASSERT_TRUE(LayoutTransparentCount(7, 10, &region));
  EXPECT_EQ(region.headerSize, 32u);
  EXPECT_EQ(region.type, 1u);
  ASSERT_EQ(region.count, 3u);
  EXPECT_EQ(region.rectBytes, 48u);
  EXPECT_EQ(CounterRegionBytes(region), 80u);
  EXPECT_TRUE(Same(region.rects[0], CounterRect{90, 0, 150, 10}));
  EXPECT_TRUE(Same(region.rects[1], CounterRect{90, 10, 100, 20}));
  EXPECT_TRUE(Same(region.rects[2], CounterRect{140, 10, 150, 110}));
  EXPECT_TRUE(Same(region.bound, CounterRect{0, 0, 240, 110}));
}

TEST(CounterGeometry, ThreeDigitsFillTheGridMostSignificantFirst) {
  CounterRegion region;
  ASSERT_TRUE(LayoutTransparentCount(918, 1, &region));
  EXPECT_EQ(TransparentDigitOffset(3, 1), 1);
  EXPECT_EQ(Picture(region),
            ".######....##....######.\n"
            ".#....#.....#....#....#.\n"
            ".#....#.....#....#....#.\n"
            ".#....#.....#....#....#.\n"
            ".#....#.....#....#....#.\n"
            ".######.....#....######.\n"
            "......#.....#....#....#.\n"
            "......#.....#....#....#.\n"
            "......#.....#....#....#.\n"
            "......#.....#....#....#.\n"
            "..#####...#####..######.\n");
}

TEST(CounterGeometry, WidestCountAndBarFitTheBuffer) {
  CounterRegion region;
  ASSERT_TRUE(LayoutTransparentCount(888, 10, &region));
  EXPECT_EQ(region.count, 15u);
  ASSERT_TRUE(AddCounterRect(&region, CountdownBarRect(240, 130)));
  EXPECT_EQ(region.count, 16u);
  EXPECT_EQ(CounterRegionBytes(region), 32u + 16u * 16u);
  // The bar lies below the digits' grid, so the bound grows to hold it.
  EXPECT_TRUE(Same(region.bound, CounterRect{0, 0, 240, 130}));
  // Full: a further rectangle is refused and nothing is written past the end.
  EXPECT_FALSE(AddCounterRect(&region, CounterRect{0, 0, 1, 1}));
  EXPECT_EQ(region.count, 16u);

  ClearCounterRegion(&region);
  EXPECT_EQ(CounterRegionBytes(region), 32u);
  EXPECT_TRUE(Same(region.bound, CounterRect{0, 0, 0, 0}));
}

TEST(CounterGeometry, CountsAboveTheLimitLeaveTheRegionAlone) {
  CounterRegion region;
  ASSERT_TRUE(LayoutTransparentCount(999, 2, &region));
  const uint32_t before = region.count;
  EXPECT_FALSE(LayoutTransparentCount(1000, 2, &region));
  EXPECT_FALSE(LayoutTransparentCount(0xFFFFFFFFu, 2, &region));
  EXPECT_EQ(region.count, before);

  Settings s(kScannerLaser, u"", u"");
  s.CounterType = 0;
  EXPECT_EQ(CounterCountLimit(s), 9999u);
  s.CounterType = 1;
  EXPECT_EQ(CounterCountLimit(s), 999u);
  // The solid counter's text buffer holds the longest count there is.
  char16_t text[11];
  EXPECT_EQ(FormatCount(4294967295u, text), 10u);
  EXPECT_EQ(std::u16string(text), u"4294967295");
}

TEST(CounterGeometry, BarFadesFromGreenOverYellowToRed) {
  auto rgb = [](uint32_t r, uint32_t g) { return r | (g << 8); };
  const struct {
    uint32_t steps, width, color;
  } rows[] = {
      {200, 200, rgb(0, 255)},    // full
      {150, 200, rgb(128, 255)},  // between full and half
      {100, 200, rgb(255, 255)},  // half: yellow
      {50, 200, rgb(255, 128)},   // v = 127
      {1, 200, rgb(255, 3)},      // last bar drawn
      {0, 200, rgb(255, 0)},      // end
      {201, 201, rgb(0, 255)},    // odd width: v would pass 255
      // Too narrow to have a half: no division by 0.
      {1, 1, rgb(0, 255)},
      {0, 1, rgb(255, 0)},
      {0, 0, rgb(255, 0)},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CountdownBarColor(row.steps, row.width), row.color)
        << row.steps << " of " << row.width;
  }
}

TEST(CounterGeometry, CountdownRunsOutAfterTheClearingTime) {
  const struct {
    uint32_t seconds, width, steps, interval;
  } rows[] = {
      {3, 200, 200, 15},  // the solid counter's default
      {3, 240, 240, 12},  // transparent at s = 10
      {9, 24, 24, 375},   // transparent at s = 1
      {0, 200, 200, 0},   // at once (the timer's shortest interval)
      {3, 1, 1, 3000},    // one step: closes after the whole time
      {3, 0, 1, 3000},    // a zero-wide counter still closes
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CountdownSteps(row.width), row.steps) << row.width;
    EXPECT_EQ(CountdownInterval(row.seconds, row.width), row.interval) << row.width;
  }
}

TEST(CounterGeometry, SolidFontAndText) {
  const struct {
    int32_t sizeX, sizeY, font;
    CounterRect text;
  } rows[] = {
      {200, 100, 100, {0, -5, 200, 90}},  // defaults: limited by the width
      {240, 50, 56, {0, -2, 240, 40}},    // limited by the height
      {20, 30, 10, {0, -1, 20, 20}},
      {100, 10, 0, {0, 0, 100, 0}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(SolidFontHeight(row.sizeX, row.sizeY), row.font) << row.sizeX << "x" << row.sizeY;
    EXPECT_TRUE(Same(SolidTextRect(row.sizeX, row.sizeY), row.text))
        << row.sizeX << "x" << row.sizeY;
  }
}

TEST(CounterGeometry, PlacementOfBothLooks) {
  Settings s(kScannerLaser, u"", u"");
  s.CounterSizeX = 200;
  s.CounterSizeY = 100;
  s.CounterPosX = 20;
  s.CounterPosY = 110;
  s.TransparentCounterSize = 10;
  s.TransparentCounterPosX = 5;
  s.TransparentCounterPosY = 90;
  const struct {
    int type, center;
    CounterPlacement expected;
    uint32_t width;
  } rows[] = {
      {0, 1, {140, 110, 200, 100}, 200},
      {0, 0, {20, 110, 200, 100}, 200},
      {1, 1, {120, 95, 240, 130}, 240},
      {1, 0, {5, 90, 240, 130}, 240},
  };
  for (const auto& row : rows) {
    s.CounterType = uint8_t(row.type);
    s.CounterCenter = row.center;
    s.TransparentCounterCenter = row.center;
    const CounterPlacement p = CounterWindowPlacement(s, 480, 320);
    EXPECT_EQ(p.x, row.expected.x) << row.type << row.center;
    EXPECT_EQ(p.y, row.expected.y) << row.type << row.center;
    EXPECT_EQ(p.width, row.expected.width) << row.type << row.center;
    EXPECT_EQ(p.height, row.expected.height) << row.type << row.center;
    EXPECT_EQ(CountdownWidth(s), row.width);
  }
}

}  // namespace
