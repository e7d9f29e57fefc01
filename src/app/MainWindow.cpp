#include "app/MainWindow.h"

#include "app/CardBar.h"
#include "app/HelpBridge.h"
#include "app/HelpRequests.h"
#include "app/HelpTopicButton.h"
#include "app/Icons.h"
#include "app/PrintoutActions.h"
#include "app/SheetPrinting.h"
#include "app/UserDataWiring.h"
#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "browse/MaterialCard.h"
#include "browse/PdfSheet.h"
#include "browse/UserNotes.h"
#include "core/DataRoot.h"
#include "core/Paths.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "db/Schema.h"
#include "ui/ActionUpdater.h"
#include "ui/ExternalOpen.h"
#include "ui/HelpContexts.h"
#include "ui/MessageDialog.h"
#include "userdata/OwnMaterialActions.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <optional>

namespace orv::app {

namespace {

const QString section = QStringLiteral("CENTRAL");
constexpr int standardLeftPaneWidth = 265;
constexpr int toolRowStep = 26; // the stored top of the second toolbar row is 28

const QString publisherWeb = QStringLiteral("https://www.halmberg.cz/");
const QString publisherMail = QStringLiteral("mailto:info@halmberg.cz");

// Toolbars in the order of the "Panel nástrojů" submenu.
enum ToolbarIndex { ContentsBar = 0, SearchBar = 1, MaterialBar = 2, OptionsBar = 3, HelpBar = 4 };

const char *const toolbarKeys[] = {"ContentsToolbar", "SearchToolbar", "MaterialToolbar", "OptionsToolbar"};

// Where the toolbars stand in the tool area at first; "Nápověda" is not kept in the
// settings and always starts the second row.
QList<QPoint> initialToolbarPositions()
{
    return {{11, 2}, {155, 2}, {376, 2}, {602, 2}, {11, 28}};
}

QList<QPoint> standardToolbarPositions()
{
    // The standard settings put "Možnosti" closer to "Materiál" than the first layout does.
    return {{11, 2}, {155, 2}, {376, 2}, {458, 2}, {11, 28}};
}

QAction *makeAction(QObject *parent, const char *name, const QString &caption, const QString &hint,
                    std::optional<MainImage> image = std::nullopt, const QKeySequence &key = {})
{
    auto *a = new QAction(caption, parent);
    a->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) {
        a->setToolTip(hint);
        a->setStatusTip(hint);
    }
    if (image)
        a->setIcon(mainImage(*image));
    if (!key.isEmpty())
        a->setShortcut(key);
    return a;
}

bool cardFlag(const QWidget *form, const char *name)
{
    return form && form->property(name).toBool();
}

} // namespace

MainWindow::MainWindow(db::MainDataModule *data, QWidget *parent)
    : QMainWindow(parent)
    , m_data(data)
{
    // 1. No cards yet.
    setObjectName(QStringLiteral("CentralForm"));
    setWindowTitle(QStringLiteral("Orvalis 2.1"));
    resize(767, 491);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    m_help = new HelpBridge(this);
    setHelpFrame(this);
    installHelpRequests(m_help);
    ui::setHelpHandler([this](const QString &file, int context) {
        if (context != 0)
            m_help->showContext(context, file);
        else
            m_help->showContents(file);
    });

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientPanel"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->setChildrenCollapsible(false);
    column->addWidget(m_splitter, 1);

    createLeftPane();
    m_mdi = new QMdiArea(m_splitter);
    m_mdi->setObjectName(QStringLiteral("ClientArea"));
    m_mdi->setBackground(palette().brush(QPalette::Dark));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_splitter->addWidget(m_left);
    m_splitter->addWidget(m_mdi);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &MainWindow::subWindowActivated);

    createBottomBar();
    column->addWidget(m_cardBar->parentWidget());
    setCentralWidget(central);

    createActions();
    createCardList();
    createMenus();
    createToolbars();
    statusBar()->setSizeGripEnabled(false);
    showDatabasePlace();

    // 2. The stored settings; 3. the installed components.
    restoreSettings();
    const Registry machine(Registry::Scope::Machine);
    m_components = readInstalledComponents(machine);
    m_dataOnMedium = machine.readInteger(installKey(), install::dataOnMedium());

    // 4. Help: with the help installed the data root is looked up again (the help may lie
    // beside the catalogue on the medium); without it there is no help file at all.
    if (m_components.help) {
        if (m_data)
            m_data->setDataRoot(dataRoot(db::catalogueFileName()));
    } else {
        HelpBridge::setApplicationHelpFile(QString());
        m_helpTopic->setEnabled(false);
    }

    // The help-topic button may be dropped on the tool area, its buttons and the left pane;
    // each of them then shows the help contents.
    for (QToolBar *bar : std::as_const(m_toolbars))
        acceptHelpTopicDrops(bar, false);
    acceptHelpTopicDrops(m_left, false);
}

MainWindow::~MainWindow()
{
    // Cards first (from the head of the list), then the search window; then the settings.
    m_closing = true;
    // Closing (not just deleting) lets every window save its own settings on the way out.
    const QList<CardEntry> cards = m_cards;
    for (const CardEntry &entry : cards) {
        QPointer<QMdiSubWindow> card(entry.card);
        card->close();
        delete card.data();
    }
    if (m_search) {
        m_search->close();
        delete m_search;
    }
    if (m_autoSave)
        saveSettings();
    ui::setHelpHandler(nullptr);
    installHelpRequests(nullptr);
    setHelpFrame(nullptr);
}

