// The designation and usage query builders: the SQL text they write, line by line, and the
// rows that text returns from the demo catalogue. Lines are read with value(): a query
// shorter than expected fails the comparison instead of reading past the list's end.

#include "search/SearchSql.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "support/DemoCatalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace orv::search;
using orv::db::Connection;
using orv::db::DataSet;

namespace {

// Condition lines written into a query: everything that differs from the base text after
// the select list (which the designation search extends by its exact-match column).
QStringList conditions(const QStringList &sql, const QStringList &base)
{
    QStringList out;
    for (int i = 1; i < sql.size(); ++i)
        if (i >= base.size() || sql.at(i) != base.at(i))
            out << QStringLiteral("%1:%2").arg(i).arg(sql.at(i));
    return out;
}

// The first select of the designation query (the equivalents); the second, after "union",
// finds the sheet's own designation.
QStringList firstSelect(const QStringList &sql)
{
    return sql.mid(0, 31);
}
QStringList secondSelect(const QStringList &sql)
{
    const int u = sql.indexOf(QStringLiteral("union"));
    return u < 0 ? QStringList() : sql.mid(u + 1, 31);
}

TEST(DesignationSql, PartWithoutSpacesIgnoringCaseBracketsBothNameColumns)
{
    DesignationCriteria c;
    c.text = QStringLiteral("17 240");
    QStringList sql;
    buildDesignationSql(sql, c);
    ASSERT_EQ(sql.size(), 64);
    EXPECT_EQ(conditions(firstSelect(sql), designationBaseSql()),
              (QStringList{QStringLiteral("4:  and ("),
                           QStringLiteral("5:  UPPER(cn.NameShort) LIKE '%17240%' ESCAPE '\\'"),
                           QStringLiteral("6:  or UPPER(cn.LabelShort) LIKE '%17240%' ESCAPE '\\'"),
                           QStringLiteral("7:  or UPPER(cn.NameShort||cn.LabelShort) LIKE '%17240%' ESCAPE '\\'"),
                           QStringLiteral("8:  )")}));
    EXPECT_EQ(sql.value(30), QStringLiteral("group by mat.Number, cn.Name, cn.Label, co.Name, nr.Name, nr.Label"));
    // The same conditions on the sheet's own standard and designation.
    const QStringList own = secondSelect(sql);
    ASSERT_EQ(own.size(), 31);
    EXPECT_EQ(own.value(5), QStringLiteral("  UPPER(nr.NameShort) LIKE '%17240%' ESCAPE '\\'"));
    EXPECT_EQ(own.value(7), QStringLiteral("  or UPPER(nr.NameShort||nr.LabelShort) LIKE '%17240%' ESCAPE '\\'"));
    EXPECT_EQ(own.value(30), QStringLiteral("group by mat.Number, nr.Name, nr.Label, co.Name"));
}

TEST(DesignationSql, ExactMatchesComeFirst)
{
    DesignationCriteria c;
    c.text = QStringLiteral(" aisi  304 ");
    c.withoutSpaces = false;
    QStringList sql;
    buildDesignationSql(sql, c);
    EXPECT_TRUE(sql.value(0).endsWith(QStringLiteral(
        ", min(case when UPPER(cn.Name)='AISI 304' or UPPER(cn.Label)='AISI 304' or UPPER(cn.Name||cn.Label)='AISI 304' "
        "or UPPER(cn.Name||' '||cn.Label)='AISI 304' then 0 else 1 end) Shoda")))
        << sql.value(0).toStdString();
    EXPECT_TRUE(secondSelect(sql).value(0).contains(QStringLiteral("UPPER(nr.Label)='AISI 304'")));
    EXPECT_EQ(sql.constLast(),
              QStringLiteral("  order by Shoda, MatNumber, Norma nulls first, Znacka nulls first, Stat nulls first, "
                             "NormaListu nulls first, ZnackaListu nulls first"));
    // A typed quote stays inside its string.
    c.text = QStringLiteral("x' or 1=1 --");
    buildDesignationSql(sql, c);
    EXPECT_TRUE(sql.value(0).contains(QStringLiteral("='X'' OR 1=1 --'")));
}

TEST(DesignationSql, StandardAndGradeTogetherWithAndWithoutTheSpace)
{
    DesignationCriteria c;
    c.text = QStringLiteral("AISI 304");
    c.withoutSpaces = false;
    QStringList sql;
    buildDesignationSql(sql, c);
    EXPECT_EQ(sql.value(7), QStringLiteral("  or UPPER(cn.Name||' '||cn.Label) LIKE '%AISI 304%' ESCAPE '\\'"));
    EXPECT_EQ(sql.value(8), QStringLiteral("  or UPPER(cn.Name||cn.Label) LIKE '%AISI 304%' ESCAPE '\\'"));
    // Only one of the two boxes: no joined condition.
    c.inLabels = false;
    buildDesignationSql(sql, c);
    EXPECT_EQ(sql.value(6), QStringLiteral("  )"));
}

TEST(DesignationSql, PrecisionModesAndCaseAndSpaces)
{
    DesignationCriteria c;
    c.text = QStringLiteral("x5 cr");
    c.inLabels = false;
    c.withoutSpaces = false;
    c.caseSensitive = true;
    QStringList sql;
    c.precision = Precision::Exact;
    buildDesignationSql(sql, c);
    EXPECT_EQ(sql.value(5), QStringLiteral("  cn.Name LIKE 'x5 cr' ESCAPE '\\'"));
    c.precision = Precision::FromLeft;
    buildDesignationSql(sql, c);
    EXPECT_EQ(sql.value(5), QStringLiteral("  cn.Name LIKE 'x5 cr%' ESCAPE '\\'"));
    c.caseSensitive = false;
    c.withoutSpaces = true;
    buildDesignationSql(sql, c);
    EXPECT_EQ(sql.value(5), QStringLiteral("  UPPER(cn.NameShort) LIKE 'X5CR%' ESCAPE '\\'"));
    EXPECT_EQ(sql.value(6), QStringLiteral("  )"));
}

TEST(DesignationSql, ApproximateSplitsIntoPiecesAfterCollapsingSpaces)
{
    DesignationCriteria c;
    c.text = QStringLiteral("  X5  Cr Ni ");
    c.precision = Precision::Approximate;
    c.inNames = false;
    QStringList sql;
    buildDesignationSql(sql, c);
    EXPECT_EQ(conditions(firstSelect(sql), designationBaseSql()),
              (QStringList{QStringLiteral("4:  and ("),
                           QStringLiteral("5:  (UPPER(cn.LabelShort) LIKE '%X5%' ESCAPE '\\' and "
                                          "UPPER(cn.LabelShort) LIKE '%CR%' ESCAPE '\\' and "
                                          "UPPER(cn.LabelShort) LIKE '%NI%' ESCAPE '\\')"),
                           QStringLiteral("6:  )")}));
    EXPECT_EQ(collapseSpaces(QStringLiteral("  a   b  ")), QStringLiteral("a b"));
    EXPECT_EQ(collapseSpaces(QStringLiteral("   ")), QString());
}

TEST(DesignationSql, NoNameBoxesGoStraightToCountryAndType)
{
    DesignationCriteria c;
    c.text = QStringLiteral("ignored");
    c.inNames = c.inLabels = false;
    c.inCountry = true;
    c.country = QStringLiteral("Německo");
    c.inMatType = true;
    c.matType = QStringLiteral("Oceli");
    QStringList sql;
    buildDesignationSql(sql, c);
    EXPECT_EQ(conditions(firstSelect(sql), designationBaseSql()),
              (QStringList{QStringLiteral("4:  and co.Name LIKE 'Německo' ESCAPE '\\'"),
                           QStringLiteral("5:  and mt.Name LIKE 'Oceli' ESCAPE '\\'")}));
    // The entries meaning all write nothing.
    c.country = allCountries();
    c.matType = allMetals();
    buildDesignationSql(sql, c);
    EXPECT_TRUE(conditions(firstSelect(sql), designationBaseSql()).isEmpty());
}

TEST(DesignationSql, TypedQuotesAndWildcardsAreLiteral)
{
    DesignationCriteria c;
    c.text = QStringLiteral("a'b%c_d\\");
    c.inLabels = false;
    c.withoutSpaces = false;
    c.caseSensitive = true;
    c.inCountry = true;
    c.country = QStringLiteral("x' or 1=1 --");
    QStringList sql;
    buildDesignationSql(sql, c);
    EXPECT_EQ(sql.value(5), QStringLiteral("  cn.Name LIKE '%a''b\\%c\\_d\\\\%' ESCAPE '\\'"));
    EXPECT_EQ(sql.value(7), QStringLiteral("  and co.Name LIKE 'x'' or 1=1 --' ESCAPE '\\'"));
}

TEST(DesignationSql, TextLongerThan195CharactersIsRefused)
{
    DesignationCriteria c;
    c.text = QString(195, u'a');
    QStringList sql;
    EXPECT_NO_THROW(buildDesignationSql(sql, c));
    c.text = QString(196, u'a');
    try {
        buildDesignationSql(sql, c);
        FAIL() << "a 196-character text was accepted";
    } catch (const SearchTextError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("195"))) << e.message().toStdString();
        EXPECT_EQ(sql, designationBaseSql());
    }
    UsageCriteria u;
    u.text = QString(196, u'b');
    EXPECT_THROW(buildUsageSql(sql, u), SearchTextError);
    u.byUsage = false;
    EXPECT_NO_THROW(buildUsageSql(sql, u));
}

