// The flat widget set the windows are built from. Each class carries the exact name the
// windows and the colour and language rules use (Q_OBJECT: metaObject()->className() is
// that name, and "derived" rules use inherits()); the classes therefore live in the
// global namespace and are also reachable as vombrel::<name>. Colour attributes and the
// integer Tag are Q_PROPERTYs, and every control paints itself from them.
//
// Threads: user-interface thread only. Ownership: the QObject parent chain (the window
// owns its components).
#pragma once

#include <QColor>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "toolkit/Glyphs.h"

namespace vombrel {

// What every control of the set has: a Tag, a caption, a hint (the tool tip) and the
// colour of its text. Not a class the rules name; the named classes derive from it.
class FlatControl : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(QColor FontColor MEMBER fontColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor Color MEMBER color_ NOTIFY AppearanceChanged)

 public:
  explicit FlatControl(QWidget* parent = nullptr);

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  QString Hint() const { return toolTip(); }
  void SetHint(const QString& hint) { setToolTip(hint); }
  QColor Color() const { return color_; }
  void SetColor(const QColor& color) { setProperty("Color", color); }
  QColor FontColor() const { return fontColor_; }
  void SetFontColor(const QColor& color) { setProperty("FontColor", color); }
  // Room for the caption on one line plus a small margin.
  QSize sizeHint() const override;

 signals:
  void AppearanceChanged();
  // A left-button click released over the control.
  void Click();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool IsPressed() const { return pressed_; }
  bool IsHovered() const { return hovered_; }
  // Whether anyone listens to Click(): such a control keeps its clicks to itself.
  bool TakesClicks() const;
  // Runs when a click completes, before Click() is emitted.
  virtual void Clicked() {}

  QColor color_;
  QColor fontColor_;

 private:
  int tag_ = 0;
  QString caption_;
  bool pressed_ = false;
  bool hovered_ = false;
};

// Push buttons: a caption or a glyph; a two-state button stays down after a click and
// comes up at the next.
class FlatButtonBase : public FlatControl {
  Q_OBJECT
  Q_PROPERTY(QColor ColorBorder MEMBER colorBorder_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorDown MEMBER colorDown_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorFocused MEMBER colorFocused_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorHighLight MEMBER colorHighLight_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorShadow MEMBER colorShadow_ NOTIFY AppearanceChanged)
  Q_PROPERTY(bool Down READ Down WRITE SetDown)
  Q_PROPERTY(bool TwoState READ TwoState WRITE SetTwoState)
  Q_PROPERTY(int Glyph READ GlyphIndex WRITE SetGlyphIndex)

 public:
  explicit FlatButtonBase(QWidget* parent = nullptr);

  bool Down() const { return down_; }
  void SetDown(bool down);
  bool TwoState() const { return twoState_; }
  void SetTwoState(bool twoState) { twoState_ = twoState; }
  TGlyph Glyph() const { return glyph_; }
  void SetGlyph(TGlyph glyph);
  int GlyphIndex() const { return static_cast<int>(glyph_); }
  void SetGlyphIndex(int index) { SetGlyph(static_cast<TGlyph>(index)); }
  // The face colour as painted now (down, pressed, hovered or normal).
  QColor FaceColor() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void Clicked() override;

 private:
  QColor colorBorder_, colorDown_, colorFocused_, colorHighLight_, colorShadow_;
  bool down_ = false;
  bool twoState_ = false;
  TGlyph glyph_ = TGlyph::None;
};

// Panels: a filled face with an optional centred caption.
class PanelBase : public FlatControl {
  Q_OBJECT
  Q_PROPERTY(int Alignment READ AlignmentFlags WRITE SetAlignmentFlags)

 public:
  explicit PanelBase(QWidget* parent = nullptr);
  int AlignmentFlags() const { return alignment_; }
  void SetAlignmentFlags(int alignment);

