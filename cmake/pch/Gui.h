// Core.h and the drawing headers of Qt Gui.
#pragma once

#include "Core.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QPixmap>
