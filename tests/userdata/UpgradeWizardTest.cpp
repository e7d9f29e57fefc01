// The upgrade wizard driven through its buttons, offscreen: navigation, the refused folder,
// the conversion with its end page, and what the start-up reads of Setup.upgrade afterwards.
// UPGRADE_SCREENS=<folder> also saves a picture of each page there (made under Xvfb for the
// README).

#include "UserDataFixture.h"

#include "db/ParadoxTable.h"
#include "support/ParadoxWriter.h"
#include "userdata/TfUpgrade.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace orv::userdata;

namespace {

void writeSmallOldData(const QString &folder)
{
    using namespace orv::test;
    QDir().mkpath(folder);
    ASSERT_TRUE(writeParadoxTable(folder + QStringLiteral("/Mat.db"),
                                  {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 200}, {"Private", pxfAlpha, 1}},
                                  {{7L, QStringLiteral("Vlastní ocel"), QStringLiteral("A")}, {8L, QStringLiteral("S235JR"), QStringLiteral("N")}}));
    ASSERT_TRUE(writeParadoxTable(folder + QStringLiteral("/Nodes.db"),
                                  {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Text", pxfAlpha, 200}},
                                  {{1L, 7L, QStringLiteral("Vlastní ocel")}}));
    ASSERT_TRUE(writeParadoxTable(folder + QStringLiteral("/Norms.db"),
                                  {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Name", pxfAlpha, 50}, {"Label", pxfAlpha, 150},
                                   {"NameShort", pxfAlpha, 50}, {"LabelShort", pxfAlpha, 150}},
                                  {{1L, 7L, QStringLiteral("ČSN 41"), QStringLiteral("V 1"), QStringLiteral("ČSN41"), QStringLiteral("V1")},
                                   {2L, 8L, QStringLiteral("ČSN EN 10025-2"), QStringLiteral("S235JR"), QStringLiteral("ČSNEN10025-2"),
                                    QStringLiteral("S235JR")}}));
    for (const char *t : {"ChemComp", "CompareNorms"})
        ASSERT_TRUE(writeParadoxTable(folder + QLatin1Char('/') + QLatin1String(t) + QStringLiteral(".db"),
                                      {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"ElementNo", pxfLong, 4},
                                       {"MinValue", pxfNumber, 8}, {"MaxValue", pxfNumber, 8}, {"NoticeNo", pxfLong, 4},
                                       {"Name", pxfAlpha, 25}, {"Label", pxfAlpha, 25}, {"NameShort", pxfAlpha, 25},
                                       {"LabelShort", pxfAlpha, 25}, {"CountryNo", pxfLong, 4}},
                                      {}));
    ASSERT_TRUE(writeParadoxTable(folder + QStringLiteral("/Notices.db"), {{"Number", pxfLong, 4}, {"Notice", pxfAlpha, 200}}, {}));
    ASSERT_TRUE(writeParadoxTable(folder + QStringLiteral("/UserNotices.DB"),
                                  {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Text", pxfAlpha, 200}},
                                  {{1L, 8L, QStringLiteral("Poznámka 'k' oceli")}}));
}

} // namespace

class UpgradeWizard : public UserDataFixture {
protected:
    void SetUp() override
    {
        UserDataFixture::SetUp();
        standard = root + QStringLiteral("ZEB 2.0");
        other = root + QStringLiteral("jinde/ZEB");
        writeSmallOldData(other + QStringLiteral("/Data"));
        env.standardFolder = standard;
        env.dataOnMedium = [this] { return onMedium; };
        env.helpInstalled = [] { return true; };
        env.showHelp = [this](int context) { helpShown << context; };
        env.wrongFolder = [this](const QString &t) { messages << t; };
        env.conversionFailed = [this](const QString &t) { messages << t; };
        env.chooseFolder = [this](const QString &) { return chooserAnswer; };
    }
    // The upgrade flag of the row the start-up reads ("USPESNOST", else the first row).
    QString upgradeFlag() const
    {
        const QStringList r = sqlite(QStringLiteral("select ifnull(upgrade, '') from user.Setup order by (Items = 'USPESNOST') desc, rowid limit 1"));
        return r.value(0);
    }
    void shoot(TfUpgrade &w, const char *name)
    {
        const QString folder = qEnvironmentVariable("UPGRADE_SCREENS");
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        QApplication::processEvents();
        EXPECT_TRUE(w.grab().save(folder + QStringLiteral("/upgrade-%1.png").arg(QLatin1String(name))));
    }

    QString standard, other, chooserAnswer;
    int onMedium = 0;
    QList<int> helpShown;
    QStringList messages;
    UpgradeEnvironment env;
};

