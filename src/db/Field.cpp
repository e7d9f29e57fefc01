#include "db/Field.h"

#include "db/DataSet.h"
#include "db/FieldFormat.h"

#include <climits>
#include <cmath>

namespace orv::db {

namespace {

QVariant coerce(const Field &f, const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    bool ok = true;
    switch (f.dataType()) {
    case FieldType::Integer: {
        if (v.typeId() == QMetaType::QString) {
            const QString t = v.toString().trimmed();
            if (t.isEmpty())
                return QVariant();
            const qlonglong n = t.toLongLong(&ok);
            if (ok)
                return n >= INT_MIN && n <= INT_MAX ? QVariant(int(n)) : QVariant(n);
            break;
        }
        if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
            const double d = v.toDouble();
            return QVariant(int(std::llround(d)));
        }
        const qlonglong n = v.toLongLong(&ok);
        if (ok)
            return n >= INT_MIN && n <= INT_MAX ? QVariant(int(n)) : QVariant(n);
        break;
    }
    case FieldType::Float: {
        if (v.typeId() == QMetaType::QString) {
            const QString t = v.toString().trimmed();
            if (t.isEmpty())
                return QVariant();
            const double d = parseNumber(t, &ok);
            if (ok)
                return QVariant(d);
            break;
        }
        const double d = v.toDouble(&ok);
        if (ok)
            return QVariant(d);
        break;
    }
    case FieldType::Boolean:
        if (v.typeId() == QMetaType::QString) {
            const QString t = v.toString().trimmed().toLower();
            if (t == u"true" || t == u"1" || t == u"a" || t == u"ano")
                return QVariant(true);
            if (t == u"false" || t == u"0" || t == u"n" || t == u"ne")
                return QVariant(false);
            ok = false;
            break;
        }
        return QVariant(v.toBool());
    case FieldType::String:
    case FieldType::Memo:
        return QVariant(v.toString());
    case FieldType::Unknown:
        return v;
    }
    throw DbError(QStringLiteral("'%1' není platná hodnota pole %2.").arg(v.toString(), f.name()));
}

} // namespace

Field::Field(DataSet *ds, const QString &name, FieldKind kind) : m_ds(ds), m_name(name), m_kind(kind) {}

bool Field::isActive() const
{
    return m_kind != FieldKind::Data || m_column >= 0;
}

int Field::displayWidth() const
{
    if (m_width > 0)
        return m_width;
    if ((m_type == FieldType::String || m_type == FieldType::Memo) && m_size > 0)
        return m_size;
    if (m_type == FieldType::Boolean)
        return 5;
    if (m_type == FieldType::String || m_type == FieldType::Memo)
        return 20;
    return 10;
}

bool Field::isReadOnly() const
{
    return m_readOnly || m_kind == FieldKind::Calculated;
}

QVariant Field::value() const
{
    return m_ds->storedValue(*this, -1);
}

void Field::setValue(const QVariant &value)
{
    if (!m_ds->isEditing())
        throw DbError(QStringLiteral("Data set %1 není v režimu úprav ani vkládání.").arg(m_ds->name()));
    if (isReadOnly())
        throw DbError(QStringLiteral("Pole %1 nelze měnit.").arg(m_name));
    if (m_kind == FieldKind::Lookup) {
        // Choosing a looked-up text stores the key of the row it belongs to.
        if (!m_lookupDs || m_keyFields.size() != 1 || m_lookupKeys.size() != 1)
            throw DbError(QStringLiteral("Pole %1 nelze měnit.").arg(m_name));
        QVariant key;
        if (!value.isNull()) {
            const int row = m_lookupDs->find(m_lookupResult, {value});
            if (row < 0)
                throw DbError(QStringLiteral("'%1' není platná hodnota pole %2.").arg(value.toString(), m_name));
            key = m_lookupDs->valueAt(row, m_lookupKeys.first());
        }
        m_ds->fieldByName(m_keyFields.first()).setValue(key);
        if (onChange)
            onChange(*this);
        return;
    }
    const QVariant v = coerce(*this, value);
    if (onValidate)
        onValidate(*this, v);
    m_ds->storeValue(*this, v);
    if (onChange)
        onChange(*this);
}

void Field::setText(const QString &text)
{
    if (text.trimmed().isEmpty() && m_type != FieldType::String && m_type != FieldType::Memo) {
        setValue(QVariant());
        return;
    }
    setValue(QVariant(text));
}

QString Field::asString() const
{
    const QVariant v = value();
    if (v.isNull())
        return QString();
    if (m_type == FieldType::Float || v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

int Field::asInteger() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Double)
        return int(std::llround(v.toDouble()));
    return v.toInt();
}

double Field::asFloat() const
{
    const QVariant v = value();
    return v.isNull() ? 0.0 : v.toDouble();
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    return !v.isNull() && v.toBool();
}

QString Field::displayText() const
{
    return displayText(value());
}

QString Field::editText() const
{
    return editText(value());
}

QString Field::displayText(const QVariant &v) const
{
    if (v.isNull() || !v.isValid())
        return QString();
    const int t = v.typeId();
    const bool numeric = t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double
        || t == QMetaType::UInt || t == QMetaType::Float;
    if (numeric && m_type != FieldType::String && m_type != FieldType::Memo) {
        if (!m_displayFormat.isEmpty())
            return formatNumber(v.toDouble(), m_displayFormat);
        if (t == QMetaType::Double || t == QMetaType::Float)
            return formatGeneral(v.toDouble());
        return QLocale().toString(v.toLongLong()).remove(QLocale().groupSeparator());
    }
    if (t == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

QString Field::editText(const QVariant &v) const
{
    if (v.isNull() || !v.isValid())
        return QString();
    // Without an edit format a number is edited as it is displayed.
    const QString &fmt = m_editFormat.isEmpty() ? m_displayFormat : m_editFormat;
    const int t = v.typeId();
    const bool numeric = t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double;
    if (numeric && !fmt.isEmpty() && m_type != FieldType::String && m_type != FieldType::Memo)
        return formatNumber(v.toDouble(), fmt);
    return displayText(v);
}

} // namespace orv::db
