// The server side of the program's local sockets (Privatesocket.h has their paths and the
// client's side), shared by the hand-over and the shell command service.
//
// The server lives on the user-interface thread. It accepts at most eight connections,
// only from processes of this user; a connection that sends nothing for 5 s, or a frame
// that is malformed, oversized or not accepted, is dropped. Frames are read in pieces no
// larger than one frame and handed over after each read, all at once: a receiver may run
// a nested event loop (a message box), during which the connection may go away.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Handoverframe.h"
#include "platform/Privatesocket.h"

class QLocalServer;
class QLocalSocket;

namespace vombrel {

class FramedSocketServer : public QObject {
  Q_OBJECT

 public:
  // Which frames a connection may send; any other drops it.
  using Accepts = std::function<bool(const HandOverFrame&)>;
  // The frames of one read; `socket` is null when the connection was dropped in it.
  using Receives = std::function<void(const QPointer<QLocalSocket>& socket, const std::vector<HandOverFrame>& frames)>;

  FramedSocketServer(Accepts accepts, Receives receives, QObject* parent = nullptr);
  ~FramedSocketServer() override;

  // Listens on the path; a socket file left there is replaced (call it only while no
  // other instance can own the path). False on failure.
  bool Listen(const std::string& path);

 private:
  void AcceptConnections();
  void ReadFrom(QLocalSocket* socket, HandOverFrameReader& reader);

  Accepts accepts_;
  Receives receives_;
  QLocalServer* server_;
};

}  // namespace vombrel
