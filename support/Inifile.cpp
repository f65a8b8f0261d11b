#include "Inifile.h"

#include <sys/stat.h>

#include <cerrno>
#include <mutex>

#include "Supportfiles.h"
#include "Textcodec.h"

namespace vombrel {
namespace {

// The section name when the line is a header "[name]" (blanks around it allowed);
// a "[" without a closing "]" is not a header.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view trimmed = TrimView(line);
  if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
  const auto close = trimmed.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return TrimView(trimmed.substr(1, close - 1));
}

// The key of a value line; comments (";") and blank lines have none.
std::optional<std::string_view> KeyName(std::string_view line) {
  const std::string_view key = TrimView(line.substr(0, line.find('=')));
  if (key.empty() || key.front() == ';') return std::nullopt;
  return key;
}

// Calls visit(lineIndex, key) for every value line of every section of that name, in
// file order, until visit returns true. Lines is a vector of std::string or string_view.
template <typename Lines, typename Visit>
void ForEachKey(const Lines& lines, std::string_view section, Visit visit) {
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (!line.empty() && static_cast<unsigned char>(line.front()) > ' ' && line.front() != '[') {
      // The common case, a value line starting with its key: no header test needed.
      if (auto key = inSection ? KeyName(line) : std::nullopt; key && visit(i, *key)) return;
      continue;
    }
    if (auto name = SectionName(line)) {
      inSection = SameText(*name, section);
      continue;
    }
    if (!inSection) continue;
    if (auto key = KeyName(line); key && visit(i, *key)) return;
  }
}

template <typename Lines>
std::optional<std::size_t> FindKey(const Lines& lines, std::string_view section, std::string_view key) {
  std::optional<std::size_t> found;
  ForEachKey(lines, section, [&](std::size_t i, std::string_view name) {
    if (SameText(name, key)) found = i;
    return found.has_value();
  });
  return found;
}

std::string WriteErrorText(const std::string& path) { return FormatText("Unable to write to %s", path); }

// The file decoded, with its lines as views into the text: what every read works on.
struct IniView {
  std::string text;
  std::vector<std::string_view> lines;

  static IniView Parse(const std::optional<std::string>& bytes) {
    IniView ini;
    if (bytes) ini.text = DecodeText(*bytes);
    const std::string_view text = ini.text;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\r' && text[i] != '\n') continue;
      ini.lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
    if (start < text.size()) ini.lines.push_back(text.substr(start));
    return ini;
  }
};

// The file's lines as text to change: what every write works on. Lines are kept verbatim
// so that a rewrite changes only the line it must.
struct IniLines {
  std::vector<std::string> lines;

  // A missing file is an empty one; a file that is there but cannot be read fails the
  // write, which would otherwise replace the file's keys by the one being written.
  static IniLines Parse(const std::optional<std::string>& bytes, int error, const std::string& path) {
    IniLines ini;
    if (bytes) {
      ini.lines = SplitLines(DecodeText(*bytes));
    } else if (error != ENOENT) {
      throw IniWriteError(WriteErrorText(path));
    }
    return ini;
  }

  // Index after the last line of the first section of that name (before trailing blank
  // lines), or nullopt when the section does not exist.
  std::optional<std::size_t> SectionEnd(std::string_view section) const {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const auto name = SectionName(lines[i]);
      if (!name || !SameText(*name, section)) continue;
      std::size_t last = i;
      for (std::size_t k = i + 1; k < lines.size() && !SectionName(lines[k]); ++k) {
        if (!TrimView(lines[k]).empty()) last = k;
      }
      return last + 1;
    }
    return std::nullopt;
  }

  void Set(std::string_view section, std::string_view key, std::string_view value) {
    if (auto at = FindKey(lines, section, key)) {
      // The key keeps its place and its spelling; only the value changes.
      lines[*at] = std::string(*KeyName(lines[*at])) + "=" + std::string(value);
    } else if (auto end = SectionEnd(section)) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*end), std::string(key) + "=" + std::string(value));
    } else {
      lines.push_back("[" + std::string(section) + "]");
      lines.push_back(std::string(key) + "=" + std::string(value));
    }
  }
};

// Line breaks inside a value would split it into lines of their own (and could forge
// other keys): they are written as blanks.
std::string SingleLine(std::string_view value) {
  std::string line(value);
  for (auto& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

std::string StoredValue(std::string_view line) {
  std::string value = Trim(RightOf(line, "="));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  // At most 2047 characters; the cut never splits a UTF-8 sequence.
  std::size_t characters = 0;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if ((static_cast<unsigned char>(value[i]) & 0xC0) == 0x80) continue;
    if (++characters > IniFile::kMaxValueLength) {
      value.resize(i);
      break;
    }
  }
  return value;
}

}  // namespace

struct IniFile::ReadCache {
  std::mutex mutex;
  bool valid = false;
  struct stat status {};
  std::string bytes;
};

namespace {

bool SameFileState(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)), cache_(std::make_shared<ReadCache>()) {}

IniFile IniFile::InMemory(std::string bytes) {
  IniFile ini("");
  ini.inMemory_ = true;
  ini.memory_ = std::move(bytes);
  return ini;
}

std::optional<std::string> IniFile::LoadBytes(int* error) const {
  if (inMemory_) return memory_;
  // The status is taken before the read: a file replaced in between is read again next
  // time, never kept with the status of another.
  struct stat before {};
  const bool known = stat(path_.c_str(), &before) == 0 && S_ISREG(before.st_mode);
  std::lock_guard lock(cache_->mutex);
  if (known && cache_->valid && SameFileState(cache_->status, before)) return cache_->bytes;
  std::optional<std::string> bytes = ReadFileBytes(path_, error);
  cache_->valid = known && bytes.has_value();
  if (cache_->valid) {
    cache_->status = before;
    cache_->bytes = *bytes;
  }
  return bytes;
}

void IniFile::StoreBytes(const std::string& bytes) {
  if (inMemory_) {
    memory_ = bytes;
    return;
  }
  ForceDirectories(ExtractFilePath(path_));
  if (!WriteFileAtomically(path_, bytes)) throw IniWriteError(WriteErrorText(path_));
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
  const IniView ini = IniView::Parse(LoadBytes());
  const auto at = FindKey(ini.lines, section, key);
  if (!at) return std::nullopt;
  return StoredValue(ini.lines[*at]);
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  int error = 0;
  const auto bytes = LoadBytes(&error);
  IniLines ini = IniLines::Parse(bytes, error, path_);
  ini.Set(section, key, SingleLine(value));
  StoreBytes(JoinLinesCrLf(ini.lines));
}

void IniFile::WriteMany(std::string_view section, const std::vector<std::pair<std::string, std::string>>& values) {
  int error = 0;
  const auto bytes = LoadBytes(&error);
  IniLines ini = IniLines::Parse(bytes, error, path_);
  for (const auto& [key, value] : values) ini.Set(section, key, SingleLine(value));
  StoreBytes(JoinLinesCrLf(ini.lines));
}

StringList IniFile::ReadSection(std::string_view section) const {
  const IniView ini = IniView::Parse(LoadBytes());
  StringList keys;
  ForEachKey(ini.lines, section, [&](std::size_t, std::string_view key) {
    keys.emplace_back(key);
    return false;
  });
  return keys;
}

StringList IniFile::ReadSectionNames() const {
  const IniView ini = IniView::Parse(LoadBytes());
  StringList names;
  for (const auto line : ini.lines) {
    if (auto name = SectionName(line)) names.emplace_back(*name);
  }
  return names;
}

}  // namespace vombrel
