// The main window's controller with a scripted engine and a scripted output volume,
// offscreen. Media files for the tag panel are made with ffmpeg once per run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "Privateconfighome.h"
#include "Scriptedengine.h"
#include "app/Application.h"
#include "app/VombrelMain.h"
#include "mediainfo/Mp3tag.h"
#include "mediainfo/Trackinfo.h"
#include "playlist/Playlisthandover.h"
#include "support/Configurazione.h"
#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "support/Supportmsg.h"
#include "toolkit/Flatlists.h"

namespace fs = std::filesystem;

namespace vombrel {
namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int Run(const std::string& command) { return std::system(command.c_str()); }

// Media files shared by every test of the run.
class Media {
 public:
  static const Media& Get() {
    static Media media;
    return media;
  }
  fs::path folder;
  std::string mp3, ogg, flac, wav, wma, mp3Untagged;

 private:
  Media() {
    folder = fs::temp_directory_path() / ("vombrel-app-media-" + std::to_string(getpid()));
    fs::create_directories(folder);
    auto make = [&](const std::string& name, const std::string& arguments) {
      const std::string path = (folder / name).string();
      Run("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=2 " + arguments + " '" + path + "' </dev/null");
      return path;
    };
    const std::string tags =
        "-metadata title='Sine Song' -metadata artist='Test Artist' -metadata album='Tones' "
        "-metadata track=7 -metadata genre=Rock ";
    mp3 = make("song.mp3", tags + "-b:a 128k -id3v2_version 3");
    mp3Untagged = make("plain.mp3", "-b:a 64k -write_xing 0 -id3v2_version 0");
    ogg = make("tone.ogg", tags + "-c:a libvorbis");
    flac = make("tone.flac", tags);
    wav = make("tone.wav", "");
    wma = make("tone.wma", tags + "-c:a wmav2");
  }
  ~Media() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
};

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override { root_ = testing::MakePrivateConfigHome("app"); }
  void TearDown() override {
    window_.reset();
    FreeMessages();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // The window with the given arguments, shown (so the engine exists) unless told not to.
  TFormVombrel& Open(std::vector<std::string> arguments = {}, bool show = true) {
    EngineFactory factory = [this](const std::string& name, NotifyHandler notify) {
      engineName_ = name;
      auto engine = std::make_unique<testing::ScriptedEngine>(dispatcher_);
      engine->InitPlayer(nullptr, std::move(notify));
      engine->files = files_;
      engine_ = engine.get();
      return engine;
    };
    OutputVolume volume{[this]() -> std::optional<int32_t> { return deviceVolume_; },
                        [this](int32_t v) {
                          deviceVolume_ = v;
                          volumeWrites_.push_back(v);
                        }};
    window_ = std::make_unique<TFormVombrel>(std::move(arguments), factory, volume);
    if (show) {
      window_->show();
      QCoreApplication::processEvents();
    }
    return *window_;
  }

  fs::path UserFolder() const { return root_ / "app_window_tests"; }
  std::string Autosave() const { return ReadAll(UserFolder() / "Playlist.vpl"); }

  fs::path root_;
  testing::NullDispatcher dispatcher_;
  std::map<std::string, testing::ScriptedFile> files_;
  testing::ScriptedEngine* engine_ = nullptr;
  std::string engineName_;
  int32_t deviceVolume_ = 65535;
  std::vector<int32_t> volumeWrites_;
  std::unique_ptr<TFormVombrel> window_;
};

TEST_F(MainWindow, StartWithoutArgumentOrAutosave) {
  TFormVombrel& w = Open();
  EXPECT_EQ(w.Playlist().Count(), 0);
  EXPECT_EQ(w.PannelloTitolo->Caption(), "No Playback");
  EXPECT_EQ(w.Tempo->Caption(), "-.--.--");
  EXPECT_EQ(w.Durata->Caption(), "-.--.--");
  EXPECT_EQ(w.LabelExtension->Caption(), "( no file )");
  ASSERT_NE(engine_, nullptr);
  EXPECT_EQ(engineName_, "Default");
  w.ButtonPlayClick();
  EXPECT_EQ(engine_->Count("Play"), 0);
  EXPECT_FALSE(w.AutoplayPending());
}

TEST_F(MainWindow, StartReadsTheAutosaveWithoutPlaying) {
  fs::create_directories(UserFolder());
  std::ofstream(UserFolder() / "Playlist.vpl", std::ios::binary) << "/a.wav\r\n/b.wav\r\n";
  files_["/a.wav"] = {};
  TFormVombrel& w = Open();
  EXPECT_EQ(w.Playlist().Entries, (StringList{"/a.wav", "/b.wav"}));
  EXPECT_EQ(w.Playlist().CurrentIndex, 0);
  EXPECT_EQ(engine_->Count("Play"), 0);
}

TEST_F(MainWindow, StartWithAFilePlaysItAtTheFirstActivation) {
  files_["/music/one.wav"] = {true, true, 3725000};
  TFormVombrel& w = Open({"/music/one.wav"}, false);
  EXPECT_EQ(w.Playlist().Entries, StringList{"/music/one.wav"});
  EXPECT_TRUE(w.AutoplayPending());
  w.ProcessCommandLine();  // replaces the list once more, now with the autosave
  EXPECT_EQ(Autosave(), "/music/one.wav\r\n");
  EXPECT_EQ(w.PannelloTitolo->Caption(), "one.wav");
  w.show();
  QCoreApplication::processEvents();
  ASSERT_NE(engine_, nullptr);
  EXPECT_EQ(engine_->Count("Open /music/one.wav"), 1);
  EXPECT_EQ(engine_->Count("Play"), 1);
  EXPECT_FALSE(w.AutoplayPending());
  EXPECT_EQ(w.Durata->Caption(), "1.02.05");
  w.FormActivate();  // a later activation plays nothing more
  EXPECT_EQ(engine_->Count("Play"), 1);
}

TEST_F(MainWindow, TransportCommands) {
  files_ = {{"/a.wav", {}}, {"/b.wav", {}}, {"/c.wav", {}}};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/a.wav", "/b.wav", "/c.wav"};
  w.ButtonPlayClick();
  EXPECT_EQ(engine_->calls, (std::vector<std::string>{"Open /a.wav", "Play"}));
  w.ButtonPlayClick();  // restarts the current entry: stop, reopen
  EXPECT_EQ(engine_->calls.back(), "Play");
  EXPECT_EQ(engine_->Count("Stop"), 1);
  EXPECT_EQ(engine_->Count("Open /a.wav"), 2);
  w.ButtonNextClick();
  EXPECT_EQ(w.Playlist().CurrentIndex, 1);
  EXPECT_EQ(engine_->calls[engine_->calls.size() - 2], "Open /b.wav");
  w.ButtonPrevClick();
  w.ButtonPrevClick();
  EXPECT_EQ(w.Playlist().CurrentIndex, 2);
  EXPECT_EQ(w.PannelloTitolo->Caption(), "c.wav");
  w.ButtonStopClick();
  EXPECT_TRUE(w.Playlist().StopRequested);
  EXPECT_EQ(engine_->calls.back(), "Stop");
  EXPECT_EQ(w.PannelloTitolo->Caption(), "c.wav");  // the title stays
}

TEST_F(MainWindow, PauseToggleFollowsItsOwnFlag) {
  TFormVombrel& w = Open();
  w.ButtonPauseClick();  // while stopped: Paused all the same
  EXPECT_TRUE(w.Paused());
  w.ButtonPauseClick();
  EXPECT_FALSE(w.Paused());
  EXPECT_EQ(engine_->calls, (std::vector<std::string>{"Pause", "Resume"}));
  engine_->throwing.insert("Pause");
  w.ButtonPauseClick();  // the engine's failure leaves the flag as it was
  EXPECT_FALSE(w.Paused());
  engine_->throwing.insert("Stop");
  w.ButtonStopClick();  // ignored
  EXPECT_TRUE(w.Playlist().StopRequested);
}

TEST_F(MainWindow, FailedEntriesAreSkipped) {
  files_ = {{"/good.wav", {}}};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/missing.wav", "/dir/", "/good.wav"};
  w.ButtonPlayClick();
  EXPECT_EQ(engine_->calls, (std::vector<std::string>{"Open /missing.wav", "Open /dir/", "Open /good.wav", "Play"}));
  EXPECT_EQ(w.Playlist().CurrentIndex, 2);
  // Every entry unplayable: Count attempts, silently.
  w.Playlist().Entries = {"/x", "/y"};
  w.Playlist().CurrentIndex = 0;
  engine_->calls.clear();
  w.ButtonPlayClick();
  EXPECT_EQ(engine_->Count("Play"), 0);
  EXPECT_EQ(engine_->calls.size(), 3u);  // one Stop of the playing track, two attempts
}

TEST_F(MainWindow, TimerShowsElapsedTimeOnlyWhilePlayingOrPaused) {
  files_["/a.wav"] = {true, true, 200000};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/a.wav"};
  w.PlayerTimerTimer();
  EXPECT_EQ(w.Tempo->Caption(), "-.--.--");
  w.ButtonPlayClick();
  engine_->position = 61000;
  w.PlayerTimerTimer();
  EXPECT_EQ(w.Tempo->Caption(), "0.01.01");
  EXPECT_EQ(w.Posizione->Position(), 30);
  EXPECT_EQ(w.LastTimerPosition(), 30);
  engine_->mode = PlayerMode::Paused;
  engine_->position = 100000;
  w.PlayerTimerTimer();
  EXPECT_EQ(w.Posizione->Position(), 50);
  engine_->throwing.insert("GetPosition");
  w.PlayerTimerTimer();
  EXPECT_EQ(w.Tempo->Caption(), "-.--.--");
  EXPECT_EQ(w.Posizione->Position(), 0);
  engine_->throwing.clear();
  w.ButtonStopClick();
  w.PlayerTimerTimer();
  EXPECT_EQ(w.Tempo->Caption(), "-.--.--");
  EXPECT_EQ(w.LastTimerPosition(), 0);
}

// A stream whose length the engine learns only after it started: the total time shows the
// length once it is known, and so does the tray tooltip.
TEST_F(MainWindow, TotalTimeFollowsALengthLearntWhilePlaying) {
  files_["/stream.aac"] = {true, true, 0};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/stream.aac"};
  w.ButtonPlayClick();
  EXPECT_EQ(w.Durata->Caption(), "0.00.00");
  w.PlayerTimerTimer();
  EXPECT_EQ(w.Durata->Caption(), "0.00.00");
  engine_->length = 3725000;
  engine_->position = 1000;
  w.PlayerTimerTimer();
  EXPECT_EQ(w.Durata->Caption(), "1.02.05");
  EXPECT_EQ(w.TrayTooltip(), "stream.aac (1.02.05)");
  engine_->length = 5000;  // a known length is not replaced by later estimates
  w.PlayerTimerTimer();
  EXPECT_EQ(w.Durata->Caption(), "1.02.05");
}

TEST_F(MainWindow, SeekOnlyWhileActiveAndAwayFromTheTimersPosition) {
  files_["/a.wav"] = {true, true, 200000};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/a.wav"};
  w.SeekToPercent(40);  // nothing open
  w.ButtonPlayClick();
  w.ButtonStopClick();
  w.SeekToPercent(40);  // stopped
  EXPECT_EQ(engine_->Count("SetPosition 80000"), 0);
  w.ButtonPlayClick();
  engine_->position = 20000;
  w.PlayerTimerTimer();  // bar at 10
  w.SeekToPercent(10);
  EXPECT_EQ(engine_->calls.back(), "Play");
  w.SeekToPercent(40);
  EXPECT_EQ(engine_->calls.back(), "SetPosition " + std::to_string(SeekTarget(200000, 40)));
  EXPECT_EQ(w.Posizione->Position(), 10);  // the next tick moves the bar
}

TEST_F(MainWindow, Volume) {
  TFormVombrel& w = Open();
  EXPECT_EQ(w.Volume->Position(), 65535);
  const struct {
    const char* caption;
    int32_t value;
  } items[] = {{"80%", 52427}, {"60%", 39320}, {"40%", 26213}, {"20%", 13106}, {"0%", 0}, {"100%", 65535}};
  for (const auto& item : items) {
    w.VolumeItemClick(item.caption);
    EXPECT_EQ(deviceVolume_, item.value) << item.caption;
    EXPECT_EQ(w.Volume->Position(), item.value) << item.caption;
  }
  // Every item of the volume menu reaches the same handler.
  QMenu* volumeMenu = w.findChild<QMenu*>("VolumeMenu");
  ASSERT_NE(volumeMenu, nullptr);
  ASSERT_EQ(volumeMenu->actions().size(), 6);
  volumeMenu->actions()[1]->trigger();
  EXPECT_EQ(deviceVolume_, 52427);

  deviceVolume_ = 62000;
  w.SyncVolumeBar();
  volumeWrites_.clear();
  w.VolumeUp(kWheelVolumeStep);
  EXPECT_EQ(volumeWrites_, std::vector<int32_t>{65535});
  EXPECT_EQ(w.Volume->Position(), 62000);  // the bar follows at the next sync
  w.SyncVolumeBar();
  w.VolumeUp(kWheelVolumeStep);
  EXPECT_EQ(volumeWrites_.size(), 1u);  // at the top nothing happens
  deviceVolume_ = 0;
  w.SyncVolumeBar();
  w.VolumeDown(kWheelVolumeStep);
  EXPECT_EQ(volumeWrites_.size(), 1u);
  // The volume bar's own moves set the device.
  emit w.Volume->Scroll(static_cast<int>(TScrollCode::Track), 1234);
  EXPECT_EQ(deviceVolume_, 1234);
}

TEST_F(MainWindow, TagPanelAndTitleForEachFormat) {
  const Media& media = Media::Get();
  for (const std::string* path : {&media.mp3, &media.ogg, &media.flac, &media.wma, &media.wav}) {
    files_[*path] = {true, true, 2000};
  }
  TFormVombrel& w = Open();
  w.Playlist().Entries = {media.mp3, media.ogg, media.flac, media.wma, media.wav};
  for (int i = 0; i < w.Playlist().Count(); ++i) {
    const std::string path = w.Playlist().Entry(i);
    SCOPED_TRACE(path);
    w.Playlist().CurrentIndex = i;
    const std::string extensionBefore = w.LabelExtension->Caption().toStdString();
    ASSERT_TRUE(w.TryPlayCurrent());
    const TrackInfo info = ReadTrackInfo(path);
    EXPECT_EQ(w.TagTitolo->text().toStdString(), info.Tags.TagTitolo);
    EXPECT_EQ(w.TagArtista->text().toStdString(), info.Tags.TagArtista);
    EXPECT_EQ(w.TagAlbum->text().toStdString(), info.Tags.TagAlbum);
    EXPECT_EQ(w.TagAnno->text().toStdString(), info.Tags.TagAnno);
    EXPECT_EQ(w.TagTraccia->text().toStdString(), info.Tags.TagTraccia);
    EXPECT_EQ(w.TagCommento->text().toStdString(), info.Tags.TagCommento);
    EXPECT_EQ(w.TagGenere->text().toStdString(), info.Tags.TagGenere);
    EXPECT_EQ(w.LabelBitRate->Caption().toStdString(), info.LabelBitRate);
    EXPECT_EQ(w.LabelFrequency->Caption().toStdString(), info.LabelFrequency);
    EXPECT_EQ(w.LabelExtension->Caption().toStdString(), info.LabelExtension.value_or(extensionBefore));
    EXPECT_EQ(w.Durata->Caption().toStdString(), FormatTime(info.LengthMs.value_or(2000)));
    EXPECT_EQ(w.PannelloTitolo->Caption().toStdString(), w.Playlist().DisplayName(path));
  }
  // Absolute values the reader and the window must agree on, one per format.
  w.Playlist().CurrentIndex = 0;
  ASSERT_TRUE(w.TryPlayCurrent());
  EXPECT_EQ(w.PannelloTitolo->Caption(), "Sine Song");
  EXPECT_EQ(w.TagArtista->text(), "Test Artist");
  EXPECT_EQ(w.LabelExtension->Caption(), "(mpeg layer III)");
  EXPECT_EQ(w.LabelFrequency->Caption(), "44100 kHz");
  EXPECT_EQ(w.TrayTooltip(), "Test Artist - Sine Song (" + w.Durata->Caption() + ")");
  w.Playlist().CurrentIndex = 1;
  ASSERT_TRUE(w.TryPlayCurrent());
  EXPECT_EQ(w.LabelExtension->Caption(), "( .ogg file )");
  EXPECT_EQ(w.TagAnno->text(), "");
  w.Playlist().CurrentIndex = 4;
  ASSERT_TRUE(w.TryPlayCurrent());
  EXPECT_EQ(w.LabelBitRate->Caption(), "0 kBit/s");
  EXPECT_EQ(w.LabelFrequency->Caption(), "0 kHz");
  EXPECT_EQ(w.LabelExtension->Caption(), "( .ogg file )");  // left as it was
  EXPECT_EQ(w.Durata->Caption(), "0.00.02");                // from the engine
  EXPECT_EQ(w.TrayTooltip(), "tone.wav (0.00.02)");
}

TEST_F(MainWindow, ReaderFailureSkipsTheEntry) {
  const fs::path shortApe = root_ / "short.ape";
  std::ofstream(shortApe) << "MAC ";
  files_[shortApe.string()] = {};
  files_["/b.wav"] = {};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {shortApe.string(), "/b.wav"};
  w.ButtonPlayClick();
  EXPECT_EQ(w.Playlist().CurrentIndex, 1);
  EXPECT_EQ(engine_->Count("Play"), 1);
}

TEST_F(MainWindow, SaveTags) {
  const Media& media = Media::Get();
  const fs::path mp3 = root_ / "edit.mp3";
  const fs::path ogg = root_ / "edit.ogg";
  fs::copy_file(media.mp3Untagged, mp3);
  fs::copy_file(media.ogg, ogg);
  files_[mp3.string()] = {};
  files_[ogg.string()] = {};
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  TFormVombrel& w = Open();
  w.Playlist().Entries = {mp3.string(), ogg.string()};
  w.ButtonPlayClick();
  w.TagTitolo->setText("A title that is longer than thirty characters");
  w.TagArtista->setText("Someone");
  w.TagTraccia->setText("3");
  w.TagGenere->setText("rock");
  w.BtnSaveTagClick();
  EXPECT_TRUE(reporter.messages.empty());
  Tmp3Tag tag;
  tag.ReadFromFile(mp3.string());
  EXPECT_TRUE(tag.TagPresent());
  EXPECT_EQ(tag.Title(), "A title that is longer than th");
  EXPECT_EQ(tag.Artist(), "Someone");
  EXPECT_EQ(tag.Track(), 3u);
  EXPECT_EQ(tag.Genre(), "Rock");
  EXPECT_EQ(engine_->Count("Close"), 1);
  EXPECT_EQ(engine_->Count("Open " + mp3.string()), 2);  // plays again from its start
  EXPECT_EQ(w.TagTitolo->text(), "A title that is longer than th");

  // A track number that is not a number: the error box, the file unchanged, playback
  // restarts all the same.
  const std::string before = ReadAll(mp3);
  w.TagTraccia->setText("");
  w.BtnSaveTagClick();
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, "The track must be a number");  // English is the default language
  EXPECT_EQ(reporter.messages[0].caption, "Format error");
  EXPECT_EQ(ReadAll(mp3), before);
  EXPECT_EQ(engine_->Count("Open " + mp3.string()), 3);

