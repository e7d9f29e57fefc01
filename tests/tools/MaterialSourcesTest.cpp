// The "source:" lines of the material files kept in the catalogue (MatSources): every
// material of the demo catalogue has its sources in the order written, and a source that
// does not fit its column stops the build with its place.

#include "ToolsTestSupport.h"

#include "CatalogueBuilder.h"
#include "CatalogueSource.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>

using namespace orv::catalogue;
using namespace orv::catalogue::test;

TEST(MaterialSources, EveryDemoMaterialKeepsItsSourcesInTheOrderWritten)
{
    QString error;
    const QString &folder = demoDataFolder(&error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    auto db = openBoth(folder);
    const CatalogueSource src = readCatalogueSource(sourceFolder());
    ASSERT_FALSE(src.materials.isEmpty());

    QHash<int, QStringList> stored;
    for (const QVariantList &r : db->rows(QStringLiteral("select MaterialNo, Source from MatSources order by Number")))
        stored[r[0].toInt()] << r[1].toString();
    int several = 0;
    for (const MaterialSource &m : src.materials) {
        ASSERT_FALSE(m.sources.isEmpty()) << m.number;
        EXPECT_EQ(stored.value(m.number), m.sources) << "material " << m.number;
        if (m.sources.size() > 1)
            ++several;
    }
    // The order check means something only when some materials name more than one source.
    EXPECT_GT(several, 0);
    EXPECT_EQ(stored.size(), src.materials.size());
    // Numbers are unique and every row belongs to a material.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from MatSources s left join Mat m on m.Number=s.MaterialNo where m.Number is null")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (select Number from MatSources group by Number having count(*)>1)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from MatSources where Source is null or trim(Source)=''")), 0);
}

namespace {

class SourceLines : public SourceFolderTest {
protected:
    void writeMaterial(const QString &sourceLines)
    {
        writeMaterialFile(QStringLiteral("material: 4100\nchapter: 11\ntype: Oceli\nname: Zkušební ocel\n"
                                         "norm: ČSN EN 10025-2 | S235JR\n%1"
                                         "eq: Německo | DIN 17100 | St 37-2\neq: Česko | ČSN 41 1375 | 11 375\n"
                                         "eq: Japonsko | JIS G 3101 | SS 400\nchem: C ..0.17; Mn 0.5..\nbalance: Fe\n")
                              .arg(sourceLines));
    }
};

} // namespace

TEST_F(SourceLines, SeveralLinesBecomeRowsAndLongOnesAreRefused)
{
    writeMaterial(QStringLiteral("source: EN 10025-2:2004 (ČSN EN 10025-2:2005)\nsource: ČSN 41 1375:1977\n"));
    const QString out = dir.path() + QStringLiteral("/out");
    buildCatalogue(readCatalogueSource(dir.path()), out);
    {
        auto db = openBoth(out);
        const QList<QVariantList> rows = db->rows(QStringLiteral("select MaterialNo, Source from MatSources order by Number"));
        ASSERT_EQ(rows.size(), 2);
        EXPECT_EQ(rows[0][0].toInt(), 4100);
        EXPECT_EQ(rows[0][1].toString(), QStringLiteral("EN 10025-2:2004 (ČSN EN 10025-2:2005)"));
        EXPECT_EQ(rows[1][1].toString(), QStringLiteral("ČSN 41 1375:1977"));
    }

    // 201 characters do not fit; the message names the file, the material and the column.
    writeMaterial(QStringLiteral("source: %1\n").arg(QString(201, QLatin1Char('x'))));
    const QString problems = validateSource(readCatalogueSource(dir.path())).join(QLatin1Char('\n'));
    EXPECT_TRUE(problems.contains(QStringLiteral("99-test.txt"))) << problems.toStdString();
    EXPECT_TRUE(problems.contains(QStringLiteral("MatSources.Source longer than 200"))) << problems.toStdString();
    EXPECT_THROW(buildCatalogue(readCatalogueSource(dir.path()), dir.path() + QStringLiteral("/out2")), ToolError);
    // Exactly 200 characters are fine.
    writeMaterial(QStringLiteral("source: %1\n").arg(QString(200, QLatin1Char('x'))));
    EXPECT_EQ(validateSource(readCatalogueSource(dir.path())), QStringList());

    // A character the catalogue's code page lacks is refused as in every other text.
    writeMaterial(QStringLiteral("source: EN 10083-2 (σ <= 2 %)\n"));
    EXPECT_TRUE(validateSource(readCatalogueSource(dir.path())).join(QLatin1Char('\n')).contains(QStringLiteral("windows-1250")));
}
