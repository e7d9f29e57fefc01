// What the catalogue tool refuses and what it keeps: sources without materials, bounds that
// are no numbers, the user's own file across rebuilds, and PDF sheets on a disk that fills up or a folder that cannot be written.

#include "ToolsTestSupport.h"

#include "CatalogueBuilder.h"
#include "CatalogueSource.h"
#include "PdfSheets.h"

#include "core/SmallDisk.h"
#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QProcess>

#include <algorithm>
#include <memory>

using namespace orv::catalogue;
using namespace orv::catalogue::test;

namespace {

QString runTool(const QStringList &args, int &exitCode)
{
    QProcess p;
    p.start(QStringLiteral(ORVALIS_CATALOGUE_TOOL), args);
    p.waitForFinished(180000);
    exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
}

QByteArray fileDigest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// A source folder with the real code lists and materials of the test's making.
class SourcesFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        src = dir.path() + QStringLiteral("/src");
        QDir().mkpath(src + QStringLiteral("/codes"));
        QDir().mkpath(src + QStringLiteral("/materials"));
        const QDir codes(sourceFolder() + QStringLiteral("/codes"));
        for (const QString &f : codes.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(codes.filePath(f), src + QStringLiteral("/codes/") + f));
    }
    void writeMaterials(const QString &text)
    {
        QFile f(src + QStringLiteral("/materials/99-test.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    }
    QString problems()
    {
        try {
            return validateSource(readCatalogueSource(src)).join(QLatin1Char('\n'));
        } catch (const ToolError &e) {
            return e.text();
        }
    }
    QTemporaryDir dir;
    QString src;
};

QString material(int number, const QString &chem, const QString &name = QStringLiteral("Zkušební ocel"))
{
    return QStringLiteral("material: %1\nchapter: 11\ntype: Oceli\nname: %2\nnorm: ČSN EN 10025-2 | S %1\n"
                          "source: EN 10025-2\neq: Německo | DIN 17100 | St %1\neq: Česko | ČSN 41 | %1\n"
                          "eq: Japonsko | JIS G 3101 | SS %1\nchem: %3\nbalance: Fe\n")
        .arg(number)
        .arg(name, chem);
}

TEST_F(SourcesFolder, NanAndInfinityAreNoBounds)
{
    Range r;
    EXPECT_FALSE(parseRange(QStringLiteral("nan..1.40"), r));
    EXPECT_FALSE(parseRange(QStringLiteral("..inf"), r));
    EXPECT_FALSE(parseRange(QStringLiteral("-inf..0"), r));
    EXPECT_FALSE(parseRange(QStringLiteral("NaN"), r, true));
    EXPECT_TRUE(parseRange(QStringLiteral("0.5..1.40"), r));
    writeMaterials(material(4100, QStringLiteral("C ..0.17; Mn nan..1.40")) + material(4101, QStringLiteral("C ..inf")));
    const QString p = problems();
    EXPECT_TRUE(p.contains(QStringLiteral("99-test.txt:10: bad range \"nan..1.40\""))) << qPrintable(p);
    EXPECT_TRUE(p.contains(QStringLiteral("99-test.txt:21: bad range \"..inf\""))) << qPrintable(p);
}

TEST_F(SourcesFolder, ABadCharacterIsReportedOnItsOwnLine)
{
    writeMaterials(material(4100, QStringLiteral("C ..0.17"), QStringLiteral("Ocel Ω 1")));
    const QString p = problems();
    EXPECT_TRUE(p.contains(QStringLiteral("99-test.txt:4: characters outside windows-1250: Ω"))) << qPrintable(p);
    EXPECT_FALSE(p.contains(QStringLiteral("99-test.txt:1:"))) << qPrintable(p);
}

TEST_F(SourcesFolder, LongListsAndLongValuesAreCut)
{
    QString text;
    for (int i = 0; i < 60; ++i)
        text += material(4100 + i, QStringLiteral("C ..0.17; Mn ") + QString(200, u'9') + QStringLiteral("x"));
    writeMaterials(text);
    int rc = -1;
    const QString out = runTool({QStringLiteral("validate"), src}, rc);
    EXPECT_EQ(rc, 1);
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    int problemLines = 0;
    for (const QString &l : lines)
        problemLines += l.startsWith(QStringLiteral("99-test.txt:"));
    EXPECT_EQ(problemLines, 50) << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("... and 10 more problems"))) << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("\"") + QString(80, u'9') + QStringLiteral("...\""))) << qPrintable(out.left(400));
    EXPECT_FALSE(out.contains(QString(81, u'9')));
}

