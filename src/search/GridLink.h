#pragma once
// Binds a QTableView to a DataSetModel so that the grid's current row and the data set's
// current row follow each other, and sizes the columns from the fields' display widths.

class QTableView;

namespace orv::db {
class DataSetModel;
}

namespace orv::search {

void linkGrid(QTableView *grid, db::DataSetModel *model);
// Column widths from the model's width role (characters) and the grid's font.
void sizeColumns(QTableView *grid);

} // namespace orv::search
