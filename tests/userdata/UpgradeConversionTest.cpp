// The carry-over of the previous version's data, over Paradox tables written here with pxlib
// and a copy of the demo catalogue; the results are read back with the sqlite3 program.

#include "UserDataFixture.h"

#include "db/ParadoxTable.h"
#include "support/ParadoxWriter.h"
#include "userdata/UpgradeConversion.h"

using namespace orv::userdata;
using orv::test::PxCell;
using orv::test::PxNull;
using orv::test::writeParadoxTable;

namespace {

const QString kOwnName = QStringLiteral("Vlastní ocel ěščřžýáíé ĚŠČŘŽÝÁÍÉŮÚ");
const QString kMatNote = QStringLiteral("Pozor: 'tvrdost' ověřit – žíhání při 680 °C");
const QString kChemNote = QStringLiteral("Obsah 'Cr' podle tavby; Šíře pásma ±0,5 %");
const QString kOldNote = QStringLiteral("Moje poznámka: ocel's \"uvozovkami\" a ďťň");
const QString kDroppedNote = QStringLiteral("Zahozená poznámka k neznámé oceli");
const QString kOwnNote = QStringLiteral("Poznámka k vlastní oceli");

} // namespace

class Upgrade : public UserDataFixture {
protected:
    void SetUp() override
    {
        UserDataFixture::SetUp();
        old = root + QStringLiteral("old/Data");
        QDir().mkpath(old);
        writeOldData();
    }

