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

// The cards (the material windows in the work area) and their buttons on the card bar.

namespace orv::app {

CardButton *MainWindow::addCardButton(QMdiSubWindow *card, const QString &title)
{
    if (!card || cardIndex(card) >= 0)
        return cardButton(card);
    CardEntry entry;
    entry.card = card;
    card->setAttribute(Qt::WA_DeleteOnClose);

    entry.menuItem = new QAction(title, this);
    entry.menuItem->setCheckable(true);
    entry.menuItem->setChecked(true);
    m_windowMenu->addAction(entry.menuItem);
    connect(entry.menuItem, &QAction::triggered, this, [this, card] {
        card->show();
        m_mdi->setActiveSubWindow(card);
        if (QAction *item = cardMenuItem(card))
            item->setChecked(m_mdi->activeSubWindow() == card);
    });

    entry.button = m_cardBar->addButton(title);
    entry.button->setContextMenuPolicy(Qt::PreventContextMenu);
    connect(entry.button, &CardButton::leftClicked, this, [this, card] { cardButtonClicked(card); });
    connect(entry.button, &CardButton::rightClicked, this,
            [this, card](const QPoint &pos) { cardContextMenu(card, pos); });
    connect(card, &QObject::destroyed, this, &MainWindow::cardDestroyed);
    // A renamed material (its designation edited) renames its button and menu item.
    if (auto *form = qobject_cast<browse::MaterialCard *>(card->widget()))
        connect(form, &QWidget::windowTitleChanged, this, [this, card, form] {
            const int i = cardIndex(card);
            if (i < 0 || form->title().isEmpty())
                return;
            CardEntry &e = m_cards[i];
            e.button->setToolTip(form->title());
            e.button->setStatusTip(form->title());
            e.menuItem->setText(form->title());
            refitCardButtons();
        });
    // The card's controls take the help-topic button and show their page's help.
    if (card->widget())
        acceptHelpTopicDrops(card->widget(), true);
    m_cards.prepend(entry);
    // The new card is the current card; it may already be the active child window (shown
    // before it was announced), in which case no activation follows.
    m_searchButton->setChecked(false);
    m_currentCard = card;
    if (m_mdi->activeSubWindow() == card) {
        m_activeChild = card;
        syncCardLooks();
        m_searchWindowItem->setChecked(false);
        updateSearchButton();
    }
    refitCardButtons();
    return entry.button;
}

QList<QMdiSubWindow *> MainWindow::openCards() const
{
    QList<QMdiSubWindow *> list;
    for (const CardEntry &entry : m_cards)
        list.append(entry.card);
    return list;
}

int MainWindow::cardIndex(const QMdiSubWindow *card) const
{
    for (int i = 0; i < m_cards.size(); ++i) {
        if (m_cards.at(i).card == card)
            return i;
    }
    return -1;
}

CardButton *MainWindow::cardButton(QMdiSubWindow *card) const
{
    const int i = cardIndex(card);
    return i >= 0 ? m_cards.at(i).button : nullptr;
}

QAction *MainWindow::cardMenuItem(QMdiSubWindow *card) const
{
    const int i = cardIndex(card);
    return i >= 0 ? m_cards.at(i).menuItem : nullptr;
}

bool MainWindow::cardActive() const
{
    return m_currentCard && m_mdi->activeSubWindow() == m_currentCard;
}

QWidget *MainWindow::activeCardForm() const
{
    return cardActive() ? m_currentCard->widget() : nullptr;
}

void MainWindow::refitCardButtons()
{
    m_cardBar->refit();
}

void MainWindow::cardButtonClicked(QMdiSubWindow *card)
{
    if (cardIndex(card) < 0)
        return;
    // A click on the current card's button steps its window through normal, maximised and
    // minimised; any other card is just brought to the front.
    if (card == m_currentCard) {
        if (card->isMinimized())
            card->showNormal();
        else if (card->isMaximized())
            card->showMinimized();
        else
            card->showMaximized();
    }
    card->show();
    m_mdi->setActiveSubWindow(card);
    if (CardButton *button = cardButton(card))
        button->setChecked(true);
}

void MainWindow::cardContextMenu(QMdiSubWindow *card, const QPoint &globalPos)
{
    card->show();
    m_mdi->setActiveSubWindow(card);
    if (CardButton *button = cardButton(card))
        button->setChecked(true);
    QMenu menu(this);
    QAction *minimise = menu.addAction(QStringLiteral("Mi&nimalizovat"));
    minimise->setEnabled(!card->isMinimized());
    menu.addSeparator();
    QAction *close = menu.addAction(QStringLiteral("&Zavřít Ctrl+F4"));
    QPointer<QMdiSubWindow> target(card);
    QAction *chosen = menu.exec(globalPos);
    if (!target)
        return;
    if (chosen == minimise)
        minimiseCard(target);
    else if (chosen == close)
        closeCard(target);
}

void MainWindow::minimiseCard(QMdiSubWindow *card)
{
    if (card)
        card->showMinimized();
}

void MainWindow::closeCard(QMdiSubWindow *card)
{
    if (card)
        card->close();
}

void MainWindow::cardDestroyed(QObject *object)
{
    for (int i = 0; i < m_cards.size(); ++i) {
        if (m_cards.at(i).card != object)
            continue;
        const CardEntry entry = m_cards.takeAt(i);
        m_cardBar->removeButton(entry.button);
        m_windowMenu->removeAction(entry.menuItem);
        delete entry.menuItem;
        if (m_activeChild == object)
            m_activeChild = nullptr;
        emit cardClosed(static_cast<QMdiSubWindow *>(object));
        break;
    }
    if (!m_closing)
        refitCardButtons();
}

void MainWindow::subWindowActivated(QMdiSubWindow *window)
{
    // Another top-level window (a dialog, the help) taking the focus is not a change of the
    // active child window.
    if (!window && !m_closing && !m_mdi->subWindowList().isEmpty() && QApplication::activeWindow() != this)
        return;
    QMdiSubWindow *previous = m_activeChild;
    if (previous == window) {
        updateSearchButton();
        return;
    }
    m_activeChild = window;
    if (window && cardIndex(window) >= 0)
        m_currentCard = window;
    syncCardLooks();
    if (previous && cardIndex(previous) >= 0)
        emit cardDeactivated(previous);
    if (window && cardIndex(window) >= 0)
        emit cardActivated(window);
    if (window && window == m_search)
        m_searchButton->setChecked(true);
    m_searchWindowItem->setChecked(window && window == m_search);
    updateSearchButton();
    refitCardButtons();
}

void MainWindow::syncCardLooks()
{
    // The active card's button is pressed and bold and its menu item checked; the others not.
    QMdiSubWindow *active = m_mdi->activeSubWindow();
    for (const CardEntry &entry : std::as_const(m_cards)) {
        const bool on = entry.card == active;
        entry.button->setActiveLook(on);
        if (on)
            entry.button->setChecked(true);
        entry.menuItem->setChecked(on);
    }
}

} // namespace orv::app
