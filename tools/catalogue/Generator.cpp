#include "Generator.h"
#include "CatalogueBuilder.h"
#include "SqliteFile.h"

#include "db/Schema.h"

#include <QHash>

#include <algorithm>

namespace orv::catalogue {

namespace {

// splitmix64: tiny, fast and the same on every platform and library, unlike the standard
// distributions.
class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % quint64(n)); }
    double uniform(double a, double b) { return a + (b - a) * double(next() >> 11) / double(1ULL << 53); }
    double rounded(double a, double b, double step) { return std::round(uniform(a, b) / step) * step; }
    template<typename T>
    const T &pick(const QList<T> &list) { return list[below(int(list.size()))]; }

private:
    quint64 m_state;
};

QList<int> column(const CsvTable &t, const QString &name)
{
    QList<int> out;
    const int c = t.column(name);
    for (const QStringList &r : t.rows)
        out << r[c].toInt();
    return out;
}

const QStringList &purposeWords()
{
    static const QStringList w{QStringLiteral("hřídele"), QStringLiteral("ozubená kola"), QStringLiteral("svařované konstrukce"),
                               QStringLiteral("tlakové nádoby"), QStringLiteral("čepy"), QStringLiteral("pružiny"),
                               QStringLiteral("nástroje pro tváření"), QStringLiteral("součásti čerpadel"), QStringLiteral("armatury"),
                               QStringLiteral("lopatky turbín"), QStringLiteral("odlitky skříní"), QStringLiteral("ložiska"),
                               QStringLiteral("šrouby"), QStringLiteral("kotlové trubky"), QStringLiteral("potravinářská zařízení"),
                               QStringLiteral("elektrotechnické součásti"), QStringLiteral("profily"), QStringLiteral("plechy pro hlubokotažení")};
    return w;
}

// The numbers the generated rows pick from, out of the code lists.
struct CodeNumbers {
    QList<int> elements, countries, procs, fyz, states, types;
    QList<int> props;                 // mechanical properties (not of group A)
    QHash<int, QList<int>> semByGroup; // semi-product kinds by group
    // Sub-chapters below each top-level chapter, matched to the kinds of metal by position
    // (Oceli, Litiny, Neželezné kovy in the demo code lists).
    QList<QList<int>> chaptersByType;
};

QList<QList<int>> leafChaptersByTop(const CsvTable &ch)
{
    QList<QList<int>> out;
    QList<int> tops;
    QHash<int, int> parent;
    for (const QStringList &r : ch.rows) {
        const int n = r[ch.column(QStringLiteral("Number"))].toInt(), p = r[ch.column(QStringLiteral("ParentNo"))].toInt();
        parent.insert(n, p);
        if (p == 0 && n > 0)
            tops << n;
    }
    for (int t : tops) {
        QList<int> leaves;
        for (auto it = parent.begin(); it != parent.end(); ++it) {
            int c = it.key(), guard = 0;
            while (parent.value(c, 0) != 0 && guard++ < 50)
                c = parent.value(c);
            if (c == t && it.key() != t && !parent.values().contains(it.key()))
                leaves << it.key();
        }
        std::sort(leaves.begin(), leaves.end());
        out << (leaves.isEmpty() ? QList<int>{t} : leaves);
    }
    return out;
}

CodeNumbers codeNumbers(const CatalogueSource &src)
{
    CodeNumbers c;
    c.elements = column(src.codes[QStringLiteral("Elements")], QStringLiteral("Number"));
    c.countries = column(src.codes[QStringLiteral("Country")], QStringLiteral("Number"));
    c.procs = column(src.codes[QStringLiteral("Proc")], QStringLiteral("Number"));
    c.fyz = column(src.codes[QStringLiteral("FyzPropType")], QStringLiteral("Number"));
    c.states = column(src.codes[QStringLiteral("StTypes")], QStringLiteral("Number"));
    c.types = column(src.codes[QStringLiteral("MatTypes")], QStringLiteral("Number"));
    const CsvTable &pt = src.codes[QStringLiteral("PropType")];
    for (const QStringList &r : pt.rows)
        if (r[pt.column(QStringLiteral("GroupType"))] != QLatin1String("A"))
            c.props << r[pt.column(QStringLiteral("Number"))].toInt();
    const CsvTable &st = src.codes[QStringLiteral("SemTypes")];
    for (const QStringList &r : st.rows)
        c.semByGroup[r[st.column(QStringLiteral("GroupNo"))].toInt()] << r[st.column(QStringLiteral("Number"))].toInt();
    c.chaptersByType = leafChaptersByTop(src.codes[QStringLiteral("chapters")]);
    return c;
}

