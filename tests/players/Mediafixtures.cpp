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

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string RandomBytes(size_t count) {
  std::mt19937 generator(1234);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
  return bytes;
}

struct FixtureFolder {
  MediaFixtures fixtures;
  FixtureFolder() {
    std::string templ = (fs::temp_directory_path() / "vombrel-players-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    fixtures.folder = templ + "/";
    const std::string tone = "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:duration=1 ";
    const std::string& f = fixtures.folder;
    Make(tone + "-c:a libmp3lame -b:a 128k " + f + "tone.mp3");
    Make(tone + "-c:a libvorbis " + f + "tone.ogg");
    Make(tone + "-c:a flac " + f + "tone.flac");
    Make(tone + "-c:a pcm_s16le " + f + "tone.wav");
    Make(tone + "-c:a wmav2 " + f + "tone.wma");
    Make("ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=176x144:rate=25:duration=1 "
         "-f lavfi -i sine=frequency=440:duration=1 -c:v mpeg1video -c:a mp2 -f mpeg " + f + "clip.mpg");
    WriteBytes(f + "corrupt.mp3", RandomBytes(20000));
    WriteBytes(f + "empty.mp3", "");
    std::ifstream source(f + "tone.mp3", std::ios::binary);
    std::string head(200, '\0');
    source.read(head.data(), static_cast<std::streamsize>(head.size()));
    WriteBytes(f + "truncated.mp3", head);
    fs::create_directory(f + "folder.mp3");
  }
  ~FixtureFolder() {
    std::error_code ignored;
    fs::remove_all(fixtures.folder, ignored);
  }
};

}  // namespace

bool RunCommand(const std::string& command) { return std::system(command.c_str()) == 0; }

const MediaFixtures& Fixtures() {
  static FixtureFolder folder;
  return folder.fixtures;
}

}  // namespace vombrel::test
