// The data layer on both engines: values go in and come back unchanged, Czech texts upper-case,
// match, fold and order alike, transactions nest and survive errors, and the server's failures
// become the layer's own errors.

#include "BothEngines.h"

#include "db/DataSet.h"
#include "db/ServerAudit.h"
#include "db/ServerSetup.h"
#include "db/WorkingCopies.h"
#include "db/engine/PgEngine.h"

#include <QTemporaryDir>

#include <cmath>
#include <random>
#include <cstring>
#include <limits>

using namespace orv::db;
using orv::db::test::BothEngines;

namespace {

const QString probeTable = QStringLiteral(
    "create table Probe (Number integer, Name text, Amount double precision, Flag smallint)");

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

class EngineValues : public BothEngines {};

TEST_P(EngineValues, ValuesComeBackAsTheyWentInThroughParametersAndBulkLoad)
{
    db.exec(probeTable);
    const QList<QVariantList> rows = {
        {1, QStringLiteral("Ocel 12 050 – žíhaná"), 0.1, 1},
        {2, QStringLiteral("it's a \"quote\"\\ back\tslash\nnew line"), 1e-300, 0},
        {3, QVariant(), -2.5e17, QVariant()},
        {4, QStringLiteral(""), std::nextafter(1.0, 2.0), 1},
        {5, QStringLiteral("Ψ → ∞"), QVariant(), 0},
    };
    // Rows 1-3 through a prepared insert with :names, the rest through the bulk load.
    for (int r = 0; r < 3; ++r)
        db.exec(QStringLiteral("insert into Probe (Number, Name, Amount, Flag) values (:n, :name, :amount, :flag)"),
                {{QStringLiteral("n"), rows[r][0]}, {QStringLiteral("NAME"), rows[r][1]},
                 {QStringLiteral("amount"), rows[r][2]}, {QStringLiteral("flag"), rows[r][3]}});
    int next = 3;
    db.copyIn(QStringLiteral("Probe"), {QStringLiteral("Number"), QStringLiteral("Name"), QStringLiteral("Amount"), QStringLiteral("Flag")},
              [&](QVariantList &row) {
                  if (next >= rows.size())
                      return false;
                  row = rows[next++];
                  return true;
              });
    Statement st(db, QStringLiteral("select Number, Name, Amount, Flag from Probe where Number >= :from order by Number"));
    st.bind(QStringLiteral(":From"), 1);
    ASSERT_EQ(st.columnCount(), 4);
    EXPECT_EQ(st.columnName(1), QStringLiteral("Name"));
    for (const QVariantList &want : rows) {
        ASSERT_TRUE(st.step());
        EXPECT_EQ(st.value(0).toInt(), want[0].toInt());
        EXPECT_EQ(st.isNull(1), want[1].isNull());
        EXPECT_EQ(st.value(1).toString(), want[1].toString());
        EXPECT_EQ(st.isNull(2), want[2].isNull());
        if (!want[2].isNull()) {
            EXPECT_TRUE(sameBits(st.value(2).toDouble(), want[2].toDouble())) << st.value(2).toDouble();
        }
        EXPECT_EQ(st.value(3), want[3].isNull() ? QVariant() : QVariant(want[3].toInt()));
    }
    EXPECT_FALSE(st.step());
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from Probe where Name is null")).toInt(), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("select max(Number) from Probe")).toInt(), 5);
    // Comparisons and sums come back as the integers the embedded engine gives.
    EXPECT_EQ(db.scalar(QStringLiteral("select Name is null from Probe where Number = 3")), QVariant(1));
    EXPECT_EQ(db.scalar(QStringLiteral("select sum(Number) from Probe")), QVariant(15));
}

TEST_P(EngineValues, StatementsCountChangesAndStepAgainAfterReset)
{
    db.exec(probeTable);
    Statement ins(db, QStringLiteral("insert into Probe (Number, Name) values (:n, :n)"));
    for (int i = 1; i <= 3; ++i) {
        ins.bind(1, i);
        EXPECT_EQ(ins.execute(), 1);
        ins.reset();
    }
    Statement upd(db, QStringLiteral("update Probe set Amount = 1.5 where Number > 1"));
    EXPECT_EQ(upd.execute(), 2);
    // A statement left in the middle of its rows while others run on the session.
    Statement outer(db, QStringLiteral("select Number from Probe order by Number"));
    ASSERT_TRUE(outer.step());
    EXPECT_EQ(db.scalar(QStringLiteral("select Name from Probe where Number = 3")).toString(), QStringLiteral("3"));
    ASSERT_TRUE(outer.step());
    EXPECT_EQ(outer.value(0).toInt(), 2);
    outer.reset();
    ASSERT_TRUE(outer.step());
    EXPECT_EQ(outer.value(0).toInt(), 1);
    // A parameter the engine cannot type from the text alone.
    EXPECT_EQ(db.scalar(QStringLiteral("select :a"), {{QStringLiteral("a"), QStringLiteral("x")}}).toString(), QStringLiteral("x"));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from Probe where :a is null or Number = :a"),
                        {{QStringLiteral("a"), 2}}).toInt(), 1);
    {
        // The same inside a transaction, which goes on.
        Transaction t(db);
        EXPECT_EQ(db.scalar(QStringLiteral("select :b || 'y'"), {{QStringLiteral("b"), QStringLiteral("x")}}).toString(),
                  QStringLiteral("xy"));
        Statement st(db, QStringLiteral("with recursive below(n) as (select :c union select n + 1 from below where n < 9) "
                                        "select count(*) from below"));
        st.bind(1, 7);
        ASSERT_TRUE(st.step());
        EXPECT_EQ(st.value(0).toInt(), 3);
        db.exec(QStringLiteral("insert into Probe (Number) values (4)"));
        t.commit();
    }
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from Probe")).toInt(), 4);
    QStringList matColumns;
    for (const ColumnDef &c : table(QStringLiteral("Mat"))->columns)
        matColumns << c.name;
    QStringList have = db.tableColumns(QStringLiteral("MAT"));
    have.removeIf(isServerKeptColumn); // who changed an own material, on the server
    EXPECT_EQ(have, matColumns);
    EXPECT_TRUE(db.tableExists(QStringLiteral("Mat")));
    EXPECT_FALSE(db.tableExists(QStringLiteral("NoSuchTable")));
    // Prepared statements are kept for reuse, a bounded number of them.
    for (int i = 0; i < Connection::statementCacheLimit * 2; ++i)
        EXPECT_EQ(db.scalar(QStringLiteral("select %1 + :x").arg(i), {{QStringLiteral("x"), 1}}).toInt(), i + 1);
    EXPECT_GT(db.cachedStatementCount(), 0);
    EXPECT_LE(db.cachedStatementCount(), Connection::statementCacheLimit);
    EXPECT_EQ(db.scalar(QStringLiteral("select 3 + :x"), {{QStringLiteral("x"), 2.5}}).toDouble(), 5.5);
}

