// orv_query: the catalogue from the command line, for people at a terminal and for scripts.
//
//   orv_query find 1.4301 [--json]
//   orv_query card 42CrMo4 [--json]
//   orv_query composition "C 0.38-0.45; Cr 0.9-1.2" [--rate 70 | --all] [--any-overlap] [--type Oceli] [--json]
//   orv_query export 42CrMo4 --format inp|matml|csv [--out FILE] [--units mm|m] [--range min|mean|max]
//             [--row N] [--plastic] [--no-physical] [--no-mechanical] [--name MAT] [--set youngs_modulus=210 ...]
//
// It reads the catalogue and the user database the program reads (the data root and the user
// folder found the same way) and goes through the program's own code: the designation and
// composition searches of the search window and the queries of the material card. Output is
// UTF-8; exit status 0 on success, 1 when nothing matches the designation, 2 for a wrong
// command line or criteria, 3 when the data cannot be read or a file cannot be written.

#include "QueryJson.h"

#include "browse/MaterialCard.h"
#include "browse/MaterialCardCells.h"
#include "core/DataRoot.h"
#include "core/Paths.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "matexport/CardReader.h"
#include "matexport/MaterialExport.h"
#include "search/ChemSearch.h"
#include "search/SearchSql.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

#include <cmath>

#include <cstdio>
#include <optional>

namespace {

using namespace orv;

enum Exit { Ok = 0, NotFound = 1, Usage = 2, DataError = 3 };

// An error that ends the program with its exit status and a Czech message on stderr.
struct Failure
{
    int code;
    QString message;
};

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

QString usageText()
{
    return QStringLiteral(
        "Použití:\n"
        "  orv_query find TEXT [--json]\n"
        "  orv_query card ZNAČKA [--json]\n"
        "  orv_query composition \"C 0.38-0.45; Cr 0.9-1.2\" [--rate N | --all] [--any-overlap] [--type TYP] [--json]\n"
        "  orv_query export ZNAČKA --format inp|matml|csv [--out SOUBOR] [--units mm|m] [--range min|mean|max]\n"
        "            [--row N] [--plastic] [--no-physical] [--no-mechanical] [--name NÁZEV] [--set VELIČINA=HODNOTA ...]\n"
        "Společné volby: --program-folder SLOŽKA (složka programu s data/), --material Č (číslo materiálu místo značky)\n");
}

struct Args
{
    QString command;
    QStringList positional;
    QMap<QString, QStringList> options; // "--rate" -> values
    QSet<QString> flags;

    bool flag(const char *name) const { return flags.contains(QLatin1String(name)); }
    QString option(const char *name, const QString &fallback = QString()) const
    {
        const QStringList v = options.value(QLatin1String(name));
        return v.isEmpty() ? fallback : v.last();
    }
};

Args parseArgs(const QStringList &arguments)
{
    static const QSet<QString> withValue{QStringLiteral("--rate"),   QStringLiteral("--type"), QStringLiteral("--format"),
                                         QStringLiteral("--out"),    QStringLiteral("--units"), QStringLiteral("--range"),
                                         QStringLiteral("--row"),    QStringLiteral("--set"),   QStringLiteral("--program-folder"),
                                         QStringLiteral("--material"), QStringLiteral("--name")};
    static const QSet<QString> flags{QStringLiteral("--json"), QStringLiteral("--all"), QStringLiteral("--any-overlap"),
                                     QStringLiteral("--plastic"), QStringLiteral("--no-physical"),
                                     QStringLiteral("--no-mechanical"), QStringLiteral("--help")};
    Args a;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &s = arguments.at(i);
        if (withValue.contains(s)) {
            if (i + 1 >= arguments.size())
                throw Failure{Usage, QStringLiteral("Volba %1 potřebuje hodnotu.").arg(s)};
            a.options[s] << arguments.at(++i);
        } else if (flags.contains(s)) {
            a.flags.insert(s);
        } else if (s.startsWith(QLatin1String("--"))) {
            throw Failure{Usage, QStringLiteral("Neznámá volba %1.").arg(s)};
        } else if (a.command.isEmpty()) {
            a.command = s;
        } else {
            a.positional << s;
        }
    }
    return a;
}

