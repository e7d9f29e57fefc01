#include "app/HelpRequests.h"

#include "app/HelpBridge.h"
#include "app/HelpTopicButton.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QWhatsThis>
#include <QWidget>

namespace orv::app {

namespace {

class HelpRequestFilter : public QObject
{
public:
    QPointer<HelpBridge> bridge;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!bridge || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::QueryWhatsThis:
            // Every control answers the "?" button: with its own help or its window's.
            event->accept();
            return true;
        case QEvent::WhatsThis:
            event->accept();
            showHelpFor(*bridge, widget);
            return true;
        case QEvent::KeyPress: {
            // The frame's own F1 (a shortcut) serves the frame and its child windows; a key
            // that reaches a widget of a modal window has no such shortcut to go to.
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
                return false;
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || widget->window() != modal)
                return false;
            showHelpFor(*bridge, widget);
            return true;
        }
        default:
            return false;
        }
    }
};

HelpRequestFilter *g_filter = nullptr;

} // namespace

bool showHelpFor(HelpBridge &bridge, QWidget *widget)
{
    QWidget *window = widget ? widget->window() : nullptr;
    const QString helpFile = bridge.helpFilePath(window);
    const QDir book(HelpBridge::bookFolder(helpFile));
    auto hasPage = [&book](const QString &topic) {
        return !topic.isEmpty() && QFileInfo::exists(book.filePath(topic + QStringLiteral(".htm")));
    };
    // The control's own page, else the window's, else the contents: never a page that the
    // help does not have.
    const int context = helpContextOf(widget);
    const QString control = context != 0 ? QStringLiteral("TOPIC%1").arg(context) : QString();
    if (hasPage(control))
        return bridge.showTopic(control, helpFile);
    const QString own = HelpBridge::windowTopicName(window);
    if (hasPage(own))
        return bridge.showTopic(own, helpFile);
    return bridge.showContents(helpFile);
}

void installHelpRequests(HelpBridge *bridge)
{
    if (!qApp)
        return;
    if (!g_filter) {
        g_filter = new HelpRequestFilter;
        g_filter->setParent(qApp);
        qApp->installEventFilter(g_filter);
    }
    g_filter->bridge = bridge;
}

} // namespace orv::app
