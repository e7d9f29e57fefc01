#include "ModelTestSupport.h"

#include "report/model/ExpressionEditor.h"

#include <gtest/gtest.h>

using namespace orv;
using orv::test::DataReport;

namespace {

TEST(ExpressionEditor, ListsOfInsertableItems)
{
    DataReport report;
    report.Parametry = {"a", "b"};
    report.AddGroup(0, "#1", false, 0, true, 0, true);
    report.Functions.add()->Name = "Soucet";

    const QList<TEditorItem> fields = editorFieldItems(report, false);
    ASSERT_EQ(fields.size(), 3);
    EXPECT_EQ(fields[2].Caption, "#3  Price");
    EXPECT_EQ(fields[2].InsertText, "#3");
    EXPECT_EQ(editorFieldItems(report, true)[2].InsertText, "#Price");
    EXPECT_EQ(editorParameterItems(report)[1].Caption, "&2  Parametr 2");
    EXPECT_EQ(editorFunctionItems(report, true)[0].InsertText, "@Soucet");
    EXPECT_EQ(editorFunctionItems(report, false)[0].Caption, "@1  Soucet");

    QStringList vars;
    for (const TEditorItem &i : editorVariableItems(report))
        vars << i.Caption;
    EXPECT_EQ(vars, QStringList({"%1  Datum tisku", "%2  Čas tisku", "%3  Číslo řádku",
                                 "%4  Číslo stránky", "%6  Číslo ř. ve sk.1",
                                 "%7  Číslo skupiny 1"}));
    report.IsDetail = true;
    EXPECT_EQ(editorVariableItems(report).size(), 5);   // no page number in a detail

    const QList<TBuiltinCategory> cats = editorBuiltinCategories();
    ASSERT_EQ(cats.size(), 4);
    int total = 0;
    for (const TBuiltinCategory &c : cats)
        total += int(c.Items.size());
    EXPECT_EQ(total, 40);
    ASSERT_GE(cats.size(), 4u);
    ASSERT_GE(cats[1].Items.size(), 3u);
    ASSERT_FALSE(cats[3].Items.empty());
    EXPECT_EQ(cats[1].Caption, "Textové:");
    EXPECT_EQ(cats[1].Items[2].Caption, "SUBSTR(,,)");
    EXPECT_EQ(cats[3].Items[0].Caption, "IIF(,,)");
}

TEST(ExpressionEditor, InsertingMovesTheCaretAsTheItemSays)
{
    QString text = "1+";
    int caret = 2;
    insertEditorItem(text, caret, editorBuiltinCategories()[1].Items[2]);   // SUBSTR(,,)
    EXPECT_EQ(text, "1+SUBSTR(,,)");
    EXPECT_EQ(caret, 9);
    const QList<TEditorItem> ops = editorOperatorItems();
    insertEditorItem(text, caret, ops.front());   // "()"
    EXPECT_EQ(text, "1+SUBSTR((),,)");
    EXPECT_EQ(caret, 10);
    caret = 99;
    insertEditorItem(text, caret, ops.back());    // " IN " inserts " IN[]"
    EXPECT_TRUE(text.endsWith(" IN[]"));
    EXPECT_EQ(caret, text.size() - 1);
}

TEST(ExpressionEditor, CheckReportsOneBasedPositions)
{
    DataReport report;
    TExpressionCheck c = checkExpression(&report, "#Price*2");
    EXPECT_TRUE(c.Ok);
    EXPECT_EQ(c.Caption, "Informace");
    EXPECT_EQ(c.Message, "Výraz je v pořádku.");
    c = checkExpression(&report, "2*-3");
    EXPECT_FALSE(c.Ok);
    EXPECT_EQ(c.Caption, "Chyba");
    EXPECT_EQ(c.Message, "Chyba : \"zde nepřípustný prvek výrazu\" na pozici 3");
    EXPECT_EQ(c.Caret, 2);
}

TEST(FunctionDialog, ChoiceLists)
{
    EXPECT_EQ(aggregationNames().size(), 8);
    EXPECT_EQ(aggregationNames().at(6), "Směrodat.odch.");
    EXPECT_EQ(floatFormatNames().at(ffCurrency), "Currency");
    EXPECT_EQ(resetLevelNames(2), QStringList({"Sestavy", "Stránky", "Skupiny 1", "Skupiny 2"}));
    EXPECT_EQ(functionTypeNames().at(1), "Řetězcová");
}

} // namespace