// Writes the generated materials one after another; the row numbers of every table run on
// across materials, and the random numbers are drawn in one fixed order.
class MaterialGenerator {
public:
    MaterialGenerator(SqliteFile &cat, const CodeNumbers &codes, const GeneratorOptions &o)
        : m_cat(cat), m_codes(codes), m_o(o), m_rnd(o.seed) {}

    void write(int i)
    {
        const int number = 1000 + i;
        const int typeIdx = m_rnd.below(100) < 70 ? 0 : (m_rnd.below(2) == 0 ? 1 : 2);
        const int type = m_codes.types.value(typeIdx, m_codes.types.first());
        writeMaterial(number, typeIdx, type);
        writeComposition(number, typeIdx);
        writeHeatAndPhysical(number);
        for (int s = 0; s < m_o.semiProducts; ++s)
            writeSemiProduct(number, s, type == nonFerrousType);
    }

private:
    static constexpr int nonFerrousType = 3;
    static constexpr int fe = 21, al = 13, cu = 12;

    // The material with its note, node, designation and equivalents.
    void writeMaterial(int number, int typeIdx, int type)
    {
        const QList<int> &chapters = m_codes.chaptersByType.value(typeIdx, m_codes.chaptersByType.first());
        const int chapter = chapters[m_rnd.below(int(chapters.size()))];
        const QString label = QStringLiteral("%1%2-%3").arg(QChar(u'A' + m_rnd.below(26))).arg(number).arg(m_rnd.below(100));
        const QString normName = QStringLiteral("ČSN 4%1 %2").arg(m_rnd.below(3) + 1).arg(number % 10000, 4, 10, QLatin1Char('0'));

        QString purpose;
        const int words = 5 + m_rnd.below(40);
        for (int w = 0; w < words; ++w)
            purpose += (w ? QStringLiteral(", ") : QString()) + m_rnd.pick(purposeWords());
        const QStringList pieces = splitPurpose(purpose.left(1530));
        QVariant notice;
        if (m_rnd.below(4) == 0) {
            m_cat.insertRow(QStringLiteral("Notices"), {++noticeNo, QStringLiteral("Poznámka k materiálu %1").arg(number)});
            notice = noticeNo;
        }
        auto nz = [](const QString &s) { return s.isEmpty() ? QVariant() : QVariant(s); };
        m_cat.insertRow(QStringLiteral("Mat"), {number, QStringLiteral("Materiál %1 (%2)").arg(label).arg(number), QVariant(), nz(pieces[0]), type,
                                                notice, nz(pieces[1]), nz(pieces[2]), nz(pieces[3]), nz(pieces[4]), nz(pieces[5]),
                                                QStringLiteral("N"), purpose.left(1530)});
        m_cat.insertRow(QStringLiteral("Nodes"), {number, chapter, 1, number, label, label, 4, withoutBlanks(label), label, QVariant()});
        m_cat.insertRow(QStringLiteral("Norms"), {++normNo, normName, label, number, 1, withoutBlanks(normName), withoutBlanks(label)});
        for (int e = 0; e < m_o.equivalents; ++e) {
            const QString n = QStringLiteral("NORMA %1").arg(m_rnd.below(900) + 100);
            const QString l = QStringLiteral("X%1 %2").arg(m_rnd.below(90) + 10).arg(m_rnd.below(9000) + 1000);
            m_cat.insertRow(QStringLiteral("CompareNorms"), {++cmpNo, n, l, number, withoutBlanks(n), withoutBlanks(l), m_rnd.pick(m_codes.countries)});
        }
    }

    // Composition: distinct elements other than the balance; minima stay small so that
    // their sum never passes 100 %.
    void writeComposition(int number, int typeIdx)
    {
        const int balance = typeIdx == 2 ? (m_rnd.below(2) ? al : cu) : fe;
        QList<int> pool = m_codes.elements;
        pool.removeAll(balance);
        for (int c = 0; c < m_o.chemRows && !pool.isEmpty(); ++c) {
            const int el = pool.takeAt(m_rnd.below(int(pool.size())));
            const int shape = m_rnd.below(4);
            const double lo = m_rnd.rounded(0.01, 5.0, 0.01);
            const double hi = lo + m_rnd.rounded(0.01, 2.0, 0.01);
            m_cat.insertRow(QStringLiteral("ChemComp"), {++chemNo, number, el, shape == 0 ? QVariant() : QVariant(lo),
                                                         shape == 1 ? QVariant() : QVariant(hi), QVariant()});
        }
        m_cat.insertRow(QStringLiteral("ChemZbytek"), {++restNo, number, balance});
    }

