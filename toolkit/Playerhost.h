// The Qt side of what the player engines need from their host: a dispatcher onto the GUI
// thread, the display control over a widget of the video window, and the full-screen
// window the picture moves to.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "players/Hostinterfaces.h"

namespace vombrel {

// Queues work onto the thread this object lives in (create it on the GUI thread). Post is
// thread-safe; tasks still queued when the object is destroyed are dropped.
class QtUiDispatcher : public QObject, public UiDispatcher {
  Q_OBJECT

 public:
  explicit QtUiDispatcher(QObject* parent = nullptr);
  void Post(std::function<void()> task) override;
};

// A black, frameless full-screen window the video sink draws into. A key press or a
// mouse click closes it: `closedByUser` runs first (so the picture can move away while
// the native window still exists), then the window hides and deletes itself.
class TFullScreenVideo : public QWidget {
  Q_OBJECT

 public:
  explicit TFullScreenVideo(std::function<void()> closedByUser);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void CloseByUser();
  std::function<void()> closedByUser_;
};

// The display control over the widget in which pictures are shown (the video window's
// display panel). The widget becomes a native window; it is not owned. GUI thread only.
class QtDisplayControl : public DisplayControl {
 public:
  // A fixed widget (watched: once it is destroyed there is no display).
  explicit QtDisplayControl(QWidget* area);
  // A widget looked up at each use, for hosts whose display panel is made after the
  // engine (null = no display at the moment).
  explicit QtDisplayControl(std::function<QWidget*()> areaLookup);
  ~QtDisplayControl() override;

  uintptr_t NativeWindowId() override;
  uintptr_t OpenFullScreen(std::function<void()> closedByUser) override;
  void CloseFullScreen() override;
  void* ToolkitApplication() override;
  void* ToolkitScreen() override;

  // The open full-screen window, or null.
  TFullScreenVideo* FullScreenWindow() const { return fullScreen_; }
  // The host's own follow-up whenever the full-screen window goes away: when the user
  // closes it (after the engine's callback, so the picture is back in the display area)
  // and when CloseFullScreen closes it (the engine leaving full screen or its file).
  void SetFullScreenClosedHandler(std::function<void()> handler) { hostClosed_ = std::move(handler); }

 private:
  QWidget* Area() const { return areaLookup_ ? areaLookup_() : nullptr; }

  std::function<QWidget*()> areaLookup_;
  QPointer<TFullScreenVideo> fullScreen_;
  std::function<void()> hostClosed_;
};

}  // namespace vombrel
