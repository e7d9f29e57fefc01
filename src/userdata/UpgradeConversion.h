#pragma once
// Carrying the previous version's user data over: its own materials (with designation,
// composition, equivalents and notes) and its user notes on materials. The old tables are
// Paradox files; they are read into a private scratch database first, then everything is
// written in one transaction through the own-material data sets (so each new row gets its
// number and its private mirror row). A failure anywhere leaves both database files as they
// were, and the conversion can simply be run again.

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace orv::db {
class MainDataModule;
class OwnDataModule;
} // namespace orv::db

namespace orv::userdata {

// The previous version's tables the conversion reads.
QStringList oldDataTables();

// The data folder of an installation of the previous version ("<folder>/Data", in whatever
// letter case it exists), or "<folder>/Data" when there is none.
QString oldDataFolderOf(const QString &installationFolder);
// Whether `dataFolder` holds the old user notes table (UserNotices.DB, any letter case).
bool holdsOldData(const QString &dataFolder);

struct UpgradeProgress {
    std::function<void(const QString &text)> setText;
    std::function<void(int maximum)> setMaximum; // the bar restarts at 0
    std::function<void(int value)> setValue;
};

struct UpgradeResult {
    int materials = 0;          // own materials created
    int carriedBefore = 0;      // old own materials an earlier run carried over (left as they are)
    int skipped = 0;            // old own materials without a contents-tree node or designation
    int notes = 0;              // user notes written
    int appendedNotes = 0;      // old notes added below a note of this version
    int notesCarriedBefore = 0; // old notes an earlier run carried over
    int droppedNotes = 0;       // old notes whose designation the catalogue does not know
};

// What stands before an old note added below a note written in this version.
inline QString previousVersionNoteMark() { return QStringLiteral("ZEB 2.0: "); }

// A conversion that failed; nothing was changed. The message is Czech and names the cause.
class UpgradeError : public std::runtime_error {
public:
    explicit UpgradeError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Converts the old data in `oldDataFolder`: adds, never deletes. Own materials only when
// `ownMaterials` (the user database can be written); user notes always, added to those of this
// version (an old note for a material that has a note already goes below it, after
// previousVersionNoteMark()). What an earlier run carried over (marked in PreviousVersionRows)
// is not carried again. Throws UpgradeError, with nothing changed, when the old tables cannot be read or
// anything fails (an exception thrown by a progress callback included).
UpgradeResult convertOldData(db::OwnDataModule &own, const QString &oldDataFolder, bool ownMaterials,
                             const UpgradeProgress &progress = UpgradeProgress());

// Sets `upgrade` = 1 on the Setup row the start-up reads (the "USPESNOST" row, else the first;
// a row is added when the table is empty) and posts it.
void setUpgradeDone(db::MainDataModule &data);

} // namespace orv::userdata
