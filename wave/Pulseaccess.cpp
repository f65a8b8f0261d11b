#include "wave/Pulseaccess.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace vombrel {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kConnectTimeout = std::chrono::milliseconds(1000);
constexpr auto kOperationTimeout = std::chrono::milliseconds(1000);
constexpr auto kRetryPause = std::chrono::seconds(2);

std::string TextOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

TChannelVolumes FromCVolume(const pa_cvolume& cv) { return TChannelVolumes(cv.values, cv.values + cv.channels); }

// The volumes for a device of `channels` channels: as given, the last given value for
// channels beyond them.
pa_cvolume ToCVolume(const TChannelVolumes& volumes, uint8_t channels) {
  pa_cvolume cv;
  pa_cvolume_init(&cv);
  cv.channels = channels;
  for (uint8_t c = 0; c < channels; ++c) {
    const uint32_t v = c < volumes.size() ? volumes[c] : volumes.back();
    cv.values[c] = std::min<uint32_t>(v, PA_VOLUME_MAX);
  }
  return cv;
}

template <class Info>
TSoundDevice DeviceFrom(const Info& info) {
  TSoundDevice d;
  d.name = TextOrEmpty(info.name);
  d.description = TextOrEmpty(info.description);
  for (uint32_t p = 0; p < info.n_ports; ++p) {
    if (info.ports[p]) {
      d.ports.push_back({TextOrEmpty(info.ports[p]->name), TextOrEmpty(info.ports[p]->description),
                         info.ports[p]->available != PA_PORT_AVAILABLE_NO});
    }
  }
  if (info.active_port) d.activePort = TextOrEmpty(info.active_port->name);
  return d;
}

// What one sink or source query hands back.
struct DeviceInfo {
  TSoundDevice device;
  TChannelVolumes volumes;
  bool mute = false;
  uint8_t channels = 0;
};

// One connection: a threaded main loop and its context. The loop thread runs every
// callback; callers start an operation under the loop lock and wait, outside it, on their
// own condition variable with a deadline, so a hung server costs at most the timeout.
class PulseSoundServer final : public TSoundServer {
 public:
  PulseSoundServer() = default;
  ~PulseSoundServer() override { Disconnect(); }
  PulseSoundServer(const PulseSoundServer&) = delete;
  PulseSoundServer& operator=(const PulseSoundServer&) = delete;

  std::string ServerName() override {
    const std::optional<ServerInfo> info = QueryServerInfo();
    return info ? info->serverName : std::string();
  }

  std::optional<std::string> DefaultSourceName() override {
    const std::optional<ServerInfo> info = QueryServerInfo();
    if (!info) return std::nullopt;
    return info->defaultSourceName;
  }

  std::vector<TSoundDevice> ListSinks() override {
    std::vector<DeviceInfo> infos;
    Query([&](pa_context* c, Waiter* w) { return pa_context_get_sink_info_list(c, &SinkInfoCallback, w); }, &infos);
    return DevicesOf(infos);
  }

  std::vector<TSoundDevice> ListSources() override {
    std::vector<DeviceInfo> infos;
    Query([&](pa_context* c, Waiter* w) { return pa_context_get_source_info_list(c, &SourceInfoCallback, w); }, &infos);
    return DevicesOf(infos);
  }

  std::optional<TChannelVolumes> SinkVolume(const std::string& sink) override {
    auto info = SinkInfo(sink);
    if (!info) return std::nullopt;
    return info->volumes;
  }

  bool SetSinkVolume(const std::string& sink, const TChannelVolumes& volumes) override {
    return SetVolume(SinkInfo(sink), sink, volumes, &pa_context_set_sink_volume_by_name);
  }

  std::optional<TChannelVolumes> SourceVolume(const std::string& source) override {
    auto info = SourceInfo(source);
    if (!info) return std::nullopt;
    return info->volumes;
  }

  bool SetSourceVolume(const std::string& source, const TChannelVolumes& volumes) override {
    return SetVolume(SourceInfo(source), source, volumes, &pa_context_set_source_volume_by_name);
  }

  std::optional<bool> SourceMute(const std::string& source) override {
    auto info = SourceInfo(source);
    if (!info) return std::nullopt;
    return info->mute;
  }

  bool SetSourceMute(const std::string& source, bool mute) override {
    return Query(
        [&](pa_context* c, Waiter* w) {
          return pa_context_set_source_mute_by_name(c, source.c_str(), mute ? 1 : 0, &SuccessCallback, w);
        },
        nullptr);
  }

