#pragma once
// "Nastavení parametrů sestavy": the settings of a template that are not elements: the
// description, the paper (format, margins, orientation, columns), the grid or character
// mode, the background, the sections with their page-break flags, and the groups.

#include "report/model/PageSetup.h"
#include "report/output/PaperFormats.h"

#include <QDialog>
#include <QLineEdit>

#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace orv {

class TSestavaTyp;

// A length field: shows hundredths of an inch in a display unit; a text that is not a
// number keeps the previous value.
class TDelkaEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDelkaEdit(QWidget *parent = nullptr);
    void setValue(int hundredths);
    int value() const;            // the text read back, or the previous value
    void setUnit(int unitIndex);  // shows the current value in the new unit
    int unit() const { return m_unit; }

private:
    int m_value = 0;
    int m_unit = 0;
};

class TSestDlg : public QDialog {
    Q_OBJECT
public:
    enum Page { pgSestava = 0, pgPapir, pgRastr, pgOddily, pgSkupiny, pgAll = -1 };

    // The dialog edits the report and the process-wide page setup; unitsIndex is the
    // designer's display unit. With a page, only that tab is shown.
    TSestDlg(TSestavaTyp &report, int page = pgAll, QWidget *parent = nullptr);

    // Tests the values, asks about the margins and stores everything (on OK).
    void accept() override;

    QTabWidget *Tabs = nullptr;
    // "Sestava"
    QLineEdit *Soubor = nullptr;
    QLabel *Kopie = nullptr, *Stranky = nullptr, *MaxZaznamu = nullptr;
    QLineEdit *Popis = nullptr;
    // "Papír"
    QListWidget *Formaty = nullptr;
    QPushButton *UkazBtn = nullptr;      // "Ukaž" for a standard format, "Oprav" for a user one
    QPushButton *PridejBtn = nullptr;
    QPushButton *VynechBtn = nullptr;
    TDelkaEdit *OkrajLevy = nullptr, *OkrajPravy = nullptr, *OkrajHorni = nullptr,
               *OkrajDolni = nullptr;
    QSpinBox *PocetSloupcu = nullptr;
    TDelkaEdit *MezeraSloupcu = nullptr;
    QLabel *RozmerStitku = nullptr;
    QRadioButton *NaVysku = nullptr, *NaSirku = nullptr;
    QCheckBox *PovolitOrientaci = nullptr;
    QLabel *RozmerPapiru = nullptr;
    // "Rastr"
    QRadioButton *Graficky = nullptr, *Znakovy = nullptr;
    QRadioButton *Roztec10 = nullptr, *Roztec12 = nullptr, *Roztec17 = nullptr;
    QCheckBox *ZobrazovatRastr = nullptr, *ZarovnavatRastr = nullptr;
    TDelkaEdit *RastrX = nullptr, *RastrY = nullptr;
    QComboBox *Jednotky = nullptr;
    QCheckBox *VychoziPozadi = nullptr, *TisknoutPozadi = nullptr, *CelyPapir = nullptr;
    QLineEdit *SouborPozadi = nullptr;
    QPushButton *PozadiBtn = nullptr;
    TDelkaEdit *PozadiLevy = nullptr, *PozadiHorni = nullptr, *PozadiSirka = nullptr,
               *PozadiVyska = nullptr;
    // "Oddíly"
    QCheckBox *OddilViditelny[5] = {};
    TDelkaEdit *OddilVyska[5] = {};
    QCheckBox *NovaStrankaZaznam = nullptr, *ZaZacatkemNova = nullptr, *KonecNaNovou = nullptr,
              *PrvniBezHlavy = nullptr, *PosledniBezPaty = nullptr, *KonecDole = nullptr,
              *PataJenPrvni = nullptr, *PosledniBezHlavy = nullptr;
    // "Skupiny"
    QListWidget *Skupiny = nullptr;
    QLineEdit *SkupinaVyraz = nullptr;
    QCheckBox *SkupinaHlava = nullptr, *SkupinaPata = nullptr, *SkupinaNovaStrana = nullptr;
    TDelkaEdit *SkupinaHlavaVyska = nullptr, *SkupinaPataVyska = nullptr;
    QPushButton *PridatSkupinu = nullptr, *ZrusitSkupinu = nullptr;

    QPushButton *OKBtn = nullptr, *StornoBtn = nullptr;

    // The paper the dialog holds (portrait size), for tests and the size figures.
    int paperWidth() const { return m_paperWidth; }
    int paperHeight() const { return m_paperHeight; }
    const TListFormatu &paperFormats() const { return m_formats; }

private:
    struct GroupEdit {
        int Source = -1;   // the report's group, or -1 for a new one
        QString Expression;
        bool NewPage = false;
        bool HeaderVisible = true;
        int HeaderHeight = 20;
        bool FooterVisible = true;
        int FooterHeight = 20;
    };

    QWidget *buildSestava();
    QWidget *buildPapir();
    QWidget *buildRastr();
    QGroupBox *buildBackgroundGroup(QWidget *w);
    QWidget *buildOddily();
    QWidget *buildSkupiny();
    void load();
    // What OK stores, step by step.
    void refuseValue(QWidget *field, const QString &text);
    bool marginsAccepted(TPageSetup &ps);
    void storePageAndGrid(const TPageSetup &ps);
    void storeBandsAndBackground();
    void storeGroups();
    void setUnit(int unit);
    void paperChosen(int row);
    void showPaperFigures();
    void showFormat();
    void addFormat();
    void deleteFormat();
    void fillFormats(int row);
    void saveFormats();
    void modeChanged();
    void groupChosen(int row);
    void keepGroup();
    void chooseBackground();
    QList<TDelkaEdit *> lengthEdits() const;
    TPageSetup pageFromControls() const;

    TSestavaTyp &m_report;
    TListFormatu m_formats;
    QString m_settingsFile;
    int m_paperWidth = 0;
    int m_paperHeight = 0;
    std::vector<GroupEdit> m_groups;
    int m_group = -1;
};

// Opens the dialog on the report (all tabs, or one); true when it was confirmed.
bool EditReportSettings(TSestavaTyp &report, int page = TSestDlg::pgAll, QWidget *parent = nullptr);

} // namespace orv
