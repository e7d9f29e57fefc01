#include "app/InfoWindows.h"

#include "app/CustomerForm.h"

#include "core/SafeFile.h"

#include "db/Connection.h"
#include "ui/MessageDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace orv::app {

CustomerData readCustomerData(const Registry &machine)
{
    const QString key = setupKey();
    CustomerData d;
    d.user = machine.readString(key, QStringLiteral("Uzivatel"));
    d.company = machine.readString(key, QStringLiteral("Firma"));
    d.customerNumber = machine.readString(key, QStringLiteral("CustomerNumber"));
    d.invoiceNumber = machine.readString(key, QStringLiteral("InvoiceNumber"));
    return d;
}

// ---------------------------------------------------------------------------- about

namespace {

QLabel *wrapped(const QString &text, int pointSize = 0, bool bold = false)
{
    auto *l = new QLabel(text);
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    if (pointSize > 0 || bold) {
        QFont f = l->font();
        if (pointSize > 0)
            f.setPointSize(pointSize);
        f.setBold(bold);
        l->setFont(f);
    }
    return l;
}

QLineEdit *readOnlyBox(const QString &name, const QString &value)
{
    auto *e = new QLineEdit(value);
    e->setObjectName(name);
    e->setReadOnly(true);
    return e;
}

QCheckBox *fixedCheck(const QString &caption, bool checked)
{
    auto *c = new QCheckBox(caption);
    c->setChecked(checked);
    // Shown as it is, never changed by the user.
    c->setAttribute(Qt::WA_TransparentForMouseEvents);
    c->setFocusPolicy(Qt::NoFocus);
    return c;
}

} // namespace

