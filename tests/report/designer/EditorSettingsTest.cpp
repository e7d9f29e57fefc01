// The designer's preferences: defaults, the settings file, and the window that edits them.

#include "DesignerTestSupport.h"

#include "report/designer/DlgProstredi.h"
#include "report/designer/EditorSettings.h"
#include "report/output/Sestava.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace orv;

namespace {

void writeFile(const QString &path, const QByteArray &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

void typeInto(QSpinBox *spin, const QString &text)
{
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Delete);
    QTest::keyClicks(spin, text);
    QTest::keyClick(spin, Qt::Key_Tab);
    spin->interpretText();
}

} // namespace

TEST(EditorSettings, MissingFileOrSectionGivesTheDefaults)
{
    QTemporaryDir dir;
    TEditorSettings s;
    s.RastrX = 3;
    s.load(dir.filePath("none.ini"));
    EXPECT_EQ(s, TEditorSettings());
    writeFile(dir.filePath("other.ini"), "[FormatyPapiru]\nPocetFormatu=0\n");
    s.load(dir.filePath("other.ini"));
    EXPECT_EQ(s, TEditorSettings());
    EXPECT_EQ(s.RastrX, 8);
    EXPECT_EQ(s.RastrY, 8);
    EXPECT_TRUE(s.RastrZobrazovat);
    EXPECT_TRUE(s.RastrZarovnavat);
    // Deeper undo kept over a save, rulers and the element tree shown: what authors expect.
    EXPECT_EQ(s.PocetUndo, 100);
    EXPECT_TRUE(s.UndoSave);
    EXPECT_TRUE(s.ShowRulesLR && s.ShowRulesTB && s.ShowTree);
    EXPECT_TRUE(s.MazaniVice);
    EXPECT_FALSE(s.MazaniJedne);
    EXPECT_EQ(s.ImplSirka, 200);
    EXPECT_EQ(s.ImplVyska, 20);
    EXPECT_EQ(s.ImplZarovnaniCi, 1);
    EXPECT_EQ(s.ImplNazevFontu, "Arial");
    EXPECT_EQ(s.ImplVyskaFontu, 10);
    EXPECT_EQ(s.ImplSkriptFontu, 1);
    EXPECT_EQ(s.ImplMeritko, 6);
}

TEST(EditorSettings, HandEditedValuesAreBroughtIntoRange)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("SestDLL.ini");
    writeFile(path, "[EditorSestav]\nRastrX=0\nRastrY=-4\nPocetUndo=0\nUseUnits=9\n"
                    "RastrZobrazovat=0\nShowTree=true\nImplMeritko=8\n"
                    "[Oddily]\nImplVyskaFontu=-13\nImplSirka=abc\nImplVyska=0\n"
                    "ImplZarovnani=7\nImplNazevFontu=\n");
    TEditorSettings s;
    s.load(path);
    EXPECT_EQ(s.RastrX, 8);
    EXPECT_EQ(s.RastrY, 8);
    EXPECT_EQ(s.PocetUndo, 1);
    EXPECT_EQ(s.UseUnits, 0);
    EXPECT_FALSE(s.RastrZobrazovat);
    EXPECT_TRUE(s.ShowTree);
    EXPECT_EQ(s.ImplMeritko, 8);
    EXPECT_EQ(s.ImplVyskaFontu, 9);   // -13 x -72 / 100
    EXPECT_EQ(s.ImplSirka, 200);      // not a number: the default
    EXPECT_EQ(s.ImplVyska, 1);
    EXPECT_EQ(s.ImplZarovnani, 0);
    EXPECT_EQ(s.ImplNazevFontu, "Arial");
}

