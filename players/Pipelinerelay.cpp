#include "players/Pipelinerelay.h"

#include <gst/gst.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "players/Gstreamerstartup.h"

namespace vombrel {

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
  SetSinkState(GST_STATE_NULL);
  // Both have stopped streaming: no probe of the trimmer runs any more.
  trimmer.reset();
  gst_object_unref(playbin);
}

// playbin takes its sink to NULL with itself; a sink readied for a file that never came is
// not in the pipeline yet.
void EnginePipeline::SetSinkState(int state) {
  gst_element_set_state(playbin, GST_STATE_NULL);
  GstElement* sink = nullptr;
  g_object_get(playbin, "audio-sink", &sink, nullptr);
  if (sink != nullptr) {
    gst_element_set_state(sink, static_cast<GstState>(state));
    gst_object_unref(sink);
  }
}

PipelineRelay::PipelineRelay(std::string sinkDescription) : sinkDescription_(std::move(sinkDescription)) {
  PrepareNext();
}

PipelineRelay::~PipelineRelay() { Reset(); }

// The sink's first step to READY finds the system's sink and connects to the sound server.
EnginePipeline PipelineRelay::Make() const {
  EnginePipeline pipeline;
  GstElement* playbin = gst_element_factory_make("playbin", nullptr);
  if (playbin == nullptr) return pipeline;
  pipeline.playbin = GST_ELEMENT(gst_object_ref_sink(playbin));
  GstElement* sink = MakeAudioSink(sinkDescription_);
  if (sink == nullptr) return pipeline;
  g_object_set(playbin, "audio-sink", sink, nullptr);
  if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
    pipeline.trimmer = std::make_unique<SilenceTrimmer>(pad);
    gst_object_unref(pad);
  }
  gst_element_set_state(sink, GST_STATE_READY);
  return pipeline;
}

// A closed file's playbin serves the next file but one: it keeps the lists of decoders
// and sinks it made for its first file (walking the plug-in registry for them takes
// milliseconds), and the engine keeps two playbins rather than making one per file.
EnginePipeline PipelineRelay::Recycle(EnginePipeline pipeline) {
  pipeline.SetSinkState(GST_STATE_READY);
  return pipeline;
}

EnginePipeline PipelineRelay::Take() {
  if (!next_.valid()) return Make();
  return next_.get();
}

void PipelineRelay::PrepareNext() {
  if (next_.valid()) return;
  next_ = std::async(std::launch::async, [this] { return Make(); });
}

void PipelineRelay::Retire(EnginePipeline pipeline) {
  if (!pipeline) return;
  if (!next_.valid()) {
    next_ = std::async(std::launch::async, [used = std::move(pipeline)]() mutable { return Recycle(std::move(used)); });
    return;
  }
  // Those already down are let go here, so the list stays as short as the changes are quick.
  std::erase_if(retiring_, [](std::future<void>& retired) {
    return retired.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  });
  retiring_.push_back(std::async(std::launch::async, [down = std::move(pipeline)]() mutable { down = {}; }));
}

void PipelineRelay::AwaitRetired() {
  for (std::future<void>& retired : retiring_) retired.get();
  retiring_.clear();
}

void PipelineRelay::Reset() {
  AwaitRetired();
  if (next_.valid()) EnginePipeline dropped = next_.get();
}

}  // namespace vombrel
