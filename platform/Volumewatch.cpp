#include "platform/Volumewatch.h"

#include <pulse/pulseaudio.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "platform/Volume.h"

namespace vombrel {

namespace {

constexpr pa_usec_t kFirstRetryPause = 100 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kLongestRetryPause = 5 * PA_USEC_PER_SEC;

}  // namespace

// The connection and its state. Everything below "the watch's thread" runs there, in
// callbacks of the sound library's main loop; the other threads only touch the fields
// under `mutex_` and wake the loop through an event descriptor.
class TVolumeWatch::Loop {
 public:
  Loop(ChangeHandler onChange, std::string server) : onChange_(std::move(onChange)), server_(std::move(server)) {
    mainloop_ = pa_mainloop_new();
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (!mainloop_ || wakeFd_ < 0) return;  // no thread: every answer stays neutral
    api_ = pa_mainloop_get_api(mainloop_);
    api_->io_new(api_, wakeFd_, PA_IO_EVENT_INPUT, &Loop::WakeCallback, this);
    thread_ = std::thread([this] { Run(); });
  }

  ~Loop() {
    {
      std::lock_guard<std::mutex> g(mutex_);
      stopping_ = true;
    }
    Wake();
    if (thread_.joinable()) thread_.join();
    if (mainloop_) pa_mainloop_free(mainloop_);
    if (wakeFd_ >= 0) close(wakeFd_);
  }

  Loop(const Loop&) = delete;
  Loop& operator=(const Loop&) = delete;

  std::optional<uint32_t> Volume() const {
    std::lock_guard<std::mutex> g(mutex_);
    return known_;
  }

  bool Connected() const {
    std::lock_guard<std::mutex> g(mutex_);
    return connected_;
  }

  void SetVolume(uint32_t word) {
    {
      std::lock_guard<std::mutex> g(mutex_);
      if (!connecting_) return;
      pending_ = word;
      if (known_) known_ = word;  // readers see the write at once; the server confirms it
    }
    Wake();
  }

 private:
  void Wake() {
    if (wakeFd_ < 0) return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
  }

  // ---- the watch's thread ----

  void Run() {
    Connect();
    pa_mainloop_run(mainloop_, nullptr);
    DropContext();
  }

  static void WakeCallback(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self) {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(fd, &count, sizeof count);
    static_cast<Loop*>(self)->OnWake();
  }

  void OnWake() {
    bool stopping = false;
    {
      std::lock_guard<std::mutex> g(mutex_);
      stopping = stopping_;
    }
    if (stopping) {
      pa_mainloop_quit(mainloop_, 0);
      return;
    }
    SendPendingWrite();
  }

  void Connect() {
    {
      std::lock_guard<std::mutex> g(mutex_);
      connecting_ = true;
    }
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Vombrel");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "vombrel");
    context_ = pa_context_new_with_proplist(api_, "Vombrel", props);
    pa_proplist_free(props);
    if (!context_) {
      ConnectionLost();
      return;
    }
    pa_context_set_state_callback(context_, &Loop::StateCallback, this);
    pa_context_set_subscribe_callback(context_, &Loop::EventCallback, this);
    if (pa_context_connect(context_, server_.empty() ? nullptr : server_.c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
      ConnectionLost();
  }

  // Only from the retry timer or at the end: never inside the context's own callbacks.
  void DropContext() {
    if (!context_) return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }

  bool Ready() const { return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY; }

  static void StateCallback(pa_context* c, void* self) { static_cast<Loop*>(self)->OnState(c); }

  void OnState(pa_context* c) {
    if (c != context_) return;
    switch (pa_context_get_state(c)) {
      case PA_CONTEXT_READY: {
        retryPause_ = kFirstRetryPause;
        {
          std::lock_guard<std::mutex> g(mutex_);
          connected_ = true;
        }
        const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER);
        if (pa_operation* op = pa_context_subscribe(c, mask, nullptr, nullptr)) pa_operation_unref(op);
        RequestInfo();
        break;
      }
      case PA_CONTEXT_FAILED:
      case PA_CONTEXT_TERMINATED: ConnectionLost(); break;
      default: break;
    }
  }

  // Forgets everything the connection told and tries again after a pause.
  void ConnectionLost() {
    if (retryScheduled_) return;
    retryScheduled_ = true;
    sinkIndex_ = PA_INVALID_INDEX;
    sinkChannels_ = 0;
    querying_ = queryAgain_ = writing_ = false;
    {
      std::lock_guard<std::mutex> g(mutex_);
      connecting_ = connected_ = false;
      pending_.reset();
    }
    Publish(std::nullopt);
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, retryPause_);
    if (retryTimer_)
      api_->time_restart(retryTimer_, &when);
    else
      retryTimer_ = api_->time_new(api_, &when, &Loop::RetryCallback, this);
    retryPause_ = std::min(retryPause_ * 2, kLongestRetryPause);
  }

  static void RetryCallback(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
    auto* loop = static_cast<Loop*>(self);
    loop->retryScheduled_ = false;
    loop->DropContext();
    loop->Connect();
  }

  static void EventCallback(pa_context* c, pa_subscription_event_type_t type, uint32_t index, void* self) {
    auto* loop = static_cast<Loop*>(self);
    if (c != loop->context_) return;
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    // Another sink's change cannot touch the default sink's volume; a new or removed
    // sink or a server change (the default sink replaced) can.
    if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind == PA_SUBSCRIPTION_EVENT_CHANGE && index != loop->sinkIndex_)
      return;
    loop->RequestInfo();
  }

