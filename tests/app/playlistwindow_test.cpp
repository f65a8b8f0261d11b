// The playlist window over the real main window with a scripted engine, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QtTest/QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "Privateconfighome.h"
#include "Scriptedengine.h"
#include "app/Playlist.h"
#include "app/VombrelMain.h"
#include "support/Configurazione.h"
#include "support/Supportlanguage.h"
#include "support/Supportmsg.h"

namespace fs = std::filesystem;

namespace vombrel {
namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

class PlaylistWindow : public ::testing::Test {
 protected:
  void SetUp() override { root_ = testing::MakePrivateConfigHome("playlist"); }
  void TearDown() override {
    main_.reset();
    FreeMessages();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // The main window, shown at (100, 50), with the given entries.
  TFormVombrel& Main(const StringList& entries = {}) {
    EngineFactory factory = [this](const std::string&, NotifyHandler notify) {
      auto engine = std::make_unique<testing::ScriptedEngine>(dispatcher_);
      engine->InitPlayer(nullptr, std::move(notify));
      engine->files = files_;
      engine_ = engine.get();
      return engine;
    };
    OutputVolume volume{[]() -> std::optional<int32_t> { return 65535; }, [](int32_t) {}};
    main_ = std::make_unique<TFormVombrel>(std::vector<std::string>{}, factory, volume);
    main_->show();
    main_->move(100, 50);
    QCoreApplication::processEvents();
    main_->Playlist().Entries = entries;
    return *main_;
  }

  TFormPlaylist& OpenList() {
    main_->ButtonPlaylistClick();
    QCoreApplication::processEvents();
    TFormPlaylist* window = main_->PlaylistWindow();
    EXPECT_NE(window, nullptr);
    return *window;
  }

  fs::path UserFolder() const { return root_ / "app_playlist_window_tests"; }
  std::string Autosave() const { return ReadAll(UserFolder() / "Playlist.vpl"); }
  // Empty files with the given names in the test folder; their paths.
  StringList Files(std::initializer_list<const char*> names) {
    StringList paths;
    for (const char* name : names) {
      paths.push_back((root_ / name).string());
      std::ofstream(paths.back()) << "";
    }
    return paths;
  }
  int PlaylistWindows() const { return static_cast<int>(main_->findChildren<TFormPlaylist*>().size()); }

  fs::path root_;
  testing::NullDispatcher dispatcher_;
  std::map<std::string, testing::ScriptedFile> files_;
  testing::ScriptedEngine* engine_ = nullptr;
  std::unique_ptr<TFormVombrel> main_;
};

TEST_F(PlaylistWindow, TheButtonOpensOneWindowOnly) {
  TFormVombrel& main = Main({"/a.wav"});
  EXPECT_TRUE(main.ButtonPlaylist->isEnabled());
  QTest::mouseClick(main.ButtonPlaylist, Qt::LeftButton);
  QCoreApplication::processEvents();
  TFormPlaylist* first = main.PlaylistWindow();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  main.ButtonPlaylistClick();
  QTest::mouseClick(main.ButtonPlaylist, Qt::LeftButton);
  EXPECT_EQ(main.PlaylistWindow(), first);
  EXPECT_EQ(PlaylistWindows(), 1);
  EXPECT_EQ(first->objectName(), "FormPlaylist");
  EXPECT_EQ(first->size(), QSize(252, 455));
  EXPECT_EQ(first->BarraTitolo->Caption(), "Vombrel - Playlist");
  // Closed, it is gone; the button makes a new one.
  first->BtnCloseClick();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(main.PlaylistWindow(), nullptr);
  EXPECT_EQ(PlaylistWindows(), 0);
  main.ButtonPlaylistClick();
  EXPECT_NE(main.PlaylistWindow(), nullptr);
}

TEST_F(PlaylistWindow, RowsFollowEveryChangeOfThePlaylist) {
  TFormVombrel& main = Main({"/music/a.wav", "/music/b.ogg"});
  TFormPlaylist& list = OpenList();
  const QString tracks = " " + Q(Translate("LBL_NUMTRACCE", "tracce"));
  EXPECT_EQ(list.PlaylistView->Items(), QStringList({"a.wav", "b.ogg"}));
  EXPECT_EQ(list.LblNumeroTracce->Caption(), "2" + tracks);
  list.PlaylistView->SetChecked(1, true);
  main.Playlist().AddFiles({"/music/c.flac"});
  EXPECT_EQ(list.PlaylistView->Items(), QStringList({"a.wav", "b.ogg", "c.flac"}));
  EXPECT_FALSE(list.PlaylistView->Checked(1)) << "a refresh clears every box";
  EXPECT_EQ(list.LblNumeroTracce->Caption(), "3" + tracks);
  main.Playlist().RemoveEntries({0});
  EXPECT_EQ(list.PlaylistView->Items(), QStringList({"b.ogg", "c.flac"}));
  const fs::path saved = root_ / "saved.vpl";
  std::ofstream(saved, std::ios::binary) << "/x/one.mp3\r\n";
  main.Playlist().LoadPlaylistFile(saved.string());
  EXPECT_EQ(list.PlaylistView->Items(), QStringList({"one.mp3"}));
  EXPECT_EQ(list.LblNumeroTracce->Caption(), "1" + tracks);
}

TEST_F(PlaylistWindow, TitlesAreReadOnlyForTheRowsShownAndOnce) {
  TFormVombrel& main = Main();
  const StringList paths = Files({"one.mp3"});
  int reads = 0;
  main.Playlist().SetTitleReader([&reads](const std::string&) {
    ++reads;
    return std::string("  Song  ");
  });
  main.Playlist().Entries.assign(100000, paths.front());
  TFormPlaylist& list = OpenList();
  list.PlaylistView->grab();  // paints the visible rows
  const int shown = list.PlaylistView->Rows()->TextsProduced();
  EXPECT_GT(shown, 0);
  EXPECT_LT(shown, 200) << "only the rows on the screen";
  EXPECT_EQ(reads, shown);
  EXPECT_EQ(list.PlaylistView->Rows()->Text(0), "Song");
  list.PlaylistView->grab();
  EXPECT_EQ(reads, shown) << "painted again from the cache";
  list.PlaylistView->scrollToBottom();
  list.PlaylistView->grab();
  EXPECT_TRUE(list.PlaylistView->Rows()->TextKnown(99999));
  EXPECT_FALSE(list.PlaylistView->Rows()->TextKnown(50000));
  EXPECT_EQ(list.PlaylistView->Count(), 100000);
  // Typing in the list reads no titles.
  const int before = reads;
  QTest::keyClicks(list.PlaylistView, "zq");
  EXPECT_EQ(reads, before);
}

TEST_F(PlaylistWindow, ATitleThatCannotBeReadShowsTheFileName) {
  TFormVombrel& main = Main();
  const StringList paths = Files({"broken.mp3"});
  main.Playlist().SetTitleReader([](const std::string&) -> std::string { throw std::runtime_error("unreadable"); });
  main.Playlist().Entries = paths;
  TFormPlaylist& list = OpenList();
  list.PlaylistView->grab();
  EXPECT_EQ(list.PlaylistView->Items(), QStringList({"broken.mp3"}));
}

TEST_F(PlaylistWindow, ThreeTickedRowsAreRemovedAndTheAutosaveWritten) {
  files_ = {{"/e3.wav", {}}};
  TFormVombrel& main = Main({"/e0.wav", "/e1.wav", "/e2.wav", "/e3.wav", "/e4.wav", "/e5.wav"});
  main.Playlist().CurrentIndex = 3;
  ASSERT_TRUE(main.TryPlayCurrent());
  const std::size_t callsBefore = engine_->calls.size();
  TFormPlaylist& list = OpenList();
  for (const int row : {0, 2, 5}) list.PlaylistView->SetChecked(row, true);
  list.BtnEliminaTracciaClick();
  EXPECT_EQ(main.Playlist().Entries, (StringList{"/e1.wav", "/e3.wav", "/e4.wav"}));
  EXPECT_EQ(Autosave(), "/e1.wav\r\n/e3.wav\r\n/e4.wav\r\n");
  EXPECT_EQ(list.PlaylistView->Items(), QStringList({"e1.wav", "e3.wav", "e4.wav"}));
  EXPECT_TRUE(list.PlaylistView->Rows()->CheckedRows().empty());
  EXPECT_EQ(main.Playlist().CurrentIndex, 3) << "the index is not adjusted";
  EXPECT_EQ(engine_->calls.size(), callsBefore) << "the playing track goes on";
  EXPECT_EQ(engine_->mode, PlayerMode::Playing);

  // The Delete key released in the list does the same.
  list.PlaylistView->SetChecked(1, true);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QApplication::sendEvent(list.PlaylistView, &press);
  EXPECT_EQ(main.Playlist().Count(), 3) << "the press does nothing";
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
  QApplication::sendEvent(list.PlaylistView, &release);
  EXPECT_EQ(main.Playlist().Entries, (StringList{"/e1.wav", "/e4.wav"}));
  EXPECT_EQ(Autosave(), "/e1.wav\r\n/e4.wav\r\n");
}

TEST_F(PlaylistWindow, ViewModeSwitchesBetweenTitlesAndFileNames) {
  TFormVombrel& main = Main();
  const StringList paths = Files({"first.mp3", "second.mp3"});
  main.Playlist().SetTitleReader([](const std::string& path) { return "Title of " + fs::path(path).stem().string(); });
  main.Playlist().Entries = paths;
  main.RefreshTitle();
  const QString title = main.PannelloTitolo->Caption();
  TFormPlaylist& list = OpenList();
  EXPECT_EQ(list.PlaylistView->Items(), QStringList({"Title of first", "Title of second"}));
  list.BtnViewModeClick();
  EXPECT_TRUE(main.Playlist().ShowFileNames);
  EXPECT_EQ(list.PlaylistView->Items(), QStringList({"first.mp3", "second.mp3"}));
  EXPECT_EQ(main.PannelloTitolo->Caption(), title) << "the main window's title is not refreshed";
  QTest::mouseClick(list.BtnViewMode, Qt::LeftButton);
  EXPECT_FALSE(main.Playlist().ShowFileNames);
  EXPECT_EQ(list.PlaylistView->Items(), QStringList({"Title of first", "Title of second"}));
}

TEST_F(PlaylistWindow, DoubleClickPlaysTheSelectedRowOutsideTheBands) {
  files_ = {{"/a.wav", {}}, {"/b.wav", {}}, {"/c.wav", {}}};
  TFormVombrel& main = Main({"/a.wav", "/b.wav", "/c.wav"});
  TFormPlaylist& list = OpenList();
  const int height = list.PlaylistView->height();
  list.PlaylistView->setCurrentIndex(list.PlaylistView->Rows()->index(2));
  struct Case {
    int y;
    bool plays;
  };
  for (const Case c : {Case{0, false}, Case{12, false}, Case{13, true}, Case{height - 13, true},
                       Case{height - 12, false}, Case{height, false}}) {
    main.Playlist().CurrentIndex = 0;
    engine_->calls.clear();
    list.PlaylistViewDblClick(c.y);
    EXPECT_EQ(main.Playlist().CurrentIndex, c.plays ? 2 : 0) << "y " << c.y;
    EXPECT_EQ(engine_->Count("Open /c.wav"), c.plays ? 1 : 0) << "y " << c.y;
  }
  // A real double click on the second row.
  const QRect second = list.PlaylistView->visualRect(list.PlaylistView->Rows()->index(1));
  QTest::mouseClick(list.PlaylistView->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
  QTest::mouseDClick(list.PlaylistView->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
  EXPECT_EQ(main.Playlist().CurrentIndex, 1);
  EXPECT_EQ(engine_->calls.back(), "Play");
  // No row selected: the index becomes -1 and nothing plays (one attempt, no retry).
  list.PlaylistView->clearSelection();
  engine_->calls.clear();
  list.PlaylistViewDblClick(height / 2);
  EXPECT_EQ(main.Playlist().CurrentIndex, -1);
  EXPECT_TRUE(engine_->calls.empty());
}

TEST_F(PlaylistWindow, DoubleClickOnAnEmptyListDoesNothing) {
  TFormVombrel& main = Main();
  TFormPlaylist& list = OpenList();
  main.Playlist().CurrentIndex = 0;
  list.PlaylistViewDblClick(list.PlaylistView->height() / 2);
  EXPECT_EQ(main.Playlist().CurrentIndex, 0);
  EXPECT_TRUE(engine_->calls.empty());
}

TEST_F(PlaylistWindow, RepeatAndShuffleButtons) {
  TFormVombrel& main = Main();
  main.Playlist().Repeat = true;
  main.Playlist().Shuffle = false;
  TFormPlaylist& list = OpenList();
  EXPECT_TRUE(list.BtnRepeat->Down());
  EXPECT_FALSE(list.BtnShuffle->Down());
  QTest::mouseClick(list.BtnRepeat, Qt::LeftButton);
  QTest::mouseClick(list.BtnShuffle, Qt::LeftButton);
  EXPECT_FALSE(main.Playlist().Repeat);
  EXPECT_TRUE(main.Playlist().Shuffle);
  main.Playlist().Repeat = true;
  list.SyncButtons();
  EXPECT_TRUE(list.BtnRepeat->Down());
}

TEST_F(PlaylistWindow, SnapsBelowAndReopensDockedAtTheSameOffset) {
  TFormVombrel& main = Main();
  TFormPlaylist* list = &OpenList();
  EXPECT_FALSE(list->Docked());
  EXPECT_TRUE(list->BtnMagnetic->Down()) << "the magnet is on from the start";
  const QRect frame = main.frameGeometry();
  list->BarraTitoloFormMove(frame.left() + 20, frame.bottom() + 1 + 9);
  EXPECT_TRUE(list->Docked());
  EXPECT_EQ(list->pos(), QPoint(frame.left() + 20, frame.bottom() + 1));
  EXPECT_EQ(list->LeftDelta(), 20);
  EXPECT_EQ(list->TopDelta(), frame.height());
  // The main window dragged: the docked window follows.
  main.move(150, 70);
  main.BarraTitoloFormMove(150, 70);
  EXPECT_EQ(list->pos(), QPoint(170, 70 + frame.height()));
  list->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(UserConfig().ReadBool("Playlist", "Docked", false));
  EXPECT_EQ(UserConfig().ReadInteger("Playlist", "LeftDelta", 0), 20);
  EXPECT_EQ(UserConfig().ReadInteger("Playlist", "TopDelta", 0), frame.height());

  list = &OpenList();
  EXPECT_TRUE(list->Docked());
  EXPECT_TRUE(list->BtnMagnetic->Down());
  EXPECT_EQ(list->pos(), QPoint(170, 70 + frame.height()));
}

TEST_F(PlaylistWindow, WithTheMagnetReleasedAnyDragUndocks) {
  TFormVombrel& main = Main();
  TFormPlaylist& list = OpenList();
  const QRect frame = main.frameGeometry();
  list.BarraTitoloFormMove(frame.right() + 1 + 5, frame.top());
  EXPECT_TRUE(list.Docked());
  EXPECT_EQ(list.pos(), QPoint(frame.right() + 1, frame.top()));
  QTest::mouseClick(list.BtnMagnetic, Qt::LeftButton);
  EXPECT_FALSE(list.BtnMagnetic->Down());
  EXPECT_FALSE(list.Docked());
  list.BarraTitoloFormMove(frame.right() + 1 + 5, frame.top());
  EXPECT_FALSE(list.Docked());
  EXPECT_EQ(list.pos(), QPoint(frame.right() + 1 + 5, frame.top()));
  main.BarraTitoloFormMove(0, 0);
  EXPECT_EQ(list.pos(), QPoint(frame.right() + 1 + 5, frame.top())) << "an undocked window stays";
  // Pressed again, the magnet snaps the window where it is.
  QTest::mouseClick(list.BtnMagnetic, Qt::LeftButton);
  EXPECT_TRUE(list.Docked());
  EXPECT_EQ(list.pos(), QPoint(frame.right() + 1, frame.top()));
}

TEST_F(PlaylistWindow, OffsetsOffEveryScreenStillShowTheWindow) {
  Main();
  UserConfig().WriteBool("Playlist", "Docked", true);
  UserConfig().WriteInteger("Playlist", "TopDelta", -900000);
  UserConfig().WriteInteger("Playlist", "LeftDelta", 2000000000);
  TFormPlaylist& list = OpenList();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(QRect(list.pos(), QSize(24, 16)))) << list.pos().x() << "," << list.pos().y();
}

TEST_F(PlaylistWindow, TheMainWindowClosesItFirst) {
  TFormVombrel& main = Main();
  TFormPlaylist& list = OpenList();
  list.BarraTitoloFormMove(main.frameGeometry().left(), main.frameGeometry().bottom() + 3);
  ASSERT_TRUE(list.Docked());
  const std::string settingsFile = UserConfig().IniFileName();
  main.close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(main.PlaylistWindow(), nullptr);
  const std::string settings = ReadAll(settingsFile);
  EXPECT_NE(settings.find("Docked=True"), std::string::npos) << settings;
}

TEST_F(PlaylistWindow, LoadAndSavePlaylists) {
  TFormVombrel& main = Main({"/a.mp3", "/b.mp3"});
  TFormPlaylist& list = OpenList();
  std::optional<ChosenPlaylistFile> choice;
  bool askedToSave = false;
  list.SetPlaylistChooserForTesting([&](bool save) {
    askedToSave = save;
    return choice;
  });
  choice = ChosenPlaylistFile{(root_ / "mine").string(), 1};
  list.BtnSalvaPlaylistClick();
  EXPECT_TRUE(askedToSave);
  EXPECT_EQ(ReadAll(root_ / "mine.VPL"), "/a.mp3\r\n/b.mp3\r\n");
  choice = ChosenPlaylistFile{(root_ / "other.m3u").string(), 1};
  list.BtnSalvaPlaylistClick();
  EXPECT_TRUE(fs::exists(root_ / "other.m3u"));
  choice = ChosenPlaylistFile{(root_ / "third").string(), 2};
  list.BtnSalvaPlaylistClick();
  EXPECT_TRUE(fs::exists(root_ / "third.M3U"));

  std::ofstream(root_ / "new.m3u", std::ios::binary) << "#EXTM3U\r\n/c.mp3\n";
  choice = ChosenPlaylistFile{(root_ / "new.m3u").string(), 2};
  list.BtnCaricaPlaylistClick();
  EXPECT_FALSE(askedToSave);
  EXPECT_EQ(main.Playlist().Entries, (StringList{"#EXTM3U", "/c.mp3"}));
  EXPECT_EQ(list.PlaylistView->Items(), QStringList({"#EXTM3U", "c.mp3"}));
  EXPECT_EQ(Autosave(), "#EXTM3U\r\n/c.mp3\r\n");

  // Cancelled dialogs, a vanished file and a folder change nothing.
  choice.reset();
  list.BtnCaricaPlaylistClick();
  list.BtnSalvaPlaylistClick();
  choice = ChosenPlaylistFile{(root_ / "gone.vpl").string(), 1};
  list.BtnCaricaPlaylistClick();
  fs::create_directories(root_ / "folder.vpl");
  choice = ChosenPlaylistFile{(root_ / "folder.vpl").string(), 1};
  list.BtnCaricaPlaylistClick();
  EXPECT_EQ(main.Playlist().Entries, (StringList{"#EXTM3U", "/c.mp3"}));
  EXPECT_EQ(Autosave(), "#EXTM3U\r\n/c.mp3\r\n");
  // A file that is no playlist at all: its bytes up to the first 0 byte are lines.
  std::ofstream(root_ / "noise.vpl", std::ios::binary) << std::string("\x01\xff\r\r\nzz\0tail", 10);
  choice = ChosenPlaylistFile{(root_ / "noise.vpl").string(), 1};
  list.BtnCaricaPlaylistClick();
  EXPECT_EQ(main.Playlist().Count(), 3);
  EXPECT_EQ(list.PlaylistView->Count(), 3);
}

TEST_F(PlaylistWindow, DroppedFilesAndTheAddButtonAppend) {
  TFormVombrel& main = Main({"/a.wav"});
  TFormPlaylist& list = OpenList();
  const std::string longPath = "/" + std::string(4000, 'n') + ".mp3";
  list.DropFiles({root_.string(), longPath, "/gone/x.vpl"});
  EXPECT_EQ(main.Playlist().Entries, (StringList{"/a.wav", root_.string(), longPath, "/gone/x.vpl"}));
  EXPECT_EQ(list.PlaylistView->Count(), 4);
  EXPECT_EQ(list.PlaylistView->Rows()->Text(2), Q(std::string(4000, 'n') + ".mp3"));
  main.SetFileChooserForTesting([] { return StringList{"/y.ogg"}; });
  QTest::mouseClick(list.BtnAggiungiTraccia, Qt::LeftButton);
  EXPECT_EQ(main.Playlist().Entries.back(), "/y.ogg");
  EXPECT_EQ(list.PlaylistView->Count(), 5);
  EXPECT_EQ(ReadAll(UserFolder() / "Playlist.vpl").substr(0, 8), "/a.wav\r\n");
}

TEST_F(PlaylistWindow, ResizingKeepsTheTitleButtonsAtTheRight) {
  Main();
  TFormPlaylist& list = OpenList();
  list.resize(400, 500);
  EXPECT_EQ(list.BtnClose->x(), 400 - 17);
  EXPECT_EQ(list.BtnMagnetic->x(), list.BtnClose->x() - list.BtnMagnetic->width() - 3);
  EXPECT_EQ(list.PlaylistView->width(), 400 - 6);
  // Dragging the resizer grows the window by the cursor's movement.
  const QPoint start = list.PnlResizer->mapToGlobal(QPoint(2, 2));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(start), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(list.PnlResizer, &press);
  QMouseEvent move(QEvent::MouseMove, QPointF(32, 12), QPointF(start + QPoint(30, 10)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(list.PnlResizer, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(32, 12), QPointF(start + QPoint(30, 10)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(list.PnlResizer, &release);
  EXPECT_EQ(list.size(), QSize(430, 510));
  EXPECT_EQ(list.PnlResizer->geometry().bottomRight(),
            QPoint(list.PannelloInterno->width() - 1, list.PannelloInterno->height() - 1));
}

TEST_F(PlaylistWindow, LanguageKeepsTheCountAndCoversEveryText) {
  UserConfig();  // the store exists before the language is chosen
  TFormVombrel& main = Main({"/a.wav", "/b.wav"});
  SetCurrentLanguage("Italiano");
  TFormPlaylist& list = OpenList();
  EXPECT_EQ(list.LblNumeroTracce->Caption(), "2 tracce");
  EXPECT_EQ(list.BtnRepeat->Hint(), "Abilita/disabilita la ripetizione delle tracce nella playlist");
  for (const char* language : {"English", "Italiano"}) {
    const auto file = LanguageFile::Load(LanguageFilePath(language));
    ASSERT_TRUE(file) << language;
    EXPECT_TRUE(file->Find(LanguageFile::ComponentKey("FormPlaylist", "FormPlaylist", "Caption")).has_value());
    for (QObject* component : list.findChildren<QObject*>()) {
      const std::string name = component->objectName().toStdString();
      if (name.empty()) continue;
      for (const char* property : {"Caption", "Hint"}) {
        const QVariant value = component->property(property);
        if (!value.isValid() || value.toString().isEmpty()) continue;
        EXPECT_TRUE(file->Find(LanguageFile::ComponentKey("FormPlaylist", name, property)).has_value())
            << language << ": " << name << "." << property;
      }
    }
  }
  (void)main;
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
