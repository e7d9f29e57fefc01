// The search window over a copy of the demo catalogue: its controls and lists, the designation
// and usage searches end to end, opening a result, the criteria lists with their actions and
// pickers, the standard settings and the stored window state.

#include "SearchWindowFixture.h"
#include "search/TfElements.h"
#include "search/TfHledani.h"
#include "search/TfProperties.h"

#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "db/MainDataModule.h"
#include "ui/ActionUpdater.h"
#include "support/FindChild.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QValidator>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace orv::search;
using orv::test::child;
using orv::db::DataSet;
using orv::db::MainDataModule;

namespace {

class SearchWindow : public SearchWindowFixture {
protected:
    SearchWindow() : SearchWindowFixture(true, orv::ui::mrYes) {}

    int rows(const QString &sql) { return data->userSession().scalar(sql).toInt(); }
};

TEST_F(SearchWindow, InitialControlsListsAndResult)
{
    TfHledani &w = *window;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vyhledávání"));
    ASSERT_EQ(child<QTabWidget>(w, "pages")->count(), 4);
    EXPECT_EQ(child<QTabWidget>(w, "pages")->tabText(0), QStringLiteral("Ekvivalentní materiály"));
    EXPECT_EQ(child<QTabWidget>(w, "pages")->tabText(3), QStringLiteral("Použití"));
    EXPECT_TRUE(child<QCheckBox>(w, "cbNazev")->isChecked() && child<QCheckBox>(w, "cbZnacka")->isChecked() && child<QRadioButton>(w, "rbCast")->isChecked() && child<QCheckBox>(w, "cbMezera")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(w, "cbZeme")->isChecked() || child<QCheckBox>(w, "cbKov")->isChecked() || child<QCheckBox>(w, "cbMalaVelka")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(w, "rbHledatPresne")->isChecked() && child<QCheckBox>(w, "cbInterval")->isChecked() && child<QCheckBox>(w, "cbVlastnosti")->isChecked() &&
                child<QCheckBox>(w, "cbPouziti")->isChecked());
    EXPECT_EQ(child<QComboBox>(w, "cbMatTypes")->currentText(), QStringLiteral("všechny kovy"));
    EXPECT_EQ(child<QComboBox>(w, "cbCountryName")->currentText(), QStringLiteral("všechny země"));
    EXPECT_EQ(child<QComboBox>(w, "cbGroup1")->currentText(), QStringLiteral("všechny polotovary"));
    EXPECT_EQ(child<QComboBox>(w, "cbStates")->currentText(), QStringLiteral("všechny stavy"));
    // The lists are sorted with their entry meaning all among the names.
    QStringList types;
    for (int i = 0; i < child<QComboBox>(w, "cbMatTypes")->count(); ++i)
        types << child<QComboBox>(w, "cbMatTypes")->itemText(i);
    EXPECT_EQ(types.size(), rows(QStringLiteral("select count(*) from MatTypes")) + 1);
    EXPECT_TRUE(types.contains(QStringLiteral("všechny kovy")));
    // The result grid first lists the designation query without conditions.
    EXPECT_EQ(resultTitles(), (QStringList{QStringLiteral("norma"), QStringLiteral("značka"), QStringLiteral("stát"),
                                           QStringLiteral("norm. m. listu"), QStringLiteral("značka m. listu")}));
    EXPECT_EQ(child<QTableView>(w, "grHledani")->model()->rowCount(),
              rows(QStringLiteral("select count(*) from (") + w.designationQuery().statementText() + u')'));
    EXPECT_GT(child<QTableView>(w, "grHledani")->model()->rowCount(), 50);
}

TEST_F(SearchWindow, DesignationSearchShowsCountOrNoResultMessage)
{
    TfHledani &w = *window;
    child<QLineEdit>(w, "eMaterialFind")->setText(QStringLiteral("17 240"));
    QTest::keyClick(child<QLineEdit>(w, "eMaterialFind"), Qt::Key_Return);
    EXPECT_TRUE(messages.isEmpty());
    const int n = child<QTableView>(w, "grHledani")->model()->rowCount();
    ASSERT_GT(n, 0);
    EXPECT_EQ(child<QLabel>(w, "resultCount")->text(), QStringLiteral(" - počet nalezených záznamů: %1").arg(n));
    EXPECT_EQ(child<QTableView>(w, "grHledani")->model()->data(child<QTableView>(w, "grHledani")->model()->index(0, 1)).toString(), QStringLiteral("17 240"));
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_TRUE(child<QAction>(w, "aShow")->isEnabled());

    child<QLineEdit>(w, "eMaterialFind")->setText(QStringLiteral("no such grade"));
    w.find();
    EXPECT_EQ(messages, QStringList{TfHledani::noResultMessage()});
    EXPECT_EQ(child<QLabel>(w, "resultCount")->text(), QStringLiteral(" - žádný záznam nenalezen"));
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_FALSE(child<QAction>(w, "aShow")->isEnabled());
    // The decimal point of the search frame does not outlive the search.
    EXPECT_EQ(QLocale().name(), QLocale::system().name());
}

TEST_F(SearchWindow, TooLongTextIsRefusedAndLeavesTheResult)
{
    TfHledani &w = *window;
    const int before = child<QTableView>(w, "grHledani")->model()->rowCount();
    child<QLineEdit>(w, "eMaterialFind")->setText(QString(196, u'x'));
    w.find();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).contains(QStringLiteral("195")));
    EXPECT_EQ(child<QTableView>(w, "grHledani")->model()->rowCount(), before);
}

