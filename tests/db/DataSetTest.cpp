#include "BothEngines.h"
#include "TestDb.h"
#include "db/SqlLines.h"

#include "db/DataSet.h"

#include <stdexcept>

using namespace orv::db;
using orv::db::test::TempDb;

using orv::db::sqlLines;

namespace {

// A catalogue session and a user session: on the two files, or both on one server database.
class DataSetBoth : public ::testing::TestWithParam<Engine> {
protected:
    struct Sessions {
        Connection cat{QStringLiteral("VTX (CD)")};
        Connection user{QStringLiteral("VTX")};
    };
    void SetUp() override
    {
        if (GetParam() == Engine::Postgres) {
            const QString conninfo = orv::test::PgServer::instance().createDatabase();
            if (conninfo.isEmpty()) {
                if (orv::test::PgServer::required())
                    FAIL() << qPrintable(orv::test::PgServer::instance().reason());
                GTEST_SKIP() << qPrintable(orv::test::PgServer::instance().reason());
            }
            db.cat.openServer(conninfo);
            db.user.openServer(conninfo);
            return;
        }
        files = std::make_unique<TempDb>();
        db.cat.open(files->catalogueFile, files->userFile);
        db.user.open(files->catalogueFile, files->userFile, Database::User);
    }
    std::unique_ptr<TempDb> files;
    Sessions db;
};

} // namespace

TEST_P(DataSetBoth, NullNumbersStayNullAndOpenRangesStayOpen)
{
    db.cat.exec(QStringLiteral("insert into ChemComp (Number, MaterialNo, ElementNo, MinValue) values (1, 1, 5, 0.25)"));
    db.cat.exec(QStringLiteral("insert into Dimens (Number, StateNo, FromValue) values (1, 1, 16)"));
    DataSet q(QStringLiteral("qChemComp"), &db.cat);
    q.setSql(sqlLines({"select *", "  from ChemComp", "  where MaterialNo=:Number"}));
    q.setParam(QStringLiteral("Number"), 1);
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_DOUBLE_EQ(q[QStringLiteral("MinValue")].asFloat(), 0.25);
    EXPECT_TRUE(q[QStringLiteral("MaxValue")].isNull());
    EXPECT_TRUE(q[QStringLiteral("NoticeNo")].value().isNull());
    EXPECT_EQ(q[QStringLiteral("MaxValue")].displayText(), QString());

    // Writing through a data set keeps the null too.
    DataSet t(QStringLiteral("tDimens"), &db.cat);
    t.setTableName(QStringLiteral("Dimens.DB"));
    t.open();
    ASSERT_TRUE(t.edit());
    t.setValue(QStringLiteral("NoticeNo"), 3);
    ASSERT_TRUE(t.post());
    EXPECT_TRUE(db.cat.scalar(QStringLiteral("select ToValue is null from Dimens")).toBool());
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select FromValue from Dimens")).toDouble(), 16.0);
}

TEST_P(DataSetBoth, JoinSelectedWithStarNamesDuplicateColumnsWithSuffixes)
{
    db.cat.exec(QStringLiteral("insert into MechProp (Number, DimensionNo, PropertyNo, NoticeNo) values (10, 1, 3, 7)"));
    db.cat.exec(QStringLiteral("insert into Temps (Number, PropertyNo, NoticeNo, Temperature, TempMinValue) values (20, 10, 8, 20, 355)"));
    DataSet q(QStringLiteral("q"), &db.cat);
    q.setSql(sqlLines({"select *", "  from MechProp mp, Temps te", "  where te.PropertyNo = mp.Number"}));
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.value(QStringLiteral("Number")).toInt(), 10);
    EXPECT_EQ(q.value(QStringLiteral("Number_1")).toInt(), 20);
    EXPECT_EQ(q.value(QStringLiteral("PropertyNo")).toInt(), 3);
    EXPECT_EQ(q.value(QStringLiteral("PropertyNo_1")).toInt(), 10);
    EXPECT_EQ(q.value(QStringLiteral("NoticeNo")).toInt(), 7);
    EXPECT_EQ(q.value(QStringLiteral("NoticeNo_1")).toInt(), 8);
    EXPECT_EQ(q.value(QStringLiteral("TempMinValue")).toDouble(), 355.0);
    QStringList names;
    for (Field *f : q.fields())
        names << f->name();
    EXPECT_EQ(names, sqlLines({"Number", "DimensionNo", "PropertyNo", "NoticeNo", "Number_1", "PropertyNo_1",
                            "NoticeNo_1", "Temperature", "TempMinValue", "TempMaxValue"}));
    // A join is not editable.
    q.setEditable(true);
    q.close();
    q.open();
    EXPECT_THROW(q.edit(), DbError);
}

