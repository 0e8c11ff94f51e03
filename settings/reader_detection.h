// Which reader the terminal carries and where SARNU.INI and the reader's own
// INI file live. Decided once per process, by the settings record's
// constructor on the terminal.
#pragma once

#include <cstdint>

class Settings;

// True when one of the active drivers (HKLM "Drivers\Active\01" .. "99", value
// "Name") has exactly this device name, such as u"DVB1:".
bool IsDriverActive(const char16_t* name);

// kScannerImager when "DVC1:" is active, else kScannerLaser for "DVB1:", else
// kScannerImager for "DVA1:"; without any of them the reader libraries are
// asked: an imager that opens and connects, else a laser that opens, else
// kScannerNone. Opens and closes the readers it tries.
int32_t DetectScanner();

// Sets settings.IniPath and settings.ReaderIniPath from settings.ScannerType:
// the empty text for no reader; a folder named by the device library; else the
// newer or the older "System Settings" folder. The texts are constants or two
// process-wide buffers of 260 units that the next call rewrites.
void ChooseFileLocations(Settings& settings);
