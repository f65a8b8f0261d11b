// The program as the desktop starts it: a file opened through the desktop's launcher
// (gio open) once MP3 is associated, the "Enqueue in Vombrel" action of that
// association, and the tree `cmake --install` makes.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "E2eHarness.h"
#include "platform/Fileassociations.h"

namespace vombrel::e2e {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kLow = 440;
constexpr int kHigh = 1500;
const std::string kProgram = std::string(VOMBREL_BINARY_DIR) + "/bin/vombrel";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The processes of a program whose environment names the runtime folder: the players
// the desktop's tools started for one test.
std::vector<pid_t> ProgramsWithRuntime(const std::string& program, const fs::path& runtime) {
  std::vector<pid_t> found;
  const std::string marker = "XDG_RUNTIME_DIR=" + runtime.string();
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator("/proc", ignored)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code error;
    if (fs::read_symlink(entry.path() / "exe", error).string() != program) continue;
    const std::string environment = ReadFile(entry.path() / "environ");
    std::istringstream variables(environment);
    for (std::string variable; std::getline(variables, variable, '\0');)
      if (variable == marker) found.push_back(static_cast<pid_t>(std::stoi(name)));
  }
  return found;
}

// True once the process has ended (a zombie left to a parent that does not reap counts).
bool Gone(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const auto close = stat.rfind(')');
  return close == std::string::npos || stat.compare(close, 3, ") Z") == 0;
}

void Stop(pid_t pid) {
  kill(pid, SIGTERM);
  if (!WaitUntil([&] { return Gone(pid); }, seconds(5))) kill(pid, SIGKILL);
}

class DesktopStart : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    media_ = new TempFolder("vombrel-desktop-media");
    low_ = MakeTone(media_->Path(), "low tone.mp3", 30, kLow);
    high_ = MakeTone(media_->Path(), "high.mp3", 30, kHigh);
  }
  static void TearDownTestSuite() { delete media_; }

  void SetUp() override {
    home_ = std::make_unique<TempFolder>("vombrel-desktop-home");
    fs::create_directories(Runtime());
    fs::permissions(Runtime(), fs::perms::owner_all);
    root_ = {(home_->Path() / "data").string() + "/", (home_->Path() / "config").string() + "/", {"/usr/share/"}};
    RegisterOpenAssociation("MP3", ProgIdOf("MP3"), kProgram, root_);
    RegisterEnqueueVerb("MP3", ProgIdOf("MP3"), kProgram, kShellCommandApplication, kEnqueueVerb, root_);
  }
  void TearDown() override {
    for (const pid_t pid : ProgramsWithRuntime(kProgram, Runtime())) Stop(pid);
  }

  fs::path Runtime() const { return home_->Path() / "run"; }
  // The desktop session of this test: its folders only, no desktop of its own.
  std::string Session() const {
    return "env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u QT_QPA_PLATFORM HOME=" + Quote(home_->Path().string()) +
           " XDG_DATA_HOME=" + Quote(root_.dataHome) + " XDG_CONFIG_HOME=" + Quote(root_.configHome) +
           " XDG_RUNTIME_DIR=" + Quote(Runtime().string()) + " XDG_DATA_DIRS=/usr/share ";
  }
  std::string Autosave() const { return Vombrel::Autosave(home_->Path()); }

  // Runs a launcher in the session. What it starts inherits its output, so the output
  // goes to a file rather than to a pipe that would stay open while the player runs.
  CommandResult Launch(const std::string& command, const fs::path& folder = "/") const {
    const fs::path log = home_->Path() / "launcher.log";
    CommandResult result = RunCommand("cd " + Quote(folder.string()) + " && " + Session() + command + " >" +
                                      Quote(log.string()) + " 2>&1");
    result.output = ReadFile(log);
    return result;
  }

  // The command of the entry's "Enqueue in Vombrel" action for a file, as a launcher runs it.
  std::string EnqueueCommand(const std::string& file) const {
    const std::string entry = ReadFile(fs::path(root_.dataHome) / "applications" / DesktopIdOfProgId(ProgIdOf("MP3")));
    const auto action = entry.find("[Desktop Action Enqueue]");
    const auto exec = entry.find("\nExec=", action);
    std::string command = entry.substr(exec + 6, entry.find('\n', exec + 1) - exec - 6);
    command.replace(command.find("%f"), 2, Quote(file));
    return command;
  }

  pid_t OnlyPlayer() {
    std::vector<pid_t> players;
    WaitUntil([&] { return (players = ProgramsWithRuntime(kProgram, Runtime())).size() == 1; }, seconds(10));
    return players.size() == 1 ? players.front() : -1;
  }

  static TempFolder* media_;
  static fs::path low_, high_;
  std::unique_ptr<TempFolder> home_;
  AssociationRoot root_;
};

TempFolder* DesktopStart::media_ = nullptr;
fs::path DesktopStart::low_, DesktopStart::high_;

TEST_F(DesktopStart, TheLauncherOpensAnAssociatedFileInThePlayer) {
  const auto launched = Launch("gio open " + Quote(low_.string()));
  EXPECT_EQ(launched.status, 0) << launched.output;
  EXPECT_GT(OnlyPlayer(), 0);
  EXPECT_TRUE(Hears(kLow));
  EXPECT_EQ(Autosave(), low_.string() + "\r\n");
}

