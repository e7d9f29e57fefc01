// The compare window on C45, 42CrMo4 and 34CrNiMo6 of the demo catalogue: its cells against
// what sqlite3 gives for the same values, the marks of differing rows, the hidden equal rows,
// the CSV export read back with a CSV parser, the PDF export read back with pdftotext; the
// generated template and its data link on their own.

#include "db/Connection.h"
#include "PrintoutTestSupport.h"
#include "printouts/Comparison.h"
#include "printouts/TableReport.h"
#include "printouts/TfCompare.h"
#include "report/model/SestavaMessages.h"
#include "report/output/Sestava.h"
#include "report/ui/ReportUi.h"
#include "support/CsvReader.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using namespace orv;
using namespace orv::printouts;
using orv::printouts::test::DemoCatalogueCopy;
using orv::printouts::test::run;
using orv::test::readCsv;

namespace {

// A number as sqlite3 prints it, written the Czech way ("0.42" -> "0,42", "650.0" -> "650").
QString czech(QString n)
{
    if (n.endsWith(QLatin1String(".0")))
        n.chop(2);
    n.replace(u'.', u',');
    return n;
}

QString range(const QString &from, const QString &to)
{
    if (!from.isEmpty() && !to.isEmpty())
        return from == to ? czech(from) : czech(from) + QStringLiteral(" – ") + czech(to);
    if (!to.isEmpty())
        return QStringLiteral("max. ") + czech(to);
    if (!from.isEmpty())
        return QStringLiteral("min. ") + czech(from);
    return {};
}

class Compare : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        previousLocale = new QLocale;
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        InstallReportUi();
        setSestMessageHandler([](TSestMessageKind, const QString &caption, const QString &text) {
            ADD_FAILURE() << (caption + QStringLiteral(": ") + text).toStdString();
            return false;
        });
        demo = new DemoCatalogueCopy(QStringLiteral("compare-test"));
        ASSERT_TRUE(demo->copied);
    }
    static void TearDownTestSuite()
    {
        delete demo;
        // The suites after this one run in the locale they started with.
        QLocale::setDefault(*previousLocale);
        delete previousLocale;
    }

    static QList<QStringList> sqlite(const QString &sql)
    {
        return demo->sqliteRows(sql);
    }

    static int materialOf(const QString &label)
    {
        return sqlite(QStringLiteral("select MaterialNo from Norms where Label = '%1';").arg(label)).value(0).value(0).toInt();
    }

    CompareEnvironment env()
    {
        CompareEnvironment e;
        e.catalogue = &demo->cat;
        e.programDir = QStringLiteral(ORVALIS_SOURCE_DIR);
        e.showMessage = [](const QString &text) { ADD_FAILURE() << text.toStdString(); };
        return e;
    }

    static QList<int> three()
    {
        return {materialOf(QStringLiteral("C45")), materialOf(QStringLiteral("42CrMo4")),
                materialOf(QStringLiteral("34CrNiMo6"))};
    }

    // The grid's rows by (group, caption): the cells of the materials and whether they are marked.
    struct GridRow
    {
        QStringList cells;
        QList<bool> marked;
    };
    static std::map<std::pair<QString, QString>, GridRow> gridRows(const TfCompare &w)
    {
        auto *grid = w.findChild<QTableWidget *>(QStringLiteral("grPorovnani"));
        std::map<std::pair<QString, QString>, GridRow> out;
        QString group;
        for (int r = 0; r < grid->rowCount(); ++r) {
            if (grid->item(r, 0)->data(Qt::UserRole).toString() == QLatin1String("group")) {
                group = grid->item(r, 0)->text();
                continue;
            }
            GridRow row;
            for (int c = 1; c < grid->columnCount(); ++c) {
                row.cells << grid->item(r, c)->text();
                row.marked << (grid->item(r, c)->data(Qt::UserRole).toString() == QLatin1String("differs"));
            }
            out[{group, grid->item(r, 0)->text()}] = row;
        }
        return out;
    }

    static DemoCatalogueCopy *demo;
    static QLocale *previousLocale;
};

QLocale *Compare::previousLocale = nullptr;
DemoCatalogueCopy *Compare::demo = nullptr;

