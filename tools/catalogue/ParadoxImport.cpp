#include "ParadoxImport.h"
#include "SqliteFile.h"

#include "db/ParadoxTable.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <vector>

namespace orv::catalogue {

namespace {

// The tool's messages for a table the program's reader refused.
ToolError toolError(const db::ParadoxError &e)
{
    if (e.kind() == db::ParadoxError::Kind::Damaged)
        return ToolError(QStringLiteral("The Paradox table %1 is damaged: %2").arg(e.file(), e.detail()));
    return ToolError(QStringLiteral("Cannot read the Paradox table %1: %2").arg(e.file(), e.detail()));
}

QVariant convert(const QVariant &v, const db::ColumnDef &col, bool &cut)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (col.type) {
    case db::ColumnType::Integer:
        if (v.typeId() == QMetaType::Double)
            return qlonglong(std::llround(v.toDouble()));
        if (v.typeId() == QMetaType::QString) {
            bool ok = false;
            const qlonglong n = v.toString().trimmed().toLongLong(&ok);
            return ok ? QVariant(n) : QVariant();
        }
        return v.toLongLong();
    case db::ColumnType::Number:
        if (v.typeId() == QMetaType::QString) {
            bool ok = false;
            const double d = v.toString().trimmed().toDouble(&ok);
            return ok ? QVariant(d) : QVariant();
        }
        return v.toDouble();
    case db::ColumnType::Logical:
        return v.toBool();
    case db::ColumnType::Alpha: {
        QString s = v.toString();
        if (s.size() > col.width) {
            s.truncate(col.width);
            cut = true;
        }
        return s;
    }
    case db::ColumnType::Memo:
        return v.toString();
    }
    return {};
}

// Reads one Paradox table into its table of the catalogue or the user file.
void importTable(const db::TableDef &t, const QString &path, SqliteFile &catalogue, SqliteFile &user, ImportSummary &sum)
{
    db::ParadoxTable table(path);
    ++sum.tables;
    // Map the Paradox fields to the table's columns by name, without regard to case.
    std::vector<int> target(size_t(table.fieldCount()), -1);
    for (int i = 0; i < table.fieldCount(); ++i) {
        const QString name = table.fieldName(i);
        for (int c = 0; c < t.columns.size(); ++c)
            if (t.columns[c].name.compare(name, Qt::CaseInsensitive) == 0)
                target[size_t(i)] = c;
        if (target[size_t(i)] < 0)
            sum.warnings << QStringLiteral("%1: column %2 is not part of the table, skipped").arg(t.name, name);
    }
    SqliteFile &out = t.database == db::Database::Catalogue ? catalogue : user;
    bool cut = false;
    const int n = table.recordCount();
    for (int r = 0; r < n; ++r) {
        const QList<QVariant> rec = table.read(r);
        std::vector<QVariant> row(size_t(t.columns.size()));
        for (int i = 0; i < rec.size(); ++i)
            if (target[size_t(i)] >= 0)
                row[size_t(target[size_t(i)])] = convert(rec[i], t.columns[target[size_t(i)]], cut);
        out.insertRow(t.name, row);
        ++sum.rows;
    }
    if (cut)
        sum.warnings << QStringLiteral("%1: texts longer than their column were cut").arg(t.name);
}

} // namespace

QString checkParadoxTable(const QString &path)
{
    return db::checkParadoxTable(path);
}

qint64 readParadoxRecords(const QString &path)
{
    try {
        return db::readParadoxRecords(path);
    } catch (const db::ParadoxError &e) {
        throw toolError(e);
    }
}

ImportSummary importParadox(const QString &paradoxFolder, const QString &dataFolder)
{
    const QDir dir(paradoxFolder);
    if (!dir.exists())
        throw ToolError(QStringLiteral("Folder %1 does not exist").arg(paradoxFolder));
    // A folder without the catalogue's tables would replace a good catalogue with an empty one.
    bool catalogueTables = false;
    for (const db::TableDef &t : db::schema())
        if (t.database == db::Database::Catalogue && !db::findParadoxTable(paradoxFolder, t.name).isEmpty())
            catalogueTables = true;
    if (!catalogueTables)
        throw ToolError(QStringLiteral("%1 holds no table of the catalogue; the catalogue in %2 was left as it is")
                            .arg(paradoxFolder, dataFolder));

    ImportSummary sum;
    AtomicSqliteFile catFile(dataFolder + QLatin1Char('/') + db::catalogueFileName());
    AtomicSqliteFile userFile(dataFolder + QLatin1Char('/') + db::userFileName());
    catFile.file().createTables(db::Database::Catalogue);
    userFile.file().createTables(db::Database::User);
    catFile.file().begin();
    userFile.file().begin();

    for (const db::TableDef &t : db::schema()) {
        const QString path = db::findParadoxTable(paradoxFolder, t.name);
        if (path.isEmpty()) {
            sum.warnings << QStringLiteral("%1: table not found, created empty").arg(t.name);
            continue;
        }
        try {
            importTable(t, path, catFile.file(), userFile.file(), sum);
        } catch (const db::ParadoxError &e) {
            throw toolError(e);
        }
    }
    if (catFile.file().scalar(QStringLiteral("SELECT count(*) FROM Mat")).toLongLong() == 0)
        throw ToolError(QStringLiteral("%1 holds no materials (table Mat is missing or empty); the catalogue in %2 was left as it is")
                            .arg(paradoxFolder, dataFolder));
    catFile.file().commit();
    userFile.file().commit();
    catFile.commitFile();
    sum.userFile = installUserFile(userFile);
    sum.ownRows = keepOwnRows(dataFolder);
    return sum;
}

} // namespace orv::catalogue
