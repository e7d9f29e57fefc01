#include "report/ui/PrintDialog.h"

#include "core/Utf8.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/Printers.h"
#include "report/ui/ComboBoxPredloha.h"
#include "report/ui/ComboBoxPrinter.h"
#include "report/ui/ReportUi.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace orv {

TPrintDialogTyp::TPrintDialogTyp()
{
    InstallReportUi();
    PrinterIndex = DefaultPrinterIndex();
}

std::function<int(TSestPrintDlg &)> &TPrintDialogTyp::runner()
{
    static std::function<int(TSestPrintDlg &)> run;
    return run;
}

int TPrintDialogTyp::Execute(QWidget *parent)
{
    TSestPrintDlg dialog(*this, parent);
    const int result = runner() ? runner()(dialog) : (dialog.exec(), dialog.Result);
    if (result != prCancel)
        dialog.storeInto(*this);
    return result;
}

TSestPrintDlg::TSestPrintDlg(const TPrintDialogTyp &v, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(v.Caption);
    m_propertiesAllowed = v.PrinterPropertiesAllowed;
    m_printAllowed = v.PrintAllowed;
    auto *top = new QVBoxLayout(this);
    top->addWidget(buildPrinterGroup(v));
    top->addWidget(buildPageGroup(v));
    top->addWidget(buildTemplateGroup(v));
    addButtons(v, top);
    connect(m_print, &QPushButton::clicked, this, [this] { finish(TPrintDialogTyp::prPrint); });
    connect(m_preview, &QPushButton::clicked, this, [this] { finish(TPrintDialogTyp::prPreview); });
    connect(m_edit, &QPushButton::clicked, this, [this] { finish(TPrintDialogTyp::prEdit); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { finish(TPrintDialogTyp::prCancel); });
    connect(m_properties, &QPushButton::clicked, this, [this] { properties(); });
    connect(m_printer, &QComboBox::currentIndexChanged, this, [this] { printerChosen(); });
    printerChosen();
    setMinimumWidth(460);
}

QGroupBox *TSestPrintDlg::buildPrinterGroup(const TPrintDialogTyp &v)
{
    m_printerGroup = new QGroupBox(u8("Tiskárna"), this);
    auto *pg = new QGridLayout(m_printerGroup);
    m_printer = new TComboBoxPrinter(m_printerGroup);
    m_printer->setPrinterIndex(v.PrinterIndex);
    if (m_printer->currentIndex() < 0)
        m_printer->setPrinterIndex(-1);
    auto *name = new QLabel(u8("&Název:"), m_printerGroup);
    name->setBuddy(m_printer);
    m_properties = new QPushButton(u8("&Vlastnosti..."), m_printerGroup);
    m_device = new QLabel(m_printerGroup);
    m_port = new QLabel(m_printerGroup);
    m_toFile = new QCheckBox(u8("Tisknout do &souboru"), m_printerGroup);
    m_toFile->setChecked(v.ToFile);
    m_toFile->setVisible(v.ShowToFile);
    pg->addWidget(name, 0, 0);
    pg->addWidget(m_printer, 0, 1);
    pg->addWidget(m_properties, 0, 2);
    pg->addWidget(new QLabel(u8("Typ:"), m_printerGroup), 1, 0);
    pg->addWidget(m_device, 1, 1, 1, 2);
    pg->addWidget(new QLabel(u8("Kde:"), m_printerGroup), 2, 0);
    pg->addWidget(m_port, 2, 1);
    pg->addWidget(m_toFile, 2, 2);
    pg->setColumnStretch(1, 1);
    m_printerGroup->setVisible(v.ShowPrinterGroup);
    return m_printerGroup;
}

QGroupBox *TSestPrintDlg::buildPageGroup(const TPrintDialogTyp &v)
{
    m_pageGroup = new QGroupBox(u8("Rozsah stránek:"), this);
    auto *gg = new QGridLayout(m_pageGroup);
    auto spin = [&](int value) {
        auto *s = new QSpinBox(m_pageGroup);
        s->setRange(1, 9999);
        s->setValue(std::clamp(value, 1, 9999));
        return s;
    };
    m_from = spin(v.FromPage);
    m_to = spin(v.ToPage);
    m_copies = spin(v.Copies);
    auto label = [&](const char *text, QWidget *buddy) {
        auto *l = new QLabel(u8(text), m_pageGroup);
        l->setBuddy(buddy);
        return l;
    };
    gg->addWidget(label("&Od stránky:", m_from), 0, 0);
    gg->addWidget(m_from, 0, 1);
    gg->addWidget(label("&Do stránky:", m_to), 0, 2);
    gg->addWidget(m_to, 0, 3);
    gg->addWidget(label("&Počet kopií:", m_copies), 1, 0);
    gg->addWidget(m_copies, 1, 1);
    m_currentPage = new QCheckBox(u8("Tisknout &aktuální stránku"), m_pageGroup);
    m_currentPage->setChecked(v.CurrentPage);
    m_currentPage->setVisible(v.ShowCurrentPage);
    m_oneRecord = new QCheckBox(u8("Tisknout pouze &jeden záznam"), m_pageGroup);
    m_oneRecord->setChecked(v.OneRecord);
    m_oneRecord->setVisible(v.ShowOneRecord);
    gg->addWidget(m_currentPage, 2, 0, 1, 4);
    gg->addWidget(m_oneRecord, 3, 0, 1, 4);
    auto pagesEnabled = [this] {
        m_from->setEnabled(!m_currentPage->isChecked());
        m_to->setEnabled(!m_currentPage->isChecked());
    };
    connect(m_currentPage, &QCheckBox::toggled, this, pagesEnabled);
    pagesEnabled();
    m_pageGroup->setVisible(v.ShowPageGroup);
    return m_pageGroup;
}

QGroupBox *TSestPrintDlg::buildTemplateGroup(const TPrintDialogTyp &v)
{
    m_templateGroup = new QGroupBox(u8("Tiskový formulář:"), this);
    auto *tg = new QGridLayout(m_templateGroup);
    m_template = new TComboBoxPredloha(m_templateGroup);
    m_template->setReportDirIgnore(v.IgnoreReportDir);
    m_template->setReportDir(v.ReportDir);
    if (!v.ReportMask.isEmpty())
        m_template->setReportMask(v.ReportMask);
    m_template->OnNactiSeznam = v.OnNactiSeznam;
    m_edit = new QPushButton(u8("&Upravit..."), m_templateGroup);
    m_edit->setEnabled(v.EditAllowed);
    m_setDefault = new QCheckBox(u8("Nastavit jako výchozí &formulář"), m_templateGroup);
    m_setDefault->setChecked(v.SetDefault);
    m_setDefault->setVisible(v.ShowSetDefault);
    auto *tl = new QLabel(u8("Náz&ev:"), m_templateGroup);
    tl->setBuddy(m_template);
    tg->addWidget(tl, 0, 0);
    tg->addWidget(m_template, 0, 1);
    tg->addWidget(m_edit, 0, 2);
    tg->addWidget(m_setDefault, 1, 1, 1, 2);
    tg->setColumnStretch(1, 1);
    m_templateGroup->setVisible(v.ShowTemplateGroup);
    if (v.ShowTemplateGroup) {
        if (v.TemplateFile.isEmpty() || !m_template->selectFile(v.TemplateFile)) {
            m_template->Refresh();
            if (m_template->count() > 0 && v.TemplateFile.isEmpty())
                m_template->setCurrentIndex(0);
        }
    }
    return m_templateGroup;
}

// Print, preview and cancel, and under them the background option.
void TSestPrintDlg::addButtons(const TPrintDialogTyp &v, QVBoxLayout *top)
{
    auto *buttons = new QHBoxLayout;
    m_print = new QPushButton(u8("&Tisk"), this);
    m_preview = new QPushButton(u8("&Náhled"), this);
    m_cancel = new QPushButton(u8("Storno"), this);
    m_print->setDefault(true);
    m_preview->setEnabled(v.PreviewAllowed);
    buttons->addStretch(1);
    buttons->addWidget(m_print);
    buttons->addWidget(m_preview);
    buttons->addWidget(m_cancel);
    top->addSpacing(6);
    top->addLayout(buttons);
    m_background = new QCheckBox(u8("Tisknout pozadí"), this);
    m_background->setChecked(v.PrintBackground);
    m_background->setVisible(v.ShowPrintBackground);
    top->addSpacing(10);
    top->addWidget(m_background);
}

void TSestPrintDlg::printerChosen()
{
    const bool none = SystemPrinterNames().isEmpty();
    const bool pdf = m_printer->isPdfChosen();
    const auto [device, port] = PrinterDeviceAndPort(m_printer->PrinterIndex());
    m_device->setText(device);
    m_port->setText(pdf ? u8("soubor PDF, který zvolíte při tisku") : port);
    // Without a system printer only the PDF file remains: the printer controls have
    // nothing to offer, but printing into the file does.
    m_printer->setEnabled(!none);
    m_properties->setEnabled(m_propertiesAllowed && !none && !pdf);
    m_toFile->setEnabled(!none && !pdf);
    m_print->setEnabled(m_printAllowed && m_printer->PrinterIndex() >= 0);
}

void TSestPrintDlg::properties()
{
    if (m_printer->isPdfChosen())
        return;
    if (!SelectPrinter(m_printer->PrinterIndex()))
        return;
    QPrinter *printer = currentPrinter();
    if (!printer)
        return;
    QPageSetupDialog dialog(printer, this);
    dialog.exec();
    // Another printer may have been chosen there.
    const int at = int(PrinterNames().indexOf(printer->printerName()));
    if (at >= 0)
        m_printer->setPrinterIndex(at);
    printerChosen();
}

void TSestPrintDlg::finish(int result)
{
    Result = result;
    if (result == TPrintDialogTyp::prCancel)
        reject();
    else
        accept();
}

void TSestPrintDlg::storeInto(TPrintDialogTyp &v) const
{
    v.TemplateFile = m_template->templatePath().isEmpty() ? v.TemplateFile : m_template->templatePath();
    v.FromPage = m_from->value();
    v.ToPage = m_to->value();
    v.Copies = m_copies->value();
    v.PrinterIndex = m_printer->PrinterIndex();
    v.ToFile = m_toFile->isChecked();
    v.CurrentPage = m_currentPage->isChecked();
    v.OneRecord = m_oneRecord->isChecked();
    v.SetDefault = m_setDefault->isChecked();
    v.PrintBackground = m_background->isChecked();
}

} // namespace orv
