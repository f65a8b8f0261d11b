#include "players/Mmcplayer.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "players/Gstreamerstartup.h"
#include "support/Supportfiles.h"
#include "support/Supportstring.h"

namespace vombrel {

namespace {

constexpr std::string_view kNoDeviceOpen = "No MCI device open";
constexpr std::string_view kDescription = "Default Player";
constexpr std::array<std::string_view, 6> kVideoExtensions{".AVI", ".MPEG", ".MPG", ".VOB", ".WMV", ".MOV"};
// Upper bound for a seek to settle; a hang guard only.
constexpr GstClockTime kStateWait = 10 * GST_SECOND;

int32_t ToMilliseconds(gint64 nanoseconds) {
  const gint64 ms = nanoseconds / static_cast<gint64>(GST_MSECOND);
  return static_cast<int32_t>(std::clamp<gint64>(ms, 0, INT32_MAX));
}

}  // namespace

// The bus handler's way to the engine. The engine cuts it when it lets the pipeline go,
// so that a pipeline being taken down on another thread no longer reaches the engine.
struct TMMCPlayer::BusLink {
  std::mutex mutex;
  TMMCPlayer* engine;  // guarded by mutex; null once cut
};

// GStreamer's synchronous bus handler; runs on whichever GStreamer thread posts.
struct MmcBus {
  static GstBusSyncReply OnMessage(GstBus*, GstMessage* message, gpointer data) {
    auto* link = static_cast<TMMCPlayer::BusLink*>(data);
    {
      std::lock_guard lock(link->mutex);
      if (link->engine != nullptr) Handle(*link->engine, message);
    }
    // A handler that drops a message owns it: a message left with its reference holds
    // its source element, and with it the whole decoding chain of the file.
    gst_message_unref(message);
    return GST_BUS_DROP;
  }

  static void Handle(TMMCPlayer& self, GstMessage* message) {
    if (gst_is_video_overlay_prepare_window_handle_message(message)) {
      self.AttachOverlay(GST_ELEMENT(GST_MESSAGE_SRC(message)));
    }
    switch (GST_MESSAGE_TYPE(message)) {
      case GST_MESSAGE_EOS: self.QueueStreamFinished(true); break;
      case GST_MESSAGE_ERROR:
        RecordError(self, message);
        self.QueueStreamFinished(false);
        break;
      case GST_MESSAGE_DURATION_CHANGED: self.lengthChanged_ = true; break;
      default: break;
    }
  }

