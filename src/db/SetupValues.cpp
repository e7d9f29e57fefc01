#include "db/SetupValues.h"

namespace orv::db {

QString readSetupValue(DataSet &tSetup, const QString &key)
{
    if (!tSetup.isOpen())
        tSetup.open();
    if (tSetup.locate(QStringLiteral("Items"), key))
        return tSetup.value(QStringLiteral("Value")).toString();
    return QString();
}

void writeSetupValue(DataSet &tSetup, const QString &key, const QString &value)
{
    if (!tSetup.isOpen())
        tSetup.open();
    const bool started = tSetup.locate(QStringLiteral("Items"), key) ? tSetup.edit() : tSetup.append();
    if (!started)
        return;
    tSetup.setValue(QStringLiteral("Items"), key);
    tSetup.setValue(QStringLiteral("Value"), value);
    tSetup.post();
}

} // namespace orv::db
