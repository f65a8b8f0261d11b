#include "platform/Singleinstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/Supportstring.h"

namespace vombrel {

namespace {

// $XDG_RUNTIME_DIR when it names a folder of this user that nobody else can enter.
std::string PrivateRuntimeDir() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || *runtime != '/') return {};
  struct stat st {};
  if (stat(runtime, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 077) != 0) return {};
  std::string folder(runtime);
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string ExecutableFileName() {
  char buffer[4096];
  const auto length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return "vombrel";
  return ExtractFileName(std::string_view(buffer, static_cast<std::size_t>(length)));
}

std::string SingleInstanceLock::PathFor(const std::string& exeFileName) {
  const std::string runtime = PrivateRuntimeDir();
  if (!runtime.empty()) return runtime + "Kelvatro." + exeFileName + ".lock";
  std::error_code ignored;
  std::string temp = std::filesystem::temp_directory_path(ignored).string();
  if (temp.empty()) temp = "/tmp";
  return temp + "/Kelvatro." + exeFileName + "." + std::to_string(geteuid()) + ".lock";
}

SingleInstanceLock::SingleInstanceLock(const std::string& exeFileName) : path_(PathFor(exeFileName)) {
  // O_NOFOLLOW: in the shared temp folder a planted symbolic link must not redirect us.
  const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return;
  }
  fd_ = fd;
}

SingleInstanceLock::~SingleInstanceLock() {
  if (fd_ >= 0) {
    flock(fd_, LOCK_UN);
    close(fd_);
  }
}

}  // namespace vombrel
