// Damaged and foreign database files: the user is told in Czech which of the two files is
// damaged or unreadable and what to do, with the engine's words as a detail.

#include "TestDb.h"
#include "support/FileBytes.h"

#include "db/DataSet.h"

#include <QFile>
#include <QRandomGenerator>

#include <optional>

using namespace orv::db;
using orv::db::test::TempDb;
using orv::test::readFileBytes;
using orv::test::writeFileBytes;

namespace {

// Opens both sessions and reads a table of each file; returns the first error.
std::optional<DbError> firstError(const QString &cat, const QString &user)
{
    try {
        Connection c(QStringLiteral("VTX (CD)")), u(QStringLiteral("VTX"));
        c.open(cat, user, Database::Catalogue);
        u.open(cat, user, Database::User);
        for (Connection *s : {&c, &u}) {
            s->scalar(QStringLiteral("select count(*) from Mat"));
            s->scalar(QStringLiteral("select count(*) from Notices"));
            s->scalar(QStringLiteral("select count(*) from Setup"));
        }
    } catch (const DbError &e) {
        return e;
    }
    return std::nullopt;
}

TEST(DamagedFiles, TruncatedRandomAndForeignFilesAreNamedInCzech)
{
    TempDb db;
    // Enough rows that the catalogue spans several pages.
    Transaction tx(db.cat);
    for (int i = 1; i <= 400; ++i)
        db.cat.exec(QStringLiteral("insert into Mat (Number, Name, Purpose) values (:n, 'Ocel', :p)"),
                    {{QStringLiteral("n"), i}, {QStringLiteral("p"), QString(200, u'x')}});
    tx.commit();
    db.cat.close();
    db.user.close();
    const QByteArray goodCat = readFileBytes(db.catalogueFile);
    const QByteArray goodUser = readFileBytes(db.userFile);
    ASSERT_GT(goodCat.size(), 8 * 4096);

    struct Case {
        const char *what;
        bool catalogue;
        QByteArray bytes;
        const char *starts;
    };
    QByteArray random(20000, '\0');
    for (char &c : random)
        c = char(QRandomGenerator::global()->bounded(256));
    const Case cases[] = {
        {"truncated catalogue", true, goodCat.left(goodCat.size() / 2), "Soubor databáze katalogu je poškozen"},
        {"random catalogue", true, random, "Soubor databáze katalogu je poškozen"},
        {"random user file", false, random, "Soubor databáze uživatelských dat je poškozen"},
        {"text as user file", false, QByteArray("Material;Name\n1;Ocel\n"), "Soubor databáze uživatelských dat je poškozen"},
    };
    for (const Case &c : cases) {
        const QString damaged = c.catalogue ? db.catalogueFile : db.userFile;
        ASSERT_TRUE(writeFileBytes(db.catalogueFile, c.catalogue ? c.bytes : goodCat));
        ASSERT_TRUE(writeFileBytes(db.userFile, c.catalogue ? goodUser : c.bytes));
        const auto e = firstError(db.catalogueFile, db.userFile);
        ASSERT_TRUE(e.has_value()) << c.what;
        EXPECT_EQ(e->fileName(), damaged) << c.what;
        const QString text = e->text();
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(c.starts))) << c.what << ": " << qPrintable(text);
        EXPECT_TRUE(text.contains(damaged)) << c.what;
        EXPECT_TRUE(text.contains(c.catalogue ? u"přeinstalujte katalog" : u"Obnovte soubor ze zálohy")) << qPrintable(text);
        EXPECT_TRUE(text.contains(QStringLiteral("Podrobnosti: ") + e->message())) << qPrintable(text);
        EXPECT_EQ(QString::fromUtf8(e->what()), text);
    }
}

TEST(DamagedFiles, AMissingTableOrColumnNamesTheFileThatLacksIt)
{
    TempDb db;
    db.cat.exec(QStringLiteral("drop table Notices"));
    db.user.exec(QStringLiteral("alter table Setup drop column Value"));
    // Asked through the user session, the missing catalogue table is the catalogue's fault.
    for (Connection *s : {&db.user, &db.cat}) {
        try {
            s->scalar(QStringLiteral("select count(*) from Notices"));
            FAIL();
        } catch (const DbError &e) {
            EXPECT_EQ(e.fileName(), db.catalogueFile);
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("Soubor databáze katalogu nemá tabulky nebo sloupce")))
                << qPrintable(e.text());
        }
        try {
            DataSet q(QStringLiteral("q"), s);
            q.setSql(QStringLiteral("select Items, Value from Setup"));
            q.open();
            FAIL();
        } catch (const DbError &e) {
            EXPECT_EQ(e.fileName(), db.userFile) << qPrintable(e.text());
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("Soubor databáze uživatelských dat nemá tabulky nebo sloupce")));
        }
    }
    // A mistake in the program's own SQL is not a damaged file: the engine's text stays.
    try {
        db.user.exec(QStringLiteral("selec 1"));
        FAIL();
    } catch (const DbError &e) {
        EXPECT_TRUE(e.text().startsWith(e.message())) << qPrintable(e.text());
    }
}

} // namespace
