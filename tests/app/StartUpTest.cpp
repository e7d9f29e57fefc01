#include "app/MainWindow.h"
#include "app/PreviousVersion.h"
#include "app/SplashWindow.h"
#include "app/StartUp.h"
#include "ui/MessageDialog.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "db/DatabaseFiles.h"
#include "db/DbError.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace orv::app;

namespace {

// A program folder, registries and a previous-version folder of its own for each test.
class StartUpTest : public ::testing::Test
{
protected:
    orv::test::StartUpFolders folders;
    QString prog() const { return folders.prog; }

    void SetUp() override { ASSERT_TRUE(folders.isValid()); }
    void TearDown() override { StartUp::setUpgradeWizard(nullptr); }
    void touch(const QString &file)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // Both database files with every table, empty, and `rows` run on the user file.
    void makeDatabases(const char *rows = "")
    {
        orv::db::createDatabaseFiles(prog() + QStringLiteral("data/catalogue.sqlite"),
                                     prog() + QStringLiteral("data/user.sqlite"));
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(prog() + QStringLiteral("data/user.sqlite")).constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, rows, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    static bool splashAlive()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            // The copy left to finish showing the notice is not the start-up's splash.
            if (auto *splash = qobject_cast<SplashWindow *>(w); splash && !splash->isLingering())
                return true;
        }
        return false;
    }
};

TEST_F(StartUpTest, DataFilesLieBelowTheProgramFolderWhenOnDisk)
{
    makeDatabases();
    const DataFiles files = locateDataFiles();
    EXPECT_EQ(files.dataRoot, prog());
    EXPECT_EQ(files.catalogueFile, prog() + QStringLiteral("data/catalogue.sqlite"));
    EXPECT_EQ(files.userFile, prog() + QStringLiteral("data/user.sqlite"));
}

TEST_F(StartUpTest, MissingDatabaseFilesStopWithACzechMessage)
{
    try {
        locateDataFiles();
        FAIL() << "no error";
    } catch (const StartupError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Databáze katalogu nebyla nalezena:")));
        EXPECT_TRUE(e.message().contains(prog() + QStringLiteral("data/catalogue.sqlite")));
    }
    touch(prog() + QStringLiteral("data/catalogue.sqlite"));
    try {
        locateDataFiles();
        FAIL() << "no error";
    } catch (const StartupError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Databáze uživatelských dat nebyla nalezena:")));
    }
}

TEST_F(StartUpTest, SplashIsDestroyedWhenStartUpFails)
{
    StartUp startUp;
    EXPECT_THROW(startUp.run(), StartupError);
    QApplication::processEvents();
    EXPECT_FALSE(splashAlive());
}

