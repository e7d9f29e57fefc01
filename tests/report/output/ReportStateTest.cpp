// What a report keeps for itself while other reports work in the same process: the
// expression context its handlers evaluate on, the paper and printer metrics it prints
// with, and how deep its own detail lists may nest.

#include "RunTestSupport.h"

#include "report/model/Expression.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/Printers.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>
#include <stdexcept>

using namespace orv;
using namespace runtest;

namespace {

// A context that is nobody's report: every field is the same text.
class Outside : public TExprContext {
public:
    TCalcType ReferenceValue(QChar, int) override
    {
        TCalcType v;
        v.Text = QStringLiteral("venku");
        return v;
    }
    int ReferenceNumber(QChar, const QString &) override { return 1; }
};

// A context whose field tells whether it is the one in force while it is read.
class Reflecting : public TExprContext {
public:
    TCalcType ReferenceValue(QChar, int) override
    {
        TCalcType v;
        v.Text = currentReport() == this ? QStringLiteral("já") : QStringLiteral("jiný");
        return v;
    }
    int ReferenceNumber(QChar, const QString &) override { return 1; }
};

// Puts a context in force for the test and takes it away again, whatever the test leaves.
struct OutsideInForce {
    Outside outside;
    OutsideInForce() { setCurrentReport(&outside); }
    ~OutsideInForce() { setCurrentReport(nullptr); }
};

// One field "Name" over the given values, one body line showing it.
void simpleReport(TSestava &rep, MemoryBridge &data, const QStringList &values,
                  const QString &paperLine = QString())
{
    data.Columns = {"Name"};
    data.Rows.clear();
    for (const QString &v : values)
        data.Rows.push_back({v});
    Template t;
    if (!paperLine.isEmpty())
        t.Lines << paperLine;
    t.section(2, true, 20).text("T", 2, "Name", 0, 0, 200, 20);
    rep.IsStored = true;
    rep.Predloha = t.Lines;
    rep.DataSource = &data;
}

class ReportState : public ::testing::Test {
protected:
    void SetUp() override { ensureApp(); }
    void TearDown() override { defaultPageSetup() = TPageSetup(); }
};

} // namespace

// A run, a detail's run inside it, another report's run from a handler and a handler that
// throws: afterwards the context in force is the one before, and a handler evaluating
// without naming a report evaluates on the report whose handler it is.
TEST_F(ReportState, TheContextInForceComesBackAfterEveryRun)
{
    OutsideInForce outer;
    TSestava master, other;
    MemoryBridge otherData;
    simpleReport(other, otherData, {"cizí"});
    OrdersWithItems orders(master, {"O1", "O2"}, {"i1", "i2"});
    TSestDetail &detail = orders.Detail;

    // The master's handler runs after the detail of the record before, and once after the
    // other report's whole run.
    QStringList seen;
    master.OnVypoctiFunkce = [&](TSestava &) {
        seen << EvaluateText(QStringLiteral("#1"));
        if (seen.size() == 1) {
            EXPECT_EQ(other.Run(), seOk);
            seen << EvaluateText(QStringLiteral("#1"));
        }
    };
    QStringList seenInDetail;
    detail.OnVypoctiFunkce = [&](TSestDetail &) { seenInDetail << EvaluateText(QStringLiteral("#1")); };
    ASSERT_EQ(master.Run(), seOk);
    EXPECT_EQ(seen, QStringList({"O1", "O1", "O2"}));
    EXPECT_EQ(seenInDetail, QStringList({"i1", "i2", "i1", "i2"}));
    EXPECT_EQ(currentReport(), &outer.outside);
    EXPECT_EQ(findText(other.Vystup, "cizí").size(), 1u);

    // A detail's handler throws: the run is left through the exception, the context stays.
    master.OnVypoctiFunkce = nullptr;
    detail.OnVypoctiFunkce = [](TSestDetail &) { throw std::runtime_error("detail selhal"); };
    EXPECT_THROW(master.Run(), std::runtime_error);
    EXPECT_EQ(currentReport(), &outer.outside);

    // The master's own handler throws.
    detail.OnVypoctiFunkce = nullptr;
    master.OnTiskOddilu = [](TSestava &, int, bool &) { throw std::runtime_error("hlavní selhal"); };
    EXPECT_THROW(master.Run(), std::runtime_error);
    EXPECT_EQ(currentReport(), &outer.outside);
    EXPECT_EQ(EvaluateText(QStringLiteral("#1")), QStringLiteral("venku"));

    // Evaluating on a context puts it in force while the expression reads it, and only then.
    Reflecting reflecting;
    EXPECT_EQ(Evaluate(&reflecting, QStringLiteral("#1")).Value.Text, QStringLiteral("já"));
    EXPECT_EQ(TExpression(QStringLiteral("#1+'!'")).evaluate(&reflecting).Value.Text, QStringLiteral("já!"));
    EXPECT_EQ(SplitList(&reflecting, QStringLiteral("#1,'x'")), QStringList({"já", "x"}));
    EXPECT_EQ(currentReport(), &outer.outside);
}

