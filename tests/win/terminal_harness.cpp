// Child processes, registry keys and files for the Win32 tests; see
// terminal_harness.h.
#include "terminal_harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

// Every test run gets a terminal of its own, so runs in parallel (and the
// simulator's own tests) never share one. Set before any library is loaded
// or any simterm is started; children inherit it.
struct SimulatorName {
  SimulatorName() {
    wchar_t name[64];
    std::swprintf(name, 64, L"WinTests%lu", GetCurrentProcessId());
    SetEnvironmentVariableW(L"SARNU_SIM_NAME", name);
  }
} g_simulatorName;

}  // namespace

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

int RunSimterm(const std::wstring& arguments, std::string* output) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::wstring commandLine = L"\"" + ProgramFolder() + L"simterm.exe\" " + arguments;
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  const DWORD error = started ? 0 : GetLastError();
  CloseHandle(writeEnd);
  if (!started) {
    // Seldom, under a full run's load; the error tells what Wine refused.
    std::fprintf(stderr, "CreateProcessW failed (error %lu): %ls\n", error, commandLine.c_str());
    CloseHandle(readEnd);
    return -1;
  }
  std::string text;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  CloseHandle(readEnd);

  DWORD code = DWORD(-1);
  if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (output != nullptr) *output = text;
  return int(code);
}

void Simterm(const std::wstring& arguments) {
  std::string output;
  const int code = RunSimterm(arguments, &output);
  ASSERT_EQ(code, 0) << "simterm " << std::string(arguments.begin(), arguments.end()) << "\n"
                     << output;
}

std::vector<std::string> SimLogArguments(const char* call) {
  std::string output;
  std::vector<std::string> found;
  EXPECT_EQ(RunSimterm(L"log", &output), 0);
  const std::string wanted = std::string(" ") + call;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    // "<ms> <call>[ <arguments>]"
    const size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    const std::string rest = line.substr(space);
    if (rest.compare(0, wanted.size(), wanted) != 0) continue;
    if (rest.size() == wanted.size()) {
      found.push_back("");
    } else if (rest[wanted.size()] == ' ') {
      found.push_back(rest.substr(wanted.size() + 1));
    }
  }
  return found;
}

void SetActiveDriver(int number, const wchar_t* name) {
  wchar_t path[64];
  std::swprintf(path, 64, L"Drivers\\Active\\%02d", number);
  WriteRegistryText(path, L"Name", name);
}

void RemoveActiveDriver(int number) {
  wchar_t path[64];
  std::swprintf(path, 64, L"Drivers\\Active\\%02d", number);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
}

void WriteRegistryText(const wchar_t* keyPath, const wchar_t* name, const wchar_t* text) {
  HKEY key = nullptr;
  // Keys under HARDWARE must be volatile; elsewhere a volatile key would do
  // as well, but a plain one is what a terminal has.
  const DWORD options =
      _wcsnicmp(keyPath, L"HARDWARE\\", 9) == 0 ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, options, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD bytes = DWORD((wcslen(text) + 1) * sizeof(wchar_t));
  EXPECT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

bool ReadRegistryText(const wchar_t* keyPath, const wchar_t* name, std::wstring* text,
                      DWORD* bytes) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  wchar_t buffer[600] = {};
  DWORD size = sizeof buffer - sizeof buffer[0];
  const LONG read =
      RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS) return false;
  if (bytes != nullptr) *bytes = size;
  *text = buffer;
  return true;
}

std::wstring OnDriveC(const wchar_t* terminalPath) { return std::wstring(L"C:") + terminalPath; }

void MakeFolder(const wchar_t* terminalPath) {
  const std::wstring path = OnDriveC(terminalPath);
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
}

namespace {

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

void RemoveFolder(const wchar_t* terminalPath) { RemoveTree(OnDriveC(terminalPath)); }

bool WriteFileBytes(const wchar_t* terminalPath, const std::string& bytes) {
  HANDLE file = CreateFileW(OnDriveC(terminalPath).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::string ReadFileBytes(const wchar_t* terminalPath) {
  HANDLE file = CreateFileW(OnDriveC(terminalPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

std::wstring Wide(const char16_t* text) {
  std::wstring out;
  for (; text != nullptr && *text != 0; ++text) out.push_back(wchar_t(*text));
  return out;
}
