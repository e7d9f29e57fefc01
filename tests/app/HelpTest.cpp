#include "app/HelpBridge.h"
#include "app/HelpTopicButton.h"
#include "app/HelpViewer.h"
#include "app/MainWindow.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWhatsThis>
#include <QDir>
#include <QDirIterator>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

using namespace orv::app;

namespace {

const QString shippedHelp = QStringLiteral(ORVALIS_SOURCE_DIR "/data/help");

TEST(HelpTopics, ContextsBelowTheStartContextUseTheWindowName)
{
    HelpBridge bridge;
    QWidget top;
    top.setObjectName(QStringLiteral("CentralForm"));
    EXPECT_EQ(bridge.topicName(18, &top), QStringLiteral("CentralForm"));
    EXPECT_EQ(bridge.topicName(1000, &top), QStringLiteral("TOPIC1000"));
    EXPECT_EQ(bridge.topicName(1234, &top), QStringLiteral("TOPIC1234"));
    bridge.setStartContext(0);
    EXPECT_EQ(bridge.topicName(18, &top), QStringLiteral("TOPIC18"));
    EXPECT_EQ(bridge.topicName(0, &top), QStringLiteral("TOPIC0"));
}

TEST(HelpTopics, ChildWindowsDropAShortNumberSuffix)
{
    QMdiArea area;
    auto named = [&](const QString &name) {
        auto *form = new QWidget;
        form->setObjectName(name);
        area.addSubWindow(form);
        return form;
    };
    EXPECT_EQ(HelpBridge::windowTopicName(named(QStringLiteral("fMaterial_1"))), QStringLiteral("fMaterial"));
    EXPECT_EQ(HelpBridge::windowTopicName(named(QStringLiteral("fMaterial_12"))), QStringLiteral("fMaterial"));
    EXPECT_EQ(HelpBridge::windowTopicName(named(QStringLiteral("fMaterial_"))), QStringLiteral("fMaterial"));
    EXPECT_EQ(HelpBridge::windowTopicName(named(QStringLiteral("fMaterial_123"))), QStringLiteral("fMaterial_123"));
    EXPECT_EQ(HelpBridge::windowTopicName(named(QStringLiteral("fHledani"))), QStringLiteral("fHledani"));
    // A top-level window keeps its name whole.
    QWidget top;
    top.setObjectName(QStringLiteral("Dialog_1"));
    EXPECT_EQ(HelpBridge::windowTopicName(&top), QStringLiteral("Dialog_1"));
}

class HelpFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    void SetUp() override { orv::setProgramFolder(dir.path() + QStringLiteral("/")); }
    void TearDown() override
    {
        orv::setProgramFolder(QString());
        HelpBridge::setApplicationHelpFile(QString());
    }
    QString prog() const { return dir.path() + QStringLiteral("/"); }
};

TEST_F(HelpFileTest, HelpFileLiesInTheProgramFolderWithExtensionChm)
{
    HelpBridge bridge;
    HelpBridge::setApplicationHelpFile(QStringLiteral("Help/ZEB21.chm"));
    EXPECT_EQ(bridge.helpFilePath(nullptr), prog() + QStringLiteral("Help/ZEB21.chm"));
    HelpBridge::setApplicationHelpFile(prog() + QStringLiteral("Help/ZEB21.hlp"));
    EXPECT_EQ(bridge.helpFilePath(nullptr), prog() + QStringLiteral("Help/ZEB21.chm"));
    // A window naming its own help file wins.
    QWidget own;
    own.setProperty("helpFile", QStringLiteral("/opt/sestavy.chm"));
    EXPECT_EQ(bridge.helpFilePath(&own), QStringLiteral("/opt/sestavy.chm"));
    // No help file at all: the program file's name.
    HelpBridge::setApplicationHelpFile(QString());
    const QFileInfo program(QCoreApplication::applicationFilePath());
    EXPECT_EQ(bridge.helpFilePath(nullptr), program.path() + QLatin1Char('/') + program.completeBaseName() + QStringLiteral(".chm"));
}

