// The command-line runner refuses what it cannot do properly: a cut-off template, bad option
// values, a huge query file; it counts no records over no rows and says when the page range
// cuts the report. Needs the runner (built with everything) and the sqlite3 program.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "core/SmallDisk.h"
#include "support/ReportRunner.h"

#include <gtest/gtest.h>

namespace {


class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(kRunner).isExecutable())
            GTEST_SKIP() << "the runner is not built";
        ASSERT_TRUE(dir.isValid());
        db = dir.filePath("data.sqlite");
        QProcess sqlite;
        sqlite.start("sqlite3", {db, "create table Items (Name text);"
                                     "with recursive n(i) as (select 1 union all select i + 1 from n where i < 60) "
                                     "insert into Items select 'Radek ' || i from n;"});
        ASSERT_TRUE(sqlite.waitForFinished(30000));
        ASSERT_EQ(sqlite.exitCode(), 0) << sqlite.readAllStandardError().toStdString();
        pts = dir.filePath("list.pts");
        write(pts, kTemplate);
    }

    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // Runs the runner; stdout and stderr together.
    int run(const QStringList &args, QString &output)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(kRunner, args);
        EXPECT_TRUE(p.waitForFinished(120000));
        output = QString::fromUtf8(p.readAll());
        return p.exitCode();
    }
    QStringList base(const QString &sql) const
    {
        return {pts, db, sql, "--out", dir.filePath("out/page"), "--dpi", "20"};
    }

    // 60 bodies of 20 on a printable height of 1069: two pages.
    static inline const QByteArray kTemplate =
        "I,2,0,826,1169,50,50,50,50,1,0\r\nI,3,2,1,20,0\r\n"
        "T,2,Name,0,0,200,20,Arial,10,0,0,0,0,238,\"\",0,0,0,\"\",0,\"\"\r\n";

    QTemporaryDir dir;
    QString db, pts;
};

} // namespace

TEST_F(RunnerTest, NoRowsAreNoRecords)
{
    QString out;
    EXPECT_EQ(run(base("select Name from Items where Name = 'nic'"), out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("0 records, 1 pages")) << out.toStdString();
    EXPECT_EQ(run(base("select Name from Items"), out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("60 records, 2 pages")) << out.toStdString();
}

TEST_F(RunnerTest, CutOffTemplateIsRefused)
{
    QByteArray cut = kTemplate;
    cut.chop(30);   // inside the element's last line
    write(pts, cut);
    QString out;
    EXPECT_EQ(run(base("select Name from Items"), out), 4) << out.toStdString();
    EXPECT_TRUE(out.contains("line 3 is incomplete")) << out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out/page-1.png")));

    // A whole last line without a line break is fine.
    QByteArray whole = kTemplate;
    whole.chop(2);
    write(pts, whole);
    EXPECT_EQ(run(base("select Name from Items"), out), 0) << out.toStdString();
}

TEST_F(RunnerTest, BadOptionValuesAreRefused)
{
    QString out;
    for (const QStringList &bad : {QStringList{"--dpi", "abc"}, QStringList{"--dpi", "5"},
                                   QStringList{"--dpi", "5000"}, QStringList{"--max-records", "-1"},
                                   QStringList{"--max-records", "x"}, QStringList{"--pages", "0-1"},
                                   QStringList{"--pages", "3-2"}, QStringList{"--param", "=x"},
                                   QStringList{"--attach", "nofile"}, QStringList{"--code-page", "cp437"}}) {
        EXPECT_EQ(run(base("select Name from Items") + bad, out), 8) << bad.join(' ').toStdString();
        EXPECT_TRUE(out.contains(bad[0] + " needs")) << out.toStdString();
    }
    // An option without its value, and one the runner does not know.
    EXPECT_EQ(run(base("select Name from Items") + QStringList{"--one-record", "--text"}, out), 8);
    EXPECT_TRUE(out.contains("missing value after --text")) << out.toStdString();
    EXPECT_EQ(run(base("select Name from Items") + QStringList{"--pdf-file", "x.pdf"}, out), 8);
    EXPECT_TRUE(out.contains("unknown option --pdf-file") && out.contains("usage:")) << out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out/page-1.png")));
    QByteArray huge = "select Name from Items where Name <> '";
    huge += QByteArray(1024 * 1024, 'x');
    huge += "'";
    write(dir.filePath("huge.sql"), huge);
    EXPECT_EQ(run(base("@" + dir.filePath("huge.sql")), out), 8);
    EXPECT_TRUE(out.contains("longer than 1 MB")) << out.toStdString();
}

TEST_F(RunnerTest, AllPagesByDefaultAndARangeThatCutsIsNamed)
{
    QString out;
    EXPECT_EQ(run(base("select Name from Items"), out), 0) << out.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("out/page-2.png")));
    EXPECT_FALSE(out.contains("cuts")) << out.toStdString();
    EXPECT_EQ(run(base("select Name from Items") + QStringList{"--pages", "1-1"}, out), 0);
    EXPECT_TRUE(out.contains("only pages 1-1 are written")) << out.toStdString();
}

