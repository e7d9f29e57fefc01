// Validation of the demo catalogue as built from data/catalogue: what the program relies on
// (codes, relations, widths, short forms) and what a reader relies on (every material
// complete and its numbers consistent).

#include "ToolsTestSupport.h"

#include "db/Schema.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace orv::catalogue;
using namespace orv::catalogue::test;

namespace {

class DemoCatalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        const QString &folder = demoDataFolder(&error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        db = openBoth(folder);
    }
    // Rows of `sql` as text, for failure messages.
    QString listing(const QString &sql)
    {
        QStringList out;
        for (const QVariantList &r : db->rows(sql)) {
            QStringList cells;
            for (const QVariant &v : r)
                cells << v.toString();
            out << cells.join(QStringLiteral(" | "));
        }
        return out.join(QLatin1Char('\n'));
    }
    std::unique_ptr<SqliteFile> db;
};

struct Relation {
    const char *table, *column, *target, *targetColumn;
};

// Every relation between the tables; targets in the user file are reached through "usr".
const Relation relations[] = {
    {"Nodes", "TreeNo", "Tree", "NUMBER"},
    {"Nodes", "MaterialNo", "Mat", "Number"},
    {"Norms", "MaterialNo", "Mat", "Number"},
    {"CompareNorms", "MaterialNo", "Mat", "Number"},
    {"ChemComp", "MaterialNo", "Mat", "Number"},
    {"ChemZbytek", "MaterialNo", "Mat", "Number"},
    {"SemiProd", "MaterialNo", "Mat", "Number"},
    {"TempProc", "MaterialNo", "Mat", "Number"},
    {"FyzProp", "MaterialNo", "Mat", "Number"},
    {"usr.UserNotices", "MATERIALNO", "Mat", "Number"},
    {"Mat", "TypeNo", "MatTypes", "Number"},
    {"usr.UserChemComp", "TypeNo", "MatTypes", "Number"},
    {"DefaultChemComp", "TypeNo", "MatTypes", "Number"},
    {"Mat", "NoticeNo", "Notices", "Number"},
    {"ChemComp", "NoticeNo", "Notices", "Number"},
    {"SemiProd", "NoticeNo", "Notices", "Number"},
    {"States", "NoticeNo", "Notices", "Number"},
    {"Dimens", "NoticeNo", "Notices", "Number"},
    {"MechProp", "NoticeNo", "Notices", "Number"},
    {"Temps", "NoticeNo", "Notices", "Number"},
    {"FyzProp", "NoticeNo", "Notices", "Number"},
    {"Norms", "CountryNo", "Country", "Number"},
    {"CompareNorms", "CountryNo", "Country", "Number"},
    {"ChemComp", "ElementNo", "Elements", "Number"},
    {"ChemZbytek", "ElementNo", "Elements", "Number"},
    {"usr.UserChemComp", "ElementNo", "Elements", "Number"},
    {"DefaultChemComp", "ElementNo", "Elements", "Number"},
    {"usr.SetupChemComp", "ELEMENTNO", "Elements", "Number"},
    {"SemiProd", "Group1No", "SemTypes", "Number"},
    {"SemiProd", "Group2No", "SemTypes", "Number"},
    {"SemiProd", "Group3No", "SemTypes", "Number"},
    {"SemiProd", "Group4No", "SemTypes", "Number"},
    {"States", "SemiPrNo", "SemiProd", "Number"},
    {"States", "StateNo", "StTypes", "Number"},
    {"Dimens", "StateNo", "States", "Number"},
    {"MechProp", "DimensionNo", "Dimens", "Number"},
    {"MechProp", "PropertyNo", "usr.PropType", "Number"},
    {"usr.UserMechProp", "PropertyNo", "usr.PropType", "Number"},
    {"DefaultMechProp", "PropertyNo", "usr.PropType", "Number"},
    {"usr.PropType", "Parent", "usr.PropType", "Number"},
    {"Temps", "PropertyNo", "MechProp", "Number"},
    {"TempProc", "ProcNo", "Proc", "Number"},
    {"FyzProp", "PropertyNo", "FyzPropType", "Number"},
};

} // namespace