    // The previous version's tables: own material 100 (two designations, a note with an
    // apostrophe, composition with a note and an empty bound, two equivalents), own material
    // 101 without a contents-tree node, own material 102; catalogue material 200 with three
    // designation rows (two of them the same designation), material 201 whose designation the
    // new catalogue does not know.
    void writeOldData()
    {
        using namespace orv::test;
        ASSERT_TRUE(writeParadoxTable(
            old + QStringLiteral("/MAT.DB"),
            {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 200}, {"PdfFile", pxfAlpha, 100}, {"Purpose", pxfAlpha, 255},
             {"TypeNo", pxfShort, 2}, {"NoticeNo", pxfLong, 4}, {"Purpose1", pxfAlpha, 255}, {"Purpose2", pxfAlpha, 255},
             {"Purpose3", pxfAlpha, 255}, {"Purpose4", pxfAlpha, 255}, {"Purpose5", pxfAlpha, 255},
             {"PurposeAll", pxfAlpha, 255}, {"Private", pxfAlpha, 1}, {"Sttld", pxfLogical, 1}},
            {{100L, kOwnName, QStringLiteral("vlastni.pdf"), QStringLiteral("Na hřídele"), 1L, 1L, QStringLiteral(" a čepy"),
              PxNull{}, PxNull{}, PxNull{}, PxNull{}, QStringLiteral("Na hřídele a čepy"), QStringLiteral("A"), true},
             {101L, QStringLiteral("Ocel bez uzlu"), PxNull{}, PxNull{}, 1L, PxNull{}, PxNull{}, PxNull{}, PxNull{}, PxNull{},
              PxNull{}, PxNull{}, QStringLiteral("A"), false},
             {102L, QStringLiteral("Druhá vlastní ocel"), PxNull{}, PxNull{}, 1L, PxNull{}, PxNull{}, PxNull{}, PxNull{},
              PxNull{}, PxNull{}, PxNull{}, QStringLiteral("A"), false},
             {200L, QStringLiteral("S235JR ve staré verzi"), PxNull{}, PxNull{}, 1L, PxNull{}, PxNull{}, PxNull{}, PxNull{},
              PxNull{}, PxNull{}, PxNull{}, QStringLiteral("N"), false},
             {201L, QStringLiteral("Neznámá ocel"), PxNull{}, PxNull{}, 1L, PxNull{}, PxNull{}, PxNull{}, PxNull{}, PxNull{},
              PxNull{}, PxNull{}, QStringLiteral("N"), false}}));
        ASSERT_TRUE(writeParadoxTable(
            old + QStringLiteral("/Nodes.db"),
            {{"Number", pxfLong, 4}, {"ParentNo", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Label", pxfAlpha, 200},
             {"IndexLabel", pxfAlpha, 200}, {"ShortLabel", pxfAlpha, 200}, {"Text", pxfAlpha, 200},
             {"UserNoticeNo", pxfLong, 4}, {"ImageIndex", pxfShort, 2}},
            {{10L, -1L, 100L, QStringLiteral("VL 1"), QStringLiteral("VL 1"), QStringLiteral("VL1"), QStringLiteral("Vlastní ěšč"), PxNull{}, 4L},
             {12L, -1L, 102L, QStringLiteral("VL 2"), QStringLiteral("VL 2"), QStringLiteral("VL2"), QStringLiteral("Druhá"), PxNull{}, 4L},
             {20L, 5L, 200L, QStringLiteral("S235JR"), PxNull{}, PxNull{}, QStringLiteral("S235JR"), PxNull{}, 4L},
             {21L, 5L, 201L, QStringLiteral("X"), PxNull{}, PxNull{}, QStringLiteral("X"), PxNull{}, 4L}}));
        ASSERT_TRUE(writeParadoxTable(
            old + QStringLiteral("/norms.DB"),
            {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 50}, {"Label", pxfAlpha, 150}, {"MaterialNo", pxfLong, 4},
             {"CountryNo", pxfLong, 4}, {"NameShort", pxfAlpha, 50}, {"LabelShort", pxfAlpha, 150}},
            {{1L, QStringLiteral("ČSN 41"), QStringLiteral("17 999'x"), 100L, 1L, QStringLiteral("ČSN41"), QStringLiteral("17999'x")},
             {2L, QStringLiteral("DIN"), QStringLiteral("X 999"), 100L, 2L, QStringLiteral("DIN"), QStringLiteral("X999")},
             {3L, QStringLiteral("ČSN 41"), QStringLiteral("Druhá 1"), 101L, 1L, QStringLiteral("ČSN41"), QStringLiteral("Druhá1")},
             {4L, QStringLiteral("ČSN 41"), QStringLiteral("Druhá 2"), 102L, 1L, QStringLiteral("ČSN41"), QStringLiteral("Druhá2")},
             {5L, QStringLiteral("ČSN EN 10025-2"), QStringLiteral("S235JR"), 200L, 1L, QStringLiteral("ČSNEN10025-2"), QStringLiteral("S235JR")},
             {6L, QStringLiteral("ČSN EN 10025-2"), QStringLiteral("S355J2"), 200L, 1L, QStringLiteral("ČSNEN10025-2"), QStringLiteral("S355J2")},
             {7L, QStringLiteral("ČSN EN 10025 - 2"), QStringLiteral("S235 JR"), 200L, 1L, QStringLiteral("ČSNEN10025-2"), QStringLiteral("S235JR")},
             {8L, QStringLiteral("ČSN 99"), QStringLiteral("Neznámá"), 201L, 1L, QStringLiteral("ČSN99"), QStringLiteral("Neznámá")}}));
        ASSERT_TRUE(writeParadoxTable(
            old + QStringLiteral("/ChemComp.db"),
            {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"ElementNo", pxfLong, 4}, {"MinValue", pxfNumber, 8},
             {"MaxValue", pxfNumber, 8}, {"NoticeNo", pxfLong, 4}},
            {{1L, 100L, 1L, PxNull{}, 0.5, PxNull{}},
             {2L, 100L, 6L, 17.0, 19.5, 2L},
             {3L, 100L, 7L, 0.0, PxNull{}, PxNull{}},
             {4L, 102L, 1L, 0.1, 0.2, PxNull{}},
             {5L, 101L, 1L, 0.3, 0.4, PxNull{}}}));
        ASSERT_TRUE(writeParadoxTable(
            old + QStringLiteral("/CompareNorms.DB"),
            {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 25}, {"Label", pxfAlpha, 25}, {"MaterialNo", pxfLong, 4},
             {"NameShort", pxfAlpha, 25}, {"LabelShort", pxfAlpha, 25}, {"CountryNo", pxfLong, 4}},
            {{1L, QStringLiteral("W.Nr."), QStringLiteral("1.4999"), 100L, QStringLiteral("W.Nr."), QStringLiteral("1.4999"), 2L},
             {2L, QStringLiteral("ČSN 42"), QStringLiteral("Šťáva 'x'"), 100L, QStringLiteral("ČSN42"), QStringLiteral("Šťáva'x'"), 1L}}));
        ASSERT_TRUE(writeParadoxTable(old + QStringLiteral("/notices.db"), {{"Number", pxfLong, 4}, {"Notice", pxfAlpha, 200}},
                                      {{1L, kMatNote}, {2L, kChemNote}}));
        ASSERT_TRUE(writeParadoxTable(
            old + QStringLiteral("/UserNotices.DB"),
            {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Text", pxfAlpha, 200}},
            {{1L, 200L, kOldNote}, {2L, 201L, kDroppedNote}, {3L, 100L, kOwnNote}}));
    }

    // Both files as the sqlite3 program dumps them.
    QString dump() const
    {
        QString out;
        for (const QString &file : {catalogueFile(), userFile()}) {
            QProcess p;
            p.start(QStringLiteral("sqlite3"), {file, QStringLiteral(".dump")});
            EXPECT_TRUE(p.waitForFinished(60000));
            out += QString::fromUtf8(p.readAllStandardOutput());
        }
        return out;
    }
    int materialOf(const QString &label) const
    {
        return sqlite(QStringLiteral("select MaterialNo from Norms where Label='%1' order by Number limit 1").arg(label)).value(0).toInt();
    }
    // A user note written in this version before the conversion, and an own material made here.
    int prepareNewVersionData()
    {
        own->qNodes.open();
        own->qNodes.append();
        own->qNodes.post();
        const int made = own->qNodes.value(QStringLiteral("MaterialNo")).toInt();
        data->tUserNotice.open();
        data->tUserNotice.append();
        data->tUserNotice.setValue(QStringLiteral("MATERIALNO"), made);
        data->tUserNotice.setValue(QStringLiteral("TEXT"), QStringLiteral("Poznámka z nové verze"));
        data->tUserNotice.post();
        return made;
    }

    QString old;
};

