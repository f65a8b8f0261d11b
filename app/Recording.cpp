#include "app/Recording.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLocale>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardItemModel>

#include "app/Application.h"
#include "support/Configurazione.h"
#include "support/Inifile.h"
#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "support/Supportmsg.h"
#include "toolkit/Colorscheme.h"
#include "toolkit/Components.h"
#include "toolkit/Translation.h"

// ---- TMaskEdit ----

namespace {

// Qt's mask for "one or two hour digits, separator, two minute digits": "0" is a digit
// that may stay blank, "9" one that must be given; a separator that Qt reads as a mask
// character is escaped.
QString TimeMask(const QString& separator) {
  QString literal;
  for (const QChar c : separator) {
    if (QStringLiteral("AaNnXx90DdHhBb#><![]{}\\;").contains(c)) literal += '\\';
    literal += c;
  }
  return "09" + literal + "99;_";
}

}  // namespace

TMaskEdit::TMaskEdit(const QString& separator, QWidget* parent) : QLineEdit(parent), separator_(separator) {
  setInputMask(TimeMask(separator));
}

QString TMaskEdit::Text() const {
  QString text = displayText();
  // Blanks of the mask read as spaces; a "_" the user could not have typed is one.
  text.replace('_', ' ');
  return text;
}

bool TMaskEdit::IsBlank() const { return Text().remove(separator_).trimmed().isEmpty(); }

void TMaskEdit::mousePressEvent(QMouseEvent* event) {
  QLineEdit::mousePressEvent(event);
  if (IsBlank()) setCursorPosition(0);
}

void TMaskEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  if (IsBlank()) setCursorPosition(0);
}

void TMaskEdit::SetText(const QString& text) {
  // Blanks come as spaces; the mask takes them as its blank character only, and keeps
  // what fits.
  QString masked = text;
  masked.replace(' ', '_');
  setText(masked);
}

namespace vombrel {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string S(const QString& text) { return text.toStdString(); }

// Messages of the window: key and Italian default.
struct Message {
  const char* key;
  const char* text;
};
constexpr Message kMsgFileDest{"MSG_FILEDEST", "E' necessario specificare il file di destinazione."};
constexpr Message kTtlFileDest{"TTL_FILEDEST", "File di destinazione mancante"};
constexpr Message kMsgWrongTime{"MSG_WRONGFORMAT_TIME", "L'ora indicata non sembra essere valida."};
constexpr Message kTtlFormatError{"TTL_FORMATERROR", "Errore formato"};
constexpr Message kMsgRecBusy{"MSG_RECBUSY", "Registrazione in corso..."};
constexpr Message kMsgRecError{"MSG_RECERROR", "Errore in fase di registrazione"};
constexpr Message kMsgStopRec{"MSG_STOPREC", "Registrazione interrotta"};
constexpr Message kMsgErrorStopRec{"MSG_ERRORSTOPREC", "Errore nell'arresto della registrazione"};
constexpr Message kLblCombinazione{"LBL_COMBINAZIONE", "Identificativo combinazione"};
constexpr Message kTtlCombinazione{"TTL_COMBINAZIONE", "Inseririre identificativo combinazione"};
constexpr Message kMsgPresetName{"MSG_PRESETNAME",
                                 "Il nome indicato non pu\xC3\xB2 essere usato come nome di file nella cartella delle "
                                 "combinazioni (niente \"/\", \".\" o \"..\", niente caratteri di controllo)."};
constexpr Message kTtlPresetName{"TTL_PRESETNAME", "Nome combinazione non valido"};
constexpr Message kLblUnplugged{"LBL_UNPLUGGED", "Non collegato"};

std::string Text(const Message& m) { return Translate(m.key, m.text); }

void ShowMessageError(const Message& text, const Message& title) {
  ShowTranslatedError(text.key, text.text, title.key, title.text);
}

// The window as designed: 330 x 322 pixels, borderless, its own title strip.
constexpr int kWidth = 330;
constexpr int kHeight = 322;

// Selects, without running any change action, the first entry equal to `text` without
// regard to letter case; none when no entry matches.
void SelectQuietly(QComboBox* list, const std::string& text) {
  int found = -1;
  for (int i = 0; i < list->count() && found < 0; ++i) {
    if (SameText(S(list->itemText(i)), text)) found = i;
  }
  const QSignalBlocker quiet(list);
  list->setCurrentIndex(found);
}

}  // namespace