  // An Ogg file: nothing written, closed and played again.
  w.Playlist().CurrentIndex = 1;
  w.ButtonPlayClick();
  const std::string oggBefore = ReadAll(ogg);
  w.BtnSaveTagClick();
  EXPECT_EQ(ReadAll(ogg), oggBefore);
  EXPECT_EQ(engine_->Count("Open " + ogg.string()), 2);
}

TEST_F(MainWindow, AddingTracks) {
  files_ = {{"/a.wav", {}}, {"/b.wav", {}}, {"/list.m3u", {}}};
  const fs::path list = root_ / "list.m3u";
  std::ofstream(list, std::ios::binary) << "/b.wav\r\n/a.wav\r\n";
  TFormVombrel& w = Open();
  w.SetFileChooserForTesting([] { return StringList{"/x.wav", "/y.ogg"}; });
  w.PopupAddClick();
  EXPECT_EQ(w.Playlist().Entries, (StringList{"/x.wav", "/y.ogg"}));
  EXPECT_EQ(Autosave(), "/x.wav\r\n/y.ogg\r\n");
  // Dropped files are appended; a dropped playlist is an entry; nothing starts.
  w.DropFiles({"/a.wav", list.string(), "/" + std::string(4000, 'n')});
  EXPECT_EQ(w.Playlist().Count(), 5);
  EXPECT_EQ(w.Playlist().Entry(3), list.string());
  EXPECT_EQ(engine_->Count("Play"), 0);
  // The enqueue command of the shell: a playlist replaces the list, no playback.
  w.ShellCmdCmdCustom("Enqueue in Vombrel", list.string(), "");
  EXPECT_EQ(w.Playlist().Entries, (StringList{"/b.wav", "/a.wav"}));
  w.ShellCmdCmdCustom("Enqueue in Vombrel", "/x.wav", "");
  EXPECT_EQ(w.Playlist().Count(), 3);
  EXPECT_EQ(engine_->Count("Play"), 0);
  // The open command: the file alone, played.
  w.Playlist().CurrentIndex = 2;
  w.ShellCmdCmdOpenFile("/a.wav", "");
  EXPECT_EQ(w.Playlist().Entries, StringList{"/a.wav"});
  EXPECT_EQ(w.Playlist().CurrentIndex, 0);
  EXPECT_EQ(engine_->calls.back(), "Play");
}

