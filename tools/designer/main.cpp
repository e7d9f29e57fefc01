// orv_designer: makes and edits a report template (.pts) without the catalogue application.
// An SQLite database and a query, given as the report runner takes them, supply the field
// list and the data of the designer's preview. The exit status is 0 when the template was
// saved, 3 when the user cancelled, 5 when it could not be saved and 8 when the data or the
// arguments are not usable.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "ui/Translations.h"
#include "report/model/Bridge.h"
#include "report/designer/DlgKonfPrvku.h"
#include "report/designer/DlgNovaSestava.h"
#include "report/designer/DlgProstredi.h"
#include "report/designer/EditorSettings.h"
#include "report/designer/FormSestE.h"
#include "report/designer/ReportHelp.h"
#include "report/designer/DesignerSheet.h"
#include "report/designer/DlgVyraz.h"
#include "report/designer/SestDlg.h"
#include "report/model/SestavaMessages.h"
#include "report/model/TemplateFile.h"
#include "report/output/Sestava.h"
#include "report/ui/ReportUi.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QComboBox>
#include <QListWidget>
#include <QToolButton>
#include <QMessageBox>
#include <QTextStream>

#include <cstdio>
#include <optional>

using namespace orv;

namespace {

const char *const kUsage =
    "usage: orv_designer [options] TEMPLATE.pts\n"
    "  --db FILE           SQLite database whose query gives the report's fields\n"
    "  --sql SQL           the query text, or @FILE to read it from a file\n"
    "  --new               design a new template with the wizard (replaces the file's content)\n"
    "  --report-settings   open the report settings dialog\n"
    "  --settings          open the designer settings window\n"
    "  --screenshots DIR   save pictures of the designer's windows into DIR and quit\n"
    "Without --new, --report-settings or --settings the designer opens on the template (a file\n"
    "that does not exist is created after asking). With those options the template is saved when\n"
    "a window was confirmed. The previous file is kept as .BAK.\n";

void err(const QString &text)
{
    QTextStream(stderr) << text << Qt::endl;
}

// Pictures for the documentation: each window filled as a user would see it.
int screenshots(TSestava &report, const TEditorSettings &settings, const QString &dir)
{
    QDir().mkpath(dir);
    auto save = [&](QWidget &w, const QString &name) {
        w.show();
        QApplication::processEvents();
        const bool ok = w.grab().save(QDir(dir).filePath(name));
        w.hide();
        QTextStream(stdout) << QDir(dir).filePath(name) << (ok ? "" : " (not written)") << Qt::endl;
        return ok;
    };
    bool ok = true;
    {
        TDlgNovaSestava wiz(wizardFields(report), settings, report.CharacterMode);
        wiz.setPaperFormatHandler([](QWidget *) {});
        wiz.IncAllBtn->click();
        // A grouped list: the first field groups, the last numeric one is summed.
        if (wiz.CBSkupina->count() > 1)
            wiz.CBSkupina->setCurrentIndex(1);
        if (wiz.LBSoucty->count() > 0)
            wiz.LBSoucty->item(wiz.LBSoucty->count() - 1)->setCheckState(Qt::Checked);
        ok &= save(wiz, QStringLiteral("designer-wizard.png"));
    }
    {
        TSestDlg dlg(report);
        dlg.Tabs->setCurrentIndex(TSestDlg::pgPapir);
        ok &= save(dlg, QStringLiteral("designer-report-settings.png"));
        dlg.Tabs->setCurrentIndex(TSestDlg::pgRastr);
        ok &= save(dlg, QStringLiteral("designer-report-settings-grid.png"));
    }
    {
        TDlgProstredi dlg(settings, QString());
        ok &= save(dlg, QStringLiteral("designer-settings.png"));
        dlg.Tabs->setCurrentIndex(2);
        ok &= save(dlg, QStringLiteral("designer-settings-defaults.png"));
    }
    {
        // The element dialog on a data field of the first field, with a frame line and a
        // condition, as a template would have it.
        TSiReportElement *e = report.AddElement(
            report.section(skBody),
            QStringLiteral("T,2,0,16,0,240,20,Arial,10,0,1,16,8,238,\"\",0,0,0,\"#1<>''\",0,\"\""));
        if (TDlgKonfPrvku::canOpen(report, *e)) {
            TDlgKonfPrvku dlg(report, *e, settings, settings.UseUnits);
            ok &= save(dlg, QStringLiteral("designer-element-dialog.png"));
            dlg.Tabs->setCurrentIndex(TDlgKonfPrvku::pgPismo);
            ok &= save(dlg, QStringLiteral("designer-element-font.png"));
        }
        TDlgVyraz ed(report, QStringLiteral("IIF(#1<>'', #1, '-')"), false);
        ok &= save(ed, QStringLiteral("designer-expression-editor.png"));
        TOddilSestavy *body = report.section(skBody);
        body->Elements.pop_back();
    }
    {
        // The designer on the template, the first element of the body selected, the element
        // tree shown.
        TEditorSettings s = settings;
        s.ShowTree = true;
        s.ShowRulesLR = true;
        s.ShowRulesTB = true;
        TFormSestE w(report, s);
        w.resize(1400, 900);
        TSiReportElement *first = nullptr;
        for (int i = 0; i < report.Sections.count() && !first; ++i)
            if (report.Sections.at(i)->Visible && report.Sections.at(i)->elementCount() > 0)
                first = report.Sections.at(i)->element(0);
        w.show();
        QApplication::processEvents();
        // The first band with elements wholly selected, so the arranging commands are live.
        if (first) {
            w.sheet()->paper()->select(first);
            w.selectAll();
        }
        ok &= save(w, QStringLiteral("designer-window.png"));
    }
    return ok ? 0 : seOutputNotWritten;
}

// What the command line asks for.
struct Options {
    QString Database, Sql, Shots, TemplateFile;
    bool WantNew = false, WantReport = false, WantSettings = false;
};

// Reads the arguments (without the program name) and the query file of --sql @FILE. Gives
// the exit status when they are not usable, nothing when the designer can go on.
std::optional<int> parseOptions(const QStringList &args, Options &o)
{
    if (args.isEmpty() || args.contains("--help")) {
        std::fputs(kUsage, args.contains("--help") ? stdout : stderr);
        return args.contains("--help") ? 0 : seNotReady;
    }
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args.at(i);
        const bool valued = a == "--db" || a == "--sql" || a == "--screenshots";
        if (valued && i + 1 >= args.size()) {
            err(QStringLiteral("missing value after %1").arg(a));
            return seNotReady;
        }
        if (a == "--db")
            o.Database = args.at(++i);
        else if (a == "--sql")
            o.Sql = args.at(++i);
        else if (a == "--new")
            o.WantNew = true;
        else if (a == "--report-settings")
            o.WantReport = true;
        else if (a == "--settings")
            o.WantSettings = true;
        else if (a == "--screenshots")
            o.Shots = args.at(++i);
        else if (a.startsWith("--")) {
            err(QStringLiteral("unknown option %1").arg(a));
            std::fputs(kUsage, stderr);
            return seNotReady;
        } else if (o.TemplateFile.isEmpty())
            o.TemplateFile = a;
        else {
            err(QStringLiteral("only one template file may be given"));
            return seNotReady;
        }
    }
    if (o.TemplateFile.isEmpty()) {
        std::fputs(kUsage, stderr);
        return seNotReady;
    }
    if (o.Database.isEmpty() != o.Sql.isEmpty()) {
        err(QStringLiteral("--db and --sql go together"));
        return seNotReady;
    }
    if (o.Sql.startsWith(u'@')) {
        QFile f(o.Sql.mid(1));
        if (!f.open(QIODevice::ReadOnly)) {
            err(QStringLiteral("cannot read %1").arg(f.fileName()));
            return seNotReady;
        }
        o.Sql = QString::fromUtf8(f.readAll());
    }
    return std::nullopt;
}

