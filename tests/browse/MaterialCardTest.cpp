// The material card over a small catalogue written by the test: cell texts of the ranges and
// of the composition, the grids and their headings, page visibility, economy mode, positioning
// on a search hit, and the panel sizes and active page kept in the settings file.

#include "browse/MaterialCard.h"
#include "browse/MaterialCardCells.h"
#include "db/Connection.h"
#include "db/DatabaseFiles.h"
#include "support/CardSessions.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGraphicsEffect>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace orv::browse;
using orv::db::Connection;
using orv::db::Database;

namespace {

const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);

TEST(MaterialCardCells, RangeTextFollowsWhichBoundsAreKnown)
{
    EXPECT_EQ(rangeText(10, QVariant(), czech), QStringLiteral(">= 10"));
    EXPECT_EQ(rangeText(QVariant(), 250, czech), QStringLiteral("<= 250"));
    EXPECT_EQ(rangeText(16, 40, czech), QStringLiteral("16 - 40"));
    EXPECT_EQ(rangeText(840, 840, czech), QStringLiteral("840")); // equal bounds are one value
    EXPECT_EQ(withUnit(QStringLiteral("650 - 800"), QStringLiteral("MPa")), QStringLiteral("650 - 800 MPa"));
    EXPECT_EQ(withUnit(QString(), QStringLiteral("MPa")), QString());
    EXPECT_EQ(withUnit(QStringLiteral(">= 10"), QString()), QStringLiteral(">= 10"));
    EXPECT_EQ(rangeText(QVariant(), QVariant(), czech), QString());
    EXPECT_EQ(rangeText(0.15, 0.2, czech), QStringLiteral("0,15 - 0,2"));
    // A zero is a known bound, not a missing one.
    EXPECT_EQ(rangeText(0, QVariant(), czech), QStringLiteral(">= 0"));
    EXPECT_EQ(rangeText(QStringLiteral(""), 5, czech), QStringLiteral("<= 5"));
}

TEST(MaterialCardCells, CompositionColumnsShowMaxMinRangesAndTheBalance)
{
    const std::vector<CompositionRow> rows = {
        {QStringLiteral("C"), 0.42, 0.5},
        {QStringLiteral("P"), QVariant(), 0.5},
        {QStringLiteral("Cr"), 0.9, QVariant()},
        {QStringLiteral("B"), QVariant(), QVariant()},
    };
    const auto cols = compositionColumns(rows, QStringLiteral("Fe"), czech);
    ASSERT_EQ(cols.size(), 5u);
    EXPECT_EQ(cols[0], (CompositionColumn{QStringLiteral("C"), QStringLiteral("0,42"), QStringLiteral("0,5")}));
    EXPECT_EQ(cols[1], (CompositionColumn{QStringLiteral("P"), QStringLiteral("max"), QStringLiteral("0,5")}));
    EXPECT_EQ(cols[2], (CompositionColumn{QStringLiteral("Cr"), QStringLiteral("min"), QStringLiteral("0,9")}));
    EXPECT_EQ(cols[3], (CompositionColumn{QStringLiteral("B"), QStringLiteral("min"), QString()}));
    EXPECT_EQ(cols[4], (CompositionColumn{QStringLiteral("Zbytek"), QStringLiteral("Fe"), QString()}));
    // Without a balance row there is no "Zbytek" column.
    EXPECT_EQ(compositionColumns(rows, QVariant(), czech).size(), 4u);
}