TEST_F(DesktopStart, EnqueueAppendsToTheRunningPlayerWithoutInterruptingIt) {
  Launch("gio open " + Quote(low_.string()));
  ASSERT_GT(OnlyPlayer(), 0);
  ASSERT_TRUE(Hears(kLow));
  const auto sent = Launch(EnqueueCommand(high_.string()));
  EXPECT_EQ(sent.status, 0) << sent.output;
  EXPECT_TRUE(WaitUntil([&] { return Autosave() == low_.string() + "\r\n" + high_.string() + "\r\n"; }, seconds(5)))
      << Autosave();
  EXPECT_TRUE(Hears(kLow, seconds(2)));
  EXPECT_EQ(ProgramsWithRuntime(kProgram, Runtime()).size(), 1u);
}

TEST_F(DesktopStart, EnqueueStartsThePlayerWhenNoneRuns) {
  // From a terminal in the file's folder: the player gets the absolute path.
  const auto sent = Launch(EnqueueCommand("high.mp3"), high_.parent_path());
  EXPECT_EQ(sent.status, 0) << sent.output;
  EXPECT_GT(OnlyPlayer(), 0);
  EXPECT_EQ(Autosave(), high_.string() + "\r\n");
  // Appended, not played.
  EXPECT_TRUE(Hears(0, seconds(3)));
}

TEST_F(DesktopStart, AClientGivesUpWhenTheServiceDoesNotAnswer) {
  // A socket that accepts but never answers stands for a hung instance.
  fs::create_directories(Runtime() / "vombrel");
  fs::permissions(Runtime() / "vombrel", fs::perms::owner_all);
  const std::string socket = (Runtime() / "vombrel" / "DDE.vombrel.shellcmd").string();
  const auto listener = RunCommand("python3 -c " +
                                   Quote("import socket,os,time,sys\n"
                                         "s=socket.socket(socket.AF_UNIX)\ns.bind(sys.argv[1])\ns.listen(4)\n"
                                         "pid=os.fork()\nif pid: print(pid); sys.exit(0)\n"
                                         "os.close(1)\ntime.sleep(12)") +
                                   " " + Quote(socket));
  const auto start = std::chrono::steady_clock::now();
  const auto sent = Launch(EnqueueCommand(high_.string()));
  EXPECT_EQ(sent.status, 1);
  EXPECT_NE(sent.output.find("does not answer"), std::string::npos) << sent.output;
  EXPECT_LT(std::chrono::steady_clock::now() - start, seconds(8));
  if (const int pid = std::atoi(listener.output.c_str()); pid > 0) kill(pid, SIGKILL);
}

TEST(InstalledTree, StartsFindsItsLanguagesAndPassesTheDesktopValidators) {
  TempFolder prefix("vombrel-prefix");
  const fs::path root = prefix.Path() / "usr local";  // a blank in the prefix
  const auto installed = RunCommand("cmake --install " + Quote(VOMBREL_BINARY_DIR) + " --prefix " +
                                    Quote(root.string()) + " 2>&1");
  ASSERT_EQ(installed.status, 0) << installed.output;
  for (const auto& file :
       {"bin/vombrel", "lib/vombrel/libvombrel-app.so", "bin/vombrel-info", "share/vombrel/Langs/English.lng",
        "share/vombrel/Langs/Italiano.lng", "share/vombrel/Players", "share/vombrel/Config/Settings.tpl",
        "share/icons/hicolor/scalable/apps/vombrel.svg"})
    EXPECT_TRUE(fs::exists(root / file)) << file;
  const auto entry = RunCommand("desktop-file-validate " +
                                Quote((root / "share/applications/vombrel.desktop").string()) + " 2>&1");
  EXPECT_EQ(entry.status, 0) << entry.output;
  const auto metainfo = RunCommand("appstreamcli validate --no-net " +
                                   Quote((root / "share/metainfo/org.kelvatro.vombrel.metainfo.xml").string()) +
                                   " 2>&1");
  EXPECT_EQ(metainfo.status, 0) << metainfo.output;

  // A language of the installed tree renames the main window: the program found it there.
  std::string probe = ReadFile(root / "share/vombrel/Langs/English.lng");
  const std::string caption = "FormVombrel.FormVombrel.Caption=Vombrel";
  probe.replace(probe.find(caption), caption.size(), caption + "Probe");
  std::ofstream(root / "share/vombrel/Langs/Probe.lng", std::ios::binary) << probe;
  TempFolder home("vombrel-installed-home");
  fs::create_directories(home.Path() / "config/vombrel/Config/Kelvatro");
  std::ofstream(home.Path() / "config/vombrel/Config/Kelvatro/Vombrel.ini") << "[General]\r\nLanguage=Probe\r\n";
  fs::create_directories(home.Path() / "run");
  fs::permissions(home.Path() / "run", fs::perms::owner_all);
  const std::string program = (root / "bin/vombrel").string();
  RunCommand("env -u QT_QPA_PLATFORM XDG_CONFIG_HOME=" + Quote((home.Path() / "config").string()) +
             " XDG_RUNTIME_DIR=" + Quote((home.Path() / "run").string()) + " " + Quote(program) + " >/dev/null 2>&1 &");
  std::vector<pid_t> players;
  ASSERT_TRUE(WaitUntil([&] { return (players = ProgramsWithRuntime(program, home.Path() / "run")).size() == 1; },
                        seconds(10)));
  const std::string pid = std::to_string(players.front());
  EXPECT_TRUE(WaitUntil(
      [&] {
        return !RunCommand("xdotool search --onlyvisible --pid " + pid + " --name '^VombrelProbe$' 2>/dev/null")
                    .output.empty();
      },
      seconds(15)));
  Stop(players.front());
}

}  // namespace
}  // namespace vombrel::e2e
