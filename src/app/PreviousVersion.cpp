#include "app/PreviousVersion.h"

#include "core/Registry.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace orv::app {

bool previousVersionPresent(const Registry &userRoot, const QString &oldCatalogueFile)
{
    if (userRoot.keyExists(previousVersionKey()))
        return true;
    return QFileInfo(oldCatalogueFile).isFile();
}

QVariant readUpgradeFlag(const QString &userDatabaseFile)
{
    if (!QFileInfo(userDatabaseFile).isFile())
        return {};
    sqlite3 *db = nullptr;
    const QByteArray path = QFile::encodeName(userDatabaseFile);
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {};
    }
    QVariant result;
    sqlite3_stmt *st = nullptr;
    // The named row first; without it the first row in table order.
    const char *sql = "select upgrade from Setup order by (Items = 'USPESNOST') desc, rowid limit 1";
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
        switch (sqlite3_column_type(st, 0)) {
        case SQLITE_NULL:
            break;
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            result = sqlite3_column_int(st, 0);
            break;
        default:
            result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
            break;
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return result;
}

bool shouldOfferUpgrade(bool previousPresent, const QVariant &upgradeFlag)
{
    if (!previousPresent)
        return false;
    if (upgradeFlag.isNull())
        return true;
    const QString text = upgradeFlag.toString().trimmed();
    return text.isEmpty() || text.toInt() == 0;
}

} // namespace orv::app
