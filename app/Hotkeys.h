// The main window's global hot keys: the ones the "HotKeys" section assigns, rebuilt at
// every LoadSettings, with the list of what was read (HotKeyList), and the Esc hot key
// that lives only for full screen. No toolkit here; the window owns one and dispatches
// presses in PlayerHotKey (Hotkeys.cpp).
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "shell/Hotkey.h"
#include "support/Configurazione.h"

namespace vombrel {

class MainHotKeys {
 public:
  // RebuildHotKeys: the old objects are destroyed first, so their combinations are free
  // before the new ones are taken; then one object per key of the "HotKeys" section, in
  // file order. A value "<shortcut text>;ON" (state in any case) gives a registered
  // object named "HK_" + key calling `handler`; the state is the text after the first
  // ";", the shortcut text the one before the last ";". A key without a value gives an
  // object without name or key. HotKeyList gets "<key>=<value>", or "<key>=".
  void Rebuild(const TConfigurazione& config, const TfisHotKey::Handler& handler);

  // The "<key>=<value>" lines of the last rebuild; the options window edits them.
  StringList& HotKeyList() { return hotKeyList_; }
  const StringList& HotKeyList() const { return hotKeyList_; }

  // The objects of the last rebuild, in file order, and the one named `name` (any
  // case), if any. The Esc hot key is not among them.
  const std::vector<std::unique_ptr<TfisHotKey>>& Configured() const { return configured_; }
  TfisHotKey* Find(std::string_view name) const;

  // Full screen switched on or off: the Esc hot key ("HK_ESC") is made at the first call
  // and is enabled exactly while full screen is on. It survives every rebuild.
  void FollowFullScreen(bool on, const TfisHotKey::Handler& handler);
  TfisHotKey* EscHotKey() const { return escHotKey_.get(); }

 private:
  std::vector<std::unique_ptr<TfisHotKey>> configured_;
  StringList hotKeyList_;
  std::unique_ptr<TfisHotKey> escHotKey_;
};

// What a hot key does, from its name: the text after the first "_" in upper case.
enum class HotKeyCommand { None, Play, Stop, Previous, Next, Pause, Esc, VolumeInc, VolumeDec };
HotKeyCommand HotKeyCommandOf(std::string_view hotKeyName);

}  // namespace vombrel
