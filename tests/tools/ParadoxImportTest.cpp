// The importer over Paradox tables written here with pxlib: names found without regard to
// case, Czech texts in windows-1250, empty numbers, unknown columns and over-long texts.

#include "ToolsTestSupport.h"

#include "ParadoxImport.h"
#include "db/Schema.h"
#include "support/FileBytes.h"
#include "support/ParadoxWriter.h"
#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <functional>
#include <variant>
#include <vector>

extern "C" {
#include <paradox.h>
}

using namespace orv::catalogue;
using namespace orv::catalogue::test;

namespace {

using Field = orv::test::PxField;
using orv::test::readFileBytes;
using orv::test::writeFileBytes;
using Null = orv::test::PxNull;
using Cell = orv::test::PxCell;

void writeTable(const QString &path, const std::vector<Field> &fields, const std::vector<std::vector<Cell>> &rows)
{
    ASSERT_TRUE(orv::test::writeParadoxTable(path, fields, rows)) << path.toStdString();
}

class ParadoxImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        PX_boot();
        ASSERT_TRUE(dir.isValid());
        in = dir.path() + QStringLiteral("/paradox");
        out = dir.path() + QStringLiteral("/data");
        QDir().mkpath(in);
    }
    void TearDown() override { PX_shutdown(); }
    QTemporaryDir dir;
    QString in, out;
};

} // namespace

TEST_F(ParadoxImport, ImportsCzechTextsNullNumbersAndBothDatabases)
{
    const QString longName = QStringLiteral("Ž") + QString(209, QLatin1Char('x'));
    writeTable(in + QStringLiteral("/MAT.DB"),
               {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 200}, {"TypeNo", pxfShort, 2}, {"Private", pxfAlpha, 1}, {"Sttld", pxfLogical, 1}},
               {{7562L, QStringLiteral("Ocel žáruvzdorná – třída 17"), 1L, QStringLiteral("N"), true},
                {20001L, QStringLiteral("Vlastní ocel ěščřžýáíé ĚŠČŘŽÝÁÍÉŮÚ"), Null{}, QStringLiteral("A"), false}});
    writeTable(in + QStringLiteral("/ChemComp.db"),
               {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"ElementNo", pxfLong, 4}, {"MinValue", pxfNumber, 8}, {"MaxValue", pxfNumber, 8}},
               {{1L, 7562L, 1L, Null{}, 0.5}, {2L, 7562L, 6L, 17.0, 19.5}, {3L, 7562L, 7L, 0.0, Null{}}});
    writeTable(in + QStringLiteral("/nodes.Db"),
               {{"Number", pxfLong, 4}, {"ParentNo", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Text", pxfAlpha, 200}, {"ImageIndex", pxfShort, 2}},
               {{-1L, 0L, Null{}, QStringLiteral("Vlastní materiály"), 0L}, {7562L, -1L, 7562L, QStringLiteral("17 240"), 4L}});
    writeTable(in + QStringLiteral("/Country.DB"), {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 250}},
               {{1L, QStringLiteral("Česko")}, {2L, longName}});
    writeTable(in + QStringLiteral("/PropType.DB"),
               {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 200}, {"GroupType", pxfAlpha, 1}, {"Parent", pxfLong, 4}},
               {{1L, QStringLiteral("Mez pevnosti v tahu"), QStringLiteral("N"), Null{}}, {50L, QStringLiteral("Meze kluzu"), QStringLiteral("A"), Null{}}});

    const ImportSummary s = importParadox(in, out);
    EXPECT_EQ(s.tables, 5);
    EXPECT_EQ(s.rows, 2 + 3 + 2 + 2 + 2);
    const QString warnings = s.warnings.join(QLatin1Char('\n'));
    EXPECT_TRUE(warnings.contains(QStringLiteral("Mat: column Sttld is not part of the table"))) << warnings.toStdString();
    EXPECT_TRUE(warnings.contains(QStringLiteral("Country: texts longer than their column were cut")));
    EXPECT_TRUE(warnings.contains(QStringLiteral("Temps: table not found, created empty")));

    auto db = openBoth(out);
    EXPECT_EQ(db->scalar(QStringLiteral("select Name from Mat where Number=7562")).toString(), QStringLiteral("Ocel žáruvzdorná – třída 17"));
    EXPECT_EQ(db->scalar(QStringLiteral("select Name from Mat where Number=20001")).toString(), QStringLiteral("Vlastní ocel ěščřžýáíé ĚŠČŘŽÝÁÍÉŮÚ"));
    EXPECT_TRUE(db->scalar(QStringLiteral("select TypeNo from Mat where Number=20001")).isNull());
    EXPECT_EQ(db->scalar(QStringLiteral("select Private from Mat where Number=20001")).toString(), QStringLiteral("A"));
    // An empty number stays empty, a present zero stays zero.
    const QList<QVariantList> chem = db->rows(QStringLiteral("select MinValue, MaxValue from ChemComp order by Number"));
    ASSERT_EQ(chem.size(), 3);
    EXPECT_TRUE(chem[0][0].isNull());
    EXPECT_DOUBLE_EQ(chem[0][1].toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(chem[1][0].toDouble(), 17.0);
    EXPECT_FALSE(chem[2][0].isNull());
    EXPECT_DOUBLE_EQ(chem[2][0].toDouble(), 0.0);
    EXPECT_TRUE(chem[2][1].isNull());
    EXPECT_EQ(db->scalar(QStringLiteral("select Text from Nodes where Number=-1")).toString(), QStringLiteral("Vlastní materiály"));
    EXPECT_TRUE(db->scalar(QStringLiteral("select MaterialNo from Nodes where Number=-1")).isNull());
    const QString cut = db->scalar(QStringLiteral("select Name from Country where Number=2")).toString();
    EXPECT_EQ(cut.size(), 200);
    EXPECT_EQ(cut.left(1), QStringLiteral("Ž"));
    // PropType belongs to the user file.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from usr.PropType where GroupType='A'")), 1);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from main.sqlite_master where name='PropType'")), 0);
}