  static void RecordError(TMMCPlayer& self, GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    std::lock_guard lock(self.busMutex_);
    if (self.lastError_.empty() && error != nullptr && error->message != nullptr) {
      self.lastError_ = error->message;
    }
    g_clear_error(&error);
    g_free(debug);
  }
};

bool TMMCPlayer::IsVideoFileName(const std::string& fileName) {
  const std::string extension = UpperCase(ExtractFileExt(fileName));
  return std::find(kVideoExtensions.begin(), kVideoExtensions.end(), extension) != kVideoExtensions.end();
}

TMMCPlayer::TMMCPlayer(DisplayControl* display, UiDispatcher& dispatcher, NotifyHandler notify)
    : TBasePlayer(display, dispatcher) {
  InitPlayer(display, std::move(notify));
}

TMMCPlayer::~TMMCPlayer() {
  try {
    DeinitPlayer();
  } catch (...) {
    // Teardown must not throw; the pipeline is released regardless.
  }
}

void TMMCPlayer::InitPlayer(DisplayControl* display, NotifyHandler notify) {
  videoDisplay_ = display;
  notify_ = std::move(notify);
  if (relay_) return;
  EnsureGStreamer();
  GstElementFactory* playbin = gst_element_factory_find("playbin");
  if (playbin == nullptr) throw PlayerError("GStreamer's playbin element is missing");
  gst_object_unref(playbin);
  // The first file's pipeline is made, and its sink connected, while the host goes on.
  relay_ = std::make_unique<PipelineRelay>(AudioSinkDescription());
}

void TMMCPlayer::DeinitPlayer() {
  if (!relay_) return;
  CloseDevice();
  setAside_ = {};
  relay_.reset();
  std::lock_guard lock(busMutex_);
  if (overlay_ != nullptr) gst_object_unref(overlay_);
  overlay_ = nullptr;
}

MMFileInfoPtr TMMCPlayer::Open(const std::string& fileName) {
  MMFileInfoPtr info = NewMMFileInfo(fileName);
  CloseDevice();
  fileName_ = fileName;
  hasVideo_ = IsVideoFileName(fileName);
  info->AudioOnly = hasVideo_ ? 0 : 1;
  const std::string error = OpenDevice(fileName);
  RetireSetAside();
  if (!error.empty()) {
    SetMMFileInfoError(*info, error);
    return info;
  }
  info->Success = 1;
  if (hasVideo_) {
    info->VideoWidth = videoWidth_;
    info->VideoHeight = videoHeight_;
  }
  return info;
}

std::string TMMCPlayer::OpenDevice(const std::string& fileName) {
  if (!relay_) return "The player is not initialised";
  // A named pipe would block the pipeline's start for ever, a device would never end.
  if (!IsRegularFile(fileName)) return "Not a regular file";
  GError* uriError = nullptr;
  gchar* uri = gst_filename_to_uri(fileName.c_str(), &uriError);
  if (uri == nullptr) {
    std::string text = uriError != nullptr ? uriError->message : "Invalid file name";
    g_clear_error(&uriError);
    return text;
  }
  std::string error = Preroll(uri, fileName);
  // A sink readied before the sound server restarted holds a dead connection, which every
  // sink of the process shares until the last one lets go of it; the file then fails
  // with whatever error the failed negotiation gives. So a failed file gets one more try
  // in a pipeline made afresh once all the others are down.
  if (!error.empty()) {
    RetireSetAside();
    relay_->Reset();
    error = Preroll(uri, fileName);
  }
  g_free(uri);
  if (!error.empty()) return error;
  open_ = true;
  atEnd_ = false;
  mode_ = PlayerMode::Stopped;
  ReadVideoSize();
  return {};
}

// Takes the next pipeline from the relay and prerolls the file in it; on failure the
// pipeline is let go.
std::string TMMCPlayer::Preroll(const char* uri, const std::string& fileName) {
  {
    std::lock_guard lock(busMutex_);
    lastError_.clear();
  }
  pipeline_ = relay_->Take(hasVideo_);
  if (!pipeline_) return "GStreamer's playback elements are missing";
  AttachBus();
  // Before the preroll: a video sink asks for its window during it.
  windowHandle_ = videoDisplay_ != nullptr ? videoDisplay_->NativeWindowId() : 0;
  lengthChanged_ = false;
  cachedLength_ = -1;
  if (!PrerollFile(pipeline_, uri, fileName)) {
    DetachBus();
    pipeline_ = {};
    ++generation_;
    std::lock_guard lock(busMutex_);
    return lastError_.empty() ? std::string("The file cannot be opened") : lastError_;
  }
  return {};
}

void TMMCPlayer::AttachBus() {
  busLink_ = new BusLink{{}, this};
  GstBus* bus = gst_element_get_bus(pipeline_.element);
  gst_bus_set_sync_handler(bus, &MmcBus::OnMessage, busLink_,
                           [](gpointer link) { delete static_cast<BusLink*>(link); });
  gst_object_unref(bus);
}

// The pipeline may go down on another thread from here on.
void TMMCPlayer::DetachBus() {
  if (busLink_ == nullptr) return;
  {
    std::lock_guard lock(busLink_->mutex);
    busLink_->engine = nullptr;
  }
  busLink_ = nullptr;
}

// The closed file's pipeline is silent at once but goes down only after the next file has
// prerolled, on a thread of its own, so that the two do not compete. A video sink lets go
// of the host's window first: the next file's sink is given it.
void TMMCPlayer::SetPipelineAside() {
  if (!pipeline_) return;
  if (hasVideo_) {
    gst_element_set_state(pipeline_.element, GST_STATE_NULL);
  } else if (mode_ == PlayerMode::Playing) {
    gst_element_set_state(pipeline_.element, GST_STATE_PAUSED);
  }
  DetachBus();
  setAside_ = std::move(pipeline_);
}

void TMMCPlayer::SettleBackgroundWork() {
  if (relay_) relay_->Settle();
}

// The closed file's pipeline is readied for the next file; without one, a new one is made.
void TMMCPlayer::RetireSetAside() {
  if (!relay_) return;
  relay_->Retire(std::move(setAside_));
  relay_->PrepareNext();
}

void TMMCPlayer::ReadVideoSize() {
  videoWidth_ = 0;
  videoHeight_ = 0;
  if (!pipeline_.video) return;
  GstPad* pad = nullptr;
  g_signal_emit_by_name(pipeline_.element, "get-video-pad", 0, &pad);
  if (pad == nullptr) return;
  if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
    GstVideoInfo videoInfo;
    if (gst_video_info_from_caps(&videoInfo, caps)) {
      videoWidth_ = GST_VIDEO_INFO_WIDTH(&videoInfo);
      videoHeight_ = GST_VIDEO_INFO_HEIGHT(&videoInfo);
    }
    gst_caps_unref(caps);
  }
  gst_object_unref(pad);
}

