// The built-in engine on real files made by ffmpeg, playing into a private null sink of
// the test environment's sound server.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Fakedisplay.h"
#include "Mediafixtures.h"
#include "Sinkenvironment.h"
#include "Soundsink.h"
#include "Testdispatcher.h"
#include "players/Mmcplayer.h"

namespace vombrel::test {
namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SinkEnvironment);

class MmcPlayerTest : public ::testing::Test {
 protected:
  MmcPlayerTest() : engine(std::make_unique<TMMCPlayer>(nullptr, dispatcher, notes.Handler())) {}

  MMFileInfoPtr OpenFixture(const std::string& name) { return engine->Open(Fixtures().Path(name)); }

  bool PlayToEnd() {
    const int before = notes.count;
    engine->Play();
    return dispatcher.RunUntil([&] { return notes.count > before && engine->GetMode() != PlayerMode::Playing; });
  }

  // Runs queued work until the position has moved past `ms`.
  bool RunUntilPosition(int32_t ms) {
    return dispatcher.RunUntil([&] { return engine->GetPosition() > ms; }, std::chrono::seconds(10));
  }

  QueueDispatcher dispatcher;
  NotifyRecorder notes;
  std::unique_ptr<TMMCPlayer> engine;
};

std::string Text(const char* text) { return text != nullptr ? text : ""; }

class AudioFormatTest : public MmcPlayerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AudioFormatTest, OpensAndPlaysToTheEndWithPositionEqualToLength) {
  const std::string path = Fixtures().Path(GetParam());
  MMFileInfoPtr info = engine->Open(path);
  ASSERT_TRUE(info);
  ASSERT_NE(info->Success, 0) << Text(info->ErrorText);
  EXPECT_NE(info->AudioOnly, 0);
  EXPECT_EQ(Text(info->FileName), path);
  EXPECT_EQ(info->ErrorText, nullptr);
  EXPECT_FALSE(engine->HasVideo());
  EXPECT_EQ(engine->GetMode(), PlayerMode::Stopped);
  EXPECT_NEAR(engine->GetLength(), 1000, 100);
  EXPECT_EQ(engine->GetPosition(), 0);

  ASSERT_TRUE(PlayToEnd());
  EXPECT_EQ(notes.count, 1);
  EXPECT_TRUE(notes.allOnOwnerThread);
  EXPECT_EQ(engine->GetMode(), PlayerMode::Stopped);
  EXPECT_EQ(engine->GetPosition(), engine->GetLength());
}

INSTANTIATE_TEST_SUITE_P(Formats, AudioFormatTest,
                         ::testing::Values("tone.mp3", "tone.ogg", "tone.flac", "tone.wav", "tone.wma"));

// The decoders in a pipeline whose factory decodes pictures.
std::vector<std::string> PictureDecoders(GstElement* pipeline) {
  std::vector<std::string> found;
  GstIterator* elements = gst_bin_iterate_recurse(GST_BIN(pipeline));
  GValue item = G_VALUE_INIT;
  while (gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
    auto* element = GST_ELEMENT(g_value_get_object(&item));
    GstElementFactory* factory = gst_element_get_factory(element);
    const std::string klass = factory != nullptr
                                  ? Text(gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS))
                                  : "";
    if (klass.find("Decoder") != std::string::npos &&
        (klass.find("Video") != std::string::npos || klass.find("Image") != std::string::npos)) {
      found.push_back(GST_OBJECT_NAME(element));
    }
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(elements);
  return found;
}

// A file of an audio extension plays its (first) sound stream; its pictures are not decoded.
class AudioWithPicturesTest : public MmcPlayerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AudioWithPicturesTest, PlaysTheSoundToTheEndWithoutDecodingThePictures) {
  MMFileInfoPtr info = OpenFixture(GetParam());
  ASSERT_NE(info->Success, 0) << Text(info->ErrorText);
  EXPECT_NE(info->AudioOnly, 0);
  EXPECT_FALSE(engine->HasVideo());
  EXPECT_EQ(engine->GetVideoWidth(), 0);
  EXPECT_NEAR(engine->GetLength(), 1000, 100);
  ASSERT_TRUE(PlayToEnd());
  EXPECT_EQ(engine->GetPosition(), engine->GetLength());
  EXPECT_EQ(PictureDecoders(engine->Pipeline()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Files, AudioWithPicturesTest, ::testing::Values("movie.mp4", "movie.mkv"));

class BadInputTest : public MmcPlayerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadInputTest, OpenReportsFailureInTheRecordAndTheEngineStaysUsable) {
  const std::string name = GetParam();
  const bool whole = name.find("://") != std::string::npos || name.front() == '/';
  const std::string path = whole ? name : Fixtures().Path(name);
  MMFileInfoPtr info = engine->Open(path);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Success, 0);
  EXPECT_FALSE(Text(info->ErrorText).empty());
  EXPECT_EQ(engine->GetMode(), PlayerMode::NotReady);
  EXPECT_EQ(engine->GetFileName(), path);
  EXPECT_THROW(engine->Play(), PlayerError);

