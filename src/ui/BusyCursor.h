#pragma once
// The wait cursor for the length of a piece of work, put back however the work ends; restore()
// puts it back earlier (before a message box, say).

#include <QApplication>

namespace orv::ui {

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { restore(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    void restore()
    {
        if (m_on) {
            QApplication::restoreOverrideCursor();
            m_on = false;
        }
    }

private:
    bool m_on = true;
};

} // namespace orv::ui
