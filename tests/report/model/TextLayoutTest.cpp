// Plain-text layout: wrapping, alignment, tabs, letter spacing, line heights, drawing.
#include "TextLayoutTestSupport.h"

using namespace orv;
using layouttest::LayoutTest;
using layouttest::RecordingCanvas;

TEST_F(LayoutTest, EmptyTextIsOneLineAsHighAsTheFont)
{
    const TRadky lines = layout(QString(), 100);
    ASSERT_EQ(lines.count(), 1);
    EXPECT_TRUE(lines[0].Runs.empty());
    const int h = layouttest::unitHeight(canvas, layouttest::arial());
    EXPECT_GT(h, 144);
    EXPECT_EQ(lines[0].RowHeight, h);
    EXPECT_EQ(TotalHeight(lines), 0);

    // The line fits exactly when 72 + its height is at most h x 72.
    const int need = (72 + h + 71) / 72;
    int height = 0, last = -5;
    EXPECT_TRUE(LinesThatFit(lines, 0, need, height, last));
    EXPECT_EQ(last, 0);
    EXPECT_FALSE(LinesThatFit(lines, 0, need - 1, height, last));
    EXPECT_EQ(last, -1);

    // A tiny font still gets the two-hundredths minimum; a fixed height raises it.
    const TRadky tiny = layout(QString(), 100, true, 0, false, 0, 0, layouttest::arial(1));
    ASSERT_FALSE(tiny.isEmpty());
    EXPECT_EQ(tiny[0].RowHeight, 144);
    const TRadky fixed = layout(QString(), 100, true, 0, false, 30);
    ASSERT_FALSE(fixed.isEmpty());
    EXPECT_EQ(fixed[0].RowHeight, 2160);
}

TEST_F(LayoutTest, TotalHeightAndLinesThatFitRoundUpByAHundredth)
{
    TRadky lines;
    lines.Lines.resize(2);
    for (TRadek &l : lines.Lines) {
        l.RowHeight = 1152;
        l.BreakX = 500;
    }
    EXPECT_EQ(TotalHeight(lines), 33);
    int height = 0, last = 0;
    EXPECT_FALSE(LinesThatFit(lines, 0, 32, height, last));
    EXPECT_EQ(last, 0);
    EXPECT_EQ(height, 17);
    EXPECT_TRUE(LinesThatFit(lines, 0, 33, height, last));
    EXPECT_EQ(last, 1);
    EXPECT_EQ(height, 33);
    EXPECT_TRUE(LinesThatFit(lines, 1, 17, height, last));
    EXPECT_EQ(last, 1);
}

TEST_F(LayoutTest, WordLongerThanTheLineBreaksAfterTheFirstCharacterPastTheEdge)
{
    // Width 20 hundredths: 1440 units, 1368 available.
    const TRadky lines = layout(QStringLiteral("abcdefgh"), 20);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(texts(lines), QStringList({"abc", "def", "gh"}));
    EXPECT_GT(lines[0].BreakX, 1368);            // c stays, beyond the edge
    EXPECT_EQ(lines[0].BreakX, w(QStringLiteral("abc")));
    EXPECT_EQ(lines[1].Runs.back().Positions[0], 0);  // the rest starts at x 0
    EXPECT_EQ(lines[1].LineOffset, 72);
}

TEST_F(LayoutTest, BlankAtTheBreakStaysOnTheLineAndCountsInItsWidth)
{
    const QString first = QStringLiteral("aaa ");
    // Room for "aaa " but not for "aaa b".
    const int width = (w(first) + 72 + w(QLatin1Char('b')) / 2) / 72 + 1;
    ASSERT_GT(width * 72 - 72, w(first));
    ASSERT_LT(width * 72 - 72, w(QStringLiteral("aaa b")));
    const TRadky lines = layout(QStringLiteral("aaa bbb"), width, true, 1);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(texts(lines), QStringList({"aaa ", "bbb"}));
    EXPECT_EQ(lines[0].BreakX, w(first));
    // Right-aligned: each line ends one hundredth inside the right edge, the blank included.
    EXPECT_EQ(lines[0].LineOffset + lines[0].BreakX, width * 72 - 72);
    EXPECT_EQ(lines[1].LineOffset + lines[1].BreakX, width * 72 - 72);
    EXPECT_TRUE(lines[0].FirstOfParagraph);
    EXPECT_FALSE(lines[1].FirstOfParagraph);
}