// A drop as the window system delivers it: local files are appended in order, what is
// not a local file is left out, and the current track goes on.
TEST_F(MainWindow, DroppedFilesAreAppended) {
  files_ = {{"/a.wav", {}}};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/a.wav"};
  w.ButtonPlayClick();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/x.wav"), QUrl::fromLocalFile("/dir with blank/y.ogg"),
                QUrl("http://host/remote.mp3"), QUrl::fromLocalFile("/list.m3u")});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &drop);
  EXPECT_EQ(w.Playlist().Entries, (StringList{"/a.wav", "/x.wav", "/dir with blank/y.ogg", "/list.m3u"}));
  EXPECT_EQ(Autosave(), "/a.wav\r\n/x.wav\r\n/dir with blank/y.ogg\r\n/list.m3u\r\n");
  EXPECT_EQ(engine_->Count("Play"), 1);
  EXPECT_EQ(w.Playlist().CurrentIndex, 0);
  // Text that is no file list is refused.
  QMimeData text;
  text.setText("hello");
  QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  refused.setAccepted(false);
  QApplication::sendEvent(&w, &refused);
  EXPECT_FALSE(refused.isAccepted());
}

TEST_F(MainWindow, OpenDialogFilterFromTheAssociations) {
  fs::create_directories(UserFolder());
  std::ofstream(UserFolder() / "Associations.cfg", std::ios::binary) << "ogg\r\nmp3\r\n\r\nMP3\r\n";
  TFormVombrel& w = Open();
  EXPECT_EQ(w.Associations(), (StringList{"mp3", "ogg"}));
  EXPECT_EQ(w.OpenFilter(),
            "Media files (*.mp3;*.ogg;)|*.MP3;*.OGG;|mp3 file (*.MP3)|*.MP3|ogg file (*.OGG)|*.OGG|"
            "All types (*.*)|*.*");
}

