// SarnuBulk.exe: started by a function key, it asks the running wedge to
// switch bulk mode through "SarnuBulkEvent" and ends. Without a wedge that
// listens, the event it made vanishes with its handle.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  HANDLE bulk = CreateEventW(nullptr, FALSE, FALSE, L"SarnuBulkEvent");
  if (bulk) {
    SetEvent(bulk);
    CloseHandle(bulk);
  }
  return 0;
}
