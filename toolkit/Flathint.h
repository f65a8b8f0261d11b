// The application's tool tips. A TFlatHint component (usually one, on the main window)
// shows every widget's hint (its toolTip) in a small flat window painted from its own
// colour properties; SetHintsEnabled switches the tool tips of the whole application on
// or off, whether or not a TFlatHint exists. User-interface thread only.
#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QWidget>

class TFlatHint;

namespace vombrel {

// Tool tips of the whole application on (the default) or off.
void SetHintsEnabled(bool enabled);
bool HintsEnabled();

// The window a TFlatHint shows; a widget of its own so tests can grab it.
class FlatHintWindow : public QWidget {
  Q_OBJECT
 public:
  explicit FlatHintWindow(TFlatHint* owner);
  void ShowText(const QString& text, const QPoint& globalPos);
  QString Text() const { return text_; }
  QRect ArrowRect() const;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TFlatHint* owner_;
  QString text_;
};

}  // namespace vombrel

class TFlatHint : public QObject {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(QColor ColorArrow MEMBER colorArrow_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorArrowBackground MEMBER colorArrowBackground_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorBorder MEMBER colorBorder_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorBackground MEMBER colorBackground_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor FontColor MEMBER fontColor_ NOTIFY AppearanceChanged)

 public:
  // The newest TFlatHint shows the application's hints until it is destroyed.
  explicit TFlatHint(QObject* parent = nullptr);
  ~TFlatHint() override;

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  QColor ColorArrow() const { return colorArrow_; }
  QColor ColorArrowBackground() const { return colorArrowBackground_; }
  QColor ColorBorder() const { return colorBorder_; }
  QColor ColorBackground() const { return colorBackground_; }
  QColor FontColor() const { return fontColor_; }

  // Shows `text` near the global position (what a tool-tip event does); an empty text
  // or disabled hints hide the window instead.
  void ShowHint(const QString& text, const QPoint& globalPos);
  void HideHint();
  vombrel::FlatHintWindow* HintWindow() const { return window_; }

 signals:
  void AppearanceChanged();

 private:
  int tag_ = 0;
  QColor colorArrow_, colorArrowBackground_, colorBorder_, colorBackground_, fontColor_;
  QPointer<vombrel::FlatHintWindow> window_;
};

namespace vombrel {
using ::TFlatHint;
}
