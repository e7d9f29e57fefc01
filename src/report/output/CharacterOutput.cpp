// Character output of the report components: text to a stream, and text-only printers.
#include "report/model/CaughtException.h"
#include "report/output/OutputWriters.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/Sestava.h"
#include "report/output/TextPrinterCups.h"
#include "report/output/ZnakovePole.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace orv {

bool PrintText(TSestVystup &store, const QString &queue, int first, int last,
               const bool *abortFlag, const QString &title, int copies, QString *error)
{
    for (int copy = 0; copy < std::max(copies, 1); ++copy) {
        bool stopped = false;
        const QByteArray job = TextPrinterJob(store, first, last, abortFlag, &stopped);
        if (stopped)
            return false;
        if (SendRawJob(queue, title, job, error) <= 0)
            return false;
    }
    return true;
}

namespace {

QString queueOf(int printerIndex)
{
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    if (printerIndex >= 0 && printerIndex < printers.size())
        return printers.at(printerIndex).printerName();
    if (QPrinter *p = currentPrinter())
        return p->printerName();
    return QPrinterInfo::defaultPrinterName();
}

void takeReportSettings(TSestavaTyp &report)
{
    report.Vystup.ExportLanguage = report.ExportLanguage;
    report.Vystup.SetLineSpacing(report.LineHeightCode);
}

} // namespace

void InstallCharacterOutput(TSestavaEntryPoints &entries)
{
    entries.CharacterOutput = [](TSestavaTyp &report, QIODevice &stream) {
        return WriteOutput(QStringLiteral("text"), report.Vystup, report.textJob(), stream);
    };
    entries.IsCharacterPrinter = [](int printerIndex) {
        return IsTextOnlyQueue(queueOf(printerIndex));
    };
    entries.PrintText = [](TSestavaTyp &report, int printerIndex, const bool *abortFlag) {
        try {
            takeReportSettings(report);
            QString error;
            if (PrintText(report.Vystup, queueOf(printerIndex), report.StartPage,
                          report.EndPage, abortFlag, report.Popis, report.PrintCopies, &error))
                return int(seOk);
            return abortFlag && *abortFlag ? int(seCancelled) : int(seOutputNotWritten);
        } catch (...) {
            logCaughtException("CharacterOutput");
            return int(seOutputNotWritten);
        }
    };
}

} // namespace orv