 protected:
  void paintEvent(QPaintEvent* event) override;
  // The frame drawn over the face; none for a plain panel.
  virtual void PaintFrame(QPainter&) {}

 private:
  int alignment_ = Qt::AlignCenter;
};

// Check boxes: a box, a check mark and a caption at its right.
class CheckBoxBase : public FlatControl {
  Q_OBJECT
  Q_PROPERTY(bool Checked READ Checked WRITE SetChecked NOTIFY Toggled)
  Q_PROPERTY(QColor ColorBorder MEMBER colorBorder_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorCheck MEMBER colorCheck_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorDown MEMBER colorDown_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorFocused MEMBER colorFocused_ NOTIFY AppearanceChanged)

 public:
  explicit CheckBoxBase(QWidget* parent = nullptr);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  // The box as painted: the control's face colour and the box's own rectangle.
  QRect BoxRect() const;
  QColor BoxColor() const;

 signals:
  void Toggled(bool checked);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void Clicked() override;

 private:
  QColor colorBorder_, colorCheck_, colorDown_, colorFocused_;
  bool checked_ = false;
};

// Group boxes: a framed area with its caption on the top edge.
class GroupBoxBase : public FlatControl {
  Q_OBJECT
  Q_PROPERTY(QColor ColorBorder MEMBER colorBorder_ NOTIFY AppearanceChanged)

 public:
  explicit GroupBoxBase(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor colorBorder_;
};

}  // namespace vombrel

class TFlatButton : public vombrel::FlatButtonBase {
  Q_OBJECT
 public:
  explicit TFlatButton(QWidget* parent = nullptr) : FlatButtonBase(parent) {}
};

class TFlatSpeedButton : public vombrel::FlatButtonBase {
  Q_OBJECT
 public:
  explicit TFlatSpeedButton(QWidget* parent = nullptr) : FlatButtonBase(parent) {}
};

class TSpeedButton : public vombrel::FlatButtonBase {
  Q_OBJECT
 public:
  explicit TSpeedButton(QWidget* parent = nullptr) : FlatButtonBase(parent) {}
};

class TBitBtn : public vombrel::FlatButtonBase {
  Q_OBJECT
 public:
  explicit TBitBtn(QWidget* parent = nullptr) : FlatButtonBase(parent) {}
};

// A flat panel: the face and a one-pixel frame, ColorHighLight on the top and left
// edges, ColorShadow on the bottom and right.
class TFlatPanel : public vombrel::PanelBase {
  Q_OBJECT
  Q_PROPERTY(QColor ColorHighLight MEMBER colorHighLight_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorShadow MEMBER colorShadow_ NOTIFY AppearanceChanged)

 public:
  explicit TFlatPanel(QWidget* parent = nullptr);

 protected:
  void PaintFrame(QPainter& painter) override;

 private:
  QColor colorHighLight_, colorShadow_;
};

// A plain panel: the face only.
class TPanel : public vombrel::PanelBase {
  Q_OBJECT
 public:
  explicit TPanel(QWidget* parent = nullptr) : PanelBase(parent) {}
};

// A text label, transparent; a caption holding line breaks (LF or CR LF) shows several
// lines.
class TLabel : public vombrel::FlatControl {
  Q_OBJECT
  Q_PROPERTY(int Alignment READ AlignmentFlags WRITE SetAlignmentFlags)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)

 public:
  explicit TLabel(QWidget* parent = nullptr);
  int AlignmentFlags() const { return alignment_; }
  void SetAlignmentFlags(int alignment);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wordWrap);
  // The caption's lines as shown (CR LF and LF both break).
  QStringList CaptionLines() const;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
  bool wordWrap_ = false;
};

class TFlatCheckBox : public vombrel::CheckBoxBase {
  Q_OBJECT
 public:
  explicit TFlatCheckBox(QWidget* parent = nullptr) : CheckBoxBase(parent) {}
};

