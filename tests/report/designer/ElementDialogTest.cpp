// "Nastavení vlastností prvku" and the expression editor, driven through their controls.

#include "DesignerTestSupport.h"

#include "report/designer/DlgFunkce.h"
#include "report/designer/DlgKonfPrvku.h"
#include "report/designer/DlgVyraz.h"
#include "report/designer/SestDlg.h"
#include "core/CodePage.h"
#include "report/model/NumberFormat.h"
#include "report/model/SestError.h"
#include "report/output/Barcode.h"
#include "report/output/OutputWriters.h"
#include "report/output/RtfExport.h"
#include "report/output/RunTestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orv;
using designertest::typeOver;

namespace {

struct ElementFixture : ::testing::Test {
    designertest::MessageCatcher msgs;
    runtest::MemoryBridge bridge;
    TSestavaD report;
    TEditorSettings settings;

    void SetUp() override
    {
        bridge.Columns = {"Nazev", "Popis", "Obrazek", "Cena"};
        bridge.Types = {ftString, 16, 17, ftFloat};   // a memo and a graphic field
        bridge.Rows = {{QString("S235"), QString("text"), QVariant(), 1.5}};
        report.DataSource = &bridge;
        report.PrepareFields();
        report.Parametry = {"první", "druhý"};
        report.SetPredloha({"I,4,0,\"#1\",1,20,1,20,0", "F,0,Soucet,\"\",0,\"0\",0,\"#4\",2,15,2,2"});
    }
    TSiReportElement *add(const QString &line)
    {
        return report.AddElement(report.section(skBody), line);
    }
};
using ElementDialog = ElementFixture;

} // namespace

TEST_F(ElementDialog, VersionsAndPages)
{
    TSiReportElement *text = add("T,1,0,10,10,100,20,Arial,10,0,0,0,0,238,\"Nadpis\"");
    TSiReportElement *rect = add("T,8,8,10,10,100,20,,1,0,0,15,15,0");
    TSiReportElement *code = add("T,12,0,10,10,200,60,,24,0,3,48,15,0,\"123\"");
    TSiReportElement *detail = add("T,15,0,0,0,726,40");
    {
        TDlgKonfPrvku dlg(report, *text, settings, 0);
        EXPECT_EQ(dlg.windowTitle(), "Nastavení vlastností prvku");
        EXPECT_TRUE(dlg.Tabs->isTabVisible(TDlgKonfPrvku::pgZakladni));
        EXPECT_TRUE(dlg.Tabs->isTabVisible(TDlgKonfPrvku::pgPismo));
        EXPECT_FALSE(dlg.Tabs->isTabVisible(TDlgKonfPrvku::pgCarovyKod));
        EXPECT_TRUE(dlg.Tabs->isTabVisible(TDlgKonfPrvku::pgPodminka));
        EXPECT_FALSE(dlg.Zdroj->isEnabled());
        EXPECT_EQ(dlg.Text->text(), "Nadpis");
        EXPECT_EQ(dlg.TypPrvku->text(), elementKindName(ekText));
    }
    {
        TDlgKonfPrvku dlg(report, *rect, settings, 0);
        EXPECT_EQ(dlg.version(), TDlgKonfPrvku::vGeneral);
        EXPECT_FALSE(dlg.Tabs->isTabVisible(TDlgKonfPrvku::pgZakladni));
        EXPECT_EQ(dlg.Tabs->currentIndex(), TDlgKonfPrvku::pgPodminka);
    }
    {
        TDlgKonfPrvku dlg(report, *code, settings, 0);
        EXPECT_TRUE(dlg.Tabs->isTabVisible(TDlgKonfPrvku::pgCarovyKod));
        EXPECT_FALSE(dlg.Tabs->isTabVisible(TDlgKonfPrvku::pgPismo));
    }
    EXPECT_FALSE(TDlgKonfPrvku::canOpen(report, *detail));
    TSiReportElement beyond = *text;
    beyond.Kind = ekField;
    beyond.SourceIndex = 12;   // a field the data set does not have
    EXPECT_FALSE(TDlgKonfPrvku::canOpen(report, beyond));
    EXPECT_FALSE(EditElementProperties(report, beyond, settings, 0));
    beyond.SourceIndex = 3;
    EXPECT_TRUE(TDlgKonfPrvku::canOpen(report, beyond));
}

