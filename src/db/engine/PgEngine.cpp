// The server session: connecting, prepared statements and their cursors, transactions and
// bulk copy. The statement text it sends is translated in PgDialect.cpp.
#include "db/engine/PgEngine.h"

#include "db/ChangeConflict.h"
#include "db/Schema.h"
#include "db/ServerSetup.h"

#include <QHash>
#include <QRegularExpression>

#include <libpq-fe.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <optional>
#include <vector>

namespace orv::db::engine {

QByteArray doubleText(double d)
{
    if (std::isnan(d))
        return QByteArrayLiteral("NaN");
    if (std::isinf(d))
        return d > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity");
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    return QByteArray(buf, int(r.ptr - buf));
}

namespace {

// Type identifiers of the server's built-in types (pg_type.oid; fixed across versions).
enum : Oid {
    BoolOid = 16, ByteaOid = 17, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23, TextOid = 25,
    OidOid = 26, Float4Oid = 700, Float8Oid = 701, NumericOid = 1700
};

bool isIntegerType(Oid t) { return t == Int8Oid || t == Int2Oid || t == Int4Oid || t == OidOid; }
bool isFloatType(Oid t) { return t == Float4Oid || t == Float8Oid; }

QString serverMessage(const PGresult *res, PGconn *conn)
{
    QString msg = QString::fromUtf8(res ? PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY) : nullptr);
    if (msg.isEmpty())
        msg = QString::fromUtf8(res ? PQresultErrorMessage(res) : PQerrorMessage(conn)).trimmed();
    if (msg.isEmpty() && conn)
        msg = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    if (res) {
        const QString detail = QString::fromUtf8(PQresultErrorField(res, PG_DIAG_MESSAGE_DETAIL));
        if (!detail.isEmpty())
            msg += QStringLiteral(" (") + detail + QLatin1Char(')');
    }
    return msg;
}

DbErrorKind kindOf(const QString &state, PGconn *conn)
{
    if (conn && PQstatus(conn) == CONNECTION_BAD)
        return DbErrorKind::ConnectionLost;
    if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") || state == QLatin1String("57P02")
        || state == QLatin1String("57P03"))
        return DbErrorKind::ConnectionLost;
    if (state.startsWith(QLatin1String("28")) || state == QLatin1String("3D000"))
        return DbErrorKind::LoginRefused;
    if (state.startsWith(QLatin1String("23")))
        return DbErrorKind::Constraint;
    if (state == QLatin1String("40001") || state == QLatin1String("40P01"))
        return DbErrorKind::Serialization;
    if (state == QLatin1String("42501"))
        return DbErrorKind::PermissionDenied;
    return DbErrorKind::Other;
}

[[noreturn]] void raise(const PGresult *res, PGconn *conn)
{
    const QString state = QString::fromUtf8(res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr);
    throw DbError(kindOf(state, conn), serverMessage(res, conn), state);
}

// Raises for a failed result, clearing it first. `expected` is the good status.
void check(PGresult *res, PGconn *conn, ExecStatusType expected = PGRES_COMMAND_OK)
{
    if (res && PQresultStatus(res) == expected)
        return;
    if (res && expected == PGRES_COMMAND_OK && PQresultStatus(res) == PGRES_TUPLES_OK)
        return;
    const QString state = QString::fromUtf8(res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr);
    const QString msg = serverMessage(res, conn);
    PQclear(res);
    throw DbError(kindOf(state, conn), msg, state);
}

// How the schema spells each column and table name (the server answers in lower case).
const QHash<QString, QString> &schemaSpelling()
{
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> h;
        for (const TableDef &t : schema()) {
            h.insert(t.name.toLower(), t.name);
            for (const ColumnDef &c : t.columns)
                if (!h.contains(c.name.toLower()))
                    h.insert(c.name.toLower(), c.name);
        }
        return h;
    }();
    return names;
}

} // namespace

class PgCursor;

