#pragma once
// The program's frame: a maximised multiple-document window holding the search window and
// the material cards. It carries the main menu, the tool area of five movable toolbars, the
// left pane (quick find and contents tree), the bottom bar with the "Vyhledávání" button and
// the card bar, the help bridge, and the program's two general settings AutoSave and
// economy mode. Its layout settings live in section "CENTRAL" of Zeb.ini.
//
// Material cards are child windows it is told about (addCardButton). From the active card's
// widget it reads these properties for the enabling of its actions:
//   "materialNo" (int), "pdfFile" (QString), "hasEquivalents", "hasHeatTreatment",
//   "hasNote" (bool).
// Cards are named "fMaterial" (further ones "fMaterial_1", ...), the search window's form
// "fHledani": help pages are found by these names.

#include "core/Registry.h"

#include <QList>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>

#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;

namespace orv::db {
class MainDataModule;
class OwnDataModule;
}
namespace orv::browse {
class CardList;
class ContentsPane;
}

namespace orv::app {

class CardBar;
class CardButton;
class HelpBridge;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Without a data module (tests, benchmarks of the frame) the left pane stays empty.
    explicit MainWindow(db::MainDataModule *data = nullptr, QWidget *parent = nullptr);
    ~MainWindow() override;

    // ---- parts of the window
    QMdiArea *mdiArea() const { return m_mdi; }
    browse::ContentsPane *contentsPane() const { return m_pane; }
    // The open-card list (only with a data module).
    browse::CardList *cardList() const { return m_cardList; }
    QWidget *leftPane() const { return m_left; }
    QSplitter *splitter() const { return m_splitter; }
    // The quick-find box (the start-up puts the focus there).
    QWidget *quickFind() const;
    QMdiSubWindow *searchWindow() const { return m_search; }
    CardBar *cardBar() const { return m_cardBar; }
    QToolButton *searchButton() const { return m_searchButton; }
    QToolButton *helpTopicButton() const { return m_helpTopic; }
    HelpBridge *helpBridge() const { return m_help; }
    const InstalledComponents &components() const { return m_components; }

    // ---- actions (enabled by their rules whenever the interface is idle)
    struct Actions
    {
        // "Okno"
        QAction *tileVertically = nullptr;
        QAction *tileHorizontally = nullptr;
        QAction *cascade = nullptr;
        QAction *minimiseAll = nullptr;
        // "Hledání v obsahu" (the left pane's own when it exists)
        QAction *findMaterial = nullptr;
        QAction *showMaterial = nullptr;
        QAction *notesFilter = nullptr;
        QAction *expandChapter = nullptr;
        QAction *collapseChapter = nullptr;
        // "Materiál"
        QAction *addNote = nullptr;
        QAction *editNote = nullptr;
        QAction *deleteNote = nullptr;
        QAction *newOwnMaterial = nullptr;     // aInsertMaterial
        QAction *editOwnMaterial = nullptr;    // aEditMaterial
        QAction *deleteOwnMaterial = nullptr;  // aDeleteMaterial
        QAction *copyToOwn = nullptr;          // aDuplicateMaterial
        QAction *printSheet = nullptr;
        QAction *printEquivalents = nullptr;
        QAction *printInfo = nullptr;
        QAction *printInfoMech = nullptr;
        QAction *printHeatTreatment = nullptr;
        // "Zobrazení"
        QAction *refresh = nullptr; // aRefresh, F5
        QAction *options = nullptr;
        // "Nápověda"
        QAction *homePage = nullptr;
        QAction *help = nullptr;
        QAction *sendMail = nullptr;
        QAction *customerService = nullptr;
        QAction *about = nullptr;
        QAction *standardsInfo = nullptr;
        // The search window's actions shown on the "Hledání" toolbar and menu.
        QAction *searchFind = nullptr;       // aFind
        QAction *searchShow = nullptr;       // aShow
        QAction *searchSelect = nullptr;     // aSelect
        QAction *searchInsert = nullptr;     // aInsert
        QAction *searchChange = nullptr;     // aChange
        QAction *searchDelete = nullptr;     // aDelete
        QAction *searchLoadAll = nullptr;    // aNacist
        QAction *searchDeleteAll = nullptr;  // aDeleteAll
        QAction *searchStandard = nullptr;   // aNastaveni
    };
    const Actions &actions() const { return m_actions; }

    // Check items of "Zobrazení" / "Panel nástrojů" and of "Okno".
    QAction *toolAreaItem() const { return m_toolAreaItem; }
    QAction *toolbarItem(int index) const; // 0 "Hledání v obsahu" ... 4 "Nápověda"
    QToolBar *toolbar(int index) const;     // the same order
    QAction *searchWindowItem() const { return m_searchWindowItem; }
    QMenu *searchMenu() const { return m_searchMenu; }
    QMenu *materialMenu() const { return m_materialMenu; }
    QMenu *windowMenu() const { return m_windowMenu; }

    // ---- the program's general settings
    bool autoSave() const { return m_autoSave; }
    void setAutoSave(bool on) { m_autoSave = on; }
    bool economyMode() const { return m_economyMode; }
    void setEconomyMode(bool on) { m_economyMode = on; }

    // ---- search window
    // Creates the search window as a child window around `form` (a placeholder when none)
    // and shows it. Closing it only minimises it.
    void createSearchWindow(QWidget *form = nullptr);
    bool searchWindowActive() const;
    void showSearchWindow();

