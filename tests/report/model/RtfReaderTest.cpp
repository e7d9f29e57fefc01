// The rich-text subset: keywords, runs, tables, escapes, groups, errors.
#include "TextLayoutTestSupport.h"

#include "report/model/RtfCharset.h"

using namespace orv;
using layouttest::LayoutTest;

namespace {

class RtfTest : public LayoutTest {
protected:
    TRadky rtf(const QString &text, int width = 500, bool wrap = true, int alignment = 0,
               const TTextFont &font = layouttest::arial())
    {
        return layout(text, width, wrap, alignment, true, 0, 0, font);
    }
    static QStringList runTexts(const TRadek &line)
    {
        QStringList out;
        for (const TFragment &r : line.Runs)
            out << r.Chars;
        return out;
    }
};

} // namespace

TEST_F(RtfTest, EveryPropertyKeywordStartsARun)
{
    const TRadky lines = rtf(QStringLiteral("a\\b b\\b0 c"));
    ASSERT_EQ(lines.count(), 1);
    ASSERT_EQ(runTexts(lines[0]), QStringList({"a", "b", "c"}));
    EXPECT_EQ(lines[0].Runs[0].Bold, 0);
    EXPECT_EQ(lines[0].Runs[1].Bold, 1);
    EXPECT_EQ(lines[0].Runs[2].Bold, 0);
    // Even a keyword that changes nothing.
    EXPECT_EQ(runTexts(firstLine(rtf(QStringLiteral("a\\b0 b")))), QStringList({"a", "b"}));
    // Characters and positions run on across runs.
    const TRadek &l = lines[0];
    EXPECT_EQ(l.Runs[1].Positions[0], l.Runs[0].Positions[1]);
    EXPECT_EQ(l.BreakX, l.Runs[2].Positions[1]);
}

TEST_F(RtfTest, StyleSizeAndUnderlineKeywords)
{
    const TRadky lines = rtf(QStringLiteral("\\i\\ul\\fs30 x\\ulnone\\plain y\\ul0 z"));
    ASSERT_FALSE(lines.isEmpty());
    const auto &runs = lines[0].Runs;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].Italic, 1);
    EXPECT_EQ(runs[0].Underline, 1);
    EXPECT_EQ(runs[0].FontSize, 15);
    EXPECT_EQ(runs[1].Italic, 0);
    EXPECT_EQ(runs[1].Underline, 0);
    EXPECT_EQ(runs[1].FontSize, 15);  // \plain keeps the size
    // The size raises the line: 15 points are taller than 10.
    EXPECT_GT(lines[0].RowHeight, layouttest::unitHeight(canvas, layouttest::arial()));
}

TEST_F(RtfTest, StrikeKeywordsGroupsAndPlain)
{
    const TRadky lines = rtf(QStringLiteral("a\\strike b\\strike0 c{\\strike d}e\\strike f\\plain g"));
    ASSERT_EQ(lines.count(), 1);
    EXPECT_EQ(LineText(lines[0]), QStringLiteral("abcdefg"));
    QString marks;
    for (const TFragment &r : lines[0].Runs)
        if (r.Length > 0)
            marks += r.Chars + QString::number(r.Strikeout);
    EXPECT_EQ(marks, QStringLiteral("a0b1c0d1e0f1g0")) << marks.toStdString();

    // The element's struck-out font holds until the text turns it off; a wrapped line keeps it.
    TTextFont struck = layouttest::arial();
    struck.Strikeout = true;
    const TRadky off = rtf(QStringLiteral("aaa bbb\\strike0  ccc"), 40, true, 0, struck);
    ASSERT_GE(off.count(), 2);
    EXPECT_EQ(off[0].Runs.at(0).Strikeout, 1);
    QString rest;
    for (int i = 1; i < off.count(); ++i)
        for (const TFragment &r : off[i].Runs)
            if (!r.Chars.trimmed().isEmpty())
                rest += r.Chars.trimmed() + QString::number(r.Strikeout);
    EXPECT_EQ(rest, QStringLiteral("bbb1ccc0")) << rest.toStdString();
}

