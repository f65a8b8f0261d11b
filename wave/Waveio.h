// Common ground of the wave devices: buffer settings, the device's lock, the last error,
// and the open/close bookkeeping that the recording engine's states are made of.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "wave/Waveutils.h"

namespace vombrel {

// The platform's default input device: the server's default source.
inline constexpr int WAVE_MAPPER = -1;

// Error codes of the engine besides the sound server's own (which are positive and have
// the server's texts).
inline constexpr int kWaveErrorGeneral = -1;   // a write of captured bytes failed
inline constexpr int kWaveErrorNoMemory = -7;  // a buffer could not be had

class TWaveAudioIO {
 public:
  TWaveAudioIO() = default;
  virtual ~TWaveAudioIO() = default;
  TWaveAudioIO(const TWaveAudioIO&) = delete;
  TWaveAudioIO& operator=(const TWaveAudioIO&) = delete;

  // Milliseconds of sound per buffer; values below 10 become 10.
  uint32_t BufferLength() const { return bufferLength_; }
  void SetBufferLength(uint32_t milliseconds) { bufferLength_ = milliseconds < 10 ? 10 : milliseconds; }
  // Buffers the device may hold at once (at least 1).
  uint32_t BufferCount() const { return bufferCount_; }
  void SetBufferCount(uint32_t count) { bufferCount_ = count < 1 ? 1 : count; }
  // Kept for the window's settings; capture always runs on the engine's own thread.
  bool Async() const { return async_; }
  void SetAsync(bool async) { async_ = async; }
  int DeviceID() const { return WAVE_MAPPER; }

  // The server's text for the last error; empty when there is none. Any thread.
  std::string GetLastErrorText() const;
  int LastErrorCode() const;

  // Runs on the engine's thread when capture reports an error it goes on or stops after
  // (a failed write, the server gone away); the handler must hand the text to the user
  // interface thread itself and must not wait for that thread. Assign before recording.
  // After the server went away it runs just after Active() has turned false; destroying
  // the device waits until it has returned.
  std::function<void(const std::string&)> OnError;

 protected:
  // Stores the code and its text as the last error. Caller holds lock_ or is the only
  // thread touching the device.
  void SetLastError(int code, const std::string& text);

  // The device's lock: the user-interface thread holds it to open and stop the device,
  // the engine's thread while it handles a notification (open, data, close).
  mutable std::mutex lock_;
  std::condition_variable stateChanged_;  // with lock_: opening or closing finished

 private:
  uint32_t bufferLength_ = 1000;
  uint32_t bufferCount_ = 2;
  bool async_ = false;
  int lastErrorCode_ = 0;
  std::string lastErrorText_;
};

}  // namespace vombrel
