// Small text helpers shared by the windows, the language files and the colour schemes.
// Positions count from 1 in the original design; here every function works on whole
// std::string values (UTF-8), and separators compare exactly, with case.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vombrel {

using StringList = std::vector<std::string>;

// Text before the first occurrence of `separator`. When it does not occur: the whole
// text if `wholeIfMissing`, otherwise empty.
std::string LeftOf(std::string_view text, std::string_view separator, bool wholeIfMissing = false);

// Text after the first occurrence of `separator`; empty when it does not occur.
std::string RightOf(std::string_view text, std::string_view separator);

// Pieces between occurrences of `separator` (a single character, which may be a
// multi-byte UTF-8 sequence such as "§"). The last piece is added only when the text is
// not empty and does not end with the separator; with `trimLast` it is added trimmed.
StringList SplitText(std::string_view text, std::string_view separator, bool trimLast = false);

// The pieces of SplitText joined by CR LF, without a line break after the last piece.
std::string SplitToLines(std::string_view text, std::string_view separator);

// The program's one integer-text rule: optional leading blanks, optional sign, then
// decimal digits or hexadecimal digits after "$", "x" or "0x" (either case). Anything
// else, a trailing blank included, or a value outside the signed 32-bit range, makes the
// text invalid.
std::optional<int32_t> ParseInteger(std::string_view text);

// Lenient conversion: the default when the text is not a valid integer.
int32_t StrToIntDefault(std::string_view text, int32_t defaultValue = 0);

// Strict conversion: throws ConversionError "'<text>' is not a valid integer value".
struct ConversionError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
int32_t StrToInt(std::string_view text);

// Case-insensitive comparison of ASCII letters (section, key and extension names).
bool SameText(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view text);  // ASCII letters only
std::string Trim(std::string_view text);       // blanks and control characters (<= ' ')
std::string_view TrimView(std::string_view text);

// Extension of a path: the text from the last "." after the last "/" ("" when none).
std::string ExtractFileExt(std::string_view path);
// File name without its folder.
std::string ExtractFileName(std::string_view path);
// Folder of a path including its trailing "/" ("" when none).
std::string ExtractFilePath(std::string_view path);

// "%s"-style formatting of one text argument, as the message texts use it.
std::string FormatText(std::string_view pattern, std::string_view argument);

}  // namespace vombrel
