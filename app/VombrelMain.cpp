#include "app/VombrelMain.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>

#include "app/Aboutbox.h"
#include "app/Application.h"
#include "app/Colori.h"
#include "app/Commandpanel.h"
#include "app/Opzioni.h"
#include "app/Recording.h"
#include "app/Video.h"
#include "mediainfo/Trackinfo.h"
#include "platform/Trayicon.h"
#include "platform/Volumefollower.h"
#include "playlist/Playlistfiles.h"
#include "playlist/Playlisthandover.h"
#include "support/Configurazione.h"
#include "support/Supportaspetto.h"
#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "support/Supportmsg.h"
#include "support/Textcodec.h"
#include "toolkit/Colorscheme.h"
#include "toolkit/Components.h"
#include "toolkit/Flathint.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Menuitems.h"
#include "toolkit/Translation.h"

namespace vombrel {

namespace ml = mainlayout;

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string S(const QString& text) { return text.toStdString(); }

// Sorted without regard to case, duplicates (in any case) left out.
StringList SortedAssociations(StringList extensions) {
  std::stable_sort(extensions.begin(), extensions.end(),
                   [](const std::string& a, const std::string& b) { return UpperCase(a) < UpperCase(b); });
  extensions.erase(std::unique(extensions.begin(), extensions.end(),
                               [](const std::string& a, const std::string& b) { return SameText(a, b); }),
                   extensions.end());
  return extensions;
}

// The extensions of "Associations.cfg": one a line, sorted without regard to case,
// duplicates and blank lines left out. A missing or unreadable file gives none.
StringList ReadAssociations() {
  StringList extensions;
  const auto bytes = ReadFileBytes(UserDir() + "Associations.cfg");
  if (!bytes) return extensions;
  for (const std::string& line : SplitLines(DecodeText(*bytes))) {
    const std::string extension = Trim(line);
    if (!extension.empty()) extensions.push_back(extension);
  }
  return SortedAssociations(std::move(extensions));
}

}  // namespace

TFormVombrel::TFormVombrel(std::vector<std::string> arguments, EngineFactory engineFactory, OutputVolume volume)
    : QWidget(nullptr, Qt::FramelessWindowHint),
      arguments_(std::move(arguments)),
      engineFactory_(std::move(engineFactory)),
      volume_(std::move(volume)),
      playlist_(this) {
  playlist_.SetTitleReader(ReadTitle);
  setObjectName("FormVombrel");
  setWindowTitle("Vombrel");
  BuildWindow();
  BuildMenus();
  // Construction: the shared settings precede every read of a setting.
  InitSharedConfig("Kelvatro/Vombrel");
  FormPlacement = new TFormPlacement(this);
  FormPlacement->setObjectName("FormPlacement");
  BindFormPlacement(UserConfig(), FormPlacement, this);
  BuildTray();
  engineLoaded_ = false;
  if (!volume_.read && !volume_.write) {
    // The default sink's volume, followed through the sound server's change events on a
    // thread of its own: reads come from what the server last reported, writes are sent
    // without waiting, and a change runs SyncVolumeBar here.
    auto* follower = new TVolumeFollower(this);
    follower->setObjectName("VolumeFollower");
    volume_.read = [follower] { return follower->Position(); };
    volume_.write = [follower](int32_t v) { follower->SetVolume(v); };
    connect(follower, &TVolumeFollower::Changed, this, &TFormVombrel::SyncVolumeBar);
  }

  // FormCreate.
  autoplayPending_ = false;
  LoadColorScheme(this, CurrentSchemePath());
  ToggleTagPanel();  // the window starts with the tag panel folded
  LoadSettings();
  StartupPlaylist();
  setAcceptDrops(true);
}

TFormVombrel::~TFormVombrel() {
  playlist_.SetController(nullptr);
  if (engine_) {
    try {
      engine_->DeinitPlayer();
    } catch (...) {
    }
  }
}

// ---------------------------------------------------------------------------------------
// The window's components.

