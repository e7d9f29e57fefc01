// Reading and checking the hand-written sources: what a writer of a material file gets
// told, and what the built rows look like for the less common forms (open ranges, notes,
// several temperatures, long purposes).

#include "ToolsTestSupport.h"

#include "CatalogueBuilder.h"
#include "CatalogueSource.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace orv::catalogue;
using namespace orv::catalogue::test;

namespace {

// A source folder with the real code lists and one material file of the test's making.
class CatalogueSourceFolder : public SourceFolderTest {
protected:
    // All problems reported for the folder, reading and checking together.
    QString problems()
    {
        try {
            return validateSource(readCatalogueSource(dir.path())).join(QLatin1Char('\n'));
        } catch (const ToolError &e) {
            return e.text();
        }
    }
};

const char *goodMaterial = R"(
material: 4100
chapter: 11
type: Oceli
name: Zkušební ocel
norm: ČSN EN 10025-2 | S 235 JR
source: EN 10025-2:2004
eq: Německo | DIN 17100 | St 37-2
eq: Česko | ČSN 41 1375 | 11 375
eq: Japonsko | JIS G 3101 | SS 400
chem: C ..0.17; Mn 0.5..; P ..0.035 {poznámka; se středníkem}
balance: Fe
purpose: první část
purpose: druhá část
heat: Kalení | 820..860 | voda | 30 min | jen tenké průřezy
phys: Hustota | 20 | 7850
phys: Teplota tání [°C] | | 1420..1460
semi: Tyče | Válcováno za tepla
state: +AR {stav dodání}
dim: 16.. | Rm 360..510; Rp0,2@20 235..; Rp0,2@300 150.. {za tepla}
dim: -
prop: HB ..207
)";

} // namespace

