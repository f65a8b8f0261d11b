// The designed look: until a colour scheme paints a control, its colours are those of the
// application's palette.
#pragma once

#include <QColor>
#include <QPalette>

namespace vombrel {

// The active palette's colour for a role.
QColor PaletteColor(QPalette::ColorRole role);

}  // namespace vombrel
