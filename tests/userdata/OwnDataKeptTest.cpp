// The user's own rows live in the user database and survive every new catalogue: a rebuilt one,
// one whose numbers collide with own rows, and the first start of an installation whose own
// materials an earlier version wrote into the catalogue file. Checked with the sqlite3 program.

#include "UserDataFixture.h"

#include "browse/MaterialCard.h"
#include "db/WorkingCopies.h"
#include "userdata/OwnMaterialActions.h"

#include <QDateTime>
#include <QFile>

using namespace orv::userdata;

namespace {

// Every own row of the working copies and the user tables that point at own materials, by
// content (numbers left out, so that renumbered rows compare equal), sorted.
const char *const kOwnContent[] = {
    "select Name, Purpose, PurposeAll, TypeNo from Mat where Private='A'",
    "select m.Name, n.Text, n.ParentNo, n.ImageIndex from Nodes n join Mat m on m.Number=n.MaterialNo where m.Private='A'",
    "select m.Name, x.Name, x.Label, x.CountryNo from Norms x join Mat m on m.Number=x.MaterialNo where m.Private='A'",
    "select m.Name, x.Name, x.Label from CompareNorms x join Mat m on m.Number=x.MaterialNo where m.Private='A'",
    "select m.Name, x.ElementNo, x.MinValue, x.MaxValue, coalesce(t.Notice,'') from ChemComp x join Mat m on m.Number=x.MaterialNo "
    "left join Notices t on t.Number=x.NoticeNo where m.Private='A'",
    "select m.Name, x.ElementNo from OwnChemZbytek x join Mat m on m.Number=x.MaterialNo where m.Private='A'",
    "select m.Name, x.PropertyNo, x.Temperature, x.MinValue, x.MaxValue from OwnFyzProp x join Mat m on m.Number=x.MaterialNo where m.Private='A'",
    "select m.Name, x.ProcNo, x.MinValue, x.Cool from OwnTempProc x join Mat m on m.Number=x.MaterialNo where m.Private='A'",
    "select m.Name, sp.Group1No, st.StateNo, d.FromValue, d.ToValue, mp.PropertyNo, t.Temperature, t.TempMinValue, "
    "coalesce(tn.Notice,'') from Mat m join OwnSemiProd sp on sp.MaterialNo=m.Number join OwnStates st on st.SemiPrNo=sp.Number "
    "join OwnDimens d on d.StateNo=st.Number join OwnMechProp mp on mp.DimensionNo=d.Number join OwnTemps t on t.PropertyNo=mp.Number "
    "left join Notices tn on tn.Number=t.NoticeNo where m.Private='A'",
    "select m.Name, u.TEXT from user.UserNotices u join Mat m on m.Number=u.MATERIALNO where m.Private='A'",
    "select m.Name, p.Name from user.private_MAT p join Mat m on m.Number=p.Number where m.Private='A'",
};

class OwnDataKept : public UserDataFixture {
protected:
    void SetUp() override
    {
        UserDataFixture::SetUp();
        if (HasFatalFailure())
            return;
        OwnMaterialEnvironment env;
        env.editor.message = [](const QString &, orv::ui::MsgType, orv::ui::MsgButtons) { return int(orv::ui::mrOk); };
        actions = std::make_unique<OwnMaterialActions>(*own, env);
    }
    void TearDown() override
    {
        actions.reset();
        UserDataFixture::TearDown();
    }
    void reopen()
    {
        actions.reset();
        own.reset();
        data.reset();
        data = std::make_unique<orv::db::MainDataModule>(root, root);
        own = std::make_unique<orv::db::OwnDataModule>(*data);
    }
    void closeModules()
    {
        actions.reset();
        own.reset();
        data.reset();
    }
    // A new catalogue file in the place of the old one: the demo catalogue again, with
    // `change` run on it by the sqlite3 program (as the catalogue tool would write it), with the
    // user file attached as "user" to read from.
    void replaceCatalogue(const QString &change = QString())
    {
        const QString fresh = root + QStringLiteral("fresh.sqlite");
        QFile::remove(fresh);
        ASSERT_TRUE(QFile::copy(QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data/catalogue.sqlite"), fresh));
        if (!change.isEmpty()) {
            QProcess p;
            p.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), QStringLiteral("-cmd"),
                                                QStringLiteral("attach '%1' as user").arg(userFile()), fresh, change});
            ASSERT_TRUE(p.waitForFinished(30000));
            ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        }
        QFile f(fresh);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
        f.close();
        QFile::remove(catalogueFile());
        ASSERT_TRUE(QFile::rename(fresh, catalogueFile()));
    }
    QStringList ownContent() const
    {
        QStringList out;
        for (const char *sql : kOwnContent) {
            QStringList rows = sqlite(QString::fromUtf8(sql));
            rows.sort();
            out << rows.join(u'\n');
        }
        return out;
    }
    // Own rows that point at nothing.
    int danglingOwnRows() const
    {
        return count(QStringLiteral(
                   "select Number from Nodes where ParentNo=-1 and MaterialNo not in (select Number from Mat) "
                   "union all select Number from Norms where MaterialNo not in (select Number from Mat) "
                   "union all select Number from ChemComp where MaterialNo not in (select Number from Mat) "
                   "union all select Number from ChemComp where NoticeNo is not null and NoticeNo not in (select Number from Notices) "
                   "union all select Number from OwnSemiProd where MaterialNo not in (select Number from Mat) "
                   "union all select Number from OwnTemps where NoticeNo is not null and NoticeNo not in (select Number from Notices) "
                   "union all select NUMBER from user.UserNotices where MATERIALNO not in (select Number from Mat)"));
    }
    // An own copy of C45 with a user note, returning its number.
    int ownCopyOfC45()
    {
        const int c45 = sqlite(QStringLiteral("select MaterialNo from Norms where Label='C45' order by Number limit 1")).value(0).toInt();
        const int copy = actions->copyMaterial(c45);
        data->userSession().exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (901, %1, 'kalit do oleje')")
                                     .arg(copy));
        return copy;
    }

    std::unique_ptr<OwnMaterialActions> actions;
};