namespace {

QString runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The first page's size and where a word starts on it, in points, read back by poppler.
struct PrintedSheet {
    double Width = -1, Height = -1, WordX = -1, WordY = -1;
};

PrintedSheet readSheet(const QString &pdf, const QString &word)
{
    PrintedSheet s;
    const QString html = runTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                  QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    const QRegularExpression page(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\""));
    if (const auto m = page.match(html); m.hasMatch()) {
        s.Width = m.captured(1).toDouble();
        s.Height = m.captured(2).toDouble();
    }
    const QRegularExpression w(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>%1</word>")
                                   .arg(QRegularExpression::escape(word)));
    if (const auto m = w.match(html); m.hasMatch()) {
        s.WordX = m.captured(1).toDouble();
        s.WordY = m.captured(2).toDouble();
    }
    return s;
}

// Report a ("Alfa") on A4 portrait, margins 50/70, and b ("Beta") on letter landscape,
// margins 150/120 (hundredths of an inch).
void alfaAndBeta(TSestava &a, MemoryBridge &da, TSestava &b, MemoryBridge &db)
{
    simpleReport(a, da, {"Alfa"}, QStringLiteral("I,2,0,826,1169,50,50,70,70,1,0"));
    simpleReport(b, db, {"Beta"}, QStringLiteral("I,2,1,850,1100,150,60,120,50,1,0"));
}

// Each printed sheet has its report's paper, and its text starts at its report's left margin
// (the glyph's side bearing adds a little).
void expectAlfaAndBetaSheets(const PrintedSheet &sa, const PrintedSheet &sb)
{
    EXPECT_NEAR(sa.Width, 826 * 0.72, 1.0);
    EXPECT_NEAR(sa.Height, 1169 * 0.72, 1.0);
    EXPECT_NEAR(sa.WordX, 50 * 0.72, 3.0);
    EXPECT_NEAR(sb.Width, 1100 * 0.72, 1.0);
    EXPECT_NEAR(sb.Height, 850 * 0.72, 1.0);
    EXPECT_NEAR(sb.WordX, 150 * 0.72, 3.0);
}

} // namespace

// Two reports on different paper with different margins, both printed into PDF files on the
// built-in PDF entry, from the component and from a finished store as the preview prints:
// each sheet has its report's paper and its text sits at its report's margins, whichever
// report was loaded or printed last.
TEST_F(ReportState, EachPrintsOnItsOwnPaperAtItsOwnMargins)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TSestava a, b;
    MemoryBridge da, db;
    alfaAndBeta(a, da, b, db);
    a.SetPredloha(a.Predloha);
    b.SetPredloha(b.Predloha);   // loaded last

    const TPrinterMetrics processMetrics = defaultPrinterMetrics();
    const QString fileA = dir.filePath(QStringLiteral("a.pdf"));
    const QString fileB = dir.filePath(QStringLiteral("b.pdf"));
    ASSERT_EQ(a.PrintOnPort(PdfPrinterIndex(), fileA), seOk);
    ASSERT_EQ(b.PrintOnPort(PdfPrinterIndex(), fileB), seOk);
    PrintedSheet sa = readSheet(fileA, QStringLiteral("Alfa"));
    PrintedSheet sb = readSheet(fileB, QStringLiteral("Beta"));
    expectAlfaAndBetaSheets(sa, sb);
    EXPECT_NEAR(sa.WordY, 70 * 0.72, 6.0);
    EXPECT_NEAR(sb.WordY, 120 * 0.72, 6.0);

    // A finished store printed again (the preview's print), after the other report printed.
    TPrintJob job;
    job.PrinterIndex = PdfPrinterIndex();
    job.File = dir.filePath(QStringLiteral("a2.pdf"));
    job.Title = QStringLiteral("Alfa znovu");
    ASSERT_EQ(PrintStore(a, job), seOk);
    sa = readSheet(job.File, QStringLiteral("Alfa"));
    EXPECT_NEAR(sa.Width, 826 * 0.72, 1.0);
    EXPECT_NEAR(sa.WordX, 50 * 0.72, 3.0);

    // Each report keeps the metrics of the sheet it printed on; the process default is as
    // it was before either printed.
    auto inches = [](int dots, int resolution) { return dots * 100 / std::max(1, resolution); };
    ASSERT_TRUE(a.Context.PrinterMetrics.PrinterAvailable);
    ASSERT_TRUE(b.Context.PrinterMetrics.PrinterAvailable);
    EXPECT_NEAR(inches(a.Context.PrinterMetrics.PhysicalWidth, a.Context.PrinterMetrics.ResolutionX), 826, 2);
    EXPECT_EQ(a.Context.PrinterMetrics.Orientation, 0);
    EXPECT_NEAR(inches(b.Context.PrinterMetrics.PhysicalWidth, b.Context.PrinterMetrics.ResolutionX), 1100, 2);
    EXPECT_EQ(b.Context.PrinterMetrics.Orientation, 1);
    EXPECT_EQ(a.Context.PrinterMetrics.OffsetX(a.Context.PageSetup), 50);
    EXPECT_EQ(b.Context.PrinterMetrics.OffsetX(b.Context.PageSetup), 150);
    EXPECT_EQ(&printerMetrics(), &defaultPrinterMetrics());
    EXPECT_EQ(defaultPrinterMetrics().PrinterAvailable, processMetrics.PrinterAvailable);
    EXPECT_EQ(defaultPrinterMetrics().PhysicalWidth, processMetrics.PhysicalWidth);
    EXPECT_EQ(&reportContext(), &sessionContext());
    SetCurrentPrinter(nullptr);
}

