#include "support/Supportaspetto.h"

#include <algorithm>
#include <random>

#include "support/Supportfiles.h"
#include "support/Supportstring.h"
#include "support/Textcodec.h"

namespace vombrel {

namespace {

struct RoleInfo {
  std::string_view key;
  std::string_view label;
  int systemColor;
};

constexpr std::array<RoleInfo, kColorRoleCount> kRoles{{
    {"Face", "Pannelli (Standard)", COLOR_BTNFACE},
    {"Border", "Bordo Pannelli", COLOR_BTNSHADOW},
    {"ButtonFace", "Pulsanti (Standard)", COLOR_BTNFACE},
    {"ButtonFocus", "Pulsanti (Evidenziato)", COLOR_BTNHIGHLIGHT},
    {"ButtonBorder", "Bordo Pulsanti", COLOR_BTNSHADOW},
    {"Scroll", "Barra Scorrimento", COLOR_BTNHIGHLIGHT},
    {"Thumb", "Indice Scorrimento", COLOR_BTNFACE},
    {"Title", "Barra Finestra", COLOR_BTNSHADOW},
    {"TextFont", "Font Standard", COLOR_BTNTEXT},
    {"TitleFont", "Font Titolo", COLOR_BTNHIGHLIGHT},
    {"TextBox", "Pannello Testo", COLOR_BTNFACE},
}};

constexpr std::array<int, kColorRoleCount> kNamedFileOrder{
    crFace,  crBorder,   crButtonFace, crButtonBorder, crButtonFocus, crScroll,
    crThumb, crTextFont, crTitle,      crTitleFont,    crTextBox,
};

const RoleInfo& Role(int role) { return kRoles.at(static_cast<std::size_t>(role)); }

TColor ShiftChannels(TColor color, int amount) {
  auto shifted = [amount](int channel) { return std::clamp(channel + amount, 0, 255); };
  return MakeRgb(shifted(RedOf(color)), shifted(GreenOf(color)), shifted(BlueOf(color)));
}

}  // namespace

std::string_view ColorRoleKey(int role) { return Role(role).key; }
std::string_view ColorRoleLabel(int role) { return Role(role).label; }
TColor DefaultRoleColor(int role) { return SystemColor(Role(role).systemColor); }

SchemeColors DefaultSchemeColors() {
  SchemeColors colors{};
  for (int role = 0; role < kColorRoleCount; ++role) colors[static_cast<std::size_t>(role)] = DefaultRoleColor(role);
  return colors;
}

TColor Darken(TColor color, int amount) { return ShiftChannels(color, -amount); }
TColor Lighten(TColor color, int amount) { return ShiftChannels(color, amount); }

std::optional<std::string> SchemeValue(const std::vector<std::string>& lines, std::string_view key) {
  for (const std::string& line : lines) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (SameText(std::string_view(line).substr(0, equals), key)) return line.substr(equals + 1);
  }
  return std::nullopt;
}

ParsedScheme ParseSchemeLines(const std::vector<std::string>& lines) {
  ParsedScheme parsed;
  parsed.complete = true;
  for (int role = 0; role < kColorRoleCount; ++role) {
    std::optional<int32_t> value;
    if (const auto text = SchemeValue(lines, ColorRoleKey(role))) value = ParseInteger(*text);
    if (!value) parsed.complete = false;
    parsed.colors[static_cast<std::size_t>(role)] = value.value_or(0);
  }
  return parsed;
}

std::vector<std::string> ReadSchemeLines(std::string_view path) {
  const auto bytes = ReadFileBytes(path);
  if (!bytes) throw SchemeReadError("Cannot read " + std::string(path));
  return SplitLines(DecodeText(*bytes));
}

SchemeColors SchemeColorsForPainting(std::string_view path) {
  if (!FileExists(path)) return DefaultSchemeColors();
  return ParseSchemeLines(ReadSchemeLines(path)).colors;
}

std::string FormatSchemeFile(const SchemeColors& colors, SchemeFileOrder order) {
  std::vector<std::string> lines;
  for (int index = 0; index < kColorRoleCount; ++index) {
    const int role = order == SchemeFileOrder::Named ? kNamedFileOrder[static_cast<std::size_t>(index)] : index;
    lines.push_back(std::string(ColorRoleKey(role)) + "=" + std::to_string(colors[static_cast<std::size_t>(role)]));
  }
  return JoinLinesCrLf(lines);
}

bool WriteSchemeFile(std::string_view path, const SchemeColors& colors, SchemeFileOrder order, std::string* error) {
  return WriteFileAtomically(path, Utf8ToWindows1252(FormatSchemeFile(colors, order)), error);
}

bool IsSchemeNameInsideFolder(std::string_view name) {
  return name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::string CurrentSchemePath() { return UserDir() + "CurrentColor.clr"; }

SchemeColors& WorkingColors() {
  static SchemeColors colors{};
  return colors;
}

int32_t RandomBelow(int32_t n) {
  if (n <= 0) return 0;
  static std::mt19937 generator{std::random_device{}()};
  return std::uniform_int_distribution<int32_t>(0, n - 1)(generator);
}

SchemeColors MakeFullRandomScheme(const RandomBelowSource& random) {
  SchemeColors colors{};
  for (TColor& color : colors) color = random(16777215);
  return colors;
}

GuidedDraws DrawGuidedScheme(const RandomBelowSource& random) {
  GuidedDraws draws;
  draws.base = random(16777215);
  draws.a = random(30) + 10;
  draws.b = random(30) + draws.a + 10;
  draws.c = random(20) + 20;
  draws.dark1 = random(2) == 0;
  draws.dark2 = random(2) == 0;
  return draws;
}

SchemeColors MakeGuidedScheme(const GuidedDraws& draws) {
  const TColor base = draws.base;
  const TColor dark = Darken(base, draws.b);
  SchemeColors colors{};
  colors[crFace] = draws.dark1 ? Darken(base, draws.a) : Lighten(base, draws.a);
  colors[crBorder] = dark;
  colors[crButtonFace] = base;
  colors[crButtonFocus] = draws.dark2 ? Darken(base, draws.c) : Lighten(base, draws.c);
  colors[crButtonBorder] = dark;
  colors[crScroll] = base;
  colors[crThumb] = dark;
  colors[crTitle] = dark;
  colors[crTextFont] = draws.dark1 ? dark : Lighten(base, draws.b);
  colors[crTitleFont] = Lighten(base, draws.b);
  colors[crTextBox] = base;
  return colors;
}

}  // namespace vombrel
