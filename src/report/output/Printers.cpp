#include "report/output/Printers.h"

#include "report/model/PageSetup.h"
#include "report/output/OutputStore.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/Sestava.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

#include <memory>

namespace orv {

namespace {

std::unique_ptr<QPrinter> g_jobPrinter;
TPrinterMarginSource g_marginSource;

QPrinterInfo printerInfo(int index)
{
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    if (index >= 0 && index < printers.size())
        return printers.at(index);
    return {};
}

} // namespace

QString PdfPrinterName()
{
    return QString::fromUtf8("Tisk do souboru PDF");
}

QStringList SystemPrinterNames()
{
    return QPrinterInfo::availablePrinterNames();
}

QStringList PrinterNames()
{
    QStringList names = SystemPrinterNames();
    names << PdfPrinterName();
    return names;
}

int PdfPrinterIndex()
{
    return int(SystemPrinterNames().size());
}

bool IsPdfPrinter(int printerIndex)
{
    return printerIndex >= 0 && printerIndex == PdfPrinterIndex();
}

int DefaultPrinterIndex()
{
    const QStringList names = SystemPrinterNames();
    if (names.isEmpty())
        return -1;
    const int at = int(names.indexOf(QPrinterInfo::defaultPrinterName()));
    return at >= 0 ? at : 0;
}

TPrinterMargins MinimumMarginsOf(const QPrinter &printer)
{
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Inch);
    const QMarginsF m = layout.minimumMargins();
    auto h = [](double inch) { return int(inch * 100.0 + 1e-6); };
    return {h(m.left()), h(m.top()), h(m.right()), h(m.bottom())};
}

void SetPrinterMarginSource(TPrinterMarginSource source)
{
    g_marginSource = std::move(source);
}

