// The options window on a copy of the demo catalogue: what it writes changes the next
// composition and property searches; refused inputs leave the old values.

#include "UserDataFixture.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "search/ChemSearch.h"
#include "search/MechSearch.h"
#include "userdata/TfOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>

#include <set>

using namespace orv::userdata;
using orv::db::DataSet;

namespace {

class OptionsWindow : public UserDataFixture {
protected:
    void SetUp() override
    {
        UserDataFixture::SetUp();
        if (HasFatalFailure())
            return;
        env.message = [this](const QString &text, orv::ui::MsgType, orv::ui::MsgButtons) {
            messages << text;
            return answers.isEmpty() ? int(orv::ui::mrYes) : answers.takeFirst();
        };
        env.plainMessage = [this](const QString &text, orv::ui::MsgType, orv::ui::MsgButtons) {
            plainMessages << text;
            return int(orv::ui::mrOk);
        };
        env.runDialog = [this](QDialog &dialog) {
            if (auto *d = qobject_cast<TfEditSetupChemComp *>(&dialog)) {
                if (editElement)
                    editElement(*d);
            } else if (auto *g = qobject_cast<TfPropertiesGroup *>(&dialog)) {
                g->eName->setText(groupNames.isEmpty() ? QString() : groupNames.takeFirst());
                return groupNames.isEmpty() && g->eName->text().isEmpty() ? int(QDialog::Rejected) : int(QDialog::Accepted);
            }
            return dialog.result();
        };
        env.successRateSaved = [this] { ++rateSaved; };
        c45 = sqlite(QStringLiteral("select MaterialNo from Norms where Label='C45' order by Number limit 1")).value(0).toInt();
        ASSERT_GT(c45, 0);
    }
    orv::db::Connection &conn() { return data->catalogueSession(); }
    QString setupRate() { return sqlite(QStringLiteral("select Value from user.Setup where Items='USPESNOST'")).value(0); }
    std::set<int> chemHits(orv::search::ChemThreshold threshold)
    {
        orv::search::ChemOptions options;
        options.threshold = threshold;
        const auto outcome = orv::search::runChemSearch(conn(), options);
        std::set<int> out;
        for (const auto &row : orv::search::readChemResult(conn(), outcome))
            out.insert(row.matNumber);
        return out;
    }
    void criteria(const QString &selectRows)
    {
        data->userSession().exec(QStringLiteral("delete from UserChemComp"));
        data->userSession().exec(QStringLiteral("insert into UserChemComp (Number, ElementNo, MinValue, MaxValue, Selected) ") + selectRows);
    }
    int element(const QString &label)
    {
        return conn().scalar(QStringLiteral("select Number from Elements where Label=:l"), {{QStringLiteral("l"), label}}).toInt();
    }

    OptionsEnvironment env;
    QStringList messages;
    QStringList plainMessages;
    QList<int> answers;
    QStringList groupNames;
    std::function<void(TfEditSetupChemComp &)> editElement;
    int rateSaved = 0;
    int c45 = 0;
};

} // namespace

TEST_F(OptionsWindow, TheSuccessRateDecidesTheNextCompositionSearchAndBadInputKeepsTheOldValue)
{
    // C45's rows with both ends, and one row nobody matches: C45 matches n of n + 1.
    criteria(QStringLiteral("select Number, ElementNo, MinValue, MaxValue, 1 from ChemComp "
                            "where MaterialNo=%1 and MinValue is not null and MaxValue is not null "
                            "union all select 99999, %2, 99, 99.5, 1")
                 .arg(c45)
                 .arg(element(QStringLiteral("C"))));
    const int n = count(QStringLiteral("select * from user.UserChemComp"));
    ASSERT_GE(n, 3);

    TfOptions w(*data, env);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Možnosti..."));
    const QString old = setupRate();
    EXPECT_EQ(QString::number(w.eUspesnost->value()), old);
    // The box takes whole percentages from 1 to 99 and shows "%"; typed text outside that
    // never reaches the value.
    EXPECT_EQ(w.eUspesnost->suffix(), QStringLiteral(" %"));
    for (const char *bad : {"0", "100", "-5", "abc"}) {
        w.eUspesnost->setValue(old.toInt());
        w.eUspesnost->findChild<QLineEdit *>()->setText(QString::fromUtf8(bad));
        w.eUspesnost->interpretText();
        EXPECT_GE(w.eUspesnost->value(), 1) << bad;
        EXPECT_LE(w.eUspesnost->value(), 99) << bad;
    }
    EXPECT_EQ(rateSaved, 0);

    w.eUspesnost->setValue(99);
    EXPECT_TRUE(w.confirm());
    EXPECT_EQ(setupRate(), QStringLiteral("99"));
    EXPECT_EQ(rateSaved, 1);
    EXPECT_FALSE(chemHits(orv::search::ChemThreshold::AtLeast).count(c45));

    TfOptions again(*data, env);
    again.eUspesnost->setValue(50);
    EXPECT_TRUE(again.confirm());
    EXPECT_EQ(setupRate(), QStringLiteral("50"));
    EXPECT_TRUE(chemHits(orv::search::ChemThreshold::AtLeast).count(c45));
}

