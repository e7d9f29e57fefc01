// The own-material editor and actions on each engine (the SQLite files of a copy of the demo
// catalogue, the demo loaded on the test server): a new material is saved whole, edited and
// deleted leaving nothing; a copy takes its rows, all or nothing; Storno keeps nothing. What was
// written is read back through a second session, as another program would see it.

#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "browse/ContentsTreeModel.h"
#include "browse/MaterialCard.h"
#include "db/Connection.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "support/DemoServer.h"
#include "support/LostCommit.h"
#include "support/ProgramFolder.h"
#include "userdata/EditGridModel.h"
#include "userdata/OwnMaterialActions.h"
#include "userdata/TfInsEditMaterial.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace orv::userdata;
using orv::db::Engine;

namespace {

class OwnMaterialEngines : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settingsDir.isValid());
        if (GetParam() == Engine::Postgres) {
            ORV_DEMO_SERVER_DATABASE(server);
            conninfo = server;
            data = std::make_unique<orv::db::MainDataModule>(orv::db::ServerDatabase{conninfo});
            reader.openServer(conninfo);
        } else {
            ASSERT_TRUE(folder.isValid());
            ASSERT_TRUE(folder.addDemoCatalogue());
            data = std::make_unique<orv::db::MainDataModule>(folder.root, folder.root);
            reader.open(folder.root + QStringLiteral("data/catalogue.sqlite"), folder.root + QStringLiteral("data/user.sqlite"),
                        orv::db::Database::User);
        }
        own = std::make_unique<orv::db::OwnDataModule>(*data);
        OwnMaterialEnvironment env;
        env.editor.settingsFile = settingsDir.filePath(QStringLiteral("Zeb.ini"));
        env.editor.message = [this](const QString &text, orv::ui::MsgType, orv::ui::MsgButtons) {
            messages << text;
            return answer;
        };
        env.runEditor = [this](TfInsEditMaterial &editor) {
            editor.chooseElement = [this](const QVariant &) { return std::optional<QVariant>(pickedElement); };
            editor.runNoteDialog = [this](NoteDialog &dialog) {
                dialog.setText(noteToType);
                return int(QDialog::Accepted);
            };
            editor.show();
            if (drive)
                drive(editor);
            if (editor.isVisible())
                editor.accept();
            return int(editor.result());
        };
        actions = std::make_unique<OwnMaterialActions>(*own, env);
        carbon = reader.scalar(QStringLiteral("select Number from Elements where Label='C'")).toInt();
        ASSERT_GT(carbon, 0);
    }
    void TearDown() override
    {
        actions.reset();
        own.reset();
        data.reset();
    }

    // Lines of '|'-joined values (null as "-") of a query, through the second session.
    QStringList rows(const QString &sql)
    {
        QStringList out;
        orv::db::Statement st(reader, sql);
        while (st.step()) {
            QStringList cells;
            for (int i = 0; i < st.columnCount(); ++i)
                cells << (st.value(i).isNull() ? QStringLiteral("-") : st.value(i).toString());
            out << cells.join(u'|');
        }
        return out;
    }
    int rowCount(const QString &from) { return reader.scalar(QStringLiteral("select count(*) from ") + from).toInt(); }
    // Rows of every table the editor and the copy write.
    QStringList ownTableCounts()
    {
        QStringList out;
        for (const char *t : {"Mat", "Nodes", "Norms", "ChemComp", "CompareNorms", "Notices", "UserNotices", "OwnSemiProd",
                              "OwnStates", "OwnDimens", "OwnMechProp", "OwnTemps", "OwnFyzProp", "OwnTempProc"})
            out << QStringLiteral("%1=%2").arg(QLatin1String(t)).arg(rowCount(QLatin1String(t)));
        return out;
    }
    // What a material is made of, as the card would show it: its row, first designation, node,
    // composition with notes and equivalents, one entry each (rows joined by ';').
    QStringList materialRows(int m)
    {
        QStringList out;
        for (const char *sql : {"select Name, Private from Mat where Number=%1",
                                "select Name, Label from Norms where MaterialNo=%1 order by Number limit 1",
                                "select Text from Nodes where MaterialNo=%1",
                                "select cc.ElementNo, cc.MinValue, cc.MaxValue, n.Notice from ChemComp cc "
                                "left join Notices n on n.Number=cc.NoticeNo where cc.MaterialNo=%1 order by cc.Number",
                                "select Name, Label, CountryNo from CompareNorms where MaterialNo=%1 order by Number"})
            out << rows(QString::fromLatin1(sql).arg(m)).join(u';');
        return out;
    }
    // Replaces the box's text key by key, as a user types it (Czech letters included).
    static void typeInto(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        for (const QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(box, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(box, &release);
        }
    }
    // A designation and a composition row of carbon with a Czech note.
    void typeNewMaterial(TfInsEditMaterial &e, const QString &label)
    {
        typeInto(e.eName, QStringLiteral("Zkušební ocel"));
        typeInto(e.eNorm, QStringLiteral("ČSN"));
        typeInto(e.eLabel, label);
        ASSERT_TRUE(e.postRecord());
        e.setWorkingDataSet(own->qChemComp);
        e.insertRecord();
        pickedElement = carbon;
        e.pickElement();
        ASSERT_TRUE(e.chemCompModel()->setData(e.chemCompModel()->index(0, 1), QStringLiteral("0,42")));
        ASSERT_TRUE(e.chemCompModel()->setData(e.chemCompModel()->index(0, 2), QStringLiteral("0,5")));
        ASSERT_TRUE(e.postRecord());
        noteToType = QStringLiteral("uhlík podle tavby, žíháno");
        e.editNote();
        e.setWorkingDataSet(own->qMat);
    }

    orv::test::ProgramFolder folder;
    QTemporaryDir settingsDir;
    QString conninfo;
    orv::db::Connection reader;
    std::unique_ptr<orv::db::MainDataModule> data;
    std::unique_ptr<orv::db::OwnDataModule> own;
    std::unique_ptr<OwnMaterialActions> actions;
    std::function<void(TfInsEditMaterial &)> drive;
    QStringList messages;
    int answer = orv::ui::mrYes;
    QVariant pickedElement;
    QString noteToType;
    int carbon = 0;
};

