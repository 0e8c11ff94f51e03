// Files for tests: a fresh folder per test and raw bytes in and out, through
// the product's own file seam, so the same tests run natively and under Wine.
#pragma once

#include <string>

// A new empty folder on the machine running the tests, removed (with its
// files) when the object goes. Paths are product paths ("\\?\..." form), so
// the INI library and the settings record take them as they are.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::u16string& Path() const { return path_; }
  // Path() + separator + name.
  std::u16string File(const char* name) const;

 private:
  std::u16string path_;
  std::string native_;  // for removal
};

// Writes exactly these bytes (no conversion); false on failure.
bool WriteBytes(const std::u16string& path, const std::string& bytes);
// The file's bytes; "" when it does not exist.
std::string ReadBytes(const std::u16string& path);
bool FileExists(const std::u16string& path);

// Marks a file read-only or writable again (the stand-in for a file in ROM).
bool SetReadOnly(const std::u16string& path, bool readOnly);

// Removes a native folder (UTF-8 path) with everything in it; for clean-up.
void RemoveNativeTree(const std::string& nativePath);

// UTF-8 literal to UTF-16, for readable tests.
std::u16string U16(const char* utf8);

// Terminal paths ("\Temp\SARNU.INI") are redirected for the whole test run:
// natively SARNU_ROOT names a fresh folder; under Wine they are on the
// prefix's drive C:. This prepares the folders a terminal has ("\Temp",
// "\Windows\Startup") and removes files that earlier tests left there;
// without `withTemp` the terminal has no "\Temp" at all.
void ResetTerminalFolders(bool withTemp = true);
