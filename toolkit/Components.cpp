#include "toolkit/Components.h"

#include <QMenu>
#include <QMetaObject>
#include <QWidget>
#include <string_view>

namespace vombrel {

namespace {

bool IsOtherWindow(const QObject* object) {
  if (!object->isWidgetType()) return false;
  const auto* widget = static_cast<const QWidget*>(object);
  return widget->isWindow() && qobject_cast<const QMenu*>(object) == nullptr;
}

void CollectComponents(const QObject* owner, QList<QObject*>& components) {
  for (QObject* child : owner->children()) {
    if (IsOtherWindow(child)) continue;
    components.append(child);
    CollectComponents(child, components);
  }
}

std::string_view Unqualified(std::string_view name) {
  const std::size_t colons = name.rfind("::");
  return colons == std::string_view::npos ? name : name.substr(colons + 2);
}

}  // namespace

QList<QObject*> OwnedComponents(const QObject* window) {
  QList<QObject*> components;
  if (window != nullptr) CollectComponents(window, components);
  return components;
}

std::string ComponentClassName(const QObject* component) {
  return std::string(Unqualified(component->metaObject()->className()));
}

bool InheritsComponentClass(const QObject* component, const char* className) {
  for (const QMetaObject* meta = component->metaObject(); meta != nullptr; meta = meta->superClass())
    if (Unqualified(meta->className()) == className) return true;
  return false;
}

}  // namespace vombrel
