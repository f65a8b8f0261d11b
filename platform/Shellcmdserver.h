// The shell command service: execute strings for the "ShellCmd" topic arrive on a local
// socket, and a client mode sends one.
//
// A service and topic pair is one socket, "DDE.<service>.<topic>" (both lower-cased, as
// service and topic names compare without regard to case) in the program's private
// socket folder (platform/Framedsocket.h). The service is the program file's name up to its
// first "." ("vombrel"). A request is one frame (platform/Handoverframe.h) named
// "XTYP_EXECUTE" whose text is the execute string; the server answers each with a frame
// "DDE_ACK" whose wParam is 1 when a handler took a command and 0 otherwise.
#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Framedsocket.h"
#include "platform/Handoverframe.h"
#include "shell/Shell_DDE.h"

namespace vombrel {

inline constexpr std::string_view kExecuteRequestName = "XTYP_EXECUTE";
inline constexpr std::string_view kExecuteAnswerName = "DDE_ACK";

// The program file's name up to its first ".".
std::string ShellCommandServiceName(std::string_view exeFileName);
// The socket of a service and topic; empty when there is no private socket folder.
std::string ShellCommandSocketPath(std::string_view service, std::string_view topic);

// The execute string of one command and file: "[" the quoted command, a blank, the
// quoted file "]", a quote inside either written twice.
std::string ShellExecuteString(std::string_view command, std::string_view file);

enum class ShellExecuteResult { Handled, NotHandled, NoServer, NoAnswer, Unsendable };

// Sends one execute string and waits up to answerLimit for the answer.
ShellExecuteResult SendShellExecute(std::string_view service, std::string_view topic, std::string_view executeString,
                                    std::chrono::milliseconds answerLimit);

// The client mode: sends ["<command>" "<file>"] to the service's "ShellCmd" topic. When
// no instance serves it, starts `program` without arguments (detached) and waits for its
// service. Returns the exit status: 0 when the command was taken; otherwise 1 after a
// message on standard error.
int RunShellExecuteClient(const std::string& program, std::string_view service, std::string_view command,
                          std::string_view file);

// The serving end. Lives on the user-interface thread. The service exists from Listen;
// requests are executed by the topic set with SetTopic, and answered "not handled" while
// there is none. A peer of another user, a malformed or oversized frame, any other frame
// name, or a connection idle for 5 s makes it drop the connection.
class ShellCommandServer : public QObject {
  Q_OBJECT
 public:
  explicit ShellCommandServer(QObject* parent = nullptr);
  ~ShellCommandServer() override;

  // Call only while holding the single-instance lock: a stale socket is replaced.
  bool Listen(std::string_view service, std::string_view topic = kShellCommandTopic);
  void SetTopic(TShellCommandInterface* topic) { topic_ = topic; }
  const std::string& ServerPath() const { return path_; }

 private:
  void Execute(QPointer<FramedConnection> socket, const std::vector<HandOverFrame>& requests);

  FramedSocketServer* server_;
  TShellCommandInterface* topic_ = nullptr;
  std::string path_;
};

}  // namespace vombrel
