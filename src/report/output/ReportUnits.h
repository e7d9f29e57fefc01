#pragma once
// Conventions of the report output that the designer and the dialogs share: the units a
// length may be shown in, the character sets an element's font may name, and the font
// names offered for report text.

#include <QString>
#include <QStringList>

namespace orv {

// Units the designer may show lengths in; report geometry is always in hundredths of an
// inch (index 0).
constexpr int kUnitCount = 5;
QString UnitName(int index);          // "0,01 inch", "0,1 mm", "0,1 pica", "1 point", "10 twips"
double UnitFactor(int index);         // 1, 2.54, 0.6, 0.72, 1.44; 1 outside the list
// Hundredths of an inch to the unit and back, rounded to the nearest integer.
int ToDisplayUnits(int hundredths, int index);
int FromDisplayUnits(int value, int index);

// The character sets the element dialog lists, in its order: ANSI, Greek, Turkish, Baltic,
// Central European, Cyrillic, Symbol, Default.
int CharsetAtPosition(int position);  // a position outside 0..7 gives 1 (Default)
int PositionOfCharset(int charset);   // the last matching position; 7 when none matches

// All screen fonts, then the character printer's "Roman 10cpi", "Roman 12cpi", "Roman 17cpi".
QStringList ReportFontNames();

} // namespace orv
