#include "toolkit/Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>
#include <cmath>

namespace vombrel {

namespace {

// Shapes are described in a 16 x 16 design square and scaled into the target square.
constexpr qreal kDesignSize = 16.0;

QPolygonF Triangle(QPointF a, QPointF b, QPointF c) { return QPolygonF({a, b, c}); }

void FillPolygon(QPainter& p, const QPolygonF& polygon) { p.drawPolygon(polygon); }

void FillRect(QPainter& p, qreal x, qreal y, qreal w, qreal h) { p.drawRect(QRectF(x, y, w, h)); }

void StrokeLine(QPainter& p, qreal x1, qreal y1, qreal x2, qreal y2, qreal width) {
  QPen pen = p.pen();
  pen.setWidthF(width);
  pen.setCapStyle(Qt::RoundCap);
  p.save();
  p.setPen(pen);
  p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
  p.restore();
}

void StrokeArc(QPainter& p, const QRectF& box, int startDegrees, int spanDegrees, qreal width) {
  QPen pen = p.pen();
  pen.setWidthF(width);
  pen.setCapStyle(Qt::FlatCap);
  p.save();
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawArc(box, startDegrees * 16, spanDegrees * 16);
  p.restore();
}

void StrokeRect(QPainter& p, const QRectF& box, qreal width) {
  QPen pen = p.pen();
  pen.setWidthF(width);
  p.save();
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawRect(box);
  p.restore();
}

void DrawShape(QPainter& p, TGlyph glyph) {
  switch (glyph) {
    case TGlyph::None:
    case TGlyph::Count: break;
    case TGlyph::Play: FillPolygon(p, Triangle({4, 2}, {13, 8}, {4, 14})); break;
    case TGlyph::Pause:
      FillRect(p, 3.5, 3, 3, 10);
      FillRect(p, 9.5, 3, 3, 10);
      break;
    case TGlyph::Stop: FillRect(p, 3.5, 3.5, 9, 9); break;
    case TGlyph::Previous:
      FillRect(p, 2.5, 3, 2, 10);
      FillPolygon(p, Triangle({13, 3}, {5, 8}, {13, 13}));
      break;
    case TGlyph::Next:
      FillRect(p, 11.5, 3, 2, 10);
      FillPolygon(p, Triangle({3, 3}, {11, 8}, {3, 13}));
      break;
    case TGlyph::Record: p.drawEllipse(QRectF(3, 3, 10, 10)); break;
    case TGlyph::Playlist:
      FillRect(p, 2, 3, 12, 2);
      FillRect(p, 2, 7, 12, 2);
      FillRect(p, 2, 11, 8, 2);
      break;
    case TGlyph::Add:
      FillRect(p, 7, 2.5, 2, 11);
      FillRect(p, 2.5, 7, 11, 2);
      break;
    case TGlyph::Remove: FillRect(p, 2.5, 7, 11, 2); break;
    case TGlyph::Close:
      StrokeLine(p, 4, 4, 12, 12, 2);
      StrokeLine(p, 12, 4, 4, 12, 2);
      break;
    case TGlyph::Minimise: FillRect(p, 3, 11, 10, 2); break;
    case TGlyph::FullScreen:
      for (const auto& corner :
           std::array<std::array<qreal, 4>, 4>{{{2, 2, 1, 1}, {14, 2, -1, 1}, {2, 14, 1, -1}, {14, 14, -1, -1}}}) {
        StrokeLine(p, corner[0], corner[1], corner[0] + 4 * corner[2], corner[1], 1.5);
        StrokeLine(p, corner[0], corner[1], corner[0], corner[1] + 4 * corner[3], 1.5);
      }
      break;
    case TGlyph::VideoSize:
      StrokeRect(p, QRectF(2.5, 4.5, 11, 7), 1.2);
      FillPolygon(p, Triangle({6, 6.5}, {10.5, 8}, {6, 9.5}));
      break;
    case TGlyph::Magnet:
      StrokeArc(p, QRectF(3, 3, 10, 10), 180, 180, 3);
      FillRect(p, 3, 3, 3, 5);
      FillRect(p, 10, 3, 3, 5);
      break;
    case TGlyph::Repeat:
      StrokeArc(p, QRectF(3, 3, 10, 10), 90, 270, 1.8);
      FillPolygon(p, Triangle({6.5, 0.5}, {10.5, 3}, {6.5, 5.5}));
      break;
    case TGlyph::Shuffle:
      StrokeLine(p, 2, 4, 12, 12, 1.6);
      StrokeLine(p, 2, 12, 12, 4, 1.6);
      FillPolygon(p, Triangle({11, 1.5}, {15, 4}, {11, 6.5}));
      FillPolygon(p, Triangle({11, 9.5}, {15, 12}, {11, 14.5}));
      break;
    case TGlyph::Open:
      FillPolygon(p, QPolygonF({{2, 4}, {6, 4}, {7, 5.5}, {13, 5.5}, {13, 7}, {2, 7}}));
      FillPolygon(p, QPolygonF({{2, 8}, {15, 8}, {13, 13}, {2, 13}}));
      break;
    case TGlyph::Save:
      StrokeRect(p, QRectF(2.5, 2.5, 11, 11), 1.2);
      FillRect(p, 5, 2.5, 6, 4);
      FillRect(p, 4.5, 9, 7, 4.5);
      break;
    case TGlyph::ViewMode:
      FillRect(p, 2, 3, 3, 3);
      FillRect(p, 7, 3.5, 7, 2);
      FillRect(p, 2, 10, 3, 3);
      FillRect(p, 7, 10.5, 7, 2);
      break;
    case TGlyph::Cd: {
      QPainterPath disc;
      disc.setFillRule(Qt::OddEvenFill);
      disc.addEllipse(QRectF(2, 2, 12, 12));
      disc.addEllipse(QRectF(6.5, 6.5, 3, 3));
      p.drawPath(disc);
      break;
    }
    case TGlyph::ArrowLeft: FillPolygon(p, Triangle({10.5, 4}, {5, 8}, {10.5, 12})); break;
    case TGlyph::ArrowRight: FillPolygon(p, Triangle({5.5, 4}, {11, 8}, {5.5, 12})); break;
    case TGlyph::ArrowUp: FillPolygon(p, Triangle({4, 10.5}, {8, 5}, {12, 10.5})); break;
    case TGlyph::ArrowDown: FillPolygon(p, Triangle({4, 5.5}, {8, 11}, {12, 5.5})); break;
    case TGlyph::Check:
      StrokeLine(p, 3, 8.5, 6.5, 12, 2.2);
      StrokeLine(p, 6.5, 12, 13, 4, 2.2);
      break;
    case TGlyph::Palette:
      for (const QPointF& dot : {QPointF(4, 4), QPointF(9, 4), QPointF(4, 9), QPointF(9, 9)})
        p.drawEllipse(QRectF(dot, QSizeF(4, 4)));
      break;
    case TGlyph::Random:
      StrokeRect(p, QRectF(2.5, 2.5, 11, 11), 1.2);
      for (const QPointF& dot : {QPointF(5.5, 5.5), QPointF(10.5, 10.5), QPointF(8, 8)}) p.drawEllipse(dot, 1.2, 1.2);
      break;
    case TGlyph::Info:
      p.drawEllipse(QRectF(7, 2, 2.4, 2.4));
      FillRect(p, 7, 6, 2.4, 8);
      break;
  }
}

}  // namespace

void PaintGlyph(QPainter& painter, const QRectF& area, TGlyph glyph, const QColor& color) {
  const qreal side = std::max<qreal>(0.0, std::min(area.width(), area.height()) - 2.0);
  if (side <= 0.0 || glyph == TGlyph::None) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.translate(area.center().x() - side / 2.0, area.center().y() - side / 2.0);
  painter.scale(side / kDesignSize, side / kDesignSize);
  painter.setPen(QPen(color, 0));
  painter.setBrush(color);
  DrawShape(painter, glyph);
  painter.restore();
}

std::string_view GlyphName(TGlyph glyph) {
  static constexpr std::array<std::string_view, static_cast<int>(TGlyph::Count)> kNames{
      "none",       "play",   "pause",   "stop",      "previous",    "next",       "record",      "playlist",
      "add",        "remove", "close",   "minimise",  "full screen", "video size", "magnet",      "repeat",
      "shuffle",    "open",   "save",    "view mode", "cd",          "arrow left", "arrow right", "arrow up",
      "arrow down", "check",  "palette", "random",    "info"};
  const int index = static_cast<int>(glyph);
  if (index < 0 || index >= static_cast<int>(kNames.size())) return "";
  return kNames[static_cast<std::size_t>(index)];
}

}  // namespace vombrel
