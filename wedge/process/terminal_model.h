// What each terminal model has, by ModelCode (the number DvcGetModelName's
// name maps to): the reader's controls and keys, the signals' devices.
#pragma once

#include <cstdint>

bool ModelHasFocusControl(uint32_t model);    // laser focus and swing angle
bool ModelUsesKeyLayoutB(uint32_t model);     // else layout A
uint32_t ImagerScanningKeys(uint32_t model);  // 0x003 or 0x103, plus 0x080 on some
bool ModelHasBuzzer(uint32_t model);
bool ModelHasVibrator(uint32_t model);
// The steady bulk-mode LED colour: 13 on the models with that LED, else 3.
int32_t BulkIndicatorColour(uint32_t model);
