// The video window: a borderless window whose display panel the engines draw into, with
// its own title bar, a small transport bar, a position bar and a resize grip. It is made
// hidden at start-up, shown for files with a picture and hidden (never destroyed) for
// audio files or by its close button, which also stops playback. Every button forwards to
// the main window, so the window keeps no playback state of its own.
// User-interface thread only.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <optional>
#include <string_view>

#include "toolkit/Flatcontrols.h"
#include "toolkit/Flatscrollbar.h"

class TFormPlacement;

namespace vombrel {

class TFormVombrel;

// The designed sizes of the window's parts.
namespace videolayout {
inline constexpr QSize kDesignedSize{688, 316};
inline constexpr int kTitleBarHeight = 17;
inline constexpr int kBorderWidth = 3;  // PannelloBordi's frame
inline constexpr int kButtonBarHeight = 17;
inline constexpr QSize kGripSize{13, 17};
inline constexpr QSize kButtonSize{15, 14};
inline constexpr QSize kMinimumSize{160, 80};
}  // namespace videolayout

// The window's size for a picture of w x h pixels (the size button): the picture plus the
// frame, the title bar and the button bar; 320 x 240 gives 330 x 284. A picture whose size
// is not known yet (0) gives nullopt: the window keeps its size.
std::optional<QSize> SizeForPicture(int width, int height);

// The window's rectangle from a stored "NormPos" text ("left,top,right,bottom"): each item
// that is not an integer falls back to the current window's edge (a missing item too).
// A rectangle smaller than the minimum or larger than `screen` is brought within them, so
// the window stays usable whatever the file holds. An empty text gives nullopt.
std::optional<QRect> RectFromNormPos(std::string_view text, const QRect& current, const QRect& screen);

class TFormVideo : public QWidget {
  Q_OBJECT

 public:
  explicit TFormVideo(TFormVombrel* main);

  // The video window's position bar; follows the main window's.
  void SetPosition(int percent);
  int Position() const;

  void FormResize();
  void FitToVideo();

  TFlatTitlebar* BarraTitolo = nullptr;
  TFlatButton* BtnClose = nullptr;
  TFlatPanel* PannelloBody = nullptr;
  TFlatPanel* PannelloBordi = nullptr;
  TFlatPanel* BorderVideo = nullptr;
  TPanel* Panel = nullptr;  // the display area handed to the engines
  TPanel* PnlPulsanti = nullptr;
  TPanel* PnlComandi = nullptr;
  TFlatButton* BtnPlay = nullptr;
  TFlatButton* BtnPrev = nullptr;
  TFlatButton* BtnNext = nullptr;
  TFlatButton* BtnPause = nullptr;
  TFlatButton* BtnStop = nullptr;
  TFlatButton* BtnFullScreen = nullptr;
  TFlatButton* BtnVideoSize = nullptr;
  TPanel* PnlTimeLine = nullptr;
  TFlatPanel* PannelloPosizione = nullptr;
  TFlatScrollbar* Posizione = nullptr;
  TPanel* PnlResizer = nullptr;
  TFormPlacement* FormPlacement = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void RestoreNormalSize();
  void RefreshPicture();
  void PnlResizerMouseDown(const QPoint& screenPoint);
  void PnlResizerMouseMove(const QPoint& screenPoint);
  void PnlResizerMouseUp();

  TFormVombrel* main_;
  QPoint resizeOrigin_;
  int resizeStartWidth_ = 0;
  int resizeStartHeight_ = 0;
  bool resizing_ = false;
  bool pausedForResize_ = false;  // the drag paused playback, so its end resumes it
};

}  // namespace vombrel
