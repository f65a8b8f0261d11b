#include "platform/Mimeappslist.h"

#include <optional>
#include <vector>

namespace vombrel {

namespace {

// One line of the file without its "\n"; a "\r" before it stays part of the line.
struct Line {
  std::string text;
  bool hasNewline = true;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.push_back({std::string(text.substr(start)), false});
      break;
    }
    lines.push_back({std::string(text.substr(start, end - start)), true});
    start = end + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line.text;
    if (line.hasNewline) text += '\n';
  }
  return text;
}

// The group a header line opens, or nullopt for any other line.
std::optional<std::string> GroupOf(std::string_view line) {
  const std::string_view trimmed = TrimView(line);
  if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return std::nullopt;
  return std::string(trimmed.substr(1, trimmed.size() - 2));
}

struct KeyLine {
  std::string key;
  StringList ids;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  const std::string_view trimmed = TrimView(line);
  if (trimmed.empty() || trimmed.front() == '#') return std::nullopt;
  const auto equals = trimmed.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  KeyLine result{Trim(trimmed.substr(0, equals)), {}};
  for (const auto& id : SplitText(trimmed.substr(equals + 1), ";"))
    if (!Trim(id).empty()) result.ids.push_back(Trim(id));
  return result;
}

std::string FormatKeyLine(const std::string& key, const StringList& ids, bool carriageReturn) {
  std::string text = key + "=";
  for (const auto& id : ids) text += id + ";";
  if (carriageReturn) text += '\r';
  return text;
}

bool EndsWithCarriageReturn(const std::string& text) { return !text.empty() && text.back() == '\r'; }

// Calls edit(index, keyLine) for every key line inside groups named `group`.
template <typename Edit>
void ForEachKeyLine(std::vector<Line>& lines, std::string_view group, Edit edit) {
  bool inside = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = GroupOf(lines[i].text)) {
      inside = *name == group;
      continue;
    }
    if (!inside) continue;
    if (auto keyLine = ParseKeyLine(lines[i].text)) edit(i, *keyLine);
  }
}

// The line after the last key line of the first group named `group`; nullopt without one.
std::optional<std::size_t> EndOfFirstGroup(const std::vector<Line>& lines, std::string_view group) {
  std::optional<std::size_t> end;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = GroupOf(lines[i].text)) {
      if (end) break;
      if (*name == group) end = i + 1;
      continue;
    }
    if (end && !TrimView(lines[i].text).empty()) end = i + 1;
  }
  return end;
}

bool UsesCarriageReturns(const std::vector<Line>& lines) {
  return !lines.empty() && lines.front().hasNewline && EndsWithCarriageReturn(lines.front().text);
}

}  // namespace

std::string WithDefaultApplication(std::string_view text, const StringList& mimeTypes, std::string_view desktopId) {
  std::vector<Line> lines = SplitLines(text);
  const bool crlf = UsesCarriageReturns(lines);
  for (const auto& type : mimeTypes) {
    bool found = false;
    ForEachKeyLine(lines, kDefaultApplicationsGroup, [&](std::size_t i, KeyLine& keyLine) {
      if (!SameText(keyLine.key, type)) return;
      found = true;
      StringList ids{std::string(desktopId)};
      for (auto& id : keyLine.ids)
        if (id != desktopId) ids.push_back(std::move(id));
      lines[i].text = FormatKeyLine(keyLine.key, ids, EndsWithCarriageReturn(lines[i].text));
    });
    if (found) continue;
    auto at = EndOfFirstGroup(lines, kDefaultApplicationsGroup);
    if (!at) {
      if (!lines.empty() && !lines.back().hasNewline) lines.back().hasNewline = true;
      lines.push_back({std::string("[") + std::string(kDefaultApplicationsGroup) + "]" + (crlf ? "\r" : ""), true});
      at = lines.size();
    }
    // The line before the new one must end, or the two would run together.
    if (*at > 0) lines[*at - 1].hasNewline = true;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*at),
                 {FormatKeyLine(type, {std::string(desktopId)}, crlf), true});
  }
  return JoinLines(lines);
}

std::string WithoutDesktopIds(std::string_view text, std::string_view group,
                              const std::function<bool(std::string_view desktopId)>& ours) {
  std::vector<Line> lines = SplitLines(text);
  std::vector<bool> drop(lines.size(), false);
  ForEachKeyLine(lines, group, [&](std::size_t i, KeyLine& keyLine) {
    StringList kept;
    for (auto& id : keyLine.ids)
      if (!ours(id)) kept.push_back(std::move(id));
    if (kept.size() == keyLine.ids.size()) return;  // nothing of ours: the line stays as it is
    if (kept.empty())
      drop[i] = true;
    else
      lines[i].text = FormatKeyLine(keyLine.key, kept, EndsWithCarriageReturn(lines[i].text));
  });
  std::vector<Line> result;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!drop[i]) result.push_back(std::move(lines[i]));
  return JoinLines(result);
}

}  // namespace vombrel
