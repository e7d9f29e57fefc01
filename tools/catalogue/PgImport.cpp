#include "PgImport.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "db/ServerSetup.h"
#include "db/WorkingCopies.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

namespace orv::catalogue {

namespace {

QString serverFailure(const QString &what, const QString &detail)
{
    return QStringLiteral("%1: %2\nServer zůstal beze změny.").arg(what, detail);
}

// The catalogue's tables, in the order of the shared definition.
QList<const db::TableDef *> catalogueTables()
{
    QList<const db::TableDef *> out;
    for (const db::TableDef &t : db::schema())
        if (t.database == db::Database::Catalogue)
            out << &t;
    return out;
}

// The indexes of `table` that no constraint owns, as statements that make them again.
QStringList plainIndexes(db::Connection &server, const QString &table)
{
    QStringList defs;
    db::Statement st(server, QStringLiteral(
        "select pg_get_indexdef(x.indexrelid) from pg_index x join pg_class t on t.oid = x.indrelid "
        "where t.relname = lower(:t) and t.relnamespace = (select oid from pg_namespace where nspname = current_schema()) "
        "and not exists (select 1 from pg_constraint c where c.conindid = x.indexrelid) order by x.indexrelid"));
    st.bind(QStringLiteral("t"), table);
    while (st.step())
        defs << st.value(0).toString();
    return defs;
}

QString indexName(const QString &definition)
{
    // "CREATE [UNIQUE] INDEX [IF NOT EXISTS] name ON ..."
    QStringList words = definition.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const int at = words.indexOf(QStringLiteral("INDEX"));
    if (at < 0)
        return QString();
    words = words.mid(at + 1);
    if (words.size() > 3 && words[0].compare(QStringLiteral("IF"), Qt::CaseInsensitive) == 0)
        words = words.mid(3);
    return words.isEmpty() ? QString() : words.first();
}

// The schema the file's tables are copied into before they replace the server's catalogue.
QString stagingSchema()
{
    return QStringLiteral("orv_import");
}

class Importer {
public:
    Importer(db::Connection &file, db::Connection *userFile, db::Connection &server)
        : m_file(file), m_userFile(userFile), m_server(server)
    {
    }

    void run(const QString &stamp, PgImportSummary &summary)
    {
        const QString staging = stagingSchema();
        m_server.exec(QStringLiteral("drop schema if exists %1 cascade").arg(staging));
        m_server.exec(QStringLiteral("create schema %1").arg(staging));
        // The server's tables are refilled without their indexes (made again at the end,
        // which is far quicker than keeping them up row by row).
        QStringList indexes;
        for (const db::TableDef *t : catalogueTables())
            for (const QString &def : plainIndexes(m_server, t->name)) {
                indexes << def;
                m_server.exec(QStringLiteral("drop index %1").arg(indexName(def)));
            }
        for (const db::TableDef *t : catalogueTables()) {
            if (!m_file.tableExists(t->name))
                continue; // an older catalogue without the table: the server keeps its rows
            QString target = t->name;
            if (db::hasWorkingCopy(t->name)) {
                // The tables with the team's own rows: through the staging schema, from where
                // the new rows replace the catalogue's and the own rows stay.
                m_server.exec(db::serverCreateTable(*t, staging));
                target = staging + QLatin1Char('.') + t->name;
            } else {
                // The others hold the catalogue's rows only (the largest: semi-products down
                // to the values by temperature): replaced whole, straight.
                m_server.exec(QStringLiteral("truncate table %1").arg(t->name));
            }
            const qint64 n = load(*t, target);
            summary.tables << PgTableLoad{t->name, n};
            summary.rows += n;
        }
        const db::WorkingCopyRefresh r = db::replaceServerCatalogue(m_server, staging, stamp);
        summary.ownMaterials = r.ownMaterials;
        summary.renumbered = r.renumbered;
        summary.message = r.message();
        summary.propertyTypesAdded = addPropertyTypes(staging);
        summary.engineerTemplates = fillEngineerTemplates();
        noteCatalogueNotices(staging);
        m_server.exec(QStringLiteral("drop schema %1 cascade").arg(staging));
        summary.indexes = makeIndexes(indexes);
        // New rows of the team are numbered above every row there is now.
        m_server.exec(db::serverSequenceSyncStatement());
        m_server.exec(QStringLiteral("analyze"));
    }

private:
    // The kinds of property (PropType) come in the user file beside the catalogue: the
    // property search needs them for its groups. The team may have made groups of its own and
    // renamed kinds, so only the kinds whose number the server does not have yet are added.
    int addPropertyTypes(const QString &staging)
    {
        const db::TableDef *def = db::table(QStringLiteral("PropType"));
        if (!m_userFile || !m_userFile->tableExists(def->name))
            return 0;
        m_server.exec(db::serverCreateTable(*def, staging));
        QStringList columns;
        for (const db::ColumnDef &c : def->columns)
            columns << c.name;
        load(*m_userFile, *def, staging + QStringLiteral(".") + def->name);
        m_server.exec(QStringLiteral("insert into %1 (%2) select %2 from %3.%1 s where s.Number is not null and "
                                     "not exists (select 1 from %1 p where p.Number = s.Number)")
                          .arg(def->name, columns.join(QStringLiteral(", ")), staging));
        return m_server.changes();
    }