TEST_F(StartUpTest, DatabaseErrorOfTheDataModulesPropagatesWithoutTheSplash)
{
    makeDatabases();
    QFile bad(prog() + QStringLiteral("data/catalogue.sqlite"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write(QByteArray(4096, 'x'));
    bad.close();
    StartUp startUp;
    EXPECT_THROW(startUp.run(), orv::db::DbError);
    QApplication::processEvents();
    EXPECT_FALSE(splashAlive());
    EXPECT_EQ(startUp.mainWindow(), nullptr);
}

TEST_F(StartUpTest, FullRunShowsTheFrameAndOffersTheUpgradeToItsOwner)
{
    makeDatabases("insert into Setup (Number, Items, Value, upgrade) values (1, 'FORMULAR', '', 1);"
                  "insert into Setup (Number, Items, Value, upgrade) values (2, 'USPESNOST', '80', 0);");
    orv::Registry(orv::Registry::Scope::User).writeString(QStringLiteral("ZEB 2.0\\SETUP"), QStringLiteral("Firma"), QStringLiteral("x"));

    QWidget *owner = nullptr;
    bool splashDuringWizard = true;
    QString searchCaption;
    StartUp::setUpgradeWizard([&](QWidget *o) {
        owner = o;
        splashDuringWizard = splashAlive();
        if (auto *main = qobject_cast<MainWindow *>(o); main && main->searchWindow())
            searchCaption = main->searchWindow()->windowTitle();
    });
    StartOptions options;
    options.quitAfterFrame = true;
    StartUp startUp(options);
    EXPECT_EQ(startUp.run(), 0);
    EXPECT_EQ(startUp.shownTexts(),
              (QStringList{QStringLiteral("Otevření tabulky materiálu ..."), QStringLiteral("Otevření tabulky obsahu ..."),
                           QStringLiteral("Otevření tabulek číselníků ..."),
                           QStringLiteral("Otevření tabulek pro vlastní materiál ...")}));
    EXPECT_EQ(startUp.textsBeforePanel(), 2);
    EXPECT_TRUE(startUp.upgradeOffered());
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->windowTitle(), QStringLiteral("Orvalis 2.1"));
    EXPECT_EQ(searchCaption, QStringLiteral("Vyhledávání"));
    EXPECT_FALSE(splashDuringWizard);
    EXPECT_EQ(orv::ui::programTitle(), QStringLiteral("Orvalis 2.1"));
}

TEST_F(StartUpTest, UpgradeIsNotOfferedOnceDoneOrWithoutThePreviousVersion)
{
    makeDatabases("insert into Setup (Number, Items, Value, upgrade) values (1, 'FORMULAR', '', 0);"
                  "insert into Setup (Number, Items, Value, upgrade) values (2, 'USPESNOST', '80', 1);");
    int calls = 0;
    StartUp::setUpgradeWizard([&](QWidget *) { ++calls; });
    QDir().mkpath(folders.base + QStringLiteral("old/Data"));
    touch(folders.base + QStringLiteral("old/Data/mat.db"));

    StartOptions options;
    options.quitAfterFrame = true;
    StartUp done(options);
    EXPECT_EQ(done.run(), 0);
    EXPECT_FALSE(done.upgradeOffered());
    EXPECT_EQ(calls, 0);
}

TEST(PreviousVersionTest, PresentByUserKeyOrByTheOldCatalogueFile)
{
    QTemporaryDir dir;
    orv::Registry user(orv::Registry::Scope::User, dir.path() + QStringLiteral("/user.ini"));
    const QString oldFile = dir.path() + QStringLiteral("/old/Data/mat.db");
    EXPECT_FALSE(previousVersionPresent(user, oldFile));
    // The key below the product path is not the one looked for.
    user.writeInteger(QStringLiteral("SOFTWARE\\Halmberg s.r.o\\ZEB 2.0"), QStringLiteral("x"), 1);
    EXPECT_FALSE(previousVersionPresent(user, oldFile));
    QDir().mkpath(dir.path() + QStringLiteral("/old/Data"));
    QFile f(oldFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(previousVersionPresent(user, oldFile));
    QFile::remove(oldFile);
    user.writeInteger(QStringLiteral("ZEB 2.0"), QStringLiteral("Verze"), 20);
    EXPECT_TRUE(previousVersionPresent(user, oldFile));
}

TEST(PreviousVersionTest, OfferedOnlyWhenPresentAndTheFlagIsZeroOrEmpty)
{
    EXPECT_TRUE(shouldOfferUpgrade(true, QVariant()));
    EXPECT_TRUE(shouldOfferUpgrade(true, 0));
    EXPECT_TRUE(shouldOfferUpgrade(true, QString()));
    EXPECT_FALSE(shouldOfferUpgrade(true, 1));
    EXPECT_FALSE(shouldOfferUpgrade(false, 0));
    EXPECT_FALSE(shouldOfferUpgrade(false, QVariant()));
}

TEST(SplashWindowTest, ProgressLineAndTextPanel)
{
    SplashWindow splash;
    EXPECT_EQ(splash.size(), QSize(521, 430));
    EXPECT_EQ(splash.windowTitle(), QStringLiteral("Orvalis 2.1"));
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(splash.windowFlags() & Qt::WindowCloseButtonHint);
    auto *label = splash.findChild<QLabel *>(QStringLiteral("ProgressLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry(), QRect(0, 417, 521, 13));
    EXPECT_EQ(label->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

    splash.setProgressText(QStringLiteral("Otevření tabulky obsahu ..."));
    EXPECT_EQ(label->text(), QStringLiteral("Otevření tabulky obsahu ..."));
    const QImage picture = splash.grab().toImage();
    splash.showTextPanel();
    const QImage panel = splash.grab().toImage();
    // The picture is steel grey; the panel is white where no text stands (lower area).
    EXPECT_NE(picture.pixelColor(5, 400), QColor(Qt::white));
    EXPECT_EQ(panel.pixelColor(5, 400), QColor(Qt::white));
    EXPECT_EQ(panel.pixelColor(515, 5), QColor(Qt::white));
    // Some dark text is drawn on the panel's upper part.
    int dark = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 521; ++x)
            dark += panel.pixelColor(x, y).lightness() < 80;
    EXPECT_GT(dark, 500);
}

} // namespace
