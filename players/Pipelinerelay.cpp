#include "players/Pipelinerelay.h"

#include <gst/gst.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "players/Gstreamerstartup.h"
#include "players/Mp3gapless.h"

namespace vombrel {

namespace {

// decodebin's answers to "autoplug-select" (GstAutoplugSelectResult, not exported in a header).
constexpr gint kAutoplugTry = 0;
constexpr gint kAutoplugExpose = 1;
// Upper bound for the preroll of a file; a hang guard only.
constexpr GstClockTime kPrerollWait = 10 * GST_SECOND;
// Long enough for a new file's sound to be under way.
constexpr auto kQuietPause = std::chrono::milliseconds(300);

void DropElement(GstElement* element) {
  if (element != nullptr) gst_object_unref(gst_object_ref_sink(element));
}

void AttachTrimmer(EnginePipeline& pipeline, GstElement* sink) {
  if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
    pipeline.trimmer = std::make_unique<SilenceTrimmer>(pad);
    gst_object_unref(pad);
  }
}

// An audio file's parsers and decoders of pictures and subtitles are not plugged: their
// streams are exposed as they are and left unlinked (decodebin's queue lets such streams
// run along with the linked one).
bool DecodesPicturesOrText(GstElementFactory* factory) {
  const gchar* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
  if (klass == nullptr || std::strstr(klass, "Demuxer") != nullptr) return false;
  return std::strstr(klass, "Video") != nullptr || std::strstr(klass, "Image") != nullptr ||
         std::strstr(klass, "Subtitle") != nullptr;
}

gint SelectFactory(GstElement*, GstPad*, GstCaps*, GstElementFactory* factory, gpointer) {
  return DecodesPicturesOrText(factory) ? kAutoplugExpose : kAutoplugTry;
}

bool CarriesRawAudio(GstPad* pad) {
  GstCaps* caps = gst_pad_get_current_caps(pad);
  if (caps == nullptr) caps = gst_pad_query_caps(pad, nullptr);
  if (caps == nullptr) return false;
  const bool audio = !gst_caps_is_empty(caps) && gst_structure_has_name(gst_caps_get_structure(caps, 0), "audio/x-raw");
  gst_caps_unref(caps);
  return audio;
}

bool InputLinked(GstElement* input) {
  GstPad* target = gst_element_get_static_pad(input, "sink");
  const bool linked = target != nullptr && gst_pad_is_linked(target);
  if (target != nullptr) gst_object_unref(target);
  return linked;
}

// The first stream of decoded sound goes to the pipeline's input; a file's further sound
// streams stay unlinked, as its pictures do.
void LinkDecodedSound(GstElement*, GstPad* pad, gpointer input) {
  if (!CarriesRawAudio(pad)) return;
  GstPad* target = gst_element_get_static_pad(GST_ELEMENT(input), "sink");
  if (target == nullptr) return;
  if (!gst_pad_is_linked(target)) gst_pad_link(pad, target);
  gst_object_unref(target);
}

// All streams are out and none is sound: the preroll would never end, so the file fails.
void RequireSound(GstElement* decoder, gpointer input) {
  if (InputLinked(GST_ELEMENT(input))) return;
  GError* error = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE, "The file has no sound to play");
  gst_element_post_message(decoder, gst_message_new_error(GST_OBJECT(decoder), error, nullptr));
  g_error_free(error);
}

// A decoding bin that finds the decoders by the system's ranks, between the file's source
// and the sound's way to the sink. It stays from file to file.
bool AddDecoding(GstBin* bin, GstElement* source, GstElement* input) {
  GstElement* decoder = gst_element_factory_make("decodebin", nullptr);
  if (decoder == nullptr) return false;
  g_signal_connect(decoder, "autoplug-select", G_CALLBACK(SelectFactory), nullptr);
  g_signal_connect(decoder, "pad-added", G_CALLBACK(LinkDecodedSound), input);
  g_signal_connect(decoder, "no-more-pads", G_CALLBACK(RequireSound), input);
  gst_bin_add(bin, decoder);
  return gst_element_link(source, decoder) != FALSE;
}

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
    : element(std::exchange(other.element, nullptr)),
      video(other.video),
      trimmer(std::move(other.trimmer)),
      source(std::exchange(other.source, nullptr)) {}

EnginePipeline& EnginePipeline::operator=(EnginePipeline&& other) noexcept {
  if (this != &other) {
    EnginePipeline old(std::move(*this));
    element = std::exchange(other.element, nullptr);
    video = other.video;
    trimmer = std::move(other.trimmer);
    source = std::exchange(other.source, nullptr);
  }
  return *this;
}

