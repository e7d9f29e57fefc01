// The upgrade wizard as the start-up offers it: closed with "Ne ukončit průvodce" it is offered
// again at the next start; closed with "Příště tohoto průvodce nezobrazovat" ticked it is not.

#include "app/StartUp.h"
#include "core/Paths.h"
#include "db/DatabaseFiles.h"
#include "userdata/TfUpgrade.h"
#include "support/ProgramFolder.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace orv::app;

namespace {

class UpgradeAtStartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        // The previous version is present: its catalogue file exists.
        QDir().mkpath(folders.base + QStringLiteral("old/Data"));
        QFile mat(folders.base + QStringLiteral("old/Data/mat.db"));
        ASSERT_TRUE(mat.open(QIODevice::WriteOnly));
        orv::db::createDatabaseFiles(prog + QStringLiteral("data/catalogue.sqlite"), prog + QStringLiteral("data/user.sqlite"));
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(prog + QStringLiteral("data/user.sqlite")).constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "insert into Setup (Number, Items, Value, upgrade) values (1, 'USPESNOST', '80', 0);",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    void TearDown() override
    {
        StartUp::setUpgradeWizard(nullptr);
    }
    // One start; the wizard is created as the start-up would and `act` closes it.
    bool start(const std::function<void(orv::userdata::TfUpgrade &)> &act)
    {
        StartOptions options;
        options.quitAfterFrame = true;
        StartUp startUp(options);
        bool shown = false;
        StartUp::setUpgradeWizard([&](QWidget *owner) {
            shown = true;
            orv::userdata::TfUpgrade wizard(*startUp.ownData(), orv::userdata::UpgradeEnvironment(), owner);
            wizard.show();
            act(wizard);
            EXPECT_FALSE(wizard.isVisible());
        });
        EXPECT_EQ(startUp.run(), 0);
        EXPECT_EQ(shown, startUp.upgradeOffered());
        return startUp.upgradeOffered();
    }

    orv::test::StartUpFolders folders;
    const QString &prog = folders.prog;
};

} // namespace

TEST_F(UpgradeAtStartUp, NoOffersItAgainTheTickedBoxEndsTheOffers)
{
    EXPECT_TRUE(start([](orv::userdata::TfUpgrade &w) { w.noButton->click(); }));
    EXPECT_TRUE(start([](orv::userdata::TfUpgrade &w) {
        w.dontShowAgain->setChecked(true);
        w.noButton->click();
    }));
    EXPECT_FALSE(start([](orv::userdata::TfUpgrade &) { ADD_FAILURE() << "the wizard was offered after the box was ticked"; }));
}