AboutWindow::AboutWindow(const CustomerData &customer, const InstalledComponents &components, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fAbout"));
    setWindowTitle(caption());
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint);
    resize(762, 477);

    // Upper left: the product.
    auto *product = new QGroupBox(QStringLiteral(" Informace o aplikaci  "));
    auto *pl = new QVBoxLayout(product);
    auto *name = wrapped(QStringLiteral("Orvalis"), 26, true);
    name->setObjectName(QStringLiteral("ProductName"));
    name->setStyleSheet(QStringLiteral("color: #123c69;"));
    auto *version = wrapped(QStringLiteral("verze 2.1"), 11);
    version->setObjectName(QStringLiteral("VersionText"));
    pl->addWidget(name);
    pl->addWidget(version);
    pl->addWidget(wrapped(QStringLiteral("Katalog kovových materiálů – ocelí, litin a slitin neželezných kovů "
                                         "podle národních norem")));
    pl->addSpacing(6);
    pl->addWidget(wrapped(QStringLiteral("Halmberg s.r.o."), 0, true));
    pl->addWidget(wrapped(QStringLiteral("Technická 2896/2\n616 00 Brno\nČeská republika")));
    pl->addStretch();

    // Upper right: the customer.
    auto *user = new QGroupBox(QStringLiteral(" Informace o uživateli  "));
    auto *ul = new QFormLayout(user);
    ul->addRow(QStringLiteral("Jméno:"), readOnlyBox(QStringLiteral("EditJmeno"), customer.user));
    ul->addRow(QStringLiteral("Organizace:"), readOnlyBox(QStringLiteral("EditFirma"), customer.company));
    ul->addRow(QStringLiteral("Zákaznické číslo:"),
               readOnlyBox(QStringLiteral("EditZakCislo"), customer.customerNumber));
    ul->addRow(QStringLiteral("Číslo faktury:"), readOnlyBox(QStringLiteral("EditCisloFak"), customer.invoiceNumber));

    // Installed components.
    auto *installed = new QGroupBox(QStringLiteral("Nainstalované komponenty"));
    auto *il = new QGridLayout(installed);
    il->addWidget(fixedCheck(QStringLiteral("Materiálové listy (PDF)"), components.pdf), 0, 0);
    il->addWidget(fixedCheck(QStringLiteral("Tiskové sestavy"), components.printouts), 0, 1);
    il->addWidget(fixedCheck(QStringLiteral("Nápověda"), components.help), 0, 2);
    il->addWidget(fixedCheck(QStringLiteral("Zákaznický formulář"), components.form), 1, 0);
    il->addWidget(fixedCheck(QStringLiteral("Informace o normách"), components.standardsInfo), 1, 1);

    // Support.
    auto *support = new QGroupBox(QStringLiteral(" Technická podpora  "));
    auto *sl = new QVBoxLayout(support);
    sl->addWidget(wrapped(QStringLiteral("Při telefonickém dotazu na horké lince mějte prosím po ruce údaje "
                                         "z rámečku Informace o uživateli.")));
    sl->addWidget(wrapped(QStringLiteral("Halmberg s.r.o., technická podpora  ·  tel. +420 541 000 210  ·  "
                                         "podpora@halmberg.cz  ·  pracovní dny 8–16 h")));

    auto *rights = wrapped(QStringLiteral("© Halmberg s.r.o. Všechna práva vyhrazena."), 0, true);
    auto *warning = wrapped(QStringLiteral("Upozornění: tento program je chráněn autorským zákonem. Neoprávněné "
                                           "kopírování nebo šíření programu či jeho částí je trestné."));
    warning->setStyleSheet(QStringLiteral("color: #555;"));

    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("BitBtnOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *top = new QHBoxLayout;
    top->addWidget(product, 1);
    top->addWidget(user, 1);
    auto *bottom = new QHBoxLayout;
    auto *legal = new QVBoxLayout;
    legal->addWidget(rights);
    legal->addWidget(warning);
    bottom->addLayout(legal, 1);
    bottom->addWidget(ok, 0, Qt::AlignBottom);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(installed);
    layout->addWidget(support);
    layout->addLayout(bottom);

    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

// ---------------------------------------------------------------------------- pages

PageWindow::PageWindow(const QString &caption, const QString &pageFile, const QString &okCaption, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    m_browser = new QTextBrowser;
    m_browser->setObjectName(QStringLiteral("WebBrowser"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSource(QUrl::fromLocalFile(pageFile));
    auto *ok = new QPushButton(okCaption);
    ok->setObjectName(QStringLiteral("BitBtnOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *strip = new QWidget;
    strip->setFixedHeight(29);
    auto *sl = new QHBoxLayout(strip);
    m_buttons = sl;
    sl->setContentsMargins(0, 2, 4, 2);
    sl->addStretch();
    sl->addWidget(ok);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_browser, 1);
    layout->addWidget(strip);
    resize(1000, 700);
    setWindowState(Qt::WindowMaximized);
}

void PageWindow::addBelowPage(QWidget *widget)
{
    auto *column = static_cast<QVBoxLayout *>(layout());
    column->insertWidget(column->count() - 1, widget);
}

QString standardsInfoPage(const QString &programDir)
{
    return QDir(programDir).filePath(QStringLiteral("InfoNorma/Index.htm"));
}

void showStandardsInfo(const QString &programDir, QWidget *parent)
{
    PageWindow w(QStringLiteral("Informace o normách"), standardsInfoPage(programDir), QStringLiteral("&OK"),
                 parent);
    w.setObjectName(QStringLiteral("fInfoNorma"));
    w.exec();
}

// ---------------------------------------------------------------------------- customer service

QString customerFormFile(const QString &programDir)
{
    return QDir(programDir).filePath(QStringLiteral("Formulář/Formular.htm"));
}

QString readFormTemplate(db::Connection &user)
{
    return user
        .scalar(QStringLiteral("select Formular from Setup where Formular is not null and Formular <> '' "
                               "order by Number limit 1"))
        .toString();
}

namespace {

void replaceFirst(QString &line, const QString &placeholder, const QString &value)
{
    const int at = line.indexOf(placeholder);
    if (at >= 0)
        line.replace(at, placeholder.size(), value.toHtmlEscaped());
}

// The page is written in UTF-8: a declared character set says so, and a page without one
// gets the declaration.
QString declareUtf8(QString page)
{
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9_\\-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (page.contains(charset)) {
        QString out;
        qsizetype last = 0;
        auto it = charset.globalMatch(page);
        while (it.hasNext()) {
            const auto m = it.next();
            out += page.mid(last, m.capturedStart(1) - last);
            out += QStringLiteral("utf-8");
            last = m.capturedEnd(1);
        }
        out += page.mid(last);
        return out;
    }
    const QString meta = QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
    static const QRegularExpression head(QStringLiteral("<head[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    const auto m = head.match(page);
    if (m.hasMatch())
        return page.insert(m.capturedEnd(), QStringLiteral("\n") + meta);
    return meta + QStringLiteral("\n") + page;
}

} // namespace

QString fillCustomerForm(const QString &formTemplate, const CustomerData &customer)
{
    QString text = formTemplate;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QString out;
    for (QString line : std::as_const(lines)) {
        replaceFirst(line, QStringLiteral("#CISLO_FAK"), customer.invoiceNumber);
        replaceFirst(line, QStringLiteral("#ZAK_CISLO"), customer.customerNumber);
        replaceFirst(line, QStringLiteral("#JMENO"), customer.user);
        replaceFirst(line, QStringLiteral("#FIRMA"), customer.company);
        out += line;
        out += u'\n';
    }
    return declareUtf8(out);
}

bool showCustomerService(const QString &programDir, const QString &formTemplate, const CustomerData &customer,
                         QWidget *parent, const std::function<void(const QString &)> &showError,
                         const std::function<void(PageWindow &)> &show)
{
    // A write that failed says which file and why after the general message.
    auto fail = [&](const QString &detail = QString()) {
        const QString text = detail.isEmpty() ? formErrorMessage() : formErrorMessage() + u'\n' + detail;
        if (showError)
            showError(text);
        else
            ui::message(text, ui::MsgType::Error, ui::MsgButton::OK);
        return false;
    };
    const QString file = customerFormFile(programDir);
    // The folder comes with the installation; without it there is no page.
    if (!QFileInfo(QFileInfo(file).absolutePath()).isDir())
        return fail();
    QString why;
    if (!writeFileSafely(file, fillCustomerForm(formTemplate, customer).toUtf8(), &why))
        return fail(why);
    {
        CustomerServiceWindow w(file, customer, parent);
        if (show)
            show(w);
        else
            w.exec();
    }
    if (!QFile::remove(file))
        return fail();
    return true;
}

} // namespace orv::app