// A catalogue of three materials:
//   1 "Ocel A": composition with a balance, one semi-product with two states and dimensions,
//     properties at temperatures, equivalents, no PdfFile;
//   2 "Ocel B": PdfFile "B" with its sheet and diagram files, nothing else;
//   3 "Ocel C": PdfFile "C" with a sheet only.
class SmallCatalogue : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(czech);
        ASSERT_TRUE(dir.isValid());
        root = dir.path() + QStringLiteral("/");
        QDir().mkpath(root + QStringLiteral("data/pdf"));
        const QString catFile = root + QStringLiteral("data/catalogue.sqlite");
        const QString userFile = root + QStringLiteral("data/user.sqlite");
        orv::db::createDatabaseFiles(catFile, userFile);
        sessions.openSessions(root + QStringLiteral("data/"));
        cat.exec(QStringLiteral(
            "insert into Mat (Number, Name, PdfFile, Purpose, Purpose1, NoticeNo) values "
            "(1, 'Ocel A', '', 'Hřídele, ', 'čepy.', 1), (2, 'Ocel B', 'B', '', '', null), (3, 'Ocel C', 'C', '', '', null);"
            "insert into Notices (Number, Notice) values (1, 'Poznámka k materiálu'), (2, 'po žíhání'), (3, 'zkouška');"
            "insert into Norms (Number, Name, Label, MaterialNo) values (1, 'ČSN 41 2050', '12 050', 1);"
            "insert into Country (Number, Name) values (1, 'Německo'), (2, 'USA');"
            "insert into CompareNorms (Number, Name, Label, MaterialNo, CountryNo) values "
            "(1, 'W.Nr.', '1.0503', 1, 1), (2, 'AISI', '1045', 1, 2);"
            "insert into Elements (Number, Name, Label) values (1, 'C', 'C'), (2, 'P', 'P'), (3, 'Cr', 'Cr'), (4, 'Fe', 'Fe');"
            "insert into ChemComp (Number, MaterialNo, ElementNo, MinValue, MaxValue) values "
            "(1, 1, 1, 0.42, 0.5), (2, 1, 2, null, 0.5), (3, 1, 3, 0.9, null);"
            "insert into ChemZbytek (Number, MaterialNo, ElementNo) values (1, 1, 4);"
            "insert into SemTypes (Number, GroupNo, Name) values (1, 1, 'Tyče'), (2, 2, 'Válcováno za tepla');"
            "insert into SemiProd (Number, MaterialNo, Group1No, Group2No, NoticeNo) values (10, 1, 1, 2, null);"
            "insert into StTypes (Number, Code, Name) values (1, 'N', '+N'), (2, 'QT', '+QT');"
            "insert into States (Number, SemiPrNo, StateNo) values (20, 10, 1), (21, 10, 2);"
            "insert into Dimens (Number, StateNo, FromValue, ToValue, NoticeNo) values "
            "(30, 20, 10, null, 2), (31, 20, null, 16, null), (32, 21, 16, 40, null);"
            "insert into MechProp (Number, DimensionNo, PropertyNo, NoticeNo) values (40, 30, 1, null), (41, 32, 1, null);"
            "insert into Temps (Number, PropertyNo, NoticeNo, Temperature, TempMinValue, TempMaxValue) values "
            "(50, 40, 3, 20, 620, null), (51, 41, null, 20, 650, 800);"
            "insert into Proc (Number, Name) values (1, 'Kalení');"
            "insert into TempProc (Number, MaterialNo, ProcNo, MinValue, MaxValue, Cool, Stand) values "
            "(1, 1, 1, 820, 860, 'voda', '30 min');"));
        user.exec(QStringLiteral("insert into PropType (Number, Name, Code, Measure) values (1, 'Mez pevnosti Rm', 'Rm', 'MPa');"));
        writeFile(root + QStringLiteral("data/pdf/B.pdf"));
        writeFile(root + QStringLiteral("data/pdf/B D.pdf"));
        writeFile(root + QStringLiteral("data/pdf/C.pdf"));

        env = sessions.cardEnvironment(root, root + QStringLiteral("Zeb.ini"));
        env.economyMode = [this] { return economy; };
        env.autoSave = [] { return true; };
        env.pdfInstalled = [this] { return pdfInstalled; };
    }

    static void writeFile(const QString &path)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.4\n");
    }

    std::unique_ptr<MaterialCard> card(int material)
    {
        auto c = std::make_unique<MaterialCard>(env);
        c->setAttribute(Qt::WA_DeleteOnClose, false);
        c->load(material);
        return c;
    }

    static QStringList headings(QTableView *view)
    {
        QStringList out;
        for (int c = 0; c < view->model()->columnCount(); ++c)
            out << view->model()->headerData(c, Qt::Horizontal).toString();
        return out;
    }
    static QString cell(QTableView *view, int row, int column)
    {
        return view->model()->index(row, column).data().toString();
    }

    QTemporaryDir dir;
    QString root;
    orv::test::CardSessions sessions;
    Connection &cat = sessions.cat;
    Connection &user = sessions.user;
    CardEnvironment env;
    bool economy = false;
    bool pdfInstalled = true;
};

