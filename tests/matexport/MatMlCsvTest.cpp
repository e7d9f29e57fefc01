// MatML and CSV exports read back: xmllint accepts the MatML file, and every property in it
// names details that exist, with its unit and its temperatures; the CSV, read by a reader
// written apart from the writer, holds the card's values under headers with units.
#include "MatExportFixture.h"
#include "support/CsvReader.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace orv::matexport;

namespace {

struct MatMlProperty
{
    QString property; // id
    QString source;
    QStringList data;
    QString parameter;
    QStringList parameterData;
};

struct MatMlDoc
{
    QStringList names;
    QList<MatMlProperty> data;
    QMap<QString, QString> propertyNames; // id -> Name
    QMap<QString, QString> propertyUnits; // id -> Units@name ("" for Unitless)
    QStringList parameters;
    QStringList sources;
};

MatMlDoc readMatMl(const QByteArray &bytes)
{
    MatMlDoc doc;
    QXmlStreamReader x(bytes);
    QStringList path;
    QString detailsId;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            const QString n = x.name().toString();
            const QString parent = path.isEmpty() ? QString() : path.last();
            path << n;
            if (n == QLatin1String("PropertyData")) {
                doc.data << MatMlProperty{x.attributes().value(QStringLiteral("property")).toString(),
                                          x.attributes().value(QStringLiteral("source")).toString(), {}, {}, {}};
            } else if (n == QLatin1String("ParameterValue")) {
                doc.data.last().parameter = x.attributes().value(QStringLiteral("parameter")).toString();
            } else if (n == QLatin1String("Data") && parent == QLatin1String("PropertyData")) {
                doc.data.last().data = x.readElementText().split(u',');
                path.removeLast();
            } else if (n == QLatin1String("Data") && parent == QLatin1String("ParameterValue")) {
                doc.data.last().parameterData = x.readElementText().split(u',');
                path.removeLast();
            } else if (n == QLatin1String("Name") && parent == QLatin1String("BulkDetails")) {
                doc.names << x.readElementText();
                path.removeLast();
            } else if (n == QLatin1String("PropertyDetails") || n == QLatin1String("ParameterDetails")
                       || n == QLatin1String("DataSourceDetails")) {
                detailsId = x.attributes().value(QStringLiteral("id")).toString();
                if (n == QLatin1String("ParameterDetails"))
                    doc.parameters << detailsId;
                else if (n == QLatin1String("DataSourceDetails"))
                    doc.sources << detailsId;
                else
                    doc.propertyNames.insert(detailsId, QString());
            } else if (n == QLatin1String("Name") && parent == QLatin1String("PropertyDetails")) {
                doc.propertyNames[detailsId] = x.readElementText();
                path.removeLast();
            } else if (n == QLatin1String("Units") && path.value(path.size() - 2) == QLatin1String("PropertyDetails")) {
                doc.propertyUnits[detailsId] = x.attributes().value(QStringLiteral("name")).toString();
            } else if (n == QLatin1String("Unitless") && path.value(path.size() - 2) == QLatin1String("PropertyDetails")) {
                doc.propertyUnits[detailsId] = QString();
            }
        } else if (x.isEndElement()) {
            path.removeLast();
        }
    }
    EXPECT_FALSE(x.hasError()) << x.errorString().toStdString();
    return doc;
}

class MatMlAndCsv : public orv::test::MatExportTest
{
};

