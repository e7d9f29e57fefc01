#include "userdata/EditGridModel.h"

#include "db/ChangeConflict.h"
#include "db/DataSet.h"
#include "db/DbError.h"
#include "db/Field.h"
#include "db/FieldFormat.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTimer>

namespace orv::userdata {

QString errorText(const std::exception &e)
{
    if (const auto *db = dynamic_cast<const db::DbError *>(&e)) {
        // Own materials are changed inside one transaction per window or action: a broken
        // session has taken back all of it, not only the last step (an unknown commit
        // outcome says so in its own words).
        if (db->kind() == db::DbErrorKind::ConnectionLost && !dynamic_cast<const db::CommitOutcomeUnknown *>(&e))
            return lostConnectionText() + QStringLiteral("\n\nPodrobnosti: ") + db->message();
        return db->text();
    }
    return QString::fromUtf8(e.what());
}

QString lostConnectionText()
{
    return QStringLiteral("Spojení s databázovým serverem se přerušilo. Nic z této úpravy nebylo uloženo: server "
                          "ji při ztrátě spojení celou vzal zpět. Co jste zapsali, zůstává v okně, abyste si to "
                          "mohli opsat; okno zavřete tlačítkem Storno a po obnovení spojení úpravu proveďte znovu.");
}

EditGridModel::EditGridModel(db::DataSet *dataSet, const QStringList &fields, QObject *parent)
    : QAbstractTableModel(parent), m_ds(dataSet), m_fieldNames(fields)
{
    m_rows = rowCount();
    if (!m_ds)
        return;
    connect(m_ds, &db::DataSet::rowsReset, this, [this] {
        beginResetModel();
        m_rows = rowCount();
        endResetModel();
        emit currentRowChanged(currentRow());
    });
    for (auto sig : {&db::DataSet::rowInserted, &db::DataSet::rowRemoved})
        connect(m_ds, sig, this, [this](int) { sync(); });
    connect(m_ds, &db::DataSet::stateChanged, this, [this] { sync(); });
    connect(m_ds, &db::DataSet::rowChanged, this, [this](int) {
        if (m_rows > 0 && !m_fieldNames.isEmpty())
            emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
    });
    connect(m_ds, &db::DataSet::currentRowChanged, this, [this](int) {
        if (!m_syncing)
            emit currentRowChanged(currentRow());
    });
}

void EditGridModel::sync()
{
    const int rows = rowCount();
    if (rows != m_rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
        emit currentRowChanged(currentRow());
    } else if (m_rows > 0 && !m_fieldNames.isEmpty()) {
        emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
    }
}

db::Field *EditGridModel::fieldAt(int column) const
{
    if (!m_ds || column < 0 || column >= m_fieldNames.size())
        return nullptr;
    return m_ds->findField(m_fieldNames.at(column));
}

int EditGridModel::columnOf(const QString &field) const
{
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (m_fieldNames.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int EditGridModel::insertRow() const
{
    if (!m_ds || m_ds->state() != db::DataSetState::Insert)
        return -1;
    return m_ds->recordCount();
}

int EditGridModel::currentRow() const
{
    const int ins = insertRow();
    if (ins >= 0)
        return ins;
    return m_ds ? m_ds->recNo() : -1;
}

int EditGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_ds || !m_ds->isOpen())
        return 0;
    return m_ds->recordCount() + (insertRow() >= 0 ? 1 : 0);
}

int EditGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fieldNames.size());
}

