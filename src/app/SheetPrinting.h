#pragma once
// "Tisk materiálového listu": the card's PDF sheet goes to the system's default printer
// through the print command (lp). When that cannot work (no default printer, no print
// command, a refused job) the user is told why in Czech and gets the printer choice, whose
// list ends with "Tisk do souboru PDF" (a copy of the sheet saved where the user says).

#include <QDialog>
#include <QString>

#include <functional>

class QPushButton;
class QSpinBox;

namespace orv {
class TComboBoxPrinter;
}

namespace orv::app {

// The print command's answer: whether it could be run, its exit code and what it said.
struct PrintCommandResult
{
    bool ran = false;
    int exitCode = -1;
    QString output;
    bool ok() const { return ran && exitCode == 0; }
};
// Runs `lp [-d printer] [-n copies] -- file` and waits for it: lp returns once the print
// system has accepted or refused the job.
PrintCommandResult runPrintCommand(const QString &file, const QString &printer = QString(), int copies = 1);

// Why the default printer could not take the sheet, in Czech.
QString sheetPrintFailureText(const PrintCommandResult &result);

class SheetPrintDialog : public QDialog
{
    Q_OBJECT
public:
    // `why` (may be empty) stands above the printer list.
    SheetPrintDialog(const QString &sheetPath, const QString &why, QWidget *parent = nullptr);

    TComboBoxPrinter *printerList() const { return m_printers; }
    QSpinBox *copiesBox() const { return m_copies; }
    QPushButton *printButton() const { return m_print; }

    // Asks for the PDF file of "Tisk do souboru PDF" (start: a path in the documents
    // folder); empty for cancel. The default is the file dialog.
    std::function<QString(QWidget *parent, const QString &start)> askFile;
    // Shows a message (the standard Czech message dialog when not set).
    std::function<void(const QString &text)> showMessage;

    // "&Tisk": the sheet to the chosen printer, or its copy into a PDF file. Closes the
    // dialog when done; a failure is said and the dialog stays open.
    bool print();

private:
    void message(const QString &text) const;

    QString m_sheet;
    TComboBoxPrinter *m_printers = nullptr;
    QSpinBox *m_copies = nullptr;
    QPushButton *m_print = nullptr;
};

struct SheetPrintHooks
{
    std::function<void(const QString &text)> showMessage;
    // Runs the printer choice; the default is exec().
    std::function<void(SheetPrintDialog &dialog)> choosePrinter;
    std::function<QString(QWidget *parent, const QString &start)> askFile;
};

// The action: straight to the default printer; on failure the message and the choice.
void printMaterialSheet(const QString &sheetPath, QWidget *parent, const SheetPrintHooks &hooks = {});

} // namespace orv::app