TEST_F(HelpFileTest, MissingHelpFileGivesTheSorryMessage)
{
    HelpBridge bridge;
    HelpBridge::setApplicationHelpFile(QStringLiteral("Help/ZEB21.chm"));
    QStringList failures;
    bridge.setFailureReport([&](const QString &text) { failures << text; });
    EXPECT_FALSE(bridge.showContents());
    EXPECT_FALSE(bridge.showContext(1200));
    ASSERT_EQ(failures.size(), 2);
    EXPECT_EQ(failures.first(), QStringLiteral("Sorry, the HelpFile\r") + prog() + QStringLiteral("Help/ZEB21.chm\rdoes not exists."));
    EXPECT_EQ(bridge.viewer(), nullptr);
}

TEST_F(HelpFileTest, PageAddressOfATopic)
{
    EXPECT_EQ(HelpBridge::pageAddress(QStringLiteral("/p/Help/ZEB21.chm"), QStringLiteral("TOPIC18")),
              QStringLiteral("/p/Help/ZEB21.chm::/TOPIC18.htm"));
    EXPECT_EQ(HelpBridge::contentsPage(QStringLiteral("/p/Help/ZEB21.chm")), QStringLiteral("ZEB21.htm"));
}

TEST_F(HelpFileTest, ViewerShowsContentsTopicsHistoryAndFindsInThePage)
{
    HelpBridge bridge;
    const QString file = shippedHelp + QStringLiteral("/ZEB21.chm");
    int failures = 0;
    bridge.setFailureReport([&](const QString &) { ++failures; });
    ASSERT_TRUE(bridge.showContents(file));
    HelpViewer *viewer = bridge.viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("ZEB21.htm"));
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(QStringLiteral("Hlavní okno")));

    bridge.setStartContext(0);
    ASSERT_TRUE(bridge.showContext(18, file));
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("TOPIC18.htm"));
    EXPECT_TRUE(viewer->backAction()->isEnabled());
    viewer->backAction()->trigger();
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("ZEB21.htm"));
    viewer->forwardAction()->trigger();
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("TOPIC18.htm"));

    EXPECT_TRUE(viewer->findInPage(QStringLiteral("Zobrazit materiál")));
    EXPECT_EQ(viewer->browser()->textCursor().selectedText(), QStringLiteral("Zobrazit materiál"));
    EXPECT_TRUE(viewer->findInPage(QStringLiteral("Zobrazit materiál"))); // wraps round
    EXPECT_FALSE(viewer->findInPage(QStringLiteral("xyzzy")));

    // A topic the book lacks shows a notice, not an error.
    ASSERT_TRUE(bridge.showContext(999, file));
    EXPECT_TRUE(viewer->currentPage().isEmpty());
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(QStringLiteral("TOPIC999")));
    viewer->contentsAction()->trigger();
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("ZEB21.htm"));
    EXPECT_EQ(failures, 0);
}

TEST(HelpPages, EveryContextTheProgramUsesHasItsPageAndEveryLinkResolves)
{
    const QDir help(shippedHelp);
    // Window-name pages and the TOPIC pages of the main window, cards and search window.
    for (const char *page : {"ZEB21", "CentralForm", "fMaterial", "fHledani", "RychleHledani", "fInsEditMaterial",
                             "VlastniMaterialy"})
        EXPECT_TRUE(help.exists(QString::fromLatin1(page) + QStringLiteral(".htm"))) << page;
    // The own-material editor's three pages are in the chapter on own materials too.
    for (int context : {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 18, 19, 20, 21, 22, 23, 29, 30, 32})
        EXPECT_TRUE(help.exists(QStringLiteral("TOPIC%1.htm").arg(context))) << context;

    const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+\\.htm)\""));
    int links = 0;
    for (const QString &name : help.entryList({QStringLiteral("*.htm")})) {
        QFile f(help.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(text.contains(QStringLiteral("<title>"))) << qPrintable(name);
        for (auto it = link.globalMatch(text); it.hasNext();) {
            const QString target = it.next().captured(1);
            ++links;
            EXPECT_TRUE(help.exists(target)) << qPrintable(name) << " -> " << qPrintable(target);
        }
    }
    EXPECT_GT(links, 30);
}

// Drops of the help-topic button.
class HelpDropTest : public ::testing::Test
{
protected:
    orv::test::ProgramFolder folder;
    void SetUp() override
    {
        ASSERT_TRUE(folder.install({{"Help", 1}}));
        HelpBridge::setApplicationHelpFile(shippedHelp + QStringLiteral("/ZEB21.chm"));
    }
    void TearDown() override { HelpBridge::setApplicationHelpFile(QString()); }
    // Sends enter, move and drop of `data` to `target`; returns whether the drop was accepted.
    static bool drop(QWidget *target, QMimeData *data)
    {
        const QPointF at(2, 2);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropEvent(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropEvent);
        return dropEvent.isAccepted();
    }
};

