// The terminal's form of the settings sheet's shell: the soft-key menu bar,
// a sheet the system maximises itself, and the terminal's own notices.
#include "sheet_shell.h"

#include <windows.h>

#include "module_export.h"

static_assert(sizeof(SHMENUBARINFO) == 36,
              "the terminal's shell takes a menu bar record of 36 bytes");

unsigned long SheetHeaderFlags() { return PSH_NOAPPLYNOW | PSH_MAXIMIZE; }

// The shell library is looked up when the sheet is made: a terminal with
// the standard shell has none, and the sheet then goes without soft keys
// (the caller's "MenuBar creation failed") instead of the program not
// loading at all.
typedef BOOL(WINAPI* CreateMenuBarFunction)(SHMENUBARINFO*);

bool CreateSheetMenuBar(void* sheet, void* instance, int menuId) {
  static const CreateMenuBarFunction create = reinterpret_cast<CreateMenuBarFunction>(
      ModuleExportByName(LoadLibraryW(L"aygshell.dll"), "SHCreateMenuBar"));
  if (!create) return false;
  SHMENUBARINFO info = {};
  info.cbSize = sizeof info;
  info.hwndParent = static_cast<HWND>(sheet);
  info.dwFlags = SHCMBF_HMENU;
  info.nToolBarId = UINT(menuId);
  info.hInstRes = static_cast<HINSTANCE>(instance);
  return create(&info) != FALSE;
}

void FillScreenWithSheet(void*) {}

unsigned long SheetStyleBitsToClear() { return 0; }

SheetNotice ClassifySheetNotice(unsigned message) {
  switch (message) {
    case PSCB_INITIALIZED:
      return SheetNotice::Initialized;
    case PSCB_PRECREATE:
      return SheetNotice::PreCreate;
    case PSCB_GETVERSION:
      return SheetNotice::GetVersion;
    case PSCB_GETTITLE:
      return SheetNotice::GetTitle;
    default:
      return SheetNotice::Other;
  }
}

void FitPageToFont(void*) {}

bool FitCounterPreview() { return false; }

// The terminal's probe of one unit at a time, up to the terminator.
bool TextIsReadable(const wchar_t* text, unsigned units) {
  for (unsigned i = 0; i < units; ++i) {
    if (IsBadReadPtr(text + i, sizeof *text)) return false;
    if (text[i] == 0) return true;
  }
  return true;
}
