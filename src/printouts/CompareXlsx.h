#pragma once
// The comparison as a spreadsheet: the rows the window shows, each with its group, property
// and unit; per material a minimum and a maximum column of numbers and a text column for what
// the numbers do not say (designations, several values). Rows that differ are marked as in
// the window.

#include "printouts/Comparison.h"
#include "xlsx/Workbook.h"

namespace orv::printouts {

xlsx::Workbook comparisonWorkbook(const Comparison &comparison, bool hideEqual, const QString &catalogueFile,
                                  const QString &criteriaText);

} // namespace orv::printouts
