// The designer's undo list, the elements its tools insert, its clipboard text and the grid.

#include "report/designer/DesignerElements.h"
#include "report/designer/EditorSettings.h"
#include "report/designer/ListVariant.h"
#include "report/model/PageSetup.h"
#include "report/model/TemplateFile.h"
#include "report/output/RunTestSupport.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

QStringList state(int n)
{
    return {QStringLiteral("I,0,\"stav %1\"").arg(n)};
}

} // namespace

TEST(UndoList, TenStatesKeptTheEleventhDropsTheOldest)
{
    TListVariant list(10);
    list.reset(state(0));
    EXPECT_EQ(list.at(0).Name, "Základní varianta");
    EXPECT_FALSE(list.canUndo());
    EXPECT_EQ(list.undoHint(), "Zrušit změny");
    EXPECT_EQ(list.redoHint(), "Znovu změny");
    for (int i = 1; i <= 9; ++i)
        list.record(QStringLiteral("posun prvku"), state(i));
    EXPECT_EQ(list.count(), 10);
    EXPECT_EQ(list.at(0).Lines, state(0));
    list.record(QStringLiteral("vložení prvku"), state(10));
    EXPECT_EQ(list.count(), 10);
    EXPECT_EQ(list.at(0).Lines, state(1));   // the oldest dropped
    EXPECT_EQ(list.undoHint(), "Zrušit vložení prvku");
    // Undo back to the oldest kept state, redo to the end.
    int undos = 0;
    while (list.undo())
        ++undos;
    EXPECT_EQ(undos, 9);
    EXPECT_EQ(list.currentLines(), state(1));
    EXPECT_EQ(list.redoHint(), "Znovu posun prvku");
    while (list.redo())
        ;
    EXPECT_EQ(list.currentLines(), state(10));
}

TEST(UndoList, RecordingAfterUndoDropsTheRedoBranch)
{
    TListVariant list;
    list.reset(state(0));
    list.record("a", state(1));
    list.record("b", state(2));
    ASSERT_TRUE(list.undo());
    EXPECT_EQ(list.redoHint(), "Znovu b");
    list.record("c", state(3));
    EXPECT_EQ(list.count(), 3);
    EXPECT_FALSE(list.canRedo());
    EXPECT_EQ(list.at(2).Name, "c");
}

TEST(UndoList, CapacityDropsOldestBeforeTheCurrentThenNewestAfterIt)
{
    TListVariant list(10);
    list.reset(state(0));
    for (int i = 1; i < 8; ++i)
        list.record("x", state(i));
    // Eight states, current the sixth (index 5).
    list.undo();
    list.undo();
    ASSERT_EQ(list.current(), 5);
    list.setCapacity(3);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.at(0).Lines, state(5));
    EXPECT_EQ(list.currentLines(), state(5));
    EXPECT_EQ(list.current(), 0);
    EXPECT_EQ(list.at(2).Lines, state(7));
    // Nothing left before the current state: the newest go.
    list.setCapacity(2);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.at(1).Lines, state(6));
    // Capacity 1 leaves only the current state; a depth below 1 counts as 1.
    list.setCapacity(0);
    EXPECT_EQ(list.capacity(), 1);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.currentLines(), state(5));
    list.record("y", state(9));
    EXPECT_EQ(list.count(), 1);
    EXPECT_FALSE(list.canUndo());
}

TEST(UndoList, AfterSaveOnlyTheCurrentStateStays)
{
    TListVariant list;
    list.reset(state(0));
    list.record("a", state(1));
    list.record("b", state(2));
    list.undo();
    list.keepOnlyCurrent();
    EXPECT_EQ(list.count(), 1);
    EXPECT_FALSE(list.canUndo());
    EXPECT_FALSE(list.canRedo());
    EXPECT_EQ(list.currentLines(), state(1));
}

struct InsertFixture : ::testing::Test {
    runtest::MemoryBridge bridge;
    TSestavaD report;
    TEditorSettings settings;
    void SetUp() override
    {
        runtest::ensureApp();
        bridge.Columns = {"Nazev", "Cena"};
        report.DataSource = &bridge;
        report.PrepareFields();
    }
};
using InsertedElement = InsertFixture;