// The program folder as the program finds it; run from the build tree, the build's one.
void locateProgramFolder(const Args &a)
{
    if (const QString f = a.option("--program-folder"); !f.isEmpty()) {
        setProgramFolder(QDir(f).absolutePath());
        return;
    }
    if (!QFileInfo::exists(programFolder() + QStringLiteral("data"))
        && QFileInfo::exists(QStringLiteral(ORVALIS_BUILD_PROGRAM_DIR "/data")))
        setProgramFolder(QStringLiteral(ORVALIS_BUILD_PROGRAM_DIR));
}

struct Sessions
{
    db::Connection cat{QStringLiteral("VTX (CD)")};
    db::Connection user{QStringLiteral("VTX")};
    QString dataRoot;

    browse::CardEnvironment cardEnvironment()
    {
        browse::CardEnvironment env;
        env.catalogue = &cat;
        env.user = &user;
        const QString root = dataRoot;
        env.dataRoot = [root] { return root; };
        env.economyMode = [] { return false; };
        env.autoSave = [] { return false; };
        env.pdfInstalled = [] { return true; };
        return env;
    }
};

void openSessions(Sessions &s)
{
    // No one to ask for the installation medium here: a missing one ends the run.
    DataRootEnvironment env = defaultDataRootEnvironment();
    env.askForMedium = nullptr;
    const std::optional<QString> root = resolveDataRoot(db::catalogueFileName(), env);
    if (!root)
        throw Failure{DataError, QStringLiteral("Katalog je podle nastavení na instalačním CD, které nebylo nalezeno.")};
    s.dataRoot = *root;
    const QString catFile = catalogueFolder(*root) + db::catalogueFileName();
    if (!QFileInfo(catFile).isFile())
        throw Failure{DataError, QStringLiteral("Databáze katalogu nebyla nalezena: %1").arg(catFile)};
    QString why;
    if (!prepareUserFolder(&why))
        throw Failure{DataError, QStringLiteral("Nelze připravit složku uživatelských dat: %1").arg(why)};
    const QString userFile = userDataFolder() + db::userFileName();
    if (!QFileInfo(userFile).isFile())
        throw Failure{DataError, QStringLiteral("Databáze uživatelských dat nebyla nalezena: %1").arg(userFile)};
    s.cat.open(catFile, userFile, db::Database::Catalogue);
    s.user.open(catFile, userFile, db::Database::User);
}

void printJson(const QJsonValue &v)
{
    const QJsonDocument doc = v.isArray() ? QJsonDocument(v.toArray()) : QJsonDocument(v.toObject());
    out() << QString::fromUtf8(doc.toJson(QJsonDocument::Indented));
}

// ---------------------------------------------------------------- find

QList<query::FoundDesignation> designationSearch(db::Connection &cat, const QString &text, search::Precision precision)
{
    search::DesignationCriteria c;
    c.text = text;
    c.precision = precision;
    QStringList sql;
    try {
        search::buildDesignationSql(sql, c);
    } catch (const search::SearchTextError &e) {
        throw Failure{Usage, e.message().replace(QStringLiteral("\r\r"), QStringLiteral(" "))};
    }
    db::DataSet ds(QStringLiteral("qHledatEkvivalenty"), &cat);
    ds.setSql(sql);
    ds.open();
    QList<query::FoundDesignation> rows;
    for (int r = 0; r < ds.recordCount(); ++r)
        rows << query::FoundDesignation{ds.valueAt(r, QStringLiteral("MatNumber")).toInt(),
                                        ds.valueAt(r, QStringLiteral("Norma")).toString(),
                                        ds.valueAt(r, QStringLiteral("Znacka")).toString(),
                                        ds.valueAt(r, QStringLiteral("Stat")).toString(),
                                        ds.valueAt(r, QStringLiteral("NormaListu")).toString(),
                                        ds.valueAt(r, QStringLiteral("ZnackaListu")).toString()};
    return rows;
}

