#pragma once
// A report with data for expression and function tests: fields whose values the test sets
// record by record, and fixed regional settings.

#include "report/model/NumberFormat.h"
#include "report/model/ReportModel.h"

#include <QVariant>
#include <vector>

namespace orv::test {

struct FieldDef {
    QString name;
    int kind;   // TCalcType kind
};

class DataReport : public TSestavaModel {
public:
    explicit DataReport(std::vector<FieldDef> fields = {{"Number", 1}, {"Name", 2}, {"Price", 1}})
        : m_fields(std::move(fields))
    {
        QStringList names;
        for (const auto &f : m_fields)
            names << f.name;
        SetFieldNames(names);
        m_values.resize(m_fields.size());
    }
    // Sets field n (from 0) of the current record; a null QVariant makes it null.
    void set(int n, const QVariant &v) { m_values[size_t(n)] = v; }

    TCalcType FieldValue(int n) const override
    {
        if (n < 0 || n >= int(m_fields.size()))
            return TSestavaModel::FieldValue(n);
        TCalcType c;
        c.Kind = m_fields[size_t(n)].kind;
        const QVariant &v = m_values[size_t(n)];
        c.IsNull = v.isNull();
        c.Text = v.toString();
        c.Number = c.Kind == TCalcType::KindText ? StrToNum(c.Text) : v.toDouble();
        return c;
    }

private:
    std::vector<FieldDef> m_fields;
    std::vector<QVariant> m_values;
};

// Keeps the process-wide settings of a test to itself.
class SettingsGuard {
public:
    explicit SettingsGuard(QChar decimal = u'.')
        : m_saved(formatSettings())
    {
        formatSettings() = TFormatSettings::invariant();
        formatSettings().DecimalSeparator = decimal;
    }
    ~SettingsGuard() { formatSettings() = m_saved; }

private:
    TFormatSettings m_saved;
};

} // namespace orv::test
