#include "report/output/PrinterMetrics.h"

#include "report/model/PageSetup.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace orv {

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

QPrinter *currentPrinter()
{
    return currentPrinterShared().get();
}

std::shared_ptr<QPrinter> currentPrinterShared()
{
    const TReportContext &atWork = reportContext();
    return atWork.Printer ? atWork.Printer : sessionContext().Printer;
}

void SetCurrentPrinter(std::shared_ptr<QPrinter> printer)
{
    TReportContext &atWork = reportContext();
    atWork.Printer = std::move(printer);
    atWork.PrinterMetrics = atWork.Printer ? MetricsOf(*atWork.Printer) : TPrinterMetrics();
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
    if (QPrinter *current = currentPrinter(); index == -1 && current) {
        printerMetrics() = MetricsOf(*current);
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
