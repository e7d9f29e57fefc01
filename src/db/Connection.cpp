#include "db/Connection.h"

#include "core/CodePage.h"
#include "db/DataSet.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QUrl>

#include <sqlite3.h>

#include <limits>
#include <vector>

namespace orv::db {

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

// ---------------------------------------------------------------- Statement

Statement::Statement(Connection &connection, const QString &sql) : m_conn(&connection), m_sql(sql)
{
    if (!connection.isOpen())
        throw DbError(QStringLiteral("Databáze není otevřena."), connection.mainFile());
    StatementCache *cache = connection.m_cache.get();
    if (attachesOrDetaches(sql)) {
        connection.dropCachedStatements();
    } else if (cache && cache->db == connection.handle()) {
        m_stmt = cache->take(sql);
        cache->snapshot();
        if (cache->versionsKnown) {
            m_cache = connection.m_cache;
            m_generation = cache->generation;
        }
        if (m_stmt)
            return;
    }
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = nullptr;
    int rc = sqlite3_prepare_v2(connection.handle(), utf8.constData(), int(utf8.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        connection.raise(rc, QString(), sql);
    }
    if (!m_stmt)
        throw DbError(QStringLiteral("Prázdný příkaz SQL."), connection.mainFile());
}

Statement::~Statement()
{
    if (!m_stmt)
        return;
    if (m_cache)
        m_cache->give(m_sql, m_stmt, m_generation);
    else
        sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement &&other) noexcept
    : m_conn(other.m_conn), m_stmt(other.m_stmt), m_sql(std::move(other.m_sql)),
      m_cache(std::move(other.m_cache)), m_generation(other.m_generation)
{
    other.m_stmt = nullptr;
}

void Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(m_stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(m_stmt, index, qint64(value.toULongLong()));
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = value.toByteArray();
            rc = sqlite3_bind_blob(m_stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        m_conn->raise(rc);
}

void Statement::bind(const QString &name, const QVariant &value)
{
    QString want = name.startsWith(u':') ? name.mid(1) : name;
    const int n = sqlite3_bind_parameter_count(m_stmt);
    for (int i = 1; i <= n; ++i) {
        const char *pn = sqlite3_bind_parameter_name(m_stmt, i);
        if (pn && QString::fromUtf8(pn + 1).compare(want, Qt::CaseInsensitive) == 0)
            bind(i, value);
    }
}

void Statement::bindAll(const QVariantMap &params)
{
    const int n = sqlite3_bind_parameter_count(m_stmt);
    for (int i = 1; i <= n; ++i) {
        const char *pn = sqlite3_bind_parameter_name(m_stmt, i);
        QVariant v;
        if (pn) {
            const QString name = QString::fromUtf8(pn + 1);
            auto it = params.constFind(name);
            if (it == params.constEnd()) {
                for (auto j = params.constBegin(); j != params.constEnd(); ++j)
                    if (j.key().compare(name, Qt::CaseInsensitive) == 0) {
                        it = j;
                        break;
                    }
            }
            if (it != params.constEnd())
                v = it.value();
        }
        bind(i, v);
    }
}

QStringList Statement::parameterNames() const
{
    QStringList out;
    const int n = sqlite3_bind_parameter_count(m_stmt);
    for (int i = 1; i <= n; ++i) {
        const char *pn = sqlite3_bind_parameter_name(m_stmt, i);
        out << (pn ? QString::fromUtf8(pn + 1) : QString());
    }
    return out;
}

bool Statement::step()
{
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    m_conn->raise(rc, QString(), m_sql);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
}

int Statement::execute()
{
    while (step()) {
    }
    return sqlite3_changes(m_conn->handle());
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int i) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, i));
}

QString Statement::columnDeclType(int i) const
{
    const char *t = sqlite3_column_decltype(m_stmt, i);
    return t ? QString::fromUtf8(t) : QString();
}

QVariant Statement::value(int i) const
{
    switch (sqlite3_column_type(m_stmt, i)) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(m_stmt, i);
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return QVariant(int(v));
        return QVariant(qlonglong(v));
    }
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, i));
    case SQLITE_TEXT: {
        const unsigned char *t = sqlite3_column_text(m_stmt, i);
        return QVariant(fromUtf8(t, sqlite3_column_bytes(m_stmt, i)));
    }
    case SQLITE_BLOB: {
        const void *b = sqlite3_column_blob(m_stmt, i);
        return QVariant(QByteArray(static_cast<const char *>(b), sqlite3_column_bytes(m_stmt, i)));
    }
    default:
        return QVariant();
    }
}