void TFormVombrel::BuildWindow() {
  setFixedSize(ml::kWidth, ml::kHeightWithTags);

  BarraTitolo = MakeComponent<TFlatTitlebar>(this, "BarraTitolo");
  BarraTitolo->setGeometry(ml::kTitleBar);
  BarraTitolo->SetCaption("Vombrel");
  ButtonMinimize = MakeComponent<TFlatButton>(BarraTitolo, "ButtonMinimize");
  ButtonMinimize->setGeometry(ml::kButtonMinimize);
  ButtonMinimize->SetGlyph(TGlyph::Minimise);
  ButtonClose = MakeComponent<TFlatButton>(BarraTitolo, "ButtonClose");
  ButtonClose->setGeometry(ml::kButtonClose);
  ButtonClose->SetGlyph(TGlyph::Close);

  // The title, the information row and the tag frames are text areas: flat panels with
  // Tag 1 take the scheme's text-box colour and its border.
  PannelloTitolo = MakeComponent<TFlatPanel>(this, "PannelloTitolo");
  PannelloTitolo->SetTag(1);
  PannelloTitolo->setGeometry(ml::kTitlePanel);
  PannelloTitolo->SetCaption("No Playback");
  PannelloTitolo->SetHint("Traccia attuale. Click per visualizzare playlist");
  PannelloScorrevole = MakeComponent<TSecretPanel>(PannelloTitolo, "PannelloScorrevole");
  PannelloScorrevole->setGeometry(0, 0, ml::kTitlePanel.width(), ml::kTitlePanel.height());
  PannelloScorrevole->hide();
  ButtonAddToPlaylist = MakeComponent<TFlatButton>(this, "ButtonAddToPlaylist");
  ButtonAddToPlaylist->setGeometry(ml::kButtonAddToPlaylist);
  ButtonAddToPlaylist->SetGlyph(TGlyph::Add);
  ButtonAddToPlaylist->SetHint("Aggiunge una traccia alla playlist");
  ButtonPlaylist = MakeComponent<TFlatButton>(this, "ButtonPlaylist");
  ButtonPlaylist->setGeometry(ml::kButtonPlaylist);
  ButtonPlaylist->SetGlyph(TGlyph::Playlist);
  ButtonPlaylist->SetHint("Visualizza la playlist");

  RollTags = MakeComponent<TFlatButton>(this, "RollTags");
  RollTags->setGeometry(ml::kRollTags);
  RollTags->SetTwoState(true);
  RollTags->SetHint("Visualizza o nasconde i tags della traccia attuale");

  PannelloTagsBox = MakeComponent<TPanel>(this, "PannelloTagsBox");
  PannelloTagsBox->setGeometry(0, ml::kTagsBoxTop, ml::kWidth, ml::kTagsBoxHeight);
  PannelloTags = MakeComponent<TFlatPanel>(PannelloTagsBox, "PannelloTags");
  PannelloTags->setGeometry(3, 0, ml::kWidth - 6, ml::kTagsBoxHeight);
  struct TagRow {
    TLabel** label;
    const char* labelName;
    const char* caption;
    TFlatPanel** frame;
    const char* frameName;
    TEdit** edit;
    const char* editName;
    const char* hint;
  };
  const TagRow rows[] = {
      {&LabelTitolo, "LabelTitolo", "Titolo", &PannelloTagTitolo, "PannelloTagTitolo", &TagTitolo, "TagTitolo",
       "Titolo della traccia"},
      {&LabelArtista, "LabelArtista", "Artista", &PannelloTagArtista, "PannelloTagArtista", &TagArtista, "TagArtista",
       "Artista/Autore della traccia"},
      {&LabelAlbum, "LabelAlbum", "Album", &PannelloTagAlbum, "PannelloTagAlbum", &TagAlbum, "TagAlbum",
       "Album di appartenenza della traccia"},
      {&LabelAnno, "LabelAnno", "Anno", &PannelloTagAnno, "PannelloTagAnno", &TagAnno, "TagAnno",
       "Anno di produzione della traccia"},
      {&LabelTraccia, "LabelTraccia", "Traccia", &PannelloTagTraccia, "PannelloTagTraccia", &TagTraccia, "TagTraccia",
       "Numero della traccia all'interno dell'album"},
      {&LabelCommento, "LabelCommento", "Commento", &PannelloTagCommento, "PannelloTagCommento", &TagCommento,
       "TagCommento", "Commenti relativi alla traccia"},
      {&LabelGenere, "LabelGenere", "Genere", &PannelloTagGenere, "PannelloTagGenere", &TagGenere, "TagGenere",
       "Genere musicale della traccia"},
  };
  for (const TagRow& row : rows) {
    *row.label = MakeComponent<TLabel>(PannelloTags, row.labelName);
    (*row.label)->SetCaption(row.caption);
    // Each field sits in a frame of its own; the field itself draws no border.
    *row.frame = MakeComponent<TFlatPanel>(PannelloTags, row.frameName);
    (*row.frame)->SetTag(1);
    *row.edit = MakeComponent<TEdit>(*row.frame, row.editName);
    (*row.edit)->setFrame(false);
    (*row.edit)->setToolTip(row.hint);
  }
  LayoutTagRows();
  BtnSaveTag = MakeComponent<TFlatButton>(PannelloTags, "BtnSaveTag");
  BtnSaveTag->setGeometry(ml::kWidth - 6 - 6 - 64, 5 + 7 * 22 + 2, 64, 20);
  BtnSaveTag->SetCaption("Salva");
  BtnSaveTag->SetHint("Salva i tag della traccia corrente");

  PannelloScorrimento = MakeComponent<TPanel>(this, "PannelloScorrimento");
  PannelloInfo = MakeComponent<TFlatPanel>(PannelloScorrimento, "PannelloInfo");
  PannelloInfo->SetTag(1);
  PannelloInfo->setGeometry(ml::kInfoRow);
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPixelSize(11);
  auto label = [&](TLabel*& target, const char* name, const char* caption, QRect geometry) {
    target = MakeComponent<TLabel>(PannelloInfo, name);
    target->SetCaption(caption);
    target->setFont(fixed);
    target->setGeometry(geometry);
  };
  // Two lines of fixed-pitch text: the times above, the stream format below.
  label(Tempo, "Tempo", "-.--.--", QRect(4, 1, 56, 13));
  label(LabelFrazione, "LabelFrazione", "/", QRect(57, 1, 8, 13));
  label(Durata, "Durata", "-.--.--", QRect(66, 1, 56, 13));
  label(LabelBitRate, "LabelBitRate", "0 kBit/s", QRect(140, 1, 102, 13));
  // A rule between the times and the stream format.
  SeparaInfo = MakeComponent<TFlatPanel>(PannelloInfo, "SeparaInfo");
  SeparaInfo->SetTag(1);
  SeparaInfo->setGeometry(3, 14, ml::kInfoRow.width() - 6, 1);
  label(LabelFrequency, "LabelFrequency", "0 kHz", QRect(4, 15, 80, 12));
  label(LabelExtension, "LabelExtension", "( no file )", QRect(90, 15, 152, 12));
  Tempo->SetHint("Posizione all'interno della traccia");
  Durata->SetHint("Durata della traccia");
  LabelBitRate->SetAlignmentFlags(Qt::AlignRight | Qt::AlignVCenter);
  LabelExtension->SetAlignmentFlags(Qt::AlignRight | Qt::AlignVCenter);

  auto bar = [&](TFlatPanel*& frame, const char* frameName, TFlatScrollbar*& target, const char* name, QRect geometry,
                 int max, const char* hint) {
    frame = MakeComponent<TFlatPanel>(PannelloScorrimento, frameName);
    frame->setGeometry(geometry);
    target = MakeComponent<TFlatScrollbar>(frame, name);
    target->setGeometry(-ml::kBarArrowOverhang, 0, geometry.width() + 2 * ml::kBarArrowOverhang, geometry.height());
    target->SetRange(0, max);
    target->SetHint(hint);
  };
  bar(PannelloPosizione, "PannelloPosizione", Posizione, "Posizione", ml::kPositionFrame, 100,
      "Indica la posizione all'interno della traccia");
  bar(PannelloVolume, "PannelloVolume", Volume, "Volume", ml::kVolumeFrame, kVolumeMaximum,
      "Indica il volume di riproduzione");
  Volume->SetSmallChange(kWheelVolumeStep / 4);
  Volume->SetLargeChange(kWheelVolumeStep);
  Volume->SetPosition(kVolumeMaximum);

  struct RowButtonPlan {
    TFlatButton** button;
    const char* name;
    ml::RowButton place;
    TGlyph glyph;
    const char* hint;
  };
  const RowButtonPlan buttons[] = {
      {&ButtonPlay, "ButtonPlay", ml::RowButton::Play, TGlyph::Play, "Riproduce la traccia attuale"},
      {&ButtonPrev, "ButtonPrev", ml::RowButton::Prev, TGlyph::Previous, "Passa alla traccia precedente"},
      {&ButtonNext, "ButtonNext", ml::RowButton::Next, TGlyph::Next, "Passa alla traccia successiva"},
      {&ButtonPause, "ButtonPause", ml::RowButton::Pause, TGlyph::Pause, "Sospende la riproduzione"},
      {&ButtonStop, "ButtonStop", ml::RowButton::Stop, TGlyph::Stop, "Interrompe la riproduzione"},
      {&ButtonRec, "ButtonRec", ml::RowButton::Rec, TGlyph::Record,
       "Abilita la modalità di registrazione. Premere 'Play' per avviare la registrazione."},
      {&ButtonSplash, "ButtonSplash", ml::RowButton::Splash, TGlyph::None, "Visualizza info sul programma"},
  };
  for (const RowButtonPlan& plan : buttons) {
    *plan.button = MakeComponent<TFlatButton>(PannelloScorrimento, plan.name);
    (*plan.button)->SetGlyph(plan.glyph);
    (*plan.button)->SetHint(plan.hint);
  }
  ButtonPause->SetTwoState(true);
  ButtonSplash->SetCaption("V");
  ButtonSplash->SetTag(1);

  // The application's tool tips, painted in the window's colours.
  auto* flatHint = new TFlatHint(this);
  flatHint->setObjectName("FlatHint");

  PlayerTimer = new QTimer(this);
  PlayerTimer->setObjectName("PlayerTimer");
  PlayerTimer->setInterval(1000);
  // The volume bar follows the sound server's change events instead of this timer (see
  // the constructor); it is kept, stopped, for the code that stops and restarts it.
  VolumeTimer = new QTimer(this);
  VolumeTimer->setObjectName("VolumeTimer");
  VolumeTimer->setInterval(500);
  FullScreenTimer = new QTimer(this);
  FullScreenTimer->setObjectName("FullScreenTimer");
  FullScreenTimer->setInterval(1000);

  connect(ButtonClose, &FlatControl::Click, this, &TFormVombrel::ButtonCloseClick);
  connect(ButtonMinimize, &FlatControl::Click, this, &TFormVombrel::ButtonMinimizeClick);
  connect(ButtonAddToPlaylist, &FlatControl::Click, this, &TFormVombrel::PopupAddClick);
  connect(ButtonPlaylist, &FlatControl::Click, this, &TFormVombrel::ButtonPlaylistClick);
  connect(BarraTitolo, &TFlatTitlebar::FormMove, this, &TFormVombrel::BarraTitoloFormMove);
  connect(RollTags, &FlatControl::Click, this, &TFormVombrel::ToggleTagPanel);
  connect(BtnSaveTag, &FlatControl::Click, this, &TFormVombrel::BtnSaveTagClick);
  connect(ButtonPlay, &FlatControl::Click, this, &TFormVombrel::ButtonPlayClick);
  connect(ButtonPrev, &FlatControl::Click, this, &TFormVombrel::ButtonPrevClick);
  connect(ButtonNext, &FlatControl::Click, this, &TFormVombrel::ButtonNextClick);
  connect(ButtonPause, &FlatControl::Click, this, &TFormVombrel::ButtonPauseClick);
  connect(ButtonStop, &FlatControl::Click, this, &TFormVombrel::ButtonStopClick);
  connect(ButtonSplash, &FlatControl::Click, this, &TFormVombrel::ButtonSplashClick);
  connect(ButtonRec, &FlatControl::Click, this, &TFormVombrel::RegistracomeWAV1Click);
  connect(PannelloTitolo, &FlatControl::Click, this, &TFormVombrel::PannelloTitoloClick);
  connect(PannelloScorrevole, &FlatControl::Click, this, &TFormVombrel::PannelloScorrevoleClick);
  connect(Posizione, &TFlatScrollbar::Scroll, this, [this](int, int position) { SeekToPercent(position); });
  connect(Volume, &TFlatScrollbar::Scroll, this, [this](int, int position) { SetVolume(position); });
  connect(PlayerTimer, &QTimer::timeout, this, &TFormVombrel::PlayerTimerTimer);
  connect(FullScreenTimer, &QTimer::timeout, this, &TFormVombrel::FullScreenTimerTimer);
  PannelloTitolo->installEventFilter(this);
  PannelloScorrevole->installEventFilter(this);
  PlayerTimer->start();
  LayoutLowerArea();
}

