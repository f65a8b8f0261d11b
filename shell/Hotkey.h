// The global hot-key object: a name, a shortcut and a handler. While it is enabled and
// has a key, its combination is taken from the whole desktop through the registrar it was
// made with, and a press calls the handler with the object as sender.
//
// Threads: user-interface thread only. Ownership: the owner (the main window) destroys
// the object; destruction gives the combination back. The registrar must outlive it.
#pragma once

#include <functional>
#include <string>

#include "platform/Hotkeyregistrar.h"
#include "shell/Shortcut.h"

namespace vombrel {

// The registrar new hot-key objects use; none (the default) means they never register.
// The program sets the system's at start-up, tests set a scripted one. Returns the
// previous one.
HotKeyRegistrar* SetHotKeyRegistrar(HotKeyRegistrar* registrar);
HotKeyRegistrar* CurrentHotKeyRegistrar();

class TfisHotKey {
 public:
  using Handler = std::function<void(TfisHotKey& sender)>;

  // Enabled, without key, name or handler.
  explicit TfisHotKey(HotKeyRegistrar* registrar = CurrentHotKeyRegistrar());
  ~TfisHotKey();
  TfisHotKey(const TfisHotKey&) = delete;
  TfisHotKey& operator=(const TfisHotKey&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  TShortCut Key() const { return key_; }
  // A new key gives the old combination back and, when enabled, takes the new one.
  void SetKey(TShortCut key);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // The combination is held now.
  bool Registered() const { return registration_ != 0; }

  void SetHandler(Handler handler) { handler_ = std::move(handler); }

  // The combination was pressed: the handler runs with this object as sender.
  void Press();

 private:
  void Register();
  void Unregister();

  HotKeyRegistrar* registrar_;
  std::string name_;
  TShortCut key_ = 0;
  bool enabled_ = true;
  int registration_ = 0;
  Handler handler_;
};

}  // namespace vombrel