TEST_P(EngineValues, CzechTextsUpperCaseMatchFoldAndOrderAlike)
{
    // upper/lower
    EXPECT_EQ(db.scalar(QStringLiteral("select upper('žluťoučký kůň úpěl ďábelské ódy')")).toString(),
              QStringLiteral("ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY"));
    EXPECT_EQ(db.scalar(QStringLiteral("select lower('ŘEŽ ŠŤÁVU')")).toString(), QStringLiteral("řež šťávu"));
    EXPECT_EQ(db.scalar(QStringLiteral("select fold('Hřídele – žíhané, Łódź')")).toString(),
              QStringLiteral("Hridele - zihane, Lodz"));
    // LIKE: case-sensitive, with and without an escape character.
    struct Like {
        const char *text, *pattern, *escape;
        bool match;
    } likes[] = {
        {"Čep 50%", "Čep 50\\%", "\\", true}, {"Čep 500", "Čep 50\\%", "\\", false},
        {"Čep 500", "Čep 50%", nullptr, true}, {"čep", "Čep", nullptr, false},
        {"a_b", "a!_b", "!", true},            {"axb", "a!_b", "!", false},
        {"žluť", "_luť", nullptr, true},       {"ŽLUŤ", "%LU_", nullptr, true},
        {"a\\b", "a\\b", nullptr, true},       {"a%b", "a\\%b", nullptr, false},
    };
    for (const Like &l : likes) {
        QString sql = QStringLiteral("select count(*) where :t like :p");
        QVariantMap params{{QStringLiteral("t"), QString::fromUtf8(l.text)}, {QStringLiteral("p"), QString::fromUtf8(l.pattern)}};
        if (l.escape) {
            sql += QStringLiteral(" escape :e");
            params.insert(QStringLiteral("e"), QString::fromUtf8(l.escape));
        }
        EXPECT_EQ(db.scalar(sql, params).toInt(), l.match ? 1 : 0) << l.text << " like " << l.pattern;
    }
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) where 'x\\y' like 'x\\y' and 'x\\y' like 'x\\_'")).toInt(), 1);
    // The windows-1250 order: Č after C and before D, lower case after upper case, Ř after R.
    db.exec(probeTable);
    const QStringList names = {QStringLiteral("čep"), QStringLiteral("Cep"), QStringLiteral("Dráty"), QStringLiteral("Čep"),
                               QStringLiteral("Řetěz"), QStringLiteral("Rám"), QStringLiteral("cep"), QStringLiteral("Ocel"),
                               QStringLiteral("Žárovka"), QStringLiteral("Zinek"), QStringLiteral("Šroub"), QStringLiteral("Ábel"),
                               QStringLiteral("Abel"), QStringLiteral("Ψ"), QStringLiteral("?")};
    int n = 0;
    for (const QString &name : names)
        db.exec(QStringLiteral("insert into Probe (Number, Name) values (:n, :name)"),
                {{QStringLiteral("n"), ++n}, {QStringLiteral("name"), name}});
    QStringList ordered;
    Statement st(db, QStringLiteral("select Name from Probe order by Name collate CP1250, Number"));
    while (st.step())
        ordered << st.value(0).toString();
    EXPECT_EQ(ordered, (QStringList{QStringLiteral("?"), QStringLiteral("Ψ"), QStringLiteral("Abel"), QStringLiteral("Cep"),
                                    QStringLiteral("Dráty"), QStringLiteral("Ocel"), QStringLiteral("Rám"), QStringLiteral("Zinek"),
                                    QStringLiteral("cep"), QStringLiteral("Šroub"), QStringLiteral("Žárovka"), QStringLiteral("Ábel"),
                                    QStringLiteral("Čep"), QStringLiteral("Řetěz"), QStringLiteral("čep")}));
    // Grouped texts joined, a double rounded.
    EXPECT_EQ(db.scalar(QStringLiteral("select group_concat(Name, '|') from (select Name from Probe where Number <= 2 order by Number) t"))
                  .toString(),
              QStringLiteral("čep|Cep"));
    EXPECT_DOUBLE_EQ(db.scalar(QStringLiteral("select round(2.345e0 * 2, 1)")).toDouble(), 4.7);
    // Subqueries in FROM without a name, as the search texts write them.
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from (\nselect Number from Probe where Number > 1\n)")).toInt(), 14);
    // "is ?" and "is not ?" compare with nulls equal.
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from Probe where Amount is :a and Name is not :b"),
                        {{QStringLiteral("a"), QVariant()}, {QStringLiteral("b"), QStringLiteral("Cep")}})
                  .toInt(),
              14);
    // A common table expression as the list of IN.
    EXPECT_EQ(db.scalar(QStringLiteral("with recursive below(n) as (select :node union select n + 1 from below where n < 5) "
                                       "select count(*) from Probe where Number in below"),
                        {{QStringLiteral("node"), 2}})
                  .toInt(),
              4);
    // A line break joins, a text cast keeps its trailing blanks.
    EXPECT_EQ(db.scalar(QStringLiteral("select 'a' || char(10) || CAST('b ' AS CHAR(5)) || '|'")).toString(), QStringLiteral("a\nb |"));
}

