// The tray icon's rules as tables, and the main window's tray handlers, menus and hiding
// with a scripted engine and a scripted output volume, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <filesystem>
#include <fstream>
#include <memory>

#include "Scriptedengine.h"
#include "app/Traylogic.h"
#include "app/VombrelMain.h"
#include "platform/Trayicon.h"
#include "support/Configurazione.h"
#include "support/Supportaspetto.h"
#include "support/Supportlanguage.h"
#include "toolkit/Colorscheme.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Menudrawing.h"
#include "toolkit/Menuitems.h"

namespace fs = std::filesystem;

namespace vombrel {
namespace {

TEST(TrayQuarters, PictureByPosition) {
  const struct {
    int x, y, width, height;
    bool playing;
    int picture;
  } cases[] = {
      {0, 0, 16, 16, false, kTrayStop},   {7, 7, 16, 16, false, kTrayStop},   {8, 0, 16, 16, false, kTrayPlay},
      {15, 7, 16, 16, true, kTrayPause},  {0, 8, 16, 16, false, kTrayPrev},   {7, 15, 16, 16, true, kTrayPrev},
      {8, 8, 16, 16, false, kTrayNext},   {15, 15, 16, 16, true, kTrayNext},  {10, 10, 22, 22, false, kTrayStop},
      {11, 10, 22, 22, false, kTrayPlay}, {11, 11, 22, 22, false, kTrayNext}, {16 + 3, 2, 16, 16, false, kTrayStop},
      {-1, -1, 16, 16, false, kTrayNext}, {5, 5, 0, 16, false, kTrayNormal},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TrayQuarterPicture(c.x, c.y, c.width, c.height, c.playing), c.picture)
        << c.x << "," << c.y << " in " << c.width << "x" << c.height;
}

TEST(TrayQuarters, PicturesAreDrawnAtTraySizes) {
  for (int index : {kTrayNormal, kTrayStop, kTrayPlay, kTrayPrev, kTrayNext, kTrayPause}) {
    const QIcon icon = TrayPictureIcon(index);
    for (int size : {16, 22, 24, 32, 48}) EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size));
  }
  // The command pictures differ from one another and from the normal one.
  const QImage normal = TrayPictureIcon(kTrayNormal).pixmap(22, 22).toImage();
  for (int index : {kTrayStop, kTrayPlay, kTrayPrev, kTrayNext, kTrayPause})
    EXPECT_NE(TrayPictureIcon(index).pixmap(22, 22).toImage(), normal) << index;
  EXPECT_NE(TrayPictureIcon(kTrayPlay).pixmap(22, 22).toImage(), TrayPictureIcon(kTrayPause).pixmap(22, 22).toImage());
}

TEST(TrayVolumeMark, Thresholds) {
  const struct {
    int32_t position;
    const char* caption;
  } cases[] = {{65535, "100%"}, {58982, "100%"}, {58981, "80%"}, {52427, "80%"}, {45875, "80%"},
               {45874, "60%"},  {32768, "60%"},  {32767, "40%"}, {19661, "40%"}, {19660, "20%"},
               {6554, "20%"},   {6553, "0%"},    {0, "0%"}};
  for (const auto& c : cases) EXPECT_STREQ(VolumeMarkCaption(c.position), c.caption) << c.position;
}

TEST(TrayMenuCaption, ShowsTextLiterally) {
  EXPECT_EQ(LiteralMenuCaption("Rock & Roll"), "Rock && Roll");
  EXPECT_EQ(LiteralMenuCaption("a\tb"), "a b");
  EXPECT_EQ(LiteralMenuCaption(""), "");
}

// An owner-drawn menu as painted, with the scheme file and without it.
class MenuDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-menu-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    saved_ = WorkingColors();
    WorkingColors().fill(0);
    WorkingColors()[crButtonBorder] = MakeRgb(10, 20, 30);
    WorkingColors()[crButtonFace] = MakeRgb(200, 210, 220);
    WorkingColors()[crButtonFocus] = MakeRgb(250, 0, 0);
    WorkingColors()[crFace] = MakeRgb(0, 90, 0);
    WorkingColors()[crTextFont] = MakeRgb(0, 0, 250);
  }
  void TearDown() override {
    WorkingColors() = saved_;
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  // The menu painted offscreen, and the rectangle of its item.
  QImage Paint(QRect* itemRect) {
    QMenu menu;
    auto* item = new TMenuItem(&menu);
    item->setText("Play");
    item->SetTag(0);
    menu.addAction(item);
    InstallMenuDrawing(&menu);
    menu.ensurePolished();
    menu.adjustSize();
    *itemRect = menu.actionGeometry(item);
    return menu.grab().toImage();
  }
  fs::path root_;
  SchemeColors saved_{};
};