// ---------------------------------------------------------------- parts of the window

void MainWindow::createLeftPane()
{
    if (m_data) {
        m_pane = new browse::ContentsPane(*m_data, m_splitter);
        m_pane->setObjectName(QStringLiteral("LeftPane"));
        m_left = m_pane;
        connect(m_pane, &browse::ContentsPane::openCardRequested, this, [this](int material, const QString &title) {
            if (openCard)
                openCard(material, title);
        });
        return;
    }
    // Without data: the pane's frame with an empty find box, so that the window still lays
    // out as it will with the catalogue.
    m_left = new QWidget(m_splitter);
    m_left->setObjectName(QStringLiteral("LeftPane"));
    m_left->setMinimumWidth(257);
    auto *layout = new QVBoxLayout(m_left);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(new QLabel(QStringLiteral("Jdi v obsahu na:"), m_left));
    m_placeholderFind = new QLineEdit(m_left);
    m_placeholderFind->setObjectName(QStringLiteral("QuickFind"));
    layout->addWidget(m_placeholderFind);
    layout->addStretch(1);
}

void MainWindow::createCardList()
{
    if (!m_data)
        return;
    browse::CardEnvironment env = browse::CardEnvironment::fromDataModule(*m_data);
    env.economyMode = [this] { return m_economyMode; };
    env.autoSave = [this] { return m_autoSave; };
    env.pdfInstalled = [this] { return m_components.pdf; };
    m_cardList = new browse::CardList(m_mdi, env, this);
    connect(m_cardList, &browse::CardList::cardCreated, this, &MainWindow::addCardButton);
    // A closed card leaves the bar at once, not only when its window is finally deleted.
    connect(m_cardList, &browse::CardList::cardClosed, this, [this](browse::MaterialCard *card) {
        for (const CardEntry &entry : std::as_const(m_cards)) {
            if (entry.card->widget() == card) {
                cardDestroyed(entry.card);
                break;
            }
        }
    });
    openCard = [this](int material, const QString &title) { m_cardList->openCard(material, title); };

    const Actions &a = m_actions;
    auto activeCard = [this] { return m_cardList->activeCard(); };
    connect(a.addNote, &QAction::triggered, this, [this, activeCard] { browse::NoteActions().addNote(activeCard(), this); });
    connect(a.editNote, &QAction::triggered, this, [this, activeCard] { browse::NoteActions().editNote(activeCard(), this); });
    connect(a.deleteNote, &QAction::triggered, this, [activeCard] { browse::NoteActions().deleteNote(activeCard()); });
    connect(a.printSheet, &QAction::triggered, this, [this, activeCard] {
        if (browse::MaterialCard *card = activeCard())
            printMaterialSheet(browse::materialSheetPath(m_data->dataRoot(), card->pdfFile()), this);
    });
    auto print = [this, activeCard](QAction *action, Printout which) {
        connect(action, &QAction::triggered, this, [=, this] { openPrintout(which, activeCard(), m_data, this); });
    };
    print(a.printEquivalents, Printout::Equivalents);
    print(a.printInfo, Printout::Info);
    print(a.printInfoMech, Printout::InfoMech);
    print(a.printHeatTreatment, Printout::HeatTreatment);
    wireOptionsAction(*this, *m_data);
}

void MainWindow::setOwnData(db::OwnDataModule *own)
{
    if (own && m_data)
        wireOwnMaterialActions(*this, *own);
}

void MainWindow::createBottomBar()
{
    auto *bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("BottomBar"));
    bottom->setFixedHeight(26);
    auto *row = new QHBoxLayout(bottom);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_searchButton = new QToolButton(bottom);
    m_searchButton->setObjectName(QStringLiteral("SearchButton"));
    m_searchButton->setText(QStringLiteral("Vyhledávání"));
    m_searchButton->setAutoRaise(true);
    m_searchButton->setCheckable(true);
    m_searchButton->setFocusPolicy(Qt::NoFocus);
    m_searchButton->setFixedSize(77, 26);
    QFont bold = m_searchButton->font();
    bold.setBold(true);
    m_searchButton->setFont(bold);
    row->addWidget(m_searchButton);
    m_cardBar = new CardBar(bottom);
    m_cardBar->setProperty("helpContext", help::CardBar);
    m_cardBar->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_cardBar->addToGroup(m_searchButton);
    row->addWidget(m_cardBar, 1);
    connect(m_searchButton, &QToolButton::clicked, this, [this] {
        if (!searchWindowActive())
            showSearchWindow();
        updateSearchButton();
    });
    updateSearchButton();
}

