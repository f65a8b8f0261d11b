// The main window's view of the output volume: the default sink's volume as the sound
// server reports it (see Volumewatch.h), with its changes delivered on the user-interface
// thread. Reading and writing never wait for the server.
//
// Threads: create, call and destroy on the user-interface thread; `Changed` is emitted
// there, from the event loop.
#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Volumewatch.h"

namespace vombrel {

class TVolumeFollower : public QObject {
  Q_OBJECT

 public:
  // `server` as for TVolumeWatch; empty for the user's own server.
  explicit TVolumeFollower(QObject* parent = nullptr, std::string server = {});
  ~TVolumeFollower() override;

  // The volume bar's position: the right channel, 0..65535; nullopt without a server
  // or sink.
  std::optional<int32_t> Position() const;
  // Both channels to `volume` (clamped to 0..65535), sent without waiting.
  void SetVolume(int32_t volume);

 signals:
  // The server reported a different volume, or it became known or unknown.
  void Changed();

 private:
  std::unique_ptr<TVolumeWatch> watch_;
};

}  // namespace vombrel
