#pragma once
// The program's pictures are SVG files compiled into the program as resources under
// ":/icons/" (the folder src/ui/icons): drawn from their outlines, they stay sharp at any
// toolbar size, and a designer can change them without touching code.

#include <QPixmap>
#include <QString>

namespace orv::ui {

// The picture `name` (the file name without ".svg") drawn on a transparent square of
// `size` pixels; a null pixmap, with a warning in the log, when there is no such picture or
// it cannot be read.
QPixmap svgPicture(const QString &name, int size);

} // namespace orv::ui
