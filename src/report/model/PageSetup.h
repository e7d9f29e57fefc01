#pragma once
// The page setup: paper, orientation and margins. Each report owns one; the run, the template
// reader, the output store, the exporters and the printer dialogs read the one in effect.
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

// The page setup in effect: the one a TPageSetupScope put in force (a report at work), else
// the process default (the designer's and the dialogs' working copy).
TPageSetup &pageSetup();
// The process default, whatever scope is in force.
TPageSetup &defaultPageSetup();
// True while some report's page setup is in force.
bool pageSetupScoped();

// While alive, pageSetup() is the given one (owned by the caller); the one in force before
// comes back when it dies. Scopes nest.
class TPageSetupScope {
public:
    explicit TPageSetupScope(TPageSetup &setup);
    ~TPageSetupScope();
    TPageSetupScope(const TPageSetupScope &) = delete;
    TPageSetupScope &operator=(const TPageSetupScope &) = delete;

private:
    TPageSetup *m_previous;
};

} // namespace orv
