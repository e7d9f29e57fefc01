// What the designer does to its template without the window: recording and undoing named
// snapshots, deleting with confirmation, saving through the template writer (temporary file,
// one .BAK, a failure that changes nothing), the closing question and "Nová předloha...".

#include "DesignerTestSupport.h"

#include "report/designer/DesignerDoc.h"
#include "report/model/PageSetup.h"
#include "report/model/TemplateFile.h"
#include "report/output/RunTestSupport.h"

#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <gtest/gtest.h>

using namespace orv;
using designertest::MessageCatcher;

namespace {

class DesignerDoc : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TSestava report;
    QString path;
    QStringList original;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("doc.pts");
        runtest::Template t;
        t.section(2, true, 200).text("T", 1, "0", 8, 8, 100, 20, "Nadpis")
            .text("T", 1, "0", 8, 40, 100, 20, "Druhý");
        original = t.Lines;
        ASSERT_EQ(saveTemplateFile(path, original, false), seOk);
        report.Location.ReportDirIgnore = false;
        report.Location.setReportDir(dir.path());
        report.setReportName("doc.pts");
        ASSERT_EQ(report.LoadTemplate(false), seOk);
    }

    TSiReportElement *body(int i) const { return report.section(skBody)->element(i); }

    QStringList fileLines() const
    {
        QStringList lines;
        EXPECT_EQ(loadTemplateFile(path, lines), seOk);
        return lines;
    }
};

} // namespace

TEST_F(DesignerDoc, UndoAndRedoRebuildTheModelFromNamedSnapshots)
{
    TDesignerDoc doc(report, TEditorSettings{});
    EXPECT_FALSE(doc.changed());
    ASSERT_TRUE(doc.setGeometry({body(0)}, 80, std::nullopt, std::nullopt, std::nullopt));
    ASSERT_TRUE(doc.setText(body(1), "Jiný"));
    EXPECT_TRUE(doc.changed());
    EXPECT_EQ(doc.undoList().undoHint(), "Zrušit změnu textu");
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(body(1)->Text, "Druhý");
    EXPECT_EQ(body(0)->Left, 80);
    EXPECT_EQ(doc.undoList().redoHint(), "Znovu změnu textu");
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(body(0)->Left, 8);
    EXPECT_EQ(doc.undoList().currentLines(), original);
    EXPECT_FALSE(doc.undo());
    ASSERT_TRUE(doc.redo());
    ASSERT_TRUE(doc.redo());
    EXPECT_EQ(body(1)->Text, "Jiný");
    EXPECT_FALSE(doc.redo());
}

TEST_F(DesignerDoc, DeletingAsksAsTheSettingsSay)
{
    MessageCatcher catcher;
    TEditorSettings s;   // one element: no question; several: the question
    TDesignerDoc doc(report, s);
    catcher.Answer = TAnswer::No;
    EXPECT_FALSE(doc.deleteElements({body(0), body(1)}));
    EXPECT_EQ(catcher.Questions, 1);
    EXPECT_EQ(catcher.Texts.last(), "Smazat všechny vybrané prvky?");
    EXPECT_EQ(report.section(skBody)->elementCount(), 2);
    EXPECT_FALSE(doc.changed());
    ASSERT_TRUE(doc.deleteElements({body(0)}));
    EXPECT_EQ(catcher.Questions, 1);
    EXPECT_EQ(report.section(skBody)->elementCount(), 1);
    EXPECT_EQ(body(0)->Text, "Druhý");
    EXPECT_EQ(doc.undoList().undoHint(), "Zrušit zrušení prvku");
}

