// Core.h and the drawing headers of Qt Gui and Print Support.
#pragma once

#include "Core.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QPixmap>
#ifdef QT_PRINTSUPPORT_LIB
#include <QPrinter>
#endif
