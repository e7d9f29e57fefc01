#pragma once
// A COMMIT whose answer never comes back: the server is made to take 3 s over the COMMIT of an
// update of one table (a deferred trigger that sleeps), and a watcher on its own session ends
// the committing session while the server carries the COMMIT out.

#include "db/Connection.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <thread>

namespace orv::test {

// Makes every COMMIT after an update of `table` slow, until dropSlowCommits().
inline void makeCommitsSlow(db::Connection &admin, const QString &table)
{
    admin.exec(QStringLiteral("create or replace function orv_test_slow() returns trigger language plpgsql as "
                              "$f$ begin perform pg_sleep(3); return null; end $f$"));
    admin.exec(QStringLiteral("create constraint trigger orv_test_slow after update on %1 deferrable "
                              "initially deferred for each row execute function orv_test_slow()")
                   .arg(table));
}

inline void dropSlowCommits(db::Connection &admin, const QString &table)
{
    admin.exec(QStringLiteral("drop trigger orv_test_slow on %1").arg(table));
}

// Watches session `pid` from a session of its own and ends it once it is running COMMIT
// (for at most 4 s); stops watching when destroyed.
class CommitKiller {
public:
    CommitKiller(const QString &conninfo, int pid)
        : m_thread([this, conninfo, pid] {
              db::Connection admin;
              admin.openServer(conninfo);
              for (int i = 0; i < 400 && !m_stop; ++i) {
                  if (admin.scalar(QStringLiteral("select count(*) from pg_stat_activity where pid = :p and "
                                                  "state = 'active' and query = 'COMMIT'"),
                                   {{QStringLiteral("p"), pid}})
                          .toInt()
                      == 1) {
                      admin.exec(QStringLiteral("select pg_terminate_backend(:p, 5000)"), {{QStringLiteral("p"), pid}});
                      return;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          })
    {
    }
    ~CommitKiller() { stop(); }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace orv::test
