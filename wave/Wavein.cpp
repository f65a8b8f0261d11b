#include "wave/Wavein.h"

#include <pulse/pulseaudio.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

namespace vombrel {

namespace {

using Clock = std::chrono::steady_clock;
// The text of a buffer that cannot be had (the platform's words for its code 7).
constexpr std::string_view kNoMemoryText = "Unable to allocate or lock memory.";
constexpr auto kStartTimeout = std::chrono::milliseconds(3000);

double NowMs() { return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count(); }

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

pa_sample_spec SampleSpecOf(const TWaveFormatEx& format) {
  pa_sample_spec spec{};
  spec.format = format.formatTag != WAVE_FORMAT_PCM ? PA_SAMPLE_INVALID
                : format.bitsPerSample == 8         ? PA_SAMPLE_U8
                : format.bitsPerSample == 16        ? PA_SAMPLE_S16LE
                                                    : PA_SAMPLE_INVALID;
  spec.rate = format.samplesPerSec;
  spec.channels = static_cast<uint8_t>(format.channels);
  return spec;
}

// One priority step above normal for the calling thread. Needs the right to raise
// priority; without it the thread stays at normal priority.
void RaiseThreadPriority() {
  const auto tid = static_cast<id_t>(syscall(SYS_gettid));
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, tid);
  if (errno == 0) setpriority(PRIO_PROCESS, tid, current - 1);
}

}  // namespace

// One recording's sound-server connection, running its own event loop thread. All fields
// below `loop` are touched only on that thread or under the loop's lock.
struct TWaveAudioIn::Capture {
  enum class Phase { Starting, Running, Failed, Finished };

  TWaveAudioIn* owner = nullptr;
  pa_threaded_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  pa_stream* stream = nullptr;
  Phase phase = Phase::Starting;
  int startError = 0;

  std::vector<char> buffer;
  size_t fill = 0;
  double cpuAtStart = 0;
  double wallAtStart = 0;
  double wallAtFirstSound = 0;  // 0 until the first bytes arrived

  // Signals the opener waiting in Start (phase changes while Starting).
  std::mutex startMutex;
  std::condition_variable startSignal;
  uint64_t signals = 0;  // under startMutex

  Capture() = default;
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
  ~Capture() { Teardown(); }

  void SignalStarter() {
    std::lock_guard<std::mutex> g(startMutex);
    ++signals;
    startSignal.notify_all();
  }

  // Loop thread, loop lock held. Moves every byte the server has handed over into the
  // buffer; each full buffer goes to the owner.
  void Pump() {
    while (stream && pa_stream_readable_size(stream) > 0) {
      const void* data = nullptr;
      size_t size = 0;
      if (pa_stream_peek(stream, &data, &size) < 0 || size == 0) break;
      if (wallAtFirstSound == 0) wallAtFirstSound = NowMs();
      if (data) {
        Append(static_cast<const char*>(data), size);
      } else {
        std::lock_guard<std::mutex> g(owner->lock_);
        owner->stats_.bytesMissing += size;
      }
      pa_stream_drop(stream);
    }
  }

  void Append(const char* data, size_t size) {
    while (size > 0) {
      const size_t take = std::min(size, buffer.size() - fill);
      std::memcpy(buffer.data() + fill, data, take);
      fill += take;
      data += take;
      size -= take;
      if (fill == buffer.size()) {
        owner->DeliverBuffer(buffer.data(), fill, NowMs());
        fill = 0;
      }
    }
  }

  void DisconnectStream() {
    if (stream) {
      pa_stream_set_state_callback(stream, nullptr, nullptr);
      pa_stream_set_read_callback(stream, nullptr, nullptr);
      pa_stream_set_overflow_callback(stream, nullptr, nullptr);
      pa_stream_disconnect(stream);
      pa_stream_unref(stream);
      stream = nullptr;
    }
    if (context) {
      pa_context_set_state_callback(context, nullptr, nullptr);
      pa_context_disconnect(context);
      pa_context_unref(context);
      context = nullptr;
    }
  }

  // Any thread but the loop's.
  void Teardown() {
    if (!loop) return;
    pa_threaded_mainloop_lock(loop);
    DisconnectStream();
    pa_threaded_mainloop_unlock(loop);
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
    loop = nullptr;
  }

  int Start(const pa_sample_spec& spec, const std::string& source, uint32_t bufferSize, uint32_t bufferCount,
            uint32_t bytesPer50ms);
};

