// The common first step of every stand-in library call: reach the state, apply an injected
// fault, check that the terminal has the reader the call belongs to.
#pragma once

#include <type_traits>

#include "sim_state.h"

// True when the call may go on. Otherwise *result holds what the call answers at once:
// kSimNoState, the injected code, or kSimNoReader when reader (kSimReaderNone: any) is not
// this terminal's reader.
inline bool SimEnter(SimLock& lock, const char* call, int32_t reader, int32_t* result) {
  if (!lock) {
    *result = kSimNoState;
    return false;
  }
  if (SimTakeFault(lock.get(), call, result)) return false;
  if (reader != kSimReaderNone && (!lock->initialised || lock->reader != reader)) {
    *result = kSimNoReader;
    return false;
  }
  return true;
}

// Holds an export to the signature the wedge calls it through (device/device_api.h).
#define SIM_CHECK_SIGNATURE(function, type) \
  static_assert(std::is_same<decltype(&function), type>::value, #function " differs from " #type)
