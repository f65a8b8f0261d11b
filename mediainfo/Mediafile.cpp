#include "mediainfo/Mediafile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "support/Supportfiles.h"

namespace vombrel {

MediaFile::MediaFile(const std::string& path) : path_(path) {
  fd_ = OpenRegularFile(path);
  struct stat st {};
  if (fd_ >= 0 && fstat(fd_, &st) != 0) {
    const int code = errno;
    close(fd_);
    fd_ = -1;
    errno = code;
  }
  if (fd_ < 0) throw MediaReadError("Cannot open file \"" + path + "\". " + FileErrorText(errno));
  size_ = st.st_size;
}

MediaFile::MediaFile(std::string path, std::string_view image)
    : path_(std::move(path)), image_(image), inMemory_(true), size_(static_cast<int64_t>(image.size())) {}

MediaFile::~MediaFile() {
  if (fd_ >= 0) close(fd_);
}

std::size_t MediaFile::ReadUncached(int64_t offset, char* dest, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const auto n = pread(fd_, dest + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::size_t MediaFile::ReadAt(int64_t offset, void* dest, std::size_t count) {
  if (offset < 0 || count == 0 || offset >= size_) return 0;
  count = static_cast<std::size_t>(std::min<int64_t>(static_cast<int64_t>(count), size_ - offset));
  auto* out = static_cast<char*>(dest);
  if (inMemory_) {
    std::memcpy(out, image_.data() + offset, count);
    return count;
  }
  if (count > kBlockSize) return ReadUncached(offset, out, count);
  const bool cached = blockOffset_ >= 0 && offset >= blockOffset_ &&
                      offset + static_cast<int64_t>(count) <= blockOffset_ + static_cast<int64_t>(blockLength_);
  if (!cached) {
    blockOffset_ = offset;
    blockLength_ = ReadUncached(offset, block_, kBlockSize);
    count = std::min(count, blockLength_);
  }
  std::memcpy(out, block_ + (offset - blockOffset_), count);
  return count;
}

std::string MediaFile::ReadString(int64_t offset, std::size_t count) {
  std::string bytes(count, '\0');
  bytes.resize(ReadAt(offset, bytes.data(), count));
  return bytes;
}

ByteCursor::ByteCursor(MediaFile& file, int64_t position, int64_t end)
    : file_(file), position_(position), end_(std::min(end, file.Size())) {}

bool ByteCursor::Take(void* dest, std::size_t count) {
  if (!ok_ || position_ + static_cast<int64_t>(count) > end_ || file_.ReadAt(position_, dest, count) != count) {
    return ok_ = false;
  }
  position_ += static_cast<int64_t>(count);
  return true;
}

bool ByteCursor::ReadU16LE(uint16_t& value) {
  unsigned char b[2];
  if (!Take(b, 2)) return false;
  value = LoadU16LE(b);
  return true;
}

bool ByteCursor::ReadU32LE(uint32_t& value) {
  unsigned char b[4];
  if (!Take(b, 4)) return false;
  value = LoadU32LE(b);
  return true;
}

bool ByteCursor::ReadBytes(uint64_t length, std::size_t keep, std::string& bytes) {
  const auto kept = static_cast<std::size_t>(std::min<uint64_t>(length, keep));
  bytes.assign(kept, '\0');
  if (kept > 0 && !Take(bytes.data(), kept)) return false;
  return Skip(length - kept);
}

bool ByteCursor::Skip(uint64_t length) {
  if (!ok_ || length > static_cast<uint64_t>(end_ - position_)) return ok_ = false;
  position_ += static_cast<int64_t>(length);
  return true;
}

uint16_t LoadU16LE(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t LoadU32LE(const unsigned char* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

uint32_t LoadU32BE(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

uint32_t LoadU24BE(const unsigned char* p) { return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]}; }

}  // namespace vombrel
