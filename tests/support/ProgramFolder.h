#pragma once
// A program folder of the test's own: a temporary folder set as the program folder (Zeb.ini
// and data/ live there) and taken as writable, with the machine and user registries as files
// in it, so that no test reads or changes what another left behind. The program folder is
// set back when it goes; keep it alive longer than the data modules and windows over it.

#include "core/Paths.h"
#include "core/Registry.h"
#include "support/DemoCatalogue.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace orv::test {

class ProgramFolder {
public:
    ProgramFolder() : root(m_dir.path() + QLatin1Char('/'))
    {
        orv::setProgramFolder(root);
        orv::assumeProgramFolderWritable(true);
        qputenv("ORVALIS_MACHINE_REGISTRY", (root + QStringLiteral("machine.ini")).toUtf8());
        qputenv("ORVALIS_USER_REGISTRY", (root + QStringLiteral("user.ini")).toUtf8());
    }
    ~ProgramFolder() { orv::setProgramFolder(QString()); }
    ProgramFolder(const ProgramFolder &) = delete;
    ProgramFolder &operator=(const ProgramFolder &) = delete;

    bool isValid() const { return m_dir.isValid(); }

    // Copies the demo catalogue into data/ (catalogue.sqlite and user.sqlite).
    ::testing::AssertionResult addDemoCatalogue() const { return copyDemoCatalogue(root + QStringLiteral("data")); }

    // Writes installation flags ("Help", "Pdf", "Data na CD", ...) into the machine registry.
    ::testing::AssertionResult install(std::initializer_list<std::pair<const char *, int>> values) const
    {
        orv::Registry machine(orv::Registry::Scope::Machine);
        for (const auto &[name, value] : values)
            if (!machine.writeInteger(orv::installKey(), QString::fromLatin1(name), value))
                return ::testing::AssertionFailure() << "cannot write " << name << " into the machine registry";
        return ::testing::AssertionSuccess();
    }

private:
    QTemporaryDir m_dir; // made before `root` is set from it

public:
    const QString root; // with a trailing '/'
};

// The places one program start looks at, in a temporary folder `base` of their own: the
// program folder `prog` (base/prog/ with an empty data/ folder), the registry files
// (base/machine.ini, base/user.ini) and the previous version's folder base/old (not made).
// Unlike ProgramFolder, the program folder is not assumed writable: the start finds out.
class StartUpFolders {
public:
    StartUpFolders() : base(m_dir.path() + QLatin1Char('/')), prog(base + QStringLiteral("prog/"))
    {
        QDir().mkpath(prog + QStringLiteral("data"));
        orv::setProgramFolder(prog);
        qputenv("ORVALIS_MACHINE_REGISTRY", (base + QStringLiteral("machine.ini")).toUtf8());
        qputenv("ORVALIS_USER_REGISTRY", (base + QStringLiteral("user.ini")).toUtf8());
        qputenv("ORVALIS_PREVIOUS_VERSION_DIR", (base + QStringLiteral("old")).toUtf8());
    }
    ~StartUpFolders() { orv::setProgramFolder(QString()); }
    StartUpFolders(const StartUpFolders &) = delete;
    StartUpFolders &operator=(const StartUpFolders &) = delete;

    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir; // made before the paths are set from it

public:
    const QString base; // with a trailing '/'
    const QString prog; // with a trailing '/'
};

} // namespace orv::test
