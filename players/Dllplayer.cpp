#include "players/Dllplayer.h"

#include <dlfcn.h>

#include <exception>

#include "players/Playermessages.h"
#include "support/Supportmsg.h"

namespace vombrel {

namespace {

constexpr std::string_view kUnknownPluginFailure = "Errore sconosciuto nel modulo del player";

void ShowPluginFailure(std::string_view text) { ShowError(text, kApplicationTitle); }

// Runs one call into the plug-in; a failure escaping it is shown and `fallback` returned.
template <typename Result, typename Call>
Result Guarded(Result fallback, Call&& call) {
  try {
    return call();
  } catch (const std::exception& failure) {
    ShowPluginFailure(failure.what());
  } catch (...) {
    ShowPluginFailure(kUnknownPluginFailure);
  }
  return fallback;
}

template <typename Call>
void GuardedCall(Call&& call) {
  Guarded(0, [&] {
    call();
    return 0;
  });
}

}  // namespace

void TDllPlayer::ModuleCloser::operator()(void* module) const {
  if (module != nullptr) dlclose(module);
}

TDllPlayer::TDllPlayer(const std::string& path, DisplayControl* display, UiDispatcher& dispatcher, NotifyHandler notify)
    : TBasePlayer(display, dispatcher) {
  module_.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (module_ == nullptr) ShowPluginFailure(PlayerText(kMsgCantLoadPlayer));
  ResolveEntries();
  bridge_ = std::make_unique<NotifyBridge>(NotifyBridge{this, alive_});
  InitPlayer(display, std::move(notify));
}

TDllPlayer::~TDllPlayer() {
  // The plug-in must accept this second call. A failure here cannot propagate out of a
  // destructor; it is shown like every other plug-in failure.
  GuardedCall([&] { entries_.DeinitPlayer(); });
  alive_.reset();
  module_.reset();
}

template <typename Proc>
void TDllPlayer::Resolve(const char* name, Proc& target) {
  void* symbol = module_ != nullptr ? dlsym(module_.get(), name) : nullptr;
  if (symbol == nullptr) {
    throw PlayerError(PlayerText(kMsgCantLoadFunction) + " '" + name + "'");
  }
  target = reinterpret_cast<Proc>(symbol);
}

void TDllPlayer::ResolveEntries() {
  Resolve("_Pause", entries_.Pause);
  Resolve("_Resume", entries_.Resume);
  Resolve("_Play", entries_.Play);
  Resolve("_Stop", entries_.Stop);
  Resolve("_Close", entries_.Close);
  Resolve("_GetLength", entries_.GetLength);
  Resolve("_GetPosition", entries_.GetPosition);
  Resolve("_SetPosition", entries_.SetPosition);
  Resolve("_GetMode", entries_.GetMode);
  Resolve("_Open", entries_.Open);
  Resolve("_GetFileName", entries_.GetFileName);
  Resolve("_InitPlayer", entries_.InitPlayer);
  Resolve("_SetFullScreen", entries_.SetFullScreen);
  Resolve("_HasVideo", entries_.HasVideo);
  Resolve("_GetVideoWidth", entries_.GetVideoWidth);
  Resolve("_GetVideoHeight", entries_.GetVideoHeight);
  Resolve("_Refresh", entries_.Refresh);
  Resolve("_OutputText", entries_.OutputText);
  Resolve("_DeinitPlayer", entries_.DeinitPlayer);
  Resolve("_Description", entries_.Description);
}

void TDllPlayer::NotifyFromPlugin(void* context, void*) {
  const auto* bridge = static_cast<const NotifyBridge*>(context);
  TDllPlayer* engine = bridge->engine;
  std::weak_ptr<int> alive = bridge->alive;
  engine->Dispatcher().Post([engine, alive] {
    if (!alive.expired() && engine->notify_) engine->notify_(engine);
  });
}

void TDllPlayer::InitPlayer(DisplayControl* display, NotifyHandler notify) {
  notify_ = std::move(notify);
  void* application = display != nullptr ? display->ToolkitApplication() : nullptr;
  void* screen = display != nullptr ? display->ToolkitScreen() : nullptr;
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the plug-in interface passes the window id as a pointer
  void* window = display != nullptr ? reinterpret_cast<void*>(display->NativeWindowId()) : nullptr;
  GuardedCall([&] { entries_.InitPlayer(application, screen, window, window, &NotifyFromPlugin, bridge_.get()); });
}

void TDllPlayer::DeinitPlayer() {
  GuardedCall([&] { entries_.DeinitPlayer(); });
}

MMFileInfoPtr TDllPlayer::Open(const std::string& fileName) {
  return Guarded(MMFileInfoPtr(), [&] { return MMFileInfoPtr(entries_.Open(fileName.c_str())); });
}

void TDllPlayer::Play() {
  GuardedCall([&] { entries_.Play(); });
}

void TDllPlayer::Pause() {
  GuardedCall([&] { entries_.Pause(); });
}

void TDllPlayer::Resume() {
  GuardedCall([&] { entries_.Resume(); });
}

void TDllPlayer::Stop() {
  GuardedCall([&] { entries_.Stop(); });
}

void TDllPlayer::Close() {
  GuardedCall([&] { entries_.Close(); });
}

int32_t TDllPlayer::GetLength() {
  return Guarded(int32_t{0}, [&] { return entries_.GetLength(); });
}

int32_t TDllPlayer::GetPosition() {
  return Guarded(int32_t{0}, [&] { return entries_.GetPosition(); });
}

PlayerMode TDllPlayer::GetMode() {
  // Only the low byte counts, whatever the upper bytes hold.
  return Guarded(PlayerMode::Stopped,
                 [&] { return static_cast<PlayerMode>(static_cast<uint8_t>(entries_.GetMode() & 0xFF)); });
}

void TDllPlayer::SetPosition(int32_t position) {
  GuardedCall([&] { entries_.SetPosition(position); });
}

std::string TDllPlayer::GetFileName() {
  return Guarded(std::string(), [&] {
    const char* name = entries_.GetFileName();
    return name != nullptr ? std::string(name) : std::string();
  });
}

void TDllPlayer::SetFullScreen(bool fullScreen) {
  GuardedCall([&] { entries_.SetFullScreen(fullScreen ? 1 : 0); });
}

bool TDllPlayer::HasVideo() {
  return Guarded(false, [&] { return (entries_.HasVideo() & 0xFF) != 0; });
}

int32_t TDllPlayer::GetVideoWidth() {
  return Guarded(int32_t{0}, [&] { return entries_.GetVideoWidth(); });
}

int32_t TDllPlayer::GetVideoHeight() {
  return Guarded(int32_t{0}, [&] { return entries_.GetVideoHeight(); });
}

void TDllPlayer::OutputText(int32_t x, int32_t y, const std::string& text) {
  GuardedCall([&] { entries_.OutputText(x, y, text.c_str()); });
}

void TDllPlayer::Refresh() {
  GuardedCall([&] { entries_.Refresh(); });
}

std::string TDllPlayer::Description() {
  return Guarded(std::string(), [&] {
    char buffer[VOMBREL_PLAYER_DESCRIPTION_SIZE] = {};
    entries_.Description(buffer);
    buffer[sizeof buffer - 1] = '\0';  // a plug-in that overfills still yields a bounded text
    return std::string(buffer);
  });
}

}  // namespace vombrel
