#include "QueryJson.h"

#include "matexport/Quantities.h"

namespace orv::query {

namespace {

QJsonValue num(const std::optional<double> &v)
{
    return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

QJsonValue str(const QString &s)
{
    return s.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s);
}

} // namespace

QJsonObject materialJson(const matexport::MaterialData &m)
{
    QJsonObject o;
    o[QStringLiteral("material")] = m.materialNo;
    o[QStringLiteral("name")] = m.name;
    o[QStringLiteral("standard")] = str(m.standard);
    o[QStringLiteral("designation")] = str(m.designation);
    o[QStringLiteral("sources")] = QJsonArray::fromStringList(m.sources);

    QJsonArray comp;
    for (const matexport::CompositionValue &c : m.composition)
        comp.append(QJsonObject{{QStringLiteral("element"), c.element},
                                {QStringLiteral("symbol"), str(c.symbol)},
                                {QStringLiteral("min"), num(c.minValue)},
                                {QStringLiteral("max"), num(c.maxValue)},
                                {QStringLiteral("unit"), QStringLiteral("%")}});
    o[QStringLiteral("composition")] = comp;
    o[QStringLiteral("balance")] = str(m.balance);

    QJsonArray eq;
    for (const matexport::Equivalent &e : m.equivalents)
        eq.append(QJsonObject{{QStringLiteral("country"), str(e.country)},
                              {QStringLiteral("standard"), str(e.standard)},
                              {QStringLiteral("designation"), str(e.designation)}});
    o[QStringLiteral("equivalents")] = eq;

    QJsonArray phys;
    for (const matexport::PhysValue &p : m.physical) {
        QString unit;
        const std::optional<matexport::Quantity> q = matexport::recogniseProperty(p.property, &unit);
        QString name = p.property;
        if (const qsizetype open = name.indexOf(QLatin1Char('[')); open > 0)
            name = name.left(open).trimmed();
        phys.append(QJsonObject{{QStringLiteral("property"), name},
                                {QStringLiteral("quantity"), q ? QJsonValue(matexport::quantityKey(*q)) : QJsonValue()},
                                {QStringLiteral("unit"), str(unit)},
                                {QStringLiteral("temperature"), num(p.temperature)},
                                {QStringLiteral("temperature_unit"), QStringLiteral("°C")},
                                {QStringLiteral("min"), num(p.minValue)},
                                {QStringLiteral("max"), num(p.maxValue)},
                                {QStringLiteral("note"), str(p.note)}});
    }
    o[QStringLiteral("physical")] = phys;

    QJsonArray mech;
    for (const matexport::MechRow &r : m.mechanical) {
        QJsonArray values;
        for (const matexport::MechValue &v : r.values)
            values.append(QJsonObject{{QStringLiteral("code"), str(v.code)},
                                      {QStringLiteral("property"), v.property},
                                      {QStringLiteral("unit"), str(v.unit)},
                                      {QStringLiteral("temperature"), num(v.temperature)},
                                      {QStringLiteral("temperature_unit"), QStringLiteral("°C")},
                                      {QStringLiteral("min"), num(v.minValue)},
                                      {QStringLiteral("max"), num(v.maxValue)},
                                      {QStringLiteral("text"), v.text},
                                      {QStringLiteral("note"), str(v.note)}});
        mech.append(QJsonObject{{QStringLiteral("semi_product"), r.semiProductText},
                                {QStringLiteral("state"), r.stateText},
                                {QStringLiteral("dimension"), str(r.dimensionText)},
                                {QStringLiteral("dimension_unit"), QStringLiteral("mm")},
                                {QStringLiteral("values"), values}});
    }
    o[QStringLiteral("mechanical")] = mech;
    return o;
}

QJsonArray foundJson(const QList<FoundDesignation> &rows)
{
    QJsonArray a;
    for (const FoundDesignation &r : rows)
        a.append(QJsonObject{{QStringLiteral("material"), r.material},
                             {QStringLiteral("standard"), str(r.standard)},
                             {QStringLiteral("designation"), str(r.designation)},
                             {QStringLiteral("country"), str(r.country)},
                             {QStringLiteral("sheet_standard"), str(r.sheetStandard)},
                             {QStringLiteral("sheet_designation"), str(r.sheetDesignation)}});
    return a;
}

QJsonArray compositionResultJson(const QList<search::ChemResultRow> &rows)
{
    QJsonArray a;
    for (const search::ChemResultRow &r : rows)
        a.append(QJsonObject{{QStringLiteral("material"), r.matNumber},
                             {QStringLiteral("standard"), str(r.norma)},
                             {QStringLiteral("designation"), str(r.znacka)},
                             {QStringLiteral("name"), str(r.matNazev)},
                             {QStringLiteral("matched"), r.factor},
                             {QStringLiteral("percent"), num(r.percent)}});
    return a;
}

} // namespace orv::query
