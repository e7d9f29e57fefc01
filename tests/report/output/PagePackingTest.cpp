// Pages at rest are packed and unpacked again on use: nothing of an item may change on the
// way, the store keeps only the recently used pages live, and a report run with packing
// gives the same pages, pictures and exports as one without it.
#include "OutputTestSupport.h"
#include "RunTestSupport.h"

#include "report/model/TextLayout.h"
#include "report/output/PageCodec.h"

#include <QRegularExpression>

#include <climits>
#include <set>

using namespace orv;

namespace {

// Every field of an item, lines and runs included, as text: two items are the same when
// their descriptions are.
QString describe(const TVystPrvek &it)
{
    QString s = QStringLiteral("E%1 L%2 T%3 W%4 H%5 layer%6 lines%7..%8 pic%9/%10/%11 pin%12 [%13]")
                    .arg(quintptr(it.Element)).arg(it.Left).arg(it.Top).arg(it.Width)
                    .arg(it.Height).arg(it.Layer).arg(it.FirstLine).arg(it.LastLine)
                    .arg(it.HasPicture).arg(it.Picture ? it.Picture->cacheKey() : -1)
                    .arg(it.PictureFile).arg(it.Pinned).arg(it.Lines ? it.Lines->count() : -1);
    if (!it.Lines)
        return s;
    for (const TRadek &l : it.Lines->Lines) {
        s += QStringLiteral("\n line h%1 off%2 bx%3 bc%4 cur%5 br%6 first%7:")
                 .arg(l.RowHeight).arg(l.LineOffset).arg(l.BreakX).arg(l.BreakCount)
                 .arg(l.CurrentRun).arg(l.BreakRun).arg(l.FirstOfParagraph);
        for (const TFragment &r : l.Runs) {
            s += QStringLiteral("\n  run n%1 b%2 '%3' %4 %5pt c%6 cs%7 %8%9%10%11 @")
                     .arg(r.Length).arg(r.BreakLength).arg(r.Chars).arg(r.FontName)
                     .arg(r.FontSize).arg(r.Color).arg(r.Charset).arg(r.Bold).arg(r.Underline)
                     .arg(r.Italic).arg(r.Strikeout);
            for (int p : r.Positions)
                s += QStringLiteral(" %1").arg(p);
            // The code units themselves, so that unpaired surrogates cannot hide.
            s += QStringLiteral(" u");
            for (QChar c : r.Chars)
                s += QStringLiteral(" %1").arg(int(c.unicode()));
        }
    }
    return s;
}

QStringList describe(const TStranaPrvku &page)
{
    QStringList out;
    for (const auto &it : page.Items)
        out << describe(*it);
    out << QStringLiteral("layers %1").arg(page.LayerCount);
    return out;
}

class PagePacking : public ::testing::Test {
protected:
    void SetUp() override { outtest::ensureGuiApplication(); }

