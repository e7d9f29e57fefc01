// orv_report_runner: runs a report template (.pts) over the rows of an SQL query on an
// SQLite file and writes the pages as PNG files. The exit status is the report's result code
// (0 done, 3 cancelled, 4 template not loaded, 6 output not written, 8 data not ready), and
// its message is printed.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DbError.h"
#include "printouts/DataSetBridge.h"
#include "report/model/SestavaMessages.h"
#include "report/model/TemplateFile.h"
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
    "  --html FILE         also write every page as HTML: FILE with the page number before\n"
    "                      the extension, pictures beside it\n"
    "  --text FILE         also write the pages as a text file (character output)\n"
    "  --code-page CP      code page of the text file: ascii, kamenicky, cp852, cp1250 or none\n"
    "  --preview           open the preview window on the finished report\n"
    "  --print-to-pdf FILE print the pages through the printing path into a PDF file\n"
    "  (with --preview or --print-to-pdf, PNG pages are written only when --out is given)\n";

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

} // namespace

int main(int argc, char **argv)
{
    bool wantsWindow = false;   // --preview: for a person at a desktop
    for (int i = 1; i < argc; ++i)
        wantsWindow = wantsWindow || std::strcmp(argv[i], "--preview") == 0;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !wantsWindow)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.size() < 3 || args.contains("--help")) {
        std::fputs(kUsage, args.contains("--help") ? stdout : stderr);
        return args.contains("--help") ? 0 : seNotReady;
    }
    const QString templateFile = args.takeFirst();
    const QString database = args.takeFirst();
    QString sql = args.takeFirst();

    QVariantMap params;
    QStringList reportParams;
    QList<QPair<QString, QString>> attachments;
    int startPage = 1, endPage = INT_MAX, maxRecords = 0, dpi = 150;
    bool pagesGiven = false;
    bool oneRecord = false;
    QString out = QFileInfo(templateFile).completeBaseName();
    QString emf;
    QString pdf, rtf, html;   // file exports
    QString textFile;
    int codePage = slUndefined;
    bool preview = false, outGiven = false;
    QString printPdf;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args.at(i);
        auto value = [&]() -> QString {
            if (i + 1 >= args.size()) {
                err(QStringLiteral("missing value after %1").arg(a));
                std::exit(seNotReady);
            }
            return args.at(++i);
        };
        if (a == "--param") {
            const QString v = value();
            const int eq = v.indexOf(u'=');
            if (eq <= 0) {
                err(QStringLiteral("--param needs NAME=VALUE"));
                return seNotReady;
            }
            params.insert(v.left(eq), v.mid(eq + 1));
        } else if (a == "--attach") {
            const QString v = value();
            const int eq = v.lastIndexOf(u'=');
            if (eq <= 0) {
                err(QStringLiteral("--attach needs FILE=NAME"));
                return seNotReady;
            }
            attachments.append({v.left(eq), v.mid(eq + 1)});
        } else if (a == "--report-param") {
            reportParams << value();
        } else if (a == "--pages") {
            const QStringList ab = value().split(u'-');
            bool ok1 = false, ok2 = true;
            startPage = ab.value(0).toInt(&ok1);
            if (ab.size() > 1)
                endPage = ab.value(1).toInt(&ok2);
            if (!ok1 || !ok2 || startPage < 1 || endPage < startPage) {
                err(QStringLiteral("--pages needs A-B with 1 <= A <= B"));
                return seNotReady;
            }
            pagesGiven = true;
        } else if (a == "--max-records") {
            bool ok = false;
            maxRecords = value().toInt(&ok);
            if (!ok || maxRecords < 0) {
                err(QStringLiteral("--max-records needs a whole number from 0 (0: all records)"));
                return seNotReady;
            }
        } else if (a == "--one-record") {
            oneRecord = true;
        } else if (a == "--out") {
            out = value();
            outGiven = true;
        } else if (a == "--preview") {
            preview = true;
        } else if (a == "--print-to-pdf") {
            printPdf = value();
        } else if (a == "--dpi") {
            bool ok = false;
            dpi = value().toInt(&ok);
            if (!ok || dpi < 10 || dpi > 1200) {
                err(QStringLiteral("--dpi needs a whole number from 10 to 1200"));
                return seNotReady;
            }
        } else if (a == "--emf") {
            emf = value();
        } else if (a == "--pdf" || a == "--rtf" || a == "--html") {
            (a == "--pdf" ? pdf : a == "--rtf" ? rtf : html) = value();
        } else if (a == "--text") {
            textFile = value();
        } else if (a == "--code-page") {
            const QStringList names{"none", "ascii", "kamenicky", "cp852", "cp1250"};
            codePage = int(names.indexOf(value().toLower()));
            if (codePage < 0) {
                err(QStringLiteral("--code-page needs one of: ") + names.join(u' '));
                return seNotReady;
            }
        } else {
            err(QStringLiteral("unknown option %1").arg(a));
            std::fputs(kUsage, stderr);
            return seNotReady;
        }
    }
    if (sql.startsWith(u'@')) {
        QFile f(sql.mid(1));
        if (!f.open(QIODevice::ReadOnly)) {
            err(QStringLiteral("cannot read %1").arg(f.fileName()));
            return finish(seNotReady);
        }
        constexpr qint64 kMaxQuery = 1024 * 1024;
        const QByteArray text = f.read(kMaxQuery + 1);
        if (text.size() > kMaxQuery) {
            err(QStringLiteral("the query in %1 is longer than 1 MB").arg(f.fileName()));
            return finish(seNotReady);
        }
        sql = QString::fromUtf8(text);
    }

    setSestMessageHandler([](TSestMessageKind, const QString &caption, const QString &text) {
        err(caption + QStringLiteral(": ") + text);
        return false;   // questions are answered No: nothing is created behind the user's back
    });

    db::Connection conn(QStringLiteral("report-runner"));
    db::DataSet query(QStringLiteral("qReport"), &conn);
    try {
        conn.openFile(database, db::OpenMode::ReadOnly);
        for (const auto &at : attachments)
            conn.attach(at.first, at.second, db::OpenMode::ReadOnly);
        query.setSql(sql);
        for (auto it = params.cbegin(); it != params.cend(); ++it)
            query.setParam(it.key(), it.value());
        query.open();
    } catch (const std::exception &e) {
        err(QString::fromUtf8(e.what()));
        return finish(seNotReady);
    }

    {
        QString line;
        if (const int n = cutOffLine(templateFile, line)) {
            err(QStringLiteral("%1: line %2 is incomplete (the file ends inside it): %3")
                    .arg(templateFile).arg(n).arg(line.left(80)));
            return finish(seTemplateNotLoaded);
        }
    }

    DataSetBridge bridge(&query);
    TSestava report;
    report.Name = QStringLiteral("report");
    report.DataSource = &bridge;
    const QFileInfo tf(templateFile);
    report.Location.ReportDirIgnore = false;
    report.Location.setReportDir(tf.absolutePath());
    report.setReportName(tf.fileName());
    report.Parametry = reportParams;
    report.StartPage = startPage;
    report.EndPage = endPage;
    report.MaxRecords = maxRecords;
    report.TiskJedenZaznam = oneRecord;

    const int result = report.Run();
    if (result != seOk)
        return finish(result);

    const int pages = report.Vystup.PageCount();
    if (pages == 0) {
        err(QStringLiteral("the report made no page"));
        return finish(seNotReady);
    }
    if (startPage > pages) {
        err(QStringLiteral("the report has %1 pages: none from page %2 on").arg(pages).arg(startPage));
        return finish(seNotReady);
    }
    if (pagesGiven && (startPage > 1 || report.StopRequested))
        err(QStringLiteral("only pages %1-%2 are written: the page range cuts the report")
                .arg(startPage).arg(pages));
    const bool pngs = outGiven || (!preview && printPdf.isEmpty());
    const QString outDir = QFileInfo(out).absolutePath();
    if (pngs)
        QDir().mkpath(outDir);
    for (int i = startPage - 1; pngs && i < pages; ++i) {
        const QString file = QStringLiteral("%1-%2.png").arg(out).arg(i + 1);
        if (!report.Vystup.SavePagePng(file, i, dpi)) {
            err(QStringLiteral("cannot write %1").arg(file));
            return finish(seOutputNotWritten);
        }
        QTextStream(stdout) << file << Qt::endl;
    }
    if (!emf.isEmpty()) {
        const int r = report.TSestavaTyp::ExportEmf(emf + QStringLiteral(".emf"));
        if (r != seOk)
            return finish(r);
    }
    // File exports of the store as it stands.
    for (const auto &[file, kind] : {std::pair{pdf, 0}, std::pair{rtf, 1}, std::pair{html, 2}}) {
        if (file.isEmpty())
            continue;
        const QFileInfo fi(file);
        QDir().mkpath(fi.absolutePath());
        const int r = kind == 0 ? report.ExportPdfFile(fi.absolutePath(), fi.fileName())
                    : kind == 1 ? report.TSestavaTyp::ExportRtfFile(fi.absolutePath(), fi.fileName())
                                : report.TSestavaTyp::ExportHtml(fi.absolutePath(), fi.fileName(),
                                                                 fi.completeBaseName() + QStringLiteral(".bmp"));
        if (r != seOk) {
            err(QStringLiteral("cannot write %1").arg(file));
            return finish(r);
        }
    }
    if (!textFile.isEmpty()) {
        report.ExportLanguage = codePage;
        const int r = report.PrintToFile(textFile);
        if (r != seOk)
            return finish(r);
        QTextStream(stdout) << textFile << Qt::endl;
    }
    QTextStream(stdout) << QStringLiteral("%1 records, %2 pages").arg(report.RecordsPrinted).arg(pages)
                        << Qt::endl;
    // Printing and the preview window.
    if (!printPdf.isEmpty()) {
        TPrintJob job;
        job.PrinterIndex = PdfPrinterIndex();
        job.File = QFileInfo(printPdf).absoluteFilePath();
        job.FirstPage = startPage;
        job.LastPage = endPage;
        job.Title = report.Popis;
        const int r = PrintStore(report, job);
        if (r != seOk)
            return finish(r);
        QTextStream(stdout) << job.File << Qt::endl;
    }
    if (preview) {
        InstallReportUi();
        report.Vystup.SetRange(startPage, endPage, report.ExportLanguage, report.PrintCopies);
        report.Vystup.SetLineSpacing(report.LineHeightCode);
        TPreviewOptions options;
        options.WindowState = wsNormal;
        ShowPreview(report, options);
    }
    return finish(seOk);
}
