#include "platform/Desktopentry.h"

#include <cstdint>

namespace vombrel {

namespace {

constexpr std::size_t kMaxComponent = 120;
constexpr std::size_t kKeptPrefix = 100;

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    uint32_t code = length == 1 ? c : c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      code = (code << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += length;
  }
  return true;
}

uint64_t Fnv1a(std::string_view text) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string Hex(uint64_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
  return text;
}

bool IsKeptInFileName(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

}  // namespace

bool IsOneLineText(std::string_view text) {
  if (text.empty() || !IsValidUtf8(text)) return false;
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

bool IsUsableExtension(std::string_view ext) { return IsOneLineText(ext) && ext.find('/') == std::string_view::npos; }

std::string FileNameComponent(std::string_view text) {
  std::string piece;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsKeptInFileName(c) && !(i == 0 && c == '.'))
      piece += c;
    else
      piece += "_" + Hex(static_cast<unsigned char>(c), 2);
  }
  if (piece.size() > kMaxComponent) piece = piece.substr(0, kKeptPrefix) + "_" + Hex(Fnv1a(text), 16);
  return piece;
}

std::string QuoteExecArgument(std::string_view argument, bool alwaysQuote) {
  static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  bool quote = alwaysQuote || argument.empty();
  for (const char c : argument) quote = quote || kReserved.find(c) != std::string_view::npos;
  std::string text = quote ? "\"" : "";
  for (const char c : argument) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) text += '\\';
    text += c;
    if (c == '%') text += '%';
  }
  if (quote) text += '"';
  return text;
}

std::string EscapeDesktopValue(std::string_view value) {
  std::string text;
  for (const char c : value) {
    switch (c) {
      case '\\': text += "\\\\"; break;
      case '\n': text += "\\n"; break;
      case '\r': text += "\\r"; break;
      case '\t': text += "\\t"; break;
      default: text += c;
    }
  }
  return text;
}

std::string EscapeXml(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string LiteralExtensionGlob(std::string_view ext) {
  std::string glob = "*.";
  for (const char c : ext) {
    if (c == '*' || c == '?' || c == '[')
      glob += std::string("[") + c + "]";
    else
      glob += c;
  }
  return glob;
}

}  // namespace vombrel
