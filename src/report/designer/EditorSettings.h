#pragma once
// The designer's working preferences: grid, confirmations, undo depth, rulers, units and the
// defaults of inserted elements. They live in the report generator's settings file (an INI
// file, sections "EditorSestav" and "Oddily"), are read when the designer opens and written
// when the settings window is confirmed.

#include <QString>

namespace orv {

class TSestavaTyp;

struct TEditorSettings {
    // "EditorSestav"
    int ImplMeritko = 6;          // initial zoom step (read only)
    int RastrX = 8;
    int RastrY = 8;
    bool RastrZobrazovat = true;
    bool RastrZarovnavat = true;
    bool MazaniJedne = false;
    bool MazaniVice = true;
    bool PosunMimo = false;
    int PocetUndo = 100;          // deep enough to walk a long session back
    bool UndoSave = true;         // saving does not take the way back away
    bool ShowTree = true;
    bool ShowRulesLR = true;
    bool ShowRulesTB = true;
    bool TrackingH = false;
    bool TrackingV = false;
    int UseUnits = 0;
    bool SledPodle = false;
    bool PopisyPol = false;
    bool PismaAbec = false;
    bool Vodici = true;           // alignment guides while moving and resizing

    // "Oddily": defaults of inserted elements
    int ImplSirka = 200;
    int ImplVyska = 20;
    int ImplZarovnani = 0;        // 0 left, 1 right, 2 centre
    int ImplZarovnaniCi = 1;
    int ImplBarvaFontu = 0;       // palette index or colour value
    int ImplVyskaFontu = 10;      // points
    QString ImplNazevFontu = QStringLiteral("Arial");
    int ImplStylFontu = 0;
    int ImplSkriptFontu = 1;

    // Brings hand-edited values into range: grid steps below 1 become 8, an undo depth
    // below 1 becomes 1, sizes of new elements at least 1, alignments 0..2, units 0..4,
    // a font name at most 32 characters (empty: Arial).
    void normalise();

    // Reads both sections from the file; a missing file, section or key gives the default.
    void load(const QString &iniPath);
    // Writes every key except "ImplMeritko". False when the file could not be written.
    bool save(const QString &iniPath) const;

    bool operator==(const TEditorSettings &) const = default;
};

// A stored font size: a negative value v means v x -72 / 100 points.
int fontSizeFromStored(int stored);

// Where the report generator's settings file of that name lives: an absolute name as it is;
// otherwise $ORVALIS_REPORT_SETTINGS_DIR, else <$XDG_CONFIG_HOME or ~/.config>/orvalis, joined
// with the name.
QString reportSettingsPath(const QString &iniFileName);

// Load(report) and Save(report): the report's settings file (IniFileName). Nothing happens
// without a report; Save returns false when the file could not be written.
void loadEditorSettings(const TSestavaTyp *report, TEditorSettings &settings);
bool saveEditorSettings(const TSestavaTyp *report, const TEditorSettings &settings);

} // namespace orv
