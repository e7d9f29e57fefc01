#pragma once
// The installation's registry: two INI files standing in for the machine-wide and the
// per-user registry roots. Key paths are written with backslashes as the installer and the
// previous version name them ("SOFTWARE\\Halmberg s.r.o\\ZEB 2.1 (Demoverze)\\SETUP").
//
// Where the files lie:
//   machine scope: $ORVALIS_MACHINE_REGISTRY, else <first of $XDG_CONFIG_DIRS, or /etc/xdg>/orvalis/registry.ini,
//                  else (when only that exists) registry.ini in the program folder
//   user scope:    $ORVALIS_USER_REGISTRY,    else <$XDG_CONFIG_HOME, or ~/.config>/orvalis/registry.ini
// A missing file, key or value reads as 0 or as an empty text, never as an error.

#include <QString>
#include <QStringList>

namespace orv {

class Registry
{
public:
    enum class Scope { Machine, User };

    explicit Registry(Scope scope);
    Registry(Scope scope, const QString &filePath);

    static QString defaultFilePath(Scope scope);

    Scope scope() const { return m_scope; }
    QString filePath() const { return m_filePath; }

    // A key exists when it holds a value or a sub-key.
    bool keyExists(const QString &key) const;
    bool hasValue(const QString &key, const QString &name) const;
    // 0 when the value is missing or is not a whole number.
    int readInteger(const QString &key, const QString &name) const;
    QString readString(const QString &key, const QString &name) const;
    QStringList valueNames(const QString &key) const;

    // False when the file cannot be written (a machine scope file owned by root, say).
    bool writeInteger(const QString &key, const QString &name, int value);
    bool writeString(const QString &key, const QString &name, const QString &value);

private:
    bool write(const QString &key, const QString &name, const QString &value);

    Scope m_scope;
    QString m_filePath;
};

// Keys of this installation and of the previous version.
QString productKey();      // "SOFTWARE\\Halmberg s.r.o\\ZEB 2.1 (Demoverze)"
QString setupKey();        // productKey + "\\SETUP"       (customer data, text values)
QString installKey();      // productKey + "\\SETUP\\INSTALL" (installation flags)
QString previousVersionKey(); // "ZEB 2.0", directly below the user root

// Value names under installKey().
namespace install {
inline QString dataOnMedium() { return QStringLiteral("Data na CD"); }
inline QString form() { return QStringLiteral("Formular"); }
inline QString help() { return QStringLiteral("Help"); }
inline QString pdf() { return QStringLiteral("Pdf"); }
inline QString printouts() { return QStringLiteral("Tisky"); }
inline QString standardsInfo() { return QStringLiteral("InfoNorma"); }
} // namespace install

// The installed-component flags; each is true only when its stored value is exactly 1.
struct InstalledComponents
{
    bool form = false;          // "Formular"
    bool help = false;          // "Help"
    bool pdf = false;           // "Pdf"
    bool printouts = false;     // "Tisky"
    bool standardsInfo = false; // "InfoNorma"
};

InstalledComponents readInstalledComponents(const Registry &machine);

// What the installer records: the five components installed and the catalogue on disk.
// Values already present are left alone, so a choice made earlier survives a re-install.
// Returns false when the file could not be written.
bool recordInstallation(Registry &machine);
// The installer: records into the machine registry, or, when the system-wide file cannot be
// written, into registry.ini in the program folder. Returns the file used, or an empty
// text when neither could be written.
QString installProgram();

} // namespace orv
