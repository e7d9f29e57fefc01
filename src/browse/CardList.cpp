#include "browse/CardList.h"

#include "db/DbError.h"
#include "ui/MessageDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>

namespace orv::browse {

namespace {

// The card's child window saves the card's settings (when AutoSave is on) as it closes.
class CardWindow : public QMdiSubWindow
{
public:
    CardWindow() { setAttribute(Qt::WA_DeleteOnClose); }
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (auto *card = qobject_cast<MaterialCard *>(widget()))
            card->saveSettingsIfAutoSave();
        QMdiSubWindow::closeEvent(event);
        if (event->isAccepted() && onClosed)
            onClosed();
    }
};

} // namespace

CardList::CardList(QMdiArea *area, const CardEnvironment &environment, QObject *parent)
    : QObject(parent), m_area(area), m_env(environment)
{
    qRegisterMetaType<QMdiSubWindow *>();
    showInformation = [](const QString &text) { ui::message(text, ui::MsgType::Information, ui::MsgButton::OK); };
    showError = [](const QString &text) { ui::message(text, ui::MsgType::Error, ui::MsgButton::OK); };
    showPlainError = [](const QString &text) { ui::plainMessage(text, ui::MsgType::Error, ui::MsgButton::OK); };
    if (m_area)
        connect(m_area, &QMdiArea::subWindowActivated, this, &CardList::subWindowActivated);
}

CardList::~CardList()
{
    for (const Entry &e : std::as_const(m_cards)) {
        disconnect(e.card, nullptr, this, nullptr);
        if (auto *w = dynamic_cast<CardWindow *>(e.window))
            w->onClosed = nullptr;
    }
}

QString CardList::limitMessage()
{
    return QStringLiteral("Překročen maximální počet otevřených oken.\r\r"
                          "Zavřením některého otevřeného okna, budete moci otevřít jiné.");
}

QString CardList::failureMessage(Origin origin, const QString &errorText)
{
    QString text = QStringLiteral("Málo paměti pro otevření dalšího okna.\r\r"
                                  "Ukončete jiné aplikace nebo zavřete jiné okno.");
    if (origin == Origin::ContentsTree)
        text += QStringLiteral("\r\rChyba: ") + errorText;
    return text;
}

QString CardList::loadFailureMessage(const QString &errorText)
{
    return QStringLiteral("Málo paměti pro otevření dalšího okna.\r\r"
                          "Ukončete jiné aplikace nebo zavřete jiné okno.\r\r")
        + errorText;
}

QString CardList::damagedDataMessage(const db::DbError &error)
{
    static const QRegularExpression missingTable(QStringLiteral("no such table: (?:\\w+\\.)?(\\w+)"));
    const QRegularExpressionMatch m = missingTable.match(error.message());
    const QString head = m.hasMatch() ? QStringLiteral("Materiál nelze zobrazit: v databázi chybí tabulka %1.").arg(m.captured(1))
                                      : QStringLiteral("Materiál nelze zobrazit.");
    return head + QStringLiteral("\n\n") + error.text();
}

MaterialCard *CardList::findCard(int materialNo) const
{
    for (const Entry &e : m_cards)
        if (e.card->materialNo() == materialNo)
            return e.card;
    return nullptr;
}

QList<MaterialCard *> CardList::cards() const
{
    QList<MaterialCard *> list;
    for (const Entry &e : m_cards)
        list << e.card;
    return list;
}

QMdiSubWindow *CardList::windowOf(const MaterialCard *card) const
{
    for (const Entry &e : m_cards)
        if (e.card == card)
            return e.window;
    return nullptr;
}

MaterialCard *CardList::activeCard() const
{
    if (!m_current || !m_area)
        return nullptr;
    return m_area->activeSubWindow() == windowOf(m_current) ? m_current.data() : nullptr;
}

QString CardList::freeName() const
{
    // "fMaterial", then "fMaterial_1", ...: the help finds every card's page by the first name.
    for (int i = 0;; ++i) {
        const QString name = i == 0 ? QStringLiteral("fMaterial") : QStringLiteral("fMaterial_%1").arg(i);
        bool used = false;
        for (const Entry &e : m_cards)
            used = used || e.card->objectName() == name;
        if (!used)
            return name;
    }
}