QVariant EditGridModel::data(const QModelIndex &index, int role) const
{
    db::Field *f = fieldAt(index.column());
    if (!f || index.row() < 0 || index.row() >= rowCount())
        return QVariant();
    // The row being edited or inserted shows its pending values.
    const bool pending = m_ds->isEditing() && index.row() == currentRow();
    const QVariant v = pending ? f->value() : m_ds->valueAt(index.row(), f->index());
    const bool number = f->isNumeric() && !v.isNull() && v.canConvert<double>();
    switch (role) {
    case Qt::DisplayRole:
        return number ? db::formatGeneral(v.toDouble()) : f->displayText(v);
    case Qt::EditRole:
        return number ? db::formatGeneral(v.toDouble()) : f->editText(v);
    case Qt::TextAlignmentRole:
        return QVariant(int((f->isNumeric() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    default:
        return QVariant();
    }
}

QVariant EditGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    db::Field *f = fieldAt(section);
    if (!f || role != Qt::DisplayRole)
        return QVariant();
    return f->displayLabel();
}

Qt::ItemFlags EditGridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags fl = QAbstractTableModel::flags(index);
    db::Field *f = fieldAt(index.column());
    if (f && m_ds && m_ds->canModify() && !f->isReadOnly() && f->kind() == db::FieldKind::Data)
        fl |= Qt::ItemIsEditable;
    return fl;
}

bool EditGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    db::Field *f = fieldAt(index.column());
    if (role != Qt::EditRole || !f || !m_ds)
        return false;
    if (const QString why = refusal(index, value); !why.isEmpty()) {
        emit editFailed(why);
        return false;
    }
    try {
        if (!(m_ds->isEditing() && index.row() == currentRow())) {
            setCurrentRow(index.row());
            if (!m_ds->isEditing() && !m_ds->edit())
                return false;
        }
        if (value.typeId() == QMetaType::QString)
            f->setText(value.toString());
        else
            f->setValue(value);
        emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(columnCount() - 1));
        return true;
    } catch (const std::exception &e) {
        emit editFailed(errorText(e));
        return false;
    }
}

QVariant EditGridModel::rawValue(int row, int column) const
{
    db::Field *f = fieldAt(column);
    if (!f || row < 0 || row >= rowCount())
        return QVariant();
    if (m_ds->isEditing() && row == currentRow())
        return f->value();
    return m_ds->valueAt(row, f->index());
}

// A typed text as the field will read it: empty is null, a number is a number; anything
// else is left for the field to refuse in its own words.
QVariant EditGridModel::typedValue(const db::Field &f, const QVariant &value) const
{
    if (value.typeId() != QMetaType::QString || !f.isNumeric())
        return value;
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return QVariant();
    bool ok = false;
    const double d = db::parseNumber(text, &ok);
    return ok ? QVariant(d) : value;
}

QString EditGridModel::refusal(const QModelIndex &index, const QVariant &value) const
{
    db::Field *f = fieldAt(index.column());
    if (!check || !f)
        return QString();
    return check(index.row(), index.column(), typedValue(*f, value));
}

void EditGridModel::setCurrentRow(int row)
{
    if (!m_ds || row < 0 || row == currentRow())
        return;
    m_syncing = true;
    try {
        // Leaving a pending row posts it; a failed post keeps the grid on it.
        if (m_ds->isEditing())
            m_ds->post();
        if (row < m_ds->recordCount())
            m_ds->setRecNo(row);
    } catch (const std::exception &e) {
        m_syncing = false;
        emit editFailed(errorText(e));
        emit currentRowChanged(currentRow());
        return;
    }
    m_syncing = false;
}

void CheckedCellDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (line && m_refusedCell.isValid() && m_refusedCell == index) {
        line->setText(m_refusedText);
        m_refusedCell = QPersistentModelIndex();
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void CheckedCellDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *grid = qobject_cast<EditGridModel *>(model);
    auto *line = qobject_cast<QLineEdit *>(editor);
    auto *view = qobject_cast<QAbstractItemView *>(parent());
    const QString why = grid && line ? grid->refusal(index, line->text()) : QString();
    if (why.isEmpty() || !view) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    // The editor is closing; once it is gone the reason is said and the cell opens again
    // with what was typed.
    m_refusedCell = index;
    m_refusedText = line->text();
    QPointer<QAbstractItemView> guard(view);
    QPersistentModelIndex cell(index);
    QTimer::singleShot(0, view, [this, guard, grid, cell, why] {
        emit grid->editFailed(why);
        if (!guard || !cell.isValid()) {
            m_refusedCell = QPersistentModelIndex();
            return;
        }
        guard->setCurrentIndex(cell);
        guard->setFocus();
        guard->edit(cell);
    });
}

} // namespace orv::userdata
