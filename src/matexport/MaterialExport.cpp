#include "matexport/MaterialExport.h"

#include "core/SafeFile.h"
#include "ui/CsvText.h"

#include <QSet>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>

namespace orv::matexport {

namespace {

struct Point
{
    std::optional<double> temperature;
    double value = 0; // SI, or the catalogue unit for mechanical values
};

struct MechPoint
{
    QString code;
    QString property;
    QString unit;
    std::optional<double> temperature;
    double value = 0;
};

// One material with its values resolved for the file.
struct Resolved
{
    const MaterialData *data = nullptr;
    const MechRow *row = nullptr;
    QString name; // solver name, unique in the file
    QMap<Quantity, QList<Point>> phys;
    QList<Quantity> typed; // values the user typed
    QList<MechPoint> mech;
    QStringList notes;
    QStringList missing;
    bool rangeUsed = false;
};

QString num(double v)
{
    return QString::number(v, 'g', 8);
}

QString temperatureText(std::optional<double> t)
{
    return t ? num(*t) + QStringLiteral(" °C") : QStringLiteral("bez teploty");
}

bool isRange(std::optional<double> min, std::optional<double> max)
{
    return min && max && *min != *max;
}

void sortPoints(QList<Point> &points)
{
    std::stable_sort(points.begin(), points.end(), [](const Point &a, const Point &b) {
        if (!a.temperature || !b.temperature)
            return !a.temperature && b.temperature;
        return *a.temperature < *b.temperature;
    });
}

void resolvePhysical(Resolved &r, const ExportOptions &o)
{
    for (const PhysValue &p : r.data->physical) {
        QString unit;
        const std::optional<Quantity> q = recogniseProperty(p.property, &unit);
        if (!q) {
            r.notes << QStringLiteral("Vlastnost „%1“ se do výpočtů nepřenáší, vynechána.").arg(p.property);
            continue;
        }
        const std::optional<double> v = chooseValue(p.minValue, p.maxValue, o.range);
        if (!v)
            continue;
        const std::optional<double> si = toSi(*q, unit, *v);
        if (!si) {
            r.missing << QStringLiteral("%1 při %2: jednotka „%3“ není známa, hodnota vynechána")
                             .arg(czechName(*q), temperatureText(p.temperature), unit);
            continue;
        }
        QList<Point> &points = r.phys[*q];
        const bool duplicate = std::any_of(points.begin(), points.end(),
                                           [&](const Point &x) { return x.temperature == p.temperature; });
        if (duplicate) {
            r.notes << QStringLiteral("%1 při %2 je v katalogu dvakrát; použita první hodnota.")
                           .arg(czechName(*q), temperatureText(p.temperature));
            continue;
        }
        r.rangeUsed = r.rangeUsed || isRange(p.minValue, p.maxValue);
        points << Point{p.temperature, *si};
    }
    for (auto it = r.phys.begin(); it != r.phys.end(); ++it) {
        QList<Point> &points = it.value();
        sortPoints(points);
        // A value without a temperature beside values with one cannot be placed in a table.
        if (points.size() > 1 && !points.first().temperature) {
            points.removeFirst();
            r.notes << QStringLiteral("%1 bez teploty vynechán(a) vedle hodnot s teplotou.").arg(czechName(it.key()));
        }
    }
    for (auto it = o.userValues.begin(); it != o.userValues.end(); ++it) {
        if (r.phys.contains(it.key())) {
            r.notes << QStringLiteral("Zadaná hodnota veličiny %1 nepoužita: katalog ji uvádí.").arg(czechName(it.key()));
            continue;
        }
        const std::optional<double> si = toSi(it.key(), inputUnit(it.key()), it.value());
        if (!si)
            continue;
        r.phys[it.key()] = {Point{20.0, *si}};
        r.typed << it.key();
        const QString unit = inputUnit(it.key()) == QLatin1String("-") ? QString() : QLatin1Char(' ') + inputUnit(it.key());
        r.notes << QStringLiteral("%1 = %2%3 při 20 °C zadal uživatel (v katalogu chybí).")
                       .arg(czechName(it.key()), num(it.value()), unit);
    }
}

void resolveMechanical(Resolved &r, const ExportOptions &o)
{
    if (!r.row)
        return;
    for (const MechValue &m : r.row->values) {
        const std::optional<double> v = chooseValue(m.minValue, m.maxValue, o.range);
        if (!v)
            continue;
        r.rangeUsed = r.rangeUsed || isRange(m.minValue, m.maxValue);
        r.mech << MechPoint{m.code, m.property, m.unit, m.temperature, *v};
    }
}

// A mechanical value at room temperature (20 °C or none given).
std::optional<MechPoint> roomValue(const Resolved &r, const QString &code)
{
    for (const MechPoint &m : r.mech)
        if (m.code == code && (!m.temperature || *m.temperature == 20.0))
            return m;
    return std::nullopt;
}

// What a calculation needs at least; the rest is exported when the catalogue has it.
QList<Quantity> neededQuantities()
{
    return {Quantity::Density,   Quantity::YoungsModulus, Quantity::PoissonRatio,
            Quantity::Expansion, Quantity::Conductivity,  Quantity::SpecificHeat};
}

Resolved resolve(const ExportItem &item, const ExportOptions &o)
{
    Resolved r;
    r.data = &item.data;
    if (o.mechanical && item.mechRow >= 0 && item.mechRow < item.data.mechanical.size())
        r.row = &item.data.mechanical.at(item.mechRow);
    if (o.physical) {
        resolvePhysical(r, o);
        for (Quantity q : neededQuantities()) {
            if (r.phys.contains(q))
                continue;
            const bool derivable = q == Quantity::PoissonRatio && o.format == Format::Inp
                                   && r.phys.contains(Quantity::ShearModulus) && r.phys.contains(Quantity::YoungsModulus);
            if (!derivable)
                r.missing << czechName(q);
        }
    }
    resolveMechanical(r, o);
    if (o.mechanical && !r.row && (o.plastic || item.mechRow >= 0 || !item.data.mechanical.isEmpty()))
        r.missing << QStringLiteral("mechanické vlastnosti (není vybrán polotovar, stav a rozměr)");
    return r;
}

// ---------------------------------------------------------------- solver material card

struct ElasticRow
{
    double e;
    double nu;
    std::optional<double> temperature;
};

QList<ElasticRow> elasticRows(Resolved &r)
{
    QList<ElasticRow> out;
    const QList<Point> e = r.phys.value(Quantity::YoungsModulus);
    if (e.isEmpty()) {
        r.missing << QStringLiteral("*ELASTIC vynechán: chybí modul pružnosti v tahu");
        return out;
    }
    QList<Point> nu = r.phys.value(Quantity::PoissonRatio);
    if (nu.isEmpty()) {
        const QList<Point> g = r.phys.value(Quantity::ShearModulus);
        for (const Point &pe : e)
            for (const Point &pg : g)
                if (pe.temperature == pg.temperature && pg.value > 0)
                    nu << Point{pe.temperature, pe.value / (2 * pg.value) - 1};
        if (!nu.isEmpty())
            r.notes << QStringLiteral("Poissonovo číslo v katalogu chybí; dopočteno z modulů pružnosti v tahu a ve "
                                      "smyku (nu = E / 2G - 1).");
    }
    if (nu.isEmpty()) {
        r.missing << QStringLiteral("*ELASTIC vynechán: chybí Poissonovo číslo");
        return out;
    }
    if (nu.size() == 1) {
        if (e.size() > 1)
            r.notes << QStringLiteral("Poissonovo číslo je uvedeno jen pro %1; použito pro všechny teploty.")
                           .arg(temperatureText(nu.first().temperature));
        for (const Point &pe : e)
            out << ElasticRow{pe.value, nu.first().value, pe.temperature};
    } else {
        for (const Point &pe : e) {
            const auto match = std::find_if(nu.begin(), nu.end(), [&](const Point &p) { return p.temperature == pe.temperature; });
            if (match == nu.end())
                r.notes << QStringLiteral("Modul pružnosti při %1 vynechán: k teplotě chybí Poissonovo číslo.")
                               .arg(temperatureText(pe.temperature));
            else
                out << ElasticRow{pe.value, match->value, pe.temperature};
        }
    }
    const auto bad = std::remove_if(out.begin(), out.end(), [](const ElasticRow &x) {
        return !(x.e > 0) || !(x.nu > -1 && x.nu < 0.5);
    });
    if (bad != out.end()) {
        r.notes << QStringLiteral("Řádky *ELASTIC s nefyzikální hodnotou (E <= 0 nebo nu mimo -1 až 0,5) vynechány.");
        out.erase(bad, out.end());
    }
    if (out.isEmpty())
        r.missing << QStringLiteral("*ELASTIC vynechán: žádná použitelná dvojice E a nu");
    return out;
}

// Wraps a comment so that no line passes the solver's line length.
void comment(QStringList &lines, const QString &text)
{
    QString line;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && (line + QLatin1Char(' ') + word).toUtf8().size() > 110) {
            lines << QStringLiteral("** ") + line;
            line.clear();
        }
        line = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    }
    lines << QStringLiteral("** ") + line;
}

