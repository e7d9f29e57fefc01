#pragma once

// What MaterialCard.cpp and MaterialCardLoad.cpp share and nobody else needs.

#include <QApplication>

namespace orv::browse {

// The wait cursor while the card reads, put back however the reading ends.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace orv::browse
