// The run over small templates: what lands on which page, where, with which text.

#include "RunTestSupport.h"

#include "report/model/Expression.h"
#include "report/output/PdfExport.h"

#include <QBuffer>

using namespace orv;
using namespace runtest;

namespace {

class RunTest : public ::testing::Test {
protected:
    void SetUp() override { ensureApp(); }

    // Runs the template over the rows through the component, as print and preview do.
    int run(const Template &t)
    {
        rep.IsStored = true;
        rep.Predloha = t.Lines;
        rep.DataSource = &data;
        return rep.Run();
    }
    const TSestVystup &out() const { return rep.Vystup; }

    TSestava rep;
    MemoryBridge data;
};

void rows(MemoryBridge &b, const QStringList &columns, std::vector<std::vector<QVariant>> r)
{
    b.Columns = columns;
    b.Rows = std::move(r);
}

std::vector<std::vector<QVariant>> numbered(int n)
{
    std::vector<std::vector<QVariant>> r;
    for (int i = 1; i <= n; ++i)
        r.push_back({QStringLiteral("R%1").arg(i)});
    return r;
}

} // namespace

TEST_F(RunTest, GroupsWithHeadersFootersAndSums)
{
    rows(data, {"Type", "Name", "Value"},
         {{"A", "a1", 1}, {"A", "a2", 2}, {"A", "a3", 3}, {"B", "b1", 10}, {"B", "b2", 20}});
    Template t;
    t.section(1, true, 30).section(2, true, 20)
        .group(0, "#Type", 25, 25)
        .function("Suma", "#3", 2, 2)
        .function("Celkem", "#3", 2, 0)
        .section(3, true, 30)
        .text("H", 1, "0", 0, 0, 300, 20, "Seznam")
        .text("S0", 2, "Type", 0, 0, 200, 20)
        .text("T", 2, "Name", 20, 0, 200, 20)
        .text("U0", 6, "Suma", 20, 0, 200, 20)
        .text("K", 6, "Celkem", 20, 0, 200, 20);
    ASSERT_EQ(run(t), seOk);
    ASSERT_EQ(out().PageCount(), 1);

    auto at = [&](const QString &text) {
        const auto f = findText(out(), text);
        EXPECT_EQ(f.size(), 1u) << text.toStdString();
        return f.empty() ? -1 : f[0].Item->Top;
    };
    EXPECT_EQ(at("Seznam"), 0);
    EXPECT_EQ(at("A"), 30);
    EXPECT_EQ(at("a1"), 55);
    EXPECT_EQ(at("a2"), 75);
    EXPECT_EQ(at("a3"), 95);
    EXPECT_EQ(at("6"), 115);    // footer of A: the sum of A only
    EXPECT_EQ(at("B"), 140);
    EXPECT_EQ(at("b1"), 165);
    EXPECT_EQ(at("b2"), 185);
    EXPECT_EQ(at("30"), 205);   // footer of B restarted with its first record
    EXPECT_EQ(at("36"), 230);   // report footer: the whole sum
    EXPECT_EQ(firstText(out(), "b2").Item->Left, 20);
}

TEST_F(RunTest, PageHeaderSuppressedOnFirstPageOnly)
{
    rows(data, {"Name"}, numbered(60));
    Template t;
    t.section(1, true, 30, 1).section(2, true, 20)
        .text("H", 1, "0", 0, 0, 300, 20, "Hlava")
        .text("T", 2, "Name", 0, 0, 200, 20);
    ASSERT_EQ(run(t), seOk);
    ASSERT_EQ(out().PageCount(), 2);
    const auto heads = findText(out(), "Hlava");
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].Page, 1);
    EXPECT_EQ(heads[0].Item->Top, 0);
    // Page 1 starts at the top without a header and holds 50 bodies of 20.
    EXPECT_EQ(firstText(out(), "R1").Item->Top, 0);
    EXPECT_EQ(firstText(out(), "R50").Page, 0);
    EXPECT_EQ(firstText(out(), "R50").Item->Top, 980);
    EXPECT_EQ(firstText(out(), "R51").Page, 1);
    EXPECT_EQ(firstText(out(), "R51").Item->Top, 30);
}