int runFind(Sessions &s, const Args &a)
{
    if (a.positional.size() != 1)
        throw Failure{Usage, QStringLiteral("Příkaz find potřebuje jeden hledaný text.")};
    const QList<query::FoundDesignation> rows = designationSearch(s.cat, a.positional.first(), search::Precision::Part);
    if (a.flag("--json"))
        printJson(query::foundJson(rows));
    else
        for (const query::FoundDesignation &r : rows)
            out() << QStringLiteral("%1\t%2 %3\t%4\tmateriálový list: %5 %6\n")
                         .arg(r.material)
                         .arg(r.standard, r.designation, r.country, r.sheetStandard, r.sheetDesignation);
    if (rows.isEmpty()) {
        err() << QStringLiteral("Žádný materiál neodpovídá textu „%1“.\n").arg(a.positional.first());
        return NotFound;
    }
    return Ok;
}

// ---------------------------------------------------------------- one material

QString compact(const QString &s)
{
    return s.simplified().remove(QLatin1Char(' ')).toUpper();
}

// The material of a designation: found exactly (without regard to blanks and case) among the
// sheets' own designations and the equivalents; the sheet's own wins over an equivalent.
int materialOf(Sessions &s, const Args &a)
{
    if (const QString n = a.option("--material"); !n.isEmpty()) {
        bool ok = false;
        const int m = n.toInt(&ok);
        if (!ok || m <= 0)
            throw Failure{Usage, QStringLiteral("Číslo materiálu „%1“ není kladné celé číslo.").arg(n)};
        if (s.cat.scalar(QStringLiteral("select count(*) from Mat where Number=:m"), {{QStringLiteral("m"), m}}).toInt() == 0)
            throw Failure{NotFound, QStringLiteral("Materiál č. %1 v katalogu není.").arg(m)};
        return m;
    }
    if (a.positional.size() != 1)
        throw Failure{Usage, QStringLiteral("Příkaz %1 potřebuje jednu značku materiálu (nebo --material Č).").arg(a.command)};
    const QString text = a.positional.first();
    const QList<query::FoundDesignation> rows = designationSearch(s.cat, text, search::Precision::Exact);
    QList<int> own, any;
    for (const query::FoundDesignation &r : rows) {
        if (compact(r.sheetDesignation) == compact(text) && !own.contains(r.material))
            own << r.material;
        if (!any.contains(r.material))
            any << r.material;
    }
    const QList<int> candidates = own.isEmpty() ? any : own;
    if (candidates.isEmpty())
        throw Failure{NotFound, QStringLiteral("Materiál „%1“ nebyl v katalogu nalezen. Zkuste orv_query find %1.").arg(text)};
    if (candidates.size() > 1) {
        QStringList names;
        for (const query::FoundDesignation &r : rows)
            if (candidates.contains(r.material))
                names << QStringLiteral("%1 (%2 %3)").arg(r.material).arg(r.sheetStandard, r.sheetDesignation);
        names.removeDuplicates();
        throw Failure{NotFound, QStringLiteral("Značce „%1“ odpovídá více materiálů: %2. Vyberte jeden volbou --material Č.")
                                    .arg(text, names.join(QStringLiteral(", ")))};
    }
    return candidates.first();
}

QString rangeOf(const std::optional<double> &min, const std::optional<double> &max)
{
    return browse::rangeText(min ? QVariant(*min) : QVariant(), max ? QVariant(*max) : QVariant());
}

