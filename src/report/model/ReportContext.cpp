#include "report/model/ReportContext.h"

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

namespace {
// The context a TReportContextScope put to work; null: the session's.
TReportContext *g_atWork = nullptr;
} // namespace

TReportContext &sessionContext()
{
    static TReportContext session;
    return session;
}

TReportContext &reportContext()
{
    return g_atWork ? *g_atWork : sessionContext();
}

TReportContextScope::TReportContextScope(TReportContext &context) : m_previous(g_atWork)
{
    g_atWork = &context;
}

TReportContextScope::~TReportContextScope()
{
    g_atWork = m_previous;
}

TPageSetup &pageSetup() { return reportContext().PageSetup; }
TPageSetup &defaultPageSetup() { return sessionContext().PageSetup; }
TPrinterMetrics &printerMetrics() { return reportContext().PrinterMetrics; }
TPrinterMetrics &defaultPrinterMetrics() { return sessionContext().PrinterMetrics; }

} // namespace orv
