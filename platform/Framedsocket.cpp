#include "platform/Framedsocket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
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
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, kMaxSocketPath);
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
