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
#include "support/DemoDataModules.h"

#include <QFile>
#include <QProcess>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>

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

// A search window shown over a copy of the demo catalogue; its messages are collected.
class SearchWindowOnDemo : public test::DemoDataModuleTest
{
protected:
    std::unique_ptr<search::TfHledani> window;
    QStringList messages;

    SearchWindowOnDemo() { withOwnData = false; }
    void SetUp() override
    {
        InstallReportUi();
        DemoDataModuleTest::SetUp();
        if (HasFatalFailure())
            return;
        window = std::make_unique<search::TfHledani>(*data, QString());
        window->showMessage = [this](const QString &t, ui::MsgType, ui::MsgButtons) {
            messages << t;
            return ui::mrOk;
        };
        window->resize(1000, 700);
        window->show();
    }
    void TearDown() override
    {
        window.reset();
        DemoDataModuleTest::TearDown();
    }
};

TEST_F(SearchWindowOnDemo, CompositionResultPrintsEveryRowWithItsSuccessRate)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    search::TfHledani &w = *window;
    db::Connection &conn = data->catalogueSession();
    // The composition of 42CrMo4 (4142) as the criteria, searched with a rate of 50 %.
    conn.exec(QStringLiteral("delete from UserChemComp"));
    conn.exec(QStringLiteral("insert into UserChemComp (Number, ElementNo, MinValue, MaxValue, Selected) "
                             "select ChemComp.Number, ElementNo, MinValue, MaxValue, 1 from ChemComp, Norms "
                             "where Norms.Label = '42CrMo4' and ChemComp.MaterialNo = Norms.MaterialNo "
                             "and MinValue is not null and MaxValue is not null"));
    data->tUserChemComp.refresh();
    conn.exec(QStringLiteral("update Setup set Value='50' where Items='USPESNOST'"));
    w.setCurrentPage(search::TfHledani::CompositionPage);
    w.findChild<QRadioButton *>(QStringLiteral("rbHledatPriblizne"))->setChecked(true);
    w.find();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    auto *grid = w.findChild<QTableView *>(QStringLiteral("grHledani"));
    ASSERT_TRUE(grid && grid->model());
    const QAbstractItemModel &model = *grid->model();
    ASSERT_GT(model.rowCount(), 1);

    std::unique_ptr<printouts::TfPrintTable> dialog(
        app::searchListDialog(*grid, search::TfHledani::CompositionPage, nullptr));
    const QString file = root + QStringLiteral("vysledek.pdf");
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

// The property search: Rm of at least 1100 MPa. The CSV and the list report carry the best
// property combination of each hit; for 34CrNiMo6 it is a +QT bar row (its only rows that
// reach 1100 MPa).
TEST_F(SearchWindowOnDemo, PropertyResultCarriesTheBestCombination)
{
    const QLocale previous;
    search::TfHledani &w = *window;
    db::Connection &conn = data->catalogueSession();
    conn.exec(QStringLiteral("delete from UserMechProp"));
    conn.exec(QStringLiteral("insert into UserMechProp (Number, PropertyNo, MinValue, Selected, GroupType) "
                             "values (1, 1, 1100, 1, 'N')"));
    data->tUserMechProp.refresh();
    w.setCurrentPage(search::TfHledani::MechanicalPage);
    w.find();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    ASSERT_EQ(w.result(), &w.propertyQuery());
    const db::DataSet &r = *w.result();
    ASSERT_GT(r.recordCount(), 1);
    const int crnimo = conn.scalar(QStringLiteral("select MaterialNo from Norms where Label = '34CrNiMo6'")).toInt();
    int crnimoRow = -1;
    for (int i = 0; i < r.recordCount(); ++i)
        if (r.valueAt(i, QStringLiteral("MatNumber")).toInt() == crnimo)
            crnimoRow = i;
    ASSERT_GE(crnimoRow, 0);

    // CSV: one more column, a text for every hit.
    const QString csv = root + QStringLiteral("vlastnosti.csv");
    w.chooseCsvFile = [csv] { return csv; };
    ASSERT_TRUE(w.exportResultCsv());
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll().mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), r.recordCount() + 1);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(";nejlepší kombinace")));
    for (int i = 1; i < lines.size(); ++i)
        EXPECT_FALSE(lines[i].endsWith(u';')) << lines[i].toStdString();
    // The text holds "; " itself, so it stands quoted as the line's last field.
    const QString line = lines[crnimoRow + 1];
    ASSERT_TRUE(line.endsWith(u'"')) << line.toStdString();
    const QString best = line.mid(line.lastIndexOf(QStringLiteral(";\"")) + 2).chopped(1);
    EXPECT_TRUE(best.startsWith(QStringLiteral("Tyče, Válcováno za tepla, Kruhový průřez; +QT Zušlechtěný; ")))
        << best.toStdString();
    // Its dimension range is one whose Rm reaches 1100 MPa.
    const QString range = best.section(QStringLiteral("; "), -1);
    const auto rows = conn.scalar(QStringLiteral(
        "select count(*) from SemiProd sp, States st, Dimens di, MechProp mp, Temps te "
        "where sp.MaterialNo = :m and st.SemiPrNo = sp.Number and di.StateNo = st.Number and mp.DimensionNo = di.Number "
        "and te.PropertyNo = mp.Number and mp.PropertyNo = 1 and te.TempMaxValue >= 1100 "
        "and (case when di.FromValue is null then 'do ' || cast(di.ToValue as integer) || ' mm' "
        "else cast(di.FromValue as integer) || ' – ' || cast(di.ToValue as integer) || ' mm' end) = :r"),
        {{QStringLiteral("m"), crnimo}, {QStringLiteral("r"), range}});
    EXPECT_EQ(rows.toInt(), 1) << range.toStdString();

    // The list report has the same column.
    auto *grid = w.findChild<QTableView *>(QStringLiteral("grHledani"));
    std::unique_ptr<printouts::TfPrintTable> dialog(app::searchListDialog(
        *grid, search::TfHledani::MechanicalPage, nullptr, &conn, w.result()));
    const QString pdf = root + QStringLiteral("vlastnosti.pdf");
    ASSERT_EQ(dialog->printToPdf(pdf), 0);
    const QString text = pdfText(pdf).simplified();
    EXPECT_TRUE(text.contains(QStringLiteral("Výsledek hledání – mechanické vlastnosti")));
    EXPECT_TRUE(text.contains(QStringLiteral("nejlepší kombinace")));
    EXPECT_TRUE(text.contains(QStringLiteral("+QT Zušlechtěný; ") + range)) << range.toStdString();
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