// The loop thread's entry points.
struct CaptureCallbacks {
  using Capture = TWaveAudioIn::Capture;

  static void Failed(Capture& c, int code) {
    if (c.phase == Capture::Phase::Starting) {
      c.phase = Capture::Phase::Failed;
      c.startError = code;
      c.SignalStarter();
    } else if (c.phase == Capture::Phase::Running) {
      c.owner->FinishCapture(c, code);
    }
  }

  static void ContextState(pa_context* context, void* u) {
    auto& c = *static_cast<Capture*>(u);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) c.SignalStarter();
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
      const int code = pa_context_errno(context);
      Failed(c, code != 0 ? code : PA_ERR_CONNECTIONTERMINATED);
    }
  }

  static void StreamState(pa_stream* stream, void* u) {
    auto& c = *static_cast<Capture*>(u);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY && c.phase == Capture::Phase::Starting) {
      RaiseThreadPriority();
      c.cpuAtStart = ThreadCpuSeconds();
      c.wallAtStart = NowMs();
      c.SignalStarter();
    }
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
      const int code = pa_context_errno(pa_stream_get_context(stream));
      Failed(c, code != 0 ? code : PA_ERR_KILLED);
    }
  }

  static void Read(pa_stream*, size_t, void* u) {
    auto& c = *static_cast<Capture*>(u);
    if (c.phase == Capture::Phase::Running) c.Pump();
  }

  static void Overflow(pa_stream*, void* u) {
    auto& c = *static_cast<Capture*>(u);
    std::lock_guard<std::mutex> g(c.owner->lock_);
    ++c.owner->stats_.overflows;
  }

  static void CloseRequested(pa_mainloop_api*, void* u) {
    auto& c = *static_cast<Capture*>(u);
    if (c.phase == Capture::Phase::Running) c.owner->FinishCapture(c, 0);
  }
};

// Opener's thread. Connects, opens the record stream and waits (bounded) until the server
// has taken or refused it. Returns 0 or the server's error code.
int TWaveAudioIn::Capture::Start(const pa_sample_spec& spec, const std::string& source, uint32_t bufferSize,
                                 uint32_t bufferCount, uint32_t bytesPer50ms) {
  try {
    buffer.assign(bufferSize, '\0');
  } catch (const std::bad_alloc&) {
    return kWaveErrorNoMemory;
  }
  loop = pa_threaded_mainloop_new();
  if (!loop) return PA_ERR_INTERNAL;
  pa_threaded_mainloop_lock(loop);
  pa_proplist* props = pa_proplist_new();
  pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Vombrel");
  context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), "Vombrel recorder", props);
  pa_proplist_free(props);
  if (!context) {
    pa_threaded_mainloop_unlock(loop);
    return PA_ERR_INTERNAL;
  }
  pa_context_set_state_callback(context, &CaptureCallbacks::ContextState, this);
  if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
      pa_threaded_mainloop_start(loop) < 0) {
    const int code = pa_context_errno(context);
    pa_threaded_mainloop_unlock(loop);
    return code != 0 ? code : PA_ERR_CONNECTIONREFUSED;
  }
  pa_threaded_mainloop_unlock(loop);

  const auto deadline = Clock::now() + kStartTimeout;
  auto waitFor = [&](auto ready) {
    for (;;) {
      uint64_t seen = 0;
      {
        std::lock_guard<std::mutex> g(startMutex);
        seen = signals;
      }
      pa_threaded_mainloop_lock(loop);
      const bool done = ready() || phase != Phase::Starting;
      pa_threaded_mainloop_unlock(loop);
      if (done) return true;
      // A state change after `seen` was read has bumped the count: no signal is lost.
      std::unique_lock<std::mutex> g(startMutex);
      if (!startSignal.wait_until(g, deadline, [&] { return signals != seen; })) return false;
    }
  };
  auto connected = [&] { return pa_context_get_state(context) == PA_CONTEXT_READY; };
  const bool reached = waitFor(connected);
  pa_threaded_mainloop_lock(loop);
  const Phase afterConnect = phase;
  const int connectError = startError;
  pa_threaded_mainloop_unlock(loop);
  if (!reached || afterConnect != Phase::Starting) return afterConnect == Phase::Failed ? connectError : PA_ERR_TIMEOUT;

  pa_threaded_mainloop_lock(loop);
  stream = pa_stream_new(context, "Recording", &spec, nullptr);
  if (!stream) {
    const int code = pa_context_errno(context);
    pa_threaded_mainloop_unlock(loop);
    return code != 0 ? code : PA_ERR_NOTSUPPORTED;
  }
  pa_stream_set_state_callback(stream, &CaptureCallbacks::StreamState, this);
  pa_stream_set_read_callback(stream, &CaptureCallbacks::Read, this);
  pa_stream_set_overflow_callback(stream, &CaptureCallbacks::Overflow, this);
  pa_buffer_attr attr{};
  // The server's limit is 32 bits, and (uint32_t)-1 would mean "its own default".
  attr.maxlength = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{bufferSize} * bufferCount, UINT32_MAX - 1));
  attr.fragsize = std::min(bufferSize, bytesPer50ms);
  attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
  // A named source is recorded without ever becoming the server's default, and the
  // stream stays on it: should it go away, the recording ends rather than silently
  // recording something else.
  const char* device = source.empty() ? nullptr : source.c_str();
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | (device ? PA_STREAM_DONT_MOVE : 0));
  if (pa_stream_connect_record(stream, device, &attr, flags) < 0) {
    const int code = pa_context_errno(context);
    pa_threaded_mainloop_unlock(loop);
    return code != 0 ? code : PA_ERR_INVALID;
  }
  pa_threaded_mainloop_unlock(loop);

  auto streaming = [&] { return pa_stream_get_state(stream) == PA_STREAM_READY; };
  const bool settled = waitFor(streaming);
  pa_threaded_mainloop_lock(loop);
  int result = 0;
  if (phase == Phase::Failed) {
    result = startError;
  } else if (!settled || pa_stream_get_state(stream) != PA_STREAM_READY) {
    result = PA_ERR_TIMEOUT;
  } else {
    phase = Phase::Running;
  }
  if (result != 0) phase = Phase::Failed;
  pa_threaded_mainloop_unlock(loop);
  return result;
}