QString PlatformTimeSeparator() {
  const QString format = QLocale::system().timeFormat(QLocale::ShortFormat);
  const qsizetype hour = format.indexOf(QRegularExpression("[hH]"));
  if (hour < 0) return ":";
  qsizetype at = hour;
  while (at < format.size() && (format[at] == 'h' || format[at] == 'H')) ++at;
  qsizetype end = at;
  while (end < format.size() && format[end] != 'm' && !format[end].isLetter()) ++end;
  const QString separator = format.mid(at, end - at).trimmed();
  return separator.isEmpty() || separator.contains('\'') ? QString(":") : separator;
}

// ---- TRealAlarm ----

TRealAlarm::TRealAlarm(const AlarmClock& clock, QObject* parent) : QObject(parent), countdown_(clock) {
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, &TRealAlarm::TimerTick);
}

void TRealAlarm::SetActive(bool active) {
  if (active) {
    countdown_.Activate();
    timer_.start();
  } else {
    countdown_.Deactivate();
    timer_.stop();
  }
}

void TRealAlarm::TimerTick() {
  if (!countdown_.Tick()) return;
  emit OnAlarm();
  SetActive(false);
}

// ---- TFormRecording ----

TFormRecording::TFormRecording(QWidget* parent, TSoundServer& server, const AlarmClock& clock)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), AudioMixer(server) {
  setObjectName("FormRecording");
  setWindowTitle("Recorder");
  setAttribute(Qt::WA_DeleteOnClose);
  AudioRecorder.SetPCMFormat(Stereo16bit44100Hz);
  AudioRecorder.SetAsync(true);
  // Errors of the capture thread reach the program's error display on this thread.
  AudioRecorder.OnError = [this](const std::string& text) {
    QMetaObject::invokeMethod(
        this, [this, text] { RecorderError(text); }, Qt::QueuedConnection);
  };
  OraInizio = new TRealAlarm(clock, this);
  OraInizio->setObjectName("OraInizio");
  OraFine = new TRealAlarm(clock, this);
  OraFine->setObjectName("OraFine");
  BuildWindow();
  // Centred on the screen until a stored position says otherwise.
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  // 1. Position only.
  FormPlacement = new TFormPlacement(this);
  FormPlacement->setObjectName("FormPlacement");
  BindFormPlacement(UserConfig(), FormPlacement, this);
  // 2. The destinations, entry 0 and its lines.
  StringList destinations;
  AudioMixer.FetchDestinationNames(destinations);
  for (const auto& name : destinations) ComboDestinazione->addItem(Q(name));
  ComboDestinazione->setCurrentIndex(destinations.empty() ? -1 : 0);
  ComboDestinazioneChange();
  // 3. The designed format.
  ComboCanali->setCurrentIndex(0);
  ComboBits->setCurrentIndex(0);
  ComboFrequenza->setCurrentIndex(1);
  // 4. Scheme and language.
  LoadColorScheme(this, CurrentSchemePath());
  if (!CurrentLanguage().empty()) ApplyLanguageKeepingSelections();
  // 5. Status and presets.
  SetStatus("", "");
  RefreshPresetList();
  ConnectHandlers();
}

TFormRecording::~TFormRecording() {
  if (isRecording_) StopRecording();
  // The recorder member waits for its file to be finished as it goes.
}