    // The settings an engineer starts with (their schema is made from these tables on their
    // first session): the user file's, while the server has none; what the administrator set
    // there stays.
    int fillEngineerTemplates()
    {
        int filled = 0;
        if (!m_userFile)
            return 0;
        for (const QString &name : db::serverEngineerTables()) {
            const db::TableDef *def = db::table(name);
            if (!m_userFile->tableExists(def->name)
                || m_server.scalar(QStringLiteral("select count(*) from %1").arg(def->name)).toLongLong() > 0)
                continue;
            load(*m_userFile, *def, def->name);
            ++filled;
        }
        return filled;
    }

    // The catalogue's notes, which engineers may not change (the others are the team's).
    void noteCatalogueNotices(const QString &staging)
    {
        if (!m_server.tableExists(staging + QStringLiteral(".Notices")))
            return;
        m_server.exec(QStringLiteral("delete from orv_catalogue_notices"));
        m_server.exec(QStringLiteral("insert into orv_catalogue_notices select distinct Number from %1.Notices "
                                     "where Number is not null").arg(staging));
    }

    qint64 load(const db::TableDef &t, const QString &target) { return load(m_file, t, target); }

    qint64 load(db::Connection &from, const db::TableDef &t, const QString &target)
    {
        const QStringList have = from.tableColumns(t.name);
        QStringList columns, quoted;
        for (const db::ColumnDef &c : t.columns)
            for (const QString &h : have)
                if (h.compare(c.name, Qt::CaseInsensitive) == 0) {
                    columns << c.name;
                    quoted << QStringLiteral("\"%1\"").arg(h);
                    break;
                }
        db::Statement rows(from, QStringLiteral("select %1 from \"%2\"").arg(quoted.join(QLatin1Char(',')), t.name));
        qint64 n = 0;
        const int width = columns.size();
        m_server.copyIn(target, columns, [&](QVariantList &row) {
            if (!rows.step())
                return false;
            for (int i = 0; i < width; ++i)
                row << rows.value(i);
            ++n;
            return true;
        });
        return n;
    }

    int makeIndexes(const QStringList &dropped)
    {
        // Sorting the largest tables' keys in memory rather than in files; for this
        // transaction only.
        m_server.exec(QStringLiteral("set local maintenance_work_mem = '256MB'"));
        QSet<QString> made;
        for (const QString &sql : db::serverIndexStatements()) {
            m_server.exec(sql);
            made.insert(indexName(sql).toLower());
        }
        // Indexes the server had besides the program's own (made by its administrator).
        for (const QString &def : dropped)
            if (!made.contains(indexName(def).toLower())) {
                m_server.exec(def);
                made.insert(indexName(def).toLower());
            }
        return made.size();
    }

