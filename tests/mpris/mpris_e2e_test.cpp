// The real vombrel on a private session bus (the test runs under dbus-run-session), with
// the test environment's X server and PulseAudio daemon, driven by a real MPRIS client
// (playerctl) and by raw D-Bus calls; sound is checked at the sink. One player serves the
// cases in order.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QUrl>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <thread>

#include "E2eHarness.h"
#include "app/Mainlayout.h"

namespace vombrel::e2e {
namespace {

namespace ml = mainlayout;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kLow = 440;
constexpr int kHigh = 1500;
const QString kService = "org.mpris.MediaPlayer2.vombrel";
const QString kPath = "/org/mpris/MediaPlayer2";
const QString kPlayer = "org.mpris.MediaPlayer2.Player";

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// playerctl's answer for this player.
std::string Ctl(const std::string& arguments) {
  return Trimmed(RunCommand("playerctl -p vombrel " + arguments + " 2>&1").output);
}

bool CtlSays(const std::string& arguments, const std::string& expected) {
  const bool said = WaitUntil([&] { return Ctl(arguments) == expected; }, seconds(10));
  if (!said)
    std::fprintf(stderr, "playerctl %s: '%s', expected '%s'\n", arguments.c_str(), Ctl(arguments).c_str(),
                 expected.c_str());
  return said;
}

double CtlNumber(const std::string& arguments) { return std::atof(Ctl(arguments).c_str()); }

int SinkVolumePercent() {
  const std::string out = RunCommand("pactl get-sink-volume nullsink").output;
  const auto percent = out.find('%');
  if (percent == std::string::npos) return -1;
  auto start = out.rfind(' ', percent);
  return std::atoi(out.substr(start + 1, percent - start - 1).c_str());
}

QDBusMessage Call(const QString& interfaceName, const QString& method, const QList<QVariant>& arguments = {}) {
  QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, interfaceName, method);
  message.setArguments(arguments);
  return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

QDBusMessage SetProperty(const QString& name, const QVariant& value) {
  return Call("org.freedesktop.DBus.Properties", "Set", {kPlayer, name, QVariant::fromValue(QDBusVariant(value))});
}

// A client listening to the player's Seeked signals (dbus-monitor), for as long as the
// object lives.
class SeekedWatch {
 public:
  explicit SeekedWatch(const fs::path& log) : log_(log) {
    pid_ = std::atoi(RunCommand("dbus-monitor --session \"type='signal',interface='org.mpris.MediaPlayer2.Player',"
                                "member='Seeked'\" > " +
                                Quote(log.string()) + " 2>&1 & echo $!")
                         .output.c_str());
    // dbus-monitor first prints its own connection's greeting.
    WaitUntil([&] { return Text().find("NameAcquired") != std::string::npos; }, seconds(5));
  }
  ~SeekedWatch() {
    if (pid_ > 0) kill(pid_, SIGTERM);
  }
  int Count() const {
    const std::string text = Text();
    int n = 0;
    for (auto at = text.find("member=Seeked"); at != std::string::npos; at = text.find("member=Seeked", at + 1)) ++n;
    return n;
  }

 private:
  std::string Text() const {
    std::ifstream in(log_);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  fs::path log_;
  pid_t pid_ = -1;
};

class MediaControls : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder("vombrel-mpris-e2e");
    low_ = MakeTone(folder_->Path(), "low tone.mp3", 30, kLow,
                    "-metadata title='Low Tone' -metadata artist='The Testers' -metadata album='Tones' "
                    "-metadata track=4 -id3v2_version 3");
    high_ = MakeTone(folder_->Path(), "high.mp3", 30, kHigh, "-id3v2_version 0");
    const fs::path list = folder_->Path() / "list.vpl";
    std::ofstream(list, std::ios::binary) << low_.string() << "\r\n" << high_.string() << "\r\n";
    RunCommand("pactl set-sink-volume nullsink 100%");
    player_ = Start(folder_->Path() / "home", {list.string()}).release();
  }
  static void TearDownTestSuite() {
    delete player_;
    RunCommand("pactl set-sink-volume nullsink 100%");
    delete folder_;
  }