  bool SetSourcePort(const std::string& source, const std::string& port) override {
    return Query(
        [&](pa_context* c, Waiter* w) {
          return pa_context_set_source_port_by_name(c, source.c_str(), port.c_str(), &SuccessCallback, w);
        },
        nullptr);
  }

  bool SetDefaultSource(const std::string& source) override {
    return Query(
        [&](pa_context* c, Waiter* w) { return pa_context_set_default_source(c, source.c_str(), &SuccessCallback, w); },
        nullptr);
  }

 private:
  // The texts of the server's information that the service asks for.
  struct ServerInfo {
    std::string serverName;
    std::string defaultSourceName;
  };

  std::optional<ServerInfo> QueryServerInfo() {
    ServerInfo info;
    const bool ok = Query(
        [&](pa_context* c, Waiter* w) {
          return pa_context_get_server_info(
              c,
              [](pa_context*, const pa_server_info* i, void* u) {
                auto* w = static_cast<Waiter*>(u);
                if (i)
                  *static_cast<ServerInfo*>(w->result) = {TextOrEmpty(i->server_name),
                                                          TextOrEmpty(i->default_source_name)};
                w->Finish(i != nullptr);
              },
              w);
        },
        &info);
    if (!ok) return std::nullopt;
    return info;
  }

  using SetVolumeByName = pa_operation* (*)(pa_context*, const char*, const pa_cvolume*, pa_context_success_cb_t,
                                            void*);

  // Sets the volumes of a device whose channel count `info` tells.
  bool SetVolume(const std::optional<struct DeviceInfo>& info, const std::string& name, const TChannelVolumes& volumes,
                 SetVolumeByName setter) {
    if (volumes.empty() || !info) return false;
    const pa_cvolume cv = ToCVolume(volumes, info->channels);
    return Query([&](pa_context* c, Waiter* w) { return setter(c, name.c_str(), &cv, &SuccessCallback, w); }, nullptr);
  }

  // Completion of one operation; lives on the caller's stack. `Finish` runs on the loop
  // thread.
  struct Waiter {
    PulseSoundServer* owner = nullptr;
    void* result = nullptr;
    bool done = false;
    bool ok = false;
    void Finish(bool success) {
      std::lock_guard<std::mutex> g(owner->waitMutex_);
      done = true;
      ok = success;
      owner->waitCondition_.notify_all();
    }
  };

  static void SuccessCallback(pa_context*, int success, void* u) { static_cast<Waiter*>(u)->Finish(success != 0); }

  template <class Info>
  static void CollectInfo(const Info* i, int eol, void* u) {
    auto* w = static_cast<Waiter*>(u);
    if (eol != 0) {
      w->Finish(eol > 0);
      return;
    }
    if (!i) return;
    DeviceInfo d;
    d.device = DeviceFrom(*i);
    d.volumes = FromCVolume(i->volume);
    d.mute = i->mute != 0;
    d.channels = i->channel_map.channels;
    static_cast<std::vector<DeviceInfo>*>(w->result)->push_back(std::move(d));
  }
  static void SinkInfoCallback(pa_context*, const pa_sink_info* i, int eol, void* u) { CollectInfo(i, eol, u); }
  static void SourceInfoCallback(pa_context*, const pa_source_info* i, int eol, void* u) {
    CollectInfo(i, eol, u);
    if (eol == 0 && i) {
      auto* list = static_cast<std::vector<DeviceInfo>*>(static_cast<Waiter*>(u)->result);
      list->back().device.isMonitor = i->monitor_of_sink != PA_INVALID_INDEX;
    }
  }

  static std::vector<TSoundDevice> DevicesOf(std::vector<DeviceInfo>& infos) {
    std::vector<TSoundDevice> devices;
    devices.reserve(infos.size());
    for (auto& i : infos) devices.push_back(std::move(i.device));
    return devices;
  }

  std::optional<DeviceInfo> SinkInfo(const std::string& sink) {
    std::vector<DeviceInfo> infos;
    const bool ok = Query(
        [&](pa_context* c, Waiter* w) {
          return pa_context_get_sink_info_by_name(c, sink.c_str(), &SinkInfoCallback, w);
        },
        &infos);
    if (!ok || infos.empty()) return std::nullopt;
    return infos.front();
  }

