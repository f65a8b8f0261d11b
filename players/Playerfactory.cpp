#include "players/Playerfactory.h"

#include "players/Dllplayer.h"
#include "players/Mmcplayer.h"
#include "players/Playermessages.h"
#include "support/Supportfiles.h"
#include "support/Supportmsg.h"

namespace vombrel {

namespace {

constexpr std::string_view kPlayersFolder = "Players";
constexpr std::string_view kLibraryExtension = ".so";

// A plug-in name is a base name inside the Players folder, never a path.
bool IsPlainName(std::string_view name) {
  return !name.empty() && name.find('/') == std::string_view::npos && name != "." && name != "..";
}

}  // namespace

std::string PlayerLibraryPath(std::string_view name) {
  return ListedFilePath(AppSubDir(kPlayersFolder), name, kLibraryExtension);
}

std::unique_ptr<TBasePlayer> CreatePlayerEngine(std::string_view name, DisplayControl* display,
                                                UiDispatcher& dispatcher, NotifyHandler notify) {
  if (name != kDefaultPlayerName && IsPlainName(name)) {
    const std::string path = PlayerLibraryPath(name);
    // Only a regular file is loaded: loading a pipe would block.
    if (IsRegularFile(path)) {
      try {
        return std::make_unique<TDllPlayer>(path, display, dispatcher, notify);
      } catch (const std::exception&) {
        ShowError(PlayerText(kMsgCantInitPlayer), PlayerText(kTtlErrore));
      }
    }
  }
  return std::make_unique<TMMCPlayer>(display, dispatcher, std::move(notify));
}

void DestroyPlayerEngine(std::unique_ptr<TBasePlayer>& engine) {
  if (!engine) return;
  engine->DeinitPlayer();
  engine.reset();
}

StringList PlayerEngineNames() {
  StringList names{std::string(kDefaultPlayerName)};
  for (const std::string& path : ListFiles(AppSubDir(kPlayersFolder) + "*" + std::string(kLibraryExtension))) {
    names.push_back(FileBaseName(path));
  }
  return names;
}

}  // namespace vombrel
