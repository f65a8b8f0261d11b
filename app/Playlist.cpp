#include "app/Playlist.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <set>

#include "app/Mainlogic.h"
#include "app/Playlistdocking.h"
#include "app/VombrelMain.h"
#include "playlist/Playlistfiles.h"
#include "playlist/Playlistmodel.h"
#include "support/Configurazione.h"
#include "support/Supportaspetto.h"
#include "support/Supportlanguage.h"
#include "toolkit/Colorscheme.h"
#include "toolkit/Components.h"
#include "toolkit/Formplacement.h"
#include "toolkit/Translation.h"

namespace vombrel {

namespace pl = playlistlayout;

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QList<QRect> AvailableScreens() {
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
  return screens;
}

// The buttons of the lower row, in their order.
constexpr int kRowButtonWidth = 32;
constexpr int kRowButtonHeight = 22;
constexpr int kRowButtonGap = 3;
constexpr int kRowButtons = 7;

}  // namespace

TFormPlaylist::TFormPlaylist(TFormVombrel* main, bool docked, int topDelta, int leftDelta)
    : QWidget(main, Qt::Window | Qt::FramelessWindowHint),
      main_(main),
      docked_(docked),
      topDelta_(topDelta),
      leftDelta_(leftDelta) {
  setObjectName("FormPlaylist");
  setWindowTitle("Vombrel - Playlist");
  setAttribute(Qt::WA_DeleteOnClose);
  BuildWindow();
  FormPlacement = new TFormPlacement(this);
  FormPlacement->setObjectName("FormPlacement");
  BindFormPlacement(UserConfig(), FormPlacement, this);
  // Until a placement is stored, the window opens beside the main window.
  move(main_->frameGeometry().topRight() + QPoint(1, 0));

  LoadColorScheme(this, CurrentSchemePath());
  RefreshList();
  setAcceptDrops(true);
}

TFormPlaylist::~TFormPlaylist() = default;

PlaylistModel& TFormPlaylist::Model() const { return main_->Playlist(); }

// ---------------------------------------------------------------------------------------
// Components.

