// A private PulseAudio null sink for one test binary, so that what the engine plays can be
// checked without cross-talk from other tests; and a capture of its monitor.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace vombrel::test {

// A child process whose standard output can be read; killed on destruction.
class ChildProcess {
 public:
  explicit ChildProcess(const std::string& shellCommand);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  int OutputFd() const { return outputFd_; }

 private:
  pid_t pid_ = -1;
  int outputFd_ = -1;
};

class PrivateSink {
 public:
  // Loads module-null-sink with a unique name, keeps a silent stream flowing into it and
  // points VOMBREL_AUDIO_SINK at it. Throws when the sound server is not reachable.
  PrivateSink();
  ~PrivateSink();
  const std::string& Name() const { return name_; }
  // Number of streams now playing into the sink (the silent keep-alive included).
  int StreamCount() const;

 private:
  std::string name_;
  std::string moduleIndex_;
  ChildProcess* keepAlive_ = nullptr;
};

// Listens to the sink's monitor on a thread of its own until it hears a sample louder
// than the threshold, or is destroyed.
class MonitorListener {
 public:
  explicit MonitorListener(const std::string& sinkName);
  ~MonitorListener();
  bool Heard() const { return heard_; }

 private:
  ChildProcess capture_;
  std::atomic<bool> heard_{false};
  std::atomic<bool> stop_{false};
  std::thread reader_;
};

// A sound server of a test's own, on a socket and runtime folder of its own, with one
// null sink named "own": it can be stopped and started again without disturbing the
// tests that share the environment's server.
class OwnSoundServer {
 public:
  // Throws when the server does not come up.
  OwnSoundServer();
  ~OwnSoundServer();
  OwnSoundServer(const OwnSoundServer&) = delete;
  OwnSoundServer& operator=(const OwnSoundServer&) = delete;
  // "unix:<socket>", for a client's server setting.
  std::string Address() const { return "unix:" + folder_ + "/native"; }
  // Ends the server (its clients lose their connection) and starts a new one in its place.
  void Restart();

 private:
  void Start();
  std::string folder_;
  std::unique_ptr<ChildProcess> server_;
};

// Output of a shell command.
std::string CommandOutput(const std::string& command);

}  // namespace vombrel::test
