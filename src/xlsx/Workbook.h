#pragma once
// Spreadsheets for the user's own work: a workbook of tables written as an XLSX file.
//
// A sheet is a header row (each column's heading with its unit in brackets, bold, frozen)
// over rows of typed cells: a number stays a number cell (with a number format when given),
// a text a text cell, a date a date cell. Columns are sized to their content; result tables
// get an autofilter. Rows may be bold (group headers and sums) or marked (shaded, e.g. the
// rows where compared materials differ). The last sheet, "Zdroj", says where the values come
// from and when the catalogue was made.
//
// The file is written through the safe-write helper: the target is replaced only by a
// complete workbook, and every failure is told in Czech with the old file left as it was.

#include <QList>
#include <QLocale>
#include <QString>
#include <QVariant>

#include <optional>

namespace orv::xlsx {

struct Column {
    QString heading;
    QString unit;           // "MPa", "%": the header reads "heading [unit]"
    QString numberFormat;   // for the column's number cells, e.g. "0.00"; empty: general
    QString headerText() const;
};

struct Cell {
    Cell() = default;
    Cell(QVariant v) : value(std::move(v)) {}                      // NOLINT: a value is a cell
    Cell(const QString &text) : value(text) {}                     // NOLINT
    Cell(QVariant v, QString format) : value(std::move(v)), numberFormat(std::move(format)) {}
    // int, qlonglong, double: a number cell (NaN and infinities are left blank); QDate,
    // QDateTime: a date cell; anything else: its text; null: an empty cell.
    QVariant value;
    QString numberFormat;   // overrides the column's
    int span = 1;           // columns this cell covers (merged when more than one)
};

struct Row {
    QList<Cell> cells;
    bool bold = false;
    bool marked = false;
};

struct Sheet {
    QString name;           // made valid for a sheet name (at most 31 characters, no []:*?/\)
    QList<Column> columns;
    QList<Row> rows;
    bool autoFilter = true;
    bool header = true;     // false: no header row (nothing frozen, no filter)

    Row &addRow(QList<Cell> cells, bool bold = false)
    {
        rows.append(Row{std::move(cells), bold, false});
        return rows.last();
    }
};

// A line of the "Zdroj" sheet.
struct SourceLine {
    QString label;
    QVariant value;
};

class Workbook {
public:
    Sheet &addSheet(const QString &name);
    QList<Sheet> &sheets() { return m_sheets; }
    const QList<Sheet> &sheets() const { return m_sheets; }
    // The lines of the last sheet "Zdroj"; none: no such sheet.
    void setSource(QList<SourceLine> lines) { m_source = std::move(lines); }

    // Writes the workbook to `target`. Empty on success; otherwise the Czech reason, the
    // file that stood there before unchanged.
    QString save(const QString &target) const;

private:
    QList<Sheet> m_sheets;
    QList<SourceLine> m_source;
};

// The lines every "Zdroj" sheet starts with: the catalogue's file, its date (the file's
// modification day) and when the workbook was made.
QList<SourceLine> catalogueSource(const QString &catalogueFile);

// A heading that carries its unit in brackets ("přesnost [%]") split into heading and unit.
Column columnFromHeading(const QString &heading);

// The numbers of a range as the comparison and the printouts write it, in `locale`:
// "0,42 – 0,50", "min. 630", "max. 0,04", "7,85" (minimum and maximum the same). Nothing
// for any other text (several values, words, units).
struct Bounds {
    QVariant min, max;
};
std::optional<Bounds> boundsOfText(const QString &text, const QLocale &locale);

// The name of the source sheet.
QString sourceSheetName();

// A sheet name valid in a workbook: forbidden characters replaced, at most 31 characters,
// never empty; `taken` (compared without letter case) gets " (2)", " (3)" ... added.
QString validSheetName(const QString &wanted, const QStringList &taken = {});

} // namespace orv::xlsx
