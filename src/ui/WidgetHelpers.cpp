#include "ui/WidgetHelpers.h"

#include "db/DataSet.h"
#include "db/DataSetModel.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QTableView>
#include <QWidget>

#include <algorithm>

namespace orv::ui {

int fieldNameRole()
{
    return db::DataSetModel::FieldNameRole;
}

void fillCombo(QComboBox *box, const QStringList &values, const QString &firstEntry)
{
    box->clear();
    box->addItem(firstEntry);
    box->addItems(values);
    box->setCurrentIndex(0);
    if (box->isEditable())
        box->setEditText(firstEntry);
}

void fillCombo(QComboBox *box, db::DataSet &dataSet, const QString &fieldName, const QString &firstEntry)
{
    QStringList values;
    dataSet.first();
    while (!dataSet.eof()) {
        values.append(dataSet.fieldByName(fieldName).asString());
        dataSet.next();
    }
    fillCombo(box, values, firstEntry);
}

void fillCombo(QComboBox *box, const QAbstractItemModel *model, int column, const QString &firstEntry)
{
    QStringList values;
    if (model) {
        const int rows = model->rowCount();
        values.reserve(rows);
        for (int r = 0; r < rows; ++r)
            values.append(model->index(r, column).data(Qt::DisplayRole).toString());
    }
    fillCombo(box, values, firstEntry);
}

void focusBlink()
{
    QWidget blink(nullptr, Qt::FramelessWindowHint | Qt::Tool);
    blink.setAttribute(Qt::WA_ShowWithoutActivating, false);
    blink.setGeometry(-10, 0, 1, 1);
    blink.show();
}

int gridColumn(const QAbstractItemView *grid, const QString &fieldName)
{
    const QAbstractItemModel *model = grid ? grid->model() : nullptr;
    if (!model)
        return -1;
    for (int c = 0; c < model->columnCount(); ++c) {
        QString name = model->headerData(c, Qt::Horizontal, fieldNameRole()).toString();
        if (name.isEmpty())
            name = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        if (name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

bool removeGridButton(QAbstractItemView *grid, const QString &fieldName)
{
    const int column = gridColumn(grid, fieldName);
    if (column < 0)
        return false;
    grid->setItemDelegateForColumn(column, nullptr);
    return true;
}

void setFittedColumnWidth(QTableView *grid, int column, int width)
{
    // The header's hint covers its text, margins and sort arrow; the view's hint the rows.
    const int header = grid->horizontalHeader()->sectionSizeHint(column);
    const int rows = static_cast<const QAbstractItemView *>(grid)->sizeHintForColumn(column);
    grid->setColumnWidth(column, std::max({width, header, rows}));
}

} // namespace orv::ui
