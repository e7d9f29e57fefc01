#pragma once
// The mechanical-property search ("Mechanické vlastnosti"). With the property list it builds a
// union of one select per used criteria row (qHledatAllMechProp), copies what it returns into
// FindChemComp, counts the matched rows per designation, semi-product, state and dimension
// into FindMechPropTemp and lists each designation with its best count (qHledatMechProp).
// Without the property list qHledatAllMechProp itself lists what passes the filters.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace orv::db {
class Connection;
}

namespace orv::search {

// One row of UserMechProp.
struct MechCriterion {
    int propertyNo = 0;
    QString groupType;  // "A" for a property group
    std::optional<double> minValue;
    std::optional<double> maxValue;
    bool selected = true;

    bool used() const { return selected && (minValue || maxValue); }
    bool isGroup() const { return groupType == QStringLiteral("A"); }
};

struct MechFilters {
    bool inMatType = false;     // cbKovy1 with cbMatTypes2
    QString matType;
    bool inSemiProducts = false; // cbPolotovary with cbGroup1..cbGroup4
    QString group[4];
    bool inStates = false;      // cbStavy with cbStates
    QString state;
    bool inDimensions = false;  // cbRozmery with eMinRozmer, eMaxRozmer (mm)
    double minDimension = 0;
    double maxDimension = 0;
    bool inTemperature = false; // cbTeplota with eTeplota (°C)
    double temperature = 0;
    bool inProperties = true;   // cbVlastnosti "Hledat ve vlastnostech"
};

// The list in its stored order, and the members of every group it names (PropType rows whose
// Parent is the group, in the engine's order).
QList<MechCriterion> readMechCriteria(db::Connection &conn);
QList<int> groupMembers(db::Connection &conn, int groupNo);

// The filter lines in their first form (" and (...)") or union form ("...) and ("), in the
// fixed order: type, semi-product groups 1 to 4, state, smallest and largest dimension,
// temperature. Names are looked up exactly in the catalogue's lookup tables.
QStringList mechFilterLines(db::Connection &conn, const MechFilters &filters, bool unionForm);

// Condition C of a used row, with the property clause for `members` when the row is a group.
QString mechCondition(const MechCriterion &c, const QList<int> &members);

struct MechSearchOutcome {
    int criteriaCount = 0;   // n
    bool withProperties = true;
    QStringList allSql;      // qHledatAllMechProp (the result itself without properties)
    QStringList resultSql;   // qHledatMechProp (with properties)
};

// The search on a connection that sees both databases. Engine errors come as db::DbError.
MechSearchOutcome runMechSearch(db::Connection &conn, const MechFilters &filters);
MechSearchOutcome runMechSearch(db::Connection &conn, const QList<MechCriterion> &criteria,
                                const MechFilters &filters);

QStringList mechResultSql();
// The statements that copy the union of the criteria into FindChemComp and count the rows
// each combination of semi-product, state and dimension met into FindMechPropTemp.
QString mechFillSql(const QStringList &allSql);
QString mechCountSql();

struct MechResultRow {
    QString norma;
    QString znacka;
    QString matNazev;
    int matNumber = 0;
    int count = 0;                  // PocetMechProp
    std::optional<double> percent;  // clPresnost
    int spNumber = 0, diNumber = 0, stNumber = 0; // only without properties
};

QList<MechResultRow> readMechResult(db::Connection &conn, const MechSearchOutcome &outcome);

// The semi-product, dimension and state of a found material with the highest match count of
// the latest property search (lowest numbers first); all zero when there is none.
struct CardPosition {
    int semiProduct = 0;
    int dimension = 0;
    int state = 0;
};
CardPosition bestCombination(db::Connection &conn, int matNumber);

} // namespace orv::search
