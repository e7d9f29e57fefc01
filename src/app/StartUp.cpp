#include "app/StartUp.h"

#include "app/CompareActions.h"
#include "app/ExportActions.h"
#include "app/MainWindow.h"
#include "app/PreviousVersion.h"
#include "app/SearchListPrint.h"
#include "app/SplashWindow.h"
#include "browse/CardList.h"
#include "core/DataRoot.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "db/Schema.h"
#include "search/TfHledani.h"
#include "ui/ActionUpdater.h"
#include "ui/MessageDialog.h"
#include "userdata/TfOptions.h"
#include "userdata/TfUpgrade.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
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

// The medium question must not hide under the splash, which stays on top. An unattended
// run has nobody to insert the medium: it ends as a failed start instead of waiting.
void installMediumQuestion(bool unattended)
{
    setDefaultMediumQuestion([unattended](const QString &text) {
        if (unattended)
            throw StartupError(QString(text).replace(QStringLiteral("\r\r "), QStringLiteral(" ")));
        if (g_splash)
            g_splash->hide();
        const int answer = ui::message(text, ui::MsgType::Error, ui::MsgButton::OK | ui::MsgButton::Abort);
        if (g_splash && answer == ui::mrOk)
            g_splash->show();
        return answer;
    });
}

// The frame's "Hledání" menu and toolbar run the search window's own actions and follow their
// state, caption and hint.
void followSearchActions(const MainWindow::Actions &a, const QWidget &form)
{
    const auto own = [&form](const char *name) { return form.findChild<QAction *>(QLatin1String(name)); };
    const std::pair<QAction *, QAction *> pairs[] = {
        {a.searchFind, own("aFind")},       {a.searchShow, own("aShow")},         {a.searchSelect, own("aSelect")},
        {a.searchInsert, own("aInsert")},   {a.searchChange, own("aChange")},     {a.searchDelete, own("aDelete")},
        {a.searchLoadAll, own("aNacist")},  {a.searchDeleteAll, own("aDeleteAll")}, {a.searchStandard, own("aNastaveni")}};
    for (const auto &[frameAction, own] : pairs) {
        if (!frameAction || !own)
            continue;
        ui::ActionUpdater::instance().remove(frameAction);
        QObject::connect(frameAction, &QAction::triggered, own, [own = own] { own->trigger(); });
        QObject::connect(own, &QAction::enabledChanged, frameAction, &QAction::setEnabled);
        QObject::connect(own, &QAction::changed, frameAction, [frameAction = frameAction, own = own] {
            frameAction->setText(own->text());
            frameAction->setToolTip(own->toolTip());
            frameAction->setStatusTip(own->statusTip());
        });
        frameAction->setEnabled(own->isEnabled());
    }
}

} // namespace

DataFiles locateDataFiles()
{
    DataFiles files;
    files.dataRoot = dataRoot(db::catalogueFileName());
    files.catalogueFile = catalogueFolder(files.dataRoot) + db::catalogueFileName();
    if (!QFileInfo(files.catalogueFile).isFile())
        throw StartupError(QStringLiteral("Databáze katalogu nebyla nalezena:\n%1\n\n"
                                          "Program nelze spustit. Sestavte katalog (./run) "
                                          "nebo vložte instalační CD.")
                               .arg(QDir::toNativeSeparators(files.catalogueFile)));

    QString error;
    if (!prepareUserFolder(&error))
        throw StartupError(QStringLiteral("Nelze připravit složku uživatelských dat.\n%1").arg(error));
    files.userFolder = userFolder();
    files.userFile = userDataFolder() + db::userFileName();
    if (!QFileInfo(files.userFile).isFile())
        throw StartupError(QStringLiteral("Databáze uživatelských dat nebyla nalezena:\n%1\n\n"
                                          "Program nelze spustit.")
                               .arg(QDir::toNativeSeparators(files.userFile)));
    return files;
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
    // Shutdown: the main window (with its child windows) goes first, then the own-material
    // data module, then the main data module with the sessions.
    setMediumAbortHandler(nullptr);
    m_main.reset();
    m_ownData.reset();
    m_mainData.reset();
}

