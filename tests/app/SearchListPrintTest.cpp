// The search result list printed as a list report: a composition search of the demo catalogue
// printed into a PDF through its print dialog and read back with pdftotext, and the columns a
// grid hides left out of the report.

#include "app/SearchListPrint.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "printouts/TableReport.h"
#include "report/ui/ReportUi.h"
#include "search/TfHledani.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace orv;

namespace {

QString pdfText(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(SearchListPrint, CompositionResultPrintsEveryRowWithItsSuccessRate)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    InstallReportUi();
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    QDir().mkpath(root + QStringLiteral("data"));
    const QString demo = QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data/");
    for (const char *f : {"catalogue.sqlite", "user.sqlite"})
        ASSERT_TRUE(QFile::copy(demo + QLatin1String(f), root + QStringLiteral("data/") + QLatin1String(f)));
    db::MainDataModule data(root, root);
    QStringList messages;
    auto window = std::make_unique<search::TfHledani>(data, QString());
    window->showMessage = [&messages](const QString &t, ui::MsgType, ui::MsgButtons) {
        messages << t;
        return ui::mrOk;
    };
    search::TfHledani &w = *window;
    w.resize(1000, 700);
    w.show();
    db::Connection &conn = data.catalogueSession();
    // The composition of 42CrMo4 (4142) as the criteria, searched with a rate of 50 %.
    conn.exec(QStringLiteral("delete from UserChemComp"));
    conn.exec(QStringLiteral("insert into UserChemComp (Number, ElementNo, MinValue, MaxValue, Selected) "
                             "select ChemComp.Number, ElementNo, MinValue, MaxValue, 1 from ChemComp, Norms "
                             "where Norms.Label = '42CrMo4' and ChemComp.MaterialNo = Norms.MaterialNo "
                             "and MinValue is not null and MaxValue is not null"));
    data.tUserChemComp.refresh();
    conn.exec(QStringLiteral("update Setup set Value='50' where Items='USPESNOST'"));
    w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(search::TfHledani::CompositionPage);
    w.findChild<QRadioButton *>(QStringLiteral("rbHledatPriblizne"))->setChecked(true);
    w.find();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    auto *grid = w.findChild<QTableView *>(QStringLiteral("grHledani"));
    ASSERT_TRUE(grid && grid->model());
    const QAbstractItemModel &model = *grid->model();
    ASSERT_GT(model.rowCount(), 1);

    std::unique_ptr<printouts::TfPrintTable> dialog(
        app::searchListDialog(*grid, search::TfHledani::CompositionPage, nullptr));
    const QString file = dir.filePath(QStringLiteral("vysledek.pdf"));
    ASSERT_EQ(dialog->printToPdf(file), 0);
    const QString text = pdfText(file);
    EXPECT_TRUE(text.contains(QStringLiteral("Výsledek hledání – chemické složení")));
    EXPECT_TRUE(text.contains(QStringLiteral("Nalezeno materiálů: %1").arg(model.rowCount())));
    EXPECT_TRUE(text.contains(QStringLiteral("přesnost [%]")));
    // Each row: its designation and its success rate as the grid shows them, on one line.
    const QStringList lines = text.split(u'\n');
    int rateColumn = -1;
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.headerData(c, Qt::Horizontal).toString() == QStringLiteral("přesnost [%]"))
            rateColumn = c;
    ASSERT_GE(rateColumn, 0);
    for (int r = 0; r < model.rowCount(); ++r) {
        const QString label = model.data(model.index(r, 1)).toString();
        const QString rate = model.data(model.index(r, rateColumn)).toString();
        ASSERT_FALSE(rate.isEmpty());
        bool found = false;
        for (const QString &line : lines)
            found = found || (line.contains(label + QStringLiteral("  ")) && line.trimmed().endsWith(rate));
        EXPECT_TRUE(found) << label.toStdString() << " " << rate.toStdString();
    }
    window.reset();
    QLocale::setDefault(previous);
}

TEST(SearchListPrint, HiddenColumnsAreLeftOut)
{
    QStandardItemModel model(2, 3);
    model.setHorizontalHeaderLabels({QStringLiteral("číslo"), QStringLiteral("značka"), QStringLiteral("název")});
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            model.setItem(r, c, new QStandardItem(QStringLiteral("%1-%2").arg(r).arg(c)));
    QTableView view;
    view.setModel(&model);
    view.setColumnHidden(0, true);
    const printouts::ViewTable t = printouts::viewTable(view);
    EXPECT_EQ(t.headings, (QStringList{QStringLiteral("značka"), QStringLiteral("název")}));
    EXPECT_EQ(t.fieldNames, (QStringList{QStringLiteral("C1"), QStringLiteral("C2")}));
    ASSERT_EQ(t.rows.size(), 2);
    EXPECT_EQ(t.rows[1], (QStringList{QStringLiteral("1-1"), QStringLiteral("1-2")}));
    const QStringList lines = printouts::tableTemplate(printouts::listLayout(t, QStringLiteral("T"), QString()));
    EXPECT_EQ(lines.filter(QStringLiteral("T,2,C")).size(), 2);
}

} // namespace
