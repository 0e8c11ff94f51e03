// Profiles: sections [Profile.NAME] of SARNU.INI that give the barcodes of
// some programs, or of some barcode types, filter and typing settings of
// their own. A file without such sections gives every barcode the main
// record, as it always did.
//
// The keys of a profile:
//   Programs  executable file names separated by ";", compared without
//             letter case and without path; missing or empty: any program
//   Types     barcode type codes separated by ";", signed decimal as they
//             travel with a barcode (the laser's type code, the code of the
//             imager's identifier character), or symbology identifiers
//             such as "]C1" (symbology_ids.h; the identifier of the barcode
//             as read, FNC1 first or not); missing or empty: any type
//   any key of [Filter] except ReplaceFNC1Enable and ReplaceFNC1 (FNC1 is
//   replaced before the program in front is known), KeyboardLayout,
//   KeyDelay, KeepClipboard, CodeIdPrefix, KeyTokens and FocusGuard, and
//   KeyMap.XX for the line XX of [KeyMap]: each replaces the main record's
//   value for the barcodes the profile takes, read exactly as the main
//   section's key.
//   A key missing or empty replaces nothing.
//
// How a file is read, where it is unusual:
//   - File order is matching order: the first profile whose Programs and
//     Types both hold takes the barcode.
//   - Only the first section of a name counts (names compare without letter
//     case, as section names do); "[Profile.]" has no name and is ignored.
//   - The first kMaxProfiles names are read; the section of the next new
//     name and everything after it are ignored.
//   - Within a profile the first line of a key counts, as everywhere in the
//     file; other keys are ignored.
//   - A profile that names nothing (every key missing or empty) is ignored:
//     kept, it would take every barcode with the main settings and hide
//     every profile after it.
//   - A Types entry that is neither a whole decimal number in the 32-bit
//     range nor an identifier ("]", a letter, a digit) makes the whole
//     profile ignored: skipping the entry alone would turn
//     "Types=abc" into "any type".
//   - A Programs entry with a path, a wildcard, a character that no file
//     name has, or longer than a file name never matches; a profile none of
//     whose entries can match is ignored. Blank entries (";;") are skipped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "symbology_ids.h"

class Settings;
struct FieldInfo;
struct IniLine;

// One profile as Load keeps it.
struct Profile {
  char16_t* name;    // as written between "[Profile." and "]", terminated
  Settings* record;  // the main record's values with the profile's keys laid over
  // The usable Programs entries, one after the other, each as its length
  // (one unit) and then its units folded to lower case; null: any program.
  char16_t* programs;
  size_t programCount;
  // Types: the type codes and the symbology identifiers; both null: any type.
  int32_t* types;
  size_t typeCount;
  SymbologyId* ids;
  size_t idCount;
};

// What Load made of a profile section or of one of its lines, for tools
// that explain a file line by line. Lines count from 1 as IniNextLine meets
// them.
enum class ProfileNote {
  Kept,                // the section is profile number `index`
  NoName,              // "[Profile.]": ignored
  SecondOfName,        // the name's first section is at `firstLine`: ignored
  BeyondLimit,         // kMaxProfiles names before it: it and the rest of the file are ignored
  NamesNothing,        // every key missing or empty: ignored
  BadType,             // `entry` of Types is not a type code: the profile is ignored
  ProgramPath,         // `entry` of Programs has a path: the entry never matches
  ProgramWildcard,     // `entry` of Programs has a wildcard: the entry never matches
  ProgramNotFileName,  // `entry` of Programs cannot be a file name: it never matches
  NoProgramLeft,       // no entry of Programs can match: the profile is ignored
  NoMemory,            // the profile could not be kept for want of memory
};

// The texts point into the file's text and hold only during the call.
struct ProfileNoteDetail {
  ProfileNote what;
  size_t line;  // of the section's header, or of the Types or Programs line
  const char16_t* name;
  size_t nameLength;
  const char16_t* entry;  // trimmed; null when the note is not about an entry
  size_t entryLength;
  size_t firstLine;  // SecondOfName
  size_t index;      // Kept
};
typedef void (*ProfileNoteFunction)(void* context, const ProfileNoteDetail& note);

class Profiles {
 public:
  // A few kilobytes of memory each; a site with more programs than this
  // lists several in one profile.
  enum : size_t { kMaxProfiles = 64 };

  // The profiles of the main record `main`, which must outlive them. None
  // until Load: For gives `main`.
  explicit Profiles(const Settings& main);
  ~Profiles();
  Profiles(const Profiles&) = delete;
  Profiles& operator=(const Profiles&) = delete;

  // Drops the profiles held, then reads the profile sections of `iniPath`
  // in one pass over the file. Each profile starts from the main record's
  // values as they are at this moment: load the profiles again after every
  // Load of the main record. False when the file cannot be read (there are
  // no profiles then) or when a profile could not be kept for want of
  // memory (the others are). `note`, when given, is told what became of
  // every profile section and of its faulty entries.
  bool Load(const char16_t* iniPath, ProfileNoteFunction note = nullptr, void* context = nullptr);

  // Drops every profile: For gives the main record.
  void Clear();

  // The record for a barcode of `type` about to be typed into the program
  // whose executable file is `program` (a path before the name is
  // ignored): the first profile whose Programs and Types both hold, else
  // the main record. A program that is not known (null or empty) is taken
  // by the first profile without Programs whose Types hold, else the main
  // record. Allocates nothing and takes no lock.
  // `fnc1First`: the barcode's data began with FNC1 (for Types entries that
  // are identifiers).
  const Settings& For(const char16_t* program, int32_t type, bool fnc1First = false) const;
  // The number of that profile; Count() for the main record.
  size_t Find(const char16_t* program, int32_t type, bool fnc1First = false) const;

  size_t Count() const { return count_; }
  const Profile& At(size_t index) const { return profiles_[index]; }

  // Load, Clear and the destructor free the records that For handed out:
  // the caller makes sure that no thread is inside For or still reading
  // such a record meanwhile.

 private:
  struct Section;
  void Finish(Section* section, ProfileNoteFunction note, void* context, bool* complete);
  bool TakesType(const Profile& profile, int32_t type, bool fnc1First) const;

  const Settings& main_;
  Profile profiles_[kMaxProfiles];
  size_t count_;
};

// True for a profile section's header "[Profile.NAME]" (the prefix without
// regard to letter case, "]" last), with its NAME, which may be empty.
bool ProfileHeaderName(const IniLine& line, const char16_t** name, size_t* length);

// A key that a profile may set: the [Filter] keys but the FNC1 pair, and
// the three typing extras.
bool IsProfileField(const FieldInfo& info);
