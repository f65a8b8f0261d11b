// Shortcut values and their texts, both directions, and the hot-key object against a
// scripted registrar.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "Scriptedregistrar.h"
#include "shell/Hotkey.h"
#include "shell/Shortcut.h"

namespace vombrel {
namespace {

TEST(KeyName, EveryNamedKeyCode) {
  struct Row {
    int code;
    const char* name;
  };
  const Row named[] = {{8, "BkSp"}, {9, "Tab"},   {13, "Enter"}, {27, "Esc"}, {32, "Space"}, {33, "PgUp"}, {34, "PgDn"},
                       {35, "End"}, {36, "Home"}, {37, "Left"},  {38, "Up"},  {39, "Right"}, {40, "Down"}, {45, "Ins"},
                       {46, "Del"}, {186, ";"},   {187, "="},    {188, ","},  {189, "-"},    {190, "."},   {191, "/"},
                       {192, "`"},  {219, "["},   {220, "\\"},   {221, "]"},  {222, "'"}};
  std::map<int, std::string> expected;
  for (const Row& row : named) expected[row.code] = row.name;
  for (int c = '0'; c <= '9'; ++c) expected[c] = std::string(1, static_cast<char>(c));
  for (int c = 'A'; c <= 'Z'; ++c) expected[c] = std::string(1, static_cast<char>(c));
  for (int c = 96; c <= 105; ++c) expected[c] = std::string(1, static_cast<char>('0' + c - 96));
  for (int c = 112; c <= 135; ++c) expected[c] = "F" + std::to_string(c - 111);
  // Every other code has no name.
  for (int code = 0; code <= 255; ++code) {
    SCOPED_TRACE(code);
    const auto it = expected.find(code);
    EXPECT_EQ(KeyName(static_cast<uint8_t>(code)), it == expected.end() ? "" : it->second);
  }
}

TEST(ShortCutToText, PrefixesInFixedOrderThenTheName) {
  const std::pair<TShortCut, const char*> rows[] = {
      {'P', "P"},
      {scCtrl | scAlt | 'P', "Ctrl+Alt+P"},
      {scShift | scCtrl | 116, "Shift+Ctrl+F5"},
      {scAlt | scShift | scCtrl | 135, "Shift+Ctrl+Alt+F24"},
      {scShift | 186, "Shift+;"},
      {scCtrl | 27, "Ctrl+Esc"},
      {scAlt | 96, "Alt+0"},
      {scShift | 34, "Shift+PgDn"},
      {0, ""},
      {scCtrl, ""},                                 // no key
      {scCtrl | scAlt | 173, ""},                   // a key without a name: the whole text is empty
      {static_cast<TShortCut>(0x1000 | 'A'), "A"},  // bits that are no modifier are ignored
  };
  for (const auto& [shortcut, text] : rows) {
    SCOPED_TRACE(shortcut);
    EXPECT_EQ(ShortCutToText(shortcut), text);
  }
}

TEST(TextToShortCut, PrefixesInAnyOrderAndCase) {
  const std::pair<const char*, TShortCut> rows[] = {
      {"Ctrl+Alt+P", scCtrl | scAlt | 'P'},
      {"alt+ctrl+p", scCtrl | scAlt | 'P'},
      {"ALT+SHIFT+CTRL+f24", scShift | scCtrl | scAlt | 135},
      {"^P", scCtrl | 'P'},
      {"alt+^x", scCtrl | scAlt | 'X'},
      {"Shift+Shift+A", scShift | 'A'},
      {"Shift+Ctrl+F5", scShift | scCtrl | 116},
      {"Ctrl+;", scCtrl | 186},
      {"Ctrl+Alt+\\", scCtrl | scAlt | 220},
      {"esc", 27},
      {"ESC", 27},
      {"bksp", 8},
      {"Space", 32},
      {"pgdn", 34},
      {"Del", 46},
      {"0", '0'},  // the main row's digit, not the keypad's
      {"9", '9'},
      {"F1", 112},
      {"f12", 123},
      // No shortcut.
      {"", 0},
      {"Ctrl+", 0},
      {"Ctrl+Alt+", 0},
      {"^", 0},
      {"Ctrl+Alt+PP", 0},
      {"Ctrl+Alt+P ", 0},
      {" Ctrl+Alt+P", 0},
      {"Ctrl-Alt-P", 0},
      {"Win+P", 0},
      {"Escape", 0},
      {"F25", 0},
      {"F0", 0},
      {"Ctrl++", 0},
      {"Ctrl+Alt+P;ON", 0},
      {"Ctrl+Alt+\xC3\xA8", 0},
  };
  for (const auto& [text, shortcut] : rows) {
    SCOPED_TRACE(text);
    EXPECT_EQ(TextToShortCut(text), shortcut);
  }
  EXPECT_EQ(TextToShortCut(std::string(10000, 'P')), 0);
  EXPECT_EQ(TextToShortCut(std::string(5000, '^') + "P"), scCtrl | 'P');
  EXPECT_EQ(TextToShortCut(std::string("Ctrl+\0P", 7)), 0);
}

// Every named shortcut reads back as itself; a keypad digit reads back as the main row's.
TEST(TextToShortCut, ReadsBackEveryText) {
  for (int modifiers = 0; modifiers < 8; ++modifiers) {
    for (int code = 0; code <= 255; ++code) {
      const auto shortcut = static_cast<TShortCut>((modifiers << 13) | code);
      const std::string text = ShortCutToText(shortcut);
      if (text.empty()) continue;
      SCOPED_TRACE(text);
      const int expectedCode = code >= 96 && code <= 105 ? '0' + code - 96 : code;
      EXPECT_EQ(TextToShortCut(text), (modifiers << 13) | expectedCode);
    }
  }
}

class HotKeyObject : public ::testing::Test {
 protected:
  testing::ScriptedRegistrar registrar_;
};

TEST_F(HotKeyObject, StartsEnabledWithoutKey) {
  TfisHotKey hotKey(&registrar_);
  EXPECT_TRUE(hotKey.Enabled());
  EXPECT_EQ(hotKey.Key(), 0);
  EXPECT_FALSE(hotKey.Registered());
  EXPECT_TRUE(hotKey.Name().empty());
  EXPECT_TRUE(registrar_.calls.empty());
}

TEST_F(HotKeyObject, KeyTakesTheCombinationWithItsModifiers) {
  const std::pair<TShortCut, std::string> rows[] = {
      {scCtrl | scAlt | 'P', "Register 3 80 -> 1"},
      {scShift | 116, "Register 4 116 -> 2"},
      {scShift | scCtrl | scAlt | 27, "Register 7 27 -> 3"},
      {'A', "Register 0 65 -> 4"},
  };
  for (const auto& [key, call] : rows) {
    TfisHotKey hotKey(&registrar_);
    hotKey.SetKey(key);
    EXPECT_TRUE(hotKey.Registered());
    EXPECT_EQ(registrar_.calls.back(), call);
  }
  EXPECT_EQ(registrar_.HeldCount(), 0u);  // each gave its combination back when it ended
}

TEST_F(HotKeyObject, SetKeyAndSetEnabledFollowTheRules) {
  auto hotKey = std::make_unique<TfisHotKey>(&registrar_);
  hotKey->SetKey(scCtrl | 'A');
  hotKey->SetKey(scCtrl | 'A');  // the same key: nothing
  EXPECT_EQ(registrar_.calls, (std::vector<std::string>{"Register 2 65 -> 1"}));
  hotKey->SetKey(scCtrl | 'B');  // released, then the new one taken
  EXPECT_EQ(registrar_.calls, (std::vector<std::string>{"Register 2 65 -> 1", "Unregister 1", "Register 2 66 -> 2"}));
  hotKey->SetEnabled(false);
  EXPECT_FALSE(hotKey->Registered());
  EXPECT_FALSE(registrar_.IsHeld(MOD_CONTROL, 'B'));
  hotKey->SetEnabled(false);
  hotKey->SetKey(scCtrl | 'C');  // disabled: stored, not taken
  EXPECT_EQ(hotKey->Key(), scCtrl | 'C');
  EXPECT_FALSE(hotKey->Registered());
  hotKey->SetEnabled(true);
  EXPECT_TRUE(registrar_.IsHeld(MOD_CONTROL, 'C'));
  hotKey->SetEnabled(true);  // already registered: no second call
  EXPECT_EQ(registrar_.calls.back(), "Register 2 67 -> 3");
  hotKey->SetKey(0);  // no key: nothing to hold
  EXPECT_FALSE(hotKey->Registered());
  EXPECT_EQ(registrar_.HeldCount(), 0u);
  hotKey->SetKey('Z');
  hotKey.reset();  // destruction gives the combination back
  EXPECT_EQ(registrar_.HeldCount(), 0u);
  EXPECT_EQ(registrar_.calls.back(), "Unregister 4");
}

TEST_F(HotKeyObject, RefusedCombinationStaysUnregisteredSilently) {
  registrar_.heldElsewhere.insert({MOD_CONTROL | MOD_ALT, 'P'});
  TfisHotKey hotKey(&registrar_);
  hotKey.SetKey(scCtrl | scAlt | 'P');
  EXPECT_FALSE(hotKey.Registered());
  EXPECT_TRUE(hotKey.Enabled());
  hotKey.SetEnabled(false);  // nothing held, nothing given back
  EXPECT_EQ(registrar_.calls, (std::vector<std::string>{"Register 3 80 -> 0"}));
}

TEST_F(HotKeyObject, PressCallsTheHandlerWithTheObject) {
  TfisHotKey hotKey(&registrar_);
  TfisHotKey* sender = nullptr;
  int presses = 0;
  hotKey.SetHandler([&](TfisHotKey& s) {
    sender = &s;
    ++presses;
  });
  hotKey.SetKey(scAlt | 'N');
  EXPECT_TRUE(registrar_.Press(MOD_ALT, 'N'));
  EXPECT_EQ(sender, &hotKey);
  EXPECT_EQ(presses, 1);
  hotKey.SetEnabled(false);
  EXPECT_FALSE(registrar_.Press(MOD_ALT, 'N'));
  EXPECT_EQ(presses, 1);
}

TEST_F(HotKeyObject, AHandlerMayEndTheObject) {
  auto hotKey = std::make_unique<TfisHotKey>(&registrar_);
  hotKey->SetKey(scAlt | 'Q');
  hotKey->SetHandler([&](TfisHotKey&) { hotKey.reset(); });
  registrar_.Press(MOD_ALT, 'Q');
  EXPECT_EQ(hotKey, nullptr);
  EXPECT_EQ(registrar_.HeldCount(), 0u);
}

TEST_F(HotKeyObject, WithoutRegistrarNothingIsTaken) {
  TfisHotKey hotKey(nullptr);
  hotKey.SetKey(scCtrl | 'P');
  hotKey.SetEnabled(true);
  EXPECT_FALSE(hotKey.Registered());
  hotKey.Press();  // no handler: nothing
}

TEST_F(HotKeyObject, NewObjectsUseTheCurrentRegistrar) {
  HotKeyRegistrar* previous = SetHotKeyRegistrar(&registrar_);
  {
    TfisHotKey hotKey;
    hotKey.SetKey(scCtrl | 'P');
    EXPECT_TRUE(hotKey.Registered());
  }
  EXPECT_EQ(SetHotKeyRegistrar(previous), &registrar_);
  EXPECT_EQ(registrar_.HeldCount(), 0u);
}

}  // namespace
}  // namespace vombrel
