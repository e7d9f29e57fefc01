// The Debian package as a user gets it: built from this build folder by CPack, unpacked with
// dpkg -x into a temporary root (as apt would lay it out, without its install step), the
// share folder made read-only, and the unpacked program started as an unprivileged user with
// a fresh home. It must start, create its user database under XDG_DATA_HOME, and keep a note
// written through the data module across a restart.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

struct ProcessResult {
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessResult run(const QString &program, const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(), int timeoutMs = 300000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    ProcessResult r;
    if (!p.waitForStarted(30000)) {
        r.err = p.errorString();
        return r;
    }
    p.waitForFinished(timeoutMs);
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

constexpr int nobody = 65534;

class PackageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_work = new QTemporaryDir();
        ASSERT_TRUE(s_work->isValid());
        // The unprivileged user must reach what lies below the temporary folder.
        QFile::setPermissions(s_work->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                                  | QFile::ExeOther);
        s_writer = s_work->path() + "/package_note_writer";
        ASSERT_TRUE(QFile::copy(QStringLiteral(ORVALIS_NOTE_WRITER), s_writer));
        // ctest builds the package once for all these tests (the fixture in CMakeLists.txt);
        // a test program started by hand builds its own.
        s_deb = QStringLiteral(ORVALIS_PACKAGE_DIR "/orvalis_2.1.0_amd64.deb");
        if (qEnvironmentVariableIsEmpty("ORVALIS_PACKAGE_BUILT")) {
            QDir::root().mkpath(s_work->path() + "/cpack");
            const ProcessResult pack = run(QStringLiteral(ORVALIS_CPACK),
                                 {"-G", "DEB", "--config", QStringLiteral(ORVALIS_BINARY_DIR "/CPackConfig.cmake"),
                                  "-B", s_work->path() + "/cpack"});
            ASSERT_EQ(pack.exitCode, 0) << qPrintable(pack.out + pack.err);
            s_deb = s_work->path() + "/cpack/orvalis_2.1.0_amd64.deb";
        }
        ASSERT_TRUE(QFileInfo::exists(s_deb)) << qPrintable(s_deb);
        s_root = s_work->path() + "/root";
        const ProcessResult unpack = run("dpkg-deb", {"-x", s_deb, s_root});
        ASSERT_EQ(unpack.exitCode, 0) << qPrintable(unpack.err);
        // Everything the package installs is read-only for the user who runs it.
        ASSERT_EQ(run("chmod", {"-R", "a-w", s_root + "/usr"}).exitCode, 0);
    }
    static void TearDownTestSuite()
    {
        if (s_work)
            run("chmod", {"-R", "u+w", s_work->path()});
        delete s_work;
        s_work = nullptr;
    }

    // A home folder that belongs to the user the program runs as.
    QString freshHome()
    {
        const QString home = s_work->path() + QStringLiteral("/home-%1").arg(++s_homes);
        QDir().mkpath(home + "/run");
        QFile::setPermissions(home + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (geteuid() == 0) {
            EXPECT_EQ(::chown(QFile::encodeName(home).constData(), nobody, nobody), 0);
            EXPECT_EQ(::chown(QFile::encodeName(home + "/run").constData(), nobody, nobody), 0);
        }
        return home;
    }

    // Runs a program of the unpacked root as an unprivileged user (root ignores the
    // read-only bits, so a root test would prove nothing).
    ProcessResult runAsUser(const QString &program, const QStringList &args, const QString &home)
    {
        QProcessEnvironment env;
        env.insert("HOME", home);
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_DIRS", s_root + "/etc/xdg");
        env.insert("XDG_CONFIG_HOME", home + "/.config");
        env.insert("XDG_DATA_HOME", home + "/.local/share");
        env.insert("XDG_RUNTIME_DIR", home + "/run");
        env.insert("ORVALIS_PREVIOUS_VERSION_DIR", home + "/no-previous-version");
        if (geteuid() != 0)
            return run(program, args, env, 120000);
        QStringList all{QStringLiteral("--reuid=%1").arg(nobody), QStringLiteral("--regid=%1").arg(nobody),
                        "--clear-groups", program};
        all += args;
        return run("setpriv", all, env, 120000);
    }

    static QTemporaryDir *s_work;
    static QString s_deb;
    static QString s_writer;
    static QString s_root;
    static int s_homes;
};

QTemporaryDir *PackageTest::s_work = nullptr;
QString PackageTest::s_deb;
QString PackageTest::s_writer;
QString PackageTest::s_root;
int PackageTest::s_homes = 0;

TEST_F(PackageTest, LaysOutProgramDataAndDesktopFiles)
{
    for (const char *path : {"/usr/bin/orvalis", "/usr/bin/orv_report_runner", "/usr/bin/orv_catalogue",
                             "/usr/share/orvalis/data/catalogue.sqlite", "/usr/share/orvalis/data/user.sqlite",
                             "/usr/share/orvalis/Help", "/usr/share/applications/orvalis.desktop",
                             "/usr/share/metainfo/cz.halmberg.orvalis.metainfo.xml",
                             "/usr/share/icons/hicolor/48x48/apps/orvalis.png",
                             "/usr/share/icons/hicolor/128x128/apps/orvalis.png",
                             "/usr/share/icons/hicolor/scalable/apps/orvalis.svg",
                             "/usr/share/mime/packages/orvalis.xml", "/usr/share/doc/orvalis/copyright"})
        EXPECT_TRUE(QFileInfo::exists(s_root + path)) << path;
    // Nothing of one user's or one run's state is shipped.
    QDirIterator it(s_root + "/usr/share/orvalis", QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = QFileInfo(it.next()).fileName();
        EXPECT_NE(name, "Zeb.ini");
        EXPECT_NE(name, "registry.ini");
        EXPECT_FALSE(name.endsWith(".BAK"));
    }
    const ProcessResult desktop = run("desktop-file-validate", {s_root + "/usr/share/applications/orvalis.desktop"});
    EXPECT_EQ(desktop.exitCode, 0) << qPrintable(desktop.out + desktop.err);
    const ProcessResult meta = run("appstreamcli", {"validate", "--no-net", s_root + "/usr/share/metainfo/cz.halmberg.orvalis.metainfo.xml"});
    EXPECT_EQ(meta.exitCode, 0) << qPrintable(meta.out + meta.err);
}

TEST_F(PackageTest, ControlFileNamesTheRuntimeLibraries)
{
    const ProcessResult control = run("dpkg-deb", {"--field", s_deb, "Depends"});
    ASSERT_EQ(control.exitCode, 0);
    for (const char *lib : {"libqt6widgets6", "libqt6printsupport6", "libsqlite3-0", "pxlib1", "libjpeg62-turbo",
                            "libuemf", "libcups2", "fonts-liberation2"})
        EXPECT_TRUE(control.out.contains(lib)) << lib << " missing in: " << qPrintable(control.out);
}

TEST_F(PackageTest, LintianFindsNoErrors)
{
    const ProcessResult lintian = run("lintian", {s_deb});
    if (lintian.exitCode < 0 && lintian.out.isEmpty())
        GTEST_SKIP() << "lintian could not be run: " << qPrintable(lintian.err);
    QStringList errors;
    for (const QString &line : lintian.out.split(u'\n'))
        if (line.startsWith(QLatin1String("E:")))
            errors << line;
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(u'\n'));
}

