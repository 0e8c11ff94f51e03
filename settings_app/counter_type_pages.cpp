// The counter-type pages, "Solid Counter" and "Transp. Counter": size or
// size step, position or centring, colours, and a live preview of the
// counter text drawn in the colours the thumbs show. The two pages differ
// only in their controls and rules, which each describes in a table; the
// procedure below serves both.
#include "page_support.h"

#include <iterator>
#include "sheet_shell.h"
#include "resource.h"
#include "settings_pages.h"

namespace {

enum : UINT {
  UM_SOLID_PREVIEW = WM_USER + 3,
  UM_TRANSPARENT_PREVIEW = WM_USER + 4,
};

// Screens taller than this are "tall": the preview font doubles and the
// preview moves, since the program tells the platform not to scale it.
const int kTallScreen = 400;

struct UpDownRange {
  int control;
  int low;
  int high;
};

// Colour trackbar triplets: red, green, blue.
struct ColorControls {
  int red;
  int green;
  int blue;
};

struct CounterTypePage {
  UINT previewMessage;
  bool transparent;
  int centerBox;
  int positionY;  // focused when "Center" is cleared
  int defaultsButton;
  const int* numberEdits;
  int numberEditCount;
  const UpDownRange* upDowns;
  int upDownCount;
  const int* trackbars;
  int trackbarCount;
  ColorControls text;        // the preview's text colour
  ColorControls background;  // solid only; red 0 for none
  // Enabled with the page's type chosen; the position group only without
  // centring as well.
  const int* typeControls;
  int typeControlCount;
  const int* positionControls;
  int positionControlCount;
  RECT smallPreview;  // offsets from the client's right and bottom edges
  RECT tallPreview;
  int previewLabel;  // "Preview:"
  int (Settings::*resetDefaults)();
  int (Settings::*save)();
};

const int kSolidEdits[] = {IDC_SOLID_SIZE_Y, IDC_SOLID_SIZE_X, IDC_SOLID_POS_Y, IDC_SOLID_POS_X};
const UpDownRange kSolidUpDowns[] = {{IDC_SOLID_SIZE_Y_SPIN, 30, 320},
                                     {IDC_SOLID_SIZE_X_SPIN, 20, 240},
                                     {IDC_SOLID_POS_Y_SPIN, 0, 290},
                                     {IDC_SOLID_POS_X_SPIN, 0, 220}};
const int kSolidTrackbars[] = {IDC_SOLID_FG_RED, IDC_SOLID_FG_GREEN, IDC_SOLID_FG_BLUE,
                               IDC_SOLID_BG_RED, IDC_SOLID_BG_GREEN, IDC_SOLID_BG_BLUE};
const int kSolidTypeControls[] = {
    IDC_SOLID_DEFAULTS,   IDC_SOLID_SIZE_LABEL, IDC_SOLID_SIZE_X_LABEL, IDC_SOLID_SIZE_Y_LABEL,
    IDC_SOLID_SIZE_X,     IDC_SOLID_SIZE_Y,     IDC_SOLID_SIZE_X_SPIN,  IDC_SOLID_SIZE_Y_SPIN,
    IDC_SOLID_POS_LABEL,  IDC_SOLID_CENTER,     IDC_SOLID_FG_LABEL,     IDC_SOLID_FG_MINUS,
    IDC_SOLID_FG_PLUS,    IDC_SOLID_BG_LABEL,   IDC_SOLID_BG_MINUS,     IDC_SOLID_BG_PLUS,
    IDC_SOLID_RED_LABEL,  IDC_SOLID_GREEN_LABEL, IDC_SOLID_BLUE_LABEL,  IDC_SOLID_FG_RED,
    IDC_SOLID_FG_GREEN,   IDC_SOLID_FG_BLUE,    IDC_SOLID_BG_RED,       IDC_SOLID_BG_GREEN,
    IDC_SOLID_BG_BLUE};
const int kSolidPositionControls[] = {IDC_SOLID_POS_X_LABEL, IDC_SOLID_POS_Y_LABEL,
                                      IDC_SOLID_POS_X,       IDC_SOLID_POS_Y,
                                      IDC_SOLID_POS_X_SPIN,  IDC_SOLID_POS_Y_SPIN};

const int kTranspEdits[] = {IDC_TRANSP_POS_X, IDC_TRANSP_POS_Y};
const UpDownRange kTranspUpDowns[] = {{IDC_TRANSP_POS_X_SPIN, 0, 220},
                                      {IDC_TRANSP_POS_Y_SPIN, 0, 290}};
const int kTranspTrackbars[] = {IDC_TRANSP_RED, IDC_TRANSP_GREEN, IDC_TRANSP_BLUE,
                                IDC_TRANSP_SIZE};
const int kTranspTypeControls[] = {
    IDC_TRANSP_DEFAULTS,   IDC_TRANSP_POS_LABEL,  IDC_TRANSP_CENTER,   IDC_TRANSP_COLOR_LABEL,
    IDC_TRANSP_MINUS,      IDC_TRANSP_PLUS,       IDC_TRANSP_PREVIEW,  IDC_TRANSP_RED_LABEL,
    IDC_TRANSP_GREEN_LABEL, IDC_TRANSP_BLUE_LABEL, IDC_TRANSP_RED,     IDC_TRANSP_GREEN,
    IDC_TRANSP_BLUE,       IDC_TRANSP_SIZE_LABEL, IDC_TRANSP_SIZE};
const int kTranspPositionControls[] = {IDC_TRANSP_POS_X_LABEL, IDC_TRANSP_POS_Y_LABEL,
                                       IDC_TRANSP_POS_X,       IDC_TRANSP_POS_Y,
                                       IDC_TRANSP_POS_X_SPIN,  IDC_TRANSP_POS_Y_SPIN};

const CounterTypePage kSolidPage = {
    UM_SOLID_PREVIEW, false, IDC_SOLID_CENTER, IDC_SOLID_POS_Y, IDC_SOLID_DEFAULTS,
    kSolidEdits, int(std::size(kSolidEdits)), kSolidUpDowns, int(std::size(kSolidUpDowns)),
    kSolidTrackbars, int(std::size(kSolidTrackbars)),
    {IDC_SOLID_FG_RED, IDC_SOLID_FG_GREEN, IDC_SOLID_FG_BLUE},
    {IDC_SOLID_BG_RED, IDC_SOLID_BG_GREEN, IDC_SOLID_BG_BLUE},
    kSolidTypeControls, int(std::size(kSolidTypeControls)),
    kSolidPositionControls, int(std::size(kSolidPositionControls)),
    {125, 60, 5, 0}, {220, 140, 34, 2}, IDC_SOLID_PREVIEW,
    &Settings::ResetSolidCounterDefaults, &Settings::SaveSolidCounter};

const CounterTypePage kTransparentPage = {
    UM_TRANSPARENT_PREVIEW, true, IDC_TRANSP_CENTER, IDC_TRANSP_POS_Y, IDC_TRANSP_DEFAULTS,
    kTranspEdits, int(std::size(kTranspEdits)), kTranspUpDowns, int(std::size(kTranspUpDowns)),
    kTranspTrackbars, int(std::size(kTranspTrackbars)),
    {IDC_TRANSP_RED, IDC_TRANSP_GREEN, IDC_TRANSP_BLUE}, {0, 0, 0},
    kTranspTypeControls, int(std::size(kTranspTypeControls)),
    kTranspPositionControls, int(std::size(kTranspPositionControls)),
    {90, 160, 17, 0}, {184, 330, 38, 2}, IDC_TRANSP_PREVIEW,
    &Settings::ResetTransparentCounterDefaults, &Settings::SaveTransparentCounter};


// The preview's drawing objects. Only one counter-type page is in the sheet
// at a time; a page exchanged away gives its objects back when its window
// goes, so the page that replaces it starts with its own.
HDC PreviewDC = nullptr;
HFONT PreviewFont = nullptr;
HWND g_previewPage = nullptr;

bool TallScreen() { return GetSystemMetrics(SM_CYSCREEN) > kTallScreen; }

void TakePreviewObjects(HWND page, bool transparent) {
  PreviewDC = GetDC(page);
  g_previewPage = page;
  LOGFONTW font = {};
  font.lfHeight = TallScreen() ? 112 : 56;
  font.lfWeight = 900;
  font.lfQuality = ANTIALIASED_QUALITY;
  lstrcpyW(font.lfFaceName, L"System");
  PreviewFont = CreateFontIndirectW(&font);
  if (transparent) SetBkMode(PreviewDC, TRANSPARENT);
}

void DeletePreviewFont() {
  if (PreviewFont) DeleteObject(PreviewFont);
  PreviewFont = nullptr;
}

void GiveBackPreviewObjects(HWND page) {
  if (g_previewPage != page) return;
  DeletePreviewFont();
  if (PreviewDC) ReleaseDC(page, PreviewDC);
  PreviewDC = nullptr;
  g_previewPage = nullptr;
}

COLORREF ThumbColor(HWND page, const ColorControls& c) {
  return RGB(TrackbarPos(page, c.red), TrackbarPos(page, c.green), TrackbarPos(page, c.blue));
}

// Where the platform asks for it (FitCounterPreview): the preview below its
// label, and the font made smaller, once, when "1234" is larger than the
// rectangle. The font is the one selected into PreviewDC.
void FitPreview(HWND page, const CounterTypePage& desc, RECT* preview) {
  RECT label;
  RECT overlap;
  if (HWND control = GetDlgItem(page, desc.previewLabel)) {
    GetWindowRect(control, &label);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&label), 2);
    if (IntersectRect(&overlap, &label, preview)) preview->top = label.bottom + 1;
  }
  SIZE text = {};
  GetTextExtentExPointW(PreviewDC, L"1234", 4, 0, nullptr, nullptr, &text);
  const long width = preview->right - preview->left;
  const long height = preview->bottom - preview->top;
  LOGFONTW font;
  if (!PreviewFont || text.cx <= 0 || text.cy <= 0 || (text.cx <= width && text.cy <= height) ||
      !GetObjectW(PreviewFont, sizeof font, &font)) {
    return;
  }
  const long percent = width * 100 / text.cx < height * 100 / text.cy ? width * 100 / text.cx
                                                                     : height * 100 / text.cy;
  font.lfHeight = font.lfHeight * percent / 100;
  font.lfWidth = 0;
  if (HFONT smaller = CreateFontIndirectW(&font)) {
    SelectObject(PreviewDC, smaller);
    DeleteObject(PreviewFont);
    PreviewFont = smaller;
  }
}

