#pragma once
// "Návrh nové předlohy": the user picks the data fields of a new report and its style; the
// window generates the template lines.

#include "report/designer/EditorSettings.h"
#include "report/designer/NovaSestava.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QGridLayout;
class QHBoxLayout;
class QListWidget;
class QPushButton;
class QToolButton;

namespace orv {

class TDlgNovaSestava : public QDialog {
    Q_OBJECT
public:
    // The result of "&Ručně": close without generating, the designer starts empty.
    static constexpr int Rucne = 2;

    TDlgNovaSestava(const QList<TWizardField> &fields, const TEditorSettings &settings,
                    bool characterMode, QWidget *parent = nullptr);

    // "&Formát papíru" opens the paper settings of the report; without it the button is hidden.
    void setPaperFormatHandler(std::function<void(QWidget *)> handler);

    // The lines generated on OK, and the chosen fields that did not fit on the page.
    const TWizardResult &result() const { return m_result; }
    // The parameters the template is generated with (page size read at that moment).
    TWizardParams params() const;

    QListWidget *SrcList = nullptr;
    QListWidget *DstList = nullptr;
    QToolButton *IncludeBtn = nullptr;
    QToolButton *IncAllBtn = nullptr;
    QToolButton *ExcludeBtn = nullptr;
    QToolButton *ExAllBtn = nullptr;
    QToolButton *SBSloupec = nullptr;
    QToolButton *SBRadek = nullptr;
    QCheckBox *CBPopisyPolozek = nullptr;
    QCheckBox *CBPopisyTextem = nullptr;
    QCheckBox *CBSledovatPodle = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *RucneBtn = nullptr;
    QPushButton *HelpBtn = nullptr;
    // Groups, totals and the page count of a list.
    QComboBox *CBSkupina = nullptr;
    QCheckBox *CBPocet = nullptr;
    QCheckBox *CBStranaZ = nullptr;
    QListWidget *LBSoucty = nullptr;
    QListWidget *LBPrumery = nullptr;

    void accept() override;

private:
    QGridLayout *buildLists();
    QHBoxLayout *buildStyleRow();
    QGroupBox *buildGrouping();
    QHBoxLayout *buildButtons();
    void connectCommands();
    void moveSelected(QListWidget *from, QListWidget *to);
    void moveAll(QListWidget *from, QListWidget *to);
    void updateButtons();

    QList<TWizardField> m_fields;
    TEditorSettings m_settings;
    bool m_characterMode = false;
    TWizardResult m_result;
    std::function<void(QWidget *)> m_paperFormat;
    QPushButton *m_paperFormatButton = nullptr;   // object name "paperFormat"
};

// Shows the wizard modally for the report; on OK the generated lines are in lines. Returns
// QDialog::Accepted, TDlgNovaSestava::Rucne or QDialog::Rejected.
int VytvorNovouPredlohu(TSestavaTyp &report, const TEditorSettings &settings, QStringList &lines,
                        QWidget *parent = nullptr,
                        std::function<void(QWidget *)> paperFormat = {});

} // namespace orv
