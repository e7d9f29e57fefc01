// The page "Databáze" of the options window: the choice kept in the user registry over the
// administrator's preset, and "Vyzkoušet spojení" against the test program's own server.

#include "UserDataFixture.h"

#include "core/Registry.h"
#include "support/PgServer.h"
#include "userdata/TfOptions.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>


using namespace orv::userdata;

namespace {

class DatabasePage : public UserDataFixture {
protected:
    void SetUp() override
    {
        withOwnData = false;
        UserDataFixture::SetUp();
        env.message = [this](const QString &text, orv::ui::MsgType, orv::ui::MsgButtons) {
            shown << text;
            return int(orv::ui::mrOk);
        };
    }
    std::unique_ptr<TfOptions> openWindow() { return std::make_unique<TfOptions>(*data, env); }
    // Fills the server fields as a user types them.
    static void typeServer(TfOptions &w, const QString &host, int port, const QString &database, const QString &user)
    {
        w.rbServer->click();
        w.eHost->setText(host);
        w.ePort->setValue(port);
        w.eDatabase->setText(database);
        w.eUser->setText(user);
    }
    OptionsEnvironment env;
    QStringList shown;
};

TEST_F(DatabasePage, ChoiceIsKeptInTheUserRegistryOverTheMachinePreset)
{
    {
        auto w = openWindow();
        EXPECT_EQ(w->pages->tabText(TfOptions::DatabasePage), QStringLiteral("Databáze"));
        EXPECT_TRUE(w->rbLocalFiles->isChecked());
        EXPECT_FALSE(w->eHost->isEnabled());
        w->bOK->click();
        EXPECT_TRUE(shown.isEmpty()) << "nothing changed, nothing said";
    }
    EXPECT_FALSE(QFile::exists(orv::Registry::defaultFilePath(orv::Registry::Scope::User)));

    // An administrator's preset is what a user without a choice of their own gets.
    orv::Registry machine(orv::Registry::Scope::Machine);
    ASSERT_TRUE(machine.writeString(databaseKey(), dbvalue::mode(), QStringLiteral("server")));
    ASSERT_TRUE(machine.writeString(databaseKey(), dbvalue::host(), QStringLiteral("db.firma.cz")));
    ASSERT_TRUE(machine.writeString(databaseKey(), dbvalue::sslMode(), QStringLiteral("require")));
    {
        auto w = openWindow();
        EXPECT_TRUE(w->rbServer->isChecked());
        EXPECT_TRUE(w->eHost->isEnabled());
        EXPECT_EQ(w->eHost->text(), QStringLiteral("db.firma.cz"));
        EXPECT_EQ(w->ePort->value(), 5432);
        EXPECT_EQ(w->eDatabase->text(), QStringLiteral("orvalis"));
        EXPECT_EQ(w->cbSslMode->currentText(), QStringLiteral("require"));
        // The user's own choice, saved on OK with the restart notice.
        typeServer(*w, QStringLiteral("10.0.0.7"), 6543, QStringLiteral("konstrukce"), QStringLiteral("novak"));
        w->bOK->click();
        EXPECT_EQ(shown, QStringList{TfOptions::restartMessage()});
    }
    const DatabaseChoice kept = readDatabaseChoice();
    EXPECT_TRUE(kept.server);
    EXPECT_EQ(kept.host, QStringLiteral("10.0.0.7"));
    EXPECT_EQ(kept.port, 6543);
    EXPECT_EQ(kept.database, QStringLiteral("konstrukce"));
    EXPECT_EQ(kept.user, QStringLiteral("novak"));
    EXPECT_EQ(kept.sslMode, QStringLiteral("require"));
    // Back to the local files: the user's choice wins over the preset; "Zpět" keeps it.
    {
        auto w = openWindow();
        EXPECT_EQ(w->eUser->text(), QStringLiteral("novak"));
        w->rbLocalFiles->click();
        w->bBack->click();
    }
    EXPECT_TRUE(readDatabaseChoice().server);
    {
        auto w = openWindow();
        w->rbLocalFiles->click();
        w->bOK->click();
    }
    EXPECT_FALSE(readDatabaseChoice().server);
    QFile file(orv::Registry::defaultFilePath(orv::Registry::Scope::User));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().toLower().contains("password"));
}