TEST_F(OwnDataKept, ARebuiltCatalogueKeepsEveryOwnRowAndTheProgramShowsIt)
{
    const int copy = ownCopyOfC45();
    ASSERT_GT(copy, 0);
    EXPECT_GT(count(QStringLiteral("select * from OwnSemiProd where MaterialNo=%1").arg(copy)), 0);
    const QStringList before = ownContent();
    const QStringList numbersBefore = sqlite(QStringLiteral("select Number from Mat where Private='A'"));
    closeModules();

    replaceCatalogue();
    const QByteArray digest = catalogueDigest();
    reopen();
    EXPECT_TRUE(data->workingCopyRefresh().refreshed);
    EXPECT_TRUE(data->workingCopyRefresh().renumbered.isEmpty());
    EXPECT_EQ(ownContent(), before);
    EXPECT_EQ(sqlite(QStringLiteral("select Number from Mat where Private='A'")), numbersBefore);
    EXPECT_EQ(mirrorDifferences(), QStringList());
    EXPECT_EQ(catalogueDigest(), digest);

    // The card and the searches read the working copies.
    makeWindows();
    orv::browse::MaterialCard *card = cards->openCard(copy, QStringLiteral("C45"));
    ASSERT_NE(card, nullptr);
    EXPECT_FALSE(card->qChemComp.isEmpty());
    EXPECT_FALSE(card->qSemiProd.isEmpty()) << "the card reads the copy's property rows";
    EXPECT_EQ(data->catalogueSession()
                  .scalar(QStringLiteral("select count(*) from Mat m, Norms n where m.Number=n.MaterialNo and m.Private='A' "
                                         "and n.Label='C45 (kopie)'"))
                  .toInt(),
              1);
}

