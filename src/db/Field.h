#pragma once
// A field of a DataSet: a result column, a calculated field or a lookup field, with the
// display properties a grid needs (label, width in characters, visibility, formats).
// Field objects belong to their data set and keep their definition across close and open.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

namespace orv::db {

class DataSet;
class Record;

enum class FieldType { Unknown, Integer, Float, String, Memo, Boolean };
enum class FieldKind { Data, Calculated, Lookup };

class Field {
public:
    const QString &name() const { return m_name; }
    FieldKind kind() const { return m_kind; }
    FieldType dataType() const { return m_type; }
    bool isNumeric() const { return m_type == FieldType::Integer || m_type == FieldType::Float; }
    DataSet *dataSet() const { return m_ds; }
    // Position among the data set's fields while it is open; -1 when not bound.
    int index() const { return m_index; }
    // A data field whose column is in the open result, or any calculated or lookup field.
    bool isActive() const;

    // alpha(n) width: values are cut to this many characters when posted. 0: no limit.
    int size() const { return m_size; }
    void setSize(int size) { m_size = size; }

    QString displayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    void setDisplayLabel(const QString &label) { m_label = label; }
    int displayWidth() const;
    void setDisplayWidth(int characters) { m_width = characters; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    // Number formats: "0.000", "#,##0.00", "#.###" (0 digit, # optional digit, "," thousands).
    const QString &displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString &format) { m_displayFormat = format; }
    const QString &editFormat() const { return m_editFormat; }
    void setEditFormat(const QString &format) { m_editFormat = format; }
    bool isReadOnly() const;
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Value a new row starts with (before the new-record hook runs).
    const QVariant &defaultValue() const { return m_default; }
    void setDefaultValue(const QVariant &value) { m_default = value; }

    // Value in the current row (in edit or insert state: the row being edited).
    QVariant value() const;
    // Stores a value in the row being edited (the data set must be in edit or insert state).
    // The validation hook runs first; if it throws, the value is not stored and the exception
    // propagates. Throws DbError for a read-only field or a data set not being edited.
    void setValue(const QVariant &value);
    // Parses a typed text (either decimal separator) and stores it; empty text stores null.
    void setText(const QString &text);
    void clear() { setValue(QVariant()); }
    bool isNull() const { return value().isNull(); }
    QString asString() const;
    int asInteger() const;
    double asFloat() const;
    bool asBoolean() const;
    QString displayText() const;
    QString editText() const;
    // Texts of an arbitrary value formatted as this field formats its own.
    QString displayText(const QVariant &value) const;
    QString editText(const QVariant &value) const;

    // Validation hook: called with the value about to be stored. Throw to refuse it.
    std::function<void(Field &field, const QVariant &newValue)> onValidate;
    // Called after a value was stored.
    std::function<void(Field &field)> onChange;

    // Lookup definition (kind Lookup).
    const QStringList &keyFields() const { return m_keyFields; }
    DataSet *lookupDataSet() const { return m_lookupDs; }
    const QStringList &lookupKeyFields() const { return m_lookupKeys; }
    const QString &lookupResultField() const { return m_lookupResult; }

private:
    friend class DataSet;
    Field(DataSet *ds, const QString &name, FieldKind kind);

    DataSet *m_ds = nullptr;
    QString m_name;
    FieldKind m_kind = FieldKind::Data;
    FieldType m_type = FieldType::Unknown;
    int m_index = -1;   // position in DataSet::fields()
    int m_column = -1;  // result column of a data field
    int m_size = 0;
    QString m_label;
    int m_width = 0;
    bool m_visible = true;
    QString m_displayFormat;
    QString m_editFormat;
    bool m_readOnly = false;
    QVariant m_default;
    std::function<QVariant(const Record &)> m_calc;
    QStringList m_keyFields;
    DataSet *m_lookupDs = nullptr;
    QStringList m_lookupKeys;
    QString m_lookupResult;
};

} // namespace orv::db
