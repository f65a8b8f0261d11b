#include "Supportstring.h"

#include <cctype>
#include <limits>

namespace vombrel {

std::string LeftOf(std::string_view text, std::string_view separator, bool wholeIfMissing) {
  const auto at = separator.empty() ? std::string_view::npos : text.find(separator);
  if (at == std::string_view::npos) return wholeIfMissing ? std::string(text) : std::string();
  return std::string(text.substr(0, at));
}

std::string RightOf(std::string_view text, std::string_view separator) {
  const auto at = separator.empty() ? std::string_view::npos : text.find(separator);
  if (at == std::string_view::npos) return {};
  return std::string(text.substr(at + separator.size()));
}

StringList SplitText(std::string_view text, std::string_view separator, bool trimLast) {
  StringList pieces;
  if (separator.empty()) {
    if (!text.empty()) pieces.emplace_back(trimLast ? Trim(text) : std::string(text));
    return pieces;
  }
  std::size_t start = 0;
  for (auto at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
    pieces.emplace_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  // The tail counts only when the text does not end with the separator.
  if (start < text.size()) {
    const auto tail = text.substr(start);
    pieces.emplace_back(trimLast ? Trim(tail) : std::string(tail));
  }
  return pieces;
}

std::string SplitToLines(std::string_view text, std::string_view separator) {
  std::string joined;
  bool first = true;
  for (const auto& piece : SplitText(text, separator)) {
    if (!first) joined += "\r\n";
    joined += piece;
    first = false;
  }
  return joined;
}

namespace {

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::optional<int32_t> ParseInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16, ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16, i += 2;
  }
  if (i == text.size()) return std::nullopt;
  // Magnitude in 64 bits, stopped as soon as it leaves the 32-bit range.
  const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

int32_t StrToIntDefault(std::string_view text, int32_t defaultValue) {
  return ParseInteger(text).value_or(defaultValue);
}

int32_t StrToInt(std::string_view text) {
  if (auto value = ParseInteger(text)) return *value;
  throw ConversionError(FormatText("'%s' is not a valid integer value", text));
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (auto& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string_view TrimView(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::string ExtractFileExt(std::string_view path) {
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos) return {};
  const auto slash = path.rfind('/');
  if (slash != std::string_view::npos && slash > dot) return {};
  return std::string(path.substr(dot));
}

std::string ExtractFileName(std::string_view path) {
  const auto slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFilePath(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string FormatText(std::string_view pattern, std::string_view argument) {
  std::string out(pattern);
  if (const auto at = out.find("%s"); at != std::string::npos) out.replace(at, 2, argument);
  return out;
}

}  // namespace vombrel