TEST_F(SmallCatalogue, HeadingCompositionPurposeAndNote)
{
    auto c = card(1);
    EXPECT_EQ(c->nameLabel()->text(), QStringLiteral("Ocel A"));
    EXPECT_EQ(c->normLabel()->text(), QStringLiteral("ČSN 41 2050"));
    EXPECT_EQ(c->designationLabel()->text(), QStringLiteral("12 050"));
    QTableWidget *g = c->compositionGrid();
    ASSERT_EQ(g->rowCount(), 3);
    ASSERT_EQ(g->columnCount(), 4);
    auto text = [g](int r, int col) { return g->item(r, col) ? g->item(r, col)->text() : QString(); };
    EXPECT_EQ(text(0, 1), QStringLiteral("P"));
    EXPECT_EQ(text(1, 1), QStringLiteral("max"));
    EXPECT_EQ(text(2, 1), QStringLiteral("0,5"));
    EXPECT_EQ(text(1, 2), QStringLiteral("min"));
    EXPECT_EQ(text(0, 3), QStringLiteral("Zbytek"));
    EXPECT_EQ(text(1, 3), QStringLiteral("Fe"));
    EXPECT_EQ(c->findChild<QWidget *>(QStringLiteral("purpose"))->property("plainText").toString(),
              QStringLiteral("Hřídele, čepy."));
    EXPECT_EQ(c->findChild<QWidget *>(QStringLiteral("materialNotice"))->property("plainText").toString(),
              QStringLiteral("Poznámka k materiálu"));
}