  // Asks for the default sink; while an answer is outstanding, one more request is
  // remembered and sent after it.
  void RequestInfo() {
    if (!Ready()) return;
    if (querying_) {
      queryAgain_ = true;
      return;
    }
    pa_operation* op = pa_context_get_sink_info_by_name(context_, kDefaultSinkName, &Loop::SinkInfoCallback, this);
    if (!op) return;  // the connection broke: the state callback follows
    pa_operation_unref(op);
    querying_ = true;
    queryAgain_ = false;
    sinkSeen_ = false;
    queryWrites_ = writesDone_;
  }

  static void SinkInfoCallback(pa_context* c, const pa_sink_info* info, int eol, void* self) {
    auto* loop = static_cast<Loop*>(self);
    if (c != loop->context_) return;
    if (eol == 0) {
      if (info) loop->OnSink(*info);
      return;
    }
    loop->OnSinkQueryEnd();
  }

  void OnSink(const pa_sink_info& info) {
    sinkSeen_ = true;
    sinkIndex_ = info.index;
    sinkChannels_ = info.volume.channels;
    // An answer that may predate one of our writes would put an old value back for a
    // moment; the write's completion asks again.
    if (queryWrites_ != writesDone_ || writing_ || HasPendingWrite()) return;
    Publish(VolumeWordOf(TChannelVolumes(info.volume.values, info.volume.values + info.volume.channels)));
  }

  void OnSinkQueryEnd() {
    querying_ = false;
    if (!sinkSeen_) {  // no default sink
      sinkIndex_ = PA_INVALID_INDEX;
      sinkChannels_ = 0;
      Publish(std::nullopt);
    }
    if (queryAgain_) RequestInfo();
    SendPendingWrite();
  }

  bool HasPendingWrite() const {
    std::lock_guard<std::mutex> g(mutex_);
    return pending_.has_value();
  }

  // Sends the latest write when none is on its way and the sink is known.
  void SendPendingWrite() {
    if (writing_ || !Ready() || sinkIndex_ == PA_INVALID_INDEX || sinkChannels_ == 0) return;
    std::optional<uint32_t> word;
    {
      std::lock_guard<std::mutex> g(mutex_);
      word.swap(pending_);
    }
    if (!word) return;
    const TChannelVolumes volumes = ChannelVolumesOf(*word, sinkChannels_);
    pa_cvolume cv;
    pa_cvolume_init(&cv);
    cv.channels = sinkChannels_;
    for (uint8_t c = 0; c < sinkChannels_; ++c) cv.values[c] = std::min<uint32_t>(volumes[c], PA_VOLUME_MAX);
    pa_operation* op = pa_context_set_sink_volume_by_index(context_, sinkIndex_, &cv, &Loop::WriteCallback, this);
    if (!op) return;
    pa_operation_unref(op);
    writing_ = true;
  }

  static void WriteCallback(pa_context* c, int /*success*/, void* self) {
    auto* loop = static_cast<Loop*>(self);
    if (c != loop->context_) return;
    loop->writing_ = false;
    ++loop->writesDone_;
    loop->RequestInfo();  // the server's own value, whether the write took or not
    loop->SendPendingWrite();
  }

  // What the server says the volume is now (nullopt: unknown). The handler runs when
  // that differs from the server's previous report or from what readers saw.
  void Publish(std::optional<uint32_t> word) {
    bool changed = word != reported_;
    reported_ = word;
    {
      std::lock_guard<std::mutex> g(mutex_);
      changed = changed || known_ != word;
      known_ = word;
    }
    if (changed && onChange_) onChange_();
  }

  const ChangeHandler onChange_;
  const std::string server_;
  pa_mainloop* mainloop_ = nullptr;
  pa_mainloop_api* api_ = nullptr;
  int wakeFd_ = -1;
  std::thread thread_;

  mutable std::mutex mutex_;  // guards the five fields below
  std::optional<uint32_t> known_;
  std::optional<uint32_t> pending_;
  bool connecting_ = false;  // from the start of a connection attempt until it fails
  bool connected_ = false;
  bool stopping_ = false;

  // The watch's thread only.
  pa_context* context_ = nullptr;
  pa_time_event* retryTimer_ = nullptr;
  bool retryScheduled_ = false;
  pa_usec_t retryPause_ = kFirstRetryPause;
  uint32_t sinkIndex_ = PA_INVALID_INDEX;
  uint8_t sinkChannels_ = 0;
  bool querying_ = false;
  bool queryAgain_ = false;
  bool sinkSeen_ = false;     // the running query has answered with a sink
  uint64_t writesDone_ = 0;   // writes the server has answered
  uint64_t queryWrites_ = 0;  // writesDone_ when the running query was sent
  bool writing_ = false;      // a write is on its way
  std::optional<uint32_t> reported_;
};

TVolumeWatch::TVolumeWatch(ChangeHandler onChange, std::string server)
    : loop_(std::make_unique<Loop>(std::move(onChange), std::move(server))) {}

TVolumeWatch::~TVolumeWatch() = default;

std::optional<uint32_t> TVolumeWatch::Volume() const { return loop_->Volume(); }

void TVolumeWatch::SetVolume(uint32_t word) { loop_->SetVolume(word); }

bool TVolumeWatch::Connected() const { return loop_->Connected(); }

}  // namespace vombrel