TEST_P(EngineValues, TransactionsNestAndAnErrorInsideOneIsRolledBackBeforeTheNextStatement)
{
    db.exec(probeTable);
    db.exec(QStringLiteral("create unique index Probe_n on Probe (Number)"));
    {
        Transaction outer(db);
        db.exec(QStringLiteral("insert into Probe (Number) values (1)"));
        {
            Transaction inner(db);
            db.exec(QStringLiteral("insert into Probe (Number) values (2)"));
            inner.rollback();
        }
        {
            Transaction inner(db);
            db.exec(QStringLiteral("insert into Probe (Number) values (3)"));
            inner.commit();
        }
        outer.commit();
    }
    EXPECT_EQ(db.scalar(QStringLiteral("select group_concat(Number) from (select Number from Probe order by Number) t")).toString(),
              QStringLiteral("1,3"));
    // A failing statement inside a nested transaction: its rollback keeps the outer one usable.
    {
        Transaction outer(db);
        db.exec(QStringLiteral("insert into Probe (Number) values (4)"));
        {
            Transaction inner(db);
            try {
                db.exec(QStringLiteral("insert into Probe (Number) values (1)"));
                ADD_FAILURE() << "duplicate accepted";
            } catch (const DbError &e) {
                EXPECT_EQ(e.kind(), DbErrorKind::Constraint) << e.text().toStdString();
            }
        } // rolled back
        db.exec(QStringLiteral("insert into Probe (Number) values (5)"));
        outer.commit();
    }
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from Probe")).toInt(), 4);
    // A failing statement caught inside a transaction undoes only itself on both engines.
    {
        Transaction t(db);
        db.exec(QStringLiteral("insert into Probe (Number) values (6)"));
        EXPECT_THROW(db.exec(QStringLiteral("insert into NoSuchTable values (1)")), DbError);
        EXPECT_THROW(db.scalar(QStringLiteral("select count(*) from NoSuchTable")), DbError);
        db.exec(QStringLiteral("insert into Probe (Number) values (7)"));
        t.commit();
    }
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from Probe where Number in (6, 7)")).toInt(), 2);
    // A text the engine refuses leaves the transaction as it was on both, too.
    {
        Transaction t(db);
        EXPECT_THROW(Statement(db, QStringLiteral("select * from NoSuchTable")), DbError);
        db.exec(QStringLiteral("update Probe set Name = 'ok' where Number = 7"));
        t.commit();
    }
    EXPECT_EQ(db.scalar(QStringLiteral("select Name from Probe where Number = 7")).toString(), QStringLiteral("ok"));
    // A bare statement failing as it runs has no such care: on the server its error ends the
    // transaction, which then refuses to commit and keeps nothing.
    if (GetParam() == Engine::Postgres) {
        {
            Transaction t(db);
            db.exec(QStringLiteral("insert into Probe (Number) values (8)"));
            Statement st(db, QStringLiteral("select 1 / (Number - Number) from Probe"));
            EXPECT_THROW(st.step(), DbError);
            EXPECT_THROW(t.commit(), DbError);
        }
        EXPECT_FALSE(db.inTransaction());
        EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from Probe where Number = 8")).toInt(), 0);
    }
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from Probe")).toInt(), 6);
}

