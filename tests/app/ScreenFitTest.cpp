// Every top-level window on a laptop screen of 1366x768 and of 1280x720: the test program runs
// itself again on an offscreen screen of that size and there opens each window as a user
// would, checking that its frame lies on the screen, that its layout is not squeezed below
// what it needs, and that each of its buttons can be seen.

#include "app/HelpViewer.h"
#include "app/InfoWindows.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "browse/CardList.h"
#include "printouts/PrintDialogs.h"
#include "printouts/TfCompare.h"
#include "printouts/TfCompareChoice.h"
#include "search/TfElements.h"
#include "search/TfHledani.h"
#include "search/TfProperties.h"
#include "ui/MessageDialog.h"
#include "userdata/TfInsEditMaterial.h"
#include "userdata/TfOptions.h"
#include "ui/ProgressWindow.h"
#include "ui/ScreenFit.h"
#include "support/DemoDataModules.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const char *const kChildSize = "ORVALIS_SCREEN_FIT_SIZE";

// The test program again, on an offscreen screen of `width` x `height`, running only the
// windows' checks below.
TEST(ScreenFit, EveryWindowFitsOnSmallLaptopScreens)
{
    for (const QSize size : {QSize(1366, 768), QSize(1280, 720)}) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString config = dir.filePath(QStringLiteral("screen.json"));
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("{\"screens\": [{\"name\": \"laptop\", \"x\": 0, \"y\": 0, \"width\": %1, \"height\": %2, "
                               "\"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                    .arg(size.width())
                    .arg(size.height())
                    .toUtf8());
        f.close();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
        env.insert(QString::fromLatin1(kChildSize), QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=ScreenFitOn.*")});
        ASSERT_TRUE(child.waitForFinished(240000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << size.width() << "x" << size.height() << "\n" << output.toStdString();
        EXPECT_TRUE(output.contains(QLatin1String("[  PASSED  ] 1 test"))) << output.toStdString();
    }
}

class ScreenFitOn : public orv::test::DemoDataModuleTest
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty(kChildSize))
            GTEST_SKIP() << "runs inside ScreenFit.EveryWindowFitsOnSmallLaptopScreens";
        ASSERT_TRUE(folder.install({{"Help", 1}, {"Pdf", 1}, {"Tisky", 1}, {"Formular", 1}, {"InfoNorma", 1}}));
        DemoDataModuleTest::SetUp();
        orv::ui::installScreenFit();
    }

    // The window as the user sees it once shown: whole on the screen, not squeezed, every
    // button inside it.
    void expectFits(QWidget *window)
    {
        window->show();
        QApplication::processEvents();
        const std::string name = (window->objectName() + QStringLiteral(" \"") + window->windowTitle()
                                  + QStringLiteral("\""))
                                     .toStdString();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect frame = window->isMaximized() ? window->geometry()
                                                  : window->geometry() + orv::ui::assumedFrameMargins();
        // A window nobody placed is put on the screen by the window manager: its size must
        // fit; a placed one (a dialog centred on its parent, a restored position) must lie on it.
        if (window->testAttribute(Qt::WA_Moved) || window->isMaximized()) {
            EXPECT_TRUE(screen.contains(frame)) << name << ": " << frame.x() << "," << frame.y() << " "
                                                << frame.width() << "x" << frame.height();
        }
        EXPECT_LE(frame.width(), screen.width()) << name;
        EXPECT_LE(frame.height(), screen.height()) << name;
        const QSize need = window->minimumSizeHint();
        EXPECT_LE(need.width(), window->width()) << name;
        EXPECT_LE(need.height(), window->height()) << name;
        expectButtonsInside(window, name);
    }
    // Every visible button of `within` lies inside it; the frame's child windows (which may
    // stand partly outside the frame's area) are checked on their own.
    static void expectButtonsInside(QWidget *within, const std::string &name)
    {
        for (QAbstractButton *b : within->findChildren<QAbstractButton *>()) {
            if (!b->isVisibleTo(within) || b->window() != within->window())
                continue;
            bool inChild = false;
            for (QWidget *p = b->parentWidget(); p && p != within; p = p->parentWidget())
                inChild = inChild || qobject_cast<QMdiSubWindow *>(p);
            if (inChild)
                continue;
            const QRect r(b->mapTo(within, QPoint(0, 0)), b->size());
            EXPECT_TRUE(within->rect().contains(r))
                << name << ": button " << b->text().toStdString() << " at " << r.x() << "," << r.y() << " "
                << r.width() << "x" << r.height();
        }
    }

    int material(int index) const
    {
        QList<int> numbers;
        orv::db::DataSet &tree = data->qDbTree;
        for (tree.first(); !tree.eof(); tree.next()) {
            const int n = tree.findField(QStringLiteral("MaterialNo"))->value().toInt();
            if (n > 0 && !numbers.contains(n))
                numbers << n;
        }
        return numbers.value(index);
    }
};

