// Keyboard shortcuts as the settings store them: a 16-bit value with the virtual-key code
// in the low byte and the modifier flags above it, and its text ("Shift+Ctrl+F5"). Both
// directions live here, so the hot keys that read a text and the options window that
// writes one always agree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vombrel {

using TShortCut = uint16_t;

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// Virtual-key codes the program names itself (the platform layer maps them to keys).
constexpr uint8_t vkBack = 8, vkTab = 9, vkReturn = 13, vkEscape = 27, vkSpace = 32, vkPrior = 33, vkNext = 34,
                  vkEnd = 35, vkHome = 36, vkLeft = 37, vkUp = 38, vkRight = 39, vkDown = 40, vkInsert = 45,
                  vkDelete = 46, vkNumpad0 = 96, vkF1 = 112, vkF24 = 135;

constexpr uint8_t KeyCodeOf(TShortCut shortcut) { return static_cast<uint8_t>(shortcut & 0xFF); }

// The name of a key code: "BkSp", "Tab", "Enter", "Esc", "Space", "PgUp", "PgDn", "End",
// "Home", "Left", "Up", "Right", "Down", "Ins", "Del", the digit or letter itself (keypad
// digits too), "F1" to "F24", and the single character printed on the punctuation keys of
// the standard layout (";", "=", ",", "-", ".", "/", "`", "[", "\", "]", "'"). Empty for
// any other code: that key has no name.
std::string KeyName(uint8_t keyCode);

// "Shift+", "Ctrl+" and "Alt+" in this order, each only when its flag is set, then the
// key's name; the whole text is empty when the key has no name.
std::string ShortCutToText(TShortCut shortcut);

// The reverse: leading "Shift+", "Ctrl+" (or "^") and "Alt+" are stripped in any order and
// any letter case, then the rest must be a key name (any letter case; the lowest key code
// of that name wins, so "0" is the main row's digit). 0 when the rest is empty or names no
// key. Never throws.
TShortCut TextToShortCut(std::string_view text);

}  // namespace vombrel
