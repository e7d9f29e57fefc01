// The safe-write helper on a disk that fills up: the old file and its backup survive, no
// temporary file stays behind and the message names the file and the reason.

#include "core/SafeFile.h"
#include "core/SmallDisk.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace orv;
using orv::test::SmallDisk;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray noise(int size)
{
    QByteArray b(size, Qt::Uninitialized);
    for (char &c : b)
        c = char(QRandomGenerator::global()->bounded(256));
    return b;
}

} // namespace

// Free space left before the save, in bytes; the new content is 96 KB.
class SafeFileFullDisk : public testing::TestWithParam<qint64> {};

TEST_P(SafeFileFullDisk, KeepsTheOldFileAndItsBackup)
{
    SmallDisk disk(256 * 1024);
    const QString target = disk.file(QStringLiteral("šablona.pts"));
    const QString bak = disk.file(QStringLiteral("šablona.BAK"));
    ASSERT_TRUE(writeFileSafely(target, "old template\n"));
    ASSERT_TRUE(writeFileSafely(bak, "older template\n"));
    disk.leaveFree(GetParam());

    SafeFile f(target);
    f.setBackupExtension(QStringLiteral(".BAK"));
    ASSERT_TRUE(f.open() || GetParam() == 0);
    f.write(noise(96 * 1024));
    EXPECT_FALSE(f.commit());
    EXPECT_TRUE(f.errorText().contains(QString::fromUtf8("není dost místa"))) << qPrintable(f.errorText());
    EXPECT_TRUE(f.errorText().contains(QString::fromUtf8("šablona.pts"))) << qPrintable(f.errorText());
    EXPECT_EQ(readAll(target), "old template\n");
    EXPECT_EQ(readAll(bak), "older template\n");
    EXPECT_EQ(disk.files().size(), 2) << qPrintable(disk.files().join(u' '));

    // With room again the same save goes through and the old file becomes the backup.
    disk.empty();
    const QByteArray content = noise(96 * 1024);
    QString error;
    EXPECT_TRUE(writeFileSafely(target, content, &error, QStringLiteral(".BAK"))) << qPrintable(error);
    EXPECT_EQ(readAll(target), content);
    EXPECT_EQ(readAll(bak), "old template\n");
    EXPECT_EQ(disk.files().size(), 2);
}

INSTANTIATE_TEST_SUITE_P(FillLevels, SafeFileFullDisk, testing::Values(0, 4096, 48 * 1024, 92 * 1024));

TEST(SafeFile, ReadOnlyFolderAndMissingFolderAreSaidInCzech)
{
    SmallDisk disk;
    const QString target = disk.file(QStringLiteral("a.pdf"));
    ASSERT_TRUE(writeFileSafely(target, "old"));
    QString error;
    if (disk.makeReadOnly()) {
        EXPECT_FALSE(writeFileSafely(target, "new", &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8("jen pro čtení"))) << qPrintable(error);
        disk.makeReadOnly(false);
    }
    EXPECT_EQ(readAll(target), "old");
    EXPECT_FALSE(writeFileSafely(disk.file(QStringLiteral("chybí/a.pdf")), "new", &error));
    EXPECT_TRUE(error.contains(QString::fromUtf8("složka neexistuje"))) << qPrintable(error);
}

TEST(SafeFile, AWriterThatFailsOrIsCancelledLeavesNothing)
{
    SmallDisk disk;
    const QString target = disk.file(QStringLiteral("b.rtf"));
    ASSERT_TRUE(writeFileSafely(target, "old"));
    for (bool cancelled : {false, true}) {
        SafeFile f(target);
        ASSERT_TRUE(f.open());
        f.write("half");
        cancelled ? f.cancelByUser() : f.fail();
        EXPECT_FALSE(f.commit());
        EXPECT_EQ(f.wasCancelled(), cancelled);
    }
    EXPECT_EQ(readAll(target), "old");
    EXPECT_EQ(disk.files(), QStringList{QStringLiteral("b.rtf")});
}

TEST(SafeFile, AFileWrittenByNameIsCheckedBeforeItReplacesTheTarget)
{
    SmallDisk disk;
    const QString target = disk.file(QStringLiteral("c.pdf"));
    ASSERT_TRUE(writeFileSafely(target, "old"));
    for (bool whole : {false, true}) {
        SafeFile f(target);
        ASSERT_TRUE(f.open());
        QFile byName(f.temporaryPath());
        ASSERT_TRUE(byName.open(QIODevice::WriteOnly));
        byName.write(whole ? "%PDF-1.4 ... %%EOF\n" : "%PDF-1.4 ...");
        byName.close();
        EXPECT_EQ(f.commitWritten([](const QString &p) { return readAll(p).endsWith("%%EOF\n"); }), whole);
    }
    EXPECT_EQ(readAll(target), "%PDF-1.4 ... %%EOF\n");
}
