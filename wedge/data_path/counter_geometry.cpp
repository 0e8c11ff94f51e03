// The counter window's arithmetic: digit shapes and their layout as region
// data, the countdown bar's colour and pace, and where each look is placed.
#include "counter_geometry.h"

#include "settings.h"

const DigitShape kDigitShapes[10] = {
    {4, {{0, 0, 6, 1}, {0, 10, 6, 11}, {0, 1, 1, 10}, {5, 1, 6, 10}}},
    {3, {{2, 0, 4, 1}, {3, 1, 4, 10}, {1, 10, 6, 11}}},
    {5, {{0, 0, 6, 1}, {5, 1, 6, 6}, {0, 5, 5, 6}, {0, 6, 1, 11}, {1, 10, 6, 11}}},
    {4, {{0, 0, 6, 1}, {2, 5, 5, 6}, {0, 10, 6, 11}, {5, 1, 6, 10}}},
    {3, {{0, 0, 1, 6}, {1, 5, 5, 6}, {5, 2, 6, 11}}},
    {5, {{0, 0, 6, 1}, {0, 1, 1, 5}, {0, 5, 6, 6}, {5, 6, 6, 10}, {0, 10, 6, 11}}},
    {5, {{0, 0, 5, 1}, {0, 1, 1, 10}, {0, 10, 6, 11}, {5, 5, 6, 10}, {1, 5, 6, 6}}},
    {3, {{0, 0, 6, 1}, {0, 1, 1, 2}, {5, 1, 6, 11}}},
    {5, {{0, 0, 6, 1}, {1, 5, 5, 6}, {0, 10, 6, 11}, {0, 1, 1, 10}, {5, 1, 6, 10}}},
    {5, {{0, 0, 6, 1}, {1, 5, 5, 6}, {1, 10, 6, 11}, {0, 1, 1, 6}, {5, 1, 6, 10}}},
};

uint32_t CounterRegionBytes(const CounterRegion& region) {
  return uint32_t(kRegionHeaderSize) + region.count * uint32_t(sizeof(CounterRect));
}

void ClearCounterRegion(CounterRegion* region) {
  region->headerSize = kRegionHeaderSize;
  region->type = kRegionTypeRectangles;
  region->count = 0;
  region->rectBytes = 0;
  region->bound = CounterRect{0, 0, 0, 0};
}

bool AddCounterRect(CounterRegion* region, const CounterRect& rect) {
  if (region->count >= uint32_t(kCounterRegionCapacity)) return false;
  CounterRect& bound = region->bound;
  if (bound.left >= bound.right || bound.top >= bound.bottom) {
    bound = rect;
  } else {
    if (rect.left < bound.left) bound.left = rect.left;
    if (rect.top < bound.top) bound.top = rect.top;
    if (rect.right > bound.right) bound.right = rect.right;
    if (rect.bottom > bound.bottom) bound.bottom = rect.bottom;
  }
  region->rects[region->count++] = rect;
  region->rectBytes = region->count * uint32_t(sizeof(CounterRect));
  return true;
}

int32_t CountDigits(uint32_t count) {
  int32_t digits = 1;
  while (count >= 10) {
    count /= 10;
    ++digits;
  }
  return digits;
}

int32_t TransparentDigitOffset(int32_t digits, int32_t scale) { return (13 - 4 * digits) * scale; }

bool LayoutTransparentCount(uint32_t count, int32_t scale, CounterRegion* region) {
  if (count > kTransparentCounterMax) return false;
  char16_t text[11];
  const size_t digits = FormatCount(count, text);
  ClearCounterRegion(region);
  int32_t x = TransparentDigitOffset(int32_t(digits), scale);
  for (size_t i = 0; i < digits; ++i, x += kDigitPitch * scale) {
    const DigitShape& shape = kDigitShapes[text[i] - u'0'];
    for (uint32_t r = 0; r < shape.count; ++r) {
      const CounterRect& unit = shape.rects[r];
      AddCounterRect(region, CounterRect{x + unit.left * scale, unit.top * scale,
                                         x + unit.right * scale, unit.bottom * scale});
    }
  }
  // The whole grid, not just the digits: the countdown bar is measured on it.
  region->bound = CounterRect{0, 0, kTransparentGridWidth * scale, kDigitHeight * scale};
  return true;
}