    TSiReportElement *element(int kind, int textFlags = 0)
    {
        m_elements.push_back(outtest::element(kind, textFlags));
        return m_elements.back().get();
    }
    TRadky layout(const QString &text, int width, int alignment, bool rich,
                  const QString &face = QStringLiteral("Arial"))
    {
        TTextFont font;
        font.Name = face;
        font.Size = 9;
        font.Charset = 238;
        TTextCanvas measure(100);
        TRadky lines;
        LayoutText(measure, QRect(0, 0, width, 200), text, lines, true, 0, 0, alignment, font, rich);
        return lines;
    }
    // Items of many shapes on one page of the store.
    void fill(int page)
    {
        auto add = [&](std::unique_ptr<TVystPrvek> item) { store.AddItem(std::move(item), page); };
        auto text = std::make_unique<TVystPrvek>(element(ekText), 10, 20, 300, 60);
        text->SetLines(layout(QStringLiteral("Žárupevná ocel 17 240 se dobře svařuje a tvaruje "
                                             "za tepla i za studena."), 150, 3, false));
        add(std::move(text));
        auto rich = std::make_unique<TVystPrvek>(element(ekField, 2), -5, INT_MAX / 2, 400, 40);
        rich->SetLines(layout(QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
                                             "{\\colortbl;\\red200\\green0\\blue10;}"
                                             "\\f0\\fs20 a\\b tu\\b0\\i n\\i0\\ul e\\ulnone "
                                             "\\f1\\cf1\\fs30 \\u937?x\\tab y}"),
                              400, 0, true));
        rich->FirstLine = 0;
        rich->LastLine = 0;
        add(std::move(rich));
        // Positions out of step with the characters, negative places, odd code units.
        auto odd = std::make_unique<TVystPrvek>(element(ekVariable, 1), INT_MIN + 1, -7, 0, 1);
        odd->Lines = std::make_unique<TRadky>();
        odd->Lines->Lines.resize(2);
        TFragment run;
        run.Chars = QString(QChar(0xD800)) + QChar(0xFFFF) + QChar(0) + QStringLiteral("Ω\u00e9");
        run.Length = 3;
        run.Positions = {-960, INT_MAX, INT_MIN, 0};
        run.FontName = QStringLiteral("Times New Roman");
        run.FontSize = 72;
        run.Color = 0xFFFFFF;
        run.Charset = 255;
        run.Bold = run.Italic = run.Underline = run.Strikeout = 1;
        odd->Lines->Lines[1].Runs = {run, TFragment()};
        odd->Lines->Lines[1].BreakRun = -1;
        odd->Lines->Lines[1].FirstOfParagraph = true;
        odd->FirstLine = 1;
        odd->LastLine = 5;
        add(std::move(odd));
        add(std::make_unique<TVystPrvek>(element(ekRectangle), 0, 0, 726, 1000));
        auto picture = std::make_unique<TVystPrvek>(element(ekPicture), 30, 40, 50, 60);
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::red);
        picture->SetPicture(image);
        add(std::move(picture));
        auto named = std::make_unique<TVystPrvek>(element(ekPicture), 31, 41, 51, 61);
        named->SetPictureFile(QStringLiteral("obrázky/ocel.png"));
        named->Picture = QImage();   // an own picture that is empty is still an own picture
        add(std::move(named));
        auto empty = std::make_unique<TVystPrvek>(element(ekText), 1, 2, 3, 4);
        empty->Lines = std::make_unique<TRadky>();
        add(std::move(empty));
        add(std::make_unique<TVystPrvek>(nullptr, 5, 6, 7, 8));
    }
    bool packed(int page) const { return store.Pages[size_t(page)]->IsPacked(); }

    std::vector<std::unique_ptr<TSiReportElement>> m_elements;
    TSestVystup store;
};

} // namespace

TEST_F(PagePacking, EveryFieldOfEveryItemSurvivesPackingAndUnpacking)
{
    store.SetLivePages(1);
    fill(0);
    const QStringList before = describe(*store.Page(0));
    ASSERT_GT(before.size(), 8);
    ASSERT_TRUE(before.join(u'\n').contains(QStringLiteral("Courier New")));
    store.AddItem(std::make_unique<TVystPrvek>(element(ekText), 0, 0, 1, 1), 1);   // page 0 rests
    EXPECT_TRUE(packed(0));
    EXPECT_TRUE(store.Pages[0]->Items.empty());
    EXPECT_EQ(describe(*store.Page(0)), before);
    EXPECT_FALSE(packed(0));
    EXPECT_TRUE(packed(1));

    // A second round through the same codec, after other pages added fonts and elements.
    fill(2);
    store.Page(0);
    store.Page(2);
    EXPECT_TRUE(packed(0));
    EXPECT_EQ(describe(*store.Page(0)), before);
}

TEST_F(PagePacking, TheCodecSharesFontsAndElementsAndPacksSmall)
{
    TPageCodec codec;
    TStranaPrvku page;
    TSiReportElement *e = element(ekText);
    for (int i = 0; i < 50; ++i) {
        auto item = std::make_unique<TVystPrvek>(e, 0, i * 19, 400, 19);
        item->SetLines(layout(QStringLiteral("Ocel X%1CrNi18-%2 žárupevná").arg(i).arg(i % 7), 400, 0, false));
        page.Insert(std::move(item));
    }
    std::vector<QImage> pictures;
    const QByteArray data = codec.pack(page, pictures);
    EXPECT_EQ(codec.fontCount(), 1);
    EXPECT_EQ(codec.elementCount(), 1);
    EXPECT_TRUE(pictures.empty());
    // About 26 characters with their positions: well under 5 bytes a character.
    EXPECT_LT(data.size(), 50 * 26 * 5);
    TStranaPrvku back;
    codec.unpack(data, pictures, back);
    back.LayerCount = page.LayerCount;
    EXPECT_EQ(describe(back), describe(page));
    EXPECT_TRUE(codec.pack(TStranaPrvku(), pictures).isEmpty());
}

