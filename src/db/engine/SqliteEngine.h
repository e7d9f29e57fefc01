#pragma once
// The embedded engine: SQLite files, one main file with others attached.

#include "db/engine/Engine.h"

#include <memory>

namespace orv::db::engine {

class SqliteSession : public Session {
public:
    explicit SqliteSession(const Connection *owner);
    ~SqliteSession() override;

    // Opens `file` as the main database; throws DbError naming the file.
    void open(const QString &file, OpenMode mode);
    void attach(const QString &file, const QString &schemaName, OpenMode mode);

    Engine engine() const override { return Engine::Sqlite; }
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

} // namespace orv::db::engine
