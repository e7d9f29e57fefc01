#pragma once
// The page setup: paper, orientation and margins. Each report owns one in its context; the
// run, the template reader, the output store, the exporters and the printer dialogs read it.
// All lengths in hundredths of an inch.

namespace orv {

struct TPageSetup {
    int PaperWidth = 826;     // the sheet in portrait
    int PaperHeight = 1169;
    int Orientation = 0;      // 0 portrait, 1 landscape
    bool KeepPrinterOrientation = false;
    int MarginLeft = 50;
    int MarginRight = 50;
    int MarginTop = 70;
    int MarginBottom = 70;

    int sheetWidth() const { return Orientation == 1 ? PaperHeight : PaperWidth; }
    int sheetHeight() const { return Orientation == 1 ? PaperWidth : PaperHeight; }
    int printableWidth() const { return sheetWidth() - MarginLeft - MarginRight; }
    int printableHeight() const { return sheetHeight() - MarginTop - MarginBottom; }

    // The orientation number of a template: 0/1 the orientation, +2 keep the printer's.
    void setOrientationCode(int code);
    int orientationCode() const { return Orientation + (KeepPrinterOrientation ? 2 : 0); }

    bool operator==(const TPageSetup &) const = default;
};

// The page setup at work: the paper of the report whose context is at work (while it runs
// or prints), else the session's (the designer's and the dialogs' working copy). Both live
// in report contexts (ReportContext.h).
TPageSetup &pageSetup();
// The session's, whatever context is at work.
TPageSetup &defaultPageSetup();

} // namespace orv
