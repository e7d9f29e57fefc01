#include "app/SplashWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QScreen>
#include <QTextOption>

#include <algorithm>

namespace orv::app {

namespace {

// Brushed steel: a cool grey gradient crossed by thousands of faint horizontal strokes.
void paintBrushedSteel(QPainter &p, const QRect &r)
{
    QLinearGradient base(r.topLeft(), r.bottomLeft());
    base.setColorAt(0.0, QColor(206, 212, 218));
    base.setColorAt(0.45, QColor(150, 158, 167));
    base.setColorAt(0.55, QColor(128, 136, 146));
    base.setColorAt(1.0, QColor(84, 92, 102));
    p.fillRect(r, base);

    QRandomGenerator rng(20110521); // the same strokes on every start
    // The strokes lie on pixel rows: no antialiasing needed, and drawing them stays cheap.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < 2600; ++i) {
        const int y = r.top() + int(rng.bounded(r.height()));
        const int x = r.left() - 40 + int(rng.bounded(r.width() + 40));
        const int len = 30 + int(rng.bounded(180));
        const bool light = rng.bounded(2) == 0;
        p.setPen(QPen(light ? QColor(255, 255, 255, 18 + int(rng.bounded(22)))
                            : QColor(20, 26, 34, 14 + int(rng.bounded(20))), 1));
        p.drawLine(x, y, x + len, y);
    }
    p.restore();
    // A soft sheen across the upper third.
    QRadialGradient sheen(QPointF(r.width() * 0.3, r.height() * 0.18), r.width() * 0.6);
    sheen.setColorAt(0.0, QColor(255, 255, 255, 80));
    sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(r, sheen);
}

// The cross-section of a rolled I-beam, lit from the upper left.
void paintBeam(QPainter &p, const QPointF &c, double scale)
{
    const double fw = 150 * scale, ft = 22 * scale, h = 190 * scale, wt = 16 * scale, rr = 10 * scale;
    QPainterPath beam;
    beam.addRect(c.x() - fw / 2, c.y() - h / 2, fw, ft);
    beam.addRect(c.x() - fw / 2, c.y() + h / 2 - ft, fw, ft);
    beam.addRoundedRect(QRectF(c.x() - wt / 2, c.y() - h / 2 + ft - rr, wt, h - 2 * ft + 2 * rr), 2, 2);
    beam.setFillRule(Qt::WindingFill);
    beam = beam.simplified();

    p.save();
    p.translate(6, 8);
    p.fillPath(beam, QColor(10, 16, 24, 90)); // shadow
    p.restore();

    QLinearGradient metal(c.x() - fw / 2, c.y() - h / 2, c.x() + fw / 2, c.y() + h / 2);
    metal.setColorAt(0.0, QColor(236, 240, 244));
    metal.setColorAt(0.35, QColor(168, 176, 186));
    metal.setColorAt(0.6, QColor(110, 118, 130));
    metal.setColorAt(1.0, QColor(58, 64, 74));
    p.fillPath(beam, metal);
    p.setPen(QPen(QColor(40, 46, 56), 1.4));
    p.drawPath(beam);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.drawLine(QPointF(c.x() - fw / 2 + 2, c.y() - h / 2 + 1.5), QPointF(c.x() + fw / 2 - 2, c.y() - h / 2 + 1.5));
}

// A body-centred cubic cell, the lattice of ferrite, drawn in thin lines with atoms.
void paintLattice(QPainter &p, const QPointF &o, double a)
{
    const QPointF dx(a, 0), dy(0, -a), dz(a * 0.45, -a * 0.35);
    QList<QPointF> corners;
    for (int i = 0; i < 8; ++i)
        corners.append(o + dx * (i & 1) + dy * ((i >> 1) & 1) + dz * ((i >> 2) & 1));
    p.setPen(QPen(QColor(230, 236, 242, 170), 1.2));
    for (int i = 0; i < 8; ++i) {
        for (int bit : {1, 2, 4}) {
            if (!(i & bit))
                p.drawLine(corners[i], corners[i | bit]);
        }
    }
    const QPointF centre = o + dx * 0.5 + dy * 0.5 + dz * 0.5;
    auto atom = [&p](const QPointF &at, double r) {
        QRadialGradient g(at - QPointF(r / 3, r / 3), r * 1.3);
        g.setColorAt(0.0, QColor(255, 255, 255));
        g.setColorAt(0.5, QColor(170, 182, 196));
        g.setColorAt(1.0, QColor(70, 80, 94));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(at, r, r);
    };
    p.setPen(QPen(QColor(230, 236, 242, 110), 1, Qt::DashLine));
    p.drawLine(corners[0], corners[7]);
    for (const QPointF &c : corners)
        atom(c, a * 0.09);
    atom(centre, a * 0.12);
}

void paintRivet(QPainter &p, const QPointF &at)
{
    QRadialGradient g(at - QPointF(1.5, 1.5), 6);
    g.setColorAt(0.0, QColor(250, 250, 250));
    g.setColorAt(0.6, QColor(140, 148, 158));
    g.setColorAt(1.0, QColor(60, 66, 76));
    p.setPen(QPen(QColor(40, 44, 52, 160), 0.8));
    p.setBrush(g);
    p.drawEllipse(at, 4.5, 4.5);
}

} // namespace