TEST_F(DemoCatalogue, EveryForeignKeyResolves)
{
    for (const Relation &r : relations) {
        const QString sql = QStringLiteral("select %2 from %1 where %2 is not null and %2 not in (select %4 from %3)")
                                .arg(QLatin1String(r.table), QLatin1String(r.column), QLatin1String(r.target), QLatin1String(r.targetColumn));
        EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (%1)").arg(sql)), 0)
            << r.table << "." << r.column << " -> " << r.target << ":\n" << listing(sql).toStdString();
    }
    // Group members point at group rows, never at single properties.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from usr.PropType p join usr.PropType g on p.Parent=g.Number "
                                        "where g.GroupType<>'A' or g.GroupType is null")), 0);
}

TEST_F(DemoCatalogue, KeysAreUniqueAndTreeReachesTheRoot)
{
    for (const orv::db::TableDef &t : orv::db::schema()) {
        const orv::db::ColumnDef *n = t.column(QStringLiteral("Number"));
        if (!n)
            continue;
        const QString table = (t.database == orv::db::Database::User ? QStringLiteral("usr.") : QString()) + t.name;
        EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (select %2 from %1 group by %2 having count(*)>1)").arg(table, n->name)), 0)
            << "duplicate Number in " << t.name.toStdString();
        EXPECT_EQ(count(*db, QStringLiteral("select count(*) from %1 where %2 is null").arg(table, n->name)), 0)
            << "empty Number in " << t.name.toStdString();
    }
    // No node numbered 0 (it would become the only top-level node) and every parent chain
    // ends at 0 within a few steps.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Nodes where Number=0")), 0);
    const QString unreachable = QStringLiteral(
        "with recursive up(n, p, depth) as (select Number, ParentNo, 0 from Nodes "
        "union all select up.n, nd.ParentNo, depth+1 from up join Nodes nd on nd.Number=up.p where depth<20) "
        "select n from up group by n having min(case when p=0 then 0 else 1 end)=1");
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (%1)").arg(unreachable)), 0) << listing(unreachable).toStdString();
    // Material nodes hang in chapters, chapters never point at materials.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Nodes m join Nodes c on m.ParentNo=c.Number where c.MaterialNo is not null")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Nodes where MaterialNo is not null and ImageIndex not in (4,6)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Nodes where MaterialNo is null and ImageIndex not in (0,2)")), 0);
}

TEST_F(DemoCatalogue, EveryMaterialIsComplete)
{
    const QString incomplete = QStringLiteral(
        "select m.Number, m.Name from Mat m where "
        " not exists (select 1 from Nodes n where n.MaterialNo=m.Number)"
        " or (select count(*) from Norms n where n.MaterialNo=m.Number and length(trim(n.Label))>0 and length(trim(n.Name))>0)<>1"
        " or not exists (select 1 from ChemComp c where c.MaterialNo=m.Number)"
        " or (select count(*) from CompareNorms c where c.MaterialNo=m.Number)<3"
        " or m.Name is null or m.TypeNo is null or m.Purpose is null");
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (%1)").arg(incomplete)), 0) << listing(incomplete).toStdString();
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Mat where Private='A'")), 0);
    // A steel or cast iron has iron as its balance, a non-ferrous metal something else.
    const QString wrongBalance = QStringLiteral(
        "select m.Number from Mat m join MatTypes t on t.Number=m.TypeNo left join ChemZbytek z on z.MaterialNo=m.Number "
        "left join Elements e on e.Number=z.ElementNo where (t.Name<>'Neželezné kovy' and coalesce(e.Label,'')<>'Fe') "
        "or (t.Name='Neželezné kovy' and (e.Label is null or e.Label='Fe'))");
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (%1)").arg(wrongBalance)), 0) << listing(wrongBalance).toStdString();
}

TEST_F(DemoCatalogue, RangesAndCompositionSumsAreSound)
{
    const struct {
        const char *table, *lo, *hi;
    } ranges[] = {{"ChemComp", "MinValue", "MaxValue"}, {"Dimens", "FromValue", "ToValue"},
                  {"Temps", "TempMinValue", "TempMaxValue"}, {"TempProc", "MinValue", "MaxValue"},
                  {"FyzProp", "MinValue", "MaxValue"}, {"DefaultChemComp", "MinValue", "MaxValue"},
                  {"DefaultMechProp", "MinValue", "MaxValue"}};
    for (const auto &r : ranges)
        EXPECT_EQ(count(*db, QStringLiteral("select count(*) from %1 where %2 > %3").arg(QLatin1String(r.table), QLatin1String(r.lo), QLatin1String(r.hi))), 0)
            << r.table;
    const QString overfull = QStringLiteral("select MaterialNo, sum(MinValue) s from ChemComp group by MaterialNo having s > 100");
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (%1)").arg(overfull)), 0) << listing(overfull).toStdString();
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from ChemComp where MinValue<0 or MaxValue<0 or MaxValue>100")), 0);
    // One element once per material; a composition row says something.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (select MaterialNo, ElementNo from ChemComp group by 1,2 having count(*)>1)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from ChemComp where MinValue is null and MaxValue is null")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Temps where TempMinValue is null and TempMaxValue is null")), 0);
    // A mechanical-property row always has at least one value.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from MechProp mp where not exists (select 1 from Temps te where te.PropertyNo=mp.Number)")), 0);
}

