// Text and number rules shared by the tag readers: how tag bytes become UTF-8 text, how
// track texts become numbers, and the rounding the duration formulas use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vombrel {

// The bytes before the first 0x00 (all of them when there is none).
std::string_view CutAtZero(std::string_view bytes);

// Without trailing characters at or below the space character.
std::string_view TrimRightBlanks(std::string_view text);

// UTF-16 code units (little- or big-endian) as UTF-8, up to the first zero unit. An odd
// last byte is ignored; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// Bytes that should be UTF-8 (Vorbis comments): kept when valid, an incomplete sequence
// cut off at the end is dropped, anything else is taken as Windows-1252.
std::string Utf8Text(std::string_view bytes);

// A decimal integer: optional leading blanks, optional sign, decimal digits, nothing
// after them; nullopt otherwise or outside the signed 32-bit range.
std::optional<int32_t> ParseDecimal(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour.
int64_t RoundHalfEven(double value);

}  // namespace vombrel
