#pragma once
// Shared by the catalogue tool tests: the demo catalogue built once from the sources into a
// temporary folder, and small helpers to query it.

#include "SqliteFile.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace orv::catalogue::test {

QString sourceFolder();

// Folder holding catalogue.sqlite and user.sqlite built from data/catalogue (no PDFs).
// Built on first use; a build failure is reported by the caller's ASSERT.
const QString &demoDataFolder(QString *error = nullptr);

// The catalogue file with the user file attached as "usr".
std::unique_ptr<SqliteFile> openBoth(const QString &dataFolder);

qlonglong count(SqliteFile &db, const QString &sql);

// A source folder (dir) with the real code lists and one material file of the test's making.
class SourceFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir().mkpath(dir.path() + QStringLiteral("/codes"));
        QDir().mkpath(dir.path() + QStringLiteral("/materials"));
        const QDir codes(sourceFolder() + QStringLiteral("/codes"));
        for (const QString &f : codes.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(codes.filePath(f), dir.path() + QStringLiteral("/codes/") + f));
    }
    // Writes (or replaces) materials/99-test.txt.
    void writeMaterialFile(const QString &text)
    {
        QFile f(dir.path() + QStringLiteral("/materials/99-test.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    }
    QTemporaryDir dir;
};

} // namespace orv::catalogue::test
