// Drives the real vombrel program under the test environment's X server and PulseAudio
// daemon: starts it with a private user folder and lock folder, finds its window, clicks
// at window coordinates with xdotool, listens to the sink, makes media files with ffmpeg.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vombrel::e2e {

namespace fs = std::filesystem;

// Output of a shell command (stdout), and its exit status.
struct CommandResult {
  int status = -1;
  std::string output;
};
CommandResult RunCommand(const std::string& command);
std::string Quote(const std::string& text);

// Polls until the condition holds or the limit passes; true when it held. The limit is a
// safety net for a hung program, not a measurement.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(30));

// A folder that lives as long as the object.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix);
  ~TempFolder();
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Media files made once per test binary.
fs::path MakeTone(const fs::path& folder, const std::string& name, double seconds, int frequency,
                  const std::string& extraArguments = "");

// One running vombrel process with its own user data folder ($XDG_CONFIG_HOME) and lock
// folder ($XDG_RUNTIME_DIR), so that tests never see each other's playlist or instance.
class Vombrel {
 public:
  // home: the folder holding "config" and "run" for this player's user; several processes
  // sharing one home see each other (hand-over).
  // extraEnvironment: "NAME=value" entries added to (or replacing) the test's own;
  // workingFolder: where the program starts (the test's own folder when empty).
  Vombrel(const fs::path& home, const std::vector<std::string>& arguments,
          const std::vector<std::string>& extraEnvironment = {}, const fs::path& workingFolder = {});
  ~Vombrel();

  pid_t Pid() const { return pid_; }
  bool Running();
  // Exit status once ended (waits up to the limit), -1 when still running.
  int WaitForExit(std::chrono::milliseconds limit = std::chrono::seconds(10));
  void Terminate();

  // The main window's X window id ("" while it has none).
  std::string MainWindow() const;
  bool WaitForMainWindow();
  // What the program wrote to its standard output and error so far.
  std::string Output() const;
  // Visible top-level windows of the process (the main window, message boxes, ...).
  int VisibleWindows() const;
  // A click with the left button at window coordinates of the main window.
  void ClickAt(int x, int y);
  // The user folder of this player and its autosave.
  static fs::path UserFolder(const fs::path& home);
  static std::string Autosave(const fs::path& home);
  static std::string Settings(const fs::path& home);

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  std::string log_;
  static int startCount_;
};

// Starts vombrel and waits for its main window. The shared X server now and then refuses
// a connection while it is busy; that start never reached the program's code and is made
// again, once. The player is returned either way; `shown` tells whether its window came.
std::unique_ptr<Vombrel> StartShown(const fs::path& home, const std::vector<std::string>& arguments, bool* shown);

// The frequency heard at the sink's monitor now, from the zero crossings of a quarter of
// a second; 0 for silence (the keep-alive stream of the test environment is silent).
int HeardFrequency(const std::string& sink = "nullsink");
// Waits until the sink plays the frequency (0: silence, otherwise within a fifth of it);
// the limit only guards against a hung player. On failure the frequency heard and the
// sound server's streams are written to standard error.
bool Hears(int frequency, std::chrono::milliseconds limit = std::chrono::seconds(20));
// Number of playback streams the sound server has from the process.
int SinkInputsOf(pid_t pid);

}  // namespace vombrel::e2e
