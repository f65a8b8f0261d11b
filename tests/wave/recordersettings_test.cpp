// The recorder window's toolkit-free decisions: the format table, times of day, the
// alarm's countdown against a scripted clock, and preset files byte for byte.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/Inifile.h"
#include "support/Supportstring.h"
#include "wave/Recordersettings.h"

using namespace vombrel;
namespace fs = std::filesystem;

// ---- Format ----

TEST(SelectedPcmFormat, EveryRowAndColumnOfTheTable) {
  struct Row {
    const char* channels;
    const char* bits;
    TPCMFormat byRate[5];  // 8000, 11025, 22050, 48000, any other rate
  };
  const Row rows[] = {
      {"Stereo", "8", {Stereo8bit8000Hz, Stereo8bit11025Hz, Stereo8bit22050Hz, Stereo8bit48000Hz, Stereo8bit44100Hz}},
      {"Stereo",
       "16",
       {Stereo16bit8000Hz, Stereo16bit11025Hz, Stereo16bit22050Hz, Stereo16bit48000Hz, Stereo16bit44100Hz}},
      {"Mono", "8", {Mono8Bit8000Hz, Mono8bit11025Hz, Mono8bit22050Hz, Mono8bit48000Hz, Mono8bit44100Hz}},
      {"Mono", "16", {Mono16bit8000Hz, Mono16bit11025Hz, Mono16bit22050Hz, Mono16bit48000Hz, Mono16bit44100Hz}},
  };
  const char* rates[] = {"8000", "11025", "22050", "48000", "44100"};
  for (const Row& row : rows) {
    for (int r = 0; r < 5; ++r) {
      SCOPED_TRACE(std::string(row.channels) + " " + row.bits + " " + rates[r]);
      EXPECT_EQ(SelectedPcmFormatOf(row.channels, row.bits, rates[r]), row.byRate[r]);
    }
    EXPECT_EQ(SelectedPcmFormatOf(row.channels, row.bits, "96000"), row.byRate[4]) << "other rates record 44100";
    EXPECT_EQ(SelectedPcmFormatOf(row.channels, row.bits, "0"), row.byRate[4]);
  }
}

TEST(SelectedPcmFormat, ChannelCaseAndFallbacks) {
  struct Case {
    const char* channels;
    const char* bits;
    const char* rate;
    TPCMFormat expected;
  };
  const Case cases[] = {
      {"MONO", "8", "8000", Mono8Bit8000Hz},           {"sTeReO", "8", "22050", Stereo8bit22050Hz},
      {"Mono ", "16", "8000", Stereo16bit44100Hz},  // a translated or padded text is not a channel count
      {"Monofonico", "8", "8000", Stereo16bit44100Hz}, {"Mono", "08", "8000", Stereo16bit44100Hz},
      {"Mono", "24", "48000", Stereo16bit44100Hz},     {"", "", "8000", Stereo16bit44100Hz},
      {"Mono", "16", "$1F40", Mono16bit8000Hz},  // the integer rule takes hexadecimal
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.channels) + "|" + c.bits + "|" + c.rate);
    EXPECT_EQ(SelectedPcmFormatOf(c.channels, c.bits, c.rate), c.expected);
  }
}

TEST(SelectedPcmFormat, ARateThatIsNotANumberRaisesTheConversionError) {
  for (const char* rate : {"", "44.1 kHz", "quarantaquattromila", "44100 ", "99999999999"}) {
    try {
      SelectedPcmFormatOf("Stereo", "16", rate);
      ADD_FAILURE() << rate;
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + rate + "' is not a valid integer value");
    }
  }
}

// ---- Times of day ----

