// The recorder window, offscreen: its mixer lines over a scripted sound server (ports,
// unplugged ones, a default input to leave alone), presets in a private user folder, and
// real recordings (by hand and on a timer against a scripted clock) from the monitor of a
// null sink of the test's own on the test environment's sound server.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStandardItemModel>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "Privateconfighome.h"
#include "app/Recording.h"
#include "app/VombrelMain.h"
#include "support/Configurazione.h"
#include "support/Inifile.h"
#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "support/Supportmsg.h"
#include "tests/wave/Soundtestkit.h"
#include "toolkit/Translation.h"

namespace fs = std::filesystem;

namespace vombrel {
namespace {

// A sound server whose devices the test writes down; it records every change asked of it.
class ScriptedServer : public TSoundServer {
 public:
  std::vector<TSoundDevice> sources;
  std::map<std::string, TChannelVolumes> volumes;
  std::map<std::string, bool> mutes;
  std::string defaultSource = "usb.mic";
  int portChanges = 0;

  std::string ServerName() override { return "scripted"; }
  std::vector<TSoundDevice> ListSinks() override { return {}; }
  std::vector<TSoundDevice> ListSources() override { return sources; }
  std::optional<TChannelVolumes> SinkVolume(const std::string&) override { return std::nullopt; }
  bool SetSinkVolume(const std::string&, const TChannelVolumes&) override { return false; }
  std::optional<TChannelVolumes> SourceVolume(const std::string& s) override {
    if (!volumes.count(s)) return std::nullopt;
    return volumes[s];
  }
  bool SetSourceVolume(const std::string& s, const TChannelVolumes& v) override {
    volumes[s] = TChannelVolumes(2, v.back());
    return true;
  }
  std::optional<bool> SourceMute(const std::string& s) override {
    if (!mutes.count(s)) return std::nullopt;
    return mutes[s];
  }
  bool SetSourceMute(const std::string& s, bool m) override {
    mutes[s] = m;
    return true;
  }
  bool SetSourcePort(const std::string& s, const std::string& port) override {
    ++portChanges;
    for (auto& d : sources)
      if (d.name == s) d.activePort = port;
    return true;
  }
  bool SetDefaultSource(const std::string& s) override {
    defaultSource = s;
    return true;
  }
  std::optional<std::string> DefaultSourceName() override { return defaultSource; }
  const TSoundDevice& Source(const std::string& name) const {
    for (const auto& d : sources)
      if (d.name == name) return d;
    throw std::logic_error(name);
  }
};

// The wall clock moved by a fixed offset the test can change.
class ShiftedClock : public AlarmClock {
 public:
  double shift = 0;
  double Now() const override { return SystemAlarmClock().Now() + shift; }
  double SecondOfDay(double now) const override { return SystemAlarmClock().SecondOfDay(now); }
};

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 10000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

class RecorderWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::MakePrivateConfigHome("recwin");
    InitSharedConfig("Kelvatro/Vombrel");
    server_.sources = {
        {"alsa_input.analog",
         "Built-in Audio",
         false,
         {{"mic", "Microphone", true}, {"line", "Line In", true}, {"headset", "Headset Microphone", false}},
         "line"},
        {"sink.monitor", "Monitor of Speakers", true, {}, ""},
        {"usb.mic", "USB Microphone", false, {}, ""},
    };
    for (const auto& s : server_.sources) {
      server_.volumes[s.name] = {kPulseVolumeNorm / 2, kPulseVolumeNorm / 2};
      server_.mutes[s.name] = false;
    }
  }
  void TearDown() override {
    SetCurrentLanguage("");
    FreeMessages();
    FreeSharedConfig();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  std::unique_ptr<TFormRecording> Open(TSoundServer& server) {
    auto window = std::make_unique<TFormRecording>(nullptr, server, clock_);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    return window;
  }
  std::string PresetFolder() const { return (root_ / "app_recording_tests" / "Presets").string() + "/"; }

  fs::path root_;
  ScriptedServer server_;
  ShiftedClock clock_;
  RecordingReporter reporter_;
  ScopedReporter scope_{&reporter_};
};

TEST_F(RecorderWindow, CreationShowsTheFirstDestinationAndChangesNothingInTheSystem) {
  auto w = Open(server_);
  EXPECT_EQ(w->ComboDestinazione->Items(), (QStringList{"Built-in Audio", "Monitor of Speakers", "USB Microphone"}));
  EXPECT_EQ(w->ComboDestinazione->currentIndex(), 0);
  EXPECT_EQ(w->ComboSorgente->Items(), (QStringList{"Microphone", "Line In", "Headset Microphone"}));
  EXPECT_EQ(w->ComboSorgente->currentText(), "Line In") << "the line the source has active";
  EXPECT_EQ(server_.portChanges, 0);
  EXPECT_EQ(server_.defaultSource, "usb.mic");
  // The unplugged port is shown greyed and cannot be picked.
  auto* model = qobject_cast<QStandardItemModel*>(w->ComboSorgente->model());
  ASSERT_NE(model, nullptr);
  EXPECT_TRUE(model->item(0)->isEnabled());
  EXPECT_FALSE(model->item(2)->isEnabled());
  EXPECT_EQ(model->item(2)->toolTip(), "Non collegato");

  EXPECT_EQ(w->ComboCanali->currentText(), "Stereo");
  EXPECT_EQ(w->ComboBits->currentText(), "16");
  EXPECT_EQ(w->ComboFrequenza->currentText(), "44100");
  EXPECT_EQ(w->SelectedPcmFormat(), Stereo16bit44100Hz);
  EXPECT_EQ(w->LVolume->Position(), 50);
  EXPECT_EQ(w->RVolume->Position(), 50);
  // The level bars fill from the bottom up.
  ASSERT_TRUE(w->LVolume->Vertical());
  EXPECT_EQ(w->LVolume->DoneWidth(), (w->LVolume->height() - 4) / 2);
  const QImage bar = w->LVolume->grab().toImage();
  const QColor element = w->LVolume->property("ColorElement").value<QColor>();
  EXPECT_EQ(bar.pixelColor(bar.width() / 2, bar.height() - 4), element);
  EXPECT_NE(bar.pixelColor(bar.width() / 2, 4), element);
  EXPECT_FALSE(w->CbMute->Checked());
  EXPECT_EQ(w->LblErrore->Caption(), "");
  EXPECT_EQ(w->EditCombinazione->count(), 0);
  EXPECT_EQ(w->EditOraInizio->Text(), "  :  ");
  EXPECT_EQ(w->ChosenSourceName(), "alsa_input.analog");
  EXPECT_FALSE(w->IsRecording());
}

TEST_F(RecorderWindow, PickingALineActivatesOnlyItsPort) {
  auto w = Open(server_);
  w->ComboSorgente->setCurrentIndex(0);
  w->ComboSorgenteChange();
  EXPECT_EQ(server_.Source("alsa_input.analog").activePort, "mic");
  EXPECT_EQ(server_.defaultSource, "usb.mic");
  w->ComboSorgente->setCurrentIndex(2);  // unplugged
  w->ComboSorgenteChange();
  EXPECT_EQ(server_.Source("alsa_input.analog").activePort, "mic");

  // Another destination: its lines, nothing switched; the format lists only show again.
  const int changes = server_.portChanges;
  w->ComboDestinazione->setCurrentIndex(1);
  w->ComboDestinazioneChange();
  EXPECT_EQ(w->ComboSorgente->Items(), (QStringList{"Monitor of Speakers"}));
  EXPECT_EQ(w->ChosenSourceName(), "sink.monitor");
  w->FormatChange();
  EXPECT_EQ(server_.portChanges, changes);
  EXPECT_EQ(server_.defaultSource, "usb.mic");

  // Volume and mute act on the destination.
  w->CbMute->SetChecked(true);
  w->CbMuteClick();
  EXPECT_TRUE(server_.mutes["sink.monitor"]);
  w->LVolume->SetPosition(80);
  w->LVolumeMouseUp();
  EXPECT_EQ(server_.volumes["sink.monitor"][0], static_cast<uint32_t>(std::lround(kPulseVolumeNorm * 0.8)));
  // A volume that could not be read is never written back as silence.
  w->LVolume->SetPosition(-1);
  w->LVolumeMouseUp();
  EXPECT_EQ(server_.volumes["sink.monitor"][0], static_cast<uint32_t>(std::lround(kPulseVolumeNorm * 0.8)));
}

TEST_F(RecorderWindow, BlankDestinationAndBadTimesShowTheirBoxes) {
  auto w = Open(server_);
  w->EditFileDestinazione->setText("   ");
  w->RecClick();
  w->BtnImpostaTimerClick();
  ASSERT_EQ(reporter_.messages.size(), 2u);
  for (const auto& m : reporter_.messages) {
    EXPECT_EQ(m.text, "E' necessario specificare il file di destinazione.");
    EXPECT_EQ(m.caption, "File di destinazione mancante");
  }
  EXPECT_FALSE(w->IsRecording());
  EXPECT_FALSE(w->OraInizio->Active());

  w->EditFileDestinazione->setText((root_ / "timed.wav").c_str());
  struct Case {
    const char* start;
    const char* end;
    bool armed;
  };
  const Case cases[] = {{"25:61", "10:00", false}, {"  :  ", "10:00", false}, {"10:00", "7:5", false},
                        {"9:30", "  :  ", false},  {" 9:30", "23:59", true},  {"9 :30", "23:59", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.start) + " " + c.end);
    reporter_.messages.clear();
    w->EditOraInizio->SetText(c.start);
    w->EditOraFine->SetText(c.end);
    w->BtnImpostaTimerClick();
    EXPECT_EQ(w->OraInizio->Active(), c.armed);
    EXPECT_EQ(w->OraFine->Active(), c.armed);
    if (!c.armed) {
      ASSERT_EQ(reporter_.messages.size(), 1u);
      EXPECT_EQ(reporter_.messages[0].text, "L'ora indicata non sembra essere valida.");
      EXPECT_EQ(reporter_.messages[0].caption, "Errore formato");
    }
  }
  EXPECT_EQ(w->OraInizio->AlarmTime(), 9 * 3600 + 30 * 60);
  EXPECT_EQ(w->OraFine->AlarmTime(), 23 * 3600 + 59 * 60);
  EXPECT_FALSE(fs::exists(root_ / "timed.wav")) << "arming records nothing yet";
}

