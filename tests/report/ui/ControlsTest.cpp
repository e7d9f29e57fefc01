// The controls applications put on their print windows: the print button with its states
// and captions, the printer list with its PDF entry, and the template list.

#include "UiTestSupport.h"

#include "report/output/Printers.h"
#include "report/output/Sestava.h"
#include "report/ui/ComboBoxPredloha.h"
#include "report/ui/ComboBoxPrinter.h"
#include "report/ui/FormInfo.h"
#include "report/ui/PrintButton.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace orv;

namespace {

void writeTemplate(const QString &file, const QString &description)
{
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    QStringList lines;
    if (!description.isEmpty())
        lines << "I,0," + description;
    lines << "I,1,5,50,0" << "I,2,0,826,1169,50,50,70,70,1,0";
    f.write(lines.join("\r\n").toLatin1() + "\r\n");
}

} // namespace

TEST(PrintButton, CaptionsOfEachType)
{
    tPrintButton b;
    EXPECT_EQ(b.sizeHint(), QSize(75, 25));
    EXPECT_EQ(b.State(), tPrintButton::bsPrint);
    EXPECT_EQ(b.CaptionType(), tPrintButton::ctCzech);
    EXPECT_EQ(b.text(), "&Tisk");
    // Only a-z are raised in the initial user captions.
    EXPECT_EQ(b.UserCaptions(), (QStringList{"&TISK", QString::fromUtf8("&PřEDTISK"), "&EDITACE"}));
    b.setCaptionType(tPrintButton::ctEnglish);
    b.setState(tPrintButton::bsPreview);
    EXPECT_EQ(b.text(), "Pre&view");
    b.setCaptionType(tPrintButton::ctUser);
    EXPECT_EQ(b.text(), QString::fromUtf8("&PřEDTISK"));
    EXPECT_THROW(b.setUserCaptions({"a", "b"}), std::invalid_argument);
    b.setUserCaptions({"Jedna", "Dva", "Tři"});
    EXPECT_EQ(b.text(), "Dva");
    b.setCaption("&Náhled");
    EXPECT_EQ(b.CaptionType(), tPrintButton::ctSingle);
    b.setState(tPrintButton::bsPrint);
    EXPECT_EQ(b.text(), "&Náhled");
    // While loading, the caption keeps the type.
    tPrintButton loaded;
    loaded.Loading = true;
    loaded.setCaption("X");
    EXPECT_EQ(loaded.CaptionType(), tPrintButton::ctCzech);
}

TEST(PrintButton, RightButtonCyclesStates)
{
    tPrintButton b;
    b.show();
    auto right = [&] { QTest::mousePress(&b, Qt::RightButton); };
    right();
    EXPECT_EQ(b.State(), tPrintButton::bsPreview);
    EXPECT_EQ(b.text(), QString::fromUtf8("&Předtisk"));
    right();
    EXPECT_EQ(b.State(), tPrintButton::bsPrint);   // edit not enabled
    b.setEditEnabled(true);
    right();
    right();
    EXPECT_EQ(b.State(), tPrintButton::bsEdit);
    EXPECT_EQ(b.text(), "&Editace");
    right();
    EXPECT_EQ(b.State(), tPrintButton::bsPrint);
    right();
    right();
    ASSERT_EQ(b.State(), tPrintButton::bsEdit);
    b.setEditEnabled(false);
    EXPECT_EQ(b.State(), tPrintButton::bsPrint);
    b.setStateEnabled(false);
    right();
    EXPECT_EQ(b.State(), tPrintButton::bsPrint);
}

TEST(PrintButton, ClickSetsParametersAndRunsTheStatesOperation)
{
    runtest::ensureApp();
    uitest::Messages msg;
    QTemporaryDir dir;
    const QString ini = dir.filePath("params.ini");
    {
        QFile f(ini);
        f.open(QIODevice::WriteOnly);
        f.write("[jine]\n1=ne\n[Prehled]\n2=druhy\n1=prvni, s carkou\n");
    }
    runtest::MemoryBridge data;
    TSestava report;
    uitest::prepareThreePageReport(report, data);
    report.setReportName("Prehled.pts");
    int previews = 0;
    QStringList seen;
    auto saved = sestavaEntryPoints().Preview;
    sestavaEntryPoints().Preview = [&](TSestava &r, const QRect &, int, int, int) {
        ++previews;
        seen = r.Parametry;
        return 1;
    };
    tPrintButton b;
    b.setReport(&report);
    b.setParamsIniFile(ini);
    QStringList order;
    b.AfterParams = [&](tPrintButton &) { order << "params"; };
    b.AfterReport = [&](tPrintButton &) { order << "after"; };
    b.setState(tPrintButton::bsPreview);
    b.show();
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(seen, (QStringList{"prvni, s carkou", "druhy"}));
    EXPECT_EQ(order, (QStringList{"params", "after"}));
    EXPECT_EQ(b.LastResult, 1);
    // OnReport replaces the operation.
    int own = 0;
    b.OnReport = [&](tPrintButton &) { ++own; };
    QTest::keyClick(&b, Qt::Key_Space);
    EXPECT_EQ(own, 1);
    EXPECT_EQ(previews, 1);
    // The report goes away: the button forgets it and a click does nothing.
    b.OnReport = nullptr;
    b.setReport(nullptr);
    b.runAction();
    EXPECT_EQ(previews, 1);
    sestavaEntryPoints().Preview = saved;
}

