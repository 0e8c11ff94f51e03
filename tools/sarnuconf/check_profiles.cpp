// "sarnuconf check" on the profiles: what the wedge's own reading of them
// tells (sections it ignores and why, entries that never match), put into
// the check's words, and the profiles that never take a barcode because an
// earlier one takes all of theirs first; with --warnings, the profiles that
// hold only where the terminal can name the program in front.
#include <algorithm>

#include "check_problems.h"
#include "commands.h"
#include "profiles.h"

namespace {

void TakeProfileNote(void* context, const ProfileNoteDetail& note) {
  ProfileReading* reading = static_cast<ProfileReading*>(context);
  const std::string profile = "Profile." + Utf8(note.name, note.nameLength);
  const std::string entry =
      note.entry != nullptr ? "\"" + Utf8(note.entry, note.entryLength) + "\" " : "";
  std::string subject, problem;
  switch (note.what) {
    case ProfileNote::Kept:
      reading->keptLines.push_back(note.line);
      return;
    case ProfileNote::NoName:
      reading->unreadHeaders.insert(note.line);
      problem = "profile without a name, ignored";
      break;
    case ProfileNote::SecondOfName:
      reading->unreadHeaders.insert(note.line);
      problem = "second section of this name, ignored (the first is at line " +
                std::to_string(note.firstLine) + ")";
      break;
    case ProfileNote::BeyondLimit:
      reading->stopLine = note.line;
      problem = "the wedge reads " + std::to_string(size_t(Profiles::kMaxProfiles)) +
                " profiles: this one and every later one are ignored";
      break;
    case ProfileNote::NamesNothing:
      problem = "names no program, type or setting, ignored";
      break;
    case ProfileNote::BadType:
      subject = profile + ".Types";
      problem = entry +
                "is not a type code (a whole number of 32 bits) or an identifier (such as ]C1): "
                "the profile is ignored";
      break;
    case ProfileNote::ProgramPath:
      subject = profile + ".Programs";
      problem = entry + "has a path and never matches: programs are named by file name alone";
      break;
    case ProfileNote::ProgramWildcard:
      subject = profile + ".Programs";
      problem = entry + "has a wildcard and never matches: names are compared whole";
      break;
    case ProfileNote::ProgramNotFileName:
      subject = profile + ".Programs";
      problem = entry + "cannot be a file name and never matches";
      break;
    case ProfileNote::NoProgramLeft:
      problem = "no entry of Programs can match, ignored";
      break;
    case ProfileNote::NoMemory:
      problem = "no memory to keep it, ignored";
      break;
  }
  reading->findings.push_back({note.line, subject, problem});
}

bool HasProgram(const Profile& profile, const char16_t* wanted) {
  const char16_t* name = profile.programs;
  for (size_t k = 0; k < profile.programCount; ++k, name += 1 + name[0]) {
    if (name[0] == wanted[0] && std::equal(name + 1, name + 1 + name[0], wanted + 1)) return true;
  }
  return false;
}

// True when `earlier` takes every barcode that `later` would take; a list
// that is not given holds everything.
bool Covers(const Profile& earlier, const Profile& later) {
  if (earlier.types != nullptr) {
    if (later.types == nullptr) return false;
    for (size_t k = 0; k < later.typeCount; ++k) {
      if (std::find(earlier.types, earlier.types + earlier.typeCount, later.types[k]) ==
          earlier.types + earlier.typeCount) {
        return false;
      }
    }
  }
  if (earlier.programs != nullptr) {
    if (later.programs == nullptr) return false;
    const char16_t* name = later.programs;
    for (size_t k = 0; k < later.programCount; ++k, name += 1 + name[0]) {
      if (!HasProgram(earlier, name)) return false;
    }
  }
  return true;
}

void FindShadowedProfiles(const Profiles& profiles, ProfileReading* reading) {
  for (size_t j = 0; j < profiles.Count(); ++j) {
    for (size_t i = 0; i < j; ++i) {
      if (!Covers(profiles.At(i), profiles.At(j))) continue;
      reading->findings.push_back({reading->keptLines[j], std::string(),
                                   "never takes a barcode: Profile." + Utf8(profiles.At(i).name) +
                                       " (line " + std::to_string(reading->keptLines[i]) +
                                       ") takes every one it would take"});
      break;
    }
  }
}

}  // namespace

ProfileReading ReadProfiles(const Settings& record, const char16_t* path) {
  ProfileReading reading;
  Profiles profiles(record);
  profiles.Load(path, TakeProfileNote, &reading);
  FindShadowedProfiles(profiles, &reading);
  const std::vector<SettingWarning> mainTokens = KeyTokenWarnings(record);
  for (size_t j = 0; j < profiles.Count(); ++j) {
    const std::string name = "Profile." + Utf8(profiles.At(j).name);
    for (const SettingWarning& warning : KeyTokenWarnings(*profiles.At(j).record)) {
      const bool fromMain =
          std::any_of(mainTokens.begin(), mainTokens.end(),
                      [&](const SettingWarning& w) { return w.text == warning.text; });
      if (fromMain) continue;
      reading.warnings.push_back(
          {reading.keptLines[j], name + "." + warning.keys[0]->keyName, warning.text});
    }
    if (profiles.At(j).programs == nullptr) continue;
    reading.warnings.push_back(
        {reading.keptLines[j], name + ".Programs",
         "the program in front is named through toolhelp.dll, which a terminal's image may "
         "leave out: without it this profile takes no barcode"});
  }
  std::stable_sort(
      reading.findings.begin(), reading.findings.end(),
      [](const ProfileFinding& a, const ProfileFinding& b) { return a.line < b.line; });
  return reading;
}