INSTANTIATE_TEST_SUITE_P(, OwnMaterialEngines, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const ::testing::TestParamInfo<Engine> &info) {
                             return std::string(info.param == Engine::Postgres ? "Postgres" : "Sqlite");
                         });

TEST_P(OwnMaterialEngines, ANewMaterialIsSavedWholeEditedAndDeletedLeavingNothing)
{
    const QStringList before = ownTableCounts();
    drive = [&](TfInsEditMaterial &e) { typeNewMaterial(e, QStringLiteral("ŽK 12 345")); };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0) << messages.join(u'|').toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    EXPECT_EQ(materialRows(m), (QStringList{QStringLiteral("Zkušební ocel|A"), QStringLiteral("ČSN|ŽK 12 345"),
                                            QStringLiteral("ŽK 12 345"),
                                            QStringLiteral("%1|0.42|0.5|uhlík podle tavby, žíháno").arg(carbon), QString()}));

    drive = [&](TfInsEditMaterial &e) {
        EXPECT_EQ(e.eLabel->text(), QStringLiteral("ŽK 12 345"));
        typeInto(e.eLabel, QStringLiteral("ŽK 12 346"));
        e.setWorkingDataSet(own->qChemComp);
        ASSERT_TRUE(e.chemCompModel()->setData(e.chemCompModel()->index(0, 2), QStringLiteral("0,9")));
    };
    actions->editMaterial(m);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    EXPECT_EQ(materialRows(m), (QStringList{QStringLiteral("Zkušební ocel|A"), QStringLiteral("ČSN|ŽK 12 346"),
                                            QStringLiteral("ŽK 12 346"),
                                            QStringLiteral("%1|0.42|0.9|uhlík podle tavby, žíháno").arg(carbon), QString()}));

    answer = orv::ui::mrYes;
    EXPECT_TRUE(actions->deleteMaterial(m));
    EXPECT_EQ(messages, QStringList{OwnMaterialActions::deleteQuestion(QStringLiteral("ŽK 12 346"))});
    EXPECT_EQ(materialRows(m), QStringList(5, QString()));
    EXPECT_EQ(ownTableCounts(), before);
}