TEST_F(RecorderWindow, StartFailuresLeaveTheWindowIdleWithTheReason) {
  auto w = Open(server_);
  // No such folder.
  w->EditFileDestinazione->setText((root_ / "missing" / "x.wav").c_str());
  w->RecClick();
  EXPECT_FALSE(w->IsRecording());
  EXPECT_EQ(w->LblErrore->Caption(), "Errore in fase di registrazione");
  EXPECT_NE(w->LblErrore->Hint().toStdString().find("x.wav"), std::string::npos) << w->LblErrore->Hint().toStdString();
  EXPECT_TRUE(w->GrpFormato->isEnabled());
  EXPECT_EQ(w->ButtonRec->Glyph(), TGlyph::Record);

  // A rate text that is not a number.
  w->ComboFrequenza->SetItems({"quarantaquattro"});
  w->ComboFrequenza->setCurrentIndex(0);
  w->EditFileDestinazione->setText((root_ / "x.wav").c_str());
  w->RecClick();
  EXPECT_FALSE(w->IsRecording());
  EXPECT_EQ(w->LblErrore->Hint(), "'quarantaquattro' is not a valid integer value");
  EXPECT_TRUE(reporter_.messages.empty());
}

TEST_F(RecorderWindow, PresetsAreSavedListedAndLoadedWithoutChangeActions) {
  auto w = Open(server_);
  w->ComboDestinazione->setCurrentIndex(2);
  w->ComboDestinazioneChange();
  w->ComboCanali->setCurrentIndex(1);
  w->ComboBits->setCurrentIndex(1);
  w->ComboFrequenza->setCurrentIndex(3);
  w->EditFileDestinazione->setText("/tmp/serata.wav");
  w->EditOraInizio->SetText("21:30");
  std::optional<std::string> answer = " Serata ";
  w->SetPresetNameAskerForTesting([&] { return answer; });
  w->BtnCombinazioneClick();
  const std::string path = PresetFolder() + " Serata .rcf";
  ASSERT_TRUE(FileExists(path)) << "the name as typed, blanks included";
  ASSERT_EQ(w->EditCombinazione->Items(), QStringList{" Serata "});
  EXPECT_EQ(w->EditCombinazione->currentIndex(), -1);
  const auto bytes = ReadFileBytes(path);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(
      *bytes,
      "[" + path +
          "]\r\nSorgente=USB Microphone\r\nDestinazione=USB Microphone\r\nCanali=Mono\r\n"
          "Bits=8\r\nFrequenza=11025\r\nFileDestinazione=/tmp/serata.wav\r\nOraInizio=21:30\r\nOraFine=  :  \r\n");

  // Names that would leave the folder, blank ones and cancelling write nothing.
  for (std::optional<std::string> bad :
       {std::optional<std::string>("../fuori"), std::optional<std::string>("a/b"), std::optional<std::string>(".."),
        std::optional<std::string>("   "), std::optional<std::string>()}) {
    answer = bad;
    w->BtnCombinazioneClick();
  }
  ASSERT_EQ(reporter_.messages.size(), 3u);
  EXPECT_EQ(reporter_.messages[0].caption, "Nome combinazione non valido");
  EXPECT_FALSE(fs::exists(root_ / "app_recording_tests" / "fuori.rcf"));
  EXPECT_EQ(w->EditCombinazione->count(), 1);

  // A new window lists it; loading selects entries quietly.
  auto other = Open(server_);
  ASSERT_EQ(other->EditCombinazione->Items(), QStringList{" Serata "});
  const int changes = server_.portChanges;
  other->EditCombinazione->setCurrentIndex(0);
  other->EditCombinazioneChange();
  EXPECT_EQ(other->ComboDestinazione->currentText(), "USB Microphone");
  EXPECT_EQ(other->AudioMixer.DestinationID(), 0) << "the mixer is not told";
  EXPECT_EQ(other->ComboSorgente->Items(), (QStringList{"Microphone", "Line In", "Headset Microphone"}));
  EXPECT_EQ(other->ComboSorgente->currentIndex(), -1) << "no line of that name here";
  EXPECT_EQ(other->SelectedPcmFormat(), Mono8bit11025Hz);
  EXPECT_EQ(other->EditFileDestinazione->text(), "/tmp/serata.wav");
  EXPECT_EQ(other->EditOraInizio->Text(), "21:30");
  EXPECT_EQ(server_.portChanges, changes);
  EXPECT_EQ(other->ChosenSourceName(), "usb.mic") << "the recording follows the destination shown";
  // A format change with no line selected asks the mixer for nothing.
  other->FormatChange();
  EXPECT_TRUE(reporter_.messages.size() == 3u);
}

