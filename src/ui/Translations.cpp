#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace orv::ui {

QTranslator *installCzechQtTranslations()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Czech, QLocale::CzechRepublic), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

QLocale displayLocale(const QLocale &system)
{
    if (system.language() == QLocale::Czech || system.language() == QLocale::Slovak)
        return system;
    return QLocale(QLocale::Czech, QLocale::CzechRepublic);
}

void setUpDisplayLocale()
{
    QLocale::setDefault(displayLocale(QLocale::system()));
}

} // namespace orv::ui