TEST_F(ElementDialog, SourcesByKind)
{
    TSiReportElement *var = add("T,5,3,0,0,60,20,Arial,10,0,0,1,0,238");
    TDlgKonfPrvku dlg(report, *var, settings, 0);
    ASSERT_EQ(dlg.Zdroj->count(), 7);
    EXPECT_EQ(dlg.Zdroj->currentText(), "Číslo stránky");
    EXPECT_EQ(dlg.Zdroj->itemText(5), "Číslo ř. ve sk.1");
    EXPECT_EQ(dlg.Zdroj->itemText(6), "Číslo skupiny 1");
    EXPECT_FALSE(dlg.PodleNazvu->isEnabled());

    TSiReportElement *par = add("T,4,1,0,0,60,20,Arial,10,0,0,0,0,238");
    TDlgKonfPrvku dlg2(report, *par, settings, 0);
    EXPECT_EQ(dlg2.Zdroj->count(), 2);
    EXPECT_EQ(dlg2.Zdroj->currentIndex(), 1);
    // Parameter 0 prints the first parameter: the list names it "1: první".
    EXPECT_EQ(dlg2.Zdroj->itemText(0), "1: první");

    TSiReportElement *fn = add("T,6,Soucet,0,0,60,20,Arial,10,0,0,1,0,238");
    TDlgKonfPrvku dlg3(report, *fn, settings, 0);
    EXPECT_EQ(dlg3.Zdroj->currentText(), "Soucet");
    EXPECT_TRUE(dlg3.PodleNazvu->isChecked());
    EXPECT_EQ(dlg3.Panely->currentIndex(), TDlgKonfPrvku::pnFunction);
}

TEST_F(ElementDialog, MemoFieldKeepsMultiLineWhateverTheBoxesSay)
{
    TSiReportElement *memo = add("T,2,1,0,0,300,40,Arial,10,0,0,0,0,238");
    TDlgKonfPrvku dlg(report, *memo, settings, 0);
    dlg.show();
    EXPECT_EQ(dlg.Panely->currentIndex(), TDlgKonfPrvku::pnMemo);
    dlg.MmBlok->setChecked(true);
    dlg.MmRtf->setChecked(true);
    EXPECT_FALSE(dlg.Zarovnani->isEnabled());
    EXPECT_FALSE(dlg.Tabs->isTabEnabled(TDlgKonfPrvku::pgPismo));
    dlg.accept();
    EXPECT_EQ(memo->TextFlags, tfMultiLine | tfJustify | tfRtf);
}

TEST_F(ElementDialog, ChangingTheFieldPicksThePanelAndTheName)
{
    TSiReportElement *field = add("T,2,0,0,0,100,20,Arial,10,0,0,0,0,238");
    TDlgKonfPrvku dlg(report, *field, settings, 0);
    dlg.show();
    EXPECT_EQ(dlg.Panely->currentIndex(), TDlgKonfPrvku::pnText);
    dlg.Zdroj->setCurrentIndex(2);   // the graphic field
    EXPECT_EQ(dlg.Panely->currentIndex(), TDlgKonfPrvku::pnPicture);
    dlg.ObrPodleOkna->setChecked(true);
    dlg.PodleNazvu->setChecked(true);
    dlg.Ramecek[3]->setChecked(true);
    dlg.accept();
    EXPECT_EQ(field->SourceIndex, 2);
    EXPECT_EQ(field->SourceName, "Obrazek");
    EXPECT_EQ(field->Flags, efStretch | efFrameBottom);
}

TEST_F(ElementDialog, PositionsInTheDisplayUnitAndBadNumbers)
{
    TSiReportElement *e = add("T,1,0,10,20,100,20,Arial,10,0,0,0,0,238,\"x\",5,0,0,\"\",0,\"\"");
    TDlgKonfPrvku dlg(report, *e, settings, 1);   // 0,1 mm
    dlg.show();
    EXPECT_EQ(dlg.Sirka->text(), "254");
    EXPECT_EQ(dlg.JednotkaLabel->text(), "(0,1 mm)");
    typeOver(dlg.Sirka, "254");
    typeOver(dlg.Vyska, "abc");
    typeOver(dlg.Levy, "127");
    typeOver(dlg.SklonTextu, "x");
    typeOver(dlg.RoztecZnaku, "?");
    dlg.accept();
    EXPECT_EQ(e->Width, 100);
    EXPECT_EQ(e->Height, 20);   // not a number: kept
    EXPECT_EQ(e->Left, 50);
    EXPECT_EQ(e->Angle, 0);
    EXPECT_EQ(e->LetterSpacing, 0);
}

