#include "ModelTestSupport.h"

#include "report/model/PageSetup.h"
#include "report/model/TemplateFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace orv;
using orv::test::SettingsGuard;

namespace {

// A report that loads no pictures unless a test asks it to.
class Report : public TSestavaModel {
public:
    // Arial and Courier New are installed; with allFonts every font is.
    explicit Report(bool allFonts = false)
    {
        SetFieldNames({"Number", "Name", "Price"});
        if (allFonts)
            Context.FontAvailable = [](const QString &) { return true; };
        else
            Context.FontAvailable = [](const QString &f) { return f == "Arial" || f == "Courier New"; };
    }
    bool loadPictures = false;
    bool LoadPicture(const QString &name, QImage &picture) override
    {
        if (loadPictures)
            return TSestavaModel::LoadPicture(name, picture);
        picture = QImage();
        return false;
    }
};

class TemplateFileTest : public ::testing::Test {
protected:
    SettingsGuard settings;
    Report report;

    TSiReportElement *only(int section)
    {
        EXPECT_EQ(report.Sections.at(section)->elementCount(), 1);
        return report.Sections.at(section)->element(0);
    }
};

TEST(TemplateFields, QuotesCommasAndMissingFields)
{
    EXPECT_EQ(splitTemplateFields("a,\"b, \"\"c\"\"\",d"), QStringList({"a", "b, \"c\"", "d"}));
    EXPECT_EQ(splitTemplateFields("a,b\"c,d"), QStringList({"a", "b\"c", "d"}));
    EXPECT_EQ(splitTemplateFields("\"ab\"cd,e"), QStringList({"abcd", "e"}));
    EXPECT_EQ(splitTemplateFields("\"open, never closed"), QStringList({"open, never closed"}));
    EXPECT_EQ(splitTemplateFields("a,,"), QStringList({"a", "", ""}));
    EXPECT_EQ(splitTemplateFields(""), QStringList({""}));
    EXPECT_EQ(quoteTemplateField("say \"hi\", ok"), "\"say \"\"hi\"\", ok\"");
    EXPECT_EQ(splitTemplateFields("x," + quoteTemplateField("say \"hi\", ok")).at(1),
              "say \"hi\", ok");
}

TEST(TemplateBytes, LineEndsNulAndCodePage)
{
    static const char raw[] = "I,0,\"\xC8" "esk\xE1\"\r\nT,1\rK,1\nP,1\r\n\r\nZ,1\0H,1";
    const QByteArray bytes(raw, sizeof raw - 1);
    const QStringList lines = templateLinesFromBytes(bytes);
    EXPECT_EQ(lines, QStringList({"I,0,\"Česká\"", "T,1", "K,1", "P,1", "", "Z,1"}));
    EXPECT_EQ(templateBytesFromLines({"Česká", "b"}), QByteArray("\xC8" "esk\xE1\r\nb\r\n"));
    EXPECT_TRUE(templateLinesFromBytes(QByteArray()).isEmpty());
}

TEST_F(TemplateFileTest, AnEmptyTemplateLeavesFiveEmptyVisibleSections)
{
    report.SetPredloha({});
    ASSERT_EQ(report.Sections.count(), 5);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(report.Sections.at(k)->Kind, k);
        EXPECT_TRUE(report.Sections.at(k)->Visible);
        EXPECT_EQ(report.Sections.at(k)->Height, 0);
        EXPECT_EQ(report.Sections.at(k)->elementCount(), 0);
    }
    EXPECT_EQ(report.Groups.count(), 0);
    EXPECT_EQ(report.Functions.count(), 0);
}

TEST_F(TemplateFileTest, SectionRecordsAndIgnoredIndexes)
{
    report.SetPredloha({"I,3,1,0,120,1", "I,3,7,1,50,0", "I,3,-1,1,50,0", "I,3,3,1,40,3"});
    EXPECT_FALSE(report.Sections.at(skPageHeader)->Visible);
    EXPECT_EQ(report.Sections.at(skPageHeader)->Height, 120);
    EXPECT_EQ(report.Sections.at(skPageHeader)->effectiveHeight(), 0);
    EXPECT_TRUE(report.NoHeaderOnFirstPage);
    EXPECT_FALSE(report.NoHeaderAfterBreak);
    EXPECT_TRUE(report.BreakBeforeReportFooter);
    EXPECT_TRUE(report.ReportFooterAtBottom);
    EXPECT_EQ(report.Sections.count(), 5);
    EXPECT_EQ(report.Sections.at(skReportFooter)->Height, 40);
}

