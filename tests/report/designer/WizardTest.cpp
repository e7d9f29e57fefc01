// The new-report generator: the templates of both styles, graphic and character, checked
// line by line, read back by the template reader, and run into output pages.

#include "report/designer/EditorSettings.h"
#include "report/designer/NovaSestava.h"
#include "report/model/PageSetup.h"
#include "report/model/TemplateFile.h"
#include "report/output/RunTestSupport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace orv;

namespace {

TWizardField field(const QString &name, int width, int alignment = 0, const QString &label = {})
{
    TWizardField f;
    f.Name = name;
    f.Label = label.isEmpty() ? name.toUpper() : label;
    f.DisplayWidth = width;
    f.Alignment = alignment;
    return f;
}

// The defaults of a fresh settings file on the default page (printable 726 x 1029).
TWizardParams defaults()
{
    pageSetup() = TPageSetup();
    return TWizardParams::fromSettings(TEditorSettings());
}

const QStringList kHeader = {
    QStringLiteral("Z,1,0,0,40,726,40,Arial,24,0,1,2,0,1,\"Nadpis sestavy\""),
    QStringLiteral("Z,5,0,654,0,72,20,Arial,10,0,2,0,0,1"),
    QStringLiteral("Z,1,0,598,0,56,20,Arial,10,0,2,0,0,1,\"Datum:\"")};
const QStringList kFooter = {
    QStringLiteral("P,1,0,582,8,96,20,Arial,10,0,2,1,0,1,\"Stránka číslo:\""),
    QStringLiteral("P,5,3,678,8,32,20,Arial,10,0,2,1,0,1")};

} // namespace

TEST(WizardTemplate, DefaultsGiveTheWidthAndHeightOfAField)
{
    const TWizardParams p = defaults();
    EXPECT_EQ(p.W, 726);
    EXPECT_EQ(p.H, 1029);
    EXPECT_EQ(p.R, 20);
    EXPECT_EQ(p.FontSize, 10);
    // 10 characters of 7 plus 2 x 10: 90 wide.
    const auto r = generateWizardTemplate(p, {field("a", 10)}, {"a"});
    EXPECT_TRUE(r.Lines.contains("T,2,0,0,0,90,20,Arial,10,0,0,0,0,1"));
}

TEST(WizardTemplate, ColumnsStyleInOneRow)
{
    const QList<TWizardField> fields{field("Nazev", 10), field("Kod", 5), field("Cena", 8, 1 | 0x80)};
    const auto r = generateWizardTemplate(defaults(), fields, {"Nazev", "Kod", "Cena"});
    const QStringList expected = QStringList{"I,5,0", "I,6,0,8,8", "I,3,0,1,96", "I,3,1,1,28",
                                             "I,3,2,1,20", "I,3,3,0,16", "I,3,4,1,32"}
                                 + kHeader
                                 + QStringList{"H,3,0,0,0,90,20,Arial,10,0,0,0,0,1",
                                               "T,2,0,0,0,90,20,Arial,10,0,0,0,0,1",
                                               "H,3,1,90,0,55,20,Arial,10,0,0,0,0,1",
                                               "T,2,1,90,0,55,20,Arial,10,0,0,0,0,1",
                                               "H,3,2,145,0,76,20,Arial,10,0,0,1,0,1",
                                               "T,2,2,145,0,76,20,Arial,10,0,0,1,0,1",
                                               "H,7,0,0,20,726,3,,1,0,0,8,15,0"}
                                 + kFooter;
    EXPECT_EQ(r.Lines, expected);
    EXPECT_TRUE(r.LeftOut.isEmpty());
}

TEST(WizardTemplate, ColumnsStyleInTwoRowsGetsABodySeparator)
{
    const QList<TWizardField> fields{field("a", 40), field("b", 40), field("c", 40)};
    const auto r = generateWizardTemplate(defaults(), fields, {"a", "b", "c"});
    // 300 + 300 fit, the third starts the second row.
    EXPECT_EQ(r.Lines.mid(0, 7), (QStringList{"I,5,0", "I,6,0,8,8", "I,3,0,1,96", "I,3,1,1,56",
                                              "I,3,2,1,48", "I,3,3,0,16", "I,3,4,1,32"}));
    EXPECT_TRUE(r.Lines.contains("T,2,2,0,20,300,20,Arial,10,0,0,0,0,1"));
    EXPECT_TRUE(r.Lines.contains("H,3,2,0,20,300,20,Arial,10,0,0,0,0,1"));
    const int sep = int(r.Lines.indexOf("T,7,0,0,40,726,3,,1,0,0,8,15,0"));
    const int under = int(r.Lines.indexOf("H,7,0,0,48,726,3,,1,0,0,8,15,0"));
    ASSERT_GT(sep, 0);
    EXPECT_EQ(under, sep + 1);
}

