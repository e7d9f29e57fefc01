#pragma once
// Tests reach a window's controls by their object names, as a user's script would, and not
// through the window's members. A missing control fails the test with its name.

#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

namespace orv::test {

template <typename T>
T *child(const QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    if (!found)
        throw std::runtime_error(std::string("no control named ") + name + " of that type");
    return found;
}

} // namespace orv::test