TEST_F(MainWindow, HandOverMessages) {
  files_ = {{"/new.wav", {}}, {"/a.wav", {}}};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/old1.wav", "/old2.wav", "/old3.wav"};
  w.Playlist().CurrentIndex = 2;
  w.AppEventsMessage(std::string(kAddTrackMessageName), "/new.wav");
  EXPECT_EQ(w.Playlist().Entries, StringList{"/new.wav"});
  EXPECT_EQ(engine_->calls.back(), "Play");
  EXPECT_FALSE(w.AutoplayPending());
  w.AppEventsMessage(std::string(kEnqueueTrackMessageName), "/a.wav");
  EXPECT_EQ(w.Playlist().Count(), 2);
  w.AppEventsMessage("VOMBREL_SOMETHING_ELSE", "/b.wav");
  EXPECT_EQ(w.Playlist().Count(), 2);
  // A playlist that does not exist: the list stays, playback starts at entry 0.
  engine_->calls.clear();
  w.AppEventsMessage(std::string(kOpenPlaylistMessageName), (root_ / "none.vpl").string());
  EXPECT_EQ(w.Playlist().Count(), 2);
  EXPECT_EQ(engine_->calls.back(), "Play");
  EXPECT_EQ(engine_->Count("Open /new.wav"), 1);
}

