#pragma once
// Adapts a DataSet to a grid (QTableView): one column per visible field, titled with its
// display label, its width in characters under WidthRole, values in its display format.
// The grid's current row and the data set's current row follow each other: connect the
// view's current-row changes to setCurrentRow() and currentRowChanged() to the view.
// Editing a cell edits the data set's row and posts it at once.

#include "db/DataSet.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace orv::db {

class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        WidthRole = Qt::UserRole + 1, // display width in characters (header and cells)
        FieldNameRole,                // name of the column's field (header)
        ValueRole                     // the raw value
    };

    explicit DataSetModel(DataSet *dataSet, QObject *parent = nullptr);

    DataSet *dataSet() const { return m_ds; }
    Field *fieldAt(int column) const;
    int columnOf(const QString &fieldName) const; // -1 when not shown

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    int currentRow() const;
    // The text of the last failed edit (a refused value); empty after a successful one.
    const QString &lastError() const { return m_lastError; }

public slots:
    // The grid moved to `row`: move the data set there.
    void setCurrentRow(int row);
    // Rebuilds the columns from the fields (after visibility or order changes).
    void resetColumns();

signals:
    // The data set moved to `row`: the grid should follow.
    void currentRowChanged(int row);
    // An edit was refused (validation, engine error); the message is the error's text.
    void editFailed(const QString &message);

private:
    void rebuild();
    QPointer<DataSet> m_ds;
    QList<Field *> m_columns;
    QString m_lastError;
    bool m_syncing = false;
};

} // namespace orv::db
