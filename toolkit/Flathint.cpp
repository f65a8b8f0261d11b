#include "toolkit/Flathint.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

#include "toolkit/Designedlook.h"
#include "toolkit/Glyphs.h"

namespace vombrel {

namespace {

constexpr int kArrowWidth = 12;

// Watches the whole application for tool-tip events: swallows them while hints are
// off, routes them to the current TFlatHint when there is one, and hides its window at
// the next press, key or leave.
class HintSwitch : public QObject {
 public:
  static HintSwitch& Instance() {
    static HintSwitch* instance = [] {
      auto* created = new HintSwitch;
      qApp->installEventFilter(created);
      return created;
    }();
    return *instance;
  }

  bool enabled = true;
  QPointer<TFlatHint> current;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::ToolTip: return HandleToolTip(watched, static_cast<QHelpEvent*>(event));
      case QEvent::MouseButtonPress:
      case QEvent::KeyPress:
      case QEvent::Leave:
      case QEvent::Wheel:
        if (current) current->HideHint();
        break;
      default: break;
    }
    return false;
  }

 private:
  bool HandleToolTip(QObject* watched, QHelpEvent* help) {
    if (!enabled) {
      QToolTip::hideText();
      return true;
    }
    if (!current || !watched->isWidgetType()) return false;
    current->ShowHint(static_cast<QWidget*>(watched)->toolTip(), help->globalPos());
    return true;
  }
};

}  // namespace

void SetHintsEnabled(bool enabled) {
  HintSwitch& hints = HintSwitch::Instance();
  hints.enabled = enabled;
  if (!enabled) {
    QToolTip::hideText();
    if (hints.current) hints.current->HideHint();
  }
}

bool HintsEnabled() { return HintSwitch::Instance().enabled; }

FlatHintWindow::FlatHintWindow(TFlatHint* owner)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), owner_(owner) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize FlatHintWindow::sizeHint() const {
  const QFontMetrics metrics(font());
  const QSize textSize = metrics.size(0, text_);
  return QSize(kArrowWidth + textSize.width() + 10, std::max(textSize.height() + 6, kArrowWidth + 4));
}

QRect FlatHintWindow::ArrowRect() const { return QRect(1, 1, kArrowWidth, height() - 2); }

void FlatHintWindow::ShowText(const QString& text, const QPoint& globalPos) {
  text_ = text;
  resize(sizeHint());
  QPoint at = globalPos + QPoint(2, 18);
  if (const QScreen* screen = QGuiApplication::screenAt(globalPos)) {
    const QRect area = screen->availableGeometry();
    at.setX(std::min(at.x(), area.right() - width()));
    if (at.y() + height() > area.bottom()) at.setY(globalPos.y() - height() - 4);
  }
  move(at);
  show();
  update();
}

void FlatHintWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), owner_->ColorBackground());
  painter.fillRect(ArrowRect(), owner_->ColorArrowBackground());
  PaintGlyph(painter, ArrowRect(), TGlyph::ArrowRight, owner_->ColorArrow());
  painter.setPen(owner_->ColorBorder());
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.setPen(owner_->FontColor());
  painter.drawText(rect().adjusted(kArrowWidth + 5, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, text_);
}

}  // namespace vombrel

TFlatHint::TFlatHint(QObject* parent)
    : QObject(parent),
      colorArrow_(vombrel::PaletteColor(QPalette::ToolTipText)),
      colorArrowBackground_(vombrel::PaletteColor(QPalette::Button)),
      colorBorder_(vombrel::PaletteColor(QPalette::Dark)),
      colorBackground_(vombrel::PaletteColor(QPalette::ToolTipBase)),
      fontColor_(vombrel::PaletteColor(QPalette::ToolTipText)) {
  vombrel::HintSwitch::Instance().current = this;
  connect(this, &TFlatHint::AppearanceChanged, this, [this] {
    if (window_) window_->update();
  });
}

TFlatHint::~TFlatHint() { delete window_.data(); }

void TFlatHint::ShowHint(const QString& text, const QPoint& globalPos) {
  if (text.isEmpty() || !vombrel::HintsEnabled()) {
    HideHint();
    return;
  }
  if (!window_) window_ = new vombrel::FlatHintWindow(this);
  window_->ShowText(text, globalPos);
}

void TFlatHint::HideHint() {
  if (window_) window_->hide();
}
