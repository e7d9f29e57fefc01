#pragma once
// Where the values of a catalogue material come from: the standards and editions the
// catalogue names for it (table MatSources), shown on the card as "Zdroj údajů".

#include <QString>
#include <QStringList>

namespace orv::db {
class Connection;
}

namespace orv::browse {

// The sources of one material in the order the catalogue lists them. Empty for a material
// without sources and for a catalogue made before the table existed (it is never created in
// a catalogue opened only for reading).
QStringList materialSources(db::Connection &catalogue, int materialNo);

// The text the card shows for them: one source a line, or a remark that none is known.
QString sourcesText(const QStringList &sources);

} // namespace orv::browse
