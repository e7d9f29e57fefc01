// The print dialog and its stored values, the print-options arithmetic, and printing a
// report through the preview's print command into a PDF file that poppler reads back.

#include "UiTestSupport.h"

#include "report/output/OutputStore.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/Printers.h"
#include "report/output/Sestava.h"
#include "report/ui/ComboBoxPredloha.h"
#include "report/ui/ComboBoxPrinter.h"
#include "report/ui/PreviewWindow.h"
#include "report/ui/PrintDialog.h"
#include "report/ui/TolvaReportZoom.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv;

namespace {

struct DialogRunner {
    std::function<int(TSestPrintDlg &)> answer;
    int shown = 0;
    DialogRunner()
    {
        TPrintDialogTyp::runner() = [this](TSestPrintDlg &d) {
            ++shown;
            return answer ? answer(d) : 0;
        };
    }
    ~DialogRunner() { TPrintDialogTyp::runner() = {}; }
};

} // namespace

TEST(PrintDialog, ValuesAreStoredBackOnlyWhenNotCancelled)
{
    uitest::Messages msg;
    DialogRunner run;
    TPrintDialogTyp d;
    EXPECT_EQ(d.Caption, QString::fromUtf8("Nastavení tisku"));
    d.FromPage = 2;
    d.ToPage = 5;
    d.Copies = 3;
    d.ShowCurrentPage = true;
    d.ShowTemplateGroup = false;
    d.PreviewAllowed = false;
    run.answer = [](TSestPrintDlg &w) {
        EXPECT_EQ(w.fromPage()->value(), 2);
        EXPECT_EQ(w.copies()->value(), 3);
        EXPECT_TRUE(w.templateGroup()->isHidden());
        EXPECT_FALSE(w.pageGroup()->isHidden());
        EXPECT_FALSE(w.previewButton()->isEnabled());
        EXPECT_TRUE(w.oneRecord()->isHidden());
        EXPECT_FALSE(w.currentPage()->isHidden());
        w.currentPage()->setChecked(true);
        EXPECT_FALSE(w.fromPage()->isEnabled());
        w.toPage()->setValue(4);
        w.copies()->setValue(2);
        w.printerCombo()->setPrinterIndex(PdfPrinterIndex());
        EXPECT_EQ(w.deviceLabel()->text(), QString::fromUtf8("Tisk do souboru PDF"));
        EXPECT_FALSE(w.propertiesButton()->isEnabled());
        EXPECT_TRUE(w.printButton()->isEnabled());
        return int(TPrintDialogTyp::prCancel);
    };
    EXPECT_EQ(d.Execute(), TPrintDialogTyp::prCancel);
    EXPECT_EQ(d.ToPage, 5);
    EXPECT_FALSE(d.CurrentPage);

    run.answer = [](TSestPrintDlg &w) {
        w.currentPage()->setChecked(true);
        w.toPage()->setValue(4);
        w.copies()->setValue(2);
        w.printBackground()->setChecked(true);
        w.printerCombo()->setPrinterIndex(PdfPrinterIndex());
        w.printButton()->click();
        return w.Result;
    };
    EXPECT_EQ(d.Execute(), TPrintDialogTyp::prPrint);
    EXPECT_EQ(d.ToPage, 4);
    EXPECT_EQ(d.Copies, 2);
    EXPECT_TRUE(d.CurrentPage);
    EXPECT_TRUE(d.PrintBackground);
    EXPECT_EQ(d.PrinterIndex, PdfPrinterIndex());
    EXPECT_EQ(run.shown, 2);
    // The next call starts from the values kept.
    run.answer = [](TSestPrintDlg &w) {
        EXPECT_EQ(w.toPage()->value(), 4);
        EXPECT_TRUE(w.currentPage()->isChecked());
        EXPECT_TRUE(w.printerCombo()->isPdfChosen());
        w.editButton()->click();
        return w.Result;
    };
    EXPECT_EQ(d.Execute(), TPrintDialogTyp::prEdit);
}

