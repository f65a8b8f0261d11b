#include "wave/Wavestorage.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/Supportfiles.h"

namespace vombrel {

namespace {

std::string CreateErrorText(const std::string& path, const std::string& reason) {
  return "Cannot create file \"" + path + "\". " + reason;
}

// Offsets of the header fields the adapter rewrites.
constexpr uint64_t kRiffSizeOffset = 4;
constexpr uint64_t kDataSizeOffset = 42;

}  // namespace

// ---- TFileStream ----

std::unique_ptr<TFileStream> TFileStream::CreateExclusive(const std::string& path) {
  // Open without truncating first: the file may be another recording's, which must not
  // lose a byte when this creation is refused.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) throw EFCreateError(CreateErrorText(path, FileErrorText(errno)));
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    throw EFCreateError(CreateErrorText(
        path, error == EWOULDBLOCK ? "The file is in use by another recording." : FileErrorText(error)));
  }
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (regular && ::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    throw EFCreateError(CreateErrorText(path, FileErrorText(error)));
  }
  return std::unique_ptr<TFileStream>(new TFileStream(fd, regular));
}

TFileStream::~TFileStream() { ::close(fd_); }

bool TFileStream::Fail(int error) {
  lastError_ = FileErrorText(error);
  return false;
}

bool TFileStream::WriteAt(uint64_t offset, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(errno);
    if (n == 0) return Fail(ENOSPC);
    bytes += n;
    offset += static_cast<uint64_t>(n);
    size -= static_cast<size_t>(n);
  }
  return true;
}

size_t TFileStream::ReadAt(uint64_t offset, void* data, size_t size) {
  size_t total = 0;
  auto* bytes = static_cast<char*>(data);
  while (total < size) {
    const ssize_t n = ::pread(fd_, bytes + total, size - total, static_cast<off_t>(offset + total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += static_cast<size_t>(n);
  }
  return total;
}

bool TFileStream::SetSize(uint64_t size) {
  if (!regular_) return true;
  return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 || Fail(errno);
}

uint64_t TFileStream::Size() {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

bool TFileStream::Flush() {
  if (!regular_) return true;
  if (::fdatasync(fd_) == 0) return true;
  // A file system without the call has nothing to flush; everything else is a failure.
  return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP || Fail(errno);
}

// ---- TMemoryStream ----

bool TMemoryStream::WriteAt(uint64_t offset, const void* data, size_t size) {
  if (offset + size > bytes.size()) bytes.resize(offset + size, '\0');
  std::memcpy(bytes.data() + offset, data, size);
  return true;
}

size_t TMemoryStream::ReadAt(uint64_t offset, void* data, size_t size) {
  if (offset >= bytes.size()) return 0;
  const size_t n = std::min<uint64_t>(size, bytes.size() - offset);
  std::memcpy(data, bytes.data() + offset, n);
  return n;
}

bool TMemoryStream::SetSize(uint64_t size) {
  bytes.resize(size, '\0');
  return true;
}

// ---- reading the header back ----

std::optional<TWaveHeaderInfo> ReadWaveHeader(TByteStream& stream) {
  const uint64_t length = stream.Size();
  unsigned char riff[12];
  if (stream.ReadAt(0, riff, sizeof riff) != sizeof riff) return std::nullopt;
  if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) return std::nullopt;
  TWaveHeaderInfo info;
  info.riffSize = GetLittleEndian32(riff + 4);
  bool haveFormat = false;
  uint64_t at = 12;
  while (at + 8 <= length) {
    unsigned char chunk[8];
    if (stream.ReadAt(at, chunk, sizeof chunk) != sizeof chunk) return std::nullopt;
    const uint32_t size = GetLittleEndian32(chunk + 4);
    const uint64_t body = at + 8;
    if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat || body + size > length) return std::nullopt;
      info.dataSize = size;
      info.dataOffset = body;
      return info;
    }
    if (body + size > length) return std::nullopt;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16) return std::nullopt;
      unsigned char fmt[kWaveFormatSize] = {};
      const size_t want = size < kWaveFormatSize ? size : kWaveFormatSize;
      if (stream.ReadAt(body, fmt, want) != want) return std::nullopt;
      info.format = DecodeWaveFormat(fmt);
      haveFormat = true;
    }
    at = body + size + (size & 1U);
  }
  return std::nullopt;
}

// ---- TWaveStreamAdapter ----

TWaveStreamAdapter::TWaveStreamAdapter(TByteStream* stream, bool ownsStream) : stream_(stream), owns_(ownsStream) {}

TWaveStreamAdapter::~TWaveStreamAdapter() {
  if (started_) EndRewrite();
  if (owns_) delete stream_;
}

bool TWaveStreamAdapter::BeginRewrite(const TWaveFormatEx& format) {
  started_ = false;
  failed_ = false;
  dataSize_ = 0;
  readBack_.reset();
  std::string header = "RIFF";
  header.append(4, '\0');
  header += "WAVEfmt ";
  header.append("\x12\0\0\0", 4);
  header += EncodeWaveFormat(format);
  header += "data";
  header.append(4, '\0');
  PutLittleEndian32(reinterpret_cast<unsigned char*>(header.data()) + kRiffSizeOffset,
                    static_cast<uint32_t>(header.size() - 8));
  if (!stream_->SetSize(0) || !stream_->WriteAt(0, header.data(), header.size())) {
    failed_ = true;
    return false;
  }
  started_ = true;
  return true;
}

bool TWaveStreamAdapter::WriteSizes() {
  const uint32_t pad = dataSize_ & 1U;
  unsigned char size[4];
  if (pad) {
    const char zero = '\0';
    if (!stream_->WriteAt(kWaveHeaderSize + dataSize_, &zero, 1)) return false;
  }
  PutLittleEndian32(size, kWaveHeaderSize - 8 + dataSize_ + pad);
  if (!stream_->WriteAt(kRiffSizeOffset, size, 4)) return false;
  PutLittleEndian32(size, dataSize_);
  return stream_->WriteAt(kDataSizeOffset, size, 4);
}

size_t TWaveStreamAdapter::Write(const void* data, size_t size) {
  if (!started_ || failed_ || size == 0) return 0;
  if (size > kMaxWaveDataSize - dataSize_) return 0;
  if (!stream_->WriteAt(kWaveHeaderSize + dataSize_, data, size)) return 0;
  const uint32_t before = dataSize_;
  dataSize_ += static_cast<uint32_t>(size);
  // The samples reach the disk before the header that counts them, so an interrupted
  // recording never claims bytes it does not hold.
  if (stream_->Flush() && WriteSizes()) return size;
  // The samples are not durable, or the pad byte after them or a size field could not be
  // written (a full disk): they are not counted, the header is put back to the samples
  // before them (rewriting existing bytes needs no room), and the write counts as failed.
  dataSize_ = before;
  WriteSizes();
  return 0;
}

bool TWaveStreamAdapter::EndRewrite() {
  if (!started_) return false;
  started_ = false;
  bool ok = WriteSizes();
  ok = stream_->SetSize(kWaveHeaderSize + dataSize_ + (dataSize_ & 1U)) && ok;
  stream_->Flush();
  readBack_ = ReadWaveHeader(*stream_);
  return ok && readBack_.has_value();
}

}  // namespace vombrel
