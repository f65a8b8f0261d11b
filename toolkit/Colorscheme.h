// Painting windows from colour-scheme files. A scheme's eleven role colours are spread
// over a window's components by the kind (exact class name) and Tag of each component.
// User-interface thread only.
#pragma once

#include <QColor>
#include <string_view>

#include "support/Supportaspetto.h"

class QWidget;

namespace vombrel {

// A TColor as the screen shows it: a system colour (top byte 0x80) is resolved through
// the application palette (15 button face, 16 button shadow, 18 button text, 20 button
// highlight, and the other classic indexes); other values take their three low bytes.
QColor ColorToQColor(TColor color);
// The same resolution as an explicit red-green-blue TColor (top byte 0).
TColor ColorToRGB(TColor color);
TColor QColorToColor(const QColor& color);

// Paints the window's components from the scheme file at `path`, or from the built-in
// defaults when no file exists there; a missing key or a bad value paints its role
// black. Throws SchemeReadError when the file exists but cannot be read.
void ApplyColorScheme(QWidget* window, std::string_view path);
// Paints the window with the given role colours (the rule of ApplyColorScheme).
void PaintComponents(QWidget* window, const SchemeColors& colors);

// No file at `path`: nothing changes. A file that cannot be read or lacks a key or holds
// a value that is not an integer: the "MSG_WRONGCOLOR" error box, and neither the window
// nor WorkingColors() changes. Otherwise the window is painted and WorkingColors() takes
// the file's eleven values. Never throws.
void LoadColorScheme(QWidget* window, std::string_view path);

}  // namespace vombrel
