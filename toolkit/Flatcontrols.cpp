#include "toolkit/Flatcontrols.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "toolkit/Designedlook.h"

namespace vombrel {

QColor PaletteColor(QPalette::ColorRole role) { return QApplication::palette().color(QPalette::Active, role); }

namespace {

// Draws a one-pixel frame just inside `rect`: `topLeft` on the top and left edges,
// `bottomRight` on the bottom and right edges.
void DrawFrame(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(topLeft);
  painter.drawRect(QRect(rect.left(), rect.top(), rect.width(), 1));
  painter.drawRect(QRect(rect.left(), rect.top(), 1, rect.height()));
  painter.setBrush(bottomRight);
  painter.drawRect(QRect(rect.left(), rect.bottom(), rect.width(), 1));
  painter.drawRect(QRect(rect.right(), rect.top(), 1, rect.height()));
  painter.restore();
}

void FillFace(QPainter& painter, const QRect& rect, const QColor& color) { painter.fillRect(rect, color); }

// Caption text with its line breaks as Qt draws them.
QString DisplayText(const QString& caption) {
  QString text = caption;
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

// ---------------------------------------------------------------- FlatControl

FlatControl::FlatControl(QWidget* parent)
    : QWidget(parent), color_(PaletteColor(QPalette::Button)), fontColor_(PaletteColor(QPalette::ButtonText)) {
  connect(this, &FlatControl::AppearanceChanged, this, qOverload<>(&QWidget::update));
}

void FlatControl::SetCaption(const QString& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  updateGeometry();
  update();
}

QSize FlatControl::sizeHint() const {
  const QFontMetrics metrics(font());
  return metrics.size(0, DisplayText(caption_)) + QSize(10, 8);
}

// A click that a control answers is its own: it does not travel on to the control
// behind it (the scrolling title would otherwise hide itself and be shown again by the
// title panel it lies on). Controls nobody listens to let clicks through.
bool FlatControl::TakesClicks() const {
  static const QMetaMethod click = QMetaMethod::fromSignal(&FlatControl::Click);
  return isSignalConnected(click);
}

void FlatControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressed_ = true;
    update();
  }
  QWidget::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && TakesClicks()) event->accept();
}

void FlatControl::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = pressed_;
  if (event->button() == Qt::LeftButton) {
    pressed_ = false;
    update();
  }
  QWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && TakesClicks()) event->accept();
  if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    Clicked();
    emit Click();
  }
}

void FlatControl::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QWidget::enterEvent(event);
}

void FlatControl::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QWidget::leaveEvent(event);
}

// ---------------------------------------------------------------- buttons

FlatButtonBase::FlatButtonBase(QWidget* parent)
    : FlatControl(parent),
      colorBorder_(PaletteColor(QPalette::Dark)),
      colorDown_(PaletteColor(QPalette::Mid)),
      colorFocused_(PaletteColor(QPalette::Light)),
      colorHighLight_(PaletteColor(QPalette::Light)),
      colorShadow_(PaletteColor(QPalette::Dark)) {
  setAttribute(Qt::WA_Hover);
}

void FlatButtonBase::SetDown(bool down) {
  if (down_ == down) return;
  down_ = down;
  update();
}

void FlatButtonBase::SetGlyph(TGlyph glyph) {
  glyph_ = glyph;
  update();
}

QColor FlatButtonBase::FaceColor() const {
  if (down_ || IsPressed()) return colorDown_;
  if (IsHovered()) return colorFocused_;
  return color_;
}

void FlatButtonBase::Clicked() {
  if (twoState_) SetDown(!down_);
}

void FlatButtonBase::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect all = rect();
  FillFace(painter, all, FaceColor());
  const bool sunken = down_ || IsPressed();
  DrawFrame(painter, all.adjusted(1, 1, -1, -1), sunken ? colorShadow_ : colorHighLight_,
            sunken ? colorHighLight_ : colorShadow_);
  DrawFrame(painter, all, colorBorder_, colorBorder_);
  const QRect content = all.adjusted(2, 2, -2, -2).translated(sunken ? 1 : 0, sunken ? 1 : 0);
  const QColor ink = isEnabled() ? fontColor_ : PaletteColor(QPalette::Mid);
  if (glyph_ != TGlyph::None) {
    PaintGlyph(painter, content, glyph_, ink);
  } else {
    painter.setPen(ink);
    painter.drawText(content, Qt::AlignCenter, DisplayText(Caption()));
  }
}

// ---------------------------------------------------------------- panels

