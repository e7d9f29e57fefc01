#pragma once
// The element picker "Chemické prvky...": the catalogue's elements in name order. In search
// mode "Vybrat" refuses an element the composition criteria list already holds; in
// own-material mode it accepts any. The chosen element is the current row of the elements
// data set when the dialog closes with OK.

#include <QDialog>

#include <functional>

class QPushButton;
class QTableView;

namespace orv::db {
class DataSet;
class DataSetModel;
}

namespace orv::search {

class TfElements : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Search, OwnMaterial };

    // `elements`: the Elements table in name order. `criteria`: UserChemComp (search mode only).
    TfElements(db::DataSet &elements, Mode mode, db::DataSet *criteria = nullptr, QWidget *parent = nullptr);
    ~TfElements() override;

    // Places the grid on element `elementNo`, or on the first element when it is null/unknown.
    void placeOn(const QVariant &elementNo);
    // "Vybrat": closes with OK unless search mode finds the element already in the list.
    // Returns whether the dialog accepted.
    bool choose();
    // Number of the element under the cursor (null when the list is empty).
    QVariant currentElement() const;

    QTableView *grid() const { return m_grid; }
    QPushButton *selectButton() const { return m_select; }
    QPushButton *closeButton() const { return m_close; }
    // How the refusal is shown (the standard Czech information message by default).
    std::function<void(const QString &)> information;

    static QString duplicateMessage() { return QStringLiteral("POZOR !!! Tento chemický prvek již je v tabulce."); }

private:
    db::DataSet &m_elements;
    db::DataSet *m_criteria;
    Mode m_mode;
    db::DataSetModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QPushButton *m_select = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace orv::search