TEST_F(TemplateFileTest, BareDataFieldLine)
{
    report.SetPredloha({"T,2,name,0,0,100,20,Arial,10,0,0,0,0,238"});
    const TSiReportElement *e = only(skBody);
    EXPECT_EQ(e->Kind, ekField);
    EXPECT_EQ(e->SourceIndex, 1);
    EXPECT_EQ(e->SourceName, "name");
    EXPECT_EQ(e->Width, 100);
    EXPECT_EQ(e->Height, 20);
    EXPECT_EQ(e->Font.Name, "Arial");
    EXPECT_EQ(e->Font.Size, 10);
    EXPECT_EQ(e->Font.Charset, 238);
    EXPECT_TRUE(e->Text.isEmpty());
    EXPECT_TRUE(e->Condition.isEmpty());
    EXPECT_TRUE(e->Ident.isEmpty());
    EXPECT_EQ(e->LetterSpacing, 0);
    EXPECT_EQ(e->Angle, 0);
    EXPECT_EQ(e->Reserved, 0);
    EXPECT_FALSE(e->HandlerEnabled);
}

TEST_F(TemplateFileTest, SourceFieldNumbersNamesAndRanges)
{
    report.Functions.add();
    report.SetPredloha({
        "T,4,12abc,0,0,1,1",      // a number at the start: 12, no name
        "T,2,12abc,0,0,1,1",      // field 12 does not exist: 0
        "T,2,Unknown,0,0,1,1",    // name not found: 0, name kept
        "T,3,PRICE,0,0,1,1",
        "T,6,soucet,0,0,1,1",
        "F,0,A", "F,1,Soucet,,0,,0,#3,2,15,2,2",
        "T,4,Price,0,0,1,1",      // parameters have no names
        "T,9,7,0,0,1,1",          // shapes 8..10 refer to their kind
    });
    const TOddilSestavy *body = report.Sections.at(skBody);
    ASSERT_EQ(body->elementCount(), 7);
    EXPECT_EQ(body->element(0)->SourceIndex, 12);
    EXPECT_TRUE(body->element(0)->SourceName.isEmpty());
    EXPECT_EQ(body->element(1)->SourceIndex, 0);
    EXPECT_EQ(body->element(2)->SourceIndex, 0);
    EXPECT_EQ(body->element(2)->SourceName, "Unknown");
    EXPECT_EQ(body->element(3)->SourceIndex, 2);
    EXPECT_EQ(body->element(4)->SourceIndex, 1);
    EXPECT_EQ(body->element(4)->SourceName, "soucet");
    EXPECT_EQ(body->element(5)->SourceIndex, 0);
    EXPECT_TRUE(body->element(5)->SourceName.isEmpty());
    EXPECT_EQ(body->element(6)->SourceIndex, 9);
}

TEST_F(TemplateFileTest, QuotedTextsKeepCommasAndQuotes)
{
    report.SetPredloha({"T,1,0,0,0,10,10,Arial,10,0,0,0,0,238,\"a, \"\"b\"\"\",0,0,0,\"#1>0\",1,\"x\"y\""});
    const TSiReportElement *e = only(skBody);
    EXPECT_EQ(e->Text, "a, \"b\"");
    EXPECT_EQ(e->Condition, "#1>0");
    EXPECT_TRUE(e->HandlerEnabled);
    EXPECT_EQ(e->Ident, "xy\"");
}

TEST_F(TemplateFileTest, PageRecordByFormatVersion)
{
    report.SetPredloha({"I,1,5,50,0", "I,2,1,850,1100,10,20,30,40,2,15,7"});
    EXPECT_EQ(report.Context.PageSetup.Orientation, 1);
    EXPECT_FALSE(report.Context.PageSetup.KeepPrinterOrientation);
    EXPECT_EQ(report.Context.PageSetup.PaperWidth, 850);
    EXPECT_EQ(report.Context.PageSetup.PaperHeight, 1100);
    EXPECT_EQ(report.Context.PageSetup.MarginLeft, 10);
    EXPECT_EQ(report.Context.PageSetup.MarginBottom, 40);
    EXPECT_EQ(report.Columns, 2);
    EXPECT_EQ(report.ColumnGap, 15);
    EXPECT_EQ(report.ColumnReserve, 7);

    report.SetPredloha({"I,1,0,0,0", "I,2,3,11,12,13,14,1,0"});
    EXPECT_EQ(report.Context.PageSetup.Orientation, 1);
    EXPECT_TRUE(report.Context.PageSetup.KeepPrinterOrientation);
    EXPECT_EQ(report.Context.PageSetup.PaperWidth, 850);   // version 0 carries no paper size
    EXPECT_EQ(report.Context.PageSetup.MarginLeft, 11);
    EXPECT_EQ(report.Context.PageSetup.MarginRight, 12);
    EXPECT_EQ(report.Context.PageSetup.MarginTop, 13);
    EXPECT_EQ(report.Context.PageSetup.MarginBottom, 14);

    // Without record 1 the version of the previous template applies.
    report.SetPredloha({"I,2,-4,21,22,23,24,3,0"});
    EXPECT_EQ(report.Context.PageSetup.Orientation, 0);
    EXPECT_EQ(report.Context.PageSetup.MarginLeft, 21);
    EXPECT_EQ(report.Columns, 3);
    EXPECT_EQ(defaultPageSetup(), TPageSetup());   // the session's paper is not the reader's
}

