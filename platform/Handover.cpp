#include "platform/Handover.h"

#include "platform/Handoverframe.h"
#include "playlist/Playlisthandover.h"

namespace vombrel {

namespace {

bool AcceptedName(std::string_view name) {
  return name == kForegroundMessageName || HandOverMessageFromName(name).has_value();
}

}  // namespace

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