void printCard(const matexport::MaterialData &m)
{
    out() << m.title() << QStringLiteral(" - ") << m.name << QStringLiteral(" (materiál č. ") << m.materialNo << ")\n";
    out() << QStringLiteral("Norma: ") << m.standard << QLatin1Char(' ') << m.designation << '\n';
    out() << QStringLiteral("Zdroj údajů: ") << (m.sources.isEmpty() ? QStringLiteral("neuveden") : m.sources.join(QStringLiteral("; ")))
          << '\n';
    QStringList comp;
    for (const matexport::CompositionValue &c : m.composition)
        comp << QStringLiteral("%1 %2").arg(c.symbol.isEmpty() ? c.element : c.symbol, rangeOf(c.minValue, c.maxValue));
    if (!m.balance.isEmpty())
        comp << QStringLiteral("zbytek %1").arg(m.balance);
    out() << QStringLiteral("Chemické složení [%]: ") << comp.join(QStringLiteral("; ")) << '\n';
    if (!m.equivalents.isEmpty()) {
        out() << QStringLiteral("Ekvivalentní normy:\n");
        for (const matexport::Equivalent &e : m.equivalents)
            out() << QStringLiteral("  %1: %2 %3\n").arg(e.country, e.standard, e.designation);
    }
    if (!m.physical.isEmpty()) {
        out() << QStringLiteral("Fyzikální vlastnosti:\n");
        for (const matexport::PhysValue &p : m.physical)
            out() << QStringLiteral("  %1 při %2 °C: %3%4\n")
                         .arg(p.property, p.temperature ? browse::numberText(*p.temperature) : QStringLiteral("-"),
                              rangeOf(p.minValue, p.maxValue), p.note.isEmpty() ? QString() : QStringLiteral(" (") + p.note + ')');
    }
    for (qsizetype i = 0; i < m.mechanical.size(); ++i) {
        const matexport::MechRow &r = m.mechanical.at(i);
        out() << QStringLiteral("Mechanické vlastnosti [%1]: %2\n").arg(i + 1).arg(r.caption());
        for (const matexport::MechValue &v : r.values)
            out() << QStringLiteral("  %1 (%2) při %3 °C: %4\n")
                         .arg(v.property, v.code, v.temperature ? browse::numberText(*v.temperature) : QStringLiteral("-"), v.text);
    }
}

int runCard(Sessions &s, const Args &a)
{
    const int material = materialOf(s, a);
    const matexport::MaterialData m = matexport::readMaterial(s.cardEnvironment(), material);
    if (a.flag("--json"))
        printJson(query::materialJson(m));
    else
        printCard(m);
    return Ok;
}

// ---------------------------------------------------------------- composition

double criteriaNumber(const QString &text, const QString &item)
{
    bool ok = false;
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0)
        throw Failure{Usage, QStringLiteral("V kritériu „%1“ není „%2“ nezáporné číslo.").arg(item, text)};
    return v;
}

// "C 0.38-0.45; Cr 0.9-1.2; Mn ..0.9; Mo 0.15.." (also "0,38" and "a..b"): one criterion per
// element, with the element's number looked up by its symbol.
QList<search::ChemCriterion> parseCriteria(db::Connection &cat, const QString &text)
{
    QHash<QString, int> exact, folded;
    db::Statement st(cat, QStringLiteral("select Number, Label from Elements"));
    while (st.step()) {
        exact.insert(st.value(1).toString().trimmed(), st.value(0).toInt());
        folded.insert(st.value(1).toString().trimmed().toUpper(), st.value(0).toInt());
    }
    static const QRegularExpression itemRe(QStringLiteral(R"(^\s*([A-Za-z]{1,3})\s+(.+?)\s*$)"));
    QList<search::ChemCriterion> out;
    for (const QString &raw : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString item = raw.trimmed();
        if (item.isEmpty())
            continue;
        const QRegularExpressionMatch m = itemRe.match(item);
        if (!m.hasMatch())
            throw Failure{Usage, QStringLiteral("Kritérium „%1“ nemá tvar „prvek min-max“ (např. „C 0.38-0.45“).").arg(item)};
        const QString symbol = m.captured(1);
        const int element = exact.value(symbol, folded.value(symbol.toUpper(), 0));
        if (element == 0)
            throw Failure{Usage, QStringLiteral("Prvek „%1“ katalog nezná.").arg(symbol)};
        QString range = m.captured(2).remove(QLatin1Char(' '));
        search::ChemCriterion c;
        c.elementNo = element;
        const qsizetype dots = range.indexOf(QStringLiteral(".."));
        const qsizetype dash = range.indexOf(QLatin1Char('-'));
        QString lo, hi;
        if (range.startsWith(QLatin1String("<=")) || range.startsWith(QLatin1String("max"), Qt::CaseInsensitive))
            hi = range.mid(range.startsWith(QLatin1String("<=")) ? 2 : 3);
        else if (range.startsWith(QLatin1String(">=")) || range.startsWith(QLatin1String("min"), Qt::CaseInsensitive))
            lo = range.mid(range.startsWith(QLatin1String(">=")) ? 2 : 3);
        else if (dots >= 0) {
            lo = range.left(dots);
            hi = range.mid(dots + 2);
        } else if (dash >= 0) {
            lo = range.left(dash);
            hi = range.mid(dash + 1);
        } else {
            lo = hi = range;
        }
        if (lo.isEmpty() && hi.isEmpty())
            throw Failure{Usage, QStringLiteral("Kritérium „%1“ nemá žádnou mez.").arg(item)};
        if (!lo.isEmpty())
            c.minValue = criteriaNumber(lo, item);
        if (!hi.isEmpty())
            c.maxValue = criteriaNumber(hi, item);
        if (c.minValue && c.maxValue && *c.minValue > *c.maxValue)
            throw Failure{Usage, QStringLiteral("V kritériu „%1“ je dolní mez větší než horní.").arg(item)};
        out << c;
    }
    if (out.isEmpty())
        throw Failure{Usage, QStringLiteral("Nejsou zadána žádná kritéria složení.")};
    return out;
}

