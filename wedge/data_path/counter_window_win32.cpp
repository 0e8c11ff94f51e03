// The bulk counter window: a topmost dialog that never takes the focus,
// drawn as a coloured box with the number or shaped like the digits, and the
// countdown bar after a run that ends in forgetting the run's list.
#include <windows.h>

#include "bulk_run.h"
#include "counter_geometry.h"
#include "counter_window.h"
#include "reader_state.h"
#include "settings.h"
#include "wedge_messages.h"

static_assert(sizeof(CounterRect) == sizeof(RECT), "region rectangles are handed over as RECTs");
static_assert(kRegionHeaderSize == sizeof(RGNDATAHEADER), "region header as the window system's");

HWND g_counterWindow = nullptr;

namespace {

HINSTANCE g_resources = nullptr;
HWND g_owner = nullptr;

enum : UINT_PTR { kCountdownTimer = 1 };
enum : int { kSolidFontWeight = 900, kSolidFontQuality = 4 };

// One counter at a time, touched only on the main window's thread.
struct CounterState {
  bool transparent;
  int32_t scale;  // s of the transparent look
  HDC dc;         // kept from creation to destruction
  HFONT font;     // solid look only
  HGDIOBJ previousFont;
  HBRUSH background;
  uint32_t steps;  // of the countdown still to go
  bool countdown;
  bool shown;              // a count has been drawn
  uint32_t lastShown;      // redrawn when a count beyond the limit arrives
  CounterRegion digits;    // of the count shown now
  CounterRegion captured;  // the digits when the countdown started
  CounterRegion empty;     // before the first count
};

CounterState g_counter = {};

const Settings* CounterSettings() { return g_settings; }

RECT ToRect(const CounterRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void ApplyRegion(HWND window, const CounterRegion& region) {
  HRGN shape = ExtCreateRegion(nullptr, CounterRegionBytes(region),
                               reinterpret_cast<const RGNDATA*>(&region));
  if (!shape) return;
  // The window owns the region from here on, unless it refused it.
  if (!SetWindowRgn(window, shape, TRUE)) DeleteObject(shape);
}

void FillWithBackground(const CounterRect& area) {
  const RECT rect = ToRect(area);
  FillRect(g_counter.dc, &rect, g_counter.background);
}

RECT ClientRect(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  return client;
}

// Keeps the counter above every other window without taking the activation
// from the application the barcodes are typed into.
void RaiseCounter(HWND window) {
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void SetUpSolid(const Settings& settings) {
  LOGFONTW font = {};
  font.lfHeight = SolidFontHeight(settings.CounterSizeX, settings.CounterSizeY);
  font.lfWeight = kSolidFontWeight;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = kSolidFontQuality;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpyW(font.lfFaceName, L"System");
  g_counter.font = CreateFontIndirectW(&font);
  g_counter.background = CreateSolidBrush(ColorValue(settings.CounterBackgroundColor));
}

void SetUpTransparent(HWND window, const Settings& settings) {
  g_counter.scale = TransparentScale(settings);
  g_counter.background = CreateSolidBrush(ColorValue(settings.TransparentCounterColor));
  ClearCounterRegion(&g_counter.empty);
  g_counter.digits = g_counter.empty;
  g_counter.captured = g_counter.empty;
  // Nothing of the window shows before the first count.
  ApplyRegion(window, g_counter.empty);
}

BOOL OnInitDialog(HWND window) {
  const Settings* settings = CounterSettings();
  if (!settings) {
    DestroyWindow(window);
    return FALSE;
  }
  g_counter = CounterState{};
  g_counter.transparent = settings->CounterType != 0;
  if (g_counter.transparent)
    SetUpTransparent(window, *settings);
  else
    SetUpSolid(*settings);
  g_counterWindow = window;

  const CounterPlacement place = CounterWindowPlacement(*settings, GetSystemMetrics(SM_CXSCREEN),
                                                        GetSystemMetrics(SM_CYSCREEN));
  SetWindowPos(window, HWND_TOPMOST, place.x, place.y, place.width, place.height,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);

  g_counter.dc = GetDC(window);
  if (g_counter.dc) {
    const RgbColor text = g_counter.transparent ? settings->TransparentCounterColor
                                                : settings->CounterForegroundColor;
    const RgbColor back = g_counter.transparent ? settings->TransparentCounterColor
                                                : settings->CounterBackgroundColor;
    SetTextColor(g_counter.dc, ColorValue(text));
    SetBkColor(g_counter.dc, ColorValue(back));
    SetBkMode(g_counter.dc, TRANSPARENT);
    if (g_counter.font) g_counter.previousFont = SelectObject(g_counter.dc, g_counter.font);
  }
  // FALSE: the dialog manager must not hand the focus to anything here.
  return FALSE;
}

void ShowSolidCount(HWND window, uint32_t count) {
  if (!g_counter.dc || !g_counter.background) return;
  const RECT client = ClientRect(window);
  const int32_t width = client.right;
  const int32_t height = client.bottom;
  // The old number is wiped first: a shorter one would leave parts of it.
  FillWithBackground(CounterRect{0, 0, width, height - kCounterBarHeight});
  char16_t text[11];
  const size_t length = FormatCount(count, text);
  RECT area = ToRect(SolidTextRect(width, height));
  DrawTextW(g_counter.dc, reinterpret_cast<const WCHAR*>(text), int(length), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

void OnCounterSet(HWND window, uint32_t count) {
  if (g_counter.transparent) {
    // Above the limit the digits of the last count stay.
    if (!LayoutTransparentCount(count, g_counter.scale, &g_counter.digits)) return;
    ApplyRegion(window, g_counter.digits);
    return;
  }
  if (count > kSolidCounterMax) {
    // A repaint must not leave the box empty: the highest count it can show stays.
    if (!g_counter.shown) return;
    count = g_counter.lastShown;
  }
  ShowSolidCount(window, count);
  g_counter.shown = true;
  g_counter.lastShown = count;
}

void DrawCountdownBar(HWND window, uint32_t width) {
  const RECT client = ClientRect(window);
  const CounterRect bar = CountdownBarRect(g_counter.steps, client.bottom);
  if (g_counter.transparent) {
    CounterRegion shape = g_counter.captured;
    AddCounterRect(&shape, bar);
    ApplyRegion(window, shape);
    return;
  }
  if (!g_counter.dc) return;
  if (HBRUSH paint = CreateSolidBrush(CountdownBarColor(g_counter.steps, width))) {
    const RECT rect = ToRect(bar);
    FillRect(g_counter.dc, &rect, paint);
    DeleteObject(paint);
  }
  FillWithBackground(CounterRect{bar.right, bar.top, client.right, bar.bottom});
}

VOID CALLBACK CountdownTick(HWND window, UINT, UINT_PTR, DWORD) {
  const Settings* settings = CounterSettings();
  if (g_counter.steps <= 1) {
    KillTimer(window, kCountdownTimer);
    if (g_counter.steps == 0) return;
    g_counter.steps = 0;
    DestroyWindow(window);
    if (settings && settings->CounterCloseMode == 0) ClearBulkRun();
    return;
  }
  --g_counter.steps;
  if (settings) DrawCountdownBar(window, CountdownWidth(*settings));
}

void OnScanStarted(HWND window) {
  g_counter.steps = 0;
  KillTimer(window, kCountdownTimer);
  if (g_counter.transparent) {
    if (g_counter.countdown) ApplyRegion(window, g_counter.captured);
  } else if (g_counter.dc) {
    const RECT client = ClientRect(window);
    FillWithBackground(CountdownStripRect(client.right, client.bottom));
  }
  g_counter.countdown = false;
}

void OnRunEnded(HWND window) {
  const Settings* settings = CounterSettings();
  if (!settings) return;
  if (settings->CounterCloseMode != 0 ||
      BulkCount.load() <= settings->BulkScannedListClearImmediatelyUpto) {
    DestroyWindow(window);
    return;
  }
  if (g_counter.countdown) return;
  const uint32_t width = CountdownWidth(*settings);
  // Our own copy of the digits, not the window's region read back: the
  // system may split it into more rectangles than the buffer holds.
  if (g_counter.transparent) g_counter.captured = g_counter.digits;
  g_counter.steps = CountdownSteps(width);
  g_counter.countdown = true;
  SetTimer(window, kCountdownTimer, CountdownInterval(settings->BulkScannedListClearAfter, width),
           CountdownTick);
}

void OnCounterScan(HWND window, WPARAM what) {
  switch (what) {
    case 0:
      OnScanStarted(window);
      break;
    case 1:
      OnRunEnded(window);
      break;
    default:  // 2: the scan stopped but the run goes on
      break;
  }
}

void OnDestroy(HWND window) {
  KillTimer(window, kCountdownTimer);
  // A countdown cut short (a close from outside) still owed the run its
  // forgetting: nothing else would clear the list in close mode 0.
  const Settings* settings = CounterSettings();
  if (g_counter.countdown && g_counter.steps != 0 && settings && settings->CounterCloseMode == 0)
    ClearBulkRun();
  if (g_counterWindow == window) g_counterWindow = nullptr;
  if (g_counter.dc) {
    if (g_counter.previousFont) SelectObject(g_counter.dc, g_counter.previousFont);
    ReleaseDC(window, g_counter.dc);
  }
  if (g_counter.font) DeleteObject(g_counter.font);
  if (g_counter.background) DeleteObject(g_counter.background);
  g_counter.dc = nullptr;
  g_counter.font = nullptr;
  g_counter.previousFont = nullptr;
  g_counter.background = nullptr;
  g_counter.steps = 0;
  g_counter.countdown = false;
}

}  // namespace

void SetCounterOwner(HINSTANCE resources, HWND owner) {
  g_resources = resources;
  g_owner = owner;
}

HWND CreateCounterWindow() {
  if (g_counterWindow) return g_counterWindow;
  if (!g_settings) return nullptr;
  HWND window = CreateDialogParamW(g_resources, MAKEINTRESOURCEW(kCounterDialogId), g_owner,
                                   CounterWindowProc, 0);
  if (window) g_counterWindow = window;
  return window;
}

int UpdateCounterWindow(int scanStarted) {
  const Settings* settings = CounterSettings();
  if (!settings) return 0;
  if (!scanStarted) {
    HWND window = g_counterWindow;
    if (!window) return 0;
    const WPARAM what = settings->CounterCloseMode == 0 &&
                                BulkCount.load() > settings->BulkScannedListClearImmediatelyUpto
                            ? 1
                            : 2;
    PostMessageW(window, UM_COUNTER_SCAN, what, 0);
    return 1;
  }
  if (!g_reader || !g_reader->BulkActive || !settings->CounterEnabled) return 0;
  if (!g_counterWindow) {
    if (BulkCount.load() < settings->CounterEnabledAfterScans) return 1;
    if (!CreateCounterWindow()) return 1;
    // A run that goes on shows its count now, not only after its next barcode.
    PostMessageW(g_counterWindow, UM_COUNTER_SET, BulkCount.load(), 0);
  }
  RaiseCounter(g_counterWindow);
  PostMessageW(g_counterWindow, UM_COUNTER_SCAN, 0, 0);
  return 1;
}

INT_PTR CALLBACK CounterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(window);
    case UM_COUNTER_SET:
      OnCounterSet(window, uint32_t(wParam));
      return TRUE;
    case UM_COUNTER_SCAN:
      OnCounterScan(window, wParam);
      return TRUE;
    case WM_PAINT:
      // The default paint erases with the background; the number follows.
      if (!g_counter.transparent) PostMessageW(window, UM_COUNTER_SET, BulkCount.load(), 0);
      return FALSE;
    case WM_CTLCOLORDLG:
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(g_counter.background);
    case WM_MOUSEACTIVATE:
      // A tap on the counter must not take the focus from the application.
      SetWindowLongPtrW(window, DWLP_MSGRESULT, MA_NOACTIVATE);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      OnDestroy(window);
      return FALSE;
    default:
      return FALSE;
  }
}
