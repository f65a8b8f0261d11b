// A DisplayControl that records what the engine asks of it.
#pragma once

#include <functional>
#include <vector>

#include "players/Hostinterfaces.h"

namespace vombrel::test {

class FakeDisplay : public DisplayControl {
 public:
  uintptr_t window = 0x1234;
  uintptr_t fullScreenWindow = 0;
  int opened = 0;
  int closed = 0;
  std::function<void()> closedByUser;
  int applicationToken = 0;
  int screenToken = 0;

  uintptr_t NativeWindowId() override { return window; }
  uintptr_t OpenFullScreen(std::function<void()> onClosed) override {
    ++opened;
    closedByUser = std::move(onClosed);
    return fullScreenWindow;
  }
  void CloseFullScreen() override { ++closed; }
  void* ToolkitApplication() override { return &applicationToken; }
  void* ToolkitScreen() override { return &screenToken; }
};

}  // namespace vombrel::test
