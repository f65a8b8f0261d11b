#include "Configurazione.h"

#include <chrono>
#include <random>

#include "Supportfiles.h"

namespace vombrel {
namespace {

bool IsTrueText(std::string_view text) { return SameText(text, "TRUE"); }

// An integer setting: parses by the integer rule and is not the absent marker.
std::optional<int32_t> StoredInteger(const std::optional<std::string>& text) {
  constexpr int32_t kAbsentMarker = 969696;
  if (!text || text->empty()) return std::nullopt;
  const auto value = ParseInteger(*text);
  if (!value || *value == kAbsentMarker) return std::nullopt;
  return value;
}

std::optional<std::string> NonEmpty(std::optional<std::string> text) {
  if (text && text->empty()) return std::nullopt;
  return text;
}

std::unique_ptr<TConfigurazione> startupStore;
std::unique_ptr<TConfigurazione> userStore;

}  // namespace

StringList SplitCommaText(std::string_view text) {
  // Text ends at a NUL, as the classic comma-text reader stops there.
  text = text.substr(0, text.find('\0'));
  StringList items;
  std::size_t p = 0;
  const auto isBlank = [&](std::size_t i) { return static_cast<unsigned char>(text[i]) <= ' '; };
  while (p < text.size() && isBlank(p)) ++p;
  while (p < text.size()) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < text.size()) {
        if (text[p] == '"') {
          if (p + 1 < text.size() && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      const std::size_t begin = p;
      while (p < text.size() && !isBlank(p) && text[p] != ',') ++p;
      item.assign(text.substr(begin, p - begin));
    }
    items.push_back(std::move(item));
    while (p < text.size() && isBlank(p)) ++p;
    if (p < text.size() && text[p] == ',') {
      if (p + 1 == text.size()) items.emplace_back();  // a trailing comma adds an empty item
      do ++p;
      while (p < text.size() && isBlank(p));
    }
  }
  return items;
}

std::optional<std::string> CommaTextItemValue(std::string_view commaText, std::string_view name) {
  for (const auto& item : SplitCommaText(commaText)) {
    const auto equals = item.find('=');
    if (equals != std::string::npos && SameText(std::string_view(item).substr(0, equals), name))
      return item.substr(equals + 1);
  }
  return std::nullopt;
}

void EnsureSupportFile() {
  const std::string path = AppDir() + "Support.dat";
  if (FileExists(path)) return;
  std::mt19937 random(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
  const auto below = [&](unsigned bound) { return static_cast<uint32_t>(random() % bound); };
  const uint32_t count = 1024 + below(512);
  std::string bytes;
  bytes.reserve(std::size_t{count} * 4);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t value = 50 + below(23654);
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  }
  WriteFileAtomically(path, bytes);  // an unwritable program folder is not an error
}

TConfigurazione::TConfigurazione(std::string_view folder, std::string_view name)
    : file_(std::string(folder) + "/" + std::string(name) + ".ini") {
  ForceDirectories(ExtractFilePath(file_.Path()));
  EnsureSupportFile();
  const std::string templatePath = AppSubDir("Config") + "Settings.tpl";
  if (FileExists(templatePath)) template_.emplace(templatePath);
}

std::optional<std::string> TConfigurazione::TemplateDefault(std::string_view section, std::string_view key) const {
  if (!template_) return std::nullopt;
  const auto commaText = template_->Read(section, key);
  if (!commaText) return std::nullopt;
  return NonEmpty(CommaTextItemValue(*commaText, "DefaultValue"));
}

std::string TConfigurazione::ReadString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue) const {
  if (auto stored = NonEmpty(file_.Read(section, key))) return *stored;
  if (auto fallback = TemplateDefault(section, key)) return *fallback;
  return std::string(defaultValue);
}

bool TConfigurazione::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  if (auto stored = NonEmpty(file_.Read(section, key))) return IsTrueText(*stored);
  if (auto fallback = TemplateDefault(section, key)) return IsTrueText(*fallback);
  return defaultValue;
}

