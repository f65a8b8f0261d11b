// Runs the grab helper: another X client holding a key combination while it lives.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

extern char** environ;

namespace vombrel::testing {

class Grabber {
 public:
  // modifiers: X modifier mask (4 Control, 8 Mod1, 1 Shift); keysym: X keysym.
  Grabber(unsigned modifiers, unsigned keysym) {
    char pattern[] = "/tmp/vombrel-grabber-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    log_ = pattern;
    const std::string program = std::string(VOMBREL_BINARY_DIR) + "/bin/hotkeys_grab_helper";
    const std::string m = std::to_string(modifiers), k = std::to_string(keysym);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(m.c_str()), const_cast<char*>(k.c_str()),
                    nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log_.c_str(), O_WRONLY | O_TRUNC, 0600);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    // Its first line says whether it holds the combination.
    for (int i = 0; i < 200 && Output().find('\n') == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ~Grabber() {
    End();
    std::remove(log_.c_str());
  }
  void End() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  bool Holds() const { return Output().rfind("grabbed", 0) == 0; }
  int Presses() const {
    const std::string text = Output();
    int n = 0;
    for (auto at = text.find("pressed"); at != std::string::npos; at = text.find("pressed", at + 1)) ++n;
    return n;
  }
  std::string Output() const {
    std::ifstream in(log_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  pid_t pid_ = -1;
  std::string log_;
};

}  // namespace vombrel::testing
