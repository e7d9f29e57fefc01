#include "ui/ExternalOpen.h"

#include "ui/MessageDialog.h"

#include <QDesktopServices>
#include <QStandardPaths>

namespace orv::ui {

QString missingProgramText(const QUrl &url)
{
    if (url.scheme() == QLatin1String("mailto"))
        return QStringLiteral("Zprávu na adresu %1 nelze napsat: v systému není nastaven žádný poštovní program."
                              "\r\rNainstalujte poštovní program (například balíček thunderbird) a nastavte jej "
                              "jako výchozí, nebo napište na tuto adresu z jiného programu.")
            .arg(url.path());
    return QStringLiteral("Stránku %1 nelze otevřít: v systému není nastaven žádný webový prohlížeč."
                          "\r\rNainstalujte webový prohlížeč (například balíček firefox-esr) a nastavte jej "
                          "jako výchozí, nebo adresu zadejte do prohlížeče ručně.")
        .arg(url.toString());
}

QString missingPrintCommandText()
{
    return QStringLiteral("Materiálový list nelze vytisknout: v systému chybí tiskový příkaz lp "
                          "(balíček cups-client) nebo není nastavena žádná tiskárna."
                          "\r\rChcete materiálový list otevřít a vytisknout jej z prohlížeče PDF?");
}

bool openExternal(const QUrl &url, const std::function<void(const QString &)> &report)
{
    // Qt hands the URL to xdg-open, or to $BROWSER when that is missing; without either it
    // cannot open anything.
    const bool launcher = !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()
                          || !qEnvironmentVariableIsEmpty("BROWSER") || !qEnvironmentVariableIsEmpty("DEFAULT_BROWSER");
    if (launcher && QDesktopServices::openUrl(url))
        return true;
    const QString text = missingProgramText(url);
    if (report)
        report(text);
    else
        message(text, MsgType::Warning, MsgButton::OK);
    return false;
}

} // namespace orv::ui
