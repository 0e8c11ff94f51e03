// A host build has no reader, no registry and no power-on keys: the steps
// that act on the terminal do nothing there.
#include "terminal_settings.h"

void ApplyBootSettings(const Settings&) {}
void SaveFunctionKeyLaunchValues(const Settings&) {}
