// The temporary copy of SARNU.INI: every section save of one settings run
// goes to "\Temp\SARNU.INI", and the real file is replaced once, when the
// run ends, so the wedge never reads a half-saved configuration.
#include "file_io.h"
#include "settings.h"

namespace {

const char16_t kTempIniPath[] = u"\\Temp\\SARNU.INI";

}  // namespace

bool Settings::BeginTempCopy() {
  if (TempCopyActive) return false;
  SavedIniPath = IniPath;
  IniPath = kTempIniPath;
  TempCopyActive = 1;
  // A copy an earlier run left behind, read-only or not, is this run's to
  // replace: it must neither block the copy nor smuggle that run's values
  // into the real file.
  FileMakeWritable(kTempIniPath);
  FileDelete(kTempIniPath);
  const bool copied = FileCopy(SavedIniPath, kTempIniPath, false);
  // The copy is the run's own scratch file even when the real file is
  // read-only; whether the real file takes it is the commit's question.
  if (copied) FileMakeWritable(kTempIniPath);
  // Without a real file the saves build the copy afresh. With one that could
  // not be copied (locked, \Temp full or missing) a fresh copy would lack
  // the real file's other sections and keys, so the run saves nothing.
  uint32_t attributes = 0;
  TempCopyUnusable = !copied && FileGetAttributes(SavedIniPath, &attributes) ? 1 : 0;
  return copied;
}

bool Settings::CommitTempCopy() {
  if (!TempCopyActive) return false;
  IniPath = SavedIniPath;
  TempCopyActive = 0;
  if (TempCopyUnusable) {
    TempCopyUnusable = 0;
    return false;
  }
  // Moved in whole, so a reset meanwhile leaves the old file or the new one.
  // The copy stays where it is when the real file cannot take it (read-only,
  // in ROM), so nothing saved is lost.
  return FileMoveOver(kTempIniPath, IniPath);
}

const char16_t* Settings::TempCopyPath() { return kTempIniPath; }
