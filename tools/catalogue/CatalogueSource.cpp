#include "CatalogueSource.h"
#include "SqliteFile.h"

#include "core/CodePage.h"
#include "core/SqlText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace orv::catalogue {

namespace {

QString readText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ToolError(QStringLiteral("Cannot read %1").arg(path));
    QString text = QString::fromUtf8(f.readAll());
    // Editors on some systems put a byte-order mark in front of UTF-8 files.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

bool parseNumber(const QString &t, double &out)
{
    bool ok = false;
    out = t.trimmed().toDouble(&ok); // QString::toDouble uses the C locale: a point, no groups
    // It also reads "nan" and "inf", which are no bounds of anything.
    return ok && !t.trimmed().isEmpty() && std::isfinite(out);
}

// Splits off a trailing "{note}"; returns the text before it.
QString takeNote(const QString &text, QString &note, bool &bad)
{
    QString t = text.trimmed();
    note.clear();
    if (t.endsWith(QLatin1Char('}'))) {
        const qsizetype open = t.lastIndexOf(QLatin1Char('{'));
        if (open < 0) {
            bad = true;
            return t;
        }
        note = t.mid(open + 1, t.size() - open - 2).trimmed();
        t = t.left(open).trimmed();
    } else if (t.contains(QLatin1Char('{')) || t.contains(QLatin1Char('}'))) {
        bad = true;
    }
    return t;
}

// Splits text on `separator` outside braces (notes may contain the separator). An empty
// last piece is a field of its own ("a | b |") but no list item ("a; b;").
QStringList splitOutsideBraces(const QString &text, QChar separator, bool keepEmptyLast)
{
    QStringList out;
    QString cur;
    int depth = 0;
    for (QChar c : text) {
        if (c == QLatin1Char('{'))
            ++depth;
        else if (c == QLatin1Char('}'))
            depth = std::max(0, depth - 1);
        if (c == separator && depth == 0) {
            out << cur.trimmed();
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (keepEmptyLast || !cur.trimmed().isEmpty())
        out << cur.trimmed();
    return out;
}

// List items are separated by ';'.
QStringList splitList(const QString &text)
{
    return splitOutsideBraces(text, QLatin1Char(';'), false);
}

// Fields are separated by '|'.
QStringList splitFields(const QString &text)
{
    return splitOutsideBraces(text, QLatin1Char('|'), true);
}

class MaterialReader {
public:
    MaterialReader(const QString &file, QStringList &errors) : m_file(file), m_errors(errors) {}

    QList<MaterialSource> read()
    {
        const QString text = readText(m_file);
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            m_line = i + 1;
            QString line = lines[i];
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            const QString t = line.trimmed();
            if (t.isEmpty() || t.startsWith(QLatin1Char('#')))
                continue;
            // Every text leaves the program in windows-1250; report a character it lacks on the
            // line that holds it.
            if (const QString foreign = foreignCharacters(t); !foreign.isEmpty())
                error(QStringLiteral("characters outside windows-1250: %1").arg(foreign));
            const qsizetype colon = t.indexOf(QStringLiteral(": "));
            QString key, value;
            if (colon < 0 && t.endsWith(QLatin1Char(':'))) {
                key = t.chopped(1);
            } else if (colon < 0) {
                error(QStringLiteral("expected \"key: value\""));
                continue;
            } else {
                key = t.left(colon).trimmed();
                value = t.mid(colon + 2).trimmed();
            }
            handle(key, value);
        }
        return m_out;
    }

private:
    void error(const QString &msg)
    {
        m_errors << QStringLiteral("%1:%2: %3").arg(QFileInfo(m_file).fileName()).arg(m_line).arg(msg);
    }

    template<typename T>
    T located()
    {
        T t;
        t.file = QFileInfo(m_file).fileName();
        t.line = m_line;
        return t;
    }

    MaterialSource *current(const QString &key)
    {
        if (m_out.isEmpty()) {
            error(QStringLiteral("\"%1:\" before the first \"material:\"").arg(echoed(key)));
            return nullptr;
        }
        return &m_out.last();
    }

    bool range(const QString &text, Range &r, bool single = false)
    {
        if (!parseRange(text, r, single)) {
            error(QStringLiteral("bad range \"%1\" (write min..max, min.. or ..max)").arg(echoed(text)));
            return false;
        }
        return true;
    }

    // One "key: value" line: "material:" starts a material, every other key adds to the
    // current one.
    void handle(const QString &key, const QString &value)
    {
        if (key == QLatin1String("material")) {
            startMaterial(value);
            return;
        }
        MaterialSource *m = current(key);
        if (!m)
            return;
        if (QString MaterialSource::*field = singleFields().value(key)) {
            if (!(m->*field).isEmpty())
                error(QStringLiteral("\"%1:\" given twice").arg(key));
            m->*field = value;
        } else if (Handler h = handlers().value(key)) {
            (this->*h)(*m, value);
        } else {
            error(QStringLiteral("unknown key \"%1\"").arg(echoed(key)));
        }
    }

    // The keys whose value is one text, given once.
    static const QHash<QString, QString MaterialSource::*> &singleFields()
    {
        static const QHash<QString, QString MaterialSource::*> fields = {
            {QStringLiteral("type"), &MaterialSource::type},       {QStringLiteral("name"), &MaterialSource::name},
            {QStringLiteral("node"), &MaterialSource::nodeText},   {QStringLiteral("pdf"), &MaterialSource::pdf},
            {QStringLiteral("balance"), &MaterialSource::balance}, {QStringLiteral("note"), &MaterialSource::note},
        };
        return fields;
    }

    using Handler = void (MaterialReader::*)(MaterialSource &m, const QString &value);
    static const QHash<QString, Handler> &handlers()
    {
        static const QHash<QString, Handler> table = {
            {QStringLiteral("chapter"), &MaterialReader::readChapter},
            {QStringLiteral("norm"), &MaterialReader::readNorm},
            {QStringLiteral("source"), &MaterialReader::readSource},
            {QStringLiteral("eq"), &MaterialReader::readEquivalent},
            {QStringLiteral("chem"), &MaterialReader::readChem},
            {QStringLiteral("purpose"), &MaterialReader::readPurpose},
            {QStringLiteral("heat"), &MaterialReader::readHeat},
            {QStringLiteral("phys"), &MaterialReader::readPhys},
            {QStringLiteral("semi"), &MaterialReader::readSemi},
            {QStringLiteral("state"), &MaterialReader::readState},
            {QStringLiteral("dim"), &MaterialReader::readDim},
            {QStringLiteral("prop"), &MaterialReader::readProp},
        };
        return table;
    }

    void startMaterial(const QString &value)
    {
        MaterialSource m = located<MaterialSource>();
        bool ok = false;
        m.number = value.toInt(&ok);
        if (!ok)
            error(QStringLiteral("material number expected"));
        m_out << m;
    }

    void readChapter(MaterialSource &m, const QString &value)
    {
        bool ok = false;
        m.chapter = value.toInt(&ok);
        if (!ok)
            error(QStringLiteral("chapter number expected"));
    }

    void readNorm(MaterialSource &m, const QString &value)
    {
        const QStringList f = splitFields(value);
        if (f.size() < 2 || f.size() > 3 || f[0].isEmpty() || f[1].isEmpty()) {
            error(QStringLiteral("norm: expected \"standard | designation [| country]\""));
            return;
        }
        if (!m.normLabel.isEmpty())
            error(QStringLiteral("\"norm:\" given twice"));
        m.normName = f[0];
        m.normLabel = f[1];
        m.normCountry = f.size() == 3 && !f[2].isEmpty() ? f[2] : QStringLiteral("Česko");
    }

    void readSource(MaterialSource &m, const QString &value) { m.sources << value; }

    void readEquivalent(MaterialSource &m, const QString &value)
    {
        const QStringList f = splitFields(value);
        if (f.size() != 3 || f[0].isEmpty() || f[1].isEmpty() || f[2].isEmpty()) {
            error(QStringLiteral("eq: expected \"country | standard | designation\""));
            return;
        }
        Equivalent e = located<Equivalent>();
        e.country = f[0];
        e.standard = f[1];
        e.designation = f[2];
        m.equivalents << e;
    }

    void readChem(MaterialSource &m, const QString &value)
    {
        for (const QString &item : splitList(value)) {
            bool bad = false;
            ChemItem c = located<ChemItem>();
            const QString body = takeNote(item, c.note, bad);
            if (bad)
                error(QStringLiteral("unbalanced braces in \"%1\"").arg(echoed(item)));
            const QStringList parts = body.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (parts.size() != 2) {
                error(QStringLiteral("chem item \"%1\": expected \"symbol range\"").arg(echoed(item)));
                continue;
            }
            c.symbol = parts[0];
            if (range(parts[1], c.range))
                m.chem << c;
        }
    }

    void readPurpose(MaterialSource &m, const QString &value)
    {
        m.purpose = m.purpose.isEmpty() ? value : m.purpose + QLatin1Char(' ') + value;
    }

    void readHeat(MaterialSource &m, const QString &value)
    {
        const QStringList f = splitFields(value);
        if (f.size() > 5 || f[0].isEmpty()) {
            error(QStringLiteral("heat: expected \"procedure | range | cooling | hold | note\""));
            return;
        }
        HeatStep h = located<HeatStep>();
        h.procedure = f[0];
        if (f.size() > 1 && !f[1].isEmpty() && !range(f[1], h.range, true))
            return;
        h.cooling = f.value(2);
        h.hold = f.value(3);
        h.notice = f.value(4);
        m.heat << h;
    }

    void readPhys(MaterialSource &m, const QString &value)
    {
        const QStringList f = splitFields(value);
        if (f.size() != 3) {
            error(QStringLiteral("phys: expected \"property | temperature | value\""));
            return;
        }
        PhysValue p = located<PhysValue>();
        p.property = f[0];
        double t = 0;
        if (!f[1].isEmpty()) {
            if (!parseNumber(f[1], t)) {
                error(QStringLiteral("phys: bad temperature \"%1\"").arg(echoed(f[1])));
                return;
            }
            p.temperature = t;
        }
        bool bad = false;
        const QString v = takeNote(f[2], p.note, bad);
        if (bad)
            error(QStringLiteral("unbalanced braces"));
        if (range(v, p.range, true))
            m.phys << p;
    }

    void readSemi(MaterialSource &m, const QString &value)
    {
        bool bad = false;
        SemiBlock s = located<SemiBlock>();
        const QString body = takeNote(value, s.note, bad);
        if (bad)
            error(QStringLiteral("unbalanced braces"));
        QStringList f = splitFields(body);
        if (f.size() > 4 || f[0].isEmpty()) {
            error(QStringLiteral("semi: expected one to four group names"));
            return;
        }
        while (f.size() < 4)
            f << QString();
        s.groups = f;
        m.semis << s;
    }

    void readState(MaterialSource &m, const QString &value)
    {
        if (m.semis.isEmpty()) {
            error(QStringLiteral("\"state:\" before any \"semi:\""));
            return;
        }
        bool bad = false;
        StateBlock s = located<StateBlock>();
        s.code = takeNote(value, s.note, bad);
        if (bad)
            error(QStringLiteral("unbalanced braces"));
        m.semis.last().states << s;
    }

    void readDim(MaterialSource &m, const QString &value)
    {
        if (m.semis.isEmpty() || m.semis.last().states.isEmpty()) {
            error(QStringLiteral("\"dim:\" before any \"state:\""));
            return;
        }
        const QStringList f = splitFields(value);
        if (f.size() > 2) {
            error(QStringLiteral("dim: expected \"range | properties\""));
            return;
        }
        Dimension d = located<Dimension>();
        bool bad = false;
        const QString r = takeNote(f[0], d.note, bad);
        if (bad)
            error(QStringLiteral("unbalanced braces"));
        if (r != QLatin1String("-") && !range(r, d.range))
            return;
        if (f.size() == 2)
            props(f[1], d.props);
        m.semis.last().states.last().dims << d;
    }

    void readProp(MaterialSource &m, const QString &value)
    {
        if (m.semis.isEmpty() || m.semis.last().states.isEmpty() || m.semis.last().states.last().dims.isEmpty()) {
            error(QStringLiteral("\"prop:\" before any \"dim:\""));
            return;
        }
        props(value, m.semis.last().states.last().dims.last().props);
    }

    void props(const QString &list, QList<PropValue> &out)
    {
        static const QRegularExpression itemRe(QStringLiteral("^(\\S+?)(?:@(-?\\d+))?\\s+(\\S+)$"));
        for (const QString &item : splitList(list)) {
            bool bad = false;
            PropValue p = located<PropValue>();
            const QString body = takeNote(item, p.note, bad);
            if (bad)
                error(QStringLiteral("unbalanced braces in \"%1\"").arg(echoed(item)));
            const QRegularExpressionMatch mm = itemRe.match(body);
            if (!mm.hasMatch()) {
                error(QStringLiteral("property \"%1\": expected \"code[@temperature] range\"").arg(echoed(item)));
                continue;
            }
            p.code = mm.captured(1);
            if (mm.capturedLength(2) > 0)
                p.temperature = mm.captured(2).toInt();
            if (range(mm.captured(3), p.range))
                out << p;
        }
    }

    QString m_file;
    QStringList &m_errors;
    int m_line = 0;
    QList<MaterialSource> m_out;
};

} // namespace

QString echoed(const QString &value)
{
    constexpr int longest = 80;
    if (value.size() <= longest)
        return value;
    return value.left(longest) + QStringLiteral("...");
}

QString problemList(const QStringList &problems)
{
    constexpr int shown = 50;
    QStringList out = problems.mid(0, shown);
    if (problems.size() > shown)
        out << QStringLiteral("... and %1 more problems").arg(problems.size() - shown);
    return out.join(QLatin1Char('\n'));
}

int CsvTable::column(const QString &name) const
{
    for (int i = 0; i < header.size(); ++i)
        if (header[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString foreignCharacters(const QString &text)
{
    QString out;
    for (QChar c : text)
        if (!orv::encodable(c, orv::CodePage::Cp1250) && !out.contains(c))
            out += c;
    return out;
}

QString withoutBlanks(const QString &s)
{
    return orv::stripSpaces(s);
}

bool parseRange(const QString &text, Range &out, bool allowSingle)
{
    out = Range();
    const QString t = text.trimmed();
    const qsizetype dots = t.indexOf(QStringLiteral(".."));
    if (dots < 0) {
        double v = 0;
        if (!allowSingle || !parseNumber(t, v))
            return false;
        out.min = v;
        return true;
    }
    const QString a = t.left(dots), b = t.mid(dots + 2);
    if (a.isEmpty() && b.isEmpty())
        return false;
    double v = 0;
    if (!a.isEmpty()) {
        if (!parseNumber(a, v))
            return false;
        out.min = v;
    }
    if (!b.isEmpty()) {
        if (!parseNumber(b, v))
            return false;
        out.max = v;
    }
    return true;
}

CsvTable readCsv(const QString &path)
{
    CsvTable t;
    t.file = QFileInfo(path).fileName();
    const QStringList lines = readText(path).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        QStringList f = line.split(QLatin1Char(';'));
        for (QString &x : f)
            x = x.trimmed();
        if (t.header.isEmpty()) {
            t.header = f;
            continue;
        }
        if (f.size() != t.header.size())
            throw ToolError(QStringLiteral("%1:%2: %3 fields, the header has %4")
                                .arg(t.file).arg(i + 1).arg(f.size()).arg(t.header.size()));
        t.rows << f;
        t.lines << i + 1;
    }
    if (t.header.isEmpty())
        throw ToolError(QStringLiteral("%1: no header line").arg(t.file));
    return t;
}

CatalogueSource readCatalogueSource(const QString &folder)
{
    CatalogueSource src;
    if (!QFileInfo(folder).isDir())
        throw ToolError(QStringLiteral("The sources folder %1 does not exist").arg(folder));
    const QDir codes(folder + QStringLiteral("/codes"));
    if (!codes.exists())
        throw ToolError(QStringLiteral("The sources folder %1 has no codes/ folder").arg(folder));
    const QStringList csvs = codes.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
    for (const QString &f : csvs)
        src.codes.insert(QFileInfo(f).completeBaseName(), readCsv(codes.filePath(f)));
    if (codes.exists(QStringLiteral("Formular.htm")))
        src.formular = readText(codes.filePath(QStringLiteral("Formular.htm")));
    if (codes.exists(QStringLiteral("Objednavka.htm")))
        src.objednavka = readText(codes.filePath(QStringLiteral("Objednavka.htm")));

    QStringList errors;
    const QDir mats(folder + QStringLiteral("/materials"));
    if (!mats.exists())
        errors << QStringLiteral("materials/: the folder is missing in %1").arg(folder);
    for (const QString &f : mats.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        MaterialReader r(mats.filePath(f), errors);
        src.materials << r.read();
    }
    std::stable_sort(src.materials.begin(), src.materials.end(),
                     [](const MaterialSource &a, const MaterialSource &b) { return a.number < b.number; });
    src.syntaxErrors = errors;
    return src;
}

} // namespace orv::catalogue
