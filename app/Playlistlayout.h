// Geometry of the playlist window as designed: a borderless 252 x 455 client area under
// a 16-pixel title bar. The end-to-end tests click and drag at these places.
#pragma once

namespace vombrel::playlistlayout {

inline constexpr int kWidth = 252;
inline constexpr int kHeight = 455;
inline constexpr int kTitleHeight = 16;
inline constexpr int kResizerSide = 5;
// The band at the top and bottom of the list where a double click plays nothing.
inline constexpr int kDoubleClickBand = 12;
// The close button's left edge lies this far from the title bar's right end.
inline constexpr int kCloseFromRight = 17;

}  // namespace vombrel::playlistlayout