TEST_F(RtfTest, HexEscapesAreBytesInTheFontsCharacterSet)
{
    const TRadky lines = rtf(QStringLiteral(
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}{\\f1\\fnil\\fcharset0 Times New Roman;}}"
        "\\f0\\fs24 \\'e8\\'E1st \\f1 \\'e8}"));
    ASSERT_EQ(lines.count(), 1);
    EXPECT_EQ(LineText(lines[0]), QStringLiteral("část è"));
    ASSERT_FALSE(lines[0].Runs.empty());
    EXPECT_EQ(lines[0].Runs[0].FontName, QStringLiteral("Arial"));
    EXPECT_EQ(lines[0].Runs[0].Charset, 238);
    EXPECT_EQ(lines[0].Runs[0].FontSize, 12);
    EXPECT_EQ(lines[0].Runs.back().FontName, QStringLiteral("Times New Roman"));
    EXPECT_EQ(lines[0].Runs.back().Charset, 0);
    // Without a font table the starting font's set applies: 238 is Windows-1250.
    EXPECT_EQ(LineText(firstLine(rtf(QStringLiteral("\\'9a\\'9e")))), QStringLiteral("šž"));
    EXPECT_EQ(CharsetByteToChar(0xE8, 1), QChar(u'č'));
    EXPECT_EQ(CharsetEncode(QStringLiteral("čè"), 238), QByteArray("\xE8" "e"));
    EXPECT_EQ(CharsetEncode(QStringLiteral("èč"), 0), QByteArray("\xE8?"));
    EXPECT_EQ(CharsetDecode(QByteArray("\xF0"), 204), QStringLiteral("р"));
}

TEST_F(RtfTest, FontTableEntriesWithoutGroupsHaveNoNames)
{
    const TRadky lines = rtf(QStringLiteral("{\\rtf1{\\fonttbl\\f0\\fswiss Arial;\\f1 Times;}\\f1 x\\f7 y}"));
    ASSERT_FALSE(lines.isEmpty());
    ASSERT_EQ(lines[0].Runs.size(), 2u);
    EXPECT_EQ(lines[0].Runs[0].FontName, QString());
    EXPECT_EQ(lines[0].Runs[0].Charset, 0);
    EXPECT_EQ(lines[0].Runs[1].FontName, QString());  // a number the table lacks
    EXPECT_EQ(LineText(lines[0]), QStringLiteral("xy"));
}

TEST_F(RtfTest, ColourTableAndColourNumbers)
{
    const QString table = QStringLiteral(
        "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}");
    const TRadky lines = rtf(table + QStringLiteral("\\cf2 a\\cf3 b\\cf1 c\\cf-1 d}"));
    ASSERT_FALSE(lines.isEmpty());
    const auto &runs = lines[0].Runs;
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].Color, 0xFF0000u);  // blue, as 0x00BBGGRR
    EXPECT_EQ(runs[1].Color, 0u);         // beyond the three colours: black
    EXPECT_EQ(runs[2].Color, 0x0000FFu);  // red
    EXPECT_EQ(runs[3].Color, 0u);
    EXPECT_EQ(LineText(lines[0]), QStringLiteral("abcd"));
    // A colour that names only some components keeps the others from the one before.
    const TRadky partial = rtf(QStringLiteral("{\\colortbl\\red10;\\green20;}\\cf1 x"));
    ASSERT_FALSE(partial.isEmpty());
    ASSERT_FALSE(partial[0].Runs.empty());
    EXPECT_EQ(partial[0].Runs[0].Color, 0x00140Au);
}

TEST_F(RtfTest, ParEndsTheLayoutWithoutWrapping)
{
    EXPECT_EQ(texts(rtf(QStringLiteral("{\\rtf1 one\\par two}"), 500, false)), QStringList({"one"}));
    EXPECT_EQ(texts(rtf(QStringLiteral("{\\rtf1 one\\par two\\line}"), 500)), QStringList({"one", "two"}));
}

