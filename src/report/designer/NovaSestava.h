#pragma once
// The new-report generator: from chosen data fields and a style it writes a complete
// template (settings records and element lines) laid out either as a table with one column
// per field or as a form with one row per field, for graphic or character reports.

#include <QList>
#include <QString>
#include <QStringList>

namespace orv {

class TSestavaTyp;
struct TEditorSettings;

struct TWizardField {
    QString Name;
    QString Label;         // the display label; the name when the data source has none
    int DisplayWidth = 10; // characters
    int Alignment = 0;     // the data source's alignment (bit 0x80 is cleared)
    int DataType = 0;      // TFieldTypeS; numbers are right-aligned with their caption
    // The widest texts the data holds (a few, longest first): columns are sized to them.
    QStringList Samples;
};

struct TWizardParams {
    int W = 726;                            // printable width, hundredths of an inch
    int H = 1029;                           // printable height
    QString FontName = QStringLiteral("Arial");
    int FontSize = 10;
    int FontColor = 0;                      // palette index or colour value
    int FontStyle = 0;
    int Charset = 1;
    int R = 20;                             // element height
    int Units = 0;
    int GridX = 8;
    int GridY = 8;
    bool Columns = true;                    // columns (table) or rows (form)
    bool CharacterMode = false;
    bool Labels = true;                     // "Popisy položek"
    bool LabelsAsText = false;              // "Popisy textem"
    bool ByName = false;                    // "Pol. podle názvu"
    // A list with groups and totals (graphic columns style): the field whose value starts a
    // new group (empty: none), the record count and the fields summed and averaged per group
    // and for the whole report, and "Strana X z Y" in the page footer.
    QString GroupField;
    bool Count = false;
    QStringList SumFields;
    QStringList AverageFields;
    bool PageOfPages = false;
    // The print date and date fields as 31.12.2024 (a function formats date fields).
    bool CzechDates = false;

    // The defaults of a new element from the designer's settings and the page setup's
    // printable area.
    static TWizardParams fromSettings(const TEditorSettings &settings);
};

struct TWizardResult {
    QStringList Lines;
    QStringList LeftOut;   // chosen fields that did not fit on the page
    QStringList Unknown;   // chosen names that are not fields of the report
};

// The fields of the report in field order.
QList<TWizardField> wizardFields(const TSestavaTyp &report);
// Reads up to maxRecords records of the report's data for the fields' widest texts; the data
// set is left where it was.
void sampleWizardFields(TSestavaTyp &report, QList<TWizardField> &fields, int maxRecords = 5000);
// Whether the field holds numbers (totals are offered for them, they are right-aligned).
bool isNumericWizardField(const TWizardField &f);

// The template for the chosen field names (in layout order).
TWizardResult generateWizardTemplate(const TWizardParams &p, const QList<TWizardField> &fields,
                                     const QStringList &chosen);

} // namespace orv