TEST_F(DesignerDoc, AlignToGridRoundsLeftAndTop)
{
    body(0)->Left = 11;
    body(0)->Top = 3;
    TDesignerDoc doc(report, TEditorSettings{});
    ASSERT_TRUE(doc.alignToGrid({body(0), body(1)}));
    EXPECT_EQ(body(0)->Left, 8);
    EXPECT_EQ(body(0)->Top, 0);
    EXPECT_EQ(body(1)->Top, 40);
    EXPECT_FALSE(doc.alignToGrid({body(0)}));   // nothing left to move: nothing recorded
    EXPECT_EQ(doc.undoList().count(), 2);
}

TEST_F(DesignerDoc, SaveWritesTheCurrentSnapshotKeepsOneBackupAndTrimsTheUndoList)
{
    TEditorSettings dropHistory;
    dropHistory.UndoSave = false;
    TDesignerDoc doc(report, dropHistory);
    doc.setText(body(0), "První uložení");
    ASSERT_TRUE(doc.save());
    EXPECT_FALSE(doc.changed());
    EXPECT_EQ(fileLines(), writeTemplate(report));
    EXPECT_EQ(doc.undoList().count(), 1);
    EXPECT_FALSE(doc.undoList().canUndo());
    QStringList bak;
    ASSERT_EQ(loadTemplateFile(backupPathFor(path), bak), seOk);
    EXPECT_EQ(bak, original);

    const QStringList first = fileLines();
    doc.setText(body(0), "Druhé uložení");
    ASSERT_TRUE(doc.save());
    ASSERT_EQ(loadTemplateFile(backupPathFor(path), bak), seOk);
    EXPECT_EQ(bak, first);
    // The template, its one backup and nothing else (no temporary file left behind).
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(DesignerDoc, UndoSaveKeepsTheHistoryAndIsTheDefault)
{
    TEditorSettings s;
    EXPECT_TRUE(s.UndoSave);
    EXPECT_EQ(s.PocetUndo, 100);
    TDesignerDoc doc(report, s);
    doc.setText(body(0), "x");
    ASSERT_TRUE(doc.save());
    EXPECT_TRUE(doc.undoList().canUndo());
}

using designertest::ChooserGuard;
using designertest::ScriptedAnswers;

TEST_F(DesignerDoc, FailedSaveSaysWhereAndWhyOffersAnotherPlaceAndAsksBeforeDroppingChanges)
{
    // The template's folder is a file: nothing can be written there, root or not.
    QFile blocker(dir.filePath("blok"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    report.Location.setReportDir(dir.filePath("blok"));
    TDesignerDoc doc(report, TEditorSettings{});
    doc.setText(body(0), "Neuloženo");
    const QStringList before = report.Predloha;
    {
        ScriptedAnswers a({TAnswer::No});
        EXPECT_FALSE(doc.save());
        ASSERT_EQ(a.Texts.size(), 1);
        EXPECT_TRUE(a.Texts[0].startsWith("Předlohu se nepodařilo uložit."));
        EXPECT_TRUE(a.Texts[0].contains(QDir::toNativeSeparators(dir.filePath("blok/doc.pts"))));
        EXPECT_TRUE(a.Texts[0].contains("není složka"));
        EXPECT_TRUE(a.Texts[0].endsWith("Uložit předlohu na jiné místo?"));
    }
    EXPECT_TRUE(doc.changed());
    EXPECT_TRUE(doc.undoList().canUndo());
    EXPECT_EQ(report.Predloha, before);
    EXPECT_FALSE(doc.savedOnce());

    // Closing: save (Yes), not elsewhere (No): a last question, No keeps the designer.
    {
        ScriptedAnswers a({TAnswer::Yes, TAnswer::No, TAnswer::No});
        EXPECT_FALSE(doc.queryClose());
        ASSERT_EQ(a.Texts.size(), 3);
        EXPECT_EQ(a.Texts[2], "Předloha nebyla uložena. Zavřít návrh přesto a změny zahodit?");
        EXPECT_EQ(body(0)->Text, "Neuloženo");
    }
    {
        ScriptedAnswers a({TAnswer::Yes, TAnswer::No, TAnswer::Yes});
        EXPECT_TRUE(doc.queryClose());
    }
    // Elsewhere (Yes): the chooser's file gets the template.
    ChooserGuard chooser([&](const QString &, const QString &) { return dir.filePath("jinam"); });
    ScriptedAnswers a({TAnswer::Yes});
    EXPECT_TRUE(doc.save());
    QStringList lines;
    ASSERT_EQ(loadTemplateFile(dir.filePath("jinam.pts"), lines), seOk);
    EXPECT_EQ(lines, writeTemplate(report));
    EXPECT_EQ(report.TemplatePath(), dir.filePath("jinam.pts"));
    EXPECT_FALSE(doc.changed());
}

TEST_F(DesignerDoc, SaveAsWritesTheChosenFileWhichReopens)
{
    TDesignerDoc doc(report, TEditorSettings{});
    {
        ChooserGuard cancel([](const QString &, const QString &) { return QString(); });
        doc.setText(body(0), "Kopie");
        EXPECT_FALSE(doc.saveAs());
        EXPECT_TRUE(doc.changed());
    }
    QString offered;
    ChooserGuard chooser([&](const QString &, const QString &current) {
        offered = current;
        return dir.filePath("kopie.pts");
    });
    ASSERT_TRUE(doc.saveAs());
    EXPECT_EQ(offered, path);
    EXPECT_FALSE(doc.changed());
    EXPECT_EQ(fileLines(), original);   // the old file is left alone
    EXPECT_EQ(report.TemplatePath(), dir.filePath("kopie.pts"));

    TSestava reopened;
    reopened.Location.ReportDirIgnore = false;
    reopened.Location.setReportDir(dir.path());
    reopened.setReportName("kopie.pts");
    ASSERT_EQ(reopened.LoadTemplate(false), seOk);
    EXPECT_EQ(reopened.section(skBody)->element(0)->Text, "Kopie");
    // A later plain save goes to the new file.
    doc.setText(body(0), "Kopie 2");
    ASSERT_TRUE(doc.save());
    QStringList lines;
    ASSERT_EQ(loadTemplateFile(dir.filePath("kopie.pts"), lines), seOk);
    EXPECT_EQ(lines, writeTemplate(report));
}

TEST_F(DesignerDoc, ClosingQuestion)
{
    MessageCatcher catcher;
    TDesignerDoc doc(report, TEditorSettings{});
    EXPECT_TRUE(doc.queryClose());   // no changes: no question
    EXPECT_EQ(catcher.Questions, 0);
    doc.setText(body(0), "Změna");
    catcher.Answer = TAnswer::Cancel;
    EXPECT_FALSE(doc.queryClose());
    EXPECT_EQ(catcher.Texts.last(), "V předloze sestavy byly provedeny změny. Uložit?");
    EXPECT_EQ(catcher.Captions.last(), "Potvrzení");
    EXPECT_TRUE(doc.undoList().canUndo());
    EXPECT_EQ(body(0)->Text, "Změna");
    catcher.Answer = TAnswer::No;
    EXPECT_TRUE(doc.queryClose());
    EXPECT_EQ(fileLines(), original);   // nothing written
    doc.restoreSavedTemplate();
    EXPECT_EQ(body(0)->Text, "Nadpis");
    catcher.Answer = TAnswer::Yes;
    doc.setText(body(0), "Uložit");
    EXPECT_TRUE(doc.queryClose());
    EXPECT_EQ(fileLines(), writeTemplate(report));
}

TEST_F(DesignerDoc, NewTemplateCancelledRestoresTemplateUndoListAndPage)
{
    MessageCatcher catcher;
    TDesignerDoc doc(report, TEditorSettings{});
    doc.setText(body(0), "a");
    doc.setText(body(0), "b");
    const TPageSetup page = report.Context.PageSetup;
    int wizardElements = -1;
    const bool started = doc.newTemplate([&](TSestavaTyp &r, QStringList &) {
        wizardElements = r.section(skBody)->elementCount();
        r.Context.PageSetup.MarginLeft = 200;   // the wizard's paper button changed the page
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(started);
    EXPECT_EQ(catcher.Texts.last(), "Zrušit všechny prvky a začít s návrhem nové předlohy?");
    EXPECT_EQ(wizardElements, 0);   // the wizard starts on an empty template
    // ...in the character mode of the report it replaces.
    report.CharacterMode = true;
    bool wizardCharacterMode = false;
    doc.newTemplate([&](TSestavaTyp &r, QStringList &) {
        wizardCharacterMode = r.CharacterMode;
        return int(QDialog::Rejected);
    });
    EXPECT_TRUE(wizardCharacterMode);
    report.CharacterMode = false;
    EXPECT_EQ(body(0)->Text, "b");
    EXPECT_EQ(doc.undoList().count(), 3);
    EXPECT_EQ(doc.undoList().undoHint(), "Zrušit změnu textu");
    EXPECT_TRUE(report.Context.PageSetup == page);

    // Accepted: the wizard's lines with a fresh undo list.
    runtest::Template t;
    t.section(2, true, 100).text("T", 1, "0", 0, 0, 50, 20, "Nové");
    EXPECT_TRUE(doc.newTemplate([&](TSestavaTyp &, QStringList &lines) {
        lines = t.Lines;
        return int(QDialog::Accepted);
    }));
    ASSERT_EQ(report.section(skBody)->elementCount(), 1);
    EXPECT_EQ(body(0)->Text, "Nové");
    EXPECT_EQ(doc.undoList().count(), 1);
    EXPECT_TRUE(doc.changed());

    // Answering No to the question leaves everything.
    catcher.Answer = TAnswer::No;
    bool ran = false;
    EXPECT_FALSE(doc.newTemplate([&](TSestavaTyp &, QStringList &) {
        ran = true;
        return int(QDialog::Accepted);
    }));
    EXPECT_FALSE(ran);
}

TEST_F(DesignerDoc, CopyCutAndPasteThroughTheClipboard)
{
    TDesignerDoc doc(report, TEditorSettings{});
    ASSERT_TRUE(doc.copy(body(1), {body(0), body(1)}));
    const QString text = QGuiApplication::clipboard()->text();
    const QStringList lines = text.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines.at(0), "TolvaEditor");
    EXPECT_EQ(lines.at(1), "8");
    EXPECT_EQ(lines.at(2), "40");
    EXPECT_EQ(lines.at(3), "1");   // the focused element is the second element line
    EXPECT_TRUE(lines.at(4).startsWith("X,1,"));
    EXPECT_TRUE(lines.at(4).contains("\"Nadpis\""));
    EXPECT_TRUE(TDesignerDoc::canPaste());

    ASSERT_TRUE(doc.cut(body(1), {body(0), body(1)}));
    EXPECT_EQ(report.section(skBody)->elementCount(), 0);
    EXPECT_EQ(doc.undoList().undoHint(), "Zrušit vystřižení do úschovy");
    report.section(skPageHeader)->Visible = true;
    report.section(skPageHeader)->Height = 100;
    const auto added = doc.paste(report.section(skPageHeader), QPoint(200, 48));
    ASSERT_EQ(added.size(), 2u);
    // Placed as they lay relative to the focused element.
    EXPECT_EQ(added[1]->Left, 200);
    EXPECT_EQ(added[1]->Top, 48);
    EXPECT_EQ(added[0]->Top, 16);
    EXPECT_EQ(doc.undoList().undoHint(), "Zrušit vložení z úschovy");

    QGuiApplication::clipboard()->setText("Ahoj\n1\n2\n3\n");
    EXPECT_FALSE(TDesignerDoc::canPaste());
    EXPECT_TRUE(doc.paste(report.section(skBody), QPoint(0, 0)).empty());
}

TEST_F(DesignerDoc, UnitsChangeIsRecorded)
{
    TDesignerDoc doc(report, TEditorSettings{});
    ASSERT_TRUE(doc.setUnits(1));
    EXPECT_EQ(report.UnitsIndex, 1);
    EXPECT_EQ(doc.undoList().undoHint(), "Zrušit změnu měrných jednotek");
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(report.UnitsIndex, 0);
}

TEST_F(DesignerDoc, FunctionsAddedEditedAndDeletedWithTheirElements)
{
    MessageCatcher catcher;
    TDesignerDoc doc(report, TEditorSettings{});
    TRadekFunkce a;
    a.Name = "Soucet";
    a.Expression = "#1";
    TRadekFunkce b;
    b.Name = "Pocet";
    b.Aggregation = agCount;
    EXPECT_EQ(doc.addFunction(a), 0);
    EXPECT_EQ(doc.addFunction(b), 1);
    EXPECT_EQ(doc.undoList().undoHint(), "Zrušit přidání funkce");
    // One element prints Pocet by number, one Soucet by name.
    TSiReportElement *byNumber = report.AddElement(report.section(skBody), "T,6,1,0,80,60,20,Arial,10,0,0,0,0,238");
    TSiReportElement *byName = report.AddElement(report.section(skBody), "T,6,Soucet,80,80,60,20,Arial,10,0,0,0,0,238");
    ASSERT_EQ(byName->SourceName, "Soucet");

    TRadekFunkce renamed = a;
    renamed.Name = "Celkem";
    ASSERT_TRUE(doc.editFunction(0, renamed));
    EXPECT_EQ(byName->SourceName, "Celkem");   // follows the new name
    EXPECT_EQ(doc.undoList().undoHint(), "Zrušit opravu funkce");
    EXPECT_FALSE(doc.editFunction(0, renamed));   // nothing differs: nothing recorded

    // A function an element prints stays.
    EXPECT_FALSE(doc.deleteFunction(0));
    EXPECT_EQ(report.Functions.count(), 2);
    EXPECT_TRUE(catcher.Texts.last().contains("Celkem"));
    // Once its element is gone it can go, and the element of the later function is renumbered.
    ASSERT_TRUE(doc.deleteElements({byName}, false));
    ASSERT_TRUE(doc.deleteFunction(0));
    EXPECT_EQ(report.Functions.count(), 1);
    EXPECT_EQ(byNumber->SourceIndex, 0);
    EXPECT_EQ(report.Functions.at(0)->Name, "Pocet");
    EXPECT_EQ(doc.undoList().undoHint(), "Zrušit zrušení funkce");
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(report.Functions.count(), 2);
}

TEST(DesignerDetail, SavingADetailKeepsItsTemplateInTheMastersLines)
{
    TSestava master;
    TSestDetail detail;
    detail.setMasterSestava(&master);
    runtest::Template t;
    t.section(2, true, 100).detail("T", 0, 0, 0, 726, 20);
    QStringList lines = t.Lines;
    lines << "D0,I,3,2,1,40,0" << "D0,T,1,0,8,8,100,20,Arial,10,0,0,0,0,238,\"Řádek detailu\"";
    master.Details = {&detail};
    master.SetPredloha(lines);
    ASSERT_EQ(detail.section(skBody)->elementCount(), 1);

    TDesignerDoc doc(detail, TEditorSettings{});
    ASSERT_TRUE(doc.setText(detail.section(skBody)->element(0), "Změněný detail"));
    ASSERT_TRUE(doc.save());
    EXPECT_FALSE(doc.changed());
    bool found = false;
    for (const QString &line : writeTemplate(master))
        found |= line.startsWith("D0,T,1,") && line.contains("\"Změněný detail\"");
    EXPECT_TRUE(found) << writeTemplate(master).join('\n').toStdString();
}
