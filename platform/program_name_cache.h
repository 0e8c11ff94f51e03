// The name of the program last found in front, kept so that a program that
// stays in front is named without asking the system again. A process id
// alone is no key: the system gives an ended process's id to a later one,
// which would then be named, and profiled, as the ended program.
#pragma once

#include <cstddef>

class ProgramNameCache {
 public:
  static constexpr size_t kUnits = 260;

  // The kept name when `process` and `window` are those it was kept for;
  // else null. The name stays valid until the next Keep.
  const wchar_t* Find(unsigned long process, const void* window) const {
    return process != 0 && process == process_ && window == window_ ? name_ : nullptr;
  }
  // Keeps `name` (cut to kUnits - 1) for the process and its window in front.
  void Keep(unsigned long process, const void* window, const wchar_t* name) {
    size_t i = 0;
    for (; i + 1 < kUnits && name[i]; ++i) name_[i] = name[i];
    name_[i] = 0;
    process_ = process;
    window_ = window;
  }

 private:
  unsigned long process_ = 0;
  const void* window_ = nullptr;
  wchar_t name_[kUnits] = {};
};
