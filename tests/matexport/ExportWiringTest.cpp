// "Export pro výpočty ..." in a full start of the program: in the "Materiál" menu, enabled
// only while a card is active; the comparison window opened by the program offers it too.
#include "app/CompareActions.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "browse/CardList.h"
#include "printouts/TfCompare.h"
#include "support/DemoCatalogue.h"
#include "support/ProgramFolder.h"
#include "ui/ActionUpdater.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(ExportWiring, MaterialMenuActionFollowsTheActiveCardAndTheCompareWindowOffersIt)
{
    const orv::test::StartUpFolders folders;
    ASSERT_TRUE(orv::test::copyDemoCatalogue(folders.prog + QStringLiteral("data")));
    orv::app::StartOptions options;
    options.quitAfterFrame = true;
    orv::app::StartUp startUp(options);
    ASSERT_EQ(startUp.run(), 0);
    orv::app::MainWindow &w = *startUp.mainWindow();
    auto *action = w.findChild<QAction *>(QStringLiteral("aExportVypocty"));
    ASSERT_NE(action, nullptr);
    QMenu *material = nullptr;
    for (QAction *a : w.menuBar()->actions())
        if (a->menu() && a->text() == QStringLiteral("&Materiál"))
            material = a->menu();
    ASSERT_NE(material, nullptr);
    EXPECT_TRUE(material->actions().contains(action));
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_FALSE(action->isEnabled());
    ASSERT_NE(w.cardList()->openCard(2142, QStringLiteral("42CrMo4")), nullptr);
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_TRUE(action->isEnabled());

    orv::app::openComparison(w, *startUp.mainData(), {1523, 2142});
    auto *compare = w.findChild<orv::printouts::TfCompare *>();
    ASSERT_NE(compare, nullptr);
    EXPECT_TRUE(compare->findChild<QPushButton *>(QStringLiteral("btExportVypocty"))->isVisibleTo(compare));
    compare->close();
}

} // namespace
