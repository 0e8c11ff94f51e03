// Terminal set-up, log reading and child processes for the simulator's tests.
#include "sim_test_support.h"

#include <cstring>

namespace {

// Set before the first library call or child process so every part of the test sees the
// same private terminal, apart from the default one people use by hand.
struct TerminalName {
  TerminalName() { SetEnvironmentVariableW(L"SARNU_SIM_NAME", L"SimTests"); }
} g_terminal_name;

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// Reads a pipe to its end on a thread of its own, so a child filling one pipe never
// blocks on the other.
struct PipeReader {
  HANDLE pipe;
  std::string text;
  static DWORD WINAPI Run(void* self) {
    PipeReader* r = static_cast<PipeReader*>(self);
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(r->pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
      r->text.append(buffer, n);
    return 0;
  }
};

}  // namespace

void InitTerminal(int32_t reader, uint32_t model, const wchar_t* dir) {
  SimLock lock;
  if (lock) SimInitTerminal(lock.get(), model, reader, dir);
}

void ForgetTerminal() {
  SimLock lock;
  if (lock) {
    SimInitTerminal(lock.get(), 0, kSimReaderNone, nullptr);
    lock->initialised = 0;
  }
}

void QueueBarcode(const std::string& text, int32_t type, char symbology) {
  static SimBarcode b;
  b.type_code = type;
  b.symbology = symbology;
  b.length = static_cast<uint32_t>(text.size());
  memcpy(b.data, text.data(), text.size());
  SimLock lock;
  if (lock) SimQueuePush(lock.get(), b);
}

uint32_t QueuedCount() {
  SimLock lock;
  return lock ? lock->queue_count : 0;
}

std::vector<std::string> LogTexts() {
  std::vector<std::string> lines;
  SimLock lock;
  if (!lock) return lines;
  const uint32_t written = lock->log_written;
  const uint32_t first = written > kSimLogSize ? written - kSimLogSize : 0;
  for (uint32_t n = first; n < written; ++n) lines.push_back(lock->log[n % kSimLogSize].text);
  return lines;
}

int RunSimterm(const std::string& arguments, std::string* out, std::string* err) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE out_read, out_write, err_read, err_write;
  if (!CreatePipe(&out_read, &out_write, &inherit, 0)) return -1;
  if (!CreatePipe(&err_read, &err_write, &inherit, 0)) return -1;
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out_write;
  startup.hStdError = err_write;
  std::wstring command = L"\"" + ProgramFolder() + L"simterm.exe\" ";
  int units = MultiByteToWideChar(CP_ACP, 0, arguments.c_str(), -1, nullptr, 0);
  std::wstring wide(units, L'\0');
  MultiByteToWideChar(CP_ACP, 0, arguments.c_str(), -1, &wide[0], units);
  command += wide.c_str();

  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &startup, &process);
  CloseHandle(out_write);
  CloseHandle(err_write);
  int code = -1;
  if (started) {
    PipeReader out_reader = {out_read, {}};
    PipeReader err_reader = {err_read, {}};
    HANDLE threads[2] = {CreateThread(nullptr, 0, PipeReader::Run, &out_reader, 0, nullptr),
                         CreateThread(nullptr, 0, PipeReader::Run, &err_reader, 0, nullptr)};
    DWORD exit_code = 0;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process.hProcess, &exit_code)) {
      code = static_cast<int>(exit_code);
    } else {
      TerminateProcess(process.hProcess, 1);
    }
    // The pipes reach their end once the child is gone; the readers must be done
    // before their handles close below.
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (out) *out = out_reader.text;
    if (err) *err = err_reader.text;
  }
  CloseHandle(out_read);
  CloseHandle(err_read);
  return code;
}
