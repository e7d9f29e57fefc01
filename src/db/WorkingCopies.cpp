#include "db/WorkingCopies.h"

#include "core/SqlText.h"
#include "db/DatabaseFiles.h"
#include "db/Schema.h"
#include "db/ServerAudit.h"
#include "db/ServerSetup.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace orv::db {

namespace {

// A table's own rows are those whose `column` holds the Number of an own row of `parent`.
struct Ownership {
    const char *table;
    const char *column;
    const char *parent;
};
const Ownership kOwnership[] = {
    {"Nodes", "MaterialNo", "Mat"},
    {"Norms", "MaterialNo", "Mat"},
    {"CompareNorms", "MaterialNo", "Mat"},
    {"ChemComp", "MaterialNo", "Mat"},
};
// Working copies whose NoticeNo points at Notices.
const char *const kNoticeHolders[] = {"Mat", "ChemComp"};
// The user file's property rows of own materials whose NoticeNo points at Notices.
const char *const kOwnPropertyNoticeHolders[] = {"OwnSemiProd", "OwnStates", "OwnDimens", "OwnMechProp", "OwnTemps", "OwnFyzProp"};

// Columns that hold the Number of a row of `target`: they follow a renumbered own row. Rows of
// the working copies are only own rows here; the user tables are changed in place.
struct Reference {
    const char *table;
    const char *column;
    const char *target;
};
const Reference kOwnReferences[] = {
    {"Nodes", "MaterialNo", "Mat"},      {"Nodes", "ParentNo", "Nodes"},       {"Mat", "NoticeNo", "Notices"},
    {"Norms", "MaterialNo", "Mat"},      {"CompareNorms", "MaterialNo", "Mat"}, {"ChemComp", "MaterialNo", "Mat"},
    {"ChemComp", "NoticeNo", "Notices"},
};
const Reference kUserReferences[] = {
    {"UserNotices", "MATERIALNO", "Mat"},
    {"private_MAT", "Number", "Mat"},           {"private_MAT", "NoticeNo", "Notices"},
    {"private_NORMS", "Number", "Norms"},       {"private_NORMS", "MaterialNo", "Mat"},
    {"private_COMPARENORMS", "Number", "CompareNorms"}, {"private_COMPARENORMS", "MaterialNo", "Mat"},
    {"private_CHEMCOMP", "Number", "ChemComp"}, {"private_CHEMCOMP", "MaterialNo", "Mat"},
    {"private_CHEMCOMP", "NoticeNo", "Notices"}, {"private_NOTICES", "Number", "Notices"},
    {"PreviousVersionRows", "MaterialNo", "Mat"},
    {"OwnChemZbytek", "MaterialNo", "Mat"},     {"OwnTempProc", "MaterialNo", "Mat"},
    {"OwnFyzProp", "MaterialNo", "Mat"},        {"OwnFyzProp", "NoticeNo", "Notices"},
    {"OwnSemiProd", "MaterialNo", "Mat"},       {"OwnSemiProd", "NoticeNo", "Notices"},
    {"OwnStates", "NoticeNo", "Notices"},       {"OwnDimens", "NoticeNo", "Notices"},
    {"OwnMechProp", "NoticeNo", "Notices"},     {"OwnTemps", "NoticeNo", "Notices"},
};

QString q(const QString &name)
{
    return QStringLiteral("\"%1\"").arg(name);
}

// Where the refresh finds its tables: the working copies (the user file's main database, or
// the server's schema), the new catalogue (the attached file, or the schema the catalogue
// tool loaded it into) and the temporary tables of the session.
struct Place {
    bool server = false;
    QString main, cat, temp;
};

Place filePlace()
{
    return {false, QStringLiteral("main"), Connection::catalogueSchema(), QStringLiteral("temp")};
}

QString own(const Place &p, const QString &table)
{
    return QStringLiteral("%1.\"own_%2\"").arg(p.temp, table);
}

// The server folds names to lower case; the schema and table names are looked up so.
bool hasTable(Connection &c, const QString &schemaName, const QString &table)
{
    if (c.engine() == Engine::Postgres)
        return c.scalar(QStringLiteral("SELECT count(*) FROM pg_class t JOIN pg_namespace n ON n.oid = t.relnamespace "
                                       "WHERE t.relname = lower(:t) AND t.relkind IN ('r', 'p', 'v') AND "
                                       "(n.nspname = lower(:s) OR (:s = 'pg_temp' AND n.oid = pg_my_temp_schema()))"),
                        {{QStringLiteral("t"), table}, {QStringLiteral("s"), schemaName}})
                   .toInt() > 0;
    return c.scalar(QStringLiteral("SELECT count(*) FROM %1.sqlite_master WHERE type = 'table' AND name = :t COLLATE NOCASE")
                        .arg(q(schemaName)),
                    {{QStringLiteral("t"), table}})
               .toInt() > 0;
}

QStringList columnsOf(Connection &c, const QString &schemaName, const QString &table)
{
    QStringList out;
    if (c.engine() == Engine::Postgres) {
        Statement st(c, QStringLiteral("SELECT a.attname FROM pg_attribute a WHERE a.attrelid = to_regclass(:q) "
                                       "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"));
        st.bind(1, QStringLiteral("%1.%2").arg(schemaName, table.toLower()));
        while (st.step())
            out << st.value(0).toString();
        return out;
    }
    Statement st(c, QStringLiteral("PRAGMA %1.table_info(%2)").arg(q(schemaName), q(table)));
    while (st.step())
        out << st.value(1).toString();
    return out;
}

// The columns of `have` that the schema declares for `def`, spelled as declared.
QStringList commonColumns(const TableDef &def, const QStringList &have)
{
    QStringList out;
    for (const ColumnDef &col : def.columns)
        for (const QString &h : have)
            if (h.compare(col.name, Qt::CaseInsensitive) == 0) {
                out << q(col.name);
                break;
            }
    return out;
}

bool sameColumns(const TableDef &def, const QStringList &have)
{
    if (have.size() != def.columns.size())
        return false;
    for (int i = 0; i < have.size(); ++i)
        if (have[i].compare(def.columns[i].name, Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

} // namespace

int WorkingCopyRefresh::renumberedMaterials() const
{
    int n = 0;
    for (const RenumberedRow &r : renumbered)
        if (r.table == QLatin1String("Mat"))
            ++n;
    return n;
}

QString WorkingCopyRefresh::message() const
{
    QStringList parts;
    if (carriedOutOfCatalogue > 0)
        parts << QStringLiteral("Vlastní materiály (%1) byly přeneseny ze souboru katalogu do databáze "
                                "uživatelských dat, kde od nynějška zůstávají i při výměně katalogu. "
                                "Soubor katalogu zůstal beze změny.")
                     .arg(carriedOutOfCatalogue);
    if (!renumbered.isEmpty()) {
        QStringList materials;
        for (const RenumberedRow &r : renumbered)
            if (r.table == QLatin1String("Mat"))
                materials << QStringLiteral("%1 → %2").arg(r.from).arg(r.to);
        QString text = QStringLiteral("Nový katalog používá čísla, která patřila vašim vlastním záznamům. "
                                      "Vlastní záznamy (%1) dostaly nová čísla a vše, co na ně odkazuje "
                                      "(obsah, poznámky, složení, ekvivalenty), bylo upraveno; nic se neztratilo.")
                           .arg(renumbered.size());
        if (!materials.isEmpty())
            text += QStringLiteral(" Čísla vlastních materiálů: %1.").arg(materials.join(QStringLiteral(", ")));
        parts << text;
    }
    return parts.join(QLatin1Char('\n'));
}

QString catalogueStamp(const QString &catalogueFile)
{
    const QFileInfo fi(catalogueFile);
    if (!fi.exists())
        return QString();
    // The change counter in the file header moves with every committed change, also within
    // one tick of the file time.
    quint32 counter = 0;
    QFile f(catalogueFile);
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray head = f.read(28);
        if (head.size() == 28)
            counter = (quint32(uchar(head[24])) << 24) | (quint32(uchar(head[25])) << 16)
                      | (quint32(uchar(head[26])) << 8) | quint32(uchar(head[27]));
    }
    return QStringLiteral("%1:%2:%3").arg(fi.size()).arg(fi.lastModified().toMSecsSinceEpoch()).arg(counter);
}

bool workingCopiesCurrent(Connection &session)
{
    const QString stamp = catalogueStamp(session.fileOf(Database::Catalogue));
    if (!hasTable(session, QStringLiteral("main"), QStringLiteral("CatalogueCopy")))
        return false;
    if (session.scalar(QStringLiteral("SELECT Stamp FROM main.CatalogueCopy LIMIT 1")).toString() != stamp)
        return false;
    for (const QString &t : workingCopyTables())
        if (hasTable(session, Connection::catalogueSchema(), t) && !hasTable(session, QStringLiteral("main"), t))
            return false;
    return true;
}

namespace {

// The working copies filled from the catalogue at `p.cat`, keeping every own row. Inside the
// caller's transaction.
void fillCopies(Connection &session, const Place &p, WorkingCopyRefresh &result)
{
    const QString cat = p.cat;
    auto own = [&p](const QString &table) { return db::own(p, table); };
    // Before the first fill the own materials of an earlier version of the program sit in the
    // catalogue file itself; they are taken out of it (the file is only read).
    const bool firstFill = !hasTable(session, p.main, QStringLiteral("Mat"));
    const QString source = firstFill ? cat : p.main;

    // 1. The own rows, into temporary tables, a material first and then what hangs on it.
    QSet<QString> ownTables;
    auto takeOwn = [&](const QString &table, const QString &condition) {
        const bool inSource = hasTable(session, source, table);
        if (!inSource && !hasTable(session, cat, table))
            return;
        session.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(own(table)));
        if (inSource)
            session.exec(QStringLiteral("CREATE TEMP TABLE \"own_%1\" AS SELECT * FROM %2.%3 WHERE %4")
                             .arg(table, q(source), q(table), condition));
        else
            session.exec(QStringLiteral("CREATE TEMP TABLE \"own_%1\" AS SELECT * FROM %2.%3 WHERE 1 = 0")
                             .arg(table, q(cat), q(table)));
        ownTables.insert(table);
    };
    takeOwn(QStringLiteral("Mat"), QStringLiteral("Private = 'A'"));
    for (const Ownership &o : kOwnership) {
        const QString parent = QString::fromLatin1(o.parent);
        if (!ownTables.contains(parent))
            continue;
        takeOwn(QString::fromLatin1(o.table),
                QStringLiteral("%1 IN (SELECT Number FROM %2)").arg(q(QString::fromLatin1(o.column)), own(parent)));
    }
    {
        QStringList holders;
        for (const char *h : kNoticeHolders)
            if (ownTables.contains(QString::fromLatin1(h)))
                holders << QStringLiteral("SELECT NoticeNo FROM %1").arg(own(QString::fromLatin1(h)));
        for (const char *h : kOwnPropertyNoticeHolders)
            if (hasTable(session, p.main, QString::fromLatin1(h)))
                holders << QStringLiteral("SELECT NoticeNo FROM %1.%2").arg(q(p.main), q(QString::fromLatin1(h)));
        takeOwn(QStringLiteral("Notices"), holders.isEmpty() ? QStringLiteral("1 = 0")
                                                             : QStringLiteral("Number IN (%1)").arg(holders.join(QStringLiteral(" UNION "))));
    }
    // A note the catalogue holds under the same number with the same text is the catalogue's
    // note: nothing of the user's is in it.
    if (ownTables.contains(QStringLiteral("Notices")) && hasTable(session, cat, QStringLiteral("Notices")))
        session.exec(QStringLiteral("DELETE FROM %2 WHERE EXISTS (SELECT 1 FROM %1.Notices c "
                                    "WHERE c.Number = own_Notices.Number AND c.Notice IS NOT DISTINCT FROM own_Notices.Notice)")
                         .arg(q(cat), own(QStringLiteral("Notices"))));

    // The catalogue's rows that the working copy takes: all of them, but on the first fill
    // not the own rows that were just taken out of it.
    auto catalogueCondition = [&](const QString &table) -> QString {
        if (!firstFill || table == QLatin1String("Notices") || !ownTables.contains(table))
            return QString();
        return QStringLiteral(" WHERE Number IS NULL OR Number NOT IN (SELECT Number FROM %1)").arg(own(table));
    };

    // 2. Own rows whose number the catalogue uses get the next free numbers.
    session.exec(QStringLiteral("DROP TABLE IF EXISTS %1.renumber").arg(p.temp));
    session.exec(QStringLiteral("CREATE TEMP TABLE renumber (tbl TEXT, old_no INTEGER, new_no INTEGER, PRIMARY KEY (tbl, old_no))"));
    for (const QString &table : workingCopyTables()) {
        if (!ownTables.contains(table) || !hasTable(session, cat, table))
            continue;
        const QString catRows = QStringLiteral("SELECT Number FROM %1.%2%3").arg(q(cat), q(table), catalogueCondition(table));
        QList<qint64> colliding;
        {
            Statement st(session, QStringLiteral("SELECT Number FROM %1 WHERE Number IN (%2) ORDER BY Number")
                                      .arg(own(table), catRows));
            while (st.step())
                colliding << st.value(0).toLongLong();
        }
        if (colliding.isEmpty())
            continue;
        qint64 next = qMax(session.scalar(QStringLiteral("SELECT max(Number) FROM (%1) c").arg(catRows)).toLongLong(),
                           session.scalar(QStringLiteral("SELECT max(Number) FROM %1").arg(own(table))).toLongLong());
        Statement ins(session, QStringLiteral("INSERT INTO %1.renumber VALUES (:t, :o, :n)").arg(p.temp));
        for (qint64 old : colliding) {
            ins.reset();
            ins.bind(QStringLiteral("t"), table);
            ins.bind(QStringLiteral("o"), old);
            ins.bind(QStringLiteral("n"), ++next);
            ins.execute();
            result.renumbered << RenumberedRow{table, old, next};
        }
    }
    if (!result.renumbered.isEmpty()) {
        auto follow = [&](const QString &target, const QString &table, const QString &column) {
            session.exec(QStringLiteral("UPDATE %1 SET %2 = (SELECT new_no FROM %4.renumber WHERE tbl = '%3' AND old_no = %2) "
                                        "WHERE %2 IN (SELECT old_no FROM %4.renumber WHERE tbl = '%3')")
                             .arg(table, q(column), target, p.temp));
        };
        QSet<QString> renumberedTables;
        for (const RenumberedRow &r : std::as_const(result.renumbered))
            renumberedTables.insert(r.table);
        for (const QString &t : std::as_const(renumberedTables))
            follow(t, own(t), QStringLiteral("Number"));
        for (const Reference &r : kOwnReferences) {
            const QString table = QString::fromLatin1(r.table), target = QString::fromLatin1(r.target);
            if (ownTables.contains(table) && renumberedTables.contains(target))
                follow(target, own(table), QString::fromLatin1(r.column));
        }
        for (const Reference &r : kUserReferences) {
            const QString table = QString::fromLatin1(r.table), target = QString::fromLatin1(r.target);
            if (renumberedTables.contains(target) && hasTable(session, p.main, table))
                follow(target, QStringLiteral("%1.%2").arg(q(p.main), q(table)), QString::fromLatin1(r.column));
        }
    }

    // 3. The working copies: the catalogue's rows, then the own rows.
    for (const QString &table : workingCopyTables()) {
        const TableDef *def = db::table(table);
        const bool inCatalogue = hasTable(session, cat, table);
        if (!inCatalogue && !ownTables.contains(table))
            continue;
        if (p.server) {
            // The server's table keeps its grants and indexes; only its rows are replaced.
            session.exec(QStringLiteral("DELETE FROM %1.%2").arg(q(p.main), q(def->name)));
        } else {
            session.exec(QStringLiteral("DROP TABLE IF EXISTS main.%1").arg(q(def->name)));
            for (const QString &s : createStatements(*def, QStringLiteral("main")))
                session.exec(s);
        }
        if (inCatalogue) {
            const QStringList catColumns = columnsOf(session, cat, table);
            const QString condition = catalogueCondition(table);
            if (condition.isEmpty() && sameColumns(*def, catColumns)) {
                // Same columns in the same order: the engine copies the rows as they are.
                session.exec(QStringLiteral("INSERT INTO %3.%1 SELECT * FROM %2.%1").arg(q(def->name), q(cat), q(p.main)));
            } else {
                const QString cols = commonColumns(*def, catColumns).join(QLatin1Char(','));
                session.exec(QStringLiteral("INSERT INTO %5.%1 (%2) SELECT %2 FROM %3.%1%4")
                                 .arg(q(def->name), cols, q(cat), condition, q(p.main)));
            }
        }
        if (ownTables.contains(table)) {
            const QStringList have = columnsOf(session, p.temp, QStringLiteral("own_") + table);
            QStringList common = commonColumns(*def, have);
            // On the server the rows keep who changed them last and when.
            if (p.server)
                for (const QString &h : have)
                    if (isServerKeptColumn(h))
                        common << q(h);
            const QString cols = common.join(QLatin1Char(','));
            session.exec(QStringLiteral("INSERT INTO %4.%1 (%2) SELECT %2 FROM %3").arg(q(def->name), cols, own(table), q(p.main)));
        }
    }
    if (ownTables.contains(QStringLiteral("Mat")))
        result.ownMaterials = session.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(own(QStringLiteral("Mat")))).toInt();
    for (const QString &t : std::as_const(ownTables))
        session.exec(QStringLiteral("DROP TABLE %1").arg(own(t)));
    session.exec(QStringLiteral("DROP TABLE %1.renumber").arg(p.temp));
    result.refreshed = true;
    result.firstFill = firstFill;
    result.carriedOutOfCatalogue = firstFill ? result.ownMaterials : 0;
}

} // namespace