TEST_F(ElementDialog, FontPage)
{
    TSiReportElement *e = add("T,1,0,0,0,100,20,Arial,10,0,0,0,0,238,\"x\"");
    TDlgKonfPrvku dlg(report, *e, settings, 0);
    dlg.show();
    EXPECT_EQ(dlg.TypPisma->currentText(), "Arial");
    EXPECT_EQ(dlg.Skript->currentText(), "středoevropský");
    EXPECT_EQ(dlg.Ukazka->text(), "ÁBČĎábčď");
    dlg.Velikost->setCurrentText("abc");
    EXPECT_EQ(dlg.dialogFont().Size, 12);
    dlg.TypPisma->setCurrentText("Roman 17cpi");
    EXPECT_EQ(dlg.Velikost->currentText(), "8");
    EXPECT_FALSE(dlg.Velikost->isEnabled());
    EXPECT_EQ(dlg.Ukazka->font().family(), "Courier New");
    dlg.Tucne->setChecked(true);
    dlg.Barva->setCurrentIndex(9);
    dlg.accept();
    EXPECT_EQ(e->Font.Name, "Roman 17cpi");
    EXPECT_EQ(e->Font.Size, 8);
    EXPECT_EQ(e->Font.Style, fsBold);
    EXPECT_EQ(e->Font.Color, paletteColor(9));
    EXPECT_EQ(e->Font.Charset, 238);
}

TEST_F(ElementDialog, FontNameThatIsNotInstalledIsKept)
{
    TSiReportElement *e = add("T,1,0,0,0,100,20,Nepsaný Font,10,0,0,0,0,238,\"x\"");
    TDlgKonfPrvku dlg(report, *e, settings, 0);
    dlg.accept();
    EXPECT_EQ(e->Font.Name, "Nepsaný Font");
}

TEST_F(ElementDialog, Barcode)
{
    TSiReportElement *code = add("T,12,0,10,10,200,60,,24,0,99,16,15,0,\"#1\",0,90,0");
    TDlgKonfPrvku dlg(report, *code, settings, 0);
    dlg.show();
    EXPECT_EQ(dlg.TypKodu->currentText(), BarcodeTypeNames().at(bcEan13));
    EXPECT_EQ(dlg.Zvetseni->currentText(), BarcodeModuleCaption(24));
    EXPECT_TRUE(dlg.KontrolniSoucet->isChecked());
    EXPECT_FALSE(dlg.TisknoutText->isChecked());
    EXPECT_EQ(dlg.Uhel->text(), "90");
    dlg.TisknoutText->setChecked(true);
    typeOver(dlg.FunkcniVyraz, "#2");
    dlg.accept();
    EXPECT_EQ(code->PenWidth, 24);
    EXPECT_EQ(code->PenStyle, bcEan13);
    EXPECT_EQ(code->Flags, efCheckDigit | efPrintText);
    EXPECT_EQ(code->Text, "#2");
    EXPECT_EQ(code->Angle, 90);
}

TEST_F(ElementDialog, ConditionAndProgramControl)
{
    TSiReportElement *rect = add("T,8,8,10,10,100,20,,1,0,0,15,15,0,,,,,\"#4>1\",0,\"\"");
    TDlgKonfPrvku dlg(report, *rect, settings, 0);
    dlg.show();
    EXPECT_EQ(dlg.Podminka->text(), "#4>1");
    QTest::mouseClick(dlg.ZrusitPodminkuBtn, Qt::LeftButton);
    dlg.ProgramoveRizeni->setChecked(true);
    typeOver(dlg.Identifikace, "ramecek");
    dlg.accept();
    EXPECT_TRUE(rect->Condition.isEmpty());
    EXPECT_TRUE(rect->HandlerEnabled);
    EXPECT_EQ(rect->Ident, "ramecek");
    EXPECT_EQ(rect->Left, 10);
}

TEST_F(ElementDialog, ConditionEditedInTheExpressionEditor)
{
    TSiReportElement *rect = add("T,8,8,10,10,100,20,,1,0,0,15,15,0");
    TDlgKonfPrvku dlg(report, *rect, settings, 0);
    dlg.show();
    QTimer::singleShot(0, [] {
        auto *ed = qobject_cast<TDlgVyraz *>(QApplication::activeModalWidget());
        ASSERT_TRUE(ed);
        EXPECT_FALSE(ed->Promenne->isEnabled());   // not for a condition
        EXPECT_FALSE(ed->Funkce->isEnabled());
        ed->Vyraz->setText("#4>");
        ed->Vyraz->setCursorPosition(3);
        ed->Polozky->setCurrentIndex(3);
        auto *insert = qobject_cast<QToolButton *>(ed->Polozky->property("insertButton").value<QObject *>());
        ASSERT_TRUE(insert);
        insert->click();
        ed->accept();
    });
    QTest::mouseClick(dlg.PodminkaBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.Podminka->text(), "#4>#4");
}

