// Pictures of a card of C45 (material 2050 of the demo catalogue) on its composition and its
// mechanical-properties pages, for people to look at: written to <build>/card-screens/.
// The checks make sure the pictures show a loaded card.

#include "browse/MaterialCard.h"
#include "support/CardSessions.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTableView>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace orv::browse;

TEST(MaterialCardScreenshots, C45OnCompositionAndMechanicalPages)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const QString program = QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/");
    orv::test::CardSessions sessions;
    sessions.openSessions(program + QStringLiteral("data/"));
    const QString out = QStringLiteral(ORVALIS_BINARY_DIR "/card-screens/");
    QDir().mkpath(out);
    CardEnvironment env = sessions.cardEnvironment(program, out + QStringLiteral("Zeb.ini"));
    env.pdfInstalled = [] { return true; };
    QFile::remove(env.settingsFile);

    MaterialCard card(env);
    card.setAttribute(Qt::WA_DeleteOnClose, false);
    card.setTitle(QStringLiteral("C45 (12 050)"));
    card.resize(1100, 640);
    card.load(2050);
    card.show();
    EXPECT_EQ(card.nameLabel()->text(), QStringLiteral("Ocel k zušlechťování nelegovaná C45"));
    EXPECT_EQ(card.compositionGrid()->item(0, 0)->text(), QStringLiteral("Uhlík"));
    EXPECT_EQ(card.compositionGrid()->item(0, card.compositionGrid()->columnCount() - 1)->text(), QStringLiteral("Zbytek"));
    EXPECT_GT(card.propertiesGrid()->model()->rowCount(), 0);

    card.setActivePage(MaterialCard::BasicInfo);
    const QImage basic = card.grab().toImage();
    EXPECT_TRUE(basic.save(out + QStringLiteral("card-composition.png")));
    card.setActivePage(MaterialCard::MechProperties);
    const QImage mech = card.grab().toImage();
    EXPECT_TRUE(mech.save(out + QStringLiteral("card-mechanical.png")));
    EXPECT_NE(basic, mech);
}
