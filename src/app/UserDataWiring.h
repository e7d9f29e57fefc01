#pragma once
// Connects the main window's own-material actions and "Možnosti ..." to their windows in
// src/userdata: the own-material editor with its four actions, and the options window.

namespace orv::db {
class MainDataModule;
class OwnDataModule;
} // namespace orv::db

namespace orv::userdata {
class OwnMaterialActions;
}

namespace orv::app {

class MainWindow;

// The four own-material actions act through `own` from now on; returns their handler
// (owned by the window).
userdata::OwnMaterialActions *wireOwnMaterialActions(MainWindow &window, db::OwnDataModule &own);
// "Možnosti ..." opens the options window on `data`.
void wireOptionsAction(MainWindow &window, db::MainDataModule &data);
// The options window, modally; returns its result.
int showOptionsWindow(MainWindow &window, db::MainDataModule &data);

} // namespace orv::app
