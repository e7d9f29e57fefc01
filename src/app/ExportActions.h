#pragma once
// "Export pro výpočty ...": the action in the "Materiál" menu that writes the active card's
// material for the engineer's other tools (src/matexport/ExportDialog.h), and the same
// dialog for the materials of a comparison window.

#include <QList>

class QAction;
class QWidget;

namespace orv::db {
class MainDataModule;
}

namespace orv::app {

class MainWindow;

// Creates the action (owned by the window), puts it into the "Materiál" menu and enables it
// while a card is active.
QAction *wireExportAction(MainWindow &window, db::MainDataModule &data);

// The dialog over compared materials; `dimensions` names each one's compared row.
void exportCompared(db::MainDataModule &data, QWidget *parent, const QList<int> &materials,
                    const QList<int> &dimensions);

} // namespace orv::app