TEST_F(ParadoxImport, UnreadableTableLeavesNoFilesBehind)
{
    writeTable(in + QStringLiteral("/Tree.DB"), {{"NUMBER", pxfLong, 4}, {"LABEL", pxfAlpha, 200}}, {{1L, QStringLiteral("Obsah")}});
    QFile bad(in + QStringLiteral("/Mat.DB"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(300, 'z'));
    bad.close();
    EXPECT_THROW(importParadox(in, out), ToolError);
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/catalogue.sqlite")));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/catalogue.sqlite.tmp")));
    EXPECT_THROW(importParadox(dir.path() + QStringLiteral("/missing"), out), ToolError);
}

TEST_F(ParadoxImport, DemoCatalogueSurvivesTheRoundTrip)
{
    // Every table of the demo catalogue written out as Paradox tables (memo columns left
    // out: Paradox keeps them in a separate file) and imported again gives the same rows.
    QString error;
    const QString &demo = demoDataFolder(&error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    auto src = openBoth(demo);
    QStringList compared;
    for (const orv::db::TableDef &t : orv::db::schema()) {
        std::vector<Field> fields;
        std::vector<QByteArray> names;
        QStringList columns;
        for (const orv::db::ColumnDef &c : t.columns) {
            char type = pxfLong;
            int len = 4;
            switch (c.type) {
            case orv::db::ColumnType::Integer: break;
            case orv::db::ColumnType::Number: type = pxfNumber; len = 8; break;
            case orv::db::ColumnType::Logical: type = pxfLogical; len = 1; break;
            case orv::db::ColumnType::Alpha: type = pxfAlpha; len = c.width; break;
            case orv::db::ColumnType::Memo: continue;
            }
            names.push_back(c.name.toLatin1());
            fields.push_back({nullptr, type, len});
            columns << QStringLiteral("\"%1\"").arg(c.name);
        }
        for (size_t i = 0; i < fields.size(); ++i)
            fields[i].name = names[i].constData();
        const QString table = (t.database == orv::db::Database::User ? QStringLiteral("usr.") : QString()) + t.name;
        const QString select = QStringLiteral("select %1 from %2 order by rowid").arg(columns.join(QLatin1Char(',')), table);
        const QList<QVariantList> rows = src->rows(select);
        std::vector<std::vector<Cell>> cells;
        for (const QVariantList &r : rows) {
            std::vector<Cell> row;
            for (size_t i = 0; i < fields.size(); ++i) {
                const QVariant &v = r[int(i)];
                if (v.isNull())
                    row.push_back(Null{});
                else if (fields[i].type == pxfLong)
                    row.push_back(long(v.toLongLong()));
                else if (fields[i].type == pxfNumber)
                    row.push_back(v.toDouble());
                else if (fields[i].type == pxfLogical)
                    row.push_back(v.toBool());
                else
                    row.push_back(v.toString());
            }
            cells.push_back(row);
        }
        writeTable(in + QLatin1Char('/') + t.name + QStringLiteral(".DB"), fields, cells);
        compared << select;
    }
    const ImportSummary s = importParadox(in, out);
    EXPECT_EQ(s.tables, int(orv::db::schema().size()));
    auto back = openBoth(out);
    for (const QString &select : compared) {
        const QList<QVariantList> a = src->rows(select), b = back->rows(select);
        ASSERT_EQ(a.size(), b.size()) << select.toStdString();
        for (int r = 0; r < a.size(); ++r) {
            for (int c = 0; c < a[r].size(); ++c) {
                ASSERT_EQ(a[r][c].isNull(), b[r][c].isNull()) << select.toStdString() << " row " << r << " column " << c;
                if (a[r][c].isNull())
                    continue;
                ASSERT_EQ(a[r][c].toString(), b[r][c].toString()) << select.toStdString() << " row " << r << " column " << c;
            }
        }
    }
}

namespace {

constexpr const char *kChild = "ORV_PARADOX_TEST_CHILD";

// A Mat table of 300 rows: several data blocks chained one after the other.
QByteArray matTable(const QString &folder)
{
    std::vector<std::vector<Cell>> rows;
    for (long i = 1; i <= 300; ++i)
        rows.push_back({1000L + i, QStringLiteral("Ocel %1 žáruvzdorná").arg(i), 1L});
    const QString path = folder + QStringLiteral("/Mat.DB");
    writeTable(path, {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 200}, {"TypeNo", pxfShort, 2}}, rows);
    return readFileBytes(path);
}

void put16(QByteArray &b, qint64 at, int v)
{
    b[at] = char(v & 0xff);
    b[at + 1] = char((v >> 8) & 0xff);
}

int get16(const QByteArray &b, qint64 at)
{
    return uchar(b[at]) | (uchar(b[at + 1]) << 8);
}

} // namespace

