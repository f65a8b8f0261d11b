#include "players/Pipelinerelay.h"

#include <gst/gst.h>

#include <chrono>
#include <cstdlib>
#include <utility>

#include "players/Gstreamerstartup.h"
#include "players/Mp3gapless.h"

namespace vombrel {

namespace {

// playbin's "flags" bits (GstPlayFlags, not exported in a header).
constexpr guint kPlayFlagVideo = 1u << 0;
constexpr guint kPlayFlagText = 1u << 2;
// Upper bound for the preroll of a file; a hang guard only.
constexpr GstClockTime kPrerollWait = 10 * GST_SECOND;
// Long enough for a new file's sound to be under way.
constexpr auto kQuietPause = std::chrono::milliseconds(300);

}  // namespace

GstElement* MakeAudioSink(const std::string& description) {
  if (!description.empty()) {
    GError* error = nullptr;
    GstElement* sink = gst_parse_bin_from_description(description.c_str(), TRUE, &error);
    g_clear_error(&error);
    if (sink != nullptr) return sink;
  }
  GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr);
  if (sink != nullptr) {
    g_signal_connect(sink, "element-added",
                     G_CALLBACK(+[](GstBin*, GstElement* child, gpointer) { TuneAudioSink(child); }), nullptr);
  }
  return sink;
}

EnginePipeline::EnginePipeline(EnginePipeline&& other) noexcept
    : playbin(std::exchange(other.playbin, nullptr)), trimmer(std::move(other.trimmer)) {}

EnginePipeline& EnginePipeline::operator=(EnginePipeline&& other) noexcept {
  if (this != &other) {
    EnginePipeline old(std::move(*this));
    playbin = std::exchange(other.playbin, nullptr);
    trimmer = std::move(other.trimmer);
  }
  return *this;
}

EnginePipeline::~EnginePipeline() {
  if (playbin == nullptr) return;
  Stop(GST_STATE_NULL);
  // Both have stopped streaming: no probe of the trimmer runs any more.
  trimmer.reset();
  gst_object_unref(playbin);
}

// playbin takes its sink to NULL with itself; a sink readied for a file that never came is
// not in the pipeline yet.
void EnginePipeline::Stop(int sinkState) {
  gst_element_set_state(playbin, GST_STATE_NULL);
  GstElement* sink = nullptr;
  g_object_get(playbin, "audio-sink", &sink, nullptr);
  if (sink != nullptr) {
    gst_element_set_state(sink, static_cast<GstState>(sinkState));
    gst_object_unref(sink);
  }
}

// The first file's pipeline is made at once: a file is about to want it.
PipelineRelay::PipelineRelay(std::string sinkDescription) : sinkDescription_(std::move(sinkDescription)) {
  next_ = std::async(std::launch::async, [this] { return MakeEnginePipeline(sinkDescription_); });
}

PipelineRelay::~PipelineRelay() { Reset(); }

std::string AudioSinkDescription() {
  const char* description = std::getenv("VOMBREL_AUDIO_SINK");
  return description != nullptr ? description : "";
}

EnginePipeline MakeEnginePipeline(const std::string& sinkDescription) {
  EnginePipeline pipeline;
  GstElement* playbin = gst_element_factory_make("playbin", nullptr);
  if (playbin == nullptr) return pipeline;
  pipeline.playbin = GST_ELEMENT(gst_object_ref_sink(playbin));
  GstElement* sink = MakeAudioSink(sinkDescription);
  if (sink == nullptr) return pipeline;
  g_object_set(playbin, "audio-sink", sink, nullptr);
  if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
    pipeline.trimmer = std::make_unique<SilenceTrimmer>(pad);
    gst_object_unref(pad);
  }
  gst_element_set_state(sink, GST_STATE_READY);
  return pipeline;
}

bool PrerollFile(EnginePipeline& pipeline, const char* uri, const std::string& fileName, bool video) {
  guint flags = 0;
  g_object_get(pipeline.playbin, "flags", &flags, nullptr);
  flags = video ? (flags | kPlayFlagVideo) : (flags & ~(kPlayFlagVideo | kPlayFlagText));
  g_object_set(pipeline.playbin, "uri", uri, "flags", flags, nullptr);
  if (pipeline.trimmer) pipeline.trimmer->SetNextStream(video ? 0 : ReadMp3LeadingSilence(fileName).Nanoseconds());
  GstStateChangeReturn result = gst_element_set_state(pipeline.playbin, GST_STATE_PAUSED);
  if (result != GST_STATE_CHANGE_FAILURE)
    result = gst_element_get_state(pipeline.playbin, nullptr, nullptr, kPrerollWait);
  return result != GST_STATE_CHANGE_FAILURE && result != GST_STATE_CHANGE_ASYNC;
}

// A closed file's playbin serves the next file but one: it keeps the lists of decoders
// and sinks it made for its first file (walking the plug-in registry for them takes
// milliseconds), and the engine keeps two playbins rather than making one per file.
EnginePipeline PipelineRelay::Recycle(EnginePipeline pipeline) {
  pipeline.Stop(GST_STATE_READY);
  return pipeline;
}

void PipelineRelay::WaitForQuiet() {
  std::unique_lock lock(quietMutex_);
  quietEnded_.wait_for(lock, kQuietPause, [this] { return hurry_; });
}

void PipelineRelay::Hurry() {
  {
    std::lock_guard lock(quietMutex_);
    hurry_ = true;
  }
  quietEnded_.notify_all();
}

EnginePipeline PipelineRelay::Take() {
  if (!next_.valid()) return MakeEnginePipeline(sinkDescription_);
  Hurry();
  EnginePipeline pipeline = next_.get();
  std::lock_guard lock(quietMutex_);
  hurry_ = false;
  return pipeline;
}

void PipelineRelay::PrepareNext() {
  if (next_.valid()) return;
  next_ = std::async(std::launch::async, [this] {
    WaitForQuiet();
    return MakeEnginePipeline(sinkDescription_);
  });
}

void PipelineRelay::Retire(EnginePipeline pipeline) {
  if (!pipeline) return;
  if (!next_.valid()) {
    next_ = std::async(std::launch::async, [this, used = std::move(pipeline)]() mutable {
      WaitForQuiet();
      return Recycle(std::move(used));
    });
    return;
  }
  // Those already down are let go here, so the list stays as short as the changes are quick.
  std::erase_if(retiring_, [](std::future<void>& retired) {
    return retired.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  });
  retiring_.push_back(std::async(std::launch::async, [this, down = std::move(pipeline)]() mutable {
    WaitForQuiet();
    down = {};
  }));
}

void PipelineRelay::AwaitRetired() {
  Hurry();
  for (std::future<void>& retired : retiring_) retired.get();
  retiring_.clear();
}

void PipelineRelay::Settle() {
  AwaitRetired();
  if (next_.valid()) next_.wait();
  std::lock_guard lock(quietMutex_);
  hurry_ = false;
}

void PipelineRelay::Reset() {
  AwaitRetired();
  if (next_.valid()) EnginePipeline dropped = next_.get();
  std::lock_guard lock(quietMutex_);
  hurry_ = false;
}

}  // namespace vombrel
