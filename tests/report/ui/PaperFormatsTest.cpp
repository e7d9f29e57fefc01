// Paper formats: the predefined list, the look-up by size, the user formats in the settings
// file (written and read back, also as another INI writer leaves them), and the margin check
// against what the printer cannot print.

#include "UiTestSupport.h"

#include "report/output/PaperFormats.h"
#include "report/output/Printers.h"
#include "report/output/ReportUnits.h"
#include "report/ui/FormatDialog.h"

#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv;

namespace {

QString readAll(const QString &file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

void writeAll(const QString &file, const QString &text)
{
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    f.write(text.toUtf8());
}

} // namespace

TEST(PaperFormats, PredefinedListInOrder)
{
    TListFormatu list;
    ASSERT_EQ(list.count(), 17);
    EXPECT_EQ(list.Name(0), QString::fromUtf8("Skládaný (8.5 x 12\")"));
    EXPECT_EQ(list.Name(7), "A4 (210 x 297 mm)");
    EXPECT_EQ(list.Format(7).Width, 826);
    EXPECT_EQ(list.Format(7).Height, 1169);
    EXPECT_EQ(list.Name(9), "A6 (105 x 148.5mm)");
    EXPECT_EQ(list.Name(14), QString::fromUtf8("Obálka otoč.(114 x 162 mm)"));
    EXPECT_EQ(list.Format(16).Width, 637);
    EXPECT_EQ(list.Format(16).Height, 896);
    EXPECT_FALSE(list.Delete(3));
    EXPECT_EQ(list.count(), 17);
}

TEST(PaperFormats, FindOrAddWithinOnePercent)
{
    TListFormatu list;
    EXPECT_EQ(list.FindOrAdd(827, 1170), 7);
    EXPECT_EQ(list.count(), 17);
    const int added = list.FindOrAdd(840, 1169);
    EXPECT_EQ(added, 17);
    EXPECT_EQ(list.Name(added), QString::fromUtf8("uživ. formát"));
    EXPECT_EQ(list.Format(added).Width, 840);
    // The new entry is found again rather than added twice.
    EXPECT_EQ(list.FindOrAdd(840, 1169), 17);
}

TEST(PaperFormats, SaveAfterDeletionKeepsOtherSections)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("SestDLL.ini");
    writeAll(ini, "[Designer]\nGrid=10\n\n[FormatyPapiru]\nPocetFormatu=0\n");
    TListFormatu list;
    list.Load(ini);
    list.Add(QString::fromUtf8("Štítky"), 400, 300);
    list.Add(QString::fromUtf8("Pás"), 300, 2000);
    ASSERT_TRUE(list.Save(ini));
    TListFormatu back;
    back.Load(ini);
    ASSERT_EQ(back.count(), 19);
    EXPECT_EQ(back.Name(18), QString::fromUtf8("Pás"));

    ASSERT_TRUE(back.Delete(17));
    ASSERT_TRUE(back.Save(ini));
    QString value;
    ASSERT_TRUE(ReadIniValue(ini, "FormatyPapiru", "PocetFormatu", value));
    EXPECT_EQ(value, "1");
    ASSERT_TRUE(ReadIniValue(ini, "FormatyPapiru", "Format1", value));
    EXPECT_EQ(value, QString::fromUtf8("Pás,300,2000"));
    EXPECT_TRUE(ReadIniValue(ini, "Designer", "Grid", value));
    EXPECT_EQ(value, "10");
    TListFormatu again;
    again.Load(ini);
    EXPECT_EQ(again.count(), 18);
}

TEST(PaperFormats, NamesWithCommasAndDamagedValues)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("SestDLL.ini");
    TListFormatu list;
    list.Add("Role 10,5 cm", 413, 1000);
    ASSERT_TRUE(list.Save(ini));
    EXPECT_TRUE(readAll(ini).contains("Format1=\"Role 10,5 cm\",413,1000"));
    TListFormatu back;
    back.Load(ini);
    ASSERT_EQ(back.count(), 18);
    EXPECT_EQ(back.Name(17), "Role 10,5 cm");
    EXPECT_EQ(back.Format(17).Height, 1000);

    // Written by hand without quotes: the name ends at the comma, and the fields after it
    // are read as the numbers ("5 cm" is none).
    writeAll(ini, QString::fromUtf8("[FormatyPapiru]\nPocetFormatu=4\nFormat1=Role 10,5 cm,413,1000\n"
                                    "Format2=Štítky,abc,300\nFormat3=\"Dlouhý název formátu, který je delší než třicet jedna znaků\",10,20\n"));
    back.Load(ini);
    ASSERT_EQ(back.count(), 21);
    EXPECT_EQ(back.Name(17), "Role 10");
    EXPECT_EQ(back.Format(17).Width, 0);
    EXPECT_EQ(back.Format(17).Height, 413);
    EXPECT_EQ(back.Format(18).Width, 0);
    EXPECT_EQ(back.Format(18).Height, 300);
    EXPECT_EQ(back.Name(19), QString::fromUtf8("Dlouhý název formátu, který je"));   // 31, trimmed
    EXPECT_EQ(back.Format(19).Width, 10);
    EXPECT_EQ(back.Name(20), QString::fromUtf8("Uživat. unknown"));
    EXPECT_EQ(back.Format(20).Width, 0);
}

