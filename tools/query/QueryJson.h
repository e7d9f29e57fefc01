#pragma once
// The JSON shapes of orv_query: numbers as numbers, units as fields of their own, null for
// a value the catalogue does not give.

#include "matexport/MaterialData.h"
#include "search/ChemSearch.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>

namespace orv::query {

struct FoundDesignation
{
    int material = 0;
    QString standard;
    QString designation;
    QString country;
    QString sheetStandard;
    QString sheetDesignation;
};

QJsonObject materialJson(const matexport::MaterialData &m);
QJsonArray foundJson(const QList<FoundDesignation> &rows);
QJsonArray compositionResultJson(const QList<search::ChemResultRow> &rows);

} // namespace orv::query
