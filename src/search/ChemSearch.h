#pragma once
// The composition search ("Chemické složení"). Stage one selects the catalogue's composition
// rows that meet any used criteria row and copies them into the work table FindChemComp; stage
// two (qHledatChemSlozeni) groups the work table per designation, counts the rows of each
// group and keeps the groups that reach the chosen threshold.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace orv::db {
class Connection;
}

namespace orv::search {

// One row of UserChemComp.
struct ChemCriterion {
    int elementNo = 0;
    std::optional<double> minValue;
    std::optional<double> maxValue;
    bool selected = true;

    bool used() const { return selected && (minValue || maxValue); }
};

enum class ChemThreshold {
    Exact,   // rbHledatPresne "Hledat přesně"
    All,     // rbHledatVse "Hledat vše"
    AtLeast  // rbHledatPriblizne "Hledat vše s přesností >="
};

struct ChemOptions {
    bool inMatType = false;   // cbKovy "Hledat v kovech"
    QString matType;          // cbMatTypes1
    bool keepInterval = true; // cbInterval "Dodržet zadaný interval"
    ChemThreshold threshold = ChemThreshold::Exact;
};

// The success rate in Setup ("USPESNOST") is missing or not a whole number.
class SuccessRateError : public std::runtime_error {
public:
    explicit SuccessRateError(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

// The criteria list in its stored order, the deviations of SetupChemComp (ELEMENTNO -> DIGRESS,
// an empty DIGRESS counts as 0) and the success rate. readSuccessRate throws SuccessRateError.
QList<ChemCriterion> readChemCriteria(db::Connection &conn);
QHash<int, double> readDeviations(db::Connection &conn);
int readSuccessRate(db::Connection &conn);
// The same conversion on a text, for the options window and the tests.
int parseSuccessRate(const QString &value);

// The least whole k with k >= u * n / 100, in whole numbers (no rounding of 2.1 down).
int successThreshold(int u, int n);

// Stage one (qHledatAllChemSlozeni) built line by line: one distinct select with the
// condition of each used row on a line of its own, joined by "or"; `criteriaCount` receives
// n. Empty when no row is used.
QStringList chemStageOneSql(const QList<ChemCriterion> &criteria, const QHash<int, double> &deviations,
                            const ChemOptions &options, int *criteriaCount = nullptr);

// The seven lines of qHledatChemSlozeni with the COUNT form and the threshold line set.
QStringList chemResultSql(ChemThreshold threshold, int n, int k);
// Lines 0 and 3 of the fallback form (line 4 stays as it is).
void setChemFallback(QStringList &resultSql);

// The statement that copies stage one's rows into FindChemComp.
QString chemFillSql(const QStringList &stageOneSql);

// "přesnost [%]": factor / (n / 100); empty when either is 0.
std::optional<double> matchPercent(int count, int n);

struct ChemSearchOutcome {
    int criteriaCount = 0;      // n, kept for the percentage column
    QStringList stageOneSql;    // qHledatAllChemSlozeni
    QStringList resultSql;      // qHledatChemSlozeni, ready to open
    bool fallback = false;      // the first result row had a count of 0
};

// Runs the whole search on a connection that sees both databases: reads the criteria, the
// deviations and the success rate (SuccessRateError before anything is written), refills
// FindChemComp and prepares the result query. Engine errors come as db::DbError.
ChemSearchOutcome runChemSearch(db::Connection &conn, const ChemOptions &options);
ChemSearchOutcome runChemSearch(db::Connection &conn, const QList<ChemCriterion> &criteria,
                                const QHash<int, double> &deviations, int successRate,
                                const ChemOptions &options);

struct ChemResultRow {
    QString norma;
    QString znacka;
    QString matNazev;
    int factor = 0;
    std::optional<double> percent; // clFactor
    int matNumber = 0;
};

// The rows of the result query in its order.
QList<ChemResultRow> readChemResult(db::Connection &conn, const ChemSearchOutcome &outcome);

} // namespace orv::search
