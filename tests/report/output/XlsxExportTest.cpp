// The report's rows as a spreadsheet: the printed numbers read back with their shape, and the
// grouped price list run by the command-line runner over an SQLite query, its XLSX read back
// by openpyxl and compared row by row with the query: group headers and footers bold, numbers
// as number cells, the page header's texts as headings, page footers left out.

#include "core/CodePage.h"
#include "report/model/NumberFormat.h"
#include "report/output/XlsxExport.h"
#include "support/ReportRunner.h"
#include "support/XlsxReader.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace orv;

TEST(XlsxExport, PrintedNumbersKeepTheirValueAndShape)
{
    const TFormatSettings saved = formatSettings();
    formatSettings().DecimalSeparator = u',';
    formatSettings().ThousandSeparator = QChar(0x00A0);
    const struct {
        QString text;
        bool number;
        double value;
        const char *format;
    } cases[] = {
        {QStringLiteral("12\u00A0050,5"), true, 12050.5, "#,##0.0"},
        {QStringLiteral("-0,25"), true, -0.25, "0.00"},
        {QStringLiteral("630"), true, 630, ""},
        {QStringLiteral("1,5E+03"), true, 1500, "0.0E+00"},
        {QStringLiteral("Strana 3"), false, 0, ""},
        {QStringLiteral("1-2"), false, 0, ""},
        {QStringLiteral("12,5 MPa"), false, 0, ""},
        {QString(), false, 0, ""},
    };
    for (const auto &c : cases) {
        const auto n = printedNumber(c.text);
        ASSERT_EQ(n.has_value(), c.number) << qPrintable(c.text);
        if (n) {
            EXPECT_EQ(n->value, c.value) << qPrintable(c.text);
            EXPECT_EQ(n->format, QString::fromLatin1(c.format)) << qPrintable(c.text);
        }
    }
    formatSettings() = saved;
}

namespace {


// The grouped price list: page header with the column names, a group per 100 rows with a
// header and a footer sum, prices printed only above 50, a report footer with the total and a
// page footer with the page number.
const char *const kTemplate[] = {
    "I,0,\"Ceník\"", "I,1,5,50,0", "I,2,0,826,1169,50,50,70,70,1,0",
    "I,3,0,1,40,0", "I,3,1,1,30,0", "I,3,2,1,19,0", "I,3,3,1,30,0", "I,3,4,1,25,0",
    "I,4,0,\"#Grp\",1,20,1,20,0",
    "F,0,Suma,\"\",0,\"0\",2,\"#Price\",2,15,2,2",
    "F,1,Celkem,\"\",0,\"0\",0,\"#Price\",2,15,2,3",
    "Z,1,0,0,0,500,30,Arial,16,0,1,0,0,238,\"Ceník položek\",0,0,0,\"\",0,\"\"",
    "H,1,0,0,0,200,20,Arial,9,0,1,0,0,238,\"Číslo\",0,0,0,\"\",0,\"\"",
    "H,1,0,100,0,300,20,Arial,9,0,1,0,0,238,\"Název\",0,0,0,\"\",0,\"\"",
    "H,1,0,526,0,200,20,Arial,9,0,1,1,0,238,\"Cena [Kč]\",0,0,0,\"\",0,\"\"",
    "S0,2,Grp,0,0,300,20,Arial,10,0,1,0,0,238,\"\",0,0,0,\"\",0,\"\"",
    "T,2,Number,0,0,90,19,Arial,9,0,0,1,0,238,\"\",0,0,0,\"\",0,\"\"",
    "T,2,Name,100,0,400,19,Arial,9,0,0,0,0,238,\"\",0,0,0,\"\",0,\"\"",
    "T,2,Price,526,0,200,19,Arial,9,0,0,1,0,238,\"\",0,0,0,\"#Price>50\",0,\"\"",
    "U0,6,Suma,526,0,200,20,Arial,9,0,1,1,0,238,\"\",0,0,0,\"\",0,\"\"",
    "K,6,Celkem,526,0,200,20,Arial,10,0,1,1,0,238,\"\",0,0,0,\"\",0,\"\"",
    "P,5,3,526,0,200,20,Arial,8,0,0,1,0,238,\"Strana %d\",0,0,0,\"\",0,\"\"",
};

} // namespace

