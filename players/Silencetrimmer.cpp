#include "players/Silencetrimmer.h"

#include <gst/audio/audio.h>
#include <gst/gst.h>

#include <algorithm>

namespace vombrel {

struct SilenceTrimmer::Probe {
  static GstPadProbeReturn OnData(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<SilenceTrimmer*>(data);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) return OnBuffer(*self, info);
    if (GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info)) OnEvent(*self, event);
    return GST_PAD_PROBE_OK;
  }

  static void OnEvent(SilenceTrimmer& self, GstEvent* event) {
    switch (GST_EVENT_TYPE(event)) {
      case GST_EVENT_STREAM_START: self.current_ = self.next_.exchange(0); break;
      case GST_EVENT_FLUSH_STOP: self.current_ = 0; break;
      case GST_EVENT_CAPS: {
        GstCaps* caps = nullptr;
        gst_event_parse_caps(event, &caps);
        GstAudioInfo audio;
        if (caps != nullptr && gst_audio_info_from_caps(&audio, caps)) {
          self.rate_ = GST_AUDIO_INFO_RATE(&audio);
          self.bytesPerFrame_ = GST_AUDIO_INFO_BPF(&audio);
        } else {
          self.rate_ = 0;
          self.bytesPerFrame_ = 0;
        }
        break;
      }
      default: break;
    }
  }

  static GstPadProbeReturn OnBuffer(SilenceTrimmer& self, GstPadProbeInfo* info) {
    const uint64_t cut = self.current_;
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (cut == 0 || buffer == nullptr || self.rate_ <= 0 || self.bytesPerFrame_ <= 0) return GST_PAD_PROBE_OK;
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    if (!GST_CLOCK_TIME_IS_VALID(pts)) return GST_PAD_PROBE_OK;
    const gsize size = gst_buffer_get_size(buffer);
    const guint64 frames = size / static_cast<gsize>(self.bytesPerFrame_);
    const GstClockTime end = pts + gst_util_uint64_scale_int(frames, GST_SECOND, self.rate_);
    if (end <= cut) return GST_PAD_PROBE_DROP;  // all silence
    buffer = gst_buffer_make_writable(buffer);
    if (pts < cut) {
      const guint64 skipped = gst_util_uint64_scale_int_round(cut - pts, self.rate_, GST_SECOND);
      const gsize offset = static_cast<gsize>(std::min<guint64>(skipped, frames)) * self.bytesPerFrame_;
      gst_buffer_resize(buffer, static_cast<gssize>(offset), static_cast<gssize>(size - offset));
      GST_BUFFER_PTS(buffer) = 0;
      GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DISCONT);
    } else {
      GST_BUFFER_PTS(buffer) = pts - cut;
    }
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale_int(gst_buffer_get_size(buffer) / self.bytesPerFrame_,
                                                            GST_SECOND, self.rate_);
    GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
    GST_BUFFER_OFFSET(buffer) = GST_BUFFER_OFFSET_NONE;
    GST_BUFFER_OFFSET_END(buffer) = GST_BUFFER_OFFSET_NONE;
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    return GST_PAD_PROBE_OK;
  }
};

SilenceTrimmer::SilenceTrimmer(GstPad* pad) : pad_(GST_PAD(gst_object_ref(pad))) {
  const auto mask = static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                                 GST_PAD_PROBE_TYPE_EVENT_FLUSH);
  probeId_ = gst_pad_add_probe(pad_, mask, &Probe::OnData, this, nullptr);
}

SilenceTrimmer::~SilenceTrimmer() {
  if (probeId_ != 0) gst_pad_remove_probe(pad_, probeId_);
  gst_object_unref(pad_);
}

}  // namespace vombrel
