// The main window: the player's control centre. It owns the playlist model, the one
// playback engine, the tag and format panel, the transport buttons, the position and
// volume bars and the three timers; every other way of controlling the player (buttons,
// menus, a second instance, shell commands, the video window) ends in its handlers.
//
// Threads: everything here runs on the user-interface thread; the engine's notification,
// the timers and the hand-over messages arrive there as events.
// Ownership: the window owns its components (QObject parents), the engine and the model.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/Commandpanel.h"
#include "app/Hotkeys.h"
#include "app/Mainlayout.h"
#include "app/Mainlogic.h"
#include "app/Video.h"
#include "mediainfo/Trackinfo.h"
#include "players/Baseplayer.h"
#include "playlist/Playlistmodel.h"
#include "toolkit/Flatcontrols.h"
#include "toolkit/Flatscrollbar.h"
#include "toolkit/Formplacement.h"

class TEdit;
class TCoolTrayIcon;

namespace vombrel {

class TFormVideo;
class TFormCommandPanel;
class TFormPlaylist;

// Makes the engine named in the settings ("Default" or a plug-in's name). The window
// passes itself as the notification's receiver through `notify`.
using EngineFactory = std::function<std::unique_ptr<TBasePlayer>(const std::string& name, NotifyHandler notify)>;

// The system output volume, 0..65535 per channel. `read` gives the right channel (the
// high half of the volume word), or nullopt when there is no device. Without functions
// the window follows the sound server's default output (platform/Volumefollower.h), and
// neither function waits for the server.
struct OutputVolume {
  std::function<std::optional<int32_t>()> read;
  std::function<void(int32_t)> write;
};

class TFormVombrel : public QWidget, private PlaylistController {
  Q_OBJECT

 public:
  // Construction and FormCreate in one (the toolkit runs FormCreate right after the
  // constructor): shared settings, placement, colour scheme, tag panel folded, settings,
  // start-up playlist from `arguments` (the program's arguments without its name).
  // `engineFactory` and `volume` default to the real engine and the sound server.
  explicit TFormVombrel(std::vector<std::string> arguments, EngineFactory engineFactory = {}, OutputVolume volume = {});
  ~TFormVombrel() override;

  // The windows created after this one at start-up; the main window reaches them.
  void SetVideoWindow(TFormVideo* video) { video_ = video; }
  void SetCommandPanel(TFormCommandPanel* panel) { commandPanel_ = panel; }

  PlaylistModel& Playlist() { return playlist_; }
  TBasePlayer* Engine() const { return engine_.get(); }

  // Right after construction: the command-line walk handed to the shell commands.
  void ProcessCommandLine();

  // Transport.
  void ButtonPlayClick();
  void ButtonPauseClick();
  void ButtonStopClick();
  void ButtonNextClick();
  void ButtonPrevClick();
  void MediaPlayerNotify();
  bool TryPlayCurrent() override;
  void SeekToPercent(int percent);
  void ToggleFullScreen();
  void FullScreenTimerTimer();
  // The engine's full-screen window has gone (closed by a key or a click on it, or with
  // the file it showed).
  void FullScreenWindowClosed();

  // Volume.
  void SetVolume(int32_t volume);
  void VolumeUp(int32_t step);
  void VolumeDown(int32_t step);
  void SyncVolumeBar();
  void VolumeItemClick(const QString& caption);

  // Display.
  void RefreshTitle();
  void ShowMainIfHidden();
  void SetPositionBars(int percent);
  void ShowTrackLength(int32_t length);
  void PlayerTimerTimer();
  void ToggleTagPanel();
  void PannelloTitoloClick();
  void PannelloScorrevoleClick();

  // Settings and engine.
  void LoadSettings();
  void CreatePlayerEngine(const std::string& name);
  void DestroyPlayerEngine();

  // Global hot keys (Hotkeys.cpp).
  void RebuildHotKeys();
  void PlayerHotKey(TfisHotKey& sender);
  StringList& HotKeyList() { return hotKeys_.HotKeyList(); }
  const MainHotKeys& HotKeys() const { return hotKeys_; }
  TfisHotKey* EscHotKey() const { return hotKeys_.EscHotKey(); }

  // Adding tracks.
  void BuildOpenFilter();
  void PopupAddClick();
  void DropFiles(const StringList& paths);
  void ShellCmdCmdOpenFile(const std::string& file, const std::string& option);
  void ShellCmdCmdCustom(const std::string& command, const std::string& file, const std::string& option);

