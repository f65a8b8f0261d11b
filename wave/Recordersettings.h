// What the recorder window decides without a toolkit: the PCM format its three lists
// choose, the time-of-day fields, the alarm's countdown and the preset files.
// Plain values and functions; user-interface thread in practice, no shared state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "wave/Waveutils.h"

namespace vombrel {

// ---- Format ----

// The format for the texts of the channel list ("Stereo", "Mono", any letter case), the
// bits list ("8", "16") and the rate (8000, 11025, 22050, 48000; any other rate means
// 44100). A channel or bits text outside those gives Stereo16bit44100Hz.
TPCMFormat PcmFormatOf(std::string_view channels, std::string_view bits, int32_t rate);
// The same with the rate as the list shows it; a rate text that is not an integer throws
// ConversionError "'<text>' is not a valid integer value".
TPCMFormat SelectedPcmFormatOf(std::string_view channels, std::string_view bits, std::string_view rateText);

// ---- Times of day ----

inline constexpr int kSecondsPerDay = 24 * 60 * 60;

// Seconds since midnight for a text of one or two hour digits, the separator and two
// minute digits, optionally the separator and two second digits again, with blanks
// allowed around it and between the hour and the separator: " 7:05", "7 :05", "21:30",
// "21:30:15". Hours 0..23, minutes and seconds 0..59. Anything else ("25:61", "7:5",
// "  :  ", "") gives nullopt.
std::optional<int> ParseTimeOfDay(std::string_view text, std::string_view separator);

// ---- Alarm ----

// Where the alarm reads the time: a continuous count of seconds (it must not stop while
// the machine sleeps) and the local time of day at such a moment.
class AlarmClock {
 public:
  virtual ~AlarmClock() = default;
  virtual double Now() const = 0;
  virtual double SecondOfDay(double now) const = 0;
};

// The system's wall clock and local time zone.
const AlarmClock& SystemAlarmClock();

// The countdown of an alarm set for a time of day. Activating computes the time left:
// the alarm time minus now, or, when now is at or after it, the rest of the day plus the
// alarm time (the next day); fractions of a second are dropped. Each tick (the owner
// ticks once a second) counts down against the clock, not by counting ticks, so a late
// or missed tick (a busy or sleeping machine) does not delay the alarm.
class AlarmCountdown {
 public:
  explicit AlarmCountdown(const AlarmClock& clock = SystemAlarmClock()) : clock_(&clock) {}

  // Seconds since midnight, 0 .. kSecondsPerDay - 1.
  int AlarmTime() const { return alarmTime_; }
  void SetAlarmTime(int secondsOfDay) { alarmTime_ = secondsOfDay; }

  void Activate();
  void Deactivate() { active_ = false; }
  bool Active() const { return active_; }

  // One tick of an active alarm: true when the alarm is due now (the countdown is at
  // 0:00:00, or was already). The owner then runs its alarm event and deactivates.
  bool Tick();

  // The countdown as the last activation or tick left it.
  int Hours() const { return left_ / 3600; }
  int Minutes() const { return left_ / 60 % 60; }
  int Seconds() const { return left_ % 60; }
  int SecondsLeft() const { return left_; }

 private:
  const AlarmClock* clock_;
  int alarmTime_ = 0;
  bool active_ = false;
  double due_ = 0;  // on the clock's continuous scale
  int left_ = 0;
};

// ---- Presets ----

// The eight settings of a preset, in the file's key order, with the defaults a reading
// gives for missing keys.
struct TRecorderPreset {
  std::string Sorgente;
  std::string Destinazione;
  std::string Canali = "Stereo";
  std::string Bits = "16";
  std::string Frequenza = "44100";
  std::string FileDestinazione;
  std::string OraInizio;
  std::string OraFine;
  bool operator==(const TRecorderPreset&) const = default;
};

inline constexpr std::string_view kPresetExtension = ".rcf";
inline constexpr std::string_view kPresetFolder = "Presets";

// Whether the name, as typed, makes a file name inside the presets folder: not empty,
// no "/", not "." or "..", no control characters (the name ends up in an INI section
// header), and at most 255 bytes with the extension.
bool IsValidPresetName(std::string_view name);
// folder (ending in "/") + name + ".rcf".
std::string PresetPath(std::string_view folder, std::string_view name);

// Writes the eight keys, in order, into the section named `path` of the INI file at
// `path` (an existing file keeps its other lines; the file is replaced atomically).
// Throws IniWriteError "Unable to write to <path>" when it cannot be written.
void WritePresetFile(const std::string& path, const TRecorderPreset& preset);
// Reads the keys from the section named `path`; when the file has no such section but
// exactly one section (it was saved under another user folder), from that one. Missing
// keys, sections or files give the defaults.
TRecorderPreset ReadPresetFile(const std::string& path);

}  // namespace vombrel
