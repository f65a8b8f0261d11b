// A horizontal scroll bar with an arrow button at each end and a thumb between them.
// Every move made by the user is reported by Scroll(code, position); setting Position
// from code reports nothing (so a timer can follow playback without seeking).
// User-interface thread only.
#pragma once

#include "toolkit/Flatcontrols.h"

namespace vombrel {

// The kinds of move, reported with the bar's new position.
enum class TScrollCode : int {
  LineUp = 0,  // left arrow
  LineDown,    // right arrow
  PageUp,      // track left of the thumb
  PageDown,    // track right of the thumb
  Position,    // thumb released after a drag
  Track,       // thumb being dragged
  Top,
  Bottom,
  EndScroll,  // the mouse button was released
};

}  // namespace vombrel

class TFlatScrollbar : public vombrel::FlatControl {
  Q_OBJECT
  Q_PROPERTY(QColor ThumbColor MEMBER thumbColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ThumbBorderColor MEMBER thumbBorderColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ThumbHighlightColor MEMBER thumbHighlightColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ThumbShadowColor MEMBER thumbShadowColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ThumbFocusedColor MEMBER thumbFocusedColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ButtonColor MEMBER buttonColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(QColor ButtonBorderColor MEMBER buttonBorderColor_ NOTIFY AppearanceChanged)
  Q_PROPERTY(int Min READ Min WRITE SetMin)
  Q_PROPERTY(int Max READ Max WRITE SetMax)
  Q_PROPERTY(int Position READ Position WRITE SetPosition NOTIFY Change)
  Q_PROPERTY(int SmallChange READ SmallChange WRITE SetSmallChange)
  Q_PROPERTY(int LargeChange READ LargeChange WRITE SetLargeChange)
  Q_PROPERTY(int ButtonWidth READ ButtonWidth WRITE SetButtonWidth)
  Q_PROPERTY(int ThumbLength READ ThumbLength WRITE SetThumbLength)

 public:
  explicit TFlatScrollbar(QWidget* parent = nullptr);

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int min);
  void SetMax(int max);
  void SetRange(int min, int max);
  // Clamped to the range; emits Change() when the position changes, never Scroll().
  void SetPosition(int position);
  int SmallChange() const { return smallChange_; }
  void SetSmallChange(int step) { smallChange_ = step; }
  int LargeChange() const { return largeChange_; }
  void SetLargeChange(int step) { largeChange_ = step; }
  // Width of each arrow button (16 as designed; the windows hide the arrows outside a
  // frame by making the bar 32 pixels wider than the frame and moving it 16 left).
  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int width);
  // Length of the thumb; 0 (the default) makes it as long as the bar is high.
  int ThumbLength() const { return thumbLength_; }
  void SetThumbLength(int length);

  // Geometry as painted, for hit tests and for tests.
  QRect LeftButtonRect() const;
  QRect RightButtonRect() const;
  QRect TrackRect() const;
  QRect ThumbRect() const;
  // The position a thumb whose left edge is at `thumbLeft` stands for.
  int PositionAtThumbLeft(int thumbLeft) const;

 signals:
  void Scroll(int scrollCode, int position);
  void Change();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int EffectiveThumbLength() const;
  // Moves by a user action and reports it.
  void UserMove(vombrel::TScrollCode code, int position);

  QColor thumbColor_, thumbBorderColor_, thumbHighlightColor_, thumbShadowColor_, thumbFocusedColor_;
  QColor buttonColor_, buttonBorderColor_;
  int min_ = 0, max_ = 100, position_ = 0;
  int smallChange_ = 1, largeChange_ = 10;
  int buttonWidth_ = 16, thumbLength_ = 0;
  bool dragging_ = false;
  bool stepping_ = false;  // an arrow or the track was pressed; EndScroll follows on release
  int dragGrab_ = 0;       // cursor x minus thumb left at the press
};

namespace vombrel {
using ::TFlatScrollbar;
}
