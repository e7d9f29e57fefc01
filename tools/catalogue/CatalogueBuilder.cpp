#include "CatalogueBuilder.h"
#include "SqliteFile.h"

#include "core/CodePage.h"
#include "db/Schema.h"

#include <QDir>

#include <cmath>
#include <QHash>
#include <QSet>

namespace orv::catalogue {

namespace {

constexpr int PurposePieces = 6;
constexpr int PurposePieceLength = 255;

QVariant nullable(const QString &s)
{
    return s.isEmpty() ? QVariant() : QVariant(s);
}

QVariant opt(const std::optional<double> &v)
{
    return v ? QVariant(*v) : QVariant();
}

// Name lookups of the code lists, case-sensitive as the program compares stored texts.
struct Codes {
    QHash<QString, int> countries, elements, matTypes, procs, fyzProps, stTypes, chapters, propCodes;
    QHash<QString, QPair<int, int>> semTypes; // name -> (Number, GroupNo)
    QHash<int, QString> chapterText;
    QHash<int, int> chapterParent;
    int nonFerrousType = -1;

    static void fill(const CsvTable *t, const char *key, const char *number, QHash<QString, int> &out)
    {
        if (!t)
            return;
        const int k = t->column(QString::fromLatin1(key)), n = t->column(QString::fromLatin1(number));
        if (k < 0 || n < 0)
            return;
        for (const QStringList &r : t->rows)
            out.insert(r[k], r[n].toInt());
    }

    explicit Codes(const CatalogueSource &src)
    {
        auto code = [&](const char *name) -> const CsvTable * {
            auto it = src.codes.find(QString::fromLatin1(name));
            return it == src.codes.end() ? nullptr : &*it;
        };
        fill(code("Country"), "Name", "Number", countries);
        fill(code("Elements"), "Label", "Number", elements);
        fill(code("MatTypes"), "Name", "Number", matTypes);
        fill(code("Proc"), "Name", "Number", procs);
        fill(code("StTypes"), "Code", "Number", stTypes);
        if (const CsvTable *t = code("FyzPropType")) {
            const int k = t->column(QStringLiteral("Name")), n = t->column(QStringLiteral("Number"));
            for (const QStringList &r : t->rows) {
                fyzProps.insert(r[k], r[n].toInt());
                const qsizetype br = r[k].indexOf(QStringLiteral(" ["));
                if (br > 0)
                    fyzProps.insert(r[k].left(br), r[n].toInt());
            }
        }
        if (const CsvTable *t = code("PropType")) {
            const int c = t->column(QStringLiteral("Code")), n = t->column(QStringLiteral("Number")),
                      g = t->column(QStringLiteral("GroupType"));
            for (const QStringList &r : t->rows)
                if (!r[c].isEmpty() && r[g] != QLatin1String("A"))
                    propCodes.insert(r[c], r[n].toInt());
        }
        if (const CsvTable *t = code("SemTypes")) {
            const int k = t->column(QStringLiteral("Name")), n = t->column(QStringLiteral("Number")),
                      g = t->column(QStringLiteral("GroupNo"));
            for (const QStringList &r : t->rows)
                semTypes.insert(r[k], {r[n].toInt(), r[g].toInt()});
        }
        if (const CsvTable *t = code("chapters")) {
            const int n = t->column(QStringLiteral("Number")), p = t->column(QStringLiteral("ParentNo")),
                      x = t->column(QStringLiteral("Text"));
            for (const QStringList &r : t->rows) {
                chapterText.insert(r[n].toInt(), r[x]);
                chapterParent.insert(r[n].toInt(), r[p].toInt());
            }
        }
        nonFerrousType = matTypes.value(QStringLiteral("Neželezné kovy"), -1);
    }

