#include "Mediafixtures.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace vombrel::test {

namespace {

namespace fs = std::filesystem;

void Make(const std::string& command) {
  if (!RunCommand(command)) throw std::runtime_error("fixture command failed: " + command);
}

void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string RandomBytes(size_t count) {
  std::mt19937 generator(1234);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
  return bytes;
}

// ctest runs every test in a process of its own, so the files are made once per build
// tree: in a fresh folder that is renamed into place, which also settles a race between
// two test processes (the loser removes its copy and uses the winner's).
std::string MakeFixtures(const std::string& target) {
  std::string scratch = target + ".making-XXXXXX";
  if (mkdtemp(scratch.data()) == nullptr) throw std::runtime_error("mkdtemp failed: " + scratch);
  const std::string f = scratch + "/";
  const std::string tone = "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:duration=1 ";
  Make(tone + "-c:a libmp3lame -b:a 128k " + f + "tone.mp3");
  Make(tone + "-c:a libvorbis " + f + "tone.ogg");
  Make(tone + "-c:a flac " + f + "tone.flac");
  Make(tone + "-c:a pcm_s16le " + f + "tone.wav");
  Make(tone + "-c:a wmav2 " + f + "tone.wma");
  // Streams whose length the decoder learns only after it has started: constant bit rate
  // MP3 without an Info/Xing header, ADTS AAC, MPEG-1 layer II.
  Make(tone + "-c:a libmp3lame -b:a 128k -write_xing 0 " + f + "noxing.mp3");
  Make(tone + "-c:a aac -f adts " + f + "tone.aac");
  Make(tone + "-c:a mp2 " + f + "tone.mp2");
  Make(tone + "-c:a libmp3lame -ar 22050 -ac 1 -b:a 32k " + f + "mono22k.mp3");
  Make(
      "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=176x144:rate=25:duration=1 "
      "-f lavfi -i sine=frequency=440:duration=1 -c:v mpeg1video -c:a mp2 -f mpeg " +
      f + "clip.mpg");
  // Pictures in files of an audio extension: with a sound stream (two in the Matroska
  // file), and without one.
  const std::string picture = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=176x144:rate=25:duration=1 ";
  Make(picture + "-f lavfi -i sine=frequency=440:duration=1 -c:v mpeg4 -c:a aac " + f + "movie.mp4");
  Make(picture + "-f lavfi -i sine=frequency=440:duration=1 -map 0:v -map 1:a -map 1:a -c:v mpeg4 -c:a libvorbis " + f +
       "movie.mkv");
  Make(picture + "-c:v mpeg4 " + f + "picture.mkv");
  WriteBytes(f + "corrupt.mp3", RandomBytes(20000));
  WriteBytes(f + "empty.mp3", "");
  std::ifstream source(f + "tone.mp3", std::ios::binary);
  std::string head(200, '\0');
  source.read(head.data(), static_cast<std::streamsize>(head.size()));
  WriteBytes(f + "truncated.mp3", head);
  fs::create_directory(f + "folder.mp3");
  Make("mkfifo " + f + "pipe.mp3");  // nobody ever writes to it
  std::error_code error;
  fs::rename(scratch, target, error);
  if (error) fs::remove_all(scratch, error);
  return target + "/";
}

}  // namespace

bool RunCommand(const std::string& command) { return std::system(command.c_str()) == 0; }

const MediaFixtures& Fixtures() {
  static const MediaFixtures fixtures = [] {
    const std::string target = VOMBREL_BINARY_DIR "/tests/players/media-fixtures-5";
    return MediaFixtures{fs::is_directory(target) ? target + "/" : MakeFixtures(target)};
  }();
  return fixtures;
}

}  // namespace vombrel::test
