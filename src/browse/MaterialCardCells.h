#pragma once
// The texts the material card shows in its cells, worked out without any window: the range
// columns (a dimension range, a value at a temperature) and the composition grid, whose
// columns are the material's elements with their minimum and maximum and, last, the balance
// element ("Zbytek").

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace orv::browse {

// A number in the shortest general form of the locale (0,15 with a decimal comma); a null
// or non-numeric value gives an empty text.
QString numberText(const QVariant &value, const QLocale &locale = QLocale());

// A range from two bounds, either of which may be empty:
// both "from - to" (one number when they are equal), only the upper "<= to", only the lower
// ">= from", neither "".
QString rangeText(const QVariant &from, const QVariant &to, const QLocale &locale = QLocale());

// A value with its unit after a space ("650 - 800 MPa", "10 %"); an empty value or unit
// leaves the text as it is.
QString withUnit(const QString &text, const QString &unit);

// One ChemComp row as the composition grid needs it.
struct CompositionRow
{
    QString element;  // Elements.Name of the row's ElementNo
    QVariant minValue;
    QVariant maxValue;
};

// One column of the composition grid: the title row (0) and the two value rows (1, 2).
struct CompositionColumn
{
    QString title;
    QString upper;  // row 1
    QString lower;  // row 2
    bool operator==(const CompositionColumn &o) const
    {
        return title == o.title && upper == o.upper && lower == o.lower;
    }
};

// The columns in the order of the rows: a range shows its minimum over its maximum, a
// maximum alone "max" over the value, a minimum alone "min" over the value, and a row with
// neither "min" over an empty cell. When `balanceElement` is given (the material has a
// ChemZbytek row), one more column "Zbytek" names it over an empty cell.
std::vector<CompositionColumn> compositionColumns(const std::vector<CompositionRow> &rows,
                                                  const QVariant &balanceElement = QVariant(),
                                                  const QLocale &locale = QLocale());

} // namespace orv::browse
