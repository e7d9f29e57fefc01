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

bool isEngineerTable(const QString &name)
{
    return serverEngineerTables().contains(name, Qt::CaseInsensitive);
}

bool isSessionTable(const QString &name)
{
    return serverSessionTables().contains(name, Qt::CaseInsensitive);
}

// The shared tables whose new rows the program numbers: the team's own materials with what
// hangs on them, their notes and property rows, user notes and the kinds of property.
QStringList sequenceTables()
{
    QStringList out = workingCopyTables();
    out << QStringLiteral("UserNotices") << QStringLiteral("PropType");
    for (const QString &t : ownPropertyTables())
        out << ownPropertyTable(t);
    return out;
}

// What an engineer may do with each shared table: read the catalogue, read and write the
// team's rows. The working copies hold the catalogue's rows too; a trigger keeps those
// unchanged (orv_guard_catalogue_rows). The templates of the engineers' tables and the
// administrator's bookkeeping are not theirs to change.
QString rightsOf(const TableDef &t)
{
    if (isEngineerTable(t.name))
        return QString();
    if (t.name == QLatin1String("CatalogueCopy") || (t.database == Database::Catalogue && !hasWorkingCopy(t.name)))
        return QStringLiteral("SELECT");
    return QStringLiteral("SELECT, INSERT, UPDATE, DELETE");
}

QString lowerNames(const QStringList &names)
{
    QStringList out;
    for (const QString &n : names)
        out << sqlLiteral(n.toLower());
    return QStringLiteral("ARRAY[%1]::text[]").arg(out.join(QStringLiteral(", ")));
}

// orv_engineer_schema(): the schema of the session's login, made on its first call with the
// template's rows; returns its name quoted. It runs with its owner's rights (the setup role),
// so an engineer needs no right to create schemas; only the login gets rights to the schema's
// tables, and none to change what they are.
QString engineerSchemaFunction()
{
    return QStringLiteral(
               "CREATE OR REPLACE FUNCTION orv_engineer_schema() RETURNS text LANGUAGE plpgsql SECURITY DEFINER "
               "SET search_path = pg_catalog, pg_temp AS $f$ "
               "DECLARE s text := %1 || session_user; t text; "
               "BEGIN "
               "IF octet_length(s) > 63 THEN RAISE EXCEPTION USING ERRCODE = '42622', MESSAGE = "
               "format('Jméno uživatele %s je pro databázi programu příliš dlouhé (nejvýše %s znaků).', "
               "session_user, 63 - octet_length(%1)); END IF; "
               // Two sessions of one login starting together make the schema once.
               "PERFORM pg_advisory_xact_lock(hashtext(s)); "
               "EXECUTE format('CREATE SCHEMA IF NOT EXISTS %I', s); "
               "EXECUTE format('REVOKE ALL ON SCHEMA %I FROM PUBLIC', s); "
               "EXECUTE format('GRANT USAGE ON SCHEMA %I TO %I', s, session_user); "
               "FOREACH t IN ARRAY %2 LOOP "
               "IF to_regclass(format('%I.%I', s, t)) IS NULL THEN "
               "EXECUTE format('CREATE TABLE %I.%I (LIKE %I.%I INCLUDING ALL)', s, t, %3, t); "
               "EXECUTE format('INSERT INTO %I.%I SELECT * FROM %I.%I', s, t, %3, t); "
               "EXECUTE format('REVOKE ALL ON %I.%I FROM PUBLIC', s, t); "
               "EXECUTE format('GRANT SELECT, INSERT, UPDATE, DELETE ON %I.%I TO %I', s, t, session_user); "
               "END IF; END LOOP; "
               "RETURN quote_ident(s); END $f$")
        .arg(sqlLiteral(serverEngineerSchemaPrefix()), lowerNames(serverEngineerTables()), sqlLiteral(serverSchema()));
}

