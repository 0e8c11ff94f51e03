// A client of the wedge's DataReader protocol: the three request events it
// sets and the three state events the wedge answers with.
#pragma once

#include <windows.h>

// The named events of the DataReader protocol as a client sees them.
struct ReaderClient {
  ReaderClient() {
    for (int i = 0; i < 3; ++i) {
      // Whoever comes first creates an event; the kind is the same for both.
      request[i] = CreateEventW(nullptr, FALSE, FALSE, kRequests[i]);
      state[i] = CreateEventW(nullptr, FALSE, FALSE, kStates[i]);
    }
  }
  ~ReaderClient() {
    for (int i = 0; i < 3; ++i) {
      if (request[i]) CloseHandle(request[i]);
      if (state[i]) CloseHandle(state[i]);
    }
  }
  bool Complete() const {
    for (int i = 0; i < 3; ++i) {
      if (!request[i] || !state[i]) return false;
    }
    return true;
  }
  void ResetStates() {
    for (HANDLE h : state) ResetEvent(h);
  }
  // Whether each state event is set now; the signal is put back.
  bool IsSet(int which) {
    if (WaitForSingleObject(state[which], 0) != WAIT_OBJECT_0) return false;
    SetEvent(state[which]);
    return true;
  }

  enum { kStart = 0, kStop = 1, kCamMode = 2 };  // also kStarted, kStopped, kCamModeActive
  static constexpr const wchar_t* kRequests[3] = {
      L"DataReader_Event_Start", L"DataReader_Event_Stop", L"DataReader_Event_CamMode"};
  static constexpr const wchar_t* kStates[3] = {
      L"DataReader_Event_Started", L"DataReader_Event_Stopped", L"DataReader_Event_CamModeActive"};
  HANDLE request[3] = {};
  HANDLE state[3] = {};
};