TEST_P(DataSetBoth, NavigationAndLocate)
{
    db.cat.exec(QStringLiteral("insert into Elements (Number, Name, Label) values (3, 'Chrom', 'Cr'), "
                               "(1, 'Uhlík', 'C'), (2, 'Čistota', 'X'), (4, 'chrom', 'cr')"));
    DataSet t(QStringLiteral("tElements"), &db.cat);
    t.setTableName(QStringLiteral("Elements.db"));
    t.open();
    ASSERT_EQ(t.recordCount(), 4);
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 1); // ordered by Number without an index
    EXPECT_TRUE(t.bof());
    t.next();
    t.next();
    t.next();
    EXPECT_FALSE(t.eof());
    EXPECT_EQ(t.recNo(), 3);
    t.next();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.recNo(), 3);
    t.prior();
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 3);
    t.first();
    EXPECT_TRUE(t.bof());
    t.last();
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 4);

    EXPECT_TRUE(t.locate(QStringLiteral("Number"), 2));
    EXPECT_EQ(t.value(QStringLiteral("Name")).toString(), QStringLiteral("Čistota"));
    EXPECT_TRUE(t.locate(QStringLiteral("Number"), QStringLiteral("3"))); // typed as text
    EXPECT_EQ(t.value(QStringLiteral("Label")).toString(), u"Cr");
    // Case-sensitive by default; a failed locate stays put.
    EXPECT_TRUE(t.locate(QStringLiteral("Name"), QStringLiteral("chrom")));
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 4);
    EXPECT_FALSE(t.locate(QStringLiteral("Name"), QStringLiteral("CHROM")));
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 4);
    LocateOptions ci;
    ci.caseInsensitive = true;
    EXPECT_TRUE(t.locate(QStringLiteral("Name"), QStringLiteral("CHROM"), ci));
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 3);
    LocateOptions partial;
    partial.partialKey = true;
    EXPECT_TRUE(t.locate(QStringLiteral("Name"), QStringLiteral("Čis"), partial));
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 2);
    EXPECT_TRUE(t.locate(QStringLiteral("Name;Label"), QVariantList{QStringLiteral("chrom"), QStringLiteral("cr")}));
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 4);
    EXPECT_FALSE(t.locate(QStringLiteral("Name;Label"), QVariantList{QStringLiteral("chrom"), QStringLiteral("Cr")}));
    EXPECT_EQ(t.lookup(QStringLiteral("Number"), 1, QStringLiteral("Name")).toString(), QStringLiteral("Uhlík"));
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 4) << "lookup does not move";
    EXPECT_THROW(t.locate(QStringLiteral("NoSuchField"), 1), DbError);

    // The index order of a table, and a range on one field.
    t.setIndexName(QStringLiteral("Name"));
    t.first();
    EXPECT_EQ(t.value(QStringLiteral("Name")).toString(), u"Chrom");
    t.setRange(QStringLiteral("Number"), 2, 3);
    EXPECT_EQ(t.recordCount(), 2);
    t.cancelRange();
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_THROW(t.setIndexName(QStringLiteral("Nonexistent")), DbError);
}

