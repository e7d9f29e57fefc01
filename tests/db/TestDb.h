#pragma once
// A catalogue file and a user file in a temporary folder, with a connection of each kind.

#include "db/Connection.h"
#include "db/DatabaseFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orv::db::test {

class TempDb {
public:
    TempDb()
    {
        catalogueFile = dir.filePath(QStringLiteral("cat/catalogue.sqlite"));
        userFile = dir.filePath(QStringLiteral("user/user.sqlite"));
        createDatabaseFiles(catalogueFile, userFile);
        cat.open(catalogueFile, userFile, Database::Catalogue);
        user.open(catalogueFile, userFile, Database::User);
    }
    QTemporaryDir dir;
    QString catalogueFile;
    QString userFile;
    Connection cat{QStringLiteral("VTX (CD)")};
    Connection user{QStringLiteral("VTX")};
};

} // namespace orv::db::test
