#include "platform/Handover.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/Handoverframe.h"
#include "playlist/Playlisthandover.h"

namespace vombrel {

namespace {

constexpr int kMaxConnections = 8;
constexpr int kIdleMilliseconds = 5000;
constexpr std::size_t kMaxSocketPath = sizeof(sockaddr_un{}.sun_path) - 1;

// True when folder is a real folder (no link) of this user that nobody else can enter.
bool IsPrivateFolder(const std::string& folder) {
  struct stat st{};
  return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & 077) == 0;
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

namespace {

bool AcceptedName(std::string_view name) {
  return name == kForegroundMessageName || HandOverMessageFromName(name).has_value();
}

bool PeerIsThisUser(QLocalSocket* socket) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                    &size) == 0 &&
         peer.uid == geteuid();
}

// Writes all bytes to a connected socket.
bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Connects to the running instance and sends the frames; false when none listens.
bool SendFrames(const std::string& exeFileName, const std::vector<HandOverFrame>& frames) {
  const std::string path = HandOverServerPath(exeFileName);
  if (path.empty()) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, kMaxSocketPath);
  bool sent = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  for (const auto& frame : frames) {
    if (!sent) break;
    // A frame that cannot be encoded (an over-long argument) is dropped, not sent.
    if (const auto bytes = EncodeHandOverFrame(frame)) sent = SendAll(fd, *bytes);
  }
  close(fd);
  return sent;
}

}  // namespace

std::string HandOverServerPath(const std::string& exeFileName) {
  const std::string folder = PrivateSocketFolder();
  if (folder.empty()) return {};
  std::string path = folder + "TFormVombrel.Vombrel." + exeFileName;
  // Socket addresses are short; a very long executable name is replaced by its hash.
  if (path.size() > kMaxSocketPath)
    path = folder + "TFormVombrel.Vombrel.#" + std::to_string(std::hash<std::string>{}(exeFileName));
  return path.size() > kMaxSocketPath ? std::string() : path;
}

bool HandOverToRunningInstance(std::string_view messageName, int32_t wParam, std::string_view text,
                               const std::string& exeFileName) {
  return SendFrames(exeFileName, {{std::string(messageName), wParam, std::string(text)}});
}

bool ForwardToRunningInstance(std::string_view argument, const std::string& exeFileName) {
  std::vector<HandOverFrame> frames{{std::string(kForegroundMessageName), 0, {}}};
  if (!argument.empty())
    frames.push_back({std::string(HandOverMessageName(MessageForArgument(argument))), 1,
                      std::string(argument)});
  return SendFrames(exeFileName, frames);
}

HandOverServer::HandOverServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  server_->setMaxPendingConnections(kMaxConnections);
  connect(server_, &QLocalServer::newConnection, this, &HandOverServer::AcceptConnections);
}

HandOverServer::~HandOverServer() = default;

bool HandOverServer::Listen(const std::string& exeFileName) {
  path_ = HandOverServerPath(exeFileName);
  if (path_.empty()) return false;
  const QString name = QString::fromStdString(path_);
  // The caller holds the lock, so a socket file here was left by a crashed instance.
  QLocalServer::removeServer(name);
  return server_->listen(name);
}

void HandOverServer::AcceptConnections() {
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

void HandOverServer::Drop(QLocalSocket* socket) {
  socket->abort();
  socket->deleteLater();
}

void HandOverServer::ReadFrom(QLocalSocket* socket, HandOverFrameReader& reader) {
  std::vector<HandOverFrame> frames;
  bool malformed = false;
  // Bounded reads: a flood is taken in pieces no larger than one frame.
  while (!malformed && socket->bytesAvailable() > 0) {
    const QByteArray chunk = socket->read(static_cast<qint64>(kMaxHandOverFrameSize));
    reader.Append(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
    HandOverFrame frame;
    for (auto status = reader.Next(&frame); status != HandOverFrameReader::Status::NeedMore;
         status = reader.Next(&frame)) {
      malformed = status == HandOverFrameReader::Status::Malformed || !AcceptedName(frame.name);
      if (malformed) break;
      frames.push_back(std::move(frame));
    }
  }
  if (malformed) Drop(socket);
  // Emitted after reading: a receiver may run a nested event loop (a message box).
  for (const auto& frame : frames) Deliver(frame);
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
