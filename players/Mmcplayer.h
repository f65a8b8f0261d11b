// The built-in engine ("Default" in the options): plays through GStreamer, whose decoding
// bin picks the decoders for each file by the system's ranks (Pipelinerelay.h): audio
// files through an audio pipeline, video files through playbin. Positions and lengths are
// milliseconds.
//
// Threads: operations run on the user-interface thread. GStreamer's bus is served by a
// synchronous handler on GStreamer's own threads; it only records errors, hands the video
// sink its window and queues end-of-stream and error events onto the dispatcher, where
// they change the engine's state and call the host's handler.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "players/Baseplayer.h"
#include "players/Pipelinerelay.h"

typedef struct _GstElement GstElement;

namespace vombrel {

class TMMCPlayer final : public TBasePlayer {
 public:
  // Throws PlayerError when GStreamer or its playbin element is not available.
  TMMCPlayer(DisplayControl* display, UiDispatcher& dispatcher, NotifyHandler notify);
  ~TMMCPlayer() override;
  TMMCPlayer(const TMMCPlayer&) = delete;
  TMMCPlayer& operator=(const TMMCPlayer&) = delete;

  void InitPlayer(DisplayControl* display, NotifyHandler notify) override;
  void DeinitPlayer() override;
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

  // For diagnostics and benchmarks: the open file's pipeline (borrowed; null while no
  // file is open).
  GstElement* Pipeline() const { return pipeline_.element; }
  // For tests and benchmarks: waits until the next file's pipeline is ready and every
  // closed file's pipeline is down.
  void SettleBackgroundWork();

  // Whether the upper-cased extension of the name is one of the video extensions.
  static bool IsVideoFileName(const std::string& fileName);

 private:
  friend struct MmcBus;  // GStreamer's bus handler, in the source file
  struct BusLink;
  void AttachOverlay(GstElement* sink);
  void ApplyWindowHandle();
  GstElement* TakeOverlayRef();  // a reference to the video sink, or null
  void QueueStreamFinished(bool endOfStream);
  void OnStreamFinished(unsigned generation, bool endOfStream);
  void QueueNotify();
  void CutShortPendingPlay();
  void RequireOpen() const;
  std::string OpenDevice(const std::string& fileName);
  std::string Preroll(const char* uri, const std::string& fileName);
  void AttachBus();
  void DetachBus();
  void SetPipelineAside();
  void RetireSetAside();
  void CloseDevice();
  void SeekTo(int32_t position);
  void ReadVideoSize();
  void SetPipelineState(int state);
  void ReturnPictureToDisplay();
  void LeaveFullScreenWindow();
  int32_t QueryLength();

  DisplayControl* videoDisplay_ = nullptr;
  NotifyHandler notify_;
  // Made when the engine is; gives each opened file its pipeline.
  std::unique_ptr<PipelineRelay> relay_;
  // The open file's pipeline; empty while no file is open.
  EnginePipeline pipeline_;
  // The pipeline of the file closed for the one being opened.
  EnginePipeline setAside_;
  // The bus handler's way to this engine for the open file's pipeline; owned by its bus.
  BusLink* busLink_ = nullptr;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);

  // User-interface thread only.
  std::string fileName_;
  bool open_ = false;
  bool hasVideo_ = false;
  bool atEnd_ = false;
  bool playPending_ = false;
  bool fullScreen_ = false;
  PlayerMode mode_ = PlayerMode::NotReady;
  int32_t cachedLength_ = -1;
  int32_t videoWidth_ = 0;
  int32_t videoHeight_ = 0;

  // Shared with GStreamer's threads.
  std::atomic<unsigned> generation_{0};     // bumped whenever earlier stream events go stale
  std::atomic<uintptr_t> windowHandle_{0};  // where the video sink draws; 0 = its own window
  std::atomic<bool> lengthChanged_{false};
  std::mutex busMutex_;
  std::string lastError_;          // guarded by busMutex_
  GstElement* overlay_ = nullptr;  // guarded by busMutex_; a reference
};

}  // namespace vombrel
