// Owner drawing of the pop-up menus in the current colour scheme: a 21-pixel margin band
// on the left in the working colours, items framed and filled in the scheme's button
// colours (the system's when no "CurrentColor.clr" exists), and a 12 × 12 image per item
// chosen by its Tag (11 for a checked item, 13 in a recent-files menu).
#pragma once

#include <QPixmap>

class QMenu;

namespace vombrel {

inline constexpr int kMenuMargin = 21;
inline constexpr int kMenuImageCheck = 11;
inline constexpr int kMenuImageRecent = 13;

// Draws `menu` this way from now on. `recentFiles`: its items are recent files (image 13).
void InstallMenuDrawing(QMenu* menu, bool recentFiles = false);

// The 12 × 12 menu image of an index (0 play, 1 previous, 2 next, 3 pause, 4 stop, 5 add,
// 6 hide, 7 exit, 8 colours, 9 options, 10 volume, 11 check, 12 CD, 13 playlist); null
// for any other index.
QPixmap MenuImage(int index);

}  // namespace vombrel
