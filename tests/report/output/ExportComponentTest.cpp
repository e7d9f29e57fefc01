// The report component's file exports, from a template and data rows to files read back
// by the outside programs.
#include "ExportTestSupport.h"
#include "RunTestSupport.h"

#include "core/CodePage.h"
#include "report/model/SestError.h"

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

} // namespace
