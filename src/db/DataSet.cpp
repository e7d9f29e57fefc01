// Loading a data set (open, close, refresh, fields, values, moving, the master's details).
// Locating and filtering rows live in DataSetLocate.cpp, changing them in DataSetChanges.cpp.
#include "db/DataSet.h"
#include "db/DataSetPrivate.h"

#include "db/Schema.h"

#include "db/engine/Engine.h"

#include <QHash>
#include <QRegularExpression>

namespace orv::db {

namespace {

FieldType typeFromDecl(const QString &decl)
{
    const QString d = decl.toUpper();
    if (d.isEmpty())
        return FieldType::Unknown;
    if (d.contains(u"BOOL"))
        return FieldType::Boolean;
    if (d.contains(u"INT"))
        return FieldType::Integer;
    if (d.contains(u"REAL") || d.contains(u"FLOA") || d.contains(u"DOUB") || d.contains(u"NUM"))
        return FieldType::Float;
    if (d.contains(u"CHAR") || d.contains(u"TEXT") || d.contains(u"CLOB"))
        return FieldType::String;
    return FieldType::Unknown;
}

FieldType typeFromValue(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong: return FieldType::Integer;
    case QMetaType::Double: return FieldType::Float;
    case QMetaType::QString: return FieldType::String;
    case QMetaType::Bool: return FieldType::Boolean;
    default: return FieldType::Unknown;
    }
}

const QVariant kNull;

} // namespace

// ---------------------------------------------------------------- Record

QVariant Record::value(const QString &name) const
{
    return m_ds->storedValue(m_ds->fieldByName(name), m_stored);
}

QVariant Record::value(int fieldIndex) const
{
    Field *f = m_ds->field(fieldIndex);
    return f ? m_ds->storedValue(*f, m_stored) : QVariant();
}

// ---------------------------------------------------------------- construction

DataSet::DataSet(const QString &name, Connection *connection, QObject *parent)
    : QObject(parent), m_name(name), m_conn(connection)
{
    setObjectName(name);
}

DataSet::~DataSet()
{
    if (m_master)
        m_master->detachDetail(this);
    for (const auto &d : m_details)
        if (d)
            d->m_master = nullptr;
}

void DataSet::setConnection(Connection *connection)
{
    if (isOpen())
        close();
    m_conn = connection;
}

void DataSet::setSql(const QStringList &lines)
{
    if (isOpen())
        close();
    m_sql = lines;
}

