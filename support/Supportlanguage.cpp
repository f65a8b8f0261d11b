#include "support/Supportlanguage.h"

#include <memory>
#include <mutex>

#include "support/Supportfiles.h"
#include "support/Supportmsg.h"
#include "support/Textcodec.h"

namespace vombrel {

namespace {

// Text before the first "=" and after it; nullopt for a line without "=".
struct KeyValue {
  std::string_view key;
  std::string_view value;
};
std::optional<KeyValue> SplitAtEquals(std::string_view line) {
  const auto at = line.find('=');
  if (at == std::string_view::npos) return std::nullopt;
  return KeyValue{line.substr(0, at), line.substr(at + 1)};
}

// Process-wide language state. The message table is absent before the first load and
// after FreeMessages; both states make Translate return the caller's default.
struct LanguageState {
  std::mutex mutex;
  std::string currentLanguage;
  std::unique_ptr<LanguageFile> messages;
};
LanguageState& State() {
  static LanguageState state;
  return state;
}

}  // namespace

LanguageFile::LanguageFile(StringList lines) : lines_(std::move(lines)) {
  firstValues_.reserve(lines_.size());
  for (const auto& line : lines_) {
    if (const auto pair = SplitAtEquals(line))
      firstValues_.try_emplace(UpperCase(pair->key), pair->value);  // first line wins
  }
}

LanguageFile LanguageFile::FromBytes(std::string_view bytes) {
  StringList lines = SplitLines(bytes);
  for (auto& line : lines) line = DecodeText(line);
  return LanguageFile(std::move(lines));
}

std::optional<LanguageFile> LanguageFile::Load(std::string_view path) {
  if (!FileExists(path)) return std::nullopt;
  const auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return FromBytes(*bytes);
}

std::optional<std::string> LanguageFile::Find(std::string_view key) const {
  const auto found = firstValues_.find(UpperCase(key));
  if (found == firstValues_.end()) return std::nullopt;
  return found->second;
}

std::string LanguageFile::Text(std::string_view key, std::string_view fallback) const {
  const auto value = Find(key);
  return value && !value->empty() ? *value : std::string(fallback);
}

std::string LanguageFile::ComponentKey(std::string_view form, std::string_view component, std::string_view property) {
  std::string key;
  key.reserve(form.size() + component.size() + property.size() + 2);
  key.append(form).append(".").append(component).append(".").append(property);
  return key;
}

std::string LanguageFile::ComponentText(std::string_view form, std::string_view component, std::string_view property,
                                        std::string_view current) const {
  return Text(ComponentKey(form, component, property), current);
}

StringList LanguageFile::MessageLines() const {
  StringList messages;
  for (const auto& line : lines_)
    if (!line.empty() && line.front() == '*') messages.push_back(line.substr(1));
  return messages;
}

StringList SplitLanguageLines(std::string_view value) { return SplitText(value, kLanguageBreak, /*trimLast=*/true); }

StringList SplitLanguageItems(std::string_view value) { return SplitText(value, kLanguageBreak, /*trimLast=*/false); }

std::string LabelCaptionText(std::string_view value, std::string_view lineBreak) {
  std::string text;
  text.reserve(value.size());
  std::size_t start = 0;
  for (auto at = value.find(kLanguageBreak); at != std::string_view::npos; at = value.find(kLanguageBreak, start)) {
    text.append(value.substr(start, at - start)).append(lineBreak);
    start = at + kLanguageBreak.size();
  }
  text.append(value.substr(start));
  return text;
}

std::string LanguageFilePath(std::string_view name) { return ListedFilePath(AppSubDir("Langs"), name, ".lng"); }

void ShowLanguageFileNotFound() { ShowError("Language file not found.\nUsing default language.", "Error!"); }

std::string CurrentLanguage() {
  auto& state = State();
  std::lock_guard lock(state.mutex);
  return state.currentLanguage;
}

void SetCurrentLanguage(std::string_view name) {
  auto& state = State();
  std::lock_guard lock(state.mutex);
  state.currentLanguage = std::string(name);
}

void LoadMessages(std::string_view path) {
  auto& state = State();
  {
    std::lock_guard lock(state.mutex);
    state.messages = std::make_unique<LanguageFile>();
  }
  auto file = LanguageFile::Load(path);
  if (!file) file = LanguageFile::Load(LanguageFilePath("English"));
  if (!file) {
    // Shown outside the lock: a message box runs a nested event loop.
    ShowLanguageFileNotFound();
    return;
  }
  auto table = std::make_unique<LanguageFile>(file->MessageLines());
  std::lock_guard lock(state.mutex);
  state.messages = std::move(table);
}

std::string Translate(std::string_view key, std::string_view defaultText) {
  auto& state = State();
  std::lock_guard lock(state.mutex);
  if (!state.messages) return std::string(defaultText);
  return state.messages->Text(key, defaultText);
}

int ShowTranslatedError(std::string_view msgKey, std::string_view msgDefault, std::string_view titleKey,
                        std::string_view titleDefault) {
  return ShowError(Translate(msgKey, msgDefault), Translate(titleKey, titleDefault));
}

void FreeMessages() {
  auto& state = State();
  std::lock_guard lock(state.mutex);
  state.messages.reset();
}

}  // namespace vombrel
