// "Nastavení parametrů sestavy" driven through its controls.

#include "DesignerTestSupport.h"

#include "report/designer/SestDlg.h"
#include "report/model/PageSetup.h"
#include "report/model/TemplateFile.h"
#include "report/output/Printers.h"
#include "report/output/Sestava.h"
#include "report/ui/FormatDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orv;
using designertest::typeOver;

namespace {

struct Fixture : ::testing::Test {
    designertest::MessageCatcher msgs;
    TSestavaD report;
    QTemporaryDir settingsDir;

    void SetUp() override
    {
        qputenv("ORVALIS_REPORT_SETTINGS_DIR", settingsDir.path().toUtf8());
        SetPrinterMarginSource([](int) { return std::optional<TPrinterMargins>(); });
        report.SetPredloha({"I,1,5,50,0", "I,2,0,826,1169,50,50,70,70,1,0", "I,3,0,1,96,0",
                            "I,3,1,1,28,1", "I,3,2,1,20,0", "I,3,3,0,16,0", "I,3,4,1,32,0",
                            "I,4,0,\"#1\",1,24,1,30,0", "I,5,0", "I,6,0,8,8,0,1,1,1",
                            "S0,1,0,0,0,100,20,Arial,10,0,0,0,0,238,\"v hlavě skupiny\""});
    }
    void TearDown() override
    {
        SetPrinterMarginSource({});
        qunsetenv("ORVALIS_REPORT_SETTINGS_DIR");
    }
};

using ReportSettings = Fixture;

} // namespace

TEST_F(ReportSettings, ShowsTheTemplate)
{
    TSestDlg dlg(report);
    EXPECT_EQ(dlg.windowTitle(), "Nastavení parametrů sestavy");
    EXPECT_EQ(dlg.Tabs->count(), 5);
    EXPECT_EQ(dlg.Formaty->currentItem()->text(), "A4 (210 x 297 mm)");
    EXPECT_EQ(dlg.Formaty->count(), 17);
    EXPECT_EQ(dlg.OkrajHorni->text(), "70");
    EXPECT_TRUE(dlg.NaVysku->isChecked());
    EXPECT_EQ(dlg.PocetSloupcu->value(), 1);
    EXPECT_TRUE(dlg.Graficky->isChecked());
    EXPECT_TRUE(dlg.ZobrazovatRastr->isChecked());
    EXPECT_EQ(dlg.RastrX->text(), "8");
    EXPECT_EQ(dlg.OddilVyska[0]->text(), "96");
    EXPECT_FALSE(dlg.OddilViditelny[3]->isChecked());
    EXPECT_TRUE(dlg.PrvniBezHlavy->isChecked());
    ASSERT_EQ(dlg.Skupiny->count(), 1);
    EXPECT_EQ(dlg.Skupiny->item(0)->text(), "Skupina 1");
    EXPECT_EQ(dlg.SkupinaVyraz->text(), "#1");
    EXPECT_EQ(dlg.SkupinaPataVyska->text(), "30");
    EXPECT_EQ(dlg.RozmerPapiru->text(), "826 x 1169 0,01 inch");
    EXPECT_EQ(dlg.RozmerStitku->text(), "726 x 1029 0,01 inch");
}

TEST_F(ReportSettings, OnePageOnly)
{
    TSestDlg dlg(report, TSestDlg::pgPapir);
    for (int i = 0; i < dlg.Tabs->count(); ++i)
        EXPECT_EQ(dlg.Tabs->isTabVisible(i), i == TSestDlg::pgPapir);
    EXPECT_EQ(dlg.Tabs->currentIndex(), TSestDlg::pgPapir);
}

TEST_F(ReportSettings, PaperSizeNearAFormatSelectsIt)
{
    report.Context.PageSetup.PaperWidth = 827;
    report.Context.PageSetup.PaperHeight = 1170;
    {
        TSestDlg dlg(report);
        EXPECT_EQ(dlg.Formaty->currentItem()->text(), "A4 (210 x 297 mm)");
    }
    report.Context.PageSetup.PaperWidth = 840;
    report.Context.PageSetup.PaperHeight = 1169;
    TSestDlg dlg(report);
    EXPECT_EQ(dlg.Formaty->count(), 18);   // a new, unsaved "uživ. formát"
    EXPECT_EQ(dlg.Formaty->currentItem()->text(), "uživ. formát");
    dlg.show();
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_EQ(report.Context.PageSetup.PaperWidth, 840);   // kept as it was
}

