#include "SqliteFile.h"

#include "db/Connection.h"
#include "db/WorkingCopies.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>

#include <sqlite3.h>

#include <filesystem>

#include "core/SqlText.h"

namespace orv::catalogue {

SqliteFile::SqliteFile(const QString &path)
{
    const QByteArray p = QFile::encodeName(path);
    if (sqlite3_open_v2(p.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw ToolError(QStringLiteral("Cannot open %1: %2").arg(path, msg));
    }
    // The tools write whole files in one go; a crash leaves only a temporary file.
    exec(QStringLiteral("PRAGMA journal_mode=OFF"));
    exec(QStringLiteral("PRAGMA synchronous=OFF"));
}

SqliteFile::~SqliteFile()
{
    for (Prepared &p : m_prepared)
        sqlite3_finalize(p.stmt);
    sqlite3_close(m_db);
}

void SqliteFile::fail(const QString &what)
{
    throw ToolError(QStringLiteral("%1: %2").arg(what, QString::fromUtf8(sqlite3_errmsg(m_db))));
}

void SqliteFile::createTables(db::Database which)
{
    for (const db::TableDef &t : db::schema()) {
        if (t.database != which)
            continue;
        for (const QString &s : db::createStatements(t))
            exec(s);
    }
}

void SqliteFile::exec(const QString &sql)
{
    char *err = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        QString msg = QString::fromUtf8(err ? err : "?");
        sqlite3_free(err);
        throw ToolError(QStringLiteral("%1: %2").arg(sql.left(200), msg));
    }
}

SqliteFile::Prepared &SqliteFile::prepared(const QString &table)
{
    auto it = m_prepared.find(table);
    if (it != m_prepared.end())
        return *it;
    const db::TableDef *def = db::table(table);
    if (!def)
        throw ToolError(QStringLiteral("Unknown table %1").arg(table));
    QStringList cols, marks;
    for (const db::ColumnDef &c : def->columns) {
        cols << QStringLiteral("\"%1\"").arg(c.name);
        marks << QStringLiteral("?");
    }
    const QString sql = QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                            .arg(def->name, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    Prepared p;
    p.table = def;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &p.stmt, nullptr) != SQLITE_OK)
        fail(sql);
    return *m_prepared.insert(table, p);
}

void SqliteFile::bind(sqlite3_stmt *stmt, int index, const QVariant &v, const db::ColumnDef &col)
{
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (col.type) {
    case db::ColumnType::Integer: {
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (!ok)
            throw ToolError(QStringLiteral("Column %1: not a whole number: %2").arg(col.name, v.toString()));
        sqlite3_bind_int64(stmt, index, n);
        break;
    }
    case db::ColumnType::Number: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            throw ToolError(QStringLiteral("Column %1: not a number: %2").arg(col.name, v.toString()));
        sqlite3_bind_double(stmt, index, d);
        break;
    }
    case db::ColumnType::Logical:
        sqlite3_bind_int(stmt, index, v.toBool() ? 1 : 0);
        break;
    case db::ColumnType::Alpha:
    case db::ColumnType::Memo: {
        const QByteArray u = v.toString().toUtf8();
        sqlite3_bind_text(stmt, index, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

void SqliteFile::step(sqlite3_stmt *stmt, const QString &table)
{
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Insert into %1").arg(table));
}

void SqliteFile::insert(const QString &table, const QVariantMap &values)
{
    Prepared &p = prepared(table);
    for (auto it = values.begin(); it != values.end(); ++it)
        if (!p.table->column(it.key()))
            throw ToolError(QStringLiteral("Table %1 has no column %2").arg(table, it.key()));
    int i = 1;
    for (const db::ColumnDef &c : p.table->columns) {
        QVariant v;
        for (auto it = values.begin(); it != values.end(); ++it)
            if (it.key().compare(c.name, Qt::CaseInsensitive) == 0) {
                v = it.value();
                break;
            }
        bind(p.stmt, i++, v, c);
    }
    step(p.stmt, table);
}

void SqliteFile::insertRow(const QString &table, const std::vector<QVariant> &values)
{
    Prepared &p = prepared(table);
    if (values.size() > size_t(p.table->columns.size()))
        throw ToolError(QStringLiteral("Too many values for %1").arg(table));
    for (int i = 0; i < p.table->columns.size(); ++i)
        bind(p.stmt, i + 1, size_t(i) < values.size() ? values[size_t(i)] : QVariant(), p.table->columns[i]);
    step(p.stmt, table);
}

QList<QVariantList> SqliteFile::rows(const QString &sql)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        fail(sql);
    QList<QVariantList> out;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QVariantList row;
        const int n = sqlite3_column_count(stmt);
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_NULL: row << QVariant(); break;
            case SQLITE_INTEGER: row << QVariant(qlonglong(sqlite3_column_int64(stmt, i))); break;
            case SQLITE_FLOAT: row << QVariant(sqlite3_column_double(stmt, i)); break;
            default:
                row << QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)),
                                                  sqlite3_column_bytes(stmt, i)));
            }
        }
        out << row;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        fail(sql);
    return out;
}