TEST_F(SmallCatalogue, MechanicalGridsFollowTheCurrentRowsWithTheirHeadings)
{
    auto c = card(1);
    EXPECT_EQ(headings(c->semiProductGrid()),
              (QStringList{"Skupina 1", "Skupina 2", "Skupina 3", "Skupina 4", "Poznámka"}));
    EXPECT_EQ(headings(c->statesGrid()), (QStringList{"Název", "Poznámka"}));
    EXPECT_EQ(headings(c->dimensionsGrid()), (QStringList{"Rozměr", "Poznámka"}));
    EXPECT_EQ(headings(c->propertiesGrid()),
              (QStringList{QStringLiteral("Mechanická vlastnost"), QStringLiteral("Teplota [°C]"),
                           QStringLiteral("Hodnota"), QStringLiteral("Poznámka k vlastnosti"),
                           QStringLiteral("Poznámka k hodnotě")}));
    EXPECT_EQ(headings(c->equivalentsGrid()), (QStringList{"Název", "Značka", "Stát"}));
    EXPECT_EQ(headings(c->heatTreatmentGrid()),
              (QStringList{QStringLiteral("Název"), QStringLiteral("Min. hodnota [°C]"), QStringLiteral("Max. hodnota [°C]"),
                           QStringLiteral("Výdrž"), QStringLiteral("Ochlazování"), QStringLiteral("Poznámka")}));

    EXPECT_EQ(cell(c->semiProductGrid(), 0, 0), QStringLiteral("Tyče"));
    EXPECT_EQ(cell(c->statesGrid(), 0, 0), QStringLiteral("+N"));
    EXPECT_EQ(cell(c->dimensionsGrid(), 0, 0), QStringLiteral(">= 10"));
    EXPECT_EQ(cell(c->dimensionsGrid(), 0, 1), QStringLiteral("po žíhání"));
    EXPECT_EQ(cell(c->dimensionsGrid(), 1, 0), QStringLiteral("<= 16"));
    EXPECT_EQ(cell(c->propertiesGrid(), 0, 0), QStringLiteral("Mez pevnosti Rm"));
    EXPECT_EQ(cell(c->propertiesGrid(), 0, 2), QStringLiteral(">= 620 MPa")); // with its property's unit
    EXPECT_EQ(cell(c->propertiesGrid(), 0, 4), QStringLiteral("zkouška")); // the note of the Temps row
    EXPECT_EQ(cell(c->heatTreatmentGrid(), 0, 3), QStringLiteral("voda"));
    EXPECT_EQ(cell(c->equivalentsGrid(), 1, 2), QStringLiteral("USA"));

    // Choosing the second state in its grid reloads the dimensions and properties below it.
    c->statesGrid()->setCurrentIndex(c->statesGrid()->model()->index(1, 0));
    ASSERT_EQ(c->dimensionsGrid()->model()->rowCount(), 1);
    EXPECT_EQ(cell(c->dimensionsGrid(), 0, 0), QStringLiteral("16 - 40"));
    EXPECT_EQ(cell(c->propertiesGrid(), 0, 2), QStringLiteral("650 - 800 MPa"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the busy cursor went again
}

TEST_F(SmallCatalogue, PagesShownByWhatTheMaterialHas)
{
    auto a = card(1);
    EXPECT_TRUE(a->isPageVisible(MaterialCard::BasicInfo));
    EXPECT_TRUE(a->isPageVisible(MaterialCard::MechProperties));
    EXPECT_TRUE(a->isPageVisible(MaterialCard::Equivalents));
    EXPECT_TRUE(a->isPageVisible(MaterialCard::HeatTreatment));
    EXPECT_FALSE(a->isPageVisible(MaterialCard::PhysProperties));
    EXPECT_FALSE(a->isPageVisible(MaterialCard::Note));
    // No PdfFile: neither the sheet nor the diagrams.
    EXPECT_FALSE(a->isPageVisible(MaterialCard::MaterialSheet));
    EXPECT_FALSE(a->isPageVisible(MaterialCard::Diagrams));
    EXPECT_TRUE(a->property("hasEquivalents").toBool());
    EXPECT_TRUE(a->property("hasHeatTreatment").toBool());

    auto b = card(2);
    EXPECT_FALSE(b->isPageVisible(MaterialCard::MechProperties));
    EXPECT_FALSE(b->isPageVisible(MaterialCard::Equivalents));
    EXPECT_TRUE(b->isPageVisible(MaterialCard::MaterialSheet));
    EXPECT_TRUE(b->isPageVisible(MaterialCard::Diagrams));
    EXPECT_EQ(b->property("pdfFile").toString(), QStringLiteral("B"));

    auto c = card(3); // a sheet without a diagram file
    EXPECT_TRUE(c->isPageVisible(MaterialCard::MaterialSheet));
    EXPECT_FALSE(c->isPageVisible(MaterialCard::Diagrams));

    pdfInstalled = false; // the "Pdf" component is not installed
    auto b2 = card(2);
    EXPECT_FALSE(b2->isPageVisible(MaterialCard::MaterialSheet));
    EXPECT_TRUE(b2->isPageVisible(MaterialCard::Diagrams));
}

TEST_F(SmallCatalogue, EconomyModeShowsOnlyTheButtonUntilItIsPressed)
{
    economy = true;
    auto c = card(1);
    c->show();
    EXPECT_TRUE(c->isPageVisible(MaterialCard::MechProperties));
    c->setActivePage(MaterialCard::MechProperties);
    EXPECT_FALSE(c->mechanicalLoaded());
    EXPECT_TRUE(c->economyButton()->isVisible());
    EXPECT_EQ(c->economyButton()->text(), QStringLiteral("Zobrazit mechanické vlastnosti..."));
    EXPECT_FALSE(c->semiProductPanel()->isVisible());
    EXPECT_FALSE(c->statesPanel()->isVisible());
    EXPECT_FALSE(c->propertiesGrid()->isVisible());

    // A material with no mechanical data still shows the page in economy mode.
    auto b = card(2);
    EXPECT_TRUE(b->isPageVisible(MaterialCard::MechProperties));

    QTest::mouseClick(c->economyButton(), Qt::LeftButton);
    EXPECT_TRUE(c->mechanicalLoaded());
    EXPECT_FALSE(c->economyButton()->isVisible());
    EXPECT_TRUE(c->semiProductPanel()->isVisible());
    EXPECT_TRUE(c->statesPanel()->isVisible());
    EXPECT_EQ(cell(c->semiProductGrid(), 0, 0), QStringLiteral("Tyče"));
    EXPECT_EQ(cell(c->dimensionsGrid(), 0, 0), QStringLiteral(">= 10"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // A later refresh (a note added, say) leaves the loaded grids in place.
    c->refreshTabs();
    EXPECT_TRUE(c->semiProductPanel()->isVisible());
    EXPECT_FALSE(c->economyButton()->isVisible());
}

TEST_F(SmallCatalogue, AFailureBehindTheEconomyButtonIsShownAndTheButtonStays)
{
    economy = true;
    QStringList errors;
    env.showError = [&errors](const QString &t) { errors << t; };
    auto c = card(1);
    c->show();
    c->setActivePage(MaterialCard::MechProperties);
    cat.exec(QStringLiteral("drop table Dimens"));
    QTest::mouseClick(c->economyButton(), Qt::LeftButton);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains(QStringLiteral("Dimens"))) << errors.first().toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(c->economyButton()->isVisible());
    EXPECT_FALSE(c->mechanicalLoaded());
}

TEST_F(SmallCatalogue, PositionCardSelectsTheSearchHit)
{
    auto c = card(1);
    c->positionCard(10, 32, 21);
    EXPECT_EQ(c->activePage(), MaterialCard::MechProperties);
    EXPECT_EQ(c->qStates.value(QStringLiteral("Number")).toInt(), 21);
    EXPECT_EQ(c->qDimens.value(QStringLiteral("Number")).toInt(), 32);
    EXPECT_EQ(c->statesGrid()->currentIndex().row(), 1);
    EXPECT_EQ(cell(c->propertiesGrid(), 0, 2), QStringLiteral("650 - 800 MPa"));

    // A zero among the three leaves the card as it is.
    c->setActivePage(MaterialCard::BasicInfo);
    c->positionCard(10, 0, 20);
    EXPECT_EQ(c->activePage(), MaterialCard::BasicInfo);
    EXPECT_EQ(c->qStates.value(QStringLiteral("Number")).toInt(), 21);

    // In economy mode the hit loads the mechanical data first.
    economy = true;
    auto e = card(1);
    e->positionCard(10, 32, 21);
    EXPECT_TRUE(e->mechanicalLoaded());
    EXPECT_EQ(e->qDimens.value(QStringLiteral("Number")).toInt(), 32);
}

TEST_F(SmallCatalogue, PanelSizesAndActivePageAreKeptInSectionMaterial)
{
    {
        auto c = card(1);
        EXPECT_EQ(c->panelSizes(), MaterialCard::PanelSizes());
        c->setPanelSizes({150, 250, 90, 100, 280});
        c->setActivePage(MaterialCard::Equivalents);
        c->saveSettings();
    }
    QSettings ini(env.settingsFile, QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("MATERIAL/Panel4Height")).toInt(), 150);
    EXPECT_EQ(ini.value(QStringLiteral("MATERIAL/Panel14Width")).toInt(), 280);
    EXPECT_EQ(ini.value(QStringLiteral("MATERIAL/ActivePage")).toInt(), int(MaterialCard::Equivalents));

    auto again = card(1);
    EXPECT_EQ(again->panelSizes(), (MaterialCard::PanelSizes{150, 250, 90, 100, 280}));
    EXPECT_EQ(again->activePage(), MaterialCard::Equivalents);
    again->resetPanelSizes();
    EXPECT_EQ(again->panelSizes(), (MaterialCard::PanelSizes{120, 300, 110, 110, 300}));
}

TEST_F(SmallCatalogue, ActivePageOfAHiddenPageFallsBackToAVisibleOne)
{
    {
        auto c = card(1);
        c->setActivePage(MaterialCard::HeatTreatment);
        c->saveSettings();
    }
    auto b = card(2); // has no heat treatment
    EXPECT_TRUE(b->isPageVisible(b->activePage()));
}

TEST_F(SmallCatalogue, LinkLabelLosesItsShadowAndTurnsBlueUnderTheMouse)
{
    auto c = card(1);
    QLabel *link = c->linkLabel();
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(link, &enter);
    EXPECT_FALSE(link->graphicsEffect()->isEnabled());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_TRUE(link->graphicsEffect()->isEnabled());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 128, 128));
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);
}

} // namespace