TEST_P(OwnMaterialEngines, ACopyTakesItsRowsAndAFailedOneLeavesNothing)
{
    const int c45 = reader.scalar(QStringLiteral("select MaterialNo from Norms where Label='C45' order by Number limit 1")).toInt();
    ASSERT_GT(c45, 0);
    const QStringList original = materialRows(c45);
    const QStringList before = ownTableCounts();
    const QString properties = QStringLiteral("(select count(*) from %1SemiProd where MaterialNo=%2) + "
                                              "(select count(*) from %1FyzProp where MaterialNo=%2) + "
                                              "(select count(*) from %1TempProc where MaterialNo=%2)");
    const int c45Properties = reader.scalar(QStringLiteral("select ") + properties.arg(QString()).arg(c45)).toInt();
    ASSERT_GT(c45Properties, 0);

    // A write the engine refuses half-way: said, and nothing of the copy is left.
    orv::db::Connection admin;
    if (GetParam() == Engine::Postgres) {
        admin.openServer(conninfo);
        admin.exec(QStringLiteral("create function orv_refuse() returns trigger language plpgsql as "
                                  "'begin raise exception ''porucha disku''; end'"));
        admin.exec(QStringLiteral("create trigger fail_copy before insert on ChemComp for each row execute function orv_refuse()"));
    } else {
        data->userSession().exec(QStringLiteral("create temp trigger fail_copy before insert on ChemComp "
                                                "begin select raise(abort, 'porucha disku'); end"));
    }
    EXPECT_EQ(actions->copyMaterial(c45), 0);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QStringLiteral("porucha disku"))) << messages.first().toStdString();
    EXPECT_EQ(ownTableCounts(), before);
    if (GetParam() == Engine::Postgres)
        admin.exec(QStringLiteral("drop trigger fail_copy on ChemComp"));
    else
        data->userSession().exec(QStringLiteral("drop trigger fail_copy"));

    messages.clear();
    const int copy = actions->copyMaterial(c45);
    ASSERT_GT(copy, 0) << messages.join(u'|').toStdString();
    QStringList expected = original;
    expected[0].replace(QRegularExpression(QStringLiteral("\\|.*$")), QStringLiteral("|A"));
    expected[1].replace(QStringLiteral("|C45"), QStringLiteral("|C45 (kopie)"));
    expected[2] = QStringLiteral("C45 (kopie)");
    EXPECT_EQ(materialRows(copy), expected);
    EXPECT_EQ(reader.scalar(QStringLiteral("select ") + properties.arg(QStringLiteral("Own")).arg(copy)).toInt(), c45Properties);
    EXPECT_EQ(materialRows(c45), original);

    answer = orv::ui::mrYes;
    EXPECT_TRUE(actions->deleteMaterial(copy));
    EXPECT_EQ(ownTableCounts(), before);
    EXPECT_EQ(materialRows(c45), original);
}

TEST_P(OwnMaterialEngines, StornoKeepsNothingOfANewMaterial)
{
    const QStringList before = ownTableCounts();
    drive = [&](TfInsEditMaterial &e) {
        typeNewMaterial(e, QStringLiteral("ZAHODIT 1"));
        answer = orv::ui::mrYes;
        QTest::mouseClick(e.stornoButton, Qt::LeftButton);
        EXPECT_FALSE(e.isVisible());
    };
    EXPECT_EQ(actions->newMaterial(), 0);
    EXPECT_EQ(messages, QStringList{TfInsEditMaterial::discardNewQuestion()});
    EXPECT_EQ(ownTableCounts(), before);
    EXPECT_EQ(rowCount(QStringLiteral("Norms where Label='ZAHODIT 1'")), 0);
}

