#include "report/output/PrinterMetrics.h"

#include "report/model/PageSetup.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace orv {

int TPrinterMetrics::physicalWidth() const
{
    if (PrinterAvailable && PhysicalWidth > 0)
        return PhysicalWidth;
    return pageSetup().PaperWidth;
}

int TPrinterMetrics::physicalHeight() const
{
    if (PrinterAvailable && PhysicalHeight > 0)
        return PhysicalHeight;
    return pageSetup().PaperHeight;
}

int TPrinterMetrics::OffsetX() const
{
    const int res = ResolutionX > 0 ? ResolutionX : 100;
    return pageSetup().MarginLeft - PrintingOffsetX * 100 / res;
}

int TPrinterMetrics::OffsetY() const
{
    const int res = ResolutionY > 0 ? ResolutionY : 100;
    return pageSetup().MarginTop - PrintingOffsetY * 100 / res;
}

TPrinterMetrics MetricsOf(const QPrinter &printer)
{
    TPrinterMetrics m;
    m.PrinterAvailable = true;
    const int res = printer.resolution() > 0 ? printer.resolution() : 100;
    m.ResolutionX = res;
    m.ResolutionY = res;
    const QPageLayout layout = printer.pageLayout();
    const QRect full = layout.fullRectPixels(res);
    const QRect paint = printer.fullPage() ? full : layout.paintRectPixels(res);
    m.PrintingOffsetX = paint.left() - full.left();
    m.PrintingOffsetY = paint.top() - full.top();
    m.PhysicalWidth = full.width();
    m.PhysicalHeight = full.height();
    m.Orientation = layout.orientation() == QPageLayout::Landscape ? 1 : 0;
    return m;
}

namespace {
QPrinter *g_current = nullptr;
std::unique_ptr<QPrinter> g_owned;
} // namespace

TPrinterMetrics &printerMetrics()
{
    static TPrinterMetrics metrics;
    return metrics;
}

QPrinter *currentPrinter()
{
    return g_current;
}

void SetCurrentPrinter(QPrinter *printer)
{
    g_current = printer;
    printerMetrics() = printer ? MetricsOf(*printer) : TPrinterMetrics();
}

bool SelectPrinter(int index)
{
    // -1 is the current printer: the one chosen before, else the system's default.
    if (index == -1 && g_current) {
        printerMetrics() = MetricsOf(*g_current);
        return true;
    }
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    QPrinterInfo info;
    if (index == -1)
        info = QPrinterInfo::defaultPrinter();
    else if (index >= 0 && index < printers.size())
        info = printers.at(index);
    if (info.isNull()) {
        printerMetrics().PrinterAvailable = false;
        return false;
    }
    g_owned = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    SetCurrentPrinter(g_owned.get());
    return true;
}

} // namespace orv
