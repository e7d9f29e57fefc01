#pragma once
// The window "Porovnat materiály": two to six materials side by side, one column each, with
// the rows of a comparison (Comparison.h). Cells of rows whose values differ are tinted; the
// box "Skrýt shodné řádky" leaves out the rows where all materials agree. The comparison
// prints and previews through the report generator (a template generated for its columns),
// and is saved as CSV or PDF exactly as the window shows it.
//
// The choice of the mechanical row (semi-product kind, state, dimension) and the box are kept
// in the settings file, section "POROVNANI".

#include "printouts/Comparison.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableWidget;

namespace orv::db {
class Connection;
}

namespace orv::printouts {

struct CompareEnvironment
{
    db::Connection *catalogue = nullptr;
    QString programDir;                 // for the print dialog; empty: the executable's folder
    QString settingsFile;               // Zeb.ini; empty: nothing kept
    std::function<void()> checkDataRoot;
    // Asks for the file of an export ("csv" or "pdf"); empty for cancel.
    std::function<QString(QWidget *parent, const QString &suffix)> askFile;
    // Shows a message (the standard message dialog when not set).
    std::function<void(const QString &text)> showMessage;
    // Shows the window's help page; the help button is hidden without it.
    std::function<void()> showHelp;
    // "Export pro výpočty...": the compared materials with the Dimens.Number of the row each
    // is compared by (0: none); the button is hidden without it.
    std::function<void(QWidget *parent, const QList<int> &materials, const QList<int> &dimensions)> exportForCalculation;
};

class TfCompare : public QWidget
{
    Q_OBJECT
public:
    // Throws db::DbError when the catalogue cannot be read. `materials` holds 2 to 6 numbers.
    TfCompare(const QList<int> &materials, const CompareEnvironment &env, QWidget *parent = nullptr);
    ~TfCompare() override;

    static QString windowCaption() { return QStringLiteral("Porovnat materiály"); }
    // "Vyberte dva až šest materiálů..." when the count is outside 2..6, else empty.
    static QString countMessage(qsizetype count);

    const Comparison &comparison() const { return m_comparison; }
    CompareCriteria criteria() const;
    void setCriteria(const CompareCriteria &criteria);
    bool hideEqual() const;
    void setHideEqual(bool hide);

    // The rows as the window shows them: heading line, then one line per visible row (group,
    // caption, cells).
    QList<QStringList> shownLines() const;

    // The exports; each returns an empty text on success, else the reason (also shown).
    QString exportCsv(const QString &file);
    QString exportPdf(const QString &file);
    QString exportXlsx(const QString &file);
    // "&Náhled" and "&Tisk...": the report window / the print dialog.
    void preview();
    void print();

    // The report's template for the current columns.
    QStringList reportTemplate() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildWindow();
    QHBoxLayout *buildCriteriaRow();
    QHBoxLayout *buildButtonRow();
    void reload();
    void fillTable();
    void saveSettings() const;
    void restoreSettings();
    void message(const QString &text) const;
    QString askFile(const QString &suffix);
    // The print dialog over the shown rows (not shown itself).
    class TfPrintTable *makePrintDialog();
    QString criteriaText() const;
    void fitRowsLater();

    CompareEnvironment m_env;
    QList<int> m_materials;
    Comparison m_comparison;
    bool m_loading = false;
    bool m_fitPending = false;

    QComboBox *m_semi = nullptr;
    QComboBox *m_state = nullptr;
    QDoubleSpinBox *m_dimension = nullptr;
    QCheckBox *m_hideEqual = nullptr;
    QLabel *m_summary = nullptr;
    QTableWidget *m_table = nullptr;
};

} // namespace orv::printouts