TEST_F(OptionsWindow, DeviationsNarrowTheCompositionSearchAndDuplicatesAreRefused)
{
    // Carbon from 0.40 upwards: C45 (0.42 to 0.50) is found without a deviation.
    const int carbon = element(QStringLiteral("C"));
    criteria(QStringLiteral("select 1, %1, 0.40, null, 1").arg(carbon));
    data->userSession().exec(QStringLiteral("delete from SetupChemComp where ELEMENTNO=%1").arg(carbon));
    data->tSetupChemComp.refresh();
    EXPECT_TRUE(chemHits(orv::search::ChemThreshold::Exact).count(c45));

    TfOptions w(*data, env);
    // Added with 2 %: the minimum must now lie within 0.40 to 0.408.
    editElement = [&](TfEditSetupChemComp &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Přidat nový chemický prvek ..."));
        d.placeOnElement(carbon);
        EXPECT_EQ(d.eElement->text(), data->tElements.value(QStringLiteral("Name")).toString());
        d.eDigress->setText(QStringLiteral("abc"));
        EXPECT_FALSE(d.save());
        EXPECT_EQ(plainMessages, QStringList{TfEditSetupChemComp::formatMessage()});
        d.eDigress->setText(QStringLiteral("2"));
        EXPECT_TRUE(d.save());
    };
    const int rows = data->tSetupChemComp.recordCount();
    w.addElement();
    ASSERT_EQ(data->tSetupChemComp.recordCount(), rows + 1);
    EXPECT_EQ(sqlite(QStringLiteral("select DIGRESS from user.SetupChemComp where ELEMENTNO=%1").arg(carbon)),
              QStringList{QStringLiteral("2.0")});
    EXPECT_FALSE(chemHits(orv::search::ChemThreshold::Exact).count(c45));

    // Adding starts on the current row; saving it unchanged is a duplicate.
    ASSERT_TRUE(data->tSetupChemComp.locate(QStringLiteral("ELEMENTNO"), carbon));
    plainMessages.clear();
    editElement = [&](TfEditSetupChemComp &d) {
        EXPECT_EQ(d.chosenElement().toInt(), carbon);
        EXPECT_EQ(d.deviation(), std::optional<double>(2.0));
        EXPECT_FALSE(d.save());
        EXPECT_EQ(plainMessages, QStringList{TfEditSetupChemComp::duplicateMessage()});
    };
    w.addElement();
    EXPECT_EQ(data->tSetupChemComp.recordCount(), rows + 1);

    // Changing the row and keeping its element is accepted: 10 % lets C45 in again.
    editElement = [&](TfEditSetupChemComp &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Změnit chemický prvek ..."));
        d.eDigress->setText(QStringLiteral("10,5"));
        EXPECT_TRUE(d.save());
    };
    w.changeElement();
    EXPECT_EQ(sqlite(QStringLiteral("select DIGRESS from user.SetupChemComp where ELEMENTNO=%1").arg(carbon)),
              QStringList{QStringLiteral("10.5")});
    EXPECT_TRUE(chemHits(orv::search::ChemThreshold::Exact).count(c45));

    // OK after changing only the list still writes the (unchanged) success rate.
    data->userSession().exec(QStringLiteral("update Setup set Value=' 60' where Items='USPESNOST'"));
    data->tSetup.refresh();
    TfOptions second(*data, env);
    EXPECT_TRUE(second.confirm());
    EXPECT_EQ(setupRate(), QStringLiteral("60"));

    // Deleting asks first.
    answers = {orv::ui::mrNo};
    w.deleteElement();
    EXPECT_EQ(data->tSetupChemComp.recordCount(), rows + 1);
    w.deleteElement();
    EXPECT_EQ(data->tSetupChemComp.recordCount(), rows);
    EXPECT_TRUE(chemHits(orv::search::ChemThreshold::Exact).count(c45));
}

