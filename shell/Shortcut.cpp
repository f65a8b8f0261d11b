#include "shell/Shortcut.h"

#include <array>

#include "support/Supportstring.h"

namespace vombrel {

namespace {

// The punctuation keys of the standard layout and the character on each.
struct PunctuationKey {
  uint8_t code;
  char name;
};
constexpr std::array<PunctuationKey, 11> kPunctuation{{{186, ';'},
                                                       {187, '='},
                                                       {188, ','},
                                                       {189, '-'},
                                                       {190, '.'},
                                                       {191, '/'},
                                                       {192, '`'},
                                                       {219, '['},
                                                       {220, '\\'},
                                                       {221, ']'},
                                                       {222, '\''}}};

// Strips `prefix` from the front of `text` (any letter case); true when it was there.
bool StripPrefix(std::string_view& text, std::string_view prefix) {
  if (text.size() < prefix.size() || !SameText(text.substr(0, prefix.size()), prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

}  // namespace

std::string KeyName(uint8_t code) {
  switch (code) {
    case vkBack: return "BkSp";
    case vkTab: return "Tab";
    case vkReturn: return "Enter";
    case vkEscape: return "Esc";
    case vkSpace: return "Space";
    case vkPrior: return "PgUp";
    case vkNext: return "PgDn";
    case vkEnd: return "End";
    case vkHome: return "Home";
    case vkLeft: return "Left";
    case vkUp: return "Up";
    case vkRight: return "Right";
    case vkDown: return "Down";
    case vkInsert: return "Ins";
    case vkDelete: return "Del";
    default: break;
  }
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return std::string(1, static_cast<char>(code));
  if (code >= vkNumpad0 && code <= vkNumpad0 + 9) return std::string(1, static_cast<char>('0' + code - vkNumpad0));
  if (code >= vkF1 && code <= vkF24) return "F" + std::to_string(code - vkF1 + 1);
  for (const auto& key : kPunctuation)
    if (key.code == code) return std::string(1, key.name);
  return {};
}

std::string ShortCutToText(TShortCut shortcut) {
  const std::string name = KeyName(KeyCodeOf(shortcut));
  if (name.empty()) return {};
  std::string text;
  if (shortcut & scShift) text += "Shift+";
  if (shortcut & scCtrl) text += "Ctrl+";
  if (shortcut & scAlt) text += "Alt+";
  return text + name;
}

TShortCut TextToShortCut(std::string_view text) {
  TShortCut modifiers = 0;
  while (true) {
    if (StripPrefix(text, "Shift+"))
      modifiers |= scShift;
    else if (StripPrefix(text, "Ctrl+") || StripPrefix(text, "^"))
      modifiers |= scCtrl;
    else if (StripPrefix(text, "Alt+"))
      modifiers |= scAlt;
    else
      break;
  }
  if (text.empty()) return 0;
  for (int code = 1; code <= 0xFF; ++code) {
    if (SameText(KeyName(static_cast<uint8_t>(code)), text)) return static_cast<TShortCut>(modifiers | code);
  }
  return 0;
}

}  // namespace vombrel
