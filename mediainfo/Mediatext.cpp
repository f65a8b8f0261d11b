#include "mediainfo/Mediatext.h"

#include <cmath>

#include "support/Supportstring.h"
#include "support/Textcodec.h"

namespace vombrel {
namespace {

// Start of an incomplete UTF-8 sequence at the very end of `bytes`, or its size.
std::size_t IncompleteTailStart(std::string_view bytes) {
  const std::size_t n = bytes.size();
  for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
    const auto b = static_cast<unsigned char>(bytes[n - back]);
    if ((b & 0xC0) == 0x80) continue;  // continuation byte: look further back
    const std::size_t needed = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
    return needed > back ? n - back : n;
  }
  return n;
}

}  // namespace

std::string_view CutAtZero(std::string_view bytes) {
  const auto zero = bytes.find('\0');
  return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}

std::string_view TrimRightBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  auto unitAt = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (char32_t{a} << 8 | b) : (char32_t{b} << 8 | a);
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char32_t unit = unitAt(i);
    if (unit == 0) break;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? char32_t{0xFFFD} : unit);
  }
  return out;
}

std::string Utf8Text(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  const auto whole = bytes.substr(0, IncompleteTailStart(bytes));
  if (IsValidUtf8(whole)) return std::string(whole);
  return Windows1252ToUtf8(bytes);
}

std::optional<int32_t> ParseDecimal(std::string_view text) {
  // The program's integer rule, without its hexadecimal forms.
  for (const char c : text) {
    if (c == '$' || c == 'x' || c == 'X') return std::nullopt;
  }
  return ParseInteger(text);
}

int64_t RoundHalfEven(double value) {
  // The default floating-point rounding mode rounds halves to even.
  if (!std::isfinite(value) || std::fabs(value) > 9.0e18) return 0;
  return static_cast<int64_t>(std::nearbyint(value));
}

}  // namespace vombrel
