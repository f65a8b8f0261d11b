// The launcher (the vombrel executable): it links no toolkit, hands a second start over
// without the program module, finds the module only beside itself or in the installed
// place, and fails clearly without it. The real executable is copied into a test folder
// under its own name, with stand-in modules (Stubmodule.cpp) where a module is wanted.
#include "app/Launcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Handoverclient.h"
#include "platform/Handoverframe.h"
#include "platform/Singleinstance.h"

using namespace vombrel;
namespace fs = std::filesystem;

namespace {

constexpr char kName[] = "vombrel-launcher-test";

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class Launcher : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-launcher-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "run");
    fs::create_directories(root_ / "work");
    fs::permissions(root_ / "run", fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", (root_ / "run").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(root_); }

  // The real executable as <folder>/bin/<kName>; a module file beside it when given.
  fs::path Install(const std::string& module = {}, const std::string& moduleFolder = "bin") {
    const fs::path program = root_ / "prefix/bin" / kName;
    fs::create_directories(program.parent_path());
    fs::copy_file(VOMBREL_LAUNCHER, program, fs::copy_options::overwrite_existing);
    if (!module.empty()) {
      fs::create_directories(root_ / "prefix" / moduleFolder);
      fs::copy_file(module, root_ / "prefix" / moduleFolder / "libvombrel-app.so",
                    fs::copy_options::overwrite_existing);
    }
    return program;
  }

  // Runs the program in the work folder to its end.
  Outcome Run(const fs::path& program, const std::vector<std::string>& arguments,
              const std::vector<std::string>& environment = {}) const {
    const fs::path out = root_ / "out.txt";
    const fs::path err = root_ / "err.txt";
    const pid_t pid = fork();
    if (pid == 0) {
      const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(o, 1);
      dup2(e, 2);
      if (chdir((root_ / "work").c_str()) != 0) _exit(126);
      for (const auto& entry : environment) putenv(const_cast<char*>(entry.c_str()));
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
  }

  fs::path root_;
};

// A stand-in for the running instance: holds the lock and listens on the hand-over socket.
class FakeRunningInstance {
 public:
  FakeRunningInstance() : lock_(kName) {
    EXPECT_TRUE(lock_.Acquired());
    const std::string path = HandOverServerPath(kName);
    // Non-blocking: a second start that never connected fails the test instead of hanging it.
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    unlink(path.c_str());
    EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    EXPECT_EQ(listen(fd_, 4), 0);
  }
  ~FakeRunningInstance() { close(fd_); }
  FakeRunningInstance(const FakeRunningInstance&) = delete;
  FakeRunningInstance& operator=(const FakeRunningInstance&) = delete;

  // The frames of the next connection, read to its end (the sender has ended by then).
  std::vector<HandOverFrame> Received() const {
    const int connection = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (connection < 0) return {};
    HandOverFrameReader reader;
    char buffer[4096];
    for (ssize_t n; (n = recv(connection, buffer, sizeof buffer, 0)) > 0;)
      reader.Append(std::string_view(buffer, static_cast<std::size_t>(n)));
    close(connection);
    std::vector<HandOverFrame> frames;
    for (HandOverFrame frame; reader.Next(&frame) == HandOverFrameReader::Status::Frame;) frames.push_back(frame);
    return frames;
  }

 private:
  SingleInstanceLock lock_;
  int fd_ = -1;
};

const HandOverFrame kForeground{std::string(kForegroundMessageName), 0, ""};

std::vector<std::string> NeededLibraries(const std::string& file) {
  std::vector<std::string> needed;
  FILE* pipe = popen(("readelf -d '" + file + "'").c_str(), "r");
  if (!pipe) return needed;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe)) {
    const std::string text = line;
    const auto open = text.find("Shared library: [");
    if (open != std::string::npos) needed.push_back(text.substr(open + 17, text.find(']', open) - open - 17));
  }
  pclose(pipe);
  return needed;
}

TEST(LauncherExecutable, NeedsNoToolkitMediaOrSoundServerLibrary) {
  const auto needed = NeededLibraries(VOMBREL_LAUNCHER);
  ASSERT_FALSE(needed.empty());
  for (const std::string& library : needed)
    for (const char* heavy : {"Qt", "gst", "glib", "gobject", "pulse", "xcb", "X11", "dbus", "GL"})
      EXPECT_EQ(library.find(heavy), std::string::npos) << library;
  // The module is where they went (and the reading above sees them).
  const auto module = NeededLibraries(VOMBREL_PROGRAM_MODULE);
  EXPECT_NE(std::find(module.begin(), module.end(), "libQt6Widgets.so.6"), module.end());
}