  std::optional<DeviceInfo> SourceInfo(const std::string& source) {
    std::vector<DeviceInfo> infos;
    const bool ok = Query(
        [&](pa_context* c, Waiter* w) {
          return pa_context_get_source_info_by_name(c, source.c_str(), &SourceInfoCallback, w);
        },
        &infos);
    if (!ok || infos.empty()) return std::nullopt;
    return infos.front();
  }

  // Runs one operation to its end or to the deadline. `start` is called under the loop
  // lock and returns the operation (nullptr when it could not be started).
  bool Query(const std::function<pa_operation*(pa_context*, Waiter*)>& start, void* result) {
    std::lock_guard<std::mutex> serial(callMutex_);
    if (!EnsureConnected()) return false;
    Waiter waiter{this, result};
    pa_threaded_mainloop_lock(loop_);
    pa_operation* op = start(context_, &waiter);
    pa_threaded_mainloop_unlock(loop_);
    if (!op) return false;
    {
      std::unique_lock<std::mutex> g(waitMutex_);
      waitCondition_.wait_for(g, kOperationTimeout, [&] { return waiter.done || contextBroken_; });
    }
    pa_threaded_mainloop_lock(loop_);
    // Cancelling under the loop lock guarantees the callback never runs after this.
    if (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_operation_cancel(op);
    pa_operation_unref(op);
    pa_threaded_mainloop_unlock(loop_);
    std::lock_guard<std::mutex> g(waitMutex_);
    return waiter.done && waiter.ok;
  }

  static void ContextStateCallback(pa_context* c, void* u) {
    auto* self = static_cast<PulseSoundServer*>(u);
    const pa_context_state_t state = pa_context_get_state(c);
    std::lock_guard<std::mutex> g(self->waitMutex_);
    self->contextReady_ = state == PA_CONTEXT_READY;
    self->contextBroken_ = state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
    self->waitCondition_.notify_all();
  }

  bool Healthy() {
    std::lock_guard<std::mutex> g(waitMutex_);
    return context_ && contextReady_ && !contextBroken_;
  }

  // Called with callMutex_ held.
  bool EnsureConnected() {
    if (Healthy()) return true;
    if (loop_) Disconnect();
    const auto now = Clock::now();
    if (lastFailure_ && now - *lastFailure_ < kRetryPause) return false;
    if (Connect()) {
      lastFailure_.reset();
      return true;
    }
    Disconnect();
    lastFailure_ = now;
    return false;
  }

  bool Connect() {
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) return false;
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Vombrel");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "vombrel");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Vombrel", props);
    pa_proplist_free(props);
    if (!context_) return false;
    {
      std::lock_guard<std::mutex> g(waitMutex_);
      contextReady_ = false;
      contextBroken_ = false;
    }
    pa_context_set_state_callback(context_, &ContextStateCallback, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
    if (pa_threaded_mainloop_start(loop_) < 0) return false;
    std::unique_lock<std::mutex> g(waitMutex_);
    waitCondition_.wait_for(g, kConnectTimeout, [&] { return contextReady_ || contextBroken_; });
    return contextReady_ && !contextBroken_;
  }

  void Disconnect() {
    if (loop_) pa_threaded_mainloop_stop(loop_);
    if (context_) {
      pa_context_set_state_callback(context_, nullptr, nullptr);
      pa_context_disconnect(context_);
      pa_context_unref(context_);
      context_ = nullptr;
    }
    if (loop_) {
      pa_threaded_mainloop_free(loop_);
      loop_ = nullptr;
    }
    std::lock_guard<std::mutex> g(waitMutex_);
    contextReady_ = false;
    contextBroken_ = false;
  }

  std::mutex callMutex_;  // one operation at a time
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  std::optional<Clock::time_point> lastFailure_;

  std::mutex waitMutex_;  // guards the flags below and every Waiter
  std::condition_variable waitCondition_;
  bool contextReady_ = false;
  bool contextBroken_ = false;
};

}  // namespace

TSoundServer& DefaultSoundServer() {
  static PulseSoundServer server;
  return server;
}

std::unique_ptr<TSoundServer> ConnectSoundServer() { return std::make_unique<PulseSoundServer>(); }

uint32_t UniformVolume(const TChannelVolumes& volumes) {
  return volumes.empty() ? 0 : *std::max_element(volumes.begin(), volumes.end());
}

}  // namespace vombrel
