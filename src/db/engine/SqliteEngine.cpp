#include "db/engine/SqliteEngine.h"

#include "core/CodePage.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <QUrl>

#include <sqlite3.h>

#include <climits>
#include <limits>
#include <vector>

namespace orv::db::engine {

// Recently finished statements of one connection, kept prepared for the next Statement with the
// same SQL text. A statement is finalized instead of kept when it was prepared in an earlier
// generation: close, attach, detach and a changed schema start a new one. A kept statement is
// only handed out while no database's schema version has moved since the generation began:
// its column list would otherwise be stale until its first step, and a missing table would be
// reported by step() rather than where the statement is made.
struct StatementCache {
    struct Entry {
        QString sql;
        sqlite3_stmt *stmt;
    };
    sqlite3 *db = nullptr;
    quint64 generation = 1;
    std::vector<Entry> entries; // least recently returned first
    std::vector<sqlite3_stmt *> versionQueries; // "PRAGMA <db>.schema_version", one per database
    std::vector<qint64> versions;               // as read when the generation began
    bool versionsKnown = false;

    ~StatementCache() { clear(); }

    void clear()
    {
        for (const Entry &e : entries)
            sqlite3_finalize(e.stmt);
        entries.clear();
        for (sqlite3_stmt *q : versionQueries)
            sqlite3_finalize(q);
        versionQueries.clear();
        versions.clear();
        versionsKnown = false;
        ++generation;
    }

    // The current schema version of every database; false when one cannot be read.
    bool readVersions(std::vector<qint64> &out)
    {
        out.clear();
        for (sqlite3_stmt *q : versionQueries) {
            const int rc = sqlite3_step(q);
            const qint64 v = rc == SQLITE_ROW ? sqlite3_column_int64(q, 0) : -1;
            sqlite3_reset(q);
            if (rc != SQLITE_ROW)
                return false;
            out.push_back(v);
        }
        return true;
    }

    // Notes the schema versions the statements of this generation are prepared against.
    void snapshot()
    {
        if (versionsKnown || !db)
            return;
        QStringList names{QStringLiteral("main"), QStringLiteral("temp")};
        sqlite3_stmt *list = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA database_list", -1, &list, nullptr) == SQLITE_OK) {
            while (sqlite3_step(list) == SQLITE_ROW) {
                const QString n = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(list, 1)));
                if (!names.contains(n))
                    names << n;
            }
        }
        sqlite3_finalize(list);
        for (const QString &n : names) {
            const QByteArray sql = QStringLiteral("PRAGMA \"%1\".schema_version").arg(QString(n).replace(u'"', QStringLiteral("\"\""))).toUtf8();
            sqlite3_stmt *q = nullptr;
            if (sqlite3_prepare_v2(db, sql.constData(), -1, &q, nullptr) != SQLITE_OK) {
                sqlite3_finalize(q);
                clear();
                return;
            }
            versionQueries.push_back(q);
        }
        if (!readVersions(versions)) {
            clear();
            return;
        }
        versionsKnown = true;
    }

    sqlite3_stmt *take(const QString &sql)
    {
        for (auto it = entries.end(); it != entries.begin();) {
            --it;
            if (it->sql != sql)
                continue;
            sqlite3_stmt *st = it->stmt;
            entries.erase(it);
            std::vector<qint64> now;
            if (!versionsKnown || !readVersions(now) || now != versions) {
                sqlite3_finalize(st);
                clear();
                return nullptr;
            }
            return st;
        }
        return nullptr;
    }

    void give(const QString &sql, sqlite3_stmt *st, quint64 prepared)
    {
        if (!db || prepared != generation || !versionsKnown || sqlite3_db_handle(st) != db) {
            sqlite3_finalize(st);
            return;
        }
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        entries.push_back(Entry{sql, st});
        if (entries.size() > size_t(Connection::statementCacheLimit)) {
            sqlite3_finalize(entries.front().stmt);
            entries.erase(entries.begin());
        }
    }
};