void DataSet::setSql(const QString &text)
{
    setSql(text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r"))));
}

QString DataSet::statementText() const
{
    if (!isTable())
        return m_sql.join(u'\n');
    QString s = QStringLiteral("select * from ") + quoteIdent(m_table);
    QStringList conds;
    if (!m_rangeField.isEmpty()) {
        if (!m_rangeFrom.isNull())
            conds << quoteIdent(m_rangeField) + QStringLiteral(" >= :orv_range_from");
        if (!m_rangeTo.isNull())
            conds << quoteIdent(m_rangeField) + QStringLiteral(" <= :orv_range_to");
    }
    if (!conds.isEmpty())
        s += QStringLiteral(" where ") + conds.join(QStringLiteral(" and "));
    QStringList order;
    const TableDef *tableDef = orv::db::table(m_table);
    for (const QString &f : m_indexFields) {
        // An index over a text column orders as the code page did.
        const ColumnDef *c = tableDef ? tableDef->column(f) : nullptr;
        const bool text = c && (c->type == ColumnType::Alpha || c->type == ColumnType::Memo);
        order << quoteIdent(f) + (text ? QStringLiteral(" collate CP1250") : QString());
    }
    if (order.isEmpty()) {
        const TableDef *def = orv::db::table(m_table);
        const ColumnDef *num = def ? def->column(QStringLiteral("Number")) : nullptr;
        order << (num ? quoteIdent(num->name) : QStringLiteral("rowid"));
    }
    s += QStringLiteral(" order by ") + order.join(QStringLiteral(", "));
    return s;
}

void DataSet::setParam(const QString &name, const QVariant &value)
{
    const QString n = name.startsWith(u':') ? name.mid(1) : name;
    for (auto it = m_params.begin(); it != m_params.end(); ++it)
        if (sameName(it.key(), n)) {
            it.value() = value;
            return;
        }
    m_params.insert(n, value);
}

QVariant DataSet::param(const QString &name) const
{
    const QString n = name.startsWith(u':') ? name.mid(1) : name;
    for (auto it = m_params.begin(); it != m_params.end(); ++it)
        if (sameName(it.key(), n))
            return it.value();
    return QVariant();
}

void DataSet::setTableName(const QString &table)
{
    if (isOpen())
        close();
    QString t = table;
    const qsizetype dot = t.lastIndexOf(u'.');
    if (dot > 0)
        t = t.left(dot);
    if (const TableDef *def = orv::db::table(t))
        t = def->name;
    m_table = t;
}

void DataSet::setIndexName(const QString &indexName)
{
    m_indexName = indexName;
    QStringList fields;
    if (!indexName.isEmpty()) {
        const TableDef *def = orv::db::table(m_table);
        if (!def)
            throw DbError(QStringLiteral("Neznámá tabulka %1.").arg(m_table));
        bool found = false;
        for (const IndexDef &ix : def->indexes)
            if (sameName(ix.name, indexName)) {
                fields = ix.columns;
                found = true;
                break;
            }
        if (!found)
            throw DbError(QStringLiteral("Tabulka %1 nemá index %2.").arg(m_table, indexName));
    }
    setIndexFieldNames(fields);
}

void DataSet::setIndexFieldNames(const QStringList &fields)
{
    m_indexFields = fields;
    if (isOpen())
        refresh();
}

void DataSet::setRange(const QString &field, const QVariant &from, const QVariant &to)
{
    m_rangeField = field;
    m_rangeFrom = from;
    m_rangeTo = to;
    if (isOpen())
        refresh();
}

void DataSet::cancelRange()
{
    m_rangeField.clear();
    m_rangeFrom = m_rangeTo = QVariant();
    if (isOpen())
        refresh();
}

bool DataSet::canModify() const
{
    if (m_readOnly)
        return false;
    if (isTable())
        return true;
    return m_editable;
}

QString DataSet::updateTable() const
{
    return canModify() ? m_updateTable : QString();
}

// ---------------------------------------------------------------- open, close, load

QVariantMap DataSet::masterParams() const
{
    QVariantMap out = m_params;
    if (m_master) {
        // Every parameter named like a master field takes that field's current value.
        static const QRegularExpression re(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
        auto it = re.globalMatch(statementText());
        while (it.hasNext()) {
            const QString name = it.next().captured(1);
            if (!m_master->isOpen()) {
                out.insert(name, QVariant());
                continue;
            }
            if (Field *f = m_master->findField(name))
                out.insert(name, f->value());
        }
    }
    if (isTable()) {
        out.insert(QStringLiteral("orv_range_from"), m_rangeFrom);
        out.insert(QStringLiteral("orv_range_to"), m_rangeTo);
    }
    return out;
}

void DataSet::load()
{
    if (!m_conn)
        throw DbError(QStringLiteral("Data set %1 nemá databázové spojení.").arg(m_name));
    if (!m_conn->isOpen())
        throw DbError(QStringLiteral("Databáze není otevřena."), m_conn->mainFile());
    engine::StatementGuard guard(m_conn->m_session.get(), m_conn->inTransaction());
    Statement st(*m_conn, statementText());
    st.bindAll(masterParams());

    const int cols = st.columnCount();
    QStringList names;
    QList<FieldType> types;
    QHash<QString, int> seen;
    for (int i = 0; i < cols; ++i) {
        QString n = st.columnName(i);
        // A second column of the same name (a join selected with "*") becomes Name_1, Name_2.
        const QString key = n.toLower();
        const int count = seen.value(key, 0);
        seen.insert(key, count + 1);
        if (count > 0) {
            QString candidate;
            int k = count;
            do {
                candidate = n + QLatin1Char('_') + QString::number(k++);
            } while (seen.contains(candidate.toLower()));
            seen.insert(candidate.toLower(), 1);
            n = candidate;
        }
        names << n;
        types << typeFromDecl(st.columnDeclType(i));
    }

    CellStore data;
    data.reserve(qsizetype(cols) * std::max(256, m_rowHint + m_rowHint / 8 + 1));
    std::vector<char> boolCol(size_t(cols), 0);
    for (int i = 0; i < cols; ++i)
        boolCol[size_t(i)] = types[i] == FieldType::Boolean;
    const engine::Cursor *cursor = st.m_cursor;
    while (st.step())
        cursor->appendRow(data, boolCol.data());
    guard.done();
    // Expression columns take their type from the first value that is not null.
    const size_t rows = cols ? size_t(data.size()) / size_t(cols) : 0;
    for (int i = 0; i < cols; ++i) {
        if (types[i] != FieldType::Unknown)
            continue;
        for (size_t r = 0; r < rows; ++r) {
            const QVariant &v = data[r * size_t(cols) + size_t(i)];
            if (!v.isNull()) {
                types[i] = typeFromValue(v);
                break;
            }
        }
    }

    m_cols = cols;
    m_columns = names;
    m_data.swap(data);
    m_rowHint = int(rows);
    invalidateIndexes();
    bindFields(names, types);
    ensureUpdateTable();
    rebuildView();
}

void DataSet::bindFields(const QStringList &columns, const QList<FieldType> &types)
{
    for (auto &f : m_fields)
        if (f->m_kind == FieldKind::Data)
            f->m_column = -1;
    const TableDef *def = isTable() ? orv::db::table(m_table) : nullptr;
    if (!def && !m_updateTable.isEmpty())
        def = orv::db::table(m_updateTable);
    if (!def && !isTable()) {
        static const QRegularExpression re(QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*(?:$|where\\b|order\\b)"),
                                           QRegularExpression::CaseInsensitiveOption);
        const auto m = re.match(m_sql.join(u' ').simplified());
        if (m.hasMatch())
            def = orv::db::table(m.captured(1));
    }
    for (int i = 0; i < columns.size(); ++i) {
        Field *f = nullptr;
        for (auto &e : m_fields)
            if (e->m_kind == FieldKind::Data && e->m_column < 0 && sameName(e->m_name, columns[i])) {
                f = e.get();
                break;
            }
        if (!f) {
            m_fields.push_back(std::unique_ptr<Field>(new Field(this, columns[i], FieldKind::Data)));
            f = m_fields.back().get();
        }
        f->m_column = i;
        f->m_type = types[i];
        if (def) {
            if (const ColumnDef *c = def->column(columns[i])) {
                if (c->type == ColumnType::Alpha && f->m_size == 0)
                    f->m_size = c->width;
                if (c->type == ColumnType::Memo)
                    f->m_type = FieldType::Memo;
                if (f->m_type == FieldType::Unknown) {
                    switch (c->type) {
                    case ColumnType::Integer: f->m_type = FieldType::Integer; break;
                    case ColumnType::Number: f->m_type = FieldType::Float; break;
                    case ColumnType::Alpha: f->m_type = FieldType::String; break;
                    case ColumnType::Memo: f->m_type = FieldType::Memo; break;
                    case ColumnType::Logical: f->m_type = FieldType::Boolean; break;
                    }
                }
            }
        }
    }
    // Display order: result columns, then calculated and lookup fields, then the preferred order.
    m_fieldOrder.clear();
    for (int i = 0; i < columns.size(); ++i)
        for (auto &e : m_fields)
            if (e->m_kind == FieldKind::Data && e->m_column == i)
                m_fieldOrder.push_back(e.get());
    for (auto &e : m_fields)
        if (e->m_kind != FieldKind::Data)
            m_fieldOrder.push_back(e.get());
    if (!m_preferredOrder.isEmpty()) {
        std::vector<Field *> ordered;
        for (const QString &n : m_preferredOrder)
            for (Field *f : m_fieldOrder)
                if (sameName(f->m_name, n) && std::find(ordered.begin(), ordered.end(), f) == ordered.end())
                    ordered.push_back(f);
        for (Field *f : m_fieldOrder)
            if (std::find(ordered.begin(), ordered.end(), f) == ordered.end())
                ordered.push_back(f);
        m_fieldOrder.swap(ordered);
    }
    for (auto &e : m_fields)
        e->m_index = -1;
    for (size_t i = 0; i < m_fieldOrder.size(); ++i)
        m_fieldOrder[i]->m_index = int(i);
    m_numberColumn = -1;
    for (int i = 0; i < columns.size(); ++i)
        if (sameName(columns[i], QStringLiteral("Number"))) {
            m_numberColumn = i;
            break;
        }
}

void DataSet::ensureUpdateTable()
{
    m_updateTable.clear();
    m_tableColumns.clear();
    if (!canModify())
        return;
    QString t;
    if (isTable()) {
        t = m_table;
    } else {
        // A live query is a "select * from T" over one table, optionally with where/order by.
        static const QRegularExpression re(QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*(?:$|where\\b|order\\b)"),
                                           QRegularExpression::CaseInsensitiveOption);
        const auto m = re.match(m_sql.join(u' ').simplified());
        if (m.hasMatch())
            t = m.captured(1);
    }
    if (t.isEmpty())
        return;
    m_tableColumns = m_conn->tableColumns(t);
    if (!m_tableColumns.isEmpty())
        m_updateTable = t;
}

void DataSet::open()
{
    if (isOpen())
        return;
    load();
    m_state = DataSetState::Browse;
    m_modified = false;
    m_cur = recordCount() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = recordCount() == 0;
    emit stateChanged(m_state);
    if (hooks.afterOpen)
        hooks.afterOpen(*this);
    emit opened();
    emit rowsReset();
    afterScrollEvent();
}

void DataSet::close()
{
    if (!isOpen())
        return;
    if (hooks.beforeClose)
        hooks.beforeClose(*this);
    if (isEditing())
        cancel();
    m_state = DataSetState::Inactive;
    m_data.clear();
    m_view.clear();
    m_useView = false;
    m_cols = 0;
    m_columns.clear();
    m_cur = -1;
    m_eof = m_bof = true;
    m_buffer.clear();
    invalidateIndexes();
    for (auto &f : m_fields)
        if (f->m_kind == FieldKind::Data)
            f->m_column = -1;
    emit stateChanged(m_state);
    emit closed();
    emit rowsReset();
    refreshDetails();
}

void DataSet::refresh()
{
    if (!isOpen()) {
        open();
        return;
    }
    checkBrowseMode();
    QVariant number;
    const int oldCur = m_cur;
    if (m_numberColumn >= 0 && m_cur >= 0)
        number = cell(rowOf(m_cur), m_numberColumn);
    load();
    int target = -1;
    if (!number.isNull() && m_numberColumn >= 0) {
        for (int r = 0; r < recordCount(); ++r)
            if (sameValue(cell(rowOf(r), m_numberColumn), number)) {
                target = r;
                break;
            }
    }
    if (target < 0)
        target = std::min(std::max(oldCur, 0), recordCount() - 1);
    m_cur = target;
    m_bof = m_cur <= 0;
    m_eof = recordCount() == 0;
    emit rowsReset();
    afterScrollEvent();
}

void DataSet::reloadAfterRollback()
{
    if (!isOpen())
        return;
    const DataSetState state = m_state;
    std::vector<QVariant> buffer = m_buffer;
    const int editRow = m_editRow;
    const bool modified = m_modified;
    QVariant number;
    if (m_numberColumn >= 0 && m_cur >= 0 && m_cur < recordCount())
        number = cell(rowOf(m_cur), m_numberColumn);
    try {
        load();
    } catch (const DbError &) {
        return;
    }
    int target = -1;
    if (!number.isNull())
        for (int r = 0; r < recordCount(); ++r)
            if (sameValue(cell(rowOf(r), m_numberColumn), number)) {
                target = r;
                break;
            }
    if (target < 0)
        target = std::min(std::max(m_cur, 0), recordCount() - 1);
    m_cur = target;
    m_eof = recordCount() == 0;
    if (state == DataSetState::Edit || state == DataSetState::Insert) {
        // The row being posted keeps its typed values; the user may correct and post again.
        if (buffer.size() == size_t(m_cols)) {
            m_state = state;
            m_buffer = buffer;
            m_editRow = state == DataSetState::Edit ? m_cur : std::min(editRow, recordCount());
            m_modified = modified;
        } else {
            m_state = DataSetState::Browse;
            m_buffer.clear();
        }
    }
    emit rowsReset();
    emit currentRowChanged(m_cur);
}

void DataSet::rebuildView()
{
    m_view.clear();
    m_useView = m_filtered && m_filterExpr;
    if (!m_useView)
        return;
    const int rows = storedRowCount();
    m_view.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r)
        if (acceptsByFilter(r))
            m_view.push_back(r);
}

bool DataSet::acceptsByFilter(int storedRow) const
{
    if (!m_filterExpr)
        return true;
    return m_filterExpr->eval([this, storedRow](const QString &name) {
        return storedValue(fieldByName(name), storedRow);
    });
}

int DataSet::storedRowCount() const
{
    return m_cols > 0 ? int(m_data.size() / m_cols) : 0;
}

int DataSet::recordCount() const
{
    if (!isOpen())
        return 0;
    return m_useView ? int(m_view.size()) : storedRowCount();
}

const QVariant &DataSet::cell(int storedRow, int column) const
{
    if (storedRow < 0 || column < 0 || column >= m_cols || storedRow >= storedRowCount())
        return kNull;
    return m_data[qsizetype(storedRow) * m_cols + column];
}

// ---------------------------------------------------------------- values

QVariant DataSet::storedValue(const Field &f, int storedRow) const
{
    const bool current = storedRow == -1;
    switch (f.m_kind) {
    case FieldKind::Data:
        if (f.m_column < 0)
            return QVariant();
        if (current) {
            if (isEditing())
                return m_buffer[size_t(f.m_column)];
            if (m_cur < 0)
                return QVariant();
            return cell(rowOf(m_cur), f.m_column);
        }
        if (m_state == DataSetState::Edit && m_cur >= 0 && storedRow == rowOf(m_cur))
            return m_buffer[size_t(f.m_column)];
        return cell(storedRow, f.m_column);
    case FieldKind::Calculated:
        if (!f.m_calc || !isOpen())
            return QVariant();
        if (current && !isEditing() && m_cur < 0)
            return QVariant();
        return f.m_calc(Record(this, storedRow));
    case FieldKind::Lookup: {
        if (!f.m_lookupDs || !f.m_lookupDs->isOpen())
            return QVariant();
        if (current && !isEditing() && m_cur < 0)
            return QVariant();
        QVariantList keys;
        for (const QString &k : f.m_keyFields) {
            const QVariant v = storedValue(fieldByName(k), storedRow);
            if (v.isNull())
                return QVariant();
            keys << v;
        }
        const int row = f.m_lookupDs->find(f.m_lookupKeys.join(u';'), keys);
        if (row < 0)
            return QVariant();
        return f.m_lookupDs->valueAt(row, f.m_lookupResult);
    }
    }
    return QVariant();
}

QVariant DataSet::valueAt(int row, int fieldIndex) const
{
    Field *f = field(fieldIndex);
    if (!f || row < 0 || row >= recordCount())
        return QVariant();
    return storedValue(*f, rowOf(row));
}

QVariant DataSet::valueAt(int row, const QString &fieldName) const
{
    if (row < 0 || row >= recordCount())
        return QVariant();
    return storedValue(fieldByName(fieldName), rowOf(row));
}

QString DataSet::displayTextAt(int row, int fieldIndex) const
{
    Field *f = field(fieldIndex);
    if (!f)
        return QString();
    return f->displayText(valueAt(row, fieldIndex));
}

void DataSet::storeValue(Field &f, const QVariant &value)
{
    if (f.m_column < 0)
        throw DbError(QStringLiteral("Pole %1 není součástí otevřeného data setu %2.").arg(f.m_name, m_name));
    m_buffer[size_t(f.m_column)] = value;
    m_modified = true;
    if (m_state == DataSetState::Edit)
        emit rowChanged(m_cur);
}

// ---------------------------------------------------------------- fields

Field *DataSet::field(int index) const
{
    if (index < 0 || index >= int(m_fieldOrder.size()))
        return nullptr;
    return m_fieldOrder[size_t(index)];
}

Field *DataSet::findField(const QString &name) const
{
    for (Field *f : m_fieldOrder)
        if (sameName(f->m_name, name))
            return f;
    if (!isOpen())
        for (const auto &f : m_fields)
            if (sameName(f->m_name, name))
                return f.get();
    return nullptr;
}

Field &DataSet::fieldByName(const QString &name) const
{
    Field *f = findField(name);
    if (!f)
        throw DbError(QStringLiteral("%1: pole '%2' nenalezeno.").arg(m_name, name));
    return *f;
}

QList<Field *> DataSet::fields() const
{
    QList<Field *> out;
    for (Field *f : m_fieldOrder)
        out << f;
    return out;
}

Field &DataSet::defineField(const QString &name)
{
    for (auto &f : m_fields)
        if (sameName(f->m_name, name))
            return *f;
    m_fields.push_back(std::unique_ptr<Field>(new Field(this, name, FieldKind::Data)));
    return *m_fields.back();
}

Field &DataSet::addCalculatedField(const QString &name, FieldType type, int size,
                                   std::function<QVariant(const Record &)> calc)
{
    auto f = std::unique_ptr<Field>(new Field(this, name, FieldKind::Calculated));
    f->m_type = type;
    f->m_size = size;
    f->m_calc = std::move(calc);
    m_fields.push_back(std::move(f));
    Field &ref = *m_fields.back();
    if (isOpen()) {
        ref.m_index = int(m_fieldOrder.size());
        m_fieldOrder.push_back(&ref);
    }
    return ref;
}

Field &DataSet::addLookupField(const QString &name, const QString &keyFields, DataSet *lookupDataSet,
                               const QString &lookupKeyFields, const QString &resultField)
{
    auto f = std::unique_ptr<Field>(new Field(this, name, FieldKind::Lookup));
    f->m_type = FieldType::String;
    f->m_keyFields = keyFields.split(u';', Qt::SkipEmptyParts);
    f->m_lookupDs = lookupDataSet;
    f->m_lookupKeys = lookupKeyFields.split(u';', Qt::SkipEmptyParts);
    f->m_lookupResult = resultField;
    if (f->m_keyFields.size() != f->m_lookupKeys.size() || f->m_keyFields.isEmpty())
        throw DbError(QStringLiteral("%1: vyhledávací pole %2 má nestejný počet klíčů.").arg(m_name, name));
    m_fields.push_back(std::move(f));
    Field &ref = *m_fields.back();
    if (isOpen()) {
        ref.m_index = int(m_fieldOrder.size());
        m_fieldOrder.push_back(&ref);
    }
    // The looked-up texts change when the lookup data set changes.
    if (lookupDataSet) {
        connect(lookupDataSet, &DataSet::rowsReset, this, [this] { if (isOpen()) emit rowsReset(); });
    }
    return ref;
}

void DataSet::setFieldOrder(const QStringList &names)
{
    m_preferredOrder = names;
    if (isOpen()) {
        bindFields(m_columns, [this] {
            QList<FieldType> t;
            for (int i = 0; i < m_cols; ++i) {
                FieldType ft = FieldType::Unknown;
                for (auto &f : m_fields)
                    if (f->m_kind == FieldKind::Data && f->m_column == i)
                        ft = f->m_type;
                t << ft;
            }
            return t;
        }());
        emit rowsReset();
    }
}

// ---------------------------------------------------------------- navigation

void DataSet::setCurrent(int viewRow, bool notify)
{
    const int n = recordCount();
    if (n == 0) {
        m_cur = -1;
        m_bof = m_eof = true;
    } else {
        m_cur = std::clamp(viewRow, 0, n - 1);
    }
    if (notify)
        afterScrollEvent();
}

void DataSet::afterScrollEvent()
{
    emit currentRowChanged(m_cur);
    refreshDetails();
    if (hooks.afterScroll)
        hooks.afterScroll(*this);
}

void DataSet::first()
{
    if (!isOpen())
        return;
    checkBrowseMode();
    const int old = m_cur;
    setCurrent(0, false);
    m_bof = true;
    m_eof = recordCount() == 0;
    if (old != m_cur)
        afterScrollEvent();
}

void DataSet::last()
{
    if (!isOpen())
        return;
    checkBrowseMode();
    const int old = m_cur;
    setCurrent(recordCount() - 1, false);
    m_eof = true;
    m_bof = recordCount() == 0;
    if (old != m_cur)
        afterScrollEvent();
}

void DataSet::next()
{
    moveBy(1);
}

void DataSet::prior()
{
    moveBy(-1);
}

void DataSet::moveBy(int distance)
{
    if (!isOpen())
        return;
    checkBrowseMode();
    const int n = recordCount();
    if (n == 0) {
        m_bof = m_eof = true;
        return;
    }
    const int target = m_cur + distance;
    const int old = m_cur;
    m_bof = m_eof = false;
    if (target >= n) {
        m_cur = n - 1;
        m_eof = true;
    } else if (target < 0) {
        m_cur = 0;
        m_bof = true;
    } else {
        m_cur = target;
    }
    if (m_cur != old)
        afterScrollEvent();
}

void DataSet::setRecNo(int row)
{
    if (!isOpen())
        return;
    checkBrowseMode();
    const int n = recordCount();
    if (n == 0 || row < 0 || row >= n)
        return;
    m_bof = m_eof = false;
    if (row != m_cur) {
        m_cur = row;
        afterScrollEvent();
    }
}

// ---------------------------------------------------------------- master-detail

void DataSet::setMaster(DataSet *master)
{
    if (m_master == master)
        return;
    if (m_master)
        m_master->detachDetail(this);
    m_master = master;
    if (master)
        master->m_details.append(QPointer<DataSet>(this));
}

void DataSet::detachDetail(DataSet *detail)
{
    for (qsizetype i = m_details.size() - 1; i >= 0; --i)
        if (!m_details[i] || m_details[i] == detail)
            m_details.removeAt(i);
}

void DataSet::refreshDetails()
{
    if (m_refreshingDetails)
        return;
    m_refreshingDetails = true;
    try {
        const auto details = m_details;
        for (const auto &d : details) {
            if (!d || !d->isOpen())
                continue;
            d->checkBrowseMode();
            d->load();
            d->m_cur = d->recordCount() > 0 ? 0 : -1;
            d->m_bof = true;
            d->m_eof = d->recordCount() == 0;
            emit d->rowsReset();
            d->afterScrollEvent();
        }
    } catch (...) {
        // Scope guard: the flag is cleared and the error goes on to the caller.
        m_refreshingDetails = false;
        throw;
    }
    m_refreshingDetails = false;
}

} // namespace orv::db