// The autosave cannot be written (a folder stands in its place): the handed-over track
// plays all the same and the write error is shown once.
TEST_F(MainWindow, HandOverPlaysWhenTheAutosaveCannotBeWritten) {
  files_ = {{"/new.wav", {}}};
  TFormVombrel& w = Open();
  fs::create_directories(UserFolder() / "Playlist.vpl");
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  w.Playlist().Entries = {"/old1.wav", "/old2.wav"};
  w.Playlist().CurrentIndex = 1;
  w.AppEventsMessage(std::string(kAddTrackMessageName), "/new.wav");
  EXPECT_EQ(w.Playlist().Entries, StringList{"/new.wav"});
  EXPECT_EQ(engine_->Count("Open /new.wav"), 1);
  EXPECT_EQ(engine_->calls.back(), "Play");
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_NE(reporter.messages[0].text.find("Playlist.vpl"), std::string::npos) << reporter.messages[0].text;
}

TEST_F(MainWindow, TrackEndAdvancesOnlyAtTheLength) {
  files_ = {{"/a.wav", {true, true, 1000}}, {"/b.wav", {true, true, 1000}}};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/a.wav", "/b.wav"};
  w.ButtonPlayClick();
  engine_->position = 500;
  engine_->notify(engine_);
  EXPECT_EQ(w.Playlist().CurrentIndex, 0);
  engine_->position = 1000;
  engine_->notify(engine_);
  EXPECT_EQ(w.Playlist().CurrentIndex, 1);
  EXPECT_EQ(engine_->calls.back(), "Play");
  // A notification the engine cannot answer (no file open): nothing starts, nothing is
  // thrown at the user.
  engine_->throwing = {"GetPosition", "GetLength"};
  engine_->calls.clear();
  EXPECT_NO_THROW(engine_->notify(engine_));
  EXPECT_TRUE(engine_->calls.empty());
  EXPECT_EQ(w.Playlist().CurrentIndex, 1);
}

