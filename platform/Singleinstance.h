// The single-instance lock: one running copy per executable file name.
//
// The lock is an exclusive flock on "$XDG_RUNTIME_DIR/Kelvatro.<exe file name>.lock"
// (without a usable runtime folder: "<temp folder>/Kelvatro.<exe file name>.<uid>.lock").
// Copies of the program under different file names take different locks and run side by
// side. The kernel drops the lock when the process ends, however it ends.
#pragma once

#include <string>

namespace vombrel {

// The file name of the running executable (extension included, as the file system
// spells it).
std::string ExecutableFileName();

class SingleInstanceLock {
 public:
  // Tries to take the lock at once (never waits).
  explicit SingleInstanceLock(const std::string& exeFileName = ExecutableFileName());
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // True when this process holds the lock. False when another process holds it, and also
  // when the lock file cannot be opened: that counts as "another instance runs".
  bool Acquired() const { return fd_ >= 0; }
  // The lock file's descriptor while held (-1 otherwise); the lock object keeps owning it.
  int Descriptor() const { return fd_; }
  const std::string& Path() const { return path_; }

  // The lock file's path for an executable file name.
  static std::string PathFor(const std::string& exeFileName);

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace vombrel
