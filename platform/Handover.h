// The hand-over between a second start and the running instance.
//
// The running instance's main window listens on a local socket named after its class and
// caption and the executable's file name ("TFormVombrel.Vombrel.<exe file name>") in a
// folder only this user can enter ($XDG_RUNTIME_DIR/vombrel/, else
// <temp folder>/vombrel-<uid>/, created with mode 0700 and refused when anyone else owns
// or can enter it). The executable's name keeps copies under other names apart, as the
// lock does; the lock also makes the name safe to take over from a crashed instance.
//
// Frames (Handoverframe.h) carry a message name, wParam and text. A second start sends
// kForegroundMessageName first, then the message for its argument.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Framedsocket.h"
#include "platform/Handoverframe.h"
#include "platform/Singleinstance.h"

namespace vombrel {

// Asks the running instance to raise and activate its main window.
inline constexpr std::string_view kForegroundMessageName = "VOMBREL_FOREGROUND";

// The socket path of the running instance of an executable; empty when no private
// folder can be had.
std::string HandOverServerPath(const std::string& exeFileName = ExecutableFileName());

// Sends one frame to the running instance; false when none listens or sending fails.
// Never waits for the receiver to act (the receiver handles it in its own time).
bool HandOverToRunningInstance(std::string_view messageName, int32_t wParam, std::string_view text,
                               const std::string& exeFileName = ExecutableFileName());

// The second start's steps: asks the running instance to come to the foreground and, for
// a non-empty argument, sends "VOMBREL_OPEN_PLAYLIST_MESSAGE_ID" (IsPlaylistFile) or
// "VOMBREL_ADD_TRACK_MESSAGE_ID" with wParam 1 and the argument as text, over one
// connection. An argument too long for a frame is dropped (the window is still raised).
// False when no instance listens: the caller then ends silently.
bool ForwardToRunningInstance(std::string_view argument, const std::string& exeFileName = ExecutableFileName());

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
