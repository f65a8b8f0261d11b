#include "platform/Volumefollower.h"

#include <algorithm>

namespace vombrel {

TVolumeFollower::TVolumeFollower(QObject* parent, std::string server) : QObject(parent) {
  // The watch calls from its own thread; the queued call lands on this object's thread
  // and is dropped if this object is gone by then.
  watch_ = std::make_unique<TVolumeWatch>(
      [this] { QMetaObject::invokeMethod(this, &TVolumeFollower::Changed, Qt::QueuedConnection); }, std::move(server));
}

// The watch's thread ends before the object it calls back into.
TVolumeFollower::~TVolumeFollower() { watch_.reset(); }

std::optional<int32_t> TVolumeFollower::Position() const {
  const auto word = watch_->Volume();
  if (!word) return std::nullopt;
  return static_cast<int32_t>(*word >> 16);
}

void TVolumeFollower::SetVolume(int32_t volume) {
  const auto v = static_cast<uint32_t>(std::clamp(volume, 0, 65535));
  watch_->SetVolume(v * 65537U);
}

}  // namespace vombrel
