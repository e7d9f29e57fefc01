#pragma once
// The report generator's only window on data: a data link to one data source. The
// application adapts its own data sets to it; the report never sees the data layer itself.

#include "report/model/CalcType.h"

#include <QImage>
#include <QString>

namespace orv {

// Record step direction.
enum TStepDir : int { sdFirst = 0, sdPrior = 1, sdNext = 2, sdLast = 3 };

// Step result bits: 1 before the first record, 2 after the last; 3 also means no data.
using TStepResult = int;
constexpr TStepResult srBof = 1;
constexpr TStepResult srEof = 2;
constexpr TStepResult srNoData = 3;

// Field data type codes as the data layer reports them.
enum TFieldTypeS : int {
    ftUnknown = 0, ftString = 1, ftSmallint = 2, ftInteger = 3, ftWord = 4, ftBoolean = 5,
    ftFloat = 6, ftCurrency = 7, ftBCD = 8, ftDate = 9, ftTime = 10, ftDateTime = 11,
    ftAutoInc = 14, ftBlob = 15, ftMemo = 16, ftGraphic = 17, ftFmtMemo = 18,
    ftTypedBinary = 21, ftWideString = 24, ftLargeint = 25, ftFMTBcd = 37
};

bool isPictureType(int type);  // 15, 17, 21
bool isMemoType(int type);     // 16, 18
// The expression kind of a field's value: 2 string, 1 numeric, 0 everything else.
int kindOfFieldType(int type);

class TBridge {
public:
    virtual ~TBridge();

    virtual int FieldCount() const = 0;
    virtual QString FieldName(int n) const = 0;      // n from 0
    virtual QString FieldLabel(int n) const = 0;
    virtual int FieldDataType(int n) const = 0;      // TFieldTypeS
    virtual int FieldAlignment(int n) const = 0;     // 0 left, 1 right, 2 centre
    virtual int FieldDisplayWidth(int n) const = 0;

    virtual double AsFloat(int n) const = 0;
    virtual bool AsBoolean(int n) const = 0;
    virtual QString AsString(int n) const = 0;
    virtual QString DisplayText(int n) const = 0;
    virtual QString MemoText(int n) const = 0;
    virtual bool IsNull(int n) const = 0;
    virtual bool Picture(int n, QImage &picture) const = 0;

    virtual TStepResult Step(TStepDir dir) = 0;

    virtual bool HasDataSet() const = 0;
    virtual bool IsActive() const = 0;
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual void DisableControls() = 0;
    virtual void EnableControls() = 0;
    virtual void RememberPosition() = 0;
    virtual void ReturnToPosition() = 0;

    // The directory of a data-base alias; empty when there is none.
    virtual QString AliasPath(const QString &alias) const = 0;
};

// Field n of the bridge's current record as an expression value: the number of numeric,
// date and time fields, 1/0 for booleans, the text read as a number for strings, 0 for the
// rest; the display text (the whole memo for memo fields); the kind of its type; null.
TCalcType fieldValueFromBridge(const TBridge &bridge, int n);

// The error of a report's own query as its author should read it: a table or column the
// query names and the database lacks is said as such (the query is wrong, not the file);
// empty for any other error.
QString queryMissingNameText(const QString &engineText);
// The whole message for a failed query: the missing name first, with the engine's own words
// ("Podrobnosti: ...") only as a detail; any other error as it is.
QString queryFailureText(const QString &engineText);

} // namespace orv
