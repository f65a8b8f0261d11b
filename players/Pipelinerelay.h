// The built-in engine's pipelines. An audio file plays through an audio pipeline: its
// conversion, resampling and sink stay from file to file, and each file puts its source
// and a decoding bin in front of them. The next file's pipeline is ready, its sink
// connected to the sound server, while the current file plays, and a closed file's
// pipeline is taken down on a thread of its own, then readied for the file after: neither
// stands between a track change and the new file's first sound. Two audio pipelines take
// turns. A video file gets a playbin of its own.
//
// Threads: the relay's calls come from one thread (the engine's); making and taking down
// run on threads of their own.
#pragma once

#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "players/Silencetrimmer.h"

typedef struct _GstElement GstElement;

namespace vombrel {

// A pipeline with the audio sink it was made with and the trimmer on that sink's input.
// A video pipeline is a playbin, the sink given to it as its "audio-sink"; an audio
// pipeline is a file source and a decoding bin, whose first sound stream goes through
// conversion and resampling to the sink.
struct EnginePipeline {
  EnginePipeline() = default;
  EnginePipeline(EnginePipeline&& other) noexcept;
  EnginePipeline& operator=(EnginePipeline&& other) noexcept;
  EnginePipeline(const EnginePipeline&) = delete;
  EnginePipeline& operator=(const EnginePipeline&) = delete;
  // Sets the pipeline and its sink to NULL and releases them (the trimmer goes after both
  // have stopped streaming).
  ~EnginePipeline();

  explicit operator bool() const { return element != nullptr; }

  GstElement* element = nullptr;  // the pipeline; a reference of its own
  bool video = false;             // a playbin
  // Null when the pipeline has no audio sink of its own.
  std::unique_ptr<SilenceTrimmer> trimmer;
  // Audio pipelines: the file source (borrowed from the pipeline).
  GstElement* source = nullptr;
};

class PipelineRelay {
 public:
  // sinkDescription: a pipeline description for the audio sink (from VOMBREL_AUDIO_SINK
  // when the engine was made); empty or invalid: the system's sink, given a music buffer.
  // Starts making the first pipeline.
  explicit PipelineRelay(std::string sinkDescription);
  // Waits for the pipelines being made and taken down.
  ~PipelineRelay();
  PipelineRelay(const PipelineRelay&) = delete;
  PipelineRelay& operator=(const PipelineRelay&) = delete;

  // For an audio file: the pipeline made in advance (waited for when it is not ready
  // yet), or one made now when none is on its way. For a video file: a playbin made now;
  // the one made in advance stays for the next audio file. Empty when GStreamer lacks the
  // elements.
  EnginePipeline Take(bool video);
  // Starts making the next pipeline, unless one is on its way already. Like the work of
  // Retire, it waits a moment first (less when a file asks for it): it comes right
  // after a file has started to play, whose sound should not have to share the machine.
  void PrepareNext();
  // Takes the pipeline down on a thread of its own; an audio pipeline is made ready for a
  // file to come when none is on its way.
  void Retire(EnginePipeline pipeline);
  // Waits until every retired pipeline is down and drops the one made in advance: after a
  // sound server restart, a sink readied before it holds a dead connection, and the
  // server connection is shared by all sinks of the process until the last one closes.
  void Reset();
  // Waits until the pipeline made in advance is ready and the retired ones are down.
  void Settle();

 private:
  static EnginePipeline Recycle(EnginePipeline pipeline);
  // The background work's pause, ended early by Hurry.
  void WaitForQuiet();
  void Hurry();
  void AwaitRetired();

  std::string sinkDescription_;
  std::mutex quietMutex_;
  std::condition_variable quietEnded_;
  bool hurry_ = false;  // guarded by quietMutex_
  std::future<EnginePipeline> next_;
  std::vector<std::future<void>> retiring_;
};

// VOMBREL_AUDIO_SINK's value (a pipeline description for the audio sink); empty when it
// is not set.
std::string AudioSinkDescription();

// A pipeline with the audio sink of the description (MakeAudioSink) readied: the
// system's sink found and the sound server connected. Empty when GStreamer lacks the
// elements.
EnginePipeline MakeAudioPipeline(const std::string& sinkDescription);
EnginePipeline MakeVideoPipeline(const std::string& sinkDescription);

// Opens the file (a URI) in the pipeline, the MP3 start trim set, then PAUSED and the
// wait for the preroll (a hang guard of 10 s). An audio pipeline plays the file's first
// audio stream and leaves its pictures and subtitles undecoded. True when the file is
// ready to play; the pipeline is left as it is either way.
bool PrerollFile(EnginePipeline& pipeline, const char* uri, const std::string& fileName);

// The audio sink a pipeline description gives; when it is empty or invalid,
// autoaudiosink, whose pick is given a music buffer. Null when neither can be made.
GstElement* MakeAudioSink(const std::string& description);

}  // namespace vombrel
