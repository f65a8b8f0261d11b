#include "E2eHarness.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace vombrel::e2e {

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (true) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

TempFolder::TempFolder(const std::string& prefix) {
  std::string pattern = (fs::temp_directory_path() / (prefix + ".XXXXXX")).string();
  path_ = mkdtemp(pattern.data());
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

fs::path MakeTone(const fs::path& folder, const std::string& name, double seconds, int frequency,
                  const std::string& extraArguments) {
  const fs::path file = folder / name;
  RunCommand("ffmpeg -v error -y -f lavfi -i " +
             Quote("sine=frequency=" + std::to_string(frequency) + ":duration=" + std::to_string(seconds)) + " " +
             extraArguments + " " + Quote(file.string()) + " </dev/null");
  return file;
}

fs::path Vombrel::UserFolder(const fs::path& home) { return home / "config" / "vombrel"; }

static std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Vombrel::Autosave(const fs::path& home) { return ReadWholeFile(UserFolder(home) / "Playlist.vpl"); }

std::string Vombrel::Settings(const fs::path& home) {
  return ReadWholeFile(UserFolder(home) / "Config" / "Kelvatro" / "Vombrel.ini");
}

Vombrel::Vombrel(const fs::path& home, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& extraEnvironment, const fs::path& workingFolder) {
  fs::create_directories(home / "config");
  fs::create_directories(home / "run");
  fs::permissions(home / "run", fs::perms::owner_all);
  const std::string program = std::string(VOMBREL_BINARY_DIR) + "/bin/vombrel";
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('=') + 1);
    const bool replaced = std::any_of(extraEnvironment.begin(), extraEnvironment.end(),
                                      [&](const std::string& extra) { return extra.rfind(name, 0) == 0; });
    if (replaced || name == "XDG_CONFIG_HOME=" || name == "XDG_RUNTIME_DIR=" || name == "QT_QPA_PLATFORM=") continue;
    environment.push_back(entry);
  }
  environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
  environment.push_back("XDG_CONFIG_HOME=" + (home / "config").string());
  environment.push_back("XDG_RUNTIME_DIR=" + (home / "run").string());
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  // The program's own output goes to a log in its home, shown when a test fails.
  log_ = (home / ("vombrel-" + std::to_string(getpid()) + "-" + std::to_string(++startCount_) + ".log")).string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

Vombrel::~Vombrel() { Terminate(); }

bool Vombrel::Running() {
  if (pid_ <= 0 || status_ != -1) return false;
  int status = 0;
  const pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == pid_) {
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
  }
  return true;
}

int Vombrel::WaitForExit(std::chrono::milliseconds limit) {
  WaitUntil([&] { return !Running(); }, limit);
  return status_;
}

void Vombrel::Terminate() {
  if (Running()) {
    kill(pid_, SIGTERM);
    if (WaitForExit(std::chrono::seconds(5)) == -1) {
      kill(pid_, SIGKILL);
      WaitForExit(std::chrono::seconds(5));
    }
  }
}

std::string Vombrel::MainWindow() const {
  const auto found = RunCommand("xdotool search --onlyvisible --pid " + std::to_string(pid_) +
                                " --name '^Vombrel$' 2>/dev/null | head -n1");
  std::string id = found.output;
  while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
  return id;
}

std::string Vombrel::Output() const { return ReadWholeFile(log_); }

int Vombrel::VisibleWindows() const {
  const auto found = RunCommand("xdotool search --onlyvisible --pid " + std::to_string(pid_) + " 2>/dev/null");
  int count = 0;
  for (const char c : found.output) count += c == '\n';
  return count;
}

bool Vombrel::WaitForMainWindow() {
  WaitUntil([&] { return !Running() || !MainWindow().empty(); });
  if (Running() && !MainWindow().empty()) return true;
  std::fprintf(stderr, "no main window; running %d, exit status %d; output:\n%s\n", Running() ? 1 : 0, status_,
               ReadWholeFile(log_).c_str());
  return false;
}

int Vombrel::startCount_ = 0;

void Vombrel::ClickAt(int x, int y) {
  const std::string window = MainWindow();
  RunCommand("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

std::unique_ptr<Vombrel> StartShown(const fs::path& home, const std::vector<std::string>& arguments, bool* shown) {
  auto player = std::make_unique<Vombrel>(home, arguments);
  *shown = player->WaitForMainWindow();
  if (!*shown && player->Output().find("could not connect to display") != std::string::npos) {
    player = std::make_unique<Vombrel>(home, arguments);
    *shown = player->WaitForMainWindow();
  }
  return player;
}

int HeardFrequency(const std::string& sink) {
  // A quarter of a second at 8 kHz, mono 16-bit.
  const auto captured = RunCommand("timeout 3 parec --device=" + Quote(sink + ".monitor") +
                                   " --raw --format=s16le --channels=1 --rate=8000 --latency-msec=20 2>/dev/null"
                                   " | head -c 4000");
  int crossings = 0;
  int peak = 0;
  int sign = 0;
  for (size_t i = 0; i + 1 < captured.output.size(); i += 2) {
    const int sample = static_cast<int16_t>(static_cast<uint8_t>(captured.output[i]) |
                                            (static_cast<uint8_t>(captured.output[i + 1]) << 8));
    peak = std::max(peak, std::abs(sample));
    const int now = sample > 300 ? 1 : sample < -300 ? -1 : 0;
    if (now != 0 && sign != 0 && now != sign) ++crossings;
    if (now != 0) sign = now;
  }
  if (peak < 1000) return 0;
  return crossings * 2;  // two crossings a period, four quarter seconds a second
}

int SinkInputsOf(pid_t pid) {
  const auto listing = RunCommand("pactl list sink-inputs 2>/dev/null");
  const std::string needle = "application.process.id = \"" + std::to_string(pid) + "\"";
  int count = 0;
  for (size_t at = listing.output.find(needle); at != std::string::npos;
       at = listing.output.find(needle, at + needle.size()))
    ++count;
  return count;
}

bool Hears(int frequency, std::chrono::milliseconds limit) {
  int last = -1;
  const bool heard = WaitUntil(
      [&] {
        last = HeardFrequency();
        return frequency == 0 ? last == 0 : std::abs(last - frequency) < frequency / 5;
      },
      limit);
  if (!heard)
    std::fprintf(stderr, "expected %d Hz, heard %d Hz; sink inputs:\n%s\n", frequency, last,
                 RunCommand("pactl list sink-inputs short").output.c_str());
  return heard;
}

}  // namespace vombrel::e2e
