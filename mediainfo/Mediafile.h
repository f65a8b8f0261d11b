// Read access to a media file for the tag and stream readers: positioned reads that never
// go outside the file, a small block cache so that the many short reads of a tag walk cost
// one system call per block, and the failure the readers raise when a file cannot be opened.
// A MediaFile is used by one thread at a time; it owns its descriptor. It can also stand for
// a file image already in memory, which the readers treat exactly as the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vombrel {

// A reader failure: the file cannot be opened, is too short for a required block, or its
// stream holds no usable frame. The message is shown as the reason a track was skipped.
struct MediaReadError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class MediaFile {
 public:
  // Opens the file read-only; throws MediaReadError ("Cannot open file ...") on failure,
  // and for anything but a regular file (a folder, pipe or device is never opened).
  explicit MediaFile(const std::string& path);
  // The image of a file named `path` (its extension chooses a reader) held in memory; the
  // bytes are not copied and must outlive the MediaFile.
  MediaFile(std::string path, std::string_view image);
  ~MediaFile();
  MediaFile(const MediaFile&) = delete;
  MediaFile& operator=(const MediaFile&) = delete;

  const std::string& Path() const { return path_; }
  int64_t Size() const { return size_; }

  // Copies up to `count` bytes from `offset` into `dest`; returns how many were read
  // (fewer at the end of the file or after a read error, 0 for a negative offset).
  std::size_t ReadAt(int64_t offset, void* dest, std::size_t count);
  // The same, as bytes.
  std::string ReadString(int64_t offset, std::size_t count);

 private:
  std::size_t ReadUncached(int64_t offset, char* dest, std::size_t count);

  static constexpr std::size_t kBlockSize = 4096;
  std::string path_;
  int fd_ = -1;
  std::string_view image_;
  bool inMemory_ = false;
  int64_t size_ = 0;
  char block_[kBlockSize]{};
  int64_t blockOffset_ = -1;
  std::size_t blockLength_ = 0;
};

// Sequential reading through a MediaFile, used for length-prefixed structures. Reads stop
// at `end` (a file position) as well as at the end of the file; a failed read leaves the
// cursor unusable (Ok() false), so a walk over malformed data ends at its first fault.
class ByteCursor {
 public:
  ByteCursor(MediaFile& file, int64_t position, int64_t end);
  bool Ok() const { return ok_; }
  int64_t Position() const { return position_; }

  bool ReadU16LE(uint16_t& value);
  bool ReadU32LE(uint32_t& value);
  // Reads `length` bytes and keeps the first `keep` of them (the rest is skipped).
  bool ReadBytes(uint64_t length, std::size_t keep, std::string& bytes);
  bool Skip(uint64_t length);

 private:
  bool Take(void* dest, std::size_t count);
  MediaFile& file_;
  int64_t position_;
  int64_t end_;
  bool ok_ = true;
};

// Numbers stored in media headers.
uint16_t LoadU16LE(const unsigned char* p);
uint32_t LoadU32LE(const unsigned char* p);
uint32_t LoadU32BE(const unsigned char* p);
uint32_t LoadU24BE(const unsigned char* p);

}  // namespace vombrel
