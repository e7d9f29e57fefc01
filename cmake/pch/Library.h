// The precompiled header of every library and program: the Qt level the target links
// decides how much is parsed once (Qt's own QT_*_LIB definitions follow the link).
#pragma once

#if defined(QT_WIDGETS_LIB)
#include "Widgets.h"
#elif defined(QT_GUI_LIB)
#include "Gui.h"
#else
#include "Core.h"
#endif
