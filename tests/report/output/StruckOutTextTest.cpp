// Struck-out text from a template to every output: the laid-out runs, the page image, the
// PDF read back by poppler, the RTF read back by unrtf, and pages packed at rest.
#include "ExportTestSupport.h"
#include "RunTestSupport.h"

#include "report/model/SestError.h"

#include <QImage>
#include <QRegularExpression>
#include <QTextDocument>

#include <climits>

using namespace orv;
using namespace outtest;

namespace {

const QString kName = QStringLiteral("Přeškrtnutá ocel");

// Where the dark pixels of a box lie, and the longest stretch of them in one row (gaps of
// up to two pixels bridged, so that a line drawn character by character counts as one).
struct Ink {
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    int longest = 0;
    int longestRow = -1;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

Ink inkIn(const QImage &image, QRect box)
{
    Ink ink;
    box &= image.rect();
    for (int y = box.top(); y <= box.bottom(); ++y) {
        int run = 0;
        int gap = 0;
        for (int x = box.left(); x <= box.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
                run = run > 0 ? run + gap + 1 : 1;
                gap = 0;
                if (run > ink.longest) {
                    ink.longest = run;
                    ink.longestRow = y;
                }
            } else if (run > 0 && ++gap > 2) {
                run = 0;
                gap = 0;
            }
        }
    }
    return ink;
}

// A struck-out text has a dark line across nearly all of its ink, below the middle of
// the ink (accents reach above the capitals) but above the baseline; a plain one has no
// dark stretch longer than a few letters.
void expectStrikeLine(const Ink &ink, const char *where)
{
    ASSERT_GT(ink.width(), 50) << where;
    EXPECT_GE(ink.longest, ink.width() * 9 / 10) << where;
    const double at = double(ink.longestRow - ink.top) / ink.height();
    EXPECT_GT(at, 0.4) << where;
    EXPECT_LT(at, 0.9) << where;
}

void expectNoStrikeLine(const Ink &ink, const char *where)
{
    ASSERT_GT(ink.width(), 50) << where;
    EXPECT_LT(ink.longest, ink.width() * 3 / 10) << where;
}

// A list of material names, each row the same name twice: struck out on the left, plain
// on the right, 14 points.
struct StruckList {
    runtest::MemoryBridge data;
    TSestava report;
    StruckList(int rows, int livePages)
    {
        data.Columns = {QStringLiteral("Name")};
        for (int i = 0; i < rows; ++i)
            data.Rows.push_back({kName});
        report.Vystup.SetLivePages(livePages);
        report.IsStored = true;
        report.Predloha = {"I,3,2,1,40,0",
                           "T,2,Name,0,0,330,40,Arial,14,0,8,0,0,238",
                           "T,2,Name,360,0,330,40,Arial,14,0,0,0,0,238"};
        report.DataSource = &data;
    }
};

// The text items of a page, the struck-out one first.
std::pair<const TVystPrvek *, const TVystPrvek *> firstRow(TSestVystup &store, int page)
{
    const TVystPrvek *struck = nullptr;
    const TVystPrvek *plain = nullptr;
    for (const auto &it : store.Page(page)->Items) {
        if (!it->Element || !it->Lines || it->Top != 0)
            continue;
        (it->Element->Font.strikeOut() ? struck : plain) = it.get();
    }
    return {struck, plain};
}

QRect pixels(const TVystPrvek &item, int dpi, int left = 0, int top = 0)
{
    return QRect((left + item.Left) * dpi / 100, (top + item.Top) * dpi / 100,
                 item.Width * dpi / 100, item.Height * dpi / 100);
}

class StruckOutText : public ExportTest {
protected:
    StruckList list{1, 0};
};

} // namespace

TEST_F(StruckOutText, TheRunsCarryTheStrikeLineAndThePageImageShowsIt)
{
    runtest::ensureApp();
    ASSERT_EQ(list.report.Run(), seOk);
    TSestVystup &store = list.report.Vystup;
    const auto [struck, plain] = firstRow(store, 0);
    ASSERT_TRUE(struck && plain);
    ASSERT_EQ(runtest::itemText(*struck), kName);
    for (const TRadek &l : struck->Lines->Lines)
        for (const TFragment &r : l.Runs)
            EXPECT_EQ(r.Strikeout, 1);
    for (const TRadek &l : plain->Lines->Lines)
        for (const TFragment &r : l.Runs)
            EXPECT_EQ(r.Strikeout, 0);

    const int dpi = 300;
    ASSERT_TRUE(store.SavePagePng(path("page.png"), 0, dpi));
    const QImage page(path("page.png"));
    ASSERT_FALSE(page.isNull());
    expectStrikeLine(inkIn(page, pixels(*struck, dpi)), "page image, struck out");
    expectNoStrikeLine(inkIn(page, pixels(*plain, dpi)), "page image, plain");
}