QPixmap SplashWindow::picture()
{
    QPixmap pm(clientWidth, pictureHeight);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect r(0, 0, clientWidth, pictureHeight);
    paintBrushedSteel(p, r);

    // A dark band for the title, bevelled like a machined plate.
    const QRectF band(0, 248, clientWidth, 104);
    QLinearGradient bandGrad(band.topLeft(), band.bottomLeft());
    bandGrad.setColorAt(0.0, QColor(34, 44, 58, 235));
    bandGrad.setColorAt(1.0, QColor(18, 24, 34, 245));
    p.fillRect(band, bandGrad);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.drawLine(band.topLeft(), band.topRight());
    p.setPen(QPen(QColor(0, 0, 0, 140), 1));
    p.drawLine(band.bottomLeft(), band.bottomRight());

    paintBeam(p, QPointF(140, 130), 0.95);
    paintLattice(p, QPointF(300, 200), 120);

    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(50);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(title);
    const QRectF titleRect(24, band.top() + 6, clientWidth - 48, 62);
    p.setPen(QColor(0, 0, 0, 160));
    p.drawText(titleRect.translated(2, 2), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Orvalis 2.1"));
    QLinearGradient chrome(titleRect.topLeft(), titleRect.bottomLeft());
    chrome.setColorAt(0.0, QColor(255, 255, 255));
    chrome.setColorAt(0.5, QColor(196, 206, 218));
    chrome.setColorAt(0.52, QColor(150, 162, 176));
    chrome.setColorAt(1.0, QColor(226, 232, 240));
    p.setPen(QPen(QBrush(chrome), 1));
    p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Orvalis 2.1"));

    QFont sub(QStringLiteral("Liberation Sans"));
    sub.setPixelSize(15);
    p.setFont(sub);
    p.setPen(QColor(200, 210, 222));
    p.drawText(QRectF(26, band.top() + 66, clientWidth - 52, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Katalog ocelí a kovových materiálů"));

    QFont small(QStringLiteral("Liberation Sans"));
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(QColor(30, 36, 46));
    p.drawText(QRectF(24, pictureHeight - 50, clientWidth - 48, 20), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Halmberg s.r.o."));
    for (const QPointF &at : {QPointF(12, 12), QPointF(clientWidth - 12, 12), QPointF(12, pictureHeight - 12),
                              QPointF(clientWidth - 12, pictureHeight - 12)})
        paintRivet(p, at);
    return pm;
}

QIcon SplashWindow::windowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = size / 32.0;
        QLinearGradient metal(0, 0, size, size);
        metal.setColorAt(0.0, QColor(236, 240, 244));
        metal.setColorAt(0.5, QColor(140, 150, 162));
        metal.setColorAt(1.0, QColor(58, 64, 74));
        p.setPen(QPen(QColor(34, 40, 50), std::max(1.0, s)));
        p.setBrush(metal);
        // An I-beam section.
        QPainterPath beam;
        beam.addRect(3 * s, 3 * s, 26 * s, 6 * s);
        beam.addRect(3 * s, 23 * s, 26 * s, 6 * s);
        beam.addRect(12.5 * s, 8 * s, 7 * s, 16 * s);
        beam.setFillRule(Qt::WindingFill);
        p.drawPath(beam.simplified());
        icon.addPixmap(pm);
    }
    return icon;
}

QString SplashWindow::panelHeadline()
{
    return QStringLiteral("Orvalis obsahuje podstatné části technických norem");
}

QString SplashWindow::panelText()
{
    return QStringLiteral(
        "V případě potřeby jejich úplného znění je možno normy objednat kliknutím na odkaz "
        "umístěný pod informacemi o materiálu (dolní lišta) nebo zakoupit na adrese:\n"
        "Národní normalizační úřad, prodej norem,\nNormová 12, 110 00 Praha 1\n"
        "Citované části norem jsou chráněny autorským právem vydavatele.");
}

SplashWindow::SplashWindow(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Orvalis 2.1"));
    setFixedSize(clientWidth, clientHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_picture = picture();

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("ProgressLabel"));
    m_label->setAlignment(Qt::AlignCenter);
    QFont f = m_label->font();
    f.setPixelSize(11);
    m_label->setFont(f);
    m_label->setGeometry(0, clientHeight - labelHeight, clientWidth, labelHeight);
    m_label->setAutoFillBackground(true);

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.x() + (s.width() - clientWidth) / 2, s.y() + (s.height() - clientHeight) / 2);
    }
}

