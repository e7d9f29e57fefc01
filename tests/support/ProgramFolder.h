#pragma once
// Program folders of a test's own, with the machine and user registries as files beside them,
// so that no test reads or changes what another left behind. The program folder is set back
// when they go; keep them alive longer than the data modules and windows over them.

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

// A temporary folder `base` with the program folder `prog` in it (`sub` below base, made if
// missing) and the machine and user registry files base/machine.ini and base/user.ini. The
// program folder is set back when it goes.
class TemporaryProgramFolder {
public:
    explicit TemporaryProgramFolder(const QString &sub) : base(m_dir.path() + QLatin1Char('/')), prog(base + sub)
    {
        QDir().mkpath(prog);
        orv::setProgramFolder(prog);
        qputenv("ORVALIS_MACHINE_REGISTRY", (base + QStringLiteral("machine.ini")).toUtf8());
        qputenv("ORVALIS_USER_REGISTRY", (base + QStringLiteral("user.ini")).toUtf8());
    }
    ~TemporaryProgramFolder() { orv::setProgramFolder(QString()); }
    TemporaryProgramFolder(const TemporaryProgramFolder &) = delete;
    TemporaryProgramFolder &operator=(const TemporaryProgramFolder &) = delete;

    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir; // made before the paths are set from it

public:
    const QString base; // with a trailing '/'
    const QString prog; // with a trailing '/'
};

// A program folder of the test's own, `root` (the temporary folder itself), taken as
// writable; optionally with the demo catalogue in data/ and installation flags.
class ProgramFolder : public TemporaryProgramFolder {
public:
    ProgramFolder() : TemporaryProgramFolder(QString()), root(prog) { orv::assumeProgramFolderWritable(true); }

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

    const QString &root; // with a trailing '/'
};

// The places one program start looks at: the program folder `prog` (base/prog/ with an empty
// data/ folder), the registries and the previous version's folder base/old (not made). The
// program folder is not assumed writable: the start finds out.
class StartUpFolders : public TemporaryProgramFolder {
public:
    StartUpFolders() : TemporaryProgramFolder(QStringLiteral("prog/"))
    {
        QDir().mkpath(prog + QStringLiteral("data"));
        qputenv("ORVALIS_PREVIOUS_VERSION_DIR", (base + QStringLiteral("old")).toUtf8());
    }
};

} // namespace orv::test
