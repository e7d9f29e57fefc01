#include "TestDb.h"

#include "core/SqlText.h"
#include "db/DataSet.h"

#include <QFile>

using namespace orv::db;
using orv::db::test::TempDb;

TEST(Connection, SeesTheOtherFilesTablesUnqualifiedFromEitherSide)
{
    TempDb db;
    db.cat.exec(QStringLiteral("insert into Mat (Number, Name) values (1, 'Ocel')"));
    db.user.exec(QStringLiteral("insert into Setup (Number, Items, Value) values (1, 'USPESNOST', '80')"));
    // The catalogue session reads the user table and the user session the catalogue table.
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select Value from Setup where Items='USPESNOST'")).toString(), u"80");
    EXPECT_EQ(db.user.scalar(QStringLiteral("select Name from Mat where Number=1")).toString(), u"Ocel");
    // And the tables are stored where the schema puts them.
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select count(*) from main.sqlite_master where name='Setup'")).toInt(), 0);
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select count(*) from user.sqlite_master where name='Setup'")).toInt(), 1);
    EXPECT_EQ(db.user.scalar(QStringLiteral("select count(*) from catalogue.sqlite_master where name='Mat'")).toInt(), 1);
    // A join across the two files.
    EXPECT_EQ(db.user.scalar(QStringLiteral("select count(*) from Mat m, Setup s where m.Number = s.Number")).toInt(), 1);
}

TEST(Connection, UpperAndLikeHandleCzechLettersCaseSensitively)
{
    TempDb db;
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select UPPER('č')")).toString(), u"Č");
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select upper('příliš žluťoučký kůň')")).toString(), u"PŘÍLIŠ ŽLUŤOUČKÝ KŮŇ");
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select lower('ĎÁBEL')")).toString(), u"ďábel");
    EXPECT_TRUE(db.cat.scalar(QStringLiteral("select upper(null)")).isNull());

    auto like = [&](const QString &text, const QString &pattern) {
        return db.cat.scalar(QStringLiteral("select :t like :p"),
                             {{QStringLiteral("t"), text}, {QStringLiteral("p"), pattern}}).toInt();
    };
    EXPECT_EQ(like(QStringLiteral("Čep"), QStringLiteral("Č%")), 1);
    EXPECT_EQ(like(QStringLiteral("čep"), QStringLiteral("Č%")), 0);
    EXPECT_EQ(like(QStringLiteral("X5CrNi"), QStringLiteral("x5%")), 0);
    EXPECT_EQ(like(QStringLiteral("X5CrNi"), QStringLiteral("X5%")), 1);
    EXPECT_EQ(like(QStringLiteral("žlutá"), QStringLiteral("_lut_")), 1); // _ is one character, also a Czech one
    EXPECT_EQ(like(QStringLiteral("žlutá"), QStringLiteral("_lut")), 0);
    EXPECT_EQ(like(QStringLiteral("abc"), QStringLiteral("%%c")), 1);
    EXPECT_EQ(like(QStringLiteral(""), QStringLiteral("%")), 1);
    // UPPER on both sides gives a case-insensitive match, as the designation search does.
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select upper('čep') like upper('Č%')")).toInt(), 1);
}

TEST(Connection, UserTextWithQuotesAndPercentSignsCannotChangeAStatement)
{
    TempDb db;
    db.cat.exec(QStringLiteral("insert into Norms (Number, Name) values (1, 'ČSN 50%'), (2, 'ČSN 500'), "
                               "(3, 'O''Brien'), (4, 'x'' or ''1''=''1')"));
    const QStringList hostile = {QStringLiteral("x' or '1'='1"), QStringLiteral("'; delete from Norms; --"),
                                 QStringLiteral("O'Brien")};
    for (const QString &t : hostile) {
        const QString sql = QStringLiteral("select count(*) from Norms where Name = ") + orv::sqlQuote(t);
        const int n = db.cat.scalar(sql).toInt();
        EXPECT_EQ(n, t == u"'; delete from Norms; --" ? 0 : 1) << qPrintable(t);
    }
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select count(*) from Norms")).toInt(), 4);

    // A typed "50%" finds the text 50% and not 500: % and _ are literal after likeEscape.
    const QString pattern = orv::sqlQuote(QStringLiteral("%") + orv::likeEscape(QStringLiteral("50%")) + QStringLiteral("%"));
    DataSet q(QStringLiteral("q"), &db.cat);
    q.setSql(QStringList{QStringLiteral("select Number from Norms"),
                         QStringLiteral("  where Name like ") + pattern + QStringLiteral(" escape '\\'")});
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.value(QStringLiteral("Number")).toInt(), 1);
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select 'a_c' like 'a\\_c' escape '\\'")).toInt(), 1);
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select 'abc' like 'a\\_c' escape '\\'")).toInt(), 0);
}