TEST(ProgramModuleCandidates, BesideThenInstalledFolder) {
  EXPECT_EQ(ProgramModuleCandidates("/usr/bin/vombrel"),
            (std::vector<std::string>{"/usr/bin/libvombrel-app.so", "/usr/bin/../lib/vombrel/libvombrel-app.so"}));
}

// A second start needs no module: it hands over as the program did, from its own folder.
TEST_F(Launcher, SecondStartHandsOverWithoutTheModule) {
  const fs::path program = Install();
  const FakeRunningInstance running;
  const std::string work = (root_ / "work").string();
  const struct {
    std::vector<std::string> arguments;
    std::vector<HandOverFrame> frames;
  } cases[] = {
      {{"-style", "fusion", "song.mp3"}, {kForeground, {"VOMBREL_ADD_TRACK_MESSAGE_ID", 1, work + "/song.mp3"}}},
      {{"/m/list.vpl", "b.mp3"}, {kForeground, {"VOMBREL_OPEN_PLAYLIST_MESSAGE_ID", 1, "/m/list.vpl"}}},
      {{}, {kForeground}},
  };
  for (const auto& c : cases) {
    const Outcome second = Run(program, c.arguments);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(running.Received(), c.frames) << (c.arguments.empty() ? "(none)" : c.arguments.back());
  }
}

TEST_F(Launcher, SecondStartWithNobodyListeningEndsSilently) {
  const fs::path program = Install();
  const SingleInstanceLock held(kName);
  const Outcome second = Run(program, {"a.mp3"});
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.out + second.err, "");
}

// The first instance runs the module with the lock held; the shell client mode runs it
// without a lock, also while an instance runs.
TEST_F(Launcher, RunsTheModuleBesideItselfOrInstalled) {
  for (const char* folder : {"bin", "lib/vombrel"}) {
    const fs::path program = Install(VOMBREL_STUB_MODULE, folder);
    const Outcome first = Run(program, {"a.mp3", "-x"});
    EXPECT_EQ(first.status, 7) << folder << first.err;
    EXPECT_EQ(first.out, "lock=held args=a.mp3|-x\n") << folder;
    const SingleInstanceLock held(kName);
    const Outcome client = Run(program, {"--dde-execute", "Vombrel", "[Open()]"});
    EXPECT_EQ(client.out, "lock=none args=--dde-execute|Vombrel|[Open()]\n") << folder;
    fs::remove_all(root_ / "prefix");
  }
  // Through a link the module is looked for beside the real file.
  const fs::path program = Install(VOMBREL_STUB_MODULE, "lib/vombrel");
  fs::create_directories(root_ / "links");
  fs::create_symlink(program, root_ / "links" / kName);
  EXPECT_EQ(Run(root_ / "links" / kName, {}).out, "lock=held args=\n");
}

TEST_F(Launcher, FirstStartWithoutAUsableModuleFailsWithTheReason) {
  const struct {
    const char* module;  // "" for none, "garbage" for a file that is no library
    const char* reason;
  } cases[] = {
      {"", "No such file"},
      {"garbage", "libvombrel-app.so: "},
      {VOMBREL_ENTRYLESS_MODULE, "vombrel_program_main"},
  };
  for (const auto& c : cases) {
    fs::remove_all(root_ / "prefix");
    const fs::path program = Install(std::string(c.module) == "garbage" ? "" : c.module);
    if (std::string(c.module) == "garbage") std::ofstream(program.parent_path() / "libvombrel-app.so") << "garbage";
    // Neither the environment's library path nor the working folder is a place for it.
    fs::copy_file(VOMBREL_STUB_MODULE, root_ / "work/libvombrel-app.so", fs::copy_options::overwrite_existing);
    const Outcome first = Run(program, {"a.mp3"}, {"LD_LIBRARY_PATH=" + (root_ / "work").string()});
    EXPECT_EQ(first.status, 1) << c.module;
    EXPECT_EQ(first.out, "") << c.module;
    EXPECT_NE(first.err.find("cannot load the program module: " + program.parent_path().string() + "/"),
              std::string::npos)
        << first.err;
    EXPECT_NE(first.err.find(c.reason), std::string::npos) << first.err;
    EXPECT_EQ(std::count(first.err.begin(), first.err.end(), '\n'), 1) << first.err;
  }
}

}  // namespace
