// Translating windows from language files: captions, hints, text lines and list items of
// a window's components, looked up as "<Form>.<Component>.<Property>" (see
// support/Supportlanguage.h for the file format and the matching rule).
// User-interface thread only.
#pragma once

#include <string_view>

#include "support/Supportlanguage.h"

class QObject;
class QWidget;

namespace vombrel {

// Loads the message table from "<program folder>/Langs/<name>.lng" (with the English
// fallback) and translates the window from the same file.
void ApplyLanguage(QWidget* form, std::string_view name);

// Translates the component (a window) from the language file at `path`. A missing file
// shows the "Language file not found." box and returns false, changing nothing.
bool ApplyLanguageFile(QObject* component, std::string_view path);

// Translates the owner (its caption and hint when it is a window) and every component it
// owns, in order, by the first rule of the class table that fits. Components without a
// name, of classes the table does not know, or without a non-empty value in the file
// keep their texts. A refilled combo box is left with no item selected.
void TranslateComponents(QObject* owner, const LanguageFile& lines);

}  // namespace vombrel