TEST(XlsxExport, GroupedListRowByRowAgainstTheQuery)
{
    if (!QFileInfo(kRunner).isExecutable())
        GTEST_SKIP() << "the runner is not built";
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("ceník.sqlite"));
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"), {db, QStringLiteral(
        "create table Items (Number integer, Grp text, Name text, Price float);"
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000) "
        "insert into Items select i, printf('Skupina %04d', (i - 1) / 100 + 1), "
        "  printf('Ocel X%dCrNi18-%d žárupevná', i % 97, i % 13), (i % 1000) / 10.0 + (i % 7) / 1000.0 from n;")});
    ASSERT_TRUE(sqlite.waitForFinished(30000));
    ASSERT_EQ(sqlite.exitCode(), 0) << sqlite.readAllStandardError().toStdString();
    QString text;
    for (const char *line : kTemplate)
        text += QString::fromUtf8(line) + QStringLiteral("\r\n");
    QFile pts(dir.filePath(QStringLiteral("cenik.pts")));
    ASSERT_TRUE(pts.open(QIODevice::WriteOnly));
    pts.write(encode(text, CodePage::Cp1250));
    pts.close();

    const QString xlsx = dir.filePath(QStringLiteral("ceník.xlsx"));
    QProcess runner;
    runner.setProcessChannelMode(QProcess::MergedChannels);
    runner.start(kRunner, {pts.fileName(), db, QStringLiteral("select Number, Grp, Name, Price from Items order by Number"),
                           QStringLiteral("--out"), dir.filePath(QStringLiteral("png/p")), QStringLiteral("--pages"),
                           QStringLiteral("1"), QStringLiteral("--dpi"), QStringLiteral("10"), QStringLiteral("--xlsx"), xlsx});
    ASSERT_TRUE(runner.waitForFinished(120000));
    ASSERT_EQ(runner.exitCode(), 0) << runner.readAll().toStdString();

    const auto book = orv::test::readXlsx(xlsx);
    ASSERT_TRUE(book.error.isEmpty()) << qPrintable(book.error);
    const auto &s = book.sheets.value(0);
    EXPECT_EQ(s.frozen, QStringLiteral("A2"));
    EXPECT_FALSE(s.autoFilter.isEmpty());
    EXPECT_EQ(s.at(0, 0).text, QStringLiteral("Číslo"));
    EXPECT_EQ(s.at(0, 1).text, QStringLiteral("Název"));
    EXPECT_EQ(s.at(0, 2).text, QStringLiteral("Cena [Kč]"));
    EXPECT_EQ(s.at(1, 0).text, QStringLiteral("Ceník položek"));   // the report header

    sqlite.start(QStringLiteral("sqlite3"), {QStringLiteral("-separator"), QStringLiteral("\t"), db,
                                             QStringLiteral("select Number, Grp, Name, Price from Items order by Number;")});
    ASSERT_TRUE(sqlite.waitForFinished(30000));
    const QStringList rows = QString::fromUtf8(sqlite.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 1000);
    int r = 2;
    double groupSum = 0, total = 0;
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList f = rows[i].split(u'\t');
        if (i % 100 == 0) {
            ASSERT_TRUE(s.at(r, 0).bold) << r;
            EXPECT_EQ(s.at(r, 0).text, f[1]) << r;
            ++r;
        }
        ASSERT_EQ(s.at(r, 0).type, u'n') << r;
        EXPECT_EQ(s.at(r, 0).number, f[0].toDouble()) << r;
        EXPECT_EQ(s.at(r, 1).text, f[2]) << r;
        EXPECT_FALSE(s.at(r, 1).bold);
        const double price = f[3].toDouble();
        if (price > 50) {
            ASSERT_EQ(s.at(r, 2).type, u'n') << r;
            EXPECT_EQ(s.at(r, 2).number, price) << r;
        } else {
            EXPECT_EQ(s.at(r, 2).type, u'e') << r;
        }
        groupSum += price;
        total += price;
        ++r;
        if (i % 100 == 99) {
            EXPECT_TRUE(s.at(r, 2).bold) << r;
            ASSERT_EQ(s.at(r, 2).type, u'n') << r;
            EXPECT_NEAR(s.at(r, 2).number, groupSum, 0.005) << r;
            groupSum = 0;
            ++r;
        }
    }
    ASSERT_EQ(s.at(r, 2).type, u'n') << r;   // the report footer's total, not bold
    EXPECT_NEAR(s.at(r, 2).number, total, 0.005);
    EXPECT_FALSE(s.at(r, 2).bold);
    EXPECT_EQ(s.rows.size(), r + 1);   // no page footer rows
}
