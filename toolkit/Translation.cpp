#include "toolkit/Translation.h"

#include <QComboBox>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <array>
#include <string>

#include "toolkit/Components.h"
#include "toolkit/Flatlists.h"

namespace vombrel {

namespace {

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

QStringList ToQStringList(const StringList& list) {
  QStringList result;
  for (const std::string& entry : list) result << ToQString(entry);
  return result;
}

// The texts of one component under one window's name.
class ComponentTexts {
 public:
  ComponentTexts(const LanguageFile& file, std::string form, QObject* component)
      : file_(file), form_(std::move(form)), component_(component), name_(component->objectName().toStdString()) {}

  // Sets a text property from the file's key "<form>.<name>.<key>" when it has a
  // non-empty value.
  void Property(const char* property, std::string_view key) const {
    const std::string current = component_->property(property).toString().toStdString();
    const std::string text = file_.ComponentText(form_, name_, key, current);
    if (text != current) component_->setProperty(property, ToQString(text));
  }
  void CaptionAndHint() const {
    Property("Caption", "Caption");
    Property("Hint", "Hint");
  }
  std::string Value(std::string_view key) const {
    return file_.Find(LanguageFile::ComponentKey(form_, name_, key)).value_or("");
  }
  const std::string& Name() const { return name_; }
  const LanguageFile& File() const { return file_; }
  const std::string& Form() const { return form_; }

 private:
  const LanguageFile& file_;
  std::string form_;
  QObject* component_;
  std::string name_;
};

bool IsOneOf(const std::string& className, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names)
    if (className == name) return true;
  return false;
}

void TranslateLabel(const ComponentTexts& texts, QObject* label) {
  texts.Property("Hint", "Hint");
  const std::string value = texts.Value("Caption");
  if (!value.empty()) label->setProperty("Caption", ToQString(LabelCaptionText(value, "\r\n")));
}

void TranslateLines(const ComponentTexts& texts, QObject* panel) {
  texts.Property("Hint", "Hint");
  const std::string value = texts.Value("Lines");
  if (!value.empty()) panel->setProperty("Lines", ToQStringList(SplitLanguageLines(value)));
}

void TranslateItems(const ComponentTexts& texts, QObject* combo) {
  texts.Property("Hint", "Hint");
  const std::string value = texts.Value("Items");
  if (value.empty()) return;
  const QStringList items = ToQStringList(SplitLanguageItems(value));
  if (auto* box = qobject_cast<QComboBox*>(combo)) {
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
  } else {
    combo->setProperty("Items", items);
  }
}

void TranslateColumns(const ComponentTexts& texts, TListView* view) {
  for (int column = 0; column < view->ColumnCount(); ++column) {
    const std::string part = texts.Name() + ".Col_" + std::to_string(column);
    const std::string current = view->ColumnCaption(column).toStdString();
    const std::string text = texts.File().ComponentText(texts.Form(), part, "Caption", current);
    if (text != current) view->SetColumnCaption(column, ToQString(text));
  }
}

// The class table: the first rule that fits the component is applied.
void TranslateComponent(const ComponentTexts& texts, QObject* component) {
  const std::string className = ComponentClassName(component);
  if (className == "TSpeedItem") return texts.CaptionAndHint();
  if (className == "TLabel") return TranslateLabel(texts, component);
  if (IsOneOf(className, {"TBitBtn", "TSpeedButton", "TPNGButton", "TGroupBox", "TFlatGroupBox", "TPanel", "TMenuItem",
                          "TCheckBox", "TFlatCheckBox", "TRxSpeedButton", "TFlatButton", "TFlatSpeedButton",
                          "TFlatPanel", "TFlatTitlebar"}))
    return texts.CaptionAndHint();
  if (IsOneOf(className, {"TSecretPanel", "THintBox"})) return TranslateLines(texts, component);
  if (IsOneOf(className, {"TComboBox", "TFlatComboBox"})) return TranslateItems(texts, component);
  if (InheritsComponentClass(component, "TEdit")) {
    texts.Property("Text", "Caption");
    texts.Property("Hint", "Hint");
    return;
  }
  if (InheritsComponentClass(component, "TListView")) {
    if (auto* view = qobject_cast<TListView*>(component)) TranslateColumns(texts, view);
    return;
  }
  if (InheritsComponentClass(component, "TantAngleLabel") || InheritsComponentClass(component, "TantLabel"))
    texts.CaptionAndHint();
}

void TranslateWindowItself(const LanguageFile& lines, QWidget* window, const std::string& form) {
  const std::string title = window->windowTitle().toStdString();
  const std::string newTitle = lines.ComponentText(form, form, "Caption", title);
  if (newTitle != title) window->setWindowTitle(ToQString(newTitle));
  const std::string hint = window->toolTip().toStdString();
  const std::string newHint = lines.ComponentText(form, form, "Hint", hint);
  if (newHint != hint) window->setToolTip(ToQString(newHint));
}

}  // namespace

void TranslateComponents(QObject* owner, const LanguageFile& lines) {
  if (owner == nullptr) return;
  const std::string form = owner->objectName().toStdString();
  if (owner->isWidgetType() && static_cast<QWidget*>(owner)->isWindow())
    TranslateWindowItself(lines, static_cast<QWidget*>(owner), form);
  for (QObject* component : OwnedComponents(owner)) {
    if (component->objectName().isEmpty()) continue;
    TranslateComponent(ComponentTexts(lines, form, component), component);
  }
}

bool ApplyLanguageFile(QObject* component, std::string_view path) {
  const std::optional<LanguageFile> file = LanguageFile::Load(path);
  if (!file) {
    ShowLanguageFileNotFound();
    return false;
  }
  TranslateComponents(component, *file);
  return true;
}

void ApplyLanguage(QWidget* form, std::string_view name) {
  const std::string path = LanguageFilePath(name);
  LoadMessages(path);
  ApplyLanguageFile(form, path);
}

}  // namespace vombrel