TEST_F(TemplateFileTest, ADetailNeverChangesThePageSetup)
{
    Report detail;
    detail.IsDetail = true;
    TReportContext master;   // the master's, at work while its run reads the detail
    master.PageSetup.MarginLeft = 99;
    {
        const TReportContextScope atWork(master);
        detail.SetPredloha({"I,2,1,850,1100,10,20,30,40,2,15,7", "H,1,0,0,0,1,1", "T,1,0,0,0,1,1"});
    }
    EXPECT_EQ(master.PageSetup, [] { TPageSetup p; p.MarginLeft = 99; return p; }());
    EXPECT_EQ(detail.Context.PageSetup, master.PageSetup);   // it prints on its master's paper
    EXPECT_EQ(detail.Columns, 2);
    EXPECT_EQ(detail.ColumnGap, 15);
    EXPECT_EQ(detail.Sections.at(skPageHeader)->elementCount(), 0);   // no page header
    EXPECT_EQ(detail.Sections.at(skBody)->elementCount(), 1);
}

TEST_F(TemplateFileTest, GroupRecordsAndOldGroupExpressions)
{
    report.SetPredloha({"I,4,0,\"0\",1,30,0,20,1", "I,4,1,\"Price\",0,5,1,6,0",
                        "I,4,2,\"#3+1\",1,0,1,0,0", "I,4,3,\"12\",1,0,1,0,0",
                        "S1,1,0,0,0,1,1", "U0,1,0,0,0,1,1", "U0,1,0,0,0,1,2", "S9,1,0,0,0,1,1"});
    ASSERT_EQ(report.Groups.count(), 4);
    EXPECT_EQ(report.Groups.at(0)->Expression, "#1");
    EXPECT_EQ(report.Groups.at(1)->Expression, "#Price");
    EXPECT_EQ(report.Groups.at(2)->Expression, "#3+1");
    EXPECT_EQ(report.Groups.at(3)->Expression, "#13");
    EXPECT_EQ(TListSkupin::name(1), "Skupina 2");
    const TPolSkup *g0 = report.Groups.at(0);
    EXPECT_TRUE(g0->NewPage);
    EXPECT_TRUE(g0->GroupHeader->Visible);
    EXPECT_EQ(g0->GroupHeader->Height, 30);
    EXPECT_FALSE(g0->GroupFooter->Visible);
    EXPECT_EQ(g0->GroupFooter->Height, 20);
    EXPECT_EQ(g0->GroupHeader->Kind, groupHeaderKind(0));
    EXPECT_EQ(g0->GroupFooter->Kind, groupFooterKind(0));
    EXPECT_EQ(report.Groups.at(1)->GroupHeader->Kind, groupHeaderKind(1));
    EXPECT_EQ(g0->GroupFooter->elementCount(), 2);
    EXPECT_EQ(g0->GroupFooter->element(1)->Height, 2);
    EXPECT_EQ(report.Groups.at(1)->GroupHeader->elementCount(), 1);
    EXPECT_EQ(g0->LineInGroup, 1);
    EXPECT_EQ(g0->GroupNumber, 1);
    // Two sections per group, in group order, behind the five fixed ones.
    ASSERT_EQ(report.Sections.count(), 13);
    EXPECT_EQ(report.Sections.at(groupHeaderKind(0)), g0->GroupHeader);
    EXPECT_EQ(report.Sections.at(groupFooterKind(0)), g0->GroupFooter);
    EXPECT_EQ(report.Sections.at(groupHeaderKind(1)), report.Groups.at(1)->GroupHeader);
}

TEST_F(TemplateFileTest, VariableNumbersOfOldTemplatesShift)
{
    const QString line = "T,5,4,0,0,1,1,Arial,10,0,0,0,0,238,\"\"";
    report.SetPredloha({"I,1,1,0,2", line, "T,5,3,0,0,1,1"});
    EXPECT_EQ(report.Sections.at(skBody)->element(0)->SourceIndex, 5);
    EXPECT_EQ(report.Sections.at(skBody)->element(1)->SourceIndex, 3);
    report.SetPredloha({"I,1,1,0,3", line});
    EXPECT_EQ(report.Sections.at(skBody)->element(0)->SourceIndex, 4);
    report.SetPredloha({"I,1,2,0,0", line});
    EXPECT_EQ(report.Sections.at(skBody)->element(0)->SourceIndex, 4);
    // Absurd numbers are cut, and the shift keeps them where a rewrite reads them back.
    report.SetPredloha({"I,1,1,0,2", "T,5,88888888888888,0,0,1,1"});
    const TSiReportElement *e = only(skBody);
    EXPECT_EQ(e->SourceIndex, 1000000000);
    report.SetPredloha({writeElementLine("T", *e)});
    EXPECT_EQ(only(skBody)->SourceIndex, 1000000000);
}

