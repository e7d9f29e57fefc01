// orv_report_runner: runs a report template (.pts) over the rows of an SQL query on an
// SQLite file and writes the pages as PNG files, or the exports asked for. The exit status is
// the report's result code (0 done, 3 cancelled, 4 template not loaded, 6 output not written,
// 8 data not ready, 9 the run met fields the data lacks or failing expressions), and its
// message is printed.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DbError.h"
#include "printouts/DataSetBridge.h"
#include "ui/Translations.h"
#include "report/model/Bridge.h"
#include "report/model/SestavaMessages.h"
#include "report/model/TemplateFile.h"
#include "report/output/OutputWriters.h"
#include "report/output/Printers.h"
#include "report/output/Sestava.h"
#include "report/ui/PreviewWindow.h"
#include "report/ui/ReportUi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QApplication>
#include <QTextStream>

#include <climits>
#include <cstdio>
#include <cstring>

using namespace orv;

namespace {

const char *const kUsage =
    "usage: orv_report_runner TEMPLATE.pts DATABASE.sqlite SQL [options]\n"
    "  SQL                 the query text, or @FILE to read it from a file\n"
    "  --attach FILE=NAME  attach a further SQLite file under a schema name\n"
    "  --param NAME=VALUE  value of the query parameter :NAME (repeatable)\n"
    "  --report-param TEXT report parameter &1, &2, ... in the order given (repeatable)\n"
    "  --pages A-B         first and last page (default: all pages)\n"
    "  --max-records N     stop after N records (default 0: all)\n"
    "  --one-record        print only the first record\n"
    "  --out PREFIX        page files PREFIX-1.png, PREFIX-2.png, ... (default: the template's name)\n"
    "  --dpi N             resolution of the PNG pages (default 150)\n"
    "  --emf PREFIX        also write every page as PREFIX<n>.emf\n"
    "  --pdf FILE          also write the report as PDF\n"
    "  --rtf FILE          also write the report as RTF\n"
    "  --xlsx FILE         also write the report's rows as a spreadsheet (XLSX)\n"
    "  --html FILE         also write every page as HTML: FILE with the page number before\n"
    "                      the extension, pictures (BMP) and barcodes (SVG) beside it, and\n"
    "                      FILE itself as the index page linking the pages\n"
    "  --text FILE         also write the pages as a text file (character output)\n"
    "  --code-page CP      code page of the text file: ascii, kamenicky, cp852, cp1250 or none\n"
    "  --preview           open the preview window on the finished report\n"
    "  --print-to-pdf FILE print the pages through the printing path into a PDF file\n"
    "  --keep-going        exit 0 even when the run met fields the data lacks or\n"
    "                      expressions that failed (they are printed on stderr either way)\n"
    "  PNG pages are written when --out or --dpi is given, or when no other output\n"
    "  (--emf, --pdf, --rtf, --html, --text, --preview, --print-to-pdf) is asked for.\n"
    "  Every file is written to a temporary name and replaces the old one only when whole;\n"
    "  a file that cannot be written is named on standard error and the exit status is 6.\n";

void err(const QString &text)
{
    QTextStream(stderr) << text << Qt::endl;
}

// A template file cut off in the middle of its last line: no line break at its end, and the
// line lacks fields its kind needs or ends inside quotes. Returns the line's number from 1,
// or 0 when the file looks whole (or cannot be read: the report says so itself).
int cutOffLine(const QString &path, QString &line)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = f.readAll();
    if (bytes.isEmpty() || bytes.endsWith('\n') || bytes.endsWith('\r'))
        return 0;
    const QStringList lines = templateLinesFromBytes(bytes);
    if (lines.isEmpty())
        return 0;
    line = lines.last();
    QStringList fields = splitTemplateFields(line);
    if (fields.value(0).startsWith(u'D') && fields.size() > 1)
        fields.removeFirst();   // a detail's line: its own code follows
    const QString code = fields.value(0);
    const int kind = fields.value(1).toInt();
    int needed = 0;
    if (code == u'I')
        needed = kind == 0 ? 3 : kind == 1 ? 5 : kind == 2 ? 11 : kind == 3 ? 6 : kind == 4 ? 9 : 0;
    else if (code == u'F')
        needed = 12;
    else if (kind >= 1 && kind <= 6)
        needed = 21;
    else if (kind >= 7 && kind <= 13)
        needed = 14;
    else if (kind == 15)
        needed = 7;
    if (line.count(u'"') % 2 == 1 || fields.size() < needed)
        return int(lines.size());
    return 0;
}

int finish(int code)
{
    QTextStream(code ? stderr : stdout) << code << ": " << sestErrorText(code) << Qt::endl;
    return code;
}

