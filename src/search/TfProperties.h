#pragma once
// The property picker "Mechanické vlastnosti...": single properties on the left, property
// groups with the members of the current group on the right. The choice is the current row
// of whichever of the single-property and group grids had the focus last: (Number, "N") for
// a property, (Number, "A") for a group. A choice already in the criteria list is refused.

#include <QDialog>
#include <QVariant>

#include <functional>

class QPushButton;
class QTableView;

namespace orv::db {
class Connection;
class DataSet;
class DataSetModel;
}

namespace orv::search {

class TfProperties : public QDialog {
    Q_OBJECT
public:
    // `user`: the user session (PropType); `criteria`: UserMechProp.
    TfProperties(db::Connection &user, db::DataSet &criteria, QWidget *parent = nullptr);
    ~TfProperties() override;

    // Places the picker on property or group `propertyNo` (null: first single property).
    void placeOn(const QVariant &propertyNo);
    // "Vybrat": accepts unless the choice is already a PropertyNo of the criteria list.
    bool choose();
    // The current choice: Number and kind ("N" single, "A" group); null Number when none.
    QVariant chosenNumber() const;
    QString chosenKind() const { return m_groupsChosen ? QStringLiteral("A") : QStringLiteral("N"); }
    // Which grid the choice comes from (as if it had just lost the focus).
    void setGroupsChosen(bool groups) { m_groupsChosen = groups; }

    QTableView *singlesGrid() const { return m_singlesGrid; }
    QTableView *groupsGrid() const { return m_groupsGrid; }
    QTableView *membersGrid() const { return m_membersGrid; }
    QPushButton *selectButton() const { return m_select; }
    db::DataSet &singles() const { return *m_singles; }
    db::DataSet &groups() const { return *m_groups; }
    std::function<void(const QString &)> information;

    static QString duplicateMessage() { return QStringLiteral("POZOR !!! Tato mechanická vlastnost již je v tabulce."); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    db::DataSet &m_criteria;
    db::DataSet *m_singles = nullptr;
    db::DataSet *m_groups = nullptr;
    db::DataSet *m_members = nullptr;
    QTableView *m_singlesGrid = nullptr;
    QTableView *m_groupsGrid = nullptr;
    QTableView *m_membersGrid = nullptr;
    QPushButton *m_select = nullptr;
    bool m_groupsChosen = false;
};

} // namespace orv::search
