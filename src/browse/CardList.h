#pragma once
// The open-card list: the material cards open in the main window's child-window area, newest
// first, at most nine. Open card is the one way a card is opened or brought to the front.
// The main window gives each new card its card-bar button and Window-menu item when it hears
// cardCreated, and follows activation through the child-window area as for any child.

#include "browse/MaterialCard.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

#include <QMdiArea>
class QMdiSubWindow;

namespace orv::db {
class DbError;
}

namespace orv::browse {

class CardList : public QObject
{
    Q_OBJECT
public:
    static constexpr int maximumCards = 9;

    // Who asked for the card: the failure message names the error only for the contents
    // tree and the quick find.
    enum class Origin { ContentsTree, SearchWindow };

    // Semi-product, dimension and state of a property-search hit.
    struct Position
    {
        int semiProduct = 0;
        int dimension = 0;
        int state = 0;
    };

    CardList(QMdiArea *area, const CardEnvironment &environment, QObject *parent = nullptr);
    ~CardList() override;

    // Opens the card of material N, or brings its open card to the front. Returns the card,
    // or nullptr when none opened (limit reached, failure).
    MaterialCard *openCard(int materialNo, const QString &title, Origin origin = Origin::ContentsTree,
                           std::optional<Position> position = std::nullopt);
    // The open card of material N (card finder), or nullptr.
    MaterialCard *findCard(int materialNo) const;
    QList<MaterialCard *> cards() const; // newest first
    int count() const { return int(m_cards.size()); }
    // The card last activated or opened; none after a card is destroyed.
    MaterialCard *currentCard() const { return m_current; }
    // The current card when it is the active child window.
    MaterialCard *activeCard() const;
    QMdiSubWindow *windowOf(const MaterialCard *card) const;
    QMdiArea *area() const { return m_area; }

    void closeCard(MaterialCard *card);
    void closeAll();
    // The options window's standard settings: every open card's panels to their standard sizes.
    void resetPanelSizes();

    CardEnvironment &environment() { return m_env; }

    static QString limitMessage();
    static QString failureMessage(Origin origin, const QString &errorText);
    static QString loadFailureMessage(const QString &errorText);
    // A database error while the card loads (a missing table, a damaged file): the file and
    // the fault in Czech; shown through showError.
    static QString damagedDataMessage(const db::DbError &error);

    // Where the messages go; the defaults show the standard Czech message dialog (limit,
    // failure) and the plain one with the caption "Error" (load failure). Tests replace them.
    std::function<void(const QString &text)> showInformation;
    std::function<void(const QString &text)> showError;
    std::function<void(const QString &text)> showPlainError;

signals:
    // A card window was created: give it its card-bar button and Window-menu item (title T).
    void cardCreated(QMdiSubWindow *window, const QString &title);
    void cardActivated(orv::browse::MaterialCard *card);
    void cardDeactivated(orv::browse::MaterialCard *card);
    void cardClosed(orv::browse::MaterialCard *card);
    void countChanged(int count);

private:
    void subWindowActivated(QMdiSubWindow *window);
    void cardDestroyed(QObject *card);
    QString freeName() const;

    struct Entry
    {
        MaterialCard *card = nullptr;
        QMdiSubWindow *window = nullptr;
    };

    QPointer<QMdiArea> m_area;
    CardEnvironment m_env;
    QList<Entry> m_cards; // newest first
    QPointer<MaterialCard> m_current;
    QPointer<MaterialCard> m_active;
};

} // namespace orv::browse
