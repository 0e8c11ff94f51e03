// The wedge's entry procedure: one running copy, the process-wide objects in
// a fixed order, the message loop of the UI thread, and the release of
// everything in a fixed order when the main window is gone.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <iterator>
#include <new>

#include "block_queue.h"
#include "bulk_run.h"
#include "clipboard.h"
#include "data_path_notices.h"
#include "device_libraries.h"
#include "interop_events.h"
#include "key_output.h"
#include "keyboard_hook.h"
#include "main_window.h"
#include "notifications.h"
#include "process_globals.h"
#include "profiles.h"
#include "reader_input.h"
#include "resource.h"
#include "scan_device.h"
#include "scan_log.h"
#include "settings.h"
#include "settings_records.h"
#include "settings_watch.h"
#include "shell.h"
#include "short_threads.h"
#include "stage_stamps.h"
#include "trigger_rules.h"
#include "wedge_events.h"
#include "wedge_messages.h"

namespace {

const WCHAR* W(const char16_t* text) { return reinterpret_cast<const WCHAR*>(text); }

// The system's text for the last error, in an ownerless box.
void ShowSystemError() {
  const DWORD error = GetLastError();
  WCHAR* text = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<WCHAR*>(&text), 0, nullptr);
  MessageBoxW(nullptr, text ? text : L"", L"Sarnu Error", MB_ICONINFORMATION);
  if (text) LocalFree(text);
}

// Stores the instance, refuses to run beside a window of a running copy, and
// creates the hidden main window. 1 on success.
int InitInstance(HINSTANCE instance) {
  g_hInstance = instance;
  if (HWND running = FindWindowW(kMainWindowName, kMainWindowName)) {
    BringWindowForward(running);
    return 0;
  }
  WNDCLASSW windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SARNU));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kMainWindowName;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, kMainWindowName, kMainWindowName, 0, 0, 0, 0, 0, nullptr,
                                nullptr, instance, nullptr);
  if (!window) {
    ShowSystemError();
    return 0;
  }
  ShowWindow(window, SW_HIDE);
  UpdateWindow(window);
  MainWindow = window;
  return 1;
}

void ReleaseSettings() {
  delete g_profiles;
  g_profiles = nullptr;
  // The destructor commits a temporary copy that is still active.
  delete g_settings;
  g_settings = nullptr;
}

void ReleaseScanDevice() {
  if (!g_scanDevice) return;
  if (g_scanDevice->Scanning) g_scanDevice->StopScan();
  if (g_scanDevice->IsOpen) g_scanDevice->Close();
  g_reader = nullptr;
  delete g_scanDevice;
  g_scanDevice = nullptr;
}

