// The server side of the program's local sockets (Privatesocket.h has their paths and the
// client's side), shared by the hand-over and the shell command service.
//
// The server lives on the user-interface thread and works on plain sockets with the
// event loop's socket notifiers (no network module is loaded for it). It accepts at most eight connections,
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

class QSocketNotifier;
class QTimer;

namespace vombrel {

// One accepted connection of a FramedSocketServer; owned by the server, deleted (later)
// when the peer goes away or the connection is dropped.
class FramedConnection : public QObject {
  Q_OBJECT

 public:
  FramedConnection(int fd, QObject* parent);
  ~FramedConnection() override;

  // Sends all bytes; false when the peer is gone (the connection is then dropped).
  bool Write(std::string_view bytes);
  // Closes the connection at once; the object goes later.
  void Drop();

 private:
  friend class FramedSocketServer;
  int fd_;
  QSocketNotifier* readable_;
  QTimer* idle_;
  HandOverFrameReader reader_;
};

class FramedSocketServer : public QObject {
  Q_OBJECT

 public:
  // Which frames a connection may send; any other drops it.
  using Accepts = std::function<bool(const HandOverFrame&)>;
  // The frames of one read; `socket` is null when the connection was dropped in it.
  using Receives =
      std::function<void(const QPointer<FramedConnection>& socket, const std::vector<HandOverFrame>& frames)>;

  FramedSocketServer(Accepts accepts, Receives receives, QObject* parent = nullptr);
  ~FramedSocketServer() override;

  // Listens on the path; a socket file left there is replaced (call it only while no
  // other instance can own the path). False on failure. The socket file goes with the server.
  bool Listen(const std::string& path);

 private:
  void Close();
  void AcceptConnections();
  void ReadFrom(FramedConnection* socket);

  Accepts accepts_;
  Receives receives_;
  int fd_ = -1;
  std::string path_;  // the socket file, removed when the server closes
  QSocketNotifier* incoming_ = nullptr;
};

}  // namespace vombrel
