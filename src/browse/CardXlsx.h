#pragma once
// The material card's tables as a spreadsheet, one sheet each: composition, mechanical
// properties (every semi-product, state, dimension range and temperature, not only the rows
// the card has selected), physical properties, heat treatment and equivalents. Bounds are
// number cells, minimum and maximum in columns of their own; the sources of the values and
// the catalogue's date go to the sheet "Zdroj".

#include "xlsx/Workbook.h"

class QWidget;

namespace orv::db {
class Connection;
}

namespace orv::browse {

class MaterialCard;

// Throws db::DbError when the catalogue cannot be read.
xlsx::Workbook cardWorkbook(db::Connection &catalogue, int materialNo);

// Asks for the file (unless `file` is given), writes the card's material and tells a failure
// in Czech. True when the file was written.
bool saveCardXlsx(MaterialCard &card, QWidget *parent, QString file = QString());

} // namespace orv::browse
