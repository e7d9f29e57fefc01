// A material card and the printouts of its material over a copy of the demo catalogue: the
// printouts list the composition in the card's order, and a card whose table is missing
// from the catalogue says so in Czech instead of blaming the memory.

#include "MainWindowFixture.h"
#include "app/MainWindow.h"
#include "browse/CardList.h"
#include "browse/MaterialCard.h"
#include "db/Connection.h"
#include "printouts/PrintDialogs.h"
#include "report/ui/ReportUi.h"
#include "support/DemoDataModules.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CardDataTest : public orv::test::MainWindowOnDemoTest
{
protected:
    void openFrame()
    {
        showFrame();
        w->cardList()->showInformation = [this](const QString &t) { messages << t; };
        w->cardList()->showError = [this](const QString &t) { messages << t; };
        w->cardList()->showPlainError = [this](const QString &t) { plainMessages << t; };
    }
    QStringList messages, plainMessages;
};

// C45 (12 050) has a balance element in the demo catalogue; the others check the order too.
TEST_F(CardDataTest, PrintoutsListTheCompositionInTheCardsOrder)
{
    openFrame();
    orv::InstallReportUi();
    // Materials with a balance element and several composition rows.
    QList<int> materials;
    orv::db::Statement st(data->catalogueSession(),
                          QStringLiteral("select z.MaterialNo from ChemZbytek z join ChemComp c on c.MaterialNo = z.MaterialNo "
                                         "join Nodes n on n.MaterialNo = z.MaterialNo "
                                         "group by z.MaterialNo having count(distinct c.Number) >= 3 order by z.MaterialNo limit 3"));
    while (st.step())
        materials << st.value(0).toInt();
    ASSERT_GE(materials.size(), 2);
    int checked = 0;
    for (int material : materials) {
        w->openCard(material, QStringLiteral("materiál %1").arg(material));
        auto *card = qobject_cast<orv::browse::MaterialCard *>(w->currentCard()->widget());
        ASSERT_NE(card, nullptr);
        ASSERT_EQ(card->materialNo(), material);
        // The card: one column per element, the balance element last under "Zbytek".
        QStringList shown;
        const QTableWidget *grid = card->compositionGrid();
        for (int c = 0; c < grid->columnCount(); ++c) {
            const QString title = grid->item(0, c) ? grid->item(0, c)->text() : QString();
            if (title == QLatin1String("Zbytek"))
                shown << grid->item(1, c)->text();
            else if (!title.isEmpty())
                shown << title;
        }
        ASSERT_GE(shown.size(), 4) << material;
        orv::printouts::PrintEnvironment env;
        env.catalogue = &data->catalogueSession();
        env.programDir = QStringLiteral(ORVALIS_SOURCE_DIR);
        env.materialNo = material;
        env.physical = &card->qFyzProp;
        env.heatTreatment = &card->qTempProc;
        for (int kind = 0; kind < 2; ++kind) {
            std::unique_ptr<orv::printouts::TfPrintBase> dialog;
            if (kind == 0)
                dialog = std::make_unique<orv::printouts::TfPrintInfo>(env);
            else
                dialog = std::make_unique<orv::printouts::TfPrintInfoMech>(env);
            orv::db::DataSet *chem = dialog->dataSet(QStringLiteral("qChemComp"));
            ASSERT_NE(chem, nullptr);
            QStringList printed;
            for (chem->first(); !chem->eof(); chem->next())
                printed << chem->findField(QStringLiteral("Name"))->value().toString();
            EXPECT_EQ(printed, shown) << material << " kind " << kind;
        }
        ++checked;
    }
    EXPECT_EQ(checked, materials.size());
}

TEST_F(CardDataTest, AMissingTableIsNamedWithItsFileInCzech)
{
    data.reset();
    {
        orv::db::Connection raw(QStringLiteral("drop-tempproc"));
        raw.openFile(root + QStringLiteral("data/catalogue.sqlite"));
        raw.exec(QStringLiteral("drop table TempProc"));
    }
    data = std::make_unique<orv::db::MainDataModule>(root, root);
    openFrame();
    w->openCard(2050, QStringLiteral("C45 (12 050)"));
    QApplication::processEvents();
    ASSERT_EQ(messages.size(), 1);
    const QString text = messages.constFirst();
    EXPECT_TRUE(plainMessages.isEmpty()); // not the English "Error" dialog
    EXPECT_FALSE(text.contains(QStringLiteral("Málo paměti")));
    EXPECT_TRUE(text.contains(QStringLiteral("chybí tabulka TempProc"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("catalogue.sqlite"))) << text.toStdString();
    EXPECT_EQ(w->openCardCount(), 0);
}

} // namespace
