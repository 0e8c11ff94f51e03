// The commands of sarnuconf and what they share: the two output streams,
// one-line complaints, INI paths and strict numbers.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

class Settings;
struct Profile;

struct Io {
  FILE* out;
  FILE* err;
};

// Each command gets the arguments after its name. Results are the exit
// codes of sarnuconf.h.
int RunShow(const Io& io, int argc, char** argv);
int RunCheck(const Io& io, int argc, char** argv);
int RunDiff(const Io& io, int argc, char** argv);
int RunPreview(const Io& io, int argc, char** argv);
int RunGet(const Io& io, int argc, char** argv);
int RunSet(const Io& io, int argc, char** argv);

// One line of "sarnuconf show": "Section.Key" (or "Section.Key#decoded", the
// escapes of a text resolved) and the value as printed. Every key of the
// settings list, in its order; diff compares records through these lines so
// that it reports exactly what show would print differently.
struct ShownSetting {
  std::string name;
  std::string value;
};
std::vector<ShownSetting> ShownSettings(const Settings& record);
// The lines of one profile: Profile.NAME.Programs and .Types as the wedge
// holds them (names folded to lower case, unusable and blank entries left
// out; empty means any), then every key a profile can set with the value of
// the profile's record, whether the profile sets it or the main sections do.
std::vector<ShownSetting> ShownProfile(const Profile& profile);

// Writes "sarnuconf: <message>" as one line on err and returns kExitUsage.
int Fail(const Io& io, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Room for a product path: the INI library keeps 260 units.
enum : size_t { kPathUnits = 260 };

// Turns the INI argument (a path of this machine) into a product path. With
// mustRead the file must exist and be readable. On failure a complaint is
// written and false returned.
bool ResolveIniPath(const Io& io, const char* nativePath, bool mustRead, char16_t* productPath);

// A whole decimal number: optional sign, digits, nothing else; false when
// the text is not one or lies outside low..high.
bool ParseDecimal(const char* text, long long low, long long high, long long* value);

// UTF-16 <-> UTF-8 as strings, for messages and output lines.
std::string Utf8(const char16_t* text, size_t length);
std::string Utf8(const char16_t* text);
std::u16string Utf16(const char* utf8);