TEST_P(OwnMaterialEngines, TheTreeAndAnOpenCardFollowNewEditAndDelete)
{
    orv::browse::ContentsPane pane(*data);
    pane.resize(300, 600);
    pane.show();
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    orv::browse::CardList cards(&area, orv::browse::CardEnvironment::fromDataModule(*data));
    cards.showInformation = [](const QString &) {};
    cards.showError = [this](const QString &text) { messages << text; };
    cards.showPlainError = [this](const QString &text) { messages << text; };
    actions->environment().pane = &pane;
    actions->environment().cards = &cards;
    // The text of the tree's node of material M and of its parent (empty when the tree lacks it).
    auto treeNodeOf = [&](int m) {
        orv::browse::ContentsTreeModel *model = pane.treeModel();
        const int n = model->tree().findNode(reader.scalar(QStringLiteral("select Number from Nodes where MaterialNo=%1").arg(m)).toString());
        if (n < 0)
            return QStringList();
        const QModelIndex index = model->indexOfNode(n);
        return QStringList{index.data().toString(), index.parent().data().toString()};
    };

    drive = [&](TfInsEditMaterial &e) { typeNewMaterial(e, QStringLiteral("ŠTÍTEK 7")); };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0) << messages.join(u'|').toStdString();
    EXPECT_EQ(treeNodeOf(m), (QStringList{QStringLiteral("ŠTÍTEK 7"), QStringLiteral("Vlastní materiály")}));
    orv::browse::MaterialCard *card = cards.openCard(m, QStringLiteral("ŠTÍTEK 7"));
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->designationLabel()->text(), QStringLiteral("ŠTÍTEK 7"));
    EXPECT_EQ(card->qChemComp.recordCount(), 1);

    drive = [&](TfInsEditMaterial &e) { typeInto(e.eLabel, QStringLiteral("ŠTÍTEK 8")); };
    actions->editMaterial(m);
    EXPECT_EQ(treeNodeOf(m).value(0), QStringLiteral("ŠTÍTEK 8"));
    EXPECT_EQ(card->designationLabel()->text(), QStringLiteral("ŠTÍTEK 8"));

    EXPECT_TRUE(actions->deleteMaterial(m));
    EXPECT_EQ(cards.findCard(m), nullptr);
    EXPECT_EQ(treeNodeOf(m), QStringList());
    EXPECT_EQ(messages, QStringList{OwnMaterialActions::deleteQuestion(QStringLiteral("ŠTÍTEK 8"))});
}

TEST_P(OwnMaterialEngines, ANoteDeletedInTheEditorLeavesNoRowAndTheMaterialKeepsNoReference)
{
    const int notices = rowCount(QStringLiteral("Notices"));
    drive = [&](TfInsEditMaterial &e) {
        typeInto(e.eLabel, QStringLiteral("BEZ POZNÁMKY"));
        noteToType = QStringLiteral("poznámka materiálu");
        e.editNote();
        EXPECT_EQ(e.eNote->toPlainText(), QStringLiteral("poznámka materiálu"));
        e.deleteNote();
        EXPECT_TRUE(own->qMat.value(QStringLiteral("NoticeNo")).isNull());
    };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0) << messages.join(u'|').toStdString();
    EXPECT_EQ(rowCount(QStringLiteral("Notices")), notices);
    EXPECT_EQ(rows(QStringLiteral("select NoticeNo from Mat where Number=%1").arg(m)), QStringList{QStringLiteral("-")});
}

