#include "Fixtures.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vombrel::test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vombrel-mediainfo-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::string path = path_ + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string U16LE(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string U32LE(uint32_t v) { return U16LE(static_cast<uint16_t>(v)) + U16LE(static_cast<uint16_t>(v >> 16)); }
std::string U32BE(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string Utf16LE(const std::string& ascii) {
  std::string out;
  for (const char c : ascii) out += std::string{c, '\0'};
  return out;
}

std::string MpegFrame(uint8_t b1, uint8_t b2, uint8_t b3, std::size_t length) {
  std::string frame(std::max<std::size_t>(length, 4), '\0');
  frame[0] = static_cast<char>(0xFF), frame[1] = static_cast<char>(b1), frame[2] = static_cast<char>(b2);
  frame[3] = static_cast<char>(b3);
  return frame;
}

std::string Mp3Frame128() { return MpegFrame(0xFB, 0x90, 0x00, 417); }

std::string Mp3XingFrame(bool withFrames, uint32_t frames) {
  std::string frame = Mp3Frame128();
  const std::string xing = "Xing" + U32BE(withFrames ? 1u : 0u) + U32BE(frames);
  frame.replace(36, xing.size(), xing);
  return frame;
}

Id3v1Fields Titled(const std::string& title) {
  Id3v1Fields fields;
  fields.title = title;
  return fields;
}

std::string Id3v1Block(const Id3v1Fields& f) {
  std::string block(128, '\0');
  block.replace(0, 3, "TAG");
  auto put = [&](std::size_t offset, std::size_t length, const std::string& text) {
    block.replace(offset, std::min(length, text.size()), text.substr(0, length));
  };
  put(3, 30, f.title);
  put(33, 30, f.artist);
  put(63, 30, f.album);
  put(93, 4, f.year);
  put(97, 30, f.comment);
  if (f.track >= 0) {
    block[125] = 0;
    block[126] = static_cast<char>(f.track);
  }
  block[127] = static_cast<char>(f.genre);
  return block;
}

std::string Id3v2Tag(int major, const std::vector<std::pair<std::string, std::string>>& frames, std::size_t padding,
                     uint8_t flags) {
  std::string body;
  for (const auto& [id, data] : frames)
    body += id + U32BE(static_cast<uint32_t>(data.size())) + std::string(2, '\0') + data;
  body += std::string(padding, '\0');
  const auto size = static_cast<uint32_t>(body.size());
  std::string header = "ID3";
  header += static_cast<char>(major);
  header += '\0';
  header += static_cast<char>(flags);
  header += static_cast<char>((size >> 21) & 0x7F);
  header += static_cast<char>((size >> 14) & 0x7F);
  header += static_cast<char>((size >> 7) & 0x7F);
  header += static_cast<char>(size & 0x7F);
  return header + body;
}

std::string VorbisCommentList(const std::string& vendor, const std::vector<std::string>& comments) {
  std::string list = U32LE(static_cast<uint32_t>(vendor.size())) + vendor +
                     U32LE(static_cast<uint32_t>(comments.size()));
  for (const auto& c : comments) list += U32LE(static_cast<uint32_t>(c.size())) + c;
  return list;
}

namespace {

std::string OggPageHeader(int64_t granule, uint8_t segments) {
  std::string page = "OggS";
  page += '\0';    // version
  page += '\x02';  // type
  page += U32LE(static_cast<uint32_t>(granule)) + U32LE(static_cast<uint32_t>(static_cast<uint64_t>(granule) >> 32));
  page += U32LE(0x1234) + U32LE(0) + U32LE(0);  // serial, sequence, checksum
  page += static_cast<char>(segments);
  return page;
}

}  // namespace

std::string OggFile(const OggFields& f) {
  std::string id = "\x01vorbis";
  id += U32LE(0);  // version
  id += static_cast<char>(f.channels);
  id += U32LE(f.sampleRate);
  id += U32LE(0);  // maximum
  id += U32LE(static_cast<uint32_t>(f.nominalBitRate));
  id += U32LE(0);  // minimum
  id += '\xB8';    // block sizes
  id += '\x01';    // framing
  std::string file = OggPageHeader(0, 1) + std::string(1, static_cast<char>(id.size())) + id;
  file += OggPageHeader(0, 1) + std::string(1, '\xFF');
  file += "\x03vorbis" + VorbisCommentList(f.vendor, f.comments) + "\x01";
  file += std::string(f.audioBytes, 'a');
  if (f.lastPage) file += OggPageHeader(f.granule, 1) + std::string(1, '\x10') + std::string(16, 'z');
  return file;
}

std::string FlacFile(uint32_t sampleRate, int channels, uint64_t samples, const std::vector<std::string>& comments,
                     std::size_t paddingBefore, std::size_t audioBytes) {
  std::string info(34, '\0');
  info[10] = static_cast<char>(sampleRate >> 12);
  info[11] = static_cast<char>(sampleRate >> 4);
  info[12] = static_cast<char>(((sampleRate & 0x0F) << 4) | ((channels - 1) << 1) | 0);  // 16 bits: (15 >> 4) = 0
  info[13] = static_cast<char>((15 << 4) | ((samples >> 32) & 0x0F));
  info.replace(14, 4, U32BE(static_cast<uint32_t>(samples)));
  auto block = [](int type, bool last, const std::string& body) {
    const auto n = static_cast<uint32_t>(body.size());
    std::string h{static_cast<char>(type | (last ? 0x80 : 0)), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                  static_cast<char>(n)};
    return h + body;
  };
  std::string file = "fLaC" + block(0, false, info);
  const bool hasComments = !comments.empty();
  file += block(1, !hasComments, std::string(paddingBefore, '\0'));
  if (hasComments) file += block(4, true, VorbisCommentList("flac vendor", comments));
  return file + std::string(audioBytes, 'f');
}

namespace {

std::string Guid(uint32_t a, uint16_t b, uint16_t c, uint64_t d) {
  std::string g = U32LE(a) + U16LE(b) + U16LE(c);
  for (int shift = 56; shift >= 0; shift -= 8) g += static_cast<char>(d >> shift);
  return g;
}

std::string AsfObject(const std::string& guid, const std::string& body) {
  const uint64_t size = 24 + body.size();
  return guid + U32LE(static_cast<uint32_t>(size)) + U32LE(0) + body;
}

}  // namespace

std::string AsfFile(const AsfFields& f) {
  std::string fileProps(100 - 24, '\0');
  fileProps += U32LE(f.maxBitRate);
  std::string streamProps(80 - 24, '\0');
  streamProps += U16LE(f.channels) + U32LE(f.sampleRate) + U32LE(f.bytesPerSecond) + U16LE(4) + U16LE(16);
  std::vector<std::string> objects = {
      AsfObject(Guid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365), fileProps),
      AsfObject(Guid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365), streamProps),
  };
  const std::string texts[5] = {Utf16LE(f.title) + std::string(2, '\0'), Utf16LE(f.author) + std::string(2, '\0'), "",
                                Utf16LE(f.description) + std::string(2, '\0'), ""};
  std::string content;
  for (const auto& t : texts) content += U16LE(static_cast<uint16_t>(t.size()));
  for (const auto& t : texts) content += t;
  objects.push_back(AsfObject(Guid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6C), content));
  std::string extended = U16LE(static_cast<uint16_t>(f.extended.size() + f.extendedNumbers.size()));
  for (const auto& [name, value] : f.extendedNumbers) {
    const std::string n = Utf16LE(name) + std::string(2, '\0');
    extended += U16LE(static_cast<uint16_t>(n.size())) + n + U16LE(3) + U16LE(4) + U32LE(value);
  }
  for (const auto& [name, value] : f.extended) {
    const std::string n = Utf16LE(name) + std::string(2, '\0');
    const std::string v = Utf16LE(value) + std::string(2, '\0');
    extended += U16LE(static_cast<uint16_t>(n.size())) + n + U16LE(0) + U16LE(static_cast<uint16_t>(v.size())) + v;
  }
  objects.push_back(AsfObject(Guid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850), extended));
  std::string body;
  for (const auto& o : objects) body += o;
  const std::string header = Guid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6C) +
                             U32LE(static_cast<uint32_t>(30 + body.size())) + U32LE(0) +
                             U32LE(static_cast<uint32_t>(objects.size())) + std::string("\x01\x02", 2);
  return header + body + std::string(f.dataBytes, 'd');
}

std::string ApeFile(const std::string& id, uint16_t flags, uint16_t channels, uint32_t sampleRate,
                    std::size_t bodyBytes) {
  std::string h = id.substr(0, 4) + U16LE(3970) + U16LE(2000) + U16LE(flags) + U16LE(channels) + U32LE(sampleRate);
  h += U32LE(0) + U32LE(0) + U32LE(10) + U32LE(1000) + U32LE(0x7FFF) + U32LE(5);
  return h + std::string(bodyBytes, '\0');
}

}  // namespace vombrel::test