// A field the data lacks, a group expression that fails and a query naming a missing table
// are said, and the exit status is not 0 unless the caller asked to go on.
TEST_F(RunnerTest, ErrorsInTheTemplateOrQueryAreSaidAndFailTheRun)
{
    struct Case {
        const char *Name;
        QByteArray Template;
        QString Sql;
        int Status;
        QString Said;
    };
    const QByteArray group = "I,2,0,826,1169,50,50,50,50,1,0\r\nI,3,2,1,20,0\r\n"
                             "I,4,0,\"LEFT(#Nme,3)\",1,20,1,20,0\r\n"
                             "T,2,Name,0,0,200,20,Arial,10,0,0,0,0,238,\"\",0,0,0,\"\",0,\"\"\r\n";
    QByteArray unknown = kTemplate;
    unknown.replace("T,2,Name,", "T,2,Nzev,");
    const Case cases[] = {
        {"unknown field", unknown, "select Name from Items", 9, "Položka „Nzev“ v datech sestavy není"},
        {"bad group expression", group, "select Name from Items", 9, "Výraz skupiny 1 „LEFT(#Nme,3)“"},
        {"missing table", kTemplate, "select Name from Itemz", 8, "tabulku „Itemz“, která v databázi není"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        write(pts, c.Template);
        QString out;
        EXPECT_EQ(run(base(c.Sql), out), c.Status) << out.toStdString();
        EXPECT_TRUE(out.contains(c.Said)) << out.toStdString();
        EXPECT_EQ(out.count(c.Said), 1) << "said once, not per record";
        EXPECT_FALSE(out.contains("poškozen")) << out.toStdString();
        if (c.Status == 9) {
            EXPECT_EQ(run(base(c.Sql) << "--keep-going", out), 0) << out.toStdString();
            EXPECT_TRUE(out.contains(c.Said)) << out.toStdString();
        }
    }
}

// Page images only when asked for: an export alone draws none, --out or --dpi still do.
TEST_F(RunnerTest, ExportsAloneWriteNoPageImages)
{
    QString out;
    const QString pdf = dir.filePath("list.pdf");
    EXPECT_EQ(run({pts, db, "select Name from Items", "--pdf", pdf}, out), 0) << out.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.png"}).isEmpty()) << out.toStdString();
    EXPECT_TRUE(QDir(QDir::currentPath()).entryList({"list-*.png"}).isEmpty());
    EXPECT_EQ(run({pts, db, "select Name from Items", "--text", dir.filePath("list.txt"), "--dpi", "20",
                   "--out", dir.filePath("png/page")}, out), 0) << out.toStdString();
    EXPECT_EQ(QDir(dir.filePath("png")).entryList({"*.png"}).size(), 2);
}

// A full disk: every output option exits 6, names the file, and leaves the old file whole.
TEST_F(RunnerTest, AFullDiskIsAnErrorAndKeepsTheOldFile)
{
    orv::test::SmallDisk disk(256 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "the runner is another process: this needs a small disk to fill";
    const QByteArray old = "the old file\n";
    const QList<QPair<QString, QString>> outputs = {
        {"--pdf", "a.pdf"}, {"--rtf", "a.rtf"}, {"--html", "a.html"}, {"--text", "a.txt"},
        {"--print-to-pdf", "b.pdf"}, {"--out", "page"}};
    for (const auto &[option, name] : outputs) {
        const QString file = option == "--out" ? disk.file("page-1.png")
                           : option == "--html" ? disk.file("a1.html") : disk.file(name);
        write(file, old);
        for (const qint64 free : {qint64(0)}) {   // the fill levels of each writer: FileWrapper
            disk.leaveFree(free);
            QString out;
            EXPECT_EQ(run({pts, db, "select Name from Items", option, disk.file(name)}, out), 6)
                << option.toStdString() << " free " << free << ": " << out.toStdString();
            EXPECT_TRUE(out.contains(QString::fromUtf8("se nepodařilo zapsat")))
                << option.toStdString() << ": " << out.toStdString();
            QFile f(file);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), old) << option.toStdString() << " free " << free;
            disk.empty();
        }
    }
}
