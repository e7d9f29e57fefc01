// The card's tables saved as a spreadsheet and read back by openpyxl: one sheet per table,
// every mechanical row of every semi-product, state, dimension and temperature with its
// bounds as numbers equal to sqlite3's, units in the headers, the sources in "Zdroj".

#include "browse/CardXlsx.h"
#include "browse/MaterialCard.h"
#include "support/CardSessions.h"
#include "support/XlsxReader.h"

#include <QLabel>
#include <QProcess>

#include <gtest/gtest.h>

using namespace orv::browse;

namespace {

class CardXlsx : public orv::test::DemoCardTest {
protected:
    QList<QStringList> sqlite(const QString &sql)
    {
        QProcess p;
        p.start(QStringLiteral("sqlite3"), {QStringLiteral("-separator"), QStringLiteral("\t"), QStringLiteral("-cmd"),
                                            QStringLiteral("attach '%1data/user.sqlite' as u").arg(root),
                                            root + QStringLiteral("data/catalogue.sqlite"), sql});
        p.waitForFinished();
        QList<QStringList> rows;
        for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            rows << line.split(u'\t');
        return rows;
    }
};

// A bound as sqlite3 prints it against the cell: both empty, or the same number.
void expectBound(const orv::test::XlsxCell &cell, const QString &db, const QString &where)
{
    if (db.isEmpty()) {
        EXPECT_EQ(cell.type, u'e') << qPrintable(where);
        return;
    }
    ASSERT_EQ(cell.type, u'n') << qPrintable(where);
    EXPECT_EQ(cell.number, db.toDouble()) << qPrintable(where);
}

} // namespace

TEST_F(CardXlsx, EveryTableOnItsSheetWithNumbersOfTheCatalogue)
{
    const int m = sqlite(QStringLiteral("select MaterialNo from Norms where Label = '42CrMo4';")).value(0).value(0).toInt();
    ASSERT_GT(m, 0);
    MaterialCard card(env);
    card.load(m);
    const QString file = dir.filePath(QStringLiteral("42CrMo4 – karta.xlsx"));
    ASSERT_TRUE(saveCardXlsx(card, nullptr, file));
    const auto book = orv::test::readXlsx(file);
    ASSERT_TRUE(book.error.isEmpty()) << qPrintable(book.error);
    EXPECT_EQ(book.names(), (QStringList{QStringLiteral("Chemické složení"), QStringLiteral("Mechanické vlastnosti"),
                                         QStringLiteral("Fyzikální vlastnosti"), QStringLiteral("Tepelné zpracování"),
                                         QStringLiteral("Ekvivalenty"), QStringLiteral("Zdroj")}));
    for (const auto &s : book.sheets) {
        EXPECT_EQ(s.frozen, QStringLiteral("A2")) << qPrintable(s.name);
        if (s.name != QLatin1String("Zdroj")) {
            EXPECT_TRUE(s.autoFilter.startsWith(QStringLiteral("A1:"))) << qPrintable(s.name);
        }
    }

    const auto *comp = book.sheet(QStringLiteral("Chemické složení"));
    EXPECT_EQ(comp->at(0, 2).text, QStringLiteral("min [%]"));
    const auto chem = sqlite(QStringLiteral(
        "select e.Label, e.Name, c.MinValue, c.MaxValue from ChemComp c join Elements e on e.Number = c.ElementNo "
        "where c.MaterialNo = %1 order by c.Number;").arg(m));
    ASSERT_GT(chem.size(), 4);
    for (int i = 0; i < chem.size(); ++i) {
        EXPECT_EQ(comp->at(i + 1, 1).text, chem[i][1]);   // Czech element names
        expectBound(comp->at(i + 1, 2), chem[i][2], chem[i][0] + QStringLiteral(" min"));
        expectBound(comp->at(i + 1, 3), chem[i][3], chem[i][0] + QStringLiteral(" max"));
    }

    const auto *mech = book.sheet(QStringLiteral("Mechanické vlastnosti"));
    EXPECT_EQ(mech->at(0, 2).text, QStringLiteral("rozměr od [mm]"));
    EXPECT_EQ(mech->at(0, 7).text, QStringLiteral("teplota [°C]"));
    const auto rows = sqlite(QStringLiteral(
        "select di.FromValue, di.ToValue, pt.Measure, te.Temperature, te.TempMinValue, te.TempMaxValue "
        "from SemiProd sp join States st on st.SemiPrNo = sp.Number join Dimens di on di.StateNo = st.Number "
        "join MechProp mp on mp.DimensionNo = di.Number join Temps te on te.PropertyNo = mp.Number "
        "left join PropType pt on pt.Number = mp.PropertyNo "
        "where sp.MaterialNo = %1 order by sp.Number, st.Number, di.Number, mp.Number, te.Number;").arg(m));
    ASSERT_GT(rows.size(), 5);
    ASSERT_EQ(mech->rows.size(), rows.size() + 1);
    for (int i = 0; i < rows.size(); ++i) {
        const QString where = QStringLiteral("row %1").arg(i + 2);
        expectBound(mech->at(i + 1, 2), rows[i][0], where);
        expectBound(mech->at(i + 1, 3), rows[i][1], where);
        EXPECT_EQ(mech->at(i + 1, 6).text, rows[i][2]) << qPrintable(where);
        expectBound(mech->at(i + 1, 7), rows[i][3], where);
        expectBound(mech->at(i + 1, 8), rows[i][4], where);
        expectBound(mech->at(i + 1, 9), rows[i][5], where);
    }
    EXPECT_FALSE(mech->at(1, 0).text.isEmpty());
    EXPECT_FALSE(mech->at(1, 0).text.endsWith(u','));

    const auto *eq = book.sheet(QStringLiteral("Ekvivalenty"));
    EXPECT_EQ(eq->rows.size() - 1,
              sqlite(QStringLiteral("select count(*) from CompareNorms where MaterialNo = %1;").arg(m)).value(0).value(0).toInt());
    const auto *z = book.sheet(QStringLiteral("Zdroj"));
    EXPECT_EQ(z->at(2, 1).text, QStringLiteral("42CrMo4"));
    EXPECT_TRUE(z->at(3, 1).text.contains(QStringLiteral("EN 10083-3"))) << qPrintable(z->at(3, 1).text);
}