void MainWindow::createContentsActions()
{
    if (m_pane) {
        m_actions.findMaterial = m_pane->findMaterialAction();
        m_actions.showMaterial = m_pane->showMaterialAction();
        m_actions.notesFilter = m_pane->notesFilterAction();
        m_actions.expandChapter = m_pane->expandChapterAction();
        m_actions.collapseChapter = m_pane->collapseChapterAction();
    } else {
        // Nothing to find in without the catalogue: the actions are there, never enabled.
        m_actions.findMaterial = makeAction(this, "aFindMaterial", QStringLiteral("&Hledat materiál"),
                                            QStringLiteral("Najít materiál v obsahu ..."), std::nullopt,
                                            QKeySequence(Qt::CTRL | Qt::Key_F));
        m_actions.showMaterial = makeAction(this, "aShowMaterial", QStringLiteral("&Zobrazit materiál"),
                                            QStringLiteral("Zobrazit materiál nalezený v obsahu ..."), std::nullopt,
                                            QKeySequence(Qt::CTRL | Qt::Key_M));
        m_actions.notesFilter = makeAction(this, "aNotesFilter", QStringLiteral("V obsahu pouze mat. s poznámkou"),
                                           QStringLiteral("Zobrazit v obsahu pouze materiál s uživatelskou poznámkou..."));
        m_actions.notesFilter->setCheckable(true);
        m_actions.expandChapter = makeAction(this, "aExpandChapter", QStringLiteral("Rozbalit kapitolu"),
                                             QStringLiteral("Zobrazit všechny podkapitoly a materiály..."));
        m_actions.collapseChapter = makeAction(this, "aCollapseChapter", QStringLiteral("&Sbalit kapitolu"),
                                               QStringLiteral("Skrýt všechny podkapitoly a materiály"));
        for (QAction *a : {m_actions.findMaterial, m_actions.showMaterial, m_actions.notesFilter,
                           m_actions.expandChapter, m_actions.collapseChapter})
            ui::enableWhen(a, [] { return false; });
    }
    // The pictures come from the main window's image list.
    m_actions.findMaterial->setIcon(mainImage(MainImage::FindMaterial));
    m_actions.showMaterial->setIcon(mainImage(MainImage::ShowMaterial));
    m_actions.notesFilter->setIcon(mainImage(MainImage::NotesFilter));
    m_actions.expandChapter->setIcon(mainImage(MainImage::ExpandChapter));
    m_actions.collapseChapter->setIcon(mainImage(MainImage::CollapseChapter));
}

void MainWindow::createActions()
{
    createWindowActions();
    createContentsActions();
    createNoteActions();
    createOwnMaterialActions();
    createPrintActions();
    // "Zobrazení"
    m_actions.refresh = makeAction(this, "aRefresh", QStringLiteral("&Obnovit"),
                                   QStringLiteral("Znovu načíst obsah a otevřené karty se změnami ostatních uživatelů..."),
                                   std::nullopt, QKeySequence(Qt::Key_F5));
    ui::enableWhen(m_actions.refresh, [this] { return m_data != nullptr; });
    connect(m_actions.refresh, &QAction::triggered, this, [this] { refreshData(); });
    m_actions.options = makeAction(this, "aOptions", QStringLiteral("Možnosti ..."),
                                   QStringLiteral("Zobrazit možnosti nastavení programu..."), MainImage::Options);
    createHelpActions();
    createSearchActions();
}

// "Okno": the arrangement of the child windows, also on the card bar.
void MainWindow::createWindowActions()
{
    Actions &a = m_actions;
    a.tileVertically = makeAction(this, "aTileVertical", QStringLiteral("Okna vedle se&be svisle"), {});
    a.tileHorizontally = makeAction(this, "aTileHorizontal", QStringLiteral("Okna nad sebou vo&dorovně"), {});
    a.cascade = makeAction(this, "aCascade", QStringLiteral("Okna uspořádat &kaskádně"), {});
    a.minimiseAll = makeAction(this, "aMinimizeAll", QStringLiteral("&Minimalizovat všechna okna"), {});
    connect(a.tileVertically, &QAction::triggered, this, &MainWindow::tileVertically);
    connect(a.tileHorizontally, &QAction::triggered, this, &MainWindow::tileHorizontally);
    connect(a.cascade, &QAction::triggered, this, &MainWindow::cascade);
    connect(a.minimiseAll, &QAction::triggered, this, &MainWindow::minimiseAllCards);
    m_cardBar->addActions({a.tileVertically, a.tileHorizontally, a.cascade, a.minimiseAll});
}

// "Materiál": the notes do their work once their windows exist.
void MainWindow::createNoteActions()
{
    Actions &a = m_actions;
    a.addNote = makeAction(this, "aAddNote", QStringLiteral("Přidat poznámku"),
                           QStringLiteral("Přidat uživatelskou poznámku k materiálu..."), MainImage::AddNote);
    a.editNote = makeAction(this, "aEditNote", QStringLiteral("Upravit poznámku"),
                            QStringLiteral("Upravit uživatelskou poznámku k materiálu..."), MainImage::EditNote);
    a.deleteNote = makeAction(this, "aDeleteNote", QStringLiteral("Smazat poznámku"),
                              QStringLiteral("Smazat uživatelskou poznámku k materiálu..."), MainImage::DeleteNote);
    ui::enableWhen(a.addNote, [this] { return cardActive() && !cardFlag(activeCardForm(), "hasNote"); });
    ui::enableWhen(a.editNote, [this] { return cardActive() && cardFlag(activeCardForm(), "hasNote"); });
    ui::enableWhen(a.deleteNote, [this] { return cardActive() && cardFlag(activeCardForm(), "hasNote"); });
}

