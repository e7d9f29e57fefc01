#pragma once
// Brings a catalogue kept in Paradox tables (the table and column names of the program,
// texts in windows-1250) over into the two SQLite files.

#include <QString>
#include <QStringList>

namespace orv::catalogue {

struct ImportSummary {
    int tables = 0;    // Paradox tables read
    qint64 rows = 0;   // rows written
    QStringList warnings; // tables not found, columns not known, texts cut to their width
};

// Reads every table of both databases that `paradoxFolder` holds (file names compared
// without regard to case, e.g. "Nodes.DB", "Semtypes.DB"; memo fields from the ".MB" file
// beside) and writes `dataFolder`/catalogue.sqlite and user.sqlite. Tables that are not
// found are created empty. Throws ToolError when a table cannot be read.
ImportSummary importParadox(const QString &paradoxFolder, const QString &dataFolder);

} // namespace orv::catalogue
