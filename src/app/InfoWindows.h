#pragma once
// The three information windows of the "Nápověda" menu: the about window with the customer
// data and the installed components, the standards information, and the customer-service
// page filled in from the form template of the Setup table. All three are modal.

#include "core/Registry.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QHBoxLayout;
class QTextBrowser;

namespace orv::db {
class Connection;
}

namespace orv::app {

// The customer data the installer stored below the registry's SETUP key.
struct CustomerData
{
    QString user;            // "Uzivatel"  #JMENO
    QString company;         // "Firma"     #FIRMA
    QString customerNumber;  // "CustomerNumber" #ZAK_CISLO
    QString invoiceNumber;   // "InvoiceNumber"  #CISLO_FAK
};
CustomerData readCustomerData(const Registry &machine);

// "Informace o produktu".
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    AboutWindow(const CustomerData &customer, const InstalledComponents &components,
                QWidget *parent = nullptr);
    static QString caption() { return QStringLiteral("Informace o produktu"); }
};

// A maximised window showing a local page above a strip with the "OK" button.
class PageWindow : public QDialog
{
    Q_OBJECT
public:
    PageWindow(const QString &caption, const QString &pageFile, const QString &okCaption,
               QWidget *parent = nullptr);
    QTextBrowser *browser() const { return m_browser; }
    // The bottom strip's row of buttons ("OK" at its right end).
    QHBoxLayout *buttonRow() const { return m_buttons; }
    // Puts `widget` between the page and the bottom strip.
    void addBelowPage(QWidget *widget);

private:
    QTextBrowser *m_browser = nullptr;
    QHBoxLayout *m_buttons = nullptr;
};

// "Informace o normách": program folder + InfoNorma/Index.htm.
QString standardsInfoPage(const QString &programDir);
void showStandardsInfo(const QString &programDir, QWidget *parent);

// The customer-service page.
inline QString customerServiceCaption() { return QStringLiteral("Zákaznický servis"); }
inline QString formErrorMessage()
{
    return QStringLiteral("Došlo k chybě při vytváření formuláře. Formulář nelze zobrazit.");
}
// program folder + "Formulář/Formular.htm".
QString customerFormFile(const QString &programDir);
// The form template: Setup.Formular of the first row that has one (by Number); empty when
// no row has one. Throws db::DbError.
QString readFormTemplate(db::Connection &user);
// The template with the placeholders of each line replaced (in each line the first
// "#CISLO_FAK", "#ZAK_CISLO", "#JMENO" and "#FIRMA", in this order) by the customer's values
// made safe for HTML, and with the page's character set declared as UTF-8.
QString fillCustomerForm(const QString &formTemplate, const CustomerData &customer);
// Writes the filled page (UTF-8, through a temporary name), shows it modally in the window
// "Zákaznický servis" and deletes it again. A file error shows formErrorMessage() through
// `showError` and returns false. `show` replaces the modal window (tests).
bool showCustomerService(const QString &programDir, const QString &formTemplate, const CustomerData &customer,
                         QWidget *parent, const std::function<void(const QString &)> &showError,
                         const std::function<void(PageWindow &)> &show = {});

} // namespace orv::app