  static std::unique_ptr<Vombrel> Start(const fs::path& home, const std::vector<std::string>& arguments) {
    auto player = std::make_unique<Vombrel>(home, arguments);
    // The shared X server now and then refuses a connection while busy: one more start.
    if (!player->WaitForMainWindow() && player->Output().find("could not connect to display") != std::string::npos) {
      player = std::make_unique<Vombrel>(home, arguments);
      player->WaitForMainWindow();
    }
    return player;
  }

  void SetUp() override { ASSERT_TRUE(player_ && player_->Running()) << (player_ ? player_->Output() : ""); }
  void Click(ml::RowButton button) {
    const QRect r = ml::ButtonRect(button, false);
    player_->ClickAt(r.center().x(), r.center().y());
  }
  // Back to the first track, playing from its start.
  void PlayFirstTrack() {
    Ctl("stop");
    Ctl(Ctl("metadata title") == "Low Tone" ? "play" : "previous");
    ASSERT_TRUE(CtlSays("metadata title", "Low Tone"));
    ASSERT_TRUE(Hears(kLow));
  }

  static TempFolder* folder_;
  static fs::path low_, high_;
  static Vombrel* player_;
};

TempFolder* MediaControls::folder_ = nullptr;
fs::path MediaControls::low_, MediaControls::high_;
Vombrel* MediaControls::player_ = nullptr;

TEST_F(MediaControls, StatusAndMetadataOfATaggedFile) {
  ASSERT_TRUE(Hears(kLow));
  EXPECT_EQ(Ctl("-l"), "vombrel");
  EXPECT_TRUE(CtlSays("status", "Playing"));
  EXPECT_EQ(Ctl("metadata title"), "Low Tone");
  EXPECT_EQ(Ctl("metadata artist"), "The Testers");
  EXPECT_EQ(Ctl("metadata album"), "Tones");
  EXPECT_EQ(Ctl("metadata xesam:trackNumber"), "4");
  EXPECT_EQ(Ctl("metadata xesam:url"),
            "file://" + QUrl::toPercentEncoding(QString::fromStdString(low_.string()), "/").toStdString());
  EXPECT_NEAR(std::atoll(Ctl("metadata mpris:length").c_str()), 30000000LL, 100000);
  EXPECT_EQ(Ctl("loop"), "Playlist");
  EXPECT_EQ(Ctl("shuffle"), "Off");
  const QDBusMessage identity = Call("org.freedesktop.DBus.Properties", "Get",
                                     {QString("org.mpris.MediaPlayer2"), QString("Identity")});
  ASSERT_EQ(identity.type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(identity.arguments().at(0).value<QDBusVariant>().variant().toString(), "Vombrel");
}

TEST_F(MediaControls, TransportIsHeardAtTheSink) {
  PlayFirstTrack();
  Ctl("pause");
  EXPECT_TRUE(Hears(0));
  EXPECT_TRUE(CtlSays("status", "Paused"));
  Ctl("play");
  EXPECT_TRUE(Hears(kLow));
  Ctl("play-pause");
  EXPECT_TRUE(Hears(0));
  Ctl("play-pause");
  EXPECT_TRUE(Hears(kLow));
  Ctl("next");
  EXPECT_TRUE(Hears(kHigh));
  EXPECT_TRUE(CtlSays("metadata title", "high.mp3"));  // no tags: the file name
  Ctl("previous");
  EXPECT_TRUE(Hears(kLow));
  Ctl("stop");
  EXPECT_TRUE(Hears(0));
  EXPECT_TRUE(CtlSays("status", "Stopped"));
  Ctl("play");
  EXPECT_TRUE(Hears(kLow));
  EXPECT_TRUE(CtlSays("status", "Playing"));
}

TEST_F(MediaControls, PositionAndSeek) {
  PlayFirstTrack();
  SeekedWatch seeked(folder_->Path() / "seeked.log");
  // A click on the position bar right of its thumb: a page (a tenth of the track) on.
  player_->ClickAt(ml::kPositionFrame.right() - 10, ml::kTagsBoxTop + ml::kPositionFrame.center().y());
  EXPECT_TRUE(WaitUntil([&] { return seeked.Count() == 1; }, seconds(5))) << seeked.Count();
  EXPECT_TRUE(WaitUntil([] { return std::abs(CtlNumber("position") - 3.5) < 1.5; }, seconds(5))) << Ctl("position");
  Ctl("position 20");
  EXPECT_TRUE(WaitUntil([&] { return seeked.Count() == 2; }, seconds(5))) << seeked.Count();
  EXPECT_TRUE(WaitUntil([] { return std::abs(CtlNumber("position") - 20.5) < 1.5; }, seconds(5))) << Ctl("position");
  Ctl("position 10-");
  EXPECT_TRUE(WaitUntil([] { return std::abs(CtlNumber("position") - 11) < 1.5; }, seconds(5))) << Ctl("position");
  // Past the end is the next track.
  Ctl("position 100+");
  EXPECT_TRUE(Hears(kHigh));
}

TEST_F(MediaControls, VolumeBothWays) {
  Ctl("volume 0.4");
  EXPECT_TRUE(WaitUntil([] { return SinkVolumePercent() == 40; }, seconds(5))) << SinkVolumePercent();
  EXPECT_NEAR(CtlNumber("volume"), 0.4, 0.01);
  RunCommand("pactl set-sink-volume nullsink 70%");
  EXPECT_TRUE(WaitUntil([] { return std::abs(CtlNumber("volume") - 0.7) < 0.01; }, seconds(5))) << Ctl("volume");
  // Out of range: clamped.
  EXPECT_EQ(SetProperty("Volume", -2.0).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(WaitUntil([] { return SinkVolumePercent() == 0; }, seconds(5))) << SinkVolumePercent();
  EXPECT_EQ(SetProperty("Volume", 9.0).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(WaitUntil([] { return SinkVolumePercent() == 100; }, seconds(5))) << SinkVolumePercent();
}

TEST_F(MediaControls, LoopAndShuffleBothWays) {
  Ctl("loop None");
  EXPECT_TRUE(CtlSays("loop", "None"));
  Ctl("loop Track");  // not something the player does: unchanged
  EXPECT_TRUE(CtlSays("loop", "None"));
  Ctl("loop Playlist");
  EXPECT_TRUE(CtlSays("loop", "Playlist"));
  Ctl("shuffle On");
  EXPECT_TRUE(CtlSays("shuffle", "On"));
  Ctl("shuffle Off");
  EXPECT_TRUE(CtlSays("shuffle", "Off"));
}

// A client that follows the player sees the pause button's clicks.
TEST_F(MediaControls, AWatchingClientSeesButtonClicks) {
  PlayFirstTrack();
  const fs::path log = folder_->Path() / "follow.log";
  const pid_t follower = std::atoi(
      RunCommand("timeout 20 playerctl -p vombrel --follow status > " + Quote(log.string()) + " 2>&1 & echo $!")
          .output.c_str());
  auto followed = [&] {
    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return all;
  };
  ASSERT_TRUE(WaitUntil([&] { return followed().find("Playing") != std::string::npos; }, seconds(5)));
  Click(ml::RowButton::Pause);
  EXPECT_TRUE(WaitUntil([&] { return followed().find("Paused") != std::string::npos; }, seconds(5))) << followed();
  Click(ml::RowButton::Pause);
  EXPECT_TRUE(WaitUntil([&] { return followed().rfind("Playing") > followed().find("Paused"); }, seconds(5)))
      << followed();
  Click(ml::RowButton::Stop);
  EXPECT_TRUE(WaitUntil([&] { return followed().find("Stopped") != std::string::npos; }, seconds(5))) << followed();
  if (follower > 0) kill(follower, SIGTERM);
}

TEST_F(MediaControls, BadCallsAreRefusedOrIgnored) {
  PlayFirstTrack();
  // Wrong argument types: refused by the bus binding.
  EXPECT_EQ(Call(kPlayer, "Seek", {QString("far")}).type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(Call(kPlayer, "SetPosition", {1, 2}).type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(SetProperty("Volume", QString("loud")).type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(SetProperty("Volume", QStringList{"1"}).type(), QDBusMessage::ErrorMessage);
  // A number where a loop status belongs reads as the text "5": ignored.
  SetProperty("LoopStatus", 5);
  EXPECT_EQ(Ctl("loop"), "Playlist");
  // A stale track id, a position past the end, huge offsets both ways, strange URIs.
  Call(kPlayer, "SetPosition",
       {QVariant::fromValue(QDBusObjectPath("/org/vombrel/Vombrel/Track/9999")), qlonglong{5000000}});
  Call(kPlayer, "SetPosition",
       {QVariant::fromValue(QDBusObjectPath(QString::fromStdString(Ctl("metadata mpris:trackid")).remove(QChar('\'')))),
        qlonglong{999000000}});
  Call(kPlayer, "Seek", {std::numeric_limits<qlonglong>::min()});
  for (const QString& uri : {QString("http://example.invalid/x.mp3"),
                             QString("file://" + QString::fromStdString((folder_->Path() / "missing.mp3").string())),
                             QString("file:///") + QString(65536, 'x'), QString(65536, '%')})
    EXPECT_EQ(Call(kPlayer, "OpenUri", {uri}).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(Hears(kLow));
  EXPECT_TRUE(WaitUntil([] { return CtlNumber("position") < 3; }, seconds(5))) << Ctl("position");
  EXPECT_EQ(player_->VisibleWindows(), 1);

  // A flood: cut short, and the window takes a click meanwhile and after it.
  QDBusConnection bus = QDBusConnection::sessionBus();
  for (int i = 0; i < 3000; ++i)
    bus.send(QDBusMessage::createMethodCall(kService, kPath, kPlayer, i % 2 ? "PlayPause" : "Next"));
  EXPECT_TRUE(WaitUntil(
      [&] {
        Click(ml::RowButton::Stop);
        std::this_thread::sleep_for(milliseconds(1500));
        return Ctl("status") == "Stopped";
      },
      seconds(20)));
  EXPECT_TRUE(Hears(0));
  EXPECT_TRUE(player_->Running());
}

TEST_F(MediaControls, OpenUriHandsTheFileOver) {
  Ctl("open " + Quote(QUrl::fromLocalFile(QString::fromStdString(high_.string())).toString().toStdString()));
  EXPECT_TRUE(Hears(kHigh));
  EXPECT_TRUE(CtlSays("metadata title", "high.mp3"));
  EXPECT_EQ(Vombrel::Autosave(folder_->Path() / "home"), high_.string() + "\r\n");
}

// Another player under the same name (here a second copy with its own instance lock)
// does not take the bus name from the first; without a bus a player just says so.
TEST_F(MediaControls, TheNameStaysWithTheFirstAndNoBusIsNoHarm) {
  auto second = Start(folder_->Path() / "home2", {});
  ASSERT_TRUE(second->Running());
  EXPECT_TRUE(
      WaitUntil([&] { return second->Output().find("desktop media controls off") != std::string::npos; }, seconds(5)))
      << second->Output();
  EXPECT_EQ(Ctl("-l"), "vombrel");
  EXPECT_EQ(Ctl("metadata title"), "high.mp3");
  second->Terminate();

  const std::string address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  auto busless = Start(folder_->Path() / "home3", {});
  setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  ASSERT_TRUE(busless->Running());
  EXPECT_TRUE(WaitUntil([&] { return busless->Output().find("no session bus") != std::string::npos; }, seconds(5)));
  const std::string output = busless->Output();
  EXPECT_EQ(output.find("desktop media controls off"), output.rfind("desktop media controls off")) << output;
  busless->Terminate();
}

// Quit is the window's close sequence: Repeat and Shuffle as the controls left them are
// saved, and the program ends.
TEST_F(MediaControls, QuitSavesTheSettings) {
  Ctl("loop None");
  Ctl("shuffle On");
  ASSERT_TRUE(CtlSays("shuffle", "On"));
  EXPECT_EQ(Call("org.mpris.MediaPlayer2", "Quit").type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(player_->WaitForExit(seconds(10)), 0);
  const std::string settings = Vombrel::Settings(folder_->Path() / "home");
  EXPECT_NE(settings.find("Repeat=False"), std::string::npos) << settings;
  EXPECT_NE(settings.find("Shuffle=True"), std::string::npos) << settings;
}

}  // namespace
}  // namespace vombrel::e2e

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