bool Statement::isNull(int i) const
{
    return sqlite3_column_type(m_stmt, i) == SQLITE_NULL;
}

// ---------------------------------------------------------------- Connection

Connection::Connection(const QString &name) : m_name(name), m_cache(std::make_shared<StatementCache>()) {}

int Connection::cachedStatementCount() const
{
    return int(m_cache->entries.size());
}

void Connection::dropCachedStatements()
{
    m_cache->clear();
}

Connection::~Connection()
{
    close();
}

bool Connection::isReadOnlyLocation(const QString &file)
{
    QFileInfo fi(file);
    if (!fi.exists())
        return false;
    if (!fi.isWritable())
        return true;
    QFileInfo dir(fi.absolutePath());
    if (!dir.isWritable())
        return true;
    QStorageInfo storage(fi.absolutePath());
    return storage.isValid() && storage.isReadOnly();
}

void Connection::open(const QString &catalogueFile, const QString &userFile, Database primary)
{
    close();
    const bool catRo = isReadOnlyLocation(catalogueFile);
    const bool userRo = isReadOnlyLocation(userFile);
    try {
        if (primary == Database::Catalogue) {
            openFile(catalogueFile, catRo ? OpenMode::ReadOnly : OpenMode::ReadWrite);
            attach(userFile, userSchema(), userRo ? OpenMode::ReadOnly : OpenMode::ReadWrite);
        } else {
            openFile(userFile, userRo ? OpenMode::ReadOnly : OpenMode::ReadWrite);
            attach(catalogueFile, catalogueSchema(), catRo ? OpenMode::ReadOnly : OpenMode::ReadWrite);
        }
    } catch (...) {
        close();
        throw;
    }
    m_catalogueFile = catalogueFile;
    m_userFile = userFile;
    m_catalogueReadOnly = catRo;
    m_userReadOnly = userRo;
}

void Connection::openWorking(const QString &catalogueFile, const QString &userFile)
{
    close();
    const bool userRo = isReadOnlyLocation(userFile);
    try {
        openFile(userFile, userRo ? OpenMode::ReadOnly : OpenMode::ReadWrite);
        attach(catalogueFile, catalogueSchema(), OpenMode::ReadOnly);
    } catch (...) {
        close();
        throw;
    }
    m_catalogueFile = catalogueFile;
    m_userFile = userFile;
    m_catalogueReadOnly = true;
    m_userReadOnly = userRo;
    m_working = true;
}

void Connection::openFile(const QString &file, OpenMode mode)
{
    close();
    if (mode != OpenMode::Create && !QFileInfo::exists(file))
        throw DbError(QStringLiteral("Soubor databáze neexistuje (unable to open database file)."),
                      file, SQLITE_CANTOPEN);
    if (mode == OpenMode::ReadWrite && isReadOnlyLocation(file))
        mode = OpenMode::ReadOnly;
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
    m_db = db;
    m_mainFile = file;
    m_cache->clear();
    m_cache->db = m_db;
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 5000);
    // String constants are written in single quotes; a double-quoted word is an identifier.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    registerFunctions();
    try {
        checkReadable(QStringLiteral("main"), file);
    } catch (...) {
        close();
        throw;
    }
}