void TFormRecording::BuildWindow() {
  setFixedSize(kWidth, kHeight);
  BarraTitolo = MakeComponent<TFlatTitlebar>(this, "BarraTitolo");
  BarraTitolo->setGeometry(0, 0, kWidth, 16);
  BarraTitolo->SetCaption("Recorder");
  ButtonClose = MakeComponent<TFlatButton>(BarraTitolo, "ButtonClose");
  ButtonClose->setGeometry(kWidth - 17, 2, 14, 12);
  ButtonClose->SetGlyph(TGlyph::Close);

  // Presets.
  PnlTagTitolo = MakeComponent<TFlatPanel>(this, "PnlTagTitolo");
  PnlTagTitolo->SetTag(1);
  PnlTagTitolo->setGeometry(4, 20, kWidth - 8, 28);
  LblCombinazione = MakeComponent<TLabel>(PnlTagTitolo, "LblCombinazione");
  LblCombinazione->setGeometry(6, 4, 86, 20);
  LblCombinazione->SetCaption("Combinazione");
  EditCombinazione = MakeComponent<TFlatComboBox>(PnlTagTitolo, "EditCombinazione");
  EditCombinazione->setGeometry(94, 3, 190, 22);
  BtnCombinazione = MakeComponent<TFlatButton>(PnlTagTitolo, "BtnCombinazione");
  BtnCombinazione->setGeometry(290, 3, 26, 22);
  BtnCombinazione->SetCaption("...");
  BtnCombinazione->SetHint("Programma la registrazione");

  // Source: the destination (a source of the sound server) and its line.
  GrpSorgente = MakeComponent<TFlatGroupBox>(this, "GrpSorgente");
  GrpSorgente->setGeometry(4, 52, 214, 80);
  GrpSorgente->SetCaption("Sorgente Audio");
  ComboDestinazione = MakeComponent<TFlatComboBox>(GrpSorgente, "ComboDestinazione");
  ComboDestinazione->setGeometry(8, 20, 198, 22);
  ComboSorgente = MakeComponent<TFlatComboBox>(GrpSorgente, "ComboSorgente");
  ComboSorgente->setGeometry(8, 48, 198, 22);

  // Format.
  GrpFormato = MakeComponent<TFlatGroupBox>(this, "GrpFormato");
  GrpFormato->setGeometry(4, 136, 214, 96);
  GrpFormato->SetCaption("Formato Registrazione");
  struct FormatRow {
    TLabel** label;
    const char* labelName;
    const char* caption;
    TFlatComboBox** list;
    const char* listName;
    QStringList items;
  };
  const FormatRow rows[] = {
      {&LblCanali, "LblCanali", "Canali", &ComboCanali, "ComboCanali", {"Stereo", "Mono"}},
      {&LblBits, "LblBits", "Bits", &ComboBits, "ComboBits", {"16", "8"}},
      {&LblFrequenza,
       "LblFrequenza",
       "Frequenza",
       &ComboFrequenza,
       "ComboFrequenza",
       {"48000", "44100", "22050", "11025", "8000"}},
  };
  int top = 18;
  for (const FormatRow& row : rows) {
    *row.label = MakeComponent<TLabel>(GrpFormato, row.labelName);
    (*row.label)->setGeometry(8, top + 1, 86, 20);
    (*row.label)->SetCaption(row.caption);
    *row.list = MakeComponent<TFlatComboBox>(GrpFormato, row.listName);
    (*row.list)->setGeometry(96, top, 110, 22);
    (*row.list)->SetItems(row.items);
    top += 25;
  }

  // Volume of the destination.
  GrpVolume = MakeComponent<TFlatGroupBox>(this, "GrpVolume");
  GrpVolume->setGeometry(222, 52, kWidth - 226, 180);
  GrpVolume->SetCaption("Volume");
  LVolume = MakeComponent<TFlatProgressBar>(GrpVolume, "LVolume");
  LVolume->setGeometry(30, 22, 16, 118);
  RVolume = MakeComponent<TFlatProgressBar>(GrpVolume, "RVolume");
  RVolume->setGeometry(58, 22, 16, 118);
  for (TFlatProgressBar* bar : {LVolume, RVolume}) {
    bar->SetVertical(true);
    bar->SetMin(0);
    bar->SetMax(100);
  }
  CbMute = MakeComponent<TFlatCheckBox>(GrpVolume, "CbMute");
  CbMute->SetTag(1);
  CbMute->setGeometry(8, 150, GrpVolume->width() - 16, 20);
  CbMute->SetCaption("Muto");

  // Destination file.
  EditFileDestinazione = MakeComponent<TEdit>(this, "EditFileDestinazione");
  EditFileDestinazione->setGeometry(4, 238, kWidth - 40, 22);
  EditFileDestinazione->setToolTip("Il percorso di destinazione del file contenente la registrazione");
  BtnFileDestinazione = MakeComponent<TFlatButton>(this, "BtnFileDestinazione");
  BtnFileDestinazione->setGeometry(kWidth - 32, 238, 28, 22);
  BtnFileDestinazione->SetGlyph(TGlyph::Open);
  BtnFileDestinazione->SetHint("Permette di definire il file di destinazione.");

  // Timer row.
  const QString separator = PlatformTimeSeparator();
  FlatPanel2 = MakeComponent<TFlatPanel>(this, "FlatPanel2");
  FlatPanel2->SetTag(1);
  FlatPanel2->setGeometry(4, 264, kWidth - 8, 26);
  LblOraInizio = MakeComponent<TLabel>(FlatPanel2, "LblOraInizio");
  LblOraInizio->setGeometry(6, 3, 52, 20);
  LblOraInizio->SetCaption("Inizio");
  EditOraInizio = new TMaskEdit(separator, FlatPanel2);
  EditOraInizio->setObjectName("EditOraInizio");
  EditOraInizio->setGeometry(60, 2, 56, 22);
  LblOraFine = MakeComponent<TLabel>(FlatPanel2, "LblOraFine");
  LblOraFine->setGeometry(126, 3, 52, 20);
  LblOraFine->SetCaption("Fine");
  EditOraFine = new TMaskEdit(separator, FlatPanel2);
  EditOraFine->setObjectName("EditOraFine");
  EditOraFine->setGeometry(180, 2, 56, 22);
  BtnImpostaTimer = MakeComponent<TFlatButton>(FlatPanel2, "BtnImpostaTimer");
  BtnImpostaTimer->setGeometry(FlatPanel2->width() - 34, 2, 30, 22);
  BtnImpostaTimer->SetGlyph(TGlyph::Check);
  BtnImpostaTimer->SetHint("Programma la registrazione");

  // Record button and status line.
  FlatPanel3 = MakeComponent<TFlatPanel>(this, "FlatPanel3");
  FlatPanel3->SetTag(1);
  FlatPanel3->setGeometry(4, 294, kWidth - 8, 24);
  ButtonRec = MakeComponent<TFlatButton>(FlatPanel3, "ButtonRec");
  ButtonRec->setGeometry(2, 1, 32, 22);
  ButtonRec->SetGlyph(TGlyph::Record);
  ButtonRec->SetHint("Avvia la registrazione");
  LblErrore = MakeComponent<TLabel>(FlatPanel3, "LblErrore");
  LblErrore->setGeometry(40, 2, FlatPanel3->width() - 44, 20);
}

