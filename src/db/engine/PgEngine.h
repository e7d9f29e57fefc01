#pragma once
// The server engine: a PostgreSQL session through libpq.

#include "db/engine/Engine.h"

#include <memory>

namespace orv::db::engine {

class PgSession : public Session {
public:
    explicit PgSession(const Connection *owner);
    ~PgSession() override;

    // Connects; throws DbError (refused login, server not reachable) with the server's text.
    // An engineer's session finds the login's own settings tables first (ServerSetup.h).
    void open(const QString &conninfo, bool engineer);

    Engine engine() const override { return Engine::Postgres; }
    bool isOpen() const override;
    void close() override;
    Cursor *prepare(const QString &sql) override;
    void release(Cursor *cursor) override;
    void exec(const QString &sql, const QVariantMap &params) override;
    int changes() const override;
    QStringList tableColumns(const QString &table) override;
    int cachedCount() const override;
    void dropCached() override;
    void begin(const QString &savepoint, bool outermost) override;
    void commit(const QString &savepoint, bool outermost) override;
    void rollback(const QString &savepoint, bool outermost) override;
    void copyIn(const QString &table, const QStringList &columns,
                const std::function<bool(QVariantList &row)> &next) override;

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

// The statement text the server is sent for a text written for both engines: :Name and ?N
// parameters become $n (names returned in their order), quoted identifiers are folded to
// lower case as the server folds unquoted ones, `rowid` is the row's identity and
// "X collate CP1250" orders by the Windows-1250 key. Exposed for tests.
QString serverText(const QString &sql, QStringList *parameterNames = nullptr);

} // namespace orv::db::engine
