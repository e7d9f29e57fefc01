// The designer window driven as a user would: tools placing elements with mouse clicks on the
// bands, the property panels, cut and paste between bands, undo and redo, saving, preview,
// the closing question, and the templates the program ships.

#include "DesignerSheetTestHost.h"
#include "DesignerTestSupport.h"

#include "report/designer/DlgNovaSestava.h"
#include "report/designer/DlgProstredi.h"
#include "report/designer/FormSestE.h"
#include "report/designer/ReportHelp.h"
#include "report/designer/SestDlg.h"
#include "report/model/TemplateFile.h"
#include "report/output/Barcode.h"
#include "report/output/RunTestSupport.h"
#include "report/ui/PreviewWindow.h"
#include "report/ui/ReportUi.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QStackedWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>
#include <gtest/gtest.h>

using namespace orv;
using designertest::MessageCatcher;

namespace {

// Runs f on the first visible modal window of type W once the event loop turns.
template <typename W>
void whenShown(std::function<void(W *)> f)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, f] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *win = qobject_cast<W *>(w); win && win->isVisible()) {
                timer->stop();
                timer->deleteLater();
                f(win);
                return;
            }
    });
    timer->start();
}

class DesignerWindow : public ::testing::Test {
protected:
    QTemporaryDir dir;
    runtest::MemoryBridge data;
    TSestava report;
    QString path;
    QStringList original;
    TEditorSettings settings;

    void SetUp() override
    {
        InstallReportUi();
        ASSERT_TRUE(dir.isValid());
        qputenv("ORVALIS_REPORT_SETTINGS_DIR", dir.path().toUtf8());
        data.Columns = {"nazev", "cislo"};
        data.Rows = {{QVariant("Ocel 11 373"), QVariant(12)}};
        report.DataSource = &data;
        report.Name = "sestava";
        path = dir.filePath("okno.pts");
        runtest::Template t;
        t.section(1, true, 100).section(2, true, 200);
        t.text("T", 1, "0", 8, 160, 120, 20, "Pata těla");
        original = t.Lines;
        ASSERT_EQ(saveTemplateFile(path, original, false), seOk);
        report.Location.ReportDirIgnore = false;
        report.Location.setReportDir(dir.path());
        report.setReportName("okno.pts");
        report.PrepareFields();
        ASSERT_EQ(report.LoadTemplate(false), seOk);
    }

    static TOddil *band(TFormSestE &w, TOddilSestavy *s)
    {
        return w.sheet()->paper()->bandOf(s);
    }
    static QPoint px(TFormSestE &w, int x, int y)
    {
        return {toPixels(x, w.zoomFactor()), toPixels(y, w.zoomFactor())};
    }
    void place(TFormSestE &w, int kind, int section, int x, int y)
    {
        w.chooseTool(kind);
        sheettest::click(band(w, report.section(section)), px(w, x, y));
    }
    static void typeInto(QLineEdit *e, const QString &text)
    {
        e->setFocus();
        e->setText(text);
        e->setModified(true);   // as typing leaves it
        QTest::keyClick(e, Qt::Key_Return);
    }
    TSiReportElement *last(int section) const
    {
        TOddilSestavy *s = report.section(section);
        return s->element(s->elementCount() - 1);
    }
};

} // namespace

// The steps of a whole designer session, in the order a user takes them.
class DesignerSession : public DesignerWindow {
protected:
    // A field, a label, a line, a rectangle, a picture and a barcode; the field is kept.
    void insertOneOfEachKind(TFormSestE &w, TSiReportElement *&field)
    {
        w.FieldCombo->setCurrentIndex(0);
        place(w, ekField, skBody, 16, 8);
        field = last(skBody);
        ASSERT_EQ(field->Kind, ekField);
        EXPECT_EQ(field->Left, 16);
        EXPECT_EQ(field->Top, 8);
        EXPECT_EQ(w.toolKind(), 0);   // back to the selection tool
        EXPECT_TRUE(w.action(TDesignerAction::ToolSelect)->isChecked());
        EXPECT_EQ(w.action(TDesignerAction::Undo)->toolTip(), "Zrušit vložení prvku");
        place(w, ekFieldLabel, skPageHeader, 16, 8);
        EXPECT_EQ(last(skPageHeader)->Kind, ekFieldLabel);
        place(w, ekLine, skBody, 16, 48);
        place(w, ekRectangle, skBody, 240, 48);
        place(w, ekPicture, skBody, 400, 48);
        EXPECT_EQ(last(skBody)->Kind, ekPicture);
        place(w, ekBarcode, skBody, 400, 104);
        TSiReportElement *code = last(skBody);
        ASSERT_EQ(code->Kind, ekBarcode);
        EXPECT_EQ(w.Panels->currentIndex(), TFormSestE::ppBarcode);
        typeInto(w.CodeContent, "8594001234567");
        EXPECT_EQ(code->Text, "8594001234567");
        EXPECT_EQ(w.doc().undoList().count(), 8);
    }