    db::Connection &m_file;
    db::Connection *m_userFile;
    db::Connection &m_server;
};

} // namespace

PgInitSummary pgInit(const QString &conninfo)
{
    QElapsedTimer timer;
    timer.start();
    PgInitSummary summary;
    db::Connection server;
    try {
        server.openServer(conninfo, db::ServerSession::Administration);
    } catch (const db::DbError &e) {
        throw ToolError(QStringLiteral("Nelze se připojit k serveru: %1").arg(e.text()));
    }
    try {
        db::Transaction tr(server);
        for (const QString &sql : db::serverSetupStatements()) {
            server.exec(sql);
            ++summary.statements;
        }
        for (const QString &sql : db::serverIndexStatements()) {
            server.exec(sql);
            ++summary.indexes;
        }
        tr.commit();
    } catch (const db::DbError &e) {
        throw ToolError(serverFailure(QStringLiteral("Příprava databáze selhala"), e.text()));
    } catch (const std::exception &e) {
        throw ToolError(serverFailure(QStringLiteral("Příprava databáze selhala"), QString::fromUtf8(e.what())));
    }
    summary.seconds = timer.nsecsElapsed() / 1e9;
    return summary;
}

PgImportSummary pgImport(const QString &dataFolder, const QString &conninfo)
{
    QElapsedTimer timer;
    timer.start();
    const QString file = dataFolder + QLatin1Char('/') + db::catalogueFileName();
    if (!QFileInfo(file).isFile())
        throw ToolError(QStringLiteral("Soubor katalogu %1 neexistuje. Server zůstal beze změny.").arg(file));
    db::Connection source;
    try {
        source.openFile(file, db::OpenMode::ReadOnly);
        if (!source.tableExists(QStringLiteral("Mat")))
            throw ToolError(QStringLiteral("Soubor %1 není katalog (chybí v něm tabulka Mat). Server zůstal beze změny.").arg(file));
    } catch (const db::DbError &e) {
        throw ToolError(QStringLiteral("Soubor katalogu nelze číst: %1\nServer zůstal beze změny.").arg(e.text()));
    }
    db::Connection userFile;
    const QString user = dataFolder + QLatin1Char('/') + db::userFileName();
    if (QFileInfo(user).isFile()) {
        try {
            userFile.openFile(user, db::OpenMode::ReadOnly);
        } catch (const db::DbError &e) {
            throw ToolError(QStringLiteral("Soubor %1 nelze číst: %2\nServer zůstal beze změny.").arg(user, e.text()));
        }
    }
    db::Connection server;
    try {
        server.openServer(conninfo, db::ServerSession::Administration);
    } catch (const db::DbError &e) {
        throw ToolError(QStringLiteral("Nelze se připojit k serveru: %1").arg(e.text()));
    }
    PgImportSummary summary;
    try {
        if (!server.tableExists(QStringLiteral("Mat")))
            throw ToolError(QStringLiteral("Databáze na serveru není připravena (chybí tabulka Mat); nejprve spusťte "
                                           "orv_catalogue pg-init. Server zůstal beze změny."));
        db::Transaction tr(server);
        Importer(source, userFile.isOpen() ? &userFile : nullptr, server).run(db::catalogueStamp(file), summary);
        tr.commit();
    } catch (const db::DbError &e) {
        throw ToolError(serverFailure(QStringLiteral("Nahrání katalogu selhalo"), e.text()));
    } catch (const ToolError &) {
        throw;
    } catch (const std::exception &e) {
        throw ToolError(serverFailure(QStringLiteral("Nahrání katalogu selhalo"), QString::fromUtf8(e.what())));
    }
    summary.seconds = timer.nsecsElapsed() / 1e9;
    return summary;
}

PgAddUserSummary pgAddUser(const QString &conninfo, const QString &login)
{
    const int longest = 63 - db::serverEngineerSchemaPrefix().toUtf8().size();
    if (login.trimmed().isEmpty() || login != login.trimmed())
        throw ToolError(QStringLiteral("Jméno uživatele je prázdné nebo začíná či končí mezerou."));
    if (login.toUtf8().size() > longest)
        throw ToolError(QStringLiteral("Jméno uživatele %1 je příliš dlouhé (nejvýše %2 znaků).").arg(login).arg(longest));
    db::Connection server;
    try {
        server.openServer(conninfo, db::ServerSession::Administration);
    } catch (const db::DbError &e) {
        throw ToolError(QStringLiteral("Nelze se připojit k serveru: %1").arg(e.text()));
    }
    PgAddUserSummary summary;
    const QVariantMap names{{QStringLiteral("login"), login}, {QStringLiteral("grp"), db::serverUsersRole()}};
    try {
        if (server.scalar(QStringLiteral("select count(*) from pg_roles where rolname = :grp"), names).toInt() == 0)
            throw ToolError(QStringLiteral("Na serveru chybí skupina %1; nejprve spusťte orv_catalogue pg-init.")
                                .arg(db::serverUsersRole()));
        if (login == db::serverUsersRole())
            throw ToolError(QStringLiteral("Jméno %1 patří skupině uživatelů programu.").arg(login));
        // The login goes as a parameter; the server's function quotes it (format's %I).
        summary.created = server.scalar(QStringLiteral("select orv_add_engineer(:login)"), names).toBool();
    } catch (const db::DbError &e) {
        throw ToolError(QStringLiteral("Uživatele %1 nelze přidat: %2").arg(login, e.text()));
    }
    summary.login = login;
    return summary;
}

QString pgAddUserText(const PgAddUserSummary &s)
{
    return s.created ? QStringLiteral("Uživatel %1 vytvořen a přidán do skupiny %2. Heslo (nebo jiný způsob přihlášení) "
                                      "nastavte na serveru; program žádné hesla neukládá.").arg(s.login, db::serverUsersRole())
                     : QStringLiteral("Uživatel %1 už na serveru byl; nyní patří do skupiny %2.").arg(s.login, db::serverUsersRole());
}

QString pgInitText(const PgInitSummary &s)
{
    const QLocale cz(QLocale::Czech, QLocale::CzechRepublic);
    return QStringLiteral("Databáze připravena: %1 příkazů (tabulky, funkce, role a práva), %2 indexů, %3 s.")
        .arg(s.statements)
        .arg(s.indexes)
        .arg(cz.toString(s.seconds, 'f', 1));
}

QString pgImportText(const PgImportSummary &s)
{
    const QLocale cz(QLocale::Czech, QLocale::CzechRepublic);
    QStringList lines;
    lines << QStringLiteral("Katalog nahrán na server: %1 tabulek, %2 řádků, %3 s.")
                 .arg(s.tables.size())
                 .arg(cz.toString(s.rows))
                 .arg(cz.toString(s.seconds, 'f', 1));
    for (const PgTableLoad &t : s.tables)
        lines << QStringLiteral("  %1: %2").arg(t.table, cz.toString(t.rows));
    lines << QStringLiteral("Vlastní materiály týmu zachovány: %1.").arg(s.ownMaterials);
    if (!s.message.isEmpty())
        lines << s.message;
    if (s.propertyTypesAdded > 0)
        lines << QStringLiteral("Druhy vlastností doplněny ze souboru uživatelských dat: %1.").arg(s.propertyTypesAdded);
    if (s.engineerTemplates > 0)
        lines << QStringLiteral("Výchozí nastavení nových uživatelů převzato ze souboru uživatelských dat: %1 tabulky.")
                     .arg(s.engineerTemplates);
    lines << QStringLiteral("Indexy: %1, statistiky obnoveny (ANALYZE).").arg(s.indexes);
    return lines.join(QLatin1Char('\n'));
}

} // namespace orv::catalogue