// Rows of "value[, more], temperature"; the temperature is left out when the table is one
// row without one.
void tableRows(QStringList &lines, const QList<Point> &points, double factor)
{
    for (const Point &p : points) {
        QString row = num(p.value * factor);
        if (p.temperature)
            row += QStringLiteral(", ") + num(*p.temperature);
        lines << row;
    }
}

void writeInpMaterial(QStringList &lines, Resolved &r, const ExportOptions &o)
{
    const MaterialData &d = *r.data;
    QList<ElasticRow> elastic;
    if (o.physical)
        elastic = elasticRows(r);

    QStringList body;
    body << QStringLiteral("*MATERIAL, NAME=") + r.name;
    if (!elastic.isEmpty()) {
        body << QStringLiteral("*ELASTIC");
        const bool withT = elastic.size() > 1 || elastic.first().temperature;
        for (const ElasticRow &x : elastic) {
            QString row = num(fromSi(Quantity::YoungsModulus, o.units, x.e)) + QStringLiteral(", ") + num(x.nu);
            if (withT && x.temperature)
                row += QStringLiteral(", ") + num(*x.temperature);
            body << row;
        }
    }
    const struct
    {
        Quantity q;
        const char *keyword;
    } tables[] = {{Quantity::Density, "*DENSITY"},
                  {Quantity::Expansion, "*EXPANSION, ZERO=20"},
                  {Quantity::Conductivity, "*CONDUCTIVITY"},
                  {Quantity::SpecificHeat, "*SPECIFIC HEAT"}};
    if (o.physical) {
        for (const auto &t : tables) {
            const QList<Point> points = r.phys.value(t.q);
            if (points.isEmpty())
                continue;
            body << QString::fromLatin1(t.keyword);
            tableRows(body, points, fromSi(t.q, o.units, 1.0));
        }
    }
    if (o.plastic) {
        std::optional<MechPoint> re;
        for (const QString &code : yieldCodes())
            if (!re)
                re = roomValue(r, code);
        const std::optional<MechPoint> rm = roomValue(r, QStringLiteral("Rm"));
        const std::optional<MechPoint> a = roomValue(r, QStringLiteral("A"));
        if (elastic.isEmpty()) {
            r.missing << QStringLiteral("*PLASTIC vynechán: bez *ELASTIC jej řešič nepřijme");
        } else if (!re || !rm || !a) {
            QStringList lack;
            if (!re)
                lack << QStringLiteral("mez kluzu (%1)").arg(yieldCodes().join(QStringLiteral(", ")));
            if (!rm)
                lack << QStringLiteral("Rm");
            if (!a)
                lack << QStringLiteral("A");
            r.missing << QStringLiteral("*PLASTIC vynechán: při 20 °C chybí ") + lack.join(QStringLiteral(", "));
        } else {
            body << QStringLiteral("*PLASTIC");
            body << num(stressFromMpa(o.units, re->value)) + QStringLiteral(", 0");
            if (rm->value > re->value)
                body << num(stressFromMpa(o.units, rm->value)) + QStringLiteral(", ") + num(a->value / 100.0);
            r.notes << QStringLiteral("*PLASTIC je bilineární náhrada: %1 = %2 MPa při plastické deformaci 0, "
                                      "Rm = %3 MPa při plastické deformaci rovné tažnosti A = %4 %; "
                                      "smluvní (ne skutečná) napětí a deformace.")
                           .arg(re->code, num(re->value), num(rm->value), num(a->value));
        }
    }

    lines << QStringLiteral("**");
    comment(lines, QStringLiteral("%1 - %2 (materiál č. %3)").arg(d.title(), d.name).arg(d.materialNo));
    if (!d.standard.isEmpty())
        comment(lines, QStringLiteral("Norma: %1 %2").arg(d.standard, d.designation));
    comment(lines, QStringLiteral("Zdroj údajů: ") +
                       (d.sources.isEmpty() ? QStringLiteral("v katalogu neuveden") : d.sources.join(QStringLiteral("; "))));
    if (r.row)
        comment(lines, QStringLiteral("Mechanické vlastnosti: ") + r.row->caption());
    if (r.phys.contains(Quantity::Expansion))
        comment(lines, QStringLiteral("Součinitel teplotní roztažnosti je střední hodnota od 20 °C (ZERO=20)."));
    for (const QString &n : r.notes)
        comment(lines, n);
    for (const QString &m : r.missing)
        comment(lines, QStringLiteral("Chybí: ") + m);
    lines << body;
}