void TFormVombrel::BuildMenus() {
  auto item = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
    auto* action = new TMenuItem(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setText(QString::fromUtf8(caption));
    menu->addAction(action);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  configMenu_ = new QMenu(this);
  configMenu_->setObjectName("ConfigMenu");
  auto* cambiaColori = item(configMenu_, "PopupCambiaColori", "Cambia Colori", &TFormVombrel::PopupCambiaColoriClick);
  cambiaColori->SetHint("Accede al modulo di definizione delle combinazioni di colore.");
  cambiaColori->SetTag(8);
  auto* opzioni = item(configMenu_, "PopupOpzioni", "Opzioni", &TFormVombrel::PopupOpzioniClick);
  opzioni->SetHint("Accede al modulo delle impostazioni.");
  opzioni->SetTag(9);
  item(configMenu_, "PopupRipper", "Acquisisci CD", &TFormVombrel::PopupRipperClick)
      ->SetHint("Accede al modulo di acquisizione delle tracce da CD");
  auto* registratore = item(configMenu_, "PopupRegistratore", "Registratore", &TFormVombrel::PopupRegistratoreClick);
  registratore->SetHint("Accede al modulo registratore di suoni.");
  registratore->SetTag(11);
  configMenu_->addSeparator();
  item(configMenu_, "PopupEsci", "Esci", &TFormVombrel::ButtonCloseClick)->SetHint("Esce dal programma.");

  titleMenu_ = new QMenu(this);
  titleMenu_->setObjectName("TitleMenu");
  item(titleMenu_, "PopVisualizzaFile", "Visualizza nome traccia", [this] {
    playlist_.ShowFileNames = true;
    RefreshTitle();
  });
  item(titleMenu_, "PopVisualizzaNomeFile", "Visualizza nome file", [this] {
    playlist_.ShowFileNames = false;
    RefreshTitle();
  });

  // The tray menu: the tray icon shows it; the transport and volume items work here.
  playMenu_ = new QMenu(this);
  playMenu_->setObjectName("PlayMenu");
  volumeMenu_ = new QMenu(this);
  volumeMenu_->setObjectName("VolumeMenu");
  auto* popupVolume = new TMenuItem(this);
  popupVolume->setObjectName("PopupVolume");
  popupVolume->setText("Volume");
  popupVolume->SetTag(10);
  popupVolume->setMenu(volumeMenu_);
  playMenu_->addAction(popupVolume);
  auto* volumeGroup = new QActionGroup(volumeMenu_);
  for (const char* caption : {"100%", "80%", "60%", "40%", "20%", "0%"}) {
    auto* action = new TMenuItem(this);
    action->setText(QString::fromLatin1(caption));
    action->SetTag(-1);
    volumeMenu_->addAction(action);
    action->setCheckable(true);
    action->setChecked(std::string_view(caption) == "100%");
    volumeGroup->addAction(action);
    connect(action, &QAction::triggered, this, [this, action] { VolumeItemClick(action->text()); });
  }
  playMenu_->addSeparator();
  item(playMenu_, "PopupPlay", "Play", &TFormVombrel::ButtonPlayClick);
  item(playMenu_, "PopupPrev", "Prev", &TFormVombrel::ButtonPrevClick);
  item(playMenu_, "PopupNext", "Next", &TFormVombrel::ButtonNextClick);
  item(playMenu_, "PopupPause", "Pause", &TFormVombrel::ButtonPauseClick);
  item(playMenu_, "PopupStop", "Stop", &TFormVombrel::ButtonStopClick);
  playMenu_->addSeparator();
  item(playMenu_, "PopupAdd", "Aggiungi", &TFormVombrel::PopupAddClick);
  playMenu_->addSeparator();
  item(playMenu_, "PopupExit", "Exit", &TFormVombrel::ButtonCloseClick);
}

// Places the information row, the bars and the button row below the tag box.
void TFormVombrel::LayoutLowerArea() {
  const int top = ml::kTagsBoxTop + (PannelloTags->isVisible() ? ml::kTagsBoxHeight + ml::kTagsGap : 0);
  PannelloScorrimento->setGeometry(0, top, ml::kWidth, ml::kLowerAreaHeight);
  const bool open = PannelloTags->isVisible();
  const struct {
    TFlatButton* button;
    ml::RowButton place;
  } row[] = {{ButtonPlay, ml::RowButton::Play},    {ButtonPrev, ml::RowButton::Prev}, {ButtonNext, ml::RowButton::Next},
             {ButtonPause, ml::RowButton::Pause},  {ButtonStop, ml::RowButton::Stop}, {ButtonRec, ml::RowButton::Rec},
             {ButtonSplash, ml::RowButton::Splash}};
  for (const auto& r : row) r.button->setGeometry(ml::ButtonRect(r.place, open).translated(0, -top));
}

void TFormVombrel::ToggleTagPanel() {
  const int delta = ml::kTagsBoxHeight + ml::kTagsGap;
  if (!PannelloTags->isHidden()) {
    PannelloTags->hide();
    PannelloTagsBox->setFixedHeight(0);
    setFixedSize(width(), height() - delta);
  } else {
    setFixedSize(width(), height() + delta);
    PannelloTagsBox->setFixedHeight(ml::kTagsBoxHeight);
    PannelloTags->show();
  }
  LayoutLowerArea();
}

// The labels' column is as wide as its widest caption in the current language (within
// bounds that leave the fields room), so no caption is cut; the fields take the rest.
void TFormVombrel::LayoutTagRows() {
  TLabel* const labels[] = {LabelTitolo, LabelArtista, LabelAlbum, LabelAnno, LabelTraccia, LabelCommento, LabelGenere};
  TFlatPanel* const frames[] = {PannelloTagTitolo,  PannelloTagArtista,  PannelloTagAlbum, PannelloTagAnno,
                                PannelloTagTraccia, PannelloTagCommento, PannelloTagGenere};
  int labelWidth = ml::kTagFieldLeft - ml::kTagLabelLeft - 2;
  for (const TLabel* label : labels)
    labelWidth = std::max(labelWidth, label->fontMetrics().horizontalAdvance(label->Caption()) + 2);
  labelWidth = std::min(labelWidth, ml::kTagLabelMaxWidth);
  const int fieldLeft = ml::kTagLabelLeft + labelWidth + 2;
  const int fieldWidth = PannelloTags->width() - fieldLeft - 6;
  int top = 5;
  for (size_t i = 0; i < std::size(labels); ++i) {
    labels[i]->setGeometry(ml::kTagLabelLeft, top, labelWidth, 18);
    frames[i]->setGeometry(fieldLeft, top, fieldWidth, 19);
    frames[i]->findChild<TEdit*>()->setGeometry(frames[i]->rect().adjusted(1, 1, -1, -1));
    top += 22;
  }
}

// ---------------------------------------------------------------------------------------
// Settings, start-up, showing and activation.

void TFormVombrel::LoadSettings() {
  TConfigurazione& config = UserConfig();
  SetHintsEnabled(config.ReadBool("General", "Hints", true));
  hideOnVideo_ = config.ReadBool("General", "HideOnVideo", false);
  trayCommands_ = config.ReadBool("General", "TrayCommands", true);
  playlist_.Repeat = config.ReadBool("General", "Repeat", true);
  playlist_.Shuffle = config.ReadBool("General", "Shuffle", false);
  SetCurrentLanguage(config.ReadString("General", "Language", "English"));
  ApplyLanguage(this, CurrentLanguage());
  LayoutTagRows();
  RebuildHotKeys();
  associations_ = ReadAssociations();
  BuildOpenFilter();
}

void TFormVombrel::StartupPlaylist() {
  playlist_.Entries.clear();
  try {
    if (arguments_.empty() || arguments_.front().empty()) {
      playlist_.LoadAutosave();
    } else {
      const std::string& argument = arguments_.front();
      if (IsPlaylistFile(argument))
        playlist_.LoadPlaylistFile(argument);
      else
        playlist_.Entries = {argument};
      autoplayPending_ = true;
    }
  } catch (...) {
    // A playlist that cannot be read or an autosave that cannot be written leaves the
    // list as far as it got; start-up goes on.
  }
  playlist_.CurrentIndex = 0;
  SyncVolumeBar();
}

void TFormVombrel::ProcessCommandLine() {
  for (const ShellCommand& command : WalkCommandLine(arguments_, WorkingFolder())) {
    // A handler's failure is swallowed, as the shell command dispatch does.
    try {
      if (SameText(command.command, "Open"))
        ShellCmdCmdOpenFile(command.file, command.option);
      else
        ShellCmdCmdCustom(command.command, command.file, command.option);
    } catch (...) {
    }
  }
}

void TFormVombrel::FormShow() {
  if (!engineLoaded_) {
    CreatePlayerEngine(UserConfig().ReadString("General", "Player", "Default"));
    engineLoaded_ = true;
  }
  SyncVolumeBar();
}

void TFormVombrel::FormActivate() {
  SyncVolumeBar();
  if (autoplayPending_) {
    autoplayPending_ = false;
    playlist_.PlayWithRetry();
  }
}

void TFormVombrel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  FormShow();
  // Without a window manager a new window is never activated; the first showing counts
  // as the first activation then, so a pending autoplay starts all the same.
  QTimer::singleShot(0, this, [this] {
    if (autoplayPending_) FormActivate();
  });
}