TEST(UsageSql, TypeAndPurposeConditions)
{
    UsageCriteria c;
    c.inMatType = true;
    c.matType = QStringLiteral("Oceli");
    c.text = QStringLiteral("100%");
    QStringList sql;
    buildUsageSql(sql, c);
    const QString p = QStringLiteral(" LIKE '%100\\%%' ESCAPE '\\'");
    EXPECT_EQ(conditions(sql, usageBaseSql()),
              (QStringList{QStringLiteral("3:  and  mt.NAME = 'Oceli'"),
                           QStringLiteral("4:  and  (mat.PURPOSE") + p + QStringLiteral(" or mat.PURPOSE1") + p +
                               QStringLiteral(" or mat.PURPOSE2") + p + QStringLiteral(" or mat.PURPOSE3") + p +
                               QStringLiteral(" or mat.PURPOSE4") + p + QStringLiteral(" or mat.PURPOSE5") + p +
                               QStringLiteral(")")}));
    EXPECT_EQ(sql.value(30), QStringLiteral("  order by Norma nulls first, Znacka nulls first, MatNumber"));
}

// ---- against the demo catalogue

class DemoCatalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString root = dir.path() + QStringLiteral("/");
        ASSERT_TRUE(orv::test::copyDemoCatalogue(root));
        cat.open(root + QStringLiteral("catalogue.sqlite"), root + QStringLiteral("user.sqlite"));
    }

    // (Norma, Znacka) of every row of the designation query.
    std::set<std::pair<QString, QString>> designations(const DesignationCriteria &c)
    {
        DataSet q(QStringLiteral("qHledatEkvivalenty"), &cat);
        buildDesignationSql(q.sql(), c);
        q.open();
        std::set<std::pair<QString, QString>> out;
        for (q.first(); !q.eof(); q.next())
            out.insert({q.value(QStringLiteral("Norma")).toString(), q.value(QStringLiteral("Znacka")).toString()});
        return out;
    }
    std::set<int> usageMaterials(const UsageCriteria &c)
    {
        DataSet q(QStringLiteral("qHledatPouziti"), &cat);
        buildUsageSql(q.sql(), c);
        q.open();
        std::set<int> out;
        for (q.first(); !q.eof(); q.next())
            out.insert(q.value(QStringLiteral("MatNumber")).toInt());
        return out;
    }
    int count(const QString &sql) { return cat.scalar(sql).toInt(); }

    QTemporaryDir dir;
    Connection cat{QStringLiteral("VTX (CD)")};
};

