// Painting windows from scheme files: every row of the colour table by attribute and by
// pixel, the tag rules, the exact-class rule and the error box of LoadColorScheme.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMetaProperty>
#include <QPalette>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>

#include "support/Supportmsg.h"
#include "toolkit/Colorscheme.h"
#include "toolkit/Components.h"
#include "toolkit/Flathint.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Flatscrollbar.h"

// A label class of its own: derived classes are not painted.
class TDerivedLabel : public TLabel {
  Q_OBJECT
 public:
  using TLabel::TLabel;
};

namespace vombrel {
namespace {

// Eleven clearly different role colours.
TColor RoleColor(int role) { return MakeRgb(20 + 21 * role, 235 - 19 * role, 9 + 23 * role); }

SchemeColors TestScheme() {
  SchemeColors colors{};
  for (int role = 0; role < kColorRoleCount; ++role) colors[static_cast<std::size_t>(role)] = RoleColor(role);
  return colors;
}

QColor Q(TColor color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

// The colour table as written for the rule: for a kind and a tag, the attribute values.
// The special value kDarkButtonFace stands for Darken(ButtonFace, 40).
std::map<std::string, TColor> Expected(const std::string& kind, int tag, const SchemeColors& c) {
  auto r = [&c](ColorRole role) { return c[role]; };
  if (kind == "TFlatButton")
    return {{"Color", r(crButtonFace)},
            {"ColorBorder", r(crButtonBorder)},
            {"ColorDown", tag == 1 ? Darken(r(crButtonFace), 40) : r(crButtonFace)},
            {"ColorFocused", r(crButtonFocus)},
            {"ColorHighLight", r(crButtonBorder)},
            {"ColorShadow", r(crButtonBorder)}};
  if (kind == "TFlatPanel") {
    if (tag == 0)
      return {{"Color", r(crFace)},
              {"ColorHighLight", r(crBorder)},
              {"ColorShadow", r(crBorder)},
              {"FontColor", r(crTextFont)}};
    if (tag == 1)
      return {{"Color", r(crTextBox)},
              {"ColorHighLight", r(crBorder)},
              {"ColorShadow", r(crBorder)},
              {"FontColor", r(crTextFont)}};
    if (tag == 4) return {{"Color", r(crScroll)}};
    return {};
  }
  if (kind == "TFlatGroupBox")
    return {{"Color", r(crFace)}, {"ColorBorder", r(crBorder)}, {"FontColor", r(crTextFont)}};
  if (kind == "TPanel") {
    if (tag == 3) return {{"Color", r(crTitle)}, {"FontColor", r(crTitleFont)}};
    if (tag == 4) return {{"Color", r(crThumb)}};
    if (tag == 1) return {{"Color", r(crTextBox)}};
    if (tag == 2) return {};
    return {{"Color", r(crFace)}, {"FontColor", r(crTextFont)}};
  }
  if (kind == "TSecretPanel") return {{"Color", r(crTextBox)}};
  if (kind == "TEdit")
    return tag == 2 ? std::map<std::string, TColor>{}
                    : std::map<std::string, TColor>{{"Color", r(crTextBox)}, {"FontColor", r(crTextFont)}};
  if (kind == "TListBox" || kind == "TTextListBox")
    return tag == 1 ? std::map<std::string, TColor>{{"Color", r(crTextBox)}, {"FontColor", r(crTextFont)}}
                    : std::map<std::string, TColor>{};
  if (kind == "TLabel")
    return tag == 2 ? std::map<std::string, TColor>{} : std::map<std::string, TColor>{{"FontColor", r(crTextFont)}};
  if (kind == "TFlatScrollbar")
    return {{"ThumbBorderColor", r(crScroll)}, {"ThumbHighlightColor", r(crScroll)},
            {"ThumbShadowColor", r(crScroll)}, {"Color", r(crScroll)},
            {"ThumbColor", r(crThumb)},        {"ThumbFocusedColor", r(crButtonFocus)},
            {"ButtonColor", r(crBorder)},      {"ButtonBorderColor", r(crBorder)}};
  if (kind == "TFlatTitlebar")
    return {{"TitlebarColor", r(crTitle)},
            {"FontColor", r(crTitleFont)},
            {"InactiveTextColor", r(crTitleFont)},
            {"ActiveTextColor", r(crTitleFont)}};
  if (kind == "TFlatHint")
    return {{"ColorArrow", r(crTextFont)},
            {"ColorArrowBackground", r(crButtonFace)},
            {"ColorBorder", r(crBorder)},
            {"ColorBackground", r(crButtonFocus)}};
  if (kind == "TFlatCheckBox")
    return {{"ColorBorder", r(crBorder)},   {"FontColor", r(crTextFont)},
            {"ColorCheck", r(crTextFont)},  {"ColorDown", r(crTextBox)},
            {"ColorFocused", r(crTextBox)}, {"Color", tag == 1 ? r(crFace) : r(crTextBox)}};
  if (kind == "TFlatCheckListBox")
    return {{"ColorBorder", r(crBorder)},    {"FontColor", r(crTextFont)}, {"ColorArrow", r(crBorder)},
            {"ColorCheck", r(crBorder)},     {"Color", r(crTextBox)},      {"ColorItemsSelect", r(crFace)},
            {"ColorItemsRect", r(crTextBox)}};
  if (kind == "TFlatListBox")
    return {{"ColorBorder", r(crBorder)}, {"FontColor", r(crTextFont)},    {"ColorArrow", r(crBorder)},
            {"Color", r(crTextBox)},      {"ColorItemsSelect", r(crFace)}, {"ColorItemsRect", r(crTextBox)}};
  if (kind == "TFlatComboBox")
    return {{"ColorBorder", r(crBorder)},
            {"FontColor", r(crTextFont)},
            {"ColorArrow", r(crTextFont)},
            {"ColorArrowBackground", r(crBorder)},
            {"Color", r(crTextBox)}};
  if (kind == "TFlatProgressBar")
    return {{"ColorBorder", r(crBorder)}, {"ColorElement", r(crBorder)}, {"Color", r(crFace)}};
  return {};  // every other class is left alone
}

using Factory = std::function<QObject*(QWidget*)>;

template <typename T>
Factory Make() {
  return [](QWidget* parent) -> QObject* { return new T(parent); };
}

const std::vector<std::pair<std::string, Factory>>& Kinds() {
  static const std::vector<std::pair<std::string, Factory>> kinds{
      {"TFlatButton", Make<TFlatButton>()},
      {"TFlatPanel", Make<TFlatPanel>()},
      {"TFlatGroupBox", Make<TFlatGroupBox>()},
      {"TPanel", Make<TPanel>()},
      {"TSecretPanel", Make<TSecretPanel>()},
      {"TEdit", Make<TEdit>()},
      {"TListBox", Make<TListBox>()},
      {"TTextListBox", Make<TTextListBox>()},
      {"TLabel", Make<TLabel>()},
      {"TFlatScrollbar", Make<TFlatScrollbar>()},
      {"TFlatTitlebar", Make<TFlatTitlebar>()},
      {"TFlatHint", [](QWidget* parent) -> QObject* { return new TFlatHint(parent); }},
      {"TFlatCheckBox", Make<TFlatCheckBox>()},
      {"TFlatCheckListBox", Make<TFlatCheckListBox>()},
      {"TFlatListBox", Make<TFlatListBox>()},
      {"TFlatComboBox", Make<TFlatComboBox>()},
      {"TFlatProgressBar", Make<TFlatProgressBar>()},
      // Classes the rule leaves alone.
      {"TFlatSpeedButton", Make<TFlatSpeedButton>()},
      {"TSpeedButton", Make<TSpeedButton>()},
      {"TBitBtn", Make<TBitBtn>()},
      {"TGroupBox", Make<TGroupBox>()},
      {"TCheckBox", Make<TCheckBox>()},
      {"TComboBox", Make<TComboBox>()},
      {"TDerivedLabel", Make<TDerivedLabel>()},
  };
  return kinds;
}

std::map<std::string, QColor> ColorProperties(const QObject* component) {
  std::map<std::string, QColor> colors;
  const QMetaObject* meta = component->metaObject();
  for (int index = 0; index < meta->propertyCount(); ++index) {
    const QMetaProperty property = meta->property(index);
    if (property.metaType().id() == QMetaType::QColor)
      colors[property.name()] = property.read(component).value<QColor>();
  }
  return colors;
}

class ColorSchemeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("vombrel-scheme-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    window_ = std::make_unique<QWidget>();
    window_->setObjectName("FormTest");
    for (const auto& [kind, make] : Kinds()) {
      for (int tag = 0; tag <= 4; ++tag) {
        QObject* component = make(window_.get());
        component->setObjectName(QString::fromStdString(kind) + QString::number(tag));
        component->setProperty("Tag", tag);
        if (component->isWidgetType()) static_cast<QWidget*>(component)->setGeometry(0, 0, 80, 40);
        components_.push_back({kind, tag, component});
      }
    }
    WorkingColors() = SchemeColors{};
  }
  void TearDown() override {
    window_.reset();
    std::filesystem::remove_all(folder_);
  }

  std::string WriteFile(const char* name, const std::string& bytes) {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string WriteScheme(const SchemeColors& colors) {
    return WriteFile("scheme.clr", FormatSchemeFile(colors, SchemeFileOrder::Current));
  }
  QObject* Component(const std::string& name) const {
    return window_->findChild<QObject*>(QString::fromStdString(name));
  }
  template <typename T>
  T* Widget(const std::string& name) const {
    return qobject_cast<T*>(Component(name));
  }
  std::map<std::string, std::map<std::string, QColor>> Snapshot() const {
    std::map<std::string, std::map<std::string, QColor>> all;
    for (const auto& entry : components_)
      all[entry.component->objectName().toStdString()] = ColorProperties(entry.component);
    return all;
  }

  struct Entry {
    std::string kind;
    int tag;
    QObject* component;
  };
  std::filesystem::path folder_;
  std::unique_ptr<QWidget> window_;
  std::vector<Entry> components_;
};

TEST_F(ColorSchemeTest, EveryRowOfTheTableSetsItsAttributesAndNothingElse) {
  const SchemeColors scheme = TestScheme();
  const auto before = Snapshot();
  ApplyColorScheme(window_.get(), WriteScheme(scheme));
  for (const auto& entry : components_) {
    const std::string name = entry.component->objectName().toStdString();
    const auto expected = Expected(entry.kind, entry.tag, scheme);
    const auto after = ColorProperties(entry.component);
    for (const auto& [attribute, value] : expected) {
      ASSERT_TRUE(after.count(attribute)) << name << " has no " << attribute;
      EXPECT_EQ(after.at(attribute), Q(value)) << name << "." << attribute;
    }
    for (const auto& [attribute, value] : after)
      if (!expected.count(attribute)) {
        EXPECT_EQ(value, before.at(name).at(attribute)) << name << "." << attribute << " changed";
      }
  }
}

// Where each kind paints a face, and the role whose colour must show there.
struct PixelProbe {
  std::string component;
  std::function<QPoint(QWidget*)> where;
  ColorRole role;
  std::function<void(QWidget*)> prepare = nullptr;
};

QPoint Inside(QWidget*) { return QPoint(4, 4); }
QPoint Corner(QWidget*) { return QPoint(0, 0); }
QPoint Middle(QWidget* w) { return QPoint(w->width() / 2, w->height() / 2); }
QPoint LowMiddle(QWidget* w) { return QPoint(w->width() / 2, w->height() - 4); }

TEST_F(ColorSchemeTest, EveryKindPaintsItsFaceFromTheScheme) {
  const SchemeColors scheme = TestScheme();
  ApplyColorScheme(window_.get(), WriteScheme(scheme));
  const std::vector<PixelProbe> probes{
      {"TFlatButton0", Inside, crButtonFace},
      {"TFlatButton0", Corner, crButtonBorder},
      {"TFlatPanel0", Middle, crFace},
      {"TFlatPanel0", Corner, crBorder},
      {"TFlatPanel1", Middle, crTextBox},
      {"TFlatPanel4", Middle, crScroll},
      {"TFlatGroupBox0", LowMiddle, crFace},
      {"TFlatGroupBox0", [](QWidget* w) { return QPoint(0, w->height() - 1); }, crBorder},
      {"TPanel0", Middle, crFace},
      {"TPanel1", Middle, crTextBox},
      {"TPanel3", Middle, crTitle},
      {"TPanel4", Middle, crThumb},
      {"TSecretPanel0", Middle, crTextBox},
      {"TEdit0", Middle, crTextBox},
      {"TListBox1", LowMiddle, crTextBox},
      {"TTextListBox1", LowMiddle, crTextBox},
      {"TFlatScrollbar0", [](QWidget* w) { return QPoint(w->width() - 20, w->height() / 2); }, crScroll},
      {"TFlatScrollbar0", [](QWidget* w) { return static_cast<TFlatScrollbar*>(w)->ThumbRect().center(); }, crThumb},
      {"TFlatScrollbar0", [](QWidget*) { return QPoint(2, 2); }, crBorder},
      {"TFlatTitlebar0", [](QWidget* w) { return QPoint(w->width() - 2, w->height() / 2); }, crTitle},
      {"TFlatCheckBox0", [](QWidget* w) { return static_cast<TFlatCheckBox*>(w)->BoxRect().center(); }, crTextBox},
      {"TFlatCheckBox1", [](QWidget* w) { return static_cast<TFlatCheckBox*>(w)->BoxRect().center(); }, crFace},
      {"TFlatCheckBox0", [](QWidget* w) { return static_cast<TFlatCheckBox*>(w)->BoxRect().topLeft(); }, crBorder},
      {"TFlatCheckListBox0", Middle, crTextBox},
      {"TFlatCheckListBox0", Corner, crBorder},
      {"TFlatListBox0", Middle, crTextBox},
      {"TFlatListBox0", Corner, crBorder},
      {"TFlatComboBox0", [](QWidget* w) { return QPoint(3, w->height() / 2); }, crTextBox},
      {"TFlatComboBox0", [](QWidget* w) { return static_cast<TFlatComboBox*>(w)->ArrowRect().topLeft(); }, crBorder},
      {"TFlatProgressBar0", Middle, crFace},
      {"TFlatProgressBar0", Corner, crBorder},
      {"TFlatProgressBar1", Middle, crBorder, [](QWidget* w) { static_cast<TFlatProgressBar*>(w)->SetPosition(100); }},
  };
  for (const PixelProbe& probe : probes) {
    auto* widget = Widget<QWidget>(probe.component);
    ASSERT_NE(widget, nullptr) << probe.component;
    if (probe.prepare) probe.prepare(widget);
    const QImage image = widget->grab().toImage();
    const QPoint at = probe.where(widget);
    EXPECT_EQ(QColor(image.pixel(at)), Q(scheme[probe.role]))
        << probe.component << " at " << at.x() << "," << at.y() << " role " << ColorRoleKey(probe.role);
  }
}

// Whether some pixel of the widget has exactly this colour.
bool Shows(QWidget* widget, const QColor& color) {
  const QImage image = widget->grab().toImage();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (QColor(image.pixel(x, y)) == color) return true;
  return false;
}

TEST_F(ColorSchemeTest, TextAndStatesPaintInTheirColours) {
  const SchemeColors scheme = TestScheme();
  ApplyColorScheme(window_.get(), WriteScheme(scheme));
  QFont big;
  big.setPixelSize(24);
  big.setBold(true);
  auto* label = Widget<TLabel>("TLabel0");
  label->setFont(big);
  label->SetCaption("IIII");
  EXPECT_TRUE(Shows(label, Q(scheme[crTextFont])));
  auto* titlebar = Widget<TFlatTitlebar>("TFlatTitlebar0");
  titlebar->setFont(big);
  titlebar->SetCaption("IIII");
  EXPECT_TRUE(Shows(titlebar, Q(scheme[crTitleFont])));

  auto* toggle = Widget<TFlatButton>("TFlatButton1");
  toggle->SetDown(true);
  EXPECT_EQ(QColor(toggle->grab().toImage().pixel(4, 4)), Q(Darken(scheme[crButtonFace], 40)));

  auto* hint = qobject_cast<TFlatHint*>(Component("TFlatHint0"));
  hint->ShowHint("IIII", QPoint(10, 10));
  FlatHintWindow* hintWindow = hint->HintWindow();
  ASSERT_NE(hintWindow, nullptr);
  const QImage hintImage = hintWindow->grab().toImage();
  EXPECT_EQ(QColor(hintImage.pixel(hintWindow->width() - 2, 1)), Q(scheme[crButtonFocus]));
  EXPECT_EQ(QColor(hintImage.pixel(hintWindow->ArrowRect().topLeft())), Q(scheme[crButtonFace]));
  EXPECT_EQ(QColor(hintImage.pixel(0, 0)), Q(scheme[crBorder]));
  hint->HideHint();
}

TEST_F(ColorSchemeTest, WithoutAFileTheDefaultsResolveThroughThePalette) {
  ApplyColorScheme(window_.get(), (folder_ / "missing.clr").string());
  const QPalette palette = QApplication::palette();
  auto* button = Widget<TFlatButton>("TFlatButton0");
  EXPECT_EQ(button->property("Color").value<QColor>(), palette.color(QPalette::Active, QPalette::Button));
  EXPECT_EQ(button->property("ColorBorder").value<QColor>(), palette.color(QPalette::Active, QPalette::Dark));
  EXPECT_EQ(button->property("ColorFocused").value<QColor>(), palette.color(QPalette::Active, QPalette::Light));
  EXPECT_EQ(Widget<TLabel>("TLabel0")->property("FontColor").value<QColor>(),
            palette.color(QPalette::Active, QPalette::ButtonText));
  // The toggle's pressed face darkens the system-colour reference itself: black.
  EXPECT_EQ(Widget<TFlatButton>("TFlatButton1")->property("ColorDown").value<QColor>(), QColor(0, 0, 0));
}

TEST_F(ColorSchemeTest, SystemColourValuesInAFileResolveThroughThePalette) {
  SchemeColors scheme = TestScheme();
  scheme[crButtonFace] = SystemColor(COLOR_BTNHIGHLIGHT);
  ApplyColorScheme(window_.get(), WriteScheme(scheme));
  EXPECT_EQ(Widget<TFlatButton>("TFlatButton0")->property("Color").value<QColor>(),
            QApplication::palette().color(QPalette::Active, QPalette::Light));
  EXPECT_EQ(ColorToRGB(MakeRgb(1, 2, 3)), MakeRgb(1, 2, 3));
  EXPECT_FALSE(IsSystemColor(ColorToRGB(SystemColor(COLOR_BTNTEXT))));
}

TEST_F(ColorSchemeTest, ATrailingBlankPaintsItsRoleBlackInApplyColorScheme) {
  std::string text = FormatSchemeFile(TestScheme(), SchemeFileOrder::Current);
  const std::string path = WriteFile("blank.clr", "TextBox=123 \r\n" + text);
  ApplyColorScheme(window_.get(), path);
  EXPECT_EQ(Widget<TPanel>("TPanel1")->property("Color").value<QColor>(), QColor(0, 0, 0));
  EXPECT_EQ(Widget<TPanel>("TPanel0")->property("Color").value<QColor>(), Q(RoleColor(crFace)));
}

TEST_F(ColorSchemeTest, LoadColorSchemeReportsInvalidFilesAndChangesNothing) {
  const std::string good = FormatSchemeFile(TestScheme(), SchemeFileOrder::Current);
  const std::vector<std::pair<std::string, std::string>> invalid{
      {"trailing blank", "Face=12 \r\n" + good},
      {"missing key", good.substr(good.find("Border="))},
      {"huge number", "Face=4294967296\r\n" + good},
      {"words", "Face=grey\r\n" + good},
      {"empty file", ""},
      {"binary", std::string("\0\xff\xfe\x01=\x80\r\n", 8)},
  };
  for (const auto& [what, bytes] : invalid) {
    const auto before = Snapshot();
    RecordingReporter reporter;
    ScopedReporter scope(&reporter);
    LoadColorScheme(window_.get(), WriteFile("bad.clr", bytes));
    ASSERT_EQ(reporter.messages.size(), 1u) << what;
    EXPECT_EQ(reporter.messages[0].text,
              "Combinazione di colori non disponibile o inesatta. Verrà utilizzata la combinazione precedente.");
    EXPECT_EQ(reporter.messages[0].caption, "Errore");
    EXPECT_EQ(reporter.messages[0].flags & MB_ICONERROR, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_EQ(Snapshot(), before) << what;
    EXPECT_EQ(WorkingColors(), SchemeColors{}) << what;
  }
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  const std::string unreadable = (folder_ / "folder.clr").string();
  std::filesystem::create_directories(unreadable);
  LoadColorScheme(window_.get(), unreadable);  // a folder is no file: nothing happens
  LoadColorScheme(window_.get(), (folder_ / "missing.clr").string());
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_EQ(WorkingColors(), SchemeColors{});
}

TEST_F(ColorSchemeTest, LoadColorSchemeTakesAValidFileIntoTheWorkingColours) {
  SchemeColors scheme = TestScheme();
  scheme[crThumb] = 0x00ABCDEF;
  std::string text = FormatSchemeFile(scheme, SchemeFileOrder::Named);
  text.replace(text.find("Thumb=11259375"), 14, "thumb=$ABCDEF");  // any case, hexadecimal
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  LoadColorScheme(window_.get(), WriteFile("good.clr", "Extra=1\r\n" + text));
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_EQ(WorkingColors(), scheme);
  EXPECT_EQ(Widget<TPanel>("TPanel4")->property("Color").value<QColor>(), Q(0x00ABCDEF));
  WorkingColors() = SchemeColors{};
}

TEST(ComponentClasses, NamesAreExactAndOtherWindowsAreNotComponents) {
  QWidget window;
  for (const auto& [kind, make] : Kinds()) {
    QObject* component = make(&window);
    EXPECT_EQ(std::string(component->metaObject()->className()), kind);
    EXPECT_EQ(ComponentClassName(component), kind);
  }
  auto* dialog = new QWidget(&window, Qt::Dialog);
  auto* foreign = new TPanel(dialog);
  foreign->SetColor(QColor(1, 2, 3));
  const auto components = OwnedComponents(&window);
  EXPECT_FALSE(components.contains(dialog));
  EXPECT_FALSE(components.contains(foreign));
  ApplyColorScheme(&window, "/nonexistent/scheme.clr");
  EXPECT_EQ(foreign->Color(), QColor(1, 2, 3));
  EXPECT_TRUE(InheritsComponentClass(new TDerivedLabel(&window), "TLabel"));
}

}  // namespace
}  // namespace vombrel

#include "colorscheme_test.moc"