TEST_F(LayoutTest, WithoutWrappingOnlyTheFirstLineIsLaidOut)
{
    EXPECT_EQ(texts(layout(QStringLiteral("abc\ndef"), 500, false)), QStringList({"abc"}));
    const TRadky narrow = layout(QStringLiteral("abcdefgh"), 20, false, 1);
    ASSERT_FALSE(narrow.isEmpty());
    EXPECT_EQ(texts(narrow), QStringList({"abc"}));
    // The offset counts the character that passed the edge.
    EXPECT_EQ(narrow[0].LineOffset, 1440 - w(QStringLiteral("abc")) - 72);
}

TEST_F(LayoutTest, LineFeedsStartParagraphsAndCarriageReturnsAreIgnored)
{
    const TRadky lines = layout(QStringLiteral("ab\r\ncd\n\nef"), 500);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(texts(lines), QStringList({"ab", "cd", "", "ef"}));
    for (const TRadek &l : lines.Lines)
        EXPECT_EQ(l.LineOffset, 72);
    EXPECT_EQ(TotalHeight(lines), (72 + 4 * lines[0].RowHeight) / 72);
}

TEST_F(LayoutTest, TabsGoToMultiplesOf720Twips)
{
    const TRadky lines = layout(QStringLiteral("a\tb\t\tc"), 500);
    ASSERT_EQ(lines.count(), 1);
    const TFragment &run = lines[0].Runs.at(0);
    EXPECT_EQ(run.Chars, QStringLiteral("abc"));
    EXPECT_EQ(run.Positions[0], 0);
    EXPECT_EQ(run.Positions[1], 3456);
    EXPECT_EQ(run.Positions[2], 3 * 3456);
    // A tab at exactly a stop goes on to the next one.
    const TRadky exact = layout(QStringLiteral("\t\tx"), 500);
    ASSERT_FALSE(exact.isEmpty());
    EXPECT_EQ(exact[0].Runs.at(0).Positions[0], 6912);
}

TEST_F(LayoutTest, TabPastTheWidthStartsANewLineAtZero)
{
    const TRadky lines = layout(QStringLiteral("a\tb"), 40);  // 2808 available, stop at 3456
    EXPECT_EQ(texts(lines), QStringList({"a", "b"}));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0].BreakX, 3456);
    EXPECT_EQ(lines[1].Runs.back().Positions[0], 0);
    // Without wrapping the layout stops at that tab.
    EXPECT_EQ(texts(layout(QStringLiteral("a\tb"), 40, false)), QStringList({"a"}));
}

TEST_F(LayoutTest, LetterSpacingPlacesCharactersOnItsPitch)
{
    const TRadky lines = layout(QStringLiteral("iWi"), 500, true, 0, false, 0, 10);
    ASSERT_FALSE(lines.isEmpty());
    const TFragment &run = lines[0].Runs.at(0);
    EXPECT_EQ(run.Positions[0], 0);
    EXPECT_EQ(run.Positions[1], 720);
    EXPECT_EQ(run.Positions[2], 1440);
    EXPECT_EQ(run.Positions[3], 1440 + w(QLatin1Char('i')));
    // The pitch of a "Roman 17cpi" text: 100/17 hundredths, rounded onto the grid.
    const TRadky roman = layout(QStringLiteral("xxxx"), 500, true, 0, false, 0, 100.0 / 17);
    ASSERT_FALSE(roman.isEmpty());
    EXPECT_EQ(roman[0].Runs.at(0).Positions[1], 424);
    EXPECT_EQ(roman[0].Runs.at(0).Positions[2], 847);
    EXPECT_EQ(roman[0].Runs.at(0).Positions[3], 1271);
}

TEST_F(LayoutTest, JustifiedLinesSpanTheWidthAndTheLastLineKeepsItsNaturalWidths)
{
    const QString text = QStringLiteral(
        "Ocel je slitina železa s uhlíkem a dalšími prvky, která se dobře tváří a svařuje, "
        "a proto se z ní vyrábějí plechy, tyče i trubky.");
    const TRadky lines = layout(text, 200, true, 3);
    ASSERT_GT(lines.count(), 2);
    const int right = 200 * 72;
    for (int i = 0; i + 1 < lines.count(); ++i) {
        const TRadek &l = lines[i];
        EXPECT_EQ(l.LineOffset, 72);
        const int end = l.LineOffset + l.Runs.back().Positions.back();
        EXPECT_LE(end, right);
        EXPECT_GE(end, right - 2) << i;
    }
    const TRadek &last = lines[lines.count() - 1];
    EXPECT_EQ(last.LineOffset, 72);
    const TFragment &run = last.Runs.back();
    EXPECT_EQ(run.Positions.back() - run.Positions.front(), w(run.Chars));
    EXPECT_LT(last.BreakX, right - 144);
}

