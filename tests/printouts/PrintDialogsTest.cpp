// The four material printouts, run through their dialogs into PDF files and read back with
// pdftotext: the demo catalogue's materials against what sqlite3 gives for the same queries,
// the templates against the fields of their data, and the dialog's buttons and copies.

#include "PrintoutTestSupport.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "support/EmptyCatalogue.h"
#include "printouts/PrintDialogs.h"
#include "printouts/PrintQueries.h"
#include "report/model/ReportElement.h"
#include "report/model/SestavaMessages.h"
#include "report/model/TemplateFile.h"
#include "report/ui/ReportUi.h"

#include "report/ui/ComboBoxPrinter.h"
#include "report/ui/PrintButton.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace orv;
using namespace orv::printouts;
using orv::printouts::test::DemoCatalogueCopy;
using orv::printouts::test::makeDialog;
using orv::printouts::test::run;

namespace {

QString pdfText(const QString &file)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
}

int pdfPages(const QString &file)
{
    const QString info = run(QStringLiteral("pdfinfo"), {file});
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The cells of a pdftotext line: runs of text separated by two or more blanks.
QStringList cells(const QString &line)
{
    QStringList out;
    for (const QString &c : line.split(QRegularExpression(QStringLiteral("\\s{2,}")), Qt::SkipEmptyParts))
        out << c.trimmed();
    return out;
}

// Finds, from line `from` on, the first line whose first cell is wanted[0] and that holds
// the other texts after it, in this order.
int findRow(const QStringList &lines, int from, const QStringList &wanted)
{
    for (int i = std::max(0, from); i < lines.size(); ++i) {
        const QString line = lines.at(i);
        const QStringList c = cells(line);
        if (c.isEmpty() || c.first() != wanted.first())
            continue;
        qsizetype at = line.indexOf(wanted.first()) + wanted.first().size();
        bool all = true;
        for (int k = 1; k < wanted.size() && all; ++k) {
            const qsizetype next = line.indexOf(wanted.at(k), at);
            all = next >= 0;
            at = next + wanted.at(k).size();
        }
        if (all)
            return i;
    }
    return -1;
}

// The report generator's messages are collected instead of shown.
QStringList &reportMessages()
{
    static QStringList messages;
    return messages;
}

void quietReports()
{
    InstallReportUi();
    setSestMessageHandler([](TSestMessageKind, const QString &caption, const QString &text) {
        reportMessages() << caption + QStringLiteral(": ") + text;
        return false;
    });
}

// The demo catalogue of the build, copied.
class DemoPrintouts : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        quietReports();
        demo = new DemoCatalogueCopy(QStringLiteral("print-test"));
        ASSERT_TRUE(demo->copied);
    }
    static void TearDownTestSuite()
    {
        delete demo;
    }

    PrintEnvironment env(int material) const
    {
        PrintEnvironment e;
        e.catalogue = &demo->cat;
        e.programDir = QStringLiteral(ORVALIS_SOURCE_DIR);
        e.materialNo = material;
        e.showMessage = [](const QString &text) { ADD_FAILURE() << text.toStdString(); };
        return e;
    }

    static int materialOf(const QString &label)
    {
        return demo->cat.scalar(QStringLiteral("select MaterialNo from Norms where Label = :l"),
                                {{QStringLiteral("l"), label}})
            .toInt();
    }

    // Rows of a query as sqlite3 prints them (fields separated by "|"), with in1 = M.
    static QList<QStringList> sqliteRows(const QStringList &sql, int material)
    {
        QString text = sql.join(u'\n');
        text.replace(QStringLiteral(":in1"), QString::number(material));
        return demo->sqliteRows(text + u';');
    }

    QString printed(int kind, int material, const QString &name, int copies = 1)
    {
        auto dialog = makeDialog(kind, env(material));
        dialog->copiesBox()->setValue(copies);
        const QString file = demo->dir.filePath(name);
        EXPECT_EQ(dialog->printToPdf(file), 0);
        return file;
    }

    static DemoCatalogueCopy *demo;
};

DemoCatalogueCopy *DemoPrintouts::demo = nullptr;

const QStringList kMaterials = {QStringLiteral("C45"), QStringLiteral("42CrMo4"), QStringLiteral("X5CrNi18-10"),
                                QStringLiteral("EN-GJS-400-15"), QStringLiteral("CuZn39Pb3")};

