#include "app/Playlistdocking.h"

#include <algorithm>
#include <climits>

namespace vombrel::docking {

DockResult Dock(QPoint proposal, const QRect& main, QSize playlist, bool magnet) {
  DockResult result{proposal, false};
  if (!magnet) return result;
  const int x = proposal.x(), y = proposal.y();
  const int L = main.left(), T = main.top(), W = main.width(), H = main.height();
  const int R = L + W, B = T + H;
  const int w = playlist.width(), h = playlist.height();
  constexpr int d = kSnapDistance;
  if (B - d < y && y < B + d && L - W <= x && x <= L + W) {
    result.position.setY(B);
  } else if (T - h - d < y && y < T + d && L - W < x && x < L + W) {
    result.position.setY(T - h);
  } else if (R - d < x && x < R + d && T <= y && y <= B) {
    result.position.setX(R);
  } else if (L - w - d < x && x < L + d && T < y && y < B) {
    result.position.setX(L - w);
  } else {
    return result;
  }
  result.docked = true;
  return result;
}

QPoint Deltas(QPoint playlist, QPoint main) { return playlist - main; }

namespace {

// The strip of the title bar a user drags the window by.
QRect TitleStrip(QPoint topLeft, QSize size, int grip) {
  return QRect(topLeft, QSize(size.width(), std::min(grip, std::max(size.height(), 1))));
}

long long DistanceSquared(const QRect& screen, QPoint point) {
  const long long dx = point.x() < screen.left()    ? screen.left() - point.x()
                       : point.x() > screen.right() ? point.x() - screen.right()
                                                    : 0;
  const long long dy = point.y() < screen.top()      ? screen.top() - point.y()
                       : point.y() > screen.bottom() ? point.y() - screen.bottom()
                                                     : 0;
  return dx * dx + dy * dy;
}

}  // namespace

QPoint Reachable(QPoint wanted, QSize size, const QList<QRect>& screens, int grip) {
  if (screens.isEmpty()) return wanted;
  const QRect strip = TitleStrip(wanted, size, grip);
  for (const QRect& screen : screens) {
    const QRect seen = screen.intersected(strip);
    if (seen.width() >= std::min(grip, strip.width()) && seen.height() >= strip.height()) return wanted;
  }
  const QRect* nearest = &screens.front();
  long long best = LLONG_MAX;
  for (const QRect& screen : screens) {
    const long long distance = DistanceSquared(screen, wanted);
    if (distance < best) {
      best = distance;
      nearest = &screen;
    }
  }
  const int maxLeft = std::max(nearest->left(), nearest->right() + 1 - size.width());
  const int maxTop = std::max(nearest->top(), nearest->bottom() + 1 - size.height());
  return QPoint(std::clamp(wanted.x(), nearest->left(), maxLeft), std::clamp(wanted.y(), nearest->top(), maxTop));
}

}  // namespace vombrel::docking