  MMFileInfoPtr good = OpenFixture("tone.mp3");
  ASSERT_NE(good->Success, 0) << Text(good->ErrorText);
  engine->Play();
  EXPECT_TRUE(RunUntilPosition(50));
  engine->Stop();
}

// The engine connects the next file's sink to the sound server ahead of time. A server that
// restarts meanwhile leaves that connection dead, and the next file must still play.
TEST(MmcPlayerSoundServerTest, FilesPlayAfterTheSoundServerRestarted) {
  OwnSoundServer server;
  const std::string shared = Text(std::getenv("VOMBREL_AUDIO_SINK"));
  setenv("VOMBREL_AUDIO_SINK", ("pulsesink buffer-time=50000 device=own server=" + server.Address()).c_str(), 1);
  QueueDispatcher dispatcher;
  NotifyRecorder notes;
  TMMCPlayer engine(nullptr, dispatcher, notes.Handler());
  setenv("VOMBREL_AUDIO_SINK", shared.c_str(), 1);
  auto playsFor = [&](const char* file) {
    MMFileInfoPtr info = engine.Open(Fixtures().Path(file));
    if (info->Success == 0) return "not opened: " + Text(info->ErrorText);
    engine.Play();
    if (!dispatcher.RunUntil([&] { return engine.GetPosition() > 300; }, std::chrono::seconds(10)))
      return std::string("no progress");
    return std::string();
  };
  EXPECT_EQ(playsFor("tone.ogg"), "");
  server.Restart();
  for (const char* file : {"tone.mp3", "tone.flac"}) EXPECT_EQ(playsFor(file), "") << file;
  engine.Close();
}

INSTANTIATE_TEST_SUITE_P(Files, BadInputTest,
                         ::testing::Values("corrupt.mp3", "empty.mp3", "truncated.mp3", "folder.mp3", "missing.mp3",
                                           "http://example.invalid/stream.mp3", "/dev/zero", "pipe.mp3",
                                           "picture.mkv"));

TEST_F(MmcPlayerTest, OperationsWithoutAnOpenFileFailOrGiveZero) {
  for (int round = 0; round < 2; ++round) {  // before any Open, then after Close
    for (auto operation : std::initializer_list<void (*)(TMMCPlayer&)>{
             [](TMMCPlayer& e) { e.Play(); }, [](TMMCPlayer& e) { e.Pause(); }, [](TMMCPlayer& e) { e.Resume(); },
             [](TMMCPlayer& e) { e.Stop(); }, [](TMMCPlayer& e) { e.SetPosition(100); },
             [](TMMCPlayer& e) { e.GetLength(); }}) {
      try {
        operation(*engine);
        ADD_FAILURE() << "no failure in round " << round;
      } catch (const PlayerError& error) {
        EXPECT_STREQ(error.what(), "No MCI device open");
      }
    }
    EXPECT_EQ(engine->GetMode(), PlayerMode::NotReady);
    EXPECT_EQ(engine->GetPosition(), 0);
    EXPECT_EQ(engine->GetVideoWidth(), 0);
    EXPECT_NO_THROW(engine->Close());
    ASSERT_NE(OpenFixture("tone.ogg")->Success, 0);
    engine->Close();
  }
}

TEST_F(MmcPlayerTest, PauseTogglesResumeContinuesAndPlayEndsAtLength) {
  ASSERT_NE(OpenFixture("tone.flac")->Success, 0);
  engine->Pause();  // stopped: nothing
  EXPECT_EQ(engine->GetMode(), PlayerMode::Stopped);
  engine->Resume();  // not paused: nothing
  EXPECT_EQ(engine->GetMode(), PlayerMode::Stopped);

  engine->Play();
  ASSERT_TRUE(RunUntilPosition(100));
  engine->Pause();
  EXPECT_EQ(engine->GetMode(), PlayerMode::Paused);
  const int32_t pausedAt = engine->GetPosition();
  EXPECT_GT(pausedAt, 100);
  dispatcher.RunPending();
  EXPECT_EQ(notes.count, 1);  // the pending play was cut short
  EXPECT_EQ(engine->GetPosition(), pausedAt);

  engine->Pause();  // the toggle resumes
  EXPECT_EQ(engine->GetMode(), PlayerMode::Playing);
  engine->Pause();
  engine->Resume();
  EXPECT_EQ(engine->GetMode(), PlayerMode::Playing);
  ASSERT_TRUE(dispatcher.RunUntil([&] { return engine->GetMode() == PlayerMode::Stopped; }));
  EXPECT_EQ(engine->GetPosition(), engine->GetLength());
  EXPECT_TRUE(notes.allOnOwnerThread);
}

