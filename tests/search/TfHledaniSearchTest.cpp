// The composition and property searches run through the search window on a copy of the demo
// catalogue: the page controls reach the searches, the result grid and its label follow, a
// refused success rate is reported, and a property hit opens on its best combination.

#include "SearchWindowFixture.h"
#include "search/TfHledani.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "support/FindChild.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace orv::search;
using orv::test::child;
using orv::db::DataSet;
using orv::db::MainDataModule;

namespace {

class SearchWindowSearches : public SearchWindowFixture {
protected:
    SearchWindowSearches() : SearchWindowFixture(false, orv::ui::mrOk) {}

    static std::set<int> materials(const DataSet &ds) { return column(ds, QStringLiteral("MatNumber")); }
};

const QStringList kWithPercent{QStringLiteral("norma"), QStringLiteral("značka"), QStringLiteral("název materiálu"),
                               QStringLiteral("přesnost [%]")};

TEST_F(SearchWindowSearches, CompositionSearchFromThePageControls)
{
    TfHledani &w = *window;
    const int material = conn()
                             .scalar(QStringLiteral(
                                 "select cc.MaterialNo from ChemComp cc join Nodes nd on nd.MaterialNo=cc.MaterialNo "
                                 "where cc.MinValue is not null and cc.MaxValue is not null "
                                 "group by cc.MaterialNo having count(distinct cc.Number)>=2 order by cc.MaterialNo limit 1"))
                             .toInt();
    ASSERT_GT(material, 0);
    const int n = chemCriteriaOf(material);
    ASSERT_GE(n, 2);
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::CompositionPage);
    child<QRadioButton>(w, "rbHledatPresne")->setChecked(true);
    w.find();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(w.result(), &w.compositionQuery());
    EXPECT_EQ(resultTitles(), kWithPercent);
    EXPECT_EQ(w.criteriaCount(), n);
    const DataSet &r = *w.result();
    ASSERT_GT(r.recordCount(), 0);
    EXPECT_EQ(child<QLabel>(w, "resultCount")->text(), QStringLiteral(" - počet nalezených záznamů: %1").arg(r.recordCount()));
    EXPECT_TRUE(materials(r).count(material));
    // "Hledat přesně": every listed designation matched all rows.
    for (int i = 0; i < r.recordCount(); ++i) {
        EXPECT_EQ(r.valueAt(i, QStringLiteral("Factor")).toInt(), n);
        EXPECT_DOUBLE_EQ(r.valueAt(i, QStringLiteral("clFactor")).toDouble(), 100.0);
    }

    // The type filter of the page: another type than the material's excludes it.
    const QString otherType =
        conn()
            .scalar(QStringLiteral("select mt.Name from MatTypes mt where mt.Number<>(select TypeNo from Mat where Number=:m) "
                                   "order by mt.Number limit 1"),
                    {{QStringLiteral("m"), material}})
            .toString();
    child<QCheckBox>(w, "cbKovy")->setChecked(true);
    child<QComboBox>(w, "cbMatTypes1")->setCurrentText(otherType);
    w.find();
    EXPECT_FALSE(materials(*w.result()).count(material));
    const std::set<int> otherTypeRows = materials(*w.result());
    for (int m : otherTypeRows)
        EXPECT_EQ(conn().scalar(QStringLiteral("select t.Name from Mat m join MatTypes t on t.Number=m.TypeNo where m.Number=:m"),
                                {{QStringLiteral("m"), m}}).toString(),
                  otherType) << m;
    child<QCheckBox>(w, "cbKovy")->setChecked(false);

    // No used row: nothing found, said so.
    conn().exec(QStringLiteral("update UserChemComp set Selected=0"));
    data->tUserChemComp.refresh();
    messages.clear();
    w.find();
    EXPECT_EQ(messages, QStringList{TfHledani::noResultMessage()});
    EXPECT_EQ(child<QLabel>(w, "resultCount")->text(), QStringLiteral(" - žádný záznam nenalezen"));
    EXPECT_EQ(w.criteriaCount(), 0);

    // A success rate that is not a whole number stops the search before the result opens.
    conn().exec(QStringLiteral("update UserChemComp set Selected=1"));
    data->tUserChemComp.refresh();
    conn().exec(QStringLiteral("update Setup set Value='7x' where Items='USPESNOST'"));
    messages.clear();
    w.find();
    EXPECT_EQ(messages, QStringList{QStringLiteral("'7x' není platná celočíselná hodnota.")});
    EXPECT_EQ(w.result(), &w.compositionQuery());
    EXPECT_FALSE(w.result()->isOpen());
}