TEST_F(DemoPrintouts, EveryPrintoutOfTheFiveMaterialsShowsWhatTheQueriesGive)
{
    for (const QString &label : kMaterials) {
        SCOPED_TRACE(label.toStdString());
        const int m = materialOf(label);
        ASSERT_GT(m, 0);
        const QString matName = sqliteRows({QStringLiteral("select Name from Mat where Number=:in1")}, m).value(0).value(0);
        ASSERT_FALSE(matName.isEmpty());

        QStringList texts;
        for (int kind = 0; kind < 4; ++kind) {
            const QString text = pdfText(printed(kind, m, QStringLiteral("%1-%2.pdf").arg(m).arg(kind)));
            EXPECT_TRUE(text.contains(label)) << "printout " << kind;
            EXPECT_TRUE(text.contains(matName)) << "printout " << kind;
            EXPECT_TRUE(text.contains(QStringLiteral("Strana 1"))) << "printout " << kind;
            texts << text;
        }

        // Equivalents: each one with its country, standard and designation on one line.
        const QStringList eqLines = texts[0].split(u'\n');
        const auto equivalents = sqliteRows(equivalentsQuery(), m);
        EXPECT_FALSE(equivalents.isEmpty());
        for (const QStringList &r : equivalents)
            EXPECT_GE(findRow(eqLines, 0, {r[2], r[0], r[1]}), 0) << r.join(u'|').toStdString();

        // Composition, in both information printouts, in the query's order; the balance
        // element is marked "zbytek" in place of its bounds.
        const auto chem = sqliteRows(compositionQuery(), m);
        EXPECT_FALSE(chem.isEmpty());
        for (int kind : {1, 2}) {
            const QStringList lines = texts[kind].split(u'\n');
            int at = 0;
            for (const QStringList &r : chem) {
                QStringList wanted{r[1]};
                if (r[4] == QLatin1String("A")) {
                    wanted << QStringLiteral("zbytek");
                } else {
                    for (const QString &v : {r[2], r[3]})
                        if (!v.isEmpty())
                            wanted << printNumber(v.toDouble());
                }
                const int found = findRow(lines, at, wanted);
                EXPECT_GE(found, 0) << "printout " << kind << ": " << wanted.join(u' ').toStdString();
                if (found >= 0)
                    at = found + 1;
            }
        }

        // Mechanical properties: every row, in order, with its value range.
        const auto names = sqliteRows({QStringLiteral("select Number, Name from u.PropType")}, m);
        QHash<QString, QString> propertyName;
        for (const QStringList &r : names)
            propertyName[r[0]] = r[1];
        const auto mech = sqliteRows(mechanicalQuery(), m);
        const QStringList lines = texts[2].split(u'\n');
        int at = 0;
        for (const QStringList &r : mech) {
            // PropertyNo 14, Temperature 16, TempMinValue 17, TempMaxValue 18.
            QStringList wanted{propertyName.value(r[14])};
            const QString value = printRange(r[17].isEmpty() ? QVariant() : QVariant(r[17].toDouble()),
                                             r[18].isEmpty() ? QVariant() : QVariant(r[18].toDouble()));
            if (!value.isEmpty())
                wanted << value;
            const int found = findRow(lines, at, wanted);
            EXPECT_GE(found, 0) << wanted.join(u' ').toStdString();
            if (found >= 0)
                at = found + 1;
        }
    }
}

// The four printouts of C45 as files to look at (and the README's picture):
// <build>/printout-samples/<template>.pdf
TEST_F(DemoPrintouts, SamplePrintouts)
{
    const QString out = QStringLiteral(ORVALIS_BINARY_DIR "/printout-samples/");
    QDir().mkpath(out);
    const char *names[] = {"ekvivalenty", "info", "InfoMech", "TepZprac"};
    for (int kind = 0; kind < 4; ++kind) {
        auto dialog = makeDialog(kind, env(materialOf(QStringLiteral("C45"))));
        const QString file = out + QString::fromLatin1(names[kind]) + QStringLiteral("-c45.pdf");
        EXPECT_EQ(dialog->printToPdf(file), 0);
        EXPECT_GE(pdfPages(file), 1);
        if (kind == 2) {
            dialog->show();
            EXPECT_TRUE(dialog->grab().save(out + QStringLiteral("dialog-infomech.png")));
            EXPECT_EQ(dialog->previewButton()->text(), QStringLiteral("&Náhled"));
        }
    }
    // Materials with physical properties, a note, and properties at many temperatures.
    for (const QString &label : {QStringLiteral("90MnCrV8"), QStringLiteral("S235JR"), QStringLiteral("16Mo3")}) {
        auto dialog = makeDialog(2, env(materialOf(label)));
        EXPECT_EQ(dialog->printToPdf(out + QStringLiteral("InfoMech-") + label + QStringLiteral(".pdf")), 0);
    }
}

