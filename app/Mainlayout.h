// Geometry of the main window as designed: a borderless 252 x 322 client area with the
// tag panel open, 187 pixels less with it folded (the panel's 184 and a 3-pixel gap).
// The end-to-end tests click the buttons at these places.
#pragma once

#include <QRect>

namespace vombrel::mainlayout {

inline constexpr int kWidth = 252;
inline constexpr int kHeightWithTags = 322;
inline constexpr int kTagsBoxHeight = 184;
inline constexpr int kTagsGap = 3;
inline constexpr int kHeightWithoutTags = kHeightWithTags - kTagsBoxHeight - kTagsGap;

inline constexpr QRect kTitleBar{0, 0, kWidth, 16};
inline constexpr QRect kButtonMinimize{218, 2, 14, 12};
inline constexpr QRect kButtonClose{235, 2, 14, 12};
inline constexpr QRect kTitlePanel{3, 19, 200, 20};
inline constexpr QRect kButtonAddToPlaylist{206, 19, 20, 20};
inline constexpr QRect kButtonPlaylist{229, 19, 20, 20};
inline constexpr QRect kRollTags{3, 41, 246, 6};
inline constexpr int kTagsBoxTop = 48;
// The tag panel's columns: the labels, then the framed fields. The labels' column grows
// with the widest caption of the language, up to a limit.
inline constexpr int kTagLabelLeft = 6;
inline constexpr int kTagFieldLeft = 68;
inline constexpr int kTagLabelMaxWidth = 110;

// The lower area (information row, bars, buttons) starts below the tag box; its rows are
// given relative to that top.
inline constexpr int kLowerAreaHeight = 87;
inline constexpr QRect kInfoRow{3, 2, 246, 28};
inline constexpr QRect kPositionFrame{3, 33, 246, 11};
inline constexpr QRect kVolumeFrame{3, 47, 246, 11};
inline constexpr int kButtonRowTop = 62;
inline constexpr int kButtonWidth = 32;
inline constexpr int kButtonHeight = 22;
inline constexpr int kButtonGap = 3;
inline constexpr int kButtonRowLeft = 5;
// The arrows of a bar lie outside its frame: the bar sits this far left of the frame and
// is twice as much wider.
inline constexpr int kBarArrowOverhang = 16;

// The button row's order.
enum class RowButton { Play, Prev, Next, Pause, Stop, Rec, Splash };

inline constexpr QRect ButtonRect(RowButton button, bool tagsOpen) {
  const int top = kTagsBoxTop + (tagsOpen ? kTagsBoxHeight + kTagsGap : 0) + kButtonRowTop;
  return QRect(kButtonRowLeft + static_cast<int>(button) * (kButtonWidth + kButtonGap), top, kButtonWidth,
               kButtonHeight);
}

}  // namespace vombrel::mainlayout
