#include "app/CardBar.h"
#include "app/HelpBridge.h"
#include "app/MainWindow.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "ui/ActionUpdater.h"
#include "support/ProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using namespace orv::app;

namespace {

// Each test has a program folder (Zeb.ini) and a machine registry of its own.
class MainWindowTest : public ::testing::Test
{
protected:
    orv::test::ProgramFolder folder;

    void SetUp() override
    {
        install({{"Help", 1}, {"Pdf", 1}, {"Tisky", 1}, {"Formular", 1}, {"InfoNorma", 1}});
        HelpBridge::setApplicationHelpFile(folder.root + QStringLiteral("Help/ZEB21.chm"));
    }
    void TearDown() override { HelpBridge::setApplicationHelpFile(QString()); }
    void install(std::initializer_list<std::pair<const char *, int>> values) { ASSERT_TRUE(folder.install(values)); }
    std::unique_ptr<MainWindow> makeWindow()
    {
        auto w = std::make_unique<MainWindow>();
        w->resize(1000, 700);
        w->createSearchWindow();
        // A maximised child would maximise every card activated after it.
        w->searchWindow()->showNormal();
        w->show();
        return w;
    }
    QMdiSubWindow *addCard(MainWindow &w, const QString &title)
    {
        auto *form = new QLabel(title);
        QMdiSubWindow *card = w.mdiArea()->addSubWindow(form);
        card->show();
        w.addCardButton(card, title);
        w.mdiArea()->setActiveSubWindow(card);
        return card;
    }
    QSettings ini() const
    {
        return QSettings(orv::settingsFilePath(), QSettings::IniFormat);
    }
};

TEST_F(MainWindowTest, LeftClickOnTheCurrentCardsButtonCyclesItsWindowState)
{
    auto w = makeWindow();
    QMdiSubWindow *card = addCard(*w, QStringLiteral("C45"));
    card->showMaximized();
    ASSERT_EQ(w->currentCard(), card);
    CardButton *button = w->cardButton(card);
    ASSERT_NE(button, nullptr);

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(card->isMinimized());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(card->isMinimized());
    EXPECT_FALSE(card->isMaximized());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(card->isMaximized());
}

TEST_F(MainWindowTest, LeftClickOnAnotherCardsButtonOnlyBringsItToTheFront)
{
    auto w = makeWindow();
    QMdiSubWindow *first = addCard(*w, QStringLiteral("C45"));
    QMdiSubWindow *second = addCard(*w, QStringLiteral("S235JR"));
    ASSERT_EQ(w->currentCard(), second);
    ASSERT_FALSE(first->isMaximized());
    QTest::mouseClick(w->cardButton(first), Qt::LeftButton);
    EXPECT_EQ(w->mdiArea()->activeSubWindow(), first);
    EXPECT_EQ(w->currentCard(), first);
    EXPECT_FALSE(first->isMaximized());
    EXPECT_FALSE(first->isMinimized());
    EXPECT_TRUE(w->cardButton(first)->isChecked());
    EXPECT_TRUE(w->cardButton(first)->font().bold());
    EXPECT_FALSE(w->cardButton(second)->isChecked());
    EXPECT_FALSE(w->cardButton(second)->font().bold());
}

TEST_F(MainWindowTest, CardsAppearInTheWindowMenuAndLeaveBarAndMenuWhenClosed)
{
    auto w = makeWindow();
    QMdiSubWindow *first = addCard(*w, QStringLiteral("C45"));
    QMdiSubWindow *second = addCard(*w, QStringLiteral("S235JR"));
    EXPECT_EQ(w->openCards(), (QList<QMdiSubWindow *>{second, first})); // newest first
    QAction *firstItem = w->cardMenuItem(first);
    ASSERT_NE(firstItem, nullptr);
    EXPECT_EQ(firstItem->text(), QStringLiteral("C45"));
    EXPECT_TRUE(w->windowMenu()->actions().contains(firstItem));
    EXPECT_FALSE(firstItem->isChecked());
    EXPECT_TRUE(w->cardMenuItem(second)->isChecked());

    firstItem->trigger();
    EXPECT_EQ(w->mdiArea()->activeSubWindow(), first);
    EXPECT_TRUE(firstItem->isChecked());
    EXPECT_FALSE(w->cardMenuItem(second)->isChecked());

    w->closeCard(first);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->openCardCount(), 1);
    EXPECT_EQ(w->cardBar()->buttons().size(), 1);
    int cardItems = 0;
    for (QAction *a : w->windowMenu()->actions())
        cardItems += a->text() == QStringLiteral("C45");
    EXPECT_EQ(cardItems, 0);
}

