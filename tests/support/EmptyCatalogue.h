#pragma once
// An empty catalogue file and user file (every table made, no rows) in a temporary folder,
// with a catalogue session open over both: the start of a test that writes its own small
// catalogue row by row.

#include "db/Connection.h"
#include "db/DatabaseFiles.h"

#include <QString>
#include <QTemporaryDir>

namespace orv::test {

class EmptyCatalogue {
public:
    explicit EmptyCatalogue(const QString &sessionName = QStringLiteral("VTX (CD)"))
        : cat(sessionName)
    {
        catalogueFile = dir.filePath(QStringLiteral("cat/catalogue.sqlite"));
        userFile = dir.filePath(QStringLiteral("user/user.sqlite"));
        db::createDatabaseFiles(catalogueFile, userFile);
        cat.open(catalogueFile, userFile, db::Database::Catalogue);
    }

    QTemporaryDir dir;
    QString catalogueFile;
    QString userFile;
    db::Connection cat; // opens the catalogue file and attaches the user file
};

} // namespace orv::test
