#include "platform/Trayicon.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QWidget>

namespace vombrel {

namespace {

constexpr int kLeaveCheckMs = 20;
const char kEmbedWidgetName[] = "QSystemTrayIconSys";

int Wrap(int value, int size) { return ((value % size) + size) % size; }

// The command symbol in the unit square (0..1), white on the badge.
void DrawSymbol(QPainter& p, int index, double s) {
  auto pt = [s](double x, double y) { return QPointF(x * s, y * s); };
  auto triangle = [&](double x0, double x1, bool right) {
    QPainterPath path;
    path.moveTo(pt(right ? x0 : x1, 0.30));
    path.lineTo(pt(right ? x1 : x0, 0.50));
    path.lineTo(pt(right ? x0 : x1, 0.70));
    path.closeSubpath();
    p.drawPath(path);
  };
  switch (index) {
    case kTrayStop: p.drawRect(QRectF(pt(0.31, 0.31), pt(0.69, 0.69))); break;
    case kTrayPlay: triangle(0.34, 0.72, true); break;
    case kTrayPause:
      p.drawRect(QRectF(pt(0.30, 0.30), pt(0.45, 0.70)));
      p.drawRect(QRectF(pt(0.55, 0.30), pt(0.70, 0.70)));
      break;
    case kTrayPrev:
      p.drawRect(QRectF(pt(0.26, 0.30), pt(0.34, 0.70)));
      triangle(0.34, 0.74, false);
      break;
    case kTrayNext:
      triangle(0.26, 0.66, true);
      p.drawRect(QRectF(pt(0.66, 0.30), pt(0.74, 0.70)));
      break;
    default: {  // the player's mark: a "V" made of two strokes
      QPainterPath path;
      path.moveTo(pt(0.24, 0.26));
      path.lineTo(pt(0.42, 0.26));
      path.lineTo(pt(0.50, 0.56));
      path.lineTo(pt(0.58, 0.26));
      path.lineTo(pt(0.76, 0.26));
      path.lineTo(pt(0.58, 0.76));
      path.lineTo(pt(0.42, 0.76));
      path.closeSubpath();
      p.drawPath(path);
    }
  }
}

QPixmap DrawPicture(int index, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  const bool command = index != kTrayNormal;
  QLinearGradient face(0, 0, 0, s);
  face.setColorAt(0, command ? QColor(0x4f, 0x9c, 0xe8) : QColor(0x3a, 0x4a, 0x66));
  face.setColorAt(1, command ? QColor(0x1c, 0x5c, 0xb0) : QColor(0x16, 0x1f, 0x2e));
  p.setPen(QPen(QColor(0x0c, 0x12, 0x1c), std::max(1.0, s / 16)));
  p.setBrush(face);
  const double inset = std::max(0.5, s / 32);
  p.drawRoundedRect(QRectF(inset, inset, s - 2 * inset, s - 2 * inset), s / 5, s / 5);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  DrawSymbol(p, index, s);
  return pixmap;
}

}  // namespace

int TrayQuarterPicture(int x, int y, int width, int height, bool playing) {
  if (width <= 0 || height <= 0) return kTrayNormal;
  const bool left = 2 * Wrap(x, width) < width;
  const bool top = 2 * Wrap(y, height) < height;
  if (top) return left ? kTrayStop : (playing ? kTrayPause : kTrayPlay);
  return left ? kTrayPrev : kTrayNext;
}

QIcon TrayPictureIcon(int index) {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128}) icon.addPixmap(DrawPicture(index, size));
  return icon;
}

}  // namespace vombrel

using namespace vombrel;

TCoolTrayIcon::TCoolTrayIcon(QObject* parent) : QObject(parent), icon_(new QSystemTrayIcon(this)) {
  setObjectName("CoolTrayIcon");
  icon_->setIcon(TrayPictureIcon(kTrayNormal));
  connect(icon_, &QSystemTrayIcon::activated, this, &TCoolTrayIcon::Activated);
  pendingClick_.setSingleShot(true);
  connect(&pendingClick_, &QTimer::timeout, this, &TCoolTrayIcon::ReportPendingClick);
  leaveCheck_.setInterval(kLeaveCheckMs);
  connect(&leaveCheck_, &QTimer::timeout, this, &TCoolTrayIcon::CheckLeave);
  qApp->installEventFilter(this);
  icon_->show();
}

