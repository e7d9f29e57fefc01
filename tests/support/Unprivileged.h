#pragma once
// Read-only places in tests. Root ignores permission bits, so a test that makes a folder
// read-only and then runs as root proves nothing. Such a test runs its checking part again
// in a child: this same test program, filtered to the one test, under an unprivileged user id
// (setpriv) when the tests run as root, else as the current user. The child finds what the
// parent prepared through an environment variable and reports through its exit status.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace orv::test {

constexpr uid_t unprivilegedId = 65534; // nobody

inline bool runningAsRoot()
{
    return geteuid() == 0;
}

// The folder the parent prepared, when this process is the child; empty in the parent.
inline QString childFolder(const char *variable)
{
    return qEnvironmentVariable(variable);
}

// Makes `path` and every folder above it up to the root passable for other users, so the
// unprivileged child can reach it (temporary folders are created 0700).
inline void openPathForOthers(const QString &path)
{
    for (QString p = QFileInfo(path).absoluteFilePath(); p.size() > 1; p = QFileInfo(p).path()) {
        struct stat st {};
        if (::stat(QFile::encodeName(p).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            ::chmod(QFile::encodeName(p).constData(), st.st_mode | S_IXOTH | S_IROTH);
    }
}

// Gives a file or folder to the unprivileged user (when running as root), so that it is
// writable for the child.
inline void giveToChild(const QString &path)
{
    if (runningAsRoot()) {
        EXPECT_EQ(::chown(QFile::encodeName(path).constData(), unprivilegedId, unprivilegedId), 0) << qPrintable(path);
    }
}

struct ChildRun
{
    int exitCode = -1;
    bool finished = false;
    QString output;
};

// Runs the current test again in a child process with `variable` set to `folder` and the
// extra environment `env` ("NAME=value"). Waits at most `timeoutMs`.
// With `unprivileged` false the child keeps the current user (for tests that only need a
// process of their own, e.g. to survive a hang).
inline ChildRun runTestInChild(const char *variable, const QString &folder, const QStringList &env = {},
                               int timeoutMs = 120000, bool unprivileged = true)
{
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter = QStringLiteral("--gtest_filter=%1.%2")
                               .arg(QString::fromUtf8(info->test_suite_name()), QString::fromUtf8(info->name()));
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    QStringList args;
    QString program = self;
    if (unprivileged && runningAsRoot()) {
        program = QStringLiteral("setpriv");
        args << QStringLiteral("--reuid=%1").arg(unprivilegedId) << QStringLiteral("--regid=%1").arg(unprivilegedId)
             << QStringLiteral("--clear-groups") << self;
    }
    args << filter;
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QString::fromLatin1(variable), folder);
    // The child has no home of its own; keep it inside the prepared folder.
    e.insert(QStringLiteral("HOME"), folder + QStringLiteral("/home"));
    e.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder + QStringLiteral("/home"));
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const QString &kv : env) {
        const qsizetype eq = kv.indexOf(u'=');
        e.insert(kv.left(eq), kv.mid(eq + 1));
    }
    QDir().mkpath(folder + QStringLiteral("/home"));
    if (unprivileged)
        giveToChild(folder + QStringLiteral("/home"));
    p.setProcessEnvironment(e);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    ChildRun r;
    if (!p.waitForStarted(10000)) {
        r.output = QStringLiteral("cannot start ") + program;
        return r;
    }
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.output = QString::fromUtf8(p.readAll());
    r.exitCode = r.finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

} // namespace orv::test