TEST_P(EngineValues, DataSetsEditTablesByNumberAndOrderTheirIndexAsTheCodePage)
{
    DataSet t(QStringLiteral("tMat"), &db);
    t.setTableName(QStringLiteral("Mat"));
    t.setIndexFieldNames({QStringLiteral("Name")});
    t.open();
    EXPECT_EQ(t.recordCount(), 0);
    const QStringList names = {QStringLiteral("Čep"), QStringLiteral("Dráty"), QStringLiteral("Cep")};
    int n = 0;
    for (const QString &name : names) {
        ASSERT_TRUE(t.append());
        t.fieldByName(QStringLiteral("Number")).setValue(++n);
        t.fieldByName(QStringLiteral("name")).setValue(name);
        t.post();
    }
    t.refresh();
    QStringList got;
    for (t.first(); !t.eof(); t.next())
        got << t.fieldByName(QStringLiteral("Name")).asString();
    EXPECT_EQ(got, (QStringList{QStringLiteral("Cep"), QStringLiteral("Dráty"), QStringLiteral("Čep")}));
    EXPECT_EQ(t.fieldByName(QStringLiteral("NAME")).name(), QStringLiteral("Name"));
    ASSERT_TRUE(t.locate(QStringLiteral("Name"), QStringLiteral("Dráty")));
    ASSERT_TRUE(t.edit());
    t.fieldByName(QStringLiteral("Name")).setValue(QStringLiteral("Drát"));
    t.post();
    ASSERT_TRUE(t.locate(QStringLiteral("Number"), 1));
    t.remove();
    DataSet q(QStringLiteral("q"), &db);
    q.setSql(QStringLiteral("select Number, Name from Mat where Number > :from order by Number"));
    q.setParam(QStringLiteral("from"), 0);
    q.open();
    ASSERT_EQ(q.recordCount(), 2);
    EXPECT_EQ(q.fieldByName(QStringLiteral("Name")).asString(), QStringLiteral("Drát"));
    EXPECT_EQ(q.fieldByName(QStringLiteral("Number")).value(), QVariant(2));
}

