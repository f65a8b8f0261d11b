// Rules of the main window that need no window: time texts, the open dialog's filter,
// the command-line walk, volume arithmetic and the tray tooltip text. Functions without
// state, callable from any thread (the command-line walk looks at the file system).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Programarguments.h"
#include "support/Supportstring.h"

namespace vombrel {

// Hours.minutes.seconds of a time in milliseconds: "%d.%02d.%02d" of H, M, S where
// s = ms / 1000 (integer division). 3725000 gives "1.02.05". Negative times (an engine
// that reports garbage) are shown as 0.00.00 rather than as minus signs in the fields.
std::string FormatTime(int32_t milliseconds);

// The elapsed-time text shown while nothing plays.
inline constexpr std::string_view kNoTimeText = "-.--.--";

// The dialog filter text "desc|pattern|desc|pattern..." built from the associated
// extensions in list order: "Media files (*.mp3;*.ogg;)|*.MP3;*.OGG;|mp3 file (*.MP3)|
// *.MP3|ogg file (*.OGG)|*.OGG|All types (*.*)|*.*".
std::string BuildOpenFilter(const StringList& associations);

// The same filter as name filters for a file dialog: one entry per pair, the description
// without its own trailing "(...)" group, followed by the pattern's wildcards between
// parentheses and separated by blanks. Each wildcard is made to match without regard to
// letter case ("*.MP3" becomes "*.[mM][pP]3"), since the filter was meant for a file
// system that ignores case. An empty pattern (the media files while no extension is
// associated) gives the media files the program plays.
std::vector<std::string> OpenFilterToNameFilters(std::string_view filter);

// One command taken from the command line.
struct ShellCommand {
  std::string command;  // "Open" for a plain argument
  std::string file;
  std::string option;
  bool operator==(const ShellCommand&) const = default;
};

// The program's arguments (without the program name) walked from the last to the first:
// "/cmd:file" or "-cmd:file", optionally followed by "/option" (or "-option" when the
// rest holds no "/"), give (cmd, file, option); an argument that is no switch gives
// ("Open", argument, ""); a switch without ":" gives nothing. When the text after the ":"
// is an absolute path or names an existing file, it is the file whole: paths start with
// "/" and file names often hold "-", so the option split applies only otherwise. Every
// file comes back as an absolute path (AbsoluteFileArgument against `folder`).
std::vector<ShellCommand> WalkCommandLine(const std::vector<std::string>& arguments, std::string_view folder);

// The volume value of a volume menu item ("100%" ... "0%"): the caption without its last
// character as an integer percentage, times 0.01 times 65535, truncated; 80 gives 52427.
// Captions that are not a percentage give nullopt.
std::optional<int32_t> VolumeFromMenuCaption(std::string_view caption);

// The volume after a step up or down from the bar's position, or nullopt when the bar is
// already at its end and nothing is to be set.
std::optional<int32_t> VolumeUpTarget(int32_t position, int32_t step);
std::optional<int32_t> VolumeDownTarget(int32_t position, int32_t step);
inline constexpr int32_t kWheelVolumeStep = 6553;
inline constexpr int32_t kVolumeMaximum = 65535;

// The position bar's percentage: the integer part of position / length x 100, the
// position first taken in single precision. Clamped to 0..100 for engines that report a
// position beyond the length.
int32_t PositionPercent(int32_t position, int32_t length);

// The seek target of a bar percentage: the integer part of length x (percent x 0.01).
int32_t SeekTarget(int32_t length, int32_t percent);

// The tray tooltip: "artist - title (total)" when artist and title, trimmed, are both
// non-empty (the untrimmed texts are used), else "name (total)".
std::string TrayTooltipText(std::string_view artist, std::string_view title, std::string_view displayName,
                            std::string_view total);

}  // namespace vombrel
