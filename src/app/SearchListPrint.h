#pragma once
// Printing the search window's result list: "Tisk výsledku hledání..." (the print dialog with
// printer, copies, preview and print) and "Náhled výsledku hledání" in the context menu of the
// result list. The list report has the columns the list shows, with the success rate of the
// composition search as its column and the best property combination of the property
// search; the heading names the search.

#include <QString>

class QAction;
class QTableView;
class QWidget;

namespace orv::db {
class Connection;
class DataSet;
}
namespace orv::printouts {
class TfPrintTable;
}

namespace orv::app {

class MainWindow;

// The heading of the list report of a search page (TfHledani::Page).
QString searchListTitle(int page);

// The print dialog of the list the grid shows (not shown itself; the caller owns it). With a
// property search's result (and its session) the best property combination of each material
// is a column of its own.
printouts::TfPrintTable *searchListDialog(const QTableView &grid, int page, QWidget *parent,
                                          db::Connection *session = nullptr,
                                          const db::DataSet *propertyResult = nullptr);

// Puts the two actions into the result list's context menu; nothing without a search window.
void wireSearchListPrint(MainWindow &window);

} // namespace orv::app
