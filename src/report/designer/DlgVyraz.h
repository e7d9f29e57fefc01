#pragma once
// "Tvorba výrazu pro výpočet funkce": the expression editor of the designer, opened for an
// element's print condition, a report function or a group.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orv {

class TSestavaModel;

class TDlgVyraz : public QDialog {
    Q_OBJECT
public:
    // forCondition: the variable and function lists are disabled.
    TDlgVyraz(TSestavaModel &report, const QString &expression, bool forCondition,
              QWidget *parent = nullptr);

    QString expression() const;

    QLineEdit *Vyraz = nullptr;
    QLabel *Pozice = nullptr;
    QCheckBox *PodleNazvu = nullptr;
    QComboBox *Polozky = nullptr, *Parametry = nullptr, *Promenne = nullptr, *Funkce = nullptr;
    QList<QComboBox *> Vestavene;   // the four built-in categories
    QPushButton *KontrolaBtn = nullptr, *OKBtn = nullptr, *StornoBtn = nullptr;

    // "Kontrola": the message shown, and the caret put on an error.
    void check();

private:
    void fillReportLists();
    void insertFrom(QComboBox *combo);
    void insertText(const QString &text, int caretOffset);

    TSestavaModel &m_report;
};

// When the edit's expression does not compile: says so with the position, puts the caret
// there and gives true, so that the dialog's OK stays refused.
bool refuseBadExpression(TSestavaModel &report, QLineEdit *edit);

// Opens the editor; true with the new expression on OK.
bool EditExpression(TSestavaModel &report, QString &expression, bool forCondition,
                    QWidget *parent = nullptr);

} // namespace orv