TEST_F(MainWindow, TagPanelFoldsAndOpens) {
  TFormVombrel& w = Open();
  EXPECT_FALSE(w.PannelloTags->isVisible());
  EXPECT_EQ(w.height(), mainlayout::kHeightWithoutTags);
  EXPECT_EQ(w.ButtonPlay->geometry().translated(w.PannelloScorrimento->pos()),
            mainlayout::ButtonRect(mainlayout::RowButton::Play, false));
  w.ToggleTagPanel();
  EXPECT_TRUE(w.PannelloTags->isVisible());
  EXPECT_EQ(w.height(), mainlayout::kHeightWithTags);
  EXPECT_EQ(w.width(), mainlayout::kWidth);
  EXPECT_EQ(w.ButtonStop->geometry().translated(w.PannelloScorrimento->pos()),
            mainlayout::ButtonRect(mainlayout::RowButton::Stop, true));
}

TEST_F(MainWindow, VideoFilesShowTheVideoWindow) {
  files_ = {{"/clip.avi", {true, false, 5000}}, {"/a.wav", {}}};
  fs::create_directories(UserFolder() / "Config" / "Kelvatro");
  TFormVombrel& w = Open();
  TFormVideo video(&w);
  w.SetVideoWindow(&video);
  UserConfig().WriteBool("General", "HideOnVideo", true);
  w.LoadSettings();
  w.Playlist().Entries = {"/clip.avi", "/a.wav"};
  w.ButtonPlayClick();
  EXPECT_TRUE(video.isVisible());
  EXPECT_FALSE(w.isVisible());
  w.ButtonNextClick();  // an audio file: the video window closes, the main window returns
  EXPECT_FALSE(video.isVisible());
  EXPECT_TRUE(w.isVisible());
  // Full screen only for a picture.
  w.ToggleFullScreen();
  EXPECT_FALSE(w.FullScreenOn());
  engine_->hasVideo = true;
  w.ToggleFullScreen();
  EXPECT_TRUE(w.FullScreenOn());
  EXPECT_TRUE(w.FullScreenTimer->isActive());
  w.ToggleFullScreen();
  EXPECT_FALSE(w.FullScreenTimer->isActive());
}