TEST_F(MatMlAndCsv, MatMlIsAcceptedByXmllintAndEveryPropertyHasItsDetails)
{
    ASSERT_TRUE(haveTool("xmllint")) << "xmllint (Debian package libxml2-utils) is missing";
    // X5CrNi18-10 and 42CrMo4 in one file: temperature rows, mechanical values, two sources.
    ExportItem stainless{material(7562), 0};
    ExportItem qt{material(2142), 1};
    ExportOptions o;
    o.format = Format::MatMl;
    const ExportResult r = exportMaterials({stainless, qt}, o);
    const QString file = writeFile(QStringLiteral("materialy.xml"), r.bytes);
    QString lint;
    EXPECT_EQ(run(QStringLiteral("xmllint"), {QStringLiteral("--noout"), file}, &lint), 0) << lint.toStdString();

    const MatMlDoc doc = readMatMl(r.bytes);
    EXPECT_EQ(doc.names, (QStringList{QStringLiteral("X5CrNi18-10"), QStringLiteral("42CrMo4")}));
    ASSERT_FALSE(doc.data.isEmpty());
    for (const MatMlProperty &p : doc.data) {
        SCOPED_TRACE(p.property.toStdString());
        EXPECT_TRUE(doc.propertyNames.contains(p.property));
        EXPECT_TRUE(doc.propertyUnits.contains(p.property));
        EXPECT_TRUE(p.source.isEmpty() || doc.sources.contains(p.source));
        if (!p.parameter.isEmpty()) {
            EXPECT_TRUE(doc.parameters.contains(p.parameter));
            EXPECT_EQ(p.parameterData.size(), p.data.size());
        }
    }
    // Young's modulus of the stainless steel: five temperatures, in MPa, from the card.
    const QString eId = doc.propertyNames.key(QStringLiteral("Young's Modulus"));
    EXPECT_EQ(doc.propertyUnits.value(eId), QStringLiteral("MPa"));
    const auto e = std::find_if(doc.data.begin(), doc.data.end(), [&](const MatMlProperty &p) { return p.property == eId; });
    ASSERT_NE(e, doc.data.end());
    EXPECT_EQ(e->data, (QStringList{QStringLiteral("200000"), QStringLiteral("194000"), QStringLiteral("186000"),
                                     QStringLiteral("179000"), QStringLiteral("172000")}));
    EXPECT_EQ(e->parameterData,
              (QStringList{QStringLiteral("20"), QStringLiteral("100"), QStringLiteral("200"), QStringLiteral("300"),
                           QStringLiteral("400")}));
    // 42CrMo4 +QT 16-40 mm: Rm 1000..1200 gives its minimum, with the standard as source.
    const QString rmId = doc.propertyNames.key(QStringLiteral("Tensile Strength"));
    const auto rm = std::find_if(doc.data.rbegin(), doc.data.rend(), [&](const MatMlProperty &p) { return p.property == rmId; });
    ASSERT_NE(rm, doc.data.rend());
    EXPECT_EQ(rm->data, QStringList{QStringLiteral("1000")});
    EXPECT_TRUE(r.bytes.contains("EN 10083-3:2006"));
    // 42CrMo4 has no physical properties in the catalogue: none written, all listed.
    EXPECT_TRUE(r.missing.contains(QStringLiteral("42CrMo4: Modul pružnosti v tahu")));
    EXPECT_TRUE(r.missing.contains(QStringLiteral("X5CrNi18-10: Poissonovo číslo")));
}

TEST_F(MatMlAndCsv, CsvHoldsTheCardValuesUnderHeadersWithUnits)
{
    ExportItem item{material(7562), 0};
    ExportOptions o;
    o.format = Format::Csv;
    o.units = UnitSystem::NmSKg;
    o.range = RangeValue::Max;
    bool bom = false;
    const QList<QStringList> rows = orv::test::readCsv(exportMaterials({item}, o).bytes, &bom);
    EXPECT_TRUE(bom);
    ASSERT_GE(rows.size(), 6); // header and 20, 100, 200, 300, 400 °C
    const QStringList &h = rows.first();
    const qsizetype t = h.indexOf(QStringLiteral("Teplota [°C]"));
    const qsizetype e = h.indexOf(QStringLiteral("Modul pružnosti v tahu [Pa]"));
    const qsizetype rho = h.indexOf(QStringLiteral("Hustota [kg/m3]"));
    const qsizetype range = h.indexOf(QStringLiteral("Z rozsahu"));
    ASSERT_GE(t, 0);
    ASSERT_GE(e, 0) << h.join(u'|').toStdString();
    ASSERT_GE(rho, 0);
    for (const QStringList &row : rows.mid(1)) {
        ASSERT_EQ(row.size(), h.size());
        EXPECT_EQ(row.at(range), QStringLiteral("maximum"));
        const double temperature = row.at(t).toDouble();
        const std::optional<double> gpa = physical(item.data, "Modul pružnosti v tahu", temperature);
        ASSERT_TRUE(gpa) << temperature;
        EXPECT_DOUBLE_EQ(QString(row.at(e)).replace(u',', u'.').toDouble(), *gpa * 1e9);
    }
    EXPECT_EQ(rows.at(1).at(rho), QStringLiteral("7900"));
    EXPECT_TRUE(rows.at(2).at(rho).isEmpty()); // density only at 20 °C
}

} // namespace