TEST_F(ReportSettings, StoresPaperOrientationAndColumns)
{
    TSestDlg dlg(report);
    dlg.show();
    dlg.Formaty->setCurrentRow(6);   // A3
    dlg.NaSirku->setChecked(true);
    dlg.PovolitOrientaci->setChecked(true);
    typeOver(dlg.OkrajLevy, "100");
    dlg.PocetSloupcu->setValue(0);
    typeOver(dlg.MezeraSloupcu, "20");
    dlg.Popis->setText("Seznam ocelí");
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    const TPageSetup &ps = report.Context.PageSetup;
    EXPECT_EQ(ps.PaperWidth, 1169);
    EXPECT_EQ(ps.PaperHeight, 1652);
    EXPECT_EQ(ps.Orientation, 1);
    EXPECT_EQ(ps.sheetWidth(), 1652);
    EXPECT_TRUE(ps.KeepPrinterOrientation);
    EXPECT_EQ(ps.MarginLeft, 100);
    EXPECT_EQ(report.Columns, 1);   // 0 columns is stored as 1
    EXPECT_EQ(report.ColumnGap, 20);
    EXPECT_EQ(report.Popis, "Seznam ocelí");
    // The template written afterwards carries the new page.
    EXPECT_TRUE(writeTemplate(report).contains("I,2,3,1169,1652,100,50,70,70,1,20"));
}

TEST_F(ReportSettings, MarginsWithoutPrintableWidthAreRefused)
{
    TSestDlg dlg(report);
    dlg.show();
    typeOver(dlg.OkrajLevy, "400");
    typeOver(dlg.OkrajPravy, "426");
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(msgs.Texts.size(), 1);
    EXPECT_TRUE(msgs.Texts.front().contains("žádné místo pro tisk"));
    EXPECT_EQ(report.Context.PageSetup.MarginLeft, 50);   // nothing stored
    typeOver(dlg.OkrajPravy, "425");
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(report.Context.PageSetup.printableWidth(), 1);
}

TEST_F(ReportSettings, NonNumberKeepsThePreviousValue)
{
    TSestDlg dlg(report);
    dlg.show();
    typeOver(dlg.OkrajHorni, "abc");
    typeOver(dlg.OddilVyska[2], "4x");
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_EQ(report.Context.PageSetup.MarginTop, 70);
    EXPECT_EQ(report.section(skBody)->Height, 20);
}

TEST_F(ReportSettings, LengthsInTheDisplayUnit)
{
    TSestDlg dlg(report);
    dlg.show();
    dlg.Jednotky->setCurrentIndex(1);   // 0,1 mm
    EXPECT_EQ(dlg.OkrajLevy->text(), "127");   // 50 x 2.54
    EXPECT_EQ(dlg.RozmerPapiru->text(), "2098 x 2969 0,1 mm");
    typeOver(dlg.OkrajPravy, "254");
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_EQ(report.UnitsIndex, 1);
    EXPECT_EQ(report.Context.PageSetup.MarginLeft, 50);    // unchanged text: exactly the old value
    EXPECT_EQ(report.Context.PageSetup.MarginRight, 100);
}

TEST_F(ReportSettings, MarginCheckAgainstThePrinter)
{
    // A printer that cannot print the outer 0.25 inch.
    SetPrinterMarginSource([](int) { return std::optional<TPrinterMargins>({25, 25, 25, 25}); });
    {
        msgs.Answer = TAnswer::Cancel;
        TSestDlg dlg(report);
        dlg.show();
        typeOver(dlg.OkrajLevy, "20");
        QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(msgs.Questions, 1);
        EXPECT_EQ(msgs.Texts.back(), "Nastavené okraje tisku jsou menší, než umožňuje připojená "
                                     "tiskárna. Upravit velikost okrajů podle možností tiskárny?");
        EXPECT_EQ(msgs.Captions.back(), "Potvrzení");
        EXPECT_EQ(report.Context.PageSetup.MarginLeft, 50);
        msgs.Answer = TAnswer::Yes;
        QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(report.Context.PageSetup.MarginLeft, 25);
    }
    {
        msgs.Answer = TAnswer::No;
        TSestDlg dlg(report);
        dlg.show();
        typeOver(dlg.OkrajLevy, "20");
        QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
        EXPECT_EQ(report.Context.PageSetup.MarginLeft, 20);
    }
    {
        // Character mode is not checked against the graphic printer.
        TSestDlg dlg(report);
        dlg.show();
        typeOver(dlg.OkrajLevy, "10");
        dlg.Znakovy->setChecked(true);
        const int asked = msgs.Questions;
        QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
        EXPECT_EQ(msgs.Questions, asked);
        EXPECT_EQ(report.Context.PageSetup.MarginLeft, 10);
    }
}

