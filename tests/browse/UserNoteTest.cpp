// User notes on a card of a copy of the demo catalogue, on each engine (the SQLite files, the
// demo loaded on the test server): adding shows the page at once, deleting hides it, the
// enabling rules, the 200-character limit with Czech letters kept, the next Number, and
// "&Zpět" storing nothing.

#include "browse/MaterialCard.h"
#include "browse/UserNotes.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/ChangeConflict.h"
#include "db/DbError.h"
#include "db/ServerSetup.h"
#include "ui/MessageDialog.h"
#include "support/CardSessions.h"
#include "support/DemoServer.h"
#include "support/LostCommit.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
            ORV_DEMO_SERVER_DATABASE(server);
            conninfo = server;
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
    QString conninfo; // the server database (Postgres only)
    orv::test::CardSessions sessions;
    orv::db::Connection &cat = sessions.cat;
    orv::db::Connection &user = sessions.user;
    orv::db::Connection reader;
    CardEnvironment env;
    std::unique_ptr<MaterialCard> card;
};

// Answers every standard message dialog that opens (with its default) and keeps its text.
class MessageCatcher
{
public:
    MessageCatcher()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<orv::ui::MessageDialog *>(QApplication::activeModalWidget())) {
                texts << box->messageLabel()->text();
                if (!shotFile.isEmpty())
                    box->grab().save(shotFile);
                box->reject();
            }
        });
        m_timer.start(20);
    }
    QStringList texts;
    QString shotFile; // where the dialog's picture goes, for people to look at

private:
    QTimer m_timer;
};

// The dialog run of a second engineer: types `text`, saves, and saves a second time when the
// first save was refused (the dialog stayed open); `afterFirst` sees the state in between.
std::function<int(UserNoteDialog &)> saveTwiceIfRefused(const QString &text, std::function<void(UserNoteDialog &)> afterFirst)
{
    return [text, afterFirst](UserNoteDialog &d) {
        d.show();
        d.textBox()->setPlainText(text);
        QTest::mouseClick(d.saveButton(), Qt::LeftButton);
        if (d.result() != QDialog::Accepted) {
            afterFirst(d);
            QTest::mouseClick(d.saveButton(), Qt::LeftButton);
        }
        return d.result();
    };
}

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

