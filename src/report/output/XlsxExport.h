#pragma once
// A finished report as a spreadsheet, from its output store: every printed occurrence of a
// detail band becomes a row, its elements columns. Columns are the horizontal positions of
// the elements across the report's bands, left to right; elements of different bands that
// start at one position share the column, and an element wider than its column takes the
// free columns it covers (merged cells). Group headers and footers are bold rows of their
// own; report header and footer rows stay plain; page headers and footers are left out, but
// the texts of the page header name the columns of the header row.
//
// A number field's or function's text becomes a number cell with a cell format of the same
// shape (decimals, thousands grouping) as the report printed it; any other element is text.

#include "xlsx/Workbook.h"

namespace orv {

class TSestavaTyp;

// The sheet of the report's store as it stands (after a run).
xlsx::Workbook reportWorkbook(TSestavaTyp &report);

// The number a report printed, read back from its text under the report's regional settings,
// and the cell format of its shape ("# ##0.00" style): nothing when the text is not a number.
struct PrintedNumber {
    double value = 0;
    QString format;
};
std::optional<PrintedNumber> printedNumber(const QString &text);

} // namespace orv
