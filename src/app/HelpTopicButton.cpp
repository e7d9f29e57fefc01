#include "app/HelpTopicButton.h"

#include "app/Icons.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QVariant>

namespace orv::app {

QString helpTopicMimeType()
{
    static const QString type = QStringLiteral("application/x-orvalis-help-topic;pid=%1")
                                    .arg(QCoreApplication::applicationPid());
    return type;
}

bool isHelpTopicDrag(const QMimeData *data)
{
    return data && data->hasFormat(helpTopicMimeType());
}

QMimeData *helpTopicMimeData()
{
    auto *data = new QMimeData;
    data->setData(helpTopicMimeType(), QByteArray("help"));
    return data;
}

HelpTopicButton::HelpTopicButton(QWidget *parent)
    : QToolButton(parent)
{
    setObjectName(QStringLiteral("HelpTopicButton"));
    setAutoRaise(true);
    setIcon(mainImage(MainImage::HelpTopic));
    setToolTip(QStringLiteral("Klikněte na tuto ikonu, držte stisknuté tlačítko myši a přejeďte na prvek "
                              "pro který chcete zobrazit nápovědu..."));
    setStatusTip(toolTip());
}

void HelpTopicButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressPos = event->position().toPoint();
    }
    QToolButton::mousePressEvent(event);
}

void HelpTopicButton::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressed && (event->buttons() & Qt::LeftButton)
        && (event->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressed = false;
        setDown(false);
        auto *drag = new QDrag(this);
        drag->setMimeData(helpTopicMimeData());
        drag->setPixmap(icon().pixmap(24, 24));
        drag->setHotSpot(QPoint(2, 2));
        drag->setDragCursor(QCursor(Qt::WhatsThisCursor).pixmap(), Qt::CopyAction);
        if (drag->exec(Qt::CopyAction) == Qt::CopyAction)
            emit dropped();
        return;
    }
    QToolButton::mouseMoveEvent(event);
}

void HelpTopicButton::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    QToolButton::mouseReleaseEvent(event);
}

HelpDropFilter::HelpDropFilter(std::function<void(QWidget *)> onDrop, QObject *parent)
    : QObject(parent)
    , m_onDrop(std::move(onDrop))
{
}

void HelpDropFilter::install(QWidget *widget)
{
    if (!widget)
        return;
    QList<QWidget *> all = widget->findChildren<QWidget *>();
    all.prepend(widget);
    for (QWidget *w : std::as_const(all)) {
        w->setAcceptDrops(true);
        w->installEventFilter(this);
        if (auto *area = qobject_cast<QAbstractScrollArea *>(w)) {
            area->viewport()->setAcceptDrops(true);
            area->viewport()->installEventFilter(this);
        }
    }
}

bool HelpDropFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!isHelpTopicDrag(drag->mimeData()))
            return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!isHelpTopicDrag(drop->mimeData()))
            return false;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (m_onDrop)
            m_onDrop(qobject_cast<QWidget *>(watched));
        return true;
    }
    default:
        return false;
    }
}

int helpContextOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const int context = w->property("helpContext").toInt();
        if (context != 0)
            return context;
    }
    return 0;
}

} // namespace orv::app
