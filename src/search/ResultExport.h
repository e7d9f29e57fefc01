#pragma once
// The search result list saved as CSV for a spreadsheet: UTF-8 with a byte-order mark, ";"
// between fields and CRLF at line ends, so a spreadsheet set up for Czech opens it without an
// import dialog. The file holds the columns the result grid shows, with their headings, in
// the grid's texts (decimal commas, the success rate of the composition search as shown).

#include <QByteArray>
#include <QString>
#include <QStringList>

class QAbstractItemModel;

namespace orv::search {

// One field: quoted (with doubled quotes) when it holds ";", a quote or a line break, or
// starts or ends with a blank.
QString csvField(const QString &text);

// Header line and one line per row of the model, display texts, with the BOM.
QByteArray resultCsv(const QAbstractItemModel &model);

// Writes `bytes` to `file` under a temporary name and renames it; an existing file is
// replaced only when the whole text was written. Returns an empty text on success, otherwise
// the reason in Czech.
QString saveCsvFile(const QString &file, const QByteArray &bytes);

} // namespace orv::search
