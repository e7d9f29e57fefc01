#pragma once
// The print dialog: printer, page range, copies and template, with the buttons print,
// preview, edit and cancel. TPrintDialogTyp keeps the values between calls; TSestPrintDlg
// is its window.

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QVBoxLayout;

namespace orv {

class TComboBoxPredloha;
class TComboBoxPrinter;
class TSestPrintDlg;

class TPrintDialogTyp {
public:
    enum TResult { prCancel = 0, prPreview = 1, prPrint = 2, prEdit = 3 };

    TPrintDialogTyp();

    QString Caption = QString::fromUtf8("Nastavení tisku");
    QString ReportDir;
    QString ReportMask;
    QString TemplateFile;
    bool IgnoreReportDir = true;
    int PrinterIndex = -1;
    int FromPage = 1;
    int ToPage = 9999;
    int Copies = 1;
    bool PrinterPropertiesAllowed = true;
    bool EditAllowed = true;
    bool PreviewAllowed = true;
    bool PrintAllowed = true;
    bool ShowPrinterGroup = true;
    bool ShowPageGroup = true;
    bool ShowTemplateGroup = true;
    bool ShowCurrentPage = false;
    bool ShowOneRecord = false;
    bool ShowToFile = false;
    bool ShowSetDefault = false;
    bool ShowPrintBackground = false;
    bool ToFile = false;
    bool CurrentPage = false;
    bool OneRecord = false;
    bool SetDefault = false;
    bool PrintBackground = false;
    std::function<void(TComboBoxPredloha &)> OnNactiSeznam;

    // Shows the window: 0 cancelled, 1 preview, 2 print, 3 edit. On 1, 2 and 3 the values
    // are taken back from the window.
    int Execute(QWidget *parent = nullptr);

    // How the window is run; exec() unless replaced (tests answer the window here).
    static std::function<int(TSestPrintDlg &)> &runner();
};

class TSestPrintDlg : public QDialog {
    Q_OBJECT
public:
    TSestPrintDlg(const TPrintDialogTyp &values, QWidget *parent = nullptr);

    // Copies the window's values into the object.
    void storeInto(TPrintDialogTyp &values) const;
    int Result = TPrintDialogTyp::prCancel;

    TComboBoxPrinter *printerCombo() const { return m_printer; }
    TComboBoxPredloha *templateCombo() const { return m_template; }
    QLabel *deviceLabel() const { return m_device; }
    QLabel *portLabel() const { return m_port; }
    QSpinBox *fromPage() const { return m_from; }
    QSpinBox *toPage() const { return m_to; }
    QSpinBox *copies() const { return m_copies; }
    QCheckBox *toFile() const { return m_toFile; }
    QCheckBox *currentPage() const { return m_currentPage; }
    QCheckBox *oneRecord() const { return m_oneRecord; }
    QCheckBox *setDefault() const { return m_setDefault; }
    QCheckBox *printBackground() const { return m_background; }
    QPushButton *printButton() const { return m_print; }
    QPushButton *previewButton() const { return m_preview; }
    QPushButton *editButton() const { return m_edit; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *propertiesButton() const { return m_properties; }
    QGroupBox *printerGroup() const { return m_printerGroup; }
    QGroupBox *pageGroup() const { return m_pageGroup; }
    QGroupBox *templateGroup() const { return m_templateGroup; }

    void finish(int result);

private:
    QGroupBox *buildPrinterGroup(const TPrintDialogTyp &v);
    QGroupBox *buildPageGroup(const TPrintDialogTyp &v);
    QGroupBox *buildTemplateGroup(const TPrintDialogTyp &v);
    void addButtons(const TPrintDialogTyp &v, QVBoxLayout *top);
    void printerChosen();
    void properties();

    bool m_propertiesAllowed = true;
    bool m_printAllowed = true;
    TComboBoxPrinter *m_printer = nullptr;
    TComboBoxPredloha *m_template = nullptr;
    QLabel *m_device = nullptr;
    QLabel *m_port = nullptr;
    QSpinBox *m_from = nullptr;
    QSpinBox *m_to = nullptr;
    QSpinBox *m_copies = nullptr;
    QCheckBox *m_toFile = nullptr;
    QCheckBox *m_currentPage = nullptr;
    QCheckBox *m_oneRecord = nullptr;
    QCheckBox *m_setDefault = nullptr;
    QCheckBox *m_background = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_preview = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_properties = nullptr;
    QGroupBox *m_printerGroup = nullptr;
    QGroupBox *m_pageGroup = nullptr;
    QGroupBox *m_templateGroup = nullptr;
};

} // namespace orv
