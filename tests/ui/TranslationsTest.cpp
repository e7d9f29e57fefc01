// Qt's own dialogs speak Czech once the program has loaded Qt's translations.

#include "ui/Translations.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLocale>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

TEST(QtTranslations, StandardButtonsAreCzech)
{
    QTranslator *translator = orv::ui::installCzechQtTranslations();
    ASSERT_NE(translator, nullptr) << "qtbase_cs.qm missing: install qt6-translations-l10n";
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Save | QDialogButtonBox::Yes);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Zrušit"));
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Ano"));
    // The file dialog of "Jiný program..." (Qt's own widget dialog).
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("&Open"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
    QDialogButtonBox english(QDialogButtonBox::Cancel);
    EXPECT_EQ(english.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
}

TEST(DisplayLocale, CzechNumbersUnlessTheUserIsCzechOrSlovakAlready)
{
    for (const QLocale &system : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        const QLocale shown = orv::ui::displayLocale(system);
        EXPECT_EQ(shown.language(), QLocale::Czech) << system.name().toStdString();
        EXPECT_EQ(shown.toString(2.5), QStringLiteral("2,5"));
    }
    const QLocale slovak(QLocale::Slovak, QLocale::Slovakia);
    EXPECT_EQ(orv::ui::displayLocale(slovak), slovak);
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    EXPECT_EQ(orv::ui::displayLocale(czech), czech);
}

} // namespace
