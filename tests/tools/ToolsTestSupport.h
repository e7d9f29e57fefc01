#pragma once
// Shared by the catalogue tool tests: the demo catalogue built once from the sources into a
// temporary folder, and small helpers to query it.

#include "SqliteFile.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace orv::catalogue::test {

QString sourceFolder();

// Folder holding catalogue.sqlite and user.sqlite built from data/catalogue (no PDFs).
// Built on first use; a build failure is reported by the caller's ASSERT.
const QString &demoDataFolder(QString *error = nullptr);

// The catalogue file with the user file attached as "usr".
std::unique_ptr<SqliteFile> openBoth(const QString &dataFolder);

qlonglong count(SqliteFile &db, const QString &sql);

} // namespace orv::catalogue::test
