// A player plug-in for the tests, built against the public header only. It plays a
// simulated two-second timeline on a thread of its own (100 ms of media per real
// millisecond) and calls the host's notify callback from that thread at the end.
// Extra exports (TestPlugin_...) let the tests read its call log and make an entry point
// throw. Built three times: complete, without "_Description" (VOMBREL_TEST_OMIT_DESCRIPTION),
// and without "_Open" and "_Description" (also VOMBREL_TEST_OMIT_OPEN).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "players/vombrel_player_plugin.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int32_t kLength = 2000;

struct Plugin {
  std::mutex mutex;  // guards log, throwFrom, description
  std::string log;
  std::string throwFrom;
  std::string description = "Test Player";
  std::string fileName;
  std::atomic<int32_t> position{0};
  std::atomic<int32_t> mode{VOMBREL_MODE_NOT_READY};
  std::atomic<bool> stopTimeline{false};
  std::thread timeline;
  bool open = false;
  bool video = false;
  VombrelNotifyProc notify = nullptr;
  void* notifyContext = nullptr;
  void* initArguments[4] = {};
  std::atomic<unsigned long> notifyThread{0};
};

Plugin& State() {
  static Plugin plugin;
  return plugin;
}

// Logs the call and throws when the test asked this entry point to fail.
void Enter(const char* name) {
  Plugin& p = State();
  std::lock_guard lock(p.mutex);
  if (!p.log.empty()) p.log += ',';
  p.log += name;
  if (p.throwFrom == name) throw std::runtime_error(std::string("failure in ") + name);
}

void StopTimeline() {
  Plugin& p = State();
  p.stopTimeline = true;
  if (p.timeline.joinable() && p.timeline.get_id() != std::this_thread::get_id()) p.timeline.join();
  p.stopTimeline = false;
}

void StartTimeline() {
  Plugin& p = State();
  StopTimeline();
  p.mode = VOMBREL_MODE_PLAYING;
  p.timeline = std::thread([&p] {
    while (!p.stopTimeline && p.position < kLength) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      p.position = std::min<int32_t>(kLength, p.position + 100);
    }
    if (p.position >= kLength) {
      p.mode = VOMBREL_MODE_STOPPED;
      p.notifyThread = static_cast<unsigned long>(std::hash<std::thread::id>()(std::this_thread::get_id()));
      if (p.notify != nullptr) p.notify(p.notifyContext, nullptr);
    }
  });
}

