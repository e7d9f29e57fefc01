// The window "Návrh nové předlohy" driven through its controls.

#include "DesignerTestSupport.h"

#include "report/designer/DlgNovaSestava.h"
#include "report/designer/EditorSettings.h"
#include "report/model/PageSetup.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orv;

namespace {

QList<TWizardField> fields(const QStringList &names)
{
    QList<TWizardField> out;
    for (const QString &n : names) {
        TWizardField f;
        f.Name = n;
        f.Label = n.toUpper();
        out << f;
    }
    return out;
}

QStringList texts(const QListWidget *l)
{
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

void select(QListWidget *l, const QStringList &names)
{
    l->clearSelection();
    for (int i = 0; i < l->count(); ++i)
        if (names.contains(l->item(i)->text()))
            l->item(i)->setSelected(true);
}

} // namespace

TEST(WizardDialog, StartsWithAllFieldsAvailableAndTheColumnsStyle)
{
    TEditorSettings s;
    s.SledPodle = true;
    TDlgNovaSestava dlg(fields({"a", "b", "c"}), s, false);
    EXPECT_EQ(dlg.windowTitle(), "Návrh nové předlohy");
    EXPECT_EQ(texts(dlg.SrcList), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(dlg.DstList->count(), 0);
    EXPECT_TRUE(dlg.IncludeBtn->isEnabled());
    EXPECT_FALSE(dlg.ExcludeBtn->isEnabled());
    EXPECT_FALSE(dlg.ExAllBtn->isEnabled());
    EXPECT_TRUE(dlg.SBSloupec->isChecked());
    EXPECT_TRUE(dlg.CBPopisyPolozek->isChecked());
    EXPECT_FALSE(dlg.CBPopisyTextem->isChecked());
    EXPECT_TRUE(dlg.CBSledovatPodle->isChecked());
    EXPECT_FALSE(dlg.BitBtn1->isVisibleTo(&dlg));   // no paper window to open
}

TEST(WizardDialog, MovingFields)
{
    TDlgNovaSestava dlg(fields({"a", "b", "c", "d", "e"}), TEditorSettings(), false);
    select(dlg.SrcList, {"a", "b", "c"});
    QTest::mouseClick(dlg.IncludeBtn, Qt::LeftButton);
    // A block arrives in reverse order.
    EXPECT_EQ(texts(dlg.DstList), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(texts(dlg.SrcList), (QStringList{"d", "e"}));
    // The item at the position of the block is selected in the source list.
    EXPECT_EQ(dlg.SrcList->currentRow(), 0);
    EXPECT_TRUE(dlg.ExcludeBtn->isEnabled());

    QTest::mouseClick(dlg.IncAllBtn, Qt::LeftButton);
    EXPECT_EQ(texts(dlg.DstList), (QStringList{"c", "b", "a", "d", "e"}));
    EXPECT_FALSE(dlg.IncludeBtn->isEnabled());
    EXPECT_FALSE(dlg.IncAllBtn->isEnabled());

    select(dlg.DstList, {"e"});
    QTest::mouseClick(dlg.ExcludeBtn, Qt::LeftButton);
    EXPECT_EQ(texts(dlg.SrcList), (QStringList{"e"}));
    // Past the end: the last item is selected.
    EXPECT_EQ(dlg.DstList->currentRow(), 3);

    // A double click moves the selected fields back.
    select(dlg.DstList, {"b"});
    emit dlg.DstList->itemDoubleClicked(dlg.DstList->item(1));
    EXPECT_EQ(texts(dlg.SrcList), (QStringList{"e", "b"}));

    QTest::mouseClick(dlg.ExAllBtn, Qt::LeftButton);
    EXPECT_EQ(texts(dlg.SrcList), (QStringList{"e", "b", "c", "a", "d"}));
    EXPECT_EQ(dlg.DstList->count(), 0);
}

TEST(WizardDialog, OkWithoutFieldsKeepsTheWindowOpen)
{
    designertest::MessageCatcher msgs;
    TDlgNovaSestava dlg(fields({"a"}), TEditorSettings(), false);
    dlg.show();
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(msgs.Texts, QStringList{"Nebyly vybrány žádné položky. Návrh nemůže být proveden!"});
    EXPECT_EQ(msgs.Captions, QStringList{"Informace"});
    EXPECT_EQ(dlg.result().Lines.size(), 0);
}

TEST(WizardDialog, GeneratesWithTheChosenStyleAndOptions)
{
    pageSetup() = TPageSetup();
    TDlgNovaSestava dlg(fields({"a", "b"}), TEditorSettings(), false);
    dlg.show();
    QTest::mouseClick(dlg.IncAllBtn, Qt::LeftButton);
    QTest::mouseClick(dlg.SBRadek, Qt::LeftButton);
    EXPECT_FALSE(dlg.SBSloupec->isChecked());
    dlg.CBPopisyTextem->setChecked(true);
    dlg.CBSledovatPodle->setChecked(true);
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.QDialog::result(), QDialog::Accepted);
    const QStringList lines = dlg.result().Lines;
    EXPECT_TRUE(lines.contains("T,1,0,0,0,84,20,Arial,10,0,0,1,0,1,\"A\""));
    EXPECT_TRUE(lines.contains("T,2,b,92,20,90,20,Arial,10,0,0,0,0,1"));
    EXPECT_TRUE(lines.contains("I,3,2,1,56"));
}

TEST(WizardDialog, TellsWhichFieldsWereLeftOut)
{
    designertest::MessageCatcher msgs;
    TPageSetup small;
    small.PaperHeight = 400;   // printable 260: 144 for the rest, room for five rows
    pageSetup() = small;
    QStringList names;
    for (int i = 1; i <= 8; ++i)
        names << QStringLiteral("pole%1").arg(i);
    TDlgNovaSestava dlg(fields(names), TEditorSettings(), false);
    dlg.show();
    QTest::mouseClick(dlg.IncAllBtn, Qt::LeftButton);
    QTest::mouseClick(dlg.SBRadek, Qt::LeftButton);
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.QDialog::result(), QDialog::Accepted);
    EXPECT_EQ(dlg.result().LeftOut, (QStringList{"pole6", "pole7", "pole8"}));
    ASSERT_EQ(msgs.Texts.size(), 1);
    EXPECT_TRUE(msgs.Texts.front().contains("pole6, pole7, pole8")) << msgs.Texts.front().toStdString();
    pageSetup() = TPageSetup();
}

TEST(WizardDialog, ManualAndCancelGenerateNothing)
{
    TDlgNovaSestava dlg(fields({"a"}), TEditorSettings(), false);
    dlg.show();
    QTest::mouseClick(dlg.IncAllBtn, Qt::LeftButton);
    QTest::mouseClick(dlg.RucneBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.QDialog::result(), TDlgNovaSestava::Rucne);
    EXPECT_TRUE(dlg.result().Lines.isEmpty());

    TDlgNovaSestava dlg2(fields({"a"}), TEditorSettings(), false);
    dlg2.show();
    QTest::mouseClick(dlg2.IncAllBtn, Qt::LeftButton);
    QTest::mouseClick(dlg2.HelpBtn, Qt::LeftButton);
    EXPECT_EQ(dlg2.QDialog::result(), QDialog::Rejected);
}

TEST(WizardDialog, PaperFormatButtonOpensThePaperSettings)
{
    TDlgNovaSestava dlg(fields({"a"}), TEditorSettings(), false);
    int opened = 0;
    dlg.setPaperFormatHandler([&](QWidget *parent) {
        EXPECT_EQ(parent, &dlg);
        ++opened;
        pageSetup().MarginLeft = 100;   // what the paper window would change
    });
    dlg.show();
    EXPECT_TRUE(dlg.BitBtn1->isVisible());
    QTest::mouseClick(dlg.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(opened, 1);
    // The template is laid out on the paper as it is when "&Navrhnout" is pressed.
    EXPECT_EQ(dlg.params().W, 826 - 100 - 50);
    pageSetup() = TPageSetup();
}