ORV_BOTH_ENGINES(EngineValues);

// ---------------------------------------------------------------- the server's failures

class ServerOnly : public BothEngines {
protected:
    void SetUp() override
    {
        if (GetParam() != Engine::Postgres)
            GTEST_SKIP() << "server only";
        BothEngines::SetUp();
    }
};

TEST_P(ServerOnly, RefusedLoginAndUnreachableServerSayWhatIsWrong)
{
    Connection c;
    try {
        c.openServer(orv::test::PgServer::instance().conninfo(QStringLiteral("postgres"), QStringLiteral("nobody_here")));
        ADD_FAILURE() << "login of an unknown role accepted";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbErrorKind::LoginRefused);
        EXPECT_TRUE(e.text().contains(QStringLiteral("odmítl přihlášení"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("nobody_here"))) << e.text().toStdString();
    }
    EXPECT_FALSE(c.isOpen());
    try {
        c.openServer(QStringLiteral("host=127.0.0.1 port=1 connect_timeout=5 dbname=x"));
        ADD_FAILURE() << "no server, yet a session";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbErrorKind::ServerUnreachable) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("není dostupný")));
    }
    // A server with no session left for the login names the role, yet refuses no login.
    orv::test::PgServer &server = orv::test::PgServer::instance();
    server.adminExec(QStringLiteral("drop role if exists orv_no_room; create role orv_no_room login connection limit 0"));
    try {
        c.openServer(server.conninfo(QStringLiteral("postgres"), QStringLiteral("orv_no_room")));
        ADD_FAILURE() << "a session beyond the limit";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbErrorKind::ServerUnreachable) << e.text().toStdString();
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("Databázový server právě nepřijímá další spojení")))
            << e.text().toStdString();
    }
}

TEST_P(ServerOnly, LostSessionIsReportedAndTheNextStatementConnectsAgain)
{
    const int pid = db.scalar(QStringLiteral("select pg_backend_pid()")).toInt();
    orv::test::PgServer::instance().adminExec(QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
    try {
        db.scalar(QStringLiteral("select 1"));
        ADD_FAILURE() << "a terminated session answered";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbErrorKind::ConnectionLost) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("přerušeno"))) << e.text().toStdString();
    }
    EXPECT_EQ(db.scalar(QStringLiteral("select 2")).toInt(), 2);
    // Inside a transaction the session is not silently replaced: what follows would run
    // without the transaction. Once it has ended, the next statement connects again.
    db.exec(probeTable);
    {
        Transaction t(db);
        db.exec(QStringLiteral("insert into Probe (Number) values (1)"));
        orv::test::PgServer::instance().adminExec(
            QStringLiteral("select pg_terminate_backend(%1)").arg(db.scalar(QStringLiteral("select pg_backend_pid()")).toInt()));
        for (int i = 0; i < 2; ++i) {
            try {
                db.exec(QStringLiteral("insert into Probe (Number) values (2)"));
                ADD_FAILURE() << "a write outside the broken transaction";
            } catch (const DbError &e) {
                EXPECT_EQ(e.kind(), DbErrorKind::ConnectionLost) << e.text().toStdString();
            }
        }
    }
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from Probe")).toInt(), 0);
}

