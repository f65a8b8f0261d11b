// An engine for the main window's tests: files open or fail as scripted, the mode,
// position and length are set by the test, every call is logged, and any operation can
// be made to throw.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "players/Baseplayer.h"

namespace vombrel::testing {

class NullDispatcher : public UiDispatcher {
 public:
  void Post(std::function<void()> task) override { task(); }
};

struct ScriptedFile {
  bool success = true;
  bool audioOnly = true;
  int32_t length = 180000;
};

class ScriptedEngine : public TBasePlayer {
 public:
  explicit ScriptedEngine(UiDispatcher& dispatcher) : TBasePlayer(nullptr, dispatcher) {}

  std::map<std::string, ScriptedFile> files;  // files not listed fail to open
  std::set<std::string> throwing;             // names of operations that throw
  std::vector<std::string> calls;             // "Open x", "Play", "SetPosition 100", ...
  PlayerMode mode = PlayerMode::NotReady;
  int32_t position = 0;
  int32_t length = 0;
  std::string fileName;
  NotifyHandler notify;
  bool deinitialised = false;

  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }

  void InitPlayer(DisplayControl*, NotifyHandler handler) override { notify = std::move(handler); }
  void DeinitPlayer() override { deinitialised = true; }
  MMFileInfoPtr Open(const std::string& name) override {
    Log("Open " + name);
    fileName = name;
    MMFileInfoPtr info = NewMMFileInfo(name);
    const auto it = files.find(name);
    if (it == files.end() || !it->second.success) {
      mode = PlayerMode::NotReady;
      return info;
    }
    info->Success = 1;
    info->AudioOnly = it->second.audioOnly ? 1 : 0;
    mode = PlayerMode::Stopped;
    length = it->second.length;
    position = 0;
    return info;
  }
  void Play() override {
    Log("Play");
    mode = PlayerMode::Playing;
  }
  void Pause() override {
    Log("Pause");
    mode = PlayerMode::Paused;
  }
  void Resume() override {
    Log("Resume");
    mode = PlayerMode::Playing;
  }
  void Stop() override {
    Log("Stop");
    if (mode == PlayerMode::Playing || mode == PlayerMode::Paused) mode = PlayerMode::Stopped;
  }
  void Close() override {
    Log("Close");
    mode = PlayerMode::NotReady;
  }
  int32_t GetLength() override {
    Throw("GetLength");
    return length;
  }
  int32_t GetPosition() override {
    Throw("GetPosition");
    return position;
  }
  PlayerMode GetMode() override {
    Throw("GetMode");
    return mode;
  }
  void SetPosition(int32_t p) override {
    Log("SetPosition " + std::to_string(p));
    position = p;
  }
  std::string GetFileName() override { return fileName; }
  void SetFullScreen(bool on) override { Log(std::string("SetFullScreen ") + (on ? "1" : "0")); }
  bool HasVideo() override { return hasVideo; }
  int32_t GetVideoWidth() override { return 0; }
  int32_t GetVideoHeight() override { return 0; }
  void OutputText(int32_t, int32_t, const std::string&) override {}
  void Refresh() override {}
  std::string Description() override { return "Scripted"; }

  bool hasVideo = false;

 private:
  void Throw(const std::string& op) {
    if (throwing.count(op)) throw PlayerError(op + " failed");
  }
  void Log(const std::string& call) {
    calls.push_back(call);
    const std::string op = call.substr(0, call.find(' '));
    Throw(op);
  }
};

}  // namespace vombrel::testing