    // ---- material cards
    // The card's Window-menu item (checked, its click shows the card) and its card-bar button
    // (pressed, bold, 20-character caption, hint the whole title); then the captions are
    // refitted. The card leaves the list, the bar and the menu when it is destroyed.
    CardButton *addCardButton(QMdiSubWindow *card, const QString &title);
    // Newest first.
    QList<QMdiSubWindow *> openCards() const;
    int openCardCount() const { return int(m_cards.size()); }
    QMdiSubWindow *currentCard() const { return m_currentCard; }
    // There is a current card and it is the active child window.
    bool cardActive() const;
    CardButton *cardButton(QMdiSubWindow *card) const;
    QAction *cardMenuItem(QMdiSubWindow *card) const;
    void refitCardButtons();
    // What a left click on a card's button does (its state cycle when it is the current card).
    void cardButtonClicked(QMdiSubWindow *card);
    // Minimise and close of the card button's context menu.
    void minimiseCard(QMdiSubWindow *card);
    void closeCard(QMdiSubWindow *card);

    // ---- window arrangement
    void tileVertically();
    void tileHorizontally();
    void cascade();
    void minimiseAllCards();

    // ---- settings
    void restoreSettings();
    void saveSettings() const;
    // Standard settings (the options window's button).
    void resetToStandardSettings();

    // Help contents / context help through the help bridge.
    void showHelpContents();
    void showContextHelp(int context);
    // Makes `widget` and everything in it accept the help-topic button; a drop shows the
    // help of the nearest enclosing control with a help context, or the contents.
    void acceptHelpTopicDrops(QWidget *widget, bool contextOfControl);

    // ---- other users' changes
    // "Obnovit" (F5): reads the contents tree and every open card again; a card whose
    // material is gone says so and closes. False when a database error was shown.
    bool refreshData();
    // "server host:port, databáze ..., uživatel ..." when the program works on the team's
    // server, else "".
    QString databasePlace() const { return m_databasePlace; }
    QLabel *databasePlaceLabel() const { return m_placeLabel; }
    // Messages of the refresh (default: the standard Czech message dialog). For tests.
    std::function<void(const QString &text)> refreshMessage;

    // Later windows plug in here: what the actions of their windows do until then is nothing.
    std::function<void(int materialNo, const QString &title)> openCard;
    // The own-material actions act through this data module (start-up sets it).
    void setOwnData(db::OwnDataModule *own);

signals:
    void closing();
    void cardActivated(QMdiSubWindow *card);
    void cardDeactivated(QMdiSubWindow *card);
    void cardClosed(QMdiSubWindow *card);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showDatabasePlace();
    QString m_databasePlace;
    QLabel *m_placeLabel = nullptr;

    struct CardEntry
    {
        QMdiSubWindow *card = nullptr;
        CardButton *button = nullptr;
        QAction *menuItem = nullptr;
    };

    void createActions();
    void createWindowActions();
    void createContentsActions();
    void createNoteActions();
    void createOwnMaterialActions();
    void createPrintActions();
    void createHelpActions();
    void createSearchActions();
    void createMenus();
    void createToolbars();
    void createLeftPane();
    void createCardList();
    void createBottomBar();
    void applyToolbarVisibility();
    void placeToolbars(const QList<QPoint> &positions);
    QList<QPoint> toolbarPositions() const;
    void subWindowActivated(QMdiSubWindow *window);
    void cardDestroyed(QObject *card);
    void updateSearchButton();
    void syncCardLooks();
    int cardIndex(const QMdiSubWindow *card) const;
    void cardContextMenu(QMdiSubWindow *card, const QPoint &globalPos);
    void tile(Qt::Orientation orientation);
    // What closing the search window does: it is minimised and the windows under it stay
    // whole inside the area.
    void hideSearchWindow();
    void keepWindowsInsideArea();
    QWidget *activeCardForm() const;

    db::MainDataModule *m_data = nullptr;
    InstalledComponents m_components;
    int m_dataOnMedium = 0;
    bool m_autoSave = true;
    bool m_economyMode = false;

    Actions m_actions;
    QAction *m_toolAreaItem = nullptr;
    QList<QAction *> m_toolbarItems;
    QList<QToolBar *> m_toolbars;
    QAction *m_searchWindowItem = nullptr;
    QAction *m_cardItemsSeparator = nullptr;
    QMenu *m_searchMenu = nullptr;
    QMenu *m_materialMenu = nullptr;
    QMenu *m_windowMenu = nullptr;
    QMenu *m_printMenu = nullptr;
    QMenu *m_treeMenu = nullptr;
    QToolButton *m_helpTopic = nullptr;

    QSplitter *m_splitter = nullptr;
    QWidget *m_left = nullptr;
    browse::ContentsPane *m_pane = nullptr;
    browse::CardList *m_cardList = nullptr;
    QLineEdit *m_placeholderFind = nullptr;
    QMdiArea *m_mdi = nullptr;
    QMdiSubWindow *m_search = nullptr;
    QToolButton *m_searchButton = nullptr;
    CardBar *m_cardBar = nullptr;
    HelpBridge *m_help = nullptr;

    QList<CardEntry> m_cards; // newest first
    QPointer<QMdiSubWindow> m_currentCard;
    QPointer<QMdiSubWindow> m_activeChild;
    bool m_closing = false;
    bool m_firstActivation = true; // the quick find gets the keyboard then

};

} // namespace orv::app