TEST(TimeOfDay, ParsesTheFieldsTextsAndRefusesTheRest) {
  struct Case {
    const char* text;
    const char* separator;
    std::optional<int> seconds;
  };
  const Case cases[] = {
      {"21:30", ":", 21 * 3600 + 30 * 60},
      {" 7:05", ":", 7 * 3600 + 5 * 60},
      {"7:05", ":", 7 * 3600 + 5 * 60},
      {"07:05", ":", 7 * 3600 + 5 * 60},
      {"00:00", ":", 0},
      {"23:59", ":", 23 * 3600 + 59 * 60},
      {"21:30:15", ":", 21 * 3600 + 30 * 60 + 15},
      {"21.30", ".", 21 * 3600 + 30 * 60},
      {"21:30", ".", std::nullopt},
      {"25:61", ":", std::nullopt},
      {"24:00", ":", std::nullopt},
      {"12:60", ":", std::nullopt},
      {"12:30:60", ":", std::nullopt},
      {"7:5", ":", std::nullopt},
      {"  :  ", ":", std::nullopt},
      {"", ":", std::nullopt},
      {"123:00", ":", std::nullopt},
      {"-1:00", ":", std::nullopt},
      {"1 :00", ":", 3600},  // a one-digit hour as typed into the field
      {"1: 00", ":", std::nullopt},
      {"12:3_", ":", std::nullopt},
      {"12:30:", ":", std::nullopt},
      {"12:30x", ":", std::nullopt},
      {"12:30", "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.text + "' with '" + c.separator + "'");
    EXPECT_EQ(ParseTimeOfDay(c.text, c.separator), c.seconds);
  }
}

// ---- Alarm ----

namespace {

// A clock the test moves by hand; midnight of the first day is 1000000 on its scale.
class ScriptedClock : public AlarmClock {
 public:
  double now = 0;
  double Now() const override { return now; }
  double SecondOfDay(double at) const override {
    const double sinceStart = at - kMidnight;
    return sinceStart - std::floor(sinceStart / kSecondsPerDay) * kSecondsPerDay;
  }
  void SetTimeOfDay(double seconds) { now = kMidnight + seconds; }
  static constexpr double kMidnight = 1000000 * 86400.0;
};

int Hms(int h, int m, int s) { return h * 3600 + m * 60 + s; }
double At(int h, int m, int s) { return Hms(h, m, s); }

}  // namespace

TEST(AlarmCountdown, ActivationComputesTheTimeLeftWithTheNextDayRule) {
  struct Case {
    double now;
    int alarm;
    int expectedLeft;
  };
  const Case cases[] = {
      {At(20, 0, 0), Hms(22, 0, 0), Hms(2, 0, 0)},
      {At(22, 0, 0), Hms(21, 0, 0), Hms(23, 0, 0)},  // already past: tomorrow
      {At(21, 0, 0), Hms(21, 0, 0), Hms(24, 0, 0)},  // at the alarm time: tomorrow too
      {At(20, 59, 59) + 0.4, Hms(21, 0, 0), 0},      // less than a second ahead
      {At(20, 59, 58) + 0.25, Hms(21, 0, 0), 1},     // fractions dropped
      {At(23, 59, 59) + 0.5, 0, 0},                  // midnight, just before it
      {At(0, 0, 0), Hms(23, 59, 0), Hms(23, 59, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.now);
    ScriptedClock clock;
    clock.SetTimeOfDay(c.now);
    AlarmCountdown alarm(clock);
    alarm.SetAlarmTime(c.alarm);
    alarm.Activate();
    EXPECT_TRUE(alarm.Active());
    EXPECT_EQ(alarm.SecondsLeft(), c.expectedLeft);
    EXPECT_EQ(alarm.Hours() * 3600 + alarm.Minutes() * 60 + alarm.Seconds(), c.expectedLeft);
  }
}

TEST(AlarmCountdown, TicksCountDownAndFireAtZero) {
  ScriptedClock clock;
  clock.SetTimeOfDay(Hms(10, 0, 0));
  AlarmCountdown alarm(clock);
  alarm.SetAlarmTime(Hms(10, 1, 2));
  alarm.Activate();
  EXPECT_EQ(alarm.Hours(), 0);
  EXPECT_EQ(alarm.Minutes(), 1);
  EXPECT_EQ(alarm.Seconds(), 2);
  for (int tick = 1; tick < 62; ++tick) {
    clock.now += 1.0;
    ASSERT_FALSE(alarm.Tick()) << tick;
    EXPECT_EQ(alarm.SecondsLeft(), 62 - tick);
  }
  clock.now += 1.02;  // a tick a little late
  EXPECT_TRUE(alarm.Tick());
  alarm.Deactivate();
  EXPECT_FALSE(alarm.Active());
  EXPECT_FALSE(alarm.Tick()) << "an inactive alarm never fires";
}

TEST(AlarmCountdown, FiresAtTheTimeOfDayEvenWhenTicksAreLateOrMissed) {
  ScriptedClock clock;
  clock.SetTimeOfDay(Hms(8, 0, 0));
  AlarmCountdown alarm(clock);
  alarm.SetAlarmTime(Hms(9, 0, 0));
  alarm.Activate();
  // The machine slept for 59 minutes 30 seconds: one tick, and 30 seconds are left.
  clock.now += 3570;
  EXPECT_FALSE(alarm.Tick());
  EXPECT_EQ(alarm.SecondsLeft(), 30);
  // It slept past the alarm: the next tick fires.
  clock.now += 45;
  EXPECT_TRUE(alarm.Tick());
}

TEST(AlarmCountdown, LessThanASecondAheadFiresAtTheFirstTick) {
  ScriptedClock clock;
  clock.SetTimeOfDay(Hms(21, 59, 59) + 0.7);
  AlarmCountdown alarm(clock);
  alarm.SetAlarmTime(Hms(22, 0, 0));
  alarm.Activate();
  EXPECT_EQ(alarm.SecondsLeft(), 0);
  EXPECT_TRUE(alarm.Tick());
}

TEST(AlarmCountdown, EndBeforeStartFiresTheEndFirst) {
  ScriptedClock clock;
  clock.SetTimeOfDay(Hms(20, 0, 0));
  AlarmCountdown start(clock), end(clock);
  start.SetAlarmTime(Hms(22, 0, 0));
  end.SetAlarmTime(Hms(21, 0, 0));
  start.Activate();
  end.Activate();
  clock.now += 3600;
  EXPECT_TRUE(end.Tick());
  EXPECT_FALSE(start.Tick());
  EXPECT_EQ(start.SecondsLeft(), 3600);
}

// ---- Presets ----

namespace {

class PresetFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vombrel-presets-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  fs::path dir_;
};

}  // namespace

TEST_F(PresetFiles, RoundTripByteForByte) {
  const std::string path = PathOf("Serata radio.rcf");
  TRecorderPreset preset{"Microfono", "Monitor of Null Output",       "Mono",  "8",
                         "22050",     "/home/me/Registrazione è.wav", "21:30", " 7:05"};
  WritePresetFile(path, preset);
  const std::string expected = "[" + path +
                               "]\r\n"
                               "Sorgente=Microfono\r\n"
                               "Destinazione=Monitor of Null Output\r\n"
                               "Canali=Mono\r\n"
                               "Bits=8\r\n"
                               "Frequenza=22050\r\n"
                               "FileDestinazione=/home/me/Registrazione \xC3\xA8.wav\r\n"
                               "OraInizio=21:30\r\n"
                               "OraFine= 7:05\r\n";
  EXPECT_EQ(Bytes(path), expected);
  TRecorderPreset back = ReadPresetFile(path);
  back.OraFine = " 7:05";  // blanks around a value are not part of it when read
  EXPECT_EQ(back, preset);
  EXPECT_EQ(ReadPresetFile(path).OraFine, "7:05");

  // Saving the same settings again changes nothing; other values are replaced in place.
  WritePresetFile(path, preset);
  EXPECT_EQ(Bytes(path), expected);
  preset.Bits = "16";
  WritePresetFile(path, preset);
  std::string changed = expected;
  changed.replace(changed.find("Bits=8"), 6, "Bits=16");
  EXPECT_EQ(Bytes(path), changed);
  EXPECT_FALSE(fs::exists(path + ".tmp"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1) << "nothing left beside it";
}

TEST_F(PresetFiles, MissingKeysAndFilesGiveTheDefaults) {
  const TRecorderPreset defaults;
  EXPECT_EQ(defaults.Canali, "Stereo");
  EXPECT_EQ(defaults.Bits, "16");
  EXPECT_EQ(defaults.Frequenza, "44100");
  EXPECT_EQ(ReadPresetFile(PathOf("absent.rcf")), defaults);

  const std::string path = PathOf("partial.rcf");
  Put(path, "[" + path + "]\r\nbits=\"8\"\r\nFREQUENZA = 8000 \r\n");
  TRecorderPreset expected;
  expected.Bits = "8";
  expected.Frequenza = "8000";
  EXPECT_EQ(ReadPresetFile(path), expected) << "names without regard to case, quotes and blanks removed";
}

TEST_F(PresetFiles, APresetSavedUnderAnotherUserFolderIsStillRead) {
  const std::string path = PathOf("moved.rcf");
  Put(path, "[/home/old/.config/vombrel/Presets/moved.rcf]\r\nCanali=Mono\r\nFileDestinazione=/tmp/x.wav\r\n");
  const TRecorderPreset read = ReadPresetFile(path);
  EXPECT_EQ(read.Canali, "Mono");
  EXPECT_EQ(read.FileDestinazione, "/tmp/x.wav");

  // With several foreign sections there is no telling which one is meant.
  Put(path, "[/a/moved.rcf]\r\nCanali=Mono\r\n[/b/moved.rcf]\r\nCanali=Stereo\r\n");
  EXPECT_EQ(ReadPresetFile(path), TRecorderPreset{});
  // Its own section wins over others.
  Put(path, "[/a/moved.rcf]\r\nCanali=Mono\r\n[" + path + "]\r\nBits=8\r\n");
  EXPECT_EQ(ReadPresetFile(path).Bits, "8");
  EXPECT_EQ(ReadPresetFile(path).Canali, "Stereo");
}

TEST_F(PresetFiles, BadFilesNeitherCrashNorReadOutsideTheirBytes) {
  const std::string path = PathOf("bad.rcf");
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
  std::string big = "[" + path + "]\r\nFileDestinazione=" + std::string(1 << 20, 'x') + "\r\nBits=8\r\n";
  const Case cases[] = {
      {"empty", ""},
      {"binary", binary},
      {"1 MB", big},
      {"no line end", "[" + path + "]\r\nCanali=Mono"},
      {"duplicate keys", "[" + path + "]\r\nCanali=Mono\r\nCanali=Stereo\r\nBits=8\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put(path, c.bytes);
    const TRecorderPreset read = ReadPresetFile(path);
    EXPECT_LE(read.FileDestinazione.size(), IniFile::kMaxValueLength);
  }
  Put(path, cases[4].bytes);
  EXPECT_EQ(ReadPresetFile(path).Canali, "Mono") << "the first of duplicate keys counts";
  Put(path, big);
  EXPECT_EQ(ReadPresetFile(path).Bits, "8");
}

TEST_F(PresetFiles, Windows1252FilesAreDecoded) {
  const std::string path = PathOf("old.rcf");
  Put(path, "[" + path + "]\r\nSorgente=Entrata di linea \xE8 mic\r\n");
  EXPECT_EQ(ReadPresetFile(path).Sorgente, "Entrata di linea \xC3\xA8 mic");
}

TEST_F(PresetFiles, AnUnwritableFolderRaisesTheWriteError) {
  Put(PathOf("plain-file"), "x");
  const std::string path = PathOf("plain-file/folder.rcf");  // a file where a folder should be
  try {
    WritePresetFile(path, {});
    ADD_FAILURE();
  } catch (const IniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
  EXPECT_EQ(Bytes(PathOf("plain-file")), "x");
}

TEST(PresetNames, OnlyNamesThatStayInTheFolder) {
  struct Case {
    std::string name;
    bool valid;
  };
  const Case cases[] = {
      {"Serata", true},
      {" spazi ", true},
      {"a.b", true},
      {"..a", true},
      {"è", true},
      {std::string(251, 'n'), true},
      {std::string(252, 'n'), false},
      {"", false},
      {".", false},
      {"..", false},
      {"../fuori", false},
      {"sotto/cartella", false},
      {"/etc/passwd", false},
      {"riga\nnuova", false},
      {"tab\there", false},
      {std::string("nul\0x", 5), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsValidPresetName(c.name), c.valid);
  }
  EXPECT_EQ(PresetPath("/u/Presets/", " x "), "/u/Presets/ x .rcf");
}
