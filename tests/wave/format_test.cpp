// PCM formats, buffer sizes and the WAV image: no sound server needed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "tests/wave/Soundtestkit.h"
#include "wave/Wavestorage.h"
#include "wave/Waveutils.h"

using namespace vombrel;
using soundtest::FullDiskStream;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t Le32(const std::string& b, size_t at) {
  return GetLittleEndian32(reinterpret_cast<const unsigned char*>(b.data()) + at);
}

TWaveFormatEx FormatOf(TPCMFormat pcm) {
  TWaveFormatEx f;
  SetPCMAudioFormatS(f, pcm);
  return f;
}

}  // namespace

TEST(PCMFormat, TwentyFormatsInRateThenVariantOrder) {
  struct Row {
    TPCMFormat pcm;
    uint16_t channels;
    uint16_t bits;
    uint32_t rate;
  };
  const Row rows[] = {
      {Mono8Bit8000Hz, 1, 8, 8000},       {Stereo8bit8000Hz, 2, 8, 8000},     {Mono16bit8000Hz, 1, 16, 8000},
      {Stereo16bit8000Hz, 2, 16, 8000},   {Mono8bit11025Hz, 1, 8, 11025},     {Stereo8bit11025Hz, 2, 8, 11025},
      {Mono16bit11025Hz, 1, 16, 11025},   {Stereo16bit11025Hz, 2, 16, 11025}, {Mono8bit22050Hz, 1, 8, 22050},
      {Stereo8bit22050Hz, 2, 8, 22050},   {Mono16bit22050Hz, 1, 16, 22050},   {Stereo16bit22050Hz, 2, 16, 22050},
      {Mono8bit44100Hz, 1, 8, 44100},     {Stereo8bit44100Hz, 2, 8, 44100},   {Mono16bit44100Hz, 1, 16, 44100},
      {Stereo16bit44100Hz, 2, 16, 44100}, {Mono8bit48000Hz, 1, 8, 48000},     {Stereo8bit48000Hz, 2, 8, 48000},
      {Mono16bit48000Hz, 1, 16, 48000},   {Stereo16bit48000Hz, 2, 16, 48000},
  };
  ASSERT_EQ(std::size(rows), 20u);
  for (size_t k = 0; k < std::size(rows); ++k) {
    const Row& r = rows[k];
    EXPECT_EQ(static_cast<int>(r.pcm), static_cast<int>(k) + 1);
    const TWaveFormatEx f = FormatOf(r.pcm);
    EXPECT_EQ(f.formatTag, 1) << k;
    EXPECT_EQ(f.channels, r.channels) << k;
    EXPECT_EQ(f.bitsPerSample, r.bits) << k;
    EXPECT_EQ(f.samplesPerSec, r.rate) << k;
    EXPECT_EQ(f.blockAlign, r.channels * r.bits / 8) << k;
    EXPECT_EQ(f.avgBytesPerSec, f.blockAlign * r.rate) << k;
    EXPECT_EQ(f.cbSize, 0) << k;
  }
  EXPECT_EQ(kPCMFormatCount, 21);
}

TEST(PCMFormat, NoneLeavesTheRecordUnchanged) {
  TWaveFormatEx f = FormatOf(Stereo16bit44100Hz);
  const TWaveFormatEx before = f;
  SetPCMAudioFormatS(f, nonePCM);
  EXPECT_EQ(f, before);
}

TEST(PCMFormat, RecordEncodesTo18LittleEndianBytes) {
  const std::string b = EncodeWaveFormat(FormatOf(Stereo16bit44100Hz));
  ASSERT_EQ(b.size(), 18u);
  EXPECT_EQ(b, std::string("\x01\x00\x02\x00\x44\xAC\x00\x00\x10\xB1\x02\x00\x04\x00\x10\x00\x00\x00", 18));
  EXPECT_EQ(DecodeWaveFormat(reinterpret_cast<const unsigned char*>(b.data())), FormatOf(Stereo16bit44100Hz));
}

