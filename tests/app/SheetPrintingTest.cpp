// "Tisk materiálového listu" on a machine without a default printer (a private CUPS server
// with one queue and no default): the reason in Czech, the printer choice, the sheet reaching
// the chosen queue, and "Tisk do souboru PDF" saving the sheet into the documents folder.
// Opening a sheet with no PDF viewer installed says so and offers to save it.

#include "app/SheetPrinting.h"
#include "browse/PdfSheet.h"
#include "report/output/Printers.h"
#include "report/ui/ComboBoxPrinter.h"
#include "ui/SaveLocation.h"
#include "support/CupsTestServer.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <dlfcn.h>
#include <gtest/gtest.h>

using namespace orv::app;

namespace {

const QString kSheet = QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data/pdf/16MnCr5.pdf");

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The user's documents folder is `folder` (the desktop's user-dirs file says so).
void setDocumentsFolder(const QTemporaryDir &config, const QString &folder)
{
    QFile dirs(config.filePath(QStringLiteral("user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOCUMENTS_DIR=\"" + folder.toUtf8() + "\"\n");
    dirs.close();
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
}

// libcups keeps the server it first talked to.
void forgetCupsServer()
{
    void *lib = dlopen("libcups.so.2", RTLD_NOW);
    if (!lib)
        return;
    using SetServer = void (*)(const char *);
    if (auto set = reinterpret_cast<SetServer>(dlsym(lib, "cupsSetServer")))
        set(nullptr);
    dlclose(lib);
}

TEST(SheetPrinting, WithoutADefaultPrinterTheUserChoosesOneOrAPdfFile)
{
    ASSERT_TRUE(QFile::exists(kSheet));
    orv::testing::CupsTestServer cups;
    if (!cups.start())
        GTEST_SKIP() << "could not start cupsd: " << cups.error().toStdString();
    const QString out = cups.addTextOnlyQueue(QStringLiteral("kancelar"), QStringLiteral("Example Laser 9000"));
    ASSERT_FALSE(out.isEmpty()) << cups.error().toStdString();
    cups.exportEnvironment();
    forgetCupsServer();
    QTemporaryDir home, config;
    setDocumentsFolder(config, home.path());

    // The default printer: lp refuses, the reason stands in the printer choice.
    const PrintCommandResult refused = runPrintCommand(kSheet);
    EXPECT_FALSE(refused.ok());
    QStringList messages;
    QString reason;
    SheetPrintHooks hooks;
    hooks.showMessage = [&](const QString &t) { messages << t; };
    hooks.choosePrinter = [&](SheetPrintDialog &dialog) {
        reason = dialog.findChild<QLabel *>(QStringLiteral("lblDuvod"))->text();
        orv::TComboBoxPrinter *list = dialog.printerList();
        ASSERT_GE(list->findText(QStringLiteral("kancelar")), 0);
        EXPECT_GE(list->findText(orv::PdfPrinterName()), 0);
        list->setCurrentIndex(list->findText(QStringLiteral("kancelar")));
        dialog.copiesBox()->setValue(1);
        QTest::mouseClick(dialog.printButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    };
    printMaterialSheet(kSheet, nullptr, hooks);
    EXPECT_TRUE(reason.contains(QStringLiteral("není nastavena výchozí tiskárna"))) << reason.toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    EXPECT_EQ(cups.waitForOutput(out), bytesOf(kSheet));

    // "Tisk do souboru PDF": the dialog starts in the documents folder with the sheet's name.
    QString start;
    const QString target = home.filePath(QStringLiteral("list.pdf"));
    hooks.askFile = [&](QWidget *, const QString &s) {
        start = s;
        return target;
    };
    hooks.choosePrinter = [&](SheetPrintDialog &dialog) {
        dialog.printerList()->setCurrentIndex(dialog.printerList()->findText(orv::PdfPrinterName()));
        EXPECT_FALSE(dialog.copiesBox()->isEnabled());
        QTest::mouseClick(dialog.printButton(), Qt::LeftButton);
    };
    printMaterialSheet(kSheet, nullptr, hooks);
    EXPECT_EQ(start, QDir(home.path()).filePath(QStringLiteral("16MnCr5.pdf")));
    EXPECT_EQ(bytesOf(target), bytesOf(kSheet));
    cups.stop();
    forgetCupsServer();
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(SheetPrinting, AMissingSheetIsSaidAndNothingIsPrinted)
{
    QStringList messages;
    bool chosen = false;
    SheetPrintHooks hooks;
    hooks.showMessage = [&](const QString &t) { messages << t; };
    hooks.choosePrinter = [&](SheetPrintDialog &) { chosen = true; };
    printMaterialSheet(QStringLiteral("/nonexistent/x.pdf"), nullptr, hooks);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.constFirst().startsWith(QStringLiteral("Nepodařilo se otevřít materiálový list")));
    EXPECT_FALSE(chosen);
}

// No desktop file declares a PDF viewer: the chooser says so and saves the sheet instead of
// offering an empty list with a dead "Otevřít".
TEST(SheetPrinting, WithNoPdfViewerTheChooserOffersToSaveTheSheet)
{
    QTemporaryDir data, documents, config;
    // The system's file types, but no desktop file of any program.
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/share/mime"), data.filePath(QStringLiteral("mime"))));
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    qputenv("XDG_DATA_DIRS", data.path().toUtf8());
    setDocumentsFolder(config, documents.path());
    QString start;
    orv::ui::setSaveFileAsker([&](QWidget *, const QString &, const QString &s, const QString &) {
        start = s;
        return documents.filePath(QStringLiteral("ulozeny.pdf"));
    });
    QString label;
    bool openOffered = true;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        label = dialog->findChild<QLabel *>(QStringLiteral("lblProgram"))->text();
        openOffered = false;
        for (QPushButton *b : dialog->findChildren<QPushButton *>())
            openOffered = openOffered || b->text() == QStringLiteral("&Otevřít");
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btUlozit")), Qt::LeftButton);
    });
    orv::browse::documentShell().chooseApplication(kSheet, nullptr);
    orv::ui::setSaveFileAsker(nullptr);
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_DATA_DIRS");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(label.contains(QStringLiteral("není nainstalován žádný prohlížeč souborů PDF"))) << label.toStdString();
    EXPECT_FALSE(openOffered);
    EXPECT_EQ(start, QDir(documents.path()).filePath(QStringLiteral("16MnCr5.pdf")));
    EXPECT_EQ(bytesOf(documents.filePath(QStringLiteral("ulozeny.pdf"))), bytesOf(kSheet));
}

} // namespace