TEST_F(RecorderWindow, AnUnwritablePresetIsReportedAndTheListStays) {
  auto w = Open(server_);
  // The presets folder is a file: nothing can be written into it.
  fs::remove_all(PresetFolder());
  { std::ofstream(PresetFolder().substr(0, PresetFolder().size() - 1)) << "x"; }
  w->SetPresetNameAskerForTesting([] { return std::optional<std::string>("x"); });
  w->BtnCombinazioneClick();
  ASSERT_EQ(reporter_.messages.size(), 1u);
  EXPECT_EQ(reporter_.messages[0].text.rfind("Unable to write to ", 0), 0u) << reporter_.messages[0].text;
  EXPECT_EQ(w->EditCombinazione->count(), 0);
}

TEST_F(RecorderWindow, LanguageFilesCoverEveryTextAndKeepTheFormat) {
  SetCurrentLanguage("English");
  auto w = Open(server_);
  EXPECT_EQ(w->LblCanali->Caption(), "Channels");
  EXPECT_EQ(w->ComboCanali->currentText(), "Stereo") << "refilled lists keep their entry";
  EXPECT_EQ(w->ComboFrequenza->currentText(), "44100");
  EXPECT_EQ(w->SelectedPcmFormat(), Stereo16bit44100Hz);
  for (const char* language : {"English", "Italiano"}) {
    const auto file = LanguageFile::Load(LanguageFilePath(language));
    ASSERT_TRUE(file) << language;
    for (QObject* component : w->findChildren<QObject*>()) {
      const std::string name = component->objectName().toStdString();
      if (name.empty() || name == "LblErrore") continue;
      for (const char* property : {"Caption", "Hint"}) {
        const QVariant value = component->property(property);
        if (!value.isValid() || value.toString().isEmpty()) continue;
        EXPECT_TRUE(file->Find(LanguageFile::ComponentKey("FormRecording", name, property)).has_value())
            << language << ": " << name << "." << property;
      }
    }
    for (const char* list : {"ComboCanali", "ComboBits", "ComboFrequenza"})
      EXPECT_TRUE(file->Find(LanguageFile::ComponentKey("FormRecording", list, "Items")).has_value()) << list;
    for (const char* key : {"MSG_FILEDEST", "TTL_FILEDEST", "MSG_WRONGFORMAT_TIME", "TTL_FORMATERROR", "MSG_RECBUSY",
                            "MSG_RECERROR", "MSG_STOPREC", "MSG_ERRORSTOPREC", "LBL_COMBINAZIONE", "TTL_COMBINAZIONE",
                            "MSG_PRESETNAME", "TTL_PRESETNAME", "LBL_UNPLUGGED"})
      EXPECT_FALSE(file->Text(std::string("*") + key, "").empty()) << language << ": " << key;
  }
  SetCurrentLanguage("");
}