// "Materiál": own materials, acting once their windows exist.
void MainWindow::createOwnMaterialActions()
{
    Actions &a = m_actions;
    a.newOwnMaterial = makeAction(this, "aInsertMaterial", QStringLiteral("Nový vlastní materiál"),
                                  QStringLiteral("Vložit nový vlastní materiál..."), MainImage::NewOwnMaterial);
    a.editOwnMaterial = makeAction(this, "aEditMaterial", QStringLiteral("Upravit vlastní materiál"),
                                   QStringLiteral("Upravit vlastní materiál..."), MainImage::EditOwnMaterial);
    a.deleteOwnMaterial = makeAction(this, "aDeleteMaterial", QStringLiteral("Smazat vlastní materiál"),
                                     QStringLiteral("Smazat vlastní materiál..."), MainImage::DeleteOwnMaterial);
    a.copyToOwn = makeAction(this, "aDuplicateMaterial", QStringLiteral("Kopírovat materiál do složky vlastní materiál"),
                             QStringLiteral("Zkopírovat materiál do složky vlastních materiálů..."), MainImage::CopyToOwn);
    // Own materials live in the user database: offered while it can be written, otherwise the
    // buttons say why. Edit, delete and copy follow the material the user is looking at.
    auto lookedAt = [this] { return m_data ? userdata::lookedAtMaterial(m_pane, m_cardList, *m_data) : 0; };
    auto lookedAtOwn = [this, lookedAt] { return m_data && userdata::isOwnMaterial(*m_data, lookedAt()); };
    auto writable = [this](QAction *action, const QString &hint) {
        const QString why = m_data ? m_data->userDataUnwritableReason() : QString();
        action->setToolTip(why.isEmpty() ? hint : why);
        return m_data && why.isEmpty();
    };
    ui::enableWhen(a.newOwnMaterial, [writable, action = a.newOwnMaterial] {
        return writable(action, QStringLiteral("Vložit nový vlastní materiál..."));
    });
    ui::enableWhen(a.editOwnMaterial, [writable, lookedAtOwn, action = a.editOwnMaterial] {
        return writable(action, QStringLiteral("Upravit vlastní materiál...")) && lookedAtOwn();
    });
    ui::enableWhen(a.deleteOwnMaterial, [writable, lookedAtOwn, action = a.deleteOwnMaterial] {
        return writable(action, QStringLiteral("Smazat vlastní materiál...")) && lookedAtOwn();
    });
    ui::enableWhen(a.copyToOwn, [writable, lookedAt, action = a.copyToOwn] {
        return writable(action, QStringLiteral("Zkopírovat materiál do složky vlastních materiálů...")) && lookedAt() != 0;
    });
}

// "Materiál" / print: enabled by what the active card has and which components are installed.
void MainWindow::createPrintActions()
{
    Actions &a = m_actions;
    a.printSheet = makeAction(this, "aPrintMatList", QStringLiteral("Tisk materiálového listu (z Acrobat Reader)"), {});
    a.printEquivalents = makeAction(this, "aPrintEkvivalenty", QStringLiteral("Tisk ekvivalentů"), {});
    a.printInfo = makeAction(this, "aPrintInfo", QStringLiteral("Tisk informací o materiálu"), {});
    a.printInfoMech = makeAction(this, "aPrintInfoMech", QStringLiteral("Tisk informací včetně mech. vlastností"), {});
    a.printHeatTreatment = makeAction(this, "aPrintTempProc", QStringLiteral("Tisk tepelného zpracování"), {});
    a.printSheet->setProperty("helpContext", help::PrintMaterialSheet);
    a.printEquivalents->setProperty("helpContext", help::PrintEquivalents);
    a.printInfo->setProperty("helpContext", help::PrintInfo);
    a.printInfoMech->setProperty("helpContext", help::PrintInfoMech);
    ui::enableWhen(a.printSheet, [this] {
        const QWidget *form = activeCardForm();
        return cardActive() && form && !form->property("pdfFile").toString().isEmpty() && m_components.pdf;
    });
    ui::enableWhen(a.printEquivalents, [this] {
        return cardActive() && cardFlag(activeCardForm(), "hasEquivalents") && m_components.printouts;
    });
    ui::enableWhen(a.printInfo, [this] { return cardActive() && m_components.printouts; });
    ui::enableWhen(a.printInfoMech, [this] { return cardActive() && m_components.printouts; });
    ui::enableWhen(a.printHeatTreatment, [this] {
        return cardActive() && cardFlag(activeCardForm(), "hasHeatTreatment") && m_components.printouts;
    });
}

