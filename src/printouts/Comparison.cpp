#include "printouts/Comparison.h"

#include "db/Connection.h"
#include "db/Schema.h"
#include "printouts/PrintQueries.h"

#include <map>
#include <memory>
#include <utility>

namespace orv::printouts {

QString compareGroupMaterial() { return QStringLiteral("Materiál"); }
QString compareGroupEquivalents() { return QStringLiteral("Ekvivalenty"); }
QString compareGroupComposition() { return QStringLiteral("Chemické složení [%]"); }
QString compareGroupMechanical() { return QStringLiteral("Mechanické vlastnosti při 20 °C"); }
QString compareGroupPhysical() { return QStringLiteral("Fyzikální vlastnosti"); }
QString compareGroupHeatTreatment() { return QStringLiteral("Tepelné zpracování [°C]"); }
QString ownMaterialMark() { return QStringLiteral("(vlastní materiál)"); }
QString ownMaterialSource() { return QStringLiteral("Vlastní údaje uživatele."); }

QList<CompareRow> Comparison::visibleRows(bool hideEqual) const
{
    QList<CompareRow> out;
    for (const CompareRow &r : rows)
        if (!hideEqual || r.identity || r.differs)
            out << r;
    return out;
}

QList<QStringList> Comparison::lines(bool hideEqual) const
{
    QList<QStringList> out;
    out << (QStringList{QStringLiteral("Skupina"), QStringLiteral("Vlastnost")} + headings);
    for (const CompareRow &r : visibleRows(hideEqual))
        out << (QStringList{r.group, r.caption} + r.cells);
    return out;
}

namespace {

// Rows of one group keyed so that they come out in the catalogue's order of the key.
template <typename Key>
struct GroupRows
{
    struct Entry
    {
        QString caption;
        QStringList cells;
    };
    std::map<Key, Entry> rows;
    int columns = 0;

    void add(const Key &key, const QString &caption, int column, const QString &value,
             const QString &separator = QStringLiteral("\n"))
    {
        auto [it, fresh] = rows.try_emplace(key);
        if (fresh) {
            it->second.caption = caption;
            for (int i = 0; i < columns; ++i)
                it->second.cells << QString();
        }
        QString &cell = it->second.cells[column];
        if (value.isEmpty())
            return;
        cell = cell.isEmpty() ? value : cell + separator + value;
    }

    void appendTo(QList<CompareRow> &out, const QString &group) const
    {
        for (const auto &[key, e] : rows)
            out << CompareRow{group, e.caption, e.cells};
    }
};

QString text(const db::Statement &st, int i)
{
    return st.value(i).toString().trimmed();
}

bool contains(const QVariant &from, const QVariant &to, double d)
{
    return (from.isNull() || from.toDouble() <= d) && (to.isNull() || d <= to.toDouble());
}

// "C (Uhlík)": an element by its symbol and name.
QString elementCaption(const db::Statement &st, int symbol, int name)
{
    return QStringLiteral("%1 (%2)").arg(text(st, symbol), text(st, name));
}

// A statement over the property tables, in the catalogue's tables and in the own ones: the
// column of an own material reads its rows in the latter.
struct PropertyStatement {
    PropertyStatement(db::Connection &cat, const QString &sql)
        : catalogue(cat, sql), own(cat, db::propertyTablesIn(sql, true))
    {
    }
    db::Statement &of(bool isOwn) { return isOwn ? own : catalogue; }
    db::Statement catalogue, own;
};

// Reads a comparison column by column: each kind of row has one statement, prepared once and
// run again for every material.
class ComparisonLoader
{
public:
    ComparisonLoader(db::Connection &cat, int columns);

