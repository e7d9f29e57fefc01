#include "report/output/Printers.h"

#include "report/model/PageSetup.h"
#include "report/output/OutputStore.h"
#include "report/output/OutputWriters.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/Sestava.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QFile>

#include <memory>

namespace orv {

namespace {

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
    reportContext().MarginSource = std::move(source);
}

std::optional<TPrinterMargins> PrinterMinimumMargins(int orientation)
{
    if (const TPrinterMarginSource &own = reportContext().MarginSource)
        return own(orientation);
    if (const TPrinterMarginSource &session = sessionContext().MarginSource)
        return session(orientation);
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

bool SelectPrinterForJob(int printerIndex, const QString &port)
{
    if (IsPdfPrinter(printerIndex)) {
        // Each job has a writer of its own; the one before lives on only where still held.
        auto writer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        writer->setOutputFormat(QPrinter::PdfFormat);
        writer->setOutputFileName(port);
        // The file takes the report's sheet, edge to edge.
        const TPageSetup &ps = pageSetup();
        writer->setFullPage(true);
        writer->setPageSize(QPageSize(QSizeF(ps.PaperWidth / 100.0, ps.PaperHeight / 100.0),
                                      QPageSize::Inch, QString(), QPageSize::FuzzyMatch));
        writer->setPageOrientation(ps.Orientation == 1 ? QPageLayout::Landscape
                                                       : QPageLayout::Portrait);
        writer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
        SetCurrentPrinter(std::move(writer));
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

TReportPrintScope::TReportPrintScope(TSestavaTyp &report) : m_context(report.Context)
{
}

bool PdfFileIsWhole(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 16 || f.read(5) != "%PDF-")
        return false;
    f.seek(std::max<qint64>(0, f.size() - 1024));
    return f.readAll().contains("%%EOF");
}

TPrintFile::TPrintFile(const QString &target) : m_file(target), m_wanted(!target.isEmpty())
{
    if (m_wanted)
        m_opened = m_file.open();
}

QString TPrintFile::port() const
{
    return m_opened ? m_file.temporaryPath() : QString();
}

int TPrintFile::finish(int result, TSestavaTyp &report)
{
    if (!m_wanted)
        return result;
    if (m_opened && result == seOk && m_file.commitWritten(PdfFileIsWhole))
        return seOk;
    if (result == seCancelled || result == seNotReady) {
        m_file.cancel();
        return result;
    }
    m_file.fail(QString::fromUtf8("tisk do souboru se nezdařil"));   // kept when a cause is known
    m_file.cancel();
    report.OutputError = m_file.errorText();
    setLastOutputError(report.OutputError);
    return seOutputNotWritten;
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
    const bool text = !pdf && sestavaEntryPoints().IsCharacterPrinter
        && sestavaEntryPoints().IsCharacterPrinter(job.PrinterIndex);
    // A graphic job into a file: the printer writes a temporary file beside the target.
    std::optional<TPrintFile> file;
    if (!job.File.isEmpty() && !text) {
        file.emplace(job.File);
        if (file->port().isEmpty())
            return file->finish(seOutputNotWritten, report);
    }
    SelectPrinterForJob(job.PrinterIndex, file ? file->port() : QString());
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
        TWriteJob textJob = report.textJob();
        textJob.FirstPage = job.FirstPage;
        textJob.LastPage = job.LastPage;
        textJob.Copies = job.Copies;
        textJob.Abort = job.AbortFlag;
        auto &ep = sestavaEntryPoints();
        if (!job.File.isEmpty()) {
            report.OutputError.clear();
            result = WriteOutputFile(QStringLiteral("text"), store, textJob, job.File, &report.OutputError);
        } else if (ep.PrintText) {
            const int savedStart = report.StartPage, savedEnd = report.EndPage, savedCopies = report.PrintCopies;
            report.StartPage = job.FirstPage;
            report.EndPage = job.LastPage;
            report.PrintCopies = job.Copies;
            result = ep.PrintText(report, job.PrinterIndex, job.AbortFlag);
            report.StartPage = savedStart;
            report.EndPage = savedEnd;
            report.PrintCopies = savedCopies;
        } else {
            result = seNotReady;
        }
    } else {
        // Saying no to the tiling question stops the job as the cancel button does.
        bool declined = false;
        std::function<bool(TPrintTiling &)> askTiling;
        if (job.AskTiling)
            askTiling = [&](TPrintTiling &t) { return !(declined = !job.AskTiling(t)); };
        const bool done = store.Print(job.FirstPage, job.LastPage, job.AbortFlag, job.Title,
                                      job.Copies, printer, askTiling);
        if (!done)
            result = declined || (job.AbortFlag && *job.AbortFlag) ? seCancelled : seOutputNotWritten;
        if (file && !pdf)
            printer->setOutputFileName(QString());   // the queue's next job goes to the queue
    }
    store.SetCurrentPage(shown);
    return file ? file->finish(result, report) : result;
}

TPdfFileAsker &pdfFileAsker()
{
    return sessionContext().PdfFileAsker;
}

QString PdfFileForJob(const QString &port)
{
    if (!port.isEmpty() && port != QStringLiteral("FILE:"))
        return port;
    const TPdfFileAsker &own = reportContext().PdfFileAsker;
    const TPdfFileAsker &ask = own ? own : sessionContext().PdfFileAsker;
    return ask ? ask() : QString();
}

} // namespace orv