size_t FormatCount(uint32_t count, char16_t out[11]) {
  char16_t reversed[10];
  size_t n = 0;
  do {
    reversed[n++] = char16_t(u'0' + count % 10);
    count /= 10;
  } while (count != 0);
  for (size_t i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
  out[n] = 0;
  return n;
}

CounterRect CountdownStripRect(int32_t clientWidth, int32_t clientHeight) {
  return CounterRect{0, clientHeight - kCounterBarHeight, clientWidth, clientHeight};
}

CounterRect CountdownBarRect(uint32_t steps, int32_t clientHeight) {
  return CounterRect{0, clientHeight - kCounterBarHeight, int32_t(steps), clientHeight};
}

uint32_t CountdownBarColor(uint32_t steps, uint32_t width) {
  const uint32_t half = width / 2;
  uint32_t red = 255;
  uint32_t green = 255;
  if (half == 0) {
    if (steps == 0)
      green = 0;
    else
      red = 0;
  } else if (steps > half) {
    const uint32_t v = 255 * (steps - half) / half;
    red = v >= 255 ? 0 : 255 - v;
  } else {
    const uint32_t v = 255 * (half - steps) / half;
    green = 255 - v;
  }
  return red | (green << 8);
}

uint32_t CountdownSteps(uint32_t width) { return width == 0 ? 1 : width; }

uint32_t CountdownInterval(uint32_t seconds, uint32_t width) {
  return seconds * 1000 / CountdownSteps(width);
}

int32_t SolidFontHeight(int32_t sizeX, int32_t sizeY) {
  const int32_t byHeight = 7 * (sizeY - 10) / 5;
  const int32_t byWidth = sizeX / 2;
  return byHeight < byWidth ? byHeight : byWidth;
}

CounterRect SolidTextRect(int32_t sizeX, int32_t sizeY) {
  // Raised by a few pixels on taller counters: the digits of the font sit
  // low in their cell.
  return CounterRect{0, 3 * (10 - sizeY) / 50, sizeX, sizeY - kCounterBarHeight};
}

int32_t TransparentScale(const Settings& settings) {
  const int32_t s = settings.TransparentCounterSize;
  return s < 1 ? 1 : s > 10 ? 10 : s;
}

namespace {

// Centred on the screen, or at the configured corner.
CounterPlacement Place(int32_t width, int32_t height, bool centre, int32_t x, int32_t y,
                       int32_t screenWidth, int32_t screenHeight) {
  CounterPlacement p;
  p.width = width;
  p.height = height;
  p.x = centre ? (screenWidth - width) / 2 : x;
  p.y = centre ? (screenHeight - height) / 2 : y;
  return p;
}

}  // namespace

CounterPlacement SolidPlacement(const Settings& settings, int32_t screenWidth,
                                int32_t screenHeight) {
  return Place(settings.CounterSizeX, settings.CounterSizeY, settings.CounterCenter != 0,
               settings.CounterPosX, settings.CounterPosY, screenWidth, screenHeight);
}

CounterPlacement TransparentPlacement(const Settings& settings, int32_t screenWidth,
                                      int32_t screenHeight) {
  const int32_t s = TransparentScale(settings);
  return Place(kTransparentGridWidth * s, kDigitHeight * s + kTransparentBarRoom,
               settings.TransparentCounterCenter != 0, settings.TransparentCounterPosX,
               settings.TransparentCounterPosY, screenWidth, screenHeight);
}

CounterPlacement CounterWindowPlacement(const Settings& settings, int32_t screenWidth,
                                        int32_t screenHeight) {
  return settings.CounterType == 0 ? SolidPlacement(settings, screenWidth, screenHeight)
                                   : TransparentPlacement(settings, screenWidth, screenHeight);
}

uint32_t CountdownWidth(const Settings& settings) {
  return settings.CounterType == 0 ? uint32_t(settings.CounterSizeX)
                                   : uint32_t(kTransparentGridWidth * TransparentScale(settings));
}

uint32_t CounterCountLimit(const Settings& settings) {
  return settings.CounterType == 0 ? kSolidCounterMax : kTransparentCounterMax;
}
