// The output volume as the sound server reports it: the volume word of the server's
// default sink, followed through the server's change events on a thread of the watch's
// own, so that nobody ever waits for the server.
//
// Threads: the watch's thread owns the connection and runs every callback of the sound
// library. `Volume` and `SetVolume` may be called from any thread and return at once
// whatever the server does: absent, hung (stopped), gone away or restarting. The change
// handler runs on the watch's thread.
// Connection: made on the watch's thread right after construction; when it fails or
// breaks, it is tried again after a pause that grows from a tenth of a second to a few
// seconds and starts short again after every success. Between those attempts the thread
// sleeps: nothing is polled.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vombrel {

class TVolumeWatch {
 public:
  // Runs on the watch's thread each time `Volume` gives a different answer because of
  // the server (a change reported by it, the default sink replaced, the connection made
  // or lost); never for the watch's own writes before the server confirms them.
  using ChangeHandler = std::function<void()>;

  // `server` is an address as PULSE_SERVER takes it ("unix:/path/native"); empty for the
  // user's own server (PULSE_SERVER or the session's).
  explicit TVolumeWatch(ChangeHandler onChange, std::string server = {});
  // Stops the thread; closing the connection does not wait for the server either.
  ~TVolumeWatch();
  TVolumeWatch(const TVolumeWatch&) = delete;
  TVolumeWatch& operator=(const TVolumeWatch&) = delete;

  // The default sink's volume word (left channel in the low 16 bits, right in the high,
  // 0..65535 each for 0..100 %): the server's last report, or this watch's last write
  // while the server has not answered it yet. nullopt without a connection or sink.
  std::optional<uint32_t> Volume() const;

  // Sends a volume word to the default sink without waiting. One write at a time is on
  // its way to the server; writes made meanwhile replace each other, so only the latest
  // follows. A write made while a connection is being made waits for it; one made while
  // the server is away (between failed attempts) is dropped.
  void SetVolume(uint32_t word);

  // The connection to the server is up (it may still be hung).
  bool Connected() const;

 private:
  class Loop;
  std::unique_ptr<Loop> loop_;
};

}  // namespace vombrel