TEST_F(Upgrade, OwnMaterialsAndNotesAreCarriedOverRowByRow)
{
    const int madeHere = prepareNewVersionData();
    const int s235 = materialOf(QStringLiteral("S235JR")), s355 = materialOf(QStringLiteral("S355J2"));
    ASSERT_GT(s235, 0);
    ASSERT_GT(s355, 0);

    QStringList texts;
    UpgradeProgress progress;
    progress.setText = [&](const QString &t) { texts << t; };
    const UpgradeResult r = convertOldData(*own, old, true, progress);
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Převod uživatelských materiálů"),
                                  QStringLiteral("Převod uživatelských poznámek k materiálům")}));
    EXPECT_EQ(r.materials, 2);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(r.carriedBefore, 0);
    EXPECT_EQ(r.droppedNotes, 1);
    EXPECT_EQ(r.notes, 3);

    // The own material with its first designation, its texts and letters intact.
    const QStringList mat = sqlite(QStringLiteral(
        "select m.Number, m.Private, m.PdfFile, m.Purpose, m.Purpose1, m.PurposeAll, m.TypeNo, n.Name, n.Label, n.NameShort, "
        "n.LabelShort, n.CountryNo from Mat m join Norms n on n.MaterialNo = m.Number where m.Name = '%1'")
                                        .arg(QString(kOwnName)));
    ASSERT_EQ(mat.size(), 1) << "one designation row: " << mat.join(QLatin1Char('\n')).toStdString();
    const QStringList m = mat.first().split(QLatin1Char('|'));
    const int number = m[0].toInt();
    EXPECT_EQ(m.mid(1), (QStringList{QStringLiteral("A"), QStringLiteral("vlastni.pdf"), QStringLiteral("Na hřídele"),
                                     QStringLiteral(" a čepy"), QStringLiteral("Na hřídele a čepy"), QStringLiteral("1"),
                                     QStringLiteral("ČSN 41"), QStringLiteral("17 999'x"), QStringLiteral("ČSN41"),
                                     QStringLiteral("17999'x"), QStringLiteral("1")}));
    EXPECT_NE(number, 100) << "own materials get new numbers";
    EXPECT_EQ(sqlite(QStringLiteral("select Text, Label, ShortLabel, ParentNo, ImageIndex from Nodes where MaterialNo=%1").arg(number)),
              QStringList{QStringLiteral("Vlastní ěšč|VL 1|VL1|-1|4")});
    EXPECT_EQ(sqlite(QStringLiteral("select t.Notice from Mat m join Notices t on t.Number = m.NoticeNo where m.Number=%1").arg(number)),
              QStringList{kMatNote});
    EXPECT_EQ(sqlite(QStringLiteral("select c.ElementNo, ifnull(c.MinValue,'-'), ifnull(c.MaxValue,'-'), ifnull(t.Notice,'-') "
                                    "from ChemComp c left join Notices t on t.Number = c.NoticeNo where c.MaterialNo=%1 order by c.Number")
                  .arg(number)),
              (QStringList{QStringLiteral("1|-|0.5|-"), QStringLiteral("6|17.0|19.5|") + kChemNote, QStringLiteral("7|0.0|-|-")}));
    EXPECT_EQ(sqlite(QStringLiteral("select Name, Label, NameShort, LabelShort, CountryNo from CompareNorms where MaterialNo=%1 order by Number")
                  .arg(number)),
              (QStringList{QStringLiteral("W.Nr.|1.4999|W.Nr.|1.4999|2"), QStringLiteral("ČSN 42|Šťáva 'x'|ČSN42|Šťáva'x'|1")}));
    EXPECT_EQ(count(QStringLiteral("select 1 from Mat where Name='Druhá vlastní ocel' and Private='A'")), 1);
    // The material without a node is skipped whole: no material, no composition row of it.
    EXPECT_EQ(count(QStringLiteral("select 1 from Mat where Name='Ocel bez uzlu'")), 0);
    EXPECT_EQ(count(QStringLiteral("select 1 from ChemComp where MinValue=0.3 and MaxValue=0.4")), 0);

    // The mirror matches the catalogue tables for every own material, the one made here included.
    EXPECT_EQ(mirrorDifferences(), QStringList());
    EXPECT_EQ(count(QStringLiteral("select 1 from user.private_MAT where Number=%1").arg(madeHere)), 1);
    EXPECT_EQ(count(QStringLiteral("select 1 from user.private_NORMS where MaterialNo=%1").arg(madeHere)), 1);

    // User notes: the one of this version stays, the converted ones come after it; one per
    // material reached, with quotes and letters.
    EXPECT_EQ(sqlite(QStringLiteral("select MaterialNo, Text from user.UserNotices order by Number")),
              (QStringList{QStringLiteral("%1|Poznámka z nové verze").arg(madeHere),
                           QStringLiteral("%1|%2").arg(s235).arg(kOldNote), QStringLiteral("%1|%2").arg(s355).arg(kOldNote),
                           QStringLiteral("%1|%2").arg(number).arg(kOwnNote)}));
    // The converted notes are numbered after the notes there were (the one of this version was
    // written through the main module's table, which gives no number).
    EXPECT_EQ(sqlite(QStringLiteral("select min(Number), max(Number) from user.UserNotices")), QStringList{QStringLiteral("1|3")});
    EXPECT_EQ(count(QStringLiteral("select 1 from user.PreviousVersionRows where Kind='M'")), 2);
}

