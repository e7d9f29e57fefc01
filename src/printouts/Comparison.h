#pragma once
// A comparison of two to six materials of the catalogue: one column per material, one row per
// value (designation, standard, source, equivalents per country, composition per element,
// the mechanical properties at 20 °C of the best matching semi-product, state and dimension
// range, physical properties, heat treatment temperatures). Rows whose cells are not all the
// same are marked as differing.

#include <QList>
#include <QString>
#include <QStringList>

namespace orv::db {
class Connection;
}

namespace orv::printouts {

constexpr int kCompareMin = 2;
constexpr int kCompareMax = 6;

// The mechanical row each material is compared by: the semi-product kind (SemTypes number,
// 0 = any), the state (StTypes number, 0 = any) and a dimension in mm (negative = any). A
// material shows its row that meets most of them, the semi-product counting most, then the
// state, then the dimension; among equals the first in the catalogue's order.
struct CompareCriteria
{
    int semiProductKind = 0;
    int state = 0;
    double dimension = -1;
};

struct CompareRow
{
    QString group;
    QString caption;
    QStringList cells;       // one per material
    bool differs = false;
    bool identity = false;   // rows naming the materials and the compared row: never hidden
};

struct Comparison
{
    QList<int> materials;
    QStringList headings;    // the designation of each material (its name while it has none)
    QList<bool> own;         // per material: the user's own material (Mat.Private = "A")
    QList<int> dimensions;   // per material: Dimens.Number of the compared row, 0 when none
    QList<CompareRow> rows;

    // The rows shown: all, or without the rows whose cells are equal.
    QList<CompareRow> visibleRows(bool hideEqual) const;
    // Heading line ("Skupina", "Vlastnost", materials) and the visible rows, as texts.
    QList<QStringList> lines(bool hideEqual) const;
};

// Group captions.
QString compareGroupMaterial();
QString compareGroupEquivalents();
QString compareGroupComposition();
QString compareGroupMechanical();
QString compareGroupPhysical();
QString compareGroupHeatTreatment();

// The line under an own material's name, and its "Zdroj údajů".
QString ownMaterialMark();
QString ownMaterialSource();

// Reads the comparison of the materials (catalogue numbers, in column order). Throws
// db::DbError when the catalogue cannot be read.
Comparison loadComparison(db::Connection &catalogue, const QList<int> &materials,
                          const CompareCriteria &criteria = {});

// Code lists of the criteria: number and name.
struct CodeItem
{
    int number = 0;
    QString name;
};
QList<CodeItem> semiProductKinds(db::Connection &catalogue);
QList<CodeItem> stateKinds(db::Connection &catalogue);

} // namespace orv::printouts
