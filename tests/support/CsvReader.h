#pragma once
// A reader of the ";"-separated text the program exports, written apart from the writers so
// that a test reads their files back independently: quoted fields with doubled quotes and line
// breaks inside, CRLF line ends, an optional UTF-8 byte-order mark.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace orv::test {

// The rows of `bytes`; `hadBom` (when given) tells whether a byte-order mark led them.
inline QList<QStringList> readCsv(const QByteArray &bytes, bool *hadBom = nullptr)
{
    QByteArray data = bytes;
    const bool bom = data.startsWith("\xEF\xBB\xBF");
    if (bom)
        data.remove(0, 3);
    if (hadBom)
        *hadBom = bom;
    const QString text = QString::fromUtf8(data);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool started = false; // the row under way has a character or a quote, so "" is a field
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (quoted) {
            if (ch == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += u'"';
                ++i;
            } else if (ch == u'"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == u'"') {
            quoted = true;
            started = true;
        } else if (ch == u';') {
            row << field;
            field.clear();
        } else if (ch == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            started = false;
            ++i;
        } else {
            field += ch;
            started = true;
        }
    }
    if (started || !row.isEmpty())
        rows << (row << field);
    return rows;
}

} // namespace orv::test