TEST_F(SearchWindow, UsageSearchAndOpeningAResult)
{
    TfHledani &w = *window;
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::UsagePage);
    child<QLineEdit>(w, "ePouziti")->setText(QStringLiteral("potravinářského"));
    w.find();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(resultTitles(), (QStringList{QStringLiteral("norma"), QStringLiteral("značka"), QStringLiteral("název materiálu")}));
    ASSERT_GT(w.result()->recordCount(), 0);
    QSignalSpy spy(&w, &TfHledani::openCardRequested);
    w.result()->first();
    const int n = w.result()->value(QStringLiteral("MatNumber")).toInt();
    w.showResult();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), n);
    EXPECT_EQ(spy.at(0).at(1).toString(),
              data->catalogueSession()
                  .scalar(QStringLiteral("select Text from Nodes where MaterialNo=:n"), {{QStringLiteral("n"), n}})
                  .toString());
    EXPECT_FALSE(spy.at(0).at(1).toString().isEmpty());
    // Only a property hit carries a position.
    for (int i = 2; i < 5; ++i)
        EXPECT_EQ(spy.at(0).at(i).toInt(), 0);
}

TEST_F(SearchWindow, UsageSearchWithoutDiacriticsIsKeptInTheSettings)
{
    TfHledani &w = *window;
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::UsagePage);
    EXPECT_FALSE(child<QCheckBox>(w, "cbDiakritika")->isChecked());
    child<QLineEdit>(w, "ePouziti")->setText(QStringLiteral("hřídele"));
    w.find();
    const int accented = w.result()->recordCount();
    EXPECT_GT(accented, 10);
    messages.clear();
    child<QLineEdit>(w, "ePouziti")->setText(QStringLiteral("hridele"));
    w.find();
    EXPECT_EQ(messages.size(), 1); // nothing found without the box
    child<QCheckBox>(w, "cbDiakritika")->setChecked(true);
    messages.clear();
    w.find();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(w.result()->recordCount(), accented);
    create();
    EXPECT_TRUE(child<QCheckBox>(*window, "cbDiakritika")->isChecked());
}