TEST_F(PagePacking, OnlyTheRecentlyUsedPagesStayLiveAndChangesAreKept)
{
    store.SetLivePages(2);
    for (int p = 0; p < 5; ++p)
        store.AddItem(std::make_unique<TVystPrvek>(element(ekText), p, 0, 10, 10), p);
    EXPECT_TRUE(packed(0) && packed(1) && packed(2));
    EXPECT_FALSE(packed(3) || packed(4));
    // A change made through the page stays when it is packed again.
    store.Page(1)->item(0)->Left = 111;
    store.Page(0);
    store.Page(2);
    EXPECT_TRUE(packed(1));
    EXPECT_EQ(store.Page(1)->item(0)->Left, 111);
    // An item added to a packed page goes among its unpacked items, in drawing order.
    store.Page(4);
    store.Page(3);
    ASSERT_TRUE(packed(0));
    store.AddItem(std::make_unique<TVystPrvek>(element(ekRectangle), 7, 0, 10, 10), 0);
    ASSERT_EQ(store.Page(0)->count(), 2);
    EXPECT_EQ(store.Page(0)->item(0)->Left, 7);
    EXPECT_EQ(store.Page(0)->item(1)->Left, 0);

    // Deleting pages, packed or live, and trimming the range keep the rest in place.
    store.Page(4);
    store.Page(3);
    store.DeletePage(1);    // packed
    store.DeletePage(2);    // live (was page 3)
    ASSERT_EQ(store.PageCount(), 3);
    EXPECT_EQ(store.Page(0)->item(1)->Left, 0);
    EXPECT_EQ(store.Page(1)->item(0)->Left, 2);
    EXPECT_EQ(store.Page(2)->item(0)->Left, 4);
    store.SetRange(1, 2, 0, 1);
    ASSERT_EQ(store.PageCount(), 2);
    EXPECT_EQ(store.Page(1)->item(0)->Left, 2);

    // Without a limit every page is unpacked and stays so.
    store.SetLivePages(0);
    EXPECT_FALSE(packed(0) || packed(1));
    store.AddItem(std::make_unique<TVystPrvek>(element(ekText), 9, 0, 10, 10), 5);
    for (int p = 0; p < store.PageCount(); ++p)
        EXPECT_FALSE(packed(p)) << p;
    store.Clear();
    EXPECT_EQ(store.PageCount(), 0);
}

// Pages visited in order in a long store (a run, an export) are packed again four pages
// behind the visit; other visits keep the pages used last live, and every page reads back
// the same.
TEST_F(PagePacking, PagesVisitedInOrderArePackedFourBehind)
{
    for (int p = 0; p < 100; ++p)
        store.AddItem(std::make_unique<TVystPrvek>(element(ekText), p, 0, 10, 10), p);
    auto live = [&] {
        int n = 0;
        for (int p = 0; p < store.PageCount(); ++p)
            n += packed(p) ? 0 : 1;
        return n;
    };
    EXPECT_LE(live(), 5);
    for (int p = 0; p < 100; ++p)
        ASSERT_EQ(store.Page(p)->item(0)->Left, p);
    EXPECT_LE(live(), 5);
    EXPECT_TRUE(packed(90) && !packed(96) && !packed(99));
    // Every other page, then backwards: nothing in order, the 64 used last stay live.
    for (int p = 0; p < 100; p += 2)
        store.Page(p);
    for (int p = 99; p >= 0; p -= 2)
        store.Page(p);
    EXPECT_EQ(live(), 64);
    // A short store is never packed, in whatever order.
    TSestVystup small;
    for (int p = 0; p < 64; ++p)
        small.AddItem(std::make_unique<TVystPrvek>(element(ekText), p, 0, 10, 10), p);
    for (int p = 0; p < 64; ++p)
        EXPECT_FALSE(small.Pages[size_t(p)]->IsPacked()) << p;
}

