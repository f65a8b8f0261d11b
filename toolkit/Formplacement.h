// Remembering where a window was: TFormPlacement restores the window's position each
// time it is shown and saves it when it closes, in the window's section of the settings
// file ("Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "NormPos" and the last two
// again with the screen size, see support/Configurazione.h). The store's own keys in the
// file are never lost. TMRUManager keeps a list of recent files in the same file.
// User-interface thread only; both components belong to their window (QObject parent).
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <optional>
#include <string>
#include <utility>

#include "support/Configurazione.h"

class QMenu;
class QWidget;

class TFormPlacement : public QObject {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)

 public:
  // Watches `form` (usually also its parent) once bound.
  explicit TFormPlacement(QObject* parent = nullptr);

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // Binds the component to a window, a settings file and a section; BindFormPlacement
  // does this from a store.
  void Bind(QWidget* form, const std::string& iniFileName, const std::string& section);
  QWidget* Form() const { return form_; }
  const std::string& IniFileName() const { return iniFileName_; }
  const std::string& IniSection() const { return section_; }

  // Writes the window's placement now (done automatically when the window closes).
  // Throws IniWriteError when the file cannot be written.
  void SavePlacement();
  // Moves the window to its stored position, kept on the screen (done automatically when
  // the window is shown). False when nothing usable is stored.
  bool RestorePlacement();
  // The placement as it would be saved now.
  vombrel::StoredPlacement CurrentPlacement() const;
  // Why the save at the window's last close failed ("" when it did not), cleared by the
  // call. A closing window is never held back by its settings file; its owner may report
  // the failure.
  std::string TakeSaveError() { return std::exchange(saveError_, {}); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QSize ScreenSize() const;

  int tag_ = 0;
  QPointer<QWidget> form_;
  std::string iniFileName_;
  std::string section_;
  std::string saveError_;
};

// Sets the placement's file to the store's file and its section to the form's name up to
// its first "_"; the placement then restores at every show and saves at every close.
void BindFormPlacement(vombrel::TConfigurazione& store, TFormPlacement* placement, QWidget* form);

// Recent files: at most 10 paths, newest first; adding a path already present moves it
// to the top. Kept in the placement's file, in the section "<placement section>.MRU",
// keys "Count" and "Item0".."Item9", rewritten at every change.
class TMRUManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)

 public:
  static constexpr int kCapacity = 10;

  explicit TMRUManager(QObject* parent = nullptr);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // Stores the list through the placement's file and loads what is stored there.
  void SetFormPlacement(TFormPlacement* placement);
  std::string IniSection() const;

  QStringList Strings() const { return strings_; }
  void Add(const QString& path);
  void Remove(const QString& path);
  void Clear();
  // Rereads the stored list.
  void Load();

  // Fills the menu with one item per path (no accelerator characters; "&" shows as
  // itself), disables it when the list is empty; choosing an item emits Click(path).
  void FillMenu(QMenu* menu);

 signals:
  void Click(const QString& path);
  void Change();

 private:
  void Save();

  int tag_ = 0;
  QPointer<TFormPlacement> placement_;
  QStringList strings_;
};

namespace vombrel {
using ::BindFormPlacement;
using ::TFormPlacement;
using ::TMRUManager;
}  // namespace vombrel