namespace {

// Whether a text changes the set of databases of the connection.
bool attachesOrDetaches(const QString &sql)
{
    return sql.contains(QLatin1String("attach"), Qt::CaseInsensitive);
}

} // namespace

namespace {

QString fromUtf8(const unsigned char *text, int bytes)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(text), bytes);
}

QString valueText(sqlite3_value *v)
{
    return fromUtf8(sqlite3_value_text(v), sqlite3_value_bytes(v));
}

void resultText(sqlite3_context *ctx, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void upperFunc(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, valueText(argv[0]).toUpper());
}

// FOLD(text): the text without diacritics (hřídele -> hridele), for searches that ignore them.
void foldFunc(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, orv::foldToAscii(valueText(argv[0])));
}

void lowerFunc(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, valueText(argv[0]).toLower());
}

// Case-sensitive LIKE over Unicode characters: % any run, _ one character, `esc` makes the
// next pattern character literal.
bool likeMatch(const QString &pattern, const QString &text, QChar esc, bool hasEsc)
{
    qsizetype p = 0, t = 0;
    qsizetype starP = -1, starT = -1;
    const qsizetype np = pattern.size(), nt = text.size();
    while (t < nt) {
        if (p < np) {
            QChar pc = pattern[p];
            if (hasEsc && pc == esc && p + 1 < np) {
                if (pattern[p + 1] == text[t]) {
                    p += 2;
                    ++t;
                    continue;
                }
            } else if (pc == u'%') {
                starP = ++p;
                starT = t;
                continue;
            } else if (pc == u'_' || pc == text[t]) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP >= 0) {
            p = starP;
            t = ++starT;
            continue;
        }
        return false;
    }
    while (p < np && pattern[p] == u'%')
        ++p;
    return p == np;
}

void likeFunc(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    QChar esc;
    bool hasEsc = false;
    if (argc == 3) {
        if (sqlite3_value_type(argv[2]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
        const QString e = valueText(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        esc = e[0];
        hasEsc = true;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, likeMatch(valueText(argv[0]), valueText(argv[1]), esc, hasEsc) ? 1 : 0);
}

// Texts ordered as their Windows-1250 bytes order them, as the catalogue was always sorted;
// texts that share those bytes (letters the code page lacks) fall back to Unicode order so
// that different texts never compare equal.
int cp1250Compare(void *, int lenA, const void *a, int lenB, const void *b)
{
    const QString x = QString::fromUtf8(static_cast<const char *>(a), lenA);
    const QString y = QString::fromUtf8(static_cast<const char *>(b), lenB);
    const QByteArray bx = orv::encode(x), by = orv::encode(y);
    const int n = int(std::min(bx.size(), by.size()));
    for (int i = 0; i < n; ++i) {
        const unsigned char cx = uchar(bx[i]), cy = uchar(by[i]);
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    if (bx.size() != by.size())
        return bx.size() < by.size() ? -1 : 1;
    return x.compare(y);
}

QVariant columnValue(sqlite3_stmt *st, int i)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(st, i);
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return QVariant(int(v));
        return QVariant(qlonglong(v));
    }
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, i));
    case SQLITE_TEXT:
        return QVariant(fromUtf8(sqlite3_column_text(st, i), sqlite3_column_bytes(st, i)));
    case SQLITE_BLOB: {
        const void *b = sqlite3_column_blob(st, i);
        return QVariant(QByteArray(static_cast<const char *>(b), sqlite3_column_bytes(st, i)));
    }
    default:
        return QVariant();
    }
}