    // Position panel, alignment and font: eleven changes with the default depth of ten.
    void editThroughPanels(TFormSestE &w, TSiReportElement *field)
    {
        TPapir *paper = w.sheet()->paper();
        // Move and resize with the position panel; the control follows.
        paper->select(field);
        EXPECT_EQ(w.Panels->currentIndex(), TFormSestE::ppText);
        typeInto(w.PosLeft, "104");
        typeInto(w.PosWidth, "160");
        EXPECT_EQ(field->Left, 104);
        EXPECT_EQ(field->Width, 160);
        EXPECT_EQ(paper->controlOf(field)->geometry().left(), toPixels(104, w.zoomFactor()));
        EXPECT_EQ(w.action(TDesignerAction::Undo)->toolTip(), "Zrušit posun prvku");

        // Alignment and font.
        w.AlignBtn[2]->click();
        EXPECT_EQ(field->Alignment, alCenter);
        whenShown<TDlgPismo>([](TDlgPismo *d) {
            d->Tucne->setChecked(true);
            d->Velikost->setValue(14);
            d->accept();
        });
        w.FontBtn->click();
        EXPECT_TRUE(field->Font.bold());
        EXPECT_EQ(field->Font.Size, 14);
        EXPECT_EQ(w.action(TDesignerAction::Undo)->toolTip(), "Zrušit změnu písma");

        // Eleven changes with a depth of ten: the oldest states are gone.
        EXPECT_EQ(w.doc().undoList().count(), 10);
        EXPECT_NE(w.doc().undoList().at(0).Lines, original);
    }

