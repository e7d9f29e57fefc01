// The information windows: the about window's customer data and components, the standards
// page, and the customer-service page filled from the Setup form template.

#include "app/InfoWindows.h"
#include "app/CustomerForm.h"
#include "printouts/TableReport.h"
#include "report/ui/ComboBoxPrinter.h"
#include "app/MainWindow.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "db/Connection.h"
#include "db/DatabaseFiles.h"
#include "support/ProgramFolder.h"
#include "support/Unprivileged.h"
#include "core/SmallDisk.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::app;

namespace {

CustomerData tricky()
{
    CustomerData c;
    c.user = QStringLiteral("Jan Novák <hlavní technolog>");
    c.company = QStringLiteral("Kovo A & B, s.r.o.");
    c.customerNumber = QStringLiteral("ZK-0042");
    c.invoiceNumber = QStringLiteral("2026/117");
    return c;
}

TEST(CustomerForm, PlaceholdersAreFilledOncePerLineWithTextMadeSafe)
{
    const QString form = QStringLiteral("<html><head><title>x</title></head><body>\n"
                                        "<p>#JMENO a #JMENO</p>\n"
                                        "<p>#FIRMA</p><p>#ZAK_CISLO / #CISLO_FAK</p>\n"
                                        "</body></html>\n");
    const QString page = fillCustomerForm(form, tricky());
    // Only the first occurrence in a line.
    EXPECT_TRUE(page.contains(QStringLiteral("<p>Jan Novák &lt;hlavní technolog&gt; a #JMENO</p>")));
    EXPECT_TRUE(page.contains(QStringLiteral("<p>Kovo A &amp; B, s.r.o.</p>")));
    EXPECT_TRUE(page.contains(QStringLiteral("ZK-0042 / 2026/117")));
    // A page without a character set gets one, in its head.
    EXPECT_TRUE(page.contains(QStringLiteral("<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">")));
    // A declared character set becomes the one the file is written in.
    const QString declared = fillCustomerForm(
        QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">"
                       "</head><body>#JMENO</body></html>"),
        CustomerData());
    EXPECT_TRUE(declared.contains(QStringLiteral("charset=utf-8")));
    EXPECT_FALSE(declared.contains(QStringLiteral("windows-1250")));
    EXPECT_EQ(declared.count(QStringLiteral("charset")), 1);
}

TEST(CustomerForm, PageShowsTheCustomerAndIsDeletedAfterwards)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Formulář"));
    const QString file = customerFormFile(dir.path());
    const QString form = QStringLiteral("<html><head></head><body><p>Jméno: #JMENO</p><p>Firma: #FIRMA</p></body></html>");
    QString shown;
    QString caption;
    bool fileWhileShown = false;
    QStringList errors;
    EXPECT_TRUE(showCustomerService(dir.path(), form, tricky(), nullptr,
                                    [&](const QString &t) { errors << t; },
                                    [&](PageWindow &w) {
                                        caption = w.windowTitle();
                                        shown = w.browser()->toPlainText();
                                        fileWhileShown = QFileInfo::exists(file);
                                    }));
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(caption, QStringLiteral("Zákaznický servis"));
    EXPECT_TRUE(fileWhileShown);
    EXPECT_TRUE(shown.contains(QStringLiteral("Jméno: Jan Novák <hlavní technolog>"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Firma: Kovo A & B, s.r.o.")));
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST(CustomerForm, WithoutTheFormFolderTheErrorIsShownAndNoWindow)
{
    QTemporaryDir dir;
    QStringList errors;
    bool opened = false;
    EXPECT_FALSE(showCustomerService(dir.path(), QStringLiteral("<p>#JMENO</p>"), tricky(), nullptr,
                                     [&](const QString &t) { errors << t; }, [&](PageWindow &) { opened = true; }));
    EXPECT_FALSE(opened);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.first(), QStringLiteral("Došlo k chybě při vytváření formuláře. Formulář nelze zobrazit."));
}

// The form page cannot be written (a full disk, a folder the user may not write to): the
// message names the file and the reason, no window opens, and a page left there before stays.
void expectRefusedWrite(const QString &programDir, const QString &reason)
{
    const QString file = customerFormFile(programDir);
    QStringList errors;
    bool opened = false;
    EXPECT_FALSE(showCustomerService(programDir, QStringLiteral("<p>#JMENO</p>") + QString(200, u'x'), tricky(),
                                     nullptr, [&](const QString &t) { errors << t; },
                                     [&](PageWindow &) { opened = true; }));
    EXPECT_FALSE(opened);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith(formErrorMessage())) << qPrintable(errors.first());
    EXPECT_TRUE(errors.first().contains(QFileInfo(file).fileName())) << qPrintable(errors.first());
    EXPECT_TRUE(errors.first().contains(reason)) << qPrintable(errors.first());
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old page"));
    EXPECT_EQ(QDir(QFileInfo(file).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(CustomerForm, AFullDiskKeepsThePageThereAndSaysWhy)
{
    orv::test::SmallDisk disk(256 * 1024);
    QDir(disk.path()).mkpath(QStringLiteral("Formulář"));
    {
        QFile old(customerFormFile(disk.path()));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old page");
    }
    for (qint64 room : {0, 100}) {
        disk.leaveFree(room);
        expectRefusedWrite(disk.path(), QStringLiteral("na disku není dost místa"));
        disk.empty();
    }
}

TEST(CustomerForm, AReadOnlyFolderKeepsThePageThereAndSaysWhy)
{
    constexpr const char *kFolder = "ORV_CUSTOMER_FORM_READONLY_DIR";
    const QString child = orv::test::childFolder(kFolder);
    if (child.isEmpty()) {
        QTemporaryDir dir;
        const QString forms = dir.filePath(QStringLiteral("Formulář"));
        QDir().mkpath(forms);
        {
            QFile old(customerFormFile(dir.path()));
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old page");
        }
        orv::test::openPathForOthers(forms);
        QFile::setPermissions(customerFormFile(dir.path()), QFile::ReadOwner | QFile::ReadOther);
        QFile::setPermissions(forms, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        const orv::test::ChildRun r = orv::test::runTestInChild(kFolder, dir.path());
        QFile::setPermissions(forms, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.output);
        return;
    }
    expectRefusedWrite(child, QStringLiteral("do složky nemáte právo zapisovat"));
}

TEST(CustomerForm, TemplateComesFromTheFirstSetupRowThatHasOne)
{
    QTemporaryDir dir;
    const QString cat = dir.filePath(QStringLiteral("catalogue.sqlite"));
    const QString user = dir.filePath(QStringLiteral("user.sqlite"));
    db::createDatabaseFiles(cat, user);
    db::Connection c(QStringLiteral("form-test"));
    c.open(cat, user, db::Database::User);
    c.exec(QStringLiteral("delete from Setup"));
    c.exec(QStringLiteral("insert into Setup (Number, Items, Value, Formular) values "
                          "(1, 'USPESNOST', '70', null), (2, 'X', '', ''), (3, 'Y', '', '<p>#JMENO</p>'), "
                          "(4, 'Z', '', '<p>jiný</p>')"));
    EXPECT_EQ(readFormTemplate(c), QStringLiteral("<p>#JMENO</p>"));
}

TEST(CustomerData, ReadFromTheSetupKeyAndEmptyWhenMissing)
{
    QTemporaryDir dir;
    Registry machine(Registry::Scope::Machine, dir.filePath(QStringLiteral("machine.ini")));
    machine.writeString(setupKey(), QStringLiteral("Uzivatel"), QStringLiteral("Eva"));
    machine.writeString(setupKey(), QStringLiteral("Firma"), QStringLiteral("A & B"));
    const CustomerData d = readCustomerData(machine);
    EXPECT_EQ(d.user, QStringLiteral("Eva"));
    EXPECT_EQ(d.company, QStringLiteral("A & B"));
    EXPECT_TRUE(d.customerNumber.isEmpty());
    EXPECT_TRUE(d.invoiceNumber.isEmpty());
}

TEST(AboutWindow, ShowsCustomerDataAndInstalledComponents)
{
    InstalledComponents comp;
    comp.pdf = true;
    comp.help = true;
    comp.form = false;
    comp.printouts = true;
    comp.standardsInfo = false;
    AboutWindow w(tricky(), comp);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Informace o produktu"));
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("EditJmeno"))->text(), tricky().user);
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("EditFirma"))->text(), tricky().company);
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("EditZakCislo"))->text(), QStringLiteral("ZK-0042"));
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("EditCisloFak"))->text(), QStringLiteral("2026/117"));
    EXPECT_TRUE(w.findChild<QLineEdit *>(QStringLiteral("EditJmeno"))->isReadOnly());
    QStringList ticked, all;
    for (QCheckBox *c : w.findChildren<QCheckBox *>()) {
        all << c->text();
        if (c->isChecked())
            ticked << c->text();
    }
    EXPECT_EQ(all.size(), 5);
    ticked.sort();
    EXPECT_EQ(ticked, (QStringList{QStringLiteral("Materiálové listy (PDF)"), QStringLiteral("Nápověda"),
                                   QStringLiteral("Tiskové sestavy")}));

