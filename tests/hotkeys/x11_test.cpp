// The X11 registrar against the test environment's X server, with Qt offscreen (so it
// reads its own connection to $DISPLAY); presses come from xdotool, another client's
// grab from the grab helper.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "Grabber.h"
#include "platform/X11hotkeys.h"

namespace vombrel {
namespace {

constexpr unsigned kXControl = 4, kXMod1 = 8;

void Key(const std::string& keys) { ASSERT_EQ(std::system(("xdotool key " + keys).c_str()), 0); }

// Runs the event loop until the condition holds; the limit only guards a hung server.
bool ProcessUntil(const std::function<bool()>& condition, int limitMs = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// Lets presses that are under way arrive, so "nothing happened" is tested after them.
void Settle() {
  std::system("xdotool sleep 0.2");
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

class X11HotKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the X11 tests run under the test environment's X server";
    registrar_ = CreateX11HotKeyRegistrar();
    ASSERT_NE(registrar_, nullptr);
  }
  std::unique_ptr<HotKeyRegistrar> registrar_;
};

TEST_F(X11HotKeys, PressWithoutFocusAndWithLockKeysOn) {
  int presses = 0;
  const int number = registrar_->RegisterHotKey(MOD_CONTROL | MOD_ALT, 36, [&] { ++presses; });  // Home
  ASSERT_GT(number, 0);
  Key("ctrl+alt+Home");
  EXPECT_TRUE(ProcessUntil([&] { return presses == 1; }));
  // Num Lock and Caps Lock on: still the same hot key. Each lock is switched back.
  Key("Num_Lock ctrl+alt+Home Num_Lock");
  EXPECT_TRUE(ProcessUntil([&] { return presses == 2; }));
  Key("Caps_Lock ctrl+alt+Home Caps_Lock");
  EXPECT_TRUE(ProcessUntil([&] { return presses == 3; }));
  // Other modifiers make another combination.
  Key("ctrl+Home shift+ctrl+alt+Home");
  Settle();
  EXPECT_EQ(presses, 3);
  registrar_->UnregisterHotKey(number);
  Key("ctrl+alt+Home");
  Settle();
  EXPECT_EQ(presses, 3);
}

TEST_F(X11HotKeys, KeyNamesReachTheirKeys) {
  struct Row {
    uint32_t modifiers;
    uint32_t virtualKey;
    const char* keys;
  };
  const Row rows[] = {{MOD_CONTROL | MOD_ALT, 'P', "ctrl+alt+p"},   {MOD_SHIFT | MOD_CONTROL, 116, "shift+ctrl+F5"},
                      {MOD_CONTROL | MOD_ALT, '7', "ctrl+alt+7"},   {MOD_CONTROL | MOD_ALT, 186, "ctrl+alt+semicolon"},
                      {MOD_CONTROL | MOD_ALT, 34, "ctrl+alt+Next"}, {MOD_ALT, 46, "alt+Delete"},
                      {MOD_CONTROL | MOD_ALT, 98, "ctrl+alt+KP_2"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    int presses = 0;
    const int number = registrar_->RegisterHotKey(row.modifiers, row.virtualKey, [&] { ++presses; });
    ASSERT_GT(number, 0);
    Key(row.keys);
    EXPECT_TRUE(ProcessUntil([&] { return presses == 1; }));
    registrar_->UnregisterHotKey(number);
  }
  // Codes without a key are refused.
  EXPECT_EQ(registrar_->RegisterHotKey(MOD_CONTROL, 0, [] {}), 0);
  EXPECT_EQ(registrar_->RegisterHotKey(MOD_CONTROL, 7, [] {}), 0);
  EXPECT_EQ(registrar_->RegisterHotKey(MOD_CONTROL, 255, [] {}), 0);
}

// A combination another client holds is refused without any X error reaching the
// program; once that client is gone it can be taken. What we release, others can take.
TEST_F(X11HotKeys, CombinationHeldElsewhereIsRefusedQuietly) {
  testing::Grabber other(kXControl | kXMod1, XK_x);
  ASSERT_TRUE(other.Holds()) << other.Output();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(registrar_->RegisterHotKey(MOD_CONTROL | MOD_ALT, 'X', [] {}), 0);
  int presses = 0;
  const int y = registrar_->RegisterHotKey(MOD_CONTROL | MOD_ALT, 'Y', [&] { ++presses; });
  EXPECT_GT(y, 0);
  Key("ctrl+alt+x ctrl+alt+y");
  EXPECT_TRUE(ProcessUntil([&] { return presses == 1 && other.Presses() == 1; }));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  other.End();
  const int x = registrar_->RegisterHotKey(MOD_CONTROL | MOD_ALT, 'X', [] {});
  EXPECT_GT(x, 0);
  registrar_->UnregisterHotKey(x);
  registrar_->UnregisterHotKey(y);
  testing::Grabber after(kXControl | kXMod1, XK_y);
  EXPECT_TRUE(after.Holds()) << after.Output();
}

TEST_F(X11HotKeys, SameCombinationTwiceIsRefused) {
  int first = 0;
  const int number = registrar_->RegisterHotKey(MOD_CONTROL | MOD_ALT, 'K', [&] { ++first; });
  ASSERT_GT(number, 0);
  EXPECT_EQ(registrar_->RegisterHotKey(MOD_CONTROL | MOD_ALT, 'K', [] { FAIL(); }), 0);
  Key("ctrl+alt+k");
  EXPECT_TRUE(ProcessUntil([&] { return first == 1; }));
  registrar_->UnregisterHotKey(number);
  const int again = registrar_->RegisterHotKey(MOD_CONTROL | MOD_ALT, 'K', [] {});
  EXPECT_GT(again, 0);
  registrar_.reset();  // the registrar's end gives every grab back
  testing::Grabber other(kXControl | kXMod1, XK_k);
  EXPECT_TRUE(other.Holds()) << other.Output();
}

// A hot key works while a modal dialog of the program runs its own event loop.
TEST_F(X11HotKeys, WorksWhileAModalDialogIsOpen) {
  QDialog dialog;
  const int number = registrar_->RegisterHotKey(MOD_CONTROL | MOD_ALT, 'J', [&] { dialog.reject(); });
  ASSERT_GT(number, 0);
  QTimer::singleShot(100, [] { std::system("xdotool key ctrl+alt+j"); });
  QTimer::singleShot(10000, &dialog, &QDialog::accept);  // only a guard
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  registrar_->UnregisterHotKey(number);
}

TEST(X11HotKeysWithoutDisplay, NoneAndSaysSoOnce) {
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  unsetenv("DISPLAY");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(CreateX11HotKeyRegistrar(), nullptr);
  const std::string said = ::testing::internal::GetCapturedStderr();
  if (display) setenv("DISPLAY", saved.c_str(), 1);
  EXPECT_EQ(said, "vombrel: no X11 display; global hot keys are off\n");
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);

  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
