// The search result saved as a spreadsheet and read back by openpyxl: the grid's columns, the
// success rate as a number cell equal to the search's value, Czech names, the unit in the
// header, frozen header, filter and the source sheet.

#include "SearchWindowFixture.h"
#include "search/TfHledani.h"

#include "db/DataSet.h"
#include "support/FindChild.h"
#include "support/XlsxReader.h"

#include <QFile>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace orv::search;
using orv::test::child;

class SearchWindowXlsx : public SearchWindowFixture {
protected:
    SearchWindowXlsx() : SearchWindowFixture(false, orv::ui::mrOk) {}
};

TEST_F(SearchWindowXlsx, CompositionSearchAsNumbersWithUnits)
{
    TfHledani &w = *window;
    ASSERT_GT(chemCriteriaOf(2050), 0);
    conn().exec(QStringLiteral("update Setup set Value='50' where Items='USPESNOST'"));
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::CompositionPage);
    child<QRadioButton>(w, "rbHledatPriblizne")->setChecked(true);
    w.find();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    const orv::db::DataSet &r = *w.result();
    ASSERT_GT(r.recordCount(), 1);

    const QString file = dir.filePath(QStringLiteral("složení.xlsx"));
    w.chooseXlsxFile = [file] { return file; };
    ASSERT_TRUE(w.exportResultXlsx()) << messages.join(QLatin1Char('|')).toStdString();
    const auto book = orv::test::readXlsx(file);
    ASSERT_TRUE(book.error.isEmpty()) << qPrintable(book.error);
    ASSERT_EQ(book.names(), (QStringList{QStringLiteral("Výsledek hledání"), QStringLiteral("Zdroj")}));
    const auto &s = book.sheets[0];
    EXPECT_EQ(s.frozen, QStringLiteral("A2"));
    EXPECT_EQ(s.autoFilter, QStringLiteral("A1:D%1").arg(r.recordCount() + 1));
    ASSERT_EQ(s.rows.size(), r.recordCount() + 1);
    EXPECT_EQ(s.at(0, 2).text, QStringLiteral("název materiálu"));
    EXPECT_EQ(s.at(0, 3).text, QStringLiteral("přesnost [%]"));
    for (int i = 0; i < r.recordCount(); ++i) {
        EXPECT_EQ(s.at(i + 1, 0).text, r.valueAt(i, QStringLiteral("Norma")).toString()) << i;
        EXPECT_EQ(s.at(i + 1, 1).text, r.valueAt(i, QStringLiteral("Znacka")).toString()) << i;
        EXPECT_EQ(s.at(i + 1, 2).text, r.valueAt(i, QStringLiteral("MatNazev")).toString()) << i;
        ASSERT_EQ(s.at(i + 1, 3).type, u'n') << i;
        EXPECT_EQ(s.at(i + 1, 3).number, r.valueAt(i, QStringLiteral("clFactor")).toDouble()) << i;
        EXPECT_EQ(s.at(i + 1, 3).format, QStringLiteral("0.00"));
    }
    const auto &z = book.sheets[1];
    EXPECT_EQ(z.at(1, 1).text, QStringLiteral("podle chemického složení"));
    EXPECT_EQ(z.at(3, 0).text, QStringLiteral("Datum katalogu"));
    EXPECT_EQ(z.at(3, 1).type, u'd');

    // An unwritable place: told in Czech, the window stays usable.
    messages.clear();
    const QString missing = dir.filePath(QStringLiteral("není/výsledek.xlsx"));
    w.chooseXlsxFile = [missing] { return missing; };
    EXPECT_FALSE(w.exportResultXlsx());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("složka neexistuje"))) << qPrintable(messages[0]);
}
