#pragma once
// The program's run from the splash window to the end of the event loop:
//   splash; application title and help file; catalogue and user data (with progress texts);
//   own-material data; main window; search window; focus into quick find; splash destroyed
//   (also when any of these fail); previous-version check; event loop; shutdown.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>

class QWidget;

namespace orv::db {
struct StartupProgress;
class MainDataModule;
class OwnDataModule;
} // namespace orv::db

namespace orv::app {

class MainWindow;
class SplashWindow;

// A start-up failure with the message the user is shown.
class StartupError : public std::runtime_error
{
public:
    explicit StartupError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

struct StartOptions
{
    QString screenshot;      // grab the main window into this file once it is up, then quit
    int screenshotDelay = 0; // ms to wait before the grab
    QString splashShots;     // save the splash as <prefix>-picture.png and <prefix>-panel.png
    bool quitAfterFrame = false; // print the time the frame appeared and quit (timing runs)
    QString database;            // "local" or "server" for this start (command line); empty: the registry
};

// Where the catalogue and the user data lie for this run.
struct DataFiles
{
    QString dataRoot;      // always ends in "/"
    QString catalogueFile;
    QString userFolder;    // program folder, or the per-user copy of its writable parts
    QString userFile;
};

// Resolves the data root (asking for the medium when it is missing), prepares the user
// folder and checks that both database files exist. Throws StartupError with a Czech
// message a user understands when one is missing.
DataFiles locateDataFiles();

class StartUp
{
public:
    explicit StartUp(StartOptions options = {});
    ~StartUp();

    // What is said when the server cannot be reached. The dialog adds what its buttons do:
    // "Zkusit znovu" (Retry), "Místní data" (Ignore) and "Konec" (Abort).
    static QString serverFailureMessage(const QString &serverName, const QString &why);

    // Steps 1 to 10; returns the exit code (1 when the user ends the start). Failures of the guarded steps propagate as
    // exceptions after the splash is gone.
    int run();

    // Called with the main window as owner when the previous version's data may be carried
    // over, instead of the upgrade wizard (tests). Without one the wizard is shown, unless the
    // run is unattended.
    static void setUpgradeWizard(std::function<void(QWidget *owner)> wizard);
    bool upgradeOffered() const { return m_upgradeOffered; }

    // While the program runs: the data modules and the main window.
    db::MainDataModule *mainData() const { return m_mainData.get(); }
    db::OwnDataModule *ownData() const { return m_ownData.get(); }
    MainWindow *mainWindow() const { return m_main.get(); }
    // Whether the data modules work on the server (false: the files on this computer).
    bool onServer() const { return m_onServer; }
    // The progress texts the splash showed, in order, and how many came before the panel.
    const QStringList &shownTexts() const { return m_shownTexts; }
    int textsBeforePanel() const { return m_textsBeforePanel; }

private:
    // False when the user chose to end the start.
    bool createGuarded(SplashWindow &splash);
    // Opens the main data module on the server, asking again while it cannot be reached. An
    // unattended run has nobody to ask: the failure is a StartupError.
    enum class ServerOutcome { Opened, LocalData, End };
    ServerOutcome openOnServer(const db::StartupProgress &progress);
    void createSearchWindow();
    void tellWorkingCopyRefresh();
    void previousVersionCheck();
    void afterFrame();

    StartOptions m_options;
    DataFiles m_files;
    std::unique_ptr<db::MainDataModule> m_mainData;
    std::unique_ptr<db::OwnDataModule> m_ownData;
    std::unique_ptr<MainWindow> m_main;
    bool m_upgradeOffered = false;
    bool m_onServer = false;
    QStringList m_shownTexts;
    int m_textsBeforePanel = -1;
};

// Records the installation in the machine registry (the installer's part of `./run`).
int install();

// The program's title, window icon and help file, set on the running application.
void setUpApplication();

} // namespace orv::app