// Whether a row of a working copy belongs to the team (an own material, what hangs on one, a
// note the catalogue does not have) rather than to the catalogue.
QString ownRowFunction()
{
    return QStringLiteral(
        "CREATE OR REPLACE FUNCTION orv_row_is_own(t text, r jsonb) RETURNS boolean LANGUAGE plpgsql STABLE "
        "SET search_path = orvalis, pg_catalog, pg_temp AS $f$ BEGIN "
        "IF t = 'mat' THEN RETURN coalesce(r->>'private', '') = 'A'; END IF; "
        "IF t = 'notices' THEN RETURN r->>'number' IS NULL OR NOT EXISTS "
        "(SELECT 1 FROM orv_catalogue_notices c WHERE c.number = (r->>'number')::bigint); END IF; "
        "RETURN r->>'materialno' IS NOT NULL AND NOT EXISTS "
        "(SELECT 1 FROM mat m WHERE m.number = (r->>'materialno')::bigint AND coalesce(m.private, '') <> 'A'); "
        "END $f$");
}

// Refuses an engineer's change of a catalogue row with "permission denied"; the tables'
// owner (the catalogue tool) changes them freely.
QString guardFunction()
{
    return QStringLiteral(
        "CREATE OR REPLACE FUNCTION orv_guard_catalogue_rows() RETURNS trigger LANGUAGE plpgsql "
        "SET search_path = orvalis, pg_catalog, pg_temp AS $f$ BEGIN "
        "IF NOT pg_has_role(current_user, (SELECT relowner FROM pg_class WHERE oid = TG_RELID), 'USAGE') AND ("
        "(TG_OP <> 'INSERT' AND NOT orv_row_is_own(TG_TABLE_NAME, to_jsonb(OLD))) OR "
        "(TG_OP <> 'DELETE' AND NOT orv_row_is_own(TG_TABLE_NAME, to_jsonb(NEW)))) THEN "
        "RAISE EXCEPTION USING ERRCODE = '42501', MESSAGE = "
        "format('Řádky katalogu (tabulka %s) smí měnit jen správce nástrojem katalogu.', TG_TABLE_NAME); "
        "END IF; "
        "RETURN CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END; END $f$");
}

} // namespace

const QStringList &serverEngineerTables()
{
    static const QStringList names = {QStringLiteral("Setup"), QStringLiteral("SetupChemComp"),
                                      QStringLiteral("UserChemComp"), QStringLiteral("UserMechProp")};
    return names;
}

const QStringList &serverSessionTables()
{
    static const QStringList names = {QStringLiteral("FindChemComp"), QStringLiteral("FindMechPropTemp")};
    return names;
}

QString serverSequence(const QString &table)
{
    for (const QString &t : sequenceTables())
        if (t.compare(table, Qt::CaseInsensitive) == 0)
            return serverSchema() + QLatin1Char('.') + t.toLower() + QStringLiteral("_number");
    return QString();
}

QString serverSequenceSyncStatement()
{
    QStringList tables;
    for (const QString &t : sequenceTables())
        tables << t;
    // A sequence never goes back: a number it gave may still be in a session's open
    // transaction.
    return QStringLiteral(
               "DO $q$ DECLARE t text; m bigint; c bigint; BEGIN FOREACH t IN ARRAY %1 LOOP "
               "EXECUTE format('SELECT max(number) FROM %2.%I', t) INTO m; "
               "EXECUTE format('SELECT CASE WHEN is_called THEN last_value ELSE last_value - 1 END FROM %2.%I', "
               "t || '_number') INTO c; "
               "IF m > c THEN PERFORM setval(format('%2.%I', t || '_number'), m); END IF; "
               "END LOOP; END $q$")
        .arg(lowerNames(tables), serverSchema());
}