TEST_F(TemplateFileTest, FontSuffixesSizesAndColours)
{
    report.SetPredloha({"T,1,0,0,0,1,1,Arial CE,-1200,15,3,0,0,0",
                        "T,1,0,0,0,1,1,Times New Roman Greek,10,255,0,0,0,238",
                        "T,1,0,0,0,1,1,Courier New,10,9,0,0,0,186",
                        "T,1,0,0,0,1,1,Arial CYR CE,10,16,0,0,0,0"});
    const TOddilSestavy *b = report.Sections.at(skBody);
    EXPECT_EQ(b->element(0)->Font.Name, "Arial");
    EXPECT_EQ(b->element(0)->Font.Charset, 238);
    EXPECT_EQ(b->element(0)->Font.Size, 864);
    EXPECT_EQ(b->element(0)->Font.Color, 0xFFFFFF);   // white
    EXPECT_TRUE(b->element(0)->Font.bold());
    EXPECT_TRUE(b->element(0)->Font.italic());
    EXPECT_EQ(b->element(1)->Font.Name, "Times New Roman");
    EXPECT_EQ(b->element(1)->Font.Charset, 161);
    EXPECT_EQ(b->element(1)->Font.Color, 255);        // the colour value itself: red
    EXPECT_EQ(toQColor(b->element(1)->Font.Color), QColor(Qt::red));
    EXPECT_EQ(b->element(2)->Font.Name, "Courier New");
    EXPECT_EQ(b->element(2)->Font.Charset, 186);
    EXPECT_EQ(toQColor(b->element(2)->Font.Color), QColor(255, 0, 0));   // palette red
    EXPECT_EQ(b->element(3)->Font.Name, "Arial CYR");  // " CE" is looked for first
    EXPECT_EQ(b->element(3)->Font.Charset, 238);
    EXPECT_EQ(colorToField(0xFFFFFF), 15);
    EXPECT_EQ(colorToField(0x000080), 1);              // maroon
    EXPECT_EQ(colorToField(0x123456), 0x123456);

    report.Context.FontAvailable = [](const QString &f) { return f == "Arial CE"; };
    report.SetPredloha({"T,1,0,0,0,1,1,Arial CE,10,0,0,0,0,0"});
    EXPECT_EQ(only(skBody)->Font.Name, "Arial CE");    // installed: kept as it is
    EXPECT_EQ(only(skBody)->Font.Charset, 0);
}

TEST_F(TemplateFileTest, TextAndShapeAttributes)
{
    report.SetPredloha({
        "T,1,0,1,2,3,4,Arial,10,0,0,0x10,9,238",        // invalid number: default 0
        "T,1,0,1,2,3,4,Arial,10,0,0,114,9,238,\"t\"",   // 114 = 0x70 | 2
        "T,7,0,0,0,10,0,,3,9,2,1,255,0",                // thick line: solid
        "T,7,0,0,0,10,0,,-2,9,2,1,255,0",               // negative width: 1
        "T,12,0,0,0,80,30,,8,0,,48,0,0,\"C:\\\\bars\\\\#1\",5,90,1",
        "T,13,4,0,0,10,10,,1,0,0,0,0,9",
        "T,4,1,0,0,1,1,Arial,10,0,0,0,0,238,\"dropped\"",
        "T,14,3,1,2,3,4",
        "T,15,1,5,6,7,8,Arial,10",
    });
    const TOddilSestavy *b = report.Sections.at(skBody);
    ASSERT_EQ(b->elementCount(), 9);
    EXPECT_EQ(b->element(0)->Alignment, 0);
    EXPECT_EQ(b->element(0)->TextFlags, 0);
    EXPECT_EQ(b->element(0)->Flags, 9);
    EXPECT_EQ(b->element(1)->Alignment, alCenter);
    EXPECT_EQ(b->element(1)->TextFlags, tfMultiLine | tfJustify | tfVariableHeight);
    EXPECT_EQ(b->element(1)->effectiveAlignment(), alJustify);
    EXPECT_EQ(b->element(2)->PenWidth, 3);
    EXPECT_EQ(b->element(2)->PenStyle, 0);
    EXPECT_EQ(toQColor(b->element(2)->PenColor), QColor(255, 0, 0));
    EXPECT_EQ(b->element(2)->Flags, 1);
    EXPECT_EQ(b->element(2)->BrushColor, 255);
    EXPECT_EQ(b->element(3)->PenWidth, 1);
    EXPECT_EQ(b->element(3)->PenStyle, 2);
    const TSiReportElement *bar = b->element(4);
    EXPECT_EQ(bar->PenStyle, kBarcodeEan13);         // empty code type: EAN 13
    EXPECT_EQ(bar->PenWidth, 8);
    EXPECT_EQ(bar->Flags, 48);
    EXPECT_EQ(bar->Text, "C:\\\\bars\\\\#1");
    EXPECT_EQ(bar->LetterSpacing, 5);
    EXPECT_EQ(bar->Angle, 90);
    EXPECT_EQ(b->element(5)->BrushStyle, 6);         // drawing scale clamped
    EXPECT_TRUE(b->element(6)->Text.isEmpty());
    EXPECT_EQ(b->element(7)->Kind, 14);
    EXPECT_EQ(elementKindName(14), "Neznámý");
    EXPECT_EQ(b->element(7)->Left, 1);
    EXPECT_EQ(b->element(8)->SourceIndex, 1);
    EXPECT_EQ(b->element(8)->Height, 8);
    // The writer keeps only the file name of a barcode or picture text.
    EXPECT_TRUE(writeElementLine("T", *bar).contains(",\"#1\","));
}

