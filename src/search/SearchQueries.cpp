#include "search/SearchQueries.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "search/ChemSearch.h"
#include "search/MechSearch.h"
#include "search/SearchSql.h"

namespace orv::search {

namespace {

db::Field &defineField(db::DataSet *ds, const char *name, const QString &label, int size, int width)
{
    db::Field &f = ds->defineField(QLatin1String(name));
    f.setDisplayLabel(label);
    f.setSize(size);
    if (width)
        f.setDisplayWidth(width);
    return f;
}

void hideField(db::DataSet *ds, const char *name)
{
    ds->defineField(QLatin1String(name)).setVisible(false);
}

// The columns every result of the composition, property and usage searches starts with:
// the standard, the designation and the material's name.
void defineDesignationFields(db::DataSet *ds, int nameWidth)
{
    defineField(ds, "Norma", QStringLiteral("norma"), 15, 0);
    defineField(ds, "Znacka", QStringLiteral("značka"), 150, 20);
    defineField(ds, "MatNazev", QStringLiteral("název materiálu"), 200, nameWidth);
}

QStringList names(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *n : list)
        out << QLatin1String(n);
    return out;
}

} // namespace

SearchQueries::SearchQueries(db::MainDataModule &data, std::function<int()> criteriaCount, QObject *owner)
    : m_criteriaCount(std::move(criteriaCount))
{
    designation = new db::DataSet(QStringLiteral("qHledatEkvivalenty"), &data.catalogueSession(), owner);
    designation->setSql(designationBaseSql());
    hideField(designation, "MatNumber");
    designation->defineField(exactMatchField()).setVisible(false);
    defineField(designation, "Norma", QStringLiteral("norma"), 25, 14);
    defineField(designation, "Znacka", QStringLiteral("značka"), 25, 18);
    defineField(designation, "Stat", QStringLiteral("stát"), 200, 19);
    defineField(designation, "NormaListu", QStringLiteral("norm. m. listu"), 15, 14);
    defineField(designation, "ZnackaListu", QStringLiteral("značka m. listu"), 150, 18);

    usage = new db::DataSet(QStringLiteral("qHledatPouziti"), &data.catalogueSession(), owner);
    usage->setSql(usageBaseSql());
    hideField(usage, "MatNumber");
    defineDesignationFields(usage, 50);

    composition = makeCompositionQuery(data, owner);
    property = makePropertyQuery(data, owner);
    propertyList = makePropertyListQuery(data, owner);
}

void SearchQueries::addPercentField(db::DataSet *ds, const QString &name, const QString &countField)
{
    const std::function<int()> criteria = m_criteriaCount;
    db::Field &f = ds->addCalculatedField(name, db::FieldType::Float, 0,
                                          [criteria, countField](const db::Record &r) -> QVariant {
        const std::optional<double> p = matchPercent(r.value(countField).toInt(), criteria());
        return p ? QVariant(*p) : QVariant();
    });
    f.setDisplayLabel(QStringLiteral("přesnost [%]"));
    f.setDisplayFormat(QStringLiteral("0.00"));
}

db::DataSet *SearchQueries::makeCompositionQuery(db::MainDataModule &data, QObject *owner)
{
    auto *ds = new db::DataSet(QStringLiteral("qHledatChemSlozeni"), &data.catalogueSession(), owner);
    ds->setSql(chemResultSql(ChemThreshold::All, 0, 0));
    defineDesignationFields(ds, 30);
    hideField(ds, "Factor");
    addPercentField(ds, QStringLiteral("clFactor"), QStringLiteral("Factor"));
    hideField(ds, "MatNumber");
    ds->setFieldOrder(names({"Norma", "Znacka", "MatNazev", "Factor", "clFactor", "MatNumber"}));
    return ds;
}

db::DataSet *SearchQueries::makePropertyQuery(db::MainDataModule &data, QObject *owner)
{
    auto *ds = new db::DataSet(QStringLiteral("qHledatMechProp"), &data.catalogueSession(), owner);
    ds->setSql(mechResultSql());
    defineDesignationFields(ds, 30);
    hideField(ds, "MatNumber");
    hideField(ds, "PocetMechProp");
    addPercentField(ds, QStringLiteral("clPresnost"), QStringLiteral("PocetMechProp"));
    ds->setFieldOrder(names({"Norma", "Znacka", "MatNazev", "MatNumber", "PocetMechProp", "clPresnost"}));
    return ds;
}

db::DataSet *SearchQueries::makePropertyListQuery(db::MainDataModule &data, QObject *owner)
{
    auto *ds = new db::DataSet(QStringLiteral("qHledatAllMechProp"), &data.catalogueSession(), owner);
    hideField(ds, "MatNumber");
    defineDesignationFields(ds, 30);
    for (const char *hidden : {"SpNumber", "DiNumber", "StNumber", "PtNumber"})
        hideField(ds, hidden);
    ds->setFieldOrder(names({"MatNumber", "Norma", "Znacka", "MatNazev"}));
    return ds;
}

} // namespace orv::search