TEST(Connection, DoubleQuotedConstantsAreIdentifiersNotTexts)
{
    TempDb db;
    db.user.exec(QStringLiteral("insert into PropType (Number, Name, GroupType) values (1, 'Skupina', 'A')"));
    EXPECT_EQ(db.user.scalar(QStringLiteral("select count(*) from PropType where GroupType='A'")).toInt(), 1);
    // Written the old way the constant would silently become a column name or text: refused.
    EXPECT_THROW(db.user.scalar(QStringLiteral("select count(*) from PropType where GroupType=\"A\"")), DbError);
}

TEST(Connection, MissingCorruptAndReadOnlyFilesGiveDbErrorWithTheFileName)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("none.sqlite"));
    Connection c;
    try {
        c.openFile(missing);
        FAIL() << "missing file opened";
    } catch (const DbError &e) {
        EXPECT_EQ(e.fileName(), missing);
        EXPECT_FALSE(e.message().isEmpty());
    }
    EXPECT_FALSE(c.isOpen());
    EXPECT_FALSE(QFile::exists(missing)) << "opening must not create the file";

    const QString corrupt = dir.filePath(QStringLiteral("corrupt.sqlite"));
    {
        QFile f(corrupt);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    try {
        c.openFile(corrupt);
        FAIL() << "corrupt file opened";
    } catch (const DbError &e) {
        EXPECT_EQ(e.fileName(), corrupt);
        EXPECT_TRUE(e.message().contains(u"not a database")) << qPrintable(e.message());
    }
    EXPECT_FALSE(c.isOpen());

    // The pair: a corrupt user file is named even though the catalogue opened fine.
    const QString cat = dir.filePath(QStringLiteral("catalogue.sqlite"));
    createDatabaseFile(cat, Database::Catalogue);
    try {
        c.open(cat, corrupt);
        FAIL();
    } catch (const DbError &e) {
        EXPECT_EQ(e.fileName(), corrupt);
    }
    EXPECT_FALSE(c.isOpen());
    try {
        c.open(cat, missing, Database::User);
        FAIL();
    } catch (const DbError &e) {
        EXPECT_EQ(e.fileName(), missing);
    }

    // Read only: reading works, a write is refused with the file name and changes nothing.
    c.openFile(cat, OpenMode::ReadOnly);
    EXPECT_EQ(c.scalar(QStringLiteral("select count(*) from Mat")).toInt(), 0);
    try {
        c.exec(QStringLiteral("insert into Mat (Number) values (1)"));
        FAIL();
    } catch (const DbError &e) {
        EXPECT_EQ(e.fileName(), cat);
        EXPECT_TRUE(e.message().contains(u"readonly") || e.message().contains(u"read-only")) << qPrintable(e.message());
    }
    EXPECT_EQ(c.scalar(QStringLiteral("select count(*) from Mat")).toInt(), 0);

    // Rejected SQL.
    try {
        c.exec(QStringLiteral("select * from NoSuchTable"));
        FAIL();
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(u"NoSuchTable"));
        EXPECT_EQ(e.fileName(), cat);
    }
}