TEST_F(RunTest, ReportFooterAtTheBottomAboveThePageFooter)
{
    rows(data, {"Name"}, numbered(3));
    Template t;
    t.section(2, true, 20).section(3, true, 50, 2).section(4, true, 40)
        .text("T", 2, "Name", 0, 0, 200, 20)
        .text("K", 1, "0", 0, 0, 200, 20, "Konec")
        .text("P", 1, "0", 0, 0, 200, 20, "Pata");
    ASSERT_EQ(run(t), seOk);
    ASSERT_EQ(out().PageCount(), 1);
    EXPECT_EQ(firstText(out(), "Konec").Item->Top, 1000 - 40 - 50);
    EXPECT_EQ(firstText(out(), "Pata").Item->Top, 960);

    // When the last body ends below that place the footer goes to the bottom of a new page.
    TSestava again;
    MemoryBridge more;
    rows(more, {"Name"}, numbered(47));
    again.IsStored = true;
    again.Predloha = t.Lines;
    again.DataSource = &more;
    ASSERT_EQ(again.Run(), seOk);
    ASSERT_EQ(again.Vystup.PageCount(), 2);
    const auto end = findText(again.Vystup, "Konec");
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].Page, 1);
    EXPECT_EQ(end[0].Item->Top, 910);
    EXPECT_EQ(findText(again.Vystup, "Pata").size(), 2u);
}

TEST_F(RunTest, GrowingTextContinuesOverTwoPageEnds)
{
    QStringList lines;
    for (int i = 1; i <= 60; ++i)
        lines << QStringLiteral("Řádek %1").arg(i);
    rows(data, {"Memo", "Name"}, {{lines.join(u'\n'), "první"}, {"krátký", "druhý"}});
    Template t;
    t.Lines << "I,2,0,826,500,50,50,50,50,1,0";   // printable height 400
    t.section(1, true, 30).section(2, true, 40).section(4, true, 30)
        .text("H", 1, "0", 0, 0, 300, 20, "Hlava")
        .text("P", 1, "0", 0, 0, 300, 20, "Pata")
        .text("T", 2, "Name", 0, 0, 200, 20)
        .text("T", 2, "Memo", 300, 20, 300, 20, QString(), 0x50);
    ASSERT_EQ(run(t), seOk);
    ASSERT_GE(out().PageCount(), 3);

    // The pieces of the memo, in page order, hold all 60 lines once.
    QStringList seen;
    std::vector<std::pair<int, const TVystPrvek *>> pieces;
    for (int p = 0; p < out().PageCount(); ++p)
        for (const TVystPrvek *it : items(out(), p))
            if (itemText(*it).startsWith("Řádek")) {
                pieces.push_back({p, it});
                seen << itemText(*it).split(u'\n');
            }
    EXPECT_EQ(seen, lines);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].first, 0);
    EXPECT_EQ(pieces[0].second->Top, 30 + 20);
    EXPECT_EQ(pieces[1].first, 1);
    EXPECT_EQ(pieces[1].second->Top, 30);   // below the page header
    EXPECT_EQ(pieces[2].first, 2);
    EXPECT_EQ(pieces[2].second->Top, 30);
    // No piece reaches into the page footer.
    for (const auto &pc : pieces)
        EXPECT_LE(pc.second->Top + pc.second->Height, 370);

    // Every page it crosses has its header and footer.
    const auto heads = findText(out(), "Hlava");
    const auto feet = findText(out(), "Pata");
    EXPECT_EQ(int(heads.size()), out().PageCount());
    EXPECT_EQ(int(feet.size()), out().PageCount());
    for (const Found &f : feet)
        EXPECT_EQ(f.Item->Top, 370);

    // The next body starts below the last line.
    const auto next = findText(out(), "druhý");
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].Page, 2);
    const TVystPrvek *last = pieces[2].second;
    EXPECT_EQ(next[0].Item->Top, last->Top + last->Height);
}

