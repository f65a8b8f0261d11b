#include "toolkit/Flatscrollbar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "toolkit/Designedlook.h"

using vombrel::TScrollCode;

namespace {

using vombrel::PaletteColor;

void DrawBox(QPainter& painter, const QRect& rect, const QColor& fill, const QColor& border) {
  painter.fillRect(rect, fill);
  painter.save();
  painter.setPen(border);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  painter.restore();
}

}  // namespace

TFlatScrollbar::TFlatScrollbar(QWidget* parent)
    : FlatControl(parent),
      thumbColor_(PaletteColor(QPalette::Button)),
      thumbBorderColor_(PaletteColor(QPalette::Dark)),
      thumbHighlightColor_(PaletteColor(QPalette::Light)),
      thumbShadowColor_(PaletteColor(QPalette::Dark)),
      thumbFocusedColor_(PaletteColor(QPalette::Light)),
      buttonColor_(PaletteColor(QPalette::Button)),
      buttonBorderColor_(PaletteColor(QPalette::Dark)) {
  color_ = PaletteColor(QPalette::Light);
  setAttribute(Qt::WA_Hover);
  setMinimumHeight(8);
}

void TFlatScrollbar::SetMin(int min) { SetRange(min, std::max(min, max_)); }
void TFlatScrollbar::SetMax(int max) { SetRange(std::min(min_, max), max); }

void TFlatScrollbar::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  SetPosition(position_);
  update();
}

void TFlatScrollbar::SetPosition(int position) {
  const int clamped = std::clamp(position, min_, max_);
  if (clamped == position_) return;
  position_ = clamped;
  update();
  emit Change();
}

void TFlatScrollbar::SetButtonWidth(int width) {
  buttonWidth_ = std::max(0, width);
  update();
}

void TFlatScrollbar::SetThumbLength(int length) {
  thumbLength_ = std::max(0, length);
  update();
}

QRect TFlatScrollbar::LeftButtonRect() const { return QRect(0, 0, buttonWidth_, height()); }
QRect TFlatScrollbar::RightButtonRect() const { return QRect(width() - buttonWidth_, 0, buttonWidth_, height()); }
QRect TFlatScrollbar::TrackRect() const {
  return QRect(buttonWidth_, 0, std::max(0, width() - 2 * buttonWidth_), height());
}

int TFlatScrollbar::EffectiveThumbLength() const {
  const int wanted = thumbLength_ > 0 ? thumbLength_ : height();
  return std::clamp(wanted, 0, TrackRect().width());
}

QRect TFlatScrollbar::ThumbRect() const {
  const QRect track = TrackRect();
  const int length = EffectiveThumbLength();
  const int travel = track.width() - length;
  const int span = max_ - min_;
  const int offset = span > 0 ? static_cast<int>(static_cast<long long>(position_ - min_) * travel / span) : 0;
  return QRect(track.left() + offset, 0, length, height());
}

int TFlatScrollbar::PositionAtThumbLeft(int thumbLeft) const {
  const QRect track = TrackRect();
  const int travel = track.width() - EffectiveThumbLength();
  if (travel <= 0) return min_;
  const int offset = std::clamp(thumbLeft - track.left(), 0, travel);
  const long long span = static_cast<long long>(max_) - min_;
  return min_ + static_cast<int>((offset * span + travel / 2) / travel);
}

void TFlatScrollbar::UserMove(TScrollCode code, int position) {
  SetPosition(position);
  emit Scroll(static_cast<int>(code), position_);
}

void TFlatScrollbar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(TrackRect(), color_);
  for (const QRect& button : {LeftButtonRect(), RightButtonRect()})
    if (button.width() > 0) DrawBox(painter, button, buttonColor_, buttonBorderColor_);
  if (buttonWidth_ > 0) {
    vombrel::PaintGlyph(painter, LeftButtonRect(), vombrel::TGlyph::ArrowLeft, thumbColor_);
    vombrel::PaintGlyph(painter, RightButtonRect(), vombrel::TGlyph::ArrowRight, thumbColor_);
  }
  const QRect thumb = ThumbRect();
  if (thumb.width() <= 0) return;
  const bool focused = dragging_ || (underMouse() && thumb.contains(mapFromGlobal(QCursor::pos())));
  DrawBox(painter, thumb, focused ? thumbFocusedColor_ : thumbColor_, thumbBorderColor_);
  if (thumb.width() > 4 && thumb.height() > 4) {
    const QRect inner = thumb.adjusted(1, 1, -2, -2);
    painter.setPen(thumbHighlightColor_);
    painter.drawLine(inner.topLeft(), inner.topRight());
    painter.drawLine(inner.topLeft(), inner.bottomLeft());
    painter.setPen(thumbShadowColor_);
    painter.drawLine(inner.bottomLeft(), inner.bottomRight());
    painter.drawLine(inner.topRight(), inner.bottomRight());
  }
}

void TFlatScrollbar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return FlatControl::mousePressEvent(event);
  const QPoint at = event->position().toPoint();
  const QRect thumb = ThumbRect();
  if (thumb.contains(at)) {
    dragging_ = true;
    dragGrab_ = at.x() - thumb.left();
    update();
  } else if (LeftButtonRect().contains(at)) {
    stepping_ = true;
    UserMove(TScrollCode::LineUp, position_ - smallChange_);
  } else if (RightButtonRect().contains(at)) {
    stepping_ = true;
    UserMove(TScrollCode::LineDown, position_ + smallChange_);
  } else if (at.x() < thumb.left()) {
    stepping_ = true;
    UserMove(TScrollCode::PageUp, position_ - largeChange_);
  } else {
    stepping_ = true;
    UserMove(TScrollCode::PageDown, position_ + largeChange_);
  }
  FlatControl::mousePressEvent(event);
}

void TFlatScrollbar::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) {
    const int target = PositionAtThumbLeft(static_cast<int>(event->position().x()) - dragGrab_);
    if (target != position_) UserMove(TScrollCode::Track, target);
  }
  update();
  FlatControl::mouseMoveEvent(event);
}

void TFlatScrollbar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && (dragging_ || stepping_)) {
    if (dragging_) emit Scroll(static_cast<int>(TScrollCode::Position), position_);
    dragging_ = false;
    stepping_ = false;
    emit Scroll(static_cast<int>(TScrollCode::EndScroll), position_);
    update();
  }
  FlatControl::mouseReleaseEvent(event);
}
