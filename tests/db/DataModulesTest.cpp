#include "BothEngines.h"
#include "TestDb.h"

#include "db/DataSetModel.h"
#include "db/OwnDataModule.h"
#include "db/ServerSetup.h"

#include <QTemporaryDir>

#include <memory>

using namespace orv::db;

namespace {

// A program folder whose data/ holds both files; the catalogue lies in the program folder.
class Modules : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = dir.path() + QStringLiteral("/");
        createDatabaseFiles(root + QStringLiteral("data/catalogue.sqlite"), root + QStringLiteral("data/user.sqlite"));
    }
    void start()
    {
        StartupProgress p;
        p.showText = [this](const QString &t) { texts << t; };
        p.showTextPanel = [this] { texts << QStringLiteral("<panel>"); };
        if (conninfo.isEmpty())
            main = std::make_unique<MainDataModule>(root, root, p);
        else
            main = std::make_unique<MainDataModule>(ServerDatabase{conninfo}, p);
        own = std::make_unique<OwnDataModule>(*main, p);
    }
    // Runs SQL on the database before the modules start.
    void seed(const QString &sqlText)
    {
        Connection c;
        if (conninfo.isEmpty())
            c.open(root + QStringLiteral("data/catalogue.sqlite"), root + QStringLiteral("data/user.sqlite"));
        else
            c.openServer(conninfo);
        c.exec(sqlText);
    }
    QVariant sql(const QString &q) { return main->userSession().scalar(q); }
    // Rows written straight into the tables stand for a catalogue load: on the server the load
    // sets the numbering sequences above them.
    void loaded()
    {
        if (main->userSession().engine() == Engine::Postgres)
            main->userSession().exec(serverSequenceSyncStatement());
    }
    int count(const QString &table) { return sql(QStringLiteral("select count(*) from ") + table).toInt(); }
    // A new own material through its node, as the own-material editor adds one.
    int newOwnMaterial()
    {
        EXPECT_TRUE(own->qNodes.append());
        EXPECT_TRUE(own->qNodes.post());
        return own->qNodes.value(QStringLiteral("MaterialNo")).toInt();
    }

    QTemporaryDir dir;
    QString root;
    QString conninfo; // the server database when the test runs there
    QStringList texts;
    std::unique_ptr<MainDataModule> main;
    std::unique_ptr<OwnDataModule> own;
};

// The same on each engine: the files or a database on the test server.
class ModulesBoth : public Modules, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override
    {
        Modules::SetUp();
        if (GetParam() != Engine::Postgres)
            return;
        conninfo = orv::test::PgServer::instance().createDatabase();
        if (conninfo.isEmpty()) {
            if (orv::test::PgServer::required())
                FAIL() << qPrintable(orv::test::PgServer::instance().reason());
            GTEST_SKIP() << qPrintable(orv::test::PgServer::instance().reason());
        }
    }
};

} // namespace

TEST_F(Modules, StartupOpensSessionsAndDataSetsInOrder)
{
    start();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Otevření tabulky materiálu ..."), QStringLiteral("Otevření tabulky obsahu ..."),
                                  QStringLiteral("<panel>"), QStringLiteral("Otevření tabulek číselníků ..."),
                                  QStringLiteral("Otevření tabulek pro vlastní materiál ...")}));
    EXPECT_TRUE(main->tUserNotice.isOpen());
    EXPECT_TRUE(own->qUserNotices.isOpen());
    EXPECT_FALSE(main->upgradeOldData().isOpen());
    EXPECT_EQ(main->upgradeNewDataCD().name(), u"ZEB11NewDataCD");
    EXPECT_EQ(main->catalogueSession().name(), u"VTX (CD)");
    EXPECT_TRUE(main->dataRoot().endsWith(u'/'));

    // The composition criteria grid: calculated mark, looked-up element, formatted limits.
    DataSetModel m(&main->tUserChemComp);
    QStringList titles;
    for (int c = 0; c < m.columnCount(); ++c)
        titles << m.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("A"), QStringLiteral("Chemický prvek"),
                                   QStringLiteral("Min. hodnota (%]"), QStringLiteral("Max. hodnota (%)")}));
}

