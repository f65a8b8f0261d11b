// vombrel-gallery: one window holding every class of the widget set, painted from the
// colour scheme named on the command line, for looking at the toolkit and for
// screenshot tests.
//
//   vombrel-gallery [<scheme.clr>] [--screenshot <out.png>]
//
// Without a scheme the system look shows; a missing scheme file paints the built-in
// defaults. The program prints "ready" on standard output once the window is on the
// screen; with --screenshot it saves a picture of the window and ends.
#include <QApplication>
#include <QGridLayout>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>
#include <functional>
#include <string>

#include "toolkit/Colorscheme.h"
#include "toolkit/Flathint.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Flatscrollbar.h"
#include "toolkit/Menuitems.h"

namespace {

using namespace vombrel;

template <typename T>
T* Make(QWidget* parent, const char* name, int tag = 0) {
  auto* component = new T(parent);
  component->setObjectName(QLatin1String(name));
  component->setProperty("Tag", tag);
  return component;
}

TFlatTitlebar* BuildTitlebar(QWidget* form) {
  auto* titlebar = Make<TFlatTitlebar>(form, "BarraTitolo");
  titlebar->SetCaption(QStringLiteral("Vombrel - Gallery"));
  titlebar->setFixedHeight(18);
  auto* row = new QHBoxLayout(titlebar);
  row->setContentsMargins(0, 2, 3, 2);
  row->addStretch();
  for (auto [name, glyph] : {std::pair{"ButtonMinimize", TGlyph::Minimise}, std::pair{"ButtonClose", TGlyph::Close}}) {
    auto* button = Make<TFlatButton>(titlebar, name);
    button->SetGlyph(glyph);
    button->setFixedSize(14, 14);
    row->addWidget(button);
  }
  return titlebar;
}

QWidget* BuildGlyphRow(QWidget* form) {
  auto* strip = Make<TFlatPanel>(form, "PannelloPulsanti");
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(3, 3, 3, 3);
  row->setSpacing(2);
  for (int index = 1; index < static_cast<int>(TGlyph::Count); ++index) {
    const auto glyph = static_cast<TGlyph>(index);
    auto* button = Make<TFlatButton>(strip, ("ButtonGlyph" + std::to_string(index)).c_str(),
                                     glyph == TGlyph::Pause ? 1 : 0);
    button->SetGlyph(glyph);
    button->SetTwoState(glyph == TGlyph::Pause);
    button->SetDown(glyph == TGlyph::Pause);
    button->SetHint(QString::fromUtf8(GlyphName(glyph).data(), static_cast<int>(GlyphName(glyph).size())));
    button->setFixedSize(22, 20);
    row->addWidget(button);
  }
  row->addStretch();
  return strip;
}

void BuildControls(QWidget* form, QGridLayout* grid) {
  auto* info = Make<TFlatPanel>(form, "PannelloInfo", 1);
  info->SetCaption(QStringLiteral("TFlatPanel, Tag 1 (text area)"));
  grid->addWidget(info, 0, 0);
  auto* plainFlat = Make<TFlatPanel>(form, "PannelloFlat");
  plainFlat->SetCaption(QStringLiteral("TFlatPanel"));
  grid->addWidget(plainFlat, 0, 1);

  auto* panel = Make<TPanel>(form, "Pannello");
  panel->SetCaption(QStringLiteral("TPanel"));
  grid->addWidget(panel, 1, 0);
  auto* title = Make<TPanel>(form, "Titlebar", 3);
  title->SetCaption(QStringLiteral("TPanel, Tag 3 (title strip)"));
  grid->addWidget(title, 1, 1);
  for (QWidget* strip : {static_cast<QWidget*>(info), static_cast<QWidget*>(plainFlat), static_cast<QWidget*>(panel),
                         static_cast<QWidget*>(title)})
    strip->setMinimumHeight(24);

  auto* label = Make<TLabel>(form, "LabelRiproduzione");
  label->SetCaption(QStringLiteral("TLabel\r\non two lines"));
  label->setMinimumHeight(30);
  grid->addWidget(label, 2, 0);
  auto* edit = Make<TEdit>(form, "EditNome");
  edit->setText(QStringLiteral("TEdit"));
  grid->addWidget(edit, 2, 1);

  auto* scrollbar = Make<TFlatScrollbar>(form, "Posizione");
  scrollbar->SetPosition(35);
  scrollbar->setFixedHeight(14);
  grid->addWidget(scrollbar, 3, 0);
  auto* progress = Make<TFlatProgressBar>(form, "Progresso");
  progress->SetPosition(60);
  progress->setFixedHeight(14);
  grid->addWidget(progress, 3, 1);

  auto* flatCheck = Make<TFlatCheckBox>(form, "CheckFlat");
  flatCheck->SetCaption(QStringLiteral("TFlatCheckBox"));
  flatCheck->SetChecked(true);
  grid->addWidget(flatCheck, 4, 0);
  auto* check = Make<TCheckBox>(form, "CheckPlain");
  check->SetCaption(QStringLiteral("TCheckBox"));
  grid->addWidget(check, 4, 1);

  auto* flatCombo = Make<TFlatComboBox>(form, "ComboFlat");
  flatCombo->SetItems({QStringLiteral("TFlatComboBox"), QStringLiteral("Due")});
  flatCombo->setCurrentIndex(0);
  grid->addWidget(flatCombo, 5, 0);
  auto* combo = Make<TComboBox>(form, "ComboPlain");
  combo->SetItems({QStringLiteral("TComboBox")});
  combo->setCurrentIndex(0);
  grid->addWidget(combo, 5, 1);

  auto* flatList = Make<TFlatListBox>(form, "ListaFlat");
  flatList->SetItems({QStringLiteral("TFlatListBox"), QStringLiteral("Riga due"), QStringLiteral("Riga tre")});
  flatList->setCurrentRow(1);
  grid->addWidget(flatList, 6, 0);
  auto* checkList = Make<TFlatCheckListBox>(form, "ListaCheck");
  checkList->SetItems({QStringLiteral("TFlatCheckListBox"), QStringLiteral("Spuntata")});
  checkList->SetChecked(1, true);
  grid->addWidget(checkList, 6, 1);

  auto* listBox = Make<TListBox>(form, "ListaTesto", 1);
  listBox->SetItems({QStringLiteral("TListBox, Tag 1")});
  grid->addWidget(listBox, 7, 0);
  auto* textList = Make<TTextListBox>(form, "ListaSemplice", 1);
  textList->SetItems({QStringLiteral("TTextListBox, Tag 1")});
  grid->addWidget(textList, 7, 1);

  auto* listView = Make<TListView>(form, "Vista");
  listView->SetColumns({QStringLiteral("TListView"), QStringLiteral("Col_1")});
  grid->addWidget(listView, 8, 0);
  auto* secret = Make<TSecretPanel>(form, "PannelloScorrevole");
  secret->SetLines({QStringLiteral("TSecretPanel"), QStringLiteral("scrolls without end")});
  secret->Advance(secret->sizeHint().width() / 2 + 150);
  grid->addWidget(secret, 8, 1);

  auto* flatGroup = Make<TFlatGroupBox>(form, "GruppoFlat");
  flatGroup->SetCaption(QStringLiteral("TFlatGroupBox"));
  flatGroup->setMinimumHeight(40);
  grid->addWidget(flatGroup, 9, 0);
  auto* group = Make<TGroupBox>(form, "GruppoPlain");
  group->SetCaption(QStringLiteral("TGroupBox"));
  group->setMinimumHeight(40);
  grid->addWidget(group, 9, 1);

  int column = 0;
  auto* buttons = new QHBoxLayout;
  for (auto [name, caption] : {std::pair{"BtnFlatSpeed", "TFlatSpeedButton"}, std::pair{"BtnSpeed", "TSpeedButton"},
                               std::pair{"BtnBit", "TBitBtn"}, std::pair{"ButtonSplash", "TFlatButton"}}) {
    FlatControl* button = nullptr;
    switch (column++) {
      case 0: button = Make<TFlatSpeedButton>(form, name); break;
      case 1: button = Make<TSpeedButton>(form, name); break;
      case 2: button = Make<TBitBtn>(form, name); break;
      default: button = Make<TFlatButton>(form, name, 1); break;
    }
    button->SetCaption(QLatin1String(caption));
    button->setMinimumSize(90, 22);
    buttons->addWidget(button);
  }
  grid->addLayout(buttons, 10, 0, 1, 2);
}

QWidget* BuildGallery() {
  auto* form = new QWidget(nullptr, Qt::FramelessWindowHint);
  form->setObjectName(QStringLiteral("FormGallery"));
  form->setWindowTitle(QStringLiteral("Vombrel gallery"));
  auto* body = Make<TPanel>(form, "PannelloBody");
  auto* outer = new QVBoxLayout(form);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  outer->addWidget(BuildTitlebar(form));
  outer->addWidget(body, 1);
  auto* inner = new QVBoxLayout(body);
  inner->setContentsMargins(4, 4, 4, 4);
  inner->addWidget(BuildGlyphRow(body));
  auto* grid = new QGridLayout;
  grid->setSpacing(4);
  inner->addLayout(grid);
  BuildControls(body, grid);

  Make<TFlatHint>(form, "FlatHint");
  auto* menuItem = new TMenuItem(form);
  menuItem->setObjectName(QStringLiteral("PopupOpzioni"));
  menuItem->setText(QStringLiteral("Opzioni"));
  auto* speedItem = new TSpeedItem(form);
  speedItem->setObjectName(QStringLiteral("SpeedOpzioni"));
  form->resize(560, 700);
  return form;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::string schemePath;
  QString screenshotPath;
  const QStringList args = app.arguments();
  for (int index = 1; index < args.size(); ++index) {
    if (args[index] == QLatin1String("--screenshot") && index + 1 < args.size()) {
      screenshotPath = args[++index];
    } else {
      schemePath = args[index].toStdString();
    }
  }

  QWidget* form = BuildGallery();
  if (!schemePath.empty()) {
    try {
      ApplyColorScheme(form, schemePath);
    } catch (const SchemeReadError& error) {
      std::fprintf(stderr, "%s\n", error.what());
      return 2;
    }
  }
  form->move(0, 0);
  form->show();
  // "ready" only once the window is exposed and painted, so a screenshot of the screen
  // taken after it shows the window.
  std::function<void()> announce;
  announce = [form, screenshotPath, &announce] {
    if (form->windowHandle() == nullptr || !form->windowHandle()->isExposed()) {
      QTimer::singleShot(10, form, announce);
      return;
    }
    form->repaint();
    QApplication::processEvents();
    std::printf("ready\n");
    std::fflush(stdout);
    if (!screenshotPath.isEmpty()) {
      const bool saved = form->grab().save(screenshotPath);
      QApplication::exit(saved ? 0 : 3);
    }
  };
  QTimer::singleShot(0, form, announce);
  const int result = QApplication::exec();
  delete form;
  return result;
}
