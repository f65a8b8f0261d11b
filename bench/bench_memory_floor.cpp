// The least a Qt Widgets window that plays an MP3 through GStreamer can take: the memory
// benchmark's floor. Modes (first argument), each adding to the one before:
//   window       a window with one label, no media framework
//   pipeline     + the media framework and a pipeline built by hand for MP3
//                (file source, ID3 demuxer, MPEG audio parser, mpg123, conversion,
//                resampling, volume, the system's audio sink)
//   decodebin    + the same tail behind a decoding bin that finds the decoder itself
//   playbin      the player bin of the media framework with audio only instead
// The second argument is the MP3 file. The MP3 decoder is preferred as the program does.
#include <gst/gst.h>

#include <QApplication>
#include <QLabel>
#include <string>

namespace {

void PreferMpg123() {
  if (GstPluginFeature* f = gst_registry_find_feature(gst_registry_get(), "mpg123audiodec", GST_TYPE_ELEMENT_FACTORY)) {
    gst_plugin_feature_set_rank(f, GST_RANK_PRIMARY + 1);
    gst_object_unref(f);
  }
}

GstElement* Pipeline(const std::string& mode, const std::string& file) {
  gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
  const std::string tail = " ! audioconvert ! audioresample ! volume ! autoaudiosink";
  std::string description;
  if (mode == "pipeline") {
    gchar* location = g_strescape(file.c_str(), nullptr);
    description = std::string("filesrc location=\"") + location + "\" ! id3demux ! mpegaudioparse ! mpg123audiodec" +
                  tail;
    g_free(location);
  } else if (mode == "decodebin") {
    description = std::string("uridecodebin uri=") + uri + tail;
  } else {
    description = std::string("playbin flags=0x2 uri=") + uri;
  }
  g_free(uri);
  return gst_parse_launch(description.c_str(), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "window";
  QLabel label(QString::fromStdString("Vombrel memory floor: " + mode));
  label.resize(300, 120);
  label.show();
  GstElement* pipeline = nullptr;
  if (mode != "window" && argc > 2) {
    gst_init(nullptr, nullptr);
    PreferMpg123();
    pipeline = Pipeline(mode, argv[2]);
    if (pipeline != nullptr) gst_element_set_state(pipeline, GST_STATE_PLAYING);
  }
  const int status = QApplication::exec();
  if (pipeline != nullptr) {
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
  }
  return status;
}