void TFormVombrel::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
  if (event->type() == QEvent::WindowStateChange && CoolTrayIcon) {
    if (isMinimized()) {
      AppEventsMinimize();  // with a tray, only the icon remains
      if (TCoolTrayIcon::Available()) QTimer::singleShot(0, this, &QWidget::hide);
    } else if (isVisible())
      AppEventsRestore();
  }
}

void TFormVombrel::CreatePlayerEngine(const std::string& name) {
  if (!engineFactory_) return;
  engine_ = engineFactory_(name, [this](void*) { MediaPlayerNotify(); });
}

void TFormVombrel::DestroyPlayerEngine() {
  if (!engine_) return;
  std::unique_ptr<TBasePlayer> engine = std::move(engine_);
  engine->DeinitPlayer();
}

// ---------------------------------------------------------------------------------------
// Transport.

bool TFormVombrel::EngineActive() { return engine_ && IsActiveMode(engine_->GetMode()); }

// The track-end test compares these two. An engine that cannot tell (no file open, a
// notification after a failed open) gives values that never match, so nothing starts and
// no error reaches the user.
int32_t TFormVombrel::EnginePosition() {
  try {
    return engine_ ? engine_->GetPosition() : 0;
  } catch (...) {
    return 0;
  }
}

int32_t TFormVombrel::EngineLength() {
  try {
    return engine_ ? engine_->GetLength() : -1;
  } catch (...) {
    return -1;
  }
}

