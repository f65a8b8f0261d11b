#include "app/Colori.h"

#include <QActionGroup>
#include <QApplication>
#include <QColorDialog>
#include <QFontDatabase>
#include <QMenu>

#include "app/Application.h"
#include "app/Colorilayout.h"
#include "app/Nomecombinazione.h"
#include "support/Configurazione.h"
#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "support/Supportstring.h"
#include "toolkit/Colorscheme.h"
#include "toolkit/Components.h"
#include "toolkit/Translation.h"

namespace vombrel {

namespace cl = colorilayout;

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

SchemeColors ResolvedToRgb(const SchemeColors& colors) {
  SchemeColors resolved{};
  for (std::size_t role = 0; role < resolved.size(); ++role) resolved[role] = ColorToRGB(colors[role]);
  return resolved;
}

// The windows that take the scheme in force besides the main window: every other
// visible window, except the editor and its naming dialogs, which never take it.
void RepaintOpenWindows(const QWidget* editor, const QWidget* mainWindow, const std::string& path) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == editor || window == mainWindow || !window->isVisible()) continue;
    if (qobject_cast<QMenu*>(window) != nullptr || qobject_cast<TFormNomeCombinazione*>(window) != nullptr) continue;
    ApplyColorScheme(window, path);
  }
}

}  // namespace

bool WriteWorkingColors(const std::string& path, SchemeFileOrder order) {
  std::string error;
  if (WriteSchemeFile(path, ResolvedToRgb(WorkingColors()), order, &error)) return true;
  VombrelApplication::ShowException("Cannot create file \"" + path + "\". " + error);
  return false;
}

TFormColori::TFormColori(QWidget* mainWindow) : QDialog(mainWindow), mainWindow_(mainWindow) {
  setObjectName("FormColori");
  setWindowTitle("Colori");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(cl::kWidth, cl::kHeight);
  BuildPreview();
  BuildControls();
  BuildRandomMenu();
  FormPlacement = MakeComponent<TFormPlacement>(this, "FormPlacement");
  BindFormPlacement(UserConfig(), FormPlacement, this);
  ConnectHandlers();
  FormCreate();
}

// The preview: a small copy of the main window. Clicks on its parts pick their roles, so
// no click travels on to the part underneath.
void TFormColori::BuildPreview() {
  PannelloAnteprima = MakeComponent<TPanel>(this, "PannelloAnteprima");
  PannelloAnteprima->SetTag(2);
  PannelloAnteprima->setGeometry(cl::kAnteprima);
  Titlebar = MakeComponent<TPanel>(PannelloAnteprima, "Titlebar");
  Titlebar->SetTag(3);
  Titlebar->SetCaption("Vombrel");
  Titlebar->setGeometry(0, 0, cl::kAnteprima.width(), cl::kPreviewTitleHeight);
  PannelloFlat = MakeComponent<TFlatPanel>(PannelloAnteprima, "PannelloFlat");
  PannelloFlat->setGeometry(cl::kPannelloFlat);

  Pannello = MakeComponent<TPanel>(PannelloFlat, "Pannello");
  Pannello->setGeometry(cl::kPannello);
  PannelloInfo = MakeComponent<TFlatPanel>(Pannello, "PannelloInfo");
  PannelloInfo->SetTag(1);
  PannelloInfo->setGeometry(cl::kPannelloInfo);
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPixelSize(11);
  auto label = [&](TLabel*& target, const char* name, const char* caption, QRect geometry) {
    target = MakeComponent<TLabel>(PannelloInfo, name);
    target->SetCaption(caption);
    target->setFont(fixed);
    target->setGeometry(geometry);
    target->setAttribute(Qt::WA_TransparentForMouseEvents);  // a click picks the text area
  };
  label(LabelRiproduzione, "LabelRiproduzione", "Riproduzione", QRect(6, 4, 188, 14));
  label(Tempo, "Tempo", "--.--.--", QRect(6, 21, 60, 14));
  label(SeparatoreTempo, "SeparatoreTempo", "/", QRect(66, 21, 10, 14));
  label(Durata, "Durata", "--.--.--", QRect(78, 21, 60, 14));

  PannelloScorrimento = MakeComponent<TPanel>(PannelloFlat, "PannelloScorrimento");
  PannelloScorrimento->setGeometry(cl::kPannelloScorrimento);
  PosizioneFinto = MakeComponent<TFlatPanel>(PannelloScorrimento, "PosizioneFinto");
  PosizioneFinto->SetTag(4);
  PosizioneFinto->setGeometry(cl::kPosizioneFinto);
  ThumbFinto = MakeComponent<TPanel>(PosizioneFinto, "ThumbFinto");
  ThumbFinto->SetTag(4);
  ThumbFinto->setGeometry(cl::kThumbFinto);

  PannelloPulsanti = MakeComponent<TPanel>(PannelloFlat, "PannelloPulsanti");
  PannelloPulsanti->setGeometry(cl::kPannelloPulsanti);
  const struct {
    TFlatButton** button;
    const char* name;
    TGlyph glyph;
  } buttons[] = {{&ButtonPlay, "ButtonPlay", TGlyph::Play}, {&ButtonPrev, "ButtonPrev", TGlyph::Previous},
                 {&ButtonNext, "ButtonNext", TGlyph::Next}, {&ButtonPause, "ButtonPause", TGlyph::Pause},
                 {&ButtonStop, "ButtonStop", TGlyph::Stop}, {&ButtonSplash, "ButtonSplash", TGlyph::None}};
  int left = cl::kPreviewButtonLeft;
  for (const auto& plan : buttons) {
    *plan.button = MakeComponent<TFlatButton>(PannelloPulsanti, plan.name);
    (*plan.button)->SetGlyph(plan.glyph);
    (*plan.button)->setGeometry(left, cl::kPreviewButtonTop, cl::kPreviewButtonWidth, cl::kPreviewButtonHeight);
    left += cl::kPreviewButtonWidth + cl::kPreviewButtonGap;
  }
  ButtonSplash->SetCaption("V");

  for (QWidget* part : std::initializer_list<QWidget*>{Titlebar, Pannello, PannelloInfo, PannelloScorrimento,
                                                       PosizioneFinto, ThumbFinto, PannelloPulsanti})
    part->setAttribute(Qt::WA_NoMousePropagation);
  for (TFlatButton* button : PreviewButtons()) button->setAttribute(Qt::WA_NoMousePropagation);
}

