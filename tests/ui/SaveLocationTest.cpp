// Where files are saved: the documents folder with a suggested name made safe, and a copy
// that leaves an older file whole when it cannot be made.

#include "ui/SaveLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv::ui;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(SaveLocation, SuggestedNamesLieInTheDocumentsFolderAndCannotLeaveIt)
{
    const QDir documents(documentsFolder());
    EXPECT_TRUE(documents.exists());
    EXPECT_EQ(suggestedSavePath(QStringLiteral("C45 - Tisk ekvivalentů.pdf")),
              documents.filePath(QStringLiteral("C45 - Tisk ekvivalentů.pdf")));
    // A designation with a slash ("X5CrNi18-10/1.4301") stays one file name.
    EXPECT_EQ(suggestedSavePath(QStringLiteral("../a/b.pdf")), documents.filePath(QStringLiteral(".._a_b.pdf")));
    EXPECT_EQ(suggestedSavePath(QStringLiteral("  ")), documents.filePath(QStringLiteral("dokument")));
}

TEST(SaveLocation, ACopyReplacesTheTargetWholeOrLeavesItAsItWas)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("list.pdf"));
    const QString target = dir.filePath(QStringLiteral("kopie.pdf"));
    QFile s(source), t(target);
    ASSERT_TRUE(s.open(QIODevice::WriteOnly));
    s.write(QByteArray(200000, 'x'));
    s.close();
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("stará kopie");
    t.close();

    EXPECT_TRUE(copyFileSafely(source, target).isEmpty());
    EXPECT_EQ(bytesOf(target), bytesOf(source));

    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("stará kopie");
    t.close();
    const QString missing = copyFileSafely(dir.filePath(QStringLiteral("chybi.pdf")), target);
    EXPECT_TRUE(missing.startsWith(QStringLiteral("Soubor "))) << missing.toStdString();
    EXPECT_EQ(bytesOf(target), QByteArray("stará kopie"));
    const QString noFolder = copyFileSafely(source, dir.filePath(QStringLiteral("neni/kopie.pdf")));
    EXPECT_TRUE(noFolder.contains(QStringLiteral("se nepodařilo zapsat"))) << noFolder.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2); // no temporary file left behind
}

} // namespace
