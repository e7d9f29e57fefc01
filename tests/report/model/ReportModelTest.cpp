#include "ModelTestSupport.h"

#include "report/model/Bridge.h"
#include "report/model/PageSetup.h"

#include <gtest/gtest.h>

using namespace orv;
using orv::test::SettingsGuard;

namespace {

TEST(ReportModel, ANewReportHasFiveFixedSectionsAndDefaults)
{
    TSestavaModel m;
    ASSERT_EQ(m.Sections.count(), 5);
    const char *captions[] = {"Začátek sestavy", "Hlava stránky", "Tělo sestavy",
                              "Konec sestavy", "Pata stránky"};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(m.Sections.at(k)->Kind, k);
        EXPECT_EQ(m.Sections.at(k)->caption(), QString::fromUtf8(captions[k]));
    }
    EXPECT_EQ(m.Popis, "Tisková úloha TOLVA");
    EXPECT_EQ(m.FormatVersion, 5);
    EXPECT_EQ(m.Columns, 1);
    EXPECT_FALSE(m.CharacterMode);
    for (int kind : {skReportHeader, skPageHeader, skBody, skReportFooter, skPageFooter})
        EXPECT_EQ(m.sectionFlags(kind), 0) << kind;
}

TEST(ReportModel, GroupsAddAndRemoveTheirTwoSections)
{
    TSestavaModel m;
    TPolSkup *g0 = m.AddGroup(0, "#1", true, 20, false, 30, true);
    TPolSkup *g1 = m.AddGroup(1, "#2", false, 0, true, 0, true);
    ASSERT_EQ(m.Sections.count(), 9);
    EXPECT_EQ(m.Sections.at(groupHeaderKind(0)), g0->GroupHeader);
    EXPECT_EQ(m.Sections.at(groupFooterKind(1)), g1->GroupFooter);
    EXPECT_EQ(g0->GroupHeader->caption(), "Začátek skupiny");
    EXPECT_EQ(g0->GroupFooter->caption(), "Konec skupiny");
    EXPECT_EQ(g0->GroupFooter->Height, 20);
    EXPECT_FALSE(g0->GroupFooter->Visible);
    EXPECT_EQ(g1->GroupHeader->Kind, groupHeaderKind(1));
    EXPECT_EQ(g1->GroupFooter->Kind, groupFooterKind(1));
    TOddilSestavy *keptHeader = g1->GroupHeader;
    m.DeleteGroup(0);
    ASSERT_EQ(m.Groups.count(), 1);
    ASSERT_EQ(m.Sections.count(), 7);
    EXPECT_EQ(m.Sections.at(groupHeaderKind(0)), keptHeader);
    m.DeleteGroup(5);   // no such group: nothing happens
    EXPECT_EQ(m.Sections.count(), 7);
    // Kinds stay defined even for absurd indexes read from a file.
    EXPECT_EQ(m.AddGroup(INT_MAX, "", false, 0, true, 0, true)->GroupHeader->Kind, INT_MAX);
}

TEST(ReportModel, DiscardKeepsTheFixedSectionsWithTheirSizes)
{
    TSestavaModel m;
    m.Sections.at(skBody)->Height = 40;
    m.Sections.at(skBody)->Visible = false;
    m.AddElement(m.Sections.at(skBody), "T,1,0,0,0,10,10");
    TPolSkup *g = m.AddGroup(0, "#1", false, 0, true, 0, true);
    m.AddElement(g->GroupHeader, "S0,1,0,0,0,10,10");
    m.Functions.add();
    EXPECT_EQ(m.AddElement(nullptr, "T,1"), nullptr);
    m.Discard();
    EXPECT_EQ(m.Sections.count(), 5);
    EXPECT_EQ(m.Sections.at(skBody)->elementCount(), 0);
    EXPECT_EQ(m.Sections.at(skBody)->Height, 40);
    EXPECT_FALSE(m.Sections.at(skBody)->Visible);
    EXPECT_EQ(m.Groups.count(), 0);
    EXPECT_EQ(m.Functions.count(), 0);
}