[[maybe_unused]] char* MallocCopy(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

[[maybe_unused]] bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

EXPORT void _InitPlayer(void* application, void* screen, void* display, void* display2, VombrelNotifyProc notify,
                        void* context) {
  Enter("_InitPlayer");
  Plugin& p = State();
  p.initArguments[0] = application;
  p.initArguments[1] = screen;
  p.initArguments[2] = display;
  p.initArguments[3] = display2;
  p.notify = notify;
  p.notifyContext = context;
}

EXPORT void _DeinitPlayer() {
  Enter("_DeinitPlayer");
  StopTimeline();
  State().open = false;
  State().mode = VOMBREL_MODE_NOT_READY;
}

#ifndef VOMBREL_TEST_OMIT_OPEN
EXPORT TMMFileInfo* _Open(const char* fileName) {
  Enter("_Open");
  Plugin& p = State();
  StopTimeline();
  p.fileName = fileName;
  p.video = EndsWith(p.fileName, ".mpg");
  p.open = !EndsWith(p.fileName, ".bad");
  p.position = 0;
  p.mode = p.open ? VOMBREL_MODE_STOPPED : VOMBREL_MODE_NOT_READY;
  auto* info = static_cast<TMMFileInfo*>(std::calloc(1, sizeof(TMMFileInfo)));
  info->AudioOnly = p.video ? 0 : 1;
  info->FileName = MallocCopy(p.fileName);
  info->Success = p.open ? 1 : 0;
  if (!p.open) info->ErrorText = MallocCopy("cannot open");
  info->VideoWidth = p.video ? 320 : 0;
  info->VideoHeight = p.video ? 240 : 0;
  return info;
}
#endif

EXPORT void _Play() {
  Enter("_Play");
  if (!State().open) return;
  if (State().position >= kLength) State().position = 0;
  StartTimeline();
}

EXPORT void _Pause() {
  Enter("_Pause");
  Plugin& p = State();
  if (p.mode == VOMBREL_MODE_PLAYING) {
    StopTimeline();
    p.mode = VOMBREL_MODE_PAUSED;
  } else if (p.mode == VOMBREL_MODE_PAUSED) {
    StartTimeline();
  }
}

EXPORT void _Resume() {
  Enter("_Resume");
  if (State().mode == VOMBREL_MODE_PAUSED) StartTimeline();
}

EXPORT void _Stop() {
  Enter("_Stop");
  StopTimeline();
  if (State().open) State().mode = VOMBREL_MODE_STOPPED;
}

EXPORT void _Close() {
  Enter("_Close");
  StopTimeline();
  State().open = false;
  State().mode = VOMBREL_MODE_NOT_READY;
}

EXPORT int32_t _GetLength() {
  Enter("_GetLength");
  return State().open ? kLength : 0;
}

EXPORT int32_t _GetPosition() {
  Enter("_GetPosition");
  return State().position;
}

EXPORT void _SetPosition(int32_t position) {
  Enter("_SetPosition");
  StopTimeline();
  State().position = std::clamp(position, 0, kLength);
  StartTimeline();
}

// Garbage in the upper bytes: the host must look at the low byte only.
EXPORT int32_t _GetMode() {
  Enter("_GetMode");
  return State().mode | 0x5A5A00;
}

EXPORT const char* _GetFileName() {
  Enter("_GetFileName");
  return State().fileName.c_str();
}

EXPORT void _SetFullScreen(int32_t fullScreen) {
  Enter((fullScreen & 0xFF) != 0 ? "_SetFullScreen(1)" : "_SetFullScreen(0)");
}

EXPORT int32_t _HasVideo() {
  Enter("_HasVideo");
  return (State().video ? 1 : 0) | 0x7700;
}

EXPORT int32_t _GetVideoWidth() {
  Enter("_GetVideoWidth");
  return State().video ? 320 : 0;
}

EXPORT int32_t _GetVideoHeight() {
  Enter("_GetVideoHeight");
  return State().video ? 240 : 0;
}

EXPORT void _Refresh() { Enter("_Refresh"); }

EXPORT void _OutputText(int32_t x, int32_t y, const char* text) {
  Enter(("_OutputText(" + std::to_string(x) + ";" + std::to_string(y) + ";" + text + ")").c_str());
}

#ifndef VOMBREL_TEST_OMIT_DESCRIPTION
// Writes all 128 bytes when the description is that long: the host must bound it.
EXPORT int32_t _Description(char* buffer) {
  Enter("_Description");
  std::lock_guard lock(State().mutex);
  std::strncpy(buffer, State().description.c_str(), VOMBREL_PLAYER_DESCRIPTION_SIZE);
  return 0;
}
#endif

// ---- controls for the tests ----

EXPORT const char* TestPlugin_TakeLog() {
  static std::string taken;
  std::lock_guard lock(State().mutex);
  taken = State().log;
  State().log.clear();
  return taken.c_str();
}

EXPORT void TestPlugin_ThrowFrom(const char* entry) {
  std::lock_guard lock(State().mutex);
  State().throwFrom = entry;
}

EXPORT void TestPlugin_SetDescription(const char* text) {
  std::lock_guard lock(State().mutex);
  State().description = text;
}

EXPORT void* TestPlugin_InitArgument(int index) { return State().initArguments[index]; }

EXPORT unsigned long TestPlugin_NotifyThread() { return State().notifyThread; }
