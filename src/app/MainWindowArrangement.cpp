#include "app/MainWindow.h"

#include "app/CardBar.h"
#include "browse/MaterialCard.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <algorithm>

// Tiling, cascading and minimising the windows of the work area.

namespace orv::app {

void MainWindow::tile(Qt::Orientation orientation)
{
    QList<QMdiSubWindow *> windows;
    bool anyMinimised = false;
    for (QMdiSubWindow *w : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (w->isMinimized())
            anyMinimised = true;
        else if (w->isVisible())
            windows.append(w);
    }
    if (windows.isEmpty())
        return;
    // A maximised window keeps its buttons in the menu bar, which changes the area's height
    // once the frame has laid itself out again: the windows are arranged after that.
    bool wasMaximised = false;
    for (QMdiSubWindow *w : std::as_const(windows)) {
        if (w->isMaximized()) {
            w->showNormal();
            wasMaximised = true;
        }
    }
    if (wasMaximised) {
        QTimer::singleShot(0, this, [this, orientation] { tile(orientation); });
        return;
    }
    // The whole area: scroll bars that windows outside it showed go once they are arranged.
    QRect area(QPoint(0, 0), m_mdi->contentsRect().size());
    if (anyMinimised) // leave the row of minimised windows free
        area.setBottom(area.bottom() - QFontMetrics(font()).height() - 12);
    const int n = int(windows.size());
    // Side by side every window takes the whole height and a column of its own; one above
    // the other the whole width and a row of its own. A window is never made narrower (lower)
    // than its contents need (a card's page tabs would be drawn over its header): when the
    // columns (rows) would be too small, the windows keep that size and overlap in the
    // direction of the arrangement, the last one ending at the area's edge, so that each
    // still shows its title bar and its edge.
    const bool sideBySide = orientation == Qt::Horizontal;
    int need = 0;
    for (QMdiSubWindow *w : std::as_const(windows))
        need = std::max(need, sideBySide ? w->minimumSizeHint().width() : w->minimumSizeHint().height());
    const int length = sideBySide ? area.width() : area.height();
    const int size = std::min(length, std::max(length / n, need));
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *w = windows.at(i);
        // Exact columns (rows) when they fit; otherwise spread evenly over the area.
        const int start = size * n <= length ? length * i / n : (n > 1 ? (length - size) * i / (n - 1) : 0);
        const int end = size * n <= length ? length * (i + 1) / n : start + size;
        if (sideBySide)
            w->setGeometry(area.left() + start, area.top(), end - start, area.height());
        else
            w->setGeometry(area.left(), area.top() + start, area.width(), end - start);
        w->raise();
    }
}

void MainWindow::tileVertically()
{
    tile(Qt::Horizontal); // side by side
}

void MainWindow::tileHorizontally()
{
    tile(Qt::Vertical); // one above the other
}

void MainWindow::cascade()
{
    // Each window one title bar lower and to the right of the one before, all of the same
    // size and inside the area; the step shrinks when many windows would run off its end.
    QList<QMdiSubWindow *> windows;
    QSize need(0, 0);
    for (QMdiSubWindow *w : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (w->isMaximized())
            w->showNormal();
        if (w->isVisible() && !w->isMinimized()) {
            windows.append(w);
            need = need.expandedTo(w->minimumSizeHint());
        }
    }
    if (windows.isEmpty())
        return;
    const QRect area(QPoint(0, 0), m_mdi->contentsRect().size());
    const int n = int(windows.size());
    const int title = windows.first()->height() - windows.first()->contentsRect().height();
    int step = std::max(title, 20);
    const int width = std::clamp(area.width() * 2 / 3, std::min(need.width(), area.width()), area.width());
    const int height = std::clamp(area.height() * 2 / 3, std::min(need.height(), area.height()), area.height());
    if (n > 1)
        step = std::min({step, (area.width() - width) / (n - 1), (area.height() - height) / (n - 1)});
    for (int i = 0; i < n; ++i)
        windows.at(i)->setGeometry(area.left() + i * step, area.top() + i * step, width, height);
}

void MainWindow::minimiseAllCards()
{
    for (const CardEntry &entry : std::as_const(m_cards))
        entry.card->showMinimized();
    // The search window is one of the frame's windows too; left open it would stand over
    // the minimised cards.
    if (m_search)
        m_search->showMinimized();
}

void MainWindow::hideSearchWindow()
{
    // Minimising a maximised window gives the others back their earlier normal geometry,
    // which may lie partly outside the area, and leaves the minimised window active: the
    // card that was under the search window takes over, maximised when the search window
    // was, and every other window is brought back into the area.
    const bool wasMaximised = m_search->isMaximized();
    m_search->showMinimized();
    QMdiSubWindow *next = nullptr;
    const QList<QMdiSubWindow *> stack = m_mdi->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.crbegin(); it != stack.crend() && !next; ++it)
        if (*it != m_search && (*it)->isVisible() && !(*it)->isMinimized())
            next = *it;
    if (next) {
        if (wasMaximised)
            next->showMaximized();
        m_mdi->setActiveSubWindow(next);
    }
    keepWindowsInsideArea();
}

void MainWindow::keepWindowsInsideArea()
{
    const QRect area = m_mdi->viewport()->rect();
    for (QMdiSubWindow *w : m_mdi->subWindowList()) {
        if (!w->isVisible() || w->isMinimized() || w->isMaximized())
            continue;
        QRect r = w->geometry();
        // Larger than the area: as large as it, but not below what the contents need.
        r.setWidth(std::max(std::min(r.width(), area.width()), w->minimumSizeHint().width()));
        r.setHeight(std::max(std::min(r.height(), area.height()), w->minimumSizeHint().height()));
        r.moveLeft(std::clamp(r.left(), area.left(), std::max(area.left(), area.right() + 1 - r.width())));
        r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() + 1 - r.height())));
        if (r != w->geometry())
            w->setGeometry(r);
    }
}

} // namespace orv::app