std::optional<TPrinterMargins> PrinterMinimumMargins(int orientation)
{
    if (g_marginSource)
        return g_marginSource(orientation);
    if (!SelectPrinter(-1))
        return std::nullopt;
    QPrinter *printer = currentPrinter();
    if (!printer)
        return std::nullopt;
    printer->setPageOrientation(orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer->setCopyCount(1);
    return MinimumMarginsOf(*printer);
}

bool CheckMargins(int orientation, int left, int top, int bottom, int right)
{
    const std::optional<TPrinterMargins> m = PrinterMinimumMargins(orientation);
    if (!m)
        return true;
    return left >= m->Left && top >= m->Top && right >= m->Right && bottom >= m->Bottom;
}

void AdjustMargins(int orientation, int &left, int &top, int &right, int &bottom)
{
    const std::optional<TPrinterMargins> m = PrinterMinimumMargins(orientation);
    if (!m)
        return;
    left = std::max(left, m->Left);
    top = std::max(top, m->Top);
    right = std::max(right, m->Right);
    bottom = std::max(bottom, m->Bottom);
}

bool IsPdfJobPrinter(const QPrinter *printer)
{
    return printer && printer == g_jobPrinter.get();
}

bool SelectPrinterForJob(int printerIndex, const QString &port)
{
    if (IsPdfPrinter(printerIndex)) {
        // The writer of the job before goes now; it must not stay the current printer.
        if (currentPrinter() == g_jobPrinter.get())
            SetCurrentPrinter(nullptr);
        g_jobPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        g_jobPrinter->setOutputFormat(QPrinter::PdfFormat);
        g_jobPrinter->setOutputFileName(port);
        // The file takes the report's sheet, edge to edge.
        const TPageSetup &ps = pageSetup();
        g_jobPrinter->setFullPage(true);
        g_jobPrinter->setPageSize(QPageSize(QSizeF(ps.PaperWidth / 100.0, ps.PaperHeight / 100.0),
                                            QPageSize::Inch, QString(), QPageSize::FuzzyMatch));
        g_jobPrinter->setPageOrientation(ps.Orientation == 1 ? QPageLayout::Landscape
                                                             : QPageLayout::Portrait);
        g_jobPrinter->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
        SetCurrentPrinter(g_jobPrinter.get());
        return false;
    }
    const int count = int(SystemPrinterNames().size());
    const int index = printerIndex >= 0 && printerIndex < count ? printerIndex : DefaultPrinterIndex();
    if (index < 0 || !SelectPrinter(index))
        return false;
    QPrinter *printer = currentPrinter();
    if (printer && !port.isEmpty())
        printer->setOutputFileName(port);   // the job is written into the named file
    auto &ep = sestavaEntryPoints();
    return ep.IsCharacterPrinter && ep.IsCharacterPrinter(index);
}

std::pair<QString, QString> PrinterDeviceAndPort(int printerIndex)
{
    if (IsPdfPrinter(printerIndex))
        return {PdfPrinterName(), QStringLiteral("PDF")};
    QPrinterInfo info = printerInfo(printerIndex);
    if (info.isNull()) {
        if (QPrinter *current = currentPrinter(); current && current->outputFormat() == QPrinter::NativeFormat)
            info = QPrinterInfo(*current);
        if (info.isNull())
            info = printerInfo(DefaultPrinterIndex());
    }
    if (info.isNull())
        return {};
    const QString device = info.makeAndModel().isEmpty() ? info.printerName() : info.makeAndModel();
    const QString port = info.location().isEmpty() ? info.printerName() : info.location();
    return {device, port};
}

TReportPrintScope::TReportPrintScope(TSestavaTyp &report)
    : m_paper(report.PageSetup), m_metrics(report.PrinterMetrics)
{
}

int PrintStore(TSestavaTyp &report, const TPrintJob &job)
{
    const TReportPrintScope ownPrint(report);
    TSestVystup &store = report.Vystup;
    if (store.PageCount() == 0)
        return seNotReady;
    const bool pdf = IsPdfPrinter(job.PrinterIndex);
    if (pdf && job.File.isEmpty())
        return seCancelled;
    if (!pdf && SystemPrinterNames().isEmpty())
        return seNoPrinter;
    const bool text = SelectPrinterForJob(job.PrinterIndex, job.File);
    QPrinter *printer = currentPrinter();
    if (!printer)
        return seNoPrinter;
    const QRect bg = report.backgroundRect();
    store.SetBackground(&report.BackgroundPicture,
                        TCornerRect{bg.left(), bg.top(), bg.left() + bg.width(), bg.top() + bg.height()},
                        job.PrintBackground);
    const int shown = store.CurrentPage;
    int result = seOk;
    if (text) {
        auto &ep = sestavaEntryPoints();
        const int savedStart = report.StartPage, savedEnd = report.EndPage, savedCopies = report.PrintCopies;
        report.StartPage = job.FirstPage;
        report.EndPage = job.LastPage;
        report.PrintCopies = job.Copies;
        if (!job.File.isEmpty()) {
            QSaveFile f(job.File);
            result = ep.CharacterOutput && f.open(QIODevice::WriteOnly)
                             && ep.CharacterOutput(report, f) == seOk && f.commit()
                         ? seOk
                         : seOutputNotWritten;
        } else if (ep.PrintText) {
            result = ep.PrintText(report, job.PrinterIndex, job.AbortFlag);
        } else {
            result = seNotReady;
        }
        report.StartPage = savedStart;
        report.EndPage = savedEnd;
        report.PrintCopies = savedCopies;
    } else {
        const bool done = store.Print(job.FirstPage, job.LastPage, job.AbortFlag, job.Title,
                                      job.Copies, printer, job.AskTiling);
        if (!done)
            result = job.AbortFlag && *job.AbortFlag ? seCancelled : seOutputNotWritten;
    }
    store.SetCurrentPage(shown);
    return result;
}

TPdfFileAsker &pdfFileAsker()
{
    static TPdfFileAsker asker;
    return asker;
}

QString PdfFileForJob(const QString &port)
{
    if (!port.isEmpty() && port != QStringLiteral("FILE:"))
        return port;
    return pdfFileAsker() ? pdfFileAsker()() : QString();
}

} // namespace orv
