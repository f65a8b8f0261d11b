// The sound recorder window: records what a chosen source of the sound server hears
// (a microphone, or the monitor of an output: what the computer plays) into a WAV file,
// by hand or between two times of day, and keeps its settings as named presets.
//
// The window records from the destination chosen in its list, by the server's name of
// that source; it never changes the system's default source. Picking a line (a port of
// the source) makes that port the active one, and nothing else does.
//
// Threads: user-interface thread only; the recorder captures on its own thread, whose
// errors come back here queued. Ownership: a new window for each request, freed when it
// closes; closing stops the recording and waits until its file is finished.
#pragma once

#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "toolkit/Flatcontrols.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Formplacement.h"
#include "wave/Pulseaccess.h"
#include "wave/Recordersettings.h"
#include "wave/Wavemixer.h"
#include "wave/Waverecorders.h"

// A text field with an edit mask for a time of day: one or two hour digits, the time
// separator and two minute digits, blanks shown as "_". Text() keeps the separator and
// gives blanks as spaces, so an empty field reads "  :  ".
class TMaskEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)

 public:
  explicit TMaskEdit(const QString& separator, QWidget* parent = nullptr);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  QString Text() const;
  // Fits the text into the mask: characters the mask refuses become blanks.
  void SetText(const QString& text);
  QString Separator() const { return separator_; }
  // True when no digit has been given.
  bool IsBlank() const;

 protected:
  // A click into a blank field starts typing at its first place, wherever it landed.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int tag_ = 0;
  QString separator_;
};

namespace vombrel {

using ::TMaskEdit;

// The platform's time separator (from the locale's short time format; ":" when it has
// none).
QString PlatformTimeSeparator();

// An alarm for a time of day: activated, it counts down once a second against the clock
// and, at the time, runs OnAlarm and then deactivates itself.
class TRealAlarm : public QObject {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)

 public:
  explicit TRealAlarm(const AlarmClock& clock, QObject* parent = nullptr);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  int AlarmTime() const { return countdown_.AlarmTime(); }
  void SetAlarmTime(int secondsOfDay) { countdown_.SetAlarmTime(secondsOfDay); }
  bool Active() const { return countdown_.Active(); }
  void SetActive(bool active);
  const AlarmCountdown& Countdown() const { return countdown_; }
  // One tick of the one-second timer (the timer calls it).
  void TimerTick();

 signals:
  void OnAlarm();

 private:
  int tag_ = 0;
  AlarmCountdown countdown_;
  QTimer timer_;
};

class TFormRecording : public QWidget {
  Q_OBJECT

 public:
  // `server` feeds the mixer lines; `clock` the two alarms (both the real ones unless a
  // test gives its own).
  explicit TFormRecording(QWidget* parent = nullptr, TSoundServer& server = DefaultSoundServer(),
                          const AlarmClock& clock = SystemAlarmClock());
  ~TFormRecording() override;

  bool IsRecording() const { return isRecording_; }

  // Event handlers.
  void RecClick();
  void BtnFileDestinazioneClick();
  void BtnImpostaTimerClick();
  void OraInizioAlarm();
  void OraFineAlarm();
  void ComboDestinazioneChange();
  // The user picked a line: its port becomes active; volume and mute are shown.
  void ComboSorgenteChange();
  // A format list changed: the destination's volume and mute are shown again.
  void FormatChange();
  void LVolumeMouseUp();
  void CbMuteClick();
  void BtnCombinazioneClick();
  void EditCombinazioneChange();
  void ButtonCloseClick();

  // Operations.
  void StartRecording(const std::string& path);
  void StopRecording();
  void EnableSettings(bool on);
  // Throws ConversionError when the rate text is not an integer.
  TPCMFormat SelectedPcmFormat() const;
  // Throws IniWriteError when the file cannot be written.
  void SavePreset(const std::string& path);
  void LoadPreset(const std::string& path);
  void RefreshPresetList();
  // The server's name of the source the next recording records from.
  std::string ChosenSourceName();

  // For tests: replace the save-file dialog and the preset name box (nullopt: cancelled).
  void SetFileChooserForTesting(std::function<std::optional<std::string>()> chooser) {
    fileChooserForTesting_ = std::move(chooser);
  }
  void SetPresetNameAskerForTesting(std::function<std::optional<std::string>()> asker) {
    presetNameAskerForTesting_ = std::move(asker);
  }

  // Engine objects.
  TStockAudioRecorder AudioRecorder;
  TAudioMixer AudioMixer;
  TRealAlarm* OraInizio = nullptr;
  TRealAlarm* OraFine = nullptr;

  // Components, named as the window's design names them (objectName is the same).
  TFlatTitlebar* BarraTitolo = nullptr;
  TFlatButton* ButtonClose = nullptr;
  TFlatPanel* PnlTagTitolo = nullptr;
  TLabel* LblCombinazione = nullptr;
  TFlatComboBox* EditCombinazione = nullptr;
  TFlatButton* BtnCombinazione = nullptr;
  TFlatGroupBox* GrpSorgente = nullptr;
  TFlatComboBox* ComboDestinazione = nullptr;
  TFlatComboBox* ComboSorgente = nullptr;
  TFlatGroupBox* GrpFormato = nullptr;
  TLabel* LblCanali = nullptr;
  TFlatComboBox* ComboCanali = nullptr;
  TLabel* LblBits = nullptr;
  TFlatComboBox* ComboBits = nullptr;
  TLabel* LblFrequenza = nullptr;
  TFlatComboBox* ComboFrequenza = nullptr;
  TFlatGroupBox* GrpVolume = nullptr;
  TFlatProgressBar* LVolume = nullptr;
  TFlatProgressBar* RVolume = nullptr;
  TFlatCheckBox* CbMute = nullptr;
  TEdit* EditFileDestinazione = nullptr;
  TFlatButton* BtnFileDestinazione = nullptr;
  TFlatPanel* FlatPanel2 = nullptr;
  TLabel* LblOraInizio = nullptr;
  TMaskEdit* EditOraInizio = nullptr;
  TLabel* LblOraFine = nullptr;
  TMaskEdit* EditOraFine = nullptr;
  TFlatButton* BtnImpostaTimer = nullptr;
  TFlatPanel* FlatPanel3 = nullptr;
  TFlatButton* ButtonRec = nullptr;
  TLabel* LblErrore = nullptr;
  TFormPlacement* FormPlacement = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void ConnectHandlers();
  void ApplyLanguageKeepingSelections();
  void ShowLineState();
  void SetStatus(const std::string& text, const std::string& hint);
  std::string DestinationText() const;
  void RecorderError(const std::string& text);

  bool isRecording_ = false;
  bool closed_ = false;
  std::function<std::optional<std::string>()> fileChooserForTesting_;
  std::function<std::optional<std::string>()> presetNameAskerForTesting_;
};

}  // namespace vombrel