void ReleaseMutexHandle(HANDLE mutex) {
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

// A failure after the main window exists: the window goes first so that its
// tray icon does not outlive the process.
int AbandonStartUp(HANDLE mutex) {
  if (MainWindow) DestroyWindow(MainWindow);
  ReleaseScanDevice();
  ReleaseSettings();
  ReleaseMutexHandle(mutex);
  return 0;
}

template <int (*Procedure)()>
DWORD WINAPI ThreadEntry(LPVOID) {
  return DWORD(Procedure());
}

// The long-running threads, in their start order. Their handles are kept so
// that exit can let them leave the queues before the queues go away.
const LPTHREAD_START_ROUTINE kThreadProcedures[] = {
    ThreadEntry<OutputThread>,
    ThreadEntry<LzrReadThread>,
    ThreadEntry<DataReaderEventListenerThread>,
    ThreadEntry<SettingsWatchThread>,
    ThreadEntry<GoodReadSignalThread>,
};
HANDLE g_threads[std::size(kThreadProcedures)];

void StartThreads() {
  for (size_t i = 0; i < std::size(kThreadProcedures); ++i) {
    g_threads[i] = CreateThread(nullptr, 0, kThreadProcedures[i], nullptr, 0, nullptr);
  }
}

// How long exit gives the threads to see EventSarnuEnd. A thread still typing
// a long barcode may take a moment; one that hangs in a reader call must not
// keep the wedge from ending.
enum : DWORD { kThreadEndMilliseconds = 3000 };

// Waits for one thread, at most `bound` after `start`, answering what is
// sent to this thread meanwhile: a key that the output thread sent just
// before the hook came off waits for the hook's answer, which only this
// thread gives, and would otherwise hold the output thread until the
// system gives up on the hook.
bool WaitAnswering(HANDLE thread, DWORD start, DWORD bound) {
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    const DWORD left = spent < bound ? bound - spent : 0;
    const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
    if (woke == WAIT_OBJECT_0) return true;
    if (woke != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }
}

// The terminal cannot wait for all of several objects at once, so each
// thread is awaited in turn, all of them within the one time bound.
bool WaitForThreads() {
  const DWORD start = GetTickCount();
  bool ended = true;
  for (HANDLE h : g_threads) {
    if (!h) continue;
    if (!WaitAnswering(h, start, kThreadEndMilliseconds)) {
      ended = false;
      break;
    }
  }
  for (HANDLE& h : g_threads) {
    if (h) CloseHandle(h);
    h = nullptr;
  }
  return ended;
}

void ReleaseQueues() {
  ClearBulkRun();
  ComparisonQueue.Destroy();
  OutputQueue.Clear();
  OutputQueue.Destroy();
}

int RunMessageLoop(HACCEL accelerators) {
  MSG msg = {};
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    if (TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}

// After the message loop: every thread told to end and awaited, then what
// they read released; `dataAvailable` and `trigger` are the events the entry
// procedure held for the life of the process.
void EndWedge(HANDLE dataAvailable, HANDLE trigger) {
  // Held until the threads are seen to end: a thread that had not yet opened
  // the event would otherwise find a fresh, unsignalled one.
  HANDLE end = CreateEventW(nullptr, TRUE, FALSE, W(kEventSarnuEnd));
  if (end) SetEvent(end);
  CloseHandle(dataAvailable);
  CloseHandle(trigger);
  // The hook is called on this thread, which pumps no more messages: every
  // key the output thread still sends would wait for the system to give up
  // on the hook, and the threads would not end in time.
  RemoveKeyboardHook();
  // A thread still running may be inside a queue, or typing from the
  // settings and the reader's values; the process ends in a moment anyway,
  // so what such a thread can reach is then left to it.
  // The short threads (signals, forget timers, an imager decode) read the
  // reader object, the settings and the queues as well: a decode ends with
  // its scan, the others at EventSarnuEnd.
  if (g_scanDevice && g_scanDevice->Scanning) g_scanDevice->StopScan();
  const bool threadsEnded = WaitForThreads() && WaitForShortThreads(kThreadEndMilliseconds);
  if (threadsEnded) ReleaseQueues();
  if (end) CloseHandle(end);
  // The counter window's drawing objects are released by the counter window.
  if (threadsEnded) {
    // A barcode still offered to a late paste goes on the clipboard for good.
    ClipboardEnd();
    ReleaseSettings();
    ReleaseScanDevice();
  }
}

// The counter belongs to the main window's thread, which makes it.
void MakeCounterOnMainWindow() {
  if (MainWindow) SendMessageW(MainWindow, UM_CREATE_COUNTER, 0, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  StampStage(kStartEntered);
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"SarnuMutex");
  if (!mutex) return 0;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    ReleaseMutexHandle(mutex);
    return 0;
  }
  InitCommonControls();

  LoadDeviceLibraries();
  StampStage(kStartLibraries);
  uint32_t extra1 = 0, extra2 = 0;
  g_DvcLib.DvcGetModelName(&ModelCode, &extra1, &extra2);

  g_settings = new (std::nothrow) Settings();
  if (!g_settings) return AbandonStartUp(mutex);
  // Without room for profiles every barcode takes the main record.
  g_profiles = new (std::nothrow) Profiles(*g_settings);
  StampStage(kStartSettings);

  if (!InitInstance(instance)) return AbandonStartUp(mutex);

  g_scanDevice = new (std::nothrow) ScanDevice(MainWindow);
  if (!g_scanDevice) return AbandonStartUp(mutex);
  g_reader = g_scanDevice;
  SetOutputBufferType(&g_scanDevice->BufferType);
  SetClipboardOwner(MainWindow);
  SetCounterOwner(g_hInstance, MainWindow);
  g_dataPathNotices = {QueueGoodReadSignals, MakeCounterOnMainWindow, EndRunAtLimit, EndPressScan,
                       QueueNotTypedSignal};

  HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));

  HANDLE dataAvailable = CreateEventW(nullptr, FALSE, FALSE, W(kEventSarnuDataAvailable));
  HANDLE trigger = CreateEventW(nullptr, FALSE, FALSE, W(kEventSarnuTrigger));
  if (!dataAvailable || !trigger) {
    MessageBoxW(nullptr, L"Create\r\nEvents\r\nERROR!", L"ERROR", MB_ICONEXCLAMATION);
    if (dataAvailable) CloseHandle(dataAvailable);
    if (trigger) CloseHandle(trigger);
    return AbandonStartUp(mutex);
  }

  // A failure is reported by the hook itself; the wedge runs on without it.
  InstallKeyboardHook(instance, KeyboardHookProc);
  StartThreads();
  StartScanLogWhenWanted();
  if (g_settings->ShowSplash) g_splash = CreateSplash(instance);
  StampStage(kStartThreads);

  const int exitCode = RunMessageLoop(accelerators);
  EndWedge(dataAvailable, trigger);
  ReleaseMutexHandle(mutex);
  return exitCode;
}
