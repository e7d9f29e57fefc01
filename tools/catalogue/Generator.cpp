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

} // namespace

void generateCatalogue(const CatalogueSource &src, const QString &dataFolder, const GeneratorOptions &o)
{
    const QStringList errors = validateSource(CatalogueSource{src.codes, src.formular, src.objednavka, {}, {}});
    if (!errors.isEmpty())
        throw ToolError(problemList(errors));

    AtomicSqliteFile catFile(dataFolder + QLatin1Char('/') + db::catalogueFileName());
    AtomicSqliteFile userFile(dataFolder + QLatin1Char('/') + db::userFileName());
    SqliteFile &cat = catFile.file();
    SqliteFile &user = userFile.file();
    cat.createTables(db::Database::Catalogue);
    user.createTables(db::Database::User);
    cat.begin();
    user.begin();
    writeCodeTables(src, cat, user);

    Random rnd(o.seed);
    const QList<int> elements = column(src.codes[QStringLiteral("Elements")], QStringLiteral("Number"));
    const QList<int> countries = column(src.codes[QStringLiteral("Country")], QStringLiteral("Number"));
    const QList<int> procs = column(src.codes[QStringLiteral("Proc")], QStringLiteral("Number"));
    const QList<int> fyz = column(src.codes[QStringLiteral("FyzPropType")], QStringLiteral("Number"));
    const QList<int> states = column(src.codes[QStringLiteral("StTypes")], QStringLiteral("Number"));
    const QList<int> types = column(src.codes[QStringLiteral("MatTypes")], QStringLiteral("Number"));
    QList<int> props;
    {
        const CsvTable &pt = src.codes[QStringLiteral("PropType")];
        for (const QStringList &r : pt.rows)
            if (r[pt.column(QStringLiteral("GroupType"))] != QLatin1String("A"))
                props << r[pt.column(QStringLiteral("Number"))].toInt();
    }
    QHash<int, QList<int>> semByGroup;
    {
        const CsvTable &st = src.codes[QStringLiteral("SemTypes")];
        for (const QStringList &r : st.rows)
            semByGroup[r[st.column(QStringLiteral("GroupNo"))].toInt()] << r[st.column(QStringLiteral("Number"))].toInt();
    }
    // Sub-chapters below each top-level chapter, matched to the kinds of metal by position
    // (Oceli, Litiny, Neželezné kovy in the demo code lists).
    QList<QList<int>> chaptersByType;
    {
        const CsvTable &ch = src.codes[QStringLiteral("chapters")];
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
            chaptersByType << (leaves.isEmpty() ? QList<int>{t} : leaves);
        }
    }
    const int nonFerrousType = 3;
    const int fe = 21, al = 13, cu = 12;

    qint64 chemNo = 0, cmpNo = 0, normNo = 0, restNo = 0, heatNo = 0, fyzNo = 0, semiNo = 0, stateNo = 0, dimNo = 0, mpNo = 0,
           tempNo = 0, noticeNo = 0;
    for (int i = 0; i < o.materials; ++i) {
        const int number = 1000 + i;
        const int typeIdx = rnd.below(100) < 70 ? 0 : (rnd.below(2) == 0 ? 1 : 2);
        const int type = types.value(typeIdx, types.first());
        const QList<int> &chapters = chaptersByType.value(typeIdx, chaptersByType.first());
        const int chapter = chapters[rnd.below(int(chapters.size()))];
        const QString label = QStringLiteral("%1%2-%3").arg(QChar(u'A' + rnd.below(26))).arg(number).arg(rnd.below(100));
        const QString normName = QStringLiteral("ČSN 4%1 %2").arg(rnd.below(3) + 1).arg(number % 10000, 4, 10, QLatin1Char('0'));

        QString purpose;
        const int words = 5 + rnd.below(40);
        for (int w = 0; w < words; ++w)
            purpose += (w ? QStringLiteral(", ") : QString()) + rnd.pick(purposeWords());
        const QStringList pieces = splitPurpose(purpose.left(1530));
        QVariant notice;
        if (rnd.below(4) == 0) {
            cat.insertRow(QStringLiteral("Notices"), {++noticeNo, QStringLiteral("Poznámka k materiálu %1").arg(number)});
            notice = noticeNo;
        }
        auto nz = [](const QString &s) { return s.isEmpty() ? QVariant() : QVariant(s); };
        cat.insertRow(QStringLiteral("Mat"), {number, QStringLiteral("Materiál %1 (%2)").arg(label).arg(number), QVariant(), nz(pieces[0]), type,
                                              notice, nz(pieces[1]), nz(pieces[2]), nz(pieces[3]), nz(pieces[4]), nz(pieces[5]),
                                              QStringLiteral("N"), purpose.left(1530)});
        cat.insertRow(QStringLiteral("Nodes"), {number, chapter, 1, number, label, label, 4, withoutBlanks(label), label, QVariant()});
        cat.insertRow(QStringLiteral("Norms"), {++normNo, normName, label, number, 1, withoutBlanks(normName), withoutBlanks(label)});
        for (int e = 0; e < o.equivalents; ++e) {
            const QString n = QStringLiteral("NORMA %1").arg(rnd.below(900) + 100);
            const QString l = QStringLiteral("X%1 %2").arg(rnd.below(90) + 10).arg(rnd.below(9000) + 1000);
            cat.insertRow(QStringLiteral("CompareNorms"), {++cmpNo, n, l, number, withoutBlanks(n), withoutBlanks(l), rnd.pick(countries)});
        }
        // Composition: distinct elements other than the balance; minima stay small so that
        // their sum never passes 100 %.
        const int balance = typeIdx == 2 ? (rnd.below(2) ? al : cu) : fe;
        QList<int> pool = elements;
        pool.removeAll(balance);
        for (int c = 0; c < o.chemRows && !pool.isEmpty(); ++c) {
            const int el = pool.takeAt(rnd.below(int(pool.size())));
            const int shape = rnd.below(4);
            const double lo = rnd.rounded(0.01, 5.0, 0.01);
            const double hi = lo + rnd.rounded(0.01, 2.0, 0.01);
            cat.insertRow(QStringLiteral("ChemComp"), {++chemNo, number, el, shape == 0 ? QVariant() : QVariant(lo),
                                                       shape == 1 ? QVariant() : QVariant(hi), QVariant()});
        }
        cat.insertRow(QStringLiteral("ChemZbytek"), {++restNo, number, balance});
        for (int h = 0; h < 2; ++h) {
            const double t = rnd.rounded(150, 1100, 10);
            cat.insertRow(QStringLiteral("TempProc"), {++heatNo, number, rnd.pick(procs), t, t + 40, QStringLiteral("1 h"),
                                                       rnd.below(2) ? QStringLiteral("vzduch") : QStringLiteral("olej"), QVariant()});
        }
        for (int f = 0; f < 3; ++f)
            cat.insertRow(QStringLiteral("FyzProp"), {++fyzNo, number, fyz[f % fyz.size()], 20.0, rnd.rounded(1, 8000, 1), QVariant(), QVariant()});

        for (int s = 0; s < o.semiProducts; ++s) {
            const bool nf = type == nonFerrousType;
            const QList<int> &g1 = semByGroup[nf ? 5 : 1];
            cat.insertRow(QStringLiteral("SemiProd"), {++semiNo, number, QStringLiteral("polotovar %1").arg(s + 1), rnd.pick(g1),
                                                       nf ? QVariant() : QVariant(rnd.pick(semByGroup[2])),
                                                       nf || rnd.below(2) ? QVariant() : QVariant(rnd.pick(semByGroup[3])), QVariant(), QVariant()});
            for (int st = 0; st < o.states; ++st) {
                cat.insertRow(QStringLiteral("States"), {++stateNo, semiNo, rnd.pick(states), QVariant()});
                double from = 0;
                for (int d = 0; d < o.dimensions; ++d) {
                    const double to = from + rnd.rounded(5, 100, 5);
                    cat.insertRow(QStringLiteral("Dimens"), {++dimNo, stateNo, d == 0 ? QVariant() : QVariant(from), to, QVariant()});
                    from = to;
                    QList<int> pp = props;
                    for (int p = 0; p < o.properties && !pp.isEmpty(); ++p) {
                        cat.insertRow(QStringLiteral("MechProp"), {++mpNo, dimNo, pp.takeAt(rnd.below(int(pp.size()))), QVariant()});
                        const double base = rnd.rounded(5, 1500, 5);
                        for (int t = 0; t < o.temperatures; ++t) {
                            const int temp = t == 0 ? 20 : (rnd.below(3) == 0 ? -20 - 20 * rnd.below(3) : 100 * (t + rnd.below(4)));
                            const double v = std::max(1.0, base - (temp > 20 ? temp / 5.0 : 0));
                            const bool range = rnd.below(3) == 0;
                            cat.insertRow(QStringLiteral("Temps"), {++tempNo, mpNo, QVariant(), temp, v, range ? QVariant(v + 150) : QVariant()});
                        }
                    }
                }
            }
        }
    }
    cat.commit();
    user.commit();
    catFile.commitFile();
    installUserFile(userFile);
}

} // namespace orv::catalogue
