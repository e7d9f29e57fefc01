#pragma once
// One simulated engineer's program on the team server: the data module with its two server
// sessions, a card environment over them and the card whose note the engineer keeps, and the
// five things the load test makes engineers do, each through the code the program runs for it
// (quick find, card, composition and property search, note). Needs a widget application.

#include "browse/MaterialCard.h"
#include "db/MainDataModule.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace orv::bench::teamload {

enum class Kind { QuickFind, CardOpen, CompositionSearch, PropertySearch, NoteSave };
constexpr int kindCount = 5;
QString kindName(Kind kind);

// How many fixed criteria sets each search kind takes its variants from.
int compositionVariants();
int propertyVariants();

// What every engineer picks from: quick-find texts, materials to open, and each engineer's own
// material whose note it saves. Written by the coordinator, read by every engineer.
struct Plan {
    QStringList findTexts;
    QList<int> cards;
    QList<int> noteMaterials; // index: engineer

    bool write(const QString &path) const;
    static Plan read(const QString &path);
};

class Workstation {
public:
    // `settingsFile`: where the cards keep their panel sizes (never saved: no auto-save).
    Workstation(const QString &conninfo, const QString &settingsFile);
    ~Workstation();

    // Each returns how many rows it found or read; a database error propagates.
    int quickFind(const QString &text);
    int openCard(int material);
    int compositionSearch(int variant);
    int propertySearch(int variant);
    // Loads the engineer's note card (once) and stores `text` as its note. `asNew`: the note is
    // deleted first, so the save adds a new row with the next note number.
    int saveNote(int material, const QString &text, bool asNew);

    db::MainDataModule &data() { return m_data; }

private:
    db::MainDataModule m_data;
    browse::CardEnvironment m_env;
    std::unique_ptr<browse::MaterialCard> m_noteCard;
};

} // namespace orv::bench::teamload