TEST(ReportModel, FieldListsAndPlaceholders)
{
    TSestavaModel m;
    m.SetFieldNames({"Number", "Name"});
    m.FieldLabels = {"Číslo", "Název"};
    EXPECT_EQ(m.FieldPlaceholders, QStringList({"Položka 1", "Položka 2"}));
    EXPECT_EQ(m.FieldText(1), "Položka 2");
    EXPECT_EQ(m.FieldText(2), "Položka ?");
    EXPECT_EQ(m.FieldText(-1), "Položka ?");
    EXPECT_EQ(m.FieldValue(5).Number, 0);
    EXPECT_EQ(m.FieldValue(5).Text, "Položka ?");
    EXPECT_EQ(m.FieldName(0), "Number");
    EXPECT_EQ(m.FieldName(7), "7");
    EXPECT_EQ(m.FieldIndex("NAME"), 1);
    EXPECT_EQ(m.FieldIndex("x"), -1);
    EXPECT_EQ(m.FieldLabel(1), "Název");
    EXPECT_EQ(m.FieldLabel(2), "");
}

TEST(ReportModel, CharacterModeDerivesPitchAndLineHeight)
{
    TSestavaModel m;
    m.CharacterMode = true;
    const struct { int pitch, line; double w, h; int gx, gy; } cases[] = {
        {1, 1, 100.0 / 12, 25.0, 8, 25}, {2, 2, 6.0, 100.0 / 3, 6, 33},
        {0, 0, 10.0, 100.0 / 6, 10, 16}, {7, 3, 10.0, 100.0 / 6, 10, 16}};
    for (const auto &c : cases) {
        m.PitchCode = c.pitch;
        m.LineHeightCode = c.line;
        m.UpdateCharacterMetrics();
        EXPECT_DOUBLE_EQ(m.CharWidth, c.w);
        EXPECT_DOUBLE_EQ(m.LineHeight, c.h);
        EXPECT_EQ(m.GridX, c.gx);
        EXPECT_EQ(m.GridY, c.gy);
    }
    m.CharacterMode = false;
    m.UpdateCharacterMetrics();
    EXPECT_EQ(m.CharWidth, 0.0);
    EXPECT_EQ(m.LineHeight, 0.0);
}

TEST(ReportModel, EffectiveBackgroundPrefersTheTemplatesOwn)
{
    TSestavaModel m;
    m.Background = "firma.bmp";
    m.PrintBackground = true;
    m.BackgroundFile = "vlastni.bmp";
    EXPECT_EQ(m.effectiveBackgroundFile(), "firma.bmp");
    EXPECT_TRUE(m.effectiveBackgroundPrinted());
    m.OwnBackground = true;
    EXPECT_EQ(m.effectiveBackgroundFile(), "vlastni.bmp");
    EXPECT_FALSE(m.effectiveBackgroundPrinted());
    m.Context.PageSetup.Orientation = 1;
    m.BackgroundWidth = 0;
    m.BackgroundHeight = 500;
    EXPECT_EQ(m.backgroundRect(), QRect(0, 0, 1169, 500));
}

TEST(ReportModel, ElementKindNames)
{
    EXPECT_EQ(elementKindName(2), "Položka tabulky");
    EXPECT_EQ(elementKindName(13), "Kreslicí plocha");
    EXPECT_EQ(elementKindName(14), "Neznámý");
    EXPECT_EQ(elementKindName(0), "Neznámý");
    EXPECT_FALSE(isKnownKind(14));
    EXPECT_TRUE(isKnownKind(15));
}