TEST_F(RtfTest, ControlSymbolsAndCharacterKeywords)
{
    const TRadky lines = rtf(QStringLiteral("\\{\\}\\\\\\~\\ldblquote x\\rdblquote\\tab y"));
    ASSERT_FALSE(lines.isEmpty());
    const TRadek &l = lines[0];
    EXPECT_EQ(LineText(l), QStringLiteral("{}\\ 'x'y"));
    EXPECT_EQ(l.Runs.back().Positions[7], 3456);
    EXPECT_EQ(texts(rtf(QStringLiteral("a\\\nb"))), QStringList({"a", "b"}));
    // Line ends in the source are not text.
    EXPECT_EQ(texts(rtf(QStringLiteral("a\r\nb"))), QStringList({"ab"}));
}

TEST_F(RtfTest, SkippedDestinationsAndStarredUnknownKeywords)
{
    EXPECT_EQ(LineText(firstLine(rtf(QStringLiteral(
                  "{\\rtf1{\\info{\\title Nadpis}{\\author Já}}{\\*\\generator Editor;}"
                  "{\\stylesheet{\\s0 Normal;}}{\\*\\b tučně}ok}")))),
              QStringLiteral("tučněok"));
    // An unknown keyword without the star is ignored, and so is its group's text not.
    EXPECT_EQ(LineText(firstLine(rtf(QStringLiteral("{\\unknown a}b")))), QStringLiteral("ab"));
    // Binary data inside a skipped picture is not text, and does not end the skipping early.
    EXPECT_EQ(LineText(firstLine(rtf(QStringLiteral("{\\pict\\bin3 }}}x}y")))), QStringLiteral("y"));
    EXPECT_EQ(LineText(firstLine(rtf(QStringLiteral("\\bin2 {}z")))), QStringLiteral("{}z"));
}

TEST_F(RtfTest, ClosingAGroupRestoresTheLookOfTheText)
{
    const TRadky lines = rtf(QStringLiteral("{\\b x} y{\\i } z"));
    ASSERT_FALSE(lines.isEmpty());
    const auto &runs = lines[0].Runs;
    ASSERT_GE(runs.size(), 2u);
    EXPECT_EQ(runs[0].Chars, QStringLiteral("x"));
    EXPECT_EQ(runs[0].Bold, 1);
    EXPECT_EQ(runs.back().Bold, 0);
    EXPECT_EQ(LineText(lines[0]), QStringLiteral("x y z"));
    for (size_t i = 1; i < runs.size(); ++i)
        EXPECT_EQ(runs[i].Bold, 0) << i;
}

TEST_F(RtfTest, ErrorsEndTheLayoutAndKeepWhatWasLaidOut)
{
    // A "}" without a group: the end-of-text step still places the line.
    const TRadky brace = rtf(QStringLiteral("ab}cd"));
    ASSERT_FALSE(brace.isEmpty());
    EXPECT_EQ(texts(brace), QStringList({"ab"}));
    EXPECT_EQ(brace[0].LineOffset, 72);
    // A bad hexadecimal digit ends at once: the line was never ended.
    const TRadky hex = rtf(QStringLiteral("ab\\'zz"), 500, true, 1);
    ASSERT_FALSE(hex.isEmpty());
    EXPECT_EQ(texts(hex), QStringList({"ab"}));
    EXPECT_EQ(hex[0].LineOffset, 0);
    EXPECT_EQ(texts(rtf(QStringLiteral("ab\\"))), QStringList({"ab"}));
    EXPECT_EQ(texts(rtf(QStringLiteral("ab\\b-"))), QStringList({"ab"}));
    // Unclosed groups are laid out completely.
    const TRadky open = rtf(QStringLiteral("{{\\b ab"));
    ASSERT_FALSE(open.isEmpty());
    EXPECT_EQ(texts(open), QStringList({"ab"}));
    EXPECT_EQ(open[0].LineOffset, 72);
}

