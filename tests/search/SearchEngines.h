#pragma once
// The engines a search test runs on, as a test parameter: an empty catalogue and user file
// in SQLite, or a fresh database on the test program's PostgreSQL server.

#include "db/Connection.h"
#include "support/EmptyCatalogue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orv::test {

enum class SearchEngine { Sqlite };

inline std::vector<SearchEngine> searchEngines()
{
    return {SearchEngine::Sqlite};
}

inline std::string engineName(const ::testing::TestParamInfo<SearchEngine> &info)
{
    switch (info.param) {
    case SearchEngine::Sqlite: return "Sqlite";
    }
    return "Unknown";
}

// Every table made, no rows.
class SearchDatabase {
public:
    explicit SearchDatabase(SearchEngine engine)
    {
        switch (engine) {
        case SearchEngine::Sqlite:
            m_files = std::make_unique<EmptyCatalogue>();
            m_conn = &m_files->cat;
            break;
        }
    }
    bool ready() const { return m_conn != nullptr; }
    const std::string &skipReason() const { return m_skip; }
    db::Connection &connection() { return *m_conn; }

private:
    std::unique_ptr<EmptyCatalogue> m_files;
    db::Connection *m_conn = nullptr;
    std::string m_skip;
};

} // namespace orv::test
