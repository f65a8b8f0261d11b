// Media files made by ffmpeg once per build tree (in its tests/players folder); the
// folder name carries a version, to be raised whenever the set of files changes.
#pragma once

#include <string>

namespace vombrel::test {

struct MediaFixtures {
  std::string folder;  // ends with "/"
  std::string Path(const std::string& name) const { return folder + name; }
};

// Makes (once) and returns the fixtures: tone.mp3, tone.ogg, tone.flac, tone.wav,
// tone.wma, noxing.mp3 (no Info/Xing header), tone.aac (ADTS), tone.mp2, mono22k.mp3
// (MPEG-2, one channel, 22,050 Hz) (one second of a 440 Hz tone each), clip.mpg (MPEG-1 system stream, 176x144,
// one second), corrupt.mp3 (random bytes), empty.mp3 (0 bytes), truncated.mp3 (the first
// 200 bytes of tone.mp3), the folder "folder.mp3" and the named pipe "pipe.mp3".
const MediaFixtures& Fixtures();

// Runs a shell command; true when it exits with 0.
bool RunCommand(const std::string& command);

}  // namespace vombrel::test
