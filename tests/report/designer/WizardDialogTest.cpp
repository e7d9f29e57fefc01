// The window "Návrh nové předlohy" driven through its controls.

#include "DesignerTestSupport.h"

#include "report/designer/DlgNovaSestava.h"
#include "report/designer/EditorSettings.h"
#include "report/model/PageSetup.h"

#include "report/output/RunTestSupport.h"
#include "report/output/Sestava.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orv;

namespace {

QList<TWizardField> fields(const QStringList &names)
{
    QList<TWizardField> out;
    for (const QString &n : names) {
        TWizardField f;
        f.Name = n;
        f.Label = n.toUpper();
        out << f;
    }
    return out;
}

QStringList texts(const QListWidget *l)
{
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

void select(QListWidget *l, const QStringList &names)
{
    l->clearSelection();
    for (int i = 0; i < l->count(); ++i)
        if (names.contains(l->item(i)->text()))
            l->item(i)->setSelected(true);
}

} // namespace

TEST(WizardDialog, StartsWithAllFieldsAvailableAndTheColumnsStyle)
{
    TEditorSettings s;   // "SledPodle" off: the wizard binds by name all the same
    TDlgNovaSestava dlg(fields({"a", "b", "c"}), s, false);
    EXPECT_EQ(dlg.windowTitle(), "Návrh nové předlohy");
    EXPECT_EQ(texts(dlg.SrcList), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(dlg.DstList->count(), 0);
    EXPECT_TRUE(dlg.IncludeBtn->isEnabled());
    EXPECT_FALSE(dlg.ExcludeBtn->isEnabled());
    EXPECT_FALSE(dlg.ExAllBtn->isEnabled());
    EXPECT_TRUE(dlg.SBSloupec->isChecked());
    EXPECT_TRUE(dlg.CBPopisyPolozek->isChecked());
    EXPECT_FALSE(dlg.CBPopisyTextem->isChecked());
    EXPECT_TRUE(dlg.CBSledovatPodle->isChecked());
    const auto *paperFormat = dlg.findChild<QPushButton *>(QStringLiteral("paperFormat"));
    ASSERT_NE(paperFormat, nullptr);
    EXPECT_FALSE(paperFormat->isVisibleTo(&dlg));   // no paper window to open
}

TEST(WizardDialog, MovingFields)
{
    TDlgNovaSestava dlg(fields({"a", "b", "c", "d", "e"}), TEditorSettings(), false);
    select(dlg.SrcList, {"a", "b", "c"});
    QTest::mouseClick(dlg.IncludeBtn, Qt::LeftButton);
    // A block arrives in reverse order.
    EXPECT_EQ(texts(dlg.DstList), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(texts(dlg.SrcList), (QStringList{"d", "e"}));
    // The item at the position of the block is selected in the source list.
    EXPECT_EQ(dlg.SrcList->currentRow(), 0);
    EXPECT_TRUE(dlg.ExcludeBtn->isEnabled());

    QTest::mouseClick(dlg.IncAllBtn, Qt::LeftButton);
    EXPECT_EQ(texts(dlg.DstList), (QStringList{"c", "b", "a", "d", "e"}));
    EXPECT_FALSE(dlg.IncludeBtn->isEnabled());
    EXPECT_FALSE(dlg.IncAllBtn->isEnabled());

    select(dlg.DstList, {"e"});
    QTest::mouseClick(dlg.ExcludeBtn, Qt::LeftButton);
    EXPECT_EQ(texts(dlg.SrcList), (QStringList{"e"}));
    // Past the end: the last item is selected.
    EXPECT_EQ(dlg.DstList->currentRow(), 3);

    // A double click moves the selected fields back.
    select(dlg.DstList, {"b"});
    emit dlg.DstList->itemDoubleClicked(dlg.DstList->item(1));
    EXPECT_EQ(texts(dlg.SrcList), (QStringList{"e", "b"}));

    QTest::mouseClick(dlg.ExAllBtn, Qt::LeftButton);
    EXPECT_EQ(texts(dlg.SrcList), (QStringList{"e", "b", "c", "a", "d"}));
    EXPECT_EQ(dlg.DstList->count(), 0);
}

TEST(WizardDialog, OkWithoutFieldsKeepsTheWindowOpen)
{
    designertest::MessageCatcher msgs;
    TDlgNovaSestava dlg(fields({"a"}), TEditorSettings(), false);
    dlg.show();
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(msgs.Texts, QStringList{"Nebyly vybrány žádné položky. Návrh nemůže být proveden!"});
    EXPECT_EQ(msgs.Captions, QStringList{"Informace"});
    EXPECT_EQ(dlg.result().Lines.size(), 0);
}

TEST(WizardDialog, GeneratesWithTheChosenStyleAndOptions)
{
    pageSetup() = TPageSetup();
    TDlgNovaSestava dlg(fields({"a", "b"}), TEditorSettings(), false);
    dlg.show();
    QTest::mouseClick(dlg.IncAllBtn, Qt::LeftButton);
    QTest::mouseClick(dlg.SBRadek, Qt::LeftButton);
    EXPECT_FALSE(dlg.SBSloupec->isChecked());
    dlg.CBPopisyTextem->setChecked(true);
    dlg.CBSledovatPodle->setChecked(true);
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.QDialog::result(), QDialog::Accepted);
    const QStringList lines = dlg.result().Lines;
    EXPECT_TRUE(lines.contains("T,1,0,0,0,84,20,Arial,10,0,0,1,0,1,\"A\""));
    EXPECT_TRUE(lines.contains("T,2,b,92,20,90,20,Arial,10,0,0,0,0,1"));
    EXPECT_TRUE(lines.contains("I,3,2,1,56"));
}

TEST(WizardDialog, TellsWhichFieldsWereLeftOut)
{
    designertest::MessageCatcher msgs;
    TPageSetup small;
    small.PaperHeight = 400;   // printable 260: 144 for the rest, room for five rows
    pageSetup() = small;
    QStringList names;
    for (int i = 1; i <= 8; ++i)
        names << QStringLiteral("pole%1").arg(i);
    TDlgNovaSestava dlg(fields(names), TEditorSettings(), false);
    dlg.show();
    QTest::mouseClick(dlg.IncAllBtn, Qt::LeftButton);
    QTest::mouseClick(dlg.SBRadek, Qt::LeftButton);
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.QDialog::result(), QDialog::Accepted);
    EXPECT_EQ(dlg.result().LeftOut, (QStringList{"pole6", "pole7", "pole8"}));
    ASSERT_EQ(msgs.Texts.size(), 1);
    EXPECT_TRUE(msgs.Texts.front().contains("pole6, pole7, pole8")) << msgs.Texts.front().toStdString();
    pageSetup() = TPageSetup();
}

TEST(WizardDialog, ManualAndCancelGenerateNothing)
{
    TDlgNovaSestava dlg(fields({"a"}), TEditorSettings(), false);
    dlg.show();
    QTest::mouseClick(dlg.IncAllBtn, Qt::LeftButton);
    QTest::mouseClick(dlg.RucneBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.QDialog::result(), TDlgNovaSestava::Rucne);
    EXPECT_TRUE(dlg.result().Lines.isEmpty());

    TDlgNovaSestava dlg2(fields({"a"}), TEditorSettings(), false);
    dlg2.show();
    QTest::mouseClick(dlg2.IncAllBtn, Qt::LeftButton);
    QTest::mouseClick(dlg2.HelpBtn, Qt::LeftButton);
    EXPECT_EQ(dlg2.QDialog::result(), QDialog::Rejected);
}

TEST(WizardDialog, PaperFormatButtonOpensThePaperSettings)
{
    TDlgNovaSestava dlg(fields({"a"}), TEditorSettings(), false);
    int opened = 0;
    dlg.setPaperFormatHandler([&](QWidget *parent) {
        EXPECT_EQ(parent, &dlg);
        ++opened;
        pageSetup().MarginLeft = 100;   // what the paper window would change
    });
    dlg.show();
    auto *paperFormat = dlg.findChild<QPushButton *>(QStringLiteral("paperFormat"));
    ASSERT_NE(paperFormat, nullptr);
    EXPECT_TRUE(paperFormat->isVisible());
    QTest::mouseClick(paperFormat, Qt::LeftButton);
    EXPECT_EQ(opened, 1);
    // The template is laid out on the paper as it is when "&Navrhnout" is pressed.
    EXPECT_EQ(dlg.params().W, 826 - 100 - 50);
    pageSetup() = TPageSetup();
}

namespace {
// Rows of a query on an SQLite file as the sqlite3 program gives them (JSON), for a bridge
// whose columns are named (JSON objects keep no column order).
bool queryRows(const QString &db, const QString &sql, runtest::MemoryBridge &bridge)
{
    if (bridge.Columns.isEmpty())
        return false;
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-json"), db, sql});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return false;
    const QJsonArray rows = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    for (const QJsonValue &r : rows) {
        const QJsonObject o = r.toObject();
        std::vector<QVariant> row;
        for (const QString &c : bridge.Columns) {
            const QJsonValue v = o.value(c);
            row.push_back(v.isDouble() ? QVariant(v.toInt()) : QVariant(v.toString()));
        }
        bridge.Rows.push_back(row);
    }
    return !bridge.Rows.empty();
}
} // namespace

// The list an author asks the wizard for, made with its controls alone (">>", "Seskupit
// podle:", one sum, "Navrhnout") and run over the demo catalogue: one group per material
// type with the count and the sum SQL gives, the totals of the whole list, "Strana X z Y".
TEST(WizardList, GroupedListWithTotalsOverTheDemoCatalogueCountsAsSqlDoes)
{
    const QString db = QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data/catalogue.sqlite");
    if (!QFileInfo::exists(db))
        GTEST_SKIP() << "the demo catalogue is not built (target demo_catalogue)";
    designertest::MessageCatcher msgs;
    runtest::MemoryBridge data;
    data.Columns = QStringList{"Druh", "Material", "Cislo", "Normy"};
    ASSERT_TRUE(queryRows(db,
                          "select t.Name as Druh, m.Name as Material, m.Number as Cislo, "
                          "(select count(*) from Norms n where n.MaterialNo = m.Number) as Normy "
                          "from Mat m join MatTypes t on t.Number = m.TypeNo "
                          "order by t.Number, m.Name",
                          data));
    data.Types = {ftString, ftString, ftInteger, ftInteger};
    runtest::MemoryBridge expected;
    expected.Columns = QStringList{"Druh", "Pocet", "Normy"};
    ASSERT_TRUE(queryRows(db,
                          "select t.Name as Druh, count(*) as Pocet, "
                          "sum((select count(*) from Norms n where n.MaterialNo = m.Number)) as Normy "
                          "from Mat m join MatTypes t on t.Number = m.TypeNo "
                          "group by t.Number order by t.Number",
                          expected));

    TSestava report;
    report.DataSource = &data;
    report.PrepareFields();
    QList<TWizardField> fields = wizardFields(report);
    sampleWizardFields(report, fields);
    TDlgNovaSestava dlg(fields, TEditorSettings(), false);
    dlg.show();
    QTest::mouseClick(dlg.IncAllBtn, Qt::LeftButton);
    dlg.CBSkupina->setCurrentText("Druh");
    dlg.LBSoucty->findItems("Normy", Qt::MatchExactly).value(0)->setCheckState(Qt::Checked);
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    ASSERT_EQ(dlg.QDialog::result(), QDialog::Accepted);

    report.IsStored = true;   // the template lives in the report, not in a file
    report.Predloha = dlg.result().Lines;
    ASSERT_EQ(report.Run(), seOk);
    EXPECT_TRUE(report.RunProblems.isEmpty()) << report.RunProblems.join("; ").toStdString();

    // The printed group headers, counts and sums, in page order.
    QStringList heads, counts, sums, whole;
    QString pageOf;
    const int pages = report.Vystup.PageCount();
    for (int p = 0; p < pages; ++p) {
        auto items = runtest::items(report.Vystup, p);
        std::stable_sort(items.begin(), items.end(),
                         [](auto *a, auto *b) { return a->Top < b->Top; });
        for (const TVystPrvek *it : items) {
            const TSiReportElement *e = it->Element;
            const QString text = runtest::itemText(*it).trimmed();
            if (e->Kind == ekFunction) {
                const QString name = report.Functions.at(e->SourceIndex)->Name;
                if (name == "PocetSkupina")
                    counts << text;
                else if (name == "SoucetSNormy")
                    sums << text;
                else if (name == "PocetCelkem" || name == "SoucetCNormy")
                    whole << text;
            } else if (e->Kind == ekField && e->Font.bold()) {
                heads << text;
            } else if (e->Kind == ekVariable && e->SourceIndex == 3 && p == 0) {
                pageOf = text;
            } else if (e->Kind == ekVariable && e->SourceIndex == 4 && p == 0) {
                pageOf += u' ' + text;
            }
        }
    }
    QStringList sqlHeads, sqlCounts, sqlSums;
    int total = 0, totalNorms = 0;
    for (const auto &row : expected.Rows) {
        sqlHeads << row[0].toString();
        sqlCounts << row[1].toString();
        sqlSums << row[2].toString();
        total += row[1].toInt();
        totalNorms += row[2].toInt();
    }
    EXPECT_EQ(heads, sqlHeads);
    EXPECT_EQ(counts, sqlCounts);
    EXPECT_EQ(sums, sqlSums);
    EXPECT_EQ(whole, (QStringList{QString::number(total), QString::number(totalNorms)}));
    EXPECT_EQ(pageOf, QStringLiteral("Strana 1 z %1").arg(pages));

    // Every material name fits its column: the widest is not wider than the column.
    int nameColumn = 0;
    for (const auto &e : report.section(skBody)->Elements)
        if (e->Kind == ekField && e->SourceName == "Material")
            nameColumn = e->Width;
    EXPECT_GT(nameColumn, 0);
    QImage at100(1, 1, QImage::Format_RGB32);
    at100.setDotsPerMeterX(3937);
    at100.setDotsPerMeterY(3937);
    const QFontMetricsF fm(QFont("Arial", 10), &at100);
    for (const auto &row : data.Rows)
        EXPECT_LE(fm.horizontalAdvance(row[1].toString()), nameColumn) << row[1].toString().toStdString();
}