TEST_F(SearchWindow, NumberBoxesTakeADecimalPointAndColumnsShowTheirHeaders)
{
    TfHledani &w = *window;
    child<QDoubleSpinBox>(w, "eMinRozmer")->setLocale(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    QString typed = QStringLiteral("2.5");
    int pos = 3;
    EXPECT_NE(child<QDoubleSpinBox>(w, "eMinRozmer")->validate(typed, pos), QValidator::Invalid);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(w, "eMinRozmer")->valueFromText(QStringLiteral("2.5")), 2.5);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(w, "eMinRozmer")->valueFromText(QStringLiteral("2,5")), 2.5);
    // Every criteria and result column is at least as wide as its header needs.
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::CompositionPage);
    QApplication::processEvents();
    for (QTableView *g : {child<QTableView>(w, "grUserChemComp"), child<QTableView>(w, "grHledani")}) {
        for (int c = 0; c < g->model()->columnCount(); ++c) {
            if (g->isColumnHidden(c))
                continue;
            EXPECT_GE(g->columnWidth(c), g->horizontalHeader()->sectionSizeHint(c))
                << g->objectName().toStdString() << " "
                << g->model()->headerData(c, Qt::Horizontal).toString().toStdString();
        }
    }
}

TEST_F(SearchWindow, CriteriaPagesRunTheirSearchThroughTheFrame)
{
    TfHledani &w = *window;
    child<QLineEdit>(w, "eMaterialFind")->setText(QStringLiteral("17 240"));
    w.find();
    const int designationRows = w.result()->recordCount();
    ASSERT_GT(designationRows, 0);
    // The demo list has no bounds: the window's own composition search uses no row and
    // finds nothing.
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::CompositionPage);
    w.find();
    EXPECT_EQ(messages, QStringList{TfHledani::noResultMessage()});
    EXPECT_EQ(child<QLabel>(w, "resultCount")->text(), QStringLiteral(" - žádný záznam nenalezen"));
    EXPECT_EQ(w.result(), &w.compositionQuery());
    EXPECT_EQ(w.criteriaCount(), 0);

    // A search's own result set is bound to the grid and counted; a first row without a
    // material number counts as nothing found.
    auto ownSet = std::make_unique<DataSet>(QStringLiteral("qHledatChemComp"), &data->catalogueSession());
    DataSet &own = *ownSet;
    own.setSql(QStringLiteral("select Number MatNumber, Name MatNazev from Mat where Number in (2050, 7562)"));
    w.compositionSearch = [&](TfHledani &) { return &own; };
    messages.clear();
    w.find();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(w.result(), &own);
    EXPECT_EQ(child<QLabel>(w, "resultCount")->text(), QStringLiteral(" - počet nalezených záznamů: 2"));
    own.close();
    own.setSql(QStringLiteral("select null MatNumber, 'x' MatNazev"));
    w.find();
    EXPECT_EQ(messages, QStringList{TfHledani::noResultMessage()});
    EXPECT_EQ(child<QLabel>(w, "resultCount")->text(), QStringLiteral(" - žádný záznam nenalezen"));
    w.compositionSearch = nullptr;
    // A result set that goes away leaves the grid on the designation query.
    ownSet.reset();
    EXPECT_EQ(w.result(), &w.designationQuery());
    EXPECT_EQ(child<QTableView>(w, "grHledani")->model()->columnCount(), 5);
}

TEST_F(SearchWindow, StoredStateIsRestoredWithTheSearchTextTrimmed)
{
    child<QLineEdit>(*window, "eMaterialFind")->setText(QStringLiteral("   X5CrNi18-10  "));
    child<QCheckBox>(*window, "cbMalaVelka")->setChecked(true);
    child<QRadioButton>(*window, "rbPriblizne")->setChecked(true);
    child<QCheckBox>(*window, "cbZeme")->setChecked(true);
    child<QComboBox>(*window, "cbCountryName")->setCurrentText(QStringLiteral("Německo"));
    child<QDoubleSpinBox>(*window, "eTeplota")->setValue(250);
    child<QTabWidget>(*window, "pages")->setCurrentIndex(TfHledani::UsagePage);
    create(); // the old window writes its state, the new one reads it
    TfHledani &w = *window;
    EXPECT_EQ(child<QLineEdit>(w, "eMaterialFind")->text(), QStringLiteral("X5CrNi18-10"));
    EXPECT_TRUE(child<QCheckBox>(w, "cbMalaVelka")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(w, "rbPriblizne")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(w, "rbCast")->isChecked());
    EXPECT_EQ(child<QComboBox>(w, "cbCountryName")->currentText(), QStringLiteral("Německo"));
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(w, "eTeplota")->value(), 250);
    EXPECT_EQ(w.currentPage(), TfHledani::UsagePage);
    QSettings s(ini, QSettings::IniFormat);
    EXPECT_TRUE(s.childGroups().contains(QStringLiteral("HLEDANI")));

    // Without saving settings nothing is written.
    window->autoSave = [] { return false; };
    child<QLineEdit>(*window, "eMaterialFind")->setText(QStringLiteral("other"));
    create();
    EXPECT_EQ(child<QLineEdit>(*window, "eMaterialFind")->text(), QStringLiteral("X5CrNi18-10"));
}

