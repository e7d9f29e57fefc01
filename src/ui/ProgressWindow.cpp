#include "ui/ProgressWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace orv::ui {

namespace {

constexpr int kWidth = 280;
constexpr int kHeight = 79;
constexpr int kStripHeight = 60;
constexpr int kLabelHeight = 13;

void drawFolder(QPainter &p, const QRectF &r)
{
    QPainterPath tab;
    tab.addRoundedRect(QRectF(r.left(), r.top() - 5, r.width() * 0.4, 8), 2, 2);
    p.setPen(QPen(QColor(150, 120, 30), 1));
    p.setBrush(QColor(235, 200, 90));
    p.drawPath(tab);
    p.drawRoundedRect(r, 2, 2);
}

void drawBin(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(QColor(70, 80, 90), 1.2));
    p.setBrush(QColor(190, 200, 210));
    QPolygonF body;
    body << QPointF(r.left() + 3, r.top() + 6) << QPointF(r.right() - 3, r.top() + 6)
         << QPointF(r.right() - 6, r.bottom()) << QPointF(r.left() + 6, r.bottom());
    p.drawPolygon(body);
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 5));
    for (int i = 1; i <= 3; ++i) {
        const double x = r.left() + r.width() * i / 4.0;
        p.drawLine(QPointF(x, r.top() + 10), QPointF(x, r.bottom() - 4));
    }
}

void drawSheet(QPainter &p, const QPointF &centre, double opacity)
{
    p.save();
    p.setOpacity(opacity);
    const QRectF r(centre.x() - 9, centre.y() - 12, 18, 24);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(120, 140, 170), 1));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(r.left() + 3, r.top() + 5 + i * 4), QPointF(r.right() - 3, r.top() + 5 + i * 4));
    p.restore();
}

} // namespace

ProgressWindow::ProgressWindow(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Informace"));
    // A fixed border and a title, but no system buttons.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(kWidth, kHeight);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setGeometry(0, kHeight - kLabelHeight - 3, kWidth, kLabelHeight);

    m_timer = new QTimer(this);
    m_timer->setInterval(60);
    connect(m_timer, &QTimer::timeout, this, &ProgressWindow::step);

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - kWidth) / 2, s.y() + (s.height() - kHeight) / 2);
    }
}

QString ProgressWindow::modeText(Mode mode)
{
    switch (mode) {
    case Mode::Delete:
        return QStringLiteral("Mazání vlastního materiálu...");
    case Mode::Copy:
        return QStringLiteral("Kopírování materiálu do složky vlastní materiál...");
    case Mode::Save:
        return QStringLiteral("Ukládání vlastního materiálu...");
    case Mode::None:
        break;
    }
    return {};
}

void ProgressWindow::setMode(const QString &name)
{
    if (name == QLatin1String("Delete"))
        setMode(Mode::Delete);
    else if (name == QLatin1String("Copy"))
        setMode(Mode::Copy);
    else if (name == QLatin1String("Save"))
        setMode(Mode::Save);
    else
        setMode(Mode::None);
}

void ProgressWindow::setMode(Mode mode)
{
    m_mode = mode;
    m_label->setText(modeText(mode));
    m_frame = mode == Mode::None ? 0 : 1;
    if (mode == Mode::None)
        m_timer->stop();
    else
        m_timer->start();
    repaint();
}

QString ProgressWindow::text() const
{
    return m_label->text();
}

void ProgressWindow::step()
{
    m_frame = m_frame % frameCount + 1;
    update(0, 0, kWidth, kStripHeight);
}

void ProgressWindow::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    if (m_mode == Mode::None || m_frame == 0)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double t = (m_frame - 1) / double(frameCount - 1);
    const QRectF from(28, 22, 44, 30);
    drawFolder(p, from);
    const QRectF to(kWidth - 72, 22, 44, 30);
    if (m_mode == Mode::Delete)
        drawBin(p, QRectF(to.left() + 6, 14, 32, 40));
    else
        drawFolder(p, to);
    // The sheet flies from the left folder to the right along an arc.
    const double x = from.center().x() + (to.center().x() - from.center().x()) * t;
    const double y = 30 - 22 * std::sin(t * M_PI);
    const double opacity = m_mode == Mode::Delete ? 1.0 - 0.7 * t : 1.0;
    drawSheet(p, QPointF(x, y), opacity);
}

} // namespace orv::ui
