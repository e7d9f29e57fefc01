#pragma once
// What the data layer asks of a database engine. Connection, Statement and DataSet talk to a
// Session and its Cursors only; one implementation per engine lives beside this header and
// is the only code that includes the engine's own API. Private to the data library.

#include "db/CellStore.h"
#include "db/Connection.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <functional>

namespace orv::db::engine {

// One prepared statement and the rows of its current run.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual int parameterCount() const = 0;
    virtual QString parameterName(int index) const = 0; // 1-based, without the colon
    virtual void bind(int index, const QVariant &value) = 0;
    virtual bool step() = 0; // true when a row is ready; throws DbError
    virtual void reset() = 0;
    virtual int changes() const = 0; // rows changed by the last finished run
    virtual int columnCount() const = 0;
    virtual QString columnName(int i) const = 0;
    // INTEGER, REAL, TEXT, BOOLEAN (the schema's words) for a table column, empty for an expression.
    virtual QString columnDeclType(int i) const = 0;
    virtual QVariant value(int i) const = 0;
    virtual bool isNull(int i) const = 0;
    // The current row's cells appended to `cells`; integer cells of a column flagged in
    // `boolColumns` become bools, other integers int when they fit.
    virtual void appendRow(CellStore &cells, const char *boolColumns) const = 0;
};

class Session {
public:
    virtual ~Session() = default;
    virtual Engine engine() const = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // A cursor for the text: a kept one when the same text ran before. Throws DbError for a
    // text the engine rejects. Every cursor goes back through release().
    virtual Cursor *prepare(const QString &sql) = 0;
    virtual void release(Cursor *cursor) = 0;
    // One or more statements without results; params bind to :names.
    virtual void exec(const QString &sql, const QVariantMap &params) = 0;
    virtual int changes() const = 0;
    virtual QStringList tableColumns(const QString &table) = 0;
    virtual int cachedCount() const = 0;
    virtual void dropCached() = 0;

    // The outermost transaction and the ones nested in it.
    virtual void begin(const QString &savepoint, bool outermost) = 0;
    virtual void commit(const QString &savepoint, bool outermost) = 0;
    virtual void rollback(const QString &savepoint, bool outermost) = 0;

    virtual void copyIn(const QString &table, const QStringList &columns,
                        const std::function<bool(QVariantList &row)> &next) = 0;
};

// On the server an error ends the whole transaction it happens in. A statement run inside a
// transaction there is kept in a savepoint of its own, so that its failure undoes only itself
// and the transaction goes on, as on the embedded engine (which needs no such care).
class StatementGuard {
public:
    StatementGuard(Session *session, bool inTransaction)
    {
        if (session && inTransaction && session->engine() == Engine::Postgres) {
            session->begin(QStringLiteral("orv_statement"), false);
            m_session = session;
        }
    }
    ~StatementGuard()
    {
        if (!m_session)
            return;
        try {
            m_session->rollback(QStringLiteral("orv_statement"), false);
        } catch (...) {
            // On purpose: the statement's own error is what the caller hears about; a rollback
            // that fails too (the session lost) adds nothing to it.
        }
    }
    StatementGuard(const StatementGuard &) = delete;
    StatementGuard &operator=(const StatementGuard &) = delete;
    void done()
    {
        if (m_session)
            m_session->commit(QStringLiteral("orv_statement"), false);
        m_session = nullptr;
    }

private:
    Session *m_session = nullptr;
};

// The text of a double for an engine that reads numbers as text: the shortest form that
// reads back to the same bits.
QByteArray doubleText(double d);

} // namespace orv::db::engine