TEST_F(CatalogueSourceFolder, BuildsOpenRangesNotesAndTemperatures)
{
    writeMaterialFile(QString::fromUtf8(goodMaterial));
    ASSERT_EQ(problems(), QString());
    const BuildSummary s = buildCatalogue(readCatalogueSource(dir.path()), dir.path() + QStringLiteral("/out"));
    EXPECT_EQ(s.materials, 1);
    EXPECT_EQ(s.perChapter.value(QStringLiteral("Oceli")), 1);
    auto db = openBoth(dir.path() + QStringLiteral("/out"));

    // Only a minimum keeps the maximum empty, and the reverse.
    const QList<QVariantList> mn = db->rows(QStringLiteral("select MinValue, MaxValue from ChemComp c join Elements e on e.Number=c.ElementNo where e.Label='Mn'"));
    ASSERT_EQ(mn.size(), 1);
    EXPECT_DOUBLE_EQ(mn[0][0].toDouble(), 0.5);
    EXPECT_TRUE(mn[0][1].isNull());
    // A note may hold a semicolon; it lands in Notices and is linked.
    EXPECT_EQ(db->scalar(QStringLiteral("select n.Notice from ChemComp c join Notices n on n.Number=c.NoticeNo")).toString(),
              QStringLiteral("poznámka; se středníkem"));
    EXPECT_EQ(db->scalar(QStringLiteral("select n.Notice from States s join Notices n on n.Number=s.NoticeNo")).toString(), QStringLiteral("stav dodání"));
    // Open dimension range and the "any dimension" row.
    const QList<QVariantList> dims = db->rows(QStringLiteral("select FromValue, ToValue from Dimens order by Number"));
    ASSERT_EQ(dims.size(), 2);
    EXPECT_DOUBLE_EQ(dims[0][0].toDouble(), 16.0);
    EXPECT_TRUE(dims[0][1].isNull());
    EXPECT_TRUE(dims[1][0].isNull() && dims[1][1].isNull());
    // One MechProp row per property, one Temps row per temperature.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from MechProp")), 3);
    const QList<QVariantList> hot = db->rows(QStringLiteral(
        "select te.Temperature, te.TempMinValue, n.Notice from MechProp mp join usr.PropType p on p.Number=mp.PropertyNo "
        "join Temps te on te.PropertyNo=mp.Number left join Notices n on n.Number=te.NoticeNo where p.Code='Rp0,2' order by te.Temperature"));
    ASSERT_EQ(hot.size(), 2);
    EXPECT_EQ(hot[0][0].toInt(), 20);
    EXPECT_EQ(hot[1][0].toInt(), 300);
    EXPECT_DOUBLE_EQ(hot[1][1].toDouble(), 150.0);
    EXPECT_EQ(hot[1][2].toString(), QStringLiteral("za tepla"));
    // Hold time under Cool, cooling medium under Stand (shown as "Výdrž" / "Ochlazování").
    const QList<QVariantList> heat = db->rows(QStringLiteral("select Cool, Stand, Notice, MinValue, MaxValue from TempProc"));
    ASSERT_EQ(heat.size(), 1);
    EXPECT_EQ(heat[0][0].toString(), QStringLiteral("30 min"));
    EXPECT_EQ(heat[0][1].toString(), QStringLiteral("voda"));
    EXPECT_EQ(heat[0][2].toString(), QStringLiteral("jen tenké průřezy"));
    // A physical property found by its name without the unit, temperature left empty.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from FyzProp f join FyzPropType t on t.Number=f.PropertyNo where t.Name='Hustota [kg/m3]' and f.MinValue=7850 and f.MaxValue is null")), 1);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from FyzProp where Temperature is null and MinValue=1420 and MaxValue=1460")), 1);
    // Short forms drop the blanks; the node shows the designation.
    EXPECT_EQ(db->scalar(QStringLiteral("select LabelShort from Norms")).toString(), QStringLiteral("S235JR"));
    EXPECT_EQ(db->scalar(QStringLiteral("select ShortLabel from Nodes where MaterialNo=4100")).toString(), QStringLiteral("S235JR"));
    EXPECT_EQ(db->scalar(QStringLiteral("select Text from Nodes where MaterialNo=4100")).toString(), QStringLiteral("S 235 JR"));
    EXPECT_EQ(db->scalar(QStringLiteral("select PurposeAll from Mat")).toString(), QStringLiteral("první část druhá část"));
}

TEST_F(CatalogueSourceFolder, ReportsEveryMistakeWithItsLine)
{
    QString text = QString::fromUtf8(goodMaterial);
    text.replace(QStringLiteral("chem: C ..0.17;"), QStringLiteral("chem: Xx ..0.17; C 0.5..0.2;"));
    text.replace(QStringLiteral("eq: Japonsko | JIS G 3101 | SS 400\n"), QString());
    text.replace(QStringLiteral("state: +AR"), QStringLiteral("state: +ZZ"));
    text.replace(QStringLiteral("purpose: první část"), QStringLiteral("purpose: první část, σ ≤ 5 MPa"));
    text.replace(QStringLiteral("semi: Tyče | Válcováno za tepla"), QStringLiteral("semi: Válcováno za tepla | Tyče"));
    text.replace(QStringLiteral("balance: Fe"), QStringLiteral("balance: Fe\npdf: ../list"));
    text += QStringLiteral("colour: blue\nmaterial: 4100\nchapter: 11\ntype: Kovy\nname: %1\nnorm: X | Y\nsource: s\npdf: ../LIST\n")
                .arg(QString(201, QLatin1Char('x')));
    writeMaterialFile(text);
    const QString p = problems();
    for (const char *expected : {"99-test.txt:10: unknown element \"Xx\"", "99-test.txt:10: minimum 0.5 above maximum 0.2",
                                 "fewer than three \"eq:\"", "unknown state \"+ZZ\"", "belongs to group 2, field 1 needs group 1",
                                 "belongs to group 1, field 2 needs group 2", "unknown key \"colour\"", "number used twice",
                                 "unknown type \"Kovy\"", "Mat.Name longer than 200", "\"chem:\" missing",
                                 "99-test.txt:13: characters outside windows-1250: σ≤", "PDF sheet \"../LIST\" used twice",
                                 "PDF sheet name \"../list\" is not a plain file name"})
        EXPECT_TRUE(p.contains(QString::fromUtf8(expected))) << expected << "\n---\n" << p.toStdString();
}