TEST_F(DemoCatalogue, TextsFitTheirWidthsAndShortFormsMatch)
{
    for (const orv::db::TableDef &t : orv::db::schema()) {
        const QString table = (t.database == orv::db::Database::User ? QStringLiteral("usr.") : QString()) + t.name;
        for (const orv::db::ColumnDef &c : t.columns) {
            if (c.type != orv::db::ColumnType::Alpha)
                continue;
            EXPECT_EQ(count(*db, QStringLiteral("select count(*) from %1 where length(\"%2\") > %3").arg(table, c.name).arg(c.width)), 0)
                << t.name.toStdString() << "." << c.name.toStdString();
        }
    }
    for (const char *t : {"Norms", "CompareNorms"}) {
        const QString bad = QStringLiteral("select Name, NameShort, Label, LabelShort from %1 where NameShort is not replace(Name,' ','') "
                                           "or LabelShort is not replace(Label,' ','')").arg(QLatin1String(t));
        EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (%1)").arg(bad)), 0) << t << ":\n" << listing(bad).toStdString();
    }
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Nodes where ShortLabel is not replace(Label,' ','')")), 0);
    // Material nodes carry the designation of the material's own standard.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Nodes nd join Norms n on n.MaterialNo=nd.MaterialNo where nd.Label<>n.Label")), 0);
    // The purpose pieces join to the whole text and only the last piece is short.
    const QString purpose = QStringLiteral(
        "select Number from Mat where PurposeAll is not (coalesce(Purpose,'')||coalesce(Purpose1,'')||coalesce(Purpose2,'')"
        "||coalesce(Purpose3,'')||coalesce(Purpose4,'')||coalesce(Purpose5,'')) "
        "or (Purpose1 is not null and length(Purpose)<>255) or (Purpose2 is not null and length(Purpose1)<>255)");
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (%1)").arg(purpose)), 0) << listing(purpose).toStdString();
}

TEST_F(DemoCatalogue, SemiProductGroupsMatchTheirColumns)
{
    const QString sql = QStringLiteral(
        "select sp.Number from SemiProd sp join Mat m on m.Number=sp.MaterialNo join MatTypes mt on mt.Number=m.TypeNo "
        "left join SemTypes g1 on g1.Number=sp.Group1No left join SemTypes g2 on g2.Number=sp.Group2No "
        "left join SemTypes g3 on g3.Number=sp.Group3No left join SemTypes g4 on g4.Number=sp.Group4No where "
        "(mt.Name='Neželezné kovy' and (g1.GroupNo is not 5 or sp.Group2No is not null or sp.Group3No is not null or sp.Group4No is not null)) "
        "or (mt.Name<>'Neželezné kovy' and g1.GroupNo is not 1) "
        "or g2.GroupNo<>2 or g3.GroupNo<>3 or g4.GroupNo<>4");
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (%1)").arg(sql)), 0) << listing(sql).toStdString();
    for (int g = 1; g <= 5; ++g)
        EXPECT_GT(count(*db, QStringLiteral("select count(*) from SemTypes where GroupNo=%1").arg(g)), 0) << "group " << g;
    // Semi-product type names are unique, so a name found in the search lists means one row.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (select Name from SemTypes group by Name having count(*)>1)")), 0);
}

