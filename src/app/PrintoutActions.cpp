#include "app/PrintoutActions.h"

#include "app/InfoWindows.h"
#include "browse/MaterialCard.h"
#include "core/DataRoot.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "db/MainDataModule.h"
#include "printouts/PrintDialogs.h"
#include "ui/MessageDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <exception>
#include <memory>

namespace orv::app {

namespace {

void showError(const std::exception &e)
{
    ui::message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
}

} // namespace

void openPrintout(Printout which, browse::MaterialCard *card, db::MainDataModule *data, QWidget *parent)
{
    if (!card || !data)
        return;
    printouts::PrintEnvironment env;
    env.catalogue = &data->catalogueSession();
    env.programDir = programFolder();
    env.checkDataRoot = [] { dataRoot(QStringLiteral("catalogue.sqlite")); };
    env.materialNo = card->materialNo();
    env.physical = &card->qFyzProp;
    env.heatTreatment = &card->qTempProc;
    std::unique_ptr<printouts::TfPrintBase> dialog;
    try {
        switch (which) {
        case Printout::Equivalents:
            dialog = std::make_unique<printouts::TfPrintEkvivalenty>(env, parent);
            break;
        case Printout::Info:
            dialog = std::make_unique<printouts::TfPrintInfo>(env, parent);
            break;
        case Printout::InfoMech:
            dialog = std::make_unique<printouts::TfPrintInfoMech>(env, parent);
            break;
        case Printout::HeatTreatment:
            dialog = std::make_unique<printouts::TfPrintTempProc>(env, parent);
            break;
        }
    } catch (const std::exception &e) {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        showError(e);
        return;
    }
    dialog->exec();
}

void openAboutWindow(QWidget *parent)
{
    const Registry machine(Registry::Scope::Machine);
    AboutWindow w(readCustomerData(machine), readInstalledComponents(machine), parent);
    w.exec();
}

void openStandardsInfo(QWidget *parent)
{
    showStandardsInfo(programFolder(), parent);
}

void openCustomerService(db::MainDataModule *data, QWidget *parent)
{
    QString form;
    try {
        if (data)
            form = readFormTemplate(data->userSession());
    } catch (const std::exception &e) {
        showError(e);
        return;
    }
    // The filled page goes where the user's data lives: the program folder, or the per-user
    // copy of a system-wide installation, which gets its own form folder.
    const QString folder = userFolder();
    if (QDir::cleanPath(folder) != QDir::cleanPath(programFolder()))
        QDir().mkpath(QFileInfo(customerFormFile(folder)).absolutePath());
    showCustomerService(folder, form, readCustomerData(Registry(Registry::Scope::Machine)), parent, {});
}

} // namespace orv::app