void TFormRecording::ConnectHandlers() {
  connect(ButtonClose, &FlatControl::Click, this, &TFormRecording::ButtonCloseClick);
  connect(BtnCombinazione, &FlatControl::Click, this, &TFormRecording::BtnCombinazioneClick);
  connect(BtnFileDestinazione, &FlatControl::Click, this, &TFormRecording::BtnFileDestinazioneClick);
  connect(BtnImpostaTimer, &FlatControl::Click, this, &TFormRecording::BtnImpostaTimerClick);
  connect(ButtonRec, &FlatControl::Click, this, &TFormRecording::RecClick);
  connect(CbMute, &FlatControl::Click, this, &TFormRecording::CbMuteClick);
  // Only the user's choices run the change actions; filling and presets select quietly.
  connect(EditCombinazione, &QComboBox::activated, this, &TFormRecording::EditCombinazioneChange);
  connect(ComboDestinazione, &QComboBox::activated, this, &TFormRecording::ComboDestinazioneChange);
  connect(ComboSorgente, &QComboBox::activated, this, &TFormRecording::ComboSorgenteChange);
  for (QComboBox* list : {static_cast<QComboBox*>(ComboCanali), static_cast<QComboBox*>(ComboBits),
                          static_cast<QComboBox*>(ComboFrequenza)})
    connect(list, &QComboBox::activated, this, &TFormRecording::FormatChange);
  connect(OraInizio, &TRealAlarm::OnAlarm, this, &TFormRecording::OraInizioAlarm);
  connect(OraFine, &TRealAlarm::OnAlarm, this, &TFormRecording::OraFineAlarm);
  LVolume->installEventFilter(this);
}

// A language file that lists the items of a list refills it, which leaves it without a
// selection; the format lists keep the entry they had, so the window still records the
// designed format.
void TFormRecording::ApplyLanguageKeepingSelections() {
  QComboBox* lists[] = {ComboCanali, ComboBits, ComboFrequenza};
  int selected[3];
  for (int i = 0; i < 3; ++i) selected[i] = lists[i]->currentIndex();
  ApplyLanguage(this, CurrentLanguage());
  for (int i = 0; i < 3; ++i) {
    if (lists[i]->currentIndex() < 0 && selected[i] < lists[i]->count()) {
      const QSignalBlocker quiet(lists[i]);
      lists[i]->setCurrentIndex(selected[i]);
    }
  }
}

bool TFormRecording::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LVolume && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && LVolume->isEnabled())
    LVolumeMouseUp();
  return QWidget::eventFilter(watched, event);
}

void TFormRecording::SetStatus(const std::string& text, const std::string& hint) {
  LblErrore->SetCaption(Q(text));
  LblErrore->SetHint(Q(hint));
}

std::string TFormRecording::DestinationText() const { return Trim(S(EditFileDestinazione->text())); }