TEST_F(Modules, MissingCatalogueFileStopsStartupWithItsName)
{
    QFile::remove(root + QStringLiteral("data/catalogue.sqlite"));
    try {
        start();
        FAIL();
    } catch (const DbError &e) {
        EXPECT_EQ(e.fileName(), root + QStringLiteral("data/catalogue.sqlite"));
    }
}

TEST_P(ModulesBoth, FirstOwnMaterialGetsNumberOneWithNodeNormsAndMirror)
{
    start();
    const int mat = newOwnMaterial();
    EXPECT_EQ(mat, 1);
    EXPECT_EQ(sql(QStringLiteral("select Private from Mat where Number=1")).toString(), u"A");
    EXPECT_EQ(sql(QStringLiteral("select Name from Mat where Number=1")).toString(), QStringLiteral("Nový materiál"));
    EXPECT_EQ(sql(QStringLiteral("select count(*) from Norms where MaterialNo=1")).toInt(), 1);
    EXPECT_EQ(sql(QStringLiteral("select Name from private_MAT where Number=1")).toString(), QStringLiteral("Nový materiál"));
    EXPECT_EQ(sql(QStringLiteral("select MaterialNo from private_NORMS")).toInt(), 1);
    EXPECT_EQ(sql(QStringLiteral("select ParentNo || ',' || TreeNo || ',' || ImageIndex || ',' || Text from Nodes where MaterialNo=1")).toString(),
              QStringLiteral("-1,1,4,Nový materiál"));
    // The data sets follow: qMat shows the new material, qNorms its one designation row.
    EXPECT_EQ(own->qMat.value(QStringLiteral("Number")).toInt(), 1);
    EXPECT_EQ(own->qNorms.recordCount(), 1);

    // A catalogue material with a higher number: the next own one continues above it.
    main->catalogueSession().exec(QStringLiteral("insert into Mat (Number, Name) values (40, 'Katalog')"));
    loaded();
    EXPECT_EQ(newOwnMaterial(), 41);
}

TEST_P(ModulesBoth, SavingAnOwnMaterialJoinsPurposeAndUpdatesTheMirrorInPlace)
{
    start();
    newOwnMaterial();
    DataSet &qMat = own->qMat;
    ASSERT_TRUE(qMat.edit());
    qMat.setValue(QStringLiteral("Purpose"), QStringLiteral("a"));
    qMat.setValue(QStringLiteral("Purpose1"), QStringLiteral("b"));
    for (const char *p : {"Purpose2", "Purpose3", "Purpose4", "Purpose5"})
        qMat.setValue(QString::fromUtf8(p), QString());
    qMat.setValue(QStringLiteral("Name"), QStringLiteral("Moje ocel"));
    ASSERT_TRUE(qMat.post());
    EXPECT_EQ(sql(QStringLiteral("select PurposeAll from Mat where Number=1")).toString(), u"ab");
    EXPECT_EQ(count(QStringLiteral("private_MAT")), 1);
    EXPECT_EQ(sql(QStringLiteral("select PurposeAll || '|' || Name from private_MAT where Number=1")).toString(),
              QStringLiteral("ab|Moje ocel"));

    // Editing the designation puts the material into edit state and fills the short forms.
    int told = 0;
    own->materialChanged = [&] { ++told; };
    ASSERT_TRUE(own->qNorms.edit());
    EXPECT_EQ(qMat.state(), DataSetState::Edit);
    EXPECT_EQ(told, 1);
    own->qNorms.setValue(QStringLiteral("Name"), QStringLiteral("ČSN 41 7240"));
    own->qNorms.setValue(QStringLiteral("Label"), QStringLiteral("X 5 CrNi 18 10"));
    ASSERT_TRUE(own->qNorms.post());
    EXPECT_EQ(sql(QStringLiteral("select NameShort || '|' || LabelShort from private_NORMS")).toString(),
              QStringLiteral("ČSN417240|X5CrNi1810"));
    EXPECT_EQ(sql(QStringLiteral("select LabelShort from Norms")).toString(), u"X5CrNi1810");
    ASSERT_TRUE(qMat.post());
    EXPECT_EQ(count(QStringLiteral("private_NORMS")), 1);
}

