#include "wave/Recordersettings.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "support/Inifile.h"
#include "support/Supportstring.h"

namespace vombrel {

// ---- Format ----

TPCMFormat PcmFormatOf(std::string_view channels, std::string_view bits, int32_t rate) {
  const std::string upper = UpperCase(channels);
  const bool stereo = upper == "STEREO";
  const bool mono = upper == "MONO";
  if ((!stereo && !mono) || (bits != "8" && bits != "16")) return Stereo16bit44100Hz;
  int rateNumber = 3;  // 44100 Hz, also for every rate the list does not name
  switch (rate) {
    case 8000: rateNumber = 0; break;
    case 11025: rateNumber = 1; break;
    case 22050: rateNumber = 2; break;
    case 48000: rateNumber = 4; break;
    default: break;
  }
  // The variants of a rate: mono 8-bit, stereo 8-bit, mono 16-bit, stereo 16-bit.
  const int variant = (bits == "16" ? 2 : 0) + (stereo ? 1 : 0);
  return static_cast<TPCMFormat>(1 + rateNumber * 4 + variant);
}

TPCMFormat SelectedPcmFormatOf(std::string_view channels, std::string_view bits, std::string_view rateText) {
  const int32_t rate = StrToInt(rateText);
  return PcmFormatOf(channels, bits, rate);
}

// ---- Times of day ----

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads two digits at `at`, or one or two when `oneDigitAllowed`.
std::optional<int> ReadDigits(std::string_view text, size_t& at, bool oneDigitAllowed) {
  if (at >= text.size() || !IsDigit(text[at])) return std::nullopt;
  int value = text[at++] - '0';
  if (at < text.size() && IsDigit(text[at])) {
    value = value * 10 + (text[at++] - '0');
  } else if (!oneDigitAllowed) {
    return std::nullopt;
  }
  return value;
}

bool ReadSeparator(std::string_view text, size_t& at, std::string_view separator) {
  if (separator.empty() || text.substr(at, separator.size()) != separator) return false;
  at += separator.size();
  return true;
}

}  // namespace

std::optional<int> ParseTimeOfDay(std::string_view text, std::string_view separator) {
  const std::string_view t = TrimView(text);
  size_t at = 0;
  const auto hours = ReadDigits(t, at, true);
  // A one-digit hour typed into the field leaves a blank before the separator.
  while (at < t.size() && t[at] == ' ') ++at;
  if (!hours || !ReadSeparator(t, at, separator)) return std::nullopt;
  const auto minutes = ReadDigits(t, at, false);
  if (!minutes) return std::nullopt;
  int seconds = 0;
  if (at < t.size()) {
    if (!ReadSeparator(t, at, separator)) return std::nullopt;
    const auto s = ReadDigits(t, at, false);
    if (!s) return std::nullopt;
    seconds = *s;
  }
  if (at != t.size() || *hours > 23 || *minutes > 59 || seconds > 59) return std::nullopt;
  return *hours * 3600 + *minutes * 60 + seconds;
}

// ---- Alarm ----

namespace {

class WallClock final : public AlarmClock {
 public:
  double Now() const override {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  }
  double SecondOfDay(double now) const override {
    const auto whole = static_cast<std::time_t>(std::floor(now));
    std::tm local{};
    localtime_r(&whole, &local);
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + (now - std::floor(now));
  }
};

}  // namespace

const AlarmClock& SystemAlarmClock() {
  static const WallClock clock;
  return clock;
}

void AlarmCountdown::Activate() {
  const double now = clock_->Now();
  const double ofDay = clock_->SecondOfDay(now);
  const double remaining = ofDay >= alarmTime_ ? kSecondsPerDay - ofDay + alarmTime_ : alarmTime_ - ofDay;
  left_ = static_cast<int>(std::floor(remaining));
  due_ = now + left_;
  active_ = true;
}

bool AlarmCountdown::Tick() {
  if (!active_) return false;
  if (left_ == 0) return true;
  // To the nearest second: ticks come about once a second from the activation, so one
  // that arrives a hair before the due moment counts as on time.
  const double remaining = due_ - clock_->Now();
  left_ = remaining <= 0 ? 0 : static_cast<int>(std::lround(remaining));
  return left_ == 0;
}

// ---- Presets ----

bool IsValidPresetName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.size() + kPresetExtension.size() > 255) return false;
  for (const char c : name) {
    if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

std::string PresetPath(std::string_view folder, std::string_view name) {
  return std::string(folder) + std::string(name) + std::string(kPresetExtension);
}

namespace {

// The keys in the file's order, with the field each one holds.
struct PresetKey {
  const char* key;
  std::string TRecorderPreset::*field;
};
constexpr PresetKey kPresetKeys[] = {
    {"Sorgente", &TRecorderPreset::Sorgente},   {"Destinazione", &TRecorderPreset::Destinazione},
    {"Canali", &TRecorderPreset::Canali},       {"Bits", &TRecorderPreset::Bits},
    {"Frequenza", &TRecorderPreset::Frequenza}, {"FileDestinazione", &TRecorderPreset::FileDestinazione},
    {"OraInizio", &TRecorderPreset::OraInizio}, {"OraFine", &TRecorderPreset::OraFine},
};

}  // namespace

void WritePresetFile(const std::string& path, const TRecorderPreset& preset) {
  std::vector<std::pair<std::string, std::string>> values;
  for (const auto& k : kPresetKeys) values.emplace_back(k.key, preset.*k.field);
  IniFile(path).WriteMany(path, values);
}

TRecorderPreset ReadPresetFile(const std::string& path) {
  const IniFile ini(path);
  std::string section = path;
  const StringList sections = ini.ReadSectionNames();
  bool named = false;
  bool onlyOne = !sections.empty();
  for (const auto& s : sections) {
    named = named || SameText(s, path);
    onlyOne = onlyOne && SameText(s, sections.front());
  }
  // A preset saved under another user folder names that folder: its only section is
  // still the preset.
  if (!named && onlyOne) section = sections.front();
  TRecorderPreset preset;
  for (const auto& k : kPresetKeys) {
    if (auto value = ini.Read(section, k.key)) preset.*k.field = *value;
  }
  return preset;
}

}  // namespace vombrel