// Two reports at work at once: one on show in the preview and, meanwhile, another run and
// printed into a PDF file; then the one on show is printed from its preview. Each sheet has
// its report's paper, each report keeps its own printer (a PDF writer on its own sheet) and
// metrics, and the session's printer and paper stay those chosen before.
TEST_F(ReportState, OneInThePreviewAndOnePrintingKeepTheirOwnPaperAndPrinter)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TSestava a, b;
    MemoryBridge da, db;
    alfaAndBeta(a, da, b, db);
    QPrinter chosen(QPrinter::HighResolution);
    chosen.setOutputFormat(QPrinter::PdfFormat);
    SetCurrentPrinter(&chosen);
    const TPageSetup sessionPaper = defaultPageSetup();

    const QString fileA = dir.filePath(QStringLiteral("a.pdf"));
    const QString fileB = dir.filePath(QStringLiteral("b.pdf"));
    auto job = [](const QString &file) {
        TPrintJob j;
        j.PrinterIndex = PdfPrinterIndex();
        j.File = file;
        return j;
    };
    const TSestavaEntryPoints saved = sestavaEntryPoints();
    int shown = 0;
    sestavaEntryPoints().Preview = [&](TSestava &onShow, const QRect &, int, int, int) {
        ++shown;
        EXPECT_EQ(b.Run(), seOk);
        EXPECT_EQ(PrintStore(b, job(fileB)), seOk);
        EXPECT_EQ(PrintStore(onShow, job(fileA)), seOk);
        return int(seOk);
    };
    const int previewed = a.Preview();
    sestavaEntryPoints() = saved;
    ASSERT_EQ(previewed, seOk);
    ASSERT_EQ(shown, 1);

    const PrintedSheet sa = readSheet(fileA, QStringLiteral("Alfa"));
    const PrintedSheet sb = readSheet(fileB, QStringLiteral("Beta"));
    expectAlfaAndBetaSheets(sa, sb);

    ASSERT_TRUE(a.Context.Printer && b.Context.Printer);
    EXPECT_NE(a.Context.Printer, b.Context.Printer);
    const QRectF sheetA = a.Context.Printer->pageLayout().fullRect(QPageLayout::Inch);
    const QRectF sheetB = b.Context.Printer->pageLayout().fullRect(QPageLayout::Inch);
    EXPECT_NEAR(sheetA.width(), 8.26, 0.02);
    EXPECT_NEAR(sheetB.width(), 11.0, 0.02);
    EXPECT_EQ(a.Context.PrinterMetrics.Orientation, 0);
    EXPECT_EQ(b.Context.PrinterMetrics.Orientation, 1);
    EXPECT_EQ(a.Context.PageSetup.PaperHeight, 1169);
    EXPECT_EQ(b.Context.PageSetup.Orientation, 1);

    EXPECT_EQ(&reportContext(), &sessionContext());
    EXPECT_EQ(currentPrinter(), &chosen);
    EXPECT_EQ(defaultPageSetup(), sessionPaper);
    SetCurrentPrinter(nullptr);
}

