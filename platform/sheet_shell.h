// What the settings sheet needs of the shell that differs between the
// terminal and the desktop: the soft-key menu bar, the full-screen sheet,
// the terminal's own sheet notices, and a guarded read of caller texts.
// The terminal's form of each is described beside it; the desktop's is in
// platform/win32/sheet_shell.cpp.
#pragma once

// The sheet header's flags besides the callback: the terminal asks for a
// maximised sheet with its own flag (0x2000), which the desktop reads as
// something else, so only the platform names it.
unsigned long SheetHeaderFlags();

// The terminal's soft-key bar carrying the menu resource `menuId` of
// `instance` under `sheet` (SHCreateMenuBar, structure size 36, flags
// SHCMBF_HMENU); on the desktop a real menu bar with the same commands.
// False when it could not be made.
bool CreateSheetMenuBar(void* sheet, void* instance, int menuId);

// Called once the sheet window exists: the terminal maximised it already;
// the desktop makes it fill the screen, without a frame and without the
// desktop sheet's own buttons, which the menu bar replaces.
void FillScreenWithSheet(void* sheet);

// Extra style bits to clear in the sheet's template before it is created
// (the popup bit is cleared on every platform by the caller).
unsigned long SheetStyleBitsToClear();

// The sheet callback notices the program answers, by kind. The terminal's
// sheet also asks for the common-controls version and a title; the desktop
// sheet never sends those.
enum class SheetNotice { Initialized, PreCreate, GetVersion, GetTitle, Other };
SheetNotice ClassifySheetNotice(unsigned message);

// The pages are laid out in the terminal's dialog units for the terminal's
// font. The desktop stand-in's dialog font is wider, and its sheet leaves
// the pages less height, so a few controls come out too small there:
// FitPageToFont, called once a page's controls exist, narrows on the
// desktop an up-down that leaves its buddy no room for a digit; the terminal
// changes nothing.
void FitPageToFont(void* page);

// Whether the counter preview is fitted into its rectangle and kept below
// its "Preview:" label: the stand-in's "System" face is wider than the
// terminal's. The terminal draws it exactly where and as large as its
// rectangle and font say.
bool FitCounterPreview();

// True when `text` (a wide text) can be read up to its terminator, at most
// `units` units. The terminal's compiler guards such reads with structured
// exception handling; MinGW has none, so the desktop asks the system's
// guarded probe instead.
bool TextIsReadable(const wchar_t* text, unsigned units);