    void writeHeatAndPhysical(int number)
    {
        for (int h = 0; h < 2; ++h) {
            const double t = m_rnd.rounded(150, 1100, 10);
            m_cat.insertRow(QStringLiteral("TempProc"), {++heatNo, number, m_rnd.pick(m_codes.procs), t, t + 40, QStringLiteral("1 h"),
                                                         m_rnd.below(2) ? QStringLiteral("vzduch") : QStringLiteral("olej"), QVariant()});
        }
        const QList<int> &fyz = m_codes.fyz;
        for (int f = 0; f < 3; ++f)
            m_cat.insertRow(QStringLiteral("FyzProp"), {++fyzNo, number, fyz[f % fyz.size()], 20.0, m_rnd.rounded(1, 8000, 1), QVariant(), QVariant()});
    }

    // One semi-product with its states, dimension ranges, properties and their values.
    void writeSemiProduct(int number, int s, bool nf)
    {
        const QList<int> &g1 = m_codes.semByGroup[nf ? 5 : 1];
        m_cat.insertRow(QStringLiteral("SemiProd"), {++semiNo, number, QStringLiteral("polotovar %1").arg(s + 1), m_rnd.pick(g1),
                                                     nf ? QVariant() : QVariant(m_rnd.pick(m_codes.semByGroup[2])),
                                                     nf || m_rnd.below(2) ? QVariant() : QVariant(m_rnd.pick(m_codes.semByGroup[3])), QVariant(), QVariant()});
        for (int st = 0; st < m_o.states; ++st) {
            m_cat.insertRow(QStringLiteral("States"), {++stateNo, semiNo, m_rnd.pick(m_codes.states), QVariant()});
            double from = 0;
            for (int d = 0; d < m_o.dimensions; ++d) {
                const double to = from + m_rnd.rounded(5, 100, 5);
                m_cat.insertRow(QStringLiteral("Dimens"), {++dimNo, stateNo, d == 0 ? QVariant() : QVariant(from), to, QVariant()});
                from = to;
                writeProperties();
            }
        }
    }

    // The properties of the last dimension range, each at its temperatures.
    void writeProperties()
    {
        QList<int> pp = m_codes.props;
        for (int p = 0; p < m_o.properties && !pp.isEmpty(); ++p) {
            m_cat.insertRow(QStringLiteral("MechProp"), {++mpNo, dimNo, pp.takeAt(m_rnd.below(int(pp.size()))), QVariant()});
            const double base = m_rnd.rounded(5, 1500, 5);
            for (int t = 0; t < m_o.temperatures; ++t) {
                const int temp = t == 0 ? 20 : (m_rnd.below(3) == 0 ? -20 - 20 * m_rnd.below(3) : 100 * (t + m_rnd.below(4)));
                const double v = std::max(1.0, base - (temp > 20 ? temp / 5.0 : 0));
                const bool range = m_rnd.below(3) == 0;
                m_cat.insertRow(QStringLiteral("Temps"), {++tempNo, mpNo, QVariant(), temp, v, range ? QVariant(v + 150) : QVariant()});
            }
        }
    }

    SqliteFile &m_cat;
    const CodeNumbers &m_codes;
    const GeneratorOptions &m_o;
    Random m_rnd;
    qint64 chemNo = 0, cmpNo = 0, normNo = 0, restNo = 0, heatNo = 0, fyzNo = 0, semiNo = 0, stateNo = 0, dimNo = 0, mpNo = 0,
           tempNo = 0, noticeNo = 0;
};

} // namespace

void generateCatalogue(const CatalogueSource &src, const QString &dataFolder, const GeneratorOptions &o)
{
    const QStringList errors = validateSource(CatalogueSource{src.codes, src.formular, src.objednavka, {}, {}});
    if (!errors.isEmpty())
        throw ToolError(problemList(errors));

    NewCatalogueFiles files(src, dataFolder);
    const CodeNumbers codes = codeNumbers(src);
    MaterialGenerator generator(files.catalogue(), codes, o);
    for (int i = 0; i < o.materials; ++i)
        generator.write(i);
    files.install();
}

} // namespace orv::catalogue
