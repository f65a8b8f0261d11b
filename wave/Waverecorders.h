// The recorder: captures from the source named by SourceName (the sound server's default
// source when none is named) into a WAV file or into a stream given as Stock.
//
// Typical use (user-interface thread): set PCMFormat and SourceName, RecordToFile(path), later
// SetActive(false), and GetLastErrorText() after a failure. Destroying the recorder stops
// the recording and waits until its file is finished.
#pragma once

#include <memory>
#include <string>

#include "wave/Wavein.h"
#include "wave/Wavestorage.h"

namespace vombrel {

class TStockAudioRecorder : public TWaveAudioIn {
 public:
  TStockAudioRecorder() = default;
  ~TStockAudioRecorder() override;
  TStockAudioRecorder(const TStockAudioRecorder&) = delete;
  TStockAudioRecorder& operator=(const TStockAudioRecorder&) = delete;

  // Creates the file (replacing an existing one), held exclusively while recording, and
  // starts recording into it. A running recording is finished first. True when the device
  // opened; false when the server refused it (header-only file, the reason in
  // GetLastErrorText). Throws EFCreateError when the file cannot be created (nothing else
  // changes, a running recording goes on), EWaveAudioError when the format is refused.
  bool RecordToFile(const std::string& path);

  // The stream SetActive(true) records into; not owned, must outlive the recording.
  TByteStream* Stock() const { return stock_; }
  void SetStock(TByteStream* stream) { stock_ = stream; }

  // false: stops. true: records into Stock (EInvalidOperation "Stock property is not
  // assigned" without one); when the device does not open, nothing is recorded and the
  // reason is the last error.
  void SetActive(bool active) override;

 protected:
  void DoPrepare(const TWaveFormatEx& format) override;
  bool DoData(const char* data, size_t size, std::string& reason) override;
  void DoClosed() override;
  void DoAbandon() override;

 private:
  bool StartWith(std::unique_ptr<TWaveStreamAdapter> adapter);
  TByteStream* stock_ = nullptr;
  std::unique_ptr<TWaveStreamAdapter> adapter_;  // under lock_
};

}  // namespace vombrel
