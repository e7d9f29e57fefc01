#pragma once
// "Nastavení parametrů funkce": the attributes of one report function (name, description,
// type, initial value, reset level, expression, aggregation and output format).

#include "report/model/ReportFunctions.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QToolButton;

namespace orv {

class TSestavaModel;

class TDlgFunkce : public QDialog {
    Q_OBJECT
public:
    TDlgFunkce(TSestavaModel &report, const TRadekFunkce &function, QWidget *parent = nullptr);

    // The function as the controls describe it (non-numbers keep the previous values).
    TRadekFunkce function() const;
    void accept() override;

    QLineEdit *Nazev = nullptr, *Popis = nullptr, *PocatecniHodnota = nullptr, *Vyraz = nullptr;
    QComboBox *Typ = nullptr, *Nulovani = nullptr, *Zpracovani = nullptr, *Format = nullptr;
    QLineEdit *PocetZnaku = nullptr, *PocetDesetinnych = nullptr;
    QToolButton *VyrazBtn = nullptr;
    QGroupBox *Ciselne = nullptr;

private:
    TSestavaModel &m_report;
    TRadekFunkce m_function;
};

// Edits the function in a dialog; true when confirmed (the function holds the new values).
bool EditReportFunction(TSestavaModel &report, TRadekFunkce &function, QWidget *parent = nullptr);

} // namespace orv