struct PgSession::Impl {
    const Connection *owner = nullptr;
    PGconn *conn = nullptr;
    quint64 generation = 1;      // a new connection (reset) or a dropped cache starts a new one
    int serial = 0;              // names of prepared statements
    std::vector<PgCursor *> kept; // least recently returned first
    PgCursor *streaming = nullptr; // the cursor whose rows are still coming
    int lastChanges = 0;
    bool transactionOpen = false;
    bool engineer = false; // the session takes the login's own settings schema

    // Before another command: the rows still coming to a cursor are read into its buffer.
    void quiesce();
    void requireOpen() const
    {
        if (!conn)
            throw DbError(QStringLiteral("Databáze není otevřena."));
    }
    void ensureConnected();
    PGresult *run(const QString &sql)
    {
        ensureConnected();
        quiesce();
        return PQexec(conn, sql.toUtf8().constData());
    }
    void command(const QString &sql)
    {
        PGresult *res = run(sql);
        check(res, conn);
        PQclear(res);
    }
    void clearKept();
};

class PgCursor : public Cursor {
public:
    PgCursor(PgSession::Impl *session, const QString &sql) : s(session), original(sql)
    {
        text = serverText(sql, &names).toUtf8();
        values.resize(size_t(names.size()));
        prepare(false);
    }
    ~PgCursor() override
    {
        finishRun();
    }

    // The statement is prepared once per text; parameters the server cannot type alone
    // ("select :a", ":a is null") wait for their values and are typed by them.
    void prepare(bool typedByValues)
    {
        s->requireOpen();
        s->quiesce();
        if (!name.isEmpty() && generation == s->generation)
            PQclear(PQexec(s->conn, ("DEALLOCATE " + name).constData())); // typed again by new values
        name = QByteArrayLiteral("orv_") + QByteArray::number(++s->serial);
        std::vector<Oid> types;
        if (typedByValues) {
            for (const auto &v : valueTypes)
                types.push_back(v);
        }
        // Inside a transaction a text the server refuses would end it: the embedded engine
        // refuses a text without touching the transaction, so the server's attempt is kept
        // in a savepoint.
        const bool inTransaction = PQtransactionStatus(s->conn) == PQTRANS_INTRANS;
        if (inTransaction)
            PQclear(PQexec(s->conn, "SAVEPOINT orv_prepare"));
        PGresult *res = PQprepare(s->conn, name.constData(), text.constData(), int(types.size()),
                                  types.empty() ? nullptr : types.data());
        const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK;
        if (inTransaction) {
            if (!ok)
                PQclear(PQexec(s->conn, "ROLLBACK TO SAVEPOINT orv_prepare"));
            PQclear(PQexec(s->conn, "RELEASE SAVEPOINT orv_prepare"));
        }
        if (!ok) {
            const QString state = QString::fromUtf8(PQresultErrorField(res, PG_DIAG_SQLSTATE));
            // 42P18: a parameter of no type; 42P08: one used as two types.
            // 42883/42804: an operator or a type that does not fit, as when "select :a union
            // select n + 1" makes the parameter a text: typed by its value it may well fit.
            if (!typedByValues && !names.isEmpty()
                && (state == QLatin1String("42P18") || state == QLatin1String("42P08") || state == QLatin1String("42883")
                    || state == QLatin1String("42804") || state == QLatin1String("42725"))) {
                PQclear(res);
                name.clear();
                deferred = true;
                return;
            }
            check(res, s->conn);
        }
        PQclear(res);
        deferred = false;
        generation = s->generation;
        describe();
    }

    void describe()
    {
        PGresult *res = PQdescribePrepared(s->conn, name.constData());
        check(res, s->conn);
        paramTypes.clear();
        for (int i = 0; i < PQnparams(res); ++i)
            paramTypes.push_back(PQparamtype(res, i));
        const int cols = PQnfields(res);
        columns.clear();
        for (int i = 0; i < cols; ++i) {
            Column c;
            const QString raw = QString::fromUtf8(PQfname(res, i));
            c.name = spelling(raw);
            c.type = PQftype(res, i);
            if (PQftable(res, i) != InvalidOid) {
                if (c.type == Int2Oid || c.type == BoolOid)
                    c.decl = QStringLiteral("BOOLEAN");
                else if (isIntegerType(c.type))
                    c.decl = QStringLiteral("INTEGER");
                else if (isFloatType(c.type) || c.type == NumericOid)
                    c.decl = QStringLiteral("REAL");
                else
                    c.decl = QStringLiteral("TEXT");
            }
            columns.push_back(c);
        }
        PQclear(res);
    }