TEST_F(CatalogueSourceFolder, RejectsImpossibleCompositionsAndHierarchy)
{
    writeMaterialFile(QString::fromUtf8(goodMaterial).replace(QStringLiteral("chem: C ..0.17; Mn 0.5..;"),
                                                           QStringLiteral("chem: C 60..; Mn 41..;")));
    EXPECT_TRUE(problems().contains(QStringLiteral("sum of composition minima 101"))) << problems().toStdString();

    writeMaterialFile(QStringLiteral("material: 4200\nchapter: 11\ndim: 1..2\nprop: Rm 1..\nstate: +N\nchem: C 0.1\n"));
    const QString p = problems();
    EXPECT_TRUE(p.contains(QStringLiteral("\"dim:\" before any \"state:\"")));
    EXPECT_TRUE(p.contains(QStringLiteral("\"prop:\" before any \"dim:\"")));
    EXPECT_TRUE(p.contains(QStringLiteral("\"state:\" before any \"semi:\"")));
    EXPECT_TRUE(p.contains(QStringLiteral("bad range \"0.1\""))) << p.toStdString();
    // Nothing was written for a failing source.
    EXPECT_THROW(buildCatalogue(readCatalogueSource(dir.path()), dir.path() + QStringLiteral("/out")), ToolError);
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/out/catalogue.sqlite")));
}

TEST_F(CatalogueSourceFolder, AcceptsByteOrderMarksAndWindowsLineEnds)
{
    QString text = QString::fromUtf8(goodMaterial);
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    writeMaterialFile(QChar(0xFEFF) + text);
    QFile csv(dir.path() + QStringLiteral("/codes/Tree.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly | QIODevice::Truncate));
    csv.write("\xEF\xBB\xBFNUMBER;LABEL\r\n1;Obsah katalogu\r\n");
    csv.close();
    EXPECT_EQ(problems(), QString());
    const CatalogueSource src = readCatalogueSource(dir.path());
    ASSERT_EQ(src.materials.size(), 1);
    EXPECT_EQ(src.materials[0].purpose, QStringLiteral("první část druhá část"));
    EXPECT_EQ(src.codes[QStringLiteral("Tree")].rows.value(0).value(1), QStringLiteral("Obsah katalogu"));
}

TEST(CatalogueSourceParts, RangesAndPurposePieces)
{
    Range r;
    EXPECT_TRUE(parseRange(QStringLiteral("-20..-5"), r));
    EXPECT_DOUBLE_EQ(*r.min, -20);
    EXPECT_DOUBLE_EQ(*r.max, -5);
    EXPECT_TRUE(parseRange(QStringLiteral("..0.035"), r));
    EXPECT_FALSE(r.min.has_value());
    EXPECT_FALSE(parseRange(QStringLiteral(".."), r));
    EXPECT_FALSE(parseRange(QStringLiteral("0,5..1"), r));
    EXPECT_FALSE(parseRange(QStringLiteral("5"), r));
    EXPECT_TRUE(parseRange(QStringLiteral("5"), r, true));
    EXPECT_FALSE(r.max.has_value());

    QString text;
    for (int i = 0; i < 700; ++i)
        text += QChar(u'a' + i % 26);
    const QStringList pieces = splitPurpose(text);
    ASSERT_EQ(pieces.size(), 6);
    EXPECT_EQ(pieces[0].size(), 255);
    EXPECT_EQ(pieces[2].size(), 700 - 510);
    EXPECT_TRUE(pieces[3].isEmpty());
    EXPECT_EQ(pieces.join(QString()), text);
}