TEST_F(Compare, CellsOfThreeSteelsEqualTheCatalogueValues)
{
    const QList<int> m = three();
    ASSERT_TRUE(m[0] > 0 && m[1] > 0 && m[2] > 0);
    TfCompare w(m, env());
    // Bars, quenched and tempered, 30 mm.
    auto *semi = w.findChild<QComboBox *>(QStringLiteral("cbPolotovar"));
    auto *state = w.findChild<QComboBox *>(QStringLiteral("cbStav"));
    semi->setCurrentIndex(semi->findText(QStringLiteral("Tyče")));
    state->setCurrentIndex(state->findText(QStringLiteral("+QT Zušlechtěný")));
    w.findChild<QDoubleSpinBox *>(QStringLiteral("eRozmer"))->setValue(30);
    const auto rows = gridRows(w);

    for (int col = 0; col < 3; ++col) {
        SCOPED_TRACE(col);
        const QStringList ident = sqlite(QStringLiteral("select nr.Label, nr.Name, mat.Name from Mat mat, Norms nr "
                                                        "where nr.MaterialNo = mat.Number and mat.Number = %1;")
                                             .arg(m[col]))
                                      .value(0);
        EXPECT_EQ(rows.at({compareGroupMaterial(), QStringLiteral("Označení")}).cells[col], ident.value(0));
        EXPECT_EQ(rows.at({compareGroupMaterial(), QStringLiteral("Norma")}).cells[col], ident.value(1));
        EXPECT_EQ(rows.at({compareGroupMaterial(), QStringLiteral("Název")}).cells[col], ident.value(2));
        QStringList sources;
        for (const QStringList &r : sqlite(QStringLiteral("select Source from MatSources where MaterialNo = %1 order by Number;")
                                               .arg(m[col])))
            sources << r.join(u'|');
        ASSERT_FALSE(sources.isEmpty());
        EXPECT_EQ(rows.at({compareGroupMaterial(), QStringLiteral("Zdroj údajů")}).cells[col], sources.join(u'\n'));

        // Composition, every element row of the material.
        const auto chem = sqlite(QStringLiteral("select e.Label, e.Name, c.MinValue, c.MaxValue from ChemComp c, Elements e "
                                                "where e.Number = c.ElementNo and c.MaterialNo = %1;")
                                     .arg(m[col]));
        ASSERT_GE(chem.size(), 7);
        for (const QStringList &r : chem) {
            const auto key = std::make_pair(compareGroupComposition(), QStringLiteral("%1 (%2)").arg(r[0], r[1]));
            ASSERT_TRUE(rows.count(key)) << key.second.toStdString();
            EXPECT_EQ(rows.at(key).cells[col], range(r[2], r[3])) << key.second.toStdString();
        }
        const auto fe = sqlite(QStringLiteral("select e.Label, e.Name from ChemZbytek z, Elements e "
                                              "where e.Number = z.ElementNo and z.MaterialNo = %1;")
                                   .arg(m[col]));
        ASSERT_EQ(fe.size(), 1);
        EXPECT_EQ(rows.at({compareGroupComposition(), QStringLiteral("%1 (%2)").arg(fe[0][0], fe[0][1])}).cells[col],
                  QStringLiteral("zbytek"));

        // Equivalents per country.
        std::map<QString, QStringList> eq;
        for (const QStringList &r : sqlite(QStringLiteral("select co.Name, cn.Name, cn.Label from CompareNorms cn, Country co "
                                                          "where co.Number = cn.CountryNo and cn.MaterialNo = %1 "
                                                          "order by co.Number, cn.Number;")
                                               .arg(m[col])))
            eq[r[0]] << r[1] + u' ' + r[2];
        ASSERT_FALSE(eq.empty());
        for (const auto &[country, labels] : eq)
            EXPECT_EQ(rows.at({compareGroupEquivalents(), country}).cells[col], labels.join(u'\n'));

        // Heat treatment temperatures.
        for (const QStringList &r : sqlite(QStringLiteral("select p.Name, t.MinValue, t.MaxValue from TempProc t, Proc p "
                                                          "where p.Number = t.ProcNo and t.MaterialNo = %1;")
                                               .arg(m[col])))
            EXPECT_EQ(rows.at({compareGroupHeatTreatment(), r[0]}).cells[col], range(r[1], r[2]));

        // Mechanical properties of the +QT bar row whose dimension range holds 30 mm.
        const auto mech = sqlite(QStringLiteral(
            "select case when pt.Name like '% ' || pt.Code then pt.Name else pt.Name || ' ' || pt.Code end || ' [' || pt.Measure || ']', te.TempMinValue, te.TempMaxValue, di.FromValue, di.ToValue "
            "from SemiProd sp, States st, Dimens di, MechProp mp, Temps te, PropType pt "
            "where sp.MaterialNo = %1 and sp.Group1No = 1 and st.SemiPrNo = sp.Number and st.StateNo = 3 "
            "and di.StateNo = st.Number and di.FromValue <= 30 and di.ToValue >= 30 and mp.DimensionNo = di.Number "
            "and te.PropertyNo = mp.Number and te.Temperature = 20 and pt.Number = mp.PropertyNo;")
                                     .arg(m[col]));
        ASSERT_GE(mech.size(), 4);
        EXPECT_EQ(rows.at({compareGroupMechanical(), QStringLiteral("Rozměr")}).cells[col],
                  czech(mech[0][3]) + QStringLiteral(" – ") + czech(mech[0][4]) + QStringLiteral(" mm"));
        EXPECT_EQ(rows.at({compareGroupMechanical(), QStringLiteral("Stav")}).cells[col], QStringLiteral("+QT Zušlechtěný"));
        for (const QStringList &r : mech)
            EXPECT_EQ(rows.at({compareGroupMechanical(), r[0]}).cells[col], range(r[1], r[2])) << r[0].toStdString();
    }
    // The three strengths really are those of 16-40 mm: C45 650-800 MPa.
    EXPECT_EQ(rows.at({compareGroupMechanical(), QStringLiteral("Mez pevnosti v tahu Rm [MPa]")}).cells,
              (QStringList{QStringLiteral("650 – 800"), QStringLiteral("1000 – 1200"), QStringLiteral("1100 – 1300")}));
}

