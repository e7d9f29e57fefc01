#pragma once
// The program's run from the splash window to the end of the event loop:
//   splash; application title and help file; catalogue and user data (with progress texts);
//   own-material data; main window; search window; focus into quick find; splash destroyed
//   (also when any of these fail); previous-version check; event loop; shutdown.

#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

class QWidget;

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
};

// Texts the data modules show on the splash while they open their tables.
QString progressMaterialTable();   // "Otevření tabulky materiálu ..."
QString progressContentsTable();   // "Otevření tabulky obsahu ..."
QString progressCodeLists();       // "Otevření tabulek číselníků ..."
QString progressOwnMaterial();     // "Otevření tabulek pro vlastní materiál ..."

// Where start-up reports its progress; the splash window in the program.
struct StartupProgress
{
    std::function<void(const QString &)> setText;
    std::function<void()> showTextPanel;
};

// The catalogue and user data as start-up opens them; stands for the data modules.
struct StartupData
{
    QString dataRoot;
    QString catalogueFile;
    QString userFile;
};

// Resolves the data root and checks that both database files can be opened, reporting
// the progress texts in their order. Throws StartupError with a Czech message when a file
// is missing.
StartupData openStartupData(const StartupProgress &progress);

class StartUp
{
public:
    explicit StartUp(StartOptions options = {});
    ~StartUp();

    // Steps 1 to 10; returns the exit code. Failures of the guarded steps propagate as
    // exceptions after the splash is gone.
    int run();

    // Called with the main window as owner when the previous version's data may be carried
    // over; until the wizard exists nothing is registered and the check only decides.
    static void setUpgradeWizard(std::function<void(QWidget *owner)> wizard);
    bool upgradeOffered() const { return m_upgradeOffered; }

private:
    void createGuarded(SplashWindow &splash);
    void previousVersionCheck();
    void afterFrame();

    StartOptions m_options;
    StartupData m_data;
    std::unique_ptr<MainWindow> m_main;
    bool m_upgradeOffered = false;
};

// Records the installation in the machine registry (the installer's part of `./run`).
int install();

} // namespace orv::app
