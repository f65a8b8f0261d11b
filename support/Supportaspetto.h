// Colour schemes: the eleven colour roles, the ".clr" file format and the colour
// arithmetic shared by the painting rule and the scheme editor. Qt-free: resolving a
// system colour to red-green-blue needs the toolkit's palette and happens there.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vombrel {

// A 32-bit colour. Top byte 0: red in bits 0-7, green 8-15, blue 16-23. Top byte 0x80:
// the low byte is the index of a system colour (see SystemColor).
using TColor = int32_t;

// The system colours the built-in defaults use.
enum SystemColorIndex : int {
  COLOR_BTNFACE = 15,
  COLOR_BTNSHADOW = 16,
  COLOR_BTNTEXT = 18,
  COLOR_BTNHIGHLIGHT = 20,
};

constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index & 0xFF));
}
constexpr bool IsSystemColor(TColor color) { return (static_cast<uint32_t>(color) >> 24) == 0x80u; }
constexpr int SystemColorIndexOf(TColor color) { return static_cast<int>(static_cast<uint32_t>(color) & 0xFFu); }

constexpr int RedOf(TColor color) { return static_cast<int>(static_cast<uint32_t>(color) & 0xFFu); }
constexpr int GreenOf(TColor color) { return static_cast<int>((static_cast<uint32_t>(color) >> 8) & 0xFFu); }
constexpr int BlueOf(TColor color) { return static_cast<int>((static_cast<uint32_t>(color) >> 16) & 0xFFu); }
// Channels are masked to 0..255.
constexpr TColor MakeRgb(int red, int green, int blue) {
  return static_cast<TColor>((static_cast<uint32_t>(red) & 0xFFu) | ((static_cast<uint32_t>(green) & 0xFFu) << 8) |
                             ((static_cast<uint32_t>(blue) & 0xFFu) << 16));
}

// The roles, in the order of the working colour set and of the editor's list.
enum ColorRole : int {
  crFace = 0,
  crBorder,
  crButtonFace,
  crButtonFocus,
  crButtonBorder,
  crScroll,
  crThumb,
  crTitle,
  crTextFont,
  crTitleFont,
  crTextBox,
};
constexpr int kColorRoleCount = 11;

using SchemeColors = std::array<TColor, kColorRoleCount>;

// The role's key in a scheme file ("Face" .. "TextBox").
std::string_view ColorRoleKey(int role);
// The role's label in the scheme editor ("Pannelli (Standard)" ..).
std::string_view ColorRoleLabel(int role);
// The built-in default of a role: a system colour.
TColor DefaultRoleColor(int role);
SchemeColors DefaultSchemeColors();

// Each channel minus (Darken) or plus (Lighten) `amount`, held at 0 or 255; works on the
// three low bytes as stored (a system colour is not resolved first); top byte 0.
TColor Darken(TColor color, int amount);
TColor Lighten(TColor color, int amount);

// The value of `key` in a scheme file's lines: the first line whose text before its first
// "=" equals the key in any letter case supplies all the text after that "=", untrimmed.
// nullopt when no line matches.
std::optional<std::string> SchemeValue(const std::vector<std::string>& lines, std::string_view key);

struct ParsedScheme {
  SchemeColors colors{};  // a missing key or a value that is not an integer gives 0 (black)
  bool complete = false;  // every key present and an integer
};
ParsedScheme ParseSchemeLines(const std::vector<std::string>& lines);

// A scheme file that exists but cannot be read.
struct SchemeReadError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The lines of the scheme file at `path`; throws SchemeReadError when it cannot be read.
std::vector<std::string> ReadSchemeLines(std::string_view path);

// The colours ApplyColorScheme paints with: the defaults when no file exists at `path`,
// otherwise the file's values (0 for a missing or bad key). Throws SchemeReadError for a
// file that exists but cannot be read.
SchemeColors SchemeColorsForPainting(std::string_view path);

// The two writers order the keys differently.
enum class SchemeFileOrder {
  Current,  // "CurrentColor.clr": the role order
  Named,    // "Colors/<name>.clr": Face, Border, ButtonFace, ButtonBorder, ButtonFocus, Scroll,
            // Thumb, TextFont, Title, TitleFont, TextBox
};
// The file text: one "Key=decimal" line per role, CR LF after each. The colours must
// already be explicit red-green-blue values (the caller resolves system colours).
std::string FormatSchemeFile(const SchemeColors& colors, SchemeFileOrder order);
// Writes the file atomically; false (and the reason in *error) when refused.
bool WriteSchemeFile(std::string_view path, const SchemeColors& colors, SchemeFileOrder order,
                     std::string* error = nullptr);

// Whether a scheme name names a file inside the "Colors" folder: a name holding "/" (or a
// NUL character) would lead elsewhere. Every other name, the empty one too, is kept.
bool IsSchemeNameInsideFolder(std::string_view name);

// The scheme in force: UserDir() + "CurrentColor.clr".
std::string CurrentSchemePath();

// The working colour set of the running program: eleven zeros at start, written by
// LoadColorScheme and by the scheme editor. User-interface thread only.
SchemeColors& WorkingColors();

// Random schemes of the scheme editor. A random source answers RandomBelow(n): a
// uniformly distributed integer r with 0 <= r < n, and 0 when n is 0 (or negative).
using RandomBelowSource = std::function<int32_t(int32_t n)>;
// The program's own source, seeded once from the system. User-interface thread only.
int32_t RandomBelow(int32_t n);

// Every role RandomBelow(16777215), drawn in role order: each colour lies in 0..16777214.
SchemeColors MakeFullRandomScheme(const RandomBelowSource& random);

// The six draws of a guided scheme, made in this order: base = RandomBelow(16777215),
// a = RandomBelow(30) + 10, b = RandomBelow(30) + a + 10, c = RandomBelow(20) + 20,
// dark1 = RandomBelow(2) == 0, dark2 = RandomBelow(2) == 0.
struct GuidedDraws {
  TColor base = 0;
  int a = 0, b = 0, c = 0;
  bool dark1 = false, dark2 = false;
};
GuidedDraws DrawGuidedScheme(const RandomBelowSource& random);
// The roles of a guided scheme: shades of the base colour (Face darker or lighter by a,
// the borders, thumb and title darker by b, the button focus darker or lighter by c).
SchemeColors MakeGuidedScheme(const GuidedDraws& draws);

}  // namespace vombrel