TEST(WizardTemplate, FieldWiderThanThePageIsCutAndTakesItsOwnRow)
{
    const QList<TWizardField> fields{field("a", 10), field("wide", 200), field("b", 10)};
    const auto r = generateWizardTemplate(defaults(), fields, {"a", "wide", "b"});
    EXPECT_TRUE(r.Lines.contains("T,2,0,0,0,90,20,Arial,10,0,0,0,0,1"));
    EXPECT_TRUE(r.Lines.contains("T,2,1,0,20,726,20,Arial,10,0,0,0,0,1"));
    EXPECT_TRUE(r.Lines.contains("T,2,2,0,40,90,20,Arial,10,0,0,0,0,1"));
    EXPECT_TRUE(r.Lines.contains("I,3,2,1,68"));
    EXPECT_TRUE(r.Lines.contains("T,7,0,0,60,726,3,,1,0,0,8,15,0"));
}

TEST(WizardTemplate, RowsStyle)
{
    TWizardParams p = defaults();
    p.Columns = false;
    const QList<TWizardField> fields{field("a", 10), field("b", 50, 2), field("c", 100)};
    const auto r = generateWizardTemplate(p, fields, {"a", "b", "c"});
    // Labels 12 characters of 7 = 84 wide, fields from 92; c is cut to 726 - 92.
    const QStringList expected = QStringList{"I,5,0", "I,6,0,8,8", "I,3,0,1,96", "I,3,1,1,16",
                                             "I,3,2,1,76", "I,3,3,0,16", "I,3,4,1,32"}
                                 + kHeader
                                 + QStringList{"H,7,0,0,5,726,3,,1,0,0,8,15,0",
                                               "T,3,0,0,0,84,20,Arial,10,0,0,1,0,1",
                                               "T,2,0,92,0,90,20,Arial,10,0,0,0,0,1",
                                               "T,3,1,0,20,84,20,Arial,10,0,0,1,0,1",
                                               "T,2,1,92,20,370,20,Arial,10,0,0,2,0,1",
                                               "T,3,2,0,40,84,20,Arial,10,0,0,1,0,1",
                                               "T,2,2,92,40,634,20,Arial,10,0,0,0,0,1",
                                               "T,7,0,0,68,726,3,,1,0,0,8,15,0"}
                                 + kFooter;
    EXPECT_EQ(r.Lines, expected);
}

TEST(WizardTemplate, RowsStyleLeavesOutWhatDoesNotFitAndSaysWhich)
{
    TWizardParams p = defaults();
    p.Columns = false;
    QList<TWizardField> fields;
    QStringList chosen;
    for (int i = 0; i < 50; ++i) {
        fields << field(QStringLiteral("f%1").arg(i), 5);
        chosen << fields.last().Name;
    }
    const auto r = generateWizardTemplate(p, fields, chosen);
    // 1029 - 144 = 885: the 44th field ends at 880, a 45th would end at 900.
    EXPECT_EQ(r.LeftOut, chosen.mid(44));
    EXPECT_TRUE(r.Lines.contains("T,2,43,92,860,55,20,Arial,10,0,0,0,0,1"));
    EXPECT_FALSE(r.Lines.contains("T,2,44,92,880,55,20,Arial,10,0,0,0,0,1"));
    EXPECT_TRUE(r.Lines.contains(QStringLiteral("I,3,2,1,%1").arg(44 * 20 + 16)));
}

TEST(WizardTemplate, EveryElementIsAtLeastOneWide)
{
    TWizardParams p = defaults();
    p.Columns = false;
    p.W = 90;   // narrower than the label column
    const auto r = generateWizardTemplate(p, {field("a", 10)}, {"a"});
    EXPECT_TRUE(r.Lines.contains("T,2,0,92,0,1,20,Arial,10,0,0,0,0,1"));
}