TEST_F(MmcPlayerTest, StopKeepsThePositionAndPlayContinuesFromIt) {
  ASSERT_NE(OpenFixture("tone.wav")->Success, 0);
  engine->Stop();  // not active: nothing
  engine->Play();
  ASSERT_TRUE(RunUntilPosition(200));
  engine->Stop();
  EXPECT_EQ(engine->GetMode(), PlayerMode::Stopped);
  const int32_t stoppedAt = engine->GetPosition();
  engine->Stop();
  EXPECT_EQ(engine->GetMode(), PlayerMode::Stopped);
  engine->Play();
  EXPECT_GE(engine->GetPosition(), stoppedAt);
  EXPECT_LT(engine->GetPosition(), engine->GetLength());
  engine->Stop();
}

TEST_F(MmcPlayerTest, SetPositionSeeksAndPlaysClampingOutOfRangeTargets) {
  ASSERT_NE(OpenFixture("tone.mp3")->Success, 0);
  const int32_t length = engine->GetLength();
  struct Case {
    int32_t target;
    int32_t low, high;  // expected position range right after the call
  };
  // Out-of-range targets are clamped; the length itself means "play from the start".
  const int32_t nearStart = length / 2;
  for (const Case& c : {Case{500, 500, length - 1}, Case{-300, 0, nearStart}, Case{length + 5000, 0, nearStart},
                        Case{length, 0, nearStart}}) {
    engine->SetPosition(c.target);
    EXPECT_EQ(engine->GetMode(), PlayerMode::Playing) << c.target;
    const int32_t position = engine->GetPosition();
    EXPECT_GE(position, c.low) << c.target;
    EXPECT_LE(position, c.high) << c.target;
  }
  engine->Stop();
}

TEST_F(MmcPlayerTest, PlayAfterTheEndStartsAgainFromTheBeginning) {
  ASSERT_NE(OpenFixture("tone.mp3")->Success, 0);
  ASSERT_TRUE(PlayToEnd());
  engine->Play();
  EXPECT_EQ(engine->GetMode(), PlayerMode::Playing);
  EXPECT_LT(engine->GetPosition(), engine->GetLength() / 2);
  ASSERT_TRUE(PlayToEnd());
  EXPECT_EQ(engine->GetPosition(), engine->GetLength());
}

TEST_F(MmcPlayerTest, SameFileOpenedTwiceWithoutCloseAndNameKeptAfterClose) {
  const std::string path = Fixtures().Path("tone.mp3");
  ASSERT_NE(engine->Open(path)->Success, 0);
  engine->Play();
  ASSERT_NE(engine->Open(path)->Success, 0);
  EXPECT_EQ(engine->GetMode(), PlayerMode::Stopped);
  EXPECT_EQ(engine->GetPosition(), 0);
  ASSERT_TRUE(PlayToEnd());
  EXPECT_EQ(engine->GetPosition(), engine->GetLength());
  engine->Close();
  EXPECT_EQ(engine->GetFileName(), path);
  EXPECT_EQ(engine->GetMode(), PlayerMode::NotReady);
}

TEST_F(MmcPlayerTest, MpegVideoReportsItsPictureSizeAndEndsAtLength) {
  MMFileInfoPtr info = OpenFixture("clip.mpg");
  ASSERT_NE(info->Success, 0) << Text(info->ErrorText);
  EXPECT_EQ(info->AudioOnly, 0);
  EXPECT_EQ(info->VideoWidth, 176);
  EXPECT_EQ(info->VideoHeight, 144);
  EXPECT_TRUE(engine->HasVideo());
  EXPECT_EQ(engine->GetVideoWidth(), 176);
  EXPECT_EQ(engine->GetVideoHeight(), 144);
  ASSERT_TRUE(PlayToEnd());
  EXPECT_EQ(engine->GetPosition(), engine->GetLength());

  ASSERT_NE(OpenFixture("tone.mp3")->Success, 0);
  EXPECT_FALSE(engine->HasVideo());
  EXPECT_EQ(engine->GetVideoWidth(), 0);
}