TEST_F(SearchWindow, LoadingAllTwiceAddsNothingTheSecondTime)
{
    TfHledani &w = *window;
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::CompositionPage);
    w.standardSettings();
    const int before = data->tUserChemComp.recordCount();
    ASSERT_GT(before, 0);
    w.loadAll();
    const int elements = rows(QStringLiteral("select count(*) from Elements"));
    EXPECT_EQ(data->tUserChemComp.recordCount(), elements);
    EXPECT_EQ(rows(QStringLiteral("select count(distinct ElementNo) from UserChemComp")), elements);
    w.loadAll();
    EXPECT_EQ(data->tUserChemComp.recordCount(), elements);

    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::MechanicalPage);
    w.loadAll();
    const int props = rows(QStringLiteral("select count(*) from PropType"));
    EXPECT_EQ(rows(QStringLiteral("select count(distinct PropertyNo) from UserMechProp")), props);
    w.loadAll();
    EXPECT_EQ(data->tUserMechProp.recordCount(), rows(QStringLiteral("select count(*) from UserMechProp")));
    EXPECT_EQ(data->tUserMechProp.recordCount(), props);
    // A group added this way carries no group type, so it is searched as a single property.
    const int groupsAddedPlainly = rows(QStringLiteral(
        "select count(*) from UserMechProp u, PropType p where p.Number=u.PropertyNo and p.GroupType='A' "
        "and coalesce(u.GroupType,'')=''"));
    const int groups = rows(QStringLiteral("select count(*) from PropType where GroupType='A'"));
    const int groupsInDefaults = rows(QStringLiteral(
        "select count(*) from DefaultMechProp d, PropType p where p.Number=d.PropertyNo and p.GroupType='A'"));
    EXPECT_EQ(groupsAddedPlainly, groups - groupsInDefaults);
}

TEST_F(SearchWindow, CompositionStandardSettingsTakeTheFirstMaterialType)
{
    TfHledani &w = *window;
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::CompositionPage);
    child<QRadioButton>(w, "rbHledatVse")->setChecked(true);
    child<QCheckBox>(w, "cbInterval")->setChecked(false);
    w.standardSettings();
    const int first = data->catalogueSession().scalar(QStringLiteral("select min(Number) from MatTypes")).toInt();
    const int expected = rows(QStringLiteral("select count(*) from DefaultChemComp where TypeNo=%1").arg(first));
    ASSERT_GT(expected, 0);
    EXPECT_EQ(data->tUserChemComp.recordCount(), expected);
    EXPECT_EQ(column(data->tUserChemComp, QStringLiteral("TypeNo")), std::set<int>{first});
    EXPECT_TRUE(child<QRadioButton>(w, "rbHledatPresne")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(w, "cbInterval")->isChecked());

    // A named type takes its own defaults.
    const QString last = data->catalogueSession().scalar(QStringLiteral(
        "select Name from MatTypes where Number in (select TypeNo from DefaultChemComp) order by Number desc limit 1")).toString();
    const int lastNo = data->catalogueSession().scalar(QStringLiteral("select Number from MatTypes where Name=:n"),
                                                      {{QStringLiteral("n"), last}}).toInt();
    if (lastNo != first) {
        child<QComboBox>(w, "cbMatTypes1")->setCurrentText(last);
        w.standardSettings();
        EXPECT_EQ(column(data->tUserChemComp, QStringLiteral("TypeNo")), std::set<int>{lastNo});
    }
}

