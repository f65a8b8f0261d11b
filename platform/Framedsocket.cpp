#include "platform/Framedsocket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <fcntl.h>

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

namespace vombrel {

namespace {

constexpr int kMaxConnections = 8;
constexpr int kIdleMilliseconds = 5000;
constexpr std::size_t kMaxSocketPath = sizeof(sockaddr_un{}.sun_path) - 1;

// True when folder is a real folder (no link) of this user that nobody else can enter.
bool IsPrivateFolder(const std::string& folder) {
  struct stat st {};
  return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

bool PeerIsThisUser(int fd) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, kMaxSocketPath);
  return address;
}

}  // namespace

std::string PrivateSocketFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base;
  std::string name = "vombrel";
  if (runtime && *runtime == '/' && IsPrivateFolder(runtime)) {
    base = runtime;
  } else {
    std::error_code ignored;
    base = std::filesystem::temp_directory_path(ignored).string();
    if (base.empty()) base = "/tmp";
    name += "-" + std::to_string(geteuid());
  }
  if (base.back() != '/') base += '/';
  const std::string folder = base + name;
  mkdir(folder.c_str(), 0700);  // an existing one is checked below, whoever made it
  return IsPrivateFolder(folder) ? folder + "/" : std::string();
}

std::string PrivateSocketPath(std::string_view prefix, std::string_view name) {
  const std::string folder = PrivateSocketFolder();
  if (folder.empty()) return {};
  std::string path = folder + std::string(prefix) + std::string(name);
  if (path.size() > kMaxSocketPath || name.find('/') != std::string_view::npos)
    path = folder + std::string(prefix) + "#" + std::to_string(std::hash<std::string_view>{}(name));
  return path.size() > kMaxSocketPath ? std::string() : path;
}

int ConnectToPrivateSocket(const std::string& path) {
  if (path.empty() || path.size() > kMaxSocketPath) return -1;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const sockaddr_un address = AddressOf(path);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
  close(fd);
  return -1;
}

bool SendAllBytes(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

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
  if (path.empty() || path.size() > kMaxSocketPath) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  unlink(path.c_str());
  const sockaddr_un address = AddressOf(path);
  // Only this user may connect, whatever the folder allows.
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || chmod(path.c_str(), 0600) != 0 ||
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