TEST_F(MainWindowTest, MenusFollowTheActiveChildWindow)
{
    auto w = makeWindow();
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_TRUE(w->searchMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(w->materialMenu()->menuAction()->isEnabled());
    EXPECT_TRUE(w->searchWindowItem()->isChecked());

    addCard(*w, QStringLiteral("C45"));
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_FALSE(w->searchMenu()->menuAction()->isEnabled());
    EXPECT_TRUE(w->materialMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(w->searchWindowItem()->isChecked());
    // Printing follows the installed printouts and what the card holds.
    EXPECT_TRUE(w->actions().printInfo->isEnabled());
    EXPECT_FALSE(w->actions().printEquivalents->isEnabled());
    EXPECT_FALSE(w->actions().printSheet->isEnabled());
    w->currentCard()->widget()->setProperty("hasEquivalents", true);
    w->currentCard()->widget()->setProperty("pdfFile", QStringLiteral("c45"));
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_TRUE(w->actions().printEquivalents->isEnabled());
    EXPECT_TRUE(w->actions().printSheet->isEnabled());

    EXPECT_FALSE(w->searchButton()->isChecked());
    QTest::mouseClick(w->searchButton(), Qt::LeftButton);
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_EQ(w->mdiArea()->activeSubWindow(), w->searchWindow());
    EXPECT_TRUE(w->searchButton()->isChecked());
    EXPECT_FALSE(w->cardButton(w->currentCard())->isChecked());
    EXPECT_TRUE(w->searchMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(w->materialMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(w->actions().printInfo->isEnabled());
}

TEST_F(MainWindowTest, HelpZeroDisablesF1AndTheHelpTopicButton)
{
    install({{"Help", 0}});
    auto w = makeWindow();
    int shown = 0;
    w->helpBridge()->setDisplay([&](const QString &, const QString &) {
        ++shown;
        return true;
    });
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_FALSE(w->actions().help->isEnabled());
    EXPECT_FALSE(w->helpTopicButton()->isEnabled());
    EXPECT_TRUE(HelpBridge::applicationHelpFile().isEmpty());
    QApplication::setActiveWindow(w.get());
    QTest::keyClick(w.get(), Qt::Key_F1);
    w->actions().help->trigger(); // a disabled action does nothing
    EXPECT_EQ(shown, 0);
}

TEST_F(MainWindowTest, F1ShowsTheContentsAndLowersTheStartContext)
{
    auto w = makeWindow();
    QStringList requests;
    w->helpBridge()->setDisplay([&](const QString &file, const QString &topic) {
        requests << file + QLatin1Char('|') + topic;
        return true;
    });
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_TRUE(w->actions().help->isEnabled());
    EXPECT_TRUE(w->helpTopicButton()->isEnabled());
    ASSERT_EQ(w->helpBridge()->startContext(), 1000);
    QApplication::setActiveWindow(w.get());
    QTest::keyClick(w.get(), Qt::Key_F1);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.first(), folder.root + QStringLiteral("Help/ZEB21.chm|"));
    EXPECT_EQ(w->helpBridge()->startContext(), 0);
}

TEST_F(MainWindowTest, ComponentFlagsEnableTheirActions)
{
    install({{"Formular", 0}, {"InfoNorma", 2}});
    auto w = makeWindow();
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_FALSE(w->actions().customerService->isEnabled());
    EXPECT_FALSE(w->actions().standardsInfo->isEnabled()); // only exactly 1 counts
    EXPECT_TRUE(w->actions().about->isEnabled());
}

TEST_F(MainWindowTest, OwnMaterialsAreNotOfferedWithoutAUserDatabase)
{
    auto w = makeWindow();
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_FALSE(w->actions().newOwnMaterial->isEnabled());
}

TEST_F(MainWindowTest, SettingsAreSavedOnDestructionOnlyWhileAutoSaveIsOn)
{
    {
        auto w = makeWindow();
        w->toolbarItem(2)->trigger(); // hide "Materiál"
        w->setEconomyMode(true);
        w->setAutoSave(false);
    }
    EXPECT_FALSE(ini().childGroups().contains(QStringLiteral("CENTRAL")));

    {
        auto w = makeWindow();
        ASSERT_TRUE(w->toolbarItem(2)->isChecked());
        w->toolbarItem(2)->trigger();
        w->setEconomyMode(true);
        w->splitter()->setSizes({300, 700});
        static_cast<QLineEdit *>(w->quickFind())->setText(QStringLiteral("  cr ni  "));
    }
    QSettings s = ini();
    EXPECT_TRUE(s.childGroups().contains(QStringLiteral("CENTRAL")));

    auto w = makeWindow();
    EXPECT_FALSE(w->toolbarItem(2)->isChecked());
    EXPECT_FALSE(w->toolbar(2)->isVisible());
    EXPECT_TRUE(w->toolbar(1)->isVisible());
    EXPECT_TRUE(w->economyMode());
    EXPECT_TRUE(w->autoSave());
    EXPECT_EQ(w->leftPane()->width(), 300);
    EXPECT_EQ(static_cast<QLineEdit *>(w->quickFind())->text(), QStringLiteral("cr ni")); // trimmed
}

TEST_F(MainWindowTest, ToolbarRowsSurviveASaveAndRestore)
{
    {
        QSettings s = ini();
        s.beginGroup(QStringLiteral("CENTRAL"));
        // "Možnosti" first in the first row, "Hledání" alone in the second.
        s.setValue(QStringLiteral("OptionsToolbar.Left"), 0);
        s.setValue(QStringLiteral("OptionsToolbar.Top"), 2);
        s.setValue(QStringLiteral("SearchToolbar.Left"), 11);
        s.setValue(QStringLiteral("SearchToolbar.Top"), 54);
    }
    auto w = makeWindow();
    QToolBar *options = w->toolbar(3);
    QToolBar *contents = w->toolbar(0);
    QToolBar *search = w->toolbar(1);
    QToolBar *help = w->toolbar(4);
    EXPECT_LT(options->x(), contents->x());
    EXPECT_EQ(options->y(), contents->y());
    EXPECT_GT(search->y(), help->y());
}

TEST_F(MainWindowTest, StandardSettings)
{
    auto w = makeWindow();
    w->toolAreaItem()->trigger();
    EXPECT_FALSE(w->toolbar(0)->isVisible());
    w->toolbarItem(3)->trigger();
    w->setAutoSave(false);
    w->setEconomyMode(true);
    w->splitter()->setSizes({400, 600});
    static_cast<QLineEdit *>(w->quickFind())->setText(QStringLiteral("C45"));

    w->resetToStandardSettings();
    EXPECT_TRUE(w->autoSave());
    EXPECT_FALSE(w->economyMode());
    EXPECT_TRUE(w->toolAreaItem()->isChecked());
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(w->toolbarItem(i)->isChecked());
        EXPECT_TRUE(w->toolbar(i)->isVisible());
    }
    EXPECT_EQ(w->leftPane()->width(), 265);
    EXPECT_TRUE(static_cast<QLineEdit *>(w->quickFind())->text().isEmpty());
    EXPECT_FALSE(w->actions().notesFilter->isChecked());
}

TEST_F(MainWindowTest, ToolAreaItemHidesEveryToolbarAndBringsBackOnlyTheChecked)
{
    auto w = makeWindow();
    w->toolbarItem(1)->trigger();
    EXPECT_FALSE(w->toolbar(1)->isVisible());
    w->toolAreaItem()->trigger();
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(w->toolbar(i)->isVisible());
    w->toolAreaItem()->trigger();
    EXPECT_TRUE(w->toolbar(0)->isVisible());
    EXPECT_FALSE(w->toolbar(1)->isVisible());
    EXPECT_TRUE(w->toolbar(4)->isVisible());
}

TEST_F(MainWindowTest, WindowArrangement)
{
    auto w = makeWindow();
    QMdiSubWindow *a = addCard(*w, QStringLiteral("C45"));
    QMdiSubWindow *b = addCard(*w, QStringLiteral("S235JR"));

    w->tileVertically();
    QApplication::processEvents();
    // The whole area: the scroll bars of windows standing outside it went with the tiling.
    const QRect area = w->mdiArea()->viewport()->rect();
    EXPECT_EQ(a->height(), area.height());
    EXPECT_NE(a->x(), b->x());
    EXPECT_EQ(a->y(), b->y());
    EXPECT_NEAR(a->width(), area.width() / 3, 1);

    w->tileHorizontally();
    QApplication::processEvents();
    EXPECT_EQ(a->width(), area.width());
    EXPECT_NE(a->y(), b->y());
    EXPECT_EQ(a->x(), b->x());

    w->minimiseAllCards();
    EXPECT_TRUE(a->isMinimized());
    EXPECT_TRUE(b->isMinimized());
    // The search window goes too: left open it would stand over the minimised cards.
    EXPECT_TRUE(w->searchWindow()->isMinimized());
}

TEST_F(MainWindowTest, ClosingTheSearchWindowOnlyMinimisesIt)
{
    auto w = makeWindow();
    QMdiSubWindow *search = w->searchWindow();
    search->close();
    EXPECT_EQ(w->searchWindow(), search);
    EXPECT_TRUE(search->isMinimized());
    w->searchWindowItem()->trigger();
    EXPECT_FALSE(search->isMinimized());
    EXPECT_EQ(w->mdiArea()->activeSubWindow(), search);
}

TEST_F(MainWindowTest, CardButtonsAreRefittedWhenACardOpens)
{
    auto w = makeWindow();
    const QString title = QStringLiteral("X5CrNi18-10 (17 240) korozivzdorná ocel pro chemický průmysl");
    QMdiSubWindow *card = addCard(*w, title);
    CardButton *button = w->cardButton(card);
    const int width = cardButtonWidth(w->cardBar()->width(), 1);
    EXPECT_EQ(button->minimumWidth(), width);
    EXPECT_EQ(button->text(), fitCardCaption(title, width, button->fontMetrics()));
    EXPECT_TRUE(button->text().endsWith(QStringLiteral(" ...")));
}

} // namespace
