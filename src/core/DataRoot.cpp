#include "core/DataRoot.h"

#include "core/Paths.h"
#include "core/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <cstdlib>

namespace orv {

namespace {

std::function<int(const QString &)> g_ask;
std::function<QList<MountedVolume>()> g_volumes;
std::function<void()> g_abort;

QString endingInSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace

bool isOpticalVolume(const MountedVolume &volume)
{
    const QByteArray fs = volume.fileSystemType.toLower();
    if (fs == "iso9660" || fs == "udf")
        return true;
    return volume.device.startsWith("/dev/sr");
}

QList<MountedVolume> mountedVolumes()
{
    QList<MountedVolume> list;
    for (const QStorageInfo &s : QStorageInfo::mountedVolumes()) {
        if (!s.isValid() || !s.isReady())
            continue;
        list.append({s.rootPath(), s.fileSystemType(), s.device()});
    }
    return list;
}

QString findInstallationMedium(const QString &relativePath, const QList<MountedVolume> &volumes)
{
    QList<MountedVolume> optical;
    for (const MountedVolume &v : volumes) {
        if (isOpticalVolume(v))
            optical.append(v);
    }
    std::stable_sort(optical.begin(), optical.end(),
                     [](const MountedVolume &a, const MountedVolume &b) { return a.rootPath < b.rootPath; });
    QString hit;
    for (const MountedVolume &v : optical) {
        const QString root = endingInSlash(v.rootPath);
        if (QFileInfo(root + relativePath).isFile())
            hit = root;
    }
    return hit;
}

QString mediumMissingMessage()
{
    return QStringLiteral("Nebylo nalezeno instalační CD.\r\r Vložte prosím do CD-ROM instalační disk.");
}

std::optional<QString> resolveDataRoot(const QString &fileName, const DataRootEnvironment &env)
{
    const int onMedium = env.dataOnMedium ? env.dataOnMedium() : 0;
    if (onMedium != 1)
        return endingInSlash(env.programFolder.isEmpty() ? programFolder() : env.programFolder);

    const QString relative = mediumFilePath(fileName);
    for (;;) {
        const QString medium = findInstallationMedium(relative, env.volumes ? env.volumes() : mountedVolumes());
        if (!medium.isEmpty())
            return medium + mediumFolder();
        // Without a way to ask, looking again would never end.
        if (!env.askForMedium || env.askForMedium(mediumMissingMessage()) != 1)
            return std::nullopt;
    }
}

void setDefaultMediumQuestion(std::function<int(const QString &)> ask)
{
    g_ask = std::move(ask);
}

void setDefaultVolumeLister(std::function<QList<MountedVolume>()> lister)
{
    g_volumes = std::move(lister);
}

void setMediumAbortHandler(std::function<void()> handler)
{
    g_abort = std::move(handler);
}

DataRootEnvironment defaultDataRootEnvironment()
{
    DataRootEnvironment env;
    env.dataOnMedium = [] {
        return Registry(Registry::Scope::Machine).readInteger(installKey(), install::dataOnMedium());
    };
    env.volumes = g_volumes ? g_volumes : std::function<QList<MountedVolume>()>(mountedVolumes);
    env.askForMedium = g_ask;
    env.programFolder = programFolder();
    return env;
}

QString dataRoot(const QString &fileName)
{
    if (const auto root = resolveDataRoot(fileName, defaultDataRootEnvironment()))
        return *root;
    if (g_abort)
        g_abort();
    std::exit(1);
}

QString catalogueFolder(const QString &dataRoot)
{
    const QString root = endingInSlash(dataRoot);
    for (const char *name : {"data", "Data", "DATA"}) {
        const QString folder = root + QLatin1String(name);
        if (QFileInfo(folder).isDir())
            return folder + QLatin1Char('/');
    }
    return root + QStringLiteral("data/");
}

} // namespace orv
