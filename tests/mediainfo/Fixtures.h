// Byte-built media fixtures for the reader tests: each builder returns the bytes of a
// small file holding exactly the structure a rule looks at.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vombrel::test {

// A private folder under the temporary folder, removed with its files at destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  // Writes `bytes` to `name` in the folder and returns the full path.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path);

std::string U16LE(uint16_t value);
std::string U32LE(uint32_t value);
std::string U32BE(uint32_t value);
std::string Utf16LE(const std::string& ascii);

// An MPEG frame: the 4 header bytes followed by zeros up to `length` bytes (at least 4).
std::string MpegFrame(uint8_t b1, uint8_t b2, uint8_t b3, std::size_t length);
// An MPEG-1 layer III 128 kbit/s 44100 Hz stereo frame without padding (417 bytes).
std::string Mp3Frame128();
// The same frame with a Xing header at offset 36 (frames flag and count when given).
std::string Mp3XingFrame(bool withFrames, uint32_t frames);

// An ID3v1 block of 128 bytes: fields are written as given, zero-padded.
struct Id3v1Fields {
  std::string title, artist, album, year, comment;
  int track = -1;  // -1: ID3v1.0 layout (comment uses all 30 bytes)
  uint8_t genre = 255;
};
std::string Id3v1Block(const Id3v1Fields& fields);
// Fields with only a title.
Id3v1Fields Titled(const std::string& title);

// An ID3v2 tag of major version `major` holding the given frames (id, data), with `padding`
// zero bytes at its end.
std::string Id3v2Tag(int major, const std::vector<std::pair<std::string, std::string>>& frames, std::size_t padding = 0,
                     uint8_t flags = 0);

// A Vorbis comment list: vendor, count, comments.
std::string VorbisCommentList(const std::string& vendor, const std::vector<std::string>& comments);

// A minimal Ogg Vorbis file: a first page of 28 bytes holding the 30-byte identification
// packet, the comment packet right behind it, `audioBytes` filler bytes and a last page
// header carrying `granule`.
struct OggFields {
  uint8_t channels = 2;
  uint32_t sampleRate = 44100;
  int32_t nominalBitRate = 128000;
  std::vector<std::string> comments;
  std::string vendor = "test vendor";
  std::size_t audioBytes = 1000;
  int32_t granule = 44100;
  bool lastPage = true;
};
std::string OggFile(const OggFields& fields);

// A FLAC file: "fLaC", STREAMINFO, optional padding block, optional comment block.
std::string FlacFile(uint32_t sampleRate, int channels, uint64_t samples, const std::vector<std::string>& comments,
                     std::size_t paddingBefore, std::size_t audioBytes);

// An ASF header with the objects the reader looks at.
struct AsfFields {
  uint32_t maxBitRate = 128000;
  uint16_t channels = 2;
  uint32_t sampleRate = 44100;
  uint32_t bytesPerSecond = 16000;
  std::string title, author, description;
  std::vector<std::pair<std::string, std::string>> extended;      // string descriptors
  std::vector<std::pair<std::string, uint32_t>> extendedNumbers;  // DWORD descriptors
  std::size_t dataBytes = 1000;
};
std::string AsfFile(const AsfFields& fields);

// A Monkey's Audio header (40 bytes) followed by `bodyBytes` zeros.
std::string ApeFile(const std::string& id, uint16_t flags, uint16_t channels, uint32_t sampleRate,
                    std::size_t bodyBytes);

}  // namespace vombrel::test
