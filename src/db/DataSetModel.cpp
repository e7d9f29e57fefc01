#include "db/DataSetModel.h"

namespace orv::db {

DataSetModel::DataSetModel(DataSet *dataSet, QObject *parent) : QAbstractTableModel(parent), m_ds(dataSet)
{
    rebuild();
    if (!m_ds)
        return;
    connect(m_ds, &DataSet::rowsReset, this, [this] {
        beginResetModel();
        rebuild();
        endResetModel();
    });
    connect(m_ds, &DataSet::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount() && !m_columns.isEmpty())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(m_ds, &DataSet::rowAboutToBeInserted, this, [this](int row) {
        beginInsertRows(QModelIndex(), row, row);
    });
    connect(m_ds, &DataSet::rowInserted, this, [this](int) { endInsertRows(); });
    connect(m_ds, &DataSet::rowAboutToBeRemoved, this, [this](int row) {
        beginRemoveRows(QModelIndex(), row, row);
    });
    connect(m_ds, &DataSet::rowRemoved, this, [this](int) { endRemoveRows(); });
    connect(m_ds, &DataSet::currentRowChanged, this, [this](int row) {
        if (!m_syncing)
            emit currentRowChanged(row);
    });
}

void DataSetModel::rebuild()
{
    m_columns.clear();
    if (!m_ds)
        return;
    for (Field *f : m_ds->fields())
        if (f->isVisible() && f->isActive())
            m_columns << f;
}

void DataSetModel::resetColumns()
{
    beginResetModel();
    rebuild();
    endResetModel();
}

Field *DataSetModel::fieldAt(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns[column] : nullptr;
}

int DataSetModel::columnOf(const QString &fieldName) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i]->name().compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_ds)
        return 0;
    return m_ds->recordCount();
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    Field *f = fieldAt(index.column());
    if (!f || !m_ds || index.row() < 0 || index.row() >= m_ds->recordCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return f->displayText(m_ds->valueAt(index.row(), f->index()));
    case Qt::EditRole:
        return f->editText(m_ds->valueAt(index.row(), f->index()));
    case ValueRole:
        return m_ds->valueAt(index.row(), f->index());
    case Qt::TextAlignmentRole:
        if (f->isNumeric())
            return QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    case WidthRole:
        return f->displayWidth();
    default:
        return QVariant();
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    Field *f = fieldAt(section);
    if (!f)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return f->displayLabel();
    case WidthRole: return f->displayWidth();
    case FieldNameRole: return f->name();
    default: return QVariant();
    }
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags fl = QAbstractTableModel::flags(index);
    Field *f = fieldAt(index.column());
    if (f && m_ds && m_ds->canModify() && !f->isReadOnly()
        && (f->kind() == FieldKind::Data || f->kind() == FieldKind::Lookup))
        fl |= Qt::ItemIsEditable;
    return fl;
}

bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !m_ds)
        return false;
    Field *f = fieldAt(index.column());
    if (!f)
        return false;
    m_lastError.clear();
    try {
        m_ds->setRecNo(index.row());
        if (!m_ds->edit())
            return false;
        if (value.typeId() == QMetaType::QString)
            f->setText(value.toString());
        else
            f->setValue(value);
        if (!m_ds->post())
            return false;
        return true;
    } catch (const std::exception &e) {
        // A refused value leaves the row as it was; the grid shows the message.
        m_lastError = QString::fromUtf8(e.what());
        if (const auto *db = dynamic_cast<const DbError *>(&e))
            m_lastError = db->text();
        if (m_ds->isEditing())
            m_ds->cancel();
        emit editFailed(m_lastError);
        return false;
    }
}

int DataSetModel::currentRow() const
{
    return m_ds ? m_ds->recNo() : -1;
}

void DataSetModel::setCurrentRow(int row)
{
    if (!m_ds || row == m_ds->recNo())
        return;
    m_syncing = true;
    try {
        m_ds->setRecNo(row);
    } catch (const std::exception &e) {
        m_lastError = QString::fromUtf8(e.what());
        emit editFailed(m_lastError);
    }
    m_syncing = false;
}

} // namespace orv::db