// The colours come from the thumbs, not the record, so the preview follows
// the user before anything is stored.
void DrawPreview(HWND page, const CounterTypePage& desc) {
  if (!PreviewDC || g_previewPage != page) return;
  HGDIOBJ previousFont = PreviewFont ? SelectObject(PreviewDC, PreviewFont) : nullptr;
  const COLORREF previousText = SetTextColor(PreviewDC, ThumbColor(page, desc.text));
  COLORREF previousBack = 0;
  if (!desc.transparent) previousBack = SetBkColor(PreviewDC, ThumbColor(page, desc.background));
  RECT client;
  GetClientRect(page, &client);
  const RECT& offsets = TallScreen() ? desc.tallPreview : desc.smallPreview;
  RECT preview = {client.right - offsets.left, client.bottom - offsets.top,
                  client.right - offsets.right, client.bottom - offsets.bottom};
  if (FitCounterPreview()) FitPreview(page, desc, &preview);
  DrawTextW(PreviewDC, L"1234", -1, &preview,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
  SetTextColor(PreviewDC, previousText);
  if (!desc.transparent) SetBkColor(PreviewDC, previousBack);
  if (previousFont) SelectObject(PreviewDC, previousFont);
}

void SetColorTrackbars(HWND page, const ColorControls& c, const RgbColor& color) {
  const int positions[] = {color.Red, color.Green, color.Blue};
  const int controls[] = {c.red, c.green, c.blue};
  for (int i = 0; i < 3; ++i) {
    SetTrackbarPos(page, controls[i], positions[i]);
    SelectTrackbarToThumb(page, controls[i]);
  }
}

bool TypeActive(const CounterTypePage& desc) {
  const Settings& s = *g_settings;
  return s.BulkEnable != 0 && s.CounterEnabled != 0 && s.CounterType == (desc.transparent ? 1 : 0);
}

void WriteNumberPair(HWND page, int edit, int upDown, unsigned value) {
  WriteNumber(page, edit, value);
  SetUpDownPos(page, upDown, static_cast<int>(value));
}

void LoadControls(HWND page, const CounterTypePage& desc) {
  const Settings& s = *g_settings;
  const bool active = TypeActive(desc);
  const bool centred = desc.transparent ? s.TransparentCounterCenter != 0 : s.CounterCenter != 0;
  EnableControls(page, desc.typeControls, desc.typeControlCount, active);
  EnableControls(page, desc.positionControls, desc.positionControlCount, active && !centred);
  SetCheck(page, desc.centerBox, centred);
  if (desc.transparent) {
    WriteNumberPair(page, IDC_TRANSP_POS_Y, IDC_TRANSP_POS_Y_SPIN, s.TransparentCounterPosY);
    WriteNumberPair(page, IDC_TRANSP_POS_X, IDC_TRANSP_POS_X_SPIN, s.TransparentCounterPosX);
    SetColorTrackbars(page, desc.text, s.TransparentCounterColor);
    SetTrackbarPos(page, IDC_TRANSP_SIZE, s.TransparentCounterSize);
    return;
  }
  WriteNumberPair(page, IDC_SOLID_SIZE_Y, IDC_SOLID_SIZE_Y_SPIN, s.CounterSizeY);
  WriteNumberPair(page, IDC_SOLID_SIZE_X, IDC_SOLID_SIZE_X_SPIN, s.CounterSizeX);
  WriteNumberPair(page, IDC_SOLID_POS_Y, IDC_SOLID_POS_Y_SPIN, s.CounterPosY);
  WriteNumberPair(page, IDC_SOLID_POS_X, IDC_SOLID_POS_X_SPIN, s.CounterPosX);
  SetColorTrackbars(page, desc.text, s.CounterForegroundColor);
  SetColorTrackbars(page, desc.background, s.CounterBackgroundColor);
}

int Number(HWND page, int control) { return static_cast<int>(ReadNumber(page, control)); }

void StoreControls(HWND page, const CounterTypePage& desc) {
  Settings& s = *g_settings;
  const int centred = IsChecked(page, desc.centerBox) ? 1 : 0;
  if (desc.transparent) {
    s.SetTransparentCounterPosY(Number(page, IDC_TRANSP_POS_Y));
    s.SetTransparentCounterPosX(Number(page, IDC_TRANSP_POS_X));
    s.SetTransparentCounterCenter(centred);
    s.SetTransparentCounterColorRed(TrackbarPos(page, IDC_TRANSP_RED));
    s.SetTransparentCounterColorGreen(TrackbarPos(page, IDC_TRANSP_GREEN));
    s.SetTransparentCounterColorBlue(TrackbarPos(page, IDC_TRANSP_BLUE));
    s.SetTransparentCounterSize(TrackbarPos(page, IDC_TRANSP_SIZE));
    return;
  }
  s.SetCounterSizeY(Number(page, IDC_SOLID_SIZE_Y));
  s.SetCounterSizeX(Number(page, IDC_SOLID_SIZE_X));
  s.SetCounterPosY(Number(page, IDC_SOLID_POS_Y));
  s.SetCounterPosX(Number(page, IDC_SOLID_POS_X));
  s.SetCounterCenter(centred);
  s.SetCounterForegroundColorRed(TrackbarPos(page, IDC_SOLID_FG_RED));
  s.SetCounterForegroundColorGreen(TrackbarPos(page, IDC_SOLID_FG_GREEN));
  s.SetCounterForegroundColorBlue(TrackbarPos(page, IDC_SOLID_FG_BLUE));
  s.SetCounterBackgroundColorRed(TrackbarPos(page, IDC_SOLID_BG_RED));
  s.SetCounterBackgroundColorGreen(TrackbarPos(page, IDC_SOLID_BG_GREEN));
  s.SetCounterBackgroundColorBlue(TrackbarPos(page, IDC_SOLID_BG_BLUE));
}

INT_PTR OnInitDialog(HWND page, const CounterTypePage& desc) {
  for (int i = 0; i < desc.trackbarCount; ++i) SubclassTrackbar(page, desc.trackbars[i]);
  TakePreviewObjects(page, desc.transparent);
  for (int i = 0; i < desc.numberEditCount; ++i) LimitText(page, desc.numberEdits[i], 3);
  for (int i = 0; i < desc.trackbarCount; ++i) {
    const bool size = desc.trackbars[i] == IDC_TRANSP_SIZE;
    SetTrackbarRange(page, desc.trackbars[i], size ? 1 : 0, size ? 10 : 255);
  }
  for (int i = 0; i < desc.upDownCount; ++i) {
    SetUpDownRange(page, desc.upDowns[i].control, desc.upDowns[i].low, desc.upDowns[i].high);
  }
  LoadControls(page, desc);
  FitPageToFont(page);
  PostMessageW(page, desc.previewMessage, 0, 0);
  return TRUE;
}

void OnTrackbarMoved(HWND page, const CounterTypePage& desc, HWND trackbar, int code) {
  if (code < TB_LINEUP || code > TB_ENDTRACK || !trackbar) return;
  SelectTrackbarToThumb(page, GetDlgCtrlID(trackbar));
  PostMessageW(page, desc.previewMessage, 0, 0);
}

const CounterTypePage* g_resetPage = nullptr;  // the page RunPageReset resets

void ResetPage(HWND page) {
  (g_settings->*g_resetPage->resetDefaults)();
  LoadControls(page, *g_resetPage);
  PostMessageW(page, g_resetPage->previewMessage, 0, 0);
}

INT_PTR OnCommand(HWND page, const CounterTypePage& desc, int control) {
  if (control == desc.centerBox) {
    StoreControls(page, desc);
    LoadControls(page, desc);
    if (!IsChecked(page, desc.centerBox)) FocusAndSelect(page, desc.positionY);
  } else if (control == desc.defaultsButton) {
    g_resetPage = &desc;
    RunPageReset(page, desc.defaultsButton, ResetPage);
  }
  return 0;
}

// The solid counter warns before it saves colours that are hard to tell
// apart; No keeps the sheet on the page with nothing of it saved.
INT_PTR OnApply(HWND page, const CounterTypePage& desc) {
  StoreControls(page, desc);
  if (!desc.transparent &&
      ColorsHardToRead(g_settings->CounterForegroundColor, g_settings->CounterBackgroundColor) &&
      !ConfirmHardToReadColors()) {
    SetPageResult(page, PSNRET_INVALID_NOCHANGEPAGE);
    return TRUE;
  }
  const int saved = (g_settings->*desc.save)();
  const INT_PTR answer = AnswerApply(page, saved);
  if (saved == 1) DeletePreviewFont();
  return answer;
}

INT_PTR OnNotify(HWND page, const CounterTypePage& desc, LPARAM lParam) {
  switch (NotifyCode(lParam)) {
    case PSN_SETACTIVE:
      LoadControls(page, desc);
      SetPageResult(page, 0);
      return TRUE;
    case PSN_KILLACTIVE:
      StoreControls(page, desc);
      return AnswerKillActive(page);
    case PSN_APPLY:
      return OnApply(page, desc);
    case PSN_RESET:
      DeletePreviewFont();
      SetPageResult(page, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CounterTypePageProc(const CounterTypePage& desc, HWND page, UINT message, WPARAM wParam,
                            LPARAM lParam) {
  if (message == desc.previewMessage) {
    DrawPreview(page, desc);
    return TRUE;
  }
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(page, desc);
    case WM_HSCROLL:
      OnTrackbarMoved(page, desc, reinterpret_cast<HWND>(lParam), LOWORD(wParam));
      return 0;
    case WM_PAINT:
      // The dialog paints itself first; the preview is drawn over it.
      PostMessageW(page, desc.previewMessage, 0, 0);
      return 0;
    case WM_COMMAND:
      return OnCommand(page, desc, LOWORD(wParam));
    case WM_NOTIFY:
      return OnNotify(page, desc, lParam);
    case WM_DESTROY:
      GiveBackPreviewObjects(page);
      return 0;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK SolidCounterPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return CounterTypePageProc(kSolidPage, page, message, wParam, lParam);
}

INT_PTR CALLBACK TransparentCounterPageProc(HWND page, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  return CounterTypePageProc(kTransparentPage, page, message, wParam, lParam);
}
