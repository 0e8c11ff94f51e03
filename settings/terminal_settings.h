// The settings that act on the terminal outside SARNU.INI: power-on keys and
// the function-key launch entries. On a terminal they reach the device
// library and the registry; a host build has neither and does nothing.
#pragma once

class Settings;

// Builds the power-on mask from TriggerPowerOn, CradlePowerOn and the laser's
// scanning keys and hands it to the device, every time (mask 0 too).
void ApplyBootSettings(const Settings& settings);

// Clears every Fn7/Fn8/Fn9 launch value that names the bulk toggle program
// and, in toggle mode, sets the one of BulkToggleKey.
void SaveFunctionKeyLaunchValues(const Settings& settings);
