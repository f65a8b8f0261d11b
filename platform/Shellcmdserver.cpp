#include "platform/Shellcmdserver.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QPointer>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Handover.h"
#include "platform/Handoverframe.h"
#include "support/Supportstring.h"

extern char** environ;

namespace vombrel {

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// How long a running instance may take to answer, and a started one to serve.
constexpr milliseconds kAnswerLimit{5000};
constexpr milliseconds kStartLimit{15000};

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

std::string QuotedItem(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// Reads until one answer frame has arrived, the peer closes, or the time is up.
ShellExecuteResult ReadAnswer(int fd, milliseconds limit) {
  HandOverFrameReader reader;
  const auto end = Clock::now() + limit;
  while (true) {
    HandOverFrame frame;
    const auto status = reader.Next(&frame);
    if (status == HandOverFrameReader::Status::Malformed) return ShellExecuteResult::NoAnswer;
    if (status == HandOverFrameReader::Status::Frame)
      return frame.name == kExecuteAnswerName && frame.wParam == 1 ? ShellExecuteResult::Handled
                                                                   : ShellExecuteResult::NotHandled;
    const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now()).count();
    if (left <= 0) return ShellExecuteResult::NoAnswer;
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return ShellExecuteResult::NoAnswer;
    char buffer[4096];
    const auto n = recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return ShellExecuteResult::NoAnswer;
    reader.Append(std::string_view(buffer, static_cast<std::size_t>(n)));
  }
}

// Starts the program without arguments in its own session, so that it outlives us;
// its process id, or -1.
pid_t StartDetached(const std::string& program) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = -1;
  const bool started = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ) == 0;
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return started ? pid : -1;
}

// True once the process has ended (it handed over to an instance that is starting, or
// failed).
bool Ended(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}

}  // namespace

std::string ShellCommandServiceName(std::string_view exeFileName) {
  return std::string(exeFileName.substr(0, exeFileName.find('.')));
}

std::string ShellCommandSocketPath(std::string_view service, std::string_view topic) {
  // The service comes from a file name and may be long: then its hash names the socket.
  return PrivateSocketPath("DDE.", LowerAscii(service) + "." + LowerAscii(topic));
}

std::string ShellExecuteString(std::string_view command, std::string_view file) {
  return "[" + QuotedItem(command) + " " + QuotedItem(file) + "]";
}

ShellExecuteResult SendShellExecute(std::string_view service, std::string_view topic, std::string_view executeString,
                                    milliseconds answerLimit) {
  const auto request = EncodeHandOverFrame({std::string(kExecuteRequestName), 0, std::string(executeString)});
  if (!request) return ShellExecuteResult::Unsendable;
  const std::string path = ShellCommandSocketPath(service, topic);
  if (path.empty()) return ShellExecuteResult::NoServer;
  const int fd = ConnectToPrivateSocket(path);
  if (fd < 0) return ShellExecuteResult::NoServer;
  const ShellExecuteResult result = SendAllBytes(fd, *request) ? ReadAnswer(fd, answerLimit)
                                                               : ShellExecuteResult::NoAnswer;
  close(fd);
  return result;
}

int RunShellExecuteClient(const std::string& program, std::string_view service, std::string_view command,
                          std::string_view file) {
  const std::string text = ShellExecuteString(command, file);
  auto result = SendShellExecute(service, kShellCommandTopic, text, kAnswerLimit);
  const pid_t started = result == ShellExecuteResult::NoServer ? StartDetached(program) : -1;
  if (started > 0) {
    const auto end = Clock::now() + kStartLimit;
    bool ended = false;
    while (result == ShellExecuteResult::NoServer && !ended && Clock::now() < end) {
      std::this_thread::sleep_for(milliseconds(100));
      ended = Ended(started);  // checked before the try, so its service gets a last chance
      const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now());
      result = SendShellExecute(service, kShellCommandTopic, text, std::max(left, milliseconds(1)));
    }
  }
  const char* problem = nullptr;
  switch (result) {
    case ShellExecuteResult::Handled: return 0;
    case ShellExecuteResult::NotHandled: problem = "the command was not taken"; break;
    case ShellExecuteResult::NoServer: problem = "no instance serves it, and none could be started"; break;
    case ShellExecuteResult::NoAnswer: problem = "the running instance does not answer"; break;
    case ShellExecuteResult::Unsendable: problem = "the command is too long or holds a NUL byte"; break;
  }
  std::fprintf(stderr, "%s: cannot send the command to service \"%.*s\", topic \"%.*s\": %s.\n",
               ExtractFileName(program).c_str(), static_cast<int>(service.size()), service.data(),
               static_cast<int>(kShellCommandTopic.size()), kShellCommandTopic.data(), problem);
  return 1;
}

ShellCommandServer::ShellCommandServer(QObject* parent)
    : QObject(parent),
      server_(new FramedSocketServer([](const HandOverFrame& frame) { return frame.name == kExecuteRequestName; },
                                     [this](const QPointer<FramedConnection>& socket,
                                            const std::vector<HandOverFrame>& requests) { Execute(socket, requests); },
                                     this)) {}

ShellCommandServer::~ShellCommandServer() = default;

bool ShellCommandServer::Listen(std::string_view service, std::string_view topic) {
  path_ = ShellCommandSocketPath(service, topic);
  return server_->Listen(path_);
}

// Each request is answered on its connection while that is still open; a handler may
// run a nested event loop (a message box), during which the connection may go away.
void ShellCommandServer::Execute(QPointer<FramedConnection> socket, const std::vector<HandOverFrame>& requests) {
  for (const auto& request : requests) {
    const bool handled = topic_ && topic_->Execute(request.text) > 0;
    if (!socket) continue;
    if (const auto answer = EncodeHandOverFrame({std::string(kExecuteAnswerName), handled ? 1 : 0, {}}))
      socket->Write(*answer);
  }
}

}  // namespace vombrel
