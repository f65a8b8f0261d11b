// The plug-in engine: hands every operation to a player plug-in, a shared library built
// against vombrel_player_plugin.h and loaded with dlopen.
//
// Threads: operations run on the user-interface thread, and so do all calls into the
// plug-in. The plug-in may call its notify callback from any thread; the engine queues
// it onto the dispatcher, so the host's handler always runs on the user-interface thread.
//
// Failures: every call into the plug-in is guarded. An exception escaping the plug-in is
// shown through ShowError (caption: the application title) and the operation returns its
// default result (0, false, Stopped, empty text, a null record from Open).
#pragma once

#include <memory>
#include <string>

#include "players/Baseplayer.h"
#include "players/vombrel_player_plugin.h"

namespace vombrel {

class TDllPlayer final : public TBasePlayer {
 public:
  // Loads the library at `path`, resolves the twenty entry points in their fixed order
  // and calls _InitPlayer. When the library cannot be loaded, the "MSG_CANT_LOAD_PLAYER"
  // text is shown at once. Throws PlayerError with the "MSG_CANT_LOAD_FUNCTION" text
  // followed by " '<entry>'" for the first entry point that is missing (the first of all
  // when nothing was loaded); the library is then unloaded again.
  TDllPlayer(const std::string& path, DisplayControl* display, UiDispatcher& dispatcher, NotifyHandler notify);
  // Calls _DeinitPlayer (a second time after DeinitPlayer), then unloads the library.
  ~TDllPlayer() override;
  TDllPlayer(const TDllPlayer&) = delete;
  TDllPlayer& operator=(const TDllPlayer&) = delete;

  void InitPlayer(DisplayControl* display, NotifyHandler notify) override;
  void DeinitPlayer() override;
  // Null when the plug-in failed (threw) or returned no record.
  MMFileInfoPtr Open(const std::string& fileName) override;
  void Play() override;
  void Pause() override;
  void Resume() override;
  void Stop() override;
  void Close() override;
  int32_t GetLength() override;
  int32_t GetPosition() override;
  PlayerMode GetMode() override;
  void SetPosition(int32_t position) override;
  std::string GetFileName() override;
  void SetFullScreen(bool fullScreen) override;
  bool HasVideo() override;
  int32_t GetVideoWidth() override;
  int32_t GetVideoHeight() override;
  void OutputText(int32_t x, int32_t y, const std::string& text) override;
  void Refresh() override;
  std::string Description() override;

 private:
  struct Entries {
    VombrelPauseProc Pause = nullptr;
    VombrelResumeProc Resume = nullptr;
    VombrelPlayProc Play = nullptr;
    VombrelStopProc Stop = nullptr;
    VombrelCloseProc Close = nullptr;
    VombrelGetLengthProc GetLength = nullptr;
    VombrelGetPositionProc GetPosition = nullptr;
    VombrelSetPositionProc SetPosition = nullptr;
    VombrelGetModeProc GetMode = nullptr;
    VombrelOpenProc Open = nullptr;
    VombrelGetFileNameProc GetFileName = nullptr;
    VombrelInitPlayerProc InitPlayer = nullptr;
    VombrelSetFullScreenProc SetFullScreen = nullptr;
    VombrelHasVideoProc HasVideo = nullptr;
    VombrelGetVideoWidthProc GetVideoWidth = nullptr;
    VombrelGetVideoHeightProc GetVideoHeight = nullptr;
    VombrelRefreshProc Refresh = nullptr;
    VombrelOutputTextProc OutputText = nullptr;
    VombrelDeinitPlayerProc DeinitPlayer = nullptr;
    VombrelDescriptionProc Description = nullptr;
  };
  // What the plug-in's notify callback receives as its context; outlives the library.
  struct NotifyBridge {
    TDllPlayer* engine;
    std::weak_ptr<int> alive;
  };
  struct ModuleCloser {
    void operator()(void* module) const;
  };

  static void NotifyFromPlugin(void* context, void* sender);
  void ResolveEntries();
  template <typename Proc>
  void Resolve(const char* name, Proc& target);

  std::unique_ptr<void, ModuleCloser> module_;
  Entries entries_;
  NotifyHandler notify_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  std::unique_ptr<NotifyBridge> bridge_;
};

}  // namespace vombrel
