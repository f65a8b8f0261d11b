// The hand-over between a second start and the running instance: the running instance's
// end. The second start's end, its socket's name and the frames it sends are in
// Handoverclient.h.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Framedsocket.h"
#include "platform/Handoverclient.h"
#include "platform/Handoverframe.h"
#include "platform/Singleinstance.h"

namespace vombrel {

// The running instance's end. Lives on the user-interface thread; its signals are
// emitted there. Only the three hand-over messages and the foreground request are
// accepted; any other name, a malformed or oversized frame, a peer of another user, or a
// connection idle for 5 s makes it drop the connection. A partial frame of a client that
// disconnects is discarded.
class HandOverServer : public QObject {
  Q_OBJECT
 public:
  explicit HandOverServer(QObject* parent = nullptr);
  ~HandOverServer() override;

  // Starts listening for the executable; a stale socket left by a crashed instance is
  // replaced (call it only while holding the SingleInstanceLock). False on failure.
  bool Listen(const std::string& exeFileName = ExecutableFileName());
  std::string ServerPath() const { return path_; }

 signals:
  // One of "VOMBREL_ADD_TRACK_MESSAGE_ID", "VOMBREL_OPEN_PLAYLIST_MESSAGE_ID",
  // "VOMBREL_ENQUEUE_TRACK_MESSAGE_ID"; text is the argument's bytes.
  void messageReceived(const QString& name, int wParam, const QByteArray& text);
  void foregroundRequested();

 private:
  void Deliver(const HandOverFrame& frame);

  FramedSocketServer* server_;
  std::string path_;
};

}  // namespace vombrel
