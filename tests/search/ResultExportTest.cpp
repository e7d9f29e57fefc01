// The search result list saved as CSV: the field rules read back by a separate parser, a
// failed write that leaves the old file alone, and a composition search of the demo
// catalogue whose file holds one row per found material with its success rate.

#include "SearchWindowFixture.h"
#include "search/ResultExport.h"
#include "search/TfHledani.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "support/CsvReader.h"
#include "support/DemoCatalogue.h"
#include "support/FileBytes.h"
#include "support/FindChild.h"

#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace orv::search;
using orv::test::child;
using orv::test::readCsv;
using orv::test::readFileBytes;

TEST(ResultCsv, FieldsWithSeparatorsQuotesAndLineBreaksReadBackUnchanged)
{
    EXPECT_EQ(csvField(QStringLiteral("C45")), QStringLiteral("C45"));
    EXPECT_EQ(csvField(QStringLiteral("a;b")), QStringLiteral("\"a;b\""));
    EXPECT_EQ(csvField(QStringLiteral("5\" tyč")), QStringLiteral("\"5\"\" tyč\""));
    EXPECT_EQ(csvField(QStringLiteral(" 12 050")), QStringLiteral("\" 12 050\""));

    QStandardItemModel model(3, 3);
    model.setHorizontalHeaderLabels({QStringLiteral("norma"), QStringLiteral("značka"), QStringLiteral("přesnost [%]")});
    const QStringList cells[] = {
        {QStringLiteral("ČSN EN 10083-2"), QStringLiteral("C45"), QStringLiteral("66,67")},
        {QStringLiteral("DIN; starší"), QStringLiteral("Ck \"45\""), QString()},
        {QStringLiteral("řádek\njeden"), QStringLiteral("žluťoučký kůň"), QStringLiteral("100")},
    };
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            model.setItem(r, c, new QStandardItem(cells[r][c]));
    const QByteArray bytes = resultCsv(model);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    const QList<QStringList> back = readCsv(bytes);
    ASSERT_EQ(back.size(), 4);
    EXPECT_EQ(back[0], (QStringList{QStringLiteral("norma"), QStringLiteral("značka"), QStringLiteral("přesnost [%]")}));
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(back[r + 1], cells[r]) << r;

    // An empty result still has its heading line.
    QStandardItemModel empty(0, 2);
    empty.setHorizontalHeaderLabels({QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(resultCsv(empty), QByteArray("\xEF\xBB\xBF" "a;b\r\n"));
}

TEST(ResultCsv, AFailedWriteReportsInCzechAndLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("vysledek.csv"));
    ASSERT_EQ(saveCsvFile(file, QByteArray("old")), QString());
    EXPECT_EQ(readFileBytes(file), QByteArray("old"));
    ASSERT_EQ(saveCsvFile(file, QByteArray("new")), QString());
    EXPECT_EQ(readFileBytes(file), QByteArray("new"));
    // No folder of that name: the reason is given and nothing is left behind.
    const QString missing = dir.filePath(QStringLiteral("neni/vysledek.csv"));
    const QString why = saveCsvFile(missing, QByteArray("x"));
    EXPECT_TRUE(why.startsWith(QStringLiteral("Soubor "))) << why.toStdString();
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("vysledek.csv")});
}

// The search window over a copy of the demo catalogue, its messages answered with OK.
class SearchWindowCsv : public SearchWindowFixture {
protected:
    SearchWindowCsv() : SearchWindowFixture(false, orv::ui::mrOk) {}
};

TEST_F(SearchWindowCsv, CompositionSearchOfTheDemoCatalogueWithItsSuccessRates)
{
    TfHledani &w = *window;

    // The composition of C45 as the criteria, searched with a rate of 50 %: C45 at 100 %, other
    // steels with a part of the rows.
    ASSERT_GT(chemCriteriaOf(2050), 0);
    conn().exec(QStringLiteral("update Setup set Value='50' where Items='USPESNOST'"));
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::CompositionPage);
    child<QRadioButton>(w, "rbHledatPriblizne")->setChecked(true);
    w.find();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(w.result(), &w.compositionQuery());
    const orv::db::DataSet &r = *w.result();
    ASSERT_GT(r.recordCount(), 1);

    const QString file = dir.filePath(QStringLiteral("složení.csv"));
    w.chooseCsvFile = [file] { return file; };
    ASSERT_TRUE(w.exportResultCsv());
    const QByteArray bytes = readFileBytes(file);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> back = readCsv(bytes);
    ASSERT_EQ(back.size(), r.recordCount() + 1);
    EXPECT_EQ(back[0], (QStringList{QStringLiteral("norma"), QStringLiteral("značka"), QStringLiteral("název materiálu"),
                                    QStringLiteral("přesnost [%]")}));
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    bool partial = false;
    for (int i = 0; i < r.recordCount(); ++i) {
        const QStringList &row = back[i + 1];
        ASSERT_EQ(row.size(), 4) << i;
        EXPECT_EQ(row[0], r.valueAt(i, QStringLiteral("Norma")).toString()) << i;
        EXPECT_EQ(row[1], r.valueAt(i, QStringLiteral("Znacka")).toString()) << i;
        EXPECT_EQ(row[2], r.valueAt(i, QStringLiteral("MatNazev")).toString()) << i;
        // Two decimals with a comma, whatever locale the test runs in.
        EXPECT_TRUE(row[3].contains(QLatin1Char(',')) && !row[3].contains(QLatin1Char('.'))) << row[3].toStdString();
        bool ok = false;
        const double percent = czech.toDouble(row[3], &ok);
        ASSERT_TRUE(ok) << row[3].toStdString();
        EXPECT_NEAR(percent, r.valueAt(i, QStringLiteral("clFactor")).toDouble(), 0.01) << i;
        EXPECT_GE(percent, 50.0 - 0.01);
        partial = partial || percent < 99.99;
    }
    EXPECT_TRUE(partial) << "the search should also find materials matching only a part of the rows";

    // Nothing found: nothing written, the user told.
    conn().exec(QStringLiteral("update UserChemComp set Selected=0"));
    data->tUserChemComp.refresh();
    w.find();
    messages.clear();
    QFile::remove(file);
    EXPECT_FALSE(w.exportResultCsv());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(messages.size(), 1);
}
