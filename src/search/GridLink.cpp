#include "search/GridLink.h"

#include "db/DataSetModel.h"
#include "ui/WidgetHelpers.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

namespace orv::search {

void linkGrid(QTableView *grid, db::DataSetModel *model)
{
    grid->setModel(model);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->verticalHeader()->hide();
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, model,
                     [model](const QModelIndex &current) {
                         if (current.isValid())
                             model->setCurrentRow(current.row());
                     });
    QObject::connect(model, &db::DataSetModel::currentRowChanged, grid, [grid, model](int row) {
        if (row < 0 || row >= model->rowCount())
            return;
        const QModelIndex cur = grid->currentIndex();
        if (cur.isValid() && cur.row() == row)
            return;
        grid->setCurrentIndex(model->index(row, cur.isValid() ? cur.column() : 0));
    });
    auto resync = [grid, model] {
        sizeColumns(grid);
        const int row = model->currentRow();
        if (row >= 0 && row < model->rowCount())
            grid->setCurrentIndex(model->index(row, 0));
    };
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, resync);
    resync();
}

void sizeColumns(QTableView *grid)
{
    auto *model = grid->model();
    if (!model)
        return;
    const int charWidth = grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < model->columnCount(); ++c) {
        const int chars = model->headerData(c, Qt::Horizontal, db::DataSetModel::WidthRole).toInt();
        if (chars > 0)
            ui::setFittedColumnWidth(grid, c, chars * charWidth + 8);
    }
}

} // namespace orv::search