// ---- Recording ----

TPCMFormat TFormRecording::SelectedPcmFormat() const {
  return SelectedPcmFormatOf(S(ComboCanali->currentText()), S(ComboBits->currentText()),
                             S(ComboFrequenza->currentText()));
}

std::string TFormRecording::ChosenSourceName() {
  const int chosen = ComboDestinazione->currentIndex();
  return chosen >= 0 ? AudioMixer.DestinationDeviceName(chosen) : AudioMixer.DestinationDeviceName();
}

void TFormRecording::StartRecording(const std::string& path) {
  try {
    AudioRecorder.SetPCMFormat(SelectedPcmFormat());
    AudioRecorder.SetSourceName(ChosenSourceName());
    if (!AudioRecorder.RecordToFile(path)) {
      SetStatus(Text(kMsgRecError), AudioRecorder.GetLastErrorText());
      return;
    }
    ButtonRec->SetGlyph(TGlyph::Stop);
    SetStatus(Text(kMsgRecBusy), "");
    isRecording_ = true;
    EnableSettings(false);
  } catch (const std::exception& e) {
    // The hint tells why: the device's text, or the file's or the rate's.
    SetStatus(Text(kMsgRecError), e.what());
  }
}

void TFormRecording::StopRecording() {
  try {
    AudioRecorder.SetActive(false);
    ButtonRec->SetGlyph(TGlyph::Record);
    SetStatus(Text(kMsgStopRec), "");
    isRecording_ = false;
    EnableSettings(true);
  } catch (const std::exception&) {
    SetStatus(Text(kMsgErrorStopRec), AudioRecorder.GetLastErrorText());
  }
}

void TFormRecording::EnableSettings(bool on) {
  for (QWidget* w : std::initializer_list<QWidget*>{GrpSorgente, GrpFormato, GrpVolume, EditFileDestinazione,
                                                    BtnFileDestinazione, FlatPanel2})
    w->setEnabled(on);
}

void TFormRecording::RecorderError(const std::string& text) { VombrelApplication::ShowException(text); }

void TFormRecording::RecClick() {
  if (isRecording_) {
    StopRecording();
    return;
  }
  const std::string destination = DestinationText();
  if (destination.empty()) {
    ShowMessageError(kMsgFileDest, kTtlFileDest);
    return;
  }
  StartRecording(destination);
}

void TFormRecording::BtnFileDestinazioneClick() {
  std::optional<std::string> chosen;
  if (fileChooserForTesting_) {
    chosen = fileChooserForTesting_();
  } else {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      chosen = S(dialog.selectedFiles().front());
  }
  if (chosen) EditFileDestinazione->setText(Q(*chosen));
}

// ---- Timed recording ----

void TFormRecording::BtnImpostaTimerClick() {
  if (DestinationText().empty()) {
    ShowMessageError(kMsgFileDest, kTtlFileDest);
    return;
  }
  const auto start = ParseTimeOfDay(S(EditOraInizio->Text()), S(EditOraInizio->Separator()));
  if (start) OraInizio->SetAlarmTime(*start);
  const auto end = ParseTimeOfDay(S(EditOraFine->Text()), S(EditOraFine->Separator()));
  if (!start || !end) {
    ShowMessageError(kMsgWrongTime, kTtlFormatError);
    return;
  }
  OraFine->SetAlarmTime(*end);
  OraInizio->SetActive(true);
  OraFine->SetActive(true);
}

void TFormRecording::OraInizioAlarm() { StartRecording(DestinationText()); }

void TFormRecording::OraFineAlarm() {
  OraInizio->SetActive(false);
  OraFine->SetActive(false);
  StopRecording();
}

// ---- Mixer ----

void TFormRecording::ComboDestinazioneChange() {
  AudioMixer.SetDestinationID(std::max(0, ComboDestinazione->currentIndex()));
  {
    const QSignalBlocker quiet(ComboSorgente);
    ComboSorgente->clear();
    auto* model = qobject_cast<QStandardItemModel*>(ComboSorgente->model());
    for (int i = 0; i < AudioMixer.GetLineCount(); ++i) {
      const TAudioMixerLine& line = AudioMixer.GetLines(i);
      ComboSorgente->addItem(Q(line.GetName()));
      // An unplugged port is shown greyed, with a hint, and cannot be picked.
      if (!line.Available() && model) {
        QStandardItem* item = model->item(i);
        item->setEnabled(false);
        item->setToolTip(Q(Text(kLblUnplugged)));
      }
    }
    // The line shown is the one the source has active now: opening the window or
    // choosing a destination changes nothing in the system.
    ComboSorgente->setCurrentIndex(AudioMixer.GetLineCount() > 0 ? AudioMixer.ActiveLineIndex() : -1);
  }
  ShowLineState();
}