TEST_P(OwnMaterialEngines, SmallContentsShowAsTypedWhenTheMaterialIsOpenedAgain)
{
    const int sulphur = reader.scalar(QStringLiteral("select Number from Elements where Label='S'")).toInt();
    const int boron = reader.scalar(QStringLiteral("select Number from Elements where Label='B'")).toInt();
    ASSERT_GT(sulphur, 0);
    ASSERT_GT(boron, 0);
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    drive = [&](TfInsEditMaterial &e) {
        typeInto(e.eLabel, QStringLiteral("PŘESNĚ 1"));
        e.setWorkingDataSet(own->qChemComp);
        EditGridModel *model = e.chemCompModel();
        for (auto [element, column, value] : {std::tuple{sulphur, 2, "0,035"}, std::tuple{boron, 1, "0,0008"}}) {
            e.insertRecord();
            pickedElement = element;
            e.pickElement();
            ASSERT_TRUE(model->setData(model->index(model->insertRow(), column), QString::fromUtf8(value)));
            ASSERT_TRUE(e.postRecord());
        }
    };
    const int m = actions->newMaterial();
    QStringList shown;
    drive = [&](TfInsEditMaterial &e) {
        EditGridModel *model = e.chemCompModel();
        for (int row = 0; row < model->rowCount(); ++row)
            shown << model->index(row, 1).data().toString() + u'|' + model->index(row, 2).data().toString();
    };
    actions->editMaterial(m);
    QLocale::setDefault(QLocale::c());
    ASSERT_GT(m, 0);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("|0,035"), QStringLiteral("0,0008|")}));
    auto stored = [&](const char *column, int element) {
        return reader.scalar(QStringLiteral("select %1 from ChemComp where MaterialNo=%2 and ElementNo=%3")
                                 .arg(QLatin1String(column)).arg(m).arg(element));
    };
    EXPECT_EQ(stored("MaxValue", sulphur).toDouble(), 0.035);
    EXPECT_TRUE(stored("MinValue", sulphur).isNull());
    EXPECT_EQ(stored("MinValue", boron).toDouble(), 0.0008);
    EXPECT_TRUE(stored("MaxValue", boron).isNull());
}

TEST_P(OwnMaterialEngines, AWriteTheEngineRefusesKeepsTheWindowOpenAndTheRetrySavesWhole)
{
    // Refused only for a name the user then corrects, so the same open window retries.
    orv::db::Connection admin;
    if (GetParam() == Engine::Postgres) {
        admin.openServer(conninfo);
        admin.exec(QStringLiteral("create function orv_refuse_name() returns trigger language plpgsql as "
                                  "'begin if new.Name like ''%odmítnout%'' then raise exception ''zápis odmítnut''; "
                                  "end if; return new; end'"));
        admin.exec(QStringLiteral("create trigger refuse before insert or update on Mat for each row "
                                  "execute function orv_refuse_name()"));
    } else {
        data->userSession().exec(QStringLiteral("create temp trigger refuse before update on Mat when new.Name like '%odmítnout%' "
                                                "begin select raise(abort, 'zápis odmítnut'); end"));
    }
    drive = [&](TfInsEditMaterial &e) {
        typeNewMaterial(e, QStringLiteral("ZNOVU 1"));
        typeInto(e.eName, QStringLiteral("odmítnout"));
        messages.clear();
        e.accept();
        EXPECT_TRUE(e.isVisible());
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.first().contains(QStringLiteral("zápis odmítnut"))) << messages.first().toStdString();
        EXPECT_EQ(e.eName->text(), QStringLiteral("odmítnout")); // the typed text stays
        messages.clear();
        typeInto(e.eName, QStringLiteral("Opravená ocel"));
    };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0) << messages.join(u'|').toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    EXPECT_EQ(materialRows(m), (QStringList{QStringLiteral("Opravená ocel|A"), QStringLiteral("ČSN|ZNOVU 1"), QStringLiteral("ZNOVU 1"),
                                            QStringLiteral("%1|0.42|0.5|uhlík podle tavby, žíháno").arg(carbon), QString()}));
}

