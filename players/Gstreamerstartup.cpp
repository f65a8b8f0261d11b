#include "players/Gstreamerstartup.h"

#include <gst/gst.h>

#include <future>
#include <mutex>

#include "players/Baseplayer.h"

namespace vombrel {

namespace {

// A music buffer: 400 ms queued at the sound server, refilled every 40 ms (GStreamer's
// defaults, 200 ms and 10 ms, wake the sink's threads four times as often).
constexpr gint64 kSinkBufferMicroseconds = 400000;
constexpr gint64 kSinkLatencyMicroseconds = 40000;

// The elements the first pipeline needs, loaded while the windows are built.
constexpr const char* kPreloadedFactories[] = {"filesrc",   "decodebin",    "typefind",     "autoaudiosink",
                                               "pulsesink", "audioconvert", "audioresample"};

// The MP3 decoders of the usual plug-in sets share one rank, and the tie goes by name to
// the one that maps the whole FFmpeg family (about 20 MiB resident, and its load time).
// One step above it the small native decoder wins; a decoder the system ranks higher wins
// as before.
void PreferLightMp3Decoder() {
  GstPluginFeature* feature = gst_registry_find_feature(gst_registry_get(), "mpg123audiodec", GST_TYPE_ELEMENT_FACTORY);
  if (feature == nullptr) return;
  const guint rank = gst_plugin_feature_get_rank(feature);
  if (rank < GST_RANK_PRIMARY) gst_plugin_feature_set_rank(feature, rank + 1);
  gst_object_unref(feature);
}

void PreloadPlaybackPlugins() {
  for (const char* name : kPreloadedFactories) {
    if (GstElementFactory* factory = gst_element_factory_find(name)) {
      if (GstPluginFeature* loaded = gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory))) gst_object_unref(loaded);
      gst_object_unref(factory);
    }
  }
}

// The first file's decoding bin checks the input capabilities of every installed decoder,
// parser and demuxer, and its type finding loads the plug-in of the type finders: both are
// done once per process, here rather than between the first file's Open and its sound.
void PrepareFirstDecoding() {
  GList* factories = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODABLE, GST_RANK_MARGINAL);
  for (GList* item = factories; item != nullptr; item = item->next) {
    const GList* templates = gst_element_factory_get_static_pad_templates(GST_ELEMENT_FACTORY(item->data));
    for (; templates != nullptr; templates = templates->next) {
      auto* padTemplate = static_cast<GstStaticPadTemplate*>(templates->data);
      if (padTemplate->direction == GST_PAD_SINK) gst_caps_unref(gst_static_pad_template_get_caps(padTemplate));
    }
  }
  gst_plugin_feature_list_free(factories);
  if (GstPlugin* typeFinders = gst_plugin_load_by_name("typefindfunctions")) gst_object_unref(typeFinders);
}

bool InitialiseOnce() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] {
    GError* error = nullptr;
    ready = gst_init_check(nullptr, nullptr, &error);
    g_clear_error(&error);
    if (!ready) return;
    PreferLightMp3Decoder();
    PreloadPlaybackPlugins();
    PrepareFirstDecoding();
  });
  return ready;
}

// Waited for at the end of the process at the latest.
std::future<bool>& Preparation() {
  static std::future<bool> preparation;
  return preparation;
}

bool HasProperty(GstElement* element, const char* name) {
  return g_object_class_find_property(G_OBJECT_GET_CLASS(element), name) != nullptr;
}

}  // namespace

void PrepareGStreamerInBackground() {
  if (!Preparation().valid()) Preparation() = std::async(std::launch::async, InitialiseOnce);
}

void EnsureGStreamer() {
  if (!InitialiseOnce()) throw PlayerError("GStreamer cannot be initialised");
}

void TuneAudioSink(GstElement* element) {
  if (!GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK)) return;
  if (!HasProperty(element, "buffer-time") || !HasProperty(element, "latency-time")) return;
  g_object_set(element, "buffer-time", kSinkBufferMicroseconds, "latency-time", kSinkLatencyMicroseconds, nullptr);
}

}  // namespace vombrel
