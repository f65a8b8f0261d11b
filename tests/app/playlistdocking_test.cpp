// The playlist window's docking rules and its reachable place, as tables of cases.
#include <gtest/gtest.h>

#include "app/Playlistdocking.h"

namespace vombrel::docking {
namespace {

// The main window at L 100, T 200, W 252, H 135: R 352, B 335. The playlist window is
// 252 x 455.
const QRect kMain(100, 200, 252, 135);
const QSize kPlaylist(252, 455);
constexpr int L = 100, T = 200, W = 252, R = 352, B = 335, w = 252, h = 455;

struct DockCase {
  const char* name;
  QPoint proposal;
  bool magnet;
  bool docked;
  QPoint result;
};

TEST(Docking, EachRuleAtItsEdges) {
  const DockCase cases[] = {
      // Below: B-10 < y < B+10, L-W <= x <= L+W.
      {"below, 9 above the edge", {L, B - 9}, true, true, {L, B}},
      {"below, 9 under the edge", {L, B + 9}, true, true, {L, B}},
      {"below, 10 above the edge", {L + 126, B - 10}, true, false, {L + 126, B - 10}},
      {"below, 10 under the edge", {L, B + 10}, true, false, {L, B + 10}},
      {"below, leftmost x", {L - W, B + 3}, true, true, {L - W, B}},
      {"below, rightmost x", {L + W, B - 3}, true, true, {L + W, B}},
      {"below, one past the leftmost x", {L - W - 1, B + 3}, true, false, {L - W - 1, B + 3}},
      {"below, one past the rightmost x", {L + W + 1, B + 3}, true, false, {L + W + 1, B + 3}},
      // Above: T-h-10 < y < T+10, L-W < x < L+W.
      {"above, at the edge", {L, T - h}, true, true, {L, T - h}},
      {"above, 9 over", {L, T - h - 9}, true, true, {L, T - h}},
      {"above, 10 over", {L, T - h - 10}, true, false, {L, T - h - 10}},
      {"above, overlapping by 9", {L + 126, T + 9}, true, true, {L + 126, T - h}},
      {"above, x at L-W is outside", {L - W, T - h}, true, false, {L - W, T - h}},
      {"above, x at L+W is outside", {L + W, T - h}, true, false, {L + W, T - h}},
      // Right: R-10 < x < R+10, T <= y <= B.
      {"right, 9 past", {R + 9, T}, true, true, {R, T}},
      {"right, 9 short", {R - 9, T + 50}, true, true, {R, T + 50}},
      {"right, 10 past", {R + 10, T + 50}, true, false, {R + 10, T + 50}},
      {"right, y at B", {R + 5, B}, true, true, {R, B}},
      {"right, y one past B", {R + 5, B + 1}, true, false, {R + 5, B + 1}},
      {"right, y one above T", {R + 5, T - 1}, true, false, {R + 5, T - 1}},
      // Left: L-w-10 < x < L+10, T < y < B.
      {"left, 9 past", {L - w - 9, T + 1}, true, true, {L - w, T + 1}},
      {"left, 9 over the main window", {L + 9, T + 60}, true, true, {L - w, T + 60}},
      {"left, 10 past", {L - w - 10, T + 60}, true, false, {L - w - 10, T + 60}},
      {"left, y at T is outside", {L - w - 5, T}, true, false, {L - w - 5, T}},
      {"left, y at B-1", {L - w - 5, B - 1}, true, true, {L - w, B - 1}},
      // Below comes before the others where two fit.
      {"below and left both fit", {L - 5, B - 5}, true, true, {L - 5, B}},
      // The magnet released: nothing snaps, nothing is docked.
      {"magnet off below", {L, B + 3}, false, false, {L, B + 3}},
      {"magnet off right", {R + 3, T}, false, false, {R + 3, T}},
      {"far away", {900, 900}, true, false, {900, 900}},
  };
  for (const DockCase& c : cases) {
    const DockResult r = Dock(c.proposal, kMain, kPlaylist, c.magnet);
    EXPECT_EQ(r.docked, c.docked) << c.name;
    EXPECT_EQ(r.position, c.result) << c.name;
  }
}

TEST(Docking, DeltasAreTheOffsetFromTheMainWindow) {
  EXPECT_EQ(Deltas({100, 335}, {100, 200}), QPoint(0, 135));
  EXPECT_EQ(Deltas({-152, 210}, {100, 200}), QPoint(-252, 10));
  EXPECT_EQ(Deltas({0, 0}, {0, 0}), QPoint(0, 0));
}

struct ReachCase {
  const char* name;
  QPoint wanted;
  QPoint result;
};

TEST(Docking, TheWindowComesUpWhereItCanBeReached) {
  const QList<QRect> one{QRect(0, 0, 1024, 768)};
  const QSize size(252, 455);
  const ReachCase cases[] = {
      {"inside", {100, 100}, {100, 100}},
      {"partly below the screen, title bar visible", {100, 700}, {100, 700}},
      {"title bar 30 pixels on the screen at the right", {1024 - 30, 100}, {1024 - 30, 100}},
      {"title bar 10 pixels on the screen at the right", {1024 - 10, 100}, {1024 - 252, 100}},
      {"far right and down", {50000, 40000}, {1024 - 252, 768 - 455}},
      {"far left and up", {-50000, -40000}, {0, 0}},
      {"title bar above the screen", {100, -5}, {100, 0}},
      {"below the screen", {100, 800}, {100, 768 - 455}},
  };
  for (const ReachCase& c : cases) EXPECT_EQ(Reachable(c.wanted, size, one), c.result) << c.name;

  const QList<QRect> two{QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)};
  EXPECT_EQ(Reachable({1500, 900}, size, two), QPoint(1500, 900)) << "on the second screen";
  EXPECT_EQ(Reachable({5000, 900}, size, two), QPoint(1024 + 1280 - 252, 1024 - 455)) << "beyond the second";
  EXPECT_EQ(Reachable({5000, 5000}, size, {}), QPoint(5000, 5000)) << "no screens known";
  // A screen smaller than the window: its top-left corner.
  EXPECT_EQ(Reachable({900, 900}, size, {QRect(0, 0, 200, 300)}), QPoint(0, 0));
}

}  // namespace
}  // namespace vombrel::docking
