#pragma once
// A private CUPS server for tests: cupsd started as a child of the test in a temporary
// server root, listening on a Unix socket and on a free 127.0.0.1 port, with queues whose
// devices are files in a temporary folder. Header-only; needs Qt Core.
//
//     orv::testing::CupsTestServer cups;
//     ORV_START_CUPS_OR_SKIP(cups);                 // GTEST_SKIP with the reason
//     const QString out = cups.addTextOnlyQueue("tisk");
//     cups.exportEnvironment();                     // CUPS_SERVER for this process
//     ... print to "tisk" ...
//     QByteArray bytes = cups.waitForOutput(out);
//
// libcups remembers the server of a thread once asked; code that already talked to
// another server should call cupsSetServer(nullptr) after exportEnvironment().

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include "support/FreePort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace orv::testing {

class CupsTestServer {
public:
    CupsTestServer() = default;
    ~CupsTestServer() { stop(); }
    CupsTestServer(const CupsTestServer &) = delete;
    CupsTestServer &operator=(const CupsTestServer &) = delete;

    // Starts cupsd and waits until it answers (at most timeoutMs). False, with the reason
    // in error(), when it cannot be started here.
    bool start(int timeoutMs = 15000)
    {
        if (running())
            return true;
        m_error.clear();
        const QString cupsd = findProgram(QStringLiteral("cupsd"));
        if (cupsd.isEmpty())
            return fail(QStringLiteral("cupsd is not installed"));
        m_dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/orv-cups-XXXXXX"));
        if (!m_dir->isValid())
            return fail(QStringLiteral("no temporary folder for the server root"));
        const QString root = m_dir->path();
        ::chmod(QFile::encodeName(root).constData(), 0755);
        for (const char *sub : {"spool", "tmp", "cache", "state", "log", "ppd", "out", "bin/filter"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        ::chmod(QFile::encodeName(root + QStringLiteral("/tmp")).constData(), 01777);
        ::chmod(QFile::encodeName(outputDir()).constData(), 01777);
        // The server's own programs, plus a filter that passes the data unchanged: a raw
        // job with no filter at all is never copied to a file device.
        for (const char *sub : {"backend", "daemon", "notifier"})
            QFile::link(QStringLiteral("/usr/lib/cups/") + QString::fromLatin1(sub),
                        root + QStringLiteral("/bin/") + QString::fromLatin1(sub));
        const QByteArray pass = "#!/bin/sh\nif [ -n \"$6\" ]; then exec cat \"$6\"; fi\nexec cat\n";
        for (const char *name : {"gziptoany", "orvpass"}) {
            const QString f = root + QStringLiteral("/bin/filter/") + QString::fromLatin1(name);
            if (!writeFile(f, pass))
                return fail(QStringLiteral("cannot write ") + f);
            ::chmod(QFile::encodeName(f).constData(), 0755);
        }
        m_port = orv::test::freeLoopbackPort();
        if (m_port <= 0)
            return fail(QStringLiteral("no free port on 127.0.0.1"));
        const bool root0 = ::geteuid() == 0;
        const QByteArray conf = QStringLiteral(
            "Listen %1\nListen 127.0.0.1:%2\nLogLevel info\nDefaultAuthType None\n"
            "WebInterface No\nBrowsing No\nMaxJobs 0\nPreserveJobHistory No\n"
            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
            .arg(socketPath()).arg(m_port).toUtf8();
        QString files = QStringLiteral(
            "ServerRoot %1\nServerBin %1/bin\nRequestRoot %1/spool\nTempDir %1/tmp\n"
            "CacheDir %1/cache\nStateDir %1/state\nErrorLog %1/log/error_log\n"
            "AccessLog %1/log/access_log\nPageLog %1/log/page_log\nFileDevice Yes\n"
            "Sandboxing Relaxed\n").arg(root);
        if (root0)
            files += QStringLiteral("User lp\nGroup lp\nSystemGroup root\n");
        if (!writeFile(root + QStringLiteral("/cupsd.conf"), conf)
            || !writeFile(root + QStringLiteral("/cups-files.conf"), files.toUtf8()))
            return fail(QStringLiteral("cannot write the server configuration"));

        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        m_process->start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"),
                                 root + QStringLiteral("/cupsd.conf"), QStringLiteral("-s"),
                                 root + QStringLiteral("/cups-files.conf")});
        if (!m_process->waitForStarted(5000))
            return fail(QStringLiteral("cupsd did not start: ") + m_process->errorString());
        QElapsedTimer timer;
        timer.start();
        while (!answers()) {
            if (m_process->state() != QProcess::Running || timer.elapsed() > timeoutMs) {
                QString why = QString::fromLocal8Bit(m_process->readAll()).trimmed();
                if (why.isEmpty())
                    why = lastLogLines();
                return fail(QStringLiteral("cupsd did not answer: ") + why);
            }
            QThread::msleep(50);
        }
        return true;
    }

    // Stops the server (and puts CUPS_SERVER back when exportEnvironment set it).
    void stop()
    {
        if (m_process) {
            if (m_process->state() != QProcess::NotRunning) {
                m_process->terminate();
                if (!m_process->waitForFinished(5000)) {
                    m_process->kill();
                    m_process->waitForFinished(2000);
                }
            }
            m_process.reset();
        }
        if (m_previousServer) {
            if (m_previousServer->isNull())
                ::unsetenv("CUPS_SERVER");
            else
                ::setenv("CUPS_SERVER", m_previousServer->constData(), 1);
            m_previousServer.reset();
        }
        m_dir.reset();
    }

    bool running() const { return m_process && m_process->state() == QProcess::Running; }
    const QString &error() const { return m_error; }
    QString serverRoot() const { return m_dir ? m_dir->path() : QString(); }
    QString socketPath() const { return serverRoot() + QStringLiteral("/cups.sock"); }
    int port() const { return m_port; }
    // The world-writable folder the queues' file devices write into.
    QString outputDir() const { return serverRoot() + QStringLiteral("/out"); }
    // The server log (for messages of a failed test).
    QString log() const
    {
        QFile f(serverRoot() + QStringLiteral("/log/error_log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }

    // Points libcups of this process, and the programs it starts, at this server.
    void exportEnvironment()
    {
        if (!m_previousServer) {
            const char *old = std::getenv("CUPS_SERVER");
            m_previousServer = old ? QByteArray(old) : QByteArray();
        }
        ::setenv("CUPS_SERVER", QFile::encodeName(socketPath()).constData(), 1);
    }

    // Runs a CUPS client program (lpadmin, lp, lpstat, cancel, ...) against this server.
    // Returns its exit code (-1 when it could not run); output gets stdout and stderr.
    int run(const QString &program, const QStringList &args, QString *output = nullptr) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), socketPath());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        QString exe = findProgram(program);
        if (exe.isEmpty())
            exe = program;
        p.start(exe, args);
        if (!p.waitForStarted(5000) || !p.waitForFinished(30000)) {
            if (output)
                *output = p.errorString();
            return -1;
        }
        if (output)
            *output = QString::fromLocal8Bit(p.readAll());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // A raw queue (no driver) whose device is the file outputDir()/<name>.out. Returns the
    // file's path, or empty (reason in error()).
    QString addRawQueue(const QString &name)
    {
        const QString out = outputFile(name);
        QString msg;
        if (run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), name, QStringLiteral("-E"),
                                            QStringLiteral("-v"), QStringLiteral("file://") + out},
                &msg) != 0) {
            m_error = msg.trimmed();
            return {};
        }
        return out;
    }

    // A queue whose driver's make and model is makeAndModel ("Generic Text-Only" by
    // default) and that passes every job's bytes unchanged to the file
    // outputDir()/<name>.out. Returns the file's path, or empty (reason in error()).
    QString addTextOnlyQueue(const QString &name,
                             const QString &makeAndModel = QStringLiteral("Generic Text-Only"))
    {
        const QString ppd = serverRoot() + QStringLiteral("/") + name + QStringLiteral(".src.ppd");
        const QByteArray text = QStringLiteral(
            "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
            "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"ORVTEST.PPD\"\n"
            "*Manufacturer: \"Generic\"\n*Product: \"(%1)\"\n*ModelName: \"%1\"\n"
            "*ShortNickName: \"%1\"\n*NickName: \"%1\"\n*PSVersion: \"(3010.000) 0\"\n"
            "*LanguageLevel: \"3\"\n*ColorDevice: False\n*DefaultColorSpace: Gray\n"
            "*FileSystem: False\n*Throughput: \"1\"\n*LandscapeOrientation: Plus90\n"
            "*TTRasterizer: Type42\n*cupsFilter: \"application/vnd.cups-raw 0 orvpass\"\n"
            "*cupsFilter: \"text/plain 0 orvpass\"\n*cupsFilter: \"application/pdf 0 orvpass\"\n"
            "*cupsFilter: \"application/postscript 0 orvpass\"\n"
            "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n*PageSize A4/A4: \"\"\n"
            "*CloseUI: *PageSize\n*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"0 0 595 842\"\n"
            "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n")
            .arg(makeAndModel).toLatin1();
        if (!writeFile(ppd, text)) {
            m_error = QStringLiteral("cannot write ") + ppd;
            return {};
        }
        const QString out = outputFile(name);
        QString msg;
        if (run(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                 QStringLiteral("file://") + out, QStringLiteral("-P"), ppd},
                &msg) != 0) {
            m_error = msg.trimmed();
            return {};
        }
        return out;
    }

    bool setDefault(const QString &name) const
    {
        return run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name}) == 0;
    }

    // Submits a file with lp; options are passed as "-o" values. True when accepted.
    bool submit(const QString &queue, const QString &file, const QStringList &options = {}) const
    {
        QStringList args{QStringLiteral("-d"), queue};
        for (const QString &o : options)
            args << QStringLiteral("-o") << o;
        args << file;
        return run(QStringLiteral("lp"), args) == 0;
    }

    // Waits until the server has no pending or processing job. False on timeout.
    bool waitForJobs(int timeoutMs = 20000) const
    {
        QElapsedTimer timer;
        timer.start();
        do {
            QString out;
            if (run(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &out) == 0
                && out.trimmed().isEmpty())
                return true;
            QThread::msleep(100);
        } while (timer.elapsed() < timeoutMs);
        return false;
    }

    // The bytes a queue wrote to its file once every job is done; empty when none came
    // within the time.
    QByteArray waitForOutput(const QString &path, int timeoutMs = 20000) const
    {
        QElapsedTimer timer;
        timer.start();
        waitForJobs(timeoutMs);
        while (!QFileInfo::exists(path) && timer.elapsed() < timeoutMs)
            QThread::msleep(50);
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    bool fail(const QString &why)
    {
        m_error = why;
        if (m_process) {
            m_process->kill();
            m_process->waitForFinished(2000);
            m_process.reset();
        }
        return false;
    }

    QString outputFile(const QString &name) const
    {
        return outputDir() + QStringLiteral("/") + name + QStringLiteral(".out");
    }

    static QString findProgram(const QString &name)
    {
        QString exe = QStandardPaths::findExecutable(name);
        if (exe.isEmpty())
            exe = QStandardPaths::findExecutable(
                name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin")});
        return exe;
    }

    static bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }

    bool answers() const
    {
        const QByteArray path = QFile::encodeName(socketPath());
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (s < 0)
            return false;
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path.constData(), sizeof a.sun_path - 1);
        const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
        ::close(s);
        return ok;
    }

    QString lastLogLines() const
    {
        const QStringList lines = log().split(u'\n', Qt::SkipEmptyParts);
        return lines.mid(std::max<qsizetype>(0, lines.size() - 3)).join(u' ');
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    std::optional<QByteArray> m_previousServer;
    int m_port = 0;
    QString m_error;
};

} // namespace orv::testing

// Starts the server or skips the test with the reason.
#define ORV_START_CUPS_OR_SKIP(server)                                                      \
    do {                                                                                    \
        if (!(server).start())                                                              \
            GTEST_SKIP() << "cupsd cannot be started here: " << (server).error().toStdString(); \
    } while (0)
