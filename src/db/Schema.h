#pragma once
// The program's tables, defined once: names, columns, types, widths, and which of the two
// database files holds each table. Everything that creates, imports or validates tables
// reads this definition.

#include <QString>
#include <QStringList>
#include <QList>

namespace orv::db {

enum class ColumnType { Integer, Number, Alpha, Memo, Logical };

// The catalogue file lives below the data root; the user file beside the program.
enum class Database { Catalogue, User };

struct ColumnDef {
    QString name;
    ColumnType type;
    int width = 0; // characters, for Alpha only
    bool required = false;
};

struct IndexDef {
    QString name;    // name the program opens it by ("Name", "Material"), or a generated one
    QStringList columns;
};

struct TableDef {
    QString name;
    Database database;
    QList<ColumnDef> columns;
    QList<IndexDef> indexes;

    const ColumnDef *column(const QString &name) const; // case-insensitive
};

// Every table of both files, in a stable order.
const QList<TableDef> &schema();
const TableDef *table(const QString &name); // case-insensitive; nullptr when unknown

// The material tables of which the user database keeps a working copy: the catalogue's rows
// together with the user's own materials, their tree nodes, designations, equivalents,
// composition and notes. The program reads and writes these copies; the catalogue file itself
// is only read. A material first, then what hangs on it.
const QStringList &workingCopyTables();
// The property tables of a material (remainder element, heat treatment, physical properties,
// semi-products down to the values by temperature). They are far the largest, so they are not
// copied: an own material's rows of them live in the user file's tables ownPropertyTable(T),
// with the catalogue table's columns, and the material card reads them there for an own
// material.
const QStringList &ownPropertyTables();
QString ownPropertyTable(const QString &table); // "Own" + table
// The query with every property table named as its own table (own) or as the catalogue's
// (not own): the same query over an own material's property rows. Each chain of joins must
// stay on one side: the own tables number their rows apart from the catalogue's.
QString propertyTablesIn(QString sql, bool own);
bool hasWorkingCopy(const QString &table); // case-insensitive

// SQLite type keyword of a column type.
QString sqlType(ColumnType type);

// The statements that create the table and its indexes in the schema `schemaName`
// ("main" or an attached name).
QStringList createStatements(const TableDef &table, const QString &schemaName = QStringLiteral("main"));

// The ImageIndex of a material's row in Nodes: the sheet picture of the contents tree.
constexpr int materialNodeImage = 4;

// File names of the two database files inside their "data" folders.
inline QString catalogueFileName() { return QStringLiteral("catalogue.sqlite"); }
inline QString userFileName() { return QStringLiteral("user.sqlite"); }

} // namespace orv::db
