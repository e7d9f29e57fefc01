// Every output format through the one file wrapper: read back by its outside tool, and on a
// disk that fills up, a read-only folder or a stopped job the old file stays and the
// message names it.

#include "ExportTestSupport.h"
#include "RunTestSupport.h"

#include "core/SmallDisk.h"
#include "report/model/SestError.h"
#include "report/output/OutputWriters.h"
#include "report/output/Printers.h"

#include <QImage>

using namespace orv;
using namespace outtest;
using orv::test::SmallDisk;

namespace {

// A report of a few pages with Czech text and a frame, run once for the whole program.
TSestava &sampleReport()
{
    static runtest::MemoryBridge data;
    static TSestava report;
    static bool ran = false;
    if (!ran) {
        ran = true;
        data.Columns = {"Name"};
        for (int i = 0; i < 150; ++i)
            data.Rows.push_back({QStringLiteral("Ocel žáruvzdorná %1").arg(i)});
        report.DataSource = &data;
        report.IsStored = true;
        report.Predloha = runtest::Template()
                              .section(2, true, 20)
                              .text("T", 2, "Name", 0, 0, 400, 20)
                              .Lines;
        EXPECT_EQ(report.Run(), seOk);
    }
    return report;
}

struct Format {
    const char *name;
    const char *file;
};
const Format kFormats[] = {{"pdf", "v.pdf"}, {"rtf", "v.rtf"}, {"html", "v.html"},
                           {"text", "v.txt"}, {"emf", "v.emf"}, {"wmf", "v.wmf"},
                           {"png", "v.png"}};

TWriteJob jobFor(const QString &folder)
{
    TWriteJob job;
    job.Directory = folder;
    job.PictureFile = QStringLiteral("v%1_.bmp");
    job.Language = slCP1250;
    job.Dpi = 60;
    return job;
}

// Does the format's outside reader accept the file and find the first row in it?
::testing::AssertionResult readBack(const QString &format, const QString &path)
{
    const QString row = QStringLiteral("Ocel žáruvzdorná 0");
    ToolResult r;
    bool found = false;
    if (format == "pdf") {
        if (runTool("qpdf", {"--check", path}).exitCode != 0)
            return ::testing::AssertionFailure() << "qpdf --check refused it";
        r = runTool("pdftotext", {"-enc", "UTF-8", path, "-"});
        found = QString::fromUtf8(r.out).contains(row);
    } else if (format == "rtf") {
        r = runTool("unrtf", {"--text", path});
        found = r.exitCode == 0 && r.out.contains("Ocel");
    } else if (format == "html") {
        r = runTool("tidy", {"-q", "-e", path});
        const QString html = QString::fromLatin1(readAll(path));
        found = r.exitCode < 2 && html.contains(QStringLiteral("Ocel"));
    } else if (format == "text") {
        r = runTool("iconv", {"-f", "CP1250", "-t", "UTF-8", path});
        found = r.exitCode == 0 && QString::fromUtf8(r.out).contains(row);
    } else if (format == "emf") {
        r = runTool("emf2svg-conv", {"-i", path, "-o", path + ".svg"});
        found = r.exitCode == 0 && readAll(path + ".svg").contains("<svg");
    } else if (format == "wmf") {
        r = runTool("wmf2svg", {"-o", path + ".svg", path});
        found = r.exitCode == 0 && readAll(path + ".svg").contains("svg");
    } else if (format == "png") {
        r = runTool("identify", {path});
        found = r.exitCode == 0 && r.out.contains("PNG");
    }
    if (!found)
        return ::testing::AssertionFailure() << "the reader of " << format.toStdString()
                                             << " says: " << r.err.left(300).toStdString();
    return ::testing::AssertionSuccess();
}

class FileWrapper : public ExportTest, public ::testing::WithParamInterface<Format> {};

} // namespace