TEST_F(UpgradeWizard, FolderPageRefusesAWrongFolderThenConvertsAndOkSetsTheFlag)
{
    const QString flagBefore = upgradeFlag();
    ASSERT_NE(flagBefore, QStringLiteral("1"));
    TfUpgrade w(*own, env);
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Průvodce převodu dat ze starší verze"));
    EXPECT_EQ(w.page(), TfUpgrade::QuestionPage);
    EXPECT_TRUE(w.noButton->isDefault());
    shoot(w, "1-question");
    w.helpButtons.first()->click();
    EXPECT_EQ(helpShown, QList<int>{31});

    // No data at the standard place: the folder page, starting at the root.
    w.yesButton->click();
    ASSERT_EQ(w.page(), TfUpgrade::FolderPage);
    EXPECT_EQ(w.chosenFolder(), QDir::rootPath());
    // A folder without the old notes is refused with the message, and the page stays.
    chooserAnswer = root + QStringLiteral("jinde");
    w.browseButton->click();
    w.folderConvertButton->click();
    ASSERT_EQ(messages, QStringList{TfUpgrade::wrongFolderMessage()});
    EXPECT_EQ(w.page(), TfUpgrade::FolderPage);
    // Entering the installation folder through the folder list.
    QListWidgetItem *zeb = nullptr;
    for (int i = 0; i < w.folders->count(); ++i)
        if (w.folders->item(i)->text() == QStringLiteral("ZEB"))
            zeb = w.folders->item(i);
    ASSERT_NE(zeb, nullptr);
    emit w.folders->itemActivated(zeb);
    EXPECT_EQ(w.chosenFolder(), other);
    EXPECT_EQ(w.folderText->text(), QDir::toNativeSeparators(other));
    shoot(w, "2-folder");
    w.folderConvertButton->click();
    ASSERT_EQ(w.page(), TfUpgrade::ConversionPage);
    EXPECT_EQ(w.oldDataFolder(), other + QStringLiteral("/Data"));
    EXPECT_EQ(w.progressText->text(), QStringLiteral("Převod uživatelských poznámek k materiálům"));
    shoot(w, "3-conversion");
    // Back goes to the folder page (nothing at the standard place), and forward again.
    w.convertBackButton->click();
    EXPECT_EQ(w.page(), TfUpgrade::FolderPage);
    w.folderConvertButton->click();
    ASSERT_EQ(w.page(), TfUpgrade::ConversionPage);

    w.convertButton->click();
    ASSERT_EQ(w.page(), TfUpgrade::FinishedPage) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w.progressText->text(), QStringLiteral("Převod uživatelských poznámek k materiálům"));
    EXPECT_EQ(w.progressBar->value(), w.progressBar->maximum());
    EXPECT_EQ(w.conversionResult().materials, 1);
    EXPECT_EQ(w.conversionResult().notes, 1);
    EXPECT_TRUE(w.summary->text().contains(QStringLiteral("Převedeno poznámek k materiálům: 1")));
    shoot(w, "4-finished");
    EXPECT_EQ(upgradeFlag(), flagBefore) << "only OK sets the flag";
    w.okButton->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(upgradeFlag(), QStringLiteral("1"));
    EXPECT_EQ(count(QStringLiteral("select 1 from user.UserNotices where Text = 'Poznámka ''k'' oceli'")), 1);
}

TEST_F(UpgradeWizard, DataAtTheStandardPlaceSkipsTheFolderPageAndTheMediumStillTakesOwnMaterials)
{
    writeSmallOldData(standard + QStringLiteral("/DATA"));
    onMedium = 1;
    const QString ownBefore = sqlite(QStringLiteral("select count(*) from Mat where Private='A'")).value(0);
    TfUpgrade w(*own, env);
    EXPECT_EQ(w.chosenFolder(), standard);
    w.yesButton->click();
    ASSERT_EQ(w.page(), TfUpgrade::ConversionPage);
    w.convertBackButton->click();
    EXPECT_EQ(w.page(), TfUpgrade::QuestionPage);
    w.yesButton->click();
    w.convertButton->click();
    ASSERT_EQ(w.page(), TfUpgrade::FinishedPage) << messages.join(QLatin1Char('\n')).toStdString();
    // Own materials live in the user database, which the catalogue on the medium does not
    // concern: they come over as well.
    EXPECT_EQ(w.conversionResult().materials, 1);
    EXPECT_EQ(w.conversionResult().notes, 1);
    EXPECT_EQ(sqlite(QStringLiteral("select count(*) from Mat where Private='A'")).value(0).toInt(), ownBefore.toInt() + 1);
}

TEST_F(UpgradeWizard, ClosingOnTheFirstPageSetsTheFlagOnlyWithTheBoxTicked)
{
    const QString flagBefore = upgradeFlag();
    {
        TfUpgrade w(*own, env);
        w.show();
        w.noButton->click();
        EXPECT_EQ(w.result(), QDialog::Rejected);
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(upgradeFlag(), flagBefore) << "the wizard is offered again at the next start";
    {
        TfUpgrade w(*own, env);
        w.show();
        w.dontShowAgain->setChecked(true);
        // Any way of closing counts: here the window's Escape.
        QTest::keyClick(&w, Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(upgradeFlag(), QStringLiteral("1"));
}

TEST_F(UpgradeWizard, AFailedConversionIsReportedAndTheWizardStaysOnItsPage)
{
    QFile::remove(other + QStringLiteral("/Data/Norms.db"));
    TfUpgrade w(*own, env);
    chooserAnswer = other;
    w.yesButton->click();
    w.browseButton->click();
    w.folderConvertButton->click();
    ASSERT_EQ(w.page(), TfUpgrade::ConversionPage);
    w.convertButton->click();
    EXPECT_EQ(w.page(), TfUpgrade::ConversionPage);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QStringLiteral("chybí tabulka norms.DB"))) << messages.first().toStdString();
    EXPECT_TRUE(w.convertButton->isEnabled());
    EXPECT_TRUE(w.convertCloseButton->isEnabled());
}
