// Files made by real encoders (ffmpeg) at test time, read through vombrel-info and
// cross-checked against ffprobe where the rule and the format agree.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "Fixtures.h"

using namespace vombrel::test;

namespace {

struct CommandResult {
  std::string output;
  int status = -1;
};

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quote(const std::string& text) { return "'" + text + "'"; }

// The JSON value of `key` in a vombrel-info line: the text of a string (escapes \" and
// \\ resolved), or the literal (number, true, false, null) as written.
std::string JsonValue(const std::string& line, const std::string& key) {
  const std::string marker = "\"" + key + "\": ";
  const auto at = line.find(marker);
  if (at == std::string::npos) return "<missing>";
  std::size_t i = at + marker.size();
  if (line[i] != '"') return line.substr(i, line.find_first_of(",}", i) - i);
  std::string text;
  for (++i; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\') ++i;
    text += line[i];
  }
  return text;
}

std::string Info(const std::string& path) {
  return RunCommand(std::string(VOMBREL_BINARY_DIR "/bin/vombrel-info --json ") + Quote(path)).output;
}

// The first audio stream's values as ffprobe reports them ("sample_rate", "channels", ...).
std::map<std::string, std::string> Probe(const std::string& path) {
  const auto out = RunCommand(
                       "ffprobe -v error -select_streams a:0 -show_entries "
                       "stream=sample_rate,channels,bit_rate,duration_ts -of default=nw=1 " +
                       Quote(path))
                       .output;
  std::map<std::string, std::string> values;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

// The encoded files are made once per build folder and shared by every test process
// (ctest runs each test on its own); a lock file keeps two processes from making them at
// the same time, and a stamp naming this set of encodings marks them complete.
class EncodedFiles : public testing::Test {
 protected:
  static constexpr const char* kStamp = "encodings-v1";

  static void SetUpTestSuite() {
    std::filesystem::create_directories(Folder());
    const int lock = open((Folder() + "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock >= 0) flock(lock, LOCK_EX);
    if (ReadAll(Folder() + "stamp") != kStamp) MakeFiles();
    if (lock >= 0) close(lock);
  }

  static void MakeFiles() {
    const std::string tags =
        " -metadata title='Titolo è' -metadata artist=Artista -metadata album=Album -metadata track=3/12"
        " -metadata genre=Rock -metadata date=2001";
    struct Encoding {
      const char* name;
      const char* options;
    };
    const Encoding encodings[] = {
        {"cbr.mp3", "-ar 44100 -ac 2 -c:a libmp3lame -b:a 128k -id3v2_version 3 -write_id3v1 1"},
        {"v2only.mp3", "-ar 44100 -ac 2 -c:a libmp3lame -b:a 160k -id3v2_version 3"},
        {"vbr.mp3", "-ar 44100 -ac 2 -c:a libmp3lame -q:a 4 -id3v2_version 4"},
        {"mono22.mp3", "-ar 22050 -ac 1 -c:a libmp3lame -b:a 64k"},
        {"layer2.mp2", "-ar 48000 -ac 2 -c:a mp2 -b:a 192k"},
        {"vorbis.ogg", "-ar 44100 -ac 2 -c:a libvorbis -q:a 3"},
        {"lossless.flac", "-ar 48000 -ac 2 -c:a flac"},
        {"windows.wma", "-ar 44100 -ac 2 -c:a wmav2 -b:a 128k"},
        {"pcm.wav", "-ar 44100 -ac 2 -c:a pcm_s16le"},
    };
    for (const auto& e : encodings) {
      const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=5 " +
                                  std::string(e.options) + tags + " " + Quote(Path(e.name)) + " 2>&1";
      const auto result = RunCommand(command);
      if (result.status != 0) {
        encodeErrors_ += std::string(e.name) + ": " + result.output;
        return;
      }
    }
    RunCommand("cp " + Quote(Path("layer2.mp2")) + " " + Quote(Path("layer2.mp3")));
    std::ofstream(Folder() + "stamp") << kStamp;
  }

  void SetUp() override { ASSERT_EQ(encodeErrors_, ""); }

  static std::string Folder() { return VOMBREL_BINARY_DIR "/fixtures/mediainfo-encoded/"; }
  static std::string Path(const std::string& name) { return Folder() + name; }

  static std::string encodeErrors_;
};

std::string EncodedFiles::encodeErrors_;

}  // namespace

TEST_F(EncodedFiles, PanelValuesOfEveryFormat) {
  struct Case {
    const char* file;
    const char* title;    // TagTitolo
    const char* anno;     // TagAnno
    const char* traccia;  // TagTraccia
    const char* genere;
    const char* bitRate;
    const char* frequency;
    const char* extension;  // JSON literal
    const char* readTitle;
  };
  const Case cases[] = {
      // ID3v1 written by the encoder is preferred over its ID3v2.3 tag. The encoder stores
      // UTF-8 bytes in it; ID3v1 texts are Windows-1252, so "è" shows as two characters.
      {"cbr.mp3", "Titolo \u00c3\u00a8", "2001", "3", "Rock", "128 kBit/s", "44100 kHz", "(mpeg layer III)",
       "Titolo \u00c3\u00a8"},
      {"v2only.mp3", "Titolo è", "2001", "3", "Rock", "160 kBit/s", "44100 kHz", "(mpeg layer III)", "Titolo è"},
      // An ID3v2.4 tag gives no texts.
      {"vbr.mp3", "", "", "0", "", "VBR bitrate", "44100 kHz", "(mpeg layer III)", ""},
      {"mono22.mp3", "", "", "0", "", "64 kBit/s", "22050 kHz", "(mpeg layer III)", ""},
      {"layer2.mp3", "", "", "0", "", "192 kBit/s", "48000 kHz", "(mpeg layer II)", ""},
      {"vorbis.ogg", "Titolo è", "", "3", "Rock", nullptr, "44100 kHz", "( .ogg file )", "Titolo è"},
      {"lossless.flac", "Titolo è", "", "3", "Rock", nullptr, "48000 kHz", "( .flac file )", ""},
      {"windows.wma", "Titolo è", nullptr, "0", nullptr, "128 kBit/s", "44100 kHz", "( .wma file )", "Titolo è"},
      {"pcm.wav", "", "", "", "", "0 kBit/s", "0 kHz", nullptr, ""},
      {"layer2.mp2", "", "", "", "", "0 kBit/s", "0 kHz", nullptr, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string line = Info(Path(c.file));
    EXPECT_EQ(JsonValue(line, "error"), "null");
    EXPECT_EQ(JsonValue(line, "TagTitolo"), c.title);
    if (c.anno) {
      EXPECT_EQ(JsonValue(line, "TagAnno"), c.anno);
    }
    EXPECT_EQ(JsonValue(line, "TagTraccia"), c.traccia);
    if (c.genere) {
      EXPECT_EQ(JsonValue(line, "TagGenere"), c.genere);
    }
    if (c.bitRate) {
      EXPECT_EQ(JsonValue(line, "LabelBitRate"), c.bitRate);
    }
    EXPECT_EQ(JsonValue(line, "LabelFrequency"), c.frequency);
    EXPECT_EQ(JsonValue(line, "LabelExtension"), c.extension ? c.extension : "null");
    EXPECT_EQ(JsonValue(line, "ReadTitle"), c.readTitle);
    const bool mp3 = std::string(c.file).ends_with(".mp3");
    EXPECT_EQ(JsonValue(line, "LengthMs") == "null", !mp3);
  }
}

TEST_F(EncodedFiles, Mp3LengthsAgreeWithTheirRules) {
  // CBR: whole seconds of the audio bytes at the header's bit rate (Info header of the
  // encoder included); VBR: the Xing frame count at 1152 samples per frame.
  for (const char* file : {"cbr.mp3", "v2only.mp3", "mono22.mp3"}) {
    const std::string line = Info(Path(file));
    const auto size = std::stoll(JsonValue(line, "fileSize"));
    const auto offset = std::stoll(JsonValue(line, "firstFrameOffset"));
    const auto kbit = std::stoll(JsonValue(line, "bitRate"));
    const auto tag = JsonValue(line, "id3v1") == "true" ? 128 : 0;
    EXPECT_EQ(std::stoll(JsonValue(line, "LengthMs")), (size - offset - tag) * 8 / (kbit * 1000) * 1000) << file;
    EXPECT_EQ(JsonValue(line, "vbr"), "false") << file;
  }
  const std::string vbr = Info(Path("vbr.mp3"));
  const auto frames = std::stoll(JsonValue(vbr, "xingFrames"));
  EXPECT_GT(frames, 0);
  EXPECT_EQ(std::stoll(JsonValue(vbr, "LengthMs")), std::llrint(std::nearbyint(1152.0 / 44100 * frames)) * 1000);
  EXPECT_EQ(JsonValue(vbr, "LengthMs"), "5000");
}

TEST_F(EncodedFiles, StreamValuesAgreeWithFfprobe) {
  for (const char* file :
       {"cbr.mp3", "vbr.mp3", "mono22.mp3", "layer2.mp3", "vorbis.ogg", "lossless.flac", "windows.wma"}) {
    SCOPED_TRACE(file);
    const std::string line = Info(Path(file));
    auto probe = Probe(Path(file));
    EXPECT_EQ(JsonValue(line, "sampleRate"), probe["sample_rate"]);
    if (JsonValue(line, "channels") != "<missing>") {
      EXPECT_EQ(JsonValue(line, "channels"), probe["channels"]);
    }
    // Constant bit rates of the MPEG headers.
    if (std::string(file) != "vbr.mp3" && std::string(file).ends_with(".mp3")) {
      EXPECT_EQ(std::to_string(std::stoll(JsonValue(line, "bitRate")) * 1000), probe["bit_rate"]);
    }
    // Sample count of the lossless stream.
    if (std::string(file) == "lossless.flac") {
      EXPECT_EQ(JsonValue(line, "samples"), probe["duration_ts"]);
      EXPECT_EQ(JsonValue(line, "duration"), "5");
    }
  }
  EXPECT_EQ(JsonValue(Info(Path("vorbis.ogg")), "samples"), "220500");
}

TEST_F(EncodedFiles, ToolExitStatusAndTextForm) {
  const std::string tool = VOMBREL_BINARY_DIR "/bin/vombrel-info ";
  const auto good = RunCommand(tool + Quote(Path("cbr.mp3")) + " " + Quote(Path("pcm.wav")));
  EXPECT_EQ(good.status, 0);
  EXPECT_NE(good.output.find("LabelBitRate: 128 kBit/s\n"), std::string::npos) << good.output;
  EXPECT_NE(good.output.find("LabelExtension: (left unchanged)\n"), std::string::npos) << good.output;
  TempFolder scratch;
  const std::string silence = scratch.Write("silence.mp3", std::string(20000, '\0'));
  const auto bad = RunCommand(tool + "--json " + Quote(Path("cbr.mp3")) + " " + Quote(silence));
  EXPECT_EQ(bad.status, 1);
  const std::string second = bad.output.substr(bad.output.find('\n') + 1);
  EXPECT_NE(JsonValue(second, "error"), "null");
  EXPECT_EQ(JsonValue(second, "TagTitolo"), "null");
  EXPECT_EQ(RunCommand(tool + "--json " + Quote(Path("missing.ogg"))).status, 1);
}
