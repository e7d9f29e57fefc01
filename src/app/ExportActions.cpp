#include "app/ExportActions.h"

#include "app/MainWindow.h"
#include "browse/CardList.h"
#include "browse/CardXlsx.h"
#include "browse/MaterialCard.h"
#include "matexport/ExportDialog.h"
#include "ui/ActionUpdater.h"
#include "ui/MessageDialog.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace orv::app {

namespace {

void reportFailure(const std::exception &e)
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    ui::message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
}

} // namespace

QAction *wireExportAction(MainWindow &window, db::MainDataModule &data)
{
    (void)data;
    auto *action = new QAction(QStringLiteral("&Export pro výpočty ..."), &window);
    action->setObjectName(QStringLiteral("aExportVypocty"));
    action->setStatusTip(QStringLiteral("Uložit údaje materiálu pro výpočtové programy (karta řešiče, MatML, CSV)"));
    MainWindow *frame = &window;
    QObject::connect(action, &QAction::triggered, &window, [frame] {
        browse::MaterialCard *card = frame->cardList() ? frame->cardList()->activeCard() : nullptr;
        if (!card)
            return;
        try {
            matexport::exportFromCard(*card, frame);
        } catch (const std::exception &e) {
            reportFailure(e);
        }
    });
    ui::enableWhen(action, [frame] { return frame->cardList() && frame->cardList()->activeCard(); });
    for (QAction *a : window.menuBar()->actions())
        if (a->menu() && a->text() == QStringLiteral("&Materiál")) {
            a->menu()->addSeparator();
            a->menu()->addAction(action);
            // The card's tables for a spreadsheet, one sheet each.
            auto *xlsx = a->menu()->addAction(QStringLiteral("Uložit jako &XLSX ..."), frame, [frame] {
                if (browse::MaterialCard *card = frame->cardList() ? frame->cardList()->activeCard() : nullptr)
                    browse::saveCardXlsx(*card, frame);
            });
            xlsx->setObjectName(QStringLiteral("aCardXlsx"));
            ui::enableWhen(xlsx, [frame] { return frame->cardList() && frame->cardList()->activeCard(); });
        }
    return action;
}

void exportCompared(db::MainDataModule &data, QWidget *parent, const QList<int> &materials,
                    const QList<int> &dimensions)
{
    try {
        matexport::exportComparedMaterials(browse::CardEnvironment::fromDataModule(data), materials, dimensions, parent);
    } catch (const std::exception &e) {
        reportFailure(e);
    }
}

} // namespace orv::app