TEST_F(SearchWindow, MechanicalStandardSettingsAndSemiProductLists)
{
    TfHledani &w = *window;
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::MechanicalPage);
    child<QCheckBox>(w, "cbTeplota")->setChecked(true);
    child<QDoubleSpinBox>(w, "eTeplota")->setValue(20);
    w.standardSettings();
    EXPECT_FALSE(child<QCheckBox>(w, "cbTeplota")->isChecked());
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(w, "eTeplota")->value(), 0);
    EXPECT_EQ(data->tUserMechProp.recordCount(), rows(QStringLiteral("select count(*) from DefaultMechProp")));

    auto items = [](QComboBox *b) {
        QStringList out;
        for (int i = 0; i < b->count(); ++i)
            out << b->itemText(i);
        out.removeAll(QStringLiteral("všechny polotovary"));
        out.sort();
        return out;
    };
    auto names = [this](const QString &where) {
        QStringList out;
        orv::db::Statement s(data->catalogueSession(), QStringLiteral("select Name from SemTypes where ") + where);
        while (s.step())
            out << s.value(0).toString();
        out.sort();
        return out;
    };
    EXPECT_EQ(items(child<QComboBox>(w, "cbGroup1")), names(QStringLiteral("GroupNo=1 or GroupNo=5")));
    child<QComboBox>(w, "cbMatTypes2")->setCurrentText(QStringLiteral("Neželezné kovy"));
    EXPECT_EQ(items(child<QComboBox>(w, "cbGroup1")), names(QStringLiteral("GroupNo=5")));
    EXPECT_EQ(items(child<QComboBox>(w, "cbGroup2")), names(QStringLiteral("GroupNo=0")));
    EXPECT_EQ(items(child<QComboBox>(w, "cbGroup4")), names(QStringLiteral("GroupNo=0")));
    EXPECT_EQ(child<QComboBox>(w, "cbGroup2")->currentText(), QStringLiteral("všechny polotovary"));
    child<QComboBox>(w, "cbMatTypes2")->setCurrentText(QStringLiteral("Oceli"));
    EXPECT_EQ(items(child<QComboBox>(w, "cbGroup1")), names(QStringLiteral("GroupNo=1")));
    EXPECT_EQ(items(child<QComboBox>(w, "cbGroup3")), names(QStringLiteral("GroupNo=3")));
}

TEST_F(SearchWindow, NoRowIsAddedPastTheLastGridRow)
{
    TfHledani &w = *window;
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::CompositionPage);
    w.standardSettings();
    const int n = data->tUserChemComp.recordCount();
    ASSERT_GT(n, 0);
    child<QTableView>(w, "grUserChemComp")->setFocus();
    child<QTableView>(w, "grUserChemComp")->setCurrentIndex(child<QTableView>(w, "grUserChemComp")->model()->index(n - 1, 1));
    QTest::keyClick(child<QTableView>(w, "grUserChemComp"), Qt::Key_Down);
    QTest::keyClick(child<QTableView>(w, "grUserChemComp"), Qt::Key_Down);
    EXPECT_EQ(data->tUserChemComp.recordCount(), n);
    // A stray insert, not armed by the window, is cancelled silently.
    EXPECT_FALSE(data->tUserChemComp.append());
    EXPECT_EQ(rows(QStringLiteral("select count(*) from UserChemComp")), n);
}

TEST_F(SearchWindow, ChangingARowToItsOwnElementIsRefusedAsADuplicate)
{
    TfHledani &w = *window;
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::CompositionPage);
    w.standardSettings();
    DataSet &uc = data->tUserChemComp;
    uc.setRecNo(1);
    const QVariant own = uc.value(QStringLiteral("ElementNo"));

    TfElements picker(data->tElements, TfElements::Mode::Search, &uc);
    QStringList info;
    picker.information = [&](const QString &t) { info << t; };
    picker.placeOn(own);
    EXPECT_EQ(picker.currentElement(), own);
    EXPECT_FALSE(picker.choose());
    EXPECT_EQ(info, QStringList{TfElements::duplicateMessage()});
    EXPECT_EQ(uc.recNo(), 1); // the check leaves the list where it was
    // An element not in the list is taken; own-material mode takes any.
    const int missing = data->userSession().scalar(QStringLiteral(
        "select min(Number) from Elements where Number not in (select ElementNo from UserChemComp)")).toInt();
    picker.placeOn(missing);
    EXPECT_TRUE(picker.choose());
    TfElements own2(data->tElements, TfElements::Mode::OwnMaterial);
    own2.placeOn(own);
    EXPECT_TRUE(own2.choose());

    // Through the window: the change keeps the bounds and replaces the element.
    const QVariant min = uc.value(QStringLiteral("MinValue"));
    w.pickElement = [&](const QVariant &current) -> std::optional<QVariant> {
        EXPECT_EQ(current, own);
        return QVariant(missing);
    };
    w.changeRow();
    EXPECT_EQ(uc.value(QStringLiteral("ElementNo")).toInt(), missing);
    EXPECT_EQ(uc.value(QStringLiteral("MinValue")), min);
}