void TFormVombrel::ButtonPlayClick() { playlist_.PlayWithRetry(); }

void TFormVombrel::ButtonPauseClick() {
  if (!engine_) return;
  try {
    if (paused_) {
      engine_->Resume();
      paused_ = false;
    } else {
      engine_->Pause();
      paused_ = true;
    }
  } catch (...) {
    // The engine's failure leaves Paused as it was.
  }
}

void TFormVombrel::ButtonStopClick() {
  playlist_.StopRequested = true;
  if (!engine_) return;
  try {
    engine_->Stop();
  } catch (...) {
  }
}

void TFormVombrel::ButtonNextClick() {
  playlist_.StepNext();
  playlist_.PlayWithRetry();
}

void TFormVombrel::ButtonPrevClick() {
  playlist_.StepPrevious();
  playlist_.PlayWithRetry();
}

void TFormVombrel::MediaPlayerNotify() { playlist_.HandleTrackEnd(); }

bool TFormVombrel::TryPlayCurrent() {
  if (playlist_.CurrentIndex < 0 || playlist_.CurrentIndex >= playlist_.Count()) return false;
  try {
    const std::string entry = playlist_.Entry(playlist_.CurrentIndex);
    RefreshTitle();
    if (!engine_) return false;
    if (EngineActive()) engine_->Stop();
    bool ok = false;
    bool video = false;
    {
      MMFileInfoPtr info = engine_->Open(entry);
      ok = info && info->Success;
      video = info && !info->AudioOnly;
    }
    if (!ok) return false;
    if (video) {
      ShowVideoWindow();
      if (hideOnVideo_) hide();
    } else {
      CloseVideoWindow();
      ShowMainIfHidden();
    }
    ShowTrackLength(FillTrackInfo(entry));
    engine_->Play();
    paused_ = false;
    SetPositionBars(0);
    return true;
  } catch (...) {
    return false;
  }
}