TEST_F(RunTest, DetailReportInsideTheBody)
{
    OrdersWithItems orders(rep, {"O1", "O2"}, {"i1", "i2", "i3"});
    ASSERT_EQ(rep.Run(), seOk);
    ASSERT_EQ(out().PageCount(), 1);

    const auto i1 = findText(out(), "i1");
    ASSERT_EQ(i1.size(), 2u);
    EXPECT_EQ(firstText(out(), "O1").Item->Top, 0);
    EXPECT_EQ(i1[0].Item->Top, 20);
    EXPECT_EQ(i1[0].Item->Left, 40);
    EXPECT_EQ(firstText(out(), "i3").Item->Top, 50);
    // The master's next body starts where its section ends below the grown placeholder.
    EXPECT_EQ(firstText(out(), "O2").Item->Top, 65);
    EXPECT_EQ(i1[1].Item->Top, 85);
    EXPECT_EQ(findText(out(), "i3")[1].Item->Top, 115);
    EXPECT_EQ(orders.Detail.MasterSestava(), &rep);

    // A detail over an empty data set prints nothing, not even its header.
    orders.Items.Rows.clear();
    Template d2;
    d2.section(2, true, 15).text("T", 2, "Item", 40, 0, 100, 15)
        .section(0, true, 10).text("Z", 1, "0", 0, 0, 100, 10, "Hlavička");
    Template t2;
    t2.section(2, true, 40).text("T", 2, "Order", 0, 0, 100, 20).detail("T", 0, 0, 20, 300, 20)
        .detailTemplate(0, d2);
    rep.Predloha = t2.Lines;
    ASSERT_EQ(rep.Run(), seOk);
    EXPECT_TRUE(findText(out(), "Hlavička").empty());
    EXPECT_EQ(firstText(out(), "O2").Item->Top, 40);
}

TEST_F(RunTest, TwoColumnsAndBackToTheFirstOnAGroupChange)
{
    rows(data, {"G", "Name"}, {{"x", "R1"}, {"x", "R2"}, {"x", "R3"}, {"y", "R4"}});
    Template t;
    t.columns(2, 0).section(2, true, 20).group(0, "#G", 0, 10)
        .text("T", 2, "Name", 10, 0, 200, 20)
        .text("U0", 1, "0", 0, 0, 100, 10, "Konec skupiny");
    ASSERT_EQ(run(t), seOk);
    auto pos = [&](const QString &s) {
        const auto f = findText(out(), s);
        return f.empty() ? QPoint(-1, -1) : QPoint(f[0].Item->Left, f[0].Item->Top);
    };
    EXPECT_EQ(pos("R1"), QPoint(10, 0));
    EXPECT_EQ(pos("R2"), QPoint(10 + 363, 0));
    EXPECT_EQ(pos("R3"), QPoint(10, 20));
    // R3 left column 2 free: the group change moves one body down and back to column 1.
    const auto feet = findText(out(), "Konec skupiny");
    ASSERT_EQ(feet.size(), 2u);
    EXPECT_EQ(feet[0].Item->Left, 0);
    EXPECT_EQ(feet[0].Item->Top, 40);
    EXPECT_EQ(pos("R4"), QPoint(10, 50));
}

