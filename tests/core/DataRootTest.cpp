#include "core/DataRoot.h"
#include "core/Paths.h"
#include "core/Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using orv::MountedVolume;

namespace {

class DataRootTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;

    // A mounted volume at <tmp>/<name>, optionally holding the catalogue file.
    MountedVolume stage(const QString &name, const QByteArray &fs, bool withFile,
                        const QByteArray &device = "/dev/sdz1")
    {
        const QString root = dir.path() + QLatin1Char('/') + name;
        QDir().mkpath(root + QStringLiteral("/Zeb18/Data"));
        if (withFile)
            putFile(root);
        return {root, fs, device};
    }
    static void putFile(const QString &root)
    {
        QFile f(root + QStringLiteral("/Zeb18/Data/catalogue.sqlite"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    orv::DataRootEnvironment env(int onMedium, QList<MountedVolume> volumes)
    {
        orv::DataRootEnvironment e;
        e.dataOnMedium = [onMedium] { return onMedium; };
        e.volumes = [volumes] { return volumes; };
        e.programFolder = dir.path() + QStringLiteral("/prog");
        return e;
    }
};

TEST_F(DataRootTest, OpticalVolumesAreRecognisedByFileSystemOrDevice)
{
    EXPECT_TRUE(orv::isOpticalVolume({"/media/a", "iso9660", "/dev/loop3"}));
    EXPECT_TRUE(orv::isOpticalVolume({"/media/a", "UDF", "/dev/loop3"}));
    EXPECT_TRUE(orv::isOpticalVolume({"/media/a", "ext4", "/dev/sr1"}));
    EXPECT_FALSE(orv::isOpticalVolume({"/media/a", "vfat", "/dev/sdb1"}));
    EXPECT_FALSE(orv::isOpticalVolume({"/", "ext4", "/dev/sda1"}));
}

TEST_F(DataRootTest, LaterOfTwoMediaWinsWhateverTheListingOrder)
{
    const auto d = stage("cdrom1", "iso9660", true);
    const auto e = stage("cdrom2", "udf", true);
    const QString rel = orv::mediumFilePath(QStringLiteral("catalogue.sqlite"));
    EXPECT_EQ(orv::findInstallationMedium(rel, {e, d}), e.rootPath + QLatin1Char('/'));
    EXPECT_EQ(orv::findInstallationMedium(rel, {d, e}), e.rootPath + QLatin1Char('/'));

    const auto root = orv::resolveDataRoot(QStringLiteral("catalogue.sqlite"), env(1, {e, d}));
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(*root, e.rootPath + QStringLiteral("/Zeb18/"));
    EXPECT_TRUE(root->endsWith(QLatin1Char('/')));
    EXPECT_EQ(orv::catalogueFolder(*root), e.rootPath + QStringLiteral("/Zeb18/Data/"));
}

TEST_F(DataRootTest, OnlyOpticalVolumesHoldingTheFileCount)
{
    const auto usb = stage("usb", "vfat", true);          // holds the file, not optical
    const auto empty = stage("cdrom9", "iso9660", false); // optical, later, but empty
    const auto disc = stage("cdrom0", "ext2", true, "/dev/sr0");
    const QString rel = orv::mediumFilePath(QStringLiteral("catalogue.sqlite"));
    EXPECT_EQ(orv::findInstallationMedium(rel, {usb, empty, disc}), disc.rootPath + QLatin1Char('/'));
    EXPECT_EQ(orv::findInstallationMedium(rel, {usb, empty}), QString());
    EXPECT_EQ(orv::findInstallationMedium(rel, {}), QString());
}

TEST_F(DataRootTest, AnyValueButOneTakesTheProgramFolder)
{
    const auto d = stage("cdrom", "iso9660", true);
    for (int value : {0, 2, -1}) {
        const auto root = orv::resolveDataRoot(QStringLiteral("catalogue.sqlite"), env(value, {d}));
        ASSERT_TRUE(root.has_value());
        EXPECT_EQ(*root, dir.path() + QStringLiteral("/prog/")) << value;
    }
}

TEST_F(DataRootTest, MissingMediumAsksAgainUntilInsertedOrAbandoned)
{
    auto d = stage("cdrom", "iso9660", false);
    auto e = env(1, {d});

    int asked = 0;
    QString text;
    e.askForMedium = [&](const QString &t) {
        ++asked;
        text = t;
        if (asked == 2)
            putFile(d.rootPath); // the user inserts the disc, then presses OK
        return 1;
    };
    const auto root = orv::resolveDataRoot(QStringLiteral("catalogue.sqlite"), e);
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(*root, d.rootPath + QStringLiteral("/Zeb18/"));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(text, QStringLiteral("Nebylo nalezeno instalační CD.\r\r Vložte prosím do CD-ROM instalační disk."));

    asked = 0;
    e.askForMedium = [&](const QString &) { ++asked; return 3; };
    EXPECT_FALSE(orv::resolveDataRoot(QStringLiteral("other.sqlite"), e).has_value());
    EXPECT_EQ(asked, 1);

    e.askForMedium = nullptr; // nobody to ask: give up instead of looping
    EXPECT_FALSE(orv::resolveDataRoot(QStringLiteral("other.sqlite"), e).has_value());
}

TEST_F(DataRootTest, DefaultsReadTheMachineRegistryAndInjectedVolumes)
{
    const QByteArray old = qgetenv("ORVALIS_MACHINE_REGISTRY");
    const QString regPath = dir.path() + QStringLiteral("/machine.ini");
    qputenv("ORVALIS_MACHINE_REGISTRY", regPath.toUtf8());
    orv::setProgramFolder(dir.path() + QStringLiteral("/prog"));

    // No registry file at all: the catalogue is on disk.
    EXPECT_EQ(orv::dataRoot(QStringLiteral("catalogue.sqlite")), dir.path() + QStringLiteral("/prog/"));

    orv::Registry(orv::Registry::Scope::Machine).writeInteger(orv::installKey(), orv::install::dataOnMedium(), 1);
    const auto d = stage("sr0", "udf", true);
    orv::setDefaultVolumeLister([d] { return QList<MountedVolume>{d}; });
    EXPECT_EQ(orv::dataRoot(QStringLiteral("catalogue.sqlite")), d.rootPath + QStringLiteral("/Zeb18/"));

    orv::setDefaultVolumeLister(nullptr);
    orv::setProgramFolder(QString());
    if (old.isNull())
        qunsetenv("ORVALIS_MACHINE_REGISTRY");
    else
        qputenv("ORVALIS_MACHINE_REGISTRY", old);
}

TEST_F(DataRootTest, CatalogueFolderPrefersTheSpellingPresent)
{
    const QString root = dir.path() + QStringLiteral("/root/");
    EXPECT_EQ(orv::catalogueFolder(root), root + QStringLiteral("data/"));
    QDir().mkpath(root + QStringLiteral("Data"));
    EXPECT_EQ(orv::catalogueFolder(root), root + QStringLiteral("Data/"));
    EXPECT_EQ(orv::catalogueFolder(dir.path() + QStringLiteral("/root")), root + QStringLiteral("Data/"));
}

} // namespace