QVariant SqliteFile::scalar(const QString &sql)
{
    const QList<QVariantList> r = rows(sql);
    return r.isEmpty() || r.first().isEmpty() ? QVariant() : r.first().first();
}

AtomicSqliteFile::AtomicSqliteFile(const QString &finalPath)
    : m_final(finalPath), m_temp(finalPath + QStringLiteral(".tmp"))
{
    QDir().mkpath(QFileInfo(finalPath).absolutePath());
    QFile::remove(m_temp);
    m_file = std::make_unique<SqliteFile>(m_temp);
}

AtomicSqliteFile::~AtomicSqliteFile()
{
    if (!m_done) {
        m_file.reset();
        QFile::remove(m_temp);
    }
}

void AtomicSqliteFile::commitFile()
{
    m_file.reset();
    // rename() replaces the old file in one step: readers see the old or the new catalogue.
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(m_temp).toStdString(), QFile::encodeName(m_final).toStdString(), ec);
    if (ec)
        throw ToolError(QStringLiteral("Cannot rename %1 to %2: %3").arg(m_temp, m_final, QString::fromStdString(ec.message())));
    m_done = true;
}

namespace {

QStringList columnsOf(SqliteFile &db, const QString &schemaName, const QString &table)
{
    QStringList out;
    for (const QVariantList &r : db.rows(QStringLiteral("PRAGMA \"%1\".table_info(\"%2\")").arg(schemaName, table)))
        out << r.value(1).toString();
    return out;
}

bool sameColumns(const QStringList &have, const db::TableDef &t)
{
    if (have.size() != t.columns.size())
        return false;
    for (int i = 0; i < have.size(); ++i)
        if (have[i].compare(t.columns[i].name, Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

} // namespace

UserFileOutcome installUserFile(AtomicSqliteFile &fresh)
{
    const QString existing = fresh.finalPath();
    if (!QFileInfo::exists(existing)) {
        fresh.commitFile();
        return UserFileOutcome::Created;
    }
    SqliteFile &db = fresh.file();
    try {
        db.exec(QStringLiteral("ATTACH DATABASE %1 AS old").arg(orv::sqlQuote(existing)));
        db.scalar(QStringLiteral("SELECT count(*) FROM old.sqlite_master"));
    } catch (const ToolError &e) {
        throw ToolError(QStringLiteral("The existing user file %1 cannot be read (%2); it was left as it is. "
                                       "Move it away to have a new one created.").arg(existing, e.text()));
    }
    bool current = true;
    for (const db::TableDef &t : db::schema())
        if (t.database == db::Database::User && !sameColumns(columnsOf(db, QStringLiteral("old"), t.name), t))
            current = false;
    if (current) {
        db.exec(QStringLiteral("DETACH DATABASE old"));
        return UserFileOutcome::Kept; // the fresh file is removed with `fresh`
    }
    // The tables changed: the rows of every table the old file has move into the fresh file
    // (columns matched by name; new columns stay empty, dropped ones are left behind).
    db.begin();
    for (const db::TableDef &t : db::schema()) {
        if (t.database != db::Database::User)
            continue;
        const QStringList old = columnsOf(db, QStringLiteral("old"), t.name);
        if (old.isEmpty())
            continue; // a table the old file did not have keeps its fresh rows
        QStringList common;
        for (const db::ColumnDef &c : t.columns)
            for (const QString &o : old)
                if (o.compare(c.name, Qt::CaseInsensitive) == 0)
                    common << QStringLiteral("\"%1\"").arg(c.name);
        db.exec(QStringLiteral("DELETE FROM main.\"%1\"").arg(t.name));
        if (!common.isEmpty())
            db.exec(QStringLiteral("INSERT INTO main.\"%1\" (%2) SELECT %2 FROM old.\"%1\"")
                        .arg(t.name, common.join(QLatin1Char(','))));
    }
    // The working copies of the material tables hold the user's own materials: they move
    // along whole (the program fills them again from the new catalogue at its next start).
    for (const QString &name : db::workingCopyTables()) {
        const QStringList old = columnsOf(db, QStringLiteral("old"), name);
        if (old.isEmpty())
            continue;
        const db::TableDef *t = db::table(name);
        for (const QString &s : db::createStatements(*t))
            db.exec(s);
        QStringList common;
        for (const db::ColumnDef &c : t->columns)
            for (const QString &o : old)
                if (o.compare(c.name, Qt::CaseInsensitive) == 0)
                    common << QStringLiteral("\"%1\"").arg(c.name);
        if (!common.isEmpty())
            db.exec(QStringLiteral("INSERT INTO main.\"%1\" (%2) SELECT %2 FROM old.\"%1\"")
                        .arg(t->name, common.join(QLatin1Char(','))));
    }
    db.commit();
    db.exec(QStringLiteral("DETACH DATABASE old"));
    fresh.commitFile();
    return UserFileOutcome::CarriedOver;
}

QString keepOwnRows(const QString &dataFolder)
{
    const QString cat = dataFolder + QLatin1Char('/') + db::catalogueFileName();
    const QString user = dataFolder + QLatin1Char('/') + db::userFileName();
    try {
        db::Connection c;
        c.openWorking(cat, user);
        const bool hasCopies =
            c.scalar(QStringLiteral("select count(*) from main.sqlite_master where type = 'table' and name = 'Mat'")).toInt() > 0;
        if (c.isReadOnly(db::Database::User) || !hasCopies)
            return QString(); // no working copies yet: the program fills them at its first start
        const db::WorkingCopyRefresh r = db::refreshWorkingCopies(c);
        QString text = QStringLiteral("own materials kept in the user file: %1").arg(r.ownMaterials);
        if (!r.renumbered.isEmpty()) {
            QStringList rows;
            for (const db::RenumberedRow &row : r.renumbered)
                rows << QStringLiteral("%1 %2 -> %3").arg(row.table).arg(row.from).arg(row.to);
            text += QStringLiteral("; renumbered because the new catalogue uses their numbers: %1").arg(rows.join(QStringLiteral(", ")));
        }
        return text;
    } catch (const db::DbError &e) {
        throw ToolError(QStringLiteral("The catalogue was written, but the own materials of %1 could not be carried "
                                       "into its working copies (%2); the user file was left as it was. ")
                            .arg(user, e.text()));
    }
}

QString userFileOutcomeText(UserFileOutcome outcome)
{
    switch (outcome) {
    case UserFileOutcome::Created: return QStringLiteral("user file: created");
    case UserFileOutcome::Kept: return QStringLiteral("user file: the existing one kept");
    case UserFileOutcome::CarriedOver: return QStringLiteral("user file: the existing one's rows carried over to the current tables");
    }
    return QString();
}

} // namespace orv::catalogue