void TFormPlaylist::BuildWindow() {
  resize(pl::kWidth, pl::kHeight);
  setMinimumSize(pl::kWidth, 150);

  BarraTitolo = MakeComponent<TFlatTitlebar>(this, "BarraTitolo");
  BarraTitolo->SetCaption("Vombrel - Playlist");
  BtnClose = MakeComponent<TFlatButton>(BarraTitolo, "BtnClose");
  BtnClose->SetGlyph(TGlyph::Close);
  BtnClose->resize(14, 12);
  BtnMagnetic = MakeComponent<TFlatButton>(BarraTitolo, "BtnMagnetic");
  BtnMagnetic->SetGlyph(TGlyph::Magnet);
  BtnMagnetic->resize(14, 12);
  BtnMagnetic->SetTwoState(true);
  BtnMagnetic->SetDown(true);  // designed pressed: the window snaps from its first drag

  PannelloInterno = MakeComponent<TPanel>(this, "PannelloInterno");
  FlatPanel1 = MakeComponent<TFlatPanel>(PannelloInterno, "FlatPanel1");
  FlatPanel1->SetTag(1);
  LblNumeroTracce = MakeComponent<TLabel>(FlatPanel1, "LblNumeroTracce");
  LblNumeroTracce->SetCaption("Elenco vuoto");
  BtnViewMode = MakeComponent<TFlatButton>(PannelloInterno, "BtnViewMode");
  BtnViewMode->SetGlyph(TGlyph::ViewMode);
  BtnViewMode->SetHint("Visualizza il titolo della traccia o il nome del file");
  PlaylistView = MakeComponent<TFlatCheckListBox>(PannelloInterno, "PlaylistView");

  struct ButtonPlan {
    TFlatButton** button;
    const char* name;
    TGlyph glyph;
    const char* hint;
  };
  const ButtonPlan buttons[kRowButtons] = {
      {&BtnAggiungiTraccia, "BtnAggiungiTraccia", TGlyph::Add, "Aggiunge nuovi files alla Playlist"},
      {&BtnEliminaTraccia, "BtnEliminaTraccia", TGlyph::Remove, "Elimina i files selezionati dalla Playlist"},
      {&BtnRepeat, "BtnRepeat", TGlyph::Repeat, "Abilita/disabilita la ripetizione delle tracce nella playlist"},
      {&BtnShuffle, "BtnShuffle", TGlyph::Shuffle, "Abilita/Disabilita l'esecuzione casuale della playlist"},
      {&BtnRipCD, "BtnRipCD", TGlyph::Cd, "Acquisisce le tracce del CD"},
      {&BtnCaricaPlaylist, "BtnCaricaPlaylist", TGlyph::Open, "Carica una playlist precedentemente salvata"},
      {&BtnSalvaPlaylist, "BtnSalvaPlaylist", TGlyph::Save, "Salva la playlist corrente"},
  };
  for (const ButtonPlan& plan : buttons) {
    *plan.button = MakeComponent<TFlatButton>(PannelloInterno, plan.name);
    (*plan.button)->SetGlyph(plan.glyph);
    (*plan.button)->SetHint(plan.hint);
    (*plan.button)->resize(kRowButtonWidth, kRowButtonHeight);
  }
  for (TFlatButton* toggle : {BtnRepeat, BtnShuffle}) {
    toggle->SetTwoState(true);
    toggle->SetTag(1);
  }

  PnlResizer = MakeComponent<TPanel>(PannelloInterno, "PnlResizer");
  PnlResizer->resize(pl::kResizerSide, pl::kResizerSide);
  PnlResizer->setCursor(Qt::SizeFDiagCursor);
  PnlResizer->installEventFilter(this);

  connect(BtnClose, &FlatControl::Click, this, &TFormPlaylist::BtnCloseClick);
  connect(BtnMagnetic, &FlatControl::Click, this, &TFormPlaylist::BtnMagneticClick);
  connect(BtnViewMode, &FlatControl::Click, this, &TFormPlaylist::BtnViewModeClick);
  connect(BtnAggiungiTraccia, &FlatControl::Click, this, &TFormPlaylist::BtnAggiungiTracciaClick);
  connect(BtnEliminaTraccia, &FlatControl::Click, this, &TFormPlaylist::BtnEliminaTracciaClick);
  connect(BtnRepeat, &FlatControl::Click, this, &TFormPlaylist::BtnRepeatClick);
  connect(BtnShuffle, &FlatControl::Click, this, &TFormPlaylist::BtnShuffleClick);
  connect(BtnRipCD, &FlatControl::Click, this, &TFormPlaylist::BtnRipCDClick);
  connect(BtnCaricaPlaylist, &FlatControl::Click, this, &TFormPlaylist::BtnCaricaPlaylistClick);
  connect(BtnSalvaPlaylist, &FlatControl::Click, this, &TFormPlaylist::BtnSalvaPlaylistClick);
  connect(BarraTitolo, &TFlatTitlebar::FormMove, this, &TFormPlaylist::BarraTitoloFormMove);
  PlaylistView->installEventFilter(this);
  PlaylistView->viewport()->installEventFilter(this);
  LayoutComponents();
}

// The title bar's buttons keep to its right end; the list takes what the rows of
// controls above and below leave.
void TFormPlaylist::LayoutComponents() {
  const int w = width();
  BarraTitolo->setGeometry(0, 0, w, pl::kTitleHeight);
  BtnClose->move(BarraTitolo->width() - pl::kCloseFromRight, 2);
  BtnMagnetic->move(BtnClose->x() - BtnMagnetic->width() - 3, 2);
  BarraTitolo->update();

  PannelloInterno->setGeometry(0, pl::kTitleHeight, w, height() - pl::kTitleHeight);
  const int innerWidth = PannelloInterno->width();
  const int innerHeight = PannelloInterno->height();
  BtnViewMode->setGeometry(innerWidth - 3 - 22, 3, 22, 20);
  FlatPanel1->setGeometry(3, 3, BtnViewMode->x() - 3 - 3, 20);
  LblNumeroTracce->setGeometry(4, 1, FlatPanel1->width() - 8, 18);
  const int rowTop = innerHeight - kRowButtonHeight - 5;
  PlaylistView->setGeometry(3, 26, innerWidth - 6, std::max(0, rowTop - 3 - 26));
  const int rowWidth = kRowButtons * kRowButtonWidth + (kRowButtons - 1) * kRowButtonGap;
  int left = (innerWidth - rowWidth) / 2;
  for (TFlatButton* button :
       {BtnAggiungiTraccia, BtnEliminaTraccia, BtnRepeat, BtnShuffle, BtnRipCD, BtnCaricaPlaylist, BtnSalvaPlaylist}) {
    button->move(left, rowTop);
    left += kRowButtonWidth + kRowButtonGap;
  }
  if (!resizing_) PnlResizer->move(innerWidth - pl::kResizerSide, innerHeight - pl::kResizerSide);
}