void TFormColori::BuildControls() {
  PnlCombinazione = MakeComponent<TPanel>(this, "PnlCombinazione");
  PnlCombinazione->SetTag(2);
  PnlCombinazione->setGeometry(cl::kPnlCombinazione);
  ListaCombinazioni = MakeComponent<TComboBox>(PnlCombinazione, "ListaCombinazioni");
  ListaCombinazioni->setGeometry(cl::kListaCombinazioni);
  BtnAutoColor = MakeComponent<TSpeedButton>(PnlCombinazione, "BtnAutoColor");
  BtnAutoColor->setGeometry(cl::kBtnAutoColor);
  BtnAutoColor->SetGlyph(TGlyph::Random);
  BtnAutoColor->SetHint("Generazione casuale tema");
  RxSpeedButton1 = MakeComponent<TSpeedButton>(PnlCombinazione, "RxSpeedButton1");
  RxSpeedButton1->setGeometry(cl::kRxSpeedButton1);
  RxSpeedButton1->SetGlyph(TGlyph::ArrowDown);

  GroupComponenti = MakeComponent<TGroupBox>(this, "GroupComponenti");
  GroupComponenti->setGeometry(cl::kGroupComponenti);
  GroupComponenti->SetCaption("Componenti");
  ListaComponenti = MakeComponent<TComboBox>(GroupComponenti, "ListaComponenti");
  ListaComponenti->setGeometry(cl::kListaComponenti);
  for (int role = 0; role < kColorRoleCount; ++role) ListaComponenti->addItem(Q(ColorRoleLabel(role)));
  const struct {
    TLabel** label;
    const char* labelName;
    const char* caption;
    TEdit** edit;
    const char* editName;
  } fields[] = {{&LabelR, "LabelR", "R:", &EditRed, "EditRed"},
                {&LabelG, "LabelG", "G:", &EditGreen, "EditGreen"},
                {&LabelB, "LabelB", "B:", &EditBlue, "EditBlue"}};
  int left = 8;
  for (const auto& field : fields) {
    *field.label = MakeComponent<TLabel>(GroupComponenti, field.labelName);
    (*field.label)->SetTag(2);
    (*field.label)->SetCaption(field.caption);
    (*field.label)->setGeometry(left, cl::kFieldRowTop, 16, 22);
    *field.edit = MakeComponent<TEdit>(GroupComponenti, field.editName);
    (*field.edit)->SetTag(2);
    (*field.edit)->setText("0");
    (*field.edit)->setGeometry(left + 16, cl::kFieldRowTop, 36, 22);
    left += 56;
  }
  ButtonSceltaColore = MakeComponent<TSpeedButton>(GroupComponenti, "ButtonSceltaColore");
  ButtonSceltaColore->setGeometry(cl::kButtonSceltaColore);
  ButtonSceltaColore->SetGlyph(TGlyph::Palette);
  ButtonSceltaColore->SetHint("Mostra la palette dei colori");

  PnlPulsanti = MakeComponent<TPanel>(this, "PnlPulsanti");
  PnlPulsanti->SetTag(2);
  PnlPulsanti->setGeometry(cl::kPnlPulsanti);
  auto button = [&](TBitBtn*& target, const char* name, const char* caption, const char* hint, QRect geometry) {
    target = MakeComponent<TBitBtn>(PnlPulsanti, name);
    target->SetCaption(QString::fromUtf8(caption));
    target->SetHint(QString::fromUtf8(hint));
    target->setGeometry(geometry);
  };
  button(ButtonSalva, "ButtonSalva", "Salva", "Permette di salvare la combinazione", cl::kButtonSalva);
  button(ButtonConferma, "ButtonConferma", "Conferma", "Applica le modifiche alla combinazione predefinita",
         cl::kButtonConferma);
  button(ButtonAnnulla, "ButtonAnnulla", "Annulla", "Annulla le modifiche apportate", cl::kButtonAnnulla);
}