TEST_F(ReportSettings, CharacterModeGrid)
{
    TSestDlg dlg(report);
    dlg.show();
    dlg.Znakovy->setChecked(true);
    EXPECT_FALSE(dlg.RastrX->isEnabled());
    dlg.Roztec17->setChecked(true);
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_TRUE(report.CharacterMode);
    EXPECT_EQ(report.PitchCode, 2);
    EXPECT_EQ(report.GridX, 5);    // 100 / 17 truncated
    EXPECT_EQ(report.GridY, 16);   // line height code 0: 100 / 6

    TSestDlg back(report);
    back.show();
    back.Graficky->setChecked(true);
    typeOver(back.RastrX, "0");
    typeOver(back.RastrY, "12");
    QTest::mouseClick(back.OKBtn, Qt::LeftButton);
    EXPECT_FALSE(report.CharacterMode);
    EXPECT_EQ(report.GridX, 8);   // below 1: 8
    EXPECT_EQ(report.GridY, 12);
}

TEST_F(ReportSettings, SectionsFlagsAndBackground)
{
    TSestDlg dlg(report);
    dlg.show();
    dlg.OddilViditelny[3]->setChecked(true);
    typeOver(dlg.OddilVyska[3], "50");
    dlg.PrvniBezHlavy->setChecked(false);
    dlg.PosledniBezHlavy->setChecked(true);
    dlg.NovaStrankaZaznam->setChecked(true);
    dlg.KonecDole->setChecked(true);
    dlg.VychoziPozadi->setChecked(false);
    dlg.TisknoutPozadi->setChecked(true);
    dlg.SouborPozadi->setText("pozadi.png");
    dlg.CelyPapir->setChecked(false);
    typeOver(dlg.PozadiSirka, "300");
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_TRUE(report.section(skReportFooter)->Visible);
    EXPECT_EQ(report.section(skReportFooter)->Height, 50);
    EXPECT_FALSE(report.NoHeaderOnFirstPage);
    EXPECT_TRUE(report.NoHeaderAfterBreak);
    EXPECT_TRUE(report.NewPagePerRecord);
    EXPECT_TRUE(report.ReportFooterAtBottom);
    EXPECT_TRUE(report.OwnBackground);
    EXPECT_TRUE(report.PrintOwnBackground);
    EXPECT_EQ(report.BackgroundFile, "pozadi.png");
    EXPECT_TRUE(report.BackgroundPlaced);
    EXPECT_EQ(report.BackgroundWidth, 300);
    const QStringList lines = writeTemplate(report);
    EXPECT_TRUE(lines.contains("I,3,1,1,28,2"));
    EXPECT_TRUE(lines.contains("I,7,1,1,1,0,0,300,0,pozadi.png"));
}

