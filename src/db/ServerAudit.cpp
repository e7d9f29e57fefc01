#include "db/ServerAudit.h"

#include "db/Connection.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace orv::db {

namespace {

// The tables whose rows the team shares and may change: an own material's own row and the
// user notes. Catalogue rows of Mat are the publisher's and carry no stamp.
struct Audited {
    const char *table;
    const char *when; // condition on NEW, or nullptr
};
constexpr Audited kAudited[] = {
    {"Mat", "NEW.Private = 'A'"},
    {"UserNotices", nullptr},
};

} // namespace

QStringList serverAuditStatements()
{
    QStringList out;
    // session_user is the login even inside a function that runs with its owner's rights.
    out << QStringLiteral("CREATE OR REPLACE FUNCTION orv_stamp_change() RETURNS trigger LANGUAGE plpgsql AS "
                          "$f$ BEGIN NEW.ChangedBy := session_user; NEW.ChangedAt := now(); RETURN NEW; END $f$");
    for (const Audited &a : kAudited) {
        const QString t = QString::fromLatin1(a.table);
        out << QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS ChangedBy text").arg(t)
            << QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS ChangedAt timestamptz").arg(t)
            << QStringLiteral("CREATE OR REPLACE TRIGGER orv_%1_stamp BEFORE INSERT OR UPDATE ON %2 FOR EACH ROW %3"
                              "EXECUTE FUNCTION orv_stamp_change()")
                   .arg(t.toLower(), t,
                        a.when ? QStringLiteral("WHEN (%1) ").arg(QString::fromLatin1(a.when)) : QString());
    }
    return out;
}

void setServerStamping(Connection &session, bool on)
{
    for (const Audited &a : kAudited) {
        const QString t = QString::fromLatin1(a.table).toLower();
        session.exec(QStringLiteral("DO $t$ BEGIN IF EXISTS (SELECT FROM pg_trigger WHERE tgname = 'orv_%1_stamp' "
                                    "AND tgrelid = to_regclass('%1')) THEN ALTER TABLE %1 %2 TRIGGER orv_%1_stamp; "
                                    "END IF; END $t$")
                         .arg(t, on ? QStringLiteral("ENABLE") : QStringLiteral("DISABLE")));
    }
}

bool isServerKeptColumn(const QString &column)
{
    return column.compare(changedByColumn(), Qt::CaseInsensitive) == 0
           || column.compare(changedAtColumn(), Qt::CaseInsensitive) == 0;
}

ChangeStamp changeStamp(const QVariant &who, const QVariant &when)
{
    ChangeStamp s;
    s.who = who.isNull() ? QString() : who.toString();
    if (when.isNull())
        return s;
    if (when.typeId() == QMetaType::QDateTime) {
        s.when = when.toDateTime().toLocalTime();
        return s;
    }
    // The server's ISO style: date, time with an optional fraction, and the zone's offset.
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{4})-(\\d\\d)-(\\d\\d)[ T](\\d\\d):(\\d\\d):(\\d\\d)(?:\\.(\\d+))?(?:([+-])(\\d\\d)(?::?(\\d\\d))?)?$"));
    const QRegularExpressionMatch m = re.match(when.toString().trimmed());
    if (!m.hasMatch())
        return s;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const int ms = m.captured(7).isEmpty() ? 0 : m.captured(7).left(3).leftJustified(3, u'0').toInt();
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), ms);
    int offset = 0;
    if (!m.captured(8).isEmpty()) {
        offset = m.captured(9).toInt() * 3600 + m.captured(10).toInt() * 60;
        if (m.captured(8) == QLatin1String("-"))
            offset = -offset;
    }
    const QDateTime at(date, time, QTimeZone(offset));
    if (at.isValid())
        s.when = at.toLocalTime();
    return s;
}

QString stampTimeText(const QDateTime &when)
{
    return when.toString(QStringLiteral("d. M. yyyy H:mm"));
}

QString changeStampText(const ChangeStamp &stamp)
{
    if (stamp.isEmpty())
        return QString();
    QString text = QStringLiteral("Změnil: ") + (stamp.who.isEmpty() ? QStringLiteral("(neznámý uživatel)") : stamp.who);
    if (stamp.when.isValid())
        text += QStringLiteral(" dne ") + stamp.when.toString(QStringLiteral("d. M. yyyy")) + QStringLiteral(" v ")
                + stamp.when.toString(QStringLiteral("H:mm"));
    return text;
}

void stampOwnMaterial(Connection &session, int materialNo)
{
    if (session.engine() != Engine::Postgres)
        return;
    // Writing the row fires its trigger; the value itself stays as it is.
    session.exec(QStringLiteral("UPDATE Mat SET Private = Private WHERE Number = :m AND Private = 'A'"),
                 {{QStringLiteral("m"), materialNo}});
}

} // namespace orv::db
