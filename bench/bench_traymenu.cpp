// Tray menu figures with a playlist of N entries (100,000 by default; the files need not
// exist, their names are shown): opening the tray menu (PlayMenuPopup and the menu on the
// screen, ms), opening its "Tracce" submenu (its items made and shown, ms) and, for a
// long playlist, opening the first block of "Tracce".
// Runs on the X display when DISPLAY is set (the test environment's Xvfb), else offscreen.
// Usage: bench_traymenu [entries]
#include <QApplication>
#include <QMenu>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/VombrelMain.h"

using namespace vombrel;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

template <typename F>
double Time(F&& f) {
  const auto start = Clock::now();
  f();
  QCoreApplication::processEvents();
  return Milliseconds(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const int entries = argc > 1 ? std::atoi(argv[1]) : 100000;
  TFormVombrel window(
      {}, [](const std::string&, NotifyHandler) { return std::unique_ptr<TBasePlayer>(); },
      OutputVolume{[] { return std::optional<int32_t>(65535); }, [](int32_t) {}});
  window.Playlist().Entries.clear();
  for (int i = 0; i < entries; ++i) window.Playlist().Entries.push_back("/music/track " + std::to_string(i) + ".mp3");
  window.Playlist().CurrentIndex = entries / 2;
  for (int round = 0; round < 3; ++round) {
    const double menu = Time([&] { window.PlayMenu()->popup(QPoint(100, 100)); });
    const double tracks = Time([&] { window.TracksMenu()->popup(QPoint(300, 100)); });
    QMenu* block = window.TracksMenu()->actions().value(0) ? window.TracksMenu()->actions().value(0)->menu() : nullptr;
    const double blockMs = block ? Time([&] { block->popup(QPoint(500, 100)); }) : 0.0;
    std::printf("entries %d: tray menu %.1f ms, Tracce %.1f ms (%lld items), first block %.1f ms\n", entries, menu,
                tracks, static_cast<long long>(window.TracksMenu()->actions().size()), blockMs);
    if (block) block->hide();
    window.TracksMenu()->hide();
    window.PlayMenu()->hide();
    QCoreApplication::processEvents();
  }
  return 0;
}
