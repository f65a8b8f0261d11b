#include "platform/Handover.h"

#include <unistd.h>

#include "platform/Handoverframe.h"
#include "playlist/Playlisthandover.h"

namespace vombrel {

namespace {

bool AcceptedName(std::string_view name) {
  return name == kForegroundMessageName || HandOverMessageFromName(name).has_value();
}

// Connects to the running instance and sends the frames; false when none listens.
bool SendFrames(const std::string& exeFileName, const std::vector<HandOverFrame>& frames) {
  const int fd = ConnectToPrivateSocket(HandOverServerPath(exeFileName));
  if (fd < 0) return false;
  bool sent = true;
  for (const auto& frame : frames) {
    if (!sent) break;
    // A frame that cannot be encoded (an over-long argument) is dropped, not sent.
    if (const auto bytes = EncodeHandOverFrame(frame)) sent = SendAllBytes(fd, *bytes);
  }
  close(fd);
  return sent;
}

}  // namespace

std::string HandOverServerPath(const std::string& exeFileName) {
  return PrivateSocketPath("TFormVombrel.Vombrel.", exeFileName);
}

bool HandOverToRunningInstance(std::string_view messageName, int32_t wParam, std::string_view text,
                               const std::string& exeFileName) {
  return SendFrames(exeFileName, {{std::string(messageName), wParam, std::string(text)}});
}

bool ForwardToRunningInstance(std::string_view argument, const std::string& exeFileName) {
  std::vector<HandOverFrame> frames{{std::string(kForegroundMessageName), 0, {}}};
  if (!argument.empty())
    frames.push_back({std::string(HandOverMessageName(MessageForArgument(argument))), 1, std::string(argument)});
  return SendFrames(exeFileName, frames);
}

HandOverServer::HandOverServer(QObject* parent)
    : QObject(parent),
      server_(
          new FramedSocketServer([](const HandOverFrame& frame) { return AcceptedName(frame.name); },
                                 [this](const QPointer<FramedConnection>&, const std::vector<HandOverFrame>& frames) {
                                   for (const auto& frame : frames) Deliver(frame);
                                 },
                                 this)) {}

HandOverServer::~HandOverServer() = default;

bool HandOverServer::Listen(const std::string& exeFileName) {
  path_ = HandOverServerPath(exeFileName);
  // The caller holds the lock, so a socket file there was left by a crashed instance.
  return server_->Listen(path_);
}

void HandOverServer::Deliver(const HandOverFrame& frame) {
  if (frame.name == kForegroundMessageName) {
    emit foregroundRequested();
    return;
  }
  emit messageReceived(QString::fromStdString(frame.name), frame.wParam,
                       QByteArray(frame.text.data(), static_cast<qsizetype>(frame.text.size())));
}

}  // namespace vombrel
