#include "app/CustomerForm.h"

#include "printouts/TableReport.h"
#include "report/output/Sestava.h"
#include "report/ui/UiHooks.h"
#include "ui/MessageDialog.h"
#include "ui/SaveLocation.h"

#include <QDate>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace orv::app {

CustomerForm::CustomerForm(const CustomerData &customer, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CustomerForm"));
    auto *box = new QGroupBox(QStringLiteral(" Vyplňte formulář "), this);
    auto *form = new QFormLayout;
    auto line = [&](const char *name, const QString &text) {
        auto *e = new QLineEdit(text, box);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    m_name = line("eJmeno", customer.user);
    m_company = line("eFirma", customer.company);
    m_customerNumber = line("eZakCislo", customer.customerNumber);
    m_invoiceNumber = line("eCisloFak", customer.invoiceNumber);
    m_material = line("eMaterial", QString());
    m_question = new QPlainTextEdit(box);
    m_question->setObjectName(QStringLiteral("mDotaz"));
    m_question->setTabChangesFocus(true);
    m_question->setMinimumHeight(60);
    form->addRow(QStringLiteral("&Jméno:"), m_name);
    form->addRow(QStringLiteral("&Organizace:"), m_company);
    form->addRow(QStringLiteral("Zá&kaznické číslo:"), m_customerNumber);
    form->addRow(QStringLiteral("Číslo &faktury:"), m_invoiceNumber);
    form->addRow(QStringLiteral("&Materiál (norma a značka):"), m_material);
    form->addRow(QStringLiteral("&Dotaz nebo připomínka:"), m_question);
    box->setLayout(form);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 0);
    column->addWidget(box);

    m_print = new QPushButton(QStringLiteral("&Tisk..."), this);
    m_print->setObjectName(QStringLiteral("btTisk"));
    m_pdf = new QPushButton(QStringLiteral("Uložit jako P&DF..."), this);
    m_pdf->setObjectName(QStringLiteral("btPdf"));
    connect(m_print, &QPushButton::clicked, this, [this] { print(); });
    connect(m_pdf, &QPushButton::clicked, this, [this] { saveAsPdf(); });
}

QList<QStringList> CustomerForm::rows() const
{
    return {{QStringLiteral("Jméno:"), m_name->text()},
            {QStringLiteral("Organizace:"), m_company->text()},
            {QStringLiteral("Zákaznické číslo:"), m_customerNumber->text()},
            {QStringLiteral("Číslo faktury:"), m_invoiceNumber->text()},
            {QStringLiteral("Materiál (norma a značka):"), m_material->text()},
            {QStringLiteral("Dotaz nebo připomínka:"), m_question->toPlainText()}};
}

printouts::TfPrintTable *CustomerForm::printDialog(QWidget *parent)
{
    printouts::TableLayout layout;
    layout.title = QStringLiteral("Zákaznický servis");
    layout.subtitle = QStringLiteral("Připomínka, chyba nebo požadavek na doplnění katalogu, %1")
                          .arg(QLocale(QLocale::Czech).toString(QDate::currentDate(), QStringLiteral("d. M. yyyy")));
    layout.columns = {QStringLiteral("C1"), QStringLiteral("C2")};
    layout.headings = {QStringLiteral("Údaj"), QStringLiteral("Vyplněno")};
    layout.weights = {1, 3};
    printouts::PrintEnvironment env;
    env.showMessage = showMessage;
    if (askPdfFile)
        env.askPdfFile = [this](QWidget *p) {
            return askPdfFile(p, ui::suggestedSavePath(QStringLiteral("zákaznický servis.pdf")));
        };
    auto *dialog = new printouts::TfPrintTable(QStringLiteral("Tisk formuláře zákaznického servisu"), layout,
                                               layout.columns, rows(), env, parent);
    dialog->Ses.Popis = layout.title;
    return dialog;
}

bool CustomerForm::print()
{
    std::unique_ptr<printouts::TfPrintTable> dialog(printDialog(this));
    const QList<QStringList> printed = rows();
    // The form counts as sent once "&Tisk" printed it (to a printer or into a PDF file);
    // a cancelled file choice or a failed job does not.
    bool sent = false;
    printouts::TfPrintTable *d = dialog.get();
    QObject::disconnect(d->printButton(), &QPushButton::clicked, d, nullptr);
    QObject::connect(d->printButton(), &QPushButton::clicked, d, [d, &sent] {
        if (d->print() == seOk)
            sent = true;
    });
    if (runPrintDialog)
        runPrintDialog(*dialog);
    else
        dialog->exec();
    if (sent)
        m_sent = printed;
    return sent;
}

bool CustomerForm::saveAsPdf()
{
    const QString start = ui::suggestedSavePath(QStringLiteral("zákaznický servis.pdf"));
    QString file;
    if (askPdfFile) {
        file = askPdfFile(this, start);
    } else {
        TSaveFileRequest request;
        request.Title = QStringLiteral("Uložit formulář jako PDF");
        request.Filters = {QStringLiteral("Dokumenty PDF (*.pdf)")};
        request.DefaultSuffix = QStringLiteral("pdf");
        request.StartName = start;
        file = AskSaveFile(this, request);
    }
    if (file.isEmpty())
        return false;
    if (!file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        file += QStringLiteral(".pdf");
    std::unique_ptr<printouts::TfPrintTable> dialog(printDialog(this));
    const QList<QStringList> saved = rows();
    if (dialog->printToPdf(file) != 0) {
        const QString text = printouts::TfPrintBase::pdfFailedMessage().arg(file);
        if (showMessage)
            showMessage(text);
        else
            ui::message(text, ui::MsgType::Error, ui::MsgButton::OK);
        return false;
    }
    m_sent = saved;
    return true;
}

bool CustomerForm::hasUnsentText() const
{
    const bool typed = !m_material->text().trimmed().isEmpty() || !m_question->toPlainText().trimmed().isEmpty();
    return typed && rows() != m_sent;
}

CustomerServiceWindow::CustomerServiceWindow(const QString &pageFile, const CustomerData &customer, QWidget *parent)
    : PageWindow(customerServiceCaption(), pageFile, QStringLiteral("OK"), parent)
{
    setObjectName(QStringLiteral("fFormular"));
    m_form = new CustomerForm(customer, this);
    addBelowPage(m_form);
    buttonRow()->insertWidget(1, m_form->printButton());
    buttonRow()->insertWidget(2, m_form->pdfButton());
}

void CustomerServiceWindow::done(int result)
{
    if (m_form->hasUnsentText()) {
        const bool close = confirmClose
                               ? confirmClose()
                               : ui::message(QStringLiteral("Vyplněný formulář nebyl vytištěn ani uložen.\r\r"
                                                            "Chcete jej přesto zavřít? Napsaný text se ztratí."),
                                             ui::MsgType::Confirmation, ui::MsgButton::Yes | ui::MsgButton::No)
                                     == ui::mrYes;
        if (!close)
            return;
    }
    PageWindow::done(result);
}

} // namespace orv::app