TEST_F(TemplateFileTest, FunctionLinesAndDefaults)
{
    report.SetPredloha({"F,7,Soucet,\"Součet, \"\"cen\"\"\",0,\"1,5\",2,\"#3*2\",2,10,3,4",
                        "F", "F,0,,x,1", "F,0,A,,0,,0,,9,15,2,7", "Fx,1,B"});
    ASSERT_EQ(report.Functions.count(), 4);
    const TRadekFunkce *f = report.Functions.at(0);
    EXPECT_EQ(f->Name, "Soucet");
    EXPECT_EQ(f->Description, "Součet, \"cen\"");
    EXPECT_EQ(f->InitialValue, "1,5");
    EXPECT_EQ(f->ResetLevel, 2);
    EXPECT_EQ(f->Expression, "#3*2");
    EXPECT_EQ(f->Aggregation, agSum);
    EXPECT_EQ(f->Width, 10);
    EXPECT_EQ(f->Decimals, 3);
    EXPECT_EQ(f->Format, ffCurrency);
    const TRadekFunkce *g = report.Functions.at(1);
    EXPECT_TRUE(g->Name.isEmpty());
    EXPECT_EQ(g->Type, 1);
    EXPECT_EQ(g->InitialValue, "0");
    EXPECT_EQ(g->Width, 15);
    EXPECT_EQ(g->Decimals, 2);
    EXPECT_EQ(g->Format, ffFixed);
    EXPECT_EQ(report.Functions.at(2)->Format, ffFixed);   // above 4
    EXPECT_EQ(report.Functions.at(2)->InitialValue, "");  // present but empty
    EXPECT_EQ(report.Functions.at(3)->Name, "B");
}

TEST_F(TemplateFileTest, DetailLinesGoToTheirDetailByExactNumber)
{
    Report d0, d1;
    report.Details = {&d0};
    const QStringList lines{"D0,T,1,0,0,0,10,10", "D1,T,1,0,0,0,10,10", "D10,T,1,0,0,0,1,1",
                            "\"D0\",K,1,0,0,0,5,5"};
    report.SetPredloha(lines);
    EXPECT_EQ(d0.Predloha, QStringList({"T,1,0,0,0,10,10", "K,1,0,0,0,5,5"}));
    EXPECT_TRUE(d0.IsDetail);
    EXPECT_EQ(d0.Sections.at(skBody)->elementCount(), 1);
    EXPECT_EQ(d0.Sections.at(skReportFooter)->elementCount(), 1);
    report.Details = {&d0, &d1};
    report.SetPredloha(lines);
    EXPECT_EQ(d1.Predloha, QStringList({"T,1,0,0,0,10,10"}));
    // A detail list that loops back is read once.
    d1.Details = {&report};
    report.SetPredloha(lines);
    EXPECT_EQ(d1.Sections.at(skBody)->elementCount(), 1);
}

