// Two real processes: the helper behaves like the entry point (lock, hand-over) with a
// playlist model standing in for the main window.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/Handover.h"
#include "platform/Handoverframe.h"
#include "platform/Singleinstance.h"

using namespace vombrel;
namespace fs = std::filesystem;

namespace {

const std::string kHelper = VOMBREL_BINARY_DIR "/bin/vombrel_handover_helper";
constexpr int kPatienceMs = 10000;  // upper bound for a wait that fails the test, not a timing

class TwoProcesses : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "handover_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) app_ = new QCoreApplication(argc, argv);
  }

  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-handover-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "run");
    fs::create_directories(root_ / "user");
    chmod((root_ / "run").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (root_ / "run").c_str(), 1);
    setenv("VOMBREL_TEST_USER_DIR", ((root_ / "user").string() + "/").c_str(), 1);
  }

  void TearDown() override {
    for (auto& process : running_) {
      process->kill();
      process->waitForFinished(kPatienceMs);
    }
    running_.clear();
    fs::remove_all(root_);
  }

  // Starts a first instance and waits for its "ready" line; returns its socket path.
  QProcess* StartFirst(const std::string& program, const QStringList& arguments = {}) {
    auto process = std::make_unique<QProcess>();
    process->start(QString::fromStdString(program), arguments);
    EXPECT_TRUE(process->waitForStarted(kPatienceMs));
    running_.push_back(std::move(process));
    QProcess* first = running_.back().get();
    const std::string ready = NextLine(first);
    EXPECT_TRUE(ready.starts_with("ready ")) << ready;
    socketPath_ = ready.substr(std::min<std::size_t>(6, ready.size()));
    return first;
  }

  // The next line the process prints (without its line end); "" when it prints none.
  static std::string NextLine(QProcess* process) {
    while (!process->canReadLine())
      if (!process->waitForReadyRead(kPatienceMs)) return "";
    return process->readLine().trimmed().toStdString();
  }

  // Runs a second start to its end; returns what it printed.
  static std::string RunSecond(const QStringList& arguments, const std::string& program = kHelper) {
    QProcess second;
    second.start(QString::fromStdString(program), arguments);
    EXPECT_TRUE(second.waitForFinished(kPatienceMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    return second.readAllStandardOutput().trimmed().toStdString();
  }

  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  void Write(const std::string& path, const std::string& bytes) const {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  // A raw connection to the running instance.
  int Connect() const {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath_.copy(address.sun_path, sizeof address.sun_path - 1);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
  }
  // True when the running instance closed the connection.
  static bool ClosedByPeer(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, kPatienceMs) != 1) return false;
    char byte;
    return recv(fd, &byte, 1, 0) <= 0;
  }

  static inline QCoreApplication* app_ = nullptr;
  fs::path root_;
  std::string socketPath_;
  std::vector<std::unique_ptr<QProcess>> running_;
};

TEST_F(TwoProcesses, SecondStartHandsOverAFileAndEnds) {
  QProcess* first = StartFirst(kHelper, {"/music/old.mp3"});
  Write(Path("a.mp3"), "");
  EXPECT_EQ(RunSecond({QString::fromStdString(Path("a.mp3"))}), "forwarded");
  EXPECT_EQ(NextLine(first), "foreground");
  EXPECT_EQ(NextLine(first),
            "message VOMBREL_ADD_TRACK_MESSAGE_ID wparam=1 autoplay=1 index=0 entries=" + Path("a.mp3"));
  // Names that are not playlists by the extension rule travel as plain files.
  EXPECT_EQ(RunSecond({"/music/list.m3u8"}), "forwarded");
  EXPECT_EQ(NextLine(first), "foreground");
  EXPECT_EQ(NextLine(first),
            "message VOMBREL_ADD_TRACK_MESSAGE_ID wparam=1 autoplay=1 index=0 entries=/music/list.m3u8");
}

TEST_F(TwoProcesses, SecondStartHandsOverAPlaylist) {
  QProcess* first = StartFirst(kHelper);
  Write(Path("LIST.M3U"), "#EXTM3U\r\n/m/one.mp3\r\n/m/two.ogg\r\n");
  EXPECT_EQ(RunSecond({QString::fromStdString(Path("LIST.M3U"))}), "forwarded");
  EXPECT_EQ(NextLine(first), "foreground");
  EXPECT_EQ(NextLine(first),
            "message VOMBREL_OPEN_PLAYLIST_MESSAGE_ID wparam=1 autoplay=1 index=0 "
            "entries=#EXTM3U|/m/one.mp3|/m/two.ogg");
  // A playlist that does not exist leaves the list as it was; playback restarts at 0.
  EXPECT_EQ(RunSecond({QString::fromStdString(Path("gone.vpl"))}), "forwarded");
  EXPECT_EQ(NextLine(first), "foreground");
  EXPECT_EQ(NextLine(first),
            "message VOMBREL_OPEN_PLAYLIST_MESSAGE_ID wparam=1 autoplay=1 index=0 "
            "entries=#EXTM3U|/m/one.mp3|/m/two.ogg");
}