// The report generator's messages as message boxes over the active window.
void showMessagesInBoxes()
{
    setSestMessageHandler([](TSestMessageKind kind, const QString &caption, const QString &text) {
        QWidget *parent = QApplication::activeWindow();
        switch (kind) {
        case TSestMessageKind::Confirm:
            return QMessageBox::question(parent, caption, text) == QMessageBox::Yes;
        case TSestMessageKind::Error:
            QMessageBox::critical(parent, caption, text);
            return false;
        case TSestMessageKind::Warning:
            QMessageBox::warning(parent, caption, text);
            return false;
        case TSestMessageKind::Information:
            QMessageBox::information(parent, caption, text);
            return false;
        }
        return false;
    });
}

// Opens the database read-only and runs the query; false (said on stderr) when either fails.
bool openQuery(db::Connection &conn, db::DataSet &query, const Options &o)
{
    try {
        conn.openFile(o.Database, db::OpenMode::ReadOnly);
        query.setSql(o.Sql);
        query.open();
    } catch (const std::exception &e) {
        // The file is fine when the query names what it lacks: that is said first.
        err(queryFailureText(QString::fromUtf8(e.what())));
        return false;
    }
    return true;
}

// The report's folder and name from the template file, and its content when it exists.
bool loadTemplate(TSestava &report, const QFileInfo &tf)
{
    report.Location.ReportDirIgnore = false;
    report.Location.setReportDir(tf.absolutePath());
    report.setReportName(tf.fileName());
    if (!tf.isFile())
        return true;
    QStringList lines;
    if (loadTemplateFile(tf.absoluteFilePath(), lines) != seOk) {
        err(QStringLiteral("cannot read %1").arg(tf.absoluteFilePath()));
        return false;
    }
    report.SetPredloha(lines);
    return true;
}

