// Text policy: UTF-8 inside the program. Text files that are not valid UTF-8 were saved
// in Windows-1252 and are decoded as such; writers that need the 8-bit code page (ID3v1
// tags) encode to Windows-1252. Lines break at CR, LF and CR LF; writers use CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vombrel {

bool IsValidUtf8(std::string_view bytes);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// Windows-1252 bytes to UTF-8 (the five unassigned bytes map to the C1 controls).
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252; a character the code page cannot hold becomes "?". Invalid
// UTF-8 sequences are taken as Windows-1252 bytes already.
std::string Utf8ToWindows1252(std::string_view text);

// A file's bytes as UTF-8 text: unchanged when valid UTF-8 (a leading byte-order mark is
// dropped), otherwise decoded as Windows-1252.
std::string DecodeText(std::string_view bytes);

// Lines broken at CR LF, CR or LF. A line break at the very end does not start another
// (empty) line.
std::vector<std::string> SplitLines(std::string_view text);

// Lines each followed by CR LF.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace vombrel
