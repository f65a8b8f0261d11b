// RebuildHotKeys and HotKeyList against a scripted registrar: settings files with good
// and malformed "HotKeys" values, rebuilds one after another, the Esc hot key.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Scriptedregistrar.h"
#include "app/Hotkeys.h"
#include "support/Configurazione.h"
#include "support/Supportfiles.h"

namespace fs = std::filesystem;

namespace vombrel {
namespace {

constexpr uint32_t kCtrlAlt = MOD_CONTROL | MOD_ALT;

class Rebuild : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-hotkeys-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "prog");
    SetAppDirForTesting((root_ / "prog").string());
    previous_ = SetHotKeyRegistrar(&registrar_);
  }
  void TearDown() override {
    hotKeys_.reset();
    SetHotKeyRegistrar(previous_);
    SetAppDirForTesting(std::nullopt);
    fs::remove_all(root_);
  }

  // Writes the settings file and rebuilds from it; returns the names pressed.
  void Load(const std::string& lines) {
    const fs::path ini = root_ / "cfg" / "Kelvatro" / "Vombrel.ini";
    fs::create_directories(ini.parent_path());
    std::ofstream(ini, std::ios::binary) << "[General]\r\nHints=True\r\n[HotKeys]\r\n" << lines << "[Other]\r\nX=1\r\n";
    const TConfigurazione config((root_ / "cfg").string(), "Kelvatro/Vombrel");
    hotKeys_->Rebuild(config, [this](TfisHotKey& sender) { pressed_.push_back(sender.Name()); });
  }

  fs::path root_;
  testing::ScriptedRegistrar registrar_;
  HotKeyRegistrar* previous_ = nullptr;
  std::unique_ptr<MainHotKeys> hotKeys_ = std::make_unique<MainHotKeys>();
  std::vector<std::string> pressed_;
};

TEST_F(Rebuild, GoodValuesRegisterAndAreListedInFileOrder) {
  Load("Stop=Ctrl+Alt+S;ON\r\nPlay=Ctrl+Alt+P;ON\r\nVolumeDec=Shift+Ctrl+F5;on\r\n");
  EXPECT_EQ(hotKeys_->HotKeyList(),
            (StringList{"Stop=Ctrl+Alt+S;ON", "Play=Ctrl+Alt+P;ON", "VolumeDec=Shift+Ctrl+F5;on"}));
  ASSERT_EQ(hotKeys_->Configured().size(), 3u);
  EXPECT_EQ(hotKeys_->Configured()[0]->Name(), "HK_Stop");
  EXPECT_EQ(hotKeys_->Configured()[1]->Name(), "HK_Play");
  EXPECT_EQ(hotKeys_->Configured()[2]->Key(), scShift | scCtrl | 116);
  EXPECT_TRUE(registrar_.IsHeld(kCtrlAlt, 'S'));
  EXPECT_TRUE(registrar_.IsHeld(kCtrlAlt, 'P'));
  EXPECT_TRUE(registrar_.IsHeld(MOD_SHIFT | MOD_CONTROL, 116));
  EXPECT_TRUE(registrar_.Press(kCtrlAlt, 'P'));
  EXPECT_EQ(pressed_, (std::vector<std::string>{"HK_Play"}));
  EXPECT_EQ(hotKeys_->Find("hk_play"), hotKeys_->Configured()[1].get());
  EXPECT_EQ(hotKeys_->Find("HK_Next"), nullptr);
}