    // Cut from the body, paste into the page header; the pasted copy is focused.
    void cutAndPasteIntoHeader(TFormSestE &w, TSiReportElement *field)
    {
        TPapir *paper = w.sheet()->paper();
        paper->select(field);
        w.cutSelected();
        EXPECT_EQ(paper->controlOf(field), nullptr);
        EXPECT_EQ(w.doc().undoList().undoHint(), "Zrušit vystřižení do úschovy");
        EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("TolvaEditor\r\n104\r\n8\r\n0\r\n"));
        w.startPaste();
        ASSERT_TRUE(w.pastePending());
        sheettest::click(band(w, report.section(skPageHeader)), px(w, 200, 40));
        EXPECT_FALSE(w.pastePending());
        TSiReportElement *moved = last(skPageHeader);
        ASSERT_EQ(moved->Kind, ekField);
        EXPECT_EQ(moved->Left, 200);
        EXPECT_EQ(moved->Top, 40);
        EXPECT_TRUE(moved->Font.bold());
        EXPECT_EQ(paper->focusedElement(), moved);
    }

    // Undo back to the oldest kept state and redo to the end.
    void undoToTheOldestAndRedo(TFormSestE &w)
    {
        TPapir *paper = w.sheet()->paper();
        const QStringList end = w.doc().snapshot();
        int undos = 0;
        while (w.action(TDesignerAction::Undo)->isEnabled()) {
            w.action(TDesignerAction::Undo)->trigger();
            ++undos;
        }
        EXPECT_EQ(undos, 9);
        // The reader and writer give the oldest kept snapshot back unchanged.
        EXPECT_EQ(w.doc().snapshot(), w.doc().undoList().at(0).Lines);
        EXPECT_EQ(w.action(TDesignerAction::Redo)->toolTip(), "Znovu " + w.doc().undoList().at(1).Name);
        while (w.action(TDesignerAction::Redo)->isEnabled())
            w.action(TDesignerAction::Redo)->trigger();
        EXPECT_EQ(w.doc().snapshot(), end);
        // The sheet shows the rebuilt model.
        EXPECT_NE(paper->controlOf(last(skPageHeader)), nullptr);
    }

    // Save: the file holds what the designer shows; no undo afterwards.
    void saveAndReadBack(TFormSestE &w, const MessageCatcher &catcher)
    {
        w.action(TDesignerAction::SaveTemplate)->trigger();
        EXPECT_FALSE(w.doc().changed());
        EXPECT_FALSE(w.action(TDesignerAction::Undo)->isEnabled());
        QStringList saved;
        ASSERT_EQ(loadTemplateFile(path, saved), seOk);
        TSestavaModel readBack;
        readBack.SetPredloha(saved);
        EXPECT_EQ(writeTemplate(readBack), writeTemplate(report));
        EXPECT_TRUE(QFileInfo::exists(backupPathFor(path)));
        EXPECT_TRUE(catcher.Texts.isEmpty()) << catcher.Texts.join('\n').toStdString();
    }

    // The saved file run over the data: every printed element where the designer put it
    // (the page header on top of the printable area, the body below its 100).
    void expectTheSavedFilePrintsAsDesigned()
    {
        TSestava run;
        runtest::MemoryBridge rows;
        rows.Columns = data.Columns;
        rows.Rows = data.Rows;
        run.DataSource = &rows;
        run.Location.ReportDirIgnore = false;
        run.Location.setReportDir(dir.path());
        run.setReportName("okno.pts");
        ASSERT_EQ(run.Run(), seOk);
        ASSERT_GE(run.Vystup.PageCount(), 1);
        int compared = 0;
        for (const TVystPrvek *item : runtest::items(run.Vystup, 0)) {
            const TSiReportElement *e = item->Element;
            const int offset = run.section(skBody)->Elements.size() > 0
                                       && std::any_of(run.section(skBody)->Elements.begin(),
                                                      run.section(skBody)->Elements.end(),
                                                      [e](const auto &p) { return p.get() == e; })
                                   ? 100
                                   : 0;
            EXPECT_EQ(item->Left, e->Left) << e->Kind;
            EXPECT_EQ(item->Top, e->Top + offset) << e->Kind;
            ++compared;
        }
        // field, label, line, rectangle, barcode, the body's text (a picture without a file
        // prints nothing).
        EXPECT_EQ(compared, 6);
        // The PNG page as the runner writes it, at 100 dpi (a pixel per hundredth of an inch of
        // the printable area): the rectangle placed at 240, 48 of the body (below the page
        // header's 100) has its left edge there and is white inside.
        const QString png = dir.filePath("strana.png");
        ASSERT_TRUE(run.Vystup.SavePagePng(png, 0, 100));
        const QImage page(png);
        ASSERT_FALSE(page.isNull());
        auto darkNear = [&](int x, int y) {
            for (int dx = -2; dx <= 2; ++dx)
                if (qGray(page.pixel(x + dx, y)) < 128)
                    return true;
            return false;
        };
        EXPECT_TRUE(darkNear(240, 100 + 48 + 10));
        EXPECT_FALSE(darkNear(240 - 10, 100 + 48 + 10));
        EXPECT_FALSE(darkNear(240 + 100, 100 + 48 + 10));

        const auto found = runtest::findText(run.Vystup, "Ocel 11 373");
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].Item->Left, 200);
        EXPECT_EQ(found[0].Item->Top, 40);
    }
};

TEST_F(DesignerSession, WholeSessionFromInsertionToTheSavedAndRunTemplate)
{
    MessageCatcher catcher;
    // A depth of ten, history dropped on saving: the oldest states are seen to go.
    settings.PocetUndo = 10;
    settings.UndoSave = false;
    TFormSestE w(report, settings);
    w.show();
    EXPECT_FALSE(w.action(TDesignerAction::Undo)->isEnabled());
    TSiReportElement *field = nullptr;
    insertOneOfEachKind(w, field);
    if (HasFatalFailure())
        return;
    editThroughPanels(w, field);
    cutAndPasteIntoHeader(w, field);
    if (HasFatalFailure())
        return;
    undoToTheOldestAndRedo(w);
    saveAndReadBack(w, catcher);
    if (HasFatalFailure())
        return;
    expectTheSavedFilePrintsAsDesigned();
    w.close();
}