TEST(PageSetup, OrientationCodesAndPrintableArea)
{
    TPageSetup p;
    p.setOrientationCode(3);
    EXPECT_EQ(p.Orientation, 1);
    EXPECT_TRUE(p.KeepPrinterOrientation);
    EXPECT_EQ(p.orientationCode(), 3);
    EXPECT_EQ(p.sheetWidth(), 1169);
    EXPECT_EQ(p.printableWidth(), 1169 - 100);
    EXPECT_EQ(p.printableHeight(), 826 - 140);
    p.setOrientationCode(-5);
    EXPECT_EQ(p.orientationCode(), 0);
}

// A data link with one record of every interesting type.
class FakeBridge : public TBridge {
public:
    struct F { const char *name; int type; double num; const char *text; bool null; };
    std::vector<F> f{{"S", ftString, 0, "12,5", false},  {"I", ftInteger, 7, "7", false},
                     {"B", ftBoolean, 0, "Ano", false},  {"D", ftDate, 45000, "15.3.2023", false},
                     {"M", ftMemo, 0, "(Memo)", false},  {"G", ftGraphic, 0, "(Graphic)", true},
                     {"W", ftWideString, 0, "x", false}, {"C", ftFMTBcd, 2.5, "2,50", false}};
    int FieldCount() const override { return int(f.size()); }
    QString FieldName(int n) const override { return f[size_t(n)].name; }
    QString FieldLabel(int n) const override { return f[size_t(n)].name; }
    int FieldDataType(int n) const override { return f[size_t(n)].type; }
    int FieldAlignment(int) const override { return 0; }
    int FieldDisplayWidth(int) const override { return 10; }
    double AsFloat(int n) const override { return f[size_t(n)].num; }
    bool AsBoolean(int n) const override { return f[size_t(n)].type == ftBoolean; }
    QString AsString(int n) const override { return f[size_t(n)].text; }
    QString DisplayText(int n) const override { return f[size_t(n)].text; }
    QString MemoText(int) const override { return "whole memo text"; }
    bool IsNull(int n) const override { return f[size_t(n)].null; }
    bool Picture(int, QImage &) const override { return false; }
    TStepResult Step(TStepDir) override { return srNoData; }
    bool HasDataSet() const override { return true; }
    bool IsActive() const override { return true; }
    bool Open() override { return true; }
    void Close() override {}
    void DisableControls() override {}
    void EnableControls() override {}
    void RememberPosition() override {}
    void ReturnToPosition() override {}
    QString AliasPath(const QString &) const override { return {}; }
};

TEST(Bridge, FieldValuesByType)
{
    SettingsGuard settings(u',');
    FakeBridge b;
    TCalcType v = fieldValueFromBridge(b, 0);
    EXPECT_EQ(v.Kind, TCalcType::KindText);
    EXPECT_EQ(v.Number, 12.5);
    EXPECT_EQ(v.Text, "12,5");
    v = fieldValueFromBridge(b, 1);
    EXPECT_EQ(v.Kind, TCalcType::KindNumber);
    EXPECT_EQ(v.Number, 7);
    v = fieldValueFromBridge(b, 2);
    EXPECT_EQ(v.Kind, TCalcType::KindOther);
    EXPECT_EQ(v.Number, 1);
    v = fieldValueFromBridge(b, 3);
    EXPECT_EQ(v.Kind, TCalcType::KindOther);
    EXPECT_EQ(v.Number, 45000);
    v = fieldValueFromBridge(b, 4);
    EXPECT_EQ(v.Text, "whole memo text");
    EXPECT_EQ(v.Number, 0);
    EXPECT_TRUE(fieldValueFromBridge(b, 5).IsNull);
    EXPECT_EQ(fieldValueFromBridge(b, 6).Kind, TCalcType::KindText);
    EXPECT_EQ(fieldValueFromBridge(b, 7).Kind, TCalcType::KindNumber);
    EXPECT_EQ(fieldValueFromBridge(b, 7).Number, 2.5);
    EXPECT_TRUE(fieldValueFromBridge(b, 8).isEmptyValue());
    EXPECT_TRUE(isPictureType(ftGraphic));
    EXPECT_TRUE(isMemoType(ftFmtMemo));
}

} // namespace
