// The main window's side of the playlist window: opening it, moving it along, keeping
// its list current and closing it first when the main window closes.
#include "app/Playlist.h"
#include "app/VombrelMain.h"
#include "support/Configurazione.h"

namespace vombrel {

void TFormVombrel::ButtonPlaylistClick() {
  if (playlistWindow_) return;
  const TConfigurazione& config = UserConfig();
  const bool docked = config.ReadBool("Playlist", "Docked", false);
  const int topDelta = config.ReadInteger("Playlist", "TopDelta", 0);
  const int leftDelta = config.ReadInteger("Playlist", "LeftDelta", 0);
  // A failure while creating the window reaches the application's error box.
  playlistWindow_ = new TFormPlaylist(this, docked, topDelta, leftDelta);
  playlistWindow_->show();
}

void TFormVombrel::BarraTitoloFormMove(int left, int top) {
  if (playlistWindow_) playlistWindow_->MainWindowMoved(left, top);
}

TFormPlaylist* TFormVombrel::PlaylistWindow() const { return playlistWindow_.data(); }

void TFormVombrel::RefreshPlaylistWindow() {
  if (playlistWindow_) playlistWindow_->RefreshList();
}

void TFormVombrel::ClosePlaylistWindow() {
  if (playlistWindow_) playlistWindow_->close();
}

}  // namespace vombrel