TWaveAudioIn::TWaveAudioIn() = default;

TWaveAudioIn::~TWaveAudioIn() { Shutdown(); }

TPCMFormat TWaveAudioIn::PCMFormat() const {
  std::lock_guard<std::mutex> g(lock_);
  return pcmFormat_;
}

void TWaveAudioIn::SetPCMFormat(TPCMFormat format) {
  std::lock_guard<std::mutex> g(lock_);
  if (format == pcmFormat_) return;
  if (deviceOpen_) throw EInvalidOperation("Audio format cannot be changed while device is open");
  pcmFormat_ = format;
}

std::string TWaveAudioIn::SourceName() const {
  std::lock_guard<std::mutex> g(lock_);
  return sourceName_;
}

void TWaveAudioIn::SetSourceName(const std::string& name) {
  std::lock_guard<std::mutex> g(lock_);
  sourceName_ = name;
}

bool TWaveAudioIn::Active() const {
  std::lock_guard<std::mutex> g(lock_);
  return active_;
}

void TWaveAudioIn::SetActive(bool active) {
  if (!active && Active()) CloseDevice();
}

void TWaveAudioIn::WaitUntilClosed() {
  std::unique_lock<std::mutex> g(lock_);
  stateChanged_.wait(g, [&] { return !active_ && !opening_; });
}

TCaptureStats TWaveAudioIn::CaptureStats() const {
  std::lock_guard<std::mutex> g(lock_);
  return stats_;
}

void TWaveAudioIn::RaiseDeviceError(int code) {
  const std::string text = pa_strerror(code);
  SetLastError(code, text);
  // A refused device finishes the file prepared for it.
  if (!active_) DoAbandon();
  throw EWaveAudioError(code, text);
}