TEST_P(ServerOnly, ConcurrentChangeOfTheSameRowIsASerializationFailure)
{
    db.exec(probeTable);
    db.exec(QStringLiteral("insert into Probe (Number, Name) values (1, 'a')"));
    Connection other;
    openAnother(other);
    Transaction t(db);
    db.exec(QStringLiteral("set transaction isolation level repeatable read"));
    EXPECT_EQ(db.scalar(QStringLiteral("select Name from Probe where Number = 1")).toString(), QStringLiteral("a"));
    other.exec(QStringLiteral("update Probe set Name = 'b' where Number = 1"));
    try {
        db.exec(QStringLiteral("update Probe set Name = 'c' where Number = 1"));
        ADD_FAILURE() << "lost update";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbErrorKind::Serialization) << e.text().toStdString();
        EXPECT_EQ(e.sqlState(), QStringLiteral("40001"));
        EXPECT_TRUE(e.text().contains(QStringLiteral("jiný uživatel")));
    }
    t.rollback();
    EXPECT_EQ(db.scalar(QStringLiteral("select Name from Probe where Number = 1")).toString(), QStringLiteral("b"));
}

TEST_P(ServerOnly, ConstraintViolationAndAMissingTableCarryTheServersText)
{
    db.exec(QStringLiteral("create table Req (Number integer not null)"));
    try {
        db.exec(QStringLiteral("insert into Req values (null)"));
        ADD_FAILURE();
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbErrorKind::Constraint);
        EXPECT_TRUE(e.text().contains(QStringLiteral("pravidlo databáze")));
        EXPECT_TRUE(e.text().contains(QStringLiteral("Podrobnosti: ")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("number"))) << e.message().toStdString();
    }
    // A database the setup never prepared.
    try {
        db.scalar(QStringLiteral("select count(*) from NoSuchTable"));
        ADD_FAILURE();
    } catch (const DbError &e) {
        EXPECT_EQ(e.sqlState(), QStringLiteral("42P01"));
        EXPECT_TRUE(e.text().contains(QStringLiteral("nemá tabulky nebo sloupce"))) << e.text().toStdString();
    }
}

TEST_P(ServerOnly, TheSetupMakesAnOldPlainNumberIndexUniqueAndLeavesTheSearchHitsPlain)
{
    db.exec(QStringLiteral("create index mat_pk on Mat (Number)"));
    auto setUp = [this] {
        Transaction t(db);
        for (const QString &st : serverSetupStatements() + serverIndexStatements())
            db.exec(st);
        t.commit();
    };
    setUp();
    setUp(); // again: harmless
    db.exec(QStringLiteral("insert into Mat (Number, Name) values (7, 'a')"));
    try {
        db.exec(QStringLiteral("insert into Mat (Number, Name) values (7, 'b')"));
        ADD_FAILURE() << "two materials under one Number";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbErrorKind::Constraint) << e.text().toStdString();
    }
    db.exec(QStringLiteral("insert into FindChemComp (Number, MatNumber) values (3, 1), (3, 2)"));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from FindChemComp")).toInt(), 2);
}

INSTANTIATE_TEST_SUITE_P(, ServerOnly, ::testing::Values(Engine::Postgres), orv::db::test::engineName);

