// The wave-input device: a record stream of the sound server in the chosen PCM format,
// from the source named by SourceName (the server's default source when none is named),
// captured on the engine's own thread.
//
// Threads. The user-interface thread opens (OpenDevice) and stops (CloseDevice) the
// device; it never waits for captured data, only for a pending close before reopening
// and while the device is destroyed. Each recording has an engine thread of its own (the
// sound server connection's event loop, one priority step above normal); it collects the
// sound into buffers of CalcWaveBufferSize(format, BufferLength()) bytes and hands each
// full buffer, one at a time and in order, to DoData under the device's lock. Stopping
// hands over the part of the current buffer captured so far, then DoClosed runs on the
// engine thread and the device is closed.
//
// States: closed (not Active), opening (inside OpenDevice), capturing (Active, device
// open), closing (Active, close requested, until DoClosed has run).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "wave/Waveio.h"
#include "wave/Waveutils.h"

namespace vombrel {

// What one recording's engine thread measured; read with CaptureStats() (any thread).
struct TCaptureStats {
  uint64_t bytesWritten = 0;  // handed to DoData and accepted
  uint64_t bytesMissing = 0;  // gaps the server reported in the stream
  uint32_t overflows = 0;     // times the server had to drop sound it could not hand over
  uint32_t buffersWritten = 0;
  double maxArrivalToWriteMs = 0;  // a full buffer's last byte arriving -> its DoData returning
  double threadCpuSeconds = 0;     // CPU time of the engine thread while capturing
  double startupSeconds = 0;       // wall time from the device's start to its first sound
  double capturedSeconds = 0;      // wall time from the first sound to the close
};

class TWaveAudioIn : public TWaveAudioIO {
 public:
  TWaveAudioIn();
  ~TWaveAudioIn() override;
  TWaveAudioIn(const TWaveAudioIn&) = delete;
  TWaveAudioIn& operator=(const TWaveAudioIn&) = delete;

  TPCMFormat PCMFormat() const;
  // Throws EInvalidOperation "Audio format cannot be changed while device is open" when the
  // device is open and the value differs.
  void SetPCMFormat(TPCMFormat format);

  // The server's name of the source to record from; empty for the server's default
  // source. Taken at the next open; a source that does not exist makes the open fail.
  std::string SourceName() const;
  void SetSourceName(const std::string& name);

  // True from just before the device opens until its close has been handled.
  bool Active() const;
  // false: stops the recording (nothing when not Active). true: see the recorder.
  virtual void SetActive(bool active);

  // Blocks until no recording is open or closing (user-interface thread).
  void WaitUntilClosed();

  TCaptureStats CaptureStats() const;

  struct Capture;  // one recording's connection, stream and buffer (engine internals)

  // Opens the device. False when an open is already in progress or the server refused
  // the stream (the code is then the last error); throws EInvalidOperation "Device is
  // aleardy open" when Active, EWaveAudioError when the format is refused.
  bool OpenDevice();
  // Stops: requests the close and returns without waiting for it. Throws
  // EInvalidOperation "Device is aleardy close" when not Active.
  void CloseDevice();

 protected:
  // Stops, waits for the close and frees the engine thread. Destructors of derived
  // classes call it first, while their hooks still exist.
  void Shutdown();

  // Hooks, all called with lock_ held.
  // User-interface thread, during the open, before the server is asked.
  virtual void DoPrepare(const TWaveFormatEx& /*format*/) {}
  // Engine thread: a buffer of captured bytes. False with a reason when not all of them
  // could be kept.
  virtual bool DoData(const char* /*data*/, size_t /*size*/, std::string& /*reason*/) { return true; }
  // Engine thread: the device has closed (stop, or the server went away).
  virtual void DoClosed() {}
  // User-interface thread: an open failed before the device existed.
  virtual void DoAbandon() {}

 private:
  friend struct CaptureCallbacks;
  void ReleaseCapture();
  void DeliverBuffer(const char* data, size_t size, double arrivalMs);
  void FinishCapture(Capture& capture, int errorCode);
  [[noreturn]] void RaiseDeviceError(int code);

  TPCMFormat pcmFormat_ = Mono16bit8000Hz;
  std::string sourceName_;
  bool opening_ = false;
  bool closing_ = false;
  bool active_ = false;
  bool deviceOpen_ = false;
  TWaveFormatEx format_;
  TCaptureStats stats_;
  std::unique_ptr<Capture> capture_;  // touched by the user-interface thread only
};

}  // namespace vombrel
