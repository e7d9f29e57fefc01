#pragma once
// DataSet: a named data set over one Connection, either a query (SQL text as a list of lines
// with :params) or a table opened by name with an index order and a range on one field.
// Rows are loaded into memory on open; the data set keeps a current row, moves through the
// rows, locates rows, and (when editable) inserts, edits, posts and deletes rows, writing
// back to its single underlying table by Number. Field objects describe the columns and
// carry display properties; calculated and lookup fields add derived columns. A detail
// data set takes its :params from the current row of its master (same-named fields) and
// refreshes when the master moves. Event hooks attach behaviour (defaults, checks, mirrors).
//
// Post and delete each run inside a savepoint together with their before/after hooks: when a
// hook or the write fails, everything the hooks wrote is rolled back as well.
//
// A row is written back only while it still holds every value that was read (a colleague's
// session may have changed or deleted it): otherwise the write is refused with ChangeConflict,
// the row is read again with the edit buffer keeping what the user changed, and posting once
// more writes it. Columns the server fills itself (ServerAudit.h) are read, never written.

#include "db/CellStore.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Field.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <vector>

namespace orv::db {

class DataSet;
class FilterExpr;

enum class DataSetState { Inactive, Browse, Edit, Insert };

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false; // a text value matches a field value that begins with it
};

// A read-only view of one row; calculated-field callbacks receive it.
class Record {
public:
    QVariant value(const QString &field) const;
    QVariant value(int fieldIndex) const;
    const DataSet *dataSet() const { return m_ds; }

private:
    friend class DataSet;
    friend class Field;
    Record(const DataSet *ds, int storedRow) : m_ds(ds), m_stored(storedRow) {}
    const DataSet *m_ds;
    int m_stored; // stored row; -1: the current row as being edited
};

class DataSet : public QObject {
    Q_OBJECT
public:
    explicit DataSet(const QString &name = QString(), Connection *connection = nullptr,
                     QObject *parent = nullptr);
    ~DataSet() override;

    const QString &name() const { return m_name; }
    Connection *connection() const { return m_conn; }
    void setConnection(Connection *connection);

    // ---- query text and parameters
    // The SQL lines; callers may edit them (where-clause appender) while the set is closed.
    QStringList &sql() { return m_sql; }
    const QStringList &sql() const { return m_sql; }
    void setSql(const QStringList &lines);
    void setSql(const QString &text); // split at line breaks
    // The text sent to the engine (lines joined with line breaks, or the generated table query).
    QString statementText() const;
    void setParam(const QString &name, const QVariant &value); // name without ':'
    QVariant param(const QString &name) const;
    const QVariantMap &params() const { return m_params; }
    void clearParams() { m_params.clear(); }

    // ---- table data sets ("Nodes.DB": the extension is dropped)
    void setTableName(const QString &table);
    const QString &tableName() const { return m_table; }
    bool isTable() const { return !m_table.isEmpty(); }
    // Orders a table by a named index of the schema ("Name", "Material") or by field names.
    void setIndexName(const QString &indexName);
    void setIndexFieldNames(const QStringList &fields);
    QStringList indexFields() const { return m_indexFields; }
    // Limits a table to rows whose `field` lies between from and to (inclusive); a null bound
    // is open. Applied at once when open.
    void setRange(const QString &field, const QVariant &from, const QVariant &to);
    void setRange(const QString &field, const QVariant &value) { setRange(field, value, value); }
    void cancelRange();

