// Behaviour of the widget set: buttons, the scroll bar, the title bar, scrolling text,
// hints, lists and glyphs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "toolkit/Flathint.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Flatscrollbar.h"
#include "toolkit/Glyphs.h"

namespace vombrel {
namespace {

TEST(FlatButton, TwoStateButtonStaysDownUntilTheNextClick) {
  TFlatButton button;
  button.resize(30, 20);
  QSignalSpy clicks(&button, &FlatControl::Click);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_FALSE(button.Down()) << "a push button does not stay down";
  button.SetTwoState(true);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_TRUE(button.Down());
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_FALSE(button.Down());
  EXPECT_EQ(clicks.count(), 3);
  // A press released outside the button is no click.
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 60));
  EXPECT_EQ(clicks.count(), 3);
}

struct ScrollEvent {
  int code;
  int position;
  bool operator==(const ScrollEvent&) const = default;
};

std::vector<ScrollEvent> Events(const QSignalSpy& spy) {
  std::vector<ScrollEvent> events;
  for (const auto& args : spy) events.push_back({args[0].toInt(), args[1].toInt()});
  return events;
}

constexpr int C(TScrollCode code) { return static_cast<int>(code); }

TEST(FlatScrollbar, EveryKindOfMoveIsReported) {
  TFlatScrollbar bar;
  bar.resize(232, 16);
  bar.SetRange(0, 100);
  bar.SetPosition(50);
  QSignalSpy scrolls(&bar, &TFlatScrollbar::Scroll);
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 8));    // left arrow
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(224, 8));  // right arrow
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(20, 8));   // track left of the thumb
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(210, 8));  // track right of the thumb
  const std::vector<ScrollEvent> expected{
      {C(TScrollCode::LineUp), 49},    {C(TScrollCode::EndScroll), 49}, {C(TScrollCode::LineDown), 50},
      {C(TScrollCode::EndScroll), 50}, {C(TScrollCode::PageUp), 40},    {C(TScrollCode::EndScroll), 40},
      {C(TScrollCode::PageDown), 50},  {C(TScrollCode::EndScroll), 50},
  };
  EXPECT_EQ(Events(scrolls), expected);

  scrolls.clear();
  const QPoint grab = bar.ThumbRect().center();
  QTest::mousePress(&bar, Qt::LeftButton, {}, grab);
  QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(200, 0)), bar.mapToGlobal(QPointF(grab + QPoint(200, 0))),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&bar, &move);
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, grab + QPoint(200, 0));
  const std::vector<ScrollEvent> drag{
      {C(TScrollCode::Track), 100}, {C(TScrollCode::Position), 100}, {C(TScrollCode::EndScroll), 100}};
  EXPECT_EQ(Events(scrolls), drag);
  EXPECT_EQ(bar.Position(), 100);
}

TEST(FlatScrollbar, PositionFromCodeIsClampedAndNotReportedAsAScroll) {
  TFlatScrollbar bar;
  bar.resize(100, 14);
  bar.SetRange(0, 65535);
  QSignalSpy scrolls(&bar, &TFlatScrollbar::Scroll);
  QSignalSpy changes(&bar, &TFlatScrollbar::Change);
  bar.SetPosition(70000);
  EXPECT_EQ(bar.Position(), 65535);
  bar.SetPosition(-3);
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(scrolls.count(), 0);
  EXPECT_EQ(changes.count(), 2);
  // The arrows can lie outside a frame: 16 pixels each as designed.
  EXPECT_EQ(bar.LeftButtonRect(), QRect(0, 0, 16, 14));
  EXPECT_EQ(bar.RightButtonRect(), QRect(84, 0, 16, 14));
  EXPECT_EQ(bar.ThumbRect().left(), 16);
  bar.SetPosition(65535);
  EXPECT_EQ(bar.ThumbRect().right(), 83);
}