TEST_F(SearchWindow, PropertyPickerRefusesAChoiceInTheListAndTellsGroupsFromSingles)
{
    TfHledani &w = *window;
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::MechanicalPage);
    w.standardSettings();
    DataSet &um = data->tUserMechProp;
    ASSERT_GT(um.recordCount(), 0);
    const QVariant own = um.value(QStringLiteral("PropertyNo"));
    TfProperties picker(data->userSession(), um);
    QStringList info;
    picker.information = [&](const QString &t) { info << t; };
    picker.placeOn(own);
    EXPECT_EQ(picker.chosenNumber(), own);
    EXPECT_FALSE(picker.choose());
    EXPECT_EQ(info, QStringList{TfProperties::duplicateMessage()});

    ASSERT_GT(picker.groups().recordCount(), 0);
    picker.setGroupsChosen(true);
    EXPECT_EQ(picker.chosenKind(), QStringLiteral("A"));
    EXPECT_EQ(picker.chosenNumber(), picker.groups().value(QStringLiteral("Number")));

    // Inserting a group through the window marks the row as a group.
    w.deleteAll();
    EXPECT_EQ(um.recordCount(), 0);
    const QVariant group = picker.groups().value(QStringLiteral("Number"));
    w.pickProperty = [&](const QVariant &) -> std::optional<std::pair<QVariant, QString>> {
        return std::make_pair(group, QStringLiteral("A"));
    };
    w.insertRow();
    ASSERT_EQ(um.recordCount(), 1);
    EXPECT_EQ(um.value(QStringLiteral("GroupType")).toString(), QStringLiteral("A"));
    EXPECT_TRUE(um.value(QStringLiteral("Selected")).toBool());
}