TCoolTrayIcon::~TCoolTrayIcon() { qApp->removeEventFilter(this); }

bool TCoolTrayIcon::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TCoolTrayIcon::SetIconIndex(int index) {
  if (index == index_) return;
  index_ = index;
  icon_->setIcon(TrayPictureIcon(index));
}

void TCoolTrayIcon::SetHint(const QString& hint) { icon_->setToolTip(hint); }

void TCoolTrayIcon::SetPopupMenu(QMenu* menu) { icon_->setContextMenu(menu); }

void TCoolTrayIcon::ShowBalloon(const QString& title, const QString& text) {
  balloonTitle_ = title;
  balloonText_ = text;
  icon_->showMessage(title, text, QSystemTrayIcon::Information, 0);
}

bool TCoolTrayIcon::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool mouse = type == QEvent::Enter || type == QEvent::MouseMove || type == QEvent::Leave ||
                     type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick || type == QEvent::Show;
  if (!mouse || !watched->isWidgetType() || watched->objectName() != QLatin1String(kEmbedWidgetName)) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (embed_ != widget) {
    embed_ = widget;
    widget->setMouseTracking(true);  // moves without a button held
  }
  switch (type) {
    case QEvent::Enter:
      emit MouseMove(static_cast<QEnterEvent*>(event)->position().toPoint().x(),
                     static_cast<QEnterEvent*>(event)->position().toPoint().y(), widget->width(), widget->height());
      leaveCheck_.start();
      break;
    case QEvent::MouseMove: {
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      emit MouseMove(at.x(), at.y(), widget->width(), widget->height());
      leaveCheck_.start();
      break;
    }
    case QEvent::Leave:
      leaveCheck_.stop();
      emit MouseExit();
      break;
    case QEvent::MouseButtonDblClick:
      pendingClick_.stop();
      afterDouble_ = true;
      break;
    case QEvent::MouseButtonRelease: EmbeddedRelease(static_cast<QMouseEvent*>(event)->button()); break;
    default: break;
  }
  return false;
}

void TCoolTrayIcon::EmbeddedRelease(Qt::MouseButton button) {
  if (afterDouble_) {
    afterDouble_ = false;
    emit MouseUp(button, true);
    return;
  }
  if (button != Qt::LeftButton) {
    emit MouseUp(button, false);
    return;
  }
  pendingPicture_ = index_;
  pendingClick_.start(QApplication::doubleClickInterval());
}

// The click acts on the quarter it was released over, even when the mouse has left since.
void TCoolTrayIcon::ReportPendingClick() {
  const int now = index_;
  index_ = pendingPicture_;
  emit MouseUp(Qt::LeftButton, false);
  if (index_ == pendingPicture_) index_ = now;
}

void TCoolTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::DoubleClick) {
    pendingClick_.stop();
    emit DblClick();
    return;
  }
  if (reason != QSystemTrayIcon::Trigger || Embedded()) return;
  // A StatusNotifier host reports clicks only: the quarter from the cursor when the
  // icon's place is known, else the top-right one (Play/Pause).
  const QRect area = icon_->geometry();
  const QPoint cursor = QCursor::pos();
  if (area.isValid() && area.contains(cursor))
    emit MouseMove(cursor.x() - area.left(), cursor.y() - area.top(), area.width(), area.height());
  else
    emit MouseMove(1, 0, 2, 2);
  emit MouseUp(Qt::LeftButton, false);
  emit MouseExit();
}

void TCoolTrayIcon::CheckLeave() {
  if (embed_ && embed_->rect().contains(embed_->mapFromGlobal(QCursor::pos()))) return;
  leaveCheck_.stop();
  emit MouseExit();
}