TEST_F(Compare, DifferingRowsAreMarkedAndEqualRowsCanBeHidden)
{
    TfCompare w(three(), env());
    auto rows = gridRows(w);
    ASSERT_FALSE(rows.empty());
    // The rows that name the materials and the compared mechanical row stay when equal.
    const QString gm = compareGroupMechanical();
    auto kept = [&gm](const std::pair<QString, QString> &key) {
        return key.first == compareGroupMaterial() ||
               (key.first == gm && (key.second == QLatin1String("Polotovar") || key.second == QLatin1String("Stav") ||
                                    key.second == QStringLiteral("Rozměr")));
    };
    int equal = 0;
    for (const auto &[key, row] : rows) {
        const bool differs = row.cells.count(row.cells.first()) != row.cells.size();
        for (bool marked : row.marked)
            EXPECT_EQ(marked, differs) << key.second.toStdString();
        if (!differs && !kept(key))
            ++equal;
    }
    // Known rows of the three: carbon differs, silicon (max. 0,4) and the iron balance agree,
    // nickel is given for C45 and 34CrNiMo6 only.
    const QString g = compareGroupComposition();
    EXPECT_TRUE(rows.at({g, QStringLiteral("C (Uhlík)")}).marked[0]);
    EXPECT_EQ(rows.at({g, QStringLiteral("Si (Křemík)")}).cells,
              QStringList(3, QStringLiteral("max. 0,4")));
    EXPECT_FALSE(rows.at({g, QStringLiteral("Si (Křemík)")}).marked[1]);
    EXPECT_FALSE(rows.at({g, QStringLiteral("Fe (Železo)")}).marked[2]);
    EXPECT_EQ(rows.at({g, QStringLiteral("Ni (Nikl)")}).cells[1], QString());
    EXPECT_TRUE(rows.at({g, QStringLiteral("Ni (Nikl)")}).marked[1]);
    ASSERT_GT(equal, 2);

    w.setHideEqual(true);
    const auto shown = gridRows(w);
    EXPECT_EQ(shown.size(), rows.size() - size_t(equal));
    EXPECT_FALSE(shown.count({g, QStringLiteral("Si (Křemík)")}));
    EXPECT_FALSE(shown.count({g, QStringLiteral("Fe (Železo)")}));
    EXPECT_TRUE(shown.count({g, QStringLiteral("C (Uhlík)")}));
    EXPECT_TRUE(shown.count({gm, QStringLiteral("Stav")}));
    for (const auto &[key, row] : shown)
        EXPECT_TRUE(row.marked[0] || kept(key)) << key.second.toStdString();
    // Showing them again brings back every row.
    w.setHideEqual(false);
    EXPECT_EQ(gridRows(w).size(), rows.size());
}