// "Nápověda", and the F1 key.
void MainWindow::createHelpActions()
{
    Actions &a = m_actions;
    a.homePage = makeAction(this, "aHomePage", QStringLiteral("Halmberg &homepage"),
                            QStringLiteral("Zobrazit domácí stránku firmy Halmberg. ..."), MainImage::HomePage,
                            QKeySequence(Qt::CTRL | Qt::Key_F5));
    a.help = makeAction(this, "aHelp", QStringLiteral("Nápověda aplikace &Orvalis"),
                        QStringLiteral("Zobrazí obsah nápovědy aplikace Orvalis..."), MainImage::Help, QKeySequence(Qt::Key_F1));
    a.sendMail = makeAction(this, "aSendMail", QStringLiteral("&Poslat e-mail do Halmberg"),
                            QStringLiteral("Poslat e-mail do firmy Halmberg. ..."), MainImage::SendMail);
    a.customerService = makeAction(this, "aCustomerService", QStringLiteral("&Zákaznický servis"),
                                   QStringLiteral("Zobrazit stránku zákaznického servisu..."), MainImage::CustomerService);
    a.about = makeAction(this, "aAbout", QStringLiteral("&O aplikaci Orvalis"),
                         QStringLiteral("Informace o programu Orvalis..."), MainImage::About);
    a.standardsInfo = makeAction(this, "aStandardsInfo", QStringLiteral("&Informace o normách"),
                                 QStringLiteral("Informace o normách"), MainImage::StandardsInfo);
    ui::enableWhen(a.help, [this] { return m_components.help; });
    ui::enableWhen(a.customerService, [this] { return m_components.form; });
    ui::enableWhen(a.standardsInfo, [this] { return m_components.standardsInfo; });
    connect(a.about, &QAction::triggered, this, [this] { openAboutWindow(this); });
    connect(a.standardsInfo, &QAction::triggered, this, [this] { openStandardsInfo(this); });
    connect(a.customerService, &QAction::triggered, this, [this] { openCustomerService(m_data, this); });
    connect(a.homePage, &QAction::triggered, this, [] { ui::openExternal(QUrl(publisherWeb)); });
    connect(a.sendMail, &QAction::triggered, this, [] { ui::openExternal(QUrl(publisherMail)); });
    connect(a.help, &QAction::triggered, this, [this] {
        m_help->setStartContext(0);
        showHelpContents();
    });
    // The menu item shows the contents; the F1 key the topic of the focused control or of
    // its window (a card's page, the search window's page), the contents where none has one.
    a.help->setShortcutContext(Qt::WidgetShortcut);
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] {
        if (!m_actions.help->isEnabled())
            return;
        m_help->setStartContext(0);
        const int context = helpContextOf(QApplication::focusWidget());
        if (context != 0)
            showContextHelp(context);
        else
            showHelpContents();
    });
}

// The search window's actions; they act once the search window is built.
void MainWindow::createSearchActions()
{
    Actions &a = m_actions;
    auto searchActive = [this] { return searchWindowActive(); };
    a.searchFind = makeAction(this, "aFind", QStringLiteral("&Hledat materiál"),
                              QStringLiteral("Hledat materiál podle zadaných podmínek..."), MainImage::SearchFind);
    a.searchShow = makeAction(this, "aShow", QStringLiteral("&Zobrazit materiál"),
                              QStringLiteral("Zobrazit nalezený materiál..."), MainImage::SearchShow);
    a.searchSelect = makeAction(this, "aSelect", QStringLiteral("Označit/Odznačit prvek"),
                                QStringLiteral("Označí vybraný prvek v seznamu..."), MainImage::SearchSelect);
    a.searchInsert = makeAction(this, "aInsert", QStringLiteral("Přidat prvek"),
                                QStringLiteral("Přidá prvek do seznamu prvků..."), MainImage::SearchAdd);
    a.searchChange = makeAction(this, "aChange", QStringLiteral("Změnit prvek"),
                                QStringLiteral("Změní vybraný prvek v seznamu prvků..."), MainImage::SearchChange);
    a.searchDelete = makeAction(this, "aDelete", QStringLiteral("Smazat prvek"),
                                QStringLiteral("Smaže prvek ze seznamu prvků..."), MainImage::SearchDelete);
    a.searchLoadAll = makeAction(this, "aNacist", QStringLiteral("Načíst všechny prvky"),
                                 QStringLiteral("Do seznamu prvků přidá všechny existující prvky..."), MainImage::SearchLoadAll);
    a.searchDeleteAll = makeAction(this, "aDeleteAll", QStringLiteral("Smazat všechny prvky"),
                                   QStringLiteral("Smaže všechny prvky ze seznamu prvků..."), MainImage::SearchDeleteAll);
    a.searchStandard = makeAction(this, "aNastaveni", QStringLiteral("S&tandardní nastavení"),
                                  QStringLiteral("Standardní nastavení podmínek vyhledávání..."), MainImage::SearchStandard);
    ui::enableWhen(a.searchFind, searchActive);
    // Without the search window's criteria lists and results there is nothing to act on.
    for (QAction *act : {a.searchShow, a.searchSelect, a.searchInsert, a.searchChange, a.searchDelete,
                         a.searchLoadAll, a.searchDeleteAll})
        ui::enableWhen(act, [] { return false; });
}

