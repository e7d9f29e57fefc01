// The options window as the main window opens it, with the real settings behind it: the main
// window's switches, the stored search state in Zeb.ini, the search window and the success
// rate in the user database.

#include "app/MainWindow.h"
#include "app/UserDataWiring.h"
#include "core/Paths.h"
#include "search/TfHledani.h"
#include "support/DemoDataModules.h"
#include "support/FindChild.h"
#include "userdata/TfOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orv::app;

namespace {

class OptionsWiring : public orv::test::DemoDataModuleTest {};

TEST_F(OptionsWiring, StandardSettingsResetsTheRealSettingsAndTheRateIsSavedFromTheSpinBox)
{
    MainWindow w(data.get());
    w.setOwnData(own.get());
    auto *form = new orv::search::TfHledani(*data, orv::settingsFilePath());
    w.createSearchWindow(form);
    w.show();
    w.setAutoSave(false);
    w.setEconomyMode(true);
    {
        QSettings ini(orv::settingsFilePath(), QSettings::IniFormat);
        ini.setValue(orv::search::TfHledani::settingsSection() + QStringLiteral("/ActivePage"), 3);
        ini.sync();
    }

    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto *options = qobject_cast<orv::userdata::TfOptions *>(QApplication::activeModalWidget());
        ASSERT_NE(options, nullptr);
        EXPECT_EQ(options->eUspesnost->minimum(), 1);
        EXPECT_EQ(options->eUspesnost->maximum(), 99);
        EXPECT_EQ(options->eUspesnost->suffix(), QStringLiteral(" %"));
        options->bStandard->click();
        EXPECT_TRUE(options->cbAutoSave->isChecked());
        options->eUspesnost->setValue(42);
        driven = options->confirm();
    });
    EXPECT_EQ(showOptionsWindow(w, *data), int(QDialog::Accepted));
    EXPECT_TRUE(driven);
    EXPECT_TRUE(w.autoSave());
    EXPECT_FALSE(w.economyMode());
    QSettings ini(orv::settingsFilePath(), QSettings::IniFormat);
    EXPECT_FALSE(ini.childGroups().contains(orv::search::TfHledani::settingsSection()));
    EXPECT_EQ(data->setupValue(QStringLiteral("USPESNOST")), QStringLiteral("42"));
    EXPECT_EQ(orv::test::child<QLineEdit>(*form, "eUspesnost")->text(), QStringLiteral("42 %"));
}

} // namespace