bool isOwnMaterial(Connection &session, int materialNo)
{
    return session.scalar(QStringLiteral("SELECT Private FROM Mat WHERE Number = :m"), {{QStringLiteral("m"), materialNo}})
               .toString()
           == QLatin1String("A");
}

WorkingCopyRefresh refreshWorkingCopies(Connection &session, bool force)
{
    WorkingCopyRefresh result;
    if (!force && workingCopiesCurrent(session))
        return result;
    Transaction tx(session);
    createMissingTables(session, Database::User);
    fillCopies(session, filePlace(), result);
    session.exec(QStringLiteral("DELETE FROM main.CatalogueCopy"));
    session.exec(QStringLiteral("INSERT INTO main.CatalogueCopy (Number, Stamp) VALUES (1, :s)"),
                 {{QStringLiteral("s"), catalogueStamp(session.fileOf(Database::Catalogue))}});
    tx.commit();
    return result;
}

WorkingCopyRefresh replaceServerCatalogue(Connection &server, const QString &stagingSchema, const QString &stamp)
{
    if (server.engine() != Engine::Postgres)
        throw DbError(QStringLiteral("Katalog na serveru lze nahradit jen na databázovém serveru."));
    WorkingCopyRefresh result;
    const Place p{true, serverSchema(), stagingSchema.toLower(), QStringLiteral("pg_temp")};
    Transaction tx(server);
    // The team's rows are moved, not changed: they keep who changed them last.
    setServerStamping(server, false);
    fillCopies(server, p, result);
    setServerStamping(server, true);
    // The catalogue's other tables hold no own rows: the new edition replaces them whole.
    for (const TableDef &t : schema()) {
        if (t.database != Database::Catalogue || hasWorkingCopy(t.name) || !hasTable(server, p.cat, t.name))
            continue;
        const QString cols = commonColumns(t, columnsOf(server, p.cat, t.name)).join(QLatin1Char(','));
        server.exec(QStringLiteral("DELETE FROM %1.%2").arg(q(p.main), q(t.name)));
        server.exec(QStringLiteral("INSERT INTO %1.%2 (%3) SELECT %3 FROM %4.%2").arg(q(p.main), q(t.name), cols, q(p.cat)));
    }
    server.exec(QStringLiteral("DELETE FROM CatalogueCopy"));
    server.exec(QStringLiteral("INSERT INTO CatalogueCopy (Number, Stamp) VALUES (1, :s)"), {{QStringLiteral("s"), stamp}});
    tx.commit();
    return result;
}

} // namespace orv::db