QByteArray writeInp(QList<Resolved> &all, const ExportOptions &o)
{
    QStringList lines;
    comment(lines, QStringLiteral("Materiálové karty pro výpočet (vstupní formát Abaqus, čte jej i CalculiX), Orvalis 2.1."));
    comment(lines, QStringLiteral("Jednotky: ") + systemDescription(o.units) + QLatin1Char('.'));
    comment(lines, QStringLiteral("Z rozsahů hodnot (min - max) je použito: %1.").arg(rangeCaption(o.range)));
    comment(lines, QStringLiteral("Hodnoty, které katalog neuvádí, jsou vynechány (řádky „Chybí“), nikdy odhadnuty."));
    for (Resolved &r : all)
        writeInpMaterial(lines, r, o);
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

// ---------------------------------------------------------------- MatML

// "mJ/(t.K)" -> (mJ, 1), (t, -1), (K, -1); "mm2" gives the power 2.
QList<QPair<QString, int>> unitParts(const QString &unit)
{
    QList<QPair<QString, int>> out;
    const qsizetype slash = unit.indexOf(QLatin1Char('/'));
    auto add = [&out](QString side, int sign) {
        side.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
        for (const QString &token : side.split(QLatin1Char('.'), Qt::SkipEmptyParts)) {
            if (token == QLatin1String("1"))
                continue;
            qsizetype i = token.size();
            while (i > 0 && token.at(i - 1).isDigit())
                --i;
            const int power = i < token.size() ? token.mid(i).toInt() : 1;
            out << qMakePair(token.left(i), sign * power);
        }
    };
    add(slash >= 0 ? unit.left(slash) : unit, 1);
    if (slash >= 0)
        add(unit.mid(slash + 1), -1);
    return out;
}

void writeUnits(QXmlStreamWriter &x, const QString &unit)
{
    if (unit.isEmpty() || unit == QLatin1String("-")) {
        x.writeEmptyElement(QStringLiteral("Unitless"));
        return;
    }
    x.writeStartElement(QStringLiteral("Units"));
    x.writeAttribute(QStringLiteral("name"), unit);
    for (const auto &[name, power] : unitParts(unit)) {
        x.writeStartElement(QStringLiteral("Unit"));
        if (power != 1)
            x.writeAttribute(QStringLiteral("power"), QString::number(power));
        x.writeTextElement(QStringLiteral("Name"), name == QLatin1String("°C") ? QStringLiteral("C") : name);
        x.writeEndElement();
    }
    x.writeEndElement();
}

struct MatMlProperty
{
    QString id;
    QString name;
    QString unit;
    QString note;
};

QString mechEnglishName(const QString &code, const QString &czech)
{
    static const QMap<QString, QString> names{
        {QStringLiteral("Rm"), QStringLiteral("Tensile Strength")},
        {QStringLiteral("ReH"), QStringLiteral("Upper Yield Strength")},
        {QStringLiteral("ReL"), QStringLiteral("Lower Yield Strength")},
        {QStringLiteral("Rp0,2"), QStringLiteral("0.2% Proof Strength")},
        {QStringLiteral("Rp1,0"), QStringLiteral("1% Proof Strength")},
        {QStringLiteral("A"), QStringLiteral("Elongation at Fracture")},
        {QStringLiteral("A50"), QStringLiteral("Elongation at Fracture A50")},
        {QStringLiteral("Z"), QStringLiteral("Reduction of Area")},
        {QStringLiteral("KV"), QStringLiteral("Impact Energy KV")},
        {QStringLiteral("KU"), QStringLiteral("Impact Energy KU")},
        {QStringLiteral("HB"), QStringLiteral("Brinell Hardness")},
        {QStringLiteral("HRC"), QStringLiteral("Rockwell Hardness C")},
        {QStringLiteral("HV"), QStringLiteral("Vickers Hardness")},
    };
    return names.value(code, czech);
}

QString mechUnit(const QString &unit, UnitSystem system)
{
    return unit == QLatin1String("MPa") ? stressUnit(system) : unit;
}

double mechValue(const MechPoint &m, UnitSystem system)
{
    return m.unit == QLatin1String("MPa") ? stressFromMpa(system, m.value) : m.value;
}

void writePropertyData(QXmlStreamWriter &x, const QString &propertyId, const QString &sourceId,
                       const QList<std::optional<double>> &temperatures, const QList<double> &values,
                       const QStringList &qualifiers, const QString &notes)
{
    x.writeStartElement(QStringLiteral("PropertyData"));
    x.writeAttribute(QStringLiteral("property"), propertyId);
    if (!sourceId.isEmpty())
        x.writeAttribute(QStringLiteral("source"), sourceId);
    QStringList v;
    for (double d : values)
        v << num(d);
    x.writeStartElement(QStringLiteral("Data"));
    x.writeAttribute(QStringLiteral("format"), QStringLiteral("float"));
    x.writeCharacters(v.join(QLatin1Char(',')));
    x.writeEndElement();
    for (qsizetype i = 0; i + 1 < qualifiers.size(); i += 2) {
        x.writeStartElement(QStringLiteral("Qualifier"));
        x.writeAttribute(QStringLiteral("name"), qualifiers.at(i));
        x.writeCharacters(qualifiers.at(i + 1));
        x.writeEndElement();
    }
    const bool allT = std::all_of(temperatures.begin(), temperatures.end(), [](auto t) { return bool(t); });
    if (!temperatures.isEmpty() && allT) {
        QStringList t;
        for (auto d : temperatures)
            t << num(*d);
        x.writeStartElement(QStringLiteral("ParameterValue"));
        x.writeAttribute(QStringLiteral("parameter"), QStringLiteral("pa1"));
        x.writeAttribute(QStringLiteral("format"), QStringLiteral("float"));
        x.writeTextElement(QStringLiteral("Data"), t.join(QLatin1Char(',')));
        x.writeEndElement();
    }
    if (!notes.isEmpty())
        x.writeTextElement(QStringLiteral("Notes"), notes);
    x.writeEndElement();
}

QByteArray writeMatMl(QList<Resolved> &all, const ExportOptions &o)
{
    // Property and source ids are shared by all materials of the file.
    QList<MatMlProperty> properties;
    auto propertyId = [&properties](const QString &name, const QString &unit, const QString &note) {
        for (const MatMlProperty &p : properties)
            if (p.name == name && p.unit == unit)
                return p.id;
        properties << MatMlProperty{QStringLiteral("pr%1").arg(properties.size() + 1), name, unit, note};
        return properties.last().id;
    };
    QStringList sources;
    auto sourceId = [&sources](const QString &s) {
        qsizetype i = sources.indexOf(s);
        if (i < 0) {
            sources << s;
            i = sources.size() - 1;
        }
        return QStringLiteral("ds%1").arg(i + 1);
    };

    QByteArray bytes;
    QXmlStreamWriter x(&bytes);
    x.setAutoFormatting(true);
    x.setAutoFormattingIndent(1);
    x.writeStartDocument();
    x.writeComment(QStringLiteral(" Orvalis 2.1, MatML 3.1. Jednotky: %1. Z rozsahů hodnot (min - max) je použito: %2. "
                                  "Hodnoty, které katalog neuvádí, jsou vynechány, nikdy odhadnuty. ")
                       .arg(systemDescription(o.units), rangeCaption(o.range)));
    x.writeStartElement(QStringLiteral("MatML_Doc"));
    const QStringList rangeQualifier{QStringLiteral("Hodnota z rozsahu"), rangeCaption(o.range)};
    for (Resolved &r : all) {
        const MaterialData &d = *r.data;
        const QString source = d.sources.isEmpty() ? QString() : sourceId(d.sources.join(QStringLiteral("; ")));
        x.writeStartElement(QStringLiteral("Material"));
        x.writeStartElement(QStringLiteral("BulkDetails"));
        x.writeTextElement(QStringLiteral("Name"), d.title());
        if (!d.standard.isEmpty())
            x.writeTextElement(QStringLiteral("Specification"), d.standard + QLatin1Char(' ') + d.designation);
        if (!source.isEmpty()) {
            x.writeEmptyElement(QStringLiteral("Source"));
            x.writeAttribute(QStringLiteral("source"), source);
        }
        for (Quantity q : allQuantities) {
            const QList<Point> points = r.phys.value(q);
            if (points.isEmpty())
                continue;
            QList<std::optional<double>> t;
            QList<double> v;
            for (const Point &p : points) {
                t << p.temperature;
                v << fromSi(q, o.units, p.value);
            }
            const QString id = propertyId(englishName(q), unitName(q, o.units), czechName(q));
            QStringList qualifiers = rangeQualifier;
            if (r.typed.contains(q))
                qualifiers << QStringLiteral("Původ") << QStringLiteral("zadal uživatel, v katalogu chybí");
            writePropertyData(x, id, r.typed.contains(q) ? QString() : source, t, v, qualifiers, QString());
        }
        // Mechanical values: one property per code, its temperatures as the parameter.
        QStringList codes;
        for (const MechPoint &m : r.mech)
            if (!codes.contains(m.code))
                codes << m.code;
        for (const QString &code : codes) {
            QList<std::optional<double>> t;
            QList<double> v;
            QString property, unit;
            for (const MechPoint &m : r.mech) {
                if (m.code != code)
                    continue;
                t << m.temperature;
                v << mechValue(m, o.units);
                property = m.property;
                unit = mechUnit(m.unit, o.units);
            }
            const QString id = propertyId(mechEnglishName(code, property), unit, property + QStringLiteral(" (") + code + QLatin1Char(')'));
            QStringList qualifiers = rangeQualifier;
            qualifiers << QStringLiteral("Polotovar, stav, rozměr") << r.row->caption();
            writePropertyData(x, id, source, t, v, qualifiers, QString());
        }
        QStringList notes = r.notes;
        for (const QString &m : r.missing)
            notes << QStringLiteral("Chybí: ") + m;
        notes.prepend(d.name + QStringLiteral(" (materiál č. %1)").arg(d.materialNo));
        x.writeTextElement(QStringLiteral("Notes"), notes.join(QLatin1Char('\n')));
        x.writeEndElement(); // BulkDetails
        x.writeEndElement(); // Material
    }

    x.writeStartElement(QStringLiteral("Metadata"));
    for (qsizetype i = 0; i < sources.size(); ++i) {
        x.writeStartElement(QStringLiteral("DataSourceDetails"));
        x.writeAttribute(QStringLiteral("id"), QStringLiteral("ds%1").arg(i + 1));
        x.writeAttribute(QStringLiteral("type"), QStringLiteral("Standard"));
        x.writeTextElement(QStringLiteral("Name"), sources.at(i));
        x.writeEndElement();
    }
    x.writeStartElement(QStringLiteral("ParameterDetails"));
    x.writeAttribute(QStringLiteral("id"), QStringLiteral("pa1"));
    x.writeTextElement(QStringLiteral("Name"), QStringLiteral("Temperature"));
    writeUnits(x, QStringLiteral("°C"));
    x.writeEndElement();
    for (const MatMlProperty &p : properties) {
        x.writeStartElement(QStringLiteral("PropertyDetails"));
        x.writeAttribute(QStringLiteral("id"), p.id);
        x.writeTextElement(QStringLiteral("Name"), p.name);
        writeUnits(x, p.unit);
        if (!p.note.isEmpty())
            x.writeTextElement(QStringLiteral("Notes"), p.note);
        x.writeEndElement();
    }
    x.writeEndElement(); // Metadata
    x.writeEndElement(); // MatML_Doc
    x.writeEndDocument();
    return bytes;
}

// ---------------------------------------------------------------- CSV

QString csvNumber(double v)
{
    // A spreadsheet set up for Czech reads a decimal comma.
    return QString::number(v, 'g', 8).replace(QLatin1Char('.'), QLatin1Char(','));
}

QByteArray writeCsv(QList<Resolved> &all, const ExportOptions &o)
{
    QList<Quantity> quantities;
    for (Quantity q : allQuantities)
        for (const Resolved &r : all)
            if (r.phys.contains(q) && !quantities.contains(q))
                quantities << q;
    QStringList codes;
    QStringList codeUnits;
    for (const Resolved &r : all)
        for (const MechPoint &m : r.mech)
            if (!codes.contains(m.code)) {
                codes << m.code;
                codeUnits << mechUnit(m.unit, o.units);
            }

    QList<QStringList> lines;
    QStringList header{QStringLiteral("Číslo materiálu"), QStringLiteral("Značka"), QStringLiteral("Norma"),
                       QStringLiteral("Název"), QStringLiteral("Teplota [°C]")};
    for (Quantity q : quantities)
        header << QStringLiteral("%1 [%2]").arg(czechName(q), unitName(q, o.units));
    for (qsizetype i = 0; i < codes.size(); ++i)
        header << (codeUnits.at(i).isEmpty() ? codes.at(i) : QStringLiteral("%1 [%2]").arg(codes.at(i), codeUnits.at(i)));
    header << QStringLiteral("Polotovar, stav, rozměr") << QStringLiteral("Z rozsahu") << QStringLiteral("Zdroj údajů")
           << QStringLiteral("Poznámky");
    lines << header;

    for (const Resolved &r : all) {
        QList<std::optional<double>> temperatures;
        auto addT = [&temperatures](std::optional<double> t) {
            if (!temperatures.contains(t))
                temperatures << t;
        };
        for (const QList<Point> &points : r.phys)
            for (const Point &p : points)
                addT(p.temperature);
        for (const MechPoint &m : r.mech)
            addT(m.temperature);
        std::sort(temperatures.begin(), temperatures.end());
        QStringList notes = r.notes;
        for (const QString &m : r.missing)
            notes << QStringLiteral("Chybí: ") + m;
        for (const std::optional<double> &t : temperatures) {
            QStringList row{QString::number(r.data->materialNo), r.data->designation, r.data->standard, r.data->name,
                            t ? csvNumber(*t) : QString()};
            for (Quantity q : quantities) {
                QString cell;
                for (const Point &p : r.phys.value(q))
                    if (p.temperature == t)
                        cell = csvNumber(fromSi(q, o.units, p.value));
                row << cell;
            }
            for (const QString &code : codes) {
                QString cell;
                for (const MechPoint &m : r.mech)
                    if (m.code == code && m.temperature == t)
                        cell = csvNumber(mechValue(m, o.units));
                row << cell;
            }
            row << (r.row ? r.row->caption() : QString()) << rangeCaption(o.range)
                << r.data->sources.join(QStringLiteral("; ")) << notes.join(QStringLiteral(" "));
            lines << row;
        }
        if (temperatures.isEmpty()) {
            QStringList row{QString::number(r.data->materialNo), r.data->designation, r.data->standard, r.data->name,
                            QString()};
            for (qsizetype i = 0; i < quantities.size() + codes.size(); ++i)
                row << QString();
            row << (r.row ? r.row->caption() : QString()) << rangeCaption(o.range)
                << r.data->sources.join(QStringLiteral("; ")) << notes.join(QStringLiteral(" "));
            lines << row;
        }
    }
    return ui::csvText(lines);
}

} // namespace

