// The settings store: an INI file with typed reads that fall back to a template of
// defaults and then to the caller's default. Every read sees the file and every write
// reaches it at once (see Inifile.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Inifile.h"
#include "Supportstring.h"

namespace vombrel {

class TConfigurazione {
 public:
  // The file is folder + "/" + name + ".ini"; name may hold "/" ("Kelvatro/Vombrel").
  // Creates the file's folder, makes sure "Support.dat" exists in the program folder and
  // opens <program folder>Config/Settings.tpl as the template when it exists.
  TConfigurazione(std::string_view folder, std::string_view name);

  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;

  // Each write throws IniWriteError ("Unable to write to <file>") when refused.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteBool(std::string_view section, std::string_view key, bool value);
  bool WriteInteger(std::string_view section, std::string_view key, int32_t value);

  // Key names of the section in file order; the template is not consulted.
  StringList ReadSection(std::string_view section) const;

  std::string IniFileName() const { return file_.Path(); }

 private:
  std::optional<std::string> TemplateDefault(std::string_view section, std::string_view key) const;

  IniFile file_;
  std::optional<IniFile> template_;
};

// The value of the item named `name` in a template's comma text ("DefaultValue=..."):
// items are separated by commas, and by blanks and control characters outside double
// quotes; a quoted item may hold commas and blanks, "" stands for one quote. The first
// item of the name (any case) wins; its value is everything after its first "=".
std::optional<std::string> CommaTextItemValue(std::string_view commaText, std::string_view name);
StringList SplitCommaText(std::string_view commaText);

// Makes sure <program folder>Support.dat exists (n = 1024 + random(512) little-endian
// 32-bit values, each 50 + random(23654)); an existing file is left untouched.
void EnsureSupportFile();

// The two shared stores. InitSharedConfig("Kelvatro/Vombrel") creates the startup store
// in AppSubDir("Config"), fixes the user folder from its "Avvio"/"UserDir", then creates
// the user store in UserSubDir("Config").
void InitSharedConfig(std::string_view name);
TConfigurazione& UserConfig();
TConfigurazione* StartupConfig();
void FreeSharedConfig();

// Window placement as stored in the user store's file: the section is the window's name
// up to its first "_"; the keys are "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos",
// "NormPos" and "MinMaxPos(<w>x<h>)", "NormPos(<w>x<h>)" for the screen size.
std::string PlacementSection(std::string_view formName);

struct PlacementRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct StoredPlacement {
  int32_t flags = 0;
  int32_t showCmd = 1;  // 1 normal, 2 minimised, 3 maximised
  int32_t pixelsPerInch = 96;
  PlacementRect minMaxPos{-1, -1, -1, -1};
  PlacementRect normPos;
};

// Writes every placement key of the window in one rewrite of the file; the store's own
// keys in the file are kept. Throws IniWriteError when refused.
void WritePlacement(const std::string& iniFileName, std::string_view formName, const StoredPlacement& placement,
                    int screenWidth, int screenHeight);
// Reads the placement back, preferring the keys of the given screen size; nullopt when
// no "NormPos" is stored or it is not four integers.
std::optional<StoredPlacement> ReadPlacement(const std::string& iniFileName, std::string_view formName, int screenWidth,
                                             int screenHeight);
// "l,t,r,b" and back (the integer rule for each number).
std::string FormatRect(const PlacementRect& rect);
std::optional<PlacementRect> ParseRect(std::string_view text);

}  // namespace vombrel
