#include "db/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orv::db {

void createMissingTables(Connection &connection, Database which, const QString &schemaName)
{
    Transaction tx(connection);
    for (const TableDef &t : schema()) {
        if (t.database != which)
            continue;
        for (const QString &s : createStatements(t, schemaName))
            connection.exec(s);
    }
    tx.commit();
}

void createDatabaseFile(const QString &file, Database which, bool replace)
{
    const QFileInfo fi(file);
    if (!QDir().mkpath(fi.absolutePath()))
        throw DbError(QStringLiteral("Nelze vytvořit složku %1.").arg(fi.absolutePath()), file);
    if (fi.exists() && !replace) {
        Connection c;
        c.openFile(file, OpenMode::ReadWrite);
        createMissingTables(c, which);
        return;
    }
    // Built under a temporary name and renamed, so a failure never leaves a half-made file.
    const QString tmp = file + QStringLiteral(".tmp");
    QFile::remove(tmp);
    try {
        Connection c;
        c.openFile(tmp, OpenMode::Create);
        createMissingTables(c, which);
        c.close();
    } catch (...) {
        // Scope guard: the half-made file goes; the error goes on to the caller.
        QFile::remove(tmp);
        throw;
    }
    if (QFileInfo::exists(file) && !QFile::remove(file)) {
        QFile::remove(tmp);
        throw DbError(QStringLiteral("Nelze nahradit soubor databáze."), file);
    }
    if (!QFile::rename(tmp, file)) {
        QFile::remove(tmp);
        throw DbError(QStringLiteral("Nelze uložit soubor databáze."), file);
    }
}

void createDatabaseFiles(const QString &catalogueFile, const QString &userFile, bool replace)
{
    createDatabaseFile(catalogueFile, Database::Catalogue, replace);
    createDatabaseFile(userFile, Database::User, replace);
}

} // namespace orv::db
