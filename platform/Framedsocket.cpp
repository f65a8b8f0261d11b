#include "platform/Framedsocket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <fcntl.h>

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <memory>
#include <optional>

namespace vombrel {

namespace {

constexpr int kMaxConnections = 8;
constexpr int kIdleMilliseconds = 5000;
bool PeerIsThisUser(int fd) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

}  // namespace

FramedConnection::FramedConnection(int fd, QObject* parent)
    : QObject(parent),
      fd_(fd),
      readable_(new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this)),
      idle_(new QTimer(this)) {
  idle_->setSingleShot(true);
  connect(idle_, &QTimer::timeout, this, &FramedConnection::Drop);
  idle_->start(kIdleMilliseconds);
}

FramedConnection::~FramedConnection() {
  if (fd_ >= 0) close(fd_);
}

bool FramedConnection::Write(std::string_view bytes) {
  if (fd_ >= 0 && SendAllBytes(fd_, bytes)) return true;
  Drop();
  return false;
}

void FramedConnection::Drop() {
  readable_->setEnabled(false);
  idle_->stop();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  deleteLater();
}

FramedSocketServer::FramedSocketServer(Accepts accepts, Receives receives, QObject* parent)
    : QObject(parent), accepts_(std::move(accepts)), receives_(std::move(receives)) {}

FramedSocketServer::~FramedSocketServer() { Close(); }

void FramedSocketServer::Close() {
  if (fd_ < 0) return;
  delete incoming_;
  incoming_ = nullptr;
  close(fd_);
  fd_ = -1;
  unlink(path_.c_str());
}

bool FramedSocketServer::Listen(const std::string& path) {
  Close();
  const std::optional<sockaddr_un> address = PrivateSocketAddress(path);
  if (!address) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  unlink(path.c_str());
  // Only this user may connect, whatever the folder allows.
  if (bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 || chmod(path.c_str(), 0600) != 0 ||
      listen(fd, kMaxConnections) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  path_ = path;
  incoming_ = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
  connect(incoming_, &QSocketNotifier::activated, this, &FramedSocketServer::AcceptConnections);
  return true;
}

void FramedSocketServer::AcceptConnections() {
  for (int fd; (fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0 || errno == EINTR;) {
    if (fd < 0) continue;
    const auto open = findChildren<FramedConnection*>(Qt::FindDirectChildrenOnly).size();
    if (open >= kMaxConnections || !PeerIsThisUser(fd)) {
      close(fd);
      continue;
    }
    auto* socket = new FramedConnection(fd, this);
    connect(socket->readable_, &QSocketNotifier::activated, socket, [this, socket] { ReadFrom(socket); });
  }
}

// Reads what the connection has, up to its end; the frames go to the receiver at once.
// The receiver may run a nested event loop, so the connection is not read meanwhile and
// may be gone when it returns.
void FramedSocketServer::ReadFrom(FramedConnection* socket) {
  socket->idle_->start(kIdleMilliseconds);
  std::vector<HandOverFrame> frames;
  bool malformed = false;
  bool ended = false;
  std::string chunk(kMaxHandOverFrameSize, '\0');
  while (!malformed && !ended) {
    const auto n = recv(socket->fd_, chunk.data(), chunk.size(), MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n <= 0) {
      ended = true;
      break;
    }
    socket->reader_.Append(std::string_view(chunk.data(), static_cast<std::size_t>(n)));
    HandOverFrame frame;
    for (auto status = socket->reader_.Next(&frame); status != HandOverFrameReader::Status::NeedMore;
         status = socket->reader_.Next(&frame)) {
      malformed = status == HandOverFrameReader::Status::Malformed || !accepts_(frame);
      if (malformed) break;
      frames.push_back(std::move(frame));
    }
  }
  if (malformed) {
    socket->Drop();
    receives_(QPointer<FramedConnection>(), frames);
    return;
  }
  const QPointer<FramedConnection> alive(socket);
  if (!frames.empty()) {
    socket->readable_->setEnabled(false);
    receives_(alive, frames);  // an ended connection may still take an answer
  }
  if (!alive || alive->fd_ < 0) return;
  if (ended) {
    alive->Drop();
  } else {
    alive->readable_->setEnabled(true);
  }
}

}  // namespace vombrel
