#pragma once
// The engines a search test runs on, as a test parameter: an empty catalogue and user file
// in SQLite, or a fresh database on the test program's PostgreSQL server (every table made,
// no rows, either way).

#include "db/Connection.h"
#include "support/EmptyCatalogue.h"
#include "support/PgServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orv::test {

enum class SearchEngine { Sqlite, Postgres };

inline std::vector<SearchEngine> searchEngines()
{
    return {SearchEngine::Sqlite, SearchEngine::Postgres};
}

inline std::string engineName(const ::testing::TestParamInfo<SearchEngine> &info)
{
    return info.param == SearchEngine::Sqlite ? "Sqlite" : "Postgres";
}

class SearchDatabase {
public:
    explicit SearchDatabase(SearchEngine engine)
    {
        if (engine == SearchEngine::Sqlite) {
            m_files = std::make_unique<EmptyCatalogue>();
            m_conn = &m_files->cat;
            return;
        }
        m_conninfo = PgServer::instance().createDatabase();
        if (m_conninfo.isEmpty()) {
            m_skip = PgServer::instance().reason().toStdString();
            return;
        }
        m_server = std::make_unique<db::Connection>();
        m_server->openServer(m_conninfo);
        m_conn = m_server.get();
    }
    bool ready() const { return m_conn != nullptr; }
    const std::string &skipReason() const { return m_skip; }
    db::Connection &connection() { return *m_conn; }
    const QString &conninfo() const { return m_conninfo; } // empty for SQLite
    // The folder of the SQLite catalogue file, as the catalogue tools take it.
    QString catalogueFolder() const { return m_files ? m_files->dir.filePath(QStringLiteral("cat")) : QString(); }

private:
    std::unique_ptr<EmptyCatalogue> m_files;
    std::unique_ptr<db::Connection> m_server;
    db::Connection *m_conn = nullptr;
    QString m_conninfo;
    std::string m_skip;
};

} // namespace orv::test

// Skips the test when `database` (a SearchDatabase) has no server, or fails it when
// ORVALIS_REQUIRE_PG=1.
#define ORV_SKIP_UNLESS_READY(database)                                                        \
    if (!(database).ready()) {                                                                 \
        if (::orv::test::PgServer::required())                                                 \
            FAIL() << (database).skipReason();                                                 \
        else                                                                                   \
            GTEST_SKIP() << (database).skipReason();                                           \
    }

// Declares `var`, a SearchDatabase on `engine`, and skips unless it is ready.
#define ORV_SEARCH_DATABASE(var, engine)                                                       \
    ::orv::test::SearchDatabase var(engine);                                                   \
    ORV_SKIP_UNLESS_READY(var)