void MainWindow::createMenus()
{
    const Actions &a = m_actions;
    QMenuBar *bar = menuBar();

    QMenu *contents = bar->addMenu(QStringLiteral("&Hledání v obsahu"));
    contents->addActions({a.findMaterial, a.showMaterial});
    contents->addSeparator();
    contents->addAction(a.notesFilter);
    contents->addSeparator();
    contents->addActions({a.expandChapter, a.collapseChapter});

    m_searchMenu = bar->addMenu(QStringLiteral("&Hledání"));
    m_searchMenu->addActions({a.searchFind, a.searchShow});
    m_searchMenu->addSeparator();
    m_searchMenu->addActions({a.searchSelect, a.searchInsert, a.searchChange, a.searchDelete, a.searchLoadAll,
                              a.searchDeleteAll});
    m_searchMenu->addSeparator();
    m_searchMenu->addAction(a.searchStandard);
    ui::enableWhen(m_searchMenu->menuAction(), [this] { return searchWindowActive(); });

    m_materialMenu = bar->addMenu(QStringLiteral("&Materiál"));
    m_materialMenu->addActions({a.newOwnMaterial, a.editOwnMaterial, a.deleteOwnMaterial, a.copyToOwn});
    m_materialMenu->addSeparator();
    m_materialMenu->addActions({a.addNote, a.editNote, a.deleteNote});
    m_materialMenu->addSeparator();
    m_printMenu = m_materialMenu->addMenu(QStringLiteral("Tisk"));
    m_printMenu->addActions({a.printSheet, a.printInfo, a.printInfoMech, a.printEquivalents, a.printHeatTreatment});
    ui::enableWhen(m_materialMenu->menuAction(), [this] { return cardActive(); });

    QMenu *view = bar->addMenu(QStringLiteral("&Zobrazení"));
    QMenu *panel = view->addMenu(QStringLiteral("Panel nástrojů"));
    m_toolAreaItem = panel->addAction(QStringLiteral("Panel nástrojů"));
    m_toolAreaItem->setObjectName(QStringLiteral("ToolAreaItem"));
    m_toolAreaItem->setCheckable(true);
    m_toolAreaItem->setChecked(true);
    connect(m_toolAreaItem, &QAction::triggered, this, &MainWindow::applyToolbarVisibility);
    const QStringList names = {QStringLiteral("Hledání v obsahu"), QStringLiteral("Hledání"), QStringLiteral("Materiál"),
                               QStringLiteral("Možnosti"), QStringLiteral("Nápověda")};
    for (const QString &name : names) {
        QAction *item = panel->addAction(name);
        item->setCheckable(true);
        item->setChecked(true);
        connect(item, &QAction::triggered, this, &MainWindow::applyToolbarVisibility);
        m_toolbarItems.append(item);
    }
    view->addAction(a.refresh);
    view->addAction(a.options);

    m_windowMenu = bar->addMenu(QStringLiteral("&Okno"));
    m_windowMenu->addActions({a.tileVertically, a.tileHorizontally, a.cascade});
    m_windowMenu->addSeparator();
    m_windowMenu->addAction(a.minimiseAll);
    m_windowMenu->addSeparator();
    m_searchWindowItem = m_windowMenu->addAction(QStringLiteral("Hledání materiálu"));
    m_searchWindowItem->setObjectName(QStringLiteral("SearchWindowItem"));
    m_searchWindowItem->setCheckable(true);
    connect(m_searchWindowItem, &QAction::triggered, this, [this] {
        showSearchWindow();
        m_searchWindowItem->setChecked(searchWindowActive());
    });

    QMenu *help = bar->addMenu(QStringLiteral("&Nápověda"));
    help->addActions({a.help, a.standardsInfo});
    help->addSeparator();
    help->addActions({a.homePage, a.sendMail, a.customerService});
    help->addSeparator();
    help->addAction(a.about);

    // The context menu of the contents tree.
    m_treeMenu = new QMenu(this);
    m_treeMenu->addAction(a.notesFilter);
    m_treeMenu->addSeparator();
    m_treeMenu->addActions({a.expandChapter, a.collapseChapter});
    m_treeMenu->addSeparator();
    m_treeMenu->addActions({a.newOwnMaterial, a.editOwnMaterial, a.deleteOwnMaterial, a.copyToOwn});
    if (m_pane)
        m_pane->setTreeContextMenu(m_treeMenu);
}

void MainWindow::createToolbars()
{
    const Actions &a = m_actions;
    auto newBar = [this](const QString &title, const char *name) {
        auto *bar = new QToolBar(title, this);
        bar->setObjectName(QString::fromLatin1(name));
        bar->setMovable(true);
        bar->setFloatable(false);
        bar->setAllowedAreas(Qt::TopToolBarArea);
        bar->setIconSize(QSize(20, 20));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        m_toolbars.append(bar);
        return bar;
    };

    QToolBar *contents = newBar(QStringLiteral("Hledání v obsahu"), "tbContents");
    contents->addActions({a.findMaterial, a.showMaterial});
    contents->addSeparator();
    contents->addAction(a.notesFilter);
    contents->addSeparator();
    contents->addActions({a.expandChapter, a.collapseChapter});

    QToolBar *search = newBar(QStringLiteral("Hledání"), "tbSearch");
    search->addActions({a.searchFind, a.searchShow});
    search->addSeparator();
    search->addActions({a.searchInsert, a.searchDelete, a.searchChange});
    search->addSeparator();
    search->addActions({a.searchLoadAll, a.searchDeleteAll});
    search->addSeparator();
    search->addAction(a.searchSelect);

    QToolBar *material = newBar(QStringLiteral("Materiál"), "tbMaterial");
    material->addActions({a.newOwnMaterial, a.deleteOwnMaterial, a.editOwnMaterial, a.copyToOwn});
    material->addSeparator();
    material->addActions({a.addNote, a.editNote, a.deleteNote});
    material->addSeparator();
    // The print button runs "Tisk informací o materiálu" and drops down the print menu.
    auto *print = new QToolButton(material);
    print->setObjectName(QStringLiteral("PrintButton"));
    print->setIcon(mainImage(MainImage::Print));
    print->setToolTip(QStringLiteral("Tisk informací o materiálu..."));
    print->setStatusTip(print->toolTip());
    print->setMenu(m_printMenu);
    print->setPopupMode(QToolButton::MenuButtonPopup);
    print->setAutoRaise(true);
    connect(print, &QToolButton::clicked, a.printInfo, &QAction::trigger);
    QAction *printHolder = material->addWidget(print);
    ui::enableWhen(printHolder, [this] { return cardActive(); });

    QToolBar *options = newBar(QStringLiteral("Možnosti"), "tbOptions");
    options->addAction(a.options);

    QToolBar *help = newBar(QStringLiteral("Nápověda"), "tbHelp");
    help->addAction(a.help);
    m_helpTopic = new HelpTopicButton(help);
    help->addWidget(m_helpTopic);
    help->addAction(a.standardsInfo);
    help->addSeparator();
    help->addActions({a.homePage, a.sendMail, a.customerService});
    help->addSeparator();
    help->addAction(a.about);

    placeToolbars(initialToolbarPositions());
}

