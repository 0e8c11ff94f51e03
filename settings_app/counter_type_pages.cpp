// The counter-type pages, "Solid Counter" and "Transp. Counter": size or
// size step, position or centring, colours, and a live preview of the
// counter text drawn in the colours the thumbs show. The two pages differ
// only in their controls, keys and rules, which each describes in a table
// that reaches the one procedure below as its page's lParam.
#include "page_support.h"

#include <iterator>
#include "sheet_shell.h"
#include "resource.h"
#include "settings_pages.h"

namespace {

// Posted to itself: draw the preview once the dialog has painted. From
// WM_APP, clear of the dialog messages that start at WM_USER.
enum : UINT { UM_DRAW_PREVIEW = WM_APP + 2 };

// Screens taller than this are "tall": the preview font doubles and the
// preview moves, since the program tells the platform not to scale it.
const int kTallScreen = 400;

// A number of the record shown in an edit box with its up-down, or on a
// trackbar (edit 0); its range is its key's.
struct NumberField {
  int edit;
  int control;  // the up-down, or the trackbar
  FieldRange range;
  uint16_t Settings::*value16;  // one of these two is set
  uint8_t Settings::*value8;
  void (Settings::*set)(int);
};

// Colour trackbar triplets: red, green, blue.
struct ColorControls {
  int red;
  int green;
  int blue;
};

struct ColorField {
  ColorControls controls;
  RgbColor Settings::*value;
  void (Settings::*setRed)(int);
  void (Settings::*setGreen)(int);
  void (Settings::*setBlue)(int);
};

}  // namespace

