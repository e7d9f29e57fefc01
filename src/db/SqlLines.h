// SQL texts written as a list of lines, the way the data modules keep them.
#pragma once

#include <QStringList>

#include <initializer_list>

namespace orv::db {

inline QStringList sqlLines(std::initializer_list<const char *> lines)
{
    QStringList out;
    for (const char *s : lines)
        out << QString::fromUtf8(s);
    return out;
}

} // namespace orv::db