TEST_P(ModulesBoth, DeletingAnOwnMaterialRemovesEveryDependentAndMirroredRow)
{
    start();
    main->catalogueSession().exec(QStringLiteral("insert into Mat (Number, Name) values (1, 'Katalog')"));
    main->catalogueSession().exec(QStringLiteral("insert into Norms (Number, MaterialNo) values (1, 1)"));
    loaded();
    const int mat = newOwnMaterial();
    ASSERT_EQ(mat, 2);
    // A note for the material and one for a composition row.
    DataSet &notices = own->qNotices;
    ASSERT_TRUE(notices.append());
    notices.setValue(QStringLiteral("Notice"), QStringLiteral("materiálová poznámka"));
    ASSERT_TRUE(notices.post());
    const int matNotice = notices.value(QStringLiteral("Number")).toInt();
    ASSERT_TRUE(notices.append());
    notices.setValue(QStringLiteral("Notice"), QStringLiteral("poznámka k prvku"));
    ASSERT_TRUE(notices.post());
    const int elNotice = notices.value(QStringLiteral("Number")).toInt();
    ASSERT_TRUE(own->qMat.edit());
    own->qMat.setValue(QStringLiteral("NoticeNo"), matNotice);
    ASSERT_TRUE(own->qMat.post());
    ASSERT_TRUE(own->qChemComp.append());
    EXPECT_EQ(own->qChemComp.value(QStringLiteral("MaterialNo")).toInt(), mat);
    own->qChemComp.setValue(QStringLiteral("ElementNo"), 6);
    own->qChemComp.setValue(QStringLiteral("MinValue"), 0.1);
    own->qChemComp.setValue(QStringLiteral("NoticeNo"), elNotice);
    ASSERT_TRUE(own->qChemComp.post());
    ASSERT_TRUE(own->qCompareNorms.append());
    own->qCompareNorms.setValue(QStringLiteral("Name"), QStringLiteral("DIN"));
    ASSERT_TRUE(own->qCompareNorms.post());
    ASSERT_TRUE(own->qUserNotices.append());
    own->qUserNotices.setValue(QStringLiteral("MATERIALNO"), mat);
    own->qUserNotices.setValue(QStringLiteral("TEXT"), QStringLiteral("moje"));
    ASSERT_TRUE(own->qUserNotices.post());
    EXPECT_EQ(count(QStringLiteral("private_NOTICES")), 2);
    EXPECT_EQ(count(QStringLiteral("private_CHEMCOMP")), 1);
    EXPECT_EQ(count(QStringLiteral("private_COMPARENORMS")), 1);
    EXPECT_EQ(sql(QStringLiteral("select MaxValue is null from private_CHEMCOMP")).toInt(), 1);

    ASSERT_TRUE(own->qNodes.remove());
    for (const char *t : {"Norms where MaterialNo=2", "ChemComp", "CompareNorms", "UserNotices", "Notices",
                          "Nodes", "private_MAT", "private_NORMS", "private_CHEMCOMP", "private_COMPARENORMS",
                          "private_NOTICES", "Mat where Number=2"})
        EXPECT_EQ(count(QString::fromUtf8(t)), 0) << t;
    EXPECT_EQ(count(QStringLiteral("Mat")), 1) << "the catalogue material stays";
    EXPECT_EQ(count(QStringLiteral("Norms")), 1);
    EXPECT_EQ(own->qMat.recordCount(), 0);
    EXPECT_EQ(own->qNorms.recordCount(), 0);
    // Its Number is free again now that it is the highest; a server's sequence never gives a
    // number twice (another session may hold it in an open transaction).
    EXPECT_EQ(newOwnMaterial(), GetParam() == Engine::Postgres ? 3 : 2);
}