int32_t TConfigurazione::ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const {
  if (auto stored = StoredInteger(file_.Read(section, key))) return *stored;
  if (auto fallback = StoredInteger(TemplateDefault(section, key))) return *fallback;
  return defaultValue;
}

bool TConfigurazione::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  file_.Write(section, key, value);
  return true;
}

bool TConfigurazione::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "True" : "False");
}

bool TConfigurazione::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

StringList TConfigurazione::ReadSection(std::string_view section) const { return file_.ReadSection(section); }

void InitSharedConfig(std::string_view name) {
  startupStore = std::make_unique<TConfigurazione>(AppSubDir("Config"), name);
  SetUserDirChoice(startupStore->ReadString("Avvio", "UserDir", "<UserAppData>"));
  userStore = std::make_unique<TConfigurazione>(UserSubDir("Config"), name);
}

TConfigurazione& UserConfig() { return *userStore; }

TConfigurazione* StartupConfig() { return startupStore.get(); }

void FreeSharedConfig() {
  userStore.reset();
  startupStore.reset();
}

std::string PlacementSection(std::string_view formName) { return LeftOf(formName, "_", true); }

std::string FormatRect(const PlacementRect& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
         std::to_string(rect.bottom);
}

std::optional<PlacementRect> ParseRect(std::string_view text) {
  const StringList parts = SplitText(text, ",");
  if (parts.size() != 4) return std::nullopt;
  int32_t numbers[4];
  for (std::size_t i = 0; i < 4; ++i) {
    const auto value = ParseInteger(Trim(parts[i]));
    if (!value) return std::nullopt;
    numbers[i] = *value;
  }
  return PlacementRect{numbers[0], numbers[1], numbers[2], numbers[3]};
}

namespace {

std::string ScreenSuffix(int width, int height) {
  return "(" + std::to_string(width) + "x" + std::to_string(height) + ")";
}

}  // namespace

void WritePlacement(const std::string& iniFileName, std::string_view formName, const StoredPlacement& placement,
                    int screenWidth, int screenHeight) {
  const std::string suffix = ScreenSuffix(screenWidth, screenHeight);
  IniFile(iniFileName)
      .WriteMany(PlacementSection(formName), {
                                                 {"Flags", std::to_string(placement.flags)},
                                                 {"ShowCmd", std::to_string(placement.showCmd)},
                                                 {"PixelsPerInch", std::to_string(placement.pixelsPerInch)},
                                                 {"MinMaxPos", FormatRect(placement.minMaxPos)},
                                                 {"NormPos", FormatRect(placement.normPos)},
                                                 {"MinMaxPos" + suffix, FormatRect(placement.minMaxPos)},
                                                 {"NormPos" + suffix, FormatRect(placement.normPos)},
                                             });
}

std::optional<StoredPlacement> ReadPlacement(const std::string& iniFileName, std::string_view formName, int screenWidth,
                                             int screenHeight) {
  const IniFile file(iniFileName);
  const std::string section = PlacementSection(formName);
  const std::string suffix = ScreenSuffix(screenWidth, screenHeight);
  const auto readRect = [&](const std::string& key) -> std::optional<PlacementRect> {
    if (auto text = file.Read(section, key + suffix)) {
      if (auto rect = ParseRect(*text)) return rect;
    }
    if (auto text = file.Read(section, key)) return ParseRect(*text);
    return std::nullopt;
  };
  const auto normPos = readRect("NormPos");
  if (!normPos) return std::nullopt;
  StoredPlacement placement;
  placement.normPos = *normPos;
  if (auto minMax = readRect("MinMaxPos")) placement.minMaxPos = *minMax;
  const auto readInt = [&](const char* key, int32_t fallback) {
    const auto text = file.Read(section, key);
    return text ? StrToIntDefault(*text, fallback) : fallback;
  };
  placement.flags = readInt("Flags", 0);
  placement.showCmd = readInt("ShowCmd", 1);
  placement.pixelsPerInch = readInt("PixelsPerInch", 96);
  return placement;
}

}  // namespace vombrel