TEST_F(MenuDrawing, WithoutSchemeFileItemsUseSystemColoursAndTheMarginTheWorkingOnes) {
  QRect item;
  const QImage image = Paint(&item);
  EXPECT_GE(item.left(), kMenuMargin);
  EXPECT_EQ(QColor(image.pixel(0, item.center().y())), QColor(10, 20, 30));  // the band's edge
  EXPECT_EQ(QColor(image.pixel(5, 1)), QColor(200, 210, 220));               // the gradient's top
  EXPECT_EQ(image.pixel(item.right() - 3, item.center().y()), QApplication::palette().color(QPalette::Button).rgb());
  EXPECT_EQ(image.pixel(item.right() - 1, item.center().y()), QApplication::palette().color(QPalette::Dark).rgb());
  EXPECT_EQ(QColor(image.pixel(5, image.height() - 2)), QColor(0, 90, 0));  // the gradient's bottom
}

TEST_F(MenuDrawing, WithSchemeFileItemsUseTheScheme) {
  fs::create_directories(fs::path(CurrentSchemePath()).parent_path());
  std::ofstream(CurrentSchemePath()) << "Face=0\r\n";
  QRect item;
  const QImage image = Paint(&item);
  EXPECT_EQ(QColor(image.pixel(item.right() - 3, item.center().y())), QColor(200, 210, 220));
  EXPECT_EQ(QColor(image.pixel(item.right() - 1, item.center().y())), QColor(10, 20, 30));
  EXPECT_EQ(image.pixel(item.right(), item.center().y()), QApplication::palette().color(QPalette::Button).rgb());
}

TEST(MenuImages, EveryTagHasATwelvePixelImage) {
  for (int index = 0; index <= 13; ++index) {
    const QPixmap image = MenuImage(index);
    EXPECT_EQ(image.size(), QSize(12, 12)) << index;
  }
  EXPECT_TRUE(MenuImage(-1).isNull());
}

class Tray : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-tray-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  }
  void TearDown() override {
    window_.reset();
    FreeMessages();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  TFormVombrel& Open() {
    EngineFactory factory = [this](const std::string&, NotifyHandler notify) {
      auto engine = std::make_unique<testing::ScriptedEngine>(dispatcher_);
      engine->InitPlayer(nullptr, std::move(notify));
      engine->files = files_;
      engine_ = engine.get();
      return engine;
    };
    OutputVolume volume{[this]() -> std::optional<int32_t> { return deviceVolume_; },
                        [this](int32_t v) { deviceVolume_ = v; }};
    window_ = std::make_unique<TFormVombrel>(std::vector<std::string>{}, factory, volume);
    window_->show();
    QCoreApplication::processEvents();
    return *window_;
  }

  // Names of a menu's items in order; "-" for a separator, "?" for an unnamed item.
  static std::vector<std::string> Names(QMenu* menu) {
    std::vector<std::string> names;
    for (QAction* a : menu->actions())
      names.push_back(a->isSeparator() ? "-" : a->objectName().isEmpty() ? "?" : a->objectName().toStdString());
    return names;
  }
  static int TagOf(QAction* action) { return qobject_cast<TMenuItem*>(action)->Tag(); }
  QAction* Item(const char* name) { return window_->findChild<QAction*>(name); }

  // Hovers the icon's quarter (x, y in a 16-pixel icon) and releases the left button.
  void ClickQuarter(int x, int y) {
    window_->CoolTrayIconMouseMove(x, y, 16, 16);
    window_->CoolTrayIconMouseUp(Qt::LeftButton, false);
  }

  fs::path root_;
  testing::NullDispatcher dispatcher_;
  std::map<std::string, testing::ScriptedFile> files_;
  testing::ScriptedEngine* engine_ = nullptr;
  int32_t deviceVolume_ = 65535;
  std::unique_ptr<TFormVombrel> window_;
};