TEST_F(MainWindow, CloseWritesRepeatAndShuffleAndEndsTheEngine) {
  TFormVombrel& w = Open();
  const std::string ini = UserConfig().IniFileName();
  w.Playlist().Repeat = false;
  w.Playlist().Shuffle = true;
  w.ButtonCloseClick();
  EXPECT_EQ(w.Engine(), nullptr);
  const std::string text = ReadAll(ini);
  EXPECT_NE(text.find("Repeat=False"), std::string::npos) << text;
  EXPECT_NE(text.find("Shuffle=True"), std::string::npos) << text;
  EXPECT_EQ(Translate("MSG_WRONGFORMATTRACK", "x"), "x");  // the message table is gone
}

// A settings file that cannot be written (a folder stands in its place): the close shows
// the store's error once and still finishes, the engine ended and the settings freed.
TEST_F(MainWindow, CloseReportsASettingsFileThatCannotBeWrittenOnceAndEnds) {
  TFormVombrel& w = Open();
  const std::string ini = UserConfig().IniFileName();
  fs::remove(ini);
  fs::create_directories(ini);
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  w.ButtonCloseClick();
  EXPECT_EQ(w.Engine(), nullptr);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, "Unable to write to " + ini);
  EXPECT_EQ(Translate("MSG_WRONGFORMATTRACK", "x"), "x");  // the sequence went on to its end
}

TEST_F(MainWindow, LanguageFilesTranslateTheWindow) {
  TFormVombrel& w = Open();  // English by default
  EXPECT_EQ(w.ButtonPlay->Hint(), "Play the current track");
  EXPECT_EQ(w.LabelTitolo->Caption(), "Title");
  EXPECT_EQ(w.TagTitolo->toolTip(), "Title of the track");
  window_.reset();
  FreeSharedConfig();
  fs::create_directories(UserFolder() / "Config" / "Kelvatro");
  std::ofstream(UserFolder() / "Config" / "Kelvatro" / "Vombrel.ini") << "[General]\r\nLanguage=Italiano\r\n";
  TFormVombrel& italian = Open();
  EXPECT_EQ(italian.ButtonPlay->Hint(), "Riproduce la traccia attuale");
  EXPECT_EQ(italian.LabelTitolo->Caption(), "Titolo");
  EXPECT_EQ(Translate("MSG_WRONGFORMATTRACK", ""), "La traccia deve essere numerica");
}