void TFormColori::BuildRandomMenu() {
  MenuRandom = MakeComponent<QMenu>(this, "MenuRandom");
  // One radio group that a click on the marked item leaves with no item marked.
  auto* group = new QActionGroup(MenuRandom);
  group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  auto item = [&](TMenuItem*& target, const char* name, const char* caption) {
    target = MakeComponent<TMenuItem>(this, name);
    target->setText(QString::fromUtf8(caption));
    target->setCheckable(true);
    group->addAction(target);
    MenuRandom->addAction(target);
  };
  item(PopFullRandom, "PopFullRandom", "Schema completamente casuale");
  item(PopGuidedRandom, "PopGuidedRandom", "Schema colori guidato");
  PopFullRandom->setChecked(true);
}

void TFormColori::ConnectHandlers() {
  connect(ListaCombinazioni, &QComboBox::activated, this, &TFormColori::ListaCombinazioniChange);
  connect(ListaComponenti, &QComboBox::activated, this, &TFormColori::ListaComponentiChange);
  for (TEdit* field : {EditRed, EditGreen, EditBlue})
    connect(field, &QLineEdit::textChanged, this, &TFormColori::EditRedChange);
  connect(ButtonSceltaColore, &FlatControl::Click, this, &TFormColori::ButtonSceltaColoreClick);
  connect(BtnAutoColor, &FlatControl::Click, this, &TFormColori::BtnAutoColorClick);
  connect(RxSpeedButton1, &FlatControl::Click, this,
          [this] { MenuRandom->popup(RxSpeedButton1->mapToGlobal(QPoint(0, RxSpeedButton1->height()))); });
  for (TPanel* panel : {Pannello, PannelloScorrimento, PannelloPulsanti})
    connect(panel, &FlatControl::Click, this, &TFormColori::PannelloClick);
  for (TFlatButton* button : PreviewButtons())
    connect(button, &FlatControl::Click, this, &TFormColori::ButtonPlayClick);
  connect(Titlebar, &FlatControl::Click, this, &TFormColori::TitlebarClick);
  connect(PosizioneFinto, &FlatControl::Click, this, &TFormColori::PosizioneFintoClick);
  connect(ThumbFinto, &FlatControl::Click, this, &TFormColori::ThumbFintoClick);
  connect(PannelloInfo, &FlatControl::Click, this, &TFormColori::PannelloInfoClick);
  connect(ButtonConferma, &FlatControl::Click, this, &TFormColori::ButtonConfermaClick);
  connect(ButtonSalva, &FlatControl::Click, this, &TFormColori::ButtonSalvaClick);
  connect(ButtonAnnulla, &FlatControl::Click, this, &TFormColori::ButtonAnnullaClick);
}

