#include "toolkit/Checklist.h"

#include "toolkit/Designedlook.h"
#include "toolkit/Flatlists.h"

namespace vombrel {

TCheckListModel::TCheckListModel(QObject* parent) : QAbstractListModel(parent) {}

void TCheckListModel::SetRows(int count, RowText text) {
  beginResetModel();
  const auto rows = static_cast<std::size_t>(std::max(count, 0));
  text_ = std::move(text);
  texts_.assign(rows, QString());
  known_.assign(rows, false);
  checks_.assign(rows, false);
  produced_ = 0;
  endResetModel();
}

void TCheckListModel::SetItems(const QStringList& items) {
  SetRows(static_cast<int>(items.size()), [items](int row) { return items.value(row); });
}

void TCheckListModel::AddItem(const QString& text) {
  const int row = RowCount();
  beginInsertRows(QModelIndex(), row, row);
  texts_.push_back(text);
  known_.push_back(true);
  checks_.push_back(false);
  endInsertRows();
}

QString TCheckListModel::Text(int row) const {
  if (!Valid(row)) return {};
  const auto at = static_cast<std::size_t>(row);
  if (!known_[at]) {
    texts_[at] = text_ ? text_(row) : QString();
    known_[at] = true;
    ++produced_;
  }
  return texts_[at];
}

bool TCheckListModel::TextKnown(int row) const { return Valid(row) && known_[static_cast<std::size_t>(row)]; }

bool TCheckListModel::Checked(int row) const { return Valid(row) && checks_[static_cast<std::size_t>(row)]; }

void TCheckListModel::SetChecked(int row, bool checked) {
  if (!Valid(row) || checks_[static_cast<std::size_t>(row)] == checked) return;
  checks_[static_cast<std::size_t>(row)] = checked;
  const QModelIndex at = index(row);
  emit dataChanged(at, at, {Qt::CheckStateRole});
}

void TCheckListModel::ClearChecks() {
  const std::vector<int> set = CheckedRows();
  checks_.assign(checks_.size(), false);
  for (const int row : set) emit dataChanged(index(row), index(row), {Qt::CheckStateRole});
}

std::vector<int> TCheckListModel::CheckedRows() const {
  std::vector<int> rows;
  for (std::size_t row = 0; row < checks_.size(); ++row)
    if (checks_[row]) rows.push_back(static_cast<int>(row));
  return rows;
}

int TCheckListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RowCount(); }

QVariant TCheckListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !Valid(index.row())) return {};
  switch (role) {
    case Qt::DisplayRole: return Text(index.row());
    case Qt::CheckStateRole: return Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
    default: return {};
  }
}

bool TCheckListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !index.isValid() || !Valid(index.row())) return false;
  SetChecked(index.row(), value.toInt() == Qt::Checked);
  return true;
}

Qt::ItemFlags TCheckListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

}  // namespace vombrel

using namespace vombrel;

TFlatCheckListBox::TFlatCheckListBox(QWidget* parent)
    : QListView(parent),
      model_(new TCheckListModel(this)),
      color_(PaletteColor(QPalette::Base)),
      fontColor_(PaletteColor(QPalette::Text)),
      colorBorder_(PaletteColor(QPalette::Dark)),
      colorArrow_(PaletteColor(QPalette::Dark)),
      colorItemsSelect_(PaletteColor(QPalette::Highlight)),
      colorItemsRect_(PaletteColor(QPalette::Base)),
      colorCheck_(PaletteColor(QPalette::Text)) {
  // Every row as high as the first: the view then lays out and paints only what shows,
  // and asks for no text of a row it does not paint.
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideRight);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setModel(model_);
  connect(this, &TFlatCheckListBox::AppearanceChanged, this, &TFlatCheckListBox::ApplyStyle);
}

QStringList TFlatCheckListBox::Items() const {
  QStringList items;
  for (int row = 0; row < model_->RowCount(); ++row) items << model_->Text(row);
  return items;
}

int TFlatCheckListBox::ItemIndex() const {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || !selectionModel()->isSelected(current)) return -1;
  return current.row();
}

void TFlatCheckListBox::ApplyStyle() {
  setStyleSheet(FlatListStyleSheet(QStringLiteral("QListView"), color_, fontColor_, colorBorder_, colorItemsSelect_,
                                   colorItemsRect_, colorCheck_, colorArrow_));
}