    int topChapter(int chapter) const
    {
        int c = chapter;
        for (int guard = 0; guard < 50 && chapterParent.value(c, 0) != 0; ++guard)
            c = chapterParent.value(c);
        return c;
    }
};

// The program's texts are windows-1250 wherever they leave it (exports, Paradox tables);
// a character outside that code page would turn into "?" there.
int widthOf(const QString &table, const QString &column)
{
    const db::TableDef *t = db::table(table);
    const db::ColumnDef *c = t ? t->column(column) : nullptr;
    return c ? c->width : 0;
}

} // namespace

QStringList splitPurpose(const QString &text)
{
    QStringList out;
    for (int i = 0; i < PurposePieces; ++i)
        out << text.mid(i * PurposePieceLength, PurposePieceLength);
    return out;
}

namespace {

// The checks of validateSource, one step a method; every problem found is appended to
// `errors` with the file and line it comes from.
class SourceChecker {
public:
    SourceChecker(const CatalogueSource &src, QStringList &errors) : m_src(src), m_errors(errors) {}

    // False when a required code list is missing (nothing else is checked then).
    bool requiredFiles();
    // Every column of a code list must exist in its table, and its values must fit there.
    void codeLists();
    // The material types and chapters the build relies on.
    void codes(const Codes &codes);
    void material(const Codes &codes, const MaterialSource &m);

private:
    void codeListColumn(const CsvTable &t, const db::ColumnDef &col, int c);
    void materialFields(const Codes &codes, const MaterialSource &m);
    void equivalents(const Codes &codes, const MaterialSource &m);
    void composition(const Codes &codes, const MaterialSource &m);
    void heatAndPhysics(const Codes &codes, const MaterialSource &m);
    void semiProducts(const Codes &codes, const MaterialSource &m);
    void semiProductGroups(const Codes &codes, const SemiBlock &s, bool nonFerrous);
    void states(const Codes &codes, const SemiBlock &s);

    // Characters outside windows-1250 are reported by the reader, on their own line.
    void fits(const QString &text, const QString &table, const QString &column, const QString &where)
    {
        const int w = widthOf(table, column);
        if (w > 0 && text.size() > w)
            m_errors << QStringLiteral("%1: %2.%3 longer than %4 characters: \"%5\"").arg(where, table, column).arg(w).arg(echoed(text));
    }
    void fitsNotice(const QString &text, const QString &where)
    {
        fits(text, QStringLiteral("Notices"), QStringLiteral("Notice"), where);
    }
    void rangeOk(const Range &r, const QString &where)
    {
        if (r.min && r.max && *r.min > *r.max)
            m_errors << QStringLiteral("%1: minimum %2 above maximum %3").arg(where).arg(*r.min).arg(*r.max);
    }
    void err(const MaterialSource &m, const QString &msg)
    {
        m_errors << QStringLiteral("%1: material %2: %3").arg(m.where()).arg(m.number).arg(msg);
    }