TEST_F(Tray, MenusHoldEveryItemInOrder) {
  TFormVombrel& w = Open();
  EXPECT_EQ(Names(w.ConfigMenu()), (std::vector<std::string>{"PopupCambiaColori", "PopupOpzioni", "-", "PopupRipper",
                                                             "PopupRegistratore", "-", "PopupTray1", "PopupEsci"}));
  EXPECT_EQ(Names(w.PlayMenu()),
            (std::vector<std::string>{"PopupTracce", "PopupPlaylist", "-", "PopupVolume", "-", "PopupPlay", "PopupPrev",
                                      "PopupNext", "PopupPause", "PopupStop", "-", "PopupAdd", "PopupCorrente", "-",
                                      "PopupTray2", "PopOpzioni", "PopupExit"}));
  EXPECT_EQ(Names(w.TitleMenu()), (std::vector<std::string>{"PopVisualizzaFile", "PopVisualizzaNomeFile"}));
  const struct {
    const char* name;
    int tag;
  } tags[] = {{"PopupCambiaColori", 8}, {"PopupRipper", 12}, {"PopupRegistratore", 11}, {"PopupTray1", 6},
              {"PopupEsci", 7},         {"PopupTracce", 0},  {"PopupPlaylist", 13},     {"PopupVolume", 10},
              {"PopupPlay", 0},         {"PopupPrev", 1},    {"PopupNext", 2},          {"PopupPause", 3},
              {"PopupStop", 4},         {"PopupAdd", 5},     {"PopupCorrente", 0},      {"PopupTray2", 6},
              {"PopupExit", 7},         {"PopupOpzioni", 9}, {"PopOpzioni", 0}};
  for (const auto& t : tags) EXPECT_EQ(TagOf(Item(t.name)), t.tag) << t.name;
  EXPECT_EQ(Item("PopupTray1")->text(), w.LabelHide->Caption());
  EXPECT_EQ(Item("PopupTray2")->text(), w.LabelHide->Caption());
  EXPECT_FALSE(w.LabelHide->isVisible());
  EXPECT_FALSE(w.LabelShow->isVisible());
  EXPECT_FALSE(w.RecentMenu()->isEnabled());  // no recent playlists yet
}

TEST_F(Tray, TracksAreRebuiltAtEachOpeningWithTheCurrentOneTagged) {
  files_ = {{"/a.wav", {}}, {"/b & c.wav", {}}};
  TFormVombrel& w = Open();
  emit w.PlayMenu()->aboutToShow();
  emit w.TracksMenu()->aboutToShow();
  EXPECT_TRUE(w.TracksMenu()->actions().isEmpty());  // empty playlist
  w.Playlist().Entries = {"/a.wav", "/b & c.wav", "/d\te.wav"};
  w.Playlist().CurrentIndex = 1;
  emit w.PlayMenu()->aboutToShow();
  emit w.TracksMenu()->aboutToShow();
  const auto items = w.TracksMenu()->actions();
  ASSERT_EQ(items.size(), 3);
  EXPECT_EQ(items[0]->text(), "a.wav");
  EXPECT_EQ(items[1]->text(), "b && c.wav");
  EXPECT_EQ(items[2]->text(), "d e.wav");
  EXPECT_EQ(TagOf(items[0]), 0);
  EXPECT_EQ(TagOf(items[1]), 3);
  items[0]->trigger();  // plays the chosen entry
  EXPECT_EQ(w.Playlist().CurrentIndex, 0);
  EXPECT_EQ(engine_->Count("Open /a.wav"), 1);
  EXPECT_EQ(engine_->calls.back(), "Play");
  emit w.PlayMenu()->aboutToShow();  // the next opening tags the new current entry
  emit w.TracksMenu()->aboutToShow();
  EXPECT_EQ(TagOf(w.TracksMenu()->actions()[0]), 3);
  w.TracksMenu()->actions()[0]->trigger();  // the current one: pause instead of a restart
  EXPECT_EQ(engine_->calls.back(), "Pause");
}

TEST_F(Tray, LongPlaylistsAreListedInBlocks) {
  TFormVombrel& w = Open();
  for (int i = 0; i < 1201; ++i) w.Playlist().Entries.push_back("/t" + std::to_string(i) + ".wav");
  files_.clear();
  w.Playlist().CurrentIndex = 700;
  emit w.PlayMenu()->aboutToShow();
  emit w.TracksMenu()->aboutToShow();
  const auto blocks = w.TracksMenu()->actions();
  ASSERT_EQ(blocks.size(), 3);
  EXPECT_EQ(blocks[0]->text(), "1 - 500");
  EXPECT_EQ(blocks[1]->text(), "501 - 1000");
  EXPECT_EQ(blocks[2]->text(), "1001 - 1201");
  QMenu* second = blocks[1]->menu();
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->actions().isEmpty());  // made when the block opens
  emit second->aboutToShow();
  ASSERT_EQ(second->actions().size(), 500);
  EXPECT_EQ(second->actions()[0]->text(), "t500.wav");
  EXPECT_EQ(TagOf(second->actions()[200]), 3);
  EXPECT_EQ(TagOf(second->actions()[201]), 0);
  second->actions()[201]->trigger();
  EXPECT_EQ(w.Playlist().CurrentIndex, 701);
  emit w.PlayMenu()->aboutToShow();  // the next opening starts afresh
  emit w.TracksMenu()->aboutToShow();
  EXPECT_EQ(w.TracksMenu()->actions().size(), 3);
  EXPECT_EQ(w.TracksMenu()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly).size(), 3);
}