TEST_F(OwnDataKept, NumbersTheNewCatalogueTakesAreGivenNewOnesWithEverythingThatPointsAtThem)
{
    const int copy = ownCopyOfC45();
    ASSERT_GT(copy, 0);
    const QStringList before = ownContent();
    closeModules();

    // The new edition holds rows under every number an own row uses, in every table.
    QStringList change;
    for (const char *t : {"Nodes", "Norms", "CompareNorms", "ChemComp"})
        change << QStringLiteral("insert into main.%1 (Number) select Number from user.%1 where Number > (select max(Number) from main.%1);")
                      .arg(QString::fromLatin1(t));
    change << QStringLiteral("insert into main.Mat (Number, Name, Private) select Number, 'Nová ocel ' || Number, 'N' "
                             "from user.Mat where Private='A';");
    change << QStringLiteral("insert into main.Notices (Number, Notice) select Number, 'jiná poznámka' from user.Notices "
                             "where Number > (select max(Number) from main.Notices);");
    replaceCatalogue(change.join(u'\n'));
    reopen();

    const orv::db::WorkingCopyRefresh &r = data->workingCopyRefresh();
    EXPECT_TRUE(r.refreshed);
    EXPECT_EQ(r.renumberedMaterials(), 1);
    EXPECT_TRUE(r.message().contains(QStringLiteral("nová čísla"))) << r.message().toStdString();
    EXPECT_TRUE(r.message().contains(QStringLiteral("%1 → ").arg(copy))) << r.message().toStdString();
    // The catalogue's new material keeps its number; the own one moved, with all its rows.
    EXPECT_EQ(sqlite(QStringLiteral("select Name from Mat where Number=%1").arg(copy)),
              QStringList{QStringLiteral("Nová ocel %1").arg(copy)});
    EXPECT_EQ(ownContent(), before);
    EXPECT_EQ(danglingOwnRows(), 0);
    EXPECT_EQ(mirrorDifferences(), QStringList());
    EXPECT_EQ(count(QStringLiteral("select Number, count(*) from Mat group by Number having count(*) > 1")), 0);
}

TEST_F(OwnDataKept, TheFirstStartTakesOwnMaterialsOutOfTheCatalogueFileWithoutWritingIt)
{
    closeModules();
    // An installation of an earlier version: an own material in the catalogue file, its user
    // note and mirror row in a user file that has no working copies yet.
    const QString old = root + QStringLiteral("old.sqlite");
    ASSERT_TRUE(QFile::copy(catalogueFile(), old));
    QProcess p;
    p.start(QStringLiteral("sqlite3"),
            {QStringLiteral("-bail"), QStringLiteral("-cmd"), QStringLiteral("attach '%1' as user").arg(userFile()), old,
             QStringLiteral("insert into Notices (Number, Notice) values (99001, 'vlastní poznámka');"
                            "insert into Mat (Number, Name, Private, NoticeNo) values (99001, 'Moje ocel', 'A', 99001);"
                            "insert into Nodes (Number, ParentNo, TreeNo, MaterialNo, Text, ImageIndex) values (99001, -1, 1, 99001, 'MOJE 1', 4);"
                            "insert into Norms (Number, Name, Label, MaterialNo, NameShort, LabelShort) values (99001, 'ČSN', 'MOJE 1', 99001, 'ČSN', 'MOJE1');"
                            "insert into ChemComp (Number, MaterialNo, ElementNo, MinValue, MaxValue, NoticeNo) values (99001, 99001, 1, 0.1, 0.2, 99001);"
                            "insert into user.private_MAT (Number, Name) values (99001, 'Moje ocel');"
                            "insert into user.UserNotices (NUMBER, MATERIALNO, TEXT) values (99001, 99001, 'moje');"
                            "drop table if exists user.CatalogueCopy;")});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    for (const QString &t : orv::db::workingCopyTables())
        sqlite(QStringLiteral("drop table if exists user.%1").arg(t));
    QFile::remove(catalogueFile());
    ASSERT_TRUE(QFile::rename(old, catalogueFile()));
    const QByteArray digest = catalogueDigest();

    reopen();
    const orv::db::WorkingCopyRefresh &r = data->workingCopyRefresh();
    EXPECT_TRUE(r.firstFill);
    EXPECT_EQ(r.carriedOutOfCatalogue, 1);
    EXPECT_TRUE(r.message().contains(QStringLiteral("Soubor katalogu zůstal beze změny")));
    EXPECT_EQ(sqlite(QStringLiteral("select Name, NoticeNo from main.Mat where Number=99001")),
              QStringList{QStringLiteral("Moje ocel|99001")});
    EXPECT_EQ(sqlite(QStringLiteral("select count(*) from main.ChemComp where MaterialNo=99001")), QStringList{QStringLiteral("1")});
    EXPECT_EQ(sqlite(QStringLiteral("select Notice from main.Notices where Number=99001")),
              QStringList{QStringLiteral("vlastní poznámka")});
    EXPECT_EQ(sqlite(QStringLiteral("select TEXT from user.UserNotices where MATERIALNO=99001")), QStringList{QStringLiteral("moje")});
    EXPECT_EQ(catalogueDigest(), digest);
    // A second start finds the copies current and changes nothing.
    const QStringList content = ownContent();
    reopen();
    EXPECT_FALSE(data->workingCopyRefresh().refreshed);
    EXPECT_EQ(ownContent(), content);
}

} // namespace
