#include "players/Baseplayer.h"

namespace vombrel {

bool IsActiveMode(PlayerMode mode) { return mode == PlayerMode::Playing || mode == PlayerMode::Paused; }

TBasePlayer::TBasePlayer(DisplayControl* display, UiDispatcher& dispatcher)
    : display_(display), dispatcher_(dispatcher) {}

TBasePlayer::~TBasePlayer() = default;

}  // namespace vombrel