    void loadColumn(int col, int material, const CompareCriteria &criteria, Comparison &c);
    void finish(Comparison &c) const;

private:
    db::Statement &prepared(db::Statement &st) const
    {
        st.reset();
        st.bind(QStringLiteral("m"), m_material);
        return st;
    }
    db::Statement &prepared(PropertyStatement &st) const { return prepared(st.of(m_own)); }
    bool loadIdentity();
    void loadSource(bool isOwn);
    void loadComposition(int col);
    void loadMechanical(int col, const CompareCriteria &criteria);
    void loadPhysical(int col);

    int m_material = 0;
    bool m_own = false;   // the material is the user's own: its property rows are in the own tables
    db::Statement ident;
    std::unique_ptr<db::Statement> sources; // only where the catalogue has MatSources
    db::Statement equivalents, chem;
    PropertyStatement balance, mechRows, mechValues, physical, heat;

    QStringList designation, standard, name, source, semi, state, dimension;
    QList<int> dimensionNumbers;
    GroupRows<int> eq, comp, heatRows, mech;
    GroupRows<std::pair<int, double>> phys;
};

ComparisonLoader::ComparisonLoader(db::Connection &cat, int columns)
    : ident(cat, QStringLiteral(
          "select mat.Name, nr.Name, nr.Label, mat.Private from Mat mat left join Norms nr on nr.MaterialNo = mat.Number "
          "where mat.Number = :m order by nr.Number limit 1"))
    , sources(cat.tableExists(QStringLiteral("MatSources"))
                  ? std::make_unique<db::Statement>(
                        cat, QStringLiteral("select Source from MatSources where MaterialNo = :m order by Number"))
                  : nullptr)
    , equivalents(cat, QStringLiteral(
          "select co.Number, co.Name, cn.Name, cn.Label from CompareNorms cn join Country co on co.Number = cn.CountryNo "
          "where cn.MaterialNo = :m order by co.Number, cn.Number"))
    , chem(cat, QStringLiteral(
          "select e.Number, e.Name, e.Label, c.MinValue, c.MaxValue from ChemComp c join Elements e on e.Number = c.ElementNo "
          "where c.MaterialNo = :m order by c.Number"))
    , balance(cat, QStringLiteral(
          "select e.Number, e.Name, e.Label from ChemZbytek z join Elements e on e.Number = z.ElementNo "
          "where z.MaterialNo = :m order by z.Number"))
    , mechRows(cat, QStringLiteral(
          "select sp.Name, sp.Group1No, st.StateNo, stt.Code, stt.Name, di.Number, di.FromValue, di.ToValue "
          "from SemiProd sp join States st on st.SemiPrNo = sp.Number join Dimens di on di.StateNo = st.Number "
          "left join StTypes stt on stt.Number = st.StateNo "
          "where sp.MaterialNo = :m and exists (select 1 from MechProp mp join Temps te on te.PropertyNo = mp.Number "
          "where mp.DimensionNo = di.Number and te.Temperature = 20) "
          "order by sp.Number, st.Number, di.Number"))
    , mechValues(cat, QStringLiteral(
          "select mp.PropertyNo, pt.Name, pt.Code, pt.Measure, te.TempMinValue, te.TempMaxValue "
          "from MechProp mp join Temps te on te.PropertyNo = mp.Number left join PropType pt on pt.Number = mp.PropertyNo "
          "where mp.DimensionNo = :d and te.Temperature = 20 order by mp.Number, te.Number"))
    , physical(cat, QStringLiteral(
          "select f.PropertyNo, t.Name, f.Temperature, f.MinValue, f.MaxValue from FyzProp f "
          "left join FyzPropType t on t.Number = f.PropertyNo where f.MaterialNo = :m order by f.Number"))
    , heat(cat, QStringLiteral(
          "select t.ProcNo, p.Name, t.MinValue, t.MaxValue from TempProc t left join Proc p on p.Number = t.ProcNo "
          "where t.MaterialNo = :m order by t.Number"))
{
    eq.columns = comp.columns = heatRows.columns = mech.columns = phys.columns = columns;
}

void ComparisonLoader::loadColumn(int col, int material, const CompareCriteria &criteria, Comparison &c)
{
    m_material = material;
    const bool isOwn = loadIdentity();
    m_own = isOwn;
    loadSource(isOwn);
    c.own << isOwn;

    db::Statement &e = prepared(equivalents);
    while (e.step())
        eq.add(e.value(0).toInt(), text(e, 1), col, (text(e, 2) + u' ' + text(e, 3)).trimmed());

    loadComposition(col);
    loadMechanical(col, criteria);
    loadPhysical(col);

    db::Statement &h = prepared(heat);
    while (h.step())
        heatRows.add(h.value(0).toInt(), text(h, 1), col, printRange(h.value(2), h.value(3)), QStringLiteral("; "));
}

// Name, standard and designation; true for the user's own material.
bool ComparisonLoader::loadIdentity()
{
    if (!prepared(ident).step()) {
        name << QString();
        standard << QString();
        designation << QStringLiteral("(%1)").arg(m_material);
        return false;
    }
    const bool isOwn = text(ident, 3) == QLatin1String("A");
    name << (isOwn ? (text(ident, 0) + u'\n' + ownMaterialMark()).trimmed() : text(ident, 0));
    standard << text(ident, 1);
    designation << text(ident, 2);
    return isOwn;
}

void ComparisonLoader::loadSource(bool isOwn)
{
    QStringList src;
    if (sources) {
        prepared(*sources);
        while (sources->step())
            if (const QString s = text(*sources, 0); !s.isEmpty())
                src << s;
    }
    if (src.isEmpty())
        source << (isOwn ? ownMaterialSource() : QStringLiteral("Zdroj údajů není v katalogu uveden."));
    else
        source << src.join(u'\n');
}

// The elements with their ranges, then those that make up the balance.
void ComparisonLoader::loadComposition(int col)
{
    prepared(chem);
    while (chem.step())
        comp.add(chem.value(0).toInt(), elementCaption(chem, 2, 1), col, printRange(chem.value(3), chem.value(4)),
                 QStringLiteral("; "));
    db::Statement &z = prepared(balance);
    while (z.step())
        comp.add(z.value(0).toInt(), elementCaption(z, 2, 1), col, QStringLiteral("zbytek"),
                 QStringLiteral("; "));
}

// The values at 20 °C of the semi-product, state and dimension that best match the criteria.
void ComparisonLoader::loadMechanical(int col, const CompareCriteria &criteria)
{
    db::Statement &rows = prepared(mechRows);
    int bestScore = -1, bestDim = 0;
    QString bestSemi, bestState, bestDimension;
    while (rows.step()) {
        int score = 0;
        if (criteria.semiProductKind > 0 && rows.value(1).toInt() == criteria.semiProductKind)
            score += 4;
        if (criteria.state > 0 && rows.value(2).toInt() == criteria.state)
            score += 2;
        if (criteria.dimension >= 0 && contains(rows.value(6), rows.value(7), criteria.dimension))
            score += 1;
        if (score > bestScore) {
            bestScore = score;
            bestDim = rows.value(5).toInt();
            bestSemi = text(rows, 0);
            bestState = (text(rows, 3) + u' ' + text(rows, 4)).trimmed();
            bestDimension = printDimension(rows.value(6), rows.value(7));
            if (bestDimension.isEmpty())
                bestDimension = QStringLiteral("libovolný");
        }
    }
    semi << bestSemi;
    state << bestState;
    dimensionNumbers << (bestScore >= 0 ? bestDim : 0);
    dimension << (bestScore >= 0 ? bestDimension : QString());
    if (bestScore < 0)
        return;
    db::Statement &values = mechValues.of(m_own);
    values.reset();
    values.bind(QStringLiteral("d"), bestDim);
    while (values.step()) {
        QString caption = text(values, 1);
        // "Nárazová práce KV" names its code already.
        if (const QString code = text(values, 2); !code.isEmpty() && !caption.endsWith(u' ' + code))
            caption += u' ' + code;
        if (const QString unit = text(values, 3); !unit.isEmpty())
            caption += QStringLiteral(" [%1]").arg(unit);
        mech.add(values.value(0).toInt(), caption, col, printRange(values.value(4), values.value(5)),
                 QStringLiteral("; "));
    }
}

// A property at each of its temperatures is a row of its own.
void ComparisonLoader::loadPhysical(int col)
{
    db::Statement &f = prepared(physical);
    while (f.step()) {
        const QVariant t = f.value(2);
        QString caption = text(f, 1);
        if (!t.isNull())
            caption += QStringLiteral(" při %1 °C").arg(printNumber(t));
        phys.add({f.value(0).toInt(), t.isNull() ? -1e9 : t.toDouble()}, caption, col,
                 printRange(f.value(3), f.value(4)), QStringLiteral("; "));
    }
}

void ComparisonLoader::finish(Comparison &c) const
{
    // A column is headed by the designation; an own material not yet given one by its name,
    // so that no column stands without a heading.
    for (int col = 0; col < int(c.materials.size()); ++col) {
        QString heading = designation.at(col);
        if (heading.isEmpty())
            heading = name.at(col).section(u'\n', 0, 0);
        if (heading.isEmpty())
            heading = QStringLiteral("(%1)").arg(c.materials.at(col));
        c.headings << heading;
    }
    c.dimensions = dimensionNumbers;
    const QString g = compareGroupMaterial();
    c.rows << CompareRow{g, QStringLiteral("Označení"), designation, false, true}
           << CompareRow{g, QStringLiteral("Norma"), standard, false, true}
           << CompareRow{g, QStringLiteral("Název"), name, false, true}
           << CompareRow{g, QStringLiteral("Zdroj údajů"), source, false, true};
    eq.appendTo(c.rows, compareGroupEquivalents());
    comp.appendTo(c.rows, compareGroupComposition());
    const QString gm = compareGroupMechanical();
    // The row each material is compared by stays in view even where all agree.
    c.rows << CompareRow{gm, QStringLiteral("Polotovar"), semi, false, true}
           << CompareRow{gm, QStringLiteral("Stav"), state, false, true}
           << CompareRow{gm, QStringLiteral("Rozměr"), dimension, false, true};
    mech.appendTo(c.rows, gm);
    phys.appendTo(c.rows, compareGroupPhysical());
    heatRows.appendTo(c.rows, compareGroupHeatTreatment());

    for (CompareRow &r : c.rows) {
        for (const QString &cell : r.cells)
            if (cell != r.cells.first())
                r.differs = true;
    }
}

} // namespace

Comparison loadComparison(db::Connection &cat, const QList<int> &materials, const CompareCriteria &criteria)
{
    Comparison c;
    c.materials = materials;
    ComparisonLoader loader(cat, int(materials.size()));
    for (int col = 0; col < int(materials.size()); ++col)
        loader.loadColumn(col, materials.at(col), criteria, c);
    loader.finish(c);
    return c;
}

QList<CodeItem> semiProductKinds(db::Connection &cat)
{
    QList<CodeItem> out;
    db::Statement st(cat, QStringLiteral("select Number, Name from SemTypes where GroupNo in (1, 5) "
                                         "order by GroupNo, Number"));
    while (st.step())
        out << CodeItem{st.value(0).toInt(), st.value(1).toString().trimmed()};
    return out;
}

QList<CodeItem> stateKinds(db::Connection &cat)
{
    QList<CodeItem> out;
    db::Statement st(cat, QStringLiteral("select Number, Code, Name from StTypes order by Number"));
    while (st.step())
        out << CodeItem{st.value(0).toInt(),
                        (st.value(1).toString().trimmed() + u' ' + st.value(2).toString().trimmed()).trimmed()};
    return out;
}

} // namespace orv::printouts
