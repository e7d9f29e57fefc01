// The solver material cards of catalogue materials run by CalculiX: a brick under uniaxial
// stress strains by stress / E of the card, a free thermal expansion step gives alpha times
// the temperature change, a card with temperature rows is read without a warning, and the
// bilinear plastic curve yields where the catalogue's Re and Rm put it.
#include "MatExportFixture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace orv::matexport;

namespace {

// One C3D8 brick, edge `edge`, held on three faces so it can contract freely; step 1 pulls
// the face x = edge with `stress`, step 2 heats the unloaded brick from 20 °C to `hot`.
QByteArray brickModel(const QString &material, double edge, double stress, double hot)
{
    const double f = stress * edge * edge / 4;
    QString s = QStringLiteral("*HEADING\nbrick\n*NODE, NSET=NALL\n");
    const int corners[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    for (int i = 0; i < 8; ++i)
        s += QStringLiteral("%1, %2, %3, %4\n").arg(i + 1).arg(corners[i][0] * edge).arg(corners[i][1] * edge).arg(corners[i][2] * edge);
    s += QStringLiteral("*ELEMENT, TYPE=C3D8, ELSET=EALL\n1, 1,2,3,4,5,6,7,8\n"
                        "*NSET, NSET=X0\n1,4,5,8\n*NSET, NSET=Y0\n1,2,5,6\n*NSET, NSET=Z0\n1,2,3,4\n*NSET, NSET=X1\n2,3,6,7\n"
                        "*INCLUDE, INPUT=material.inp\n"
                        "*SOLID SECTION, ELSET=EALL, MATERIAL=%1\n"
                        "*BOUNDARY\nX0,1\nY0,2\nZ0,3\n"
                        "*INITIAL CONDITIONS, TYPE=TEMPERATURE\nNALL, 20\n"
                        "*STEP\n*STATIC\n*CLOAD\n2,1,%2\n3,1,%2\n6,1,%2\n7,1,%2\n"
                        "*EL PRINT, ELSET=EALL\nE\n*END STEP\n"
                        "*STEP\n*STATIC\n*CLOAD, OP=NEW\n*TEMPERATURE\nNALL, %3\n"
                        "*NODE PRINT, NSET=X1\nU\n*END STEP\n")
             .arg(material)
             .arg(f, 0, 'g', 12)
             .arg(hot);
    return s.toUtf8();
}

// The strain exx of the first integration point at `time`, and the x displacement of node 2.
std::optional<double> datValue(const QString &dat, const QString &block, double time, int column)
{
    const QString head = QStringLiteral("%1 (").arg(block);
    qsizetype at = 0;
    while ((at = dat.indexOf(head, at)) >= 0) {
        const qsizetype lineEnd = dat.indexOf(u'\n', at);
        const QString header = dat.mid(at, lineEnd - at);
        static const QRegularExpression timeRe(QStringLiteral("time\\s+([0-9.E+-]+)"));
        const QRegularExpressionMatch m = timeRe.match(header);
        at = lineEnd;
        if (!m.hasMatch() || std::abs(m.captured(1).toDouble() - time) > 1e-9)
            continue;
        for (const QString &line : dat.mid(lineEnd).split(u'\n')) {
            const QStringList f = line.simplified().split(u' ', Qt::SkipEmptyParts);
            if (f.size() > column)
                return f.at(column).toDouble();
        }
    }
    return std::nullopt;
}

struct CcxRun
{
    int exit = -1;
    QString log;
    QString dat;
};

class CalculixRuns : public orv::test::MatExportTest
{
protected:
    CcxRun runBrick(const ExportItem &item, const ExportOptions &options, double edge, double stress, double hot)
    {
        const ExportResult r = exportMaterials({item}, options);
        writeFile(QStringLiteral("material.inp"), r.bytes);
        const QString name = solverName(item.data.title());
        writeFile(QStringLiteral("brick.inp"), brickModel(name, edge, stress, hot));
        CcxRun out;
        out.exit = run(QStringLiteral("ccx"), {QStringLiteral("-i"), QStringLiteral("brick")}, &out.log);
        QFile dat(root + QStringLiteral("brick.dat"));
        if (dat.open(QIODevice::ReadOnly))
            out.dat = QString::fromUtf8(dat.readAll());
        return out;
    }
};

TEST_F(CalculixRuns, StrainIsStressOverEAndExpansionIsAlphaTimesDeltaTForThreeGrades)
{
    ASSERT_TRUE(haveTool("ccx")) << "ccx (Debian package calculix-ccx) is missing";
    // S355J2, 100Cr6, EN AW-6082; the last also in N, m, s, kg.
    const struct
    {
        int material;
        UnitSystem units;
    } grades[] = {{1523, UnitSystem::NmmSTonne}, {4505, UnitSystem::NmmSTonne}, {12082, UnitSystem::NmmSTonne},
                  {12082, UnitSystem::NmSKg}};
    for (const auto &g : grades) {
        SCOPED_TRACE(g.material);
        ExportItem item{material(g.material), -1};
        const std::optional<double> eGpa = physical(item.data, "Modul pružnosti v tahu");
        ASSERT_TRUE(eGpa);
        // The first tabulated mean coefficient above 20 °C, or the one at 20 °C held to 120 °C.
        double hot = 120, alpha = 0;
        for (const PhysValue &p : item.data.physical)
            if (p.property.startsWith(QStringLiteral("Součinitel délkové")) && p.temperature && p.minValue) {
                alpha = *p.minValue * 1e-6;
                if (*p.temperature > 20) {
                    hot = *p.temperature;
                    break;
                }
            }
        ASSERT_GT(alpha, 0);
        ExportOptions o;
        o.units = g.units;
        const bool mm = g.units == UnitSystem::NmmSTonne;
        const double stress = mm ? 100.0 : 100e6; // 100 MPa
        const CcxRun r = runBrick(item, o, 1.0, stress, hot); // a 1 mm or 1 m cube
        ASSERT_EQ(r.exit, 0) << r.log.toStdString();
        EXPECT_FALSE(r.log.contains(QStringLiteral("*ERROR"))) << r.log.toStdString();
        const std::optional<double> strain = datValue(r.dat, QStringLiteral("strains"), 1.0, 2);
        ASSERT_TRUE(strain) << r.dat.toStdString();
        const double expected = 100.0 / (*eGpa * 1000.0);
        EXPECT_NEAR(*strain, expected, expected * 0.005);
        const std::optional<double> ux = datValue(r.dat, QStringLiteral("displacements"), 2.0, 1);
        ASSERT_TRUE(ux) << r.dat.toStdString();
        const double thermal = alpha * (hot - 20);
        EXPECT_NEAR(*ux, thermal, thermal * 0.005);
    }
}

TEST_F(CalculixRuns, TemperatureRowsAreReadWithoutWarnings)
{
    ASSERT_TRUE(haveTool("ccx"));
    // X5CrNi18-10: E at five temperatures, mean expansion at four; Poisson's ratio is not in
    // the catalogue, so the user gives it.
    ExportItem item{material(7562), -1};
    ExportOptions o;
    o.userValues[Quantity::PoissonRatio] = 0.3;
    const QString card = QString::fromUtf8(exportMaterials({item}, o).bytes);
    EXPECT_TRUE(card.contains(QStringLiteral("*ELASTIC\n200000, 0.3, 20\n194000, 0.3, 100\n186000, 0.3, 200\n"
                                             "179000, 0.3, 300\n172000, 0.3, 400\n")))
        << card.toStdString();
    EXPECT_TRUE(card.contains(QStringLiteral("*EXPANSION, ZERO=20\n1.6e-05, 100\n1.65e-05, 200\n1.7e-05, 300\n1.75e-05, 400\n")));
    const CcxRun r = runBrick(item, o, 1.0, 100.0, 200);
    ASSERT_EQ(r.exit, 0) << r.log.toStdString();
    EXPECT_FALSE(r.log.contains(QStringLiteral("WARNING"), Qt::CaseInsensitive)) << r.log.toStdString();
    EXPECT_FALSE(r.log.contains(QStringLiteral("ERROR"), Qt::CaseInsensitive)) << r.log.toStdString();
    EXPECT_NEAR(*datValue(r.dat, QStringLiteral("strains"), 1.0, 2), 5e-4, 5e-4 * 0.005);
    const double thermal = 16.5e-6 * 180;
    EXPECT_NEAR(*datValue(r.dat, QStringLiteral("displacements"), 2.0, 1), thermal, thermal * 0.005);
}

TEST_F(CalculixRuns, PlasticCurveIsBilinearFromReToRmAtA)
{
    ASSERT_TRUE(haveTool("ccx"));
    // S355J2 plate 3-16 mm: ReH 355, Rm 470..630 (min), A 22 %.
    ExportItem item{material(1523), 0};
    ExportOptions o;
    o.plastic = true;
    const ExportResult x = exportMaterials({item}, o);
    const QString card = QString::fromUtf8(x.bytes);
    ASSERT_TRUE(card.contains(QStringLiteral("*PLASTIC\n355, 0\n470, 0.22\n"))) << card.toStdString();
    EXPECT_TRUE(card.contains(QStringLiteral("bilineární náhrada")));
    // Halfway between Re and Rm the plastic strain is half of A, on top of the elastic part.
    const double stress = (355.0 + 470.0) / 2;
    const CcxRun r = runBrick(item, o, 1.0, stress, 120);
    ASSERT_EQ(r.exit, 0) << r.log.toStdString();
    const double expected = stress / 210000.0 + 0.11;
    const std::optional<double> strain = datValue(r.dat, QStringLiteral("strains"), 1.0, 2);
    ASSERT_TRUE(strain) << r.dat.toStdString();
    EXPECT_NEAR(*strain, expected, expected * 0.005);
}

} // namespace
