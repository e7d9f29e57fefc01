#include "app/CardBar.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace orv::app {

namespace {

const QString ellipsis = QStringLiteral(" ...");

} // namespace

int cardButtonWidth(int barWidth, int buttonCount)
{
    if (buttonCount <= 0)
        return CardBar::initialButtonWidth;
    // Halves round to even, as the layout has always rounded.
    const int w = int(std::nearbyint(double(barWidth) / buttonCount)) - 1;
    return std::clamp(w, 20, 100);
}

QString fitCardCaption(const QString &title, int width, const QFontMetrics &metrics)
{
    const int room = width - 10;
    if (metrics.horizontalAdvance(title) <= room)
        return title;
    QString caption = title + ellipsis;
    // Each round drops the ellipsis and one more character of the title. Once nothing of the
    // title is left the ellipsis stays, however narrow the button: going on would never end.
    while (metrics.horizontalAdvance(caption) > room && caption.size() > ellipsis.size()) {
        caption.chop(ellipsis.size() + 1);
        caption += ellipsis;
    }
    return caption;
}

CardButton::CardButton(const QString &title, QWidget *parent)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setCheckable(true);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(title);
    setStatusTip(title);
    QString caption = title.left(CardBar::initialCaptionLength);
    setText(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
    setFixedWidth(CardBar::initialButtonWidth);
    setActiveLook(true);
}

void CardButton::setActiveLook(bool active)
{
    QFont f = font();
    if (f.bold() == active)
        return;
    f.setBold(active);
    setFont(f);
}

void CardButton::mousePressEvent(QMouseEvent *event)
{
    // The right button is not a click of the card button; the main window shows the card
    // and its context menu instead.
    if (event->button() == Qt::RightButton) {
        event->accept();
        emit rightClicked(event->globalPosition().toPoint());
        return;
    }
    QToolButton::mousePressEvent(event);
}

void CardButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == Qt::LeftButton && isDown() && hitButton(event->position().toPoint());
    QToolButton::mouseReleaseEvent(event);
    if (click)
        emit leftClicked();
}

CardBar::CardBar(QWidget *parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("CardBar"));
    m_group->setExclusive(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch(1);
    // The buttons shrink to fit; the bar itself may become as narrow as its parent wants.
    setMinimumWidth(0);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

CardButton *CardBar::addButton(const QString &title)
{
    auto *button = new CardButton(title, this);
    auto *box = static_cast<QHBoxLayout *>(layout());
    box->insertWidget(int(m_buttons.size()), button);
    m_buttons.append(button);
    m_group->addButton(button);
    button->setChecked(true);
    button->show();
    return button;
}

void CardBar::addToGroup(QAbstractButton *button)
{
    m_group->addButton(button);
}

void CardBar::removeButton(CardButton *button)
{
    if (!m_buttons.removeOne(button))
        return;
    m_group->removeButton(button);
    layout()->removeWidget(button);
    button->hide();
    button->deleteLater();
}

void CardBar::refit()
{
    if (m_buttons.isEmpty())
        return;
    const int w = cardButtonWidth(width(), int(m_buttons.size()));
    for (CardButton *button : std::as_const(m_buttons)) {
        button->setFixedWidth(w);
        QString caption = fitCardCaption(button->title(), w, button->fontMetrics());
        button->setText(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
    }
}

void CardBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    refit();
    emit resized();
}

} // namespace orv::app