// A pinned item is held as it is while the rest of its page is packed: a change made to it
// meanwhile is on the page when it is unpacked.
TEST_F(PagePacking, APinnedItemStaysAsItIsWhileItsPageIsPacked)
{
    store.SetLivePages(1);
    TVystPrvek *pinned = nullptr;
    for (int p = 0; p < 3; ++p) {
        auto item = std::make_unique<TVystPrvek>(element(ekVariable), p, 0, 10, 10);
        if (p == 0) {
            item->Pinned = true;
            pinned = item.get();
        }
        store.AddItem(std::move(item), p);
    }
    store.AddItem(std::make_unique<TVystPrvek>(element(ekText), 5, 5, 10, 10), 0);
    store.Page(2);
    EXPECT_TRUE(packed(0));
    EXPECT_TRUE(packed(1));
    EXPECT_TRUE(store.HoldsItem(0, pinned));
    EXPECT_FALSE(store.HoldsItem(1, pinned));
    pinned->Top = 7;
    pinned->Pinned = false;
    TStranaPrvku *page = store.Page(0);
    ASSERT_EQ(page->count(), 2);
    EXPECT_TRUE(page->item(0) == pinned || page->item(1) == pinned);
    EXPECT_EQ(pinned->Top, 7);
    store.Page(1);
    EXPECT_TRUE(packed(0));   // let go: packed with the rest
}

// A writer's reading leaves the store as it was: a packed page gives its items and stays
// packed, the pages live before stay live, and a packed page with a pinned item is read in
// place.
TEST_F(PagePacking, ReadingAPageForAWriterLeavesTheStoreAsItWas)
{
    store.SetLivePages(1);
    fill(0);
    const QStringList before = describe(*store.Page(0));
    store.AddItem(std::make_unique<TVystPrvek>(element(ekText), 0, 0, 1, 1), 1);
    ASSERT_TRUE(packed(0));
    TStranaPrvku scratch;
    for (int round = 0; round < 2; ++round) {
        const TStranaPrvku *read = store.ReadPage(0, scratch);
        ASSERT_EQ(read, &scratch);
        EXPECT_EQ(describe(*read), before);
        EXPECT_TRUE(packed(0));
        EXPECT_FALSE(packed(1));   // still the live one
    }
    EXPECT_EQ(store.ReadPage(1, scratch), store.Pages[1].get());
    EXPECT_EQ(store.ReadPage(2, scratch), nullptr);
    EXPECT_EQ(store.ReadPage(-1, scratch), nullptr);
    // Read over the items of another page, fewer and of other kinds, and back.
    const QStringList small = describe(*store.Page(1));
    store.AddItem(std::make_unique<TVystPrvek>(element(ekText), 0, 0, 1, 1), 2);
    ASSERT_TRUE(packed(1));
    EXPECT_EQ(describe(*store.ReadPage(1, scratch)), small);
    EXPECT_EQ(describe(*store.ReadPage(0, scratch)), before);
    EXPECT_EQ(describe(*store.ReadPage(1, scratch)), small);
    store.DeletePage(2);

    auto pinnedItem = std::make_unique<TVystPrvek>(element(ekVariable), 3, 0, 10, 10);
    pinnedItem->Pinned = true;
    TVystPrvek *pinned = pinnedItem.get();
    store.AddItem(std::move(pinnedItem), 2);
    store.AddItem(std::make_unique<TVystPrvek>(element(ekText), 4, 0, 10, 10), 2);
    store.Page(1);
    ASSERT_TRUE(packed(2));
    const TStranaPrvku *read = store.ReadPage(2, scratch);
    ASSERT_EQ(read, store.Pages[2].get());
    ASSERT_EQ(read->count(), 2);
    EXPECT_TRUE(read->item(0) == pinned || read->item(1) == pinned);
}