    // The server answers with lower-case names; the caller gets them as the text or the
    // schema spells them.
    QString spelling(const QString &raw) const
    {
        static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
        for (auto it = word.globalMatch(original); it.hasNext();) {
            const QString w = it.next().captured(0);
            if (w.compare(raw, Qt::CaseInsensitive) == 0)
                return w;
        }
        return schemaSpelling().value(raw, raw);
    }

    int parameterCount() const override { return int(names.size()); }
    QString parameterName(int index) const override { return names.value(index - 1); }
    void bind(int index, const QVariant &value) override
    {
        if (index >= 1 && index <= int(values.size()))
            values[size_t(index - 1)] = value;
    }

    QByteArray valueText(const QVariant &v, Oid type) const
    {
        switch (v.typeId()) {
        case QMetaType::Bool:
            if (type == BoolOid)
                return v.toBool() ? QByteArrayLiteral("t") : QByteArrayLiteral("f");
            return v.toBool() ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble();
            if (isIntegerType(type) && std::trunc(d) == d && std::abs(d) < 9e18)
                return QByteArray::number(qint64(d));
            return doubleText(d);
        }
        case QMetaType::QByteArray:
            if (type == ByteaOid)
                return QByteArrayLiteral("\\x") + v.toByteArray().toHex();
            return v.toByteArray();
        default:
            return v.toString().toUtf8();
        }
    }

    static Oid typeOfValue(const QVariant &v)
    {
        if (v.isNull())
            return TextOid;
        switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return Int8Oid;
        case QMetaType::Double:
        case QMetaType::Float:
            return Float8Oid;
        case QMetaType::QByteArray:
            return ByteaOid;
        default:
            return TextOid;
        }
    }

    void start()
    {
        std::vector<Oid> types;
        for (const auto &v : values)
            types.push_back(typeOfValue(v));
        if (deferred || generation != s->generation || (typedByValues && types != valueTypes)) {
            valueTypes = types;
            bool byValues = deferred || typedByValues;
            prepare(byValues);
            if (deferred) {
                prepare(true);
                byValues = true;
            }
            typedByValues = byValues;
        }
        // A fraction for a parameter the server took for an integer ("3 + :x"): the embedded
        // engine has no such types, so the statement is typed by its values instead.
        if (!typedByValues) {
            bool fraction = false;
            for (size_t i = 0; i < values.size() && i < paramTypes.size(); ++i) {
                const QVariant &v = values[i];
                if (isIntegerType(paramTypes[i]) && (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
                    && std::trunc(v.toDouble()) != v.toDouble())
                    fraction = true;
            }
            if (fraction) {
                valueTypes = types;
                prepare(true);
                typedByValues = true;
            }
        }
        s->requireOpen();
        s->quiesce();
        std::vector<QByteArray> texts(values.size());
        std::vector<const char *> ptrs(values.size(), nullptr);
        for (size_t i = 0; i < values.size(); ++i) {
            const QVariant &v = values[i];
            if (!v.isValid() || v.isNull())
                continue;
            texts[i] = valueText(v, i < paramTypes.size() ? paramTypes[i] : Oid(0));
            ptrs[i] = texts[i].constData();
        }
        if (!PQsendQueryPrepared(s->conn, name.constData(), int(values.size()), ptrs.data(), nullptr, nullptr, 0))
            raise(nullptr, s->conn);
        PQsetSingleRowMode(s->conn);
        running = true;
        s->streaming = this;
    }

    // Reads the next result of the running command; null at its end.
    PGresult *nextResult()
    {
        PGresult *res = PQgetResult(s->conn);
        if (!res) {
            running = false;
            if (s->streaming == this)
                s->streaming = nullptr;
        }
        return res;
    }

    // The rest of the run read into the buffer, so the connection is free for another command.
    void drain()
    {
        while (running) {
            PGresult *res = nextResult();
            if (res)
                buffered.push_back(res);
        }
    }

    void finishRun()
    {
        // Rows nobody reads are read and dropped: a cancel request could reach the server
        // after this command has ended and stop the next one instead.
        if (running && s->conn) {
            while (PGresult *res = nextResult())
                PQclear(res);
        }
        running = false;
        if (s->streaming == this)
            s->streaming = nullptr;
        for (PGresult *r : buffered)
            PQclear(r);
        buffered.clear();
        PQclear(row);
        row = nullptr;
        started = false;
    }

    bool step() override
    {
        PQclear(row);
        row = nullptr;
        if (!started) {
            start();
            started = true;
        }
        while (true) {
            PGresult *res = nullptr;
            if (!buffered.empty()) {
                res = buffered.front();
                buffered.pop_front();
            } else if (running) {
                res = nextResult();
            }
            if (!res) {
                started = false;
                if (error) {
                    PGresult *e = error;
                    error = nullptr;
                    const QString state = QString::fromUtf8(PQresultErrorField(e, PG_DIAG_SQLSTATE));
                    const QString msg = serverMessage(e, s->conn);
                    PQclear(e);
                    throw DbError(kindOf(state, s->conn), msg, state);
                }
                if (s->conn && PQstatus(s->conn) == CONNECTION_BAD)
                    throw DbError(DbErrorKind::ConnectionLost, QString::fromUtf8(PQerrorMessage(s->conn)).trimmed(), QString());
                return false;
            }
            switch (PQresultStatus(res)) {
            case PGRES_SINGLE_TUPLE:
                row = res;
                return true;
            case PGRES_TUPLES_OK:
            case PGRES_COMMAND_OK:
                lastChanges = std::atoi(PQcmdTuples(res));
                s->lastChanges = lastChanges;
                PQclear(res);
                break;
            default:
                if (!error)
                    error = res;
                else
                    PQclear(res);
                break;
            }
        }
    }

    void reset() override { finishRun(); }
    int changes() const override { return lastChanges; }
    int columnCount() const override { return int(columns.size()); }
    QString columnName(int i) const override { return columns[size_t(i)].name; }
    QString columnDeclType(int i) const override { return columns[size_t(i)].decl; }
    bool isNull(int i) const override { return !row || PQgetisnull(row, 0, i); }

    QVariant cellValue(int i, bool asBool) const
    {
        if (!row || PQgetisnull(row, 0, i))
            return QVariant();
        const char *v = PQgetvalue(row, 0, i);
        const int len = PQgetlength(row, 0, i);
        const Oid t = columns[size_t(i)].type;
        if (isIntegerType(t) || t == NumericOid) {
            qint64 n = 0;
            const auto r = std::from_chars(v, v + len, n);
            if (r.ec == std::errc() && r.ptr == v + len) {
                if (asBool)
                    return QVariant(n != 0);
                if (n >= INT_MIN && n <= INT_MAX)
                    return QVariant(int(n));
                return QVariant(qlonglong(n));
            }
            if (t != NumericOid)
                return QVariant(QString::fromUtf8(v, len));
        }
        if (isFloatType(t) || t == NumericOid) {
            double d = 0;
            const auto r = std::from_chars(v, v + len, d);
            if (r.ec == std::errc() && r.ptr == v + len)
                return QVariant(d);
            if (qstrcmp(v, "NaN") == 0)
                return QVariant(std::nan(""));
            if (qstrcmp(v, "Infinity") == 0)
                return QVariant(HUGE_VAL);
            if (qstrcmp(v, "-Infinity") == 0)
                return QVariant(-HUGE_VAL);
            return QVariant(QString::fromUtf8(v, len));
        }
        if (t == BoolOid) // a comparison's result, an integer as the embedded engine gives it
            return asBool ? QVariant(v[0] == 't') : QVariant(v[0] == 't' ? 1 : 0);
        if (t == ByteaOid) {
            size_t out = 0;
            unsigned char *b = PQunescapeBytea(reinterpret_cast<const unsigned char *>(v), &out);
            QByteArray bytes(reinterpret_cast<const char *>(b), qsizetype(out));
            PQfreemem(b);
            return QVariant(bytes);
        }
        return QVariant(QString::fromUtf8(v, len));
    }

    QVariant value(int i) const override { return cellValue(i, false); }
    void appendRow(CellStore &cells, const char *boolColumns) const override
    {
        const int n = int(columns.size());
        for (int i = 0; i < n; ++i)
            cells.emplaceBack(cellValue(i, boolColumns[i] != 0));
    }

    struct Column {
        QString name;
        QString decl;
        Oid type = 0;
    };

    PgSession::Impl *s;
    QString original;
    QByteArray text;
    QByteArray name;
    QStringList names;
    std::vector<QVariant> values;
    std::vector<Oid> valueTypes;
    std::vector<Oid> paramTypes;
    std::vector<Column> columns;
    std::deque<PGresult *> buffered;
    PGresult *row = nullptr;
    PGresult *error = nullptr;
    quint64 generation = 0;
    bool deferred = false;
    bool typedByValues = false;
    bool running = false;
    bool started = false;
    int lastChanges = 0;
};

