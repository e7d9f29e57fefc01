// What the catalogue tool refuses and what it keeps: sources without materials, bounds that
// are no numbers, the user's own file across rebuilds, and PDF sheets on a disk that fills up.

#include "ToolsTestSupport.h"

#include "CatalogueBuilder.h"
#include "CatalogueSource.h"
#include "PdfSheets.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QProcess>

#include <csignal>
#include <limits>
#include <memory>
#include <sys/resource.h>

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

// The disk fills up while the sheets are written: every write is checked, nothing is left
// empty or cut, the previous sheets stay, and the failure is reported.
TEST_F(SourcesFolder, AFullDiskLeavesThePreviousSheets)
{
    // The sheets are drawn with fonts, which need an application object.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_tools";
    static char *argv[] = {name, nullptr};
    std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QGuiApplication>(argc, argv);
    const CatalogueSource demo = readCatalogueSource(sourceFolder());
    const QString pdf = dir.path() + QStringLiteral("/pdf");
    ASSERT_GT(writePdfSheets(demo, pdf).sheets, 3);
    QHash<QString, QByteArray> before;
    qint64 smallest = std::numeric_limits<qint64>::max();
    for (const QFileInfo &fi : QDir(pdf).entryInfoList(QDir::Files)) {
        before.insert(fi.fileName(), fileDigest(fi.filePath()));
        smallest = std::min(smallest, fi.size());
    }
    CatalogueSource changed = demo;
    for (MaterialSource &m : changed.materials)
        m.name += QStringLiteral(" (nové vydání)");

    // A file size limit stands in for the full disk: writes past it fail as they would.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = rlim_t(smallest / 2);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool refused = false;
    QString message;
    try {
        writePdfSheets(changed, pdf);
    } catch (const ToolError &e) {
        refused = true;
        message = e.text();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(refused) << "a failed write was reported as success";
    EXPECT_TRUE(message.contains(QStringLiteral("Cannot write"))) << qPrintable(message);
    QHash<QString, QByteArray> after;
    for (const QFileInfo &fi : QDir(pdf).entryInfoList(QDir::Files))
        after.insert(fi.fileName(), fileDigest(fi.filePath()));
    EXPECT_EQ(after, before) << "sheets were changed, cut or left behind";
}

} // namespace