TEST_F(LayoutTest, FixedLineHeightIsAMinimum)
{
    const int fontHeight = layouttest::unitHeight(canvas, layouttest::arial());
    EXPECT_EQ(firstLine(layout(QStringLiteral("a"), 100, true, 0, false, 5)).RowHeight, fontHeight);
    const TRadky tall = layout(QStringLiteral("aaaa bbbb cccc dddd"), 30, true, 0, false, 30);
    ASSERT_GT(tall.count(), 1);
    for (const TRadek &l : tall.Lines)
        EXPECT_EQ(l.RowHeight, 2160);
}

TEST_F(LayoutTest, AlignmentOffsets)
{
    const QString text = QStringLiteral("Ř");
    EXPECT_EQ(firstLine(layout(text, 100, true, 0)).LineOffset, 72);
    EXPECT_EQ(firstLine(layout(text, 100, true, 1)).LineOffset, 7200 - w(text) - 72);
    EXPECT_EQ(firstLine(layout(text, 100, true, 2)).LineOffset, (7200 - w(text)) / 2);
    EXPECT_EQ(firstLine(layout(text, 100, true, 7)).LineOffset, 72);
}

TEST_F(LayoutTest, CzechCharactersAreMeasuredAndKept)
{
    const QString text = QStringLiteral("Žluťoučký kůň");
    const TRadky lines = layout(text, 500);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(LineText(lines[0]), text);
    EXPECT_EQ(lines[0].BreakX, w(text));
    EXPECT_GT(w(QChar(u'Ž')), 0);
}

TEST_F(LayoutTest, CopiesListsAndRunTexts)
{
    const TRadky lines = layout(QStringLiteral("jedna\ndva\ntři"), 500);
    TRadky part;
    CopyLineRange(part, lines, 1, 2);
    ASSERT_EQ(part.count(), 2);
    EXPECT_EQ(LineText(part[0]), QStringLiteral("dva"));
    EXPECT_EQ(part[1].RowHeight, lines[2].RowHeight);
    EXPECT_EQ(part[1].Runs.at(0).Positions, lines[2].Runs.at(0).Positions);
    TRadky all;
    CopyLines(all, lines);
    CopyLines(all, lines);
    ASSERT_EQ(all.count(), 6);
    EXPECT_EQ(RunText(all[0], 0), QStringLiteral("jedna"));
    EXPECT_EQ(RunText(all[0], 1), QString());

    TTextFont font = layouttest::arial();
    font.Bold = true;
    font.Color = 0x0000FF;
    const TRadky bold = layout(QStringLiteral("x"), 100, true, 0, false, 0, 0, font);
    QStringList fonts, colors;
    RunFontList(bold, fonts);
    RunColorList(bold, colors);
    EXPECT_EQ(fonts, QStringList({"238 1 0 0 Arial"}));
    EXPECT_EQ(colors, QStringList({"255"}));
}

TEST_F(LayoutTest, DrawLinesScalesTheStoredPositions)
{
    const TRadky lines = layout(QStringLiteral("ab\ncd"), 500, true, 0, false, 0, 10);
    ASSERT_FALSE(lines.isEmpty());
    RecordingCanvas rec;
    DrawLines(rec, QRect(100, 200, 3000, 600), 0, 1, lines, 6, 6, 6);
    ASSERT_EQ(rec.runs.size(), 2u);
    const auto &r = rec.runs[0];
    EXPECT_EQ(r.chars, QStringLiteral("ab"));
    EXPECT_EQ(r.x, 100 + 2 * 6);  // (0 + 72 + 72) div 72 = 2 hundredths
    EXPECT_EQ(r.y, 200 + (lines[0].RowHeight / 72) * 6);
    EXPECT_EQ(r.advances[0], (720 * 6 + 72) / 72 - 1);
    EXPECT_EQ(r.font.Size, 60);
    EXPECT_EQ(rec.runs[1].y, 200 + ((lines[0].RowHeight + lines[1].RowHeight) / 72) * 6);

    // Lines beyond the last are not drawn; first > last draws nothing.
    RecordingCanvas none;
    DrawLines(none, QRect(0, 0, 100, 100), 1, 0, lines, 1, 1, 1);
    DrawLines(none, QRect(0, 0, 100, 100), 5, 9, lines, 1, 1, 1);
    EXPECT_TRUE(none.runs.empty());
}

