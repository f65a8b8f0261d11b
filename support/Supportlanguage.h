// Language files and the message table.
//
// A language file ("<program folder>/Langs/<name>.lng") holds two kinds of meaningful
// lines: "<Form>.<Component>.<Property>=<text>" for the texts of one window's components,
// and "*<KEY>=<text>" for message texts. Every other line is ignored.
//
// Matching rule, for both kinds: a line matches a key when the text before its first "="
// equals the key without regard to (ASCII) case; nothing is trimmed, so "Key =x" does not
// match "Key". The first matching line wins; the value is everything after the first "=",
// unchanged. An empty value means "no translation": the caller's current text or default
// stays.
//
// Encoding: each line is UTF-8 inside the program. A line of the file that is not valid
// UTF-8 was saved in Windows-1252 and is decoded as such, so files written on Windows
// (with "§" as byte 0xA7) and files mixing both encodings read correctly.
//
// Threads: the message table and CurrentLanguage are process-wide and guarded by a mutex,
// so Translate may be called from any thread; LanguageFile objects are plain values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "support/Supportstring.h"

namespace vombrel {

// The line-break character of language-file values ("§", U+00A7, as UTF-8).
inline constexpr std::string_view kLanguageBreak = "\xC2\xA7";

// One parsed language file. Lookups are by the matching rule above; the toolkit's
// TranslateComponents asks it for "<Form>.<Component>.<Property>" keys.
class LanguageFile {
 public:
  LanguageFile() = default;
  // The file's lines (already UTF-8).
  explicit LanguageFile(StringList lines);

  // Parses the bytes of a file: lines broken at CR, LF or CR LF, each decoded as above.
  static LanguageFile FromBytes(std::string_view bytes);
  // Reads the file at path; nullopt when it does not exist or cannot be read.
  static std::optional<LanguageFile> Load(std::string_view path);

  const StringList& Lines() const { return lines_; }

  // Value of the first line matching key; nullopt when no line matches. An empty value is
  // returned as "" (callers treat it as "no translation").
  std::optional<std::string> Find(std::string_view key) const;
  // The value for key when it is non-empty, otherwise fallback.
  std::string Text(std::string_view key, std::string_view fallback) const;
  // Key of a component property: form + "." + component + "." + property.
  static std::string ComponentKey(std::string_view form, std::string_view component, std::string_view property);
  // Text of one component property, or current when the file has no non-empty value.
  std::string ComponentText(std::string_view form, std::string_view component, std::string_view property,
                            std::string_view current) const;

  // The message lines ("*" lines with the "*" removed), in file order.
  StringList MessageLines() const;

 private:
  StringList lines_;
  // Upper-cased key -> value of its first line.
  std::unordered_map<std::string, std::string> firstValues_;
};

// "§" rules for property values.
// "Lines": entries cut at every "§", consecutive "§" give an empty entry, a trailing "§"
// gives no trailing empty entry; the last entry is trimmed of leading and trailing
// blanks (characters at or below the space).
StringList SplitLanguageLines(std::string_view value);
// "Items": as "Lines" but every entry untrimmed.
StringList SplitLanguageItems(std::string_view value);
// A label's "Caption": every "§" becomes lineBreak (Qt labels break at LF).
std::string LabelCaptionText(std::string_view value, std::string_view lineBreak = "\n");

// "<program folder>/Langs/<name>.lng", or the file the folder's listing shows under the
// name with its extension in other letters ("<name>.LNG").
std::string LanguageFilePath(std::string_view name);

// The error box of a missing language file: text "Language file not found." and
// "Using default language." on two lines, title "Error!". Shared with ApplyLanguageFile.
void ShowLanguageFileNotFound();

// The current language's name; empty until the main window sets it at start.
std::string CurrentLanguage();
void SetCurrentLanguage(std::string_view name);

// Rebuilds the message table from the "*" lines of the file at path. When that file does
// not exist (or cannot be read), "<program folder>/Langs/English.lng" is used instead;
// when that one is missing too, ShowLanguageFileNotFound() runs and the table stays empty.
void LoadMessages(std::string_view path);

// The message table's non-empty value for key, else defaultText (also when no table was
// ever loaded, or after FreeMessages).
std::string Translate(std::string_view key, std::string_view defaultText);

// ShowError with Translate(msgKey, msgDefault) as text and Translate(titleKey,
// titleDefault) as title; returns the box's result.
int ShowTranslatedError(std::string_view msgKey, std::string_view msgDefault, std::string_view titleKey,
                        std::string_view titleDefault);

// Discards the message table; Translate returns defaults afterwards.
void FreeMessages();

}  // namespace vombrel
