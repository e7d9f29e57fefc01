#pragma once
// One working database session: a SQLite connection that opens one of the two database files
// and attaches the other, so that every table of both is visible unqualified. A catalogue on a
// read-only medium is opened read-only. Every connection registers a Unicode-aware UPPER()
// and LOWER() and a case-sensitive LIKE (with %, _ and ESCAPE) so that Czech letters
// upper-case and match correctly, and the collation CP1250 ("order by Name collate CP1250")
// that orders texts by their Windows-1250 bytes. Double-quoted string constants are not accepted: SQL text
// writes string constants in single quotes (see core/SqlText.h).

#include "db/DbError.h"
#include "db/Schema.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace orv::db {

class Connection;
class DataSet;
struct StatementCache;

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

    sqlite3_stmt *handle() const { return m_stmt; }
    const QString &sql() const { return m_sql; }

private:
    Connection *m_conn = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_sql;
    std::shared_ptr<StatementCache> m_cache; // where the statement goes back when done
    quint64 m_generation = 0;                // the cache's generation it was prepared in
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
    // Attaches a further file under `schemaName`.
    void attach(const QString &file, const QString &schemaName, OpenMode mode = OpenMode::ReadWrite);
    void close();
    bool isOpen() const { return m_db != nullptr; }

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

    bool inTransaction() const { return m_savepointDepth > 0; }
    // Prepared statements kept for reuse (they are finalized on close, attach and detach).
    int cachedStatementCount() const;
    static constexpr int statementCacheLimit = 48;

    sqlite3 *handle() const { return m_db; }
    // Throws a DbError for the result code with the engine's current message.
    // The error names the file that failed: for a session over both files, the one that holds
    // the missing table or the tables of `sql`, or the read-only one a write was refused by.
    [[noreturn]] void raise(int rc, const QString &context = QString(), const QString &sql = QString()) const;
    QString errorFile(const QString &message, const QString &sql = QString()) const;

    // Whether a file lies where it cannot be written (read-only file or folder or medium).
    static bool isReadOnlyLocation(const QString &file);

private:
    friend class Transaction;
    friend class DataSet;
    friend class Statement;
    void registerFunctions();
    void checkReadable(const QString &schema, const QString &file);
    // Data sets that changed rows inside the open transaction are refreshed when it rolls back.
    void noteWriter(DataSet *ds);
    void dropCachedStatements();

    QString m_name;
    sqlite3 *m_db = nullptr;
    QString m_mainFile;
    QString m_catalogueFile;
    QString m_userFile;
    bool m_catalogueReadOnly = false;
    bool m_userReadOnly = false;
    bool m_working = false; // opened by openWorking()
    int m_savepointDepth = 0;
    int m_savepointSerial = 0;
    QList<QList<QPointer<DataSet>>> m_writers; // per open savepoint level
    std::shared_ptr<StatementCache> m_cache;
};

// A savepoint; nests. Rolls back in the destructor unless commit() was called. When it rolls
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

} // namespace orv::db
