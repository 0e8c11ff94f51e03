// Shared by the simulator's tests: one private terminal, the stand-in libraries loaded from
// the test's own folder, simterm.exe as a child process, and the terminal's log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "device/device_api.h"
#include "sim/sim_state.h"

// A fresh terminal of this reader and model (dir: the system name folder, or null).
void InitTerminal(int32_t reader, uint32_t model = 10, const wchar_t* dir = nullptr);
// Puts the record back to a terminal that was never initialised.
void ForgetTerminal();

// Queues one barcode directly, as `simterm scan` would.
void QueueBarcode(const std::string& text, int32_t type = 0, char symbology = 'A');
uint32_t QueuedCount();

// The text of every log line ("DvcSetLED 2 1 4 0"), oldest first, without stamps.
std::vector<std::string> LogTexts();

// Runs "simterm.exe <arguments>" and waits for it; the exit code, or -1 when it could not
// run. stdout and stderr go to the strings given.
int RunSimterm(const std::string& arguments, std::string* out = nullptr,
               std::string* err = nullptr);

// A library of the simulator, loaded while the object lives.
class SimLibrary {
 public:
  explicit SimLibrary(const wchar_t* name) : module_(LoadLibraryW(name)) {}
  ~SimLibrary() {
    if (module_) FreeLibrary(module_);
  }
  SimLibrary(const SimLibrary&) = delete;
  SimLibrary& operator=(const SimLibrary&) = delete;

  HMODULE get() const { return module_; }
  // Lets the caller free it itself.
  HMODULE release() {
    HMODULE m = module_;
    module_ = nullptr;
    return m;
  }
  template <typename Fn>
  Fn Named(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  template <typename Fn>
  Fn Ordinal(int ordinal) const {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(ordinal))));
  }

 private:
  HMODULE module_;
};