    const CatalogueSource &m_src;
    QStringList &m_errors;
    QSet<int> m_numbers;
    QSet<QString> m_pdfNames;
};

bool SourceChecker::requiredFiles()
{
    bool complete = true;
    for (const char *required : {"Country", "Elements", "MatTypes", "SemTypes", "StTypes", "PropType", "Proc",
                                 "FyzPropType", "Tree", "chapters", "DefaultChemComp", "DefaultMechProp",
                                 "SetupChemComp", "Setup"})
        if (!m_src.codes.contains(QString::fromLatin1(required))) {
            m_errors << QStringLiteral("codes/%1.csv is missing").arg(QString::fromLatin1(required));
            complete = false;
        }
    return complete;
}

void SourceChecker::codeLists()
{
    for (auto it = m_src.codes.begin(); it != m_src.codes.end(); ++it) {
        const CsvTable &t = it.value();
        const QString table = it.key() == QLatin1String("chapters") ? QStringLiteral("Nodes") : it.key();
        const db::TableDef *def = db::table(table);
        if (!def) {
            m_errors << QStringLiteral("%1: no table of that name").arg(t.file);
            continue;
        }
        for (int c = 0; c < t.header.size(); ++c) {
            const db::ColumnDef *col = def->column(t.header[c]);
            if (!col)
                m_errors << QStringLiteral("%1: table %2 has no column %3").arg(t.file, table, t.header[c]);
            else
                codeListColumn(t, *col, c);
        }
    }
}

void SourceChecker::codeListColumn(const CsvTable &t, const db::ColumnDef &col, int c)
{
    for (int r = 0; r < t.rows.size(); ++r) {
        const QString &v = t.rows[r][c];
        if (col.type == db::ColumnType::Alpha && v.size() > col.width)
            m_errors << QStringLiteral("%1:%2: %3 longer than %4 characters").arg(t.file).arg(t.lines[r]).arg(col.name).arg(col.width);
        if (col.type == db::ColumnType::Alpha && !foreignCharacters(v).isEmpty())
            m_errors << QStringLiteral("%1:%2: characters outside windows-1250: %3").arg(t.file).arg(t.lines[r]).arg(foreignCharacters(v));
        if (col.type == db::ColumnType::Integer && !v.isEmpty()) {
            bool ok = false;
            v.toInt(&ok);
            if (!ok)
                m_errors << QStringLiteral("%1:%2: %3 is not a whole number").arg(t.file).arg(t.lines[r]).arg(col.name);
        }
        if (col.type == db::ColumnType::Number && !v.isEmpty()) {
            bool ok = false;
            const double d = v.toDouble(&ok);
            if (!ok || !std::isfinite(d))
                m_errors << QStringLiteral("%1:%2: %3 is not a number").arg(t.file).arg(t.lines[r]).arg(col.name);
        }
    }
}

void SourceChecker::codes(const Codes &codes)
{
    if (codes.nonFerrousType < 0)
        m_errors << QStringLiteral("MatTypes.csv: the type \"Neželezné kovy\" is missing");
    for (auto it = codes.chapterText.begin(); it != codes.chapterText.end(); ++it)
        if (it.key() >= 1000)
            m_errors << QStringLiteral("chapters.csv: chapter %1 must be numbered below 1000").arg(it.key());
    if (!codes.chapterText.contains(-1))
        m_errors << QStringLiteral("chapters.csv: the own-material folder -1 is missing");
}

void SourceChecker::material(const Codes &codes, const MaterialSource &m)
{
    materialFields(codes, m);
    equivalents(codes, m);
    composition(codes, m);
    heatAndPhysics(codes, m);
    semiProducts(codes, m);
}

void SourceChecker::materialFields(const Codes &codes, const MaterialSource &m)
{
    const QString at = m.where();
    if (m.number < 1000)
        err(m, QStringLiteral("material numbers start at 1000"));
    if (m_numbers.contains(m.number))
        err(m, QStringLiteral("number used twice"));
    m_numbers.insert(m.number);
    if (!m.pdf.isEmpty()) {
        // The sheet is a file name below data/pdf; two materials cannot share one.
        if (m_pdfNames.contains(m.pdf.toLower()))
            err(m, QStringLiteral("PDF sheet \"%1\" used twice").arg(m.pdf));
        m_pdfNames.insert(m.pdf.toLower());
        if (m.pdf.contains(QLatin1Char('/')) || m.pdf.contains(QLatin1Char('\\')) || m.pdf.startsWith(QLatin1Char('.')))
            err(m, QStringLiteral("PDF sheet name \"%1\" is not a plain file name").arg(m.pdf));
    }
    if (!codes.chapterText.contains(m.chapter) || m.chapter == -1)
        err(m, QStringLiteral("unknown chapter %1").arg(m.chapter));
    if (!codes.matTypes.contains(m.type))
        err(m, QStringLiteral("unknown type \"%1\"").arg(m.type));
    if (m.name.isEmpty())
        err(m, QStringLiteral("\"name:\" missing"));
    if (m.normLabel.isEmpty())
        err(m, QStringLiteral("\"norm:\" missing"));
    if (!m.normCountry.isEmpty() && !codes.countries.contains(m.normCountry))
        err(m, QStringLiteral("unknown country \"%1\"").arg(m.normCountry));
    if (m.sources.isEmpty())
        err(m, QStringLiteral("\"source:\" missing"));
    for (const QString &s : m.sources)
        fits(s, QStringLiteral("MatSources"), QStringLiteral("Source"), at);
    if (m.equivalents.size() < 3)
        err(m, QStringLiteral("fewer than three \"eq:\""));
    if (m.chem.isEmpty())
        err(m, QStringLiteral("\"chem:\" missing"));
    fits(m.name, QStringLiteral("Mat"), QStringLiteral("Name"), at);
    fits(m.pdf, QStringLiteral("Mat"), QStringLiteral("PdfFile"), at);
    fits(m.normName, QStringLiteral("Norms"), QStringLiteral("Name"), at);
    fits(m.normLabel, QStringLiteral("Norms"), QStringLiteral("Label"), at);
    fits(m.nodeText, QStringLiteral("Nodes"), QStringLiteral("Text"), at);
    fitsNotice(m.note, at);
    fits(m.purpose, QStringLiteral("Mat"), QStringLiteral("PurposeAll"), at);
    if (m.purpose.size() > PurposePieces * PurposePieceLength)
        err(m, QStringLiteral("purpose longer than %1 characters").arg(PurposePieces * PurposePieceLength));
}

void SourceChecker::equivalents(const Codes &codes, const MaterialSource &m)
{
    for (const Equivalent &e : m.equivalents) {
        if (!codes.countries.contains(e.country))
            m_errors << QStringLiteral("%1: unknown country \"%2\"").arg(e.where(), e.country);
        fits(e.standard, QStringLiteral("CompareNorms"), QStringLiteral("Name"), e.where());
        fits(e.designation, QStringLiteral("CompareNorms"), QStringLiteral("Label"), e.where());
    }
}

void SourceChecker::composition(const Codes &codes, const MaterialSource &m)
{
    double sumMin = 0;
    QSet<QString> seen;
    for (const ChemItem &c : m.chem) {
        if (!codes.elements.contains(c.symbol))
            m_errors << QStringLiteral("%1: unknown element \"%2\"").arg(c.where(), c.symbol);
        if (seen.contains(c.symbol))
            m_errors << QStringLiteral("%1: element %2 given twice").arg(c.where(), c.symbol);
        seen.insert(c.symbol);
        rangeOk(c.range, c.where());
        fitsNotice(c.note, c.where());
        if (c.range.min)
            sumMin += *c.range.min;
        if ((c.range.min && (*c.range.min < 0 || *c.range.min > 100)) || (c.range.max && (*c.range.max < 0 || *c.range.max > 100)))
            m_errors << QStringLiteral("%1: %2 outside 0-100 %").arg(c.where(), c.symbol);
    }
    if (sumMin > 100.0 + 1e-9)
        err(m, QStringLiteral("sum of composition minima %1 % exceeds 100 %").arg(sumMin));
    if (!m.balance.isEmpty() && !codes.elements.contains(m.balance))
        err(m, QStringLiteral("unknown balance element \"%1\"").arg(m.balance));
}

void SourceChecker::heatAndPhysics(const Codes &codes, const MaterialSource &m)
{
    for (const HeatStep &h : m.heat) {
        if (!codes.procs.contains(h.procedure))
            m_errors << QStringLiteral("%1: unknown procedure \"%2\"").arg(h.where(), h.procedure);
        rangeOk(h.range, h.where());
        fits(h.cooling, QStringLiteral("TempProc"), QStringLiteral("Stand"), h.where());
        fits(h.hold, QStringLiteral("TempProc"), QStringLiteral("Cool"), h.where());
        fits(h.notice, QStringLiteral("TempProc"), QStringLiteral("Notice"), h.where());
    }
    for (const PhysValue &p : m.phys) {
        if (!codes.fyzProps.contains(p.property))
            m_errors << QStringLiteral("%1: unknown physical property \"%2\"").arg(p.where(), p.property);
        rangeOk(p.range, p.where());
        fitsNotice(p.note, p.where());
    }
}

void SourceChecker::semiProducts(const Codes &codes, const MaterialSource &m)
{
    const bool nonFerrous = codes.matTypes.value(m.type, -2) == codes.nonFerrousType;
    for (const SemiBlock &s : m.semis) {
        fitsNotice(s.note, s.where());
        semiProductGroups(codes, s, nonFerrous);
        states(codes, s);
    }
}

void SourceChecker::semiProductGroups(const Codes &codes, const SemiBlock &s, bool nonFerrous)
{
    for (int g = 0; g < 4; ++g) {
        const QString &name = s.groups.value(g);
        if (name.isEmpty())
            continue;
        const int wanted = g == 0 ? (nonFerrous ? 5 : 1) : g + 1;
        auto it = codes.semTypes.find(name);
        if (it == codes.semTypes.end())
            m_errors << QStringLiteral("%1: unknown semi-product type \"%2\"").arg(s.where(), name);
        else if (it->second != wanted)
            m_errors << QStringLiteral("%1: \"%2\" belongs to group %3, field %4 needs group %5")
                          .arg(s.where(), name).arg(it->second).arg(g + 1).arg(wanted);
    }
    if (nonFerrous && (!s.groups.value(1).isEmpty() || !s.groups.value(2).isEmpty() || !s.groups.value(3).isEmpty()))
        m_errors << QStringLiteral("%1: non-ferrous semi-products use only the first group").arg(s.where());
}

void SourceChecker::states(const Codes &codes, const SemiBlock &s)
{
    for (const StateBlock &st : s.states) {
        if (!codes.stTypes.contains(st.code))
            m_errors << QStringLiteral("%1: unknown state \"%2\"").arg(st.where(), st.code);
        fitsNotice(st.note, st.where());
        for (const Dimension &d : st.dims) {
            rangeOk(d.range, d.where());
            fitsNotice(d.note, d.where());
            for (const PropValue &p : d.props) {
                if (!codes.propCodes.contains(p.code))
                    m_errors << QStringLiteral("%1: unknown property code \"%2\"").arg(p.where(), p.code);
                rangeOk(p.range, p.where());
                fitsNotice(p.note, p.where());
            }
        }
    }
}

} // namespace

QStringList validateSource(const CatalogueSource &src)
{
    QStringList errors = src.syntaxErrors;
    SourceChecker check(src, errors);
    if (!check.requiredFiles())
        return errors;
    check.codeLists();
    const Codes codes(src);
    check.codes(codes);
    for (const MaterialSource &m : src.materials)
        check.material(codes, m);
    return errors;
}

void writeCodeTables(const CatalogueSource &src, SqliteFile &catalogue, SqliteFile &user)
{
    for (auto it = src.codes.begin(); it != src.codes.end(); ++it) {
        const CsvTable &t = it.value();
        if (it.key() == QLatin1String("chapters")) {
            const int n = t.column(QStringLiteral("Number")), p = t.column(QStringLiteral("ParentNo")),
                      im = t.column(QStringLiteral("ImageIndex")), x = t.column(QStringLiteral("Text"));
            for (const QStringList &r : t.rows)
                catalogue.insert(QStringLiteral("Nodes"),
                                 {{QStringLiteral("Number"), r[n].toInt()},
                                  {QStringLiteral("ParentNo"), r[p].toInt()},
                                  {QStringLiteral("TreeNo"), 1},
                                  {QStringLiteral("Label"), r[x]},
                                  {QStringLiteral("IndexLabel"), r[x]},
                                  {QStringLiteral("ImageIndex"), r[im].toInt()},
                                  {QStringLiteral("ShortLabel"), withoutBlanks(r[x])},
                                  {QStringLiteral("Text"), r[x]}});
            continue;
        }
        const db::TableDef *def = db::table(it.key());
        if (!def)
            throw ToolError(QStringLiteral("%1: no table of that name").arg(t.file));
        SqliteFile &target = def->database == db::Database::Catalogue ? catalogue : user;
        for (const QStringList &r : t.rows) {
            QVariantMap row;
            for (int c = 0; c < t.header.size(); ++c)
                row.insert(t.header[c], nullable(r[c]));
            if (it.key() == QLatin1String("Setup")) {
                row.insert(QStringLiteral("Formular"), nullable(src.formular));
                row.insert(QStringLiteral("Objednavka"), nullable(src.objednavka));
            }
            target.insert(def->name, row);
        }
    }

    // A fresh user database starts with the standard search settings: the composition
    // defaults of the first material type and all property defaults.
    const CsvTable &types = src.codes[QStringLiteral("MatTypes")];
    if (!types.rows.isEmpty()) {
        const QString firstType = types.rows.first()[types.column(QStringLiteral("Number"))];
        const CsvTable &dc = src.codes[QStringLiteral("DefaultChemComp")];
        for (const QStringList &r : dc.rows) {
            if (r[dc.column(QStringLiteral("TypeNo"))] != firstType)
                continue;
            QVariantMap row;
            for (int c = 0; c < dc.header.size(); ++c)
                row.insert(dc.header[c], nullable(r[c]));
            user.insert(QStringLiteral("UserChemComp"), row);
        }
    }
    const CsvTable &dm = src.codes[QStringLiteral("DefaultMechProp")];
    for (const QStringList &r : dm.rows) {
        QVariantMap row;
        for (int c = 0; c < dm.header.size(); ++c)
            row.insert(dm.header[c], nullable(r[c]));
        user.insert(QStringLiteral("UserMechProp"), row);
    }
}

namespace {

// Writes the materials into the catalogue, numbering the rows of every table in the order
// they are written and storing each distinct notice text once.
class MaterialWriter {
public:
    MaterialWriter(SqliteFile &cat, const Codes &codes) : m_cat(cat), m_codes(codes) {}

