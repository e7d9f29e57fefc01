// Czech texts in the sources are UTF-8 string literals.
#pragma once

#include <QString>

namespace orv {

inline QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace orv
