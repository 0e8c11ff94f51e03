// The terminal's system as its own headers present it. The build puts this
// header in front of every source of the terminal's programs, so the desktop
// declarations of the MinGW headers take the terminal's meaning: where the
// terminal's headers turn a call into another export or into an inline, the
// same happens here, and an object imports only names the terminal's DLLs
// export. The functions only the terminal has are declared here once.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

// --- What only the terminal has ---

// Events are one kernel call with an operation.
enum { EVENT_PULSE = 1, EVENT_RESET = 2, EVENT_SET = 3 };
BOOL WINAPI EventModify(HANDLE event, DWORD operation);

// Export lookup by wide name (the terminal has no narrow GetProcAddress in
// its Unicode headers).
FARPROC WINAPI GetProcAddressW(HMODULE module, LPCWSTR name);

// Keyboard input carrying characters rather than keys.
enum : UINT {
  KeyStateToggledFlag = 0x0001,
  KeyStatePrevDownFlag = 0x0040,
  KeyStateDownFlag = 0x0080,
};
BOOL WINAPI PostKeybdMessage(HWND window, UINT virtualKey, UINT keyStateFlags, UINT characters,
                             UINT* shiftStateBuffer, UINT* characterBuffer);
#ifndef KEYEVENTF_SILENT
#define KEYEVENTF_SILENT 0x0004
#endif

// The soft-key menu bar of the terminal's shell.
typedef struct tagSHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;
  COLORREF clrBk;
} SHMENUBARINFO;
enum : DWORD { SHCMBF_HMENU = 0x0010 };
BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* info);

// Shell calls the terminal names without the W (the MinGW headers make the
// bare name a macro for the W one).
#undef Shell_NotifyIcon
BOOL WINAPI Shell_NotifyIcon(DWORD message, PNOTIFYICONDATAW data);

// Gives `destination` the content of `source` and deletes `source`, in one
// step on the object store.
BOOL WINAPI DeleteAndRenameFile(LPCWSTR destination, LPCWSTR source);

// Thread-local storage through one call.
enum { TLS_FUNCALLOC = 0, TLS_FUNCFREE = 1 };
DWORD WINAPI TlsCall(DWORD function, DWORD slot);

#ifdef __cplusplus
}
#endif

// Files held in ROM, and modules executed in place from it.
#define FILE_ATTRIBUTE_INROM 0x00000040
#define FILE_ATTRIBUTE_ROMMODULE 0x00002000

// The sheet's maximised form and its extra callback notices.
#ifndef PSH_MAXIMIZE
#define PSH_MAXIMIZE 0x2000
#endif
#define PSCB_GETVERSION 3
#define PSCB_GETTITLE 4

// --- Calls the terminal's headers make inline ---

// The kernel's pseudo handles and its per-thread data page.
#undef GetCurrentThread
#undef GetCurrentProcess
#define GetCurrentThread() (reinterpret_cast<HANDLE>(65))
#define GetCurrentProcess() (reinterpret_cast<HANDLE>(66))
#define GetCurrentThreadId() \
  (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(reinterpret_cast<HANDLE*>(0xFFFFC804)[1])))
#define GetCurrentProcessId() \
  (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(reinterpret_cast<HANDLE*>(0xFFFFC804)[2])))

#define SetEvent(event) EventModify((event), EVENT_SET)
#define ResetEvent(event) EventModify((event), EVENT_RESET)
#define PulseEvent(event) EventModify((event), EVENT_PULSE)
#define TlsAlloc() TlsCall(TLS_FUNCALLOC, 0)
#define TlsFree(slot) TlsCall(TLS_FUNCFREE, (slot))
#define ExitProcess(code) TerminateProcess(GetCurrentProcess(), (code))

// Memory handles are plain pointers: no moveable blocks, nothing to lock.
#define GlobalAlloc(flags, bytes) LocalAlloc((flags) & ~GMEM_MOVEABLE, (bytes))
#define GlobalFree LocalFree
#define GlobalReAlloc LocalReAlloc
#define GlobalSize LocalSize
#define GlobalLock(memory) (static_cast<LPVOID>(memory))
#define GlobalUnlock(memory) ((void)(memory), TRUE)
#define LocalLock(memory) (static_cast<LPVOID>(memory))
#define LocalUnlock(memory) ((void)(memory), TRUE)
#define LockResource(resource) (static_cast<LPVOID>(resource))

// --- Calls the terminal knows under another name ---

#undef GetProcAddress
#define GetProcAddress GetProcAddressW
#define lstrcpyW wcscpy
#define lstrcpynW(to, from, units) wcsncpy((to), (from), (units))
#define lstrcatW wcscat
#define lstrlenW(text) (static_cast<int>(wcslen(text)))
#define Shell_NotifyIconW Shell_NotifyIcon

#define CheckDlgButton(dialog, id, check) \
  SendDlgItemMessageW((dialog), (id), BM_SETCHECK, (check), 0)
#define IsDlgButtonChecked(dialog, id) \
  (static_cast<UINT>(SendDlgItemMessageW((dialog), (id), BM_GETCHECK, 0, 0)))

// Dialogs come from their templates in the module's resources.
#define SARNU_CE_DIALOG_TEMPLATE(instance, name) \
  static_cast<LPCDLGTEMPLATEW>(LockResource(     \
      LoadResource((instance), FindResourceW((instance), (name), MAKEINTRESOURCEW(5)))))
#undef CreateDialogParam
#undef DialogBoxParam
#define CreateDialogParamW(instance, name, parent, procedure, parameter)                       \
  CreateDialogIndirectParamW((instance), SARNU_CE_DIALOG_TEMPLATE((instance), (name)), (parent), \
                             (procedure), (parameter))
#define DialogBoxParamW(instance, name, parent, procedure, parameter)                          \
  DialogBoxIndirectParamW((instance), SARNU_CE_DIALOG_TEMPLATE((instance), (name)), (parent), \
                          (procedure), (parameter))

#define DrawIcon(dc, x, y, icon) DrawIconEx((dc), (x), (y), (icon), 0, 0, 0, nullptr, DI_NORMAL)
#define TrackPopupMenu(menu, flags, x, y, reserved, window, rect) \
  TrackPopupMenuEx((menu), (flags), (x), (y), (window), nullptr)
#define MsgWaitForMultipleObjects(count, handles, all, ms, mask) \
  MsgWaitForMultipleObjectsEx((count), (handles), (ms), (mask), 0)
#define GetTextExtentPointW(dc, text, count, size) \
  GetTextExtentExPointW((dc), (text), (count), 0, nullptr, nullptr, (size))

// The registry takes no access mask: every key opens for what its caller
// may do, and the argument is reserved (0).
#define RegOpenKeyExW(key, subKey, options, access, result) \
  RegOpenKeyExW((key), (subKey), (options), 0, (result))
