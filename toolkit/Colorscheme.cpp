#include "toolkit/Colorscheme.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "toolkit/Components.h"

namespace vombrel {

namespace {

// The classic system-colour indexes and the palette roles that stand for them.
QColor SystemPaletteColor(int index) {
  const QPalette palette = QApplication::palette();
  auto role = [&palette](QPalette::ColorRole r) { return palette.color(QPalette::Active, r); };
  switch (index) {
    case 0: return role(QPalette::Button);                              // scroll bar
    case 1: return role(QPalette::Window);                              // desktop
    case 2: return role(QPalette::Highlight);                           // active caption
    case 3: return role(QPalette::Mid);                                 // inactive caption
    case 4: return role(QPalette::Window);                              // menu
    case 5: return role(QPalette::Base);                                // window
    case 6: return role(QPalette::Shadow);                              // window frame
    case 7: return role(QPalette::WindowText);                          // menu text
    case 8: return role(QPalette::Text);                                // window text
    case 9: return role(QPalette::HighlightedText);                     // caption text
    case 13: return role(QPalette::Highlight);                          // highlight
    case 14: return role(QPalette::HighlightedText);                    // highlighted text
    case 15: return role(QPalette::Button);                             // button face
    case 16: return role(QPalette::Dark);                               // button shadow
    case 17: return palette.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 18: return role(QPalette::ButtonText);                         // button text
    case 20: return role(QPalette::Light);                              // button highlight
    case 21: return role(QPalette::Shadow);                             // 3-D dark shadow
    case 22: return role(QPalette::Midlight);                           // 3-D light
    case 23: return role(QPalette::ToolTipText);                        // info text
    case 24: return role(QPalette::ToolTipBase);                        // info background
    default: return role(QPalette::Window);
  }
}

// Sets a component's colour attributes from role colours.
class AttributeSetter {
 public:
  AttributeSetter(QObject* component, const SchemeColors& colors) : component_(component), colors_(colors) {}
  void Role(const char* attribute, ColorRole role) const { Value(attribute, colors_[role]); }
  void Value(const char* attribute, TColor color) const { component_->setProperty(attribute, ColorToQColor(color)); }
  TColor operator[](ColorRole role) const { return colors_[role]; }

