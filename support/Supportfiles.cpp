#include "Supportfiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vombrel {
namespace {

std::optional<std::string> appDirOverride;
std::string userDirChoice = "<UserAppData>";

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string ExecutablePath() {
  char buffer[4096];
  const auto length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(length));
}

namespace {

std::string ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return WithSlash(xdg);
  const char* home = std::getenv("HOME");
  return WithSlash(std::string(home && *home ? home : "/tmp") + "/.config");
}

}  // namespace

bool DirectoryExists(std::string_view path) {
  struct stat st{};
  return stat(std::string(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(std::string_view path) {
  struct stat st{};
  return stat(std::string(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool ForceDirectories(std::string_view folder) {
  std::string path(folder);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  const auto parent = path.rfind('/');
  if (parent != std::string::npos && parent > 0) ForceDirectories(path.substr(0, parent));
  return mkdir(path.c_str(), 0777) == 0 || DirectoryExists(path);
}

void SetAppDirForTesting(std::optional<std::string> folder) {
  appDirOverride = folder ? std::optional<std::string>(WithSlash(*folder)) : std::nullopt;
}

std::string AppDir() {
  if (appDirOverride) return *appDirOverride;
  static const std::string programFolder = [] {
    const std::string folder = ExtractFilePath(ExecutablePath());
    const std::string installed = folder + "../share/vombrel/";
    return DirectoryExists(installed) ? installed : folder;
  }();
  return programFolder;
}

std::string AppSubDir(std::string_view name) {
  std::string folder = WithSlash(AppDir() + std::string(name));
  ForceDirectories(folder);
  return folder;
}

std::string ExeName() {
  static const std::string name = FileBaseName(ExecutablePath());
  return name;
}

std::string ResolveUserDirChoice(std::string_view choice) {
  const std::string upper = UpperCase(choice);
  if (upper == "<USERAPPDATA>") return ConfigHome() + ExeName() + "/";
  if (upper == "<SHAREDAPPDATA>") return "/var/lib/" + ExeName() + "/";
  if (upper == "<APPDIR>") return AppDir() + "User/";
  // A literal path is used exactly as written; names are glued to it directly.
  return std::string(choice);
}

void SetUserDirChoice(std::string_view choice) {
  userDirChoice = std::string(choice);
  const std::string upper = UpperCase(choice);
  if (upper == "<USERAPPDATA>" || upper == "<SHAREDAPPDATA>" || upper == "<APPDIR>")
    ForceDirectories(ResolveUserDirChoice(choice));
}

std::string UserDir() {
  std::string folder = ResolveUserDirChoice(userDirChoice);
  ForceDirectories(folder);
  return folder;
}

std::string UserSubDir(std::string_view name) {
  std::string folder = WithSlash(UserDir() + std::string(name));
  ForceDirectories(folder);
  return folder;
}

std::string FileBaseName(std::string_view path) {
  const std::string name = ExtractFileName(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

StringList ListFiles(std::string_view pattern) {
  StringList result;
  const std::string folder = ExtractFilePath(pattern);
  const std::string namePattern = ExtractFileName(pattern);
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return result;
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    if (fnmatch(namePattern.c_str(), entry->d_name, FNM_CASEFOLD) == 0)
      result.push_back(folder + entry->d_name);
  }
  closedir(dir);
  return result;
}

void ListFileBaseNames(StringList& list, std::string_view pattern) {
  for (const auto& path : ListFiles(pattern)) {
    const std::string name = ExtractFileName(path);
    list.push_back(name.size() > 4 ? name.substr(0, name.size() - 4) : std::string());
  }
}

std::optional<std::string> ReadFileBytes(std::string_view path) {
  const int fd = open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st{};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  // Every read error is a failure: a half-read file must never pass for a short one.
  std::string bytes;
  if (S_ISREG(st.st_mode) && st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const auto n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return bytes;
}

bool WriteFileAtomically(std::string_view path, std::string_view bytes, std::string* error) {
  const std::string target(path);
  std::string temporary = target + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  auto fail = [&](int code) {
    if (error) *error = std::strerror(code);
    return false;
  };
  if (fd < 0) return fail(errno);
  // Keep the permissions of the file being replaced; a new file gets the usual ones.
  struct stat st{};
  const mode_t mode = stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
  fchmod(fd, mode);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const auto n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int code = n < 0 ? errno : ENOSPC;
      close(fd);
      unlink(temporary.c_str());
      return fail(code);
    }
    written += static_cast<std::size_t>(n);
  }
  if (fsync(fd) != 0 || close(fd) != 0) {
    const int code = errno;
    unlink(temporary.c_str());
    return fail(code);
  }
  if (rename(temporary.c_str(), target.c_str()) != 0) {
    const int code = errno;
    unlink(temporary.c_str());
    return fail(code);
  }
  return true;
}

}  // namespace vombrel
