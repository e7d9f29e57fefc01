#pragma once
// Tests that run once on each engine: an empty database with every table of the program,
// a SQLite file in a temporary folder or a fresh database on the test program's server.

#include "db/Connection.h"
#include "db/Schema.h"
#include "support/PgServer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orv::db::test {

class BothEngines : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        if (GetParam() == Engine::Postgres) {
            conninfo = orv::test::PgServer::instance().createDatabase();
            if (conninfo.isEmpty()) {
                if (orv::test::PgServer::required())
                    FAIL() << qPrintable(orv::test::PgServer::instance().reason());
                GTEST_SKIP() << qPrintable(orv::test::PgServer::instance().reason());
            }
            db.openServer(conninfo);
            return;
        }
        ASSERT_TRUE(dir.isValid());
        db.openFile(dir.filePath(QStringLiteral("both.sqlite")), OpenMode::Create);
        Transaction t(db);
        for (const TableDef &def : schema())
            for (const QString &st : createStatements(def))
                db.exec(st);
        t.commit();
    }

    // A second session on the same database.
    void openAnother(Connection &other) const
    {
        if (GetParam() == Engine::Postgres)
            other.openServer(conninfo);
        else
            other.openFile(dir.filePath(QStringLiteral("both.sqlite")));
    }

    QTemporaryDir dir;
    QString conninfo;
    Connection db;
};

inline std::string engineName(const ::testing::TestParamInfo<Engine> &info)
{
    return info.param == Engine::Postgres ? "Postgres" : "Sqlite";
}

} // namespace orv::db::test

#define ORV_BOTH_ENGINES(suite)                                                                  \
    INSTANTIATE_TEST_SUITE_P(, suite, ::testing::Values(::orv::db::Engine::Sqlite, ::orv::db::Engine::Postgres), \
                             ::orv::db::test::engineName)
