#pragma once
// A drop-down list of the printers: the system's queues and, last, the built-in
// "Tisk do souboru PDF" entry, so that a machine without any printer can still print.

#include <QComboBox>

namespace orv {

class TComboBoxPrinter : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBoxPrinter(QWidget *parent = nullptr);

    // Alphabetical order instead of the system's.
    void setSorted(bool sorted);
    bool Sorted() const { return m_sorted; }

    // The chosen printer as an index of PrinterNames() (the PDF entry is PdfPrinterIndex());
    // -1 when nothing is chosen.
    int PrinterIndex() const;
    // -1 picks the current printer (the system's default; the PDF entry when the system has
    // no printer); an index outside the list chooses nothing.
    void setPrinterIndex(int index);
    bool isPdfChosen() const;

    // Reads the printer list again; the chosen name stays chosen while it is there.
    void Refresh();

private:
    bool m_sorted = false;
};

} // namespace orv
