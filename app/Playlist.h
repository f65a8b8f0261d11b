// The playlist window: a small borderless window beside the main window that shows the
// playlist, adds, removes, loads and saves entries, switches Repeat, Shuffle and the
// title/file-name view, plays an entry on a double click, and docks magnetically to the
// main window. At most one exists; the main window creates it (ButtonPlaylistClick) and
// it destroys itself when closed, after writing "Playlist"/"Docked", "TopDelta" and
// "LeftDelta".
//
// The list is a view over the playlist: a row's text (DisplayName of its entry, which may
// read the file's tags) is produced when the row is first painted and kept until the
// next RefreshList, so a list of a hundred thousand entries opens and scrolls as fast as
// a short one.
//
// Threads: user-interface thread only. Ownership: the main window is the window's Qt
// parent (so it dies with it at the latest) and must outlive it; the window owns its
// components.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/Playlistlayout.h"
#include "support/Supportstring.h"
#include "toolkit/Checklist.h"
#include "toolkit/Flatcontrols.h"

class TFormPlacement;

namespace vombrel {

class TFormVombrel;
class PlaylistModel;

// A file chosen in the load or save dialog and the dialog's filter index (1 = the first
// filter line).
struct ChosenPlaylistFile {
  std::string path;
  int filterIndex = 1;
};

class TFormPlaylist : public QWidget {
  Q_OBJECT

 public:
  // Creation: the colour scheme, RefreshList, dropped files accepted. `docked`,
  // `topDelta` and `leftDelta` are the stored docking state.
  TFormPlaylist(TFormVombrel* main, bool docked, int topDelta, int leftDelta);
  ~TFormPlaylist() override;

  bool Docked() const { return docked_; }
  int TopDelta() const { return topDelta_; }
  int LeftDelta() const { return leftDelta_; }

  // Rebuilds the list from the playlist: every row replaced, every box cleared, the
  // number of entries in LblNumeroTracce.
  void RefreshList();
  // BtnRepeat and BtnShuffle show the playlist's Repeat and Shuffle.
  void SyncButtons();

  // Handlers.
  void BtnCloseClick();
  void BtnMagneticClick();
  void BtnViewModeClick();
  void BtnAggiungiTracciaClick();
  void BtnEliminaTracciaClick();
  void BtnRepeatClick();
  void BtnShuffleClick();
  void BtnRipCDClick();
  void BtnCaricaPlaylistClick();
  void BtnSalvaPlaylistClick();
  // A double click in the list, `y` pixels below the list's top edge.
  void PlaylistViewDblClick(int y);
  // The title bar was dragged to (left, top): the docking rules run on that proposal.
  void BarraTitoloFormMove(int left, int top);
  // The main window moved to (left, top): a docked window follows at its offsets.
  void MainWindowMoved(int left, int top);
  void DropFiles(const StringList& paths);

  // For tests: the load and save dialogs are replaced by a function that gets true for
  // the save dialog and returns the choice (nullopt: cancelled).
  using PlaylistFileChooser = std::function<std::optional<ChosenPlaylistFile>(bool save)>;
  void SetPlaylistChooserForTesting(PlaylistFileChooser chooser) { chooserForTesting_ = std::move(chooser); }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  PlaylistModel& Model() const;
  void BuildWindow();
  void LayoutComponents();
  void ShowCount();
  void RunDockingRules(QPoint proposal);
  void RecomputeDeltas();
  QRect MainFrame() const;
  std::optional<ChosenPlaylistFile> ChoosePlaylistFile(bool save);
  void ResizerMouse(QEvent* event);

  TFormVombrel* main_;
  bool docked_ = false;
  int topDelta_ = 0;
  int leftDelta_ = 0;
  // The resize anchor: cursor (screen coordinates) and window size at the press.
  QPoint resizeCursor_;
  QSize resizeSize_;
  bool resizing_ = false;
  PlaylistFileChooser chooserForTesting_;

 public:
  // Components, named as the window's design names them (objectName is the same).
  TFlatTitlebar* BarraTitolo = nullptr;
  TFlatButton* BtnClose = nullptr;
  TFlatButton* BtnMagnetic = nullptr;
  TPanel* PannelloInterno = nullptr;
  TFlatPanel* FlatPanel1 = nullptr;
  TLabel* LblNumeroTracce = nullptr;
  TFlatButton* BtnViewMode = nullptr;
  TFlatCheckListBox* PlaylistView = nullptr;
  TFlatButton* BtnAggiungiTraccia = nullptr;
  TFlatButton* BtnEliminaTraccia = nullptr;
  TFlatButton* BtnRepeat = nullptr;
  TFlatButton* BtnShuffle = nullptr;
  TFlatButton* BtnRipCD = nullptr;
  TFlatButton* BtnCaricaPlaylist = nullptr;
  TFlatButton* BtnSalvaPlaylist = nullptr;
  TPanel* PnlResizer = nullptr;
  TFormPlacement* FormPlacement = nullptr;
};

}  // namespace vombrel