TEST_F(Upgrade, AnErrorHalfwayChangesNothingAndRunningAgainAddsNothingTwiceNorTakesAnything)
{
    const int madeHere = prepareNewVersionData();
    // A note of this version on a material an old note also reaches.
    const int s235 = materialOf(QStringLiteral("S235JR"));
    data->tUserNotice.append();
    data->tUserNotice.setValue(QStringLiteral("MATERIALNO"), s235);
    data->tUserNotice.setValue(QStringLiteral("TEXT"), QStringLiteral("Moje nová"));
    data->tUserNotice.post();
    const QString before = dump();
    ASSERT_FALSE(before.isEmpty());

    UpgradeProgress failing;
    int calls = 0;
    failing.setValue = [&](int v) {
        ++calls;
        if (v == 1)
            throw orv::db::DbError(QStringLiteral("disk I/O error"), userFile(), 10);
    };
    try {
        convertOldData(*own, old, true, failing);
        FAIL() << "the injected error was not reported";
    } catch (const UpgradeError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("zůstala beze změny"))) << e.message().toStdString();
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(dump(), before);

    // Run again: it succeeds; the old note goes below the note of this version.
    UpgradeResult r = convertOldData(*own, old, true);
    EXPECT_EQ(r.materials, 2);
    EXPECT_EQ(r.notes, 2);
    EXPECT_EQ(r.appendedNotes, 1);
    EXPECT_EQ(sqlite(QStringLiteral("select Text from user.UserNotices where MaterialNo=%1").arg(s235)).join(u'\n'),
              QStringLiteral("Moje nová\n") + previousVersionNoteMark() + kOldNote);
    const QString afterFirst = dump();
    // Once more: nothing is carried twice and nothing of this version goes.
    r = convertOldData(*own, old, true);
    EXPECT_EQ(r.materials, 0);
    EXPECT_EQ(r.carriedBefore, 2);
    EXPECT_EQ(r.notes + r.appendedNotes, 0);
    EXPECT_EQ(r.notesCarriedBefore, 3);
    EXPECT_EQ(dump(), afterFirst);
    EXPECT_EQ(count(QStringLiteral("select 1 from Mat where Name='%1'").arg(QString(kOwnName))), 1);
    EXPECT_EQ(count(QStringLiteral("select 1 from Mat where Number=%1 and Private='A'").arg(madeHere)), 1);
    EXPECT_EQ(count(QStringLiteral("select 1 from user.UserNotices")), 4);
    EXPECT_EQ(mirrorDifferences(), QStringList());
}

