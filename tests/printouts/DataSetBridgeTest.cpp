// A data set of the application as the data link of a report.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "report/output/Sestava.h"
#include "support/GuiApplication.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv;

namespace {

class DataSetBridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        orv::test::ensureGuiApplication();
        conn.openFile(dir.filePath("t.sqlite"), db::OpenMode::Create);
        conn.exec("create table Mat (Number integer, Name varchar(20), Grp varchar(10), Rm float, Note text)");
        conn.exec("insert into Mat values (1, 'S235JR', 'Ocel', 360, null)");
        conn.exec("insert into Mat values (2, 'S355J2', 'Ocel', 470.5, 'svařitelná')");
        conn.exec("insert into Mat values (3, 'AlMg3', 'Hliník', 190, null)");
        ds.setSql(QStringList{"select Number, Name, Grp, Rm from Mat", "where Rm > :Min",
                              "order by Number"});
        ds.setParam("Min", 100);
        bridge.setDataSet(&ds);
    }

    QTemporaryDir dir;
    db::Connection conn;
    db::DataSet ds{QStringLiteral("qMat"), &conn};
    DataSetBridge bridge;
};

} // namespace

TEST_F(DataSetBridgeTest, FieldsTypesAndValues)
{
    ds.open();
    ASSERT_EQ(bridge.FieldCount(), 4);
    EXPECT_EQ(bridge.FieldName(1), "Name");
    EXPECT_EQ(bridge.FieldDataType(0), ftInteger);
    EXPECT_EQ(bridge.FieldDataType(1), ftString);
    EXPECT_EQ(bridge.FieldDataType(3), ftFloat);
    EXPECT_EQ(bridge.FieldAlignment(3), 1);
    EXPECT_EQ(bridge.FieldAlignment(1), 0);
    EXPECT_EQ(bridge.Step(sdFirst), 0);
    EXPECT_EQ(bridge.AsString(1), "S235JR");
    EXPECT_DOUBLE_EQ(bridge.AsFloat(3), 360.0);
    EXPECT_EQ(bridge.Step(sdNext), 0);
    EXPECT_EQ(bridge.Step(sdNext), 0);
    EXPECT_EQ(bridge.AsString(1), "AlMg3");
    EXPECT_EQ(bridge.Step(sdNext), srEof);
    EXPECT_EQ(bridge.AsString(1), "AlMg3");   // stays on the last row
    EXPECT_EQ(bridge.Step(sdFirst), 0);
    EXPECT_EQ(bridge.Step(sdPrior), srBof);
    // Out-of-range fields read as nothing rather than failing.
    EXPECT_EQ(bridge.AsString(9), QString());
    EXPECT_TRUE(bridge.IsNull(9));

    ds.close();
    EXPECT_EQ(bridge.Step(sdFirst), srNoData);
    ds.setParam("Min", 10000);
    ds.open();
    EXPECT_EQ(bridge.Step(sdFirst), srBof | srEof);
}

TEST_F(DataSetBridgeTest, ReportRunsOverTheQueryAndLeavesItWhereItWas)
{
    ds.open();
    ds.setRecNo(1);
    int moved = 0;
    QObject::connect(&ds, &db::DataSet::currentRowChanged, [&moved](int) { ++moved; });

    TSestava rep;
    rep.DataSource = &bridge;
    rep.IsStored = true;
    rep.Predloha = QStringList{
        "I,1,5,50,0", "I,2,0,826,1169,50,50,70,70,1,0", "I,3,2,1,20,0",
        "I,4,0,\"#Grp\",1,20,0,0,0",
        "S0,2,Grp,0,0,200,20,Arial,10,0,1,0,0,238",
        "T,2,Name,20,0,200,20,Arial,10,0,0,0,0,238",
        "T,2,Rm,300,0,100,20,Arial,10,0,0,1,0,238"};
    int movedDuringRun = 0;
    rep.OnVypoctiFunkce = [&](TSestava &) { movedDuringRun = std::max(movedDuringRun, moved); };
    ASSERT_EQ(rep.Run(), seOk);
    ASSERT_EQ(rep.Vystup.PageCount(), 1);
    QStringList texts;
    const TStranaPrvku *page = rep.Vystup.Page(0);
    std::vector<const TVystPrvek *> sorted;
    for (const auto &it : page->Items)
        sorted.push_back(it.get());
    std::sort(sorted.begin(), sorted.end(), [](auto a, auto b) {
        return a->Top != b->Top ? a->Top < b->Top : a->Left < b->Left;
    });
    for (const TVystPrvek *it : sorted)
        texts << it->FirstLineText();
    EXPECT_EQ(texts, (QStringList{"Ocel", "S235JR", "360", "S355J2", "470.5", "Hliník", "AlMg3", "190"}));
    // The data set is back on its row; its viewers heard nothing while the report stepped
    // through the rows, and were told where it is afterwards.
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_EQ(movedDuringRun, 0);
    EXPECT_GE(moved, 1);
}

TEST_F(DataSetBridgeTest, AClosedDataSetIsOpenedOnlyForTheOperation)
{
    int asked = 0;
    setSestMessageHandler([&](TSestMessageKind kind, const QString &, const QString &text) {
        if (kind == TSestMessageKind::Confirm) {
            ++asked;
            EXPECT_EQ(text, "Připojená tabulka není aktivní. Zkusit otevřít?");
            return true;
        }
        return false;
    });
    TSestava rep;
    rep.DataSource = &bridge;
    rep.IsStored = true;
    rep.Predloha = QStringList{"I,3,2,1,20,0", "T,2,Name,0,0,200,20,Arial,10,0,0,0,0,238"};
    EXPECT_EQ(rep.Run(), seOk);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(ds.isOpen());
    EXPECT_EQ(rep.Vystup.Page(0)->count(), 3);
    setSestMessageHandler({});
}
