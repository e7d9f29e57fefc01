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
};

} // namespace orv::help