// What one counter-type page is: its controls, the record's keys behind
// them, and its rules. It reaches the page as the page's lParam.
struct CounterTypePage {
  bool transparent;  // the counter type the page belongs to (CounterType 1)
  int centerBox;
  int32_t Settings::*center;
  void (Settings::*setCenter)(int);
  int positionY;  // focused when "Center" is cleared
  int defaultsButton;
  // In the order in which the page loads and stores them: the boxes before
  // "Center", the colours and trackbar numbers after it.
  const NumberField* numbers;
  int numberCount;
  const ColorField* colors;  // the first one is the preview's text
  int colorCount;
  const NumberField* trackbarNumbers;
  int trackbarNumberCount;
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

namespace {

const NumberField kSolidNumbers[] = {
    {IDC_SOLID_SIZE_Y, IDC_SOLID_SIZE_Y_SPIN, field_range::CounterSizeY, &Settings::CounterSizeY,
     nullptr, &Settings::SetCounterSizeY},
    {IDC_SOLID_SIZE_X, IDC_SOLID_SIZE_X_SPIN, field_range::CounterSizeX, &Settings::CounterSizeX,
     nullptr, &Settings::SetCounterSizeX},
    {IDC_SOLID_POS_Y, IDC_SOLID_POS_Y_SPIN, field_range::CounterPosY, &Settings::CounterPosY,
     nullptr, &Settings::SetCounterPosY},
    {IDC_SOLID_POS_X, IDC_SOLID_POS_X_SPIN, field_range::CounterPosX, &Settings::CounterPosX,
     nullptr, &Settings::SetCounterPosX}};
const ColorField kSolidColors[] = {
    {{IDC_SOLID_FG_RED, IDC_SOLID_FG_GREEN, IDC_SOLID_FG_BLUE},
     &Settings::CounterForegroundColor,
     &Settings::SetCounterForegroundColorRed,
     &Settings::SetCounterForegroundColorGreen,
     &Settings::SetCounterForegroundColorBlue},
    {{IDC_SOLID_BG_RED, IDC_SOLID_BG_GREEN, IDC_SOLID_BG_BLUE},
     &Settings::CounterBackgroundColor,
     &Settings::SetCounterBackgroundColorRed,
     &Settings::SetCounterBackgroundColorGreen,
     &Settings::SetCounterBackgroundColorBlue}};
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

const NumberField kTranspNumbers[] = {
    {IDC_TRANSP_POS_Y, IDC_TRANSP_POS_Y_SPIN, field_range::TransparentCounterPosY,
     &Settings::TransparentCounterPosY, nullptr, &Settings::SetTransparentCounterPosY},
    {IDC_TRANSP_POS_X, IDC_TRANSP_POS_X_SPIN, field_range::TransparentCounterPosX,
     &Settings::TransparentCounterPosX, nullptr, &Settings::SetTransparentCounterPosX}};
const ColorField kTranspColors[] = {{{IDC_TRANSP_RED, IDC_TRANSP_GREEN, IDC_TRANSP_BLUE},
                                     &Settings::TransparentCounterColor,
                                     &Settings::SetTransparentCounterColorRed,
                                     &Settings::SetTransparentCounterColorGreen,
                                     &Settings::SetTransparentCounterColorBlue}};
const NumberField kTranspTrackbarNumbers[] = {
    {0, IDC_TRANSP_SIZE, field_range::TransparentCounterSize, nullptr,
     &Settings::TransparentCounterSize, &Settings::SetTransparentCounterSize}};
const int kTranspTypeControls[] = {
    IDC_TRANSP_DEFAULTS,   IDC_TRANSP_POS_LABEL,  IDC_TRANSP_CENTER,   IDC_TRANSP_COLOR_LABEL,
    IDC_TRANSP_MINUS,      IDC_TRANSP_PLUS,       IDC_TRANSP_PREVIEW,  IDC_TRANSP_RED_LABEL,
    IDC_TRANSP_GREEN_LABEL, IDC_TRANSP_BLUE_LABEL, IDC_TRANSP_RED,     IDC_TRANSP_GREEN,
    IDC_TRANSP_BLUE,       IDC_TRANSP_SIZE_LABEL, IDC_TRANSP_SIZE};
const int kTranspPositionControls[] = {IDC_TRANSP_POS_X_LABEL, IDC_TRANSP_POS_Y_LABEL,
                                       IDC_TRANSP_POS_X,       IDC_TRANSP_POS_Y,
                                       IDC_TRANSP_POS_X_SPIN,  IDC_TRANSP_POS_Y_SPIN};

}  // namespace

const CounterTypePage kSolidCounterPage = {
    false, IDC_SOLID_CENTER, &Settings::CounterCenter, &Settings::SetCounterCenter,
    IDC_SOLID_POS_Y, IDC_SOLID_DEFAULTS,
    kSolidNumbers, int(std::size(kSolidNumbers)), kSolidColors, int(std::size(kSolidColors)),
    nullptr, 0,
    kSolidTypeControls, int(std::size(kSolidTypeControls)),
    kSolidPositionControls, int(std::size(kSolidPositionControls)),
    {125, 60, 5, 0}, {220, 140, 34, 2}, IDC_SOLID_PREVIEW,
    &Settings::ResetSolidCounterDefaults, &Settings::SaveSolidCounter};

const CounterTypePage kTransparentCounterPage = {
    true, IDC_TRANSP_CENTER, &Settings::TransparentCounterCenter,
    &Settings::SetTransparentCounterCenter, IDC_TRANSP_POS_Y, IDC_TRANSP_DEFAULTS,
    kTranspNumbers, int(std::size(kTranspNumbers)), kTranspColors, int(std::size(kTranspColors)),
    kTranspTrackbarNumbers, int(std::size(kTranspTrackbarNumbers)),
    kTranspTypeControls, int(std::size(kTranspTypeControls)),
    kTranspPositionControls, int(std::size(kTranspPositionControls)),
    {90, 160, 17, 0}, {184, 330, 38, 2}, IDC_TRANSP_PREVIEW,
    &Settings::ResetTransparentCounterDefaults, &Settings::SaveTransparentCounter};

namespace {

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
  const COLORREF previousText = SetTextColor(PreviewDC, ThumbColor(page, desc.colors[0].controls));
  COLORREF previousBack = 0;
  if (!desc.transparent) {
    previousBack = SetBkColor(PreviewDC, ThumbColor(page, desc.colors[1].controls));
  }
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

int NumberOf(const Settings& s, const NumberField& field) {
  return field.value16 ? s.*field.value16 : s.*field.value8;
}

void LoadControls(HWND page, const CounterTypePage& desc) {
  const Settings& s = *g_settings;
  const bool active = TypeActive(desc);
  const bool centred = s.*desc.center != 0;
  EnableControls(page, desc.typeControls, desc.typeControlCount, active);
  EnableControls(page, desc.positionControls, desc.positionControlCount, active && !centred);
  SetCheck(page, desc.centerBox, centred);
  for (int i = 0; i < desc.numberCount; ++i) {
    const NumberField& field = desc.numbers[i];
    WriteNumber(page, field.edit, unsigned(NumberOf(s, field)));
    SetUpDownPos(page, field.control, NumberOf(s, field));
  }
  for (int i = 0; i < desc.colorCount; ++i) {
    SetColorTrackbars(page, desc.colors[i].controls, s.*desc.colors[i].value);
  }
  for (int i = 0; i < desc.trackbarNumberCount; ++i) {
    SetTrackbarPos(page, desc.trackbarNumbers[i].control, NumberOf(s, desc.trackbarNumbers[i]));
  }
}

void StoreControls(HWND page, const CounterTypePage& desc) {
  Settings& s = *g_settings;
  for (int i = 0; i < desc.numberCount; ++i) {
    (s.*desc.numbers[i].set)(static_cast<int>(ReadNumber(page, desc.numbers[i].edit)));
  }
  (s.*desc.setCenter)(IsChecked(page, desc.centerBox) ? 1 : 0);
  for (int i = 0; i < desc.colorCount; ++i) {
    const ColorField& color = desc.colors[i];
    (s.*color.setRed)(TrackbarPos(page, color.controls.red));
    (s.*color.setGreen)(TrackbarPos(page, color.controls.green));
    (s.*color.setBlue)(TrackbarPos(page, color.controls.blue));
  }
  for (int i = 0; i < desc.trackbarNumberCount; ++i) {
    const NumberField& field = desc.trackbarNumbers[i];
    (s.*field.set)(TrackbarPos(page, field.control));
  }
}

INT_PTR OnInitDialog(HWND page, const CounterTypePage& desc) {
  for (int i = 0; i < desc.colorCount; ++i) {
    const ColorControls& c = desc.colors[i].controls;
    for (int control : {c.red, c.green, c.blue}) SubclassTrackbar(page, control);
  }
  for (int i = 0; i < desc.trackbarNumberCount; ++i) {
    SubclassTrackbar(page, desc.trackbarNumbers[i].control);
  }
  TakePreviewObjects(page, desc.transparent);
  for (int i = 0; i < desc.colorCount; ++i) {
    const ColorControls& c = desc.colors[i].controls;
    const FieldRange channel = field_range::CounterForegroundColor;
    for (int control : {c.red, c.green, c.blue}) SetTrackbarRange(page, control, channel);
  }
  for (int i = 0; i < desc.trackbarNumberCount; ++i) {
    SetTrackbarRange(page, desc.trackbarNumbers[i].control, desc.trackbarNumbers[i].range);
  }
  for (int i = 0; i < desc.numberCount; ++i) {
    LimitNumber(page, desc.numbers[i].edit, desc.numbers[i].control, desc.numbers[i].range);
  }
  LoadControls(page, desc);
  FitPageToFont(page);
  PostMessageW(page, UM_DRAW_PREVIEW, 0, 0);
  return TRUE;
}

void OnTrackbarMoved(HWND page, HWND trackbar, int code) {
  if (code < TB_LINEUP || code > TB_ENDTRACK || !trackbar) return;
  SelectTrackbarToThumb(page, GetDlgCtrlID(trackbar));
  PostMessageW(page, UM_DRAW_PREVIEW, 0, 0);
}

// The page's description, kept with its window from WM_INITDIALOG on; null
// for the few messages before it.
const CounterTypePage* DescriptionOf(HWND page) {
  return reinterpret_cast<const CounterTypePage*>(GetWindowLongPtrW(page, DWLP_USER));
}

void ResetPage(HWND page) {
  const CounterTypePage& desc = *DescriptionOf(page);
  (g_settings->*desc.resetDefaults)();
  LoadControls(page, desc);
  PostMessageW(page, UM_DRAW_PREVIEW, 0, 0);
}

INT_PTR OnCommand(HWND page, const CounterTypePage& desc, int control) {
  if (control == desc.centerBox) {
    StoreControls(page, desc);
    LoadControls(page, desc);
    if (!IsChecked(page, desc.centerBox)) FocusAndSelect(page, desc.positionY);
  } else if (control == desc.defaultsButton) {
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

}  // namespace

INT_PTR CALLBACK CounterTypePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    SetWindowLongPtrW(page, DWLP_USER, sheetPage->lParam);
  }
  const CounterTypePage* desc = DescriptionOf(page);
  if (!desc) return FALSE;
  switch (message) {
    case UM_DRAW_PREVIEW:
      DrawPreview(page, *desc);
      return TRUE;
    case WM_INITDIALOG:
      return OnInitDialog(page, *desc);
    case WM_HSCROLL:
      OnTrackbarMoved(page, reinterpret_cast<HWND>(lParam), LOWORD(wParam));
      return 0;
    case WM_PAINT:
      // The dialog paints itself first; the preview is drawn over it.
      PostMessageW(page, UM_DRAW_PREVIEW, 0, 0);
      return 0;
    case WM_COMMAND:
      return OnCommand(page, *desc, LOWORD(wParam));
    case WM_NOTIFY:
      return OnNotify(page, *desc, lParam);
    case WM_DESTROY:
      GiveBackPreviewObjects(page);
      return 0;
    default:
      return FALSE;
  }
}
