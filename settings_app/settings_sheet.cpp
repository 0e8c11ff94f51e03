// The settings sheet. Pages are created in one order and shown in another:
// the counter-type page must be the last tab so that it can be exchanged
// for the other type without moving the tabs before it.
#include "settings_sheet.h"

#include "page_support.h"
#include "resource.h"
#include "settings_pages.h"
#include "sheet_shell.h"
#include "stage_stamps.h"

namespace {

enum : int { kPageCount = 5 };

constexpr WORD RT_DIALOG_ID = 5;  // the resource type of dialog templates

// The terminal's common-controls version, which its sheet asks for.
constexpr int kTerminalCommonControlsVersion = 0x020E;

// A page whose template is missing could never be shown: it counts as a
// page that cannot be created, before the sheet ever sees it.
HPROPSHEETPAGE CreatePage(int templateId, DLGPROC pageProc, const wchar_t* title,
                          const void* data = nullptr) {
  if (!FindResourceW(AppInstance, MAKEINTRESOURCEW(templateId),
                     MAKEINTRESOURCEW(RT_DIALOG_ID))) {
    return nullptr;
  }
  PROPSHEETPAGEW page = {};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_USETITLE | PSP_USECALLBACK;
  page.hInstance = AppInstance;
  page.pszTemplate = MAKEINTRESOURCEW(templateId);
  page.pfnDlgProc = pageProc;
  page.pszTitle = title;
  page.pfnCallback = PageCallback;
  page.lParam = reinterpret_cast<LPARAM>(data);
  return CreatePropertySheetPageW(&page);
}

void DestroyPages(HPROPSHEETPAGE* pages, int count) {
  for (int i = 0; i < count; ++i) {
    if (pages[i]) DestroyPropertySheetPage(pages[i]);
  }
}

// The creation order; the tab order is built from it below.
enum CreationIndex : int { kFilter, kBulk, kCounter, kCounterType, kCommon };

void OnSheetInitialized(HWND sheet) {
  StampStage(kSettingsSheetMade);
  SheetWindow = sheet;
  if (!CreateSheetMenuBar(sheet, AppInstance, IDR_SHEET_MENU)) {
    MessageBoxW(nullptr, L"MenuBar creation failed", L"Error", MB_ICONSTOP);
  }
  FillScreenWithSheet(sheet);
  StampStage(kSettingsSheetFitted);
}

// The head of an extended dialog template, up to its style: the signature
// 0xFFFF tells it from a plain one.
struct ExtendedTemplateHead {
  WORD version;
  WORD signature;
  DWORD helpId;
  DWORD extendedStyle;
  DWORD style;
};
static_assert(offsetof(ExtendedTemplateHead, style) == 12, "the style follows 12 bytes of head");

// The platform hands over the sheet's own template before it makes the
// window; the sheet is a top-level window but must not be a popup.
void OnSheetPreCreate(LPARAM data) {
  DLGTEMPLATE* sheetTemplate = reinterpret_cast<DLGTEMPLATE*>(data);
  if (!sheetTemplate) return;
  const DWORD clear = WS_POPUP | SheetStyleBitsToClear();
  auto* extended = reinterpret_cast<ExtendedTemplateHead*>(sheetTemplate);
  if (extended->signature == 0xFFFF) {
    extended->style &= ~clear;
  } else {
    sheetTemplate->style &= ~clear;
  }
}

}  // namespace

int CreateSettingsSheet(int startPage) {
  HPROPSHEETPAGE created[kPageCount] = {};
  const bool transparent = g_settings->CounterType != 0;
  created[kFilter] = CreatePage(IDD_FILTER_PAGE, FilterPageProc, L"Filter");
  created[kBulk] = CreatePage(IDD_BULK_PAGE, BulkPageProc, L"Bulkmode");
  created[kCounter] = CreatePage(IDD_COUNTER_PAGE, CounterPageProc, L"Counter");
  created[kCounterType] =
      transparent ? CreatePage(IDD_TRANSPARENT_PAGE, CounterTypePageProc, L"Transp. Counter",
                               &kTransparentCounterPage)
                  : CreatePage(IDD_SOLID_PAGE, CounterTypePageProc, L"Solid Counter",
                               &kSolidCounterPage);
  created[kCommon] = CreatePage(IDD_COMMON_PAGE, CommonPageProc, L"Common");
  TransparentPageShown = g_settings->CounterType;
  for (HPROPSHEETPAGE page : created) {
    if (!page) {
      DestroyPages(created, kPageCount);
      return 0;
    }
  }
  StampStage(kSettingsPagesMade);

  HPROPSHEETPAGE tabs[kPageCount] = {created[kFilter], created[kBulk], created[kCommon],
                                     created[kCounter], created[kCounterType]};
  CounterPageHandle = created[kCounterType];
  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_USECALLBACK | SheetHeaderFlags();
  header.hwndParent = nullptr;
  header.hInstance = AppInstance;
  header.pszCaption = L"";
  header.nPages = kPageCount;
  header.nStartPage = startPage > kPageCount - 1 ? kPageCount - 1 : startPage;
  header.phpage = tabs;
  header.pfnCallback = SettingsSheetProc;
  return PropertySheetW(&header) == -1 ? 0 : 1;
}

int CALLBACK SettingsSheetProc(HWND sheet, UINT message, LPARAM data) {
  switch (ClassifySheetNotice(message)) {
    case SheetNotice::PreCreate:
      OnSheetPreCreate(data);
      return 0;
    case SheetNotice::Initialized:
      OnSheetInitialized(sheet);
      return 0;
    case SheetNotice::GetVersion:
      return kTerminalCommonControlsVersion;
    case SheetNotice::GetTitle:
      // The title buffer is the platform's; the sheet shows no title.
      if (data) *reinterpret_cast<wchar_t*>(data) = L'\0';
      return 0;
    default:
      return 0;
  }
}

UINT CALLBACK PageCallback(HWND, UINT message, LPPROPSHEETPAGEW) {
  switch (message) {
    case PSPCB_CREATE:
      return 1;
    case PSPCB_RELEASE:
      return 0;
    default:
      return static_cast<UINT>(-1);
  }
}

bool SwapCounterPage(int templateId, DLGPROC pageProc, const wchar_t* title, const void* data) {
  HPROPSHEETPAGE next = CreatePage(templateId, pageProc, title, data);
  if (!next) return false;
  // Added before the old one goes, so the sheet never has four tabs; an add
  // the sheet refuses leaves the old page where it was.
  if (!SendMessageW(SheetWindow, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(next))) {
    DestroyPropertySheetPage(next);
    return false;
  }
  HPROPSHEETPAGE previous = CounterPageHandle;
  CounterPageHandle = next;
  SendMessageW(SheetWindow, PSM_REMOVEPAGE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(previous));
  return true;
}
