#include "toolkit/Menudrawing.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include "support/Supportaspetto.h"
#include "support/Supportfiles.h"
#include "toolkit/Colorscheme.h"
#include "toolkit/Menuitems.h"

namespace vombrel {

namespace {

constexpr char kRecentProperty[] = "vombrelRecentFiles";
constexpr int kGradientSteps = 64;

struct ItemColors {
  QColor background, border, normal, selected, text;
};

// Chosen anew for every item: the scheme's when its file exists, else the system's.
ItemColors CurrentItemColors(const QPalette& palette) {
  if (FileExists(CurrentSchemePath())) {
    const SchemeColors& c = WorkingColors();
    return {palette.color(QPalette::Button), ColorToQColor(c[crButtonBorder]), ColorToQColor(c[crButtonFace]),
            ColorToQColor(c[crButtonFocus]), ColorToQColor(c[crTextFont])};
  }
  return {palette.color(QPalette::Button), palette.color(QPalette::Dark), palette.color(QPalette::Button),
          palette.color(QPalette::Highlight), palette.color(QPalette::ButtonText)};
}

// The band on the left of the menu, always in the working colours.
void DrawMargin(QPainter* p, const QRect& menu, const QPalette& palette) {
  const SchemeColors& c = WorkingColors();
  const int l = menu.left(), t = menu.top(), r = menu.left() + kMenuMargin, b = menu.bottom() + 1;
  p->fillRect(QRect(QPoint(l, t), QPoint(r - 4 - 1, b - 1)), ColorToQColor(c[crButtonBorder]));
  const QColor bottom = ColorToQColor(c[crFace]), top = ColorToQColor(c[crButtonFace]);
  const QRect band(QPoint(l + 1, t + 1), QPoint(r - 5 - 1, b - 1 - 1));
  // Row by row, each in the colour of its step (1 of 64), "ButtonFace" at the top, "Face" at the bottom.
  for (int y = band.top(); y <= band.bottom(); ++y) {
    const int i = band.height() > 1 ? (y - band.top()) * (kGradientSteps - 1) / (band.height() - 1) : 0;
    auto mix = [&](int a, int z) { return a + (z - a) * i / (kGradientSteps - 1); };
    p->fillRect(QRect(band.left(), y, band.width(), 1),
                QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()), mix(top.blue(), bottom.blue())));
  }
  // The 3-D frame around (R-3, T, R-1, B): shadow top-left, highlight bottom-right.
  const QRect frame(QPoint(r - 3, t), QPoint(r - 1 - 1, b - 1));
  p->setPen(palette.color(QPalette::Dark));
  p->drawLine(frame.topLeft(), frame.topRight());
  p->drawLine(frame.topLeft(), frame.bottomLeft());
  p->setPen(palette.color(QPalette::Light));
  p->drawLine(frame.bottomLeft(), frame.bottomRight());
  p->drawLine(frame.topRight(), frame.bottomRight());
}

int ImageIndexOf(const QMenu* menu, const QAction* action) {
  if (menu->property(kRecentProperty).toBool()) return kMenuImageRecent;
  if (action->isChecked()) return kMenuImageCheck;
  const auto* item = qobject_cast<const MenuItemBase*>(action);
  return item ? item->Tag() : -1;
}

class MenuDrawingStyle : public QProxyStyle {
 public:
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override {
    QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type != CT_MenuItem) return s;
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    const bool separator = item && item->menuItemType == QStyleOptionMenuItem::Separator;
    return {s.width() + 8, s.height() + (separator ? 0 : 2)};
  }

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* p,
                     const QWidget* widget) const override {
    if (element == PE_PanelMenu) {
      p->fillRect(option->rect, option->palette.color(QPalette::Button));
      DrawMargin(p, option->rect, option->palette);
      return;
    }
    if (element == PE_FrameMenu) return;
    QProxyStyle::drawPrimitive(element, option, p, widget);
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* p,
                   const QWidget* widget) const override {
    if (element == CE_MenuEmptyArea) return;  // the panel painted it
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    const auto* menu = qobject_cast<const QMenu*>(widget);
    if (element != CE_MenuItem || !item || !menu) return QProxyStyle::drawControl(element, option, p, widget);
    const ItemColors colors = CurrentItemColors(option->palette);
    const QRect r = option->rect;
    p->save();
    p->fillRect(r, colors.background);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
      p->fillRect(r.adjusted(2, 2, -2, -2), colors.border);
      p->fillRect(r.adjusted(3, 3, -3, -3), colors.selected);
      p->restore();
      return;
    }
    const bool selected = (option->state & State_Selected) && (option->state & State_Enabled);
    p->fillRect(r.adjusted(1, 1, -1, -1), colors.border);
    p->fillRect(r.adjusted(2, 2, -2, -2), selected ? colors.selected : colors.normal);
    const QAction* action = menu->actionAt(r.center());
    if (action) {
      const QPixmap image = MenuImage(ImageIndexOf(menu, action));
      if (!image.isNull()) p->drawPixmap(r.left() + 3, r.top() + 3, image);
    }
    p->setPen((option->state & State_Enabled) ? colors.text
                                              : option->palette.color(QPalette::Disabled, QPalette::Text));
    p->setFont(item->font);
    QString text = item->text;
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0) text.truncate(tab);
    const QRect textRect(r.left() + 26, r.top() + 2, r.width() - 26 - 12, r.height() - 2);
    p->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine, text);
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
      const int cx = r.right() - 8, cy = r.center().y();
      QPainterPath arrow;
      arrow.moveTo(cx, cy - 4);
      arrow.lineTo(cx + 4, cy);
      arrow.lineTo(cx, cy + 4);
      arrow.closeSubpath();
      p->fillPath(arrow, p->pen().color());
    }
    p->restore();
  }
};