TEST_F(HelpDropTest, ControlsOfTheSearchWindowShowTheNearestContext)
{
    MainWindow w;
    auto *form = new QWidget;
    auto *page = new QWidget(form);
    page->setProperty("helpContext", 20);
    auto *box = new QLabel(QStringLiteral("prvek"), page);
    auto *layout = new QVBoxLayout(form);
    layout->addWidget(page);
    w.createSearchWindow(form); // fills in the window's own name and context 18
    QStringList topics;
    w.helpBridge()->setDisplay([&](const QString &, const QString &topic) {
        topics << topic;
        return true;
    });
    w.helpBridge()->setStartContext(0);

    std::unique_ptr<QMimeData> data(helpTopicMimeData());
    EXPECT_TRUE(drop(box, data.get()));
    EXPECT_TRUE(drop(form, data.get()));
    EXPECT_EQ(topics, (QStringList{QStringLiteral("TOPIC20"), QStringLiteral("TOPIC18")}));
}

TEST_F(HelpDropTest, TheLeftPaneAndToolbarsShowTheContentsAndIgnoreOtherDrags)
{
    MainWindow w;
    QStringList topics;
    w.helpBridge()->setDisplay([&](const QString &, const QString &topic) {
        topics << topic;
        return true;
    });
    std::unique_ptr<QMimeData> help(helpTopicMimeData());
    EXPECT_TRUE(drop(w.leftPane(), help.get()));
    EXPECT_TRUE(drop(w.toolbar(0), help.get()));
    EXPECT_EQ(topics, (QStringList{QString(), QString()}));

    QMimeData text;
    text.setText(QStringLiteral("C45"));
    EXPECT_FALSE(drop(w.leftPane(), &text));
    EXPECT_EQ(topics.size(), 2);
}

// Help from a modal window: F1 and the "?" button followed by a click on a control open the
// control's page in the real help viewer, which stands above the modal window and is not
// blocked by it; once the modal window is gone the viewer stays as a window of its own.
TEST_F(HelpDropTest, ModalWindowsReachTheHelpByF1AndTheQuestionMarkButton)
{
    MainWindow w;
    w.show();
    QDialog dialog(&w);
    dialog.setObjectName(QStringLiteral("fInsEditMaterial"));
    auto *composition = new QLineEdit(&dialog);
    composition->setProperty("helpContext", 29);
    auto *plain = new QLineEdit(&dialog);
    auto *unknown = new QLineEdit(&dialog);
    unknown->setProperty("helpContext", 4711); // a number the help has no page for
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(composition);
    layout->addWidget(plain);
    layout->addWidget(unknown);
    QStringList pages;
    QPointer<HelpViewer> viewer;
    bool aboveDialog = false;
    auto current = [&] {
        viewer = w.helpBridge()->viewer();
        pages << (viewer ? viewer->currentPage() : QString());
        aboveDialog = viewer && viewer->isVisible() && viewer->parentWidget() == &dialog && viewer->isWindow();
    };
    QTimer::singleShot(0, [&] {
        composition->setFocus();
        QTest::keyClick(composition, Qt::Key_F1);
        current();
        plain->setFocus();
        QTest::keyClick(plain, Qt::Key_F1); // no context of its own: the window's page
        current();
        unknown->setFocus();
        QTest::keyClick(unknown, Qt::Key_F1); // no page for it: still the window's
        current();
        QWhatsThis::enterWhatsThisMode();
        QTest::mouseClick(composition, Qt::LeftButton);
        current();
        QWhatsThis::leaveWhatsThisMode();
        dialog.reject();
    });
    dialog.exec();
    EXPECT_EQ(pages, (QStringList{QStringLiteral("TOPIC29.htm"), QStringLiteral("fInsEditMaterial.htm"),
                                  QStringLiteral("fInsEditMaterial.htm"), QStringLiteral("TOPIC29.htm")}));
    EXPECT_TRUE(aboveDialog);
    QApplication::processEvents();
    ASSERT_FALSE(viewer.isNull());
    EXPECT_EQ(viewer->parentWidget(), nullptr);
    EXPECT_TRUE(viewer->isVisible());
}

} // namespace