// What the command line asks for.
struct RunnerOptions {
    QString templateFile;
    QString database;
    QString sql;                                  // the query text, or @FILE
    QVariantMap params;                           // query parameters by name
    QStringList reportParams;                     // &1, &2, ...
    QList<QPair<QString, QString>> attachments;   // file and schema name
    int startPage = 1, endPage = INT_MAX, maxRecords = 0, dpi = 150;
    bool pagesGiven = false;
    bool oneRecord = false;
    QString out;                                  // prefix of the PNG pages
    bool outGiven = false;
    bool dpiGiven = false;
    QString emf;
    QString pdf, rtf, html, xlsx;                 // file exports
    QString textFile;
    int codePage = slUndefined;
    bool preview = false;
    QString printPdf;
    bool keepGoing = false;
};

// --pages, --max-records and --dpi. False (the message printed) for a value out of range.
bool setNumberOption(const QString &a, const QString &v, RunnerOptions &o)
{
    if (a == "--pages") {
        const QStringList ab = v.split(u'-');
        bool ok1 = false, ok2 = true;
        o.startPage = ab.value(0).toInt(&ok1);
        if (ab.size() > 1)
            o.endPage = ab.value(1).toInt(&ok2);
        if (!ok1 || !ok2 || o.startPage < 1 || o.endPage < o.startPage) {
            err(QStringLiteral("--pages needs A-B with 1 <= A <= B"));
            return false;
        }
        o.pagesGiven = true;
    } else if (a == "--max-records") {
        bool ok = false;
        o.maxRecords = v.toInt(&ok);
        if (!ok || o.maxRecords < 0) {
            err(QStringLiteral("--max-records needs a whole number from 0 (0: all records)"));
            return false;
        }
    } else {
        bool ok = false;
        o.dpiGiven = true;
        o.dpi = v.toInt(&ok);
        if (!ok || o.dpi < 10 || o.dpi > 1200) {
            err(QStringLiteral("--dpi needs a whole number from 10 to 1200"));
            return false;
        }
    }
    return true;
}

// An option that takes a value. False (the message printed) for a value that is not
// acceptable.
bool setOptionValue(const QString &a, const QString &v, RunnerOptions &o)
{
    if (a == "--param" || a == "--attach") {
        const int eq = int(a == "--param" ? v.indexOf(u'=') : v.lastIndexOf(u'='));
        if (eq <= 0) {
            err(a == "--param" ? QStringLiteral("--param needs NAME=VALUE")
                               : QStringLiteral("--attach needs FILE=NAME"));
            return false;
        }
        if (a == "--param")
            o.params.insert(v.left(eq), v.mid(eq + 1));
        else
            o.attachments.append({v.left(eq), v.mid(eq + 1)});
    } else if (a == "--report-param") {
        o.reportParams << v;
    } else if (a == "--pages" || a == "--max-records" || a == "--dpi") {
        return setNumberOption(a, v, o);
    } else if (a == "--out") {
        o.out = v;
        o.outGiven = true;
    } else if (a == "--print-to-pdf") {
        o.printPdf = v;
    } else if (a == "--emf") {
        o.emf = v;
    } else if (a == "--xlsx") {
        o.xlsx = v;
    } else if (a == "--pdf" || a == "--rtf" || a == "--html") {
        (a == "--pdf" ? o.pdf : a == "--rtf" ? o.rtf : o.html) = v;
    } else if (a == "--text") {
        o.textFile = v;
    } else if (a == "--code-page") {
        const QStringList names{"none", "ascii", "kamenicky", "cp852", "cp1250"};
        o.codePage = int(names.indexOf(v.toLower()));
        if (o.codePage < 0) {
            err(QStringLiteral("--code-page needs one of: ") + names.join(u' '));
            return false;
        }
    }
    return true;
}

// Reads the command line into o. False when the run stops here; exitCode then says how.
bool parseCommandLine(QStringList args, RunnerOptions &o, int &exitCode)
{
    if (args.size() < 3 || args.contains("--help")) {
        std::fputs(kUsage, args.contains("--help") ? stdout : stderr);
        exitCode = args.contains("--help") ? 0 : seNotReady;
        return false;
    }
    exitCode = seNotReady;
    o.templateFile = args.takeFirst();
    o.database = args.takeFirst();
    o.sql = args.takeFirst();
    o.out = QFileInfo(o.templateFile).completeBaseName();
    static const QStringList withValue{"--param", "--attach", "--report-param", "--pages",
                                       "--max-records", "--out", "--print-to-pdf", "--dpi",
                                       "--emf", "--pdf", "--rtf", "--html", "--xlsx", "--text",
                                       "--code-page"};
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args.at(i);
        if (a == "--one-record") {
            o.oneRecord = true;
        } else if (a == "--preview") {
            o.preview = true;
        } else if (a == "--keep-going") {
            o.keepGoing = true;
        } else if (!withValue.contains(a)) {
            err(QStringLiteral("unknown option %1").arg(a));
            std::fputs(kUsage, stderr);
            return false;
        } else if (i + 1 >= args.size()) {
            err(QStringLiteral("missing value after %1").arg(a));
            return false;
        } else if (!setOptionValue(a, args.at(++i), o)) {
            return false;
        }
    }
    return true;
}

