// orv_designer_sheet [--zoom PERCENT] [--unit 0..4] [--select S:I,...] [--grab FILE.png]
//                    TEMPLATE.pts
// Opens the template's sections on the designer sheet with the rulers and the grid. With
// --select the elements I (from 0) of sections S are selected, the first one focused; with
// --grab the window is saved as a PNG and the program ends.

#include "report/designer/DesignerElements.h"
#include "report/designer/DesignerHost.h"
#include "report/designer/DesignerSheet.h"
#include "report/designer/EditorSettings.h"
#include "report/model/TemplateFile.h"
#include "report/output/ReportUnits.h"
#include "report/output/Sestava.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>

using namespace orv;

namespace {

class SheetHost : public TDesignerHost {
public:
    double Zoom = 1.0;
    int Unit = 1;
    TEditorSettings Settings;
    QLabel *Status = nullptr;
    QLabel *Geometry = nullptr;

    int toolKind() const override { return 0; }
    int toolSource() const override { return 0; }
    bool pastePending() const override { return false; }
    const TClipboardContent *clipboardContent() const override { return nullptr; }
    double zoomFactor() const override { return Zoom; }
    int displayUnit() const override { return Unit; }
    const TEditorSettings &editorSettings() const override { return Settings; }
    void record(const QString &) override {}
    void showPosition(const QString &text) override
    {
        if (Status)
            Status->setText(text);
    }
    void showGeometry(int l, int t, int w, int h) override
    {
        if (Geometry)
            Geometry->setText(QStringLiteral("L: %1  H: %2  Š: %3  V: %4 (%5)")
                                  .arg(ToDisplayUnits(l, Unit)).arg(ToDisplayUnits(t, Unit))
                                  .arg(ToDisplayUnits(w, Unit)).arg(ToDisplayUnits(h, Unit))
                                  .arg(UnitName(Unit)));
    }
    void selectionChanged() override {}
    void openElementDialog(TSiReportElement *) override {}
    void openReportSettings(int, int) override {}
    void escapePressed() override { QApplication::quit(); }   // a viewer: Esc ends it
    void selectionToolActivated() override {}
    void insertionFinished(bool) override {}
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("zoom"), QStringLiteral("Měřítko v procentech."),
                      QStringLiteral("percent"), QStringLiteral("100")});
    parser.addOption({QStringLiteral("unit"), QStringLiteral("Měrné jednotky 0..4."),
                      QStringLiteral("unit"), QStringLiteral("1")});
    parser.addOption({QStringLiteral("select"), QStringLiteral("Vybrané prvky oddíl:prvek,..."),
                      QStringLiteral("list")});
    parser.addOption({QStringLiteral("grab"), QStringLiteral("Uložit obrázek okna a skončit."),
                      QStringLiteral("file")});
    parser.addPositionalArgument(QStringLiteral("predloha"), QStringLiteral("Soubor předlohy."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    const QString path = parser.positionalArguments().first();
    QStringList lines;
    if (loadTemplateFile(path, lines) != seOk) {
        std::fprintf(stderr, "Předlohu %s nelze přečíst.\n", qPrintable(path));
        return 1;
    }
    TSestavaTyp report;
    report.TemplateDir = QFileInfo(path).absolutePath() + QLatin1Char('/');
    report.SetPredloha(lines);

    SheetHost host;
    host.Zoom = std::max(10, parser.value(QStringLiteral("zoom")).toInt()) / 100.0;
    host.Unit = std::clamp(parser.value(QStringLiteral("unit")).toInt(), 0, kUnitCount - 1);
    host.Settings.ShowRulesLR = host.Settings.ShowRulesTB = true;

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Oprava předlohy tiskové sestavy - %1")
                              .arg(QFileInfo(path).fileName()));
    auto *sheet = new TDesignerSheet(&host, &window);
    window.setCentralWidget(sheet);
    host.Status = new QLabel(&window);
    host.Geometry = new QLabel(&window);
    window.statusBar()->addWidget(host.Status, 1);
    window.statusBar()->addPermanentWidget(host.Geometry);
    sheet->build(&report);

    TSiReportElement *first = nullptr;
    for (const QString &item : parser.value(QStringLiteral("select")).split(u',', Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(u':');
        TOddilSestavy *s = report.Sections.at(parts.value(0).toInt());
        TSiReportElement *e = s ? s->element(parts.value(1).toInt()) : nullptr;
        if (!e)
            continue;
        sheet->paper()->select(e, first != nullptr);
        if (!first)
            first = e;
    }
    if (first)
        sheet->paper()->select(first, true);   // the first one is the focused element
    window.resize(1100, 760);
    window.show();

    const QString grab = parser.value(QStringLiteral("grab"));
    if (!grab.isEmpty()) {
        QTimer::singleShot(300, &window, [&] {
            // The mouse over the sheet: the rulers' red marks and the position field.
            TPapir *paper = sheet->paper();
            if (!paper->bands().empty()) {
                TOddil *b = paper->bands().front();
                QMouseEvent move(QEvent::MouseMove, QPointF(300, 40), QPointF(b->mapToGlobal(QPoint(300, 40))),
                                 Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(b, &move);
            }
            QApplication::processEvents();
            const bool ok = window.grab().save(grab);
            QApplication::exit(ok ? 0 : 1);
        });
    }
    return app.exec();
}
