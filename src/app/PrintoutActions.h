#pragma once
// The main window's print actions and information actions: each opens its modal window for
// the active card (printouts) or the installation (information), reporting errors in the
// standard Czech message dialog.

class QWidget;

namespace orv::db {
class MainDataModule;
}
namespace orv::browse {
class MaterialCard;
}

namespace orv::app {

enum class Printout { Equivalents, Info, InfoMech, HeatTreatment };

// Opens the print dialog of the printout for the card's material; nothing without a card.
void openPrintout(Printout which, browse::MaterialCard *card, db::MainDataModule *data, QWidget *parent);

void openAboutWindow(QWidget *parent);
void openStandardsInfo(QWidget *parent);
// The customer-service page filled from the form template of the user database.
void openCustomerService(db::MainDataModule *data, QWidget *parent);

} // namespace orv::app