  // A message handed over by a second start (its registered name and text): the
  // playlist changes and, for a track or a playlist, playback starts through the
  // activation handler. Unknown names are ignored.
  void AppEventsMessage(const std::string& name, const std::string& text);
  // A second start asks for the window: raised and activated.
  void BringToForeground();

  // Tags and other modules.
  int32_t FillTrackInfo(const std::string& path);
  void BtnSaveTagClick();
  // Writes the panel into the file's ID3v1 tag (the MP3 check is the caller's).
  void SaveTags(const std::string& path);
  void PopupRipperClick();
  // The colour scheme editor, a new one each time, shown modally.
  void PopupCambiaColoriClick();
  // The options window, a new one each time, shown modally; a confirmed close reloads
  // the settings.
  void PopupOpzioniClick();
  // A new recorder window, shown at once (the "Registratore" item and the record button).
  void PopupRegistratoreClick();
  void RegistracomeWAV1Click();
  void ButtonSplashClick();
  void ButtonCloseClick();

  // The playlist window (Mainplaylist.cpp): opened once by the button, moved along while
  // this window is dragged; null while it is closed.
  void ButtonPlaylistClick();
  void BarraTitoloFormMove(int left, int top);
  TFormPlaylist* PlaylistWindow() const;

  void FormShow();
  void FormActivate();

  // The tray icon, the tray menu's submenus and hiding to the tray (Tray.cpp).
  void CoolTrayIconDblClick();
  void CoolTrayIconMouseUp(Qt::MouseButton button, bool doubleClick);
  void CoolTrayIconMouseMove(int x, int y, int width, int height);
  void CoolTrayIconMouseExit();
  // Either hide/show item: hides or restores by the item's caption.
  void PopupTray1Click(QAction* sender);
  void ButtonMinimizeClick();
  void HideToTray();
  void RestoreFromTray();
  void AppEventsMinimize();
  void AppEventsRestore();
  // The tray menu opens: "Tracce" is rebuilt (filled when it is opened) and the volume
  // item matching the volume bar is marked.
  void PlayMenuPopup();
  void PlaylistPopupSelect(int index);
  void PopupCorrenteClick();
  void MRUManagerClick(const QString& path);
  QMenu* TracksMenu() const { return tracksMenu_; }
  QMenu* RecentMenu() const { return recentMenu_; }
  QMenu* VolumeMenu() const { return volumeMenu_; }
  bool RestoredFromTray() const { return restoredFromTray_; }
  bool TagsWereVisible() const { return tagsWereVisible_; }
  bool MinimisedToTray() const { return minimised_; }

  // State the other windows and the tests read.
  bool Paused() const { return paused_; }
  bool AutoplayPending() const { return autoplayPending_; }
  bool FullScreenOn() const { return fullScreenOn_; }
  bool HideOnVideo() const { return hideOnVideo_; }
  bool TrayCommands() const { return trayCommands_; }
  int LastTimerPosition() const { return lastTimerPosition_; }
  const StringList& Associations() const { return associations_; }
  // Sorted without regard to case, duplicates left out (the options window's confirm).
  void SetAssociations(StringList extensions);
  TFormVideo* VideoWindow() const { return video_; }
  const std::string& OpenFilter() const { return openFilter_; }
  const QString& TrayTooltip() const { return trayTooltip_; }
  QMenu* ConfigMenu() const { return configMenu_; }
  QMenu* PlayMenu() const { return playMenu_; }
  QMenu* TitleMenu() const { return titleMenu_; }

  // For tests: the file dialog is replaced by a function returning the chosen paths.
  void SetFileChooserForTesting(std::function<StringList()> chooser) { fileChooserForTesting_ = std::move(chooser); }

 signals:
  // The close sequence has run; the application ends.
  void Closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // PlaylistController.
  int32_t EnginePosition() override;
  int32_t EngineLength() override;
  void TogglePause() override { ButtonPauseClick(); }
  void RefreshPlaylistWindow() override;
  void ClosePlaylistWindow();

  TagPanelTexts PanelTexts() const;
  void BuildWindow();
  void BuildMenus();
  void LayoutLowerArea();
  void LayoutTagRows();
  void StartupPlaylist();
  void RunCloseSequence();
  void ShowVideoWindow();
  void CloseVideoWindow();
  bool EngineActive();
  void FollowFullScreenWithEscHotKey();
  void BuildTray();
  void FillTracksMenu();
  void ClearTracksMenu();
  void AddTrackItems(QMenu* menu, int32_t first, int32_t end);
  void SetHideShowCaptions(const QString& caption);

