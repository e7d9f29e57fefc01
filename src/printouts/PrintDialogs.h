#pragma once
// The four print dialogs of the material in the active card: equivalents, basic information,
// information with the mechanical properties, and heat treatment. Each holds its master
// report `Ses` with the detail reports attached in the order the template expects, the
// queries that feed them (opened for the material when the dialog is created), the printer
// list with the built-in PDF entry, the number of copies, and the buttons "&Storno",
// "&Tisk" and "&Náhled".
//
// Templates are read from data/tisky/ below the program folder.

#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "report/output/Sestava.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QSpinBox;

namespace orv {
class TComboBoxPrinter;
class tPrintButton;
}
namespace orv::db {
class Connection;
}

namespace orv::printouts {

// What a dialog needs of the program and of the active card.
struct PrintEnvironment
{
    db::Connection *catalogue = nullptr;   // the catalogue session (sees the user tables too)
    QString programDir;                    // holds data/tisky/; empty: the executable's folder
    // Resolves the data location again (the medium must be present); may throw.
    std::function<void()> checkDataRoot;
    int materialNo = 0;
    // The card's data sets the details print; null: the dialog reads its own.
    db::DataSet *physical = nullptr;       // fields lkProperty, Temperature, MinValue, MaxValue, lkNotice
    db::DataSet *heatTreatment = nullptr;  // fields lkProc, MinValue, MaxValue, Cool, Stand, Notice
    // Asks for the PDF file of the "Tisk do souboru PDF" entry; empty for cancel.
    std::function<QString(QWidget *parent)> askPdfFile;
    // Shows a message of the dialog (standard message dialog when not set).
    std::function<void(const QString &text)> showMessage;
};

class TfPrintBase : public QDialog
{
    Q_OBJECT
public:
    ~TfPrintBase() override;

    static QString pdfPrinterCaption();
    static QString pdfFailedMessage() { return QStringLiteral("Soubor PDF se nepodařilo uložit:\n%1"); }

    TSestava Ses;

    TComboBoxPrinter *printerList() const { return m_printers; }
    QSpinBox *copiesBox() const { return m_copies; }
    QPushButton *printButton() const { return m_print; }
    // "&Náhled": the report's preview (a right click switches it to printing).
    tPrintButton *previewButton() const { return m_preview; }
    QPushButton *cancelButton() const { return m_cancel; }

    // "&Tisk": the copies of the spin box on the chosen printer; the PDF entry asks for the
    // file. Returns the report's result.
    int print();
    // Prints the report with the copies of the spin box into a PDF file (through a temporary
    // file renamed over it).
    int printToPdf(const QString &fileName);
    // The name the PDF file is offered under: the material's designation and the printout.
    QString suggestedFileName() const;

    // Data sets of the dialog, by name ("qInfo", "qChemComp", ...); null when unknown.
    db::DataSet *dataSet(const QString &name) const;

protected:
    TfPrintBase(const QString &caption, const QString &templateName, const PrintEnvironment &env,
                bool sortedPrinters, QWidget *parent);

    // A data set on the catalogue session, with in1 = the material.
    db::DataSet &query(const QString &name, const QStringList &sql);
    // Attaches a detail report fed by the data set; details are numbered in call order.
    TSestDetail &addDetail(const QString &name, db::DataSet &data);
    void setMaster(db::DataSet &data);
    // Opens the queries in the order they were made. Throws db::DbError.
    void openQueries();
    // The card's physical properties and heat treatment, or the dialog's own copies.
    db::DataSet &physicalData();
    db::DataSet &heatTreatmentData();

    PrintEnvironment m_env;
    bool m_ownMaterial = false;   // the material's property rows are in the own tables

private:
    void buildWindow(bool sortedPrinters);
    void message(const QString &text) const;

    TComboBoxPrinter *m_printers = nullptr;
    QSpinBox *m_copies = nullptr;
    QPushButton *m_print = nullptr;
    tPrintButton *m_preview = nullptr;
    QPushButton *m_cancel = nullptr;

    std::vector<std::unique_ptr<db::DataSet>> m_queries;
    std::vector<std::unique_ptr<DataSetBridge>> m_bridges;
    std::vector<std::unique_ptr<TSestDetail>> m_details;
    DataSetBridge m_masterBridge;
};

// "Tisk ekvivalentů": master qInfo; detail 0 SesChem on qEkvivalenty.
class TfPrintEkvivalenty : public TfPrintBase
{
    Q_OBJECT
public:
    explicit TfPrintEkvivalenty(const PrintEnvironment &env, QWidget *parent = nullptr);
};

// "Tisk informací o materiálu": master qInfo; details 0 SesChem (qChemComp), 1 SesFyz (the
// physical properties), 2 ChemPozn (qChemPozn).
class TfPrintInfo : public TfPrintBase
{
    Q_OBJECT
public:
    explicit TfPrintInfo(const PrintEnvironment &env, QWidget *parent = nullptr);
};

// "Tisk informací o materiálu včetně mech. vlastností": master qInfo; details 0 SesChem
// (qChemComp), 1 SesMech (qMech), 2 SesFyz, 3 SesChemPozn (qChemPozn).
class TfPrintInfoMech : public TfPrintBase
{
    Q_OBJECT
public:
    explicit TfPrintInfoMech(const PrintEnvironment &env, QWidget *parent = nullptr);
};

// "Tisk tepelného zpracování": master qInfo; detail 0 SesTempProc (the heat treatment).
class TfPrintTempProc : public TfPrintBase
{
    Q_OBJECT
public:
    explicit TfPrintTempProc(const PrintEnvironment &env, QWidget *parent = nullptr);
};

} // namespace orv::printouts
