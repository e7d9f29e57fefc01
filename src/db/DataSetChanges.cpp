// Changing rows: edit, insert, post and delete, each write checked against the row as it
// was read so that a colleague's change is refused, never overwritten unseen.
#include "db/DataSet.h"
#include "db/DataSetPrivate.h"

#include "db/ChangeConflict.h"
#include "db/ServerAudit.h"

namespace orv::db {

namespace {

// Runs one step of a change; false when a hook cancelled it silently (Abort).
template <class Step>
bool unlessAborted(Step &&step)
{
    try {
        step();
    } catch (const Abort &) {
        return false;
    }
    return true;
}

// Columns the server fills itself are neither written nor compared.
bool writtenColumn(const QStringList &tableColumns, const QString &col)
{
    if (isServerKeptColumn(col))
        return false;
    for (const QString &c : tableColumns)
        if (sameName(c, col))
            return true;
    return false;
}

} // namespace

// ---------------------------------------------------------------- changes

void DataSet::checkBrowseMode()
{
    if (isEditing())
        post();
}

void DataSet::startRow(bool appendAtEnd)
{
    if (!isOpen())
        throw DbError(QStringLiteral("Data set %1 není otevřen.").arg(m_name));
    if (!canModify() || m_updateTable.isEmpty())
        throw DbError(QStringLiteral("Data set %1 nelze měnit.").arg(m_name));
    checkBrowseMode();
    if (hooks.beforeInsert)
        hooks.beforeInsert(*this);
    m_buffer.assign(size_t(m_cols), QVariant());
    for (Field *f : m_fieldOrder)
        if (f->m_kind == FieldKind::Data && f->m_column >= 0 && !f->m_default.isNull())
            m_buffer[size_t(f->m_column)] = f->m_default;
    m_insertAppends = appendAtEnd;
    m_editRow = appendAtEnd ? recordCount() : std::max(m_cur, 0);
    m_state = DataSetState::Insert;
    m_modified = false;
    emit stateChanged(m_state);
    try {
        if (hooks.onNewRecord)
            hooks.onNewRecord(*this);
        if (hooks.afterInsert)
            hooks.afterInsert(*this);
    } catch (...) {
        // Scope guard: a new row whose hooks failed is dropped; the error goes on.
        cancel();
        throw;
    }
    refreshDetails();
}

bool DataSet::append()
{
    return unlessAborted([this] { startRow(true); });
}

bool DataSet::insert()
{
    return unlessAborted([this] { startRow(false); });
}

bool DataSet::edit()
{
    if (!isOpen())
        throw DbError(QStringLiteral("Data set %1 není otevřen.").arg(m_name));
    if (isEditing())
        return true;
    if (!canModify() || m_updateTable.isEmpty())
        throw DbError(QStringLiteral("Data set %1 nelze měnit.").arg(m_name));
    if (m_cur < 0)
        return append();
    if (!unlessAborted([this] { if (hooks.beforeEdit) hooks.beforeEdit(*this); }))
        return false;
    const int stored = rowOf(m_cur);
    m_buffer.assign(m_data.data() + qsizetype(stored) * m_cols, m_data.data() + qsizetype(stored + 1) * m_cols);
    m_editRow = m_cur;
    m_state = DataSetState::Edit;
    m_modified = false;
    emit stateChanged(m_state);
    if (!unlessAborted([this] { if (hooks.afterEdit) hooks.afterEdit(*this); })) {
        cancel();
        return false;
    }
    return true;
}

void DataSet::cancel()
{
    if (!isEditing())
        return;
    if (hooks.beforeCancel)
        hooks.beforeCancel(*this);
    const bool wasInsert = m_state == DataSetState::Insert;
    m_state = DataSetState::Browse;
    m_buffer.clear();
    m_modified = false;
    emit stateChanged(m_state);
    if (m_cur >= 0)
        emit rowChanged(m_cur);
    if (wasInsert)
        refreshDetails();
}

void DataSet::cutToWidths()
{
    for (Field *f : m_fieldOrder) {
        if (f->m_kind != FieldKind::Data || f->m_column < 0 || f->m_size <= 0)
            continue;
        QVariant &v = m_buffer[size_t(f->m_column)];
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString();
            if (s.size() > f->m_size)
                v = s.left(f->m_size);
        }
    }
}

