#include "db/Schema.h"

#include <QRegularExpression>

#include <utility>
#include <vector>

namespace orv::db {

const ColumnDef *TableDef::column(const QString &n) const
{
    for (const ColumnDef &c : columns)
        if (c.name.compare(n, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

namespace {

// The user file's tables of the property rows of own materials: the catalogue table's columns
// under the name ownPropertyTable() gives.
QList<TableDef> withOwnPropertyTables(QList<TableDef> tables)
{
    const QList<TableDef> catalogue = tables;
    for (const QString &name : ownPropertyTables())
        for (const TableDef &t : catalogue)
            if (t.name == name) {
                TableDef own = t;
                own.name = ownPropertyTable(name);
                own.database = Database::User;
                tables.append(own);
            }
    return tables;
}

} // namespace

const QStringList &ownPropertyTables()
{
    static const QStringList names = {
        QStringLiteral("ChemZbytek"), QStringLiteral("TempProc"), QStringLiteral("FyzProp"), QStringLiteral("SemiProd"),
        QStringLiteral("States"), QStringLiteral("Dimens"), QStringLiteral("MechProp"), QStringLiteral("Temps")};
    return names;
}

QString ownPropertyTable(const QString &table)
{
    return QStringLiteral("Own") + table;
}

QString propertyTablesIn(QString sql, bool own)
{
    static const auto patterns = [] {
        std::vector<std::pair<QRegularExpression, QRegularExpression>> out;
        for (const QString &t : ownPropertyTables())
            out.emplace_back(QRegularExpression(QStringLiteral("\\b%1\\b").arg(t), QRegularExpression::CaseInsensitiveOption),
                             QRegularExpression(QStringLiteral("\\b%1\\b").arg(ownPropertyTable(t)),
                                                QRegularExpression::CaseInsensitiveOption));
        return out;
    }();
    for (size_t i = 0; i < patterns.size(); ++i) {
        const QString &t = ownPropertyTables().at(qsizetype(i));
        if (own)
            sql.replace(patterns[i].first, ownPropertyTable(t));
        else
            sql.replace(patterns[i].second, t);
    }
    return sql;
}

const QList<TableDef> &schema()
{
    // Column order is the declared order; FindChemComp and FindMechPropTemp are filled by
    // position, so their order is binding. Besides the indexes the program opens by name
    // ("Name", "Material"), the foreign-key columns that the searches and the card join on
    // are indexed.
    static const QList<TableDef> tables = withOwnPropertyTables({
        {QStringLiteral("Nodes"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("ParentNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("TreeNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("Label"), ColumnType::Alpha, 200, false},
             {QStringLiteral("IndexLabel"), ColumnType::Alpha, 200, false},
             {QStringLiteral("ImageIndex"), ColumnType::Integer, 0, false},
             {QStringLiteral("ShortLabel"), ColumnType::Alpha, 200, false},
             {QStringLiteral("Text"), ColumnType::Alpha, 200, false},
             {QStringLiteral("UserNoticeNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("ParentNo"), {QStringLiteral("ParentNo")}}, {QStringLiteral("MaterialNo"), {QStringLiteral("MaterialNo")}}}},
        {QStringLiteral("Tree"), Database::Catalogue,
            {{QStringLiteral("NUMBER"), ColumnType::Integer, 0, false},
             {QStringLiteral("LABEL"), ColumnType::Alpha, 200, false}},
            {}},
        {QStringLiteral("Mat"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false},
             {QStringLiteral("PdfFile"), ColumnType::Alpha, 200, false},
             {QStringLiteral("Purpose"), ColumnType::Alpha, 255, false},
             {QStringLiteral("TypeNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("NoticeNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("Purpose1"), ColumnType::Alpha, 255, false},
             {QStringLiteral("Purpose2"), ColumnType::Alpha, 255, false},
             {QStringLiteral("Purpose3"), ColumnType::Alpha, 255, false},
             {QStringLiteral("Purpose4"), ColumnType::Alpha, 255, false},
             {QStringLiteral("Purpose5"), ColumnType::Alpha, 255, false},
             {QStringLiteral("Private"), ColumnType::Alpha, 1, false},
             {QStringLiteral("PurposeAll"), ColumnType::Memo, 0, false}},
            {}},
        {QStringLiteral("MatTypes"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false}},
            {}},
        {QStringLiteral("Notices"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Notice"), ColumnType::Alpha, 200, false}},
            {}},
        {QStringLiteral("Norms"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 50, false},
             {QStringLiteral("Label"), ColumnType::Alpha, 150, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("CountryNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("NameShort"), ColumnType::Alpha, 50, false},
             {QStringLiteral("LabelShort"), ColumnType::Alpha, 150, false}},
            {{QStringLiteral("MaterialNo"), {QStringLiteral("MaterialNo")}}, {QStringLiteral("CountryNo"), {QStringLiteral("CountryNo")}}}},
        {QStringLiteral("CompareNorms"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 25, false},
             {QStringLiteral("Label"), ColumnType::Alpha, 25, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("NameShort"), ColumnType::Alpha, 25, false},
             {QStringLiteral("LabelShort"), ColumnType::Alpha, 25, false},
             {QStringLiteral("CountryNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("MaterialNo"), {QStringLiteral("MaterialNo")}}, {QStringLiteral("CountryNo"), {QStringLiteral("CountryNo")}}}},
        {QStringLiteral("Country"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false},
             {QStringLiteral("NormsFile"), ColumnType::Alpha, 200, false}},
            {}},
        {QStringLiteral("ChemComp"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("ElementNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("MinValue"), ColumnType::Number, 0, false},
             {QStringLiteral("MaxValue"), ColumnType::Number, 0, false},
             {QStringLiteral("NoticeNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("MaterialNo"), {QStringLiteral("MaterialNo")}}, {QStringLiteral("ElementNo"), {QStringLiteral("ElementNo")}}}},
        {QStringLiteral("ChemZbytek"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("ElementNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("MaterialNo"), {QStringLiteral("MaterialNo")}}, {QStringLiteral("ElementNo"), {QStringLiteral("ElementNo")}}}},
        {QStringLiteral("Elements"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, true},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false},
             {QStringLiteral("Label"), ColumnType::Alpha, 20, false}},
            {{QStringLiteral("Name"), {QStringLiteral("Name")}}}},
        {QStringLiteral("SemiProd"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false},
             {QStringLiteral("Group1No"), ColumnType::Integer, 0, false},
             {QStringLiteral("Group2No"), ColumnType::Integer, 0, false},
             {QStringLiteral("Group3No"), ColumnType::Integer, 0, false},
             {QStringLiteral("Group4No"), ColumnType::Integer, 0, false},
             {QStringLiteral("NoticeNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("MaterialNo"), {QStringLiteral("MaterialNo")}}}},
        {QStringLiteral("SemTypes"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, true},
             {QStringLiteral("GroupNo"), ColumnType::Integer, 0, true},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false}},
            {}},
        {QStringLiteral("States"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("SemiPrNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("StateNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("NoticeNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("SemiPrNo"), {QStringLiteral("SemiPrNo")}}, {QStringLiteral("StateNo"), {QStringLiteral("StateNo")}}}},
        {QStringLiteral("StTypes"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, true},
             {QStringLiteral("Code"), ColumnType::Alpha, 5, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false}},
            {}},
        {QStringLiteral("Dimens"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("StateNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("FromValue"), ColumnType::Number, 0, false},
             {QStringLiteral("ToValue"), ColumnType::Number, 0, false},
             {QStringLiteral("NoticeNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("StateNo"), {QStringLiteral("StateNo")}}}},
        {QStringLiteral("MechProp"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("DimensionNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("PropertyNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("NoticeNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("DimensionNo"), {QStringLiteral("DimensionNo")}}, {QStringLiteral("PropertyNo"), {QStringLiteral("PropertyNo")}}}},
        {QStringLiteral("Temps"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("PropertyNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("NoticeNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("Temperature"), ColumnType::Integer, 0, false},
             {QStringLiteral("TempMinValue"), ColumnType::Number, 0, false},
             {QStringLiteral("TempMaxValue"), ColumnType::Number, 0, false}},
            {{QStringLiteral("PropertyNo"), {QStringLiteral("PropertyNo")}}}},
        {QStringLiteral("TempProc"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("ProcNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("MinValue"), ColumnType::Number, 0, false},
             {QStringLiteral("MaxValue"), ColumnType::Number, 0, false},
             {QStringLiteral("Cool"), ColumnType::Alpha, 200, false},
             {QStringLiteral("Stand"), ColumnType::Alpha, 200, false},
             {QStringLiteral("Notice"), ColumnType::Alpha, 200, false}},
            {{QStringLiteral("MaterialNo"), {QStringLiteral("MaterialNo")}}}},
        {QStringLiteral("Proc"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false}},
            {}},
        {QStringLiteral("FyzProp"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("PropertyNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("Temperature"), ColumnType::Number, 0, false},
             {QStringLiteral("MinValue"), ColumnType::Number, 0, false},
             {QStringLiteral("MaxValue"), ColumnType::Number, 0, false},
             {QStringLiteral("NoticeNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("MaterialNo"), {QStringLiteral("MaterialNo")}}, {QStringLiteral("PropertyNo"), {QStringLiteral("PropertyNo")}}}},
        {QStringLiteral("FyzPropType"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false}},
            {}},
        {QStringLiteral("DefaultChemComp"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("ElementNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("MinValue"), ColumnType::Number, 0, false},
             {QStringLiteral("MaxValue"), ColumnType::Number, 0, false},
             {QStringLiteral("Selected"), ColumnType::Logical, 0, false},
             {QStringLiteral("TypeNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("ElementNo"), {QStringLiteral("ElementNo")}}}},
        {QStringLiteral("DefaultMechProp"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("PropertyNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("MinValue"), ColumnType::Number, 0, false},
             {QStringLiteral("MaxValue"), ColumnType::Number, 0, false},
             {QStringLiteral("Selected"), ColumnType::Logical, 0, false},
             {QStringLiteral("GroupType"), ColumnType::Alpha, 1, false}},
            {{QStringLiteral("PropertyNo"), {QStringLiteral("PropertyNo")}}}},
        {QStringLiteral("PropType"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, true},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false},
             {QStringLiteral("Code"), ColumnType::Alpha, 10, false},
             {QStringLiteral("Measure"), ColumnType::Alpha, 10, false},
             {QStringLiteral("GroupType"), ColumnType::Alpha, 1, false},
             {QStringLiteral("Parent"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("Name"), {QStringLiteral("Name")}}}},
        {QStringLiteral("UserNotices"), Database::User,
            {{QStringLiteral("NUMBER"), ColumnType::Integer, 0, false},
             {QStringLiteral("MATERIALNO"), ColumnType::Integer, 0, false},
             {QStringLiteral("TEXT"), ColumnType::Alpha, 200, false}},
            {{QStringLiteral("Material"), {QStringLiteral("MATERIALNO")}}}},
        {QStringLiteral("Setup"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Items"), ColumnType::Alpha, 200, false},
             {QStringLiteral("Value"), ColumnType::Alpha, 200, false},
             {QStringLiteral("Formular"), ColumnType::Memo, 0, false},
             {QStringLiteral("Objednavka"), ColumnType::Memo, 0, false},
             {QStringLiteral("upgrade"), ColumnType::Integer, 0, false}},
            {}},
        {QStringLiteral("SetupChemComp"), Database::User,
            {{QStringLiteral("NUMBER"), ColumnType::Integer, 0, false},
             {QStringLiteral("ELEMENTNO"), ColumnType::Integer, 0, false},
             {QStringLiteral("DIGRESS"), ColumnType::Number, 0, false}},
            {}},
        {QStringLiteral("UserChemComp"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("ElementNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("MinValue"), ColumnType::Number, 0, false},
             {QStringLiteral("MaxValue"), ColumnType::Number, 0, false},
             {QStringLiteral("Selected"), ColumnType::Logical, 0, false},
             {QStringLiteral("TypeNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("ElementNo"), {QStringLiteral("ElementNo")}}}},
        {QStringLiteral("UserMechProp"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("PropertyNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("MinValue"), ColumnType::Number, 0, false},
             {QStringLiteral("MaxValue"), ColumnType::Number, 0, false},
             {QStringLiteral("Selected"), ColumnType::Logical, 0, false},
             {QStringLiteral("GroupType"), ColumnType::Alpha, 1, false}},
            {{QStringLiteral("PropertyNo"), {QStringLiteral("PropertyNo")}}}},
        {QStringLiteral("FindChemComp"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("MatNumber"), ColumnType::Integer, 0, false},
             {QStringLiteral("Norma"), ColumnType::Alpha, 15, false},
             {QStringLiteral("Znacka"), ColumnType::Alpha, 150, false},
             {QStringLiteral("MatNazev"), ColumnType::Alpha, 200, false},
             {QStringLiteral("ElementNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("SpNumber"), ColumnType::Integer, 0, false},
             {QStringLiteral("DiNumber"), ColumnType::Integer, 0, false},
             {QStringLiteral("StNumber"), ColumnType::Integer, 0, false}},
            {}},
        {QStringLiteral("FindMechPropTemp"), Database::User,
            {{QStringLiteral("MatNumber"), ColumnType::Integer, 0, false},
             {QStringLiteral("Norma"), ColumnType::Alpha, 15, false},
             {QStringLiteral("Znacka"), ColumnType::Alpha, 150, false},
             {QStringLiteral("MatNazev"), ColumnType::Alpha, 200, false},
             {QStringLiteral("SpNumber"), ColumnType::Integer, 0, false},
             {QStringLiteral("DiNumber"), ColumnType::Integer, 0, false},
             {QStringLiteral("StNumber"), ColumnType::Integer, 0, false},
             {QStringLiteral("PocetMechProp"), ColumnType::Integer, 0, false}},
            {}},
        {QStringLiteral("private_MAT"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 200, false},
             {QStringLiteral("PdfFile"), ColumnType::Alpha, 200, false},
             {QStringLiteral("Purpose"), ColumnType::Alpha, 255, false},
             {QStringLiteral("Purpose1"), ColumnType::Alpha, 255, false},
             {QStringLiteral("Purpose2"), ColumnType::Alpha, 255, false},
             {QStringLiteral("Purpose3"), ColumnType::Alpha, 255, false},
             {QStringLiteral("Purpose4"), ColumnType::Alpha, 255, false},
             {QStringLiteral("Purpose5"), ColumnType::Alpha, 255, false},
             {QStringLiteral("PurposeAll"), ColumnType::Memo, 0, false},
             {QStringLiteral("TypeNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("NoticeNo"), ColumnType::Integer, 0, false}},
            {}},
        {QStringLiteral("private_NORMS"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("CountryNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 50, false},
             {QStringLiteral("Label"), ColumnType::Alpha, 150, false},
             {QStringLiteral("NameShort"), ColumnType::Alpha, 50, false},
             {QStringLiteral("LabelShort"), ColumnType::Alpha, 150, false}},
            {}},
        {QStringLiteral("private_COMPARENORMS"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("CountryNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("Name"), ColumnType::Alpha, 25, false},
             {QStringLiteral("Label"), ColumnType::Alpha, 25, false},
             {QStringLiteral("NameShort"), ColumnType::Alpha, 25, false},
             {QStringLiteral("LabelShort"), ColumnType::Alpha, 25, false}},
            {}},
        {QStringLiteral("private_CHEMCOMP"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("ElementNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("MinValue"), ColumnType::Number, 0, false},
             {QStringLiteral("MaxValue"), ColumnType::Number, 0, false},
             {QStringLiteral("NoticeNo"), ColumnType::Integer, 0, false}},
            {}},
        {QStringLiteral("private_NOTICES"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Notice"), ColumnType::Alpha, 200, false}},
            {}},
        // The catalogue file the working copies of the material tables were last filled from
        // (its size, time and change counter); one row. Empty: never filled.
        {QStringLiteral("CatalogueCopy"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Stamp"), ColumnType::Alpha, 200, false}},
            {}},
        // What the upgrade carried over from the previous version: one row per old own material
        // (Kind 'M', OldKey its old Number) and per old user note placed on a material (Kind
        // 'N', OldKey the old note), with the material it went to. A second run skips them.
        {QStringLiteral("PreviousVersionRows"), Database::User,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("Kind"), ColumnType::Alpha, 1, false},
             {QStringLiteral("OldKey"), ColumnType::Alpha, 200, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false}},
            {{QStringLiteral("OldKey"), {QStringLiteral("Kind"), QStringLiteral("OldKey")}}}},
        // Where a material's values come from: the standard(s) and their edition, one row per
        // source in the order the catalogue source names them. Kept apart from the material
        // tables, so a catalogue without it still opens (the card then names no source).
        {QStringLiteral("MatSources"), Database::Catalogue,
            {{QStringLiteral("Number"), ColumnType::Integer, 0, false},
             {QStringLiteral("MaterialNo"), ColumnType::Integer, 0, false},
             {QStringLiteral("Source"), ColumnType::Alpha, 200, false}},
            {{QStringLiteral("MaterialNo"), {QStringLiteral("MaterialNo")}}}},
    });
    return tables;
}

const TableDef *table(const QString &name)
{
    for (const TableDef &t : schema())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

const QStringList &workingCopyTables()
{
    static const QStringList names = {QStringLiteral("Mat"),          QStringLiteral("Nodes"),
                                      QStringLiteral("Norms"),        QStringLiteral("CompareNorms"),
                                      QStringLiteral("ChemComp"),     QStringLiteral("Notices")};
    return names;
}

bool hasWorkingCopy(const QString &name)
{
    for (const QString &t : workingCopyTables())
        if (t.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString sqlType(ColumnType type)
{
    switch (type) {
    case ColumnType::Integer: return QStringLiteral("INTEGER");
    case ColumnType::Number: return QStringLiteral("REAL");
    case ColumnType::Alpha: return QStringLiteral("TEXT");
    case ColumnType::Memo: return QStringLiteral("TEXT");
    case ColumnType::Logical: return QStringLiteral("BOOLEAN");
    }
    return QStringLiteral("TEXT");
}

QStringList createStatements(const TableDef &t, const QString &schemaName)
{
    QStringList cols;
    for (const ColumnDef &c : t.columns) {
        QString def = QStringLiteral("\"%1\" %2").arg(c.name, sqlType(c.type));
        if (c.required)
            def += QStringLiteral(" NOT NULL");
        cols << def;
    }
    QStringList out;
    out << QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\".\"%2\" (%3)")
               .arg(schemaName, t.name, cols.join(QStringLiteral(", ")));
    const ColumnDef *number = t.column(QStringLiteral("Number"));
    if (number)
        out << QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1\".\"%2_pk\" ON \"%2\" (\"%3\")")
                   .arg(schemaName, t.name, number->name);
    for (const IndexDef &ix : t.indexes) {
        QStringList quoted;
        for (const QString &c : ix.columns)
            quoted << QStringLiteral("\"%1\"").arg(c);
        out << QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1\".\"%2_%3\" ON \"%2\" (%4)")
                   .arg(schemaName, t.name, ix.name, quoted.join(QStringLiteral(", ")));
    }
    return out;
}

} // namespace orv::db
