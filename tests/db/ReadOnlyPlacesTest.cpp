// A catalogue where it cannot be written (a read-only folder, the installation medium, a
// system-wide program folder) beside a writable user file. The checks run in a child under an
// unprivileged user id when the tests run as root; see support/Unprivileged.h.

#include "db/Connection.h"
#include "db/DatabaseFiles.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"

#include "support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace orv::db;

namespace {

constexpr const char *kFolder = "ORV_READONLY_TEST_DIR";

// <root>/prog/data/catalogue.sqlite in a read-only folder; <root>/user/data/user.sqlite
// writable for the child.
QString prepareLayout(QTemporaryDir &dir)
{
    const QString root = dir.path();
    const QString prog = root + QStringLiteral("/prog/data");
    const QString user = root + QStringLiteral("/user/data");
    createDatabaseFile(prog + QStringLiteral("/catalogue.sqlite"), Database::Catalogue);
    createDatabaseFile(user + QStringLiteral("/user.sqlite"), Database::User);
    {
        Connection c;
        c.openFile(prog + QStringLiteral("/catalogue.sqlite"));
        c.exec(QStringLiteral("insert into Mat (Number, Name) values (1001, 'Ocel C45')"));
    }
    orv::test::openPathForOthers(root);
    for (const QString &d : {root + QStringLiteral("/user"), user})
        orv::test::giveToChild(d);
    orv::test::giveToChild(user + QStringLiteral("/user.sqlite"));
    QFile::setPermissions(prog + QStringLiteral("/catalogue.sqlite"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    for (const QString &d : {prog, root + QStringLiteral("/prog")})
        QFile::setPermissions(d, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                     | QFile::ReadOther | QFile::ExeOther);
    return root;
}

} // namespace

TEST(ReadOnlyCatalogue, BothSessionsOpenAndTheUserFileStaysWritable)
{
    const QString child = orv::test::childFolder(kFolder);
    if (child.isEmpty()) {
        QTemporaryDir dir;
        const QString root = prepareLayout(dir);
        const orv::test::ChildRun r = orv::test::runTestInChild(kFolder, root);
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.output);
        // Give the folders back so that the temporary folder can be removed.
        for (const QString &d : {root + QStringLiteral("/prog"), root + QStringLiteral("/prog/data")})
            QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return;
    }
    const QString cat = child + QStringLiteral("/prog/data/catalogue.sqlite");
    const QString user = child + QStringLiteral("/user/data/user.sqlite");
    ASSERT_TRUE(Connection::isReadOnlyLocation(cat)) << "the child must not be able to write the catalogue";
    for (Database primary : {Database::Catalogue, Database::User}) {
        Connection c;
        ASSERT_NO_THROW(c.open(cat, user, primary));
        EXPECT_TRUE(c.isReadOnly(Database::Catalogue));
        EXPECT_FALSE(c.isReadOnly(Database::User));
        EXPECT_EQ(c.scalar(QStringLiteral("select Name from Mat where Number=1001")).toString(), u"Ocel C45");
        c.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (:n, 1001, 'moje')"),
               {{QStringLiteral("n"), primary == Database::Catalogue ? 1 : 2}});
        EXPECT_THROW(c.exec(QStringLiteral("update Mat set Name='x'")), DbError);
    }
    Connection check;
    check.openFile(user);
    EXPECT_EQ(check.scalar(QStringLiteral("select count(*) from UserNotices")).toInt(), 2);

    // The program's data modules start on this layout.
    MainDataModule data(child + QStringLiteral("/prog/"), child + QStringLiteral("/user/"));
    OwnDataModule own(data);
    data.setSetupValue(QStringLiteral("USPESNOST"), QStringLiteral("75"));
    EXPECT_EQ(data.setupValue(QStringLiteral("USPESNOST")), u"75");
}

TEST(ReadOnlyCatalogue, ImmutableMediumFileAttachesBesideAWritableUserFile)
{
    // As the medium is read: the catalogue through an immutable URI, no locks, no journal.
    QTemporaryDir dir;
    const QString cat = dir.filePath(QStringLiteral("catalogue.sqlite"));
    const QString user = dir.filePath(QStringLiteral("user.sqlite"));
    createDatabaseFiles(cat, user);
    sqlite3 *db = nullptr;
    const QByteArray uri = QStringLiteral("file:%1?mode=ro&immutable=1").arg(cat).toUtf8();
    ASSERT_EQ(sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr), SQLITE_OK);
    sqlite3_close(db);
    Connection c;
    c.openFile(cat, OpenMode::ReadOnly);
    ASSERT_NO_THROW(c.attach(user, Connection::userSchema(), OpenMode::ReadWrite));
    c.exec(QStringLiteral("insert into Setup (Number, Items, Value) values (1, 'USPESNOST', '80')"));
    EXPECT_EQ(c.scalar(QStringLiteral("select Value from user.Setup")).toString(), u"80");
    EXPECT_THROW(c.exec(QStringLiteral("insert into Mat (Number) values (1)")), DbError);
}

TEST(ReadOnlyUserFile, OpensForReadingAndAWriteNamesTheUserFileInCzech)
{
    const QString child = orv::test::childFolder(kFolder);
    if (child.isEmpty()) {
        QTemporaryDir dir;
        const QString root = dir.path();
        createDatabaseFile(root + QStringLiteral("/cat/catalogue.sqlite"), Database::Catalogue);
        createDatabaseFile(root + QStringLiteral("/user/user.sqlite"), Database::User);
        orv::test::openPathForOthers(root);
        orv::test::giveToChild(root + QStringLiteral("/cat"));
        orv::test::giveToChild(root + QStringLiteral("/cat/catalogue.sqlite"));
        QFile::setPermissions(root + QStringLiteral("/user/user.sqlite"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(root + QStringLiteral("/user"), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                                  | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        const orv::test::ChildRun r = orv::test::runTestInChild(kFolder, root);
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.output);
        QFile::setPermissions(root + QStringLiteral("/user"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return;
    }
    const QString cat = child + QStringLiteral("/cat/catalogue.sqlite");
    const QString user = child + QStringLiteral("/user/user.sqlite");
    for (Database primary : {Database::User, Database::Catalogue}) {
        Connection c;
        ASSERT_NO_THROW(c.open(cat, user, primary));
        EXPECT_TRUE(c.isReadOnly(Database::User));
        EXPECT_EQ(c.scalar(QStringLiteral("select count(*) from Setup")).toInt(), 0);
        try {
            c.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (1, 1, 'moje')"));
            FAIL() << "a read-only user file was written";
        } catch (const DbError &e) {
            EXPECT_EQ(e.fileName(), user);
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("Do souboru databáze uživatelských dat nelze zapisovat")))
                << qPrintable(e.text());
        }
    }
}