MenuDrawingStyle* SharedStyle() {
  static auto* style = new MenuDrawingStyle;  // lives as long as the program
  return style;
}

void DrawImage(QPainter& p, int index) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x30, 0x78, 0xd8));
  auto tri = [&](double x0, double x1, bool right) {
    QPainterPath path;
    path.moveTo(right ? x0 : x1, 2);
    path.lineTo(right ? x1 : x0, 6);
    path.lineTo(right ? x0 : x1, 10);
    path.closeSubpath();
    p.drawPath(path);
  };
  switch (index) {
    case 0: tri(3, 10, true); break;
    case 1:
      p.drawRect(QRectF(2, 2, 2, 8));
      tri(4, 10, false);
      break;
    case 2:
      tri(2, 8, true);
      p.drawRect(QRectF(8, 2, 2, 8));
      break;
    case 3:
      p.drawRect(QRectF(3, 2, 2.5, 8));
      p.drawRect(QRectF(6.5, 2, 2.5, 8));
      break;
    case 4: p.drawRect(QRectF(2.5, 2.5, 7, 7)); break;
    case 5:
      p.drawRect(QRectF(5, 1.5, 2, 9));
      p.drawRect(QRectF(1.5, 5, 9, 2));
      break;
    case 6: p.drawRect(QRectF(2, 8, 8, 2)); break;
    case 7:
      p.setPen(QPen(QColor(0xa0, 0x20, 0x20), 2));
      p.drawLine(QPointF(3, 3), QPointF(9, 9));
      p.drawLine(QPointF(9, 3), QPointF(3, 9));
      break;
    case 8:
      p.setBrush(QColor(0xd0, 0x30, 0x30));
      p.drawRect(QRectF(1, 1, 5, 5));
      p.setBrush(QColor(0x30, 0xa0, 0x30));
      p.drawRect(QRectF(6, 1, 5, 5));
      p.setBrush(QColor(0x30, 0x50, 0xd0));
      p.drawRect(QRectF(1, 6, 5, 5));
      p.setBrush(QColor(0xe0, 0xc0, 0x20));
      p.drawRect(QRectF(6, 6, 5, 5));
      break;
    case 9:
      p.drawRect(QRectF(1, 3, 10, 1.5));
      p.drawRect(QRectF(1, 7.5, 10, 1.5));
      p.drawEllipse(QRectF(6, 1.5, 4, 4));
      p.drawEllipse(QRectF(2, 6, 4, 4));
      break;
    case 10: {
      QPainterPath path;
      path.moveTo(1, 4);
      path.lineTo(4, 4);
      path.lineTo(7, 1);
      path.lineTo(7, 11);
      path.lineTo(4, 8);
      path.lineTo(1, 8);
      path.closeSubpath();
      p.drawPath(path);
      p.setPen(QPen(QColor(0x30, 0x78, 0xd8), 1));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(6, 3, 5, 6), -60 * 16, 120 * 16);
      break;
    }
    case 11:
      p.setPen(QPen(QColor(0x10, 0x70, 0x10), 2));
      p.drawLine(QPointF(2, 6), QPointF(5, 9));
      p.drawLine(QPointF(5, 9), QPointF(10, 2));
      break;
    case 12:
      p.setBrush(QColor(0x90, 0x90, 0xa0));
      p.drawEllipse(QRectF(1, 1, 10, 10));
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(4.5, 4.5, 3, 3));
      break;
    case 13:
      for (int y : {2, 5, 8}) p.drawRect(QRectF(1, y, 10, 1.8));
      break;
    default: break;
  }
}

}  // namespace

QPixmap MenuImage(int index) {
  if (index < 0 || index > kMenuImageRecent) return {};
  QPixmap image(12, 12);
  image.fill(Qt::transparent);
  QPainter p(&image);
  DrawImage(p, index);
  return image;
}

void InstallMenuDrawing(QMenu* menu, bool recentFiles) {
  menu->setStyle(SharedStyle());
  menu->setContentsMargins(kMenuMargin, 0, 0, 0);
  menu->setProperty(kRecentProperty, recentFiles);
}

}  // namespace vombrel
