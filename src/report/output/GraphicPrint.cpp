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

// The printer's sheet along one side, hundredths of an inch.
int physical(const TPrinterMetrics &m, const TPageSetup &paper, bool x)
{
    return x ? m.physicalWidth(paper) * 100 / std::max(1, m.ResolutionX)
             : m.physicalHeight(paper) * 100 / std::max(1, m.ResolutionY);
}

// How the report's sheets go onto the printer's: the scale from hundredths of an inch to the
// printer's dots, where the printable area starts, and the tiles when the printer's sheet is
// smaller.
struct SheetPlan {
    double ScaleX = 1, ScaleY = 1;
    int OffsetX = 0, OffsetY = 0;
    int Rows = 1, Columns = 1, Scale = 100, TileWidth = 0, TileHeight = 0;
};

// Measures the printer for the paper; the metrics measured become the ones in force (the
// printing report's own while it prints). False when the tiling window was cancelled.
bool planSheets(QPrinter &pr, const TPageSetup &ps,
                const std::function<bool(TPrintTiling &)> &askTiling, SheetPlan &plan)
{
    if (!ps.KeepPrinterOrientation)
        pr.setPageOrientation(ps.Orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
    TPrinterMetrics m = MetricsOf(pr);
    printerMetrics() = m;
    const int sheetW = ps.sheetWidth();
    const int sheetH = ps.sheetHeight();
    if (!(physical(m, ps, true) >= 0.99 * sheetW && physical(m, ps, false) >= 0.99 * sheetH)) {
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
            plan.Rows = std::max(1, t.Rows);
            plan.Columns = std::max(1, t.Columns);
            plan.Scale = t.Scale > 0 ? t.Scale : 100;
        }
        // The window may have changed the printer.
        m = MetricsOf(pr);
        printerMetrics() = m;
        plan.TileWidth = physical(m, ps, true) - ps.MarginLeft - ps.MarginRight;
        plan.TileHeight = physical(m, ps, false) - ps.MarginTop - ps.MarginBottom;
    }
    plan.ScaleX = m.ScaleX();
    plan.ScaleY = m.ScaleY();
    plan.OffsetX = m.OffsetX(ps);
    plan.OffsetY = m.OffsetY(ps);
    return true;
}

// A driver that keeps its copy count at 1 (a file, or a printer without copies) gets the
// copies as repeated pages of the one job: a second job on a file would only overwrite the
// first. Returns how many times the pages go out.
int takeCopies(QPrinter &pr, int copies)
{
    copies = std::max(1, copies);
    pr.setCopyCount(copies);
    const bool driverCopies = pr.supportsMultipleCopies() && pr.copyCount() == copies;
    if (!driverCopies)
        pr.setCopyCount(1);
    return driverCopies ? 1 : copies;
}

// One tile (row i, column j) of the page rendered last, with its background.
void printTile(const TSestVystup &st, QPainter &painter, const TPageSetup &ps,
               const SheetPlan &plan, int i, int j)
{
    const int ox = plan.OffsetX - j * plan.TileWidth;
    const int oy = plan.OffsetY - i * plan.TileHeight;
    const double sx = plan.ScaleX, sy = plan.ScaleY;
    const int scale = plan.Scale;
    if (st.PrintBackground && st.Background) {
        const TCornerRect &b = st.BackgroundRect;
        const int dx = ox - ps.MarginLeft;
        const int dy = oy - ps.MarginTop;
        TTolvaCanvas canvas(&painter, 100);
        canvas.stretchPicture(*st.Background,
                              percent(RoundEven((b.Left + dx) * sx), scale),
                              percent(RoundEven((b.Top + dy) * sy), scale),
                              percent(RoundEven((b.Right + dx) * sx) + 1, scale),
                              percent(RoundEven((b.Bottom + dy) * sy) + 1, scale));
    }
    const int l = percent(RoundEven(ox * sx), scale);
    const int t = percent(RoundEven(oy * sy), scale);
    const int r = percent(RoundEven((st.PageWidth + ox) * sx) + 1, scale);
    const int b = percent(RoundEven((st.PageHeight + oy) * sy) + 1, scale);
    st.DrawPage(painter, QRect(QPoint(l, t), QPoint(r - 1, b - 1)));
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
    SheetPlan plan;
    if (!planSheets(*pr, ps, askTiling, plan))
        return false;
    const int jobs = takeCopies(*pr, copies);
    pr->setDocName(title);

    QPainter painter;
    if (!painter.begin(pr))
        return false;
    bool stop = false;
    bool firstSheet = true;
    for (int job = 0; job < jobs && !stop; ++job) {
        for (int p = first; p <= last && !stop; ++p) {
            SetCurrentPage(p - 1);
            for (int i = 0; i < plan.Rows && !stop; ++i) {
                for (int j = 0; j < plan.Columns && !stop; ++j) {
                    if (!firstSheet)
                        pr->newPage();
                    firstSheet = false;
                    printTile(*this, painter, ps, plan, i, j);
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
