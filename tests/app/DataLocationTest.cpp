// Where the program finds its data at start-up: the catalogue on the installation medium
// (spelled "Zeb18/Data/"), a system-wide installation whose program folder is read-only with
// the user data in the per-user folder, and an unattended run without the medium.

#include "app/StartUp.h"
#include "core/DataRoot.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "db/DatabaseFiles.h"

#include "support/Unprivileged.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv::app;

namespace {

constexpr const char *kChild = "ORV_DATA_LOCATION_TEST_DIR";

void setMachineRegistry(const QString &file, int dataOnMedium)
{
    qputenv("ORVALIS_MACHINE_REGISTRY", file.toUtf8());
    orv::Registry(orv::Registry::Scope::Machine).writeInteger(orv::installKey(), orv::install::dataOnMedium(), dataOnMedium);
}

// A program folder with the user file and, on the "medium", the catalogue.
class MediumTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString prog() const { return dir.path() + QStringLiteral("/prog/"); }
    QString medium() const { return dir.path() + QStringLiteral("/cdrom/"); }

    void SetUp() override
    {
        orv::db::createDatabaseFile(prog() + QStringLiteral("data/user.sqlite"), orv::db::Database::User);
        orv::db::createDatabaseFile(medium() + QStringLiteral("Zeb18/Data/catalogue.sqlite"), orv::db::Database::Catalogue);
        orv::setProgramFolder(prog());
        setMachineRegistry(dir.path() + QStringLiteral("/machine.ini"), 1);
        qputenv("ORVALIS_USER_REGISTRY", (dir.path() + QStringLiteral("/user.ini")).toUtf8());
        qputenv("ORVALIS_PREVIOUS_VERSION_DIR", (dir.path() + QStringLiteral("/old")).toUtf8());
        const QString root = medium();
        orv::setDefaultVolumeLister([root] {
            return QList<orv::MountedVolume>{{root, QByteArrayLiteral("iso9660"), QByteArrayLiteral("/dev/sr0")}};
        });
    }
    void TearDown() override
    {
        orv::setDefaultVolumeLister(nullptr);
        orv::setDefaultMediumQuestion(nullptr);
        orv::setProgramFolder(QString());
    }
};

TEST_F(MediumTest, TheCatalogueIsOpenedWhereTheLookupFoundIt)
{
    const DataFiles files = locateDataFiles();
    EXPECT_EQ(files.dataRoot, medium() + QStringLiteral("Zeb18/"));
    EXPECT_EQ(files.catalogueFile, medium() + QStringLiteral("Zeb18/Data/catalogue.sqlite"));

    StartOptions options;
    options.quitAfterFrame = true;
    StartUp startUp(options);
    EXPECT_EQ(startUp.run(), 0);
}

// Without the medium an unattended run must not wait on the question: it fails with the
// message. Run in a process of its own, so that a hang is seen as a failure and not as a
// test that never ends.
TEST_F(MediumTest, UnattendedRunWithoutTheMediumEndsWithTheMessage)
{
    if (orv::test::childFolder(kChild).isEmpty()) {
        const orv::test::ChildRun r = orv::test::runTestInChild(kChild, dir.path(), {}, 30000, false);
        EXPECT_TRUE(r.finished) << "the run waited for an answer";
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.output);
        return;
    }
    orv::setDefaultVolumeLister([] { return QList<orv::MountedVolume>{}; });
    StartOptions options;
    options.quitAfterFrame = true;
    StartUp startUp(options);
    try {
        startUp.run();
        FAIL() << "started without the medium";
    } catch (const StartupError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Nebylo nalezeno instalační CD."))) << qPrintable(e.message());
    }
}

// A system-wide installation: the program folder (with the catalogue and the shipped user
// file) cannot be written; the first start copies the user data to the per-user folder and
// every start works with the read-only catalogue beside the writable copy.
TEST(SystemWideInstall, ReadOnlyProgramFolderStartsTwiceWithUserDataInTheXdgFolder)
{
    const QString child = orv::test::childFolder(kChild);
    if (child.isEmpty()) {
        QTemporaryDir dir;
        const QString prog = dir.path() + QStringLiteral("/prog/");
        orv::db::createDatabaseFiles(prog + QStringLiteral("data/catalogue.sqlite"), prog + QStringLiteral("data/user.sqlite"));
        QDir().mkpath(dir.path() + QStringLiteral("/xdg"));
        QDir().mkpath(dir.path() + QStringLiteral("/etc"));
        orv::test::openPathForOthers(dir.path());
        orv::test::giveToChild(dir.path() + QStringLiteral("/xdg"));
        orv::test::giveToChild(dir.path() + QStringLiteral("/etc"));
        const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const auto folder = readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        for (const char *f : {"data/catalogue.sqlite", "data/user.sqlite"})
            QFile::setPermissions(prog + QLatin1String(f), readOnly);
        QFile::setPermissions(prog + QStringLiteral("data"), folder);
        QFile::setPermissions(prog, folder);
        const orv::test::ChildRun r = orv::test::runTestInChild(kChild, dir.path());
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.output);
        for (const QString &d : {prog, prog + QStringLiteral("data")})
            QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return;
    }
    const QString prog = child + QStringLiteral("/prog/");
    orv::setProgramFolder(prog);
    qputenv("XDG_DATA_HOME", (child + QStringLiteral("/xdg")).toUtf8());
    qunsetenv("ORVALIS_USER_DATA");
    qputenv("ORVALIS_MACHINE_REGISTRY", (child + QStringLiteral("/etc/machine.ini")).toUtf8());
    qputenv("ORVALIS_USER_REGISTRY", (child + QStringLiteral("/etc/user.ini")).toUtf8());
    qputenv("ORVALIS_PREVIOUS_VERSION_DIR", (child + QStringLiteral("/old")).toUtf8());
    ASSERT_FALSE(orv::programFolderWritable());
    for (int start = 1; start <= 2; ++start) {
        StartOptions options;
        options.quitAfterFrame = true;
        StartUp startUp(options);
        EXPECT_EQ(startUp.run(), 0) << "start " << start;
    }
    EXPECT_TRUE(QFile::exists(child + QStringLiteral("/xdg/orvalis/data/user.sqlite")));
}

} // namespace