TEST_F(Compare, CsvExportReadsBackToTheWindowsCells)
{
    TfCompare w(three(), env());
    w.setHideEqual(true);
    const QString file = demo->dir.filePath(QStringLiteral("porovnani.csv"));
    ASSERT_EQ(w.exportCsv(file), QString());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    bool bom = false;
    const QList<QStringList> back = readCsv(f.readAll(), &bom);
    EXPECT_TRUE(bom);
    ASSERT_GT(back.size(), 5);
    EXPECT_EQ(back[0], (QStringList{QStringLiteral("Skupina"), QStringLiteral("Vlastnost"), QStringLiteral("C45"),
                                    QStringLiteral("42CrMo4"), QStringLiteral("34CrNiMo6")}));
    // Every line equals the grid's row: group, caption and the three cells.
    auto *grid = w.findChild<QTableWidget *>(QStringLiteral("grPorovnani"));
    int line = 1;
    QString group;
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (grid->item(r, 0)->data(Qt::UserRole).toString() == QLatin1String("group")) {
            group = grid->item(r, 0)->text();
            continue;
        }
        ASSERT_LT(line, back.size());
        QStringList expected{group};
        for (int c = 0; c < grid->columnCount(); ++c)
            expected << grid->item(r, c)->text();
        EXPECT_EQ(back[line], expected);
        ++line;
    }
    EXPECT_EQ(line, back.size());
    // Multi-line cells (two equivalents of one country) survive the quoting.
    bool multiLine = false;
    for (const QStringList &l : back)
        for (const QString &cell : l)
            multiLine = multiLine || cell.contains(u'\n');
    EXPECT_TRUE(multiLine);

    // A file that cannot be written is reported and nothing is said to be saved.
    CompareEnvironment e = env();
    QString told;
    e.showMessage = [&told](const QString &text) { told = text; };
    TfCompare w2(three(), e);
    EXPECT_FALSE(w2.exportCsv(demo->dir.filePath(QStringLiteral("chybi/porovnani.csv"))).isEmpty());
    EXPECT_FALSE(told.isEmpty());
}

TEST_F(Compare, PdfExportHoldsTheValues)
{
    TfCompare w(three(), env());
    const QString file = demo->dir.filePath(QStringLiteral("porovnani.pdf"));
    ASSERT_EQ(w.exportPdf(file), QString());
    const QString text = run(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    ASSERT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.contains(QStringLiteral("Porovnání materiálů")));
    for (const CompareRow &r : w.comparison().rows) {
        if (r.group == compareGroupMaterial() && r.caption == QStringLiteral("Název"))
            continue;   // long names wrap within their column
        EXPECT_TRUE(text.contains(r.caption)) << r.caption.toStdString();
        for (const QString &cell : r.cells) {
            for (const QString &part : cell.split(u'\n', Qt::SkipEmptyParts)) {
                if (part.size() < 14) {
                    EXPECT_TRUE(text.contains(part)) << r.caption.toStdString() << ": " << part.toStdString();
                }
            }
        }
    }
    EXPECT_TRUE(text.contains(QStringLiteral("1000 – 1200")) || text.contains(QStringLiteral("1100 – 1300")));
}

TEST_F(Compare, SixMaterialsPrintInLandscapeAndTheCountIsChecked)
{
    const QList<int> six = {materialOf(QStringLiteral("C45")),      materialOf(QStringLiteral("42CrMo4")),
                            materialOf(QStringLiteral("34CrNiMo6")), materialOf(QStringLiteral("C35")),
                            materialOf(QStringLiteral("41Cr4")),    materialOf(QStringLiteral("C22"))};
    for (int m : six)
        ASSERT_GT(m, 0);
    TfCompare w(six, env());
    EXPECT_EQ(w.comparison().headings.size(), 6);
    const QStringList lines = w.reportTemplate();
    EXPECT_TRUE(lines.filter(QRegularExpression(QStringLiteral("^I,2,1,"))).size() == 1) << "landscape";
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^T,2,M%1,").arg(i))).size(), 1);
    const QString file = demo->dir.filePath(QStringLiteral("sest.pdf"));
    ASSERT_EQ(w.exportPdf(file), QString());
    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    for (const QString &h : w.comparison().headings)
        EXPECT_TRUE(text.contains(h)) << h.toStdString();

    EXPECT_FALSE(TfCompare::countMessage(1).isEmpty());
    EXPECT_FALSE(TfCompare::countMessage(7).isEmpty());
    EXPECT_TRUE(TfCompare::countMessage(2).isEmpty());
    EXPECT_TRUE(TfCompare::countMessage(6).isEmpty());
}