// Another user changes the material's name while the editor is open: saving the name is refused
// with what was typed kept, and saving it again on purpose overwrites. (In a file the open
// editor holds the write lock: the other program waits and is refused instead.) A material
// another user deleted is not opened at all.
TEST_P(OwnMaterialEngines, AMaterialChangedMeanwhileIsRefusedTypedKeptAndASecondSaveOverwrites)
{
    drive = [&](TfInsEditMaterial &e) { typeNewMaterial(e, QStringLiteral("SPOR 1")); };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0) << messages.join(u'|').toStdString();
    messages.clear();
    if (GetParam() == Engine::Postgres) {
        drive = [&](TfInsEditMaterial &e) {
            typeInto(e.eName, QStringLiteral("Můj název"));
            reader.exec(QStringLiteral("update Mat set Name='Kolegův název', Purpose='kolegovo použití' where Number=:m"),
                        {{QStringLiteral("m"), m}});
            EXPECT_FALSE(e.postRecord());
            ASSERT_EQ(messages.size(), 1) << messages.join(u'|').toStdString();
            EXPECT_TRUE(messages.first().startsWith(QStringLiteral("Záznam mezitím změnil jiný uživatel"))) << messages.first().toStdString();
            EXPECT_EQ(e.eName->text(), QStringLiteral("Můj název"));
            EXPECT_EQ(rows(QStringLiteral("select Name from Mat where Number=%1").arg(m)), QStringList{QStringLiteral("Kolegův název")});
            messages.clear();
            EXPECT_TRUE(e.postRecord()) << messages.join(u'|').toStdString();
        };
        actions->editMaterial(m);
        EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
        // The colleague's change of a value this user did not touch stays.
        EXPECT_EQ(rows(QStringLiteral("select Name, Purpose from Mat where Number=%1").arg(m)),
                  QStringList{QStringLiteral("Můj název|kolegovo použití")});
    }

    reader.exec(QStringLiteral("delete from Nodes where MaterialNo=:m"), {{QStringLiteral("m"), m}});
    reader.exec(QStringLiteral("delete from Mat where Number=:m"), {{QStringLiteral("m"), m}});
    bool opened = false;
    drive = [&](TfInsEditMaterial &) { opened = true; };
    actions->editMaterial(m);
    EXPECT_FALSE(opened);
    EXPECT_EQ(messages, QStringList{OwnMaterialActions::goneMessage()});
    messages.clear();
    EXPECT_FALSE(actions->deleteMaterial(m));
    EXPECT_EQ(messages.size(), 2) << messages.join(u'|').toStdString();
    EXPECT_EQ(messages.value(1), OwnMaterialActions::goneMessage()) << messages.join(u'|').toStdString();
}

// Two members of a team create an own material at the same time: the server's sequences give
// each its own numbers, so the second saves inside the first one's open editor without waiting
// for it, and no Number is written twice.
// A team shares a server; a user file has one user.
class OwnMaterialServer : public OwnMaterialEngines {};

INSTANTIATE_TEST_SUITE_P(, OwnMaterialServer, ::testing::Values(Engine::Postgres),
                         [](const ::testing::TestParamInfo<Engine> &) { return std::string("Postgres"); });

