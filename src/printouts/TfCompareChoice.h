#pragma once
// "Výběr materiálů k porovnání": the materials the comparison can be opened on (the open
// cards, the search result list, the contents tree's chosen node and the materials below it),
// each with a box; "&Porovnat" is enabled while two to six are ticked.

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QListWidget;
class QPushButton;

namespace orv::printouts {

struct CompareCandidate
{
    int materialNo = 0;
    QString label;       // the designation
    QString origin;      // "otevřená karta", "výsledek hledání", "obsah"
    bool checked = false;
};

class TfCompareChoice : public QDialog
{
    Q_OBJECT
public:
    // Candidates of the same material are listed once (the first, ticked when any was).
    explicit TfCompareChoice(const QList<CompareCandidate> &candidates, QWidget *parent = nullptr);

    QList<int> chosen() const;
    QListWidget *list() const { return m_list; }
    QPushButton *compareButton() const { return m_ok; }

private:
    void update();

    QListWidget *m_list = nullptr;
    QLabel *m_count = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace orv::printouts