// The main window's record button and "Registratore" item each open a new recorder,
// shown at once; the windows go with the main window.
TEST_F(RecorderWindow, TheMainWindowOpensANewRecorderForEveryRequest) {
  FreeSharedConfig();
  OutputVolume volume{[]() -> std::optional<int32_t> { return 65535; }, [](int32_t) {}};
  auto main = std::make_unique<TFormVombrel>(std::vector<std::string>{}, EngineFactory{}, volume);
  EXPECT_TRUE(main->ButtonRec->isEnabled());
  QAction* item = main->findChild<QAction*>("PopupRegistratore");
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(main->ConfigMenu()->actions().contains(item));
  item->trigger();
  main->RegistracomeWAV1Click();
  const auto recorders = main->findChildren<TFormRecording*>();
  ASSERT_EQ(recorders.size(), 2);
  for (TFormRecording* r : recorders) {
    EXPECT_TRUE(r->isVisible());
    EXPECT_TRUE(r->isWindow());
  }
  EXPECT_NE(recorders[0], recorders[1]);
  // Closing one frees it.
  QPointer<TFormRecording> first = recorders[0];
  first->close();
  WaitFor([&] { return first.isNull(); }, 3000);
  EXPECT_TRUE(first.isNull());
  main.reset();
}

// ---- Real recordings on the test environment's sound server ----

