#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(PathsTest, WritableProgramFolderKeepsEverythingBesideTheProgram)
{
    QTemporaryDir dir;
    orv::setProgramFolder(dir.path());
    EXPECT_EQ(orv::programFolder(), dir.path() + QLatin1Char('/'));
    EXPECT_TRUE(orv::programFolderWritable());
    EXPECT_EQ(orv::userFolder(), orv::programFolder());
    EXPECT_EQ(orv::settingsFilePath(), dir.path() + QStringLiteral("/Zeb.ini"));
    ASSERT_TRUE(orv::prepareUserFolder());
    EXPECT_TRUE(QFileInfo(dir.path() + QStringLiteral("/data")).isDir());
    orv::setProgramFolder(QString());
}

TEST(PathsTest, ReadOnlyProgramFolderGetsAPerUserCopy)
{
    QTemporaryDir prog, home;
    QDir().mkpath(prog.path() + QStringLiteral("/data"));
    {
        QFile db(prog.path() + QStringLiteral("/data/user.sqlite"));
        ASSERT_TRUE(db.open(QIODevice::WriteOnly));
        db.write("shipped");
        QFile ini(prog.path() + QStringLiteral("/Zeb.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    }
    ::chmod(QFile::encodeName(prog.path() + QStringLiteral("/data")).constData(), 0555);
    ::chmod(QFile::encodeName(prog.path()).constData(), 0555);
    const QByteArray old = qgetenv("ORVALIS_USER_DATA");
    qputenv("ORVALIS_USER_DATA", home.path().toUtf8());
    orv::setProgramFolder(prog.path());

    // Permissions do not stop root; the folder is then taken as read-only by decree.
    const bool writable = orv::programFolderWritable();
    if (writable)
        orv::assumeProgramFolderWritable(false);
    {
        EXPECT_EQ(orv::userFolder(), home.path() + QLatin1Char('/'));
        EXPECT_EQ(orv::settingsFilePath(), home.path() + QStringLiteral("/Zeb.ini"));
        ASSERT_TRUE(orv::prepareUserFolder());
        QFile copy(home.path() + QStringLiteral("/data/user.sqlite"));
        ASSERT_TRUE(copy.open(QIODevice::ReadWrite)); // the copy can be written
        EXPECT_EQ(copy.readAll(), QByteArray("shipped"));
        copy.seek(0);
        copy.write("changed");
        copy.close();
        ASSERT_TRUE(orv::prepareUserFolder()); // a second start keeps the user's copy
        QFile again(home.path() + QStringLiteral("/data/user.sqlite"));
        ASSERT_TRUE(again.open(QIODevice::ReadOnly));
        EXPECT_EQ(again.readAll(), QByteArray("changed"));
        EXPECT_TRUE(QFileInfo::exists(home.path() + QStringLiteral("/Zeb.ini")));
    }

    ::chmod(QFile::encodeName(prog.path()).constData(), 0755);
    ::chmod(QFile::encodeName(prog.path() + QStringLiteral("/data")).constData(), 0755);
    orv::setProgramFolder(QString());
    if (old.isNull())
        qunsetenv("ORVALIS_USER_DATA");
    else
        qputenv("ORVALIS_USER_DATA", old);
}

} // namespace