TEST_F(DemoPrintouts, TemplatesNameOnlyFieldsTheirDataHave)
{
    const int m = materialOf(QStringLiteral("C45"));
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kind);
        auto dialog = makeDialog(kind, env(m));
        ASSERT_EQ(dialog->Ses.LoadTemplate(false), 0);
        auto check = [](TSestavaD &report, const QStringList &names) {
            int fields = 0;
            for (int s = 0; s < report.Sections.count(); ++s)
                for (const auto &e : report.Sections.at(s)->Elements)
                    if (e->Kind == ekField) {
                        ++fields;
                        EXPECT_TRUE(names.contains(e->SourceName, Qt::CaseInsensitive))
                            << e->SourceName.toStdString();
                    }
            return fields;
        };
        auto fieldNames = [](TBridge *b) {
            QStringList out;
            for (int i = 0; i < b->FieldCount(); ++i)
                out << b->FieldName(i);
            return out;
        };
        EXPECT_GT(check(dialog->Ses, fieldNames(dialog->Ses.DataSource)), 0);
        ASSERT_FALSE(dialog->Ses.DetailList().isEmpty());
        for (TSestDetail *d : dialog->Ses.DetailList())
            EXPECT_GT(check(*d, fieldNames(d->DataSource)), 0) << d->Name.toStdString();
    }
}

// The designer saves what the model holds: a shipped template read and written again keeps
// every element and line of its details, and the written lines read back to themselves.
TEST_F(DemoPrintouts, TemplatesSurviveTheDesignersWriter)
{
    const int m = materialOf(QStringLiteral("C45"));
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kind);
        auto dialog = makeDialog(kind, env(m));
        QStringList original;
        ASSERT_EQ(loadTemplateFile(dialog->Ses.TemplatePath(), original), 0);
        ASSERT_EQ(dialog->Ses.LoadTemplate(false), 0);
        const QStringList written = writeTemplate(dialog->Ses);
        auto elements = [](const QStringList &lines) {
            int n = 0;
            for (const QString &l : lines) {
                const QString code = l.section(u',', 0, 0);
                if (!code.startsWith(u'I') && !code.startsWith(u'F'))
                    ++n;
            }
            return n;
        };
        EXPECT_EQ(elements(written), elements(original));
        dialog->Ses.SetPredloha(written);
        EXPECT_EQ(writeTemplate(dialog->Ses), written);
    }
}

TEST_F(DemoPrintouts, ThreeCopiesGiveThreeTimesThePages)
{
    const int m = materialOf(QStringLiteral("C45"));
    const int one = pdfPages(printed(2, m, QStringLiteral("one.pdf")));
    ASSERT_GE(one, 1);
    const QString three = printed(2, m, QStringLiteral("three.pdf"), 3);
    EXPECT_EQ(pdfPages(three), 3 * one);
    EXPECT_EQ(pdfText(three).count(QStringLiteral("Strana 1 z")), 3);
}

TEST_F(DemoPrintouts, PrintButtonPrintsEachTimeAndTheDialogStaysOpen)
{
    PrintEnvironment e = env(materialOf(QStringLiteral("42CrMo4")));
    int asked = 0;
    e.askPdfFile = [&](QWidget *) { return demo->dir.filePath(QStringLiteral("tisk-%1").arg(++asked)); };
    TfPrintInfo dialog(e);
    // The file printer is always offered, last; without system printers it is the choice.
    TComboBoxPrinter *list = dialog.printerList();
    EXPECT_EQ(list->itemText(list->count() - 1), TfPrintBase::pdfPrinterCaption());
    list->setCurrentIndex(list->count() - 1);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tisk informací o materiálu"));
    EXPECT_EQ(dialog.copiesBox()->minimum(), 1);
    EXPECT_EQ(dialog.copiesBox()->maximum(), 999);
    dialog.show();
    dialog.printButton()->click();
    dialog.printButton()->click();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(dialog.isVisible());
    for (int i = 1; i <= 2; ++i) {
        const QString file = demo->dir.filePath(QStringLiteral("tisk-%1.pdf").arg(i));
        ASSERT_TRUE(QFileInfo::exists(file)) << i;
        EXPECT_TRUE(pdfText(file).contains(QStringLiteral("42CrMo4")));
    }
    // No temporary file is left behind.
    EXPECT_TRUE(QDir(demo->dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Hidden | QDir::Files).isEmpty());
    dialog.cancelButton()->click();
    EXPECT_FALSE(dialog.isVisible());
}

