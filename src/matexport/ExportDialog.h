#pragma once
// "Export pro výpočty": the user picks what goes out (the physical properties, the mechanical
// row of one semi-product, state and dimension, the plastic curve), the format and the units,
// and which value of a range is used; the dialog lists, before anything is written, every
// value the catalogue lacks, which stays out of the file.

#include "matexport/MaterialExport.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace orv::browse {
class MaterialCard;
struct CardEnvironment;
}

namespace orv::matexport {

class ExportDialog : public QDialog
{
    Q_OBJECT
public:
    // `items` carry the mechanical row chosen for each material (the card's current row, or
    // the compared row of the comparison window).
    explicit ExportDialog(const QList<ExportItem> &items, QWidget *parent = nullptr);

    static QString windowCaption() { return QStringLiteral("Export pro výpočty"); }

    ExportOptions options() const;
    void setOptions(const ExportOptions &options);
    QList<ExportItem> items() const;
    // The export as it would be written now.
    ExportResult exportResult() const;

    // Asks for the file name (a save dialog when not set); empty for cancel.
    std::function<QString(QWidget *parent, const QString &suggested, Format format)> askFile;
    // Shows a message (the standard message dialog when not set).
    std::function<void(const QString &text)> showMessage;

    // Writes the export into `file`; "" on success, else the reason (also shown).
    QString saveTo(const QString &file);

    QListWidget *missingList() const { return m_missing; }
    // A value the user gives for a quantity the catalogue lacks (in inputUnit(), at 20 °C);
    // nothing removes it. The file says who gave it.
    void setUserValue(Quantity q, std::optional<double> value);

private:
    void build();
    void refresh();
    void save();
    QString suggestedName() const;

    void applyTypedValue();

    QList<ExportItem> m_items;
    QMap<Quantity, double> m_userValues;
    QComboBox *m_typedQuantity = nullptr;
    QLineEdit *m_typedValue = nullptr;
    QLabel *m_typedUnit = nullptr;
    QCheckBox *m_physical = nullptr;
    QCheckBox *m_mechanical = nullptr;
    QComboBox *m_mechRow = nullptr;
    QCheckBox *m_plastic = nullptr;
    QRadioButton *m_formats[3] = {};
    QComboBox *m_units = nullptr;
    QComboBox *m_range = nullptr;
    QListWidget *m_missing = nullptr;
    QLabel *m_notes = nullptr;
    QPushButton *m_save = nullptr;
};

// The dialog over an open card: its material with the card's current mechanical row.
void exportFromCard(browse::MaterialCard &card, QWidget *parent);
// Several materials read through hidden cards, each with the mechanical row whose
// Dimens.Number `dimensions` names (0: none), and the dialog over them.
QList<ExportItem> comparedItems(const browse::CardEnvironment &env, const QList<int> &materials,
                                const QList<int> &dimensions);
void exportComparedMaterials(const browse::CardEnvironment &env, const QList<int> &materials, const QList<int> &dimensions,
                             QWidget *parent);

} // namespace orv::matexport