TEST_F(RtfTest, IndentsAlignmentAndPard)
{
    const TRadky lines = rtf(QStringLiteral("\\li1440 x\\par\\qr\\ri720 y\\par\\pard z\\par\\qc w"), 500);
    ASSERT_EQ(lines.count(), 4);
    EXPECT_EQ(lines[0].LineOffset, 1440 * 72 / 15 + 72);
    EXPECT_EQ(lines[1].LineOffset, 36000 - w(QLatin1Char('y')) - 720 * 72 / 15 - 72);
    EXPECT_EQ(lines[2].LineOffset, 72);
    EXPECT_EQ(lines[3].LineOffset, (36000 - w(QLatin1Char('w'))) / 2);
    // A first-line indent applies to the first line only; it narrows that line.
    const TRadky para = rtf(QStringLiteral("\\fi720 aaaa aaaa aaaa aaaa aaaa aaaa"), 100);
    ASSERT_GT(para.count(), 1);
    EXPECT_EQ(para[0].LineOffset, 720 * 72 / 15 + 72);
    EXPECT_EQ(para[1].LineOffset, 72);
}

TEST_F(RtfTest, TabsUseTheDefaultTabAndAHangingIndentAsAStop)
{
    const TRadky deftab = rtf(QStringLiteral("\\deftab360 a\\tab b"));
    ASSERT_FALSE(deftab.isEmpty());
    EXPECT_EQ(deftab[0].Runs.back().Positions[1], 360 * 72 / 15);
    const TRadky hanging = rtf(QStringLiteral("\\li200 a\\tab b"));
    ASSERT_FALSE(hanging.isEmpty());
    EXPECT_EQ(hanging[0].Runs.back().Positions[1], 200 * 72 / 15);
    // A zero tab width would divide by zero; it stands for the usual 720 twips.
    const TRadky zero = rtf(QStringLiteral("\\deftab0 a\\tab b"));
    ASSERT_FALSE(zero.isEmpty());
    EXPECT_EQ(zero[0].Runs.back().Positions[1], 3456);
}

TEST_F(RtfTest, ABulletHangsInFrontOfTheFirstLine)
{
    const TRadky lines = rtf(QStringLiteral(
        "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li360 text"));
    ASSERT_EQ(lines.count(), 1);
    EXPECT_EQ(LineText(lines[0]), QStringLiteral("·text"));
    const auto &runs = lines[0].Runs;
    EXPECT_EQ(runs.front().Positions[0], -960);
    EXPECT_EQ(runs.back().Chars, QStringLiteral("text"));
    EXPECT_EQ(runs.back().Positions[0], 0);
    EXPECT_EQ(lines[0].LineOffset, 72);
}

TEST_F(RtfTest, WrappingMovesRunsAfterTheBreakToTheNextLine)
{
    const TRadky lines = rtf(QStringLiteral("aaa \\b bbb\\b0 ccc ddd"), 40);
    ASSERT_GE(lines.count(), 2);
    EXPECT_EQ(LineText(lines[0]), QStringLiteral("aaa "));
    EXPECT_TRUE(LineText(lines[1]).startsWith(QStringLiteral("bbbc")));
    // The run holding the break moves its (empty) rest; the bold run moves whole.
    std::vector<TFragment> next;
    for (const TFragment &r : lines[1].Runs)
        if (r.Length > 0)
            next.push_back(r);
    ASSERT_GE(next.size(), 2u);
    EXPECT_EQ(next[0].Chars, QStringLiteral("bbb"));
    EXPECT_EQ(next[0].Bold, 1);
    EXPECT_EQ(next[0].Positions[0], 0);
    EXPECT_EQ(next[1].Bold, 0);
    EXPECT_EQ(lines[0].Runs.back().Length, 0);  // emptied runs stay behind, drawn as nothing
    // A large character that wraps makes its new line as high as itself, even when only
    // smaller text follows it.
    const TRadky big = rtf(QStringLiteral("aaaa \\fs72 B\\fs20 c"), 50);
    ASSERT_EQ(big.count(), 2);
    const int small = layouttest::unitHeight(canvas, layouttest::arial());
    EXPECT_GT(big[1].RowHeight, 3 * small);
    EXPECT_EQ(big[1].RowHeight, big[0].RowHeight);
}
