// Texts of the desktop files the program writes: file names made from what a user typed,
// Exec command lines and string values of desktop entries, MIME package XML. Pure
// functions, callable from any thread.
#pragma once

#include <string>
#include <string_view>

#include "support/Supportstring.h"

namespace vombrel {

// Text that fits one value of a desktop entry: not empty, valid UTF-8, no NUL or other
// control characters.
bool IsOneLineText(std::string_view text);
// An extension the association operations act on: one-line text without "/" (no file
// name can carry another one).
bool IsUsableExtension(std::string_view ext);

// A piece of a file name made from any text: ASCII letters, digits, "." and "-" stay,
// every other byte becomes "_" and two upper-case hexadecimal digits (so "a b" gives
// "a_20b" and "../x" gives ".._2Fx"). Different texts give different pieces. A piece
// longer than 120 bytes keeps its first 100 and ends with "_" and a 16-digit hash of the
// whole text; a leading "." becomes "_2E", so no piece is "." or "..".
std::string FileNameComponent(std::string_view text);

// One argument of an Exec line: quoted when it holds a blank or any character the
// desktop entry format reserves, with "\"", "`", "$" and "\\" escaped inside the quotes;
// "%" doubled. The result still needs EscapeDesktopValue for the file.
std::string QuoteExecArgument(std::string_view argument, bool alwaysQuote = false);

// A string value of a desktop entry: "\\" doubled, line feed, carriage return and tab
// written as "\n", "\r", "\t".
std::string EscapeDesktopValue(std::string_view value);

// Text for XML character data and attribute values.
std::string EscapeXml(std::string_view text);

// A shared-mime-info glob matching the extension literally: "*." followed by the
// extension, with "*", "?" and "[" put inside brackets.
std::string LiteralExtensionGlob(std::string_view ext);

}  // namespace vombrel
