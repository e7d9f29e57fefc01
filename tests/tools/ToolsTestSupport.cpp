#include "ToolsTestSupport.h"

#include "CatalogueBuilder.h"
#include "CatalogueSource.h"
#include "core/SqlText.h"

namespace orv::catalogue::test {

QString sourceFolder()
{
    return QStringLiteral(ORVALIS_SOURCE_DIR "/data/catalogue");
}

const QString &demoDataFolder(QString *error)
{
    static QTemporaryDir dir;
    static QString folder;
    static QString failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        try {
            buildCatalogue(readCatalogueSource(sourceFolder()), dir.path());
            folder = dir.path();
        } catch (const ToolError &e) {
            failure = e.text();
        }
    }
    if (error)
        *error = failure;
    return folder;
}

std::unique_ptr<SqliteFile> openBoth(const QString &dataFolder)
{
    auto db = std::make_unique<SqliteFile>(dataFolder + QStringLiteral("/catalogue.sqlite"));
    db->exec(QStringLiteral("ATTACH DATABASE %1 AS usr").arg(orv::sqlQuote(dataFolder + QStringLiteral("/user.sqlite"))));
    return db;
}

qlonglong count(SqliteFile &db, const QString &sql)
{
    return db.scalar(sql).toLongLong();
}

} // namespace orv::catalogue::test
