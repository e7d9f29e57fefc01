#pragma once
// Tables saved as CSV for a spreadsheet: UTF-8 with a byte-order mark, ";" between fields and
// CRLF at line ends, so a spreadsheet set up for Czech opens the file without an import
// dialog.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace orv::ui {

// One field: quoted (with doubled quotes) when it holds ";", a quote or a line break, or
// starts or ends with a blank.
QString csvField(const QString &text);

// The lines (each a list of fields) with the byte-order mark.
QByteArray csvText(const QList<QStringList> &lines);

// Writes `bytes` to `file` under a temporary name and renames it; an existing file is
// replaced only when the whole text was written. Returns an empty text on success, otherwise
// the reason in Czech.
QString saveCsvFile(const QString &file, const QByteArray &bytes);

} // namespace orv::ui