TEST(EditorSettings, RoundTripThroughTheFileKeepsOtherSections)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/SestDLL.ini");
    QDir().mkpath(dir.filePath("sub"));
    writeFile(path, "[FormatyPapiru]\nPocetFormatu=1\nFormat1=\"Štítky\",400,300\n"
                    "[EditorSestav]\nImplMeritko=4\n");
    TEditorSettings s;
    s.RastrX = 10;
    s.RastrY = 5;
    s.MazaniJedne = true;
    s.PocetUndo = 25;
    s.ShowRulesLR = true;
    s.UseUnits = 1;
    s.SledPodle = true;
    s.Vodici = false;
    s.ImplNazevFontu = QStringLiteral("Liberation Serif");
    s.ImplVyskaFontu = 12;
    s.ImplBarvaFontu = 0x123456;
    s.ImplStylFontu = 5;
    s.ImplSkriptFontu = 238;
    s.ImplZarovnani = 2;
    ASSERT_TRUE(s.save(path));
    TEditorSettings back;
    back.load(path);
    TEditorSettings expected = s;
    expected.ImplMeritko = 4;   // read from the file, never written
    EXPECT_EQ(back, expected);
    QSettings ini(path, QSettings::IniFormat);
    EXPECT_EQ(ini.value("FormatyPapiru/PocetFormatu").toInt(), 1);
    EXPECT_EQ(ini.value("EditorSestav/ImplMeritko").toInt(), 4);
    EXPECT_EQ(ini.value("EditorSestav/RastrX").toString(), "10");
    EXPECT_EQ(ini.value("EditorSestav/MazaniJedne").toString(), "1");
}

TEST(EditorSettings, SettingsFileOfTheReport)
{
    QTemporaryDir dir;
    qputenv("ORVALIS_REPORT_SETTINGS_DIR", dir.path().toUtf8());
    TSestava report;
    EXPECT_EQ(reportSettingsPath(report.IniFileName), dir.filePath("SestDLL.ini"));
    EXPECT_EQ(reportSettingsPath("/etc/x.ini"), "/etc/x.ini");
    TEditorSettings s;
    s.PocetUndo = 4;
    ASSERT_TRUE(saveEditorSettings(&report, s));
    TEditorSettings back;
    loadEditorSettings(&report, back);
    EXPECT_EQ(back.PocetUndo, 4);
    // Without a report nothing happens.
    TEditorSettings untouched;
    untouched.PocetUndo = 7;
    loadEditorSettings(nullptr, untouched);
    EXPECT_EQ(untouched.PocetUndo, 7);
    EXPECT_FALSE(saveEditorSettings(nullptr, s));
    qunsetenv("ORVALIS_REPORT_SETTINGS_DIR");
}

TEST(EditorSettingsWindow, ShowsTheDefaults)
{
    TDlgProstredi dlg(TEditorSettings{}, QString{});
    EXPECT_EQ(dlg.windowTitle(), "Prostředí editoru sestav");
    ASSERT_EQ(dlg.Tabs->count(), 3);
    EXPECT_EQ(dlg.Tabs->tabText(0), "Prostředí");
    EXPECT_EQ(dlg.Tabs->tabText(1), "Rastr");
    EXPECT_EQ(dlg.Tabs->tabText(2), "Předvolby");
    EXPECT_EQ(dlg.RastrX->value(), 8);
    EXPECT_EQ(dlg.RastrY->value(), 8);
    EXPECT_TRUE(dlg.RastrZobrazovat->isChecked());
    EXPECT_TRUE(dlg.RastrZarovnavat->isChecked());
    EXPECT_FALSE(dlg.MazaniJedne->isChecked());
    EXPECT_TRUE(dlg.MazaniVice->isChecked());
    EXPECT_EQ(dlg.PocetUndo->value(), 100);
    EXPECT_EQ(dlg.UseUnits->currentText(), "0,01 inch");
    EXPECT_EQ(dlg.ImplSirka->value(), 200);
    EXPECT_EQ(dlg.ImplVyska->value(), 20);
    EXPECT_EQ(dlg.ImplZarovnani->currentText(), "Vlevo");
    EXPECT_EQ(dlg.ImplZarovnaniCi->currentText(), "Vpravo");
    EXPECT_EQ(dlg.Vzorek->text(), "ÁBČDábčd");
    EXPECT_EQ(dlg.Vzorek->font().family(), "Arial");
    EXPECT_EQ(dlg.settings(), TEditorSettings());
}

