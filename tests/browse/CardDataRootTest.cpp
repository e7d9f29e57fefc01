// A card looks the data root up again whenever it loads a material, so a medium changed
// while the program runs is found before the card's files are opened.

#include "browse/MaterialCard.h"
#include "browse/PdfSheet.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "db/MainDataModule.h"
#include "support/DemoCatalogue.h"
#include "support/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv::browse;

namespace {

TEST(CardDataRoot, LoadingACardResolvesTheDataRootAgainAndKeepsItInTheModule)
{
    const orv::test::ProgramFolder folder;
    const QString &root = folder.root;
    ASSERT_TRUE(folder.addDemoCatalogue());
    orv::Registry(orv::Registry::Scope::Machine).writeInteger(orv::installKey(), orv::install::dataOnMedium(), 0);

    orv::db::MainDataModule data(root, root);
    const int material = data.catalogueSession().scalar(QStringLiteral("select min(Number) from Mat")).toInt();
    // The root the module holds is out of date (the medium it named was taken out).
    data.setDataRoot(QStringLiteral("/media/cdrom-removed/Zeb18/"));
    CardEnvironment env = CardEnvironment::fromDataModule(data);
    env.settingsFile = root + QStringLiteral("Zeb.ini");
    {
        MaterialCard card(env);
        card.load(material);
        EXPECT_EQ(data.dataRoot(), root);
        EXPECT_EQ(pdfFolder(data.dataRoot()), root + QStringLiteral("data/pdf/"));
    }
}

TEST(CardDataRoot, SheetsOnTheMediumLieBelowItsDataFolder)
{
    QTemporaryDir dir;
    const QString medium = dir.path() + QStringLiteral("/Zeb18/");
    QDir().mkpath(medium + QStringLiteral("Data/pdf"));
    EXPECT_EQ(materialSheetPath(medium, QStringLiteral("C45")), medium + QStringLiteral("Data/pdf/C45.pdf"));
}

} // namespace
