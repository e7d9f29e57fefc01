// User notes on a card of a copy of the demo catalogue, on each engine (the SQLite files, the
// demo loaded on the test server): adding shows the page at once, deleting hides it, the
// enabling rules, the 200-character limit with Czech letters kept, the next Number, and
// "&Zpět" storing nothing.

#include "browse/MaterialCard.h"
#include "browse/UserNotes.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DbError.h"
#include "support/CardSessions.h"
#include "support/DemoServer.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

using namespace orv::browse;
using orv::db::Connection;
using orv::db::Database;
using orv::db::Engine;

namespace {

class UserNoteTest : public ::testing::TestWithParam<Engine>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path() + QStringLiteral("/");
        if (GetParam() == Engine::Postgres) {
            ORV_DEMO_SERVER_DATABASE(conninfo);
            cat.openServer(conninfo);
            user.openServer(conninfo);
            reader.openServer(conninfo);
        } else {
            ASSERT_TRUE(orv::test::copyDemoCatalogue(root + QStringLiteral("data")));
            sessions.openSessions(root + QStringLiteral("data/"));
            reader.open(root + QStringLiteral("data/catalogue.sqlite"), root + QStringLiteral("data/user.sqlite"), Database::User);
        }
        env = sessions.cardEnvironment(root, root + QStringLiteral("Zeb.ini"));
        user.exec(QStringLiteral("delete from UserNotices"));
        card = std::make_unique<MaterialCard>(env);
        card->setAttribute(Qt::WA_DeleteOnClose, false);
        card->load(2050);
        card->show();
    }

    // A dialog run that types `text` and presses a button.
    static std::function<int(UserNoteDialog &)> typeAndPress(const QString &text, bool save)
    {
        return [text, save](UserNoteDialog &d) {
            d.textBox()->setPlainText(text);
            QTest::mouseClick(save ? d.saveButton() : d.backButton(), Qt::LeftButton);
            return d.result();
        };
    }

    // What is stored, read through a session of its own (what another program sees).
    int rowsOf(int material)
    {
        return reader.scalar(QStringLiteral("select count(*) from UserNotices where MATERIALNO=:m"), {{"m", material}}).toInt();
    }
    QString storedText(int material)
    {
        return reader.scalar(QStringLiteral("select TEXT from UserNotices where MATERIALNO=:m"), {{"m", material}}).toString();
    }

    QTemporaryDir dir;
    QString root;
    orv::test::CardSessions sessions;
    orv::db::Connection &cat = sessions.cat;
    orv::db::Connection &user = sessions.user;
    orv::db::Connection reader;
    CardEnvironment env;
    std::unique_ptr<MaterialCard> card;
};

INSTANTIATE_TEST_SUITE_P(, UserNoteTest, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const ::testing::TestParamInfo<Engine> &info) {
                             return std::string(info.param == Engine::Postgres ? "Postgres" : "Sqlite");
                         });

TEST_P(UserNoteTest, AddedNoteShowsAtOnceAndSwitchesTheActions)
{
    EXPECT_TRUE(canAddNote(card.get()));
    EXPECT_FALSE(canEditNote(card.get()));
    EXPECT_FALSE(canDeleteNote(card.get()));
    EXPECT_FALSE(canAddNote(nullptr));
    EXPECT_FALSE(card->isPageVisible(MaterialCard::Note));

    NoteActions actions;
    actions.runDialog = typeAndPress(QStringLiteral("Ověřit tvrdost po kalení."), true);
    actions.addNote(card.get());
    EXPECT_TRUE(card->isPageVisible(MaterialCard::Note));
    EXPECT_EQ(card->activePage(), MaterialCard::Note);
    EXPECT_EQ(card->noteBox()->toPlainText(), QStringLiteral("Ověřit tvrdost po kalení."));
    EXPECT_FALSE(canAddNote(card.get()));
    EXPECT_TRUE(canEditNote(card.get()));
    EXPECT_TRUE(card->property("hasNote").toBool());
    EXPECT_EQ(storedText(2050), QStringLiteral("Ověřit tvrdost po kalení."));
    // A card opened afterwards shows it too.
    MaterialCard other(env);
    other.setAttribute(Qt::WA_DeleteOnClose, false);
    other.load(2050);
    EXPECT_TRUE(other.isPageVisible(MaterialCard::Note));
    EXPECT_EQ(other.noteText(), QStringLiteral("Ověřit tvrdost po kalení."));
}

TEST_P(UserNoteTest, NewNoteTakesTheNextNumberOfTheUserTable)
{
    user.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (41, 1, 'jiný materiál')"));
    storeNote(*card, QStringLiteral("a"));
    EXPECT_EQ(reader.scalar(QStringLiteral("select NUMBER from UserNotices where MATERIALNO=2050")).toInt(), 42);
    EXPECT_EQ(rowsOf(1), 1); // the other material's note is untouched
}

