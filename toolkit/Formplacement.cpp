#include "toolkit/Formplacement.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "support/Inifile.h"

using vombrel::PlacementRect;
using vombrel::StoredPlacement;

namespace {

QScreen* ScreenOf(const QWidget* form) {
  if (form != nullptr && form->screen() != nullptr) return form->screen();
  return QGuiApplication::primaryScreen();
}

// Keeps at least a corner of the window on the available area.
QPoint KeptOnScreen(QPoint topLeft, QSize size, const QRect& area) {
  const int minVisible = 32;
  const int left = std::clamp(topLeft.x(), area.left() - size.width() + minVisible, area.right() - minVisible);
  const int top = std::clamp(topLeft.y(), area.top(), area.bottom() - minVisible);
  return QPoint(left, top);
}

}  // namespace

TFormPlacement::TFormPlacement(QObject* parent) : QObject(parent) {}

void TFormPlacement::Bind(QWidget* form, const std::string& iniFileName, const std::string& section) {
  if (form_) form_->removeEventFilter(this);
  form_ = form;
  iniFileName_ = iniFileName;
  section_ = section;
  if (form_) form_->installEventFilter(this);
}

QSize TFormPlacement::ScreenSize() const {
  const QScreen* screen = ScreenOf(form_);
  return screen != nullptr ? screen->geometry().size() : QSize(0, 0);
}

StoredPlacement TFormPlacement::CurrentPlacement() const {
  StoredPlacement placement;
  if (!form_) return placement;
  const QRect frame = form_->isMinimized() || form_->isMaximized() || form_->isFullScreen() ? form_->normalGeometry()
                                                                                            : form_->frameGeometry();
  placement.showCmd = form_->isMinimized() ? 2 : (form_->isMaximized() ? 3 : 1);
  const QScreen* screen = ScreenOf(form_);
  placement.pixelsPerInch = screen != nullptr ? static_cast<int32_t>(std::lround(screen->logicalDotsPerInch())) : 96;
  placement.normPos = PlacementRect{frame.left(), frame.top(), frame.left() + frame.width(),
                                    frame.top() + frame.height()};
  return placement;
}

void TFormPlacement::SavePlacement() {
  if (!form_ || iniFileName_.empty()) return;
  const QSize screen = ScreenSize();
  vombrel::WritePlacement(iniFileName_, section_, CurrentPlacement(), screen.width(), screen.height());
}

bool TFormPlacement::RestorePlacement() {
  if (!form_ || iniFileName_.empty()) return false;
  const QSize screenSize = ScreenSize();
  const auto stored = vombrel::ReadPlacement(iniFileName_, section_, screenSize.width(), screenSize.height());
  if (!stored) return false;
  const QScreen* screen = ScreenOf(form_);
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(QPoint(0, 0), screenSize);
  form_->move(KeptOnScreen(QPoint(stored->normPos.left, stored->normPos.top), form_->frameGeometry().size(), area));
  return true;
}

bool TFormPlacement::eventFilter(QObject* watched, QEvent* event) {
  if (watched == form_) {
    if (event->type() == QEvent::Show) {
      RestorePlacement();
    } else if (event->type() == QEvent::Close) {
      // A window closing must not be stopped by a settings file that cannot be written.
      try {
        SavePlacement();
      } catch (const vombrel::IniWriteError& error) {
        saveError_ = error.what();
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

void BindFormPlacement(vombrel::TConfigurazione& store, TFormPlacement* placement, QWidget* form) {
  placement->Bind(form, store.IniFileName(), vombrel::PlacementSection(form->objectName().toStdString()));
}

// ---------------------------------------------------------------- TMRUManager

TMRUManager::TMRUManager(QObject* parent) : QObject(parent) {}

void TMRUManager::SetFormPlacement(TFormPlacement* placement) {
  placement_ = placement;
  Load();
}

std::string TMRUManager::IniSection() const { return placement_ ? placement_->IniSection() + ".MRU" : std::string(); }

void TMRUManager::Load() {
  strings_.clear();
  if (!placement_ || placement_->IniFileName().empty()) return;
  const vombrel::IniFile file(placement_->IniFileName());
  const std::string section = IniSection();
  const int count = std::clamp(vombrel::StrToIntDefault(file.Read(section, "Count").value_or(""), 0), 0, kCapacity);
  for (int index = 0; index < count; ++index) {
    const std::string path = file.Read(section, "Item" + std::to_string(index)).value_or("");
    const QString entry = QString::fromStdString(path);
    if (!entry.isEmpty() && !strings_.contains(entry)) strings_ << entry;
  }
  emit Change();
}

void TMRUManager::Save() {
  emit Change();
  if (!placement_ || placement_->IniFileName().empty()) return;
  std::vector<std::pair<std::string, std::string>> values{{"Count", std::to_string(strings_.size())}};
  for (int index = 0; index < kCapacity; ++index)
    values.emplace_back("Item" + std::to_string(index),
                        index < strings_.size() ? strings_[index].toStdString() : std::string());
  vombrel::IniFile(placement_->IniFileName()).WriteMany(IniSection(), values);
}

void TMRUManager::Add(const QString& path) {
  if (path.isEmpty()) return;
  strings_.removeAll(path);
  strings_.prepend(path);
  while (strings_.size() > kCapacity) strings_.removeLast();
  Save();
}

void TMRUManager::Remove(const QString& path) {
  if (strings_.removeAll(path) > 0) Save();
}

void TMRUManager::Clear() {
  strings_.clear();
  Save();
}

void TMRUManager::FillMenu(QMenu* menu) {
  menu->clear();
  for (const QString& path : strings_) {
    QString caption = path;
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    QAction* item = menu->addAction(caption);
    connect(item, &QAction::triggered, this, [this, path] { emit Click(path); });
  }
  menu->setEnabled(!strings_.isEmpty());
}