// The edge cases of the "HotKeys" values: what is listed, what is held, what the object
// carries.
TEST_F(Rebuild, MalformedValues) {
  struct Case {
    std::string line;
    std::string listed;
    TShortCut key;
    bool enabled;
    bool registered;
    std::string name;
  };
  const Case cases[] = {
      {"Play=Ctrl+Alt+P;OFF", "Play=Ctrl+Alt+P;OFF", scCtrl | scAlt | 'P', false, false, "HK_Play"},
      {"Play=", "Play=", 0, true, false, ""},
      {"Play=   ", "Play=", 0, true, false, ""},
      {"Play=Bogus", "Play=", 0, true, false, ""},
      {"Stop=Ctrl+;;ON", "Stop=Ctrl+;;ON", scCtrl | 186, false, false, "HK_Stop"},
      {"Stop=Ctrl+Alt+S", "Stop=Ctrl+Alt+S", 0, false, false, "HK_Stop"},  // no ";": no shortcut, off
      {"Stop=;ON", "Stop=;ON", 0, true, false, "HK_Stop"},
      {"Next=Ctrl+Alt+Foo;ON", "Next=Ctrl+Alt+Foo;ON", 0, true, false, "HK_Next"},
      {"Next=Ctrl+Alt+N;oN", "Next=Ctrl+Alt+N;oN", scCtrl | scAlt | 'N', true, true, "HK_Next"},
      {"Next=Ctrl+Alt+N;ON;OFF", "Next=Ctrl+Alt+N;ON;OFF", 0, false, false, "HK_Next"},
      {"Next=Ctrl+Alt+N;ON ", "Next=Ctrl+Alt+N;ON", scCtrl | scAlt | 'N', true, true, "HK_Next"},
      {"Next=\"Ctrl+Alt+N;ON\"", "Next=Ctrl+Alt+N;ON", scCtrl | scAlt | 'N', true, true, "HK_Next"},
      {"Mute=Ctrl+M;ON", "Mute=Ctrl+M;ON", scCtrl | 'M', true, true, "HK_Mute"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Load(c.line + "\r\n");
    ASSERT_EQ(hotKeys_->Configured().size(), 1u);
    const TfisHotKey& hotKey = *hotKeys_->Configured().front();
    EXPECT_EQ(hotKeys_->HotKeyList(), StringList{c.listed});
    EXPECT_EQ(hotKey.Key(), c.key);
    EXPECT_EQ(hotKey.Enabled(), c.enabled);
    EXPECT_EQ(hotKey.Registered(), c.registered);
    EXPECT_EQ(registrar_.HeldCount(), c.registered ? 1u : 0u);
    EXPECT_EQ(hotKey.Name(), c.name);
  }
}

TEST_F(Rebuild, NoSectionGivesNothing) {
  Load("");
  EXPECT_TRUE(hotKeys_->HotKeyList().empty());
  EXPECT_TRUE(hotKeys_->Configured().empty());
}

TEST_F(Rebuild, SameCombinationTwiceOnlyTheFirstWorks) {
  Load("Play=Ctrl+Alt+P;ON\r\nStop=ctrl+ALT+p;ON\r\n");
  EXPECT_TRUE(hotKeys_->Configured()[0]->Registered());
  EXPECT_FALSE(hotKeys_->Configured()[1]->Registered());
  registrar_.Press(kCtrlAlt, 'P');
  EXPECT_EQ(pressed_, (std::vector<std::string>{"HK_Play"}));
}

// After the options window is confirmed: the old combinations are given back before the
// new ones are taken, so a combination moves to another action in one step.
TEST_F(Rebuild, ACombinationMovesToAnotherActionInOneStep) {
  Load("Play=Ctrl+Alt+P;ON\r\nStop=Ctrl+Alt+S;ON\r\n");
  Load("Play=Ctrl+Alt+S;ON\r\nStop=Ctrl+Alt+P;ON\r\n");
  EXPECT_TRUE(hotKeys_->Configured()[0]->Registered());
  EXPECT_TRUE(hotKeys_->Configured()[1]->Registered());
  EXPECT_EQ(registrar_.HeldCount(), 2u);
  registrar_.Press(kCtrlAlt, 'P');
  registrar_.Press(kCtrlAlt, 'S');
  EXPECT_EQ(pressed_, (std::vector<std::string>{"HK_Stop", "HK_Play"}));
  // Rebuilding from a file without hot keys gives everything back.
  Load("");
  EXPECT_EQ(registrar_.HeldCount(), 0u);
  EXPECT_TRUE(hotKeys_->HotKeyList().empty());
}

TEST_F(Rebuild, LongValuesAndManyKeys) {
  const std::string huge(10000, 'P');
  Load("Play=Ctrl+" + huge + ";ON\r\n");
  EXPECT_FALSE(hotKeys_->Configured()[0]->Registered());
  EXPECT_EQ(hotKeys_->Configured()[0]->Key(), 0);
  // The store gives at most 2047 characters of a value.
  EXPECT_TRUE(hotKeys_->HotKeyList()[0] == "Play=Ctrl+" + huge.substr(0, 2042));

  std::string lines;
  for (int i = 0; i < 1000; ++i)
    lines += "Key" + std::to_string(i) + "=Ctrl+Alt+" + std::string(1, static_cast<char>('A' + i % 26)) + ";ON\r\n";
  Load(lines);
  ASSERT_EQ(hotKeys_->HotKeyList().size(), 1000u);
  EXPECT_EQ(hotKeys_->HotKeyList()[999], "Key999=Ctrl+Alt+L;ON");
  EXPECT_EQ(registrar_.HeldCount(), 26u);  // each letter once: later ones are refused
  registrar_.Press(kCtrlAlt, 'C');
  EXPECT_EQ(pressed_, (std::vector<std::string>{"HK_Key2"}));
}

TEST_F(Rebuild, EscHotKeyFollowsFullScreenAndSurvivesRebuilds) {
  Load("Play=Ctrl+Alt+P;ON\r\n");
  EXPECT_EQ(hotKeys_->EscHotKey(), nullptr);
  EXPECT_FALSE(registrar_.IsHeld(0, 27));
  hotKeys_->FollowFullScreen(true, [this](TfisHotKey& sender) { pressed_.push_back(sender.Name()); });
  TfisHotKey* esc = hotKeys_->EscHotKey();
  ASSERT_NE(esc, nullptr);
  EXPECT_EQ(esc->Name(), "HK_ESC");
  EXPECT_EQ(esc->Key(), 27);
  EXPECT_TRUE(registrar_.IsHeld(0, 27));
  // Rebuilds, even from a section naming a key "ESC" (twice: the first value is read
  // for both), leave it alone and never list it.
  Load("ESC=Ctrl+Alt+E;ON\r\nesc=;OFF\r\n");
  EXPECT_EQ(hotKeys_->EscHotKey(), esc);
  EXPECT_TRUE(registrar_.IsHeld(0, 27));
  EXPECT_EQ(hotKeys_->HotKeyList(), (StringList{"ESC=Ctrl+Alt+E;ON", "esc=Ctrl+Alt+E;ON"}));
  Load("");
  EXPECT_TRUE(esc->Registered());
  registrar_.Press(0, 27);
  EXPECT_EQ(pressed_, (std::vector<std::string>{"HK_ESC"}));
  hotKeys_->FollowFullScreen(false, {});
  EXPECT_EQ(hotKeys_->EscHotKey(), esc);
  EXPECT_FALSE(registrar_.IsHeld(0, 27));
  hotKeys_->FollowFullScreen(true, {});
  EXPECT_TRUE(registrar_.IsHeld(0, 27));
  hotKeys_.reset();
  EXPECT_EQ(registrar_.HeldCount(), 0u);
}

TEST(HotKeyCommand, FromTheNameAfterItsFirstUnderscore) {
  const std::pair<const char*, HotKeyCommand> rows[] = {
      {"HK_Play", HotKeyCommand::Play},
      {"HK_play", HotKeyCommand::Play},
      {"HK_Stop", HotKeyCommand::Stop},
      {"HK_Previous", HotKeyCommand::Previous},
      {"HK_Next", HotKeyCommand::Next},
      {"HK_Pause", HotKeyCommand::Pause},
      {"HK_ESC", HotKeyCommand::Esc},
      {"HK_Esc", HotKeyCommand::Esc},
      {"HK_VolumeInc", HotKeyCommand::VolumeInc},
      {"HK_VOLUMEDEC", HotKeyCommand::VolumeDec},
      {"HK_Mute", HotKeyCommand::None},
      {"HK_Play_Now", HotKeyCommand::None},
      {"HK_", HotKeyCommand::None},
      {"", HotKeyCommand::None},
      {"XX_Next", HotKeyCommand::Next},
      {"Next", HotKeyCommand::Next},
  };
  for (const auto& [name, command] : rows) {
    SCOPED_TRACE(name);
    EXPECT_EQ(HotKeyCommandOf(name), command);
  }
}

}  // namespace
}  // namespace vombrel