TEST_F(RunTest, PageRangeKeepsThePagesUpToTheLastAndTotalPageCount)
{
    rows(data, {"Name"}, numbered(200));
    Template t;
    t.section(2, true, 20).section(4, true, 20)
        .text("T", 2, "Name", 0, 0, 200, 20)
        .text("P", 5, "4", 0, 0, 100, 20);
    ASSERT_EQ(run(t), seOk);
    // 49 bodies a page above the footer: 5 pages; the footer shows the total.
    ASSERT_EQ(out().PageCount(), 5);
    EXPECT_EQ(findText(out(), "5").size(), 5u);

    rep.StartPage = 2;
    rep.EndPage = 3;
    ASSERT_EQ(run(t), seOk);
    EXPECT_EQ(out().PageCount(), 3);
    EXPECT_EQ(out().FirstPage, 2);
    EXPECT_EQ(out().LastPage, 3);
    // The run stopped early: nothing of page 4 was made.
    EXPECT_TRUE(findText(out(), "R148").empty());
    EXPECT_EQ(firstText(out(), "R147").Page, 2);
}

TEST_F(RunTest, MaxRecordsAndOneRecordMode)
{
    rows(data, {"Name"}, numbered(10));
    Template t;
    t.section(2, true, 20).text("T", 2, "Name", 0, 0, 200, 20);
    rep.MaxRecords = 3;
    ASSERT_EQ(run(t), seOk);
    EXPECT_EQ(findText(out(), "R3").size(), 1u);
    EXPECT_TRUE(findText(out(), "R4").empty());
    EXPECT_EQ(rep.RecordsPrinted, 3);

    rep.MaxRecords = 0;
    rep.TiskJedenZaznam = true;
    data.Pos = 6;
    ASSERT_EQ(run(t), seOk);
    EXPECT_EQ(out().Page(0)->count(), 1);
    EXPECT_EQ(findText(out(), "R7").size(), 1u);
    EXPECT_EQ(data.Pos, 6);
}

TEST_F(RunTest, EmptyDataSetPrintsHeaderOneBodyAndFooter)
{
    rows(data, {"Name"}, {});
    Template t;
    t.section(0, true, 20).section(2, true, 20).section(3, true, 20)
        .text("Z", 1, "0", 0, 0, 100, 20, "Začátek")
        .text("T", 1, "0", 0, 0, 100, 20, "Tělo")
        .text("K", 1, "0", 0, 0, 100, 20, "Konec");
    ASSERT_EQ(run(t), seOk);
    EXPECT_EQ(firstText(out(), "Začátek").Item->Top, 0);
    EXPECT_EQ(findText(out(), "Tělo").size(), 1u);
    EXPECT_EQ(firstText(out(), "Konec").Item->Top, 40);
}

TEST_F(RunTest, NewPagePerRecordAndGroupNewPage)
{
    rows(data, {"G", "Name"}, {{"a", "R1"}, {"a", "R2"}, {"b", "R3"}});
    Template t;
    t.section(2, true, 20, 1).text("T", 2, "Name", 0, 0, 200, 20);
    ASSERT_EQ(run(t), seOk);
    EXPECT_EQ(out().PageCount(), 3);
    EXPECT_EQ(firstText(out(), "R3").Page, 2);
    EXPECT_EQ(firstText(out(), "R3").Item->Top, 0);

    Template g;
    g.section(2, true, 20).group(0, "#G", 0, 20, true)
        .function("Pocet", "1", 1, 2)
        .text("T", 2, "Name", 0, 0, 200, 20)
        .text("U0", 6, "Pocet", 0, 0, 100, 20);
    ASSERT_EQ(run(g), seOk);
    ASSERT_EQ(out().PageCount(), 2);
    EXPECT_EQ(firstText(out(), "R2").Page, 0);
    EXPECT_EQ(firstText(out(), "2").Page, 0);   // count of group a
    EXPECT_EQ(firstText(out(), "R3").Page, 1);
    EXPECT_EQ(firstText(out(), "1").Page, 1);   // group b restarted
}