// The total time and the tray tooltip that names it. A stream without a length header
// (ADTS AAC, for one) has no length until the engine has decoded some of it: the total
// time then follows as soon as the engine knows it.
void TFormVombrel::ShowTrackLength(int32_t length) {
  lengthPending_ = length <= 0;
  Durata->SetCaption(Q(FormatTime(length)));
  if (playlist_.CurrentIndex < 0 || playlist_.CurrentIndex >= playlist_.Count()) return;
  trayTooltip_ = Q(TrayTooltipText(S(TagArtista->text()), S(TagTitolo->text()),
                                   playlist_.DisplayName(playlist_.Entry(playlist_.CurrentIndex)),
                                   S(Durata->Caption())));
  if (CoolTrayIcon) CoolTrayIcon->SetHint(trayTooltip_);
}

void TFormVombrel::PlayerTimerTimer() {
  bool shown = false;
  try {
    if (engine_ && IsActiveMode(engine_->GetMode())) {
      const int32_t length = engine_->GetLength();
      if (length > 0 && lengthPending_) ShowTrackLength(length);
      if (length != 0) {
        const int32_t position = engine_->GetPosition();
        Tempo->SetCaption(Q(FormatTime(position)));
        SetPositionBars(PositionPercent(position, length));
        shown = true;
      }
    }
  } catch (...) {
  }
  if (!shown) {
    Tempo->SetCaption(Q(kNoTimeText));
    SetPositionBars(0);
  }
  lastTimerPosition_ = Posizione->Position();
}

void TFormVombrel::SetPositionBars(int percent) {
  Posizione->SetPosition(percent);
  if (video_ && video_->isVisible()) video_->SetPosition(percent);
}

void TFormVombrel::SeekToPercent(int percent) {
  try {
    if (EngineActive() && percent != lastTimerPosition_)
      engine_->SetPosition(SeekTarget(engine_->GetLength(), percent));
  } catch (...) {
    // A seek the engine refuses leaves playback where it was.
  }
}

void TFormVombrel::ToggleFullScreen() {
  if (!engine_ || !engine_->HasVideo()) return;
  fullScreenOn_ = !fullScreenOn_;
  engine_->SetFullScreen(fullScreenOn_);
  if (fullScreenOn_)
    FullScreenTimer->start();
  else
    FullScreenTimer->stop();
  FollowFullScreenWithEscHotKey();
}