TEST_P(OwnMaterialServer, TwoSessionsCreatingAtOnceNeverShareANumber)
{
    orv::db::MainDataModule data2(orv::db::ServerDatabase{conninfo});
    orv::db::OwnDataModule own2(data2);
    data2.userSession().exec(QStringLiteral("set lock_timeout = 1000"));
    OwnMaterialEnvironment env2;
    QStringList messages2;
    env2.editor.settingsFile = settingsDir.filePath(QStringLiteral("Zeb2.ini"));
    env2.editor.message = [&](const QString &text, orv::ui::MsgType, orv::ui::MsgButtons) {
        messages2 << text;
        return int(orv::ui::mrYes);
    };
    env2.runEditor = [&](TfInsEditMaterial &editor) {
        editor.show();
        typeInto(editor.eLabel, QStringLiteral("DRUHÝ 1"));
        editor.accept();
        return int(editor.result());
    };
    OwnMaterialActions actions2(own2, env2);
    int second = -1;
    drive = [&](TfInsEditMaterial &e) {
        typeInto(e.eLabel, QStringLiteral("PRVNÍ 1"));
        second = actions2.newMaterial();
    };
    const int first = actions->newMaterial();
    ASSERT_GT(first, 0) << messages.join(u'|').toStdString();
    EXPECT_GT(second, 0) << messages2.join(u'|').toStdString();
    EXPECT_NE(second, first);
    EXPECT_TRUE(messages2.isEmpty()) << messages2.join(u'|').toStdString();
    EXPECT_EQ(rows(QStringLiteral("select Number from Mat group by Number having count(*) > 1")), QStringList());
    EXPECT_EQ(rows(QStringLiteral("select Number from Nodes group by Number having count(*) > 1")), QStringList());
    EXPECT_EQ(rows(QStringLiteral("select Number from Norms group by Number having count(*) > 1")), QStringList());
    EXPECT_EQ(materialRows(first).mid(1, 2), (QStringList{QStringLiteral("-|PRVNÍ 1"), QStringLiteral("PRVNÍ 1")}));
    EXPECT_EQ(materialRows(second).mid(1, 2), (QStringList{QStringLiteral("-|DRUHÝ 1"), QStringLiteral("DRUHÝ 1")}));
}

// A colleague's open window holds the material's row: saving waits a while and is then
// refused with the typed text kept, not left standing until the colleague closes theirs; once
// the row is free the same save goes through.
TEST_P(OwnMaterialServer, ARowAColleagueHoldsIsRefusedInTimeWithTheTypedTextKept)
{
    drive = [&](TfInsEditMaterial &e) { typeNewMaterial(e, QStringLiteral("DRŽENÝ 1")); };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0) << messages.join(u'|').toStdString();
    orv::db::Connection &session = data->userSession();
    EXPECT_EQ(session.scalar(QStringLiteral("show lock_timeout")).toString(), QStringLiteral("5s"));
    session.exec(QStringLiteral("set lock_timeout = 300"));   // the test need not wait five seconds
    messages.clear();
    drive = [&](TfInsEditMaterial &e) {
        std::optional<orv::db::Transaction> colleague(std::in_place, reader);
        reader.exec(QStringLiteral("update Mat set Purpose='kolegovo' where Number=:m"), {{QStringLiteral("m"), m}});
        typeInto(e.eName, QStringLiteral("Můj název"));
        EXPECT_FALSE(e.postRecord());
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.first().startsWith(QStringLiteral("Data právě upravuje jiný uživatel"))) << messages.first().toStdString();
        EXPECT_EQ(e.eName->text(), QStringLiteral("Můj název"));
        colleague->rollback();
        messages.clear();
        EXPECT_TRUE(e.postRecord()) << messages.join(u'|').toStdString();
    };
    actions->editMaterial(m);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    EXPECT_EQ(rows(QStringLiteral("select Name from Mat where Number=%1").arg(m)), QStringList{QStringLiteral("Můj název")});
}

