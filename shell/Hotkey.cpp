#include "shell/Hotkey.h"

namespace vombrel {

namespace {
HotKeyRegistrar* currentRegistrar = nullptr;
}  // namespace

HotKeyRegistrar* SetHotKeyRegistrar(HotKeyRegistrar* registrar) {
  HotKeyRegistrar* previous = currentRegistrar;
  currentRegistrar = registrar;
  return previous;
}

HotKeyRegistrar* CurrentHotKeyRegistrar() { return currentRegistrar; }

TfisHotKey::TfisHotKey(HotKeyRegistrar* registrar) : registrar_(registrar) {}

TfisHotKey::~TfisHotKey() { Unregister(); }

void TfisHotKey::SetKey(TShortCut key) {
  if (key == key_) return;
  Unregister();
  key_ = key;
  if (enabled_) Register();
}

void TfisHotKey::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (enabled)
    Register();
  else
    Unregister();
}

void TfisHotKey::Press() {
  // A copy: the handler may replace this object's handler or end its life.
  if (Handler handler = handler_) handler(*this);
}

void TfisHotKey::Register() {
  // Without a key there is nothing to take; a refused combination leaves the object
  // unregistered, silently.
  if (Registered() || !registrar_ || key_ == 0) return;
  uint32_t modifiers = 0;
  if (key_ & scShift) modifiers |= MOD_SHIFT;
  if (key_ & scAlt) modifiers |= MOD_ALT;
  if (key_ & scCtrl) modifiers |= MOD_CONTROL;
  registration_ = registrar_->RegisterHotKey(modifiers, KeyCodeOf(key_), [this] { Press(); });
}

void TfisHotKey::Unregister() {
  if (!Registered()) return;
  registrar_->UnregisterHotKey(registration_);
  registration_ = 0;
}

}  // namespace vombrel