// Damaged headers and block chains are refused before pxlib reads them, and the catalogue
// already in the data folder stays. A chain that loops made the import hang, so the damaged
// files are imported in a process of their own: a hang is then a failure, not a stuck test.
TEST_F(ParadoxImport, DamagedBlockChainsAreRefusedAndTheOldCatalogueStays)
{
    if (qEnvironmentVariableIsEmpty(kChild)) {
        const orv::test::ChildRun r = orv::test::runTestInChild(kChild, dir.path(), {}, 60000, false);
        EXPECT_TRUE(r.finished) << "the import hung";
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.output);
        return;
    }
    const QByteArray good = matTable(in);
    ASSERT_GT(good.size(), 8192);
    ASSERT_EQ(importParadox(in, out).rows, 300);
    const QByteArray before = readFileBytes(out + QStringLiteral("/catalogue.sqlite"));

    const int headerSize = get16(good, 0x02);
    const int blockSize = uchar(good[0x05]) * 1024;
    const int first = get16(good, 0x0E);
    const qint64 firstAt = headerSize + qint64(first - 1) * blockSize;
    const int second = get16(good, firstAt);
    ASSERT_NE(second, 0) << "the table needs more than one block";
    const qint64 secondAt = headerSize + qint64(second - 1) * blockSize;

    struct Damage {
        const char *what;
        std::function<void(QByteArray &)> apply;
        const char *why = nullptr; // the cause the refusal must name
    };
    const Damage damages[] = {
        {"the second block points back to the first", [&](QByteArray &b) { put16(b, secondAt, first); }},
        {"the first block points to itself", [&](QByteArray &b) { put16(b, firstAt, first); }},
        {"the first block lies past the end", [&](QByteArray &b) { put16(b, 0x0E, 60000); }},
        {"the next block lies past the end", [&](QByteArray &b) { put16(b, firstAt, 999); }},
        {"more records than the blocks hold", [&](QByteArray &b) { put16(b, 0x06, 30000); }},
        {"a block claims more records than fit", [&](QByteArray &b) { put16(b, firstAt + 4, 32000); }},
        {"the file is cut inside its blocks", [&](QByteArray &b) { b.truncate(secondAt + 100); }},
        {"the header is cut", [&](QByteArray &b) { b.truncate(60); }},
        {"a block size Paradox never uses", [&](QByteArray &b) { b[0x05] = char(5); }},
        {"an encryption key in the header", [&](QByteArray &b) { b[0x5C] = char(12); }},
        // pxlib would take a key it never read from these and decrypt the blocks with it.
        {"a file version Paradox never had", [&](QByteArray &b) { b[0x39] = char(14); }, "file version 14"},
        {"an old version carrying the key mark of a newer one", [&](QByteArray &b) {
             b[0x39] = char(4);
             b[0x25] = char(0x00);
             b[0x26] = char(0xff);
             b[0x27] = char(0x00);
             b[0x28] = char(0xff);
         }, "encrypted"},
    };
    for (const Damage &d : damages) {
        QByteArray bytes = good;
        d.apply(bytes);
        ASSERT_TRUE(writeFileBytes(in + QStringLiteral("/Mat.DB"), bytes));
        try {
            importParadox(in, out);
            ADD_FAILURE() << d.what << ": imported";
        } catch (const ToolError &e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("is damaged"))) << d.what << ": " << qPrintable(e.text());
            if (d.why) {
                EXPECT_TRUE(e.text().contains(QLatin1String(d.why))) << d.what << ": " << qPrintable(e.text());
            }
        }
        EXPECT_EQ(readFileBytes(out + QStringLiteral("/catalogue.sqlite")), before) << d.what;
    }

    // One changed byte anywhere in the header or the first blocks: the import ends, with the
    // table read or refused.
    quint32 seed = 12345;
    for (int i = 0; i < 150; ++i) {
        seed = seed * 1103515245u + 12345u;
        const qint64 at = qint64((seed >> 8) % quint32(std::min<qint64>(good.size(), secondAt + blockSize)));
        seed = seed * 1103515245u + 12345u;
        QByteArray bytes = good;
        bytes[at] = char(bytes[at] ^ char(1 + (seed >> 16) % 255));
        ASSERT_TRUE(writeFileBytes(in + QStringLiteral("/Mat.DB"), bytes));
        try {
            importParadox(in, out);
        } catch (const ToolError &) {
        }
    }
}

TEST_F(ParadoxImport, AFolderWithoutTablesOrMaterialsLeavesTheCatalogueAsItWas)
{
    matTable(in);
    ASSERT_EQ(importParadox(in, out).rows, 300);
    const QByteArray cat = readFileBytes(out + QStringLiteral("/catalogue.sqlite"));
    const QString empty = dir.path() + QStringLiteral("/empty");
    QDir().mkpath(empty);
    try {
        importParadox(empty, out);
        FAIL() << "an empty folder was imported";
    } catch (const ToolError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("no table of the catalogue"))) << qPrintable(e.text());
    }
    // Tables, but not one material.
    writeTable(empty + QStringLiteral("/Country.DB"), {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 250}}, {{1L, QStringLiteral("Česko")}});
    writeTable(empty + QStringLiteral("/Mat.DB"), {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 200}}, {});
    try {
        importParadox(empty, out);
        FAIL() << "a catalogue without materials was imported";
    } catch (const ToolError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("no materials"))) << qPrintable(e.text());
    }
    EXPECT_EQ(readFileBytes(out + QStringLiteral("/catalogue.sqlite")), cat);
    EXPECT_TRUE(QDir(out).entryList({QStringLiteral("*.tmp")}).isEmpty());
}