// A small catalogue written by the test for the cases the demo data does not have.
class SmallCatalogue : public ::testing::Test, public orv::test::EmptyCatalogue
{
protected:
    SmallCatalogue() : EmptyCatalogue(QStringLiteral("small-print-test")) {}
    void SetUp() override
    {
        quietReports();
        cat.exec(QStringLiteral(
            "insert into Mat (Number, Name, NoticeNo, PurposeAll) values (1, 'Zkušební ocel', 1, 'Hřídele & čepy');"
            "insert into Notices (Number, Notice) values (1, 'Poznámka k materiálu'), (2, 'S+P max. 0,05');"
            "insert into Norms (Number, Name, Label, MaterialNo) values (1, 'ČSN EN 99999', 'ZK 1', 1);"
            "insert into Elements (Number, Name, Label) values (1, 'C', 'C'), (2, 'S', 'S'), (3, 'Fe', 'Fe');"
            "insert into ChemComp (Number, MaterialNo, ElementNo, MinValue, MaxValue, NoticeNo) values "
            "(1, 1, 1, 0.42, 0.5, null), (2, 1, 2, null, 0.035, 2);"
            "insert into ChemZbytek (Number, MaterialNo, ElementNo) values (7, 1, 3);"
            "insert into SemTypes (Number, GroupNo, Name) values (1, 1, 'Tyče');"
            "insert into SemiProd (Number, MaterialNo, Group1No) values (10, 1, 1);"
            "insert into StTypes (Number, Code, Name) values (1, 'N', '+N');"
            "insert into States (Number, SemiPrNo, StateNo) values (20, 10, 1);"
            "insert into Dimens (Number, StateNo, FromValue, ToValue) values (30, 20, 16, 40);"
            // Property rows 1 and 2 without notes; temperature rows 5 and 6 of property 1 and
            // 4 of property 2, so that the sums 1 + 5 and 2 + 4 are equal.
            "insert into MechProp (Number, DimensionNo, PropertyNo, NoticeNo) values (1, 30, 1, null), (2, 30, 2, null);"
            "insert into Temps (Number, PropertyNo, Temperature, TempMinValue, TempMaxValue) values "
            "(5, 1, 20, 600, 750), (6, 1, 300, 480, null), (4, 2, 20, 380, null);"));
        cat.exec(QStringLiteral("insert into PropType (Number, Name, Code, Measure) values "
                                "(1, 'Mez pevnosti', 'Rm', 'MPa'), (2, 'Mez kluzu', 'ReH', 'MPa')"));
        env.catalogue = &cat;
        env.programDir = QStringLiteral(ORVALIS_SOURCE_DIR);
        env.materialNo = 1;
    }

    PrintEnvironment env;
};

TEST_F(SmallCatalogue, CompositionListsEachRowOnceInTheCardsOrderWithTheBalanceLast)
{
    TfPrintInfoMech dialog(env);
    db::DataSet *chem = dialog.dataSet(QStringLiteral("qChemComp"));
    ASSERT_TRUE(chem);
    ASSERT_EQ(chem->recordCount(), 3);
    // As the card shows them: the row without a note (1), the row with one (2), the balance (7).
    EXPECT_EQ(chem->valueAt(0, QStringLiteral("Number")).toInt(), 1);
    EXPECT_EQ(chem->valueAt(0, QStringLiteral("Zbytek")).toString(), QStringLiteral("N"));
    EXPECT_EQ(chem->valueAt(1, QStringLiteral("Number")).toInt(), 2);
    EXPECT_EQ(chem->valueAt(2, QStringLiteral("Number")).toInt(), 7);
    EXPECT_EQ(chem->valueAt(2, QStringLiteral("Name")).toString(), QStringLiteral("Fe"));
    EXPECT_EQ(chem->valueAt(2, QStringLiteral("MinValue")).toDouble(), 0.0);
    EXPECT_EQ(chem->valueAt(2, QStringLiteral("MaxValue")).toDouble(), 0.0);
    EXPECT_EQ(chem->valueAt(2, QStringLiteral("Zbytek")).toString(), QStringLiteral("A"));

    db::DataSet *notes = dialog.dataSet(QStringLiteral("qChemPozn"));
    ASSERT_TRUE(notes);
    ASSERT_EQ(notes->recordCount(), 1);
    EXPECT_EQ(notes->valueAt(0, QStringLiteral("Notice")).toString(), QStringLiteral("S+P max. 0,05"));

    const QString file = dir.filePath(QStringLiteral("chem.pdf"));
    ASSERT_EQ(dialog.printToPdf(file), 0);
    const QStringList lines = pdfText(file).split(u'\n');
    const int fe = findRow(lines, 0, {QStringLiteral("Fe"), QStringLiteral("zbytek")});
    const int s = findRow(lines, 0, {QStringLiteral("S"), QStringLiteral("0,035")});
    const int c = findRow(lines, 0, {QStringLiteral("C"), QStringLiteral("0,42"), QStringLiteral("0,5")});
    EXPECT_GE(c, 0);
    EXPECT_GT(s, c);
    EXPECT_GT(fe, s);
    // The balance's 0 and 0 are not printed as bounds.
    EXPECT_EQ(cells(lines.value(fe)).count(QStringLiteral("0")), 0);
}

