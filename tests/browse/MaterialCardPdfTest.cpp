// The material sheet and the diagrams: the paths below the data root, what the desktop's
// answer leads to (the choice of an application, or the error message with its code), and
// the shell's own answers for a missing file or folder.

#include "browse/MaterialCard.h"
#include "browse/PdfSheet.h"
#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace orv::browse;

namespace {

class FakeShell : public DocumentShell
{
public:
    int answer = shell::Done;
    QStringList opened, chosen, printed;
    int open(const QString &path) override
    {
        opened << path;
        return answer;
    }
    void chooseApplication(const QString &path, QWidget *) override { chosen << path; }
    int print(const QString &path) override
    {
        printed << path;
        return answer;
    }
};

class PdfSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setDocumentShell(&fake);
        setShellErrorReporter([this](const QString &t) { errors << t; });
    }
    void TearDown() override
    {
        setDocumentShell(nullptr);
        setShellErrorReporter(nullptr);
    }
    FakeShell fake;
    QStringList errors;
};

TEST_F(PdfSheetTest, PathsLieBelowTheDataRoot)
{
    EXPECT_EQ(materialSheetPath(QStringLiteral("/opt/orvalis"), QStringLiteral("C45")),
              QStringLiteral("/opt/orvalis/data/pdf/C45.pdf"));
    EXPECT_EQ(diagramsPath(QStringLiteral("/opt/orvalis/"), QStringLiteral("C45")),
              QStringLiteral("/opt/orvalis/data/pdf/C45 D.pdf"));
}

TEST_F(PdfSheetTest, NoApplicationOrNoAccessOffersTheChoiceOfOne)
{
    for (int code : {shell::NoAssociation, shell::AccessDenied}) {
        fake.answer = code;
        fake.chosen.clear();
        EXPECT_EQ(openMaterialSheet(QStringLiteral("/r/"), QStringLiteral("C45")), code);
        EXPECT_EQ(fake.chosen, QStringList{QStringLiteral("/r/data/pdf/C45.pdf")});
        EXPECT_TRUE(errors.isEmpty());
    }
}

TEST_F(PdfSheetTest, OtherFailuresShowTheirMessagesWithTheCode)
{
    fake.answer = shell::FileNotFound;
    openMaterialSheet(QStringLiteral("/r/"), QStringLiteral("C45"));
    openDiagrams(QStringLiteral("/r/"), QStringLiteral("C45"));
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors[0], QStringLiteral("Nepodařilo se otevřít materiálový list \"./r/data/pdf/C45.pdf\r\rChyba: 2"));
    EXPECT_EQ(errors[1], QStringLiteral("Nepodařilo se otevřít diagramy.\r\rChyba: 2"));
    EXPECT_TRUE(fake.chosen.isEmpty());
    EXPECT_EQ(fake.opened.last(), QStringLiteral("/r/data/pdf/C45 D.pdf"));
}

TEST_F(PdfSheetTest, SuccessSaysNothingAndPrintingGoesToThePrinter)
{
    fake.answer = shell::Done;
    EXPECT_GT(openDiagrams(QStringLiteral("/r"), QStringLiteral("X")), 32);
    EXPECT_TRUE(errors.isEmpty());
    printMaterialSheet(QStringLiteral("/r"), QStringLiteral("X"));
    EXPECT_EQ(fake.printed, QStringList{QStringLiteral("/r/data/pdf/X.pdf")});
}

