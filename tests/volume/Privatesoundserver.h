// A sound server of the test's own, with one null sink, which a test may suspend, kill
// and start again without disturbing the test environment's server or other tests.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "tests/wave/Soundtestkit.h"

namespace soundtest {

class PrivateSoundServer {
 public:
  PrivateSoundServer() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vombrel-pulse.XXXXXX").string();
    if (mkdtemp(pattern.data())) folder_ = pattern;
  }
  ~PrivateSoundServer() {
    Kill();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  PrivateSoundServer(const PrivateSoundServer&) = delete;
  PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

  // Starts the daemon and waits until it answers; false when it does not.
  bool Start() {
    if (folder_.empty()) return false;
    daemon_ = std::make_unique<Background>(
        "PULSE_RUNTIME_PATH=" + folder_ + " PULSE_STATE_PATH=" + folder_ + "/state exec pulseaudio --daemonize=no " +
        "--exit-idle-time=-1 --system=false -n --disallow-exit --load='module-null-sink sink_name=" + kSink +
        "' --load='module-native-protocol-unix auth-anonymous=1 socket=" + folder_ + "/native' >" + folder_ +
        "/daemon.log 2>&1");
    return WaitUntil([this] { return Answers(); }, 10000);
  }

  // Ends the daemon at once, as a crash would.
  void Kill() {
    if (!daemon_) return;
    kill(daemon_->Pid(), SIGCONT);
    daemon_->Stop(SIGKILL);
    daemon_.reset();
  }

  // Freezes the daemon: connected clients see a server that never answers.
  // Returns once the daemon is seen frozen: the signal is delivered asynchronously.
  void Suspend() {
    kill(daemon_->Pid(), SIGSTOP);
    for (int i = 0; i < 400 && !Suspended(); ++i) usleep(5000);
  }
  void Resume() { kill(daemon_->Pid(), SIGCONT); }
  // The daemon is frozen right now (state "T" in the process table).
  bool Suspended() const {
    std::ifstream stat("/proc/" + std::to_string(daemon_->Pid()) + "/stat");
    std::string pid, name, state;
    stat >> pid >> name >> state;
    return state == "T";
  }

  std::string Address() const { return "unix:" + folder_ + "/native"; }
  // A pactl command against this server; its standard output.
  std::string Pactl(const std::string& arguments) const {
    return Run("PULSE_SERVER=" + Address() + " pactl " + arguments + " 2>/dev/null");
  }
  bool Answers() const {
    int status = -1;
    Run("PULSE_SERVER=" + Address() + " pactl info >/dev/null 2>&1", &status);
    return status == 0;
  }

  static constexpr const char* kSink = "privatesink";

 private:
  std::string folder_;
  std::unique_ptr<Background> daemon_;
};

// Points the program's own server choice (PULSE_SERVER) at `address` while it lives.
class ServerAddressOverride {
 public:
  explicit ServerAddressOverride(const std::string& address) {
    if (const char* old = getenv("PULSE_SERVER")) previous_ = old;
    setenv("PULSE_SERVER", address.c_str(), 1);
  }
  ~ServerAddressOverride() {
    if (previous_)
      setenv("PULSE_SERVER", previous_->c_str(), 1);
    else
      unsetenv("PULSE_SERVER");
  }
  ServerAddressOverride(const ServerAddressOverride&) = delete;
  ServerAddressOverride& operator=(const ServerAddressOverride&) = delete;

 private:
  std::optional<std::string> previous_;
};

}  // namespace soundtest
