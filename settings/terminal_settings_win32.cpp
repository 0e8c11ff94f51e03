// Power-on keys and function-key launch entries on the terminal.
// (Filled in with the device library interface.)
#include "terminal_settings.h"

void ApplyBootSettings(const Settings&) {}
void SaveFunctionKeyLaunchValues(const Settings&) {}