void SplashWindow::setProgressText(const QString &text)
{
    m_label->setText(text);
    repaint();
}

QString SplashWindow::progressText() const
{
    return m_label->text();
}

namespace {
int g_readingTime = 8000;
}

int SplashWindow::readingTime()
{
    return g_readingTime;
}

void SplashWindow::setReadingTime(int ms)
{
    g_readingTime = ms;
}

int SplashWindow::remainingReadingTime() const
{
    if (!m_panelShown.isValid())
        return 0;
    return int(std::max<qint64>(0, g_readingTime - m_panelShown.elapsed()));
}

SplashWindow::~SplashWindow()
{
    const int remaining = remainingReadingTime();
    if (m_lingering || remaining <= 0 || !isVisible())
        return;
    // The program is ready before the notice could be read: a copy of the splash shows it
    // for the rest of the time (the program goes on underneath).
    auto *rest = new SplashWindow;
    rest->m_lingering = true;
    rest->m_textPanel = true;
    rest->m_label->setText(m_label->text());
    rest->setAttribute(Qt::WA_DeleteOnClose);
    rest->setAttribute(Qt::WA_ShowWithoutActivating);
    rest->move(pos());
    rest->show();
    QTimer::singleShot(remaining, rest, &QWidget::close);
    // A window that wants an answer (the upgrade wizard, a message) is not kept waiting
    // under the notice.
    qApp->installEventFilter(rest);
}

bool SplashWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (m_lingering && event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
        const auto *w = static_cast<const QWidget *>(watched);
        if (w->isWindow() && w->isModal())
            QTimer::singleShot(0, this, &QWidget::close);
        else if (w->isWindow() && w->windowType() != Qt::ToolTip && w->windowType() != Qt::Popup)
            QTimer::singleShot(0, this, &QWidget::raise); // the frame appearing after it

    }
    return QWidget::eventFilter(watched, event);
}

void SplashWindow::mousePressEvent(QMouseEvent *event)
{
    // A click says the notice has been read.
    m_panelShown.invalidate();
    if (m_lingering)
        close();
    QWidget::mousePressEvent(event);
}

void SplashWindow::showTextPanel()
{
    if (!m_textPanel)
        m_panelShown.start();
    m_textPanel = true;
    repaint();
}

void SplashWindow::paintTextPanel(QPainter &p, const QRect &area) const
{
    p.fillRect(area, Qt::white);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(19);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::black);
    const QRect inner = area.adjusted(18, 16, -18, -10);
    QRect used;
    p.drawText(inner, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, panelHeadline(), &used);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WordWrap);
    p.drawText(QRectF(inner.adjusted(0, used.height() + 14, 0, 0)), panelText(), option);
}

void SplashWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect area(0, 0, clientWidth, pictureHeight);
    if (m_textPanel)
        paintTextPanel(p, area);
    else
        p.drawPixmap(0, 0, m_picture);
    p.fillRect(QRect(0, pictureHeight, clientWidth, clientHeight - pictureHeight), palette().window());
}

} // namespace orv::app
