#include "db/FieldFormat.h"

#include <gtest/gtest.h>

using namespace orv::db;

TEST(FieldFormat, MasksOfTheFieldDefinitions)
{
    const QLocale c(QLocale::C);
    EXPECT_EQ(formatNumber(0.25, QStringLiteral("0.000"), c), u"0.250");
    EXPECT_EQ(formatNumber(12.3456, QStringLiteral("0.000"), c), u"12.346");
    EXPECT_EQ(formatNumber(0, QStringLiteral("0.000"), c), u"0.000");
    EXPECT_EQ(formatNumber(-1.5, QStringLiteral("0.000"), c), u"-1.500");
    EXPECT_EQ(formatNumber(1234567.891, QStringLiteral("#,##0.00"), c), u"1,234,567.89");
    EXPECT_EQ(formatNumber(0.5, QStringLiteral("#,##0.00"), c), u"0.50");
    EXPECT_EQ(formatNumber(0.5, QStringLiteral("#.###"), c), u".5");
    EXPECT_EQ(formatNumber(12.3456, QStringLiteral("#.###"), c), u"12.346");
    EXPECT_EQ(formatNumber(12, QStringLiteral("#.##"), c), u"12");

    const QLocale cs(QLocale::Czech, QLocale::CzechRepublic);
    EXPECT_EQ(formatNumber(0.25, QStringLiteral("0.000"), cs), QStringLiteral("0,250"));
    const QString big = formatNumber(1234.5, QStringLiteral("#,##0.00"), cs);
    EXPECT_TRUE(big.startsWith(u'1') && big.endsWith(QStringLiteral("234,50"))) << qPrintable(big);
    EXPECT_EQ(formatGeneral(0.15, cs), QStringLiteral("0,15"));

    bool ok = false;
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral("1,5"), &ok, cs), 1.5);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral("1.5"), &ok, cs), 1.5);
    EXPECT_TRUE(ok);
    parseNumber(QStringLiteral("1x"), &ok, cs);
    EXPECT_FALSE(ok);
}