TEST_F(InsertedElement, FieldWidthFromItsDisplayWidth)
{
    // The memory link gives every field a display width of 10: 10 x 3 x 10 / 4 = 75.
    auto e = newDesignerElement(report, settings, ekField, 1, {16, 8});
    EXPECT_EQ(e->Width, 75);
    EXPECT_EQ(e->Height, 20);
    EXPECT_EQ(e->Left, 16);
    EXPECT_EQ(e->SourceIndex, 1);
    EXPECT_TRUE(e->SourceName.isEmpty());
    settings.ImplVyskaFontu = 40;   // 10 x 3 x 40 / 4 = 300
    EXPECT_EQ(newDesignerElement(report, settings, ekField, 0, {})->Width, 300);
    settings.ImplVyskaFontu = 60;   // 450, but at most half the sheet: 363
    EXPECT_EQ(newDesignerElement(report, settings, ekFieldLabel, 0, {})->Width, 363);
    settings.SledPodle = true;
    EXPECT_EQ(newDesignerElement(report, settings, ekField, 1, {})->SourceName, "Cena");
}

TEST_F(InsertedElement, VariablesShapesAndDetails)
{
    auto date = newDesignerElement(report, settings, ekVariable, 0, {});
    EXPECT_EQ(date->Width, 100);           // min(200, 20 x 5)
    EXPECT_EQ(date->Alignment, alRight);   // numbers: "ImplZarovnaniCi"
    EXPECT_EQ(newDesignerElement(report, settings, ekVariable, 3, {})->Width, 60);
    auto rect = newDesignerElement(report, settings, ekRectangle, 0, {});
    EXPECT_EQ(rect->SourceIndex, ekRectangle);
    EXPECT_EQ(rect->PenWidth, 1);
    EXPECT_EQ(rect->BrushColor, 0x00FFFFFF);
    auto detail = newDesignerElement(report, settings, ekDetail, 0, {40, 10});
    EXPECT_EQ(detail->Left, 0);
    EXPECT_EQ(detail->Width, 726);
    auto text = newDesignerElement(report, settings, ekText, 0, {});
    EXPECT_EQ(text->Width, 200);
    EXPECT_EQ(text->Font.Name, "Arial");
}

TEST_F(InsertedElement, ClipboardTextAndPaste)
{
    TOddilSestavy *body = report.section(skBody);
    TSiReportElement *a = report.AddElement(body, "T,1,0,10,5,100,20,Arial,10,0,0,0,0,238,\"Mez, kluzu \"\"Re\"\"\"");
    TSiReportElement *b = report.AddElement(body, "T,8,8,40,30,50,30,,2,9,0,15,0,0");
    const QString text = clipboardText(b, {a, b});
    const QStringList lines = text.split("\r\n");
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines.mid(0, 4), (QStringList{"TolvaEditor", "40", "30", "1"}));
    EXPECT_EQ(lines.at(4), writeElementLine("X", *a));
    EXPECT_TRUE(lines.at(4).startsWith("X,1,0,10,5,100,20,Arial,10,0,0,0,0,238,\"Mez, kluzu \"\"Re\"\"\""));

    TClipboardContent content;
    ASSERT_TRUE(parseClipboardText(text, content));
    EXPECT_EQ(content.ElementLines.size(), 2);
    // Pasted into the page header at (100, 100): placed as they were to the focused element.
    auto pasted = pasteElements(report, report.section(skPageHeader), content, {100, 100});
    ASSERT_EQ(pasted.size(), 2u);
    EXPECT_EQ(pasted[0]->Left, 70);
    EXPECT_EQ(pasted[0]->Top, 75);
    EXPECT_EQ(pasted[0]->Text, "Mez, kluzu \"Re\"");
    EXPECT_EQ(pasted[1]->Left, 100);
    EXPECT_EQ(pasted[1]->Top, 100);
    EXPECT_TRUE(pasted[1]->sameTemplateAttributes(*b) == false);   // moved
    pasted[1]->Left = b->Left;
    pasted[1]->Top = b->Top;
    EXPECT_TRUE(pasted[1]->sameTemplateAttributes(*b));
}

TEST(Clipboard, ForeignTextIsNotOffered)
{
    TClipboardContent c;
    EXPECT_FALSE(parseClipboardText("Hello\n1\n2\n3\n", c));
    EXPECT_FALSE(parseClipboardText("TolvaEditor\n1\n2\n", c));
    EXPECT_FALSE(parseClipboardText("TolvaEditor\n1\nx\n0\n", c));
    EXPECT_FALSE(parseClipboardText("", c));
    EXPECT_TRUE(parseClipboardText("TolvaEditor\r\n1\r\n2\r\n-1\r\n", c));
    EXPECT_TRUE(c.ElementLines.isEmpty());
}

TEST(Grid, SnapsToTheNearestMultiple)
{
    EXPECT_EQ(snapToGrid(11, 8), 8);
    EXPECT_EQ(snapToGrid(12, 8), 16);
    EXPECT_EQ(snapToGrid(-5, 8), -8);
    EXPECT_EQ(snapToGrid(13, 0), 16);   // a step of 0 counts as 8
    EXPECT_EQ(snapToGrid(13, -3), 16);
}