int runComposition(Sessions &s, const Args &a)
{
    if (a.positional.size() != 1)
        throw Failure{Usage, QStringLiteral("Příkaz composition potřebuje kritéria v jednom argumentu, "
                                            "např. \"C 0.38-0.45; Cr 0.9-1.2\".")};
    const QList<search::ChemCriterion> criteria = parseCriteria(s.cat, a.positional.first());
    search::ChemOptions options;
    options.keepInterval = !a.flag("--any-overlap");
    if (const QString type = a.option("--type"); !type.isEmpty()) {
        options.inMatType = true;
        options.matType = type;
    }
    int rate = 0;
    if (a.flag("--all")) {
        options.threshold = search::ChemThreshold::All;
    } else if (const QString r = a.option("--rate"); !r.isEmpty()) {
        bool ok = false;
        rate = r.toInt(&ok);
        if (!ok || rate < 0 || rate > 100)
            throw Failure{Usage, QStringLiteral("Úspěšnost --rate „%1“ musí být celé číslo 0 až 100.").arg(r)};
        options.threshold = search::ChemThreshold::AtLeast;
    } else {
        options.threshold = search::ChemThreshold::Exact;
    }
    const search::ChemSearchOutcome outcome =
        search::runChemSearch(s.cat, criteria, search::readDeviations(s.cat), rate, options);
    const QList<search::ChemResultRow> rows = search::readChemResult(s.cat, outcome);
    if (a.flag("--json")) {
        printJson(query::compositionResultJson(rows));
    } else {
        for (const search::ChemResultRow &r : rows)
            out() << QStringLiteral("%1\t%2 %3\t%4\t%5 %\n")
                         .arg(r.matNumber)
                         .arg(r.norma, r.znacka, r.matNazev, r.percent ? QString::number(*r.percent, 'f', 2) : QString());
    }
    if (rows.isEmpty())
        err() << QStringLiteral("Žádný materiál nesplňuje zadané podmínky!\n");
    return Ok;
}

// ---------------------------------------------------------------- export