TEST_F(SearchWindowSearches, PropertySearchAndOpeningItsBestCombination)
{
    TfHledani &w = *window;
    // One property with a lower bound that a demo value reaches.
    const auto row = conn().scalar(QStringLiteral(
        "select min(te.TempMinValue) from MechProp mp join Temps te on te.PropertyNo=mp.Number "
        "where mp.PropertyNo=1 and te.TempMinValue is not null"));
    ASSERT_FALSE(row.isNull());
    conn().exec(QStringLiteral("delete from UserMechProp"));
    conn().exec(QStringLiteral("insert into UserMechProp (Number, PropertyNo, MinValue, Selected, GroupType) "
                               "values (1, 1, :a, 1, 'N')"),
                {{QStringLiteral("a"), row}});
    data->tUserMechProp.refresh();
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::MechanicalPage);
    ASSERT_TRUE(child<QCheckBox>(w, "cbVlastnosti")->isChecked());
    w.find();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(w.result(), &w.propertyQuery());
    EXPECT_EQ(resultTitles(), kWithPercent);
    EXPECT_EQ(w.criteriaCount(), 1);
    DataSet &r = *w.result();
    ASSERT_GT(r.recordCount(), 0);
    EXPECT_EQ(child<QLabel>(w, "resultCount")->text(), QStringLiteral(" - počet nalezených záznamů: %1").arg(r.recordCount()));
    EXPECT_DOUBLE_EQ(r.valueAt(0, QStringLiteral("clPresnost")).toDouble(), 100.0);

    // Opening a hit carries a combination of that very material.
    QSignalSpy spy(&w, &TfHledani::openCardRequested);
    r.first();
    const int material = r.value(QStringLiteral("MatNumber")).toInt();
    w.showResult();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), material);
    const int sp = spy.at(0).at(2).toInt(), di = spy.at(0).at(3).toInt(), st = spy.at(0).at(4).toInt();
    ASSERT_TRUE(sp && di && st);
    EXPECT_EQ(conn().scalar(QStringLiteral("select count(*) from SemiProd sp join States st on st.SemiPrNo=sp.Number "
                                           "join Dimens di on di.StateNo=st.Number "
                                           "where sp.MaterialNo=:m and sp.Number=:sp and st.Number=:st and di.Number=:di"),
                            {{QStringLiteral("m"), material}, {QStringLiteral("sp"), sp}, {QStringLiteral("st"), st},
                             {QStringLiteral("di"), di}}).toInt(), 1);

    // Without the property list: every combination that passes the state filter, no percentage.
    const QString state = conn().scalar(QStringLiteral("select t.Name from StTypes t join States s on s.StateNo=t.Number "
                                                       "order by t.Number limit 1")).toString();
    ASSERT_FALSE(state.isEmpty());
    child<QCheckBox>(w, "cbVlastnosti")->setChecked(false);
    child<QCheckBox>(w, "cbStavy")->setChecked(true);
    child<QComboBox>(w, "cbStates")->setCurrentText(state);
    w.find();
    EXPECT_TRUE(messages.isEmpty());
    ASSERT_EQ(w.result(), &w.propertyListQuery());
    EXPECT_EQ(resultTitles(), kWithPercent.mid(0, 3));
    DataSet &all = *w.result();
    ASSERT_GT(all.recordCount(), 0);
    const int stateNo = conn().scalar(QStringLiteral("select Number from StTypes where Name=:n"), {{QStringLiteral("n"), state}}).toInt();
    for (int i = 0; i < all.recordCount(); ++i) {
        const QVariant s = conn().scalar(QStringLiteral("select StateNo from States where Number=:n"),
                                         {{QStringLiteral("n"), all.valueAt(i, QStringLiteral("StNumber"))}});
        EXPECT_TRUE(s.isNull() || s.toInt() == stateNo) << i;
    }
    // Such a hit opens without a position.
    spy.clear();
    all.first();
    w.showResult();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(2).toInt() + spy.at(0).at(3).toInt() + spy.at(0).at(4).toInt(), 0);
}

} // namespace