TEST_P(FileWrapper, EveryFormatIsReadBackByItsTool)
{
    TSestava &report = sampleReport();
    QTemporaryDir dir;
    const QString path = dir.filePath(GetParam().file);
    QString error;
    ASSERT_EQ(WriteOutputFile(GetParam().name, report.Vystup, jobFor(dir.path()), path, &error), seOk)
        << qPrintable(error);
    EXPECT_TRUE(readBack(GetParam().name, path));
    const QStringList left = QDir(dir.path()).entryList(QStringList{".*.XXXXXX", ".v*"}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(left.isEmpty()) << qPrintable(left.join(u' '));
}

TEST_P(FileWrapper, FullDiskReadOnlyFolderAndStopKeepTheOldFile)
{
    TSestava &report = sampleReport();
    const QString format = GetParam().name;
    QTemporaryDir plain;
    ASSERT_EQ(WriteOutputFile(format, report.Vystup, jobFor(plain.path()), plain.filePath(GetParam().file)), seOk);
    const qint64 size = QFileInfo(plain.filePath(GetParam().file)).size();

    SmallDisk disk(size * 2 + 256 * 1024);
    const QString target = disk.file(GetParam().file);
    const QByteArray old = "the old file, which must survive\n";
    ASSERT_TRUE(writeFileSafely(target, old));
    for (const qint64 free : {qint64(0), size / 3, size - size / 8}) {
        disk.leaveFree(free);
        QString error;
        EXPECT_EQ(WriteOutputFile(format, report.Vystup, jobFor(disk.path()), target, &error), seOutputNotWritten)
            << "free " << free << " of " << size;
        EXPECT_EQ(readAll(target), old) << "free " << free;
        EXPECT_TRUE(error.contains(target)) << qPrintable(error);
        disk.empty();
    }
    if (disk.makeReadOnly()) {
        QString error;
        EXPECT_EQ(WriteOutputFile(format, report.Vystup, jobFor(disk.path()), target, &error), seOutputNotWritten);
        EXPECT_TRUE(error.contains(QString::fromUtf8("jen pro čtení"))) << qPrintable(error);
        disk.makeReadOnly(false);
    }
    // A writer stopped by the user (or one that fails half-way) leaves the old file too.
    RegisterOutputWriter("stopped", [] {
        struct Stopped : TOutputWriter {
            int Write(TSestVystup &, const TWriteJob &, QIODevice &d) override
            {
                d.write("half");
                return seCancelled;
            }
        };
        return std::make_unique<Stopped>();
    });
    EXPECT_EQ(WriteOutputFile("stopped", report.Vystup, jobFor(disk.path()), target), seCancelled);
    RegisterOutputWriter("stopped", {});
    EXPECT_EQ(readAll(target), old);
    const QStringList files = disk.files();
    EXPECT_EQ(files.filter(QStringLiteral(".XXXXXX")).size() + files.filter(QRegularExpression("^\\.")).size(), 0)
        << qPrintable(files.join(u' '));
}

INSTANTIATE_TEST_SUITE_P(Formats, FileWrapper, ::testing::ValuesIn(kFormats),
                         [](const auto &info) { return std::string(info.param.name); });

// The component's file exports say the same through their result and OutputError.
TEST(FileWrapperComponent, ExportsOnAFullDiskReturnNotWrittenAndKeepTheOldFile)
{
    outtest::ensureGuiApplication();
    TSestava &report = sampleReport();
    SmallDisk disk(256 * 1024);
    const QByteArray old = "old\n";
    for (const char *name : {"a.pdf", "a.rtf", "a1.html", "a.txt", "a1.emf"})
        ASSERT_TRUE(writeFileSafely(disk.file(name), old));
    disk.leaveFree(0);
    EXPECT_EQ(report.ExportPdfFile(disk.path(), "a.pdf"), seOutputNotWritten);
    EXPECT_TRUE(report.OutputError.contains("a.pdf")) << qPrintable(report.OutputError);
    EXPECT_EQ(report.TSestavaTyp::ExportRtfFile(disk.path(), "a.rtf"), seOutputNotWritten);
    EXPECT_EQ(report.TSestavaTyp::ExportHtml(disk.path(), "a.html", "a.bmp"), seOutputNotWritten);
    EXPECT_EQ(report.PrintToFile(disk.file("a.txt")), seOutputNotWritten);
    EXPECT_EQ(report.TSestavaTyp::ExportEmf(disk.file("a.emf")), seOutputNotWritten);
    for (const char *name : {"a.pdf", "a.rtf", "a1.html", "a.txt", "a1.emf"})
        EXPECT_EQ(readAll(disk.file(name)), old) << name;
}

// "Tisk do souboru PDF": the printer writes beside the target, which is replaced only by a
// whole PDF.
TEST(FileWrapperComponent, PrintingIntoAPdfFileOnAFullDiskKeepsTheOldPdf)
{
    outtest::ensureGuiApplication();
    TSestava &report = sampleReport();
    SmallDisk disk(1024 * 1024);
    const QString target = disk.file("tisk.pdf");
    TPrintJob job;
    job.PrinterIndex = PdfPrinterIndex();
    job.File = target;
    ASSERT_EQ(PrintStore(report, job), seOk) << qPrintable(report.OutputError);
    const QByteArray whole = readAll(target);
    ASSERT_TRUE(PdfFileIsWhole(target));
    for (const qint64 free : {qint64(0), qint64(whole.size() / 2)}) {
        disk.leaveFree(free);
        if (!disk.mounted())
            GTEST_SKIP() << "the PDF printer writes by name: this needs a small disk to fill";
        EXPECT_EQ(PrintStore(report, job), seOutputNotWritten) << "free " << free;
        EXPECT_EQ(readAll(target), whole);
        EXPECT_TRUE(report.OutputError.contains("tisk.pdf")) << qPrintable(report.OutputError);
        disk.empty();
    }
    EXPECT_EQ(disk.files(), QStringList{"tisk.pdf"});
    SetCurrentPrinter(nullptr);
}

// Saving a template on a full disk: the template and its one backup stay as they were, the
// message names the file; with room again the old template becomes the backup.
TEST(FileWrapperComponent, TemplateSaveOnAFullDiskKeepsTheTemplateAndItsBackup)
{
    outtest::ensureGuiApplication();
    SmallDisk disk(256 * 1024);
    ASSERT_TRUE(writeFileSafely(disk.file("vypis.pts"), "I,0,\"old\"\r\n"));
    ASSERT_TRUE(writeFileSafely(disk.file("vypis.BAK"), "I,0,\"older\"\r\n"));
    QStringList messages;
    setSestMessageHandler([&](TSestMessageKind, const QString &, const QString &text) {
        messages << text;
        return false;
    });
    TSestava report;
    report.Location.ReportDirIgnore = false;
    report.Location.setReportDir(disk.path());
    report.setReportName("vypis.pts");
    report.Predloha = QStringList(2000, QStringLiteral("T,1,0,0,0,100,20,Arial,10,0,0,0,0,238,\"nový text\""));
    disk.leaveFree(0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(report.SaveTemplate(), seTemplateNotSaved);
        EXPECT_EQ(readAll(disk.file("vypis.pts")), "I,0,\"old\"\r\n");
        EXPECT_EQ(readAll(disk.file("vypis.BAK")), "I,0,\"older\"\r\n");
    }
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.last().contains("vypis.pts")) << qPrintable(messages.last());
    disk.empty();
    EXPECT_EQ(report.SaveTemplate(), seOk);
    EXPECT_EQ(readAll(disk.file("vypis.BAK")), "I,0,\"old\"\r\n");
    setSestMessageHandler({});
}
