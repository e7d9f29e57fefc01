#pragma once
// The five result queries of the search window, with their fields: the designation and usage
// searches read the catalogue; the composition and property searches read the work tables of
// the user database (the catalogue session sees both) and show how well each material
// matched as a percentage of the criteria of the last search.

#include <QString>

#include <functional>

class QObject;

namespace orv::db {
class DataSet;
class MainDataModule;
}

namespace orv::search {

class SearchQueries {
public:
    // `criteriaCount` tells how many criteria the last composition or property search had.
    // The queries are children of `owner`.
    SearchQueries(db::MainDataModule &data, std::function<int()> criteriaCount, QObject *owner);

    db::DataSet *designation = nullptr;   // qHledatEkvivalenty
    db::DataSet *usage = nullptr;         // qHledatPouziti
    db::DataSet *composition = nullptr;   // qHledatChemSlozeni
    db::DataSet *property = nullptr;      // qHledatMechProp
    db::DataSet *propertyList = nullptr;  // qHledatAllMechProp

private:
    db::DataSet *makeCompositionQuery(db::MainDataModule &data, QObject *owner);
    db::DataSet *makePropertyQuery(db::MainDataModule &data, QObject *owner);
    db::DataSet *makePropertyListQuery(db::MainDataModule &data, QObject *owner);
    // The matched percentage of the count in `countField`.
    void addPercentField(db::DataSet *ds, const QString &name, const QString &countField);

    std::function<int()> m_criteriaCount;
};

} // namespace orv::search