TEST_F(TemplateFileTest, ReadingKeepsOmittedSettingsButRebuildsGroupsAndFunctions)
{
    report.SetPredloha({"I,0,\"Popis\"", "I,3,2,1,77,1", "I,4,0,\"#1\",1,1,1,1,0",
                        "F,0,A", "I,6,1,1,1,1,2,1,1", "I,7,1,1,0,5,6,0,0,pozadi.bmp",
                        "T,1,0,0,0,1,1"});
    EXPECT_EQ(report.Popis, "Popis");
    EXPECT_TRUE(report.CharacterMode);
    EXPECT_DOUBLE_EQ(report.CharWidth, 6.0);
    EXPECT_DOUBLE_EQ(report.LineHeight, 25.0);
    EXPECT_EQ(report.GridX, 6);
    EXPECT_EQ(report.GridY, 25);
    EXPECT_EQ(report.effectiveBackgroundFile(), "pozadi.bmp");
    EXPECT_TRUE(report.effectiveBackgroundPrinted());
    EXPECT_EQ(report.backgroundRect(), QRect(5, 6, 826, 1169));
    report.SetPredloha({"I,0,\"\"", "H,1,0,0,0,1,1"});
    EXPECT_EQ(report.Popis, "Popis");
    EXPECT_TRUE(report.NewPagePerRecord);
    EXPECT_EQ(report.Sections.at(skBody)->Height, 77);
    EXPECT_EQ(report.Sections.at(skBody)->elementCount(), 0);
    EXPECT_EQ(report.Sections.at(skPageHeader)->elementCount(), 1);
    EXPECT_TRUE(report.CharacterMode);
    EXPECT_EQ(report.Groups.count(), 0);
    EXPECT_EQ(report.Functions.count(), 0);
    EXPECT_EQ(report.Sections.count(), 5);
    report.SetPredloha({"I,6,0,0,-3,1,1,0,0"});
    EXPECT_EQ(report.GridX, 8);
    EXPECT_EQ(report.GridY, 8);
    EXPECT_EQ(report.CharWidth, 0.0);
}

TEST_F(TemplateFileTest, PictureElementsLoadTheFirstCandidateThatExists)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage img(4, 3, QImage::Format_RGB32);
    img.fill(Qt::blue);
    ASSERT_TRUE(img.save(dir.filePath("b.png")));
    report.TemplateDir = dir.path();
    report.loadPictures = true;
    report.SetPredloha({"T,11,0,0,0,10,10,,1,0,0,48,0,0,\"missing.png, b.png\""});
    const TSiReportElement *e = only(skBody);
    EXPECT_EQ(e->PictureFileName, "b.png");
    EXPECT_EQ(e->Picture.size(), QSize(4, 3));
}

