// The main window's own-material actions on a copy of the demo catalogue: their enabling by
// the tree's selection and whether the user database can be written, and the copy action
// reaching the files.

#include "app/CardBar.h"
#include "app/HelpBridge.h"
#include "app/HelpViewer.h"
#include "app/MainWindow.h"
#include "app/UserDataWiring.h"
#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "browse/MaterialCard.h"
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
#include "userdata/TfInsEditMaterial.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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

// Drives the modal own-material editor once it opens (the action may run other windows and
// events first), then closes it with OK; after five seconds without an editor the test fails
// and a window in the way is closed so that the test cannot hang on it.
void whenEditorOpens(std::function<void(orv::userdata::TfInsEditMaterial &)> drive)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, drive] {
        QWidget *modal = QApplication::activeModalWidget();
        auto *editor = qobject_cast<orv::userdata::TfInsEditMaterial *>(modal);
        if (!editor) {
            if (++*tries < 250)
                return;
            ADD_FAILURE() << "no editor opened";
            if (modal)
                modal->close();
        } else {
            QApplication::setActiveWindow(editor);
            drive(*editor);
            if (editor->isVisible())
                editor->accept();
        }
        timer->stop();
        timer->deleteLater();
    });
    timer->start(20);
}

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
    whenEditorOpens([](orv::userdata::TfInsEditMaterial &) {}); // the copy opens in the editor
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

TEST_F(OwnMaterialWiring, TheActionsFollowTheActiveCardTheEditorReachesTheHelpAndARenameRenamesTheCardButton)
{
    ASSERT_TRUE(folder.install({{"Help", 1}}));
    HelpBridge::setApplicationHelpFile(QStringLiteral(ORVALIS_SOURCE_DIR "/data/help/ZEB21.chm"));
    auto w = window(0);
    const MainWindow::Actions &a = w->actions();
    orv::browse::CardList *cards = w->cardList();
    auto activate = [&](orv::browse::MaterialCard *card) {
        QApplication::setActiveWindow(w.get());
        w->mdiArea()->setActiveSubWindow(cards->windowOf(card));
        card->setFocus();
        QApplication::processEvents();
        orv::ui::ActionUpdater::instance().updateNow();
    };
    // C45's card is the active window (the tree does not have the focus).
    orv::browse::MaterialCard *c45 = cards->openCard(2050, QStringLiteral("C45"));
    ASSERT_NE(c45, nullptr);
    activate(c45);
    EXPECT_TRUE(a.copyToOwn->isEnabled());
    EXPECT_FALSE(a.editOwnMaterial->isEnabled());
    EXPECT_FALSE(a.deleteOwnMaterial->isEnabled());

    // The copy opens in the editor; F1 there shows the chapter on own materials above it.
    QString label, page;
    bool helpAboveEditor = false;
    whenEditorOpens([&](orv::userdata::TfInsEditMaterial &e) {
        label = e.eLabel->text();
        e.eName->setFocus();
        orv::ui::ActionUpdater::instance().updateNow();
        QTest::keyClick(e.eName, Qt::Key_F1);
        HelpViewer *viewer = w->helpBridge()->viewer();
        page = viewer ? viewer->currentPage() : QString();
        helpAboveEditor = viewer && viewer->isVisible() && viewer->isWindow() && viewer->parentWidget() == &e;
    });
    a.copyToOwn->trigger();
    EXPECT_EQ(label, QStringLiteral("C45 (kopie)"));
    EXPECT_EQ(page, QStringLiteral("VlastniMaterialy.htm"));
    EXPECT_TRUE(helpAboveEditor);
    const int copy = data->catalogueSession().scalar(QStringLiteral("select max(Number) from Mat where Private='A'")).toInt();
    ASSERT_GT(copy, 0);

    // The copy's card: edit and delete follow it; renaming renames its button and menu item.
    orv::browse::MaterialCard *card = cards->openCard(copy, QStringLiteral("C45 (kopie)"));
    ASSERT_NE(card, nullptr);
    activate(card);
    EXPECT_TRUE(a.editOwnMaterial->isEnabled());
    EXPECT_TRUE(a.deleteOwnMaterial->isEnabled());
    whenEditorOpens([](orv::userdata::TfInsEditMaterial &e) {
        e.eLabel->selectAll();
        QTest::keyClicks(e.eLabel, QStringLiteral("MOJE C45"));
    });
    a.editOwnMaterial->trigger();
    EXPECT_EQ(card->title(), QStringLiteral("MOJE C45"));
    QMdiSubWindow *sub = cards->windowOf(card);
    ASSERT_NE(w->cardButton(sub), nullptr);
    EXPECT_EQ(w->cardButton(sub)->title(), QStringLiteral("MOJE C45"));
    EXPECT_EQ(w->cardMenuItem(sub)->text(), QStringLiteral("MOJE C45"));
    EXPECT_TRUE(sub->windowTitle().endsWith(QStringLiteral("MOJE C45"))) << sub->windowTitle().toStdString();
    HelpBridge::setApplicationHelpFile(QString());
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