TEST_F(StruckOutText, ThePdfDrawsTheStrikeLineAndKeepsTheText)
{
    runtest::ensureApp();
    ASSERT_EQ(list.report.Run(), seOk);
    ASSERT_EQ(list.report.ExportPdfFile(dir.path(), "vypis.pdf"), seOk);
    EXPECT_EQ(runTool("qpdf", {"--check", path("vypis.pdf")}).exitCode, 0);
    const ToolResult text = runTool("pdftotext", {"-enc", "UTF-8", path("vypis.pdf"), "-"});
    EXPECT_EQ(QString::fromUtf8(text.out).count(kName), 2) << text.out.constData();

    const int dpi = 300;
    const ToolResult r = runTool("pdftoppm", {"-r", QString::number(dpi), "-png", "-singlefile",
                                              path("vypis.pdf"), path("vypis")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QImage page(path("vypis.png"));
    ASSERT_FALSE(page.isNull());
    // The PDF shows the whole sheet: the items stand inside the margins.
    TSestVystup &store = list.report.Vystup;
    const int left = store.pageSetup().MarginLeft;
    const int top = store.pageSetup().MarginTop;
    const auto [struck, plain] = firstRow(store, 0);
    ASSERT_TRUE(struck && plain);
    expectStrikeLine(inkIn(page, pixels(*struck, dpi, left, top)), "PDF, struck out");
    expectNoStrikeLine(inkIn(page, pixels(*plain, dpi, left, top)), "PDF, plain");
}

TEST_F(StruckOutText, TheRtfMarksTheStruckOutTextOnly)
{
    runtest::ensureApp();
    ASSERT_EQ(list.report.ExportRtfFile(dir.path(), "vypis.rtf"), seOk);
    const QByteArray rtf = readAll(path("vypis.rtf"));
    EXPECT_EQ(rtf.count("\\strike "), 0);
    EXPECT_EQ(rtf.count("\\strike\\"), 1) << rtf.constData();
    EXPECT_EQ(rtf.count("\\strike0"), 1) << rtf.constData();

    const ToolResult r = runTool("unrtf", {"--html", path("vypis.rtf")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QString html = QString::fromUtf8(r.out);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("<s>(.*?)</s>"), QRegularExpression::DotMatchesEverythingOption)
            .match(html);
    ASSERT_TRUE(m.hasMatch()) << r.out.constData();
    QTextDocument struck;
    struck.setHtml(m.captured(1));
    EXPECT_EQ(struck.toPlainText().trimmed(), kName);
    EXPECT_EQ(html.count(QStringLiteral("<s>")), 1);
    QTextDocument all;
    all.setHtml(html);
    EXPECT_EQ(all.toPlainText().count(kName), 2);
}

TEST_F(StruckOutText, PackedPagesKeepTheStrikeLine)
{
    runtest::ensureApp();
    StruckList live(60, 0), packed(60, 1);
    ASSERT_EQ(live.report.Run(), seOk);
    ASSERT_EQ(packed.report.Run(), seOk);
    TSestVystup &a = live.report.Vystup;
    TSestVystup &b = packed.report.Vystup;
    ASSERT_GE(b.PageCount(), 3);
    ASSERT_EQ(a.PageCount(), b.PageCount());
    ASSERT_TRUE(b.Pages[0]->IsPacked());
    const auto [struck, plain] = firstRow(b, 0);   // unpacks page 0
    ASSERT_TRUE(struck && plain);
    EXPECT_EQ(struck->Lines->Lines.at(0).Runs.at(0).Strikeout, 1);
    EXPECT_EQ(plain->Lines->Lines.at(0).Runs.at(0).Strikeout, 0);
    for (int p : {0, 1})
        EXPECT_EQ(a.PageToImage(p, 100), b.PageToImage(p, 100)) << "page " << p;
    EXPECT_EQ(runtest::pdfOf(live.report), runtest::pdfOf(packed.report));
    EXPECT_EQ(runtest::rtfOf(live.report), runtest::rtfOf(packed.report));
}
