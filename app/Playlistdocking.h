// Where the playlist window goes: the magnetic docking to the main window while it is
// dragged, the offsets it keeps from the main window, and a place on a screen the user
// can reach. Pure functions on screen rectangles, callable from any thread.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace vombrel::docking {

// How close (in pixels, exclusive) an edge must come to snap.
inline constexpr int kSnapDistance = 10;

struct DockResult {
  QPoint position;  // the proposal, moved onto the main window's edge when it snapped
  bool docked = false;
};

// The proposed top-left corner of a playlist window of size `playlist` being dragged,
// against the main window's frame `main`. With the magnet off nothing snaps and the window
// is not docked. With it on, the first rule that fits moves the proposal:
//   below:  B-10 < y < B+10 and L-W <= x <= L+W   gives y = B
//   above:  T-h-10 < y < T+10 and L-W < x < L+W    gives y = T-h
//   right:  R-10 < x < R+10 and T <= y <= B         gives x = R
//   left:   L-w-10 < x < L+10 and T < y < B         gives x = L-w
// where L, T, W, H are the main window's left, top, width and height, R = L+W, B = T+H,
// and w, h the playlist window's width and height.
DockResult Dock(QPoint proposal, const QRect& main, QSize playlist, bool magnet);

// The offsets kept while docked: the playlist window's top-left minus the main window's.
QPoint Deltas(QPoint playlist, QPoint main);

// A top-left corner for a window of `size` wanted at `wanted`: unchanged when the window
// then shows at least `grip` pixels of its title bar on some screen; otherwise moved onto
// the screen nearest to `wanted` (inside it where it fits). No screens: unchanged.
QPoint Reachable(QPoint wanted, QSize size, const QList<QRect>& screens, int grip = 24);

}  // namespace vombrel::docking
