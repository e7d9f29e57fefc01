#include "Workstation.h"

#include "browse/BrowseSql.h"
#include "browse/UserNotes.h"
#include "db/Connection.h"
#include "search/ChemSearch.h"
#include "search/MechSearch.h"
#include "support/CatalogueWork.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QTableView>
#include <QTableWidget>
#include <QTextStream>

namespace orv::bench::teamload {

using namespace orv::search;

namespace {

struct CompositionVariant {
    QList<ChemCriterion> criteria;
    QHash<int, double> deviations;
    ChemOptions options;
};

// Three searches an engineer might set up: eight elements with one deviation in steels at
// least half matched, three elements anywhere all matched, five elements matched exactly.
const QList<CompositionVariant> &compositionSet()
{
    static const QList<CompositionVariant> set = [] {
        QList<CompositionVariant> out;
        const int elements[] = {33, 20, 18, 2, 26, 36, 25, 34};
        CompositionVariant eight;
        for (int i = 0; i < 8; ++i)
            eight.criteria.append({elements[i], 1.0 + i * 0.1, 4.0 + i * 0.2, true});
        eight.deviations.insert(25, 10.0);
        eight.options.inMatType = true;
        eight.options.matType = QStringLiteral("Oceli");
        eight.options.threshold = ChemThreshold::AtLeast;
        out << eight;
        CompositionVariant three;
        three.criteria = {{33, 0.2, 2.5, true}, {20, 1.0, 3.0, true}, {18, std::nullopt, 2.0, true}};
        three.options.threshold = ChemThreshold::All;
        out << three;
        CompositionVariant five;
        for (int i = 0; i < 5; ++i)
            five.criteria.append({elements[i], 0.1, 5.0 + i * 0.5, true});
        five.options.inMatType = true;
        five.options.matType = QStringLiteral("Oceli");
        five.options.threshold = ChemThreshold::Exact;
        out << five;
        return out;
    }();
    return set;
}

struct PropertyVariant {
    QList<MechCriterion> criteria;
    MechFilters filters;
};

// Four properties (one a group) with every filter; every filter without the list; two
// properties in hardened and tempered steels at 20 °C.
const QList<PropertyVariant> &propertySet()
{
    static const QList<PropertyVariant> set = [] {
        QList<PropertyVariant> out;
        out << PropertyVariant{{{1, QStringLiteral("N"), 400.0, std::nullopt, true},
                                {50, QStringLiteral("A"), 200.0, 1200.0, true},
                                {6, QStringLiteral("N"), 10.0, std::nullopt, true},
                                {11, QStringLiteral("N"), std::nullopt, 300.0, true}},
                               bench::steelBarFilters(true)};
        out << PropertyVariant{{}, bench::steelBarFilters(false)};
        MechFilters steels = bench::steelBarFilters(true);
        steels.inSemiProducts = false;
        steels.inDimensions = false;
        out << PropertyVariant{{{1, QStringLiteral("N"), 900.0, std::nullopt, true},
                                {6, QStringLiteral("N"), 15.0, std::nullopt, true}},
                               steels};
        return out;
    }();
    return set;
}

} // namespace

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::QuickFind:
        return QStringLiteral("quick find");
    case Kind::CardOpen:
        return QStringLiteral("card open");
    case Kind::CompositionSearch:
        return QStringLiteral("composition search");
    case Kind::PropertySearch:
        return QStringLiteral("property search");
    case Kind::NoteSave:
        return QStringLiteral("note save");
    }
    return QString();
}

int compositionVariants()
{
    return int(compositionSet().size());
}

int propertyVariants()
{
    return int(propertySet().size());
}

bool Plan::write(const QString &path) const
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&f);
    for (const QString &t : findTexts)
        out << "find " << t << '\n';
    for (int m : cards)
        out << "card " << m << '\n';
    for (int m : noteMaterials)
        out << "note " << m << '\n';
    return f.flush();
}

Plan Plan::read(const QString &path)
{
    Plan plan;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return plan;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const QString value = line.mid(5);
        if (line.startsWith(QLatin1String("find ")))
            plan.findTexts << value;
        else if (line.startsWith(QLatin1String("card ")))
            plan.cards << value.toInt();
        else if (line.startsWith(QLatin1String("note ")))
            plan.noteMaterials << value.toInt();
    }
    return plan;
}

Workstation::Workstation(const QString &conninfo, const QString &settingsFile)
    : m_data(db::ServerDatabase{conninfo})
{
    m_env = browse::CardEnvironment::fromDataModule(m_data);
    // The cards read their sheets and pictures from the program's own data folder.
    const QString root = QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/");
    m_env.dataRoot = [root] { return root; };
    m_env.autoSave = [] { return false; };
    m_env.settingsFile = settingsFile;
}

Workstation::~Workstation() = default;

int Workstation::quickFind(const QString &text)
{
    // As the contents pane's find does, without the fallback to the whole list (every text
    // of the plan finds something).
    db::DataSet &q = m_data.qMatFind;
    q.close();
    browse::setQuickFind(q.sql(), text);
    q.open();
    return q.recordCount();
}

int Workstation::openCard(int material)
{
    browse::MaterialCard card(m_env);
    card.load(material);
    if (card.qMat.recordCount() != 1)
        throw std::runtime_error("the card shows no material");
    return bench::touchGrids(card);
}

int Workstation::compositionSearch(int variant)
{
    const CompositionVariant &v = compositionSet().at(variant);
    db::Connection &conn = m_data.catalogueSession();
    const ChemSearchOutcome out = runChemSearch(conn, v.criteria, v.deviations, 50, v.options);
    return int(readChemResult(conn, out).size());
}

int Workstation::propertySearch(int variant)
{
    const PropertyVariant &v = propertySet().at(variant);
    db::Connection &conn = m_data.catalogueSession();
    const MechSearchOutcome out = runMechSearch(conn, v.criteria, v.filters);
    return int(readMechResult(conn, out).size());
}

int Workstation::saveNote(int material, const QString &text, bool asNew)
{
    if (!m_noteCard || m_noteCard->materialNo() != material) {
        m_noteCard = std::make_unique<browse::MaterialCard>(m_env);
        m_noteCard->load(material);
    }
    browse::MaterialCard &card = *m_noteCard;
    if (asNew)
        browse::removeNote(card);
    browse::storeNote(card, text);
    card.refreshTabs();
    if (card.noteText() != text)
        throw std::runtime_error("the card does not show the saved note");
    return 1;
}

} // namespace orv::bench::teamload