// A broken session is tried once more before the next statement, but not while a
// transaction was open on it: its statements would run on without it.
void PgSession::Impl::ensureConnected()
{
    requireOpen();
    if (PQstatus(conn) != CONNECTION_BAD)
        return;
    if (transactionOpen)
        throw DbError(DbErrorKind::ConnectionLost,
                      QStringLiteral("the session broke off inside a transaction; it was rolled back"), QStringLiteral("08006"));
    PQreset(conn);
    for (PgCursor *c : kept) // their statements died with the old session
        delete c;
    kept.clear();
    ++generation;
    streaming = nullptr;
    if (PQstatus(conn) != CONNECTION_OK)
        throw DbError(DbErrorKind::ConnectionLost, QString::fromUtf8(PQerrorMessage(conn)).trimmed(), QString());
    // The new session has neither the search path nor the work tables of the old one.
    command(serverSessionStatements(engineer));
}

void PgSession::Impl::quiesce()
{
    if (streaming)
        streaming->drain();
}

void PgSession::Impl::clearKept()
{
    for (PgCursor *c : kept)
        delete c;
    kept.clear();
    if (conn && PQstatus(conn) == CONNECTION_OK) {
        quiesce();
        PQclear(PQexec(conn, "DEALLOCATE ALL"));
    }
    ++generation;
}