TEST_F(SearchWindow, PickersStartOnTheFirstRowAndTheMemberGridChoosesNothing)
{
    DataSet &um = data->tUserMechProp;
    TfProperties picker(data->userSession(), um);
    picker.placeOn(QVariant());
    EXPECT_EQ(picker.chosenKind(), QStringLiteral("N"));
    EXPECT_EQ(picker.chosenNumber(), picker.singles().valueAt(0, QStringLiteral("Number")));
    picker.show();
    QApplication::setActiveWindow(&picker);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
    picker.membersGrid()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(picker.selectButton()->isEnabled());
    EXPECT_FALSE(picker.choose());
    picker.groupsGrid()->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(picker.selectButton()->isEnabled());
    // The grid being worked in counts, so Enter in the single properties chooses one of them.
    picker.singlesGrid()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(picker.chosenKind(), QStringLiteral("N"));

    TfElements elements(data->tElements, TfElements::Mode::Search, &data->tUserChemComp);
    data->tElements.last();
    elements.placeOn(QVariant());
    EXPECT_EQ(data->tElements.recNo(), 0);
    EXPECT_EQ(elements.grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Název"));
}

TEST_F(SearchWindow, DeleteToggleAndNegativeBounds)
{
    TfHledani &w = *window;
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::CompositionPage);
    w.standardSettings();
    DataSet &uc = data->tUserChemComp;
    const int n = uc.recordCount();
    answer = orv::ui::mrNo;
    w.deleteRow();
    EXPECT_EQ(uc.recordCount(), n);
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.last(), QStringLiteral("Opravdu chcete smazat vybraný prvek?"));
    answer = orv::ui::mrYes;
    uc.first();
    w.deleteRow();
    EXPECT_EQ(uc.recordCount(), n - 1);
    EXPECT_EQ(rows(QStringLiteral("select count(*) from UserChemComp")), n - 1);

    uc.first();
    const bool was = uc.value(QStringLiteral("Selected")).toBool();
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_EQ(child<QAction>(w, "aSelect")->text(), was ? QStringLiteral("Odznačit prvek") : QStringLiteral("Označit prvek"));
    w.toggleSelected();
    EXPECT_EQ(uc.value(QStringLiteral("Selected")).toBool(), !was);
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_EQ(child<QAction>(w, "aSelect")->text(), !was ? QStringLiteral("Odznačit prvek") : QStringLiteral("Označit prvek"));

    auto *model = qobject_cast<orv::db::DataSetModel *>(child<QTableView>(w, "grUserChemComp")->model());
    const int col = model->columnOf(QStringLiteral("MinValue"));
    const QVariant before = uc.value(QStringLiteral("MinValue"));
    messages.clear();
    EXPECT_FALSE(model->setData(model->index(0, col), QStringLiteral("-1")));
    EXPECT_EQ(messages, QStringList{MainDataModule::negativeValueMessage()});
    EXPECT_EQ(uc.value(QStringLiteral("MinValue")), before);
    EXPECT_TRUE(model->setData(model->index(0, col), QStringLiteral("0.5")));
    EXPECT_DOUBLE_EQ(uc.value(QStringLiteral("MinValue")).toDouble(), 0.5);

    answer = orv::ui::mrYes;
    w.deleteAll();
    EXPECT_EQ(rows(QStringLiteral("select count(*) from UserChemComp")), 0);
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_FALSE(child<QAction>(w, "aChange")->isEnabled());
    EXPECT_TRUE(child<QAction>(w, "aInsert")->isEnabled());
}

TEST_F(SearchWindow, ScreenshotOfADesignationSearch)
{
    TfHledani &w = *window;
    w.resize(1100, 720);
    child<QLineEdit>(w, "eMaterialFind")->setText(QStringLiteral("CrNiMo"));
    w.find();
    ASSERT_GT(w.result()->recordCount(), 0);
    const QString out = QStringLiteral(ORVALIS_BINARY_DIR "/search-screens/");
    QDir().mkpath(out);
    orv::ui::ActionUpdater::instance().updateNow();
    const QImage image = w.grab().toImage();
    EXPECT_TRUE(image.save(out + QStringLiteral("search-designation.png")));

    // The property list with its group rows drawn in blue.
    child<QTabWidget>(w, "pages")->setCurrentIndex(TfHledani::MechanicalPage);
    w.standardSettings();
    ASSERT_GT(data->tUserMechProp.recordCount(), 0);
    orv::ui::ActionUpdater::instance().updateNow();
    const QImage mech = w.grab().toImage();
    EXPECT_TRUE(mech.save(out + QStringLiteral("search-mechanical.png")));
    EXPECT_NE(mech, image);
}

} // namespace

namespace {

TEST_F(SearchWindow, DesignationSearchListsTheExactMatchFirst)
{
    TfHledani &w = *window;
    auto *box = child<QLineEdit>(w, "eMaterialFind");
    box->setText(QStringLiteral("AISI 304"));
    QTest::keyClick(box, Qt::Key_Return);
    const QAbstractItemModel *m = child<QTableView>(w, "grHledani")->model();
    // "AISI 304" and the two materials with "AISI 304L": the exact one on top.
    ASSERT_GE(m->rowCount(), 3);
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), QStringLiteral("AISI"));
    EXPECT_EQ(m->data(m->index(0, 1)).toString(), QStringLiteral("304"));
    for (int r = 1; r < m->rowCount(); ++r)
        EXPECT_NE(m->data(m->index(r, 1)).toString(), QStringLiteral("304")) << r;
    // The ranking column stays out of the grid.
    for (int c = 0; c < m->columnCount(); ++c)
        EXPECT_NE(m->headerData(c, Qt::Horizontal).toString(), QStringLiteral("Shoda"));
}

} // namespace