TEST_F(DesignerWindow, UndoReachesTheOpenedTemplateAndTheTreeFollows)
{
    settings.ShowTree = true;
    TFormSestE w(report, settings);
    w.show();
    EXPECT_TRUE(w.TreeDock->isVisible());
    ASSERT_EQ(w.Tree->topLevelItemCount(), 2);   // page header and body
    EXPECT_EQ(w.Tree->topLevelItem(1)->childCount(), 1);
    place(w, ekEllipse, skBody, 200, 16);
    place(w, ekText, skBody, 16, 16);
    EXPECT_EQ(w.Tree->topLevelItem(1)->childCount(), 3);
    typeInto(w.TextEdit, "Nový text");
    EXPECT_EQ(last(skBody)->Text, "Nový text");
    // A click in the tree selects the element on the sheet.
    QTreeWidgetItem *ellipse = w.Tree->topLevelItem(1)->child(1);
    emit w.Tree->itemClicked(ellipse, 0);
    EXPECT_EQ(w.sheet()->paper()->focusedElement()->Kind, ekEllipse);
    EXPECT_EQ(w.Panels->currentIndex(), TFormSestE::ppShape);
    w.FillStyle->setCurrentIndex(4);
    emit w.FillStyle->activated(4);
    EXPECT_EQ(w.sheet()->paper()->focusedElement()->BrushStyle, 4);

    while (w.action(TDesignerAction::Undo)->isEnabled())
        w.action(TDesignerAction::Undo)->trigger();
    EXPECT_EQ(w.doc().undoList().currentLines(), original);
    EXPECT_EQ(report.section(skBody)->elementCount(), 1);
    EXPECT_EQ(w.Tree->topLevelItem(1)->childCount(), 1);
    EXPECT_EQ(w.action(TDesignerAction::Undo)->toolTip(), "Zrušit změny");
    MessageCatcher catcher;
    catcher.Answer = TAnswer::No;
    w.close();
}

TEST_F(DesignerWindow, PanelControlsChangeTheFieldOfTheSelectedKindOnly)
{
    MessageCatcher catcher;
    catcher.Answer = TAnswer::No;   // closing without saving
    TFormSestE w(report, settings);
    w.show();
    place(w, ekLine, skBody, 16, 16);
    TSiReportElement *line = last(skBody);
    ASSERT_EQ(w.Panels->currentIndex(), TFormSestE::ppLine);
    w.LineBtn[4]->click();   // a diagonal
    w.LineWidth->setValue(7);
    emit w.LineStyle->activated(2);
    emit w.LineColor->activated(9);
    EXPECT_EQ(line->Flags & 0x7f, 1 << 4);
    EXPECT_EQ(line->PenWidth, 7);
    EXPECT_EQ(line->PenStyle, 2);
    EXPECT_EQ(line->PenColor, paletteColor(9));

    place(w, ekRectangle, skBody, 240, 16);
    TSiReportElement *rect = last(skBody);
    ASSERT_EQ(w.Panels->currentIndex(), TFormSestE::ppShape);
    w.BorderWidth->setValue(3);
    emit w.BorderColor->activated(12);
    emit w.FillStyle->activated(5);
    EXPECT_EQ(rect->PenWidth, 3);
    EXPECT_EQ(rect->PenColor, paletteColor(12));
    EXPECT_EQ(rect->BrushStyle, 5);
    EXPECT_EQ(line->PenWidth, 7);   // not selected any more: left alone

    place(w, ekPicture, skBody, 400, 16);
    TSiReportElement *picture = last(skBody);
    ASSERT_EQ(w.Panels->currentIndex(), TFormSestE::ppPicture);
    w.PicStretch->setChecked(!w.PicStretch->isChecked());
    w.PicChange->setChecked(!w.PicChange->isChecked());
    EXPECT_EQ(picture->Flags & (efStretch | efPassPicture),
              (w.PicStretch->isChecked() ? efStretch : 0) | (w.PicChange->isChecked() ? efPassPicture : 0));
    const int aspect = picture->Flags & efKeepAspect;
    w.PicAspect->setChecked(!w.PicAspect->isChecked());
    EXPECT_NE(picture->Flags & efKeepAspect, aspect);

    place(w, ekBarcode, skBody, 400, 104);
    TSiReportElement *code = last(skBody);
    ASSERT_EQ(w.Panels->currentIndex(), TFormSestE::ppBarcode);
    emit w.CodeType->activated(3);
    emit w.CodeModule->activated(0);
    w.CodeCheck->setChecked(!w.CodeCheck->isChecked());
    w.CodeText->setChecked(!w.CodeText->isChecked());
    EXPECT_EQ(code->PenStyle, 3);
    EXPECT_EQ(code->PenWidth, BarcodeModuleCodes().at(0));
    EXPECT_EQ(bool(code->Flags & efCheckDigit), w.CodeCheck->isChecked());
    EXPECT_EQ(bool(code->Flags & efPrintText), w.CodeText->isChecked());
    EXPECT_EQ(picture->PenStyle, 0);

    place(w, ekPaintBox, skBody, 16, 120);
    TSiReportElement *box = last(skBody);
    ASSERT_EQ(w.Panels->currentIndex(), TFormSestE::ppBox);
    w.BoxIndex->setValue(5);
    w.BoxZoom->setValue(w.BoxZoom->value() == 3 ? 4 : 3);
    EXPECT_EQ(box->SourceIndex, 5);
    EXPECT_EQ(box->BrushStyle, w.BoxZoom->value());

    place(w, ekText, skBody, 200, 120);
    TSiReportElement *text = last(skBody);
    ASSERT_EQ(w.Panels->currentIndex(), TFormSestE::ppText);
    w.FrameBtn[2]->click();
    EXPECT_EQ(text->Flags & 0xf, 1 << 2);
    w.close();
}

