// The temporary copy of SARNU.INI: every section save of one settings run
// goes to "\Temp\SARNU.INI", and the real file is replaced once, when the
// run ends, so the wedge never reads a half-saved configuration.
#include "file_io.h"
#include "ini_file.h"
#include "settings.h"
#include "wide_text.h"

namespace {

const char16_t kTempFolder[] = u"\\Temp";
const char16_t kTempIniPath[] = u"\\Temp\\SARNU.INI";
// The copy of a run whose commit failed, kept from the next run's copy
// until a commit succeeds.
const char16_t kKeptIniPath[] = u"\\Temp\\SARNU.INI.kept";

constexpr size_t kPathUnits = 270;

// `path` with `suffix` behind it; false when that would not fit whole.
bool WithSuffix(const char16_t* path, const char16_t* suffix, char16_t (&out)[kPathUnits]) {
  if (WideLength(path) + WideLength(suffix) >= kPathUnits) return false;
  WideCopy(out, kPathUnits, path);
  WideAppend(out, kPathUnits, suffix);
  return true;
}

bool Exists(const char16_t* path) {
  uint32_t attributes = 0;
  return FileGetAttributes(path, &attributes);
}

}  // namespace

bool Settings::BeginTempCopy() {
  if (TempCopyActive) return false;
  SavedIniPath = IniPath;
  IniPath = kTempIniPath;
  TempCopyActive = 1;
  // A terminal may have no \Temp (an image that does not make it, a folder
  // a user deleted); without it no save could be made.
  FileMakeFolder(kTempFolder);
  // A copy an earlier run left behind holds saves that never reached the
  // real file (its commit failed, or it was cut off): it is kept aside, not
  // smuggled into this run, and a read-only one must not block the copy.
  FileMakeWritable(kTempIniPath);
  if (Exists(kTempIniPath)) {
    FileMakeWritable(kKeptIniPath);
    FileMoveOver(kTempIniPath, kKeptIniPath);
  }
  const bool copied = FileCopy(SavedIniPath, kTempIniPath, false);
  // The copy is the run's own scratch file even when the real file is
  // read-only; whether the real file takes it is the commit's question.
  if (copied) FileMakeWritable(kTempIniPath);
  // Without a real file the saves build the copy afresh. With one that could
  // not be copied (locked, \Temp full) a fresh copy would lack the real
  // file's other sections and keys, so the run saves nothing.
  TempCopyUnusable = !copied && Exists(SavedIniPath) ? 1 : 0;
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
  // \Temp may be on another volume than SARNU.INI (the object store beside
  // a flash disk), where a move is a copy that a reset can cut short. So the
  // new file is first staged whole beside SARNU.INI and the last step is a
  // move within one volume. The copy stays in \Temp until the real file has
  // taken it (read-only, in ROM, a full disk), so nothing saved is lost.
  char16_t staged[kPathUnits];
  if (!WithSuffix(IniPath, u".new", staged)) return false;
  FileMakeWritable(staged);
  FileDelete(staged);
  if (!FileCopy(kTempIniPath, staged, false)) return false;
  if (!FileMoveOver(staged, IniPath)) {
    FileDelete(staged);
    return false;
  }
  FileDelete(kTempIniPath);
  FileDelete(kKeptIniPath);
  return true;
}

const char16_t* Settings::TempCopyPath() { return kTempIniPath; }
const char16_t* Settings::KeptCopyPath() { return kKeptIniPath; }

bool Settings::RecoverInterruptedCommit(const char16_t* iniPath) {
  char16_t old[kPathUnits];
  if (!iniPath || !iniPath[0] || !WithSuffix(iniPath, u".old", old) || !Exists(old)) return false;
  // The old file stepped aside for the new one and a reset (or a failed
  // way back) kept it there. A SARNU.INI that is missing, or lacks a
  // section the old one had, is not the whole new file: the old one comes
  // back. A whole new one stays, and the old one goes.
  if (Exists(iniPath) && IniHoldsSectionsOf(iniPath, old)) {
    FileDelete(old);
    return false;
  }
  if (Exists(iniPath) && !FileDelete(iniPath)) return false;
  return FileMoveOver(old, iniPath);
}
