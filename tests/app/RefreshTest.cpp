// "Obnovit" (F5) shows what other users changed: the open cards and the tree are read again,
// a card whose material is gone closes with a message; on a server the window says which.

#include "MainWindowFixture.h"
#include "app/MainWindow.h"
#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "browse/MaterialCard.h"
#include "db/Connection.h"
#include "support/DemoDataModules.h"
#include "support/DemoServer.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class RefreshTest : public orv::test::MainWindowOnDemoTest
{
protected:
    void openFrame()
    {
        showFrame();
        w->refreshMessage = [this](const QString &t) { messages << t; };
        w->cardList()->showPlainError = [this](const QString &t) { messages << t; };
        other.open(root + QStringLiteral("data/catalogue.sqlite"), root + QStringLiteral("data/user.sqlite"),
                   orv::db::Database::User);
    }
    orv::browse::MaterialCard *open(int material)
    {
        w->openCard(material, QStringLiteral("materiál %1").arg(material));
        return w->currentCard() ? qobject_cast<orv::browse::MaterialCard *>(w->currentCard()->widget()) : nullptr;
    }
    QAction *refresh() const { return w->findChild<QAction *>(QStringLiteral("aRefresh")); }

    orv::db::Connection other; // another program on the same files
    QStringList messages;
};

TEST_F(RefreshTest, F5ReadsTheOpenCardsAgainAndClosesOneWhoseMaterialIsGone)
{
    openFrame();
    ASSERT_NE(refresh(), nullptr);
    EXPECT_EQ(refresh()->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Orvalis 2.1")); // local files: nothing to name
    EXPECT_EQ(w->databasePlaceLabel(), nullptr);
    orv::browse::MaterialCard *kept = open(2050);
    ASSERT_NE(kept, nullptr);
    const int gone = data->catalogueSession().scalar(QStringLiteral("select min(MaterialNo) from Nodes where MaterialNo > 2050")).toInt();
    QPointer<orv::browse::MaterialCard> goneCard = open(gone);
    ASSERT_TRUE(goneCard);
    const QString goneTitle = goneCard->title();
    kept->setActivePage(orv::browse::MaterialCard::BasicInfo);

    other.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (900, 2050, 'od kolegy')"));
    data->userSession().exec(QStringLiteral("delete from Mat where Number = :m"), {{QStringLiteral("m"), gone}});
    EXPECT_FALSE(kept->hasNote());
    refresh()->trigger();
    QTest::qWait(50);

    EXPECT_EQ(kept->noteText(), QStringLiteral("od kolegy"));
    EXPECT_TRUE(kept->isPageVisible(orv::browse::MaterialCard::Note));
    EXPECT_FALSE(goneCard) << "the card of a deleted material stays open";
    EXPECT_EQ(messages, QStringList{orv::browse::MaterialCard::deletedMessage(goneTitle)});
    EXPECT_EQ(w->cardList()->count(), 1);

    // Opening a material that is gone says so instead of showing an empty card.
    messages.clear();
    open(gone);
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(w->cardList()->count(), 1);
}

// On the team's server the title and the status bar name the server's database and the login.
TEST(RefreshServerTest, TheMainWindowNamesTheServerDatabaseItWorksOn)
{
    ORV_DEMO_SERVER_DATABASE(conninfo);
    orv::db::MainDataModule data{orv::db::ServerDatabase{conninfo}};
    orv::app::MainWindow w(&data);
    const QString database = data.userSession().scalar(QStringLiteral("select current_database()")).toString();
    const QString user = data.userSession().scalar(QStringLiteral("select session_user")).toString();
    EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("Orvalis 2.1 - server "))) << w.windowTitle().toStdString();
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral(", databáze %1, uživatel %2").arg(database, user)))
        << w.windowTitle().toStdString();
    ASSERT_NE(w.databasePlaceLabel(), nullptr);
    EXPECT_TRUE(w.databasePlaceLabel()->text().contains(database));
    EXPECT_TRUE(w.refreshData());
    // A picture for people to look at.
    w.resize(1000, 600);
    w.show();
    QDir().mkpath(QStringLiteral(ORVALIS_BINARY_DIR "/card-screens"));
    EXPECT_TRUE(w.grab().save(QStringLiteral(ORVALIS_BINARY_DIR "/card-screens/main-window-server.png")));
}

} // namespace
