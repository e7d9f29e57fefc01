#include "db/NextNumber.h"

namespace orv::db {

int nextNumber(DataSet &qTemp, const QString &table)
{
    qTemp.close();
    qTemp.setSql(QStringList{QStringLiteral("select MAX(NUMBER)"), QStringLiteral("  from ") + table.toUpper()});
    qTemp.open();
    int next = 1;
    if (!qTemp.isEmpty() && qTemp.field(0)) {
        const QVariant v = qTemp.field(0)->value();
        if (!v.isNull())
            next = v.toInt() + 1;
    }
    qTemp.close();
    return next;
}

std::function<void(DataSet &)> numberNewRows(DataSet &qTemp, const QString &table)
{
    return [&qTemp, table](DataSet &ds) {
        ds.fieldByName(QStringLiteral("Number")).setValue(nextNumber(qTemp, table));
    };
}

} // namespace orv::db