class TCheckBox : public vombrel::CheckBoxBase {
  Q_OBJECT
 public:
  explicit TCheckBox(QWidget* parent = nullptr) : CheckBoxBase(parent) {}
};

class TFlatGroupBox : public vombrel::GroupBoxBase {
  Q_OBJECT
 public:
  explicit TFlatGroupBox(QWidget* parent = nullptr) : GroupBoxBase(parent) {}
};

class TGroupBox : public vombrel::GroupBoxBase {
  Q_OBJECT
 public:
  explicit TGroupBox(QWidget* parent = nullptr) : GroupBoxBase(parent) {}
};

// A progress bar: a frame and the done part drawn as elements (blocks).
class TFlatProgressBar : public vombrel::FlatControl {
  Q_OBJECT
  Q_PROPERTY(QColor ColorBorder MEMBER colorBorder_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ColorElement MEMBER colorElement_ NOTIFY AppearanceChanged)
  Q_PROPERTY(int Min READ Min WRITE SetMin)
  Q_PROPERTY(int Max READ Max WRITE SetMax)
  Q_PROPERTY(int Position READ Position WRITE SetPosition)
  Q_PROPERTY(bool Vertical READ Vertical WRITE SetVertical)

 public:
  explicit TFlatProgressBar(QWidget* parent = nullptr);
  // A vertical bar fills from the bottom up (level meters).
  bool Vertical() const { return vertical_; }
  void SetVertical(bool vertical);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int min);
  void SetMax(int max);
  void SetPosition(int position);
  // Length in pixels of the done part inside the frame (a height when vertical).
  int DoneWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor colorBorder_, colorElement_;
  int min_ = 0, max_ = 100, position_ = 0;
  bool vertical_ = false;
};

// A window's own title bar: drags its window and reports every new position while
// dragging (FormMove, the window's new left and top); the caption shows in the active
// or inactive text colour as the window is active or not.
class TFlatTitlebar : public vombrel::FlatControl {
  Q_OBJECT
  Q_PROPERTY(QColor TitlebarColor MEMBER titlebarColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ActiveTextColor MEMBER activeTextColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor InactiveTextColor MEMBER inactiveTextColor_ NOTIFY AppearanceChanged)

 public:
  explicit TFlatTitlebar(QWidget* parent = nullptr);
  // The text colour as painted now.
  QColor CaptionColor() const;

 signals:
  void FormMove(int left, int top);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QColor titlebarColor_, activeTextColor_, inactiveTextColor_;
  bool dragging_ = false;
  QPoint grabOffset_;  // cursor minus window position at the press
};

// Text lines scrolling horizontally without end, one after the other, while Active.
class TSecretPanel : public vombrel::FlatControl {
  Q_OBJECT
  Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
  Q_PROPERTY(bool Active READ Active WRITE SetActive)

 public:
  explicit TSecretPanel(QWidget* parent = nullptr);
  QStringList Lines() const { return lines_; }
  void SetLines(const QStringList& lines);
  bool Active() const { return timer_.isActive(); }
  void SetActive(bool active);
  // Moves the text `pixels` to the left (the timer calls it); after the text has left
  // the panel it enters again from the right.
  void Advance(int pixels);
  // Distance the text has moved since it last entered.
  int Offset() const { return offset_; }
  // The lines as one strip, the way they scroll past.
  QString StripText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QStringList lines_;
  QTimer timer_;
  int offset_ = 0;
};

namespace vombrel {
using ::TBitBtn;
using ::TCheckBox;
using ::TFlatButton;
using ::TFlatCheckBox;
using ::TFlatGroupBox;
using ::TFlatPanel;
using ::TFlatProgressBar;
using ::TFlatSpeedButton;
using ::TFlatTitlebar;
using ::TGroupBox;
using ::TLabel;
using ::TPanel;
using ::TSecretPanel;
using ::TSpeedButton;
}  // namespace vombrel