TEST_F(Upgrade, WithTheCatalogueOnTheMediumOnlyTheNotesAreConverted)
{
    const QString ownBefore = sqlite(QStringLiteral("select count(*) from Mat where Private='A'")).value(0);
    QStringList texts;
    UpgradeProgress progress;
    progress.setText = [&](const QString &t) { texts << t; };
    const UpgradeResult r = convertOldData(*own, old, false, progress);
    EXPECT_EQ(texts, QStringList{QStringLiteral("Převod uživatelských poznámek k materiálům")});
    EXPECT_EQ(r.materials, 0);
    EXPECT_EQ(sqlite(QStringLiteral("select count(*) from Mat where Private='A'")).value(0), ownBefore);
    // The note of the old own material finds no material now: dropped like any unknown designation.
    EXPECT_EQ(r.notes, 2);
    EXPECT_EQ(r.droppedNotes, 2);
}

TEST_F(Upgrade, AMissingOrDamagedOldTableIsRefusedWithNothingChanged)
{
    const QString before = dump();
    QFile::remove(old + QStringLiteral("/notices.db"));
    try {
        convertOldData(*own, old, true);
        FAIL() << "converted without notices.db";
    } catch (const UpgradeError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("chybí tabulka notices.DB"))) << e.message().toStdString();
    }
    writeOldData();
    // A block chain that returns to its first block would keep the reader walking for ever.
    QFile f(old + QStringLiteral("/ChemComp.db"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    const int headerSize = uchar(bytes[2]) | uchar(bytes[3]) << 8;
    const int first = uchar(bytes[0x0E]) | uchar(bytes[0x0F]) << 8;
    bytes[headerSize + (first - 1) * uchar(bytes[5]) * 1024] = char(first);
    f.seek(0);
    f.write(bytes);
    f.close();
    try {
        convertOldData(*own, old, true);
        FAIL() << "converted a damaged table";
    } catch (const UpgradeError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("je poškozená"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("ChemComp.db"))) << e.message().toStdString();
    }
    EXPECT_EQ(dump(), before);
}

TEST_F(Upgrade, TheOldFolderIsFoundInAnyLetterCase)
{
    EXPECT_TRUE(holdsOldData(old));
    EXPECT_EQ(oldDataFolderOf(root + QStringLiteral("old")), old);
    QDir().rename(old, root + QStringLiteral("old/DATA"));
    EXPECT_EQ(oldDataFolderOf(root + QStringLiteral("old")), root + QStringLiteral("old/DATA"));
    EXPECT_TRUE(holdsOldData(root + QStringLiteral("old/DATA")));
    EXPECT_FALSE(holdsOldData(root + QStringLiteral("old")));
    EXPECT_FALSE(holdsOldData(QString()));
}