    // ---- editing permission
    // Table data sets are editable unless read-only; queries only when set editable (a
    // "select * from T ..." over a single table).
    void setEditable(bool editable) { m_editable = editable; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    bool canModify() const;
    // The table that posts and deletes write to ("" when not editable).
    QString updateTable() const;

    // ---- open and close
    void open();
    void close();
    void setActive(bool active) { active ? open() : close(); }
    bool isOpen() const { return m_state != DataSetState::Inactive; }
    // Reloads the rows and returns to the row with the same Number (or the same position).
    void refresh();
    DataSetState state() const { return m_state; }
    bool isEditing() const { return m_state == DataSetState::Edit || m_state == DataSetState::Insert; }

    // ---- navigation (rows counted from 0 in the current filter)
    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    int recNo() const { return m_cur; } // -1 when empty or closed
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    void first();
    void last();
    void next();
    void prior();
    void moveBy(int distance);
    void setRecNo(int row);

    // Moves to the first row whose fields (';'-separated names) equal the values. Exact and
    // case-sensitive unless the options say otherwise. Returns false and stays put when none.
    bool locate(const QString &fields, const QVariant &value, LocateOptions options = {});
    bool locate(const QString &fields, const QVariantList &values, LocateOptions options = {});
    // Row of the first match without moving; -1 when none.
    int find(const QString &fields, const QVariantList &values, LocateOptions options = {}) const;
    // Value of `resultField` in the first row matching the key, without moving; null if none.
    QVariant lookup(const QString &keyFields, const QVariant &keyValue, const QString &resultField) const;

    // ---- changes. Each returns false when a hook cancelled it silently (Abort).
    bool append(); // new row at the end
    bool insert(); // new row before the current one
    bool edit();
    bool post();
    void cancel();
    bool remove(); // deletes the current row
    // Posts a pending edit or insert (before moving, refreshing or closing).
    void checkBrowseMode();
    bool isModified() const { return m_modified; }

    // ---- fields
    int fieldCount() const { return static_cast<int>(m_fieldOrder.size()); }
    Field *field(int index) const;
    Field *findField(const QString &name) const;     // nullptr when unknown
    Field &fieldByName(const QString &name) const;   // throws DbError when unknown
    Field &operator[](const QString &name) const { return fieldByName(name); }
    QList<Field *> fields() const;
    // A persistent data field definition made before open; bound to the same-named column.
    Field &defineField(const QString &name);
    Field &addCalculatedField(const QString &name, FieldType type, int size,
                              std::function<QVariant(const Record &)> calc);
    // Value of `resultField` in the row of `lookupDataSet` whose `lookupKeyFields` equal this
    // row's `keyFields` (';'-separated, same count).
    Field &addLookupField(const QString &name, const QString &keyFields, DataSet *lookupDataSet,
                          const QString &lookupKeyFields, const QString &resultField);
    // Puts the named fields first, in this order; the others follow in their own order.
    void setFieldOrder(const QStringList &names);

    QVariant valueAt(int row, int fieldIndex) const;
    QVariant valueAt(int row, const QString &field) const;
    QString displayTextAt(int row, int fieldIndex) const;
    Record record(int row) const { return Record(this, rowOf(row)); }
    Record currentRecord() const { return Record(this, -1); }
    // Shorthand for fieldByName(name).value().
    QVariant value(const QString &field) const { return fieldByName(field).value(); }
    void setValue(const QString &field, const QVariant &value) { fieldByName(field).setValue(value); }

    // ---- filter ("GroupNo=1 or GroupNo=5"; and, or, not, parentheses, = <> < > <= >=,
    // is null, is not null, numbers and quoted texts). Throws DbError for bad syntax.
    void setFilter(const QString &expression);
    const QString &filter() const { return m_filterText; }
    void setFiltered(bool filtered);
    bool isFiltered() const { return m_filtered; }

    // ---- master-detail
    void setMaster(DataSet *master);
    DataSet *master() const { return m_master; }

    // ---- event hooks (throw Abort to cancel silently, anything else to fail loudly)
    struct Hooks {
        std::function<void(DataSet &)> afterOpen;
        std::function<void(DataSet &)> beforeClose;
        std::function<void(DataSet &)> beforeInsert;
        std::function<void(DataSet &)> onNewRecord; // set defaults of a new row
        std::function<void(DataSet &)> afterInsert;
        std::function<void(DataSet &)> beforeEdit;
        std::function<void(DataSet &)> afterEdit;
        std::function<void(DataSet &)> beforePost;
        std::function<void(DataSet &)> afterPost;
        std::function<void(DataSet &)> beforeCancel;
        std::function<void(DataSet &)> beforeDelete;
        std::function<void(DataSet &)> afterDelete;
        std::function<void(DataSet &)> afterScroll;
    } hooks;

signals:
    void opened();
    void closed();
    void rowsReset();              // rows reloaded or filter changed
    void rowChanged(int row);      // values of a row changed (edit buffer or post)
    void rowAboutToBeInserted(int row); // a posted new row is about to stand at `row`
    void rowInserted(int row);          // ... and now stands there
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void currentRowChanged(int row);
    void stateChanged(orv::db::DataSetState state);

private:
    friend class Field;
    friend class Record;
    friend class Connection;
    friend class Transaction;

    struct ColumnIndex;

    void load();
    void bindFields(const QStringList &columns, const QList<FieldType> &types);
    void rebuildView();
    int rowOf(int viewRow) const { return m_useView ? m_view[viewRow] : viewRow; }
    QVariant storedValue(const Field &f, int storedRow) const; // storedRow -1: current incl. edit buffer
    void reloadAfterRollback();
    int storedRowCount() const;
    const QVariant &cell(int storedRow, int column) const;
    void storeValue(Field &f, const QVariant &value);
    void setCurrent(int viewRow, bool notify = true);
    void afterScrollEvent();
    void refreshDetails();
    void startRow(bool appendAtEnd);
    void writePost();
    void writeDelete();
    [[noreturn]] void refuseStaleRow(int storedRow, bool editing);
    void readServerStamps(const QVariant &number);
    void cutToWidths();
    bool matches(int viewRow, const QList<Field *> &fields, const QVariantList &values,
                 LocateOptions options) const;
    void invalidateIndexes();
    void detachDetail(DataSet *detail);
    QVariantMap masterParams() const;
    bool acceptsByFilter(int storedRow) const;
    void ensureUpdateTable();

    QString m_name;
    Connection *m_conn = nullptr;
    QStringList m_sql;
    QVariantMap m_params;
    QString m_table;
    QString m_indexName;
    QStringList m_indexFields;
    QString m_rangeField;
    QVariant m_rangeFrom;
    QVariant m_rangeTo;
    bool m_editable = false;
    bool m_readOnly = false;

    DataSetState m_state = DataSetState::Inactive;
    int m_cols = 0;
    QStringList m_columns;             // result column names (duplicates renamed _1, _2)
    CellStore m_data;                  // rows * m_cols
    std::vector<int> m_view;           // stored rows in view order when filtered
    bool m_useView = false;
    int m_rowHint = 0;
    int m_cur = -1;
    bool m_eof = true;
    bool m_bof = true;

    std::vector<QVariant> m_buffer;    // row being edited or inserted
    int m_editRow = -1;                // view row being edited / where the new row stands
    bool m_modified = false;
    bool m_insertAppends = false;

    std::vector<std::unique_ptr<Field>> m_fields; // every defined field (persistent)
    std::vector<Field *> m_fieldOrder;            // active fields in display order
    QStringList m_preferredOrder;

    QString m_filterText;
    std::shared_ptr<FilterExpr> m_filterExpr;
    bool m_filtered = false;

    QPointer<DataSet> m_master;
    QList<QPointer<DataSet>> m_details;
    bool m_refreshingDetails = false;

    QString m_updateTable;             // resolved on open for editable sets
    QStringList m_tableColumns;        // columns of the update table
    int m_numberColumn = -1;           // result column holding Number

    mutable std::vector<std::unique_ptr<ColumnIndex>> m_indexes; // per result column
};

} // namespace orv::db
