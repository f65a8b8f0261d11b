#include "toolkit/Playerhost.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QScreen>

namespace vombrel {

QtUiDispatcher::QtUiDispatcher(QObject* parent) : QObject(parent) {}

void QtUiDispatcher::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

TFullScreenVideo::TFullScreenVideo(std::function<void()> closedByUser)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), closedByUser_(std::move(closedByUser)) {
  setObjectName("FullScreenVideo");
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_NativeWindow);
  setAutoFillBackground(true);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setCursor(Qt::BlankCursor);
  setFocusPolicy(Qt::StrongFocus);
}

void TFullScreenVideo::keyPressEvent(QKeyEvent*) { CloseByUser(); }

void TFullScreenVideo::mousePressEvent(QMouseEvent*) { CloseByUser(); }

void TFullScreenVideo::CloseByUser() {
  if (auto notify = std::exchange(closedByUser_, nullptr)) notify();
  close();
}

QtDisplayControl::QtDisplayControl(QWidget* area)
    : areaLookup_([watched = QPointer<QWidget>(area)] { return watched.data(); }) {}

QtDisplayControl::QtDisplayControl(std::function<QWidget*()> areaLookup) : areaLookup_(std::move(areaLookup)) {}

QtDisplayControl::~QtDisplayControl() { CloseFullScreen(); }

uintptr_t QtDisplayControl::NativeWindowId() {
  QWidget* area = Area();
  return area != nullptr ? static_cast<uintptr_t>(area->winId()) : 0;
}

uintptr_t QtDisplayControl::OpenFullScreen(std::function<void()> closedByUser) {
  CloseFullScreen();
  fullScreen_ = new TFullScreenVideo([this, notify = std::move(closedByUser)] {
    if (notify) notify();
    fullScreen_ = nullptr;
    if (hostClosed_) hostClosed_();
  });
  if (QWidget* area = Area(); area != nullptr && area->screen() != nullptr) {
    fullScreen_->setGeometry(area->screen()->geometry());
  }
  fullScreen_->showFullScreen();
  fullScreen_->activateWindow();
  fullScreen_->setFocus();
  return static_cast<uintptr_t>(fullScreen_->winId());
}

void QtDisplayControl::CloseFullScreen() {
  if (fullScreen_.isNull()) return;
  TFullScreenVideo* window = fullScreen_;
  fullScreen_ = nullptr;
  window->close();  // deletes itself; the user's callback is not run
  if (hostClosed_) hostClosed_();
}

void* QtDisplayControl::ToolkitApplication() { return QCoreApplication::instance(); }

void* QtDisplayControl::ToolkitScreen() {
  QWidget* area = Area();
  if (area != nullptr && area->screen() != nullptr) return area->screen();
  return QGuiApplication::primaryScreen();
}

}  // namespace vombrel
