// Orvalis 2.1: start the program, or record the installation (--install).

#include "app/StartUp.h"
#include "db/DbError.h"
#include "ui/MessageDialog.h"
#include "ui/ScreenFit.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>
#include <exception>

int main(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--install") == 0) {
            // No windows: the installer may run where there is no display.
            QCoreApplication core(argc, argv);
            return orv::app::install();
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvalis"));
    QApplication::setOrganizationName(QStringLiteral("Halmberg s.r.o"));
    // Qt's own dialogs (files, printing, standard buttons) in Czech like the rest.
    orv::ui::installCzechQtTranslations();
    // Numbers read "2,5", also where the system speaks English or C.
    orv::ui::setUpDisplayLocale();
    // Every window stays whole on a small laptop screen.
    orv::ui::installScreenFit();

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption shot(QStringLiteral("screenshot"), QStringLiteral("Save the main window to <file> and quit."),
                                  QStringLiteral("file"));
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Wait <ms> before the screenshot."),
                                   QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption splash(QStringLiteral("splash-screenshot"),
                                    QStringLiteral("Save the splash window as <prefix>-picture.png and <prefix>-panel.png."),
                                    QStringLiteral("prefix"));
    const QCommandLineOption quit(QStringLiteral("quit-after-frame"),
                                  QStringLiteral("Print when the main window is up and quit."));
    const QCommandLineOption installOption(QStringLiteral("install"), QStringLiteral("Record the installation and quit."));
    const QCommandLineOption database(QStringLiteral("database"),
                                      QStringLiteral("Work on the local files or on the team's server for this start "
                                                     "(default: as chosen in the options)."),
                                      QStringLiteral("local|server"));
    parser.addOptions({shot, delay, splash, quit, installOption, database});
    parser.process(app);
    if (parser.isSet(database) && parser.value(database) != QLatin1String("local")
        && parser.value(database) != QLatin1String("server")) {
        std::fprintf(stderr, "orvalis: --database takes \"local\" or \"server\", not \"%s\"\n",
                     qPrintable(parser.value(database)));
        return 2;
    }

    orv::app::StartOptions options;
    options.screenshot = parser.value(shot);
    options.screenshotDelay = parser.value(delay).toInt();
    options.splashShots = parser.value(splash);
    options.quitAfterFrame = parser.isSet(quit);
    options.database = parser.value(database);

    // Unattended runs (screenshots, timing) report a failed start on stderr instead of
    // waiting for somebody to close a dialog.
    const bool unattended = options.quitAfterFrame || !options.screenshot.isEmpty();
    auto report = [unattended](const QString &text) {
        if (unattended)
            std::fprintf(stderr, "orvalis: %s\n", qPrintable(text));
        else
            orv::ui::message(text, orv::ui::MsgType::Error, orv::ui::MsgButton::OK);
    };
    try {
        orv::app::StartUp startUp(options);
        return startUp.run();
    } catch (const orv::app::StartupError &e) {
        report(e.message());
    } catch (const orv::db::DbError &e) {
        report(e.text());
    } catch (const std::exception &e) {
        report(QString::fromUtf8(e.what()));
    }
    return 1;
}
