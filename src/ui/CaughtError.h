#pragma once
// Where a window catches any exception to go on (a rule that decides an action's state,
// settings written while a window closes), it writes what it caught to the log first, so
// that a disabled button or a setting not kept can be traced to its cause: category
// "orvalis.ui", the place that caught it and the exception's text.

#include <QLoggingCategory>

namespace orv::ui {

Q_DECLARE_LOGGING_CATEGORY(lcUi)

// Logs the exception being handled as a warning of lcUi, naming `where` it was caught.
// Call only inside a catch block.
void logCaughtError(const char *where);

} // namespace orv::ui
