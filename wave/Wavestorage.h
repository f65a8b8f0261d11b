// RIFF WAVE images in byte streams: the stream interface the recorder writes through, the
// file stream a recording creates, and the adapter that lays out the WAV file.
//
// Layout written (little-endian): "RIFF", RIFF size, "WAVE", "fmt ", 18, the 18-byte
// format record, "data", data size, the samples, and one zero byte when the data size is
// odd. Every write of samples brings both sizes up to date, so the file on disk is a
// complete WAV file after each buffer, not only after the recording has ended.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "wave/Waveutils.h"

namespace vombrel {

// A random-access byte stream. Not thread-safe; the recorder touches it under its lock.
class TByteStream {
 public:
  virtual ~TByteStream() = default;
  // Writes all bytes at the offset; false (with errno-style reason in LastError) on any
  // failure, including a short write.
  virtual bool WriteAt(uint64_t offset, const void* data, size_t size) = 0;
  // Reads up to size bytes at the offset; the count read, 0 at the end or on failure.
  virtual size_t ReadAt(uint64_t offset, void* data, size_t size) = 0;
  virtual bool SetSize(uint64_t size) = 0;
  virtual uint64_t Size() = 0;
  // Makes written bytes durable (a no-op where that means nothing).
  virtual bool Flush() { return true; }
  // Text of the reason of the last failure.
  virtual std::string LastError() const = 0;
};

// A file created for reading and writing, emptied, and held exclusively by this stream:
// a second creation of the same file (from this or another process) fails while it lives.
class TFileStream final : public TByteStream {
 public:
  // Throws EFCreateError "Cannot create file "<path>". <reason>" when the file cannot be
  // created, opened or locked; nothing on disk changes then.
  static std::unique_ptr<TFileStream> CreateExclusive(const std::string& path);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  bool WriteAt(uint64_t offset, const void* data, size_t size) override;
  size_t ReadAt(uint64_t offset, void* data, size_t size) override;
  bool SetSize(uint64_t size) override;
  uint64_t Size() override;
  bool Flush() override;
  std::string LastError() const override { return lastError_; }

 private:
  explicit TFileStream(int fd, bool regular) : fd_(fd), regular_(regular) {}
  bool Fail(int error);
  int fd_;
  bool regular_;
  std::string lastError_;
};

// A stream in memory, for tests and for reading images.
class TMemoryStream : public TByteStream {
 public:
  bool WriteAt(uint64_t offset, const void* data, size_t size) override;
  size_t ReadAt(uint64_t offset, void* data, size_t size) override;
  bool SetSize(uint64_t size) override;
  uint64_t Size() override { return bytes.size(); }
  std::string LastError() const override { return {}; }
  std::string bytes;
};

// What the header of a WAV image says, checked against the image's real length.
struct TWaveHeaderInfo {
  TWaveFormatEx format;
  uint32_t riffSize = 0;
  uint32_t dataSize = 0;    // as written in the header
  uint64_t dataOffset = 0;  // first sample byte
};

// Reads the RIFF header: "RIFF"/"WAVE", then chunks until "fmt " (at least 16 bytes) and
// "data" are found. No size field is trusted: a chunk reaching past the image, a missing
// chunk or a truncated header gives nullopt.
std::optional<TWaveHeaderInfo> ReadWaveHeader(TByteStream& stream);

// Writes a WAV image into a stream, which it owns when told so (freeing the adapter
// finishes a started image, then frees an owned stream).
class TWaveStreamAdapter {
 public:
  TWaveStreamAdapter(TByteStream* stream, bool ownsStream);
  ~TWaveStreamAdapter();
  TWaveStreamAdapter(const TWaveStreamAdapter&) = delete;
  TWaveStreamAdapter& operator=(const TWaveStreamAdapter&) = delete;

  // Empties the stream and writes the 46-byte header with data size 0. False when any
  // step fails; nothing is written afterwards then.
  bool BeginRewrite(const TWaveFormatEx& format);
  // Appends samples at the end of the data chunk and updates the sizes in the header.
  // Returns the number of bytes written: size, or 0 when the samples, their pad byte or
  // the header could not be written (then the header still describes the samples written
  // before, and the next write starts where these would have).
  size_t Write(const void* data, size_t size);
  // Finishes the image: sizes, the pad byte of an odd data size, the stream cut to the end
  // of the data; the header is read back and checked. False when the image was not
  // started or a step failed.
  bool EndRewrite();

  bool Started() const { return started_; }
  uint32_t DataSize() const { return dataSize_; }
  const std::optional<TWaveHeaderInfo>& HeaderReadBack() const { return readBack_; }
  TByteStream& Stream() { return *stream_; }

 private:
  bool WriteSizes();
  TByteStream* stream_;
  bool owns_;
  bool started_ = false;
  bool failed_ = false;
  uint32_t dataSize_ = 0;
  std::optional<TWaveHeaderInfo> readBack_;
};

inline constexpr uint32_t kWaveHeaderSize = 46;
// The largest data size whose RIFF size (38 + data + pad byte) still fits 32 bits.
inline constexpr uint32_t kMaxWaveDataSize = 0xFFFFFFFFU - 40U;

}  // namespace vombrel