TEST_F(RunTest, ConditionsAndThePrintElementHandler)
{
    rows(data, {"N"}, {{1}, {0}, {5}});
    Template t;
    t.section(2, true, 20)
        .text("T", 2, "N", 0, 0, 100, 20, QString(), 0, "#1>0")
        .text("T", 1, "0", 200, 0, 100, 20, "nula", 0, "#1", true, "zero");
    int asked = 0;
    rep.OnPrintElement = [&](TSestavaD &r, TElementFont &, const QString &ident, bool &can) {
        ++asked;
        EXPECT_EQ(ident, "zero");
        can = r.FieldValue(0).Number == 0;
    };
    ASSERT_EQ(run(t), seOk);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(findText(out(), "1").size(), 1u);
    EXPECT_EQ(findText(out(), "0").size(), 0u);
    EXPECT_EQ(findText(out(), "5").size(), 1u);
    const auto zero = findText(out(), "nula");
    ASSERT_EQ(zero.size(), 1u);
    EXPECT_EQ(zero[0].Item->Top, 20);
}

TEST_F(RunTest, SectionHandlerSuppressesAndRequestPageBreakBreaks)
{
    rows(data, {"Name"}, numbered(4));
    Template t;
    t.section(2, true, 20).text("T", 2, "Name", 0, 0, 100, 20);
    rep.OnTiskOddilu = [](TSestava &r, int kind, bool &print) {
        if (kind == skBody && r.FieldText(0) == "R2")
            print = false;
        if (kind == skBody && r.FieldText(0) == "R3")
            r.RequestPageBreak();
    };
    ASSERT_EQ(run(t), seOk);
    EXPECT_TRUE(findText(out(), "R2").empty());
    EXPECT_EQ(firstText(out(), "R3").Page, 1);
    EXPECT_EQ(firstText(out(), "R3").Item->Top, 0);
    EXPECT_EQ(firstText(out(), "R4").Item->Top, 20);
}

TEST_F(RunTest, VariablesAndCharacterModeRounding)
{
    rows(data, {"Name"}, numbered(3));
    Template t;
    t.Lines << "I,6,1,8,8,0,1,0,0";   // character mode, 1/6 inch lines
    t.section(2, true, 20)
        .text("T", 5, "2", 0, 0, 200, 20, "č. %d")
        .text("T", 5, "3", 300, 0, 200, 20, "Strana %.3d");
    ASSERT_EQ(run(t), seOk);
    // 20 rounds to the nearest whole line of 100/6: 17, then 33, 50.
    EXPECT_EQ(firstText(out(), "č. 1").Item->Top, 0);
    EXPECT_EQ(firstText(out(), "č. 2").Item->Top, 17);
    EXPECT_EQ(firstText(out(), "č. 3").Item->Top, 33);
    EXPECT_EQ(findText(out(), "Strana 001").size(), 3u);
}

namespace {
// A progress window whose cancel button is pressed after a number of polls.
class Cancelling : public TSestProgress {
public:
    explicit Cancelling(int after, QStringList *texts) : m_after(after), m_texts(texts) {}
    void setText(const QString &text) override { *m_texts << text; }
    void processEvents() override { ++m_polls; }
    bool cancelled() const override { return m_polls > m_after; }

private:
    int m_after;
    int m_polls = 0;
    QStringList *m_texts;
};
} // namespace

TEST_F(RunTest, CancelInTheProgressWindowKeepsThePagesMade)
{
    rows(data, {"Name"}, numbered(500));
    Template t;
    t.section(2, true, 20).text("T", 2, "Name", 0, 0, 200, 20);
    QStringList texts;
    setSestProgressFactory([&](const QString &caption) {
        EXPECT_EQ(caption, "Informace");
        return std::make_unique<Cancelling>(120, &texts);
    });
    const int r = run(t);
    setSestProgressFactory({});
    EXPECT_EQ(r, seCancelled);
    ASSERT_GE(texts.size(), 2);
    EXPECT_EQ(texts[0], "Připravuji tisk položky číslo: 1");
    EXPECT_EQ(texts[1], "Připravuji tisk položky číslo: 2");
    // Stopped after some records, the pages made so far stay.
    EXPECT_GE(out().PageCount(), 1);
    EXPECT_LT(rep.RecordsPrinted, 500);
    EXPECT_GT(rep.RecordsPrinted, 10);
    EXPECT_EQ(findText(out(), QStringLiteral("R%1").arg(rep.RecordsPrinted)).size(), 1u);
    EXPECT_EQ(data.Pos, -1);   // and the data set is back where it was
}

