// The one abstract engine every playback action goes through. The main window owns
// exactly one engine at a time (see Playerfactory.h).
//
// Threads: every operation is called on the host's user-interface thread. Notifications
// reach the host's handler on that thread too, through the UiDispatcher given at
// construction, never from inside an operation.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "players/Hostinterfaces.h"
#include "players/Mmfileinfo.h"
#include "players/vombrel_player_plugin.h"

namespace vombrel {

// Engine states (the values plug-ins return); the host compares only the low byte and
// acts on Playing and Paused.
enum class PlayerMode : uint8_t {
  NotReady = VOMBREL_MODE_NOT_READY,
  Stopped = VOMBREL_MODE_STOPPED,
  Playing = VOMBREL_MODE_PLAYING,
  Recording = VOMBREL_MODE_RECORDING,
  Seeking = VOMBREL_MODE_SEEKING,
  Paused = VOMBREL_MODE_PAUSED,
  Open = VOMBREL_MODE_OPEN,
};

// Playing or paused: the states the host acts on.
bool IsActiveMode(PlayerMode mode);

// Called when a play command completes: at the end of the file (GetPosition then equals
// GetLength) and when a pending play is cut short. The argument is the notifying engine;
// the host ignores it.
using NotifyHandler = std::function<void(void* sender)>;

// A failure of an engine operation (for example "No MCI device open").
struct PlayerError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class TBasePlayer {
 public:
  // Stores the display control (not owned; may be null, then pictures go to a window of
  // the media framework's own). The dispatcher must outlive the engine. Derived engines
  // call InitPlayer at the end of their own constructors.
  TBasePlayer(DisplayControl* display, UiDispatcher& dispatcher);
  virtual ~TBasePlayer();
  TBasePlayer(const TBasePlayer&) = delete;
  TBasePlayer& operator=(const TBasePlayer&) = delete;

  // The twenty operations in slot order.
  virtual void InitPlayer(DisplayControl* display, NotifyHandler notify) = 0;
  virtual void DeinitPlayer() = 0;
  // Never throws for a file it cannot open: Success = 0 and ErrorText say why. The caller
  // owns the record. A previously open file is closed first.
  virtual MMFileInfoPtr Open(const std::string& fileName) = 0;
  virtual void Play() = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  virtual void Stop() = 0;
  virtual void Close() = 0;
  virtual int32_t GetLength() = 0;    // milliseconds
  virtual int32_t GetPosition() = 0;  // milliseconds
  virtual PlayerMode GetMode() = 0;
  virtual void SetPosition(int32_t position) = 0;
  virtual std::string GetFileName() = 0;  // the last name given to Open, kept after Close
  virtual void SetFullScreen(bool fullScreen) = 0;
  virtual bool HasVideo() = 0;
  virtual int32_t GetVideoWidth() = 0;   // 0 when unknown
  virtual int32_t GetVideoHeight() = 0;  // 0 when unknown
  virtual void OutputText(int32_t x, int32_t y, const std::string& text) = 0;
  virtual void Refresh() = 0;
  virtual std::string Description() = 0;

  DisplayControl* Display() const { return display_; }

 protected:
  UiDispatcher& Dispatcher() const { return dispatcher_; }

 private:
  DisplayControl* display_;
  UiDispatcher& dispatcher_;
};

}  // namespace vombrel
