#pragma once
// What a report works with besides its template: its paper, the printer its jobs go to with
// that printer's metrics, and the handlers through which it reaches the user. Each report
// owns one (TSestavaModel::Context), so two reports, one in the preview and one printing,
// never share paper or printer. The process has one more, the session's: the working paper
// of the designer and the paper and printer dialogs, the printer chosen in the print
// dialogs, and the handlers the window layer installs. A report's empty handler and missing
// printer fall back to the session's.
//
// Code that has no report in hand (the context-free calls of the component API, such as
// SelectPrinter or pageSetup() from a report's handler) reaches the context at work: the
// innermost TReportContextScope's (a report while it runs or prints), else the session's.

#include "report/model/PageSetup.h"
#include "report/model/SestavaMessages.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QPrinter;

namespace orv {

// The printer state that gives the output store its geometry on a printer: whether a
// printer is available, its resolution, the offset of its printable corner and its physical
// page. Without a printer every metric has a fallback.
struct TPrinterMetrics {
    bool PrinterAvailable = false;
    int ResolutionX = 100;        // dots per inch
    int ResolutionY = 100;
    int PrintingOffsetX = 50;     // dots from the sheet's corner to the printable corner
    int PrintingOffsetY = 72;
    int PhysicalWidth = 0;        // dots; 0 means the page setup's paper
    int PhysicalHeight = 0;
    int Orientation = 0;          // 0 portrait, 1 landscape

    double ScaleX() const { return PrinterAvailable ? ResolutionX / 100.0 : 1.0; }
    double ScaleY() const { return PrinterAvailable ? ResolutionY / 100.0 : 1.0; }
    // The printer's physical page in dots (the paper's sheet without a printer).
    int physicalWidth(const TPageSetup &paper) const;
    int physicalHeight(const TPageSetup &paper) const;
    // Where the paper's printable area starts on the printer, hundredths of an inch from
    // the printer's printable corner.
    int OffsetX(const TPageSetup &paper) const;
    int OffsetY(const TPageSetup &paper) const;
    // The same on the paper at work.
    int physicalWidth() const;
    int physicalHeight() const;
    int OffsetX() const;
    int OffsetY() const;
};

// What a printer cannot print at the sheet's edges, hundredths of an inch.
struct TPrinterMargins {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};
// Where the minimum margins come from instead of the printer (tests); an empty optional
// means there is no printer.
using TPrinterMarginSource = std::function<std::optional<TPrinterMargins>(int orientation)>;
// The file a job on the PDF entry goes to when the job names none (empty: none named).
using TPdfFileAsker = std::function<QString()>;

struct TReportContext {
    TPageSetup PageSetup;
    // The metrics of the printer this report last printed on.
    TPrinterMetrics PrinterMetrics;
    // The printer of this report's last job (a PDF writer of its own for the PDF entry);
    // null: the session's.
    std::shared_ptr<QPrinter> Printer;
    // Empty: the session's.
    TSestMessageHandler Messages;
    TSestProgressFactory Progress;
    TPdfFileAsker PdfFileAsker;
    TPrinterMarginSource MarginSource;
    // Whether the template reader counts a font family as installed; empty: the fonts the
    // system has (tests and tools decide without a font database).
    std::function<bool(const QString &family)> FontAvailable;
};

// The context at work: the innermost scope's, else the session's.
TReportContext &reportContext();
// The session's, whatever scope is in force.
TReportContext &sessionContext();

// While alive, reportContext() is the given one (owned by the caller); the one at work before
// comes back when it dies, also through an exception. Scopes nest.
class TReportContextScope {
public:
    explicit TReportContextScope(TReportContext &context);
    ~TReportContextScope();
    TReportContextScope(const TReportContextScope &) = delete;
    TReportContextScope &operator=(const TReportContextScope &) = delete;

private:
    TReportContext *m_previous;
};

// The printer metrics at work and the session's.
TPrinterMetrics &printerMetrics();
TPrinterMetrics &defaultPrinterMetrics();

} // namespace orv
