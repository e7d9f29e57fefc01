// A team on one server: engineers log in as roles of their own in the program's group. Each
// keeps their own settings and search hits, new shared rows get distinct numbers however many
// sessions create them at once, and the server refuses what the group may not do.

#include "db/MainDataModule.h"
#include "db/NextNumber.h"
#include "db/ServerSetup.h"
#include "support/PgServer.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

#include <atomic>
#include <latch>
#include <memory>
#include <mutex>
#include <thread>

using namespace orv::db;

namespace {

class TeamServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        orv::test::PgServer &pg = orv::test::PgServer::instance();
        admin = pg.createDatabase();
        if (admin.isEmpty()) {
            if (orv::test::PgServer::required())
                FAIL() << qPrintable(pg.reason());
            GTEST_SKIP() << qPrintable(pg.reason());
        }
        Connection setup;
        setup.openServer(admin, ServerSession::Administration);
        for (const QString &st : serverIndexStatements())
            setup.exec(st);
        // A catalogue material and the settings every engineer starts with.
        setup.exec(QStringLiteral("insert into Mat (Number, Name) values (10, 'Katalogová ocel')"));
        setup.exec(QStringLiteral("insert into Elements (Number, Name) values (6, 'Uhlík')"));
        setup.exec(QStringLiteral("insert into Notices (Number, Notice) values (5, 'katalogová')"));
        setup.exec(QStringLiteral("insert into orv_catalogue_notices values (5)"));
        setup.exec(QStringLiteral("insert into Setup (Number, Items, Value) values (1, 'USPESNOST', '70')"));
        setup.exec(QStringLiteral("insert into UserChemComp (Number, ElementNo, MinValue) values (1, 6, 0.1)"));
        setup.exec(serverSequenceSyncStatement());
    }

    // A login of the program's group (made once per cluster; the roles outlive the databases).
    QString engineer(const QString &login)
    {
        orv::test::PgServer::instance().adminExec(
            QStringLiteral("DO $r$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = '%1') THEN "
                           "CREATE ROLE \"%1\" LOGIN IN ROLE %2; END IF; END $r$")
                .arg(login, serverUsersRole()));
        return QString(admin).replace(QRegularExpression(QStringLiteral("user=\\S+")), QStringLiteral("user='%1'").arg(login));
    }

    QString admin;
};

DbError refusal(const std::function<void()> &action)
{
    try {
        action();
    } catch (const DbError &e) {
        return e;
    }
    ADD_FAILURE() << "the server allowed it";
    return DbError(QString());
}

} // namespace

TEST_F(TeamServer, EachEngineerKeepsTheirOwnSettingsAndSearchHits)
{
    const QString alice = engineer(QStringLiteral("alice")), jan = engineer(QStringLiteral("Jan Novák"));
    auto a = std::make_unique<MainDataModule>(ServerDatabase{alice});
    auto j = std::make_unique<MainDataModule>(ServerDatabase{jan});
    EXPECT_EQ(a->setupValue(QStringLiteral("USPESNOST")), u"70") << "from the template";
    a->setSetupValue(QStringLiteral("USPESNOST"), QStringLiteral("85"));
    a->userSession().exec(QStringLiteral("delete from UserChemComp"));
    EXPECT_EQ(j->setupValue(QStringLiteral("USPESNOST")), u"70");
    EXPECT_EQ(j->catalogueSession().scalar(QStringLiteral("select count(*) from UserChemComp")).toInt(), 1);

    // Both search at once: each session's hits are its own.
    a->catalogueSession().exec(QStringLiteral("delete from FindChemComp"));
    a->catalogueSession().exec(QStringLiteral("insert into FindChemComp (Number, MatNumber) values (1, 10), (2, 10)"));
    j->catalogueSession().exec(QStringLiteral("delete from FindChemComp"));
    j->catalogueSession().exec(QStringLiteral("insert into FindChemComp (Number, MatNumber) values (3, 10)"));
    EXPECT_EQ(a->catalogueSession().scalar(QStringLiteral("select count(*) from FindChemComp")).toInt(), 2);
    EXPECT_EQ(j->catalogueSession().scalar(QStringLiteral("select count(*) from FindChemComp")).toInt(), 1);

    // A new start finds the engineer's settings again; the template is unchanged.
    a.reset();
    a = std::make_unique<MainDataModule>(ServerDatabase{alice});
    EXPECT_EQ(a->setupValue(QStringLiteral("USPESNOST")), u"85");
    EXPECT_EQ(a->catalogueSession().scalar(QStringLiteral("select count(*) from UserChemComp")).toInt(), 0);
    Connection adm;
    adm.openServer(admin, ServerSession::Administration);
    EXPECT_EQ(adm.scalar(QStringLiteral("select Value from Setup")).toString(), u"70");
    EXPECT_EQ(adm.scalar(QStringLiteral("select count(*) from pg_namespace where nspname in "
                                        "('orv_user_alice', 'orv_user_Jan Novák')")).toInt(), 2);
}

