// The catalogue on a PostgreSQL server of the test's own: pg-init and pg-import as the
// administrator runs them, every table equal to the SQLite file afterwards (nulls kept,
// doubles to the bit), the team's own rows kept, and a failed load leaving the server as it was.

#include "ToolsTestSupport.h"

#include "CatalogueSource.h"
#include "Generator.h"
#include "PgImport.h"

#include "db/Connection.h"
#include "db/Schema.h"
#include "support/PgServer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <bit>

using namespace orv;
using namespace orv::catalogue;
using namespace orv::catalogue::test;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

ToolRun tool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(ORVALIS_CATALOGUE_TOOL), args);
    p.waitForFinished(300000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// One value as bytes that are equal exactly when the values are: the declared type decides
// how it is read, so an integer, a double (by its bits) and a text never compare equal.
QByteArray cell(const QVariant &v, db::ColumnType type)
{
    if (v.isNull())
        return QByteArrayLiteral("N");
    switch (type) {
    case db::ColumnType::Integer:
    case db::ColumnType::Logical: {
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        return ok && (v.typeId() != QMetaType::Double && v.typeId() != QMetaType::QString)
                   ? QByteArrayLiteral("I") + QByteArray::number(n)
                   : QByteArrayLiteral("?") + v.toString().toUtf8();
    }
    case db::ColumnType::Number:
        if (v.typeId() != QMetaType::Double)
            return QByteArrayLiteral("?") + v.toString().toUtf8();
        return QByteArrayLiteral("D") + QByteArray::number(std::bit_cast<quint64>(v.toDouble()), 16);
    case db::ColumnType::Alpha:
    case db::ColumnType::Memo:
        return QByteArrayLiteral("T") + v.toString().toUtf8();
    }
    return {};
}

QList<QByteArrayList> rowsOf(db::Connection &c, const db::TableDef &t, const QStringList &columns)
{
    QList<QByteArrayList> rows;
    db::Statement st(c, QStringLiteral("select %1 from %2").arg(columns.join(QLatin1Char(',')), t.name));
    while (st.step()) {
        QByteArrayList r;
        for (int i = 0; i < columns.size(); ++i)
            r << cell(st.value(i), t.column(columns[i])->type);
        rows << r;
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Every catalogue table of the file and of the server hold the same rows.
::testing::AssertionResult sameAsFile(const QString &dataFolder, db::Connection &server)
{
    db::Connection file;
    file.openFile(dataFolder + QStringLiteral("/catalogue.sqlite"), db::OpenMode::ReadOnly);
    int tables = 0;
    for (const db::TableDef &t : db::schema()) {
        if (t.database != db::Database::Catalogue || !file.tableExists(t.name))
            continue;
        QStringList columns;
        for (const QString &c : file.tableColumns(t.name))
            if (t.column(c))
                columns << c;
        const QList<QByteArrayList> a = rowsOf(file, t, columns), b = rowsOf(server, t, columns);
        if (a.size() != b.size())
            return ::testing::AssertionFailure() << qPrintable(t.name) << ": " << a.size() << " rows in the file, "
                                                 << b.size() << " on the server";
        for (qsizetype i = 0; i < a.size(); ++i)
            if (a[i] != b[i])
                return ::testing::AssertionFailure() << qPrintable(t.name) << " differs:\n  file:   "
                                                     << a[i].join('|').toStdString() << "\n  server: "
                                                     << b[i].join('|').toStdString();
        ++tables;
    }
    if (tables < 20)
        return ::testing::AssertionFailure() << "only " << tables << " tables compared";
    return ::testing::AssertionSuccess();
}

QString copyFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const char *f : {"catalogue.sqlite", "user.sqlite"})
        QFile::copy(from + QLatin1Char('/') + QLatin1String(f), to + QLatin1Char('/') + QLatin1String(f));
    return to;
}

} // namespace

TEST(PgImport, DemoAndGeneratedCatalogueEqualTheFileRowByRow)
{
    ORV_PG_DATABASE(conninfo);
    QString error;
    const QString demo = demoDataFolder(&error);
    ASSERT_TRUE(error.isEmpty()) << qPrintable(error);
    QTemporaryDir dir;
    GeneratorOptions o;
    o.materials = 60;
    o.seed = 11;
    generateCatalogue(readCatalogueSource(sourceFolder()), dir.path(), o);

    const ToolRun init = tool({QStringLiteral("pg-init"), conninfo});
    ASSERT_EQ(init.exitCode, 0) << qPrintable(init.err);
    EXPECT_TRUE(init.out.startsWith(QStringLiteral("Databáze připravena"))) << qPrintable(init.out);
    db::Connection server;
    for (const QString &folder : {demo, dir.path()}) {
        SCOPED_TRACE(folder.toStdString());
        const ToolRun r = tool({QStringLiteral("pg-import"), folder, conninfo});
        ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("Katalog nahrán na server: 25 tabulek"))) << qPrintable(r.out);
        EXPECT_TRUE(r.out.contains(QStringLiteral("statistiky obnoveny"))) << qPrintable(r.out);
        server.openServer(conninfo);
        EXPECT_TRUE(sameAsFile(folder, server));
        // The kinds of property came from the user file the first time only.
        EXPECT_EQ(server.scalar(QStringLiteral("select count(*) from PropType")).toLongLong(),
                  count(*openBoth(folder), QStringLiteral("select count(*) from usr.PropType")));
        EXPECT_EQ(r.out.contains(QStringLiteral("Druhy vlastností doplněny")), folder == demo) << qPrintable(r.out);
        // The program's indexes are there, the staging schema is gone.
        EXPECT_GE(server.scalar(QStringLiteral("select count(*) from pg_indexes where schemaname = 'orvalis'")).toInt(), 60);
        EXPECT_EQ(server.scalar(QStringLiteral("select count(*) from pg_namespace where nspname = 'orv_import'")).toInt(), 0);
        server.close();
    }
}