TEST(PrintDialog, WithoutSystemPrinterOnlyThePdfFileRemains)
{
    if (!SystemPrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has printers";
    DialogRunner run;
    TPrintDialogTyp d;
    d.ShowToFile = true;
    run.answer = [](TSestPrintDlg &w) {
        EXPECT_TRUE(w.printerCombo()->isPdfChosen());
        EXPECT_FALSE(w.printerCombo()->isEnabled());
        EXPECT_FALSE(w.propertiesButton()->isEnabled());
        EXPECT_FALSE(w.toFile()->isEnabled());
        EXPECT_TRUE(w.printButton()->isEnabled());
        return 0;
    };
    d.Execute();
    EXPECT_EQ(run.shown, 1);
}

TEST(PrintOptions, TilesScaleAndImpossibleLayouts)
{
    // A sheet one and a half times the printer's width: two columns.
    TTilingAnswer a = ComputeTiling(toTiles, 1239, 1169, 826, 1169, 25, 25, 25, 25);
    EXPECT_TRUE(a.Valid);
    EXPECT_EQ(a.Columns, 2);
    EXPECT_EQ(a.Rows, 1);
    EXPECT_EQ(a.Scale, 100);
    a = ComputeTiling(toScale, 1652, 2338, 826, 1169, 25, 25, 25, 25);
    EXPECT_EQ(a.Scale, 50);
    EXPECT_EQ(a.Columns, 1);
    a = ComputeTiling(toCut, 1652, 2338, 826, 1169, 25, 25, 25, 25);
    EXPECT_EQ(a.Scale, 100);
    EXPECT_EQ(a.Rows, 1);
    // Margins as wide as the paper leave no step: refused instead of looping for ever.
    a = ComputeTiling(toTiles, 2000, 1169, 826, 1169, 413, 25, 413, 25);
    EXPECT_FALSE(a.Valid);

    TPrintTiling t;
    t.SheetWidth = 1239;
    t.SheetHeight = 1169;
    t.MarginLeft = t.MarginRight = t.MarginTop = t.MarginBottom = 25;
    TFormTolvaReportZoom w(t);
    w.setPrinterPage(826, 1169);
    EXPECT_EQ(w.sheetLabel()->text(), "1239 x 1169");
    EXPECT_EQ(w.printerLabel()->text(), "826 x 1169");
    w.setOption(toScale);
    EXPECT_EQ(w.scaleLabel()->text(), "66 %");
    w.setTurned(true);
    EXPECT_EQ(w.printerWidth(), 1169);
    EXPECT_EQ(w.answer().Scale, 70);   // min(1169 x 100 / 1239, 826 x 100 / 1169)
    w.setOption(toTiles);
    EXPECT_EQ(w.answer().Columns, 2);
}

class PrintToPdf : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(uitest::runThreePageReport(report, data), seOk);
    }
    void TearDown() override { SetCurrentPrinter(nullptr); }

    // Prints from the preview window with the dialog answered by the function; the PDF's
    // pdfinfo output.
    QString printFromPreview(const std::function<void(TSestPrintDlg &)> &fill, int showPage = 0)
    {
        DialogRunner run;
        run.answer = [&](TSestPrintDlg &w) {
            w.printerCombo()->setPrinterIndex(PdfPrinterIndex());
            fill(w);
            w.printButton()->click();
            return w.Result;
        };
        const QString file = dir.filePath(QStringLiteral("Tisk%1.pdf").arg(++count));
        save.files << file;
        TPreviewOptions o;
        o.WindowState = wsNormal;
        TFormSestP w(report, o);
        w.ShowPage(showPage);
        w.PrintPreview();
        EXPECT_EQ(w.currentPage(), showPage);
        if (!QFileInfo::exists(file))
            return {};
        last = file;
        return uitest::run("pdfinfo", {file});
    }

    uitest::Messages msg;
    uitest::SaveAnswers save;
    runtest::MemoryBridge data;
    TSestava report;
    QTemporaryDir dir;
    QString last;
    int count = 0;
};

