#include "app/CompareActions.h"
#include "app/ExportActions.h"

#include "app/HelpBridge.h"
#include "app/MainWindow.h"
#include "browse/ContentsPane.h"
#include "browse/MaterialCard.h"
#include "core/DataRoot.h"
#include "core/Paths.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "db/MainDataModule.h"
#include "printouts/Comparison.h"
#include "printouts/TfCompare.h"
#include "printouts/TfCompareChoice.h"
#include "ui/MessageDialog.h"

#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QListWidget>
#include <QMenuBar>
#include <QTableView>
#include <QTreeView>

#include <exception>

namespace orv::app {

namespace {

// The designation the choice lists: an own material not yet given one goes by its name, and
// own materials say so.
QString designation(db::Connection &cat, int material)
{
    db::Statement st(cat, QStringLiteral(
        "select coalesce(nullif(trim((select Label from Norms where MaterialNo = m.Number order by Number limit 1)), ''), "
        "nullif(trim(m.Name), '')), m.Private from Mat m where m.Number = :m"));
    st.bind(QStringLiteral("m"), material);
    if (!st.step())
        return QStringLiteral("(%1)").arg(material);
    QString label = st.value(0).toString().trimmed();
    if (label.isEmpty())
        label = QStringLiteral("(%1)").arg(material);
    if (st.value(1).toString() == QLatin1String("A"))
        label += u' ' + printouts::ownMaterialMark();
    return label;
}

QMenu *menuTitled(MainWindow &window, const QString &title)
{
    for (QAction *a : window.menuBar()->actions())
        if (a->menu() && a->text() == title)
            return a->menu();
    return nullptr;
}

QTableView *searchResultGrid(MainWindow &window)
{
    QMdiSubWindow *search = window.searchWindow();
    return search && search->widget() ? search->widget()->findChild<QTableView *>(QStringLiteral("grHledani")) : nullptr;
}

} // namespace

QList<printouts::CompareCandidate> compareCandidates(MainWindow &window, db::MainDataModule &data)
{
    db::Connection &cat = data.catalogueSession();
    QList<printouts::CompareCandidate> out;
    for (QMdiSubWindow *sub : window.openCards())
        if (auto *card = qobject_cast<browse::MaterialCard *>(sub->widget()); card && card->materialNo() > 0)
            out << printouts::CompareCandidate{card->materialNo(), designation(cat, card->materialNo()),
                                               QStringLiteral("otevřená karta"), true};

    if (QTableView *grid = searchResultGrid(window)) {
        auto *model = qobject_cast<db::DataSetModel *>(grid->model());
        db::DataSet *ds = model ? model->dataSet() : nullptr;
        if (ds && ds->isOpen() && ds->findField(QStringLiteral("MatNumber"))) {
            const int current = grid->currentIndex().isValid() ? grid->currentIndex().row() : -1;
            for (int r = 0; r < ds->recordCount() && r < 200; ++r) {
                const int m = ds->valueAt(r, QStringLiteral("MatNumber")).toInt();
                out << printouts::CompareCandidate{m, designation(cat, m), QStringLiteral("výsledek hledání"), r == current};
            }
        }
    }

    if (browse::ContentsPane *pane = window.contentsPane()) {
        const browse::ContentsPane::Material chosen = pane->materialFor(pane->tree());
        if (chosen.number > 0)
            out << printouts::CompareCandidate{chosen.number, designation(cat, chosen.number), QStringLiteral("obsah"),
                                               true};
        const QString node = pane->selectedId();
        if (!node.isEmpty()) {
            db::Statement st(cat, QStringLiteral(
                "with recursive below(n) as (select :node union select Nodes.Number from Nodes, below "
                "where Nodes.ParentNo = below.n and Nodes.Number <> below.n) "
                "select distinct MaterialNo from Nodes where Number in below and MaterialNo > 0 limit 200"));
            st.bind(QStringLiteral("node"), node.toInt());
            while (st.step()) {
                const int m = st.value(0).toInt();
                out << printouts::CompareCandidate{m, designation(cat, m), QStringLiteral("obsah"), false};
            }
        }
    }
    return out;
}

void openComparison(MainWindow &window, db::MainDataModule &data, const QList<int> &materials)
{
    if (const QString why = printouts::TfCompare::countMessage(materials.size()); !why.isEmpty()) {
        ui::message(why, ui::MsgType::Information, ui::MsgButton::OK);
        return;
    }
    printouts::CompareEnvironment env;
    env.catalogue = &data.catalogueSession();
    env.programDir = programFolder();
    env.settingsFile = settingsFilePath();
    env.checkDataRoot = [] { dataRoot(QStringLiteral("catalogue.sqlite")); };
    db::MainDataModule *module = &data;
    env.exportForCalculation = [module](QWidget *parent, const QList<int> &m, const QList<int> &d) {
        exportCompared(*module, parent, m, d);
    };
    MainWindow *frame = &window;
    env.showHelp = [frame] {
        // The page of the window in front ("fPorovnani"), below the context numbers.
        frame->helpBridge()->setStartContext(HelpBridge::initialStartContext);
        frame->helpBridge()->showContext(0);
    };
    try {
        auto *w = new printouts::TfCompare(materials, env, &window);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
    } catch (const std::exception &e) {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        ui::message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

QAction *wireCompareAction(MainWindow &window, db::MainDataModule &data)
{
    auto *action = new QAction(QStringLiteral("&Porovnat materiály..."), &window);
    action->setObjectName(QStringLiteral("aCompare"));
    action->setStatusTip(QStringLiteral("Porovnat dva až šest materiálů vedle sebe..."));
    MainWindow *frame = &window;
    db::MainDataModule *module = &data;
    QObject::connect(action, &QAction::triggered, &window, [frame, module] {
        QList<printouts::CompareCandidate> candidates;
        try {
            candidates = compareCandidates(*frame, *module);
        } catch (const std::exception &e) {
            ui::message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
            return;
        }
        printouts::TfCompareChoice choice(candidates, frame);
        if (choice.list()->count() < printouts::kCompareMin) {
            ui::message(QStringLiteral("K porovnání jsou potřeba alespoň dva materiály. Otevřete jejich karty, "
                                       "vyhledejte je nebo vyberte kapitolu v obsahu."),
                        ui::MsgType::Information, ui::MsgButton::OK);
            return;
        }
        if (choice.exec() == QDialog::Accepted)
            openComparison(*frame, *module, choice.chosen());
    });
    if (QMenu *material = menuTitled(window, QStringLiteral("&Materiál"))) {
        material->addSeparator();
        material->addAction(action);
    }
    if (QMenu *contents = menuTitled(window, QStringLiteral("&Hledání v obsahu"))) {
        contents->addSeparator();
        contents->addAction(action);
    }
    if (QTableView *grid = searchResultGrid(window))
        grid->addAction(action);
    return action;
}

} // namespace orv::app