TEST(PgImport, TheTeamsOwnRowsStayAndFollowARenumbering)
{
    ORV_PG_DATABASE(conninfo);
    QTemporaryDir dir;
    GeneratorOptions o;
    o.materials = 20; // materials 1000..1019
    generateCatalogue(readCatalogueSource(sourceFolder()), dir.path(), o);
    pgImport(demoDataFolder(), conninfo);
    db::Connection server;
    server.openServer(conninfo);
    // An own material under a number the next edition uses, with a note and a user's note.
    server.exec(QStringLiteral("insert into Notices (Number, Notice) values (900001, 'Dodávat jen žíhané')"));
    server.exec(QStringLiteral("insert into Mat (Number, Name, Private, NoticeNo) values (1005, 'Firemní ocel F1', 'A', 900001)"));
    server.exec(QStringLiteral("insert into Norms (Number, Name, Label, MaterialNo) values (900001, 'PN', 'F1', 1005)"));
    server.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (1, 1005, 'Ověřeno zkouškou')"));
    // A group property of the team's and a kind it renamed.
    server.exec(QStringLiteral("insert into PropType (Number, Name, GroupType) values (9001, 'Pevnost firemní', 'A')"));
    server.exec(QStringLiteral("update PropType set Name = 'Mez kluzu (týmová)' where Number = 2"));
    const QString stamps = QStringLiteral("select (select ChangedAt::text from Mat where Name = 'Firemní ocel F1') || ' ' || "
                                          "(select ChangedAt::text from UserNotices where NUMBER = 1)");
    const QString stamped = server.scalar(stamps).toString();
    ASSERT_FALSE(stamped.isEmpty());
    server.close();

    const ToolRun r = tool({QStringLiteral("pg-import"), dir.path(), conninfo});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Vlastní materiály týmu zachovány: 1."))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("1005 → 1020"))) << qPrintable(r.out);
    server.openServer(conninfo);
    EXPECT_EQ(server.scalar(QStringLiteral("select Name from Mat where Number = 1020")).toString(), QStringLiteral("Firemní ocel F1"));
    EXPECT_EQ(server.scalar(QStringLiteral("select Label from Norms where MaterialNo = 1020")).toString(), QStringLiteral("F1"));
    EXPECT_EQ(server.scalar(QStringLiteral("select MATERIALNO from UserNotices where NUMBER = 1")).toInt(), 1020);
    EXPECT_EQ(server.scalar(QStringLiteral("select n.Notice from Mat m join Notices n on n.Number = m.NoticeNo where m.Number = 1020"))
                  .toString(),
              QStringLiteral("Dodávat jen žíhané"));
    EXPECT_EQ(server.scalar(QStringLiteral("select count(*) from Mat where Private is distinct from 'A'")).toInt(), 20);
    EXPECT_EQ(server.scalar(QStringLiteral("select Name from PropType where Number = 9001")).toString(), QStringLiteral("Pevnost firemní"));
    EXPECT_EQ(server.scalar(QStringLiteral("select Name from PropType where Number = 2")).toString(), QStringLiteral("Mez kluzu (týmová)"));
    // Moved, not changed: the material and the note still say when their author changed them.
    EXPECT_EQ(server.scalar(stamps).toString(), stamped);
}

