#include "TestDb.h"

#include "core/SqlText.h"
#include "db/DataSet.h"
#include "db/FilterExpr.h"

using namespace orv::db;
using orv::db::test::TempDb;

TEST(FilterExpr, PrecedenceQuotesAndNulls)
{
    auto eval = [](const QString &text, const QVariantMap &row) {
        return FilterExpr::parse(text)->eval([&](const QString &n) { return row.value(n); });
    };
    const QVariantMap row{{QStringLiteral("GroupNo"), 5}, {QStringLiteral("Name"), QStringLiteral("O'Neil")},
                          {QStringLiteral("Code"), QVariant()}};
    EXPECT_TRUE(eval(QStringLiteral("GroupNo=1 or GroupNo=5"), row));
    EXPECT_FALSE(eval(QStringLiteral("GroupNo=1 or GroupNo=5 and Name='x'"), row)) << "and binds tighter than or";
    EXPECT_TRUE(eval(QStringLiteral("(GroupNo=1 or GroupNo=5) and Name='O''Neil'"), row));
    EXPECT_TRUE(eval(QStringLiteral("GroupNo <> 4 and GroupNo >= 5 and GroupNo < 5.5"), row));
    EXPECT_TRUE(eval(QStringLiteral("Code is null and not (Name is null)"), row));
    EXPECT_FALSE(eval(QStringLiteral("Code = 1 or Code <> 1"), row)) << "null compares to nothing";
    EXPECT_TRUE(eval(QStringLiteral("Name = \"O'Neil\""), row));
    for (const char *bad : {"GroupNo =", "(GroupNo=1", "GroupNo=1 xor GroupNo=2", "Name='open", "GroupNo ~ 1"})
        EXPECT_THROW(FilterExpr::parse(QString::fromUtf8(bad)), DbError) << bad;
}

TEST(DataSet, QueryTextCanBeEditedWithTheWhereAppenderAndReopened)
{
    TempDb db;
    db.cat.exec(QStringLiteral("insert into Nodes (Number, MaterialNo, ShortLabel, Text) values "
                               "(1, 1, 'X5CrNi1810', 'a'), (2, 2, '11375', 'b'), (3, null, 'KAP', 'c')"));
    db.cat.exec(QStringLiteral("insert into Mat (Number) values (1), (2)"));
    DataSet q(QStringLiteral("qMatFind"), &db.cat);
    QStringList sql{QStringLiteral("select nd.Label, nd.MaterialNo, nd.Number, nd.Text"),
                    QStringLiteral("  from Nodes nd, Mat"), QStringLiteral("  where "),
                    QStringLiteral("    nd.MaterialNo=Mat.Number and (not nd.MaterialNo is null)")};
    for (int i = 0; i < 20; ++i)
        sql << QString();
    sql << QStringLiteral("  order by nd.Text");
    q.setSql(sql);
    q.open();
    EXPECT_EQ(q.recordCount(), 2);
    q.close();
    const QString typed = QStringLiteral("crni");
    orv::appendWhere(q.sql(), QStringLiteral("UPPER(nd.ShortLabel) LIKE ") + orv::sqlQuote(QStringLiteral("%") + orv::likeEscape(typed.toUpper()) + QStringLiteral("%"))
                                   + QStringLiteral(" escape '\\'"), orv::JoinMode::And);
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.value(QStringLiteral("Number")).toInt(), 1);
    q.close();
    orv::removeWhere(q.sql(), QStringLiteral("UPPER(nd.ShortLabel) LIKE"));
    q.open();
    EXPECT_EQ(q.recordCount(), 2);
}

TEST(DataSet, RefreshKeepsTheRowAndTypesFollowTheColumns)
{
    TempDb db;
    db.user.exec(QStringLiteral("insert into UserMechProp (Number, PropertyNo, Selected, MinValue) values "
                                "(1, 5, 1, 2.5), (2, 6, 0, null), (3, 7, null, 1)"));
    DataSet t(QStringLiteral("tUserMechProp"), &db.user);
    t.setTableName(QStringLiteral("UserMechProp"));
    t.open();
    EXPECT_EQ(t[QStringLiteral("Selected")].dataType(), FieldType::Boolean);
    EXPECT_EQ(t.value(QStringLiteral("Selected")).typeId(), QMetaType::Bool);
    EXPECT_EQ(t[QStringLiteral("MinValue")].dataType(), FieldType::Float);
    EXPECT_EQ(t[QStringLiteral("GroupType")].size(), 1);
    ASSERT_TRUE(t.locate(QStringLiteral("Number"), 3));
    EXPECT_TRUE(t.value(QStringLiteral("Selected")).isNull());
    db.user.exec(QStringLiteral("insert into UserMechProp (Number) values (0)"));
    t.refresh();
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 3) << "refresh returns to the same Number";

    // Expression columns take the type of their values; parameters match case-insensitively.
    DataSet q(QStringLiteral("q"), &db.user);
    q.setSql(QStringLiteral("select count(*) as N, max(MinValue) as M from UserMechProp where PropertyNo >= :FROMNO"));
    q.setParam(QStringLiteral("FromNo"), 6);
    q.open();
    EXPECT_EQ(q.value(QStringLiteral("N")).toInt(), 2);
    EXPECT_EQ(q[QStringLiteral("N")].dataType(), FieldType::Integer);
    EXPECT_DOUBLE_EQ(q.value(QStringLiteral("M")).toDouble(), 1.0);
    EXPECT_EQ(q[QStringLiteral("n")].name(), u"N") << "field names are case-insensitive";
}