    // The picture for the README (<build>/info-screens/about-window.png).
    CustomerData customer;
    customer.user = QStringLiteral("Ing. Jana Dvořáková");
    customer.company = QStringLiteral("Strojírny Vysočina a.s.");
    customer.customerNumber = QStringLiteral("ZK-2026-0417");
    customer.invoiceNumber = QStringLiteral("FV 2026/1183");
    InstalledComponents installed;
    installed.pdf = installed.help = installed.form = installed.printouts = installed.standardsInfo = true;
    AboutWindow picture(customer, installed);
    picture.show();
    const QString out = QStringLiteral(ORVALIS_BINARY_DIR "/info-screens");
    QDir().mkpath(out);
    EXPECT_TRUE(picture.grab().save(out + QStringLiteral("/about-window.png")));
}

TEST(StandardsInfo, ShippedPageOpensInTheWindow)
{
    const QString page = standardsInfoPage(QStringLiteral(ORVALIS_SOURCE_DIR "/data"));
    ASSERT_TRUE(QFileInfo::exists(page));
    PageWindow w(QStringLiteral("Informace o normách"), page, QStringLiteral("&OK"));
    EXPECT_TRUE(w.browser()->toPlainText().contains(QStringLiteral("Stavy materiálu")));
}

// The menu's information actions open their windows (which are closed again at once).
TEST(InformationActions, AboutAndStandardsOpenTheirWindows)
{
    const orv::test::ProgramFolder folder;
    ASSERT_TRUE(folder.install({{"InfoNorma", 1}}));
    QDir(folder.root).mkpath(QStringLiteral("InfoNorma"));
    QFile::copy(QStringLiteral(ORVALIS_SOURCE_DIR "/data/InfoNorma/Index.htm"), folder.root + QStringLiteral("InfoNorma/Index.htm"));
    {
        MainWindow w;
        QStringList seen;
        auto closeModal = [&] {
            QTimer::singleShot(0, [&] {
                if (QWidget *m = QApplication::activeModalWidget()) {
                    seen << m->windowTitle();
                    if (auto *browser = m->findChild<QTextBrowser *>())
                        seen << browser->toPlainText().left(20);
                    m->close();
                }
            });
        };
        closeModal();
        w.actions().about->trigger();
        QApplication::processEvents();   // a timer whose window did not open fires here
        closeModal();
        w.actions().standardsInfo->trigger();
        QApplication::processEvents();
        ASSERT_EQ(seen.size(), 3);
        EXPECT_EQ(seen[0], QStringLiteral("Informace o produktu"));
        EXPECT_EQ(seen[1], QStringLiteral("Informace o normách"));
        EXPECT_TRUE(seen[2].startsWith(QStringLiteral("Informace o normách")));
    }
}

