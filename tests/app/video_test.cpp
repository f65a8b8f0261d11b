// The video window and the command panel offscreen, with a scripted engine: the layout
// rules, the size button, the stored size, the grip, the buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <filesystem>
#include <fstream>

#include "Privateconfighome.h"
#include "Scriptedengine.h"
#include "app/Commandpanel.h"
#include "app/Video.h"
#include "app/VombrelMain.h"
#include "support/Configurazione.h"
#include "support/Supportlanguage.h"

namespace fs = std::filesystem;

namespace vombrel {
namespace {

namespace vl = videolayout;

TEST(VideoLayout, SizeForPicture) {
  EXPECT_EQ(SizeForPicture(320, 240), QSize(330, 284));
  EXPECT_EQ(SizeForPicture(640, 360), QSize(650, 404));
  EXPECT_EQ(SizeForPicture(0, 240), std::nullopt);  // not known yet
  EXPECT_EQ(SizeForPicture(320, -1), std::nullopt);
}

TEST(VideoLayout, NormPosItemsFallBackOneByOne) {
  const QRect current(100, 50, 688, 316);
  const QRect screen(0, 0, 1280, 1024);
  const struct {
    const char* text;
    std::optional<QRect> rect;
  } cases[] = {
      {"", std::nullopt},
      {"10,20,410,320", QRect(10, 20, 400, 300)},
      {"10,x,410,320", QRect(10, 50, 400, 270)},      // top falls back to the current top
      {"10,20", QRect(10, 20, 778, 346)},             // right and bottom: the current edges
      {"a,b,c,d", current},                           // every item falls back
      {"0,0,99999999999,5", QRect(0, 0, 788, 80)},    // not an integer, then too small
      {"0,0,5000,5000", QRect(0, 0, 1280, 1024)},     // larger than the screen
      {"500,500,100,100", QRect(500, 500, 160, 80)},  // reversed edges: the minimum
  };
  for (const auto& c : cases) EXPECT_EQ(RectFromNormPos(c.text, current, screen), c.rect) << c.text;
}

class VideoWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::MakePrivateConfigHome("video");
    EngineFactory factory = [this](const std::string&, NotifyHandler notify) {
      auto engine = std::make_unique<testing::ScriptedEngine>(dispatcher_);
      engine->InitPlayer(nullptr, std::move(notify));
      engine->files = {{"/clip.mpg", {true, false, 10000}}, {"/a.wav", {}}};
      engine_ = engine.get();
      return engine;
    };
    OutputVolume volume{[]() -> std::optional<int32_t> { return 65535; }, [](int32_t) {}};
    main_ = std::make_unique<TFormVombrel>(std::vector<std::string>{}, factory, volume);
    main_->show();
    video_ = std::make_unique<TFormVideo>(main_.get());
    panel_ = std::make_unique<TFormCommandPanel>(main_.get());
    main_->SetVideoWindow(video_.get());
    main_->SetCommandPanel(panel_.get());
    main_->Playlist().Entries = {"/clip.mpg", "/a.wav"};
  }
  void TearDown() override {
    panel_.reset();
    video_.reset();
    main_.reset();
    FreeMessages();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path root_;
  testing::NullDispatcher dispatcher_;
  testing::ScriptedEngine* engine_ = nullptr;
  std::unique_ptr<TFormVombrel> main_;
  std::unique_ptr<TFormVideo> video_;
  std::unique_ptr<TFormCommandPanel> panel_;
};

TEST_F(VideoWindow, LayoutFollowsTheSize) {
  for (const QSize size : {vl::kDesignedSize, QSize(330, 284), QSize(1000, 700)}) {
    video_->resize(size);
    video_->FormResize();
    EXPECT_EQ(video_->BtnClose->x(), size.width() - video_->BtnClose->width() - 4) << size.width();
    EXPECT_EQ(video_->PannelloPosizione->width(), video_->PnlTimeLine->width() - 4);
    EXPECT_EQ(video_->Posizione->width(), video_->PannelloPosizione->width() + 32);
    EXPECT_EQ(video_->Posizione->x(), -16);
    // The picture area is what the size button's rule leaves of the window.
    EXPECT_EQ(SizeForPicture(video_->Panel->width(), video_->Panel->height()), size);
    // The grip sits at the right end of the button bar.
    const QPoint grip = video_->PnlResizer->mapTo(video_.get(), QPoint(video_->PnlResizer->width(), 0));
    EXPECT_EQ(grip.x(), size.width() - 1);
  }
}

TEST_F(VideoWindow, SizeButtonFitsThePictureAndWaitsForAKnownSize) {
  main_->ButtonPlayClick();
  ASSERT_TRUE(video_->isVisible());
  const QSize before = video_->size();
  video_->FitToVideo();  // the scripted engine knows no picture size yet
  EXPECT_EQ(video_->size(), before);
}

TEST_F(VideoWindow, ButtonsForwardAndClosingStops) {
  main_->ButtonPlayClick();
  ASSERT_TRUE(video_->isVisible());
  video_->BtnPause->Click();
  EXPECT_TRUE(main_->Paused());
  video_->BtnPause->Click();
  EXPECT_FALSE(main_->Paused());
  video_->BtnStop->Click();
  EXPECT_EQ(engine_->calls.back(), "Stop");
  main_->ButtonPlayClick();
  engine_->calls.clear();
  video_->close();
  EXPECT_FALSE(video_->isVisible());
  EXPECT_EQ(engine_->Count("Stop"), 1);
  // The next entry has no picture: the window stays hidden.
  video_->BtnNext->Click();
  EXPECT_FALSE(video_->isVisible());
}

// The grip pauses playback while it is dragged and resumes only what it paused.
TEST_F(VideoWindow, GripResizesAndResumesOnlyWhatItPaused) {
  main_->ButtonPlayClick();
  ASSERT_TRUE(video_->isVisible());
  video_->resize(vl::kDesignedSize);
  auto drag = [&](QPoint by) {
    const QPoint start = video_->PnlResizer->mapToGlobal(QPoint(5, 5));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(start), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(video_->PnlResizer, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5) + by, QPointF(start + by), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(video_->PnlResizer, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5) + by, QPointF(start + by), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(video_->PnlResizer, &release);
  };
  engine_->calls.clear();
  drag(QPoint(-100, 40));
  EXPECT_EQ(video_->size(), QSize(588, 356));
  EXPECT_EQ(engine_->calls, (std::vector<std::string>{"Pause", "Resume"}));
  main_->ButtonPauseClick();  // the user pauses
  engine_->calls.clear();
  drag(QPoint(10, 10));
  EXPECT_EQ(engine_->Count("Resume"), 0);
  EXPECT_EQ(engine_->mode, PlayerMode::Paused);
}

TEST_F(VideoWindow, StoredSizeIsTakenWhenShown) {
  UserConfig().WriteString("FormVideo", "NormPos", "10,20,410,320");
  main_->ButtonPlayClick();
  ASSERT_TRUE(video_->isVisible());
  EXPECT_EQ(video_->size(), QSize(400, 300));
}

TEST_F(VideoWindow, CommandPanelButtonsActAndHideThePanel) {
  main_->ButtonPlayClick();
  engine_->hasVideo = true;
  main_->ToggleFullScreen();
  ASSERT_TRUE(main_->FullScreenOn());
  panel_->show();
  engine_->calls.clear();
  panel_->BtnPause->Click();
  EXPECT_FALSE(panel_->isVisible());
  EXPECT_TRUE(main_->Paused());
  EXPECT_EQ(engine_->calls.back(), "SetFullScreen 1");  // the picture stays on the whole screen
  panel_->show();
  panel_->BtnFullScreen->Click();
  EXPECT_FALSE(panel_->isVisible());
  EXPECT_FALSE(main_->FullScreenOn());
  panel_->show();
  panel_->BtnStop->Click();
  EXPECT_FALSE(panel_->isVisible());
  EXPECT_EQ(engine_->calls.back(), "Stop");
}

// The full-screen picture gone without the main window's command (the user closed it, or
// the engine closed it with its file): the main window leaves full screen with it (timer,
// Esc key), without a call to the engine, so the next command goes full screen again.
TEST_F(VideoWindow, FullScreenWindowGoneLeavesFullScreen) {
  main_->ButtonPlayClick();
  engine_->hasVideo = true;
  main_->FullScreenWindowClosed();  // not in full screen: nothing
  EXPECT_FALSE(main_->FullScreenOn());
  main_->ToggleFullScreen();
  ASSERT_TRUE(main_->FullScreenOn());
  ASSERT_NE(main_->EscHotKey(), nullptr);
  EXPECT_TRUE(main_->EscHotKey()->Enabled());
  panel_->show();
  engine_->calls.clear();
  main_->FullScreenWindowClosed();
  EXPECT_TRUE(engine_->calls.empty());
  EXPECT_FALSE(panel_->isVisible());
  EXPECT_FALSE(main_->FullScreenOn());
  EXPECT_FALSE(main_->FullScreenTimer->isActive());
  EXPECT_FALSE(main_->EscHotKey()->Enabled());
  engine_->calls.clear();
  main_->ToggleFullScreen();
  EXPECT_TRUE(main_->FullScreenOn());
  EXPECT_EQ(engine_->calls.back(), "SetFullScreen 1");
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