EnginePipeline::~EnginePipeline() {
  if (element == nullptr) return;
  gst_element_set_state(element, GST_STATE_NULL);
  // playbin takes its sink to NULL with itself; a sink readied for a file that never came
  // is not in the pipeline yet.
  if (video) {
    GstElement* sink = nullptr;
    g_object_get(element, "audio-sink", &sink, nullptr);
    if (sink != nullptr) {
      gst_element_set_state(sink, GST_STATE_NULL);
      gst_object_unref(sink);
    }
  }
  // Everything has stopped streaming: no probe of the trimmer runs any more.
  trimmer.reset();
  gst_object_unref(element);
}

// The first file's pipeline is made at once: a file is about to want it.
PipelineRelay::PipelineRelay(std::string sinkDescription) : sinkDescription_(std::move(sinkDescription)) {
  next_ = std::async(std::launch::async, [this] { return MakeAudioPipeline(sinkDescription_); });
}

PipelineRelay::~PipelineRelay() { Reset(); }

std::string AudioSinkDescription() {
  const char* description = std::getenv("VOMBREL_AUDIO_SINK");
  return description != nullptr ? description : "";
}

EnginePipeline MakeAudioPipeline(const std::string& sinkDescription) {
  EnginePipeline pipeline;
  GstElement* source = gst_element_factory_make("filesrc", nullptr);
  GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
  GstElement* resample = gst_element_factory_make("audioresample", nullptr);
  GstElement* sink = MakeAudioSink(sinkDescription);
  if (source == nullptr || convert == nullptr || resample == nullptr || sink == nullptr) {
    for (GstElement* element : {source, convert, resample, sink}) DropElement(element);
    return pipeline;
  }
  pipeline.element = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr)));
  GstBin* bin = GST_BIN(pipeline.element);
  gst_bin_add_many(bin, source, convert, resample, sink, nullptr);
  if (!gst_element_link_many(convert, resample, sink, nullptr) || !AddDecoding(bin, source, convert)) return {};
  pipeline.source = source;
  AttachTrimmer(pipeline, sink);
  gst_element_set_state(pipeline.element, GST_STATE_READY);
  return pipeline;
}

EnginePipeline MakeVideoPipeline(const std::string& sinkDescription) {
  EnginePipeline pipeline;
  GstElement* playbin = gst_element_factory_make("playbin", nullptr);
  if (playbin == nullptr) return pipeline;
  pipeline.element = GST_ELEMENT(gst_object_ref_sink(playbin));
  pipeline.video = true;
  GstElement* sink = MakeAudioSink(sinkDescription);
  if (sink == nullptr) return pipeline;
  g_object_set(playbin, "audio-sink", sink, nullptr);
  AttachTrimmer(pipeline, sink);
  gst_element_set_state(sink, GST_STATE_READY);
  return pipeline;
}

bool PrerollFile(EnginePipeline& pipeline, const char* uri, const std::string& fileName) {
  if (pipeline.video) {
    g_object_set(pipeline.element, "uri", uri, nullptr);
  } else {
    g_object_set(pipeline.source, "location", fileName.c_str(), nullptr);
  }
  if (pipeline.trimmer) {
    pipeline.trimmer->SetNextStream(pipeline.video ? 0 : ReadMp3LeadingSilence(fileName).Nanoseconds());
  }
  GstStateChangeReturn result = gst_element_set_state(pipeline.element, GST_STATE_PAUSED);
  if (result != GST_STATE_CHANGE_FAILURE)
    result = gst_element_get_state(pipeline.element, nullptr, nullptr, kPrerollWait);
  return result != GST_STATE_CHANGE_FAILURE && result != GST_STATE_CHANGE_ASYNC;
}

// A closed file's audio pipeline serves the next file but one: it keeps its sink's
// sound server connection and the list of decoders its decoding bin made for its first
// file (walking the plug-in registry for it takes milliseconds), and the engine keeps two
// pipelines rather than making one per file. A playbin is not kept: video files are few.
// In READY the decoding bin has let the file's decoders go and the sink keeps its
// connection; the next file only sets the source's location.
EnginePipeline PipelineRelay::Recycle(EnginePipeline pipeline) {
  gst_element_set_state(pipeline.element, GST_STATE_READY);
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

EnginePipeline PipelineRelay::Take(bool video) {
  if (video) return MakeVideoPipeline(sinkDescription_);
  if (!next_.valid()) return MakeAudioPipeline(sinkDescription_);
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
    return MakeAudioPipeline(sinkDescription_);
  });
}

void PipelineRelay::Retire(EnginePipeline pipeline) {
  if (!pipeline) return;
  if (!next_.valid() && !pipeline.video) {
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