// The form is filled in by typing, saved as a PDF that pdftotext reads back, printed through
// the report's print dialog, and not closed unsent without a question.
TEST(CustomerForm, FieldsAreTypedInAndTheFormIsSavedAsPdfOrPrinted)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Formulář"));
    const QString pdf = dir.filePath(QStringLiteral("servis.pdf"));
    QString start, text;
    QStringList printers;
    int questions = 0;
    EXPECT_TRUE(showCustomerService(
        dir.path(), QStringLiteral("<p>#JMENO</p>"), tricky(), nullptr, {}, [&](PageWindow &page) {
            auto *w = dynamic_cast<CustomerServiceWindow *>(&page);
            ASSERT_NE(w, nullptr);
            CustomerForm *form = w->form();
            w->show();
            EXPECT_EQ(form->nameEdit()->text(), tricky().user);
            EXPECT_FALSE(form->nameEdit()->isReadOnly());
            // Typed (the key simulation knows no Czech letters: those come as input text).
            form->companyEdit()->clear();
            form->companyEdit()->insert(QStringLiteral("Slévárna Žďár"));
            QTest::keyClicks(form->materialEdit(), QStringLiteral("42CrMo4"));
            QTest::keyClicks(form->questionEdit(), QStringLiteral("Tvrdost po "));
            form->questionEdit()->insertPlainText(QStringLiteral("kalení chybí."));
            // Closing the typed form asks first; "no" keeps it open.
            w->confirmClose = [&] {
                ++questions;
                return false;
            };
            w->reject();
            EXPECT_TRUE(w->isVisible());
            // Printed into a PDF file whose choice was cancelled: still unsent.
            form->askPdfFile = [&](QWidget *, const QString &) { return QString(); };
            form->runPrintDialog = [&](orv::printouts::TfPrintTable &dialog) {
                for (int i = 0; i < dialog.printerList()->count(); ++i)
                    printers << dialog.printerList()->itemText(i);
                dialog.printerList()->setCurrentIndex(dialog.printerList()->findText(QStringLiteral("Tisk do souboru PDF")));
                QTest::mouseClick(dialog.printButton(), Qt::LeftButton);
            };
            QTest::mouseClick(form->printButton(), Qt::LeftButton);
            w->reject();
            EXPECT_TRUE(w->isVisible());
            form->askPdfFile = [&](QWidget *, const QString &s) {
                start = s;
                return pdf;
            };
            QTest::mouseClick(form->pdfButton(), Qt::LeftButton);
            text = QString::fromUtf8([&] {
                QProcess p;
                p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
                p.waitForFinished(30000);
                return p.readAllStandardOutput();
            }());
            // Saved: it closes without a question now.
            w->reject();
            EXPECT_FALSE(w->isVisible());
        }));
    EXPECT_EQ(questions, 2);
    EXPECT_TRUE(start.endsWith(QStringLiteral("zákaznický servis.pdf"))) << start.toStdString();
    for (const QString &typed : {QStringLiteral("Slévárna Žďár"), QStringLiteral("42CrMo4"),
                                 QStringLiteral("Tvrdost po kalení chybí."), QStringLiteral("ZK-0042"),
                                 QStringLiteral("Zákaznický servis")})
        EXPECT_TRUE(text.contains(typed)) << typed.toStdString() << "\n" << text.toStdString();
    EXPECT_TRUE(printers.contains(QStringLiteral("Tisk do souboru PDF")));
}

} // namespace