int StartUp::run()
{
    // 1. The splash; it lives only until the main window and the search window exist.
    auto splash = std::make_unique<SplashWindow>();
    splash->show();
    QApplication::processEvents();
    g_splash = splash.get();
    bool started = false;
    {
        // The splash goes when the windows exist, and also when making them throws.
        const auto closeSplash = qScopeGuard([&splash] {
            g_splash = nullptr;
            splash.reset();
        });
        started = createGuarded(*splash);
    }
    if (!started)
        return 1;

    tellWorkingCopyRefresh();
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

QString StartUp::serverFailureMessage(const QString &serverName, const QString &why)
{
    return QStringLiteral("Nelze pracovat s databázovým serverem %1.\n\n%2").arg(serverName, why);
}

StartUp::ServerOutcome StartUp::openOnServer(const db::StartupProgress &progress)
{
    const userdata::DatabaseChoice choice = userdata::readDatabaseChoice();
    const bool unattended = m_options.quitAfterFrame || !m_options.screenshot.isEmpty();
    for (;;) {
        try {
            m_mainData = std::make_unique<db::MainDataModule>(db::ServerDatabase{choice.conninfo()}, progress);
            return ServerOutcome::Opened;
        } catch (const db::DbError &e) {
            m_mainData.reset();
            const QString text = serverFailureMessage(choice.serverName(), e.text());
            if (unattended)
                throw StartupError(text);
            // Not under the splash, which stays on top.
            if (g_splash)
                g_splash->hide();
            ui::MessageDialog dialog(text + QStringLiteral("\n\nZkusit znovu: nové spojení se serverem.\n"
                                                           "Místní data: program tentokrát pracuje s daty na tomto počítači.\n"
                                                           "Konec: program skončí."),
                                     ui::MsgType::Error,
                                     ui::MsgButton::Retry | ui::MsgButton::Ignore | ui::MsgButton::Abort);
            dialog.setObjectName(QStringLiteral("ServerFailure"));
            QPushButton *retry = dialog.button(ui::MsgButton::Retry);
            QPushButton *local = dialog.button(ui::MsgButton::Ignore);
            QPushButton *end = dialog.button(ui::MsgButton::Abort);
            retry->setText(QStringLiteral("&Zkusit znovu"));
            local->setText(QStringLiteral("&Místní data"));
            end->setText(QStringLiteral("&Konec"));
            // The row reads in the order of the choices: try again, local data, end (the
            // dialog's own order puts Abort first; its buttons are of one width).
            const QRect first = end->geometry(), second = retry->geometry(), third = local->geometry();
            if (first.width() == second.width() && second.width() == third.width()) {
                retry->setGeometry(first);
                local->setGeometry(second);
                end->setGeometry(third);
                QWidget::setTabOrder(retry, local);
                QWidget::setTabOrder(local, end);
            }
            dialog.placeAt();
            const int answer = dialog.exec();
            if (g_splash)
                g_splash->show();
            if (answer == ui::mrRetry)
                continue;
            if (answer == ui::mrIgnore)
                return ServerOutcome::LocalData;
            return ServerOutcome::End;
        }
    }
}

bool StartUp::createGuarded(SplashWindow &splash)
{
    // 2. The application.
    setUpApplication();
    installMediumQuestion(m_options.quitAfterFrame || !m_options.screenshot.isEmpty());

    bool pictureSaved = false;
    db::StartupProgress progress;
    progress.showText = [&](const QString &text) {
        if (!m_options.splashShots.isEmpty() && !pictureSaved) {
            saveGrab(&splash, m_options.splashShots + QStringLiteral("-picture.png"));
            pictureSaved = true;
        }
        m_shownTexts << text;
        splash.setProgressText(text);
    };
    progress.showTextPanel = [&] {
        m_textsBeforePanel = int(m_shownTexts.size());
        splash.showTextPanel();
    };

    // 3. The main data module on the team's server when chosen (the command line decides for
    // one start), else on the resolved data root; its progress texts on the splash.
    bool server = userdata::readDatabaseChoice().server;
    if (m_options.database == QLatin1String("local"))
        server = false;
    else if (m_options.database == QLatin1String("server"))
        server = true;
    if (server) {
        switch (openOnServer(progress)) {
        case ServerOutcome::Opened:
            break;
        case ServerOutcome::LocalData:
            server = false;
            break;
        case ServerOutcome::End:
            return false;
        }
    }
    m_onServer = server;
    if (server) {
        // The settings file and the material sheets stay on this computer.
        QString error;
        if (!prepareUserFolder(&error))
            throw StartupError(QStringLiteral("Nelze připravit složku uživatelských dat.\n%1").arg(error));
        m_files.userFolder = userFolder();
        m_files.dataRoot = programFolder();
        m_mainData->setDataRoot(m_files.dataRoot);
    } else {
        m_files = locateDataFiles();
        m_mainData = std::make_unique<db::MainDataModule>(m_files.dataRoot, m_files.userFolder, progress);
    }
    if (!m_options.splashShots.isEmpty())
        saveGrab(&splash, m_options.splashShots + QStringLiteral("-panel.png"));
    // Giving up on a medium asked for later closes both sessions before the program ends.
    setMediumAbortHandler([this] {
        if (m_mainData) {
            m_mainData->catalogueSession().close();
            m_mainData->userSession().close();
        }
    });

    // 4. The own-material data module.
    m_ownData = std::make_unique<db::OwnDataModule>(*m_mainData, progress);

    // 5. The main window, 6. the search window in it.
    m_main = std::make_unique<MainWindow>(m_mainData.get());
    m_main->setOwnData(m_ownData.get());
    createSearchWindow();

    // 7. Focus into quick find; the splash shows its last state.
    m_main->quickFind()->setFocus();
    splash.repaint();
    return true;
}

void StartUp::createSearchWindow()
{
    MainWindow *mw = m_main.get();
    auto *form = new search::TfHledani(*m_mainData, settingsFilePath());
    form->isActive = [mw] { return mw->searchWindowActive(); };
    form->autoSave = [mw] { return mw->autoSave(); };
    // A hit of the property search brings its best semi-product, dimension and state.
    QObject::connect(form, &search::TfHledani::openCardRequested, mw,
                     [mw](int material, const QString &title, int semiProduct, int dimension, int state) {
                         browse::CardList *cards = mw->cardList();
                         if (!cards) {
                             if (mw->openCard)
                                 mw->openCard(material, title);
                             return;
                         }
                         std::optional<browse::CardList::Position> position;
                         if (semiProduct || dimension || state)
                             position = browse::CardList::Position{semiProduct, dimension, state};
                         cards->openCard(material, title, browse::CardList::Origin::SearchWindow, position);
                     });
    followSearchActions(mw->actions(), *form);
    m_main->createSearchWindow(form);
    wireCompareAction(*mw, *m_mainData);
    wireExportAction(*mw, *m_mainData);
    wireSearchListPrint(*mw);
}

void StartUp::tellWorkingCopyRefresh()
{
    // What a new catalogue did to the user's own rows is always said; an unattended run says
    // it on stderr instead of waiting for a click.
    const QString text = m_mainData->workingCopyRefresh().message();
    if (text.isEmpty())
        return;
    if (m_options.quitAfterFrame || !m_options.screenshot.isEmpty())
        std::fprintf(stderr, "orvalis: %s\n", qPrintable(text));
    else
        ui::message(text, ui::MsgType::Information, ui::MsgButton::OK);
}

void StartUp::previousVersionCheck()
{
    const bool present = previousVersionPresent(Registry(Registry::Scope::User), previousVersionCatalogueFile());
    // The settings table stands on the "USPESNOST" row the search window read, else on its first row.
    db::DataSet &setup = m_mainData->tSetup;
    if (!setup.locate(QStringLiteral("Items"), QStringLiteral("USPESNOST")))
        setup.first();
    const db::Field *upgrade = setup.isEmpty() ? nullptr : setup.findField(QStringLiteral("upgrade"));
    m_upgradeOffered = shouldOfferUpgrade(present, upgrade ? upgrade->value() : QVariant());
    if (!m_upgradeOffered)
        return;
    if (g_upgradeWizard) {
        g_upgradeWizard(m_main.get());
    } else if (m_ownData && !m_options.quitAfterFrame && m_options.screenshot.isEmpty()) {
        // The upgrade wizard, unless the run is unattended.
        userdata::UpgradeEnvironment env;
        env.helpInstalled = [this] { return m_main->components().help; };
        env.showHelp = [this](int context) { m_main->showContextHelp(context); };
        userdata::showUpgradeWizard(*m_ownData, env, m_main.get());
    }
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

void setUpApplication()
{
    ui::setProgramTitle(QStringLiteral("Orvalis 2.1"));
    QApplication::setWindowIcon(SplashWindow::windowIcon());
    qApp->setProperty("helpFile", helpFile());
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