TEST(PgImport, AFailedLoadLeavesTheServerAsItWas)
{
    ORV_PG_DATABASE(conninfo);
    const QString demo = demoDataFolder();
    pgImport(demo, conninfo);
    db::Connection server;
    server.openServer(conninfo);
    // An index of the administrator's own that the damaged edition below cannot satisfy.
    server.exec(QStringLiteral("create unique index admin_tree_label on Tree (Label)"));
    server.close();

    struct Damage {
        const char *what;
        const char *sql;
    };
    const Damage damages[] = {
        // A text in a number column of the last table: COPY refuses it.
        {"text in a number column", "update MatSources set MaterialNo = 'x' where Number = (select max(Number) from MatSources)"},
        // Found only when the indexes are made again, after the rows were replaced.
        {"duplicate under a unique index", "insert into Tree (NUMBER, LABEL) select NUMBER + 1, LABEL from Tree"},
    };
    QTemporaryDir dir;
    int n = 0;
    for (const Damage &d : damages) {
        SCOPED_TRACE(d.what);
        const QString folder = copyFolder(demo, dir.filePath(QString::number(++n)));
        SqliteFile(folder + QStringLiteral("/catalogue.sqlite")).exec(QString::fromUtf8(d.sql));
        const ToolRun r = tool({QStringLiteral("pg-import"), folder, conninfo});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Nahrání katalogu selhalo"))) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Server zůstal beze změny."))) << qPrintable(r.err);
        server.openServer(conninfo);
        EXPECT_TRUE(sameAsFile(demo, server));
        EXPECT_EQ(server.scalar(QStringLiteral("select count(*) from pg_indexes where indexname = 'admin_tree_label'")).toInt(), 1);
        EXPECT_EQ(server.scalar(QStringLiteral("select count(*) from pg_namespace where nspname = 'orv_import'")).toInt(), 0);
        server.close();
    }
}

TEST(PgImport, RefusalsSayWhatIsWrongInCzech)
{
    ORV_PG_DATABASE(conninfo);
    const orv::test::PgServer &pg = orv::test::PgServer::instance();
    ToolRun r = tool({QStringLiteral("pg-import"), demoDataFolder(), pg.conninfo(QStringLiteral("no_such_database"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Nelze se připojit k serveru"))) << qPrintable(r.err);
    // A database nobody set up: the tool says what to run first.
    orv::test::PgServer::instance().adminExec(QStringLiteral("create database bare template template0"));
    r = tool({QStringLiteral("pg-import"), demoDataFolder(), pg.conninfo(QStringLiteral("bare"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("orv_catalogue pg-init"))) << qPrintable(r.err);
    QTemporaryDir empty;
    r = tool({QStringLiteral("pg-import"), empty.path(), conninfo});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("neexistuje"))) << qPrintable(r.err);
    // Setting up twice is harmless.
    EXPECT_EQ(tool({QStringLiteral("pg-init"), conninfo}).exitCode, 0);
    EXPECT_EQ(tool({QStringLiteral("pg-init"), conninfo}).exitCode, 0);
}

TEST(PgImport, ALoadPresetsTheEngineersSettingsAndNumbersNewRowsAboveIt)
{
    ORV_PG_DATABASE(conninfo);
    ASSERT_EQ(tool({QStringLiteral("pg-import"), demoDataFolder(), conninfo}).exitCode, 0);
    db::Connection server;
    server.openServer(conninfo, db::ServerSession::Administration);
    db::Connection file;
    file.openFile(demoDataFolder() + QStringLiteral("/user.sqlite"), db::OpenMode::ReadOnly);
    for (const char *t : {"Setup", "UserChemComp", "UserMechProp", "SetupChemComp"}) {
        const QString count = QStringLiteral("select count(*) from ") + QString::fromLatin1(t);
        EXPECT_EQ(server.scalar(count).toInt(), file.scalar(count).toInt()) << t;
    }
    const qint64 highest = server.scalar(QStringLiteral("select max(Number) from Mat")).toLongLong();
    EXPECT_GT(server.scalar(QStringLiteral("select nextval('orvalis.mat_number')")).toLongLong(), highest);
    // The administrator's own settings in the template stay through a second load.
    server.exec(QStringLiteral("update Setup set Value = '55'"));
    ASSERT_EQ(tool({QStringLiteral("pg-import"), demoDataFolder(), conninfo}).exitCode, 0);
    EXPECT_EQ(server.scalar(QStringLiteral("select min(Value) || max(Value) from Setup")).toString(), u"5555");
}

TEST(PgImport, AddUserMakesALoginOfTheGroupWithTheNameQuotedByTheServer)
{
    ORV_PG_DATABASE(conninfo);
    const QString name = QStringLiteral("o'Neil\"; drop table Mat; --");
    ToolRun r = tool({QStringLiteral("pg-add-user"), conninfo, name});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("vytvořen"))) << qPrintable(r.out);
    db::Connection server;
    server.openServer(conninfo, db::ServerSession::Administration);
    const QVariantMap n{{QStringLiteral("n"), name}};
    EXPECT_EQ(server.scalar(QStringLiteral("select count(*) from pg_roles where rolname = :n and rolcanlogin "
                                           "and pg_has_role(rolname, 'orvalis_users', 'MEMBER')"), n).toInt(), 1);
    EXPECT_TRUE(server.tableExists(QStringLiteral("Mat")));
    r = tool({QStringLiteral("pg-add-user"), conninfo, name});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("už na serveru byl"))) << qPrintable(r.out);
    r = tool({QStringLiteral("pg-add-user"), conninfo, QStringLiteral(" ")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("prázdné"))) << qPrintable(r.err);
}
