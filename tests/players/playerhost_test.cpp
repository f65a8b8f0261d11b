// The Qt host of the engines under the test environment's X server: the dispatcher
// brings foreign-thread work onto the GUI thread, the video of the built-in engine is
// drawn into the display widget's native window and moves to the full-screen window and
// back. Needs a real X display (native windows), not the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScreen>
#include <QThread>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Mediafixtures.h"
#include "players/Mmcplayer.h"
#include "toolkit/Playerhost.h"

namespace vombrel::test {
namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("VOMBREL_AUDIO_SINK", "fakesink sync=true", 1);  // this test looks at pictures only
    static int argc = 1;
    static char name[] = "players_host_tests";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    Fixtures();
  }
  void TearDown() override { delete app; }
  QApplication* app = nullptr;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Processes events until `done` holds; false after the hang guard.
bool ProcessUntil(const std::function<bool()>& done, int guardMs = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > guardMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return true;
}

// Whether the window shows something other than black (the test picture has colour bars).
bool ShowsPicture(WId window) {
  const QImage image = QGuiApplication::primaryScreen()->grabWindow(window).toImage();
  if (image.isNull()) return false;
  for (int y = 0; y < image.height(); y += 4) {
    for (int x = 0; x < image.width(); x += 4) {
      if (qGray(image.pixel(x, y)) > 60) return true;
    }
  }
  return false;
}

TEST(QtUiDispatcherTest, TasksPostedFromAnyThreadRunOnTheGuiThreadInOrder) {
  QtUiDispatcher dispatcher;
  std::vector<int> order;
  bool allOnGuiThread = true;
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) {
      dispatcher.Post([&, i] {
        order.push_back(i);
        allOnGuiThread = allOnGuiThread && QThread::currentThread() == qApp->thread();
      });
    }
  });
  worker.join();
  EXPECT_TRUE(order.empty());  // never inside Post
  ASSERT_TRUE(ProcessUntil([&] { return order.size() == 3; }));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(allOnGuiThread);
}

TEST(QtDisplayControlTest, FullScreenWindowClosesOnAKeyOrAClickAfterTellingTheEngine) {
  QWidget area;
  area.resize(200, 150);
  area.show();
  QtDisplayControl display(&area);
  EXPECT_EQ(display.NativeWindowId(), static_cast<uintptr_t>(area.winId()));
  EXPECT_EQ(display.ToolkitApplication(), qApp);
  EXPECT_NE(display.ToolkitScreen(), nullptr);

  {
    auto later = std::make_unique<QWidget>();
    QWidget* current = nullptr;
    QtDisplayControl lookedUp([&] { return current; });
    EXPECT_EQ(lookedUp.NativeWindowId(), 0u);
    current = later.get();
    EXPECT_EQ(lookedUp.NativeWindowId(), static_cast<uintptr_t>(later->winId()));
    QtDisplayControl watched(later.get());
    later.reset();
    EXPECT_EQ(watched.NativeWindowId(), 0u);  // the widget is gone
  }

  // The host's follow-up runs whenever the window goes, after the engine's callback.
  std::vector<std::string> order;
  display.SetFullScreenClosedHandler([&] { order.push_back("host"); });
  for (int round = 0; round < 3; ++round) {  // key, click, closed by the engine
    SCOPED_TRACE(round);
    int told = 0;
    bool windowAliveWhenTold = false;
    order.clear();
    const uintptr_t window = display.OpenFullScreen([&] {
      ++told;
      order.push_back("engine");
      windowAliveWhenTold = display.FullScreenWindow() != nullptr && display.FullScreenWindow()->isVisible();
    });
    ASSERT_NE(window, 0u);
    QPointer<TFullScreenVideo> fullScreen = display.FullScreenWindow();
    ASSERT_FALSE(fullScreen.isNull());
    EXPECT_TRUE(fullScreen->windowState() & Qt::WindowFullScreen);
    if (round == 0) {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(fullScreen, &key);
    } else if (round == 1) {
      QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
      QCoreApplication::sendEvent(fullScreen, &click);
    } else {
      display.CloseFullScreen();
    }
    EXPECT_EQ(told, round < 2 ? 1 : 0);
    EXPECT_EQ(windowAliveWhenTold, round < 2);
    const std::vector<std::string> expected = round < 2 ? std::vector<std::string>{"engine", "host"}
                                                        : std::vector<std::string>{"host"};
    EXPECT_EQ(order, expected);
    ASSERT_TRUE(ProcessUntil([&] { return fullScreen.isNull(); }));
  }
}

TEST(PlayerHostVideoTest, VideoIsDrawnIntoTheDisplayAndMovesToFullScreenAndBack) {
  QWidget area;
  area.resize(176, 144);
  area.show();
  ASSERT_TRUE(ProcessUntil([&] { return area.isVisible(); }));
  QtDisplayControl display(&area);
  QtUiDispatcher dispatcher;
  int notifications = 0;
  TMMCPlayer engine(&display, dispatcher, [&](void*) { ++notifications; });

  MMFileInfoPtr info = engine.Open(Fixtures().Path("clip.mpg"));
  ASSERT_NE(info->Success, 0) << (info->ErrorText ? info->ErrorText : "");
  engine.Play();
  EXPECT_TRUE(ProcessUntil([&] { return ShowsPicture(area.winId()); }));

  engine.SetFullScreen(true);
  TFullScreenVideo* fullScreen = display.FullScreenWindow();
  ASSERT_NE(fullScreen, nullptr);
  EXPECT_EQ(engine.GetMode(), PlayerMode::Playing);
  EXPECT_TRUE(ProcessUntil([&] { return ShowsPicture(fullScreen->winId()); }));
  // Full screen asked for again (the command panel's Pause does): the same window, and a
  // pause that holds.
  engine.Pause();
  engine.SetFullScreen(true);
  EXPECT_EQ(display.FullScreenWindow(), fullScreen);
  EXPECT_EQ(engine.GetMode(), PlayerMode::Paused);
  engine.Resume();

  QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
  QCoreApplication::sendEvent(fullScreen, &key);
  EXPECT_EQ(display.FullScreenWindow(), nullptr);
  engine.SetFullScreen(false);  // nothing left to close
  ASSERT_TRUE(ProcessUntil([&] { return notifications > 0 && engine.GetMode() == PlayerMode::Stopped; }));
  EXPECT_EQ(engine.GetPosition(), engine.GetLength());
}

}  // namespace
}  // namespace vombrel::test