TEST(WizardTemplate, CharacterColumnsAndRows)
{
    TWizardParams p = defaults();
    p.CharacterMode = true;
    const QList<TWizardField> fields{field("a", 10), field("b", 10)};
    auto r = generateWizardTemplate(p, fields, {"a", "b"});
    EXPECT_EQ(r.Lines, (QStringList{"I,5,0", "I,6,0,8,8", "I,3,0,1,28", "I,3,1,0,16",
                                    "I,3,2,1,20", "I,3,3,0,16", "I,3,4,0,16",
                                    "Z,3,0,0,0,90,20,Arial,10,0,0,0,0,1",
                                    "T,2,0,0,0,90,20,Arial,10,0,0,0,0,1",
                                    "Z,3,1,90,0,90,20,Arial,10,0,0,0,0,1",
                                    "T,2,1,90,0,90,20,Arial,10,0,0,0,0,1",
                                    "Z,7,0,0,20,726,3,,1,0,0,8,15,0"}));
    p.Columns = false;
    r = generateWizardTemplate(p, fields, {"a", "b"});
    EXPECT_EQ(r.Lines, (QStringList{"I,5,0", "I,6,0,8,8", "I,3,0,1,16", "I,3,1,0,16",
                                    "I,3,2,1,56", "I,3,3,0,16", "I,3,4,0,16",
                                    "Z,7,0,0,5,726,3,,1,0,0,8,15,0",
                                    "T,3,0,0,0,84,20,Arial,10,0,0,1,0,1",
                                    "T,2,0,92,0,90,20,Arial,10,0,0,0,0,1",
                                    "T,3,1,0,20,84,20,Arial,10,0,0,1,0,1",
                                    "T,2,1,92,20,90,20,Arial,10,0,0,0,0,1",
                                    "T,7,0,0,48,726,3,,1,0,0,8,15,0"}));
}

TEST(WizardTemplate, SettingsGiveUnitsGridAndFont)
{
    TEditorSettings s;
    s.UseUnits = 1;
    s.RastrX = 0;   // hand-edited: becomes 8
    s.RastrY = 5;
    s.ImplNazevFontu = QStringLiteral("Times New Roman");
    s.ImplVyskaFontu = -17;   // 17 x 72 / 100 = 12 points
    s.ImplBarvaFontu = 0x00123456;   // a colour value outside the palette
    s.ImplStylFontu = 3;
    s.ImplSkriptFontu = 238;
    s.ImplVyska = 24;
    pageSetup() = TPageSetup();
    const TWizardParams p = TWizardParams::fromSettings(s);
    const auto r = generateWizardTemplate(p, {field("a", 10)}, {"a"});
    EXPECT_EQ(r.Lines.at(0), "I,5,1");
    EXPECT_EQ(r.Lines.at(1), "I,6,0,8,5");
    // 12 points: a character of 9, 10 x 9 + 24 = 114 wide, 24 high.
    EXPECT_TRUE(r.Lines.contains("T,2,0,0,0,114,24,Times New Roman,12,1193046,3,0,0,238"));
}

TEST(WizardTemplate, LabelsAsTextQuotedAndSourcesByName)
{
    TWizardParams p = defaults();
    p.LabelsAsText = true;
    p.ByName = true;
    const QList<TWizardField> fields{field("Nazev", 10, 0, "Název \"oceli\", ČSN"),
                                     field("Cena, Kč", 5), field("2nd", 5),
                                     field("Pole", 5)};
    const auto r = generateWizardTemplate(p, fields, {"Nazev", "Cena, Kč", "2nd", "Chybi"});
    EXPECT_TRUE(r.Lines.contains("H,1,0,0,0,90,20,Arial,10,0,0,0,0,1,\"Název \"\"oceli\"\", ČSN\""));
    EXPECT_TRUE(r.Lines.contains("T,2,Nazev,0,0,90,20,Arial,10,0,0,0,0,1"));
    EXPECT_TRUE(r.Lines.contains("T,2,\"Cena, Kč\",90,0,55,20,Arial,10,0,0,0,0,1"));
    // A name that starts with a digit would be read as a number: the number is written.
    EXPECT_TRUE(r.Lines.contains("T,2,2,145,0,55,20,Arial,10,0,0,0,0,1"));
    EXPECT_EQ(r.Unknown, QStringList{"Chybi"});
    EXPECT_EQ(r.Lines.filter(QRegularExpression("^T,2,")).size(), 3);
}

TEST(WizardTemplate, NoLabelsWhenSwitchedOff)
{
    TWizardParams p = defaults();
    p.Labels = false;
    const auto r = generateWizardTemplate(p, {field("a", 10), field("b", 10)}, {"a", "b"});
    EXPECT_TRUE(r.Lines.filter(QRegularExpression("^H,[13],")).isEmpty());
    EXPECT_TRUE(r.Lines.contains("H,7,0,0,20,726,3,,1,0,0,8,15,0"));
}

