#pragma once
// Small helpers every window uses: filling a combo box, the focus blink after a grid click,
// and removing a grid column's drop-down button.

#include <QString>
#include <QStringList>

class QAbstractItemModel;
class QAbstractItemView;
class QComboBox;
class QTableView;

namespace orv::db {
class DataSet;
}

namespace orv::ui {

// The role under which a grid model names the field a column shows (horizontal header), as
// the data-set grid model does. Without it the header's display text is taken as the name.
int fieldNameRole();

// Clears the box, sets its text to `firstEntry`, adds it as the first item and then one
// item per value, in order.
void fillCombo(QComboBox *box, const QStringList &values, const QString &firstEntry);
// The same with field `fieldName` of every row of `dataSet`, which is moved to its first row
// and stepped through in its order.
void fillCombo(QComboBox *box, db::DataSet &dataSet, const QString &fieldName, const QString &firstEntry);
// The same with the values of one column of a model, row by row.
void fillCombo(QComboBox *box, const QAbstractItemModel *model, int column, const QString &firstEntry);

// Shows and destroys at once a borderless 1 x 1 window at left -10, so that a grid that
// was just clicked hands the focus back and forth and repaints its selection.
void focusBlink();

// The column of `grid` bound to `fieldName` (case-insensitive), or -1.
int gridColumn(const QAbstractItemView *grid, const QString &fieldName);
// Removes the drop-down button (editor delegate) of the column bound to `fieldName`;
// a grid without such a column is left unchanged. Returns whether a column was found.
bool removeGridButton(QAbstractItemView *grid, const QString &fieldName);

// Gives a grid column `width` pixels, or more where its header text or the texts of its
// rows need more, so that "Min. hodnota (%)" is never cut to "in. hodnota (%".
void setFittedColumnWidth(QTableView *grid, int column, int width);

} // namespace orv::ui