TEST(ExpressionEditor, CheckShowsTheErrorAndPutsTheCaretThere)
{
    designertest::MessageCatcher msgs;
    TSestavaModel m;
    m.SetFieldNames({"a", "b"});
    TDlgVyraz dlg(m, "#1+(2", false);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Tvorba výrazu pro výpočet funkce");
    QTest::mouseClick(dlg.KontrolaBtn, Qt::LeftButton);
    ASSERT_EQ(msgs.Captions.size(), 1);
    EXPECT_EQ(msgs.Captions.front(), "Chyba");
    EXPECT_TRUE(msgs.Texts.front().startsWith("Chyba : ")) << msgs.Texts.front().toStdString();
    dlg.Vyraz->setText("#1+2");
    QTest::mouseClick(dlg.KontrolaBtn, Qt::LeftButton);
    EXPECT_EQ(msgs.Texts.back(), "Výraz je v pořádku.");
    EXPECT_TRUE(dlg.Promenne->isEnabled());
}

// OK in every dialog that takes an expression refuses one that does not compile (it would
// print blank or make one group of the report); a domain error depends on the data and passes.
TEST_F(ElementDialog, OkRefusesAnExpressionThatDoesNotCompile)
{
    struct Case {
        const char *Expression;
        bool Refused;
    };
    const Case cases[] = {{"#1+(2", true}, {"#Nzev", true}, {"SUMA(#4)", true},
                          {"#4/0", false}, {"#Nazev+'x'", false}};
    TSiReportElement *rect = add("T,8,8,10,10,100,20,,1,0,0,15,15,0");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Expression);
        const int messagesBefore = int(msgs.Texts.size());
        {
            TDlgVyraz dlg(report, c.Expression, false);
            dlg.show();
            QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
            EXPECT_EQ(dlg.result() == QDialog::Accepted, !c.Refused);
        }
        {
            rect->Condition.clear();
            TDlgKonfPrvku dlg(report, *rect, settings, 0);
            dlg.Podminka->setText(c.Expression);
            dlg.accept();
            EXPECT_EQ(rect->Condition, c.Refused ? QString() : QString(c.Expression));
            if (c.Refused) {
                EXPECT_TRUE(dlg.Tabs->currentWidget()->isAncestorOf(dlg.Podminka));
            }
        }
        {
            TRadekFunkce f;
            f.Name = "Pokus";
            TDlgFunkce dlg(report, f);
            dlg.Vyraz->setText(c.Expression);
            dlg.accept();
            EXPECT_EQ(dlg.result() == QDialog::Accepted, !c.Refused);
        }
        {
            TSestDlg dlg(report, TSestDlg::pgPapir);
            dlg.Skupiny->setCurrentRow(0);
            dlg.SkupinaVyraz->setText(c.Expression);
            dlg.accept();
            EXPECT_EQ(dlg.result() == QDialog::Accepted, !c.Refused);
            EXPECT_EQ(report.Groups.at(0)->Expression, c.Refused ? "#1" : c.Expression);
            if (c.Refused) {
                EXPECT_EQ(dlg.Tabs->currentIndex(), int(TSestDlg::pgSkupiny));
                EXPECT_TRUE(dlg.Tabs->isTabVisible(TSestDlg::pgSkupiny));
            }
            report.Groups.at(0)->Expression = "#1";
        }
        // Each refusal said where the error is; nothing is said otherwise.
        const QStringList said = msgs.Texts.mid(messagesBefore);
        EXPECT_EQ(said.size(), c.Refused ? 4 : 0);
        for (const QString &t : said)
            EXPECT_TRUE(t.contains("na pozici")) << t.toStdString();
    }
}

TEST_F(ElementDialog, FunctionButtonEditsTheFunctionOnlyOnOk)
{
    TSiReportElement *fn = add("T,6,Soucet,0,0,60,20,Arial,10,0,0,1,0,238");
    {
        TDlgKonfPrvku dlg(report, *fn, settings, 0);
        ASSERT_NE(dlg.FunkceBtn, nullptr);
        QTimer::singleShot(0, [] {
            auto *f = qobject_cast<TDlgFunkce *>(QApplication::activeModalWidget());
            ASSERT_NE(f, nullptr);
            f->Popis->setText("Součet cen");
            f->PocetDesetinnych->setText("abc");   // not a number: kept
            f->accept();
        });
        dlg.FunkceBtn->click();
        EXPECT_EQ(report.Functions.at(0)->Description, "");   // not before OK
        dlg.reject();
    }
    EXPECT_EQ(report.Functions.at(0)->Description, "");
    TDlgKonfPrvku dlg(report, *fn, settings, 0);
    QTimer::singleShot(0, [] {
        auto *f = qobject_cast<TDlgFunkce *>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        f->Popis->setText("Součet cen");
        f->PocetDesetinnych->setText("abc");
        f->accept();
    });
    dlg.FunkceBtn->click();
    dlg.accept();
    EXPECT_EQ(report.Functions.at(0)->Description, "Součet cen");
    EXPECT_EQ(report.Functions.at(0)->Decimals, 2);
}

