// Units, character-set positions and the offered font names.
#include "OutputTestSupport.h"

#include "report/output/ReportUnits.h"

using namespace orv;

TEST(ReportUnits, ConvertAndRoundBothWays)
{
    EXPECT_EQ(ToDisplayUnits(826, 0), 826);
    EXPECT_EQ(ToDisplayUnits(826, 1), 2098);   // 0,1 mm: 209.8 mm of an A4 sheet
    EXPECT_EQ(ToDisplayUnits(100, 3), 72);     // an inch is 72 points
    EXPECT_EQ(ToDisplayUnits(100, 4), 144);
    EXPECT_EQ(ToDisplayUnits(1, 2), 1);        // 0.6 rounds up
    EXPECT_EQ(FromDisplayUnits(2098, 1), 826);
    EXPECT_EQ(FromDisplayUnits(72, 3), 100);
    EXPECT_EQ(UnitName(1), QStringLiteral("0,1 mm"));
    EXPECT_EQ(UnitName(9), QStringLiteral("0,01 inch"));
    EXPECT_EQ(UnitFactor(-1), 1.0);
}

TEST(ReportUnits, CharsetPositions)
{
    EXPECT_EQ(CharsetAtPosition(4), 238);
    EXPECT_EQ(CharsetAtPosition(0), 0);
    EXPECT_EQ(CharsetAtPosition(8), 1);
    EXPECT_EQ(CharsetAtPosition(-1), 1);
    EXPECT_EQ(PositionOfCharset(238), 4);
    EXPECT_EQ(PositionOfCharset(1), 7);
    EXPECT_EQ(PositionOfCharset(77), 7);
    for (int p = 0; p < 8; ++p)
        EXPECT_EQ(PositionOfCharset(CharsetAtPosition(p)), p);
}

TEST(ReportUnits, FontNamesEndWithTheCharacterPrinterFonts)
{
    outtest::ensureGuiApplication();
    const QStringList names = ReportFontNames();
    ASSERT_GE(names.size(), 3);
    EXPECT_EQ(names.mid(names.size() - 3),
              QStringList({"Roman 10cpi", "Roman 12cpi", "Roman 17cpi"}));
    EXPECT_TRUE(names.contains(QStringLiteral("Liberation Sans")));
}