TEST_F(DemoCatalogue, PartWithoutSpacesFinds17240WrittenWithASpace)
{
    DesignationCriteria c;
    c.text = QStringLiteral("17 240");
    const auto rows = designations(c);
    EXPECT_TRUE(rows.count({QStringLiteral("ČSN 41 7240"), QStringLiteral("17 240")}));
    for (const auto &[name, label] : rows)
        EXPECT_TRUE(QString(name + u'|' + label).remove(u' ').contains(QStringLiteral("17240")))
            << name.toStdString() << " " << label.toStdString();
    // With spaces kept the typed text must match as written: "17240" alone finds nothing.
    c.text = QStringLiteral("17240");
    c.withoutSpaces = false;
    EXPECT_TRUE(designations(c).empty());
}

TEST_F(DemoCatalogue, ApproximateNeedsEveryPiece)
{
    DesignationCriteria c;
    c.precision = Precision::Approximate;
    c.text = QStringLiteral("cr  ni mo");
    const auto rows = designations(c);
    EXPECT_TRUE(rows.count({QStringLiteral("DIN 17210"), QStringLiteral("17 CrNiMo 6")}));
    EXPECT_FALSE(rows.count({QStringLiteral("DIN 17210"), QStringLiteral("15 CrNi 6")}));
    for (const auto &[name, label] : rows) {
        const QString both = (name + u'|' + label).toUpper();
        EXPECT_TRUE(both.contains(QStringLiteral("CR")) && both.contains(QStringLiteral("NI")) &&
                    both.contains(QStringLiteral("MO")));
    }
    c.text = QStringLiteral("X5 Cr Ni");
    for (const auto &[name, label] : designations(c))
        EXPECT_TRUE((name + label).toUpper().contains(QStringLiteral("X5")));
}