// A click on the scrolling title hides it; the title panel it lies on does not take the
// same click and show it again.
TEST_F(MainWindow, ScrollingTitleHidesOnItsOwnClick) {
  TFormVombrel& w = Open();
  auto click = [](QWidget* target) {
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
  };
  click(w.PannelloTitolo);
  ASSERT_TRUE(w.PannelloScorrevole->isVisible());
  click(w.PannelloScorrevole);
  EXPECT_FALSE(w.PannelloScorrevole->isVisible());
}

// The program's message boxes belong to the main window and stay on top of it.
TEST_F(MainWindow, MessageBoxesBelongToTheMainWindow) {
  TFormVombrel& w = Open();
  QtMessageReporter reporter;
  reporter.SetOwner(&w);
  QWidget* parent = nullptr;
  bool onTop = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    parent = box->parentWidget();
    onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    box->done(QMessageBox::Ok);
  });
  EXPECT_EQ(reporter.Show("Unable to write to /x", "Vombrel Audio Player", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(parent, &w);
  EXPECT_TRUE(onTop);
}

// The captions whose text is wider than the room their control paints it in.
std::vector<std::string> CutCaptions(const QWidget& window) {
  std::vector<std::string> cut;
  for (const FlatControl* control : window.findChildren<FlatControl*>()) {
    const QString caption = control->Caption();
    if (caption.isEmpty() || control->width() <= 0 || control->objectName() == "PannelloTitolo") continue;
    // Panels and buttons keep a margin on either side; labels paint up to their edges.
    const int margin = control->inherits("vombrel::PanelBase") || control->inherits("vombrel::FlatButtonBase") ? 6 : 0;
    if (control->fontMetrics().horizontalAdvance(caption) > control->width() - margin)
      cut.push_back(control->objectName().toStdString() + " \"" + caption.toStdString() + "\"");
  }
  return cut;
}

TEST_F(MainWindow, NoCaptionIsCutInEitherShippedLanguage) {
  for (const char* language : {"English", "Italiano"}) {
    window_.reset();
    FreeSharedConfig();
    fs::create_directories(UserFolder() / "Config" / "Kelvatro");
    std::ofstream(UserFolder() / "Config" / "Kelvatro" / "Vombrel.ini")
        << "[General]\r\nLanguage=" << language << "\r\n";
    TFormVombrel& w = Open();
    if (w.PannelloTags->isHidden()) w.ToggleTagPanel();
    EXPECT_EQ(CutCaptions(w), std::vector<std::string>{}) << language;
  }
}

// Every caption and hint the window shows has a line in both shipped language files.
TEST_F(MainWindow, LanguageFilesCoverEveryText) {
  TFormVombrel& w = Open();
  for (const char* language : {"English", "Italiano"}) {
    const auto file = LanguageFile::Load(LanguageFilePath(language));
    ASSERT_TRUE(file) << language;
    for (QObject* component : w.findChildren<QObject*>()) {
      const std::string name = component->objectName().toStdString();
      if (name.empty()) continue;
      for (const char* property : {"Caption", "Hint"}) {
        const QVariant value = component->property(property);
        if (!value.isValid() || value.toString().isEmpty()) continue;
        if (name == "Tempo" || name == "Durata" || name == "LabelBitRate" || name == "LabelFrequency" ||
            name == "LabelExtension" || name == "LabelFrazione" || (name == "PannelloTitolo" && property[0] == 'C'))
          continue;  // filled by playback, not translated
        EXPECT_TRUE(file->Find(LanguageFile::ComponentKey("FormVombrel", name, property)).has_value())
            << language << ": " << name << "." << property;
      }
    }
    for (const char* key : {"MSG_CANT_INIT_PLAYER", "TTL_ERRORE", "MSG_WRONGFORMATTRACK", "TTL_FORMATERROR",
                            "MSG_WRONGCOLOR", "MSG_RECBUSY", "LBL_NUMTRACCE"})
      EXPECT_FALSE(file->Text(std::string("*") + key, "").empty()) << language << ": " << key;
  }
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