QString formatSuffix(Format format)
{
    switch (format) {
    case Format::Inp: return QStringLiteral("inp");
    case Format::MatMl: return QStringLiteral("xml");
    case Format::Csv: return QStringLiteral("csv");
    }
    return QString();
}

QString formatCaption(Format format)
{
    switch (format) {
    case Format::Inp: return QStringLiteral("Materiálová karta řešiče (.inp: Abaqus, CalculiX)");
    case Format::MatMl: return QStringLiteral("MatML 3.1 (.xml)");
    case Format::Csv: return QStringLiteral("CSV pro tabulkový procesor (.csv)");
    }
    return QString();
}

std::optional<Format> formatFromName(const QString &name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("inp"))
        return Format::Inp;
    if (n == QLatin1String("matml") || n == QLatin1String("xml"))
        return Format::MatMl;
    if (n == QLatin1String("csv"))
        return Format::Csv;
    return std::nullopt;
}

QString rangeCaption(RangeValue range)
{
    switch (range) {
    case RangeValue::Min: return QStringLiteral("minimum");
    case RangeValue::Mean: return QStringLiteral("střední hodnota");
    case RangeValue::Max: return QStringLiteral("maximum");
    }
    return QString();
}

std::optional<double> chooseValue(std::optional<double> min, std::optional<double> max, RangeValue range)
{
    if (min && max) {
        switch (range) {
        case RangeValue::Min: return std::min(*min, *max);
        case RangeValue::Mean: return (*min + *max) / 2;
        case RangeValue::Max: return std::max(*min, *max);
        }
    }
    return min ? min : max;
}