// --new, --report-settings and --settings: the windows in that order, then the template saved
// when one of them changed it.
int editWithWindows(TSestava &report, TEditorSettings &settings, const Options &o,
                    const QFileInfo &tf, bool exists)
{
    bool changed = false;
    if (o.WantNew) {
        QStringList lines;
        const int r = VytvorNovouPredlohu(report, settings, lines, nullptr, [&report](QWidget *w) {
            EditReportSettings(report, TSestDlg::pgPapir, w);
        });
        if (r == QDialog::Rejected)
            return seCancelled;
        report.SetPredloha(r == QDialog::Accepted ? lines : QStringList());
        changed = true;
    }
    if (o.WantReport)
        changed |= EditReportSettings(report);
    bool settingsConfirmed = false;
    if (o.WantSettings)
        settingsConfirmed = EditEnvironment(report, settings);
    if (!changed)
        return settingsConfirmed ? 0 : seCancelled;

    const TSestError saved = saveTemplateFile(tf.absoluteFilePath(), writeTemplate(report), exists);
    if (saved != seOk) {
        showSestMessage(TSestMessageKind::Error, QString::fromUtf8(TemplateMessages::CaptionError),
                        QString::fromUtf8(TemplateMessages::DesignerNotSaved));
        return saved;
    }
    QTextStream(stdout) << tf.absoluteFilePath() << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Qt's own dialogs (file choosers, input boxes) speak Czech as the rest does.
    ui::installCzechQtTranslations();
    QStringList args = app.arguments();
    args.removeFirst();
    Options o;
    if (const std::optional<int> refused = parseOptions(args, o))
        return *refused;
    showMessagesInBoxes();

    db::Connection conn(QStringLiteral("designer"));
    db::DataSet query(QStringLiteral("qReport"), &conn);
    DataSetBridge bridge;
    TSestava report;
    report.Name = QStringLiteral("report");
    report.Designing = true;
    if (!o.Database.isEmpty()) {
        if (!openQuery(conn, query, o))
            return seNotReady;
        bridge.setDataSet(&query);
        report.DataSource = &bridge;
        report.PrepareFields();
    }
    const QFileInfo tf(o.TemplateFile);
    const bool exists = tf.isFile();
    if (!loadTemplate(report, tf))
        return seTemplateNotLoaded;

    TEditorSettings settings;
    loadEditorSettings(&report, settings);
    InstallReportUi();
    InstallDesigner();
    setReportHelpFolder(QStringLiteral(ORV_SOURCE_HELP_DIR));
    if (!o.Shots.isEmpty())
        return screenshots(report, settings, o.Shots);
    if (!o.WantNew && !o.WantReport && !o.WantSettings)
        return report.Edit();   // the whole designer, as the report's edit operation opens it
    return editWithWindows(report, settings, o, tf, exists);
}