// In a file the next Number is the highest plus 1. On a server a colleague may hold that number
// already (taken from the sequence, not yet written): the card takes the sequence's next one,
// so the colleague's row still goes in.
TEST_P(UserNoteTest, NewNoteTakesTheNextNumberOfTheUserTable)
{
    user.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (41, 1, 'jiný materiál')"));
    const bool server = GetParam() == Engine::Postgres;
    if (server) {
        const QString sequence = orv::db::serverSequence(QStringLiteral("UserNotices"));
        reader.scalar(QStringLiteral("select setval(:s, 41)"), {{QStringLiteral("s"), sequence}});
        ASSERT_EQ(reader.scalar(QStringLiteral("select nextval(:s)"), {{QStringLiteral("s"), sequence}}).toInt(), 42);
    }
    storeNote(*card, QStringLiteral("a"));
    EXPECT_EQ(reader.scalar(QStringLiteral("select NUMBER from UserNotices where MATERIALNO=2050")).toInt(), server ? 43 : 42);
    if (server)
        reader.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (42, 1, 'kolegova')"));
    EXPECT_EQ(rowsOf(1), server ? 2 : 1); // the other material's notes are untouched
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

// Two engineers on one note: what the second typed is refused when the first changed, deleted
// or added the note since the second's card read it; the text stays in the dialog, the card
// shows the colleague's note, and the second save on purpose stores the text.
TEST_P(UserNoteTest, ANoteChangedDeletedOrAddedMeanwhileIsRefusedTextKeptSecondSaveStores)
{
    const struct
    {
        const char *name;
        const char *before;    // the note as the card read it ("" none)
        const char *colleague; // what the other engineer did meanwhile
        const char *shownThen; // the card's note after the refusal
        const char *told;
    } cases[] = {
        {"changed", "původní", "update UserNotices set TEXT='kolegova' where MATERIALNO=2050", "kolegova",
         "Záznam mezitím změnil jiný uživatel"},
        {"deleted", "původní", "delete from UserNotices where MATERIALNO=2050", "", "mezitím smazal jiný uživatel"},
        {"added", "", "insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (500, 2050, 'kolegova')", "kolegova",
         "Záznam mezitím změnil jiný uživatel"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        user.exec(QStringLiteral("delete from UserNotices"));
        if (*c.before)
            user.exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (7, 2050, :t)"),
                      {{QStringLiteral("t"), QString::fromUtf8(c.before)}});
        card->load(2050);
        ASSERT_EQ(card->noteText(), QString::fromUtf8(c.before));
        reader.exec(QString::fromUtf8(c.colleague));

        MessageCatcher messages;
        if (GetParam() == Engine::Postgres && QLatin1String(c.name) == QLatin1String("changed")) {
            QDir().mkpath(QStringLiteral(ORVALIS_BINARY_DIR "/card-screens"));
            messages.shotFile = QStringLiteral(ORVALIS_BINARY_DIR "/card-screens/note-changed-meanwhile.png");
        }
        NoteActions actions;
        bool refused = false;
        actions.runDialog = saveTwiceIfRefused(QStringLiteral("moje úprava"), [&](UserNoteDialog &d) {
            refused = true;
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(d.text(), QStringLiteral("moje úprava"));
            EXPECT_EQ(card->noteText(), QString::fromUtf8(c.shownThen));
            EXPECT_EQ(storedText(2050), QString::fromUtf8(c.shownThen)); // nothing overwritten
        });
        if (*c.before)
            actions.editNote(card.get());
        else
            actions.addNote(card.get());
        EXPECT_TRUE(refused);
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].contains(QString::fromUtf8(c.told))) << messages.texts[0].toStdString();
        EXPECT_EQ(storedText(2050), QStringLiteral("moje úprava"));
        EXPECT_EQ(rowsOf(2050), 1);
        EXPECT_EQ(card->noteText(), QStringLiteral("moje úprava"));
    }
}

TEST_P(UserNoteTest, DeletingANoteChangedMeanwhileIsRefusedUntilAskedAgain)
{
    storeNote(*card, QStringLiteral("původní"));
    reader.exec(QStringLiteral("update UserNotices set TEXT='kolegova' where MATERIALNO=2050"));
    std::vector<std::string> errors;
    NoteActions actions;
    actions.confirm = [](const QString &) { return true; };
    actions.showError = [&](const QString &text) { errors.push_back(text.toStdString()); };
    actions.deleteNote(card.get());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("nebyla smazána"), std::string::npos) << errors[0];
    EXPECT_EQ(storedText(2050), QStringLiteral("kolegova"));
    EXPECT_EQ(card->noteText(), QStringLiteral("kolegova"));
    actions.deleteNote(card.get());
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(rowsOf(2050), 0);
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

