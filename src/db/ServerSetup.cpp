#include "db/ServerSetup.h"

#include "core/CodePage.h"
#include "db/ServerAudit.h"

#include <QSet>

namespace orv::db {

namespace {

QString sqlLiteral(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(u'\'', QStringLiteral("''")) + QLatin1Char('\'');
}

// The characters beyond ASCII the two server functions translate: the Latin letters with
// their accents, the spacing marks, and the rest of windows-1250 (quotes, dashes, the euro).
QList<char32_t> translatedCharacters()
{
    QList<char32_t> out;
    QSet<char32_t> seen;
    auto add = [&](char32_t c) {
        if (!seen.contains(c)) {
            seen.insert(c);
            out << c;
        }
    };
    for (char32_t c = 0x80; c <= 0x2FF; ++c)
        add(c);
    for (char32_t c = 0x1E00; c <= 0x1EFF; ++c)
        add(c);
    for (int b = 0x80; b <= 0xFF; ++b) {
        const QString s = orv::decode(QByteArray(1, char(b)));
        if (s.size() == 1 && s[0] != u'?')
            add(s[0].unicode());
    }
    for (char32_t c : {char32_t(0x2013), char32_t(0x2014), char32_t(0x201A), char32_t(0x201C), char32_t(0x201D),
                       char32_t(0x201E), char32_t(0x2018), char32_t(0x2019)})
        add(c);
    return out;
}

// cp1250(t): a text whose code-point order is the order of t's windows-1250 bytes, then of t
// itself, as the embedded engine's collation CP1250 orders.
QString cp1250Function()
{
    QString from, to, keep;
    for (char32_t c : translatedCharacters()) {
        const QString ch = QString::fromUcs4(&c, 1);
        keep += ch;
        const QByteArray b = orv::encode(ch);
        const QChar key = QChar(char16_t(uchar(b.isEmpty() ? '?' : b[0])));
        if (QString(key) != ch) {
            from += ch;
            to += key;
        }
    }
    return QStringLiteral(
               "CREATE OR REPLACE FUNCTION cp1250(t text) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE "
               "AS $f$ SELECT translate(regexp_replace(t, %1, '?', 'g'), %2, %3) || chr(1) || t $f$")
        .arg(sqlLiteral(QStringLiteral("[^\\u0001-\\u007f") + keep + QLatin1Char(']')), sqlLiteral(from),
             sqlLiteral(to));
}

// fold(t): t without diacritics, as FOLD() of the embedded engine.
QString foldFunction()
{
    QString from, to, drop;
    QList<QPair<QString, QString>> longer;
    QList<char32_t> chars = translatedCharacters();
    for (char32_t c = 0x300; c <= 0x36F; ++c)
        chars << c;
    for (char32_t c : chars) {
        const QString ch = QString::fromUcs4(&c, 1);
        const QString f = orv::foldToAscii(ch);
        if (f == ch)
            continue;
        if (f.isEmpty())
            drop += ch;
        else if (f.size() == 1) {
            from += ch;
            to += f;
        } else {
            longer << qMakePair(ch, f);
        }
    }
    QString expr = QStringLiteral("translate(t, %1, %2)").arg(sqlLiteral(from + drop), sqlLiteral(to));
    for (const auto &p : longer)
        expr = QStringLiteral("replace(%1, %2, %3)").arg(expr, sqlLiteral(p.first), sqlLiteral(p.second));
    return QStringLiteral("CREATE OR REPLACE FUNCTION fold(t text) RETURNS text LANGUAGE sql IMMUTABLE STRICT "
                          "PARALLEL SAFE AS $f$ SELECT %1 $f$")
        .arg(expr);
}

// Whether the table's Number names one row (the search hits repeat a property's Number).
bool numberIsKey(const TableDef &t)
{
    return t.column(QStringLiteral("Number")) && t.name != QLatin1String("FindChemComp");
}

} // namespace

QString serverType(ColumnType type)
{
    switch (type) {
    case ColumnType::Integer: return QStringLiteral("bigint");
    case ColumnType::Number: return QStringLiteral("double precision");
    case ColumnType::Alpha: return QStringLiteral("text");
    case ColumnType::Memo: return QStringLiteral("text");
    case ColumnType::Logical: return QStringLiteral("smallint");
    }
    return QStringLiteral("text");
}

QString serverCreateTable(const TableDef &t, const QString &schemaName)
{
    QStringList cols;
    for (const ColumnDef &c : t.columns)
        cols << c.name + QLatin1Char(' ') + serverType(c.type) + (c.required ? QStringLiteral(" NOT NULL") : QString());
    const QString name = schemaName.isEmpty() ? t.name : schemaName + QLatin1Char('.') + t.name;
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(name, cols.join(QStringLiteral(", ")));
}

QStringList serverSetupStatements()
{
    const QString schemaName = serverSchema();
    const QString role = serverUsersRole();
    QStringList out;
    out << QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(schemaName)
        << QStringLiteral("SET search_path = %1, pg_catalog, public").arg(schemaName);
    for (const TableDef &t : schema())
        out << serverCreateTable(t);
    // A server set up before the Number indexes were unique: the plain ones go, so that the
    // index statements make them again unique (a table holding one Number twice then stops
    // the setup with the server's words, and nothing is changed).
    QStringList keyIndexes;
    for (const TableDef &t : schema())
        if (numberIsKey(t))
            keyIndexes << sqlLiteral(t.name.toLower() + QStringLiteral("_pk"));
    out << QStringLiteral("DO $k$ DECLARE r record; BEGIN FOR r IN SELECT c.relname FROM pg_index i "
                          "JOIN pg_class c ON c.oid = i.indexrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
                          "WHERE n.nspname = %1 AND NOT i.indisunique AND c.relname = ANY (ARRAY[%2]) LOOP "
                          "EXECUTE format('DROP INDEX %I.%I', %1, r.relname); END LOOP; END $k$")
               .arg(sqlLiteral(schemaName), keyIndexes.join(QStringLiteral(", ")));
    // Sessions put this schema before the built-in one: upper() here upper-cases ß to SS as
    // the embedded engine does (the built-in one maps a letter to one letter only).
    out << QStringLiteral("CREATE OR REPLACE FUNCTION upper(t text) RETURNS text LANGUAGE sql IMMUTABLE STRICT "
                          "PARALLEL SAFE AS $f$ SELECT replace(pg_catalog.upper(t), 'ß', 'SS') $f$")
        << foldFunction() << cp1250Function()
        << QStringLiteral("CREATE OR REPLACE FUNCTION orv_concat_step(acc text, v text, sep text) RETURNS text "
                          "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$ SELECT CASE WHEN v IS NULL THEN acc "
                          "WHEN acc IS NULL THEN v ELSE acc || sep || v END $f$")
        << QStringLiteral("CREATE OR REPLACE FUNCTION orv_concat_step(acc text, v text) RETURNS text "
                          "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$ SELECT orv_concat_step(acc, v, ',') $f$")
        << QStringLiteral("CREATE OR REPLACE FUNCTION orv_concat_step(acc text, v anyelement, sep text) RETURNS text "
                          "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$ SELECT orv_concat_step(acc, v::text, sep) $f$")
        << QStringLiteral("CREATE OR REPLACE FUNCTION orv_concat_step(acc text, v anyelement) RETURNS text "
                          "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$ SELECT orv_concat_step(acc, v::text, ',') $f$")
        << QStringLiteral("CREATE OR REPLACE AGGREGATE group_concat(text, text) (SFUNC = orv_concat_step, STYPE = text)")
        << QStringLiteral("CREATE OR REPLACE AGGREGATE group_concat(text) (SFUNC = orv_concat_step, STYPE = text)")
        << QStringLiteral("CREATE OR REPLACE AGGREGATE group_concat(anyelement, text) (SFUNC = orv_concat_step, STYPE = text)")
        << QStringLiteral("CREATE OR REPLACE AGGREGATE group_concat(anyelement) (SFUNC = orv_concat_step, STYPE = text)")
        << QStringLiteral("CREATE OR REPLACE FUNCTION round(v double precision, digits integer) RETURNS double precision "
                          "LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS $f$ SELECT round(v::numeric, digits)::double precision $f$")
        << QStringLiteral("CREATE OR REPLACE FUNCTION ifnull(a anyelement, b anyelement) RETURNS anyelement "
                          "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$ SELECT coalesce(a, b) $f$")
        << QStringLiteral("DO $r$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = %1) THEN "
                          "CREATE ROLE %2 NOLOGIN; END IF; END $r$")
               .arg(sqlLiteral(role), role)
        << QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schemaName, role)
        << QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2").arg(schemaName, role)
        << QStringLiteral("GRANT EXECUTE ON ALL FUNCTIONS IN SCHEMA %1 TO %2").arg(schemaName, role);
    out << serverAuditStatements();
    return out;
}

QStringList serverIndexStatements()
{
    QStringList out;
    for (const TableDef &t : schema()) {
        // Unique where Number is the row's key: sessions of a team take the next Number at the
        // same time, and the second must be refused (after the first commits) rather than
        // write a second row under it.
        if (const ColumnDef *number = t.column(QStringLiteral("Number")))
            out << QStringLiteral("CREATE %1INDEX IF NOT EXISTS %2_pk ON %2 (%3)")
                       .arg(numberIsKey(t) ? QStringLiteral("UNIQUE ") : QString(), t.name, number->name);
        for (const IndexDef &ix : t.indexes)
            out << QStringLiteral("CREATE INDEX IF NOT EXISTS %1_%2 ON %1 (%3)")
                       .arg(t.name, ix.name, ix.columns.join(QStringLiteral(", ")));
    }
    return out;
}

} // namespace orv::db
