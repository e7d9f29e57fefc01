#pragma once
// The query texts of the designation and usage searches and the builders that write a
// search's conditions into them through the where-clause appender. Typed text only ever
// reaches the SQL as the body of a quoted constant: quotes are doubled and %, _ typed by the
// user are literal characters of a LIKE pattern (escaped, with an ESCAPE clause).

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace orv::search {

// How the designation text is matched ("Přesnost hledání:").
enum class Precision {
    Exact,       // rbPresne "Hledat přesně"
    FromLeft,    // rbZleva "Hledat zleva"
    Part,        // rbCast "Hledat část "
    Approximate  // rbPriblizne "Hledat přibližně"
};

struct DesignationCriteria {
    QString text;               // eMaterialFind
    bool inNames = true;        // cbNazev "Hledat mezi normami"
    bool inLabels = true;       // cbZnacka "Hledat mezi značkami"
    bool inCountry = false;     // cbZeme
    QString country;            // cbCountryName
    bool inMatType = false;     // cbKov
    QString matType;            // cbMatTypes
    Precision precision = Precision::Part;
    bool withoutSpaces = true;  // cbMezera "Hledat bez mezer"
    bool caseSensitive = false; // cbMalaVelka "Rozlišovat malá a velká"
};

struct UsageCriteria {
    bool inMatType = false;     // cbKovy3
    QString matType;            // cbMatTypes3
    bool byUsage = true;        // cbPouziti "Hledat podle použití"
    QString text;               // ePouziti
    bool ignoreDiacritics = false; // cbDiakritika "Bez ohledu na diakritiku"
};

// The entries of the filter lists that mean "no restriction".
inline QString allMetals() { return QStringLiteral("všechny kovy"); }
inline QString allCountries() { return QStringLiteral("všechny země"); }

// The search text, its quotes and percent signs must fit the 200-character working buffer
// the searches were designed around.
constexpr int maxSearchTextLength = 195;

// A search refused before it reaches the engine; what() is the Czech message for the user.
class SearchTextError : public std::runtime_error {
public:
    explicit SearchTextError(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

// Throws SearchTextError when `text` is longer than maxSearchTextLength.
void checkSearchText(const QString &text);

// Base texts: qHledatEkvivalenty and qHledatPouziti with all condition slots empty.
QStringList designationBaseSql();
QStringList usageBaseSql();

// Resets `sql` to the base text and writes the conditions of the designation search into it.
// Throws SearchTextError for a text that is too long (`sql` is then left at the base text).
void buildDesignationSql(QStringList &sql, const DesignationCriteria &criteria);
// The hidden result column of the designation search that puts exact matches first.
QString exactMatchField();
// The same for the usage search.
void buildUsageSql(QStringList &sql, const UsageCriteria &criteria);

// "Hledat přibližně" works on the text with runs of spaces collapsed and the ends trimmed:
// a double space would otherwise give an empty piece (matching anything) and a trailing one
// a dangling "and".
QString collapseSpaces(const QString &text);

} // namespace orv::search
