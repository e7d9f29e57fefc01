#pragma once
// A PostgreSQL server of the test program's own, started on first use and stopped when the
// program ends: a cluster made by `initdb` (UTF-8, C collation, UTF-8 ctype) is copied into a
// temporary folder and `postgres` listens on a free loopback port and on a socket in that
// folder, so nothing of the machine's own clusters is touched. initdb refuses to run as root:
// under root both run as the unprivileged user, owning the folder. The cluster holds a
// template database with the setup (serverSetupStatements()); it is made once per user and
// setup in the temporary folder and copied from there, and every test takes a fresh database
// from the template with createDatabase(). The clusters lie in memory (/dev/shm) when there is
// room, else in the temporary folder.
//
// Without the server binaries a test skips with the reason; with ORVALIS_REQUIRE_PG=1 in the
// environment (CI) it fails instead (see tests/db/BothEngines.h). The benchmarks use it too.

#include "db/Connection.h"
#include "db/ServerSetup.h"
#include "support/FreePort.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <memory>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::test {

// Who runs the server when the program runs as root (initdb refuses root).
constexpr uid_t pgServerUser = 65534; // nobody

class PgServer {
public:
    static PgServer &instance()
    {
        static PgServer server;
        return server;
    }

    static bool required() { return qEnvironmentVariable("ORVALIS_REQUIRE_PG") == QLatin1String("1"); }

    // Why there is no server (empty when it runs).
    const QString &reason() const { return m_reason; }
    bool running() const { return m_reason.isEmpty(); }
    int port() const { return m_port; }
    QString socketFolder() const { return m_root + QStringLiteral("/socket"); }

    // conninfo of a database on this server.
    QString conninfo(const QString &database, const QString &user = QStringLiteral("postgres")) const
    {
        return QStringLiteral("host=%1 port=%2 dbname=%3 user=%4 connect_timeout=10")
            .arg(socketFolder())
            .arg(m_port)
            .arg(database, user);
    }

    // A fresh database with the setup applied; its conninfo, or empty when there is no server.
    QString createDatabase()
    {
        if (!running())
            return QString();
        const QString name = QStringLiteral("orv_test_%1").arg(++m_serial);
        orv::db::Connection admin;
        admin.openServer(conninfo(QStringLiteral("postgres")));
        admin.exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE orv_template").arg(name));
        return conninfo(name);
    }

    // Runs SQL as the superuser in the `postgres` database (roles, terminating sessions).
    void adminExec(const QString &sql)
    {
        orv::db::Connection admin;
        admin.openServer(conninfo(QStringLiteral("postgres")));
        admin.exec(sql);
    }

    ~PgServer() { stop(); }

private:
    PgServer() { start(); }

    static QString binFolder()
    {
        const QString env = qEnvironmentVariable("ORVALIS_PG_BIN");
        return env.isEmpty() ? QStringLiteral("/usr/lib/postgresql/15/bin") : env;
    }

