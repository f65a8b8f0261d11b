// The leading silence of MP3 files: what the first frame says, and that the engine's
// sink gets the music from its first sample on.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Mediafixtures.h"
#include "Testdispatcher.h"
#include "players/Mmcplayer.h"
#include "players/Mp3gapless.h"
#include "support/Supportfiles.h"

namespace vombrel::test {
namespace {

std::string Bytes(const std::string& path) { return ReadFileBytes(path).value_or(""); }

// The file with its ID3v2 tag (ffmpeg writes one) taken off.
std::string WithoutTag(const std::string& bytes) {
  if (bytes.compare(0, 3, "ID3") != 0) return bytes;
  std::size_t size = 0;
  for (std::size_t i = 6; i < 10; ++i) size = (size << 7) | (static_cast<unsigned char>(bytes[i]) & 0x7F);
  return bytes.substr(10 + size);
}

// A tag of `size` bytes of padding in front of the frames.
std::string WithTag(const std::string& frames, std::size_t size) {
  std::string tag = "ID3\x03";
  tag += '\0';
  tag += '\0';
  for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>((size >> shift) & 0x7F);
  return tag + std::string(size, '\0') + frames;
}

struct SilenceCase {
  const char* name;
  std::string bytes;
  int32_t samples;
  int32_t rate;
};

TEST(Mp3LeadingSilence, ReadFromTheFirstFrame) {
  const std::string lame = Bytes(Fixtures().Path("tone.mp3"));
  const std::string frames = WithoutTag(lame);
  // The encoder's name is the first field of the gapless block: an unknown one says
  // nothing about what follows it.
  std::string otherEncoder = frames;
  otherEncoder.replace(otherEncoder.find("Lavc"), 4, "XXXX");
  const SilenceCase cases[] = {
      // libmp3lame records 576 samples of its own; the decoder adds 528.
      {"LAME, ID3v2 first", lame, 576 + kMp3DecoderDelaySamples, 44100},
      {"LAME, no tag", frames, 576 + kMp3DecoderDelaySamples, 44100},
      {"tag of 3000 bytes", WithTag(frames, 3000), 576 + kMp3DecoderDelaySamples, 44100},
      {"MPEG-2 mono", Bytes(Fixtures().Path("mono22k.mp3")), 576 + kMp3DecoderDelaySamples, 22050},
      {"no Info/Xing frame", Bytes(Fixtures().Path("noxing.mp3")), 0, 0},
      {"layer II", Bytes(Fixtures().Path("tone.mp2")), 0, 0},
      {"unknown encoder", otherEncoder, 0, 0},
      {"cut inside the gapless block", frames.substr(0, frames.find("Lavc") + 10), 0, 0},
      {"cut inside the header", frames.substr(0, 3), 0, 0},
      {"tag size past the end", WithTag("", 100).substr(0, 12), 0, 0},
      {"random bytes", Bytes(Fixtures().Path("corrupt.mp3")), 0, 0},
      {"empty", "", 0, 0},
  };
  for (const auto& c : cases) {
    const Mp3LeadingSilence silence = ParseMp3LeadingSilence(c.bytes);
    EXPECT_EQ(silence.samples, c.samples) << c.name;
    if (c.samples != 0) {
      EXPECT_EQ(silence.sampleRate, c.rate) << c.name;
    }
  }
  EXPECT_EQ(ReadMp3LeadingSilence(Fixtures().Path("tone.mp3")).Nanoseconds(), 1104ULL * 1000000000ULL / 44100);
  // A tag with a large picture in front of the frames.
  const std::string pictured = ::testing::TempDir() + "pictured.mp3";
  std::ofstream(pictured, std::ios::binary) << WithTag(frames, 300000);
  EXPECT_EQ(ReadMp3LeadingSilence(pictured).samples, 576 + kMp3DecoderDelaySamples);
  std::remove(pictured.c_str());
  EXPECT_EQ(ReadMp3LeadingSilence(Fixtures().Path("pipe.mp3")).samples, 0);  // refused, never blocks
  EXPECT_EQ(ReadMp3LeadingSilence(Fixtures().Path("missing.mp3")).samples, 0);
}

// The first samples that reach the audio sink, through a sink that hands them over.
class FirstSamples {
 public:
  void Take(GstBuffer* buffer) {
    std::lock_guard lock(mutex_);
    if (samples_.size() >= 4096) return;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return;
    const auto* values = reinterpret_cast<const int16_t*>(map.data);
    samples_.insert(samples_.end(), values, values + map.size / sizeof(int16_t));
    gst_buffer_unmap(buffer, &map);
  }
  std::vector<int16_t> Get() {
    std::lock_guard lock(mutex_);
    return samples_;
  }

 private:
  std::mutex mutex_;
  std::vector<int16_t> samples_;
};

// The index of the first sample whose magnitude reaches `level`, or -1.
int FirstLoud(const std::vector<int16_t>& samples, int level) {
  for (std::size_t i = 0; i < samples.size(); ++i)
    if (std::abs(samples[i]) >= level) return static_cast<int>(i);
  return -1;
}

class TrimmedStart : public ::testing::TestWithParam<const char*> {};

TEST_P(TrimmedStart, SinkGetsTheMusicFromItsFirstSamples) {
  const char* previous = std::getenv("VOMBREL_AUDIO_SINK");
  const std::string kept = previous != nullptr ? previous : "";
  setenv("VOMBREL_AUDIO_SINK",
         "audioconvert ! audio/x-raw,format=S16LE,channels=1 ! fakesink name=first signal-handoffs=true sync=false", 1);
  QueueDispatcher dispatcher;
  NotifyRecorder notes;
  auto engine = std::make_unique<TMMCPlayer>(nullptr, dispatcher, notes.Handler());
  if (previous != nullptr) setenv("VOMBREL_AUDIO_SINK", kept.c_str(), 1);
  FirstSamples first;
  ASSERT_NE(engine->Open(Fixtures().Path(GetParam()))->Success, 0);
  // The sink joins the pipeline when the first file is opened.
  GstElement* fakesink = gst_bin_get_by_name(GST_BIN(engine->Pipeline()), "first");
  ASSERT_NE(fakesink, nullptr);
  g_signal_connect(fakesink, "handoff", G_CALLBACK(+[](GstElement*, GstBuffer* buffer, GstPad*, gpointer data) {
                     static_cast<FirstSamples*>(data)->Take(buffer);
                   }),
                   &first);
  engine->Play();
  ASSERT_TRUE(dispatcher.RunUntil([&] { return first.Get().size() >= 4096; }));
  engine->Close();
  g_signal_handlers_disconnect_by_data(fakesink, &first);
  gst_object_unref(fakesink);
  // A 440 Hz sine of ffmpeg's amplitude passes 1000 within its first 10 samples; the
  // untrimmed decoder output is silent for 1,104.
  const int loud = FirstLoud(first.Get(), 1000);
  EXPECT_GE(loud, 0);
  EXPECT_LT(loud, 16) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Mp3, TrimmedStart, ::testing::Values("tone.mp3", "mono22k.mp3"));

}  // namespace
}  // namespace vombrel::test