TEST_F(Compare, SettingsAreKept)
{
    CompareEnvironment e = env();
    e.settingsFile = demo->dir.filePath(QStringLiteral("Zeb.ini"));
    {
        TfCompare w(three(), e);
        w.setCriteria({1, 3, 30});
        w.setHideEqual(true);
        w.close();
    }
    TfCompare again(three(), e);
    EXPECT_EQ(again.criteria().semiProductKind, 1);
    EXPECT_EQ(again.criteria().state, 3);
    EXPECT_EQ(again.criteria().dimension, 30);
    EXPECT_TRUE(again.hideEqual());
}

TEST(TableReport, DataLinkStepsThroughTheRowsAndTheTemplateRuns)
{
    InstallReportUi();
    TableBridge b({QStringLiteral("A"), QStringLiteral("B")},
                  {{QStringLiteral("1"), QStringLiteral("x")}, {QStringLiteral("2,5"), QString()}});
    EXPECT_EQ(b.Step(sdFirst), 0);
    EXPECT_EQ(b.AsString(1), QStringLiteral("x"));
    EXPECT_EQ(b.Step(sdPrior), srBof);
    EXPECT_EQ(b.Step(sdNext), 0);
    EXPECT_DOUBLE_EQ(b.AsFloat(0), 2.5);
    EXPECT_TRUE(b.IsNull(1));
    EXPECT_EQ(b.Step(sdNext), srEof);
    EXPECT_EQ(b.AsString(0), QStringLiteral("2,5"));
    TableBridge empty({QStringLiteral("A")}, {});
    EXPECT_EQ(empty.Step(sdFirst), srBof | srEof);

    // 120 rows in two groups run to more than one page with the captions on each.
    QList<QStringList> rows;
    for (int i = 0; i < 120; ++i)
        rows << QStringList{QStringLiteral("řádek %1").arg(i), QString::number(i), i < 60 ? QStringLiteral("Prvni") : QStringLiteral("Druha"),
                            i % 2 ? QStringLiteral("1") : QString()};
    TableBridge data({QStringLiteral("Popis"), QStringLiteral("Hodnota"), QStringLiteral("Skupina"), QStringLiteral("Lisi")}, rows);
    TableLayout layout;
    layout.title = QStringLiteral("Zkouška");
    layout.columns = {QStringLiteral("Popis"), QStringLiteral("Hodnota")};
    layout.headings = {QStringLiteral("Popis"), QStringLiteral("Hodnota")};
    layout.groupField = QStringLiteral("Skupina");
    layout.markField = QStringLiteral("Lisi");
    TSestava report;
    report.DataSource = &data;
    report.IsStored = true;
    report.Predloha = tableTemplate(layout);
    ASSERT_EQ(report.Run(), seOk);
    EXPECT_EQ(report.RecordsPrinted, 120);
    EXPECT_GE(report.Vystup.PageCount(), 2);
}

} // namespace

namespace {

// Pictures for the README: the window (bars, +QT, 30 mm) and its printout, written to
// <build>/compare-samples/.
TEST_F(Compare, Samples)
{
    const QString out = QStringLiteral(ORVALIS_BINARY_DIR "/compare-samples/");
    QDir().mkpath(out);
    TfCompare w(three(), env());
    w.setCriteria({1, 3, 30});
    w.resize(1180, 820);
    w.show();
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + QStringLiteral("compare-window.png")));
    EXPECT_EQ(w.exportPdf(out + QStringLiteral("compare-3.pdf")), QString());
    w.setHideEqual(true);
    w.resize(1180, 640);
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + QStringLiteral("compare-window-differences.png")));
    w.close();

    TfCompare six({materialOf(QStringLiteral("C45")), materialOf(QStringLiteral("42CrMo4")),
                   materialOf(QStringLiteral("34CrNiMo6")), materialOf(QStringLiteral("C35")),
                   materialOf(QStringLiteral("41Cr4")), materialOf(QStringLiteral("C22"))},
                  env());
    EXPECT_EQ(six.exportPdf(out + QStringLiteral("compare-6.pdf")), QString());
}

} // namespace
