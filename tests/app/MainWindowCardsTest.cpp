// The main window over a copy of the demo catalogue: the left pane, cards opened through the
// open-card list landing in the card bar and the Window menu, and the switches the cards read.

#include "app/CardBar.h"
#include "app/HelpBridge.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "browse/MaterialCard.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "db/MainDataModule.h"
#include "ui/ActionUpdater.h"
#include "ui/MessageDialog.h"
#include "support/DemoDataModules.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSettings>
#include <QTableView>
#include <QTabWidget>
#include <QTest>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace orv::app;

namespace {

class MainWindowCardsTest : public orv::test::DemoDataModuleTest
{
protected:
    std::unique_ptr<MainWindow> w;

    MainWindowCardsTest() { withOwnData = false; }
    void SetUp() override
    {
        ASSERT_TRUE(folder.install({{"Help", 1}, {"Pdf", 1}, {"Tisky", 1}}));
        DemoDataModuleTest::SetUp();
        if (HasFatalFailure())
            return;
        w = std::make_unique<MainWindow>(data.get());
        w->resize(1100, 750);
        w->createSearchWindow();
        w->searchWindow()->showNormal();
        w->show();
        QApplication::setActiveWindow(w.get());
        w->cardList()->showInformation = [](const QString &) {};
    }
    void TearDown() override
    {
        w.reset();
        DemoDataModuleTest::TearDown();
    }
    int material(int index) const
    {
        QList<int> numbers;
        orv::db::DataSet &tree = data->qDbTree;
        for (tree.first(); !tree.eof(); tree.next()) {
            const int n = tree.findField(QStringLiteral("MaterialNo"))->value().toInt();
            if (n > 0 && !numbers.contains(n))
                numbers << n;
        }
        return numbers.value(index);
    }
};

TEST_F(MainWindowCardsTest, TheLeftPaneIsTheContentsPaneWithTheMainWindowsPictures)
{
    ASSERT_NE(w->contentsPane(), nullptr);
    EXPECT_EQ(w->leftPane(), w->contentsPane());
    EXPECT_EQ(w->actions().findMaterial, w->contentsPane()->findMaterialAction());
    EXPECT_FALSE(w->actions().findMaterial->icon().isNull());
    EXPECT_EQ(w->quickFind(), static_cast<QWidget *>(w->contentsPane()->findBox()));
}

TEST_F(MainWindowCardsTest, OpenedCardsGetButtonsAndMenuItemsAndLeaveThemWhenClosed)
{
    const int first = material(0), second = material(1);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    w->openCard(first, QStringLiteral("první"));
    w->openCard(second, QStringLiteral("druhý"));
    ASSERT_EQ(w->openCardCount(), 2);
    const QList<QMdiSubWindow *> cards = w->openCards();
    EXPECT_EQ(w->cardButton(cards.at(0))->toolTip(), QStringLiteral("druhý"));
    EXPECT_EQ(w->cardMenuItem(cards.at(1))->text(), QStringLiteral("první"));
    EXPECT_EQ(w->currentCard(), cards.at(0));
    EXPECT_TRUE(w->cardButton(cards.at(0))->isChecked());
    EXPECT_FALSE(w->cardButton(cards.at(1))->font().bold());

    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_TRUE(w->materialMenu()->menuAction()->isEnabled());
    EXPECT_TRUE(w->actions().printInfo->isEnabled());
    auto *card = qobject_cast<orv::browse::MaterialCard *>(cards.at(0)->widget());
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(w->actions().addNote->isEnabled(), !card->hasNote());
    EXPECT_EQ(w->actions().editNote->isEnabled(), card->hasNote());

    // Opening the first again only activates it; the count stays.
    w->openCard(first, QStringLiteral("první"));
    EXPECT_EQ(w->openCardCount(), 2);
    EXPECT_EQ(w->currentCard(), cards.at(1));
    EXPECT_TRUE(w->cardMenuItem(cards.at(1))->isChecked());
    EXPECT_FALSE(w->cardMenuItem(cards.at(0))->isChecked());

    w->closeCard(cards.at(1));
    EXPECT_EQ(w->openCardCount(), 1);
    EXPECT_EQ(w->cardBar()->buttons().size(), 1);
    EXPECT_EQ(w->cardList()->count(), 1);
}

// What an X11 window manager shows: Qt appends the application display name to a window
// title that does not end with it.
QString titleAsShown(const QWidget &w)
{
    const QString name = QGuiApplication::applicationDisplayName();
    const bool appended = !name.isEmpty() && !w.windowTitle().endsWith(name);
    return appended ? w.windowTitle() + QStringLiteral(" \u2014 ") + name : w.windowTitle();
}

TEST_F(MainWindowCardsTest, TheFrameTitleNamesTheProgramOnceWithAMaximizedCard)
{
    // The test application names itself; the program's start-up alone decides here.
    const QString testName = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QString());
    setUpApplication();
    w->openCard(material(0), QStringLiteral("C45 (12 050)"));
    w->currentCard()->showMaximized();
    QApplication::processEvents();
    const QString shown = titleAsShown(*w);
    QGuiApplication::setApplicationDisplayName(testName);
    EXPECT_TRUE(shown.contains(QStringLiteral("C45 (12 050)"))) << shown.toStdString();
    EXPECT_EQ(shown.count(QStringLiteral("Orvalis 2.1")), 1) << shown.toStdString();
}