TEST(DataSet, InsertStandsBeforeTheCurrentRowAndAppendAtTheEnd)
{
    TempDb db;
    db.cat.exec(QStringLiteral("insert into Country (Number, Name) values (1, 'CZ'), (2, 'DE'), (3, 'SK')"));
    DataSet t(QStringLiteral("tCountry"), &db.cat);
    t.setTableName(QStringLiteral("Country"));
    t.setFilter(QStringLiteral("Number <> 2"));
    t.setFiltered(true);
    t.open();
    ASSERT_EQ(t.recordCount(), 2);
    t.last();
    ASSERT_TRUE(t.insert());
    t.setValue(QStringLiteral("Number"), 10);
    t.setValue(QStringLiteral("Name"), QStringLiteral("AT"));
    ASSERT_TRUE(t.post());
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_EQ(t.valueAt(0, QStringLiteral("Name")).toString(), u"CZ");
    EXPECT_EQ(t.valueAt(1, QStringLiteral("Name")).toString(), u"AT");
    EXPECT_EQ(t.valueAt(2, QStringLiteral("Name")).toString(), u"SK");
    ASSERT_TRUE(t.append());
    t.setValue(QStringLiteral("Number"), 11);
    ASSERT_TRUE(t.post());
    EXPECT_EQ(t.recNo(), 3);
    EXPECT_TRUE(t.locate(QStringLiteral("Number"), 10)) << "the index knows the new rows";
    t.setFiltered(false);
    EXPECT_EQ(t.recordCount(), 5);
    EXPECT_EQ(t.valueAt(2, QStringLiteral("Name")).toString(), u"AT") << "stored between CZ/DE and SK";
    ASSERT_TRUE(t.locate(QStringLiteral("Number"), 10));
    // Moving away from a changed row posts it.
    ASSERT_TRUE(t.edit());
    t.setValue(QStringLiteral("Name"), QStringLiteral("Rakousko"));
    t.next();
    EXPECT_EQ(t.state(), DataSetState::Browse);
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select Name from Country where Number=10")).toString(), u"Rakousko");
}

TEST(DataSet, DetailOfAnEmptyOrClosedMasterIsEmpty)
{
    TempDb db;
    db.cat.exec(QStringLiteral("insert into Norms (Number, MaterialNo) values (1, 1)"));
    DataSet mat(QStringLiteral("qMat"), &db.cat);
    mat.setSql(QStringLiteral("select * from Mat"));
    DataSet norms(QStringLiteral("qNorms"), &db.cat);
    norms.setSql(QStringLiteral("select * from Norms where MaterialNo=:Number"));
    norms.setMaster(&mat);
    norms.open();
    EXPECT_EQ(norms.recordCount(), 0);
    mat.open();
    EXPECT_EQ(norms.recordCount(), 0);
    db.cat.exec(QStringLiteral("insert into Mat (Number) values (1)"));
    mat.refresh();
    EXPECT_EQ(norms.recordCount(), 1);
    mat.close();
    EXPECT_EQ(norms.recordCount(), 0);
    {
        DataSet gone(QStringLiteral("gone"), &db.cat);
        gone.setSql(QStringLiteral("select * from Mat"));
        norms.setMaster(&gone);
    }
    EXPECT_EQ(norms.master(), nullptr) << "a destroyed master leaves no dangling link";
    norms.refresh();
    EXPECT_EQ(norms.recordCount(), 0);
}

TEST(DataSet, LocateFindsTheFirstOfEqualValuesAndSeesChanges)
{
    TempDb db;
    db.cat.exec(QStringLiteral("insert into Elements (Number, Name, Label) values (1, 'a', 'Cr'), (2, 'b', 'Ni'), "
                               "(3, 'c', 'Cr'), (4, 'd', null), (5, 'e', null)"));
    DataSet t(QStringLiteral("t"), &db.cat);
    t.setTableName(QStringLiteral("Elements"));
    t.open();
    t.last();
    ASSERT_TRUE(t.locate(QStringLiteral("Label"), QStringLiteral("Cr")));
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 1);
    ASSERT_TRUE(t.locate(QStringLiteral("Label"), QVariant()));
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 4);
    ASSERT_TRUE(t.locate(QStringLiteral("Number"), 1.0));
    EXPECT_EQ(t.recNo(), 0);
    // An edit moves the value; the index built before must not answer with the old row.
    ASSERT_TRUE(t.edit());
    t.setValue(QStringLiteral("Label"), QStringLiteral("Mo"));
    ASSERT_TRUE(t.post());
    ASSERT_TRUE(t.locate(QStringLiteral("Label"), QStringLiteral("Cr")));
    EXPECT_EQ(t.value(QStringLiteral("Number")).toInt(), 3);
    ASSERT_TRUE(t.remove());
    EXPECT_FALSE(t.locate(QStringLiteral("Label"), QStringLiteral("Cr")));
    EXPECT_TRUE(t.locate(QStringLiteral("Label"), QStringLiteral("Mo")));
}