TEST(EditorSettingsWindow, KonecWritesWhatTheControlsHold)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("SestDLL.ini");
    TDlgProstredi dlg(TEditorSettings(), path);
    dlg.show();
    typeInto(dlg.RastrX, "12");
    typeInto(dlg.PocetUndo, "3");
    QTest::mouseClick(dlg.ShowRulesTB, Qt::LeftButton);
    QTest::mouseClick(dlg.SledPodle, Qt::LeftButton);
    dlg.UseUnits->setCurrentIndex(1);
    dlg.ImplZarovnani->setCurrentIndex(2);
    QTest::mouseClick(dlg.KonecBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    TEditorSettings back;
    back.load(path);
    EXPECT_EQ(back.RastrX, 12);
    EXPECT_EQ(back.PocetUndo, 3);
    EXPECT_FALSE(back.ShowRulesTB);   // on by default, the click turned it off
    EXPECT_TRUE(back.SledPodle);
    EXPECT_EQ(back.UseUnits, 1);
    EXPECT_EQ(back.ImplZarovnani, 2);
    EXPECT_EQ(back.RastrY, 8);
}

TEST(EditorSettingsWindow, StornoWritesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("SestDLL.ini");
    TDlgProstredi dlg(TEditorSettings(), path);
    dlg.show();
    typeInto(dlg.RastrX, "12");
    QTest::mouseClick(dlg.StornoBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(EditorSettingsWindow, BadValuesAreKeptOut)
{
    TDlgProstredi dlg(TEditorSettings{}, QString{});
    dlg.show();
    typeInto(dlg.RastrX, "0");
    typeInto(dlg.RastrY, "abc");
    typeInto(dlg.PocetUndo, "-5");
    typeInto(dlg.ImplVyska, "0");
    const TEditorSettings s = dlg.settings();
    EXPECT_GE(s.RastrX, 1);
    EXPECT_EQ(s.RastrY, 8);
    EXPECT_GE(s.PocetUndo, 1);
    EXPECT_GE(s.ImplVyska, 1);
    // A hand-edited file with a grid of 0 shows 8 in the window.
    TEditorSettings bad;
    bad.RastrX = 0;
    bad.PocetUndo = 0;
    TDlgProstredi dlg2(bad, QString());
    EXPECT_EQ(dlg2.RastrX->value(), 8);
    EXPECT_EQ(dlg2.PocetUndo->value(), 1);
}

TEST(EditorSettingsWindow, AFileThatCannotBeWrittenKeepsTheWindowOpen)
{
    designertest::MessageCatcher msgs;
    QTemporaryDir dir;
    writeFile(dir.filePath("file"), "x");
    // The folder of the settings file is a plain file: nothing can be written there.
    const QString path = dir.filePath("file/SestDLL.ini");
    TDlgProstredi dlg(TEditorSettings(), path);
    dlg.show();
    QTest::mouseClick(dlg.KonecBtn, Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(msgs.Texts.size(), 1);
    EXPECT_TRUE(msgs.Texts.front().startsWith("Nastavení prostředí se nepodařilo uložit"));
}

TEST(EditorSettingsWindow, FontOfNewElements)
{
    TEditorSettings s;
    s.ImplNazevFontu = QStringLiteral("Arial");
    TDlgPismo font(s);
    EXPECT_EQ(font.Nazev->currentText(), "Arial");
    EXPECT_GE(font.Nazev->findText("Roman 12cpi"), 0);
    EXPECT_EQ(font.Velikost->value(), 10);
    EXPECT_EQ(font.Skript->currentText(), "výchozí");
    font.Nazev->setCurrentText("Roman 10cpi");
    font.Velikost->setValue(12);
    font.Tucne->setChecked(true);
    font.Barva->setCurrentIndex(9);
    font.Skript->setCurrentIndex(4);
    TEditorSettings out = s;
    font.applyTo(out);
    EXPECT_EQ(out.ImplNazevFontu, "Roman 10cpi");
    EXPECT_EQ(out.ImplVyskaFontu, 12);
    EXPECT_EQ(out.ImplStylFontu, 1);
    EXPECT_EQ(out.ImplBarvaFontu, 9);
    EXPECT_EQ(out.ImplSkriptFontu, 238);
    // A colour value outside the palette is kept when the colour is not changed.
    s.ImplBarvaFontu = 0x123456;
    TDlgPismo custom(s);
    TEditorSettings out2 = s;
    custom.applyTo(out2);
    EXPECT_EQ(out2.ImplBarvaFontu, 0x123456);
}