PgSession::PgSession(const Connection *owner) : d(std::make_unique<Impl>())
{
    d->owner = owner;
}

PgSession::~PgSession()
{
    close();
}

void PgSession::open(const QString &conninfo, bool engineer)
{
    close();
    PGconn *conn = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(conn) != CONNECTION_OK) {
        const QString msg = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        PQfinish(conn);
        // libpq reports a refused login and an unreachable server alike, in words only. A
        // server whose sessions are all taken names a role or a database too: it is no
        // refused login.
        if (msg.contains(QLatin1String("too many clients")) || msg.contains(QLatin1String("too many connections"))
            || msg.contains(QLatin1String("connection slots are reserved")))
            throw DbError(DbErrorKind::ServerUnreachable, msg, QStringLiteral("53300"));
        const bool login = msg.contains(QLatin1String("authentication")) || msg.contains(QLatin1String("password"))
                           || msg.contains(QLatin1String("role \"")) || msg.contains(QLatin1String("database \""))
                           || msg.contains(QLatin1String("no pg_hba.conf entry"));
        throw DbError(login ? DbErrorKind::LoginRefused : DbErrorKind::ServerUnreachable, msg,
                      login ? QStringLiteral("28000") : QStringLiteral("08001"));
    }
    d->conn = conn;
    PQsetClientEncoding(conn, "UTF8");
    PQsetNoticeProcessor(conn, [](void *, const char *) {}, nullptr);
    d->engineer = engineer;
    d->command(serverSessionStatements(engineer));
}

bool PgSession::isOpen() const
{
    return d->conn != nullptr;
}

void PgSession::close()
{
    if (!d->conn)
        return;
    if (d->streaming)
        d->streaming->drain();
    for (PgCursor *c : d->kept)
        delete c;
    d->kept.clear();
    PQfinish(d->conn);
    d->conn = nullptr;
    ++d->generation;
}