TEST_P(ModulesBoth, AFailingMirrorStepLeavesThePostOrDeleteUndone)
{
    start();
    newOwnMaterial();
    main->userSession().exec(QStringLiteral("drop table private_CHEMCOMP"));
    ASSERT_TRUE(own->qChemComp.append());
    own->qChemComp.setValue(QStringLiteral("ElementNo"), 6);
    EXPECT_THROW(own->qChemComp.post(), DbError);
    EXPECT_EQ(count(QStringLiteral("ChemComp")), 0);
    EXPECT_EQ(own->qChemComp.state(), DataSetState::Insert);
    own->qChemComp.cancel();

    main->userSession().exec(QStringLiteral("drop table private_MAT"));
    EXPECT_THROW(own->qMat.remove(), DbError);
    EXPECT_EQ(count(QStringLiteral("Mat")), 1);
    EXPECT_EQ(count(QStringLiteral("Norms")), 1);
    EXPECT_EQ(count(QStringLiteral("private_NORMS")), 1);
    EXPECT_EQ(own->qNorms.recordCount(), 1) << "the detail rows removed in memory came back";
    EXPECT_EQ(own->qMat.recordCount(), 1);
}

TEST_P(ModulesBoth, NegativeCriterionIsRefusedAndInsertsNeedThePermission)
{
    start();
    DataSet &t = main->tUserChemComp;
    ASSERT_TRUE(t.append());
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 1);
    EXPECT_TRUE(t.value(QStringLiteral("Selected")).toBool());
    t.setValue(QStringLiteral("MinValue"), 0.2);
    try {
        t.setValue(QStringLiteral("MinValue"), -0.5);
        FAIL();
    } catch (const UserError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Zadaná hodnota nesmí být záporná."));
    }
    EXPECT_THROW(t[QStringLiteral("MaxValue")].setText(QStringLiteral("-0,5")), UserError);
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("MinValue")).toDouble(), 0.2);
    EXPECT_TRUE(t.value(QStringLiteral("MaxValue")).isNull());
    t.setValue(QStringLiteral("MaxValue"), 0.0);
    ASSERT_TRUE(t.post());
    EXPECT_EQ(t.value(QStringLiteral("clSelected")).toString(), u"*");

    main->setSearchWindowPresent(true);
    EXPECT_FALSE(t.append());
    EXPECT_FALSE(main->tUserMechProp.append());
    EXPECT_EQ(t.state(), DataSetState::Browse);
    main->setCriteriaInsertArmed(true);
    ASSERT_TRUE(t.append());
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 2);
    t.cancel();
}

TEST_P(ModulesBoth, SetupValuesAndPropertyGroups)
{
    start();
    EXPECT_EQ(main->setupValue(QStringLiteral("USPESNOST")), QString());
    main->setSetupValue(QStringLiteral("USPESNOST"), QStringLiteral("80"));
    main->setSetupValue(QStringLiteral("JINY"), QStringLiteral("x"));
    main->setSetupValue(QStringLiteral("USPESNOST"), QStringLiteral("75"));
    EXPECT_EQ(count(QStringLiteral("Setup")), 2);
    EXPECT_EQ(sql(QStringLiteral("select Number from Setup where Items='JINY'")).toInt(), 2);
    EXPECT_EQ(main->setupValue(QStringLiteral("USPESNOST")), u"75");
    EXPECT_EQ(main->tSetup.value(QStringLiteral("Items")).toString(), u"USPESNOST") << "left on the located row";
    EXPECT_EQ(main->setupValue(QStringLiteral("uspesnost")), QString()) << "keys are case-sensitive";

    main->userSession().exec(QStringLiteral("insert into PropType (Number, Name) values (7, 'Rm'), (8, 'Re')"));
    loaded();
    main->qPropTypeParent.open();
    main->qPropTypeSelect.open();
    EXPECT_EQ(main->qPropTypeSelect.recordCount(), 2) << "rows without a GroupType are single properties";
    ASSERT_TRUE(main->qPropTypeParent.append());
    EXPECT_EQ(main->qPropTypeParent.value(QStringLiteral("Number")).toInt(), 9);
    EXPECT_EQ(main->qPropTypeParent.value(QStringLiteral("GroupType")).toString(), u"A");
    main->qPropTypeParent.setValue(QStringLiteral("Name"), QStringLiteral("Pevnost"));
    ASSERT_TRUE(main->qPropTypeParent.post());
    main->userSession().exec(QStringLiteral("update PropType set Parent=9 where Number in (7, 8)"));
    QStringList members;
    main->groupMembersChanged = [&](const QStringList &names) { members = names; };
    main->qPropTypeChildSelect.open();
    main->qPropTypeParent.refresh();
    EXPECT_EQ(members, (QStringList{QStringLiteral("Re"), QStringLiteral("Rm")}));
}