namespace {

// A list report over 600 rows with a page number, the page count, a group header with a
// frame and a sum in the group footer: 14 pages.
struct ListRun {
    runtest::MemoryBridge data;
    TSestava report;
    explicit ListRun(int livePages)
    {
        data.Columns = {QStringLiteral("Name"), QStringLiteral("Grp"), QStringLiteral("Price")};
        for (int i = 1; i <= 600; ++i)
            data.Rows.push_back({QStringLiteral("Ocel X%1CrNi18 žárupevná").arg(i),
                                 QStringLiteral("Skupina %1").arg((i - 1) / 40),
                                 (i % 100) / 4.0});
        runtest::Template t;
        t.section(1, true, 30).section(2, true, 19).section(4, true, 25)
            .group(0, QStringLiteral("#Grp"), 25, 20)
            .function(QStringLiteral("Suma"), QStringLiteral("#Price"), 2, 2, 2)
            .text("H", 1, "", 0, 0, 300, 30, QStringLiteral("Ceník položek"))
            .text("S0", 2, "Grp", 0, 0, 300, 25)
            .text("T", 2, "Name", 0, 0, 400, 19)
            .text("T", 2, "Price", 526, 0, 200, 19, QString(), 0, QStringLiteral("#Price>10"))
            .text("U0", 6, "Suma", 526, 0, 200, 20)
            .text("P", 5, "3", 0, 0, 100, 25)
            .text("P", 5, "4", 526, 0, 100, 25);
        t.Lines << QStringLiteral("S0,8,0,0,0,726,25,,1,0,0,0,16777215,1");
        report.Vystup.SetLivePages(livePages);
        report.IsStored = true;
        report.Predloha = t.Lines;
        report.DataSource = &data;
    }
};

} // namespace

TEST_F(PagePacking, AReportRunWithPackedPagesGivesTheSamePagesAndExports)
{
    runtest::ensureApp();
    ListRun live(0), packedRun(1);
    ASSERT_EQ(live.report.Run(), seOk);
    // While the run goes on, the pages waiting for the page count are packed like the rest.
    int mostLive = 0;
    packedRun.report.OnTiskOddilu = [&](TSestava &r, int, bool &) {
        int unpacked = 0;
        for (const auto &page : r.Vystup.Pages)
            unpacked += page->IsPacked() ? 0 : 1;
        mostLive = std::max(mostLive, unpacked);
    };
    ASSERT_EQ(packedRun.report.Run(), seOk);
    EXPECT_LE(mostLive, 3);
    TSestVystup &a = live.report.Vystup;
    TSestVystup &b = packedRun.report.Vystup;
    ASSERT_GT(a.PageCount(), 10);
    ASSERT_EQ(b.PageCount(), a.PageCount());
    // At rest after the run: all but the page used last are packed, the page-count items
    // included once they were filled in.
    int packedPages = 0;
    for (int p = 0; p < b.PageCount(); ++p)
        packedPages += b.Pages[size_t(p)]->IsPacked() ? 1 : 0;
    EXPECT_GE(packedPages, b.PageCount() - 1);
    // Every page shows the page count.
    const QString count = QString::number(a.PageCount());
    std::set<int> withCount;
    for (const runtest::Found &f : runtest::findText(b, count))
        withCount.insert(f.Page);
    EXPECT_EQ(int(withCount.size()), b.PageCount());

    for (int p = 0; p < a.PageCount(); ++p) {
        // Elements differ between the two runs: compare everything but them.
        QStringList da = describe(*a.Page(p)), db = describe(*b.Page(p));
        for (QStringList *s : {&da, &db})
            for (QString &line : *s)
                line.remove(QRegularExpression(QStringLiteral("^E\\d+ ")));
        EXPECT_EQ(da, db) << "page " << p;
    }
    for (int p : {0, 1, a.PageCount() - 1})
        EXPECT_EQ(a.PageToImage(p, 100), b.PageToImage(p, 100)) << "page " << p;
    EXPECT_EQ(runtest::pdfOf(live.report), runtest::pdfOf(packedRun.report));
    EXPECT_EQ(runtest::rtfOf(live.report), runtest::rtfOf(packedRun.report));
}
