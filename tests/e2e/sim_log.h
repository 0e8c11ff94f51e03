// The simulated terminal's device log as the e2e tests read it: time-stamped
// calls from "simterm log", counted, filtered and searched, and the SARNU.INI
// text of a bulk set-up.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"

struct LogLine {
  long ms;
  std::string text;  // the call and its arguments
};

inline long SimNow() {
  std::string out;
  return RunSimterm(L"now", &out) == 0 ? std::atol(out.c_str()) : -1;
}

inline std::vector<LogLine> SimLogSince(long since) {
  std::string out;
  RunSimterm(L"log --since " + std::to_wstring(since), &out);
  std::vector<LogLine> lines;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;
    lines.push_back({std::atol(line.c_str()), line.substr(blank + 1)});
  }
  return lines;
}

inline int Count(const std::vector<LogLine>& log, const std::string& text) {
  int n = 0;
  for (const LogLine& l : log) n += l.text == text;
  return n;
}

// The calls that start with one of `prefixes`, in order, as one text.
inline std::string Calls(const std::vector<LogLine>& log, std::vector<std::string> prefixes) {
  std::string calls;
  for (const LogLine& l : log) {
    for (const std::string& p : prefixes) {
      if (l.text.compare(0, p.size(), p) == 0) {
        calls += l.text + "\n";
        break;
      }
    }
  }
  return calls;
}

inline const LogLine* Find(const std::vector<LogLine>& log, const std::string& text,
                           size_t from = 0) {
  for (size_t i = from; i < log.size(); ++i) {
    if (log[i].text == text) return &log[i];
  }
  return nullptr;
}

// Polls the log from `since` until a line equals `text`.
inline bool WaitForLog(const std::string& text, long since, DWORD timeoutMs) {
  return PollUntil([&] { return Count(SimLogSince(since), text) > 0; }, timeoutMs);
}

// SARNU.INI with these bulk values and no splash.
inline std::string BulkIni(int enable, int activationMode) {
  return "[BulkScanning]\r\nBulkEnable=" + std::to_string(enable) +
         "\r\nBulkActivationMode=" + std::to_string(activationMode) +
         "\r\n[OtherSettings]\r\nShowSplash=0\r\n";
}