    // Where the clusters live: in memory when the machine has room there (a cluster is tens
    // of megabytes, copied by every test program), else the temporary folder.
    // ORVALIS_PG_TMP names another place.
    static QString baseFolder()
    {
        const QString env = qEnvironmentVariable("ORVALIS_PG_TMP");
        if (!env.isEmpty())
            return env;
        const QStorageInfo shm(QStringLiteral("/dev/shm"));
        if (shm.isValid() && !shm.isReadOnly() && shm.bytesAvailable() > (qint64(2) << 30)
            && QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            return QStringLiteral("/dev/shm");
        return QDir::tempPath();
    }

    static bool asRoot() { return ::geteuid() == 0; }

    // The folder and those above it passable for the server's user; the folder its own.
    static void giveToServerUser(const QString &folder)
    {
        for (QString p = QFileInfo(folder).absoluteFilePath(); p.size() > 1; p = QFileInfo(p).path()) {
            struct stat st {};
            if (::stat(QFile::encodeName(p).constData(), &st) == 0 && S_ISDIR(st.st_mode))
                ::chmod(QFile::encodeName(p).constData(), st.st_mode | S_IXOTH | S_IROTH);
        }
        for (const QString &p : {folder, folder + QStringLiteral("/socket")})
            if (::chown(QFile::encodeName(p).constData(), pgServerUser, pgServerUser) != 0)
                ::perror("chown");
    }

    // The program and its arguments, run as the unprivileged user under root.
    static void asServerUser(QString &program, QStringList &args)
    {
        if (!asRoot())
            return;
        args.prepend(program);
        args = QStringList{QStringLiteral("--reuid=%1").arg(pgServerUser), QStringLiteral("--regid=%1").arg(pgServerUser),
                           QStringLiteral("--clear-groups"), QStringLiteral("--pdeathsig=INT")} + args;
        program = QStringLiteral("setpriv");
    }

    void start()
    {
        const QString bin = binFolder();
        if (!QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() || !QFileInfo(bin + QStringLiteral("/postgres")).isExecutable()) {
            m_reason = QStringLiteral("PostgreSQL server binaries not found in %1 (install postgresql-15, or set ORVALIS_PG_BIN)").arg(bin);
            return;
        }
        const QString cluster = preparedCluster(bin);
        if (cluster.isEmpty())
            return;
        m_dir = std::make_unique<QTemporaryDir>(baseFolder() + QStringLiteral("/orv-pg-XXXXXX"));
        m_root = m_dir->path();
        QDir().mkpath(m_root + QStringLiteral("/socket"));
        if (asRoot())
            giveToServerUser(m_root);
        QProcess copy;
        copy.start(QStringLiteral("cp"), {QStringLiteral("-a"), cluster, m_root + QStringLiteral("/data")});
        if (!copy.waitForFinished(120000) || copy.exitStatus() != QProcess::NormalExit || copy.exitCode() != 0) {
            m_reason = QStringLiteral("copying the prepared cluster failed: ") + QString::fromLocal8Bit(copy.readAllStandardError());
            return;
        }
        m_reason = startWithRetries(bin);
    }

    // Another program may take the free port before the server binds it: a server that stops
    // at once is started again on another port.
    QString startWithRetries(const QString &bin)
    {
        for (int attempt = 1;; ++attempt) {
            const QString failure = startServer(bin, m_root);
            if (failure.isEmpty() || attempt == 5 || (m_postgres && m_postgres->state() == QProcess::Running))
                return failure;
        }
    }

    // Every test program copies the cluster: WAL segments of 1 MB instead of 16 keep the copy
    // small.
    static QStringList initdbArguments()
    {
        return {QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-A"), QStringLiteral("trust"),
                QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                QStringLiteral("--lc-ctype=C.UTF-8"), QStringLiteral("--no-sync"), QStringLiteral("--wal-segsize=1")};
    }

    // A cluster with the template database, made once per user, server binaries and setup and
    // then copied by every test program: initdb and the setup take seconds, a copy much less.
    // Empty (with the reason noted) when it cannot be made.
    QString preparedCluster(const QString &bin)
    {
        const QByteArray key = QCryptographicHash::hash((bin + initdbArguments().join(u' ') + orv::db::serverSetupStatements().join(u';')).toUtf8(),
                                                        QCryptographicHash::Sha1).toHex().left(16);
        const QString cluster = QStringLiteral("%1/orv-pg-cluster-%2-%3").arg(baseFolder()).arg(::geteuid()).arg(QString::fromLatin1(key));
        if (QFileInfo::exists(cluster + QStringLiteral("/PG_VERSION")))
            return cluster;
        QTemporaryDir work(baseFolder() + QStringLiteral("/orv-pg-build-XXXXXX"));
        m_root = work.path();
        QDir().mkpath(m_root + QStringLiteral("/socket"));
        if (asRoot())
            giveToServerUser(m_root);
        QString program = bin + QStringLiteral("/initdb");
        QStringList args = QStringList{QStringLiteral("-D"), m_root + QStringLiteral("/data")} + initdbArguments();
        asServerUser(program, args);
        QProcess init;
        init.setWorkingDirectory(m_root);
        init.setProcessChannelMode(QProcess::MergedChannels);
        init.start(program, args);
        if (!init.waitForFinished(120000) || init.exitStatus() != QProcess::NormalExit || init.exitCode() != 0) {
            m_reason = QStringLiteral("initdb failed: ") + QString::fromLocal8Bit(init.readAll());
            return QString();
        }
        m_reason = startWithRetries(bin);
        if (!m_reason.isEmpty())
            return QString();
        try {
            orv::db::Connection admin;
            admin.openServer(conninfo(QStringLiteral("postgres")));
            admin.exec(QStringLiteral("CREATE DATABASE orv_template TEMPLATE template0 ENCODING 'UTF8' "
                                      "LC_COLLATE 'C' LC_CTYPE 'C.UTF-8'"));
            admin.close();
            orv::db::Connection setup;
            setup.openServer(conninfo(QStringLiteral("orv_template")));
            for (const QString &st : orv::db::serverSetupStatements())
                setup.exec(st);
        } catch (const std::exception &e) {
            m_reason = QStringLiteral("setup of the template database failed: ") + QString::fromUtf8(e.what());
        }
        stopServer();
        if (!m_reason.isEmpty())
            return QString();
        // Made whole under a name of its own, then put in place at once; a program that was
        // quicker has put its own there, which serves as well.
        QDir().rename(m_root + QStringLiteral("/data"), cluster);
        // Clusters of an earlier setup are of no more use; one that was copied from within the
        // hour may still be in use by an older test program.
        const QDir base(baseFolder());
        const QString mine = QStringLiteral("orv-pg-cluster-%1-*").arg(::geteuid());
        for (const QFileInfo &old : base.entryInfoList({mine}, QDir::Dirs | QDir::NoDotAndDotDot))
            if (old.absoluteFilePath() != QFileInfo(cluster).absoluteFilePath()
                && old.lastModified().secsTo(QDateTime::currentDateTime()) > 3600)
                QDir(old.absoluteFilePath()).removeRecursively();
        return QFileInfo::exists(cluster + QStringLiteral("/PG_VERSION")) ? cluster : QString();
    }

    // Starts postgres and waits until it takes sessions; why not, or empty.
    QString startServer(const QString &bin, const QString &root)
    {
        m_port = freeLoopbackPort();
        QString program = bin + QStringLiteral("/postgres");
        QStringList args{QStringLiteral("-D"), root + QStringLiteral("/data"), QStringLiteral("-k"), root + QStringLiteral("/socket"),
                         QStringLiteral("-p"), QString::number(m_port), QStringLiteral("-c"), QStringLiteral("listen_addresses=127.0.0.1"),
                         QStringLiteral("-c"), QStringLiteral("fsync=off"), QStringLiteral("-c"), QStringLiteral("synchronous_commit=off"),
                         QStringLiteral("-c"), QStringLiteral("full_page_writes=off")};
        // Further settings ("max_connections=150 shared_buffers=256MB"), e.g. for a load test.
        for (const QString &setting : qEnvironmentVariable("ORVALIS_PG_SETTINGS").split(u' ', Qt::SkipEmptyParts))
            args << QStringLiteral("-c") << setting;
        asServerUser(program, args);
        m_postgres = std::make_unique<QProcess>();
        m_postgres->setWorkingDirectory(root);
        m_postgres->setProcessChannelMode(QProcess::MergedChannels);
        m_postgres->setStandardOutputFile(root + QStringLiteral("/server.log"));
        // A program that dies without its exit handlers still takes its server with it.
        m_postgres->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGINT); });
        m_postgres->start(program, args);
        if (!m_postgres->waitForStarted(10000))
            return QStringLiteral("postgres did not start");
        // Ready when a session can be opened.
        QString last;
        for (int i = 0; i < 300; ++i) {
            try {
                orv::db::Connection c;
                c.openServer(conninfo(QStringLiteral("postgres")));
                last.clear();
                break;
            } catch (const std::exception &e) {
                last = QString::fromUtf8(e.what());
            }
            if (m_postgres->state() != QProcess::Running)
                break;
            QThread::msleep(100);
        }
        if (!last.isEmpty() || m_postgres->state() != QProcess::Running) {
            QFile log(root + QStringLiteral("/server.log"));
            log.open(QIODevice::ReadOnly);
            return QStringLiteral("postgres did not accept sessions: %1\n%2").arg(last, QString::fromLocal8Bit(log.readAll()));
        }
        return QString();
    }

    // A fast shutdown (sessions ended, a checkpoint written) for the cluster that is kept as
    // the template; a program's own copy is thrown away, so it stops at once without writing.
    void stopServer(bool keepData = true)
    {
        if (m_postgres && m_postgres->state() == QProcess::Running) {
            ::kill(pid_t(m_postgres->processId()), keepData ? SIGINT : SIGQUIT);
            if (!m_postgres->waitForFinished(20000)) {
                m_postgres->kill();
                m_postgres->waitForFinished(5000);
            }
        }
        m_postgres.reset();
    }

    void stop()
    {
        stopServer(false);
        m_dir.reset();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root; // the server's folder: data/, socket/, server.log
    std::unique_ptr<QProcess> m_postgres;
    QString m_reason;
    int m_port = 0;
    int m_serial = 0;
};

} // namespace orv::test

// Declares `var` as the conninfo of a fresh database of the test program's server; without
// one the test skips (fails when ORVALIS_REQUIRE_PG=1).
#define ORV_PG_DATABASE(var)                                                                  \
    const QString var = ::orv::test::PgServer::instance().createDatabase();                   \
    if (var.isEmpty()) {                                                                      \
        if (::orv::test::PgServer::required())                                                \
            FAIL() << qPrintable(::orv::test::PgServer::instance().reason());                 \
        else                                                                                  \
            GTEST_SKIP() << qPrintable(::orv::test::PgServer::instance().reason());           \
    }
