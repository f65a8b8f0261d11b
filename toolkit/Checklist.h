// The check list of the widget set: a list with a check box on every row, built as a
// view over a model so that a list of a hundred thousand rows costs what its visible rows
// cost. Row texts can be given at once (SetItems) or produced on demand by a function
// (SetRows): a row's text is asked for when the row is first painted or read, then kept
// until the rows are replaced. The check marks are one bit per row.
// User-interface thread only; the window owns the list, the list owns its model.
#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QListView>
#include <QStringList>
#include <functional>
#include <vector>

namespace vombrel {

class TCheckListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  // The text of a row, asked for once per row until the rows are replaced.
  using RowText = std::function<QString(int row)>;

  explicit TCheckListModel(QObject* parent = nullptr);

  // Replaces every row: `count` rows whose texts come from `text`; every box cleared.
  void SetRows(int count, RowText text);
  // Replaces every row by the given texts; every box cleared.
  void SetItems(const QStringList& items);
  // Appends a row with its box cleared.
  void AddItem(const QString& text);

  int RowCount() const { return static_cast<int>(checks_.size()); }
  // The row's text (produced now if it was not yet); empty for a row out of range.
  QString Text(int row) const;
  // Whether the row's text has been produced (or given) since the rows were replaced.
  bool TextKnown(int row) const;
  // How many row texts the function has produced since the rows were last replaced.
  int TextsProduced() const { return produced_; }

  bool Checked(int row) const;
  void SetChecked(int row, bool checked);
  void ClearChecks();
  // The rows whose box is set, in ascending order.
  std::vector<int> CheckedRows() const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  bool Valid(int row) const { return row >= 0 && row < RowCount(); }

  RowText text_;
  mutable std::vector<QString> texts_;
  mutable std::vector<bool> known_;
  mutable int produced_ = 0;
  std::vector<bool> checks_;
};

}  // namespace vombrel

// A flat list with a check box on every row: a border, scroll arrows, the selected row
// and the focus frame in colours of their own.
class TFlatCheckListBox : public QListView {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
  Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
  Q_PROPERTY(QColor Color MEMBER color_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor FontColor MEMBER fontColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorBorder MEMBER colorBorder_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorArrow MEMBER colorArrow_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorItemsSelect MEMBER colorItemsSelect_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorItemsRect MEMBER colorItemsRect_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorCheck MEMBER colorCheck_ NOTIFY AppearanceChanged)

 public:
  explicit TFlatCheckListBox(QWidget* parent = nullptr);

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  vombrel::TCheckListModel* Rows() const { return model_; }

  // Every row's text, in order (produces the texts not yet known).
  QStringList Items() const;
  void SetItems(const QStringList& items) { model_->SetItems(items); }
  void SetRows(int count, vombrel::TCheckListModel::RowText text) { model_->SetRows(count, std::move(text)); }
  void AddItem(const QString& text) { model_->AddItem(text); }
  int Count() const { return model_->RowCount(); }
  bool Checked(int row) const { return model_->Checked(row); }
  void SetChecked(int row, bool checked) { model_->SetChecked(row, checked); }
  // The selected row, -1 when none is selected.
  int ItemIndex() const;

  // Typing does not search the rows: a search would produce the text of every row it
  // passes, which on a long list produced on demand means reading every file.
  void keyboardSearch(const QString&) override {}

 signals:
  void AppearanceChanged();

 private:
  void ApplyStyle();
  int tag_ = 0;
  vombrel::TCheckListModel* model_;
  QColor color_, fontColor_, colorBorder_, colorArrow_, colorItemsSelect_, colorItemsRect_, colorCheck_;
};

namespace vombrel {
using ::TFlatCheckListBox;
}  // namespace vombrel
