// The end-to-end driver: starts the shipped programs and helpers from the bin
// folder, prepares a simulated terminal, and looks at the desktop the way a
// user would (notepad's text, message boxes, dialogs, the tray, screenshots).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Polls `done` every few milliseconds until it gives true or `timeoutMs`
// passes. Returns the last answer of `done`.
bool PollUntil(const std::function<bool()>& done, DWORD timeoutMs);

// The folder of the running test program (the build's bin folder, where the
// programs, simterm.exe and the simulator's libraries are), with a trailing
// backslash.
std::wstring BinFolder();

// The shipped programs as the build deployed them from its install (the
// terminal's "\Windows" folder, with the simulator's libraries beside them),
// with a trailing backslash.
std::wstring InstalledFolder();

// A started child process. The destructor ends a process that still runs
// (TerminateProcess) and closes the handle, so a failing test leaves nothing
// behind that could steal the focus from the next one.
class Program {
 public:
  Program() = default;
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Starts `exe` (a bare name is taken from the installed folder, else from
  // the bin folder; a name with a
  // folder or a program on the search path such as "notepad.exe" is passed as
  // it is) with `arguments` as the command line's tail. False when it could
  // not be started.
  bool Start(const std::wstring& exe, const std::wstring& arguments = L"");
  // True when the process ended within `timeoutMs`; *exitCode then holds its
  // exit code.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  bool IsRunning() const;
  // TerminateProcess when still running; closes the handle either way.
  void End();

  HANDLE Handle() const { return process_; }
  DWORD Id() const { return id_; }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Runs `exe` from the bin folder with `arguments` and waits at most
// `timeoutMs`. Returns its exit code, or -1 when it could not start or did not
// end (it is then terminated). Its standard output goes to *output.
int RunProgram(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs,
               std::string* output = nullptr);

// simterm with `arguments`: its exit code (0 done). A simterm start that
// never answered (-1 above; one start in some thousands dies under Wine)
// is made again, twice at most, unless the command queues barcodes: a
// second "scan" could queue them twice.
int RunSimterm(const std::wstring& arguments, std::string* output = nullptr);

// The model every scenario's terminal uses. Models 10 and 11 keep their
// settings in "\Documents and Settings\System Settings", whatever exists on
// the disk, so the wedge's SARNU.INI location does not depend on what an
// earlier test left there.
enum : int { kE2eModel = 10 };

// Ends every running wedge (found by its window). A test that ctest killed
// at its time-out leaves its wedge behind, and the single-instance rule
// would then make every later scenario's wedge exit at once.
void EndStrayWedges();

// "simterm init --model 10 --reader <reader>" on a simulator state private to
// the e2e tests (SARNU_SIM_NAME, inherited by every program started later),
// and SARNU.INI replaced by `iniText` (or removed when it is empty), after
// ending any wedge still running. False when simterm failed or the file
// could not be written.
bool PrepareTerminal(const char* reader, const std::string& iniText);

// Where the wedge of the prepared terminal reads SARNU.INI (a Win32 path on
// the prefix's drive C:).
std::wstring WedgeIniPath();

// Writes or removes the file. Bytes unchanged.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

// A top-level window of process `processId` with this class (and, when
// `title` is not null, this title); visible ones only when `visibleOnly`.
// Null when there is none.
HWND FindProcessWindow(DWORD processId, const wchar_t* windowClass, const wchar_t* title,
                       bool visibleOnly);
// The same, polled until found or `timeoutMs` passed.
HWND WaitForProcessWindow(DWORD processId, const wchar_t* windowClass, const wchar_t* title,
                          bool visibleOnly, DWORD timeoutMs);

// Wine's notepad in a process of its own, its edit control found, ended by
// the destructor (a modified notepad would ask to save on a close).
class Notepad {
 public:
  // Starts notepad and waits for its window and its "Edit" child.
  bool Open();
  // Makes notepad the foreground window with the focus in its edit control,
  // polled until the system agrees. False on time-out.
  bool BringForward();
  // The edit control's whole text (WM_GETTEXT), as UTF-16.
  std::wstring Text() const;
  // Polls Text() until it equals `expected`; returns the last text read.
  std::wstring WaitForText(const std::wstring& expected, DWORD timeoutMs) const;
  // Empties the edit control.
  void Clear();

  HWND Frame() const { return frame_; }
  HWND Edit() const { return edit_; }

 private:
  Program program_;
  HWND frame_ = nullptr;
  HWND edit_ = nullptr;
};

// A message box ("#32770" with this caption) of any process, polled for at
// most `timeoutMs`. Null when none appeared.
HWND WaitForMessageBox(const wchar_t* caption, DWORD timeoutMs);
// The text of a message box: its static control with id 0xFFFF, else its
// first "Static" child.
std::wstring MessageBoxText(HWND box);
// Presses OK without waiting on the box's thread for long.
void DismissMessageBox(HWND box);

// True when the shell's tray still holds an icon of window `owner` with
// identifier `id`: a modification of that icon (NIM_MODIFY, tip only) is
// accepted only while the icon exists.
bool TrayIconExists(HWND owner, UINT id);

// Polls the screen inside the window's rectangle until it shows more than
// one colour (a picture, not a blank face), for at most `timeoutMs`: another
// process paints in its own time.
bool WaitUntilPainted(HWND window, DWORD timeoutMs);

// A tray icon (the system's application icon) of window `owner`, and its
// removal: the probe above checked against icons the test makes itself.
bool AddTrayIcon(HWND owner, UINT id);
bool DeleteTrayIcon(HWND owner, UINT id);

// Captures the whole screen into `<artifacts>\<name>.png`. The artifacts
// folder comes from SARNU_ARTIFACTS (a Unix path is put on Wine's drive Z:),
// else "artifacts" beside the bin folder. Returns the written path, or the
// empty text on failure.
std::wstring SaveScreenshot(const wchar_t* name);

// The clipboard's Unicode text as a user's copy puts it there, and read back
// ("<busy>" when the clipboard cannot be opened).
bool PutClipboardText(const std::wstring& text);
// The same into a clipboard the caller has opened and emptied.
bool PutClipboardUnits(const std::wstring& text);
std::wstring ClipboardText();

// A UTF-16 text from narrow bytes of the ANSI code page.
std::wstring FromAnsi(const std::string& bytes);