TEST_F(TemplateFileTest, SavingKeepsOneBackupOfThePreviousVersion)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("info.pts");
    EXPECT_EQ(saveTemplateFile(path, {"I,0,\"první\""}, true), seOk);
    EXPECT_FALSE(QFile::exists(dir.filePath("info.BAK")));
    EXPECT_EQ(saveTemplateFile(path, {"I,0,\"druhá\""}, true), seOk);
    EXPECT_EQ(saveTemplateFile(path, {"I,0,\"třetí\""}, true), seOk);
    QStringList lines;
    ASSERT_EQ(loadTemplateFile(path, lines), seOk);
    EXPECT_EQ(lines, QStringList({"I,0,\"třetí\""}));
    ASSERT_EQ(loadTemplateFile(dir.filePath("info.BAK"), lines), seOk);
    EXPECT_EQ(lines, QStringList({"I,0,\"druhá\""}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_EQ(raw.readAll(), QByteArray("I,0,\"t\xF8" "et\xED\"\r\n"));
    EXPECT_EQ(backupPathFor("/a.b/c.d.pts"), "/a.b/c.d.BAK");
    EXPECT_EQ(backupPathFor("/a.b/c"), "/a.b/c.BAK");
}

TEST_F(TemplateFileTest, FailuresGiveResultCodes)
{
    QStringList lines{"x"};
    EXPECT_EQ(loadTemplateFile("/nonexistent/dir/a.pts", lines), seTemplateNotLoaded);
    EXPECT_EQ(lines, QStringList({"x"}));
    EXPECT_EQ(saveTemplateFile("/nonexistent/dir/a.pts", lines, true), seTemplateNotSaved);
    EXPECT_EQ(saveTemplateFile("", lines, false), seTemplateNotSaved);
    QTemporaryDir dir;
    EXPECT_EQ(loadTemplateFile(dir.path(), lines), seTemplateNotLoaded);   // a folder
}

// ---------------------------------------------------------------- random round trip

class RandomTemplate {
public:
    explicit RandomTemplate(unsigned seed) : rng(seed) {}

    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool coin() { return between(0, 1) == 1; }
    int anyInt() { return between(-100000, 100000); }

    QString text(bool fileName = false)
    {
        static const QString chars = QStringLiteral(
            "abcXYZ019 ,\"'#@%&;()[]+-*/=<>ěščřžýáíéúůťďňĚŠČŘŽÝÁÍÉÚŮ.!?_$");
        static const QString fileChars = QStringLiteral("abcXYZ019 ,\"'#ěščřž._-[]");
        const QString &set = fileName ? fileChars : chars;
        QString t;
        const int n = between(0, 12);
        for (int i = 0; i < n; ++i)
            t += set.at(between(0, int(set.size()) - 1));
        return t;
    }
    TColor color()
    {
        switch (between(0, 2)) {
        case 0: return paletteColor(between(0, 15));
        case 1: return TColor(between(16, 0xFFFFFF));
        default: return 0x00C0DCC0;
        }
    }

    void fill(TSestavaModel &m)
    {
        TPageSetup &ps = m.Context.PageSetup;
        ps.setOrientationCode(between(0, 3));
        ps.PaperWidth = between(100, 2000);
        ps.PaperHeight = between(100, 2000);
        ps.MarginLeft = anyInt();
        ps.MarginRight = anyInt();
        ps.MarginTop = anyInt();
        ps.MarginBottom = anyInt();
        m.Popis = "P" + text();
        m.Columns = between(1, 5);
        m.ColumnGap = anyInt();
        for (int k = 0; k < 5; ++k) {
            m.Sections.at(k)->Visible = coin();
            m.Sections.at(k)->Height = between(0, 2000);
            m.setSectionFlags(k, between(0, 3));
        }
        const int groups = between(0, 3);
        for (int g = 0; g < groups; ++g)
            m.AddGroup(coin() ? g : between(0, 20), "#" + text(), coin(), between(0, 500),
                       coin(), between(0, 500), coin());
        m.UnitsIndex = between(0, 4);
        m.CharacterMode = coin();
        m.GridX = between(1, 50);
        m.GridY = between(1, 50);
        m.LineHeightCode = between(0, 3);
        m.PitchCode = between(0, 3);
        m.ShowGrid = coin();
        m.SnapToGrid = coin();
        m.UpdateCharacterMetrics();
        m.OwnBackground = coin();
        m.PrintOwnBackground = coin();
        m.BackgroundPlaced = coin();
        m.BackgroundLeft = anyInt();
        m.BackgroundTop = anyInt();
        m.BackgroundWidth = anyInt();
        m.BackgroundHeight = anyInt();
        m.BackgroundFile = text(true);
        const int functions = between(0, 4);
        for (int i = 0; i < functions; ++i) {
            TRadekFunkce *f = m.Functions.add();
            f->Name = QStringLiteral("F%1_").arg(i) + text();
            f->Description = text();
            f->Type = between(0, 1);
            f->InitialValue = text();
            f->ResetLevel = between(0, 5);
            f->Expression = text();
            f->Aggregation = between(0, 7);
            f->Width = between(0, 30);
            f->Decimals = between(0, 10);
            f->Format = between(0, 4);
        }
        for (int s = 0; s < m.Sections.count(); ++s) {
            const int n = between(0, 5);
            for (int i = 0; i < n; ++i)
                m.Sections.at(s)->appendElement(element(m));
        }
    }

    std::unique_ptr<TSiReportElement> element(const TSestavaModel &m)
    {
        static const int kinds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 0, 14, 20};
        auto e = std::make_unique<TSiReportElement>();
        e->Kind = kinds[between(0, int(std::size(kinds)) - 1)];
        e->Left = anyInt();
        e->Top = anyInt();
        e->Width = anyInt();
        e->Height = anyInt();
        e->SourceIndex = between(0, 20);
        if (!isKnownKind(e->Kind) || e->Kind == ekDetail)
            return e;
        e->Condition = text();
        e->HandlerEnabled = coin();
        e->Ident = text();
        if (isTextKind(e->Kind)) {
            if (e->Kind == ekField || e->Kind == ekFieldLabel) {
                e->SourceIndex = between(0, m.FieldCount() - 1);
                if (coin())
                    e->SourceName = m.FieldNames.at(e->SourceIndex).toUpper();
            }
            if (e->Kind == ekFunction && m.Functions.count() > 0 && coin()) {
                e->SourceIndex = between(0, m.Functions.count() - 1);
                e->SourceName = m.Functions.at(e->SourceIndex)->Name;
            }
            if (e->Kind == ekText || e->Kind == ekVariable)
                e->Text = text();
            static const char *const fonts[] = {"Arial", "Times New Roman", "Courier New",
                                                "Font, with comma"};
            e->Font.Name = fonts[between(0, 3)];
            e->Font.Size = between(0, 200);
            e->Font.Color = color();
            e->Font.Style = between(0, 15);
            e->Font.Charset = between(0, 255);
            e->Alignment = between(0, 3);
            e->TextFlags = between(0, 0x1F) << 3;
            e->Flags = between(0, 255);
            e->LetterSpacing = anyInt();
            e->Angle = between(-3600, 3600);
            e->Reserved = anyInt();
            return e;
        }
        e->PenWidth = between(0, 20);
        e->PenColor = color();
        e->PenStyle = e->Kind == ekLine && e->PenWidth > 1 ? 0 : between(0, 30);
        e->Flags = between(0, 255);
        e->BrushColor = color();
        e->BrushStyle = e->Kind == ekPaintBox ? between(1, 6) : between(0, 7);
        if (e->Kind == ekRectangle || e->Kind == ekRoundRect || e->Kind == ekEllipse)
            e->SourceIndex = e->Kind;
        if (e->Kind == ekPicture || e->Kind == ekBarcode)
            e->Text = text(true);
        if (e->Kind == ekBarcode) {
            e->LetterSpacing = anyInt();
            e->Angle = between(0, 359);
            e->Reserved = anyInt();
        }
        return e;
    }

private:
    std::mt19937 rng;
};

