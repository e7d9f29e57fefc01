#pragma once
// One working database session over one of two engines. Embedded (the default): a SQLite
// connection that opens one of the two database files and attaches the other, so that every
// table of both is visible unqualified; a catalogue on a read-only medium is opened read-only.
// Server: a PostgreSQL session on a database prepared by the setup statements (ServerSetup.h),
// where every table is visible unqualified as well.
// Both engines give Czech letters the same treatment: a Unicode-aware UPPER() and LOWER(), a
// case-sensitive LIKE (with %, _ and ESCAPE), FOLD() (the text without diacritics) and the
// ordering "order by Name collate CP1250" by the texts' Windows-1250 bytes. SQL text is
// written once for both: string constants in single quotes (see core/SqlText.h), :Name
// parameters, identifiers in any case (the server folds them to lower case, and so does the
// engine layer for quoted ones), `rowid` for a row's identity.

#include "db/DbError.h"
#include "db/Schema.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <memory>

namespace orv::db {

class Connection;
class DataSet;

namespace engine {
class Cursor;
class Session;
} // namespace engine

enum class Engine { Sqlite, Postgres };

// A session on the server works for an engineer (their own settings tables first, made on the
// first session of the login) or administers the database (the shared tables only: the
// catalogue tool, the setup).
enum class ServerSession { Engineer, Administration };

enum class OpenMode {
    ReadWrite, // existing file, read and write (read-only when its location is not writable)
    ReadOnly,  // existing file, read only
    Create     // create the file when missing
};

// A prepared statement. Named parameters are written :Name in the SQL text; bind() matches
// them case-insensitively with or without the colon. The connection keeps a few recently used
// statements prepared: constructing one with the same SQL text takes it back, reset and with
// its parameters null, instead of compiling the text again.
class Statement {
public:
    Statement(Connection &connection, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    Statement(Statement &&other) noexcept;

    void bind(int index, const QVariant &value);          // 1-based
    void bind(const QString &name, const QVariant &value); // unknown names are ignored
    void bindAll(const QVariantMap &params);               // unbound parameters stay null
    QStringList parameterNames() const;                    // without the colon

    // Executes one step; true when a row is ready. Throws DbError on failure.
    bool step();
    void reset();
    // Runs the statement to its end; returns the number of rows changed.
    int execute();

    int columnCount() const;
    QString columnName(int i) const;
    QString columnDeclType(int i) const; // declared type of a table column, empty for expressions
    QVariant value(int i) const;          // null stays null; integers as int when they fit
    bool isNull(int i) const;

    const QString &sql() const { return m_sql; }

private:
    friend class DataSet;
    Connection *m_conn = nullptr;
    std::shared_ptr<engine::Session> m_session; // where the cursor goes back when done
    engine::Cursor *m_cursor = nullptr;
    QString m_sql;
};

class Connection {
public:
    // Schema names under which the second file is attached.
    static QString catalogueSchema() { return QStringLiteral("catalogue"); }
    static QString userSchema() { return QStringLiteral("user"); }

    explicit Connection(const QString &name = QString());
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    const QString &name() const { return m_name; }

    // Opens `primary`'s file as the main database and attaches the other one. The catalogue is
    // opened read-only when its file or folder is not writable. Throws DbError (with the file
    // name) for a missing or corrupt file; the connection then stays closed.
    void open(const QString &catalogueFile, const QString &userFile,
              Database primary = Database::Catalogue);
    // The program's session: the user file is the main database (so its working copies of
    // the material tables are what unqualified names find) and the catalogue is attached
    // read-only, whatever its location allows: the program never writes a catalogue file.
    void openWorking(const QString &catalogueFile, const QString &userFile);
    // Opens a single file (the upgrade's connections, tools).
    void openFile(const QString &file, OpenMode mode = OpenMode::ReadWrite);
    // Opens a session on a PostgreSQL database prepared by serverSetupStatements(), e.g.
    // "host=/run/postgresql dbname=orvalis". Throws DbError with a Czech message and the
    // server's text as detail when the server cannot be reached or refuses the login.
    void openServer(const QString &conninfo, ServerSession kind = ServerSession::Engineer);
    Engine engine() const;
    // Attaches a further file under `schemaName`.
    void attach(const QString &file, const QString &schemaName, OpenMode mode = OpenMode::ReadWrite);
    void close();
    bool isOpen() const;

    QString mainFile() const { return m_mainFile; }
    // File of the catalogue or the user database; empty when not part of this connection.
    QString fileOf(Database which) const;
    bool isReadOnly(Database which) const;

    // Runs one or more statements without results. Params bind to :names of a single statement.
    void exec(const QString &sql, const QVariantMap &params = QVariantMap());
    // First column of the first row; null when there is no row.
    QVariant scalar(const QString &sql, const QVariantMap &params = QVariantMap());
    int changes() const;
    bool tableExists(const QString &table) const;
    // Columns of a table as the engine has them, in their physical order.
    QStringList tableColumns(const QString &table) const;

    // Bulk load of rows into a table: `next` fills `row` with one value per column and
    // returns false when there are no more. On the server one COPY, else one prepared INSERT.
    void copyIn(const QString &table, const QStringList &columns,
                const std::function<bool(QVariantList &row)> &next);

    bool inTransaction() const { return m_savepointDepth > 0; }
    // Prepared statements kept for reuse (they are finalized on close, attach and detach).
    int cachedStatementCount() const;
    static constexpr int statementCacheLimit = 48;

    // The file an engine error concerns: for a session over both files, the one that holds
    // the missing table or the tables of `sql`, or the read-only one a write was refused by.
    QString errorFile(const QString &message, const QString &sql = QString()) const;

    // Whether a file lies where it cannot be written (read-only file or folder or medium).
    static bool isReadOnlyLocation(const QString &file);

private:
    friend class Transaction;
    friend class DataSet;
    friend class Statement;
    // Data sets that changed rows inside the open transaction are refreshed when it rolls back.
    void noteWriter(DataSet *ds);
    void dropCachedStatements();

    QString m_name;
    std::shared_ptr<engine::Session> m_session;
    QString m_mainFile;
    QString m_catalogueFile;
    QString m_userFile;
    bool m_catalogueReadOnly = false;
    bool m_userReadOnly = false;
    bool m_working = false; // opened by openWorking()
    int m_savepointDepth = 0;
    int m_savepointSerial = 0;
    QList<QList<QPointer<DataSet>>> m_writers; // per open savepoint level
};

// A transaction; nests (the inner ones are savepoints). Rolls back in the destructor unless commit() was called. When it rolls
// back, data sets that wrote inside it are reloaded, so memory and file agree again.
class Transaction {
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();
    void rollback();

private:
    Connection &m_conn;
    QString m_name;
    bool m_done = false;
};

// Every row of a read, each a map by lower-case column name.
QList<QVariantMap> readRows(Connection &connection, const QString &sql, const QVariantMap &params = QVariantMap());

} // namespace orv::db
