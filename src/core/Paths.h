#pragma once
// The program folder and the places that derive from it. Every folder returned here ends
// in "/". The program folder may be read-only (a system-wide installation); the parts the
// program writes (the user database and the window settings file Zeb.ini) then live in a
// per-user folder that starts as a copy of the program folder's ones.

#include <QString>

namespace orv {

// The folder of the executable, or the one set by setProgramFolder (tests, tools). An
// installed program (<prefix>/bin/orvalis beside <prefix>/share/orvalis/data) has its
// read-only program folder in <prefix>/share/orvalis/.
QString programFolder();
// True when the program folder is an installation's share/orvalis folder: user data then
// always lives in the per-user folder.
bool installedLayout();
void setProgramFolder(const QString &folder); // empty: back to the executable's folder

// Where the writable parts live: the program folder when it can be written to, else
// $ORVALIS_USER_DATA, else <$XDG_DATA_HOME, or ~/.local/share>/orvalis/.
QString userFolder();
QString userDataFolder();         // userFolder() + "data/": the user database's folder
QString perUserFolder();          // the per-user location, whether in use or not
bool programFolderWritable();
// Makes programFolderWritable() answer `writable` for the current program folder, for
// tests that run with rights a read-only folder does not stop.
void assumeProgramFolderWritable(bool writable);

// Makes sure the user folder holds its data folder, the user database and Zeb.ini. When
// the program folder is read-only, copies what it ships of them into the per-user folder
// (never overwriting a copy that exists). Returns false with a reason on failure.
bool prepareUserFolder(QString *error = nullptr);

// The window settings file; the only place that knows its name.
QString settingsFilePath();

// The previous version's installation folder: $ORVALIS_PREVIOUS_VERSION_DIR, else where a
// Windows installation of it lies in the user's compatibility layer drive.
QString previousVersionFolder();
// The catalogue file whose presence shows the previous version's data.
QString previousVersionCatalogueFile();

} // namespace orv
