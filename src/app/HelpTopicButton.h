#pragma once
// The help-topic button: the user presses it, drags the help cursor onto a control and lets
// go; the control then shows its help. Only drags that start at this button are accepted by
// the controls that take part (HelpDropFilter).

#include <QObject>
#include <QPoint>
#include <QToolButton>

#include <functional>

class QMimeData;

namespace orv::app {

// The drag's data format; private to this process, so nothing dragged from elsewhere
// (another program, a file) is mistaken for the help-topic button.
QString helpTopicMimeType();
bool isHelpTopicDrag(const QMimeData *data);
QMimeData *helpTopicMimeData();

class HelpTopicButton : public QToolButton
{
    Q_OBJECT
public:
    explicit HelpTopicButton(QWidget *parent = nullptr);

signals:
    // A drag ended on a control that accepted it.
    void dropped();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPoint m_pressPos;
    bool m_pressed = false;
};

// Makes widgets accept the help-topic button: drag-enter and drag-move events carrying it
// are accepted, a drop calls `onDrop` with the widget it landed on. Everything else dragged
// over these widgets is left to them.
class HelpDropFilter : public QObject
{
    Q_OBJECT
public:
    explicit HelpDropFilter(std::function<void(QWidget *target)> onDrop, QObject *parent = nullptr);

    // Installs the filter on `widget` and all widgets inside it (and on scroll areas'
    // viewports), switching their drop acceptance on.
    void install(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(QWidget *)> m_onDrop;
};

// The help context of `widget`: its own "helpContext" property, else that of the nearest
// enclosing widget that has a non-zero one; 0 when none has.
int helpContextOf(const QWidget *widget);

} // namespace orv::app