Cursor *PgSession::prepare(const QString &sql)
{
    d->ensureConnected();
    for (auto it = d->kept.end(); it != d->kept.begin();) {
        --it;
        if ((*it)->original == sql) {
            PgCursor *c = *it;
            d->kept.erase(it);
            if (c->generation == d->generation || c->deferred) {
                std::fill(c->values.begin(), c->values.end(), QVariant());
                return c;
            }
            delete c;
            break;
        }
    }
    return new PgCursor(d.get(), sql);
}

void PgSession::release(Cursor *cursor)
{
    auto *c = static_cast<PgCursor *>(cursor);
    c->finishRun();
    if (!d->conn || (c->generation != d->generation && !c->deferred)) {
        delete c;
        return;
    }
    d->kept.push_back(c);
    if (d->kept.size() > size_t(Connection::statementCacheLimit)) {
        PgCursor *old = d->kept.front();
        d->kept.erase(d->kept.begin());
        if (!old->name.isEmpty() && old->generation == d->generation && PQstatus(d->conn) == CONNECTION_OK) {
            d->quiesce();
            PQclear(PQexec(d->conn, ("DEALLOCATE " + old->name).constData()));
        }
        delete old;
    }
}

void PgSession::exec(const QString &sql, const QVariantMap &params)
{
    QStringList names;
    const QString text = serverText(sql, &names);
    if (names.isEmpty()) {
        // Several statements may come in one text; the server runs them in turn.
        PGresult *res = d->run(text);
        const ExecStatusType st = PQresultStatus(res);
        if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK)
            d->lastChanges = std::atoi(PQcmdTuples(res));
        check(res, d->conn);
        PQclear(res);
        return;
    }
    std::unique_ptr<Cursor, std::function<void(Cursor *)>> c(prepare(sql), [this](Cursor *p) { release(p); });
    for (int i = 1; i <= c->parameterCount(); ++i) {
        QVariant v;
        const QString name = c->parameterName(i);
        for (auto j = params.constBegin(); j != params.constEnd(); ++j)
            if (j.key().compare(name, Qt::CaseInsensitive) == 0) {
                v = j.value();
                break;
            }
        c->bind(i, v);
    }
    while (c->step()) {
    }
}

int PgSession::changes() const
{
    return d->lastChanges;
}

QStringList PgSession::tableColumns(const QString &table)
{
    QStringList out;
    if (!d->conn)
        return out;
    d->quiesce();
    const QByteArray t = table.toLower().toUtf8();
    const char *values[1] = {t.constData()};
    PGresult *res = PQexecParams(d->conn,
                                 "select a.attname from pg_attribute a where a.attrelid = to_regclass($1)"
                                 " and a.attnum > 0 and not a.attisdropped order by a.attnum",
                                 1, nullptr, values, nullptr, nullptr, 0);
    if (PQresultStatus(res) == PGRES_TUPLES_OK) {
        const QHash<QString, QString> &spelled = schemaSpelling();
        for (int r = 0; r < PQntuples(res); ++r) {
            const QString n = QString::fromUtf8(PQgetvalue(res, r, 0));
            out << spelled.value(n, n);
        }
    }
    PQclear(res);
    return out;
}

int PgSession::cachedCount() const
{
    return int(d->kept.size());
}

void PgSession::dropCached()
{
    d->clearKept();
}

