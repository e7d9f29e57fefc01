#include "matexport/Quantities.h"

#include <cmath>

namespace orv::matexport {

namespace {

struct QuantityInfo
{
    Quantity q;
    const char16_t *czech;
    const char *english;
    const char *key;
    const char *inputUnit;
    // Output units: N-mm-s-t and N-m-s-kg, with the factor from SI.
    const char16_t *unitMm;
    double fromSiMm;
    const char16_t *unitM;
};

const QuantityInfo infos[] = {
    {Quantity::Density, u"Hustota", "Density", "density", "kg/m3", u"t/mm3", 1e-12, u"kg/m3"},
    {Quantity::YoungsModulus, u"Modul pružnosti v tahu", "Young's Modulus", "youngs_modulus", "GPa", u"MPa", 1e-6,
     u"Pa"},
    {Quantity::ShearModulus, u"Modul pružnosti ve smyku", "Shear Modulus", "shear_modulus", "GPa", u"MPa", 1e-6, u"Pa"},
    {Quantity::PoissonRatio, u"Poissonovo číslo", "Poisson's Ratio", "poisson_ratio", "-", u"-", 1, u"-"},
    {Quantity::Expansion, u"Součinitel délkové teplotní roztažnosti", "Coefficient of Thermal Expansion",
     "thermal_expansion", "10-6/K", u"1/K", 1, u"1/K"},
    // 1 W/(m.K) = 1 mW/(mm.K) = 1 N/(s.K)
    {Quantity::Conductivity, u"Tepelná vodivost", "Thermal Conductivity", "thermal_conductivity", "W/(m.K)",
     u"mW/(mm.K)", 1, u"W/(m.K)"},
    // 1 J/(kg.K) = 1e6 mJ/(t.K) = 1e6 mm2/(s2.K)
    {Quantity::SpecificHeat, u"Měrná tepelná kapacita", "Specific Heat", "specific_heat", "J/(kg.K)", u"mJ/(t.K)", 1e6,
     u"J/(kg.K)"},
    {Quantity::Resistivity, u"Měrný elektrický odpor", "Electrical Resistivity", "electrical_resistivity", "Ohm.mm2/m",
     u"Ohm.mm", 1e3, u"Ohm.m"},
    {Quantity::ElectricalConductivity, u"Elektrická vodivost", "Electrical Conductivity", "electrical_conductivity",
     "MS/m", u"S/mm", 1e-3, u"S/m"},
    {Quantity::MeltingPoint, u"Teplota tání", "Melting Point", "melting_point", "°C", u"°C", 1, u"°C"},
};

const QuantityInfo &info(Quantity q)
{
    for (const QuantityInfo &i : infos)
        if (i.q == q)
            return i;
    return infos[0];
}

// The catalogue writes units with a few spellings; compare them without blanks and case.
QString unitKey(const QString &unit)
{
    QString u = unit;
    u.remove(QLatin1Char(' '));
    u.replace(QStringLiteral("·"), QStringLiteral("."));
    u.replace(QStringLiteral("³"), QStringLiteral("3"));
    u.replace(QStringLiteral("²"), QStringLiteral("2"));
    u.replace(QStringLiteral("Ω"), QStringLiteral("ohm"));
    u.replace(QStringLiteral("°"), QString());
    return u.toLower();
}

} // namespace

QString czechName(Quantity q)
{
    return QString::fromUtf16(info(q).czech);
}

QString englishName(Quantity q)
{
    return QString::fromLatin1(info(q).english);
}

QString quantityKey(Quantity q)
{
    return QString::fromLatin1(info(q).key);
}

std::optional<Quantity> quantityFromKey(const QString &key)
{
    for (const QuantityInfo &i : infos)
        if (key.compare(QLatin1String(i.key), Qt::CaseInsensitive) == 0)
            return i.q;
    return std::nullopt;
}

QString inputUnit(Quantity q)
{
    return QString::fromUtf8(info(q).inputUnit);
}

std::optional<Quantity> recogniseProperty(const QString &property, QString *unit)
{
    const QString text = property.trimmed();
    const qsizetype open = text.indexOf(QLatin1Char('['));
    const QString name = (open >= 0 ? text.left(open) : text).trimmed();
    QString u;
    if (open >= 0) {
        const qsizetype close = text.indexOf(QLatin1Char(']'), open);
        u = text.mid(open + 1, close > open ? close - open - 1 : -1).trimmed();
    }
    for (const QuantityInfo &i : infos) {
        if (name.compare(QString::fromUtf16(i.czech), Qt::CaseInsensitive) == 0) {
            if (unit)
                *unit = u;
            return i.q;
        }
    }
    return std::nullopt;
}

std::optional<double> toSi(Quantity q, const QString &unit, double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const QString u = unitKey(unit);
    auto is = [&u](std::initializer_list<const char *> names) {
        for (const char *n : names)
            if (u == QLatin1String(n))
                return true;
        return false;
    };
    switch (q) {
    case Quantity::Density:
        if (is({"kg/m3", "kg.m-3"}))
            return value;
        if (is({"g/cm3", "kg/dm3", "t/m3"}))
            return value * 1e3;
        break;
    case Quantity::YoungsModulus:
    case Quantity::ShearModulus:
        if (is({"gpa", "kn/mm2", "10^3mpa", "103mpa"}))
            return value * 1e9;
        if (is({"mpa", "n/mm2"}))
            return value * 1e6;
        if (is({"pa"}))
            return value;
        break;
    case Quantity::PoissonRatio:
        if (is({"-", ""}))
            return value;
        break;
    case Quantity::Expansion:
        if (is({"10-6/k", "10^-6/k", "1e-6/k", "um/(m.k)", "µm/(m.k)", "μm/(m.k)"}))
            return value * 1e-6;
        if (is({"1/k"}))
            return value;
        break;
    case Quantity::Conductivity:
        if (is({"w/(m.k)", "w/m.k", "w/(mk)", "w/mk", "w.m-1.k-1"}))
            return value;
        break;
    case Quantity::SpecificHeat:
        if (is({"j/(kg.k)", "j/kg.k", "j/(kgk)", "j/kgk", "j.kg-1.k-1"}))
            return value;
        if (is({"kj/(kg.k)"}))
            return value * 1e3;
        break;
    case Quantity::Resistivity:
        if (is({"ohm.mm2/m", "ohmmm2/m"}))
            return value * 1e-6;
        if (is({"ohm.m"}))
            return value;
        break;
    case Quantity::ElectricalConductivity:
        if (is({"ms/m"}))
            return value * 1e6;
        if (is({"s/m"}))
            return value;
        break;
    case Quantity::MeltingPoint:
        if (is({"c"}))
            return value;
        break;
    }
    return std::nullopt;
}

QString unitName(Quantity q, UnitSystem system)
{
    const QuantityInfo &i = info(q);
    return QString::fromUtf16(system == UnitSystem::NmmSTonne ? i.unitMm : i.unitM);
}

double fromSi(Quantity q, UnitSystem system, double si)
{
    return system == UnitSystem::NmmSTonne ? si * info(q).fromSiMm : si;
}

QString stressUnit(UnitSystem system)
{
    return system == UnitSystem::NmmSTonne ? QStringLiteral("MPa") : QStringLiteral("Pa");
}

double stressFromMpa(UnitSystem system, double mpa)
{
    return system == UnitSystem::NmmSTonne ? mpa : mpa * 1e6;
}

QString systemName(UnitSystem system)
{
    return system == UnitSystem::NmmSTonne ? QStringLiteral("N, mm, s, t") : QStringLiteral("N, m, s, kg");
}

QString systemDescription(UnitSystem system)
{
    return system == UnitSystem::NmmSTonne
               ? QStringLiteral("N, mm, s, t (napětí a moduly MPa, hustota t/mm3, tepelná vodivost mW/(mm.K), "
                                "měrná tepelná kapacita mJ/(t.K), teplota °C)")
               : QStringLiteral("N, m, s, kg (napětí a moduly Pa, hustota kg/m3, tepelná vodivost W/(m.K), "
                                "měrná tepelná kapacita J/(kg.K), teplota °C)");
}

} // namespace orv::matexport
