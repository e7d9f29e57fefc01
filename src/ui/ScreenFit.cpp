#include "ui/ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace orv::ui {

namespace {

QScreen *screenOf(const QWidget *window)
{
    if (QScreen *s = window->screen())
        return s;
    return QGuiApplication::primaryScreen();
}

QMargins frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const QMargins real(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                        frame.bottom() - client.bottom());
    // Before the window manager has framed the window both rectangles are the same.
    if (window->isVisible() && real.top() > 4)
        return real;
    return assumedFrameMargins();
}

bool fits(const QWidget *widget)
{
    if (!widget->isWindow())
        return false;
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet || type == Qt::Tool;
}

class ScreenFitFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *w = static_cast<QWidget *>(watched);
            if (fits(w))
                fitToScreen(w);
        }
        return false;
    }
};

} // namespace

QMargins assumedFrameMargins()
{
    return {4, 32, 4, 4};
}

QRect clientRoom(const QWidget *window)
{
    QScreen *screen = screenOf(window);
    if (!screen)
        return {};
    return screen->availableGeometry() - frameMargins(window);
}

void fitToScreen(QWidget *window)
{
    if (!window || !window->isWindow())
        return;
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QRect room = clientRoom(window);
    if (room.isEmpty())
        return;
    QRect r = window->geometry();
    const QSize least = window->minimumSize();
    r.setWidth(std::max(std::min(r.width(), room.width()), least.width()));
    r.setHeight(std::max(std::min(r.height(), room.height()), least.height()));
    // A window nobody placed yet is placed after this (a dialog centres itself over its
    // parent and keeps itself on the screen, a window manager places the others): moving it
    // here would pin it to the corner. Only a placed window is moved inside the room.
    if (!window->testAttribute(Qt::WA_Moved)) {
        if (r.size() != window->size())
            window->resize(r.size());
        return;
    }
    r.moveLeft(std::clamp(r.left(), room.left(), std::max(room.left(), room.right() + 1 - r.width())));
    r.moveTop(std::clamp(r.top(), room.top(), std::max(room.top(), room.bottom() + 1 - r.height())));
    if (r != window->geometry())
        window->setGeometry(r);
}

void installScreenFit()
{
    static ScreenFitFilter *filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new ScreenFitFilter(qApp);
    qApp->installEventFilter(filter);
}

} // namespace orv::ui