bool TWaveAudioIn::OpenDevice() {
  {
    std::unique_lock<std::mutex> g(lock_);
    if (opening_) return false;
    stateChanged_.wait(g, [&] { return !closing_; });
    if (active_) throw EInvalidOperation("Device is aleardy open");
  }
  ReleaseCapture();

  std::unique_lock<std::mutex> g(lock_);
  opening_ = true;
  struct OpeningDone {
    TWaveAudioIn& self;
    explicit OpeningDone(TWaveAudioIn& owner) : self(owner) {}
    OpeningDone(const OpeningDone&) = delete;
    OpeningDone& operator=(const OpeningDone&) = delete;
    ~OpeningDone() {
      self.opening_ = false;
      self.stateChanged_.notify_all();
    }
  };
  OpeningDone done{*this};  // declared after g: runs while g still holds the lock

  TWaveFormatEx format;
  SetPCMAudioFormatS(format, pcmFormat_);
  DoPrepare(format);
  const pa_sample_spec spec = SampleSpecOf(format);
  if (!pa_sample_spec_valid(&spec)) RaiseDeviceError(PA_ERR_NOTSUPPORTED);

  // A buffer length whose buffer size does not fit is refused, not cut: a cut size could
  // be 0, and a buffer of 0 bytes never fills.
  const std::optional<uint32_t> bufferSize = FittingWaveBufferSize(format, BufferLength());
  if (!bufferSize) {
    SetLastError(kWaveErrorNoMemory, std::string(kNoMemoryText));
    return false;
  }
  format_ = format;
  stats_ = TCaptureStats{};
  const uint32_t per50ms = std::max<uint32_t>(CalcWaveBufferSize(format, 50), format.blockAlign);
  auto capture = std::make_unique<Capture>();
  capture->owner = this;
  active_ = true;
  const uint32_t count = BufferCount();
  const std::string source = sourceName_;
  g.unlock();
  const int code = capture->Start(spec, source, *bufferSize, count, per50ms);
  if (code != 0) capture->Teardown();
  g.lock();
  if (code != 0) {
    active_ = false;
    SetLastError(code, code == kWaveErrorNoMemory ? std::string(kNoMemoryText) : pa_strerror(code));
    return false;
  }
  SetLastError(0, {});
  deviceOpen_ = active_;
  capture_ = std::move(capture);
  return true;
}

void TWaveAudioIn::CloseDevice() {
  std::unique_lock<std::mutex> g(lock_);
  if (closing_) return;
  stateChanged_.wait(g, [&] { return !opening_; });
  if (!active_) throw EInvalidOperation("Device is aleardy close");
  closing_ = true;
  Capture* capture = capture_.get();
  g.unlock();
  // The close runs on the engine thread: it hands over the rest of the sound and then
  // finishes the file. The loop lock keeps the loop alive while the request is queued.
  pa_threaded_mainloop_lock(capture->loop);
  pa_mainloop_api_once(pa_threaded_mainloop_get_api(capture->loop), &CaptureCallbacks::CloseRequested, capture);
  pa_threaded_mainloop_unlock(capture->loop);
}

void TWaveAudioIn::Shutdown() {
  try {
    // The engine's own stop: a derived class's part is already gone in this destructor.
    TWaveAudioIn::SetActive(false);
  } catch (const std::exception&) {
    // Already closing or closed: waiting below is all that is left.
  }
  WaitUntilClosed();
  ReleaseCapture();
}

void TWaveAudioIn::ReleaseCapture() { capture_.reset(); }

void TWaveAudioIn::DeliverBuffer(const char* data, size_t size, double arrivalMs) {
  std::string reason;
  bool failed = false;
  {
    std::lock_guard<std::mutex> g(lock_);
    if (!active_) return;
    if (DoData(data, size, reason)) {
      stats_.bytesWritten += size;
      ++stats_.buffersWritten;
    } else {
      failed = true;
      SetLastError(kWaveErrorGeneral, reason);
    }
    stats_.maxArrivalToWriteMs = std::max(stats_.maxArrivalToWriteMs, NowMs() - arrivalMs);
  }
  if (failed && OnError) OnError(reason);
}

// Engine thread, loop lock held.
void TWaveAudioIn::FinishCapture(Capture& c, int errorCode) {
  if (errorCode == 0) c.Pump();
  c.phase = Capture::Phase::Finished;
  if (c.fill > 0) {
    DeliverBuffer(c.buffer.data(), c.fill, NowMs());
    c.fill = 0;
  }
  const double cpu = ThreadCpuSeconds() - c.cpuAtStart;
  const double now = NowMs();
  const double firstSound = c.wallAtFirstSound != 0 ? c.wallAtFirstSound : now;
  c.DisconnectStream();
  std::string errorText;
  {
    std::lock_guard<std::mutex> g(lock_);
    if (errorCode != 0) {
      errorText = pa_strerror(errorCode);
      SetLastError(errorCode, errorText);
    }
    stats_.threadCpuSeconds = cpu;
    stats_.startupSeconds = (firstSound - c.wallAtStart) / 1000.0;
    stats_.capturedSeconds = (now - firstSound) / 1000.0;
    DoClosed();
    deviceOpen_ = false;
    closing_ = false;
    active_ = false;
    stateChanged_.notify_all();
  }
  if (errorCode != 0 && OnError) OnError(errorText);
}

}  // namespace vombrel