// ---------------------------------------------------------------- tool area

QAction *MainWindow::toolbarItem(int index) const
{
    return index >= 0 && index < m_toolbarItems.size() ? m_toolbarItems.at(index) : nullptr;
}

QToolBar *MainWindow::toolbar(int index) const
{
    return index >= 0 && index < m_toolbars.size() ? m_toolbars.at(index) : nullptr;
}

void MainWindow::applyToolbarVisibility()
{
    // A toolbar shows while its own item and the whole tool area are checked.
    const bool area = m_toolAreaItem->isChecked();
    for (int i = 0; i < m_toolbars.size(); ++i)
        m_toolbars.at(i)->setVisible(area && m_toolbarItems.at(i)->isChecked());
}

void MainWindow::placeToolbars(const QList<QPoint> &positions)
{
    // The tool area lays its toolbars out in rows; a position chooses the row (by its top)
    // and the order within the row (by its left).
    struct Place
    {
        int row, left, index;
    };
    QList<Place> places;
    for (int i = 0; i < m_toolbars.size() && i < positions.size(); ++i) {
        const QPoint p = positions.at(i);
        places.append({std::max(0, (p.y() + toolRowStep / 2 - 2) / toolRowStep), p.x(), i});
    }
    std::stable_sort(places.begin(), places.end(), [](const Place &x, const Place &y) {
        return x.row != y.row ? x.row < y.row : x.left < y.left;
    });
    for (QToolBar *bar : std::as_const(m_toolbars)) {
        removeToolBarBreak(bar);
        removeToolBar(bar);
    }
    int row = places.isEmpty() ? 0 : places.first().row;
    for (const Place &p : std::as_const(places)) {
        if (p.row != row) {
            addToolBarBreak(Qt::TopToolBarArea);
            row = p.row;
        }
        addToolBar(Qt::TopToolBarArea, m_toolbars.at(p.index));
    }
    if (m_toolAreaItem)
        applyToolbarVisibility();
    else
        for (QToolBar *bar : std::as_const(m_toolbars))
            bar->show();
}

QList<QPoint> MainWindow::toolbarPositions() const
{
    // Positions within the tool area: rows as the stored tops count them (2, 28, 54, ...).
    int firstTop = INT_MAX;
    int rowHeight = 1;
    for (QToolBar *bar : m_toolbars) {
        firstTop = std::min(firstTop, bar->y());
        rowHeight = std::max(rowHeight, bar->height());
    }
    QList<QPoint> positions;
    for (QToolBar *bar : m_toolbars) {
        const int row = (bar->y() - firstTop + rowHeight / 2) / rowHeight;
        positions.append(QPoint(bar->x() + 11, 2 + row * toolRowStep));
    }
    return positions;
}

// ---------------------------------------------------------------- settings

void MainWindow::restoreSettings()
{
    QSettings ini(settingsFilePath(), QSettings::IniFormat);
    ini.beginGroup(section);
    const int width = ini.value(QStringLiteral("LeftPaneWidth"), standardLeftPaneWidth).toInt();
    m_splitter->setSizes({std::max(width, 257), std::max(767 - width, 100)});
    QString find = ini.value(QStringLiteral("QuickFindLines")).toStringList().join(QLatin1Char(' '));
    find = find.trimmed();
    if (m_pane)
        m_pane->setFindText(find);
    else
        m_placeholderFind->setText(find);

    m_toolAreaItem->setChecked(ini.value(QStringLiteral("ToolAreaItem.Checked"), true).toBool());
    for (int i = 0; i < 4; ++i) {
        m_toolbarItems.at(i)->setChecked(
            ini.value(QString::fromLatin1(toolbarKeys[i]) + QStringLiteral("Item.Checked"), true).toBool());
    }
    QList<QPoint> positions = initialToolbarPositions();
    for (int i = 0; i < 4; ++i) {
        const QString key = QString::fromLatin1(toolbarKeys[i]);
        positions[i] = QPoint(ini.value(key + QStringLiteral(".Left"), positions[i].x()).toInt(),
                              ini.value(key + QStringLiteral(".Top"), positions[i].y()).toInt());
    }
    placeToolbars(positions);
    // The stored check mark of the notes filter is its state: the tree is filtered again
    // (without the message about missing notes; the user did not ask this time).
    if (ini.value(QStringLiteral("NotesFilterItem.Checked"), false).toBool() && m_pane)
        m_pane->setNotesFilter(true, false);

    m_autoSave = ini.value(QStringLiteral("AutoSave"), true).toBool();
    m_economyMode = ini.value(QStringLiteral("UspornyRezim"), false).toBool();
    ini.endGroup();
}

