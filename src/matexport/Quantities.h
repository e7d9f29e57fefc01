#pragma once
// The physical quantities the catalogue names (FyzPropType: Czech name with the unit in
// brackets), recognised by name and unit, and the units they go out in. Inside the export
// every value is held in SI base units (Pa, kg/m3, 1/K, W/(m.K), J/(kg.K), Ohm.m, S/m, °C);
// a unit the export does not know is never converted by guess: the value is left out.

#include <QString>

#include <optional>

namespace orv::matexport {

enum class Quantity {
    Density,
    YoungsModulus,
    ShearModulus,
    PoissonRatio,
    Expansion,     // mean coefficient of linear thermal expansion from 20 °C
    Conductivity,  // thermal
    SpecificHeat,
    Resistivity,   // electrical
    ElectricalConductivity,
    MeltingPoint,
};
inline constexpr Quantity allQuantities[] = {
    Quantity::Density,      Quantity::YoungsModulus, Quantity::ShearModulus,         Quantity::PoissonRatio,
    Quantity::Expansion,    Quantity::Conductivity,  Quantity::SpecificHeat,         Quantity::Resistivity,
    Quantity::ElectricalConductivity, Quantity::MeltingPoint};

// Consistent systems of units for a solver.
enum class UnitSystem {
    NmmSTonne, // N, mm, s, t (stress MPa, density t/mm3)
    NmSKg,     // N, m, s, kg (stress Pa, density kg/m3)
};

// The Czech name as the catalogue starts it ("Modul pružnosti v tahu").
QString czechName(Quantity q);
// The English name simulation tools know ("Young's Modulus").
QString englishName(Quantity q);
// The key used on the command line and in JSON ("youngs_modulus").
QString quantityKey(Quantity q);
std::optional<Quantity> quantityFromKey(const QString &key);
// The unit a user types a missing value in (the catalogue's usual one: "GPa", "kg/m3" ...).
QString inputUnit(Quantity q);

// The catalogue's property text "Hustota [kg/m3]" split into its quantity and unit text.
// Nothing for a property the export does not know.
std::optional<Quantity> recogniseProperty(const QString &property, QString *unit = nullptr);

// `value` in `unit` (as the catalogue writes it) in SI base units; nothing when the unit is
// not one the export knows for the quantity.
std::optional<double> toSi(Quantity q, const QString &unit, double value);

// The unit of a quantity in a system, and an SI value in it.
QString unitName(Quantity q, UnitSystem system);
double fromSi(Quantity q, UnitSystem system, double si);

// Stress (mechanical values in MPa) in a system: "MPa" / "Pa".
QString stressUnit(UnitSystem system);
double stressFromMpa(UnitSystem system, double mpa);

// "N, mm, s, t" / "N, m, s, kg", and the longer text for file comments.
QString systemName(UnitSystem system);
QString systemDescription(UnitSystem system);

} // namespace orv::matexport
