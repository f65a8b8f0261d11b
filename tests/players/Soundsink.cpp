#include "Soundsink.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace vombrel::test {

ChildProcess::ChildProcess(const std::string& shellCommand) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  pid_ = fork();
  if (pid_ == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    close(fds[1]);
    execl("/bin/sh", "sh", "-c", ("exec " + shellCommand).c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  outputFd_ = fds[0];
  if (pid_ < 0) throw std::runtime_error("fork failed");
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  if (outputFd_ >= 0) close(outputFd_);
}

std::string CommandOutput(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
    pclose(pipe);
  }
  return output;
}

PrivateSink::PrivateSink() : name_("vombrel_players_" + std::to_string(getpid())) {
  std::string index = CommandOutput("pactl load-module module-null-sink sink_name=" + name_ + " 2>/dev/null");
  while (!index.empty() && (index.back() == '\n' || index.back() == ' ')) index.pop_back();
  if (index.empty()) throw std::runtime_error("the sound server is not reachable (PULSE_SERVER)");
  moduleIndex_ = index;
  keepAlive_ = new ChildProcess("pacat --playback --device=" + name_ + " /dev/zero");
  // A short buffer: with pulsesink's default the null sink takes well over a second longer
  // than the media to play it out.
  setenv("VOMBREL_AUDIO_SINK", ("pulsesink buffer-time=50000 device=" + name_).c_str(), 1);
}

PrivateSink::~PrivateSink() {
  delete keepAlive_;
  CommandOutput("pactl unload-module " + moduleIndex_ + " 2>/dev/null");
}

int PrivateSink::StreamCount() const {
  // "pactl list sinks short": index name ...; "pactl list sink-inputs short": index sink ...
  std::istringstream sinks(CommandOutput("pactl list sinks short"));
  std::string line, sinkIndex;
  while (std::getline(sinks, line)) {
    std::istringstream fields(line);
    std::string index, name;
    fields >> index >> name;
    if (name == name_) sinkIndex = index;
  }
  std::istringstream inputs(CommandOutput("pactl list sink-inputs short"));
  int count = 0;
  while (std::getline(inputs, line)) {
    std::istringstream fields(line);
    std::string index, sink;
    fields >> index >> sink;
    if (!sinkIndex.empty() && sink == sinkIndex) ++count;
  }
  return count;
}

OwnSoundServer::OwnSoundServer() {
  char folder[] = "/tmp/vombrel-own-pulse-XXXXXX";
  if (mkdtemp(folder) == nullptr) throw std::runtime_error("no folder for the sound server");
  folder_ = folder;
  Start();
}

OwnSoundServer::~OwnSoundServer() {
  server_.reset();
  std::filesystem::remove_all(folder_);
}

void OwnSoundServer::Start() {
  server_ = std::make_unique<ChildProcess>(
      "env PULSE_RUNTIME_PATH=" + folder_ +
      " pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n --disallow-exit --log-target=stderr"
      " --load='module-null-sink sink_name=own'"
      " --load='module-native-protocol-unix auth-anonymous=1 socket=" +
      folder_ + "/native' 2>/dev/null");
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (std::system(("pactl --server=" + Address() + " info >/dev/null 2>&1").c_str()) == 0) return;
    usleep(50000);
  }
  throw std::runtime_error("the test's own sound server did not start");
}

void OwnSoundServer::Restart() {
  server_.reset();
  Start();
}

MonitorListener::MonitorListener(const std::string& sinkName)
    : capture_("parec --device=" + sinkName + ".monitor --raw --format=s16le --channels=1 --rate=8000") {
  reader_ = std::thread([this] {
    const int fd = capture_.OutputFd();
    int16_t samples[512];
    while (!stop_ && !heard_) {
      pollfd poller{fd, POLLIN, 0};
      if (poll(&poller, 1, 100) <= 0) continue;
      const ssize_t count = read(fd, samples, sizeof samples);
      if (count <= 0) return;
      for (ssize_t i = 0; i < count / 2; ++i) {
        if (std::abs(samples[i]) > 1000) heard_ = true;
      }
    }
  });
}

MonitorListener::~MonitorListener() {
  stop_ = true;
  reader_.join();
}

}  // namespace vombrel::test
