#pragma once
// Qt's own texts (standard buttons, file, print and page dialogs) in Czech.

class QLocale;
class QTranslator;

namespace orv::ui {

// Loads Qt's Czech translations (qtbase_cs from Qt's translations folder) and installs them
// in the running application; the translator belongs to the application. Returns nullptr
// when the translations are not installed: the dialogs then stay in English.
QTranslator *installCzechQtTranslations();

// The locale numbers are shown in: Czech (decimal comma) unless the user's own locale is
// Czech or Slovak already, whose formats are kept. Made the default locale of the process.
QLocale displayLocale(const QLocale &system);
void setUpDisplayLocale();

} // namespace orv::ui