void MainWindow::saveSettings() const
{
    QSettings ini(settingsFilePath(), QSettings::IniFormat);
    ini.beginGroup(section);
    ini.setValue(QStringLiteral("LeftPaneWidth"), m_left->width());
    const QString find = m_pane ? m_pane->findText() : m_placeholderFind->text();
    ini.setValue(QStringLiteral("QuickFindLines"), find.split(QLatin1Char('\n')));
    ini.setValue(QStringLiteral("NotesFilterItem.Checked"), m_actions.notesFilter->isChecked());
    ini.setValue(QStringLiteral("ToolAreaItem.Checked"), m_toolAreaItem->isChecked());
    const QList<QPoint> positions = toolbarPositions();
    for (int i = 0; i < 4; ++i) {
        const QString key = QString::fromLatin1(toolbarKeys[i]);
        ini.setValue(key + QStringLiteral("Item.Checked"), m_toolbarItems.at(i)->isChecked());
        ini.setValue(key + QStringLiteral(".Left"), positions.at(i).x());
        ini.setValue(key + QStringLiteral(".Top"), positions.at(i).y());
    }
    ini.setValue(QStringLiteral("AutoSave"), m_autoSave);
    ini.setValue(QStringLiteral("UspornyRezim"), m_economyMode);
    ini.endGroup();
    ini.sync();
}

void MainWindow::resetToStandardSettings()
{
    const int total = m_splitter->width();
    m_splitter->setSizes({standardLeftPaneWidth, std::max(total - standardLeftPaneWidth, 100)});
    if (m_pane)
        m_pane->setFindText(QString());
    else
        m_placeholderFind->clear();
    m_autoSave = true;
    m_economyMode = false;
    // The notes filter goes off: its item is unchecked and the filter toggled once as the
    // window itself asks it (no message when there are no notes).
    if (m_pane && m_pane->notesFilterOn())
        m_pane->toggleNotesFilter(false);
    m_actions.notesFilter->setChecked(m_pane ? m_pane->notesFilterOn() : false);
    m_toolAreaItem->setChecked(true);
    for (int i = 0; i < 4; ++i)
        m_toolbarItems.at(i)->setChecked(true);
    placeToolbars(standardToolbarPositions());
}

// ---------------------------------------------------------------- search window

QWidget *MainWindow::quickFind() const
{
    if (m_pane)
        return m_pane->findBox();
    return m_placeholderFind;
}

void MainWindow::createSearchWindow(QWidget *form)
{
    if (!form) {
        form = new QWidget;
        auto *layout = new QVBoxLayout(form);
        auto *note = new QLabel(QStringLiteral("Vyhledávání materiálů podle označení, chemického složení, "
                                               "mechanických vlastností a použití."),
                                form);
        note->setWordWrap(true);
        layout->addWidget(note);
        layout->addStretch(1);
    }
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("fHledani"));
    if (form->property("helpContext").toInt() == 0)
        form->setProperty("helpContext", help::SearchResults);
    m_search = m_mdi->addSubWindow(form);
    m_search->setObjectName(QStringLiteral("SearchWindow"));
    m_search->setWindowTitle(QStringLiteral("Vyhledávání"));
    m_search->installEventFilter(this);
    acceptHelpTopicDrops(form, true);
    m_search->showMaximized();
    m_mdi->setActiveSubWindow(m_search);
}

bool MainWindow::searchWindowActive() const
{
    return m_search && m_mdi->activeSubWindow() == m_search;
}

void MainWindow::showSearchWindow()
{
    if (!m_search)
        return;
    if (m_search->isMinimized())
        m_search->showMaximized();
    m_search->show();
    m_mdi->setActiveSubWindow(m_search);
    m_search->widget()->setFocus();
}

void MainWindow::updateSearchButton()
{
    // Blue while the frame itself or the search window is what the user works in.
    QMdiSubWindow *active = m_mdi ? m_mdi->activeSubWindow() : nullptr;
    const bool blue = !active || active == m_search;
    QPalette pal = m_searchButton->palette();
    pal.setColor(QPalette::ButtonText, blue ? QColor(Qt::blue) : QColor(Qt::black));
    m_searchButton->setPalette(pal);
}

// ---------------------------------------------------------------- help

void MainWindow::showHelpContents()
{
    m_help->showContents();
}

void MainWindow::showContextHelp(int context)
{
    m_help->showContext(context);
}

void MainWindow::acceptHelpTopicDrops(QWidget *widget, bool contextOfControl)
{
    auto *filter = new HelpDropFilter(
        [this, contextOfControl](QWidget *target) {
            const int context = contextOfControl ? helpContextOf(target) : 0;
            if (context != 0)
                showContextHelp(context);
            else
                showHelpContents();
        },
        widget);
    filter->install(widget);
}

// ---------------------------------------------------------------- helpers

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !m_firstActivation)
        return;
    m_firstActivation = false;
    // Showing the frame activates the search window, which takes the keyboard from the quick
    // find the start-up gave it; the quick find's keys (Ctrl+F, Ctrl+M) act on the control
    // that has the keyboard, so the quick find gets it back.
    QTimer::singleShot(0, this, [this] {
        QWidget *now = QApplication::focusWidget();
        QWidget *find = quickFind();
        const bool taken = !now || (m_search && m_search->isAncestorOf(now));
        if (taken && find && find->isVisible())
            find->setFocus(Qt::ActiveWindowFocusReason);
    });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_closing = true;
    emit closing();
    event->accept();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Closing the search window only minimises it; it lives as long as the frame.
    if (watched == m_search && event->type() == QEvent::Close && !m_closing) {
        event->ignore();
        hideSearchWindow();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace orv::app