TEST_F(LayoutTest, LayoutAndDrawInALowRectangleDrawsTheFirstTwoLines)
{
    RecordingCanvas rec;
    LayoutAndDraw(rec, QRect(0, 0, 300, 5), QStringLiteral("aaa\nbbb\nccc"), 0, 0, 0,
                  layouttest::arial(), true, false);
    ASSERT_EQ(rec.runs.size(), 2u);
    EXPECT_EQ(rec.runs[1].chars, QStringLiteral("bbb"));

    RecordingCanvas one;
    LayoutAndDraw(one, QRect(0, 0, 300, 5), QStringLiteral("aaa"), 0, 0, 0, layouttest::arial(),
                  true, false);
    EXPECT_EQ(one.runs.size(), 1u);

    RecordingCanvas fits;
    LayoutAndDraw(fits, QRect(0, 0, 300, 40), QStringLiteral("aaa\nbbb\nccc"), 0, 0, 0,
                  layouttest::arial(), true, false);
    EXPECT_EQ(fits.runs.size(), 2u);  // 72 + 3 lines of 1117 need 48 hundredths
}

TEST_F(LayoutTest, StruckOutTextKeepsItsStrikeLineOnEveryLineAndWhenDrawn)
{
    TTextFont struck = layouttest::arial();
    struck.Strikeout = true;
    // Wrapped: the runs moved to the next lines keep the look of the text.
    const TRadky lines = layout(QStringLiteral("přeškrtnutý text na třech řádcích"), 60, true, 0,
                                false, 0, 0, struck);
    ASSERT_GE(lines.count(), 3);
    int runs = 0;
    for (const TRadek &l : lines.Lines)
        for (const TFragment &r : l.Runs) {
            EXPECT_EQ(r.Strikeout, 1) << r.Chars.toStdString();
            ++runs;
        }
    EXPECT_GE(runs, lines.count());
    // Striking out changes nothing of the places.
    const TRadky plain = layout(QStringLiteral("přeškrtnutý text na třech řádcích"), 60);
    ASSERT_EQ(plain.count(), lines.count());
    for (int i = 0; i < lines.count(); ++i) {
        EXPECT_EQ(LineText(plain[i]), LineText(lines[i]));
        EXPECT_EQ(plain[i].Runs.at(0).Positions, lines[i].Runs.at(0).Positions);
        EXPECT_EQ(plain[i].Runs.at(0).Strikeout, 0);
    }

    RecordingCanvas rec;
    DrawLines(rec, QRect(0, 0, 600, 600), 0, lines.count() - 1, lines, 6, 6, 6);
    ASSERT_EQ(rec.runs.size(), size_t(lines.count()));
    for (const auto &r : rec.runs)
        EXPECT_TRUE(r.font.Strikeout) << r.chars.toStdString();
    EXPECT_TRUE(TTextCanvas::toQFont(rec.runs[0].font, 100).strikeOut());
    RecordingCanvas unstruck;
    DrawLines(unstruck, QRect(0, 0, 600, 600), 0, 0, plain, 6, 6, 6);
    ASSERT_EQ(unstruck.runs.size(), 1u);
    EXPECT_FALSE(unstruck.runs[0].font.Strikeout);
}

TEST(LayoutRomanFont, RomanFontsBecomeCourierNew)
{
    TTextFont f;
    f.Name = QStringLiteral("Roman 17cpi");
    EXPECT_TRUE(ReplaceRomanFont(f));
    EXPECT_EQ(f.Name, QStringLiteral("Courier New"));
    EXPECT_EQ(f.Size, 8);
    EXPECT_EQ(f.Charset, 238);
    EXPECT_TRUE(f.FixedPitch);
    f.Name = QStringLiteral("Roman 12cpi");
    ReplaceRomanFont(f);
    EXPECT_EQ(f.Size, 10);
    f.Name = QStringLiteral("Roman xx");
    ReplaceRomanFont(f);
    EXPECT_EQ(f.Size, 11);
    EXPECT_FALSE(ReplaceRomanFont(f));
    EXPECT_EQ(RomanFontCpi(QStringLiteral("Roman 17cpi")), 17);
    EXPECT_EQ(RomanFontCpi(QStringLiteral("Roman xx")), 10);
    EXPECT_EQ(RomanFontCpi(QStringLiteral("Arial")), 0);
}