void expectSameModel(const TSestavaModel &a, const TSestavaModel &b)
{
    EXPECT_EQ(a.Popis, b.Popis);
    EXPECT_EQ(a.Columns, b.Columns);
    EXPECT_EQ(a.ColumnGap, b.ColumnGap);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(a.sectionFlags(k), b.sectionFlags(k));
    EXPECT_EQ(a.UnitsIndex, b.UnitsIndex);
    EXPECT_EQ(a.CharacterMode, b.CharacterMode);
    EXPECT_EQ(a.GridX, b.GridX);
    EXPECT_EQ(a.GridY, b.GridY);
    EXPECT_EQ(a.LineHeightCode, b.LineHeightCode);
    EXPECT_EQ(a.PitchCode, b.PitchCode);
    EXPECT_EQ(a.CharWidth, b.CharWidth);
    EXPECT_EQ(a.LineHeight, b.LineHeight);
    EXPECT_EQ(a.ShowGrid, b.ShowGrid);
    EXPECT_EQ(a.SnapToGrid, b.SnapToGrid);
    EXPECT_EQ(a.OwnBackground, b.OwnBackground);
    EXPECT_EQ(a.PrintOwnBackground, b.PrintOwnBackground);
    EXPECT_EQ(a.BackgroundPlaced, b.BackgroundPlaced);
    EXPECT_EQ(a.backgroundRect(), b.backgroundRect());
    EXPECT_EQ(a.BackgroundFile, b.BackgroundFile);
    ASSERT_EQ(a.Groups.count(), b.Groups.count());
    for (int g = 0; g < a.Groups.count(); ++g) {
        EXPECT_EQ(a.Groups.at(g)->Index, b.Groups.at(g)->Index);
        EXPECT_EQ(a.Groups.at(g)->Expression, b.Groups.at(g)->Expression);
        EXPECT_EQ(a.Groups.at(g)->NewPage, b.Groups.at(g)->NewPage);
    }
    ASSERT_EQ(a.Functions.count(), b.Functions.count());
    for (int i = 0; i < a.Functions.count(); ++i)
        EXPECT_TRUE(a.Functions.at(i)->sameTemplateAttributes(*b.Functions.at(i))) << i;
    ASSERT_EQ(a.Sections.count(), b.Sections.count());
    for (int s = 0; s < a.Sections.count(); ++s) {
        const TOddilSestavy *x = a.Sections.at(s), *y = b.Sections.at(s);
        EXPECT_EQ(x->Kind, y->Kind);
        EXPECT_EQ(x->Visible, y->Visible);
        EXPECT_EQ(x->Height, y->Height);
        ASSERT_EQ(x->elementCount(), y->elementCount()) << "section " << s;
        for (int i = 0; i < x->elementCount(); ++i)
            EXPECT_TRUE(x->element(i)->sameTemplateAttributes(*y->element(i)))
                << "section " << s << " element " << i << ": "
                << writeElementLine("?", *x->element(i)).toStdString() << " / "
                << writeElementLine("?", *y->element(i)).toStdString();
    }
}

TEST_F(TemplateFileTest, RandomTemplatesReadBackToTheSameModel)
{
    for (unsigned seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE(seed);
        RandomTemplate gen(seed);
        Report original(true), detailA(true), detailB(true);
        gen.fill(original);
        Report detailSource(true);
        detailSource.IsDetail = true;
        gen.fill(detailSource);
        detailA.IsDetail = true;
        detailA.SetPredloha(writeTemplate(detailSource));
        original.Details = {&detailA, &detailB};
        const TPageSetup page = original.Context.PageSetup;

        const QStringList lines = writeTemplate(original);
        QTemporaryDir dir;
        const QString path = dir.filePath("r.pts");
        ASSERT_EQ(saveTemplateFile(path, lines, true), seOk);
        QStringList read;
        ASSERT_EQ(loadTemplateFile(path, read), seOk);
        Report copy(true), copyA(true), copyB(true);
        copy.Details = {&copyA, &copyB};
        copy.SetPredloha(read);
        EXPECT_EQ(copy.Context.PageSetup, page);
        expectSameModel(original, copy);
        EXPECT_EQ(copyA.Predloha, detailA.Predloha);
        expectSameModel(detailA, copyA);
        EXPECT_TRUE(copyB.Predloha.isEmpty());
        // The designer's copy of a model writes the same template.
        Report designed(true);
        designed.CopyTemplateFrom(copy);
        EXPECT_EQ(writeTemplate(designed), writeTemplate(copy));
        expectSameModel(designed, copy);
        if (HasFailure())
            break;
    }
}

} // namespace