TEST(CalcWaveBufferSize, RoundsToNearestThenUpToBlockAlign) {
  struct Case {
    TWaveFormatEx format;
    uint32_t ms;
    uint32_t bytes;
  };
  TWaveFormatEx odd;  // 3-byte frames: 10 ms of 1000 B/s = 10 bytes, raised to 12
  odd.avgBytesPerSec = 1000;
  odd.blockAlign = 3;
  TWaveFormatEx half;  // 5 ms of 100 B/s = 0.5 bytes: halves go away from zero
  half.avgBytesPerSec = 100;
  half.blockAlign = 1;
  TWaveFormatEx below;  // 4 ms of 100 B/s = 0.4 bytes: nearest is 0
  below.avgBytesPerSec = 100;
  below.blockAlign = 0;
  const Case cases[] = {
      {FormatOf(Stereo16bit44100Hz), 1000, 176400},
      {FormatOf(Stereo16bit44100Hz), 10, 1764},
      {FormatOf(Mono16bit11025Hz), 1000, 22050},
      {FormatOf(Mono8bit11025Hz), 1000, 11025},
      {FormatOf(Stereo16bit11025Hz), 10, 444},  // 441 bytes raised to a multiple of 4
      {FormatOf(Stereo16bit48000Hz), 1000, 192000},
      {odd, 10, 12},
      {half, 5, 1},
      {below, 4, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CalcWaveBufferSize(c.format, c.ms), c.bytes) << c.ms;
}

TEST(CalcWaveBufferSize, ASizeBeyond32BitsIsRefusedNotCut) {
  struct Case {
    TPCMFormat pcm;
    uint32_t ms;
    std::optional<uint32_t> bytes;
  };
  const Case cases[] = {
      {Stereo16bit44100Hz, 1000, 176400u},
      {Mono8Bit8000Hz, 536870911, 4294967288u},      // the largest length that fits
      {Mono8Bit8000Hz, 536870912, std::nullopt},     // 2^32 bytes: cut, it would be 0
      {Stereo16bit48000Hz, 22369622, std::nullopt},  // just over 2^32
      {Stereo16bit48000Hz, 4294967295u, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(FittingWaveBufferSize(FormatOf(c.pcm), c.ms), c.bytes) << c.ms;
}

// ---- the WAV image ----

namespace {

// The header fields every finished or in-progress image must show.
void ExpectHeader(const std::string& b, const TWaveFormatEx& format, uint32_t dataSize) {
  EXPECT_EQ(soundtest::CheckWaveFile(b, format), dataSize);
  EXPECT_EQ(b.size(), 46u + dataSize + (dataSize & 1U));
}

}  // namespace

TEST(WaveStreamAdapter, HeaderIsCompleteAfterEveryWriteAndAtTheEnd) {
  const TWaveFormatEx format = FormatOf(Mono8bit11025Hz);
  TMemoryStream stream;
  stream.bytes = std::string(500, 'x');  // an older, longer file is emptied
  TWaveStreamAdapter adapter(&stream, false);
  ASSERT_TRUE(adapter.BeginRewrite(format));
  ExpectHeader(stream.bytes, format, 0);
  EXPECT_EQ(Le32(stream.bytes, 4), 38u);

  const std::string first(11025, '\x90');  // an odd buffer
  const std::string second(4, '\x70');
  ASSERT_EQ(adapter.Write(first.data(), first.size()), first.size());
  ExpectHeader(stream.bytes, format, 11025);  // pad byte present while recording
  ASSERT_EQ(adapter.Write(second.data(), second.size()), second.size());
  ExpectHeader(stream.bytes, format, 11029);
  EXPECT_EQ(stream.bytes.substr(46 + 11025, 4), second);  // the pad byte was overwritten by data

  ASSERT_TRUE(adapter.EndRewrite());
  ExpectHeader(stream.bytes, format, 11029);
  ASSERT_TRUE(adapter.HeaderReadBack().has_value());
  EXPECT_EQ(adapter.HeaderReadBack()->dataSize, 11029u);
  EXPECT_EQ(adapter.HeaderReadBack()->dataOffset, 46u);
  EXPECT_EQ(adapter.HeaderReadBack()->format, format);
}

TEST(WaveStreamAdapter, EvenDataHasNoPadAndEmptyRecordingIsHeaderOnly) {
  const TWaveFormatEx format = FormatOf(Stereo16bit44100Hz);
  TMemoryStream empty;
  {
    TWaveStreamAdapter adapter(&empty, false);
    ASSERT_TRUE(adapter.BeginRewrite(format));
  }  // freeing a started adapter finishes the image
  ExpectHeader(empty.bytes, format, 0);
  EXPECT_EQ(empty.bytes.size(), 46u);

  TMemoryStream even;
  TWaveStreamAdapter adapter(&even, false);
  ASSERT_TRUE(adapter.BeginRewrite(format));
  const std::string data(1764, '\x01');
  adapter.Write(data.data(), data.size());
  ASSERT_TRUE(adapter.EndRewrite());
  ExpectHeader(even.bytes, format, 1764);
  EXPECT_FALSE(adapter.EndRewrite()) << "finishing twice";
}

TEST(WaveStreamAdapter, FailedWritesKeepTheHeaderTrueToTheFile) {
  const TWaveFormatEx format = FormatOf(Mono16bit8000Hz);
  FullDiskStream stream(46 + 1000);
  TWaveStreamAdapter adapter(&stream, false);
  ASSERT_TRUE(adapter.BeginRewrite(format));
  const std::string buffer(600, '\x11');
  EXPECT_EQ(adapter.Write(buffer.data(), buffer.size()), 600u);
  EXPECT_EQ(adapter.Write(buffer.data(), buffer.size()), 0u) << "the disk is full";
  ExpectHeader(stream.bytes, format, 600);
  EXPECT_TRUE(adapter.EndRewrite());
  ExpectHeader(stream.bytes, format, 600);

  FullDiskStream noRoom(10);
  TWaveStreamAdapter refused(&noRoom, false);
  EXPECT_FALSE(refused.BeginRewrite(format));
  EXPECT_EQ(refused.Write(buffer.data(), buffer.size()), 0u) << "nothing is written after a failed header";
}

TEST(WaveStreamAdapter, APadByteWithoutRoomFailsTheWrite) {
  // 8-bit mono: an odd buffer needs a pad byte after it. Where the disk has room for the
  // samples but not for that byte, the write fails like any other, and the header keeps
  // describing the samples before.
  const TWaveFormatEx format = FormatOf(Mono8bit11025Hz);
  struct Case {
    const char* what;
    size_t room;                  // bytes the disk takes in all
    std::vector<size_t> writes;   // buffer sizes written in turn
    std::vector<size_t> results;  // what each write returns
    uint32_t dataSize;            // what the header says at the end
  };
  const Case cases[] = {
      {"odd buffer filling the disk", 46 + 11025, {11025}, {0}, 0},
      {"room for the pad byte", 46 + 11026, {11025}, {11025}, 11025},
      {"second odd buffer", 46 + 11026 + 11025, {11025, 11025}, {11025, 11025}, 22050},
      {"even after odd, then odd without room", 46 + 11025 + 3 + 1, {11025, 3, 1}, {11025, 3, 0}, 11028},
      {"full disk, then a smaller buffer fits", 46 + 4, {5, 3}, {0, 3}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FullDiskStream stream(c.room);
    TWaveStreamAdapter adapter(&stream, false);
    ASSERT_TRUE(adapter.BeginRewrite(format));
    for (size_t i = 0; i < c.writes.size(); ++i) {
      const std::string buffer(c.writes[i], '\x80');
      EXPECT_EQ(adapter.Write(buffer.data(), buffer.size()), c.results[i]) << "write " << i;
    }
    // While recording, the header counts the samples it can vouch for.
    EXPECT_EQ(Le32(stream.bytes, 42), c.dataSize);
    EXPECT_EQ(Le32(stream.bytes, 4), 38u + c.dataSize + (c.dataSize & 1U));
    EXPECT_TRUE(adapter.EndRewrite());
    ExpectHeader(stream.bytes, format, c.dataSize);
  }
}

TEST(ReadWaveHeader, TrustsNoSizeField) {
  TMemoryStream good;
  {
    TWaveStreamAdapter adapter(&good, false);
    adapter.BeginRewrite(FormatOf(Stereo16bit44100Hz));
    const std::string data(8, '\x05');
    adapter.Write(data.data(), data.size());
  }
  TMemoryStream probe;
  probe.bytes = good.bytes;
  ASSERT_TRUE(ReadWaveHeader(probe).has_value());

  struct Case {
    const char* what;
    std::string bytes;
  };
  auto patched = [&](size_t at, uint32_t value) {
    std::string b = good.bytes;
    PutLittleEndian32(reinterpret_cast<unsigned char*>(b.data()) + at, value);
    return b;
  };
  const Case cases[] = {
      {"empty", ""},
      {"truncated in the RIFF header", good.bytes.substr(0, 10)},
      {"truncated in the format", good.bytes.substr(0, 30)},
      {"truncated before data", good.bytes.substr(0, 40)},
      {"data size past the end", patched(42, 9)},
      {"huge data size", patched(42, 0xFFFFFFFFU)},
      {"format size past the end", patched(16, 0xFFFFFFF0U)},
      {"format too short", patched(16, 8)},
      {"not RIFF", "RIFX" + good.bytes.substr(4)},
      {"not WAVE", good.bytes.substr(0, 8) + "AVI " + good.bytes.substr(12)},
  };
  for (const auto& c : cases) {
    TMemoryStream s;
    s.bytes = c.bytes;
    EXPECT_FALSE(ReadWaveHeader(s).has_value()) << c.what;
  }
}

TEST(FileStream, CreatesExclusivelyAndReportsTheReason) {
  const fs::path dir = fs::temp_directory_path() / ("vombrel-wavefile-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string path = (dir / "take.wav").string();
  std::ofstream(path) << "an older file that is replaced";

  auto first = TFileStream::CreateExclusive(path);
  EXPECT_EQ(fs::file_size(path), 0u);
  ASSERT_TRUE(first->WriteAt(0, "abc", 3));
  try {
    TFileStream::CreateExclusive(path);
    ADD_FAILURE() << "a second creation must fail while the first stream lives";
  } catch (const EFCreateError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadAll(path), "abc") << "the refused creation must not empty the file";
  first.reset();
  EXPECT_NO_THROW(TFileStream::CreateExclusive(path));

  const std::string missing = (dir / "no-such-folder" / "take.wav").string();
  try {
    TFileStream::CreateExclusive(missing);
    ADD_FAILURE() << "a file in a missing folder cannot be created";
  } catch (const EFCreateError& e) {
    EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(missing));
  fs::remove_all(dir);
}