TEST_F(DatabasePage, ConninfoQuotesEveryValueAndBoundsTheWait)
{
    DatabaseChoice c;
    c.host = QStringLiteral("db server");
    c.user = QStringLiteral("o'neil\\x dbname=jina");
    const QString info = c.conninfo();
    EXPECT_TRUE(info.contains(QStringLiteral("host='db server'"))) << qPrintable(info);
    EXPECT_TRUE(info.contains(QStringLiteral("user='o\\'neil\\\\x dbname=jina'"))) << qPrintable(info);
    EXPECT_TRUE(info.contains(QStringLiteral("dbname='orvalis'"))) << qPrintable(info);
    for (const char *part : {"connect_timeout=5", "keepalives=1", "port=5432", "sslmode='prefer'"})
        EXPECT_TRUE(info.contains(QLatin1String(part))) << part << " in " << qPrintable(info);
}

TEST_F(DatabasePage, ConnectionTestSaysWhatItFoundOrWhy)
{
    ORV_PG_DATABASE(conninfo);
    const orv::test::PgServer &pg = orv::test::PgServer::instance();
    const QString database = conninfo.section(QStringLiteral("dbname="), 1).section(QLatin1Char(' '), 0, 0);
    auto w = openWindow();
    w->pages->setCurrentIndex(TfOptions::DatabasePage);
    EXPECT_FALSE(w->bTestConnection->isEnabled());
    typeServer(*w, pg.socketFolder(), pg.port(), database, QStringLiteral("postgres"));
    ASSERT_TRUE(w->bTestConnection->isEnabled());

    // A prepared database without a catalogue yet.
    w->bTestConnection->click();
    QString said = w->lConnectionResult->text();
    EXPECT_TRUE(said.startsWith(QStringLiteral("Spojení se serverem %1:%2, databáze %3").arg(pg.socketFolder()).arg(pg.port()).arg(database)))
        << qPrintable(said);
    EXPECT_TRUE(said.contains(QStringLiteral("Server: PostgreSQL 15"))) << qPrintable(said);
    EXPECT_TRUE(said.contains(QStringLiteral("Katalog na serveru zatím není nahrán"))) << qPrintable(said);

    // Two catalogue materials of an edition and one of the team's.
    orv::db::Connection server;
    server.openServer(conninfo);
    server.exec(QStringLiteral("insert into Mat (Number, Name) values (1, 'C45'), (2, 'S235')"));
    server.exec(QStringLiteral("insert into Mat (Number, Name, Private) values (900, 'Firemní F1', 'A')"));
    const QDateTime loaded(QDate(2026, 3, 14), QTime(9, 30));
    server.exec(QStringLiteral("insert into CatalogueCopy (Number, Stamp) values (1, :s)"),
                {{QStringLiteral("s"), QStringLiteral("123:%1:7").arg(loaded.toMSecsSinceEpoch())}});
    w->bTestConnection->click();
    said = w->lConnectionResult->text();
    EXPECT_TRUE(said.contains(QStringLiteral("Katalog: 2 materiálů, vydání z 14. 3. 2026 9:30"))) << qPrintable(said);
    EXPECT_TRUE(said.contains(QStringLiteral("Vlastní materiály týmu: 1"))) << qPrintable(said);

    // Nobody listens on the port: unreachable, named, in Czech, quickly.
    const int deadPort = orv::test::freeLoopbackPort();
    ASSERT_GT(deadPort, 0);
    typeServer(*w, QStringLiteral("127.0.0.1"), deadPort, database, QStringLiteral("postgres"));
    w->bTestConnection->click();
    said = w->lConnectionResult->text();
    EXPECT_TRUE(said.startsWith(QStringLiteral("Spojení se serverem 127.0.0.1:%1, databáze %2, uživatel postgres se nezdařilo.")
                                    .arg(deadPort)
                                    .arg(database)))
        << qPrintable(said);
    EXPECT_TRUE(said.contains(QStringLiteral("Databázový server není dostupný."))) << qPrintable(said);

    // A login the server does not know.
    typeServer(*w, pg.socketFolder(), pg.port(), database, QStringLiteral("nikdo"));
    w->bTestConnection->click();
    said = w->lConnectionResult->text();
    EXPECT_TRUE(said.contains(QStringLiteral("Databázový server odmítl přihlášení."))) << qPrintable(said);
    // Testing saves nothing.
    EXPECT_FALSE(readDatabaseChoice().server);
}

} // namespace