TEST(PaperFormats, ValuesAsAnotherIniWriterLeavesThem)
{
    // The designer's settings share the file; when they rewrite it, a value with commas
    // comes back as a list with spaces after the commas.
    QTemporaryDir dir;
    const QString ini = dir.filePath("SestDLL.ini");
    TListFormatu list;
    list.Add(QString::fromUtf8("Štítky"), 400, 300);
    list.Add("a,b", 100, 200);
    ASSERT_TRUE(list.Save(ini));
    {
        QSettings s(ini, QSettings::IniFormat);
        s.setValue("Designer/Grid", 10);
        s.setValue("FormatyPapiru/Format1", QStringList{QString::fromUtf8("Štítky"), "400", "300"});
        s.setValue("FormatyPapiru/Format2", QStringList{"a,b", "100", "200"});
    }
    TListFormatu back;
    back.Load(ini);
    ASSERT_EQ(back.count(), 19);
    EXPECT_EQ(back.Name(17), QString::fromUtf8("Štítky"));
    EXPECT_EQ(back.Format(17).Width, 400);
    EXPECT_EQ(back.Format(17).Height, 300);
    EXPECT_EQ(back.Name(18), "a,b");
    EXPECT_EQ(back.Format(18).Height, 200);
}

TEST(PaperFormats, FormatDialogReadsUnitsAndRefusesZeroSize)
{
    uitest::Messages msg;
    TFormatPapiru f{"Vlastní", 400, 300};
    // Tenths of a millimetre: 400 hundredths of an inch are 1016.
    TFormatDialog dialog(f, true, 1, UnitName(1));
    EXPECT_EQ(dialog.widthEdit()->text(), "1016");
    EXPECT_TRUE(dialog.nameEdit()->isEnabled());
    dialog.widthEdit()->setText("2540");
    dialog.heightEdit()->setText("abc");
    ASSERT_TRUE(dialog.takeInto(f));
    EXPECT_EQ(f.Width, 1000);
    EXPECT_EQ(f.Height, 300);
    dialog.heightEdit()->setText("0");
    EXPECT_FALSE(dialog.takeInto(f));
    EXPECT_EQ(f.Height, 300);
    EXPECT_EQ(msg.captions.value(0), "Chyba");

    TFormatDialog shown(f, false, 0, UnitName(0));
    EXPECT_FALSE(shown.widthEdit()->isEnabled());
}

class MarginCheck : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetPrinterMarginSource({});
        confirmMarginsAnswer() = {};
    }
};

TEST_F(MarginCheck, QuarterInchLeftEdge)
{
    int orientationAsked = -1;
    SetPrinterMarginSource([&](int orientation) -> std::optional<TPrinterMargins> {
        orientationAsked = orientation;
        return TPrinterMargins{25, 16, 17, 40};
    });
    EXPECT_FALSE(CheckMargins(1, 20, 50, 50, 50));
    EXPECT_EQ(orientationAsked, 1);
    EXPECT_TRUE(CheckMargins(0, 25, 16, 40, 17));
    EXPECT_FALSE(CheckMargins(0, 25, 16, 39, 17));

    int l = 20, t = 50, r = 50, b = 50;
    confirmMarginsAnswer() = [] { return 1; };   // Yes
    EXPECT_TRUE(ConfirmMargins(0, l, t, r, b));
    EXPECT_EQ(l, 25);
    EXPECT_EQ(t, 50);

    l = 20;
    confirmMarginsAnswer() = [] { return 0; };   // No: closes with the margins as they are
    EXPECT_TRUE(ConfirmMargins(0, l, t, r, b));
    EXPECT_EQ(l, 20);
    confirmMarginsAnswer() = [] { return -1; };  // Cancel: the settings stay open
    EXPECT_FALSE(ConfirmMargins(0, l, t, r, b));
    EXPECT_EQ(l, 20);
}

TEST_F(MarginCheck, NoPrinterPasses)
{
    SetPrinterMarginSource([](int) { return std::optional<TPrinterMargins>(); });
    EXPECT_TRUE(CheckMargins(0, 0, 0, 0, 0));
    int l = 0, t = 0, r = 0, b = 0;
    AdjustMargins(0, l, t, r, b);
    EXPECT_EQ(l, 0);
}
