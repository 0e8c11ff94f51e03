// The wedge's start-up shortcut. Portable: the shortcut file itself is made
// by the platform layer, which knows the shell's format.
#include "startup_shortcut.h"

#include <cstdint>

#include "file_io.h"
#include "shortcut.h"

const char16_t kStartupShortcutPath[] = u"\\Windows\\Startup\\SARNU.lnk";
const char16_t kWedgeProgramPath[] = u"\\Windows\\Sarnu.exe";

bool StartupShortcutExists() {
  uint32_t attributes = 0;
  return FileGetAttributes(kStartupShortcutPath, &attributes);
}

bool SetStartupShortcut(bool on) {
  // Deleting first means a shortcut that points elsewhere never survives;
  // the delete may fail simply because there is none.
  FileDelete(kStartupShortcutPath);
  if (!on) return !StartupShortcutExists();
  return CreateShortcut(kStartupShortcutPath, kWedgeProgramPath);
}
