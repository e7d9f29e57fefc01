#pragma once
// The help context numbers of the program's windows and controls: a widget carries its
// number in the dynamic property "helpContext", and the help shows the page "TOPIC<number>"
// of the application's help (see app/HelpBridge.h). The numbers are those of the shipped
// help pages and cannot change.

namespace orv::help {

enum Context : int {
    // The printouts of the "Tisk" menu.
    PrintMaterialSheet = 5,     // "Tisk materiálového listu"
    PrintInfo = 6,              // "Tisk informací o materiálu"
    PrintInfoMech = 7,          // "Tisk informací včetně mechanických vlastností"
    PrintEquivalents = 8,       // "Tisk ekvivalentů"
    // The pages of a material card.
    CardBasicInfo = 9,          // "Základní informace"
    CardMechProperties = 10,    // "Mechanické vlastnosti"
    CardEquivalents = 11,       // "Srovnání s ostatními normami"
    CardHeatTreatment = 12,     // "Tepelné zpracování"
    CardSheetAndDiagrams = 13,  // "Materiálový list a diagramy"
    CardPhysProperties = 14,    // "Fyzikální vlastnosti"
    CardNote = 15,              // "Uživatelská poznámka"
    // The search window: its results and its four pages, in page order.
    SearchResults = 18,         // "Vyhledávání: výsledky"
    SearchFirstPage = 19,       // "Ekvivalentní materiály"; 20 composition, 21 properties, 22 usage
    // The strip of open materials below the work area.
    CardBar = 23,
    // The own-material editor's pages, and the upgrade wizard (every page).
    OwnMaterialComposition = 29, // "Chemické složení"
    OwnMaterialEquivalents = 30, // "Srovnání s ostatními normami"
    UpgradeWizard = 31,          // "Průvodce převodu dat ze starší verze"
    OwnMaterialInfo = 32,        // "Informace o materiálu"
    // The controls of the options window "Možnosti".
    OptionsAutoSave = 110,          // "Automaticky ukládat nastavení"
    OptionsStandardSettings = 111,  // "Standardní nastavení"
    OptionsCompositionGrid = 112,   // the elements of the composition search
    OptionsSuccessRate = 113,       // "Zobrazit nalezený materiál s úspěšností >="
    OptionsDeleteElement = 114,     // "Smazat prvek"
    OptionsAddElement = 115,        // "Přidat prvek ..."
    OptionsChangeElement = 116,     // "Změnit prvek ..."
    OptionsSingleProperties = 117,  // "Jednotlivé mech. vlastnosti"
    OptionsPropertyGroups = 118,    // "Skupiny mech. vlastností"
    OptionsGroupMembers = 119,      // the members of the current group
    OptionsNewGroup = 120,
    OptionsRenameGroup = 121,
    OptionsDeleteGroup = 122,
    OptionsAddMembers = 123,        // the selected single properties into the group
    OptionsRemoveMembers = 124,     // the selected members out of the group
    OptionsEconomyMode = 126,       // "Použít úsporný režim"
};

} // namespace orv::help