void DataSet::writePost()
{
    const QString table = quoteIdent(m_updateTable);
    auto inTable = [this](const QString &col) { return writtenColumn(m_tableColumns, col); };
    if (m_state == DataSetState::Insert) {
        QStringList cols, marks;
        QVariantList vals;
        for (int i = 0; i < m_cols; ++i) {
            if (!inTable(m_columns[i]))
                continue;
            cols << quoteIdent(m_columns[i]);
            marks << QStringLiteral("?");
            vals << m_buffer[size_t(i)];
        }
        Statement st(*m_conn, QStringLiteral("insert into %1 (%2) values (%3)")
                                  .arg(table, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
        for (int i = 0; i < vals.size(); ++i)
            st.bind(i + 1, vals[i]);
        st.execute();
        m_conn->noteWriter(this);
        if (m_numberColumn >= 0)
            readServerStamps(m_buffer[size_t(m_numberColumn)]);
        return;
    }
    // Edit: the row is found by Number; the other original values tell apart rows that share
    // a Number (two rows started before either was posted get the same one).
    const int stored = rowOf(m_editRow);
    QStringList sets;
    QVariantList setVals;
    for (int i = 0; i < m_cols; ++i) {
        if (!inTable(m_columns[i]))
            continue;
        if (!sameValue(cell(stored, i), m_buffer[size_t(i)])
            || cell(stored, i).typeId() != m_buffer[size_t(i)].typeId()) {
            if (sameValue(cell(stored, i), m_buffer[size_t(i)]))
                continue;
            sets << quoteIdent(m_columns[i]) + QStringLiteral(" = ?");
            setVals << m_buffer[size_t(i)];
        }
    }
    if (sets.isEmpty())
        return;
    QStringList where;
    QVariantList whereVals;
    if (m_numberColumn >= 0) {
        where << quoteIdent(m_columns[m_numberColumn]) + QStringLiteral(" is not distinct from ?");
        whereVals << cell(stored, m_numberColumn);
    }
    for (int i = 0; i < m_cols; ++i) {
        if (i == m_numberColumn || !inTable(m_columns[i]))
            continue;
        where << quoteIdent(m_columns[i]) + QStringLiteral(" is not distinct from ?");
        whereVals << cell(stored, i);
    }
    Statement st(*m_conn, QStringLiteral("update %1 set %2 where rowid = (select rowid from %1 where %3 limit 1)")
                              .arg(table, sets.join(QStringLiteral(", ")), where.join(QStringLiteral(" and "))));
    int k = 1;
    for (const QVariant &v : setVals)
        st.bind(k++, v);
    for (const QVariant &v : whereVals)
        st.bind(k++, v);
    // The row is written only while it still holds every value that was read: a row another
    // session changed (or deleted) since is refused, never overwritten unseen.
    if (st.execute() != 1)
        refuseStaleRow(stored, true);
    m_conn->noteWriter(this);
    if (m_numberColumn >= 0)
        readServerStamps(m_buffer[size_t(m_numberColumn)]);
}

void DataSet::refuseStaleRow(int stored, bool editing)
{
    if (m_numberColumn < 0)
        throw ChangeConflict(m_updateTable, false);
    Statement st(*m_conn, QStringLiteral("select * from %1 where %2 is not distinct from ? limit 1")
                              .arg(quoteIdent(m_updateTable), quoteIdent(m_columns[m_numberColumn])));
    st.bind(1, cell(stored, m_numberColumn));
    if (!st.step())
        throw ChangeConflict(m_updateTable, true);
    // The row as it is now becomes the row as read, so that saving once more on purpose
    // overwrites; in the edit buffer only the values the user changed stay his.
    QVariant who, when;
    QVariant *row = m_data.data() + qsizetype(stored) * m_cols;
    for (int c = 0; c < st.columnCount(); ++c) {
        const QString name = st.columnName(c);
        QVariant fresh = st.value(c);
        if (sameName(name, changedByColumn()))
            who = fresh;
        else if (sameName(name, changedAtColumn()))
            when = fresh;
        int i = 0;
        while (i < m_cols && !sameName(m_columns[i], name))
            ++i;
        if (i == m_cols)
            continue;
        if (row[i].typeId() == QMetaType::Bool && !fresh.isNull())
            fresh = QVariant(fresh.toBool());
        if (editing && size_t(i) < m_buffer.size() && sameValue(m_buffer[size_t(i)], row[i]))
            m_buffer[size_t(i)] = fresh;
        row[i] = fresh;
    }
    invalidateIndexes();
    for (int r = 0; r < recordCount(); ++r)
        if (rowOf(r) == stored) {
            emit rowChanged(r);
            break;
        }
    throw ChangeConflict(m_updateTable, false, changeStamp(who, when));
}

// After a write the server has filled in who changed the row and when; memory follows.
void DataSet::readServerStamps(const QVariant &number)
{
    int byCol = -1, atCol = -1;
    for (int i = 0; i < m_cols; ++i) {
        if (sameName(m_columns[i], changedByColumn()))
            byCol = i;
        else if (sameName(m_columns[i], changedAtColumn()))
            atCol = i;
    }
    if (byCol < 0 || atCol < 0 || m_numberColumn < 0)
        return;
    Statement st(*m_conn, QStringLiteral("select %1, %2 from %3 where %4 is not distinct from ? limit 1")
                              .arg(quoteIdent(m_columns[byCol]), quoteIdent(m_columns[atCol]), quoteIdent(m_updateTable),
                                   quoteIdent(m_columns[m_numberColumn])));
    st.bind(1, number);
    if (st.step()) {
        m_buffer[size_t(byCol)] = st.value(0);
        m_buffer[size_t(atCol)] = st.value(1);
    }
}

bool DataSet::post()
{
    if (!isEditing())
        return true;
    Transaction tx(*m_conn);
    if (!unlessAborted([this] { if (hooks.beforePost) hooks.beforePost(*this); }))
        return false;
    cutToWidths();
    writePost();
    tx.commit();

    // The file holds the row now; bring memory in step.
    const bool wasInsert = m_state == DataSetState::Insert;
    int viewRow = m_editRow;
    if (wasInsert) {
        int storedPos;
        if (m_insertAppends || m_editRow >= recordCount())
            storedPos = storedRowCount();
        else
            storedPos = rowOf(m_editRow);
        emit rowAboutToBeInserted(m_useView ? std::clamp(m_editRow, 0, int(m_view.size())) : storedPos);
        const qsizetype at = qsizetype(storedPos) * m_cols;
        m_data.insertGap(at, m_cols);
        std::move(m_buffer.begin(), m_buffer.end(), m_data.data() + at);
        if (m_useView) {
            for (int &r : m_view)
                if (r >= storedPos)
                    ++r;
            viewRow = std::clamp(m_editRow, 0, int(m_view.size()));
            m_view.insert(m_view.begin() + viewRow, storedPos);
        } else {
            viewRow = storedPos;
        }
    } else {
        const int stored = rowOf(m_editRow);
        std::move(m_buffer.begin(), m_buffer.end(), m_data.data() + qsizetype(stored) * m_cols);
    }
    invalidateIndexes();
    m_buffer.clear();
    m_state = DataSetState::Browse;
    m_modified = false;
    m_cur = viewRow;
    m_bof = m_eof = false;
    emit stateChanged(m_state);
    if (wasInsert)
        emit rowInserted(viewRow);
    else
        emit rowChanged(viewRow);
    if (hooks.afterPost)
        hooks.afterPost(*this);
    emit currentRowChanged(m_cur);
    refreshDetails();
    return true;
}

void DataSet::writeDelete()
{
    const int stored = rowOf(m_cur);
    QStringList where;
    QVariantList vals;
    auto inTable = [this](const QString &col) { return writtenColumn(m_tableColumns, col); };
    for (int i = 0; i < m_cols; ++i) {
        if (!inTable(m_columns[i]))
            continue;
        where << quoteIdent(m_columns[i]) + QStringLiteral(" is not distinct from ?");
        vals << cell(stored, i);
    }
    const QString table = quoteIdent(m_updateTable);
    Statement st(*m_conn, QStringLiteral("delete from %1 where rowid = (select rowid from %1 where %2 limit 1)")
                              .arg(table, where.join(QStringLiteral(" and "))));
    for (int i = 0; i < vals.size(); ++i)
        st.bind(i + 1, vals[i]);
    if (st.execute() != 1)
        refuseStaleRow(stored, false);
    m_conn->noteWriter(this);
}

bool DataSet::remove()
{
    if (!isOpen())
        throw DbError(QStringLiteral("Data set %1 není otevřen.").arg(m_name));
    if (m_state == DataSetState::Insert) {
        cancel();
        return true;
    }
    if (!canModify() || m_updateTable.isEmpty())
        throw DbError(QStringLiteral("Data set %1 nelze měnit.").arg(m_name));
    if (m_cur < 0)
        return false;
    if (m_state == DataSetState::Edit)
        cancel();
    Transaction tx(*m_conn);
    if (!unlessAborted([this] { if (hooks.beforeDelete) hooks.beforeDelete(*this); }))
        return false;
    if (m_cur < 0)
        throw DbError(QStringLiteral("Data set %1: mazaný záznam zmizel.").arg(m_name));
    writeDelete();
    tx.commit();

    const int viewRow = m_cur;
    const int stored = rowOf(viewRow);
    emit rowAboutToBeRemoved(viewRow);
    m_data.erase(qsizetype(stored) * m_cols, m_cols);
    if (m_useView) {
        m_view.erase(m_view.begin() + viewRow);
        for (int &r : m_view)
            if (r > stored)
                --r;
    }
    invalidateIndexes();
    emit rowRemoved(viewRow);
    const int n = recordCount();
    m_cur = n == 0 ? -1 : std::min(viewRow, n - 1);
    m_bof = m_cur <= 0;
    m_eof = n == 0 || viewRow >= n;
    if (hooks.afterDelete)
        hooks.afterDelete(*this);
    afterScrollEvent();
    return true;
}

} // namespace orv::db
