// The tray menu's small rules, free of widgets so that tables can test them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vombrel {

// The volume item marked for the volume bar's position (0..65535): the nearest fifth,
// halves rounding down ("80%" for 52427, "0%" for 6553).
inline const char* VolumeMarkCaption(int32_t position) {
  if (position > 58981) return "100%";
  if (position > 45874) return "80%";
  if (position > 32767) return "60%";
  if (position > 19660) return "40%";
  if (position > 6553) return "20%";
  return "0%";
}

// "Tracce" lists up to this many entries itself; a longer playlist is shown in blocks of
// this many entries, one submenu each, whose items are made when the block opens (a menu
// of 100,000 items would take seconds to build and could not be scrolled through anyway).
inline constexpr int32_t kTracksPerBlock = 500;

// The current track's notification: the title cut to 63 characters, the text
// "artist - title (duration)" cut to 255.
inline constexpr int kBalloonTitleLength = 63;
inline constexpr int kBalloonTextLength = 255;

// A menu caption that shows `text` literally: "&" doubled (no accelerator) and tabs,
// which would start a shortcut column, shown as spaces.
inline std::string LiteralMenuCaption(std::string_view text) {
  std::string caption;
  caption.reserve(text.size());
  for (char c : text) {
    if (c == '&')
      caption += "&&";
    else if (c == '\t')
      caption += ' ';
    else
      caption += c;
  }
  return caption;
}

}  // namespace vombrel
