#include "app/SearchListPrint.h"

#include "app/MainWindow.h"
#include "core/Paths.h"
#include "printouts/TableReport.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "search/ResultExport.h"
#include "search/TfHledani.h"
#include "ui/ActionUpdater.h"
#include "ui/MessageDialog.h"

#include <QAction>
#include <QDateTime>
#include <QMdiSubWindow>
#include <QTableView>

#include <algorithm>
#include <exception>
#include <memory>

namespace orv::app {

QString searchListTitle(int page)
{
    switch (page) {
    case search::TfHledani::DesignationPage:
        return QStringLiteral("Výsledek hledání – ekvivalentní materiály");
    case search::TfHledani::CompositionPage:
        return QStringLiteral("Výsledek hledání – chemické složení");
    case search::TfHledani::MechanicalPage:
        return QStringLiteral("Výsledek hledání – mechanické vlastnosti");
    case search::TfHledani::UsagePage:
        return QStringLiteral("Výsledek hledání – použití");
    default:
        return QStringLiteral("Výsledek hledání");
    }
}

printouts::TfPrintTable *searchListDialog(const QTableView &grid, int page, QWidget *parent, db::Connection *session,
                                          const db::DataSet *propertyResult)
{
    printouts::ViewTable table = printouts::viewTable(grid);
    if (session && propertyResult && propertyResult->recordCount() == table.rows.size()) {
        const QStringList best = search::bestCombinationTexts(*session, *propertyResult);
        table.fieldNames << QStringLiteral("C%1").arg(table.fieldNames.size() + 1);
        table.headings << search::bestCombinationHeading();
        table.weights << 2 * std::max(1, table.weights.value(0, 100));
        for (int r = 0; r < table.rows.size(); ++r)
            table.rows[r] << best.value(r);
    }
    const QString subtitle = QStringLiteral("Nalezeno materiálů: %1").arg(table.rows.size());
    printouts::PrintEnvironment env;
    env.programDir = programFolder();
    auto *dialog = new printouts::TfPrintTable(QStringLiteral("Tisk výsledku hledání"),
                                               printouts::listLayout(table, searchListTitle(page), subtitle),
                                               table.fieldNames, table.rows, env, parent);
    return dialog;
}

void wireSearchListPrint(MainWindow &window)
{
    QMdiSubWindow *sub = window.searchWindow();
    auto *form = sub ? qobject_cast<search::TfHledani *>(sub->widget()) : nullptr;
    QTableView *grid = form ? form->findChild<QTableView *>(QStringLiteral("grHledani")) : nullptr;
    if (!grid)
        return;
    auto *print = new QAction(QStringLiteral("&Tisk výsledku hledání..."), form);
    print->setObjectName(QStringLiteral("aPrintResult"));
    auto *preview = new QAction(QStringLiteral("&Náhled výsledku hledání"), form);
    preview->setObjectName(QStringLiteral("aPreviewResult"));
    for (QAction *a : {print, preview}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        ui::enableWhen(a, [grid] { return grid->model() && grid->model()->rowCount() > 0; });
    }
    auto run = [form, grid](bool previewOnly) {
        try {
            const bool property = form->result() && form->result() == &form->propertyQuery();
            std::unique_ptr<printouts::TfPrintTable> dialog(
                searchListDialog(*grid, form->currentPage(), form, &form->data().catalogueSession(),
                                 property ? form->result() : nullptr));
            if (previewOnly)
                dialog->Ses.Preview();
            else
                dialog->exec();
        } catch (const std::exception &e) {
            ui::message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
        }
    };
    QObject::connect(print, &QAction::triggered, form, [run] { run(false); });
    QObject::connect(preview, &QAction::triggered, form, [run] { run(true); });
    grid->addActions({preview, print});
}

} // namespace orv::app
