#include "core/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace orv {

namespace {

// QSettings separates groups with "/"; registry paths use "\".
QString groupPath(const QString &key)
{
    QString g = key;
    g.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (g.startsWith(QLatin1Char('/')))
        g.remove(0, 1);
    while (g.endsWith(QLatin1Char('/')))
        g.chop(1);
    return g;
}

QString firstXdgDir(const QByteArray &variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable.constData());
    for (const QString &dir : value.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            return dir;
    }
    return fallback;
}

} // namespace

Registry::Registry(Scope scope)
    : Registry(scope, defaultFilePath(scope))
{
}

Registry::Registry(Scope scope, const QString &filePath)
    : m_scope(scope)
    , m_filePath(filePath)
{
}

QString Registry::defaultFilePath(Scope scope)
{
    if (scope == Scope::Machine) {
        const QString over = qEnvironmentVariable("ORVALIS_MACHINE_REGISTRY");
        if (!over.isEmpty())
            return over;
        return firstXdgDir("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"))
               + QStringLiteral("/orvalis/registry.ini");
    }
    const QString over = qEnvironmentVariable("ORVALIS_USER_REGISTRY");
    if (!over.isEmpty())
        return over;
    return firstXdgDir("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"))
           + QStringLiteral("/orvalis/registry.ini");
}

bool Registry::keyExists(const QString &key) const
{
    if (!QFileInfo::exists(m_filePath))
        return false;
    QSettings s(m_filePath, QSettings::IniFormat);
    s.beginGroup(groupPath(key));
    return !s.childKeys().isEmpty() || !s.childGroups().isEmpty();
}

bool Registry::hasValue(const QString &key, const QString &name) const
{
    if (!QFileInfo::exists(m_filePath))
        return false;
    QSettings s(m_filePath, QSettings::IniFormat);
    s.beginGroup(groupPath(key));
    return s.contains(name);
}

int Registry::readInteger(const QString &key, const QString &name) const
{
    if (!QFileInfo::exists(m_filePath))
        return 0;
    QSettings s(m_filePath, QSettings::IniFormat);
    s.beginGroup(groupPath(key));
    bool ok = false;
    const int v = s.value(name).toString().trimmed().toInt(&ok);
    return ok ? v : 0;
}

QString Registry::readString(const QString &key, const QString &name) const
{
    if (!QFileInfo::exists(m_filePath))
        return {};
    QSettings s(m_filePath, QSettings::IniFormat);
    s.beginGroup(groupPath(key));
    return s.value(name).toString();
}

QStringList Registry::valueNames(const QString &key) const
{
    if (!QFileInfo::exists(m_filePath))
        return {};
    QSettings s(m_filePath, QSettings::IniFormat);
    s.beginGroup(groupPath(key));
    return s.childKeys();
}

bool Registry::writeInteger(const QString &key, const QString &name, int value)
{
    return write(key, name, QString::number(value));
}

bool Registry::writeString(const QString &key, const QString &name, const QString &value)
{
    return write(key, name, value);
}

bool Registry::write(const QString &key, const QString &name, const QString &value)
{
    const QFileInfo fi(m_filePath);
    if (!QDir().mkpath(fi.absolutePath()))
        return false;
    QSettings s(m_filePath, QSettings::IniFormat);
    if (!s.isWritable())
        return false;
    s.beginGroup(groupPath(key));
    s.setValue(name, value);
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

QString productKey()
{
    return QStringLiteral("SOFTWARE\\Halmberg s.r.o\\ZEB 2.1 (Demoverze)");
}

QString setupKey()
{
    return productKey() + QStringLiteral("\\SETUP");
}

QString installKey()
{
    return setupKey() + QStringLiteral("\\INSTALL");
}

QString previousVersionKey()
{
    return QStringLiteral("ZEB 2.0");
}

InstalledComponents readInstalledComponents(const Registry &machine)
{
    const QString key = installKey();
    InstalledComponents c;
    c.form = machine.readInteger(key, install::form()) == 1;
    c.help = machine.readInteger(key, install::help()) == 1;
    c.pdf = machine.readInteger(key, install::pdf()) == 1;
    c.printouts = machine.readInteger(key, install::printouts()) == 1;
    c.standardsInfo = machine.readInteger(key, install::standardsInfo()) == 1;
    return c;
}

bool recordInstallation(Registry &machine)
{
    const QString key = installKey();
    const QStringList components{install::form(), install::help(), install::pdf(),
                                 install::printouts(), install::standardsInfo()};
    bool ok = true;
    for (const QString &name : components) {
        if (!machine.hasValue(key, name))
            ok = machine.writeInteger(key, name, 1) && ok;
    }
    if (!machine.hasValue(key, install::dataOnMedium()))
        ok = machine.writeInteger(key, install::dataOnMedium(), 0) && ok;
    return ok;
}

} // namespace orv