TEST_F(DemoCatalogue, CodesAndSettingsTheProgramExpects)
{
    EXPECT_EQ(db->scalar(QStringLiteral("select Text from Nodes where Number=-1 and ParentNo=0 and MaterialNo is null")).toString(),
              QStringLiteral("Vlastní materiály"));
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Tree where NUMBER=1")), 1);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from MatTypes where Name='Neželezné kovy'")), 1);
    for (int n : {9000, 7562, 15535})
        EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Mat m join Nodes nd on nd.MaterialNo=m.Number where m.Number=%1").arg(n)), 1)
            << "material " << n;
    // Every kind of metal has its composition defaults; property defaults exist.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from MatTypes t where not exists (select 1 from DefaultChemComp d where d.TypeNo=t.Number)")), 0);
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from DefaultMechProp")), 0);
    // DefaultMechProp marks groups exactly where PropType does.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from DefaultMechProp d join usr.PropType p on p.Number=d.PropertyNo "
                                        "where (d.GroupType='A') <> (p.GroupType='A')")), 0);
    // At least two property groups, each with members; single properties have a code.
    EXPECT_GE(count(*db, QStringLiteral("select count(*) from usr.PropType g where GroupType='A' and exists (select 1 from usr.PropType m where m.Parent=g.Number)")), 2);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from usr.PropType where GroupType<>'A' and (Code is null or Measure is null)")), 0);
    // Success rate: one row, a whole number; the form template has its placeholders.
    const QList<QVariantList> setup = db->rows(QStringLiteral("select Value, Formular from usr.Setup where Items='USPESNOST'"));
    ASSERT_EQ(setup.size(), 1);
    bool ok = false;
    const int rate = setup[0][0].toString().toInt(&ok);
    EXPECT_TRUE(ok && rate >= 0 && rate <= 100);
    for (const char *ph : {"#JMENO", "#FIRMA", "#ZAK_CISLO", "#CISLO_FAK"})
        EXPECT_TRUE(setup[0][1].toString().contains(QLatin1String(ph))) << ph;
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from usr.SetupChemComp")), 0);
    // A fresh user file starts with the standard settings of the search.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from usr.UserMechProp")), count(*db, QStringLiteral("select count(*) from DefaultMechProp")));
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from usr.UserChemComp u where not exists (select 1 from DefaultChemComp d "
                                        "where d.Number=u.Number and d.ElementNo=u.ElementNo and d.TypeNo=u.TypeNo)")), 0);
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from usr.UserChemComp")), 0);
    for (const char *work : {"FindChemComp", "FindMechPropTemp", "UserNotices", "private_MAT"})
        EXPECT_EQ(count(*db, QStringLiteral("select count(*) from usr.%1").arg(QLatin1String(work))), 0) << work;
}

TEST_F(DemoCatalogue, CzechTextsSurviveAndSortAsWritten)
{
    EXPECT_EQ(db->scalar(QStringLiteral("select Name from Elements where Label='Cr'")).toString(), QStringLiteral("Chrom"));
    EXPECT_EQ(db->scalar(QStringLiteral("select Name from Elements where Label='Si'")).toString(), QStringLiteral("Křemík"));
    EXPECT_EQ(db->scalar(QStringLiteral("select Name from Country where Number=1")).toString(), QStringLiteral("Česko"));
    // No text carries the replacement character or stray blanks at its ends.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from Mat where instr(Name, char(65533))>0 or Name<>trim(Name)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from CompareNorms where Label<>trim(Label) or Name<>trim(Name)")), 0);
}

TEST_F(DemoCatalogue, HotStrengthForBoilerAndHeatResistingSteels)
{
    // The chapters of steels for elevated temperatures carry values above room temperature
    // (proof strength of boiler steels, creep rupture strength of heat-resisting steels).
    const QString sql = QStringLiteral(
        "select c.Text from Nodes c where c.Text in ('Oceli pro kotle a tlakové nádoby','Žáruvzdorné oceli') and exists "
        "(select 1 from Nodes m where m.ParentNo=c.Number) and not exists (select 1 from Nodes m join SemiProd sp on sp.MaterialNo=m.MaterialNo "
        "join States st on st.SemiPrNo=sp.Number join Dimens di on di.StateNo=st.Number join MechProp mp on mp.DimensionNo=di.Number "
        "join Temps te on te.PropertyNo=mp.Number where m.ParentNo=c.Number and te.Temperature>20)");
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (%1)").arg(sql)), 0) << listing(sql).toStdString();
}

TEST_F(DemoCatalogue, EveryChapterHoldsGrades)
{
    // Sub-chapters without sub-chapters of their own hold materials; the demo catalogue is
    // at least 150 grades.
    const QString empty = QStringLiteral(
        "select c.Text from Nodes c where c.MaterialNo is null and c.Number<>-1 and not exists (select 1 from Nodes x where x.ParentNo=c.Number)");
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (%1)").arg(empty)), 0) << listing(empty).toStdString();
    EXPECT_GE(count(*db, QStringLiteral("select count(*) from Mat")), 150);
}
