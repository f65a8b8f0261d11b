// The main window's volume bar on the real sound server path: it follows the server's
// changes, and its handlers never wait for the server. Offscreen, against a sound server
// of the test's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <filesystem>

#include "app/Mainlogic.h"
#include "app/VombrelMain.h"
#include "platform/Volume.h"
#include "support/Supportlanguage.h"
#include "tests/volume/Privatesoundserver.h"

namespace fs = std::filesystem;
using namespace vombrel;
using namespace soundtest;

namespace {

constexpr int kDeadline = 10000;  // ms

class MainWindowVolume : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    root_ = fs::temp_directory_path() / ("vombrel-volumebar-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    address_ = std::make_unique<ServerAddressOverride>(server_.Address());
    // Not shown: no engine is needed for the volume.
    window_ = std::make_unique<TFormVombrel>(std::vector<std::string>{});
  }
  void TearDown() override {
    window_.reset();
    FreeMessages();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  bool WaitForBar(int32_t position) {
    return WaitUntil(
        [&] {
          QCoreApplication::processEvents();
          return window_->Volume->Position() == position;
        },
        kDeadline);
  }
  bool WaitForServer(uint16_t channel) {
    const std::string raw = "front-left: " + std::to_string(ChannelToServerVolume(channel)) + " /";
    return WaitUntil([&] { return server_.Pactl("get-sink-volume " + sink_).find(raw) != std::string::npos; },
                     kDeadline);
  }

  PrivateSoundServer server_;
  const std::string sink_ = PrivateSoundServer::kSink;
  fs::path root_;
  std::unique_ptr<ServerAddressOverride> address_;
  std::unique_ptr<TFormVombrel> window_;
};

}  // namespace

TEST_F(MainWindowVolume, BarFollowsTheServer) {
  server_.Pactl("set-sink-volume " + sink_ + " 26214");
  EXPECT_TRUE(WaitForBar(ServerVolumeToChannel(26214)));
  server_.Pactl("set-sink-volume " + sink_ + " 10000 50000");
  EXPECT_TRUE(WaitForBar(ServerVolumeToChannel(50000))) << "the right channel";
  // The server restarts: the bar keeps its place while it is away, then follows again.
  server_.Kill();
  ASSERT_TRUE(server_.Start());
  server_.Pactl("set-sink-volume " + sink_ + " 13107");
  EXPECT_TRUE(WaitForBar(ServerVolumeToChannel(13107)));
}

TEST_F(MainWindowVolume, MenuWheelAndBarReachTheServer) {
  server_.Pactl("set-sink-volume " + sink_ + " 30000");
  ASSERT_TRUE(WaitForBar(ServerVolumeToChannel(30000)));
  window_->VolumeItemClick("80%");
  EXPECT_EQ(window_->Volume->Position(), 52427);
  EXPECT_TRUE(WaitForServer(52427));
  window_->VolumeDown(kWheelVolumeStep);
  EXPECT_EQ(window_->Volume->Position(), 52427) << "the server's report moves the bar, not the wheel";
  EXPECT_TRUE(WaitForServer(52427 - kWheelVolumeStep));
  EXPECT_TRUE(WaitForBar(52427 - kWheelVolumeStep));
  emit window_->Volume->Scroll(static_cast<int>(TScrollCode::Track), 1234);
  EXPECT_TRUE(WaitForServer(1234));
}

TEST_F(MainWindowVolume, AFrozenServerHoldsUpNoHandler) {
  server_.Pactl("set-sink-volume " + sink_ + " 30000");
  ASSERT_TRUE(WaitForBar(ServerVolumeToChannel(30000)));
  server_.Suspend();
  window_->VolumeItemClick("20%");
  window_->VolumeUp(kWheelVolumeStep);
  window_->SyncVolumeBar();
  QCoreApplication::processEvents();
  EXPECT_TRUE(server_.Suspended()) << "the handlers returned while the server was frozen";
  EXPECT_EQ(window_->Volume->Position(), 13106 + kWheelVolumeStep) << "the last volume written";
  server_.Resume();
  // What was written while the server was frozen reaches it afterwards.
  EXPECT_TRUE(WaitForServer(13106 + kWheelVolumeStep));
}

TEST(MainWindowVolumeWithoutServer, BarStaysAndHandlersReturn) {
  const fs::path root = fs::temp_directory_path() / ("vombrel-volumebar-none-" + std::to_string(getpid()));
  fs::create_directories(root);
  setenv("XDG_CONFIG_HOME", root.c_str(), 1);
  ServerAddressOverride address("unix:/nonexistent/vombrel/native");
  {
    TFormVombrel window({});
    window.VolumeItemClick("40%");
    EXPECT_EQ(window.Volume->Position(), 26213);
    window.VolumeUp(kWheelVolumeStep);
    window.SyncVolumeBar();
    EXPECT_EQ(window.Volume->Position(), 26213) << "nothing known: the bar stays";
  }
  FreeMessages();
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