TEST(ServerText, ParametersQuotedNamesRowIdentityAndCollationAreRewritten)
{
    QStringList names;
    EXPECT_EQ(engine::serverText(QStringLiteral("select \"Name\", ':x' from T where a = :A and b = :b and c = :a::int "
                                                "and rowid = ? and n like 'a\\%' and m like :b escape '!' order by Name collate CP1250, t.\"Label\" COLLATE cp1250 desc"),
                                 &names).toStdString(),
              "select \"name\", ':x' from T where a = $1 and b = $2 and c = $1::int "
              "and ctid = $3 and n like 'a\\%' ESCAPE '' and m like $2 escape '!' order by cp1250(Name), cp1250(t.\"label\") desc");
    EXPECT_EQ(names, (QStringList{QStringLiteral("A"), QStringLiteral("b"), QString()}));
    EXPECT_EQ(engine::serverText(QStringLiteral("select group_concat(Source, char(10)), CAST(' ' AS CHAR(200)) Notice, Char1 from T"))
                  .toStdString(),
              "select group_concat(Source, chr(10)), CAST(' ' AS varchar(200)) Notice, Char1 from T");
    EXPECT_EQ(engine::serverText(QStringLiteral("select 1 where Number in below and a in (select b) and c in t.x and d in ($1)"))
                  .toStdString(),
              "select 1 where Number in (select * from below) and a in (select b) and c in t.x and d in ($1)");
    EXPECT_EQ(engine::serverText(QStringLiteral("select a from (\nselect a from T\n) where a > 1 union select (select max(b) "
                                                "from (select b from U order by b)) from (select 1 a) x join (select 2) on 1=1"))
                  .toStdString(),
              "select a from (\nselect a from T\n) as orv_sub1 where a > 1 union select (select max(b) "
              "from (select b from U order by b) as orv_sub2) from (select 1 a) x join (select 2) as orv_sub3 on 1=1");
}

TEST_P(ServerOnly, NewCatalogueReplacesTheCatalogueRowsAndKeepsTheTeamsOwnRenumbered)
{
    // Catalogue material 1, own material 2 with a designation, a user note and a private copy.
    db.exec(QStringLiteral("insert into Mat (Number, Name, Private) values (1, 'Stará', 'N'), (2, 'Naše', 'A')"));
    db.exec(QStringLiteral("insert into Norms (Number, MaterialNo, Name) values (1, 1, 'ČSN'), (2, 2, 'naše')"));
    db.exec(QStringLiteral("insert into UserNotices (Number, MATERIALNO, TEXT) values (1, 2, 'poznámka')"));
    db.exec(QStringLiteral("insert into Elements (Number, Name) values (1, 'Fe')"));
    // The new edition, loaded into a staging schema: materials 1 and 2, elements replaced.
    db.exec(QStringLiteral("create schema staging"));
    for (const TableDef &t : schema())
        if (t.database == Database::Catalogue)
            db.exec(serverCreateTable(t, QStringLiteral("staging")));
    db.exec(QStringLiteral("insert into staging.Mat (Number, Name, Private) values (1, 'Nová 1', 'N'), (2, 'Nová 2', 'N')"));
    db.exec(QStringLiteral("insert into staging.Norms (Number, MaterialNo, Name) values (1, 1, 'EN'), (2, 2, 'EN 2')"));
    db.exec(QStringLiteral("insert into staging.Elements (Number, Name) values (1, 'Fe'), (2, 'Cr')"));

    const WorkingCopyRefresh r = replaceServerCatalogue(db, QStringLiteral("staging"), QStringLiteral("edice 2"));
    EXPECT_EQ(r.ownMaterials, 1);
    EXPECT_EQ(r.renumberedMaterials(), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("select string_agg(Number || ':' || Name, ',' order by Number) from Mat")).toString(),
              QStringLiteral("1:Nová 1,2:Nová 2,3:Naše"));
    EXPECT_EQ(db.scalar(QStringLiteral("select string_agg(MaterialNo || ':' || Name, ',' order by Name) from Norms")).toString(),
              QStringLiteral("1:EN,2:EN 2,3:naše"));
    EXPECT_EQ(db.scalar(QStringLiteral("select MATERIALNO from UserNotices")).toInt(), 3);
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from Elements")).toInt(), 2);
    EXPECT_EQ(db.scalar(QStringLiteral("select Stamp from CatalogueCopy")).toString(), QStringLiteral("edice 2"));
}

