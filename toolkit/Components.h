// A window's components: the objects it owns through the QObject parent chain, in
// creation order (each child before its own children). Other windows parented to it
// (dialogs) and their contents are not its components; pop-up menus are.
#pragma once

#include <QList>
#include <QObject>
#include <string>

class QWidget;

namespace vombrel {

QList<QObject*> OwnedComponents(const QObject* window);

// The class name of a component as the rules compare it: its Qt class name without any
// namespace qualification ("TFlatButton").
std::string ComponentClassName(const QObject* component);

// Whether the component's class is `className` or derives from it.
bool InheritsComponentClass(const QObject* component, const char* className);

}  // namespace vombrel