QString serverSessionStatements(bool engineer)
{
    QStringList out;
    out << QStringLiteral("SET search_path = %1, pg_catalog, public").arg(serverSchema());
    for (const QString &name : serverSessionTables())
        out << serverCreateTable(*table(name), QStringLiteral("pg_temp"));
    out << QStringLiteral("CREATE INDEX IF NOT EXISTS findchemcomp_pk ON pg_temp.FindChemComp (Number)");
    if (!engineer)
        return out.join(QStringLiteral(";\n"));
    // In an engineer's window, rows a colleague's open window holds are waited for five
    // seconds, as a user file is, and then refused with a message, instead of the window
    // standing still until the colleague closes theirs. A limit the administrator set for
    // the team stays. (The catalogue tool's sessions wait as long as it takes.)
    out << QStringLiteral("DO $l$ BEGIN IF current_setting('lock_timeout') = '0' THEN "
                          "PERFORM set_config('lock_timeout', '5s', false); END IF; END $l$");
    // A database set up before engineers had schemas of their own keeps the shared tables.
    out << QStringLiteral(
               "DO $s$ BEGIN IF to_regprocedure('%1.orv_engineer_schema()') IS NOT NULL THEN "
               "PERFORM set_config('search_path', %1.orv_engineer_schema() || ', %1, pg_catalog, public', false); "
               "END IF; END $s$")
               .arg(serverSchema());
    return out.join(QStringLiteral(";\n"));
}

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
        if (!isSessionTable(t.name))
            out << serverCreateTable(t);
    // The work tables of older setups were shared by the whole team.
    for (const QString &t : serverSessionTables())
        out << QStringLiteral("DROP TABLE IF EXISTS %1.%2").arg(schemaName, t);
    // The catalogue's notes (filled by every load): the ones engineers may not change.
    out << QStringLiteral("CREATE TABLE IF NOT EXISTS orv_catalogue_notices (number bigint PRIMARY KEY)");
    for (const QString &t : sequenceTables())
        out << QStringLiteral("CREATE SEQUENCE IF NOT EXISTS %1 AS bigint OWNED BY %2.Number").arg(serverSequence(t), t);
    out << serverSequenceSyncStatement();
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
        << engineerSchemaFunction() << ownRowFunction() << guardFunction()
        // The catalogue tool's pg-add-user: the login quoted by the server, run with the
        // caller's rights (creating roles is the administrator's).
        << QStringLiteral("CREATE OR REPLACE FUNCTION orv_add_engineer(login text) RETURNS boolean LANGUAGE plpgsql "
                          "SET search_path = pg_catalog, pg_temp AS $f$ BEGIN "
                          "IF EXISTS (SELECT FROM pg_roles WHERE rolname = login) THEN "
                          "EXECUTE format('GRANT %I TO %I', %1, login); RETURN false; END IF; "
                          "EXECUTE format('CREATE ROLE %I LOGIN IN ROLE %I', login, %1); RETURN true; END $f$")
               .arg(sqlLiteral(role));
    for (const QString &t : workingCopyTables())
        out << QStringLiteral("CREATE OR REPLACE TRIGGER %1_guard BEFORE INSERT OR UPDATE OR DELETE ON %1 "
                              "FOR EACH ROW EXECUTE FUNCTION orv_guard_catalogue_rows()").arg(t);
    // Who changed a shared row and when, kept by the server (before the rights, so the
    // group's grants cover the audit columns and functions).
    out << serverAuditStatements();
    // Rights: the group's members read and write the data and nothing more (no tables made,
    // no catalogue rows changed, no other engineer's schema; see rightsOf).
    out << QStringLiteral("REVOKE ALL ON SCHEMA %1 FROM PUBLIC").arg(schemaName)
        << QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA %1 FROM PUBLIC, %2").arg(schemaName, role)
        << QStringLiteral("REVOKE ALL ON ALL FUNCTIONS IN SCHEMA %1 FROM PUBLIC").arg(schemaName)
        << QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schemaName, role);
    for (const TableDef &t : schema()) {
        const QString rights = rightsOf(t);
        if (!rights.isEmpty() && !isSessionTable(t.name))
            out << QStringLiteral("GRANT %1 ON %2 TO %3").arg(rights, t.name, role);
    }
    out << QStringLiteral("GRANT SELECT ON orv_catalogue_notices TO %1").arg(role)
        << QStringLiteral("GRANT USAGE ON ALL SEQUENCES IN SCHEMA %1 TO %2").arg(schemaName, role)
        << QStringLiteral("GRANT EXECUTE ON ALL FUNCTIONS IN SCHEMA %1 TO %2").arg(schemaName, role)
        << QStringLiteral("REVOKE EXECUTE ON FUNCTION orv_add_engineer(text) FROM %1").arg(role);
    return out;
}

QStringList serverIndexStatements()
{
    QStringList out;
    for (const TableDef &t : schema()) {
        if (isSessionTable(t.name))
            continue;
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