// "@FILE" in place of the query: the query is read from that file (at most 1 MB).
bool readQueryFile(QString &sql)
{
    if (!sql.startsWith(u'@'))
        return true;
    QFile f(sql.mid(1));
    if (!f.open(QIODevice::ReadOnly)) {
        err(QStringLiteral("cannot read %1").arg(f.fileName()));
        return false;
    }
    constexpr qint64 kMaxQuery = 1024 * 1024;
    const QByteArray text = f.read(kMaxQuery + 1);
    if (text.size() > kMaxQuery) {
        err(QStringLiteral("the query in %1 is longer than 1 MB").arg(f.fileName()));
        return false;
    }
    sql = QString::fromUtf8(text);
    return true;
}

bool openQuery(db::Connection &conn, db::DataSet &query, const RunnerOptions &o)
{
    try {
        conn.openFile(o.database, db::OpenMode::ReadOnly);
        for (const auto &at : o.attachments)
            conn.attach(at.first, at.second, db::OpenMode::ReadOnly);
        query.setSql(o.sql);
        for (auto it = o.params.cbegin(); it != o.params.cend(); ++it)
            query.setParam(it.key(), it.value());
        query.open();
    } catch (const std::exception &e) {
        // The file is fine when the query names what it lacks: that is said first.
        err(queryFailureText(QString::fromUtf8(e.what())));
        return false;
    }
    return true;
}

void setUpReport(TSestava &report, DataSetBridge &bridge, const RunnerOptions &o)
{
    report.Name = QStringLiteral("report");
    report.DataSource = &bridge;
    const QFileInfo tf(o.templateFile);
    report.Location.ReportDirIgnore = false;
    report.Location.setReportDir(tf.absolutePath());
    report.setReportName(tf.fileName());
    report.Parametry = o.reportParams;
    report.StartPage = o.startPage;
    report.EndPage = o.endPage;
    report.MaxRecords = o.maxRecords;
    report.TiskJedenZaznam = o.oneRecord;
}

// Page images cost more than any export: they are drawn only when asked for (--out, --dpi)
// or when nothing else is.
bool wantsPngPages(const RunnerOptions &o)
{
    if (o.outGiven || o.dpiGiven)
        return true;
    return o.emf.isEmpty() && o.pdf.isEmpty() && o.rtf.isEmpty() && o.html.isEmpty()
        && o.textFile.isEmpty() && !o.preview && o.printPdf.isEmpty();
}

// The PNG pages of the requested range.
int writePngPages(TSestava &report, const RunnerOptions &o, int pages)
{
    if (!wantsPngPages(o))
        return seOk;
    QDir().mkpath(QFileInfo(o.out).absolutePath());
    for (int i = o.startPage - 1; i < pages; ++i) {
        const QString file = QStringLiteral("%1-%2.png").arg(o.out).arg(i + 1);
        if (!report.Vystup.SavePagePng(file, i, o.dpi)) {
            const QString why = lastOutputError();
            err(why.isEmpty() ? QStringLiteral("cannot write %1").arg(file) : why);
            return seOutputNotWritten;
        }
        QTextStream(stdout) << file << Qt::endl;
    }
    return seOk;
}

// EMF pages, the PDF, RTF and HTML files and the character output, of the store as it stands.
int writeExports(TSestava &report, const RunnerOptions &o)
{
    if (!o.emf.isEmpty()) {
        const int r = report.TSestavaTyp::ExportEmf(o.emf + QStringLiteral(".emf"));
        if (r != seOk) {
            err(report.OutputError.isEmpty() ? QStringLiteral("cannot write %1").arg(o.emf) : report.OutputError);
            return r;
        }
    }
    for (const auto &[file, kind] : {std::pair{o.pdf, 0}, std::pair{o.rtf, 1}, std::pair{o.html, 2}}) {
        if (file.isEmpty())
            continue;
        const QFileInfo fi(file);
        QDir().mkpath(fi.absolutePath());
        const int r = kind == 0 ? report.ExportPdfFile(fi.absolutePath(), fi.fileName())
                    : kind == 1 ? report.TSestavaTyp::ExportRtfFile(fi.absolutePath(), fi.fileName())
                                : report.TSestavaTyp::ExportHtml(fi.absolutePath(), fi.fileName(),
                                                                 fi.completeBaseName() + QStringLiteral(".bmp"));
        if (r != seOk) {
            err(report.OutputError.isEmpty() ? QStringLiteral("cannot write %1").arg(file) : report.OutputError);
            return r;
        }
    }
    if (!o.xlsx.isEmpty()) {
        QString why;
        if (report.ExportXlsx(o.xlsx, &why) != seOk) {
            err(why);
            return seOutputNotWritten;
        }
    }
    if (!o.textFile.isEmpty()) {
        report.ExportLanguage = o.codePage;
        const int r = report.PrintToFile(o.textFile);
        if (r != seOk) {
            err(report.OutputError.isEmpty() ? QStringLiteral("cannot write %1").arg(o.textFile) : report.OutputError);
            return r;
        }
        QTextStream(stdout) << o.textFile << Qt::endl;
    }
    return seOk;
}

