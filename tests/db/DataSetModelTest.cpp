#include "TestDb.h"

#include "db/DataSetModel.h"

using namespace orv::db;
using orv::db::test::TempDb;

TEST(DataSetModel, ColumnsRowsAndCurrentRowFollowTheDataSet)
{
    TempDb db;
    db.user.exec(QStringLiteral("insert into SetupChemComp (NUMBER, ELEMENTNO, DIGRESS) values (1, 1, 0.5), (2, 2, 12.25)"));
    db.cat.exec(QStringLiteral("insert into Elements (Number, Name) values (1, 'Uhlík'), (2, 'Mangan')"));
    DataSet el(QStringLiteral("tElements"), &db.cat);
    el.setTableName(QStringLiteral("Elements.db"));
    el.open();
    DataSet t(QStringLiteral("tSetupChemComp"), &db.user);
    t.setTableName(QStringLiteral("SetupChemComp.db"));
    Field &lk = t.addLookupField(QStringLiteral("lkElement"), QStringLiteral("ELEMENTNO"), &el,
                                 QStringLiteral("Number"), QStringLiteral("Name"));
    lk.setDisplayLabel(QStringLiteral("Chemický prvek"));
    lk.setDisplayWidth(35);
    Field &dig = t.defineField(QStringLiteral("DIGRESS"));
    dig.setDisplayLabel(QStringLiteral("Odchylka [%]"));
    dig.setDisplayFormat(QStringLiteral("0.000"));
    t.defineField(QStringLiteral("NUMBER")).setVisible(false);
    t.defineField(QStringLiteral("ELEMENTNO")).setVisible(false);
    t.setFieldOrder({QStringLiteral("lkElement")});
    t.open();

    QLocale::setDefault(QLocale::c());
    DataSetModel m(&t);
    ASSERT_EQ(m.columnCount(), 2);
    ASSERT_EQ(m.rowCount(), 2);
    EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Chemický prvek"));
    EXPECT_EQ(m.headerData(0, Qt::Horizontal, DataSetModel::WidthRole).toInt(), 35);
    EXPECT_EQ(m.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Odchylka [%]"));
    EXPECT_EQ(m.data(m.index(1, 0)).toString(), u"Mangan");
    EXPECT_EQ(m.data(m.index(1, 1)).toString(), u"12.250");
    EXPECT_TRUE(m.flags(m.index(0, 1)) & Qt::ItemIsEditable);

    QList<int> followed;
    QObject::connect(&m, &DataSetModel::currentRowChanged, [&](int r) { followed << r; });
    t.next();
    EXPECT_EQ(followed, QList<int>{1});
    m.setCurrentRow(0);
    EXPECT_EQ(t.recNo(), 0);
    EXPECT_EQ(followed, QList<int>{1}) << "the grid's own move is not echoed back";

    // Editing a cell posts at once; a refused text leaves the row as it was.
    EXPECT_TRUE(m.setData(m.index(1, 1), QStringLiteral("3.5")));
    EXPECT_DOUBLE_EQ(db.user.scalar(QStringLiteral("select DIGRESS from SetupChemComp where NUMBER=2")).toDouble(), 3.5);
    EXPECT_FALSE(m.setData(m.index(1, 1), QStringLiteral("abc")));
    EXPECT_FALSE(m.lastError().isEmpty());
    EXPECT_EQ(t.state(), DataSetState::Browse);
    EXPECT_DOUBLE_EQ(t.valueAt(1, QStringLiteral("DIGRESS")).toDouble(), 3.5);

    // Rows added and removed through the data set appear in the model.
    // Views are told before and after, with the counts they expect at each moment.
    int inserted = 0;
    QList<int> countsSeen;
    QObject::connect(&m, &QAbstractItemModel::rowsAboutToBeInserted, [&] { countsSeen << m.rowCount(); });
    QObject::connect(&m, &QAbstractItemModel::rowsInserted, [&] { ++inserted; countsSeen << m.rowCount(); });
    QObject::connect(&m, &QAbstractItemModel::rowsAboutToBeRemoved, [&] { countsSeen << m.rowCount(); });
    QObject::connect(&m, &QAbstractItemModel::rowsRemoved, [&] { countsSeen << m.rowCount(); });
    ASSERT_TRUE(t.append());
    t.setValue(QStringLiteral("NUMBER"), 3);
    t.setValue(QStringLiteral("ELEMENTNO"), 1);
    ASSERT_TRUE(t.post());
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(m.rowCount(), 3);
    EXPECT_EQ(m.data(m.index(2, 0)).toString(), QStringLiteral("Uhlík"));
    ASSERT_TRUE(t.remove());
    EXPECT_EQ(m.rowCount(), 2);
    EXPECT_EQ(countsSeen, (QList<int>{2, 3, 3, 2}));
}
