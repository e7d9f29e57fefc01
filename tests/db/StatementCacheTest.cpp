#include "TestDb.h"

#include "db/DataSet.h"

#include <QFile>

using namespace orv::db;
using orv::db::test::TempDb;

namespace {

QStringList columns(Connection &c, const QString &sql)
{
    Statement st(c, sql);
    QStringList out;
    for (int i = 0; i < st.columnCount(); ++i)
        out << st.columnName(i);
    return out;
}

} // namespace

TEST(StatementCache, ReusedStatementStartsResetWithNullParametersAndNestedUsesGetTheirOwn)
{
    TempDb db;
    db.user.exec(QStringLiteral("create table Probe (A integer, B text)"));
    const QString insert = QStringLiteral("insert into Probe (A, B) values (:A, :B)");
    {
        Statement st(db.user, insert);
        st.bind(QStringLiteral("A"), 1);
        st.bind(QStringLiteral("B"), QStringLiteral("jedna"));
        st.execute();
    }
    EXPECT_GE(db.user.cachedStatementCount(), 1);
    {
        Statement st(db.user, insert); // B left unbound: it must be null, not "jedna"
        st.bind(QStringLiteral("A"), 2);
        st.execute();
    }
    EXPECT_EQ(db.user.scalar(QStringLiteral("select count(*) from Probe where A = 2 and B is null")).toInt(), 1);

    // A statement abandoned in the middle of its rows comes back from the start.
    const QString select = QStringLiteral("select A from Probe order by A");
    {
        Statement st(db.user, select);
        ASSERT_TRUE(st.step());
        EXPECT_EQ(st.value(0).toInt(), 1);
    }
    Statement outer(db.user, select);
    ASSERT_TRUE(outer.step());
    EXPECT_EQ(outer.value(0).toInt(), 1);
    {
        // The same text while the first is still stepping: a statement of its own.
        Statement inner(db.user, select);
        ASSERT_TRUE(inner.step());
        EXPECT_EQ(inner.value(0).toInt(), 1);
    }
    ASSERT_TRUE(outer.step());
    EXPECT_EQ(outer.value(0).toInt(), 2);

    // Many different texts: the number kept stays bounded.
    for (int i = 0; i < Connection::statementCacheLimit * 2; ++i)
        db.user.scalar(QStringLiteral("select %1").arg(i));
    EXPECT_LE(db.user.cachedStatementCount(), Connection::statementCacheLimit);
}

TEST(StatementCache, SchemaChangesOnThisOrAnotherConnectionAreSeenBeforeTheFirstStep)
{
    TempDb db;
    db.user.exec(QStringLiteral("create table Probe (A integer)"));
    const QString all = QStringLiteral("select * from Probe");
    EXPECT_EQ(columns(db.user, all), QStringList{QStringLiteral("A")});

    db.user.exec(QStringLiteral("alter table Probe add column B text"));
    EXPECT_EQ(columns(db.user, all), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));

    // Changed through the other connection (the same file, attached there): the engine learns
    // of it at the first step, reused statement or not; after that the text is never handed
    // out with the old column list again.
    db.cat.exec(QStringLiteral("alter table Probe add column C text"));
    {
        Statement st(db.user, all);
        st.step();
        EXPECT_EQ(st.columnCount(), 3);
    }
    EXPECT_EQ(columns(db.user, all), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));

    // A data set loads the columns the table has now.
    DataSet ds(QStringLiteral("Probe"));
    ds.setConnection(&db.user);
    ds.setSql(all);
    ds.open();
    EXPECT_NE(ds.findField(QStringLiteral("C")), nullptr);
    ds.close();

    // A dropped table is reported where the statement is made, as without reuse.
    db.user.exec(QStringLiteral("drop table Probe"));
    EXPECT_THROW(Statement(db.user, all), DbError);
    EXPECT_THROW(Statement(db.user, QStringLiteral("insert into Probe (A) values (1)")), DbError);
}

TEST(StatementCache, AttachDetachAndReopenDoNotReuseStatementsOfTheOldDatabases)
{
    TempDb db;
    QTemporaryDir dir;
    const QString extraFile = dir.filePath(QStringLiteral("extra.sqlite"));
    {
        Connection c;
        c.openFile(extraFile, OpenMode::Create);
        c.exec(QStringLiteral("create table Extra (Name text); insert into Extra values ('druhý')"));
    }
    const QString count = QStringLiteral("select count(*) from sqlite_master where name = 'Extra'");
    EXPECT_EQ(db.user.scalar(count).toInt(), 0);
    db.user.attach(extraFile, QStringLiteral("extra"));
    EXPECT_EQ(db.user.cachedStatementCount(), 0);
    EXPECT_EQ(db.user.scalar(QStringLiteral("select Name from Extra")).toString(), u"druhý");

    db.user.exec(QStringLiteral("detach database extra"));
    EXPECT_THROW(db.user.scalar(QStringLiteral("select Name from Extra")), DbError);
    // Attached again under the same name through SQL text.
    db.user.exec(QStringLiteral("attach database :f as extra"), {{QStringLiteral("f"), extraFile}});
    EXPECT_EQ(db.user.scalar(QStringLiteral("select Name from Extra")).toString(), u"druhý");

    // Closing finalizes the kept statements: the file is free at once and a reopened
    // connection prepares against the new file.
    EXPECT_GT(db.user.cachedStatementCount(), 0);
    db.user.close();
    EXPECT_EQ(db.user.cachedStatementCount(), 0);
    EXPECT_THROW(Statement(db.user, count), DbError);
    db.user.openFile(extraFile);
    EXPECT_EQ(db.user.scalar(count).toInt(), 1);
}

TEST(StatementCache, StatementOutlivingItsConnectionIsFinalizedNotKept)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.sqlite"));
    auto c = std::make_unique<Connection>();
    c->openFile(file, OpenMode::Create);
    c->exec(QStringLiteral("create table T (A integer); insert into T values (7)"));
    auto st = std::make_unique<Statement>(*c, QStringLiteral("select A from T"));
    ASSERT_TRUE(st->step());
    c->close();
    EXPECT_EQ(c->cachedStatementCount(), 0);
    // Reopened on another file while the old statement is still alive: it must not be kept
    // for the new database when it finishes.
    c->openFile(dir.filePath(QStringLiteral("b.sqlite")), OpenMode::Create);
    EXPECT_EQ(st->value(0).toInt(), 7);
    st.reset();
    EXPECT_EQ(c->cachedStatementCount(), 0);
    EXPECT_THROW(Statement(*c, QStringLiteral("select A from T")), DbError);
    // And one outliving the Connection object itself.
    st = std::make_unique<Statement>(*c, QStringLiteral("select 1"));
    c.reset();
    st.reset();
    SUCCEED();
}
