#include "report/output/PrinterMetrics.h"

#include "report/model/PageSetup.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace orv {

int TPrinterMetrics::physicalWidth(const TPageSetup &paper) const
{
    if (PrinterAvailable && PhysicalWidth > 0)
        return PhysicalWidth;
    return paper.PaperWidth;
}

int TPrinterMetrics::physicalHeight(const TPageSetup &paper) const
{
    if (PrinterAvailable && PhysicalHeight > 0)
        return PhysicalHeight;
    return paper.PaperHeight;
}

int TPrinterMetrics::OffsetX(const TPageSetup &paper) const
{
    const int res = ResolutionX > 0 ? ResolutionX : 100;
    return paper.MarginLeft - PrintingOffsetX * 100 / res;
}

int TPrinterMetrics::OffsetY(const TPageSetup &paper) const
{
    const int res = ResolutionY > 0 ? ResolutionY : 100;
    return paper.MarginTop - PrintingOffsetY * 100 / res;
}

int TPrinterMetrics::physicalWidth() const { return physicalWidth(pageSetup()); }
int TPrinterMetrics::physicalHeight() const { return physicalHeight(pageSetup()); }
int TPrinterMetrics::OffsetX() const { return OffsetX(pageSetup()); }
int TPrinterMetrics::OffsetY() const { return OffsetY(pageSetup()); }

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
std::shared_ptr<QPrinter> g_current;
TPrinterMetrics *g_inForce = nullptr;
} // namespace

TPrinterMetrics &defaultPrinterMetrics()
{
    static TPrinterMetrics metrics;
    return metrics;
}

TPrinterMetrics &printerMetrics()
{
    return g_inForce ? *g_inForce : defaultPrinterMetrics();
}

TPrinterMetricsScope::TPrinterMetricsScope(TPrinterMetrics &metrics) : m_previous(g_inForce)
{
    g_inForce = &metrics;
}

TPrinterMetricsScope::~TPrinterMetricsScope()
{
    g_inForce = m_previous;
}

QPrinter *currentPrinter()
{
    return g_current.get();
}

std::shared_ptr<QPrinter> currentPrinterShared()
{
    return g_current;
}

void SetCurrentPrinter(std::shared_ptr<QPrinter> printer)
{
    g_current = std::move(printer);
    printerMetrics() = g_current ? MetricsOf(*g_current) : TPrinterMetrics();
}

void SetCurrentPrinter(QPrinter *printer)
{
    // Not owned: the holder's deleter does nothing.
    SetCurrentPrinter(std::shared_ptr<QPrinter>(printer, [](QPrinter *) {}));
}

void SetCurrentPrinter(std::nullptr_t)
{
    SetCurrentPrinter(std::shared_ptr<QPrinter>());
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
    SetCurrentPrinter(std::make_shared<QPrinter>(info, QPrinter::HighResolution));
    return true;
}

} // namespace orv