// While the picture fills the screen: the command panel shows, centred at the bottom of
// the video's screen, as long as the pointer is in the band the panel covers.
void TFormVombrel::FullScreenTimerTimer() {
  if (!commandPanel_) return;
  const QWidget* anchor = video_ ? static_cast<QWidget*>(video_) : static_cast<QWidget*>(this);
  const QScreen* screen = anchor->screen() != nullptr ? anchor->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const int y = QCursor::pos().y() - area.top();
  const int h = commandPanel_->height();
  if (area.height() - h < y && y < area.height()) {
    if (commandPanel_->isHidden()) {
      commandPanel_->move(area.left() + (area.width() - commandPanel_->width()) / 2, area.top() + area.height() - h);
      commandPanel_->show();
      commandPanel_->raise();
    }
  } else if (commandPanel_->isVisible()) {
    commandPanel_->close();
  }
}

void TFormVombrel::ShowVideoWindow() {
  if (video_) video_->show();
}

void TFormVombrel::CloseVideoWindow() {
  if (video_ && video_->isVisible()) video_->close();
}

void TFormVombrel::ShowMainIfHidden() {
  if (hideOnVideo_ && !isVisible() && !isMinimized()) show();
}

// ---------------------------------------------------------------------------------------
// Volume.

void TFormVombrel::SetVolume(int32_t volume) {
  if (volume_.write) volume_.write(volume);
}

void TFormVombrel::SyncVolumeBar() {
  if (!volume_.read) return;
  if (const auto right = volume_.read()) Volume->SetPosition(*right);
}

void TFormVombrel::VolumeUp(int32_t step) {
  if (const auto target = VolumeUpTarget(Volume->Position(), step)) SetVolume(*target);
}

void TFormVombrel::VolumeDown(int32_t step) {
  if (const auto target = VolumeDownTarget(Volume->Position(), step)) SetVolume(*target);
}

void TFormVombrel::VolumeItemClick(const QString& caption) {
  const auto volume = VolumeFromMenuCaption(S(caption));
  if (!volume) return;
  SetVolume(*volume);
  Volume->SetPosition(*volume);
}

void TFormVombrel::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta > 0)
    VolumeUp(kWheelVolumeStep);
  else if (delta < 0)
    VolumeDown(kWheelVolumeStep);
  event->accept();
}

// ---------------------------------------------------------------------------------------
// Title.

void TFormVombrel::RefreshTitle() {
  if (playlist_.CurrentIndex < 0 || playlist_.CurrentIndex >= playlist_.Count()) return;
  const QString name = Q(playlist_.DisplayName(playlist_.Entry(playlist_.CurrentIndex)));
  PannelloScorrevole->SetLines({name});
  PannelloTitolo->SetCaption(name);
}

void TFormVombrel::PannelloTitoloClick() {
  PannelloScorrevole->show();
  PannelloScorrevole->SetActive(true);
}

void TFormVombrel::PannelloScorrevoleClick() {
  PannelloScorrevole->SetActive(false);
  PannelloScorrevole->hide();
}