TEST_F(PrintToPdf, AllPagesWithCzechText)
{
    if (!uitest::have("pdfinfo") || !uitest::have("pdftotext"))
        GTEST_SKIP() << "poppler-utils missing";
    int before = 0, after = 0;
    report.BeforePrintPreview = [&](TSestava &) { ++before; };
    report.AfterPrintPreview = [&](TSestava &) { ++after; };
    const QString info = printFromPreview([](TSestPrintDlg &) {});
    ASSERT_FALSE(info.isEmpty()) << msg.texts.join("; ").toStdString();
    EXPECT_EQ(uitest::pdfinfoField(info, "Pages"), "3");
    // The report's sheet: 8.26 x 11 inches.
    const QStringList size = uitest::pdfinfoField(info, "Page size").split(' ');
    ASSERT_GE(size.size(), 3);
    EXPECT_NEAR(size[0].toDouble(), 594.7, 1.5);
    EXPECT_NEAR(size[2].toDouble(), 792.0, 1.5);
    const QString text = uitest::run("pdftotext", {"-enc", "UTF-8", last, "-"});
    EXPECT_TRUE(text.contains(QString::fromUtf8("Přehled oceli – žluťoučký kůň"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Ocel 17 240 ťuk")));
    EXPECT_EQ(save.asked.at(0).DefaultSuffix, "pdf");
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(msg.texts.isEmpty()) << msg.texts.join("; ").toStdString();
}

TEST_F(PrintToPdf, CopiesRangesAndTheCurrentPage)
{
    if (!uitest::have("pdfinfo") || !uitest::have("pdftotext"))
        GTEST_SKIP() << "poppler-utils missing";
    QString info = printFromPreview([](TSestPrintDlg &w) { w.copies()->setValue(2); });
    EXPECT_EQ(uitest::pdfinfoField(info, "Pages"), "6");

    info = printFromPreview([](TSestPrintDlg &w) {
        w.fromPage()->setValue(2);
        w.toPage()->setValue(3);
    });
    EXPECT_EQ(uitest::pdfinfoField(info, "Pages"), "2");
    QString text = uitest::run("pdftotext", {"-enc", "UTF-8", last, "-"});
    EXPECT_FALSE(text.contains(QString::fromUtf8("11 373")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("14 220")));

    // The current page, whatever the range says.
    info = printFromPreview([](TSestPrintDlg &w) {
        w.fromPage()->setValue(1);
        w.toPage()->setValue(3);
        w.currentPage()->setChecked(true);
    }, 2);
    EXPECT_EQ(uitest::pdfinfoField(info, "Pages"), "1");
    text = uitest::run("pdftotext", {"-enc", "UTF-8", last, "-"});
    EXPECT_TRUE(text.contains(QString::fromUtf8("17 240")));
    EXPECT_FALSE(text.contains(QString::fromUtf8("14 220")));
}

TEST_F(PrintToPdf, NoFileNamed)
{
    DialogRunner run;
    run.answer = [](TSestPrintDlg &w) {
        w.printerCombo()->setPrinterIndex(PdfPrinterIndex());
        return int(TPrintDialogTyp::prPrint);
    };
    save.files << QString();
    TPreviewOptions o;
    o.WindowState = wsNormal;
    TFormSestP w(report, o);
    w.PrintPreview();
    if (SystemPrinterNames().isEmpty())
        EXPECT_EQ(msg.texts.value(0), QString::fromUtf8("V systému není nainstalovaná žádná tiskárna."));
    else
        EXPECT_TRUE(msg.texts.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(PrintToPdf, ReportPrintOnThePdfEntry)
{
    if (!uitest::have("pdfinfo"))
        GTEST_SKIP() << "poppler-utils missing";
    report.StartPage = 2;
    const QString file = dir.filePath("Primo.pdf");
    EXPECT_EQ(report.PrintOnPort(PdfPrinterIndex(), file), seOk);
    EXPECT_EQ(uitest::pdfinfoField(uitest::run("pdfinfo", {file}), "Pages"), "2");
    // A second and a third job on the PDF entry: each makes its own writer, and the one of
    // the job before must not be taken for the printer to go back to (it is gone).
    for (const char *name : {"Podruhe.pdf", "Potreti.pdf"}) {
        const QString again = dir.filePath(QString::fromLatin1(name));
        EXPECT_EQ(report.PrintOnPort(PdfPrinterIndex(), again), seOk) << name;
        EXPECT_EQ(uitest::pdfinfoField(uitest::run("pdfinfo", {again}), "Pages"), "2") << name;
    }
}
