#pragma once
// "Porovnat materiály...": the action in the "Materiál" and "Hledání v obsahu" menus and in the
// context menu of the search result list. It offers the open cards, the search result list
// and the contents tree's chosen node with the materials below it; the materials ticked open
// one compare window (src/printouts/TfCompare.h).

#include <QList>

class QAction;

namespace orv::db {
class MainDataModule;
}
namespace orv::printouts {
struct CompareCandidate;
}

namespace orv::app {

class MainWindow;

// Creates the action (owned by the window) and puts it in its places.
QAction *wireCompareAction(MainWindow &window, db::MainDataModule &data);

// What the choice offers, in this order: open cards (ticked), the rows of the search result
// list (the current one ticked), the tree's node and the materials below it (the node's
// own material ticked).
QList<printouts::CompareCandidate> compareCandidates(MainWindow &window, db::MainDataModule &data);

// Opens the compare window on the materials; a count outside 2..6 or a catalogue error is
// told in a message.
void openComparison(MainWindow &window, db::MainDataModule &data, const QList<int> &materials);

} // namespace orv::app