  std::vector<std::string> arguments_;
  EngineFactory engineFactory_;
  OutputVolume volume_;
  PlaylistModel playlist_;
  std::unique_ptr<TBasePlayer> engine_;
  bool engineLoaded_ = false;
  bool paused_ = false;
  bool autoplayPending_ = false;
  bool fullScreenOn_ = false;
  bool hideOnVideo_ = false;
  bool trayCommands_ = true;
  bool closed_ = false;
  bool lengthPending_ = false;  // the total time waits for the engine to learn the length
  int lastTimerPosition_ = 0;
  StringList associations_;
  std::string openFilter_;
  QString trayTooltip_;
  std::function<StringList()> fileChooserForTesting_;
  QPointer<TFormVideo> video_;
  QPointer<TFormCommandPanel> commandPanel_;
  MainHotKeys hotKeys_;
  QPointer<TFormPlaylist> playlistWindow_;

 public:
  // Components, named as the window's design names them (objectName is the same).
  TFlatTitlebar* BarraTitolo = nullptr;
  TFlatButton* ButtonClose = nullptr;
  TFlatButton* ButtonMinimize = nullptr;
  TFlatPanel* PannelloTitolo = nullptr;
  TSecretPanel* PannelloScorrevole = nullptr;
  TFlatButton* ButtonAddToPlaylist = nullptr;
  TFlatButton* ButtonPlaylist = nullptr;
  TFlatButton* RollTags = nullptr;
  TPanel* PannelloTagsBox = nullptr;
  TFlatPanel* PannelloTags = nullptr;
  TLabel* LabelTitolo = nullptr;
  TLabel* LabelArtista = nullptr;
  TLabel* LabelAlbum = nullptr;
  TLabel* LabelAnno = nullptr;
  TLabel* LabelTraccia = nullptr;
  TLabel* LabelCommento = nullptr;
  TLabel* LabelGenere = nullptr;
  TFlatPanel* PannelloTagTitolo = nullptr;
  TFlatPanel* PannelloTagArtista = nullptr;
  TFlatPanel* PannelloTagAlbum = nullptr;
  TFlatPanel* PannelloTagAnno = nullptr;
  TFlatPanel* PannelloTagTraccia = nullptr;
  TFlatPanel* PannelloTagCommento = nullptr;
  TFlatPanel* PannelloTagGenere = nullptr;
  TEdit* TagTitolo = nullptr;
  TEdit* TagArtista = nullptr;
  TEdit* TagAlbum = nullptr;
  TEdit* TagAnno = nullptr;
  TEdit* TagTraccia = nullptr;
  TEdit* TagCommento = nullptr;
  TEdit* TagGenere = nullptr;
  TFlatButton* BtnSaveTag = nullptr;
  TPanel* PannelloScorrimento = nullptr;
  TFlatPanel* PannelloInfo = nullptr;
  TFlatPanel* SeparaInfo = nullptr;
  TLabel* Tempo = nullptr;
  TLabel* LabelFrazione = nullptr;
  TLabel* Durata = nullptr;
  TLabel* LabelBitRate = nullptr;
  TLabel* LabelFrequency = nullptr;
  TLabel* LabelExtension = nullptr;
  TFlatPanel* PannelloPosizione = nullptr;
  TFlatPanel* PannelloVolume = nullptr;
  TFlatScrollbar* Posizione = nullptr;
  TFlatScrollbar* Volume = nullptr;
  TFlatButton* ButtonPlay = nullptr;
  TFlatButton* ButtonPrev = nullptr;
  TFlatButton* ButtonNext = nullptr;
  TFlatButton* ButtonPause = nullptr;
  TFlatButton* ButtonStop = nullptr;
  TFlatButton* ButtonRec = nullptr;
  TFlatButton* ButtonSplash = nullptr;
  QTimer* PlayerTimer = nullptr;
  QTimer* VolumeTimer = nullptr;
  QTimer* FullScreenTimer = nullptr;
  TFormPlacement* FormPlacement = nullptr;
  TCoolTrayIcon* CoolTrayIcon = nullptr;
  TMRUManager* MRUManager = nullptr;
  TLabel* LabelHide = nullptr;  // invisible: the hide/show captions, translatable
  TLabel* LabelShow = nullptr;

 private:
  QMenu* configMenu_ = nullptr;
  QMenu* playMenu_ = nullptr;
  QMenu* titleMenu_ = nullptr;
  QMenu* volumeMenu_ = nullptr;
  QMenu* tracksMenu_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  bool tracksStale_ = true;
  bool restoredFromTray_ = false;
  bool tagsWereVisible_ = true;
  bool minimised_ = false;
  std::vector<QPointer<QWidget>> hiddenWithMain_;  // the program's windows hidden to the tray
};

}  // namespace vombrel