 private:
  QObject* component_;
  const SchemeColors& colors_;
};

using KindRule = std::function<void(const AttributeSetter&, int tag)>;

// The seventeen kinds, by exact class name, and what each sets ("FontColor" is the colour
// of the component's text font).
const std::map<std::string, KindRule>& KindRules() {
  static const std::map<std::string, KindRule> rules{
      {"TFlatButton",
       [](const AttributeSetter& set, int tag) {
         set.Role("Color", crButtonFace);
         set.Role("ColorBorder", crButtonBorder);
         set.Value("ColorDown", tag == 1 ? Darken(set[crButtonFace], 40) : set[crButtonFace]);
         set.Role("ColorFocused", crButtonFocus);
         set.Role("ColorHighLight", crButtonBorder);
         set.Role("ColorShadow", crButtonBorder);
       }},
      {"TFlatPanel",
       [](const AttributeSetter& set, int tag) {
         if (tag == 0 || tag == 1) {
           set.Role("Color", tag == 1 ? crTextBox : crFace);
           set.Role("ColorHighLight", crBorder);
           set.Role("ColorShadow", crBorder);
           set.Role("FontColor", crTextFont);
         } else if (tag == 4) {
           set.Role("Color", crScroll);
         }
       }},
      {"TFlatGroupBox",
       [](const AttributeSetter& set, int) {
         set.Role("Color", crFace);
         set.Role("ColorBorder", crBorder);
         set.Role("FontColor", crTextFont);
       }},
      {"TPanel",
       [](const AttributeSetter& set, int tag) {
         switch (tag) {
           case 3:
             set.Role("Color", crTitle);
             set.Role("FontColor", crTitleFont);
             break;
           case 4: set.Role("Color", crThumb); break;
           case 1: set.Role("Color", crTextBox); break;
           case 2: break;
           default: set.Role("Color", crFace); set.Role("FontColor", crTextFont);
         }
       }},
      {"TSecretPanel", [](const AttributeSetter& set, int) { set.Role("Color", crTextBox); }},
      {"TEdit",
       [](const AttributeSetter& set, int tag) {
         if (tag == 2) return;
         set.Role("Color", crTextBox);
         set.Role("FontColor", crTextFont);
       }},
      {"TListBox",
       [](const AttributeSetter& set, int tag) {
         if (tag != 1) return;
         set.Role("Color", crTextBox);
         set.Role("FontColor", crTextFont);
       }},
      {"TTextListBox",
       [](const AttributeSetter& set, int tag) {
         if (tag != 1) return;
         set.Role("Color", crTextBox);
         set.Role("FontColor", crTextFont);
       }},
      {"TLabel",
       [](const AttributeSetter& set, int tag) {
         if (tag != 2) set.Role("FontColor", crTextFont);
       }},
      {"TFlatScrollbar",
       [](const AttributeSetter& set, int) {
         set.Role("ThumbBorderColor", crScroll);
         set.Role("ThumbHighlightColor", crScroll);
         set.Role("ThumbShadowColor", crScroll);
         set.Role("Color", crScroll);
         set.Role("ThumbColor", crThumb);
         set.Role("ThumbFocusedColor", crButtonFocus);
         set.Role("ButtonColor", crBorder);
         set.Role("ButtonBorderColor", crBorder);
       }},
      {"TFlatTitlebar",
       [](const AttributeSetter& set, int) {
         set.Role("TitlebarColor", crTitle);
         set.Role("FontColor", crTitleFont);
         set.Role("InactiveTextColor", crTitleFont);
         set.Role("ActiveTextColor", crTitleFont);
       }},
      {"TFlatHint",
       [](const AttributeSetter& set, int) {
         set.Role("ColorArrow", crTextFont);
         set.Role("ColorArrowBackground", crButtonFace);
         set.Role("ColorBorder", crBorder);
         set.Role("ColorBackground", crButtonFocus);
       }},
      {"TFlatCheckBox",
       [](const AttributeSetter& set, int tag) {
         set.Role("ColorBorder", crBorder);
         set.Role("FontColor", crTextFont);
         set.Role("ColorCheck", crTextFont);
         set.Role("ColorDown", crTextBox);
         set.Role("ColorFocused", crTextBox);
         set.Role("Color", tag == 1 ? crFace : crTextBox);
       }},
      {"TFlatCheckListBox",
       [](const AttributeSetter& set, int) {
         set.Role("ColorBorder", crBorder);
         set.Role("FontColor", crTextFont);
         set.Role("ColorArrow", crBorder);
         set.Role("ColorCheck", crBorder);
         set.Role("Color", crTextBox);
         set.Role("ColorItemsSelect", crFace);
         set.Role("ColorItemsRect", crTextBox);
       }},
      {"TFlatListBox",
       [](const AttributeSetter& set, int) {
         set.Role("ColorBorder", crBorder);
         set.Role("FontColor", crTextFont);
         set.Role("ColorArrow", crBorder);
         set.Role("Color", crTextBox);
         set.Role("ColorItemsSelect", crFace);
         set.Role("ColorItemsRect", crTextBox);
       }},
      {"TFlatComboBox",
       [](const AttributeSetter& set, int) {
         set.Role("ColorBorder", crBorder);
         set.Role("FontColor", crTextFont);
         set.Role("ColorArrow", crTextFont);
         set.Role("ColorArrowBackground", crBorder);
         set.Role("Color", crTextBox);
       }},
      {"TFlatProgressBar",
       [](const AttributeSetter& set, int) {
         set.Role("ColorBorder", crBorder);
         set.Role("ColorElement", crBorder);
         set.Role("Color", crFace);
       }},
  };
  return rules;
}

void ShowWrongColorBox() {
  ShowTranslatedError("MSG_WRONGCOLOR",
                      "Combinazione di colori non disponibile o inesatta. Verrà utilizzata la combinazione precedente.",
                      "TTL_ERRORE", "Errore");
}

}  // namespace

QColor ColorToQColor(TColor color) {
  if (IsSystemColor(color)) return SystemPaletteColor(SystemColorIndexOf(color));
  return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

TColor QColorToColor(const QColor& color) { return MakeRgb(color.red(), color.green(), color.blue()); }

TColor ColorToRGB(TColor color) { return QColorToColor(ColorToQColor(color)); }

void PaintComponents(QWidget* window, const SchemeColors& colors) {
  const auto& rules = KindRules();
  for (QObject* component : OwnedComponents(window)) {
    const auto rule = rules.find(ComponentClassName(component));
    if (rule == rules.end()) continue;
    rule->second(AttributeSetter(component, colors), component->property("Tag").toInt());
  }
}

void ApplyColorScheme(QWidget* window, std::string_view path) {
  PaintComponents(window, SchemeColorsForPainting(path));
}

void LoadColorScheme(QWidget* window, std::string_view path) {
  if (!FileExists(path)) return;
  std::optional<ParsedScheme> parsed;
  try {
    parsed = ParseSchemeLines(ReadSchemeLines(path));
  } catch (const SchemeReadError&) {
    parsed.reset();
  }
  if (!parsed || !parsed->complete) {
    ShowWrongColorBox();
    return;
  }
  PaintComponents(window, parsed->colors);
  WorkingColors() = parsed->colors;
}

}  // namespace vombrel
