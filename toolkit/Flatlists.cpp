#include "toolkit/Flatlists.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QPainter>

#include "toolkit/Designedlook.h"
#include "toolkit/Glyphs.h"

namespace {

using vombrel::PaletteColor;

QString Css(const QColor& color) { return color.name(QColor::HexRgb); }

}  // namespace

// ---------------------------------------------------------------- TEdit

TEdit::TEdit(QWidget* parent)
    : QLineEdit(parent), color_(PaletteColor(QPalette::Base)), fontColor_(PaletteColor(QPalette::Text)) {
  connect(this, &TEdit::AppearanceChanged, this, &TEdit::ApplyStyle);
}

void TEdit::ApplyStyle() {
  setStyleSheet(QStringLiteral("QLineEdit { background-color: %1; color: %2; border: 1px solid %3; }")
                    .arg(Css(color_), Css(fontColor_), Css(color_.darker(160))));
}

namespace vombrel {

// ---------------------------------------------------------------- combo boxes

ComboBoxBase::ComboBoxBase(QWidget* parent) : QComboBox(parent) {}

QStringList ComboBoxBase::Items() const {
  QStringList items;
  for (int row = 0; row < count(); ++row) items << itemText(row);
  return items;
}

void ComboBoxBase::SetItems(const QStringList& items) {
  clear();
  addItems(items);
  setCurrentIndex(-1);
}

// ---------------------------------------------------------------- list boxes

ListBoxBase::ListBoxBase(QWidget* parent)
    : QListWidget(parent), color_(PaletteColor(QPalette::Base)), fontColor_(PaletteColor(QPalette::Text)) {
  connect(this, &ListBoxBase::AppearanceChanged, this, &ListBoxBase::ApplyStyle);
}

QStringList ListBoxBase::Items() const {
  QStringList items;
  for (int row = 0; row < count(); ++row) items << item(row)->text();
  return items;
}

void ListBoxBase::SetItems(const QStringList& items) {
  clear();
  addItems(items);
}

QString ListBoxBase::StyleSheetText() const {
  return QStringLiteral("QListWidget { background-color: %1; color: %2; }").arg(Css(color_), Css(fontColor_));
}

void ListBoxBase::ApplyStyle() { setStyleSheet(StyleSheetText()); }

FlatListBoxBase::FlatListBoxBase(QWidget* parent)
    : ListBoxBase(parent),
      colorBorder_(PaletteColor(QPalette::Dark)),
      colorArrow_(PaletteColor(QPalette::Dark)),
      colorItemsSelect_(PaletteColor(QPalette::Highlight)),
      colorItemsRect_(PaletteColor(QPalette::Base)),
      colorCheck_(PaletteColor(QPalette::Text)) {}

QString FlatListStyleSheet(const QString& widgetClass, const QColor& face, const QColor& font, const QColor& border,
                           const QColor& itemsSelect, const QColor& itemsRect, const QColor& check,
                           const QColor& arrow) {
  return QStringLiteral(
             "%8 { background-color: %1; color: %2; border: 1px solid %3; outline: none; }"
             "%8::item:selected { background-color: %4; color: %2; }"
             "%8::item:focus { border: 1px dotted %5; }"
             "%8::indicator { width: 9px; height: 9px; border: 1px solid %6; background-color: %1; }"
             "%8::indicator:checked { background-color: %6; }"
             "QScrollBar:vertical { background-color: %1; width: 12px; border: 1px solid %3; margin: 11px 0 11px 0; }"
             "QScrollBar::handle:vertical { background-color: %4; min-height: 10px; }"
             "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical {"
             " background-color: %7; height: 10px; subcontrol-origin: margin; }"
             "QScrollBar::sub-line:vertical { subcontrol-position: top; }"
             "QScrollBar::add-line:vertical { subcontrol-position: bottom; }")
      .arg(Css(face), Css(font), Css(border), Css(itemsSelect), Css(itemsRect), Css(check), Css(arrow), widgetClass);
}

QString FlatListBoxBase::StyleSheetText() const {
  return FlatListStyleSheet(QStringLiteral("QListWidget"), color_, fontColor_, colorBorder_, colorItemsSelect_,
                            colorItemsRect_, colorCheck_, colorArrow_);
}

}  // namespace vombrel

// ---------------------------------------------------------------- TFlatComboBox

TFlatComboBox::TFlatComboBox(QWidget* parent)
    : ComboBoxBase(parent),
      color_(PaletteColor(QPalette::Base)),
      fontColor_(PaletteColor(QPalette::Text)),
      colorBorder_(PaletteColor(QPalette::Dark)),
      colorArrow_(PaletteColor(QPalette::ButtonText)),
      colorArrowBackground_(PaletteColor(QPalette::Button)) {
  connect(this, &TFlatComboBox::AppearanceChanged, this, [this] {
    ApplyPopupPalette();
    update();
  });
}

void TFlatComboBox::ApplyPopupPalette() {
  QPalette palette = view()->palette();
  palette.setColor(QPalette::Base, color_);
  palette.setColor(QPalette::Text, fontColor_);
  view()->setPalette(palette);
}

QRect TFlatComboBox::ArrowRect() const {
  const int side = std::min(height(), 16);
  return QRect(width() - side - 1, 1, side, height() - 2);
}

void TFlatComboBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), color_);
  painter.setPen(colorBorder_);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  const QRect arrow = ArrowRect();
  painter.fillRect(arrow, colorArrowBackground_);
  vombrel::PaintGlyph(painter, arrow, vombrel::TGlyph::ArrowDown, colorArrow_);
  painter.setPen(fontColor_);
  painter.drawText(rect().adjusted(4, 0, -(arrow.width() + 4), 0), Qt::AlignLeft | Qt::AlignVCenter, currentText());
}

// ---------------------------------------------------------------- TListView

TListView::TListView(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setColumnCount(0);
}

void TListView::SetColumns(const QStringList& captions) {
  setColumnCount(static_cast<int>(captions.size()));
  setHeaderLabels(captions);
}

QString TListView::ColumnCaption(int column) const {
  if (column < 0 || column >= columnCount()) return {};
  return headerItem()->text(column);
}

void TListView::SetColumnCaption(int column, const QString& caption) {
  if (column < 0 || column >= columnCount()) return;
  headerItem()->setText(column, caption);
}
