#include "core/Paths.h"
#include "core/Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using orv::Registry;

namespace {

class RegistryTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }
};

TEST_F(RegistryTest, MissingFileKeyOrValueReadsAsZeroAndEmpty)
{
    Registry none(Registry::Scope::Machine, path("absent/registry.ini"));
    EXPECT_EQ(none.readInteger(orv::installKey(), orv::install::dataOnMedium()), 0);
    EXPECT_EQ(none.readString(orv::setupKey(), QStringLiteral("Firma")), QString());
    EXPECT_FALSE(none.keyExists(orv::productKey()));
    const auto c = orv::readInstalledComponents(none);
    EXPECT_FALSE(c.form || c.help || c.pdf || c.printouts || c.standardsInfo);

    Registry some(Registry::Scope::Machine, path("registry.ini"));
    ASSERT_TRUE(some.writeInteger(orv::installKey(), orv::install::help(), 1));
    EXPECT_EQ(some.readInteger(orv::installKey(), orv::install::pdf()), 0);
    EXPECT_EQ(some.readInteger(orv::setupKey(), orv::install::help()), 0); // other key
}

TEST_F(RegistryTest, ComponentFlagIsTrueOnlyForExactlyOne)
{
    Registry reg(Registry::Scope::Machine, path("registry.ini"));
    const QString key = orv::installKey();
    reg.writeInteger(key, orv::install::form(), 1);
    reg.writeInteger(key, orv::install::help(), 2);
    reg.writeString(key, orv::install::pdf(), QStringLiteral("ano"));
    reg.writeInteger(key, orv::install::printouts(), -1);
    reg.writeString(key, orv::install::standardsInfo(), QStringLiteral(" 1 "));

    Registry again(Registry::Scope::Machine, path("registry.ini")); // read back from disk
    EXPECT_EQ(again.readInteger(key, orv::install::pdf()), 0);     // not a number
    EXPECT_EQ(again.readInteger(key, orv::install::printouts()), -1);
    const auto c = orv::readInstalledComponents(again);
    EXPECT_TRUE(c.form);
    EXPECT_FALSE(c.help);
    EXPECT_FALSE(c.pdf);
    EXPECT_FALSE(c.printouts);
    EXPECT_TRUE(c.standardsInfo);
}

TEST_F(RegistryTest, InstallerRecordsOnlyWhatIsNotYetRecorded)
{
    Registry reg(Registry::Scope::Machine, path("etc/orvalis/registry.ini"));
    const QString key = orv::installKey();
    ASSERT_TRUE(reg.writeInteger(key, orv::install::dataOnMedium(), 1));
    ASSERT_TRUE(reg.writeInteger(key, orv::install::pdf(), 0));

    ASSERT_TRUE(orv::recordInstallation(reg));
    EXPECT_EQ(reg.readInteger(key, orv::install::dataOnMedium()), 1);
    EXPECT_EQ(reg.readInteger(key, orv::install::pdf()), 0);
    const auto c = orv::readInstalledComponents(reg);
    EXPECT_TRUE(c.form && c.help && c.printouts && c.standardsInfo);

    Registry fresh(Registry::Scope::Machine, path("fresh.ini"));
    ASSERT_TRUE(orv::recordInstallation(fresh));
    EXPECT_TRUE(fresh.hasValue(key, orv::install::dataOnMedium()));
    EXPECT_EQ(fresh.readInteger(key, orv::install::dataOnMedium()), 0);
    EXPECT_EQ(fresh.valueNames(key).size(), 6);
}

TEST_F(RegistryTest, KeyExistsWhenItHoldsValuesOrSubKeys)
{
    Registry user(Registry::Scope::User, path("user.ini"));
    EXPECT_FALSE(user.keyExists(orv::previousVersionKey()));
    user.writeString(QStringLiteral("ZEB 2.00"), QStringLiteral("x"), QStringLiteral("y"));
    EXPECT_FALSE(user.keyExists(orv::previousVersionKey())); // a longer name is another key
    user.writeString(QStringLiteral("ZEB 2.0\\SETUP"), QStringLiteral("Firma"), QStringLiteral("Ocel a.s."));
    EXPECT_TRUE(user.keyExists(orv::previousVersionKey()));
    EXPECT_TRUE(user.keyExists(QStringLiteral("ZEB 2.0\\SETUP")));
    EXPECT_EQ(user.readString(QStringLiteral("ZEB 2.0\\SETUP"), QStringLiteral("Firma")),
              QStringLiteral("Ocel a.s."));
}