// Who changed a note is the server's to say: the login and the time of the change, whatever
// the program writes into the columns.
TEST_P(UserNoteServerTest, TheCardSaysWhoChangedTheNoteAndTheMaterialAsTheServerKeepsIt)
{
    EXPECT_TRUE(card->materialStampText().isEmpty()); // a catalogue material
    storeNote(*card, QStringLiteral("poznámka"));
    card->refreshTabs();
    const QString who = reader.scalar(QStringLiteral("select session_user")).toString();
    const QString today = QDate::currentDate().toString(QStringLiteral("d. M. yyyy"));
    EXPECT_EQ(card->noteStampText().left(8 + who.size() + 5 + today.size()),
              QStringLiteral("Změnil: ") + who + QStringLiteral(" dne ") + today);
    EXPECT_FALSE(card->noteStampLabel()->isHidden());
    reader.exec(QStringLiteral("update UserNotices set ChangedBy='podvrh', ChangedAt='2001-01-01' where MATERIALNO=2050"));
    EXPECT_EQ(reader.scalar(QStringLiteral("select ChangedBy from UserNotices where MATERIALNO=2050")).toString(), who);
    EXPECT_EQ(reader.scalar(QStringLiteral("select ChangedAt > now() - interval '1 hour' from UserNotices "
                                           "where MATERIALNO=2050")).toInt(), 1);

    reader.exec(QStringLiteral("update Mat set Private='A' where Number=2050"));
    ASSERT_TRUE(card->reload());
    EXPECT_TRUE(card->materialStampText().startsWith(QStringLiteral("Změnil: ") + who)) << card->materialStampText().toStdString();
    EXPECT_FALSE(card->materialStampLabel()->isHidden());

    // Pictures for people to look at.
    const QString out = QStringLiteral(ORVALIS_BINARY_DIR "/card-screens/");
    QDir().mkpath(out);
    card->resize(900, 600);
    card->setActivePage(MaterialCard::BasicInfo);
    EXPECT_TRUE(card->grab().save(out + QStringLiteral("card-changed-by.png")));
    card->setActivePage(MaterialCard::Note);
    EXPECT_TRUE(card->grab().save(out + QStringLiteral("note-changed-by.png")));
}

// The server's session of the card killed while the note is being saved: nothing is written,
// the dialog keeps the text and says it was not saved; the next save reconnects and stores it.
TEST_P(UserNoteServerTest, ConnectionKilledDuringANoteSaveKeepsTheDialogAndWritesNothing)
{
    storeNote(*card, QStringLiteral("původní"));
    const int pid = user.scalar(QStringLiteral("select pg_backend_pid()")).toInt();
    bool kill = true;
    card->tUserNotice.hooks.beforePost = [&](orv::db::DataSet &) {
        if (std::exchange(kill, false))
            reader.exec(QStringLiteral("select pg_terminate_backend(:p, 5000)"), {{QStringLiteral("p"), pid}});
    };
    MessageCatcher messages;
    NoteActions actions;
    bool refused = false;
    actions.runDialog = saveTwiceIfRefused(QStringLiteral("nový text"), [&](UserNoteDialog &d) {
        refused = true;
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.text(), QStringLiteral("nový text"));
        EXPECT_EQ(storedText(2050), QStringLiteral("původní"));
    });
    actions.editNote(card.get());
    EXPECT_TRUE(refused);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("nebyla uložena"))) << messages.texts[0].toStdString();
    EXPECT_EQ(storedText(2050), QStringLiteral("nový text"));
    EXPECT_EQ(rowsOf(2050), 1);
    EXPECT_NE(user.scalar(QStringLiteral("select pg_backend_pid()")).toInt(), pid);
}

// The session killed while the server carries out COMMIT: whether the note was stored cannot
// be known, so it is said so, nothing is sent again, and the card shows what the server has.
TEST_P(UserNoteServerTest, ACommitWhoseAnswerIsLostIsReportedUnknownAndTheNoteReloaded)
{
    storeNote(*card, QStringLiteral("původní"));
    orv::test::makeCommitsSlow(reader, QStringLiteral("UserNotices"));
    orv::test::CommitKiller killer(conninfo, user.scalar(QStringLiteral("select pg_backend_pid()")).toInt());
    try {
        storeNote(*card, QStringLiteral("nový text"));
        ADD_FAILURE() << "the lost commit was not reported";
    } catch (const orv::db::CommitOutcomeUnknown &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("nelze zjistit, zda byla uložena"))) << e.text().toStdString();
    }
    killer.stop();
    orv::test::dropSlowCommits(reader, QStringLiteral("UserNotices"));
    // Killed inside COMMIT, the server rolled back; the card read that again by itself.
    EXPECT_EQ(storedText(2050), QStringLiteral("původní"));
    EXPECT_EQ(card->noteText(), QStringLiteral("původní"));
    EXPECT_FALSE(card->tUserNotice.isEditing());
}

} // namespace
