// What an engine needs from the program that hosts it, as two small interfaces that the
// toolkit implements (toolkit/Playerhost.h) and tests replace. They keep this layer free
// of any toolkit.
#pragma once

#include <cstdint>
#include <functional>

namespace vombrel {

// Runs work on the host's user-interface thread. Engines hand every notification to it,
// so the host's handlers never run on a decoder or library thread.
class UiDispatcher {
 public:
  virtual ~UiDispatcher() = default;
  // Thread-safe; may be called from any thread. Queues `task` to run later on the
  // user-interface thread, in the order posted, never inside this call. Tasks still queued
  // when the dispatcher is destroyed are dropped. The dispatcher must outlive every
  // engine that posts to it.
  virtual void Post(std::function<void()> task) = 0;
};

// The window area in which an engine shows pictures (the video window's display panel),
// and the full-screen window it may open. Called on the user-interface thread only,
// except NativeWindowId, which returns a value read once per Open.
class DisplayControl {
 public:
  virtual ~DisplayControl() = default;
  // The native window (X11 window id) pictures are drawn into; 0 when there is none.
  virtual uintptr_t NativeWindowId() = 0;
  // Opens a full-screen window for the picture and returns its native window id (0 when
  // it cannot be made). `closedByUser` runs on the user-interface thread when the user
  // closes it with a key press or a click, while its native window still exists (it
  // closes right after).
  virtual uintptr_t OpenFullScreen(std::function<void()> closedByUser) = 0;
  // Closes the full-screen window if it is open; `closedByUser` is not called.
  virtual void CloseFullScreen() = 0;
  // The host toolkit's application and screen objects, opaque, for plug-ins built on the
  // same toolkit (null when there are none).
  virtual void* ToolkitApplication() { return nullptr; }
  virtual void* ToolkitScreen() { return nullptr; }
};

}  // namespace vombrel