// The server keeps who changed an own material, also when only a row hanging on it changed.
TEST_P(OwnMaterialServer, TheMaterialSaysWhoChangedItEvenForACompositionOnlyChange)
{
    drive = [&](TfInsEditMaterial &e) { typeNewMaterial(e, QStringLiteral("RAZÍTKO 1")); };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0) << messages.join(u'|').toStdString();
    const QString who = reader.scalar(QStringLiteral("select session_user")).toString();
    const QString stamp = QStringLiteral("select ChangedBy, ChangedAt from Mat where Number=%1").arg(m);
    const QStringList created = rows(stamp);
    ASSERT_EQ(created.size(), 1);
    EXPECT_TRUE(created.first().startsWith(who + QLatin1Char('|'))) << created.first().toStdString();
    drive = [&](TfInsEditMaterial &e) {
        e.setWorkingDataSet(own->qChemComp);
        ASSERT_TRUE(e.chemCompModel()->setData(e.chemCompModel()->index(0, 2), QStringLiteral("0,7")));
        ASSERT_TRUE(e.postRecord());
    };
    actions->editMaterial(m);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    EXPECT_EQ(reader.scalar(QStringLiteral("select ChangedAt > '%1' from Mat where Number=%2")
                                .arg(created.first().section(u'|', 1), QString::number(m)))
                  .toInt(),
              1);
    EXPECT_EQ(rowCount(QStringLiteral("Mat where ChangedBy is not null and Private is distinct from 'A'")), 0);
}

// The server lost while the editor is open: what was typed stays in the window, the window
// says nothing was saved, and neither OK nor a later one commits anything. When the session
// breaks during COMMIT itself the outcome is unknown: said so, and a second OK does not send
// anything again on a new session (it would report success for changes that may be gone).
TEST_P(OwnMaterialServer, ALostServerKeepsTheEditorOpenAndNeverCommitsBlindly)
{
    drive = [&](TfInsEditMaterial &e) { typeNewMaterial(e, QStringLiteral("ZTRÁTA 1")); };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0) << messages.join(u'|').toStdString();
    const QStringList saved = materialRows(m);
    orv::db::Connection &session = data->userSession();

    // 1. Killed between two saves inside the window.
    messages.clear();
    drive = [&](TfInsEditMaterial &e) {
        typeInto(e.eName, QStringLiteral("Ztracený název"));
        ASSERT_TRUE(e.postRecord());
        reader.exec(QStringLiteral("select pg_terminate_backend(:p, 5000)"),
                    {{QStringLiteral("p"), session.scalar(QStringLiteral("select pg_backend_pid()")).toInt()}});
        e.accept();
        EXPECT_TRUE(e.isVisible());
        e.accept();
        EXPECT_TRUE(e.isVisible());
        EXPECT_EQ(e.eName->text(), QStringLiteral("Ztracený název"));
        ASSERT_EQ(messages.size(), 2);
        for (const QString &text : messages)
            EXPECT_TRUE(text.startsWith(lostConnectionText())) << text.toStdString();
        e.reject();
    };
    actions->editMaterial(m);
    EXPECT_EQ(materialRows(m), saved);

    // 2. Killed while the server carries out COMMIT.
    orv::test::makeCommitsSlow(reader, QStringLiteral("Mat"));
    messages.clear();
    drive = [&](TfInsEditMaterial &e) {
        typeInto(e.eName, QStringLiteral("Nejistý název"));
        ASSERT_TRUE(e.postRecord());
        orv::test::CommitKiller killer(conninfo, session.scalar(QStringLiteral("select pg_backend_pid()")).toInt());
        e.accept();
        killer.stop();
        EXPECT_TRUE(e.isVisible());
        e.accept();
        EXPECT_TRUE(e.isVisible()) << "a second OK reported a commit that was never made";
        ASSERT_EQ(messages.size(), 2);
        for (const QString &text : messages)
            EXPECT_TRUE(text.contains(QStringLiteral("nelze zjistit, zda byla uložena"))) << text.toStdString();
        e.reject();
    };
    actions->editMaterial(m);
    orv::test::dropSlowCommits(reader, QStringLiteral("Mat"));
    EXPECT_EQ(materialRows(m), saved);

    // 3. The next change works on a new session.
    messages.clear();
    drive = [&](TfInsEditMaterial &e) { typeInto(e.eName, QStringLiteral("Po obnovení")); };
    actions->editMaterial(m);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    EXPECT_EQ(materialRows(m).first(), QStringLiteral("Po obnovení|A"));
}

} // namespace
