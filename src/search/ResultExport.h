#pragma once
// The search result list saved as CSV for a spreadsheet: UTF-8 with a byte-order mark, ";"
// between fields and CRLF at line ends, so a spreadsheet set up for Czech opens it without an
// import dialog. The file holds the columns the result grid shows, with their headings, in
// the grid's texts (decimal commas, the success rate of the composition search as shown).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "xlsx/Workbook.h"

class QAbstractItemModel;

namespace orv::db {
class Connection;
class DataSet;
}

namespace orv::search {

// One field: quoted (with doubled quotes) when it holds ";", a quote or a line break, or
// starts or ends with a blank.
QString csvField(const QString &text);

// Header line and one line per row of the model, display texts, with the BOM.
QByteArray resultCsv(const QAbstractItemModel &model);

// The same with one more column at the end: its heading and one text per row.
QByteArray resultCsv(const QAbstractItemModel &model, const QString &extraHeading, const QStringList &extra);

// The result list as a spreadsheet: one sheet "Výsledek hledání" with the grid's columns,
// numbers (the success rate) as number cells in the grid's number format, the unit of a
// heading ("přesnost [%]") in the header, an autofilter; plus the extra column as for CSV.
// The "Zdroj" sheet names the catalogue, its date and the search.
xlsx::Workbook resultWorkbook(const QAbstractItemModel &model, const QString &extraHeading, const QStringList &extra,
                              const QString &catalogueFile, const QString &searchName);

// The heading and the text of the best property combination of a material found by the latest
// property search: "Tyče, Válcováno za tepla; +QT Zušlechtěný; 16 – 40 mm" (semi-product, state,
// dimension range); empty when the material has none. Throws db::DbError.
QString bestCombinationHeading();
QString bestCombinationText(db::Connection &conn, int matNumber);
// The texts for every row of a result (field MatNumber), in row order.
QStringList bestCombinationTexts(db::Connection &conn, const db::DataSet &result);

// Writes `bytes` to `file` under a temporary name and renames it; an existing file is
// replaced only when the whole text was written. Returns an empty text on success, otherwise
// the reason in Czech.
QString saveCsvFile(const QString &file, const QByteArray &bytes);

} // namespace orv::search