// Random texts over Czech, other Latin and foreign letters, marks and punctuation: the server
// folds, upper-cases and orders them exactly as the embedded engine does.
TEST_P(ServerOnly, RandomTextsFoldUpperCaseAndOrderAsOnTheEmbeddedEngine)
{
    QTemporaryDir files;
    Connection lite;
    lite.openFile(files.filePath(QStringLiteral("t.sqlite")), OpenMode::Create);
    const QString alphabet = QStringLiteral("aAcCčČdDďĎeEéÉěĚiInNňŇoOóÓrRřŘsSšŠtTťŤuUúÚůŮyYýÝzZžŽ"
                                            "äÄöÖüÜßłŁőŐąĄçÇàÀâÂñÑøØåÅæ ?-–„“’0189_%ΨЖ€\u00a0\u0301");
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<int> len(0, 8), pick(0, int(alphabet.size()) - 1);
    const QString create = QStringLiteral("create table Texts (Number integer, Name text)");
    lite.exec(create);
    db.exec(create);
    Transaction liteRows(lite);
    int n = 0;
    db.copyIn(QStringLiteral("Texts"), {QStringLiteral("Number"), QStringLiteral("Name")}, [&](QVariantList &row) {
        if (n >= 400)
            return false;
        QString t;
        for (int k = len(rng); k > 0; --k)
            t += alphabet[pick(rng)];
        row = {++n, t};
        lite.exec(QStringLiteral("insert into Texts values (:n, :t)"), {{QStringLiteral("n"), n}, {QStringLiteral("t"), t}});
        return true;
    });
    liteRows.commit();
    for (const char *query : {"select Name, fold(Name), upper(Name), lower(Name) from Texts order by Number",
                              "select Number from Texts order by Name collate CP1250, Number",
                              "select Number from Texts where fold(upper(Name)) like 'C%' order by Number"}) {
        Statement a(lite, QString::fromUtf8(query)), b(db, QString::fromUtf8(query));
        int rows = 0;
        while (a.step()) {
            ASSERT_TRUE(b.step()) << query;
            for (int c = 0; c < a.columnCount(); ++c)
                EXPECT_EQ(a.value(c).toString().toStdString(), b.value(c).toString().toStdString())
                    << query << " row " << rows << " column " << c << " text " << a.value(0).toString().toStdString();
            ++rows;
        }
        EXPECT_FALSE(b.step()) << query;
        EXPECT_GT(rows, 0) << query;
    }
}

// The setup runs again without harm, the indexes come after a load, and a member of the
// users' group reads and writes the data and calls the functions, but changes no table.
TEST_P(ServerOnly, SetupRepeatsIndexesFollowAndTheUsersGroupWorksWithTheData)
{
    for (const QString &st : serverSetupStatements())
        db.exec(st);
    for (const QString &st : serverIndexStatements())
        db.exec(st);
    EXPECT_GT(db.scalar(QStringLiteral("select count(*) from pg_indexes where schemaname = 'orvalis'")).toInt(), 20);
    const QString dbName = db.scalar(QStringLiteral("select current_database()")).toString();
    const QString user = QStringLiteral("engineer_") + dbName;
    orv::test::PgServer::instance().adminExec(QStringLiteral("create role %1 login in role %2").arg(user, serverUsersRole()));
    Connection member;
    member.openServer(orv::test::PgServer::instance().conninfo(dbName, user));
    member.exec(QStringLiteral("insert into Mat (Number, Name, Private) values (1, 'Žíhaná', 'A')"));
    EXPECT_EQ(member.scalar(QStringLiteral("select fold(upper(Name)) from Mat order by Name collate CP1250")).toString(),
              QStringLiteral("ZIHANA"));
    try {
        member.exec(QStringLiteral("drop table Mat"));
        ADD_FAILURE() << "a member dropped a table";
    } catch (const DbError &e) {
        EXPECT_EQ(e.sqlState(), QStringLiteral("42501")) << e.text().toStdString();
    }
}