TEST_F(RunTest, DetailOverSeveralPagesGetsTheMastersHeadersAndFooters)
{
    rows(data, {"Order"}, {{"O1"}, {"O2"}});
    MemoryBridge lines;
    std::vector<std::vector<QVariant>> many;
    for (int i = 1; i <= 100; ++i)
        many.push_back({QStringLiteral("i%1").arg(i)});
    rows(lines, {"Item"}, many);
    TSestDetail detail;
    detail.DataSource = &lines;
    detail.setMasterSestava(&rep);

    Template d;
    d.section(2, true, 20).text("T", 2, "Item", 40, 0, 100, 20);
    Template t;
    t.section(1, true, 30).section(2, true, 40).section(4, true, 30)
        .text("H", 1, "0", 0, 0, 300, 20, "Hlava")
        .text("P", 5, "3", 0, 0, 300, 20, "Strana %d")
        .text("T", 2, "Order", 0, 0, 100, 20)
        .detail("T", 0, 0, 20, 300, 20)
        .detailTemplate(0, d);
    ASSERT_EQ(run(t), seOk);
    // 200 detail rows of 20 with 940 usable per page: 5 pages.
    ASSERT_EQ(out().PageCount(), 5);
    for (int p = 0; p < out().PageCount(); ++p) {
        const auto foot = findText(out(), QStringLiteral("Strana %1").arg(p + 1));
        ASSERT_EQ(foot.size(), 1u) << p;
        EXPECT_EQ(foot[0].Page, p);
        EXPECT_EQ(foot[0].Item->Top, 970);
    }
    EXPECT_EQ(findText(out(), "Hlava").size(), 5u);
    // The detail continues below the page header; nothing runs into the page footer.
    const auto first = findText(out(), "i1");
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].Item->Top, 50);
    for (int p = 0; p < out().PageCount(); ++p)
        for (const TVystPrvek *it : items(out(), p)) {
            if (itemText(*it).startsWith(u'i')) {
                EXPECT_GE(it->Top, 30);
                EXPECT_LE(it->Top + it->Height, 970);
            }
        }
    const auto i46 = findText(out(), "i46");
    ASSERT_FALSE(i46.empty());
    EXPECT_EQ(i46[0].Page, 0);
    EXPECT_EQ(i46[0].Item->Top, 950);
    const auto i47 = findText(out(), "i47");
    ASSERT_FALSE(i47.empty());
    EXPECT_EQ(i47[0].Page, 1);
    EXPECT_EQ(i47[0].Item->Top, 30);
    // The second order starts right below the end of the first one's detail.
    const auto i100 = findText(out(), "i100");
    const auto o2 = findText(out(), "O2");
    ASSERT_FALSE(i100.empty());
    ASSERT_EQ(o2.size(), 1u);
    EXPECT_EQ(o2[0].Page, i100[0].Page);
    EXPECT_EQ(o2[0].Item->Top, i100[0].Item->Top + 20);
}

