// The settings in force: the main record (g_settings) and its profiles,
// read from SARNU.INI in one step under one lock, and the note of the file
// as it was when last read, which the watch over the file holds a changed
// file against.
#pragma once

#include <cstddef>
#include <cstdint>

class Lock;
class Profiles;
class Settings;

// The process's profiles (null: none; the main record for every barcode),
// made by the entry procedure over g_settings.
extern Profiles* g_profiles;

// Held while a barcode's record is chosen and read, and while the records
// are loaded again.
Lock& RecordsLock();

// The record that formats a barcode of `type` (its data FNC1 first or not)
// now; call it holding RecordsLock (the output thread only). Without
// profiles the program in front is not even looked up; one that cannot be
// named ("") still gets the profiles that name no program.
// `choice` (optional) receives the program in front and the profile's name
// ("" for the main record), valid while the lock is held; with ScanLog on
// the program is looked up even without profiles.
struct RecordChoice {
  const char16_t* program;  // null when not looked up
  const char16_t* profile;
};
const Settings& RecordFor(int32_t type, bool fnc1First, RecordChoice* choice = nullptr);

// Reads SARNU.INI into g_settings and its profiles again, as one step that
// the output thread never meets half done: a barcode is formatted wholly by
// the settings before or wholly by those after.
void LoadSettingsAndProfiles();

// Drops the profiles until the next load (camera mode frames every barcode
// its own way, whatever the program).
void ClearProfiles();

// The settings file's system path; a bare name lives in "\Windows\", as the
// INI library has it. False without a settings file.
bool SettingsFilePath(wchar_t* path, size_t units);

// SARNU.INI's size and time of writing, or that it is missing.
struct FileStamp {
  bool exists = false;
  uint64_t size = 0;
  uint64_t written = 0;
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && size == o.size && written == o.written;
  }
};
FileStamp SettingsFileStamp();

// Notes the file as it is now, and its sections, just before it is read
// (every activation and reload). Main window's thread only, as the two
// questions below.
void NoteSettingsFileRead();

// The stamp the file had when last read.
FileStamp SettingsFileReadStamp();

// Readable, and a settings file at all: at least one section. An emptied
// file, or one of other text, is not taken. *whole: every section of the
// file read last is there too; a copy that paused halfway lacks the rest.
bool SettingsFileHoldsSettings(bool* whole);
