// Following the default sink's volume through the sound server's change events, against
// a server of the test's own that the tests change with pactl, freeze, kill and restart.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <memory>

#include "platform/Volume.h"
#include "platform/Volumefollower.h"
#include "platform/Volumewatch.h"
#include "tests/volume/Privatesoundserver.h"

using namespace vombrel;
using namespace soundtest;

namespace {

uint32_t Word(uint16_t left, uint16_t right) {
  return static_cast<uint32_t>(left) | static_cast<uint32_t>(right) << 16;
}
// The volume word a sink set to these raw server volumes shows.
uint32_t WordOfServer(uint32_t left, uint32_t right) {
  return Word(ServerVolumeToChannel(left), ServerVolumeToChannel(right));
}

constexpr int kDeadline = 10000;  // ms; events arrive in a few milliseconds

class VolumeWatch : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  std::unique_ptr<TVolumeWatch> Watch() {
    return std::make_unique<TVolumeWatch>([this] { ++changes_; }, server_.Address());
  }
  static bool WaitForVolume(const TVolumeWatch& watch, std::optional<uint32_t> word) {
    return WaitUntil([&] { return watch.Volume() == word; }, kDeadline);
  }
  // The raw server volumes of the private sink, as pactl shows them.
  bool WaitForServerVolume(const std::string& sink, uint32_t left, uint32_t right) {
    const std::string expected = "front-left: " + std::to_string(left) + " /";
    const std::string expectedRight = "front-right: " + std::to_string(right) + " /";
    return WaitUntil(
        [&] {
          const std::string shown = server_.Pactl("get-sink-volume " + sink);
          return shown.find(expected) != std::string::npos && shown.find(expectedRight) != std::string::npos;
        },
        kDeadline);
  }

  PrivateSoundServer server_;
  std::atomic<int> changes_{0};
  const std::string sink_ = PrivateSoundServer::kSink;
};

}  // namespace

TEST(VolumeWord, ChannelsAndServerVolumes) {
  EXPECT_EQ(VolumeWordOf({}), std::nullopt);
  EXPECT_EQ(VolumeWordOf({kPulseVolumeNorm}), std::optional<uint32_t>(0xFFFFFFFFU)) << "mono gives both halves";
  EXPECT_EQ(VolumeWordOf({0, kPulseVolumeNorm, 0}), std::optional<uint32_t>(0xFFFF0000U)) << "left is channel 0";
  EXPECT_EQ(ChannelVolumesOf(Word(1000, 60000), 1), TChannelVolumes{ChannelToServerVolume(1000)});
  const TChannelVolumes surround = ChannelVolumesOf(Word(1000, 60000), 4);
  EXPECT_EQ(surround, TChannelVolumes({ChannelToServerVolume(1000), ChannelToServerVolume(60000),
                                       ChannelToServerVolume(60000), ChannelToServerVolume(60000)}));
  EXPECT_TRUE(ChannelVolumesOf(0, 0).empty());
}

TEST_F(VolumeWatch, FollowsTheDefaultSinksVolume) {
  auto watch = Watch();
  ASSERT_TRUE(WaitForVolume(*watch, Word(65535, 65535)));
  EXPECT_TRUE(watch->Connected());
  const struct {
    uint32_t left, right;
  } cases[] = {{32768, 32768}, {13107, 45875}, {0, 0}, {0x18000, 0x18000} /* amplified: full */};
  for (const auto& c : cases) {
    const int before = changes_;
    server_.Pactl("set-sink-volume " + sink_ + " " + std::to_string(c.left) + " " + std::to_string(c.right));
    EXPECT_TRUE(WaitForVolume(*watch, WordOfServer(c.left, c.right))) << c.left << " " << c.right;
    EXPECT_GT(changes_, before) << "the handler ran";
  }
}

TEST_F(VolumeWatch, FollowsTheDefaultSinkWhenAnotherOneTakesOver) {
  auto watch = Watch();
  ASSERT_TRUE(WaitForVolume(*watch, Word(65535, 65535)));
  const std::string module = Chomp(server_.Pactl("load-module module-null-sink sink_name=second"));
  ASSERT_FALSE(module.empty());
  server_.Pactl("set-sink-volume second 20000");
  server_.Pactl("set-default-sink second");
  EXPECT_TRUE(WaitForVolume(*watch, WordOfServer(20000, 20000)));
  // The sink that is no longer the default does not move the volume; the new one does.
  server_.Pactl("set-sink-volume " + sink_ + " 5000");
  server_.Pactl("set-sink-volume second 40000");
  EXPECT_TRUE(WaitForVolume(*watch, WordOfServer(40000, 40000)));
  // The default sink goes away: the server falls back to the first one.
  server_.Pactl("unload-module " + module);
  EXPECT_TRUE(WaitForVolume(*watch, WordOfServer(5000, 5000)));
}