TEST_F(OptionsWindow, PropertyGroupsDecideWhatAGroupRowOfThePropertySearchMatches)
{
    // Two single properties: P found with many materials, Q with few.
    const QStringList byUse = sqlite(QStringLiteral(
        "select pt.Number from user.PropType pt join MechProp mp on mp.PropertyNo=pt.Number "
        "join Dimens di on di.Number=mp.DimensionNo where coalesce(pt.GroupType,'')<>'A' "
        "group by pt.Number order by count(distinct di.StateNo) desc, pt.Number"));
    ASSERT_GE(byUse.size(), 2);
    const int p = byUse.first().toInt(), q = byUse.last().toInt();

    TfOptions w(*data, env);
    // An empty name is refused; the dialog comes again.
    groupNames = {QString(), QStringLiteral("Zkušební skupina")};
    w.newGroup();
    EXPECT_EQ(messages, QStringList{TfOptions::emptyGroupMessage()});
    const int group = sqlite(QStringLiteral("select Number from user.PropType where Name='Zkušební skupina' and GroupType='A'")).value(0).toInt();
    ASSERT_GT(group, 0);
    ASSERT_TRUE(data->qPropTypeParent.locate(QStringLiteral("Number"), group));
    // Cancelling a new group leaves no row.
    const int types = count(QStringLiteral("select * from user.PropType"));
    groupNames.clear();
    w.newGroup();
    EXPECT_EQ(count(QStringLiteral("select * from user.PropType")), types);
    ASSERT_TRUE(data->qPropTypeParent.locate(QStringLiteral("Number"), group));

    auto hits = [&] {
        orv::search::MechCriterion row;
        row.propertyNo = group;
        row.groupType = QStringLiteral("A");
        row.minValue = 0.0;
        orv::search::MechFilters filters;
        const auto outcome = orv::search::runMechSearch(conn(), {row}, filters);
        std::set<int> out;
        for (const auto &r : orv::search::readMechResult(conn(), outcome))
            out.insert(r.matNumber);
        return out;
    };
    w.addMembers({q});
    EXPECT_EQ(w.lbPropTypeChild->count(), 1);
    EXPECT_EQ(w.lbPropTypeChild->item(0)->data(Qt::UserRole).toInt(), q);
    const std::set<int> withQ = hits();
    w.addMembers({p});
    const std::set<int> withBoth = hits();
    EXPECT_GT(withBoth.size(), withQ.size());
    EXPECT_TRUE(std::includes(withBoth.begin(), withBoth.end(), withQ.begin(), withQ.end()));
    w.removeMembers({q});
    EXPECT_EQ(sqlite(QStringLiteral("select Number from user.PropType where Parent=%1").arg(group)), QStringList{QString::number(p)});

    // Deleting the group leaves its members as single properties without a group.
    messages.clear();
    w.deleteGroup();
    EXPECT_EQ(messages, QStringList{TfOptions::deleteGroupQuestion()});
    EXPECT_EQ(count(QStringLiteral("select * from user.PropType where Number=%1").arg(group)), 0);
    EXPECT_EQ(count(QStringLiteral("select * from user.PropType where Parent=%1").arg(group)), 0);
    EXPECT_EQ(sqlite(QStringLiteral("select coalesce(Parent,'-') from user.PropType where Number=%1").arg(p)), QStringList{QStringLiteral("-")});
}