TEST_P(ModulesBoth, TreeFollowsQuickFindResults)
{
    main.reset();
    seed(QStringLiteral("insert into Mat (Number, Name) values (1, 'A'), (2, 'B')"));
    seed(QStringLiteral("insert into Nodes (Number, ParentNo, MaterialNo, Text, ShortLabel) values "
                        "(10, 0, null, 'Kapitola', ''), (11, 10, 1, 'Ocel A', 'A'), (12, 10, 2, 'Ocel B', 'B')"));
    start();
    ASSERT_EQ(main->qMatFind.recordCount(), 2);
    ASSERT_EQ(main->qDbTree.recordCount(), 3);
    main->qMatFind.last();
    EXPECT_EQ(main->qDbTree.value(QStringLiteral("Number")).toInt(), 12);
    main->qMatFind.first();
    EXPECT_EQ(main->qDbTree.value(QStringLiteral("Text")).toString(), u"Ocel A");
    EXPECT_EQ(main->qDbTree.valueAt(0, QStringLiteral("Private")).toString(), u"N");
}

TEST_P(ModulesBoth, CopyPathsNumberRowsAndMirrorAsTheyStand)
{
    start();
    // qMatIns copies a material: PurposeAll is taken as it stands, not recomputed.
    DataSet &ins = own->qMatIns;
    ASSERT_TRUE(ins.append());
    EXPECT_EQ(ins.value(QStringLiteral("Number")).toInt(), 1);
    ins.setValue(QStringLiteral("Name"), QStringLiteral("Kopie"));
    ins.setValue(QStringLiteral("Purpose"), QStringLiteral("p"));
    ins.setValue(QStringLiteral("PurposeAll"), QStringLiteral("jak stojí"));
    ins.setValue(QStringLiteral("Private"), QStringLiteral("A"));
    ASSERT_TRUE(ins.post());
    EXPECT_EQ(sql(QStringLiteral("select PurposeAll from private_MAT where Number=1")).toString(), QStringLiteral("jak stojí"));
    ASSERT_TRUE(ins.edit());
    ins.setValue(QStringLiteral("Name"), QStringLiteral("Kopie 2"));
    ASSERT_TRUE(ins.post());
    EXPECT_EQ(sql(QStringLiteral("select Name from private_MAT")).toString(), u"Kopie") << "only new qMatIns rows are mirrored";

    own->qNodesIns.open(); // not opened at start-up
    ASSERT_TRUE(own->qNodesIns.append());
    EXPECT_EQ(own->qNodesIns.value(QStringLiteral("Number")).toInt(), 1);
    own->qNodesIns.cancel();

    // A note edited in place keeps one mirror row; a note whose copy went missing gets it back.
    DataSet &notices = own->qNotices;
    ASSERT_TRUE(notices.append());
    notices.setValue(QStringLiteral("Notice"), QStringLiteral("první"));
    ASSERT_TRUE(notices.post());
    ASSERT_TRUE(notices.edit());
    notices.setValue(QStringLiteral("Notice"), QStringLiteral("druhá"));
    ASSERT_TRUE(notices.post());
    EXPECT_EQ(count(QStringLiteral("private_NOTICES")), 1);
    EXPECT_EQ(sql(QStringLiteral("select Notice from private_NOTICES")).toString(), QStringLiteral("druhá"));
    main->userSession().exec(QStringLiteral("delete from private_NOTICES"));
    ASSERT_TRUE(notices.edit());
    notices.setValue(QStringLiteral("Notice"), QStringLiteral("třetí"));
    ASSERT_TRUE(notices.post());
    EXPECT_EQ(sql(QStringLiteral("select Number || ':' || Notice from private_NOTICES")).toString(), QStringLiteral("1:třetí"));

    // Composition deviations and property criteria are numbered in their own tables.
    ASSERT_TRUE(main->tSetupChemComp.append());
    EXPECT_EQ(main->tSetupChemComp.value(QStringLiteral("NUMBER")).toInt(), 1);
    main->tSetupChemComp.cancel();
}

ORV_BOTH_ENGINES(ModulesBoth);
