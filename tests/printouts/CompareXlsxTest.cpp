// The comparison saved as a spreadsheet, read back by openpyxl: every composition bound of the
// three steels a number cell equal to sqlite3's value, units in their column, the rows that
// differ marked as in the window, frozen header, filter and the source sheet; a failed write
// said and the old file kept.

#include "PrintoutTestSupport.h"
#include "printouts/TfCompare.h"
#include "support/XlsxReader.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::printouts;

namespace {

struct CompareXlsx : ::testing::Test {
    CompareXlsx() : demo(QStringLiteral("compare-xlsx-test")) {}
    int materialOf(const QString &label)
    {
        return demo.sqliteRows(QStringLiteral("select MaterialNo from Norms where Label = '%1';").arg(label)).value(0).value(0).toInt();
    }
    CompareEnvironment env()
    {
        CompareEnvironment e;
        e.catalogue = &demo.cat;
        e.programDir = QStringLiteral(ORVALIS_SOURCE_DIR);
        e.showMessage = [this](const QString &text) { told << text; };
        return e;
    }
    orv::printouts::test::DemoCatalogueCopy demo;
    QStringList told;
};

} // namespace

TEST_F(CompareXlsx, BoundsAreNumbersEqualToTheCatalogue)
{
    ASSERT_TRUE(demo.copied);
    const QStringList labels{QStringLiteral("C45"), QStringLiteral("42CrMo4"), QStringLiteral("34CrNiMo6")};
    TfCompare w({materialOf(labels[0]), materialOf(labels[1]), materialOf(labels[2])}, env());
    const QString file = demo.dir.filePath(QStringLiteral("porovnání.xlsx"));
    ASSERT_EQ(w.exportXlsx(file), QString());
    const auto book = orv::test::readXlsx(file);
    ASSERT_TRUE(book.error.isEmpty()) << qPrintable(book.error);
    ASSERT_EQ(book.names(), (QStringList{QStringLiteral("Porovnání"), QStringLiteral("Zdroj")}));
    const auto &s = book.sheets[0];
    EXPECT_EQ(s.frozen, QStringLiteral("A2"));
    EXPECT_EQ(s.autoFilter, QStringLiteral("A1:L%1").arg(s.rows.size()));
    EXPECT_EQ(s.at(0, 3).text, QStringLiteral("C45 min"));
    EXPECT_EQ(s.at(0, 5).text, QStringLiteral("C45"));
    EXPECT_EQ(s.at(1, 5).text, QStringLiteral("C45"));   // the designation stays a text

    // Rows by their caption: group and element, e.g. "C (Uhlík)".
    std::map<QString, int> rowOf;
    for (int r = 1; r < s.rows.size(); ++r)
        rowOf[s.at(r, 0).text + u'|' + s.at(r, 1).text] = r;
    int checked = 0;
    for (int m = 0; m < labels.size(); ++m) {
        const auto rows = demo.sqliteRows(QStringLiteral(
            "select e.Label || ' (' || e.Name || ')', c.MinValue, c.MaxValue from ChemComp c "
            "join Elements e on e.Number = c.ElementNo where c.MaterialNo = %1;").arg(materialOf(labels[m])));
        ASSERT_FALSE(rows.isEmpty());
        for (const QStringList &db : rows) {
            const auto it = rowOf.find(QStringLiteral("Chemické složení [%]|") + db[0]);
            ASSERT_NE(it, rowOf.end()) << qPrintable(db[0]);
            EXPECT_EQ(s.at(it->second, 2).text, QStringLiteral("%"));
            const int col = 3 + 3 * m;
            for (int bound : {0, 1}) {
                const QString value = db.value(1 + bound);
                const auto &cell = s.at(it->second, col + bound);
                if (value.isEmpty() && !(bound == 1 && db.value(1) == db.value(2))) {
                    EXPECT_EQ(cell.type, u'e') << qPrintable(db[0]);
                    continue;
                }
                ASSERT_EQ(cell.type, u'n') << qPrintable(labels[m] + u' ' + db[0]);
                EXPECT_EQ(cell.number, (value.isEmpty() ? db.value(1) : value).toDouble()) << qPrintable(db[0]);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 20);

    // A property row carries its unit; rows that differ are marked, equal ones not.
    bool unit = false, marked = false, plain = false;
    for (int r = 1; r < s.rows.size(); ++r) {
        unit = unit || s.at(r, 2).text == QStringLiteral("MPa");
        (s.at(r, 3).filled ? marked : plain) = true;
    }
    EXPECT_TRUE(unit && marked && plain);
    const auto &z = book.sheets[1];
    EXPECT_EQ(z.at(5, 0).text, QStringLiteral("Zdroj údajů – C45"));
    EXPECT_EQ(z.at(5, 1).text, s.at(4, 5).text);
    EXPECT_TRUE(z.at(5, 1).text.contains(QStringLiteral("EN 10083-2")));

    // A failed write is said; the file written before stays.
    const QByteArray before = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    EXPECT_FALSE(w.exportXlsx(demo.dir.filePath(QStringLiteral("chybí/porovnání.xlsx"))).isEmpty());
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("porovnání.xlsx")));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}
