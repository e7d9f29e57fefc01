#pragma once
// The part of the "Zákaznický servis" window the user fills in: the customer data (taken
// from the installation, editable), the material concerned and the question. The filled
// form is printed through the report generator (the print dialog with printer, copies,
// preview and "Tisk do souboru PDF") or saved straight into a PDF file to be sent.

#include "app/InfoWindows.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orv::printouts {
class TfPrintTable;
}

namespace orv::app {

class CustomerForm : public QWidget
{
    Q_OBJECT
public:
    explicit CustomerForm(const CustomerData &customer, QWidget *parent = nullptr);

    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *companyEdit() const { return m_company; }
    QLineEdit *customerNumberEdit() const { return m_customerNumber; }
    QLineEdit *invoiceNumberEdit() const { return m_invoiceNumber; }
    QLineEdit *materialEdit() const { return m_material; }
    QPlainTextEdit *questionEdit() const { return m_question; }
    QPushButton *printButton() const { return m_print; }
    QPushButton *pdfButton() const { return m_pdf; }

    // Caption and value of each field, in the order of the form.
    QList<QStringList> rows() const;
    // The print dialog over the form (not shown; the caller owns it).
    printouts::TfPrintTable *printDialog(QWidget *parent);

    // "&Tisk...": the print dialog. Returns whether something was printed or saved.
    bool print();
    // "Uložit jako P&DF...": asks for the file (in the documents folder) and writes it.
    bool saveAsPdf();
    // Something was typed that was neither printed nor saved.
    bool hasUnsentText() const;

    // Replaceable for tests: the file of "Uložit jako PDF" (empty: cancel), running the
    // print dialog, and messages.
    std::function<QString(QWidget *parent, const QString &start)> askPdfFile;
    std::function<void(printouts::TfPrintTable &dialog)> runPrintDialog;
    std::function<void(const QString &text)> showMessage;

private:
    QLineEdit *m_name = nullptr;
    QLineEdit *m_company = nullptr;
    QLineEdit *m_customerNumber = nullptr;
    QLineEdit *m_invoiceNumber = nullptr;
    QLineEdit *m_material = nullptr;
    QPlainTextEdit *m_question = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_pdf = nullptr;
    QList<QStringList> m_sent; // the rows last printed or saved
};

// The customer-service window: the page above the form, and a question before the typed
// form is closed unsent.
class CustomerServiceWindow : public PageWindow
{
    Q_OBJECT
public:
    CustomerServiceWindow(const QString &pageFile, const CustomerData &customer, QWidget *parent = nullptr);
    CustomerForm *form() const { return m_form; }
    // Asked before a typed, unsent form is closed; true closes. Default: the Czech question.
    std::function<bool()> confirmClose;

    void done(int result) override;

private:
    CustomerForm *m_form = nullptr;
};

} // namespace orv::app