// Printing into a PDF file through the printing path, then the preview window.
int printAndPreview(TSestava &report, const RunnerOptions &o)
{
    if (!o.printPdf.isEmpty()) {
        TPrintJob job;
        job.PrinterIndex = PdfPrinterIndex();
        job.File = QFileInfo(o.printPdf).absoluteFilePath();
        job.FirstPage = o.startPage;
        job.LastPage = o.endPage;
        job.Title = report.Popis;
        const int r = PrintStore(report, job);
        if (r != seOk) {
            if (!report.OutputError.isEmpty())
                err(report.OutputError);
            return r;
        }
        QTextStream(stdout) << job.File << Qt::endl;
    }
    if (o.preview) {
        InstallReportUi();
        report.Vystup.SetRange(o.startPage, o.endPage, report.ExportLanguage, report.PrintCopies);
        report.Vystup.SetLineSpacing(report.LineHeightCode);
        TPreviewOptions options;
        options.WindowState = wsNormal;
        ShowPreview(report, options);
    }
    return seOk;
}

// Runs the report and writes what was asked for; the result code of the run.
int runAndWrite(TSestava &report, const RunnerOptions &o)
{
    const int result = report.Run();
    if (result != seOk)
        return result;

    const int pages = report.Vystup.PageCount();
    if (pages == 0) {
        err(QStringLiteral("the report made no page"));
        return seNotReady;
    }
    if (o.startPage > pages) {
        err(QStringLiteral("the report has %1 pages: none from page %2 on").arg(pages).arg(o.startPage));
        return seNotReady;
    }
    if (o.pagesGiven && (o.startPage > 1 || report.StopRequested))
        err(QStringLiteral("only pages %1-%2 are written: the page range cuts the report")
                .arg(o.startPage).arg(pages));
    int r = writePngPages(report, o, pages);
    if (r == seOk)
        r = writeExports(report, o);
    if (r != seOk)
        return r;
    QTextStream(stdout) << QStringLiteral("%1 records, %2 pages").arg(report.RecordsPrinted).arg(pages)
                        << Qt::endl;
    r = printAndPreview(report, o);
    // The problems themselves went to stderr through the message handler as the run ended.
    if (r == seOk && !report.RunProblems.isEmpty() && !o.keepGoing)
        return seRunProblems;
    return r;
}

// The result is printed while the report (and a preview window on it) still exists.
int runReport(const RunnerOptions &o, DataSetBridge &bridge)
{
    TSestava report;
    setUpReport(report, bridge, o);
    return finish(runAndWrite(report, o));
}

} // namespace

int main(int argc, char **argv)
{
    bool wantsWindow = false;   // --preview: for a person at a desktop
    for (int i = 1; i < argc; ++i)
        wantsWindow = wantsWindow || std::strcmp(argv[i], "--preview") == 0;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !wantsWindow)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Qt's own dialogs (file choosers, input boxes) speak Czech as the rest does.
    ui::installCzechQtTranslations();
    QStringList args = app.arguments();
    args.removeFirst();
    RunnerOptions o;
    int exitCode = 0;
    if (!parseCommandLine(args, o, exitCode))
        return exitCode;
    if (!readQueryFile(o.sql))
        return finish(seNotReady);

    setSestMessageHandler([](TSestMessageKind, const QString &caption, const QString &text) {
        err(caption + QStringLiteral(": ") + text);
        return false;   // questions are answered No: nothing is created behind the user's back
    });

    db::Connection conn(QStringLiteral("report-runner"));
    db::DataSet query(QStringLiteral("qReport"), &conn);
    if (!openQuery(conn, query, o))
        return finish(seNotReady);

    QString line;
    if (const int n = cutOffLine(o.templateFile, line)) {
        err(QStringLiteral("%1: line %2 is incomplete (the file ends inside it): %3")
                .arg(o.templateFile).arg(n).arg(line.left(80)));
        return finish(seTemplateNotLoaded);
    }

    DataSetBridge bridge(&query);
    return runReport(o, bridge);
}
