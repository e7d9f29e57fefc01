#pragma once
// The printer a report's geometry comes from: measuring a Qt printer into TPrinterMetrics
// (ReportContext.h) and choosing the printer of the context at work. A report while it runs
// or prints chooses its own; outside, the choice is the session's.

#include "report/model/ReportContext.h"

#include <QString>

#include <memory>

class QPrinter;

namespace orv {

// The metrics a Qt printer reports.
TPrinterMetrics MetricsOf(const QPrinter &printer);

// The printer of the context at work, else the session's; nullptr when the system has none
// or none was chosen.
QPrinter *currentPrinter();
// The same, shared: whoever holds it keeps the printer alive, however often another job
// selects a new one meanwhile.
std::shared_ptr<QPrinter> currentPrinterShared();
// Makes the given printer (or none) the one of the context at work and takes its metrics.
void SetCurrentPrinter(std::shared_ptr<QPrinter> printer);
// The same for a printer whose owner keeps it alive while it is current (tests, a dialog's
// lasting printer); it must be replaced before its owner deletes it.
void SetCurrentPrinter(QPrinter *printer);
void SetCurrentPrinter(std::nullptr_t);
// Selects a system printer by index (-1 = the current one, else the default) for the
// context at work; false when there is none.
bool SelectPrinter(int index);

} // namespace orv