TEST_F(DemoCatalogue, NoNameBoxesListEveryEquivalentOrFilterByCountry)
{
    DesignationCriteria c;
    c.text = QStringLiteral("nothing like this");
    c.inNames = c.inLabels = false;
    const auto all = designations(c);
    EXPECT_GT(all.size(), 50u);
    c.inCountry = true;
    c.country = QStringLiteral("Česko");
    const auto czech = designations(c);
    ASSERT_FALSE(czech.empty());
    EXPECT_LT(czech.size(), all.size());
    for (const auto &[name, label] : czech)
        EXPECT_TRUE(name.startsWith(QStringLiteral("ČSN"))) << name.toStdString();
}

TEST_F(DemoCatalogue, OnlyLabelsTickedSearchesDesignationsNotStandards)
{
    DesignationCriteria c;
    c.inNames = false;
    c.text = QStringLiteral("din");
    EXPECT_TRUE(designations(c).empty());
    c.inNames = true;
    c.inLabels = false;
    EXPECT_FALSE(designations(c).empty());
}

TEST_F(DemoCatalogue, CzechLettersFollowTheCaseSetting)
{
    DesignationCriteria c;
    c.inLabels = false;
    c.withoutSpaces = false;
    c.text = QStringLiteral("čsn 41 7240");
    EXPECT_TRUE(designations(c).count({QStringLiteral("ČSN 41 7240"), QStringLiteral("17 240")}));
    c.caseSensitive = true;
    EXPECT_TRUE(designations(c).empty());
    c.text = QStringLiteral("ČSN 41 7240");
    EXPECT_TRUE(designations(c).count({QStringLiteral("ČSN 41 7240"), QStringLiteral("17 240")}));
}

