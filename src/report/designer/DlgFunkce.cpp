#include "report/designer/DlgFunkce.h"

#include "report/designer/DlgVyraz.h"
#include "report/designer/ReportHelp.h"
#include "report/model/ReportModel.h"
#include "report/model/SestavaMessages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orv {

TDlgFunkce::TDlgFunkce(TSestavaModel &report, const TRadekFunkce &f, QWidget *parent)
    : QDialog(parent), m_report(report), m_function(f)
{
    setWindowTitle(QStringLiteral("Nastavení parametrů funkce"));
    installHelpKey(this, QStringLiteral("SestavyEditor.htm"));
    Nazev = new QLineEdit(f.Name, this);
    Nazev->setMaxLength(32);
    Popis = new QLineEdit(f.Description, this);
    Typ = new QComboBox(this);
    Typ->addItems(functionTypeNames());
    Typ->setCurrentIndex(std::clamp(f.Type, 0, 1));
    PocatecniHodnota = new QLineEdit(f.InitialValue, this);
    Nulovani = new QComboBox(this);
    Nulovani->addItems(resetLevelNames(report.Groups.count()));
    Nulovani->setCurrentIndex(std::clamp(f.ResetLevel, 0, Nulovani->count() - 1));
    Vyraz = new QLineEdit(f.Expression, this);
    VyrazBtn = new QToolButton(this);
    VyrazBtn->setText(QStringLiteral("..."));
    VyrazBtn->setToolTip(QStringLiteral("Tvorba výrazu pro výpočet funkce"));
    auto *exprRow = new QHBoxLayout;
    exprRow->addWidget(Vyraz, 1);
    exprRow->addWidget(VyrazBtn);

    Ciselne = new QGroupBox(QStringLiteral("Výstupní formát:"), this);
    Zpracovani = new QComboBox(this);
    Zpracovani->addItems(aggregationNames());
    Zpracovani->setCurrentIndex(std::clamp(f.Aggregation, 0, Zpracovani->count() - 1));
    Format = new QComboBox(Ciselne);
    Format->addItems(floatFormatNames());
    Format->setCurrentIndex(f.Format >= 0 && f.Format <= 4 ? f.Format : ffFixed);
    PocetZnaku = new QLineEdit(QString::number(f.Width), Ciselne);
    PocetDesetinnych = new QLineEdit(QString::number(f.Decimals), Ciselne);
    auto *nf = new QFormLayout(Ciselne);
    nf->addRow(QStringLiteral("Formát:"), Format);
    nf->addRow(QStringLiteral("Celkový počet znaků:"), PocetZnaku);
    nf->addRow(QStringLiteral("Počet desetinných míst:"), PocetDesetinnych);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Název:"), Nazev);
    form->addRow(QStringLiteral("Popis:"), Popis);
    form->addRow(QStringLiteral("Typ:"), Typ);
    form->addRow(QStringLiteral("Počáteční hodnota:"), PocatecniHodnota);
    form->addRow(QStringLiteral("Nastavit na začátku"), Nulovani);
    form->addRow(QStringLiteral("Výpočetní výraz:"), exprRow);
    form->addRow(QStringLiteral("Další zpracování:"), Zpracovani);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Storno"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TDlgFunkce::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TDlgFunkce::reject);
    auto *top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(Ciselne);
    top->addWidget(buttons);

    auto numeric = [this] {
        const bool on = Typ->currentIndex() == 0;
        Zpracovani->setEnabled(on);
        Ciselne->setEnabled(on);
    };
    connect(Typ, &QComboBox::currentIndexChanged, this, numeric);
    numeric();
    connect(VyrazBtn, &QToolButton::clicked, this, [this] {
        QString expr = Vyraz->text();
        if (EditExpression(m_report, expr, false, this))
            Vyraz->setText(expr);
    });
}

TRadekFunkce TDlgFunkce::function() const
{
    TRadekFunkce f = m_function;
    f.Name = Nazev->text().trimmed().left(32);
    f.Description = Popis->text();
    f.Type = Typ->currentIndex();
    f.InitialValue = PocatecniHodnota->text();
    f.ResetLevel = Nulovani->currentIndex();
    f.Expression = Vyraz->text();
    if (f.Type == 0) {
        f.Aggregation = Zpracovani->currentIndex();
        f.Format = Format->currentIndex();
        bool ok = false;
        const int width = PocetZnaku->text().trimmed().toInt(&ok);
        if (ok && width > 0)
            f.Width = width;
        const int decimals = PocetDesetinnych->text().trimmed().toInt(&ok);
        if (ok && decimals >= 0)
            f.Decimals = decimals;
    }
    return f;
}

void TDlgFunkce::accept()
{
    if (Nazev->text().trimmed().isEmpty()) {
        showSestMessage(TSestMessageKind::Error, QStringLiteral("Chyba"),
                        QStringLiteral("Funkce musí mít název."));
        Nazev->setFocus();
        return;
    }
    if (refuseBadExpression(m_report, Vyraz))
        return;
    QDialog::accept();
}

bool EditReportFunction(TSestavaModel &report, TRadekFunkce &function, QWidget *parent)
{
    TDlgFunkce dlg(report, function, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    function = dlg.function();
    return true;
}

} // namespace orv