TEST_F(Tray, VolumeItemMarkedFromTheBar) {
  TFormVombrel& w = Open();
  for (const auto& [position, caption] :
       std::vector<std::pair<int, QString>>{{52427, "80%"}, {6553, "0%"}, {65535, "100%"}}) {
    w.Volume->SetPosition(position);
    emit w.PlayMenu()->aboutToShow();
    QStringList checked;
    for (QAction* a : w.VolumeMenu()->actions())
      if (a->isChecked()) checked << a->text();
    EXPECT_EQ(checked, QStringList{caption}) << position;
  }
}

TEST_F(Tray, QuartersDriveTheTransport) {
  files_ = {{"/a.wav", {}}, {"/b.wav", {}}, {"/c.wav", {}}};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/a.wav", "/b.wav", "/c.wav"};
  ClickQuarter(12, 2);  // top right, stopped: Play
  EXPECT_EQ(engine_->calls.back(), "Play");
  w.CoolTrayIconMouseMove(12, 2, 16, 16);
  EXPECT_EQ(w.CoolTrayIcon->IconIndex(), kTrayPause);  // playing now
  w.CoolTrayIconMouseUp(Qt::LeftButton, false);
  EXPECT_EQ(engine_->calls.back(), "Pause");
  EXPECT_TRUE(w.ButtonPause->Down());
  ClickQuarter(12, 2);  // paused: resumes, the pause button comes up
  EXPECT_EQ(engine_->calls.back(), "Resume");
  EXPECT_FALSE(w.ButtonPause->Down());
  ClickQuarter(12, 12);  // bottom right: Next
  EXPECT_EQ(w.Playlist().CurrentIndex, 1);
  ClickQuarter(2, 12);  // bottom left: Previous
  EXPECT_EQ(w.Playlist().CurrentIndex, 0);
  ClickQuarter(2, 2);  // top left: Stop
  EXPECT_EQ(engine_->calls.back(), "Stop");
  w.CoolTrayIconMouseExit();
  EXPECT_EQ(w.CoolTrayIcon->IconIndex(), kTrayNormal);
  const auto calls = engine_->calls.size();
  w.CoolTrayIconMouseUp(Qt::LeftButton, false);  // picture 0: nothing
  w.CoolTrayIconMouseMove(2, 2, 16, 16);
  w.CoolTrayIconMouseUp(Qt::RightButton, false);  // the right button opens the menu only
  w.CoolTrayIconMouseUp(Qt::LeftButton, true);    // the release ending a double click
  EXPECT_EQ(engine_->calls.size(), calls);
}

TEST_F(Tray, TrayCommandsOffKeepsPictureZeroAndIgnoresClicks) {
  files_ = {{"/a.wav", {}}};
  fs::create_directories(root_ / "tray_tests" / "Config" / "Kelvatro");
  TFormVombrel& w = Open();
  UserConfig().WriteBool("General", "TrayCommands", false);
  w.LoadSettings();
  ASSERT_FALSE(w.TrayCommands());
  w.Playlist().Entries = {"/a.wav"};
  ClickQuarter(12, 2);
  EXPECT_EQ(w.CoolTrayIcon->IconIndex(), kTrayNormal);
  EXPECT_EQ(engine_->Count("Play"), 0);
}

TEST_F(Tray, DoubleClickRestoresAndTheFollowingReleaseIsSwallowed) {
  files_ = {{"/a.wav", {}}};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/a.wav"};
  w.HideToTray();
  EXPECT_TRUE(w.MinimisedToTray());
  EXPECT_EQ(Item("PopupTray2")->text(), w.LabelShow->Caption());
  w.CoolTrayIconMouseMove(12, 2, 16, 16);  // over Play
  w.CoolTrayIconDblClick();
  EXPECT_TRUE(w.RestoredFromTray());
  EXPECT_FALSE(w.MinimisedToTray());
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(w.isMinimized());
  w.CoolTrayIconMouseUp(Qt::LeftButton, false);
  EXPECT_FALSE(w.RestoredFromTray());
  EXPECT_EQ(engine_->Count("Play"), 0);
  EXPECT_EQ(Item("PopupTray1")->text(), w.LabelHide->Caption());
}