TEST(FlatTitlebar, DraggingMovesTheWindowAndReportsEveryPosition) {
  QWidget form(nullptr, Qt::FramelessWindowHint);
  form.setGeometry(100, 100, 200, 100);
  auto* titlebar = new TFlatTitlebar(&form);
  titlebar->setGeometry(0, 0, 200, 18);
  form.show();
  QSignalSpy moves(titlebar, &TFlatTitlebar::FormMove);
  const QPoint start = form.pos();
  const QPoint origin = titlebar->mapToGlobal(QPoint(0, 0));
  QTest::mousePress(titlebar, Qt::LeftButton, {}, QPoint(10, 5));
  for (int step = 1; step <= 3; ++step) {
    const QPointF local(10 + 10 * step, 5 + 5 * step);
    QMouseEvent move(QEvent::MouseMove, local, local + QPointF(origin), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(titlebar, &move);
  }
  ASSERT_EQ(moves.count(), 3);
  EXPECT_EQ(form.pos(), start + QPoint(30, 15));
  EXPECT_EQ(moves.last()[0].toInt(), start.x() + 30);
  EXPECT_EQ(moves.last()[1].toInt(), start.y() + 15);
}

TEST(SecretPanel, TextScrollsLeftAndEntersAgainWithoutEnd) {
  TSecretPanel panel;
  panel.resize(100, 20);
  panel.SetLines({"Vombrel Audio Player", "Versione 0.8.3"});
  EXPECT_EQ(panel.StripText(), "Vombrel Audio Player     Versione 0.8.3");
  const int travel = 100 + QFontMetrics(panel.font()).horizontalAdvance(panel.StripText());
  panel.Advance(travel - 1);
  EXPECT_EQ(panel.Offset(), travel - 1);
  panel.Advance(5);
  EXPECT_EQ(panel.Offset(), 4);
  panel.SetActive(true);
  EXPECT_TRUE(panel.Active());
  panel.SetActive(false);
  EXPECT_EQ(panel.Offset(), 0);
}

TEST(FlatHint, HintsShowInTheFlatWindowAndSwitchOffAsAWhole) {
  QWidget form;
  form.setToolTip("Riproduce la traccia attuale");
  auto* hint = new TFlatHint(&form);
  form.show();
  QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), form.mapToGlobal(QPoint(1, 1)));
  QApplication::sendEvent(&form, &help);
  ASSERT_NE(hint->HintWindow(), nullptr);
  EXPECT_TRUE(hint->HintWindow()->isVisible());
  EXPECT_EQ(hint->HintWindow()->Text(), "Riproduce la traccia attuale");
  hint->HideHint();

  SetHintsEnabled(false);
  EXPECT_FALSE(HintsEnabled());
  QHelpEvent again(QEvent::ToolTip, QPoint(1, 1), form.mapToGlobal(QPoint(1, 1)));
  QApplication::sendEvent(&form, &again);
  EXPECT_FALSE(hint->HintWindow()->isVisible());
  SetHintsEnabled(true);
  form.setToolTip("");
  QApplication::sendEvent(&form, &again);
  EXPECT_FALSE(hint->HintWindow()->isVisible()) << "an empty hint shows nothing";
}

TEST(Lists, ItemsReplaceTheListAndComboBoxesKeepNoSelection) {
  TFlatComboBox combo;
  combo.SetItems({"Uno", "Due"});
  EXPECT_EQ(combo.Items(), QStringList({"Uno", "Due"}));
  EXPECT_EQ(combo.currentIndex(), -1);
  TFlatCheckListBox checks;
  checks.SetItems({"a", "b"});
  checks.SetChecked(1, true);
  EXPECT_FALSE(checks.Checked(0));
  EXPECT_TRUE(checks.Checked(1));
  EXPECT_FALSE(checks.Checked(7));
  TListView view;
  view.SetColumns({"Nome", "Percorso"});
  view.SetColumnCaption(1, "Path");
  view.SetColumnCaption(5, "ignored");
  EXPECT_EQ(view.ColumnCount(), 2);
  EXPECT_EQ(view.ColumnCaption(1), "Path");
  TLabel label;
  label.SetCaption("Prima riga\r\nSeconda riga");
  EXPECT_EQ(label.CaptionLines(), QStringList({"Prima riga", "Seconda riga"}));
  TFlatProgressBar progress;
  progress.resize(104, 10);
  progress.SetPosition(50);
  EXPECT_EQ(progress.DoneWidth(), 50);
  progress.SetPosition(500);
  EXPECT_EQ(progress.DoneWidth(), 100);
}

TEST(Glyphs, EveryGlyphDrawsInsideItsAreaInTheGivenColour) {
  for (int index = 1; index < static_cast<int>(TGlyph::Count); ++index) {
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      PaintGlyph(painter, QRectF(10, 10, 20, 20), static_cast<TGlyph>(index), QColor(200, 10, 30));
    }
    int inked = 0, outside = 0, exact = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        const QColor pixel = image.pixelColor(x, y);
        if (pixel.alpha() == 0) continue;
        ++inked;
        if (x < 9 || x > 30 || y < 9 || y > 30) ++outside;
        if (pixel.alpha() == 255 && pixel.rgb() == QColor(200, 10, 30).rgb()) ++exact;
      }
    EXPECT_GT(inked, 10) << GlyphName(static_cast<TGlyph>(index));
    EXPECT_GT(exact, 0) << GlyphName(static_cast<TGlyph>(index));
    EXPECT_EQ(outside, 0) << GlyphName(static_cast<TGlyph>(index));
    EXPECT_FALSE(GlyphName(static_cast<TGlyph>(index)).empty());
  }
}

}  // namespace
}  // namespace vombrel