void TFormRecording::ComboSorgenteChange() {
  const int line = ComboSorgente->currentIndex();
  if (line >= 0) AudioMixer.DestinationLine().SetSelectedLine(line);
  ShowLineState();
}

void TFormRecording::FormatChange() { ShowLineState(); }

void TFormRecording::ShowLineState() {
  TAudioMixerLine& destination = AudioMixer.DestinationLine();
  CbMute->SetChecked(destination.GetMute());
  const int volume = destination.GetVolume();
  LVolume->SetPosition(volume);
  RVolume->SetPosition(volume);
}

void TFormRecording::LVolumeMouseUp() {
  // -1 is a volume that could not be read: writing it back would silence the source.
  if (LVolume->Position() >= 0) AudioMixer.DestinationLine().SetVolume(LVolume->Position());
}

void TFormRecording::CbMuteClick() { AudioMixer.DestinationLine().SetMute(CbMute->Checked()); }

// ---- Presets ----

void TFormRecording::RefreshPresetList() {
  StringList names;
  ListFileBaseNames(names, UserSubDir(kPresetFolder) + "*" + std::string(kPresetExtension));
  const QSignalBlocker quiet(EditCombinazione);
  EditCombinazione->clear();
  for (const auto& name : names) EditCombinazione->addItem(Q(name));
  EditCombinazione->setCurrentIndex(-1);
}

void TFormRecording::BtnCombinazioneClick() {
  std::optional<std::string> answer;
  if (presetNameAskerForTesting_) {
    answer = presetNameAskerForTesting_();
  } else {
    bool ok = false;
    const QString text = QInputDialog::getText(this, Q(Text(kTtlCombinazione)), Q(Text(kLblCombinazione)),
                                               QLineEdit::Normal, QString(), &ok);
    if (ok) answer = S(text);
  }
  if (!answer || Trim(*answer).empty()) return;
  if (!IsValidPresetName(*answer)) {
    ShowMessageError(kMsgPresetName, kTtlPresetName);
    return;
  }
  const std::string folder = UserSubDir(kPresetFolder);
  ForceDirectories(folder);
  try {
    SavePreset(PresetPath(folder, *answer));
  } catch (const std::exception& e) {
    // "Unable to write to <file>", shown as the program shows errors; the list stays.
    VombrelApplication::ShowException(e.what());
    return;
  }
  RefreshPresetList();
}

void TFormRecording::SavePreset(const std::string& path) {
  TRecorderPreset preset;
  preset.Sorgente = S(ComboSorgente->currentText());
  preset.Destinazione = S(ComboDestinazione->currentText());
  preset.Canali = S(ComboCanali->currentText());
  preset.Bits = S(ComboBits->currentText());
  preset.Frequenza = S(ComboFrequenza->currentText());
  preset.FileDestinazione = S(EditFileDestinazione->text());
  preset.OraInizio = S(EditOraInizio->Text());
  preset.OraFine = S(EditOraFine->Text());
  WritePresetFile(path, preset);
}

void TFormRecording::EditCombinazioneChange() {
  const QString name = EditCombinazione->currentText();
  if (name.isEmpty()) return;
  LoadPreset(PresetPath(UserSubDir(kPresetFolder), S(name)));
}

void TFormRecording::LoadPreset(const std::string& path) {
  const TRecorderPreset preset = ReadPresetFile(path);
  SelectQuietly(ComboSorgente, preset.Sorgente);
  SelectQuietly(ComboDestinazione, preset.Destinazione);
  SelectQuietly(ComboCanali, preset.Canali);
  SelectQuietly(ComboBits, preset.Bits);
  SelectQuietly(ComboFrequenza, preset.Frequenza);
  EditFileDestinazione->setText(Q(preset.FileDestinazione));
  EditOraInizio->SetText(Q(preset.OraInizio));
  EditOraFine->SetText(Q(preset.OraFine));
}

// ---- Closing ----

void TFormRecording::ButtonCloseClick() { close(); }

void TFormRecording::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    closed_ = true;
    OraInizio->SetActive(false);
    OraFine->SetActive(false);
    StopRecording();
  }
  event->accept();
}

}  // namespace vombrel
