// The spreadsheet writer read back by openpyxl: cell types and exact values, units in the
// header, the frozen header and the filter, bold and marked rows, merged cells, the source
// sheet; and a full disk that must leave the old file.

#include "xlsx/Workbook.h"

#include "core/SmallDisk.h"
#include "support/XlsxReader.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv::xlsx;
using orv::test::readXlsx;

TEST(XlsxWorkbook, CellsComeBackTypedAndExact)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("výsledek.xlsx"));
    Workbook wb;
    Sheet &s = wb.addSheet(QStringLiteral("Mechanické vlastnosti"));
    s.columns = {{QStringLiteral("značka"), {}, {}}, {QStringLiteral("Rm min"), QStringLiteral("MPa"), {}},
                 {QStringLiteral("přesnost"), QStringLiteral("%"), QStringLiteral("0.00")}};
    s.addRow({Cell(QStringLiteral("Žíhaná ocel ěščřžýáíé ŮÚ")), Cell(QVariant(490)), Cell(QVariant(66.666666666666671))});
    s.addRow({Cell(QStringLiteral("12 050.1")), Cell(QVariant(0.1)), Cell(QVariant(1234.567890123456))});
    s.addRow({Cell(QStringLiteral("součet\r\nřádek\x01")), Cell(QVariant(std::nan(""))), Cell(QVariant())}, true);
    s.addRow({Cell(QStringLiteral("spojeno"), QString())}).cells[0].span = 2;
    s.rows.last().marked = true;
    wb.setSource({{QStringLiteral("Norma"), QStringLiteral("ČSN 41 2050, vydání 1975")},
                  {QStringLiteral("Datum katalogu"), QDate(2024, 3, 1)}});
    ASSERT_EQ(wb.save(file), QString());

    const auto book = readXlsx(file);
    ASSERT_TRUE(book.error.isEmpty()) << qPrintable(book.error);
    ASSERT_EQ(book.names(), (QStringList{QStringLiteral("Mechanické vlastnosti"), QStringLiteral("Zdroj")}));
    const auto &t = book.sheets[0];
    EXPECT_EQ(t.frozen, QStringLiteral("A2"));
    EXPECT_EQ(t.autoFilter, QStringLiteral("A1:C5"));
    EXPECT_EQ(t.at(0, 1).text, QStringLiteral("Rm min [MPa]"));
    EXPECT_EQ(t.at(0, 2).text, QStringLiteral("přesnost [%]"));
    EXPECT_TRUE(t.at(0, 0).bold);
    EXPECT_EQ(t.at(1, 0).text, QStringLiteral("Žíhaná ocel ěščřžýáíé ŮÚ"));
    EXPECT_EQ(t.at(1, 1).type, u'n');
    EXPECT_EQ(t.at(1, 1).number, 490.0);
    EXPECT_EQ(t.at(1, 2).number, 66.666666666666671);
    EXPECT_EQ(t.at(1, 2).format, QStringLiteral("0.00"));
    EXPECT_EQ(t.at(2, 0).type, u's');   // a text that looks like a number stays text
    EXPECT_EQ(t.at(2, 1).number, 0.1);
    // Sixteen significant digits, all the writer keeps (every catalogue value has fewer).
    EXPECT_EQ(t.at(2, 2).number, 1234.567890123456);
    EXPECT_TRUE(t.at(3, 0).bold);
    EXPECT_EQ(t.at(3, 0).text, QStringLiteral("součet\nřádek"));   // no control characters but the break
    EXPECT_EQ(t.at(3, 1).type, u'e');   // NaN has no cell value
    EXPECT_FALSE(t.at(1, 0).bold);
    EXPECT_TRUE(t.at(4, 0).filled);
    EXPECT_TRUE(t.at(4, 2).filled);
    EXPECT_EQ(t.merged, QStringList{QStringLiteral("A5:B5")});

    const auto &z = book.sheets[1];
    EXPECT_EQ(z.at(1, 1).text, QStringLiteral("ČSN 41 2050, vydání 1975"));
    EXPECT_EQ(z.at(2, 1).type, u'd');
    EXPECT_EQ(z.at(2, 1).text, QStringLiteral("2024-03-01"));
    EXPECT_TRUE(z.autoFilter.isEmpty());
}

TEST(XlsxWorkbook, SheetNamesAreMadeValidAndUnique)
{
    const struct {
        const char *wanted;
        QStringList taken;
        const char *expected;
    } cases[] = {
        {"Vlastnosti [MPa]/teplota", {}, "Vlastnosti -MPa--teplota"},
        {"", {}, "List"},
        {"'Zdroj'", {}, "Zdroj"},
        {"Složení", {QStringLiteral("složení")}, "Složení (2)"},
        {"Mechanické vlastnosti podle polotovaru", {}, "Mechanické vlastnosti podle pol"},
        {"Mechanické vlastnosti podle polotovaru", {QStringLiteral("Mechanické vlastnosti podle pol")},
         "Mechanické vlastnosti podle (2)"},
    };
    for (const auto &c : cases) {
        const QString name = validSheetName(QString::fromUtf8(c.wanted), c.taken);
        EXPECT_EQ(name, QString::fromUtf8(c.expected)) << c.wanted;
        EXPECT_LE(name.size(), 31);
    }
}

// Free space left before the save; the workbook needs far more.
class XlsxFullDisk : public testing::TestWithParam<qint64> {};

TEST_P(XlsxFullDisk, KeepsTheOldFile)
{
    orv::test::SmallDisk disk(1024 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "no small disk to fill (mounting a tmpfs needs root)";
    const QString target = disk.file(QStringLiteral("porovnání.xlsx"));
    ASSERT_TRUE(orv::writeFileSafely(target, "old sheet"));
    disk.leaveFree(GetParam());

    Workbook wb;
    Sheet &s = wb.addSheet(QStringLiteral("List"));
    s.columns = {{QStringLiteral("text"), {}, {}}, {QStringLiteral("číslo"), {}, {}}};
    for (int i = 0; i < 6000; ++i) {
        QString noise;
        for (int k = 0; k < 40; ++k)
            noise += QChar(u'a' + QRandomGenerator::global()->bounded(26));
        s.addRow({Cell(noise), Cell(QRandomGenerator::global()->generateDouble())});
    }
    const QString error = wb.save(target);
    EXPECT_TRUE(error.contains(QStringLiteral("porovnání.xlsx"))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("zůstal beze změny"))) << qPrintable(error);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "old sheet");
    EXPECT_EQ(disk.files(), QStringList{QStringLiteral("porovnání.xlsx")});

    disk.empty();
    EXPECT_EQ(wb.save(target), QString());
    EXPECT_EQ(readXlsx(target).sheets.value(0).rows.size(), 6001);
}

INSTANTIATE_TEST_SUITE_P(FreeSpace, XlsxFullDisk, testing::Values(0, 8 * 1024, 64 * 1024));