bool TFormVombrel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ContextMenu && (watched == PannelloTitolo || watched == PannelloScorrevole)) {
    titleMenu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TFormVombrel::contextMenuEvent(QContextMenuEvent* event) { configMenu_->popup(event->globalPos()); }

// ---------------------------------------------------------------------------------------
// Adding tracks.

void TFormVombrel::BuildOpenFilter() { openFilter_ = vombrel::BuildOpenFilter(associations_); }

void TFormVombrel::PopupAddClick() {
  StringList chosen;
  if (fileChooserForTesting_) {
    chosen = fileChooserForTesting_();
  } else {
    QFileDialog chooser(this, "Load Tracks");
    chooser.setFileMode(QFileDialog::ExistingFiles);
    chooser.setOption(QFileDialog::ReadOnly, false);
    QStringList filters;
    for (const std::string& filter : OpenFilterToNameFilters(openFilter_)) filters << Q(filter);
    chooser.setNameFilters(filters);
    if (!filters.isEmpty()) chooser.selectNameFilter(filters.front());
    if (chooser.exec() != QDialog::Accepted) return;
    for (const QString& path : chooser.selectedFiles()) chosen.push_back(S(path));
  }
  if (!chosen.empty()) playlist_.AddFiles(chosen);
}

void TFormVombrel::DropFiles(const StringList& paths) {
  if (!paths.empty()) playlist_.AddFiles(paths);
}

void TFormVombrel::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFormVombrel::dropEvent(QDropEvent* event) {
  StringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(S(url.toLocalFile()));
  event->acceptProposedAction();
  DropFiles(paths);
}

void TFormVombrel::ShellCmdCmdOpenFile(const std::string& file, const std::string&) {
  if (IsPlaylistFile(file)) {
    playlist_.LoadPlaylistFile(file);
  } else {
    playlist_.Clear();
    playlist_.AddFile(file);
  }
  playlist_.CurrentIndex = 0;
  playlist_.PlayWithRetry();
}

void TFormVombrel::ShellCmdCmdCustom(const std::string&, const std::string& file, const std::string&) {
  if (IsPlaylistFile(file))
    playlist_.LoadPlaylistFile(file);
  else
    playlist_.AddFile(file);
}

void TFormVombrel::AppEventsMessage(const std::string& name, const std::string& text) {
  const auto message = HandOverMessageFromName(name);
  if (!message) return;
  const HandOverOutcome outcome = ApplyHandOverMessage(playlist_, *message, text,
                                                       [this](const HandOverOutcome& applied) {
                                                         if (!applied.autoplay) return;
                                                         autoplayPending_ = true;
                                                         FormActivate();
                                                       });
  // After playback has started: the error box runs an event loop of its own.
  if (!outcome.writeError.empty()) ShowError(outcome.writeError, kApplicationTitle);
}

void TFormVombrel::BringToForeground() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

// ---------------------------------------------------------------------------------------
// Tags.

int32_t TFormVombrel::FillTrackInfo(const std::string& path) {
  const TrackInfo info = ReadTrackInfo(path);
  const struct {
    TEdit* edit;
    const std::string& text;
  } fields[] = {{TagTitolo, info.Tags.TagTitolo},   {TagArtista, info.Tags.TagArtista},
                {TagAlbum, info.Tags.TagAlbum},     {TagAnno, info.Tags.TagAnno},
                {TagTraccia, info.Tags.TagTraccia}, {TagCommento, info.Tags.TagCommento},
                {TagGenere, info.Tags.TagGenere}};
  for (const auto& field : fields) field.edit->setText(Q(field.text));
  LabelBitRate->SetCaption(Q(info.LabelBitRate));
  LabelFrequency->SetCaption(Q(info.LabelFrequency));
  if (info.LabelExtension) LabelExtension->SetCaption(Q(*info.LabelExtension));
  return info.LengthMs ? *info.LengthMs : engine_->GetLength();
}

void TFormVombrel::BtnSaveTagClick() {
  ButtonStopClick();
  if (!engine_) return;
  engine_->Close();
  const std::string name = engine_->GetFileName();
  if (IsMp3Path(name)) SaveTags(name);
  playlist_.PlayWithRetry();
}

TagPanelTexts TFormVombrel::PanelTexts() const {
  TagPanelTexts texts;
  texts.TagTitolo = S(TagTitolo->text());
  texts.TagArtista = S(TagArtista->text());
  texts.TagAlbum = S(TagAlbum->text());
  texts.TagAnno = S(TagAnno->text());
  texts.TagTraccia = S(TagTraccia->text());
  texts.TagCommento = S(TagCommento->text());
  texts.TagGenere = S(TagGenere->text());
  return texts;
}

void TFormVombrel::SaveTags(const std::string& path) {
  // A file that cannot be written throws: the application's error box shows why, and
  // the track does not start again.
  if (SaveTagsToFile(path, PanelTexts()) == SaveTagsResult::WrongTrackFormat)
    ShowTranslatedError(kMsgWrongFormatTrack.Key, kMsgWrongFormatTrack.Default, kTtlFormatError.Key,
                        kTtlFormatError.Default);
}

// ---------------------------------------------------------------------------------------
// Other modules.

void TFormVombrel::PopupRipperClick() {
  const QString folder = Q(AppSubDir("CdRipper"));
  // The launcher is a separate program; whether it starts is not examined.
  QProcess::startDetached(folder + "CdRipperLaucher", {Q(CurrentLanguage())}, folder);
}

void TFormVombrel::PopupCambiaColoriClick() {
  auto* editor = new TFormColori(this);
  editor->exec();
}

void TFormVombrel::PopupOpzioniClick() {
  auto* options = new TFormOpzioni(this);
  if (options->exec() == QDialog::Accepted) LoadSettings();
}

void TFormVombrel::SetAssociations(StringList extensions) { associations_ = SortedAssociations(std::move(extensions)); }

void TFormVombrel::PopupRegistratoreClick() {
  // A new recorder for every request; it frees itself when closed, and goes with the
  // main window at the end.
  auto* recorder = new TFormRecording(this);
  recorder->show();
}

void TFormVombrel::RegistracomeWAV1Click() { PopupRegistratoreClick(); }

void TFormVombrel::ButtonSplashClick() {
  auto* about = new TFormAboutBox(this);
  about->exec();
}

// ---------------------------------------------------------------------------------------
// Close.

void TFormVombrel::ButtonCloseClick() { close(); }

void TFormVombrel::closeEvent(QCloseEvent* event) {
  RunCloseSequence();
  event->accept();
  emit Closed();
}

void TFormVombrel::RunCloseSequence() {
  if (closed_) return;
  closed_ = true;
  // Any failure ends the sequence there; the window closes all the same. A settings file
  // that cannot be written is the exception: the user is told once (what the placement
  // and the switches lost), and the program still ends cleanly.
  try {
    PlayerTimer->stop();
    VolumeTimer->stop();
    FullScreenTimer->stop();
    ClosePlaylistWindow();
    ButtonStopClick();
    std::string writeError = FormPlacement->TakeSaveError();
    try {
      UserConfig().WriteBool("General", "Repeat", playlist_.Repeat);
      UserConfig().WriteBool("General", "Shuffle", playlist_.Shuffle);
    } catch (const IniWriteError& error) {
      if (writeError.empty()) writeError = error.what();
    }
    if (!writeError.empty()) ShowError(writeError, kApplicationTitle);
    DestroyPlayerEngine();
    FreeMessages();
    FreeSharedConfig();
    QThread::msleep(100);
  } catch (...) {
  }
}

}  // namespace vombrel