TEST(PrinterCombo, OffersThePdfEntry)
{
    TComboBoxPrinter combo;
    const QStringList names = PrinterNames();
    ASSERT_EQ(combo.count(), names.size());
    EXPECT_EQ(combo.itemText(combo.count() - 1), QString::fromUtf8("Tisk do souboru PDF"));
    combo.setPrinterIndex(PdfPrinterIndex());
    EXPECT_TRUE(combo.isPdfChosen());
    EXPECT_EQ(combo.PrinterIndex(), PdfPrinterIndex());
    combo.setPrinterIndex(names.size() + 3);
    EXPECT_EQ(combo.PrinterIndex(), -1);
    combo.setPrinterIndex(-1);
    if (SystemPrinterNames().isEmpty())
        EXPECT_TRUE(combo.isPdfChosen());
    else
        EXPECT_EQ(combo.PrinterIndex(), DefaultPrinterIndex());
    const QString chosen = combo.currentText();
    combo.setSorted(true);
    EXPECT_EQ(combo.currentText(), chosen);
    combo.Refresh();
    EXPECT_EQ(combo.currentText(), chosen);
}

TEST(TemplateCombo, FolderWithCapitalsInNames)
{
    QTemporaryDir dir;
    // The designer writes the description quoted; the list shows it without its quotes.
    writeTemplate(dir.filePath("MaterialyCSN.pts"), "\"Seznam oceli, \"\"nerez\"\"\"");
    writeTemplate(dir.filePath("Stara.PTS"), "");
    writeTemplate(dir.filePath("TepelneZprac.pts"), "");
    writeTemplate(dir.filePath("readme.txt"), "neni");
    QDir().mkdir(dir.filePath("Slozka.pts"));
    TSestava report;
    TComboBoxPredloha combo;
    combo.setReport(&report);
    combo.setReportDirIgnore(false);
    combo.setReportDir(dir.path());
    EXPECT_TRUE(combo.ReportDir().endsWith('/'));
    combo.setReportMask("*.sts");
    EXPECT_EQ(combo.ReportMask(), "*.pts");
    combo.Refresh();
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(0), "Seznam oceli, \"nerez\"");
    EXPECT_EQ(combo.itemText(1), "Stara.PTS");
    EXPECT_EQ(combo.itemText(2), "TepelneZprac.pts");
    EXPECT_EQ(combo.templatePath(0), dir.filePath("MaterialyCSN.pts"));

    // A name given in another case finds the file and keeps the case it has on disk.
    ASSERT_TRUE(combo.selectFile(dir.filePath("MATERIALYcsn.PTS")));
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(report.ReportName(), dir.filePath("MaterialyCSN.pts"));
    EXPECT_TRUE(QFile::exists(report.ReportName()));
    EXPECT_FALSE(combo.selectFile(dir.filePath("chybi.pts")));

    // The shown entry stays chosen when the list is read again.
    combo.setCurrentIndex(2);
    writeTemplate(dir.filePath("Aaa.pts"), "");
    combo.Refresh();
    EXPECT_EQ(combo.currentText(), "TepelneZprac.pts");
    EXPECT_EQ(combo.count(), 4);

    // A handler fills the list instead.
    combo.OnNactiSeznam = [](TComboBoxPredloha &c) { c.addTemplate("Jen jedna", "/x/Jedna.pts"); };
    combo.Refresh();
    ASSERT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.templatePath(), QString());
    combo.setCurrentIndex(0);
    EXPECT_EQ(combo.templatePath(), "/x/Jedna.pts");
}

TEST(ProgressWindow, RecordTextSendingAndAbort)
{
    TFormInfo info(QString::fromUtf8("Informace"));
    info.ShowRecord(12);
    EXPECT_EQ(info.textLabel()->text(), QString::fromUtf8("Připravuji tisk položky číslo: 12"));
    EXPECT_EQ(info.abortButton()->text(), QString::fromUtf8("Přerušit"));
    EXPECT_FALSE(info.cancelled());
    info.abortButton()->click();
    EXPECT_TRUE(info.cancelled());
    EXPECT_TRUE(*info.abortFlag());
    info.ShowSending();
    EXPECT_EQ(info.textLabel()->text(), QString::fromUtf8("Odesílám data do tiskárny ..."));
    EXPECT_FALSE(info.abortButton()->isEnabled());
}

TEST(PrintButton, PaintsTheGlyphOfItsState)
{
    tPrintButton b;
    b.resize(75, 25);
    auto glyphPixels = [&] {
        const QImage img = b.grab().toImage();
        // The preview glyph has a light blue lens; the print glyph has none.
        int blue = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                blue += c.blue() > 200 && c.red() < 190 && c.green() > 180;
            }
        return blue;
    };
    EXPECT_EQ(glyphPixels(), 0);
    b.setState(tPrintButton::bsPreview);
    EXPECT_GT(glyphPixels(), 3);
    b.setShowGlyph(false);
    EXPECT_EQ(glyphPixels(), 0);
}
