#include "wave/Waveio.h"

namespace vombrel {

std::string TWaveAudioIO::GetLastErrorText() const {
  std::lock_guard<std::mutex> g(lock_);
  return lastErrorCode_ == 0 ? std::string() : lastErrorText_;
}

int TWaveAudioIO::LastErrorCode() const {
  std::lock_guard<std::mutex> g(lock_);
  return lastErrorCode_;
}

void TWaveAudioIO::SetLastError(int code, const std::string& text) {
  lastErrorCode_ = code;
  lastErrorText_ = code == 0 ? std::string() : text;
}

}  // namespace vombrel
