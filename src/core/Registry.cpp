#include "core/Registry.h"

#include "core/SafeFile.h"

#include "core/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>

namespace orv {

namespace {

// The files are plain INI text a person can read and edit:
//   [SOFTWARE\Halmberg s.r.o\ZEB 2.1 (Demoverze)\SETUP\INSTALL]
//   Data na CD=0
// Key paths and value names compare case-insensitively, as registry names do. Lines that
// are not understood (comments, say) are kept when the file is written back.

QString normalisedKey(const QString &key)
{
    QString k = key.trimmed();
    k.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (k.startsWith(QLatin1Char('\\')))
        k.remove(0, 1);
    while (k.endsWith(QLatin1Char('\\')))
        k.chop(1);
    return k;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The section name of a "[...]" line, or a null text for any other line.
QString sectionOf(const QString &line)
{
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return normalisedKey(t.mid(1, t.size() - 2));
    return {};
}

bool valueOf(const QString &line, QString *name, QString *value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *name = t.left(eq).trimmed();
    *value = t.mid(eq + 1).trimmed();
    return true;
}

QStringList readLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
}

// The values of one section, in file order.
QList<QPair<QString, QString>> sectionValues(const QString &path, const QString &key)
{
    QList<QPair<QString, QString>> values;
    const QString wanted = normalisedKey(key);
    bool inside = false;
    for (const QString &line : readLines(path)) {
        const QString section = sectionOf(line);
        if (!section.isNull()) {
            inside = sameName(section, wanted);
            continue;
        }
        QString name, value;
        if (inside && valueOf(line, &name, &value))
            values.append({name, value});
    }
    return values;
}

bool findValue(const QString &path, const QString &key, const QString &name, QString *value)
{
    // The last of repeated names wins, as a later line overrides an earlier one.
    bool found = false;
    for (const auto &nv : sectionValues(path, key)) {
        if (sameName(nv.first, name)) {
            *value = nv.second;
            found = true;
        }
    }
    return found;
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
        const QString system = firstXdgDir("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"))
                               + QStringLiteral("/orvalis/registry.ini");
        // An installation made without the right to write the system-wide file keeps its
        // machine registry beside the program.
        const QString portable = programFolder() + QStringLiteral("registry.ini");
        if (!QFileInfo::exists(system) && QFileInfo::exists(portable))
            return portable;
        return system;
    }
    const QString over = qEnvironmentVariable("ORVALIS_USER_REGISTRY");
    if (!over.isEmpty())
        return over;
    return firstXdgDir("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"))
           + QStringLiteral("/orvalis/registry.ini");
}

bool Registry::keyExists(const QString &key) const
{
    const QString wanted = normalisedKey(key);
    if (wanted.isEmpty())
        return QFileInfo::exists(m_filePath);
    const QString below = wanted + QLatin1Char('\\');
    for (const QString &line : readLines(m_filePath)) {
        const QString section = sectionOf(line);
        if (section.isNull())
            continue;
        if (sameName(section, wanted) || section.startsWith(below, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool Registry::hasValue(const QString &key, const QString &name) const
{
    QString value;
    return findValue(m_filePath, key, name, &value);
}

int Registry::readInteger(const QString &key, const QString &name) const
{
    QString value;
    if (!findValue(m_filePath, key, name, &value))
        return 0;
    bool ok = false;
    const int v = value.toInt(&ok);
    return ok ? v : 0;
}

QString Registry::readString(const QString &key, const QString &name) const
{
    QString value;
    findValue(m_filePath, key, name, &value);
    return value;
}

QStringList Registry::valueNames(const QString &key) const
{
    QStringList names;
    for (const auto &nv : sectionValues(m_filePath, key)) {
        if (!names.contains(nv.first, Qt::CaseInsensitive))
            names.append(nv.first);
    }
    return names;
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
    const QString wanted = normalisedKey(key);
    QString text = value;
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')); // one line per value
    const QString newLine = name + QLatin1Char('=') + text;

    QStringList lines = readLines(m_filePath);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();

    // Replace the value in place, or append it to its section, or add the section.
    qsizetype sectionEnd = -1;
    bool inside = false;
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        const QString section = sectionOf(lines[i]);
        if (!section.isNull()) {
            if (inside)
                break;
            inside = sameName(section, wanted);
            if (inside)
                sectionEnd = i + 1;
            continue;
        }
        if (!inside)
            continue;
        QString n, v;
        if (valueOf(lines[i], &n, &v) && sameName(n, name)) {
            lines[i] = newLine;
            done = true;
        } else if (!lines[i].trimmed().isEmpty()) {
            sectionEnd = i + 1;
        }
    }
    if (!done) {
        if (sectionEnd >= 0) {
            lines.insert(sectionEnd, newLine);
        } else {
            if (!lines.isEmpty())
                lines.append(QString());
            lines.append(QLatin1Char('[') + wanted + QLatin1Char(']'));
            lines.append(newLine);
        }
    }

    const QFileInfo fi(m_filePath);
    if (!QDir().mkpath(fi.absolutePath()))
        return false;
    // Written to a temporary name and renamed over the old file: never half a registry.
    return writeFileSafely(m_filePath, (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
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

QString installProgram()
{
    Registry machine(Registry::Scope::Machine);
    if (recordInstallation(machine))
        return machine.filePath();
    if (!qEnvironmentVariableIsEmpty("ORVALIS_MACHINE_REGISTRY"))
        return {}; // a file named on purpose is not swapped for another one
    Registry portable(Registry::Scope::Machine, programFolder() + QStringLiteral("registry.ini"));
    return recordInstallation(portable) ? portable.filePath() : QString();
}

} // namespace orv
