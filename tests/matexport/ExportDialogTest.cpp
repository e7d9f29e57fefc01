// The dialog "Export pro výpočty" over a loaded card: it starts on the card's mechanical row
// (and leaves the card's grids where they stood), lists what the catalogue lacks for the
// chosen content and writes exactly what it lists as its result.
#include "MatExportFixture.h"
#include "browse/MaterialCard.h"
#include "matexport/ExportDialog.h"
#include "support/FindChild.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <gtest/gtest.h>

using namespace orv::matexport;
using orv::test::child;

namespace {

class ExportDialogOnCard : public orv::test::MatExportTest
{
protected:
    static QStringList listed(const ExportDialog &d)
    {
        QStringList out;
        for (int i = 0; i < d.missingList()->count(); ++i)
            out << d.missingList()->item(i)->text();
        return out;
    }
};

TEST_F(ExportDialogOnCard, StartsOnTheCardsRowAndLeavesTheCardWhereItWas)
{
    orv::browse::MaterialCard card(env);
    card.load(2142); // 42CrMo4
    card.positionCard(card.qSemiProd.value(QStringLiteral("Number")).toInt(),
                      card.qDimens.valueAt(2, QStringLiteral("Number")).toInt(),
                      card.qStates.value(QStringLiteral("Number")).toInt());
    const QVariant dimension = card.qDimens.value(QStringLiteral("Number"));
    const MaterialData data = readMaterialData(card);
    EXPECT_EQ(card.qDimens.value(QStringLiteral("Number")), dimension);
    ASSERT_EQ(data.currentMechRow, 2);
    EXPECT_EQ(data.mechanical.at(2).dimensionText, QStringLiteral("40 - 100"));
    // Every row of the card: +QT with five dimension ranges, +A with one.
    EXPECT_EQ(data.mechanical.size(), 6);

    ExportDialog d({{data, data.currentMechRow}});
    EXPECT_EQ(child<QComboBox>(d, "cbPolotovarStavRozmer")->currentIndex(), 2);
    // The catalogue gives 42CrMo4 no physical properties: all listed, none written.
    QStringList missing = listed(d);
    for (const char *q : {"Hustota", "Modul pružnosti v tahu", "Poissonovo číslo", "Součinitel délkové teplotní roztažnosti"})
        EXPECT_TRUE(missing.contains(QString::fromUtf8(q))) << q;
    EXPECT_FALSE(QString::fromUtf8(d.exportResult().bytes).contains(QStringLiteral("\n*ELASTIC\n")));
    // Without the physical properties nothing of them is missing; the plastic curve then
    // cannot go out without *ELASTIC, which is said.
    child<QCheckBox>(d, "cbFyzikalni")->setChecked(false);
    child<QCheckBox>(d, "cbPlastic")->setChecked(true);
    missing = listed(d);
    EXPECT_FALSE(missing.contains(QStringLiteral("Hustota")));
    EXPECT_TRUE(missing.contains(QStringLiteral("*PLASTIC vynechán: bez *ELASTIC jej řešič nepřijme")));
    // The plastic curve belongs to the solver card only.
    child<QRadioButton>(d, "rbCsv")->setChecked(true);
    EXPECT_FALSE(child<QCheckBox>(d, "cbPlastic")->isEnabled());
    EXPECT_FALSE(d.options().plastic);

    // "Uložit..." writes the shown result into the chosen file.
    const QString file = root + QStringLiteral("42CrMo4.csv");
    d.askFile = [&](QWidget *, const QString &suggested, Format f) {
        EXPECT_EQ(f, Format::Csv);
        EXPECT_EQ(suggested, QStringLiteral("M_42CrMo4.csv"));
        return file;
    };
    child<QPushButton>(d, "btUlozit")->click();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), d.exportResult().bytes);
    EXPECT_EQ(d.QDialog::result(), QDialog::Accepted);
}

TEST_F(ExportDialogOnCard, AValueTheUserTypesFillsOnlyWhatTheCatalogueLacks)
{
    // X5CrNi18-10 lacks Poisson's ratio, so *ELASTIC stays out until the user gives it.
    orv::browse::MaterialCard card(env);
    card.load(7562);
    ExportDialog d({{readMaterialData(card), 0}});
    QStringList shown;
    d.showMessage = [&](const QString &t) { shown << t; };
    EXPECT_TRUE(listed(d).contains(QStringLiteral("Poissonovo číslo")));
    auto *quantity = child<QComboBox>(d, "cbDoplnitVelicinu");
    auto *value = child<QLineEdit>(d, "eDoplnitHodnotu");
    quantity->setCurrentIndex(quantity->findText(QStringLiteral("Poissonovo číslo")));
    value->setText(QStringLiteral("0,3x"));
    child<QPushButton>(d, "btDoplnit")->click();
    EXPECT_EQ(shown, QStringList{QStringLiteral("„0,3x“ není číslo.")});
    EXPECT_EQ(value->text(), QStringLiteral("0,3x")); // kept for correcting
    value->setText(QStringLiteral("0,3"));
    child<QPushButton>(d, "btDoplnit")->click();
    EXPECT_FALSE(listed(d).contains(QStringLiteral("Poissonovo číslo")));
    const QString inp = QString::fromUtf8(d.exportResult().bytes);
    EXPECT_TRUE(inp.contains(QStringLiteral("*ELASTIC\n200000, 0.3, 20\n"))) << inp.toStdString();
    EXPECT_TRUE(inp.contains(QStringLiteral("zadal uživatel")));
    // A typed density never replaces the catalogue's 7900 kg/m3.
    quantity->setCurrentIndex(quantity->findText(QStringLiteral("Hustota")));
    value->setText(QStringLiteral("1000"));
    child<QPushButton>(d, "btDoplnit")->click();
    EXPECT_TRUE(QString::fromUtf8(d.exportResult().bytes).contains(QStringLiteral("*DENSITY\n7.9e-09, 20\n")));
    EXPECT_TRUE(d.exportResult().notes.contains(QStringLiteral("Zadaná hodnota veličiny Hustota nepoužita: katalog ji uvádí.")));
}

TEST_F(ExportDialogOnCard, ExportDialogScreenshot)
{
    orv::browse::MaterialCard card(env);
    card.load(7562); // X5CrNi18-10: temperature rows, no Poisson's ratio
    const MaterialData data = readMaterialData(card);
    ExportDialog d({{data, 0}});
    child<QCheckBox>(d, "cbPlastic")->setChecked(true);
    d.show();
    const QString dir = QStringLiteral(ORVALIS_BINARY_DIR "/export-screens");
    QDir().mkpath(dir);
    EXPECT_TRUE(d.grab().save(dir + QStringLiteral("/export-dialog.png")));
}

} // namespace
