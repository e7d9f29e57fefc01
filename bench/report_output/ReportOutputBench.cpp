// Speed of the text layout (characters per second for a long paragraph) and of drawing a
// page of the output store (100 text items) into the page image, a PNG and a metafile.
#include "report/model/ReportElement.h"
#include "report/model/TextLayout.h"
#include "report/output/OutputStore.h"
#include "support/BenchMain.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

using namespace orv;

namespace {

QString longParagraph()
{
    const QString sentence = QStringLiteral(
        "Jemnozrnná konstrukční ocel 11 523 je vhodná ke svařování a používá se na mosty, jeřáby, "
        "tlakové nádoby a části strojů namáhané staticky i dynamicky; příliš žluťoučký kůň úpěl "
        "ďábelské ódy. ");
    QString text;
    while (text.size() < 20000)
        text += sentence;
    return text;
}

TTextFont arial()
{
    TTextFont f;
    f.Name = QStringLiteral("Arial");
    f.Size = 10;
    f.Charset = 238;
    return f;
}

void BM_LayoutLongParagraph(benchmark::State &state)
{
    const QString text = longParagraph();
    TTextCanvas canvas(100);
    const int alignment = int(state.range(0));
    for (auto _ : state) {
        TRadky lines;
        LayoutText(canvas, QRect(0, 0, 700, 100), text, lines, true, 0, 0, alignment, arial(), false);
        benchmark::DoNotOptimize(lines.count());
    }
    state.SetItemsProcessed(state.iterations() * text.size());
    state.counters["chars/s"] = benchmark::Counter(double(state.iterations() * text.size()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LayoutLongParagraph)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_LayoutRichParagraph(benchmark::State &state)
{
    QString rtf = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}"
                                 "{\\colortbl;\\red200\\green0\\blue0;}\\f0\\fs20 ");
    for (int i = 0; i < 420; ++i)
        rtf += QStringLiteral("Ocel \\b 11 523\\b0  je \\cf1 sva\\'f8iteln\\'e1\\cf0 , \\i p\\'f8\\'edli\\'9a\\i0  "
                              "\\'9elu\\'9dou\\'e8k\\'fd k\\'f9\\'f2.\\par ");
    rtf += QLatin1Char('}');
    TTextCanvas canvas(100);
    // The characters that reach the lines, markup excluded.
    qsizetype chars = 0;
    {
        TRadky lines;
        LayoutText(canvas, QRect(0, 0, 700, 100), rtf, lines, true, 0, 0, 0, arial(), true);
        for (const TRadek &l : lines.Lines)
            chars += LineText(l).size();
    }
    for (auto _ : state) {
        TRadky lines;
        LayoutText(canvas, QRect(0, 0, 700, 100), rtf, lines, true, 0, 0, 0, arial(), true);
        benchmark::DoNotOptimize(lines.count());
    }
    state.counters["chars/s"] = benchmark::Counter(double(state.iterations() * chars),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LayoutRichParagraph)->Unit(benchmark::kMillisecond);

// A page of 100 text items: ten columns of ten short texts, as a dense table.
struct HundredItems {
    HundredItems()
    {
        element.Kind = ekText;
        element.Flags = efFrameLeft | efFrameTop | efFrameRight | efFrameBottom;
        TTextCanvas canvas(100);
        for (int i = 0; i < 100; ++i) {
            TRadky lines;
            LayoutText(canvas, QRect(0, 0, 70, 40), QStringLiteral("Položka %1 ř").arg(i + 1), lines,
                       true, 0, 0, 0, arial(), false);
            auto item = std::make_unique<TVystPrvek>(&element, (i % 10) * 72, (i / 10) * 45, 70, 40);
            item->SetLines(lines);
            store.AddItem(std::move(item), 0);
        }
    }
    TSiReportElement element;
    TSestVystup store;
};

void BM_RenderPage100TextItems(benchmark::State &state)
{
    HundredItems page;
    for (auto _ : state)
        page.store.RenderPage(0, false);
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_RenderPage100TextItems)->Unit(benchmark::kMillisecond);

void BM_PagePng100TextItems(benchmark::State &state)
{
    HundredItems page;
    for (auto _ : state) {
        const QImage image = page.store.PageToImage(0, 100);
        benchmark::DoNotOptimize(image.width());
    }
}
BENCHMARK(BM_PagePng100TextItems)->Unit(benchmark::kMillisecond);

void BM_PageEmf100TextItems(benchmark::State &state)
{
    HundredItems page;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        page.store.SavePageMetafile(buffer, 0, true);
        benchmark::DoNotOptimize(buffer.data().size());
    }
}
BENCHMARK(BM_PageEmf100TextItems)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runGuiBenchmarks(argc, argv);
}
