// A player controller whose play attempts succeed for chosen positions; records calls.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "playlist/Playlistmodel.h"

namespace vombrel::testing {

class ScriptedController : public PlaylistController {
 public:
  explicit ScriptedController(PlaylistModel& model) : model_(model) { model.SetController(this); }

  // Positions whose play attempt succeeds.
  std::set<int32_t> playable;
  // Runs inside every attempt (to press Stop or change the list meanwhile).
  std::function<void()> duringAttempt;
  int32_t position = 0;
  int32_t length = 0;

  std::vector<int32_t> attempts;  // CurrentIndex at each attempt
  int pauseToggles = 0;
  int refreshes = 0;

  bool TryPlayCurrent() override {
    attempts.push_back(model_.CurrentIndex);
    if (duringAttempt) duringAttempt();
    const bool valid = model_.CurrentIndex >= 0 && model_.CurrentIndex < model_.Count();
    return valid && playable.count(model_.CurrentIndex) > 0;
  }
  int32_t EnginePosition() override { return position; }
  int32_t EngineLength() override { return length; }
  void TogglePause() override { ++pauseToggles; }
  void RefreshPlaylistWindow() override { ++refreshes; }

 private:
  PlaylistModel& model_;
};

// Random values handed out in order (then 0s).
inline RandomSource Sequence(std::vector<uint32_t> values) {
  auto next = std::make_shared<std::size_t>(0);
  return [values = std::move(values), next]() -> uint32_t { return *next < values.size() ? values[(*next)++] : 0; };
}

}  // namespace vombrel::testing