TEST_F(PackageTest, StartsFromReadOnlyShareAndKeepsUserDataInTheHome)
{
    const QString home = freshHome();
    const QString program = s_root + "/usr/bin/orvalis";
    const ProcessResult first = runAsUser(program, {"--quit-after-frame"}, home);
    ASSERT_EQ(first.exitCode, 0) << qPrintable(first.out + first.err);
    const QString userDb = home + "/.local/share/orvalis/data/user.sqlite";
    EXPECT_TRUE(QFileInfo::exists(userDb));
    // The share folder was not written to.
    EXPECT_FALSE(QFileInfo::exists(s_root + "/usr/share/orvalis/Zeb.ini"));

    const QString share = s_root + "/usr/share/orvalis";
    const ProcessResult material = run("sqlite3", {share + "/data/catalogue.sqlite", "select min(Number) from Mat"});
    ASSERT_EQ(material.exitCode, 0) << qPrintable(material.err);
    const QString number = material.out.trimmed();
    const QString text = QStringLiteral("Svařovat s předehřevem na 200 °C");
    const ProcessResult write = runAsUser(s_writer, {"write", share, number, text}, home);
    ASSERT_EQ(write.exitCode, 0) << qPrintable(write.err);

    const ProcessResult second = runAsUser(program, {"--quit-after-frame"}, home);
    ASSERT_EQ(second.exitCode, 0) << qPrintable(second.out + second.err);
    const ProcessResult read = runAsUser(s_writer, {"read", share, number}, home);
    ASSERT_EQ(read.exitCode, 0) << qPrintable(read.err);
    EXPECT_EQ(read.out.trimmed(), text);
}

TEST_F(PackageTest, AnOwnMaterialSurvivesARebuiltCatalogue)
{
    const QString home = freshHome();
    const QString program = s_root + "/usr/bin/orvalis";
    const QString share = s_root + "/usr/share/orvalis";
    ASSERT_EQ(runAsUser(program, {"--quit-after-frame"}, home).exitCode, 0);
    const ProcessResult made = runAsUser(s_writer, {"own", share, "0", "MOJE 42"}, home);
    ASSERT_EQ(made.exitCode, 0) << qPrintable(made.err);
    const QString number = made.out.trimmed();
    ASSERT_GT(number.toInt(), 0);

    // A rebuilt catalogue installed in place of the packaged one, as a package upgrade would.
    QTemporaryDir built;
    const ProcessResult build = run(QStringLiteral(ORVALIS_CATALOGUE_TOOL),
                                    {"build", QStringLiteral(ORVALIS_CATALOGUE_SOURCES), built.path(), "--no-pdf"});
    ASSERT_EQ(build.exitCode, 0) << qPrintable(build.out + build.err);
    const QString installed = share + "/data/catalogue.sqlite";
    ASSERT_EQ(run("chmod", {"u+w", share + "/data"}).exitCode, 0);
    QFile::remove(installed);
    ASSERT_TRUE(QFile::copy(built.path() + "/catalogue.sqlite", installed));
    ASSERT_EQ(run("chmod", {"a-w", share + "/data", installed}).exitCode, 0);

    const ProcessResult again = runAsUser(program, {"--quit-after-frame"}, home);
    ASSERT_EQ(again.exitCode, 0) << qPrintable(again.out + again.err);
    const ProcessResult label = runAsUser(s_writer, {"label", share, number}, home);
    ASSERT_EQ(label.exitCode, 0) << qPrintable(label.err);
    EXPECT_EQ(label.out.trimmed(), QStringLiteral("A|MOJE 42"));
    const QString userDb = home + "/.local/share/orvalis/data/user.sqlite";
    const ProcessResult rows = run("sqlite3", {userDb, "select count(*) from Mat where Private='A'"});
    EXPECT_EQ(rows.out.trimmed(), QStringLiteral("1"));
}

} // namespace
