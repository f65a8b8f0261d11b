// A scratch file in /dev/shm for fuzz targets whose code under test needs a real file:
// written with the input when made, removed when it goes out of scope, whichever way the
// target returns.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

class ScratchFile {
 public:
  // `name` tells the targets apart; the process id keeps parallel runs apart.
  ScratchFile(const char* name, const uint8_t* data, std::size_t size)
      : path_(std::string("/dev/shm/vombrel-fuzz-") + name + "-" + std::to_string(getpid())) {
    const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = write(fd, data + done, size - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    written_ = close(fd) == 0 && done == size;
  }
  ~ScratchFile() { unlink(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& Path() const { return path_; }
  // False when the file could not be written whole: the target skips the input.
  bool Written() const { return written_; }

 private:
  std::string path_;
  bool written_ = false;
};
