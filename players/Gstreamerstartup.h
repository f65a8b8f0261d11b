// Bringing up GStreamer once per process, and the audio sink settings the built-in engine
// plays music with.
//
// Threads: PrepareGStreamerInBackground is called once by the program's start, on the
// user-interface thread, before any window exists; the initialisation (the plug-in
// registry, the playback plug-ins) then runs on a thread of its own while the windows are
// built. EnsureGStreamer may be called from any thread; it waits for an initialisation in
// progress and starts one when none was started.
#pragma once

typedef struct _GstElement GstElement;

namespace vombrel {

void PrepareGStreamerInBackground();

// Throws PlayerError when GStreamer cannot be initialised.
void EnsureGStreamer();

// Gives an audio sink that autoaudiosink has just added (when it is one) a buffer that suits
// music: fewer wakeups while playing; pause, stop and seek act on it at once all the same.
void TuneAudioSink(GstElement* element);

}  // namespace vombrel
