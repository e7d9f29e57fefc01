#pragma once
// What a material card holds that other tools can use, gathered from the card's own data sets
// (so a file, the command line and the card never disagree): the heading, the sources, the
// composition and equivalents as the card shows them, the physical properties and the
// mechanical rows by semi-product, state and dimension. Values keep the catalogue's units.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace orv::browse {
class MaterialCard;
}

namespace orv::matexport {

// One physical property value (a row of the card's "Fyzikální vlastnosti" grid).
struct PhysValue
{
    QString property;                  // FyzPropType.Name as the catalogue spells it, unit included
    std::optional<double> temperature; // °C
    std::optional<double> minValue;    // a single value stands here
    std::optional<double> maxValue;
    QString note;
};

// One mechanical value at one temperature (a row of the card's property grid).
struct MechValue
{
    QString code;      // PropType.Code ("Rm", "ReH", "Rp0,2", "A" ...)
    QString property;  // PropType.Name
    QString unit;      // PropType.Measure
    std::optional<double> temperature;
    std::optional<double> minValue;
    std::optional<double> maxValue;
    QString text;      // the card's cell text ("1100 - 1300 MPa")
    QString note;
};

// One semi-product / state / dimension combination with its values.
struct MechRow
{
    int semiProduct = 0; // SemiProd.Number
    int state = 0;       // States.Number
    int dimension = 0;   // Dimens.Number
    QString semiProductText;
    QString stateText;
    QString dimensionText; // "16 - 40", "<= 16", "" for any dimension
    QList<MechValue> values;

    // "Tyče, Válcováno za tepla / Zušlechtěno / 16 - 40 mm"
    QString caption() const;
};

struct CompositionValue
{
    QString element;
    QString symbol;
    std::optional<double> minValue;
    std::optional<double> maxValue;
};

struct Equivalent
{
    QString country;
    QString standard;
    QString designation;
};

struct MaterialData
{
    int materialNo = 0;
    QString name;        // Mat.Name
    QString standard;    // Norms.Name of the first row
    QString designation; // Norms.Label of the first row
    QStringList sources; // "Zdroj údajů"
    QList<CompositionValue> composition;
    QString balance;     // the "Zbytek" element, "" when none
    QList<Equivalent> equivalents;
    QList<PhysValue> physical;
    QList<MechRow> mechanical;
    int currentMechRow = -1; // the row the card's grids stand on, -1 when none

    // The designation, or the name when the material has none.
    QString title() const;
};

// Reads the loaded card. The mechanical rows are read by walking the card's master and detail
// sets (loading them first in economy mode); the grids are put back on the rows they stood on.
MaterialData readMaterialData(browse::MaterialCard &card);

} // namespace orv::matexport
