// Menu items as components of their window: actions with a Tag, a caption and a hint.
// Create them with the window as parent (so the colour and language rules find them)
// and add them to menus with QMenu::addAction.
#pragma once

#include <QAction>

namespace vombrel {

class MenuItemBase : public QAction {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(QString Caption READ text WRITE setText)
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)

 public:
  explicit MenuItemBase(QObject* parent = nullptr) : QAction(parent) {}
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  QString Hint() const { return statusTip(); }
  void SetHint(const QString& hint) {
    setStatusTip(hint);
    setToolTip(hint);
  }

 private:
  int tag_ = 0;
};

}  // namespace vombrel

class TMenuItem : public vombrel::MenuItemBase {
  Q_OBJECT
 public:
  explicit TMenuItem(QObject* parent = nullptr) : MenuItemBase(parent) {}
};

class TSpeedItem : public vombrel::MenuItemBase {
  Q_OBJECT
 public:
  explicit TSpeedItem(QObject* parent = nullptr) : MenuItemBase(parent) {}
};

namespace vombrel {
using ::TMenuItem;
using ::TSpeedItem;
}  // namespace vombrel