namespace {

// A report whose body holds a chain of `levels` detail lists, each inside the one before;
// the detail at level k prints "Ek".
struct DetailChain {
    TSestava top;
    MemoryBridge topData;
    std::vector<std::unique_ptr<TSestDetail>> details;
    std::vector<std::unique_ptr<MemoryBridge>> data;

    explicit DetailChain(int levels)
    {
        TSestavaTyp *master = &top;
        for (int k = 1; k <= levels; ++k) {
            auto d = std::make_unique<TSestDetail>();
            auto rows = std::make_unique<MemoryBridge>();
            rows->Columns = {"X"};
            rows->Rows = {{k}};
            d->DataSource = rows.get();
            d->setMasterSestava(master);
            master = d.get();
            details.push_back(std::move(d));
            data.push_back(std::move(rows));
        }
        Template inner;
        inner.section(2, true, 15).text("T", 1, "0", 0, 0, 60, 15, QStringLiteral("E%1").arg(levels));
        for (int k = levels - 1; k >= 0; --k) {
            Template outer;
            outer.section(2, true, 15);
            if (k > 0)
                outer.text("T", 1, "0", 0, 0, 60, 15, QStringLiteral("E%1").arg(k));
            outer.detail("T", 0, 0, 0, 300, 15).detailTemplate(0, inner);
            inner = outer;
        }
        topData.Columns = {"X"};
        topData.Rows = {{0}};
        top.IsStored = true;
        top.Predloha = inner.Lines;
        top.DataSource = &topData;
    }
};

} // namespace

// The nesting limit of detail lists counts each chain from its own top: a report whose
// chain reaches the limit prints all of it on its own and also when it is run from a
// handler inside another report's detail list.
TEST_F(ReportState, DetailNestingIsCountedPerChain)
{
    constexpr int kLevels = 16;
    DetailChain chain(kLevels);
    ASSERT_EQ(chain.top.Run(), seOk);
    EXPECT_EQ(findText(chain.top.Vystup, QStringLiteral("E%1").arg(kLevels)).size(), 1u);

    TSestava host;
    OrdersWithItems hostOrders(host, {"O1"}, {"i1"});
    TSestDetail &hostDetail = hostOrders.Detail;
    int runs = 0;
    hostDetail.OnVypoctiFunkce = [&](TSestDetail &) {
        ++runs;
        EXPECT_EQ(chain.top.Run(), seOk);
    };
    ASSERT_EQ(host.Run(), seOk);
    ASSERT_EQ(runs, 1);
    EXPECT_EQ(findText(chain.top.Vystup, QStringLiteral("E%1").arg(kLevels)).size(), 1u);
    EXPECT_EQ(findText(host.Vystup, QStringLiteral("i1")).size(), 1u);
}

// Detail lists that would lead back to themselves are refused when they are attached:
// preparing the fields or running would otherwise go round the ring until the stack ends.
TEST_F(ReportState, ARingOfDetailListsIsRefused)
{
    MemoryBridge a, b, c;
    a.Columns = {"X"};
    a.Rows = {{"a1"}};
    b.Columns = {"Y"};
    b.Rows = {{"b1"}};
    c.Columns = {"Z"};
    c.Rows = {{"c1"}};
    TSestDetail d1, d2, d3;
    d1.DataSource = &a;
    d2.DataSource = &b;
    d3.DataSource = &c;
    d2.setMasterSestava(&d1);
    d3.setMasterSestava(&d2);
    d1.setMasterSestava(&d2);
    d1.setMasterSestava(&d3);
    EXPECT_EQ(d1.MasterSestava(), nullptr);
    EXPECT_TRUE(d3.DetailList().isEmpty());
    EXPECT_TRUE(d2.DetailList().contains(&d3));

    // Each level prints its field and places its first detail list, if it has one.
    Template level3;
    level3.section(2, true, 15).text("T", 2, "Z", 0, 0, 60, 15).detail("T", 0, 0, 15, 300, 15);
    Template level2;
    level2.section(2, true, 15).text("T", 2, "Y", 0, 0, 60, 15).detail("T", 0, 0, 15, 300, 15)
        .detailTemplate(0, level3);
    Template level1;
    level1.section(2, true, 15).text("T", 2, "X", 0, 0, 60, 15).detail("T", 0, 0, 15, 300, 15)
        .detailTemplate(0, level2);
    d1.SetPredloha(level1.Lines);
    ASSERT_TRUE(d1.PrepareFields());
    ASSERT_EQ(d1.TSestavaTyp::Run(true), seOk);
    for (const char *text : {"a1", "b1", "c1"})
        EXPECT_EQ(findText(d1.Vystup, QString::fromLatin1(text)).size(), 1u) << text;
}
