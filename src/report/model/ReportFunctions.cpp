#include "report/model/ReportFunctions.h"

#include "report/model/Expression.h"
#include "report/model/NumberFormat.h"

#include <cmath>

namespace orv {

QStringList functionTypeNames()
{
    return {QStringLiteral("Číselná"), QStringLiteral("Řetězcová")};
}

QStringList aggregationNames()
{
    return {QStringLiteral("(Žádné)"), QStringLiteral("Počet"), QStringLiteral("Součet"),
            QStringLiteral("Průměr"), QStringLiteral("Minimum"), QStringLiteral("Maximum"),
            QStringLiteral("Směrodat.odch."), QStringLiteral("Relat.sm.odch.")};
}

QStringList floatFormatNames()
{
    return {QStringLiteral("General"), QStringLiteral("Exponent"), QStringLiteral("Fixed"),
            QStringLiteral("Number"), QStringLiteral("Currency")};
}

QStringList resetLevelNames(int groupCount)
{
    QStringList names{QStringLiteral("Sestavy"), QStringLiteral("Stránky")};
    for (int k = 0; k < groupCount; ++k)
        names << QStringLiteral("Skupiny %1").arg(k + 1);
    return names;
}

TRadekFunkce::TRadekFunkce() = default;
TRadekFunkce::~TRadekFunkce() = default;

TRadekFunkce::TRadekFunkce(const TRadekFunkce &o)
{
    *this = o;
}

TRadekFunkce &TRadekFunkce::operator=(const TRadekFunkce &o)
{
    if (this == &o)
        return *this;
    Name = o.Name;
    Description = o.Description;
    Expression = o.Expression;
    Type = o.Type;
    InitialValue = o.InitialValue;
    ResetLevel = o.ResetLevel;
    Aggregation = o.Aggregation;
    Width = o.Width;
    Decimals = o.Decimals;
    Format = o.Format;
    Value = o.Value;
    Count = o.Count;
    Total = o.Total;
    SumOfSquares = o.SumOfSquares;
    ResetPending = o.ResetPending;
    SkipNulls = o.SkipNulls;
    m_compiled.reset(o.m_compiled ? new TExpression(*o.m_compiled) : nullptr);
    return *this;
}

bool TRadekFunkce::sameTemplateAttributes(const TRadekFunkce &o) const
{
    return Name == o.Name && Description == o.Description && Expression == o.Expression
        && Type == o.Type && InitialValue == o.InitialValue && ResetLevel == o.ResetLevel
        && Aggregation == o.Aggregation && Width == o.Width && Decimals == o.Decimals
        && Format == o.Format;
}

void TRadekFunkce::ResetIfPending()
{
    const int typeKind = Type == 1 ? TCalcType::KindText : TCalcType::KindNumber;
    if (ResetPending) {
        Value = TCalcType();
        double n = 0.0;
        if (standardToFloat(InitialValue, n)) {
            Value.Kind = typeKind;
            Value.Number = n;
            Value.Text = InitialValue;
        }
        Count = 0;
        Total = 0.0;
        SumOfSquares = 0.0;
        ResetPending = false;
    }
}

void TRadekFunkce::Compute(TExprContext *context)
{
    const int typeKind = Type == 1 ? TCalcType::KindText : TCalcType::KindNumber;
    ResetIfPending();

    if (!m_compiled || m_compiled->text() != Expression)
        m_compiled = std::make_unique<TExpression>(Expression);
    TCalcType x;
    {
        const TEvalResult r = m_compiled->evaluate(context);
        if (r.ok()) {
            x = r.Value;
        } else if (RunError == 0) {
            RunError = r.Error;
            RunErrorPosition = r.Position;
        }
    }
    const bool counted = !(SkipNulls && x.IsNull);

    // Aggregations other than "none" set only the number; a value emptied at the reset
    // gains the function's kind once it holds a number.
    auto setNumber = [&](double n) {
        Value.Number = n;
        Value.Kind = typeKind;
    };
    auto stdDev = [&]() -> double {
        const double var = (SumOfSquares - Total * Total / Count) / (Count - 1);
        // Rounding can leave a tiny negative variance for equal values.
        return var > 0.0 ? std::sqrt(var) : 0.0;
    };

    switch (Aggregation) {
    case agCount:
        if (counted)
            ++Count;
        setNumber(Count);
        break;
    case agSum:
    case agAverage:
        if (counted) {
            ++Count;
            Total += x.Number;
        }
        if (Aggregation == agSum || Count == 0)
            setNumber(Total);
        else
            setNumber(Total / Count);
        break;
    case agMinimum:
        if (counted) {
            ++Count;
            if (Count == 1 || Value.Number > x.Number)
                setNumber(x.Number);
        }
        break;
    case agMaximum:
        if (counted) {
            ++Count;
            if (Count == 1 || !(Value.Number >= x.Number))
                setNumber(x.Number);
        }
        break;
    case agStdDev:
    case agRelStdDev:
        if (counted) {
            ++Count;
            Total += x.Number;
            SumOfSquares += x.Number * x.Number;
        }
        if (Aggregation == agStdDev && Count > 1)
            setNumber(stdDev());
        else if (Aggregation == agRelStdDev && Count > 1 && Total != 0.0)
            setNumber(stdDev() * Count / Total);
        else
            Value = TCalcType();
        break;
    default:   // none: the whole value
        ++Count;
        Value = x;
        if (!x.isEmptyValue())
            Value.Kind = typeKind;
        break;
    }
}

QString TRadekFunkce::DisplayText() const
{
    if (SkipNulls && Value.IsNull)
        return QString();
    if (Type == 1)
        return Value.Text;
    if (Value.isEmptyValue())
        return QString();
    return formatFloatF(Value.Number, Format, Width, Decimals);
}

TRadekFunkce *TListFunkci::at(int index) const
{
    return index >= 0 && index < count() ? m_items[size_t(index)].get() : nullptr;
}

TRadekFunkce *TListFunkci::add()
{
    auto f = std::make_unique<TRadekFunkce>();
    f->Name = QStringLiteral("Funkce%1").arg(count() + 1);
    f->Description = f->Name;
    m_items.push_back(std::move(f));
    return m_items.back().get();
}

void TListFunkci::append(std::unique_ptr<TRadekFunkce> f)
{
    if (f)
        m_items.push_back(std::move(f));
}

void TListFunkci::remove(int index)
{
    if (index >= 0 && index < count())
        m_items.erase(m_items.begin() + index);
}

int TListFunkci::FindByName(const QString &name) const
{
    for (int i = 0; i < count(); ++i)
        if (m_items[size_t(i)]->Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TListFunkci::MarkReset(int level)
{
    for (auto &f : m_items)
        if (level < 0 || f->ResetLevel == level)
            f->ResetPending = true;
}

void TListFunkci::SetSkipNulls(bool skip)
{
    for (auto &f : m_items)
        f->SkipNulls = skip;
}

void TListFunkci::ComputeAll(TExprContext *context)
{
    for (auto &f : m_items)
        f->Compute(context);
}

void TListFunkci::ResetAll()
{
    for (auto &f : m_items) {
        f->ResetPending = true;
        f->ResetIfPending();
    }
}

QString TListFunkci::DisplayText(int index) const
{
    const TRadekFunkce *f = at(index);
    return f ? f->DisplayText() : QString();
}

QString TListFunkci::Caption(int index) const
{
    const TRadekFunkce *f = at(index);
    const QString number = QString::number(index + 1).leftJustified(3, u' ');
    return QStringLiteral("@") + number + (f ? f->Name : QString());
}

QString TListFunkci::Description(int index) const
{
    const TRadekFunkce *f = at(index);
    if (!f)
        return QString::number(index + 1) + QStringLiteral("  ???");
    return QStringLiteral("Funkce ") + f->Name + QStringLiteral(" - ") + f->Description;
}

} // namespace orv
