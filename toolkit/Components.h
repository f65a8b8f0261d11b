// A window's components: the objects it owns through the QObject parent chain, in
// creation order (each child before its own children). Other windows parented to it
// (dialogs) and their contents are not its components; pop-up menus are.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <string>

class QWidget;

namespace vombrel {

QList<QObject*> OwnedComponents(const QObject* window);

// The class name of a component as the rules compare it: its Qt class name without any
// namespace qualification ("TFlatButton").
std::string ComponentClassName(const QObject* component);

// Whether the component's class is `className` or derives from it.
bool InheritsComponentClass(const QObject* component, const char* className);

// A new component of class T owned by `parent` and named `name` (its objectName).
template <typename T, typename Parent>
T* MakeComponent(Parent* parent, const char* name) {
  auto* component = new T(parent);
  component->setObjectName(QString::fromLatin1(name));
  return component;
}

}  // namespace vombrel