PanelBase::PanelBase(QWidget* parent) : FlatControl(parent) {
  color_ = PaletteColor(QPalette::Window);
  fontColor_ = PaletteColor(QPalette::WindowText);
}

void PanelBase::SetAlignmentFlags(int alignment) {
  alignment_ = alignment;
  update();
}

void PanelBase::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  FillFace(painter, rect(), color_);
  PaintFrame(painter);
  if (!Caption().isEmpty()) {
    painter.setPen(fontColor_);
    painter.drawText(rect().adjusted(3, 1, -3, -1), alignment_, DisplayText(Caption()));
  }
}

// ---------------------------------------------------------------- check boxes

CheckBoxBase::CheckBoxBase(QWidget* parent)
    : FlatControl(parent),
      colorBorder_(PaletteColor(QPalette::Dark)),
      colorCheck_(PaletteColor(QPalette::Text)),
      colorDown_(PaletteColor(QPalette::Base)),
      colorFocused_(PaletteColor(QPalette::Base)) {
  color_ = PaletteColor(QPalette::Base);
  fontColor_ = PaletteColor(QPalette::WindowText);
  setAttribute(Qt::WA_Hover);
}

void CheckBoxBase::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  update();
  emit Toggled(checked);
}

void CheckBoxBase::Clicked() { SetChecked(!checked_); }

QRect CheckBoxBase::BoxRect() const {
  const int side = std::clamp(height() - 4, 8, 13);
  return QRect(1, (height() - side) / 2, side, side);
}

QColor CheckBoxBase::BoxColor() const {
  if (IsPressed()) return colorDown_;
  if (IsHovered()) return colorFocused_;
  return color_;
}

void CheckBoxBase::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect box = BoxRect();
  FillFace(painter, box, BoxColor());
  DrawFrame(painter, box, colorBorder_, colorBorder_);
  if (checked_) PaintGlyph(painter, box.adjusted(1, 1, -1, -1), TGlyph::Check, colorCheck_);
  painter.setPen(fontColor_);
  painter.drawText(rect().adjusted(box.right() + 5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, DisplayText(Caption()));
}

// ---------------------------------------------------------------- group boxes

GroupBoxBase::GroupBoxBase(QWidget* parent) : FlatControl(parent), colorBorder_(PaletteColor(QPalette::Dark)) {
  color_ = PaletteColor(QPalette::Window);
  fontColor_ = PaletteColor(QPalette::WindowText);
}

void GroupBoxBase::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  FillFace(painter, rect(), color_);
  const QFontMetrics metrics(font());
  const int top = metrics.height() / 2;
  DrawFrame(painter, rect().adjusted(0, top, 0, 0), colorBorder_, colorBorder_);
  if (Caption().isEmpty()) return;
  const QRect captionRect(8, 0, metrics.horizontalAdvance(Caption()) + 6, metrics.height());
  FillFace(painter, captionRect, color_);
  painter.setPen(fontColor_);
  painter.drawText(captionRect, Qt::AlignCenter, Caption());
}

}  // namespace vombrel

// The named classes are declared at global scope; their members are defined there too.
using namespace vombrel;

TFlatPanel::TFlatPanel(QWidget* parent)
    : PanelBase(parent), colorHighLight_(PaletteColor(QPalette::Dark)), colorShadow_(PaletteColor(QPalette::Dark)) {}

void TFlatPanel::PaintFrame(QPainter& painter) { DrawFrame(painter, rect(), colorHighLight_, colorShadow_); }

// ---------------------------------------------------------------- label

TLabel::TLabel(QWidget* parent) : FlatControl(parent) {
  fontColor_ = PaletteColor(QPalette::WindowText);
  color_ = PaletteColor(QPalette::Window);
}

void TLabel::SetAlignmentFlags(int alignment) {
  alignment_ = alignment;
  update();
}

void TLabel::SetWordWrap(bool wordWrap) {
  wordWrap_ = wordWrap;
  update();
}

QStringList TLabel::CaptionLines() const { return DisplayText(Caption()).split(QLatin1Char('\n')); }

QSize TLabel::sizeHint() const {
  const QFontMetrics metrics(font());
  return metrics.size(0, DisplayText(Caption())) + QSize(2, 2);
}

void TLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(fontColor_);
  painter.drawText(rect(), alignment_ | (wordWrap_ ? Qt::TextWordWrap : 0), DisplayText(Caption()));
}

// ---------------------------------------------------------------- progress bar

