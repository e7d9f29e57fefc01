#include "core/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace orv {

namespace {

QString g_programFolder;
// The write probe touches the disk; its answer is kept per program folder.
QString g_probedFolder;
bool g_probedWritable = false;

QString withSlash(QString path)
{
    if (path.isEmpty())
        return path;
    path = QDir::cleanPath(path);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString userDatabaseName()
{
    return QStringLiteral("user.sqlite");
}

QString settingsFileName()
{
    return QStringLiteral("Zeb.ini");
}

// access() says yes to root on a read-only mount, so try to create a file instead.
bool canCreateFileIn(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + QStringLiteral(".orvalis-write-XXXXXX"));
    return probe.open();
}

bool copyIfMissing(const QString &from, const QString &to, QString *error)
{
    if (QFileInfo::exists(to) || !QFileInfo::exists(from))
        return true;
    if (QFile::copy(from, to)) {
        // A copy of a read-only original is read-only too; the user must be able to write it.
        QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner | QFile::ReadOwner);
        return true;
    }
    if (error)
        *error = QStringLiteral("Nelze zkopírovat soubor %1 do %2.").arg(from, to);
    return false;
}

// <prefix>/share/orvalis/ for an executable in <prefix>/bin that has one, else empty.
QString installedShareFolder(const QString &executableFolder)
{
    const QDir exe(executableFolder);
    if (exe.dirName() != QLatin1String("bin"))
        return {};
    const QString share = QDir::cleanPath(exe.absoluteFilePath(QStringLiteral("../share/orvalis")));
    if (!QFileInfo(share + QStringLiteral("/data")).isDir())
        return {};
    return withSlash(share);
}

} // namespace

QString programFolder()
{
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    if (QCoreApplication::instance()) {
        const QString exe = QCoreApplication::applicationDirPath();
        const QString share = installedShareFolder(exe);
        return share.isEmpty() ? withSlash(exe) : share;
    }
    return withSlash(QDir::currentPath());
}

bool installedLayout()
{
    // A program folder named share/orvalis is an installation's, whoever set it.
    const QString prog = QDir::cleanPath(programFolder());
    return prog.endsWith(QLatin1String("/share/orvalis"));
}

void setProgramFolder(const QString &folder)
{
    g_programFolder = withSlash(folder);
}

bool programFolderWritable()
{
    const QString prog = programFolder();
    // An installed program never writes into its share folder, not even for root.
    if (installedLayout())
        return false;
    if (prog == g_probedFolder)
        return g_probedWritable;
    const QString data = prog + QStringLiteral("data/");
    bool writable = canCreateFileIn(prog);
    if (writable && QFileInfo(data).isDir())
        writable = canCreateFileIn(data);
    g_probedFolder = prog;
    g_probedWritable = writable;
    return writable;
}

void assumeProgramFolderWritable(bool writable)
{
    g_probedFolder = programFolder();
    g_probedWritable = writable;
}

QString perUserFolder()
{
    const QString over = qEnvironmentVariable("ORVALIS_USER_DATA");
    if (!over.isEmpty())
        return withSlash(over);
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(base + QStringLiteral("/orvalis"));
}

QString userFolder()
{
    return programFolderWritable() ? programFolder() : perUserFolder();
}

QString userDataFolder()
{
    return userFolder() + QStringLiteral("data/");
}

bool prepareUserFolder(QString *error)
{
    const QString prog = programFolder();
    const QString user = userFolder();
    if (!QDir().mkpath(user + QStringLiteral("data"))) {
        if (error)
            *error = QStringLiteral("Nelze vytvořit složku %1data.").arg(user);
        return false;
    }
    if (user == prog)
        return true;
    return copyIfMissing(prog + QStringLiteral("data/") + userDatabaseName(),
                         user + QStringLiteral("data/") + userDatabaseName(), error)
           && copyIfMissing(prog + settingsFileName(), user + settingsFileName(), error);
}

QString settingsFilePath()
{
    return userFolder() + settingsFileName();
}

QString previousVersionFolder()
{
    const QString over = qEnvironmentVariable("ORVALIS_PREVIOUS_VERSION_DIR");
    if (!over.isEmpty())
        return withSlash(over);
    return QDir::homePath() + QStringLiteral("/.wine/drive_c/Program Files/Halmberg s.r.o/ZEB 2.0/");
}

QString previousVersionCatalogueFile()
{
    return previousVersionFolder() + QStringLiteral("Data/mat.db");
}

} // namespace orv
