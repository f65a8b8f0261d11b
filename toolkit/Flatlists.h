// Text fields, combo boxes, list boxes and the list view of the widget set: Qt's own
// editing and list widgets under the names the windows and the rules use, painted from
// their colour properties. Until a colour property is set they keep the system look.
// User-interface thread only; the window owns them through the QObject parent chain.
#pragma once

#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QTreeWidget>

class TEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
  Q_PROPERTY(QString Text READ text WRITE setText)
  Q_PROPERTY(QColor Color MEMBER color_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor FontColor MEMBER fontColor_ NOTIFY AppearanceChanged)

 public:
  explicit TEdit(QWidget* parent = nullptr);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

 signals:
  void AppearanceChanged();

 private:
  void ApplyStyle();
  int tag_ = 0;
  QColor color_, fontColor_;
};

namespace vombrel {

// Combo boxes: a drop-down list of items. Items() / SetItems() replace the whole list,
// leaving no item selected.
class ComboBoxBase : public QComboBox {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
  Q_PROPERTY(QStringList Items READ Items WRITE SetItems)

 public:
  explicit ComboBoxBase(QWidget* parent = nullptr);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  QStringList Items() const;
  void SetItems(const QStringList& items);

 private:
  int tag_ = 0;
};

// List boxes: one text per row. Items() / SetItems() replace the whole list.
class ListBoxBase : public QListWidget {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
  Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
  Q_PROPERTY(QColor Color MEMBER color_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor FontColor MEMBER fontColor_ NOTIFY AppearanceChanged)

 public:
  explicit ListBoxBase(QWidget* parent = nullptr);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  QStringList Items() const;
  virtual void SetItems(const QStringList& items);

 signals:
  void AppearanceChanged();

 protected:
  // The style sheet built from the colour properties.
  virtual QString StyleSheetText() const;
  QColor color_, fontColor_;

 private:
  void ApplyStyle();
  int tag_ = 0;
};

// The style sheet of the flat lists: `widgetClass` ("QListWidget", "QListView") with
// the face, text, border, selected-row, focus-frame, check-box and arrow colours.
QString FlatListStyleSheet(const QString& widgetClass, const QColor& face, const QColor& font, const QColor& border,
                           const QColor& itemsSelect, const QColor& itemsRect, const QColor& check,
                           const QColor& arrow);

// The flat list boxes: a border, scroll arrows, the selected row and the focus frame in
// colours of their own.
class FlatListBoxBase : public ListBoxBase {
  Q_OBJECT
  Q_PROPERTY(QColor ColorBorder MEMBER colorBorder_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorArrow MEMBER colorArrow_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorItemsSelect MEMBER colorItemsSelect_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorItemsRect MEMBER colorItemsRect_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorCheck MEMBER colorCheck_ NOTIFY AppearanceChanged)

 public:
  explicit FlatListBoxBase(QWidget* parent = nullptr);

 protected:
  QString StyleSheetText() const override;

 private:
  QColor colorBorder_, colorArrow_, colorItemsSelect_, colorItemsRect_, colorCheck_;
};

}  // namespace vombrel

// A combo box in the system look.
class TComboBox : public vombrel::ComboBoxBase {
  Q_OBJECT
 public:
  explicit TComboBox(QWidget* parent = nullptr) : ComboBoxBase(parent) {}
};

// A flat combo box: face, border, and the arrow on its own background at the right.
class TFlatComboBox : public vombrel::ComboBoxBase {
  Q_OBJECT
  Q_PROPERTY(QColor Color MEMBER color_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor FontColor MEMBER fontColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorBorder MEMBER colorBorder_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorArrow MEMBER colorArrow_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorArrowBackground MEMBER colorArrowBackground_ NOTIFY AppearanceChanged)

 public:
  explicit TFlatComboBox(QWidget* parent = nullptr);
  QRect ArrowRect() const;

 signals:
  void AppearanceChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ApplyPopupPalette();
  QColor color_, fontColor_, colorBorder_, colorArrow_, colorArrowBackground_;
};

class TListBox : public vombrel::ListBoxBase {
  Q_OBJECT
 public:
  explicit TListBox(QWidget* parent = nullptr) : ListBoxBase(parent) {}
};

class TTextListBox : public vombrel::ListBoxBase {
  Q_OBJECT
 public:
  explicit TTextListBox(QWidget* parent = nullptr) : ListBoxBase(parent) {}
};

class TFlatListBox : public vombrel::FlatListBoxBase {
  Q_OBJECT
 public:
  explicit TFlatListBox(QWidget* parent = nullptr) : FlatListBoxBase(parent) {}
};

// Rows of texts under captioned columns.
class TListView : public QTreeWidget {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)

 public:
  explicit TListView(QWidget* parent = nullptr);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  // Replaces the columns by one per caption.
  void SetColumns(const QStringList& captions);
  int ColumnCount() const { return columnCount(); }
  QString ColumnCaption(int column) const;
  void SetColumnCaption(int column, const QString& caption);

 private:
  int tag_ = 0;
};

namespace vombrel {
using ::TComboBox;
using ::TEdit;
using ::TFlatComboBox;
using ::TFlatListBox;
using ::TListBox;
using ::TListView;
using ::TTextListBox;
}  // namespace vombrel

// The flat check list is a view over a model of its own.
#include "toolkit/Checklist.h"
