#pragma once
// Where the report generator catches any exception to go on with a default value (a data
// bridge or a reference resolver that failed, an export that could not finish), it first
// writes what it caught to the log, so that a wrong printout can be traced to its cause:
// category "orvalis.report", the place that caught it and the exception's text.

#include <QLoggingCategory>
#include <QString>

namespace orv {

Q_DECLARE_LOGGING_CATEGORY(lcReport)

// The text of the exception being handled: what() of a std::exception, else a fixed text.
// Call only inside a catch block.
QString caughtExceptionText();

// Logs the exception being handled as a warning of lcReport, naming `where` it was caught.
// Call only inside a catch block.
void logCaughtException(const char *where);

} // namespace orv
