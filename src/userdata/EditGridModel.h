#pragma once
// A grid model over an editable data set whose changes stay pending until they are posted:
// a typed cell puts the row into editing and stores the value in the row being edited; the
// row is posted when the grid moves to another row or the window posts it. A row being
// inserted (always appended) stands below the stored rows. Lookup and read-only columns are
// shown but not typed into (their values come from pickers and dialogs). Numbers are shown
// and edited as they are stored, never rounded to a display mask: what is typed back from a
// cell is what was there.

#include "db/DataSet.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>

#include <functional>


namespace orv::userdata {

class EditGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // `fields`: the columns in order (names of fields of the data set).
    EditGridModel(db::DataSet *dataSet, const QStringList &fields, QObject *parent = nullptr);

    db::DataSet *dataSet() const { return m_ds; }
    db::Field *fieldAt(int column) const;
    int columnOf(const QString &field) const;
    // The grid row of the data set's current row (the row being inserted while inserting).
    int currentRow() const;
    // The grid row of the row being inserted, -1 when none.
    int insertRow() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The value of a cell as it is stored (the pending value on the row being edited).
    QVariant rawValue(int row, int column) const;
    // Why `value` may not go into the cell (empty: it may). `value` is a typed text or a value.
    QString refusal(const QModelIndex &index, const QVariant &value) const;
    // Checks a value before it goes into a cell: returns why it is refused, empty when it may
    // go in. The value is already read as a number for numeric fields (null when empty).
    std::function<QString(int row, int column, const QVariant &value)> check;

public slots:
    // The grid moved to `row`: a pending change of another row is posted first.
    void setCurrentRow(int row);

signals:
    void currentRowChanged(int row);
    // A change was refused or a post failed; the row stays as the user left it.
    void editFailed(const QString &message);

private:
    QVariant typedValue(const db::Field &f, const QVariant &value) const;
    void sync();
    QPointer<db::DataSet> m_ds;
    QStringList m_fieldNames;
    int m_rows = 0;
    bool m_syncing = false;
};

// The cell editor of an EditGridModel grid: a refused value is said, and the cell opens again
// with the text as it was typed, whatever closed the editor (Enter, Tab, a click elsewhere).
class CheckedCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    mutable QPersistentModelIndex m_refusedCell;
    mutable QString m_refusedText;
};

// The text of an exception the way the windows show it (the engine's message for DbError).
QString errorText(const std::exception &e);
// What a lost server connection means to the own-material windows and actions.
QString lostConnectionText();

} // namespace orv::userdata
