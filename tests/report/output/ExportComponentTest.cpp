// The report component's file exports, from a template and data rows to files read back
// by the outside programs.
#include "ExportTestSupport.h"
#include "RunTestSupport.h"

#include "core/CodePage.h"
#include "report/model/SestError.h"
#include "report/output/OutputWriters.h"
#include "support/XlsxReader.h"

#include <QTextDocument>

using namespace orv;
using namespace outtest;

namespace {

class ExportComponentTest : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        data.Columns = {"Name"};
        data.Rows = {{QStringLiteral("Ocel žáruvzdorná")}, {QStringLiteral("Měď ČSN 42 3005")},
                     {QStringLiteral("Hliník 99,5 %")}};
        rep.DataSource = &data;
        rep.IsStored = true;
        rep.Predloha = {"I,3,2,1,20,0", "T,2,Name,0,0,400,20,Arial,10,0,0,0,0,238"};
    }
    runtest::MemoryBridge data;
    TSestava rep;
};

TEST_F(ExportComponentTest, RunAndWriteEveryFormat)
{
    // RTF and HTML run the report first; PDF writes the store as it stands.
    ASSERT_EQ(rep.ExportRtfFile(dir.path(), "vypis.rtf"), seOk);
    ASSERT_EQ(rep.ExportHtml(dir.path(), "vypis.html", "vypis.bmp"), seOk);
    ASSERT_EQ(rep.ExportPdfFile(dir.path(), "vypis.pdf"), seOk);

    const ToolResult pdf = runTool("pdftotext", {"-enc", "UTF-8", path("vypis.pdf"), "-"});
    ToolResult rtf = runTool("unrtf", {"--html", path("vypis.rtf")});
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(rtf.out));
    const QString html = decode(readAll(path("vypis1.html")));
    for (const auto &row : data.Rows) {
        const QString name = row[0].toString();
        EXPECT_TRUE(QString::fromUtf8(pdf.out).contains(name)) << name.toStdString();
        EXPECT_TRUE(doc.toPlainText().contains(name)) << name.toStdString();
        EXPECT_TRUE(html.contains(name)) << name.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("vypis2.html")));
}

// The spreadsheet is one more format of the writers' registry: written through the one
// file wrapper, read back by openpyxl, and the component's export takes the same way.
TEST_F(ExportComponentTest, SpreadsheetIsOneMoreRegisteredFormat)
{
    EXPECT_TRUE(OutputFormats().contains(QStringLiteral("xlsx")));
    ASSERT_EQ(rep.ExportRtfFile(dir.path(), "vypis.rtf"), seOk);   // runs the report
    TWriteJob job;
    job.Report = &rep;
    QString why;
    ASSERT_EQ(WriteOutputFile(QStringLiteral("xlsx"), rep.Vystup, job, path("vypis.xlsx"), &why), seOk)
        << why.toStdString();
    const auto book = orv::test::readXlsx(path("vypis.xlsx"));
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    QStringList cells;
    for (int r = 0; r < 5; ++r)
        cells << book.sheets.value(0).at(r, 0).text;
    for (const auto &row : data.Rows)
        EXPECT_TRUE(cells.contains(row[0].toString())) << cells.join(u'|').toStdString();

    // Without its report the writer has nothing to write: an older file stays as it was.
    QFile old(path("stary.xlsx"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("dřívější");
    old.close();
    EXPECT_EQ(WriteOutputFile(QStringLiteral("xlsx"), rep.Vystup, TWriteJob(), path("stary.xlsx")), seNotReady);
    EXPECT_EQ(readAll(path("stary.xlsx")), QByteArray("dřívější"));

    // The component's export, behind the runner's --xlsx and the preview's menu.
    ASSERT_EQ(rep.ExportXlsx(path("druhy.xlsx")), seOk);
    EXPECT_TRUE(orv::test::readXlsx(path("druhy.xlsx")).error.isEmpty());
    EXPECT_NE(rep.ExportXlsx(dir.path() + "/chybi/x.xlsx", &why), seOk);
    EXPECT_TRUE(why.contains(QStringLiteral("x.xlsx"))) << why.toStdString();
}

} // namespace