TEST_P(DataSetBoth, ChangesAreWrittenBackByNumberAndAlphaWidthsAreCut)
{
    DataSet q(QStringLiteral("qNorms"), &db.cat);
    q.setSql(sqlLines({"select *", "  from norms", "  where MaterialNo=:Number"}));
    q.setParam(QStringLiteral("Number"), 5);
    q.setEditable(true);
    q.open();
    EXPECT_EQ(q.recordCount(), 0);
    ASSERT_TRUE(q.append());
    EXPECT_EQ(q.state(), DataSetState::Insert);
    q.setValue(QStringLiteral("Number"), 1);
    q.setValue(QStringLiteral("MaterialNo"), 5);
    q.setValue(QStringLiteral("Name"), QString(60, QChar(u'Š'))); // alpha(50)
    q.setValue(QStringLiteral("Label"), QStringLiteral("X5CrNi18-10"));
    ASSERT_TRUE(q.post());
    EXPECT_EQ(q.state(), DataSetState::Browse);
    EXPECT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.value(QStringLiteral("Name")).toString(), QString(50, QChar(u'Š')));
    EXPECT_EQ(db.user.scalar(QStringLiteral("select Name from Norms where Number=1")).toString(), QString(50, QChar(u'Š')));

    // Two rows sharing a Number: editing one leaves the other alone.
    db.cat.exec(QStringLiteral("insert into Norms (Number, MaterialNo, Label) values (1, 5, 'twin')"));
    q.refresh();
    ASSERT_EQ(q.recordCount(), 2);
    ASSERT_TRUE(q.locate(QStringLiteral("Label"), QStringLiteral("twin")));
    ASSERT_TRUE(q.edit());
    q.setValue(QStringLiteral("Label"), QStringLiteral("twin edited"));
    ASSERT_TRUE(q.post());
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select count(*) from Norms where Label='X5CrNi18-10'")).toInt(), 1);
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select count(*) from Norms where Label='twin edited'")).toInt(), 1);
    ASSERT_TRUE(q.remove());
    EXPECT_EQ(q.recordCount(), 1);
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select count(*) from Norms")).toInt(), 1);

    // Cancel restores; a read-only set refuses.
    ASSERT_TRUE(q.edit());
    q.setValue(QStringLiteral("Label"), QStringLiteral("nope"));
    EXPECT_EQ(q.value(QStringLiteral("Label")).toString(), u"nope");
    q.cancel();
    EXPECT_EQ(q.value(QStringLiteral("Label")).toString(), u"X5CrNi18-10");
    EXPECT_THROW(q.setValue(QStringLiteral("Label"), QStringLiteral("x")), DbError) << "not in edit state";
    DataSet ro(QStringLiteral("ro"), &db.cat);
    ro.setSql(QStringLiteral("select * from Norms"));
    ro.open();
    EXPECT_THROW(ro.edit(), DbError);

    // A row deleted behind the data set's back is reported, not silently lost.
    db.user.exec(QStringLiteral("delete from Norms"));
    ASSERT_TRUE(q.edit());
    q.setValue(QStringLiteral("Label"), QStringLiteral("gone"));
    EXPECT_THROW(q.post(), DbError);
    EXPECT_EQ(q.state(), DataSetState::Edit) << "the typed values are kept";
    q.cancel();
}

TEST_P(DataSetBoth, ValidationThatThrowsLeavesTheValueUnstored)
{
    DataSet t(QStringLiteral("tUserChemComp"), &db.user);
    t.setTableName(QStringLiteral("UserChemComp.db"));
    t.defineField(QStringLiteral("MinValue")).onValidate = [](Field &, const QVariant &v) {
        if (!v.isNull() && v.toDouble() < 0)
            throw std::runtime_error("negative");
    };
    t.open();
    ASSERT_TRUE(t.append());
    t.setValue(QStringLiteral("Number"), 1);
    t.setValue(QStringLiteral("MinValue"), 0.5);
    EXPECT_THROW(t.setValue(QStringLiteral("MinValue"), -0.5), std::runtime_error);
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("MinValue")).toDouble(), 0.5);
    EXPECT_THROW(t[QStringLiteral("MinValue")].setText(QStringLiteral("-1,5")), std::runtime_error);
    ASSERT_TRUE(t.post());
    EXPECT_DOUBLE_EQ(db.user.scalar(QStringLiteral("select MinValue from UserChemComp")).toDouble(), 0.5);
    // Type checks: a text that is no number is refused as well.
    ASSERT_TRUE(t.edit());
    EXPECT_THROW(t.setValue(QStringLiteral("MinValue"), QStringLiteral("abc")), DbError);
    t[QStringLiteral("MinValue")].setText(QStringLiteral("1,25"));
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("MinValue")).toDouble(), 1.25);
    t.cancel();
}