TEST_F(ReportSettings, Groups)
{
    TSestDlg dlg(report);
    dlg.show();
    // The first group changed, a second added, then the first removed and added again.
    typeOver(dlg.SkupinaVyraz, "#2");
    typeOver(dlg.SkupinaHlavaVyska, "40");
    QTest::mouseClick(dlg.PridatSkupinu, Qt::LeftButton);
    EXPECT_EQ(dlg.Skupiny->count(), 2);
    EXPECT_EQ(dlg.Skupiny->currentRow(), 1);
    typeOver(dlg.SkupinaVyraz, "#3");
    dlg.SkupinaNovaStrana->setChecked(true);
    dlg.Skupiny->setCurrentRow(0);
    EXPECT_EQ(dlg.SkupinaVyraz->text(), "#2");
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    ASSERT_EQ(report.Groups.count(), 2);
    EXPECT_EQ(report.Groups.at(0)->Expression, "#2");
    EXPECT_EQ(report.Groups.at(0)->GroupHeader->Height, 40);
    // The kept group keeps its elements.
    EXPECT_EQ(report.Groups.at(0)->GroupHeader->elementCount(), 1);
    EXPECT_EQ(report.Groups.at(1)->Expression, "#3");
    EXPECT_TRUE(report.Groups.at(1)->NewPage);

    TSestDlg dlg2(report);
    dlg2.show();
    dlg2.Skupiny->setCurrentRow(0);
    QTest::mouseClick(dlg2.ZrusitSkupinu, Qt::LeftButton);
    EXPECT_EQ(dlg2.Skupiny->item(0)->text(), "Skupina 1");
    EXPECT_EQ(dlg2.SkupinaVyraz->text(), "#3");
    QTest::mouseClick(dlg2.OKBtn, Qt::LeftButton);
    ASSERT_EQ(report.Groups.count(), 1);
    EXPECT_EQ(report.Groups.at(0)->Expression, "#3");
    EXPECT_EQ(report.Sections.count(), kFixedSections + 2);
}

TEST_F(ReportSettings, StornoChangesNothing)
{
    const QStringList before = writeTemplate(report);
    TSestDlg dlg(report);
    dlg.show();
    typeOver(dlg.OkrajLevy, "200");
    dlg.Znakovy->setChecked(true);
    QTest::mouseClick(dlg.PridatSkupinu, Qt::LeftButton);
    QTest::mouseClick(dlg.StornoBtn, Qt::LeftButton);
    EXPECT_EQ(writeTemplate(report), before);
}

namespace {
// Answers the format dialog that opens next: a new name and width, then OK or cancel.
void answerFormatDialog(const QString &name, const QString &width, bool ok)
{
    QTimer::singleShot(0, [=] {
        auto *dlg = qobject_cast<TFormatDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dlg);
        dlg->nameEdit()->setText(name);
        dlg->widthEdit()->setText(width);
        if (ok)
            dlg->accept();
        else
            dlg->reject();
    });
}
} // namespace

TEST_F(ReportSettings, UserFormatsAddedAndDeletedAreSavedAtOnce)
{
    TSestDlg dlg(report);
    dlg.show();
    EXPECT_FALSE(dlg.VynechBtn->isEnabled());
    EXPECT_EQ(dlg.UkazBtn->text(), "Ukaž");
    answerFormatDialog("Štítky", "400", true);
    QTest::mouseClick(dlg.PridejBtn, Qt::LeftButton);
    ASSERT_EQ(dlg.Formaty->count(), 18);
    EXPECT_EQ(dlg.Formaty->currentItem()->text(), "Štítky");
    EXPECT_EQ(dlg.UkazBtn->text(), "Oprav");
    EXPECT_TRUE(dlg.VynechBtn->isEnabled());
    EXPECT_EQ(dlg.paperWidth(), 400);
    EXPECT_EQ(dlg.paperHeight(), 1169);   // the size of the selected A4
    const QString ini = settingsDir.filePath("SestDLL.ini");
    {
        QSettings s(ini, QSettings::IniFormat);
        EXPECT_EQ(s.value("FormatyPapiru/PocetFormatu").toInt(), 1);
    }
    // A cancelled new format is not kept.
    answerFormatDialog("Zbytečný", "300", false);
    QTest::mouseClick(dlg.PridejBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.Formaty->count(), 18);

    msgs.Texts.clear();
    QTest::mouseClick(dlg.VynechBtn, Qt::LeftButton);   // the question answered No
    EXPECT_EQ(msgs.Texts, QStringList{"Zrušit vybraný uživatelský formát?"});
    EXPECT_EQ(dlg.Formaty->count(), 18);
    setSestMessageHandler([](TSestMessageKind, const QString &, const QString &) { return true; });
    QTest::mouseClick(dlg.VynechBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.Formaty->count(), 17);
    {
        QSettings s(ini, QSettings::IniFormat);
        EXPECT_EQ(s.value("FormatyPapiru/PocetFormatu").toInt(), 0);
    }
    // The user format chosen before is read by the next dialog.
    TListFormatu list;
    list.Load(ini);
    EXPECT_EQ(list.count(), 17);
}