TEST_F(RunTest, FooterFlagsAndBreaksAroundReportHeaderAndFooter)
{
    rows(data, {"Name"}, numbered(60));
    auto tmpl = [](int footerFlags, int headerFlags, int reportFooterFlags) {
        Template t;
        t.section(0, true, 40, headerFlags).section(2, true, 20).section(3, true, 20, reportFooterFlags)
            .section(4, true, 20, footerFlags)
            .text("Z", 1, "0", 0, 0, 100, 20, "Začátek")
            .text("T", 2, "Name", 0, 0, 100, 20)
            .text("K", 1, "0", 0, 0, 100, 20, "Konec")
            .text("P", 5, "3", 0, 0, 100, 20, "s. %d");
        return t;
    };
    auto footers = [&] {
        std::vector<int> pages;
        for (int p = 0; p < out().PageCount(); ++p)
            if (!withPrefix(out(), p, "s. ").empty())
                pages.push_back(p);
        return pages;
    };
    ASSERT_EQ(run(tmpl(0, 0, 0)), seOk);
    ASSERT_EQ(out().PageCount(), 2);
    EXPECT_EQ(footers(), (std::vector<int>{0, 1}));

    ASSERT_EQ(run(tmpl(1, 0, 0)), seOk);   // no footer on the last page
    EXPECT_EQ(footers(), (std::vector<int>{0}));

    ASSERT_EQ(run(tmpl(2, 0, 0)), seOk);   // on the first page only
    EXPECT_EQ(footers(), (std::vector<int>{0}));

    rows(data, {"Name"}, numbered(3));
    ASSERT_EQ(run(tmpl(2, 0, 0)), seOk);   // a one-page report then has none
    EXPECT_TRUE(footers().empty());

    // A break after the report header and before the report footer: three pages.
    ASSERT_EQ(run(tmpl(0, 1, 1)), seOk);
    ASSERT_EQ(out().PageCount(), 3);
    EXPECT_EQ(firstText(out(), "Začátek").Page, 0);
    EXPECT_EQ(firstText(out(), "R1").Page, 1);
    EXPECT_EQ(firstText(out(), "R1").Item->Top, 0);
    EXPECT_EQ(firstText(out(), "Konec").Page, 2);
    EXPECT_EQ(footers(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(findText(out(), "s. 3").size(), 1u);
}

TEST_F(RunTest, TwoGrowingTextsInOneBandPushTheRestBelowTheLonger)
{
    rows(data, {"A", "B", "Name"}, {{"jeden\ndva\ntři\nčtyři", "x", "R1"}, {"y", "z", "R2"}});
    Template t;
    t.section(2, true, 60)
        .text("T", 2, "A", 0, 10, 100, 20, QString(), 0x50)
        .text("T", 2, "B", 200, 10, 100, 40, QString(), 0x50)
        .text("T", 2, "Name", 400, 50, 100, 10);   // fixed, in the segment below the band
    ASSERT_EQ(run(t), seOk);
    const auto a = withPrefix(out(), 0, "jeden");
    ASSERT_EQ(a.size(), 1u);
    const int grown = a[0]->Height;
    ASSERT_GT(grown, 40);   // four lines are taller than both designed heights
    // What follows the band moves down by as much as the text that ends lower grew past
    // its own designed bottom; the other one, shorter than designed, pulls nothing up.
    const int push = (10 + grown) - (10 + 20);
    EXPECT_EQ(firstText(out(), "R1").Item->Top, 50 + push);
    EXPECT_EQ(firstText(out(), "x").Item->Top, 10);
    const int second = 60 + push;
    EXPECT_EQ(firstText(out(), "y").Item->Top, second + 10);
    EXPECT_EQ(firstText(out(), "R2").Item->Top, second + 50);
}

TEST_F(RunTest, TallReportHeaderPushesTheFirstBodyToPageTwo)
{
    rows(data, {"Name"}, numbered(2));
    Template t;
    t.section(0, true, 980).section(1, true, 30).section(2, true, 20)
        .text("Z", 1, "0", 0, 0, 100, 20, "Začátek")
        .text("H", 1, "0", 0, 0, 100, 20, "Hlava")
        .text("T", 2, "Name", 0, 0, 100, 20);
    ASSERT_EQ(run(t), seOk);
    ASSERT_EQ(out().PageCount(), 2);
    const auto heads = findText(out(), "Hlava");
    ASSERT_EQ(heads.size(), 2u);
    EXPECT_EQ(heads[0].Page, 0);
    EXPECT_EQ(heads[0].Item->Top, 980);   // below the report header on page 1
    EXPECT_EQ(heads[1].Page, 1);
    EXPECT_EQ(firstText(out(), "R1").Page, 1);
    EXPECT_EQ(firstText(out(), "R1").Item->Top, 30);
}

TEST_F(RunTest, BarcodesTakeTheFirstItemOfTheirListIncludingTheReportFooters)
{
    rows(data, {"Code"}, {{"8590000000011"}, {"8590000000028"}});
    Template t;
    t.section(2, true, 60).section(3, true, 60)
        .Lines << "T,12,0,0,0,200,50,,8,0,14,32,0,0,\"#Code,ignored\",0,0,0,\"\",0,\"\""
               << "K,12,0,0,0,200,50,,8,0,14,32,0,0,\"#Code\",0,0,0,\"\",0,\"\"";
    ASSERT_EQ(run(t), seOk);
    const auto first = findText(out(), "8590000000011");
    const auto last = findText(out(), "8590000000028");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(last.size(), 2u);   // the second body and the report footer
    EXPECT_EQ(last[1].Item->Top, 120);
    EXPECT_EQ(last[1].Item->kind(), int(ekBarcode));
}

// Two reports on different paper in one process: each one's run, pages and exported sheet
// keep its own paper, whichever ran last, and neither leaves its paper in force afterwards.
TEST(TwoReportsTest, EachKeepsItsOwnPaper)
{
    ensureApp();
    const TPageSetup before = defaultPageSetup();
    auto make = [](TSestava &rep, MemoryBridge &data, const QString &paperLine) {
        rows(data, {"Name"}, numbered(3));
        Template t;
        t.Lines << paperLine;
        t.section(2, true, 20).text("T", 2, "Name", 0, 0, 200, 20);
        rep.IsStored = true;
        rep.Predloha = t.Lines;
        rep.DataSource = &data;
    };
    TSestava a, b;
    MemoryBridge da, db;
    make(a, da, QStringLiteral("I,2,0,826,1169,50,50,70,70,1,0"));    // A4 portrait
    make(b, db, QStringLiteral("I,2,1,850,1100,40,60,30,50,1,0"));    // letter landscape
    a.SetPredloha(a.Predloha);
    b.SetPredloha(b.Predloha);   // loaded last
    // A runs with its own paper, not the one loaded last.
    ASSERT_EQ(a.TSestavaTyp::Run(true), seOk);
    ASSERT_EQ(b.Run(), seOk);
    EXPECT_EQ(a.Context.PageSetup.PaperWidth, 826);
    EXPECT_EQ(b.Context.PageSetup.Orientation, 1);
    EXPECT_EQ(a.Vystup.PageWidth, 826 - 100);
    EXPECT_EQ(a.Vystup.PageHeight, 1169 - 140);
    EXPECT_EQ(b.Vystup.PageWidth, 1100 - 100);
    EXPECT_EQ(b.Vystup.PageHeight, 850 - 80);
    EXPECT_EQ(&reportContext(), &sessionContext());

    // The stores export on their own sheets after both runs.
    auto mediaBox = [](TSestVystup &store) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_EQ(SavePdf(store, buffer), seOk);
        const QByteArray pdf = buffer.data();
        const int at = pdf.indexOf("/MediaBox [");
        return at < 0 ? QByteArray() : pdf.mid(at, pdf.indexOf(']', at) - at + 1);
    };
    EXPECT_EQ(mediaBox(a.Vystup), QByteArray("/MediaBox [0 0 594.7 841.7]"));
    EXPECT_EQ(mediaBox(b.Vystup), QByteArray("/MediaBox [0 0 792.0 612.0]"));
    defaultPageSetup() = before;
}
