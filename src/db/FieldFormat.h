#pragma once
// Number format masks of the field objects: "0.000", "#,##0.00", "#.###".
// '0' is a digit always shown, '#' a digit shown when significant, '.' the place of the
// decimal separator and ',' anywhere in the integer part switches thousands grouping on.
// Characters outside the digit run are copied. A mask may carry sections for positive,
// negative and zero values separated by ';'. Separators come from the given locale.

#include <QLocale>
#include <QString>
#include <QVariant>

namespace orv::db {

QString formatNumber(double value, const QString &mask, const QLocale &locale = QLocale());
// Shortest general form in the locale (0,15 with a decimal comma); integers plainly.
QString formatGeneral(double value, const QLocale &locale = QLocale());
// Reads a typed number with either "." or the locale's separator; thousands separators and
// blanks between digits are ignored. `ok` is false for anything else.
double parseNumber(const QString &text, bool *ok, const QLocale &locale = QLocale());

} // namespace orv::db