TEST_P(DataSetBoth, LookupAndCalculatedFieldsFollowTheirKeys)
{
    db.cat.exec(QStringLiteral("insert into Elements (Number, Name) values (1, 'Uhlík'), (2, 'Mangan')"));
    db.user.exec(QStringLiteral("insert into UserChemComp (Number, ElementNo, Selected) values (1, 1, 1), (2, 2, 0), (3, 9, 1)"));
    DataSet el(QStringLiteral("tElements"), &db.cat);
    el.setTableName(QStringLiteral("Elements.db"));
    el.setIndexName(QStringLiteral("Name"));
    el.setReadOnly(true);
    el.open();
    DataSet t(QStringLiteral("tUserChemComp"), &db.user);
    t.setTableName(QStringLiteral("UserChemComp.db"));
    t.addCalculatedField(QStringLiteral("clSelected"), FieldType::String, 1, [](const Record &r) {
        return QVariant(r.value(QStringLiteral("Selected")).toBool() ? QStringLiteral("*") : QStringLiteral(" "));
    });
    Field &lk = t.addLookupField(QStringLiteral("lkElement"), QStringLiteral("ElementNo"), &el,
                                 QStringLiteral("Number"), QStringLiteral("Name"));
    lk.setDisplayLabel(QStringLiteral("Chemický prvek"));
    t.open();
    EXPECT_EQ(t.value(QStringLiteral("lkElement")).toString(), QStringLiteral("Uhlík"));
    EXPECT_EQ(t.value(QStringLiteral("clSelected")).toString(), u"*");
    t.next();
    EXPECT_EQ(t.value(QStringLiteral("lkElement")).toString(), u"Mangan");
    EXPECT_EQ(t.value(QStringLiteral("clSelected")).toString(), u" ");
    t.next();
    EXPECT_TRUE(t.value(QStringLiteral("lkElement")).isNull()) << "unknown key looks up nothing";
    // Changing the key changes the looked-up text while editing, and after post.
    ASSERT_TRUE(t.edit());
    t.setValue(QStringLiteral("ElementNo"), 2);
    EXPECT_EQ(t.value(QStringLiteral("lkElement")).toString(), u"Mangan");
    t.setValue(QStringLiteral("Selected"), false);
    EXPECT_EQ(t.value(QStringLiteral("clSelected")).toString(), u" ");
    // Choosing a looked-up text stores its key.
    lk.setValue(QStringLiteral("Uhlík"));
    EXPECT_EQ(t.value(QStringLiteral("ElementNo")).toInt(), 1);
    ASSERT_TRUE(t.post());
    EXPECT_EQ(t.valueAt(2, QStringLiteral("lkElement")).toString(), QStringLiteral("Uhlík"));
    EXPECT_EQ(db.user.scalar(QStringLiteral("select ElementNo from UserChemComp where Number=3")).toInt(), 1);
    EXPECT_THROW(t[QStringLiteral("clSelected")].setValue(QStringLiteral("*")), DbError);
}

TEST_P(DataSetBoth, DetailFollowsItsMaster)
{
    db.cat.exec(QStringLiteral("insert into Nodes (Number, MaterialNo) values (1, 10), (2, 20), (3, null)"));
    db.cat.exec(QStringLiteral("insert into Mat (Number, Name) values (10, 'Deset'), (20, 'Dvacet')"));
    db.cat.exec(QStringLiteral("insert into Norms (Number, MaterialNo, Label) values (1, 10, 'A'), (2, 20, 'B'), (3, 20, 'C')"));
    DataSet nodes(QStringLiteral("qNodes"), &db.cat);
    nodes.setSql(QStringLiteral("select * from Nodes order by Number"));
    DataSet mat(QStringLiteral("qMat"), &db.cat);
    mat.setSql(sqlLines({"select *", "  from mat", "  where Number=:MaterialNo"}));
    mat.setMaster(&nodes);
    DataSet norms(QStringLiteral("qNorms"), &db.cat);
    norms.setSql(sqlLines({"select *", "  from norms", "  where MaterialNo=:Number"}));
    norms.setMaster(&mat);
    int scrolls = 0;
    norms.hooks.afterScroll = [&](DataSet &) { ++scrolls; };
    norms.open();
    mat.open();
    nodes.open();
    EXPECT_EQ(mat.value(QStringLiteral("Name")).toString(), u"Deset");
    EXPECT_EQ(norms.recordCount(), 1);
    nodes.next();
    EXPECT_EQ(mat.value(QStringLiteral("Name")).toString(), u"Dvacet");
    EXPECT_EQ(norms.recordCount(), 2);
    EXPECT_EQ(norms.value(QStringLiteral("Label")).toString(), u"B");
    nodes.next(); // a chapter node: no material
    EXPECT_EQ(mat.recordCount(), 0);
    EXPECT_EQ(norms.recordCount(), 0);
    EXPECT_TRUE(mat[QStringLiteral("Name")].isNull());
    EXPECT_TRUE(nodes.locate(QStringLiteral("Number"), 1));
    EXPECT_EQ(norms.value(QStringLiteral("Label")).toString(), u"A");
    EXPECT_GE(scrolls, 4);
}