std::array<TFlatButton*, 6> TFormColori::PreviewButtons() const {
  return {ButtonPlay, ButtonPrev, ButtonNext, ButtonPause, ButtonStop, ButtonSplash};
}

void TFormColori::FormCreate() {
  ListaCombinazioni->addItem("<<Attuale>>");
  for (const std::string& file : ListFiles(UserSubDir("Colors") + "*.clr"))
    ListaCombinazioni->addItem(Q(FileBaseName(file)));
  ListaCombinazioni->setCurrentIndex(0);
  ListaCombinazioniChange();
  ListaComponenti->setCurrentIndex(crFace);
  ListaComponentiChange();
  if (!CurrentLanguage().empty()) {
    // A translated role list comes back with no role selected; the selection is kept.
    const int role = ListaComponenti->currentIndex();
    ApplyLanguage(this, CurrentLanguage());
    if (ListaComponenti->currentIndex() < 0 && role < ListaComponenti->count()) ListaComponenti->setCurrentIndex(role);
  }
}

std::string TFormColori::SchemePathOfEntry(int entry) const {
  if (entry <= 0) return CurrentSchemePath();
  return UserSubDir("Colors") + ListaCombinazioni->itemText(entry).toStdString() + ".clr";
}

// ---------------------------------------------------------------------------------------
// Choosing a scheme and a role.

void TFormColori::ListaCombinazioniChange() {
  const std::string path = SchemePathOfEntry(ListaCombinazioni->currentIndex());
  if (ListaCombinazioni->currentIndex() <= 0 && !FileExists(path)) {
    // No scheme in force yet: the windows show the built-in colours, and so does the
    // editor, which starts from them rather than from the all-black start-up set.
    const SchemeColors defaults = DefaultSchemeColors();
    PaintComponents(this, defaults);
    WorkingColors() = ResolvedToRgb(defaults);
    return;
  }
  LoadColorScheme(this, path);
}

std::optional<int> TFormColori::SelectedRole() const {
  const int role = ListaComponenti->currentIndex();
  if (role < 0 || role >= kColorRoleCount) return std::nullopt;
  return role;
}

void TFormColori::SelectRole(int role) {
  ListaComponenti->setCurrentIndex(role);
  ListaComponentiChange();
}

void TFormColori::ShowChannels(TColor rgb) {
  EditRed->setText(QString::number(RedOf(rgb)));
  EditGreen->setText(QString::number(GreenOf(rgb)));
  EditBlue->setText(QString::number(BlueOf(rgb)));
}

void TFormColori::ListaComponentiChange() {
  if (const auto role = SelectedRole()) ShowChannels(ColorToRGB(WorkingColors()[static_cast<std::size_t>(*role)]));
}

void TFormColori::EditRedChange() {
  uint32_t blue = 0, green = 0, red = 0;
  try {
    blue = static_cast<uint32_t>(StrToInt(EditBlue->text().toStdString()));
    green = static_cast<uint32_t>(StrToInt(EditGreen->text().toStdString()));
    red = static_cast<uint32_t>(StrToInt(EditRed->text().toStdString()));
  } catch (const ConversionError& error) {
    VombrelApplication::ShowException(error.what());
    return;
  }
  // 32-bit arithmetic without a range check: a field above 255 carries into the next
  // channel.
  const uint32_t color = red + 256u * green + 65536u * blue;
  if (const auto role = SelectedRole()) SetRoleColor(*role, static_cast<TColor>(color));
}

void TFormColori::ButtonSceltaColoreClick() {
  std::optional<QColor> chosen;
  if (colorChooserForTesting_) {
    chosen = colorChooserForTesting_(lastChosenColor_);
  } else {
    const QColor color = QColorDialog::getColor(lastChosenColor_, this);
    if (color.isValid()) chosen = color;
  }
  if (!chosen) return;
  lastChosenColor_ = *chosen;
  ShowChannels(QColorToColor(*chosen));
  EditRedChange();
}

// ---------------------------------------------------------------------------------------
// The preview.