int bindValue(sqlite3_stmt *st, int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(st, index);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return sqlite3_bind_int(st, index, value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return sqlite3_bind_int64(st, index, value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(st, index, qint64(value.toULongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(st, index, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        return sqlite3_bind_blob(st, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        return sqlite3_bind_text(st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}

} // namespace

struct SqliteSession::Impl {
    const Connection *owner;
    sqlite3 *db = nullptr;
    StatementCache cache;

    [[noreturn]] void raise(int rc, const QString &sql = QString()) const
    {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        throw DbError(msg, owner->errorFile(msg, sql), rc);
    }

    void checkReadable(const QString &schema, const QString &file)
    {
        // Opening is lazy: read the schema now so that a file that is no database is reported
        // here, with its name, and not at the first query.
        sqlite3_stmt *st = nullptr;
        const QByteArray sql = QStringLiteral("SELECT count(*) FROM \"%1\".sqlite_master").arg(schema).toUtf8();
        int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW || rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        QString msg = rc != SQLITE_OK ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_finalize(st);
        if (rc != SQLITE_OK)
            throw DbError(msg, file, rc);
    }

    void registerFunctions()
    {
        const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
        sqlite3_create_function_v2(db, "upper", 1, flags, nullptr, upperFunc, nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db, "lower", 1, flags, nullptr, lowerFunc, nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db, "fold", 1, flags, nullptr, foldFunc, nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunc, nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db, "like", 3, flags, nullptr, likeFunc, nullptr, nullptr, nullptr);
        sqlite3_create_collation_v2(db, "CP1250", SQLITE_UTF8, nullptr, cp1250Compare, nullptr);
    }
};

namespace {

class SqliteCursor : public Cursor {
public:
    SqliteCursor(SqliteSession::Impl *session, sqlite3_stmt *stmt, const QString &sql, bool keep, quint64 generation)
        : s(session), st(stmt), text(sql), keepable(keep), gen(generation)
    {
    }

    int parameterCount() const override { return sqlite3_bind_parameter_count(st); }
    QString parameterName(int index) const override
    {
        const char *pn = sqlite3_bind_parameter_name(st, index);
        return pn ? QString::fromUtf8(pn + 1) : QString();
    }
    void bind(int index, const QVariant &value) override
    {
        const int rc = bindValue(st, index, value);
        if (rc != SQLITE_OK)
            s->raise(rc);
    }
    bool step() override
    {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE) {
            lastChanges = sqlite3_changes(s->db);
            return false;
        }
        sqlite3_reset(st);
        s->raise(rc, text);
    }
    void reset() override { sqlite3_reset(st); }
    int changes() const override { return lastChanges; }
    int columnCount() const override { return sqlite3_column_count(st); }
    QString columnName(int i) const override { return QString::fromUtf8(sqlite3_column_name(st, i)); }
    QString columnDeclType(int i) const override
    {
        const char *t = sqlite3_column_decltype(st, i);
        return t ? QString::fromUtf8(t) : QString();
    }
    QVariant value(int i) const override { return columnValue(st, i); }
    bool isNull(int i) const override { return sqlite3_column_type(st, i) == SQLITE_NULL; }
    void appendRow(CellStore &data, const char *boolCol) const override
    {
        const int cols = sqlite3_column_count(st);
        for (int i = 0; i < cols; ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER: {
                const qint64 n = sqlite3_column_int64(st, i);
                if (boolCol[i])
                    data.emplaceBack(n != 0);
                else if (n >= INT_MIN && n <= INT_MAX)
                    data.emplaceBack(int(n));
                else
                    data.emplaceBack(qlonglong(n));
                break;
            }
            case SQLITE_FLOAT:
                data.emplaceBack(sqlite3_column_double(st, i));
                break;
            case SQLITE_TEXT: {
                const char *t = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
                data.emplaceBack(QString::fromUtf8(t, sqlite3_column_bytes(st, i)));
                break;
            }
            case SQLITE_NULL:
                data.emplaceBack();
                break;
            default:
                data.emplaceBack(columnValue(st, i));
                break;
            }
        }
    }

    SqliteSession::Impl *s;
    sqlite3_stmt *st;
    QString text;
    bool keepable;
    quint64 gen;
    int lastChanges = 0;
};

// Whether a file lies on a file system mounted read-only (an installation medium): nobody
// can change it while we read, so the engine may skip locking it.
bool onReadOnlyVolume(const QString &file)
{
    const QStorageInfo storage(QFileInfo(file).absolutePath());
    return storage.isValid() && storage.isReadOnly();
}

// The access of each file is set by its URI alone. The connection itself is always opened
// with read-write flags: the engine refuses to attach a file with more access than the main
// database's flags allow, so a read-only main file could not have a writable user file beside it.
QString uriFor(const QString &file, OpenMode mode)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    QString uri = url.toString(QUrl::FullyEncoded);
    switch (mode) {
    case OpenMode::ReadOnly:
        uri += QStringLiteral("?mode=ro");
        if (onReadOnlyVolume(file))
            uri += QStringLiteral("&immutable=1");
        break;
    case OpenMode::ReadWrite: uri += QStringLiteral("?mode=rw"); break;
    case OpenMode::Create: uri += QStringLiteral("?mode=rwc"); break;
    }
    return uri;
}

} // namespace

SqliteSession::SqliteSession(const Connection *owner) : d(std::make_unique<Impl>())
{
    d->owner = owner;
}

SqliteSession::~SqliteSession()
{
    close();
}

bool SqliteSession::isOpen() const
{
    return d->db != nullptr;
}

void SqliteSession::open(const QString &file, OpenMode mode)
{
    close();
    int flags = SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_READWRITE;
    if (mode == OpenMode::Create)
        flags |= SQLITE_OPEN_CREATE;
    const QByteArray uri = uriFor(file, mode).toUtf8();
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(uri.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw DbError(msg, file, rc);
    }
    d->db = db;
    d->cache.clear();
    d->cache.db = db;
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    // String constants are written in single quotes; a double-quoted word is an identifier.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    d->registerFunctions();
    try {
        d->checkReadable(QStringLiteral("main"), file);
    } catch (...) {
        // Scope guard: a file that cannot be read is not left open; the error goes on.
        close();
        throw;
    }
}

void SqliteSession::attach(const QString &file, const QString &schemaName, OpenMode mode)
{
    dropCached();
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QStringLiteral("ATTACH DATABASE ?1 AS \"%1\"").arg(schemaName).toUtf8();
    int rc = sqlite3_prepare_v2(d->db, sql.constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray uri = uriFor(file, mode).toUtf8();
        sqlite3_bind_text(st, 1, uri.constData(), int(uri.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    QString msg = rc != SQLITE_OK ? QString::fromUtf8(sqlite3_errmsg(d->db)) : QString();
    sqlite3_finalize(st);
    if (rc != SQLITE_OK)
        throw DbError(msg, file, rc);
    d->checkReadable(schemaName, file);
}

void SqliteSession::close()
{
    if (!d->db)
        return;
    // Kept statements are finalized here; those still in use are finalized by their owners,
    // and close_v2 defers closing until they are.
    d->cache.clear();
    d->cache.db = nullptr;
    sqlite3_close_v2(d->db);
    d->db = nullptr;
}

Cursor *SqliteSession::prepare(const QString &sql)
{
    StatementCache &cache = d->cache;
    bool keep = false;
    quint64 generation = 0;
    if (attachesOrDetaches(sql)) {
        dropCached();
    } else if (cache.db == d->db) {
        sqlite3_stmt *kept = cache.take(sql);
        cache.snapshot();
        keep = cache.versionsKnown;
        generation = cache.generation;
        if (kept)
            return new SqliteCursor(d.get(), kept, sql, keep, generation);
    }
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(d->db, utf8.constData(), int(utf8.size()), &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        d->raise(rc, sql);
    }
    if (!st)
        throw DbError(QStringLiteral("Prázdný příkaz SQL."), d->owner->mainFile());
    return new SqliteCursor(d.get(), st, sql, keep, generation);
}

void SqliteSession::release(Cursor *cursor)
{
    auto *c = static_cast<SqliteCursor *>(cursor);
    if (c->keepable)
        d->cache.give(c->text, c->st, c->gen);
    else
        sqlite3_finalize(c->st);
    delete c;
}

void SqliteSession::exec(const QString &sql, const QVariantMap &params)
{
    if (attachesOrDetaches(sql))
        dropCached();
    const QByteArray utf8 = sql.toUtf8();
    const char *p = utf8.constData();
    const char *end = p + utf8.size();
    while (p < end) {
        sqlite3_stmt *st = nullptr;
        const char *tail = nullptr;
        int rc = sqlite3_prepare_v2(d->db, p, int(end - p), &st, &tail);
        const QString text = QString::fromUtf8(p, int((tail ? tail : end) - p));
        if (rc != SQLITE_OK) {
            sqlite3_finalize(st);
            d->raise(rc, text);
        }
        p = tail ? tail : end;
        if (!st)
            continue; // whitespace or comment
        const int n = sqlite3_bind_parameter_count(st);
        for (int i = 1; i <= n; ++i) {
            const char *pn = sqlite3_bind_parameter_name(st, i);
            QVariant v;
            if (pn) {
                const QString name = QString::fromUtf8(pn + 1);
                for (auto j = params.constBegin(); j != params.constEnd(); ++j)
                    if (j.key().compare(name, Qt::CaseInsensitive) == 0) {
                        v = j.value();
                        break;
                    }
            }
            bindValue(st, i, v);
        }
        do {
            rc = sqlite3_step(st);
        } while (rc == SQLITE_ROW);
        if (rc != SQLITE_DONE) {
            QString msg = QString::fromUtf8(sqlite3_errmsg(d->db));
            sqlite3_finalize(st);
            throw DbError(msg, d->owner->errorFile(msg, text), rc);
        }
        sqlite3_finalize(st);
    }
}

int SqliteSession::changes() const
{
    return d->db ? sqlite3_changes(d->db) : 0;
}

QStringList SqliteSession::tableColumns(const QString &table)
{
    QStringList out;
    if (!d->db)
        return out;
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(QString(table).replace(u'"', QStringLiteral("\"\""))).toUtf8();
    if (sqlite3_prepare_v2(d->db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)));
    }
    sqlite3_finalize(st);
    return out;
}

int SqliteSession::cachedCount() const
{
    return int(d->cache.entries.size());
}

void SqliteSession::dropCached()
{
    d->cache.clear();
}

// Savepoints throughout: the outermost one begins the transaction, as BEGIN would.
void SqliteSession::begin(const QString &savepoint, bool)
{
    exec(QStringLiteral("SAVEPOINT ") + savepoint, {});
}

void SqliteSession::commit(const QString &savepoint, bool)
{
    exec(QStringLiteral("RELEASE ") + savepoint, {});
}

void SqliteSession::rollback(const QString &savepoint, bool)
{
    exec(QStringLiteral("ROLLBACK TO ") + savepoint, {});
    exec(QStringLiteral("RELEASE ") + savepoint, {});
}

void SqliteSession::copyIn(const QString &table, const QStringList &columns,
                           const std::function<bool(QVariantList &row)> &next)
{
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?%1").arg(i + 1);
    Cursor *c = prepare(QStringLiteral("insert into %1 (%2) values (%3)")
                            .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    try {
        QVariantList row;
        while (true) {
            row.clear();
            if (!next(row))
                break;
            for (int i = 0; i < columns.size(); ++i)
                c->bind(i + 1, i < row.size() ? row[i] : QVariant());
            c->step();
            c->reset();
        }
    } catch (...) {
        // Scope guard: the statement goes back to the cache; the error goes on.
        release(c);
        throw;
    }
    release(c);
}

} // namespace orv::db::engine