TEST_F(RegistryTest, HandWrittenFileIsReadAndKeptReadable)
{
    QFile f(path("hand.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("; written by the administrator\n"
            "[software\\halmberg s.r.o\\ZEB 2.1 (Demoverze)\\Setup\\Install]\n"
            "data na cd = 1\n"
            "Pdf=1\n"
            "\n"
            "[SOFTWARE\\Halmberg s.r.o\\ZEB 2.1 (Demoverze)\\SETUP]\n"
            "Firma=Kovárna Třinec\n");
    f.close();

    Registry reg(Registry::Scope::Machine, path("hand.ini"));
    EXPECT_EQ(reg.readInteger(orv::installKey(), orv::install::dataOnMedium()), 1);
    EXPECT_EQ(reg.readString(orv::setupKey(), QStringLiteral("FIRMA")), QStringLiteral("Kovárna Třinec"));
    ASSERT_TRUE(orv::recordInstallation(reg));
    ASSERT_TRUE(reg.writeString(orv::setupKey(), QStringLiteral("Firma"), QStringLiteral("Ocel s.r.o.")));

    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral("; written by the administrator\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("data na cd = 1\nPdf=1\nFormular=1\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Firma=Ocel s.r.o.\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("Kovárna")));
    EXPECT_EQ(text.count(QLatin1Char('[')), 2); // no section was added twice
    EXPECT_EQ(reg.readInteger(orv::installKey(), orv::install::dataOnMedium()), 1);
    EXPECT_EQ(reg.valueNames(orv::installKey()).size(), 6);
}

TEST_F(RegistryTest, FilePathsFollowEnvironment)
{
    const QByteArray oldMachine = qgetenv("ORVALIS_MACHINE_REGISTRY");
    const QByteArray oldDirs = qgetenv("XDG_CONFIG_DIRS");
    const QByteArray oldUser = qgetenv("ORVALIS_USER_REGISTRY");
    const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");

    qunsetenv("ORVALIS_MACHINE_REGISTRY");
    qputenv("XDG_CONFIG_DIRS", "relative:/opt/etc/xdg:/etc/xdg");
    EXPECT_EQ(Registry::defaultFilePath(Registry::Scope::Machine), QStringLiteral("/opt/etc/xdg/orvalis/registry.ini"));
    qputenv("ORVALIS_MACHINE_REGISTRY", path("m.ini").toUtf8());
    EXPECT_EQ(Registry(Registry::Scope::Machine).filePath(), path("m.ini"));

    qunsetenv("ORVALIS_USER_REGISTRY");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    EXPECT_EQ(Registry::defaultFilePath(Registry::Scope::User), path("orvalis/registry.ini"));
    qputenv("ORVALIS_USER_REGISTRY", path("u.ini").toUtf8());
    EXPECT_EQ(Registry(Registry::Scope::User).filePath(), path("u.ini"));

    auto restore = [](const char *name, const QByteArray &value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    restore("ORVALIS_MACHINE_REGISTRY", oldMachine);
    restore("XDG_CONFIG_DIRS", oldDirs);
    restore("ORVALIS_USER_REGISTRY", oldUser);
    restore("XDG_CONFIG_HOME", oldHome);
}

TEST_F(RegistryTest, InstallerFallsBackToTheProgramFolder)
{
    const QByteArray oldMachine = qgetenv("ORVALIS_MACHINE_REGISTRY");
    const QByteArray oldDirs = qgetenv("XDG_CONFIG_DIRS");
    qunsetenv("ORVALIS_MACHINE_REGISTRY");
    QFile blocker(path("plain-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_DIRS", path("plain-file").toUtf8()); // cannot hold a folder
    orv::setProgramFolder(path("prog"));
    QDir().mkpath(path("prog"));

    EXPECT_EQ(Registry::defaultFilePath(Registry::Scope::Machine), path("plain-file/orvalis/registry.ini"));
    EXPECT_EQ(orv::installProgram(), path("prog/registry.ini"));
    // From now on the machine scope reads the file beside the program.
    EXPECT_EQ(Registry::defaultFilePath(Registry::Scope::Machine), path("prog/registry.ini"));
    EXPECT_TRUE(orv::readInstalledComponents(Registry(Registry::Scope::Machine)).help);

    qputenv("ORVALIS_MACHINE_REGISTRY", path("plain-file/m.ini").toUtf8());
    EXPECT_EQ(orv::installProgram(), QString()); // a file named on purpose is not replaced

    orv::setProgramFolder(QString());
    oldMachine.isNull() ? qunsetenv("ORVALIS_MACHINE_REGISTRY") : qputenv("ORVALIS_MACHINE_REGISTRY", oldMachine);
    oldDirs.isNull() ? qunsetenv("XDG_CONFIG_DIRS") : qputenv("XDG_CONFIG_DIRS", oldDirs);
}

TEST_F(RegistryTest, UnwritableLocationReportsFailure)
{
    QFile blocker(path("plain-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Registry reg(Registry::Scope::Machine, path("plain-file/orvalis/registry.ini"));
    EXPECT_FALSE(reg.writeInteger(orv::installKey(), orv::install::help(), 1));
    EXPECT_FALSE(orv::recordInstallation(reg));
    EXPECT_EQ(reg.readInteger(orv::installKey(), orv::install::help()), 0);
}

} // namespace