TEST_F(PdfSheetTest, TheProgramChosenOnceOpensPdfFilesWithoutAsking)
{
    QTemporaryDir dir;
    orv::setProgramFolder(dir.path());
    orv::assumeProgramFolderWritable(true);
    // The chosen program writes the file it was given beside itself.
    const QString script = dir.path() + QStringLiteral("/my viewer.sh");
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
    EXPECT_TRUE(rememberedPdfProgram().isEmpty());
    rememberPdfProgram(QStringLiteral("\"") + script + QStringLiteral("\""));
    // Kept in the window settings file, so the next start knows it too.
    EXPECT_TRUE(QFile(dir.path() + QStringLiteral("/Zeb.ini")).exists());

    fake.answer = shell::NoAssociation;
    EXPECT_EQ(openMaterialSheet(QStringLiteral("/r/"), QStringLiteral("C45")), shell::Done);
    EXPECT_TRUE(fake.chosen.isEmpty());
    QFile opened(dir.path() + QStringLiteral("/opened.txt"));
    for (int i = 0; i < 100 && !opened.exists(); ++i)
        QTest::qWait(50);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(opened.readAll()), QStringLiteral("/r/data/pdf/C45.pdf"));
    orv::setProgramFolder(QString());
}

TEST_F(PdfSheetTest, ASheetThatCannotBePrintedIsOfferedForOpening)
{
    // The real shell without lp on the PATH: nothing can print.
    setDocumentShell(nullptr);
    QTemporaryDir empty;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", empty.path().toUtf8());
    QDir().mkpath(empty.path() + QStringLiteral("/data/pdf"));
    QFile sheet(empty.path() + QStringLiteral("/data/pdf/C45.pdf"));
    ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
    sheet.close();
    QStringList questions;
    const int result = printMaterialSheetOrOpen(empty.path(), QStringLiteral("C45"), nullptr,
                                                [&](const QString &q) { questions << q; return false; });
    qputenv("PATH", path);
    EXPECT_EQ(result, shell::NoAssociation);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains(QStringLiteral("lp"))) << questions[0].toStdString();

    // Answered yes, the sheet is opened.
    struct PrintlessShell : FakeShell {
        int print(const QString &) override { return shell::NoAssociation; }
    } printless;
    printless.answer = shell::Done;
    setDocumentShell(&printless);
    printMaterialSheetOrOpen(QStringLiteral("/r/"), QStringLiteral("C45"), nullptr, [](const QString &) { return true; });
    EXPECT_EQ(printless.opened, QStringList{QStringLiteral("/r/data/pdf/C45.pdf")});
}

TEST(DocumentShellAnswers, ApplicationsOfferedAreThoseThatDeclarePdf)
{
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("applications")));
    auto write = [&home](const char *name, const char *text) {
        QFile f(home.filePath(QStringLiteral("applications/") + QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write("viewer.desktop", "[Desktop Entry]\nName=Prohlížeč\nExec=pdfviewer --page 1 %U\n"
                            "MimeType=text/plain;application/pdf;\n[Desktop Action New]\nExec=other\n");
    write("hidden.desktop", "[Desktop Entry]\nName=Skrytý\nExec=hidden %f\nMimeType=application/pdf;\nNoDisplay=true\n");
    write("editor.desktop", "[Desktop Entry]\nName=Editor\nExec=editor %f\nMimeType=text/plain;\n");
    const QByteArray oldHome = qgetenv("XDG_DATA_HOME");
    const QByteArray oldDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    qputenv("XDG_DATA_DIRS", home.filePath(QStringLiteral("none")).toUtf8());
    const auto apps = DocumentShell::applicationsFor(QStringLiteral("application/pdf"));
    qputenv("XDG_DATA_HOME", oldHome);
    qputenv("XDG_DATA_DIRS", oldDirs);
    ASSERT_EQ(apps.size(), 1);
    EXPECT_EQ(apps.first().name, QStringLiteral("Prohlížeč"));
    EXPECT_EQ(apps.first().command, QStringLiteral("pdfviewer --page 1"));
}

TEST(DocumentShellAnswers, MissingFileAndMissingFolderAreTold)
{
    QTemporaryDir dir;
    DocumentShell standard;
    EXPECT_EQ(standard.open(dir.filePath(QStringLiteral("none.pdf"))), shell::FileNotFound);
    EXPECT_EQ(standard.open(dir.filePath(QStringLiteral("no/such/folder/a.pdf"))), shell::PathNotFound);
    EXPECT_EQ(standard.print(dir.filePath(QStringLiteral("none.pdf"))), shell::FileNotFound);
}

} // namespace
