// Button pictures drawn as vector shapes, so they take the colour scheme's text colour
// and stay sharp at any size. No artwork files.
#pragma once

#include <QColor>
#include <QRectF>
#include <string_view>

class QPainter;

namespace vombrel {

enum class TGlyph : int {
  None = 0,
  Play,
  Pause,
  Stop,
  Previous,
  Next,
  Record,
  Playlist,
  Add,
  Remove,
  Close,
  Minimise,
  FullScreen,
  VideoSize,
  Magnet,
  Repeat,
  Shuffle,
  Open,
  Save,
  ViewMode,
  Cd,
  ArrowLeft,
  ArrowRight,
  ArrowUp,
  ArrowDown,
  Check,
  Palette,
  Random,
  Info,
  Count  // number of glyphs, not a glyph
};

// Draws the glyph centred in `area`, in a square as large as the shorter side allows
// minus a small margin, filled and stroked with `color`.
void PaintGlyph(QPainter& painter, const QRectF& area, TGlyph glyph, const QColor& color);

// A short English name ("play", "full screen") for galleries and diagnostics.
std::string_view GlyphName(TGlyph glyph);

}  // namespace vombrel
