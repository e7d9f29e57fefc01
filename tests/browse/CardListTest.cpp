// The open-card list over a copy of the demo catalogue: an open material is only brought to
// the front, at most nine cards, the messages of a refused or failed card, the settings saved
// as a card is deactivated, and the card's own names.

#include "browse/CardList.h"
#include "db/Connection.h"
#include "support/CardSessions.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace orv::browse;
using orv::db::Connection;
using orv::db::Database;

namespace {

class CardListTest : public orv::test::DemoCardTest
{
protected:
    void SetUp() override
    {
        DemoCardTest::SetUp();
        if (HasFatalFailure())
            return;
        env.economyMode = [] { return false; };
        env.autoSave = [this] { return autoSave; };
        env.pdfInstalled = [] { return true; };

        area = std::make_unique<QMdiArea>();
        area->resize(900, 700);
        area->show();
        QApplication::setActiveWindow(area.get());
        list = std::make_unique<CardList>(area.get(), env);
        list->showInformation = [this](const QString &t) { information << t; };
        list->showError = [this](const QString &t) { errors << t; };
        list->showPlainError = [this](const QString &t) { plainErrors << t; };

        orv::db::Statement s(cat, QStringLiteral("select Number from Mat order by Number"));
        while (s.step())
            materials << s.value(0).toInt();
        ASSERT_GE(materials.size(), 12);
    }
    void TearDown() override
    {
        list->closeAll();
        list.reset();
        area.reset();
    }

    bool autoSave = true;
    std::unique_ptr<QMdiArea> area;
    std::unique_ptr<CardList> list;
    QStringList information, errors, plainErrors;
    QList<int> materials;
};

TEST_F(CardListTest, AnOpenMaterialIsOnlyActivated)
{
    QSignalSpy created(list.get(), &CardList::cardCreated);
    MaterialCard *c45 = list->openCard(2050, QStringLiteral("C45 (12 050)"));
    ASSERT_NE(c45, nullptr);
    EXPECT_EQ(c45->windowTitle(), QStringLiteral("Materiál - C45 (12 050)"));
    EXPECT_EQ(created.count(), 1);
    EXPECT_EQ(created.at(0).at(1).toString(), QStringLiteral("C45 (12 050)"));
    MaterialCard *other = list->openCard(materials.first(), QStringLiteral("jiný"));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(list->currentCard(), other);
    EXPECT_EQ(list->cards(), (QList<MaterialCard *>{other, c45})); // newest first

    MaterialCard *again = list->openCard(2050, QStringLiteral("C45 (12 050)"));
    EXPECT_EQ(again, c45);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(created.count(), 2);
    EXPECT_EQ(area->activeSubWindow(), list->windowOf(c45));
    EXPECT_EQ(list->currentCard(), c45);
    EXPECT_EQ(list->activeCard(), c45);
    // The help finds every card by its first name.
    EXPECT_EQ(c45->objectName(), QStringLiteral("fMaterial"));
    EXPECT_EQ(other->objectName(), QStringLiteral("fMaterial_1"));
}

TEST_F(CardListTest, NineCardsAtMostThenOneMoreAfterAClose)
{
    for (int i = 0; i < 9; ++i)
        ASSERT_NE(list->openCard(materials.at(i), QString::number(materials.at(i))), nullptr) << i;
    EXPECT_EQ(list->count(), 9);
    EXPECT_TRUE(information.isEmpty());

    EXPECT_EQ(list->openCard(materials.at(9), QStringLiteral("desátá")), nullptr);
    EXPECT_EQ(list->count(), 9);
    ASSERT_EQ(information.size(), 1);
    EXPECT_EQ(information.first(), QStringLiteral("Překročen maximální počet otevřených oken.\r\r"
                                                  "Zavřením některého otevřeného okna, budete moci otevřít jiné."));
    EXPECT_EQ(list->findCard(materials.at(9)), nullptr);
    // An open one is still brought to the front with nine open.
    EXPECT_NE(list->openCard(materials.at(3), QString()), nullptr);
    EXPECT_EQ(information.size(), 1);

    QSignalSpy closed(list.get(), &CardList::cardClosed);
    list->closeCard(list->findCard(materials.at(0)));
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(list->count(), 8);
    EXPECT_EQ(list->currentCard(), nullptr);
    EXPECT_NE(list->openCard(materials.at(9), QStringLiteral("desátá")), nullptr);
    EXPECT_EQ(list->count(), 9);
}

TEST_F(CardListTest, ALoadFailureIsReportedAndTheCardClosesAgain)
{
    cat.exec(QStringLiteral("drop table FyzProp"));
    EXPECT_EQ(list->openCard(2050, QStringLiteral("C45")), nullptr);
    EXPECT_EQ(list->count(), 0);
    // A missing table is named with its file in the Czech dialog, not blamed on the memory.
    EXPECT_TRUE(plainErrors.isEmpty());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith(QStringLiteral("Materiál nelze zobrazit: v databázi chybí tabulka FyzProp.")))
        << errors.first().toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(area->subWindowList().isEmpty());
}

TEST(CardListMessages, FailureMessageNamesTheErrorOnlyForTheTree)
{
    const QString base = QStringLiteral("Málo paměti pro otevření dalšího okna.\r\rUkončete jiné aplikace nebo zavřete jiné okno.");
    EXPECT_EQ(CardList::failureMessage(CardList::Origin::ContentsTree, QStringLiteral("x")),
              base + QStringLiteral("\r\rChyba: x"));
    EXPECT_EQ(CardList::failureMessage(CardList::Origin::SearchWindow, QStringLiteral("x")), base);
}

TEST_F(CardListTest, DeactivationSavesTheSettingsOnlyWithAutoSave)
{
    autoSave = false;
    MaterialCard *a = list->openCard(2050, QStringLiteral("C45"));
    ASSERT_NE(a, nullptr);
    a->setActivePage(MaterialCard::Equivalents);
    ASSERT_NE(list->openCard(materials.first(), QStringLiteral("b")), nullptr);
    EXPECT_FALSE(QFile::exists(env.settingsFile));

    autoSave = true;
    list->openCard(2050, QString()); // back to the first, then away again
    a->setActivePage(MaterialCard::Equivalents);
    ASSERT_NE(list->openCard(materials.at(1), QStringLiteral("c")), nullptr);
    QSettings ini(env.settingsFile, QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("MATERIAL/ActivePage")).toInt(), int(MaterialCard::Equivalents));
}

TEST_F(CardListTest, PositionGivenWithAnOpenCardMovesItToTheHit)
{
    MaterialCard *c = list->openCard(2050, QStringLiteral("C45"));
    ASSERT_NE(c, nullptr);
    // The second state of the first semi-product, and its first dimension.
    orv::db::Statement s(cat, QStringLiteral(
        "select sp.Number, st.Number, d.Number from SemiProd sp, States st, Dimens d "
        "where sp.MaterialNo=2050 and st.SemiPrNo=sp.Number and d.StateNo=st.Number order by st.Number desc, d.Number"));
    ASSERT_TRUE(s.step());
    const CardList::Position hit{s.value(0).toInt(), s.value(2).toInt(), s.value(1).toInt()};
    EXPECT_EQ(list->openCard(2050, QStringLiteral("C45"), CardList::Origin::SearchWindow, hit), c);
    EXPECT_EQ(c->activePage(), MaterialCard::MechProperties);
    EXPECT_EQ(c->qStates.value(QStringLiteral("Number")).toInt(), hit.state);
    EXPECT_EQ(c->qDimens.value(QStringLiteral("Number")).toInt(), hit.dimension);
}

} // namespace