// The generated lines read back into the model they describe, and the designer's writer
// gives lines that read back to the same model again.
TEST(WizardTemplate, ReadsBackToTheSameModel)
{
    for (bool columns : {true, false}) {
        TWizardParams p = defaults();
        p.Columns = columns;
        p.ByName = !columns;
        const QList<TWizardField> fields{field("Nazev", 10), field("Cena", 8, 1)};
        const auto r = generateWizardTemplate(p, fields, {"Nazev", "Cena"});

        TSestavaModel m;
        m.SetFieldNames({"Nazev", "Cena"});
        m.SetPredloha(r.Lines);
        const TOddilSestavy *body = m.section(skBody);
        ASSERT_EQ(body->elementCount(), columns ? 2 : 5);
        const TSiReportElement *cena = body->element(columns ? 1 : 3);
        EXPECT_EQ(cena->Kind, ekField);
        EXPECT_EQ(cena->SourceIndex, 1);
        EXPECT_EQ(cena->SourceName, columns ? QString() : QStringLiteral("Cena"));
        EXPECT_EQ(cena->Left, columns ? 90 : 92);
        EXPECT_EQ(cena->Width, 76);
        EXPECT_EQ(cena->Alignment, alRight);
        if (columns) {
            // the number's caption stands right above its values
            const TSiReportElement *caption = m.section(skPageHeader)->element(1);
            EXPECT_EQ(caption->Left, cena->Left);
            EXPECT_EQ(caption->Width, cena->Width);
            EXPECT_EQ(caption->Alignment, alRight);
        }
        EXPECT_EQ(cena->Font.Name, "Arial");
        EXPECT_EQ(cena->Font.Size, 10);
        EXPECT_EQ(m.section(skPageHeader)->Height, columns ? 28 : 16);
        EXPECT_EQ(body->Height, columns ? 20 : 56);
        EXPECT_FALSE(m.section(skReportFooter)->Visible);
        EXPECT_EQ(m.section(skReportHeader)->element(0)->Text, "Nadpis sestavy");
        EXPECT_EQ(m.section(skPageFooter)->element(1)->SourceIndex, 3);

        TSestavaModel again;
        again.SetFieldNames({"Nazev", "Cena"});
        again.SetPredloha(writeTemplate(m));
        for (int k = 0; k < kFixedSections; ++k) {
            const TOddilSestavy *a = m.section(k), *b = again.section(k);
            EXPECT_EQ(a->Height, b->Height);
            EXPECT_EQ(a->Visible, b->Visible);
            ASSERT_EQ(a->elementCount(), b->elementCount());
            for (int i = 0; i < a->elementCount(); ++i)
                EXPECT_TRUE(a->element(i)->sameTemplateAttributes(*b->element(i)))
                    << "section " << k << " element " << i;
        }
    }
}

// A columns-style template run over three records: one page with the title, the labels
// under each other's column, three body rows and the page number.
TEST(WizardTemplate, RunsIntoAPage)
{
    runtest::ensureApp();
    const TWizardParams p = defaults();
    const QList<TWizardField> fields{field("nazev", 10), field("mez", 6, 1)};
    const auto r = generateWizardTemplate(p, fields, {"nazev", "mez"});

    runtest::MemoryBridge bridge;
    bridge.Columns = {"nazev", "mez"};
    bridge.Rows = {{QString("S235JR"), 235}, {QString("S275JR"), 275}, {QString("S355J2"), 355}};
    TSestavaD report;
    report.DataSource = &bridge;
    report.PrepareFields();
    report.SetPredloha(r.Lines);
    ASSERT_EQ(report.Run(true), 0);
    ASSERT_EQ(report.Vystup.PageCount(), 1);

    auto at = [&](const QString &text) {
        const auto found = runtest::findText(report.Vystup, text);
        return found.empty() ? nullptr : found.front().Item;
    };
    const TVystPrvek *title = at("Nadpis sestavy");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->Top, 40);
    const TVystPrvek *label = at("MEZ");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->Left, 90);
    EXPECT_EQ(label->Top, 96);   // under the report header of 96
    const TVystPrvek *first = at("S235JR");
    const TVystPrvek *third = at("S355J2");
    ASSERT_TRUE(first && third);
    EXPECT_EQ(first->Top, 96 + 28);
    EXPECT_EQ(third->Top, 96 + 28 + 40);
    EXPECT_EQ(first->Left, 0);
    EXPECT_TRUE(at("Stránka číslo:"));
}