int runExport(Sessions &s, const Args &a)
{
    const std::optional<matexport::Format> format = matexport::formatFromName(a.option("--format"));
    if (!format)
        throw Failure{Usage, QStringLiteral("Zadejte formát: --format inp, matml nebo csv.")};
    matexport::ExportOptions o;
    o.format = *format;
    const QString units = a.option("--units", QStringLiteral("mm"));
    if (units == QLatin1String("mm"))
        o.units = matexport::UnitSystem::NmmSTonne;
    else if (units == QLatin1String("m"))
        o.units = matexport::UnitSystem::NmSKg;
    else
        throw Failure{Usage, QStringLiteral("Jednotky --units jsou mm (N, mm, s, t) nebo m (N, m, s, kg).")};
    const QString range = a.option("--range", QStringLiteral("min"));
    if (range == QLatin1String("min"))
        o.range = matexport::RangeValue::Min;
    else if (range == QLatin1String("mean"))
        o.range = matexport::RangeValue::Mean;
    else if (range == QLatin1String("max"))
        o.range = matexport::RangeValue::Max;
    else
        throw Failure{Usage, QStringLiteral("Volba --range je min, mean nebo max.")};
    o.physical = !a.flag("--no-physical");
    o.mechanical = !a.flag("--no-mechanical");
    o.plastic = a.flag("--plastic");
    o.materialName = a.option("--name");
    for (const QString &set : a.options.value(QStringLiteral("--set"))) {
        const qsizetype eq = set.indexOf(QLatin1Char('='));
        const std::optional<matexport::Quantity> q = matexport::quantityFromKey(set.left(eq).trimmed());
        bool ok = false;
        const double v = eq > 0 ? set.mid(eq + 1).trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok) : 0;
        if (!q || !ok || !std::isfinite(v)) {
            QStringList keys;
            for (matexport::Quantity k : matexport::allQuantities)
                keys << QStringLiteral("%1 [%2]").arg(matexport::quantityKey(k), matexport::inputUnit(k));
            throw Failure{Usage, QStringLiteral("Volba --set „%1“ má tvar VELIČINA=ČÍSLO; veličiny: %2.")
                                     .arg(set, keys.join(QStringLiteral(", ")))};
        }
        o.userValues[*q] = v;
    }

    const int material = materialOf(s, a);
    matexport::ExportItem item;
    item.data = matexport::readMaterial(s.cardEnvironment(), material);
    item.mechRow = item.data.mechanical.isEmpty() ? -1 : 0;
    if (const QString row = a.option("--row"); !row.isEmpty()) {
        bool ok = false;
        const int n = row.toInt(&ok);
        if (!ok || n < 1 || n > item.data.mechanical.size())
            throw Failure{Usage, QStringLiteral("Řádek mechanických vlastností --row musí být 1 až %1 (viz orv_query card).")
                                     .arg(item.data.mechanical.size())};
        item.mechRow = n - 1;
    }
    const matexport::ExportResult result = matexport::exportMaterials({item}, o);
    if (const QString file = a.option("--out"); !file.isEmpty()) {
        if (const QString why = matexport::saveExportFile(file, result.bytes); !why.isEmpty())
            throw Failure{DataError, why};
    } else {
        std::fwrite(result.bytes.constData(), 1, size_t(result.bytes.size()), stdout);
        std::fflush(stdout);
    }
    for (const QString &m : result.missing)
        err() << QStringLiteral("Chybí: ") << m << '\n';
    return Ok;
}

int run(const QStringList &arguments)
{
    const Args a = parseArgs(arguments);
    if (a.flag("--help") || a.command.isEmpty()) {
        (a.command.isEmpty() && !a.flag("--help") ? err() : out()) << usageText();
        return a.flag("--help") ? Ok : Usage;
    }
    static const QStringList commands{QStringLiteral("find"), QStringLiteral("card"), QStringLiteral("composition"),
                                      QStringLiteral("export")};
    if (!commands.contains(a.command))
        throw Failure{Usage, QStringLiteral("Neznámý příkaz „%1“.\n%2").arg(a.command, usageText())};
    locateProgramFolder(a);
    Sessions s;
    openSessions(s);
    if (a.command == QLatin1String("find"))
        return runFind(s, a);
    if (a.command == QLatin1String("card"))
        return runCard(s, a);
    if (a.command == QLatin1String("composition"))
        return runComposition(s, a);
    return runExport(s, a);
}

} // namespace

int main(int argc, char **argv)
{
    // The card's code builds its widgets; none is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Scripts read stderr for our messages: the toolkit's remarks about the offscreen
    // platform (no runtime folder, fonts) are not theirs. ORVALIS_QUERY_DEBUG shows them.
    if (qEnvironmentVariableIsEmpty("ORVALIS_QUERY_DEBUG"))
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        });
    QApplication app(argc, argv);
    int code = Ok;
    try {
        code = run(QApplication::arguments());
    } catch (const Failure &f) {
        err() << f.message << '\n';
        code = f.code;
    } catch (const db::DbError &e) {
        err() << e.text() << '\n';
        code = DataError;
    } catch (const std::exception &e) {
        err() << QString::fromUtf8(e.what()) << '\n';
        code = DataError;
    }
    out().flush();
    err().flush();
    return code;
}