TEST_F(DesignerWindow, ClosingWithCancelKeepsChangesAndHistoryNoRestoresTheTemplate)
{
    MessageCatcher catcher;
    TFormSestE w(report, settings);
    w.show();
    place(w, ekRectangle, skBody, 8, 8);
    catcher.Answer = TAnswer::Cancel;
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(catcher.Texts.last(), "V předloze sestavy byly provedeny změny. Uložit?");
    EXPECT_EQ(report.section(skBody)->elementCount(), 2);
    EXPECT_EQ(w.doc().undoList().count(), 2);

    catcher.Answer = TAnswer::No;
    EXPECT_TRUE(w.close());
    // The report has its template back; the file is untouched.
    EXPECT_EQ(report.section(skBody)->elementCount(), 1);
    QStringList lines;
    ASSERT_EQ(loadTemplateFile(path, lines), seOk);
    EXPECT_EQ(lines, original);
}

TEST_F(DesignerWindow, SaveFailureOnClosingKeepsTheDesignerOpen)
{
    MessageCatcher catcher;
    QFile blocker(dir.filePath("soubor"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    report.Location.setReportDir(dir.filePath("soubor"));   // a file, not a folder
    TFormSestE w(report, settings);
    w.show();
    place(w, ekLine, skBody, 8, 8);
    {
        // Save: yes; another place: no; close anyway: no.
        designertest::ScriptedAnswers a({TAnswer::Yes, TAnswer::No, TAnswer::No});
        EXPECT_FALSE(w.close());
        ASSERT_EQ(a.Texts.size(), 3);
        EXPECT_TRUE(a.Texts[1].startsWith("Předlohu se nepodařilo uložit."));
    }
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.doc().changed());
    EXPECT_EQ(last(skBody)->Kind, ekLine);
    designertest::ScriptedAnswers a({TAnswer::No});
    w.close();
}

TEST_F(DesignerWindow, ClosingThePreviewKeepsTheDesigner)
{
    MessageCatcher catcher;
    TFormSestE w(report, settings);
    w.show();
    place(w, ekText, skBody, 8, 8);
    typeInto(w.TextEdit, "V náhledu");

    // "Oprava předlohy..." returns to the designer without a question; the preview showed
    // the designer's snapshot, not the file.
    QStringList previewed;
    whenShown<TFormSestP>([&](TFormSestP *p) {
        for (const TVystPrvek *it : runtest::items(report.Vystup, 0))
            previewed << runtest::itemText(*it);
        p->EditTemplate();
    });
    w.preview();
    EXPECT_TRUE(previewed.contains("V náhledu"));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(catcher.Questions, 0);
    EXPECT_EQ(last(skBody)->Text, "V náhledu");   // the model is the designer's again

    // "Zavřít" closes the preview alone: no question, the designer stays with its changes.
    whenShown<TFormSestP>([](TFormSestP *p) { p->CloseCommand(); });
    w.preview();
    EXPECT_EQ(catcher.Questions, 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.doc().changed());
    QStringList names;
    for (int i = 0; i < w.doc().undoList().count(); ++i)
        names << w.doc().undoList().at(i).Name;
    EXPECT_EQ(names.join(", ").toStdString(), "Základní varianta, vložení prvku, změna textu");
    catcher.Answer = TAnswer::No;
    w.close();
}

TEST_F(DesignerWindow, CancelledWizardRestoresTemplateAndUndoList)
{
    MessageCatcher catcher;
    TFormSestE w(report, settings);
    w.show();
    place(w, ekRectangle, skBody, 8, 8);
    whenShown<TDlgNovaSestava>([](TDlgNovaSestava *d) { d->reject(); });
    w.action(TDesignerAction::NewTemplate)->trigger();
    EXPECT_EQ(catcher.Texts.last(), "Zrušit všechny prvky a začít s návrhem nové předlohy?");
    EXPECT_EQ(report.section(skBody)->elementCount(), 2);
    EXPECT_EQ(w.doc().undoList().count(), 2);
    EXPECT_EQ(w.sheet()->paper()->bandOf(report.section(skBody))->controls().size(), 2u);

    // The wizard's own template replaces everything.
    whenShown<TDlgNovaSestava>([](TDlgNovaSestava *d) { d->IncAllBtn->click(); d->accept(); });
    w.action(TDesignerAction::NewTemplate)->trigger();
    EXPECT_EQ(w.doc().undoList().count(), 1);
    EXPECT_TRUE(w.doc().changed());
    bool hasField = false;
    for (TSiReportElement *e : w.doc().allElements())
        hasField |= e->Kind == ekField;
    EXPECT_TRUE(hasField);
    catcher.Answer = TAnswer::No;
    w.close();
}

TEST_F(DesignerWindow, ClipboardFromAnotherProgramIsNotOffered)
{
    MessageCatcher catcher;
    TFormSestE w(report, settings);
    w.show();
    QGuiApplication::clipboard()->setText("TolvaEditor?\n1\n2\n3\nX,1,0");
    w.startPaste();
    EXPECT_FALSE(w.pastePending());
    w.sheet()->paper()->select(report.section(skBody)->element(0));
    w.copySelected();
    EXPECT_TRUE(w.action(TDesignerAction::Paste)->isEnabled());
    w.startPaste();
    EXPECT_TRUE(w.pastePending());
    QTest::keyClick(&w, Qt::Key_Escape);   // Esc ends the pending paste first
    EXPECT_FALSE(w.pastePending());
    EXPECT_TRUE(w.isVisible());
    // A further Esc clears the selection and never asks to close the designer.
    w.sheet()->paper()->select(report.section(skBody)->element(0));
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(w.sheet()->paper()->selectedCount(), 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(catcher.Questions, 0);
}

TEST_F(DesignerWindow, CtrlKeepsTheToolAndMovesToTheNextField)
{
    MessageCatcher catcher;
    TFormSestE w(report, settings);
    w.show();
    w.ToolTabs->setCurrentIndex(0);
    w.FieldCombo->setCurrentIndex(0);
    w.chooseTool(ekField);
    sheettest::click(band(w, report.section(skBody)), px(w, 8, 40), Qt::ControlModifier);
    sheettest::click(band(w, report.section(skBody)), px(w, 200, 40), Qt::ControlModifier);
    EXPECT_EQ(w.toolKind(), ekField);
    TOddilSestavy *body = report.section(skBody);
    ASSERT_EQ(body->elementCount(), 3);
    EXPECT_EQ(body->element(1)->SourceIndex, 0);
    EXPECT_EQ(body->element(2)->SourceIndex, 1);
    EXPECT_EQ(w.FieldCombo->currentIndex(), 0);   // after the last it returns to the first
    catcher.Answer = TAnswer::No;
    w.close();
}

TEST_F(DesignerWindow, UnitsAndZoom)
{
    MessageCatcher catcher;
    TFormSestE w(report, settings);
    w.show();
    TSiReportElement *e = report.section(skBody)->element(0);
    w.sheet()->paper()->select(e);
    w.UnitsCombo->setCurrentIndex(1);
    emit w.UnitsCombo->activated(1);
    EXPECT_EQ(report.UnitsIndex, 1);
    EXPECT_EQ(w.PosWidth->text(), "305");   // 120 hundredths of an inch in 0,1 mm
    EXPECT_EQ(w.action(TDesignerAction::Undo)->toolTip(), "Zrušit změnu měrných jednotek");
    typeInto(w.PosWidth, "254");
    EXPECT_EQ(e->Width, 100);
    w.ZoomCombo->setCurrentIndex(9);
    emit w.ZoomCombo->activated(9);
    EXPECT_DOUBLE_EQ(w.zoomFactor(), 2.0);
    EXPECT_EQ(w.sheet()->paper()->controlOf(e)->width(), 200);
    catcher.Answer = TAnswer::No;
    w.close();
}

TEST_F(DesignerWindow, EditEntryPointOpensTheDesigner)
{
    MessageCatcher catcher;
    InstallDesigner();
    whenShown<TFormSestE>([](TFormSestE *w) { w->close(); });
    EXPECT_EQ(report.Edit(), seCancelled);
}

TEST(DesignerShippedTemplates, OpenSaveUnchangedAndPreview)
{
    InstallReportUi();   // first: it would put message boxes in place of the catcher
    MessageCatcher catcher;
    const QDir data(QStringLiteral(ORVALIS_SOURCE_DIR "/data/tisky"));
    const QStringList files = data.entryList({"*.pts"}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 4);
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        QTemporaryDir dir;
        const QString copy = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(data.filePath(name), copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        QFile in(copy);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray before = in.readAll();
        in.close();

        runtest::MemoryBridge rows;
        for (int i = 1; i <= 40; ++i)
            rows.Columns << QStringLiteral("Pole%1").arg(i);
        rows.Rows.emplace_back(40, QVariant("x"));
        TSestava report;
        report.DataSource = &rows;
        report.Location.ReportDirIgnore = false;
        report.Location.setReportDir(dir.path());
        report.setReportName(name);
        report.PrepareFields();
        ASSERT_EQ(report.LoadTemplate(false), seOk);
        TFormSestE w(report, TEditorSettings{});
        w.show();
        EXPECT_GT(w.doc().elementCount(), 0);
        ASSERT_TRUE(w.doc().save());
        QFile out(copy);
        ASSERT_TRUE(out.open(QIODevice::ReadOnly));
        EXPECT_EQ(out.readAll(), before);

        int pages = 0;
        whenShown<TFormSestP>([&](TFormSestP *p) {
            pages = report.Vystup.PageCount();
            p->EditTemplate();
        });
        w.preview();
        EXPECT_GE(pages, 1);
        w.close();
    }
}

// Every command and tool exists under its id and is found by its object name, one each.
TEST_F(DesignerWindow, ActionsAreKeyedByIdAndObjectName)
{
    TFormSestE w(report, settings);
    QSet<QString> names;
    for (int i = 0; i < int(TDesignerAction::Count); ++i) {
        const auto id = TDesignerAction(i);
        const QString name = designerActionName(id);
        SCOPED_TRACE(name.toStdString());
        ASSERT_NE(w.action(id), nullptr);
        EXPECT_FALSE(w.action(id)->text().isEmpty());
        EXPECT_EQ(w.findChild<QAction *>(name), w.action(id));
        names.insert(name);
    }
    EXPECT_EQ(names.size(), int(TDesignerAction::Count));
}

TEST_F(DesignerWindow, F1OpensTheReportGeneratorsHelp)
{
    QStringList pages;
    const TReportHelpHandler old = setReportHelpHandler(
        [&](QWidget *, const QString &page) { pages << page; });
    TFormSestE w(report, settings);
    w.show();
    QTest::keyClick(&w, Qt::Key_F1);
    w.action(TDesignerAction::HelpContents)->trigger();
    EXPECT_EQ(pages, QStringList({"SestavyEditor.htm", "SestavyEditor.htm"}));
    setReportHelpHandler(old);
    // The pages ship with the program.
    const QDir help(QStringLiteral(ORVALIS_SOURCE_DIR "/data/help"));
    for (const char *page : {"sestavy.htm", "SestavyEditor.htm", "SestavyPrvek.htm",
                             "SestavyNavrh.htm", "SestavyNastaveni.htm", "SestavyProstredi.htm"})
        EXPECT_TRUE(QFileInfo(help.filePath(page)).isFile()) << page;
}

// Align, distribute and same size on three elements through the window's commands and keys:
// the positions the author expects, one undo step each, and undo giving the layout back.
TEST_F(DesignerWindow, ArrangingThreeElementsIsOneUndoStepEach)
{
    MessageCatcher catcher;
    TFormSestE w(report, settings);
    w.show();
    QApplication::setActiveWindow(&w);
    TOddilSestavy *body = report.section(skBody);
    auto *a = report.AddElement(body, "T,1,0,20,10,100,20,Arial,10,0,0,0,0,238,\"A\"");
    auto *b = report.AddElement(body, "T,1,0,150,40,60,30,Arial,10,0,0,0,0,238,\"B\"");
    auto *c = report.AddElement(body, "T,1,0,400,60,80,20,Arial,10,0,0,0,0,238,\"C\"");
    w.doc().record("vložení prvku");
    w.sheet()->rebuild();
    auto elements = [&] {
        // The model is rebuilt on undo: the elements are found again by their place.
        return QList<TSiReportElement *>{body->element(1), body->element(2), body->element(3)};
    };
    auto rects = [&] {
        QList<QRect> out;
        for (const TSiReportElement *e : elements())
            out << QRect(e->Left, e->Top, e->Width, e->Height);
        return out;
    };
    auto selectThree = [&] {
        ASSERT_FALSE(elements().isEmpty());
        w.sheet()->paper()->select(elements()[0]);
        for (TSiReportElement *e : elements().mid(1))
            w.sheet()->paper()->select(e, true);
        w.sheet()->paper()->setFocused(w.sheet()->paper()->controlOf(elements()[0]));
    };
    (void)a; (void)b; (void)c;
    const QList<QRect> start = rects();

    struct Step {
        TDesignerAction Command;
        QList<QRect> Expected;
    };
    const Step steps[] = {
        {TDesignerAction::AlignLeft, {{20, 10, 100, 20}, {20, 40, 60, 30}, {20, 60, 80, 20}}},
        {TDesignerAction::AlignRight, {{20, 10, 100, 20}, {60, 40, 60, 30}, {40, 60, 80, 20}}},
        {TDesignerAction::AlignHCentre, {{20, 10, 100, 20}, {40, 40, 60, 30}, {30, 60, 80, 20}}},
        {TDesignerAction::AlignTop, {{20, 10, 100, 20}, {150, 10, 60, 30}, {400, 10, 80, 20}}},
        {TDesignerAction::AlignBottom, {{20, 10, 100, 20}, {150, 0, 60, 30}, {400, 10, 80, 20}}},
        // 20..480 holds 240 of elements: two gaps of 110.
        {TDesignerAction::SpreadHorizontally, {{20, 10, 100, 20}, {230, 40, 60, 30}, {400, 60, 80, 20}}},
        // 10..80 holds 70 of elements: no gaps, B moves up under A.
        {TDesignerAction::SpreadVertically, {{20, 10, 100, 20}, {150, 30, 60, 30}, {400, 60, 80, 20}}},
        {TDesignerAction::SameWidth, {{20, 10, 100, 20}, {150, 40, 100, 30}, {400, 60, 100, 20}}},
        {TDesignerAction::SameHeight, {{20, 10, 100, 20}, {150, 40, 60, 20}, {400, 60, 80, 20}}},
        {TDesignerAction::SameSize, {{20, 10, 100, 20}, {150, 40, 100, 20}, {400, 60, 100, 20}}},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(designerActionName(s.Command).toStdString());
        selectThree();
        QAction *cmd = w.action(s.Command);
        ASSERT_NE(cmd, nullptr);
        ASSERT_TRUE(cmd->isEnabled());
        EXPECT_FALSE(cmd->icon().isNull());
        cmd->trigger();
        EXPECT_EQ(rects(), s.Expected);
        const QString hint = w.doc().undoList().undoHint();
        EXPECT_TRUE(hint == "Zrušit zarovnání prvků" || hint == "Zrušit rozmístění prvků"
                    || hint == "Zrušit stejnou velikost prvků")
            << hint.toStdString();
        // Ctrl+Z gives the layout back in one step.
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(rects(), start);
        // Ctrl+Y does it again, Ctrl+Z undoes it for the next command.
        QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(rects(), s.Expected);
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    }
    // Ctrl+A selects the whole band of the focused element; a key aligns it.
    ASSERT_FALSE(elements().isEmpty());
    w.sheet()->paper()->select(elements()[0]);
    w.sheet()->paper()->setFocus();
    QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w.sheet()->paper()->selectedCount(), body->elementCount());
    w.sheet()->paper()->setFocused(w.sheet()->paper()->controlOf(elements()[0]));
    QTest::keyClick(&w, Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
    for (const TSiReportElement *e : elements())
        EXPECT_EQ(e->Left, 20);
    catcher.Answer = TAnswer::No;
    w.close();
}
