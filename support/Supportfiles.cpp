#include "Supportfiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

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
  struct stat st {};
  return stat(std::string(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(std::string_view path) {
  struct stat st {};
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
    if (fnmatch(namePattern.c_str(), entry->d_name, FNM_CASEFOLD) == 0) result.push_back(folder + entry->d_name);
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

std::string ListedFilePath(std::string_view folder, std::string_view baseName, std::string_view extension) {
  std::string exact = std::string(folder) + std::string(baseName) + std::string(extension);
  struct stat st {};
  if (lstat(exact.c_str(), &st) == 0) return exact;
  for (const std::string& listed : ListFiles(std::string(folder) + "*" + std::string(extension))) {
    const std::string name = ExtractFileName(listed);
    if (name.size() == baseName.size() + extension.size() && name.compare(0, baseName.size(), baseName) == 0 &&
        SameText(std::string_view(name).substr(baseName.size()), extension))
      return listed;
  }
  return exact;
}

bool IsRegularFile(std::string_view path) {
  struct stat st {};
  return stat(std::string(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

int NotRegularError(mode_t mode) { return S_ISDIR(mode) ? EISDIR : kNotRegularFileError; }

}  // namespace

int OpenRegularFile(std::string_view path) {
  const std::string name(path);
  // Looked at before opening: opening a device can have effects of its own.
  struct stat st {};
  if (stat(name.c_str(), &st) != 0) return -1;
  if (!S_ISREG(st.st_mode)) {
    errno = NotRegularError(st.st_mode);
    return -1;
  }
  // Non-blocking, in case a pipe took the file's place since: the open cannot hang.
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return -1;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int code = S_ISREG(st.st_mode) ? errno : NotRegularError(st.st_mode);
    close(fd);
    errno = code;
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::string FileErrorText(int error) {
  if (error == kNotRegularFileError) return "Not a regular file";
  // strerror may share one buffer between threads; the GNU strerror_r fills ours (or
  // returns a text of its own).
  char buffer[256];
  return strerror_r(error, buffer, sizeof buffer);
}

std::optional<std::string> ReadFileBytes(std::string_view path, int* error) {
  auto fail = [&](int code) -> std::optional<std::string> {
    if (error) *error = code;
    return std::nullopt;
  };
  const int fd = OpenRegularFile(path);
  if (fd < 0) return fail(errno);
  struct stat st {};
  if (fstat(fd, &st) != 0) st.st_size = 0;
  std::string bytes;
  // The size is only a hint (the file may change while it is read), and a bounded one.
  if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(std::min<off_t>(st.st_size, off_t{64} << 20)));
  // Every read error is a failure: a half-read file must never pass for a short one.
  char buffer[65536];
  for (;;) {
    const auto n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int code = errno;
      close(fd);
      return fail(code);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return bytes;
}

namespace {

constexpr int kMaxLinkHops = 40;

// The file a path leads to after every symbolic link at its end has been followed (a
// dangling link leads to the file it would create); nullopt with errno on a loop.
std::optional<std::string> FollowLinks(std::string path) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    const auto length = readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    if (length == 0) {
      errno = ENOENT;
      return std::nullopt;
    }
    if (static_cast<std::size_t>(length) >= target.size()) {
      errno = ENAMETOOLONG;  // the link changed while being read
      return std::nullopt;
    }
    target.resize(static_cast<std::size_t>(length));
    if (target.front() == '/') {
      path = target;
    } else {
      path = ExtractFilePath(path);
      path += target;
    }
  }
  errno = ELOOP;
  return std::nullopt;
}

// Whether the mode grants anybody write access: what protects a file (or folder) from
// being replaced even where the permission test passes (the superuser).
bool ModeAllowsWriting(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

// 0 when the user may replace the file at target (whose stat is given when it exists),
// else the errno-style reason.
int ReplaceRefusal(const std::string& target, const struct stat* existing) {
  const std::string folder = ExtractFilePath(target).empty() ? "." : ExtractFilePath(target);
  struct stat dir {};
  if (stat(folder.c_str(), &dir) != 0) return errno;
  if (!ModeAllowsWriting(dir.st_mode)) return EACCES;
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errno;
  if (!existing) return 0;
  if (!S_ISREG(existing->st_mode)) return NotRegularError(existing->st_mode);
  if (!ModeAllowsWriting(existing->st_mode)) return EACCES;
  if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno;
  return 0;
}

// A new, empty file beside the target, created with rw-rw-rw- less the umask (so the
// system applies the umask, and a default ACL, as for any new file); -1 with errno.
int CreateTemporaryBeside(const std::string& target, std::string& name) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + ".";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const auto n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(std::string_view path, std::string_view bytes, std::string* error) {
  auto fail = [&](int code) {
    if (error) *error = FileErrorText(code);
    return false;
  };
  const auto followed = FollowLinks(std::string(path));
  if (!followed) return fail(errno);
  const std::string& target = *followed;
  struct stat st {};
  const bool exists = stat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return fail(errno);
  if (const int refusal = ReplaceRefusal(target, exists ? &st : nullptr)) return fail(refusal);

  std::string temporary;
  const int fd = CreateTemporaryBeside(target, temporary);
  if (fd < 0) return fail(errno);
  auto abandon = [&](int code) {
    unlink(temporary.c_str());
    return fail(code);
  };
  if (exists) {
    // The replacement keeps what made the old file the user's: owner, group and mode.
    // Changing the owner needs a privilege a user lacks; then the mode alone is kept.
    if (st.st_uid != geteuid() || st.st_gid != getegid()) (void)!fchown(fd, st.st_uid, st.st_gid);
    fchmod(fd, st.st_mode & 07777);
  }
  if (!WriteAll(fd, bytes) || fsync(fd) != 0) {
    const int code = errno;
    close(fd);
    return abandon(code);
  }
  if (close(fd) != 0) return abandon(errno);
  if (rename(temporary.c_str(), target.c_str()) != 0) return abandon(errno);
  return true;
}

}  // namespace vombrel