TEST_F(MainWindowCardsTest, F1ShowsTheTopicOfTheFocusedCardPage)
{
    QStringList topics;
    w->helpBridge()->setDisplay([&](const QString &, const QString &topic) {
        topics << topic;
        return true;
    });
    orv::ui::ActionUpdater::instance().updateNow();
    w->openCard(material(0), QStringLiteral("C45 (12 050)"));
    auto *card = qobject_cast<orv::browse::MaterialCard *>(w->currentCard()->widget());
    ASSERT_NE(card, nullptr);
    card->setActivePage(orv::browse::MaterialCard::MechProperties);
    card->propertiesGrid()->setFocus();
    QApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    // Another page of the card; the card's header has the card's topic.
    card->setActivePage(orv::browse::MaterialCard::Equivalents);
    card->equivalentsGrid()->setFocus();
    QApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_EQ(topics, (QStringList{QStringLiteral("TOPIC10"), QStringLiteral("TOPIC11")}));
    // Every topic a window can ask for has its page.
    for (int context : {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 18, 19, 20, 21, 22, 23})
        EXPECT_TRUE(QFile::exists(QStringLiteral(ORVALIS_SOURCE_DIR "/data/help/TOPIC%1.htm").arg(context))) << context;
}

TEST_F(MainWindowCardsTest, TilingKeepsEveryCardWholeAndInsideTheArea)
{
    for (int i = 0; i < 5; ++i)
        w->openCard(material(i), QStringLiteral("karta %1").arg(i));
    for (auto tile : {&MainWindow::tileHorizontally, &MainWindow::tileVertically}) {
        (w.get()->*tile)();
        QApplication::processEvents();
        // Measured now: maximised cards kept their buttons in the menu bar before.
        const QRect area = w->mdiArea()->viewport()->rect();
        for (QMdiSubWindow *card : w->openCards()) {
            // Not below what the card's contents need (the tabs stay under the header) ...
            EXPECT_GE(card->height(), card->minimumSizeHint().height()) << card->windowTitle().toStdString();
            EXPECT_GE(card->width(), card->minimumSizeHint().width()) << card->windowTitle().toStdString();
            // ... and within the area (the search window is the sixth window here).
            EXPECT_TRUE(area.contains(card->geometry())) << card->windowTitle().toStdString();
        }
    }
}

TEST_F(MainWindowCardsTest, ClosingTheSearchWindowLeavesMaximisedCardsWholeOnTheScreen)
{
    for (int i = 0; i < 3; ++i)
        w->openCard(material(i), QStringLiteral("karta %1").arg(i));
    w->openCards().constLast()->showMaximized();
    w->showSearchWindow();
    w->searchWindow()->showMaximized();
    QApplication::processEvents();
    w->searchWindow()->close();
    QApplication::processEvents();
    const QRect area = w->mdiArea()->viewport()->rect();
    QMdiSubWindow *active = w->mdiArea()->activeSubWindow();
    ASSERT_NE(active, nullptr);
    // The card under the search window takes over, maximised as the search window was.
    EXPECT_NE(active, w->searchWindow());
    EXPECT_TRUE(active->isMaximized());
    for (QMdiSubWindow *card : w->openCards()) {
        if (card->isMinimized() || !card->isVisible())
            continue;
        EXPECT_TRUE(area.contains(card->geometry()))
            << card->windowTitle().toStdString() << " " << card->geometry().x() << "," << card->geometry().y()
            << " " << card->geometry().width() << "x" << card->geometry().height();
    }

    // A card left half outside the area (the frame was made smaller) comes back whole.
    QMdiSubWindow *card = w->openCards().constFirst();
    card->showNormal();
    card->setGeometry(area.width() - 100, 10, 500, 400);
    w->showSearchWindow();
    w->searchWindow()->showNormal();
    w->searchWindow()->close();
    QApplication::processEvents();
    EXPECT_TRUE(area.contains(card->geometry()));
    EXPECT_EQ(card->width(), 500); // moved, not shrunk
}

TEST_F(MainWindowCardsTest, EconomyModeReachesNewCards)
{
    w->setEconomyMode(true);
    w->openCard(material(0), QStringLiteral("úsporně"));
    auto *card = qobject_cast<orv::browse::MaterialCard *>(w->currentCard()->widget());
    ASSERT_NE(card, nullptr);
    EXPECT_FALSE(card->mechanicalLoaded());
}

TEST_F(MainWindowCardsTest, ClosingTheFrameClosesTheCardsSoTheySaveTheirSettings)
{
    w->openCard(material(0), QStringLiteral("karta"));
    ASSERT_EQ(w->openCardCount(), 1);
    w.reset();
    const QSettings ini(orv::settingsFilePath(), QSettings::IniFormat);
    EXPECT_TRUE(ini.childGroups().contains(QStringLiteral("MATERIAL")));
    EXPECT_TRUE(ini.childGroups().contains(QStringLiteral("CENTRAL")));
}

// Not an assertion: a picture of the frame with three cards for people to look at, written
// into <build>/main-screens/.
TEST_F(MainWindowCardsTest, Screenshot)
{
    w->resize(1280, 800);
    for (int i = 0; i < 3; ++i) {
        orv::db::DataSet &tree = data->qDbTree;
        int n = material(i * 7);
        QString title;
        if (tree.locate(QStringLiteral("MaterialNo"), n))
            title = tree.findField(QStringLiteral("Text"))->value().toString();
        w->openCard(n, title);
    }
    w->tileVertically();
    QApplication::processEvents();
    const QString folder = QStringLiteral(ORVALIS_BINARY_DIR "/main-screens/");
    QDir().mkpath(folder);
    EXPECT_TRUE(w->grab().save(folder + QStringLiteral("main-window-cards.png")));
}

} // namespace
