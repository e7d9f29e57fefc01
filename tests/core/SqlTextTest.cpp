#include "core/SqlText.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

// A query template as the search windows keep them: text, an empty where line and
// 22 empty condition slots, then the rest of the statement.
QStringList templ()
{
    QStringList l{QStringLiteral("select * from Mat m")};
    for (int i = 2; i <= 24; ++i)
        l << QString();
    l << QStringLiteral("order by m.Name");
    return l;
}

} // namespace

TEST(WhereAppender, FirstConditionOpensWhereWhateverTheJoinMode)
{
    for (int mode : {0, 1, 2, 7}) {
        QStringList q = templ();
        appendWhere(q, QStringLiteral("m.TypeNo=1"), mode);
        EXPECT_EQ(q[1], "  where");
        EXPECT_EQ(q[2], "  (m.TypeNo=1)");
        EXPECT_TRUE(q[3].isEmpty());
    }
}

TEST(WhereAppender, LaterConditionsTakeTheNextFreeSlotWithTheirJoin)
{
    QStringList q = templ();
    appendWhere(q, QStringLiteral("a=1"), 0);
    appendWhere(q, QStringLiteral("b=2"), 0);
    appendWhere(q, QStringLiteral("c=3"), 1);
    appendWhere(q, QStringLiteral("d=4"), 2);
    appendWhere(q, QStringLiteral("e=5"), 9);
    EXPECT_EQ(q[3], "  and b=2");
    EXPECT_EQ(q[4], "  or c=3");
    EXPECT_EQ(q[5], "  d=4");
    EXPECT_EQ(q[6], "e=5");
    EXPECT_EQ(q.last(), "order by m.Name");
}

TEST(WhereAppender, AllSlotsTakenWritesNothing)
{
    QStringList q = templ();
    appendWhere(q, QStringLiteral("first"), 0);
    for (int n = 4; n <= 24; ++n)
        q[n - 1] = QStringLiteral("  and x%1").arg(n);
    const QStringList before = q;
    appendWhere(q, QStringLiteral("overflow"), 0);
    EXPECT_EQ(q, before);
}

TEST(WhereAppender, ShortListGrowsToReachTheSlot)
{
    QStringList q{QStringLiteral("select 1")};
    appendWhere(q, QStringLiteral("a=1"), 0);
    ASSERT_GE(q.size(), 3);
    EXPECT_EQ(q[1], "  where");
    appendWhere(q, QStringLiteral("b=1"), 0);
    ASSERT_GE(q.size(), 4);
    EXPECT_EQ(q[3], "  and b=1");
}

TEST(WhereRemover, RemovingTheOnlyConditionDropsTheWhere)
{
    QStringList q = templ();
    appendWhere(q, QStringLiteral("m.Number in (select MATERIALNO from UserNotices)"), 0);
    removeWhere(q, QStringLiteral("UserNotices"));
    EXPECT_EQ(q, templ());
}

TEST(WhereRemover, UnknownTextChangesNothing)
{
    QStringList q = templ();
    appendWhere(q, QStringLiteral("a=1"), 0);
    appendWhere(q, QStringLiteral("b=2"), 0);
    const QStringList before = q;
    removeWhere(q, QStringLiteral("zzz"));
    EXPECT_EQ(q, before);
}

TEST(WhereRemover, RemovingTheFirstConditionStripsTheNextOnesJoin)
{
    QStringList q = templ();
    appendWhere(q, QStringLiteral("a=1"), 0);
    appendWhere(q, QStringLiteral("b=2"), 0);
    appendWhere(q, QStringLiteral("c=3"), 1);
    removeWhere(q, QStringLiteral("(a=1)"));
    EXPECT_EQ(q[1], "  where");
    EXPECT_EQ(q[2], " b=2");
    EXPECT_EQ(q[3], "  or c=3");
    EXPECT_TRUE(q[4].isEmpty());
}

TEST(WhereRemover, AndThenOrPrefixesAreBothStripped)
{
    QStringList q = templ();
    q[1] = QStringLiteral("  where");
    q[2] = QStringLiteral("  (x)");
    q[3] = QStringLiteral("  and  or y");
    removeWhere(q, QStringLiteral("(x)"));
    EXPECT_EQ(q[2], " y");
}

TEST(WhereRemover, Line23KeepsItsTextAndLine24IsUntouched)
{
    QStringList q = templ();
    q[1] = QStringLiteral("  where");
    for (int n = 3; n <= 24; ++n)
        q[n - 1] = QStringLiteral("c%1").arg(n);
    removeWhere(q, QStringLiteral("c5"));
    EXPECT_EQ(q[4 - 1], "c4");
    EXPECT_EQ(q[5 - 1], "c6");
    EXPECT_EQ(q[22 - 1], "c23");
    EXPECT_EQ(q[23 - 1], "c23");
    EXPECT_EQ(q[24 - 1], "c24");
}

TEST(SpaceStripper, RemovesOnlySpaces)
{
    EXPECT_EQ(stripSpaces(QStringLiteral("X 5 CrNi 18 10")), "X5CrNi1810");
    EXPECT_EQ(stripSpaces(QStringLiteral("17240")), "17240");
    EXPECT_EQ(stripSpaces(QStringLiteral("a\tb č ")), "a\tbč");
}

TEST(SqlQuote, QuotesAndPercentSignsStayInsideTheConstant)
{
    EXPECT_EQ(sqlQuote(QStringLiteral("abc")), "'abc'");
    EXPECT_EQ(sqlQuote(QStringLiteral("O'Brien")), "'O''Brien'");
    EXPECT_EQ(sqlQuote(QStringLiteral("x' or '1'='1")), "'x'' or ''1''=''1'");
    EXPECT_EQ(sqlQuote(QString()), "''");
    EXPECT_EQ(likeEscape(QStringLiteral("50%_a\\b")), "50\\%\\_a\\\\b");
}

TEST(SqlNumber, LocaleFreeGeneralFormat)
{
    EXPECT_EQ(sqlNumber(12), "12");
    EXPECT_EQ(sqlNumber(-3.0), "-3");
    EXPECT_EQ(sqlNumber(0.5), "0.5");
    EXPECT_EQ(sqlNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(sqlNumber(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(sqlNumber(1e-7), "1e-07");
    EXPECT_EQ(sqlNumber(std::nan("")), "NULL");
}
