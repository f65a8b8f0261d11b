// The notification-area icon as a remote control. Qt's QSystemTrayIcon shows it; where
// Qt docks it by XEmbed (a system-tray manager and no StatusNotifier host) an application
// event filter on Qt's tray widget ("QSystemTrayIconSys") reports the mouse inside the
// icon exactly. On a StatusNotifier host only clicks arrive: the position is taken from
// the cursor against the icon's geometry when Qt knows it, and otherwise a left click
// counts as a click on the top-right quarter.
//
// Threads: user-interface thread only. Ownership: the icon is a child of its owner; the
// pop-up menu stays the caller's.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

namespace vombrel {

// The icon's pictures by index.
enum TrayPicture : int {
  kTrayNormal = 0,
  kTrayStop = 3,
  kTrayPlay = 4,
  kTrayPrev = 5,
  kTrayNext = 6,
  kTrayPause = 7,
};

// The picture for the point (x, y) of an icon width × height pixels large: top-left Stop,
// top-right Play (Pause while `playing`), bottom-left Previous, bottom-right Next. Points
// outside the icon wrap around; an empty size gives the normal picture.
int TrayQuarterPicture(int x, int y, int width, int height, bool playing);

// Our artwork for a picture index, drawn at the sizes trays ask for.
QIcon TrayPictureIcon(int index);

}  // namespace vombrel

class TCoolTrayIcon : public QObject {
  Q_OBJECT

 public:
  explicit TCoolTrayIcon(QObject* parent);
  ~TCoolTrayIcon() override;

  int IconIndex() const { return index_; }
  void SetIconIndex(int index);
  void SetHint(const QString& hint);
  void SetPopupMenu(QMenu* menu);
  // A desktop notification over the icon.
  void ShowBalloon(const QString& title, const QString& text);
  const QString& LastBalloonTitle() const { return balloonTitle_; }
  const QString& LastBalloonText() const { return balloonText_; }
  // Whether some tray can show the icon now.
  static bool Available();
  // Whether the icon is docked by XEmbed (exact positions inside it are known).
  bool Embedded() const { return !embed_.isNull(); }
  QSystemTrayIcon* Icon() const { return icon_; }

 signals:
  // The mouse at (x, y) inside an icon width × height pixels large.
  void MouseMove(int x, int y, int width, int height);
  void MouseExit();
  // A button released over the icon; `doubleClick` for the release that ends a double click.
  void MouseUp(Qt::MouseButton button, bool doubleClick);
  void DblClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Activated(QSystemTrayIcon::ActivationReason reason);
  void EmbeddedRelease(Qt::MouseButton button);
  void ReportPendingClick();
  void CheckLeave();

  QSystemTrayIcon* icon_;
  QPointer<QWidget> embed_;
  int index_ = vombrel::kTrayNormal;
  bool afterDouble_ = false;
  // A left click waits for the double-click time, so a double click runs no command.
  QTimer pendingClick_;
  int pendingPicture_ = vombrel::kTrayNormal;
  QTimer leaveCheck_;
  QString balloonTitle_, balloonText_;
};

namespace vombrel {
using ::TCoolTrayIcon;
}  // namespace vombrel
