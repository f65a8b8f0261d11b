#include "app/Hotkeys.h"

#include "app/VombrelMain.h"

namespace vombrel {

namespace {

constexpr std::string_view kSection = "HotKeys";
// What ReadString gives for a key without a usable value.
constexpr std::string_view kNoValue = "Bogus";

// "Ctrl+Alt+P;ON" -> "Ctrl+Alt+P": the text before the last ";", empty without one.
std::string ShortcutTextOf(const std::string& value) {
  const auto last = value.rfind(';');
  return last == std::string::npos ? std::string() : value.substr(0, last);
}

// "Ctrl+;;ON" -> ";ON": the text after the first ";", empty without one.
std::string StateOf(const std::string& value) { return RightOf(value, ";"); }

}  // namespace

void MainHotKeys::Rebuild(const TConfigurazione& config, const TfisHotKey::Handler& handler) {
  // Every object of the previous rebuild is named by a HotKeyList line or has no name;
  // all of them go, in one step, before anything new is registered.
  configured_.clear();
  hotKeyList_.clear();
  for (const std::string& key : config.ReadSection(kSection)) {
    auto hotKey = std::make_unique<TfisHotKey>();
    const std::string value = config.ReadString(kSection, key, kNoValue);
    if (value != kNoValue) {
      hotKey->SetKey(TextToShortCut(ShortcutTextOf(value)));
      hotKey->SetName("HK_" + key);
      hotKey->SetHandler(handler);
      hotKey->SetEnabled(SameText(StateOf(value), "ON"));
      hotKeyList_.push_back(key + "=" + value);
    } else {
      hotKeyList_.push_back(key + "=");
    }
    configured_.push_back(std::move(hotKey));
  }
}

TfisHotKey* MainHotKeys::Find(std::string_view name) const {
  for (const auto& hotKey : configured_)
    if (!hotKey->Name().empty() && SameText(hotKey->Name(), name)) return hotKey.get();
  return nullptr;
}

void MainHotKeys::FollowFullScreen(bool on, const TfisHotKey::Handler& handler) {
  if (!escHotKey_) {
    escHotKey_ = std::make_unique<TfisHotKey>();
    escHotKey_->SetEnabled(on);  // never taken, not even for a moment, while off
    escHotKey_->SetKey(TextToShortCut("ESC"));
    escHotKey_->SetName("HK_ESC");
    escHotKey_->SetHandler(handler);
  }
  escHotKey_->SetEnabled(on);
}

HotKeyCommand HotKeyCommandOf(std::string_view hotKeyName) {
  const auto underscore = hotKeyName.find('_');
  const std::string command = UpperCase(underscore == std::string_view::npos ? hotKeyName
                                                                             : hotKeyName.substr(underscore + 1));
  if (command == "PLAY") return HotKeyCommand::Play;
  if (command == "STOP") return HotKeyCommand::Stop;
  if (command == "PREVIOUS") return HotKeyCommand::Previous;
  if (command == "NEXT") return HotKeyCommand::Next;
  if (command == "PAUSE") return HotKeyCommand::Pause;
  if (command == "ESC") return HotKeyCommand::Esc;
  if (command == "VOLUMEINC") return HotKeyCommand::VolumeInc;
  if (command == "VOLUMEDEC") return HotKeyCommand::VolumeDec;
  return HotKeyCommand::None;
}

// ---------------------------------------------------------------------------------------
// The main window's side.

void TFormVombrel::RebuildHotKeys() {
  hotKeys_.Rebuild(UserConfig(), [this](TfisHotKey& sender) { PlayerHotKey(sender); });
}

void TFormVombrel::FollowFullScreenWithEscHotKey() {
  hotKeys_.FollowFullScreen(fullScreenOn_, [this](TfisHotKey& sender) { PlayerHotKey(sender); });
}

// A press runs like a click on the corresponding button; the volume keys step as the
// mouse wheel does.
void TFormVombrel::PlayerHotKey(TfisHotKey& sender) {
  switch (HotKeyCommandOf(sender.Name())) {
    case HotKeyCommand::Play:
      if (EngineActive())
        ButtonPauseClick();
      else
        ButtonPlayClick();
      break;
    case HotKeyCommand::Stop: ButtonStopClick(); break;
    case HotKeyCommand::Previous: ButtonPrevClick(); break;
    case HotKeyCommand::Next: ButtonNextClick(); break;
    case HotKeyCommand::Pause: ButtonPauseClick(); break;
    case HotKeyCommand::Esc:
      if (fullScreenOn_) ToggleFullScreen();
      break;
    case HotKeyCommand::VolumeInc: VolumeUp(kWheelVolumeStep); break;
    case HotKeyCommand::VolumeDec: VolumeDown(kWheelVolumeStep); break;
    case HotKeyCommand::None: break;
  }
}

}  // namespace vombrel
