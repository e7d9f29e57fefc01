#include "search/ResultExport.h"

#include "ui/CsvText.h"

#include <QAbstractItemModel>

namespace orv::search {

QString csvField(const QString &text)
{
    return ui::csvField(text);
}

QByteArray resultCsv(const QAbstractItemModel &model)
{
    QList<QStringList> lines;
    QStringList fields;
    for (int c = 0; c < model.columnCount(); ++c)
        fields << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    lines << fields;
    for (int r = 0; r < model.rowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < model.columnCount(); ++c)
            fields << model.data(model.index(r, c), Qt::DisplayRole).toString();
        lines << fields;
    }
    return ui::csvText(lines);
}

QString saveCsvFile(const QString &file, const QByteArray &bytes)
{
    return ui::saveCsvFile(file, bytes);
}

} // namespace orv::search