    void write(const MaterialSource &m)
    {
        basics(m);
        designations(m);
        composition(m);
        heatAndPhysics(m);
        for (const SemiBlock &s : m.semis)
            semiProduct(m, s);
    }

private:
    // The number of the notice with this text (a new row the first time), null for none.
    QVariant notice(const QString &text)
    {
        if (text.isEmpty())
            return {};
        auto it = m_notices.find(text);
        if (it != m_notices.end())
            return *it;
        m_notices.insert(text, ++m_noticeNo);
        m_cat.insert(QStringLiteral("Notices"), {{QStringLiteral("Number"), m_noticeNo}, {QStringLiteral("Notice"), text}});
        return m_noticeNo;
    }

    void basics(const MaterialSource &m);
    void designations(const MaterialSource &m);
    void composition(const MaterialSource &m);
    void heatAndPhysics(const MaterialSource &m);
    void semiProduct(const MaterialSource &m, const SemiBlock &s);
    void dimension(const Dimension &d);

    SqliteFile &m_cat;
    const Codes &m_codes;
    QHash<QString, int> m_notices;
    int m_noticeNo = 0, m_normNo = 0, m_cmpNo = 0, m_chemNo = 0, m_restNo = 0, m_heatNo = 0, m_fyzNo = 0,
        m_semiNo = 0, m_stateNo = 0, m_dimNo = 0, m_mpNo = 0, m_tempNo = 0, m_sourceNo = 0;
};

// The material row, its node in the contents tree and its sources.
void MaterialWriter::basics(const MaterialSource &m)
{
    const QStringList purpose = splitPurpose(m.purpose);
    QVariantMap mat{{QStringLiteral("Number"), m.number},
                    {QStringLiteral("Name"), m.name},
                    {QStringLiteral("PdfFile"), nullable(m.pdf)},
                    {QStringLiteral("TypeNo"), m_codes.matTypes.value(m.type)},
                    {QStringLiteral("NoticeNo"), notice(m.note)},
                    {QStringLiteral("Private"), QStringLiteral("N")},
                    {QStringLiteral("PurposeAll"), nullable(m.purpose)}};
    mat.insert(QStringLiteral("Purpose"), nullable(purpose[0]));
    for (int i = 1; i < PurposePieces; ++i)
        mat.insert(QStringLiteral("Purpose%1").arg(i), nullable(purpose[i]));
    m_cat.insert(QStringLiteral("Mat"), mat);

    m_cat.insert(QStringLiteral("Nodes"),
                 {{QStringLiteral("Number"), m.number},
                  {QStringLiteral("ParentNo"), m.chapter},
                  {QStringLiteral("TreeNo"), 1},
                  {QStringLiteral("MaterialNo"), m.number},
                  {QStringLiteral("Label"), m.normLabel},
                  {QStringLiteral("IndexLabel"), m.normLabel},
                  {QStringLiteral("ImageIndex"), db::materialNodeImage},
                  {QStringLiteral("ShortLabel"), withoutBlanks(m.normLabel)},
                  {QStringLiteral("Text"), m.nodeText.isEmpty() ? m.normLabel : m.nodeText}});

    for (const QString &s : m.sources)
        m_cat.insert(QStringLiteral("MatSources"),
                     {{QStringLiteral("Number"), ++m_sourceNo},
                      {QStringLiteral("MaterialNo"), m.number},
                      {QStringLiteral("Source"), s}});
}

// The material's own standard and designation, and its equivalents in other standards.
void MaterialWriter::designations(const MaterialSource &m)
{
    m_cat.insert(QStringLiteral("Norms"),
                 {{QStringLiteral("Number"), ++m_normNo},
                  {QStringLiteral("Name"), m.normName},
                  {QStringLiteral("Label"), m.normLabel},
                  {QStringLiteral("MaterialNo"), m.number},
                  {QStringLiteral("CountryNo"), m_codes.countries.value(m.normCountry)},
                  {QStringLiteral("NameShort"), withoutBlanks(m.normName)},
                  {QStringLiteral("LabelShort"), withoutBlanks(m.normLabel)}});

    for (const Equivalent &e : m.equivalents)
        m_cat.insert(QStringLiteral("CompareNorms"),
                     {{QStringLiteral("Number"), ++m_cmpNo},
                      {QStringLiteral("Name"), e.standard},
                      {QStringLiteral("Label"), e.designation},
                      {QStringLiteral("MaterialNo"), m.number},
                      {QStringLiteral("NameShort"), withoutBlanks(e.standard)},
                      {QStringLiteral("LabelShort"), withoutBlanks(e.designation)},
                      {QStringLiteral("CountryNo"), m_codes.countries.value(e.country)}});
}

void MaterialWriter::composition(const MaterialSource &m)
{
    for (const ChemItem &c : m.chem)
        m_cat.insert(QStringLiteral("ChemComp"),
                     {{QStringLiteral("Number"), ++m_chemNo},
                      {QStringLiteral("MaterialNo"), m.number},
                      {QStringLiteral("ElementNo"), m_codes.elements.value(c.symbol)},
                      {QStringLiteral("MinValue"), opt(c.range.min)},
                      {QStringLiteral("MaxValue"), opt(c.range.max)},
                      {QStringLiteral("NoticeNo"), notice(c.note)}});
    if (!m.balance.isEmpty())
        m_cat.insert(QStringLiteral("ChemZbytek"),
                     {{QStringLiteral("Number"), ++m_restNo},
                      {QStringLiteral("MaterialNo"), m.number},
                      {QStringLiteral("ElementNo"), m_codes.elements.value(m.balance)}});
}

void MaterialWriter::heatAndPhysics(const MaterialSource &m)
{
    // The card shows Cool under "Výdrž" and Stand under "Ochlazování": the hold time goes
    // into Cool and the cooling medium into Stand so that each appears under its heading.
    for (const HeatStep &h : m.heat)
        m_cat.insert(QStringLiteral("TempProc"),
                     {{QStringLiteral("Number"), ++m_heatNo},
                      {QStringLiteral("MaterialNo"), m.number},
                      {QStringLiteral("ProcNo"), m_codes.procs.value(h.procedure)},
                      {QStringLiteral("MinValue"), opt(h.range.min)},
                      {QStringLiteral("MaxValue"), opt(h.range.max)},
                      {QStringLiteral("Cool"), nullable(h.hold)},
                      {QStringLiteral("Stand"), nullable(h.cooling)},
                      {QStringLiteral("Notice"), nullable(h.notice)}});

    for (const PhysValue &p : m.phys)
        m_cat.insert(QStringLiteral("FyzProp"),
                     {{QStringLiteral("Number"), ++m_fyzNo},
                      {QStringLiteral("MaterialNo"), m.number},
                      {QStringLiteral("PropertyNo"), m_codes.fyzProps.value(p.property)},
                      {QStringLiteral("Temperature"), opt(p.temperature)},
                      {QStringLiteral("MinValue"), opt(p.range.min)},
                      {QStringLiteral("MaxValue"), opt(p.range.max)},
                      {QStringLiteral("NoticeNo"), notice(p.note)}});
}

// A semi-product with its delivery states and their dimension ranges.
void MaterialWriter::semiProduct(const MaterialSource &m, const SemiBlock &s)
{
    QVariantMap sp{{QStringLiteral("Number"), ++m_semiNo},
                   {QStringLiteral("MaterialNo"), m.number},
                   {QStringLiteral("NoticeNo"), notice(s.note)}};
    QStringList nameParts;
    for (int g = 0; g < 4; ++g) {
        const QString &n = s.groups.value(g);
        if (n.isEmpty())
            continue;
        nameParts << n;
        sp.insert(QStringLiteral("Group%1No").arg(g + 1), m_codes.semTypes.value(n).first);
    }
    sp.insert(QStringLiteral("Name"), nameParts.join(QStringLiteral(", ")));
    m_cat.insert(QStringLiteral("SemiProd"), sp);
    for (const StateBlock &st : s.states) {
        m_cat.insert(QStringLiteral("States"),
                     {{QStringLiteral("Number"), ++m_stateNo},
                      {QStringLiteral("SemiPrNo"), m_semiNo},
                      {QStringLiteral("StateNo"), m_codes.stTypes.value(st.code)},
                      {QStringLiteral("NoticeNo"), notice(st.note)}});
        for (const Dimension &d : st.dims)
            dimension(d);
    }
}

// A dimension range with its mechanical properties: one MechProp row per property code,
// one Temps row per temperature.
void MaterialWriter::dimension(const Dimension &d)
{
    m_cat.insert(QStringLiteral("Dimens"),
                 {{QStringLiteral("Number"), ++m_dimNo},
                  {QStringLiteral("StateNo"), m_stateNo},
                  {QStringLiteral("FromValue"), opt(d.range.min)},
                  {QStringLiteral("ToValue"), opt(d.range.max)},
                  {QStringLiteral("NoticeNo"), notice(d.note)}});
    QList<QString> order;
    QHash<QString, QList<const PropValue *>> byCode;
    for (const PropValue &p : d.props) {
        if (!byCode.contains(p.code))
            order << p.code;
        byCode[p.code] << &p;
    }
    for (const QString &code : order) {
        m_cat.insert(QStringLiteral("MechProp"),
                     {{QStringLiteral("Number"), ++m_mpNo},
                      {QStringLiteral("DimensionNo"), m_dimNo},
                      {QStringLiteral("PropertyNo"), m_codes.propCodes.value(code)}});
        for (const PropValue *p : byCode[code])
            m_cat.insert(QStringLiteral("Temps"),
                         {{QStringLiteral("Number"), ++m_tempNo},
                          {QStringLiteral("PropertyNo"), m_mpNo},
                          {QStringLiteral("NoticeNo"), notice(p->note)},
                          {QStringLiteral("Temperature"), p->temperature},
                          {QStringLiteral("TempMinValue"), opt(p->range.min)},
                          {QStringLiteral("TempMaxValue"), opt(p->range.max)}});
    }
}

} // namespace

BuildSummary buildCatalogue(const CatalogueSource &src, const QString &dataFolder)
{
    const QStringList errors = validateSource(src);
    if (!errors.isEmpty())
        throw ToolError(problemList(errors));
    // A catalogue without materials would replace a good one with an empty one.
    if (src.materials.isEmpty())
        throw ToolError(QStringLiteral("The sources hold no materials; the catalogue in %1 was left as it is").arg(dataFolder));

    QDir().mkpath(dataFolder);
    NewCatalogueFiles files(src, dataFolder);
    const Codes codes(src);
    BuildSummary summary;
    MaterialWriter writer(files.catalogue(), codes);
    for (const MaterialSource &m : src.materials) {
        ++summary.materials;
        summary.perChapter[codes.chapterText.value(codes.topChapter(m.chapter))]++;
        summary.perSubChapter[codes.chapterText.value(m.chapter)]++;
        writer.write(m);
    }
    summary.userFile = files.install();
    summary.ownRows = keepOwnRows(dataFolder);
    return summary;
}

NewCatalogueFiles::NewCatalogueFiles(const CatalogueSource &src, const QString &dataFolder)
    : m_cat(dataFolder + QLatin1Char('/') + db::catalogueFileName()), m_user(dataFolder + QLatin1Char('/') + db::userFileName())
{
    SqliteFile &cat = m_cat.file();
    SqliteFile &user = m_user.file();
    cat.createTables(db::Database::Catalogue);
    user.createTables(db::Database::User);
    cat.begin();
    user.begin();
    writeCodeTables(src, cat, user);
}

UserFileOutcome NewCatalogueFiles::install()
{
    m_cat.file().commit();
    m_user.file().commit();
    m_cat.commitFile();
    return installUserFile(m_user);
}

} // namespace orv::catalogue