void TFormPlaylist::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutComponents();
}

// ---------------------------------------------------------------------------------------
// The list.

void TFormPlaylist::RefreshList() {
  const PlaylistModel* model = &Model();
  PlaylistView->SetRows(model->Count(), [model](int row) {
    const std::string entry = model->Entry(row);
    // Rows are produced while the list paints; a title that cannot be read must not
    // turn every repaint into an error box.
    try {
      return Q(model->DisplayName(entry));
    } catch (...) {
      return Q(ExtractFileName(entry));
    }
  });
  ShowCount();
}

void TFormPlaylist::ShowCount() {
  LblNumeroTracce->SetCaption(QString::number(Model().Count()) + " " + Q(Translate("LBL_NUMTRACCE", "tracce")));
}

void TFormPlaylist::SyncButtons() {
  BtnRepeat->SetDown(Model().Repeat);
  BtnShuffle->SetDown(Model().Shuffle);
}

void TFormPlaylist::BtnEliminaTracciaClick() {
  // Checked rows go from the last to the first, so each position still names its entry.
  std::set<int32_t> positions;
  for (const int row : PlaylistView->Rows()->CheckedRows()) positions.insert(row);
  PlaylistView->Rows()->ClearChecks();
  try {
    Model().RemoveEntries(positions);  // autosaves, then refreshes this list
  } catch (...) {
    // The autosave could not be written: the entries are gone all the same, and the
    // list must show what the playlist now holds before the error is reported.
    RefreshList();
    throw;
  }
}

void TFormPlaylist::BtnViewModeClick() {
  Model().ShowFileNames = !Model().ShowFileNames;
  RefreshList();
}

void TFormPlaylist::BtnAggiungiTracciaClick() { main_->PopupAddClick(); }

void TFormPlaylist::BtnRepeatClick() { Model().Repeat = BtnRepeat->Down(); }

void TFormPlaylist::BtnShuffleClick() { Model().Shuffle = BtnShuffle->Down(); }

void TFormPlaylist::BtnRipCDClick() { main_->PopupRipperClick(); }

void TFormPlaylist::PlaylistViewDblClick(int y) {
  if (y <= pl::kDoubleClickBand || y >= PlaylistView->height() - pl::kDoubleClickBand) return;
  const int count = Model().Count();
  if (count == 0) return;
  const int row = PlaylistView->ItemIndex();
  Model().CurrentIndex = row < 0 ? -1 : row % count;
  main_->TryPlayCurrent();
}

void TFormPlaylist::DropFiles(const StringList& paths) { main_->DropFiles(paths); }

void TFormPlaylist::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFormPlaylist::dropEvent(QDropEvent* event) {
  StringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  event->acceptProposedAction();
  DropFiles(paths);
}

// ---------------------------------------------------------------------------------------
// Playlist files.

std::optional<ChosenPlaylistFile> TFormPlaylist::ChoosePlaylistFile(bool save) {
  if (chooserForTesting_) return chooserForTesting_(save);
  QFileDialog dialog(this, save ? "Save Playlist" : "Load Playlist");
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFiles);
  QStringList filters;
  for (const std::string& filter : OpenFilterToNameFilters(kPlaylistDialogFilter)) filters << Q(filter);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const int filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  return ChosenPlaylistFile{dialog.selectedFiles().front().toStdString(), std::max(filterIndex, 1)};
}