TEST_F(OptionsWindow, MovingPropertiesFromOtherGroupsAsksOnceWithYesToAll)
{
    const QStringList singles = sqlite(QStringLiteral("select Number from user.PropType where coalesce(GroupType,'')<>'A' order by Number limit 3"));
    ASSERT_EQ(singles.size(), 3);
    TfOptions w(*data, env);
    groupNames = {QStringLiteral("Skupina A")};
    w.newGroup();
    groupNames = {QStringLiteral("Skupina B")};
    w.newGroup();
    const int a = sqlite(QStringLiteral("select Number from user.PropType where Name='Skupina A'")).value(0).toInt();
    const int b = sqlite(QStringLiteral("select Number from user.PropType where Name='Skupina B'")).value(0).toInt();
    // Two of the three belong to group A already.
    ASSERT_TRUE(data->qPropTypeParent.locate(QStringLiteral("Number"), a));
    w.addMembers({singles.at(0).toInt(), singles.at(1).toInt()});
    ASSERT_EQ(w.lbPropTypeChild->count(), 2);

    ASSERT_TRUE(data->qPropTypeParent.locate(QStringLiteral("Number"), b));
    EXPECT_EQ(w.lbPropTypeChild->count(), 0);
    messages.clear();
    answers = {orv::ui::mrYesToAll};
    // Selection in the list, in list order, by the Number each item keeps.
    for (int i = 0; i < w.lbPropType->count(); ++i)
        w.lbPropType->item(i)->setSelected(singles.contains(w.lbPropType->item(i)->data(Qt::UserRole).toString()));
    w.addSelectedMembers();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.value(0).startsWith(QStringLiteral("Vlastnost \"")));
    EXPECT_EQ(count(QStringLiteral("select * from user.PropType where Parent=%1").arg(b)), 3);
    EXPECT_EQ(count(QStringLiteral("select * from user.PropType where Parent=%1").arg(a)), 0);
    EXPECT_EQ(w.lbPropTypeChild->count(), 3);
    // The list of single properties still lists them.
    EXPECT_EQ(w.lbPropType->count(), count(QStringLiteral("select * from user.PropType where coalesce(GroupType,'')<>'A'")));

    // The member list accepts drags from the single properties only; the middle panel from the members only.
    EXPECT_TRUE(w.lbPropTypeChild->acceptsDragFrom(w.lbPropType));
    EXPECT_FALSE(w.lbPropTypeChild->acceptsDragFrom(w.lbPropTypeChild));
    EXPECT_TRUE(w.pMiddle->acceptsDragFrom(w.lbPropTypeChild));
    EXPECT_FALSE(w.pMiddle->acceptsDragFrom(w.lbPropType));
    // A drop from outside the window (no source widget, e.g. another program's text) is
    // refused by both and changes no group.
    w.pages->setCurrentIndex(2);
    w.show();
    QSignalSpy toMembers(w.lbPropTypeChild, &PropertyList::dropped);
    QSignalSpy toPanel(w.pMiddle, &DropPanel::dropped);
    for (QWidget *target : std::initializer_list<QWidget *>{w.lbPropTypeChild->viewport(), w.pMiddle}) {
        ASSERT_TRUE(target->isVisible());
        QMimeData mime;
        mime.setText(QStringLiteral("Mez kluzu"));
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_FALSE(enter.isAccepted());
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        EXPECT_FALSE(drop.isAccepted());
    }
    EXPECT_EQ(toMembers.count(), 0);
    EXPECT_EQ(toPanel.count(), 0);
    EXPECT_EQ(count(QStringLiteral("select * from user.PropType where Parent=%1").arg(b)), 3);
}

TEST_F(OptionsWindow, SwitchesChangeAtOnceWhicheverButtonCloses)
{
    bool autoSave = true, economy = false;
    int standard = 0;
    env.autoSave = [&] { return autoSave; };
    env.setAutoSave = [&](bool on) { autoSave = on; };
    env.economyMode = [&] { return economy; };
    env.setEconomyMode = [&](bool on) { economy = on; };
    env.standardSettings = [&] {
        ++standard;
        autoSave = true;
        economy = false;
    };
    const QString old = setupRate();
    TfOptions w(*data, env);
    EXPECT_TRUE(w.cbAutoSave->isChecked());
    w.cbAutoSave->setChecked(false);
    w.cbUsporny->setChecked(true);
    EXPECT_FALSE(autoSave);
    EXPECT_TRUE(economy);
    w.eUspesnost->setValue(33);
    w.reject(); // "Zpět"
    EXPECT_FALSE(autoSave);
    EXPECT_EQ(setupRate(), old);

    TfOptions again(*data, env);
    EXPECT_FALSE(again.cbAutoSave->isChecked());
    EXPECT_TRUE(again.cbUsporny->isChecked());
    again.bStandard->click();
    EXPECT_EQ(standard, 1);
    EXPECT_TRUE(again.cbAutoSave->isChecked());
    EXPECT_FALSE(again.cbUsporny->isChecked());
}