TEST_P(DataSetBoth, FilterShowsOnlyMatchingRows)
{
    db.cat.exec(QStringLiteral("insert into SemTypes (Number, GroupNo, Name) values (1, 1, 'Plech'), (2, 2, 'Válcováno'), "
                               "(3, 5, 'Trubka'), (4, 3, 'x'), (5, 1, null)"));
    DataSet t(QStringLiteral("tSemTypes"), &db.cat);
    t.setTableName(QStringLiteral("Semtypes.DB"));
    t.setFilter(QStringLiteral("GroupNo=1 or GroupNo=5"));
    t.setFiltered(true);
    t.open();
    ASSERT_EQ(t.recordCount(), 3);
    QList<int> numbers;
    for (t.first(); !t.eof(); t.next())
        numbers << t.value(QStringLiteral("Number")).toInt();
    EXPECT_EQ(numbers, (QList<int>{1, 3, 5}));
    EXPECT_FALSE(t.locate(QStringLiteral("Number"), 2)) << "a filtered-out row cannot be located";
    t.setFilter(QStringLiteral("GroupNo = 1 and not (Name is null)"));
    EXPECT_EQ(t.recordCount(), 1);
    t.setFilter(QStringLiteral("Name = 'Válcováno' or Name='Trubka'"));
    EXPECT_EQ(t.recordCount(), 2);
    t.setFiltered(false);
    EXPECT_EQ(t.recordCount(), 5);
    EXPECT_THROW(t.setFilter(QStringLiteral("GroupNo = = 1")), DbError);
    t.setFilter(QStringLiteral("GroupNo=2"));
    t.setFiltered(true);
    ASSERT_TRUE(t.edit());
    t.setValue(QStringLiteral("Name"), QStringLiteral("Válcováno za tepla"));
    ASSERT_TRUE(t.post());
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select Name from SemTypes where Number=2")).toString(),
              QStringLiteral("Válcováno za tepla"));
}

TEST_P(DataSetBoth, HooksSetDefaultsCancelSilentlyAndRollBackTogether)
{
    DataSet t(QStringLiteral("tUserMechProp"), &db.user);
    t.setTableName(QStringLiteral("UserMechProp.DB"));
    t.defineField(QStringLiteral("Selected")).setDefaultValue(true);
    bool armed = false;
    t.hooks.beforeInsert = [&](DataSet &) {
        if (!armed)
            throw Abort();
    };
    int next = 1;
    t.hooks.onNewRecord = [&](DataSet &ds) { ds.setValue(QStringLiteral("Number"), next++); };
    t.open();
    EXPECT_FALSE(t.append());
    EXPECT_EQ(t.state(), DataSetState::Browse);
    armed = true;
    ASSERT_TRUE(t.append());
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 1);
    EXPECT_TRUE(t.value(QStringLiteral("Selected")).toBool());
    ASSERT_TRUE(t.post());
    EXPECT_EQ(db.user.scalar(QStringLiteral("select Selected from UserMechProp where Number=1")).toInt(), 1);

    // A before-post hook that writes elsewhere and then fails: neither write survives.
    DataSet log(QStringLiteral("log"), &db.user);
    log.setTableName(QStringLiteral("private_NOTICES"));
    log.open();
    t.hooks.beforePost = [&](DataSet &) {
        log.append();
        log.setValue(QStringLiteral("Number"), 99);
        log.post();
        throw std::runtime_error("mirror failed");
    };
    ASSERT_TRUE(t.edit());
    t.setValue(QStringLiteral("MinValue"), 5.0);
    EXPECT_THROW(t.post(), std::runtime_error);
    EXPECT_EQ(t.state(), DataSetState::Edit);
    EXPECT_EQ(db.user.scalar(QStringLiteral("select count(*) from private_NOTICES")).toInt(), 0);
    EXPECT_EQ(log.recordCount(), 0) << "the writer's memory was reloaded after the rollback";
    EXPECT_TRUE(db.user.scalar(QStringLiteral("select MinValue from UserMechProp")).isNull());
    t.hooks.beforePost = nullptr;
    ASSERT_TRUE(t.post());
    EXPECT_DOUBLE_EQ(db.user.scalar(QStringLiteral("select MinValue from UserMechProp")).toDouble(), 5.0);

    // Before-delete likewise.
    t.hooks.beforeDelete = [&](DataSet &) { throw std::runtime_error("no"); };
    EXPECT_THROW(t.remove(), std::runtime_error);
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_EQ(db.user.scalar(QStringLiteral("select count(*) from UserMechProp")).toInt(), 1);
}

ORV_BOTH_ENGINES(DataSetBoth);
