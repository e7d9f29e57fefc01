#include "db/NextNumber.h"

#include "db/ServerSetup.h"

namespace orv::db {

qint64 nextNumber(Connection &c, const QString &table)
{
    if (c.engine() == Engine::Postgres) {
        // On the server the team's sessions number at the same time: a sequence gives each
        // its own number at once, without waiting for another's open transaction.
        const QString sequence = serverSequence(table);
        if (!sequence.isEmpty())
            return c.scalar(QStringLiteral("select nextval(:s)"), {{QStringLiteral("s"), sequence}}).toLongLong();
    }
    const QVariant v = c.scalar(QStringLiteral("select MAX(NUMBER) from ") + table.toUpper());
    return v.isNull() ? 1 : v.toLongLong() + 1;
}

int nextNumber(DataSet &qTemp, const QString &table)
{
    // One value is wanted: the statement runs on qTemp's connection without loading a data set.
    qTemp.close();
    Connection *c = qTemp.connection();
    if (!c)
        throw DbError(QStringLiteral("%1: data set without a connection.").arg(qTemp.name()));
    return int(nextNumber(*c, table));
}

std::function<void(DataSet &)> numberNewRows(DataSet &qTemp, const QString &table)
{
    return [&qTemp, table](DataSet &ds) {
        ds.fieldByName(QStringLiteral("Number")).setValue(nextNumber(qTemp, table));
    };
}

} // namespace orv::db
