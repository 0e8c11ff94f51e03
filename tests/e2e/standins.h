// The stand-ins for the programs the suite starts (the settings program, the
// readers' set-up tools), placed at their terminal paths, and their shared
// log: which of them started and ended, in order.
#pragma once

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"

class StandIns {
 public:
  // A fresh log; every program started from now on (the wedge, the applet's
  // host and what they start) inherits the log and how long to stay up.
  explicit StandIns(DWORD stayMs) {
    DeleteFileW(kLog);
    SetEnvironmentVariableW(L"SARNU_STANDIN_LOG", kLog);
    SetEnvironmentVariableW(L"SARNU_STANDIN_MS", std::to_wstring(stayMs).c_str());
    for (const wchar_t* path : kPaths) DeleteFileW(path);
  }
  ~StandIns() {
    for (const wchar_t* path : kPaths) DeleteFileW(path);
  }
  // `name` is "SarnuSettings.exe", "LZRSet.exe" or "PIXSet.exe".
  bool Place(const std::wstring& name) {
    CreateDirectoryW(L"C:\\Windows", nullptr);
    return CopyFileW((BinFolder() + L"standin_tool.exe").c_str(), (L"C:\\Windows\\" + name).c_str(),
                     FALSE) != 0;
  }
  // "start NAME" and "end NAME" lines in the order they happened.
  std::string Log() const {
    std::string bytes;
    HANDLE file = CreateFileW(kLog, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    std::istringstream in(bytes);
    std::string line, log;
    while (std::getline(in, line)) {
      const size_t blank = line.find(' '), slash = line.find_last_of('\\');
      if (blank == std::string::npos || slash == std::string::npos) continue;
      log += line.substr(0, blank) + " " + line.substr(slash + 1) + "\n";
    }
    return log;
  }
  bool WaitForLog(const std::string& expected, DWORD timeoutMs) const {
    return PollUntil([&] { return Log() == expected; }, timeoutMs);
  }

 private:
  static constexpr const wchar_t* kLog = L"C:\\sarnu-standins.log";
  static constexpr const wchar_t* kPaths[] = {
      L"C:\\Windows\\SarnuSettings.exe", L"C:\\Windows\\LZRSet.exe", L"C:\\Windows\\PIXSet.exe"};
};
