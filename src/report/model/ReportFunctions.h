#pragma once
// Report functions: named expressions computed once per record with an aggregation over
// the records since their last reset.

#include "report/model/CalcType.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace orv {

class TExprContext;
class TExpression;

enum Aggregation : int {
    agNone = 0,       // "(Žádné)"
    agCount = 1,      // "Počet"
    agSum = 2,        // "Součet"
    agAverage = 3,    // "Průměr"
    agMinimum = 4,    // "Minimum"
    agMaximum = 5,    // "Maximum"
    agStdDev = 6,     // "Směrodat.odch."
    agRelStdDev = 7   // "Relat.sm.odch."
};

enum FloatFormat : int { ffGeneral = 0, ffExponent = 1, ffFixed = 2, ffNumber = 3, ffCurrency = 4 };

enum ResetLevel : int { rlReport = 0, rlPage = 1, rlGroupBase = 2 };

// The choices of the function dialog, in the order of their codes.
QStringList functionTypeNames();      // "Číselná", "Řetězcová"
QStringList aggregationNames();       // "(Žádné)", "Počet", ... "Relat.sm.odch."
QStringList floatFormatNames();       // "General", ... "Currency"
QStringList resetLevelNames(int groupCount);   // "Sestavy", "Stránky", "Skupiny 1", ...

class TRadekFunkce {
public:
    TRadekFunkce();
    ~TRadekFunkce();
    TRadekFunkce(const TRadekFunkce &other);
    TRadekFunkce &operator=(const TRadekFunkce &other);

    QString Name;
    QString Description;
    QString Expression;
    int Type = 0;                 // 0 "Číselná", 1 "Řetězcová"
    QString InitialValue = QStringLiteral("0");
    int ResetLevel = rlReport;    // 0 report, 1 page, 2 + k group at position k
    int Aggregation = agNone;
    int Width = 15;               // "Celkový počet znaků"
    int Decimals = 2;             // "Počet desetinných míst"
    int Format = ffFixed;

    // Run state.
    TCalcType Value;
    int Count = 0;
    double Total = 0.0;
    double SumOfSquares = 0.0;
    bool ResetPending = true;
    bool SkipNulls = false;
    // The first evaluation error of the run (0 none) and its position, so that the run can
    // say once that the function failed instead of printing its empty value silently.
    int RunError = 0;
    int RunErrorPosition = 0;

    // One record: reset when pending, evaluate the expression, aggregate.
    void Compute(TExprContext *context);
    // The reset alone, when pending: the initial value, nothing counted.
    void ResetIfPending();
    // The text an element of kind 6 prints.
    QString DisplayText() const;

    bool sameTemplateAttributes(const TRadekFunkce &o) const;

private:
    std::unique_ptr<TExpression> m_compiled;   // parsed once, kept while Expression is unchanged
};

class TListFunkci {
public:
    int count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    TRadekFunkce *at(int index) const;          // nullptr when out of range (index from 0)
    TRadekFunkce *add();                         // appends a function with default attributes
    void append(std::unique_ptr<TRadekFunkce> f);
    void remove(int index);
    void clear() { m_items.clear(); }

    // Lookup by name ignores letter case; the first match wins. -1 when absent.
    int FindByName(const QString &name) const;
    // Every function whose ResetLevel equals level, or all when level is negative.
    void MarkReset(int level);
    void SetSkipNulls(bool skip);
    void ComputeAll(TExprContext *context);
    // Every function back to its initial value with nothing counted (a run over no records).
    void ResetAll();

    QString DisplayText(int index) const;   // empty when there is no such function
    QString Caption(int index) const;       // "@", number in three characters, name
    QString Description(int index) const;   // "Funkce name - description" or "n  ???"

private:
    std::vector<std::unique_ptr<TRadekFunkce>> m_items;
};

} // namespace orv