TEST_F(DemoCatalogue, QuotesAndWildcardsInTheTextMatchLiterally)
{
    DesignationCriteria c;
    c.text = QStringLiteral("'");
    EXPECT_TRUE(designations(c).empty());
    c.text = QStringLiteral("_");
    EXPECT_TRUE(designations(c).empty()); // an unescaped _ would match every designation
    c.text = QStringLiteral("%");
    EXPECT_TRUE(designations(c).empty());
}

TEST_F(DemoCatalogue, TheSheetsOwnDesignationAndStandardWithGradeAreFound)
{
    DesignationCriteria c;
    c.text = QStringLiteral("42CrMo4");
    EXPECT_TRUE(designations(c).count({QStringLiteral("ČSN EN 10083-3"), QStringLiteral("42CrMo4")}));
    for (const char *typed : {"AISI 304", "AISI304"}) {
        c.text = QString::fromLatin1(typed);
        EXPECT_TRUE(designations(c).count({QStringLiteral("AISI"), QStringLiteral("304")})) << typed;
    }
    // With spaces kept, both spellings still find the joined standard and grade.
    c.withoutSpaces = false;
    for (const char *typed : {"AISI 304", "AISI304"}) {
        c.text = QString::fromLatin1(typed);
        EXPECT_TRUE(designations(c).count({QStringLiteral("AISI"), QStringLiteral("304")})) << typed;
    }
    // The equivalents alone are found as before.
    c.withoutSpaces = true;
    for (const char *typed : {"4140", "304"}) {
        c.text = QString::fromLatin1(typed);
        EXPECT_FALSE(designations(c).empty()) << typed;
    }
    // Only one box ticked: a standard with its grade is no longer one text.
    c.text = QStringLiteral("AISI 304");
    c.inNames = false;
    EXPECT_FALSE(designations(c).count({QStringLiteral("AISI"), QStringLiteral("304")}));
}

TEST_F(DemoCatalogue, UsageWithoutRegardToDiacritics)
{
    UsageCriteria c;
    c.text = QStringLiteral("hřídele");
    const auto accented = usageMaterials(c);
    EXPECT_GT(accented.size(), 10u);
    c.text = QStringLiteral("hridele");
    EXPECT_TRUE(usageMaterials(c).empty());
    c.ignoreDiacritics = true;
    EXPECT_EQ(usageMaterials(c), accented);
    c.text = QStringLiteral("hřídele");
    EXPECT_EQ(usageMaterials(c), accented);
}

TEST_F(DemoCatalogue, UsageTextAndType)
{
    UsageCriteria c;
    c.text = QStringLiteral("potravinářského");
    const auto found = usageMaterials(c);
    EXPECT_TRUE(found.count(7562));
    // An empty text matches every material that has any usage text.
    c.text.clear();
    const auto any = usageMaterials(c);
    const int withUsage = count(QStringLiteral(
        "select count(distinct mat.Number) from Mat, Norms nr, Nodes nd where nr.MaterialNo=mat.Number "
        "and mat.Number=nd.MaterialNo and (coalesce(PURPOSE,'')<>'' or coalesce(PURPOSE1,'')<>'' or "
        "coalesce(PURPOSE2,'')<>'' or coalesce(PURPOSE3,'')<>'' or coalesce(PURPOSE4,'')<>'' or "
        "coalesce(PURPOSE5,'')<>'')"));
    EXPECT_EQ(static_cast<int>(any.size()), withUsage);
    EXPECT_GT(any.size(), found.size());
    // The type restricts; a type without materials finds nothing.
    c.inMatType = true;
    c.matType = QStringLiteral("Oceli");
    const auto steels = usageMaterials(c);
    EXPECT_FALSE(steels.empty());
    EXPECT_LT(steels.size(), any.size());
    c.matType = QStringLiteral("Oceli' or 'a'='a");
    EXPECT_TRUE(usageMaterials(c).empty());
}

} // namespace
