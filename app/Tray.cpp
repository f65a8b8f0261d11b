// The main window's tray icon, the tray and configuration menus' remaining items, the
// recent playlists and hiding to the tray.
#include <QActionGroup>
#include <QApplication>
#include <QTimer>
#include <algorithm>

#include "app/Playlist.h"
#include "app/Traylogic.h"
#include "app/Video.h"
#include "app/VombrelMain.h"
#include "platform/Trayicon.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Menudrawing.h"
#include "toolkit/Menuitems.h"

namespace vombrel {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

template <typename T>
T* Child(QObject* owner, const char* name) {
  return owner->findChild<T*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

TMenuItem* NewItem(QObject* owner, const char* name, const char* caption, int tag, const char* hint = nullptr) {
  auto* item = new TMenuItem(owner);
  item->setObjectName(QString::fromLatin1(name));
  item->setText(QString::fromUtf8(caption));
  item->SetTag(tag);
  if (hint) item->SetHint(QString::fromUtf8(hint));
  return item;
}

}  // namespace

// Runs from the constructor once the placement component exists (the recent playlists
// are stored through it).
void TFormVombrel::BuildTray() {
  LabelHide = new TLabel(this);
  LabelHide->setObjectName("LabelHide");
  LabelHide->SetCaption("Nascondi");
  LabelHide->hide();
  LabelShow = new TLabel(this);
  LabelShow->setObjectName("LabelShow");
  LabelShow->SetCaption("Mostra");
  LabelShow->hide();

  // The configuration menu's hide/show item, before "Esci".
  auto* esci = Child<TMenuItem>(this, "PopupEsci");
  esci->SetTag(7);
  auto* ripper = Child<TMenuItem>(this, "PopupRipper");
  ripper->SetTag(12);
  configMenu_->insertSeparator(ripper);  // after the colour editor and the options
  auto* tray1 = NewItem(this, "PopupTray1", "Nascondi", 6, "Minimizza il player.");
  configMenu_->insertAction(esci, tray1);
  connect(tray1, &QAction::triggered, this, [this, tray1] { PopupTray1Click(tray1); });

  // The tray menu: "Tracce" and "Playlist" first, "Attuale" after "Aggiungi", the
  // hide/show item and "Opzioni" before "Exit".
  QAction* first = playMenu_->actions().value(0);
  tracksMenu_ = new QMenu(this);
  tracksMenu_->setObjectName("TracksMenu");
  auto* tracce = NewItem(this, "PopupTracce", "Tracce", 0);
  tracce->setMenu(tracksMenu_);
  playMenu_->insertAction(first, tracce);
  connect(tracksMenu_, &QMenu::aboutToShow, this, &TFormVombrel::FillTracksMenu);
  recentMenu_ = new QMenu(this);
  recentMenu_->setObjectName("RecentMenu");
  auto* recent = NewItem(this, "PopupPlaylist", "Playlist", 13);
  recent->setMenu(recentMenu_);
  playMenu_->insertAction(first, recent);
  playMenu_->insertSeparator(first);
  const struct {
    const char* name;
    int tag;
  } tags[] = {{"PopupPlay", 0}, {"PopupPrev", 1}, {"PopupNext", 2}, {"PopupPause", 3},
              {"PopupStop", 4}, {"PopupAdd", 5},  {"PopupExit", 7}};
  for (const auto& t : tags) Child<TMenuItem>(this, t.name)->SetTag(t.tag);
  auto* exit = Child<TMenuItem>(this, "PopupExit");
  auto* corrente = NewItem(this, "PopupCorrente", "Attuale", 0);
  playMenu_->insertAction(playMenu_->actions().at(playMenu_->actions().indexOf(exit) - 1), corrente);
  connect(corrente, &QAction::triggered, this, &TFormVombrel::PopupCorrenteClick);
  auto* tray2 = NewItem(this, "PopupTray2", "Nascondi", 6);
  playMenu_->insertAction(exit, tray2);
  connect(tray2, &QAction::triggered, this, [this, tray2] { PopupTray1Click(tray2); });
  auto* opzioni = NewItem(this, "PopOpzioni", "Opzioni", 0);
  playMenu_->insertAction(exit, opzioni);
  connect(opzioni, &QAction::triggered, this, &TFormVombrel::PopupOpzioniClick);
  connect(playMenu_, &QMenu::aboutToShow, this, &TFormVombrel::PlayMenuPopup);

  MRUManager = new TMRUManager(this);
  MRUManager->setObjectName("MRUManager");
  MRUManager->SetFormPlacement(FormPlacement);
  connect(MRUManager, &TMRUManager::Click, this, &TFormVombrel::MRUManagerClick);
  connect(MRUManager, &TMRUManager::Change, this, [this] { MRUManager->FillMenu(recentMenu_); });
  MRUManager->FillMenu(recentMenu_);
  playlist_.SetRecentPlaylistHook([this](const std::string& path) { MRUManager->Add(Q(path)); });

  for (QMenu* menu : findChildren<QMenu*>()) InstallMenuDrawing(menu, menu == recentMenu_);

  CoolTrayIcon = new TCoolTrayIcon(this);
  CoolTrayIcon->SetPopupMenu(playMenu_);
  CoolTrayIcon->SetHint(windowTitle());
  connect(CoolTrayIcon, &TCoolTrayIcon::MouseMove, this, &TFormVombrel::CoolTrayIconMouseMove);
  connect(CoolTrayIcon, &TCoolTrayIcon::MouseExit, this, &TFormVombrel::CoolTrayIconMouseExit);
  connect(CoolTrayIcon, &TCoolTrayIcon::MouseUp, this, &TFormVombrel::CoolTrayIconMouseUp);
  connect(CoolTrayIcon, &TCoolTrayIcon::DblClick, this, &TFormVombrel::CoolTrayIconDblClick);
}

// ---------------------------------------------------------------------------------------
// The icon.

void TFormVombrel::CoolTrayIconMouseMove(int x, int y, int width, int height) {
  if (!trayCommands_) return;
  const bool playing = engine_ && engine_->GetMode() == PlayerMode::Playing;
  CoolTrayIcon->SetIconIndex(TrayQuarterPicture(x, y, width, height, playing));
}

void TFormVombrel::CoolTrayIconMouseExit() { CoolTrayIcon->SetIconIndex(kTrayNormal); }

void TFormVombrel::CoolTrayIconMouseUp(Qt::MouseButton button, bool doubleClick) {
  if (restoredFromTray_) {
    restoredFromTray_ = false;  // the release that ends a restoring double click
    return;
  }
  if (button == Qt::RightButton || doubleClick || !trayCommands_) return;
  switch (CoolTrayIcon->IconIndex()) {
    case kTrayStop: ButtonStopClick(); break;
    case kTrayPlay:
      if (ButtonPause->Down()) {
        ButtonPauseClick();
        ButtonPause->SetDown(false);
      } else {
        ButtonPlayClick();
      }
      break;
    case kTrayPrev: ButtonPrevClick(); break;
    case kTrayNext: ButtonNextClick(); break;
    case kTrayPause:
      ButtonPauseClick();
      ButtonPause->SetDown(true);
      break;
    default: break;
  }
}

void TFormVombrel::CoolTrayIconDblClick() { RestoreFromTray(); }

// ---------------------------------------------------------------------------------------
// Hiding and restoring.

void TFormVombrel::SetHideShowCaptions(const QString& caption) {
  for (const char* name : {"PopupTray1", "PopupTray2"}) Child<TMenuItem>(this, name)->setText(caption);
}

void TFormVombrel::ButtonMinimizeClick() { HideToTray(); }

void TFormVombrel::PopupTray1Click(QAction* sender) {
  if (sender->text() == LabelHide->Caption())
    HideToTray();
  else if (sender->text() == LabelShow->Caption())
    RestoreFromTray();
}

void TFormVombrel::HideToTray() {
  SetHideShowCaptions(LabelShow->Caption());
  if (!PannelloTags->isHidden()) {
    tagsWereVisible_ = true;
  } else {
    // Minimised with the panel open, so that restoring closes it again at the former height.
    ToggleTagPanel();
    RollTags->SetDown(true);
    tagsWereVisible_ = false;
  }
  // With a tray only the icon remains; without one the window stays reachable minimised.
  if (TCoolTrayIcon::Available()) {
    for (QWidget* window : {static_cast<QWidget*>(playlistWindow_.data()), static_cast<QWidget*>(video_.data())}) {
      if (!window || !window->isVisible()) continue;
      window->hide();
      hiddenWithMain_.emplace_back(window);
    }
    hide();
    AppEventsMinimize();
  } else {
    showMinimized();
  }
}

void TFormVombrel::RestoreFromTray() {
  SetHideShowCaptions(LabelHide->Caption());
  restoredFromTray_ = true;
  showNormal();
  for (const QPointer<QWidget>& window : hiddenWithMain_)
    if (window) window->show();
  hiddenWithMain_.clear();
  raise();
  activateWindow();
  AppEventsRestore();
}

void TFormVombrel::AppEventsMinimize() {
  if (minimised_) return;
  minimised_ = true;
  VolumeTimer->stop();
  SetHideShowCaptions(LabelShow->Caption());
}

void TFormVombrel::AppEventsRestore() {
  if (!minimised_) return;
  minimised_ = false;
  VolumeTimer->start();
  SyncVolumeBar();
  SetHideShowCaptions(LabelHide->Caption());
  if (!tagsWereVisible_) {
    ToggleTagPanel();
    RollTags->SetDown(false);
    tagsWereVisible_ = true;
  }
}

// ---------------------------------------------------------------------------------------
// The tray menu.

void TFormVombrel::PlayMenuPopup() {
  // "Tracce" is filled when it opens: a long playlist costs nothing until then.
  ClearTracksMenu();
  tracksStale_ = true;
  const QString mark = QString::fromLatin1(VolumeMarkCaption(Volume->Position()));
  for (QAction* item : volumeMenu_->actions()) item->setChecked(item->text() == mark);
}

void TFormVombrel::FillTracksMenu() {
  if (!tracksStale_) return;
  tracksStale_ = false;
  ClearTracksMenu();
  const int32_t count = playlist_.Count();
  if (count <= kTracksPerBlock) {
    AddTrackItems(tracksMenu_, 0, count);
    return;
  }
  for (int32_t first = 0; first < count; first += kTracksPerBlock) {
    const int32_t end = std::min(count, first + kTracksPerBlock);
    auto* block = new QMenu(tracksMenu_);
    block->setTitle(QStringLiteral("%1 - %2").arg(first + 1).arg(end));
    InstallMenuDrawing(block);
    tracksMenu_->addMenu(block);
    connect(block, &QMenu::aboutToShow, this, [this, block, first, end] {
      if (block->isEmpty()) AddTrackItems(block, first, std::min(end, playlist_.Count()));
    });
  }
}

void TFormVombrel::ClearTracksMenu() {
  tracksMenu_->clear();
  qDeleteAll(tracksMenu_->findChildren<QMenu*>(Qt::FindDirectChildrenOnly));
}

// Items for the entries first..end-1: the current one tagged 3 (its pause image).
void TFormVombrel::AddTrackItems(QMenu* menu, int32_t first, int32_t end) {
  for (int32_t i = first; i < end; ++i) {
    auto* item = new TMenuItem(menu);
    item->setText(Q(LiteralMenuCaption(playlist_.DisplayName(playlist_.Entry(i)))));
    item->SetTag(i == playlist_.CurrentIndex ? 3 : 0);
    connect(item, &QAction::triggered, this, [this, i] { PlaylistPopupSelect(i); });
    menu->addAction(item);
  }
}

void TFormVombrel::PlaylistPopupSelect(int index) { playlist_.SelectAndPlay(index); }

void TFormVombrel::PopupCorrenteClick() {
  const QString title = engine_ ? Q(engine_->Description()) : QString();
  const QString text = TagArtista->text() + " - " + TagTitolo->text() + " (" + Durata->Caption() + ")";
  CoolTrayIcon->ShowBalloon(title.left(kBalloonTitleLength), text.left(kBalloonTextLength));
}

void TFormVombrel::MRUManagerClick(const QString& path) { playlist_.LoadPlaylistFile(path.toStdString()); }

}  // namespace vombrel
