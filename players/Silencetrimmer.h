// Cuts a known stretch of leading silence off the start of each stream at a pad of raw
// audio (the audio sink's input), and moves the stream's timestamps back by as much, so
// that the sink plays the first sample of the music at once instead of waiting for its
// time. Used for the encoder and decoder delay of MP3 files (Mp3gapless.h).
//
// Threads: SetNextStream on any thread; the pad probe runs on GStreamer's streaming thread.
#pragma once

#include <atomic>
#include <cstdint>

typedef struct _GstPad GstPad;

namespace vombrel {

class SilenceTrimmer {
 public:
  // Watches the pad (a reference is kept) until destroyed.
  explicit SilenceTrimmer(GstPad* pad);
  ~SilenceTrimmer();
  SilenceTrimmer(const SilenceTrimmer&) = delete;
  SilenceTrimmer& operator=(const SilenceTrimmer&) = delete;

  // The silence to cut off the next stream that starts at the pad (0: none). A seek in
  // a stream ends its trimming: its timestamps are the file's own from there on.
  void SetNextStream(uint64_t nanoseconds) { next_ = nanoseconds; }

 private:
  struct Probe;
  GstPad* pad_;
  unsigned long probeId_ = 0;
  std::atomic<uint64_t> next_{0};
  // Streaming thread only.
  uint64_t current_ = 0;
  int rate_ = 0;
  int bytesPerFrame_ = 0;
};

}  // namespace vombrel