TEST_F(SourcesFolder, MissingFoldersAreNamed)
{
    int rc = -1;
    QString out = runTool({QStringLiteral("validate"), dir.path() + QStringLiteral("/nowhere")}, rc);
    EXPECT_EQ(rc, 1);
    EXPECT_TRUE(out.contains(QStringLiteral("does not exist"))) << qPrintable(out);
    QDir(src + QStringLiteral("/materials")).removeRecursively();
    out = runTool({QStringLiteral("validate"), src}, rc);
    EXPECT_EQ(rc, 1);
    EXPECT_TRUE(out.contains(QStringLiteral("materials/: the folder is missing"))) << qPrintable(out);
}

TEST_F(SourcesFolder, SourcesWithoutMaterialsLeaveTheCatalogueAsItWas)
{
    writeMaterials(material(4100, QStringLiteral("C ..0.17")));
    const QString data = dir.path() + QStringLiteral("/data");
    int rc = -1;
    QString out = runTool({QStringLiteral("build"), src, data, QStringLiteral("--no-pdf")}, rc);
    ASSERT_EQ(rc, 0) << qPrintable(out);
    const QByteArray before = fileDigest(data + QStringLiteral("/catalogue.sqlite"));
    QFile::remove(src + QStringLiteral("/materials/99-test.txt"));
    out = runTool({QStringLiteral("build"), src, data, QStringLiteral("--no-pdf")}, rc);
    EXPECT_EQ(rc, 1) << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("no materials"))) << qPrintable(out);
    EXPECT_EQ(fileDigest(data + QStringLiteral("/catalogue.sqlite")), before);
}

TEST_F(SourcesFolder, RebuildKeepsTheUserFileAndCarriesItsRowsToChangedTables)
{
    writeMaterials(material(4100, QStringLiteral("C ..0.17")));
    const QString data = dir.path() + QStringLiteral("/data");
    int rc = -1;
    QString out = runTool({QStringLiteral("build"), src, data, QStringLiteral("--no-pdf")}, rc);
    ASSERT_EQ(rc, 0) << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("user file: created"))) << qPrintable(out);
    const QString userFile = data + QStringLiteral("/user.sqlite");
    {
        SqliteFile user(userFile);
        user.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (77, 4100, 'moje poznámka')"));
        user.exec(QStringLiteral("insert into private_MAT (Number, Name) values (20001, 'Vlastní ocel')"));
        user.exec(QStringLiteral("update Setup set Value='55' where Items='USPESNOST'"));
    }
    const QByteArray mine = fileDigest(userFile);
    out = runTool({QStringLiteral("build"), src, data, QStringLiteral("--no-pdf")}, rc);
    ASSERT_EQ(rc, 0) << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("user file: the existing one kept"))) << qPrintable(out);
    EXPECT_EQ(fileDigest(userFile), mine);

    // A user file of an older layout: UserNotices lacks a column the tables have now (the
    // material number, which stays empty), and a
    // table is missing. Its rows come over; the missing table is created with its defaults.
    {
        SqliteFile user(userFile);
        user.exec(QStringLiteral("create table UN2 as select NUMBER, TEXT from UserNotices"));
        user.exec(QStringLiteral("drop table UserNotices"));
        user.exec(QStringLiteral("alter table UN2 rename to UserNotices"));
        user.exec(QStringLiteral("drop table UserMechProp"));
    }
    out = runTool({QStringLiteral("build"), src, data, QStringLiteral("--no-pdf")}, rc);
    ASSERT_EQ(rc, 0) << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("carried over"))) << qPrintable(out);
    SqliteFile user(userFile);
    EXPECT_EQ(user.scalar(QStringLiteral("select TEXT from UserNotices where NUMBER=77")).toString(), QStringLiteral("moje poznámka"));
    EXPECT_EQ(user.scalar(QStringLiteral("select Name from private_MAT where Number=20001")).toString(), QStringLiteral("Vlastní ocel"));
    EXPECT_EQ(user.scalar(QStringLiteral("select Value from Setup where Items='USPESNOST'")).toString(), QStringLiteral("55"));
    EXPECT_GT(user.scalar(QStringLiteral("select count(*) from UserMechProp")).toInt(), 0);
    const orv::db::TableDef *notices = orv::db::table(QStringLiteral("UserNotices"));
    EXPECT_EQ(user.rows(QStringLiteral("pragma table_info(UserNotices)")).size(), notices->columns.size());

    // A user file that is no database is not replaced.
    {
        QFile f(userFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(5000, 'x'));
    }
    out = runTool({QStringLiteral("build"), src, data, QStringLiteral("--no-pdf")}, rc);
    EXPECT_EQ(rc, 1) << qPrintable(out);
    EXPECT_EQ(QFile(userFile).size(), 5000);
}

// The sheets are drawn with fonts, which need an application object.
void ensureGuiApplication()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_tools";
    static char *argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QGuiApplication>(argc, argv);
}