TEST_F(TeamServer, FiftySessionsCreatingOwnMaterialsAtOnceGetDistinctNumbers)
{
    const QString crew = engineer(QStringLiteral("crew"));
    constexpr int sessions = 50;
    std::vector<std::unique_ptr<Connection>> conns;
    for (int i = 0; i < sessions; ++i) {
        conns.push_back(std::make_unique<Connection>());
        conns.back()->openServer(crew);
    }
    std::latch start(sessions);
    std::mutex m;
    QList<qint64> numbers;
    QStringList failures;
    std::vector<std::thread> threads;
    for (int i = 0; i < sessions; ++i)
        threads.emplace_back([&, i] {
            Connection &c = *conns[size_t(i)];
            start.arrive_and_wait();
            try {
                // As the own-material editor does: the material, its node and designation in one
                // transaction that stays open a while (the editor's window).
                Transaction tr(c);
                const qint64 mat = nextNumber(c, QStringLiteral("Mat"));
                c.exec(QStringLiteral("insert into Mat (Number, Name, Private) values (:n, :name, 'A')"),
                       {{QStringLiteral("n"), mat}, {QStringLiteral("name"), QStringLiteral("Vlastní %1").arg(i)}});
                c.exec(QStringLiteral("insert into Nodes (Number, MaterialNo, ParentNo) values (:n, :m, -1)"),
                       {{QStringLiteral("n"), nextNumber(c, QStringLiteral("Nodes"))}, {QStringLiteral("m"), mat}});
                c.exec(QStringLiteral("insert into Norms (Number, MaterialNo) values (:n, :m)"),
                       {{QStringLiteral("n"), nextNumber(c, QStringLiteral("Norms"))}, {QStringLiteral("m"), mat}});
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                tr.commit();
                const std::lock_guard<std::mutex> lock(m);
                numbers << mat;
            } catch (const std::exception &e) {
                const std::lock_guard<std::mutex> lock(m);
                failures << QString::fromUtf8(e.what());
            }
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_TRUE(failures.isEmpty()) << failures.value(0).toStdString();
    EXPECT_EQ(QSet<qint64>(numbers.begin(), numbers.end()).size(), sessions);
    EXPECT_FALSE(numbers.contains(10)) << "the catalogue's number";
    Connection &c = *conns.front();
    EXPECT_EQ(c.scalar(QStringLiteral("select count(*) from Mat where Private = 'A'")).toInt(), sessions);
    EXPECT_EQ(c.scalar(QStringLiteral("select count(distinct MaterialNo) from Nodes")).toInt(), sessions);
    EXPECT_EQ(c.scalar(QStringLiteral("select count(*) from Norms")).toInt(), sessions);
}

TEST_F(TeamServer, AnEngineerCannotReadAnothersSettingsNorChangeTheCatalogue)
{
    Connection bob;
    bob.openServer(engineer(QStringLiteral("bob")));
    Connection alice;
    alice.openServer(engineer(QStringLiteral("alice")));
    const struct {
        const char *sql;
    } refused[] = {
        {"select Value from orv_user_bob.Setup"},
        {"update orv_user_bob.Setup set Value = '1'"},
        {"select Value from orvalis.Setup"}, // the template is the administrator's
        {"update Mat set Name = 'Změněno' where Number = 10"},
        {"delete from Mat where Number = 10"},
        {"insert into Norms (Number, MaterialNo) values (99, 10)"},
        {"insert into Mat (Number, Name) values (98, 'Katalog?')"},
        {"update Elements set Name = 'C'"},
        {"create table orvalis.mine (x int)"},
        {"create table public.mine (x int)"},
        {"update Notices set Notice = 'x' where Number = 5"}, // the catalogue's note
        {"drop table Mat"},
        {"select orvalis.orv_row_is_own('mat', '{}'::jsonb) from orv_user_bob.Setup"},
    };
    for (const auto &r : refused) {
        const DbError e = refusal([&] { alice.exec(QString::fromUtf8(r.sql)); });
        EXPECT_EQ(e.kind(), DbErrorKind::PermissionDenied) << r.sql << ": " << e.text().toStdString();
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("Na tuto akci nemáte na databázovém serveru právo"))) << r.sql;
    }
    EXPECT_EQ(alice.scalar(QStringLiteral("select Name from Mat where Number = 10")).toString(), QStringLiteral("Katalogová ocel"));
    // What the team does is allowed: an own material with what hangs on it, a user note.
    alice.exec(QStringLiteral("insert into Mat (Number, Name, Private) values (20, 'Moje', 'A')"));
    alice.exec(QStringLiteral("insert into Norms (Number, MaterialNo) values (20, 20)"));
    bob.exec(QStringLiteral("update Mat set Name = 'Naše' where Number = 20"));
    bob.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (1, 10, 'k oceli')"));
    bob.exec(QStringLiteral("delete from Norms where MaterialNo = 20"));
    bob.exec(QStringLiteral("insert into Notices (Number, Notice) values (6, 'naše')"));
    alice.exec(QStringLiteral("update Notices set Notice = 'opravená' where Number = 6"));
    EXPECT_EQ(alice.scalar(QStringLiteral("select Name from Mat where Number = 20")).toString(), QStringLiteral("Naše"));
}

TEST_F(TeamServer, ASessionTakenUpAgainHasItsWorkTablesAndTheEngineersSettings)
{
    Connection alice;
    alice.openServer(engineer(QStringLiteral("alice")));
    alice.exec(QStringLiteral("update Setup set Value = '90'"));
    const QString pid = alice.scalar(QStringLiteral("select pg_backend_pid()")).toString();
    orv::test::PgServer::instance().adminExec(QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
    try {
        alice.scalar(QStringLiteral("select 1"));
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbErrorKind::ConnectionLost) << e.text().toStdString();
    }
    EXPECT_NE(alice.scalar(QStringLiteral("select pg_backend_pid()")).toString(), pid);
    EXPECT_EQ(alice.scalar(QStringLiteral("select Value from Setup")).toString(), u"90");
    alice.exec(QStringLiteral("insert into FindChemComp (Number, MatNumber) values (1, 10)"));
    EXPECT_EQ(alice.scalar(QStringLiteral("select count(*) from FindChemComp")).toInt(), 1);
}
