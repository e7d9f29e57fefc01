#pragma once
// The printer state that gives the output store its geometry on a printer: whether a
// printer is available, its resolution, the offset of its printable corner and its physical
// page. Each report keeps the metrics it printed with; the ones in force are that report's
// while it runs or prints (TPrinterMetricsScope), else the process default. The chosen
// printer itself (currentPrinter) is the session's. Without a printer every metric has a
// fallback.

#include <QString>

#include <memory>

class QPrinter;

namespace orv {

struct TPageSetup;

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
    // The same on the paper in force.
    int physicalWidth() const;
    int physicalHeight() const;
    int OffsetX() const;
    int OffsetY() const;
};

// The metrics a Qt printer reports.
TPrinterMetrics MetricsOf(const QPrinter &printer);

// The metrics in force: a report's while a TPrinterMetricsScope holds them, else the
// process default. Selecting a printer measures it into these.
TPrinterMetrics &printerMetrics();
// The process default, whatever scope is in force.
TPrinterMetrics &defaultPrinterMetrics();

// While alive, printerMetrics() is the given one (owned by the caller); the one in force
// before comes back when it dies. Scopes nest.
class TPrinterMetricsScope {
public:
    explicit TPrinterMetricsScope(TPrinterMetrics &metrics);
    ~TPrinterMetricsScope();
    TPrinterMetricsScope(const TPrinterMetricsScope &) = delete;
    TPrinterMetricsScope &operator=(const TPrinterMetricsScope &) = delete;

private:
    TPrinterMetrics *m_previous;
};

// The current printer, or nullptr when the system has none or none was chosen.
QPrinter *currentPrinter();
// The same, shared: whoever holds it keeps the printer alive, however often another job
// selects a new one meanwhile. A job that means to go back to the printer current before it
// holds that printer this way.
std::shared_ptr<QPrinter> currentPrinterShared();
// Makes the given printer (or none) the current one and takes its metrics.
void SetCurrentPrinter(std::shared_ptr<QPrinter> printer);
// The same for a printer whose owner keeps it alive while it is current (tests, a dialog's
// lasting printer); it must be replaced before its owner deletes it.
void SetCurrentPrinter(QPrinter *printer);
void SetCurrentPrinter(std::nullptr_t);
// Selects a system printer by index (-1 = the default); false when there is none.
bool SelectPrinter(int index);

} // namespace orv