TFlatProgressBar::TFlatProgressBar(QWidget* parent)
    : FlatControl(parent),
      colorBorder_(PaletteColor(QPalette::Dark)),
      colorElement_(PaletteColor(QPalette::Highlight)) {
  color_ = PaletteColor(QPalette::Window);
}

void TFlatProgressBar::SetMin(int min) {
  min_ = min;
  update();
}
void TFlatProgressBar::SetMax(int max) {
  max_ = max;
  update();
}
void TFlatProgressBar::SetPosition(int position) {
  if (position == position_) return;  // a timer sets it every second
  position_ = position;
  update();
}

void TFlatProgressBar::SetVertical(bool vertical) {
  vertical_ = vertical;
  update();
}

int TFlatProgressBar::DoneWidth() const {
  const int inner = std::max(0, (vertical_ ? height() : width()) - 4);
  if (max_ <= min_) return 0;
  const long long done = static_cast<long long>(std::clamp(position_, min_, max_) - min_) * inner;
  return static_cast<int>(done / (static_cast<long long>(max_) - min_));
}

void TFlatProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  FillFace(painter, rect(), color_);
  DrawFrame(painter, rect(), colorBorder_, colorBorder_);
  // Elements 6 pixels wide with a one-pixel gap; the last one is cut at the done width.
  const int done = DoneWidth();
  constexpr int kElement = 6;
  for (int x = 0; x < done; x += kElement + 1) {
    const int length = std::min(kElement, done - x);
    if (vertical_)
      FillFace(painter, QRect(2, height() - 2 - x - length, width() - 4, length), colorElement_);
    else
      FillFace(painter, QRect(2 + x, 2, length, height() - 4), colorElement_);
  }
}

// ---------------------------------------------------------------- title bar

TFlatTitlebar::TFlatTitlebar(QWidget* parent)
    : FlatControl(parent),
      titlebarColor_(PaletteColor(QPalette::Dark)),
      activeTextColor_(PaletteColor(QPalette::Light)),
      inactiveTextColor_(PaletteColor(QPalette::Mid)) {
  fontColor_ = activeTextColor_;
}

QColor TFlatTitlebar::CaptionColor() const {
  return window()->isActiveWindow() ? activeTextColor_ : inactiveTextColor_;
}

void TFlatTitlebar::showEvent(QShowEvent* event) {
  window()->installEventFilter(this);
  FlatControl::showEvent(event);
}

bool TFlatTitlebar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window() && event->type() == QEvent::ActivationChange) update();
  return FlatControl::eventFilter(watched, event);
}

void TFlatTitlebar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  FillFace(painter, rect(), titlebarColor_);
  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(CaptionColor());
  painter.drawText(rect().adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter, DisplayText(Caption()));
}

void TFlatTitlebar::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    dragging_ = true;
    grabOffset_ = event->globalPosition().toPoint() - window()->pos();
  }
  FlatControl::mousePressEvent(event);
}

void TFlatTitlebar::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) {
    const QPoint target = event->globalPosition().toPoint() - grabOffset_;
    window()->move(target);
    emit FormMove(target.x(), target.y());
  }
  FlatControl::mouseMoveEvent(event);
}

void TFlatTitlebar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
  FlatControl::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------- secret panel

TSecretPanel::TSecretPanel(QWidget* parent) : FlatControl(parent) {
  color_ = PaletteColor(QPalette::Base);
  fontColor_ = PaletteColor(QPalette::Text);
  timer_.setInterval(30);
  connect(&timer_, &QTimer::timeout, this, [this] { Advance(1); });
}

void TSecretPanel::SetLines(const QStringList& lines) {
  lines_ = lines;
  offset_ = 0;
  update();
}

void TSecretPanel::SetActive(bool active) {
  if (active) {
    timer_.start();
  } else {
    timer_.stop();
    offset_ = 0;
    update();
  }
}

QString TSecretPanel::StripText() const { return lines_.join(QLatin1String("     ")); }

void TSecretPanel::Advance(int pixels) {
  const int travel = width() + QFontMetrics(font()).horizontalAdvance(StripText());
  offset_ += pixels;
  if (travel > 0 && offset_ > travel) offset_ %= travel;
  update();
}

void TSecretPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  FillFace(painter, rect(), color_);
  painter.setPen(fontColor_);
  const int x = width() - offset_;
  painter.drawText(QRect(x, 0, QFontMetrics(font()).horizontalAdvance(StripText()) + 2, height()),
                   Qt::AlignLeft | Qt::AlignVCenter, StripText());
}
