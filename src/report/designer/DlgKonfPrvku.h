#pragma once
// "Nastavení vlastností prvku": every attribute of one element in one window, including the
// source by number or by name, the condition of conditional printing and program control.
// Three versions by the element's kind: text elements (pages "Základní vlastnosti", "Písmo
// prvku", "Podmíněný tisk"), barcodes ("Čárový kód", "Podmíněný tisk") and the other shapes
// ("Podmíněný tisk" only).

#include "report/designer/EditorSettings.h"
#include "report/model/ReportElement.h"
#include "report/model/ReportFunctions.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QToolButton;

namespace orv {

class TDelkaEdit;
class TSestavaTyp;

class TDlgKonfPrvku : public QDialog {
    Q_OBJECT
public:
    enum Version { vText, vGeneral, vBarcode };
    enum Page { pgZakladni = 0, pgPismo, pgCarovyKod, pgPodminka };
    enum Panel { pnText = 0, pnMemo, pnPicture, pnFunction };

    // Whether the dialog opens for the element at all: not for a detail placeholder, nor for
    // a field, label or function element whose source lies beyond the current list.
    static bool canOpen(const TSestavaTyp &report, const TSiReportElement &element);
    static Version versionOf(int kind);

    TDlgKonfPrvku(TSestavaTyp &report, TSiReportElement &element, const TEditorSettings &settings,
                  int unitIndex, QWidget *parent = nullptr);

    // Stores the values into the element (OK).
    void accept() override;

    Version version() const { return m_version; }
    // The font the font page describes.
    TElementFont dialogFont() const;

    QTabWidget *Tabs = nullptr;
    QLabel *JednotkaLabel = nullptr;
    // "Základní vlastnosti"
    TDelkaEdit *Levy = nullptr, *Horni = nullptr, *Sirka = nullptr, *Vyska = nullptr;
    QComboBox *Zarovnani = nullptr;
    QLineEdit *RoztecZnaku = nullptr, *SklonTextu = nullptr;
    QLabel *TypPrvku = nullptr;
    QComboBox *Zdroj = nullptr;
    QLineEdit *Text = nullptr;
    QRadioButton *PodleCisla = nullptr, *PodleNazvu = nullptr;
    // "Formát:" of a numeric or date field: a picture ("#,##0.00", "d.m.yyyy"), empty for
    // none, with a sample of it. A field with a format prints through a text function of
    // the report (FORMAT or FORMATDT of the field), which the dialog recognises again.
    QLabel *FormatLabel = nullptr;
    QComboBox *Format = nullptr;
    QLabel *FormatUkazka = nullptr;
    QStackedWidget *Panely = nullptr;
    QCheckBox *TxViceradkovy = nullptr, *TxPromennaVyska = nullptr, *TxBlok = nullptr;
    QCheckBox *MmBlok = nullptr, *MmPromennaVyska = nullptr, *MmRtf = nullptr;
    QCheckBox *ObrPodleOkna = nullptr, *ObrPomer = nullptr;
    QCheckBox *FnViceradkovy = nullptr, *FnPromennaVyska = nullptr, *FnBlok = nullptr;
    QPushButton *FunkceBtn = nullptr;
    QToolButton *Ramecek[4] = {};
    // "Písmo prvku"
    QCheckBox *Podtrzeni = nullptr, *Preskrtnuti = nullptr, *Tucne = nullptr, *Kurziva = nullptr;
    QLabel *Ukazka = nullptr;
    QComboBox *TypPisma = nullptr, *Velikost = nullptr, *Barva = nullptr, *Skript = nullptr;
    // "Čárový kód"
    TDelkaEdit *KodLevy = nullptr, *KodHorni = nullptr, *KodSirka = nullptr, *KodVyska = nullptr;
    QComboBox *TypKodu = nullptr, *Zvetseni = nullptr;
    QCheckBox *KontrolniSoucet = nullptr, *TisknoutText = nullptr;
    QLineEdit *FunkcniVyraz = nullptr, *Uhel = nullptr;
    // "Podmíněný tisk"
    QLineEdit *Podminka = nullptr;
    QToolButton *PodminkaBtn = nullptr;
    QToolButton *ZrusitPodminkuBtn = nullptr;
    QCheckBox *ProgramoveRizeni = nullptr;
    QLineEdit *Identifikace = nullptr;

private:
    QWidget *buildZakladni();
    QGroupBox *buildBasicGroup(QWidget *w);
    QFormLayout *addPositionFields(QGroupBox *box, std::array<TDelkaEdit **, 4> fields);
    QGroupBox *buildTypeGroup(QWidget *w);
    QGroupBox *buildMoreGroup(QWidget *w);
    void addFlagPanel(const QList<QCheckBox *> &boxes);
    void addFunctionButton();
    QGroupBox *buildFrameGroup(QWidget *w);
    QWidget *buildPismo();
    QWidget *buildCarovyKod();
    QWidget *buildPodminka();
    void fillSources();
    int panelFor(int source) const;
    void updateSample();
    void rtfToggled(bool on);
    // What the format applies to for the source chosen: the field (from 0, -1 for none)
    // and whether it holds dates; the picture the element has now.
    struct FormatTarget {
        int field = -1;
        bool date = false;
        QString picture;
        bool byName = false;
    };
    FormatTarget formatTarget(int source) const;
    void showFormatFor(int source);
    void updateFormatSample();
    void applyFormat(TSiReportElement &e);

    TSestavaTyp &m_report;
    TSiReportElement &m_element;
    TEditorSettings m_settings;
    Version m_version;
    int m_unit = 0;
    int m_customColor = -1;
    int m_editedFunctionIndex = -1;   // the function "Funkce ..." changed, stored on OK
    TRadekFunkce m_editedFunction;
};

// Opens the dialog for the element when it can; true when it was confirmed.
bool EditElementProperties(TSestavaTyp &report, TSiReportElement &element,
                           const TEditorSettings &settings, int unitIndex,
                           QWidget *parent = nullptr);

} // namespace orv
