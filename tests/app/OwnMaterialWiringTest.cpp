// The main window's own-material actions on a copy of the demo catalogue: their enabling by
// the tree's selection and whether the user database can be written, and the copy action
// reaching the files.

#include "app/MainWindow.h"
#include "app/UserDataWiring.h"
#include "browse/ContentsPane.h"
#include "core/DataRoot.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "ui/ActionUpdater.h"
#include "support/DemoDataModules.h"
#include "support/Unprivileged.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

using namespace orv::app;

namespace {

class OwnMaterialWiring : public orv::test::DemoDataModuleTest {
protected:
    std::unique_ptr<MainWindow> window(int dataOnMedium)
    {
        orv::Registry(orv::Registry::Scope::Machine).writeInteger(orv::installKey(), QStringLiteral("Data na CD"), dataOnMedium);
        auto w = std::make_unique<MainWindow>(data.get());
        w->setOwnData(own.get());
        w->resize(1000, 700);
        w->show();
        QApplication::setActiveWindow(w.get());
        return w;
    }
    // Selects material M's node in the tree and gives the tree the focus.
    void selectMaterial(MainWindow &w, int material)
    {
        const QString node = data->catalogueSession()
                                 .scalar(QStringLiteral("select Number from Nodes where MaterialNo=%1").arg(material))
                                 .toString();
        ASSERT_TRUE(w.contentsPane()->selectNode(node));
        w.contentsPane()->tree()->setFocus();
        QApplication::processEvents();
        orv::ui::ActionUpdater::instance().updateNow();
    }
};

} // namespace

TEST_F(OwnMaterialWiring, ActionsFollowTheSelectionAndTheCopyReachesTheFiles)
{
    auto w = window(0);
    const MainWindow::Actions &a = w->actions();
    selectMaterial(*w, 2050); // C45, a catalogue material
    EXPECT_TRUE(a.newOwnMaterial->isEnabled());
    EXPECT_TRUE(a.copyToOwn->isEnabled());
    EXPECT_FALSE(a.editOwnMaterial->isEnabled());
    EXPECT_FALSE(a.deleteOwnMaterial->isEnabled());

    orv::db::Connection &c = data->catalogueSession();
    const int before = c.scalar(QStringLiteral("select count(*) from Mat where Private='A'")).toInt();
    a.copyToOwn->trigger();
    ASSERT_EQ(c.scalar(QStringLiteral("select count(*) from Mat where Private='A'")).toInt(), before + 1);
    const int copy = c.scalar(QStringLiteral("select max(Number) from Mat where Private='A'")).toInt();
    EXPECT_EQ(c.scalar(QStringLiteral("select count(*) from private_MAT where Number=%1").arg(copy)).toInt(), 1);
    // The tree stands on the copy: an own material may be edited and deleted.
    QApplication::setActiveWindow(w.get());
    w->contentsPane()->tree()->setFocus();
    QApplication::processEvents();
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_EQ(data->qDbTree.value(QStringLiteral("MaterialNo")).toInt(), copy);
    EXPECT_TRUE(a.editOwnMaterial->isEnabled());
    EXPECT_TRUE(a.deleteOwnMaterial->isEnabled());
}

TEST_F(OwnMaterialWiring, TheCatalogueOnTheMediumLeavesAllFourOfferedForOwnDataLiveInTheUserDatabase)
{
    // An own material exists and is selected.
    ASSERT_TRUE(own->qNodes.append());
    ASSERT_TRUE(own->qNodes.post());
    const int m = own->qNodes.value(QStringLiteral("MaterialNo")).toInt();
    data->qDbTree.close();
    data->qDbTree.open();
    auto w = window(1);
    selectMaterial(*w, m);
    const MainWindow::Actions &a = w->actions();
    for (QAction *action : {a.newOwnMaterial, a.editOwnMaterial, a.deleteOwnMaterial, a.copyToOwn})
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_EQ(a.newOwnMaterial->toolTip(), QStringLiteral("Vložit nový vlastní materiál..."));
}

TEST(OwnMaterialWiringUnprivileged, AUserDatabaseThatCannotBeWrittenDisablesAllFourAndSaysWhy)
{
    constexpr const char *kFolder = "ORV_OWN_ACTIONS_READONLY_DIR";
    const QString child = orv::test::childFolder(kFolder);
    if (child.isEmpty()) {
        QTemporaryDir dir;
        const QString root = dir.path();
        ASSERT_TRUE(orv::test::copyDemoCatalogue(root + QStringLiteral("/data")));
        orv::test::openPathForOthers(root);
        // The user file and its folder belong to root and are read-only: the child can only read.
        QFile::setPermissions(root + QStringLiteral("/data/user.sqlite"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(root + QStringLiteral("/data/catalogue.sqlite"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(root + QStringLiteral("/data"), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                                  | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        const orv::test::ChildRun r = orv::test::runTestInChild(kFolder, root);
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.output);
        QFile::setPermissions(root + QStringLiteral("/data"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return;
    }
    orv::test::TemporaryProgramFolder registries(QStringLiteral("home/prog"));
    orv::db::MainDataModule data(child + QStringLiteral("/"), child + QStringLiteral("/"));
    orv::db::OwnDataModule own(data);
    EXPECT_FALSE(data.userDataWritable());
    const QString why = data.userDataUnwritableReason();
    EXPECT_TRUE(why.contains(QStringLiteral("nelze zapisovat"))) << why.toStdString();
    MainWindow w(&data);
    w.setOwnData(&own);
    w.show();
    QApplication::processEvents();
    orv::ui::ActionUpdater::instance().updateNow();
    const MainWindow::Actions &a = w.actions();
    for (QAction *action : {a.newOwnMaterial, a.editOwnMaterial, a.deleteOwnMaterial, a.copyToOwn}) {
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
        EXPECT_EQ(action->toolTip(), why) << action->objectName().toStdString();
    }
    // The catalogue is still read, and searched.
    EXPECT_GT(data.catalogueSession().scalar(QStringLiteral("select count(*) from Mat")).toInt(), 0);
}

namespace {

// QObject::isSignalConnected is protected; named through a derived class its member pointer
// is QObject's own and may be called on any object.
struct SignalProbe : QObject {
    using QObject::isSignalConnected;
};
bool connected(const QObject *o, const QMetaMethod &signal)
{
    return (o->*(&SignalProbe::isSignalConnected))(signal);
}

// Every command of the frame's menus does something: it is connected to a handler (or, for
// a check item, to one that follows its check mark), or it opens a submenu.
TEST_F(OwnMaterialWiring, NoMenuItemOfTheFrameIsLeftWithoutAHandler)
{
    auto w = window(0);
    w->createSearchWindow();
    QStringList idle;
    std::function<void(const QMenu *)> walk = [&](const QMenu *menu) {
        for (QAction *a : menu->actions()) {
            if (a->isSeparator())
                continue;
            if (a->menu()) {
                walk(a->menu());
                continue;
            }
            const bool handled = connected(a, QMetaMethod::fromSignal(&QAction::triggered))
                                 || connected(a, QMetaMethod::fromSignal(&QAction::toggled));
            if (!handled)
                idle << menu->title() + QStringLiteral(" / ") + a->text();
        }
    };
    for (QAction *top : w->menuBar()->actions())
        if (top->menu())
            walk(top->menu());
    EXPECT_TRUE(idle.isEmpty()) << idle.join(QStringLiteral("; ")).toStdString();
}

} // namespace
