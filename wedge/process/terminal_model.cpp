// The terminal models' capabilities.
#include "terminal_model.h"

namespace {

bool InRange(uint32_t model, uint32_t low, uint32_t high) { return model >= low && model <= high; }

}  // namespace

bool ModelHasFocusControl(uint32_t model) { return model == 7 || InRange(model, 9, 16); }

bool ModelUsesKeyLayoutB(uint32_t model) { return model == 11 || InRange(model, 13, 15); }

uint32_t ImagerScanningKeys(uint32_t model) {
  uint32_t keys = model == 7 || InRange(model, 9, 16) ? 0x103 : 0x003;
  if (model == 7 || InRange(model, 10, 13) || model == 16) keys |= 0x080;
  return keys;
}

bool ModelHasBuzzer(uint32_t model) { return InRange(model, 7, 16); }

bool ModelHasVibrator(uint32_t model) {
  return model == 7 || (InRange(model, 9, 16) && model != 10 && model != 11);
}

int32_t BulkIndicatorColour(uint32_t model) {
  return model == 4 || model == 7 || InRange(model, 9, 16) ? 13 : 3;
}
