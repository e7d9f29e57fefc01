#pragma once
// The printers a report can go to: the system's (CUPS) queues and one built-in entry that
// prints into a PDF file, the choice of the printer for a job, the margins the printer
// cannot print, and the printing of a finished report's store.

#include "core/SafeFile.h"
#include "report/model/PageSetup.h"
#include "report/output/PrinterMetrics.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

class QPrinter;

namespace orv {

class TSestavaTyp;
struct TPrintTiling;

// "Tisk do souboru PDF": the entry after the system's printers.
QString PdfPrinterName();
// The system's printer names, in the system's order.
QStringList SystemPrinterNames();
// The system's printers followed by the PDF entry.
QStringList PrinterNames();
// The index the PDF entry has in PrinterNames().
int PdfPrinterIndex();
bool IsPdfPrinter(int printerIndex);
// The system's default printer's index, else the first printer, else -1.
int DefaultPrinterIndex();

TPrinterMargins MinimumMarginsOf(const QPrinter &printer);
// Where the minimum margins come from (ReportContext.h): the printer of the context at work
// unless the context or the session names a source (tests).
void SetPrinterMarginSource(TPrinterMarginSource source);
std::optional<TPrinterMargins> PrinterMinimumMargins(int orientation);

// True when each margin is at least what the current printer cannot print, or when there
// is no printer.
bool CheckMargins(int orientation, int left, int top, int bottom, int right);
// Raises each margin to that minimum.
void AdjustMargins(int orientation, int &left, int &top, int &right, int &bottom);

// Makes the printer of that index the one of the context at work (an index outside the
// list: the system's default; the PDF entry: a PDF writer of the job's own on the paper at
// work). A non-empty port is the file the job is written
// into. Returns whether the printer is a text-only one, printed through character output.
bool SelectPrinterForJob(int printerIndex, const QString &port);
// Device name and port (where the queue sends its jobs) of that printer, or of the
// current one when the index is not valid; both empty when the system has no printer.
std::pair<QString, QString> PrinterDeviceAndPort(int printerIndex);

// True when the file holds a PDF that was written to its end.
bool PdfFileIsWhole(const QString &path);

// A print job into a file: the printer is given a temporary file beside the target (port()),
// and finish() lets it replace the target only when the job succeeded and the PDF is whole;
// otherwise the target stays as it was and the report's OutputError says why.
class TPrintFile {
public:
    explicit TPrintFile(const QString &target);
    // The file the printer writes; empty when no temporary file could be made there.
    QString port() const;
    // The job's result, or seOutputNotWritten when the file could not be put in place.
    int finish(int result, TSestavaTyp &report);

private:
    SafeFile m_file;
    bool m_wanted;
    bool m_opened = false;
};

// One print job of a report whose store is filled.
struct TPrintJob {
    int PrinterIndex = -1;
    QString File;              // the file the job goes to (the PDF entry needs one)
    int FirstPage = 1;         // 1-based, inclusive
    int LastPage = 9999;
    int Copies = 1;
    bool PrintBackground = false;
    QString Title = QStringLiteral("Tisková sestava");
    // Asked when the report's sheet is bigger than the printer's (the print-options window).
    std::function<bool(TPrintTiling &)> AskTiling;
    const bool *AbortFlag = nullptr;
};
// Prints the store of the report: text-only printers through character output, others
// graphically. Returns a TSestError code.
int PrintStore(TSestavaTyp &report, const TPrintJob &job);

// While alive, the report's own context is at work: the job's sheet takes the report's paper
// and the printer chosen for it becomes the report's own, measured into the report's
// metrics, whatever report ran, was loaded or printed last. Scopes nest.
class TReportPrintScope {
public:
    explicit TReportPrintScope(TSestavaTyp &report);
    TReportPrintScope(const TReportPrintScope &) = delete;
    TReportPrintScope &operator=(const TReportPrintScope &) = delete;

private:
    TReportContextScope m_context;
};

} // namespace orv

namespace orv {
// The file a job on the PDF entry goes to: the port when given, else the one the user
// names through the asker of the context at work, else the session's (which the window
// layer installs; empty: none named).
TPdfFileAsker &pdfFileAsker();
QString PdfFileForJob(const QString &port);
} // namespace orv
