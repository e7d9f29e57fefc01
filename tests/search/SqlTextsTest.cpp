// Every SQL text of the searches, the contents tree, the material card and the printouts, the
// fixed ones and what the builders write for representative inputs, run on each engine: a text
// one engine refuses would fail only for the users of that engine.

#include "browse/BrowseSql.h"
#include "db/SqlLines.h"
#include "printouts/PrintQueries.h"
#include "search/ChemSearch.h"
#include "search/MechSearch.h"
#include "search/SearchSql.h"

#include "db/Connection.h"
#include "SearchEngines.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::search;

using orv::db::sqlLines;

namespace {

struct SqlText {
    QString name;
    QString sql;
};

QString joined(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n'));
}

// The few code rows the builders look names up in.
void fillCodes(db::Connection &c)
{
    c.exec(QStringLiteral("insert into MatTypes (Number, Name) values (1, 'Oceli')"));
    c.exec(QStringLiteral("insert into SemTypes (Number, GroupNo, Name) values (11, 1, 'Plech')"));
    c.exec(QStringLiteral("insert into SemTypes (Number, GroupNo, Name) values (12, 5, 'Plech')"));
    c.exec(QStringLiteral("insert into SemTypes (Number, GroupNo, Name) values (21, 2, 'Válcovaný')"));
    c.exec(QStringLiteral("insert into StTypes (Number, Name) values (31, 'Žíhaný')"));
    c.exec(QStringLiteral("insert into PropType (Number, Name, GroupType, Parent) values (1, 'Rm', 'N', 10)"));
    c.exec(QStringLiteral("insert into PropType (Number, Name, GroupType, Parent) values (10, 'Pevnost', 'A', NULL)"));
}

QList<SqlText> designationTexts()
{
    QList<SqlText> out;
    int n = 0;
    for (Precision p : {Precision::Exact, Precision::FromLeft, Precision::Part, Precision::Approximate})
        for (bool spaces : {true, false}) {
            DesignationCriteria c;
            c.text = QStringLiteral("aisi 30'4%_");
            c.precision = p;
            c.withoutSpaces = spaces;
            c.caseSensitive = n % 3 == 0;
            c.inCountry = n % 2 == 0;
            c.country = QStringLiteral("Česko");
            c.inMatType = n % 2 == 1;
            c.matType = QStringLiteral("Oceli");
            c.inNames = n != 5;
            QStringList sql;
            buildDesignationSql(sql, c);
            out << SqlText{QStringLiteral("designation %1").arg(n++), joined(sql)};
        }
    return out;
}

QList<SqlText> usageTexts()
{
    QList<SqlText> out;
    for (int n = 0; n < 3; ++n) {
        UsageCriteria c;
        c.text = QStringLiteral("hřídele 5%");
        c.ignoreDiacritics = n == 1;
        c.inMatType = n != 0;
        c.matType = QStringLiteral("Oceli");
        c.byUsage = n != 2;
        QStringList sql;
        buildUsageSql(sql, c);
        out << SqlText{QStringLiteral("usage %1").arg(n), joined(sql)};
    }
    return out;
}

QList<SqlText> compositionTexts(db::Connection &c)
{
    QList<SqlText> out{
        {QStringLiteral("readChemCriteria"), QStringLiteral("select ElementNo, MinValue, MaxValue, Selected from UserChemComp order by Number")},
        {QStringLiteral("readDeviations"), QStringLiteral("select ELEMENTNO, DIGRESS from SetupChemComp order by NUMBER")},
        {QStringLiteral("readSuccessRate"), QStringLiteral("select Value from Setup where Items='USPESNOST'")},
    };
    const QList<ChemCriterion> criteria{{6, 0.1, std::nullopt, true}, {7, 0.5, 1.0, true}, {25, std::nullopt, 3.0, true}};
    for (int n = 0; n < 3; ++n) {
        ChemOptions o;
        o.inMatType = n == 1;
        o.matType = QStringLiteral("Oceli");
        o.keepInterval = n != 2;
        o.threshold = static_cast<ChemThreshold>(n);
        // The real search runs the fill itself; its texts are then run once more on their own.
        const ChemSearchOutcome r = runChemSearch(c, n == 0 ? criteria.mid(0, 1) : criteria, {{7, 10.0}}, 70, o);
        out << SqlText{QStringLiteral("chem stage one %1").arg(n), chemFillSql(r.stageOneSql)}
            << SqlText{QStringLiteral("chem result %1").arg(n), joined(r.resultSql)};
        QStringList fallback = r.resultSql;
        setChemFallback(fallback);
        out << SqlText{QStringLiteral("chem fallback %1").arg(n), joined(fallback)};
    }
    return out;
}

QList<SqlText> propertyTexts(db::Connection &c)
{
    QList<SqlText> out{
        {QStringLiteral("readMechCriteria"), QStringLiteral("select PropertyNo, GroupType, MinValue, MaxValue, Selected from UserMechProp order by Number")},
        {QStringLiteral("groupMembers"), QStringLiteral("select Number from PropType where Parent=:PropertyNo order by Number")},
        {QStringLiteral("lookup type"), QStringLiteral("select Number from MatTypes where Name=:n")},
        {QStringLiteral("lookup semi-product"), QStringLiteral("select Number from SemTypes where Name=:n and GroupNo=:g")},
        {QStringLiteral("lookup state"), QStringLiteral("select Number from StTypes where Name=:n")},
        {QStringLiteral("bestCombination"), QStringLiteral(
            "select fmp.MatNumber, fmp.spNumber, fmp.diNumber, fmp.stNumber\n"
            "  from FindMechPropTemp fmp\n"
            "  where MatNumber=:in1 and fmp.PocetMechProp=(select MAX(PocetMechProp) from FindMechPropTemp where MatNumber=fmp.MatNumber)\n"
            "  order by fmp.spNumber, fmp.diNumber, fmp.stNumber")},
        {QStringLiteral("mech count"), mechCountSql()},
    };
    MechFilters f;
    f.inMatType = f.inSemiProducts = f.inStates = f.inDimensions = f.inTemperature = true;
    f.matType = QStringLiteral("Oceli");
    f.group[0] = QStringLiteral("Plech");
    f.group[1] = QStringLiteral("Válcovaný");
    f.group[2] = f.group[3] = QStringLiteral("všechny polotovary");
    f.state = QStringLiteral("Žíhaný");
    f.minDimension = 5;
    f.maxDimension = 15.5;
    f.temperature = -20;
    const QList<MechCriterion> criteria{{1, QStringLiteral("N"), 500.0, std::nullopt, true},
                                        {10, QStringLiteral("A"), 100.0, 900.0, true},
                                        {2, QStringLiteral("N"), std::nullopt, 30.0, true}};
    const MechSearchOutcome one = runMechSearch(c, criteria.mid(0, 1), f);
    const MechSearchOutcome three = runMechSearch(c, criteria, f);
    f.inProperties = false;
    const MechSearchOutcome none = runMechSearch(c, criteria, f);
    out << SqlText{QStringLiteral("mech fill one"), mechFillSql(one.allSql)}
        << SqlText{QStringLiteral("mech fill three"), mechFillSql(three.allSql)}
        << SqlText{QStringLiteral("mech result"), joined(three.resultSql)}
        << SqlText{QStringLiteral("mech without properties"), joined(none.allSql)};
    return out;
}

QList<SqlText> searchWindowTexts()
{
    return {
        {QStringLiteral("result export position"), QStringLiteral(
            "select sp.Name, stt.Code, stt.Name, di.FromValue, di.ToValue from SemiProd sp, States st "
            "left join StTypes stt on stt.Number = st.StateNo, Dimens di "
            "where sp.Number = :sp and st.Number = :st and di.Number = :di")},
        {QStringLiteral("material types"), QStringLiteral("select Name from MatTypes")},
        {QStringLiteral("card title"), QStringLiteral("select Text from Nodes where MaterialNo=:n")},
        {QStringLiteral("first type"), QStringLiteral("select Number from MatTypes order by Number limit 1")},
        {QStringLiteral("standard composition"), QStringLiteral(
            "insert into UserChemComp (Number, ElementNo, MinValue, MaxValue, Selected, TypeNo) "
            "select Number, ElementNo, MinValue, MaxValue, Selected, TypeNo "
            "from DefaultChemComp where TypeNo=:t order by Number")},
        {QStringLiteral("standard properties"), QStringLiteral(
            "insert into UserMechProp (Number, PropertyNo, MinValue, MaxValue, Selected, GroupType) "
            "select Number, PropertyNo, MinValue, MaxValue, Selected, GroupType "
            "from DefaultMechProp order by Number")},
        {QStringLiteral("clear composition"), QStringLiteral("delete from UserChemComp")},
        {QStringLiteral("clear properties"), QStringLiteral("delete from UserMechProp")},
        {QStringLiteral("property picker singles"), QStringLiteral("select *\n  from PropType\n  where coalesce(GroupType,'')<>'A'\n  order by Name collate CP1250")},
        {QStringLiteral("property picker groups"), QStringLiteral("select *\n  from PropType\n  where GroupType='A'\n  order by Name collate CP1250")},
        {QStringLiteral("property picker members"), QStringLiteral("select *\n  from PropType\n  where Parent=:Number\n  order by Name collate CP1250")},
    };
}

QList<SqlText> printoutTexts()
{
    using namespace orv::printouts;
    QList<SqlText> out{
        {QStringLiteral("infoQueryShort"), joined(infoQueryShort())},
        {QStringLiteral("infoQuery"), joined(infoQuery())},
        {QStringLiteral("info with sources"), joined(withSources(infoQuery(), true))},
        {QStringLiteral("info without sources"), joined(withSources(infoQuery(), false))},
        {QStringLiteral("equivalentsQuery"), joined(equivalentsQuery())},
        {QStringLiteral("noticesQuery"), joined(noticesQuery())},
        {QStringLiteral("compositionQuery"), joined(compositionQuery())},
        {QStringLiteral("compositionNotesQuery"), joined(compositionNotesQuery())},
        {QStringLiteral("mechanicalQuery"), joined(mechanicalQuery())},
        {QStringLiteral("userNoteQuery"), joined(userNoteQuery())},
        {QStringLiteral("semiProductTypesQuery"), joined(semiProductTypesQuery())},
        {QStringLiteral("stateTypesQuery"), joined(stateTypesQuery())},
        {QStringLiteral("propertyTypesQuery"), joined(propertyTypesQuery())},
        {QStringLiteral("physicalQuery"), joined(physicalQuery())},
        {QStringLiteral("physicalTypesQuery"), joined(physicalTypesQuery())},
        {QStringLiteral("heatTreatmentQuery"), joined(heatTreatmentQuery())},
        {QStringLiteral("processesQuery"), joined(processesQuery())},
    };
    // The comparison window.
    for (const char *sql : {
             "select mat.Name, nr.Name, nr.Label, mat.Private from Mat mat left join Norms nr on nr.MaterialNo = mat.Number "
             "where mat.Number = :m order by nr.Number limit 1",
             "select Source from MatSources where MaterialNo = :m order by Number",
             "select co.Number, co.Name, cn.Name, cn.Label from CompareNorms cn join Country co on co.Number = cn.CountryNo "
             "where cn.MaterialNo = :m order by co.Number, cn.Number",
             "select e.Number, e.Name, e.Label, c.MinValue, c.MaxValue from ChemComp c join Elements e on e.Number = c.ElementNo "
             "where c.MaterialNo = :m order by c.Number",
             "select e.Number, e.Name, e.Label from ChemZbytek z join Elements e on e.Number = z.ElementNo "
             "where z.MaterialNo = :m order by z.Number",
             "select sp.Name, sp.Group1No, st.StateNo, stt.Code, stt.Name, di.Number, di.FromValue, di.ToValue "
             "from SemiProd sp join States st on st.SemiPrNo = sp.Number join Dimens di on di.StateNo = st.Number "
             "left join StTypes stt on stt.Number = st.StateNo "
             "where sp.MaterialNo = :m and exists (select 1 from MechProp mp join Temps te on te.PropertyNo = mp.Number "
             "where mp.DimensionNo = di.Number and te.Temperature = 20) "
             "order by sp.Number, st.Number, di.Number",
             "select mp.PropertyNo, pt.Name, pt.Code, pt.Measure, te.TempMinValue, te.TempMaxValue "
             "from MechProp mp join Temps te on te.PropertyNo = mp.Number left join PropType pt on pt.Number = mp.PropertyNo "
             "where mp.DimensionNo = :d and te.Temperature = 20 order by mp.Number, te.Number",
             "select f.PropertyNo, t.Name, f.Temperature, f.MinValue, f.MaxValue from FyzProp f "
             "left join FyzPropType t on t.Number = f.PropertyNo where f.MaterialNo = :m order by f.Number",
             "select t.ProcNo, p.Name, t.MinValue, t.MaxValue from TempProc t left join Proc p on p.Number = t.ProcNo "
             "where t.MaterialNo = :m order by t.Number",
             "select Number, Name from SemTypes where GroupNo in (1, 5) order by GroupNo, Number",
             "select Number, Code, Name from StTypes order by Number"})
        out << SqlText{QStringLiteral("comparison %1").arg(out.size()), QString::fromUtf8(sql)};
    return out;
}

QList<SqlText> browseTexts()
{
    QList<SqlText> out;
    // The contents tree's quick find and notes filter write into the data module's texts.
    const QStringList matFind = sqlLines({"select nd.Label, nd.MaterialNo, nd.Number, nd.Text, nd.ParentNo, nd.ImageIndex",
                                       "  from Nodes nd, Mat", "  where ",
                                       "    nd.MaterialNo=Mat.Number and (not nd.MaterialNo is null)", "", "", "",
                                       "  group by nd.Label, nd.MaterialNo, nd.Number, nd.Text, nd.ParentNo, nd.ImageIndex",
                                       "  order by nd.Text,nd.MaterialNo"});
    QStringList sql = matFind;
    browse::setQuickFind(sql, QStringLiteral("čsn 12'0%50"));
    out << SqlText{QStringLiteral("quick find"), joined(sql)};
    const QStringList dbTree = sqlLines({"select nd.Number, nd.ParentNo, nd.TreeNo, nd.MaterialNo, nd.Label, nd.IndexLabel, "
                                      "nd.ImageIndex, nd.ShortLabel, nd.Text, m.Private",
                                      "  from nodes nd, mat m", "  where nd.MaterialNo=m.Number", "",
                                      "union select nd.Number, nd.ParentNo, nd.TreeNo, nd.MaterialNo, nd.Label, "
                                      "nd.IndexLabel, nd.ImageIndex, nd.ShortLabel, nd.Text, 'N' Private",
                                      "  from nodes nd", "  where nd.MaterialNo is NULL"});
    for (bool on : {true, false}) {
        sql = dbTree;
        browse::setNotesFilterLines(sql, on);
        out << SqlText{QStringLiteral("notes filter %1").arg(on), joined(sql)};
    }
    for (const char *text : {
             "select *\n  from mat\n  where Number=:in1", "select *\n  from Norms\n  where MaterialNo=:in1",
             "select *\n  from CompareNorms\n  where MaterialNo=:in1", "select *\n  from Country",
             "select *\n  from ChemComp\n  where MaterialNo=:in1", "select *\n  from ChemZbytek\n  where MaterialNo=:in1",
             "select *\n  from Elements", "select *\n  from Notices", "select *\n  from SemiProd\n  where MaterialNo=:in1",
             "select *\n  from SemTypes", "select *\n  from States\n  where SemiPrNo=:Number", "select *\n  from StTypes",
             "select *\n  from Dimens\n  where StateNo=:Number",
             "select *\n  from MechProp mp, Temps te\n  where mp.DimensionNo=:Number and mp.Number=te.PropertyNo",
             "select *\n  from PropType", "Select *\n  from Nodes\n  where\n  MaterialNo=:Number",
             "select *\n  from TempProc\n  where MaterialNo=:in1", "select *\n  from Proc", "select *\n  from FyzPropType",
             "select *\n  from FyzProp\n  where MaterialNo=:in1", "select MAX(NUMBER)\n  from USERNOTICES",
             "select Private from Mat where Number=:m", "select count(*) from UserNotices",
             "select Source from MatSources where MaterialNo=:m order by Number",
             // The card as a spreadsheet.
             "select e.Label, e.Name, c.MinValue, c.MaxValue from ChemComp c left join Elements e on e.Number = c.ElementNo "
             "where c.MaterialNo = :m order by c.Number",
             "select e.Label, e.Name from ChemZbytek z left join Elements e on e.Number = z.ElementNo "
             "where z.MaterialNo = :m order by z.Number",
             "select trim(coalesce(g1.Name, '') || ', ' || coalesce(g2.Name, '') || ', ' || coalesce(g3.Name, '') || ', ' "
             "  || coalesce(g4.Name, ''), ', '), sp.Name, "
             "  trim(coalesce(stt.Code, '') || ' ' || coalesce(stt.Name, '')), di.FromValue, di.ToValue, "
             "  pt.Name, pt.Code, pt.Measure, te.Temperature, te.TempMinValue, te.TempMaxValue "
             "from SemiProd sp join States st on st.SemiPrNo = sp.Number join Dimens di on di.StateNo = st.Number "
             "join MechProp mp on mp.DimensionNo = di.Number join Temps te on te.PropertyNo = mp.Number "
             "left join SemTypes g1 on g1.Number = sp.Group1No left join SemTypes g2 on g2.Number = sp.Group2No "
             "left join SemTypes g3 on g3.Number = sp.Group3No left join SemTypes g4 on g4.Number = sp.Group4No "
             "left join StTypes stt on stt.Number = st.StateNo left join PropType pt on pt.Number = mp.PropertyNo "
             "where sp.MaterialNo = :m order by sp.Number, st.Number, di.Number, mp.Number, te.Number",
             "select t.Name, f.Temperature, f.MinValue, f.MaxValue from FyzProp f "
             "left join FyzPropType t on t.Number = f.PropertyNo where f.MaterialNo = :m order by f.Number",
             "select p.Name, t.MinValue, t.MaxValue from TempProc t left join Proc p on p.Number = t.ProcNo "
             "where t.MaterialNo = :m order by t.Number",
             "select co.Name, cn.Name, cn.Label from CompareNorms cn left join Country co on co.Number = cn.CountryNo "
             "where cn.MaterialNo = :m order by co.Number, cn.Number",
             "select Name, Label from Norms where MaterialNo = :m order by Number"})
        out << SqlText{QStringLiteral("browse %1").arg(out.size()), QString::fromUtf8(text)};
    return out;
}

class SqlTexts : public ::testing::TestWithParam<test::SearchEngine> {};

} // namespace

TEST_P(SqlTexts, EveryTextRunsOnTheEngine)
{
    ORV_SEARCH_DATABASE(d, GetParam());
    db::Connection &c = d.connection();
    fillCodes(c);
    QList<SqlText> texts;
    texts << designationTexts() << usageTexts() << compositionTexts(c) << propertyTexts(c) << searchWindowTexts()
          << printoutTexts() << browseTexts();
    EXPECT_GT(texts.size(), 90);
    for (const SqlText &t : std::as_const(texts)) {
        SCOPED_TRACE(t.name.toStdString());
        try {
            db::Transaction tr(c);
            db::Statement st(c, t.sql);
            for (const QString &p : st.parameterNames())
                st.bind(p, QVariant());
            while (st.step()) {
            }
        } catch (const std::exception &e) {
            ADD_FAILURE() << e.what() << "\n" << t.sql.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SqlTexts, ::testing::ValuesIn(test::searchEngines()), test::engineName);
