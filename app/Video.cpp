#include "app/Video.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "app/VombrelMain.h"
#include "support/Configurazione.h"
#include "support/Supportaspetto.h"
#include "support/Supportlanguage.h"
#include "support/Supportstring.h"
#include "toolkit/Colorscheme.h"
#include "toolkit/Components.h"
#include "toolkit/Formplacement.h"
#include "toolkit/Translation.h"

namespace vombrel {

namespace vl = videolayout;

namespace {

// Every engine call of this window: a failing engine changes nothing here.
template <typename Call>
void WithEngine(TFormVombrel* main, Call call) {
  TBasePlayer* engine = main != nullptr ? main->Engine() : nullptr;
  if (engine == nullptr) return;
  try {
    call(*engine);
  } catch (...) {
  }
}

}  // namespace

std::optional<QSize> SizeForPicture(int width, int height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  return QSize(width + vl::kBorderWidth + 7,
               height + vl::kBorderWidth + vl::kTitleBarHeight + vl::kButtonBarHeight + 7);
}

std::optional<QRect> RectFromNormPos(std::string_view text, const QRect& current, const QRect& screen) {
  if (Trim(text).empty()) return std::nullopt;
  const StringList items = SplitText(text, ",");
  const int defaults[4] = {current.left(), current.top(), current.left() + current.width(),
                           current.top() + current.height()};
  int64_t edges[4];
  for (size_t i = 0; i < 4; ++i) {
    const auto value = i < items.size() ? ParseInteger(Trim(items[i])) : std::nullopt;
    edges[i] = value ? *value : defaults[i];
  }
  const auto clampSize = [](int64_t size, int minimum, int maximum) {
    return static_cast<int>(std::clamp<int64_t>(size, minimum, std::max(minimum, maximum)));
  };
  const int width = clampSize(edges[2] - edges[0], vl::kMinimumSize.width(), screen.width());
  const int height = clampSize(edges[3] - edges[1], vl::kMinimumSize.height(), screen.height());
  const auto clampEdge = [](int64_t edge) { return static_cast<int>(std::clamp<int64_t>(edge, -100000, 100000)); };
  return QRect(clampEdge(edges[0]), clampEdge(edges[1]), width, height);
}

TFormVideo::TFormVideo(TFormVombrel* main) : QWidget(nullptr, Qt::FramelessWindowHint), main_(main) {
  setObjectName("FormVideo");
  setWindowTitle("Video");
  resize(vl::kDesignedSize);
  setMinimumSize(vl::kMinimumSize);
  BuildWindow();
  FormPlacement = new TFormPlacement(this);
  FormPlacement->setObjectName("FormPlacement");
  BindFormPlacement(UserConfig(), FormPlacement, this);
}

void TFormVideo::BuildWindow() {
  BarraTitolo = MakeComponent<TFlatTitlebar>(this, "BarraTitolo");
  BarraTitolo->SetCaption("Video");
  BtnClose = MakeComponent<TFlatButton>(BarraTitolo, "BtnClose");
  BtnClose->SetGlyph(TGlyph::Close);
  BtnClose->resize(14, 12);

  PannelloBody = MakeComponent<TFlatPanel>(this, "PannelloBody");
  PannelloBordi = MakeComponent<TFlatPanel>(PannelloBody, "PannelloBordi");
  BorderVideo = MakeComponent<TFlatPanel>(PannelloBordi, "BorderVideo");
  Panel = MakeComponent<TPanel>(BorderVideo, "Panel");
  Panel->SetColor(Qt::black);
  // The engine draws into the panel's own native window.
  Panel->setAttribute(Qt::WA_NativeWindow);

  PnlPulsanti = MakeComponent<TPanel>(PannelloBody, "PnlPulsanti");
  PnlComandi = MakeComponent<TPanel>(PnlPulsanti, "PnlComandi");
  struct ButtonPlan {
    TFlatButton** button;
    const char* name;
    TGlyph glyph;
  };
  const ButtonPlan buttons[] = {{&BtnPlay, "BtnPlay", TGlyph::Play},
                                {&BtnPrev, "BtnPrev", TGlyph::Previous},
                                {&BtnNext, "BtnNext", TGlyph::Next},
                                {&BtnPause, "BtnPause", TGlyph::Pause},
                                {&BtnStop, "BtnStop", TGlyph::Stop},
                                {&BtnFullScreen, "BtnFullScreen", TGlyph::FullScreen},
                                {&BtnVideoSize, "BtnVideoSize", TGlyph::VideoSize}};
  int left = 1;
  for (const ButtonPlan& plan : buttons) {
    *plan.button = MakeComponent<TFlatButton>(PnlComandi, plan.name);
    (*plan.button)->SetGlyph(plan.glyph);
    (*plan.button)->setGeometry(QRect(QPoint(left, 2), vl::kButtonSize));
    left += vl::kButtonSize.width() + 1;
  }
  PnlComandi->resize(left + 1, vl::kButtonBarHeight);

  PnlTimeLine = MakeComponent<TPanel>(PnlPulsanti, "PnlTimeLine");
  PannelloPosizione = MakeComponent<TFlatPanel>(PnlTimeLine, "PannelloPosizione");
  Posizione = MakeComponent<TFlatScrollbar>(PannelloPosizione, "Posizione");
  Posizione->SetRange(0, 100);
  Posizione->SetHint("Indica la posizione all'interno della traccia");
  PnlResizer = MakeComponent<TPanel>(PnlPulsanti, "PnlResizer");
  PnlResizer->resize(vl::kGripSize);
  PnlResizer->setCursor(Qt::SizeFDiagCursor);
  PnlResizer->installEventFilter(this);

  connect(BtnClose, &FlatControl::Click, this, &QWidget::close);
  connect(BtnPlay, &FlatControl::Click, this, [this] { main_->ButtonPlayClick(); });
  connect(BtnPrev, &FlatControl::Click, this, [this] { main_->ButtonPrevClick(); });
  connect(BtnNext, &FlatControl::Click, this, [this] { main_->ButtonNextClick(); });
  connect(BtnPause, &FlatControl::Click, this, [this] { main_->ButtonPauseClick(); });
  connect(BtnStop, &FlatControl::Click, this, [this] { main_->ButtonStopClick(); });
  connect(BtnFullScreen, &FlatControl::Click, this, [this] { main_->ToggleFullScreen(); });
  connect(BtnVideoSize, &FlatControl::Click, this, &TFormVideo::FitToVideo);
  connect(Posizione, &TFlatScrollbar::Scroll, this, [this](int, int position) { main_->SeekToPercent(position); });
  FormResize();
}

void TFormVideo::SetPosition(int percent) { Posizione->SetPosition(percent); }

int TFormVideo::Position() const { return Posizione->Position(); }

// Lays every part out for the window's size: the body under the title bar, the picture
// inside its two frames, the button bar at the bottom with the time line between the
// buttons and the grip.
void TFormVideo::FormResize() {
  const int w = width();
  const int h = height();
  BarraTitolo->setGeometry(0, 0, w, vl::kTitleBarHeight);
  BtnClose->move(w - BtnClose->width() - 4, 2);
  PannelloBody->setGeometry(0, vl::kTitleBarHeight, w, h - vl::kTitleBarHeight);
  const QRect body = PannelloBody->rect();
  PannelloBordi->setGeometry(body.adjusted(1, 1, -1, -1 - vl::kButtonBarHeight));
  BorderVideo->setGeometry(
      PannelloBordi->rect().adjusted(vl::kBorderWidth, vl::kBorderWidth, -vl::kBorderWidth, -vl::kBorderWidth));
  Panel->setGeometry(BorderVideo->rect().adjusted(1, 1, -1, -1));
  PnlPulsanti->setGeometry(1, body.height() - 1 - vl::kButtonBarHeight, body.width() - 2, vl::kButtonBarHeight);
  PnlComandi->move(0, 0);
  const int timeLineLeft = PnlComandi->width();
  const int gripLeft = PnlPulsanti->width() - vl::kGripSize.width();
  PnlTimeLine->setGeometry(timeLineLeft, 0, std::max(gripLeft - timeLineLeft, 8), vl::kButtonBarHeight);
  PannelloPosizione->setGeometry(2, 3, PnlTimeLine->width() - 4, 11);
  // The bar's arrows lie outside its frame.
  Posizione->setGeometry(-16, 0, PannelloPosizione->width() + 32, PannelloPosizione->height());
  PnlResizer->move(gripLeft, 0);
  BarraTitolo->update();
}

void TFormVideo::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TFormVideo::FitToVideo() {
  int width = 0;
  int height = 0;
  WithEngine(main_, [&](TBasePlayer& engine) {
    width = engine.GetVideoWidth();
    height = engine.GetVideoHeight();
  });
  if (const auto size = SizeForPicture(width, height)) resize(*size);
  RefreshPicture();
}

void TFormVideo::RefreshPicture() {
  WithEngine(main_, [](TBasePlayer& engine) { engine.Refresh(); });
}

void TFormVideo::RestoreNormalSize() {
  const std::string stored = UserConfig().ReadString(PlacementSection(objectName().toStdString()), "NormPos", "");
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  if (const auto rect = RectFromNormPos(stored, geometry(), area)) resize(rect->size());
}

void TFormVideo::showEvent(QShowEvent* event) {
  if (!CurrentLanguage().empty()) ApplyLanguage(this, CurrentLanguage());
  RestoreNormalSize();
  LoadColorScheme(this, CurrentSchemePath());
  QWidget::showEvent(event);
  FormResize();
  RefreshPicture();
}

void TFormVideo::closeEvent(QCloseEvent* event) {
  // The window is hidden, not destroyed (its placement was saved by the placement
  // component); playback of the picture ends with it.
  event->accept();
  WithEngine(main_, [](TBasePlayer& engine) { engine.Stop(); });
  main_->ShowMainIfHidden();
}

bool TFormVideo::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool mouseEvent = type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                          type == QEvent::MouseButtonRelease;
  // The grip's other events (polish, paint, ...) are no mouse events: not cast, passed on.
  if (watched == PnlResizer && mouseEvent) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
      case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) PnlResizerMouseDown(mouse->globalPosition().toPoint());
        return true;
      case QEvent::MouseMove:
        if (resizing_ && (mouse->buttons() & Qt::LeftButton)) PnlResizerMouseMove(mouse->globalPosition().toPoint());
        return true;
      case QEvent::MouseButtonRelease:
        if (resizing_ && mouse->button() == Qt::LeftButton) PnlResizerMouseUp();
        return true;
      default: break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// Playback pauses while the window is dragged to a new size. Only what the drag paused is
// resumed at its end: a track the user had paused stays paused.
void TFormVideo::PnlResizerMouseDown(const QPoint& screenPoint) {
  pausedForResize_ = false;
  WithEngine(main_, [&](TBasePlayer& engine) {
    if (engine.GetMode() != PlayerMode::Playing) return;
    engine.Pause();
    pausedForResize_ = true;
  });
  resizing_ = true;
  resizeOrigin_ = screenPoint;
  resizeStartWidth_ = width();
  resizeStartHeight_ = height();
}

void TFormVideo::PnlResizerMouseMove(const QPoint& screenPoint) {
  resize(std::max(resizeStartWidth_ + screenPoint.x() - resizeOrigin_.x(), minimumWidth()),
         std::max(resizeStartHeight_ + screenPoint.y() - resizeOrigin_.y(), minimumHeight()));
}

void TFormVideo::PnlResizerMouseUp() {
  resizing_ = false;
  FormResize();
  update();
  RefreshPicture();
  if (pausedForResize_) WithEngine(main_, [](TBasePlayer& engine) { engine.Resume(); });
  pausedForResize_ = false;
}

}  // namespace vombrel
