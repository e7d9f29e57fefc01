#include "app/StartUp.h"

#include "app/MainWindow.h"
#include "app/PreviousVersion.h"
#include "app/SplashWindow.h"
#include "core/DataRoot.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "db/Schema.h"
#include "ui/MessageDialog.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace orv::app {

namespace {

std::function<void(QWidget *)> g_upgradeWizard;
SplashWindow *g_splash = nullptr; // while it exists

QString helpFile()
{
    return programFolder() + QStringLiteral("Help/ZEB21.chm");
}

void saveGrab(QWidget *w, const QString &file)
{
    if (!w->grab().save(file))
        std::fprintf(stderr, "orvalis: cannot write %s\n", qPrintable(file));
}

} // namespace

QString progressMaterialTable() { return QStringLiteral("Otevření tabulky materiálu ..."); }
QString progressContentsTable() { return QStringLiteral("Otevření tabulky obsahu ..."); }
QString progressCodeLists() { return QStringLiteral("Otevření tabulek číselníků ..."); }
QString progressOwnMaterial() { return QStringLiteral("Otevření tabulek pro vlastní materiál ..."); }

StartupData openStartupData(const StartupProgress &progress)
{
    StartupData data;
    data.dataRoot = dataRoot(db::catalogueFileName());
    data.catalogueFile = catalogueFolder(data.dataRoot) + db::catalogueFileName();

    QString error;
    if (!prepareUserFolder(&error))
        throw StartupError(QStringLiteral("Nelze připravit složku uživatelských dat.\n%1").arg(error));
    data.userFile = userDataFolder() + db::userFileName();

    progress.setText(progressMaterialTable());
    if (!QFileInfo(data.catalogueFile).isFile())
        throw StartupError(QStringLiteral("Databáze katalogu nebyla nalezena:\n%1\n\n"
                                          "Program nelze spustit. Sestavte katalog (./run) "
                                          "nebo vložte instalační CD.")
                               .arg(QDir::toNativeSeparators(data.catalogueFile)));
    progress.setText(progressContentsTable());
    progress.showTextPanel();
    progress.setText(progressCodeLists());
    if (!QFileInfo(data.userFile).isFile())
        throw StartupError(QStringLiteral("Databáze uživatelských dat nebyla nalezena:\n%1\n\n"
                                          "Program nelze spustit.")
                               .arg(QDir::toNativeSeparators(data.userFile)));
    return data;
}

void StartUp::setUpgradeWizard(std::function<void(QWidget *)> wizard)
{
    g_upgradeWizard = std::move(wizard);
}

StartUp::StartUp(StartOptions options)
    : m_options(std::move(options))
{
}

StartUp::~StartUp()
{
    // Shutdown: the main window (with its child windows) goes first, the data after it.
    m_main.reset();
    m_data = {};
}

int StartUp::run()
{
    // 1. The splash; it lives only until the main window and the search window exist.
    auto splash = std::make_unique<SplashWindow>();
    splash->show();
    QApplication::processEvents();
    g_splash = splash.get();
    try {
        createGuarded(*splash);
    } catch (...) {
        g_splash = nullptr;
        splash.reset();
        throw;
    }
    g_splash = nullptr;
    splash.reset();

    previousVersionCheck();

    // Without a window manager "maximised" means nothing; fill the screen by hand then.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        m_main->setGeometry(screen->availableGeometry());
    m_main->showMaximized();
    if (m_options.quitAfterFrame || !m_options.screenshot.isEmpty())
        QTimer::singleShot(0, [this] { afterFrame(); });
    const int code = QApplication::exec();
    return code;
}

void StartUp::createGuarded(SplashWindow &splash)
{
    // 2. The application.
    QApplication::setApplicationDisplayName(QStringLiteral("Orvalis 2.1"));
    QApplication::setWindowIcon(SplashWindow::windowIcon());
    qApp->setProperty("helpFile", helpFile());

    // The medium question must not hide under the splash, which stays on top.
    setDefaultMediumQuestion([](const QString &text) {
        if (g_splash)
            g_splash->hide();
        const int answer = ui::message(text, ui::MsgType::Error, ui::MsgButton::OK | ui::MsgButton::Abort);
        if (g_splash && answer == ui::mrOk)
            g_splash->show();
        return answer;
    });

    bool pictureSaved = false;
    StartupProgress progress;
    progress.setText = [&](const QString &text) {
        if (!m_options.splashShots.isEmpty() && !pictureSaved) {
            saveGrab(&splash, m_options.splashShots + QStringLiteral("-picture.png"));
            pictureSaved = true;
        }
        splash.setProgressText(text);
    };
    progress.showTextPanel = [&] { splash.showTextPanel(); };

    // 3. Catalogue and user data.
    m_data = openStartupData(progress);
    if (!m_options.splashShots.isEmpty())
        saveGrab(&splash, m_options.splashShots + QStringLiteral("-panel.png"));

    // 4. Own-material data.
    progress.setText(progressOwnMaterial());

    // 5. The main window, 6. the search window in it.
    m_main = std::make_unique<MainWindow>();
    m_main->createSearchWindow();

    // 7. Focus into quick find; the splash shows its last state.
    m_main->quickFind()->setFocus();
    splash.repaint();
}

void StartUp::previousVersionCheck()
{
    const bool present = previousVersionPresent(Registry(Registry::Scope::User), previousVersionCatalogueFile());
    m_upgradeOffered = shouldOfferUpgrade(present, readUpgradeFlag(m_data.userFile));
    if (m_upgradeOffered && g_upgradeWizard)
        g_upgradeWizard(m_main.get());
}

void StartUp::afterFrame()
{
    // The frame counts as up once its window is exposed and painted.
    if (QWindow *w = m_main->windowHandle()) {
        for (int i = 0; i < 200 && !w->isExposed(); ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    m_main->repaint();
    if (m_options.quitAfterFrame) {
        std::printf("frame-at-ms %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
        std::fflush(stdout);
    }
    if (!m_options.screenshot.isEmpty()) {
        QTimer::singleShot(m_options.screenshotDelay, [this] {
            saveGrab(m_main.get(), m_options.screenshot);
            m_main->close();
        });
        return;
    }
    m_main->close();
}

int install()
{
    const QString file = orv::installProgram();
    if (file.isEmpty()) {
        std::fprintf(stderr, "orvalis: cannot record the installation in %s\n",
                     qPrintable(Registry::defaultFilePath(Registry::Scope::Machine)));
        return 1;
    }
    return 0;
}

} // namespace orv::app