TEST_F(TwoProcesses, SecondStartWithoutArgumentOnlyRaisesTheWindow) {
  QProcess* first = StartFirst(kHelper, {"/m/kept.mp3"});
  EXPECT_EQ(RunSecond({}), "forwarded");
  EXPECT_EQ(NextLine(first), "foreground");
  // An argument too long for a frame is dropped; the window is still raised.
  EXPECT_EQ(RunSecond({QString(70000, 'x')}), "forwarded");
  EXPECT_EQ(NextLine(first), "foreground");
  // The next thing the first instance reports is the enqueue below: the list was untouched.
  EXPECT_EQ(RunSecond({"--send", "VOMBREL_ENQUEUE_TRACK_MESSAGE_ID", "7", "/m/queued.mp3"}), "sent");
  EXPECT_EQ(NextLine(first),
            "message VOMBREL_ENQUEUE_TRACK_MESSAGE_ID wparam=7 autoplay=0 index=0 "
            "entries=/m/kept.mp3|/m/queued.mp3");
}

TEST_F(TwoProcesses, CopyUnderAnotherNameRunsSideBySide) {
  StartFirst(kHelper);
  const std::string copy = Path("other-player");
  fs::copy_file(kHelper, copy);
  QProcess* second = StartFirst(copy);
  EXPECT_NE(socketPath_.find("other-player"), std::string::npos);
  EXPECT_EQ(second->state(), QProcess::Running);
  // Each name hands over to its own instance.
  EXPECT_EQ(RunSecond({"/m/x.mp3"}, copy), "forwarded");
  EXPECT_EQ(NextLine(second), "foreground");
  EXPECT_EQ(NextLine(second), "message VOMBREL_ADD_TRACK_MESSAGE_ID wparam=1 autoplay=1 index=0 entries=/m/x.mp3");
}

TEST_F(TwoProcesses, LockTakenButNobodyListeningEndsSilently) {
  SingleInstanceLock held("vombrel_handover_helper");
  ASSERT_TRUE(held.Acquired());
  EXPECT_EQ(RunSecond({"/m/lost.mp3"}), "no-instance");
  SingleInstanceLock again("vombrel_handover_helper");
  EXPECT_FALSE(again.Acquired());
}

TEST_F(TwoProcesses, BadFramesAreDroppedAndTheInstanceGoesOn) {
  QProcess* first = StartFirst(kHelper);
  const std::string valid = *EncodeHandOverFrame({"VOMBREL_ENQUEUE_TRACK_MESSAGE_ID", 1, "/m/a.mp3"});
  const std::string unknown = *EncodeHandOverFrame({"VOMBREL_UNKNOWN_MESSAGE", 1, "/m/u.mp3"});
  const std::string oversized = std::string("\x00\x01\x00\x00", 4) + std::string(70000, 'x');
  const std::string malformed = std::string("\x00\x00\x00\x03\x00\x09z", 7);  // name longer than the body
  for (const std::string& bad : {unknown, oversized, malformed}) {
    const int fd = Connect();
    send(fd, bad.data(), bad.size(), MSG_NOSIGNAL);
    EXPECT_TRUE(ClosedByPeer(fd));
    close(fd);
  }
  // A client that disconnects in the middle of a frame.
  const int fd = Connect();
  send(fd, valid.data(), valid.size() / 2, MSG_NOSIGNAL);
  close(fd);
  // A connection from another process of the same user still works afterwards.
  EXPECT_EQ(RunSecond({"--send", "VOMBREL_ENQUEUE_TRACK_MESSAGE_ID", "1", "/m/b.mp3"}), "sent");
  EXPECT_EQ(NextLine(first), "message VOMBREL_ENQUEUE_TRACK_MESSAGE_ID wparam=1 autoplay=0 index=0 entries=/m/b.mp3");
  EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(TwoProcesses, SocketFolderIsPrivate) {
  StartFirst(kHelper);
  struct stat st {};
  ASSERT_EQ(stat(fs::path(socketPath_).parent_path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);
  EXPECT_EQ(st.st_uid, geteuid());
  EXPECT_EQ(HandOverServerPath("vombrel_handover_helper"), socketPath_);
  // A folder others can enter is refused rather than used.
  chmod(fs::path(socketPath_).parent_path().c_str(), 0755);
  EXPECT_EQ(HandOverServerPath("vombrel_handover_helper"), "");
  EXPECT_FALSE(HandOverToRunningInstance("VOMBREL_ENQUEUE_TRACK_MESSAGE_ID", 1, "/m/x.mp3", "vombrel_handover_helper"));
}

}  // namespace

namespace {

TEST_F(TwoProcesses, LockThatCannotBeCreatedStartsNothing) {
  // A folder where the lock file belongs: the lock cannot be opened, which counts as
  // another instance holding it.
  fs::create_directories(SingleInstanceLock::PathFor("vombrel_handover_helper"));
  SingleInstanceLock blocked("vombrel_handover_helper");
  EXPECT_FALSE(blocked.Acquired());
  EXPECT_EQ(RunSecond({"/m/a.mp3"}), "no-instance");
}

TEST(SingleInstanceLockNames, FollowTheExecutableFileName) {
  setenv("XDG_RUNTIME_DIR", "/nonexistent-runtime", 1);  // unusable: the temp folder is used
  const std::string fallback = SingleInstanceLock::PathFor("player.bin");
  EXPECT_EQ(fallback,
            fs::temp_directory_path().string() + "/Kelvatro.player.bin." + std::to_string(geteuid()) + ".lock");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(ExecutableFileName(), "handover_tests");
}

}  // namespace