void Connection::attach(const QString &file, const QString &schemaName, OpenMode mode)
{
    if (!m_db)
        throw DbError(QStringLiteral("Databáze není otevřena."), file);
    if (mode != OpenMode::Create && !QFileInfo::exists(file))
        throw DbError(QStringLiteral("Soubor databáze neexistuje (unable to open database file)."),
                      file, SQLITE_CANTOPEN);
    if (mode == OpenMode::ReadWrite && isReadOnlyLocation(file))
        mode = OpenMode::ReadOnly;
    dropCachedStatements();
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QStringLiteral("ATTACH DATABASE ?1 AS \"%1\"").arg(schemaName).toUtf8();
    int rc = sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray uri = uriFor(file, mode).toUtf8();
        sqlite3_bind_text(st, 1, uri.constData(), int(uri.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    QString msg = rc != SQLITE_OK ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    sqlite3_finalize(st);
    if (rc != SQLITE_OK)
        throw DbError(msg, file, rc);
    checkReadable(schemaName, file);
}

void Connection::checkReadable(const QString &schema, const QString &file)
{
    // Opening is lazy: read the schema now so that a file that is no database is reported
    // here, with its name, and not at the first query.
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QStringLiteral("SELECT count(*) FROM \"%1\".sqlite_master").arg(schema).toUtf8();
    int rc = sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW || rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    QString msg = rc != SQLITE_OK ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    sqlite3_finalize(st);
    if (rc != SQLITE_OK)
        throw DbError(msg, file, rc);
}

void Connection::close()
{
    if (!m_db)
        return;
    // Kept statements are finalized here; those still in use are finalized by their owners,
    // and close_v2 defers closing until they are.
    m_cache->clear();
    m_cache->db = nullptr;
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_mainFile.clear();
    m_catalogueFile.clear();
    m_userFile.clear();
    m_catalogueReadOnly = m_userReadOnly = false;
    m_working = false;
    m_savepointDepth = 0;
    m_writers.clear();
}

QString Connection::fileOf(Database which) const
{
    return which == Database::Catalogue ? m_catalogueFile : m_userFile;
}

bool Connection::isReadOnly(Database which) const
{
    return which == Database::Catalogue ? m_catalogueReadOnly : m_userReadOnly;
}

void Connection::registerFunctions()
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(m_db, "upper", 1, flags, nullptr, upperFunc, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(m_db, "lower", 1, flags, nullptr, lowerFunc, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(m_db, "fold", 1, flags, nullptr, foldFunc, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(m_db, "like", 2, flags, nullptr, likeFunc, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(m_db, "like", 3, flags, nullptr, likeFunc, nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(m_db, "CP1250", SQLITE_UTF8, nullptr, cp1250Compare, nullptr);
}

void Connection::raise(int rc, const QString &context, const QString &sql) const
{
    const QString engine = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
    QString msg = engine;
    if (!context.isEmpty())
        msg = context + QStringLiteral(": ") + msg;
    throw DbError(msg, errorFile(engine, sql), rc);
}

QString Connection::errorFile(const QString &message, const QString &sql) const
{
    // Only a session that holds both files can be wrong about which one failed.
    if (m_catalogueFile.isEmpty() || m_userFile.isEmpty())
        return m_mainFile;
    auto fileOfTable = [this](const QString &name) -> QString {
        QString t = name;
        if (const qsizetype dot = t.lastIndexOf(u'.'); dot >= 0)
            t = t.mid(dot + 1);
        const TableDef *def = table(t);
        if (def && m_working && hasWorkingCopy(def->name))
            return m_userFile;
        return def ? fileOf(def->database) : QString();
    };
    static const QRegularExpression missingTable(QStringLiteral("^no such table: ([\\w.]+)"));
    if (const QRegularExpressionMatch m = missingTable.match(message); m.hasMatch()) {
        const QString f = fileOfTable(m.captured(1));
        if (!f.isEmpty())
            return f;
    }
    // A write refused by a read-only file: when only one of the two is read-only, it is that one.
    if (message.contains(QLatin1String("readonly database")) && m_catalogueReadOnly != m_userReadOnly)
        return m_catalogueReadOnly ? m_catalogueFile : m_userFile;
    // Otherwise the tables the statement names tell the file when they all lie in one.
    if (!sql.isEmpty()) {
        static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
        QString found;
        bool mixed = false;
        for (auto it = word.globalMatch(sql); it.hasNext();) {
            const QString f = fileOfTable(it.next().captured(0));
            if (f.isEmpty())
                continue;
            if (!found.isEmpty() && f != found)
                mixed = true;
            found = f;
        }
        if (!found.isEmpty() && !mixed)
            return found;
    }
    return m_mainFile;
}

void Connection::exec(const QString &sql, const QVariantMap &params)
{
    if (!m_db)
        throw DbError(QStringLiteral("Databáze není otevřena."), m_mainFile);
    if (attachesOrDetaches(sql))
        dropCachedStatements();
    const QByteArray utf8 = sql.toUtf8();
    const char *p = utf8.constData();
    const char *end = p + utf8.size();
    while (p < end) {
        sqlite3_stmt *st = nullptr;
        const char *tail = nullptr;
        int rc = sqlite3_prepare_v2(m_db, p, int(end - p), &st, &tail);
        const QString text = QString::fromUtf8(p, int((tail ? tail : end) - p));
        if (rc != SQLITE_OK) {
            sqlite3_finalize(st);
            raise(rc, QString(), text);
        }
        p = tail ? tail : end;
        if (!st)
            continue; // whitespace or comment
        const int n = sqlite3_bind_parameter_count(st);
        if (n > 0) {
            // Bind through a Statement-like loop; names match case-insensitively.
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
                if (v.isNull()) {
                    sqlite3_bind_null(st, i);
                } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
                    sqlite3_bind_double(st, i, v.toDouble());
                } else if (v.typeId() == QMetaType::Bool || v.typeId() == QMetaType::Int
                           || v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::UInt) {
                    sqlite3_bind_int64(st, i, v.toLongLong());
                } else {
                    const QByteArray t = v.toString().toUtf8();
                    sqlite3_bind_text(st, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
                }
            }
        }
        do {
            rc = sqlite3_step(st);
        } while (rc == SQLITE_ROW);
        if (rc != SQLITE_DONE) {
            QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_finalize(st);
            throw DbError(msg, errorFile(msg, text), rc);
        }
        sqlite3_finalize(st);
    }
}

QVariant Connection::scalar(const QString &sql, const QVariantMap &params)
{
    Statement st(*this, sql);
    st.bindAll(params);
    if (!st.step())
        return QVariant();
    return st.value(0);
}

int Connection::changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

bool Connection::tableExists(const QString &table) const
{
    return !tableColumns(table).isEmpty();
}

QStringList Connection::tableColumns(const QString &table) const
{
    QStringList out;
    if (!m_db)
        return out;
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(QString(table).replace(u'"', QStringLiteral("\"\""))).toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)));
    }
    sqlite3_finalize(st);
    return out;
}

void Connection::noteWriter(DataSet *ds)
{
    if (m_savepointDepth == 0 || m_writers.isEmpty())
        return;
    auto &level = m_writers.last();
    for (const auto &p : level)
        if (p == ds)
            return;
    level.append(QPointer<DataSet>(ds));
}

// ---------------------------------------------------------------- Transaction

Transaction::Transaction(Connection &connection) : m_conn(connection)
{
    m_name = QStringLiteral("orv_sp%1").arg(++m_conn.m_savepointSerial);
    m_conn.exec(QStringLiteral("SAVEPOINT ") + m_name);
    ++m_conn.m_savepointDepth;
    m_conn.m_writers.append(QList<QPointer<DataSet>>());
}

Transaction::~Transaction()
{
    if (!m_done) {
        try {
            rollback();
        } catch (...) {
            // A destructor must not throw; the engine has rolled back what it could.
        }
    }
}

void Transaction::commit()
{
    if (m_done)
        return;
    m_conn.exec(QStringLiteral("RELEASE ") + m_name);
    m_done = true;
    --m_conn.m_savepointDepth;
    auto writers = m_conn.m_writers.takeLast();
    if (!m_conn.m_writers.isEmpty()) {
        // Still inside an outer savepoint: its rollback must reload these too.
        for (const auto &w : writers)
            if (w && !m_conn.m_writers.last().contains(w))
                m_conn.m_writers.last().append(w);
    }
}

void Transaction::rollback()
{
    if (m_done)
        return;
    m_done = true;
    --m_conn.m_savepointDepth;
    auto writers = m_conn.m_writers.isEmpty() ? QList<QPointer<DataSet>>() : m_conn.m_writers.takeLast();
    if (m_conn.isOpen()) {
        m_conn.exec(QStringLiteral("ROLLBACK TO ") + m_name);
        m_conn.exec(QStringLiteral("RELEASE ") + m_name);
    }
    // Rows these data sets hold in memory were written by the rolled-back savepoint.
    for (const auto &w : writers)
        if (w)
            w->reloadAfterRollback();
}

} // namespace orv::db
