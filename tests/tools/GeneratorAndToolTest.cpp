// The generator of large catalogues (shape, determinism, soundness) and the command-line
// tool as the build runs it, with the PDF sheets read back by poppler.

#include "ToolsTestSupport.h"

#include "CatalogueSource.h"
#include "Generator.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>

using namespace orv::catalogue;
using namespace orv::catalogue::test;

namespace {

// A digest of every row of the tables that carry the materials.
QByteArray digest(const QString &folder)
{
    auto db = openBoth(folder);
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (const char *t : {"Mat", "Nodes", "Norms", "CompareNorms", "ChemComp", "SemiProd", "States", "Dimens", "MechProp", "Temps", "TempProc", "FyzProp"})
        for (const QVariantList &r : db->rows(QStringLiteral("select * from %1 order by 1").arg(QLatin1String(t))))
            for (const QVariant &v : r)
                h.addData((v.isNull() ? QStringLiteral("<null>") : v.toString()).toUtf8() + '|');
    return h.result();
}

QString run(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
}

} // namespace

TEST(CatalogueGenerator, ShapeIsAsAskedAndTheDataIsSound)
{
    QTemporaryDir dir;
    GeneratorOptions o;
    o.materials = 30;
    o.seed = 7;
    const CatalogueSource src = readCatalogueSource(sourceFolder());
    generateCatalogue(src, dir.path(), o);
    auto db = openBoth(dir.path());
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Mat")), 30);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Nodes where MaterialNo is not null")), 30);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from ChemComp")), 30 * 12);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from CompareNorms")), 30 * 6);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Dimens")), 30 * 2 * 2 * 3);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from MechProp")), 30 * 2 * 2 * 3 * 5);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Temps")), 30 * 2 * 2 * 3 * 5 * 2);
    // Sound as the demo catalogue: sums, ranges, relations, groups, the tree.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (select MaterialNo from ChemComp group by 1 having sum(MinValue)>100)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from ChemComp where MinValue>MaxValue")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (select MaterialNo, ElementNo from ChemComp group by 1,2 having count(*)>1)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Nodes m left join Nodes c on c.Number=m.ParentNo where m.MaterialNo is not null and (c.Number is null or c.MaterialNo is not null)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from MechProp mp where mp.PropertyNo not in (select Number from usr.PropType where GroupType<>'A')")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from SemiProd sp join Mat m on m.Number=sp.MaterialNo join SemTypes g on g.Number=sp.Group1No "
                                        "where (m.TypeNo=3) <> (g.GroupNo=5)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Norms where LabelShort<>replace(Label,' ','') or NameShort<>replace(Name,' ','')")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from CompareNorms where length(Name)>25 or length(Label)>25")), 0);
    // Several kinds of metal and temperatures other than 20 °C occur.
    EXPECT_GE(count(*db, QStringLiteral("select count(distinct TypeNo) from Mat")), 2);
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from Temps where Temperature<>20")), 0);
}

TEST(CatalogueGenerator, SameSeedSameCatalogue)
{
    QTemporaryDir a, b, c;
    GeneratorOptions o;
    o.materials = 12;
    o.seed = 42;
    const CatalogueSource src = readCatalogueSource(sourceFolder());
    generateCatalogue(src, a.path(), o);
    generateCatalogue(src, b.path(), o);
    o.seed = 43;
    generateCatalogue(src, c.path(), o);
    EXPECT_EQ(digest(a.path()), digest(b.path()));
    EXPECT_NE(digest(a.path()), digest(c.path()));
}

TEST(CatalogueTool, BuildsFilesAndReadablePdfSheets)
{
    QTemporaryDir dir;
    int rc = -1;
    const QString out = run(QStringLiteral(ORVALIS_CATALOGUE_TOOL), {QStringLiteral("build"), sourceFolder(), dir.path()}, &rc);
    ASSERT_EQ(rc, 0) << out.toStdString();
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/catalogue.sqlite")));
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/user.sqlite")));
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.tmp")}).isEmpty());

    // Every material with a sheet has its file; at least one has a diagram file, named as the
    // card looks it up: PdfFile + " D.pdf".
    auto db = openBoth(dir.path());
    const QList<QVariantList> sheets = db->rows(QStringLiteral("select PdfFile, Name from Mat where PdfFile is not null"));
    ASSERT_FALSE(sheets.isEmpty());
    int diagrams = 0;
    for (const QVariantList &r : sheets) {
        const QString base = dir.path() + QStringLiteral("/pdf/") + r[0].toString();
        ASSERT_TRUE(QFile::exists(base + QStringLiteral(".pdf"))) << base.toStdString();
        if (QFile::exists(base + QStringLiteral(" D.pdf")))
            ++diagrams;
    }
    EXPECT_GE(diagrams, 1);
    const QString first = dir.path() + QStringLiteral("/pdf/") + sheets[0][0].toString();
    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), first + QStringLiteral(".pdf"), QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Chemické složení"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Ekvivalentní normy")));
    EXPECT_TRUE(text.simplified().contains(sheets[0][1].toString().simplified())) << text.toStdString();
    const QString info = run(QStringLiteral("pdfinfo"), {first + QStringLiteral(".pdf")});
    EXPECT_TRUE(info.contains(QStringLiteral("A4"))) << info.toStdString();

    // A source problem fails the build with its location and leaves the old files in place.
    QTemporaryDir broken;
    QDir().mkpath(broken.path() + QStringLiteral("/codes"));
    QDir().mkpath(broken.path() + QStringLiteral("/materials"));
    for (const QString &f : QDir(sourceFolder() + QStringLiteral("/codes")).entryList(QDir::Files))
        QFile::copy(sourceFolder() + QStringLiteral("/codes/") + f, broken.path() + QStringLiteral("/codes/") + f);
    QFile m(broken.path() + QStringLiteral("/materials/x.txt"));
    ASSERT_TRUE(m.open(QIODevice::WriteOnly));
    m.write("material: 5000\nchapter: 11\nbogus: 1\n");
    m.close();
    const QString fail = run(QStringLiteral(ORVALIS_CATALOGUE_TOOL), {QStringLiteral("build"), broken.path(), dir.path()}, &rc);
    EXPECT_NE(rc, 0);
    EXPECT_TRUE(fail.contains(QStringLiteral("x.txt:3: unknown key \"bogus\""))) << fail.toStdString();
    EXPECT_EQ(count(*openBoth(dir.path()), QStringLiteral("select count(*) from Mat")), qlonglong(db->scalar(QStringLiteral("select count(*) from Mat")).toLongLong()));
}
