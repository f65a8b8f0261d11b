#include "platform/Privatesocket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace vombrel {

namespace {

constexpr std::size_t kMaxSocketPath = sizeof(sockaddr_un{}.sun_path) - 1;

// True when folder is a real folder (no link) of this user that nobody else can enter.
bool IsPrivateFolder(const std::string& folder) {
  struct stat st {};
  return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
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

std::optional<sockaddr_un> PrivateSocketAddress(const std::string& path) {
  if (path.empty() || path.size() > kMaxSocketPath) return std::nullopt;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, kMaxSocketPath);
  return address;
}

int ConnectToPrivateSocket(const std::string& path) {
  const std::optional<sockaddr_un> address = PrivateSocketAddress(path);
  if (!address) return -1;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) return fd;
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

}  // namespace vombrel
