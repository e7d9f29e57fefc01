#pragma once
// Where the catalogue lies: the data root. It is the program folder when the catalogue was
// installed on disk, or the folder "Zeb18/" of the installation medium when the installer
// left it there ("Data na CD" = 1). A data root always ends in "/".
//
// The installation medium is a mounted optical volume (iso9660 or udf, or a /dev/sr*
// device). The volume list, the message asking for the medium and the reaction to the
// user giving up are injectable, so that this module needs no widgets and tests can
// stage drives.

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace orv {

class Registry;

struct MountedVolume
{
    QString rootPath;        // mount point, e.g. "/media/cdrom0"
    QByteArray fileSystemType;
    QByteArray device;
};

bool isOpticalVolume(const MountedVolume &volume);
// Every mounted volume that is ready (QStorageInfo).
QList<MountedVolume> mountedVolumes();

// Folder below the medium's root that holds the catalogue, and the medium-relative path
// of a catalogue file in it.
inline QString mediumFolder() { return QStringLiteral("Zeb18/"); }
inline QString mediumFilePath(const QString &fileName) { return QStringLiteral("Zeb18/Data/") + fileName; }

// The optical volume that holds `relativePath`, as its mount path ending in "/", or an
// empty text. Volumes are tried in the order of their mount paths and the last one that
// holds the file wins, so the choice does not depend on the order the system lists them.
QString findInstallationMedium(const QString &relativePath, const QList<MountedVolume> &volumes);

// The text of the message that asks for the medium (buttons OK and Abort).
QString mediumMissingMessage();

struct DataRootEnvironment
{
    std::function<int()> dataOnMedium;                      // "Data na CD"; default: machine registry
    std::function<QList<MountedVolume>()> volumes;           // default: mountedVolumes()
    // Shows the missing-medium message, returns 1 for OK (look again), 3 for Abort.
    std::function<int(const QString &text)> askForMedium;
    QString programFolder;                                  // default: orv::programFolder()
};

// Resolves the data root for catalogue file `fileName`. Returns nothing when the medium is
// missing and the user gave up (or no message callback is set to ask).
std::optional<QString> resolveDataRoot(const QString &fileName, const DataRootEnvironment &env);

// The process-wide defaults of the environment above: the application sets the message
// callback once (the standard Czech dialog) and the abort handler that closes the
// database connections before the program ends.
void setDefaultMediumQuestion(std::function<int(const QString &text)> ask);
void setDefaultVolumeLister(std::function<QList<MountedVolume>()> lister);
void setMediumAbortHandler(std::function<void()> handler);
DataRootEnvironment defaultDataRootEnvironment();

// resolveDataRoot with the process-wide defaults. When the user gives up, runs the abort
// handler and ends the program at once (exit code 1) without further messages.
QString dataRoot(const QString &fileName);

// The folder of the catalogue tables below a data root. The medium names it "Data", a
// disk installation "data"; on a case-sensitive file system both spellings are tried.
QString catalogueFolder(const QString &dataRoot);

} // namespace orv
