#pragma once
// An empty catalogue file and user file (every table made, no rows) in a temporary folder,
// with a catalogue session open over both: the start of a test that writes its own small
// catalogue row by row.

#include "db/Connection.h"
#include "db/DatabaseFiles.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <optional>

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

// A bound of a row the test writes: the number, or SQL null for an open end.
inline QVariant orNull(const std::optional<double> &value)
{
    return value ? QVariant(*value) : QVariant();
}

} // namespace orv::test
