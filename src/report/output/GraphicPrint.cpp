// Printing a store on a graphic printer: every page is rendered into the page image and
// stretched onto the printer's page, in tiles when the printer's sheet is smaller than
// the report's.
#include "report/output/OutputStore.h"

#include "report/model/PageSetup.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/TolvaCanvas.h"

#include <QCoreApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace orv {

namespace {

bool aborted(const bool *flag)
{
    QCoreApplication::processEvents();
    return flag && *flag;
}

int percent(int value, int scale)
{
    return scale == 100 ? value : value * scale / 100;
}

} // namespace

bool TSestVystup::Print(int first, int last, const bool *abortFlag, const QString &title,
                        int copies, QPrinter *printer,
                        const std::function<bool(TPrintTiling &)> &askTiling)
{
    if (Pages.empty())
        return true;
    first = std::max(first, 1);
    last = std::min(last, PageCount());
    // An empty range prints nothing rather than an empty sheet.
    if (first > last)
        return true;
    QPrinter *pr = printer ? printer : currentPrinter();
    if (!pr)
        return false;
    const TPageSetup &ps = pageSetup();
    if (!ps.KeepPrinterOrientation)
        pr->setPageOrientation(ps.Orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
    printerMetrics() = MetricsOf(*pr);

    const int sheetW = ps.sheetWidth();
    const int sheetH = ps.sheetHeight();
    auto physical = [](const TPrinterMetrics &m, bool x) {
        return x ? m.physicalWidth() * 100 / std::max(1, m.ResolutionX)
                 : m.physicalHeight() * 100 / std::max(1, m.ResolutionY);
    };
    int rows = 1, columns = 1, scale = 100, tileW = 0, tileH = 0;
    if (!(physical(printerMetrics(), true) >= 0.99 * sheetW
          && physical(printerMetrics(), false) >= 0.99 * sheetH)) {
        TPrintTiling t;
        t.SheetWidth = sheetW;
        t.SheetHeight = sheetH;
        t.MarginLeft = ps.MarginLeft;
        t.MarginTop = ps.MarginTop;
        t.MarginRight = ps.MarginRight;
        t.MarginBottom = ps.MarginBottom;
        if (askTiling) {
            if (!askTiling(t))
                return false;
            rows = std::max(1, t.Rows);
            columns = std::max(1, t.Columns);
            scale = t.Scale > 0 ? t.Scale : 100;
        }
        // The window may have changed the printer.
        printerMetrics() = MetricsOf(*pr);
        tileW = physical(printerMetrics(), true) - ps.MarginLeft - ps.MarginRight;
        tileH = physical(printerMetrics(), false) - ps.MarginTop - ps.MarginBottom;
    }
    const TPrinterMetrics m = printerMetrics();
    const double sx = m.ScaleX();
    const double sy = m.ScaleY();
    const int ox = m.OffsetX();
    const int oy = m.OffsetY();

    // A driver that keeps its copy count at 1 (a file, or a printer without copies) gets
    // the copies as repeated pages of the one job: a second job on a file would only
    // overwrite the first.
    copies = std::max(1, copies);
    pr->setCopyCount(copies);
    const bool driverCopies = pr->supportsMultipleCopies() && pr->copyCount() == copies;
    if (!driverCopies)
        pr->setCopyCount(1);
    const int jobs = driverCopies ? 1 : copies;
    pr->setDocName(title);

    QPainter painter;
    if (!painter.begin(pr))
        return false;
    bool stop = false;
    bool firstSheet = true;
    for (int job = 0; job < jobs && !stop; ++job) {
        for (int p = first; p <= last && !stop; ++p) {
            SetCurrentPage(p - 1);
            for (int i = 0; i < rows && !stop; ++i) {
                for (int j = 0; j < columns && !stop; ++j) {
                    if (!firstSheet)
                        pr->newPage();
                    firstSheet = false;
                    if (PrintBackground && Background) {
                        const TCornerRect &b = BackgroundRect;
                        const int dx = ox - ps.MarginLeft - j * tileW;
                        const int dy = oy - ps.MarginTop - i * tileH;
                        TTolvaCanvas canvas(&painter, 100);
                        canvas.stretchPicture(*Background,
                                              percent(RoundEven((b.Left + dx) * sx), scale),
                                              percent(RoundEven((b.Top + dy) * sy), scale),
                                              percent(RoundEven((b.Right + dx) * sx) + 1, scale),
                                              percent(RoundEven((b.Bottom + dy) * sy) + 1, scale));
                    }
                    const int l = percent(RoundEven((ox - j * tileW) * sx), scale);
                    const int t = percent(RoundEven((oy - i * tileH) * sy), scale);
                    const int r = percent(RoundEven((PageWidth + ox - j * tileW) * sx) + 1, scale);
                    const int b = percent(RoundEven((PageHeight + oy - i * tileH) * sy) + 1, scale);
                    DrawPage(painter, QRect(QPoint(l, t), QPoint(r - 1, b - 1)));
                    stop = aborted(abortFlag);
                }
            }
        }
    }
    if (stop) {
        pr->abort();
        painter.end();
        return false;
    }
    painter.end();
    return pr->printerState() != QPrinter::Aborted && pr->printerState() != QPrinter::Error;
}

} // namespace orv
