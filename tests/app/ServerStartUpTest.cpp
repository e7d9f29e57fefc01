// Start-up on the team's server: a server that cannot be reached is named in a message with
// "Zkusit znovu", "Místní data" and "Konec"; a server loaded by pg-import opens the program
// and its quick find finds a material there.

#include "PgImport.h"

#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "db/MainDataModule.h"
#include "support/DemoCatalogue.h"
#include "support/PgServer.h"
#include "support/ProgramFolder.h"
#include "ui/MessageDialog.h"
#include "userdata/TfOptions.h"

#include <QApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orv::app;

namespace {

class ServerStartUp : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folders.isValid()); }

    // The user's choice: the server at `host`:`port`.
    void chooseServer(const QString &host, int port, const QString &database)
    {
        orv::userdata::DatabaseChoice c;
        c.server = true;
        c.host = host;
        c.port = port;
        c.database = database;
        c.user = QStringLiteral("postgres");
        ASSERT_TRUE(orv::userdata::writeDatabaseChoice(c));
    }

    // Runs an attended start: each server message is answered with the next of `answers`
    // ("Zkusit znovu", "Místní data", "Konec"); a frame that comes up is closed. Returns the
    // exit code; the messages land in `messages`.
    int runAnswering(StartUp &startUp, QStringList answers)
    {
        QTimer driver;
        int ticks = 0;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (++ticks > 600) { // 30 s: something waits for nobody
                QCoreApplication::exit(3);
                return;
            }
            if (auto *dialog = qobject_cast<orv::ui::MessageDialog *>(QApplication::activeModalWidget())) {
                if (dialog->objectName() != QLatin1String("ServerFailure"))
                    return;
                messages << dialog->messageLabel()->text();
                const QString answer = answers.isEmpty() ? QStringLiteral("Konec") : answers.takeFirst();
                for (QPushButton *b : dialog->findChildren<QPushButton *>())
                    if (b->text().remove(QLatin1Char('&')) == answer) {
                        b->click();
                        return;
                    }
                ADD_FAILURE() << "no button " << qPrintable(answer);
                dialog->reject();
                return;
            }
            if (startUp.mainWindow() && startUp.mainWindow()->isVisible()) {
                startUp.mainWindow()->close();
                QCoreApplication::exit(0);
            }
        });
        driver.start(50);
        return startUp.run();
    }

    orv::test::StartUpFolders folders;
    QStringList messages;
};

TEST_F(ServerStartUp, AnUnreachableServerIsNamedAndLocalDataWork)
{
    ASSERT_TRUE(orv::test::copyDemoCatalogue(folders.prog + QStringLiteral("data")));
    const int port = orv::test::freeLoopbackPort();
    chooseServer(QStringLiteral("127.0.0.1"), port, QStringLiteral("orvalis"));

    // "Zkusit znovu" asks again; "Místní data" starts on the files.
    {
        StartUp startUp;
        EXPECT_EQ(runAnswering(startUp, {QStringLiteral("Zkusit znovu"), QStringLiteral("Místní data")}), 0);
        ASSERT_EQ(messages.size(), 2);
        EXPECT_TRUE(messages[0].startsWith(
            QStringLiteral("Nelze pracovat s databázovým serverem 127.0.0.1:%1, databáze orvalis, uživatel postgres.").arg(port)))
            << qPrintable(messages[0]);
        EXPECT_TRUE(messages[0].contains(QStringLiteral("Databázový server není dostupný."))) << qPrintable(messages[0]);
        EXPECT_TRUE(messages[0].contains(QStringLiteral("Místní data: program tentokrát pracuje s daty na tomto počítači.")));
        ASSERT_NE(startUp.mainData(), nullptr);
        EXPECT_FALSE(startUp.onServer());
        EXPECT_EQ(startUp.mainData()->catalogueSession().engine(), orv::db::Engine::Sqlite);
    }
    // "Konec" ends the start without a frame.
    messages.clear();
    {
        StartUp startUp;
        EXPECT_EQ(runAnswering(startUp, {QStringLiteral("Konec")}), 1);
        EXPECT_EQ(messages.size(), 1);
        EXPECT_EQ(startUp.mainWindow(), nullptr);
    }
    // An unattended start has nobody to ask: it fails with the message.
    StartOptions unattended;
    unattended.quitAfterFrame = true;
    {
        StartUp startUp(unattended);
        try {
            startUp.run();
            ADD_FAILURE() << "started";
        } catch (const StartupError &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("127.0.0.1:%1").arg(port))) << qPrintable(e.message());
            EXPECT_FALSE(e.message().contains(QStringLiteral("Zkusit znovu"))) << "no buttons to explain";
        }
    }
    // The command line overrides the choice for one start.
    unattended.database = QStringLiteral("local");
    StartUp local(unattended);
    EXPECT_EQ(local.run(), 0);
    EXPECT_FALSE(local.onServer());
    EXPECT_TRUE(orv::userdata::readDatabaseChoice().server);
}

TEST_F(ServerStartUp, AServerLoadedByPgImportOpensAndFindsAMaterial)
{
    ORV_PG_DATABASE(conninfo);
    const orv::test::PgServer &pg = orv::test::PgServer::instance();
    orv::catalogue::pgImport(QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data"), conninfo);
    const QString database = conninfo.section(QStringLiteral("dbname="), 1).section(QLatin1Char(' '), 0, 0);
    chooseServer(pg.socketFolder(), pg.port(), database);

    // No catalogue on this computer: everything comes from the server.
    StartOptions options;
    options.quitAfterFrame = true;
    StartUp startUp(options);
    ASSERT_EQ(startUp.run(), 0);
    EXPECT_TRUE(startUp.onServer());
    EXPECT_EQ(startUp.mainData()->catalogueSession().engine(), orv::db::Engine::Postgres);

    MainWindow *w = startUp.mainWindow();
    ASSERT_NE(w, nullptr);
    w->show();
    QApplication::setActiveWindow(w);
    w->quickFind()->setFocus();
    QApplication::processEvents();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("42CrMo"));
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::CTRL | Qt::Key_M)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key[0].key()), key[0].keyboardModifiers());
        QApplication::processEvents();
    }
    ASSERT_EQ(w->openCardCount(), 1);
    EXPECT_TRUE(w->currentCard()->windowTitle().contains(QStringLiteral("42CrMo"))) << qPrintable(w->currentCard()->windowTitle());
    w->close();
}

} // namespace
