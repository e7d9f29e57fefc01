#pragma once
// Printouts of a table the program has made itself (a comparison of materials, the result
// list of a search): the rows are handed to the report generator through a data link over
// plain texts, and the template is generated for the columns of that table, so that the
// printout always has as many columns as the table.

#include "printouts/PrintDialogs.h"
#include "report/model/Bridge.h"

#include <QList>
#include <QString>
#include <QStringList>

class QTableView;

namespace orv::printouts {

// A data link over a table of texts: one field per column name, every field a string.
class TableBridge : public TBridge
{
public:
    TableBridge() = default;
    TableBridge(const QStringList &fieldNames, const QList<QStringList> &rows);

    void setTable(const QStringList &fieldNames, const QList<QStringList> &rows);
    const QStringList &fieldNames() const { return m_names; }
    const QList<QStringList> &rows() const { return m_rows; }
    int position() const { return m_pos; }

    int FieldCount() const override { return int(m_names.size()); }
    QString FieldName(int n) const override { return m_names.value(n); }
    QString FieldLabel(int n) const override { return m_names.value(n); }
    int FieldDataType(int) const override { return ftString; }
    int FieldAlignment(int) const override { return 0; }
    int FieldDisplayWidth(int) const override { return 20; }

    double AsFloat(int n) const override;
    bool AsBoolean(int n) const override;
    QString AsString(int n) const override;
    QString DisplayText(int n) const override { return AsString(n); }
    QString MemoText(int n) const override { return AsString(n); }
    bool IsNull(int n) const override { return AsString(n).isEmpty(); }
    bool Picture(int, QImage &picture) const override
    {
        picture = QImage();
        return false;
    }

    TStepResult Step(TStepDir dir) override;

    bool HasDataSet() const override { return true; }
    bool IsActive() const override { return m_open; }
    bool Open() override
    {
        m_open = true;
        return true;
    }
    void Close() override { m_open = false; }
    void DisableControls() override {}
    void EnableControls() override {}
    void RememberPosition() override { m_bookmark = m_pos; }
    void ReturnToPosition() override { m_pos = m_bookmark; }
    QString AliasPath(const QString &) const override { return {}; }

private:
    QStringList m_names;
    QList<QStringList> m_rows;
    int m_pos = 0;
    int m_bookmark = 0;
    bool m_open = true;
};

// What the generated template shows.
struct TableLayout
{
    QString title;                 // the heading of the first page ("Porovnání materiálů")
    QString subtitle;              // a line under it (the criteria); may be empty
    QStringList columns;           // field names of the printed columns, left to right
    QStringList headings;          // their captions, printed on top of every page
    QList<int> weights;            // relative widths (empty: equal)
    QString groupField;            // a field whose change starts a group with a heading band
    QString markField;             // rows where this field is not empty are tinted and marked "≠"
    bool landscape = false;
};

// The lines of the template for the layout (A4, graphic report).
QStringList tableTemplate(const TableLayout &layout);

// The columns a grid shows (hidden ones left out), as report data: field names C1, C2, ...,
// the headings, the display texts of every row, and widths in proportion to the columns'.
struct ViewTable
{
    QStringList fieldNames;
    QStringList headings;
    QList<QStringList> rows;
    QList<int> weights;
};
ViewTable viewTable(const QTableView &view);

// The list report of a grid: its columns side by side on A4 (landscape when they are many or
// wide), the title and a subtitle on the first page, the headings on every page.
TableLayout listLayout(const ViewTable &table, const QString &title, const QString &subtitle);

// The print dialog of such a table: the printer list with the PDF entry, copies, "&Náhled",
// "&Tisk" and "&Storno", over the table given.
class TfPrintTable : public TfPrintBase
{
    Q_OBJECT
public:
    TfPrintTable(const QString &caption, const TableLayout &layout, const QStringList &fieldNames,
                 const QList<QStringList> &rows, const PrintEnvironment &env, QWidget *parent = nullptr);

    const QStringList &templateLines() const { return Ses.Predloha; }
    TableBridge &bridge() { return m_table; }

private:
    TableBridge m_table;
};

} // namespace orv::printouts
