#include "app/SheetPrinting.h"

#include "browse/PdfSheet.h"
#include "report/output/Printers.h"
#include "report/ui/ComboBoxPrinter.h"
#include "report/ui/UiHooks.h"
#include "ui/MessageDialog.h"
#include "ui/SaveLocation.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace orv::app {

PrintCommandResult runPrintCommand(const QString &file, const QString &printer, int copies)
{
    PrintCommandResult r;
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty())
        return r;
    QStringList args;
    if (!printer.isEmpty())
        args << QStringLiteral("-d") << printer;
    if (copies > 1)
        args << QStringLiteral("-n") << QString::number(copies);
    // "--" keeps a file name beginning with "-" from being read as an option.
    args << QStringLiteral("--") << QFileInfo(file).absoluteFilePath();
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    p.start(lp, args);
    const bool started = p.waitForStarted(5000);
    const bool finished = started && p.waitForFinished(30000);
    QApplication::restoreOverrideCursor();
    if (!finished) {
        p.kill();
        p.waitForFinished(1000);
        r.ran = started;
        r.output = QStringLiteral("lp neodpověděl");
        return r;
    }
    r.ran = true;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.output = QString::fromLocal8Bit(p.readAll()).trimmed();
    return r;
}

QString sheetPrintFailureText(const PrintCommandResult &result)
{
    const QString choose = QStringLiteral("\r\rVyberte tiskárnu, nebo materiálový list uložte jako soubor PDF.");
    if (!result.ran)
        return QStringLiteral("Materiálový list nelze vytisknout: v systému chybí tiskový příkaz lp "
                              "(balíček cups-client).")
            + choose;
    if (result.output.contains(QLatin1String("No default destination"), Qt::CaseInsensitive))
        return QStringLiteral("Materiálový list nelze vytisknout: v systému není nastavena výchozí tiskárna.") + choose;
    return QStringLiteral("Materiálový list se nepodařilo vytisknout na výchozí tiskárně.\r\rTiskový systém "
                          "odpověděl: %1")
               .arg(result.output.isEmpty() ? QStringLiteral("chyba %1").arg(result.exitCode) : result.output)
        + choose;
}

SheetPrintDialog::SheetPrintDialog(const QString &sheetPath, const QString &why, QWidget *parent)
    : QDialog(parent), m_sheet(sheetPath)
{
    setObjectName(QStringLiteral("fTiskListu"));
    setWindowTitle(QStringLiteral("Tisk materiálového listu"));
    setMinimumWidth(440);
    auto *layout = new QVBoxLayout(this);
    if (!why.isEmpty()) {
        auto *reason = new QLabel(QString(why).replace(QStringLiteral("\r"), QStringLiteral("\n")), this);
        reason->setObjectName(QStringLiteral("lblDuvod"));
        reason->setWordWrap(true);
        layout->addWidget(reason);
    }
    auto *form = new QFormLayout;
    m_printers = new TComboBoxPrinter(this);
    m_printers->setObjectName(QStringLiteral("cbTiskarna"));
    m_copies = new QSpinBox(this);
    m_copies->setObjectName(QStringLiteral("sePocetKopii"));
    m_copies->setRange(1, 999);
    form->addRow(QStringLiteral("Tisknout na tiskárnu:"), m_printers);
    form->addRow(QStringLiteral("Počet kopií:"), m_copies);
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(this);
    m_print = buttons->addButton(QStringLiteral("&Tisk"), QDialogButtonBox::AcceptRole);
    m_print->setObjectName(QStringLiteral("btTisk"));
    buttons->addButton(QStringLiteral("&Storno"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (print())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Copies mean nothing for a saved file.
    auto copiesFollow = [this] { m_copies->setEnabled(!m_printers->isPdfChosen()); };
    connect(m_printers, &QComboBox::currentIndexChanged, this, copiesFollow);
    copiesFollow();
}

void SheetPrintDialog::message(const QString &text) const
{
    if (showMessage)
        showMessage(text);
    else
        ui::message(text, ui::MsgType::Error, ui::MsgButton::OK);
}

bool SheetPrintDialog::print()
{
    if (m_printers->currentIndex() < 0) {
        message(QStringLiteral("Vyberte tiskárnu."));
        return false;
    }
    if (m_printers->isPdfChosen()) {
        const QString start = ui::suggestedSavePath(QFileInfo(m_sheet).fileName());
        QString file;
        if (askFile) {
            file = askFile(this, start);
        } else {
            TSaveFileRequest request;
            request.Title = PdfPrinterName();
            request.Filters = {QStringLiteral("Dokumenty PDF (*.pdf)")};
            request.DefaultSuffix = QStringLiteral("pdf");
            request.StartName = start;
            file = AskSaveFile(this, request);
        }
        if (file.isEmpty())
            return false;
        if (!file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            file += QStringLiteral(".pdf");
        const QString failure = ui::copyFileSafely(m_sheet, file);
        if (!failure.isEmpty()) {
            message(failure);
            return false;
        }
        return true;
    }
    const PrintCommandResult r = runPrintCommand(m_sheet, m_printers->currentText(), m_copies->value());
    if (r.ok())
        return true;
    message(r.ran ? QStringLiteral("Materiálový list se nepodařilo vytisknout na tiskárně %1.\r\rTiskový systém "
                                   "odpověděl: %2")
                        .arg(m_printers->currentText(), r.output)
                  : sheetPrintFailureText(r));
    return false;
}

void printMaterialSheet(const QString &sheetPath, QWidget *parent, const SheetPrintHooks &hooks)
{
    auto say = [&hooks](const QString &text) {
        if (hooks.showMessage)
            hooks.showMessage(text);
        else
            ui::message(text, ui::MsgType::Warning, ui::MsgButton::OK);
    };
    if (!QFileInfo(sheetPath).isFile()) {
        say(browse::materialSheetErrorText(sheetPath, browse::shell::FileNotFound));
        return;
    }
    const PrintCommandResult r = runPrintCommand(sheetPath);
    if (r.ok())
        return;
    // The reason stands in the printer choice itself: one window, not a message and a window.
    SheetPrintDialog dialog(sheetPath, sheetPrintFailureText(r), parent);
    dialog.showMessage = hooks.showMessage;
    dialog.askFile = hooks.askFile;
    if (hooks.choosePrinter)
        hooks.choosePrinter(dialog);
    else
        dialog.exec();
}

} // namespace orv::app
