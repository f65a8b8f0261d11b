// Message keys and Italian default texts of the engines, kept in one place so that the
// lookup through the program's message table changes in one line.
#pragma once

#include <string>
#include <string_view>

namespace vombrel {

struct PlayerMessage {
  std::string_view key;
  std::string_view defaultText;
};

inline constexpr PlayerMessage kMsgCantInitPlayer{
    "MSG_CANT_INIT_PLAYER",
    "Impossibile caricare il modulo del player indicato. Verr\u00e0 utilizzato il modulo standard."};
inline constexpr PlayerMessage kMsgCantLoadPlayer{"MSG_CANT_LOAD_PLAYER", "Impossibile caricare il modulo del player"};
inline constexpr PlayerMessage kMsgCantLoadFunction{"MSG_CANT_LOAD_FUNCTION",
                                                    "Impossibile caricare il modulo del player"};
inline constexpr PlayerMessage kTtlErrore{"TTL_ERRORE", "Errore"};

// The caption of the standard failure box: the application's title.
inline constexpr std::string_view kApplicationTitle = "Vombrel";

// The text of a message in the current language.
std::string PlayerText(const PlayerMessage& message);

}  // namespace vombrel
