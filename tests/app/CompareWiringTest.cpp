// The compare action in a full start of the program on the demo catalogue: its places (the
// "Materiál" and "Hledání v obsahu" menus, the result list's context menu beside the list
// printout), the materials it offers, the choice of two to six, and the compare window with
// its help page.

#include "app/CompareActions.h"
#include "app/HelpBridge.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "browse/CardList.h"
#include "browse/MaterialCard.h"
#include "core/Paths.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "printouts/Comparison.h"
#include "printouts/TfCompare.h"
#include "printouts/TfCompareChoice.h"
#include "support/ProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv::app;

namespace {

QMenu *menu(MainWindow &w, const QString &title)
{
    for (QAction *a : w.menuBar()->actions())
        if (a->menu() && a->text() == title)
            return a->menu();
    return nullptr;
}

TEST(CompareWiring, ActionPlacesCandidatesAndTheWindow)
{
    const orv::test::StartUpFolders folders;
    ASSERT_TRUE(orv::test::copyDemoCatalogue(folders.prog + QStringLiteral("data")));
    {
        StartOptions options;
        options.quitAfterFrame = true;
        StartUp startUp(options);
        ASSERT_EQ(startUp.run(), 0);
        MainWindow &w = *startUp.mainWindow();
        orv::db::MainDataModule &data = *startUp.mainData();

        auto *compare = w.findChild<QAction *>(QStringLiteral("aCompare"));
        ASSERT_NE(compare, nullptr);
        EXPECT_TRUE(menu(w, QStringLiteral("&Materiál"))->actions().contains(compare));
        EXPECT_TRUE(menu(w, QStringLiteral("&Hledání v obsahu"))->actions().contains(compare));
        auto *grid = w.searchWindow()->widget()->findChild<QTableView *>(QStringLiteral("grHledani"));
        ASSERT_NE(grid, nullptr);
        QStringList gridActions;
        for (QAction *a : grid->actions())
            gridActions << a->objectName();
        for (const char *name : {"aCompare", "aPrintResult", "aPreviewResult"})
            EXPECT_TRUE(gridActions.contains(QLatin1String(name))) << name;

        // Two open cards are offered ticked, the tree's materials below its chosen node unticked.
        const int crmo = data.catalogueSession()
                             .scalar(QStringLiteral("select MaterialNo from Norms where Label = '42CrMo4'"))
                             .toInt();
        ASSERT_GT(crmo, 0);
        orv::browse::CardList *cards = w.cardList();
        ASSERT_NE(cards, nullptr);
        ASSERT_NE(cards->openCard(2050, QStringLiteral("C45")), nullptr);
        ASSERT_NE(cards->openCard(crmo, QStringLiteral("42CrMo4")), nullptr);
        const QList<orv::printouts::CompareCandidate> offered = compareCandidates(w, data);
        QList<int> ticked;
        for (const auto &c : offered)
            if (c.checked)
                ticked << c.materialNo;
        EXPECT_TRUE(ticked.contains(2050) && ticked.contains(crmo));
        bool labelled = false;
        for (const auto &c : offered)
            labelled = labelled || (c.materialNo == crmo && c.label == QStringLiteral("42CrMo4"));
        EXPECT_TRUE(labelled);

        // A new own material, not yet given a designation, is offered by its name and marked.
        orv::db::DataSet &nodes = startUp.ownData()->qNodes;
        if (!nodes.isOpen())
            nodes.open();
        nodes.append();
        nodes.post();
        const int own = nodes.value(QStringLiteral("MaterialNo")).toInt();
        ASSERT_GT(own, 0);
        ASSERT_NE(cards->openCard(own, QString()), nullptr);
        QString ownLabel;
        for (const auto &c : compareCandidates(w, data))
            if (c.materialNo == own)
                ownLabel = c.label;
        EXPECT_EQ(ownLabel, QStringLiteral("Nový materiál ") + orv::printouts::ownMaterialMark());

        // The choice: "Porovnat" only for two to six.
        orv::printouts::TfCompareChoice choice(offered);
        EXPECT_EQ(choice.chosen().size(), ticked.size() > 6 ? 6 : ticked.size());
        for (int i = 0; i < choice.list()->count(); ++i)
            choice.list()->item(i)->setCheckState(Qt::Unchecked);
        EXPECT_FALSE(choice.compareButton()->isEnabled());
        choice.list()->item(0)->setCheckState(Qt::Checked);
        EXPECT_FALSE(choice.compareButton()->isEnabled());
        choice.list()->item(1)->setCheckState(Qt::Checked);
        EXPECT_TRUE(choice.compareButton()->isEnabled());

        // The window on the two cards; its help button shows the page named after it.
        QString topic;
        w.helpBridge()->setDisplay([&topic](const QString &, const QString &t) {
            topic = t;
            return true;
        });
        openComparison(w, data, {2050, crmo});
        orv::printouts::TfCompare *window = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *c = qobject_cast<orv::printouts::TfCompare *>(top))
                window = c;
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->comparison().headings, (QStringList{QStringLiteral("C45"), QStringLiteral("42CrMo4")}));
        window->activateWindow();
        QApplication::setActiveWindow(window);
        window->findChild<QPushButton *>(QStringLiteral("btNapoveda"))->click();
        EXPECT_EQ(topic, QStringLiteral("fPorovnani"));
        EXPECT_TRUE(QFile::exists(QStringLiteral(ORVALIS_SOURCE_DIR "/data/help/fPorovnani.htm")));
        window->close();
        QApplication::processEvents();
    }
}

} // namespace
