#include "wave/Waverecorders.h"

#include <thread>

namespace vombrel {

TStockAudioRecorder::~TStockAudioRecorder() { Shutdown(); }

bool TStockAudioRecorder::RecordToFile(const std::string& path) {
  auto file = TFileStream::CreateExclusive(path);
  if (Active()) {
    SetActive(false);
    std::this_thread::yield();
  }
  // The running file is finished before the new one starts.
  WaitUntilClosed();
  return StartWith(std::make_unique<TWaveStreamAdapter>(file.release(), true));
}

void TStockAudioRecorder::SetActive(bool active) {
  if (!active) {
    TWaveAudioIn::SetActive(false);
    return;
  }
  if (Active()) return;
  if (!stock_) throw EInvalidOperation("Stock property is not assigned");
  StartWith(std::make_unique<TWaveStreamAdapter>(stock_, false));
}

bool TStockAudioRecorder::StartWith(std::unique_ptr<TWaveStreamAdapter> adapter) {
  {
    std::lock_guard<std::mutex> g(lock_);
    adapter_ = std::move(adapter);
  }
  if (OpenDevice()) return true;
  std::lock_guard<std::mutex> g(lock_);
  adapter_.reset();  // finishes the header-only file
  return false;
}

void TStockAudioRecorder::DoPrepare(const TWaveFormatEx& format) {
  if (adapter_) adapter_->BeginRewrite(format);
}

bool TStockAudioRecorder::DoData(const char* data, size_t size, std::string& reason) {
  if (!adapter_ || !adapter_->Started()) return true;  // a failed header: nothing is written
  if (adapter_->Write(data, size) == size) return true;
  reason = adapter_->Stream().LastError();
  if (reason.empty()) reason = "The recording has reached the largest size a WAV file can hold.";
  return false;
}

void TStockAudioRecorder::DoClosed() { adapter_.reset(); }

void TStockAudioRecorder::DoAbandon() { adapter_.reset(); }

}  // namespace vombrel