class RecorderOnServer : public RecorderWindow {
 public:
  static void SetUpTestSuite() {
    sink_ = new soundtest::OwnNullSink("recwin");
    ASSERT_TRUE(sink_->Loaded()) << "is the test sound server running?";
    tone_ = new soundtest::Background(soundtest::ToneCommand(sink_->Name(), 1000));
    listener_ = new soundtest::Background("exec parec --latency-msec=50 --device=" + sink_->Monitor() + " >/dev/null");
    // A fresh null sink needs a moment before the first sound flows through it.
    ASSERT_TRUE(soundtest::WaitUntil(ToneArrives, 15000)) << "the tone never reached the monitor";
  }
  // A short recording from the monitor whose last tenth of a second holds the tone.
  static bool ToneArrives() {
    const std::string path =
        (fs::temp_directory_path() / ("vombrel-recwin-probe-" + std::to_string(getpid()) + ".wav")).string();
    TStockAudioRecorder probe;
    probe.SetPCMFormat(Mono16bit44100Hz);
    probe.SetBufferLength(100);
    probe.SetSourceName(sink_->Monitor());
    if (!probe.RecordToFile(path)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    probe.SetActive(false);
    probe.WaitUntilClosed();
    const std::string bytes = soundtest::ReadFile(path);
    fs::remove(path);
    if (bytes.size() < 46 + 8820) return false;
    return soundtest::MeasureTone(bytes.substr(bytes.size() - 8820), 16, 1, 44100).rms > 0.3;
  }
  static void TearDownTestSuite() {
    delete listener_;
    delete tone_;
    delete sink_;
  }

 protected:
  // A window recording from our sink's monitor, chosen in the list as a user would.
  std::unique_ptr<TFormRecording> OpenOnMonitor(const std::string& file) {
    auto w = Open(DefaultSoundServer());
    const int index = w->ComboDestinazione->findText(QString::fromStdString("Monitor of " + sink_->Name()));
    EXPECT_GE(index, 0);
    w->ComboDestinazione->setCurrentIndex(index);
    w->ComboDestinazioneChange();
    w->ComboCanali->setCurrentIndex(1);     // Mono
    w->ComboFrequenza->setCurrentIndex(2);  // 22050
    w->EditFileDestinazione->setText(QString::fromStdString(file));
    return w;
  }
  static void CheckTone(const std::string& path, double minSeconds) {
    const std::string bytes = soundtest::ReadFile(path);
    TWaveFormatEx format;
    SetPCMAudioFormatS(format, Mono16bit22050Hz);
    const uint32_t data = soundtest::CheckWaveFile(bytes, format);
    ASSERT_GT(data, minSeconds * format.avgBytesPerSec) << path;
    const auto tail = bytes.substr(46 + data - format.avgBytesPerSec / 2, format.avgBytesPerSec / 2);
    const soundtest::ToneMeasure tone = soundtest::MeasureTone(tail, 16, 1, 22050);
    EXPECT_NEAR(tone.rms, 0.354, 0.06);
    EXPECT_NEAR(tone.frequency, 1000, 20);
  }

  static soundtest::OwnNullSink* sink_;
  static soundtest::Background* tone_;
  static soundtest::Background* listener_;
};
soundtest::OwnNullSink* RecorderOnServer::sink_ = nullptr;
soundtest::Background* RecorderOnServer::tone_ = nullptr;
soundtest::Background* RecorderOnServer::listener_ = nullptr;

TEST_F(RecorderOnServer, RecordsTheChosenDestinationByHandAndLeavesTheDefaultInputAlone) {
  const std::string before = soundtest::Chomp(soundtest::Run("pactl get-default-source"));
  const std::string path = (root_ / "by hand.wav").string();
  auto w = OpenOnMonitor(path);
  w->RecClick();
  ASSERT_TRUE(w->IsRecording()) << w->LblErrore->Hint().toStdString();
  EXPECT_EQ(w->LblErrore->Caption(), "Registrazione in corso...");
  EXPECT_EQ(w->ButtonRec->Glyph(), TGlyph::Stop);
  EXPECT_FALSE(w->GrpSorgente->isEnabled());
  EXPECT_FALSE(w->FlatPanel2->isEnabled());
  EXPECT_TRUE(w->PnlTagTitolo->isEnabled());
  EXPECT_TRUE(w->ButtonRec->isEnabled());
  WaitFor([] { return false; }, 1800);
  w->RecClick();
  EXPECT_FALSE(w->IsRecording());
  EXPECT_EQ(w->LblErrore->Caption(), "Registrazione interrotta");
  EXPECT_TRUE(w->GrpSorgente->isEnabled());
  w->AudioRecorder.WaitUntilClosed();
  CheckTone(path, 1.0);
  EXPECT_EQ(soundtest::Chomp(soundtest::Run("pactl get-default-source")), before);
}

TEST_F(RecorderOnServer, TimedRecordingStartsAndEndsAtTheTimesOfDay) {
  const std::string path = (root_ / "timed.wav").string();
  auto w = OpenOnMonitor(path);
  // The scripted clock stands two seconds before a full minute M; start at M, end at M+1.
  const double now = SystemAlarmClock().Now();
  const double ofDay = SystemAlarmClock().SecondOfDay(now);
  const int minute = (static_cast<int>(ofDay) / 60 + 2) % (24 * 60);
  clock_.shift = (minute * 60 - 2) - ofDay;
  if (clock_.shift < 0) clock_.shift += kSecondsPerDay;
  auto hhmm = [](int m) { return QString::asprintf("%02d:%02d", m / 60 % 24, m % 60); };
  w->EditOraInizio->SetText(hhmm(minute));
  w->EditOraFine->SetText(hhmm(minute + 1));
  w->BtnImpostaTimerClick();
  ASSERT_TRUE(w->OraInizio->Active());
  EXPECT_EQ(w->OraInizio->Countdown().SecondsLeft(), 1);
  EXPECT_FALSE(fs::exists(path));

  ASSERT_TRUE(WaitFor([&] { return w->IsRecording(); }, 6000)) << w->LblErrore->Hint().toStdString();
  EXPECT_FALSE(w->OraInizio->Active());
  EXPECT_TRUE(w->OraFine->Active());
  EXPECT_TRUE(fs::exists(path));
  WaitFor([] { return false; }, 1500);
  // A minute passes in a moment: the end alarm fires at its next tick.
  clock_.shift += 60;
  ASSERT_TRUE(WaitFor([&] { return !w->IsRecording(); }, 4000));
  EXPECT_FALSE(w->OraFine->Active());
  EXPECT_EQ(w->LblErrore->Caption(), "Registrazione interrotta");
  w->AudioRecorder.WaitUntilClosed();
  CheckTone(path, 1.0);
}

TEST_F(RecorderOnServer, ClosingWhileRecordingFinishesTheFile) {
  const std::string path = (root_ / "closed.wav").string();
  auto w = OpenOnMonitor(path);
  w->RecClick();
  ASSERT_TRUE(w->IsRecording());
  WaitFor([] { return false; }, 1200);
  w->close();
  w.reset();
  CheckTone(path, 0.8);
}

TEST_F(RecorderOnServer, ASourceThatGoesAwayIsReportedAndTheFileStaysValid) {
  auto vanishing = std::make_unique<soundtest::OwnNullSink>("gone");
  ASSERT_TRUE(vanishing->Loaded());
  const std::string path = (root_ / "gone.wav").string();
  auto w = Open(DefaultSoundServer());
  const int index = w->ComboDestinazione->findText(QString::fromStdString("Monitor of " + vanishing->Name()));
  ASSERT_GE(index, 0);
  w->ComboDestinazione->setCurrentIndex(index);
  w->ComboDestinazioneChange();
  w->EditFileDestinazione->setText(QString::fromStdString(path));
  w->RecClick();
  ASSERT_TRUE(w->IsRecording()) << w->LblErrore->Hint().toStdString();
  WaitFor([] { return false; }, 500);
  vanishing.reset();  // the sink and its monitor go away
  ASSERT_TRUE(WaitFor([&] { return !reporter_.messages.empty(); }, 8000)) << "the error is shown";
  EXPECT_EQ(reporter_.messages[0].caption, "Vombrel Audio Player");
  EXPECT_TRUE(w->IsRecording()) << "the window shows the recording until it is stopped";
  w->RecClick();
  EXPECT_FALSE(w->IsRecording());
  EXPECT_EQ(w->LblErrore->Caption(), "Registrazione interrotta");
  TWaveFormatEx format;
  SetPCMAudioFormatS(format, Stereo16bit44100Hz);
  soundtest::CheckWaveFile(soundtest::ReadFile(path), format);
}

TEST_F(RecorderWindow, TheTimeFieldTakesTypedDigitsFromItsFirstPlace) {
  auto w = Open(server_);
  TMaskEdit* field = w->EditOraInizio;
  // A click at the far end of the blank field, then four digits.
  const QPointF end(field->width() - 3, field->height() / 2);
  QMouseEvent press(QEvent::MouseButtonPress, end, field->mapToGlobal(end), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, end, field->mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(field, &press);
  QCoreApplication::sendEvent(field, &release);
  for (const char digit : std::string("2130")) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_0 + (digit - '0'), Qt::NoModifier, QString(QChar(digit)));
    QCoreApplication::sendEvent(field, &key);
  }
  EXPECT_EQ(field->Text(), "21:30");
  EXPECT_EQ(ParseTimeOfDay(field->Text().toStdString(), field->Separator().toStdString()), 21 * 3600 + 30 * 60);
  // Texts from presets fit the mask; blanks stay blanks.
  for (const char* text : {" 9:30", "9 :30", "  :  ", ""}) {
    field->SetText(text);
    EXPECT_EQ(field->Text().size(), 5) << text;
  }
  field->SetText(" 9:30");
  EXPECT_EQ(field->Text(), " 9:30");
}

TEST_F(RecorderWindow, WithoutASoundServerNothingIsListedAndStartingSaysWhy) {
  const char* previous = getenv("PULSE_SERVER");
  const std::string saved = previous ? previous : "";
  setenv("PULSE_SERVER", ("unix:" + (root_ / "no-server").string()).c_str(), 1);
  ScriptedServer nothing;  // no devices
  auto w = Open(nothing);
  EXPECT_EQ(w->ComboDestinazione->count(), 0);
  EXPECT_EQ(w->ComboSorgente->count(), 0);
  EXPECT_TRUE(w->CbMute->Checked());
  EXPECT_EQ(w->LVolume->Position(), -1);
  w->EditFileDestinazione->setText((root_ / "none.wav").c_str());
  w->RecClick();
  EXPECT_FALSE(w->IsRecording());
  EXPECT_EQ(w->LblErrore->Caption(), "Errore in fase di registrazione");
  EXPECT_EQ(w->LblErrore->Hint(), "Connection refused");
  EXPECT_EQ(soundtest::ReadFile((root_ / "none.wav").string()).size(), 46u) << "a valid, empty WAV";
  if (previous)
    setenv("PULSE_SERVER", saved.c_str(), 1);
  else
    unsetenv("PULSE_SERVER");
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
