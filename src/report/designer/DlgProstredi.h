#pragma once
// "Prostředí editoru sestav": the window that edits the designer's preferences. "&Konec"
// writes them to the report generator's settings file and closes; "Storno" closes.

#include "report/designer/EditorSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace orv {

class TSestavaTyp;

// Font choice of new elements: name, size, colour, style and character set.
class TDlgPismo : public QDialog {
    Q_OBJECT
public:
    TDlgPismo(const TEditorSettings &s, QWidget *parent = nullptr);
    void applyTo(TEditorSettings &s) const;

    QComboBox *Nazev = nullptr;
    QSpinBox *Velikost = nullptr;
    QComboBox *Barva = nullptr;
    QCheckBox *Tucne = nullptr;
    QCheckBox *Kurziva = nullptr;
    QCheckBox *Podtrzene = nullptr;
    QCheckBox *Preskrtnute = nullptr;
    QComboBox *Skript = nullptr;

private:
    int m_customColor = -1;
};

class TDlgProstredi : public QDialog {
    Q_OBJECT
public:
    // settingsPath: the file "&Konec" writes to.
    TDlgProstredi(const TEditorSettings &s, const QString &settingsPath, QWidget *parent = nullptr);

    // The values the controls hold.
    TEditorSettings settings() const;

    QTabWidget *Tabs = nullptr;
    // "Prostředí"
    QCheckBox *MazaniJedne = nullptr, *MazaniVice = nullptr, *PosunMimo = nullptr;
    QSpinBox *PocetUndo = nullptr;
    QCheckBox *UndoSave = nullptr, *ShowTree = nullptr, *ShowRulesLR = nullptr,
              *ShowRulesTB = nullptr, *TrackingH = nullptr, *TrackingV = nullptr,
              *Vodici = nullptr;
    QComboBox *UseUnits = nullptr;
    // "Rastr"
    QSpinBox *RastrX = nullptr, *RastrY = nullptr;
    QCheckBox *RastrZobrazovat = nullptr, *RastrZarovnavat = nullptr;
    // "Předvolby"
    QCheckBox *SledPodle = nullptr, *PopisyPol = nullptr, *PismaAbec = nullptr;
    QSpinBox *ImplSirka = nullptr, *ImplVyska = nullptr;
    QComboBox *ImplZarovnani = nullptr, *ImplZarovnaniCi = nullptr;
    QPushButton *PismoBtn = nullptr;
    QLabel *Vzorek = nullptr;
    QPushButton *KonecBtn = nullptr, *StornoBtn = nullptr, *TiskarnaBtn = nullptr;

    void accept() override;

private:
    QWidget *buildEnvironmentTab();
    QWidget *buildGridTab();
    QWidget *buildDefaultsTab();
    void buildButtons();
    void showSettings(const TEditorSettings &s);
    void showSample();
    void choosePrinter();

    TEditorSettings m_font;   // the font part of the settings, edited by "Předvolené písmo ..."
    QString m_path;
};

// Reads the report's settings, shows the window, and on "&Konec" writes them; true then.
bool EditEnvironment(TSestavaTyp &report, TEditorSettings &settings, QWidget *parent = nullptr);

// Czech names of the sixteen template colours, in palette order.
QStringList paletteColorNames();
// Czech names of the character sets in the element dialog's order.
QStringList charsetNames();
// The fonts offered for elements; sorted the Czech way, ignoring case, when alphabetical.
QStringList fontChoice(bool alphabetical);

} // namespace orv
