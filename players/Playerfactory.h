// Choosing, creating and destroying the engine. The main window calls CreatePlayerEngine
// with the settings' player name ("General"/"Player") and keeps the result as its one
// current engine. Failures are reported through the message-box reporter
// (support/Supportmsg.h); the result is always a working engine.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "players/Baseplayer.h"
#include "support/Supportstring.h"

namespace vombrel {

// The name of the built-in engine (exact, case-sensitive).
inline constexpr std::string_view kDefaultPlayerName = "Default";

// "Default" gives the built-in engine. Another name gives the plug-in engine for
// PlayerLibraryPath(name) when that is a regular file; when building it fails, the
// "MSG_CANT_INIT_PLAYER" box (title "TTL_ERRORE") is shown and the built-in engine is
// returned. A name whose library does not exist (or that names a folder path) gives the
// built-in engine without a message. `display` may be null; the dispatcher must outlive
// the engine.
std::unique_ptr<TBasePlayer> CreatePlayerEngine(std::string_view name, DisplayControl* display,
                                                UiDispatcher& dispatcher, NotifyHandler notify);

// DeinitPlayer, then destroys the engine and clears the reference (nothing when empty).
void DestroyPlayerEngine(std::unique_ptr<TBasePlayer>& engine);

// The library a plug-in name stands for: AppSubDir("Players") + name + ".so", or the
// library the folder's listing shows under the name with its extension in other letters
// ("<name>.SO"), so that every name PlayerEngineNames offers opens its own library.
std::string PlayerLibraryPath(std::string_view name);

// The names the options offer: "Default", then the base names of the "*.so" libraries in
// the "Players" folder.
StringList PlayerEngineNames();

}  // namespace vombrel