// The outermost transaction is the server's own; the nested ones are savepoints in it.
void PgSession::begin(const QString &savepoint, bool outermost)
{
    d->command(outermost ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT ") + savepoint);
    if (outermost)
        d->transactionOpen = true;
}

void PgSession::commit(const QString &savepoint, bool outermost)
{
    d->requireOpen();
    if (!outermost) {
        d->command(QStringLiteral("RELEASE SAVEPOINT ") + savepoint);
        return;
    }
    if (PQtransactionStatus(d->conn) == PQTRANS_INERROR) {
        // The server ended the transaction at an error; COMMIT would only roll it back quietly.
        throw DbError(QStringLiteral("Transakci nelze potvrdit: byla zrušena chybou, změny v ní nebyly uloženy."));
    }
    if (!d->transactionOpen || PQstatus(d->conn) == CONNECTION_BAD) {
        // The session broke before this COMMIT: the server has rolled the transaction back,
        // and a COMMIT on a new session would report success for changes that are gone.
        throw DbError(DbErrorKind::ConnectionLost, QStringLiteral("the session broke off inside the transaction"),
                      QStringLiteral("08006"));
    }
    d->quiesce();
    PGresult *res = PQexec(d->conn, "COMMIT");
    if (PQresultStatus(res) != PGRES_COMMAND_OK && PQstatus(d->conn) == CONNECTION_BAD) {
        // The answer to COMMIT was lost: the server may have stored the changes or not. The
        // transaction stays open for the program until it rolls it back, so that no new
        // session starts under it (and nothing is sent again on one).
        const QString msg = serverMessage(res, d->conn);
        PQclear(res);
        throw CommitOutcomeUnknown(msg);
    }
    d->transactionOpen = false;
    const bool rolledBack = PQresultStatus(res) == PGRES_COMMAND_OK && qstrcmp(PQcmdStatus(res), "ROLLBACK") == 0;
    check(res, d->conn);
    PQclear(res);
    if (rolledBack)
        throw DbError(QStringLiteral("Transakci nelze potvrdit: byla zrušena chybou, změny v ní nebyly uloženy."));
}

void PgSession::rollback(const QString &savepoint, bool outermost)
{
    d->requireOpen();
    if (outermost)
        d->transactionOpen = false;
    if (PQstatus(d->conn) == CONNECTION_BAD)
        return; // the server has rolled back already
    if (outermost) {
        d->command(QStringLiteral("ROLLBACK"));
    } else {
        d->command(QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepoint);
        d->command(QStringLiteral("RELEASE SAVEPOINT ") + savepoint);
    }
}

namespace {

// A value in COPY's text format.
void appendCopyValue(QByteArray &line, const QVariant &v)
{
    if (!v.isValid() || v.isNull()) {
        line += "\\N";
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        line += v.toBool() ? '1' : '0';
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        line += QByteArray::number(v.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        line += doubleText(v.toDouble());
        return;
    default:
        break;
    }
    const QByteArray utf8 = v.toString().toUtf8();
    for (char c : utf8) {
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        case '\t': line += "\\t"; break;
        default: line += c; break;
        }
    }
}

} // namespace

void PgSession::copyIn(const QString &table, const QStringList &columns,
                       const std::function<bool(QVariantList &row)> &next)
{
    PGresult *res = d->run(QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(QStringLiteral(", "))));
    check(res, d->conn, PGRES_COPY_IN);
    PQclear(res);
    QByteArray buffer;
    buffer.reserve(1 << 17);
    auto flush = [this, &buffer] {
        if (!buffer.isEmpty() && PQputCopyData(d->conn, buffer.constData(), int(buffer.size())) != 1)
            raise(nullptr, d->conn);
        buffer.clear();
    };
    QVariantList row;
    try {
        while (true) {
            row.clear();
            if (!next(row))
                break;
            for (int i = 0; i < columns.size(); ++i) {
                if (i)
                    buffer += '\t';
                appendCopyValue(buffer, i < row.size() ? row[i] : QVariant());
            }
            buffer += '\n';
            if (buffer.size() >= (1 << 16))
                flush();
        }
        flush();
    } catch (const std::exception &e) {
        PQputCopyEnd(d->conn, e.what());
        while (PGresult *r = PQgetResult(d->conn))
            PQclear(r);
        throw;
    }
    if (PQputCopyEnd(d->conn, nullptr) != 1)
        raise(nullptr, d->conn);
    PGresult *end = PQgetResult(d->conn);
    const bool ok = end && PQresultStatus(end) == PGRES_COMMAND_OK;
    if (ok)
        d->lastChanges = std::atoi(PQcmdTuples(end));
    PGresult *more;
    while ((more = PQgetResult(d->conn)))
        PQclear(more);
    check(end, d->conn);
    PQclear(end);
}

} // namespace orv::db::engine