TEST_F(SmallCatalogue, PropertiesWithoutNotesAllPrintInRowOrder)
{
    TfPrintInfoMech dialog(env);
    db::DataSet *mech = dialog.dataSet(QStringLiteral("qMech"));
    ASSERT_TRUE(mech);
    ASSERT_EQ(mech->recordCount(), 3);
    // Property row 1 with its temperatures 5 and 6, then property row 2, although 1 + 5 = 2 + 4.
    EXPECT_EQ(mech->valueAt(0, QStringLiteral("PropertyNo")).toInt(), 1);
    EXPECT_EQ(mech->valueAt(0, QStringLiteral("Temperature")).toInt(), 20);
    EXPECT_EQ(mech->valueAt(1, QStringLiteral("PropertyNo")).toInt(), 1);
    EXPECT_EQ(mech->valueAt(1, QStringLiteral("Temperature")).toInt(), 300);
    EXPECT_EQ(mech->valueAt(2, QStringLiteral("PropertyNo")).toInt(), 2);
    EXPECT_EQ(mech->valueAt(0, QStringLiteral("MpNumber")).toInt(), 6);
    EXPECT_EQ(mech->valueAt(2, QStringLiteral("MpNumber")).toInt(), 6);
    for (int r = 0; r < 3; ++r)
        EXPECT_TRUE(mech->valueAt(r, QStringLiteral("Notice")).toString().trimmed().isEmpty());

    const QString file = dir.filePath(QStringLiteral("mech.pdf"));
    ASSERT_EQ(dialog.printToPdf(file), 0);
    const QString text = pdfText(file);
    const QStringList lines = text.split(u'\n');
    const int a = findRow(lines, 0, {QStringLiteral("Mez pevnosti"), QStringLiteral("20 °C"), QStringLiteral("600 – 750")});
    const int b = findRow(lines, 0, {QStringLiteral("Mez pevnosti"), QStringLiteral("300 °C"), QStringLiteral("min. 480")});
    const int c = findRow(lines, 0, {QStringLiteral("Mez kluzu"), QStringLiteral("20 °C"), QStringLiteral("min. 380")});
    EXPECT_GE(a, 0);
    EXPECT_GT(b, a);
    EXPECT_GT(c, b);
    EXPECT_TRUE(text.contains(QStringLiteral("Tyče")));
    EXPECT_TRUE(text.contains(QStringLiteral("16 – 40 mm")));
    // The master's lookups and memo.
    EXPECT_TRUE(text.contains(QStringLiteral("Poznámka k materiálu")));
    EXPECT_TRUE(text.contains(QStringLiteral("Hřídele & čepy")));
}

TEST_F(SmallCatalogue, TemplateThatIsMissingIsReportedAndWritesNoFile)
{
    env.programDir = dir.path();   // no data/tisky here
    TfPrintEkvivalenty dialog(env);
    const QString file = dir.filePath(QStringLiteral("none.pdf"));
    EXPECT_EQ(dialog.printToPdf(file), 4);
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST(PrintTexts, RangesAndNumbersUseTheDecimalComma)
{
    EXPECT_EQ(printNumber(0.42), QStringLiteral("0,42"));
    EXPECT_EQ(printNumber(QVariant()), QString());
    EXPECT_EQ(printNumber(1100), QStringLiteral("1100"));
    EXPECT_EQ(printRange(0.42, 0.5), QStringLiteral("0,42 – 0,5"));
    EXPECT_EQ(printRange(QVariant(), 0.035), QStringLiteral("max. 0,035"));
    EXPECT_EQ(printRange(480, QVariant()), QStringLiteral("min. 480"));
    EXPECT_EQ(printRange(5, 5), QStringLiteral("5"));
    EXPECT_EQ(printDimension(QVariant(), 16), QStringLiteral("do 16 mm"));
    EXPECT_EQ(printDimension(100, QVariant()), QStringLiteral("nad 100 mm"));
    EXPECT_EQ(printDimension(QVariant(), QVariant()), QString());
}

} // namespace