MaterialCard *CardList::openCard(int materialNo, const QString &title, Origin origin, std::optional<Position> position)
{
    if (MaterialCard *open = findCard(materialNo)) {
        QMdiSubWindow *w = windowOf(open);
        if (w->isMinimized())
            w->showNormal();
        w->show();
        m_area->setActiveSubWindow(w);
        if (position)
            open->positionCard(position->semiProduct, position->dimension, position->state);
        return open;
    }
    if (count() >= maximumCards) {
        showInformation(limitMessage());
        return nullptr;
    }

    QPointer<MaterialCard> card;
    QPointer<QMdiSubWindow> window;
    try {
        card = new MaterialCard(m_env);
        card->setObjectName(freeName());
        auto *cardWindow = new CardWindow;
        window = cardWindow;
        window->setWidget(card);
        // The card leaves the list as its window closes; the window itself goes later.
        cardWindow->onClosed = [this, c = card.data()] { cardDestroyed(c); };
        m_cards.prepend({card, window});
        connect(card, &QObject::destroyed, this, &CardList::cardDestroyed);
        emit countChanged(count());

        card->setTitle(title);
        window->setWindowTitle(card->windowTitle());
        emit cardCreated(window, title);
        m_current = card;
        m_area->addSubWindow(window);
        window->showMaximized();
        m_area->setActiveSubWindow(window);
    } catch (const std::exception &e) {
        QApplication::restoreOverrideCursor();
        if (window)
            delete window.data();
        else
            delete card.data();
        showError(failureMessage(origin, QString::fromUtf8(e.what())));
        return nullptr;
    }

    try {
        card->load(materialNo);
    } catch (const db::DbError &e) {
        // A damaged or incomplete database is not a lack of memory: say which file and what
        // is missing in it, as the start-up does.
        showError(damagedDataMessage(e));
        if (window)
            window->close();
        return nullptr;
    } catch (const std::exception &e) {
        // The card cannot show its material: say why and close it again.
        showPlainError(loadFailureMessage(QString::fromUtf8(e.what())));
        if (window)
            window->close();
        return nullptr;
    }
    if (!card->materialExists()) {
        // Removed since the tree or the hit list was read: a message, not an empty card.
        showPlainError(MaterialCard::deletedMessage(title));
        if (window)
            window->close();
        return nullptr;
    }
    if (position)
        card->positionCard(position->semiProduct, position->dimension, position->state);
    return card;
}

void CardList::subWindowActivated(QMdiSubWindow *window)
{
    // A dialog taking the focus is not a change of the active child window.
    if (!window && m_area && !m_area->subWindowList().isEmpty() && QApplication::activeWindow()
        && QApplication::activeWindow() != m_area->window())
        return;
    MaterialCard *now = nullptr;
    for (const Entry &e : std::as_const(m_cards))
        if (e.window == window)
            now = e.card;
    if (now == m_active)
        return;
    if (m_active) {
        MaterialCard *previous = m_active;
        previous->saveSettingsIfAutoSave();
        emit cardDeactivated(previous);
    }
    m_active = now;
    if (now) {
        m_current = now;
        emit cardActivated(now);
    }
}

void CardList::cardDestroyed(QObject *object)
{
    for (int i = 0; i < m_cards.size(); ++i) {
        if (m_cards.at(i).card != object)
            continue;
        m_cards.removeAt(i);
        // The main window has no current card after a card is destroyed.
        m_current = nullptr;
        emit cardClosed(static_cast<MaterialCard *>(object));
        emit countChanged(count());
        return;
    }
}

void CardList::closeCard(MaterialCard *card)
{
    if (QMdiSubWindow *w = windowOf(card))
        w->close();
}

void CardList::closeAll()
{
    const QList<Entry> entries = m_cards;
    for (const Entry &e : entries)
        if (e.window)
            e.window->close();
}

void CardList::resetPanelSizes()
{
    for (const Entry &e : std::as_const(m_cards))
        e.card->resetPanelSizes();
}

} // namespace orv::browse