void TMMCPlayer::CloseDevice() {
  if (!open_) return;
  CutShortPendingPlay();
  LeaveFullScreenWindow();
  SetPipelineAside();
  ++generation_;
  open_ = false;
  atEnd_ = false;
  mode_ = PlayerMode::NotReady;
  videoWidth_ = 0;
  videoHeight_ = 0;
  std::lock_guard lock(busMutex_);
  if (overlay_ != nullptr) gst_object_unref(overlay_);
  overlay_ = nullptr;
}

void TMMCPlayer::RequireOpen() const {
  if (!open_) throw PlayerError(std::string(kNoDeviceOpen));
}

void TMMCPlayer::SetPipelineState(int state) { gst_element_set_state(pipeline_.element, static_cast<GstState>(state)); }

void TMMCPlayer::Play() {
  RequireOpen();
  CutShortPendingPlay();
  const int32_t length = GetLength();
  if (length > 0 && GetPosition() == length) SeekTo(0);
  atEnd_ = false;
  SetPipelineState(GST_STATE_PLAYING);
  mode_ = PlayerMode::Playing;
  playPending_ = true;
}

void TMMCPlayer::Pause() {
  RequireOpen();
  if (mode_ == PlayerMode::Playing) {
    CutShortPendingPlay();
    SetPipelineState(GST_STATE_PAUSED);
    mode_ = PlayerMode::Paused;
  } else if (mode_ == PlayerMode::Paused) {
    Resume();
  }
}

void TMMCPlayer::Resume() {
  RequireOpen();
  if (mode_ != PlayerMode::Paused) return;
  SetPipelineState(GST_STATE_PLAYING);
  mode_ = PlayerMode::Playing;
  playPending_ = true;
}

void TMMCPlayer::Stop() {
  RequireOpen();
  if (!IsActiveMode(mode_)) return;
  CutShortPendingPlay();
  SetPipelineState(GST_STATE_PAUSED);
  mode_ = PlayerMode::Stopped;
}

void TMMCPlayer::Close() {
  CloseDevice();
  RetireSetAside();
}

int32_t TMMCPlayer::QueryLength() {
  if (lengthChanged_.exchange(false)) cachedLength_ = -1;
  if (cachedLength_ >= 0) return cachedLength_;
  gint64 duration = 0;
  if (!gst_element_query_duration(pipeline_.element, GST_FORMAT_TIME, &duration) || duration < 0) return 0;
  cachedLength_ = ToMilliseconds(duration);
  return cachedLength_;
}

int32_t TMMCPlayer::GetLength() {
  RequireOpen();
  return QueryLength();
}

int32_t TMMCPlayer::GetPosition() {
  if (!open_) return 0;
  const int32_t length = QueryLength();
  // At the end of the stream the position is exactly the length: the host's track-end
  // rule compares the two, and GStreamer's last position may fall short of or beyond it.
  if (atEnd_) return length;
  gint64 position = 0;
  if (!gst_element_query_position(pipeline_.element, GST_FORMAT_TIME, &position)) return 0;
  const int32_t ms = ToMilliseconds(position);
  return length > 0 ? std::min(ms, length) : ms;
}

PlayerMode TMMCPlayer::GetMode() { return open_ ? mode_ : PlayerMode::NotReady; }

void TMMCPlayer::SeekTo(int32_t position) {
  ++generation_;
  atEnd_ = false;
  const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
  gst_element_seek_simple(pipeline_.element, GST_FORMAT_TIME, flags, static_cast<gint64>(position) * GST_MSECOND);
  gst_element_get_state(pipeline_.element, nullptr, nullptr, kStateWait);
}

void TMMCPlayer::SetPosition(int32_t position) {
  RequireOpen();
  CutShortPendingPlay();
  SeekTo(std::clamp(position, 0, std::max(GetLength(), 0)));
  Play();
}

std::string TMMCPlayer::GetFileName() { return fileName_; }

void TMMCPlayer::SetFullScreen(bool fullScreen) {
  RequireOpen();
  if (!fullScreen) {
    LeaveFullScreenWindow();
    return;
  }
  // A picture already on the whole screen stays there as it is: the full-screen command
  // panel's Pause asks for full screen right after pausing, and the pause must hold.
  if (fullScreen_) {
    ApplyWindowHandle();
    return;
  }
  SetPipelineState(GST_STATE_PAUSED);
  if (!fullScreen_ && hasVideo_ && videoDisplay_ != nullptr) {
    std::weak_ptr<int> alive = alive_;
    const uintptr_t window = videoDisplay_->OpenFullScreen([this, alive] {
      if (!alive.expired()) ReturnPictureToDisplay();
    });
    if (window != 0) {
      fullScreen_ = true;
      windowHandle_ = window;
      ApplyWindowHandle();
    }
  }
  atEnd_ = false;
  SetPipelineState(GST_STATE_PLAYING);
  mode_ = PlayerMode::Playing;
}