TEST_F(VolumeWatch, WritesReachTheServerAndReadBackAtOnce) {
  auto watch = Watch();
  ASSERT_TRUE(WaitForVolume(*watch, Word(65535, 65535)));
  watch->SetVolume(Word(1000, 60000));
  EXPECT_EQ(watch->Volume(), Word(1000, 60000));
  EXPECT_TRUE(WaitForServerVolume(sink_, ChannelToServerVolume(1000), ChannelToServerVolume(60000)));
  // A burst of writes (a dragged bar): the last one is what the server keeps.
  for (uint16_t v = 0; v <= 50000; v += 500) watch->SetVolume(Word(v, v));
  EXPECT_EQ(watch->Volume(), Word(50000, 50000));
  EXPECT_TRUE(WaitForServerVolume(sink_, ChannelToServerVolume(50000), ChannelToServerVolume(50000)));
  EXPECT_TRUE(WaitForVolume(*watch, Word(50000, 50000)));
  // The server's own changes are followed again afterwards.
  server_.Pactl("set-sink-volume " + sink_ + " 30000");
  EXPECT_TRUE(WaitForVolume(*watch, WordOfServer(30000, 30000)));
}

TEST_F(VolumeWatch, AFrozenServerHoldsUpNoCall) {
  auto watch = Watch();
  ASSERT_TRUE(WaitForVolume(*watch, Word(65535, 65535)));
  server_.Suspend();
  for (uint16_t v = 0; v <= 20000; v += 100) {
    watch->SetVolume(Word(v, v));
    EXPECT_EQ(watch->Volume(), Word(v, v));
  }
  {
    // Making and dropping a watch while the server cannot answer waits for nothing either.
    auto other = Watch();
    EXPECT_EQ(other->Volume(), std::nullopt);
    other->SetVolume(Word(1, 1));
  }
  EXPECT_TRUE(server_.Suspended()) << "every call above returned while the server was frozen";
  server_.Resume();
  // The last write is delivered once the server runs again.
  EXPECT_TRUE(WaitForServerVolume(sink_, ChannelToServerVolume(20000), ChannelToServerVolume(20000)));
  server_.Pactl("set-sink-volume " + sink_ + " 12345");
  EXPECT_TRUE(WaitForVolume(*watch, WordOfServer(12345, 12345)));
}

TEST_F(VolumeWatch, ReconnectsWhenTheServerComesBack) {
  auto watch = Watch();
  ASSERT_TRUE(WaitForVolume(*watch, Word(65535, 65535)));
  server_.Kill();
  EXPECT_TRUE(WaitForVolume(*watch, std::nullopt));
  EXPECT_FALSE(watch->Connected());
  watch->SetVolume(Word(100, 100));  // nowhere to go: dropped
  EXPECT_EQ(watch->Volume(), std::nullopt);
  ASSERT_TRUE(server_.Start());
  server_.Pactl("set-sink-volume " + sink_ + " 30000");
  EXPECT_TRUE(WaitForVolume(*watch, WordOfServer(30000, 30000)));
  EXPECT_TRUE(watch->Connected());
  // The new connection follows changes too.
  server_.Pactl("set-sink-volume " + sink_ + " 40000");
  EXPECT_TRUE(WaitForVolume(*watch, WordOfServer(40000, 40000)));
}

TEST(VolumeWatchWithoutServer, NothingIsKnownAndNothingWaits) {
  TVolumeWatch watch({}, "unix:/nonexistent/vombrel/native");
  EXPECT_EQ(watch.Volume(), std::nullopt);
  watch.SetVolume(Word(100, 100));
  EXPECT_EQ(watch.Volume(), std::nullopt);
  EXPECT_FALSE(watch.Connected());
}

// The follower hands the changes to the event loop of the thread it lives on.
TEST_F(VolumeWatch, FollowerSignalsOnItsOwnThread) {
  TVolumeFollower follower(nullptr, server_.Address());
  int emitted = 0;
  bool onOwnThread = true;
  QObject::connect(&follower, &TVolumeFollower::Changed, [&] {
    ++emitted;
    onOwnThread = onOwnThread && QThread::currentThread() == follower.thread();
  });
  auto waitForPosition = [&](std::optional<int32_t> position) {
    return WaitUntil(
        [&] {
          QCoreApplication::processEvents();
          return follower.Position() == position && emitted > 0;
        },
        kDeadline);
  };
  EXPECT_TRUE(waitForPosition(65535));
  emitted = 0;
  server_.Pactl("set-sink-volume " + sink_ + " 20000 40000");
  EXPECT_TRUE(waitForPosition(ServerVolumeToChannel(40000))) << "the right channel";
  EXPECT_TRUE(onOwnThread);
  follower.SetVolume(70000);
  EXPECT_EQ(follower.Position(), 65535) << "clamped";
  follower.SetVolume(-5);
  EXPECT_EQ(follower.Position(), 0);
  EXPECT_TRUE(WaitForServerVolume(sink_, 0, 0));
}

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