TEST_F(Tray, HideShowItemsActByCaption) {
  TFormVombrel& w = Open();
  Item("PopupTray1")->trigger();  // hide
  EXPECT_TRUE(w.MinimisedToTray());
  EXPECT_EQ(Item("PopupTray1")->text(), w.LabelShow->Caption());
  Item("PopupTray2")->trigger();  // show
  EXPECT_FALSE(w.MinimisedToTray());
  EXPECT_EQ(Item("PopupTray2")->text(), w.LabelHide->Caption());
  Item("PopupTray1")->setText("Something else");
  w.PopupTray1Click(Item("PopupTray1"));
  EXPECT_FALSE(w.MinimisedToTray());
}

TEST_F(Tray, TagPanelComesBackAsItWas) {
  TFormVombrel& w = Open();
  ASSERT_TRUE(w.PannelloTags->isHidden());  // folded at start
  const int folded = w.height();
  w.HideToTray();
  EXPECT_FALSE(w.TagsWereVisible());
  w.RestoreFromTray();
  EXPECT_TRUE(w.PannelloTags->isHidden());
  EXPECT_EQ(w.height(), folded);
  w.ToggleTagPanel();  // open, and it stays open through a hide and restore
  const int open = w.height();
  w.HideToTray();
  EXPECT_TRUE(w.TagsWereVisible());
  w.RestoreFromTray();
  EXPECT_FALSE(w.PannelloTags->isHidden());
  EXPECT_EQ(w.height(), open);
}

TEST_F(Tray, RestoreStartsTheVolumeTimerAndFollowsTheDevice) {
  TFormVombrel& w = Open();
  w.HideToTray();
  EXPECT_FALSE(w.VolumeTimer->isActive());
  deviceVolume_ = 32768;
  w.RestoreFromTray();
  EXPECT_TRUE(w.VolumeTimer->isActive());
  EXPECT_EQ(w.Volume->Position(), 32768);
}

TEST_F(Tray, RecentPlaylistsLoadWithoutPlaying) {
  TFormVombrel& w = Open();
  const std::string list = (root_ / "list.m3u").string();
  std::ofstream(list, std::ios::binary) << "/x.wav\r\n/y & z.wav\r\n";
  w.Playlist().LoadPlaylistFile(list);
  ASSERT_EQ(w.Playlist().Count(), 2);
  ASSERT_TRUE(w.RecentMenu()->isEnabled());
  ASSERT_EQ(w.RecentMenu()->actions().size(), 1);
  w.Playlist().Entries.clear();
  w.Playlist().CurrentIndex = 0;
  w.RecentMenu()->actions()[0]->trigger();
  EXPECT_EQ(w.Playlist().Entries, (StringList{"/x.wav", "/y & z.wav"}));
  EXPECT_EQ(engine_->Count("Play"), 0);
  fs::remove(list);  // a recent playlist that is gone: nothing happens
  w.MRUManagerClick(QString::fromStdString(list));
  EXPECT_EQ(w.Playlist().Count(), 2);
}

TEST_F(Tray, CurrentTrackNotification) {
  files_ = {{"/music/a.wav", {true, true, 3725000}}};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/music/a.wav"};
  w.ButtonPlayClick();
  w.TagArtista->setText("Artist");
  w.TagTitolo->setText("Title");
  Item("PopupCorrente")->trigger();
  EXPECT_EQ(w.CoolTrayIcon->LastBalloonTitle(), "Scripted");
  EXPECT_EQ(w.CoolTrayIcon->LastBalloonText(), "Artist - Title (" + w.Durata->Caption() + ")");
  w.TagArtista->setText(QString(300, QLatin1Char('a')));
  w.PopupCorrenteClick();
  EXPECT_EQ(w.CoolTrayIcon->LastBalloonText(), QString(255, QLatin1Char('a')));
}

TEST_F(Tray, TooltipFollowsTheCurrentTrack) {
  files_ = {{"/music/a.wav", {true, true, 3725000}}};
  TFormVombrel& w = Open();
  w.Playlist().Entries = {"/music/a.wav"};
  w.ButtonPlayClick();
  EXPECT_EQ(w.CoolTrayIcon->Icon()->toolTip(), w.TrayTooltip());
  EXPECT_TRUE(w.CoolTrayIcon->Icon()->toolTip().contains("a.wav"));
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