// The sink is moved back to the display area before the full-screen window goes: the
// sink draws on for the rest of the file, and a sink left with a destroyed window reads
// garbage sizes from it (the GL sink then asks for a huge framebuffer and fails or crashes).
void TMMCPlayer::LeaveFullScreenWindow() {
  if (!fullScreen_) return;
  ReturnPictureToDisplay();
  if (videoDisplay_ != nullptr) videoDisplay_->CloseFullScreen();
}

void TMMCPlayer::ReturnPictureToDisplay() {
  if (!fullScreen_) return;
  fullScreen_ = false;
  windowHandle_ = videoDisplay_ != nullptr ? videoDisplay_->NativeWindowId() : 0;
  ApplyWindowHandle();
}

bool TMMCPlayer::HasVideo() { return hasVideo_; }

int32_t TMMCPlayer::GetVideoWidth() { return open_ ? videoWidth_ : 0; }

int32_t TMMCPlayer::GetVideoHeight() { return open_ ? videoHeight_ : 0; }

void TMMCPlayer::OutputText(int32_t, int32_t, const std::string&) {}

void TMMCPlayer::Refresh() {
  if (GstElement* overlay = TakeOverlayRef()) {
    gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay));
    gst_object_unref(overlay);
  }
}

GstElement* TMMCPlayer::TakeOverlayRef() {
  std::lock_guard lock(busMutex_);
  return overlay_ != nullptr ? GST_ELEMENT(gst_object_ref(overlay_)) : nullptr;
}

std::string TMMCPlayer::Description() { return std::string(kDescription); }

void TMMCPlayer::AttachOverlay(GstElement* sink) {
  {
    std::lock_guard lock(busMutex_);
    if (overlay_ != sink) {
      if (overlay_ != nullptr) gst_object_unref(overlay_);
      overlay_ = GST_ELEMENT(gst_object_ref(sink));
    }
  }
  // The host's windows take their own keys and clicks (a click closes the full-screen
  // picture); a sink that selected them on the window would take them away.
  gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(sink), FALSE);
  // Synchronously, as the sink asks: it draws into this window from its first frame on.
  const uintptr_t window = windowHandle_;
  if (window != 0) gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink), window);
}

// The sink is called without busMutex_ held: it may be posting to the bus (and so be
// waiting for that mutex) from its streaming thread while holding locks of its own.
void TMMCPlayer::ApplyWindowHandle() {
  GstElement* overlay = TakeOverlayRef();
  if (overlay == nullptr) return;
  gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlay), windowHandle_);
  gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay));
  gst_object_unref(overlay);
}

void TMMCPlayer::QueueStreamFinished(bool endOfStream) {
  const unsigned generation = generation_;
  std::weak_ptr<int> alive = alive_;
  Dispatcher().Post([this, alive, generation, endOfStream] {
    if (!alive.expired()) OnStreamFinished(generation, endOfStream);
  });
}

void TMMCPlayer::OnStreamFinished(unsigned generation, bool endOfStream) {
  if (generation != generation_ || !open_ || !IsActiveMode(mode_)) return;
  // An error before the length is known would read as the end of the track (position and
  // length both 0): playback stops there, without a notification that would move on.
  const bool looksLikeEnd = !endOfStream && GetPosition() == QueryLength();
  atEnd_ = endOfStream;
  mode_ = PlayerMode::Stopped;
  playPending_ = false;
  if (notify_ && !looksLikeEnd) notify_(this);
}

void TMMCPlayer::CutShortPendingPlay() {
  if (!playPending_) return;
  playPending_ = false;
  QueueNotify();
}

// A command cut short (stop, pause, seek, a new play) completes with a notification, as at
// the end of a file; the host tells the two apart by comparing position and length. Two
// kinds would be misread there, so they are not delivered:
// - one that arrives after another file was opened: it belongs to the earlier file;
// - one whose position equals the length although the stream has not ended, which is
//   what a file shows while its length is not known yet (both 0 just after the start of
//   a stream without a length header).
void TMMCPlayer::QueueNotify() {
  const unsigned generation = generation_;
  std::weak_ptr<int> alive = alive_;
  Dispatcher().Post([this, alive, generation] {
    if (alive.expired() || !notify_ || generation != generation_) return;
    if (open_ && !atEnd_ && GetPosition() == QueryLength()) return;
    notify_(this);
  });
}

}  // namespace vombrel
