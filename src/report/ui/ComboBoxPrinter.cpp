#include "report/ui/ComboBoxPrinter.h"

#include "report/output/PrinterMetrics.h"
#include "report/output/Printers.h"
#include "report/ui/ReportUi.h"

#include <QCollator>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace orv {

TComboBoxPrinter::TComboBoxPrinter(QWidget *parent) : QComboBox(parent)
{
    InstallReportUi();
    setEditable(false);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(20);
    Refresh();
    setPrinterIndex(-1);
}

void TComboBoxPrinter::setSorted(bool sorted)
{
    if (m_sorted == sorted)
        return;
    m_sorted = sorted;
    Refresh();
}

void TComboBoxPrinter::Refresh()
{
    const QString chosen = currentIndex() >= 0 ? currentText() : QString();
    QStringList names = SystemPrinterNames();
    if (m_sorted) {
        QCollator collator(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        std::sort(names.begin(), names.end(),
                  [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    }
    names << PdfPrinterName();
    const QSignalBlocker block(this);
    clear();
    addItems(names);
    setCurrentIndex(chosen.isEmpty() ? -1 : findText(chosen, Qt::MatchExactly));
}

int TComboBoxPrinter::PrinterIndex() const
{
    if (currentIndex() < 0)
        return -1;
    return int(PrinterNames().indexOf(currentText()));
}

bool TComboBoxPrinter::isPdfChosen() const
{
    return currentIndex() >= 0 && currentText() == PdfPrinterName();
}

void TComboBoxPrinter::setPrinterIndex(int index)
{
    const QStringList names = PrinterNames();
    QString name;
    if (index == -1) {
        QPrinter *current = currentPrinter();
        if (current && current->outputFormat() == QPrinter::NativeFormat)
            name = current->printerName();
        if (name.isEmpty() || !names.contains(name)) {
            const int def = DefaultPrinterIndex();
            name = def >= 0 ? names.at(def) : PdfPrinterName();
        }
    } else if (index >= 0 && index < names.size()) {
        name = names.at(index);
    }
    setCurrentIndex(name.isEmpty() ? -1 : findText(name, Qt::MatchExactly));
}

} // namespace orv