QStringList yieldCodes()
{
    return {QStringLiteral("ReH"), QStringLiteral("ReL"), QStringLiteral("Rp0,2"), QStringLiteral("Rp1,0")};
}

QString solverName(const QString &designation)
{
    QString out;
    for (QChar c : designation.normalized(QString::NormalizationForm_KD)) {
        if (c.unicode() < 128 && (c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.'))
            out += c;
        else if (c.isSpace() || c.unicode() < 128)
            out += u'_';
        // combining marks of decomposed letters are dropped: "Č" -> "C"
    }
    if (out.isEmpty() || !out.at(0).isLetter())
        out.prepend(QStringLiteral("M_"));
    return out.left(80);
}

ExportResult exportMaterials(const QList<ExportItem> &items, const ExportOptions &options)
{
    QList<Resolved> all;
    QSet<QString> names;
    for (const ExportItem &item : items) {
        Resolved r = resolve(item, options);
        // Solvers fold names to capitals: names must differ without regard to case.
        const QString base = items.size() == 1 && !options.materialName.trimmed().isEmpty()
                                 ? solverName(options.materialName.trimmed())
                                 : solverName(item.data.title());
        QString name = base;
        for (int i = 2; names.contains(name.toUpper()); ++i)
            name = base.left(75) + QStringLiteral("_%1").arg(i);
        names.insert(name.toUpper());
        r.name = name;
        all << r;
    }
    ExportResult result;
    switch (options.format) {
    case Format::Inp: result.bytes = writeInp(all, options); break;
    case Format::MatMl: result.bytes = writeMatMl(all, options); break;
    case Format::Csv: result.bytes = writeCsv(all, options); break;
    }
    for (const Resolved &r : all) {
        const QString prefix = all.size() > 1 ? r.data->title() + QStringLiteral(": ") : QString();
        for (const QString &m : r.missing)
            result.missing << prefix + m;
        for (const QString &n : r.notes)
            result.notes << prefix + n;
        if (r.rangeUsed)
            result.notes << prefix + QStringLiteral("Z rozsahů hodnot je použito: ") + rangeCaption(options.range) + QLatin1Char('.');
    }
    return result;
}

QString saveExportFile(const QString &file, const QByteArray &bytes)
{
    QString why;
    return writeFileSafely(file, bytes, &why) ? QString() : why;
}

} // namespace orv::matexport
