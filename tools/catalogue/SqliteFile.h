#pragma once
// A small owner of one SQLite file for the command-line tools: creates the tables of one of
// the two databases from the shared table definitions and inserts rows by column name or by
// position, with prepared statements cached per table.

#include "db/Schema.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace orv::catalogue {

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const QString &text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

class SqliteFile {
public:
    // Opens (creating when missing) the file. Throws ToolError on failure.
    explicit SqliteFile(const QString &path);
    ~SqliteFile();
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;

    // Creates every table of `which` (and their indexes).
    void createTables(db::Database which);

    void exec(const QString &sql);
    void begin() { exec(QStringLiteral("BEGIN")); }
    void commit() { exec(QStringLiteral("COMMIT")); }

    // Inserts one row; columns not named stay NULL. Names are compared case-insensitively
    // with the schema's columns; an unknown name throws.
    void insert(const QString &table, const QVariantMap &values);
    // Inserts one row whose values stand in the schema's column order (missing tail = NULL).
    void insertRow(const QString &table, const std::vector<QVariant> &values);

    // First column of the first row of a query, or an invalid QVariant.
    QVariant scalar(const QString &sql);
    // All rows of a query, each a list of column values.
    QList<QVariantList> rows(const QString &sql);

    sqlite3 *handle() const { return m_db; }

private:
    struct Prepared {
        sqlite3_stmt *stmt = nullptr;
        const db::TableDef *table = nullptr;
    };
    Prepared &prepared(const QString &table);
    void bind(sqlite3_stmt *stmt, int index, const QVariant &value, const db::ColumnDef &col);
    void step(sqlite3_stmt *stmt, const QString &table);
    [[noreturn]] void fail(const QString &what);

    sqlite3 *m_db = nullptr;
    QHash<QString, Prepared> m_prepared;
};

// Writes a database file under a temporary name and renames it over `finalPath` only
// when everything went well, so that a failed build never leaves half a catalogue behind.
class AtomicSqliteFile {
public:
    explicit AtomicSqliteFile(const QString &finalPath);
    ~AtomicSqliteFile(); // removes the temporary file unless committed
    SqliteFile &file() { return *m_file; }
    void commitFile(); // closes and renames
    const QString &finalPath() const { return m_final; }
    const QString &tempPath() const { return m_temp; }
private:
    QString m_final;
    QString m_temp;
    std::unique_ptr<SqliteFile> m_file;
    bool m_done = false;
};

// What became of the user file when a catalogue was written.
enum class UserFileOutcome {
    Created, // there was none: the fresh one was installed
    Kept,    // the existing one already had the current tables and stays as it was
    CarriedOver // its tables had changed: its rows were carried into the fresh one
};

// Installs a freshly built user file unless one exists at its final path: the user's own
// materials, notes and settings live there and a rebuilt catalogue must not lose them. An
// existing file with the current tables is left untouched (the fresh one is discarded); one
// whose tables differ has its rows carried over, column by column, into the fresh file, which
// then replaces it. An existing file that is no readable database throws ToolError and stays.
UserFileOutcome installUserFile(AtomicSqliteFile &fresh);
QString userFileOutcomeText(UserFileOutcome outcome);
// Once the catalogue in `dataFolder` was replaced: fills the working copies of the user file
// beside it from the new catalogue, keeping every own row (renumbered where the catalogue uses
// its number). Returns what happened, empty when the user file has no working copies yet.
QString keepOwnRows(const QString &dataFolder);

} // namespace orv::catalogue