TEST(MmcPlayerFullScreenTest, FullScreenOpensTheHostsWindowForVideoAndPlaysOn) {
  QueueDispatcher dispatcher;
  NotifyRecorder notes;
  FakeDisplay display;
  display.window = 0;  // no real window here: the sink keeps a window of its own
  auto engine = std::make_unique<TMMCPlayer>(&display, dispatcher, notes.Handler());
  EXPECT_THROW(engine->SetFullScreen(true), PlayerError);

  ASSERT_NE(engine->Open(Fixtures().Path("tone.mp3"))->Success, 0);
  engine->SetFullScreen(true);  // no picture: plays on, no window
  EXPECT_EQ(display.opened, 0);
  EXPECT_EQ(engine->GetMode(), PlayerMode::Playing);

  ASSERT_NE(engine->Open(Fixtures().Path("clip.mpg"))->Success, 0);
  engine->Pause();  // stopped: nothing
  engine->SetFullScreen(true);
  EXPECT_EQ(display.opened, 1);
  EXPECT_EQ(engine->GetMode(), PlayerMode::Playing);
  engine->SetFullScreen(false);
  EXPECT_EQ(engine->GetMode(), PlayerMode::Playing);
  ASSERT_TRUE(display.closedByUser);
  engine.reset();
  display.closedByUser();  // the user closes the window after the engine is gone
}

TEST_F(MmcPlayerTest, SoundReachesTheSink) {
  const int streamsBefore = SinkEnvironment::Sink()->StreamCount();  // the keep-alive stream
  ASSERT_NE(OpenFixture("tone.mp3")->Success, 0);
  MonitorListener listener(SinkEnvironment::Sink()->Name());
  engine->Play();
  ASSERT_TRUE(RunUntilPosition(300));
  EXPECT_EQ(SinkEnvironment::Sink()->StreamCount(), streamsBefore + 1);
  ASSERT_TRUE(dispatcher.RunUntil([&] { return listener.Heard() || engine->GetMode() == PlayerMode::Stopped; }));
  dispatcher.RunUntil([&] { return listener.Heard(); }, std::chrono::seconds(3));
  EXPECT_TRUE(listener.Heard());
}

// Files whose length is 0 until the decoder has seen some of the stream. A notification
// that the host would read as the end of the track (position equal to length) may come
// only at the real end: not from the file played before, not from a pause at the start.
class LateLengthTest : public MmcPlayerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(LateLengthTest, TheOnlyEndReportedIsTheRealOne) {
  int ends = 0;
  int32_t lengthAtEnd = -1;
  notes.onNotify = [&] {
    if (engine->GetPosition() != engine->GetLength()) return;
    ++ends;
    lengthAtEnd = engine->GetLength();
  };
  ASSERT_NE(OpenFixture("tone.mp3")->Success, 0);
  engine->Play();
  ASSERT_TRUE(RunUntilPosition(50));
  engine->Stop();  // cut short: its notification belongs to tone.mp3
  ASSERT_NE(OpenFixture(GetParam())->Success, 0);
  engine->Play();
  engine->Pause();  // at the very start, while the length may still be unknown
  engine->Resume();
  dispatcher.RunPending();
  EXPECT_EQ(ends, 0);
  ASSERT_TRUE(dispatcher.RunUntil([&] { return ends > 0; }));
  EXPECT_EQ(ends, 1);
  EXPECT_NEAR(lengthAtEnd, 1000, 150);
}

INSTANTIATE_TEST_SUITE_P(Formats, LateLengthTest, ::testing::Values("noxing.mp3", "tone.aac", "tone.mp2"));

TEST_F(MmcPlayerTest, NotificationsQueuedBeforeDestructionAreDropped) {
  ASSERT_NE(OpenFixture("tone.mp3")->Success, 0);
  engine->Play();
  engine->Stop();  // queues the cut-short notification
  engine.reset();
  dispatcher.RunPending();
  EXPECT_EQ(notes.count, 0);
}

TEST_F(MmcPlayerTest, DescriptionAndTheVideoExtensions) {
  EXPECT_EQ(engine->Description(), "Default Player");
  for (const char* name : {"a.avi", "b.MPEG", "c.mpg", "d.Vob", "e.wmv", "f.MOV", "/x.y/g.mpg"}) {
    EXPECT_TRUE(TMMCPlayer::IsVideoFileName(name)) << name;
  }
  for (const char* name : {"a.mp3", "b.ogg", "mpg", "c.mpg.mp3", "/dir.avi/file", "d.avi2", ""}) {
    EXPECT_FALSE(TMMCPlayer::IsVideoFileName(name)) << name;
  }
}

}  // namespace
}  // namespace vombrel::test
