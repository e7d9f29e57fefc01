#pragma once
// The module-wide printer state that gives the output store its geometry on a printer:
// whether a printer is available, its resolution, the offset of its printable corner and
// its physical page. Without a printer every metric has a fallback.

#include <QString>

class QPrinter;

namespace orv {

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
    // The printer's physical page in dots (the paper of the page setup without a printer).
    int physicalWidth() const;
    int physicalHeight() const;
    // Where the printable area of the page setup starts on the printer, hundredths of an
    // inch from the printer's printable corner.
    int OffsetX() const;
    int OffsetY() const;
};

// The metrics a Qt printer reports.
TPrinterMetrics MetricsOf(const QPrinter &printer);

// The process-wide metrics and current printer.
TPrinterMetrics &printerMetrics();
// The current printer, or nullptr when the system has none or none was chosen.
QPrinter *currentPrinter();
// Makes the given printer (owned by the caller, or nullptr for none) the current one and
// takes its metrics. Tests and the print dialogs use it.
void SetCurrentPrinter(QPrinter *printer);
// Selects a system printer by index (-1 = the default); false when there is none.
bool SelectPrinter(int index);

} // namespace orv
