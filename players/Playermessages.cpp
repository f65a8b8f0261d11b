#include "players/Playermessages.h"

#if __has_include("support/Supportlanguage.h")
#include "support/Supportlanguage.h"
#define VOMBREL_HAVE_MESSAGE_TABLE 1
#endif

namespace vombrel {

std::string PlayerText(const PlayerMessage& message) {
#ifdef VOMBREL_HAVE_MESSAGE_TABLE
  return std::string(Translate(std::string(message.key), std::string(message.defaultText)));
#else
  return std::string(message.defaultText);
#endif
}

}  // namespace vombrel
