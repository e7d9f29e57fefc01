// The values of an export without any file tool: catalogue units recognised or refused,
// ranges chosen, names made safe for a solver, and what the catalogue lacks left out of the
// file and listed instead of being filled in.
#include "matexport/MaterialExport.h"
#include "matexport/Quantities.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv::matexport;

namespace {

struct UnitCase
{
    const char *property;
    std::optional<Quantity> quantity;
    double value;
    std::optional<double> si;
};

TEST(ExportValues, CatalogueUnitsBecomeSiOrAreRefused)
{
    const UnitCase cases[] = {
        {"Hustota [kg/m3]", Quantity::Density, 7850, 7850},
        {"Hustota [g/cm3]", Quantity::Density, 7.85, 7850},
        {"Modul pružnosti v tahu [GPa]", Quantity::YoungsModulus, 210, 210e9},
        {"Modul pružnosti ve smyku [MPa]", Quantity::ShearModulus, 81000, 81e9},
        {"Součinitel délkové teplotní roztažnosti [10-6/K]", Quantity::Expansion, 12, 12e-6},
        {"Tepelná vodivost [W/(m.K)]", Quantity::Conductivity, 50, 50},
        {"Měrná tepelná kapacita [J/(kg.K)]", Quantity::SpecificHeat, 460, 460},
        {"Měrný elektrický odpor [Ohm.mm2/m]", Quantity::Resistivity, 0.73, 0.73e-6},
        {"Poissonovo číslo [-]", Quantity::PoissonRatio, 0.3, 0.3},
        {"Teplota tání [°C]", Quantity::MeltingPoint, 1450, 1450},
        // A unit the export does not know is never converted by guess.
        {"Hustota [lb/in3]", Quantity::Density, 0.28, std::nullopt},
        {"Modul pružnosti v tahu [ksi]", Quantity::YoungsModulus, 30000, std::nullopt},
        {"Tvrdost [HB]", std::nullopt, 200, std::nullopt},
    };
    for (const UnitCase &c : cases) {
        QString unit;
        const std::optional<Quantity> q = recogniseProperty(QString::fromUtf8(c.property), &unit);
        ASSERT_EQ(q, c.quantity) << c.property;
        if (!q)
            continue;
        const std::optional<double> si = toSi(*q, unit, c.value);
        ASSERT_EQ(bool(si), bool(c.si)) << c.property;
        if (si) {
            EXPECT_NEAR(*si, *c.si, std::abs(*c.si) * 1e-12) << c.property;
        }
    }
    // The two systems of a solver: 210 GPa, 7850 kg/m3, 460 J/(kg.K).
    EXPECT_DOUBLE_EQ(fromSi(Quantity::YoungsModulus, UnitSystem::NmmSTonne, 210e9), 210000);
    EXPECT_DOUBLE_EQ(fromSi(Quantity::Density, UnitSystem::NmmSTonne, 7850), 7.85e-9);
    EXPECT_DOUBLE_EQ(fromSi(Quantity::SpecificHeat, UnitSystem::NmmSTonne, 460), 4.6e8);
    EXPECT_DOUBLE_EQ(fromSi(Quantity::Density, UnitSystem::NmSKg, 7850), 7850);
}

TEST(ExportValues, RangesGiveTheChosenValueAndOneSidedRangesTheirBound)
{
    EXPECT_EQ(chooseValue(470, 630, RangeValue::Min), 470);
    EXPECT_EQ(chooseValue(470, 630, RangeValue::Mean), 550);
    EXPECT_EQ(chooseValue(470, 630, RangeValue::Max), 630);
    EXPECT_EQ(chooseValue(355, std::nullopt, RangeValue::Max), 355);
    EXPECT_EQ(chooseValue(std::nullopt, 241, RangeValue::Min), 241);
    EXPECT_FALSE(chooseValue(std::nullopt, std::nullopt, RangeValue::Mean));
}

TEST(ExportValues, SolverNamesAreSafeAndDistinct)
{
    EXPECT_EQ(solverName(QStringLiteral("42CrMo4")), QStringLiteral("M_42CrMo4"));
    EXPECT_EQ(solverName(QStringLiteral("X5CrNi18-10")), QStringLiteral("X5CrNi18-10"));
    EXPECT_EQ(solverName(QStringLiteral("EN AW-6082 [AlSi1MgMn]")), QStringLiteral("EN_AW-6082__AlSi1MgMn_"));
    EXPECT_EQ(solverName(QStringLiteral("Č 11 523")), QStringLiteral("C_11_523"));
    EXPECT_LE(solverName(QString(200, u'A')).size(), 80);

    MaterialData a;
    a.designation = QStringLiteral("s355");
    MaterialData b;
    b.designation = QStringLiteral("S355");
    ExportOptions o;
    o.physical = false;
    o.mechanical = false;
    const QString inp = QString::fromUtf8(exportMaterials({{a, -1}, {b, -1}}, o).bytes);
    EXPECT_TRUE(inp.contains(QStringLiteral("*MATERIAL, NAME=s355\n")));
    EXPECT_TRUE(inp.contains(QStringLiteral("*MATERIAL, NAME=S355_2\n")));
}

MaterialData withPhysical(std::initializer_list<PhysValue> values)
{
    MaterialData m;
    m.materialNo = 1;
    m.designation = QStringLiteral("TEST1");
    m.name = QStringLiteral("Zkušební ocel");
    m.physical = values;
    return m;
}

TEST(ExportValues, WhatTheCatalogueLacksIsListedAndNeverWritten)
{
    // E without Poisson's ratio or shear modulus: no *ELASTIC, nothing made up.
    const MaterialData m = withPhysical({{QStringLiteral("Modul pružnosti v tahu [GPa]"), 20, 210, {}, {}},
                                         {QStringLiteral("Hustota [lb/in3]"), 20, 0.28, {}, {}}});
    ExportOptions o;
    const ExportResult r = exportMaterials({{m, -1}}, o);
    const QString inp = QString::fromUtf8(r.bytes);
    EXPECT_FALSE(inp.contains(QStringLiteral("\n*ELASTIC")));
    EXPECT_FALSE(inp.contains(QStringLiteral("\n*DENSITY")));
    EXPECT_TRUE(r.missing.contains(QStringLiteral("Poissonovo číslo")));
    EXPECT_TRUE(r.missing.contains(QStringLiteral("Tepelná vodivost")));
    EXPECT_TRUE(r.missing.contains(QStringLiteral("*ELASTIC vynechán: chybí Poissonovo číslo")));
    EXPECT_TRUE(std::any_of(r.missing.begin(), r.missing.end(),
                            [](const QString &s) { return s.contains(QStringLiteral("„lb/in3“ není známa")); }))
        << r.missing.join(QLatin1Char('|')).toStdString();

    // Typed by the user: used and said so in the file.
    o.userValues[Quantity::PoissonRatio] = 0.3;
    const ExportResult typed = exportMaterials({{m, -1}}, o);
    const QString typedInp = QString::fromUtf8(typed.bytes);
    EXPECT_TRUE(typedInp.contains(QStringLiteral("*ELASTIC\n210000, 0.3, 20\n")));
    EXPECT_TRUE(typedInp.contains(QStringLiteral("Poissonovo číslo = 0.3 při 20 °C zadal uživatel")));
    EXPECT_FALSE(typed.missing.contains(QStringLiteral("Poissonovo číslo")));
}

TEST(ExportValues, PoissonRatioFromBothModuliAtTheSameTemperature)
{
    const MaterialData m = withPhysical({{QStringLiteral("Modul pružnosti v tahu [GPa]"), 20, 210, {}, {}},
                                         {QStringLiteral("Modul pružnosti ve smyku [GPa]"), 20, 81, {}, {}}});
    const ExportResult r = exportMaterials({{m, -1}}, ExportOptions());
    const QString inp = QString::fromUtf8(r.bytes);
    // 210 / (2 * 81) - 1
    EXPECT_TRUE(inp.contains(QStringLiteral("*ELASTIC\n210000, 0.2962963, 20\n"))) << inp.toStdString();
    EXPECT_TRUE(inp.contains(QStringLiteral("dopočteno z modulů")));
    EXPECT_FALSE(r.missing.contains(QStringLiteral("Poissonovo číslo")));
}

TEST(ExportValues, AFailedSaveLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.inp"));
    ASSERT_TRUE(saveExportFile(file, "old\n").isEmpty());
    // A folder in the way of the temporary file: nothing is written, the reason is Czech.
    const QString inMissingFolder = dir.filePath(QStringLiteral("chybí/m.inp"));
    const QString why = saveExportFile(inMissingFolder, "new\n");
    EXPECT_TRUE(why.startsWith(QStringLiteral("Soubor "))) << why.toStdString();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old\n"));
}

} // namespace
