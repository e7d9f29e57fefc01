#pragma once
// Help of the report generator: its own pages ("sestavy.htm" and the topic pages beside it),
// shown in a help window. The program may route the requests to its own help viewer.

#include <QString>

#include <functional>

class QWidget;

namespace orv {

// page: a page name such as "SestavyEditor.htm"; empty for the contents "sestavy.htm".
using TReportHelpHandler = std::function<void(QWidget *parent, const QString &page)>;
// Replaces the handler (empty restores the built-in window); returns the previous one.
TReportHelpHandler setReportHelpHandler(TReportHelpHandler handler);
void showReportHelp(QWidget *parent, const QString &page = QString());

// The folder of the help pages: $ORVALIS_HELP_DIR, else "Help" beside the program, else
// share/orvalis/Help of an installation, else the folder set by setReportHelpFolder.
QString reportHelpFolder();
// F1 in the window opens that help page.
void installHelpKey(QWidget *window, const QString &page);
void setReportHelpFolder(const QString &folder);

} // namespace orv