void TFormPlaylist::BtnCaricaPlaylistClick() {
  if (const auto chosen = ChoosePlaylistFile(false)) Model().LoadPlaylistFile(chosen->path);
}

void TFormPlaylist::BtnSalvaPlaylistClick() {
  if (const auto chosen = ChoosePlaylistFile(true))
    Model().SavePlaylistFile(CompletePlaylistSaveName(chosen->path, chosen->filterIndex));
}

// ---------------------------------------------------------------------------------------
// Showing, closing, docking.

QRect TFormPlaylist::MainFrame() const { return main_->frameGeometry(); }

void TFormPlaylist::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  if (docked_) {
    BtnMagnetic->SetDown(true);
    move(MainFrame().topLeft() + QPoint(leftDelta_, topDelta_));
  }
  // Offsets that would put the window off every screen bring it back where it can be
  // reached by its title bar.
  move(docking::Reachable(pos(), frameGeometry().size(), AvailableScreens()));
  RecomputeDeltas();
  const std::string language = CurrentLanguage();
  if (!language.empty()) {
    ApplyLanguage(this, language);
    // The language file's caption of the count label stands for an empty list only.
    ShowCount();
  }
  SyncButtons();
}

void TFormPlaylist::closeEvent(QCloseEvent* event) {
  try {
    TConfigurazione& config = UserConfig();
    config.WriteBool("Playlist", "Docked", docked_);
    config.WriteInteger("Playlist", "TopDelta", topDelta_);
    config.WriteInteger("Playlist", "LeftDelta", leftDelta_);
  } catch (...) {
    // A settings file that cannot be written must not keep the window open.
  }
  event->accept();
}

void TFormPlaylist::BtnCloseClick() { close(); }

void TFormPlaylist::RecomputeDeltas() {
  const QPoint deltas = docking::Deltas(pos(), MainFrame().topLeft());
  leftDelta_ = deltas.x();
  topDelta_ = deltas.y();
}

void TFormPlaylist::RunDockingRules(QPoint proposal) {
  const docking::DockResult result = docking::Dock(proposal, MainFrame(), frameGeometry().size(), BtnMagnetic->Down());
  docked_ = result.docked;
  if (result.position != pos()) move(result.position);
  // The offsets of where the window now is, so that it follows the main window exactly
  // there and reopens there.
  RecomputeDeltas();
}

void TFormPlaylist::BarraTitoloFormMove(int left, int top) { RunDockingRules(QPoint(left, top)); }

void TFormPlaylist::BtnMagneticClick() {
  if (BtnMagnetic->Down())
    RunDockingRules(pos());
  else
    docked_ = false;
}

void TFormPlaylist::MainWindowMoved(int left, int top) {
  if (docked_) move(left + leftDelta_, top + topDelta_);
}

// ---------------------------------------------------------------------------------------
// Events of the list and of the resizer.

void TFormPlaylist::ResizerMouse(QEvent* event) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint cursor = mouse->globalPosition().toPoint();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (mouse->button() != Qt::LeftButton) return;
      resizing_ = true;
      resizeCursor_ = cursor;
      resizeSize_ = size();
      break;
    case QEvent::MouseMove:
      if (resizing_ && (mouse->buttons() & Qt::LeftButton))
        resize(resizeSize_ + QSize(cursor.x() - resizeCursor_.x(), cursor.y() - resizeCursor_.y()));
      break;
    case QEvent::MouseButtonRelease:
      if (mouse->button() != Qt::LeftButton) return;
      resizing_ = false;
      PnlResizer->move(PannelloInterno->width() - pl::kResizerSide, PannelloInterno->height() - pl::kResizerSide);
      update();
      break;
    default: break;
  }
}

bool TFormPlaylist::eventFilter(QObject* watched, QEvent* event) {
  if (watched == PnlResizer) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)
      ResizerMouse(event);
  } else if (watched == PlaylistView && event->type() == QEvent::KeyRelease) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) BtnEliminaTracciaClick();
  } else if (watched == PlaylistView->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    PlaylistViewDblClick(PlaylistView->viewport()->mapTo(PlaylistView, at).y());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vombrel
