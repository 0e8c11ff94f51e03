// The counter window's arithmetic, kept free of the window system so that the
// host tests can check it: the digit shapes of the transparent counter, its
// window region as region data, the countdown bar, and both looks' sizes.
#pragma once

#include <cstddef>
#include <cstdint>

class Settings;

// Left, top, right, bottom; right and bottom exclusive. Laid out like the
// window system's RECT, so region data built here can be handed over as is.
struct CounterRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

enum : uint32_t {
  kSolidCounterMax = 9999,       // higher counts leave the solid counter as it is
  kTransparentCounterMax = 999,  // and the transparent one at three digits
};

enum : int32_t {
  kDigitWidth = 6,  // the grid of one digit, in units of the counter's size
  kDigitHeight = 11,
  kDigitPitch = 8,             // from one digit's left edge to the next
  kTransparentGridWidth = 24,  // room for three digits
  kCounterBarHeight = 10,      // the countdown strip at the bottom
  kTransparentBarRoom = 20,    // below the digits of the transparent counter
  kMaxDigitRects = 5,
  kRegionHeaderSize = 32,
  kRegionTypeRectangles = 1,
  // Three digits of at most five rectangles each, and the bar.
  kCounterRegionCapacity = 16,
};

struct DigitShape {
  uint32_t count;
  CounterRect rects[kMaxDigitRects];
};

// The ten digits on their 6 x 11 grid.
extern const DigitShape kDigitShapes[10];

// Region data in the window system's layout: a 32-byte header (its size,
// type 1 = rectangles, rectangle count, byte size of the rectangles, bounding
// rectangle) followed by the rectangles. The Win32 side casts it to RGNDATA
// and passes CounterRegionBytes as its size.
struct CounterRegion {
  uint32_t headerSize;
  uint32_t type;
  uint32_t count;
  uint32_t rectBytes;
  CounterRect bound;
  CounterRect rects[kCounterRegionCapacity];
};
static_assert(offsetof(CounterRegion, rects) == kRegionHeaderSize, "header must be 32 bytes");

// Header plus the rectangles in use: the size to hand to the window system.
uint32_t CounterRegionBytes(const CounterRegion& region);

// The empty region: no rectangles, bounding rectangle (0, 0, 0, 0).
void ClearCounterRegion(CounterRegion* region);

// Appends one rectangle and widens the bounding rectangle to hold it (an
// empty region's bound becomes the rectangle). False, and the region
// unchanged, when the region is full.
bool AddCounterRect(CounterRegion* region, const CounterRect& rect);

// Number of decimal digits of a count (1 for 0).
int32_t CountDigits(uint32_t count);

// x of the first digit of a transparent count with this many digits: the
// digits are centred in the 24-unit grid.
int32_t TransparentDigitOffset(int32_t digits, int32_t scale);

// The transparent counter's region for a count: its digits, most significant
// first, scaled by `scale`, with bounding rectangle (0, 0, 24s, 11s).
// Returns false, and leaves the region as it was, for a count above
// kTransparentCounterMax.
bool LayoutTransparentCount(uint32_t count, int32_t scale, CounterRegion* region);

// Writes the count as decimal text with a terminating 0; returns its length.
size_t FormatCount(uint32_t count, char16_t out[11]);

// The countdown strip and the bar in it, for a client area of the given
// height: the bottom kCounterBarHeight pixels, the bar `steps` pixels wide
// from the left edge.
CounterRect CountdownStripRect(int32_t clientWidth, int32_t clientHeight);
CounterRect CountdownBarRect(uint32_t steps, int32_t clientHeight);

// The solid counter's bar colour (red + green * 256 + blue * 65536) with
// `steps` of `width` left: green at full width, yellow at half, red at the
// end. A width below 2 has no half to fade over and gives green while steps
// are left, red at 0.
uint32_t CountdownBarColor(uint32_t steps, uint32_t width);

// Steps of the countdown over a bar `width` pixels wide. At least 1: a
// zero-wide counter must still end its countdown, or the list would never be
// forgotten.
uint32_t CountdownSteps(uint32_t width);

// Milliseconds between two steps, so that all steps take `seconds`.
uint32_t CountdownInterval(uint32_t seconds, uint32_t width);

// The solid counter's font height and the rectangle its number is centred
// in (the client area of sizeX x sizeY, the top raised a little, the
// countdown strip left out).
int32_t SolidFontHeight(int32_t sizeX, int32_t sizeY);
CounterRect SolidTextRect(int32_t sizeX, int32_t sizeY);

struct CounterPlacement {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

// The transparent counter's scale s: TransparentCounterSize kept to 1..10.
int32_t TransparentScale(const Settings& settings);

// Where the counter of settings.CounterType goes on a screen of this size.
CounterPlacement SolidPlacement(const Settings& settings, int32_t screenWidth,
                                int32_t screenHeight);
CounterPlacement TransparentPlacement(const Settings& settings, int32_t screenWidth,
                                      int32_t screenHeight);
CounterPlacement CounterWindowPlacement(const Settings& settings, int32_t screenWidth,
                                        int32_t screenHeight);

// Width of the countdown bar at its start: CounterSizeX, or 24s.
uint32_t CountdownWidth(const Settings& settings);

// The highest count the counter of settings.CounterType shows.
uint32_t CounterCountLimit(const Settings& settings);
