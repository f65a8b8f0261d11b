#include "platform/Framedsocket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <memory>

namespace vombrel {

namespace {

constexpr int kMaxConnections = 8;
constexpr int kIdleMilliseconds = 5000;

bool PeerIsThisUser(QLocalSocket* socket) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         peer.uid == geteuid();
}

void Drop(QLocalSocket* socket) {
  socket->abort();
  socket->deleteLater();
}

}  // namespace

FramedSocketServer::FramedSocketServer(Accepts accepts, Receives receives, QObject* parent)
    : QObject(parent), accepts_(std::move(accepts)), receives_(std::move(receives)), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  server_->setMaxPendingConnections(kMaxConnections);
  connect(server_, &QLocalServer::newConnection, this, &FramedSocketServer::AcceptConnections);
}

FramedSocketServer::~FramedSocketServer() = default;

bool FramedSocketServer::Listen(const std::string& path) {
  if (path.empty()) return false;
  const QString name = QString::fromStdString(path);
  QLocalServer::removeServer(name);
  return server_->listen(name);
}

void FramedSocketServer::AcceptConnections() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    socket->setParent(this);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const auto open = findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly).size();
    if (open > kMaxConnections || !PeerIsThisUser(socket)) {
      Drop(socket);
      continue;
    }
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, [socket] { Drop(socket); });
    idle->start(kIdleMilliseconds);
    auto reader = std::make_shared<HandOverFrameReader>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader, idle] {
      idle->start(kIdleMilliseconds);
      ReadFrom(socket, *reader);
    });
    if (socket->bytesAvailable() > 0) ReadFrom(socket, *reader);
  }
}

void FramedSocketServer::ReadFrom(QLocalSocket* socket, HandOverFrameReader& reader) {
  std::vector<HandOverFrame> frames;
  bool malformed = false;
  while (!malformed && socket->bytesAvailable() > 0) {
    const QByteArray chunk = socket->read(static_cast<qint64>(kMaxHandOverFrameSize));
    reader.Append(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
    HandOverFrame frame;
    for (auto status = reader.Next(&frame); status != HandOverFrameReader::Status::NeedMore;
         status = reader.Next(&frame)) {
      malformed = status == HandOverFrameReader::Status::Malformed || !accepts_(frame);
      if (malformed) break;
      frames.push_back(std::move(frame));
    }
  }
  if (malformed) Drop(socket);
  receives_(malformed ? QPointer<QLocalSocket>() : QPointer<QLocalSocket>(socket), frames);
}

}  // namespace vombrel
