#pragma once
// Reads an XLSX file back the way a spreadsheet would, through openpyxl (python3-openpyxl):
// every sheet with its cells' types, values, number formats, boldness and fill, the frozen
// pane, the autofilter and the merged ranges.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace orv::test {

struct XlsxCell {
    QChar type;          // 'n' number, 's' text, 'd' date, 'e' empty
    double number = 0;
    QString text;        // the text, or the date as yyyy-mm-dd
    QString format;
    bool bold = false;
    bool filled = false;
};

struct XlsxSheet {
    QString name;
    QString frozen;      // "A2" when the header row is frozen
    QString autoFilter;  // "A1:D10"
    QStringList merged;
    QList<QList<XlsxCell>> rows;
    const XlsxCell &at(int row, int col) const
    {
        static const XlsxCell empty = [] { XlsxCell c; c.type = u'e'; return c; }();
        return row < rows.size() && col < rows[row].size() ? rows[row][col] : empty;
    }
};

struct XlsxBook {
    QString error;       // the reader's complaint; empty when the file was read
    QList<XlsxSheet> sheets;
    const XlsxSheet *sheet(const QString &name) const
    {
        for (const XlsxSheet &s : sheets)
            if (s.name == name)
                return &s;
        return nullptr;
    }
    QStringList names() const
    {
        QStringList out;
        for (const XlsxSheet &s : sheets)
            out << s.name;
        return out;
    }
};

inline XlsxBook readXlsx(const QString &file)
{
    static const char *script = R"PY(
import json, sys, datetime, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
out = []
for ws in wb.worksheets:
    rows = []
    for row in ws.iter_rows():
        cells = []
        for c in row:
            v = c.value
            if v is None: t, v = 'e', None
            elif isinstance(v, bool): t, v = 's', str(v)
            elif isinstance(v, (int, float)): t, v = 'n', float(v)
            elif isinstance(v, (datetime.datetime, datetime.date)): t, v = 'd', v.strftime('%Y-%m-%d')
            else: t, v = 's', str(v)
            fill = c.fill is not None and c.fill.fill_type == 'solid'
            cells.append([t, v, c.number_format, bool(c.font and c.font.b), fill])
        rows.append(cells)
    out.append({'name': ws.title, 'frozen': ws.freeze_panes or '', 'filter': ws.auto_filter.ref or '',
                'merged': [str(r) for r in ws.merged_cells.ranges], 'rows': rows})
json.dump(out, sys.stdout)
)PY";
    XlsxBook book;
    QProcess p;
    // The system's Python, where the Debian package put openpyxl (a python3 earlier on PATH may lack it).
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(script), file});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        book.error = QString::fromUtf8(p.readAllStandardError()) + p.errorString();
        return book;
    }
    const QJsonArray sheets = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    for (const QJsonValue &sv : sheets) {
        const QJsonObject so = sv.toObject();
        XlsxSheet s;
        s.name = so.value(QStringLiteral("name")).toString();
        s.frozen = so.value(QStringLiteral("frozen")).toString();
        s.autoFilter = so.value(QStringLiteral("filter")).toString();
        for (const QJsonValue &m : so.value(QStringLiteral("merged")).toArray())
            s.merged << m.toString();
        for (const QJsonValue &rv : so.value(QStringLiteral("rows")).toArray()) {
            QList<XlsxCell> row;
            for (const QJsonValue &cv : rv.toArray()) {
                const QJsonArray c = cv.toArray();
                XlsxCell cell;
                cell.type = c.at(0).toString().at(0);
                if (cell.type == u'n')
                    cell.number = c.at(1).toDouble();
                else
                    cell.text = c.at(1).toString();
                cell.format = c.at(2).toString();
                cell.bold = c.at(3).toBool();
                cell.filled = c.at(4).toBool();
                row << cell;
            }
            s.rows << row;
        }
        book.sheets << s;
    }
    return book;
}

} // namespace orv::test