TEST(Connection, SchemaFilesHoldEveryTableWithFixedColumnOrder)
{
    TempDb db;
    for (const TableDef &t : schema()) {
        const QStringList cols = db.cat.tableColumns(t.name);
        QStringList want;
        for (const ColumnDef &c : t.columns)
            want << c.name;
        EXPECT_EQ(cols, want) << qPrintable(t.name);
    }
    EXPECT_EQ(db.cat.tableColumns(QStringLiteral("FindMechPropTemp")).first(), u"MatNumber");
    // Creating again keeps the rows (only missing tables are added).
    db.cat.exec(QStringLiteral("insert into Mat (Number) values (7)"));
    db.cat.close();
    db.user.close();
    createDatabaseFiles(db.catalogueFile, db.userFile);
    Connection c;
    c.open(db.catalogueFile, db.userFile);
    EXPECT_EQ(c.scalar(QStringLiteral("select max(Number) from Mat")).toInt(), 7);
}

TEST(Connection, SavepointRollsBackEverythingWrittenInside)
{
    TempDb db;
    {
        Transaction outer(db.user);
        db.user.exec(QStringLiteral("insert into Mat (Number) values (1)"));
        {
            Transaction inner(db.user);
            db.user.exec(QStringLiteral("insert into private_MAT (Number) values (1)"));
            inner.commit();
        }
        // outer not committed
    }
    EXPECT_EQ(db.user.scalar(QStringLiteral("select count(*) from Mat")).toInt(), 0);
    EXPECT_EQ(db.user.scalar(QStringLiteral("select count(*) from private_MAT")).toInt(), 0);
    {
        Transaction t(db.user);
        db.user.exec(QStringLiteral("insert into Mat (Number) values (2)"));
        t.commit();
    }
    // Committed on one connection, visible on the other.
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select count(*) from Mat")).toInt(), 1);
}

TEST(Connection, PathsWithBlanksCzechLettersAndUriCharactersOpen)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Můj katalog #1?x=%20"));
    const QString cat = folder + QStringLiteral("/catalogue.sqlite");
    const QString user = folder + QStringLiteral("/user.sqlite");
    createDatabaseFiles(cat, user);
    Connection c;
    c.open(cat, user, Database::User);
    c.exec(QStringLiteral("insert into Mat (Number) values (3)"));
    EXPECT_EQ(c.scalar(QStringLiteral("select Number from Mat")).toInt(), 3);
    EXPECT_EQ(c.fileOf(Database::Catalogue), cat);
    EXPECT_FALSE(c.isReadOnly(Database::Catalogue));
    c.close();
    // The row went into the catalogue file itself, not into a file named after a mangled path.
    Connection direct;
    direct.openFile(cat, OpenMode::ReadOnly);
    EXPECT_EQ(direct.scalar(QStringLiteral("select count(*) from Mat")).toInt(), 1);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
}

TEST(Connection, Cp1250CollationOrdersAsTheCodePageAndTableIndexesUseIt)
{
    TempDb db;
    // Windows-1250 puts Š (0x8A) before Č (0xC8); Unicode order would put Č first.
    db.cat.exec(QStringLiteral("insert into Elements (Number, Name) values (1, 'Čistý'), (2, 'Šedý'), (3, 'Zinek'), (4, 'Cín')"));
    QStringList unicode, cp1250;
    DataSet q(QStringLiteral("q"), &db.cat);
    q.setSql(QStringLiteral("select Name from Elements order by Name"));
    q.open();
    for (q.first(); !q.eof(); q.next())
        unicode << q.value(QStringLiteral("Name")).toString();
    EXPECT_EQ(unicode, (QStringList{QStringLiteral("Cín"), QStringLiteral("Zinek"), QStringLiteral("Čistý"), QStringLiteral("Šedý")}));
    DataSet t(QStringLiteral("tElements"), &db.cat);
    t.setTableName(QStringLiteral("Elements.db"));
    t.setIndexName(QStringLiteral("Name"));
    t.open();
    for (t.first(); !t.eof(); t.next())
        cp1250 << t.value(QStringLiteral("Name")).toString();
    EXPECT_EQ(cp1250, (QStringList{QStringLiteral("Cín"), QStringLiteral("Zinek"), QStringLiteral("Šedý"), QStringLiteral("Čistý")}));
    // Texts that share their code-page bytes still differ.
    EXPECT_EQ(db.cat.scalar(QStringLiteral("select 'ø' = 'o' collate CP1250")).toInt(), 0);
}