TEST_F(ScreenFitOn, EveryTopLevelWindow)
{
    const QStringList size = qEnvironmentVariable(kChildSize).split(u'x');
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(size.value(0).toInt(), size.value(1).toInt()));

    {
        orv::app::MainWindow frame(data.get());
        auto *search = new orv::search::TfHledani(*data);
        frame.createSearchWindow(search);
        for (int i = 0; i < 3; ++i)
            frame.openCard(material(i), QStringLiteral("karta %1").arg(i));
        frame.showMaximized();
        expectFits(&frame);
        // Inside the frame the search window and each card keep their buttons reachable.
        const QRect area = frame.mdiArea()->viewport()->rect();
        for (QMdiSubWindow *w : frame.mdiArea()->subWindowList()) {
            w->showMaximized();
            QApplication::processEvents();
            EXPECT_LE(w->widget()->minimumSizeHint().height(), area.height()) << w->windowTitle().toStdString();
            expectButtonsInside(w, w->windowTitle().toStdString());
        }
    }

    QList<int> six;
    for (int i = 0; i < 6; ++i)
        six << material(i);
    orv::printouts::CompareEnvironment compareEnv;
    compareEnv.catalogue = &data->catalogueSession();
    compareEnv.showHelp = [] {};
    for (const QList<int> &materials : {six.mid(0, 2), six}) {
        orv::printouts::TfCompare compare(materials, compareEnv);
        expectFits(&compare);
    }

    orv::printouts::PrintEnvironment printEnv;
    printEnv.catalogue = &data->catalogueSession();
    printEnv.programDir = root;
    printEnv.materialNo = material(0);
    orv::printouts::TfPrintEkvivalenty p0(printEnv);
    expectFits(&p0);
    orv::printouts::TfPrintInfo p1(printEnv);
    expectFits(&p1);
    orv::printouts::TfPrintInfoMech p2(printEnv);
    expectFits(&p2);
    orv::printouts::TfPrintTempProc p3(printEnv);
    expectFits(&p3);

    orv::printouts::TfCompareChoice choice({{six.value(0), QStringLiteral("C45"), QStringLiteral("obsah"), true},
                                            {six.value(1), QStringLiteral("S235JR"), QStringLiteral("obsah"), true}});
    expectFits(&choice);
    orv::search::TfElements elements(data->tElements, orv::search::TfElements::Mode::Search, &data->tUserChemComp);
    expectFits(&elements);
    orv::search::TfProperties properties(data->userSession(), data->tUserMechProp);
    expectFits(&properties);

    orv::app::HelpViewer help;
    help.openBook(QStringLiteral(ORVALIS_SOURCE_DIR "/data/help"), QStringLiteral("ZEB21.htm"));
    help.showContents();
    expectFits(&help);
    orv::app::AboutWindow about({}, {});
    expectFits(&about);
    orv::app::PageWindow page(QStringLiteral("Informace o normách"),
                              QStringLiteral(ORVALIS_SOURCE_DIR "/data/InfoNorma/Index.htm"), QStringLiteral("&OK"));
    expectFits(&page);

    // The own-material editor and the options window.
    {
        orv::userdata::TfOptions options(*data);
        expectFits(&options);
        orv::userdata::TfInsEditMaterial editor(*own, material(0), orv::userdata::TfInsEditMaterial::Mode::Edit);
        expectFits(&editor);
    }

    orv::app::SplashWindow splash;
    expectFits(&splash);
    orv::ui::ProgressWindow progress;
    progress.setMode(orv::ui::ProgressWindow::Mode::Save);
    expectFits(&progress);
    orv::ui::MessageDialog longMessage(QString(4000, u'x').replace(QStringLiteral("xxxxxxx"), QStringLiteral("slovo ")),
                                      orv::ui::MsgType::Warning, orv::ui::MsgButton::OK);
    expectFits(&longMessage);
}

} // namespace
