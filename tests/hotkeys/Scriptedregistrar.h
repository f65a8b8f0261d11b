// A registrar for tests: it holds combinations like the desktop does (a held combination
// is refused, also to the same process), refuses the ones a test says another program
// holds, logs every call, and presses a combination on request.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Hotkeyregistrar.h"

namespace vombrel::testing {

class ScriptedRegistrar : public HotKeyRegistrar {
 public:
  using Combination = std::pair<uint32_t, uint32_t>;  // modifiers, virtual key

  std::set<Combination> heldElsewhere;
  std::vector<std::string> calls;  // "Register 6 80 -> 1", "Unregister 1"

  int RegisterHotKey(uint32_t modifiers, uint32_t virtualKey, std::function<void()> pressed) override {
    const Combination combination{modifiers, virtualKey};
    int number = 0;
    if (!heldElsewhere.count(combination) && !IsHeld(modifiers, virtualKey)) {
      number = ++last_;
      held_[number] = {combination, std::move(pressed)};
    }
    calls.push_back("Register " + std::to_string(modifiers) + " " + std::to_string(virtualKey) + " -> " +
                    std::to_string(number));
    return number;
  }
  void UnregisterHotKey(int number) override {
    calls.push_back("Unregister " + std::to_string(number));
    held_.erase(number);
  }

  bool IsHeld(uint32_t modifiers, uint32_t virtualKey) const {
    for (const auto& [number, entry] : held_)
      if (entry.first == Combination{modifiers, virtualKey}) return true;
    return false;
  }
  std::size_t HeldCount() const { return held_.size(); }

  // The user presses the combination: false when nobody of ours holds it.
  bool Press(uint32_t modifiers, uint32_t virtualKey) {
    for (const auto& [number, entry] : held_) {
      if (entry.first != Combination{modifiers, virtualKey}) continue;
      const auto pressed = entry.second;
      pressed();
      return true;
    }
    return false;
  }

 private:
  std::map<int, std::pair<Combination, std::function<void()>>> held_;
  int last_ = 0;
};

}  // namespace vombrel::testing
