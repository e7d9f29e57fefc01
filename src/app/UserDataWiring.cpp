#include "app/UserDataWiring.h"

#include "app/HelpBridge.h"
#include "app/MainWindow.h"
#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "core/Paths.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "search/TfHledani.h"
#include "userdata/OwnMaterialActions.h"
#include "userdata/TfOptions.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTabWidget>

namespace orv::app {

namespace {

search::TfHledani *searchForm(MainWindow &window)
{
    return window.searchWindow() ? qobject_cast<search::TfHledani *>(window.searchWindow()->widget()) : nullptr;
}

} // namespace

userdata::OwnMaterialActions *wireOwnMaterialActions(MainWindow &window, db::OwnDataModule &own)
{
    userdata::OwnMaterialEnvironment env;
    env.pane = window.contentsPane();
    env.cards = window.cardList();
    env.owner = &window;
    env.editor.autoSave = [&window] { return window.autoSave(); };
    env.editor.helpInstalled = [&window] { return window.components().help; };
    env.editor.showHelp = [&window](int context) { window.showContextHelp(context); };
    env.editor.showHelpPage = [&window](const QString &page) { window.helpBridge()->showTopic(page); };
    auto *handler = new userdata::OwnMaterialActions(own, env, &window);
    const MainWindow::Actions &a = window.actions();
    QObject::connect(a.newOwnMaterial, &QAction::triggered, handler, [handler] { handler->newMaterial(); });
    QObject::connect(a.editOwnMaterial, &QAction::triggered, handler, [handler] { handler->editSelected(); });
    QObject::connect(a.deleteOwnMaterial, &QAction::triggered, handler, [handler] { handler->deleteSelected(); });
    QObject::connect(a.copyToOwn, &QAction::triggered, handler, [handler] { handler->copySelected(); });
    return handler;
}

int showOptionsWindow(MainWindow &window, db::MainDataModule &data)
{
    userdata::OptionsEnvironment env;
    env.autoSave = [&window] { return window.autoSave(); };
    env.setAutoSave = [&window](bool on) { window.setAutoSave(on); };
    env.economyMode = [&window] { return window.economyMode(); };
    env.setEconomyMode = [&window](bool on) { window.setEconomyMode(on); };
    env.successRateSaved = [&window] {
        if (search::TfHledani *form = searchForm(window))
            form->showSuccessRate();
    };
    env.standardSettings = [&window] {
        window.resetToStandardSettings();
        {
            QSettings ini(settingsFilePath(), QSettings::IniFormat);
            ini.remove(search::TfHledani::settingsSection());
        }
        if (search::TfHledani *form = searchForm(window)) {
            const int page = form->currentPage();
            for (int p : {search::TfHledani::DesignationPage, search::TfHledani::CompositionPage,
                          search::TfHledani::MechanicalPage, search::TfHledani::UsagePage}) {
                form->setCurrentPage(p);
                form->standardSettings();
            }
            form->setCurrentPage(page);
        }
        if (browse::CardList *cards = window.cardList())
            cards->resetPanelSizes();
    };
    userdata::TfOptions options(data, env, &window);
    return options.exec();
}

void wireOptionsAction(MainWindow &window, db::MainDataModule &data)
{
    QObject::connect(window.actions().options, &QAction::triggered, &window,
                     [&window, &data] { showOptionsWindow(window, data); });
}

} // namespace orv::app