// A numeric and a date field get a format in the dialog: the sample shows it, the preview's
// page and every export print the formatted value, and the dialog finds the format again and
// takes it back.
TEST(ElementDialogFormats, NumberAndDateFormatsPrintEverywhere)
{
    designertest::MessageCatcher msgs;
    runtest::MemoryBridge bridge;
    const double day = dateTimeToSerial(QDateTime(QDate(2026, 3, 14), QTime(0, 0)));
    bridge.Columns = {"Nazev", "Cena", "Dodano"};
    bridge.Types = {ftString, ftFloat, ftDate};
    bridge.Rows = {{QString("S235"), 12345.678, day}};
    TSestavaD report;
    report.DataSource = &bridge;
    report.PrepareFields();
    report.SetPredloha({"I,3,2,1,20,0"});
    TSiReportElement *name = report.AddElement(report.section(skBody), "T,2,0,0,0,150,20,Arial,10,0,0,0,0,238");
    TSiReportElement *price = report.AddElement(report.section(skBody), "T,2,1,200,0,150,20,Arial,10,0,0,1,0,238");
    TSiReportElement *date = report.AddElement(report.section(skBody), "T,2,2,400,0,200,20,Arial,10,0,0,0,0,238");
    TEditorSettings settings;
    {
        TDlgKonfPrvku dlg(report, *name, settings, 0);
        EXPECT_TRUE(dlg.Format->isHidden());   // a text field has no format
    }
    {
        TDlgKonfPrvku dlg(report, *price, settings, 0);
        EXPECT_FALSE(dlg.Format->isHidden());
        dlg.Format->setCurrentText("#,##0.00");
        EXPECT_TRUE(dlg.FormatUkazka->text().contains(formatFloatPicture(-12345.678, "#,##0.00")));
        dlg.accept();
    }
    {
        TDlgKonfPrvku dlg(report, *date, settings, 0);
        dlg.Format->setCurrentText("d. mmmm yyyy");
        dlg.accept();
    }
    ASSERT_EQ(price->Kind, ekFunction);
    EXPECT_EQ(report.Functions.at(price->SourceIndex)->Expression, "FORMAT(#2,'#,##0.00')");
    ASSERT_EQ(date->Kind, ekFunction);
    EXPECT_EQ(report.Functions.at(date->SourceIndex)->Expression, "FORMATDT(#3,'d. mmmm yyyy')");
    EXPECT_NE(price->SourceIndex, date->SourceIndex);

    ASSERT_EQ(report.Run(true), 0);
    const QString money = formatFloatPicture(12345.678, "#,##0.00");
    const QString when = formatDateTimePicture(day, "d. mmmm yyyy");
    EXPECT_EQ(runtest::findText(report.Vystup, money).size(), 1u);
    EXPECT_EQ(runtest::findText(report.Vystup, when).size(), 1u) << when.toStdString();
    auto written = [&](const QString &format) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        TWriteJob job = report.textJob();
        job.Directory = QDir::tempPath();
        job.PictureFile = "format.bmp";
        EXPECT_EQ(WriteOutput(format, report.Vystup, job, buffer), seOk) << format.toStdString();
        return buffer.data();
    };
    for (const QString &format : {QStringLiteral("text"), QStringLiteral("html")}) {
        const QByteArray out = written(format);
        EXPECT_TRUE(out.contains(encode(when, CodePage::Cp1250))) << format.toStdString();
        // the digits after the thousands separator, whichever separator the system has
        EXPECT_TRUE(out.contains(encode(money.right(6), CodePage::Cp1250))) << format.toStdString();
    }
    EXPECT_TRUE(written("rtf").contains(RtfText(when)));
    EXPECT_TRUE(written("rtf").contains(RtfText(money.right(6))));

    // Opened again the dialog shows the format; emptied, the field prints plainly again.
    {
        TDlgKonfPrvku dlg(report, *price, settings, 0);
        EXPECT_EQ(dlg.Format->currentText(), "#,##0.00");
        dlg.Format->setCurrentText(QString());
        dlg.accept();
    }
    EXPECT_EQ(price->Kind, ekField);
    EXPECT_EQ(price->SourceIndex, 1);
}