QHash<QString, QByteArray> sheetDigests(const QString &folder)
{
    QHash<QString, QByteArray> digests;
    for (const QFileInfo &fi : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        if (fi.fileName() != QLatin1String(".filler"))
            digests.insert(fi.fileName(), fileDigest(fi.filePath()));
    return digests;
}

// Sheets renamed to a new edition, so that every new sheet differs from the old one.
CatalogueSource newEdition(const CatalogueSource &src)
{
    CatalogueSource changed = src;
    for (MaterialSource &m : changed.materials)
        m.name += QStringLiteral(" (nové vydání)");
    return changed;
}

// The disk fills up while the sheets are written, at several levels: the build stops with
// the file and the reason in Czech, every sheet is either the old one or a whole new one,
// and no temporary file stays.
TEST_F(SourcesFolder, AFullDiskLeavesEachSheetOldOrWholeAndSaysWhy)
{
    ensureGuiApplication();
    const CatalogueSource demo = readCatalogueSource(sourceFolder());
    const CatalogueSource changed = newEdition(demo);
    orv::test::SmallDisk disk(8 * 1024 * 1024);
    const QString pdf = disk.path();
    ASSERT_GT(writePdfSheets(demo, pdf).sheets, 3);
    qint64 largest = 0;
    for (const QFileInfo &fi : QDir(pdf).entryInfoList(QDir::Files))
        largest = std::max(largest, fi.size());
    // Each sheet replaced frees the old one's room, so room for half the largest sheet
    // lets the smaller ones through and stops at a larger one (without a mounted disk the
    // limit is per file, to the same effect).
    const QList<qint64> rooms{0, largest / 2};
    for (const qint64 room : rooms) {
        const QHash<QString, QByteArray> before = sheetDigests(pdf);
        disk.leaveFree(room);
        QString message;
        try {
            writePdfSheets(changed, pdf);
        } catch (const ToolError &e) {
            message = e.text();
        }
        disk.empty();
        EXPECT_TRUE(message.contains(QStringLiteral("na disku není dost místa"))) << room << qPrintable(message);
        EXPECT_TRUE(message.contains(QStringLiteral(".pdf“ se nepodařilo zapsat"))) << qPrintable(message);
        const QHash<QString, QByteArray> after = sheetDigests(pdf);
        EXPECT_EQ(after.keys().size(), before.size()) << "a temporary file stayed or a sheet went";
        int replaced = 0;
        for (auto it = after.begin(); it != after.end(); ++it) {
            if (it.value() == before.value(it.key()))
                continue;
            ++replaced;
            QFile f(QDir(pdf).filePath(it.key()));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            EXPECT_TRUE(bytes.startsWith("%PDF") && bytes.trimmed().endsWith("%%EOF"))
                << "cut sheet " << qPrintable(it.key()) << " at room " << room;
        }
        // Sheets written whole before the failure are told apart from those left as they were.
        const QRegularExpression told(QStringLiteral("zapsaných před ním: (\\d+),"));
        const QRegularExpressionMatch m = told.match(message);
        ASSERT_TRUE(m.hasMatch()) << qPrintable(message);
        EXPECT_GE(m.captured(1).toInt(), replaced);
        writePdfSheets(demo, pdf);   // the old edition again for the next level
    }
}

// A sheet folder the tool may not write to (run as an unprivileged user): the old sheets
// stay and the reason is said.
TEST_F(SourcesFolder, AReadOnlySheetFolderKeepsTheSheetsAndSaysWhy)
{
    constexpr const char *kFolder = "ORV_PDF_SHEETS_READONLY_DIR";
    ensureGuiApplication();
    const QString child = orv::test::childFolder(kFolder);
    const CatalogueSource demo = readCatalogueSource(sourceFolder());
    if (child.isEmpty()) {
        const QString pdf = dir.path() + QStringLiteral("/pdf");
        ASSERT_GT(writePdfSheets(demo, pdf).sheets, 3);
        orv::test::openPathForOthers(pdf);
        for (const QFileInfo &fi : QDir(pdf).entryInfoList(QDir::Files))
            QFile::setPermissions(fi.filePath(), QFile::ReadOwner | QFile::ReadOther);
        QFile::setPermissions(pdf, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        const QHash<QString, QByteArray> before = sheetDigests(pdf);
        const orv::test::ChildRun r = orv::test::runTestInChild(kFolder, dir.path());
        QFile::setPermissions(pdf, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.output);
        EXPECT_EQ(sheetDigests(pdf), before);
        return;
    }
    QString message;
    try {
        writePdfSheets(newEdition(demo), child + QStringLiteral("/pdf"));
    } catch (const ToolError &e) {
        message = e.text();
    }
    EXPECT_TRUE(message.contains(QStringLiteral("do složky nemáte právo zapisovat"))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("Původní soubor zůstal beze změny"))) << qPrintable(message);
}

} // namespace