TEST_P(UserNoteTest, BackStoresNothing)
{
    NoteActions actions;
    actions.runDialog = typeAndPress(QStringLiteral("nic"), false);
    actions.addNote(card.get());
    EXPECT_EQ(rowsOf(2050), 0);
    EXPECT_FALSE(card->isPageVisible(MaterialCard::Note));
    EXPECT_TRUE(canAddNote(card.get()));
}

TEST_P(UserNoteTest, ANoteOf250CharactersIsStoredAsItsFirst200)
{
    QString text;
    for (int i = 0; i < 250; ++i)
        text += QChar(u'a' + i % 26);
    text[199] = u'ž';
    NoteActions actions;
    actions.runDialog = typeAndPress(text, true);
    actions.addNote(card.get());
    EXPECT_EQ(storedText(2050), text.left(200));
    EXPECT_EQ(card->noteText().size(), 200);
}

TEST_P(UserNoteTest, EditChangesTheOneRowAndShowsThePage)
{
    storeNote(*card, QStringLiteral("první"));
    card->refreshTabs();
    card->setActivePage(MaterialCard::BasicInfo);
    NoteActions actions;
    QString shown;
    actions.runDialog = [&shown](UserNoteDialog &d) {
        shown = d.text();
        d.setText(QStringLiteral("druhá"));
        QTest::mouseClick(d.saveButton(), Qt::LeftButton);
        return d.result();
    };
    actions.editNote(card.get());
    EXPECT_EQ(shown, QStringLiteral("první"));
    EXPECT_EQ(rowsOf(2050), 1);
    EXPECT_EQ(storedText(2050), QStringLiteral("druhá"));
    EXPECT_EQ(card->activePage(), MaterialCard::Note);
    EXPECT_EQ(card->noteBox()->toPlainText(), QStringLiteral("druhá"));
}

TEST_P(UserNoteTest, DeleteAsksThenHidesThePageAndEnablesAdd)
{
    storeNote(*card, QStringLiteral("smazat"));
    card->refreshTabs();
    NoteActions actions;
    QStringList asked;
    actions.confirm = [&asked](const QString &q) { asked << q; return false; };
    actions.deleteNote(card.get());
    EXPECT_EQ(asked, QStringList{QStringLiteral("Opravdu smazat poznámku k materiálu?")});
    EXPECT_EQ(card->activePage(), MaterialCard::Note); // shown while asking
    EXPECT_EQ(rowsOf(2050), 1);

    actions.confirm = [](const QString &) { return true; };
    actions.deleteNote(card.get());
    EXPECT_EQ(rowsOf(2050), 0);
    EXPECT_FALSE(card->isPageVisible(MaterialCard::Note));
    EXPECT_TRUE(canAddNote(card.get()));
    EXPECT_FALSE(canDeleteNote(card.get()));
}

TEST_P(UserNoteTest, ARowWithAnEmptyTextIsReusedNotDuplicated)
{
    user.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (5, 2050, '')"));
    card->load(2050);
    EXPECT_TRUE(canAddNote(card.get()));
    storeNote(*card, QStringLiteral("nová"));
    card->refreshTabs();
    EXPECT_EQ(rowsOf(2050), 1);
    EXPECT_TRUE(card->isPageVisible(MaterialCard::Note));
    EXPECT_EQ(card->noteText(), QStringLiteral("nová"));
}

// A team's server: another member may store a note between our choosing the next Number and
// our saving it.
class UserNoteServerTest : public UserNoteTest {};

INSTANTIATE_TEST_SUITE_P(, UserNoteServerTest, ::testing::Values(Engine::Postgres),
                         [](const ::testing::TestParamInfo<Engine> &) { return std::string("Postgres"); });

TEST_P(UserNoteServerTest, ANumberTakenMeanwhileIsRefusedAndTheRetryStoresTheNote)
{
    bool other = true;
    card->tUserNotice.hooks.beforePost = [&](orv::db::DataSet &ds) {
        if (std::exchange(other, false))
            reader.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (:n, 1, 'jiný uživatel')"),
                        {{QStringLiteral("n"), ds.value(QStringLiteral("NUMBER"))}});
    };
    try {
        storeNote(*card, QStringLiteral("moje poznámka"));
        ADD_FAILURE() << "two notes under one Number";
    } catch (const orv::db::DbError &e) {
        EXPECT_EQ(e.kind(), orv::db::DbErrorKind::Constraint) << e.text().toStdString();
    }
    EXPECT_FALSE(card->tUserNotice.isEditing());
    storeNote(*card, QStringLiteral("moje poznámka"));
    EXPECT_EQ(storedText(2050), QStringLiteral("moje poznámka"));
    EXPECT_EQ(storedText(1), QStringLiteral("jiný uživatel"));
    EXPECT_EQ(reader.scalar(QStringLiteral("select count(distinct NUMBER) from UserNotices")).toInt(), 2);
}

} // namespace