void TFormColori::PannelloClick() { SelectRole(crFace); }
void TFormColori::ButtonPlayClick() { SelectRole(crButtonFace); }
void TFormColori::PosizioneFintoClick() { SelectRole(crScroll); }
void TFormColori::ThumbFintoClick() { SelectRole(crThumb); }
void TFormColori::TitlebarClick() { SelectRole(crTitle); }
void TFormColori::PannelloInfoClick() { SelectRole(crTextBox); }

void TFormColori::SetRoleColor(int role, TColor color) {
  if (role < 0 || role >= kColorRoleCount) return;
  WorkingColors()[static_cast<std::size_t>(role)] = color;
  const QColor c = ColorToQColor(color);
  auto set = [&c](QObject* part, const char* attribute) { part->setProperty(attribute, c); };
  switch (role) {
    case crFace:
      for (QObject* part : {Pannello, PannelloPulsanti, PannelloScorrimento}) set(part, "Color");
      break;
    case crBorder:
      for (QObject* part : {PannelloFlat, PannelloInfo}) {
        set(part, "ColorShadow");
        set(part, "ColorHighLight");
      }
      break;
    case crButtonFace:
      for (QObject* button : PreviewButtons()) set(button, "Color");
      break;
    case crButtonFocus:
      for (QObject* button : PreviewButtons()) set(button, "ColorFocused");
      break;
    case crButtonBorder:
      for (QObject* button : PreviewButtons()) {
        set(button, "ColorBorder");
        set(button, "ColorHighLight");
        set(button, "ColorShadow");
      }
      break;
    case crScroll: set(PosizioneFinto, "Color"); break;
    case crThumb: set(ThumbFinto, "Color"); break;
    case crTitle: set(Titlebar, "Color"); break;
    case crTextFont:
      for (QObject* part : {Tempo, Durata, SeparatoreTempo, LabelRiproduzione}) set(part, "FontColor");
      break;
    case crTitleFont: set(Titlebar, "FontColor"); break;
    case crTextBox: set(PannelloInfo, "Color"); break;
    default: break;
  }
}

// ---------------------------------------------------------------------------------------
// Random schemes. Neither refreshes the three colour fields.

void TFormColori::BtnAutoColorClick() {
  if (PopGuidedRandom->isChecked())
    GuidedRandomScheme();
  else
    FullRandomScheme();
}

void TFormColori::PopRandomClick(QAction* item) { item->trigger(); }

void TFormColori::FullRandomScheme() {
  const SchemeColors colors = MakeFullRandomScheme(random_);
  for (int role = 0; role < kColorRoleCount; ++role) SetRoleColor(role, colors[static_cast<std::size_t>(role)]);
}

void TFormColori::GuidedRandomScheme() {
  const SchemeColors colors = MakeGuidedScheme(DrawGuidedScheme(random_));
  for (int role = 0; role < kColorRoleCount; ++role) SetRoleColor(role, colors[static_cast<std::size_t>(role)]);
}

// ---------------------------------------------------------------------------------------
// Confirming, saving, closing.

void TFormColori::ButtonConfermaClick() {
  const std::string path = CurrentSchemePath();
  if (!WriteWorkingColors(path, SchemeFileOrder::Current)) return;  // the window stays open
  try {
    if (mainWindow_ != nullptr) ApplyColorScheme(mainWindow_, path);
    RepaintOpenWindows(this, mainWindow_, path);
  } catch (const std::exception& error) {
    VombrelApplication::ShowException(error.what());
  }
  close();
}

void TFormColori::ButtonSalvaClick() {
  try {
    auto* naming = new TFormNomeCombinazione(this);
    naming->show();
  } catch (const std::exception& error) {
    VombrelApplication::ShowException(error.what());
  }
}

void TFormColori::ButtonAnnullaClick() { close(); }

void TFormColori::FormClose() {
  // A naming dialog still open outlives the editor: it only reads WorkingColors().
  for (auto* naming : findChildren<TFormNomeCombinazione*>(Qt::FindDirectChildrenOnly)) {
    const bool visible = naming->isVisible();
    naming->setParent(mainWindow_, naming->windowFlags());
    if (visible) naming->show();
  }
}

void TFormColori::done(int result) {
  FormClose();
  // Closing with Esc sends the window no close event: the position is stored here.
  try {
    FormPlacement->SavePlacement();
  } catch (const IniWriteError&) {
  }
  QDialog::done(result);
}

}  // namespace vombrel
