#include "db/NextNumber.h"

namespace orv::db {

int nextNumber(DataSet &qTemp, const QString &table)
{
    // One value is wanted: the statement runs on qTemp's connection without loading a data set.
    qTemp.close();
    Connection *c = qTemp.connection();
    if (!c)
        throw DbError(QStringLiteral("%1: data set without a connection.").arg(qTemp.name()));
    const QVariant v = c->scalar(QStringLiteral("select MAX(NUMBER) from ") + table.toUpper());
    return v.isNull() ? 1 : v.toInt() + 1;
}

std::function<void(DataSet &)> numberNewRows(DataSet &qTemp, const QString &table)
{
    return [&qTemp, table](DataSet &ds) {
        ds.fieldByName(QStringLiteral("Number")).setValue(nextNumber(qTemp, table));
    };
}

} // namespace orv::db
