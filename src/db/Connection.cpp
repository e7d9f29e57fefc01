#include "db/Connection.h"

#include "db/DataSet.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include "db/engine/PgEngine.h"
#include "db/engine/SqliteEngine.h"

namespace orv::db {

// Recently finished statements of one connection, kept prepared for the next Statement with the
// same SQL text. A statement is finalized instead of kept when it was prepared in an earlier
// generation: close, attach, detach and a changed schema start a new one. A kept statement is
// only handed out while no database's schema version has moved since the generation began:
// its column list would otherwise be stale until its first step, and a missing table would be
// reported by step() rather than where the statement is made.
namespace {

[[noreturn]] void notOpen(const QString &file)
{
    throw DbError(QStringLiteral("Databáze není otevřena."), file);
}

} // namespace

// ---------------------------------------------------------------- Statement

Statement::Statement(Connection &connection, const QString &sql) : m_conn(&connection), m_sql(sql)
{
    if (!connection.isOpen())
        notOpen(connection.mainFile());
    m_session = connection.m_session;
    m_cursor = m_session->prepare(sql);
}

Statement::~Statement()
{
    if (m_cursor)
        m_session->release(m_cursor);
}

Statement::Statement(Statement &&other) noexcept
    : m_conn(other.m_conn), m_session(std::move(other.m_session)), m_cursor(other.m_cursor),
      m_sql(std::move(other.m_sql))
{
    other.m_cursor = nullptr;
}

void Statement::bind(int index, const QVariant &value)
{
    m_cursor->bind(index, value);
}

void Statement::bind(const QString &name, const QVariant &value)
{
    const QString want = name.startsWith(u':') ? name.mid(1) : name;
    const int n = m_cursor->parameterCount();
    for (int i = 1; i <= n; ++i)
        if (m_cursor->parameterName(i).compare(want, Qt::CaseInsensitive) == 0)
            m_cursor->bind(i, value);
}

void Statement::bindAll(const QVariantMap &params)
{
    const int n = m_cursor->parameterCount();
    for (int i = 1; i <= n; ++i) {
        const QString name = m_cursor->parameterName(i);
        QVariant v;
        if (!name.isEmpty()) {
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
        m_cursor->bind(i, v);
    }
}

QStringList Statement::parameterNames() const
{
    QStringList out;
    const int n = m_cursor->parameterCount();
    for (int i = 1; i <= n; ++i)
        out << m_cursor->parameterName(i);
    return out;
}

bool Statement::step()
{
    return m_cursor->step();
}

void Statement::reset()
{
    m_cursor->reset();
}

int Statement::execute()
{
    while (m_cursor->step()) {
    }
    return m_cursor->changes();
}

int Statement::columnCount() const
{
    return m_cursor->columnCount();
}

QString Statement::columnName(int i) const
{
    return m_cursor->columnName(i);
}

QString Statement::columnDeclType(int i) const
{
    return m_cursor->columnDeclType(i);
}

QVariant Statement::value(int i) const
{
    return m_cursor->value(i);
}

bool Statement::isNull(int i) const
{
    return m_cursor->isNull(i);
}

// ---------------------------------------------------------------- Connection

Connection::Connection(const QString &name) : m_name(name) {}

int Connection::cachedStatementCount() const
{
    return m_session ? m_session->cachedCount() : 0;
}

void Connection::dropCachedStatements()
{
    if (m_session)
        m_session->dropCached();
}

bool Connection::isOpen() const
{
    return m_session && m_session->isOpen();
}

Engine Connection::engine() const
{
    return m_session ? m_session->engine() : Engine::Sqlite;
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
        // Scope guard: undoes the half-done open and passes the error on unchanged.
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
        // Scope guard: undoes the half-done open and passes the error on unchanged.
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
                      file, 14 /* cannot open */);
    if (mode == OpenMode::ReadWrite && isReadOnlyLocation(file))
        mode = OpenMode::ReadOnly;
    auto session = std::make_shared<engine::SqliteSession>(this);
    session->open(file, mode);
    m_session = session;
    m_mainFile = file;
}

void Connection::openServer(const QString &conninfo, ServerSession kind)
{
    close();
    auto session = std::make_shared<engine::PgSession>(this);
    session->open(conninfo, kind == ServerSession::Engineer);
    m_session = session;
}

void Connection::attach(const QString &file, const QString &schemaName, OpenMode mode)
{
    if (!isOpen())
        notOpen(file);
    if (engine() != Engine::Sqlite)
        throw DbError(QStringLiteral("K databázi na serveru nelze připojit soubor %1.").arg(file));
    if (mode != OpenMode::Create && !QFileInfo::exists(file))
        throw DbError(QStringLiteral("Soubor databáze neexistuje (unable to open database file)."),
                      file, 14 /* cannot open */);
    if (mode == OpenMode::ReadWrite && isReadOnlyLocation(file))
        mode = OpenMode::ReadOnly;
    static_cast<engine::SqliteSession *>(m_session.get())->attach(file, schemaName, mode);
}

void Connection::close()
{
    if (!m_session)
        return;
    // Statements still in use keep the session object; closing it here ends their engine
    // handles as far as the engine allows (SQLite defers until they are finalized).
    m_session->close();
    m_session.reset();
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
    if (!isOpen())
        notOpen(m_mainFile);
    // Statements that steer the transaction itself run as they are.
    static const QRegularExpression control(
        QStringLiteral("^\\s*(set\\s+transaction|savepoint|release|rollback|commit|begin|start\\s+transaction)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    engine::StatementGuard guard(m_session.get(), inTransaction() && !control.match(sql).hasMatch());
    m_session->exec(sql, params);
    guard.done();
}

QVariant Connection::scalar(const QString &sql, const QVariantMap &params)
{
    if (!isOpen())
        notOpen(m_mainFile);
    engine::StatementGuard guard(m_session.get(), inTransaction());
    QVariant v;
    {
        Statement st(*this, sql);
        st.bindAll(params);
        if (st.step())
            v = st.value(0);
    }
    guard.done();
    return v;
}

int Connection::changes() const
{
    return isOpen() ? m_session->changes() : 0;
}

bool Connection::tableExists(const QString &table) const
{
    return !tableColumns(table).isEmpty();
}

QStringList Connection::tableColumns(const QString &table) const
{
    return isOpen() ? m_session->tableColumns(table) : QStringList();
}

void Connection::copyIn(const QString &table, const QStringList &columns,
                        const std::function<bool(QVariantList &row)> &next)
{
    if (!isOpen())
        notOpen(m_mainFile);
    m_session->copyIn(table, columns, next);
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
    if (!m_conn.isOpen())
        notOpen(m_conn.mainFile());
    m_name = QStringLiteral("orv_sp%1").arg(++m_conn.m_savepointSerial);
    m_conn.m_session->begin(m_name, m_conn.m_savepointDepth == 0);
    ++m_conn.m_savepointDepth;
    m_conn.m_writers.append(QList<QPointer<DataSet>>());
}

Transaction::~Transaction()
{
    if (!m_done) {
        try {
            rollback();
        } catch (...) {
            // On purpose: a destructor must not throw, and the engine has rolled back what it
            // could (a lost server ends the transaction itself); the caller already has the
            // error that left the transaction unfinished.
        }
    }
}

void Transaction::commit()
{
    if (m_done)
        return;
    // A commit the engine refuses (the server ends a transaction on an error inside it) leaves
    // the transaction to the rollback of the destructor.
    m_conn.m_session->commit(m_name, m_conn.m_savepointDepth == 1);
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
    const bool outermost = m_conn.m_savepointDepth == 1;
    --m_conn.m_savepointDepth;
    auto writers = m_conn.m_writers.isEmpty() ? QList<QPointer<DataSet>>() : m_conn.m_writers.takeLast();
    if (m_conn.isOpen())
        m_conn.m_session->rollback(m_name, outermost);
    // Rows these data sets hold in memory were written by the rolled-back savepoint.
    for (const auto &w : writers)
        if (w)
            w->reloadAfterRollback();
}

QList<QVariantMap> readRows(Connection &connection, const QString &sql, const QVariantMap &params)
{
    Statement st(connection, sql);
    st.bindAll(params);
    QList<QVariantMap> rows;
    while (st.step()) {
        QVariantMap row;
        for (int i = 0; i < st.columnCount(); ++i)
            row.insert(st.columnName(i).toLower(), st.value(i));
        rows << row;
    }
    return rows;
}

} // namespace orv::db
