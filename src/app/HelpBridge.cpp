#include "app/HelpBridge.h"

#include "app/HelpViewer.h"
#include "core/Paths.h"
#include "ui/MessageDialog.h"

#include <QApplication>
#include <QEvent>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVariant>

namespace orv::app {

namespace {

QPointer<QWidget> g_frame;

const char *const helpFileProperty = "helpFile";

QString withChmSuffix(QString path)
{
    // The extension is the part after the last dot of the file name.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > slash)
        path.truncate(dot);
    return path + QStringLiteral(".chm");
}

QMdiSubWindow *enclosingSubWindow(const QWidget *w)
{
    for (QWidget *p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget()) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(p))
            return sub;
    }
    return nullptr;
}

// A modal window blocks every other window of the program, the help viewer too, and would
// stand over it. While one is open the viewer becomes its own window (not blocked, kept above
// it); when the modal window goes the viewer is a window of its own again, where it was.
class ModalOwnerWatch : public QObject
{
public:
    ModalOwnerWatch(QWidget *viewer, QWidget *modal) : QObject(modal), m_viewer(viewer) { modal->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if ((event->type() == QEvent::Hide || event->type() == QEvent::Close) && m_viewer
            && m_viewer->parentWidget() == watched) {
            const bool shown = m_viewer->isVisible();
            const QRect geometry = m_viewer->geometry();
            m_viewer->setParent(nullptr, Qt::Window);
            m_viewer->setGeometry(geometry);
            if (shown)
                m_viewer->show();
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_viewer;
};

void keepAboveModalWindow(QWidget *viewer)
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == viewer || viewer->parentWidget() == modal)
        return;
    const bool shown = viewer->isVisible();
    const QRect geometry = viewer->geometry();
    viewer->setParent(modal, Qt::Window);
    if (shown)
        viewer->setGeometry(geometry);
    new ModalOwnerWatch(viewer, modal);
}

} // namespace

void setHelpFrame(QWidget *frame)
{
    g_frame = frame;
}

HelpBridge::HelpBridge(QObject *parent)
    : QObject(parent)
{
}

HelpBridge::~HelpBridge()
{
    delete m_viewer;
}

QString HelpBridge::applicationHelpFile()
{
    return qApp ? qApp->property(helpFileProperty).toString() : QString();
}

void HelpBridge::setApplicationHelpFile(const QString &file)
{
    if (qApp)
        qApp->setProperty(helpFileProperty, file);
}

QString HelpBridge::helpFilePath(const QWidget *active) const
{
    if (active) {
        const QString own = active->property(helpFileProperty).toString();
        if (!own.isEmpty())
            return own;
    }
    const QString app = applicationHelpFile();
    if (app.isEmpty()) {
        return withChmSuffix(QCoreApplication::applicationFilePath());
    }
    // The help file always lies below the program folder, whatever path it was set with.
    QString relative = app;
    const QString folder = programFolder();
    if (relative.startsWith(folder))
        relative = relative.mid(folder.size());
    else if (QFileInfo(relative).isAbsolute())
        return withChmSuffix(relative);
    return folder + withChmSuffix(relative);
}

QString HelpBridge::windowTopicName(const QWidget *window)
{
    if (!window)
        return {};
    const QMdiSubWindow *sub = qobject_cast<const QMdiSubWindow *>(window);
    if (!sub)
        sub = enclosingSubWindow(window);
    QString name = window->objectName();
    if (sub && name.isEmpty() && sub->widget())
        name = sub->widget()->objectName();
    if (sub) {
        const qsizetype bar = name.lastIndexOf(QLatin1Char('_'));
        if (bar >= 0 && name.size() - bar - 1 <= 2)
            name.truncate(bar);
    }
    return name;
}

QString HelpBridge::topicName(int context, const QWidget *active) const
{
    if (context >= m_startContext)
        return QStringLiteral("TOPIC") + QString::number(context);
    return windowTopicName(active);
}

QWidget *HelpBridge::activeHelpWindow()
{
    QWidget *active = QApplication::activeWindow();
    if (!active)
        active = g_frame;
    if (active && active == g_frame) {
        if (auto *mdi = g_frame->findChild<QMdiArea *>()) {
            QMdiSubWindow *sub = mdi->activeSubWindow();
            QWidget *focus = QApplication::focusWidget();
            const bool focusOutside = focus && focus != sub && enclosingSubWindow(focus) != sub;
            if (sub && sub->widget() && !focusOutside)
                return sub->widget();
        }
    }
    return active;
}

QString HelpBridge::pageAddress(const QString &helpFile, const QString &topic)
{
    return helpFile + QStringLiteral("::/") + topic + QStringLiteral(".htm");
}

QString HelpBridge::bookFolder(const QString &helpFile)
{
    return QFileInfo(helpFile).path();
}

QString HelpBridge::contentsPage(const QString &helpFile)
{
    return QFileInfo(helpFile).completeBaseName() + QStringLiteral(".htm");
}

bool HelpBridge::helpFileExists(const QString &helpFile)
{
    return QFileInfo(QDir(bookFolder(helpFile)).filePath(contentsPage(helpFile))).isFile();
}

QString HelpBridge::missingFileMessage(const QString &helpFile)
{
    return QStringLiteral("Sorry, the HelpFile\r") + QDir::toNativeSeparators(helpFile) + QStringLiteral("\r")
        + QStringLiteral("does not exists.");
}

bool HelpBridge::showContents(const QString &helpFile)
{
    const QString file = helpFile.isEmpty() ? helpFilePath(activeHelpWindow()) : helpFile;
    return display(file, QString());
}

bool HelpBridge::showContext(int context, const QString &helpFile)
{
    QWidget *active = activeHelpWindow();
    const QString file = helpFile.isEmpty() ? helpFilePath(active) : helpFile;
    const QString topic = topicName(context, active);
    if (topic.isEmpty())
        return display(file, QString());
    return display(file, topic);
}

bool HelpBridge::showTopic(const QString &topic, const QString &helpFile)
{
    const QString file = helpFile.isEmpty() ? helpFilePath(activeHelpWindow()) : helpFile;
    return display(file, topic);
}

bool HelpBridge::display(const QString &helpFile, const QString &topic)
{
    const bool shown = m_display ? m_display(helpFile, topic) : defaultDisplay(helpFile, topic);
    if (!shown) {
        const QString text = missingFileMessage(helpFile);
        if (m_failure) {
            m_failure(text);
        } else {
            QApplication::beep();
            ui::plainMessage(text, ui::MsgType::Error, ui::MsgButton::OK);
        }
    }
    return shown;
}

bool HelpBridge::defaultDisplay(const QString &helpFile, const QString &topic)
{
    if (!helpFileExists(helpFile))
        return false;
    if (!m_viewer)
        m_viewer = new HelpViewer;
    keepAboveModalWindow(m_viewer);
    m_viewer->openBook(bookFolder(helpFile), contentsPage(helpFile));
    if (topic.isEmpty())
        m_viewer->showContents();
    else
        m_viewer->showTopic(topic);
    m_viewer->show();
    m_viewer->raise();
    m_viewer->activateWindow();
    return true;
}

} // namespace orv::app
