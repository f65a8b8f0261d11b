#include "app/Mainlogic.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "support/Supportfiles.h"

namespace vombrel {

std::string FormatTime(int32_t milliseconds) {
  const int32_t seconds = std::max(milliseconds, 0) / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d.%02d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
  return text;
}

std::string BuildOpenFilter(const StringList& associations) {
  std::string description = "Media files (";
  std::string patterns;
  std::string each;
  for (const std::string& extension : associations) {
    const std::string upper = UpperCase(extension);
    description += "*." + extension + ";";
    patterns += "*." + upper + ";";
    each += extension + " file (*." + upper + ")|*." + upper + "|";
  }
  return description + ")|" + patterns + "|" + each + "All types (*.*)|*.*";
}

namespace {

// The media files the built-in engine plays with the decoders of an ordinary desktop.
constexpr std::string_view kPlayableExtensions[] = {"MP3", "MP2",  "OGG", "OGA", "OPUS", "WMA",  "WAV",
                                                    "APE", "FLAC", "AAC", "M4A", "AVI",  "MPEG", "MPG",
                                                    "VOB", "WMV",  "MOV", "MP4", "MKV",  "WEBM"};

// "*.MP3" -> "*.[mM][pP]3": letters match in either case.
std::string CaseInsensitiveWildcard(std::string_view wildcard) {
  std::string result;
  for (const char c : wildcard) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalpha(u) && u < 0x80) {
      result += '[';
      result += static_cast<char>(std::tolower(u));
      result += static_cast<char>(std::toupper(u));
      result += ']';
    } else {
      result += c;
    }
  }
  return result;
}

// The description without a trailing "(...)" group, which the dialog would otherwise
// take for the patterns.
std::string DescriptionWithoutPatternGroup(std::string_view description) {
  std::string text = Trim(description);
  if (!text.empty() && text.back() == ')') {
    const auto open = text.rfind('(');
    if (open != std::string::npos) text = Trim(std::string_view(text).substr(0, open));
  }
  return text;
}

}  // namespace

std::vector<std::string> OpenFilterToNameFilters(std::string_view filter) {
  const StringList parts = SplitText(filter, "|");
  std::vector<std::string> nameFilters;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string wildcards;
    for (const std::string& wildcard : SplitText(parts[i + 1], ";")) {
      if (wildcard.empty()) continue;
      if (!wildcards.empty()) wildcards += ' ';
      wildcards += wildcard == "*.*" ? std::string("*") : CaseInsensitiveWildcard(wildcard);
    }
    // A pair without any wildcard (the media files while no extension is associated)
    // shows the files the program plays.
    if (wildcards.empty()) {
      for (const std::string_view extension : kPlayableExtensions) {
        if (!wildcards.empty()) wildcards += ' ';
        wildcards += CaseInsensitiveWildcard("*." + std::string(extension));
      }
    }
    nameFilters.push_back(DescriptionWithoutPatternGroup(parts[i]) + " (" + wildcards + ")");
  }
  return nameFilters;
}

namespace {

std::optional<ShellCommand> ParseSwitchCommand(std::string_view argument, std::string_view folder) {
  const std::string_view rest = argument.substr(1);
  const auto colon = rest.find(':');
  if (colon == std::string_view::npos) return std::nullopt;  // a plain switch: not dispatched
  ShellCommand result;
  result.command = std::string(rest.substr(0, colon));
  std::string_view fileAndOption = rest.substr(colon + 1);
  const bool wholeIsFile = (!fileAndOption.empty() && fileAndOption.front() == '/') ||
                           (!fileAndOption.empty() && FileExists(AbsoluteFileArgument(fileAndOption, folder)));
  if (!wholeIsFile) {
    // The option follows the file after "/" (or after "-" when no "/" is in the rest).
    auto optionStart = fileAndOption.find('/');
    if (optionStart == std::string_view::npos) optionStart = fileAndOption.find('-');
    if (optionStart != std::string_view::npos) {
      result.option = std::string(fileAndOption.substr(optionStart + 1));
      fileAndOption = fileAndOption.substr(0, optionStart);
    }
  }
  result.file = AbsoluteFileArgument(fileAndOption, folder);
  return result;
}

}  // namespace

std::vector<ShellCommand> WalkCommandLine(const std::vector<std::string>& arguments, std::string_view folder) {
  std::vector<ShellCommand> commands;
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
    if (IsSwitchArgument(*it)) {
      if (auto command = ParseSwitchCommand(*it, folder)) commands.push_back(std::move(*command));
    } else {
      commands.push_back({"Open", AbsoluteFileArgument(*it, folder), ""});
    }
  }
  return commands;
}

std::optional<int32_t> VolumeFromMenuCaption(std::string_view caption) {
  if (caption.empty()) return std::nullopt;
  const auto percentage = ParseInteger(caption.substr(0, caption.size() - 1));
  if (!percentage || *percentage < 0 || *percentage > 100) return std::nullopt;
  // Extended precision, as the designed values 52427, 39320, 26213, 13106 depend on it.
  const long double value = static_cast<long double>(*percentage) * 0.01L * 65535.0L;
  return static_cast<int32_t>(value);
}

std::optional<int32_t> VolumeUpTarget(int32_t position, int32_t step) {
  if (position >= kVolumeMaximum) return std::nullopt;
  return std::min(position + step, kVolumeMaximum);
}

std::optional<int32_t> VolumeDownTarget(int32_t position, int32_t step) {
  if (position <= 0) return std::nullopt;
  return std::max(position - step, 0);
}

int32_t PositionPercent(int32_t position, int32_t length) {
  if (length == 0) return 0;
  const long double share = static_cast<long double>(static_cast<float>(position)) / length * 100.0L;
  return static_cast<int32_t>(std::clamp(share, 0.0L, 100.0L));
}

int32_t SeekTarget(int32_t length, int32_t percent) {
  return static_cast<int32_t>(static_cast<long double>(length) * (percent * 0.01L));
}

std::string TrayTooltipText(std::string_view artist, std::string_view title, std::string_view displayName,
                            std::string_view total) {
  if (!Trim(artist).empty() && !Trim(title).empty())
    return std::string(artist) + " - " + std::string(title) + " (" + std::string(total) + ")";
  return std::string(displayName) + " (" + std::string(total) + ")";
}

}  // namespace vombrel
