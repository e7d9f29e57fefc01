#pragma once
// The hand-written catalogue sources (data/catalogue): code lists as CSV and materials as
// key: value text files. Reading checks the syntax and every name against the code lists;
// the errors name the file and line.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace orv::catalogue {

struct Range {
    std::optional<double> min;
    std::optional<double> max;
    bool empty() const { return !min && !max; }
};

// One code-list file: header names and rows of raw texts (empty text = NULL).
struct CsvTable {
    QString file;
    QStringList header;
    QList<QStringList> rows;
    QList<int> lines; // source line of each row
    int column(const QString &name) const; // case-insensitive, -1 when missing
};

struct Located {
    QString file;
    int line = 0;
    QString where() const { return QStringLiteral("%1:%2").arg(file).arg(line); }
};

struct Equivalent : Located {
    QString country, standard, designation;
};
struct ChemItem : Located {
    QString symbol;
    Range range;
    QString note;
};
struct HeatStep : Located {
    QString procedure;
    Range range;
    QString cooling, hold, notice;
};
struct PhysValue : Located {
    QString property;
    std::optional<double> temperature;
    Range range;
    QString note;
};
struct PropValue : Located {
    QString code;
    int temperature = 20;
    Range range;
    QString note;
};
struct Dimension : Located {
    Range range; // both empty: any dimension
    QString note;
    QList<PropValue> props;
};
struct StateBlock : Located {
    QString code;
    QString note;
    QList<Dimension> dims;
};
struct SemiBlock : Located {
    QStringList groups; // four names, empty = none
    QString note;
    QList<StateBlock> states;
};

struct MaterialSource : Located {
    int number = 0;
    int chapter = 0;
    QString type, name;
    QString normName, normLabel, normCountry;
    QString nodeText, pdf;
    QStringList sources;
    QList<Equivalent> equivalents;
    QList<ChemItem> chem;
    QString balance;
    QString purpose;
    QString note;
    QList<HeatStep> heat;
    QList<PhysValue> phys;
    QList<SemiBlock> semis;
    QString designation() const { return normLabel; }
};

struct CatalogueSource {
    QHash<QString, CsvTable> codes; // by file base name ("Country", "chapters", ...)
    QString formular, objednavka;
    QList<MaterialSource> materials; // in material-number order
    QStringList syntaxErrors;        // lines of the material files that could not be read
};

// Reads one CSV code list (';' separated, '#' comments). Throws ToolError.
CsvTable readCsv(const QString &path);

// Reads a whole source folder. A missing folder or codes/ folder, unreadable files and
// malformed code lists throw ToolError; a missing materials/ folder is a problem of its own;
// lines of material files that cannot be read are collected in `syntaxErrors` so that
// validateSource() reports them together with every other problem.
CatalogueSource readCatalogueSource(const QString &folder);

// Parses "min..max", "min..", "..max" (returns false on anything else, and for a bound that
// is not a finite number such as "nan" or "inf"). With
// `allowSingle` a bare number is accepted as a minimum alone.
bool parseRange(const QString &text, Range &out, bool allowSingle = false);

// A value as problem messages quote it: cut after 80 characters.
QString echoed(const QString &value);
// The first 50 problems, one a line, and how many more there are.
QString problemList(const QStringList &problems);

// The characters of a text that windows-1250 cannot hold, each once.
QString foreignCharacters(const QString &text);

// Removes every blank: the short forms of designations and standards.
QString withoutBlanks(const QString &s);

} // namespace orv::catalogue
